// The headless driver: tests find windows, feed input, pump messages, move the clock and save PNGs.
#pragma once

#include "win32/user.h"

#include <functional>
#include <string>
#include <vector>

namespace headless {

// ---- Finding windows --------------------------------------------------------------------------
struct Query {
    const char16_t* className = nullptr; // exact class name, case-insensitive as on Windows
    const char16_t* text = nullptr;      // exact window text
    int id = -1;                         // control id (GWL_ID), -1 for any
    HWND under = nullptr;                // search below this window (null: every top-level tree)
    bool visibleOnly = false;
};
std::vector<HWND> TopLevelWindows();
std::vector<HWND> FindAll(const Query& q);
HWND FindOne(const Query& q); // the first in z-order, or null
std::u16string Text(HWND hwnd);

// ---- Input ------------------------------------------------------------------------------------
// Points are in the window's client coordinates unless the name says Screen. Input is queued for
// the thread that owns the target window and goes through hit testing, capture, hooks,
// activation and double-click detection when that thread takes it from its queue.
POINT ToScreen(HWND hwnd, POINT client);
void MouseMoveScreen(POINT screen);
void MouseMove(HWND hwnd, POINT client);
void ButtonDown(HWND hwnd, POINT client, UINT button = VK_LBUTTON);
void ButtonUp(HWND hwnd, POINT client, UINT button = VK_LBUTTON);
void Click(HWND hwnd, POINT client, UINT button = VK_LBUTTON);
void DoubleClick(HWND hwnd, POINT client);
void Wheel(HWND hwnd, POINT client, int delta);
void KeyDown(UINT vk);
void KeyUp(UINT vk);
// Presses and releases vk with the modifiers held (VK_SHIFT, VK_CONTROL, VK_MENU).
void PressKey(UINT vk, std::initializer_list<UINT> modifiers = {});
// Types ASCII text as key presses (letters, digits, space, Enter).
void TypeText(const std::u16string& text);

// ---- Messages and time ------------------------------------------------------------------------
// Retrieves, translates and dispatches the calling thread's messages until none is waiting
// (sent, posted, input, paint and timers that are due). Returns how many were dispatched; stops
// at `limit` so a window that never validates cannot hang a test. A WM_QUIT is left queued.
int PumpUntilIdle(int limit = 100000);
// Puts the layer on its virtual clock (tests start there) and moves it forward.
void UseVirtualClock();
void AdvanceClock(DWORD ms);

// ---- Modal windows ----------------------------------------------------------------------------
// The next modal dialog, message box or popup menu calls `answer` with its window once it is shown,
// on the thread that runs it; the callback typically clicks a button or calls EndDialog.
// Callbacks are used in the order they were queued.
void AnswerNextModal(std::function<void(HWND)> answer);
void ClearModalAnswers();

// ---- Sound and pictures -----------------------------------------------------------------------
std::vector<UINT> Beeps(); // MessageBeep types heard so far
void ClearBeeps();
// Paints what is pending, then writes the top-level window (non-client area and children
// composited as on screen) as a PNG. False if the window is not a top-level window or on failure.
bool SavePng(HWND top, const std::string& path);

} // namespace headless
