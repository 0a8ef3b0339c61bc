// Pie charts of the drive panes: a general chart of percentage slices, and the partitions of a disk as such a chart.
#pragma once

#include "afx/afx.h"
#include "afx/collections.h"
#include "afx/gdi.h"

class CPieSlice : public CObject {
    DECLARE_SERIAL(CPieSlice)
public:
    CPieSlice() = default;
    CPieSlice(UINT value, COLORREF colour, LPCWSTR description)
        : m_nValue(value), m_crColor(colour), m_strDescription(description) {}
    void Serialize(CArchive& ar) override;

    UINT m_nValue = 50;           // a percentage
    COLORREF m_crColor = 255;
    CString m_strDescription = u"<no description>";
};

class CPieChart : public CObject {
    DECLARE_SERIAL(CPieChart)
public:
    CPieChart() = default;
    ~CPieChart() override { RemoveAllSlices(); }
    void Serialize(CArchive& ar) override;

    int AddSlice(CPieSlice* slice) { return int(m_slices.Add(slice)); }
    void RemoveAllSlices();
    int GetSliceCount() const { return int(m_slices.GetSize()); }
    CPieSlice* GetSlice(int i) const { return static_cast<CPieSlice*>(m_slices.GetAt(i)); }

    // legendPosition 1 puts the legend to the right, 2 below; partialSums lets slices short of 100 % be drawn,
    // the last one filled up to 100 %. Without it nothing is drawn unless the values add up to exactly 100.
    void Draw(CDC* dc, int x, int y, int r, int legendPosition, BOOL withTitle, BOOL partialSums) const;

    UINT m_bOwnsSlices = 1;
    CString m_strTitle;
    COLORREF m_crSecond = 0x0000FF00; // archived, never drawn
    COLORREF m_crText = 0;

private:
    CObArray m_slices;
};

// The partitions of FoundPartitionTable as slices of the disk's sector count: FAT16 red, FAT32 blue, NTFS green,
// others white "UNKNOWN", and a magenta "FREE" slice for the rest when the values add up to less than 100. With a
// disk of no known size the chart stays empty, so nothing is drawn.
void FillPartitionPie(CPieChart& chart, ULONGLONG diskSectors);
