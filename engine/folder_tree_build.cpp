// Builders of the found-folder tree from the FAT, NTFS and traced-file lists.
#include "engine/folder_tree_build.h"

#include "engine/engine_state.h"
#include "engine/ui_port.h"

#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

DWORD TreeBuildPercent = 0;

namespace {

constexpr COLORREF kDeletedColor = 255; // red

void ReportTreeProgress()
{
    if (FoundFolderCount == 0)
        FoundFolderCount = 1;
    const ULONGLONG percent = ULONGLONG(TreeItemCount) * 100 / FoundFolderCount;
    TreeBuildPercent = percent >= 100 ? 99 : DWORD(percent);
    EngineUi().SetProgress(TreeBuildPercent);
}

// Depth-first insertion in list order without recursion: the children of each id are indexed once,
// each id is expanded once and each record placed once, so parent cycles cannot loop.
template <typename Record, typename IdOf, typename ParentOf, typename Stop> class TreeGrower {
public:
    TreeGrower(Record* head, IdOf idOf, ParentOf parentOf, Stop stop)
        : head_(head), idOf_(idOf), parentOf_(parentOf), stop_(stop)
    {
        for (Record* r = head; r; r = r->Next)
            children_[parentOf(r)].push_back(r);
    }

    void Build(DWORD parentItem, DWORD parentId)
    {
        expanded_.insert(parentId);
        Grow(parentId, parentItem);
    }

    // Folders the build from rootId never reached (their parents form a cycle, or the build met them
    // from nowhere) hang under the lost-folder item, each with what lies below it.
    void HangUnreached(DWORD rootId, DWORD lostId)
    {
        MarkReachable(rootId);
        Record* lost = nullptr;
        std::unordered_map<DWORD, Record*> byId;
        for (Record* r = head_; r; r = r->Next) {
            if (!lost && idOf_(r) == lostId && placed_.count(r))
                lost = r;
            byId.emplace(idOf_(r), r);
        }
        if (!lost || !lost->TreeItem)
            return;
        for (Record* r = head_; r; r = r->Next) {
            if (stop_())
                return;
            if (placed_.count(r))
                continue;
            // Start from the top of the folder's unplaced ancestry, so a chain keeps its shape.
            Record* top = r;
            std::unordered_set<Record*> seen{r};
            for (;;) {
                auto up = byId.find(parentOf_(top));
                if (up == byId.end() || placed_.count(up->second))
                    break;
                // In a cycle, the folder where the climb first met it stands for the whole of it.
                const bool again = !seen.insert(up->second).second;
                top = up->second;
                if (again)
                    break;
            }
            const DWORD item = Insert(lost->TreeItem, top);
            if (expanded_.insert(idOf_(top)).second)
                Grow(idOf_(top), item);
        }
    }

private:
    struct Frame {
        const std::vector<Record*>* list;
        size_t next;
        DWORD item;
    };

    DWORD Insert(DWORD parentItem, Record* r)
    {
        IEngineUi& ui = EngineUi();
        ++TreeItemCount;
        const DWORD item = ui.InsertFolderItem(parentItem, r->Name, r->Deleted == 1);
        if (r->Deleted == 1)
            ui.SetFolderItemColor(item, kDeletedColor);
        r->TreeItem = item;
        placed_.insert(r);
        if (TreeItemCount % 64 == 0)
            ReportTreeProgress();
        return item;
    }

    void Grow(DWORD id, DWORD item)
    {
        std::vector<Frame> stack;
        auto push = [&](DWORD childId, DWORD childItem) {
            auto found = children_.find(childId);
            if (found != children_.end())
                stack.push_back({&found->second, 0, childItem});
        };
        push(id, item);
        while (!stack.empty()) {
            if (stop_())
                return;
            Frame& top = stack.back();
            if (top.next == top.list->size()) {
                stack.pop_back();
                continue;
            }
            Record* r = (*top.list)[top.next++];
            if (placed_.count(r))
                continue;
            const DWORD childItem = Insert(top.item, r);
            if (expanded_.insert(idOf_(r)).second)
                push(idOf_(r), childItem);
        }
    }

    // What a build from rootId places, without inserting anything: for a tree already built.
    void MarkReachable(DWORD rootId)
    {
        std::vector<DWORD> pending{rootId};
        expanded_.insert(rootId);
        while (!pending.empty()) {
            const DWORD id = pending.back();
            pending.pop_back();
            auto found = children_.find(id);
            if (found == children_.end())
                continue;
            for (Record* r : found->second) {
                placed_.insert(r);
                if (expanded_.insert(idOf_(r)).second)
                    pending.push_back(idOf_(r));
            }
        }
    }

    Record* head_;
    IdOf idOf_;
    ParentOf parentOf_;
    Stop stop_;
    std::unordered_map<DWORD, std::vector<Record*>> children_;
    std::unordered_set<DWORD> expanded_;
    std::unordered_set<Record*> placed_;
};

template <typename Record, typename IdOf, typename ParentOf, typename Stop>
TreeGrower<Record, IdOf, ParentOf, Stop> MakeGrower(Record* head, IdOf idOf, ParentOf parentOf, Stop stop)
{
    return TreeGrower<Record, IdOf, ParentOf, Stop>(head, idOf, parentOf, stop);
}

auto FatGrower()
{
    return MakeGrower(
        FatFolderHead, [](FatFolderRecord* r) { return DWORD(r->FirstCluster); },
        [](FatFolderRecord* r) { return DWORD(r->ParentId); }, [] { return ScanStopFlag == 1; });
}

auto NtfsGrower()
{
    return MakeGrower(
        QuickFolderHead, [](QuickFolderNode* r) { return DWORD(r->RecordNumber); },
        [](QuickFolderNode* r) { return DWORD(r->ParentRef); }, [] { return false; });
}

bool SameText(const WCHAR* a, const WCHAR* b)
{
    auto fold = [](WCHAR c) { return c >= u'a' && c <= u'z' ? WCHAR(c - 32) : c; };
    if (!a || !b)
        return a == b;
    for (; *a && *b; ++a, ++b)
        if (fold(*a) != fold(*b))
            return false;
    return *a == *b;
}

std::u16string Folded(const WCHAR* text)
{
    std::u16string s;
    for (; text && *text; ++text)
        s += (*text >= u'a' && *text <= u'z') ? char16_t(*text - 32) : *text;
    return s;
}

// Group and extension items already made, so a text met in several runs of the list keeps one item.
std::map<std::pair<DWORD, std::u16string>, DWORD> g_tracedItems;

DWORD FindOrInsertItem(const WCHAR* text, DWORD parent)
{
    auto key = std::make_pair(parent, Folded(text));
    auto found = g_tracedItems.find(key);
    if (found != g_tracedItems.end())
        return found->second;
    const DWORD item = EngineUi().InsertFolderItem(parent, text, FALSE);
    g_tracedItems.emplace(std::move(key), item);
    return item;
}

} // namespace

void BuildFatFolderTree(DWORD parentItem, DWORD parentId)
{
    if (ScanStopFlag == 1)
        return;
    ReportTreeProgress();
    FatGrower().Build(parentItem, parentId);
}

void BuildNtfsFolderTree(DWORD parentItem, DWORD parentId)
{
    if (ScanStopFlag == 1)
        return;
    ReportTreeProgress();
    NtfsGrower().Build(parentItem, parentId);
}

void HangUnreachedFatFolders()
{
    if (ScanStopFlag != 1)
        FatGrower().HangUnreached(0, kLostFolderId);
}

void HangUnreachedNtfsFolders()
{
    if (ScanStopFlag != 1)
        NtfsGrower().HangUnreached(kNtfsRootFolderId, kLostFolderId);
}

DWORD FoundTreeRootItem = 0;

DWORD InsertFoundTreeRoot()
{
    FoundTreeRootItem = EngineUi().InsertFolderItem(FOUND_TREE_ROOT, u"Root", FALSE);
    return FoundTreeRootItem;
}

void RemoveFoundTreeRoot()
{
    if (FoundTreeRootItem)
        EngineUi().DeleteFolderItem(FoundTreeRootItem);
    FoundTreeRootItem = 0;
}

void BuildTracedFolderTree(DWORD topItem)
{
    g_tracedItems.clear();
    const WCHAR* group = u"";
    for (TracedFileRecord* r = TracedFileHead; r && ScanStopFlag != 1; r = r->Next) {
        if (SameText(r->TypeText, group))
            continue;
        const DWORD groupItem = FindOrInsertItem(r->TypeText, topItem);
        AddTracedGroupFiles(groupItem, r->TypeText);
        group = r->TypeText;
    }
}

void AddTracedGroupFiles(DWORD groupItem, const WCHAR* groupText)
{
    ReportTreeProgress();
    const WCHAR* name = u"";
    for (TracedFileRecord* r = TracedFileHead; r; r = r->Next) {
        if (!SameText(r->TypeText, groupText) || SameText(r->Extension, name))
            continue;
        ++TreeItemCount;
        FindOrInsertItem(r->Extension, groupItem);
        name = r->Extension;
    }
}
