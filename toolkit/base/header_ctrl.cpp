// The toolkit header control: painting through its theme, hot tracking, the column menu and its
// commands, frozen columns and fitting the columns to the header's width.
#include "toolkit/base/header_ctrl.h"

#include "afx/ctrl_view.h"
#include "afx/module_state.h"
#include "afx/window_dc.h"
#include "toolkit/base/button_handlers.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/global_data.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/popup_bar.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CTKHeaderCtrl, CHeaderCtrl)
IMPLEMENT_DYNCREATE(CTKFlatHeaderCtrl, CTKHeaderCtrl)

namespace {

constexpr UINT_PTR kHotTimer = 1;
constexpr UINT kHotInterval = 10;

} // namespace

BEGIN_MESSAGE_MAP(CTKHeaderCtrl, CHeaderCtrl)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND_NOERASE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_RBUTTONDOWN()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_WINDOWPOSCHANGING, OnWindowPosChanging)
    ON_NOTIFY_REFLECT_EX(HDN_ITEMCHANGINGW, OnItemChanging)
    ON_MESSAGE(HDM_LAYOUT, OnLayout)
    ON_COMMAND(TK_ID_HEADER_SORTASC, OnSortAscending)
    ON_COMMAND(TK_ID_HEADER_SORTDESC, OnSortDescending)
    ON_COMMAND(TK_ID_HEADER_ALIGNLEFT, OnAlignLeft)
    ON_COMMAND(TK_ID_HEADER_ALIGNCENTER, OnAlignCenter)
    ON_COMMAND(TK_ID_HEADER_ALIGNRIGHT, OnAlignRight)
END_MESSAGE_MAP()

// ---- Style client -------------------------------------------------------------------------------
CTKHeaderCtrl::CStyleClient::CStyleClient(CTKHeaderCtrl* pHeader)
    : CTKThemeStyleClient(RUNTIME_CLASS(CTKHeaderCtrlThemeFactory)), m_pHeader(pHeader)
{
}

void CTKHeaderCtrl::CStyleClient::OnStyleChanged()
{
    if (m_pHeader->GetSafeHwnd()) {
        m_pHeader->RecalcLayout();
        m_pHeader->Invalidate();
    }
}

// ---- Construction -------------------------------------------------------------------------------
CTKHeaderCtrl::CTKHeaderCtrl() : m_styleClient(this)
{
    m_bRTL = DetermineRTL() ? 1 : 0;
}

CTKHeaderCtrl::~CTKHeaderCtrl()
{
    // Destroyed here, while the theme still exists to free the items' image lists.
    if (GetSafeHwnd() && CWnd::FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

CTKFlatHeaderCtrl::CTKFlatHeaderCtrl()
{
    m_styleClient.SetTheme(CreateHeaderCtrlTheme(1));
}

CTKHeaderCtrlTheme* CTKHeaderCtrl::GetTheme()
{
    return dynamic_cast<CTKHeaderCtrlTheme*>(m_styleClient.GetStyle());
}

void CTKHeaderCtrl::SetTheme(CTKHeaderCtrlTheme* pTheme)
{
    m_styleClient.SetTheme(pTheme);
}

BOOL CTKHeaderCtrl::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    RefreshThemedStyle(m_styleClient, message);
    return CHeaderCtrl::OnWndMsg(message, wParam, lParam, pResult);
}

// ---- Operations ---------------------------------------------------------------------------------
BOOL CTKHeaderCtrl::IsItemPressed(int nColumn)
{
    if (!m_bLButtonDown || !GetSafeHwnd())
        return FALSE;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    UINT flags = 0;
    return HitTest(pt.x, pt.y, flags) == nColumn && (flags & HHT_ONHEADER);
}

void CTKHeaderCtrl::InitializeHeader(BOOL bBold)
{
    SetFontBold(bBold);
    if (GetSafeHwnd())
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CTKHeaderCtrl::SetPopupMenuID(UINT nMenuID, int nSubMenu)
{
    m_nPopupMenuID = nMenuID;
    m_nPopupSubMenu = nSubMenu;
}

void CTKHeaderCtrl::SetFontBold(BOOL bBold)
{
    CTKGlobalData& data = GetGlobalData();
    if (GetSafeHwnd())
        SendMessage(WM_SETFONT, (WPARAM)(bBold ? data.m_fontBold : data.m_fontRegular), FALSE);
}

void CTKHeaderCtrl::ShowSortArrow(BOOL bShow)
{
    if (CTKHeaderCtrlTheme* theme = GetTheme()) {
        DWORD flags = theme->GetDrawStyle();
        flags = bShow ? (flags | TKHEADER_SORTARROW) : (flags & ~TKHEADER_SORTARROW);
        theme->SetDrawStyle(flags, this);
    }
}

BOOL CTKHeaderCtrl::HasSortArrow()
{
    CTKHeaderCtrlTheme* theme = GetTheme();
    return theme && (theme->GetDrawStyle() & TKHEADER_SORTARROW);
}

int CTKHeaderCtrl::SetAlignment(int nFormat)
{
    CWnd* list = GetParentList();
    int column = list ? ItemAt(m_ptLastRClick) : -1;
    if (column < 0)
        return 0;
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_FMT;
    if (!list->SendMessage(LVM_GETCOLUMNW, (WPARAM)column, (LPARAM)&lvc))
        return 0;
    lvc.fmt = (lvc.fmt & ~LVCFMT_JUSTIFYMASK) | (nFormat & LVCFMT_JUSTIFYMASK);
    list->SendMessage(LVM_SETCOLUMNW, (WPARAM)column, (LPARAM)&lvc);
    list->SendMessage(LVM_SETWORKAREAS, 0, 0);
    return 0;
}

BOOL CTKHeaderCtrl::DetermineRTL()
{
    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return FALSE;
    BOOL rtl = (::GetTextAlign(screen) & TA_RTLREADING) != 0;
    ::ReleaseDC(nullptr, screen);
    return rtl;
}

void CTKHeaderCtrl::FitColumns(int nTotalWidth)
{
    if (!GetSafeHwnd())
        return;
    const int count = GetItemCount();
    int frozen = 0;
    for (int c : m_frozenColumns)
        if (c < count)
            ++frozen;
    const int free = count - frozen;
    if (free < 1)
        return;
    const int share = nTotalWidth / free;
    CWnd* list = GetParentList();
    if (!list || share <= m_nMinColumnWidth)
        return;
    for (int c = 0; c < count; ++c)
        if (!IsColumnFrozen(c))
            list->SendMessage(LVM_SETCOLUMNWIDTH, (WPARAM)c, MAKELPARAM(std::min(share, 0x7FFF), 0));
}

void CTKHeaderCtrl::ResizeColumnsToFit(int nWidth)
{
    if (!GetSafeHwnd())
        return;
    if (nWidth < 1) {
        CRect rc;
        GetWindowRect(&rc);
        nWidth = rc.Width();
    }
    CWnd* parent = GetParent();
    if (parent && (parent->GetStyle() & WS_VSCROLL))
        nWidth -= ::GetSystemMetrics(SM_CXVSCROLL);
    nWidth -= GetFrozenColumnsWidth();
    FitColumns(nWidth);
}

int CTKHeaderCtrl::GetFrozenColumnsWidth()
{
    int width = 0;
    if (!GetSafeHwnd())
        return 0;
    for (int c : m_frozenColumns) {
        CRect rc;
        if (GetItemRect(c, &rc))
            width += rc.Width();
    }
    return width;
}

int CTKHeaderCtrl::SetSortImage(int nColumn, BOOL bAscending)
{
    int previous = m_nSortColumn;
    m_nSortColumn = nColumn;
    m_bSortAscending = bAscending ? 1 : 0;
    if (GetSafeHwnd())
        Invalidate();
    return previous;
}

int CTKHeaderCtrl::GetSortImage(BOOL& bAscending) const
{
    bAscending = m_bSortAscending;
    return m_nSortColumn;
}

int CTKHeaderCtrl::HitTest(int x, int y, UINT& nFlags)
{
    HDHITTESTINFO info{};
    info.pt = {x, y};
    int item = GetSafeHwnd() ? (int)SendMessage(HDM_HITTEST, 0, (LPARAM)&info) : -1;
    nFlags = info.flags;
    return item;
}

BOOL CTKHeaderCtrl::IsColumnFrozen(int nColumn) const
{
    return std::find(m_frozenColumns.begin(), m_frozenColumns.end(), nColumn) != m_frozenColumns.end();
}

void CTKHeaderCtrl::FreezeColumn(int nColumn, BOOL bFreeze)
{
    auto it = std::find(m_frozenColumns.begin(), m_frozenColumns.end(), nColumn);
    if (bFreeze && it == m_frozenColumns.end() && nColumn >= 0)
        m_frozenColumns.push_back(nColumn);
    else if (!bFreeze && it != m_frozenColumns.end())
        m_frozenColumns.erase(it);
}

void CTKHeaderCtrl::RecalcLayout()
{
    if (!GetSafeHwnd())
        return;
    // The header keeps its place in the parent; only the height its theme asks for changes.
    HWND parent = ::GetParent(m_hWnd);
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    if (parent)
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    WINDOWPOS wp{};
    HDLAYOUT layout{&rc, &wp};
    if (!SendMessage(HDM_LAYOUT, 0, (LPARAM)&layout))
        return;
    ::SetWindowPos(m_hWnd, wp.hwndInsertAfter, wp.x, wp.y, wp.cx, wp.cy, wp.flags | SWP_FRAMECHANGED);
    if (!parent)
        return;
    // A one-pixel nudge of the parent makes a list lay itself out again around the new height.
    RECT pr{};
    ::GetWindowRect(parent, &pr);
    const UINT flags = SWP_NOMOVE | SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE;
    ::SetWindowPos(parent, nullptr, 0, 0, pr.right - pr.left, pr.bottom - pr.top + 1, flags);
    ::SetWindowPos(parent, nullptr, 0, 0, pr.right - pr.left, pr.bottom - pr.top, flags);
}

CWnd* CTKHeaderCtrl::GetParentList() const
{
    HWND parent = GetSafeHwnd() ? ::GetParent(m_hWnd) : nullptr;
    CWnd* wnd = parent ? CWnd::FromHandlePermanent(parent) : nullptr;
    if (wnd && (wnd->IsKindOf(RUNTIME_CLASS(CListCtrl)) || wnd->IsKindOf(RUNTIME_CLASS(CListView))))
        return wnd;
    return nullptr;
}

int CTKHeaderCtrl::ItemAt(POINT client)
{
    UINT flags = 0;
    return HitTest(client.x, client.y, flags);
}

// ---- Painting and mouse -------------------------------------------------------------------------
void CTKHeaderCtrl::OnPaint()
{
    CTKHeaderCtrlTheme* theme = GetTheme();
    if (!theme) {
        Default();
        return;
    }
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CTKPOffscreenDC offscreen(dc.GetSafeHdc(), client);
    theme->DrawHeader(&offscreen, this);
}

void CTKHeaderCtrl::OnLButtonDown(UINT, CPoint)
{
    m_bLButtonDown = 1;
    Default();
}

void CTKHeaderCtrl::OnLButtonUp(UINT, CPoint)
{
    m_bLButtonDown = 0;
    Default();
}

void CTKHeaderCtrl::OnMouseMove(UINT, CPoint)
{
    CTKHeaderCtrlTheme* theme = GetTheme();
    if (theme && theme->UsesVisualStyle(this))
        SetTimer(kHotTimer, kHotInterval, nullptr);
    Default();
}

void CTKHeaderCtrl::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kHotTimer) {
        POINT pt{};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWnd, &pt);
        UINT flags = 0;
        int item = HitTest(pt.x, pt.y, flags);
        if (item < 0) {
            KillTimer(kHotTimer);
            if (m_bHotDrawn == 1)
                RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            m_bHotDrawn = 0;
            m_nHotItem = -1;
        } else {
            if (item != m_nHotItem) {
                m_nHotItem = item;
                m_bHotDrawn = 0;
            }
            if (m_bHotDrawn == 0) {
                RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                m_bHotDrawn = 1;
            }
        }
    }
    Default();
}

void CTKHeaderCtrl::OnDestroy()
{
    if (CTKHeaderCtrlTheme* theme = GetTheme())
        theme->OnDestroyHeader(this);
    CHeaderCtrl::OnDestroy();
}

BOOL CTKHeaderCtrl::OnSetCursor(CWnd*, UINT, UINT)
{
    if (!m_frozenColumns.empty()) {
        POINT pt{};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWnd, &pt);
        UINT flags = 0;
        int item = HitTest(pt.x, pt.y, flags);
        BOOL keepArrow = item >= 0 && IsColumnFrozen(item);
        if (item >= 0 && !keepArrow) {
            // The divider between this item and a frozen neighbour belongs to the neighbour.
            HDITEMW info{};
            info.mask = HDI_ORDER;
            CRect rc;
            if (GetItem(item, &info) && GetItemRect(item, &rc)) {
                int neighbour = OrderToIndex(info.iOrder + (m_bRTL ? 1 : -1));
                BOOL towardNeighbour = m_bRTL ? pt.x >= rc.left + rc.Width() / 2 : pt.x < rc.left + rc.Width() / 2;
                keepArrow = info.iOrder + (m_bRTL ? 1 : -1) >= 0 && neighbour >= 0 && IsColumnFrozen(neighbour) &&
                            towardNeighbour;
            }
        }
        if (keepArrow) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
    }
    return (BOOL)Default();
}

LRESULT CTKHeaderCtrl::OnWindowPosChanging(WPARAM, LPARAM lParam)
{
    auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
    if (m_bFitOnResize && wp && !(wp->flags & SWP_NOSIZE) && GetItemCount() > 0 && !m_bFitting) {
        HWND parent = ::GetParent(m_hWnd);
        if (!parent || ::GetCapture() != parent) {
            CRect rc;
            GetWindowRect(&rc);
            if (wp->cx != rc.Width()) {
                // Setting the widths makes the list lay its header out again; that nested
                // change must not fit the columns a second time.
                m_bFitting = TRUE;
                ResizeColumnsToFit(wp->cx);
                m_bFitting = FALSE;
            }
        }
    }
    return Default();
}

BOOL CTKHeaderCtrl::OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMHEADERW*>(pNMHDR);
    if (nm->pitem && (nm->pitem->mask & HDI_WIDTH) &&
        (IsColumnFrozen(nm->iItem) || nm->pitem->cxy < m_nMinColumnWidth)) {
        *pResult = 1;
        return TRUE;
    }
    return FALSE;
}

LRESULT CTKHeaderCtrl::OnLayout(WPARAM, LPARAM lParam)
{
    CTKHeaderCtrlTheme* theme = GetTheme();
    if (!theme)
        return Default();
    return theme->Layout(reinterpret_cast<HDLAYOUT*>(lParam), this);
}

// ---- Column menu and its commands ---------------------------------------------------------------
void CTKHeaderCtrl::OnRButtonDown(UINT, CPoint point)
{
    m_ptLastRClick = point;
    CWnd* parent = GetParent();
    if (!parent || (parent->GetStyle() & LVS_NOSORTHEADER) || !m_bPopupMenuEnabled) {
        Default();
        return;
    }
    ShowColumnMenu(point);
}

void CTKHeaderCtrl::ShowColumnMenu(CPoint point)
{
    CPoint screen = point;
    ClientToScreen(&screen);
    if (m_nPopupMenuID) {
        HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(m_nPopupMenuID), MAKEINTRESOURCEW(4));
        HMENU menu = ::LoadMenuW(module, MAKEINTRESOURCEW(m_nPopupMenuID));
        if (!menu)
            return;
        if (HMENU popup = ::GetSubMenu(menu, m_nPopupSubMenu)) {
            HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
            ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner ? owner : ::GetParent(m_hWnd),
                             nullptr);
        }
        ::DestroyMenu(menu);
        return;
    }

    const int item = ItemAt(point);
    if (item < 0)
        return;
    HMENU menu = nullptr;
    if (!GetResourceLoader().LoadMenu(menu, TK_IDR_HEADER_MENU))
        return;
    if (HMENU popup = ::GetSubMenu(menu, 2)) {
        CheckColumnMenu(popup, item);
        TrackToolkitPopupMenu(CMenu::FromHandle(popup), TPM_RIGHTBUTTON, screen.x, screen.y, this,
                              TK_IDR_HEADER_MENU_ICONS);
    }
    ::DestroyMenu(menu);
}

void CTKHeaderCtrl::CheckColumnMenu(HMENU popup, int nItem)
{
    if (nItem == m_nSortColumn)
        ::CheckMenuItem(popup, m_bSortAscending ? TK_ID_HEADER_SORTASC : TK_ID_HEADER_SORTDESC,
                        MF_BYCOMMAND | MF_CHECKED);
    CWnd* list = GetParentList();
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_FMT;
    if (!list || !list->SendMessage(LVM_GETCOLUMNW, (WPARAM)nItem, (LPARAM)&lvc))
        return;
    UINT id = TK_ID_HEADER_ALIGNLEFT;
    if ((lvc.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
        id = TK_ID_HEADER_ALIGNRIGHT;
    else if ((lvc.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
        id = TK_ID_HEADER_ALIGNCENTER;
    ::CheckMenuItem(popup, id, MF_BYCOMMAND | MF_CHECKED);
}

void CTKHeaderCtrl::OnSortCommand(BOOL bAscending)
{
    const int item = ItemAt(m_ptLastRClick);
    if (item < 0 || (item == m_nSortColumn && !m_bSortAscending == !bAscending))
        return;
    m_bSortAscending = bAscending ? 1 : 0;
    m_nSortColumn = item;
    Invalidate();
    CWnd* list = GetParentList();
    if (!list)
        return;
    WCHAR text[256] = {};
    HDITEMW info{};
    info.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_BITMAP | HDI_IMAGE | HDI_ORDER;
    info.pszText = text;
    info.cchTextMax = 256;
    GetItem(item, &info);
    NMHEADERW nm{};
    nm.hdr.hwndFrom = m_hWnd;
    nm.hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
    nm.hdr.code = HDN_ITEMCLICKW;
    nm.iItem = item;
    nm.iButton = 1;
    nm.pitem = &info;
    HWND hList = list->m_hWnd;
    ::SendMessageW(hList, WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
    // The list may have gone while it sorted.
    if (::IsWindow(hList))
        CWnd::FromHandle(hList)->SendMessageToDescendants(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
}

void CTKHeaderCtrl::OnSortAscending()
{
    OnSortCommand(TRUE);
}

void CTKHeaderCtrl::OnSortDescending()
{
    OnSortCommand(FALSE);
}

void CTKHeaderCtrl::OnAlignLeft()
{
    SetAlignment(LVCFMT_LEFT);
}

void CTKHeaderCtrl::OnAlignCenter()
{
    SetAlignment(LVCFMT_CENTER);
}

void CTKHeaderCtrl::OnAlignRight()
{
    SetAlignment(LVCFMT_RIGHT);
}
