// Test harness: one volume of a fixture image taken through a quick scan or a full scan (of the whole disk or of
// its partition) up to the results page's lists and folder tree, with what the user interface was shown.
#pragma once

#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/full_scan.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "engine/volume_extraction.h"
#include "attached_disk.h"
#include "crafted.h"
#include "scan_results.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include "win32/kernel/util.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace volumescan {

inline std::string Utf8(const std::u16string& s)
{
    std::string out;
    dovemark::kernel::Utf16ToUtf8(s, out);
    return out;
}

inline std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Keeps the found-folder tree as paths below its root, the rows of the last list fill and the volume items.
class ResultsUi : public RecordingUi {
public:
    std::map<DWORD, std::u16string> paths;
    std::set<std::u16string> treePaths;
    std::vector<std::u16string> rows;
    std::map<std::u16string, ULONGLONG> modified; // by row name, over every fill
    std::map<std::u16string, DWORD> volumeItems;
    DWORD nextVolumeItem = 0x100;

    DWORD InsertFolderItem(DWORD parent, const WCHAR* text, BOOL deleted) override
    {
        const DWORD item = RecordingUi::InsertFolderItem(parent, text, deleted);
        auto up = paths.find(parent);
        // The top item ("Root") is left out, so the paths read as the manifest's.
        paths[item] = up == paths.end() ? u"" : (up->second.empty() ? u"" : up->second + u"/") + text;
        treePaths.insert(paths[item]);
        return item;
    }
    void ClearFileRows() override { rows.clear(); }
    void AddFileRow(const FoundFileRow& row) override
    {
        rows.push_back(row.Name);
        modified[row.Name] = row.Modified;
    }
    DWORD InsertVolumeItem(DWORD parent, const WCHAR* text) override
    {
        const DWORD item = ++nextVolumeItem;
        if (parent != FOUND_TREE_ROOT)
            volumeItems[text] = item;
        return item;
    }
};

enum class Scan { Quick, FullDisk, FullPartition };

// The volume's name in the full scan's volume tree.
inline std::u16string FoundVolumeName(const testsupport::FixtureVolume& v)
{
    uint64_t at = v.start;
    if (v.fs != "NTFS")
        at += uint64_t(v.Extra("data_sector")) - 2 * (v.cluster_bytes / SECTOR_SIZE);
    return Wide(v.fs + " @" + std::to_string(at));
}

// Runs the scan and leaves the volume's folders and files in the lists, as the results page gets them.
inline void ScanVolume(const testsupport::FixtureImage& img, const testsupport::FixtureVolume& v, Scan scan,
                       ResultsUi& ui)
{
    FreeScanResultLists();
    ResetFullScanLists();
    if (scan == Scan::Quick) {
        ASSERT_TRUE(scanresults::QuickScan(v));
        TreeItemCount = 0;
        const DWORD root = InsertFoundTreeRoot();
        if (v.fs == "NTFS")
            BuildNtfsFolderTree(root, kNtfsRootFolderId);
        else
            BuildFatFolderTree(root, 0);
        return;
    }
    const uint64_t start = scan == Scan::FullDisk ? 0 : v.start;
    const uint64_t count = scan == Scan::FullDisk ? img.bytes / SECTOR_SIZE : v.sectors;
    PartitionParams = {};
    PartitionParams.PartitionFsType = scanresults::KindOf(v.fs);
    PartitionParams.StartSector = DWORD(start);
    PartitionParams.SectorCount = DWORD(count);
    PartitionParams.BackupSector = DWORD(start + count);
    ScanMode = 0;
    StartFullScan();
    ASSERT_TRUE(WaitWorkerFinished(120000));
    auto item = ui.volumeItems.find(FoundVolumeName(v));
    ASSERT_NE(item, ui.volumeItems.end()) << Utf8(FoundVolumeName(v));
    ASSERT_GT(SelectFoundVolume(item->second), 0);
    BeginScanRun();
    ExtractWorkerProc(nullptr);
    ASSERT_TRUE(IsWorkerFinished());
    ASSERT_FALSE(WorkerFailed());
}

struct VolumeCase {
    int volume;
    Scan scan;
};

// One volume of a fixture image scanned as the case says, with its image, disk and user interface.
class VolumeScan : public ::testing::TestWithParam<VolumeCase> {
protected:
    virtual const char* Image() const = 0;
    void SetUp() override
    {
        img = &testsupport::GetFixtureImage(Image());
        if (!img->available) {
            if (img->tool_missing)
                GTEST_SKIP() << img->error;
            FAIL() << img->error;
        }
        disks = std::make_unique<AttachedDisks>(std::vector<std::string>{img->path});
        ui = std::make_unique<ResultsUi>();
        ScanVolume(*img, img->volumes.at(GetParam().volume), GetParam().scan, *ui);
    }
    void TearDown() override
    {
        ui.reset();
        disks.reset();
        FreeScanResultLists();
        ResetFullScanLists();
        ScanMode = 2;
    }
    // A fresh folder to recover into.
    static std::string Destination(const std::string& name)
    {
        const std::string dest = testsupport::ScratchDir() + "/" + name;
        std::filesystem::remove_all(dest);
        std::filesystem::create_directories(dest);
        ResetRecoverySettings();
        FileTypeFilterCount = 0;
        ResetSaveTally();
        SaveStopFlag = 0;
        return dest;
    }

    // NTFS: fills the list with every folder (so each file's row has been shown) and recovers the whole volume
    // into a fresh folder; returns that folder.
    std::string ListAndRecoverNtfs(const std::string& name)
    {
        ShowNtfsFolder(kNtfsRootFolderId);
        for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
            ShowNtfsFolder(f->RecordNumber);
        const std::string dest = Destination(name);
        RecoverNtfsFolder(0, kNtfsRootFolderId, Wide(dest).c_str(), u"out");
        return dest;
    }
    // NTFS: the file's row showed the time its contents last changed, and its recovered copy under dest/out keeps
    // that as its last write and access and its creation time as created.
    void ExpectNtfsTimes(const testsupport::FixtureEntry& e, const std::string& dest)
    {
        const ULONGLONG created = testsupport::FixtureTimeToFileTime(e.created);
        const ULONGLONG modified = testsupport::FixtureTimeToFileTime(e.modified);
        ASSERT_NE(created, modified) << e.path;
        ASSERT_EQ(ui->modified.count(e.Name16()), 1u) << e.path;
        EXPECT_EQ(ui->modified[e.Name16()], modified) << e.path;
        const std::u16string path = Wide(dest) + u"/out/" + scanresults::ExpectedPath(*img, e, true);
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << e.path;
        FILETIME creation{}, access{}, write{};
        EXPECT_TRUE(GetFileTime(h, &creation, &access, &write));
        CloseHandle(h);
        auto value = [](const FILETIME& t) { return ULONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
        EXPECT_EQ(value(creation), created) << e.path;
        EXPECT_EQ(value(write) / 10000000, modified / 10000000) << e.path;
        EXPECT_EQ(value(access) / 10000000, modified / 10000000) << e.path;
    }

    const testsupport::FixtureImage* img = nullptr;
    std::unique_ptr<AttachedDisks> disks;
    std::unique_ptr<ResultsUi> ui;
};

} // namespace volumescan
