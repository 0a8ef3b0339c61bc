// The found-folder tree and the found-file list on a plain host window, wired to the engine through a
// port that forwards the tree and list calls to them, with a host that records what the preview asks.
#pragma once

#include "app/found_list_ctrl.h"
#include "app/found_tree_ctrl.h"
#include "app/results_host.h"
#include "backend/headless/driver.h"
#include "engine/engine_state.h"
#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/ui_port.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace resultstest {

// The engine's port as the running program answers it for the tree and the list.
class ResultsPort : public IEngineUi {
public:
    CFoundTreeCtrl* tree = nullptr;
    CFoundListCtrl* list = nullptr;
    std::vector<std::u16string> messages;
    std::u16string sizeText;
    int fills = 0;

    void ShowMessage(const WCHAR* text, EngineMessageKind) override { messages.emplace_back(text); }
    bool AskYesNo(const WCHAR* text) override
    {
        messages.emplace_back(text);
        return false;
    }
    void SetProgress(UINT) override {}
    void SetStatusText(EngineStatusField, const WCHAR*) override {}
    void SetCounter(EngineCounter, ULONGLONG) override {}
    void AddDriveItem(const WCHAR*, DWORD) override {}
    DWORD InsertFolderItem(DWORD parent, const WCHAR* text, BOOL) override
    {
        HTREEITEM item = tree->InsertFolderItem(text, parent ? CFoundTreeCtrl::ToItem(parent) : TVI_ROOT);
        return CFoundTreeCtrl::ToHandle(item);
    }
    void SetFolderItemColor(DWORD item, COLORREF color) override { tree->SetItemColor(CFoundTreeCtrl::ToItem(item), color); }
    void ExpandFolderItem(DWORD item) override { tree->Expand(CFoundTreeCtrl::ToItem(item), TVE_EXPAND); }
    void DeleteFolderItem(DWORD item) override { tree->DeleteItem(CFoundTreeCtrl::ToItem(item)); }
    void ClearFileRows() override
    {
        ++fills;
        list->ClearRows();
    }
    void AddFileRow(const FoundFileRow& row) override { list->AddRow(row); }
    void CheckFileRow(int row) override { list->CheckItem(row); }
    void SetSelectedSizeText(const WCHAR* text) override { sizeText = text; }
};

// What the list asks of the page and the main frame.
class RecordingHost : public IResultsHost {
public:
    struct Shown {
        std::u16string path, extension;
    };
    std::vector<Shown> previews;
    std::vector<std::u16string> information;
    std::set<std::u16string> previewable{u".txt", u".jpg", u".htm", u".dat"};
    DWORD noPreviewItemFlag = 1, previewableFlag = 0;
    int saves = 0;
    std::vector<ItemProperties> properties;

    void PreviewItem(const CString& path, const CString& extension) override
    {
        previews.push_back({(LPCWSTR)path, (LPCWSTR)extension});
    }
    BOOL IsPreviewableExtension(const CString& extension) override
    {
        CString lower = extension;
        lower.MakeLower();
        return previewable.count((LPCWSTR)lower) != 0;
    }
    void SetNoPreviewItemFlag(DWORD value) override { noPreviewItemFlag = value; }
    void SetPreviewableFlag(DWORD value) override { previewableFlag = value; }
    void ShowInformation(const CString& text) override { information.emplace_back((LPCWSTR)text); }
    void RunSave() override { ++saves; }
    void RunProperties(const ItemProperties& p) override { properties.push_back(p); }
    // The popup's items as "text" or "-", a sub-menu as "text[items]"; nothing is chosen.
    UINT TrackPopup(CMenu* popup, UINT, int, int, CWnd*) override
    {
        menu = Describe(popup->m_hMenu);
        return 0;
    }
    static std::u16string Describe(HMENU menu)
    {
        std::u16string out;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            WCHAR text[64] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE;
            info.dwTypeData = text;
            info.cch = 64;
            ::GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
            out += i ? u"|" : u"";
            out += (info.fType & MFT_SEPARATOR) ? u"-" : std::u16string(text);
            if (info.hSubMenu)
                out += u"[" + Describe(info.hSubMenu) + u"]";
        }
        return out;
    }
    std::u16string menu;
};

class ResultsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        FreeScanResultLists();
        FreeTracedFiles();
        FreeTracedFolders();
        FolderBrowseActive = 0;
        FileTypeFilterCount = 0;
        ASSERT_TRUE(page.CreateEx(0, nullptr, u"results", WS_POPUP | WS_VISIBLE, CRect(0, 0, 900, 600), nullptr, 0));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                    TVS_SHOWSELALWAYS | TVS_CHECKBOXES,
                                CRect(0, 0, 250, 600), &page, 162));
        tree.InitControl();
        list = new CFoundListCtrl;
        ASSERT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                                 CRect(250, 0, 900, 600), &page, 165));
        list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        list->CreateCheckImages();
        list->CreateColumns();
        list->SetupHeader();
        tree.SetFoundList(list);
        list->SetFoundTree(&tree);
        list->SetHost(&host);
        port.tree = &tree;
        port.list = list;
        SetEngineUi(&port);
        headless::PumpUntilIdle();
    }
    void TearDown() override
    {
        SetEngineUi(nullptr);
        if (list->GetSafeHwnd())
            list->DestroyWindow();
        delete list;
        tree.DestroyWindow();
        page.DestroyWindow();
        FreeScanResultLists();
        FreeTracedFiles();
        FreeTracedFolders();
        PartitionParams = {};
    }

    // The tree's item with this path of texts below the top item ("" for the top item).
    HTREEITEM Item(const std::vector<std::u16string>& path)
    {
        HTREEITEM at = tree.GetRootItem();
        for (const auto& part : path) {
            HTREEITEM child = tree.GetChildItem(at);
            while (child && std::u16string((LPCWSTR)tree.GetItemText(child)) != part)
                child = tree.GetNextSiblingItem(child);
            if (!child)
                return nullptr;
            at = child;
        }
        return at;
    }
    int Row(const std::u16string& name)
    {
        for (int row = 0; row < list->GetItemCount(); ++row)
            if (std::u16string((LPCWSTR)list->GetItemText(row, 0)) == name)
                return row;
        return -1;
    }
    // The id of the FAT file record with this name.
    static DWORD FileId(const std::u16string& name)
    {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            if (name == e->Name)
                return e->FileId;
        return 0;
    }
    std::vector<std::u16string> Names()
    {
        std::vector<std::u16string> out;
        for (int row = 0; row < list->GetItemCount(); ++row)
            out.emplace_back((LPCWSTR)list->GetItemText(row, 0));
        return out;
    }
    // Client point of an item's check box, label or expand button.
    CPoint BoxOf(HTREEITEM item)
    {
        CRect text;
        tree.GetItemRect(item, &text, TRUE);
        for (int x = text.left - 1; x >= 0; --x) {
            UINT flags = 0;
            if (tree.HitTest(CPoint(x, text.CenterPoint().y), &flags) == item && flags == TVHT_ONITEMSTATEICON)
                return CPoint(x, text.CenterPoint().y);
        }
        return CPoint(-1, -1);
    }
    CPoint LabelOf(HTREEITEM item)
    {
        CRect text;
        tree.GetItemRect(item, &text, TRUE);
        return text.CenterPoint();
    }
    CPoint RowBox(int row)
    {
        CRect bounds;
        list->GetItemRect(row, &bounds, LVIR_BOUNDS);
        for (int x = bounds.left; x < bounds.left + 40; ++x) {
            LVHITTESTINFO hit{};
            hit.pt = CPoint(x, bounds.CenterPoint().y);
            if (list->HitTest(&hit) == row && hit.flags == LVHT_ONITEMSTATEICON)
                return hit.pt;
        }
        return CPoint(-1, -1);
    }
    CPoint RowLabel(int row)
    {
        CRect label;
        list->GetItemRect(row, &label, LVIR_LABEL);
        return CPoint(label.left + 10, label.CenterPoint().y);
    }
    // Clicks far enough apart in time never make a double click.
    void ClickTree(CPoint at)
    {
        headless::AdvanceClock(1000);
        headless::Click(tree.m_hWnd, at);
        headless::PumpUntilIdle();
    }
    void ClickList(CPoint at)
    {
        headless::AdvanceClock(1000);
        headless::Click(list->m_hWnd, at);
        headless::PumpUntilIdle();
    }
    static bool Has(const CDwordSet& set, DWORD key)
    {
        DWORD value;
        return set.Lookup(key, value) != FALSE;
    }

    CWnd page;
    CFoundTreeCtrl tree;
    CFoundListCtrl* list = nullptr;
    ResultsPort port;
    RecordingHost host;
};

} // namespace resultstest
