// Lookups of the found records behind tree items and list rows.
#include "app/found_records.h"

#include "engine/engine_state.h"
#include "engine/found_list_fill.h"

#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

bool IsTracingResult() { return ScanMode == 1; }

bool IsFatResult() { return PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32; }

bool IsNtfsFullScanResult() { return ScanMode == 0 && PartitionParams.FsType == FS_KIND_NTFS; }

DWORD RootFolderId() { return IsFatResult() ? 0 : 5; }

namespace {

// The records by tree item and the files by parent, in list order, as the current result keeps them.
struct RecordIndex {
    std::unordered_map<DWORD, std::pair<DWORD, DWORD>> folderOfItem; // own and parent id, first record wins
    std::unordered_map<DWORD, std::vector<DWORD>> filesOf;
};

int g_indexScopes = 0;
std::unique_ptr<RecordIndex> g_index;

template <typename Folder, typename OwnOf, typename ParentOf>
void IndexFolders(RecordIndex& index, Folder* head, OwnOf own, ParentOf parent)
{
    for (Folder* f = head; f; f = f->Next)
        if (f->TreeItem)
            index.folderOfItem.emplace(f->TreeItem, std::make_pair(DWORD(own(f)), DWORD(parent(f))));
}

template <typename File, typename IdOf, typename ParentOf>
void IndexFiles(RecordIndex& index, File* head, IdOf id, ParentOf parent)
{
    for (File* e = head; e; e = e->Next)
        index.filesOf[parent(e)].push_back(id(e));
}

// The index of the current scope, built at its first use; null outside every scope.
RecordIndex* ScopedIndex()
{
    if (g_indexScopes == 0)
        return nullptr;
    if (g_index)
        return g_index.get();
    g_index = std::make_unique<RecordIndex>();
    RecordIndex& index = *g_index;
    if (IsFatResult()) {
        IndexFolders(index, FatFolderHead, [](FatFolderRecord* f) { return f->FirstCluster; },
                     [](FatFolderRecord* f) { return f->ParentId; });
        IndexFiles(index, FatFileHead, [](FatEntryRecord* e) { return e->FileId; },
                   [](FatEntryRecord* e) { return e->ParentId; });
        return g_index.get();
    }
    IndexFolders(index, QuickFolderHead, [](QuickFolderNode* f) { return f->RecordNumber; },
                 [](QuickFolderNode* f) { return f->ParentRef; });
    if (ScanMode == 0)
        IndexFiles(index, FoundItemHead, [](FoundItemNode* e) { return e->RecordSector; },
                   [](FoundItemNode* e) { return e->ParentRef; });
    else
        IndexFiles(index, FoundEntryHead, [](FoundEntryNode* e) { return e->RecordSector; },
                   [](FoundEntryNode* e) { return e->ParentRef; });
    return g_index.get();
}

} // namespace

FoundRecordIndexScope::FoundRecordIndexScope() { ++g_indexScopes; }

FoundRecordIndexScope::~FoundRecordIndexScope()
{
    if (--g_indexScopes == 0)
        g_index.reset();
}

bool FindFolderOfItem(DWORD item, DWORD* ownId, DWORD* parentId)
{
    if (!item)
        return false;
    if (RecordIndex* index = ScopedIndex()) {
        auto found = index->folderOfItem.find(item);
        if (found == index->folderOfItem.end())
            return false;
        *ownId = found->second.first;
        *parentId = found->second.second;
        return true;
    }
    if (IsFatResult()) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            if (f->TreeItem == item) {
                *ownId = f->FirstCluster;
                *parentId = f->ParentId;
                return true;
            }
        return false;
    }
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        if (f->TreeItem == item) {
            *ownId = f->RecordNumber;
            *parentId = f->ParentRef;
            return true;
        }
    return false;
}

DWORD FolderIdOfItem(DWORD item)
{
    DWORD own, parent;
    return FindFolderOfItem(item, &own, &parent) ? own : RootFolderId();
}

DWORD ItemOfFolderId(DWORD folderId)
{
    if (IsFatResult()) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            if (f->FirstCluster == folderId)
                return f->TreeItem;
        return 0;
    }
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        if (f->RecordNumber == folderId)
            return f->TreeItem;
    return 0;
}

bool ParentOfFolderId(DWORD folderId, DWORD* parentId)
{
    if (IsFatResult()) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            if (f->FirstCluster == folderId) {
                *parentId = f->ParentId;
                return true;
            }
        return false;
    }
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        if (f->RecordNumber == folderId) {
            *parentId = f->ParentRef;
            return true;
        }
    return false;
}

bool AnyFolderWithParent(DWORD folderId)
{
    if (IsFatResult()) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            if (f->ParentId == folderId)
                return true;
        return false;
    }
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        if (f->ParentRef == folderId)
            return true;
    return false;
}

void ForEachFolderItem(DWORD folderId, bool everyFolder, const std::function<void(DWORD)>& fn)
{
    if (IsFatResult()) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            if ((everyFolder || f->FirstCluster == folderId) && f->TreeItem)
                fn(f->TreeItem);
        return;
    }
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        if ((everyFolder || f->RecordNumber == folderId) && f->TreeItem)
            fn(f->TreeItem);
}

static ULONGLONG Join(DWORD low, DWORD high) { return ULONGLONG(high) << 32 | low; }

bool FindFileById(DWORD id, FoundFileRef* out)
{
    if (IsTracingResult()) {
        TracedFileRecord* t = FindTracedFile(id);
        if (!t)
            return false;
        *out = FoundFileRef{t->Name, 0, 0, 0, 0, t->StartSector};
        return true;
    }
    if (IsFatResult()) {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            if (e->FileId == id) {
                *out = FoundFileRef{e->Name, e->ParentId, e->Size, e->Deleted, e->StartCluster, 0};
                return true;
            }
        return false;
    }
    if (ScanMode == 0) {
        for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
            if (e->RecordSector == id) {
                *out = FoundFileRef{e->Name, e->ParentRef, Join(e->SizeLow, e->SizeHigh), e->Deleted, 0, 0};
                return true;
            }
        return false;
    }
    for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
        if (e->RecordSector == id) {
            *out = FoundFileRef{e->Name, e->ParentRef, Join(e->SizeLow, e->SizeHigh), e->Deleted, 0, 0};
            return true;
        }
    return false;
}

void ForEachFileOf(DWORD folderId, bool all, const std::function<void(DWORD, DWORD)>& fn, bool anyVolume)
{
    if (IsTracingResult())
        return;
    if (RecordIndex* index = all ? nullptr : ScopedIndex()) {
        auto found = index->filesOf.find(folderId);
        if (found == index->filesOf.end())
            return;
        // A full scan's file ids are their record sectors, which say the volume.
        const bool chosenOnly = !IsFatResult() && ScanMode == 0 && !anyVolume;
        for (DWORD id : found->second)
            if (!chosenOnly || InChosenVolume(id))
                fn(id, folderId);
        return;
    }
    if (IsFatResult()) {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            if (all || e->ParentId == folderId)
                fn(e->FileId, e->ParentId);
        return;
    }
    if (ScanMode == 0) {
        for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
            if ((all || e->ParentRef == folderId) && (anyVolume || InChosenVolume(e->RecordSector)))
                fn(e->RecordSector, e->ParentRef);
        return;
    }
    for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
        if (all || e->ParentRef == folderId)
            fn(e->RecordSector, e->ParentRef);
}

TracedFileRecord* FindTracedFile(DWORD fileNumber)
{
    for (TracedFileRecord* t = TracedFileHead; t; t = t->Next)
        if (t->FileNumber == fileNumber)
            return t;
    return nullptr;
}

static void Replace(WCHAR*& slot, const WCHAR* name)
{
    WCHAR* copy = DuplicateWideString(name);
    std::free(slot);
    slot = copy;
}

void RenameFolderRecordOfItem(DWORD item, const WCHAR* name)
{
    if (IsFatResult()) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            if (f->TreeItem == item) {
                Replace(f->Name, name);
                return;
            }
        return;
    }
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        if (f->TreeItem == item) {
            Replace(f->Name, name);
            return;
        }
}

bool RenameFileRecord(DWORD id, const WCHAR* name)
{
    if (IsTracingResult()) {
        if (TracedFileRecord* t = FindTracedFile(id)) {
            Replace(t->Name, name);
            return true;
        }
        return false;
    }
    if (IsFatResult()) {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            if (e->FileId == id) {
                Replace(e->Name, name);
                return true;
            }
        return false;
    }
    if (ScanMode == 0) {
        for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
            if (e->RecordSector == id) {
                Replace(e->Name, name);
                return true;
            }
        return false;
    }
    for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
        if (e->RecordSector == id) {
            Replace(e->Name, name);
            return true;
        }
    return false;
}
