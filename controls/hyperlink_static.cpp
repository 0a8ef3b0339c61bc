// CHyperlinkStatic: hover tracking, fitting the window to its text and opening the address.
#include "controls/hyperlink_static.h"

#include "controls/html_drawer.h"
#include "win32/shell.h"

CHyperlinkStatic::~CHyperlinkStatic()
{
    // The cursor is this control's own copy.
    if (m_hHandCursor)
        DestroyCursor(m_hHandCursor);
}

COLORREF CHyperlinkStatic::CurrentTextColour() const
{
    return m_hovering ? m_hoverColour : m_visited ? m_visitedColour : m_linkColour;
}

void CHyperlinkStatic::SetLinkUrl(LPCWSTR lpszUrl)
{
    m_url = lpszUrl;
    if (m_hWnd) {
        FitToText();
        if (m_toolTip.m_hWnd)
            m_toolTip.UpdateTipText(m_url, this, 1);
    }
}

void CHyperlinkStatic::SetLinkUnderline(int mode)
{
    if (mode != m_underline && m_hWnd) {
        SendMessage(WM_SETFONT, (WPARAM)(HFONT)(mode == 1 ? m_underlinedFont : m_plainFont), TRUE);
        Invalidate();
    }
    m_underline = mode;
}

void CHyperlinkStatic::SetVisited(BOOL visited)
{
    m_visited = visited;
    if (m_hWnd)
        Invalidate();
}

void CHyperlinkStatic::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    ModifyStyle(0, SS_NOTIFY);
    CString text;
    GetWindowText(text);
    if (m_url.IsEmpty())
        m_url = text;
    if (text.IsEmpty())
        SetWindowText(m_url);

    HFONT font = (HFONT)SendMessage(WM_GETFONT);
    if (!font)
        font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    if (!font)
        font = (HFONT)GetStockObject(ANSI_VAR_FONT);
    LOGFONTW lf{};
    GetObjectW(font, sizeof(lf), &lf);
    lf.lfUnderline = FALSE;
    m_plainFont.CreateFontIndirect(&lf);
    lf.lfUnderline = TRUE;
    m_underlinedFont.CreateFontIndirect(&lf);

    FitToText();
    LoadHandCursor();
    // Applied afresh: the font is not set yet whatever the mode.
    int mode = m_underline;
    m_underline = mode + 1;
    SetLinkUnderline(mode);

    if (m_toolTip.Create(this)) {
        CRect rc;
        GetClientRect(&rc);
        m_toolTip.AddTool(this, m_url, &rc, 1);
    }
}

void CHyperlinkStatic::LoadHandCursor()
{
    if (m_hHandCursor)
        return;
    // The help viewer is the only module that carries the hand cursor; the layer has no system
    // folder to look in, so the module is asked for by name.
    HMODULE module = LoadLibraryW(u"winhlp32.exe");
    if (!module)
        return;
    if (HCURSOR cursor = LoadCursorW(module, MAKEINTRESOURCEW(106)))
        m_hHandCursor = (HCURSOR)CopyIcon((HICON)cursor);
    FreeLibrary(module);
}

void CHyperlinkStatic::FitToText()
{
    if (!m_autoSize || !m_hWnd)
        return;
    CWnd* parent = GetParent();
    CRect window, client;
    GetWindowRect(&window);
    GetClientRect(&client);
    if (parent)
        parent->ScreenToClient(&window);
    CString text;
    GetWindowText(text);
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, m_underlinedFont.GetSafeHandle() ? (HGDIOBJ)(HFONT)m_underlinedFont : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, text.GetLength(), &extent);
    SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);

    int width = extent.cx + (window.Width() - client.Width());
    int height = extent.cy + (window.Height() - client.Height());
    DWORD style = GetStyle();
    if (style & SS_CENTERIMAGE) {
        int shrink = (window.Height() - height) / 2;
        window.top += shrink;
        window.bottom = window.top + height;
    } else {
        window.bottom = window.top + height;
    }
    switch (style & 3) {
    case SS_CENTER: {
        int shrink = (window.Width() - width) / 2;
        window.left += shrink;
        window.right = window.left + width;
        break;
    }
    case SS_RIGHT:
        window.left = window.right - width;
        break;
    default:
        window.right = window.left + width;
        break;
    }
    SetWindowPos(nullptr, window.left, window.top, window.Width(), window.Height(), SWP_NOZORDER);
}

void CHyperlinkStatic::CheckLeave()
{
    DWORD pos = GetMessagePos();
    CPoint point(GET_X_LPARAM(pos), GET_Y_LPARAM(pos));
    ScreenToClient(&point);
    CRect rc;
    GetClientRect(&rc);
    if (rc.PtInRect(point))
        return;
    m_hovering = FALSE;
    KillTimer(m_hoverTimer);
    if (m_underline != 1)
        SendMessage(WM_SETFONT, (WPARAM)(HFONT)m_plainFont, FALSE);
    rc.bottom += 10;
    InvalidateRect(&rc);
}

void CHyperlinkStatic::Open()
{
    m_hovering = FALSE;
    INT_PTR result = (INT_PTR)ShellExecuteW(nullptr, u"open", m_url, nullptr, nullptr, SW_SHOW);
    if (result <= 32) {
        INT_PTR fallback = CHtmlDrawer::OpenWithWebPageCommand(m_url, SW_SHOW);
        if (fallback >= 0)
            result = fallback;
    }
    if (result > 32) {
        SetVisited(TRUE);
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    AfxMessageBox(OpenErrorText(result), MB_ICONEXCLAMATION);
}

CString CHyperlinkStatic::OpenErrorText(INT_PTR code)
{
    static const struct { INT_PTR code; const char16_t* reason; } kReasons[] = {
        {0, u"The operating system is out\nof memory or resources."},
        {2, u"The specified file was not found."},
        {3, u"The specified path was not found."},
        {5, u"The operating system denied\naccess to the specified file."},
        {8, u"There was not enough memory to complete the operation."},
        {11, u"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, u"A sharing violation occurred. "},
        {27, u"The filename association is\nincomplete or invalid."},
        {28, u"The DDE transaction could not\nbe completed because the request timed out."},
        {29, u"The DDE transaction failed."},
        {30, u"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, u"There is no application associated\nwith the given filename extension."},
        {32, u"The specified dynamic-link library was not found."},
    };
    CString reason;
    for (const auto& r : kReasons)
        if (r.code == code)
            reason = r.reason;
    if (reason.IsEmpty())
        reason.Format(u"Unknown Error (%d) occurred.", (int)code);
    return CString(u"Unable to open hyperlink:\n\n") + reason;
}

BOOL CHyperlinkStatic::DestroyWindow()
{
    KillTimer(m_hoverTimer);
    return CStatic::DestroyWindow();
}

BOOL CHyperlinkStatic::PreTranslateMessage(MSG* pMsg)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(pMsg);
    return CStatic::PreTranslateMessage(pMsg);
}

BOOL CHyperlinkStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_CTLCOLORSTATIC) {
        HDC dc = (HDC)wParam;
        SetTextColor(dc, CurrentTextColour());
        SetBkMode(dc, TRANSPARENT);
        if (pResult)
            *pResult = (LRESULT)GetStockObject(NULL_BRUSH);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        Open();
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    return CStatic::OnChildNotify(message, wParam, lParam, pResult);
}

LRESULT CHyperlinkStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        if (!m_hHandCursor)
            break;
        ::SetCursor(m_hHandCursor);
        return TRUE;
    case WM_MOUSEMOVE:
        if (!m_hovering) {
            m_hovering = TRUE;
            if (m_underline == -1)
                SendMessage(WM_SETFONT, (WPARAM)(HFONT)m_underlinedFont, FALSE);
            Invalidate();
            SetTimer(m_hoverTimer, 100, nullptr);
        }
        break;
    case WM_TIMER:
        if (wParam == m_hoverTimer)
            CheckLeave();
        break;
    case WM_ERASEBKGND: {
        CRect rc;
        GetClientRect(&rc);
        FillRect((HDC)wParam, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
        return TRUE;
    }
    }
    return CStatic::WindowProc(message, wParam, lParam);
}
