// Pie charts: the partition pie's slices, when a chart draws, where its pixels land, its archive form, and the
// capacity pie's size texts.
#include "app/capacity_pie.h"
#include "app/pie_chart.h"

#include "afx/file.h"
#include "app/memory_canvas.h"
#include "engine/attached_disk.h"
#include "engine/partition_table.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Slices = std::vector<std::pair<std::u16string, UINT>>;

Slices SlicesOf(const CPieChart& chart)
{
    Slices out;
    for (int i = 0; i < chart.GetSliceCount(); ++i)
        out.emplace_back(static_cast<LPCWSTR>(chart.GetSlice(i)->m_strDescription), chart.GetSlice(i)->m_nValue);
    return out;
}

void SetPartitions(const std::vector<FoundPartitionEntry>& entries)
{
    PartitionCount = DWORD(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        FoundPartitionTable[i] = entries[i];
}

TEST(PartitionPie, SlicesFollowTheEntriesAndTheRestIsFree)
{
    const struct {
        const char* what;
        std::vector<FoundPartitionEntry> entries;
        ULONGLONG disk;
        Slices expected;
    } cases[] = {
        {"three kinds and free space",
         {{0, 250, FS_KIND_FAT16, {}}, {0, 250, FS_KIND_FAT32, {}}, {0, 250, FS_KIND_NTFS, {}}},
         1000,
         {{u"FAT16", 25}, {u"FAT32", 25}, {u"NTFS", 25}, {u"FREE", 25}}},
        {"a full disk has no free slice", {{0, 1000, FS_KIND_NTFS, {}}}, 1000, {{u"NTFS", 100}}},
        {"an unknown kind, values capped", {{0, 300, 0, {}}, {0, 2000, FS_KIND_FAT32, {}}}, 1000,
         {{u"UNKNOWN", 30}, {u"FAT32", 100}}},
        // 4,000,000,000 sectors x 100 passes 32 bits.
        {"a disk above 20 GiB", {{0, 4000000000u, FS_KIND_NTFS, {}}}, 4294967295ULL, {{u"NTFS", 93}, {u"FREE", 7}}},
        {"a disk of no known size", {{0, 100, FS_KIND_NTFS, {}}}, 0, {}},
    };
    for (const auto& c : cases) {
        SetPartitions(c.entries);
        CPieChart chart;
        FillPartitionPie(chart, c.disk);
        EXPECT_EQ(SlicesOf(chart), c.expected) << c.what;
        EXPECT_EQ(chart.m_crText, 0x00808080u);
    }
    PartitionCount = 0;
}

class PieDrawing : public MemoryCanvas {
protected:
    void SetUp() override { Open(400, 300, RGB(1, 2, 3)); }
};

// The drive page's pie of a disk with FAT16, FAT32 and NTFS partitions: each kind's colour inside the circle and a
// legend box per slice to its right, 20 pixels apart.
TEST_F(PieDrawing, TheDrivePagesPieOfAMultiPartitionDisk)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "multi");
    AttachedDisks disks({img.path});
    ReadPartitionTable(0);
    ASSERT_GE(PartitionCount, 3u);
    CPieChart chart;
    const ULONGLONG sectors = std::filesystem::file_size(img.path) / SECTOR_SIZE;
    FillPartitionPie(chart, sectors);
    Slices slices = SlicesOf(chart);
    UINT sum = 0;
    for (const auto& s : slices)
        sum += s.second;
    ASSERT_EQ(sum, 100u);

    const int x = 160, y = 150, r = 60;
    chart.Draw(&dc, x, y, r, 1, TRUE, FALSE);
    for (COLORREF colour : {COLORREF(0x000000FF), COLORREF(0x00FF0000), COLORREF(0x0000FF00)})
        EXPECT_TRUE(Has(colour, x - r, y - r, x + r + 1, y + r + 1)) << std::hex << colour;
    for (int i = 0; i < chart.GetSliceCount(); ++i)
        EXPECT_EQ(dc.GetPixel(x + r + 30 + 15, y - r + 20 * i + 7), chart.GetSlice(i)->m_crColor) << i;
    // Nothing outside the circle and the legend.
    EXPECT_FALSE(Has(0x000000FF, 0, 0, x - r - 1, 300));
    PartitionCount = 0;
}

TEST_F(PieDrawing, AChartShortOf100IsDrawnOnlyWithPartialSums)
{
    CPieChart chart;
    chart.AddSlice(new CPieSlice(40, RGB(255, 0, 0), u"a"));
    chart.AddSlice(new CPieSlice(30, RGB(0, 0, 255), u"b"));
    chart.Draw(&dc, 100, 100, 50, 2, FALSE, FALSE);
    EXPECT_FALSE(Has(RGB(255, 0, 0), 0, 0, 400, 300));
    chart.Draw(&dc, 100, 100, 50, 2, FALSE, TRUE);
    // The top of the circle starts the first slice, which goes counter-clockwise: its colour is left of the top.
    EXPECT_EQ(dc.GetPixel(90, 70), RGB(255, 0, 0));
    // The last slice is filled up to 100 %, so the right half is the second colour.
    EXPECT_EQ(dc.GetPixel(130, 100), RGB(0, 0, 255));
    // Legend below: its first box at (x - r, y + r + 30).
    EXPECT_EQ(dc.GetPixel(50 + 15, 180 + 7), RGB(255, 0, 0));
}

TEST(PieArchive, AChartAndItsSlicesComeBackAsStored)
{
    CMemFile file;
    {
        CPieChart chart;
        chart.m_strTitle = u"disk";
        chart.m_crText = 0x123456;
        chart.AddSlice(new CPieSlice(60, 0x00FF0000, u"FAT32"));
        chart.AddSlice(new CPieSlice(40, 0x00FF00FF, u"FREE"));
        CArchive ar(&file, CArchive::store);
        chart.Serialize(ar);
    }
    file.SeekToBegin();
    CPieChart loaded;
    loaded.AddSlice(new CPieSlice()); // an old slice is dropped by the load
    CArchive ar(&file, CArchive::load);
    loaded.Serialize(ar);
    EXPECT_EQ(SlicesOf(loaded), (Slices{{u"FAT32", 60}, {u"FREE", 40}}));
    EXPECT_EQ(loaded.m_strTitle, CString(u"disk"));
    EXPECT_EQ(loaded.m_crText, 0x123456u);
    EXPECT_EQ(loaded.GetSlice(0)->m_crColor, 0x00FF0000u);
}

TEST(CapacityPie, SizesTakeTheUnitAboveWhichTheyLie)
{
    const struct {
        ULONGLONG bytes;
        const char16_t* text;
    } cases[] = {
        {1ULL << 30, u"Used: 1024.00 MB"}, {(1ULL << 30) + (1ULL << 29), u"Used: 1.50 GB"},
        {1ULL << 20, u"Used: 1024.00 KB"}, {3ULL << 20, u"Used: 3.00 MB"}, {512, u"Used: 0.50 KB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CCapacityPie::SizeText(u"Used", c.bytes), CString(c.text));

    CCapacityPie pie;
    pie.SetDrive("Q:\\"); // no such volume: the query fails and nothing is left to paint
    EXPECT_EQ(pie.m_nTotal, 0u);
    EXPECT_EQ(pie.m_nUsed, 0u);
}

} // namespace
