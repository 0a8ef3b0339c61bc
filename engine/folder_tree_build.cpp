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

// Depth-first insertion in list order without recursion: the children of each id are indexed once.
template <typename Record, typename IdOf, typename ParentOf, typename Stop>
void BuildTree(Record* head, DWORD parentItem, DWORD parentId, IdOf idOf, ParentOf parentOf, Stop stop)
{
    if (ScanStopFlag == 1)
        return;
    ReportTreeProgress();
    std::unordered_map<DWORD, std::vector<Record*>> children;
    for (Record* r = head; r; r = r->Next)
        children[parentOf(r)].push_back(r);

    struct Frame {
        const std::vector<Record*>* list;
        size_t next;
        DWORD item;
    };
    std::unordered_set<DWORD> expanded{parentId};
    std::vector<Frame> stack;
    auto push = [&](DWORD id, DWORD item) {
        auto found = children.find(id);
        if (found != children.end())
            stack.push_back({&found->second, 0, item});
    };
    push(parentId, parentItem);
    IEngineUi& ui = EngineUi();
    while (!stack.empty()) {
        if (stop())
            return;
        Frame& top = stack.back();
        if (top.next == top.list->size()) {
            stack.pop_back();
            continue;
        }
        Record* r = (*top.list)[top.next++];
        ++TreeItemCount;
        const DWORD item = ui.InsertFolderItem(top.item, r->Name, r->Deleted == 1);
        if (r->Deleted == 1)
            ui.SetFolderItemColor(item, kDeletedColor);
        r->TreeItem = item;
        if (TreeItemCount % 64 == 0)
            ReportTreeProgress();
        if (expanded.insert(idOf(r)).second)
            push(idOf(r), item);
    }
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
    BuildTree(
        FatFolderHead, parentItem, parentId, [](FatFolderRecord* r) { return DWORD(r->FirstCluster); },
        [](FatFolderRecord* r) { return DWORD(r->ParentId); }, [] { return ScanStopFlag == 1; });
}

void BuildNtfsFolderTree(DWORD parentItem, DWORD parentId)
{
    BuildTree(
        QuickFolderHead, parentItem, parentId, [](QuickFolderNode* r) { return DWORD(r->RecordNumber); },
        [](QuickFolderNode* r) { return DWORD(r->ParentRef); }, [] { return false; });
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
