// The task panel window: settings, layout and the expand/collapse animation, the scroll bar, focus and
// hot item, mouse and keyboard input, painting and the owner notifications.
#include "toolkit/taskpanel/task_panel.h"

#include "afx/window_dc.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/commandbars/trackers.h"
#include "toolkit/taskpanel/task_panel_theme.h"
#include "win32/ole.h"

#include <algorithm>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CTKPTaskPanel, CWnd)

namespace {

const char16_t kClassName[] = u"TKPTaskPanel";

BOOL RegisterPanelClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(nullptr, kClassName, &wc))
        return TRUE;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc) != 0;
}

BOOL IsMenuTracking()
{
    return CTKPMouseTracker::GetThreadTracker()->IsTrackingOtherThan(nullptr);
}

} // namespace

BOOL TaskPanelScrollButton::IsVisible(const CTKPTaskPanelThemePainter* theme) const
{
    return !rcButton.IsRectEmpty() && pGroupScroll && (bEnabled || (theme && theme->HasCaptionScrollButtons()));
}

// ---- Construction ------------------------------------------------------------------------------
CTKPTaskPanel::CTKPTaskPanel()
    : m_pGroups(new CTKPTaskPanelGroups(this)), m_rcMargins(DefaultMarginsRect),
      m_pDropTarget(new CTKPTaskPanelDropTarget(this)), m_pScrollDown(new TaskPanelScrollButton(FALSE)),
      m_pScrollUp(new TaskPanelScrollButton(TRUE)), m_pToolTipContext(new CTKPTipContext())
{
    ::OleInitialize(nullptr);
    EnableAutomation();
    m_hHandCursor = ::LoadCursorW(nullptr, IDC_HAND);
    if (!m_hHandCursor)
        m_hHandCursor = GetResourceLoader().LoadCursor(9973);
    m_pImageManager = new CTKPImageManager();
    SetTheme(2);
    SetAnimation(TKP_TPANIMATION_ON);
}

CTKPTaskPanel::~CTKPTaskPanel()
{
    if (m_hWnd)
        DestroyWindow();
    m_pGroups->Clear(FALSE);
    SetRefItem(m_pItemHot, nullptr);
    SetRefItem(m_pItemFocused, nullptr);
    CTKPTaskPanelItem* active = m_pActiveGroup;
    m_pActiveGroup = nullptr;
    if (active)
        active->InternalRelease();
    m_pGroups->InternalRelease();
    if (m_pImageManager)
        m_pImageManager->InternalRelease();
    m_pToolTipContext->InternalRelease();
    delete m_pPaintManager;
    delete m_pDropTarget;
    delete m_pScrollDown;
    delete m_pScrollUp;
    ::OleUninitialize();
}

BOOL CTKPTaskPanel::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (!RegisterPanelClass())
        return FALSE;
    return CreateEx(0, kClassName, nullptr, style | WS_CHILD, rect, parent, id);
}

// ---- Settings ----------------------------------------------------------------------------------
int CTKPTaskPanel::GetGroupCount() const
{
    return m_pGroups->GetCount();
}

CTKPTaskPanelGroup* CTKPTaskPanel::GetAt(int index) const
{
    return static_cast<CTKPTaskPanelGroup*>(m_pGroups->GetAt(index));
}

void CTKPTaskPanel::SetTheme(int id)
{
    delete m_pPaintManager;
    m_pPaintManager = CTKPTaskPanelThemePainter::CreateTheme(id);
    m_nTheme = id >= 0 && id <= 12 ? id : 2;
    m_pPaintManager->RefreshMetrics();
    Reposition(FALSE);
}

void CTKPTaskPanel::UpdateAnimationFlag()
{
    if (m_nAnimation == TKP_TPANIMATION_SYSTEM) {
        BOOL on = FALSE;
        ::SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0);
        m_bAnimation = on;
    } else {
        m_bAnimation = m_nAnimation == TKP_TPANIMATION_ON;
    }
}

void CTKPTaskPanel::SetAnimation(int mode)
{
    m_nAnimation = mode;
    UpdateAnimationFlag();
}

void CTKPTaskPanel::SetBehaviour(int behaviour)
{
    m_nBehaviour = behaviour;
    Reposition(FALSE);
}

void CTKPTaskPanel::SetItemLayout(int layout)
{
    m_nItemLayout = layout;
    Reposition(FALSE);
}

int CTKPTaskPanel::GetItemLayout() const
{
    if (m_nItemLayout)
        return m_nItemLayout;
    return m_nBehaviour == TKP_TPBEHAVIOUR_LIST ? TKP_TPLAYOUT_TEXT_BELOW : TKP_TPLAYOUT_TEXT_BESIDE;
}

void CTKPTaskPanel::SetHotTrackStyle(int style)
{
    m_nHotTrackStyle = style;
    Invalidate(FALSE);
}

int CTKPTaskPanel::GetHotTrackStyle() const
{
    if (m_nHotTrackStyle)
        return m_nHotTrackStyle;
    return m_nBehaviour == TKP_TPBEHAVIOUR_EXPLORER ? TKP_TPHOT_TEXT
           : m_nBehaviour == TKP_TPBEHAVIOUR_LIST   ? TKP_TPHOT_IMAGE
                                                    : TKP_TPHOT_ITEM;
}

void CTKPTaskPanel::SetMargins(const RECT& rc)
{
    m_rcMargins = rc;
    Reposition(FALSE);
}

void CTKPTaskPanel::SetGroupSpacing(int spacing)
{
    m_nGroupSpacing = spacing;
    Reposition(FALSE);
}

void CTKPTaskPanel::SetIconSize(CSize smallSize, CSize largeSize)
{
    m_szSmallIcon = smallSize;
    m_szLargeIcon = largeSize;
    Reposition(FALSE);
}

void CTKPTaskPanel::SetMultiColumn(BOOL multiColumn)
{
    m_bMultiColumn = multiColumn;
    Reposition(FALSE);
}

void CTKPTaskPanel::SetColumnWidth(int width)
{
    m_nColumnWidth = width;
    Reposition(FALSE);
}

void CTKPTaskPanel::SetSingleSelection(BOOL single)
{
    m_bSingleSelection = single;
    Invalidate(FALSE);
}

CTKPImageManager* CTKPTaskPanel::GetImageManager() const
{
    return m_pImageManager ? m_pImageManager : GetGlobalImageManager();
}

void CTKPTaskPanel::SetImageManager(CTKPImageManager* manager)
{
    if (manager)
        manager->InternalAddRef();
    if (m_pImageManager)
        m_pImageManager->InternalRelease();
    m_pImageManager = manager;
    Reposition(FALSE);
}

void CTKPTaskPanel::LockRedraw(BOOL lock)
{
    if (lock) {
        ++m_nLockRedraw;
        return;
    }
    if (m_nLockRedraw > 0 && --m_nLockRedraw == 0)
        Reposition(FALSE);
}

void CTKPTaskPanel::SetRefItem(CTKPTaskPanelItem*& slot, CTKPTaskPanelItem* item)
{
    if (slot == item)
        return;
    if (item)
        item->InternalAddRef();
    CTKPTaskPanelItem* old = slot;
    slot = item;
    if (old)
        old->InternalRelease();
}

// ---- Layout ------------------------------------------------------------------------------------
void CTKPTaskPanel::Reposition(BOOL animate)
{
    if (!m_hWnd || m_nLockRedraw > 0)
        return;
    const CRect margins = m_pPaintManager->GetControlMargins(this);
    const int spacing = m_pPaintManager->GetGroupSpacing(this);
    CRect client;
    GetClientRect(&client);
    m_nClientHeight = client.Height();
    client.left += margins.left;
    client.right = std::max(client.left, client.right - margins.right);
    {
        CClientDC dc(this);
        for (int i = 0; i < GetGroupCount(); ++i)
            if (GetAt(i)->IsVisible())
                GetAt(i)->OnCalcClientHeight(&dc, client);
    }
    int y = margins.top;
    BOOL first = TRUE;
    for (int i = 0; i < GetGroupCount(); ++i) {
        CTKPTaskPanelGroup* group = GetAt(i);
        if (!group->IsVisible()) {
            group->OnAnimate(0);
            continue;
        }
        if (!first)
            y += spacing;
        first = FALSE;
        group->OnReposition(CRect(client.left, y, client.right, y), animate);
        y = group->GetTargetRect().bottom + m_pPaintManager->GetGroupOuterMargins(group).bottom;
    }
    m_nTotalHeight = y + margins.bottom;
    RepositionScrollButtons();
    m_nAnimationStep = 10;
    BOOL moving = FALSE;
    for (int i = 0; i < GetGroupCount() && !moving; ++i)
        moving = GetAt(i)->IsVisible() && GetAt(i)->IsMoving();
    if (moving && !m_nAnimationTimer)
        m_nAnimationTimer = SetTimer(TKP_TPTIMER_ANIMATION, 30);
    else if (!moving && m_nAnimationTimer) {
        KillTimer(TKP_TPTIMER_ANIMATION);
        m_nAnimationTimer = 0;
    }
    UpdateScrollBar();
    if (!m_bAnimation)
        for (int i = 0; i < GetGroupCount(); ++i)
            GetAt(i)->PositionControlWindows();
    Invalidate(FALSE);
}

void CTKPTaskPanel::AnimateGroups()
{
    BOOL moved = FALSE;
    for (int i = 0; i < GetGroupCount(); ++i) {
        CTKPTaskPanelGroup* group = GetAt(i);
        if (group->IsVisible() && group->IsMoving() && group->OnAnimate(m_nAnimationStep))
            moved = TRUE;
    }
    RepositionScrollButtons();
    // A rename under way loses its editor while the groups move.
    HWND focus = ::GetFocus();
    if (focus && focus != m_hWnd && ::IsChild(m_hWnd, focus))
        SetFocus();
    Invalidate(FALSE);
    --m_nAnimationStep;
    if (!moved && m_nAnimationTimer) {
        KillTimer(TKP_TPTIMER_ANIMATION);
        m_nAnimationTimer = 0;
    }
}

void CTKPTaskPanel::ExpandGroup(CTKPTaskPanelGroup* group, BOOL expand)
{
    if (!group)
        return;
    if (m_nBehaviour == TKP_TPBEHAVIOUR_EXPLORER) {
        TaskPanelGroupExpanding record{group, expand};
        if (NotifyOwner(TKP_TPN_GROUPEXPANDING, LPARAM(&record)) == -1)
            return;
        group->m_bExpanded = expand;
        group->m_bExpanding = TRUE;
        Reposition(TRUE);
        return;
    }
    if (expand) {
        TaskPanelGroupExpanding record{group, TRUE};
        if (NotifyOwner(TKP_TPN_GROUPEXPANDING, LPARAM(&record)) == -1)
            return;
        CTKPTaskPanelGroup* old = m_pActiveGroup;
        if (old && old != group && old->IsExpandable()) {
            old->m_bExpanded = FALSE;
            old->m_bExpanding = TRUE;
        }
        if (m_pActiveGroup != group) {
            group->InternalAddRef();
            CTKPTaskPanelGroup* previous = m_pActiveGroup;
            m_pActiveGroup = group;
            if (previous)
                previous->InternalRelease();
        }
        group->m_bExpanded = TRUE;
        group->m_bExpanding = TRUE;
    }
    Reposition(TRUE);
}

BOOL CTKPTaskPanel::IsGroupExpanded(const CTKPTaskPanelGroup* group) const
{
    if (!group)
        return FALSE;
    if (m_nBehaviour == TKP_TPBEHAVIOUR_EXPLORER)
        return group->m_bExpanded;
    if (group == m_pActiveGroup)
        return TRUE;
    if (!group->m_bExpanded)
        return FALSE;
    return !group->IsExpandable();
}

// ---- Scroll bar --------------------------------------------------------------------------------
void CTKPTaskPanel::UpdateScrollBar()
{
    if (m_bInUpdateScrollBar || !m_hWnd)
        return;
    m_bInUpdateScrollBar = TRUE;
    CRect client;
    GetClientRect(&client);
    const BOOL show = client.Height() < m_nTotalHeight;
    if (show != m_bScrollVisible) {
        m_bScrollVisible = show;
        ShowScrollBar(SB_VERT, show);
        GetClientRect(&client);
    }
    if (show) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        GetScrollInfo(SB_VERT, &si, SIF_PAGE | SIF_RANGE);
        if (si.nPage != UINT(client.Height()) || si.nMin != 0 || si.nMax != m_nTotalHeight - 1) {
            si.fMask = SIF_PAGE | SIF_RANGE;
            si.nPage = UINT(client.Height());
            si.nMin = 0;
            si.nMax = m_nTotalHeight - 1;
            SetScrollInfo(SB_VERT, &si, TRUE);
            for (int i = 0; i < GetGroupCount(); ++i)
                GetAt(i)->PositionControlWindows();
        }
        ::EnableScrollBar(m_hWnd, SB_VERT, ESB_ENABLE_BOTH);
    }
    m_bInUpdateScrollBar = FALSE;
}

int CTKPTaskPanel::GetScrollOffset() const
{
    return m_bScrollVisible && m_hWnd ? GetScrollPos(SB_VERT) : 0;
}

int CTKPTaskPanel::GetScrollLimit() const
{
    CRect client;
    ::GetClientRect(m_hWnd, &client);
    return std::max<int>(0, m_nTotalHeight - client.Height());
}

void CTKPTaskPanel::SetScrollPosition(int pos)
{
    if (!m_bScrollVisible)
        return;
    SetScrollPos(SB_VERT, std::clamp(pos, 0, GetScrollLimit()), TRUE);
    for (int i = 0; i < GetGroupCount(); ++i)
        GetAt(i)->PositionControlWindows();
    Invalidate(FALSE);
}

void CTKPTaskPanel::OnVScroll(UINT code)
{
    const int pos = GetScrollOffset();
    const int limit = GetScrollLimit();
    CRect client;
    GetClientRect(&client);
    const int page = client.Height();
    int next = pos;
    switch (code) {
    case SB_LINEUP:
        next = std::max(0, pos - 6);
        break;
    case SB_LINEDOWN:
        next = std::min(limit, pos + 6);
        break;
    case SB_PAGEUP:
        next = pos - page < 0 ? 0 : pos - page;
        break;
    case SB_PAGEDOWN:
        next = pos + page > limit ? limit : pos + page;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        GetScrollInfo(SB_VERT, &si, SIF_TRACKPOS);
        next = si.nTrackPos;
        break;
    }
    case SB_TOP:
        next = 0;
        break;
    case SB_BOTTOM:
        next = limit;
        break;
    default:
        return;
    }
    SetScrollPosition(next);
}

void CTKPTaskPanel::OnMouseWheel(short delta)
{
    if (m_bScrollVisible) {
        SetScrollPosition(GetScrollOffset() + (delta > 0 ? -10 : 10));
        return;
    }
    CTKPTaskPanelGroup* group = m_pActiveGroup;
    if (m_nBehaviour == TKP_TPBEHAVIOUR_EXPLORER || !group || delta == 0)
        return;
    const BOOL up = delta > 0;
    for (int i = 0; i < 3 && group->CanScroll(up); ++i)
        group->Scroll(up ? -group->GetItemsInRow() : group->GetItemsInRow());
}

void CTKPTaskPanel::EnsureRectVisible(const CRect& rc)
{
    if (!m_bScrollVisible)
        return;
    CRect client;
    GetClientRect(&client);
    const int pos = GetScrollOffset();
    int next = pos;
    if (rc.bottom > pos + client.Height())
        next = std::min<int>(rc.top, rc.bottom - client.Height());
    if (rc.top < next)
        next = rc.top;
    if (next != pos)
        SetScrollPosition(next);
}

void CTKPTaskPanel::EnsureVisible(CTKPTaskPanelItem* item)
{
    if (!item || !item->IsVisible() || !m_hWnd)
        return;
    CTKPTaskPanelGroup* group = item->GetItemGroup();
    if (!group)
        return;
    if (group == item) {
        EnsureRectVisible(group->GetCaptionRect());
        return;
    }
    auto* groupItem = dynamic_cast<CTKPTaskPanelGroupItem*>(item);
    if (!groupItem)
        return;
    if (!IsGroupExpanded(group))
        ExpandGroup(group, TRUE);
    if (m_nBehaviour == TKP_TPBEHAVIOUR_EXPLORER) {
        CRect rc = groupItem->GetItemRect();
        rc.OffsetRect(0, group->GetClientRect(TRUE).top);
        EnsureRectVisible(rc);
    } else {
        EnsureRectVisible(group->GetClientRect(TRUE));
        group->EnsureItemVisible(groupItem, TRUE);
    }
}

// ---- Scroll buttons ----------------------------------------------------------------------------
void CTKPTaskPanel::RepositionScrollButtons()
{
    for (TaskPanelScrollButton* button : {m_pScrollUp, m_pScrollDown}) {
        button->rcButton.SetRectEmpty();
        button->pGroupScroll = nullptr;
        button->pGroupCaption = nullptr;
    }
    CTKPTaskPanelGroup* active = m_pActiveGroup;
    if (m_nBehaviour == TKP_TPBEHAVIOUR_EXPLORER || !active || !active->IsVisible() || !m_hWnd)
        return;
    m_pScrollUp->pGroupScroll = m_pScrollDown->pGroupScroll = active;
    if (m_pPaintManager->HasCaptionScrollButtons()) {
        const CRect margins = m_pPaintManager->GetControlMargins(this);
        CRect client;
        GetClientRect(&client);
        const CRect caption = active->GetCurrentRect();
        const int right = client.right - m_pPaintManager->GetGroupOuterMargins(active).right - margins.right;
        const int height = active->GetCaptionHeight();
        m_pScrollUp->rcButton = CRect(right - height, caption.top, right, caption.top + height);
        m_pScrollUp->pGroupCaption = active;
        const int index = m_pGroups->GetNextVisibleIndex(active->GetIndex(), 1);
        if (CTKPTaskPanelGroup* next = GetAt(index)) {
            const int nextRight = client.right - m_pPaintManager->GetGroupOuterMargins(next).right - margins.right;
            const int nextHeight = next->GetCaptionHeight();
            const CRect nextRect = next->GetCurrentRect();
            m_pScrollDown->rcButton = CRect(nextRight - nextHeight, nextRect.top, nextRight, nextRect.top + nextHeight);
            m_pScrollDown->pGroupCaption = next;
        } else {
            const int bottom = std::max<int>(client.bottom, m_nTotalHeight) - margins.bottom;
            m_pScrollDown->rcButton = CRect(right - height, bottom - height, right, bottom);
        }
    } else {
        CRect rc = active->GetClientRect();
        rc.DeflateRect(4, 4);
        m_pScrollUp->rcButton = CRect(rc.right - 16, rc.top, rc.right, rc.top + 16);
        m_pScrollDown->rcButton = CRect(rc.right - 16, rc.bottom - 16, rc.right, rc.bottom);
    }
    UpdateScrollButtons();
}

void CTKPTaskPanel::UpdateScrollButtons()
{
    CTKPTaskPanelGroup* group = m_pScrollUp->pGroupScroll;
    m_pScrollUp->bEnabled = group && group->CanScroll(TRUE);
    m_pScrollDown->bEnabled = group && group->CanScroll(FALSE);
}

TaskPanelScrollButton* CTKPTaskPanel::HitTestScrollButton(CPoint pt) const
{
    const CPoint content(pt.x, pt.y + GetScrollOffset());
    for (TaskPanelScrollButton* button : {m_pScrollUp, m_pScrollDown})
        if (button->IsVisible(m_pPaintManager) && button->rcButton.PtInRect(content))
            return button;
    return nullptr;
}

BOOL CTKPTaskPanel::WaitForMessage()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        ::DispatchMessageW(&msg);
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        ::WaitMessage();
    if (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        ::PostQuitMessage(int(msg.wParam));
        return FALSE;
    }
    return TRUE;
}

void CTKPTaskPanel::TrackScrollButton(TaskPanelScrollButton* button)
{
    CTKPTaskPanelGroup* group = button->pGroupScroll;
    if (!button->bEnabled || !group)
        return;
    const int step = button->bScrollUp ? -group->GetItemsInRow() : group->GetItemsInRow();
    SetCapture();
    button->bPressed = TRUE;
    group->Scroll(step);
    Invalidate(FALSE);
    SetTimer(TKP_TPTIMER_SCROLLBUTTON, 500);
    BOOL first = TRUE;
    while (::GetCapture() == m_hWnd && button->bPressed) {
        if (!WaitForMessage())
            break;
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            continue;
        if (msg.message == WM_TIMER && msg.hwnd == m_hWnd && msg.wParam == TKP_TPTIMER_SCROLLBUTTON) {
            group->Scroll(step);
            UpdateScrollButtons();
            if (first)
                SetTimer(TKP_TPTIMER_SCROLLBUTTON, 50);
            first = FALSE;
            continue;
        }
        if (msg.message == WM_LBUTTONUP || (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE))
            break;
        if (msg.message == WM_MOUSEMOVE)
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    KillTimer(TKP_TPTIMER_SCROLLBUTTON);
    button->bPressed = FALSE;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    UpdateScrollButtons();
    Invalidate(FALSE);
}

// ---- Focus and hit tests -----------------------------------------------------------------------
CTKPTaskPanelGroup* CTKPTaskPanel::HitTestGroup(CPoint pt, BOOL* onCaption) const
{
    if (onCaption)
        *onCaption = FALSE;
    if (HitTestScrollButton(pt))
        return nullptr;
    const CPoint content(pt.x, pt.y + GetScrollOffset());
    for (int i = 0; i < GetGroupCount(); ++i) {
        CTKPTaskPanelGroup* group = GetAt(i);
        if (!group->IsVisible())
            continue;
        if (group->GetClientRect().PtInRect(content))
            return group;
        if (group->IsCaptionVisible() && group->GetCaptionRect().PtInRect(content)) {
            if (onCaption)
                *onCaption = TRUE;
            return group;
        }
    }
    return nullptr;
}

CTKPTaskPanelItem* CTKPTaskPanel::HitTestItem(CPoint pt, BOOL groupWhenNoItem) const
{
    BOOL onCaption = FALSE;
    CTKPTaskPanelGroup* group = HitTestGroup(pt, &onCaption);
    if (!group)
        return nullptr;
    if (onCaption)
        return group;
    if (CTKPTaskPanelGroupItem* item = group->HitTestItem(CPoint(pt.x, pt.y + GetScrollOffset())))
        return item;
    return groupWhenNoItem ? group : nullptr;
}

namespace {

// One step of the focus walk, before the walk skips what cannot take the focus.
CTKPTaskPanelItem* StepItem(const CTKPTaskPanel* panel, CTKPTaskPanelItem* from, int direction, BOOL tab,
                            BOOL rowSteps)
{
    CTKPTaskPanelGroups* groups = panel->GetGroups();
    if (direction > 0) {
        if (!from)
            return groups->GetFirstVisibleItem();
        CTKPTaskPanelGroup* group = from->GetItemGroup();
        if (!group)
            return nullptr;
        if (group == from) {
            if (CTKPTaskPanelItem* first = group->GetItems()->GetFirstVisibleItem())
                return first;
            return groups->GetAt(groups->GetNextVisibleIndex(group->GetIndex(), 1));
        }
        if (!tab) {
            const int step = rowSteps ? std::max(1, group->GetItemsInRow()) : 1;
            if (CTKPTaskPanelItem* next = group->GetItems()->GetAt(group->GetItems()->GetNextVisibleIndex(from->GetIndex(), step)))
                return next;
        }
        return groups->GetAt(groups->GetNextVisibleIndex(group->GetIndex(), 1));
    }
    if (!from) {
        auto* last = static_cast<CTKPTaskPanelGroup*>(groups->GetLastVisibleItem());
        if (!last)
            return nullptr;
        CTKPTaskPanelItem* item = last->GetItems()->GetLastVisibleItem();
        return item ? item : last;
    }
    CTKPTaskPanelGroup* group = from->GetItemGroup();
    if (!group)
        return nullptr;
    if (group != from) {
        if (tab)
            return group;
        const int step = rowSteps ? std::max(1, group->GetItemsInRow()) : 1;
        if (CTKPTaskPanelItem* previous = group->GetItems()->GetAt(group->GetItems()->GetNextVisibleIndex(from->GetIndex(), -step)))
            return previous;
        return group;
    }
    auto* previous = static_cast<CTKPTaskPanelGroup*>(groups->GetAt(groups->GetNextVisibleIndex(group->GetIndex(), -1)));
    if (!previous)
        return nullptr;
    CTKPTaskPanelItem* item = previous->GetItems()->GetLastVisibleItem();
    return item ? item : previous;
}

} // namespace

CTKPTaskPanelItem* CTKPTaskPanel::GetNextItem(CTKPTaskPanelItem* from, int direction, BOOL tab, BOOL rowSteps) const
{
    CTKPTaskPanelItem* item = from;
    // Every step moves on through a finite order, so the walk ends; the bound only guards that.
    int limit = 2;
    for (int i = 0; i < GetGroupCount(); ++i)
        limit += 1 + GetAt(i)->GetItemCount();
    while (limit-- > 0) {
        item = StepItem(this, item, direction, tab, rowSteps);
        if (!item)
            return nullptr;
        CTKPTaskPanelGroup* group = item->GetItemGroup();
        const BOOL hiddenLink = item->GetType() == TKP_TASKITEM_LINK && group && group != item && !IsGroupExpanded(group);
        if (item->IsAcceptFocus() && !hiddenLink)
            return item;
    }
    return nullptr;
}

void CTKPTaskPanel::SetFocusedItem(CTKPTaskPanelItem* item, BOOL byKeyboard)
{
    if (byKeyboard)
        m_bDrawFocusRect = m_bTakeFocusOnClick;
    if (m_hWnd && m_bTakeFocusOnClick && ::GetFocus() != m_hWnd) {
        m_bPreventFocusChange = TRUE;
        SetFocus();
        m_bPreventFocusChange = FALSE;
    }
    if (m_pItemFocused == item)
        return;
    if (m_bSelectItemOnFocus && !m_bSingleSelection && item && item->GetType() == TKP_TASKITEM_TEXT)
        if (auto* groupItem = dynamic_cast<CTKPTaskPanelGroupItem*>(item))
            if (CTKPTaskPanelGroup* group = groupItem->GetItemGroup())
                group->SetSelectedItem(groupItem);
    SetRefItem(m_pItemFocused, item);
    EnsureVisible(item);
    if (m_hWnd)
        Invalidate(FALSE);
    NotifyOwner(TKP_TPN_FOCUSEDITEMCHANGED, 0);
    if (m_hWnd && item)
        CallNotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWnd, OBJID_CLIENT, GetAccessibleIndex(item));
}

void CTKPTaskPanel::SetHotItem(CTKPTaskPanelItem* item)
{
    if (m_pItemHot == item)
        return;
    SetRefItem(m_pItemHot, item);
    if (m_hWnd)
        Invalidate(FALSE);
}

void CTKPTaskPanel::OnItemRemoved(CTKPTaskPanelItem* item)
{
    if (m_pItemHot == item)
        SetRefItem(m_pItemHot, nullptr);
    if (m_pItemFocused == item)
        SetRefItem(m_pItemFocused, nullptr);
    if (m_pActiveGroup == item) {
        m_pActiveGroup = nullptr;
        item->InternalRelease();
    }
    // The panel keeps no reference here, so it must not keep the pointer either.
    if (m_pItemPressed == item)
        m_pItemPressed = nullptr;
    if (m_pItemDrop == item)
        m_pItemDrop = nullptr;
    if (m_pItemDragging == item)
        m_pItemDragging = nullptr;
    for (TaskPanelScrollButton* button : {m_pScrollUp, m_pScrollDown})
        if (button->pGroupScroll == item || button->pGroupCaption == item) {
            button->pGroupScroll = button->pGroupCaption = nullptr;
            button->rcButton.SetRectEmpty();
        }
}

LRESULT CTKPTaskPanel::NotifyOwner(WPARAM code, LPARAM lParam)
{
    if (!m_hWnd)
        return 0;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!owner)
        owner = ::GetParent(m_hWnd);
    return owner ? ::SendMessageW(owner, TKP_WM_TASKPANEL_NOTIFY, code, lParam) : 0;
}

void CTKPTaskPanel::OnClick(CTKPTaskPanelGroupItem* item)
{
    NotifyOwner(TKP_TPN_CLICK, LPARAM(item));
}

void CTKPTaskPanel::OnEndLabelEdit(CTKPTaskPanelItem* item, LPCWSTR text)
{
    if (NotifyOwner(TKP_TPN_ENDLABELEDIT, LPARAM(item)) == 0)
        item->SetCaption(text);
}

// ---- Messages ----------------------------------------------------------------------------------
LRESULT CTKPTaskPanel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_hWnd && ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_NCMOUSEMOVE))
        m_pToolTipContext->RelayToolTipMessage(this, message, wParam, lParam);
    const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message) {
    case WM_CREATE: {
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        if (result != -1)
            m_pDropTarget->Register(this);
        return result;
    }
    case WM_DESTROY:
        m_pDropTarget->Revoke();
        if (m_nAnimationTimer)
            KillTimer(TKP_TPTIMER_ANIMATION);
        m_nAnimationTimer = 0;
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_SIZE:
        CWnd::WindowProc(message, wParam, lParam);
        Reposition(m_nBehaviour == TKP_TPBEHAVIOUR_EXPLORER);
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        OnSettingsChanged();
        break;
    case WM_TIMER:
        OnTimer(UINT_PTR(wParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(UINT(wParam), pt);
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(UINT(wParam), pt);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(UINT(wParam), pt);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(UINT(wParam), pt);
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(UINT(wParam), pt);
        return 0;
    case WM_CAPTURECHANGED:
        if (m_pItemPressed) {
            m_pItemPressed = nullptr;
            Invalidate(FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor())
            return TRUE;
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        OnKeyDown(UINT(wParam));
        return 0;
    case WM_SETFOCUS:
        CWnd::WindowProc(message, wParam, lParam);
        OnSetFocus(HWND(wParam));
        return 0;
    case WM_KILLFOCUS:
        m_bDrawFocusRect = FALSE;
        Invalidate(FALSE);
        break;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(short(HIWORD(wParam)));
        return 0;
    case WM_PRINT:
        OnPrint(HDC(wParam), lParam);
        return 0;
    case WM_GETOBJECT:
        if (LONG(lParam) == OBJID_CLIENT)
            return CallLresultFromObject(IID_IAccessible, wParam, GetAccessible());
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CTKPTaskPanel::OnSettingsChanged()
{
    UpdateAnimationFlag();
    m_pPaintManager->RefreshMetrics();
    Reposition(TRUE);
}

void CTKPTaskPanel::OnTimer(UINT_PTR id)
{
    if (id == TKP_TPTIMER_ANIMATION) {
        AnimateGroups();
    } else if (id == TKP_TPTIMER_DRAGHOVER) {
        KillTimer(TKP_TPTIMER_DRAGHOVER);
        m_bDragHoverTimer = FALSE;
        if (auto* group = dynamic_cast<CTKPTaskPanelGroup*>(m_pItemDrop))
            ExpandGroup(group, TRUE);
    }
}

void CTKPTaskPanel::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    CRect client;
    GetClientRect(&client);
    {
        CTKPOffscreenDC dc(hdc, client);
        const int scroll = GetScrollOffset();
        POINT old;
        ::SetWindowOrgEx(dc.m_hDC, 0, scroll, &old);
        OnDraw(&dc, CRect(client.left, client.top + scroll, client.right, client.bottom + scroll));
        ::SetWindowOrgEx(dc.m_hDC, old.x, old.y, nullptr);
    }
    ::EndPaint(m_hWnd, &ps);
}

void CTKPTaskPanel::OnDraw(CDC* pDC, const CRect&)
{
    m_pPaintManager->FillTaskPanel(pDC, this);
    for (int i = 0; i < GetGroupCount(); ++i) {
        CTKPTaskPanelGroup* group = GetAt(i);
        if (!group->IsVisible())
            continue;
        m_pPaintManager->DrawGroupCaption(pDC, group, TRUE);
        m_pPaintManager->DrawGroupClientFace(pDC, group);
    }
    m_pPaintManager->DrawScrollButton(pDC, m_pScrollUp);
    m_pPaintManager->DrawScrollButton(pDC, m_pScrollDown);
}

void CTKPTaskPanel::OnPrint(HDC hdc, LPARAM flags)
{
    if (flags & PRF_NONCLIENT)
        CWnd::DefWindowProc(WM_PRINT, WPARAM(hdc), PRF_NONCLIENT);
    CRect client;
    GetClientRect(&client);
    const int scroll = GetScrollOffset();
    POINT old;
    ::OffsetViewportOrgEx(hdc, 0, -scroll, &old);
    CDC dc;
    dc.Attach(hdc);
    OnDraw(&dc, CRect(client.left, client.top + scroll, client.right, client.bottom + scroll));
    dc.Detach();
    ::SetViewportOrgEx(hdc, old.x, old.y, nullptr);
    if (!(flags & PRF_CHILDREN))
        return;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child))
            continue;
        CRect rc;
        ::GetWindowRect(child, &rc);
        ScreenToClient(&rc);
        POINT previous;
        ::OffsetViewportOrgEx(hdc, rc.left, rc.top, &previous);
        ::SendMessageW(child, WM_PRINT, WPARAM(hdc), flags);
        ::SetViewportOrgEx(hdc, previous.x, previous.y, nullptr);
    }
}

// ---- Mouse -------------------------------------------------------------------------------------
void CTKPTaskPanel::OnMouseMove(UINT, CPoint pt)
{
    Default();
    if (IsMenuTracking())
        return;
    CTKPTaskPanelItem* hit = HitTestItem(pt, FALSE);
    const BOOL active = IsTopLevelWindowActive(m_hWnd);
    CTKPTaskPanelItem* hot = hit && hit->IsAcceptFocus() && active && (!m_pItemPressed || m_pItemPressed == hit)
                                 ? hit
                                 : nullptr;
    if (hot != m_pItemHot) {
        SetHotItem(hot);
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
    }
    if (m_pItemPressed && std::abs(pt.x - m_ptPressed.x) + std::abs(pt.y - m_ptPressed.y) > 4) {
        CTKPTaskPanelItem* pressed = m_pItemPressed;
        if (auto* group = dynamic_cast<CTKPTaskPanelGroup*>(pressed))
            OnStartGroupDrag(group);
        else
            StartDrag(pressed);
    }
    BOOL changed = FALSE;
    const CPoint content(pt.x, pt.y + GetScrollOffset());
    for (TaskPanelScrollButton* button : {m_pScrollUp, m_pScrollDown}) {
        const BOOL hotButton = button->IsVisible(m_pPaintManager) && button->rcButton.PtInRect(content);
        if (hotButton != button->bHot) {
            button->bHot = hotButton;
            changed = TRUE;
        }
    }
    if (changed) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
        Invalidate(FALSE);
    }
}

void CTKPTaskPanel::OnMouseLeave()
{
    SetHotItem(nullptr);
    if (m_pScrollUp->bHot || m_pScrollDown->bHot) {
        m_pScrollUp->bHot = m_pScrollDown->bHot = FALSE;
        Invalidate(FALSE);
    }
}

BOOL CTKPTaskPanel::OnSetCursor()
{
    if (!m_pItemHot || !m_hHandCursor)
        return FALSE;
    ::SetCursor(m_hHandCursor);
    return TRUE;
}

void CTKPTaskPanel::OnLButtonDown(UINT, CPoint pt)
{
    if (TaskPanelScrollButton* button = HitTestScrollButton(pt)) {
        TrackScrollButton(button);
        return;
    }
    CTKPTaskPanelItem* item = HitTestItem(pt, FALSE);
    if (item && item->IsAcceptFocus())
        SetFocusedItem(item, FALSE);
    else if (m_bTakeFocusOnClick)
        SetFocus();
    if (item && item->IsAcceptFocus()) {
        m_pItemPressed = item;
        m_ptPressed = pt;
        SetCapture();
        Invalidate(FALSE);
    }
}

void CTKPTaskPanel::OnLButtonUp(UINT, CPoint)
{
    CTKPTaskPanelItem* pressed = m_pItemPressed;
    if (!pressed)
        return;
    m_pItemPressed = nullptr;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    Invalidate(FALSE);
    if (pressed != m_pItemHot)
        return;
    if (auto* group = dynamic_cast<CTKPTaskPanelGroup*>(pressed))
        ExpandGroup(group, !IsGroupExpanded(group));
    else if (auto* item = dynamic_cast<CTKPTaskPanelGroupItem*>(pressed))
        OnClick(item);
}

void CTKPTaskPanel::OnLButtonDblClk(UINT flags, CPoint pt)
{
    OnLButtonDown(flags, pt);
    if (m_pItemHot && m_pItemHot == m_pItemPressed && !dynamic_cast<CTKPTaskPanelGroup*>(m_pItemHot))
        NotifyOwner(TKP_TPN_DBLCLICK, LPARAM(m_pItemHot));
}

void CTKPTaskPanel::OnRButtonDown(UINT, CPoint pt)
{
    CTKPTaskPanelItem* item = HitTestItem(pt, FALSE);
    if (!item || !item->IsAcceptFocus())
        return;
    SetFocusedItem(item, FALSE);
    NotifyOwner(TKP_TPN_RCLICK, LPARAM(item));
}

// ---- Keyboard ----------------------------------------------------------------------------------
void CTKPTaskPanel::OnKeyDown(UINT key)
{
    MirrorArrowKey(m_hWnd, key);
    CTKPTaskPanelItem* focused = m_pItemFocused;
    switch (key) {
    case VK_TAB: {
        const BOOL back = ::GetKeyState(VK_SHIFT) < 0;
        if (CTKPTaskPanelItem* next = GetNextItem(focused, back ? -1 : 1, TRUE)) {
            SetFocusedItem(next, TRUE);
            return;
        }
        HWND parent = ::GetParent(m_hWnd);
        HWND next = parent ? ::GetNextDlgTabItem(parent, m_hWnd, back) : nullptr;
        if (next && next != m_hWnd)
            ::SetFocus(next);
        return;
    }
    case VK_RETURN:
    case VK_SPACE:
        if (!focused || !focused->IsAcceptFocus())
            return;
        if (auto* group = dynamic_cast<CTKPTaskPanelGroup*>(focused))
            ExpandGroup(group, !IsGroupExpanded(group));
        else if (auto* item = dynamic_cast<CTKPTaskPanelGroupItem*>(focused); item && item->GetType() == TKP_TASKITEM_LINK)
            OnClick(item);
        return;
    case VK_HOME:
    case VK_END: {
        CTKPTaskPanelItems* items = focused ? focused->GetParentItems() : nullptr;
        CTKPTaskPanelItem* target = !items ? nullptr : key == VK_HOME ? items->GetFirstVisibleItem() : items->GetLastVisibleItem();
        if (target && target->IsAcceptFocus())
            SetFocusedItem(target, TRUE);
        return;
    }
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        const int direction = key == VK_LEFT || key == VK_UP ? -1 : 1;
        if (m_nBehaviour != TKP_TPBEHAVIOUR_EXPLORER && ::GetKeyState(VK_CONTROL) < 0) {
            ExpandActiveNeighbour(direction);
            return;
        }
        if (CTKPTaskPanelItem* next = GetNextItem(focused, direction, FALSE, key == VK_UP || key == VK_DOWN))
            SetFocusedItem(next, TRUE);
        return;
    }
    default:
        return;
    }
}

void CTKPTaskPanel::ExpandActiveNeighbour(int direction)
{
    if (!m_pActiveGroup)
        return;
    auto* group = GetAt(m_pGroups->GetNextVisibleIndex(m_pActiveGroup->GetIndex(), direction));
    if (!group || !group->IsAcceptFocus())
        return;
    ExpandGroup(group, TRUE);
    SetFocusedItem(group, TRUE);
}

void CTKPTaskPanel::OnSetFocus(HWND previous)
{
    if (m_bPreventFocusChange || !previous)
        return;
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    const BOOL shift = ::GetKeyState(VK_SHIFT) < 0;
    if (!shift && ::GetNextDlgTabItem(parent, m_hWnd, TRUE) == previous) {
        if (CTKPTaskPanelItem* first = GetNextItem(nullptr, 1, FALSE))
            SetFocusedItem(first, TRUE);
    } else if (shift && ::GetNextDlgTabItem(parent, m_hWnd, FALSE) == previous) {
        if (CTKPTaskPanelItem* last = GetNextItem(nullptr, -1, FALSE))
            SetFocusedItem(last, TRUE);
    }
}
