// The task panel's OLE dragging of items (out of the panel and into it), the reordering of groups by
// their captions, the rename editor, tooltips and the panel's accessibility answers.
#include "toolkit/taskpanel/task_panel.h"

#include "toolkit/commandbars/tip_context.h"
#include "toolkit/commandbars/trackers.h"
#include "toolkit/taskpanel/task_panel_theme.h"

#include <memory>

// ---- Drop target -------------------------------------------------------------------------------
DROPEFFECT CTKPTaskPanelDropTarget::OnDragEnter(CWnd*, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
    return m_pPanel->OnDragOver(pDataObject, dwKeyState, point);
}

DROPEFFECT CTKPTaskPanelDropTarget::OnDragOver(CWnd*, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
    return m_pPanel->OnDragOver(pDataObject, dwKeyState, point);
}

void CTKPTaskPanelDropTarget::OnDragLeave(CWnd*)
{
    m_pPanel->OnDragOver(nullptr, 0, CPoint(-1, -1));
}

BOOL CTKPTaskPanelDropTarget::OnDrop(CWnd*, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point)
{
    return m_pPanel->OnDrop(pDataObject, dropEffect, point);
}

// ---- Dragging items out ------------------------------------------------------------------------
void CTKPTaskPanel::StartDrag(CTKPTaskPanelItem* item)
{
    if (!item)
        return;
    const int bits = item->GetAllowDrag();
    if (!bits)
        return;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (NotifyOwner(TKP_TPN_STARTDRAG, LPARAM(item)) == -1)
        return;
    auto* source = new COleDataSource();
    if (!CTKPTaskPanelItem::CacheItemData(item, source, (bits & (TKP_DRAG_COPY_OUT | TKP_DRAG_MOVE_OUT)) != 0)) {
        source->InternalRelease();
        return;
    }
    // The item stays alive through the drag even when a drop elsewhere removes it.
    item->InternalAddRef();
    m_pItemDragging = item;
    DROPEFFECT allowed = DROPEFFECT_NONE;
    if (bits & (TKP_DRAG_MOVE_GROUP | TKP_DRAG_MOVE_PANEL | TKP_DRAG_MOVE_OUT))
        allowed |= DROPEFFECT_MOVE;
    if (bits & (TKP_DRAG_COPY_GROUP | TKP_DRAG_COPY_PANEL | TKP_DRAG_COPY_OUT))
        allowed |= DROPEFFECT_COPY;
    const DROPEFFECT result = source->DoDragDrop(allowed);
    if (result == DROPEFFECT_MOVE && (allowed & DROPEFFECT_MOVE))
        item->Remove();
    m_pItemDragging = nullptr;
    m_pItemDrop = nullptr;
    item->InternalRelease();
    source->InternalRelease();
    if (m_hWnd)
        Invalidate(FALSE);
}

// ---- Dropping into the panel -------------------------------------------------------------------
DROPEFFECT CTKPTaskPanel::OnDragOver(COleDataObject* data, DWORD keyState, CPoint point)
{
    const CLIPFORMAT format = CTKPTaskPanelItem::GetClipboardFormat();
    DROPEFFECT allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    CTKPTaskPanelGroup* group = HitTestGroup(point);
    if (!data || !data->IsDataAvailable(format) || (!m_pItemDragging && !data->IsDataAvailable(CF_TEXT)))
        group = nullptr;
    if (group && m_pItemDragging) {
        const int bits = m_pItemDragging->GetAllowDrag();
        if (!(bits & (TKP_DRAG_MOVE_GROUP | TKP_DRAG_MOVE_PANEL)))
            allowed &= ~DROPEFFECT_MOVE;
        if (!(bits & (TKP_DRAG_COPY_GROUP | TKP_DRAG_COPY_PANEL)))
            allowed &= ~DROPEFFECT_COPY;
        if (group != m_pItemDragging->GetItemGroup()) {
            if (bits & TKP_DRAG_MOVE_GROUP)
                allowed &= ~DROPEFFECT_MOVE;
            if (bits & TKP_DRAG_COPY_GROUP)
                allowed &= ~DROPEFFECT_COPY;
        }
        if (!allowed)
            group = nullptr;
    }
    CTKPTaskPanelItem* target = nullptr;
    if (group && group->IsAllowDrop()) {
        target = group;
        const CPoint content(point.x, point.y + GetScrollOffset());
        if (group->GetClientRect().PtInRect(content)) {
            CTKPTaskPanelGroupItem* item = group->HitTestItem(content);
            if (item && item->IsAllowDrop()) {
                target = item;
                if (!m_pPaintManager->IsDropMarkAfter()) {
                    const CRect rc = item->GetHitTestRect();
                    if (point.y >= (rc.top + rc.bottom) / 2) {
                        CTKPTaskPanelGroupItem* next = group->GetNextVisibleItem(item->GetIndex(), 1);
                        target = next ? static_cast<CTKPTaskPanelItem*>(next) : group;
                    }
                }
            }
        }
    }
    if (target != m_pItemDrop) {
        m_pItemDrop = target;
        if (m_hWnd)
            Invalidate(FALSE);
        if (m_bDragHoverTimer) {
            KillTimer(TKP_TPTIMER_DRAGHOVER);
            m_bDragHoverTimer = FALSE;
        }
        auto* hovered = dynamic_cast<CTKPTaskPanelGroup*>(target);
        if (hovered && !IsGroupExpanded(hovered) && m_hWnd) {
            UINT hover = 0;
            if (!::SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hover, 0) || !hover)
                hover = 500;
            SetTimer(TKP_TPTIMER_DRAGHOVER, hover);
            m_bDragHoverTimer = TRUE;
        }
    }
    if (!target)
        return DROPEFFECT_NONE;
    if (!(allowed & DROPEFFECT_COPY))
        return allowed & DROPEFFECT_MOVE;
    if (keyState & MK_CONTROL)
        return DROPEFFECT_COPY;
    return (allowed & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
}

BOOL CTKPTaskPanel::OnDrop(COleDataObject* data, DROPEFFECT effect, CPoint)
{
    CTKPTaskPanelItem* target = m_pItemDrop;
    m_pItemDrop = nullptr;
    if (m_bDragHoverTimer) {
        KillTimer(TKP_TPTIMER_DRAGHOVER);
        m_bDragHoverTimer = FALSE;
    }
    if (m_hWnd)
        Invalidate(FALSE);
    if (!target)
        return FALSE;
    if (effect != DROPEFFECT_COPY && effect != DROPEFFECT_MOVE)
        return TRUE;
    if (!data || !data->IsDataAvailable(CTKPTaskPanelItem::GetClipboardFormat()))
        return FALSE;
    CTKPTaskPanelItem* item = CTKPTaskPanelItem::CreateItemFromData(data);
    if (!item)
        return FALSE;
    CTKPTaskPanelItems* items = nullptr;
    int index = -1;
    if (auto* group = dynamic_cast<CTKPTaskPanelGroup*>(target)) {
        items = group->GetItems();
    } else {
        items = target->GetParentItems();
        index = target->GetIndex();
        if (m_pPaintManager->IsDropMarkAfter()) {
            const BOOL draggedBeyond = m_pItemDragging && m_pItemDragging->GetParentItems() == items &&
                                       m_pItemDragging->GetIndex() >= index + 1;
            if (!draggedBeyond)
                ++index;
        }
    }
    // A group's items are group items only, whatever class the data names.
    if (!items || !item->IsKindOf(items->GetItemRuntimeClass())) {
        item->InternalRelease();
        return FALSE;
    }
    items->InsertAt(index, item);
    if (item->IsAcceptFocus())
        SetFocusedItem(item);
    NotifyOwner(TKP_TPN_ITEMDROP, LPARAM(item));
    return TRUE;
}

// ---- Reordering groups -------------------------------------------------------------------------
void CTKPTaskPanel::OnStartGroupDrag(CTKPTaskPanelGroup* group)
{
    if (!group || !group->GetAllowDrag())
        return;
    ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
    m_pItemDragging = group;
    if (::GetCapture() != m_hWnd)
        SetCapture();
    Invalidate(FALSE);
    while (::GetCapture() == m_hWnd) {
        if (!WaitForMessage())
            break;
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            continue;
        if (msg.message == WM_LBUTTONUP || (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE))
            break;
        if (msg.message == WM_MOUSEMOVE) {
            POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            if (msg.hwnd != m_hWnd)
                ::MapWindowPoints(msg.hwnd, m_hWnd, &pt, 1);
            BOOL onCaption = FALSE;
            CTKPTaskPanelGroup* over = HitTestGroup(CPoint(pt.x, pt.y), &onCaption);
            if (over && onCaption && over != group) {
                m_pGroups->Move(group, over->GetIndex());
                Reposition(FALSE);
            }
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    m_pItemDragging = nullptr;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    Invalidate(FALSE);
}

// ---- Rename editor -----------------------------------------------------------------------------
BOOL CTKPTaskPanelEditItem::Create(CTKPTaskPanelItem* item, const RECT& rc)
{
    CTKPTaskPanel* panel = item ? item->GetTaskPanel() : nullptr;
    if (!panel || !panel->m_hWnd)
        return FALSE;
    m_pItem = item;
    if (!CreateEx(0, u"EDIT", item->GetCaption().GetString(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rc,
                  panel, 0))
        return FALSE;
    if (HFONT font = panel->GetPaintManager()->GetItemFont(FALSE, FALSE))
        SendMessage(WM_SETFONT, WPARAM(font), TRUE);
    SetFocus();
    SendMessage(EM_SETSEL, 0, -1);
    return TRUE;
}

LRESULT CTKPTaskPanelEditItem::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_CHAR:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            m_bCancel = wParam == VK_ESCAPE;
            if (CWnd* parent = GetParent())
                parent->SetFocus();
            return 0;
        }
        break;
    case WM_KILLFOCUS: {
        const LRESULT result = CEdit::WindowProc(message, wParam, lParam);
        PostMessage(WM_CLOSE);
        CString text;
        GetWindowText(text);
        CTKPTaskPanelItem* item = m_pItem;
        m_pItem = nullptr;
        if (item && !m_bCancel && !text.IsEmpty() && item->GetTaskPanel())
            item->GetTaskPanel()->OnEndLabelEdit(item, text.GetString());
        return result;
    }
    default:
        break;
    }
    return CEdit::WindowProc(message, wParam, lParam);
}

// ---- Tooltips ----------------------------------------------------------------------------------
INT_PTR CTKPTaskPanel::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const
{
    const INT_PTR hit = CWnd::OnToolHitTest(point, pTI);
    if (hit != -1)
        return hit;
    if (CTKPMouseTracker::GetThreadTracker()->IsTrackingOtherThan(nullptr))
        return -1;
    CTKPTaskPanelItem* item = m_pItemHot;
    if (!item || item->GetTooltip().IsEmpty())
        return -1;
    CTKPTipContext::FillToolInfo(pTI, m_hWnd, UINT_PTR(item->GetID()), item->GetHitTestRect(), 0,
                                 item->GetTooltip().GetString(), item->GetCaption().GetString(),
                                 item->GetTooltip().GetString());
    return item->GetID();
}

// ---- Accessibility -----------------------------------------------------------------------------
namespace {

void SetLong(VARIANT* var, long value)
{
    var->vt = VT_I4;
    var->lVal = value;
}

} // namespace

CTKPTaskPanelItem* CTKPTaskPanel::GetAccessibleItem(long childId) const
{
    if (childId <= 0)
        return nullptr;
    long index = 1;
    for (int i = 0; i < GetGroupCount(); ++i) {
        CTKPTaskPanelGroup* group = GetAt(i);
        if (index++ == childId)
            return group;
        if (childId < index + group->GetItemCount())
            return group->GetItemAt(int(childId - index));
        index += group->GetItemCount();
    }
    return nullptr;
}

long CTKPTaskPanel::GetAccessibleIndex(const CTKPTaskPanelItem* item) const
{
    long index = 1;
    for (int i = 0; i < GetGroupCount(); ++i) {
        CTKPTaskPanelGroup* group = GetAt(i);
        if (group == item)
            return index;
        ++index;
        for (int j = 0; j < group->GetItemCount(); ++j, ++index)
            if (group->GetItemAt(j) == item)
                return index;
    }
    return CHILDID_SELF;
}

HRESULT CTKPTaskPanel::GetAccessibleParent(IDispatch** ppdispParent)
{
    if (!ppdispParent)
        return E_INVALIDARG;
    *ppdispParent = nullptr;
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (!parent)
        return S_FALSE;
    return CallAccessibleObjectFromWindow(parent, DWORD(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(ppdispParent));
}

HRESULT CTKPTaskPanel::GetAccessibleChildCount(long* pcountChildren)
{
    if (!pcountChildren)
        return E_INVALIDARG;
    long count = 0;
    for (int i = 0; i < GetGroupCount(); ++i)
        count += 1 + GetAt(i)->GetItemCount();
    *pcountChildren = count;
    return S_OK;
}

HRESULT CTKPTaskPanel::GetAccessibleChild(VARIANT varChild, IDispatch** ppdispChild)
{
    if (!ppdispChild)
        return E_INVALIDARG;
    *ppdispChild = nullptr;
    CTKPTaskPanelItem* item = GetAccessibleItem(GetChildIdFromVariant(&varChild));
    if (!item)
        return E_INVALIDARG;
    IAccessible* accessible = item->GetAccessible();
    accessible->AddRef();
    *ppdispChild = accessible;
    return S_OK;
}

HRESULT CTKPTaskPanel::GetAccessibleName(VARIANT varChild, BSTR* pszName)
{
    if (!pszName)
        return E_INVALIDARG;
    const long child = GetChildIdFromVariant(&varChild);
    if (child == CHILDID_SELF) {
        CString text;
        if (m_hWnd)
            GetWindowText(text);
        *pszName = ::SysAllocString(text.GetString());
        return S_OK;
    }
    CTKPTaskPanelItem* item = GetAccessibleItem(child);
    VARIANT self{};
    SetLong(&self, CHILDID_SELF);
    return item ? item->GetAccessibleName(self, pszName) : E_INVALIDARG;
}

HRESULT CTKPTaskPanel::GetAccessibleRole(VARIANT varChild, VARIANT* pvarRole)
{
    if (!pvarRole)
        return E_INVALIDARG;
    const long child = GetChildIdFromVariant(&varChild);
    if (child == CHILDID_SELF) {
        SetLong(pvarRole, ROLE_SYSTEM_OUTLINE);
        return S_OK;
    }
    CTKPTaskPanelItem* item = GetAccessibleItem(child);
    VARIANT self{};
    SetLong(&self, CHILDID_SELF);
    return item ? item->GetAccessibleRole(self, pvarRole) : E_INVALIDARG;
}

HRESULT CTKPTaskPanel::GetAccessibleState(VARIANT varChild, VARIANT* pvarState)
{
    if (!pvarState)
        return E_INVALIDARG;
    const long child = GetChildIdFromVariant(&varChild);
    if (child == CHILDID_SELF) {
        SetLong(pvarState, STATE_SYSTEM_FOCUSABLE);
        return S_OK;
    }
    CTKPTaskPanelItem* item = GetAccessibleItem(child);
    VARIANT self{};
    SetLong(&self, CHILDID_SELF);
    return item ? item->GetAccessibleState(self, pvarState) : E_INVALIDARG;
}

HRESULT CTKPTaskPanel::AccessibleLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                                          VARIANT varChild)
{
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight)
        return E_INVALIDARG;
    CRect rc(0, 0, 0, 0);
    if (m_hWnd)
        GetWindowRect(&rc);
    const long child = GetChildIdFromVariant(&varChild);
    if (child != CHILDID_SELF) {
        CTKPTaskPanelItem* item = GetAccessibleItem(child);
        if (!item)
            return E_INVALIDARG;
        CRect itemRect = item->GetHitTestRect();
        if (m_hWnd)
            ClientToScreen(&itemRect);
        rc = itemRect;
    }
    *pxLeft = rc.left;
    *pyTop = rc.top;
    *pcxWidth = rc.Width();
    *pcyHeight = rc.Height();
    return S_OK;
}

HRESULT CTKPTaskPanel::AccessibleHitTest(long xLeft, long yTop, VARIANT* pvarChild)
{
    if (!pvarChild)
        return E_INVALIDARG;
    CRect window(0, 0, 0, 0);
    if (m_hWnd)
        GetWindowRect(&window);
    if (!window.PtInRect(CPoint(xLeft, yTop))) {
        pvarChild->vt = VT_EMPTY;
        return S_FALSE;
    }
    CPoint pt(xLeft, yTop);
    ScreenToClient(&pt);
    if (CTKPTaskPanelItem* item = HitTestItem(pt, TRUE)) {
        IAccessible* accessible = item->GetAccessible();
        accessible->AddRef();
        pvarChild->vt = VT_DISPATCH;
        pvarChild->pdispVal = accessible;
        return S_OK;
    }
    SetLong(pvarChild, CHILDID_SELF);
    return S_OK;
}
