// CFrameWnd, CView and CDocument: layout of a frame's bars and pane, the active view, status
// messages and command routing.
#include "afx/frame.h"
#include "afx/app.h"
#include "afx/dialog.h"
#include "afx/doc_template.h"
#include "afx/mini_frame.h"

#include <vector>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BOOL AFXAPI AfxExtractSubString(CString& rString, LPCWSTR lpszFullString, int iSubString, WCHAR chSep) {
    rString.Empty();
    if (!lpszFullString || iSubString < 0)
        return FALSE;
    const WCHAR* p = lpszFullString;
    for (; iSubString > 0; --iSubString) {
        while (*p && *p != chSep)
            ++p;
        if (!*p)
            return FALSE;
        ++p;
    }
    const WCHAR* end = p;
    while (*end && *end != chSep)
        ++end;
    rString = CString(p, (int)(end - p));
    return TRUE;
}

// ---- CView ------------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMsg)
    ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

CView::~CView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           (HBRUSH)(COLOR_WINDOW + 1));
    // A view's border is the sunken client edge of the 3-D look.
    if (cs.style & WS_BORDER) {
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
        cs.style &= ~WS_BORDER;
    }
    return TRUE;
}

int CView::OnCreate(LPCREATESTRUCTW lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    // A view made by a frame joins the context's document, unless the frame joined it already.
    auto* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (pContext && pContext->m_pCurrentDoc && !m_pDocument)
        pContext->m_pCurrentDoc->AddView(this);
    return 0;
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*) {
    // The view that becomes active takes the focus unless a child of it holds it already.
    if (bActivate && pActivateView == this && m_hWnd) {
        HWND hFocus = ::GetFocus();
        if (hFocus != m_hWnd && !::IsChild(m_hWnd, hFocus) && ::IsWindowVisible(m_hWnd))
            ::SetFocus(m_hWnd);
    }
}

void CView::CalcWindowRect(LPRECT lpClientRect, UINT nAdjustType) {
    DWORD exStyle = GetExStyle();
    if (nAdjustType == 0)
        exStyle &= ~(DWORD)WS_EX_CLIENTEDGE;
    ::AdjustWindowRectEx(lpClientRect, 0, FALSE, exStyle);
}

void CView::OnPaint() {
    PAINTSTRUCT ps{};
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (hdc)
        OnDraw(CDC::FromHandle(hdc));
    ::EndPaint(m_hWnd, &ps);
}

LRESULT CView::OnInitialUpdateMsg(WPARAM, LPARAM) {
    OnInitialUpdate();
    return 0;
}


// ---- CFrameWnd --------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    AFX_WM(WM_MENUSELECT, AFX_THIS(_p)->OnMenuSelect(LOWORD(c.wParam), HIWORD(c.wParam), (HMENU)c.lParam);)
    AFX_WM(WM_ENTERIDLE, AFX_THIS(_p)->OnEnterIdle((UINT)c.wParam, CWnd::FromHandle((HWND)c.lParam));)
    AFX_WM(WM_INITMENUPOPUP, AFX_THIS(_p)->OnInitMenuPopup(CMenu::FromHandle((HMENU)c.wParam),
                                                          LOWORD(c.lParam), (BOOL)HIWORD(c.lParam));)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    AFX_WM(WM_ACTIVATE, AFX_THIS(_p)->OnActivate(LOWORD(c.wParam), CWnd::FromHandle((HWND)c.lParam), HIWORD(c.wParam));)
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_POPMESSAGESTRING, OnPopMessageString)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
END_MESSAGE_MAP()

LPCWSTR AFXAPI AfxGetIconWndClass(DWORD, UINT nIDResource) {
    HICON hIcon = nIDResource ? ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(nIDResource), RT_GROUP_ICON),
                                            MAKEINTRESOURCEW(nIDResource))
                              : nullptr;
    return AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), (HBRUSH)(COLOR_BTNFACE + 1), hIcon);
}

void CFrameWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
    (void)pWndOther;
    (void)bMinimized;
    Default();
    // Mini frames that follow this frame redraw their captions as the activation comes or goes.
    struct Owned {
        HWND owner;
        std::vector<HWND> windows;
    } owned{m_hWnd, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND h, LPARAM l) -> BOOL {
        auto* o = reinterpret_cast<Owned*>(l);
        if (::GetWindow(h, GW_OWNER) == o->owner)
            o->windows.push_back(h);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&owned));
    for (HWND h : owned.windows) {
        auto* mini = DYNAMIC_DOWNCAST(CMiniFrameWnd, CWnd::FromHandlePermanent(h));
        if (mini && mini->m_bSyncActive && ::IsWindowVisible(h))
            ::SendMessageW(h, WM_NCACTIVATE, nState != WA_INACTIVE, 0);
    }
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           (HBRUSH)(COLOR_BTNFACE + 1));
    // The document's name goes first in the title, as the system's own programs show it.
    if (cs.style & FWS_ADDTOTITLE)
        cs.style |= FWS_PREFIXTITLE;
    return TRUE;
}

BOOL CFrameWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCWSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext) {
    HMENU hMenu = nullptr;
    if (lpszMenuName) {
        hMenu = ::LoadMenuW(AfxFindResourceHandle(lpszMenuName, RT_MENU), lpszMenuName);
        if (!hMenu) {
            PostNcDestroy();
            return FALSE;
        }
    }
    m_strTitle = lpszWindowName;
    int cx = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
    int cy = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
    if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, cx, cy,
                  pParentWnd ? pParentWnd->m_hWnd : nullptr, hMenu, pContext)) {
        // A window that existed took its menu with it; the frame itself may be freed by now.
        if (hMenu && ::IsMenu(hMenu))
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
    m_nIDHelp = nIDResource;
    CString strFull;
    if (strFull.LoadString(nIDResource))
        AfxExtractSubString(m_strTitle, strFull, 0);
    LPCWSTR lpszClass = AfxGetIconWndClass(dwDefaultStyle, nIDResource);
    CString strTitle = m_strTitle;
    if (!Create(lpszClass, strTitle, dwDefaultStyle, rectDefault, pParentWnd, MAKEINTRESOURCEW(nIDResource), 0,
                pContext))
        return FALSE; // the frame is gone with its window
    m_hMenuDefault = ::GetMenu(m_hWnd);
    LoadAccelTable(MAKEINTRESOURCEW(nIDResource));
    if (!pContext)
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(LPCWSTR lpszResourceName) {
    // One table per frame: a second load would leak or replace the first without telling.
    if (m_hAccelTable || !lpszResourceName)
        return FALSE;
    m_hAccelTable = ::LoadAcceleratorsW(AfxFindResourceHandle(lpszResourceName, RT_ACCELERATOR), lpszResourceName);
    return m_hAccelTable != nullptr;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTW lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    auto* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (!OnCreateClient(lpcs, pContext))
        return -1;
    // Bars made in derived OnCreate handlers are laid out before the frame is first shown.
    DelayRecalcLayout();
    return 0;
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
    if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, nID, pContext)) {
        // A view whose window was made and then refused has already freed itself, so nothing of it
        // may be touched here, not even to learn which way it failed.
        return nullptr;
    }
    if (!m_pViewActive)
        SetActiveView(pView, FALSE);
    return pView;
}

void CFrameWnd::OnDestroy() {
    // Bars and views outlive the frame's list only as windows being destroyed with it.
    m_listControlBars.RemoveAll();
    m_pViewActive = nullptr;
    if (m_hAccelTable) {
        ::DestroyAcceleratorTable(m_hAccelTable);
        m_hAccelTable = nullptr;
    }
    Default();
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
    m_nIdleFlags |= idleTitle;
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

void CFrameWnd::ActivateFrame(int nCmdShow) {
    if (nCmdShow == -1) {
        if (!IsWindowVisible())
            nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic())
            nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1) {
        ShowWindow(nCmdShow);
        ::BringWindowToTop(m_hWnd);
    }
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
    CView* pView = nullptr;
    if (!m_pViewActive) {
        CWnd* pWnd = GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE);
        if (pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CView))) {
            pView = static_cast<CView*>(pWnd);
            SetActiveView(pView, FALSE);
        }
    }
    if (bMakeVisible) {
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
        if (pView)
            pView->OnActivateFrame(WA_INACTIVE, this);
        int nCmdShow = -1;
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->m_pMainWnd == this) {
            nCmdShow = pApp->m_nCmdShow;
            pApp->m_nCmdShow = -1; // the program's show state applies to its first frame only
        }
        ActivateFrame(nCmdShow);
        if (pView)
            pView->OnActivateView(TRUE, pView, pView);
    }
    if (pDoc)
        pDoc->UpdateFrameCounts();
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    if (!(GetStyle() & FWS_ADDTOTITLE))
        return;
    CDocument* pDoc = GetActiveDocument();
    CString title = m_strTitle;
    if (bAddToTitle && pDoc && !pDoc->GetTitle().IsEmpty()) {
        if (GetStyle() & FWS_PREFIXTITLE)
            title = pDoc->GetTitle() + u" - " + m_strTitle;
        else
            title = m_strTitle + u" - " + pDoc->GetTitle();
    }
    CString current;
    GetWindowText(current);
    if (current != title)
        SetWindowText(title);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The view routes on to its document itself.
    if (CView* pView = m_pViewActive; pView && pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFrameWnd::RecalcLayout(BOOL bNotify) {
    if (m_bInRecalcLayout || !m_hWnd)
        return;
    m_bInRecalcLayout = TRUE;
    m_nIdleFlags &= ~(idleLayout | idleNotify);
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposExtra, &m_rectBorder);
    m_bInRecalcLayout = FALSE;
}

void CFrameWnd::DelayRecalcLayout(BOOL bNotify) {
    m_nIdleFlags |= idleLayout | (bNotify ? idleNotify : 0);
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    Default();
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::OnClose() { DestroyWindow(); }

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
    if (m_nIdleFlags & idleTitle)
        OnUpdateFrameTitle(TRUE);
    if (m_nIdleFlags & idleLayout) {
        RecalcLayout((m_nIdleFlags & idleNotify) != 0);
        UpdateWindow();
    }
    // A prompt chosen while a menu was tracked shows once things are quiet.
    if (m_nIDTracking != m_nIDLastMessage) {
        SetMessageText(m_nIDTracking);
    }
    m_nIdleFlags = 0;
    return 0;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
        HACCEL hAccel = GetDefaultAccelerator();
        return hAccel && ::TranslateAcceleratorW(m_hWnd, hAccel, pMsg) != 0;
    }
    return FALSE;
}

// ---- Control bars -----------------------------------------------------------------------------
void CFrameWnd::AddControlBar(CControlBar* pBar) {
    if (pBar && !m_listControlBars.Find(pBar))
        m_listControlBars.AddTail(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar) {
    if (POSITION pos = m_listControlBars.Find(pBar))
        m_listControlBars.RemoveAt(pos);
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) {
    if (nID == 0)
        return nullptr;
    for (POSITION pos = m_listControlBars.GetHeadPosition(); pos;) {
        auto* pBar = static_cast<CControlBar*>(m_listControlBars.GetNext(pos));
        if (pBar->m_hWnd && (UINT)pBar->GetDlgCtrlID() == nID)
            return pBar;
    }
    return nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay) {
    if (!pBar || !pBar->m_hWnd)
        return;
    CFrameWnd* pFrame = pBar->GetDockingFrame();
    if (!pFrame)
        pFrame = this;
    if (bDelay) {
        pBar->DelayShow(bShow);
        pFrame->DelayRecalcLayout();
    } else {
        pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                           SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                               (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        pBar->DelayShow(bShow); // cancels any delayed change still pending
        pFrame->RecalcLayout(FALSE);
    }
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    if (!pBar) {
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->SetCheck(pBar->IsVisible() ? 1 : 0);
}

BOOL CFrameWnd::OnBarCheck(UINT nID) {
    CControlBar* pBar = GetControlBar(nID);
    if (!pBar)
        return FALSE;
    ShowControlBar(pBar, !pBar->IsVisible(), FALSE);
    return TRUE;
}

// ---- Status messages --------------------------------------------------------------------------
CWnd* CFrameWnd::GetMessageBar() { return GetDescendantWindow(AFX_IDW_STATUS_BAR, TRUE); }

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const {
    CString full;
    if (full.LoadString(nID))
        AfxExtractSubString(rMessage, full, 0);
    else
        rMessage.Empty();
}

void CFrameWnd::SetMessageText(LPCWSTR lpszText) { SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM)lpszText); }

void CFrameWnd::SetMessageText(UINT nID) { SendMessage(WM_SETMESSAGESTRING, (WPARAM)nID, 0); }

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
    UINT nIDLast = m_nIDLastMessage;
    m_bNoPopMsg = FALSE;
    if (CWnd* pMessageBar = GetMessageBar()) {
        CString strMessage;
        LPCWSTR lpsz = nullptr;
        if (lParam)
            lpsz = reinterpret_cast<LPCWSTR>(lParam);
        else if (wParam) {
            GetMessageString((UINT)wParam, strMessage);
            lpsz = strMessage;
        }
        pMessageBar->SetWindowText(lpsz ? lpsz : u"");
    }
    m_nIDLastMessage = (UINT)wParam;
    m_nIDTracking = (UINT)wParam;
    return nIDLast;
}

LRESULT CFrameWnd::OnPopMessageString(WPARAM wParam, LPARAM lParam) {
    // While a menu tracks, its prompts own the bar.
    if (m_bNoPopMsg)
        return 0;
    return SendMessage(WM_SETMESSAGESTRING, wParam, lParam);
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu) {
    if (nFlags == 0xFFFF && !hSysMenu) {
        // The menu closed: back to the idle text at once.
        m_bNoPopMsg = FALSE;
        m_nIDTracking = m_bHelpMode ? AFX_IDS_HELPMODEMESSAGE : AFX_IDS_IDLEMESSAGE;
        SendMessage(WM_SETMESSAGESTRING, (WPARAM)m_nIDTracking);
        return;
    }
    if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP)))
        m_nIDTracking = 0;
    else
        m_nIDTracking = nItemID;
    m_bNoPopMsg = TRUE;
}

void CFrameWnd::OnEnterIdle(UINT nWhy, CWnd*) {
    Default();
    if (nWhy == MSGF_MENU && m_nIDTracking != m_nIDLastMessage)
        SetMessageText(m_nIDTracking);
}

void CFrameWnd::OnInitMenuPopup(CMenu* pMenu, UINT, BOOL bSysMenu) {
    if (bSysMenu || !pMenu)
        return;
    CCmdUI state;
    state.m_hMenu = pMenu->m_hMenu;
    state.m_nIndexMax = pMenu->GetMenuItemCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = pMenu->GetMenuItemID((int)state.m_nIndex);
        if (state.m_nID == 0)
            continue; // separator
        if (state.m_nID == (UINT)-1)
            continue; // a popup item has no command of its own
        state.DoUpdate(this, m_bAutoMenuEnable && state.m_nID < 0xF000);
        // A handler may have removed items.
        UINT nCount = pMenu->GetMenuItemCount();
        if (nCount < state.m_nIndexMax) {
            state.m_nIndex -= (state.m_nIndexMax - nCount);
            while (state.m_nIndex < nCount && pMenu->GetMenuItemID((int)state.m_nIndex) == state.m_nID)
                ++state.m_nIndex;
        }
        state.m_nIndexMax = nCount;
    }
}
