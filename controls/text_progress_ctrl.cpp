// CTextProgressCtrl: its own position and range, and a text that changes colour where the bar ends.
#include "controls/text_progress_ctrl.h"

#include <algorithm>

double CTextProgressCtrl::Fraction() const
{
    // An empty range has nothing filled rather than a division by zero.
    if (m_upper == m_lower)
        return 0.0;
    return double(m_position - m_lower) / double(m_upper - m_lower);
}

int CTextProgressCtrl::SetPosition(int position)
{
    if (!m_hWnd)
        return -1;
    int previous = m_position;
    m_position = position;
    CRect rc;
    GetClientRect(&rc);
    int length = int(Fraction() * rc.Width());
    if (length != m_barLength) {
        m_barLength = length;
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return previous;
}

void CTextProgressCtrl::Paint(HDC target)
{
    CRect client;
    GetClientRect(&client);
    COLORREF back = m_backColour == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : m_backColour;
    double f = Fraction();

    HDC mem = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, std::max(client.Width(), 1), std::max(client.Height(), 1));
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    HFONT font = (HFONT)::SendMessageW(::GetParent(m_hWnd), WM_GETFONT, 0, 0);
    HGDIOBJ oldFont = font ? SelectObject(mem, font) : nullptr;

    CRect filled = client;
    if (GetStyle() & PBS_VERTICAL)
        filled.top = client.bottom - int(client.Height() * f);
    else
        filled.right = client.left + int(client.Width() * f);
    filled.IntersectRect(filled, client);
    HBRUSH barBrush = CreateSolidBrush(kBarColour);
    HBRUSH backBrush = CreateSolidBrush(back);
    FillRect(mem, &client, backBrush);
    FillRect(mem, &filled, barBrush);
    DeleteObject(barBrush);
    DeleteObject(backBrush);

    if (m_showText && !(GetStyle() & PBS_VERTICAL)) {
        CString text = m_text;
        if (text.IsEmpty())
            text.Format(u"%d%%", int(f * 100));
        SetBkMode(mem, TRANSPARENT);
        // Each part of the text takes the colour that stands out against what lies beneath it.
        struct Part { CRect clip; COLORREF colour; };
        CRect rest = client;
        rest.left = filled.right;
        const Part parts[] = {
            {filled, m_textColour == CLR_DEFAULT ? back : m_textColour},
            {rest, m_textColour == CLR_DEFAULT ? kBarColour : m_textColour},
        };
        for (const Part& part : parts) {
            if (part.clip.IsRectEmpty())
                continue;
            HRGN clip = CreateRectRgnIndirect(&part.clip);
            SelectClipRgn(mem, clip);
            SetTextColor(mem, part.colour);
            CRect box = client;
            DrawTextW(mem, text, text.GetLength(), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            SelectClipRgn(mem, nullptr);
            DeleteObject(clip);
        }
    }

    BitBlt(target, 0, 0, client.Width(), client.Height(), mem, 0, 0, SRCCOPY);
    if (oldFont)
        SelectObject(mem, oldFont);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
}

LRESULT CTextProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT: {
        LRESULT result = CProgressCtrl::WindowProc(message, wParam, lParam);
        CString text((LPCWSTR)lParam);
        if (text != m_text) {
            m_text = text;
            Invalidate();
        }
        return result;
    }
    case WM_GETTEXT: {
        // The buffer also needs room for the terminator.
        auto* buffer = (LPWSTR)lParam;
        if (!buffer || wParam == 0)
            return 0;
        int n = std::min<int>(int(wParam) - 1, m_text.GetLength());
        std::copy_n((LPCWSTR)m_text, n, buffer);
        buffer[n] = 0;
        return n;
    }
    case WM_SIZE: {
        LRESULT result = CProgressCtrl::WindowProc(message, wParam, lParam);
        m_barLength = -1;
        return result;
    }
    case PBM_SETRANGE:
        m_lower = LOWORD(lParam);
        m_upper = HIWORD(lParam);
        return 0;
    case PBM_SETRANGE32:
        m_lower = int(wParam);
        m_upper = int(lParam);
        return 0;
    case PBM_GETRANGE:
        if (auto* range = (PBRANGE*)lParam) {
            range->iLow = m_lower;
            range->iHigh = m_upper;
        }
        return wParam ? m_lower : m_upper;
    case PBM_SETPOS:
        return SetPosition(int(wParam));
    case PBM_GETPOS:
        return m_position;
    case PBM_DELTAPOS:
        return SetPosition(m_position + int(wParam));
    case PBM_SETSTEP: {
        int previous = m_step;
        m_step = int(wParam);
        return previous;
    }
    case PBM_STEPIT:
        return SetPosition(m_position + m_step);
    case PBM_SETBARCOLOR: {
        Invalidate();
        COLORREF previous = m_barColour;
        m_barColour = COLORREF(lParam);
        return previous;
    }
    case CCM_SETBKCOLOR: {
        Invalidate();
        COLORREF previous = m_backColour;
        m_backColour = COLORREF(lParam);
        return previous;
    }
    case PBM_SETTEXTCOLOR: {
        Invalidate();
        COLORREF previous = m_textColour;
        m_textColour = COLORREF(lParam);
        return previous;
    }
    case PBM_SETSHOWTEXT: {
        BOOL show = BOOL(wParam);
        if (show != m_showText && m_hWnd)
            Invalidate();
        m_showText = show;
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        if (m_lower < m_upper)
            Paint(dc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        if (m_lower < m_upper)
            Paint((HDC)wParam);
        return 0;
    }
    return CProgressCtrl::WindowProc(message, wParam, lParam);
}
