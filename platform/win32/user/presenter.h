// The seam between the window manager and whoever shows top-level windows and feeds them input.
#pragma once

#include "win32/user.h"
#include "win32/gdi/surface.h"

#include <memory>

namespace user {

// A presenter (the X11 one, or none when headless) is told when a top-level window's pixels,
// position or visibility change, and reads the window's surface to show it.
class Presenter {
public:
    virtual ~Presenter() = default;
    // `rect` is in the window's own coordinates (its top-left corner is 0,0).
    virtual void Damaged(HWND top, const RECT& rect) {}
    virtual void Placed(HWND top, const RECT& screen, bool visible) {}
    virtual void Beep(UINT type) {}
};

// Installs the presenter (null: headless). Not owned.
void SetPresenter(Presenter* presenter);

// The surface a top-level window and its children draw into: the window composited with its
// non-client area and children, the size of its window rectangle. Null for a stale handle or a
// child window.
std::shared_ptr<gdi::Surface> WindowSurface(HWND top);

// Input entry points, in screen coordinates. The events go through the same hit testing, capture,
// hooks, activation and translation as any other: they are queued for the thread that owns the
// target window and become messages when that thread retrieves them.
// `msg` is WM_MOUSEMOVE, WM_[LRM]BUTTONDOWN/UP or WM_MOUSEWHEEL (`wheel` in WHEEL_DELTA units).
void InjectMouse(UINT msg, POINT pt, int wheel = 0);
void InjectKey(UINT vk, bool down);

} // namespace user
