// The toolkit's list view: messages routed to the shared list support.
#include "toolkit/base/list_view.h"

IMPLEMENT_DYNCREATE(CTKListView, CListView)

BEGIN_MESSAGE_MAP(CTKListView, CListView)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CREATE()
    ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTKListView::CTKListView() = default;

CTKListView::~CTKListView()
{
    // Destroyed here, while the support still exists to save the widths at WM_DESTROY.
    if (GetSafeHwnd() && CWnd::FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

BOOL CTKListView::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CListView::PreCreateWindow(cs))
        return FALSE;
    m_bApplyFontOnSubclass = 0;
    return TRUE;
}

void CTKListView::PreSubclassWindow()
{
    CListView::PreSubclassWindow();
    if (m_bApplyFontOnSubclass)
        m_support.ApplyToolkitFont();
}

BOOL CTKListView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (m_support.OnHeaderNotify(wParam, reinterpret_cast<NMHDR*>(lParam), pResult))
        return TRUE;
    return CListView::OnNotify(wParam, lParam, pResult);
}

void CTKListView::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    m_support.OnCustomDraw(pNMHDR, pResult);
}

void CTKListView::OnPaint()
{
    m_support.OnPaint();
}

BOOL CTKListView::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

int CTKListView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CListView::OnCreate(lpcs) == -1)
        return -1;
    m_support.ApplyToolkitFont();
    return 0;
}

LRESULT CTKListView::OnSettingChange(WPARAM, LPARAM)
{
    LRESULT result = Default();
    m_support.RefreshMetrics();
    return result;
}

void CTKListView::OnDestroy()
{
    if (m_support.IsAutoSaving())
        m_support.SaveColumnWidths();
    Default();
}
