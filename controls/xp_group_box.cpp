// CXPGroupBox: the chainable setters and the painting of both box styles.
#include "controls/xp_group_box.h"

#include <algorithm>

CXPGroupBox::CXPGroupBox()
    : m_borderColour(GetSysColor(COLOR_BTNSHADOW)),
      m_backColour1(GetSysColor(COLOR_BTNFACE)),
      m_backColour2(GetSysColor(COLOR_BTNFACE))
{
}

BOOL CXPGroupBox::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= BS_ICON;
    return CButton::PreCreateWindow(cs);
}

void CXPGroupBox::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    ModifyStyle(0, BS_ICON);
    HFONT font = (HFONT)SendMessage(WM_GETFONT);
    if (!font)
        font = (HFONT)GetStockObject(SYSTEM_FONT);
    GetObjectW(font, sizeof(m_fontDescription), &m_fontDescription);
    RecreateFont();
}

void CXPGroupBox::RecreateFont()
{
    m_captionFont.DeleteObject();
    m_captionFont.CreateFontIndirect(&m_fontDescription);
}

void CXPGroupBox::Redraw()
{
    if (!m_hWnd)
        return;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    // The rounded corners leave the parent's background showing, so the parent repaints beneath.
    if (CWnd* parent = GetParent()) {
        CRect rc;
        GetWindowRect(&rc);
        parent->ScreenToClient(&rc);
        parent->InvalidateRect(&rc, TRUE);
        parent->UpdateWindow();
    }
}

CXPGroupBox& CXPGroupBox::SetBorderColor(COLORREF colour)
{
    m_borderColour = colour;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionTextColor(COLORREF colour)
{
    m_captionTextColour = colour;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetBackgroundColor(COLORREF colour1, COLORREF colour2)
{
    m_backColour1 = colour1;
    m_backColour2 = colour2;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetBackgroundColor(COLORREF colour)
{
    return SetBackgroundColor(colour, colour);
}

CXPGroupBox& CXPGroupBox::SetBoxStyle(DWORD style)
{
    m_boxStyle = style;
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaption(LPCWSTR text)
{
    if (m_hWnd) {
        m_caption = CString(u" ") + CString(text) + u" ";
        Redraw();
    }
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontBold(BOOL bold)
{
    m_fontDescription.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    RecreateFont();
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontName(LPCWSTR faceName, BYTE charSet)
{
    std::fill(std::begin(m_fontDescription.lfFaceName), std::end(m_fontDescription.lfFaceName), 0);
    for (int i = 0; faceName && faceName[i] && i < LF_FACESIZE - 1; ++i)
        m_fontDescription.lfFaceName[i] = faceName[i];
    m_fontDescription.lfCharSet = charSet;
    RecreateFont();
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontUnderline(BOOL underline)
{
    m_fontDescription.lfUnderline = underline ? 1 : 0;
    RecreateFont();
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontItalic(BOOL italic)
{
    m_fontDescription.lfItalic = italic ? 1 : 0;
    RecreateFont();
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFontSize(int points)
{
    CFont sized;
    if (sized.CreatePointFont(points * 10, m_fontDescription.lfFaceName)) {
        LOGFONTW lf{};
        sized.GetLogFont(&lf);
        m_fontDescription.lfHeight = lf.lfHeight;
        m_fontDescription.lfWidth = lf.lfWidth;
    }
    RecreateFont();
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetCaptionFont(const LOGFONTW& font)
{
    m_fontDescription = font;
    RecreateFont();
    Redraw();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetAlignment(DWORD alignment)
{
    m_alignment = alignment <= AlignRight ? alignment : DWORD{AlignLeft};
    Redraw();
    return *this;
}

void CXPGroupBox::Paint(HDC dc)
{
    CRect rc;
    GetClientRect(&rc);
    rc.DeflateRect(1, 1);
    HGDIOBJ oldFont = m_captionFont.GetSafeHandle() ? SelectObject(dc, m_captionFont) : nullptr;

    if (m_caption.IsEmpty()) {
        CString text;
        GetWindowText(text);
        if (!text.IsEmpty())
            m_caption = CString(u" ") + text + u" ";
    }
    SIZE extent{0, 0};
    if (!m_caption.IsEmpty())
        GetTextExtentPoint32W(dc, m_caption, m_caption.GetLength(), &extent);

    HPEN pen = CreatePen(PS_SOLID, 1, m_borderColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    CRect caption;
    if (m_boxStyle == FrameStyle) {
        int left = m_alignment == AlignCenter ? rc.left + (rc.Width() - extent.cx) / 2
                   : m_alignment == AlignRight ? rc.right - 10 - extent.cx
                                               : rc.left + 10;
        caption.SetRect(left, rc.top, left + extent.cx, rc.top + extent.cy);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, rc.left, rc.top + extent.cy / 2, rc.right, rc.bottom, 10, 10);
        SelectObject(dc, oldBrush);
        HBRUSH back = CreateSolidBrush(m_backColour1);
        FillRect(dc, &caption, back);
        DeleteObject(back);
    } else {
        HBRUSH back1 = CreateSolidBrush(m_backColour1);
        HBRUSH back2 = CreateSolidBrush(m_backColour2);
        HGDIOBJ oldBrush = SelectObject(dc, back1);
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 10, 10);
        SelectObject(dc, back2);
        Rectangle(dc, rc.left, rc.top + extent.cy + 4, rc.right, rc.bottom);
        SelectObject(dc, oldBrush);
        DeleteObject(back1);
        DeleteObject(back2);
        int left = m_alignment == AlignCenter ? rc.left + (rc.Width() - extent.cx) / 2
                   : m_alignment == AlignRight ? rc.right - 2 - extent.cx
                                               : rc.left + 2;
        caption.SetRect(left, rc.top + 2, left + extent.cx, rc.top + 2 + extent.cy);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    COLORREF oldColour = SetTextColor(dc, m_captionTextColour);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, m_caption, m_caption.GetLength(), &caption, DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
    if (oldFont)
        SelectObject(dc, oldFont);
}

LRESULT CXPGroupBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        Paint(dc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint((HDC)wParam);
        return 0;
    }
    return CButton::WindowProc(message, wParam, lParam);
}
