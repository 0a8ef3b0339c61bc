// Quick scan of a FAT16, FAT32 or NTFS volume through its own structures, and the lost-folder search.
#include "engine/quick_scan.h"

#include "afx/thread.h"
#include "engine/engine_state.h"
#include "engine/fat_boot.h"
#include "engine/fat_chain.h"
#include "engine/fat_directory.h"
#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"

#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

const WCHAR kCannotOpen[] = u"无法打开所选的驱动器。";
const WCHAR kNoParameters[] =
    u"Dovemark 无法找到正确的分区参数。 \r\n请返回进行恢复的第一步，并选择“全面扫描”模式偿试再次恢复。 \r\n";

void Fail(const WCHAR* text)
{
    ScanFailedFlag = 1;
    EngineUi().ShowMessage(text, ENGINE_MSG_ERROR);
    MarkWorkerFinished(true);
}

UINT Percent(ULONGLONG part, ULONGLONG whole)
{
    if (whole == 0)
        return 0;
    const ULONGLONG p = part * 100 / whole;
    return UINT(p > 99 ? 99 : p);
}

std::u16string Decimal(ULONGLONG v)
{
    std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

// Parses one FAT directory (root or folder) along its chain. A folder's first sector must hold "."
// and "..", else the cluster no longer holds this directory and nothing of it is taken.
void ParseFatFolder(DWORD firstCluster, DWORD parentId, DWORD deleted, bool isRoot)
{
    FatDirWalk walk;
    int end = 0;
    BYTE sector[SECTOR_SIZE];
    bool first = true;
    const DWORD spc = PartitionParams.SectorsPerCluster;
    WalkDirectoryChain(firstCluster, [&](DWORD c) {
        for (DWORD i = 0; i < spc && !end; ++i) {
            const ULONGLONG s = PartitionParams.DataOrigin + ULONGLONG(c) * spc + i;
            std::memset(sector, 0, sizeof sector);
            ReadSectors(SelectedDevicePath(), s, 1, sector);
            if (first && !isRoot && !(sector[0] == '.' && sector[1] == ' ' && sector[32] == '.' && sector[33] == '.'))
                return false;
            ParseFatDirectory(sector, parentId, &end, DWORD(s), deleted, first && !isRoot ? 2 : 0, &walk);
            first = false;
        }
        return !end;
    });
}

} // namespace

void StartQuickScan()
{
    BeginScanRun();
    ScanFailedFlag = 0;
    ScanThread = AfxBeginThread(QuickScanThread, nullptr);
}

UINT QuickScanThread(LPVOID)
{
    IEngineUi& ui = EngineUi();
    // No found volume is chosen in a quick scan: the partition and its boot sector bound what is read.
    PartitionParams.VolumeNumber = 0;
    PartitionParams.VolumeEndSector = 0;
    if (DriveKind == 2 && !OpenLogicalVolume(PartitionParams.LogicalDriveIndex)) {
        Fail(kCannotOpen);
        return 0;
    }
    // The run flags are the starter's: a Stop pressed while the volume was being opened must hold.
    int recognised = ReadBootParameters();
    const WORD kind = PartitionParams.PartitionFsType;
    if (!recognised) {
        // The data-area heuristic knows FAT directories only; on NTFS it could take a stray FAT image
        // inside a file for this volume's layout.
        if (kind == FS_KIND_FAT16 || kind == FS_KIND_FAT32) {
            ui.SetStatusText(ENGINE_STATUS_MAIN, u"分区参数计算，请稍候...");
            recognised = ComputeFatParameters();
        }
        if (!recognised) {
            Fail(kNoParameters);
            return 0;
        }
    }
    if (kind == FS_KIND_FAT16 || kind == FS_KIND_FAT32) {
        ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在搜索数据，请稍候...");
        BuildFatDirectoryTree();
    } else if (kind == FS_KIND_NTFS) {
        ReadMftEntries();
    }
    MarkWorkerFinished(false);
    return 0;
}

void BuildFatDirectoryTree()
{
    FreeScanResultLists();
    if (PartitionParams.FsType == FS_KIND_FAT32) {
        ParseFatFolder(PartitionParams.Root, 0, 0, true);
    } else {
        FatDirWalk walk;
        int end = 0;
        BYTE sector[SECTOR_SIZE];
        for (DWORD i = 0; i < PartitionParams.RootDirSectors && !end; ++i) {
            std::memset(sector, 0, sizeof sector);
            const DWORD s = PartitionParams.Root + i;
            ReadSectors(SelectedDevicePath(), s, 1, sector);
            ParseFatDirectory(sector, 0, &end, s, 0, 0, &walk);
        }
    }
    // Breadth first: the list grows at its tail while it is walked. Folder records are one per first
    // cluster, so a directory that names an ancestor adds nothing new and the walk ends.
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next) {
        if (ScanPollPoint())
            break;
        ParseFatFolder(f->FirstCluster, f->FirstCluster, f->Deleted, false);
    }

    IEngineUi& ui = EngineUi();
    const DWORD root = InsertFoundTreeRoot();
    ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在创建目录树，请稍候");
    ScanStopFlag = 0;
    TreeItemCount = 0;
    BuildFatFolderTree(root, 0);
    ui.ExpandFolderItem(root);
    ShowFatFolder(0);
}

void ReadMftEntries()
{
    FreeScanResultLists();
    IEngineUi& ui = EngineUi();
    BuildMftRunTable(PartitionParams.DataOrigin, SelectedDevicePath(), PartitionParams.MftSector,
                     PartitionParams.SectorsPerCluster);
    ULONGLONG total = 0;
    for (DWORD i = 0; i < MftRuns.Count(); ++i)
        total += MftRuns.Lengths[i];
    FoundFolderCount = 0;
    FoundFileCount = 0;

    std::vector<BYTE> record(kMftRecordSize);
    WCHAR name[kNtfsNameChars];
    ULONGLONG done = 0;
    DWORD r = 0;
    bool stop = false;
    for (DWORD run = 0; run < MftRuns.Count() && !stop; ++run) {
        const DWORD start = MftRuns.Starts[run];
        const DWORD length = MftRuns.Lengths[run];
        if (start == 0) {
            // A hole in the MFT's data (sparse, or outside the volume): no records there, but it keeps its numbers.
            r += length / 2;
            done += length / 2 * 2;
            continue;
        }
        for (DWORD at = 0; at + 1 < length; at += 2, ++r, done += 2) {
            if (ScanPollPoint()) {
                stop = true;
                break;
            }
            const DWORD sector = start + at;
            if (ShowScanDetails)
                ui.SetStatusText(ENGINE_STATUS_SECTOR, Decimal(sector).c_str());
            if (r % 64 == 0)
                ui.SetProgress(Percent(done, total));
            if (ShowScanDetails && r % 20 == 0)
                ui.SetStatusText(ENGINE_STATUS_MAIN,
                                 (u"读取扇区    " + Decimal(done) + u" Of " + Decimal(total)).c_str());
            if (!ReadMftRecord(sector, record.data()))
                continue;
            // Extension records carry pieces of another file; their base record lists the file.
            if (std::memcmp(&record[0x20], "\0\0\0\0", 4) != 0)
                continue;
            const MftRecordGroup group(record.data(), r, sector);
            DWORD parent = 0;
            ULONGLONG created = 0, modified = 0;
            if (!group.Name(name, &parent, &created, &modified))
                continue; // never used, or nothing to call it by
            const WORD flags = WORD(record[0x16] | record[0x17] << 8);
            const DWORD deleted = (flags & 1) ? 0 : 1;
            if (flags & 2) {
                if (name[0] == u'.' && name[1] == 0)
                    continue;
                AddQuickFolderNode(name, r, parent, DWORD(created), DWORD(created >> 32), DWORD(modified),
                                   DWORD(modified >> 32), 0, deleted);
                if (ShowScanDetails && FoundFolderCount % 20 == 0)
                    ui.SetCounter(ENGINE_COUNT_FOLDERS, FoundFolderCount);
            } else {
                ULONGLONG size = 0;
                DWORD sizeSector = sector;
                if (!group.DataSize(&size, &sizeSector)) {
                    size = 0;
                    sizeSector = sector;
                }
                AddFoundEntry(sizeSector, name, r, parent, DWORD(created), DWORD(created >> 32), DWORD(modified),
                              DWORD(modified >> 32), 0, deleted, DWORD(size), DWORD(size >> 32));
                ++FoundFileCount;
                if (ShowScanDetails && FoundFileCount % 50 == 0)
                    ui.SetCounter(ENGINE_COUNT_FILES, FoundFileCount);
            }
        }
    }

    SearchLostNtfsData();
    const DWORD root = InsertFoundTreeRoot();
    ScanStopFlag = 0;
    TreeItemCount = 0;
    BuildNtfsFolderTree(root, kNtfsRootRecord);
    HangUnreachedNtfsFolders();
    ui.ExpandFolderItem(root);
    ShowNtfsFolder(kNtfsRootRecord);
}

void SearchLostNtfsData()
{
    IEngineUi& ui = EngineUi();
    ScanStopFlag = 0;
    ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在搜索丢失的数据（步骤1/2）...");
    ui.SetProgress(0);
    std::unordered_set<DWORD> known;
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        known.insert(f->RecordNumber);
    AddQuickFolderNode(u"Lost Dir", kLostDirRecord, kNtfsRootRecord, 0, 0, 0, 0, 0, 0);
    known.insert(kLostDirRecord);
    DWORD number = 0;
    auto adopt = [&](DWORD parent) {
        if (parent == kNtfsRootRecord || known.count(parent))
            return;
        const std::u16string dir = u"Dir" + Decimal(number++);
        AddQuickFolderNode(dir.c_str(), parent, kLostDirRecord, 0, 0, 0, 0, 0, 0);
        known.insert(parent);
    };
    const DWORD folders = FoundFolderCount ? FoundFolderCount : 1;
    DWORD i = 0;
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next, ++i) {
        if (ScanPollPoint())
            break;
        if (i % 256 == 0)
            ui.SetProgress(Percent(i, folders));
        adopt(f->ParentRef);
    }
    ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在搜索丢失的数据（步骤2/2）...");
    const DWORD files = FoundFileCount ? FoundFileCount : 1;
    i = 0;
    for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next, ++i) {
        if (ScanPollPoint())
            break;
        if (i % 256 == 0)
            ui.SetProgress(Percent(i, files));
        adopt(e->ParentRef);
    }
    ScanStopFlag = 0;
}
