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

// What a count needs of the records, each list read once: per folder id its own files and its
// sub-folders, per tree item its folder id. Looking these up by walking the lists for every folder
// made a branch of many folders cost folders x files.
class RecordTables {
public:
    RecordTables()
    {
        if (IsFat()) {
            for (FatFolderRecord* f = FatFolderHead; f; f = f->Next) {
                children_[f->ParentId].push_back(f->FirstCluster);
                folderOfItem_.emplace(f->TreeItem, f->FirstCluster);
            }
            for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
                AddFile(e->ParentId, e->Size);
            return;
        }
        for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next) {
            children_[f->ParentRef].push_back(f->RecordNumber);
            folderOfItem_.emplace(f->TreeItem, f->RecordNumber);
        }
        if (PartitionParams.FsType == FS_KIND_NTFS && ScanMode == 2) {
            for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
                AddFile(e->ParentRef, Join(e->SizeLow, e->SizeHigh));
        } else if (PartitionParams.FsType == FS_KIND_NTFS) {
            for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
                if (InsideChosenVolume(e->RecordSector))
                    AddFile(e->ParentRef, Join(e->SizeLow, e->SizeHigh));
        }
    }

    // The folder id behind a tree item (the first record that holds it; 0 when none does).
    DWORD FolderIdOf(DWORD item) const
    {
        auto found = folderOfItem_.find(item);
        return found == folderOfItem_.end() ? 0 : found->second;
    }

    void CountFolderId(DWORD id) const
    {
        ULONGLONG files = 0, bytes = 0;
        if (auto found = files_.find(id); found != files_.end())
            files = found->second.count, bytes = found->second.bytes;
        SelectionTotals[kFolders] += 1;
        SelectionTotals[kFiles] += files;
        SelectionTotals[kTotal] += bytes;
        SelectionTotals[kGrand] += bytes;
    }

    // The branch as the tree builders laid it out: sub-folders by parent id, each id once, so records
    // whose parents refer to each other cannot loop.
    void CountBranch(DWORD treeItem) const
    {
        const DWORD top = FolderIdOf(treeItem);
        std::unordered_set<DWORD> seen{top};
        std::vector<DWORD> pending{top};
        while (!pending.empty()) {
            const DWORD id = pending.back();
            pending.pop_back();
            CountFolderId(id);
            auto found = children_.find(id);
            if (found == children_.end())
                continue;
            for (DWORD child : found->second)
                if (seen.insert(child).second)
                    pending.push_back(child);
        }
    }

private:
    struct Files {
        ULONGLONG count = 0, bytes = 0;
    };
    void AddFile(DWORD parent, ULONGLONG size)
    {
        Files& f = files_[parent];
        ++f.count;
        f.bytes += size;
    }

    std::unordered_map<DWORD, Files> files_;
    std::unordered_map<DWORD, std::vector<DWORD>> children_;
    std::unordered_map<DWORD, DWORD> folderOfItem_;
};

std::u16string Decimal(ULONGLONG value)
{
    std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

} // namespace

void CountFolder(DWORD treeItem)
{
    const RecordTables tables;
    tables.CountFolderId(tables.FolderIdOf(treeItem));
}

void CountBranch(DWORD treeItem) { RecordTables().CountBranch(treeItem); }

void ShowSelectedSize(const std::vector<DWORD>& folderItems, const std::vector<DWORD>& fileIds)
{
    for (ULONGLONG& t : SelectionTotals)
        t = 0;
    if (ScanMode != 1) {
        if (IsFat() && !folderItems.empty()) {
            const RecordTables tables;
            for (DWORD item : folderItems)
                tables.CountBranch(item);
        }
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
