// CCtrlView, CListView and CFormView.
#include "afx/ctrl_view.h"
#include "afx/module_state.h"

IMPLEMENT_DYNCREATE(CCtrlView, CView)
IMPLEMENT_DYNCREATE(CListView, CCtrlView)
IMPLEMENT_DYNAMIC(CFormView, CView)

BEGIN_MESSAGE_MAP(CCtrlView, CView)
    ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CCtrlView::PreCreateWindow(CREATESTRUCTW& cs) {
    if (m_strClass.IsEmpty())
        return FALSE; // a control view names its control
    cs.lpszClass = m_strClass;
    cs.style |= m_dwDefaultStyle;
    return CView::PreCreateWindow(cs);
}

BEGIN_MESSAGE_MAP(CListView, CCtrlView)
    ON_WM_NCDESTROY()
END_MESSAGE_MAP()

BOOL CListView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (pResult)
            *pResult = TRUE;
        return TRUE;
    }
    return CCtrlView::OnChildNotify(message, wParam, lParam, pResult);
}

void CListView::OnNcDestroy() {
    // The image lists belong to whoever made them, not to the dying control.
    for (int type : {LVSIL_NORMAL, LVSIL_SMALL, LVSIL_STATE})
        SendMessage(LVM_SETIMAGELIST, (WPARAM)type, 0);
    CCtrlView::OnNcDestroy();
}

// ---- CFormView ----------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CFormView, CView)
    ON_WM_CREATE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {
INT_PTR CALLBACK FormDlgProc(HWND, UINT message, WPARAM, LPARAM) {
    // The focus stays where the dialog manager puts it; the view has no start-up of its own.
    return message == WM_INITDIALOG ? TRUE : FALSE;
}
} // namespace

BOOL CFormView::Create(LPCWSTR, LPCWSTR, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID, void* pContext) {
    if (m_hWnd || !pParentWnd) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HINSTANCE hInst = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    HRSRC hRes = m_lpszTemplateName ? ::FindResourceW(hInst, m_lpszTemplateName, RT_DIALOG) : nullptr;
    HGLOBAL hData = hRes ? ::LoadResource(hInst, hRes) : nullptr;
    auto lpTemplate = hData ? static_cast<LPCDLGTEMPLATEW>(::LockResource(hData)) : nullptr;
    if (!lpTemplate) {
        ::SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
    }
    auto* ctx = static_cast<CCreateContext*>(pContext);
    if (ctx && ctx->m_pCurrentDoc && !m_pDocument)
        ctx->m_pCurrentDoc->AddView(this);
    HookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamW(hInst, lpTemplate, pParentWnd->m_hWnd, &FormDlgProc, 0);
    UnhookWindowCreate();
    if (!hWnd) {
        if (m_hWnd && !::IsWindow(m_hWnd))
            Detach();
        return FALSE;
    }
    // A template without the child style would make a second top-level window.
    if (!(::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD)) {
        DestroyWindow();
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ::SetWindowLongW(hWnd, GWL_ID, (LONG)nID);
    ::SetWindowPos(hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (dwStyle & WS_VISIBLE)
        ::ShowWindow(hWnd, SW_SHOWNORMAL);
    return TRUE;
}

BOOL CFormView::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL CFormView::PreTranslateMessage(MSG* pMsg) {
    // Tab and the arrow keys move among the form's controls as in a dialog.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hWnd &&
        (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd)))
        return ::IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}
