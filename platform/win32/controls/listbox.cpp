// The LISTBOX window class: a single-selection list of strings or owner-drawn items.
#include "win32/controls/control_util.h"
#include "win32/text.h"

#include <algorithm>

namespace controls {

namespace {

struct Item {
    std::u16string text;
    ULONG_PTR data = 0;
    int height = 0; // variable-height lists only
};

struct ListBox {
    std::vector<Item> items;
    int sel = -1;
    int caret = 0; // the item with the focus rectangle
    int top = 0;
    int itemHeight = 16;
    HFONT font = nullptr;
    bool focused = false;
    bool tracking = false;
    int selAtPress = -1;
    bool vscroll = false; // created with a vertical scroll bar
    bool updatingScroll = false;
    HWND combo = nullptr; // the combo box a drop-down list serves: it gets what the owner would
};

DWORD OwnerDrawBits(DWORD style)
{
    return style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
}

bool HasStrings(DWORD style)
{
    return !OwnerDrawBits(style) || (style & LBS_HASSTRINGS);
}

bool Variable(DWORD style)
{
    return (style & LBS_OWNERDRAWVARIABLE) != 0;
}

int Count(const ListBox* lb)
{
    return (int)lb->items.size();
}

bool Valid(const ListBox* lb, WPARAM i)
{
    return (int)i >= 0 && (int)i < Count(lb) && i <= 0x7FFFFFFF;
}

int HeightOf(HWND hwnd, const ListBox* lb, int i)
{
    return Variable(StyleOf(hwnd)) ? lb->items[(size_t)i].height : lb->itemHeight;
}

int ClientHeight(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    return rc.bottom - rc.top;
}

// Top edge of item i relative to the client area (negative above the top item).
int ItemY(HWND hwnd, const ListBox* lb, int i)
{
    if (!Variable(StyleOf(hwnd)))
        return (i - lb->top) * lb->itemHeight;
    int y = 0;
    if (i >= lb->top) {
        for (int k = lb->top; k < i; ++k)
            y += lb->items[(size_t)k].height;
    } else {
        for (int k = i; k < lb->top; ++k)
            y -= lb->items[(size_t)k].height;
    }
    return y;
}

RECT ItemRect(HWND hwnd, const ListBox* lb, int i)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int y = ItemY(hwnd, lb, i);
    return RECT{0, y, rc.right, y + HeightOf(hwnd, lb, i)};
}

// Items that fit wholly from `from` down (at least one, so a short list box still scrolls).
int FullyVisibleFrom(HWND hwnd, const ListBox* lb, int from)
{
    int h = ClientHeight(hwnd), used = 0, n = 0;
    for (int i = from; i < Count(lb); ++i) {
        used += HeightOf(hwnd, lb, i);
        if (used > h)
            break;
        ++n;
    }
    if (!Variable(StyleOf(hwnd)) && lb->itemHeight > 0 && from >= Count(lb))
        n = h / lb->itemHeight;
    return std::max(n, 1);
}

// The highest top index: the one that shows the last item at the bottom.
int MaxTop(HWND hwnd, const ListBox* lb)
{
    int n = Count(lb);
    if (n == 0)
        return 0;
    int h = ClientHeight(hwnd), used = 0, top = n;
    while (top > 0 && used + HeightOf(hwnd, lb, top - 1) <= h) {
        used += HeightOf(hwnd, lb, top - 1);
        --top;
    }
    return std::min(top, n - 1);
}

void UpdateScroll(HWND hwnd, ListBox* lb)
{
    if (!lb->vscroll || lb->updatingScroll)
        return;
    lb->updatingScroll = true;
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, Count(lb) - 1, 0, lb->top, 0};
    si.nPage = (UINT)FullyVisibleFrom(hwnd, lb, lb->top);
    if (Count(lb) == 0)
        si.nMax = 0;
    if (StyleOf(hwnd) & LBS_DISABLENOSCROLL)
        si.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    lb->updatingScroll = false;
}

void Redraw(HWND hwnd)
{
    if (!(StyleOf(hwnd) & LBS_NOREDRAW))
        InvalidateRect(hwnd, nullptr, TRUE);
}

void RedrawItem(HWND hwnd, const ListBox* lb, int i)
{
    if (i < 0 || i >= Count(lb) || (StyleOf(hwnd) & LBS_NOREDRAW))
        return;
    RECT rc = ItemRect(hwnd, lb, i);
    InvalidateRect(hwnd, &rc, TRUE);
}

void SetTop(HWND hwnd, ListBox* lb, int top)
{
    top = std::clamp(top, 0, MaxTop(hwnd, lb));
    if (top == lb->top)
        return;
    lb->top = top;
    UpdateScroll(hwnd, lb);
    Redraw(hwnd);
}

void EnsureVisible(HWND hwnd, ListBox* lb, int i)
{
    if (i < 0 || i >= Count(lb))
        return;
    if (i < lb->top) {
        SetTop(hwnd, lb, i);
        return;
    }
    int h = ClientHeight(hwnd);
    int top = lb->top;
    // Move the top down until the item's bottom fits, keeping the item itself in view.
    auto bottomOf = [&](int t) {
        int y = 0;
        for (int k = t; k <= i; ++k)
            y += HeightOf(hwnd, lb, k);
        return y;
    };
    if (!Variable(StyleOf(hwnd))) {
        int full = std::max(1, lb->itemHeight > 0 ? h / lb->itemHeight : 1);
        if (i >= top + full)
            top = i - full + 1;
    } else {
        while (top < i && bottomOf(top) > h)
            ++top;
    }
    SetTop(hwnd, lb, top);
}

HWND Owner(HWND hwnd)
{
    ListBox* lb = StateOf<ListBox>(hwnd);
    return lb && lb->combo ? lb->combo : GetParent(hwnd);
}

void Notify(HWND hwnd, UINT code)
{
    if (HWND owner = Owner(hwnd))
        SendMessageW(owner, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), (LPARAM)hwnd);
}

void SendDeleteItem(HWND hwnd, const ListBox* lb, int i)
{
    const Item& it = lb->items[(size_t)i];
    // Owners free what they hung on an item; plain lists only tell when there is data to free.
    if (!OwnerDrawBits(StyleOf(hwnd)) && !it.data)
        return;
    HWND owner = Owner(hwnd);
    if (!owner)
        return;
    DELETEITEMSTRUCT d{ODT_LISTBOX, (UINT)GetDlgCtrlID(hwnd), (UINT)i, hwnd, it.data};
    SendMessageW(owner, WM_DELETEITEM, (WPARAM)d.CtlID, (LPARAM)&d);
}

int DefaultItemHeight(HWND hwnd, ListBox* lb)
{
    HDC dc = GetDC(hwnd);
    if (!dc)
        return 16;
    HGDIOBJ old = SelectObject(dc, FontOrDefault(lb->font));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return tm.tmHeight > 0 ? (int)tm.tmHeight : 16;
}

int MeasureItem(HWND hwnd, ListBox* lb, int index, ULONG_PTR data)
{
    MEASUREITEMSTRUCT m{};
    m.CtlType = ODT_LISTBOX;
    m.CtlID = (UINT)GetDlgCtrlID(hwnd);
    m.itemID = (UINT)index;
    RECT rc;
    GetClientRect(hwnd, &rc);
    m.itemWidth = (UINT)rc.right;
    m.itemHeight = (UINT)DefaultItemHeight(hwnd, lb);
    m.itemData = data;
    if (HWND owner = Owner(hwnd))
        SendMessageW(owner, WM_MEASUREITEM, (WPARAM)m.CtlID, (LPARAM)&m);
    return (int)std::clamp<UINT>(m.itemHeight, 1, 255);
}

std::u16string Upper(std::u16string s)
{
    if (!s.empty())
        CharUpperBuffW(s.data(), (DWORD)s.size());
    return s;
}

int CompareText(const std::u16string& a, const std::u16string& b)
{
    return lstrcmpiW(a.c_str(), b.c_str());
}

// Where LB_ADDSTRING puts an item in a sorted list: after the items that do not follow it.
int SortedPosition(HWND hwnd, ListBox* lb, const std::u16string& text, ULONG_PTR data)
{
    DWORD style = StyleOf(hwnd);
    int lo = 0, hi = Count(lb);
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        int c;
        if (HasStrings(style)) {
            c = CompareText(lb->items[(size_t)mid].text, text);
        } else {
            COMPAREITEMSTRUCT ci{ODT_LISTBOX, (UINT)GetDlgCtrlID(hwnd), hwnd, (UINT)mid,
                                 lb->items[(size_t)mid].data, (UINT)-1, data, 0};
            HWND owner = Owner(hwnd);
            c = owner ? (int)SendMessageW(owner, WM_COMPAREITEM, (WPARAM)ci.CtlID, (LPARAM)&ci) : 0;
        }
        if (c <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

LRESULT Insert(HWND hwnd, ListBox* lb, int index, LPARAM lParam, bool sorted)
{
    DWORD style = StyleOf(hwnd);
    Item it;
    if (HasStrings(style)) {
        if (lParam)
            it.text = (LPCWSTR)lParam;
    } else {
        it.data = (ULONG_PTR)lParam;
    }
    if (sorted && (style & LBS_SORT))
        index = SortedPosition(hwnd, lb, it.text, it.data);
    if (index < 0)
        index = Count(lb);
    if (index > Count(lb))
        return LB_ERR;
    if (Variable(style))
        it.height = MeasureItem(hwnd, lb, index, (ULONG_PTR)lParam);
    lb->items.insert(lb->items.begin() + index, std::move(it));
    if (lb->sel >= index)
        ++lb->sel;
    if (lb->caret >= index && Count(lb) > 1)
        ++lb->caret;
    UpdateScroll(hwnd, lb);
    Redraw(hwnd);
    return index;
}

LRESULT Delete(HWND hwnd, ListBox* lb, WPARAM index)
{
    if (!Valid(lb, index))
        return LB_ERR;
    int i = (int)index;
    SendDeleteItem(hwnd, lb, i);
    // The owner's handler may have changed the list; check again before erasing.
    if (i >= Count(lb))
        return LB_ERR;
    lb->items.erase(lb->items.begin() + i);
    if (lb->sel == i)
        lb->sel = -1;
    else if (lb->sel > i)
        --lb->sel;
    if (lb->caret > i || lb->caret >= Count(lb))
        lb->caret = std::max(0, lb->caret - 1);
    lb->top = std::clamp(lb->top, 0, MaxTop(hwnd, lb));
    UpdateScroll(hwnd, lb);
    Redraw(hwnd);
    return Count(lb);
}

void ResetContent(HWND hwnd, ListBox* lb)
{
    std::vector<Item> old;
    old.swap(lb->items);
    lb->sel = -1;
    lb->caret = 0;
    lb->top = 0;
    for (size_t i = 0; i < old.size(); ++i) {
        lb->items.swap(old);
        SendDeleteItem(hwnd, lb, (int)i);
        lb->items.swap(old);
    }
    UpdateScroll(hwnd, lb);
    Redraw(hwnd);
}

// Case-insensitive search from the item after `start`, wrapping once round the list.
LRESULT Find(HWND hwnd, ListBox* lb, WPARAM start, LPARAM lParam, bool exact)
{
    int n = Count(lb);
    if (n == 0)
        return LB_ERR;
    int from = ((int)start < 0 || (int)start >= n) ? 0 : (int)start + 1;
    bool strings = HasStrings(StyleOf(hwnd));
    std::u16string want = strings && lParam ? Upper((LPCWSTR)lParam) : std::u16string();
    for (int k = 0; k < n; ++k) {
        int i = (from + k) % n;
        const Item& it = lb->items[(size_t)i];
        if (!strings) {
            if (it.data == (ULONG_PTR)lParam)
                return i;
            continue;
        }
        std::u16string have = Upper(it.text);
        if (exact ? have == want : have.compare(0, want.size(), want) == 0)
            return i;
    }
    return LB_ERR;
}

void SetCaret(HWND hwnd, ListBox* lb, int i)
{
    if (i == lb->caret)
        return;
    if (lb->focused)
        RedrawItem(hwnd, lb, lb->caret);
    lb->caret = i;
    if (lb->focused)
        RedrawItem(hwnd, lb, lb->caret);
}

// Selects i (or nothing for -1) and moves the caret there; true if the selection moved.
bool Select(HWND hwnd, ListBox* lb, int i)
{
    if (i >= 0)
        SetCaret(hwnd, lb, i);
    if (i == lb->sel) {
        EnsureVisible(hwnd, lb, i);
        return false;
    }
    RedrawItem(hwnd, lb, lb->sel);
    lb->sel = i;
    RedrawItem(hwnd, lb, lb->sel);
    EnsureVisible(hwnd, lb, i);
    return true;
}

void UserSelect(HWND hwnd, ListBox* lb, int i)
{
    if (StyleOf(hwnd) & LBS_NOSEL) {
        SetCaret(hwnd, lb, i);
        EnsureVisible(hwnd, lb, i);
        return;
    }
    if (Select(hwnd, lb, i) && (StyleOf(hwnd) & LBS_NOTIFY))
        Notify(hwnd, LBN_SELCHANGE);
}

// The item whose rectangle holds the point, or -1.
int ItemAt(HWND hwnd, const ListBox* lb, POINT pt)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (!PtInRect(&rc, pt))
        return -1;
    int y = 0;
    for (int i = lb->top; i < Count(lb) && y < rc.bottom; ++i) {
        int h = HeightOf(hwnd, lb, i);
        if (pt.y >= y && pt.y < y + h)
            return i;
        y += h;
    }
    return -1;
}

// The item nearest the point, for LB_ITEMFROMPOINT and dragging past the edges.
int NearestItem(HWND hwnd, const ListBox* lb, POINT pt)
{
    int n = Count(lb);
    if (n == 0)
        return 0;
    if (pt.y < 0)
        return std::max(lb->top - 1, 0);
    int y = 0, i = lb->top;
    for (; i < n; ++i) {
        int h = HeightOf(hwnd, lb, i);
        if (pt.y < y + h)
            return i;
        y += h;
    }
    return n - 1;
}

void DrawItem(HWND hwnd, HDC dc, ListBox* lb, int i, RECT rc, bool enabled)
{
    DWORD style = StyleOf(hwnd);
    bool selected = i == lb->sel;
    bool focus = lb->focused && i == lb->caret;
    if (OwnerDrawBits(style)) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_LISTBOX;
        dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
        dis.itemID = (UINT)i;
        dis.itemAction = i < 0 ? ODA_FOCUS : ODA_DRAWENTIRE;
        dis.itemState = (selected ? ODS_SELECTED : 0) | (focus || (i < 0 && lb->focused) ? ODS_FOCUS : 0) |
                        (enabled ? 0 : ODS_DISABLED);
        dis.hwndItem = hwnd;
        dis.hDC = dc;
        dis.rcItem = rc;
        dis.itemData = i >= 0 ? lb->items[(size_t)i].data : 0;
        if (HWND owner = Owner(hwnd))
            SendMessageW(owner, WM_DRAWITEM, (WPARAM)dis.CtlID, (LPARAM)&dis);
        return;
    }
    const std::u16string& text = lb->items[(size_t)i].text;
    COLORREF oldText = GetTextColor(dc);
    if (selected) {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else if (!enabled) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    }
    RECT tr = rc;
    tr.left += 2;
    UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | ((style & LBS_USETABSTOPS) ? DT_EXPANDTABS : 0);
    DrawTextW(dc, text.c_str(), (int)text.size(), &tr, fmt);
    SetTextColor(dc, oldText);
    if (focus)
        DrawFocusRect(dc, &rc);
}

void Draw(HWND hwnd, HDC dc, ListBox* lb)
{
    RECT client;
    GetClientRect(hwnd, &client);
    int saved = SaveDC(dc);
    SelectObject(dc, FontOrDefault(lb->font));
    // A drop-down list asks through its combo box, which asks its own parent.
    HBRUSH br = lb->combo ? (HBRUSH)SendMessageW(lb->combo, WM_CTLCOLORLISTBOX, (WPARAM)dc, (LPARAM)hwnd)
                          : ControlColor(hwnd, dc, WM_CTLCOLORLISTBOX);
    FillRect(dc, &client, br ? br : GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    int y = 0;
    for (int i = lb->top; i < Count(lb) && y < client.bottom; ++i) {
        int h = HeightOf(hwnd, lb, i);
        DrawItem(hwnd, dc, lb, i, RECT{0, y, client.right, y + h}, enabled);
        y += h;
    }
    // An empty owner-drawn list still shows that it has the focus, through its owner.
    if (Count(lb) == 0 && lb->focused) {
        RECT rc{0, 0, client.right, lb->itemHeight};
        if (OwnerDrawBits(StyleOf(hwnd)))
            DrawItem(hwnd, dc, lb, -1, rc, enabled);
        else
            DrawFocusRect(dc, &rc);
    }
    RestoreDC(dc, saved);
}

void Scroll(HWND hwnd, ListBox* lb, int code, int thumb)
{
    int page = FullyVisibleFrom(hwnd, lb, lb->top);
    switch (code) {
    case SB_LINEUP: SetTop(hwnd, lb, lb->top - 1); break;
    case SB_LINEDOWN: SetTop(hwnd, lb, lb->top + 1); break;
    case SB_PAGEUP: SetTop(hwnd, lb, lb->top - page); break;
    case SB_PAGEDOWN: SetTop(hwnd, lb, lb->top + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: SetTop(hwnd, lb, thumb); break;
    case SB_TOP: SetTop(hwnd, lb, 0); break;
    case SB_BOTTOM: SetTop(hwnd, lb, Count(lb)); break;
    }
}

void KeyDown(HWND hwnd, ListBox* lb, UINT vk)
{
    DWORD style = StyleOf(hwnd);
    if (style & LBS_WANTKEYBOARDINPUT) {
        HWND owner = Owner(hwnd);
        LRESULT r = owner ? SendMessageW(owner, WM_VKEYTOITEM, MAKEWPARAM(vk, lb->caret), (LPARAM)hwnd) : -1;
        if (r == -2)
            return;
        if (r >= 0 && r < Count(lb))
            SetCaret(hwnd, lb, (int)r);
    }
    int n = Count(lb);
    if (n == 0)
        return;
    int from = std::clamp(lb->caret, 0, n - 1);
    int page = FullyVisibleFrom(hwnd, lb, lb->top);
    int to;
    switch (vk) {
    case VK_UP:
    case VK_LEFT: to = lb->sel < 0 ? from : from - 1; break;
    case VK_DOWN:
    case VK_RIGHT: to = lb->sel < 0 ? from : from + 1; break;
    case VK_PRIOR: to = from - std::max(page - 1, 1); break;
    case VK_NEXT: to = from + std::max(page - 1, 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    default: return;
    }
    UserSelect(hwnd, lb, std::clamp(to, 0, n - 1));
}

void Char(HWND hwnd, ListBox* lb, WCHAR ch)
{
    DWORD style = StyleOf(hwnd);
    if (!HasStrings(style)) {
        if (!(style & LBS_WANTKEYBOARDINPUT))
            return;
        HWND owner = Owner(hwnd);
        LRESULT r = owner ? SendMessageW(owner, WM_CHARTOITEM, MAKEWPARAM(ch, lb->caret), (LPARAM)hwnd) : -1;
        if (r >= 0 && r < Count(lb))
            UserSelect(hwnd, lb, (int)r);
        return;
    }
    if (ch < u' ')
        return;
    std::u16string prefix(1, ch);
    LRESULT i = Find(hwnd, lb, (WPARAM)(lb->sel >= 0 ? lb->sel : lb->caret), (LPARAM)prefix.c_str(), false);
    if (i != LB_ERR)
        UserSelect(hwnd, lb, (int)i);
}

LRESULT GetText(HWND hwnd, ListBox* lb, WPARAM index, LPARAM buffer)
{
    if (!Valid(lb, index) || !buffer)
        return LB_ERR;
    const Item& it = lb->items[index];
    if (!HasStrings(StyleOf(hwnd))) {
        // Lists without strings hand back the item's value.
        *(ULONG_PTR*)buffer = it.data;
        return sizeof(ULONG_PTR);
    }
    std::copy(it.text.begin(), it.text.end(), (WCHAR*)buffer);
    ((WCHAR*)buffer)[it.text.size()] = 0;
    return (LRESULT)it.text.size();
}

LRESULT SetItemHeight(HWND hwnd, ListBox* lb, WPARAM index, LPARAM lParam)
{
    int h = (int)LOWORD(lParam);
    if (h <= 0 || h > 255)
        return LB_ERR;
    if (Variable(StyleOf(hwnd))) {
        if (!Valid(lb, index))
            return LB_ERR;
        lb->items[index].height = h;
    } else {
        lb->itemHeight = h;
    }
    lb->top = std::clamp(lb->top, 0, MaxTop(hwnd, lb));
    UpdateScroll(hwnd, lb);
    Redraw(hwnd);
    return LB_OKAY;
}

// Without LBS_NOINTEGRALHEIGHT a fixed-height list shows only whole items.
void IntegralHeight(HWND hwnd, ListBox* lb, WINDOWPOS* wp)
{
    DWORD style = StyleOf(hwnd);
    if ((wp->flags & SWP_NOSIZE) || (style & LBS_NOINTEGRALHEIGHT) || Variable(style) || lb->itemHeight <= 0)
        return;
    RECT wr, cr;
    GetWindowRect(hwnd, &wr);
    GetClientRect(hwnd, &cr);
    int frame = (wr.bottom - wr.top) - cr.bottom;
    int client = wp->cy - frame;
    if (client > lb->itemHeight)
        wp->cy = frame + client / lb->itemHeight * lb->itemHeight;
}

LRESULT ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool comboList)
{
    ListBox* lb = StateOf<ListBox>(hwnd);
    if (!lb && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        if (!lb) {
            lb = CreateState<ListBox>(hwnd);
            if (comboList)
                lb->combo = (HWND)((CREATESTRUCTW*)lParam)->lpCreateParams;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_MOUSEACTIVATE:
        // A drop-down list never takes the activation or focus from the combo box it serves.
        if (lb->combo)
            return MA_NOACTIVATE;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE: {
        DWORD style = StyleOf(hwnd);
        lb->vscroll = (style & WS_VSCROLL) != 0;
        lb->itemHeight = (style & LBS_OWNERDRAWFIXED) ? MeasureItem(hwnd, lb, 0, 0) : DefaultItemHeight(hwnd, lb);
        RECT wr;
        GetWindowRect(hwnd, &wr);
        SetWindowPos(hwnd, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateScroll(hwnd, lb);
        return 0;
    }
    case WM_DESTROY:
        ResetContent(hwnd, lb);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        DestroyState<ListBox>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
        lb->font = (HFONT)wParam;
        if (!OwnerDrawBits(StyleOf(hwnd)))
            lb->itemHeight = DefaultItemHeight(hwnd, lb);
        UpdateScroll(hwnd, lb);
        if (LOWORD(lParam))
            Redraw(hwnd);
        return 0;
    case WM_GETFONT: return (LRESULT)lb->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, lb); });
        return 0;
    case WM_ENABLE:
        Redraw(hwnd);
        return 0;
    case WM_WINDOWPOSCHANGING: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        IntegralHeight(hwnd, lb, (WINDOWPOS*)lParam);
        return r;
    }
    case WM_SIZE:
        lb->top = std::clamp(lb->top, 0, MaxTop(hwnd, lb));
        UpdateScroll(hwnd, lb);
        return 0;
    case WM_VSCROLL:
        Scroll(hwnd, lb, LOWORD(wParam), (short)HIWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        SetTop(hwnd, lb, lb->top - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
    case WM_SETFOCUS:
        lb->focused = true;
        RedrawItem(hwnd, lb, lb->caret);
        if (Count(lb) == 0)
            Redraw(hwnd);
        Notify(hwnd, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        lb->focused = false;
        RedrawItem(hwnd, lb, lb->caret);
        if (Count(lb) == 0)
            Redraw(hwnd);
        Notify(hwnd, LBN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        if (lb->combo)
            return 0; // the combo box tracks the mouse over its list
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        // The focus change may have destroyed us.
        if (!IsWindow(hwnd) || StateOf<ListBox>(hwnd) != lb)
            return 0;
        int i = ItemAt(hwnd, lb, pt);
        lb->selAtPress = lb->sel;
        if (i >= 0) {
            if (StyleOf(hwnd) & LBS_NOSEL)
                SetCaret(hwnd, lb, i);
            else
                Select(hwnd, lb, i);
        }
        if (msg == WM_LBUTTONDBLCLK) {
            if (i >= 0 && (StyleOf(hwnd) & LBS_NOTIFY))
                Notify(hwnd, LBN_DBLCLK);
            return 0;
        }
        lb->tracking = true;
        SetCapture(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (lb->tracking && GetCapture() == hwnd && !(StyleOf(hwnd) & LBS_NOSEL) && Count(lb) > 0) {
            POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
            Select(hwnd, lb, NearestItem(hwnd, lb, pt));
        }
        return 0;
    case WM_LBUTTONUP:
        if (!lb->tracking)
            return 0;
        lb->tracking = false;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (lb->sel != lb->selAtPress && (StyleOf(hwnd) & LBS_NOTIFY))
            Notify(hwnd, LBN_SELCHANGE);
        return 0;
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != hwnd && lb->tracking) {
            lb->tracking = false;
            if (lb->sel != lb->selAtPress && (StyleOf(hwnd) & LBS_NOTIFY))
                Notify(hwnd, LBN_SELCHANGE);
        }
        return 0;
    case WM_KEYDOWN: KeyDown(hwnd, lb, (UINT)wParam); return 0;
    case WM_CHAR: Char(hwnd, lb, (WCHAR)wParam); return 0;

    case LB_ADDSTRING: return Insert(hwnd, lb, -1, lParam, true);
    case LB_INSERTSTRING: return Insert(hwnd, lb, (int)wParam, lParam, false);
    case LB_DELETESTRING: return Delete(hwnd, lb, wParam);
    case LB_RESETCONTENT: ResetContent(hwnd, lb); return LB_OKAY;
    case LB_GETCOUNT: return Count(lb);
    case LB_GETCURSEL: return lb->sel;
    case LB_SETCURSEL:
        if ((int)wParam == -1 || (StyleOf(hwnd) & LBS_NOSEL)) {
            Select(hwnd, lb, -1);
            return LB_ERR;
        }
        if (!Valid(lb, wParam))
            return LB_ERR;
        Select(hwnd, lb, (int)wParam);
        return (LRESULT)wParam;
    case LB_GETSEL: return Valid(lb, wParam) ? (lb->sel == (int)wParam ? 1 : 0) : LB_ERR;
    case LB_SETSEL:
    case LB_GETSELCOUNT:
    case LB_GETSELITEMS:
        // Only multiple-selection lists have these; this one keeps a single selection.
        return LB_ERR;
    case LB_GETCARETINDEX: return lb->caret;
    case LB_SETCARETINDEX:
        if (!Valid(lb, wParam))
            return LB_ERR;
        SetCaret(hwnd, lb, (int)wParam);
        EnsureVisible(hwnd, lb, (int)wParam);
        return LB_OKAY;
    case LB_GETTEXT: return GetText(hwnd, lb, wParam, lParam);
    case LB_GETTEXTLEN:
        if (!Valid(lb, wParam))
            return LB_ERR;
        return HasStrings(StyleOf(hwnd)) ? (LRESULT)lb->items[wParam].text.size() : (LRESULT)sizeof(ULONG_PTR);
    case LB_GETITEMDATA: return Valid(lb, wParam) ? (LRESULT)lb->items[wParam].data : LB_ERR;
    case LB_SETITEMDATA:
        if (!Valid(lb, wParam))
            return LB_ERR;
        lb->items[wParam].data = (ULONG_PTR)lParam;
        return TRUE;
    case LB_FINDSTRING: return Find(hwnd, lb, wParam, lParam, false);
    case LB_FINDSTRINGEXACT: return Find(hwnd, lb, wParam, lParam, true);
    case LB_SELECTSTRING: {
        LRESULT i = Find(hwnd, lb, wParam, lParam, false);
        if (i != LB_ERR)
            Select(hwnd, lb, (int)i);
        return i;
    }
    case LB_GETTOPINDEX: return lb->top;
    case LB_SETTOPINDEX:
        if (!Valid(lb, wParam) && !(wParam == 0 && Count(lb) == 0))
            return LB_ERR;
        SetTop(hwnd, lb, (int)wParam);
        return LB_OKAY;
    case LB_GETITEMRECT:
        if (!Valid(lb, wParam) || !lParam)
            return LB_ERR;
        *(RECT*)lParam = ItemRect(hwnd, lb, (int)wParam);
        return TRUE;
    case LB_ITEMFROMPOINT: {
        POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        // Blank space below the last item counts as outside, so a click there hits no item.
        int i = ItemAt(hwnd, lb, pt);
        return MAKELONG(i >= 0 ? i : NearestItem(hwnd, lb, pt), i >= 0 ? 0 : 1);
    }
    case LB_GETITEMHEIGHT:
        if (Variable(StyleOf(hwnd)))
            return Valid(lb, wParam) ? lb->items[wParam].height : LB_ERR;
        return lb->itemHeight;
    case LB_SETITEMHEIGHT: return SetItemHeight(hwnd, lb, wParam, lParam);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ListProc(hwnd, msg, wParam, lParam, false);
}

LRESULT CALLBACK ComboListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ListProc(hwnd, msg, wParam, lParam, true);
}

} // namespace

ClassInfo ListBoxClass()
{
    return {u"ListBox", ListBoxProc, CS_DBLCLKS, (HCURSOR)IDC_ARROW, 0};
}

ClassInfo ComboListClass()
{
    return {u"ComboLBox", ComboListProc, CS_DBLCLKS | CS_SAVEBITS, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
