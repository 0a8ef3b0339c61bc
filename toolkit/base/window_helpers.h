// Window rectangles, arrow keys in right-to-left windows, the active top-level test, monitor work
// areas and the modal XOR tracker of splitters.
#pragma once

#include "win32/user.h"

struct CTKPWndRect : RECT {
    explicit CTKPWndRect(HWND hwnd);
};

struct CTKPWndClientRect : RECT {
    explicit CTKPWndClientRect(HWND hwnd);
};

struct CTKPClientCursorPos : POINT {
    explicit CTKPClientCursorPos(HWND hwnd);
};

void MirrorArrowKey(HWND hwnd, UINT& key);
BOOL IsTopLevelWindowActive(HWND hwnd);

void GetWorkAreaFromRect(RECT* out, const RECT& rc);
void GetWorkAreaFromWindow(RECT* out, HWND hwnd);
void GetWorkAreaFromPoint(RECT* out, POINT pt);

// Moves the rectangle, without resizing it, by as much as the point lies outside it on each axis,
// so that a dragged bar or pane stays under the mouse.
void ClampRectInto(RECT& rc, POINT pt);

// Follows the mouse with an inverted rectangle on the desktop until the left button is released
// (TRUE) or Escape is pressed (FALSE); either way the rectangle keeps its last position.
class CTKPTrackSplitter {
public:
    explicit CTKPTrackSplitter(int mode = 0) : m_nMode(mode) {}
    BOOL Track(HWND hwnd, int minX, int minY, int maxX, int maxY, RECT& rc, POINT start, BOOL horizontal);

    HDC m_hDC = nullptr;
    int m_nMode;  // 0 halftone pattern, otherwise an inverted rectangle
    RECT m_rcLimit{0, 0, 0, 0};

private:
    void DrawTracker(const RECT& rc);
};
