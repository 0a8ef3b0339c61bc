// Caption buttons of panes: visibility by their pane, hot tracking and the modal press.
#include "toolkit/docking/pane_caption_button.h"

#include "afx/wnd.h"
#include "toolkit/docking/pane_base.h"

BOOL CTKPPaneCaptionButton::IsVisible() const
{
    return m_pPane && m_pPane->IsCaptionButtonVisible(const_cast<CTKPPaneCaptionButton*>(this));
}

void CTKPPaneCaptionButton::InvalidateRect()
{
    CWnd* wnd = m_pPane ? m_pPane->GetPaneWindow() : nullptr;
    if (wnd && wnd->GetSafeHwnd())
        ::InvalidateRect(wnd->m_hWnd, &m_rcButton, FALSE);
}

void CTKPPaneCaptionButton::SetSelected(BOOL selected)
{
    if (m_bSelected == selected)
        return;
    m_bSelected = selected;
    CWnd* wnd = m_pPane ? m_pPane->GetPaneWindow() : nullptr;
    if (selected && wnd && wnd->GetSafeHwnd()) {
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, wnd->m_hWnd, 0};
        ::TrackMouseEvent(&tme);
    }
    InvalidateRect();
}

BOOL CTKPPaneCaptionButton::Click(CWnd* window, POINT pt)
{
    if (!window || !window->GetSafeHwnd() || !::PtInRect(&m_rcButton, pt))
        return FALSE;
    HWND hwnd = window->m_hWnd;
    m_bPressed = TRUE;
    InvalidateRect();
    ::SetCapture(hwnd);
    BOOL clicked = FALSE;
    MSG msg{};
    while (::GetCapture() == hwnd) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == hwnd) {
            const POINT at{SHORT(LOWORD(msg.lParam)), SHORT(HIWORD(msg.lParam))};
            const BOOL over = ::PtInRect(&m_rcButton, at);
            if (over != m_bPressed) {
                m_bPressed = over;
                InvalidateRect();
            }
        } else if (msg.message == WM_LBUTTONUP) {
            POINT at{SHORT(LOWORD(msg.lParam)), SHORT(HIWORD(msg.lParam))};
            if (msg.hwnd != hwnd)
                ::MapWindowPoints(msg.hwnd, hwnd, &at, 1);
            clicked = ::PtInRect(&m_rcButton, at);
            break;
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            break;
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
    if (::IsWindow(hwnd)) {
        m_bPressed = FALSE;
        InvalidateRect();
    }
    return clicked;
}
