// The seam between the window manager and whoever shows top-level windows and feeds them input.
#pragma once

#include "win32/user.h"
#include "win32/gdi/surface.h"

#include <memory>
#include <vector>

namespace user {

// A presenter (the X11 one, or none when headless) is told when a top-level window's pixels,
// position or visibility change, and reads the window's surface to show it.
class Presenter {
public:
    virtual ~Presenter() = default;
    // `rect` is in the window's own coordinates (its top-left corner is 0,0).
    virtual void Damaged(HWND top, const RECT& rect) {}
    virtual void Placed(HWND top, const RECT& screen, bool visible) {}
    // False when the sound could not be played (no audio device), which MessageBeep reports.
    virtual bool Beep(UINT type) { return true; }
    // The window is gone; its handle may be issued again to a new window.
    virtual void Destroyed(HWND top) {}
    // Its text, styles, owner, icon or window region changed.
    virtual void Changed(HWND top) {}
    // The layer made `top` its active window (null: none of its windows is active).
    virtual void Activated(HWND top) {}
    virtual void CursorChanged(HCURSOR cursor) {}
    // The layer's mouse capture moved to `capture` (null: released).
    virtual void CaptureChanged(HWND capture) {}
    // The layer's clipboard got new contents (after the CloseClipboard that follows a change).
    virtual void ClipboardChanged() {}
    // The user pressed the mouse on the caption (SC_MOVE + HTCAPTION) or a sizing border (SC_SIZE +
    // WMSZ_*) of `top` at `screen`. True when the desktop's window manager takes over the move
    // (the layer's own loop then does not run, and the result comes back as RequestPlacement).
    virtual bool MoveSizeByDesktop(HWND top, UINT command, POINT screen) { return false; }
};

// The screen as the presenter finds it: each monitor's area and work area in screen coordinates,
// the primary first. An empty list restores the layer's own single 1280x1024 screen.
struct MonitorArea {
    RECT monitor;
    RECT work;
};
void SetMonitors(const std::vector<MonitorArea>& monitors);
std::vector<MonitorArea> Monitors();

// The clipboard of the desktop when another program holds it: what it offers, read on request.
struct ForeignClipboard {
    virtual ~ForeignClipboard() = default;
    // Of CF_UNICODETEXT and CF_DIB, those the other program offers now.
    virtual std::vector<UINT> Formats() = 0;
    // CF_UNICODETEXT as UTF-16 with its terminator; CF_DIB as a packed device-independent bitmap.
    virtual bool Read(UINT format, std::vector<BYTE>* data) = 0;
};
// Another program took the clipboard: the layer's own contents are dropped (their owner gets
// WM_DESTROYCLIPBOARD) and reads go to `source` until a window of the layer empties the
// clipboard again. Null forgets the source and drops nothing. Not owned.
void SetForeignClipboard(ForeignClipboard* source);

// Installs the presenter (null: headless). Not owned.
void SetPresenter(Presenter* presenter);

// The surface a top-level window and its children draw into: the window composited with its
// non-client area and children, the size of its window rectangle. Null for a stale handle or a
// child window.
std::shared_ptr<gdi::Surface> WindowSurface(HWND top);

// How a layered top-level window is shown (SetLayeredWindowAttributes): its constant opacity
// (255: opaque) and the colour of pixels left out, as 0xRRGGBB, when `keyed`. A window without
// WS_EX_LAYERED, a child or a stale handle answers opaque and unkeyed.
struct LayeredLook {
    BYTE alpha = 255;
    bool keyed = false;
    uint32_t key = 0;
};
LayeredLook LayeredLookOf(HWND top);

// The desktop moved or resized a top-level window (its window manager did, or the user through
// it): the window's own thread applies the new window rectangle, in screen coordinates, the next
// time it dispatches messages, as SetWindowPos without activation or z-order change.
void RequestPlacement(HWND top, const RECT& screen);
// The desktop gave the keyboard to `top` (activated as by SetActiveWindow), or to another program
// (null: the layer's active windows are deactivated, with WM_ACTIVATEAPP FALSE), applied the same way.
void RequestActivation(HWND top);

// Input entry points, in screen coordinates. The events go through the same hit testing, capture,
// hooks, activation and translation as any other: they are queued for the thread that owns the
// target window and become messages when that thread retrieves them.
// `msg` is WM_MOUSEMOVE, WM_[LRM]BUTTONDOWN/UP or WM_MOUSEWHEEL (`wheel` in WHEEL_DELTA units).
void InjectMouse(UINT msg, POINT pt, int wheel = 0);
// `vk` may name a left or right modifier (VK_LSHIFT, VK_RMENU...): the message carries the
// generic key, and the key state knows which side is down. `typed` is the character the desktop's
// keyboard layout gives the press (0: the layer's own keyboard decides); Ctrl and Alt combinations
// keep the layer's translation, so control characters and mnemonics stay as they are.
void InjectKey(UINT vk, bool down, char32_t typed = 0);
// Text that no key stands for (a composed character, an input method's result): WM_CHAR for
// each UTF-16 unit, to the focus window of the active window's thread.
void InjectChar(char16_t c);

} // namespace user
