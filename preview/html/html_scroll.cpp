// Scrolling of the renderer window: one record per window, its bars, pixel scrolling and drag panning.
#include "preview/html/html_scroll.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<ScrollRecord>> g_records;
POINT g_anchor = {0, 0};

ScrollRecord* Record(HWND hwnd)
{
    for (auto& r : g_records)
        if (r->hwnd == hwnd)
            return r.get();
    g_records.push_back(std::make_unique<ScrollRecord>());
    g_records.back()->hwnd = hwnd;
    return g_records.back().get();
}

// The bar shows the position scaled to its 0..100 range; a page that fits has no range to scale by.
void UpdateBar(ScrollRecord& r, int bar)
{
    LONG max = bar == SB_HORZ ? r.maxX : r.maxY;
    LONG scale = bar == SB_HORZ ? r.scaleX : r.scaleY;
    LONG pos = bar == SB_HORZ ? r.posX : r.posY;
    if (max == 0)
        return;
    LONG shown = LONG((long long)pos * scale / max) + (pos >= 1 ? 1 : 0);
    SetScrollPos(r.hwnd, bar, std::min<LONG>(shown, 100), TRUE);
}

void ScrollBy(ScrollRecord& r, LONG dx, LONG dy)
{
    if (!dx && !dy)
        return;
    SendMessageW(r.hwnd, WM_HTML_SCROLLED, WPARAM(dx), LPARAM(dy));
    ScrollWindow(r.hwnd, dx, dy, nullptr, nullptr);
}

void Resize(ScrollRecord& r)
{
    if (r.sizing)
        return;
    r.sizing = 1;
    RECT client;
    GetClientRect(r.hwnd, &client);
    LONG availW = client.right + (r.maxY ? GetSystemMetrics(SM_CXHTHUMB) : 0);
    LONG availH = client.bottom + (r.maxX ? GetSystemMetrics(SM_CYVTHUMB) : 0);
    LONG oldMaxX = r.maxX, oldMaxY = r.maxY;
    bool lostH = false, lostW = false;
    for (int round = 0; round < 2; ++round) {
        if (r.contentWidth > availW) {
            r.maxX = r.contentWidth - availW;
            if (!lostH) {
                availH -= GetSystemMetrics(SM_CXHTHUMB);
                lostH = true;
            }
        } else {
            r.maxX = 0;
        }
        if (r.contentHeight > availH) {
            r.maxY = r.contentHeight - availH;
            if (!lostW) {
                availW -= GetSystemMetrics(SM_CYVTHUMB);
                lostW = true;
            }
        } else {
            r.maxY = 0;
        }
    }
    // A position beyond the new maximum scrolls the content back into view.
    if (r.posX > r.maxX) {
        ScrollBy(r, r.posX - r.maxX, 0);
        r.posX = r.maxX;
    }
    if (r.posY > r.maxY) {
        ScrollBy(r, 0, r.posY - r.maxY);
        r.posY = r.maxY;
    }
    if ((oldMaxX == 0) != (r.maxX == 0)) {
        SetScrollPos(r.hwnd, SB_HORZ, 0, TRUE);
        ShowScrollBar(r.hwnd, SB_HORZ, r.maxX != 0);
    }
    if ((oldMaxY == 0) != (r.maxY == 0)) {
        SetScrollPos(r.hwnd, SB_VERT, 0, TRUE);
        ShowScrollBar(r.hwnd, SB_VERT, r.maxY != 0);
    }
    if (r.contentWidth && r.maxX)
        r.scaleX = SetScrollPage(r.hwnd, SB_HORZ, LONG((long long)availW * 100 / r.contentWidth));
    if (r.contentHeight && r.maxY)
        r.scaleY = SetScrollPage(r.hwnd, SB_VERT, LONG((long long)availH * 100 / r.contentHeight));
    UpdateBar(r, SB_HORZ);
    UpdateBar(r, SB_VERT);
    r.sizing = 0;
}

void BarRequest(ScrollRecord& r, bool vertical, WPARAM wParam, LPARAM lParam)
{
    LONG& pos = vertical ? r.posY : r.posX;
    LONG max = vertical ? r.maxY : r.maxX;
    LONG scale = vertical ? r.scaleY : r.scaleX;
    LONG line = vertical ? r.lineY : r.lineX;
    // A page that fits has nothing to scroll (and no range to divide by).
    if (max == 0)
        return;
    RECT client;
    GetClientRect(r.hwnd, &client);
    LONG page = vertical ? client.bottom : client.right;
    LONG d;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: d = line; break;
    case SB_LINEDOWN: d = -line; break;
    case SB_PAGEUP: d = page; break;
    case SB_PAGEDOWN: d = -page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        d = scale ? pos - LONG((long long)HIWORD(wParam) * max / scale) : 0;
        break;
    default: d = LONG(lParam); break;
    }
    d = std::clamp<LONG>(d, pos - max, pos);
    pos -= d;
    ScrollBy(r, vertical ? 0 : d, vertical ? d : 0);
    UpdateBar(r, vertical ? SB_VERT : SB_HORZ);
}

void SetPosition(ScrollRecord& r, bool vertical, LPARAM lParam)
{
    LONG& pos = vertical ? r.posY : r.posX;
    LONG max = vertical ? r.maxY : r.maxX;
    LONG scale = vertical ? r.scaleY : r.scaleX;
    if (max == 0 || scale == 0)
        return;
    LONG old = pos;
    pos = std::clamp<LONG>(LONG(lParam), 0, max);
    UpdateBar(r, vertical ? SB_VERT : SB_HORZ);
    ScrollBy(r, vertical ? 0 : old - pos, vertical ? old - pos : 0);
    SendMessageW(r.hwnd, WM_VSCROLL, SB_ENDSCROLL, 0);
}

} // namespace

LONG SetScrollPage(HWND hwnd, int bar, LONG percent)
{
    percent = std::clamp<LONG>(percent, 1, 99);
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_PAGE;
    si.nPage = UINT(percent);
    SetScrollInfo(hwnd, bar, &si, FALSE);
    return 100 - percent;
}

LRESULT HandleScrollMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd && message == 0) {
        g_records.clear();
        return 0;
    }
    ScrollRecord& r = *Record(hwnd);
    switch (message) {
    case WM_SIZE: Resize(r); return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam == 0 && LOWORD(wParam) != SB_ENDSCROLL)
            BarRequest(r, message == WM_VSCROLL, wParam, 0);
        return 0;
    case WM_MOUSEWHEEL: {
        WPARAM request = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN;
        for (int k = 0; k < 3; ++k)
            SendMessageW(hwnd, WM_VSCROLL, request, 0);
        SendMessageW(hwnd, WM_VSCROLL, SB_ENDSCROLL, 0);
        return 0;
    }
    case WM_LBUTTONDOWN:
        g_anchor = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetCapture(hwnd);
        r.dragging = 1;
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd)
            ReleaseCapture();
        r.dragging = 0;
        return 0;
    case WM_MOUSEMOVE: {
        if (!r.dragging || GetCapture() != hwnd)
            return 0;
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        LONG dx = std::clamp<LONG>(g_anchor.x - pt.x, -r.posX, r.maxX - r.posX);
        LONG dy = std::clamp<LONG>(g_anchor.y - pt.y, -r.posY, r.maxY - r.posY);
        r.posX += dx;
        r.posY += dy;
        ScrollBy(r, -dx, -dy);
        UpdateBar(r, SB_HORZ);
        UpdateBar(r, SB_VERT);
        g_anchor = pt;
        return 0;
    }
    case WM_CAPTURECHANGED: r.dragging = 0; return 0;
    case WM_HTML_SETCONTENT:
        r.contentWidth = LONG(wParam);
        r.contentHeight = LONG(lParam);
        Resize(r);
        return 0;
    case WM_HTML_SETPOSX: SetPosition(r, false, lParam); return 0;
    case WM_HTML_SETPOSY: SetPosition(r, true, lParam); return 0;
    case WM_HTML_GETPOSX:
    case WM_HTML_GETPOSY: {
        LONG pos = message == WM_HTML_GETPOSX ? r.posX : r.posY;
        if (lParam)
            *reinterpret_cast<LONG*>(lParam) = pos;
        return pos;
    }
    case WM_HTML_GETMAXX: return r.maxX;
    case WM_HTML_GETMAXY: return r.maxY;
    default: return 0;
    }
}
