// Layered windows: a constant opacity and a transparent colour per top-level window, applied when
// the screen is composed and told to the presenter; and the accessibility event entry point.
#include "win32/user/internal.h"
#include "win32/user/presenter.h"

namespace {

// The window when SetLayeredWindowAttributes may act on it: top-level and layered.
user::Window* LayeredWindow(HWND hwnd)
{
    user::Window* w = user::Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (hwnd == user::Desktop() || !user::IsTopLevel(w) || !(w->exStyle & WS_EX_LAYERED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return w;
}

} // namespace

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags)
{
    bool visible;
    {
        user::Guard lk(user::Lock());
        user::Window* w = LayeredWindow(hwnd);
        if (!w)
            return FALSE;
        w->layeredFlags = dwFlags & (LWA_ALPHA | LWA_COLORKEY);
        w->layeredAlpha = bAlpha;
        w->layeredKey = crKey & 0x00FFFFFF;
        visible = (w->style & WS_VISIBLE) != 0;
    }
    user::NotifyChanged(hwnd);
    if (visible)
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* pcrKey, BYTE* pbAlpha, DWORD* pdwFlags)
{
    user::Guard lk(user::Lock());
    user::Window* w = LayeredWindow(hwnd);
    if (!w)
        return FALSE;
    if (pcrKey)
        *pcrKey = w->layeredKey;
    if (pbAlpha)
        *pbAlpha = w->layeredAlpha;
    if (pdwFlags)
        *pdwFlags = w->layeredFlags;
    return TRUE;
}

void NotifyWinEvent(DWORD, HWND, LONG, LONG) {}

namespace user {

LayeredLook LookOf(const Window* w)
{
    LayeredLook look;
    if (!(w->exStyle & WS_EX_LAYERED))
        return look;
    if (w->layeredFlags & LWA_ALPHA)
        look.alpha = w->layeredAlpha;
    if (w->layeredFlags & LWA_COLORKEY) {
        look.keyed = true;
        COLORREF c = w->layeredKey;
        look.key = (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
    }
    return look;
}

LayeredLook LayeredLookOf(HWND top)
{
    Guard lk(Lock());
    Window* w = Find(top);
    return w && IsTopLevel(w) ? LookOf(w) : LayeredLook{};
}

} // namespace user
