// Lines and rectangle frames of the draw manager, with its pen codes.
#include "controls/draw_manager.h"
#include "controls/draw_manager_internal.h"

using namespace drawing;

void CDrawManager::DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color, int penCode, int penWidth) {
    if (penCode == 0 || penWidth < 1) return;
    HPEN pen = CreatePen(PenStyle(penCode), penWidth, color);
    if (!pen) return;
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    if (penCode == 6) {
        const int off = 2 * penWidth;
        if (x1 != x2) y1 += off, y2 += off;
        if (y1 != y2) x1 += off, x2 += off;
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void CDrawManager::DrawRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight, int penCode,
                            int penWidth) {
    DrawRect(dc, r.left, r.top, r.right, r.bottom, topLeft, bottomRight, penCode, penWidth);
}

void CDrawManager::DrawRect(HDC dc, int left, int top, int right, int bottom, COLORREF topLeft,
                            COLORREF bottomRight, int penCode, int penWidth) {
    if (penCode == 0 || penWidth < 1) return;
    const int h = penWidth / 2, w2 = 2 * penWidth;
    const int L = left + h, T = top + h, R = right - h, B = bottom - h;
    HPEN pen = CreatePen(PenStyle(penCode), penWidth, topLeft);
    if (!pen) return;
    HGDIOBJ old = SelectObject(dc, pen);
    auto poly = [dc](int ax, int ay, int bx, int by, int cx, int cy) {
        MoveToEx(dc, ax, ay, nullptr);
        LineTo(dc, bx, by);
        LineTo(dc, cx, cy);
    };
    poly(L, B, L, T, R, T);
    if (penCode == 6) poly(L + w2, B - w2, L + w2, T + w2, R - w2, T + w2);
    HPEN second = nullptr;
    if (bottomRight != topLeft) {
        second = CreatePen(PenStyle(penCode), penWidth, bottomRight);
        if (second) SelectObject(dc, second);
    }
    poly(R, T, R, B, L, B);
    if (penCode == 6) poly(R - w2, T + w2, R - w2, B - w2, L + w2, B - w2);
    SelectObject(dc, old);
    DeleteObject(pen);
    if (second) DeleteObject(second);
}
