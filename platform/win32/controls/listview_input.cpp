// The list view's mouse and keyboard handling: selection, check boxes, clicks and label editing.
#include "win32/controls/listview_internal.h"

#include <algorithm>

namespace controls::lv {

namespace {

constexpr UINT_PTR kEditTimer = 1;

POINT PointOf(LPARAM lParam)
{
    return {(short)LOWORD(lParam), (short)HIWORD(lParam)};
}

bool Checkboxes(const ListView* lv)
{
    return (lv->exStyle & LVS_EX_CHECKBOXES) != 0;
}

void DeselectAll(ListView* lv)
{
    for (int i = 0; i < Count(lv); ++i)
        if (lv->items[(size_t)i].state & LVIS_SELECTED)
            SetState(lv, i, 0, LVIS_SELECTED);
}

// A click or key that moves the focus to `item`, with the usual meaning of Shift and Ctrl.
void MoveTo(ListView* lv, int item, bool shift, bool ctrl)
{
    if (!Valid(lv, item))
        return;
    bool single = (StyleOf(lv->hwnd) & LVS_SINGLESEL) != 0;
    if (single || (!shift && !ctrl)) {
        SelectOnly(lv, item);
        lv->mark = item;
    } else if (shift) {
        int from = Valid(lv, lv->mark) ? lv->mark : 0;
        SelectRange(lv, from, item, !ctrl);
        SetFocusItem(lv, item);
    } else {
        SetFocusItem(lv, item);
    }
}

LRESULT CALLBACK EditSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND list = GetParent(hwnd);
    ListView* lv = list ? Get(list) : nullptr;
    WNDPROC base = lv && lv->edit == hwnd ? lv->editProc : nullptr;
    if (!base)
        return DefWindowProcW(hwnd, msg, wParam, lParam); // the list has let go of it already
    switch (msg) {
    case WM_GETDLGCODE: return CallWindowProcW(base, hwnd, msg, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            EndEdit(lv, wParam == VK_RETURN);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE)
            return 0;
        break;
    case WM_KILLFOCUS: {
        LRESULT r = CallWindowProcW(base, hwnd, msg, wParam, lParam);
        if (lv->edit == hwnd)
            EndEdit(lv, true);
        return r;
    }
    }
    return CallWindowProcW(base, hwnd, msg, wParam, lParam);
}

} // namespace

void ToggleCheck(ListView* lv, int item)
{
    if (!Valid(lv, item))
        return;
    // An unticked box (image 1) becomes ticked (2); anything else, a ticked box or none, becomes
    // unticked. Owners that reset the image while told of the click rely on this rule.
    UINT index = (lv->items[(size_t)item].state & LVIS_STATEIMAGEMASK) >> 12;
    UINT next = index == 1 ? 2 : 1;
    SetState(lv, item, INDEXTOSTATEIMAGEMASK(next), LVIS_STATEIMAGEMASK);
}

LRESULT OnMouse(ListView* lv, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = lv->hwnd;
    POINT pt = PointOf(lParam);
    bool shift = (wParam & MK_SHIFT) != 0, ctrl = (wParam & MK_CONTROL) != 0;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: {
        if (lv->edit)
            EndEdit(lv, true);
        KillTimer(hwnd, kEditTimer);
        lv->pendingEdit = -1;
        bool hadFocus = GetFocus() == hwnd;
        if (!hadFocus)
            SetFocus(hwnd);
        LVHITTESTINFO hi{};
        hi.pt = pt;
        int item = HitTest(lv, &hi, true);
        bool left = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
        if (left) {
            // The second press of a double click is a click again only on a check box.
            bool onBox = item >= 0 && hi.flags == LVHT_ONITEMSTATEICON && Checkboxes(lv);
            if (msg == WM_LBUTTONDBLCLK && !onBox) {
                NotifyClick(lv, NM_DBLCLK, item, hi.iSubItem, pt);
                return 0;
            }
            lv->pressed = true;
            lv->pressItem = item;
            lv->pressHit = hi.flags;
            lv->pressWasSelected = false;
            if (item >= 0 && hi.flags == LVHT_ONITEMSTATEICON && Checkboxes(lv)) {
                // The box alone: the selection stays as it is.
            } else if (item >= 0) {
                lv->pressWasSelected = hadFocus && ItemState(lv, item, LVIS_SELECTED | LVIS_FOCUSED) ==
                                                       (LVIS_SELECTED | LVIS_FOCUSED);
                if (ctrl && !shift && !(StyleOf(hwnd) & LVS_SINGLESEL)) {
                    bool sel = ItemState(lv, item, LVIS_SELECTED) != 0;
                    SetState(lv, item, sel ? 0 : LVIS_SELECTED, LVIS_SELECTED);
                    SetFocusItem(lv, item);
                    lv->mark = item;
                } else {
                    MoveTo(lv, item, shift, ctrl);
                }
            } else if (!shift && !ctrl) {
                DeselectAll(lv);
            }
            if (IsWindow(hwnd))
                SetCapture(hwnd);
            if (msg == WM_LBUTTONDBLCLK && IsWindow(hwnd))
                NotifyClick(lv, NM_DBLCLK, item, hi.iSubItem, pt);
        } else {
            if (item >= 0) {
                if (!ItemState(lv, item, LVIS_SELECTED))
                    MoveTo(lv, item, false, false);
                else
                    SetFocusItem(lv, item);
            } else if (!shift && !ctrl) {
                DeselectAll(lv);
            }
            if (msg == WM_RBUTTONDBLCLK)
                NotifyClick(lv, NM_RDBLCLK, item, hi.iSubItem, pt);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        if (!lv->pressed)
            return 0;
        lv->pressed = false;
        int pressItem = lv->pressItem;
        UINT pressHit = lv->pressHit;
        bool wasSelected = lv->pressWasSelected;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        LVHITTESTINFO hi{};
        hi.pt = pt;
        int item = HitTest(lv, &hi, true);
        unsigned gen = lv->generation;
        // The owner hears of the click first; a click on the box then flips it.
        NotifyClick(lv, NM_CLICK, item, hi.iSubItem, pt);
        if (!IsWindow(hwnd) || gen != lv->generation)
            return 0;
        if (item >= 0 && item == pressItem && pressHit == LVHT_ONITEMSTATEICON && hi.flags == LVHT_ONITEMSTATEICON &&
            Checkboxes(lv)) {
            ToggleCheck(lv, item);
        } else if (item >= 0 && item == pressItem && wasSelected && !shift && !ctrl &&
                   (StyleOf(hwnd) & LVS_EDITLABELS) && (hi.flags & LVHT_ONITEMLABEL)) {
            // A slow second click on the label of the focused selection edits it, unless a double
            // click follows.
            lv->pendingEdit = item;
            SetTimer(hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
        }
        return 0;
    }
    case WM_RBUTTONUP: {
        LVHITTESTINFO hi{};
        hi.pt = pt;
        int item = HitTest(lv, &hi, true);
        NMITEMACTIVATE nm{};
        nm.iItem = item;
        nm.iSubItem = hi.iSubItem;
        nm.ptAction = pt;
        if (Valid(lv, item))
            nm.lParam = lv->items[(size_t)item].lParam;
        if (Notify(lv, NM_RCLICK, &nm.hdr) || !IsWindow(hwnd))
            return 0;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_MOUSEMOVE: return 0;
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != hwnd)
            lv->pressed = false;
        return 0;
    case WM_TIMER:
        if (wParam != kEditTimer)
            return 0;
        KillTimer(hwnd, kEditTimer);
        if (Valid(lv, lv->pendingEdit) && GetFocus() == hwnd &&
            ItemState(lv, lv->pendingEdit, LVIS_FOCUSED | LVIS_SELECTED) == (LVIS_FOCUSED | LVIS_SELECTED)) {
            int item = lv->pendingEdit;
            lv->pendingEdit = -1;
            EditLabel(lv, item);
        }
        lv->pendingEdit = -1;
        return 0;
    }
    return 0;
}

LRESULT OnKeyDown(ListView* lv, WPARAM wParam, LPARAM)
{
    HWND hwnd = lv->hwnd;
    NMLVKEYDOWN kd{};
    kd.wVKey = (WORD)wParam;
    unsigned gen = lv->generation;
    Notify(lv, LVN_KEYDOWN, &kd.hdr);
    if (!IsWindow(hwnd) || gen != lv->generation)
        return 0;
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    int n = Count(lv);
    switch (wParam) {
    case VK_RETURN: {
        NMHDR nm{};
        Notify(lv, NM_RETURN, &nm);
        return 0;
    }
    case VK_SPACE:
        if (!Valid(lv, lv->focus))
            return 0;
        if (Checkboxes(lv)) {
            ToggleCheck(lv, lv->focus);
        } else if (ctrl && !(StyleOf(hwnd) & LVS_SINGLESEL)) {
            bool sel = ItemState(lv, lv->focus, LVIS_SELECTED) != 0;
            SetState(lv, lv->focus, sel ? 0 : LVIS_SELECTED, LVIS_SELECTED);
        } else {
            MoveTo(lv, lv->focus, shift, false);
        }
        return 0;
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT: break;
    default: return 0;
    }
    if (n == 0)
        return 0;
    UINT view = View(lv);
    Metrics m = Measure(lv);
    int cur = Valid(lv, lv->focus) ? lv->focus : -1;
    int page = std::max(1, CountPerPage(lv));
    int along = 1, across = 1; // steps of the arrow keys along and across the arrangement
    if (view == LVS_LIST) {
        across = std::max(1, (int)(m.client.bottom - m.client.top) / std::max(1, m.rowHeight));
    } else if (view == LVS_ICON || view == LVS_SMALLICON) {
        Parts p = ItemParts(lv, m, -1);
        across = std::max(1, (int)(m.client.right - m.client.left) / std::max(1, (int)(p.bounds.right - p.bounds.left)));
        page = across * std::max(1, (int)(m.client.bottom - m.client.top) /
                                        std::max(1, (int)(p.bounds.bottom - p.bounds.top)));
    }
    int target = cur;
    switch (wParam) {
    case VK_HOME: target = 0; break;
    case VK_END: target = n - 1; break;
    case VK_UP: target = cur < 0 ? 0 : cur - (view == LVS_ICON || view == LVS_SMALLICON ? across : along); break;
    case VK_DOWN: target = cur < 0 ? 0 : cur + (view == LVS_ICON || view == LVS_SMALLICON ? across : along); break;
    case VK_LEFT:
    case VK_RIGHT: {
        if (view == LVS_REPORT) {
            ScrollBy(lv, wParam == VK_LEFT ? -m.fontHeight : m.fontHeight, 0);
            return 0;
        }
        int step = view == LVS_LIST ? across : 1;
        target = cur < 0 ? 0 : cur + (wParam == VK_LEFT ? -step : step);
        break;
    }
    case VK_PRIOR: {
        int top = TopIndex(lv);
        target = (view == LVS_REPORT && cur != top) ? top : cur - page + (view == LVS_REPORT ? 1 : 0);
        break;
    }
    case VK_NEXT: {
        int bottom = TopIndex(lv) + page - 1;
        target = (view == LVS_REPORT && cur != bottom) ? bottom : cur + page - (view == LVS_REPORT ? 1 : 0);
        break;
    }
    }
    target = std::clamp(target, 0, n - 1);
    MoveTo(lv, target, shift, ctrl);
    if (IsWindow(hwnd))
        EnsureVisible(lv, target, false);
    return 0;
}

HWND EditLabel(ListView* lv, int item)
{
    if (!Valid(lv, item))
        return nullptr;
    if (lv->edit)
        EndEdit(lv, true);
    if (!Valid(lv, item))
        return nullptr;
    HWND hwnd = lv->hwnd;
    EnsureVisible(lv, item, false);
    std::u16string text = ItemText(lv, item, 0);
    std::u16string buf = text;
    buf.resize(std::max<size_t>(text.size() + 1, 260), u'\0');
    NMLVDISPINFOW di{};
    di.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    di.item.iItem = item;
    di.item.pszText = buf.data();
    di.item.cchTextMax = (int)buf.size();
    di.item.lParam = lv->items[(size_t)item].lParam;
    di.item.state = lv->items[(size_t)item].state;
    unsigned gen = lv->generation;
    if (Notify(lv, LVN_BEGINLABELEDITW, &di.hdr) || !IsWindow(hwnd) || gen != lv->generation || !Valid(lv, item))
        return nullptr;
    RECT r;
    ItemRect(lv, item, LVIR_LABEL, &r);
    Metrics m = Measure(lv);
    // Room for the text and a little more, at least the label, never past the client area.
    int want = LabelWidth(lv, text) + 3 * m.fontHeight;
    r.right = std::min<int>(std::max<int>(r.right, r.left + want), std::max<int>(m.client.right, r.left + 20));
    int h = m.fontHeight + 6;
    int cy = (r.top + r.bottom) / 2;
    r.top = cy - h / 2;
    r.bottom = r.top + h;
    HWND edit = CreateWindowExW(0, WC_EDITW, text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_LEFT,
                                r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd, (HMENU)1, nullptr, nullptr);
    if (!edit)
        return nullptr;
    SendMessageW(edit, WM_SETFONT, (WPARAM)ListFont(lv), FALSE);
    lv->edit = edit;
    lv->editItem = item;
    lv->editProc = (WNDPROC)SetWindowLongPtrW(edit, GWLP_WNDPROC, (LONG_PTR)EditSubclass);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
    return lv->edit;
}

void EndEdit(ListView* lv, bool save)
{
    if (!lv->edit || lv->ending)
        return;
    lv->ending = true;
    HWND hwnd = lv->hwnd;
    HWND edit = lv->edit;
    int item = lv->editItem;
    std::u16string text = WindowText(edit);
    NMLVDISPINFOW di{};
    di.item.mask = LVIF_TEXT;
    di.item.iItem = item;
    di.item.pszText = save ? text.data() : nullptr;
    di.item.cchTextMax = save ? (int)text.size() + 1 : 0;
    if (Valid(lv, item))
        di.item.lParam = lv->items[(size_t)item].lParam;
    unsigned gen = lv->generation;
    LRESULT accepted = Notify(lv, LVN_ENDLABELEDITW, &di.hdr);
    // The owner's TRUE takes the new text; its own handling may have set one already.
    if (save && accepted && IsWindow(hwnd) && gen == lv->generation && Valid(lv, item)) {
        LVITEMW set{};
        set.mask = LVIF_TEXT;
        set.iItem = item;
        set.pszText = text.data();
        SendMessageW(hwnd, LVM_SETITEMW, 0, (LPARAM)&set);
    }
    if (IsWindow(edit) && lv->editProc)
        SetWindowLongPtrW(edit, GWLP_WNDPROC, (LONG_PTR)lv->editProc);
    lv->edit = nullptr;
    lv->editItem = -1;
    lv->editProc = nullptr;
    if (IsWindow(edit)) {
        if (GetFocus() == edit && IsWindow(hwnd))
            SetFocus(hwnd);
        DestroyWindow(edit);
    }
    lv->ending = false;
    if (IsWindow(hwnd))
        InvalidateItem(lv, item);
}

} // namespace controls::lv
