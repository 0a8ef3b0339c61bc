// The movie window of the AVI view: MCIWndCreateW and the two commands the view sends it, over the
// program's media window.
#pragma once

#include "win32/win32.h"

// Movie-window styles, in the low word of the style beside the window styles.
#define MCIWNDF_NOMENU 0x0008

// Commands sent to a movie window; each returns 0 or an error code.
#define MCI_PLAY 0x0806
#define MCI_STOP 0x0808
#define MCIERR_BASE 256
#define MCIERR_DEVICE_NOT_READY (MCIERR_BASE + 20)

// Creates a movie window as a child of hwndParent, at its top-left corner and of the movie's own
// size, with the file opened and its first frame shown. Null when the window cannot be made or the
// file cannot be played, so the caller can tell a damaged file from a playing one (the last error is then
// ERROR_NOT_SUPPORTED for a kind of file that cannot be played here at all). The window frees
// itself when it is destroyed (WM_CLOSE destroys it).
HWND MCIWndCreateW(HWND hwndParent, HINSTANCE hInstance, DWORD dwStyle, LPCWSTR szFile);
