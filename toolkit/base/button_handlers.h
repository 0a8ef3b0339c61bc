// Message handlers the toolkit's controls share: an erase that erases nothing, and the refresh of
// a themed control's style when the system's colours or settings change.
#pragma once

#include "afx/wnd.h"
#include "toolkit/base/theme_manager.h"

// For message maps of windows that paint every pixel themselves (through an off-screen DC), so
// the background is never erased first and nothing flickers.
#define ON_WM_ERASEBKGND_NOERASE() AFX_WM(WM_ERASEBKGND, (void)_p; *c.pResult = TRUE;)

// The part of a themed control's OnWndMsg that runs before normal handling: WM_SETTINGCHANGE and
// WM_SYSCOLORCHANGE make the control's current style recompute its colours and fonts. Returns
// whether the message was one of the two; the caller handles the message as usual either way.
BOOL RefreshThemedStyle(CTKThemeStyleClient& client, UINT message);
