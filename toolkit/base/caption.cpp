// The caption bar: creation in its two forms, drawing through its look, colours, and the child
// window it pops out and takes back.
#include "toolkit/base/caption.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/global_data.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CTKCaptionButton, CTKButton)
IMPLEMENT_DYNAMIC(CTKCaption, CStatic)

BEGIN_MESSAGE_MAP(CTKCaption, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND_NOERASE()
    ON_WM_SIZE()
    ON_WM_WINDOWPOSCHANGED()
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_BN_CLICKED(TK_IDC_CAPTIONBUTTON, OnCaptionButton)
    ON_MESSAGE(TKM_CAPTIONPOPUP_PINNED, OnPopupPinned)
    ON_MESSAGE(TKM_CAPTIONPOPUP_CLOSED, OnPopupClosed)
END_MESSAGE_MAP()

namespace {

COLORREF IndexColor(UINT index)
{
    return GetColorTable().GetColorByIndex(index);
}

} // namespace

// ---- The caption's button ------------------------------------------------------------------------
CTKCaptionButton::CTKCaptionButton() : CTKButton(RUNTIME_CLASS(CTKCaptionButtonThemeFactory)) {}

DWORD CTKCaptionButton::SetXButtonStyle(DWORD style, BOOL redraw)
{
    const DWORD old = GetXButtonStyle();
    if (!m_pCaption)
        return old;
    SetColorFace(m_pCaption->m_clrBackground);
    SetColorText(m_pCaption->m_clrText);
    if (m_hWnd) {
        SendMessage(WM_SETFONT, m_pCaption->SendMessage(WM_GETFONT), TRUE);
        SetColorShadow(IndexColor(21));
        Invalidate();
    }
    return old;
}

// ---- The caption ---------------------------------------------------------------------------------
CTKCaption::StyleClient::StyleClient(CTKCaption* owner)
    : CTKThemeStyleClient(RUNTIME_CLASS(CTKCaptionThemeFactory)), m_pOwner(owner)
{
}

void CTKCaption::StyleClient::OnStyleChanged()
{
    if (m_pOwner->m_hWnd)
        m_pOwner->Invalidate();
}

CTKCaption::CTKCaption() : m_styleClient(this)
{
    m_clrBorder = IndexColor(COLOR_BTNFACE);
    m_clrBackground = IndexColor(COLOR_BTNFACE);
    m_clrText = IndexColor(COLOR_BTNTEXT);
    CTKGlobalData& data = GetGlobalData();
    m_cxIcon = std::min(data.m_cxSmallIcon, 16);
    m_cyIcon = std::min(data.m_cySmallIcon, 16);
}

CTKCaption::~CTKCaption()
{
    DeletePopup();
    if (m_hCloseIcon)
        ::DestroyIcon(m_hCloseIcon);
}

CTKCaptionTheme* CTKCaption::GetTheme()
{
    return static_cast<CTKCaptionTheme*>(m_styleClient.GetStyle());
}

CWnd* CTKCaption::GetNotifyWnd() const
{
    return m_hWndOwner ? CWnd::FromHandle(m_hWndOwner) : GetParent();
}

void CTKCaption::ColorButton()
{
    if (!m_button.m_hWnd)
        return;
    m_button.SetColorFace(m_clrBackground);
    m_button.SetColorText(m_clrText);
    m_button.SetColorShadow(IndexColor(COLOR_3DDKSHADOW));
}

void CTKCaption::SetCaptionColors(COLORREF border, COLORREF background, COLORREF text)
{
    m_clrBorder = border;
    m_clrBackground = background;
    m_clrText = text;
    m_bCustomColors = 1;
    ColorButton();
}

void CTKCaption::ModifyCaptionStyle(int borderSize, CFont* font, LPCWSTR text, HICON icon)
{
    if (borderSize)
        m_nBorder = borderSize;
    if (font) {
        if (m_hWnd)
            SendMessage(WM_SETFONT, WPARAM(font->GetSafeHandle()), TRUE);
        if (m_button.m_hWnd)
            m_button.SendMessage(WM_SETFONT, WPARAM(font->GetSafeHandle()), TRUE);
    }
    if (text)
        m_strCaption = text;
    if (icon)
        m_hIcon = icon;
    if (m_hWnd)
        Invalidate();
}

void CTKCaption::SetChildWindow(CWnd* child, CWnd* notify)
{
    m_pChild = child;
    m_pChildParent = child ? child->GetParent() : nullptr;
    m_pChildGrandParent = m_pChildParent ? m_pChildParent->GetParent() : nullptr;
    SetOwner(notify);
    if (m_pChild)
        m_pChild->GetClientRect(&m_rcChild);
    if (m_pChildParent) {
        m_pChildParent->GetClientRect(&m_rcParent);
        m_rcParent.InflateRect(2 * ::GetSystemMetrics(SM_CXEDGE), 2 * ::GetSystemMetrics(SM_CYEDGE));
    }
    if (m_pChildGrandParent)
        m_pChildGrandParent->GetClientRect(&m_rcGrandParent);
    CRect parentClient;
    if (m_pChildParent)
        m_pChildParent->GetClientRect(&parentClient);
    m_nHeightDiff = parentClient.Height() - m_rcChild.Height();
    if (m_button.m_hWnd) {
        m_button.ShowWindow(SW_SHOW);
        m_button.UpdateWindow();
    }
}

void CTKCaption::DeletePopup()
{
    CTKCaptionPopupWnd* popup = m_pPopup;
    m_pPopup = nullptr;
    if (!popup)
        return;
    if (popup->m_hWnd)
        popup->DestroyWindow();
    delete popup;
}

void CTKCaption::KillChildWindow()
{
    if (m_button.m_hWnd) {
        m_button.ShowWindow(SW_HIDE);
        m_button.SendMessage(BM_SETSTATE, FALSE);
    }
    DeletePopup();
}

BOOL CTKCaption::ShowPopupWindow()
{
    if (m_pPopup && m_pPopup->m_hWnd && m_pPopup->IsWindowVisible())
        return TRUE;
    // Checked before the popup takes the child, so a failure leaves the child where it is.
    if (!m_pChildParent || !::IsWindow(m_pChildParent->m_hWnd) || !m_pChildGrandParent ||
        !::IsWindow(m_pChildGrandParent->m_hWnd))
        return FALSE;
    if (!m_pPopup || !m_pPopup->m_hWnd) {
        DeletePopup();
        auto* popup = new CTKCaptionPopupWnd;
        if (!popup->Create(CRect(0, 0, 0, 0), this, m_pChild)) {
            delete popup;
            return FALSE;
        }
        m_pPopup = popup;
    }
    CRect rc = m_rcParent;
    m_pChildParent->ClientToScreen(&rc);
    CRect grandParent;
    m_pChildGrandParent->GetClientRect(&grandParent);
    if (grandParent.Height() != m_rcGrandParent.Height())
        rc.bottom += grandParent.Height() - m_rcGrandParent.Height();
    m_pPopup->MoveWindow(&rc);
    m_pPopup->ShowWindow(SW_SHOW);
    m_pPopup->RecalcLayout();
    if (m_button.m_hWnd)
        m_button.SendMessage(BM_SETSTATE, TRUE);
    return TRUE;
}

void CTKCaption::UpdateCaption(LPCWSTR text, HICON icon)
{
    if (!m_hWnd)
        return;
    CWindowDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    DrawCaptionBack(&dc, rc);
    if (text) {
        m_strCaption = text;
        UpdateCaptionText(&dc);
    }
    if (icon) {
        m_hIcon = icon;
        DrawCaptionIcon(&dc, rc);
    }
}

BOOL CTKCaption::Create(CWnd* parent, LPCWSTR text, DWORD style, DWORD wndStyle, const CRect& rect, UINT id)
{
    if (!CStatic::Create(text, wndStyle | WS_CLIPCHILDREN, rect, parent, id))
        return FALSE;
    SendMessage(WM_SETFONT, WPARAM(GetGlobalData().m_fontRegular), FALSE);
    m_dwCaptionStyle = style & 7;
    if (style & ~DWORD(7))
        ModifyStyleEx(0, style & ~DWORD(7));
    m_strCaption = text ? text : u"";
    const CRect none(0, 0, 0, 0);
    if (!(m_dwCaptionStyle & TKCS_CLOSEBUTTON)) {
        if (!m_button.Create(m_strCaption, WS_CHILD | BS_OWNERDRAW | BS_ICON | BS_VCENTER, none, this,
                             TK_IDC_CAPTIONBUTTON))
            return FALSE;
        m_bTextButton = 1;
    } else {
        if (!m_button.Create(u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | BS_ICON | BS_CENTER | BS_VCENTER, none,
                             this, TK_IDC_CAPTIONBUTTON))
            return FALSE;
        if (m_imageList.Create(9002, 16, 1, RGB(255, 0, 255))) {
            m_hCloseIcon = m_imageList.ExtractIcon(2);
            if (m_hCloseIcon)
                m_button.SetIcon(CSize(16, 15), m_hCloseIcon, nullptr, TRUE);
        }
    }
    m_button.m_pCaption = this;
    m_button.SetXButtonStyle(m_button.GetXButtonStyle());
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
    return TRUE;
}

CRect CTKCaption::GetTextRect()
{
    if (m_strCaption.IsEmpty() || !m_hWnd)
        return CRect(0, 0, 0, 0);
    CRect client;
    GetClientRect(&client);
    CClientDC dc(this);
    CTKPSelectFont font(dc.m_hDC, HFONT(SendMessage(WM_GETFONT)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.m_hDC, m_strCaption, m_strCaption.GetLength(), &extent);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc.m_hDC, &tm);
    int width = extent.cx + tm.tmAveCharWidth + 12;
    if (m_hIcon)
        width = std::min(width, client.Width() - 18);
    return CRect(m_nBorder, m_nBorder, m_nBorder + width, client.Height() - m_nBorder);
}

void CTKCaption::DrawCaptionBack(CDC* pDC, const CRect& rc)
{
    if (CTKCaptionTheme* theme = GetTheme())
        theme->DrawCaptionBack(pDC, this, rc);
}

void CTKCaption::DrawCaptionText(CDC* pDC)
{
    if (CTKCaptionTheme* theme = GetTheme())
        theme->DrawCaptionText(pDC, this);
}

void CTKCaption::DrawCaptionIcon(CDC* pDC, const CRect& rc)
{
    if (CTKCaptionTheme* theme = GetTheme())
        theme->DrawCaptionIcon(pDC, this, rc);
}

void CTKCaption::UpdateCaptionText(CDC* pDC)
{
    if (m_button.m_hWnd) {
        m_button.SetWindowText(m_strCaption);
        m_button.MoveWindow(GetButtonRect());
    }
    DrawCaptionText(pDC);
}

CRect CTKCaption::GetButtonRect()
{
    if (!m_button.m_hWnd)
        return CRect(0, 0, 0, 0);
    if (m_dwCaptionStyle & TKCS_CLOSEBUTTON) {
        CRect client;
        GetClientRect(&client);
        const int top = (client.Height() - 15) / 2;
        return CRect(client.Width() - 18, top, client.Width() - 2, top + 15);
    }
    return GetTextRect();
}

void CTKCaption::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CTKMemDC dc(paint.m_hDC, client, CTKPGradientColor(IndexColor(15)));
    if (m_button.m_hWnd && m_button.IsWindowVisible())
        dc.ExcludeClipRect(GetButtonRect());
    DrawCaptionBack(&dc, client);
    DrawCaptionText(&dc);
    DrawCaptionIcon(&dc, client);
}

void CTKCaption::OnSize(UINT nType, int cx, int cy)
{
    CStatic::OnSize(nType, cx, cy);
    if (m_hIcon)
        Invalidate();
}

void CTKCaption::OnWindowPosChanged(WINDOWPOS* lpwndpos)
{
    CStatic::OnWindowPosChanged(lpwndpos);
    if (m_button.m_hWnd)
        m_button.MoveWindow(GetButtonRect());
}

LRESULT CTKCaption::OnSysColorChange(WPARAM, LPARAM)
{
    Default();
    if (!m_bCustomColors) {
        m_clrText = IndexColor(COLOR_BTNTEXT);
        m_clrBackground = IndexColor(COLOR_BTNFACE);
        m_clrBorder = IndexColor(COLOR_BTNFACE);
        ColorButton();
    }
    return 0;
}

void CTKCaption::OnCaptionButton()
{
    if (!(m_dwCaptionStyle & TKCS_CLOSEBUTTON)) {
        ShowPopupWindow();
        return;
    }
    if (CWnd* notify = GetNotifyWnd())
        notify->SendMessage(WM_COMMAND, WPARAM(GetDlgCtrlID()), LPARAM(m_hWnd));
}

BOOL CTKCaption::IsCurrentPopup(LPARAM lParam) const
{
    return m_pPopup && (!lParam || HWND(lParam) == m_pPopup->m_hWnd);
}

LRESULT CTKCaption::OnPopupPinned(WPARAM, LPARAM lParam)
{
    if (!IsCurrentPopup(lParam))
        return 0;
    KillChildWindow();
    if (m_pChild && ::IsWindow(m_pChild->m_hWnd)) {
        CRect rc = m_rcParent;
        rc.top += m_nHeightDiff;
        m_pChild->MoveWindow(&rc);
    }
    if (CWnd* notify = GetNotifyWnd())
        notify->SendMessage(TKM_CAPTIONPOPUP_PINNED);
    Invalidate();
    return 0;
}

LRESULT CTKCaption::OnPopupClosed(WPARAM, LPARAM lParam)
{
    if (!IsCurrentPopup(lParam))
        return 0;
    if (m_button.m_hWnd)
        m_button.SendMessage(BM_SETSTATE, FALSE);
    DeletePopup();
    if (CWnd* notify = GetNotifyWnd())
        notify->SendMessage(TKM_CAPTIONPOPUP_CLOSED);
    Invalidate();
    return 0;
}
