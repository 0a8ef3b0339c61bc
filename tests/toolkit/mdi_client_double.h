// A stand-in for the system's MDI client window class "MDICLIENT", which the layer does not have:
// it keeps the active child, activates and cycles its children, and makes and destroys them on
// request. Registered once per process; every toolkit test that needs an MDI frame shares it.
#pragma once

#include "base/test_windows.h"
#include "win32/user.h"

#include <vector>

#ifndef WM_MDINEXT
#define WM_MDINEXT 0x0224
#endif

namespace tktest {

// What a WM_MDICREATE request carries, in the system's layout.
struct MdiCreateRequest {
    LPCWSTR szClass;
    LPCWSTR szTitle;
    HANDLE hOwner;
    int x;
    int y;
    int cx;
    int cy;
    DWORD style;
    LPARAM lParam;
};

// The child the client reports as active.
inline HWND& MdiActiveChild()
{
    static HWND active = nullptr;
    return active;
}

inline std::vector<HWND> MdiChildren(HWND client)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(client, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

inline LRESULT CALLBACK MdiClientProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND& active = MdiActiveChild();
    switch (message) {
    case WM_MDIGETACTIVE:
        return LRESULT(IsWindow(active) ? active : nullptr);
    case WM_MDIACTIVATE: {
        HWND child = reinterpret_cast<HWND>(wParam);
        if (IsWindow(child) && GetParent(child) == hwnd) {
            active = child;
            SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return 0;
    }
    case WM_MDINEXT: {
        // The next child in z-order (lParam 0) or the previous one, from the given or active child.
        std::vector<HWND> children = MdiChildren(hwnd);
        if (children.empty())
            return 0;
        HWND from = wParam ? reinterpret_cast<HWND>(wParam) : active;
        size_t at = 0;
        while (at < children.size() && children[at] != from)
            ++at;
        const size_t n = children.size();
        const size_t to = at >= n ? 0 : lParam ? (at + n - 1) % n : (at + 1) % n;
        return MdiClientProc(hwnd, WM_MDIACTIVATE, WPARAM(children[to]), 0);
    }
    case WM_MDICREATE: {
        const auto* cs = reinterpret_cast<const MdiCreateRequest*>(lParam);
        HWND child = CreateWindowExW(0, cs->szClass, cs->szTitle, cs->style | WS_CHILD | WS_VISIBLE, cs->x, cs->y,
                                     cs->cx, cs->cy, hwnd, nullptr, nullptr, nullptr);
        if (child)
            MdiClientProc(hwnd, WM_MDIACTIVATE, WPARAM(child), 0);
        return LRESULT(child);
    }
    case WM_MDIDESTROY: {
        HWND child = reinterpret_cast<HWND>(wParam);
        DestroyWindow(child);
        if (active == child) {
            std::vector<HWND> rest = MdiChildren(hwnd);
            active = rest.empty() ? nullptr : rest.front();
        }
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

inline void RegisterMdiClientClass()
{
    RegisterPlainWindowClass(u"MDICLIENT", nullptr, MdiClientProc);
}

} // namespace tktest
