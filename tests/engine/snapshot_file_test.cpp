// Snapshot files: results written and loaded back, refused headers and bodies that leave the current results,
// and the disk opened again after a load.
#include "engine/snapshot_file.h"

#include "engine/engine_state.h"
#include "engine/scan_control.h"
#include "engine/sector_reader.h"
#include "engine/tracing_fixtures.h"
#include "engine/ui_port.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

std::string Narrow(const WCHAR* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

// Every list a snapshot touches, one line per record, so two states can be compared whole.
std::string Dump()
{
    std::string out = "mode " + std::to_string(ScanMode) + " files " + std::to_string(FoundFileCount) + " folders " +
                      std::to_string(FoundFolderCount) + " drive " + std::to_string(DriveNumber) + "/" +
                      std::to_string(DriveKind) + " start " + std::to_string(PartitionParams.StartSector) + "\n";
    for (auto* f = FatFolderHead; f; f = f->Next)
        out += "fat folder " + Narrow(f->Name) + " " + std::to_string(f->FirstCluster) + " " +
               std::to_string(f->ParentId) + " " + std::to_string(f->WriteDate) + " " + std::to_string(f->Deleted) + "\n";
    for (auto* f = FatFileHead; f; f = f->Next)
        out += "fat file " + Narrow(f->Name) + " " + std::to_string(f->StartCluster) + " " + std::to_string(f->Size) +
               " " + std::to_string(f->FileId) + " " + std::to_string(f->Deleted) + " times " +
               std::to_string(f->WriteDate) + " " + std::to_string(f->AccessDate) + " " + std::to_string(f->WriteTime) +
               " " + std::to_string(f->CreationDate) + " " + std::to_string(f->CreationTime) + " " +
               std::to_string(f->CreationTenths) + "\n";
    for (auto* f = QuickFolderHead; f; f = f->Next)
        out += "ntfs folder " + Narrow(f->Name) + " " + std::to_string(f->RecordNumber) + " " +
               std::to_string(f->ParentRef) + " " + std::to_string(f->ChangeHigh) + " " + std::to_string(f->Deleted) + "\n";
    for (auto* f = FoundEntryHead; f; f = f->Next)
        out += "ntfs file " + Narrow(f->Name) + " " + std::to_string(f->RecordSector) + " " +
               std::to_string(f->RecordNumber) + " " + std::to_string(f->SizeLow) + " " + std::to_string(f->SizeHigh) +
               " " + std::to_string(f->Deleted) + "\n";
    for (auto* s = SignatureHead; s; s = s->Next)
        out += "signature " + Narrow(s->Extension) + " " + Narrow(s->TypeText) + " " + s->Signature + " " +
               std::to_string(s->SignatureLength) + "\n";
    for (auto* t = TracedFileHead; t; t = t->Next)
        out += "traced " + Narrow(t->Name) + " " + Narrow(t->Extension) + " " + Narrow(t->TypeText) + " " +
               std::to_string(t->StartSector) + " " + std::to_string(t->FileNumber) + "\n";
    return out;
}

void ClearAll()
{
    FreeScanResultLists();
    ResetFullScanLists();
    FreeTracedFiles();
    FreeTracedFolders();
    PartitionParams = {};
}

// Results of each kind, built as the scans build them.
void MakeFat()
{
    ClearAll();
    ScanMode = 2;
    PartitionParams.FsType = PartitionParams.PartitionFsType = FS_KIND_FAT32;
    PartitionParams.StartSector = 63;
    PartitionParams.SectorsPerCluster = 8;
    AddFatFolderRecord(u"Photos", 5, 2, 0x5021, 0x5021, 0, 0);
    AddFatFolderRecord(u"Old", 9, 5, 0x4E21, 0x4E21, 0, 1);
    for (DWORD i = 0; i < 3; ++i) {
        std::u16string name = u"file" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u".jpg";
        const FatEntryTimes times{WORD(0x28C4 + i), WORD(i == 1 ? 0 : 0x4664), 0x2000, BYTE(150 + i)};
        AddFatEntryRecord(name.c_str(), 100 + i, 5, 0x5021, 0x5020, 4096 * (i + 1), i == 2, times);
        ++FoundFileCount;
    }
    DriveNumber = 1;
    DriveKind = 1;
}

void MakeNtfsQuick()
{
    ClearAll();
    ScanMode = 2;
    PartitionParams.FsType = PartitionParams.PartitionFsType = FS_KIND_NTFS;
    PartitionParams.StartSector = 2048;
    PartitionParams.SectorsPerCluster = 8;
    AddQuickFolderNode(u"Documents", 40, 5, 1, 2, 3, 4, 0, 0);
    AddQuickFolderNode(u"Trash", 41, 40, 1, 2, 3, 5, 0, 1);
    AddFoundEntry(5000, u"report.doc", 64, 40, 1, 2, 3, 4, 0, 0, 123456, 1);
    AddFoundEntry(5002, u"gone.txt", 65, 41, 1, 2, 3, 4, 0, 1, 10, 0);
    DriveNumber = 0;
    DriveKind = 2;
}

// Records as short as the format allows, whose count must still be accepted.
void MakeNtfsNameless()
{
    ClearAll();
    ScanMode = 2;
    PartitionParams.FsType = FS_KIND_NTFS;
    PartitionParams.SectorsPerCluster = 1;
    for (DWORD i = 0; i < 3; ++i)
        AddFoundEntry(5004 + 2 * i, u"", 66 + i, 5, 0, 0, 0, 0, 0, 1, 0, 0);
    DriveKind = 1;
}

void MakeNtfsFull()
{
    MakeNtfsQuick();
    ScanMode = 0;
    FreeScanResultLists();
    AddQuickFolderNode(u"Documents", 40, 5, 1, 2, 3, 4, 0, 0);
    PartitionParams.DataOrigin = 1000;
    PartitionParams.VolumeEndSector = 9000;
    // Files of other volumes lie outside the chosen one's sectors (data origin to end sector, both included) and
    // are not saved.
    AddFoundFile(u"outside-before.txt", 999, 5, 0, 1, 2, 3, 4, 77, 0, 0, 0);
    AddFoundFile(u"inside.txt", 1001, 40, 0, 1, 2, 3, 4, 88, 0, 0, 1);
    AddFoundFile(u"edge.txt", 9000, 40, 0, 1, 2, 3, 4, 99, 2, 0, 0);
    AddFoundFile(u"outside-after.txt", 9001, 40, 0, 1, 2, 3, 4, 11, 0, 0, 0);
    DriveKind = 1;
}

void MakeTraced()
{
    ClearAll();
    ScanMode = 1;
    PartitionParams.FsType = FS_KIND_FAT16;
    AddTracedFolder(u".jpg", u"JPEG image", 3, "FFD8FF", 0);
    AddTracedFolder(u".doc", u"Word document", 8, "D0CF11E0A1B11AE1", 0);
    AddTracedFile(u"1.jpg", u".jpg", u"JPEG image", 1, 100);
    AddTracedFile(u"2.xls", u".xls", u"Excel workbook", 2, 400);
    FoundFileCount = 2;
    FoundFolderCount = 2;
    DriveNumber = 3;
    DriveKind = 1;
}

class SnapshotFileTest : public ::testing::Test {
protected:
    void TearDown() override { ClearAll(); }
};

TEST_F(SnapshotFileTest, EachKindLoadsBackToTheSameLists)
{
    const struct {
        const char* what;
        void (*make)();
        char type;
        const char* mustHold;
        const char* mustNotHold;
    } cases[] = {
        {"FAT quick scan", MakeFat, 'D', "fat file file2.jpg 102 12288 2 1 times 20513 20512 10438 18020 8192 152",
         nullptr},
        {"NTFS quick scan", MakeNtfsQuick, 'D', "ntfs file report.doc 5000 64 123456 1 0", nullptr},
        {"NTFS files without names", MakeNtfsNameless, 'D', "ntfs file  5008 68 0 0 1", nullptr},
        {"NTFS full scan", MakeNtfsFull, 'A', "ntfs file edge.txt 9000 0 99 2 0", "outside"},
        {"file tracing", MakeTraced, 'R', "traced 2.xls .xls Excel workbook 400 2", nullptr},
    };
    for (const auto& c : cases) {
        c.make();
        std::vector<BYTE> bytes = EncodeSnapshot();
        ASSERT_GT(bytes.size(), 84u) << c.what;
        EXPECT_EQ(bytes[0], c.type) << c.what;
        std::string before = Dump();

        ClearAll();
        ASSERT_EQ(LoadSnapshotBytes(bytes.data(), bytes.size()), SnapshotStatus::Ok) << c.what;
        std::string after = Dump();
        EXPECT_NE(after.find(c.mustHold), std::string::npos) << c.what << "\n" << after;
        if (c.mustNotHold) {
            EXPECT_EQ(after.find(c.mustNotHold), std::string::npos) << c.what << "\n" << after;
        }
        // A full scan's files come back in the quick-scan lists; every other kind comes back as it was, and saving
        // it again gives the same file.
        if (c.type != 'A') {
            EXPECT_EQ(after, before) << c.what;
            EXPECT_EQ(EncodeSnapshot(), bytes) << c.what;
        }
        EXPECT_TRUE(IsWorkerFinished()) << c.what;
    }
}

// A FAT snapshot written before the entries' times were kept: one folder and one file, each field as stored then.
std::vector<BYTE> OlderFatSnapshot()
{
    MakeFat();
    std::vector<BYTE> out = EncodeSnapshot();
    out.resize(80); // the header and the volume's layout
    auto u8 = [&](unsigned v) { out.push_back(BYTE(v)); };
    auto u16 = [&](unsigned v) { u8(v), u8(v >> 8); };
    auto u32 = [&](DWORD v) { u16(v & 0xFFFF), u16(v >> 16); };
    auto wide = [&](const std::u16string& text, unsigned extra, unsigned padding) {
        u16(2 * unsigned(text.size()) + 2 + padding + extra);
        for (char16_t c : text)
            u16(c);
        out.insert(out.end(), 2 + padding, 0);
    };
    u32(1);
    wide(u"Photos", 15, 0);
    u32(5), u32(0), u16(0x5021), u16(0x5021), u8(0), u16(0);
    u32(1);
    wide(u"old.jpg", 21, 2);
    u32(100), u32(5), u16(0x5021), u16(0x5020), u32(4096), u8(0), u32(0);
    u16(1), u16(1);
    return out;
}

// Such a file still loads, with the dates it holds and no time: a recovery then keeps only the date.
TEST_F(SnapshotFileTest, AnOlderFatSnapshotLoadsWithDatesOnly)
{
    const std::vector<BYTE> bytes = OlderFatSnapshot();
    ClearAll();
    ASSERT_EQ(LoadSnapshotBytes(bytes.data(), bytes.size()), SnapshotStatus::Ok);
    EXPECT_EQ(Dump(), "mode 2 files 1 folders 1 drive 1/1 start 63\n"
                      "fat folder Photos 5 0 20513 0\n"
                      "fat file old.jpg 100 4096 0 0 times 20513 20512 65535 0 0 0\n");
    EXPECT_EQ(FatFileHead->WriteTime, kFatTimeUnknown);
}

TEST_F(SnapshotFileTest, TracedCountsFollowTheRecords)
{
    MakeTraced();
    FoundFileCount = 7;  // a counter out of step with the list must not reach the file
    std::vector<BYTE> bytes = EncodeSnapshot();
    ClearAll();
    ASSERT_EQ(LoadSnapshotBytes(bytes.data(), bytes.size()), SnapshotStatus::Ok);
    EXPECT_EQ(FoundFileCount, 2u);
    EXPECT_EQ(FoundFolderCount, 2u);  // progress of the tree builders divides by it
    EXPECT_EQ(SignatureCount, 2u);
    EXPECT_EQ(ScanMode, 1u);
}

TEST_F(SnapshotFileTest, RefusedFilesLeaveTheCurrentResults)
{
    MakeTraced();
    const std::vector<BYTE> traced = EncodeSnapshot();
    MakeNtfsQuick();
    const std::vector<BYTE> ntfs = EncodeSnapshot();
    MakeFat();
    const std::vector<BYTE> fat = EncodeSnapshot();
    const std::string current = Dump();

    auto expectRefused = [&](const std::vector<BYTE>& bytes, SnapshotStatus status, const std::string& what) {
        EXPECT_EQ(LoadSnapshotBytes(bytes.data(), bytes.size()), status) << what;
        EXPECT_EQ(Dump(), current) << what;
    };

    // Every cut of every kind of file.
    for (const auto* file : {&traced, &ntfs, &fat})
        for (size_t cut = 0; cut < file->size(); ++cut)
            expectRefused(std::vector<BYTE>(file->begin(), file->begin() + cut), SnapshotStatus::Invalid, "cut at " + std::to_string(cut) + " of a file of " + std::to_string(file->size()));

    const size_t firstString = 12 + 68 + 4;  // the length field of the first record's first string
    const struct {
        const char* what;
        const std::vector<BYTE>* base;
        std::function<void(std::vector<BYTE>&)> craft;
        SnapshotStatus status;
    } cases[] = {
        {"foreign magic", &fat, [](auto& b) { b[4] = 'x'; }, SnapshotStatus::BadMagic},
        {"other version", &fat, [](auto& b) { b[9] = '2'; }, SnapshotStatus::BadVersion},
        {"unknown type letter", &fat, [](auto& b) { b[0] = 'Z'; }, SnapshotStatus::Invalid},
        {"string length below its constant", &fat, [&](auto& b) { b[firstString] = 3; b[firstString + 1] = 0; }, SnapshotStatus::Invalid},
        {"string length running past the end", &traced, [&](auto& b) { b[firstString] = 0xFF; b[firstString + 1] = 0xFF; }, SnapshotStatus::Invalid},
        {"odd string length", &ntfs, [&](auto& b) { b[firstString] ^= 1; }, SnapshotStatus::Invalid},
        {"record count beyond the file", &fat, [](auto& b) { b[80] = 0xFF; b[81] = 0xFF; b[82] = 0xFF; }, SnapshotStatus::Invalid},
        {"disk number beyond the table", &fat, [](auto& b) { b[b.size() - 4] = 10; }, SnapshotStatus::Invalid},
        {"unknown drive kind", &fat, [](auto& b) { b[b.size() - 2] = 7; }, SnapshotStatus::Invalid},
        {"bytes after the drive words", &fat, [](auto& b) { b.push_back(0); }, SnapshotStatus::Invalid},
        {"two folders with one record number", &ntfs,
         [&](auto& b) {
             // The second folder record takes the first one's number (40 -> 41 is its only difference there).
             size_t first = firstString + 2 + (2 * 9 + 4);
             size_t second = first + 4 + 4 + 8 + 8 + 1 + 2 + 2 + (2 * 5 + 4);
             std::memcpy(&b[second], &b[first], 4);
         },
         SnapshotStatus::Invalid},
    };
    for (const auto& c : cases) {
        auto bytes = *c.base;
        c.craft(bytes);
        expectRefused(bytes, c.status, c.what);
    }
}

TEST_F(SnapshotFileTest, FileNamesGetTheExtensionOnce)
{
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"scan", u"scan.dmk"}, {u"scan.dmk", u"scan.dmk"}, {u"scan.DMK", u"scan.DMK"}, {u"scan.DmK", u"scan.DmK"},
        {u"a.dmk.txt", u"a.dmk.txt.dmk"}};
    for (const auto& [chosen, saved] : cases)
        EXPECT_EQ(SnapshotFileName(chosen), saved);
}

// Records the messages of a load.
class MessageUi final : public IEngineUi {
public:
    void ShowMessage(const WCHAR* text, EngineMessageKind kind) override { messages.push_back({text, kind}); }
    bool AskYesNo(const WCHAR*) override { return false; }
    void SetProgress(UINT) override {}
    void SetStatusText(EngineStatusField, const WCHAR*) override {}
    void SetCounter(EngineCounter, ULONGLONG) override {}
    void AddDriveItem(const WCHAR*, DWORD) override {}
    DWORD InsertFolderItem(DWORD, const WCHAR* text, BOOL) override
    {
        items.push_back(text);
        return FOUND_TREE_ITEM_FLAG | static_cast<DWORD>(items.size());
    }
    void SetFolderItemColor(DWORD, COLORREF) override {}
    void ExpandFolderItem(DWORD) override {}
    void ClearFileRows() override {}
    void AddFileRow(const FoundFileRow& row) override { rows.push_back(row.Name); }
    std::vector<std::pair<std::u16string, EngineMessageKind>> messages;
    std::vector<std::u16string> items, rows;
};

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

TEST_F(SnapshotFileTest, FilesAreWrittenReadAndTheVolumeCheckedAgain)
{
    std::string folder = testsupport::ScratchDir();
    // A FAT16 disk: 4 sectors per cluster, 4 reserved sectors (the tracing image's volume).
    ASSERT_TRUE(tracingtest::RunPython("tests/fixtures/make_traced_image.py",
                                       "'" + folder + "/disk.img' '" + folder + "/disk.json' --size-mib 4"));
    setenv("DOVEMARK_DISKS", (folder + "/disk.img").c_str(), 1);
    MessageUi ui;
    SetEngineUi(&ui);

    const struct {
        const char* what;
        DWORD sectorsPerCluster;
        bool warned;
    } cases[] = {{"the same volume", 4, false}, {"another volume under the same number", 8, true}};
    for (const auto& c : cases) {
        MakeTraced();
        DriveNumber = 0;
        PartitionParams.SectorsPerCluster = c.sectorsPerCluster;
        PartitionParams.ReservedSectors = 4;
        PartitionParams.FatSize = 9;  // 2,048 clusters of 4 sectors
        std::u16string path = Wide(folder + "/result.DMK");
        ASSERT_EQ(WriteSnapshotFile(path.c_str()), SnapshotStatus::Ok);
        ClearAll();
        ui.messages.clear();
        ui.items.clear();
        ui.rows.clear();
        ASSERT_EQ(ReadSnapshotFile(path.c_str()), SnapshotStatus::Ok) << c.what;
        EXPECT_EQ(Narrow(TracedFileHead ? TracedFileHead->Name : nullptr), "1.jpg") << c.what;
        EXPECT_EQ(ui.messages.size(), c.warned ? 1u : 0u) << c.what;
        // The tracing result's tree and rows are built again from the loaded records.
        EXPECT_EQ(ui.items, (std::vector<std::u16string>{u"Root", u"JPEG image", u".jpg", u"Excel workbook", u".xls"}));
        EXPECT_EQ(ui.rows, (std::vector<std::u16string>{u"JPEG image", u"Excel workbook"}));
    }

    ui.messages.clear();
    MakeFat();
    const std::string current = Dump();
    std::u16string missing = Wide(folder + "/no-such.DMK");
    EXPECT_EQ(ReadSnapshotFile(missing.c_str()), SnapshotStatus::CannotOpen);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].second, ENGINE_MSG_ERROR);
    EXPECT_EQ(Dump(), current);
    std::u16string unwritable = Wide(folder + "/no-such-folder/result.DMK");
    EXPECT_EQ(WriteSnapshotFile(unwritable.c_str()), SnapshotStatus::CannotOpen);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].first, u"Unable to open the file");

    SetEngineUi(nullptr);
    unsetenv("DOVEMARK_DISKS");
}

} // namespace
