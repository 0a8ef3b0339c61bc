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
#include <filesystem>

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
    ASSERT_TRUE(PumpUntilWorkerFinished(60000));
    Tick();
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

} // namespace
