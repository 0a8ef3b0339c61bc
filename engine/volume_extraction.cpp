// Extraction of one found volume: its FAT directory records or NTFS folder records made into the found lists.
#include "engine/volume_extraction.h"

#include "afx/thread.h"
#include "engine/engine_state.h"
#include "engine/fat_chain.h"
#include "engine/fat_directory.h"
#include "engine/file_tracing.h"
#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/full_scan.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace {

constexpr DWORD kRunSectors = 8;
constexpr DWORD kFat16RootSectors = 32;

std::u16string Decimal(ULONGLONG value)
{
    std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

void Progress(ULONGLONG done, ULONGLONG total)
{
    if (total == 0)
        return;
    const ULONGLONG percent = done * 100 / total;
    EngineUi().SetProgress(UINT(percent > 99 ? 99 : percent));
}

void Status(const WCHAR* text) { EngineUi().SetStatusText(ENGINE_STATUS_MAIN, text); }

// First sector past the chosen volume: its end sector when the analysis knew it, else the device's end.
ULONGLONG VolumeLimit()
{
    if (PartitionParams.VolumeEndSector)
        return ULONGLONG(PartitionParams.VolumeEndSector) + 1;
    const ULONGLONG device = SelectedDeviceSectors();
    return device ? device : ~0ULL;
}

// The first sector of a cluster of the chosen FAT volume; false for a cluster outside it, which a
// made-up or corrupt cluster number must not turn into a read of unrelated sectors.
bool ClusterSector(DWORD cluster, ULONGLONG* sector)
{
    const ULONGLONG spc = PartitionParams.SectorsPerCluster;
    if (cluster < 2 || spc == 0)
        return false;
    const ULONGLONG s = ULONGLONG(cluster) * spc + PartitionParams.DataOrigin;
    if (s + spc > VolumeLimit())
        return false;
    *sector = s;
    return true;
}

// Parses a run of directory sectors one by one, so a sector that could not be read adds nothing; a
// long name cannot be carried over such a gap. Returns false when the directory ended.
bool ParseRun(ULONGLONG first, DWORD count, DWORD parentId, DWORD deleted, int firstIndex, FatDirWalk* walk,
              bool mustOpenDirectory)
{
    std::vector<BYTE> buffer(size_t(count) * SECTOR_SIZE);
    SectorReadOutcome outcome;
    ReadSectors(SelectedDevicePath(), first, count, buffer.data(), &outcome);
    if (mustOpenDirectory) {
        const BYTE* s = buffer.data();
        // A folder's clusters must still open with "." and "..": otherwise they hold something else now.
        if (outcome.IsUnread(0) || !(s[0] == '.' && s[1] == ' ' && s[32] == '.' && s[33] == '.'))
            return false;
    }
    int end = 0;
    for (DWORD i = 0; i < count && !end; ++i) {
        if (outcome.IsUnread(i)) {
            walk->Reset();
            continue;
        }
        ParseFatDirectorySectors(buffer.data() + size_t(i) * SECTOR_SIZE, parentId, &end, DWORD(first + i), 1,
                                 deleted, i == 0 ? firstIndex : 0, walk);
    }
    return !end;
}

// A directory along its chain in runs of at most eight sectors per cluster.
void ParseFatChain(DWORD firstCluster, DWORD parentId, DWORD deleted, bool isRoot)
{
    const DWORD spc = PartitionParams.SectorsPerCluster;
    const DWORD run = spc < kRunSectors ? spc : kRunSectors;
    FatDirWalk walk;
    bool first = true;
    WalkDirectoryChain(firstCluster, [&](DWORD c) {
        ULONGLONG at;
        if (!ClusterSector(c, &at))
            return false;
        for (DWORD offset = 0; offset < spc; offset += run) {
            const DWORD count = spc - offset < run ? spc - offset : run;
            const bool opening = first && !isRoot;
            if (!ParseRun(at + offset, count, parentId, deleted, opening ? 2 : 0, &walk, opening))
                return false;
            first = false;
        }
        return true;
    });
}

std::u16string DirName(ULONGLONG number) { return u"Dir" + Decimal(number); }

// Ends the extraction as both kinds do: the tree under "Root" from the lists, unreached folders under "Lost Dir".
template <typename Build, typename Hang> void BuildExtractedTree(const WCHAR* status, DWORD rootId, Build build, Hang hang)
{
    IEngineUi& ui = EngineUi();
    const DWORD root = InsertFoundTreeRoot();
    Status(status);
    // A stop ended the reading; the tree is still built from what was read.
    ScanStopFlag = 0;
    ui.ShowStopButton(false);
    TreeItemCount = 0;
    build(root, rootId);
    hang();
    ui.ExpandFolderItem(root);
    ui.ShowFileListAsReport();
}

} // namespace

WORD SelectFoundVolume(DWORD treeItem)
{
    WORD number = 1;
    VolumeRecord* v = VolumeHead;
    for (; v && v->TreeItem != treeItem; v = v->Next)
        ++number;
    if (!v || treeItem == 0)
        return 0;
    PartitionParamsBlock& p = PartitionParams;
    if (v->Kind == FS_KIND_NTFS) {
        p.DataOrigin = v->DataOrigin;
        p.FsType = v->Kind;
        p.SectorsPerIndexRecord = v->SectorsPerIndexRecord;
        p.SectorsPerCluster = v->SectorsPerCluster;
        p.VolumeEndSector = v->VolumeEndSector;
        p.MftSector = v->MftSector;
        p.MftMirrorSector = v->MftMirrorSector;
        p.FatSize = v->FatSize;
    } else if (v->Kind == FS_KIND_FAT16 || v->Kind == FS_KIND_FAT32) {
        p.DataOrigin = v->DataOrigin;
        p.Fat1Start = v->Fat1Start;
        p.Fat2Start = v->Fat2Start;
        p.FsType = v->Kind;
        p.ReservedSectors = v->ReservedSectors;
        p.RootDirSectors = v->RootDirSectors;
        p.Root = v->Root;
        p.SectorsPerCluster = v->SectorsPerCluster;
        p.VolumeEndSector = v->VolumeEndSector;
        p.FatSize = v->FatSize;
    } else {
        return 0;
    }
    p.VolumeNumber = number;
    return number;
}

void StartExtraction()
{
    BeginScanRun();
    ScanFailedFlag = 0;
    ScanThread = AfxBeginThread(ExtractWorkerProc, nullptr);
}

UINT ExtractWorkerProc(LPVOID)
{
    const WORD kind = PartitionParams.FsType;
    if (kind == FS_KIND_FAT16 || kind == FS_KIND_FAT32) {
        ExtractFatVolume();
        ShowFatFolder(0);
    } else if (kind == FS_KIND_NTFS) {
        ExtractNtfsVolume();
        ShowNtfsFolder(kNtfsRootFolderId);
    } else {
        // No volume was chosen: nothing was extracted, and the page must not show a result.
        ScanFailedFlag = 1;
        MarkWorkerFinished(true);
        return 0;
    }
    MarkWorkerFinished(false);
    return 0;
}

// ---- FAT ------------------------------------------------------------------------------------

void ExtractFatVolume()
{
    IEngineUi& ui = EngineUi();
    ui.SetProgress(0);
    Status(u"正在为选定的文件系统提取项目（步骤1/5）...");
    FreeScanResultLists();
    const WORD number = PartitionParams.VolumeNumber;
    for (DirSectorRecord* r = DirSectorHead; r; r = r->Next) {
        if (r->VolumeNumber != number)
            continue;
        AddFatFolderRecord(DirName(r->DotCluster).c_str(), r->DotCluster, r->DotDotCluster, r->WriteDate,
                           r->AccessDate, 0, 0);
        Progress(FoundFolderCount, DirSectorRecordCount);
    }
    AddLostFatFolders();
    if (PartitionParams.Fat1Start == 0)
        SearchLostFat();
    Status(u"步骤4/5...");
    ReadFatVolumeDirectories();
    BuildExtractedTree(u"正在创建目录树，请稍候（步骤5/5）...", 0, BuildFatFolderTree, HangUnreachedFatFolders);
}

void AddLostFatFolders()
{
    Status(u"正在搜索孤立项目（步骤2/5）...");
    EngineUi().SetProgress(0);
    AddFatFolderRecord(u"Lost Dir", kLostFolderId, 0, 0, 0, 0, 0);
    DWORD k = 0;
    // Records appended here are walked too; they hang under "Lost Dir", which exists.
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next) {
        Progress(++k, FoundFolderCount);
        const DWORD parent = f->ParentId;
        if (parent == 0 || FindFatFolderByCluster(parent))
            continue;
        AddFatFolderRecord(DirName(parent).c_str(), parent, kLostFolderId, 0, 0, 0, 0);
    }
}

void SearchLostFat()
{
    Status(u"正在搜索丢失 FAT 碎片（步骤1/5）...");
    EngineUi().SetProgress(0);
    const ULONGLONG origin = PartitionParams.DataOrigin;
    const bool fat16 = PartitionParams.FsType == FS_KIND_FAT16;
    const ULONGLONG back = fat16 ? 550 : 30000;
    ULONGLONG sector = origin > back ? origin - back : 63;
    constexpr DWORD kRun = 64;
    std::vector<BYTE> buffer(size_t(kRun) * SECTOR_SIZE);
    SectorReadOutcome outcome;
    DWORD found[2] = {0, 0};
    int count = 0;
    while (sector < origin && count < 2) {
        if (ScanPollPoint())
            return;
        const DWORD n = DWORD(origin - sector < kRun ? origin - sector : kRun);
        ReadSectors(SelectedDevicePath(), sector, n, buffer.data(), &outcome);
        for (DWORD i = 0; i < n && count < 2; ++i) {
            const BYTE* s = buffer.data() + size_t(i) * SECTOR_SIZE;
            if (!outcome.IsUnread(i) && s[0] == 0xF8 && s[1] == 0xFF && s[2] == 0xFF)
                found[count++] = DWORD(sector + i);
        }
        sector += n;
        Progress(sector, origin);
    }
    if (count < 2)
        return;
    PartitionParams.Fat1Start = found[0];
    PartitionParams.Fat2Start = found[1];
    PartitionParams.FatSize = found[1] - found[0];
    if (fat16)
        PartitionParams.Root = found[1] + PartitionParams.FatSize;
}

void ReadFatVolumeDirectories()
{
    if (PartitionParams.FsType == FS_KIND_FAT32) {
        ParseFatChain(PartitionParams.Root ? PartitionParams.Root : 2, 0, 0, true);
    } else if (PartitionParams.Root != 0) {
        const DWORD rootSectors = PartitionParams.RootDirSectors;
        const DWORD sectors = rootSectors ? rootSectors : kFat16RootSectors;
        FatDirWalk walk;
        for (DWORD i = 0; i < sectors; i += kRunSectors) {
            const DWORD n = sectors - i < kRunSectors ? sectors - i : kRunSectors;
            if (ULONGLONG(PartitionParams.Root) + i + n > VolumeLimit())
                break;
            if (!ParseRun(ULONGLONG(PartitionParams.Root) + i, n, 0, 0, 0, &walk, false))
                break;
        }
    }
    DWORD done = 0;
    const DWORD total = FoundFolderCount;
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next) {
        if (ScanPollPoint())
            break;
        ParseFatChain(f->FirstCluster, f->FirstCluster, f->Deleted, false);
        Progress(++done, total);
    }
}

// ---- NTFS -----------------------------------------------------------------------------------

void ExtractNtfsVolume()
{
    ResetNtfsLists();
    Status(u"正在为选定的文件系统提取项目...");
    EngineUi().SetProgress(0);
    const WORD number = PartitionParams.VolumeNumber;
    DWORD k = 0;
    for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next) {
        Progress(++k, FoundFolderNodeCount);
        if (f->VolumeNumber != number || f->RecordNumber == kNtfsRootFolderId)
            continue;
        if (f->Name && f->Name[0] == u'.' && f->Name[1] == 0)
            continue;
        AddQuickFolderNode(f->Name, f->RecordNumber, f->ParentRef, f->CreationLow, f->CreationHigh, f->ChangeLow,
                           f->ChangeHigh, 0, f->Deleted);
    }
    DWORD running = 0;
    AddLostNtfsFolders(&running);
    BuildExtractedTree(u"正在创建目录树，请稍候", kNtfsRootFolderId, BuildNtfsFolderTree, HangUnreachedNtfsFolders);
}

void AddLostNtfsFolders(DWORD* number)
{
    Status(u"正在搜索丢失的数据");
    EngineUi().SetProgress(0);
    QuickFolderNode* last = QuickFolderTail;
    AddQuickFolderNode(u"Lost Dir", kLostFolderId, kNtfsRootFolderId, 0, 0, 0, 0, 0, 0);
    std::unordered_set<DWORD> known;
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        known.insert(f->RecordNumber);
    // A parent met for the first time gets a made-up folder; every item whose parent is not the root
    // uses up a number, as the folder names have always counted.
    auto adopt = [&](DWORD parent) {
        if (parent == kNtfsRootFolderId)
            return;
        if (known.insert(parent).second)
            AddQuickFolderNode(DirName(*number).c_str(), parent, kLostFolderId, 0, 0, 0, 0, 0, 0);
        ++*number;
    };
    const DWORD total = FoundFolderCount;
    DWORD k = 0;
    for (QuickFolderNode* f = last ? QuickFolderHead : nullptr; f; f = f->Next) {
        if (ScanPollPoint())
            return;
        Progress(++k, total);
        adopt(f->ParentRef);
        if (f == last)
            break;
    }
    // Files lose their folder record far more often than folders do: theirs are gathered the same way.
    const ULONGLONG origin = PartitionParams.DataOrigin, end = PartitionParams.VolumeEndSector;
    for (FoundItemNode* e = FoundItemHead; e; e = e->Next) {
        if (ScanPollPoint())
            return;
        if (e->RecordSector > origin && e->RecordSector <= end)
            adopt(e->ParentRef);
    }
}
