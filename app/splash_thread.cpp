// The splash thread and its window, and the flat scanning-progress view.
#include "app/splash_thread.h"

IMPLEMENT_DYNCREATE(CSplashThread, CWinThread)
IMPLEMENT_DYNCREATE(CScanningProgress, CFormView)

namespace {

constexpr UINT_PTR kDisplayTimer = 1;
constexpr UINT_PTR kSecondTimer = 999;

} // namespace

BEGIN_MESSAGE_MAP(CSplashWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CSplashThread::CSplashThread() : m_wndSplash(this)
{
    m_styles[0] = {u"Courier New", 26, 700};
    m_styles[1] = {u"MS Sans Serif", 12, 700};
    m_styles[2] = {u"MS Sans Serif", 8, 400};
    m_styles[3] = {u"Arial", 26, 700};
    m_styles[4] = {u"Arial", 18, 700};
    for (int i = 0; i < 5; ++i) {
        m_blockStart[i] = CPoint(20, 20 + 40 * i);
        m_blockStep[i] = 16;
        m_blockColour[i] = RGB(255, 255, 255);
    }
}

CSplashThread::~CSplashThread() = default;

BOOL CSplashThread::InitInstance()
{
    SetThreadPriority(THREAD_PRIORITY_HIGHEST);
    m_wndSplash.m_pThread = this;
    m_dwStartTick = ::GetTickCount();
    if (!m_nBitmapId || !m_bitmap.LoadBitmap(m_nBitmapId))
        return FALSE;
    BITMAP bm{};
    m_bitmap.GetObject(sizeof(bm), &bm);
    m_cx = bm.bmWidth;
    m_cy = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    HWND owner = m_pMainWnd2 ? m_pMainWnd2->GetSafeHwnd() : nullptr;
    if (!m_wndSplash.CreateEx(0, cls, u"", WS_POPUP | WS_VISIBLE, 0, 0, m_cx, m_cy, owner, nullptr))
        return FALSE;
    m_wndSplash.UpdateWindow();
    return TRUE;
}

void CSplashThread::Draw(CDC* pDC)
{
    CDC memory;
    if (memory.CreateCompatibleDC(pDC)) {
        CBitmap* old = memory.SelectObject(&m_bitmap);
        pDC->BitBlt(0, 0, m_cx, m_cy, &memory, 0, 0, SRCCOPY);
        memory.SelectObject(old);
    }
    pDC->SetBkMode(TRANSPARENT);
    const int dpi = pDC->GetDeviceCaps(LOGPIXELSY);
    for (int i = 0; i < 5; ++i) {
        CFont font;
        font.CreateFont(-int(m_styles[i].points * dpi / 72 + 0.5), 0, 0, 0, m_styles[i].weight, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, 0, 0, 0, 0, m_styles[i].face);
        CFont* old = pDC->SelectObject(&font);
        pDC->SetTextColor(m_blockColour[i]);
        CPoint at = m_blockStart[i];
        for (const CString& line : m_blocks[i]) {
            pDC->TextOut(at.x, at.y, line);
            at.y += m_blockStep[i];
        }
        pDC->SelectObject(old);
    }
}

void CSplashThread::Finish()
{
    if (m_wndSplash.m_hWnd)
        m_wndSplash.DestroyWindow();
    if (m_pMainWnd2 && m_pMainWnd2->m_hWnd)
        ::SetForegroundWindow(m_pMainWnd2->m_hWnd);
    ::PostQuitMessage(0);
}

int CSplashWnd::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CenterWindow();
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    DWORD display = m_pThread ? m_pThread->m_dwMinDisplay : 0;
    SetTimer(kDisplayTimer, display, nullptr);
    SetTimer(kSecondTimer, display, nullptr);
    return 0;
}

void CSplashWnd::OnTimer(UINT_PTR)
{
    KillTimer(kDisplayTimer);
    KillTimer(kSecondTimer);
    if (m_pThread)
        m_pThread->Finish();
}

void CSplashWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (m_pThread)
        m_pThread->Draw(CDC::FromHandle(dc));
    ::EndPaint(m_hWnd, &ps);
}

void CScanningProgress::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    CRect client;
    GetClientRect(&client);
    CClientDC dc(this);
    CDC memory;
    CBitmap bitmap;
    if (!memory.CreateCompatibleDC(&dc) || !bitmap.CreateCompatibleBitmap(&dc, client.Width(), client.Height()))
        return;
    CBitmap* old = memory.SelectObject(&bitmap);
    memory.FillSolidRect(&client, RGB(189, 211, 255));
    SendMessage(WM_PRINTCLIENT, WPARAM(memory.GetSafeHdc()), PRF_CLIENT);
    dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}
