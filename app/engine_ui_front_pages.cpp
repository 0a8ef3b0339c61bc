// The engine port's calls that the drive and scan pages serve: progress, status texts and counters of the running
// worker on the page that shows it, the partitions the search finds, and its question.
#include "app/engine_ui.h"

#include "app/dovemark_app.h"
#include "app/file_system_view.h"
#include "app/first_view_hdd.h"
#include "app/main_frame.h"
#include "app/partition_choice_dialog.h"
#include "app/second_display.h"
#include "app/second_view_hdd.h"
#include "engine/partition_table.h"
#include "engine/scan_control.h"

namespace {

// The page whose worker runs is the page on show: the drive page during the partition search, the scan page
// during a scan.
int ShownPage()
{
    CDovemarkApp* app = DovemarkApp();
    CMainFrame* frame = MainFrame();
    if (!app || !frame)
        return -1;
    CView* shown = frame->GetActiveView();
    for (int i = 0; i < kPageCount; ++i)
        if (shown && app->GetPage(i) == shown)
            return i;
    return -1;
}

CSecondView_HDD* ScanPage()
{
    CDovemarkApp* app = DovemarkApp();
    return app ? app->m_pSecondView : nullptr;
}

CSecondDisplay* ScanPane()
{
    CSecondView_HDD* page = ScanPage();
    return page ? page->m_pDisplay : nullptr;
}

CString Decimal(ULONGLONG value)
{
    CString text;
    text.Format(u"%llu", value);
    return text;
}

} // namespace

void CAppEngineUi::SetProgress(UINT percent)
{
    PostLatest(PostedKey(POSTED_PROGRESS), [percent] {
        CDovemarkApp* app = DovemarkApp();
        if (!app)
            return;
        const int position = int(percent > 100 ? 100 : percent);
        if (ShownPage() == 1 && app->m_pFirstView)
            app->m_pFirstView->SetProgressPos(position);
        else if (ShownPage() == 2 && app->m_pSecondView)
            app->m_pSecondView->SetProgressPos(position);
    });
}

void CAppEngineUi::SetStatusText(EngineStatusField field, const WCHAR* text)
{
    CString copy(text ? text : u"");
    PostLatest(PostedKey(POSTED_STATUS, field), [field, copy] {
        CDovemarkApp* app = DovemarkApp();
        if (!app)
            return;
        if (ShownPage() == 1) {
            if (field == ENGINE_STATUS_MAIN && app->m_pFirstView)
                app->m_pFirstView->SetStatusText(copy);
            return;
        }
        if (field == ENGINE_STATUS_MAIN) {
            if (CSecondView_HDD* page = ScanPage())
                page->SetScanStatusText(copy);
        } else if (CSecondDisplay* pane = ScanPane()) {
            pane->SetValue(field == ENGINE_STATUS_SECTOR ? 2 : 3, copy);
        }
    });
}

void CAppEngineUi::SetCounter(EngineCounter counter, ULONGLONG value)
{
    PostLatest(PostedKey(POSTED_COUNTER, counter), [counter, value] {
        CSecondDisplay* pane = ScanPane();
        if (!pane || counter == ENGINE_COUNT_UNREADABLE_SECTORS)
            return;
        pane->SetValue(counter == ENGINE_COUNT_FOLDERS ? 0 : 1, Decimal(value));
    });
}

void CAppEngineUi::SetScanRow(int row, ULONGLONG value)
{
    PostLatest(PostedKey(POSTED_SCAN_ROW, DWORD(row)), [row, value] {
        if (CSecondDisplay* pane = ScanPane())
            pane->SetValue(row - 1, Decimal(value));
    });
}

void CAppEngineUi::WorkerFinishing()
{
    // On the user-interface thread a starter that failed looks at its run itself.
    if (IsUiThread())
        return;
    PostLatest(PostedKey(POSTED_WORKER_END), [] {
        // The worker sets its signal right after this call, and sends nothing any more: a short plain wait is safe.
        if (!WaitWorkerFinished(1000))
            return;
        // Whichever page waits for this worker moves on now, without its timer's next tick.
        CDovemarkApp* app = DovemarkApp();
        if (!app)
            return;
        if (app->m_pFirstView)
            app->m_pFirstView->PollRun();
        if (app->m_pSecondView)
            app->m_pSecondView->PollRun();
        if (app->m_pFileSystemView)
            app->m_pFileSystemView->PollRun();
    });
}

void CAppEngineUi::ShowStopButton(bool show)
{
    RunOnUiThread([show] {
        CDovemarkApp* app = DovemarkApp();
        if (!app)
            return;
        CWnd* stop = nullptr;
        if (ShownPage() == 1 && app->m_pFirstView)
            stop = &app->m_pFirstView->m_stop;
        else if (ShownPage() == 2 && app->m_pSecondView)
            stop = &app->m_pSecondView->m_stop;
        if (stop && stop->m_hWnd) {
            stop->ShowWindow(show ? SW_SHOW : SW_HIDE);
            stop->EnableWindow(show);
        }
    });
}

void CAppEngineUi::AddDriveItem(const WCHAR* text, DWORD index)
{
    RunOnUiThread([&] {
        if (CSecondView_HDD* page = ScanPage(); page && page->m_tree.m_hWnd)
            page->m_tree.AddPartitionItem(u"Hard Disk ", text, index);
    });
}

void CAppEngineUi::ExpandDriveRoot()
{
    RunOnUiThread([] {
        if (CSecondView_HDD* page = ScanPage(); page && page->m_tree.m_hWnd)
            page->m_tree.ExpandRoot();
    });
}

bool CAppEngineUi::AskPartitionSearch()
{
    bool search = false;
    RunOnUiThread([&] {
        CPartitionChoiceDlg choice(MainFrame());
        search = choice.DoModal() == IDOK && PartitionSearchChoice == 1;
    });
    return search;
}
