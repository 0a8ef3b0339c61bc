// The SysTreeView32 window class: items, expansion, selection, hit tests, scrolling and painting.
#include "win32/controls/control_util.h"
#include "win32/controls/treeview.h"
#include "win32/text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace controls {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
// A handle is the top bit, a 7-bit generation and a 24-bit slot: it fits the 32-bit fields the
// program keeps handles in, and a handle of a deleted item fails instead of naming its successor.
// Generation 127 is never issued, so no handle equals a truncated TVI_ pseudo-handle.
constexpr uint32_t kHandleBit = 0x80000000u;
constexpr uint32_t kSlotMask = 0x00FFFFFFu;
constexpr uint8_t kGenerations = 127;
constexpr int kChildrenAuto = 2;

struct Item {
    std::u16string text;
    LPARAM lParam = 0;
    uint32_t parent = kNone, first = kNone, last = kNone, next = kNone, prev = kNone;
    uint32_t depth = 0;
    int image = 0, selImage = 0;
    UINT state = 0;
    int8_t children = kChildrenAuto; // 0, 1, I_CHILDRENCALLBACK, or decided by the child items
    uint8_t gen = 0;
    bool live = false;
    bool textCallback = false;
    int textWidth = -1; // the label's measured text width; -1 until measured
};

struct Tree {
    std::vector<Item> items;
    std::vector<uint32_t> freeSlots;
    uint32_t first = kNone, last = kNone; // top-level items
    uint32_t count = 0;
    uint32_t caret = kNone, drop = kNone;
    HIMAGELIST normal = nullptr, stateList = nullptr, ownStateList = nullptr;
    HFONT font = nullptr, boldFont = nullptr;
    int fontHeight = 13;
    int itemHeight = 16;
    bool customHeight = false;
    int indent = 19;
    COLORREF bk = CLR_NONE, text = CLR_NONE, line = CLR_DEFAULT;
    // Items in visible order, rebuilt when expansion or structure changed.
    std::vector<uint32_t> rows;
    std::vector<uint32_t> rowOf;
    bool rowsDirty = true;
    int topRow = 0;
    uint32_t topItem = kNone;
    // Horizontal scrolling: the widest shown row (measured when the rows change) and the scrolled offset.
    int contentWidth = 0;
    int scrollX = 0;
    bool widthDirty = true;
    bool focused = false, leftDown = false, rightDown = false;
    // An item pressed on, which a move past the drag distance starts dragging.
    uint32_t dragItem = kNone;
    POINT pressedAt{0, 0};
    bool paintPending = false;
};

Tree* Get(HWND hwnd)
{
    return StateOf<Tree>(hwnd);
}

bool IsPseudo(HTREEITEM h, HTREEITEM pseudo)
{
    return (uint32_t)(ULONG_PTR)h == (uint32_t)(ULONG_PTR)pseudo;
}

HTREEITEM HandleOf(const Tree* t, uint32_t slot)
{
    if (slot == kNone)
        return nullptr;
    return (HTREEITEM)(ULONG_PTR)(kHandleBit | ((uint32_t)t->items[slot].gen << 24) | slot);
}

uint32_t SlotOf(const Tree* t, HTREEITEM h)
{
    ULONG_PTR v = (ULONG_PTR)h;
    if ((v >> 31) != 1) // also refuses anything with bits above the low 32
        return kNone;
    uint32_t slot = (uint32_t)v & kSlotMask;
    uint8_t gen = (uint8_t)(((uint32_t)v >> 24) & 0x7F);
    if (slot >= t->items.size() || !t->items[slot].live || t->items[slot].gen != gen)
        return kNone;
    return slot;
}

// ---- Notifications ----------------------------------------------------------------------------

LRESULT Notify(HWND hwnd, NMHDR* nm, UINT code)
{
    nm->hwndFrom = hwnd;
    nm->idFrom = (UINT_PTR)GetDlgCtrlID(hwnd);
    nm->code = code;
    HWND parent = GetParent(hwnd);
    if (!parent)
        return 0;
    return SendMessageW(parent, WM_NOTIFY, nm->idFrom, (LPARAM)nm);
}

void FillNotifyItem(const Tree* t, uint32_t slot, TVITEMW* it)
{
    if (slot == kNone)
        return;
    const Item& i = t->items[slot];
    it->mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it->hItem = HandleOf(t, slot);
    it->state = i.state;
    it->stateMask = 0xFFFF;
    it->lParam = i.lParam;
    it->iImage = i.image;
    it->iSelectedImage = i.selImage;
}

LRESULT NotifyTree(HWND hwnd, Tree* t, UINT code, UINT action, uint32_t oldSlot, uint32_t newSlot)
{
    NMTREEVIEWW nm{};
    nm.action = action;
    FillNotifyItem(t, oldSlot, &nm.itemOld);
    FillNotifyItem(t, newSlot, &nm.itemNew);
    GetCursorPos(&nm.ptDrag);
    ScreenToClient(hwnd, &nm.ptDrag);
    return Notify(hwnd, &nm.hdr, code);
}

LRESULT NotifySimple(HWND hwnd, UINT code)
{
    NMHDR nm{};
    return Notify(hwnd, &nm, code);
}

// ---- Structure --------------------------------------------------------------------------------

bool HasChildren(const Tree* t, uint32_t slot)
{
    const Item& i = t->items[slot];
    if (i.children == kChildrenAuto)
        return i.first != kNone;
    return i.children != 0;
}

void Invalidate(HWND hwnd, Tree* t)
{
    if (t->paintPending)
        return;
    t->paintPending = true;
    InvalidateRect(hwnd, nullptr, TRUE);
}

bool IsShown(const Tree* t, uint32_t slot)
{
    for (uint32_t p = t->items[slot].parent; p != kNone; p = t->items[p].parent)
        if (!(t->items[p].state & TVIS_EXPANDED))
            return false;
    return true;
}

int ClientHeight(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    return rc.bottom - rc.top;
}

int FullRows(HWND hwnd, const Tree* t)
{
    return std::max(0, ClientHeight(hwnd) / std::max(1, t->itemHeight));
}

void UpdateScrollBar(HWND hwnd, Tree* t)
{
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = (int)t->rows.size() - 1;
    si.nPage = (UINT)FullRows(hwnd, t);
    si.nPos = t->topRow;
    if (StyleOf(hwnd) & WS_VSCROLL || (int)t->rows.size() > (int)si.nPage)
        SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
}

int ClientWidth(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    return rc.right - rc.left;
}

bool HorizontalScrolling(HWND hwnd) { return !(StyleOf(hwnd) & TVS_NOHSCROLL); }

void UpdateHorizontalBar(HWND hwnd, Tree* t)
{
    const int width = ClientWidth(hwnd);
    t->scrollX = std::clamp(t->scrollX, 0, std::max(0, t->contentWidth - width));
    if (!HorizontalScrolling(hwnd) || (!(StyleOf(hwnd) & WS_HSCROLL) && t->contentWidth <= width))
        return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, t->contentWidth - 1);
    si.nPage = (UINT)std::max(0, width);
    si.nPos = t->scrollX;
    SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
}

void ClampTop(HWND hwnd, Tree* t)
{
    int maxTop = std::max(0, (int)t->rows.size() - FullRows(hwnd, t));
    t->topRow = std::clamp(t->topRow, 0, maxTop);
    t->topItem = t->rows.empty() ? kNone : t->rows[(size_t)t->topRow];
}

void UpdateWidth(HWND hwnd, Tree* t);

void BuildRows(HWND hwnd, Tree* t)
{
    if (!t->rowsDirty)
        return;
    t->rowsDirty = false;
    t->rows.clear();
    t->rowOf.assign(t->items.size(), kNone);
    // Depth-first without recursion: a hostile nesting depth must not exhaust the stack.
    uint32_t cur = t->first;
    while (cur != kNone) {
        t->rowOf[cur] = (uint32_t)t->rows.size();
        t->rows.push_back(cur);
        const Item& i = t->items[cur];
        if ((i.state & TVIS_EXPANDED) && i.first != kNone) {
            cur = i.first;
            continue;
        }
        while (cur != kNone && t->items[cur].next == kNone)
            cur = t->items[cur].parent;
        if (cur != kNone)
            cur = t->items[cur].next;
    }
    if (t->topItem != kNone && t->topItem < t->rowOf.size() && t->items[t->topItem].live) {
        // Keep the same item on top; when it went out of sight, its nearest shown ancestor.
        uint32_t s = t->topItem;
        while (s != kNone && t->rowOf[s] == kNone)
            s = t->items[s].parent;
        if (s != kNone)
            t->topRow = (int)t->rowOf[s];
    }
    ClampTop(hwnd, t);
    UpdateScrollBar(hwnd, t);
    t->widthDirty = true;
    UpdateWidth(hwnd, t);
}

void Touch(HWND hwnd, Tree* t, bool structure)
{
    if (structure)
        t->rowsDirty = true;
    Invalidate(hwnd, t);
}

uint32_t AllocSlot(Tree* t)
{
    if (!t->freeSlots.empty()) {
        uint32_t s = t->freeSlots.back();
        t->freeSlots.pop_back();
        return s;
    }
    if (t->items.size() > kSlotMask)
        return kNone;
    t->items.emplace_back();
    return (uint32_t)t->items.size() - 1;
}

void Link(Tree* t, uint32_t slot, uint32_t parent, uint32_t after)
{
    Item& n = t->items[slot];
    uint32_t& first = parent == kNone ? t->first : t->items[parent].first;
    uint32_t& last = parent == kNone ? t->last : t->items[parent].last;
    n.parent = parent;
    n.prev = after;
    n.next = after == kNone ? first : t->items[after].next;
    if (n.prev != kNone)
        t->items[n.prev].next = slot;
    else
        first = slot;
    if (n.next != kNone)
        t->items[n.next].prev = slot;
    else
        last = slot;
}

void Unlink(Tree* t, uint32_t slot)
{
    Item& n = t->items[slot];
    uint32_t& first = n.parent == kNone ? t->first : t->items[n.parent].first;
    uint32_t& last = n.parent == kNone ? t->last : t->items[n.parent].last;
    if (n.prev != kNone)
        t->items[n.prev].next = n.next;
    else
        first = n.next;
    if (n.next != kNone)
        t->items[n.next].prev = n.prev;
    else
        last = n.prev;
}

std::u16string DisplayText(HWND hwnd, Tree* t, uint32_t slot)
{
    Item& i = t->items[slot];
    if (!i.textCallback)
        return i.text;
    WCHAR buf[260] = {};
    NMTVDISPINFOW di{};
    di.item.mask = TVIF_TEXT;
    di.item.hItem = HandleOf(t, slot);
    di.item.state = i.state;
    di.item.lParam = i.lParam;
    di.item.pszText = buf;
    di.item.cchTextMax = 260;
    Notify(hwnd, &di.hdr, TVN_GETDISPINFOW);
    if (!di.item.pszText || di.item.pszText == LPSTR_TEXTCALLBACKW)
        return {};
    std::u16string s;
    for (int k = 0; k < 260 && di.item.pszText[k]; ++k)
        s.push_back(di.item.pszText[k]);
    return s;
}

// Whether a button shows: an item that leaves it to its parent is asked.
bool ShowsButton(HWND hwnd, Tree* t, uint32_t slot)
{
    const Item& i = t->items[slot];
    if (i.children != I_CHILDRENCALLBACK)
        return HasChildren(t, slot);
    NMTVDISPINFOW di{};
    di.item.mask = TVIF_CHILDREN;
    di.item.hItem = HandleOf(t, slot);
    di.item.state = i.state;
    di.item.lParam = i.lParam;
    Notify(hwnd, &di.hdr, TVN_GETDISPINFOW);
    return t->items[slot].live && di.item.cChildren != 0;
}

int DisplayImage(HWND hwnd, Tree* t, uint32_t slot, bool selected)
{
    const Item& i = t->items[slot];
    int img = selected ? i.selImage : i.image;
    if (img != I_IMAGECALLBACK)
        return img;
    NMTVDISPINFOW di{};
    di.item.mask = selected ? TVIF_SELECTEDIMAGE : TVIF_IMAGE;
    di.item.hItem = HandleOf(t, slot);
    di.item.state = i.state;
    di.item.lParam = i.lParam;
    Notify(hwnd, &di.hdr, TVN_GETDISPINFOW);
    return selected ? di.item.iSelectedImage : di.item.iImage;
}

// ---- Selection and expansion ------------------------------------------------------------------

bool Expand(HWND hwnd, Tree* t, uint32_t slot, UINT code, bool byUser);
void EnsureVisible(HWND hwnd, Tree* t, uint32_t slot);

bool SelectCaret(HWND hwnd, Tree* t, uint32_t slot, UINT action)
{
    if (slot == t->caret)
        return true;
    uint32_t old = t->caret;
    if (NotifyTree(hwnd, t, TVN_SELCHANGINGW, action, old, slot))
        return false;
    // The parent may have deleted items while it was asked.
    if (old != kNone && !t->items[old].live)
        old = kNone;
    if (slot != kNone && !t->items[slot].live)
        return false;
    if (old != kNone)
        t->items[old].state &= ~(UINT)TVIS_SELECTED;
    t->caret = slot;
    if (slot != kNone) {
        t->items[slot].state |= TVIS_SELECTED;
        EnsureVisible(hwnd, t, slot);
    }
    Touch(hwnd, t, false);
    NotifyTree(hwnd, t, TVN_SELCHANGEDW, action, old, slot);
    return true;
}

bool Expand(HWND hwnd, Tree* t, uint32_t slot, UINT code, bool byUser)
{
    Item* i = &t->items[slot];
    UINT op = code & 3;
    bool expanded = (i->state & TVIS_EXPANDED) != 0;
    if (op == TVE_TOGGLE)
        op = expanded ? TVE_COLLAPSE : TVE_EXPAND;
    if (op != TVE_EXPAND && op != TVE_COLLAPSE)
        return false;
    if (op == TVE_EXPAND && !HasChildren(t, slot))
        return false;
    // Programmatic expansion tells the parent only the first time, so it can fill the children late.
    bool tell = byUser || !(i->state & TVIS_EXPANDEDONCE);
    UINT action = op;
    if (tell && NotifyTree(hwnd, t, TVN_ITEMEXPANDINGW, action, kNone, slot))
        return false;
    if (!t->items[slot].live)
        return false;
    i = &t->items[slot];
    if (op == TVE_EXPAND) {
        if (expanded && !tell)
            return true;
        i->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    } else {
        i->state &= ~(UINT)TVIS_EXPANDED;
        if (code & TVE_COLLAPSERESET) {
            i->state &= ~(UINT)TVIS_EXPANDEDONCE;
            while (t->items[slot].first != kNone)
                SendMessageW(hwnd, TVM_DELETEITEM, 0, (LPARAM)HandleOf(t, t->items[slot].first));
            i = &t->items[slot];
        }
    }
    Touch(hwnd, t, true);
    if (tell)
        NotifyTree(hwnd, t, TVN_ITEMEXPANDEDW, action, kNone, slot);
    if (op == TVE_COLLAPSE && t->caret != kNone && t->items[slot].live) {
        // A selection hidden by the collapse moves to the collapsed item.
        for (uint32_t p = t->items[t->caret].parent; p != kNone; p = t->items[p].parent)
            if (p == slot) {
                SelectCaret(hwnd, t, slot, TVC_UNKNOWN);
                break;
            }
    }
    return true;
}

void ScrollTo(HWND hwnd, Tree* t, int row)
{
    BuildRows(hwnd, t);
    int before = t->topRow;
    t->topRow = row;
    ClampTop(hwnd, t);
    if (t->topRow != before) {
        UpdateScrollBar(hwnd, t);
        Invalidate(hwnd, t);
    }
}

void ScrollIntoViewHorizontally(HWND hwnd, Tree* t, uint32_t slot);

bool EnsureVisibleImpl(HWND hwnd, Tree* t, uint32_t slot)
{
    bool expandedAny = false;
    std::vector<uint32_t> chain;
    for (uint32_t p = t->items[slot].parent; p != kNone; p = t->items[p].parent)
        chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (!(t->items[*it].state & TVIS_EXPANDED)) {
            Expand(hwnd, t, *it, TVE_EXPAND, false);
            expandedAny = true;
            if (!t->items[slot].live)
                return false;
        }
    BuildRows(hwnd, t);
    if (t->rowOf[slot] == kNone)
        return false;
    int row = (int)t->rowOf[slot];
    int page = std::max(1, FullRows(hwnd, t));
    if (row < t->topRow)
        ScrollTo(hwnd, t, row);
    else if (row >= t->topRow + page)
        ScrollTo(hwnd, t, row - page + 1);
    ScrollIntoViewHorizontally(hwnd, t, slot);
    return !expandedAny;
}

void EnsureVisible(HWND hwnd, Tree* t, uint32_t slot)
{
    EnsureVisibleImpl(hwnd, t, slot);
}

// Deletes an item and its subtree, telling the parent of each, children first.
void DeleteSubtree(HWND hwnd, Tree* t, uint32_t root)
{
    uint32_t cur = root;
    for (;;) {
        while (t->items[cur].first != kNone)
            cur = t->items[cur].first;
        uint32_t parent = t->items[cur].parent;
        NMTREEVIEWW nm{};
        nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
        nm.itemOld.hItem = HandleOf(t, cur);
        nm.itemOld.lParam = t->items[cur].lParam;
        Notify(hwnd, &nm.hdr, TVN_DELETEITEMW);
        Unlink(t, cur);
        Item& dead = t->items[cur];
        dead.live = false;
        dead.text = std::u16string();
        dead.gen = (uint8_t)((dead.gen + 1) % kGenerations);
        t->freeSlots.push_back(cur);
        --t->count;
        if (t->caret == cur)
            t->caret = kNone;
        if (t->drop == cur)
            t->drop = kNone;
        if (cur == root)
            break;
        cur = parent;
    }
    t->rowsDirty = true;
}

bool DeleteItem(HWND hwnd, Tree* t, HTREEITEM h)
{
    if (!h || IsPseudo(h, TVI_ROOT)) {
        uint32_t keepTop = kNone;
        (void)keepTop;
        while (t->first != kNone)
            DeleteSubtree(hwnd, t, t->first);
        t->caret = t->drop = kNone;
        t->topRow = 0;
        t->topItem = kNone;
        Touch(hwnd, t, true);
        return true;
    }
    uint32_t slot = SlotOf(t, h);
    if (slot == kNone)
        return false;
    // The selection inside a deleted branch moves to a neighbour, as the user would expect.
    uint32_t successor = kNone;
    bool caretInside = false;
    for (uint32_t c = t->caret; c != kNone; c = t->items[c].parent)
        if (c == slot) {
            caretInside = true;
            break;
        }
    if (caretInside) {
        const Item& i = t->items[slot];
        successor = i.next != kNone ? i.next : i.prev != kNone ? i.prev : i.parent;
    }
    uint32_t parent = t->items[slot].parent;
    DeleteSubtree(hwnd, t, slot);
    if (parent != kNone && t->items[parent].first == kNone && t->items[parent].children == kChildrenAuto)
        t->items[parent].state &= ~(UINT)(TVIS_EXPANDED);
    Touch(hwnd, t, true);
    if (caretInside && successor != kNone && t->items[successor].live)
        SelectCaret(hwnd, t, successor, TVC_UNKNOWN);
    return true;
}

// ---- Geometry ---------------------------------------------------------------------------------

struct Layout {
    int y = 0;
    int buttonLeft = 0; // the cell of the expand button, `indent` wide; equal to levelX when none
    int levelX = 0;
    int stateLeft = 0, stateRight = 0;
    int imageLeft = 0, imageRight = 0;
    int labelLeft = 0, labelRight = 0;
    bool hasButtonCell = false;
};

HFONT ItemFont(const Tree* t, const Item& i)
{
    return (i.state & TVIS_BOLD) && t->boldFont ? t->boldFont : t->font;
}

int StateIndex(const Item& i)
{
    return (int)((i.state & TVIS_STATEIMAGEMASK) >> 12);
}

bool RootLines(HWND hwnd)
{
    DWORD s = StyleOf(hwnd);
    return (s & TVS_LINESATROOT) && (s & (TVS_HASLINES | TVS_HASBUTTONS));
}

int TextWidth(HWND hwnd, Tree* t, uint32_t slot)
{
    std::u16string s = DisplayText(hwnd, t, slot);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, ItemFont(t, t->items[slot]));
    SIZE sz{0, 0};
    if (!s.empty())
        GetTextExtentPoint32W(dc, s.c_str(), (int)s.size(), &sz);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return sz.cx;
}

Layout LayoutOf(HWND hwnd, Tree* t, uint32_t slot, int textWidth)
{
    const Item& i = t->items[slot];
    Layout l;
    l.y = ((int)t->rowOf[slot] - t->topRow) * t->itemHeight;
    bool rootLines = RootLines(hwnd);
    l.levelX = (int)i.depth * t->indent + (rootLines ? t->indent : 0) - t->scrollX;
    l.hasButtonCell = i.depth > 0 || rootLines;
    l.buttonLeft = l.hasButtonCell ? l.levelX - t->indent : l.levelX;
    int x = l.levelX;
    l.stateLeft = l.stateRight = x;
    int cx = 0, cy = 0;
    if (t->stateList && StateIndex(i) > 0 && ImageList_GetIconSize(t->stateList, &cx, &cy)) {
        l.stateRight = x + cx;
        x = l.stateRight;
    }
    l.imageLeft = l.imageRight = x;
    if (t->normal && ImageList_GetIconSize(t->normal, &cx, &cy)) {
        l.imageRight = x + cx;
        x = l.imageRight + 1;
    }
    l.labelLeft = x;
    l.labelRight = x + textWidth + 4;
    return l;
}

// The widest shown row decides the horizontal scroll range. Labels are measured once and kept; a label the
// parent supplies is measured when it is painted, so the tree asks its parent nothing here.
void UpdateWidth(HWND hwnd, Tree* t)
{
    if (!t->widthDirty || t->rowsDirty)
        return;
    t->widthDirty = false;
    int widest = 0;
    if (HorizontalScrolling(hwnd)) {
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, t->font);
        for (uint32_t slot : t->rows) {
            Item& i = t->items[slot];
            if (i.textWidth < 0 && !i.textCallback) {
                SIZE sz{0, 0};
                SelectObject(dc, ItemFont(t, i));
                if (!i.text.empty())
                    GetTextExtentPoint32W(dc, i.text.c_str(), (int)i.text.size(), &sz);
                i.textWidth = sz.cx;
            }
            widest = std::max(widest, LayoutOf(hwnd, t, slot, std::max(0, i.textWidth)).labelRight + t->scrollX);
        }
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
    }
    t->contentWidth = widest;
    const int before = t->scrollX;
    UpdateHorizontalBar(hwnd, t);
    if (t->scrollX != before)
        Invalidate(hwnd, t);
}

void ScrollXTo(HWND hwnd, Tree* t, int x)
{
    const int before = t->scrollX;
    t->scrollX = x;
    UpdateHorizontalBar(hwnd, t);
    if (t->scrollX != before)
        Invalidate(hwnd, t);
}

// An item deep in the tree is brought into sight: its label's end when it fits, never past its own start.
void ScrollIntoViewHorizontally(HWND hwnd, Tree* t, uint32_t slot)
{
    if (!HorizontalScrolling(hwnd) || !t->items[slot].live || t->rowOf[slot] == kNone)
        return;
    UpdateWidth(hwnd, t);
    int text = t->items[slot].textWidth;
    if (text < 0)
        text = TextWidth(hwnd, t, slot);
    if (!t->items[slot].live || t->rowsDirty)
        return; // the parent changed the tree while asked for the label
    const Layout l = LayoutOf(hwnd, t, slot, text);
    const int width = ClientWidth(hwnd);
    if (l.buttonLeft < 0)
        ScrollXTo(hwnd, t, t->scrollX + l.buttonLeft);
    else if (l.labelRight > width)
        ScrollXTo(hwnd, t, t->scrollX + std::min(l.labelRight - width, l.buttonLeft));
}

UINT HitTest(HWND hwnd, Tree* t, POINT pt, uint32_t* hit)
{
    *hit = kNone;
    RECT rc;
    GetClientRect(hwnd, &rc);
    UINT flags = 0;
    if (pt.y < rc.top)
        flags |= TVHT_ABOVE;
    else if (pt.y >= rc.bottom)
        flags |= TVHT_BELOW;
    if (pt.x < rc.left)
        flags |= TVHT_TOLEFT;
    else if (pt.x >= rc.right)
        flags |= TVHT_TORIGHT;
    if (flags)
        return flags;
    BuildRows(hwnd, t);
    int row = t->topRow + pt.y / std::max(1, t->itemHeight);
    if (row >= (int)t->rows.size())
        return TVHT_NOWHERE;
    uint32_t slot = t->rows[(size_t)row];
    *hit = slot;
    Layout l = LayoutOf(hwnd, t, slot, TextWidth(hwnd, t, slot));
    int x = pt.x;
    bool button = (StyleOf(hwnd) & TVS_HASBUTTONS) && l.hasButtonCell && ShowsButton(hwnd, t, slot);
    if (x < l.buttonLeft)
        return TVHT_ONITEMINDENT;
    if (x < l.levelX)
        return button ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
    if (x < l.stateRight)
        return TVHT_ONITEMSTATEICON;
    if (x < l.imageRight)
        return TVHT_ONITEMICON;
    if (x < l.labelLeft)
        return TVHT_ONITEMICON;
    if (x < l.labelRight)
        return TVHT_ONITEMLABEL;
    return TVHT_ONITEMRIGHT;
}

void MeasureFont(HWND hwnd, Tree* t)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, t->font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    t->fontHeight = tm.tmHeight > 0 ? tm.tmHeight : 13;
    if (t->boldFont)
        DeleteObject(t->boldFont);
    t->boldFont = nullptr;
    LOGFONTW lf{};
    if (GetObjectW(t->font, sizeof lf, &lf)) {
        lf.lfWeight = FW_BOLD;
        t->boldFont = CreateFontIndirectW(&lf);
    }
}

void UpdateItemHeight(HWND hwnd, Tree* t)
{
    if (t->customHeight)
        return;
    int h = t->fontHeight + 3;
    int cx = 0, cy = 0;
    if (t->normal && ImageList_GetIconSize(t->normal, &cx, &cy))
        h = std::max(h, cy);
    if (t->stateList && ImageList_GetIconSize(t->stateList, &cx, &cy))
        h = std::max(h, cy);
    t->itemHeight = h;
    t->rowsDirty = true;
}

// The check boxes of TVS_CHECKBOXES: image 0 is never shown, 1 unchecked, 2 checked.
HIMAGELIST MakeCheckBoxes(HWND hwnd)
{
    const int n = 3, cx = 16, cy = 16;
    HDC screen = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, cx * n, cy);
    HGDIOBJ old = SelectObject(mem, bmp);
    const COLORREF key = RGB(255, 0, 255);
    HBRUSH keyBrush = CreateSolidBrush(key);
    RECT all{0, 0, cx * n, cy};
    FillRect(mem, &all, keyBrush);
    DeleteObject(keyBrush);
    for (int k = 1; k < n; ++k) {
        RECT box{k * cx + 1, 1, k * cx + 14, 14};
        DrawFrameControl(mem, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (k == 2 ? DFCS_CHECKED : 0));
    }
    SelectObject(mem, old);
    HIMAGELIST list = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, n, 0);
    if (list)
        ImageList_AddMasked(list, bmp, key);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(hwnd, screen);
    return list;
}

void ToggleStateImage(HWND hwnd, Tree* t, uint32_t slot)
{
    if (!t->stateList)
        return;
    int images = ImageList_GetImageCount(t->stateList);
    if (images < 2)
        return;
    Item& i = t->items[slot];
    int next = StateIndex(i) % (images - 1) + 1;
    i.state = (i.state & ~(UINT)TVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(next);
    Invalidate(hwnd, t);
}

// ---- Painting ---------------------------------------------------------------------------------

COLORREF BkColor(const Tree* t)
{
    return t->bk == CLR_NONE ? GetSysColor(COLOR_WINDOW) : t->bk;
}

COLORREF TextColor(const Tree* t)
{
    return t->text == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : t->text;
}

COLORREF LineColor(const Tree* t)
{
    return t->line == CLR_DEFAULT ? GetSysColor(COLOR_GRAYTEXT) : t->line;
}

void DottedV(HDC dc, int x, int y0, int y1, COLORREF c)
{
    for (int y = y0 + ((y0 ^ x) & 1); y < y1; y += 2)
        SetPixel(dc, x, y, c);
}

void DottedH(HDC dc, int x0, int x1, int y, COLORREF c)
{
    for (int x = x0 + ((x0 ^ y) & 1); x < x1; x += 2)
        SetPixel(dc, x, y, c);
}

void Fill(HDC dc, RECT r, COLORREF c)
{
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void DrawButton(HDC dc, int cx, int cy, bool expanded, COLORREF frame, COLORREF fill, COLORREF sign)
{
    RECT box{cx - 4, cy - 4, cx + 5, cy + 5};
    Fill(dc, box, fill);
    HBRUSH fb = CreateSolidBrush(frame);
    FrameRect(dc, &box, fb);
    DeleteObject(fb);
    for (int x = cx - 2; x <= cx + 2; ++x)
        SetPixel(dc, x, cy, sign);
    if (!expanded)
        for (int y = cy - 2; y <= cy + 2; ++y)
            SetPixel(dc, cx, y, sign);
}

void PaintTree(HWND hwnd, Tree* t, HDC dc)
{
    BuildRows(hwnd, t);
    UpdateWidth(hwnd, t);
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD style = StyleOf(hwnd);
    HBRUSH erase = CreateSolidBrush(BkColor(t));

    NMTVCUSTOMDRAW cd{};
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = client;
    cd.nmcd.dwDrawStage = CDDS_PREPAINT;
    LRESULT want = Notify(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
    FillRect(dc, &client, erase);
    DeleteObject(erase);
    if (want & CDRF_SKIPDEFAULT)
        return;

    int oldMode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, t->font);
    COLORREF line = LineColor(t);
    bool buttons = (style & TVS_HASBUTTONS) != 0;
    bool lines = (style & TVS_HASLINES) != 0;
    bool rootLines = RootLines(hwnd);
    int h = t->itemHeight;
    int pageRows = client.bottom / std::max(1, h) + 1;
    for (int r = t->topRow; r < (int)t->rows.size() && r < t->topRow + pageRows; ++r) {
        uint32_t slot = t->rows[(size_t)r];
        const Item i = t->items[slot]; // a copy: the parent may change the tree while asked for text
        std::u16string text = DisplayText(hwnd, t, slot);
        if (!t->items[slot].live || t->rowsDirty)
            break; // the parent changed the tree while asked; the next paint shows it
        HFONT font = ItemFont(t, i);
        SelectObject(dc, font);
        SIZE ext{0, 0};
        if (!text.empty())
            GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &ext);
        if (i.textCallback && t->items[slot].textWidth != ext.cx) {
            // The parent's label is known now: the scroll range follows it after this paint.
            t->items[slot].textWidth = ext.cx;
            t->widthDirty = true;
        }
        Layout l = LayoutOf(hwnd, t, slot, ext.cx);
        int midY = l.y + h / 2;
        int cellX = l.buttonLeft + t->indent / 2;

        bool selected = slot == t->caret || (i.state & TVIS_SELECTED);
        bool hot = (selected && (t->focused || (style & TVS_SHOWSELALWAYS))) || slot == t->drop ||
                   (i.state & TVIS_DROPHILITED);
        bool highlight = slot == t->drop || (i.state & TVIS_DROPHILITED) || (selected && t->focused);
        COLORREF fg = highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT) : TextColor(t);
        COLORREF bg = highlight ? GetSysColor(COLOR_HIGHLIGHT) : hot ? GetSysColor(COLOR_BTNFACE) : BkColor(t);

        LRESULT itemWant = 0;
        if (want & CDRF_NOTIFYITEMDRAW) {
            cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
            cd.nmcd.rc = {client.left, l.y, client.right, l.y + h};
            cd.nmcd.dwItemSpec = (DWORD_PTR)HandleOf(t, slot);
            cd.nmcd.uItemState = (selected ? CDIS_SELECTED : 0) | (slot == t->caret && t->focused ? CDIS_FOCUS : 0);
            cd.nmcd.lItemlParam = i.lParam;
            cd.clrText = fg;
            cd.clrTextBk = bg;
            cd.iLevel = (int)i.depth;
            itemWant = Notify(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
            if (!t->items[slot].live || t->rowsDirty)
                break; // the parent changed the tree while drawing; the next paint shows it
            if (itemWant & CDRF_SKIPDEFAULT)
                continue;
            fg = cd.clrText;
            bg = cd.clrTextBk;
            if (itemWant & CDRF_NEWFONT) {
                font = (HFONT)GetCurrentObject(dc, OBJ_FONT);
                if (!text.empty())
                    GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &ext);
                l = LayoutOf(hwnd, t, slot, ext.cx);
            }
        }

        if (lines && l.hasButtonCell) {
            // The line from the parent down through this item, the branch to it, and the lines of
            // ancestors that still have siblings below.
            bool firstAtRoot = i.parent == kNone && i.prev == kNone;
            DottedV(dc, cellX, firstAtRoot ? midY : l.y, i.next != kNone ? l.y + h : midY + 1, line);
            DottedH(dc, cellX, l.levelX, midY, line);
            int x = cellX;
            for (uint32_t p = i.parent; p != kNone; p = t->items[p].parent) {
                x -= t->indent;
                if (t->items[p].next != kNone && (t->items[p].parent != kNone || rootLines))
                    DottedV(dc, x, l.y, l.y + h, line);
            }
        }
        if (buttons && l.hasButtonCell && ShowsButton(hwnd, t, slot))
            DrawButton(dc, cellX, midY, (i.state & TVIS_EXPANDED) != 0, GetSysColor(COLOR_GRAYTEXT), BkColor(t),
                       GetSysColor(COLOR_WINDOWTEXT));
        int cx = 0, cy = 0;
        if (l.stateRight > l.stateLeft && ImageList_GetIconSize(t->stateList, &cx, &cy))
            ImageList_Draw(t->stateList, StateIndex(i), dc, l.stateLeft, l.y + (h - cy) / 2, ILD_TRANSPARENT);
        if (t->normal && ImageList_GetIconSize(t->normal, &cx, &cy)) {
            int img = DisplayImage(hwnd, t, slot, slot == t->caret);
            if (img >= 0)
                ImageList_Draw(t->normal, img, dc, l.imageLeft, l.y + (h - cy) / 2,
                               ILD_TRANSPARENT | (slot == t->drop ? ILD_SELECTED : 0));
        }
        RECT label{l.labelLeft, l.y, l.labelRight, l.y + h};
        if (bg != BkColor(t))
            Fill(dc, label, bg);
        SetTextColor(dc, fg);
        if (!text.empty())
            TextOutW(dc, l.labelLeft + 2, l.y + (h - t->fontHeight) / 2, text.c_str(), (int)text.size());
        if (slot == t->caret && t->focused)
            DrawFocusRect(dc, &label);
        SelectObject(dc, t->font);

        if (itemWant & CDRF_NOTIFYPOSTPAINT) {
            cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
            cd.nmcd.rc = {client.left, l.y, client.right, l.y + h};
            Notify(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
        }
    }
    SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    UpdateWidth(hwnd, t);
    if (want & CDRF_NOTIFYPOSTPAINT) {
        cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
        cd.nmcd.rc = client;
        cd.nmcd.dwItemSpec = 0;
        Notify(hwnd, &cd.nmcd.hdr, NM_CUSTOMDRAW);
    }
}

// ---- Messages ---------------------------------------------------------------------------------

HTREEITEM Insert(HWND hwnd, Tree* t, const TVINSERTSTRUCTW* ins)
{
    if (!ins)
        return nullptr;
    uint32_t parent = kNone;
    if (ins->hParent && !IsPseudo(ins->hParent, TVI_ROOT)) {
        parent = SlotOf(t, ins->hParent);
        if (parent == kNone)
            return nullptr;
    }
    uint32_t& first = parent == kNone ? t->first : t->items[parent].first;
    uint32_t& last = parent == kNone ? t->last : t->items[parent].last;
    const TVITEMW& in = ins->item;
    const WCHAR* text = (in.mask & TVIF_TEXT) ? in.pszText : nullptr;
    bool callback = text == LPSTR_TEXTCALLBACKW;

    uint32_t after;
    HTREEITEM ia = ins->hInsertAfter;
    if (IsPseudo(ia, TVI_FIRST)) {
        after = kNone;
    } else if (!ia || IsPseudo(ia, TVI_LAST)) {
        after = last;
    } else if (IsPseudo(ia, TVI_SORT)) {
        after = kNone;
        const WCHAR* key = callback || !text ? u"" : text;
        for (uint32_t s = first; s != kNone; s = t->items[s].next) {
            if (lstrcmpiW(t->items[s].text.c_str(), key) > 0)
                break;
            after = s;
        }
    } else {
        after = SlotOf(t, ia);
        if (after == kNone)
            return nullptr;
        if (t->items[after].parent != parent)
            after = last;
    }

    uint32_t slot = AllocSlot(t);
    if (slot == kNone)
        return nullptr;
    Item& n = t->items[slot];
    uint8_t gen = n.gen;
    n = Item{};
    n.gen = gen;
    n.live = true;
    if (callback)
        n.textCallback = true;
    else if (text)
        n.text = text;
    if (in.mask & TVIF_IMAGE)
        n.image = in.iImage;
    if (in.mask & TVIF_SELECTEDIMAGE)
        n.selImage = in.iSelectedImage;
    if (in.mask & TVIF_PARAM)
        n.lParam = in.lParam;
    if (in.mask & TVIF_CHILDREN)
        n.children = (int8_t)(in.cChildren == I_CHILDRENCALLBACK ? I_CHILDRENCALLBACK : in.cChildren ? 1 : 0);
    if (in.mask & TVIF_STATE)
        n.state = in.state & in.stateMask & ~(UINT)(TVIS_SELECTED | TVIS_EXPANDEDONCE);
    if ((StyleOf(hwnd) & TVS_CHECKBOXES) && !((in.mask & TVIF_STATE) && (in.stateMask & TVIS_STATEIMAGEMASK)))
        n.state = (n.state & ~(UINT)TVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(1);
    n.depth = parent == kNone ? 0 : t->items[parent].depth + 1;
    Link(t, slot, parent, after);
    ++t->count;
    // Only a change inside the shown part of the tree moves rows.
    if (parent == kNone || ((t->items[parent].state & TVIS_EXPANDED) && IsShown(t, parent)))
        t->rowsDirty = true;
    Invalidate(hwnd, t);
    return HandleOf(t, slot);
}

BOOL GetItem(HWND hwnd, Tree* t, TVITEMW* it, bool ex)
{
    if (!it)
        return FALSE;
    uint32_t slot = SlotOf(t, it->hItem);
    if (slot == kNone)
        return FALSE;
    Item& i = t->items[slot];
    NMTVDISPINFOW di{};
    UINT ask = 0;
    if ((it->mask & TVIF_TEXT) && i.textCallback)
        ask |= TVIF_TEXT;
    if ((it->mask & TVIF_IMAGE) && i.image == I_IMAGECALLBACK)
        ask |= TVIF_IMAGE;
    if ((it->mask & TVIF_SELECTEDIMAGE) && i.selImage == I_IMAGECALLBACK)
        ask |= TVIF_SELECTEDIMAGE;
    if ((it->mask & TVIF_CHILDREN) && i.children == I_CHILDRENCALLBACK)
        ask |= TVIF_CHILDREN;
    if (ask) {
        di.item.mask = ask;
        di.item.hItem = it->hItem;
        di.item.state = i.state;
        di.item.lParam = i.lParam;
        di.item.pszText = it->pszText;
        di.item.cchTextMax = it->cchTextMax;
        Notify(hwnd, &di.hdr, TVN_GETDISPINFOW);
        slot = SlotOf(t, it->hItem);
        if (slot == kNone)
            return FALSE;
    }
    const Item& c = t->items[slot];
    if (it->mask & TVIF_TEXT) {
        const WCHAR* src = c.text.c_str();
        size_t len = c.text.size();
        if (c.textCallback) {
            src = di.item.pszText && di.item.pszText != LPSTR_TEXTCALLBACKW ? di.item.pszText : u"";
            len = 0;
            while (src[len] && (int)len < std::max(0, it->cchTextMax))
                ++len;
        }
        if (it->pszText && it->cchTextMax > 0) {
            size_t n = std::min(len, (size_t)it->cchTextMax - 1);
            if (src != it->pszText)
                std::memmove(it->pszText, src, n * sizeof(WCHAR));
            it->pszText[n] = 0;
        }
    }
    if (it->mask & TVIF_IMAGE)
        it->iImage = (ask & TVIF_IMAGE) ? di.item.iImage : c.image;
    if (it->mask & TVIF_SELECTEDIMAGE)
        it->iSelectedImage = (ask & TVIF_SELECTEDIMAGE) ? di.item.iSelectedImage : c.selImage;
    if (it->mask & TVIF_CHILDREN)
        it->cChildren = (ask & TVIF_CHILDREN) ? di.item.cChildren : HasChildren(t, slot) ? 1 : 0;
    if (it->mask & TVIF_PARAM)
        it->lParam = c.lParam;
    if (it->mask & TVIF_STATE)
        it->state = c.state & it->stateMask;
    if (ex && (it->mask & TVIF_INTEGRAL))
        ((TVITEMEXW*)it)->iIntegral = 1;
    return TRUE;
}

BOOL SetItem(HWND hwnd, Tree* t, const TVITEMW* it)
{
    if (!it)
        return FALSE;
    uint32_t slot = SlotOf(t, it->hItem);
    if (slot == kNone)
        return FALSE;
    Item& i = t->items[slot];
    if (it->mask & TVIF_TEXT) {
        i.textCallback = it->pszText == LPSTR_TEXTCALLBACKW;
        i.text = i.textCallback || !it->pszText ? std::u16string() : std::u16string(it->pszText);
        i.textWidth = -1;
        t->widthDirty = true;
    }
    if (it->mask & TVIF_IMAGE)
        i.image = it->iImage;
    if (it->mask & TVIF_SELECTEDIMAGE)
        i.selImage = it->iSelectedImage;
    if (it->mask & TVIF_PARAM)
        i.lParam = it->lParam;
    bool structure = false;
    if (it->mask & TVIF_CHILDREN) {
        i.children = (int8_t)(it->cChildren == I_CHILDRENCALLBACK ? I_CHILDRENCALLBACK : it->cChildren ? 1 : 0);
        structure = true;
    }
    if (it->mask & TVIF_STATE) {
        // The selection belongs to the caret; everything else is the caller's to set.
        UINT mask = it->stateMask & ~(UINT)TVIS_SELECTED;
        UINT before = i.state;
        i.state = (i.state & ~mask) | (it->state & mask);
        if ((before ^ i.state) & TVIS_EXPANDED)
            structure = true;
        if ((before ^ i.state) & TVIS_BOLD) {
            i.textWidth = -1;
            t->widthDirty = true;
        }
    }
    Touch(hwnd, t, structure);
    return TRUE;
}

uint32_t NextItem(HWND hwnd, Tree* t, UINT code, HTREEITEM h)
{
    uint32_t slot = SlotOf(t, h);
    bool root = !h || IsPseudo(h, TVI_ROOT);
    switch (code) {
    case TVGN_ROOT: return t->first;
    case TVGN_CARET: return t->caret;
    case TVGN_DROPHILITE: return t->drop;
    case TVGN_FIRSTVISIBLE:
        BuildRows(hwnd, t);
        return t->rows.empty() ? kNone : t->rows[(size_t)t->topRow];
    case TVGN_LASTVISIBLE:
        BuildRows(hwnd, t);
        return t->rows.empty() ? kNone : t->rows.back();
    case TVGN_CHILD:
        if (root)
            return t->first;
        return slot == kNone ? kNone : t->items[slot].first;
    default: break;
    }
    if (slot == kNone)
        return kNone;
    switch (code) {
    case TVGN_NEXT: return t->items[slot].next;
    case TVGN_PREVIOUS: return t->items[slot].prev;
    case TVGN_PARENT: return t->items[slot].parent;
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        BuildRows(hwnd, t);
        uint32_t row = t->rowOf[slot];
        if (row == kNone)
            return kNone;
        if (code == TVGN_NEXTVISIBLE)
            return row + 1 < t->rows.size() ? t->rows[row + 1] : kNone;
        return row > 0 ? t->rows[row - 1] : kNone;
    }
    default: return kNone;
    }
}

BOOL SelectItem(HWND hwnd, Tree* t, UINT code, HTREEITEM h)
{
    uint32_t slot = SlotOf(t, h);
    if (h && slot == kNone)
        return FALSE;
    switch (code & ~(UINT)TVSI_NOSINGLEEXPAND) {
    case TVGN_CARET: return SelectCaret(hwnd, t, slot, TVC_UNKNOWN) ? TRUE : FALSE;
    case TVGN_DROPHILITE:
        if (t->drop != slot) {
            t->drop = slot;
            Invalidate(hwnd, t);
        }
        return TRUE;
    case TVGN_FIRSTVISIBLE:
        if (slot == kNone)
            return FALSE;
        BuildRows(hwnd, t);
        if (t->rowOf[slot] == kNone)
            return FALSE;
        ScrollTo(hwnd, t, (int)t->rowOf[slot]);
        return TRUE;
    default: return FALSE;
    }
}

BOOL ItemRect(HWND hwnd, Tree* t, BOOL textOnly, RECT* rc)
{
    if (!rc)
        return FALSE;
    HTREEITEM h;
    std::memcpy(&h, rc, sizeof h);
    uint32_t slot = SlotOf(t, h);
    if (slot == kNone)
        return FALSE;
    BuildRows(hwnd, t);
    if (t->rowOf[slot] == kNone)
        return FALSE;
    RECT client;
    GetClientRect(hwnd, &client);
    Layout l = LayoutOf(hwnd, t, slot, textOnly ? TextWidth(hwnd, t, slot) : 0);
    if (textOnly)
        *rc = {l.labelLeft, l.y, l.labelRight, l.y + t->itemHeight};
    else
        *rc = {client.left, l.y, client.right, l.y + t->itemHeight};
    return TRUE;
}

void Scroll(HWND hwnd, Tree* t, int code)
{
    BuildRows(hwnd, t);
    int page = std::max(1, FullRows(hwnd, t));
    int row = t->topRow;
    switch (code) {
    case SB_LINEUP: --row; break;
    case SB_LINEDOWN: ++row; break;
    case SB_PAGEUP: row -= page; break;
    case SB_PAGEDOWN: row += page; break;
    case SB_TOP: row = 0; break;
    case SB_BOTTOM: row = (int)t->rows.size(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(hwnd, SB_VERT, &si))
            row = si.nTrackPos;
        break;
    }
    default: return;
    }
    ScrollTo(hwnd, t, row);
}

void ScrollHorizontally(HWND hwnd, Tree* t, int code)
{
    int x = t->scrollX;
    switch (code) {
    case SB_LINELEFT: x -= t->indent; break;
    case SB_LINERIGHT: x += t->indent; break;
    case SB_PAGELEFT: x -= ClientWidth(hwnd); break;
    case SB_PAGERIGHT: x += ClientWidth(hwnd); break;
    case SB_LEFT: x = 0; break;
    case SB_RIGHT: x = t->contentWidth; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(hwnd, SB_HORZ, &si))
            x = si.nTrackPos;
        break;
    }
    default: return;
    }
    ScrollXTo(hwnd, t, x);
}

void KeyDown(HWND hwnd, Tree* t, UINT vk)
{
    NMTVKEYDOWN kd{};
    kd.wVKey = (WORD)vk;
    Notify(hwnd, &kd.hdr, TVN_KEYDOWN);
    BuildRows(hwnd, t);
    if (t->rows.empty())
        return;
    uint32_t cur = t->caret;
    int row = cur == kNone || t->rowOf[cur] == kNone ? -1 : (int)t->rowOf[cur];
    int page = std::max(1, FullRows(hwnd, t));
    int last = (int)t->rows.size() - 1;
    auto go = [&](int r) { SelectCaret(hwnd, t, t->rows[(size_t)std::clamp(r, 0, last)], TVC_BYKEYBOARD); };
    switch (vk) {
    case VK_UP: go(row < 0 ? 0 : row - 1); break;
    case VK_DOWN: go(row + 1); break;
    case VK_HOME: go(0); break;
    case VK_END: go(last); break;
    case VK_PRIOR: go(row < 0 ? 0 : row - page + 1); break;
    case VK_NEXT: go(row < 0 ? 0 : row + page - 1); break;
    case VK_LEFT:
        if (cur == kNone)
            break;
        if ((t->items[cur].state & TVIS_EXPANDED) && HasChildren(t, cur))
            Expand(hwnd, t, cur, TVE_COLLAPSE, true);
        else if (t->items[cur].parent != kNone)
            SelectCaret(hwnd, t, t->items[cur].parent, TVC_BYKEYBOARD);
        break;
    case VK_RIGHT:
        if (cur == kNone)
            break;
        if (!(t->items[cur].state & TVIS_EXPANDED) && HasChildren(t, cur))
            Expand(hwnd, t, cur, TVE_EXPAND, true);
        else if (t->items[cur].first != kNone)
            SelectCaret(hwnd, t, t->items[cur].first, TVC_BYKEYBOARD);
        break;
    case VK_ADD:
    case VK_SUBTRACT:
        if (cur != kNone)
            Expand(hwnd, t, cur, vk == VK_ADD ? TVE_EXPAND : TVE_COLLAPSE, true);
        break;
    case VK_SPACE:
        if (cur != kNone && (StyleOf(hwnd) & TVS_CHECKBOXES))
            ToggleStateImage(hwnd, t, cur);
        break;
    case VK_RETURN: NotifySimple(hwnd, NM_RETURN); break;
    default: break;
    }
}

void LeftDown(HWND hwnd, Tree* t, POINT pt)
{
    if (GetFocus() != hwnd)
        SetFocus(hwnd);
    uint32_t slot;
    UINT flags = HitTest(hwnd, t, pt, &slot);
    t->leftDown = true;
    SetCapture(hwnd);
    if (slot == kNone)
        return;
    if (flags == TVHT_ONITEMBUTTON) {
        Expand(hwnd, t, slot, TVE_TOGGLE, true);
    } else if (flags == TVHT_ONITEMSTATEICON && (StyleOf(hwnd) & TVS_CHECKBOXES)) {
        ToggleStateImage(hwnd, t, slot);
    } else if (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) {
        SelectCaret(hwnd, t, slot, TVC_BYMOUSE);
        t->dragItem = slot;
        t->pressedAt = pt;
    }
}

// A press that moves far enough on an item becomes a drag, which the parent runs.
void MaybeBeginDrag(HWND hwnd, Tree* t, POINT pt, bool right)
{
    uint32_t slot = t->dragItem;
    if (slot == kNone || !t->items[slot].live || (StyleOf(hwnd) & TVS_DISABLEDRAGDROP))
        return;
    if (std::abs(pt.x - t->pressedAt.x) <= GetSystemMetrics(SM_CXDRAG) &&
        std::abs(pt.y - t->pressedAt.y) <= GetSystemMetrics(SM_CYDRAG))
        return;
    t->dragItem = kNone;
    t->leftDown = t->rightDown = false;
    if (GetCapture() == hwnd)
        ReleaseCapture();
    NMTREEVIEWW nm{};
    FillNotifyItem(t, slot, &nm.itemNew);
    nm.ptDrag = pt;
    Notify(hwnd, &nm.hdr, right ? TVN_BEGINRDRAGW : TVN_BEGINDRAGW);
}

LRESULT CALLBACK TreeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Tree* t = Get(hwnd);
    if (!t && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE: {
        t = CreateState<Tree>(hwnd);
        t->font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_CREATE:
        MeasureFont(hwnd, t);
        if (StyleOf(hwnd) & TVS_CHECKBOXES)
            t->stateList = t->ownStateList = MakeCheckBoxes(hwnd);
        UpdateItemHeight(hwnd, t);
        return 0;
    case WM_DESTROY:
        DeleteItem(hwnd, t, TVI_ROOT);
        return 0;
    case WM_NCDESTROY: {
        if (t->ownStateList)
            ImageList_Destroy(t->ownStateList);
        if (t->boldFont)
            DeleteObject(t->boldFont);
        DestroyState<Tree>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_STYLECHANGED:
        if (wParam == (WPARAM)GWL_STYLE && (StyleOf(hwnd) & TVS_CHECKBOXES) && !t->ownStateList) {
            t->ownStateList = MakeCheckBoxes(hwnd);
            if (!t->stateList)
                t->stateList = t->ownStateList;
            UpdateItemHeight(hwnd, t);
        }
        Touch(hwnd, t, true);
        return 0;
    case WM_SETFONT:
        t->font = wParam ? (HFONT)wParam : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        for (Item& i : t->items)
            i.textWidth = -1;
        t->widthDirty = true;
        MeasureFont(hwnd, t);
        UpdateItemHeight(hwnd, t);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)t->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        // A subclass that paints through an off-screen DC still serves the pending repaint.
        t->paintPending = false;
        Paint(hwnd, wParam, [&](HDC dc) { PaintTree(hwnd, t, dc); });
        return 0;
    case WM_SIZE:
        t->rowsDirty = true;
        BuildRows(hwnd, t);
        Invalidate(hwnd, t);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        t->focused = true;
        Invalidate(hwnd, t);
        NotifySimple(hwnd, NM_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        t->focused = false;
        Invalidate(hwnd, t);
        NotifySimple(hwnd, NM_KILLFOCUS);
        return 0;
    case WM_KEYDOWN: KeyDown(hwnd, t, (UINT)wParam); return 0;
    case WM_LBUTTONDOWN: LeftDown(hwnd, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_MOUSEMOVE:
        if ((t->leftDown && (wParam & MK_LBUTTON)) || (t->rightDown && (wParam & MK_RBUTTON)))
            MaybeBeginDrag(hwnd, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, !t->leftDown);
        return 0;
    case WM_LBUTTONUP: {
        t->dragItem = kNone;
        bool clicked = t->leftDown;
        t->leftDown = false;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (clicked)
            NotifySimple(hwnd, NM_CLICK);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        if (NotifySimple(hwnd, NM_DBLCLK))
            return 0;
        uint32_t slot;
        UINT flags = HitTest(hwnd, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &slot);
        if (slot != kNone && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)))
            Expand(hwnd, t, slot, TVE_TOGGLE, true);
        return 0;
    }
    case WM_RBUTTONDOWN: {
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        t->rightDown = true;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        uint32_t slot;
        if (HitTest(hwnd, t, pt, &slot) & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) {
            t->dragItem = slot;
            t->pressedAt = pt;
        }
        return 0;
    }
    case WM_RBUTTONUP:
        t->dragItem = kNone;
        if (t->rightDown) {
            t->rightDown = false;
            if (!NotifySimple(hwnd, NM_RCLICK)) {
                POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ClientToScreen(hwnd, &pt);
                SendMessageW(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, MAKELPARAM(pt.x, pt.y));
            }
        }
        return 0;
    case WM_CAPTURECHANGED:
        t->leftDown = false;
        t->dragItem = kNone;
        return 0;
    case WM_VSCROLL: Scroll(hwnd, t, LOWORD(wParam)); return 0;
    case WM_HSCROLL: ScrollHorizontally(hwnd, t, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        BuildRows(hwnd, t);
        ScrollTo(hwnd, t, t->topRow - notches * 3);
        return 0;
    }

    case TVM_INSERTITEMW: return (LRESULT)Insert(hwnd, t, (const TVINSERTSTRUCTW*)lParam);
    case TVM_DELETEITEM: return DeleteItem(hwnd, t, (HTREEITEM)lParam);
    case TVM_EXPAND: {
        uint32_t slot = SlotOf(t, (HTREEITEM)lParam);
        return slot == kNone ? FALSE : Expand(hwnd, t, slot, (UINT)wParam, false);
    }
    case TVM_GETITEMRECT: return ItemRect(hwnd, t, (BOOL)wParam, (RECT*)lParam);
    case TVM_GETCOUNT: return (LRESULT)t->count;
    case TVM_GETINDENT: return t->indent;
    case TVM_SETINDENT:
        t->indent = std::max(0, (int)wParam);
        Invalidate(hwnd, t);
        return 0;
    case TVM_GETIMAGELIST:
        return (LRESULT)(wParam == TVSIL_STATE ? t->stateList : wParam == TVSIL_NORMAL ? t->normal : nullptr);
    case TVM_SETIMAGELIST: {
        HIMAGELIST* which = wParam == TVSIL_STATE ? &t->stateList : wParam == TVSIL_NORMAL ? &t->normal : nullptr;
        if (!which)
            return 0;
        HIMAGELIST old = *which;
        *which = (HIMAGELIST)lParam;
        UpdateItemHeight(hwnd, t);
        Touch(hwnd, t, true);
        return (LRESULT)old;
    }
    case TVM_GETNEXTITEM: return (LRESULT)HandleOf(t, NextItem(hwnd, t, (UINT)wParam, (HTREEITEM)lParam));
    case TVM_SELECTITEM: return SelectItem(hwnd, t, (UINT)wParam, (HTREEITEM)lParam);
    case TVM_GETITEMW: return GetItem(hwnd, t, (TVITEMW*)lParam, true);
    case TVM_SETITEMW: return SetItem(hwnd, t, (const TVITEMW*)lParam);
    case TVM_GETITEMSTATE: {
        uint32_t slot = SlotOf(t, (HTREEITEM)wParam);
        return slot == kNone ? 0 : (LRESULT)(t->items[slot].state & (UINT)lParam);
    }
    case TVM_GETVISIBLECOUNT: return FullRows(hwnd, t);
    case TVM_HITTEST: {
        auto* hti = (TVHITTESTINFO*)lParam;
        if (!hti)
            return 0;
        uint32_t slot;
        hti->flags = HitTest(hwnd, t, hti->pt, &slot);
        hti->hItem = HandleOf(t, slot);
        return (LRESULT)hti->hItem;
    }
    case TVM_ENSUREVISIBLE: {
        uint32_t slot = SlotOf(t, (HTREEITEM)lParam);
        return slot == kNone ? FALSE : EnsureVisibleImpl(hwnd, t, slot);
    }
    case TVM_SETITEMHEIGHT: {
        int old = t->itemHeight;
        if ((int)(short)wParam == -1) {
            t->customHeight = false;
            UpdateItemHeight(hwnd, t);
        } else if ((int)wParam > 0) {
            t->customHeight = true;
            t->itemHeight = (int)wParam;
        }
        Touch(hwnd, t, true);
        return old;
    }
    case TVM_GETITEMHEIGHT: return t->itemHeight;
    case TVM_SETBKCOLOR:
    case TVM_SETTEXTCOLOR:
    case TVM_SETLINECOLOR: {
        COLORREF& c = msg == TVM_SETBKCOLOR ? t->bk : msg == TVM_SETTEXTCOLOR ? t->text : t->line;
        COLORREF old = c;
        c = (COLORREF)lParam;
        if (msg == TVM_SETLINECOLOR && c == CLR_NONE)
            c = CLR_DEFAULT;
        Invalidate(hwnd, t);
        return (LRESULT)(LONG)old;
    }
    case TVM_GETBKCOLOR: return (LRESULT)(LONG)t->bk;
    case TVM_GETTEXTCOLOR: return (LRESULT)(LONG)t->text;
    case TVM_GETLINECOLOR: return (LRESULT)(LONG)t->line;
    case CCM_SETBKCOLOR: {
        COLORREF old = t->bk;
        t->bk = (COLORREF)lParam;
        Invalidate(hwnd, t);
        return (LRESULT)(LONG)old;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

ClassInfo TreeViewClass()
{
    return {WC_TREEVIEWW, TreeProc, CS_DBLCLKS, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
