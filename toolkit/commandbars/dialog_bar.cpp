// The dialog bar: a tool bar whose client area holds one child window under a caption line with
// an optional drop-down and a close button, resizable from its free edges.
#include "toolkit/commandbars/dialog_bar.h"

#include "afx/window_dc.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/popup_bar.h"

#include <algorithm>

IMPLEMENT_SERIAL(CTKPDialogBar, CTKPToolBar, VERSIONABLE_SCHEMA | 16)

namespace {

// The caption line's text; with a filled popup it opens the popup below the caption.
class CTKPDialogBarCaption : public CTKPControlPopup {
public:
    CTKPDialogBarCaption() { m_dwFlags = 0x1E; }
    BOOL HasPopup() const { return m_bHasPopup; }
    void OnClick(BOOL keyboard, POINT pt) override
    {
        if (m_bHasPopup)
            CTKPControlPopup::OnClick(keyboard, pt);
    }
    BOOL SetPopuped(BOOL popuped) override { return m_bHasPopup ? CTKPControlPopup::SetPopuped(popuped) : FALSE; }
    void Draw(CDC* pDC) override
    {
        if (!pDC)
            return;
        const HDC hdc = pDC->m_hDC;
        RECT rc = m_rcControl;
        COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
        if (m_bHasPopup)
            if (CTKPPaintManager* paint = GetPaintManager())
                text = paint->DrawControlFaceByState(hdc, this, rc);
        ::SetTextColor(hdc, text);
        ::SetBkMode(hdc, TRANSPARENT);
        RECT textRect{rc.left + 2, rc.top, rc.right - (m_bHasPopup ? 15 : 2), rc.bottom};
        const CString caption = GetCaption();
        ::DrawTextW(hdc, caption, caption.GetLength(), &textRect, DT_VCENTER | DT_SINGLELINE);
        if (m_bHasPopup)
            if (CTKPPaintManager* paint = GetPaintManager()) {
                const int x = rc.right - 9 - 8;
                const int y = (rc.top + rc.bottom) / 2 - 2;
                paint->DrawDropDownTriangle(hdc, RECT{x, y, x + 8, y + 4}, text);
            }
    }
    BOOL m_bHasPopup = FALSE;
};

// The close button of the caption: it hides the bar.
class CTKPDialogBarClose : public CTKPControlButton {
public:
    CTKPDialogBarClose() { m_dwFlags = 0x1A; }
    void OnExecute() override
    {
        if (auto* bar = dynamic_cast<CTKPToolBar*>(m_pParent))
            bar->SetVisible(FALSE);
    }
    void Draw(CDC* pDC) override
    {
        if (!pDC)
            return;
        const HDC hdc = pDC->m_hDC;
        RECT rc = m_rcControl;
        COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
        if (CTKPPaintManager* paint = GetPaintManager())
            text = paint->DrawControlFaceByState(hdc, this, rc);
        LOGFONTW lf{};
        lf.lfHeight = rc.bottom - rc.top - 4;
        lf.lfCharSet = SYMBOL_CHARSET;
        std::char_traits<char16_t>::copy(lf.lfFaceName, u"Marlett", 8);
        HFONT font = ::CreateFontIndirectW(&lf);
        HGDIOBJ old = ::SelectObject(hdc, font);
        ::SetTextColor(hdc, text);
        ::SetBkMode(hdc, TRANSPARENT);
        ::DrawTextW(hdc, u"r", 1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::SelectObject(hdc, old);
        ::DeleteObject(font);
    }
};

} // namespace

CTKPDialogBar::CTKPDialogBar()
{
    m_pCaptionPopup = CTKPPopupBar::CreatePopupBar(nullptr);
    m_pCaptionPopup->m_dwPopupFlags = 2;
}

CTKPDialogBar::~CTKPDialogBar()
{
    if (m_pCaptionPopup)
        m_pCaptionPopup->InternalRelease();
}

int CTKPDialogBar::CaptionHeight() const
{
    CTKPPaintManager* paint = GetPaintManager();
    if (!paint)
        return 0;
    CClientDC dc(nullptr);
    HGDIOBJ old = ::SelectObject(dc.m_hDC, paint->GetBarFont(const_cast<CTKPDialogBar*>(this)));
    const SIZE caption = paint->DrawDialogBarGripper(dc.m_hDC, const_cast<CTKPDialogBar*>(this), FALSE);
    ::SelectObject(dc.m_hDC, old);
    return caption.cy;
}

CSize CTKPDialogBar::CalcDialogBarLayout(int length, DWORD mode, int clientWidth, int clientHeight)
{
    CSize size(clientWidth + m_rcBorders.left + m_rcBorders.right, clientHeight + m_rcBorders.top + m_rcBorders.bottom);
    if (!m_bCaptionVisible) {
        m_nCaptionBottom = m_rcBorders.top;
        return size;
    }
    const int caption = CaptionHeight();
    size.cy += caption;
    m_nCaptionBottom = m_rcBorders.top + caption;
    if (mode & LM_STRETCH) {
        if (mode & LM_VERTDOCK)
            size.cy = std::max<LONG>(size.cy, length);
        else
            size.cx = std::max<LONG>(size.cx, length);
    }
    if (length > 0) {
        if (mode & LM_HORZ)
            size.cx = std::min<LONG>(size.cx, length);
        else
            size.cy = std::min<LONG>(size.cy, length);
    }
    const int middle = m_rcBorders.top + caption / 2;
    CTKPControl* close = m_pControls->FindControl(TKP_ID_DIALOGBAR_CLOSE);
    if (!close && m_bCustomizable)
        close = m_pControls->AddControl(new CTKPDialogBarClose(), TKP_ID_DIALOGBAR_CLOSE, nullptr, -1, TRUE);
    int captionRight = size.cx - m_rcBorders.right;
    if (close) {
        close->m_dwHideFlags = m_bCustomizable ? 0 : TKP_HIDE_GENERIC;
        if (m_bCustomizable) {
            close->SetRect(RECT{captionRight - 16, middle - 8, captionRight, middle + 8});
            captionRight -= 16;
        }
    }
    auto* title = dynamic_cast<CTKPDialogBarCaption*>(m_pControls->FindControl(TKP_ID_DIALOGBAR_CAPTION));
    if (!title) {
        title = new CTKPDialogBarCaption();
        m_pControls->AddControl(title, TKP_ID_DIALOGBAR_CAPTION, nullptr, 0, TRUE);
    }
    title->SetCommandBar(m_pCaptionPopup);
    m_pCaptionPopup->SetParentControl(title);
    title->m_bHasPopup = m_bCaptionPopup && m_pCaptionPopup->GetControlCount() > 0;
    title->SetCaption(m_strCaption.IsEmpty() ? GetTitle() : m_strCaption);
    title->SetRect(RECT{m_rcBorders.left, middle - 8, captionRight, middle + 8});
    return size;
}

CSize CTKPDialogBar::CalcDockingLayout(int length, DWORD mode)
{
    const CSize size = CalcDialogBarLayout(length, mode, m_szDockingClient.cx, m_szDockingClient.cy);
    if ((mode & LM_COMMIT) && m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return size;
}

CSize CTKPDialogBar::CalcDynamicLayout(int length, DWORD mode)
{
    if (m_pDockBar)
        return CalcDockingLayout(length, mode);
    return CalcDialogBarLayout(32000, mode, m_szFloatingClient.cx, m_szFloatingClient.cy);
}

BOOL CTKPDialogBar::IsPointInBar(int x, int y) const
{
    RECT rc;
    if (!m_hWnd || !::GetWindowRect(m_hWnd, &rc))
        return FALSE;
    rc.bottom = std::min<LONG>(rc.bottom, rc.top + m_nCaptionBottom);
    return ::PtInRect(&rc, POINT{x, y});
}

LRESULT CTKPDialogBar::HitTest(POINT pt) const
{
    RECT rc;
    if (!m_bResizable || !m_hWnd || !::GetWindowRect(m_hWnd, &rc))
        return 0;
    ::InflateRect(&rc, -3, -3);
    const BOOL above = pt.y < rc.top, below = pt.y > rc.bottom, left = pt.x < rc.left, right = pt.x > rc.right;
    if (m_barPosition == TKP_BARPOS_FLOATING) {
        if (above && left)
            return HTTOPLEFT;
        if (above && right)
            return HTTOPRIGHT;
        if (below && left)
            return HTBOTTOMLEFT;
        if (below && right)
            return HTBOTTOMRIGHT;
        if (above)
            return HTTOP;
        if (below)
            return HTBOTTOM;
        if (left)
            return HTLEFT;
        if (right)
            return HTRIGHT;
        return 0;
    }
    const BOOL stretched = (m_dwDockingFlags & 64) != 0;
    if (m_barPosition == TKP_BARPOS_BOTTOM) {
        if (above)
            return HTTOP;
    } else if (below && !(stretched && m_barPosition == TKP_BARPOS_LEFT)) {
        return HTBOTTOM;
    }
    if (m_barPosition != TKP_BARPOS_RIGHT) {
        if (right && !(stretched && (m_barPosition == TKP_BARPOS_TOP || m_barPosition == TKP_BARPOS_BOTTOM)))
            return HTRIGHT;
    } else if (left) {
        return HTLEFT;
    }
    return 0;
}

void CTKPDialogBar::Resize(const RECT& rc, int hitCode)
{
    const int bx = m_rcBorders.left + m_rcBorders.right;
    const int by = m_rcBorders.top + m_rcBorders.bottom + (m_bCaptionVisible ? CaptionHeight() : 0);
    const SIZE client{rc.right - rc.left - bx, rc.bottom - rc.top - by};
    if (client.cx < m_szMinClient.cx || client.cy < m_szMinClient.cy)
        return;
    if (m_barPosition == TKP_BARPOS_FLOATING) {
        m_szFloatingClient = client;
        CalcDynamicLayout(32000, LM_HORZ | LM_COMMIT);
        if (m_hWnd) {
            ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
            ::InvalidateRect(m_hWnd, nullptr, TRUE);
        }
        return;
    }
    if (hitCode == HTLEFT || hitCode == HTRIGHT)
        m_szDockingClient.cx = client.cx;
    else
        m_szDockingClient.cy = client.cy;
    OnRecalcLayout();
}

void CTKPDialogBar::SetChild(CWnd* child)
{
    m_pChild = child;
    PlaceChild();
}

void CTKPDialogBar::SetSize(SIZE docking, SIZE floating)
{
    m_szDockingClient = docking;
    m_szFloatingClient = floating;
}

void CTKPDialogBar::PlaceChild()
{
    if (!m_pChild || !m_pChild->m_hWnd || !m_hWnd)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int width = client.right - m_rcBorders.left - m_rcBorders.right;
    const int height = client.bottom - m_nCaptionBottom - m_rcBorders.bottom;
    ::SetWindowPos(m_pChild->m_hWnd, nullptr, m_rcBorders.left, m_nCaptionBottom, std::max(width, 0),
                   std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(m_pChild->m_hWnd, nullptr, TRUE);
}

BOOL CTKPDialogBar::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_NCHITTEST && m_bResizable) {
        if (const LRESULT hit = HitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
            if (pResult)
                *pResult = hit;
            return TRUE;
        }
    }
    const BOOL handled = CTKPToolBar::OnWndMsg(message, wParam, lParam, pResult);
    if (message == WM_SIZE)
        PlaceChild();
    return handled;
}
