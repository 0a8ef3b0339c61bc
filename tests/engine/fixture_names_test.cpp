// The "names" image through quick and full scans: 8.3 names in code page 936 and their case bits in the lists,
// the tree, the list rows, the recovered files and a snapshot; a file read on past its volume; MFT records
// listed once; recovered NTFS times.
#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/full_scan.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "engine/snapshot_file.h"
#include "engine/volume_extraction.h"
#include "scan_results.h"
#include "sha256.h"
#include "support/fixture_images.h"
#include "volume_scan.h"

#include <gtest/gtest.h>

#include "win32/kernel/util.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

namespace {
namespace fs = std::filesystem;
using volumescan::Scan;
using volumescan::Utf8;
using volumescan::Wide;
using testsupport::FixtureEntry;
using testsupport::FixtureImage;
using testsupport::FixtureVolume;

// Every FAT folder and file of the lists by its path, with its deleted flag.
std::map<std::u16string, DWORD> FatPaths()
{
    std::map<std::u16string, DWORD> out;
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
        out[scanresults::FatPathOf(f->Name, f->ParentId)] = f->Deleted;
    for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
        out[scanresults::FatPathOf(e->Name, e->ParentId)] = e->Deleted;
    return out;
}

std::u16string ParentPath(const std::u16string& path)
{
    const size_t slash = path.rfind(u'/');
    return slash == std::u16string::npos ? u"" : path.substr(0, slash);
}

std::u16string LastName(const std::u16string& path) { return path.substr(path.rfind(u'/') + 1); }

using NameCase = volumescan::VolumeCase;
class NamesScan : public volumescan::VolumeScan {
protected:
    const char* Image() const override { return "names"; }
};
class FatNames : public NamesScan {};

// Names in code page 936 and names with case bits, live and deleted, as the disk holds them, wherever the
// user meets them: the lists, the folder tree, the list rows, the recovered files, a snapshot loaded again.
TEST_P(FatNames, AsTheDiskHoldsThem)
{
    const int volume = GetParam().volume;
    const std::map<std::u16string, DWORD> found = FatPaths();

    std::map<std::u16string, std::set<std::u16string>> byFolder; // expected rows, by folder path
    std::set<std::string> flags;
    int checked = 0;
    for (const FixtureEntry* e : img->EntriesOf(volume)) {
        if (scanresults::InsideDeletedFolder(*img, *e))
            continue;
        const std::u16string path = scanresults::ExpectedPath(*img, *e, false);
        auto it = found.find(path);
        ASSERT_NE(it, found.end()) << Utf8(path);
        EXPECT_EQ(it->second, e->deleted ? 1u : 0u) << Utf8(path);
        if (e->is_dir && !e->deleted) {
            EXPECT_EQ(ui->treePaths.count(path), 1u) << Utf8(path);
        }
        byFolder[ParentPath(path)].insert(LastName(path));
        flags.insert(e->flags.begin(), e->flags.end());
        ++checked;
    }
    EXPECT_GT(checked, 10);
    for (const char* f : {"oemname", "chinese", "shortname", "longname"})
        EXPECT_EQ(flags.count(f), 1u) << f;

    // The list rows of each folder.
    std::map<std::u16string, DWORD> folderIds{{u"", 0}};
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
        for (const auto& [path, deleted] : found)
            if (LastName(path) == f->Name && byFolder.count(path))
                folderIds[path] = f->FirstCluster;
    for (const auto& [folder, names] : byFolder) {
        ASSERT_EQ(folderIds.count(folder), 1u) << Utf8(folder);
        ShowFatFolder(folderIds[folder]);
        const std::set<std::u16string> rows(ui->rows.begin(), ui->rows.end());
        for (const std::u16string& name : names)
            EXPECT_EQ(rows.count(name), 1u) << Utf8(folder + u"/" + name);
    }

    // The recovered files carry the same names; those whose clusters still hold them come out whole.
    const std::string dest = Destination("names");
    RecoverFatFolder(0, 0, Wide(dest).c_str(), u"out");
    for (const FixtureEntry* e : img->EntriesOf(volume)) {
        if (e->is_dir || scanresults::InsideDeletedFolder(*img, *e) || (e->deleted && e->Has("fragmented")))
            continue;
        const std::string file = dest + "/out/" + Utf8(scanresults::ExpectedPath(*img, *e, false));
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_EQ(testsha::FileSha256(file), e->sha256) << file;
    }

    // A snapshot of the result loads with the same names.
    const std::vector<BYTE> bytes = EncodeSnapshot();
    ASSERT_EQ(LoadSnapshotBytes(bytes.data(), bytes.size()), SnapshotStatus::Ok);
    EXPECT_EQ(FatPaths(), found);
}

INSTANTIATE_TEST_SUITE_P(Scans, FatNames,
                         ::testing::Values(NameCase{0, Scan::Quick}, NameCase{1, Scan::Quick},
                                           NameCase{0, Scan::FullDisk}, NameCase{1, Scan::FullDisk},
                                           NameCase{0, Scan::FullPartition}, NameCase{1, Scan::FullPartition}));

// A deleted file whose chain is gone is read on from its first cluster; the part past the volume (here the
// next extended boot record) is not read but zero-filled and counted, and the file is reported incomplete,
// whichever scan found it.
class VolumeTail : public NamesScan {};

TEST_P(VolumeTail, ReadingStopsAtTheVolumesEnd)
{
    const int volume = GetParam().volume;
    const FixtureEntry* tail = nullptr;
    for (const FixtureEntry* e : img->EntriesOf(volume))
        if (e->Has("voltail"))
            tail = e;
    ASSERT_NE(tail, nullptr);
    const FatEntryRecord* record = nullptr;
    for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
        if (scanresults::EngineName(*tail, false) == e->Name)
            record = e;
    ASSERT_NE(record, nullptr);
    const uint64_t inside = tail->runs.at(0).count * img->volumes[volume].cluster_bytes;
    ASSERT_LT(inside, tail->size);

    const std::string dest = Destination("tail");
    RecoveryFileTime = record->WriteDate;
    EXPECT_EQ(RecoverFatFile(Wide(dest).c_str(), record->FileId, 1, record->StartCluster, record->Size,
                             record->Name, record->Deleted),
              0);
    EXPECT_EQ(SaveTally.Failed, 1u);
    EXPECT_EQ(SaveTally.Written, 0u);
    EXPECT_EQ(SaveTally.UnreadableSectors, (tail->size - inside + SECTOR_SIZE - 1) / SECTOR_SIZE);
    std::ifstream in(dest + "/" + Utf8(record->Name), std::ios::binary);
    const std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(data.size(), tail->size);
    EXPECT_NE(std::count(data.begin(), data.begin() + inside, 0), std::ptrdiff_t(inside)); // what lies inside
    EXPECT_EQ(std::count(data.begin() + inside, data.end(), 0), std::ptrdiff_t(tail->size - inside));
}

INSTANTIATE_TEST_SUITE_P(Scans, VolumeTail,
                         ::testing::Values(NameCase{1, Scan::Quick}, NameCase{1, Scan::FullDisk},
                                           NameCase{1, Scan::FullPartition}));

// NTFS: each of the MFT records the mirror copies is listed once in the volume's root, also from a full-scan
// snapshot written before the copies were dropped; a recovered file keeps its creation time and the modified
// time its row showed, the time its contents last changed, though the record's own name carries four others.
class NtfsRecords : public NamesScan {};

TEST_P(NtfsRecords, ListedOnceAndRecoveredWithTheListedTimes)
{
    const int volume = GetParam().volume;
    const std::u16string metafiles[] = {u"$MFT", u"$MFTMirr", u"$LogFile", u"$Volume"};
    auto countRootRows = [&] {
        ShowNtfsFolder(kNtfsRootFolderId);
        std::map<std::u16string, int> count;
        for (const std::u16string& row : ui->rows)
            ++count[row];
        return count;
    };
    std::map<std::u16string, int> rows = countRootRows();
    for (const std::u16string& name : metafiles)
        EXPECT_EQ(rows[name], 1) << Utf8(name);

    const std::string dest = ListAndRecoverNtfs("ntfs-times");
    int checked = 0;
    for (const FixtureEntry* e : img->EntriesOf(volume)) {
        if (!e->Has("fntimes"))
            continue;
        ExpectNtfsTimes(*e, dest);
        ++checked;
    }
    EXPECT_EQ(checked, 3);

    if (GetParam().scan == Scan::Quick)
        return;
    // A snapshot from before: the mirror's copy of record 0 listed beside the record itself.
    AddFoundFile(u"$MFT", PartitionParams.MftMirrorSector, kNtfsRootFolderId, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const std::vector<BYTE> bytes = EncodeSnapshot();
    ASSERT_EQ(LoadSnapshotBytes(bytes.data(), bytes.size()), SnapshotStatus::Ok);
    std::vector<DWORD> sectors;
    for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
        if (e->ParentRef == kNtfsRootFolderId && std::u16string(e->Name) == u"$MFT")
            sectors.push_back(e->RecordSector);
    EXPECT_EQ(sectors, std::vector<DWORD>{PartitionParams.MftSector});
}

INSTANTIATE_TEST_SUITE_P(Scans, NtfsRecords,
                         ::testing::Values(NameCase{2, Scan::Quick}, NameCase{2, Scan::FullDisk},
                                           NameCase{2, Scan::FullPartition}));

// The FAT labels are in the code page too.
TEST(NamesImage, FatLabelsInCodePage936)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "names");
    AttachedDisks disks({img.path});
    const std::pair<const char16_t*, int> drives[] = {{u"C:\\", 0}, {u"D:\\", 1}};
    for (const auto& [root, volume] : drives) {
        WCHAR label[64] = {};
        ASSERT_TRUE(GetVolumeInformationW(root, label, 64, nullptr, nullptr, nullptr, nullptr, 0)) << volume;
        EXPECT_EQ(std::u16string(label), dovemark::kernel::Utf8ToUtf16(img.volumes[volume].label)) << volume;
    }
}

// The Sleuth Kit's fls, where installed, reads the same ASCII names (case bits included) off both FAT volumes;
// it writes a deleted name's lost first character "_", the engine "x".
TEST(NamesImage, FlsAgreesOnAsciiNames)
{
    if (!fs::exists("/usr/bin/fls"))
        GTEST_SKIP() << "fls is not installed";
    DOVEMARK_REQUIRE_FIXTURE(img, "names");
    AttachedDisks disks({img.path});
    RecordingUi ui;
    for (int volume : {0, 1}) {
        const FixtureVolume& v = img.volumes[volume];
        const std::string command = "/usr/bin/fls -r -p -o " + std::to_string(v.start) + " '" + img.path + "'";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::set<std::string> fls;
        char line[1024];
        while (std::fgets(line, sizeof line, pipe)) {
            std::string text(line);
            const size_t tab = text.find('\t');
            if (tab == std::string::npos || text.compare(0, 2, "v/") == 0 || text.compare(0, 2, "V/") == 0)
                continue;
            std::string path = text.substr(tab + 1);
            path.erase(path.find_last_not_of("\r\n") + 1);
            if (path.find(" (Volume Label Entry)") != std::string::npos)
                continue;
            fls.insert(path);
        }
        ASSERT_EQ(pclose(pipe), 0) << command;

        ASSERT_TRUE(scanresults::QuickScan(v));
        std::set<std::string> engine;
        for (const auto& [path, deleted] : FatPaths()) {
            if (std::any_of(path.begin(), path.end(), [](char16_t ch) { return ch >= 0x80; }))
                continue; // fls does not read code page 936
            std::string text = Utf8(path);
            if (deleted)
                text[text.rfind('/') + 1] = '_'; // (no slash: npos + 1 is the first character)
            engine.insert(text);
        }
        int compared = 0;
        for (const std::string& name : engine) {
            EXPECT_EQ(fls.count(name), 1u) << name;
            ++compared;
        }
        EXPECT_GT(compared, 8);
    }
}

} // namespace
