// CFrameWnd, CView and CDocument: layout of a frame's pane, the active view and command routing.
#include "afx/frame.h"
#include "afx/app.h"
#include "afx/dialog.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

// ---- CDocument --------------------------------------------------------------------------------
CDocument::~CDocument() {
    // Views outliving their document must not reach back into it.
    for (POSITION pos = m_viewList.GetHeadPosition(); pos;)
        static_cast<CView*>(m_viewList.GetNext(pos))->m_pDocument = nullptr;
}

void CDocument::AddView(CView* pView) {
    if (!pView || pView->m_pDocument == this)
        return;
    if (pView->m_pDocument)
        pView->m_pDocument->RemoveView(pView);
    m_viewList.AddTail(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    POSITION pos = m_viewList.Find(pView);
    if (!pos)
        return;
    m_viewList.RemoveAt(pos);
    pView->m_pDocument = nullptr;
    if (m_viewList.IsEmpty() && m_bAutoDelete)
        delete this;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
    for (POSITION pos = m_viewList.GetHeadPosition(); pos;) {
        CView* pView = static_cast<CView*>(m_viewList.GetNext(pos));
        if (pView != pSender)
            pView->OnUpdate(pSender, lHint, pHint);
    }
}

// ---- CView ------------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CView::~CView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           (HBRUSH)(COLOR_WINDOW + 1));
    return TRUE;
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnPaint() {
    PAINTSTRUCT ps{};
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (hdc)
        OnDraw(CDC::FromHandle(hdc));
    ::EndPaint(m_hWnd, &ps);
}

// ---- CFrameWnd --------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           (HBRUSH)(COLOR_BTNFACE + 1));
    return TRUE;
}

BOOL CFrameWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCWSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext) {
    HMENU hMenu = nullptr;
    if (lpszMenuName) {
        hMenu = ::LoadMenuW(::GetModuleHandleW(nullptr), lpszMenuName);
        if (!hMenu)
            return FALSE;
    }
    int cx = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
    int cy = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
    if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, cx, cy,
                  pParentWnd ? pParentWnd->m_hWnd : nullptr, hMenu, pContext)) {
        if (hMenu)
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTW lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    auto* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    return OnCreateClient(lpcs, pContext) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTW, CCreateContext* pContext) {
    if (pContext && pContext->m_pNewViewClass)
        return CreateView(pContext) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
    CRuntimeClass* pClass = pContext->m_pNewViewClass;
    if (!pClass->IsDerivedFrom(RUNTIME_CLASS(CView)))
        return nullptr;
    auto* pView = static_cast<CView*>(pClass->CreateObject());
    if (!pView)
        return nullptr;
    if (pContext->m_pCurrentDoc)
        pContext->m_pCurrentDoc->AddView(pView);
    if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, nID, pContext)) {
        delete pView; // never had a window, so PostNcDestroy will not free it
        return nullptr;
    }
    if (!m_pViewActive)
        SetActiveView(pView, FALSE);
    return pView;
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld)
        return;
    m_pViewActive = nullptr;
    if (bNotify && pViewOld)
        pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
    m_pViewActive = pViewNew;
    if (bNotify && pViewNew)
        pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The view routes on to its document itself.
    if (CView* pView = m_pViewActive; pView && pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (m_bInRecalcLayout || !m_hWnd)
        return;
    m_bInRecalcLayout = TRUE;
    AFX_SIZEPARENTPARAMS layout{};
    ::GetClientRect(m_hWnd, &layout.rect);
    layout.bStretch = TRUE;
    HWND hPane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
    int nChildren = 0;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        ++nChildren;
    layout.hDWP = ::BeginDeferWindowPos(nChildren);
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (h != hPane)
            ::SendMessageW(h, WM_SIZEPARENT, 0, (LPARAM)&layout);
    }
    if (hPane) {
        RECT& rc = layout.rect;
        // Bars that took more than the whole client area leave an empty pane, never a negative one.
        if (rc.right < rc.left)
            rc.right = rc.left;
        if (rc.bottom < rc.top)
            rc.bottom = rc.top;
        layout.hDWP = ::DeferWindowPos(layout.hDWP, hPane, nullptr, rc.left, rc.top, rc.right - rc.left,
                                       rc.bottom - rc.top, SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (layout.hDWP)
        ::EndDeferWindowPos(layout.hDWP);
    m_bInRecalcLayout = FALSE;
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    Default();
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::OnClose() { DestroyWindow(); }

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
    return 0;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (m_hAccelTable && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg) != 0;
    return FALSE;
}
