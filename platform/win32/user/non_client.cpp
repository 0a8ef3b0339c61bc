// Non-client areas in the classic look: frames, captions, scroll bars, hit testing, system commands.
#include "win32/controls/scrollbar.h"
#include "win32/resources.h"
#include "win32/user/internal.h"
#include "win32/user/scroll_info.h"

#include <algorithm>

namespace user {

namespace {

struct Frame {
    RECT window;  // screen
    RECT inner;   // inside the frame
    RECT caption; // empty without a caption
    RECT menu;
    RECT client;  // screen
    RECT vbar, hbar;
    DWORD style, exStyle;
    bool active;
    bool tool;
    bool icon; // the caption shows the window's icon, which opens the system menu
};

// The caption button held down with the mouse, drawn pushed while the pointer stays on it.
HWND g_pressedWindow = nullptr;
int g_pressedHit = HTNOWHERE;

Frame Measure(HWND hwnd)
{
    Frame f{};
    Window* w = Find(hwnd);
    if (!w)
        return f;
    POINT o = WindowOrigin(hwnd);
    f.window = RECT{o.x, o.y, o.x + Width(w->rcWindow), o.y + Height(w->rcWindow)};
    f.style = w->style;
    f.exStyle = w->exStyle;
    f.tool = (w->exStyle & WS_EX_TOOLWINDOW) != 0;
    f.active = w->frameActive;
    // A dialog frame shows an icon only when the window was given one.
    bool hasIcon = w->icons[0] || w->icons[1] || w->cls->icon || w->cls->iconSm;
    f.icon = !f.tool && (f.style & WS_SYSMENU) && (!(f.exStyle & WS_EX_DLGMODALFRAME) || hasIcon);
    int fx = 0, fy = 0;
    if (f.style & WS_THICKFRAME) {
        fx = GetSystemMetrics(SM_CXFRAME);
        fy = GetSystemMetrics(SM_CYFRAME);
    } else if ((f.exStyle & WS_EX_DLGMODALFRAME) || (f.style & WS_DLGFRAME)) {
        fx = GetSystemMetrics(SM_CXDLGFRAME);
        fy = GetSystemMetrics(SM_CYDLGFRAME);
    } else if (f.style & WS_BORDER) {
        fx = fy = 1;
    }
    f.inner = f.window;
    InflateRect(&f.inner, -fx, -fy);
    RECT r = f.inner;
    if ((f.style & WS_CAPTION) == WS_CAPTION) {
        int ch = f.tool ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
        f.caption = RECT{r.left, r.top, r.right, r.top + ch - 1};
        r.top += ch;
    }
    if (!(f.style & WS_CHILD) && w->menu) {
        f.menu = RECT{r.left, r.top, r.right, r.top + GetSystemMetrics(SM_CYMENU) - 1};
        r.top += GetSystemMetrics(SM_CYMENU);
    }
    POINT co = ClientOrigin(hwnd);
    f.client = RECT{co.x, co.y, co.x + Width(w->rcClient), co.y + Height(w->rcClient)};
    if (w->vbar.shown)
        f.vbar = RECT{f.client.right, f.client.top, f.client.right + GetSystemMetrics(SM_CXVSCROLL), f.client.bottom};
    if (w->hbar.shown)
        f.hbar = RECT{f.client.left, f.client.bottom, f.client.right, f.client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
    return f;
}

// Caption buttons from the right: close, then maximise and minimise.
RECT CaptionButton(const Frame& f, int which /* 0 close, 1 max, 2 min */)
{
    int bw = (f.tool ? GetSystemMetrics(SM_CXSMSIZE) : GetSystemMetrics(SM_CXSIZE)) - 2;
    int bh = Height(f.caption) - 4;
    int right = f.caption.right - 2;
    if (which >= 1)
        right -= bw + 2;
    if (which == 2)
        right -= bw;
    return RECT{right - bw, f.caption.top + 2, right, f.caption.top + 2 + bh};
}

bool HasMinMax(const Frame& f)
{
    return !f.tool && (f.style & WS_SYSMENU) && (f.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

int HitTestFrame(const Frame& f, POINT pt)
{
    if (!PtInRect(&f.window, pt))
        return HTNOWHERE;
    if (f.style & WS_MINIMIZE)
        return HTCAPTION;
    if (!PtInRect(&f.inner, pt)) {
        if (!(f.style & WS_THICKFRAME))
            return HTBORDER;
        int corner = GetSystemMetrics(SM_CXSIZE) + GetSystemMetrics(SM_CXFRAME);
        bool left = pt.x < f.inner.left, right = pt.x >= f.inner.right;
        bool top = pt.y < f.inner.top, bottom = pt.y >= f.inner.bottom;
        bool nearLeft = pt.x < f.window.left + corner, nearRight = pt.x >= f.window.right - corner;
        bool nearTop = pt.y < f.window.top + corner, nearBottom = pt.y >= f.window.bottom - corner;
        if (top)
            return nearLeft ? HTTOPLEFT : nearRight ? HTTOPRIGHT : HTTOP;
        if (bottom)
            return nearLeft ? HTBOTTOMLEFT : nearRight ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left)
            return nearTop ? HTTOPLEFT : nearBottom ? HTBOTTOMLEFT : HTLEFT;
        if (right)
            return nearTop ? HTTOPRIGHT : nearBottom ? HTBOTTOMRIGHT : HTRIGHT;
    }
    if (!IsRectEmpty(&f.caption) && pt.y < f.caption.bottom + 1) {
        if (f.style & WS_SYSMENU) {
            RECT close = CaptionButton(f, 0);
            if (PtInRect(&close, pt))
                return HTCLOSE;
            if (HasMinMax(f)) {
                RECT mx = CaptionButton(f, 1), mn = CaptionButton(f, 2);
                if (PtInRect(&mx, pt))
                    return HTMAXBUTTON;
                if (PtInRect(&mn, pt))
                    return HTMINBUTTON;
            }
            if (f.icon && pt.x < f.caption.left + GetSystemMetrics(SM_CXSMICON) + 2)
                return HTSYSMENU;
        }
        return HTCAPTION;
    }
    if (!IsRectEmpty(&f.menu) && pt.y < f.menu.bottom + 1)
        return HTMENU;
    if (PtInRect(&f.client, pt))
        return HTCLIENT;
    if (PtInRect(&f.vbar, pt))
        return HTVSCROLL;
    if (PtInRect(&f.hbar, pt))
        return HTHSCROLL;
    if (!IsRectEmpty(&f.vbar) && !IsRectEmpty(&f.hbar) && pt.x >= f.vbar.left && pt.y >= f.hbar.top)
        return (f.style & WS_THICKFRAME) && !(f.style & WS_CHILD) ? HTBOTTOMRIGHT : HTNOWHERE;
    return HTBORDER;
}

// ---- Drawing ----------------------------------------------------------------------------------

void Fill(HDC hdc, RECT r, int color)
{
    FillRect(hdc, &r, GetSysColorBrush(color));
}

// A classic two-line 3D edge, outer colours first.
void Edge(HDC hdc, RECT r, int outerTL, int outerBR, int innerTL, int innerBR)
{
    Fill(hdc, RECT{r.left, r.top, r.right - 1, r.top + 1}, outerTL);
    Fill(hdc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, outerTL);
    Fill(hdc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, outerBR);
    Fill(hdc, RECT{r.right - 1, r.top, r.right, r.bottom}, outerBR);
    if (innerTL < 0)
        return;
    InflateRect(&r, -1, -1);
    Fill(hdc, RECT{r.left, r.top, r.right - 1, r.top + 1}, innerTL);
    Fill(hdc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, innerTL);
    Fill(hdc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, innerBR);
    Fill(hdc, RECT{r.right - 1, r.top, r.right, r.bottom}, innerBR);
}

HFONT CaptionFont(bool small)
{
    static HFONT fonts[2];
    HFONT& f = fonts[small ? 1 : 0];
    if (!f) {
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfWeight = 700;
        lf.lfCharSet = 134; // GB2312_CHARSET
        const char16_t face[] = u"\u5b8b\u4f53";
        for (int i = 0; face[i]; ++i)
            lf.lfFaceName[i] = face[i];
        f = CreateFontIndirectW(&lf);
    }
    return f;
}

void RaisedBox(HDC hdc, RECT r)
{
    Fill(hdc, r, COLOR_3DFACE);
    Edge(hdc, r, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW);
}

// The caption's icon: the window's own small one, else its class's, else the large ones; a window without
// any shows the application's default, unless it has a dialog frame.
HICON CaptionIcon(HWND hwnd)
{
    if (HICON icon = (HICON)SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0))
        return icon;
    if (HICON icon = (HICON)GetClassLongPtrW(hwnd, GCLP_HICONSM))
        return icon;
    if (HICON icon = (HICON)SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0))
        return icon;
    if (HICON icon = (HICON)GetClassLongPtrW(hwnd, GCLP_HICON))
        return icon;
    if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME)
        return nullptr;
    return LoadIconW(nullptr, IDI_APPLICATION);
}

void DrawScrollBar(HDC hdc, RECT r, const ScrollBar& sb, bool vertical)
{
    if (IsRectEmpty(&r))
        return;
    Fill(hdc, r, COLOR_SCROLLBAR);
    int len = vertical ? Height(r) : Width(r);
    int arrow = vertical ? std::min<int>(GetSystemMetrics(SM_CYVSCROLL), len / 2)
                         : std::min<int>(GetSystemMetrics(SM_CXHSCROLL), len / 2);
    RECT a1 = vertical ? RECT{r.left, r.top, r.right, r.top + arrow} : RECT{r.left, r.top, r.left + arrow, r.bottom};
    RECT a2 = vertical ? RECT{r.left, r.bottom - arrow, r.right, r.bottom}
                       : RECT{r.right - arrow, r.top, r.right, r.bottom};
    RaisedBox(hdc, a1);
    RaisedBox(hdc, a2);
    // Arrow glyphs: small triangles pointing away from the track.
    int color = sb.disabled == ESB_DISABLE_BOTH ? COLOR_GRAYTEXT : COLOR_BTNTEXT;
    for (int which = 0; which < 2; ++which) {
        RECT a = which ? a2 : a1;
        int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2;
        for (int i = 0; i < 4; ++i) {
            int k = which ? 3 - i : i; // row k has 2k+1 pixels
            if (vertical)
                Fill(hdc, RECT{cx - k, cy - 2 + i, cx + k + 1, cy - 1 + i}, color);
            else
                Fill(hdc, RECT{cx - 2 + i, cy - k, cx - 1 + i, cy + k + 1}, color);
        }
    }
    int track = len - 2 * arrow;
    int range = sb.si.nMax - sb.si.nMin + 1;
    if (track <= 8 || range <= 0 || sb.disabled == ESB_DISABLE_BOTH)
        return;
    int thumb = sb.si.nPage ? std::max(8, (int)((long long)track * sb.si.nPage / range)) : 16;
    thumb = std::min(thumb, track);
    int span = range - std::max<int>(sb.si.nPage, 1);
    int pos = span > 0 ? (int)((long long)(track - thumb) * (sb.si.nPos - sb.si.nMin) / span) : 0;
    pos = std::clamp(pos, 0, track - thumb);
    RECT t = vertical ? RECT{r.left, r.top + arrow + pos, r.right, r.top + arrow + pos + thumb}
                      : RECT{r.left + arrow + pos, r.top, r.left + arrow + pos + thumb, r.bottom};
    RaisedBox(hdc, t);
}

void PaintFrame(HWND hwnd, HDC hdc /* window DC: origin at the window's top-left */)
{
    Frame f;
    ScrollBar vb, hb;
    HMENU sysMenu;
    int pressed;
    {
        Guard lk(Lock());
        f = Measure(hwnd);
        Window* w = Find(hwnd);
        if (!w)
            return;
        vb = w->vbar;
        hb = w->hbar;
        sysMenu = w->sysMenu;
        pressed = g_pressedWindow == hwnd ? g_pressedHit : HTNOWHERE;
    }
    auto local = [&](RECT r) {
        OffsetRect(&r, -f.window.left, -f.window.top);
        return r;
    };
    RECT win = local(f.window);
    if (f.style & WS_THICKFRAME) {
        Edge(hdc, win, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW);
        RECT in = win;
        InflateRect(&in, -2, -2);
        Edge(hdc, in, f.active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER,
             f.active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER, COLOR_3DFACE, COLOR_3DFACE);
    } else if ((f.exStyle & WS_EX_DLGMODALFRAME) || (f.style & WS_DLGFRAME)) {
        Edge(hdc, win, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW);
        RECT in = win;
        InflateRect(&in, -2, -2);
        Edge(hdc, in, COLOR_3DFACE, COLOR_3DFACE, -1, -1);
    } else if (f.style & WS_BORDER) {
        Edge(hdc, win, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, -1, -1);
    }
    if (!IsRectEmpty(&f.caption)) {
        RECT c = local(f.caption);
        COLORREF c1 = GetSysColor(f.active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
        COLORREF c2 = GetSysColor(f.active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
        TRIVERTEX v[2] = {{c.left, c.top, (USHORT)(GetRValue(c1) << 8), (USHORT)(GetGValue(c1) << 8),
                           (USHORT)(GetBValue(c1) << 8), 0},
                          {c.right, c.bottom, (USHORT)(GetRValue(c2) << 8), (USHORT)(GetGValue(c2) << 8),
                           (USHORT)(GetBValue(c2) << 8), 0}};
        GRADIENT_RECT g{0, 1};
        if (!GradientFill(hdc, v, 2, &g, 1, GRADIENT_FILL_RECT_H))
            FillRect(hdc, &c, GetSysColorBrush(f.active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        Fill(hdc, RECT{c.left, c.bottom, c.right, c.bottom + 1}, COLOR_3DFACE);
        RECT text = c;
        text.left += 2;
        if (f.icon) {
            int size = GetSystemMetrics(SM_CXSMICON);
            if (HICON icon = CaptionIcon(hwnd))
                DrawIconEx(hdc, c.left + 2, c.top + (Height(c) - size) / 2, icon, size, size, 0, nullptr, DI_NORMAL);
            text.left += size + 2;
        }
        if (f.style & WS_SYSMENU)
            text.right = local(CaptionButton(f, HasMinMax(f) ? 2 : 0)).left - 2;
        WCHAR title[256];
        int n = GetWindowTextW(hwnd, title, 256);
        if (n > 0) {
            HGDIOBJ oldFont = SelectObject(hdc, CaptionFont(f.tool));
            int oldMode = SetBkMode(hdc, TRANSPARENT);
            COLORREF oldColor =
                SetTextColor(hdc, GetSysColor(f.active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
            DrawTextW(hdc, title, n, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            SetTextColor(hdc, oldColor);
            SetBkMode(hdc, oldMode);
            SelectObject(hdc, oldFont);
        }
        if (f.style & WS_SYSMENU) {
            auto button = [&](int which, int hit, UINT glyph, bool disabled) {
                RECT b = local(CaptionButton(f, which));
                DrawFrameControl(hdc, &b, DFC_CAPTION,
                                 glyph | (disabled ? DFCS_INACTIVE : 0) | (pressed == hit ? DFCS_PUSHED : 0));
            };
            button(0, HTCLOSE, DFCS_CAPTIONCLOSE,
                   sysMenu && (GetMenuState(sysMenu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED));
            if (HasMinMax(f)) {
                // The button that would undo the window's state shows the restore glyph.
                button(1, HTMAXBUTTON, (f.style & WS_MAXIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX,
                       !(f.style & WS_MAXIMIZEBOX));
                button(2, HTMINBUTTON, (f.style & WS_MINIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN,
                       !(f.style & WS_MINIMIZEBOX));
            }
        }
    }
    if (!IsRectEmpty(&f.menu)) {
        RECT m = local(f.menu);
        Fill(hdc, RECT{m.left, m.top, m.right, m.bottom + 1}, COLOR_MENU);
        DrawMenuBarItems(hwnd, hdc, m);
    }
    RECT client = local(f.client);
    RECT edgeArea = client;
    if (!IsRectEmpty(&f.vbar))
        edgeArea.right = local(f.vbar).right;
    if (!IsRectEmpty(&f.hbar))
        edgeArea.bottom = local(f.hbar).bottom;
    if (f.exStyle & WS_EX_CLIENTEDGE) {
        RECT e = edgeArea;
        InflateRect(&e, GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));
        Edge(hdc, e, COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT);
    } else if (f.exStyle & WS_EX_STATICEDGE) {
        RECT e = edgeArea;
        InflateRect(&e, 1, 1);
        Edge(hdc, e, COLOR_3DSHADOW, COLOR_3DHILIGHT, -1, -1);
    }
    DrawScrollBar(hdc, local(f.vbar), vb, true);
    DrawScrollBar(hdc, local(f.hbar), hb, false);
    if (!IsRectEmpty(&f.vbar) && !IsRectEmpty(&f.hbar))
        Fill(hdc, RECT{local(f.vbar).left, local(f.hbar).top, local(f.vbar).right, local(f.hbar).bottom},
             COLOR_3DFACE);
}

// ---- Mouse loops ------------------------------------------------------------------------------

void MoveSizeLoop(HWND hwnd, UINT command, POINT start)
{
    UINT kind = command & 0xFFF0;
    int edge = (int)(command & 0x000F); // WMSZ_ code for sizing
    RECT orig;
    GetWindowRect(hwnd, &orig);
    // Chosen from the window menu or the keyboard, no button is held: the pointer takes hold of the caption
    // (or the lower right corner) and the arrow keys move it too; Enter or a click ends it.
    bool keyboard = edge == 0;
    if (keyboard) {
        if (kind == SC_SIZE)
            edge = 8;
        start = kind == SC_MOVE ? POINT{(orig.left + orig.right) / 2, orig.top + GetSystemMetrics(SM_CYCAPTION) / 2}
                                : POINT{orig.right - 1, orig.bottom - 1};
        SetCursorPos(start.x, start.y);
    }
    HWND parent = (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
    SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SetCapture(hwnd);
    MSG msg;
    POINT at = start;
    auto follow = [&](POINT pt) {
        LONG dx = pt.x - start.x, dy = pt.y - start.y;
        RECT r = orig;
        if (kind == SC_MOVE) {
            OffsetRect(&r, dx, dy);
        } else {
            // WMSZ_: 1 left, 2 right, 3 top, 4 top-left, 5 top-right, 6 bottom, 7 bottom-left, 8 bottom-right
            if (edge == 1 || edge == 4 || edge == 7)
                r.left += dx;
            if (edge == 2 || edge == 5 || edge == 8)
                r.right += dx;
            if (edge == 3 || edge == 4 || edge == 5)
                r.top += dy;
            if (edge == 6 || edge == 7 || edge == 8)
                r.bottom += dy;
        }
        SendMessageW(hwnd, kind == SC_MOVE ? WM_MOVING : WM_SIZING, (WPARAM)edge, (LPARAM)&r);
        POINT tl{r.left, r.top};
        if (parent)
            ScreenToClient(parent, &tl);
        SetWindowPos(hwnd, nullptr, tl.x, tl.y, Width(r), Height(r), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    while (GetCapture() == hwnd && GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            POINT tl{orig.left, orig.top};
            if (parent)
                ScreenToClient(parent, &tl);
            SetWindowPos(hwnd, nullptr, tl.x, tl.y, Width(orig), Height(orig), SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        if (msg.message == WM_LBUTTONUP || (keyboard && msg.message == WM_LBUTTONDOWN))
            break;
        if (keyboard && msg.message == WM_KEYDOWN) {
            if (msg.wParam == VK_RETURN)
                break;
            int step = 8;
            POINT next = at;
            switch (msg.wParam) {
            case VK_LEFT: next.x -= step; break;
            case VK_RIGHT: next.x += step; break;
            case VK_UP: next.y -= step; break;
            case VK_DOWN: next.y += step; break;
            }
            if (next.x != at.x || next.y != at.y) {
                at = next;
                SetCursorPos(at.x, at.y);
                follow(at);
            }
            continue;
        }
        if (msg.message != WM_MOUSEMOVE) {
            if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            continue;
        }
        at = msg.pt;
        follow(at);
    }
    if (GetCapture() == hwnd)
        ReleaseCapture();
    SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

void RepaintFrame(HWND hwnd)
{
    if (HDC hdc = GetWindowDC(hwnd)) {
        PaintFrame(hwnd, hdc);
        ReleaseDC(hwnd, hdc);
    }
}

// Presses a caption button: it looks pushed while the pointer stays on it, and its command runs when
// the button is released over it.
bool TrackButton(HWND hwnd, int hit)
{
    auto show = [&](bool pushed) {
        {
            Guard lk(Lock());
            g_pressedWindow = pushed ? hwnd : nullptr;
            g_pressedHit = pushed ? hit : HTNOWHERE;
        }
        if (IsWindow(hwnd))
            RepaintFrame(hwnd);
    };
    auto over = [&](POINT pt) {
        Frame f;
        {
            Guard lk(Lock());
            f = Measure(hwnd);
        }
        return HitTestFrame(f, pt) == hit;
    };
    SetCapture(hwnd);
    show(true);
    MSG msg;
    bool inside = true;
    while (GetCapture() == hwnd && GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_LBUTTONUP) {
            inside = over(msg.pt);
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            if (over(msg.pt) != inside) {
                inside = !inside;
                show(inside);
            }
            continue;
        }
        if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (GetCapture() == hwnd)
        ReleaseCapture();
    show(false);
    return inside && IsWindow(hwnd);
}

// Holding the mouse on an arrow or the page area repeats the action: first after a pause, so a
// click scrolls once, then steadily, for as long as the pointer stays on the part it pressed.
const UINT_PTR kScrollRepeatTimer = 0xFFF0;
const UINT kScrollFirstDelay = 250;
const UINT kScrollRepeatDelay = 50;

void TrackScrollBar(HWND hwnd, int bar, POINT pt)
{
    Frame f;
    ScrollBar sb;
    {
        Guard lk(Lock());
        f = Measure(hwnd);
        Window* w = Find(hwnd);
        if (!w)
            return;
        sb = bar == SB_VERT ? w->vbar : w->hbar;
    }
    bool vertical = bar == SB_VERT;
    RECT r = vertical ? f.vbar : f.hbar;
    int len = vertical ? Height(r) : Width(r);
    int arrow = std::min<int>(vertical ? GetSystemMetrics(SM_CYVSCROLL) : GetSystemMetrics(SM_CXHSCROLL), len / 2);
    int at = vertical ? pt.y - r.top : pt.x - r.left;
    UINT msgId = vertical ? WM_VSCROLL : WM_HSCROLL;
    int track = len - 2 * arrow;
    int range = 0, thumb = 0, span = 0, thumbPos = 0;
    // The thumb moves as the window scrolls, so the page areas are measured afresh each time.
    auto measure = [&](const SCROLLINFO& si) {
        range = si.nMax - si.nMin + 1;
        thumb = si.nPage ? std::max(8, (int)((long long)std::max(track, 1) * si.nPage / std::max(range, 1))) : 16;
        thumb = std::min(thumb, std::max(track, 0));
        span = range - std::max<int>(si.nPage, 1);
        thumbPos = span > 0 ? (int)((long long)(track - thumb) * (si.nPos - si.nMin) / span) : 0;
    };
    auto partAt = [&](int pos) {
        if (pos < arrow)
            return SB_LINEUP;
        if (pos >= len - arrow)
            return SB_LINEDOWN;
        if (pos < arrow + thumbPos)
            return SB_PAGEUP;
        if (pos >= arrow + thumbPos + thumb)
            return SB_PAGEDOWN;
        return SB_THUMBTRACK;
    };
    measure(sb.si);
    int code = partAt(at);
    if (code != SB_THUMBTRACK) {
        SendMessageW(hwnd, msgId, (WPARAM)code, 0);
        SetTimer(hwnd, kScrollRepeatTimer, kScrollFirstDelay, nullptr);
    }
    SetCapture(hwnd);
    MSG msg;
    int lastPos = sb.si.nPos;
    POINT cursor = pt;
    // The message carries only 16 bits of the position; the bar keeps all of it for SIF_TRACKPOS.
    auto setTrackPos = [&](int pos) {
        Guard lk(Lock());
        if (Window* w = Find(hwnd))
            (bar == SB_VERT ? w->vbar : w->hbar).si.nTrackPos = pos;
    };
    while (GetCapture() == hwnd && GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_LBUTTONUP)
            break;
        if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == kScrollRepeatTimer) {
            SCROLLINFO now{sizeof(now), SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(hwnd, bar, &now);
            measure(now);
            if (PtInRect(&r, cursor) && partAt(vertical ? cursor.y - r.top : cursor.x - r.left) == code)
                SendMessageW(hwnd, msgId, (WPARAM)code, 0);
            if (GetCapture() == hwnd)
                SetTimer(hwnd, kScrollRepeatTimer, kScrollRepeatDelay, nullptr);
            continue;
        }
        if (msg.message == WM_MOUSEMOVE)
            cursor = msg.pt;
        if (msg.message == WM_MOUSEMOVE && code == SB_THUMBTRACK && track > thumb && span > 0) {
            int now = vertical ? msg.pt.y - r.top : msg.pt.x - r.left;
            int offset = std::clamp(thumbPos + now - at, 0, track - thumb);
            lastPos = sb.si.nMin + (int)((long long)offset * span / (track - thumb));
            setTrackPos(lastPos);
            SendMessageW(hwnd, msgId, MAKEWPARAM(SB_THUMBTRACK, lastPos), 0);
            continue;
        }
        if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    KillTimer(hwnd, kScrollRepeatTimer);
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (code == SB_THUMBTRACK) {
        setTrackPos(lastPos);
        SendMessageW(hwnd, msgId, MAKEWPARAM(SB_THUMBPOSITION, lastPos), 0);
    }
    SendMessageW(hwnd, msgId, SB_ENDSCROLL, 0);
}

// Where the system menu opens: under the caption's icon.
POINT SystemMenuPoint(HWND hwnd)
{
    Guard lk(Lock());
    Frame f = Measure(hwnd);
    if (IsRectEmpty(&f.caption))
        return POINT{f.inner.left, f.inner.top};
    return POINT{f.caption.left, f.caption.bottom + 1};
}

ScrollBar* BarOf(Window* w, int bar)
{
    return bar == SB_HORZ ? &w->hbar : bar == SB_VERT ? &w->vbar : nullptr;
}

} // namespace

int HitTest(HWND hwnd, POINT screen)
{
    Guard lk(Lock());
    Frame f = Measure(hwnd);
    return HitTestFrame(f, screen);
}

void DrawNonClient(HWND hwnd, HDC hdc)
{
    PaintFrame(hwnd, hdc);
}

LRESULT DefNonClientMessages(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
    *handled = true;
    switch (msg) {
    case WM_NCCALCSIZE: {
        RECT* r = wParam ? &((NCCALCSIZE_PARAMS*)lParam)->rgrc[0] : (RECT*)lParam;
        if (!r)
            return 0;
        Guard lk(Lock());
        if (Window* w = Find(hwnd))
            CalcNonClient(w, r);
        return 0;
    }
    case WM_NCHITTEST:
        return HitTest(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT: {
        HDC hdc = GetWindowDC(hwnd);
        if (hdc) {
            PaintFrame(hwnd, hdc);
            ReleaseDC(hwnd, hdc);
        }
        return 0;
    }
    case WM_NCACTIVATE:
        // Only the frame changes colour; the client area is left as it is.
        {
            Guard lk(Lock());
            if (Window* w = Find(hwnd))
                w->frameActive = wParam != 0;
        }
        if (IsWindowVisible(hwnd)) {
            if (HDC hdc = GetWindowDC(hwnd)) {
                PaintFrame(hwnd, hdc);
                ReleaseDC(hwnd, hdc);
            }
        }
        return TRUE;
    case WM_NCLBUTTONDOWN: {
        int hit = (int)wParam;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        HWND root = GetAncestor(hwnd, GA_ROOT);
        if (hit == HTCAPTION) {
            if (root && root != GetActiveWindow())
                SetActiveWindow(root);
            if (!IsZoomed(hwnd))
                SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
        } else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
            static const BYTE wmsz[] = {1, 2, 3, 4, 5, 6, 7, 8};
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE + wmsz[hit - HTLEFT], lParam);
        } else if (hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON) {
            if (TrackButton(hwnd, hit)) {
                WPARAM cmd = hit == HTCLOSE ? SC_CLOSE : hit == HTMINBUTTON ? SC_MINIMIZE
                             : IsZoomed(hwnd)                             ? SC_RESTORE
                                                                          : SC_MAXIMIZE;
                SendMessageW(hwnd, WM_SYSCOMMAND, cmd, lParam);
            }
        } else if (hit == HTVSCROLL || hit == HTHSCROLL) {
            TrackScrollBar(hwnd, hit == HTVSCROLL ? SB_VERT : SB_HORZ, pt);
        } else if (hit == HTSYSMENU || hit == HTMENU) {
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU + hit, lParam);
        }
        return 0;
    }
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION && (GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX))
            SendMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        else if (wParam == HTSYSMENU)
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
        else if (wParam == HTMENU)
            // A click soon after one that opened the menu (and the menu closed since) comes as a
            // double click: it opens the menu again, as a single click does.
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU + HTMENU, lParam);
        else if (wParam == HTVSCROLL || wParam == HTHSCROLL)
            // A quick second click on the window's own scroll bar scrolls again.
            TrackScrollBar(hwnd, wParam == HTVSCROLL ? SB_VERT : SB_HORZ,
                           POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_NCRBUTTONUP:
        if (wParam == HTCAPTION || wParam == HTSYSMENU)
            SendMessageW(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, lParam);
        return 0;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK:
        return 0;
    case WM_SYSCOMMAND: {
        UINT cmd = (UINT)(wParam & 0xFFF0);
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (HasHooks(WH_CBT) && CallHooks(WH_CBT, HCBT_SYSCOMMAND, wParam, lParam))
            return 0;
        switch (cmd) {
        case SC_CLOSE: {
            HMENU sm;
            {
                Guard lk(Lock());
                Window* w = Find(hwnd);
                if (!w)
                    return 0;
                if (w->cls->style & CS_NOCLOSE)
                    return 0;
                sm = w->sysMenu;
            }
            // A greyed Close in the system menu disables closing by the caption and Alt+F4.
            if (sm && (GetMenuState(sm, SC_CLOSE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)))
                return 0;
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
            return 0;
        }
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
        case SC_MOVE:
        case SC_SIZE:
            // A drag with the mouse goes to the desktop's window manager when there is one.
            if (Presenter* p = (wParam & 0x0F) ? CurrentPresenter() : nullptr;
                p && GetAncestor(hwnd, GA_ROOT) == hwnd && p->MoveSizeByDesktop(hwnd, (UINT)wParam, pt))
                return 0;
            MoveSizeLoop(hwnd, (UINT)wParam, pt);
            return 0;
        case SC_KEYMENU:
            // Alt+Space opens the system menu; Alt alone or with a letter, the menu bar.
            if (lParam == u' ')
                TrackSystemMenu(hwnd, SystemMenuPoint(hwnd), true);
            else
                TrackMenuBar(hwnd, -1, (UINT)lParam);
            return 0;
        case SC_MOUSEMENU:
            if ((wParam & 0x000F) == HTSYSMENU) {
                TrackSystemMenu(hwnd, SystemMenuPoint(hwnd), false);
            } else if ((wParam & 0x000F) == HTMENU) {
                RECT band = MenuBarScreenRect(hwnd);
                auto items = MenuBarItemRects(hwnd, GetMenu(hwnd), band);
                for (size_t i = 0; i < items.size(); ++i)
                    if (PtInRect(&items[i], pt)) {
                        TrackMenuBar(hwnd, (int)i, 0);
                        break;
                    }
            }
            return 0;
        }
        return 0;
    }
    }
    *handled = false;
    return 0;
}

RECT MenuBarScreenRect(HWND hwnd)
{
    Guard lk(Lock());
    return Measure(hwnd).menu;
}

} // namespace user

using namespace user;

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO si, BOOL redraw)
{
    // A scroll bar control keeps its own state.
    if (bar == SB_CTL)
        return (int)SendMessageW(hwnd, SBM_SETSCROLLINFO, (WPARAM)redraw, (LPARAM)si);
    if (!si || (si->cbSize != sizeof(SCROLLINFO) && si->cbSize != sizeof(SCROLLINFO) - 4)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool showChange = false, show = false;
    int pos;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        ScrollBar* sb = w ? BarOf(w, bar) : nullptr;
        if (!sb) {
            SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        SCROLLINFO& s = sb->si;
        MergeScrollInfo(s, *si);
        pos = s.nPos;
        if (si->fMask & (SIF_RANGE | SIF_PAGE)) {
            bool needed = s.nMax > s.nMin && (s.nPage == 0 || (long long)s.nPage <= (long long)s.nMax - s.nMin);
            show = needed || (si->fMask & SIF_DISABLENOSCROLL);
            sb->disabled = (!needed && (si->fMask & SIF_DISABLENOSCROLL)) ? ESB_DISABLE_BOTH : 0;
            showChange = show != sb->shown;
        }
    }
    if (showChange) {
        ShowScrollBar(hwnd, bar, show);
    } else if (redraw) {
        // The bar lies in the frame: the client keeps what it shows, as a list that grows below its page does.
        const RECT none{0, 0, 0, 0};
        RedrawWindow(hwnd, &none, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    }
    return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO si)
{
    if (!si) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (bar == SB_CTL)
        return (BOOL)SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, (LPARAM)si);
    Guard lk(Lock());
    Window* w = Find(hwnd);
    ScrollBar* sb = w ? BarOf(w, bar) : nullptr;
    if (!sb) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (si->fMask & SIF_RANGE) {
        si->nMin = sb->si.nMin;
        si->nMax = sb->si.nMax;
    }
    if (si->fMask & SIF_PAGE)
        si->nPage = sb->si.nPage;
    if (si->fMask & SIF_POS)
        si->nPos = sb->si.nPos;
    if (si->fMask & SIF_TRACKPOS)
        si->nTrackPos = sb->si.nTrackPos;
    return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    int old = GetScrollPos(hwnd, bar);
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, pos, 0};
    if (!IsWindow(hwnd))
        return 0;
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar)
{
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    SCROLLINFO si{sizeof(si), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    if (!IsWindow(hwnd))
        return FALSE;
    SetScrollInfo(hwnd, bar, &si, redraw);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos)
{
    SCROLLINFO si{sizeof(si), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd, bar, &si))
        return FALSE;
    if (minPos)
        *minPos = si.nMin;
    if (maxPos)
        *maxPos = si.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    if (bar == SB_CTL) {
        if (!IsWindow(hwnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
        return TRUE;
    }
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (bar == SB_HORZ || bar == SB_BOTH) {
            w->hbar.shown = show;
            w->style = show ? (w->style | WS_HSCROLL) : (w->style & ~WS_HSCROLL);
        }
        if (bar == SB_VERT || bar == SB_BOTH) {
            w->vbar.shown = show;
            w->style = show ? (w->style | WS_VSCROLL) : (w->style & ~WS_VSCROLL);
        }
        if (bar == SB_CTL) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows)
{
    if (bar == SB_CTL) {
        if (!IsWindow(hwnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        return (BOOL)SendMessageW(hwnd, SBM_ENABLE_ARROWS, arrows, 0);
    }
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (bar == SB_HORZ || bar == SB_BOTH)
            w->hbar.disabled = arrows;
        if (bar == SB_VERT || bar == SB_BOTH)
            w->vbar.disabled = arrows;
    }
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    return TRUE;
}
