// CPoint, CSize and CRect: the framework's value types over POINT, SIZE and RECT.
#pragma once

#include "win32/types.h"

#include <algorithm>

class CSize;
class CRect;

class CPoint : public tagPOINT {
public:
    CPoint() noexcept : tagPOINT{0, 0} {}
    CPoint(int initX, int initY) noexcept : tagPOINT{initX, initY} {}
    CPoint(POINT initPt) noexcept : tagPOINT(initPt) {}
    CPoint(SIZE initSize) noexcept : tagPOINT{initSize.cx, initSize.cy} {}
    explicit CPoint(LPARAM dwPoint) noexcept : tagPOINT{GET_X_LPARAM(dwPoint), GET_Y_LPARAM(dwPoint)} {}

    void Offset(int xOffset, int yOffset) noexcept { x += xOffset, y += yOffset; }
    void Offset(POINT point) noexcept { Offset(point.x, point.y); }
    void Offset(SIZE size) noexcept { Offset(size.cx, size.cy); }
    void SetPoint(int X, int Y) noexcept { x = X, y = Y; }

    bool operator==(POINT point) const noexcept { return x == point.x && y == point.y; }
    bool operator!=(POINT point) const noexcept { return !(*this == point); }
    void operator+=(SIZE size) noexcept { Offset(size); }
    void operator-=(SIZE size) noexcept { Offset(-size.cx, -size.cy); }
    void operator+=(POINT point) noexcept { Offset(point); }
    void operator-=(POINT point) noexcept { Offset(-point.x, -point.y); }
    CPoint operator+(SIZE size) const noexcept { return CPoint(x + size.cx, y + size.cy); }
    CPoint operator-(SIZE size) const noexcept { return CPoint(x - size.cx, y - size.cy); }
    CPoint operator-() const noexcept { return CPoint(-x, -y); }
    CPoint operator+(POINT point) const noexcept { return CPoint(x + point.x, y + point.y); }
    inline CSize operator-(POINT point) const noexcept;
    inline CRect operator+(const RECT* lpRect) const noexcept;
    inline CRect operator-(const RECT* lpRect) const noexcept;
};

class CSize : public tagSIZE {
public:
    CSize() noexcept : tagSIZE{0, 0} {}
    CSize(int initCX, int initCY) noexcept : tagSIZE{initCX, initCY} {}
    CSize(SIZE initSize) noexcept : tagSIZE(initSize) {}
    CSize(POINT initPt) noexcept : tagSIZE{initPt.x, initPt.y} {}
    explicit CSize(DWORD dwSize) noexcept : tagSIZE{SHORT(LOWORD(dwSize)), SHORT(HIWORD(dwSize))} {}

    bool operator==(SIZE size) const noexcept { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const noexcept { return !(*this == size); }
    void operator+=(SIZE size) noexcept { cx += size.cx, cy += size.cy; }
    void operator-=(SIZE size) noexcept { cx -= size.cx, cy -= size.cy; }
    void SetSize(int CX, int CY) noexcept { cx = CX, cy = CY; }
    CSize operator+(SIZE size) const noexcept { return CSize(cx + size.cx, cy + size.cy); }
    CSize operator-(SIZE size) const noexcept { return CSize(cx - size.cx, cy - size.cy); }
    CSize operator-() const noexcept { return CSize(-cx, -cy); }
    CPoint operator+(POINT point) const noexcept { return CPoint(cx + point.x, cy + point.y); }
    CPoint operator-(POINT point) const noexcept { return CPoint(cx - point.x, cy - point.y); }
};

class CRect : public tagRECT {
public:
    CRect() noexcept : tagRECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) noexcept : tagRECT{l, t, r, b} {}
    CRect(const RECT& srcRect) noexcept : tagRECT(srcRect) {}
    CRect(LPCRECT lpSrcRect) noexcept : tagRECT(*lpSrcRect) {}
    CRect(POINT point, SIZE size) noexcept : tagRECT{point.x, point.y, point.x + size.cx, point.y + size.cy} {}
    CRect(POINT topLeft, POINT bottomRight) noexcept : tagRECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    CSize Size() const noexcept { return CSize(Width(), Height()); }
    CPoint& TopLeft() noexcept { return *reinterpret_cast<CPoint*>(this); }
    CPoint& BottomRight() noexcept { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const noexcept { return *reinterpret_cast<const CPoint*>(this); }
    const CPoint& BottomRight() const noexcept { return *reinterpret_cast<const CPoint*>(&right); }
    CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }
    operator LPRECT() noexcept { return this; }
    operator LPCRECT() const noexcept { return this; }

    BOOL IsRectEmpty() const noexcept { return left >= right || top >= bottom; }
    BOOL IsRectNull() const noexcept { return left == 0 && right == 0 && top == 0 && bottom == 0; }
    BOOL PtInRect(POINT point) const noexcept
    {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    void SetRect(int x1, int y1, int x2, int y2) noexcept { left = x1, top = y1, right = x2, bottom = y2; }
    void SetRect(POINT topLeft, POINT bottomRight) noexcept { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }
    void SetRectEmpty() noexcept { SetRect(0, 0, 0, 0); }
    void CopyRect(LPCRECT lpSrcRect) noexcept { *static_cast<RECT*>(this) = *lpSrcRect; }
    BOOL EqualRect(LPCRECT r) const noexcept
    {
        return left == r->left && top == r->top && right == r->right && bottom == r->bottom;
    }
    void InflateRect(int x, int y) noexcept { left -= x, top -= y, right += x, bottom += y; }
    void InflateRect(SIZE size) noexcept { InflateRect(size.cx, size.cy); }
    void InflateRect(LPCRECT r) noexcept { left -= r->left, top -= r->top, right += r->right, bottom += r->bottom; }
    void InflateRect(int l, int t, int r, int b) noexcept { left -= l, top -= t, right += r, bottom += b; }
    void DeflateRect(int x, int y) noexcept { InflateRect(-x, -y); }
    void DeflateRect(SIZE size) noexcept { InflateRect(-size.cx, -size.cy); }
    void DeflateRect(LPCRECT r) noexcept { left += r->left, top += r->top, right -= r->right, bottom -= r->bottom; }
    void DeflateRect(int l, int t, int r, int b) noexcept { left += l, top += t, right -= r, bottom -= b; }
    void OffsetRect(int x, int y) noexcept { left += x, right += x, top += y, bottom += y; }
    void OffsetRect(SIZE size) noexcept { OffsetRect(size.cx, size.cy); }
    void OffsetRect(POINT point) noexcept { OffsetRect(point.x, point.y); }
    void MoveToX(int x) noexcept { right = Width() + x, left = x; }
    void MoveToY(int y) noexcept { bottom = Height() + y, top = y; }
    void MoveToXY(int x, int y) noexcept { MoveToX(x), MoveToY(y); }
    void MoveToXY(POINT point) noexcept { MoveToXY(point.x, point.y); }
    void NormalizeRect() noexcept
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }
    // As the system's rectangle functions: an empty result is (0, 0, 0, 0) and returns FALSE.
    BOOL IntersectRect(LPCRECT a, LPCRECT b) noexcept
    {
        CRect r(std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                std::min(a->bottom, b->bottom));
        if (r.IsRectEmpty()) {
            SetRectEmpty();
            return FALSE;
        }
        *this = r;
        return TRUE;
    }
    BOOL UnionRect(LPCRECT a, LPCRECT b) noexcept
    {
        bool ea = CRect(a).IsRectEmpty(), eb = CRect(b).IsRectEmpty();
        if (ea && eb) {
            SetRectEmpty();
            return FALSE;
        }
        if (ea)
            *this = *b;
        else if (eb)
            *this = *a;
        else
            SetRect(std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                    std::max(a->bottom, b->bottom));
        return TRUE;
    }
    BOOL SubtractRect(LPCRECT src, LPCRECT sub) noexcept
    {
        CRect r(src), cut;
        if (cut.IntersectRect(src, sub)) {
            if (cut.top == r.top && cut.bottom == r.bottom) {
                if (cut.left == r.left)
                    r.left = std::min(cut.right, r.right);
                else if (cut.right == r.right)
                    r.right = cut.left;
            } else if (cut.left == r.left && cut.right == r.right) {
                if (cut.top == r.top)
                    r.top = std::min(cut.bottom, r.bottom);
                else if (cut.bottom == r.bottom)
                    r.bottom = cut.top;
            }
        }
        *this = r;
        return !IsRectEmpty();
    }

    CRect& operator=(const RECT& srcRect) noexcept
    {
        CopyRect(&srcRect);
        return *this;
    }
    bool operator==(const RECT& rect) const noexcept { return EqualRect(&rect); }
    bool operator!=(const RECT& rect) const noexcept { return !EqualRect(&rect); }
    void operator+=(POINT point) noexcept { OffsetRect(point); }
    void operator+=(SIZE size) noexcept { OffsetRect(size); }
    void operator+=(LPCRECT r) noexcept { InflateRect(r); }
    void operator-=(POINT point) noexcept { OffsetRect(-point.x, -point.y); }
    void operator-=(SIZE size) noexcept { OffsetRect(-size.cx, -size.cy); }
    void operator-=(LPCRECT r) noexcept { DeflateRect(r); }
    void operator&=(const RECT& rect) noexcept { IntersectRect(this, &rect); }
    void operator|=(const RECT& rect) noexcept { UnionRect(this, &rect); }
    CRect operator+(POINT pt) const noexcept { CRect r(*this); r.OffsetRect(pt); return r; }
    CRect operator-(POINT pt) const noexcept { CRect r(*this); r.OffsetRect(-pt.x, -pt.y); return r; }
    CRect operator+(SIZE size) const noexcept { CRect r(*this); r.OffsetRect(size); return r; }
    CRect operator-(SIZE size) const noexcept { CRect r(*this); r.OffsetRect(-size.cx, -size.cy); return r; }
    CRect operator+(LPCRECT lpRect) const noexcept { CRect r(*this); r.InflateRect(lpRect); return r; }
    CRect operator-(LPCRECT lpRect) const noexcept { CRect r(*this); r.DeflateRect(lpRect); return r; }
    CRect operator&(const RECT& rect2) const noexcept { CRect r; r.IntersectRect(this, &rect2); return r; }
    CRect operator|(const RECT& rect2) const noexcept { CRect r; r.UnionRect(this, &rect2); return r; }
};

inline CSize CPoint::operator-(POINT point) const noexcept { return CSize(x - point.x, y - point.y); }
inline CRect CPoint::operator+(const RECT* lpRect) const noexcept { return CRect(lpRect) + *this; }
inline CRect CPoint::operator-(const RECT* lpRect) const noexcept { return CRect(lpRect) - *this; }
