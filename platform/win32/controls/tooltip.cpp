// The tooltips_class32 window class: tip windows for tools, fed with the mouse messages their owners relay.
#include "win32/controls/control_util.h"
#include "win32/resources.h"

#include <algorithm>

namespace controls {

namespace {

const UINT_PTR kInitialTimer = 1;
const UINT_PTR kAutoPopTimer = 2;
const int kOffsetBelowCursor = 21;
const int kPadding = 2;        // between the border and the text
const int kBalloonPadding = 8; // balloons are roomier

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    HINSTANCE hinst = nullptr;
    std::u16string text;
    bool callback = false;
    LPARAM lParam = 0;
};

struct ToolKey {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    bool valid = false;
    bool operator==(const ToolKey& o) const { return valid == o.valid && hwnd == o.hwnd && id == o.id; }
};

struct ToolTip {
    std::vector<Tool> tools;
    bool active = true;
    ToolKey shown, pending, pressed;
    POINT cursor{}; // screen position of the last relayed message
    UINT initial = 0, autoPop = 0, reshow = 0;
    DWORD lastChange = 0;
    bool changedOnce = false;
    int maxWidth = -1;
    RECT margin{};
    COLORREF back = CLR_DEFAULT, fore = CLR_DEFAULT;
    std::u16string title;
    WPARAM titleIcon = TTI_NONE;
    HFONT font = nullptr;
    HFONT titleFont = nullptr; // bold form of the font, made when first needed
    std::u16string shownText;
};

ToolKey KeyOf(const Tool& t)
{
    return ToolKey{t.hwnd, t.id, true};
}

Tool* FindTool(ToolTip* tt, const ToolKey& k)
{
    if (!k.valid)
        return nullptr;
    for (Tool& t : tt->tools)
        if (t.hwnd == k.hwnd && t.id == k.id)
            return &t;
    return nullptr;
}

void DefaultDelays(ToolTip* tt, UINT initial)
{
    tt->initial = initial;
    tt->autoPop = initial * 10;
    tt->reshow = initial / 5;
}

// A tool's text as given: a string, a string resource of its instance, or a request for a callback.
void SetToolText(Tool& t, HINSTANCE hinst, LPCWSTR text)
{
    t.callback = text == LPSTR_TEXTCALLBACKW;
    t.text.clear();
    if (t.callback || !text)
        return;
    if (IS_INTRESOURCE(text)) {
        WCHAR buf[512];
        int n = hinst ? LoadStringW(hinst, (UINT)(ULONG_PTR)text, buf, 512) : 0;
        t.text.assign(buf, (size_t)std::max(n, 0));
        return;
    }
    t.text = text;
}

bool ValidRecord(LPARAM lParam)
{
    auto* ti = (const TTTOOLINFOW*)lParam;
    return ti && ti->cbSize >= TTTOOLINFOW_V1_SIZE;
}

std::u16string StripPrefixes(const std::u16string& s)
{
    std::u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size() && s[i + 1] == u'&')
                out += u'&';
            ++i;
            if (i < s.size() && s[i] != u'&')
                out += s[i];
            continue;
        }
        out += s[i];
    }
    return out;
}

std::u16string TextOf(HWND hwnd, Tool& t)
{
    if (!t.callback)
        return t.text;
    NMTTDISPINFOW di{};
    di.hdr.hwndFrom = hwnd;
    di.hdr.idFrom = t.id;
    di.hdr.code = TTN_GETDISPINFOW;
    di.lpszText = di.szText;
    di.hinst = nullptr;
    di.uFlags = t.flags;
    di.lParam = t.lParam;
    if (t.hwnd)
        SendMessageW(t.hwnd, WM_NOTIFY, (WPARAM)t.id, (LPARAM)&di);
    std::u16string text;
    if (di.lpszText && di.lpszText != LPSTR_TEXTCALLBACKW) {
        if (IS_INTRESOURCE(di.lpszText)) {
            WCHAR buf[512];
            int n = di.hinst ? LoadStringW(di.hinst, (UINT)(ULONG_PTR)di.lpszText, buf, 512) : 0;
            text.assign(buf, (size_t)std::max(n, 0));
        } else if (di.lpszText == di.szText) {
            // The answer may fill the whole buffer without a terminator; it ends there.
            size_t n = 0;
            while (n < 80 && di.szText[n])
                ++n;
            text.assign(di.szText, n);
        } else {
            text = di.lpszText;
        }
    }
    if (di.uFlags & TTF_DI_SETITEM) {
        t.text = text;
        t.callback = false;
    }
    return text;
}

HFONT FontOf(ToolTip* tt)
{
    return tt->font ? tt->font : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

int Padding(HWND hwnd)
{
    return (StyleOf(hwnd) & TTS_BALLOON) ? kBalloonPadding : kPadding;
}

UINT TextFormat(ToolTip* tt)
{
    return DT_NOPREFIX | DT_EXPANDTABS | (tt->maxWidth >= 0 ? DT_WORDBREAK : 0);
}

HICON TitleIcon(ToolTip* tt)
{
    switch (tt->titleIcon) {
    case TTI_NONE: return nullptr;
    case TTI_INFO: return LoadIconW(nullptr, IDI_INFORMATION);
    case TTI_WARNING: return LoadIconW(nullptr, IDI_WARNING);
    case TTI_ERROR: return LoadIconW(nullptr, IDI_ERROR);
    default: return (HICON)tt->titleIcon;
    }
}

HFONT TitleFont(ToolTip* tt)
{
    if (!tt->titleFont) {
        LOGFONTW lf{};
        GetObjectW(FontOf(tt), sizeof lf, &lf);
        lf.lfWeight = FW_BOLD;
        tt->titleFont = CreateFontIndirectW(&lf);
    }
    return tt->titleFont ? tt->titleFont : FontOf(tt);
}

// The title line: a small icon and the title in bold. Measures it, and draws it at `at` when asked.
SIZE TitleLine(HDC dc, ToolTip* tt, POINT at, bool draw)
{
    if (tt->title.empty())
        return SIZE{0, 0};
    HICON icon = TitleIcon(tt);
    int iconSize = icon ? GetSystemMetrics(SM_CXSMICON) : 0;
    HGDIOBJ old = SelectObject(dc, TitleFont(tt));
    RECT t{0, 0, 0x7FFF, 0};
    DrawTextW(dc, tt->title.c_str(), (int)tt->title.size(), &t, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    int textX = at.x + (icon ? iconSize + 4 : 0);
    int h = std::max<int>(t.bottom, iconSize);
    if (draw) {
        if (icon)
            DrawIconEx(dc, at.x, at.y + (h - iconSize) / 2, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
        RECT r{textX, at.y, textX + t.right, at.y + h};
        DrawTextW(dc, tt->title.c_str(), (int)tt->title.size(), &r, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    }
    SelectObject(dc, old);
    return SIZE{textX - at.x + t.right, h};
}

// The window size for a text: the text, the title line above it, the margins, padding and border.
SIZE TipSize(HWND hwnd, ToolTip* tt, const std::u16string& text)
{
    HDC dc = GetDC(hwnd);
    if (!dc)
        return SIZE{0, 0};
    HGDIOBJ old = SelectObject(dc, FontOf(tt));
    RECT calc{0, 0, tt->maxWidth >= 0 ? tt->maxWidth : 0x7FFF, 0};
    DrawTextW(dc, text.c_str(), (int)text.size(), &calc, TextFormat(tt) | DT_CALCRECT);
    int w = calc.right, h = calc.bottom;
    if (!tt->title.empty()) {
        SIZE title = TitleLine(dc, tt, POINT{0, 0}, false);
        w = std::max<int>(w, title.cx);
        h += title.cy + 4;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    int pad = Padding(hwnd);
    w += 2 * (pad + 1) + tt->margin.left + tt->margin.right;
    h += 2 * (pad + 1) + tt->margin.top + tt->margin.bottom;
    return SIZE{w, h};
}

void Changed(ToolTip* tt)
{
    tt->lastChange = GetTickCount();
    tt->changedOnce = true;
}

void Hide(HWND hwnd, ToolTip* tt)
{
    KillTimer(hwnd, kAutoPopTimer);
    if (!tt->shown.valid)
        return;
    tt->shown = ToolKey{};
    ShowWindow(hwnd, SW_HIDE);
    Changed(tt);
}

void Show(HWND hwnd, ToolTip* tt, const ToolKey& key)
{
    Tool* t = FindTool(tt, key);
    if (!t)
        return;
    std::u16string text = TextOf(hwnd, *t);
    // The callback may have changed the tools; look the tool up again.
    t = FindTool(tt, key);
    if (!t || text.empty()) {
        Hide(hwnd, tt);
        return;
    }
    if (!(StyleOf(hwnd) & TTS_NOPREFIX))
        text = StripPrefixes(text);
    SIZE sz = TipSize(hwnd, tt, text);
    int x = tt->cursor.x, y = tt->cursor.y + kOffsetBelowCursor;
    if (t->flags & TTF_CENTERTIP) {
        RECT r = t->rect;
        if (t->flags & TTF_IDISHWND)
            GetWindowRect((HWND)t->id, &r);
        else
            MapWindowPoints(t->hwnd, nullptr, (POINT*)&r, 2);
        x = (r.left + r.right - sz.cx) / 2;
        y = r.bottom + 2;
    }
    // Kept on the screen.
    x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - (int)sz.cx));
    y = std::clamp(y, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - (int)sz.cy));
    tt->shownText = text;
    tt->shown = key;
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, sz.cx, sz.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd, nullptr, TRUE);
    Changed(tt);
    SetTimer(hwnd, kAutoPopTimer, tt->autoPop, nullptr);
}

// The tool under a screen point: a window tool covering the window there, or a rectangle of that window.
ToolKey ToolAt(HWND hwnd, ToolTip* tt, POINT screen)
{
    POINT pt = screen;
    HWND under = (HWND)SendMessageW(hwnd, TTM_WINDOWFROMPOINT, 0, (LPARAM)&pt);
    if (!under)
        return ToolKey{};
    for (const Tool& t : tt->tools) {
        if (t.flags & TTF_IDISHWND) {
            if ((HWND)t.id == under)
                return KeyOf(t);
            continue;
        }
        if (t.hwnd != under)
            continue;
        POINT c = screen;
        ScreenToClient(t.hwnd, &c);
        if (PtInRect(&t.rect, c))
            return KeyOf(t);
    }
    return ToolKey{};
}

bool OwnerActive(HWND hwnd, const ToolKey& k)
{
    if (StyleOf(hwnd) & TTS_ALWAYSTIP)
        return true;
    HWND w = k.hwnd;
    return w && GetAncestor(w, GA_ROOT) == GetActiveWindow();
}

bool IsMouseMessage(UINT m)
{
    return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

void Relay(HWND hwnd, ToolTip* tt, const MSG* m)
{
    if (!tt->active || !m || !IsMouseMessage(m->message))
        return;
    POINT screen{(short)LOWORD(m->lParam), (short)HIWORD(m->lParam)};
    if (m->message >= WM_MOUSEFIRST && m->message <= WM_MOUSELAST) {
        if (m->message == WM_MOUSEWHEEL || !m->hwnd)
            screen = m->pt;
        else
            ClientToScreen(m->hwnd, &screen);
    }
    tt->cursor = screen;
    ToolKey tool = ToolAt(hwnd, tt, screen);
    bool press = m->message == WM_LBUTTONDOWN || m->message == WM_RBUTTONDOWN || m->message == WM_MBUTTONDOWN ||
                 m->message == WM_NCLBUTTONDOWN || m->message == WM_NCRBUTTONDOWN ||
                 m->message == WM_LBUTTONDBLCLK || m->message == WM_RBUTTONDBLCLK;
    if (press) {
        // A click puts the tip away; it stays away until the pointer leaves that tool.
        tt->pressed = tool;
        tool = ToolKey{};
    } else if (tool == tt->pressed) {
        tool = ToolKey{};
    } else {
        tt->pressed = ToolKey{};
    }
    if (tool.valid && !OwnerActive(hwnd, tool))
        tool = ToolKey{};
    if (!(tool == tt->pending)) {
        KillTimer(hwnd, kInitialTimer);
        tt->pending = ToolKey{};
    }
    if (!tool.valid) {
        Hide(hwnd, tt);
        return;
    }
    if (tool == tt->shown)
        return;
    // Moving from one tip to the next, or coming back soon after one went, needs no new wait.
    bool recent = tt->shown.valid || (tt->changedOnce && GetTickCount() - tt->lastChange < tt->reshow);
    if (recent) {
        Show(hwnd, tt, tool);
        return;
    }
    if (!tt->pending.valid) {
        tt->pending = tool;
        SetTimer(hwnd, kInitialTimer, tt->initial, nullptr);
    }
}

void Draw(HWND hwnd, HDC dc, ToolTip* tt)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int saved = SaveDC(dc);
    HBRUSH back = CreateSolidBrush(tt->back == CLR_DEFAULT ? GetSysColor(COLOR_INFOBK) : tt->back);
    if (StyleOf(hwnd) & TTS_BALLOON) {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_3DFACE));
        SelectObject(dc, back);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 12, 12);
    } else {
        FillRect(dc, &rc, back);
        FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    DeleteObject(back);
    SelectObject(dc, FontOf(tt));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, tt->fore == CLR_DEFAULT ? GetSysColor(COLOR_INFOTEXT) : tt->fore);
    int pad = Padding(hwnd) + 1;
    RECT in{rc.left + pad + tt->margin.left, rc.top + pad + tt->margin.top, rc.right - pad - tt->margin.right,
            rc.bottom - pad - tt->margin.bottom};
    if (!tt->title.empty())
        in.top += TitleLine(dc, tt, POINT{in.left, in.top}, true).cy + 4;
    DrawTextW(dc, tt->shownText.c_str(), (int)tt->shownText.size(), &in, TextFormat(tt));
    RestoreDC(dc, saved);
}

LRESULT AddTool(ToolTip* tt, LPARAM lParam)
{
    if (!ValidRecord(lParam))
        return FALSE;
    auto* ti = (const TTTOOLINFOW*)lParam;
    Tool t;
    t.flags = ti->uFlags;
    t.hwnd = ti->hwnd;
    t.id = ti->uId;
    t.rect = ti->rect;
    t.hinst = ti->hinst;
    t.lParam = ti->cbSize >= offsetof(TTTOOLINFOW, lpReserved) ? ti->lParam : 0;
    SetToolText(t, ti->hinst, ti->lpszText);
    tt->tools.push_back(std::move(t));
    return TRUE;
}

LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ToolTip* tt = StateOf<ToolTip>(hwnd);
    if (!tt && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE: {
        if (!tt) {
            tt = CreateState<ToolTip>(hwnd);
            DefaultDelays(tt, GetDoubleClickTime());
        }
        // A tip is always a bare pop-up window, whatever frame styles the creator gave it.
        LONG_PTR st = GetWindowLongPtrW(hwnd, GWL_STYLE);
        st = (st & ~(LONG_PTR)(WS_CAPTION | WS_THICKFRAME | WS_CHILD | WS_SYSMENU | WS_VISIBLE)) | WS_POPUP;
        SetWindowLongPtrW(hwnd, GWL_STYLE, st);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY:
        if (tt->titleFont)
            DeleteObject(tt->titleFont);
        DestroyState<ToolTip>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_SETFONT:
        tt->font = (HFONT)wParam;
        if (tt->titleFont)
            DeleteObject(tt->titleFont);
        tt->titleFont = nullptr;
        return 0;
    case WM_GETFONT: return (LRESULT)tt->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, tt); });
        return 0;
    case WM_TIMER:
        if (wParam == kInitialTimer) {
            KillTimer(hwnd, kInitialTimer);
            ToolKey k = tt->pending;
            tt->pending = ToolKey{};
            // Shown only if the pointer is still over the same tool.
            if (k.valid && tt->active && ToolAt(hwnd, tt, tt->cursor) == k)
                Show(hwnd, tt, k);
        } else if (wParam == kAutoPopTimer) {
            Hide(hwnd, tt);
        }
        return 0;

    case TTM_ADDTOOLW: return AddTool(tt, lParam);
    case TTM_DELTOOLW: {
        if (!ValidRecord(lParam))
            return 0;
        auto* ti = (const TTTOOLINFOW*)lParam;
        for (size_t i = 0; i < tt->tools.size(); ++i) {
            if (tt->tools[i].hwnd != ti->hwnd || tt->tools[i].id != ti->uId)
                continue;
            ToolKey k = KeyOf(tt->tools[i]);
            if (tt->shown == k)
                Hide(hwnd, tt);
            if (tt->pending == k) {
                KillTimer(hwnd, kInitialTimer);
                tt->pending = ToolKey{};
            }
            if (tt->pressed == k)
                tt->pressed = ToolKey{};
            tt->tools.erase(tt->tools.begin() + (ptrdiff_t)i);
            break;
        }
        return 0;
    }
    case TTM_UPDATETIPTEXTW: {
        if (!ValidRecord(lParam))
            return 0;
        auto* ti = (const TTTOOLINFOW*)lParam;
        Tool* t = FindTool(tt, ToolKey{ti->hwnd, ti->uId, true});
        if (!t)
            return 0;
        if (ti->hinst)
            t->hinst = ti->hinst;
        SetToolText(*t, t->hinst, ti->lpszText);
        if (tt->shown == KeyOf(*t))
            Show(hwnd, tt, tt->shown);
        return 0;
    }
    case TTM_ACTIVATE:
        tt->active = wParam != 0;
        if (!tt->active) {
            KillTimer(hwnd, kInitialTimer);
            tt->pending = ToolKey{};
            Hide(hwnd, tt);
        }
        return 0;
    case TTM_RELAYEVENT: Relay(hwnd, tt, (const MSG*)lParam); return 0;
    case TTM_WINDOWFROMPOINT: return lParam ? (LRESULT)WindowFromPoint(*(const POINT*)lParam) : 0;
    case TTM_POP: Hide(hwnd, tt); return 0;
    case TTM_SETDELAYTIME: {
        int v = (short)LOWORD(lParam);
        switch (wParam) {
        case TTDT_AUTOMATIC: DefaultDelays(tt, v < 0 ? GetDoubleClickTime() : (UINT)v); break;
        case TTDT_INITIAL: tt->initial = v < 0 ? GetDoubleClickTime() : (UINT)v; break;
        case TTDT_AUTOPOP: tt->autoPop = v < 0 ? GetDoubleClickTime() * 10 : (UINT)v; break;
        case TTDT_RESHOW: tt->reshow = v < 0 ? GetDoubleClickTime() / 5 : (UINT)v; break;
        }
        return 0;
    }
    case TTM_SETMAXTIPWIDTH: {
        int old = tt->maxWidth;
        tt->maxWidth = (int)lParam;
        return old;
    }
    case TTM_SETMARGIN:
        if (lParam)
            tt->margin = *(const RECT*)lParam;
        return 0;
    case TTM_SETTIPBKCOLOR:
        tt->back = (COLORREF)wParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TTM_SETTIPTEXTCOLOR:
        tt->fore = (COLORREF)wParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TTM_SETTITLEW: {
        std::u16string title = lParam ? std::u16string((LPCWSTR)lParam) : std::u16string();
        tt->title = (StyleOf(hwnd) & TTS_NOPREFIX) ? title : StripPrefixes(title);
        tt->titleIcon = wParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo ToolTipClass()
{
    return {u"tooltips_class32", ToolTipProc, CS_DBLCLKS | CS_SAVEBITS, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
