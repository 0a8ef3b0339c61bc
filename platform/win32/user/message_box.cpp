// The layer's own message box and the beep it records or plays.
#include "win32/sound/wave.h"
#include "win32/user/internal.h"

#include <algorithm>

namespace user {

namespace {

// A plain push button of the message box; the standard controls are a separate family, so the
// box does not depend on them.
LRESULT CALLBACK BoxButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_GETDLGCODE: {
        bool def = (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        return DLGC_BUTTON | (def ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    }
    case BM_SETSTYLE: {
        LONG s = GetWindowLongW(hwnd, GWL_STYLE);
        SetWindowLongW(hwnd, GWL_STYLE, (s & ~BS_TYPEMASK) | ((LONG)wParam & BS_TYPEMASK));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
    case WM_LBUTTONUP: {
        HWND parent = GetParent(hwnd);
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), (LPARAM)hwnd);
        return 0;
    }
    case WM_KEYUP:
        if (wParam == VK_SPACE)
            SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), (LPARAM)hwnd);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_3DFACE));
        bool def = (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        if (def) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&r, -1, -1);
        }
        WCHAR label[64];
        int n = GetWindowTextW(hwnd, label, 64);
        HGDIOBJ oldFont = SelectObject(dc, (HGDIOBJ)SendMessageW(GetParent(hwnd), WM_GETFONT, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT tr = r;
        DrawTextW(dc, label, n, &tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        if (oldFont)
            SelectObject(dc, oldFont);
        if (GetFocus() == hwnd) {
            RECT fr = r;
            InflateRect(&fr, -3, -3);
            DrawFocusRect(dc, &fr);
        }
        auto line = [&](RECT l, int color) { FillRect(dc, &l, GetSysColorBrush(color)); };
        line(RECT{r.left, r.top, r.right - 1, r.top + 1}, COLOR_3DHILIGHT);
        line(RECT{r.left, r.top, r.left + 1, r.bottom - 1}, COLOR_3DHILIGHT);
        line(RECT{r.left, r.bottom - 1, r.right, r.bottom}, COLOR_3DDKSHADOW);
        line(RECT{r.right - 1, r.top, r.right, r.bottom}, COLOR_3DDKSHADOW);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const char16_t kButtonClass[] = u"#MessageBoxButton";
const char16_t kTextClass[] = u"#MessageBoxText";

void RegisterButton()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = BoxButtonProc;
    wc.lpszClassName = kButtonClass;
    wc.hCursor = GetSystemCursor((UINT)(ULONG_PTR)IDC_ARROW);
    RegisterClassExW(&wc);
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg != WM_PAINT)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        WCHAR text[1024];
        int n = GetWindowTextW(hwnd, text, 1024);
        HGDIOBJ oldFont = SelectObject(dc, (HGDIOBJ)SendMessageW(GetParent(hwnd), WM_GETFONT, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, text, n, &r, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        if (oldFont)
            SelectObject(dc, oldFont);
        EndPaint(hwnd, &ps);
        return 0;
    };
    wc.lpszClassName = kTextClass;
    RegisterClassExW(&wc);
}

struct BoxData {
    UINT type;
    bool cancelAllowed;
};

// The system icon shown for an MB_ICON* type; null when the box has none.
HICON BoxIcon(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return GetSystemIcon((UINT)(ULONG_PTR)IDI_HAND);
    case MB_ICONQUESTION:
        return GetSystemIcon((UINT)(ULONG_PTR)IDI_QUESTION);
    case MB_ICONEXCLAMATION:
        return GetSystemIcon((UINT)(ULONG_PTR)IDI_EXCLAMATION);
    case MB_ICONASTERISK:
        return GetSystemIcon((UINT)(ULONG_PTR)IDI_ASTERISK);
    }
    return nullptr;
}

const int kMargin = 10;    // dialog units around the text and icon
const int kIconSpace = 30; // dialog units the icon takes left of the text

INT_PTR CALLBACK BoxProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dlg, DWLP_USER, lParam);
        // The default button starts with the focus, so Enter and Space both answer with it.
        DWORD def = (DWORD)SendMessageW(dlg, DM_GETDEFID, 0, 0);
        HWND button = HIWORD(def) == DC_HASDEFID ? GetDlgItem(dlg, LOWORD(def)) : nullptr;
        if (!button)
            return TRUE;
        SetFocus(button);
        return FALSE;
    }
    case WM_COMMAND: {
        auto* data = (BoxData*)GetWindowLongPtrW(dlg, DWLP_USER);
        int id = LOWORD(wParam);
        if (id == IDCANCEL && !GetDlgItem(dlg, IDCANCEL)) {
            // Escape and the close box answer only when the box has a way to cancel.
            if (!data || !data->cancelAllowed)
                return TRUE;
            id = GetDlgItem(dlg, IDOK) ? IDOK : IDCANCEL;
        }
        EndDialog(dlg, id);
        return TRUE;
    }
    case WM_PAINT: {
        auto* data = (BoxData*)GetWindowLongPtrW(dlg, DWLP_USER);
        HICON icon = data ? BoxIcon(data->type) : nullptr;
        if (!icon)
            return FALSE;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dlg, &ps);
        RECT at{kMargin, kMargin, 0, 0};
        MapDialogRect(dlg, &at);
        DrawIcon(dc, at.left, at.top, icon);
        EndPaint(dlg, &ps);
        return TRUE;
    }
    }
    return FALSE;
}

// Builds an in-memory dialog template for the box: caption, and the buttons in a row.
std::vector<WORD> BuildTemplate(LPCWSTR caption, const std::u16string& body, const std::vector<std::pair<int, std::u16string>>& buttons,
                                int defIndex, int textWidth, int textHeight, bool icon)
{
    std::vector<WORD> t;
    auto dword = [&](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto str = [&](const std::u16string& s) {
        for (char16_t c : s)
            t.push_back(c);
        t.push_back(0);
    };
    auto align = [&]() {
        if (t.size() % 2)
            t.push_back(0);
    };
    int bw = 50, bh = 14, gap = 6;
    int rowWidth = (int)buttons.size() * bw + ((int)buttons.size() - 1) * gap;
    int textX = kMargin + (icon ? kIconSpace : 0);
    int cx = std::max(rowWidth + 2 * kMargin, textX + textWidth + kMargin);
    int cy = textHeight + 20 + bh + 10;
    dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER);
    dword(WS_EX_TOPMOST);
    t.push_back((WORD)(buttons.size() + 1));
    t.push_back(0);
    t.push_back(0);
    t.push_back((WORD)cx);
    t.push_back((WORD)cy);
    t.push_back(0); // menu
    t.push_back(0); // class
    str(caption ? std::u16string(caption) : std::u16string(u"\u9519\u8bef"));
    // The message text, as id 0xFFFF like the system's own boxes, so drivers can read it.
    align();
    dword(WS_CHILD | WS_VISIBLE);
    dword(0);
    t.push_back((WORD)textX);
    t.push_back(kMargin);
    t.push_back((WORD)textWidth);
    t.push_back((WORD)textHeight);
    t.push_back(0xFFFF);
    str(kTextClass);
    str(body);
    t.push_back(0);
    int x = (cx - rowWidth) / 2;
    for (size_t i = 0; i < buttons.size(); ++i) {
        align();
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ((int)i == defIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (i == 0)
            style |= WS_GROUP;
        dword(style);
        dword(0);
        t.push_back((WORD)(x + (int)i * (bw + gap)));
        t.push_back((WORD)(cy - bh - 8));
        t.push_back((WORD)bw);
        t.push_back((WORD)bh);
        t.push_back((WORD)buttons[i].first);
        str(kButtonClass);
        str(buttons[i].second);
        t.push_back(0);
    }
    return t;
}

} // namespace

} // namespace user

using namespace user;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    RegisterButton();
    std::vector<std::pair<int, std::u16string>> buttons;
    const std::u16string ok = u"\u786e\u5b9a", cancel = u"\u53d6\u6d88", yes = u"\u662f(&Y)", no = u"\u5426(&N)";
    bool cancelAllowed = false;
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        buttons = {{IDOK, ok}};
        cancelAllowed = true;
        break;
    case MB_OKCANCEL:
        buttons = {{IDOK, ok}, {IDCANCEL, cancel}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{IDABORT, u"\u4e2d\u6b62(&A)"}, {IDRETRY, u"\u91cd\u8bd5(&R)"}, {IDIGNORE, u"\u5ffd\u7565(&I)"}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{IDYES, yes}, {IDNO, no}, {IDCANCEL, cancel}};
        break;
    case MB_YESNO:
        buttons = {{IDYES, yes}, {IDNO, no}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{IDRETRY, u"\u91cd\u8bd5(&R)"}, {IDCANCEL, cancel}};
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int def = (int)((type & MB_DEFMASK) >> 8);
    if (def >= (int)buttons.size())
        def = 0;
    std::u16string body = text ? std::u16string(text) : std::u16string();
    // Widths are counted in average characters; the ideographs and full-width forms of the program's texts
    // take two.
    auto wide = [](char16_t c) {
        return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
               (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
               (c >= 0xFFE0 && c <= 0xFFE6);
    };
    int lines = 1, longest = 0, cur = 0;
    for (char16_t c : body) {
        if (c == u'\n') {
            ++lines;
            cur = 0;
        } else {
            cur += wide(c) ? 2 : 1;
            longest = std::max(longest, cur);
        }
    }
    bool icon = BoxIcon(type) != nullptr;
    auto tmpl = BuildTemplate(caption, body, buttons, def, std::min(400, longest * 4), std::max(lines * 8, icon ? 20 : 8),
                              icon);
    if (type & MB_ICONMASK)
        MessageBeep(type & MB_ICONMASK);
    BoxData data{type, cancelAllowed};
    HWND ownerRoot = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    HWND dlg = CreateDialogIndirectParamW(nullptr, (LPCDLGTEMPLATEW)tmpl.data(), ownerRoot, BoxProc, (LPARAM)&data);
    if (!dlg)
        return 0;
    {
        Guard lk(Lock());
        if (Window* w = Find(dlg); w && w->dlg)
            w->dlg->modal = true;
    }
    if ((type & MB_TYPEMASK) == MB_YESNO || (type & MB_TYPEMASK) == MB_ABORTRETRYIGNORE)
        EnableMenuItem(GetSystemMenu(dlg, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    return (int)RunModal(dlg, ownerRoot);
}

BOOL MessageBeep(UINT type)
{
    if (Presenter* p = CurrentPresenter())
        return p->Beep(type) ? TRUE : FALSE;
    return sound::PlayBeep(type) ? TRUE : FALSE;
}
