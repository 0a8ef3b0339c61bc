// The renderer window's scrolling: content size, positions and bars per window, and the private
// messages through which the renderer reads and sets the positions.
#pragma once

#include "win32/win32.h"

struct ScrollRecord {
    LONG maxX = 0, maxY = 0;
    LONG posX = 0, posY = 0;
    LONG scaleX = 0, scaleY = 0;
    LONG lineX = 10, lineY = 10;
    LONG contentWidth = 0, contentHeight = 0;
    LONG sizing = 0;
    HWND hwnd = nullptr;
    LONG dragging = 0;
};

enum : UINT {
    WM_HTML_SETCONTENT = WM_USER + 1,
    WM_HTML_SETPOSX = WM_USER + 2,
    WM_HTML_SETPOSY = WM_USER + 3,
    WM_HTML_GETPOSX = WM_USER + 4,
    WM_HTML_GETPOSY = WM_USER + 5,
    WM_HTML_GETMAXX = WM_USER + 6,
    WM_HTML_GETMAXY = WM_USER + 7,
    WM_HTML_SCROLLED = WM_USER + 9,
    WM_HTML_RELAYOUT = WM_USER + 22,
};

// A null window with message 0 frees every record.
LRESULT HandleScrollMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LONG SetScrollPage(HWND hwnd, int bar, LONG percent);
