// The SCROLLBAR window class: a stand-alone scroll bar that reports to its parent.
#include "win32/controls/control_util.h"
#include "win32/user/scroll_info.h"

#include <algorithm>

namespace controls {

namespace {

// Holding the mouse on an arrow or the page area repeats: first after a pause, then steadily.
const UINT_PTR kRepeatTimer = 1;
const UINT kFirstDelay = 250;
const UINT kRepeatDelay = 50;

struct ScrollBarState {
    SCROLLINFO si{sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0}; // a control's range starts empty
    UINT arrows = ESB_ENABLE_BOTH;
    HFONT font = nullptr;
    int trackCode = -1; // the part being pressed, -1 when not tracking
    int grabOffset = 0; // where on the thumb it was grabbed
    POINT cursor{};
    bool focused = false;
};

bool Vertical(HWND hwnd)
{
    return (StyleOf(hwnd) & SBS_VERT) != 0;
}

struct Geometry {
    int len = 0, arrow = 0, track = 0, thumb = 0, thumbPos = 0, span = 0;
};

Geometry Measure(HWND hwnd, const SCROLLINFO& si)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    bool v = Vertical(hwnd);
    Geometry g;
    g.len = v ? rc.bottom : rc.right;
    g.arrow = std::min<int>(v ? GetSystemMetrics(SM_CYVSCROLL) : GetSystemMetrics(SM_CXHSCROLL), g.len / 2);
    g.track = std::max(g.len - 2 * g.arrow, 0);
    long long range = (long long)si.nMax - si.nMin + 1;
    if (range <= 0)
        range = 1;
    g.thumb = si.nPage ? std::max(8, (int)((long long)g.track * si.nPage / range)) : 16;
    g.thumb = std::min(g.thumb, g.track);
    g.span = (int)std::max<long long>(range - std::max<long long>(si.nPage, 1), 0);
    g.thumbPos = g.span > 0 ? (int)((long long)(g.track - g.thumb) * (si.nPos - si.nMin) / g.span) : 0;
    g.thumbPos = std::clamp(g.thumbPos, 0, std::max(g.track - g.thumb, 0));
    return g;
}

bool HasThumb(HWND hwnd, const ScrollBarState* s, const Geometry& g)
{
    return g.track > 8 && g.span > 0 && s->arrows != ESB_DISABLE_BOTH && IsWindowEnabled(hwnd);
}

// The part of the bar under a client point: an SB_ code, or -1 outside.
int PartAt(HWND hwnd, const ScrollBarState* s, POINT pt)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (!PtInRect(&rc, pt))
        return -1;
    Geometry g = Measure(hwnd, s->si);
    int at = Vertical(hwnd) ? pt.y : pt.x;
    if (at < g.arrow)
        return SB_LINEUP;
    if (at >= g.len - g.arrow)
        return SB_LINEDOWN;
    if (!HasThumb(hwnd, s, g))
        return -1;
    if (at < g.arrow + g.thumbPos)
        return SB_PAGEUP;
    if (at >= g.arrow + g.thumbPos + g.thumb)
        return SB_PAGEDOWN;
    return SB_THUMBTRACK;
}

bool PartEnabled(HWND hwnd, const ScrollBarState* s, int code)
{
    if (!IsWindowEnabled(hwnd) || s->arrows == ESB_DISABLE_BOTH)
        return false;
    if (code == SB_LINEUP)
        return !(s->arrows & ESB_DISABLE_LTUP);
    if (code == SB_LINEDOWN)
        return !(s->arrows & ESB_DISABLE_RTDN);
    return true;
}

void Report(HWND hwnd, int code, int pos = 0)
{
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageW(parent, Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), (LPARAM)hwnd);
}

void Draw(HWND hwnd, HDC dc, ScrollBarState* s)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    bool v = Vertical(hwnd);
    HBRUSH br = ControlColor(hwnd, dc, WM_CTLCOLORSCROLLBAR);
    FillRect(dc, &rc, br ? br : GetSysColorBrush(COLOR_SCROLLBAR));
    Geometry g = Measure(hwnd, s->si);
    RECT a1 = v ? RECT{0, 0, rc.right, g.arrow} : RECT{0, 0, g.arrow, rc.bottom};
    RECT a2 = v ? RECT{0, g.len - g.arrow, rc.right, g.len} : RECT{g.len - g.arrow, 0, g.len, rc.bottom};
    UINT up = v ? DFCS_SCROLLUP : DFCS_SCROLLLEFT, down = v ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT;
    auto state = [&](int code) {
        return (PartEnabled(hwnd, s, code) ? 0 : DFCS_INACTIVE) | (s->trackCode == code ? DFCS_PUSHED | DFCS_FLAT : 0);
    };
    DrawFrameControl(dc, &a1, DFC_SCROLL, up | state(SB_LINEUP));
    DrawFrameControl(dc, &a2, DFC_SCROLL, down | state(SB_LINEDOWN));
    if (!HasThumb(hwnd, s, g))
        return;
    int from = g.arrow + g.thumbPos;
    // While the thumb is dragged it follows the cursor, not the position the parent has set.
    if (s->trackCode == SB_THUMBTRACK) {
        int at = v ? s->cursor.y : s->cursor.x;
        from = g.arrow + std::clamp(at - s->grabOffset, 0, g.track - g.thumb);
    }
    if (s->trackCode == SB_PAGEUP || s->trackCode == SB_PAGEDOWN) {
        RECT page = s->trackCode == SB_PAGEUP ? (v ? RECT{0, g.arrow, rc.right, from} : RECT{g.arrow, 0, from, rc.bottom})
                                               : (v ? RECT{0, from + g.thumb, rc.right, g.len - g.arrow}
                                                    : RECT{from + g.thumb, 0, g.len - g.arrow, rc.bottom});
        FillRect(dc, &page, GetSysColorBrush(COLOR_3DDKSHADOW));
    }
    RECT t = v ? RECT{0, from, rc.right, from + g.thumb} : RECT{from, 0, from + g.thumb, rc.bottom};
    FillRect(dc, &t, GetSysColorBrush(COLOR_3DFACE));
    DrawEdge(dc, &t, EDGE_RAISED, BF_RECT);
}

int SetInfo(HWND hwnd, ScrollBarState* s, const SCROLLINFO* in, bool redraw)
{
    SCROLLINFO& si = s->si;
    user::MergeScrollInfo(si, *in);
    if (in->fMask & (SIF_RANGE | SIF_PAGE)) {
        bool needed = si.nMax > si.nMin && (si.nPage == 0 || (long long)si.nPage <= (long long)si.nMax - si.nMin);
        if (in->fMask & SIF_DISABLENOSCROLL)
            s->arrows = needed ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH;
    }
    if (redraw)
        InvalidateRect(hwnd, nullptr, TRUE);
    return si.nPos;
}

void EndTracking(HWND hwnd, ScrollBarState* s)
{
    if (s->trackCode < 0)
        return;
    int code = s->trackCode;
    s->trackCode = -1;
    KillTimer(hwnd, kRepeatTimer);
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (code == SB_THUMBTRACK)
        Report(hwnd, SB_THUMBPOSITION, s->si.nTrackPos);
    Report(hwnd, SB_ENDSCROLL);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void ThumbMoved(HWND hwnd, ScrollBarState* s, POINT pt)
{
    Geometry g = Measure(hwnd, s->si);
    if (g.track <= g.thumb || g.span <= 0)
        return;
    int at = Vertical(hwnd) ? pt.y : pt.x;
    int offset = std::clamp(at - s->grabOffset, 0, g.track - g.thumb);
    int pos = s->si.nMin + (int)((long long)offset * g.span / (g.track - g.thumb));
    s->cursor = pt;
    InvalidateRect(hwnd, nullptr, TRUE);
    if (pos == s->si.nTrackPos)
        return;
    s->si.nTrackPos = pos;
    Report(hwnd, SB_THUMBTRACK, pos);
}

void ButtonDown(HWND hwnd, ScrollBarState* s, POINT pt)
{
    if (StyleOf(hwnd) & WS_TABSTOP)
        SetFocus(hwnd);
    int code = PartAt(hwnd, s, pt);
    if (code < 0 || !PartEnabled(hwnd, s, code))
        return;
    s->trackCode = code;
    s->cursor = pt;
    SetCapture(hwnd);
    if (code == SB_THUMBTRACK) {
        Geometry g = Measure(hwnd, s->si);
        s->grabOffset = (Vertical(hwnd) ? pt.y : pt.x) - g.thumbPos;
        s->si.nTrackPos = s->si.nPos;
    } else {
        Report(hwnd, code);
        SetTimer(hwnd, kRepeatTimer, kFirstDelay, nullptr);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Key(HWND hwnd, UINT vk)
{
    bool v = Vertical(hwnd);
    int code;
    switch (vk) {
    case VK_UP: code = v ? SB_LINEUP : -1; break;
    case VK_DOWN: code = v ? SB_LINEDOWN : -1; break;
    case VK_LEFT: code = v ? -1 : SB_LINELEFT; break;
    case VK_RIGHT: code = v ? -1 : SB_LINERIGHT; break;
    case VK_PRIOR: code = SB_PAGEUP; break;
    case VK_NEXT: code = SB_PAGEDOWN; break;
    case VK_HOME: code = SB_TOP; break;
    case VK_END: code = SB_BOTTOM; break;
    default: code = -1; break;
    }
    if (code < 0)
        return;
    Report(hwnd, code);
    Report(hwnd, SB_ENDSCROLL);
}

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ScrollBarState* s = StateOf<ScrollBarState>(hwnd);
    if (!s && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        if (!s)
            CreateState<ScrollBarState>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        DestroyState<ScrollBarState>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFONT: s->font = (HFONT)wParam; return 0;
    case WM_GETFONT: return (LRESULT)s->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, s); });
        return 0;
    case WM_ENABLE:
        if (!wParam)
            EndTracking(hwnd, s);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS: s->focused = true; return 0;
    case WM_KILLFOCUS: s->focused = false; return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: ButtonDown(hwnd, s, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)}); return 0;
    case WM_MOUSEMOVE:
        if (s->trackCode == SB_THUMBTRACK)
            ThumbMoved(hwnd, s, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
        else if (s->trackCode >= 0)
            s->cursor = POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        return 0;
    case WM_LBUTTONUP: EndTracking(hwnd, s); return 0;
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != hwnd)
            EndTracking(hwnd, s);
        return 0;
    case WM_TIMER:
        if (wParam == kRepeatTimer && s->trackCode >= 0 && s->trackCode != SB_THUMBTRACK) {
            // Repeat only while the pointer stays on the part that was pressed.
            if (PartAt(hwnd, s, s->cursor) == s->trackCode)
                Report(hwnd, s->trackCode);
            if (s->trackCode >= 0)
                SetTimer(hwnd, kRepeatTimer, kRepeatDelay, nullptr);
        }
        return 0;
    case WM_KEYDOWN: Key(hwnd, (UINT)wParam); return 0;

    case SBM_SETSCROLLINFO: {
        auto* in = (const SCROLLINFO*)lParam;
        if (!in || (in->cbSize != sizeof(SCROLLINFO) && in->cbSize != sizeof(SCROLLINFO) - 4))
            return 0;
        return SetInfo(hwnd, s, in, wParam != 0);
    }
    case SBM_GETSCROLLINFO: {
        auto* out = (SCROLLINFO*)lParam;
        if (!out)
            return FALSE;
        if (out->fMask & SIF_RANGE) {
            out->nMin = s->si.nMin;
            out->nMax = s->si.nMax;
        }
        if (out->fMask & SIF_PAGE)
            out->nPage = s->si.nPage;
        if (out->fMask & SIF_POS)
            out->nPos = s->si.nPos;
        if (out->fMask & SIF_TRACKPOS)
            out->nTrackPos = s->trackCode == SB_THUMBTRACK ? s->si.nTrackPos : s->si.nPos;
        return TRUE;
    }
    case SBM_SETPOS: {
        int old = s->si.nPos;
        SCROLLINFO in{sizeof(in), SIF_POS, 0, 0, 0, (int)wParam, 0};
        SetInfo(hwnd, s, &in, lParam != 0);
        return old;
    }
    case SBM_GETPOS: return s->si.nPos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        int old = s->si.nPos;
        SCROLLINFO in{sizeof(in), SIF_RANGE, (int)wParam, (int)lParam, 0, 0, 0};
        SetInfo(hwnd, s, &in, msg == SBM_SETRANGEREDRAW);
        return old;
    }
    case SBM_GETRANGE:
        if (wParam)
            *(LPINT)wParam = s->si.nMin;
        if (lParam)
            *(LPINT)lParam = s->si.nMax;
        return 0;
    case SBM_ENABLE_ARROWS: {
        UINT arrows = (UINT)wParam & ESB_DISABLE_BOTH;
        if (arrows == s->arrows)
            return FALSE;
        s->arrows = arrows;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo ScrollBarClass()
{
    return {u"ScrollBar", ScrollBarProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
