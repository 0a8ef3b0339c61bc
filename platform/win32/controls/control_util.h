// Helpers the control window classes share: per-window state, notifications, fonts and colours.
#pragma once

#include "win32/controls.h"
#include "win32/gdi.h"
#include "win32/user.h"

#include <memory>
#include <string>
#include <vector>

namespace user {
struct WndClass;
}

namespace controls {

// Adds the control classes to the window manager's class table; the window manager calls this once,
// with its table lock held, so nothing here may call back into USER.
void AddClasses(std::vector<std::shared_ptr<user::WndClass>>& into);

// Each control keeps a heap object in the first pointer of its window extra bytes.
template <class T>
T* StateOf(HWND hwnd)
{
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, 0));
}
template <class T>
T* CreateState(HWND hwnd)
{
    T* s = new T;
    SetWindowLongPtrW(hwnd, 0, (LONG_PTR)s);
    return s;
}
template <class T>
void DestroyState(HWND hwnd)
{
    delete StateOf<T>(hwnd);
    SetWindowLongPtrW(hwnd, 0, 0);
}

inline DWORD StyleOf(HWND hwnd)
{
    return (DWORD)GetWindowLongPtrW(hwnd, GWL_STYLE);
}

// WM_COMMAND to the parent with the control's id and a notification code.
void NotifyCommand(HWND hwnd, UINT code);

// The brush and colours the parent picks with WM_CTLCOLOR*; null if it answered none.
HBRUSH ControlColor(HWND hwnd, HDC hdc, UINT ctlColorMsg);

// The font a control draws with: the one set by WM_SETFONT, else the system font.
HFONT FontOrDefault(HFONT font);

std::u16string WindowText(HWND hwnd);

// Runs paint for WM_PAINT: into the DC given in wParam when there is one (WM_PRINTCLIENT too),
// else between BeginPaint and EndPaint.
template <class F>
void Paint(HWND hwnd, WPARAM wParam, F&& draw)
{
    if (wParam) {
        draw((HDC)wParam);
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc)
        draw(dc);
    EndPaint(hwnd, &ps);
}

// Registration data for one class.
struct ClassInfo {
    const char16_t* name;
    WNDPROC proc;
    UINT style;
    HCURSOR cursor;
    int background; // COLOR_* + 1, or 0
};
ClassInfo ButtonClass();
ClassInfo StaticClass();
ClassInfo EditClass();
ClassInfo ListBoxClass();
ClassInfo ComboListClass();
ClassInfo ComboBoxClass();
ClassInfo HeaderClass();
ClassInfo ListViewClass();
ClassInfo TreeViewClass();
ClassInfo TabClass();
ClassInfo ToolbarClass();
ClassInfo RebarClass();
ClassInfo ScrollBarClass();
ClassInfo ProgressClass();
ClassInfo StatusBarClass();
ClassInfo ToolTipClass();
ClassInfo RichEditClass();
ClassInfo RichEdit10Class();

// The colours a rich edit draws with (set into the DC, brush returned); null for any other window,
// which asks its parent instead.
HBRUSH RichEditColors(HWND hwnd, HDC hdc);

} // namespace controls
