// The menu-sound player: a background thread that plays the system's menu sounds, so that
// executing a command or opening a popup never waits for the sound.
#pragma once

#include "win32/win32.h"

#include <atomic>

class CTKPMenuSoundPlayer {
public:
    enum State : DWORD { Idle = 0, PlayCommand = 1, PlayPopup = 2, Quit = 3 };
    typedef BOOL (*PFN_PLAY)(LPCWSTR alias, HMODULE module, DWORD flags);

    // The one player of the process.
    static CTKPMenuSoundPlayer& Get();

    // Requests a sound (PlayCommand or PlayPopup); the thread starts on the first request.
    void Play(State sound);
    void Start();
    // Asks the thread to quit, waits for it up to 100 ms and lets go of it.
    void Stop();

    void SetEnabled(BOOL enabled) { m_bEnabled = enabled; }
    BOOL IsEnabled() const { return m_bEnabled; }
    BOOL IsRunning() const { return m_hThread != nullptr; }
    DWORD GetState() const { return m_state.load(); }
    // Tests stand in for the sound device here; null restores PlaySoundW.
    void SetPlayFunction(PFN_PLAY play);

private:
    CTKPMenuSoundPlayer() = default;
    static DWORD WINAPI ThreadProc(LPVOID param);

    // Written by the UI thread (1, 2, 3) and the sound thread; the thread clears only a request
    // it has just played, so a quit request is never overwritten.
    std::atomic<DWORD> m_state{Idle};
    std::atomic<PFN_PLAY> m_pfnPlay{nullptr};
    BOOL m_bEnabled = TRUE;
    HANDLE m_hThread = nullptr;
    HANDLE m_hWake = nullptr;
};
