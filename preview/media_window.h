// CMediaWindow: the program's media window. It plays one file through CMediaPlayer and shows its
// picture, either scaled into the window (the media view's player) or at the movie's own size (the
// movie window of the AVI view); sound alone shows the state and the time.
#pragma once

#include "afx/afx.h"
#include "preview/media_player.h"

#include <memory>

class CMediaWindow : public CWnd {
    DECLARE_DYNCREATE(CMediaWindow)
public:
    CMediaWindow();
    ~CMediaWindow() override;

    // Frames and pipeline news posted by the streaming threads.
    enum { WM_MEDIA_FRAME = WM_APP + 0x260, WM_MEDIA_BUS = WM_APP + 0x261 };
    enum { kTimerClock = 1, kClockInterval = 250 };
    // The movie window's size when there is no picture: a strip for the state and the time.
    enum { kSoundWidth = 240, kSoundHeight = 32 };

    // fitPicture: scale the picture into the window (keeping its proportions) instead of showing it
    // at its own size with the window sized to it.
    BOOL CreateMediaWindow(DWORD dwStyle, const RECT& rect, HWND hParent, UINT nID, bool fitPicture);

    // Opens the file (a program path) with its first frame shown; FALSE when it cannot be played.
    BOOL OpenMedia(const CString& path);
    void PlayMedia();
    void StopMedia();
    void CloseMedia();

    CMediaPlayer& Player() { return *m_player; }
    const CMediaPlayer::Frame& CurrentFrame() const { return m_frame; }
    // The state line: what the player does and, when known, where it stands in the file.
    CString StatusText() const;

    // Set for windows that belong to nobody else: the object goes with its window.
    bool m_bAutoDelete = false;

protected:
    void PostNcDestroy() override;
    void UpdateClock();

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC) { return TRUE; }
    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg LRESULT OnMediaFrame(WPARAM, LPARAM);
    afx_msg LRESULT OnMediaBus(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

protected:
    std::unique_ptr<CMediaPlayer> m_player;
    CMediaPlayer::Frame m_frame;
    bool m_bFitPicture = true;
    bool m_bClock = false;
};
