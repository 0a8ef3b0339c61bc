// CGradientProgressCtrl: painting of the gradient, the bar text and the running block.
#include "controls/gradient_progress_ctrl.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Share of the extent length for a value of the range; an empty range shows nothing filled.
int ScaledLength(int length, int value, int lower, int upper)
{
    if (upper == lower)
        return 0;
    return int((long long)length * ((long long)value - lower) / ((long long)upper - lower));
}

class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC() { RestoreDC(dc_, saved_); }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

} // namespace

CGradientProgressCtrl::CGradientProgressCtrl()
    : m_backColour(GetSysColor(COLOR_BTNFACE)),
      m_barTextColour(GetSysColor(COLOR_CAPTIONTEXT)),
      m_backTextColour(GetSysColor(COLOR_BTNTEXT))
{
    BOOL gradientCaptions = FALSE;
    SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradientCaptions, 0);
    m_colours = {GetSysColor(COLOR_ACTIVECAPTION),
                 GetSysColor(gradientCaptions ? COLOR_GRADIENTACTIVECAPTION : COLOR_ACTIVECAPTION)};
}

void CGradientProgressCtrl::SetProgressText(LPCWSTR lpszText, DWORD dwFlags)
{
    DWORD style = GetStyle() & ~DWORD(PBS_TEXT_PERCENT | PBS_TEXT_POSITION);
    bool show = lpszText && *lpszText && dwFlags;
    if (show)
        style |= dwFlags & (PBS_TEXT_PERCENT | PBS_TEXT_POSITION);
    SetWindowLongW(m_hWnd, GWL_STYLE, LONG(style));
    SetWindowText(show ? lpszText : u"");
}

CString CGradientProgressCtrl::FormatBarText(const CString& format, int value)
{
    int conversions = 0;
    for (int i = 0; i < format.GetLength(); ++i) {
        if (format[i] != u'%')
            continue;
        if (++i < format.GetLength() && format[i] == u'%')
            continue;
        while (i < format.GetLength() && CString(u"-+ #0").Find(format[i]) >= 0)
            ++i;
        while (i < format.GetLength() && iswdigit(format[i]))
            ++i;
        if (i < format.GetLength() && format[i] == u'.')
            for (++i; i < format.GetLength() && iswdigit(format[i]);)
                ++i;
        if (i >= format.GetLength() || CString(u"diuxXo").Find(format[i]) < 0 || ++conversions > 1)
            return format;
    }
    CString text;
    text.Format(format, value);
    return text;
}

CRect CGradientProgressCtrl::BarRect(const PaintInfo& info, int a, int b)
{
    CRect r = info.bar;
    bool reverse = info.style & PBS_REVERSE;
    if (info.style & PBS_VERTICAL) {
        if (reverse) {
            r.top = info.bar.top + a;
            r.bottom = info.bar.top + b;
        } else {
            r.top = info.bar.bottom - b;
            r.bottom = info.bar.bottom - a;
        }
    } else if (reverse) {
        r.left = info.bar.right - b;
        r.right = info.bar.right - a;
    } else {
        r.left = info.bar.left + a;
        r.right = info.bar.left + b;
    }
    return r;
}

void CGradientProgressCtrl::Paint(HDC target)
{
    CRect client;
    GetClientRect(&client);
    int position = (int)CProgressCtrl::WindowProc(PBM_GETPOS, 0, 0);
    PBRANGE range{};
    CProgressCtrl::WindowProc(PBM_GETRANGE, FALSE, (LPARAM)&range);

    HDC mem = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, std::max(client.Width(), 1), std::max(client.Height(), 1));
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    HBRUSH dcBack = CreateSolidBrush(GetBkColor(target));
    FillRect(mem, &client, dcBack);
    DeleteObject(dcBack);

    if (m_backBrush) {
        FillRect(mem, &client, m_backBrush);
    } else {
        HBRUSH back = CreateSolidBrush(m_backColour);
        FillRect(mem, &client, back);
        DeleteObject(back);
    }
    PaintInfo info{mem, GetStyle(), client, position, range.iLow, range.iHigh};
    info.bar.DeflateRect(m_margins.left, m_margins.top, m_margins.right, m_margins.bottom);

    if (position >= range.iLow && position <= range.iHigh) {
        int length = info.style & PBS_VERTICAL ? info.bar.Height() : info.bar.Width();
        int to = ScaledLength(length, position, range.iLow, range.iHigh);
        int from = info.style & PBS_MOVING_BLOCK ? ScaledLength(length, m_blockStart, range.iLow, range.iHigh) : 0;
        if (m_barBrush) {
            CRect filled = BarRect(info, from, to);
            FillRect(mem, &filled, m_barBrush);
        } else if (info.style & PBS_GRADIENT_FILLED) {
            DrawGradient(info, from, to, from, to);
        } else {
            DrawGradient(info, 0, length, from, to);
        }
        DrawBarText(info, from, to);
    }

    BitBlt(target, 0, 0, client.Width(), client.Height(), mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
}

void CGradientProgressCtrl::DrawGradient(const PaintInfo& info, int gradientFrom, int gradientTo, int fillFrom, int fillTo)
{
    int segments = int(m_colours.size()) - 1;
    if (segments < 1)
        return;
    double width = double(gradientTo - gradientFrom) / segments;
    for (int i = 0; i < segments; ++i) {
        int start = gradientFrom + int(i * width);
        int end = i == segments - 1 ? gradientTo : gradientFrom + int((i + 1) * width);
        if (end <= fillFrom)
            continue;
        FillGradientSegment(info, start, end, std::max(start, fillFrom), std::min(end, fillTo), m_colours[i], m_colours[i + 1]);
        if (end >= fillTo)
            break;
    }
}

void CGradientProgressCtrl::FillGradientSegment(const PaintInfo& info, int from, int to, int clipFrom, int clipTo,
                                                COLORREF first, COLORREF last)
{
    int length = to - from;
    const int diff[3] = {GetRValue(last) - GetRValue(first), GetGValue(last) - GetGValue(first),
                         GetBValue(last) - GetBValue(first)};
    int bands = std::max({std::abs(diff[0]), std::abs(diff[1]), std::abs(diff[2])});
    bands = std::max(std::min(bands, length), 1);
    if (GetDeviceCaps(info.dc, BITSPIXEL) * GetDeviceCaps(info.dc, PLANES) < 8)
        bands = 1;
    for (int j = 0; j < bands; ++j) {
        int a = from + int((long long)j * length / bands);
        int b = j == bands - 1 ? to : from + int((long long)(j + 1) * length / bands);
        a = std::max(a, clipFrom);
        b = std::min(b, clipTo);
        if (a >= b)
            continue;
        COLORREF colour = RGB(GetRValue(first) + j * diff[0] / bands, GetGValue(first) + j * diff[1] / bands,
                              GetBValue(first) + j * diff[2] / bands);
        HBRUSH brush = CreateSolidBrush(colour);
        CRect r = BarRect(info, a, b);
        FillRect(info.dc, &r, brush);
        DeleteObject(brush);
    }
}

void CGradientProgressCtrl::DrawBarText(const PaintInfo& info, int fillFrom, int fillTo)
{
    bool percent = info.style & PBS_TEXT_PERCENT;
    if (!percent && !(info.style & PBS_TEXT_POSITION))
        return;
    CString format;
    GetWindowText(format);
    if (format.IsEmpty())
        format = percent ? u"%d%%" : u"%d";
    int value = percent ? ScaledLength(100, info.position, info.lower, info.upper) : info.position;
    CString text = FormatBarText(format, value);

    SavedDC saved(info.dc);
    HFONT font = (HFONT)CProgressCtrl::WindowProc(WM_GETFONT, 0, 0);
    LONG escapement = 0;
    if (font) {
        SelectObject(info.dc, font);
        LOGFONTW lf{};
        if (GetObjectW(font, sizeof(lf), &lf))
            escapement = lf.lfEscapement;
    }
    SetTextAlign(info.dc, TA_CENTER | TA_BOTTOM);
    SetBkMode(info.dc, TRANSPARENT);
    SIZE extent{};
    GetTextExtentPoint32W(info.dc, text, text.GetLength(), &extent);
    bool sideways = escapement == 900 || escapement == 2700;
    bool vertical = info.style & PBS_VERTICAL;
    int along = vertical != sideways ? extent.cy : extent.cx;

    CRect filled = BarRect(info, fillFrom, fillTo);
    bool onBar = info.style & PBS_TEXT_ON_BAR;
    CRect box = onBar ? filled : info.bar;
    if (onBar && fillTo - fillFrom < along)
        return;
    // The reference point is the middle of the text's bottom edge, wherever the font turns it.
    CPoint origin = box.CenterPoint();
    switch (escapement) {
    case 900: origin.x = box.left + (box.Width() + extent.cy) / 2; break;
    case 1800: origin.y = box.top + (box.Height() - extent.cy) / 2; break;
    case 2700: origin.x = box.left + (box.Width() - extent.cy) / 2; break;
    default: origin = CPoint(box.left + box.Width() / 2, box.top + (box.Height() + extent.cy) / 2); break;
    }
    if (onBar) {
        SetTextColor(info.dc, m_barTextColour);
        TextOutW(info.dc, origin.x, origin.y, text, text.GetLength());
    } else if (m_barTextColour == m_backTextColour) {
        SetTextColor(info.dc, m_barTextColour);
        TextOutW(info.dc, origin.x, origin.y, text, text.GetLength());
    } else {
        int length = vertical ? info.bar.Height() : info.bar.Width();
        SetTextColor(info.dc, m_barTextColour);
        DrawClippedText(info, filled, origin, text);
        SetTextColor(info.dc, m_backTextColour);
        DrawClippedText(info, BarRect(info, 0, fillFrom), origin, text);
        DrawClippedText(info, BarRect(info, fillTo, length), origin, text);
    }
}

void CGradientProgressCtrl::DrawClippedText(const PaintInfo& info, const CRect& clip, CPoint origin, const CString& text)
{
    if (clip.IsRectEmpty())
        return;
    CRect device = clip;
    LPtoDP(info.dc, (LPPOINT)&device, 2);
    HRGN region = CreateRectRgnIndirect(&device);
    SelectClipRgn(info.dc, region);
    TextOutW(info.dc, origin.x, origin.y, text, text.GetLength());
    SelectClipRgn(info.dc, nullptr);
    DeleteObject(region);
}

bool CGradientProgressCtrl::UpdatePosition(int value, bool relative, LRESULT& result)
{
    if (!(GetStyle() & PBS_MOVING_BLOCK))
        return false;
    int current = (int)CProgressCtrl::WindowProc(PBM_GETPOS, 0, 0);
    PBRANGE range{};
    CProgressCtrl::WindowProc(PBM_GETRANGE, FALSE, (LPARAM)&range);
    // The control clamps at the upper bound, so a block whose end has run past the bar keeps
    // its true end here.
    if (current == range.iHigh && current - m_blockStart < m_blockLength)
        current = m_blockStart + m_blockLength;
    int next = relative ? current + std::abs(value) : value;
    if (next > range.iHigh + m_blockLength) {
        next -= range.iHigh - range.iLow + m_blockLength;
        next = std::min(next, range.iHigh + m_blockLength);
        SetWindowLongW(m_hWnd, GWL_STYLE, LONG(GetStyle() ^ PBS_REVERSE));
    } else if (next >= range.iHigh) {
        Invalidate();
    }
    m_blockStart = std::max(next - m_blockLength, range.iLow);
    result = CProgressCtrl::WindowProc(PBM_SETPOS, (WPARAM)next, 0);
    return true;
}

LRESULT CGradientProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (message) {
    case PBM_SETBARCOLOR:
        m_colours = {COLORREF(lParam), wParam ? COLORREF(wParam) : COLORREF(lParam)};
        Invalidate();
        return CLR_DEFAULT;
    case CCM_SETBKCOLOR:
        m_backColour = COLORREF(lParam);
        Invalidate();
        return CLR_DEFAULT;
    case PBM_SETSTEP:
        m_step = int(wParam);
        break;
    case PBM_SETPOS:
        if (UpdatePosition(int(wParam), false, result))
            return result;
        break;
    case PBM_DELTAPOS:
        if (UpdatePosition(int(wParam), true, result))
            return result;
        break;
    case PBM_STEPIT:
        if (UpdatePosition(m_step, true, result))
            return result;
        break;
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
    return CProgressCtrl::WindowProc(message, wParam, lParam);
}
