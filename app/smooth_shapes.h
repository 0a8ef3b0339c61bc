// Anti-aliased lines, arcs, ellipses and rounded rectangles, drawn pixel by pixel as blends over what is there.
#pragma once

#include "afx/afx.h"
#include "afx/gdi.h"

void SmoothLine(CDC* dc, int x0, int y0, int x1, int y1, COLORREF colour);
// The part of the ellipse inscribed in the rectangle from one angle to another, in degrees: 0 points right and
// angles grow clockwise on the screen.
void SmoothArc(CDC* dc, const CRect& box, double fromDegrees, double toDegrees, COLORREF colour);
void SmoothEllipse(CDC* dc, const CRect& box, COLORREF colour);
// A rectangle outline with rounded corners of the given size; one too small for its corners is an ellipse.
void SmoothRoundRect(CDC* dc, int left, int top, int right, int bottom, int cornerWidth, int cornerHeight,
                     COLORREF colour);
