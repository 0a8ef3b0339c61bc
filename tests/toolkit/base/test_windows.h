// Plain windows for the toolkit tests to host controls in.
#pragma once

#include "win32/user.h"

namespace tktest {

// Registers, once per process, a window class that does nothing of its own (DefWindowProcW unless
// a window procedure is given), with an optional background brush. Returns the class name for use
// in CreateWindowExW.
inline const char16_t* RegisterPlainWindowClass(const char16_t* name, HBRUSH background = nullptr,
                                                WNDPROC proc = nullptr)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(nullptr, name, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = proc ? proc : DefWindowProcW;
        wc.hbrBackground = background;
        wc.lpszClassName = name;
        RegisterClassExW(&wc);
    }
    return name;
}

} // namespace tktest
