// The capacity pie: sizes from the system, a legend in the unit that suits each size, and a pie with a side wall.
#include "app/capacity_pie.h"

#include "afx/window_dc.h"

#include <cmath>

BEGIN_MESSAGE_MAP(CCapacityPie, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {
constexpr COLORREF kUsedColour = RGB(255, 0, 0);
constexpr COLORREF kFreeColour = RGB(0, 255, 0);
constexpr int kWall = 10;
constexpr double kPi = 3.14159265358979323846;
} // namespace

void CCapacityPie::SetDrive(const char* root)
{
    CString wide;
    for (const char* p = root; p && *p; ++p)
        wide += WCHAR(static_cast<unsigned char>(*p));
    SetDrive(static_cast<LPCWSTR>(wide));
}

void CCapacityPie::SetDrive(LPCWSTR root)
{
    m_strRoot = root ? root : u"";
    ULARGE_INTEGER available{}, total{}, totalFree{};
    if (!m_strRoot.IsEmpty() && GetDiskFreeSpaceExW(m_strRoot, &available, &total, &totalFree)) {
        m_nTotal = total.QuadPart;
        m_nFree = totalFree.QuadPart;
        m_nUsed = m_nTotal >= m_nFree ? m_nTotal - m_nFree : 0;
    } else {
        m_nTotal = m_nFree = m_nUsed = 0;
    }
    if (m_hWnd)
        Invalidate();
}

CString CCapacityPie::SizeText(LPCWSTR label, ULONGLONG bytes)
{
    CString text;
    if (bytes > 0x40000000ULL)
        text.Format(u"%s: %2.2f GB", label, double(bytes) / double(1ULL << 30));
    else if (bytes > 0x100000ULL)
        text.Format(u"%s: %2.2f MB", label, double(bytes) / double(1ULL << 20));
    else
        text.Format(u"%s: %2.2f KB", label, double(bytes) / 1024.0);
    return text;
}

BOOL CCapacityPie::OnEraseBkgnd(CDC*) { return TRUE; }

void CCapacityPie::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    HBRUSH background = (HBRUSH)GetParent()->SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc.m_hDC, (LPARAM)m_hWnd);
    if (background)
        FillRect(dc.m_hDC, &client, background);
    else
        dc.FillSolidRect(&client, GetSysColor(COLOR_WINDOW));
    if (m_strRoot.IsEmpty() || m_nTotal == 0)
        return;

    CFont font;
    font.CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    CFont* oldFont = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.FillSolidRect(client.left + 4, client.top + 4, 12, 12, kUsedColour);
    dc.TextOut(client.left + 22, client.top + 2, SizeText(u"Used", m_nUsed));
    dc.FillSolidRect(client.left + 4, client.top + 22, 12, 12, kFreeColour);
    dc.TextOut(client.left + 22, client.top + 20, SizeText(u"Free", m_nFree));
    dc.SelectObject(oldFont);

    m_nUsedPercent = UINT(m_nUsed * 100 / m_nTotal);
    if (m_nUsedPercent < m_nMin || m_nUsedPercent > m_nMax)
        return;
    CRect area(client.right - 200, client.top + 40, client.right + 100, client.bottom - 10);
    area.IntersectRect(area, client);
    if (area.Width() <= 0 || area.Height() <= kWall * 2)
        return;
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&dc, area.Width(), area.Height());
    CBitmap* oldBitmap = memory.SelectObject(&bitmap);
    memory.FillSolidRect(0, 0, area.Width(), area.Height(), dc.GetBkColor());
    PaintPie(memory, CRect(0, 0, area.Width(), area.Height()));
    dc.BitBlt(area.left, area.top, area.Width(), area.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(oldBitmap);
}

// The pie lies flat: an ellipse whose front half stands on a wall kWall pixels high. The used part runs from the
// back counter-clockwise, so the wall under the front shows red from the left edge up to where the used part ends.
void CCapacityPie::PaintPie(CDC& dc, const CRect& area)
{
    const int a = (area.Width() - 4) / 2, b = std::max(4, (area.Height() - kWall - 4) / 3);
    const int cx = area.left + 2 + a, cy = area.top + 2 + b;
    const double p = double(m_nUsedPercent);
    const double angle = 2 * kPi * p / 100.0;
    const int bx = cx + int(std::lround(-a * std::sin(angle)));
    const int by = cy + int(std::lround(-b * std::cos(angle)));

    CPen* oldPen = static_cast<CPen*>(dc.SelectStockObject(NULL_PEN));
    CBrush used(kUsedColour), free(kFreeColour);
    // The wall: the lower half-ellipse swept down; red where the used part lies above it.
    const int splitX = p <= 25 ? cx - a : (p >= 75 ? cx + a + 1 : bx);
    CRgn wall;
    wall.CreateEllipticRgn(cx - a, cy - b + kWall, cx + a + 1, cy + b + kWall + 1);
    CRgn band;
    band.CreateRectRgn(cx - a, cy, cx + a + 1, cy + kWall + 1);
    wall.CombineRgn(&wall, &band, RGN_OR);
    CRgn left, right;
    left.CreateRectRgn(cx - a, cy, splitX, cy + b + kWall + 1);
    right.CreateRectRgn(splitX, cy, cx + a + 1, cy + b + kWall + 1);
    left.CombineRgn(&left, &wall, RGN_AND);
    right.CombineRgn(&right, &wall, RGN_AND);
    dc.FillRgn(&left, &used);
    dc.FillRgn(&right, &free);

    // The top: free everywhere, then the used sector over it.
    CBrush* oldBrush = dc.SelectObject(&free);
    dc.Ellipse(cx - a, cy - b, cx + a + 1, cy + b + 1);
    if (m_nUsedPercent >= 100) {
        dc.SelectObject(&used);
        dc.Ellipse(cx - a, cy - b, cx + a + 1, cy + b + 1);
    } else if (m_nUsedPercent > 0 && (bx != cx || by != cy - b)) {
        dc.SelectObject(&used);
        dc.Pie(cx - a, cy - b, cx + a + 1, cy + b + 1, cx, cy - b, bx, by);
    }
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
    // The wall's two ends.
    CPen line(PS_SOLID, 1, RGB(0, 0, 0));
    oldPen = dc.SelectObject(&line);
    dc.MoveTo(cx - a, cy);
    dc.LineTo(cx - a, cy + kWall);
    dc.MoveTo(cx + a, cy);
    dc.LineTo(cx + a, cy + kWall);
    dc.SelectObject(oldPen);
}
