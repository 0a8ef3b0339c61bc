// CCheckListBox: the check states beside the list box's items, their drawing and their input.
#include "afx/check_list_box.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CCheckListBox, CListBox)

namespace {
// The classic check box: 13 pixels square, two pixels from the item's left edge.
constexpr int kBox = 13;
constexpr int kMargin = 2;
} // namespace

BOOL CCheckListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (!(dwStyle & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)))
        dwStyle |= LBS_OWNERDRAWFIXED;
    return CListBox::Create(dwStyle | LBS_HASSTRINGS, rect, pParentWnd, nID);
}

void CCheckListBox::SetCheck(int nIndex, int nCheck) {
    if (nIndex < 0 || nIndex >= int(m_items.size()))
        return;
    m_items[size_t(nIndex)].nCheck = nCheck;
    CRect rc;
    if (m_hWnd && GetItemRect(nIndex, &rc) != LB_ERR)
        ::InvalidateRect(m_hWnd, &rc, FALSE);
}

int CCheckListBox::GetCheck(int nIndex) const {
    return nIndex >= 0 && nIndex < int(m_items.size()) ? m_items[size_t(nIndex)].nCheck : 0;
}

void CCheckListBox::Enable(int nIndex, BOOL bEnabled) {
    if (nIndex < 0 || nIndex >= int(m_items.size()))
        return;
    m_items[size_t(nIndex)].bEnabled = bEnabled;
    CRect rc;
    if (m_hWnd && GetItemRect(nIndex, &rc) != LB_ERR)
        ::InvalidateRect(m_hWnd, &rc, FALSE);
}

BOOL CCheckListBox::IsEnabled(int nIndex) const {
    return nIndex >= 0 && nIndex < int(m_items.size()) ? m_items[size_t(nIndex)].bEnabled : FALSE;
}

CRect CCheckListBox::OnGetCheckPosition(CRect rectItem) const {
    const int top = rectItem.top + (rectItem.Height() - kBox) / 2;
    return CRect(rectItem.left + kMargin, top, rectItem.left + kMargin + kBox, top + kBox);
}

void CCheckListBox::Toggle(int nIndex) {
    if (!IsEnabled(nIndex))
        return;
    const BOOL threeState = m_nStyle == BS_AUTO3STATE || m_nStyle == BS_3STATE;
    const BOOL automatic = m_nStyle == BS_AUTOCHECKBOX || m_nStyle == BS_AUTO3STATE;
    if (automatic)
        SetCheck(nIndex, (GetCheck(nIndex) + 1) % (threeState ? 3 : 2));
    if (HWND parent = ::GetParent(m_hWnd))
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), CLBN_CHKCHANGE), LPARAM(m_hWnd));
}

void CCheckListBox::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    if (lpMeasureItemStruct)
        lpMeasureItemStruct->itemHeight = std::max<UINT>(lpMeasureItemStruct->itemHeight, kBox + 2);
}

void CCheckListBox::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    if (!lpDIS || int(lpDIS->itemID) < 0)
        return;
    const int index = int(lpDIS->itemID);
    HDC hdc = lpDIS->hDC;
    CRect item(lpDIS->rcItem);
    CRect box = OnGetCheckPosition(item);
    UINT state = DFCS_BUTTONCHECK;
    if (GetCheck(index) == 1)
        state |= DFCS_CHECKED;
    else if (GetCheck(index) == 2)
        state |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (!IsEnabled(index))
        state |= DFCS_INACTIVE;
    RECT boxRect = box;
    ::FillRect(hdc, &item, ::GetSysColorBrush(COLOR_WINDOW));
    ::DrawFrameControl(hdc, &boxRect, DFC_BUTTON, state);
    CRect text(box.right + kMargin, item.top, item.right, item.bottom);
    const BOOL selected = (lpDIS->itemState & ODS_SELECTED) != 0;
    RECT textRect = text;
    if (selected)
        ::FillRect(hdc, &textRect, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    CString caption;
    GetText(index, caption);
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, ::GetSysColor(!IsEnabled(index) ? COLOR_GRAYTEXT
                                      : selected        ? COLOR_HIGHLIGHTTEXT
                                                        : COLOR_WINDOWTEXT));
    textRect.left += 1;
    ::DrawTextW(hdc, caption, caption.GetLength(), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((lpDIS->itemState & ODS_FOCUS) && selected)
        ::DrawFocusRect(hdc, &textRect);
}

BOOL CCheckListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (pResult)
            *pResult = TRUE;
        return TRUE;
    }
    if (message == WM_MEASUREITEM) {
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        if (pResult)
            *pResult = TRUE;
        return TRUE;
    }
    return CListBox::OnChildNotify(message, wParam, lParam, pResult);
}

LRESULT CCheckListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        const LRESULT index = CListBox::WindowProc(message, wParam, lParam);
        if (index >= 0 && size_t(index) <= m_items.size())
            m_items.insert(m_items.begin() + index, ItemState{});
        return index;
    }
    case LB_DELETESTRING: {
        const LRESULT remaining = CListBox::WindowProc(message, wParam, lParam);
        if (remaining != LB_ERR && wParam < m_items.size())
            m_items.erase(m_items.begin() + std::ptrdiff_t(wParam));
        return remaining;
    }
    case LB_RESETCONTENT:
        m_items.clear();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        BOOL outside = TRUE;
        const int index = int(ItemFromPoint(pt, outside));
        CRect item;
        if (!outside && GetItemRect(index, &item) != LB_ERR && OnGetCheckPosition(item).PtInRect(pt)) {
            // The click on the box selects the item as any click does, then ticks it.
            const LRESULT result = CListBox::WindowProc(message, wParam, lParam);
            Toggle(index);
            return result;
        }
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            const int index = GetCaretIndex();
            if (index >= 0 && index < GetCount())
                Toggle(index);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == u' ')
            return 0;
        break;
    default:
        break;
    }
    return CListBox::WindowProc(message, wParam, lParam);
}
