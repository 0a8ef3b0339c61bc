// The tab strip model: tabs, selection, hit tests, keyboard navigation and the press and reorder loops.
#include "toolkit/docking/tab_manager.h"

#include "afx/gdi.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/docking/tab_painter.h"
#include "win32/controls/tooltip.h"

#include <algorithm>

namespace {

const COLORREF kTabColors[8] = {
    RGB(138, 168, 228), RGB(255, 219, 117), RGB(189, 205, 159), RGB(240, 158, 159),
    RGB(186, 166, 225), RGB(154, 191, 180), RGB(247, 182, 131), RGB(216, 171, 192),
};

// A quit request taken by one of the loops below belongs to the thread's own loop.
BOOL RepostIfQuit(const MSG& msg)
{
    if (msg.message != WM_QUIT)
        return FALSE;
    ::PostQuitMessage(int(msg.wParam));
    return TRUE;
}

} // namespace

COLORREF TabColorFromId(COLORREF color)
{
    if (color >= TKP_TAB_COLOR_ID && color <= TKP_TAB_COLOR_ID + 7)
        return kTabColors[color - TKP_TAB_COLOR_ID];
    return color;
}

// ---- Tab ---------------------------------------------------------------------------------------
CTKPTabManagerItem::CTKPTabManagerItem()
{
    EnableAutomation();
}

void CTKPTabManagerItem::SetCaption(LPCWSTR caption)
{
    CString text(caption ? caption : u"");
    if (text == m_strCaption)
        return;
    m_strCaption = text;
    if (m_pStrip)
        m_pStrip->Reposition();
}

CString CTKPTabManagerItem::GetCaption() const
{
    return m_pStrip ? m_pStrip->GetItemCaption(this) : m_strCaption;
}

void CTKPTabManagerItem::SetColor(COLORREF color)
{
    m_clrItem = color;
    if (m_pStrip)
        m_pStrip->RedrawControl();
}

COLORREF CTKPTabManagerItem::GetColor() const
{
    return m_pStrip ? m_pStrip->GetItemColor(this) : TabColorFromId(m_clrItem);
}

void CTKPTabManagerItem::Remove()
{
    if (m_pStrip)
        m_pStrip->DeleteItem(m_nIndex);
}

BOOL CTKPTabManagerItem::IsSelected() const
{
    return m_pStrip && m_pStrip->GetSelectedItem() == this;
}

BOOL CTKPTabManagerItem::IsHot() const
{
    return m_pStrip && m_pStrip->GetHotItem() == this;
}

// ---- Rows --------------------------------------------------------------------------------------
void CTKPTabRows::Reset(int rows, int tabCount)
{
    rows = std::max(rows, 1);
    if (rows != GetCount())
        m_rows.assign(size_t(rows), CTKPTabRow{0, -1});
    m_rows[0] = CTKPTabRow{0, tabCount - 1};
}

// ---- Navigation buttons ------------------------------------------------------------------------
CTKPTabScrollButton::CTKPTabScrollButton(CTKPTabStrip* strip, int id, int showMode)
    : m_nId(id), m_nShowMode(showMode), m_pStrip(strip)
{
}

BOOL CTKPTabScrollButton::IsShown() const
{
    return !m_rcButton.IsRectEmpty();
}

void CTKPTabScrollButton::ReserveSpace(int& length)
{
    const BOOL horizontal = IsHorizontalTabPosition(m_pStrip->GetPosition());
    BOOL reserve;
    if (m_nId == TKP_TABNAV_CLOSE)
        reserve = m_nShowMode == TKP_TABNAV_SHOW_ALWAYS ||
                  (m_nShowMode == TKP_TABNAV_SHOW_AUTO && m_pStrip->IsNavigateButtonAllowed(this));
    else
        reserve = m_nShowMode == TKP_TABNAV_SHOW_ALWAYS;
    if (reserve)
        length -= horizontal ? m_nWidth : m_nHeight;
}

void CTKPTabScrollButton::Place(CRect& area)
{
    CTKPTabPainter* painter = m_pStrip->GetPaintManager();
    const BOOL horizontal = IsHorizontalTabPosition(m_pStrip->GetPosition());
    const int layout = painter ? painter->GetLayout() : 0;
    const int headerLength = horizontal ? area.Width() : area.Height();
    BOOL show = FALSE;
    if (m_nId == TKP_TABNAV_CLOSE) {
        show = m_nShowMode == TKP_TABNAV_SHOW_ALWAYS ||
               (m_nShowMode == TKP_TABNAV_SHOW_AUTO && m_pStrip->IsNavigateButtonAllowed(this));
    } else if (layout != TKP_TABLAYOUT_MULTIROW) {
        if (m_nShowMode == TKP_TABNAV_SHOW_ALWAYS) {
            show = TRUE;
        } else if (m_nShowMode == TKP_TABNAV_SHOW_AUTO && layout != TKP_TABLAYOUT_SIZETOFIT) {
            const int marginLeft = painter ? painter->GetContentMargin().left : 0;
            const BOOL fits = m_pStrip->GetItemsLength() + m_pStrip->m_nScrollOffset - marginLeft - 1 <= headerLength &&
                              m_pStrip->m_nScrollOffset >= 0;
            show = !fits;
        }
        const int length = m_pStrip->GetItemsLength() + m_pStrip->m_nScrollOffset;
        m_bEnabled = m_nId == TKP_TABNAV_BACK ? m_pStrip->m_nScrollOffset < 0 : length > headerLength - 28;
    }
    if (!show) {
        m_rcButton.SetRectEmpty();
        return;
    }
    if (horizontal) {
        const int centre = (area.top + area.bottom) / 2;
        m_rcButton.SetRect(area.right - m_nWidth, centre + m_nHeight / 2 - m_nHeight, area.right, centre + m_nHeight / 2);
        area.right -= m_nWidth;
    } else {
        const int centre = (area.left + area.right) / 2;
        m_rcButton.SetRect(centre - m_nWidth / 2, area.bottom - m_nHeight, centre - m_nWidth / 2 + m_nWidth, area.bottom);
        area.bottom -= m_nHeight;
    }
}

void CTKPTabScrollButton::DrawGlyph(CDC* pDC)
{
    const CRect& rc = m_rcButton;
    const int cx = rc.CenterPoint().x, cy = rc.CenterPoint().y;
    const BOOL horizontal = IsHorizontalTabPosition(m_pStrip->GetPosition());
    if (m_nId == TKP_TABNAV_CLOSE) {
        const POINT lines[4][2] = {
            {{rc.left + 3, rc.top + 3}, {rc.right - 4, rc.bottom - 5}},
            {{rc.left + 4, rc.top + 3}, {rc.right - 3, rc.bottom - 5}},
            {{rc.left + 3, rc.bottom - 6}, {rc.right - 4, rc.top + 2}},
            {{rc.left + 4, rc.bottom - 6}, {rc.right - 3, rc.top + 2}},
        };
        for (const auto& line : lines) {
            pDC->MoveTo(line[0]);
            pDC->LineTo(line[1]);
        }
        return;
    }
    POINT pts[3];
    if (m_nId == TKP_TABNAV_FORWARD) {
        if (horizontal)
            pts[0] = {cx - 2, cy - 5}, pts[1] = {cx + 2, cy - 1}, pts[2] = {cx - 2, cy + 3};
        else
            pts[0] = {cx - 5, cy - 2}, pts[1] = {cx - 1, cy + 2}, pts[2] = {cx + 3, cy - 2};
    } else {
        if (horizontal)
            pts[0] = {cx + 2, cy - 5}, pts[1] = {cx - 2, cy - 1}, pts[2] = {cx + 2, cy + 3};
        else
            pts[0] = {cx - 5, cy + 2}, pts[1] = {cx - 1, cy - 2}, pts[2] = {cx + 3, cy + 2};
    }
    pDC->Polygon(pts, 3);
}

void CTKPTabScrollButton::Click(BOOL repeat)
{
    switch (m_nId) {
    case TKP_TABNAV_BACK:
        if (repeat)
            m_pStrip->OnScroll(0);
        break;
    case TKP_TABNAV_FORWARD:
        if (repeat)
            m_pStrip->OnScroll(1);
        break;
    case TKP_TABNAV_CLOSE:
        if (!repeat)
            m_pStrip->OnNavigateButtonClick(TKP_TABNAV_CLOSE);
        break;
    default:
        break;
    }
}

void CTKPTabScrollButton::UpdateHover(HWND hwnd, CPoint point)
{
    const BOOL inside = m_rcButton.PtInRect(point);
    if (!inside && m_bHot) {
        m_bHot = FALSE;
        m_pStrip->RedrawControl();
    } else if (inside && m_bEnabled && !m_bHot) {
        m_bHot = TRUE;
        m_pStrip->RedrawControl();
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
        ::TrackMouseEvent(&tme);
    }
}

void CTKPTabScrollButton::Press(HWND hwnd, CPoint point)
{
    if (::GetCapture() || !m_bEnabled)
        return;
    ::SetCapture(hwnd);
    DWORD lastRepeat = ::GetTickCount();
    BOOL releasedInside = FALSE;
    for (;;) {
        if (m_bEnabled && ::GetTickCount() - lastRepeat > 20) {
            lastRepeat = ::GetTickCount();
            Click(TRUE);
        }
        const BOOL inside = m_rcButton.PtInRect(point);
        if (inside != m_bPressed) {
            m_bPressed = inside;
            m_pStrip->RedrawControl();
        }
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Nothing to do until a message arrives or the next repeat is due.
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            continue;
        }
        if (RepostIfQuit(msg))
            break;
        if (::GetCapture() != hwnd) {
            ::DispatchMessageW(&msg);
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            point = CPoint(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
        } else if (msg.message == WM_CANCELMODE || msg.message == WM_RBUTTONDOWN ||
                   (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)) {
            break;
        } else if (msg.message == WM_LBUTTONUP) {
            releasedInside = m_bPressed;
            break;
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
    m_bPressed = FALSE;
    UpdateHover(hwnd, point);
    m_pStrip->RedrawControl();
    if (releasedInside)
        Click(FALSE);
}

// ---- Strip -------------------------------------------------------------------------------------
CTKPTabStrip::CTKPTabStrip()
{
    m_buttons.push_back(new CTKPTabScrollButton(this, TKP_TABNAV_BACK, TKP_TABNAV_SHOW_AUTO));
    m_buttons.push_back(new CTKPTabScrollButton(this, TKP_TABNAV_FORWARD, TKP_TABNAV_SHOW_AUTO));
    m_buttons.push_back(new CTKPTabScrollButton(this, TKP_TABNAV_CLOSE, TKP_TABNAV_SHOW_NEVER));
}

CTKPTabStrip::~CTKPTabStrip()
{
    if (m_pListedIn)
        m_pListedIn->RemoveStrip(this);
    for (CTKPTabManagerItem* item : m_items) {
        item->m_pStrip = nullptr;
        item->InternalRelease();
    }
    m_items.clear();
    for (CTKPTabScrollButton* button : m_buttons)
        delete button;
}

CString CTKPTabStrip::GetItemCaption(const CTKPTabManagerItem* item) const
{
    return item->m_strCaption;
}

DWORD_PTR CTKPTabStrip::GetItemData(const CTKPTabManagerItem* item) const
{
    return item->m_dwItemData;
}

COLORREF CTKPTabStrip::GetItemColor(const CTKPTabManagerItem* item) const
{
    return TabColorFromId(item->m_clrItem);
}

CString CTKPTabStrip::GetItemTooltip(const CTKPTabManagerItem* item) const
{
    return item->m_strToolTip;
}

void CTKPTabStrip::OnItemsChanged()
{
    for (size_t i = 0; i < m_items.size(); ++i)
        m_items[i]->m_nIndex = int(i);
    Reposition();
}

void CTKPTabStrip::SetFocusedItem(CTKPTabManagerItem* item)
{
    if (item == m_pSelected)
        return;
    m_pSelected = item;
    Reposition();
    EnsureVisible(item);
}

void CTKPTabStrip::SelectItem(CTKPTabManagerItem* item)
{
    if (item)
        SetSelectedItem(item);
}

void CTKPTabStrip::GetItemMetrics(CSize* size, CSize* minSize, CSize* maxSize) const
{
    if (size)
        *size = m_szTab;
    if (minSize)
        *minSize = m_szTabMin;
    if (maxSize)
        *maxSize = m_szTabMax;
}

BOOL CTKPTabStrip::IsFrameShown() const
{
    CTKPTabPainter* painter = GetPaintManager();
    return painter && painter->m_bStripFrame;
}

int CTKPTabStrip::GetPosition() const
{
    CTKPTabPainter* painter = GetPaintManager();
    return painter ? painter->GetPosition() : TKP_TABPOS_TOP;
}

void CTKPTabStrip::OnScroll(int direction)
{
    SetScrollOffset(direction == 0 ? m_nScrollOffset + m_nScrollStep : m_nScrollOffset - m_nScrollStep);
}

BOOL CTKPTabStrip::IsNavigateButtonAllowed(const CTKPTabScrollButton* button) const
{
    if (button->m_nId != TKP_TABNAV_CLOSE)
        return TRUE;
    return m_pSelected ? m_pSelected->m_bClosable : FALSE;
}

CTKPTabManagerItem* CTKPTabStrip::InsertItem(int index, CTKPTabManagerItem* item)
{
    if (!item)
        item = new CTKPTabManagerItem;
    item->m_pStrip = this;
    if (index < 0 || index > GetItemCount())
        index = GetItemCount();
    m_items.insert(m_items.begin() + index, item);
    if (CTKPTabPainter* painter = GetPaintManager())
        item->m_clrItem = TKP_TAB_COLOR_ID + COLORREF(painter->m_nColorCounter++ % 8);
    else
        item->m_clrItem = TKP_TAB_COLOR_ID;
    OnItemsChanged();
    return item;
}

BOOL CTKPTabStrip::DeleteItem(int index)
{
    if (index < 0 || index >= GetItemCount())
        return FALSE;
    CTKPTabManagerItem* item = m_items[size_t(index)];
    m_items.erase(m_items.begin() + index);
    const BOOL wasSelected = item == m_pSelected;
    // Neither pointer may outlive the tab it names.
    if (wasSelected)
        m_pSelected = nullptr;
    if (item == m_pHot)
        m_pHot = nullptr;
    item->m_pStrip = nullptr;
    item->InternalRelease();
    if (wasSelected) {
        for (size_t i = 0; i < m_items.size(); ++i)
            m_items[i]->m_nIndex = int(i);
        SetCurSel(index);
    }
    OnItemsChanged();
    return TRUE;
}

void CTKPTabStrip::DeleteAllItems()
{
    std::vector<CTKPTabManagerItem*> items;
    items.swap(m_items);
    m_pSelected = m_pHot = nullptr;
    for (CTKPTabManagerItem* item : items) {
        item->m_pStrip = nullptr;
        item->InternalRelease();
    }
    OnItemsChanged();
}

void CTKPTabStrip::SetCurSel(int index)
{
    if (m_items.empty()) {
        SetFocusedItem(nullptr);
        return;
    }
    index = std::clamp(index, 0, GetItemCount() - 1);
    SetFocusedItem(m_items[size_t(index)]);
}

CTKPTabManagerItem* CTKPTabStrip::FindItem(int index, int step) const
{
    if (step == 0)
        return nullptr;
    for (; index >= 0 && index < GetItemCount(); index += step) {
        CTKPTabManagerItem* item = m_items[size_t(index)];
        if (item->m_bVisible && item->m_bEnabled)
            return item;
    }
    return nullptr;
}

CTKPTabManagerItem* CTKPTabStrip::HitTest(int x, int y) const
{
    const CPoint pt(x, y);
    if (!m_rcControl.PtInRect(pt))
        return nullptr;
    if (!m_rcHeader.IsRectEmpty() && !m_rcHeader.PtInRect(pt))
        return nullptr;
    for (CTKPTabManagerItem* item : m_items)
        if (item->m_bEnabled && item->m_bVisible && item->m_rcItem.PtInRect(pt))
            return item;
    return nullptr;
}

int CTKPTabStrip::GetItemsLength() const
{
    CTKPTabPainter* painter = GetPaintManager();
    if (painter && painter->GetLayout() == TKP_TABLAYOUT_ROTATED)
        return GetItemCount() * painter->GetRowHeight(this);
    int length = 0;
    for (const CTKPTabManagerItem* item : m_items)
        length += item->m_nWidth;
    return length;
}

void CTKPTabStrip::SetScrollOffset(int offset)
{
    if (offset == m_nScrollOffset)
        return;
    m_nScrollOffset = offset;
    Reposition();
}

void CTKPTabStrip::EnsureVisible(CTKPTabManagerItem* item)
{
    if (!item)
        return;
    if (CTKPTabPainter* painter = GetPaintManager())
        painter->EnsureVisible(this, item);
}

BOOL CTKPTabStrip::OnLButtonDown(HWND hwnd, int x, int y, BOOL buttonsOnly)
{
    const CPoint pt(x, y);
    for (CTKPTabScrollButton* button : m_buttons) {
        if (button->m_rcButton.PtInRect(pt)) {
            button->Press(hwnd, pt);
            return TRUE;
        }
    }
    if (buttonsOnly)
        return FALSE;
    CTKPTabManagerItem* item = HitTest(x, y);
    if (!item)
        return FALSE;
    if (IsAllowReorder())
        ReorderItem(hwnd, x, y, item);
    else
        SetSelectedItem(item);
    return TRUE;
}

void CTKPTabStrip::TrackHotLeave(HWND hwnd)
{
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
    ::TrackMouseEvent(&tme);
}

void CTKPTabStrip::UpdateButtonsHover(HWND hwnd, CPoint point)
{
    for (CTKPTabScrollButton* button : m_buttons)
        button->UpdateHover(hwnd, point);
}

void CTKPTabStrip::OnMouseMove(HWND hwnd, int x, int y)
{
    if (!IsTopLevelWindowActive(hwnd) || IsDragging())
        return;
    CTKPTabPainter* painter = GetPaintManager();
    if (painter && painter->m_bHotTracking) {
        CTKPTabManagerItem* hot = HitTest(x, y);
        if (hot != m_pHot) {
            m_pHot = hot;
            RedrawControl();
            if (hot)
                TrackHotLeave(hwnd);
        }
    }
    UpdateButtonsHover(hwnd, CPoint(x, y));
}

INT_PTR CTKPTabStrip::OnToolHitTest(HWND hwnd, CPoint point, tagTOOLINFOW* pTI) const
{
    CTKPTabManagerItem* item = HitTest(point.x, point.y);
    CTKPTabPainter* painter = GetPaintManager();
    if (!item || !painter || painter->m_nTooltipMode == 0)
        return -1;
    if (painter->m_nTooltipMode == 2 && item->m_nWidth >= item->m_nFullWidth)
        return -1;
    const CString tip = GetItemTooltip(item);
    if (tip.IsEmpty())
        return -1;
    if (pTI) {
        const CString caption = GetItemCaption(item);
        CTKPTipContext::FillToolInfo(pTI, hwnd, UINT_PTR(item->m_nIndex), item->m_rcItem, 0, tip, tip, caption);
    }
    return item->m_nIndex;
}

void CTKPTabStrip::ReorderItem(HWND hwnd, int x, int y, CTKPTabManagerItem* item)
{
    CTKPTabManagerItem* previous = m_pSelected;
    m_pSelected = item;
    CTKPTabPainter* painter = GetPaintManager();
    if (painter && painter->m_bHotTracking)
        m_pHot = item;
    Reposition();

    std::vector<CRect> rects;
    for (const CTKPTabManagerItem* tab : m_items)
        rects.push_back(tab->m_rcItem);

    // The host may drop the tab while messages are dispatched; it stays alive until the loop ends.
    item->InternalAddRef();
    CPoint last(x, y);
    ::SetCapture(hwnd);
    MSG msg;
    for (;;) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            RepostIfQuit(msg);
            break;
        }
        if (::GetCapture() != hwnd) {
            ::DispatchMessageW(&msg);
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            last = CPoint(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
            for (size_t i = 0; i < rects.size() && i < m_items.size(); ++i) {
                if (m_items[i] == item || !rects[i].PtInRect(last))
                    continue;
                auto at = std::find(m_items.begin(), m_items.end(), item);
                if (at != m_items.end()) {
                    std::swap(*at, m_items[i]);
                    OnItemsChanged();
                }
                break;
            }
        } else if (msg.message == WM_CANCELMODE || msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONDOWN ||
                   (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)) {
            break;
        } else if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR ||
                   msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP) {
            // Keys other than Escape do nothing while a tab is dragged.
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
    if (painter && painter->m_bHotTracking) {
        CTKPTabManagerItem* hot = HitTest(last.x, last.y);
        if (hot != m_pHot) {
            m_pHot = hot;
            RedrawControl();
        }
    }
    UpdateButtonsHover(hwnd, last);
    // The previous selection comes back first so that the host sees the change to the dragged tab.
    m_pSelected = std::find(m_items.begin(), m_items.end(), previous) != m_items.end() ? previous : nullptr;
    if (std::find(m_items.begin(), m_items.end(), item) != m_items.end())
        SetSelectedItem(item);
    item->InternalRelease();
}

BOOL CTKPTabStrip::PerformKeyDown(HWND hwnd, UINT key)
{
    if (m_items.empty())
        return FALSE;
    if (hwnd)
        MirrorArrowKey(hwnd, key);
    const BOOL horizontal = IsHorizontalTabPosition(GetPosition());
    CTKPTabManagerItem* target = nullptr;
    const int selected = GetCurSel();
    switch (key) {
    case VK_END:
        target = FindItem(GetItemCount() - 1, -1);
        break;
    case VK_HOME:
        target = FindItem(0, 1);
        break;
    case VK_LEFT:
    case VK_UP:
        if ((key == VK_LEFT) == horizontal && selected > 0)
            target = FindItem(selected - 1, -1);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        if ((key == VK_RIGHT) == horizontal && selected >= 0 && selected < GetItemCount() - 1)
            target = FindItem(selected + 1, 1);
        break;
    default:
        return FALSE;
    }
    if (target)
        SetSelectedItem(target);
    return TRUE;
}
