// CWMPPlayer4: the player window of the media view, with the operations the view uses of it: the file
// to play, the open and play states, a state line, and closing.
#pragma once

#include "preview/media_window.h"

class CWMPPlayer4 : public CMediaWindow {
    DECLARE_DYNCREATE(CWMPPlayer4)
public:
    // Open states.
    enum { wmposUndefined = 0, wmposMediaOpen = 13 };
    // Play states.
    enum { wmppsUndefined = 0, wmppsStopped = 1, wmppsPaused = 2, wmppsPlaying = 3, wmppsMediaEnded = 8 };

    BOOL Create(LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // Opens the file and starts playing it; a file that cannot be played leaves the open state
    // undefined.
    void SetURL(LPCWSTR url);
    CString GetURL() const { return m_strURL; }
    long GetOpenState();
    long GetPlayState();
    CString GetStatus();
    // Stops playing and lets the file go.
    void Close();

private:
    CString m_strURL;
};
