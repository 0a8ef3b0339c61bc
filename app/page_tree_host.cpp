// What a choice in a drive tree reaches: the frame's state words and the panes of pages 1 and 2.
#include "app/page_tree_host.h"

#include "app/dovemark_app.h"
#include "app/first_display.h"
#include "app/first_view_hdd.h"
#include "app/main_frame.h"
#include "app/second_display.h"
#include "app/second_view_hdd.h"

namespace {

CFirstDisplay* DrivePane()
{
    CDovemarkApp* app = DovemarkApp();
    return app && app->m_pFirstView ? app->m_pFirstView->m_pDisplay : nullptr;
}

CSecondDisplay* ScanPane()
{
    CDovemarkApp* app = DovemarkApp();
    return app && app->m_pSecondView ? app->m_pSecondView->m_pDisplay : nullptr;
}

} // namespace

DWORD CPageTreeHost::PageState(int word) const
{
    const CMainFrame* frame = MainFrame();
    if (!frame)
        return 0;
    switch (word) {
    case 1: return DWORD(frame->m_bDriveChoice);
    case 2: return DWORD(frame->m_bPartitionChoice);
    case 3: return DWORD(frame->m_bResultsReady);
    case 4: return DWORD(frame->m_bFullResultsReady);
    case 5: return DWORD(frame->m_bPartitionTableRead);
    default: return 0;
    }
}

void CPageTreeHost::SetSelectedIndex(int index)
{
    if (CMainFrame* frame = MainFrame())
        frame->SelectedPartitionIndex = index;
}

void CPageTreeHost::ClearDrivePane()
{
    if (CFirstDisplay* pane = DrivePane())
        pane->ClearInfo();
}

void CPageTreeHost::ShowDrivePaneHeading(bool physical)
{
    if (CFirstDisplay* pane = DrivePane())
        physical ? pane->ShowDiskHeading() : pane->ShowVolumeHeading();
}

void CPageTreeHost::ShowDiskInfo(int disk)
{
    if (CFirstDisplay* pane = DrivePane())
        pane->ShowDiskInfo(disk);
}

void CPageTreeHost::ShowDriveInfo(int volume)
{
    if (CFirstDisplay* pane = DrivePane())
        pane->ShowDriveInfo(volume);
}

void CPageTreeHost::DrawVolumePie()
{
    if (CFirstDisplay* pane = DrivePane())
        pane->DrawVolumePie();
}

void CPageTreeHost::ShowNoPartitionInfo()
{
    if (CSecondDisplay* pane = ScanPane())
        pane->ShowNoPartitionInfo();
}

void CPageTreeHost::ShowSelectedPartition()
{
    if (CSecondDisplay* pane = ScanPane())
        pane->ShowSelectedPartition();
}

void CPageTreeHost::ShowPartitionInfo(int entry)
{
    if (CSecondDisplay* pane = ScanPane())
        pane->ShowPartitionInfo(entry);
}

void CPageTreeHost::TreeTab()
{
    CDovemarkApp* app = DovemarkApp();
    if (!app)
        return;
    if (m_nPage == 1 && app->m_pFirstView)
        app->m_pFirstView->TakeFocusRing();
    else if (m_nPage == 2 && app->m_pSecondView)
        app->m_pSecondView->TakeFocusRing();
}

void CPageTreeHost::TreeEnter()
{
    CDovemarkApp* app = DovemarkApp();
    if (!app)
        return;
    if (PageState(1) && app->m_pFirstView) {
        app->m_pFirstView->SetFocus();
        app->m_pFirstView->OnNext();
    } else if (PageState(2) && app->m_pSecondView) {
        app->m_pSecondView->SetFocus();
        app->m_pSecondView->OnStartScan();
    }
}
