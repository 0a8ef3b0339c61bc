// The media view's player window: its operations mapped onto the media window.
#include "preview/wmp_player.h"

IMPLEMENT_DYNCREATE(CWMPPlayer4, CMediaWindow)

BOOL CWMPPlayer4::Create(LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!pParentWnd || !CreateMediaWindow(dwStyle, rect, pParentWnd->m_hWnd, nID, true))
        return FALSE;
    if (lpszWindowName)
        SetWindowText(lpszWindowName);
    return TRUE;
}

void CWMPPlayer4::SetURL(LPCWSTR url)
{
    m_strURL = url ? url : u"";
    if (OpenMedia(m_strURL))
        PlayMedia();
}

long CWMPPlayer4::GetOpenState()
{
    if (!m_player)
        return wmposUndefined;
    const CMediaPlayer::State state = m_player->GetState();
    return state == CMediaPlayer::Closed || state == CMediaPlayer::Failed ? wmposUndefined : wmposMediaOpen;
}

long CWMPPlayer4::GetPlayState()
{
    if (!m_player)
        return wmppsUndefined;
    switch (m_player->GetState()) {
    case CMediaPlayer::Stopped: return wmppsStopped;
    case CMediaPlayer::Paused: return wmppsPaused;
    case CMediaPlayer::Playing: return wmppsPlaying;
    case CMediaPlayer::Ended: return wmppsMediaEnded;
    default: return wmppsUndefined;
    }
}

CString CWMPPlayer4::GetStatus() { return StatusText(); }

void CWMPPlayer4::Close()
{
    CloseMedia();
    m_strURL.Empty();
}
