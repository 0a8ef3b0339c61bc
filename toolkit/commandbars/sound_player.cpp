// The menu-sound thread and its requests.
#include "toolkit/commandbars/sound_player.h"

#include "win32/sound.h"

#include <cstdlib>

CTKPMenuSoundPlayer& CTKPMenuSoundPlayer::Get()
{
    static CTKPMenuSoundPlayer player;
    return player;
}

void CTKPMenuSoundPlayer::SetPlayFunction(PFN_PLAY play)
{
    m_pfnPlay.store(play);
}

void CTKPMenuSoundPlayer::Play(State sound)
{
    if (!m_bEnabled || (sound != PlayCommand && sound != PlayPopup))
        return;
    if (!m_hThread)
        Start();
    m_state.store(sound);
    if (m_hWake)
        ::SetEvent(m_hWake);
}

void CTKPMenuSoundPlayer::Start()
{
    if (m_hThread)
        return;
    m_state.store(Idle);
    if (!m_hWake)
        m_hWake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    DWORD id = 0;
    m_hThread = ::CreateThread(nullptr, 0, &CTKPMenuSoundPlayer::ThreadProc, this, CREATE_SUSPENDED, &id);
    if (!m_hThread)
        return;
    ::SetThreadPriority(m_hThread, THREAD_PRIORITY_BELOW_NORMAL);
    ::ResumeThread(m_hThread);
    // The thread waits on the window system's own synchronisation objects, so it must be gone
    // before they are torn down at exit; registered now, the stop runs before their destruction.
    static const bool stopAtExit = (std::atexit([] { Get().Stop(); }), true);
    (void)stopAtExit;
}

void CTKPMenuSoundPlayer::Stop()
{
    if (!m_hThread)
        return;
    m_state.store(Quit);
    if (m_hWake)
        ::SetEvent(m_hWake);
    ::WaitForSingleObject(m_hThread, 100);
    ::CloseHandle(m_hThread);
    m_hThread = nullptr;
}

DWORD WINAPI CTKPMenuSoundPlayer::ThreadProc(LPVOID param)
{
    auto* player = static_cast<CTKPMenuSoundPlayer*>(param);
    for (;;) {
        DWORD state = player->m_state.load();
        if (state == Quit)
            break;
        if (state == PlayCommand || state == PlayPopup) {
            PFN_PLAY play = player->m_pfnPlay.load();
            if (!play)
                play = &PlaySoundW;
            // A missing sound device only means silence.
            play(state == PlayCommand ? u"MenuCommand" : u"MenuPopup", nullptr, SND_ALIAS | SND_NOWAIT | SND_NODEFAULT);
            // Only the request just played is cleared: a newer request, or quit, stays.
            player->m_state.compare_exchange_strong(state, Idle);
        }
        // The 5 ms pass, cut short by a new request or by quit.
        if (player->m_hWake)
            ::WaitForSingleObject(player->m_hWake, 5);
        else
            ::Sleep(5);
    }
    PFN_PLAY play = player->m_pfnPlay.load();
    (play ? play : &PlaySoundW)(nullptr, nullptr, SND_PURGE);
    return 0;
}
