// The wizard's first pages, driven headless on an attached fixture disk: each transition with its refusals, the
// workers' hand-over to the timers, Stop answered either way, and a failed scan followed by a good one.
#include "tests/app/app_fixture.h"

#include "app/drive_listing.h"
#include "app/tree_find.h"
#include "app/ex_style_view.h"
#include "app/file_system_form.h"
#include "app/file_system_view.h"
#include "app/file_type_dialog.h"
#include "app/first_display.h"
#include "app/first_view_hdd.h"
#include "app/second_display.h"
#include "app/second_view_hdd.h"
#include "app/wizard_state.h"
#include "engine/attached_disk.h"
#include "engine/drive_identify.h"
#include "engine/engine_state.h"
#include "engine/full_scan.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "app/engine_ui.h"
#include "afx/list_ctrl.h"
#include "afx/window_dc.h"
#include "support/fixture_images.h"

#include <functional>
#include <memory>

namespace {

CString Padded(const char16_t* text, int blanks) { return CString(text) + CString(u' ', blanks); }

class WizardFront : public AppFixture {
protected:
    // Starts the program with the fixture disk attached; false (test skipped or failed) when it is missing.
    bool Start()
    {
        const auto& img = testsupport::GetFixtureImage("multi");
        if (!img.available)
            return false;
        disks_ = std::make_unique<AttachedDisks>(std::vector<std::string>{img.path}, false);
        // An earlier test's frame left its quit message behind; it would end every wait of this one.
        MSG quit;
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        if (!StartApp())
            return false;
        // The program's folder holds the built "Raw.dat".
        AppFolder = CString(std::u16string(DOVEMARK_RAW_DAT_DIR, DOVEMARK_RAW_DAT_DIR + sizeof(DOVEMARK_RAW_DAT_DIR) - 1).c_str());
        drives_ = m_app->m_pFirstView;
        scan_ = m_app->m_pSecondView;
        return drives_ && scan_;
    }
    void TearDown() override
    {
        if (!IsWorkerFinished()) {
            RequestScanStop();
            PumpUntilWorkerFinished(60000);
        }
        AppFixture::TearDown();
        disks_.reset();
    }

    int Shown() const
    {
        for (int i = 0; i < kPageCount; ++i)
            if (m_frame->GetActiveView() == Page(i))
                return i;
        return -1;
    }
    void Command(int page, UINT id) { Page(page)->SendMessage(WM_COMMAND, id); }
    // The next box is acknowledged (its first button), and counted.
    void AcknowledgeNextBox()
    {
        headless::AnswerNextModal([this](HWND box) {
            ++boxes_;
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
    }
    void AnswerNextQuestion(bool yes)
    {
        headless::AnswerNextModal([this, yes](HWND box) {
            ++boxes_;
            ::PostMessageW(box, WM_COMMAND, yes ? IDYES : IDNO, 0);
        });
    }
    // The worker's end is waited for with the messages served, then the page's timer gets its tick.
    void FinishWorkerAndTick()
    {
        ASSERT_TRUE(PumpUntilWorkerFinished(120000));
        for (int i = 0; i < 3; ++i) {
            headless::AdvanceClock(1000);
            headless::PumpUntilIdle();
        }
    }
    void ChooseMode(UINT command) { Command(0, command); }
    void ChooseDrive(const char16_t* item)
    {
        HTREEITEM at = FindTreeItem(drives_->m_tree, item);
        ASSERT_TRUE(at) << "no drive item";
        drives_->m_tree.OnSelectItem(at);
    }
    // Page 1's Next on the first disk, with the partition question answered "keep the table". The search's end
    // moves the wizard on at once, without a tick of the page's one-second poll.
    void SearchFirstDisk()
    {
        ChooseDrive(u"Hard Disk 0 ");
        headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
        Command(1, 159);
        ASSERT_TRUE(PumpUntilWorkerFinished(120000));
        headless::PumpUntilIdle();
    }

    std::unique_ptr<AttachedDisks> disks_;
    CFirstView_HDD* drives_ = nullptr;
    CSecondView_HDD* scan_ = nullptr;
    int boxes_ = 0;
};

#define START_OR_SKIP()                                                                                            \
    do {                                                                                                           \
        if (!Start())                                                                                              \
            GTEST_SKIP() << "fixture disk or program not available";                                               \
    } while (0)

TEST_F(WizardFront, EachModeLeadsToTheDrivePageAndBackReturns)
{
    START_OR_SKIP();
    const struct {
        UINT command;
        DWORD mode;
        CString text;
        UINT back;
    } cases[] = {
        {131, 2, Padded(u"已选择模式 : 快速扫描", 5), 160},
        {133, 0, Padded(u"已选择模式 : 全面扫描", 9), 61481},
        {132, 1, Padded(u"已选择模式 : 文件跟踪", 5), 160},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ChooseMode(c.command);
        EXPECT_EQ(Shown(), 1);
        EXPECT_EQ(ScanMode, c.mode);
        EXPECT_EQ(ScanModeText, c.text);
        EXPECT_EQ(m_frame->ModeHintFlag, 0);
        EXPECT_EQ(m_frame->m_bDriveChoice, 1);
        EXPECT_EQ(m_frame->m_bPartitionChoice, 0);
        EXPECT_EQ(m_frame->SelectedPartitionIndex, -1);
        EXPECT_EQ(m_frame->m_bLoadEnabled, 1);
        ChooseDrive(u"Hard Disk 0 ");
        EXPECT_EQ(DriveKind, 1);
        Command(1, c.back);
        EXPECT_EQ(Shown(), 0);
        EXPECT_EQ(m_frame->ModeHintFlag, 1);
        EXPECT_EQ(DriveKind, 3);
        EXPECT_EQ(PhysicalDriveHandle, nullptr);
    }
}

TEST_F(WizardFront, NextIsRefusedUntilAUsableDriveIsChosen)
{
    START_OR_SKIP();
    ChooseMode(131);
    ASSERT_GE(LogicalDriveTable.Count, 2);
    const struct {
        const char* what;
        std::function<void()> choose;
    } cases[] = {
        {"nothing chosen", [] {}},
        {"the computer", [&] { ChooseDrive(u"My Computer"); }},
        {"a volume of no known file system", [&] {
             LogicalDriveTable.Kind[1] = FS_KIND_UNKNOWN;
             ChooseDrive(u"Logical Drives D: ");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.choose();
        boxes_ = 0;
        AcknowledgeNextBox();
        Command(1, 159);
        EXPECT_EQ(boxes_, 1);
        EXPECT_EQ(Shown(), 1);
        EXPECT_TRUE(IsWorkerFinished());
    }
}

TEST_F(WizardFront, AVolumeGoesStraightToTheScanPageAndADiskThroughTheSearch)
{
    START_OR_SKIP();
    ChooseMode(131);
    ChooseDrive(u"Logical Drives C: ");
    Command(1, 159);
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(DriveKind, 2);
    EXPECT_EQ(ScanModeText, Padded(u"已选择模式 : 快速扫描\r\n驱动器类型     : 逻辑驱动器", 12));
    EXPECT_EQ(m_frame->m_bPartitionChoice, 1);

    Command(2, 160);
    EXPECT_EQ(Shown(), 1);
    SearchFirstDisk();
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(DriveKind, 3); // the partition is chosen on this page
    EXPECT_GE(PartitionCount, 5u);
    HTREEITEM group = scan_->m_tree.GetRootItem();
    ASSERT_TRUE(group);
    EXPECT_EQ(scan_->m_tree.GetItemText(group), CString(u"Hard Disk "));
    int partitions = 0;
    for (HTREEITEM p = scan_->m_tree.GetChildItem(group); p; p = scan_->m_tree.GetNextSiblingItem(p))
        ++partitions;
    EXPECT_EQ(DWORD(partitions), PartitionCount);
}

// A volume's five lines stay readable: the capacity pie and its legend lie below them.
TEST_F(WizardFront, TheCapacityPieLeavesTheVolumeLinesUncovered)
{
    START_OR_SKIP();
    ChooseMode(131);
    ChooseDrive(u"Logical Drives C: ");
    headless::PumpUntilIdle();
    CWnd* pane = drives_->m_pDisplay;
    ASSERT_TRUE(pane);
    CWnd* pie = pane->GetDlgItem(61467);
    ASSERT_TRUE(pie && pie->IsWindowVisible());
    CRect pieRect;
    pie->GetWindowRect(&pieRect);
    int lines = 0;
    for (CWnd* child = pane->GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
        WCHAR cls[32] = {};
        ::GetClassNameW(child->m_hWnd, cls, 32);
        CString text;
        child->GetWindowText(text);
        if (child == pie || !child->IsWindowVisible() || CString(cls) != u"Static" || text.IsEmpty())
            continue;
        CRect r, overlap;
        child->GetWindowRect(&r);
        EXPECT_FALSE(overlap.IntersectRect(&r, &pieRect)) << "a line at y " << r.top << " is covered";
        ++lines;
    }
    EXPECT_GE(lines, 10);
}

// At the frame's smallest size the scan page's pane still shows a volume's pie box whole, beside the volume's box,
// and both lines of the mode text.
TEST_F(WizardFront, TheScanPaneKeepsItsPieAndModeLinesAtTheSmallestFrame)
{
    START_OR_SKIP();
    m_frame->MoveWindow(0, 0, 875, 700);
    ChooseMode(131);
    ChooseDrive(u"Logical Drives C: ");
    Command(1, 159);
    ASSERT_EQ(Shown(), 2);
    headless::PumpUntilIdle();
    CSecondDisplay* pane = scan_->m_pDisplay;
    ASSERT_TRUE(pane && pane->m_pieGroup.IsWindowVisible());
    CRect client;
    pane->GetClientRect(&client);
    auto placed = [pane](CWnd& child) {
        CRect r;
        child.GetWindowRect(&r);
        pane->ScreenToClient(&r);
        return r;
    };
    const CRect group = placed(pane->m_pieGroup), pie = placed(pane->m_pie), volume = placed(pane->m_partitionGroup);
    EXPECT_LE(group.right, client.right);
    EXPECT_LE(pie.right, group.right);
    EXPECT_GE(pie.Width(), 150); // room for the legend's "Free: 59.04 MB"
    EXPECT_LE(volume.right, group.left);
    EXPECT_LE(placed(pane->m_fsChooser).right, volume.right);
    EXPECT_LE(placed(pane->m_value[0]).right, volume.right);

    CString mode;
    pane->m_modeLine.GetWindowText(mode);
    ASSERT_NE(mode.Find(u"\r\n"), -1);
    CClientDC dc(&pane->m_modeLine);
    CFont* old = dc.SelectObject(pane->m_modeLine.GetFont());
    CRect text = placed(pane->m_modeLine);
    dc.DrawText(mode, &text, DT_CALCRECT);
    dc.SelectObject(old);
    EXPECT_LE(text.bottom, client.bottom);
    EXPECT_GE(text.top, placed(pane->m_details).bottom);
}

// Stop while the search waits for its question: the page never moves on before the worker's finished signal, and
// the answer decides whether it goes on.
TEST_F(WizardFront, StopDuringTheSearchAsksAndTheAnswerDecides)
{
    START_OR_SKIP();
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        ChooseMode(131);
        ChooseDrive(u"Hard Disk 0 ");
        headless::AnswerNextModal([&](HWND choice) {
            drives_->OnStopSearch();
            EXPECT_EQ(ScanStopFlag, yes ? 1u : 0u);
            EXPECT_FALSE(IsWorkerFinished());
            headless::AdvanceClock(3000);
            headless::PumpUntilIdle();
            EXPECT_EQ(Shown(), 1);
            ::PostMessageW(choice, WM_COMMAND, IDOK, 0);
        });
        AnswerNextQuestion(yes);
        Command(1, 159);
        FinishWorkerAndTick();
        EXPECT_EQ(Shown(), 2);
        Command(2, 61481);
        EXPECT_EQ(Shown(), 0);
    }
}

TEST_F(WizardFront, EachScanRunsToItsResultsPage)
{
    START_OR_SKIP();
    const struct {
        UINT command;
        int page;
        int boxes;
    } cases[] = {{131, 4, 1}, {132, 4, 0}, {133, 3, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ChooseMode(c.command);
        ChooseDrive(u"Logical Drives C: ");
        Command(1, 159);
        ASSERT_EQ(Shown(), 2);
        boxes_ = 0;
        if (c.command == 132)
            headless::AnswerNextModal([](HWND box) {
                auto* types = dynamic_cast<CFileTypeDlg*>(CWnd::FromHandlePermanent(box));
                if (!types) {
                    std::u16string t = headless::Text(box);
                    ADD_FAILURE() << "not the file-type dialog: " << std::string(t.begin(), t.end()).size() << " "
                                  << int(t.empty() ? 0 : t[0]);
                    ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
                    return;
                }
                types->m_tree.CheckBranch(types->m_tree.TopItem());
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            });
        Command(2, 159);
        EXPECT_EQ(Shown(), 2); // nothing moves before the worker has finished
        for (int i = 0; i < c.boxes; ++i)
            AcknowledgeNextBox();
        // The worker's end moves the wizard on at once, without a tick of the page's one-second poll.
        ASSERT_TRUE(PumpUntilWorkerFinished(120000));
        headless::PumpUntilIdle();
        EXPECT_EQ(Shown(), c.page);
        EXPECT_EQ(boxes_, c.boxes);
        EXPECT_EQ(ScanFailedFlag, 0u);
        EXPECT_EQ(m_frame->m_bResultsReady, 1);
        if (c.page == 4) {
            // The results page offers Save and Start over once a run has filled it.
            CView* results = m_app->GetPage(4);
            ASSERT_NE(results, nullptr);
            for (int id : {159, 61481}) {
                CWnd* button = results->GetDlgItem(id);
                ASSERT_NE(button, nullptr) << id;
                EXPECT_TRUE(button->IsWindowVisible() && button->IsWindowEnabled()) << id;
            }
        }
        if (c.command == 132) {
            EXPECT_GT(SignatureCount, 0u);
        }
        if (c.command == 133) {
            EXPECT_EQ(ShowScanDetails, 1u);
        }
        // Start over on the results page (Home on the volume page) backs the wizard down to its first page.
        Command(c.page, 61481);
        EXPECT_EQ(Shown(), 0);
    }
}

// A volume that cannot be opened fails the run: the page stays with its buttons ready, and the next good run is
// shown as the good run it is.
TEST_F(WizardFront, AFailedScanLeavesThePageReadyForTheNextOne)
{
    START_OR_SKIP();
    ChooseMode(131);
    ChooseDrive(u"Logical Drives C: ");
    Command(1, 159);
    const WCHAR letter = LogicalDriveTable.RootText[0][0];
    LogicalDriveTable.RootText[0][0] = u'Q';
    AcknowledgeNextBox();
    Command(2, 159);
    FinishWorkerAndTick();
    EXPECT_EQ(boxes_, 1);
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(ScanFailedFlag, 1u);
    EXPECT_TRUE(scan_->m_next.IsWindowVisible());
    EXPECT_FALSE(scan_->m_stop.IsWindowVisible());
    // Neither the band nor the pane still says to wait.
    CString status;
    scan_->m_pDisplay->m_status.GetWindowText(status);
    EXPECT_TRUE(status.IsEmpty());
    EXPECT_FALSE(scan_->m_status.IsWindowVisible());
    EXPECT_EQ(m_frame->m_bResultsReady, 0);

    LogicalDriveTable.RootText[0][0] = letter;
    m_frame->SelectedPartitionIndex = 0;
    AcknowledgeNextBox();
    Command(2, 159);
    FinishWorkerAndTick();
    EXPECT_EQ(Shown(), 4);
    EXPECT_EQ(ScanFailedFlag, 0u);
    EXPECT_EQ(m_frame->m_bResultsReady, 1);
}

TEST_F(WizardFront, AFullScanRangeIsCheckedBeforeAnythingStarts)
{
    START_OR_SKIP();
    ChooseMode(133);
    // A volume chosen before the disk leaves nothing of its range on the disk's page.
    ChooseDrive(u"Logical Drives C: ");
    Command(1, 159);
    ASSERT_EQ(Shown(), 2);
    Command(2, 160);
    SearchFirstDisk();
    ASSERT_EQ(Shown(), 2);
    CSecondDisplay& pane = *scan_->m_pDisplay;
    EXPECT_EQ(headless::Text(pane.m_start.m_hWnd), u"");
    EXPECT_EQ(headless::Text(pane.m_end.m_hWnd), u"");
    for (const CStatic& value : pane.m_value)
        EXPECT_EQ(headless::Text(value.m_hWnd), u"");
    const CString diskEnd = [] {
        CString t;
        t.Format(u"%lu", static_cast<unsigned long>(DiskSectorCounts[0]));
        return t;
    }();
    const struct {
        const char16_t* start;
        CString end;
    } refused[] = {{u"", u"10"}, {u"x1", u"10"}, {u"10", u""}, {u"10", u"10"}, {u"0", diskEnd}, {u"0", u"99999999999"}};
    for (const auto& r : refused) {
        boxes_ = 0;
        pane.m_start.SetWindowText(r.start);
        pane.m_end.SetWindowText(r.end);
        AcknowledgeNextBox();
        Command(2, 159);
        EXPECT_EQ(boxes_, 1) << int(r.start[0]) << "," << r.end.GetLength();
        EXPECT_TRUE(IsWorkerFinished());
        EXPECT_TRUE(scan_->m_next.IsWindowVisible());
    }
    // The typed end sector is the last one read. An NTFS sweep of the FAT16 volume's first sectors finds no file
    // system: page 3 is shown all the same, and says so.
    pane.m_start.SetWindowText(u"0");
    pane.m_end.SetWindowText(u"4095");
    pane.m_fsChooser.SetCurSel(0);
    Command(2, 159);
    EXPECT_EQ(PartitionParams.StartSector + 0, 0u);
    EXPECT_EQ(PartitionParams.SectorCount + 0, 4096u);
    EXPECT_EQ(PartitionParams.PartitionFsType + 0, FS_KIND_NTFS);
    boxes_ = 0;
    AcknowledgeNextBox();
    FinishWorkerAndTick();
    EXPECT_EQ(Shown(), 3);
    EXPECT_EQ(boxes_, 1);
    CWnd* hint = m_app->m_pFileSystemView->GetForm()->GetDlgItem(170);
    ASSERT_TRUE(hint);
    CString said;
    hint->GetWindowText(said);
    EXPECT_EQ(said, CString(u"Dovemark 无法在选定的扇区范围内识别一个文件系统。"));
}

TEST_F(WizardFront, StopDuringAScanAsksAndTheAnswerDecides)
{
    START_OR_SKIP();
    ChooseMode(133);
    SearchFirstDisk();
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        m_app->SwitchView(2);
        m_frame->SelectedPartitionIndex = -1;
        scan_->m_pDisplay->m_start.SetWindowText(u"0");
        CString end;
        end.Format(u"%lu", static_cast<unsigned long>(DiskSectorCounts[0] - 1));
        scan_->m_pDisplay->m_end.SetWindowText(end);
        scan_->m_pDisplay->m_fsChooser.SetCurSel(1); // FAT32: the disk has two such volumes
        Command(2, 159);
        ASSERT_FALSE(IsWorkerFinished()) << "start refused";
        headless::AnswerNextModal([&](HWND box) {
            ++boxes_;
            EXPECT_FALSE(IsWorkerFinished());
            headless::AdvanceClock(3000);
            headless::PumpUntilIdle();
            EXPECT_EQ(Shown(), 2);
            ::PostMessageW(box, WM_COMMAND, yes ? IDYES : IDNO, 0);
        });
        boxes_ = 0;
        Command(2, 132);
        EXPECT_EQ(boxes_, 1);
        // Yes hides Stop at once; the worker ends its step at its next poll and the timer finishes the run.
        EXPECT_EQ(scan_->m_stop.IsWindowVisible(), !yes);
        // A Yes that leaves nothing identified ends in page 3's no-volume box: the sweep had not met a volume yet,
        // or it was already over and the stop ended the analysis at its first step. Which one depends on how far
        // the worker got before the pause, so the box is acknowledged when it comes and checked against the result.
        boxes_ = 0;
        AcknowledgeNextBox();
        FinishWorkerAndTick();
        EXPECT_EQ(Shown(), 3);
        EXPECT_EQ(boxes_, FullScanVolumeCount == 0 ? 1 : 0);
        if (!yes) {
            EXPECT_GT(FullScanVolumeCount, 0u) << "No must let the scan run to its end";
        }
        headless::ClearModalAnswers();
    }
}

// The scan-mode page's two frames: plain colour where the exact outline falls, the caption's gap cut into the inner one.
TEST_F(WizardFront, TheScanModePageDrawsItsFrames)
{
    START_OR_SKIP();
    CView* modes = Page(0);
    CRect client;
    modes->GetClientRect(&client);
    ASSERT_GT(client.Width(), 800);
    ASSERT_GT(client.Height(), 450);
    CClientDC screen(modes);
    CDC dc;
    dc.CreateCompatibleDC(&screen);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&screen, client.Width(), client.Height());
    CBitmap* old = dc.SelectObject(&bitmap);
    modes->OnDraw(&dc);
    const int cx = client.Width() / 2, cy = client.Height() / 2;
    const COLORREF frame = 0x0099A8AC;
    EXPECT_EQ(dc.GetPixel(cx, cy - 225), frame);       // outer frame, top edge
    EXPECT_EQ(dc.GetPixel(cx + 400, cy), frame);       // outer frame, right edge
    EXPECT_EQ(dc.GetPixel(cx - 200, cy - 140), frame); // inner frame, top edge
    EXPECT_EQ(dc.GetPixel(cx, cy + 120), frame);       // inner frame, bottom edge
    EXPECT_EQ(dc.GetPixel(cx, cy - 130), RGB(255, 255, 255)); // the caption's gap
    EXPECT_NE(dc.GetPixel(cx - 400, cy - 225), frame); // corners are round
    dc.SelectObject(old);
}

TEST_F(WizardFront, ChoosingAModeAgainLeavesOneSetOfColumns)
{
    START_OR_SKIP();
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 300, 200), Page(0), 999));
    for (DWORD mode : {2u, 2u, 0u, 1u, 1u}) {
        const int expected = mode == 1 ? 3 : 6;
        EXPECT_EQ(SetFoundListColumns(&list, mode), expected);
        EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), expected) << mode;
        // The fillers write each cell by column number, so a column must show its own sub-item.
        for (int i = 0; i < expected; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_SUBITEM;
            ASSERT_TRUE(list.GetColumn(i, &column));
            EXPECT_EQ(column.iSubItem, i) << mode;
        }
    }
    list.DestroyWindow();
}

TEST(ScanRange, SectorNumbersAreDigitsThatFitIn32Bits)
{
    const struct {
        const char16_t* text;
        bool ok;
        DWORD value;
    } cases[] = {{u"0", true, 0},          {u"4294967295", true, 4294967295u}, {u"4294967296", false, 0},
                 {u"", false, 0},          {u"12a", false, 0},                {u"-1", false, 0},
                 {u"99999999999999999999", false, 0}};
    for (const auto& c : cases) {
        DWORD v = 7;
        EXPECT_EQ(ParseSectorNumber(c.text, &v), c.ok) << std::u16string(c.text).size();
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

} // namespace

// The first page's print commands bring up the print dialog, which finds no printer: one warning each, and the
// page stays as it was.
TEST_F(WizardFront, ThePrintCommandsStopAtTheMissingPrinter)
{
    START_OR_SKIP();
    for (UINT id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW}) {
        SCOPED_TRACE(id);
        std::u16string text;
        headless::AnswerNextModal([&](HWND box) {
            ++boxes_;
            text = headless::Text(::GetDlgItem(box, 0xFFFF));
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        boxes_ = 0;
        Command(0, id);
        headless::ClearModalAnswers();
        EXPECT_EQ(boxes_, 1);
        EXPECT_NE(text.find(u"No printers are installed"), std::u16string::npos);
        EXPECT_EQ(::CommDlgExtendedError(), DWORD(PDERR_NODEFAULTPRN));
        EXPECT_EQ(Shown(), 0);
    }
}
