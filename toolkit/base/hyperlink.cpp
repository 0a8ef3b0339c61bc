// The toolkit hyperlink: hover tracking over the text, colours, the link font, opening and errors.
#include "toolkit/base/hyperlink.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/resource_loader.h"
#include "win32/shell.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CTKHyperLink, CStatic)

BEGIN_MESSAGE_MAP(CTKHyperLink, CStatic)
    ON_WM_CREATE()
    ON_WM_SETCURSOR()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_CONTROL_REFLECT_EX(STN_CLICKED, OnClicked)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_NCHITTEST()
    ON_WM_WINDOWPOSCHANGED()
END_MESSAGE_MAP()

namespace {

const UINT kHoverTimer = 1;

// The system's non-client metrics in their 500-byte form, for the status-bar font.
struct TKLinkMetrics {
    UINT cbSize;
    int iBorderWidth, iScrollWidth, iScrollHeight, iCaptionWidth, iCaptionHeight;
    LOGFONTW lfCaptionFont;
    int iSmCaptionWidth, iSmCaptionHeight;
    LOGFONTW lfSmCaptionFont;
    int iMenuWidth, iMenuHeight;
    LOGFONTW lfMenuFont, lfStatusFont, lfMessageFont;
};
static_assert(sizeof(TKLinkMetrics) == 500);

} // namespace

CTKHyperLink::CTKHyperLink()
{
    m_hLinkCursor = ::LoadCursorW(nullptr, IDC_HAND);
    if (!m_hLinkCursor)
        m_hLinkCursor = GetResourceLoader().LoadCursor(9973);
}

CTKHyperLink::~CTKHyperLink() = default;

void CTKHyperLink::SetURL(CString address)
{
    m_strURL = address;
    if (m_strTipText.IsEmpty()) {
        m_strTipText = address;
        return;
    }
    if (!m_hWnd)
        return;
    if (!m_toolTip.m_hWnd) {
        if (m_toolTip.Create(this)) {
            RECT rc{};
            GetClientRect(&rc);
            m_toolTip.AddTool(this, m_strTipText, &rc, 1);
            m_toolTip.Activate(m_bToolTip);
        }
    } else {
        m_toolTip.UpdateTipText(address, this, 1);
    }
}

void CTKHyperLink::Redraw()
{
    if (m_hWnd)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CTKHyperLink::SetColors(COLORREF link, COLORREF visited, COLORREF hover)
{
    m_clrLink = link;
    m_clrVisited = visited;
    m_clrHover = hover;
    Redraw();
}

void CTKHyperLink::SetVisited(BOOL visited)
{
    m_bVisited = visited ? 1 : 0;
    Redraw();
}

void CTKHyperLink::SetUnderline(BOOL underline)
{
    m_bUnderline = underline ? 1 : 0;
    UpdateFont();
}

void CTKHyperLink::SetBackColor(COLORREF color)
{
    m_clrBack = color;
    Redraw();
}

COLORREF CTKHyperLink::GetBackColor() const
{
    return m_clrBack == COLORREF(-1) ? GetColorTable().GetColorByIndex(15) : m_clrBack;
}

BOOL CTKHyperLink::GotoURL(LPCWSTR address, int showCmd, LPCWSTR parameters, LPCWSTR directory)
{
    const CString target = address ? CString(address) : m_strURL;
    const INT_PTR result =
        reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, u"open", target, parameters, directory, showCmd));
    if (result > 32)
        return TRUE;
    ReportError(int(result));
    return FALSE;
}

BOOL CTKHyperLink::IsTextControl() const
{
    const DWORD type = DWORD(::GetWindowLongW(m_hWnd, GWL_STYLE)) & 0xFF;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
}

BOOL CTKHyperLink::IsCursorOverText() const
{
    if (!IsTextControl())
        return TRUE;
    WCHAR text[512] = {};
    const int length = ::GetWindowTextW(m_hWnd, text, 512);
    SIZE extent{};
    HDC screen = ::GetDC(nullptr);
    if (screen) {
        HFONT font = HFONT(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        HGDIOBJ old = ::SelectObject(screen, font ? HGDIOBJ(font) : ::GetStockObject(SYSTEM_FONT));
        ::GetTextExtentPoint32W(screen, text, length, &extent);
        ::SelectObject(screen, old);
        ::ReleaseDC(nullptr, screen);
    }
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    switch (DWORD(::GetWindowLongW(m_hWnd, GWL_STYLE)) & 0xFF) {
    case SS_LEFT:
        rc.right = rc.left + extent.cx;
        break;
    case SS_CENTER: {
        const int inset = (rc.right - rc.left - extent.cx) / 2;
        rc.left += inset;
        rc.right -= inset;
        break;
    }
    case SS_RIGHT:
        rc.left = rc.right - extent.cx;
        break;
    }
    POINT pt{};
    ::GetCursorPos(&pt);
    return ::PtInRect(&rc, pt);
}

void CTKHyperLink::ReportError(int code)
{
    static const struct { int code; UINT id; } messages[] = {
        {0, 9037}, {2, 9038}, {3, 9039}, {5, 9040}, {8, 9041}, {11, 9042}, {26, 9043},
        {27, 9044}, {28, 9045}, {29, 9046}, {30, 9047}, {31, 9048}, {32, 9049}};
    UINT id = 9050;
    for (const auto& m : messages)
        if (m.code == code)
            id = m.id;
    CString text;
    GetResourceLoader().LoadString(text, id);
    if (id == 9050) {
        CString format = text;
        text.Format(format, code);
    }
    ::MessageBeep(MB_ICONEXCLAMATION);
    ::MessageBoxW(m_hWnd, text, nullptr, MB_ICONEXCLAMATION);
}

void CTKHyperLink::InitControl()
{
    if (IsTextControl()) {
        if (m_strURL.IsEmpty()) {
            WCHAR text[512] = {};
            ::GetWindowTextW(m_hWnd, text, 512);
            m_strURL = text;
        }
        SetURL(m_strURL);
    }
    ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) | SS_NOTIFY);
    UpdateFont();
}

BOOL CTKHyperLink::UpdateFont()
{
    if (!CreateLinkFont(m_font, m_bUnderline))
        return FALSE;
    if (m_hWnd) {
        SendMessage(WM_SETFONT, WPARAM(m_font.GetSafeHandle()), TRUE);
        Redraw();
    }
    return TRUE;
}

BOOL CTKHyperLink::CreateLinkFont(CFont& font, BOOL underline)
{
    LOGFONTW lf{};
    HFONT current = m_hWnd ? HFONT(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)) : nullptr;
    if (!current || ::GetObjectW(current, sizeof(lf), &lf) != int(sizeof(lf))) {
        TKLinkMetrics ncm{};
        ncm.cbSize = sizeof(ncm);
        if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
            return FALSE;
        lf = ncm.lfStatusFont;
    }
    lf.lfUnderline = underline ? 1 : 0;
    HFONT made = ::CreateFontIndirectW(&lf);
    if (!made)
        return FALSE;
    // The window may still hold the old font: it is replaced before the old one goes.
    HGDIOBJ old = font.Detach();
    font.Attach(made);
    if (old && m_hWnd && current == old)
        SendMessage(WM_SETFONT, WPARAM(made), FALSE);
    if (old)
        ::DeleteObject(old);
    return TRUE;
}

BOOL CTKHyperLink::PreTranslateMessage(MSG* pMsg)
{
    if (m_toolTip.m_hWnd && m_bToolTip)
        m_toolTip.RelayEvent(pMsg);
    return CStatic::PreTranslateMessage(pMsg);
}

BOOL CTKHyperLink::PreCreateWindow(CREATESTRUCTW& cs)
{
    m_bInitOnSubclass = 0;
    return CStatic::PreCreateWindow(cs);
}

void CTKHyperLink::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    if (m_bInitOnSubclass)
        InitControl();
}

int CTKHyperLink::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CStatic::OnCreate(lpcs) == -1)
        return -1;
    InitControl();
    return 0;
}

BOOL CTKHyperLink::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_hLinkCursor && IsCursorOverText()) {
        ::SetCursor(m_hLinkCursor);
        return TRUE;
    }
    return CStatic::OnSetCursor(pWnd, nHitTest, message);
}

HBRUSH CTKHyperLink::CtlColor(CDC* pDC, UINT)
{
    if (!IsTextControl())
        return nullptr;
    pDC->SetTextColor(m_bHover ? m_clrHover : m_bVisited ? m_clrVisited : m_clrLink);
    pDC->SetBkMode(TRANSPARENT);
    return HBRUSH(::GetStockObject(NULL_BRUSH));
}

void CTKHyperLink::OnMouseMove(UINT nFlags, CPoint point)
{
    if (IsTextControl() && IsCursorOverText())
        SetTimer(kHoverTimer, 10, nullptr);
    CStatic::OnMouseMove(nFlags, point);
}

void CTKHyperLink::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kHoverTimer && IsTextControl()) {
        if (IsCursorOverText()) {
            m_bHover = 1;
        } else {
            KillTimer(kHoverTimer);
            m_bHover = 0;
        }
        Redraw();
    }
    CStatic::OnTimer(nIDEvent);
}

BOOL CTKHyperLink::OnClicked()
{
    if (IsCursorOverText()) {
        if (m_bOpenOnClick)
            m_bVisited = GotoURL(nullptr, SW_SHOW) ? 1 : 0;
        else
            m_bVisited = 1;
        if (m_toolTip.m_hWnd && m_bToolTip)
            m_toolTip.Pop();
        Redraw();
    }
    // The parent hears of the click as well.
    return FALSE;
}

void CTKHyperLink::OnPaint()
{
    if (GetExStyle() & WS_EX_TRANSPARENT) {
        Default();
        return;
    }
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    {
        CTKMemDC dc(hdc, client, CTKPGradientColor(GetBackColor()));
        DefWindowProc(WM_PRINTCLIENT, WPARAM(dc.GetSafeHdc()), PRF_CLIENT);
    }
    ::EndPaint(m_hWnd, &ps);
}

BOOL CTKHyperLink::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

LRESULT CTKHyperLink::OnNcHitTest(CPoint)
{
    return HTCLIENT;
}

void CTKHyperLink::OnWindowPosChanged(WINDOWPOS* lpwndpos)
{
    CStatic::OnWindowPosChanged(lpwndpos);
    Redraw();
}
