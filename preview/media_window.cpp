// The media window: opening, playing and showing one file; the streaming threads reach it only
// through posted messages, and it closes its player before it goes.
#include "preview/media_window.h"

#include "afx/window_dc.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CMediaWindow, CWnd)
BEGIN_MESSAGE_MAP(CMediaWindow, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_MESSAGE(WM_MEDIA_FRAME, OnMediaFrame)
    ON_MESSAGE(WM_MEDIA_BUS, OnMediaBus)
END_MESSAGE_MAP()

namespace {

CString FormatTime(int64_t ms)
{
    const int64_t seconds = ms / 1000;
    CString text;
    text.Format(u"%d:%02d", int(seconds / 60), int(seconds % 60));
    return text;
}

} // namespace

CMediaWindow::CMediaWindow() = default;

CMediaWindow::~CMediaWindow()
{
    if (m_player)
        m_player->Close();
}

BOOL CMediaWindow::CreateMediaWindow(DWORD dwStyle, const RECT& rect, HWND hParent, UINT nID, bool fitPicture)
{
    m_bFitPicture = fitPicture;
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
    if (!CreateEx(0, cls, u"", dwStyle, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, hParent,
                  (HMENU)(UINT_PTR)nID))
        return FALSE;
    m_player = std::make_unique<CMediaPlayer>(m_hWnd, WM_MEDIA_FRAME, WM_MEDIA_BUS);
    return TRUE;
}

BOOL CMediaWindow::OpenMedia(const CString& path)
{
    if (!m_player)
        return FALSE;
    CloseMedia();
    std::string file;
    if (path.IsEmpty() || !dovemark::MapPath(path, file) || !m_player->Open(file)) {
        Invalidate(FALSE);
        return FALSE;
    }
    m_player->TakeFrame(m_frame);
    if (!m_bFitPicture) {
        const bool picture = m_player->HasVideo() && m_frame.width > 0;
        SetWindowPos(nullptr, 0, 0, picture ? m_frame.width : int(kSoundWidth), picture ? m_frame.height : int(kSoundHeight),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Invalidate(FALSE);
    return TRUE;
}

void CMediaWindow::PlayMedia()
{
    if (!m_player)
        return;
    m_player->Play();
    UpdateClock();
    Invalidate(FALSE);
}

void CMediaWindow::StopMedia()
{
    if (!m_player)
        return;
    m_player->Stop();
    UpdateClock();
    Invalidate(FALSE);
}

void CMediaWindow::CloseMedia()
{
    if (m_player)
        m_player->Close();
    m_frame = CMediaPlayer::Frame();
    UpdateClock();
    if (m_hWnd)
        Invalidate(FALSE);
}

// Sound has no frames to repaint the time with: a timer does it while it plays.
void CMediaWindow::UpdateClock()
{
    const bool want = m_hWnd && m_player && m_player->GetState() == CMediaPlayer::Playing && !m_player->HasVideo();
    if (want == m_bClock)
        return;
    if (want)
        SetTimer(kTimerClock, kClockInterval, nullptr);
    else
        KillTimer(kTimerClock);
    m_bClock = want;
}

CString CMediaWindow::StatusText() const
{
    if (!m_player)
        return CString();
    CString text;
    switch (m_player->GetState()) {
    case CMediaPlayer::Closed: return CString();
    case CMediaPlayer::Stopped: text = u"已停止"; break;
    case CMediaPlayer::Paused: text = u"已暂停"; break;
    case CMediaPlayer::Playing: text = u"正在播放"; break;
    case CMediaPlayer::Ended: text = u"播放完毕"; break;
    case CMediaPlayer::Failed: return u"无法播放";
    }
    const int64_t duration = m_player->DurationMs();
    if (duration >= 0) {
        const int64_t position = std::clamp<int64_t>(m_player->PositionMs(), 0, duration);
        text += u"  " + FormatTime(position) + u" / " + FormatTime(duration);
    }
    return text;
}

void CMediaWindow::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    dc.FillSolidRect(&client, RGB(0, 0, 0));
    if (m_frame.width > 0 && m_frame.height > 0 && m_player && m_player->HasVideo()) {
        int x = 0, y = 0, w = m_frame.width, h = m_frame.height;
        if (m_bFitPicture) {
            // The largest size of the picture's proportions that fits, centred.
            const int64_t cw = client.Width(), ch = client.Height();
            if (cw * m_frame.height <= ch * m_frame.width) {
                w = int(cw);
                h = int(std::max<int64_t>(1, cw * m_frame.height / m_frame.width));
            } else {
                h = int(ch);
                w = int(std::max<int64_t>(1, ch * m_frame.width / m_frame.height));
            }
            x = int((cw - w) / 2);
            y = int((ch - h) / 2);
        }
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = m_frame.width;
        bmi.bmiHeader.biHeight = -m_frame.height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        ::SetStretchBltMode(dc.m_hDC, COLORONCOLOR);
        ::StretchDIBits(dc.m_hDC, x, y, w, h, 0, 0, m_frame.width, m_frame.height, m_frame.pixels.data(), &bmi,
                        DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    CString text = StatusText();
    if (text.IsEmpty())
        return;
    HGDIOBJ oldFont = ::SelectObject(dc.m_hDC, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc.m_hDC, TRANSPARENT);
    ::SetTextColor(dc.m_hDC, RGB(255, 255, 255));
    ::DrawTextW(dc.m_hDC, text, text.GetLength(), &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(dc.m_hDC, oldFont);
}

void CMediaWindow::OnDestroy()
{
    // The streaming threads are joined here, while the window they post to still exists.
    if (m_player)
        m_player->Close();
    if (m_bClock)
        KillTimer(kTimerClock);
    m_bClock = false;
    CWnd::OnDestroy();
}

void CMediaWindow::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

void CMediaWindow::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kTimerClock)
        Invalidate(FALSE);
}

LRESULT CMediaWindow::OnMediaFrame(WPARAM, LPARAM)
{
    if (m_player && m_player->TakeFrame(m_frame))
        Invalidate(FALSE);
    return 0;
}

LRESULT CMediaWindow::OnMediaBus(WPARAM, LPARAM)
{
    if (m_player && m_player->PollBus()) {
        UpdateClock();
        Invalidate(FALSE);
    }
    return 0;
}
