// Groups and group items: layout of the items area, the expand/collapse animation of a group, item
// scrolling in the one-open-group behaviours, hosted control windows and the saved properties.
#include "toolkit/taskpanel/task_panel_group.h"

#include "toolkit/base/draw_helpers.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/taskpanel/task_panel.h"
#include "toolkit/taskpanel/task_panel_theme.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

IMPLEMENT_SERIAL(CTKPTaskPanelGroup, CTKPTaskPanelItem, VERSIONABLE_SCHEMA | 0x10)
IMPLEMENT_SERIAL(CTKPTaskPanelGroupItem, CTKPTaskPanelItem, VERSIONABLE_SCHEMA | 0x10)

namespace {

HRESULT ReturnText(const char16_t* text, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = ::SysAllocString(text);
    return S_OK;
}

BOOL IsSelf(const VARIANT& varChild)
{
    return GetChildIdFromVariant(&varChild) == CHILDID_SELF;
}

// Moves a value toward its target by a share of the distance, at least one pixel.
LONG StepToward(LONG value, LONG target, int step)
{
    const LONG distance = target - value;
    if (distance == 0)
        return value;
    const LONG move = std::max<LONG>(1, std::abs(distance) / step);
    return distance > 0 ? value + std::min(move, distance) : value - std::min(move, -distance);
}

} // namespace

// ---- Group -------------------------------------------------------------------------------------
CTKPTaskPanelGroup::CTKPTaskPanelGroup()
    : m_rcMarginsOuter(DefaultMarginsRect), m_rcMarginsInner(DefaultMarginsRect),
      m_pItems(new CTKPTaskPanelGroupItems(this))
{
    m_nType = TKP_TASKITEM_GROUP;
}

CTKPTaskPanelGroup::~CTKPTaskPanelGroup()
{
    m_pItems->Clear(FALSE);
    m_pItems->InternalRelease();
}

void CTKPTaskPanelGroup::SetTaskPanel(CTKPTaskPanel* panel)
{
    CTKPTaskPanelItem::SetTaskPanel(panel);
    m_pItems->SetTaskPanel(panel);
}

BOOL CTKPTaskPanelGroup::IsAcceptFocus() const
{
    return CTKPTaskPanelItem::IsAcceptFocus() && m_bExpandable && (!m_pPanel || m_pPanel->IsExpandable()) &&
           m_bEnabled;
}

CTKPTaskPanelGroup* CTKPTaskPanelGroup::GetItemGroup() const
{
    return const_cast<CTKPTaskPanelGroup*>(this);
}

CRect CTKPTaskPanelGroup::GetHitTestRect() const
{
    if (!m_bVisible)
        return CRect(0, 0, 0, 0);
    CRect rc = GetCaptionRect();
    rc.OffsetRect(0, -(m_pPanel ? m_pPanel->GetScrollOffset() : 0));
    return rc;
}

void CTKPTaskPanelGroup::DoPropExchange(CTKPPropExchange* px)
{
    CTKPTaskPanelItem::DoPropExchange(px);
    PropExchangeBool(px, u"CaptionVisible", &m_bCaptionVisible, TRUE);
    PropExchangeBool(px, u"Expandable", &m_bExpandable, TRUE);
    BOOL expanded = px->IsLoading() ? FALSE : IsExpanded();
    PropExchangeBool(px, u"Expanded", &expanded, FALSE);
    PropExchangeBool(px, u"Special", &m_bSpecial, FALSE);
    PropExchangeInt(px, u"Layout", &m_nLayout, 0);
    PropExchangeRect(px, u"MarginsInner", &m_rcMarginsInner, DefaultMarginsRect);
    PropExchangeRect(px, u"MarginsOuter", &m_rcMarginsOuter, DefaultMarginsRect);
    PropExchangeSize(px, u"IconSize", &m_szIcon, SIZE{0, 0});
    if (px->IsLoading()) {
        m_pItems->SetTaskPanel(m_pPanel);
        SetExpanded(expanded);
    }
    std::unique_ptr<CTKPPropExchange> section(px->GetSection(u"Items"));
    if (section)
        m_pItems->DoPropExchange(section.get());
}

void CTKPTaskPanelGroup::DrawGroupImage(CDC* pDC, const RECT& rc)
{
    if (m_ilPicture.GetSafeHandle() && m_ilPicture.GetImageCount() == 1)
        ImageList_Draw(m_ilPicture, 0, pDC->m_hDC, rc.right - m_szPictureOffset.cx, rc.bottom - m_szPictureOffset.cy,
                       ILD_NORMAL);
}

void CTKPTaskPanelGroup::SetExpanded(BOOL expanded)
{
    if (m_pPanel) {
        m_pPanel->ExpandGroup(this, expanded);
        return;
    }
    if (m_bExpanded != expanded) {
        m_bExpanded = expanded;
        m_bExpanding = TRUE;
    }
}

BOOL CTKPTaskPanelGroup::IsExpanded() const
{
    return m_pPanel ? m_pPanel->IsGroupExpanded(this) : m_bExpanded;
}

CTKPTaskPanelGroupItem* CTKPTaskPanelGroup::GetItemAt(int index) const
{
    return static_cast<CTKPTaskPanelGroupItem*>(m_pItems->GetAt(index));
}

int CTKPTaskPanelGroup::GetItemCount() const
{
    return m_pItems->GetCount();
}

CTKPTaskPanelGroupItem* CTKPTaskPanelGroup::GetNextVisibleItem(int index, int step) const
{
    return GetItemAt(m_pItems->GetNextVisibleIndex(index, step));
}

CRect CTKPTaskPanelGroup::GetCaptionRect(BOOL target) const
{
    const CRect& rc = target ? m_rcTarget : m_rcCurrent;
    CRect caption(rc.left, rc.top, rc.right, rc.top + m_nCaptionHeight);
    if (m_pPanel) {
        for (BOOL up : {TRUE, FALSE}) {
            const TaskPanelScrollButton& button = m_pPanel->GetScrollButton(up);
            if (button.pGroupCaption == this && button.IsVisible(m_pPanel->GetPaintManager()))
                caption.right = std::min<LONG>(caption.right, button.rcButton.left -
                                                                  m_pPanel->GetPaintManager()->GetGroupSpacing(m_pPanel) - 1);
        }
    }
    return caption;
}

CRect CTKPTaskPanelGroup::GetClientRect(BOOL target) const
{
    const CRect& rc = target ? m_rcTarget : m_rcCurrent;
    return CRect(rc.left, rc.top + m_nCaptionHeight, rc.right, std::max<LONG>(rc.bottom, rc.top + m_nCaptionHeight));
}

CSize CTKPTaskPanelGroup::GetIconSize() const
{
    if (m_szIcon.cx || m_szIcon.cy)
        return m_szIcon;
    return m_pPanel ? m_pPanel->GetSmallIconSize() : CSize(16, 16);
}

void CTKPTaskPanelGroup::SetIconSize(CSize size)
{
    m_szIcon = size;
    RepositionPanel();
}

int CTKPTaskPanelGroup::GetEffectiveLayout() const
{
    if (m_nLayout)
        return m_nLayout;
    return m_pPanel ? m_pPanel->GetItemLayout() : TKP_TPLAYOUT_TEXT_BESIDE;
}

CTKPTaskPanelGroupItem* CTKPTaskPanelGroup::HitTestItem(CPoint pt, CRect* itemRect) const
{
    if (!IsExpanded())
        return nullptr;
    const CPoint local(pt.x, pt.y - GetClientRect().top + GetItemScrollOffset());
    for (int i = GetFirstVisibleIndex(); i >= 0 && i < GetItemCount(); ++i) {
        CTKPTaskPanelGroupItem* item = GetItemAt(i);
        if (item->IsVisible() && item->m_rcItem.PtInRect(local)) {
            if (itemRect)
                *itemRect = item->m_rcItem;
            return item;
        }
    }
    return nullptr;
}

// ---- Item scrolling ----------------------------------------------------------------------------
void CTKPTaskPanelGroup::SetFirstVisibleIndex(int index, BOOL update)
{
    const int perRow = std::max(1, m_nItemsInRow);
    index -= ((index % perRow) + perRow) % perRow;
    index = std::clamp(index, 0, std::max(0, GetItemCount() - 1));
    if (index == m_nFirstVisible)
        return;
    m_nFirstVisible = index;
    if (update && m_pPanel) {
        OnAnimate(0);
        m_pPanel->UpdateScrollButtons();
        m_pPanel->Invalidate(FALSE);
    }
}

int CTKPTaskPanelGroup::GetFirstVisibleIndex() const
{
    const int count = GetItemCount();
    if (m_nFirstVisible >= 0 && m_nFirstVisible < count && GetItemAt(m_nFirstVisible)->IsVisible())
        return m_nFirstVisible;
    int index = m_pItems->GetNextVisibleIndex(m_nFirstVisible, 1);
    if (index < 0)
        index = m_pItems->GetNextVisibleIndex(std::min(m_nFirstVisible, count), -1);
    return std::max(index, 0);
}

int CTKPTaskPanelGroup::GetItemScrollOffset() const
{
    const int first = GetFirstVisibleIndex();
    if (first == 0 || !m_pPanel)
        return 0;
    CTKPTaskPanelGroupItem* item = GetItemAt(first);
    return item ? item->m_rcItem.top - m_pPanel->GetPaintManager()->GetGroupInnerMargins(this).top : 0;
}

BOOL CTKPTaskPanelGroup::CanScroll(BOOL up) const
{
    if (up)
        return m_nFirstVisible != 0;
    CTKPTaskPanelItem* last = m_pItems->GetLastVisibleItem();
    if (!last)
        return FALSE;
    const int clientHeight = m_rcTarget.Height() - m_nCaptionHeight;
    return static_cast<CTKPTaskPanelGroupItem*>(last)->m_rcItem.bottom - GetItemScrollOffset() > clientHeight;
}

void CTKPTaskPanelGroup::Scroll(int step)
{
    SetFirstVisibleIndex(m_nFirstVisible + step, TRUE);
}

BOOL CTKPTaskPanelGroup::IsItemVisible(const CTKPTaskPanelGroupItem* item, BOOL partial) const
{
    if (!item || item->GetItemGroup() != this || !item->IsVisible())
        return FALSE;
    if (!m_pPanel || m_pPanel->GetBehaviour() == TKP_TPBEHAVIOUR_EXPLORER)
        return TRUE;
    if (item->GetIndex() < GetFirstVisibleIndex())
        return FALSE;
    const int clientHeight = m_rcTarget.Height() - m_nCaptionHeight;
    const int offset = GetItemScrollOffset();
    return partial ? item->m_rcItem.top - offset < clientHeight : item->m_rcItem.bottom - offset <= clientHeight;
}

void CTKPTaskPanelGroup::EnsureItemVisible(CTKPTaskPanelGroupItem* item, BOOL update)
{
    if (!item || item->GetItemGroup() != this || !item->IsVisible())
        return;
    const int index = item->GetIndex();
    if (index < GetFirstVisibleIndex()) {
        SetFirstVisibleIndex(index, update);
        return;
    }
    const int perRow = std::max(1, m_nItemsInRow);
    while (!IsItemVisible(item, FALSE) && m_nFirstVisible + perRow <= index) {
        const int before = m_nFirstVisible;
        SetFirstVisibleIndex(m_nFirstVisible + perRow, update);
        if (m_nFirstVisible == before)
            break;
    }
}

void CTKPTaskPanelGroup::FitFirstVisibleIndex()
{
    CTKPTaskPanelItem* last = m_pItems->GetLastVisibleItem();
    const int clientHeight = m_rcTarget.Height() - m_nCaptionHeight;
    const int perRow = std::max(1, m_nItemsInRow);
    while (last && m_nFirstVisible > 0) {
        const int candidate = std::max(0, m_nFirstVisible - perRow);
        CTKPTaskPanelGroupItem* first = GetItemAt(candidate);
        const int top = candidate == 0 ? 0 : first->m_rcItem.top - m_pPanel->GetPaintManager()->GetGroupInnerMargins(this).top;
        if (static_cast<CTKPTaskPanelGroupItem*>(last)->m_rcItem.bottom - top > clientHeight)
            break;
        m_nFirstVisible = candidate;
    }
    CTKPTaskPanelGroupItem* keep = dynamic_cast<CTKPTaskPanelGroupItem*>(m_pPanel->GetFocusedItem());
    if (m_pPanel->IsSelectItemOnFocus() && (!keep || keep->GetItemGroup() != this)) {
        keep = nullptr;
        for (int i = 0; i < GetItemCount() && !keep; ++i)
            if (GetItemAt(i)->IsSelected())
                keep = GetItemAt(i);
    }
    if (keep && keep->GetItemGroup() == this)
        EnsureItemVisible(keep, FALSE);
}

void CTKPTaskPanelGroup::SetSelectedItem(CTKPTaskPanelGroupItem* item)
{
    for (int i = 0; i < GetItemCount(); ++i)
        GetItemAt(i)->SetSelected(GetItemAt(i) == item);
}

// ---- Layout and animation ----------------------------------------------------------------------
int CTKPTaskPanelGroup::OnCalcClientHeight(CDC* pDC, const RECT& rc)
{
    CTKPTaskPanelThemePainter* theme = m_pPanel->GetPaintManager();
    const CRect outer = theme->GetGroupOuterMargins(this);
    const CRect inner = theme->GetGroupInnerMargins(this);
    const LONG left = rc.left + outer.left + inner.left;
    const LONG right = std::max<LONG>(left, rc.right - outer.right - inner.right);
    const int width = right - left;
    m_nItemsInRow = 1;
    int y = inner.top;
    const int layout = GetEffectiveLayout();
    if (layout == TKP_TPLAYOUT_GRID) {
        const CSize icon = GetIconSize();
        const CRect& pad = theme->m_rcIconGridPadding;
        const int cellWidth = std::max<LONG>(1, icon.cx + pad.left + pad.right);
        const int cellHeight = icon.cy + pad.top + pad.bottom;
        const int columns = std::max(1, width / cellWidth);
        int column = 0;
        BOOL any = FALSE;
        for (int i = 0; i < GetItemCount(); ++i) {
            CTKPTaskPanelGroupItem* item = GetItemAt(i);
            if (!item->IsVisible())
                continue;
            if (column == columns) {
                column = 0;
                y += cellHeight;
            }
            const LONG x = left + column * cellWidth;
            item->OnCalcItemRect(pDC, CRect(x, y, x + cellWidth, y + cellHeight));
            ++column;
            any = TRUE;
        }
        if (any)
            y += cellHeight;
        m_nItemsInRow = columns;
        SetFirstVisibleIndex(m_nFirstVisible, FALSE);
    } else if (m_pPanel->IsMultiColumn()) {
        const int columnWidth = std::max(1, m_pPanel->GetColumnWidth());
        const int columns = std::max(1, width / columnWidth);
        int column = 0, rowBottom = y;
        for (int i = 0; i < GetItemCount(); ++i) {
            CTKPTaskPanelGroupItem* item = GetItemAt(i);
            if (!item->IsVisible())
                continue;
            if (column == columns) {
                column = 0;
                y = rowBottom;
            }
            const LONG x = left + column * columnWidth;
            const CRect rcItem = item->OnCalcItemRect(pDC, CRect(x, y, x + columnWidth, y));
            rowBottom = std::max<int>(rowBottom, rcItem.bottom + theme->GetItemOuterMargins(item).bottom);
            ++column;
        }
        y = rowBottom;
        m_nItemsInRow = columns;
    } else {
        for (int i = 0; i < GetItemCount(); ++i) {
            CTKPTaskPanelGroupItem* item = GetItemAt(i);
            if (!item->IsVisible())
                continue;
            const CRect rcItem = item->OnCalcItemRect(pDC, CRect(left, y, right, y));
            y = rcItem.bottom + theme->GetItemOuterMargins(item).bottom;
        }
    }
    m_nClientHeight = y + inner.bottom;
    m_nCaptionHeight = theme->DrawGroupCaption(pDC, this, FALSE);
    return m_nClientHeight;
}

int CTKPTaskPanelGroup::CalcLeftOverHeight() const
{
    CTKPTaskPanelThemePainter* theme = m_pPanel->GetPaintManager();
    CRect client;
    ::GetClientRect(m_pPanel->m_hWnd, &client);
    const CRect margins = theme->GetControlMargins(m_pPanel);
    const int spacing = theme->GetGroupSpacing(m_pPanel);
    int height = client.Height() - margins.top - margins.bottom;
    int visible = 0;
    CTKPTaskPanelGroups* groups = m_pPanel->GetGroups();
    for (int i = 0; i < groups->GetCount(); ++i) {
        auto* group = static_cast<CTKPTaskPanelGroup*>(groups->GetAt(i));
        if (!group->IsVisible())
            continue;
        const CRect outer = theme->GetGroupOuterMargins(group);
        height -= group->m_nCaptionHeight + outer.top + outer.bottom;
        if (group != this && m_pPanel->IsGroupExpanded(group))
            height -= group->m_nClientHeight;
        ++visible;
    }
    if (visible > 1)
        height -= spacing * (visible - 1);
    return height;
}

void CTKPTaskPanelGroup::ShareAutoHeight(int surplus)
{
    std::vector<CTKPTaskPanelGroupItem*> items;
    LONG total = 0;
    for (int i = 0; i < GetItemCount(); ++i) {
        CTKPTaskPanelGroupItem* item = GetItemAt(i);
        if (item->IsVisible() && item->m_bAutoHeight) {
            items.push_back(item);
            total += std::max<LONG>(1, item->m_szItem.cy);
        }
    }
    if (items.empty())
        return;
    int given = 0, shift = 0;
    for (int i = 0; i < GetItemCount(); ++i) {
        CTKPTaskPanelGroupItem* item = GetItemAt(i);
        item->m_rcItem.OffsetRect(0, shift);
        if (!item->IsVisible() || !item->m_bAutoHeight)
            continue;
        int share;
        if (item == items.back())
            share = surplus - given;
        else
            share = int(LONGLONG(surplus) * std::max<LONG>(1, item->m_szItem.cy) / total);
        given += share;
        item->m_rcItem.bottom += share;
        shift += share;
    }
}

void CTKPTaskPanelGroup::OnReposition(const RECT& rc, BOOL animate)
{
    CTKPTaskPanelThemePainter* theme = m_pPanel->GetPaintManager();
    const int behaviour = m_pPanel->GetBehaviour();
    if (behaviour == TKP_TPBEHAVIOUR_EXPLORER)
        m_nFirstVisible = 0;
    const CRect outer = theme->GetGroupOuterMargins(this);
    m_rcTarget = CRect(rc.left + outer.left, rc.top + outer.top, rc.right - outer.right, rc.top + outer.top);
    if (behaviour != TKP_TPBEHAVIOUR_EXPLORER && (m_pPanel->GetActiveGroup() == this || m_bExpanding)) {
        const CRect inner = theme->GetGroupInnerMargins(this);
        const int least = inner.top + std::max<int>(32, GetIconSize().cy + inner.bottom) + 2;
        const int height = std::max(CalcLeftOverHeight(), least);
        if (height > m_nClientHeight)
            ShareAutoHeight(height - m_nClientHeight);
        m_nClientHeight = height;
    }
    m_rcTarget.bottom = m_rcTarget.top + m_nCaptionHeight + (IsExpanded() ? m_nClientHeight : 0);
    if (behaviour != TKP_TPBEHAVIOUR_EXPLORER)
        FitFirstVisibleIndex();
    // A group never laid out before has nothing to move from.
    const BOOL placed = !m_rcCurrent.IsRectNull();
    if (!(animate && placed && m_pPanel->IsAnimationOn() && m_rcCurrent != m_rcTarget))
        OnAnimate(0);
}

BOOL CTKPTaskPanelGroup::OnAnimate(int step)
{
    const CRect before = m_rcCurrent;
    if (step < 1) {
        m_rcCurrent = m_rcTarget;
    } else {
        m_rcCurrent.left = m_rcTarget.left;
        m_rcCurrent.right = m_rcTarget.right;
        m_rcCurrent.top = StepToward(m_rcCurrent.top, m_rcTarget.top, step);
        m_rcCurrent.bottom = StepToward(m_rcCurrent.bottom, m_rcTarget.bottom, step);
    }
    if (m_rcCurrent == m_rcTarget && m_bExpanding) {
        m_bExpanding = FALSE;
        if (m_pPanel)
            m_pPanel->NotifyOwner(TKP_TPN_GROUPEXPANDED, LPARAM(this));
    }
    PositionControlWindows();
    return before != m_rcCurrent;
}

void CTKPTaskPanelGroup::PositionControlWindows()
{
    for (int i = 0; i < GetItemCount(); ++i)
        GetItemAt(i)->PositionControlWindow();
}

void CTKPTaskPanelGroup::SetSpecial(BOOL special)
{
    m_bSpecial = special;
    RedrawPanel();
}

void CTKPTaskPanelGroup::SetExpandable(BOOL expandable)
{
    m_bExpandable = expandable;
    RepositionPanel();
}

void CTKPTaskPanelGroup::SetCaptionVisible(BOOL visible)
{
    m_bCaptionVisible = visible;
    RepositionPanel();
}

void CTKPTaskPanelGroup::SetLayout(int layout)
{
    m_nLayout = layout;
    RepositionPanel();
}

void CTKPTaskPanelGroup::SetMarginsOuter(const RECT& rc)
{
    m_rcMarginsOuter = rc;
    RepositionPanel();
}

void CTKPTaskPanelGroup::SetMarginsInner(const RECT& rc)
{
    m_rcMarginsInner = rc;
    RepositionPanel();
}

long CTKPTaskPanelGroup::GetAccessibleStateBits() const
{
    return CTKPTaskPanelItem::GetAccessibleStateBits() | (IsExpanded() ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED);
}

HRESULT CTKPTaskPanelGroup::GetAccessibleDefaultAction(VARIANT varChild, BSTR* pszDefaultAction)
{
    return IsSelf(varChild) ? ReturnText(u"Expand", pszDefaultAction) : E_INVALIDARG;
}

HRESULT CTKPTaskPanelGroup::AccessibleDoDefaultAction(VARIANT varChild)
{
    if (!IsSelf(varChild))
        return E_INVALIDARG;
    if (m_pPanel)
        m_pPanel->ExpandGroup(this, !IsExpanded());
    else
        SetExpanded(!m_bExpanded);
    return S_OK;
}

// ---- Group item --------------------------------------------------------------------------------
CTKPTaskPanelGroupItem::CTKPTaskPanelGroupItem() : m_rcMargins(DefaultMarginsRect)
{
    m_nType = TKP_TASKITEM_TEXT;
}

CTKPTaskPanelGroupItem::~CTKPTaskPanelGroupItem()
{
    if (m_hWndControl && ::IsWindow(m_hWndControl))
        ::ShowWindow(m_hWndControl, SW_HIDE);
}

CTKPTaskPanelGroup* CTKPTaskPanelGroupItem::GetItemGroup() const
{
    auto* items = dynamic_cast<CTKPTaskPanelGroupItems*>(m_pItems);
    return items ? items->GetGroup() : nullptr;
}

CRect CTKPTaskPanelGroupItem::GetHitTestRect() const
{
    CTKPTaskPanelGroup* group = GetItemGroup();
    if (!m_bVisible || !group)
        return CRect(0, 0, 0, 0);
    CRect rc = m_rcItem;
    rc.OffsetRect(0, group->GetClientRect().top - (m_pPanel ? m_pPanel->GetScrollOffset() : 0) -
                         group->GetItemScrollOffset());
    return rc;
}

void CTKPTaskPanelGroupItem::DoPropExchange(CTKPPropExchange* px)
{
    CTKPTaskPanelItem::DoPropExchange(px);
    PropExchangeRect(px, u"Margins", &m_rcMargins, DefaultMarginsRect);
    PropExchangeBool(px, u"Bold", &m_bBold, FALSE);
    PropExchangeSize(px, u"ItemSize", &m_szItem, SIZE{0, 0});
    BOOL selected = px->IsLoading() ? FALSE : IsSelected();
    PropExchangeBool(px, u"Selected", &selected, FALSE);
    if (px->IsLoading())
        SetSelected(selected);
    if (px->GetSchema() > 8)
        PropExchangeBool(px, u"AutoHeight", &m_bAutoHeight, FALSE);
    if (px->GetSchema() > 9)
        PropExchangeString(px, u"DragText", &m_strDragText, u"");
}

CRect CTKPTaskPanelGroupItem::OnCalcItemRect(CDC* pDC, const RECT& rc)
{
    CTKPTaskPanelGroup* group = GetItemGroup();
    if (!m_pPanel || !group)
        return m_rcItem = rc;
    if (group->GetEffectiveLayout() == TKP_TPLAYOUT_GRID)
        return m_rcItem = rc;
    CTKPTaskPanelThemePainter* theme = m_pPanel->GetPaintManager();
    const CRect margins = theme->GetItemOuterMargins(this);
    CRect area(rc.left + margins.left, rc.top + margins.top, rc.right - margins.right, rc.bottom - margins.bottom);
    if (area.bottom < area.top)
        area.bottom = area.top;
    if (m_szItem.cx == 0 && m_szItem.cy == 0 && m_nType != TKP_TASKITEM_CONTROL)
        m_rcItem = theme->DrawGroupItem(pDC, this, area, FALSE);
    else
        m_rcItem = CRect(area.left, area.top, area.left + m_szItem.cx, area.top + m_szItem.cy);
    return m_rcItem;
}

void CTKPTaskPanelGroupItem::DrawItem(CDC* pDC, const RECT& rc)
{
    CTKPTaskPanelGroup* group = GetItemGroup();
    if (!m_pPanel || !group)
        return;
    if (m_nType == TKP_TASKITEM_CONTROL && group->GetEffectiveLayout() != TKP_TPLAYOUT_GRID && m_hWndControl) {
        if (!::IsWindowVisible(m_hWndControl) && m_bmpSnapshot.m_hObject)
            ::DrawStateW(pDC->m_hDC, nullptr, nullptr, LPARAM(m_bmpSnapshot.m_hObject), 0, rc.left, rc.top,
                         m_szSnapshot.cx, m_szSnapshot.cy, DST_BITMAP | DSS_NORMAL);
        return;
    }
    m_pPanel->GetPaintManager()->DrawGroupItem(pDC, this, CRect(rc), TRUE);
}

void CTKPTaskPanelGroupItem::SetSelected(BOOL selected)
{
    if (m_pPanel && m_pPanel->IsSingleSelection()) {
        if (selected)
            m_pPanel->SetFocusedItem(this);
        return;
    }
    if (m_bSelected == selected)
        return;
    m_bSelected = selected;
    RedrawPanel();
}

BOOL CTKPTaskPanelGroupItem::IsSelected() const
{
    if (m_pPanel && m_pPanel->IsSingleSelection())
        return m_pPanel->GetFocusedItem() == this;
    return m_bSelected;
}

void CTKPTaskPanelGroupItem::SetBold(BOOL bold)
{
    m_bBold = bold;
    RepositionPanel();
}

void CTKPTaskPanelGroupItem::SetMargins(const RECT& rc)
{
    m_rcMargins = rc;
    RepositionPanel();
}

void CTKPTaskPanelGroupItem::SetSize(CSize size)
{
    m_szItem = size;
    RepositionPanel();
}

void CTKPTaskPanelGroupItem::SetControlHandle(HWND hwnd)
{
    m_hWndControl = hwnd;
    m_nType = TKP_TASKITEM_CONTROL;
    RepositionPanel();
}

void CTKPTaskPanelGroupItem::PositionControlWindow()
{
    if (m_nType != TKP_TASKITEM_CONTROL || !m_hWndControl || !::IsWindow(m_hWndControl) || !m_pPanel)
        return;
    CTKPTaskPanelGroup* group = GetItemGroup();
    if (!group)
        return;
    CTKPTaskPanelThemePainter* theme = m_pPanel->GetPaintManager();
    const CRect groupOuter = theme->GetGroupOuterMargins(group);
    const CRect groupInner = theme->GetGroupInnerMargins(group);
    const CRect itemOuter = theme->GetItemOuterMargins(this);
    const CRect client = group->GetClientRect();
    int width = client.Width() - groupOuter.left - groupOuter.right - groupInner.left - groupInner.right -
                itemOuter.left - itemOuter.right;
    if (m_szItem.cx)
        width = std::min<int>(width, m_szItem.cx);
    width = std::max(width, 0);
    const CRect place = GetHitTestRect();
    const BOOL atRest = m_bVisible && group->IsVisible() && group->GetEffectiveLayout() != TKP_TPLAYOUT_GRID &&
                        !group->IsExpansionPending() && group->IsExpanded() &&
                        group->GetCurrentRect() == group->GetTargetRect();
    if (atRest) {
        if (group->IsItemVisible(this, FALSE)) {
            ::SetWindowPos(m_hWndControl, nullptr, place.left, place.top, width, place.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
            m_bmpSnapshot.DeleteObject();
        } else {
            ::ShowWindow(m_hWndControl, SW_HIDE);
        }
        return;
    }
    const BOOL hidden = !::IsWindowVisible(m_hWndControl);
    if (hidden && m_bmpSnapshot.m_hObject && m_szSnapshot == CSize(width, place.Height()))
        return;
    ::SetWindowPos(m_hWndControl, nullptr, place.left, place.top, width, place.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    SnapshotControlWindow(m_hWndControl);
    ::ShowWindow(m_hWndControl, SW_HIDE);
    m_szSnapshot = CSize(width, place.Height());
}

void CTKPTaskPanelGroupItem::SnapshotControlWindow(HWND hwnd)
{
    CRect window;
    ::GetWindowRect(hwnd, &window);
    if (window.IsRectEmpty())
        return;
    CTKPTaskPanelGroup* group = GetItemGroup();
    const TaskPanelGroupColors* colors = m_pPanel->GetPaintManager()->GetGroupColors(group);
    HDC screen = ::GetDC(nullptr);
    HDC first = ::CreateCompatibleDC(screen);
    HDC second = ::CreateCompatibleDC(screen);
    HBITMAP bmpFirst = ::CreateCompatibleBitmap(screen, window.Width(), window.Height());
    HBITMAP bmpSecond = ::CreateCompatibleBitmap(screen, window.Width(), window.Height());
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ oldFirst = ::SelectObject(first, bmpFirst);
    HGDIOBJ oldSecond = ::SelectObject(second, bmpSecond);
    const CRect all(0, 0, window.Width(), window.Height());
    HBRUSH brush = ::CreateSolidBrush(colors->client.Dark());
    ::FillRect(first, &all, brush);
    ::DeleteObject(brush);
    ::SendMessageW(hwnd, WM_PRINT, WPARAM(first), PRF_NONCLIENT);
    ::BitBlt(second, 0, 0, all.Width(), all.Height(), first, 0, 0, SRCCOPY);
    CRect client;
    ::GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    ::SetViewportOrgEx(second, origin.x - window.left, origin.y - window.top, nullptr);
    ::SendMessageW(hwnd, WM_PRINT, WPARAM(second), PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    ::SetViewportOrgEx(second, 0, 0, nullptr);
    ::SelectObject(first, oldFirst);
    ::SelectObject(second, oldSecond);
    ::DeleteDC(first);
    ::DeleteDC(second);
    ::DeleteObject(bmpFirst);
    m_bmpSnapshot.DeleteObject();
    m_bmpSnapshot.Attach(bmpSecond);
}

long CTKPTaskPanelGroupItem::GetAccessibleStateBits() const
{
    long state = CTKPTaskPanelItem::GetAccessibleStateBits() | STATE_SYSTEM_SELECTABLE;
    if (IsSelected())
        state |= STATE_SYSTEM_SELECTED;
    CTKPTaskPanelGroup* group = GetItemGroup();
    if (group && !group->IsItemVisible(this, TRUE))
        state |= STATE_SYSTEM_INVISIBLE;
    return state;
}

HRESULT CTKPTaskPanelGroupItem::GetAccessibleDefaultAction(VARIANT varChild, BSTR* pszDefaultAction)
{
    return IsSelf(varChild) ? ReturnText(u"Click", pszDefaultAction) : E_INVALIDARG;
}

HRESULT CTKPTaskPanelGroupItem::AccessibleDoDefaultAction(VARIANT varChild)
{
    if (!IsSelf(varChild))
        return E_INVALIDARG;
    if (m_pPanel) {
        if (IsAcceptFocus())
            m_pPanel->SetFocusedItem(this);
        m_pPanel->OnClick(this);
    }
    return S_OK;
}

HRESULT CTKPTaskPanelGroupItem::AccessibleSelect(long flagsSelect, VARIANT varChild)
{
    if (!IsSelf(varChild))
        return E_INVALIDARG;
    if ((flagsSelect & SELFLAG_TAKEFOCUS) && m_pPanel)
        m_pPanel->SetFocusedItem(this);
    if (flagsSelect & SELFLAG_TAKESELECTION)
        SetSelected(TRUE);
    return S_OK;
}
