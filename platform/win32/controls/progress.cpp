// The msctls_progress32 window class: a bar that fills in chunks, or smoothly, as a position moves in a range.
#include "win32/controls/control_util.h"

#include <algorithm>

namespace controls {

namespace {

struct Progress {
    int low = 0, high = 100;
    int pos = 0;
    int step = 10;
    COLORREF bar = CLR_DEFAULT;
    COLORREF background = CLR_DEFAULT;
    HFONT font = nullptr;
};

int Clamp(const Progress* p, long long v)
{
    return (int)std::clamp<long long>(v, p->low, std::max(p->low, p->high));
}

LRESULT SetPos(HWND hwnd, Progress* p, long long pos)
{
    int old = p->pos;
    p->pos = Clamp(p, pos);
    if (p->pos != old)
        InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

LRESULT SetRange(HWND hwnd, Progress* p, int low, int high)
{
    LRESULT old = MAKELONG((WORD)p->low, (WORD)p->high);
    p->low = low;
    p->high = high;
    p->pos = Clamp(p, p->pos);
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

// Stepping past the end starts over from the beginning, by the amount it went past.
LRESULT StepIt(HWND hwnd, Progress* p)
{
    int old = p->pos;
    long long span = (long long)p->high - p->low;
    long long next = (long long)p->pos + p->step;
    if (span > 0 && (next > p->high || next < p->low)) {
        long long off = (next - p->low) % span;
        if (off < 0)
            off += span;
        next = p->low + off;
    }
    p->pos = Clamp(p, next);
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

void Draw(HWND hwnd, HDC dc, Progress* p)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH bk = p->background == CLR_DEFAULT ? GetSysColorBrush(COLOR_3DFACE) : CreateSolidBrush(p->background);
    FillRect(dc, &rc, bk);
    if (p->background != CLR_DEFAULT)
        DeleteObject(bk);
    RECT edge = rc;
    DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
    RECT in = rc;
    InflateRect(&in, -2, -2);
    long long span = (long long)p->high - p->low;
    if (span <= 0 || in.right <= in.left || in.bottom <= in.top)
        return;
    bool vertical = (StyleOf(hwnd) & PBS_VERTICAL) != 0;
    int length = vertical ? in.bottom - in.top : in.right - in.left;
    int filled = (int)((long long)length * (p->pos - p->low) / span);
    if (filled <= 0)
        return;
    HBRUSH bar = CreateSolidBrush(p->bar == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : p->bar);
    auto segment = [&](int from, int to) {
        RECT r = vertical ? RECT{in.left, in.bottom - to, in.right, in.bottom - from}
                          : RECT{in.left + from, in.top, in.left + to, in.bottom};
        FillRect(dc, &r, bar);
    };
    if (StyleOf(hwnd) & PBS_SMOOTH) {
        segment(0, filled);
    } else {
        // Classic chunks: two thirds of the bar's thickness wide, two pixels apart.
        int thickness = vertical ? in.right - in.left : in.bottom - in.top;
        int chunk = std::max(thickness * 2 / 3, 1);
        for (int at = 0; at < filled; at += chunk + 2)
            segment(at, std::min(at + chunk, length));
    }
    DeleteObject(bar);
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Progress* p = StateOf<Progress>(hwnd);
    if (!p && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        if (!p)
            CreateState<Progress>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        DestroyState<Progress>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        p->font = (HFONT)wParam;
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)p->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, p); });
        return 0;
    case PBM_SETRANGE: return SetRange(hwnd, p, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32: return SetRange(hwnd, p, (int)wParam, (int)lParam);
    case PBM_GETRANGE:
        if (lParam) {
            ((PBRANGE*)lParam)->iLow = p->low;
            ((PBRANGE*)lParam)->iHigh = p->high;
        }
        return wParam ? p->low : p->high;
    case PBM_SETPOS: return SetPos(hwnd, p, (int)wParam);
    case PBM_DELTAPOS: return SetPos(hwnd, p, (long long)p->pos + (int)wParam);
    case PBM_GETPOS: return p->pos;
    case PBM_SETSTEP: {
        int old = p->step;
        p->step = (int)wParam;
        return old;
    }
    case PBM_STEPIT: return StepIt(hwnd, p);
    case PBM_SETBARCOLOR: {
        COLORREF old = p->bar;
        p->bar = (COLORREF)lParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return (LRESULT)old;
    }
    case CCM_SETBKCOLOR: {
        COLORREF old = p->background;
        p->background = (COLORREF)lParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return (LRESULT)old;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo ProgressClass()
{
    return {u"msctls_progress32", ProgressProc, CS_HREDRAW | CS_VREDRAW, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
