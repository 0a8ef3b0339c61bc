// Tearing a popup off by the strip at its top: the strip's hover, and the drag that turns the
// popup's commands into a floating tool bar.
#include "toolkit/commandbars/popup_bar.h"

#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/commandbars/trackers.h"

void CTKPPopupBar::OnTearOffHover(POINT pt)
{
    if (!m_hWnd || IsCustomizeMode() || !::PtInRect(&m_rcTearOff, pt))
        return;
    SetSelected(-1);
    if (!m_bTearOffHot) {
        m_bTearOffHot = TRUE;
        ::InvalidateRect(m_hWnd, &m_rcTearOff, FALSE);
    }
    if (!m_nTearOffTimer)
        m_nTearOffTimer = ::SetTimer(m_hWnd, TKP_TIMER_TEAROFF, 80, nullptr);
}

void CTKPPopupBar::OnTearOffTimer()
{
    POINT pt;
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    if (::PtInRect(&m_rcTearOff, pt) || m_bTearOffDragging)
        return;
    ::KillTimer(m_hWnd, TKP_TIMER_TEAROFF);
    m_nTearOffTimer = 0;
    if (m_bTearOffHot) {
        m_bTearOffHot = FALSE;
        ::InvalidateRect(m_hWnd, &m_rcTearOff, FALSE);
    }
}

CTKPToolBar* CTKPPopupBar::FindOrCreateTornOffBar(BOOL& created)
{
    created = FALSE;
    CTKPCommandBars* bars = GetCommandBars();
    if (!bars)
        return nullptr;
    if (CTKPToolBar* existing = bars->GetToolBar(m_nTearOffId)) {
        bars->FloatCommandBar(existing);
        existing->SetVisible(TRUE);
        return existing;
    }
    CTKPToolBar* bar = bars->AddCustomToolBar(m_strTearOffCaption, m_nTearOffId, TRUE);
    if (!bar)
        return nullptr;
    created = TRUE;
    bar->SetMRUWidth(m_nTearOffWidth);
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        if (!control || control->GetID() == TKP_ID_EXPAND_POPUP)
            continue;
        if (CTKPControl* copy = bar->GetControls()->AddClone(control, -1, TRUE))
            copy->SetHideFlags(copy->GetHideFlags() & ~DWORD(TKP_HIDE_EXPAND | TKP_HIDE_RARELYUSED));
    }
    return bar;
}

void CTKPPopupBar::ShowTornOffBar(POINT cursor)
{
    CTKPToolBar* bar = m_pTornOffBar;
    const CSize size = bar->CalcDynamicLayout(-1, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
    m_szTornOff = SIZE{size.cx, size.cy};
    // Centred on the cursor, which holds it 10 pixels below its top edge.
    const POINT at{cursor.x - size.cx / 2, cursor.y - 10};
    bar->m_ptMRUFloat = at;
    if (bar->m_hWnd)
        ::SetWindowPos(bar->m_hWnd, HWND_TOP, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

CTKPToolBar* CTKPPopupBar::TrackTearOff()
{
    if (!m_hWnd || !m_bTearOffPopup || !GetCommandBars())
        return nullptr;
    CTKPMouseTracker* tracker = CTKPMouseTracker::GetThreadTracker();
    ++tracker->m_nModalDepth;
    m_bTearOffDragging = TRUE;
    const HWND self = m_hWnd;
    ::SetCapture(self);
    RECT popupRect;
    ::GetWindowRect(self, &popupRect);
    BOOL created = FALSE, shown = FALSE;
    m_pTornOffBar = nullptr;
    MSG msg;
    for (;;) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (::GetCapture() != self) {
            ::DispatchMessageW(&msg);
            break;
        }
        if (msg.message == WM_LBUTTONUP || (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE))
            break;
        if (msg.message != WM_MOUSEMOVE) {
            if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_CHAR)
                ::DispatchMessageW(&msg);
            continue;
        }
        const POINT cursor = msg.pt;
        const BOOL outside = !::PtInRect(&popupRect, cursor);
        if (outside && !m_pTornOffBar)
            m_pTornOffBar = FindOrCreateTornOffBar(created);
        if (!m_pTornOffBar)
            continue;
        if (outside) {
            if (!shown)
                ::ShowWindow(self, SW_HIDE);
            shown = TRUE;
            ShowTornOffBar(cursor);
        } else if (shown) {
            // Back over the popup: the popup returns and the bar goes out of sight.
            shown = FALSE;
            if (m_pTornOffBar->m_hWnd)
                ::ShowWindow(m_pTornOffBar->m_hWnd, SW_HIDE);
            ::ShowWindow(self, SW_SHOWNA);
        }
    }
    if (::GetCapture() == self)
        ::ReleaseCapture();
    --tracker->m_nModalDepth;
    m_bTearOffDragging = FALSE;
    m_bTearOffHot = FALSE;
    CTKPToolBar* bar = m_pTornOffBar;
    m_pTornOffBar = nullptr;
    if (!bar)
        return nullptr;
    if (!shown) {
        // Released over the popup: nothing was torn off.
        if (created)
            GetCommandBars()->Remove(bar);
        else
            bar->SetVisible(FALSE);
        return nullptr;
    }
    // The floating bar stays where it is and the menus close.
    tracker->CloseAll();
    return bar;
}
