// The caret: one per thread, drawn by inverting the window's pixels and blinking on the layer's clock.
#include "win32/user/internal.h"

namespace user {

namespace {

// Inverting twice gives the pixels back, so the caret needs no saved copy of what it covers.
void Invert(HWND hwnd, RECT r, HBITMAP shape)
{
    HDC dc = GetDCEx(hwnd, nullptr, DCX_CACHE);
    if (!dc)
        return;
    if (shape && shape != (HBITMAP)1) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, shape);
        BitBlt(dc, r.left, r.top, Width(r), Height(r), mem, 0, 0, SRCINVERT);
        SelectObject(mem, old);
        DeleteDC(mem);
    } else if (shape) {
        HGDIOBJ old = SelectObject(dc, GetSysColorBrush(COLOR_GRAYTEXT));
        PatBlt(dc, r.left, r.top, Width(r), Height(r), PATINVERT);
        SelectObject(dc, old);
    } else {
        PatBlt(dc, r.left, r.top, Width(r), Height(r), DSTINVERT);
    }
    ReleaseDC(hwnd, dc);
}

// Flips the caret's pixels; the lock is let go while drawing, since drawing takes it again.
void Toggle(Queue& q, Guard& lk)
{
    HWND hwnd = q.caretHwnd;
    RECT r = q.caretRect;
    HBITMAP shape = q.caretBitmap;
    q.caretOn = !q.caretOn;
    lk.unlock();
    Invert(hwnd, r, shape);
    lk.lock();
}

void TakeAway(Queue& q, Guard& lk)
{
    if (q.caretHwnd && q.caretOn)
        Toggle(q, lk);
}

void PutBack(Queue& q, Guard& lk)
{
    if (q.caretHwnd && q.caretHide == 0 && !q.caretOn)
        Toggle(q, lk);
    q.caretDue = Now() + GetCaretBlinkTime();
}

} // namespace

bool BlinkCaret(Queue& q, Guard& lk)
{
    if (!q.caretHwnd || q.caretHide != 0 || (LONG)(Now() - q.caretDue) < 0)
        return false;
    Toggle(q, lk);
    q.caretDue = Now() + GetCaretBlinkTime();
    return true;
}

bool HideCaretForPaint(HWND hwnd)
{
    auto q = MyQueue();
    Guard lk(Lock());
    if (!hwnd || q->caretHwnd != hwnd)
        return false;
    if (q->caretHide++ == 0)
        TakeAway(*q, lk);
    return true;
}

void ShowCaretAfterPaint(HWND hwnd)
{
    auto q = MyQueue();
    Guard lk(Lock());
    if (!hwnd || q->caretHwnd != hwnd || q->caretHide == 0)
        return;
    if (--q->caretHide == 0)
        PutBack(*q, lk);
}

} // namespace user

using namespace user;

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height)
{
    auto q = MyQueue();
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->tid != q->tid) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (bitmap && bitmap != (HBITMAP)1) {
        BITMAP bm{};
        if (!GetObjectW(bitmap, sizeof(bm), &bm)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        width = bm.bmWidth;
        height = bm.bmHeight;
    }
    TakeAway(*q, lk); // a thread has one caret: the old one goes
    q->caretHwnd = hwnd;
    q->caretBitmap = bitmap;
    q->caretRect = RECT{0, 0, width > 0 ? width : GetSystemMetrics(SM_CXBORDER),
                        height > 0 ? height : GetSystemMetrics(SM_CYBORDER)};
    q->caretHide = 1;
    q->caretOn = false;
    return TRUE;
}

BOOL DestroyCaret()
{
    auto q = MyQueue();
    Guard lk(Lock());
    if (!q->caretHwnd)
        return FALSE;
    TakeAway(*q, lk);
    q->caretHwnd = nullptr;
    q->caretBitmap = nullptr;
    return TRUE;
}

BOOL ShowCaret(HWND hwnd)
{
    auto q = MyQueue();
    Guard lk(Lock());
    if (!q->caretHwnd || (hwnd && hwnd != q->caretHwnd) || q->caretHide == 0)
        return FALSE;
    if (--q->caretHide == 0)
        PutBack(*q, lk);
    return TRUE;
}

BOOL HideCaret(HWND hwnd)
{
    auto q = MyQueue();
    Guard lk(Lock());
    if (!q->caretHwnd || (hwnd && hwnd != q->caretHwnd))
        return FALSE;
    if (q->caretHide++ == 0)
        TakeAway(*q, lk);
    return TRUE;
}

BOOL SetCaretPos(int x, int y)
{
    auto q = MyQueue();
    Guard lk(Lock());
    if (!q->caretHwnd)
        return FALSE;
    bool shown = q->caretHide == 0;
    TakeAway(*q, lk);
    if (!q->caretHwnd)
        return TRUE; // its window went away while the old place was drawn
    OffsetRect(&q->caretRect, x - q->caretRect.left, y - q->caretRect.top);
    // A moved caret shows at once and starts its blink again, so typing never hides it.
    if (shown)
        PutBack(*q, lk);
    return TRUE;
}

BOOL GetCaretPos(LPPOINT pt)
{
    auto q = MyQueue();
    Guard lk(Lock());
    if (!pt || !q->caretHwnd)
        return FALSE;
    *pt = POINT{q->caretRect.left, q->caretRect.top};
    return TRUE;
}

UINT GetCaretBlinkTime()
{
    return 530;
}
