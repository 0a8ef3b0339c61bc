// Test helpers: a quick scan of a fixture volume and its found files keyed by their folder path.
#pragma once

#include "engine/engine_state.h"
#include "engine/quick_scan.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "support/fixture_images.h"

#include <map>
#include <string>
#include <unordered_map>

namespace scanresults {

inline WORD KindOf(const std::string& fs)
{
    return fs == "FAT16" ? FS_KIND_FAT16 : fs == "FAT32" ? FS_KIND_FAT32 : FS_KIND_NTFS;
}

// The volume as the quick scan's partition on the attached disk.
inline void ChooseQuickScanVolume(const testsupport::FixtureVolume& v)
{
    DriveKind = 1;
    ScanMode = 2;
    PartitionParams = {};
    PartitionParams.PartitionFsType = KindOf(v.fs);
    PartitionParams.StartSector = DWORD(v.start);
    PartitionParams.SectorCount = DWORD(v.sectors);
    PartitionParams.BackupSector = DWORD(v.start + v.sectors - 1);
}

// Runs the quick-scan worker on the calling thread; true when it finished without failing.
inline bool QuickScan(const testsupport::FixtureVolume& v)
{
    ChooseQuickScanVolume(v);
    BeginScanRun();
    ScanFailedFlag = 0;
    QuickScanThread(nullptr);
    return IsWorkerFinished() && !WorkerFailed();
}

struct FoundFile {
    ULONGLONG Size;
    bool Deleted;
    ULONGLONG Created; // NTFS only
};

// "folder/sub/name" of a FAT record through its parents' folder records.
inline std::u16string FatPathOf(std::u16string path, DWORD parent)
{
    for (int depth = 0; parent != 0 && depth < 100; ++depth) {
        FatFolderRecord* f = FindFatFolderByCluster(parent);
        if (!f)
            break;
        path = std::u16string(f->Name) + u"/" + path;
        parent = f->ParentId;
    }
    return path;
}

// "folder/sub/name" of every found file (FAT or quick-scan NTFS lists).
inline std::map<std::u16string, FoundFile> FoundFiles()
{
    std::map<std::u16string, FoundFile> out;
    if (PartitionParams.FsType != FS_KIND_NTFS) {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            out[FatPathOf(e->Name, e->ParentId)] = {e->Size, e->Deleted == 1, 0};
        return out;
    }
    std::unordered_map<DWORD, QuickFolderNode*> folders;
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        folders.emplace(f->RecordNumber, f);
    for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next) {
        std::u16string path = e->Name;
        DWORD parent = e->ParentRef;
        for (int depth = 0; parent != kNtfsRootRecord && depth < 100; ++depth) {
            auto it = folders.find(parent);
            if (it == folders.end())
                break;
            path = std::u16string(it->second->Name) + u"/" + path;
            parent = it->second->ParentRef;
        }
        out[path] = {ULONGLONG(e->SizeHigh) << 32 | e->SizeLow, e->Deleted == 1,
                     ULONGLONG(e->CreationHigh) << 32 | e->CreationLow};
    }
    return out;
}

// The name the engine gives an entry: an 8.3-only FAT name in the case its entry's flags give (as the
// manifest writes it), a deleted one with its lost first character written 'x'.
inline std::u16string EngineName(const testsupport::FixtureEntry& e, bool ntfs)
{
    std::u16string name = e.Name16();
    if (!ntfs && e.Has("shortname") && e.deleted && !name.empty())
        name[0] = u'x';
    return name;
}

inline std::u16string ExpectedPath(const testsupport::FixtureImage& img, const testsupport::FixtureEntry& e, bool ntfs)
{
    std::u16string path = EngineName(e, ntfs);
    for (const testsupport::FixtureEntry* p = e.Parent().empty() ? nullptr : img.Find(e.volume, e.Parent()); p;
         p = p->Parent().empty() ? nullptr : img.Find(e.volume, p->Parent()))
        path = EngineName(*p, ntfs) + u"/" + path;
    return path;
}

inline bool InsideDeletedFolder(const testsupport::FixtureImage& img, const testsupport::FixtureEntry& e)
{
    const testsupport::FixtureEntry* p = e.Parent().empty() ? nullptr : img.Find(e.volume, e.Parent());
    return p && p->deleted;
}

} // namespace scanresults
