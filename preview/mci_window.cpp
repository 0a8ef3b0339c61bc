// MCIWndCreateW over the media window: the window keeps the movie's size and answers MCI_PLAY and
// MCI_STOP.
#include "preview/mci_window.h"

#include "preview/media_window.h"

namespace {

class CMovieWindow : public CMediaWindow {
protected:
    afx_msg LRESULT OnPlay(WPARAM, LPARAM)
    {
        if (Player().GetState() == CMediaPlayer::Closed || Player().GetState() == CMediaPlayer::Failed)
            return MCIERR_DEVICE_NOT_READY;
        PlayMedia();
        return 0;
    }
    afx_msg LRESULT OnStop(WPARAM, LPARAM)
    {
        if (Player().GetState() == CMediaPlayer::Closed)
            return MCIERR_DEVICE_NOT_READY;
        StopMedia();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMovieWindow, CMediaWindow)
    ON_MESSAGE(MCI_PLAY, OnPlay)
    ON_MESSAGE(MCI_STOP, OnStop)
END_MESSAGE_MAP()

} // namespace

HWND MCIWndCreateW(HWND hwndParent, HINSTANCE, DWORD dwStyle, LPCWSTR szFile)
{
    auto* window = new CMovieWindow;
    window->m_bAutoDelete = true;
    const RECT rect{0, 0, CMediaWindow::kSoundWidth, CMediaWindow::kSoundHeight};
    // The low word holds the movie-window styles, which mean nothing to the window itself.
    if (!window->CreateMediaWindow(dwStyle & 0xFFFF0000u, rect, hwndParent, 0, false)) {
        delete window;
        return nullptr;
    }
    if (szFile && !window->OpenMedia(szFile)) {
        // The caller can tell a kind of file this program cannot play from a damaged one.
        const DWORD error = window->Player().MissingPlugin() ? ERROR_NOT_SUPPORTED : ERROR_INVALID_DATA;
        window->DestroyWindow();
        ::SetLastError(error);
        return nullptr;
    }
    return window->m_hWnd;
}
