// The results pages in the running application: a full scan's volumes on page 3, the extraction that
// moves on to page 4 only once the worker has finished, the preview through the frame and the pane,
// and the Back, Save and Tab steps of page 4.
#include "tests/app/app_fixture.h"

#include "app/engine_ui.h"
#include "app/file_system_form.h"
#include "app/file_system_view.h"
#include "app/third_view_hdd.h"
#include "engine/attached_disk.h"
#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/full_scan.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "engine/scan_results.h"
#include "preview/main_preview_view.h"
#include "support/fixture_images.h"

#include <array>
#include <atomic>
#include <filesystem>
#include <thread>

namespace {

class ResultsPages : public AppFixture {
protected:
    CFileSystemView* VolumePage() { return static_cast<CFileSystemView*>(Page(3)); }
    CThirdView_HDD* ResultsPage() { return static_cast<CThirdView_HDD*>(Page(4)); }
    void TearDown() override
    {
        AppFixture::TearDown();
        FreeScanResultLists();
        ResetFullScanLists();
        FreeTracedFiles();
        PartitionParams = {};
    }
    // Advances the clock by the page timer's period and serves what is due.
    void Tick()
    {
        headless::AdvanceClock(1000);
        headless::PumpUntilIdle();
    }
    void ClickLabel(CTreeCtrl& tree, HTREEITEM item)
    {
        CRect text;
        tree.GetItemRect(item, &text, TRUE);
        headless::AdvanceClock(1000);
        headless::Click(tree.m_hWnd, text.CenterPoint());
        headless::PumpUntilIdle();
    }
};

TEST_F(ResultsPages, FullScanVolumeIsExtractedAndShownOnlyOnceTheWorkerHasFinished)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat32");
    ASSERT_TRUE(StartApp());
    AttachedDisks disks({img.path});
    ScanMode = 0;
    PartitionParams = {};
    PartitionParams.PartitionFsType = FS_KIND_FAT32;
    PartitionParams.SectorCount = DWORD(img.bytes / SECTOR_SIZE);
    PartitionParams.BackupSector = PartitionParams.SectorCount;
    StartFullScan();
    ASSERT_TRUE(PumpUntilWorkerFinished(120000));
    m_app->SwitchView(3);
    headless::PumpUntilIdle();

    CVolumeTreeCtrl& volumes = VolumePage()->GetVolumeTree();
    HTREEITEM top = volumes.GetRootItem();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(volumes.GetItemText(top), CString(u"File System"));
    HTREEITEM volume = volumes.GetChildItem(top);
    ASSERT_NE(volume, nullptr);
    volumes.Expand(top, TVE_EXPAND);

    // Next before a volume was chosen only says so.
    int boxes = 0;
    headless::AnswerNextModal([&](HWND box) {
        ++boxes;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    VolumePage()->OnNext();
    headless::PumpUntilIdle();
    EXPECT_EQ(boxes, 1);
    headless::ClearModalAnswers();

    ClickLabel(volumes, volume);
    EXPECT_EQ(m_frame->SelectedPartitionIndex, 0);
    EXPECT_EQ(PartitionParams.VolumeNumber, 1);
    CString origin;
    origin.Format(u"%u", DWORD(PartitionParams.DataOrigin));
    EXPECT_EQ(VolumePage()->GetForm()->GetValue(1), origin);

    // The worker is held at its first poll point: the page's timer keeps it on page 3 until it ends.
    RequestScanPause(true);
    VolumePage()->OnNext();
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(m_frame->GetActiveView(), Page(3));
    EXPECT_FALSE(m_frame->m_bFullResultsReady);
    RequestScanPause(false);
    // Its end moves the wizard on at once, without another tick.
    ASSERT_TRUE(PumpUntilWorkerFinished(60000));
    headless::PumpUntilIdle();
    EXPECT_EQ(m_frame->GetActiveView(), Page(4));
    EXPECT_EQ(m_frame->m_bFullResultsReady, 1);
    EXPECT_TRUE(ResultsPage()->m_btnSave.IsWindowVisible());
    CFoundListCtrl* list = ResultsPage()->GetFoundList();
    EXPECT_GT(list->GetItemCount(), 0) << "the worker filled the top folder before it finished";
    EXPECT_EQ(ResultsPage()->GetFoundTree().GetItemText(ResultsPage()->GetFoundTree().GetRootItem()), CString(u"Root"));

    // Back after a full scan returns to the volumes, which are still there to choose from.
    ResultsPage()->OnBack();
    headless::PumpUntilIdle();
    EXPECT_EQ(m_frame->GetActiveView(), Page(3));
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(ResultsPage()->GetFoundTree().GetCount(), 0u);
    EXPECT_NE(VolumePage()->GetVolumeTree().GetRootItem(), nullptr);
    EXPECT_EQ(m_frame->NoPreviewItemFlag, 1);
}

// A clicked file of a quick scan goes through the frame to the real pane; the copy is removed by Back.
TEST_F(ResultsPages, PreviewThroughTheFrameAndBackByMode)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat32");
    ASSERT_TRUE(StartApp());
    AttachedDisks disks({img.path});
    ASSERT_TRUE(scanresults::QuickScan(img.volumes[0]));
    m_app->SwitchView(4);
    headless::PumpUntilIdle();
    CFoundListCtrl* list = ResultsPage()->GetFoundList();
    int row = -1;
    for (int r = 0; r < list->GetItemCount() && row < 0; ++r)
        if (list->GetItemText(r, 0).Right(4).CompareNoCase(u".txt") == 0)
            row = r;
    ASSERT_GE(row, 0);
    CRect label;
    list->GetItemRect(row, &label, LVIR_LABEL);
    headless::Click(list->m_hWnd, CPoint(label.left + 5, label.CenterPoint().y));
    headless::PumpUntilIdle();
    ASSERT_NE(m_frame->m_pPreviewView, nullptr);
    EXPECT_EQ(m_frame->m_pPreviewView, ResultsPage()->GetPreviewView());
    EXPECT_NE(m_frame->m_pPreviewView->m_pDocumentView, nullptr) << "the text viewer shows the copy";
    EXPECT_EQ(m_frame->PreviewOkFlag, 1);
    const std::vector<std::u16string> copies = list->PreviewTempFileList();
    ASSERT_FALSE(copies.empty());
    EXPECT_EQ(m_frame->GetActiveView(), Page(4));

    struct Case {
        DWORD mode;
        int page;
    };
    for (const Case& c : {Case{2, 2}, Case{1, 2}, Case{0, 3}}) {
        SCOPED_TRACE(c.mode);
        m_app->SwitchView(4);
        ScanMode = c.mode;
        list->CheckedFileIds.SetAt(7, 1);
        ResultsPage()->OnBack();
        headless::PumpUntilIdle();
        EXPECT_EQ(m_frame->GetActiveView(), Page(c.page));
        EXPECT_TRUE(list->CheckedFileIds.IsEmpty());
        EXPECT_EQ(ListResetRequest + FolderBrowseActive, 1u);
    }
    for (const std::u16string& copy : copies)
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(copy)));
}

TEST_F(ResultsPages, SaveNeedsATickAndTabWalksTheRing)
{
    ASSERT_TRUE(StartApp());
    m_app->SwitchView(4);
    headless::PumpUntilIdle();
    int boxes = 0;
    headless::AnswerNextModal([&](HWND box) {
        ++boxes;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ResultsPage()->OnSave();
    headless::PumpUntilIdle();
    EXPECT_EQ(boxes, 1);

    CThirdView_HDD* page = ResultsPage();
    const std::vector<std::array<BOOL, 3>> ring = {{FALSE, TRUE, FALSE}, {FALSE, FALSE, TRUE}, {TRUE, FALSE, FALSE}};
    for (const auto& turn : ring) {
        page->SendMessage(WM_KEYDOWN, VK_TAB, 0);
        EXPECT_EQ((std::array<BOOL, 3>{page->m_bTreeTurn, page->m_bSaveTurn, page->m_bBackTurn}), turn);
    }
    EXPECT_EQ(::GetFocus(), page->GetFoundTree().m_hWnd);
}

// Everything the list keeps of a row: the six texts, the icon, the box and the item data.
struct ListedRow {
    std::array<std::u16string, 6> texts;
    int image;
    UINT box;
    LPARAM data;
    bool operator==(const ListedRow&) const = default;
};

std::vector<ListedRow> ListedRows(CFoundListCtrl& list)
{
    std::vector<ListedRow> rows;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        ListedRow row{};
        for (int c = 0; c < 6; ++c)
            row.texts[size_t(c)] = (LPCWSTR)list.GetItemText(r, c);
        LVITEMW item{};
        item.mask = LVIF_IMAGE | LVIF_STATE | LVIF_PARAM;
        item.iItem = r;
        item.stateMask = LVIS_STATEIMAGEMASK;
        list.GetItem(&item);
        row.image = item.iImage;
        row.box = item.state & LVIS_STATEIMAGEMASK;
        row.data = item.lParam;
        rows.push_back(row);
    }
    return rows;
}

int g_crossings = 0;
LRESULT CALLBACK CountCrossings(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && reinterpret_cast<CWPSTRUCT*>(lParam)->message == WM_ENGINE_UI_SENT)
        ++g_crossings;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A folder far larger than one hand-over, filled by a worker through the application's port: the list
// ends exactly as a fill on the user-interface thread leaves it, the rows cross in batches rather than one
// by one, and the progress dialog comes and goes.
TEST_F(ResultsPages, AWorkersLargeFillListsWhatTheUiThreadWouldInFewCrossings)
{
    ASSERT_TRUE(StartApp());
    m_app->SwitchView(4);
    headless::PumpUntilIdle();
    FreeScanResultLists();
    ScanMode = 2;
    PartitionParams.FsType = FS_KIND_FAT32;
    AddFatFolderRecord(u"inner", 9, 7, 0x3A61, 0x3A62, 0, 1);
    constexpr int kFiles = 1500;
    const char16_t* kinds[] = {u".txt", u".jpg", u".doc", u""};
    for (int i = 0; i < kFiles; ++i) {
        const std::u16string name = u"file " + std::u16string(1, char16_t(u'a' + i % 26)) +
                                    std::u16string(size_t(1 + i % 5), u'x') + kinds[i % 4];
        const WORD date = WORD((i % 40) << 9 | (1 + i % 12) << 5 | (1 + i % 28));
        AddFatEntryRecord(name.c_str(), DWORD(100 + i), 7, date, WORD(date + 1), DWORD(i * 37), i % 5 == 0);
    }
    FoundFolderCount = 1;
    FoundFileCount = kFiles;
    CFoundListCtrl& list = *ResultsPage()->GetFoundList();

    FolderBrowseActive = 0;
    ShowFatFolder(7);
    const std::vector<ListedRow> onUiThread = ListedRows(list);
    ASSERT_EQ(onUiThread.size(), size_t(kFiles + 2));
    EXPECT_EQ(onUiThread[0].texts[0], u"Parent...");

    list.ClearRows();
    FolderBrowseActive = 1;
    g_crossings = 0;
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, CountCrossings, nullptr, ::GetCurrentThreadId());
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ShowFatFolder(7);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 60000));
    worker.join();
    ::UnhookWindowsHookEx(hook);
    headless::PumpUntilIdle();
    FolderBrowseActive = 0;

    EXPECT_TRUE(ListedRows(list) == onUiThread);
    // Clearing, the dialog's start and end, the tick of "Parent..." and a few batches.
    EXPECT_LT(g_crossings, 20);
    EXPECT_EQ(headless::FindOne({nullptr, u"进程...", -1, nullptr, true}), nullptr);
    EXPECT_TRUE(m_frame->IsWindowEnabled());
}

} // namespace
