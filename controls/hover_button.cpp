// CHoverButton: hover tracking, the hint cycle of the status text and the two pictures.
#include "controls/hover_button.h"

#include "controls/main_window_flags.h"

namespace {
IMainWindowFlags* g_flags = nullptr;

LONG HintsOn() { return g_flags ? g_flags->GetModeHintFlag() : 0; }
void SetHover(LONG value) {
    if (g_flags)
        g_flags->SetButtonHoverFlag(value);
}
} // namespace

void SetMainWindowFlags(IMainWindowFlags* flags) { g_flags = flags; }
IMainWindowFlags* GetMainWindowFlags() { return g_flags; }

const char16_t* const CHoverButton::kPrompt = u"请选择恢复选项。              ";

CHoverButton::CHoverButton()
    : m_hHoverCursor(LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_HOVER_CURSOR))),
      m_hPressedCursor(LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_PRESSED_CURSOR)))
{
}

BOOL CHoverButton::LoadBitmaps(UINT nIDNormal, UINT nIDHover)
{
    m_normal.DeleteObject();
    m_hover.DeleteObject();
    m_normal.Attach(LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDNormal), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    m_hover.Attach(LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDHover), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    // A missing picture is reported rather than drawn as nothing.
    if (!m_normal.GetSafeHandle() || !m_hover.GetSafeHandle())
        return FALSE;
    BITMAP bm{};
    m_normal.GetObject(sizeof(bm), &bm);
    m_nWidth = bm.bmWidth;
    m_nHeight = bm.bmHeight;
    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, m_nWidth, m_nHeight, SWP_NOMOVE | SWP_NOOWNERZORDER);
    return TRUE;
}

void CHoverButton::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    HDC mem = CreateCompatibleDC(lpDIS->hDC);
    HGDIOBJ old = SelectObject(mem, m_normal.GetSafeHandle());
    // A pressed button shows its hover picture: the pictures are single frames, so there is no
    // pressed frame beside the normal one to copy from.
    bool pressed = lpDIS->itemState & ODS_SELECTED;
    if (pressed || m_bHovering)
        SelectObject(mem, m_hover.GetSafeHandle());
    BitBlt(lpDIS->hDC, 0, 0, m_nWidth, m_nHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

BOOL CHoverButton::PreTranslateMessage(MSG* pMsg)
{
    if (!m_toolTip.m_hWnd && m_toolTip.Create(this))
        m_toolTip.Activate(FALSE);
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(pMsg);
    return CBitmapButton::PreTranslateMessage(pMsg);
}

LRESULT CHoverButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE: {
        if (!m_bTracking) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, m_hWnd, 1};
            m_bTracking = _TrackMouseEvent(&tme);
        }
        LRESULT result = CBitmapButton::WindowProc(message, wParam, lParam);
        POINT pt{};
        GetCursorPos(&pt);
        if (::WindowFromPoint(pt) == m_hWnd && ::GetActiveWindow()) {
            if (m_hHoverCursor)
                ::SetCursor(m_hHoverCursor);
            if (m_bHintPending) {
                if (HintsOn() && m_pStatusWnd)
                    m_pStatusWnd->SetWindowText(m_strHint);
                m_bHintPending = FALSE;
            }
        }
        return result;
    }
    case WM_MOUSEHOVER:
        m_bHovering = TRUE;
        SetHover(1);
        Invalidate();
        return 0;
    case WM_MOUSELEAVE:
        m_bTracking = FALSE;
        m_bHintPending = TRUE;
        if (HintsOn() && m_pStatusWnd)
            m_pStatusWnd->SetWindowText(kPrompt);
        m_bHovering = FALSE;
        SetHover(0);
        Invalidate();
        return 0;
    case WM_LBUTTONDOWN:
        if (m_hPressedCursor)
            ::SetCursor(m_hPressedCursor);
        break;
    case WM_ERASEBKGND:
        return 0;
    }
    return CBitmapButton::WindowProc(message, wParam, lParam);
}
