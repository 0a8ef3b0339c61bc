// The ticked items' size under the found-file list, and the branch count it shares with the properties dialog.
#include "engine/selection_size.h"

#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/ui_port.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace {

enum { kFiles = 0, kTotal = 1, kFolders = 2, kGrand = 3 };

bool IsFat() { return PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32; }

ULONGLONG Join(DWORD low, DWORD high) { return ULONGLONG(high) << 32 | low; }

bool InsideChosenVolume(DWORD sector)
{
    return InChosenVolume(sector);
}

// The folder id behind a tree item (0 when no folder record has the item).
DWORD FolderIdOf(DWORD item)
{
    if (IsFat()) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            if (f->TreeItem == item)
                return f->FirstCluster;
        return 0;
    }
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
        if (f->TreeItem == item)
            return f->RecordNumber;
    return 0;
}

// The folder's own files: their count and sizes.
void AddFilesOf(DWORD id, ULONGLONG* files, ULONGLONG* bytes)
{
    if (IsFat()) {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            if (e->ParentId == id)
                ++*files, *bytes += e->Size;
    } else if (PartitionParams.FsType == FS_KIND_NTFS && ScanMode == 2) {
        for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
            if (e->ParentRef == id)
                ++*files, *bytes += Join(e->SizeLow, e->SizeHigh);
    } else if (PartitionParams.FsType == FS_KIND_NTFS) {
        for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
            if (e->ParentRef == id && InsideChosenVolume(e->RecordSector))
                ++*files, *bytes += Join(e->SizeLow, e->SizeHigh);
    }
}

void CountFolderId(DWORD id)
{
    ULONGLONG files = 0, bytes = 0;
    AddFilesOf(id, &files, &bytes);
    SelectionTotals[kFolders] += 1;
    SelectionTotals[kFiles] += files;
    SelectionTotals[kTotal] += bytes;
    SelectionTotals[kGrand] += bytes;
}

std::u16string Decimal(ULONGLONG value)
{
    std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

} // namespace

void CountFolder(DWORD treeItem) { CountFolderId(FolderIdOf(treeItem)); }

void CountBranch(DWORD treeItem)
{
    // The branch as the tree builders laid it out: sub-folders by parent id, each id once, so records
    // whose parents refer to each other cannot loop.
    std::unordered_map<DWORD, std::vector<DWORD>> children;
    if (IsFat()) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
            children[f->ParentId].push_back(f->FirstCluster);
    } else {
        for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
            children[f->ParentRef].push_back(f->RecordNumber);
    }
    const DWORD top = FolderIdOf(treeItem);
    std::unordered_set<DWORD> seen{top};
    std::vector<DWORD> pending{top};
    while (!pending.empty()) {
        const DWORD id = pending.back();
        pending.pop_back();
        CountFolderId(id);
        auto found = children.find(id);
        if (found == children.end())
            continue;
        for (DWORD child : found->second)
            if (seen.insert(child).second)
                pending.push_back(child);
    }
}

void ShowSelectedSize(const std::vector<DWORD>& folderItems, const std::vector<DWORD>& fileIds)
{
    for (ULONGLONG& t : SelectionTotals)
        t = 0;
    if (ScanMode != 1) {
        if (IsFat())
            for (DWORD item : folderItems)
                CountBranch(item);
        std::unordered_set<DWORD> ids(fileIds.begin(), fileIds.end());
        ULONGLONG& grand = SelectionTotals[kGrand];
        if (IsFat()) {
            for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
                if (ids.count(e->FileId))
                    grand += e->Size;
        } else if (PartitionParams.FsType == FS_KIND_NTFS && ScanMode == 2) {
            for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
                if (ids.count(e->RecordSector))
                    grand += Join(e->SizeLow, e->SizeHigh);
        } else if (PartitionParams.FsType == FS_KIND_NTFS) {
            for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
                if (ids.count(e->RecordSector))
                    grand += Join(e->SizeLow, e->SizeHigh);
        }
    }
    ULONGLONG& grand = SelectionTotals[kGrand];
    if (grand != 0)
        grand = grand / 1024 / 1024;
    EngineUi().SetSelectedSizeText((u"Selected Size : " + Decimal(DWORD(grand)) + u" MB").c_str());
}
