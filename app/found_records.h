// The found records behind the tree's items and the list's rows, looked up the way the current
// result keeps them (FAT, quick-scan NTFS, full-scan NTFS, file tracing).
#pragma once

#include "win32/types.h"

#include <functional>

struct TracedFileRecord;

bool IsTracingResult();
bool IsFatResult();
bool IsNtfsFullScanResult();
// The root folder's id: 0 for FAT, 5 for NTFS.
DWORD RootFolderId();

// While one lives, FindFolderOfItem, FolderIdOfItem and ForEachFileOf of one folder look the records up
// in an index built at their first call instead of walking the lists, for steps that visit many folders
// at once (ticking a branch). The records must not change while it lives; scopes nest.
class FoundRecordIndexScope {
public:
    FoundRecordIndexScope();
    ~FoundRecordIndexScope();
    FoundRecordIndexScope(const FoundRecordIndexScope&) = delete;
    FoundRecordIndexScope& operator=(const FoundRecordIndexScope&) = delete;
};

// The id of the folder record that holds the tree item, the root's id when none does.
DWORD FolderIdOfItem(DWORD item);
// Whether a folder record holds the item; its own and its parent's ids.
bool FindFolderOfItem(DWORD item, DWORD* ownId, DWORD* parentId);
// The tree item of the folder record with this id, 0 when none.
DWORD ItemOfFolderId(DWORD folderId);
// The parent id of the folder record with this id; false when none.
bool ParentOfFolderId(DWORD folderId, DWORD* parentId);
// Whether any folder record has this parent.
bool AnyFolderWithParent(DWORD folderId);
// Calls fn(item) for the tree item of each folder record whose own id is folderId; for id 0 of a FAT
// result (folders found with no first cluster) every folder record.
void ForEachFolderItem(DWORD folderId, bool everyFolder, const std::function<void(DWORD)>& fn);

// One found file of the current result, by the id its row shows.
struct FoundFileRef {
    const WCHAR* name = nullptr;
    DWORD parentId = 0;
    ULONGLONG size = 0;
    DWORD deleted = 0;
    DWORD startCluster = 0; // FAT
    DWORD startSector = 0;  // file tracing
};
bool FindFileById(DWORD id, FoundFileRef* out);
// Calls fn(id, parent) for each file whose parent is folderId (every file when all is set); after a
// full scan only the files of the chosen volume unless anyVolume is set.
void ForEachFileOf(DWORD folderId, bool all, const std::function<void(DWORD, DWORD)>& fn, bool anyVolume = false);
TracedFileRecord* FindTracedFile(DWORD fileNumber);

// A new copy of the name for a record (freeing the old one).
void RenameFolderRecordOfItem(DWORD item, const WCHAR* name);
bool RenameFileRecord(DWORD id, const WCHAR* name);
