// The frame's commands and their enabling by the scan mode and the wizard's progress.
#include "app/main_frame.h"

#include "app_res.h"
#include "app/dovemark_app.h"
#include "app/drive_info_dlg.h"
#include "app/filter_dlg.h"
#include "app/save_progress_dlg.h"
#include "app/search_dlg.h"
#include "app/settings_dlg.h"
#include "app/third_view_hdd.h"
#include "engine/engine_state.h"

CommandEnable CommandEnableState(UINT id, const CommandEnableInput& in)
{
    auto flag = [](LONG value) { return value ? CommandEnable::Enable : CommandEnable::Disable; };
    // The results of the mode: a full scan's come with the extracted volume, the others' with the scan.
    const CommandEnable results = flag(in.scanMode == 0 ? in.fullResultsReady : in.resultsReady);
    switch (id) {
    case ID_RECOVER_SELECTED:
    case ID_SAVE_SNAPSHOT:
    case ID_VIEW_SMALLICONS:
    case ID_VIEW_LIST:
    case ID_VIEW_DETAILS:
    case ID_FILE_FILTER:
        return results;
    case ID_RECOVER_ALL:
    case ID_DRIVE_INFO:
        // Traced files have no volume to inform about; these keep whatever they showed last.
        return in.scanMode == 1 ? CommandEnable::Keep : results;
    case ID_FIND_FILES:
        return in.scanMode == 1 ? CommandEnable::Disable : results;
    case ID_LOAD_SNAPSHOT:
        return flag(in.loadEnabled);
    case ID_RECOVERY_SETTINGS:
        return in.scanMode == 1 ? CommandEnable::Disable : CommandEnable::Enable;
    case ID_EXIT_APP:
    case ID_LIVE_UPDATE:
    case ID_HELP_CONTENTS:
    case ID_APP_ABOUT:
    case ID_CUSTOMIZE:
        return CommandEnable::Enable;
    default:
        return CommandEnable::Keep;
    }
}

void CMainFrame::OnUpdateCommand(CCmdUI* pCmdUI)
{
    CommandEnableInput in{ScanMode, m_bResultsReady, m_bFullResultsReady, m_bLoadEnabled};
    switch (CommandEnableState(pCmdUI->m_nID, in)) {
    case CommandEnable::Enable:
        pCmdUI->Enable(TRUE);
        break;
    case CommandEnable::Disable:
        pCmdUI->Enable(FALSE);
        break;
    case CommandEnable::Keep:
        break;
    }
}

// The commands below open the results page's dialogs and list styles; each page builds its own part.
namespace {

// The results page's list and tree; null before the page exists.
CFoundListCtrl* ResultsList()
{
    CDovemarkApp* app = DovemarkApp();
    return app && app->m_pThirdView ? app->m_pThirdView->GetFoundList() : nullptr;
}

CFoundTreeCtrl* ResultsTree()
{
    CDovemarkApp* app = DovemarkApp();
    return app && app->m_pThirdView && app->m_pThirdView->GetSafeHwnd() ? &app->m_pThirdView->GetFoundTree() : nullptr;
}

} // namespace

void CMainFrame::OnRecoverSelected()
{
    RunRecoverCommand(ResultsList(), TRUE);
}

void CMainFrame::OnRecoverAll()
{
    RunRecoverCommand(ResultsList(), FALSE);
}

void CMainFrame::OnViewStyle(UINT id)
{
    CDovemarkApp* app = DovemarkApp();
    if (app && app->m_pThirdView && app->m_pThirdView->GetFoundList())
        app->m_pThirdView->GetFoundList()->RunMenuCommand(id);
}

void CMainFrame::OnFindFiles()
{
    RunSearchDialog(ResultsTree());
}

void CMainFrame::OnFileFilter()
{
    CFilterDlg dlg(ResultsTree());
    dlg.DoModal();
}

void CMainFrame::OnRecoverySettings()
{
    CRecoverySettingsDlg dlg;
    dlg.DoModal();
}

void CMainFrame::OnDriveInfo()
{
    CFileSystemInfoDlg dlg;
    dlg.DoModal();
}
