// Menus on screen: popup menu windows with cascading submenus and the menu bar, in one modal loop.
#include "win32/user/internal.h"

#include <algorithm>
#include <cwctype>
#include <deque>

namespace user {

int MenuItemCountLocked(HMENU h);
bool MenuItemLocked(HMENU h, int pos, UINT* type, UINT* state, UINT* id, HMENU* sub, std::u16string* text);

namespace {

constexpr int kItemHeight = 19;
constexpr int kSeparatorHeight = 9;
constexpr int kMargin = 3;      // between the popup's edge and its items
constexpr int kTextLeft = 18;   // room for the check mark
constexpr int kArrowRoom = 16;  // room for the submenu arrow
constexpr int kBarItemPad = 8;  // either side of a menu bar item's text

HFONT MenuFont()
{
    static HFONT font = [] {
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfWeight = 400;
        lf.lfCharSet = 134; // GB2312_CHARSET
        const char16_t face[] = u"\u5b8b\u4f53";
        std::copy(std::begin(face), std::end(face), lf.lfFaceName);
        return CreateFontIndirectW(&lf);
    }();
    return font;
}

struct Item {
    UINT type = 0, state = 0, id = 0;
    HMENU sub = nullptr;
    std::u16string text;
    RECT rc{}; // popup: client coordinates; bar: screen coordinates
};

std::vector<Item> ReadItems(HMENU menu)
{
    std::vector<Item> items;
    Guard lk(Lock());
    int n = MenuItemCountLocked(menu);
    for (int i = 0; i < n; ++i) {
        Item it;
        MenuItemLocked(menu, i, &it.type, &it.state, &it.id, &it.sub, &it.text);
        items.push_back(std::move(it));
    }
    return items;
}

int TextWidth(HDC dc, const std::u16string& text)
{
    if (text.empty())
        return 0;
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), (int)text.size(), &r, DT_SINGLELINE | DT_CALCRECT);
    return Width(r);
}

// Items of a popup laid out top to bottom; the width fits the widest label and shortcut.
std::vector<Item> LayoutPopup(HMENU menu, SIZE* client)
{
    auto items = ReadItems(menu);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    int label = 0, shortcut = 0, y = kMargin;
    for (auto& it : items) {
        if (!(it.type & MFT_SEPARATOR)) {
            auto tab = it.text.find(u'\t');
            label = std::max(label, TextWidth(dc, it.text.substr(0, tab)));
            if (tab != std::u16string::npos)
                shortcut = std::max(shortcut, TextWidth(dc, it.text.substr(tab + 1)));
        }
        int h = (it.type & MFT_SEPARATOR) ? kSeparatorHeight : kItemHeight;
        it.rc = RECT{kMargin, y, 0, y + h};
        y += h;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    int width = kMargin + kTextLeft + label + (shortcut ? 16 + shortcut : 0) + kArrowRoom + kMargin;
    width = std::max(width, 100);
    for (auto& it : items)
        it.rc.right = width - kMargin;
    *client = SIZE{width, y + kMargin};
    return items;
}

bool Selectable(const Item& it)
{
    return !(it.type & MFT_SEPARATOR) && !(it.state & (MF_GRAYED | MF_DISABLED));
}

// The character after a single '&', lower-cased; 0 when the text has none.
char16_t Mnemonic(const std::u16string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return (char16_t)std::towlower((wint_t)text[i + 1]);
    }
    return 0;
}

struct Level {
    HMENU menu = nullptr;
    HWND wnd = nullptr;
    std::vector<Item> items;
    int selected = -1;
    bool keyboard = false; // underline mnemonics
};

struct Tracker {
    HWND owner = nullptr;
    HWND grab = nullptr; // hidden window that holds the capture for the whole loop
    UINT flags = 0;
    bool notify = true;
    bool keyboard = false;
    HMENU bar = nullptr; // tracking from the menu bar
    std::vector<Item> barItems;
    int barSel = -1;
    std::deque<Level> levels; // open popups, the first one outermost; a deque keeps their addresses
    bool done = false;
    UINT result = 0;
    bool system = false;  // the window menu: its choice is a system command
    bool byMouse = false; // the window menu was opened by a click on the caption's icon, at `openedAt`
    DWORD openedAt = 0;
};

thread_local Tracker* t_tracker = nullptr;

// The window whose menu bar is highlighted, and which of its items: read by the frame painter.
HWND g_barWindow = nullptr;
int g_barHot = -1;

void DrawArrow(HDC dc, const RECT& rc, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    int x = rc.right - 10, cy = (rc.top + rc.bottom) / 2;
    for (int i = 0; i < 4; ++i) {
        MoveToEx(dc, x + i, cy - 3 + i, nullptr);
        LineTo(dc, x + i, cy + 4 - i);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawCheck(HDC dc, const RECT& rc, COLORREF colour, bool radio)
{
    int cx = rc.left + 8, cy = (rc.top + rc.bottom) / 2;
    if (radio) {
        HBRUSH b = CreateSolidBrush(colour);
        HGDIOBJ ob = SelectObject(dc, b);
        HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
        Ellipse(dc, cx - 3, cy - 3, cx + 3, cy + 3);
        SelectObject(dc, op);
        SelectObject(dc, ob);
        DeleteObject(b);
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    for (int d = 0; d < 3; ++d) {
        MoveToEx(dc, cx - 3, cy - 1 + d, nullptr);
        LineTo(dc, cx - 1, cy + 1 + d);
        LineTo(dc, cx + 4, cy - 4 + d);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* level = (Level*)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_MENU));
        if (level) {
            HGDIOBJ oldFont = SelectObject(dc, MenuFont());
            SetBkMode(dc, TRANSPARENT);
            UINT prefix = level->keyboard ? 0 : DT_HIDEPREFIX;
            for (size_t i = 0; i < level->items.size(); ++i) {
                const Item& it = level->items[i];
                RECT rc = it.rc;
                if (it.type & MFT_SEPARATOR) {
                    RECT l{rc.left, (rc.top + rc.bottom) / 2 - 1, rc.right, (rc.top + rc.bottom) / 2};
                    FillRect(dc, &l, GetSysColorBrush(COLOR_3DSHADOW));
                    OffsetRect(&l, 0, 1);
                    FillRect(dc, &l, GetSysColorBrush(COLOR_3DHILIGHT));
                    continue;
                }
                bool sel = (int)i == level->selected;
                bool grey = it.state & (MF_GRAYED | MF_DISABLED);
                if (sel)
                    FillRect(dc, &rc, GetSysColorBrush(COLOR_HIGHLIGHT));
                COLORREF ink = GetSysColor(grey ? COLOR_GRAYTEXT : sel ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
                SetTextColor(dc, ink);
                if (it.state & MF_CHECKED)
                    DrawCheck(dc, rc, ink, (it.type & MFT_RADIOCHECK) != 0);
                RECT tr = rc;
                tr.left += kTextLeft;
                auto tab = it.text.find(u'\t');
                DrawTextW(dc, it.text.c_str(), (int)std::min(tab, it.text.size()), &tr,
                          DT_SINGLELINE | DT_VCENTER | prefix);
                if (tab != std::u16string::npos) {
                    tr.right -= kArrowRoom;
                    DrawTextW(dc, it.text.c_str() + tab + 1, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
                }
                if (it.sub)
                    DrawArrow(dc, rc, ink);
            }
            SelectObject(dc, oldFont);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterClasses()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS | CS_DBLCLKS;
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = u"#PopupMenu";
    wc.hCursor = GetSystemCursor((UINT)(ULONG_PTR)IDC_ARROW);
    RegisterClassExW(&wc);
    WNDCLASSEXW grab{};
    grab.cbSize = sizeof(grab);
    grab.lpfnWndProc = DefWindowProcW;
    grab.lpszClassName = u"#MenuTracker";
    RegisterClassExW(&grab);
    registered = true;
}

void SetBarHot(Tracker& t, int index)
{
    t.barSel = index;
    {
        Guard lk(Lock());
        g_barWindow = index >= 0 ? t.owner : nullptr;
        g_barHot = index;
    }
    DrawMenuBar(t.owner);
    UpdateWindow(t.owner);
}

void SendSelect(Tracker& t, HMENU menu, const Item& it, int index)
{
    if (!t.notify)
        return;
    UINT flags = (it.state & ~MF_POPUP) | MF_HILITE | (it.sub ? MF_POPUP : 0) | (t.system ? MF_SYSMENU : 0);
    UINT item = it.sub ? (UINT)index : it.id;
    SendMessageW(t.owner, WM_MENUSELECT, MAKEWPARAM(item, flags), (LPARAM)menu);
}

void CloseFrom(Tracker& t, size_t from)
{
    while (t.levels.size() > from) {
        Level& l = t.levels.back();
        HWND wnd = l.wnd;
        HMENU menu = l.menu;
        if (IsWindow(wnd)) {
            SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
            DestroyWindow(wnd);
        }
        t.levels.pop_back();
        if (t.notify)
            SendMessageW(t.owner, WM_UNINITMENUPOPUP, (WPARAM)menu, 0);
    }
}

void Select(Tracker& t, size_t k, int index)
{
    Level& l = t.levels[k];
    CloseFrom(t, k + 1);
    if (l.selected == index)
        return;
    l.selected = index;
    InvalidateRect(l.wnd, nullptr, FALSE);
    if (index >= 0)
        SendSelect(t, l.menu, l.items[index], index);
}

int FirstSelectable(const Level& l)
{
    for (size_t i = 0; i < l.items.size(); ++i)
        if (Selectable(l.items[i]))
            return (int)i;
    return -1;
}

int Step(const Level& l, int dir)
{
    int n = (int)l.items.size();
    for (int k = 1; k <= n; ++k) {
        int i = ((l.selected < 0 ? (dir > 0 ? -1 : 0) : l.selected) + dir * k + n * 2) % n;
        if (Selectable(l.items[i]))
            return i;
    }
    return -1;
}

// Opens `menu` as a popup. `at` is its wished top-left corner; when the popup does not fit to the
// right of `avoid` (the parent item, in screen coordinates) it opens to the left of it instead.
bool Open(Tracker& t, HMENU menu, POINT at, const RECT* avoid, int position, bool selectFirst)
{
    if (t.notify)
        SendMessageW(t.owner, WM_INITMENUPOPUP, (WPARAM)menu, MAKELPARAM(position, t.system && t.levels.empty()));
    Level& l = t.levels.emplace_back();
    l.menu = menu;
    l.keyboard = t.keyboard;
    SIZE client;
    l.items = LayoutPopup(menu, &client);
    const DWORD style = WS_POPUP | WS_BORDER, exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int cx = Width(frame), cy = Height(frame);
    RECT scr = ScreenRect();
    int x = at.x, y = at.y;
    if (avoid && x + cx > scr.right)
        x = avoid->left - cx + kMargin;
    x = std::clamp<int>(x, 0, std::max<int>(0, scr.right - cx));
    y = std::clamp<int>(y, 0, std::max<int>(0, scr.bottom - cy));
    l.wnd = CreateWindowExW(exStyle, u"#PopupMenu", u"", style, x, y, cx, cy, t.owner, nullptr, nullptr, nullptr);
    if (!l.wnd) {
        t.levels.pop_back();
        return false;
    }
    SetWindowLongPtrW(l.wnd, GWLP_USERDATA, (LONG_PTR)&l);
    SetWindowPos(l.wnd, HWND_TOPMOST, x, y, cx, cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (selectFirst)
        Select(t, t.levels.size() - 1, FirstSelectable(l));
    return true;
}

// Opens the submenu of the selected item of level k, beside the item.
void OpenSub(Tracker& t, size_t k, bool selectFirst)
{
    Level& l = t.levels[k];
    if (l.selected < 0 || t.levels.size() > k + 1)
        return;
    const Item& it = l.items[l.selected];
    if (!it.sub || !Selectable(it))
        return;
    RECT item = it.rc;
    MapWindowPoints(l.wnd, nullptr, (POINT*)&item, 2);
    RECT win;
    GetWindowRect(l.wnd, &win);
    Open(t, it.sub, POINT{win.right - kMargin, item.top - kMargin}, &win, l.selected, selectFirst);
}

void OpenBarItem(Tracker& t, int index, bool selectFirst)
{
    CloseFrom(t, 0);
    SetBarHot(t, index);
    if (index < 0 || index >= (int)t.barItems.size())
        return;
    const Item& it = t.barItems[index];
    SendSelect(t, t.bar, it, index);
    if (it.sub && Selectable(it))
        Open(t, it.sub, POINT{it.rc.left, it.rc.bottom + 1}, nullptr, index, selectFirst);
}

void Choose(Tracker& t, const Item& it)
{
    if (!Selectable(it) || it.sub)
        return;
    t.result = it.id;
    t.done = true;
}

// Where a screen point falls: a popup level and item, or a menu bar item.
struct Hit {
    int level = -1;
    int item = -1;
    int bar = -1;
};

Hit HitTestAll(Tracker& t, POINT pt)
{
    Hit h;
    for (int k = (int)t.levels.size() - 1; k >= 0; --k) {
        RECT win;
        if (!GetWindowRect(t.levels[k].wnd, &win) || !PtInRect(&win, pt))
            continue;
        h.level = k;
        POINT c = pt;
        ScreenToClient(t.levels[k].wnd, &c);
        for (size_t i = 0; i < t.levels[k].items.size(); ++i)
            if (PtInRect(&t.levels[k].items[i].rc, c))
                h.item = (int)i;
        return h;
    }
    for (size_t i = 0; i < t.barItems.size(); ++i)
        if (PtInRect(&t.barItems[i].rc, pt))
            h.bar = (int)i;
    return h;
}

void OnMouse(Tracker& t, const MSG& msg)
{
    Hit h = HitTestAll(t, msg.pt);
    switch (msg.message) {
    case WM_MOUSEMOVE:
        if (h.level >= 0) {
            Level& l = t.levels[h.level];
            if (h.item >= 0 && h.item != l.selected) {
                Select(t, h.level, Selectable(l.items[h.item]) ? h.item : -1);
                OpenSub(t, h.level, false);
            } else if (h.item < 0 && t.levels.size() == (size_t)h.level + 1) {
                Select(t, h.level, -1);
            }
        } else if (h.bar >= 0 && h.bar != t.barSel && !t.levels.empty()) {
            OpenBarItem(t, h.bar, false);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (h.bar >= 0) {
            if (h.bar == t.barSel && !t.levels.empty())
                t.done = true; // a second click on the open title closes the menu
            else
                OpenBarItem(t, h.bar, false);
        } else if (h.level < 0) {
            t.done = true; // a click elsewhere closes the menu
            // A second click on the icon that opened the window menu, soon enough, is a double click: it closes
            // the window.
            if (t.system && t.byMouse && msg.time - t.openedAt <= GetDoubleClickTime() &&
                msg.message != WM_RBUTTONDOWN && msg.message != WM_RBUTTONDBLCLK &&
                SendMessageW(t.owner, WM_NCHITTEST, 0, MAKELPARAM(msg.pt.x, msg.pt.y)) == HTSYSMENU)
                t.result = SC_CLOSE;
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (msg.message == WM_RBUTTONUP && !t.bar && !(t.flags & TPM_RIGHTBUTTON))
            break;
        if (h.level >= 0 && h.item >= 0) {
            Level& l = t.levels[h.level];
            if (l.items[h.item].sub) {
                Select(t, h.level, h.item);
                OpenSub(t, h.level, false);
            } else {
                Choose(t, l.items[h.item]);
            }
        }
        break;
    }
}

void MoveAlongBar(Tracker& t, int dir)
{
    int n = (int)t.barItems.size();
    if (n == 0)
        return;
    int next = ((t.barSel < 0 ? 0 : t.barSel) + dir + n) % n;
    if (t.levels.empty())
        SetBarHot(t, next);
    else
        OpenBarItem(t, next, true);
}

void OnKey(Tracker& t, UINT vk)
{
    t.keyboard = true;
    Level* deepest = t.levels.empty() ? nullptr : &t.levels.back();
    size_t k = t.levels.empty() ? 0 : t.levels.size() - 1;
    switch (vk) {
    case VK_ESCAPE:
        if (t.levels.size() > 1 || (t.levels.size() == 1 && t.bar))
            CloseFrom(t, k); // back one level; from the bar's popup, back to the bar
        else
            t.done = true;
        break;
    case VK_MENU:
    case VK_F10:
        t.done = true;
        break;
    case VK_UP:
    case VK_DOWN:
        if (deepest) {
            Select(t, k, Step(*deepest, vk == VK_DOWN ? 1 : -1));
        } else if (t.bar) {
            OpenBarItem(t, t.barSel, true);
        }
        break;
    case VK_RIGHT:
        if (deepest && deepest->selected >= 0 && deepest->items[deepest->selected].sub)
            OpenSub(t, k, true);
        else if (t.bar)
            MoveAlongBar(t, 1);
        break;
    case VK_LEFT:
        if (t.levels.size() > 1)
            CloseFrom(t, k);
        else if (t.bar)
            MoveAlongBar(t, -1);
        break;
    case VK_RETURN:
        if (deepest && deepest->selected >= 0) {
            if (deepest->items[deepest->selected].sub)
                OpenSub(t, k, true);
            else
                Choose(t, deepest->items[deepest->selected]);
        } else if (!deepest && t.bar) {
            OpenBarItem(t, t.barSel, true);
        }
        break;
    }
}

void OnChar(Tracker& t, char16_t ch)
{
    ch = (char16_t)std::towlower((wint_t)ch);
    if (t.levels.empty()) {
        for (size_t i = 0; i < t.barItems.size(); ++i)
            if (Mnemonic(t.barItems[i].text) == ch && Selectable(t.barItems[i])) {
                OpenBarItem(t, (int)i, true);
                return;
            }
        return;
    }
    size_t k = t.levels.size() - 1;
    Level& l = t.levels[k];
    std::vector<int> matches;
    for (size_t i = 0; i < l.items.size(); ++i)
        if (Selectable(l.items[i]) && Mnemonic(l.items[i].text) == ch)
            matches.push_back((int)i);
    if (matches.empty())
        return;
    if (matches.size() > 1) {
        // Several items share the letter: each press moves to the next of them.
        auto next = std::upper_bound(matches.begin(), matches.end(), l.selected);
        Select(t, k, next == matches.end() ? matches.front() : *next);
        return;
    }
    Select(t, k, matches.front());
    if (l.items[matches.front()].sub)
        OpenSub(t, k, true);
    else
        Choose(t, l.items[matches.front()]);
}

// The loop shared by popup menus and the menu bar. Mouse and key messages are the menu's while it
// runs; everything else is dispatched as usual.
void RunLoop(Tracker& t)
{
    Tracker* outer = t_tracker;
    t_tracker = &t;
    SetCapture(t.grab);
    MSG msg;
    while (!t.done && GetMessageW(&msg, nullptr, 0, 0)) {
        if (CallMsgFilterW(&msg, MSGF_MENU))
            continue;
        bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
        bool ncmouse = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK;
        if (mouse || ncmouse) {
            MSG m = msg;
            if (ncmouse)
                m.message = msg.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
            OnMouse(t, m);
            continue;
        }
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
            TranslateMessage(&msg); // mnemonics arrive as characters
            OnKey(t, (UINT)msg.wParam);
            continue;
        }
        if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
            OnChar(t, (char16_t)msg.wParam);
            continue;
        }
        if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (GetCapture() != t.grab && !t.done)
            t.done = true; // someone took the capture: the menu gives up, as on Windows
    }
    if (msg.message == WM_QUIT && !t.done)
        PostQuitMessage((int)msg.wParam); // the quit is for the loop outside the menu
    CloseFrom(t, 0);
    if (GetCapture() == t.grab)
        ReleaseCapture();
    DestroyWindow(t.grab);
    t_tracker = outer;
}

HWND MakeGrab(HWND owner)
{
    return CreateWindowExW(WS_EX_TOOLWINDOW, u"#MenuTracker", u"", WS_POPUP, 0, 0, 0, 0, owner, nullptr, nullptr,
                           nullptr);
}

} // namespace

std::vector<RECT> MenuBarItemRects(HWND hwnd, HMENU bar, RECT band)
{
    std::vector<RECT> rects;
    auto items = ReadItems(bar);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    int x = band.left;
    for (auto& it : items) {
        int w = TextWidth(dc, it.text) + 2 * kBarItemPad;
        rects.push_back(RECT{x, band.top, x + w, band.bottom});
        x += w;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return rects;
}

void DrawMenuBarItems(HWND hwnd, HDC hdc, RECT band)
{
    HMENU bar = GetMenu(hwnd);
    if (!bar)
        return;
    int hot;
    {
        Guard lk(Lock());
        hot = g_barWindow == hwnd ? g_barHot : -1;
    }
    auto items = ReadItems(bar);
    auto rects = MenuBarItemRects(hwnd, bar, band);
    HGDIOBJ oldFont = SelectObject(hdc, MenuFont());
    int oldMode = SetBkMode(hdc, TRANSPARENT);
    COLORREF oldColour = GetTextColor(hdc);
    for (size_t i = 0; i < items.size() && i < rects.size(); ++i) {
        bool grey = items[i].state & (MF_GRAYED | MF_DISABLED);
        if ((int)i == hot)
            FillRect(hdc, &rects[i], GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(hdc, GetSysColor(grey ? COLOR_GRAYTEXT : (int)i == hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        DrawTextW(hdc, items[i].text.c_str(), (int)items[i].text.size(), &rects[i],
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    SetTextColor(hdc, oldColour);
    SetBkMode(hdc, oldMode);
    SelectObject(hdc, oldFont);
}

void TrackMenuBar(HWND hwnd, int item, UINT ch)
{
    HMENU bar = GetMenu(hwnd);
    RECT band = MenuBarScreenRect(hwnd);
    if (!bar || IsRectEmpty(&band) || t_tracker)
        return;
    RegisterClasses();
    Tracker t;
    t.owner = hwnd;
    t.bar = bar;
    t.keyboard = item < 0;
    t.barItems = ReadItems(bar);
    auto rects = MenuBarItemRects(hwnd, bar, band);
    for (size_t i = 0; i < t.barItems.size() && i < rects.size(); ++i)
        t.barItems[i].rc = rects[i];
    if (t.barItems.empty())
        return;
    if (ch) {
        // Alt with a letter opens the title with that mnemonic, or nothing at all.
        char16_t lower = (char16_t)std::towlower((wint_t)ch);
        item = -1;
        for (size_t i = 0; i < t.barItems.size() && item < 0; ++i)
            if (Mnemonic(t.barItems[i].text) == lower && Selectable(t.barItems[i]))
                item = (int)i;
        if (item < 0) {
            MessageBeep(0);
            return;
        }
    }
    t.grab = MakeGrab(hwnd);
    if (!t.grab)
        return;
    SendMessageW(hwnd, WM_ENTERMENULOOP, FALSE, 0);
    SendMessageW(hwnd, WM_INITMENU, (WPARAM)bar, 0);
    if (item >= 0)
        OpenBarItem(t, item, ch != 0);
    else
        SetBarHot(t, 0);
    RunLoop(t);
    SetBarHot(t, -1);
    SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessageW(hwnd, WM_EXITMENULOOP, FALSE, 0);
    if (t.result)
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(t.result, 0), 0);
}

void TrackSystemMenu(HWND hwnd, POINT at, bool byKeyboard)
{
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu || t_tracker)
        return;
    // Each command is offered only where it applies to the window as it is now.
    DWORD style = (DWORD)GetWindowLongW(hwnd, GWL_STYLE);
    bool zoomed = style & WS_MAXIMIZE, iconic = style & WS_MINIMIZE;
    auto enable = [&](UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(SC_RESTORE, zoomed || iconic);
    enable(SC_MOVE, !zoomed);
    enable(SC_SIZE, (style & WS_THICKFRAME) && !zoomed && !iconic);
    enable(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !iconic);
    enable(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !zoomed);
    RegisterClasses();
    Tracker t;
    t.owner = hwnd;
    t.system = true;
    t.keyboard = byKeyboard;
    t.byMouse = !byKeyboard;
    t.openedAt = (DWORD)GetMessageTime();
    t.grab = MakeGrab(hwnd);
    if (!t.grab)
        return;
    SendMessageW(hwnd, WM_ENTERMENULOOP, FALSE, 0);
    SendMessageW(hwnd, WM_INITMENU, (WPARAM)menu, 0);
    if (Open(t, menu, at, nullptr, 0, byKeyboard)) {
        NotifyModal(t.levels.front().wnd);
        RunLoop(t);
    } else {
        DestroyWindow(t.grab);
    }
    SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessageW(hwnd, WM_EXITMENULOOP, FALSE, 0);
    if (t.result) {
        POINT pt{};
        if (!byKeyboard)
            GetCursorPos(&pt);
        PostMessageW(hwnd, WM_SYSCOMMAND, t.result, byKeyboard ? 0 : MAKELPARAM(pt.x, pt.y));
    }
}

} // namespace user

using namespace user;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND hwnd, LPTPMPARAMS params)
{
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (t_tracker) {
        SetLastError(1401 /* a menu is already being tracked */);
        return FALSE;
    }
    RegisterClasses();
    Tracker t;
    t.owner = hwnd;
    t.flags = flags;
    t.notify = !(flags & TPM_NONOTIFY);
    t.grab = MakeGrab(hwnd);
    if (!t.grab)
        return FALSE;
    if (t.notify)
        SendMessageW(hwnd, WM_ENTERMENULOOP, TRUE, 0);
    // The alignment needs the popup's size, which is known once its items are measured.
    SIZE client;
    LayoutPopup(menu, &client);
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME);
    int cx = Width(frame), cy = Height(frame);
    if (flags & TPM_RIGHTALIGN)
        x -= cx;
    else if (flags & TPM_CENTERALIGN)
        x -= cx / 2;
    if (flags & TPM_BOTTOMALIGN)
        y -= cy;
    else if (flags & TPM_VCENTERALIGN)
        y -= cy / 2;
    bool opened = Open(t, menu, POINT{x, y}, nullptr, 0, false);
    if (opened) {
        NotifyModal(t.levels.front().wnd);
        RunLoop(t);
    } else {
        DestroyWindow(t.grab);
    }
    if (t.notify) {
        SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        SendMessageW(hwnd, WM_EXITMENULOOP, TRUE, 0);
    }
    if (!opened)
        return FALSE;
    if (flags & TPM_RETURNCMD)
        return (BOOL)t.result;
    if (t.result)
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(t.result, 0), 0);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND hwnd, const RECT* rect)
{
    return TrackPopupMenuEx(menu, flags, x, y, hwnd, nullptr);
}

BOOL EndMenu()
{
    Tracker* t = t_tracker;
    if (!t)
        return FALSE;
    t->done = true;
    PostMessageW(t->grab, WM_NULL, 0, 0); // wake the loop
    return TRUE;
}
