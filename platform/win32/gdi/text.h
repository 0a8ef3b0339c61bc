// Text machinery shared by TextOut, DrawText and the drawing helpers.
#pragma once

#include "win32/gdi/blit.h"

namespace backend {
class Font;
}

namespace gdi {

backend::Font& FontOf(DC& dc);
// Advance of each UTF-16 unit (the second half of a surrogate pair advances 0), with the
// character extra and any pending justification.
std::vector<int> Advances(DC& dc, const WCHAR* s, int n, const INT* dx);
int Width(DC& dc, const WCHAR* s, int n);
// Draws a run at a target-coordinate reference point aligned by `align` (TA_*), rotated by the
// font's escapement; `clipTo` (target coordinates) further limits it; `opaqueBox` fills the
// text cell with the background colour first.
void DrawRun(DC& dc, int tx, int ty, UINT align, const WCHAR* s, int n, const INT* dx, const RECT* clipTo,
             bool opaqueBox);

} // namespace gdi
