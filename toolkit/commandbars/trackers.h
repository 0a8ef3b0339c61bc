// Input that menus need to see although it is not addressed to them: the per-thread mouse and
// keyboard trackers, and the chains of hook objects that sub-class a window.
#pragma once

#include "afx/wnd.h"

#include <vector>

class CTKPCommandBar;

// A hook object: it is offered the messages of the windows it hooks (AddHook) and, while it is
// registered with the keyboard tracker, the thread's key presses. OnHookMessage answers 0 not
// handled (offer to the next), 1 handled (`result` is the answer), 2 stop without handling (the
// window's own procedure runs).
class CTKPWndHookChain {
public:
    CTKPWndHookChain();
    // Takes the object out of every window chain and out of the keyboard tracker, so no hook ever
    // calls an object that is gone.
    virtual ~CTKPWndHookChain();
    CTKPWndHookChain(const CTKPWndHookChain&) = delete;
    CTKPWndHookChain& operator=(const CTKPWndHookChain&) = delete;

    virtual int OnHookMessage(HWND hWnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result);

    // The chain of one window: its hook objects (called from the last added to the first) and the
    // window procedure it replaced.
    class Chain {
    public:
        std::vector<CTKPWndHookChain*> m_hooks;
        WNDPROC m_oldWndProc = nullptr;
        HWND m_hWnd = nullptr;
    };

    static void AddHook(HWND hWnd, CTKPWndHookChain* hook);
    static void RemoveHook(HWND hWnd, CTKPWndHookChain* hook);
    static void RemoveHook(CTKPWndHookChain* hook);
    static void RemoveAllHooks(HWND hWnd);
    static Chain* FindChain(HWND hWnd);
};

// One per thread: its WH_MOUSE hook and the bars in tracking mode (the last is topmost). A click
// outside every tracked bar closes them, unless it falls into an excluded window.
class CTKPMouseTracker {
public:
    // The calling thread's tracker, made (and its hook installed) on first use.
    static CTKPMouseTracker* GetThreadTracker();
    // The calling thread's tracker when it exists: null before first use and once the thread's
    // storage has gone (a bar released at process exit).
    static CTKPMouseTracker* FindThreadTracker();
    ~CTKPMouseTracker();

    void AddBar(CTKPCommandBar* bar);
    void RemoveBar(CTKPCommandBar* bar);
    void CloseAll();
    BOOL IsTrackingOtherThan(CTKPCommandBar* bar) const;
    void SetModalLock(BOOL on);
    void TrackMouseLeave(HWND hWnd);
    void AddExcludedWindow(HWND hWnd);
    void RemoveExcludedWindow(HWND hWnd);
    void SetSwallowNextButtonUp() { m_bSwallowNextButtonUp = TRUE; }

    int GetTrackedCount() const { return int(m_trackedBars.size()); }
    CTKPCommandBar* GetTrackedBar(int index) const;
    HHOOK GetHook() const { return m_hHook; }
    // A mouse message as the hook sees it; TRUE when the tracker swallows it.
    BOOL OnMouseMessage(UINT message, const MOUSEHOOKSTRUCT& info);

    int m_nModalDepth = 0;
    CTKPCommandBar* m_pSelectingBar = nullptr;
    HWND m_hWndHover = nullptr;
    DWORD m_dwTracking = 0;
    // A popup was expanded: the popups opened next while the tracking lasts open expanded.
    BOOL m_bShowAll = FALSE;

private:
    CTKPMouseTracker();
    static LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK HoverTimerProc(HWND hWnd, UINT message, UINT_PTR id, DWORD time);
    BOOL IsExcludedPoint(POINT pt) const;

    std::vector<CTKPCommandBar*> m_trackedBars;
    std::vector<HWND> m_excludedWindows;
    HHOOK m_hHook = nullptr;
    BOOL m_bSwallowNextButtonUp = FALSE;
};

// One per thread: delivers key presses to the registered hook objects (most recent first) through
// a WH_KEYBOARD hook, and closes the tracked popups when the application is deactivated through a
// WH_CALLWNDPROC hook. Both hooks exist only while an object is registered.
class CTKPKeyboardTracker {
public:
    static CTKPKeyboardTracker* GetThreadTracker();
    static CTKPKeyboardTracker* FindThreadTracker();
    ~CTKPKeyboardTracker();

    void AddWindow(CTKPWndHookChain* hook);
    void RemoveWindow(CTKPWndHookChain* hook);
    // 1 the key is eaten, 2 it goes on to the focus window, 0 no object wanted it (it goes on).
    int DispatchKey(UINT message, WPARAM wParam, LPARAM lParam);

    int GetCount() const { return int(m_hooks.size()); }
    BOOL IsHooked() const { return m_hKeyboardHook != nullptr; }

private:
    CTKPKeyboardTracker() = default;
    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam);

    HHOOK m_hKeyboardHook = nullptr;
    HHOOK m_hCallWndHook = nullptr;
    std::vector<CTKPWndHookChain*> m_hooks;
};

// The last mouse point the mouse hook saw, in screen co-ordinates.
extern POINT g_ptTrackerLastMouse;
