// Volumes laid out in ways the scans must still follow, through quick and full scans to the list and the recovered
// files: FAT volumes whose files all lie in the root folder, NTFS records whose names lie in extension records; and
// the NTFS times a file is listed and recovered with.
#include "engine/found_list_fill.h"
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "engine/recovery_writer.h"
#include "sha256.h"
#include "volume_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

namespace {
namespace fs = std::filesystem;
using testsupport::FixtureEntry;
using volumescan::Scan;
using volumescan::Utf8;
using volumescan::Wide;

// ---- FAT volumes whose files all lie in the root ----------------------------------------------------------

class RootOnlyFat : public volumescan::VolumeScan {
protected:
    const char* Image() const override { return "rootonly"; }
};

// The full scan finds the volume by its boot sector alone (no folder holds a "." entry), and no second volume
// from the FAT32 boot sector's copy; every file, existing and deleted, is listed in the root and recovered whole.
TEST_P(RootOnlyFat, EveryFileListedAndRecovered)
{
    const int volume = GetParam().volume;
    if (GetParam().scan != Scan::Quick) {
        std::set<std::u16string> expected;
        for (const auto& v : img->volumes)
            if (GetParam().scan == Scan::FullDisk || v.index == volume)
                expected.insert(volumescan::FoundVolumeName(v));
        std::set<std::u16string> found;
        for (const auto& [name, item] : ui->volumeItems)
            found.insert(name);
        EXPECT_EQ(found, expected);
    }
    std::map<std::u16string, DWORD> listed;
    for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
        listed[e->Name] = e->ParentId == 0 ? e->Deleted : 2;
    const std::string dest = Destination("rootonly");
    RecoverFatFolder(0, 0, Wide(dest).c_str(), u"out");
    int checked[2] = {0, 0}; // existing, deleted
    for (const FixtureEntry* e : img->EntriesOf(volume)) {
        const std::u16string name = scanresults::EngineName(*e, false);
        ASSERT_EQ(listed.count(name), 1u) << e->path;
        EXPECT_EQ(listed[name], e->deleted ? 1u : 0u) << e->path;
        const std::string file = dest + "/out/" + Utf8(name);
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_EQ(testsha::FileSha256(file), e->sha256) << file;
        ++checked[e->deleted ? 1 : 0];
    }
    EXPECT_GT(checked[0], 3);
    EXPECT_GT(checked[1], 1);
    EXPECT_EQ(SaveTally.Failed, 0u);
}

INSTANTIATE_TEST_SUITE_P(Scans, RootOnlyFat,
                         ::testing::Values(volumescan::VolumeCase{0, Scan::FullPartition},
                                           volumescan::VolumeCase{1, Scan::FullPartition},
                                           volumescan::VolumeCase{0, Scan::FullDisk},
                                           volumescan::VolumeCase{1, Scan::FullDisk},
                                           volumescan::VolumeCase{1, Scan::Quick}));

// ---- NTFS records spread over extension records -----------------------------------------------------------

class SpreadNtfs : public volumescan::VolumeScan {
protected:
    const char* Image() const override { return "extnames"; }
};

// A folder whose name lies in an extension record, named by an attribute list held outside its record, keeps its
// name and its place under the root, and so does a file; every file is listed with the time its contents last
// changed (not the record's own name times) and recovered whole with its creation and modified times.
TEST_P(SpreadNtfs, NamesPlacesAndTimesSurvive)
{
    const int volume = GetParam().volume;
    std::set<std::string> moved;
    for (const FixtureEntry* e : img->EntriesOf(volume)) {
        if (e->Has("extname"))
            moved.insert(e->is_dir ? "folder" : "file");
        if (e->is_dir) {
            EXPECT_EQ(ui->treePaths.count(scanresults::ExpectedPath(*img, *e, true)), 1u) << e->path;
        }
    }
    ASSERT_EQ(moved, (std::set<std::string>{"file", "folder"}));
    for (const std::u16string& path : ui->treePaths)
        EXPECT_NE(path.rfind(u"Lost Dir/", 0), 0u) << Utf8(path); // nothing lost

    const std::string dest = ListAndRecoverNtfs("spread");
    int checked = 0;
    for (const FixtureEntry* e : img->EntriesOf(volume)) {
        if (e->is_dir)
            continue;
        ExpectNtfsTimes(*e, dest); // before the contents are read, which moves the access time on
        const std::string file = dest + "/out/" + Utf8(scanresults::ExpectedPath(*img, *e, true));
        EXPECT_EQ(testsha::FileSha256(file), e->sha256) << file;
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

INSTANTIATE_TEST_SUITE_P(Scans, SpreadNtfs,
                         ::testing::Values(volumescan::VolumeCase{0, Scan::Quick},
                                           volumescan::VolumeCase{0, Scan::FullPartition},
                                           volumescan::VolumeCase{0, Scan::FullDisk}));

// ---- Attribute lists held outside the record, on hostile disks --------------------------------------------

class StatusUi : public RecordingUi {
public:
    std::vector<std::u16string> Statuses;
    void SetStatusText(EngineStatusField field, const WCHAR* text) override
    {
        if (field == ENGINE_STATUS_MAIN)
            Statuses.push_back(text);
        RecordingUi::SetStatusText(field, text);
    }
};

// A list is read from its clusters only as far as 64 KiB and the volume reach: one that claims more, or whose runs
// leave the volume, ends there with a status line, whatever size its record claims.
TEST(OutsideAttributeList, ReadingEndsAtItsBounds)
{
    constexpr DWORD kVolumeSectors = 2048, kSpc = 8;
    CraftedImage image(kVolumeSectors);
    // Entries naming extension records 100, 101, ... fill the clusters from cluster 10 on.
    std::vector<BYTE> entries(200 * 1024, 0);
    for (size_t at = 0, n = 0; at + 0x20 <= entries.size(); at += 0x20, ++n) {
        crafted::Put32(&entries[at], ATTR_DATA);
        crafted::Put16(&entries[at + 4], 0x20);
        crafted::Put32(&entries[at + 0x10], uint32_t(100 + n % 40));
    }
    image.Write(10 * kSpc, entries.data(), entries.size());
    AttachedDisks disks({image.Path()});
    PartitionParams = {};
    PartitionParams.SectorCount = kVolumeSectors;
    PartitionParams.SectorsPerCluster = kSpc;
    const struct {
        const char* what;
        std::vector<BYTE> runs; // from cluster 10
        uint64_t realSize;
        bool cut;
        WORD pieces; // the record and those its list names
    } cases[] = {
        {"a list inside its bounds", {0x11, 0x02, 0x0A, 0x00}, 2 * kSpc * SECTOR_SIZE, false, 41},
        {"a list longer than 64 KiB", {0x11, 0x30, 0x0A, 0x00}, 0x30 * kSpc * SECTOR_SIZE, true, 41},
        {"a size of a terabyte", {0x11, 0x30, 0x0A, 0x00}, 1ULL << 40, true, 41},
        {"runs past the volume", {0x31, 0x02, 0x00, 0x10, 0x00, 0x00}, 2 * kSpc * SECTOR_SIZE, true, 1},
        {"a run of 2^32 - 1 clusters", {0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0x0A, 0x00}, ~0ULL, true, 1},
    };
    for (const auto& c : cases) {
        StatusUi ui;
        crafted::MftRecord r;
        r.NonResident(ATTR_ATTRIBUTE_LIST, c.runs, c.realSize);
        auto& b = r.Finish();
        ApplyFixups(b.data(), 1024);
        CollectAttributeList(b.data(), 30);
        EXPECT_EQ(ui.Statuses.size(), c.cut ? 1u : 0u) << c.what;
        ASSERT_EQ(RecordPieceCount, c.pieces) << c.what;
        EXPECT_EQ(RecordPieces[c.pieces - 1], c.pieces > 1 ? 139u : 30u) << c.what;
    }
}

} // namespace
