// The plain popup menu window of TrackPopupMenu: a modal loop over one level of items.
#include "win32/user/internal.h"

#include <algorithm>

namespace user {

int MenuItemCountLocked(HMENU h);
bool MenuItemLocked(HMENU h, int pos, UINT* type, UINT* state, UINT* id, HMENU* sub, std::u16string* text);

namespace {

constexpr int kItemHeight = 19;
constexpr int kSeparatorHeight = 9;
constexpr int kWidth = 160;

struct Tracking {
    HMENU menu;
    int selected = -1;
    bool done = false;
    UINT result = 0;
};

struct Item {
    UINT type, state, id;
    HMENU sub;
    RECT rc;
};

std::vector<Item> Layout(HMENU menu)
{
    std::vector<Item> items;
    Guard lk(Lock());
    int n = MenuItemCountLocked(menu), y = 3;
    for (int i = 0; i < n; ++i) {
        Item it{};
        std::u16string text;
        MenuItemLocked(menu, i, &it.type, &it.state, &it.id, &it.sub, &text);
        int h = (it.type & MFT_SEPARATOR) ? kSeparatorHeight : kItemHeight;
        it.rc = RECT{3, y, kWidth - 3, y + h};
        y += h;
        items.push_back(it);
    }
    return items;
}

bool Selectable(const Item& it)
{
    return !(it.type & MFT_SEPARATOR) && !(it.state & (MF_GRAYED | MF_DISABLED));
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* t = (Tracking*)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_MENU));
        if (t) {
            auto items = Layout(t->menu);
            for (size_t i = 0; i < items.size(); ++i) {
                RECT rc = items[i].rc;
                if (items[i].type & MFT_SEPARATOR) {
                    RECT l{rc.left, (rc.top + rc.bottom) / 2 - 1, rc.right, (rc.top + rc.bottom) / 2};
                    FillRect(dc, &l, GetSysColorBrush(COLOR_3DSHADOW));
                    OffsetRect(&l, 0, 1);
                    FillRect(dc, &l, GetSysColorBrush(COLOR_3DHILIGHT));
                } else {
                    bool sel = (int)i == t->selected;
                    if (sel)
                        FillRect(dc, &rc, GetSysColorBrush(COLOR_HIGHLIGHT));
                    std::u16string text;
                    UINT type, state, id;
                    HMENU sub;
                    {
                        Guard lk(Lock());
                        MenuItemLocked(t->menu, (int)i, &type, &state, &id, &sub, &text);
                    }
                    bool grey = state & (MF_GRAYED | MF_DISABLED);
                    SetBkMode(dc, TRANSPARENT);
                    SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : sel ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
                    RECT tr = rc;
                    tr.left += 18;
                    auto tab = text.find(u'\t');
                    DrawTextW(dc, text.c_str(), (int)std::min(tab, text.size()), &tr, DT_SINGLELINE | DT_VCENTER);
                    if (tab != std::u16string::npos) {
                        tr.right -= 8;
                        DrawTextW(dc, text.c_str() + tab + 1, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
                    }
                }
            }
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int HitItem(const std::vector<Item>& items, POINT client)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (PtInRect(&items[i].rc, client))
            return (int)i;
    return -1;
}

int Step(const std::vector<Item>& items, int from, int dir)
{
    int n = (int)items.size();
    for (int k = 1; k <= n; ++k) {
        int i = ((from < 0 ? (dir > 0 ? -1 : 0) : from) + dir * k + n * 2) % n;
        if (Selectable(items[i]))
            return i;
    }
    return -1;
}

} // namespace

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
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.style = CS_SAVEBITS | CS_DBLCLKS;
        wc.lpfnWndProc = PopupProc;
        wc.lpszClassName = u"#PopupMenu";
        wc.hCursor = GetSystemCursor((UINT)(ULONG_PTR)IDC_ARROW);
        RegisterClassExW(&wc);
        registered = true;
    }
    bool notify = !(flags & TPM_NONOTIFY);
    if (notify) {
        SendMessageW(hwnd, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageW(hwnd, WM_INITMENUPOPUP, (WPARAM)menu, 0);
    }
    auto items = Layout(menu);
    int height = items.empty() ? 6 : items.back().rc.bottom + 3;
    if (flags & TPM_RIGHTALIGN)
        x -= kWidth;
    else if (flags & TPM_CENTERALIGN)
        x -= kWidth / 2;
    if (flags & TPM_BOTTOMALIGN)
        y -= height;
    else if (flags & TPM_VCENTERALIGN)
        y -= height / 2;
    RECT scr = ScreenRect();
    x = std::clamp<int>(x, 0, std::max<int>(0, scr.right - kWidth));
    y = std::clamp<int>(y, 0, std::max<int>(0, scr.bottom - height));
    Tracking t{menu};
    HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, u"#PopupMenu", u"",
                                 WS_POPUP | WS_BORDER, x, y, kWidth, height, hwnd, nullptr, nullptr, nullptr);
    if (!popup)
        return FALSE;
    SetWindowLongPtrW(popup, GWLP_USERDATA, (LONG_PTR)&t);
    SetWindowPos(popup, HWND_TOPMOST, x, y, kWidth, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    SetCapture(popup);
    NotifyModal(popup);
    MSG msg;
    while (!t.done && IsWindow(popup) && GetMessageW(&msg, nullptr, 0, 0)) {
        if (CallMsgFilterW(&msg, MSGF_MENU))
            continue;
        bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
        bool ncmouse = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK;
        if (mouse || ncmouse) {
            POINT c = msg.pt;
            ScreenToClient(popup, &c);
            RECT client;
            GetClientRect(popup, &client);
            bool inside = PtInRect(&client, c);
            int hit = inside ? HitItem(items, c) : -1;
            if (msg.message == WM_MOUSEMOVE && hit != t.selected) {
                t.selected = hit >= 0 && Selectable(items[hit]) ? hit : -1;
                if (notify && t.selected >= 0)
                    SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(items[t.selected].id, items[t.selected].state),
                                 (LPARAM)menu);
                InvalidateRect(popup, nullptr, FALSE);
            } else if (msg.message == WM_LBUTTONUP || (msg.message == WM_RBUTTONUP && (flags & TPM_RIGHTBUTTON))) {
                if (hit >= 0 && Selectable(items[hit]) && !items[hit].sub) {
                    t.result = items[hit].id;
                    t.done = true;
                }
            } else if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN) && !inside) {
                t.done = true; // a click elsewhere closes the menu
            }
            continue;
        }
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
            switch (msg.wParam) {
            case VK_ESCAPE:
            case VK_MENU:
            case VK_F10:
                t.done = true;
                break;
            case VK_UP:
            case VK_DOWN:
                t.selected = Step(items, t.selected, msg.wParam == VK_DOWN ? 1 : -1);
                InvalidateRect(popup, nullptr, FALSE);
                break;
            case VK_RETURN:
                if (t.selected >= 0 && !items[t.selected].sub) {
                    t.result = items[t.selected].id;
                    t.done = true;
                }
                break;
            }
            continue;
        }
        if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP || msg.message == WM_CHAR)
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (GetCapture() != popup && IsWindow(popup) && !t.done)
            t.done = true; // someone took the capture: the menu gives up, as on Windows
    }
    if (IsWindow(popup)) {
        if (GetCapture() == popup)
            ReleaseCapture();
        DestroyWindow(popup);
    }
    if (notify) {
        SendMessageW(hwnd, WM_UNINITMENUPOPUP, (WPARAM)menu, 0);
        SendMessageW(hwnd, WM_EXITMENULOOP, TRUE, 0);
    }
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
    HWND capture = GetCapture();
    if (capture && IsWindow(capture)) {
        WCHAR cls[32];
        GetClassNameW(capture, cls, 32);
        if (std::u16string(cls) == u"#PopupMenu") {
            ReleaseCapture();
            return TRUE;
        }
    }
    return FALSE;
}
