// The toolkit's list control: messages routed to the shared list support.
#include "toolkit/base/list_ctrl.h"

IMPLEMENT_DYNAMIC(CTKListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CTKListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CREATE()
    ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTKListCtrl::CTKListCtrl() = default;

CTKListCtrl::~CTKListCtrl()
{
    // Destroyed here, while the support still exists to save the widths at WM_DESTROY.
    if (GetSafeHwnd() && CWnd::FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

BOOL CTKListCtrl::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CListCtrl::PreCreateWindow(cs))
        return FALSE;
    m_bApplyFontOnSubclass = 0;
    return TRUE;
}

void CTKListCtrl::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    if (m_bApplyFontOnSubclass)
        m_support.ApplyToolkitFont();
}

BOOL CTKListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (m_support.OnHeaderNotify(wParam, reinterpret_cast<NMHDR*>(lParam), pResult))
        return TRUE;
    return CListCtrl::OnNotify(wParam, lParam, pResult);
}

void CTKListCtrl::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    m_support.OnCustomDraw(pNMHDR, pResult);
}

void CTKListCtrl::OnPaint()
{
    m_support.OnPaint();
}

BOOL CTKListCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

int CTKListCtrl::OnCreate(LPCREATESTRUCTW)
{
    if (Default() == -1)
        return -1;
    m_support.ApplyToolkitFont();
    return 0;
}

LRESULT CTKListCtrl::OnSettingChange(WPARAM, LPARAM)
{
    LRESULT result = Default();
    m_support.RefreshMetrics();
    return result;
}

void CTKListCtrl::OnDestroy()
{
    if (m_support.IsAutoSaving())
        m_support.SaveColumnWidths();
    Default();
}
