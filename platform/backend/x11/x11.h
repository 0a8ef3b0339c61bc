// The X11 presenter: the layer's top-level windows as X windows, X input as the layer's input.
#pragma once

#include "win32/user.h"

namespace x11 {

// Opens the display (null: the one DISPLAY names) and shows the layer's windows there from now on.
// False, with nothing changed, when no display opens.
bool Start(const char* display = nullptr);
// Shows the layer's windows through X when DISPLAY is set; otherwise the layer stays headless.
bool StartIfDisplay();
// Closes the X windows and the connection; the presenter that was installed before comes back.
void Stop();
bool Running();
// Returns once everything the layer has drawn and placed so far has reached the X server.
void Flush();
// The X window that shows a top-level window, 0 when it has none.
unsigned long WindowOf(HWND top);

} // namespace x11
