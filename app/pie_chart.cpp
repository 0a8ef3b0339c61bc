// The slices of a pie chart, their archive form and their drawing; the partition pie of the drive page.
#include "app/pie_chart.h"

#include "engine/engine_state.h"

#include <cmath>

IMPLEMENT_SERIAL(CPieSlice, CObject, 1)
IMPLEMENT_SERIAL(CPieChart, CObject, 1)

namespace {
constexpr DWORD kArchiveVersion = 1;
constexpr double kPi = 3.14159265358979323846;

// The point of the circle at a cumulative percentage: the top at 0, a quarter round counter-clockwise (the left-most
// point) at 25.
POINT PointAt(double percent, int r)
{
    const double angle = 2 * kPi * percent / 100.0;
    return POINT{LONG(std::lround(-r * std::sin(angle))), LONG(std::lround(-r * std::cos(angle)))};
}
} // namespace

void CPieSlice::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kArchiveVersion << DWORD(m_nValue) << DWORD(m_crColor) << m_strDescription;
        return;
    }
    DWORD version = 0;
    ar >> version;
    if (version != kArchiveVersion)
        return;
    DWORD value = 0, colour = 0;
    ar >> value >> colour >> m_strDescription;
    m_nValue = value;
    m_crColor = colour;
}

void CPieChart::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kArchiveVersion << DWORD(m_bOwnsSlices) << DWORD(m_crSecond) << DWORD(m_crText) << m_strTitle;
        m_slices.Serialize(ar);
        return;
    }
    RemoveAllSlices();
    DWORD version = 0;
    ar >> version;
    if (version != kArchiveVersion)
        return;
    DWORD owns = 0, second = 0, text = 0;
    ar >> owns >> second >> text >> m_strTitle;
    m_bOwnsSlices = owns;
    m_crSecond = second;
    m_crText = text;
    m_slices.Serialize(ar);
}

void CPieChart::RemoveAllSlices()
{
    if (m_bOwnsSlices)
        for (INT_PTR i = 0; i < m_slices.GetSize(); ++i)
            delete m_slices.GetAt(i);
    m_slices.RemoveAll();
}

void CPieChart::Draw(CDC* dc, int x, int y, int r, int legendPosition, BOOL withTitle, BOOL partialSums) const
{
    const int count = GetSliceCount();
    UINT sum = 0;
    for (int i = 0; i < count; ++i)
        sum += GetSlice(i)->m_nValue;
    if (count == 0 || (!partialSums && sum != 100))
        return;

    const CPoint oldOrigin = dc->SetViewportOrg(x, y);
    CPen* oldPen = static_cast<CPen*>(dc->SelectStockObject(NULL_PEN));
    double from = 0;
    for (int i = 0; i < count; ++i) {
        const CPieSlice* slice = GetSlice(i);
        const double to = (partialSums && i == count - 1) ? 100.0 : from + slice->m_nValue;
        if (slice->m_nValue != 0 || to > from) {
            CBrush brush(slice->m_crColor);
            CBrush* oldBrush = dc->SelectObject(&brush);
            const POINT a = PointAt(from, r), b = PointAt(to, r);
            // GDI draws a pie whose two radials coincide as the whole circle, which only a full slice may be.
            if (to - from >= 100.0 || a.x != b.x || a.y != b.y)
                dc->Pie(-r, -r, r + 1, r + 1, a.x, a.y, b.x, b.y);
            dc->SelectObject(oldBrush);
        }
        from = to;
    }
    dc->SelectObject(oldPen);
    dc->SetViewportOrg(oldOrigin);

    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColour = dc->SetTextColor(m_crText);
    if (withTitle && !m_strTitle.IsEmpty())
        dc->TextOut(x - r, y - r - 20, m_strTitle);

    int left = x + r + 30, top = std::min(y, y - r);
    if (legendPosition == 2) {
        left = x - r;
        top = y + r + 30;
    }
    for (int i = 0; i < count; ++i) {
        const CPieSlice* slice = GetSlice(i);
        const int rowTop = top + 20 * i;
        dc->FillSolidRect(left, rowTop, 30, 15, slice->m_crColor);
        UINT shown = slice->m_nValue;
        if (partialSums && i == count - 1)
            shown = 100 - std::min<UINT>(100, sum - slice->m_nValue);
        CString text;
        text.Format(u"%s (%d%%)", static_cast<LPCWSTR>(slice->m_strDescription), int(shown));
        dc->TextOut(left + 35, rowTop, text);
    }
    dc->SetTextColor(oldColour);
    dc->SetBkMode(oldMode);
}

void FillPartitionPie(CPieChart& chart, ULONGLONG diskSectors)
{
    chart.RemoveAllSlices();
    chart.m_bOwnsSlices = 1;
    chart.m_crSecond = 0;
    chart.m_crText = 0x00808080;
    if (diskSectors == 0)
        return;
    UINT sum = 0;
    const DWORD entries = PartitionCount < DWORD(kMaxFoundPartitions) ? PartitionCount : DWORD(kMaxFoundPartitions);
    for (DWORD i = 0; i < entries; ++i) {
        const FoundPartitionEntry& e = FoundPartitionTable[i];
        // 64-bit, since sector counts times 100 pass 32 bits on any disk above 20 GiB.
        const ULONGLONG share = ULONGLONG(e.SectorCount) * 100 / diskSectors;
        const UINT value = UINT(share > 100 ? 100 : share);
        switch (e.Kind) {
        case FS_KIND_FAT16: chart.AddSlice(new CPieSlice(value, 0x000000FF, u"FAT16")); break;
        case FS_KIND_FAT32: chart.AddSlice(new CPieSlice(value, 0x00FF0000, u"FAT32")); break;
        case FS_KIND_NTFS: chart.AddSlice(new CPieSlice(value, 0x0000FF00, u"NTFS")); break;
        default: chart.AddSlice(new CPieSlice(value, 0x00FFFFFF, u"UNKNOWN")); break;
        }
        sum += value;
    }
    if (sum < 100)
        chart.AddSlice(new CPieSlice(100 - sum, 0x00FF00FF, u"FREE"));
}
