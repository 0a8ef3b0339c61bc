// The SysListView32 window class: message dispatch, items, sub-items, columns, states and notifications.
#include "win32/controls/listview_internal.h"
#include "win32/text.h"

#include <algorithm>
#include <cstring>

namespace controls::lv {

namespace {

// Owner-supplied text is read up to this many characters when the owner points at a buffer of its own.
constexpr size_t kMaxOwnerText = 1 << 16;
constexpr int kDispBuffer = 1024;

std::u16string_view BoundedView(const char16_t* s, size_t limit)
{
    size_t n = 0;
    while (n < limit && s[n])
        ++n;
    return std::u16string_view(s, n);
}

std::u16string Bounded(const char16_t* s, size_t limit)
{
    return std::u16string(BoundedView(s, limit));
}

void CopyOut(const std::u16string& s, LPWSTR out, int room, int* copied = nullptr)
{
    if (copied)
        *copied = 0;
    if (!out || out == LPSTR_TEXTCALLBACKW || room <= 0)
        return;
    size_t n = std::min(s.size(), (size_t)room - 1);
    std::copy_n(s.data(), n, out);
    out[n] = 0;
    if (copied)
        *copied = (int)n;
}

// The owner may destroy the list from inside a notification; the state lives until the outermost
// message of the list returns, so the code that sent the notification never touches freed memory.
struct Holder {
    ListView lv;
    int depth = 0;
    bool dead = false;
};

} // namespace

ListView* Get(HWND hwnd)
{
    auto* h = reinterpret_cast<Holder*>(GetWindowLongPtrW(hwnd, 0));
    return h ? &h->lv : nullptr;
}

UINT View(const ListView* lv)
{
    return StyleOf(lv->hwnd) & LVS_TYPEMASK;
}

COLORREF BkColor(const ListView* lv)
{
    return lv->bk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : lv->bk;
}

COLORREF TextColor(const ListView* lv)
{
    return lv->text == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : lv->text;
}

COLORREF TextBkColor(const ListView* lv)
{
    return lv->textBk == CLR_DEFAULT ? BkColor(lv) : lv->textBk;
}

LRESULT Notify(ListView* lv, UINT code, NMHDR* nm)
{
    nm->hwndFrom = lv->hwnd;
    nm->idFrom = (UINT_PTR)GetDlgCtrlID(lv->hwnd);
    nm->code = code;
    HWND parent = GetParent(lv->hwnd);
    if (!parent)
        return 0;
    return SendMessageW(parent, WM_NOTIFY, nm->idFrom, (LPARAM)nm);
}

LRESULT NotifyItem(ListView* lv, UINT code, int item, int sub, POINT pt)
{
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.iSubItem = sub;
    nm.ptAction = pt;
    if (Valid(lv, item))
        nm.lParam = lv->items[(size_t)item].lParam;
    return Notify(lv, code, &nm.hdr);
}

void NotifyClick(ListView* lv, UINT code, int item, int sub, POINT pt)
{
    NMITEMACTIVATE nm{};
    nm.iItem = item;
    nm.iSubItem = sub;
    nm.ptAction = pt;
    if (Valid(lv, item))
        nm.lParam = lv->items[(size_t)item].lParam;
    nm.uKeyFlags = (GetKeyState(VK_SHIFT) < 0 ? LVKF_SHIFT : 0) | (GetKeyState(VK_CONTROL) < 0 ? LVKF_CONTROL : 0) |
                   (GetKeyState(VK_MENU) < 0 ? LVKF_ALT : 0);
    Notify(lv, code, &nm.hdr);
}

std::u16string ItemText(ListView* lv, int item, int sub)
{
    if (!Valid(lv, item) || sub < 0)
        return {};
    Item& it = lv->items[(size_t)item];
    // A sub-item that was never set has no text, and asks the owner for none.
    if (sub > 0 && sub >= it.texts.Slots())
        return {};
    if (!it.texts.Callback(sub))
        return std::u16string(it.texts.Text(sub));
    char16_t buf[kDispBuffer] = {};
    NMLVDISPINFOW di{};
    di.item.mask = LVIF_TEXT;
    di.item.iItem = item;
    di.item.iSubItem = sub;
    di.item.pszText = buf;
    di.item.cchTextMax = kDispBuffer;
    di.item.lParam = it.lParam;
    Notify(lv, LVN_GETDISPINFOW, &di.hdr);
    std::u16string text;
    if (di.item.pszText == buf)
        text = Bounded(buf, kDispBuffer - 1);
    else if (di.item.pszText && di.item.pszText != LPSTR_TEXTCALLBACKW)
        text = Bounded(di.item.pszText, kMaxOwnerText);
    // The owner may ask the control to keep what it answered.
    if ((di.item.mask & LVIF_DI_SETITEM) && Valid(lv, item))
        lv->items[(size_t)item].texts.SetText(sub, text, false);
    return text;
}

size_t ColumnTexts(ListView* lv, int sub, LVCOLUMNTEXTSW* in)
{
    if (!in)
        return 0;
    in->cItems = 0;
    if (sub < 0 || in->iItem < 0)
        return 0;
    LPWSTR to = in->pszText;
    size_t used = 0;
    std::u16string asked;
    // The count is looked at again after each item: an owner asked for a text may change the list.
    for (int i = in->iItem; i < Count(lv); ++i) {
        const Item& it = lv->items[(size_t)i];
        std::u16string_view text;
        if (it.texts.Callback(sub)) {
            asked = ItemText(lv, i, sub);
            text = asked;
        } else {
            text = it.texts.Text(sub);
        }
        if (to) {
            if (in->cchTextMax - used <= text.size())
                break;
            if (!text.empty())
                std::memcpy(to + used, text.data(), text.size() * sizeof(char16_t));
            to[used + text.size()] = 0;
            ++in->cItems;
        }
        used += text.size() + 1;
    }
    return used;
}

int ItemImage(ListView* lv, int item, int sub)
{
    if (!Valid(lv, item))
        return I_IMAGENONE;
    Item& it = lv->items[(size_t)item];
    int image = it.image;
    if (sub > 0)
        image = sub < it.texts.Slots() ? it.texts.Image(sub) : I_IMAGENONE;
    if (image != I_IMAGECALLBACK)
        return image;
    NMLVDISPINFOW di{};
    di.item.mask = LVIF_IMAGE;
    di.item.iItem = item;
    di.item.iSubItem = sub;
    di.item.iImage = 0;
    di.item.lParam = it.lParam;
    Notify(lv, LVN_GETDISPINFOW, &di.hdr);
    if ((di.item.mask & LVIF_DI_SETITEM) && Valid(lv, item)) {
        if (sub == 0)
            lv->items[(size_t)item].image = di.item.iImage;
        else
            lv->items[(size_t)item].texts.SetImage(sub, di.item.iImage);
    }
    return di.item.iImage;
}

UINT ItemState(ListView* lv, int item, UINT mask)
{
    if (!Valid(lv, item))
        return 0;
    Item& it = lv->items[(size_t)item];
    UINT state = it.state & mask & ~lv->callbackMask;
    UINT ask = lv->callbackMask & mask;
    if (ask) {
        NMLVDISPINFOW di{};
        di.item.mask = LVIF_STATE;
        di.item.iItem = item;
        di.item.stateMask = ask;
        di.item.lParam = it.lParam;
        Notify(lv, LVN_GETDISPINFOW, &di.hdr);
        state |= di.item.state & ask;
    }
    return state;
}

void InvalidateItem(ListView* lv, int item)
{
    // Rows scrolled out of a report view need no repaint; filling a long list touches mostly those.
    if (View(lv) == LVS_REPORT && (item < lv->top || item > lv->top + lv->pageRows + 1))
        return;
    RECT r;
    if (ItemRect(lv, item, LVIR_BOUNDS, &r)) {
        // Focus rectangles and grid lines reach a pixel beyond the row.
        InflateRect(&r, 1, 1);
        InvalidateRect(lv->hwnd, &r, TRUE);
    }
}

namespace {

// One item's change of state, told to the owner before and after; false when the owner refuses.
bool ChangeState(ListView* lv, int item, UINT newState)
{
    Item& it = lv->items[(size_t)item];
    UINT old = it.state;
    if (old == newState)
        return true;
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.uNewState = newState;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = it.lParam;
    unsigned gen = lv->generation;
    if (Notify(lv, LVN_ITEMCHANGING, &nm.hdr))
        return false;
    if (gen != lv->generation || !Valid(lv, item))
        return false;
    lv->items[(size_t)item].state = newState;
    if ((newState & LVIS_FOCUSED) && !(old & LVIS_FOCUSED))
        lv->focus = item;
    else if (!(newState & LVIS_FOCUSED) && (old & LVIS_FOCUSED) && lv->focus == item)
        lv->focus = -1;
    InvalidateItem(lv, item);
    NMLISTVIEW done = nm;
    Notify(lv, LVN_ITEMCHANGED, &done.hdr);
    return true;
}

} // namespace

bool SetState(ListView* lv, int item, UINT state, UINT mask)
{
    mask &= ~lv->callbackMask | LVIS_SELECTED | LVIS_FOCUSED;
    if (item == -1) {
        // Every item at once: one notification pair with item -1, as owners expect of a select-all.
        bool any = false;
        for (const Item& it : lv->items)
            any |= ((it.state & ~mask) | (state & mask)) != it.state;
        if (!any)
            return true;
        if ((state & mask & LVIS_FOCUSED))
            return false; // only one item can hold the focus
        if ((StyleOf(lv->hwnd) & LVS_SINGLESEL) && (state & mask & LVIS_SELECTED))
            return false;
        NMLISTVIEW nm{};
        nm.iItem = -1;
        nm.uNewState = state & mask;
        nm.uOldState = 0;
        nm.uChanged = LVIF_STATE;
        unsigned gen = lv->generation;
        if (Notify(lv, LVN_ITEMCHANGING, &nm.hdr) || gen != lv->generation)
            return false;
        for (Item& it : lv->items)
            it.state = (it.state & ~mask) | (state & mask);
        if ((mask & LVIS_FOCUSED))
            lv->focus = -1;
        InvalidateRect(lv->hwnd, nullptr, TRUE);
        NMLISTVIEW done = nm;
        Notify(lv, LVN_ITEMCHANGED, &done.hdr);
        return true;
    }
    if (!Valid(lv, item))
        return false;
    UINT want = (lv->items[(size_t)item].state & ~mask) | (state & mask);
    // One focused item; with LVS_SINGLESEL one selected item.
    if ((want & LVIS_FOCUSED) && lv->focus >= 0 && lv->focus != item && Valid(lv, lv->focus))
        ChangeState(lv, lv->focus, lv->items[(size_t)lv->focus].state & ~(UINT)LVIS_FOCUSED);
    if ((want & LVIS_SELECTED) && (StyleOf(lv->hwnd) & LVS_SINGLESEL)) {
        for (int i = 0; i < Count(lv); ++i)
            if (i != item && (lv->items[(size_t)i].state & LVIS_SELECTED))
                ChangeState(lv, i, lv->items[(size_t)i].state & ~(UINT)LVIS_SELECTED);
    }
    if (!Valid(lv, item))
        return false;
    want = (lv->items[(size_t)item].state & ~mask) | (state & mask);
    return ChangeState(lv, item, want);
}

void SelectOnly(ListView* lv, int item)
{
    for (int i = 0; i < Count(lv); ++i)
        if (i != item && (lv->items[(size_t)i].state & LVIS_SELECTED))
            ChangeState(lv, i, lv->items[(size_t)i].state & ~(UINT)LVIS_SELECTED);
    if (Valid(lv, item))
        SetState(lv, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void SetFocusItem(ListView* lv, int item)
{
    if (Valid(lv, item))
        SetState(lv, item, LVIS_FOCUSED, LVIS_FOCUSED);
}

void SelectRange(ListView* lv, int from, int to, bool clearOthers)
{
    if (from > to)
        std::swap(from, to);
    for (int i = 0; i < Count(lv); ++i) {
        bool in = i >= from && i <= to;
        UINT st = lv->items[(size_t)i].state;
        if (in && !(st & LVIS_SELECTED))
            ChangeState(lv, i, st | LVIS_SELECTED);
        else if (!in && clearOthers && (st & LVIS_SELECTED))
            ChangeState(lv, i, st & ~(UINT)LVIS_SELECTED);
    }
}

namespace {

// ---- Items ------------------------------------------------------------------------------------

void ShiftIndexes(ListView* lv, int from, int by)
{
    for (int* p : {&lv->focus, &lv->mark, &lv->hot, &lv->editItem, &lv->pendingEdit, &lv->pressItem})
        if (*p >= from)
            *p += by;
}

int SortedPosition(ListView* lv, const std::u16string& text, bool descending)
{
    auto less = [&](const std::u16string& a, const std::u16string& b) {
        int c = lstrcmpiW(a.c_str(), b.c_str());
        return descending ? c > 0 : c < 0;
    };
    int lo = 0, hi = Count(lv);
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (less(text, ItemText(lv, mid, 0)))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// The items changed shape at `from` (an insert or delete there, or everything for 0).
void StructureChanged(ListView* lv, int from = 0)
{
    ++lv->generation;
    ++lv->layoutGeneration;
    lv->scrollDirty = true;
    if (View(lv) != LVS_REPORT || from <= lv->top + lv->pageRows + 1)
        InvalidateRect(lv->hwnd, nullptr, TRUE);
}

int InsertItem(ListView* lv, const LVITEMW* in)
{
    if (!in || in->iSubItem != 0 || in->iItem < 0)
        return -1;
    Item it;
    if (in->mask & LVIF_TEXT) {
        if (in->pszText == LPSTR_TEXTCALLBACKW)
            it.texts.SetText(0, {}, true);
        else if (in->pszText && *in->pszText)
            it.texts.SetText(0, BoundedView(in->pszText, kMaxOwnerText), false);
    }
    if (in->mask & LVIF_IMAGE)
        it.image = in->iImage;
    if (in->mask & LVIF_PARAM)
        it.lParam = in->lParam;
    if (in->mask & LVIF_INDENT)
        it.indent = std::max(0, in->iIndent);
    UINT wantState = 0, wantMask = 0;
    if (in->mask & LVIF_STATE) {
        wantMask = in->stateMask;
        wantState = in->state & in->stateMask;
        // Selection and focus go through the usual change path once the item exists.
        it.state = wantState & ~(UINT)(LVIS_SELECTED | LVIS_FOCUSED);
    }
    if ((lv->exStyle & LVS_EX_CHECKBOXES) && !(wantMask & LVIS_STATEIMAGEMASK))
        it.state |= INDEXTOSTATEIMAGEMASK(1);

    int index = std::min(in->iItem, Count(lv));
    DWORD style = StyleOf(lv->hwnd);
    if ((style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) && !it.texts.Callback(0))
        index = SortedPosition(lv, std::u16string(it.texts.Text(0)), (style & LVS_SORTDESCENDING) != 0);
    lv->items.insert(lv->items.begin() + index, std::move(it));
    ShiftIndexes(lv, index, 1);
    StructureChanged(lv, index);
    unsigned gen = lv->generation;
    NotifyItem(lv, LVN_INSERTITEM, index);
    if (gen == lv->generation && (wantState & (LVIS_SELECTED | LVIS_FOCUSED)))
        SetState(lv, index, wantState, wantMask & (LVIS_SELECTED | LVIS_FOCUSED));
    return index;
}

bool DeleteItem(ListView* lv, int item)
{
    if (!Valid(lv, item))
        return false;
    if (lv->editItem == item)
        EndEdit(lv, false);
    unsigned gen = lv->generation;
    NotifyItem(lv, LVN_DELETEITEM, item);
    if (gen != lv->generation || !Valid(lv, item))
        return false;
    lv->items.erase(lv->items.begin() + item);
    for (int* p : {&lv->focus, &lv->mark, &lv->hot, &lv->editItem, &lv->pendingEdit, &lv->pressItem}) {
        if (*p == item)
            *p = -1;
        else if (*p > item)
            --*p;
    }
    if (lv->top >= Count(lv))
        lv->top = std::max(0, Count(lv) - 1);
    StructureChanged(lv, item);
    return true;
}

bool DeleteAll(ListView* lv, bool destroying)
{
    if (lv->edit)
        EndEdit(lv, false);
    if (lv->items.empty())
        return true;
    unsigned gen = lv->generation;
    bool each = !NotifyItem(lv, LVN_DELETEALLITEMS, -1);
    // Each item is reported while it still exists; an owner that changes the list meanwhile ends the
    // reports, and whatever is left goes unreported rather than twice.
    for (int i = 0; each && i < Count(lv) && gen == lv->generation; ++i)
        NotifyItem(lv, LVN_DELETEITEM, i);
    lv->items.clear();
    lv->items.shrink_to_fit();
    ++lv->generation;
    lv->focus = lv->mark = lv->hot = lv->pendingEdit = lv->pressItem = -1;
    lv->top = lv->scrollY = 0;
    if (View(lv) != LVS_REPORT)
        lv->scrollX = 0;
    if (!destroying)
        StructureChanged(lv);
    return true;
}

bool GetItem(ListView* lv, LVITEMW* out)
{
    if (!out || !Valid(lv, out->iItem) || out->iSubItem < 0)
        return false;
    int i = out->iItem, sub = out->iSubItem;
    if (out->mask & LVIF_TEXT)
        CopyOut(ItemText(lv, i, sub), out->pszText, out->cchTextMax);
    if (!Valid(lv, i))
        return false;
    if (out->mask & LVIF_IMAGE)
        out->iImage = ItemImage(lv, i, sub);
    if (!Valid(lv, i))
        return false;
    const Item& it = lv->items[(size_t)i];
    if (out->mask & LVIF_PARAM)
        out->lParam = it.lParam;
    if (out->mask & LVIF_INDENT)
        out->iIndent = it.indent;
    if (out->mask & LVIF_STATE)
        out->state = ItemState(lv, i, out->stateMask);
    return true;
}

bool SetItem(ListView* lv, const LVITEMW* in)
{
    if (!in || !Valid(lv, in->iItem) || in->iSubItem < 0)
        return false;
    int i = in->iItem, sub = in->iSubItem;
    if (sub > 0) {
        if (sub >= std::max<int>(1, (int)lv->columns.size()))
            return false;
        Item& it = lv->items[(size_t)i];
        if (in->mask & LVIF_TEXT) {
            const bool callback = in->pszText == LPSTR_TEXTCALLBACKW;
            const std::u16string_view text =
                (in->pszText && !callback) ? BoundedView(in->pszText, kMaxOwnerText) : std::u16string_view();
            if (!it.texts.SetText(sub, text, callback))
                return false;
        }
        if ((in->mask & LVIF_IMAGE) && !it.texts.SetImage(sub, in->iImage))
            return false;
        if (!(in->mask & (LVIF_TEXT | LVIF_IMAGE)) && !it.texts.SetText(sub, it.texts.Text(sub), it.texts.Callback(sub)))
            return false;
        InvalidateItem(lv, i);
        return true;
    }
    UINT other = in->mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT);
    if (other) {
        NMLISTVIEW nm{};
        nm.iItem = i;
        nm.uChanged = other;
        nm.uOldState = nm.uNewState = lv->items[(size_t)i].state;
        nm.lParam = lv->items[(size_t)i].lParam;
        unsigned gen = lv->generation;
        if (Notify(lv, LVN_ITEMCHANGING, &nm.hdr) || gen != lv->generation || !Valid(lv, i))
            return false;
        Item& it = lv->items[(size_t)i];
        if (in->mask & LVIF_TEXT) {
            ++lv->layoutGeneration;
            const bool callback = in->pszText == LPSTR_TEXTCALLBACKW;
            const std::u16string_view text =
                (in->pszText && !callback) ? BoundedView(in->pszText, kMaxOwnerText) : std::u16string_view();
            it.texts.SetText(0, text, callback);
        }
        if (in->mask & LVIF_IMAGE)
            it.image = in->iImage;
        if (in->mask & LVIF_PARAM)
            it.lParam = in->lParam;
        if (in->mask & LVIF_INDENT)
            it.indent = std::max(0, in->iIndent);
        InvalidateItem(lv, i);
        nm.lParam = it.lParam;
        Notify(lv, LVN_ITEMCHANGED, &nm.hdr);
    }
    if ((in->mask & LVIF_STATE) && in->stateMask)
        return SetState(lv, i, in->state, in->stateMask);
    return true;
}

int GetNextItem(ListView* lv, int start, UINT flags)
{
    UINT want = (flags & LVNI_FOCUSED ? LVIS_FOCUSED : 0) | (flags & LVNI_SELECTED ? LVIS_SELECTED : 0) |
                (flags & LVNI_CUT ? LVIS_CUT : 0) | (flags & LVNI_DROPHILITED ? LVIS_DROPHILITED : 0);
    auto matches = [&](int i) { return (ItemState(lv, i, want) & want) == want; };
    UINT dir = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
    if (dir) {
        if (!Valid(lv, start))
            return -1;
        // Neighbours in the arrangement: the step between them depends on the view.
        Metrics m = Measure(lv);
        int step = 1;
        UINT view = View(lv);
        int perLine = 1;
        if (view == LVS_LIST) {
            perLine = std::max(1, (int)(m.client.bottom - m.client.top) / std::max(1, m.rowHeight));
        } else if (view == LVS_ICON || view == LVS_SMALLICON) {
            Parts p = ItemParts(lv, m, 0);
            int w = std::max<int>(1, p.bounds.right - p.bounds.left);
            perLine = std::max(1, (int)(m.client.right - m.client.left) / w);
        }
        if (view == LVS_REPORT)
            step = (dir & (LVNI_ABOVE | LVNI_BELOW)) ? 1 : 0;
        else if (view == LVS_LIST)
            step = (dir & (LVNI_ABOVE | LVNI_BELOW)) ? 1 : perLine;
        else
            step = (dir & (LVNI_ABOVE | LVNI_BELOW)) ? perLine : 1;
        if (step == 0)
            return -1;
        int sign = (dir & (LVNI_ABOVE | LVNI_TOLEFT)) ? -1 : 1;
        for (int i = start + sign * step; Valid(lv, i); i += sign * step)
            if (matches(i))
                return i;
        return -1;
    }
    if ((flags & LVNI_FOCUSED) && !(lv->callbackMask & LVIS_FOCUSED))
        return lv->focus > start && matches(lv->focus) ? lv->focus : -1;
    for (int i = std::max(0, start + 1); i < Count(lv); ++i)
        if (matches(i))
            return i;
    return -1;
}

// ---- Columns ----------------------------------------------------------------------------------

int HeaderFormat(int fmt)
{
    int h = HDF_STRING | (fmt & LVCFMT_JUSTIFYMASK);
    if (fmt & LVCFMT_IMAGE)
        h |= HDF_IMAGE;
    if (fmt & LVCFMT_BITMAP_ON_RIGHT)
        h |= HDF_BITMAP_ON_RIGHT;
    return h;
}

int InsertColumn(ListView* lv, int index, const LVCOLUMNW* in)
{
    if (!in || index < 0)
        return -1;
    index = std::min(index, (int)lv->columns.size());
    Column c;
    if (in->mask & LVCF_FMT)
        c.fmt = in->fmt;
    if (in->mask & LVCF_WIDTH)
        c.width = std::max(0, in->cx);
    if ((in->mask & LVCF_TEXT) && in->pszText && in->pszText != LPSTR_TEXTCALLBACKW)
        c.text = Bounded(in->pszText, kMaxOwnerText);
    c.subItem = (in->mask & LVCF_SUBITEM) ? std::max(0, in->iSubItem) : index;
    if (in->mask & LVCF_IMAGE)
        c.image = in->iImage;
    lv->columns.insert(lv->columns.begin() + index, c);
    HDITEMW h{};
    h.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    h.pszText = lv->columns[(size_t)index].text.data();
    h.cxy = c.width;
    h.fmt = HeaderFormat(c.fmt);
    if (in->mask & LVCF_IMAGE) {
        h.mask |= HDI_IMAGE;
        h.iImage = c.image;
    }
    if (in->mask & LVCF_ORDER) {
        h.mask |= HDI_ORDER;
        h.iOrder = in->iOrder;
    }
    if (lv->header)
        SendMessageW(lv->header, HDM_INSERTITEMW, (WPARAM)index, (LPARAM)&h);
    UpdateScrollBars(lv);
    InvalidateRect(lv->hwnd, nullptr, TRUE);
    return index;
}

bool DeleteColumn(ListView* lv, int index)
{
    if (index < 0 || index >= (int)lv->columns.size())
        return false;
    if (lv->edit)
        EndEdit(lv, false);
    int sub = lv->columns[(size_t)index].subItem;
    lv->columns.erase(lv->columns.begin() + index);
    if (lv->header)
        SendMessageW(lv->header, HDM_DELETEITEM, (WPARAM)index, 0);
    // The column's sub-item data goes with it; later sub-items move down one place.
    if (sub > 0) {
        for (Item& it : lv->items)
            it.texts.Erase(sub);
        for (Column& c : lv->columns)
            if (c.subItem > sub)
                --c.subItem;
    }
    UpdateScrollBars(lv);
    InvalidateRect(lv->hwnd, nullptr, TRUE);
    return true;
}

bool GetColumn(ListView* lv, int index, LVCOLUMNW* out)
{
    if (!out || index < 0 || index >= (int)lv->columns.size())
        return false;
    const Column& c = lv->columns[(size_t)index];
    if (out->mask & LVCF_FMT)
        out->fmt = c.fmt;
    if (out->mask & LVCF_WIDTH)
        out->cx = c.width;
    if (out->mask & LVCF_TEXT)
        CopyOut(c.text, out->pszText, out->cchTextMax);
    if (out->mask & LVCF_SUBITEM)
        out->iSubItem = c.subItem;
    if (out->mask & LVCF_IMAGE)
        out->iImage = c.image;
    if (out->mask & LVCF_ORDER) {
        std::vector<int> order = ColumnOrder(lv);
        out->iOrder = (int)(std::find(order.begin(), order.end(), index) - order.begin());
    }
    return true;
}

bool SetColumnWidth(ListView* lv, int index, int cx);

bool SetColumn(ListView* lv, int index, const LVCOLUMNW* in)
{
    if (!in || index < 0 || index >= (int)lv->columns.size())
        return false;
    Column& c = lv->columns[(size_t)index];
    HDITEMW h{};
    if (in->mask & LVCF_FMT) {
        c.fmt = in->fmt;
        h.mask |= HDI_FORMAT;
        h.fmt = HeaderFormat(c.fmt);
    }
    if ((in->mask & LVCF_TEXT)) {
        c.text = (in->pszText && in->pszText != LPSTR_TEXTCALLBACKW) ? Bounded(in->pszText, kMaxOwnerText)
                                                                     : std::u16string();
        h.mask |= HDI_TEXT;
        h.pszText = c.text.data();
    }
    if (in->mask & LVCF_SUBITEM)
        c.subItem = std::max(0, in->iSubItem);
    if (in->mask & LVCF_IMAGE) {
        c.image = in->iImage;
        h.mask |= HDI_IMAGE;
        h.iImage = c.image;
    }
    if (in->mask & LVCF_ORDER) {
        h.mask |= HDI_ORDER;
        h.iOrder = in->iOrder;
    }
    if (h.mask && lv->header)
        SendMessageW(lv->header, HDM_SETITEMW, (WPARAM)index, (LPARAM)&h);
    if (in->mask & LVCF_WIDTH)
        SetColumnWidth(lv, index, in->cx);
    InvalidateRect(lv->hwnd, nullptr, TRUE);
    return true;
}

bool SetColumnWidth(ListView* lv, int index, int cx)
{
    UINT view = View(lv);
    if (view == LVS_LIST) {
        if (index != 0 || cx <= 0)
            return false;
        lv->listColumnWidth = cx;
        UpdateScrollBars(lv);
        InvalidateRect(lv->hwnd, nullptr, TRUE);
        return true;
    }
    if (view != LVS_REPORT || index < 0 || index >= (int)lv->columns.size())
        return false;
    if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER)
        cx = AutoColumnWidth(lv, index, cx == LVSCW_AUTOSIZE_USEHEADER);
    cx = std::max(0, cx);
    if (lv->header) {
        HDITEMW h{};
        h.mask = HDI_WIDTH;
        h.cxy = cx;
        SendMessageW(lv->header, HDM_SETITEMW, (WPARAM)index, (LPARAM)&h);
    } else {
        lv->columns[(size_t)index].width = cx;
    }
    UpdateScrollBars(lv);
    InvalidateRect(lv->hwnd, nullptr, TRUE);
    return true;
}

int GetColumnWidth(ListView* lv, int index)
{
    UINT view = View(lv);
    if (view == LVS_LIST)
        return index == 0 ? ListColumnWidth(lv, Measure(lv)) : 0;
    if (view != LVS_REPORT || index < 0 || index >= (int)lv->columns.size())
        return 0;
    return lv->columns[(size_t)index].width;
}

// The header's parent is the list; the list's owner hears of the header through it.
LRESULT OnHeaderNotify(ListView* lv, WPARAM wParam, NMHDR* nm)
{
    HWND parent = GetParent(lv->hwnd);
    LRESULT r = parent ? SendMessageW(parent, WM_NOTIFY, wParam, (LPARAM)nm) : 0;
    auto* hn = (NMHEADERW*)nm;
    switch (nm->code) {
    case HDN_ITEMCHANGEDW:
        if (hn->iItem >= 0 && hn->iItem < (int)lv->columns.size() && hn->pitem && (hn->pitem->mask & HDI_WIDTH)) {
            HDITEMW h{};
            h.mask = HDI_WIDTH;
            if (SendMessageW(lv->header, HDM_GETITEMW, (WPARAM)hn->iItem, (LPARAM)&h))
                lv->columns[(size_t)hn->iItem].width = h.cxy;
            if (lv->edit)
                EndEdit(lv, true);
            UpdateScrollBars(lv);
        }
        InvalidateRect(lv->hwnd, nullptr, TRUE);
        return 0;
    case HDN_ITEMCLICKW: {
        NMLISTVIEW cl{};
        cl.iItem = -1;
        cl.iSubItem = hn->iItem;
        Notify(lv, LVN_COLUMNCLICK, &cl.hdr);
        return 0;
    }
    case HDN_DIVIDERDBLCLICKW:
        if (!r && hn->iItem >= 0)
            SetColumnWidth(lv, hn->iItem, LVSCW_AUTOSIZE);
        return r;
    default: return r;
    }
}

// ---- Images and extended styles ---------------------------------------------------------------

HIMAGELIST MakeCheckImages()
{
    const int cx = 16, cy = 16;
    HIMAGELIST il = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 2, 0);
    if (!il)
        return nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    const COLORREF key = RGB(255, 0, 255);
    for (int checked = 0; checked < 2; ++checked) {
        HBITMAP bmp = CreateCompatibleBitmap(screen, cx, cy);
        HGDIOBJ old = SelectObject(mem, bmp);
        RECT all{0, 0, cx, cy};
        HBRUSH keyBrush = CreateSolidBrush(key);
        FillRect(mem, &all, keyBrush);
        DeleteObject(keyBrush);
        RECT box{1, 1, 14, 14};
        DrawFrameControl(mem, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
        SelectObject(mem, old);
        ImageList_AddMasked(il, bmp, key);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return il;
}

HIMAGELIST SetImageList(ListView* lv, int which, HIMAGELIST il)
{
    HIMAGELIST old = nullptr;
    switch (which) {
    case LVSIL_NORMAL: old = lv->normal; lv->normal = il; break;
    case LVSIL_SMALL:
        old = lv->small;
        lv->small = il;
        // The header shows column images from the small list, unless its owner gave it a list of its own.
        if (lv->header) {
            HIMAGELIST current = (HIMAGELIST)SendMessageW(lv->header, HDM_GETIMAGELIST, 0, 0);
            if (!current || current == old)
                SendMessageW(lv->header, HDM_SETIMAGELIST, 0, (LPARAM)il);
        }
        break;
    case LVSIL_STATE:
        old = lv->state;
        if (lv->ownStateList && old && old != il) {
            ImageList_Destroy(old);
            lv->ownStateList = false;
        }
        lv->state = il;
        break;
    default: return nullptr;
    }
    lv->fontHeight = 0;
    UpdateScrollBars(lv);
    InvalidateRect(lv->hwnd, nullptr, TRUE);
    return old;
}

DWORD SetExtendedStyle(ListView* lv, DWORD mask, DWORD style)
{
    DWORD old = lv->exStyle;
    DWORD m = mask ? mask : 0xFFFFFFFF;
    lv->exStyle = (old & ~m) | (style & m);
    DWORD changed = old ^ lv->exStyle;
    if (changed & LVS_EX_CHECKBOXES) {
        if (lv->exStyle & LVS_EX_CHECKBOXES) {
            if (!lv->state) {
                lv->state = MakeCheckImages();
                lv->ownStateList = lv->state != nullptr;
            }
            for (Item& it : lv->items)
                if (!(it.state & LVIS_STATEIMAGEMASK))
                    it.state |= INDEXTOSTATEIMAGEMASK(1);
        } else {
            if (lv->ownStateList && lv->state)
                ImageList_Destroy(lv->state);
            if (lv->ownStateList)
                lv->state = nullptr;
            lv->ownStateList = false;
            for (Item& it : lv->items)
                it.state &= ~(UINT)LVIS_STATEIMAGEMASK;
        }
        lv->fontHeight = 0;
    }
    if ((changed & LVS_EX_HEADERDRAGDROP) && lv->header) {
        LONG_PTR hs = GetWindowLongPtrW(lv->header, GWL_STYLE);
        hs = (lv->exStyle & LVS_EX_HEADERDRAGDROP) ? (hs | HDS_DRAGDROP) : (hs & ~(LONG_PTR)HDS_DRAGDROP);
        SetWindowLongPtrW(lv->header, GWL_STYLE, hs);
    }
    UpdateScrollBars(lv);
    InvalidateRect(lv->hwnd, nullptr, TRUE);
    return old;
}

void FreeBkImage(ListView* lv)
{
    if (lv->bkImage)
        DeleteObject(lv->bkImage);
    lv->bkImage = nullptr;
}

// The control keeps a copy of the bitmap, so the owner may free its own whenever it likes.
bool SetBkImage(ListView* lv, const LVBKIMAGEW* in)
{
    if (!in)
        return false;
    FreeBkImage(lv);
    lv->bkFlags = in->ulFlags;
    lv->bkXPercent = in->xOffsetPercent;
    lv->bkYPercent = in->yOffsetPercent;
    if ((in->ulFlags & LVBKIF_SOURCE_MASK) == LVBKIF_SOURCE_NONE) {
        lv->bkFlags = 0;
        InvalidateRect(lv->hwnd, nullptr, TRUE);
        return true;
    }
    if ((in->ulFlags & LVBKIF_SOURCE_MASK) != LVBKIF_SOURCE_HBITMAP) {
        lv->bkFlags = 0;
        return false;
    }
    BITMAP bm{};
    if (!in->hbm || GetObjectW(in->hbm, sizeof bm, &bm) != (int)sizeof bm || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        lv->bkFlags = 0;
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC src = CreateCompatibleDC(screen);
    HDC dst = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
    HGDIOBJ o1 = SelectObject(src, in->hbm);
    HGDIOBJ o2 = SelectObject(dst, copy);
    BitBlt(dst, 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
    SelectObject(src, o1);
    SelectObject(dst, o2);
    DeleteDC(src);
    DeleteDC(dst);
    ReleaseDC(nullptr, screen);
    lv->bkImage = copy;
    InvalidateRect(lv->hwnd, nullptr, TRUE);
    return copy != nullptr;
}

// ---- Creation and view changes ----------------------------------------------------------------

DWORD HeaderStyle(HWND hwnd, const ListView* lv)
{
    DWORD st = StyleOf(hwnd);
    DWORD hs = WS_CHILD | HDS_HORZ | HDS_FULLDRAG;
    if (!(st & LVS_NOSORTHEADER))
        hs |= HDS_BUTTONS;
    if (lv->exStyle & LVS_EX_HEADERDRAGDROP)
        hs |= HDS_DRAGDROP;
    if ((st & LVS_TYPEMASK) == LVS_REPORT && !(st & LVS_NOCOLUMNHEADER))
        hs |= WS_VISIBLE;
    return hs;
}

void StyleChanged(ListView* lv, DWORD oldStyle, DWORD newStyle)
{
    if (lv->edit)
        EndEdit(lv, false);
    if ((oldStyle ^ newStyle) & LVS_TYPEMASK) {
        lv->top = lv->scrollX = lv->scrollY = 0;
    }
    if (lv->header) {
        LONG_PTR hs = GetWindowLongPtrW(lv->header, GWL_STYLE);
        DWORD want = HeaderStyle(lv->hwnd, lv);
        hs = (hs & ~(LONG_PTR)(HDS_BUTTONS | WS_VISIBLE)) | (want & (HDS_BUTTONS | WS_VISIBLE));
        SetWindowLongPtrW(lv->header, GWL_STYLE, hs);
        ShowWindow(lv->header, (want & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
    }
    LayoutHeader(lv);
    UpdateScrollBars(lv);
    InvalidateRect(lv->hwnd, nullptr, TRUE);
}

void Destroying(ListView* lv)
{
    if (lv->edit)
        EndEdit(lv, false);
    KillTimer(lv->hwnd, 1);
    DeleteAll(lv, true);
    bool shared = (StyleOf(lv->hwnd) & LVS_SHAREIMAGELISTS) != 0;
    if (lv->ownStateList && lv->state)
        ImageList_Destroy(lv->state);
    else if (!shared && lv->state)
        ImageList_Destroy(lv->state);
    if (!shared) {
        if (lv->small)
            ImageList_Destroy(lv->small);
        if (lv->normal && lv->normal != lv->small)
            ImageList_Destroy(lv->normal);
    }
    lv->state = lv->small = lv->normal = nullptr;
    FreeBkImage(lv);
}

LRESULT Dispatch(ListView* lv, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = lv->hwnd;
    if (lv->scrollDirty && msg != LVM_INSERTITEMW && msg != LVM_SETITEMW && msg != LVM_SETITEMTEXTW &&
        msg != LVM_DELETEITEM && msg != WM_NCDESTROY && msg != WM_DESTROY) {
        lv->scrollDirty = false;
        UpdateScrollBars(lv);
    }
    switch (msg) {
    case WM_CREATE: {
        lv->header = CreateWindowExW(0, WC_HEADERW, u"", HeaderStyle(hwnd, lv), 0, 0, 0, 0, hwnd, (HMENU)0,
                                     nullptr, nullptr);
        LayoutHeader(lv);
        UpdateScrollBars(lv);
        return 0;
    }
    case WM_DESTROY: Destroying(lv); return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        lv->font = (HFONT)wParam;
        lv->fontHeight = 0;
        ++lv->layoutGeneration;
        if (lv->header)
            SendMessageW(lv->header, WM_SETFONT, wParam, lParam);
        LayoutHeader(lv);
        UpdateScrollBars(lv);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)lv->font;
    case WM_ENABLE:
        // The disabled look covers the whole list, so a change of state repaints it all at once.
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_STYLECHANGED:
        if (wParam == (WPARAM)GWL_STYLE && lParam) {
            auto* ss = (const STYLESTRUCT*)lParam;
            StyleChanged(lv, ss->styleOld, ss->styleNew);
        }
        return 0;
    case WM_SIZE:
        LayoutHeader(lv);
        UpdateScrollBars(lv);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_ERASEBKGND: return 1; // painting covers the whole client area
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, wParam, [&](HDC dc) { Draw(lv, dc, !(msg == WM_PAINT && wParam)); });
        return 0;
    case WM_SETFOCUS: {
        lv->hasFocus = true;
        NMHDR nm{};
        Notify(lv, NM_SETFOCUS, &nm);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_KILLFOCUS: {
        lv->hasFocus = false;
        NMHDR nm{};
        Notify(lv, NM_KILLFOCUS, &nm);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NOTIFYFORMAT: return NFR_UNICODE;
    case WM_NOTIFY: {
        auto* nm = (NMHDR*)lParam;
        if (nm && lv->header && nm->hwndFrom == lv->header)
            return OnHeaderNotify(lv, wParam, nm);
        return 0;
    }
    case WM_VSCROLL: OnScroll(lv, SB_VERT, wParam); return 0;
    case WM_HSCROLL: OnScroll(lv, SB_HORZ, wParam); return 0;
    case WM_MOUSEWHEEL: {
        UINT lines = 3;
        SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        int dy = -notches * (int)lines;
        if (View(lv) == LVS_LIST)
            ScrollBy(lv, dy * ListColumnWidth(lv, Measure(lv)) / std::max(1, (int)lines), 0);
        else if (View(lv) == LVS_REPORT)
            ScrollBy(lv, 0, dy * Measure(lv).rowHeight);
        else
            ScrollBy(lv, 0, dy * Measure(lv).rowHeight);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED:
    case WM_TIMER: return OnMouse(lv, msg, wParam, lParam);
    case WM_KEYDOWN: return OnKeyDown(lv, wParam, lParam);
    case WM_CHAR: return 0;

    case CCM_SETUNICODEFORMAT: return TRUE;
    case CCM_GETUNICODEFORMAT: return TRUE;
    case CCM_SETVERSION: return 6;
    case CCM_GETVERSION: return 6;

    case LVM_GETBKCOLOR: return BkColor(lv);
    case LVM_SETBKCOLOR: lv->bk = (COLORREF)lParam; InvalidateRect(hwnd, nullptr, TRUE); return TRUE;
    case LVM_GETTEXTCOLOR: return TextColor(lv);
    case LVM_SETTEXTCOLOR: lv->text = (COLORREF)lParam; InvalidateRect(hwnd, nullptr, TRUE); return TRUE;
    case LVM_GETTEXTBKCOLOR: return TextBkColor(lv);
    case LVM_SETTEXTBKCOLOR: lv->textBk = (COLORREF)lParam; InvalidateRect(hwnd, nullptr, TRUE); return TRUE;
    case LVM_GETIMAGELIST:
        return (LRESULT)(wParam == LVSIL_NORMAL  ? lv->normal
                         : wParam == LVSIL_SMALL ? lv->small
                         : wParam == LVSIL_STATE ? lv->state
                                                 : nullptr);
    case LVM_SETIMAGELIST: return (LRESULT)SetImageList(lv, (int)wParam, (HIMAGELIST)lParam);
    case LVM_GETITEMCOUNT: return Count(lv);
    case LVM_SETITEMCOUNT:
        if ((int)wParam > 0)
            lv->items.reserve(std::min<size_t>((size_t)wParam, 1u << 24));
        return TRUE;
    case LVM_INSERTITEMW: return InsertItem(lv, (const LVITEMW*)lParam);
    case LVM_DELETEITEM: return DeleteItem(lv, (int)wParam);
    case LVM_DELETEALLITEMS: return DeleteAll(lv, false);
    case LVM_GETITEMW: return GetItem(lv, (LVITEMW*)lParam);
    case LVM_SETITEMW: return SetItem(lv, (const LVITEMW*)lParam);
    case LVM_GETITEMTEXTW: {
        auto* it = (LVITEMW*)lParam;
        if (!it || !Valid(lv, (int)wParam) || it->iSubItem < 0)
            return 0;
        int copied = 0;
        CopyOut(ItemText(lv, (int)wParam, it->iSubItem), it->pszText, it->cchTextMax, &copied);
        return copied;
    }
    case LVM_GETCOLUMNTEXTSW: return (LRESULT)ColumnTexts(lv, (int)wParam, (LVCOLUMNTEXTSW*)lParam);
    case LVM_SETITEMTEXTW: {
        auto* it = (const LVITEMW*)lParam;
        if (!it)
            return FALSE;
        LVITEMW set{};
        set.mask = LVIF_TEXT;
        set.iItem = (int)wParam;
        set.iSubItem = it->iSubItem;
        set.pszText = it->pszText;
        return SetItem(lv, &set);
    }
    case LVM_GETITEMSTATE: return ItemState(lv, (int)wParam, (UINT)lParam);
    case LVM_SETITEMSTATE: {
        auto* it = (const LVITEMW*)lParam;
        if (!it)
            return FALSE;
        return SetState(lv, (int)wParam, it->state, it->stateMask);
    }
    case LVM_GETCALLBACKMASK: return lv->callbackMask;
    case LVM_SETCALLBACKMASK: lv->callbackMask = (UINT)wParam; return TRUE;
    case LVM_GETNEXTITEM: return GetNextItem(lv, (int)wParam, (UINT)LOWORD(lParam));
    case LVM_GETSELECTEDCOUNT: {
        int n = 0;
        for (int i = 0; i < Count(lv); ++i)
            n += (ItemState(lv, i, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        return n;
    }
    case LVM_GETSELECTIONMARK: return lv->mark;
    case LVM_SETSELECTIONMARK: {
        int old = lv->mark;
        lv->mark = Valid(lv, (int)lParam) ? (int)lParam : -1;
        return old;
    }
    case LVM_GETHOTITEM: return lv->hot;
    case LVM_SETHOTITEM: {
        int old = lv->hot;
        lv->hot = Valid(lv, (int)wParam) ? (int)wParam : -1;
        return old;
    }

    case LVM_INSERTCOLUMNW: return InsertColumn(lv, (int)wParam, (const LVCOLUMNW*)lParam);
    case LVM_DELETECOLUMN: return DeleteColumn(lv, (int)wParam);
    case LVM_GETCOLUMNW: return GetColumn(lv, (int)wParam, (LVCOLUMNW*)lParam);
    case LVM_SETCOLUMNW: return SetColumn(lv, (int)wParam, (const LVCOLUMNW*)lParam);
    case LVM_GETCOLUMNWIDTH: return GetColumnWidth(lv, (int)wParam);
    case LVM_SETCOLUMNWIDTH: return SetColumnWidth(lv, (int)wParam, (short)LOWORD(lParam));
    case LVM_GETCOLUMNORDERARRAY:
        return lv->header ? SendMessageW(lv->header, HDM_GETORDERARRAY, wParam, lParam) : FALSE;
    case LVM_SETCOLUMNORDERARRAY: {
        LRESULT r = lv->header ? SendMessageW(lv->header, HDM_SETORDERARRAY, wParam, lParam) : FALSE;
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case LVM_GETHEADER: return (LRESULT)lv->header;

    case LVM_GETEXTENDEDLISTVIEWSTYLE: return lv->exStyle;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: return SetExtendedStyle(lv, (DWORD)wParam, (DWORD)lParam);
    case LVM_SETBKIMAGEW: return SetBkImage(lv, (const LVBKIMAGEW*)lParam);
    case LVM_GETBKIMAGEW: {
        auto* out = (LVBKIMAGEW*)lParam;
        if (!out)
            return FALSE;
        out->ulFlags = lv->bkFlags;
        out->hbm = lv->bkImage;
        out->xOffsetPercent = lv->bkXPercent;
        out->yOffsetPercent = lv->bkYPercent;
        return TRUE;
    }
    case LVM_SETWORKAREAS: {
        // Accepted and kept; the arrangement does not follow work areas.
        auto* rc = (const RECT*)lParam;
        lv->workAreas.clear();
        if (rc)
            lv->workAreas.assign(rc, rc + std::min<WPARAM>(wParam, 16));
        return 0;
    }
    case LVM_GETNUMBEROFWORKAREAS:
        if (lParam)
            *(UINT*)lParam = (UINT)lv->workAreas.size();
        return 0;
    case LVM_GETWORKAREAS: {
        auto* rc = (RECT*)lParam;
        if (rc)
            std::copy_n(lv->workAreas.begin(), std::min<size_t>(wParam, lv->workAreas.size()), rc);
        return 0;
    }

    case LVM_GETITEMRECT: {
        auto* r = (RECT*)lParam;
        if (!r)
            return FALSE;
        return ItemRect(lv, (int)wParam, r->left, r);
    }
    case LVM_GETSUBITEMRECT: {
        auto* r = (RECT*)lParam;
        if (!r)
            return FALSE;
        return SubItemRect(lv, (int)wParam, r->top, r->left, r);
    }
    case LVM_GETITEMPOSITION: {
        auto* pt = (POINT*)lParam;
        RECT r;
        if (!pt || !ItemRect(lv, (int)wParam, LVIR_BOUNDS, &r))
            return FALSE;
        *pt = {r.left, r.top};
        return TRUE;
    }
    case LVM_GETVIEWRECT: {
        auto* r = (RECT*)lParam;
        if (!r || View(lv) == LVS_REPORT || View(lv) == LVS_LIST)
            return FALSE;
        Metrics m = Measure(lv);
        *r = {-lv->scrollX, -lv->scrollY, -lv->scrollX, -lv->scrollY};
        if (Count(lv)) {
            RECT last;
            ItemRect(lv, Count(lv) - 1, LVIR_BOUNDS, &last);
            r->right = std::max<int>(m.client.right, last.right);
            r->bottom = last.bottom;
        }
        return TRUE;
    }
    case LVM_GETORIGIN: {
        auto* pt = (POINT*)lParam;
        if (!pt || View(lv) == LVS_REPORT || View(lv) == LVS_LIST)
            return FALSE;
        *pt = {lv->scrollX, lv->scrollY};
        return TRUE;
    }
    case LVM_HITTEST: return HitTest(lv, (LVHITTESTINFO*)lParam, false);
    case LVM_SUBITEMHITTEST: return HitTest(lv, (LVHITTESTINFO*)lParam, true);
    case LVM_GETTOPINDEX: return TopIndex(lv);
    case LVM_GETCOUNTPERPAGE: return CountPerPage(lv);
    case LVM_ENSUREVISIBLE: return EnsureVisible(lv, (int)wParam, lParam != 0);
    case LVM_SCROLL: return ScrollBy(lv, (int)wParam, (int)lParam);
    case LVM_GETITEMSPACING: {
        Metrics m = Measure(lv);
        if (wParam) {
            int w = ListColumnWidth(lv, m);
            return MAKELONG(w, m.rowHeight);
        }
        Parts p = ItemParts(lv, m, -1);
        return MAKELONG(p.bounds.right - p.bounds.left, p.bounds.bottom - p.bounds.top);
    }
    case LVM_GETSTRINGWIDTHW: return lParam ? LabelWidth(lv, Bounded((LPCWSTR)lParam, kMaxOwnerText)) : 0;
    case LVM_UPDATE:
        InvalidateItem(lv, (int)wParam);
        return Valid(lv, (int)wParam);
    case LVM_REDRAWITEMS:
        for (int i = std::max(0, (int)wParam); i <= (int)lParam && i < Count(lv); ++i) {
            InvalidateItem(lv, i);
            if (i - (int)wParam > 4096) { // a long range is simply the whole window
                InvalidateRect(hwnd, nullptr, TRUE);
                break;
            }
        }
        return TRUE;
    case LVM_ARRANGE: InvalidateRect(hwnd, nullptr, TRUE); return TRUE;
    case LVM_EDITLABELW:
        if ((int)wParam < 0) {
            EndEdit(lv, false);
            return 0;
        }
        return (LRESULT)EditLabel(lv, (int)wParam);
    case LVM_GETEDITCONTROL: return (LRESULT)lv->edit;
    case LVM_SORTITEMS: return SortItems(lv, (PFNLVCOMPARE)lParam, (LPARAM)wParam, false);
    case LVM_SORTITEMSEX: return SortItems(lv, (PFNLVCOMPARE)lParam, (LPARAM)wParam, true);
    case LVM_FINDITEMW: return FindItem(lv, (int)wParam, (const LVFINDINFOW*)lParam);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* h = reinterpret_cast<Holder*>(GetWindowLongPtrW(hwnd, 0));
    if (!h) {
        if (msg != WM_NCCREATE)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        h = new Holder;
        h->lv.hwnd = hwnd;
        SetWindowLongPtrW(hwnd, 0, (LONG_PTR)h);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, 0, 0);
        h->dead = true;
        if (h->depth == 0)
            delete h;
        return 0;
    }
    ++h->depth;
    LRESULT r = Dispatch(&h->lv, msg, wParam, lParam);
    if (--h->depth == 0 && h->dead)
        delete h;
    return r;
}

} // namespace

} // namespace controls::lv

namespace controls {

ClassInfo ListViewClass()
{
    return {WC_LISTVIEWW, lv::ListViewProc, CS_DBLCLKS | CS_GLOBALCLASS, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
