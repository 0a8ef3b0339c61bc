// The main frame: its creation, layout, the engine port's dispatch and the exit sequence.
#include "app/preview_progress.h"
#include "app/main_frame.h"

#include "app/banner_dlg.h"
#include "app/dovemark_app.h"
#include "app/engine_ui.h"
#include "app/message_dlg.h"
#include "app/splitter_bar.h"
#include "app/third_view_hdd.h"
#include "app_res.h"
#include "engine/engine_state.h"
#include "engine/recovery_writer.h"
#include "engine/scan_control.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/customize_pages.h"
#include "toolkit/commandbars/customize_sheet.h"
#include "toolkit/docking/pane.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/tool_bar.h"

IMPLEMENT_DYNCREATE(CMainFrame, CTKPFrameWnd)

namespace {

constexpr WCHAR kCommandBarsProfile[] = u"CommandBars";
constexpr int kMinTrackWidth = 875;
constexpr int kMinTrackHeight = 700;

// The command icons and the commands they stand for, in the order the image list takes them.
const UINT kCommandIcons[] = {IDI_CMD_RECOVER, IDI_CMD_RECOVER_ALL, IDI_CMD_SAVE_SNAPSHOT, IDI_CMD_LOAD_SNAPSHOT,
                              IDI_CMD_FIND,    IDI_CMD_SETTINGS,    IDI_CMD_UPDATE,        IDI_CMD_HELP};
const UINT kIconCommands[] = {ID_RECOVER_SELECTED, ID_RECOVER_ALL, ID_SAVE_SNAPSHOT,  ID_LOAD_SNAPSHOT,
                              ID_FIND_FILES,       ID_RECOVERY_SETTINGS, ID_LIVE_UPDATE, ID_HELP_CONTENTS};

const UINT kIndicators[] = {ID_SEPARATOR, IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};

} // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CTKPFrameWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_GETMINMAXINFO()
    ON_WM_SYSCOMMAND()
    ON_WM_DESTROY()
    ON_COMMAND(ID_RECOVER_SELECTED, OnRecoverSelected)
    ON_COMMAND(ID_RECOVER_ALL, OnRecoverAll)
    ON_COMMAND(ID_SAVE_SNAPSHOT, OnSaveSnapshot)
    ON_COMMAND(ID_LOAD_SNAPSHOT, OnLoadSnapshot)
    ON_COMMAND(ID_EXIT_APP, OnExitApp)
    ON_COMMAND_RANGE(ID_VIEW_SMALLICONS, ID_VIEW_SMALLICONS, OnViewStyle)
    ON_COMMAND_RANGE(ID_VIEW_LIST, ID_VIEW_DETAILS, OnViewStyle)
    ON_COMMAND(ID_FIND_FILES, OnFindFiles)
    ON_COMMAND(ID_FILE_FILTER, OnFileFilter)
    ON_COMMAND(ID_RECOVERY_SETTINGS, OnRecoverySettings)
    ON_COMMAND(ID_DRIVE_INFO, OnDriveInfo)
    ON_COMMAND(ID_LIVE_UPDATE, OnLiveUpdate)
    ON_COMMAND(ID_HELP_CONTENTS, OnHelpContents)
    ON_COMMAND(ID_CUSTOMIZE, OnCustomize)
    ON_COMMAND_RANGE(ID_UNUSED_32790, ID_UNUSED_32792, OnUnusedCommand)
    ON_UPDATE_COMMAND_UI(ID_RECOVER_SELECTED, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI(ID_RECOVER_ALL, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI(ID_SAVE_SNAPSHOT, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI(ID_LOAD_SNAPSHOT, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI(ID_EXIT_APP, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SMALLICONS, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_LIST, ID_VIEW_DETAILS, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FIND_FILES, ID_LIVE_UPDATE, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI(ID_HELP_CONTENTS, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI(ID_APP_ABOUT, OnUpdateCommand)
    ON_UPDATE_COMMAND_UI(ID_CUSTOMIZE, OnUpdateCommand)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    if (GetMainWindowFlags() == this)
        SetMainWindowFlags(nullptr);
    delete m_pBannerDlg;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CTKPFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, AfxGetApp() ? ::LoadIconW(AfxGetResourceHandle(),
                                                                                       MAKEINTRESOURCEW(IDR_MAINFRAME))
                                                                         : nullptr);
    cs.style &= ~FWS_ADDTOTITLE;
    return TRUE;
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (CAppEngineUi* ui = AppEngineUi(); ui && ui->ServeMessage(message, wParam, lParam, &result))
        return result;
    return CTKPFrameWnd::WindowProc(message, wParam, lParam);
}

int CMainFrame::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CTKPFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    SetPreviewHost(this);
    InstallPreviewProgress();
    m_pBannerDlg = new CBannerDlg;
    if (!m_pBannerDlg->Create(this))
        return -1;
    SetWindowText(u"Dovemark for Windows");
    SetTitle(u"Dovemark for Windows");
    if (!m_wndStatusBar.Create(this, 0x50008200, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, int(std::size(kIndicators))))
        return -1;
    if (!g_pGlobalPaintManager)
        SetGlobalTheme(TKP_THEME_CLASSIC);
    if (!g_pGlobalPaintManager)
        SetGlobalTheme(TKP_THEME_CLASSIC);
    if (!CreateCommandBars())
        return -1;
    m_paneManager.InstallDockingPanes(this);
    m_paneManager.SetDockingTheme(2);
    m_paneManager.ClosePane(m_paneManager.FindPane(4001));
    WriteExcelBrowserFlags();
    SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    SetMainWindowFlags(this);
    if (CAppEngineUi* ui = AppEngineUi())
        ui->SetDispatchWindow(m_hWnd);
    return 0;
}

BOOL CMainFrame::CreateCommandBars()
{
    m_pCommandBars = static_cast<CTKPCommandBars*>(RUNTIME_CLASS(CTKPCommandBars)->CreateObject());
    if (!m_pCommandBars)
        return FALSE;
    m_pCommandBars->SetSite(this);
    m_pCommandBars->EnableBarDocking();
    CTKPCommandBar* menuBar = m_pCommandBars->SetMenuBar(u"菜单栏  ", IDR_MAINFRAME);
    if (!menuBar)
        return FALSE;
    CTKPToolBar* toolBar = m_pCommandBars->AddToolBar(u"常用    ", AFX_IDW_TOOLBAR);
    if (!toolBar || !toolBar->LoadToolBar(IDR_MAINFRAME, TRUE))
        return FALSE;

    if (m_ilCommandIcons.Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 1)) {
        for (UINT id : kCommandIcons) {
            HICON icon = static_cast<HICON>(
                ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, 0));
            m_ilCommandIcons.Add(icon);
            if (icon)
                ::DestroyIcon(icon);
        }
        if (CTKPImageManager* images = m_pCommandBars->GetImageManager())
            images->SetIconsFromImageList(m_ilCommandIcons.GetSafeHandle(), kIconCommands,
                                          int(std::size(kIconCommands)), 32, 32);
    }

    toolBar->SetShowTextBelowIcons(TRUE);
    SetGlobalTheme(TKP_THEME_NATIVE);
    const UINT hidden[] = {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW};
    m_pCommandBars->HideCommands(hidden, int(std::size(hidden)));
    m_pCommandBars->GetCommandBarsOptions()->bAlwaysShowFullMenus = FALSE;
    if (CTKPShortcutTable* shortcuts = m_pCommandBars->GetShortcutTable()) {
        shortcuts->LoadShortcutResource(IDR_MAINFRAME);
        m_pCommandBars->LoadOptions(kCommandBarsProfile);
        m_pCommandBars->LoadBarControls(kCommandBarsProfile);
        shortcuts->LoadShortcuts(kCommandBarsProfile);
    }
    return TRUE;
}

void CMainFrame::WriteExcelBrowserFlags()
{
    // Workbooks open inside the preview's browser control. The layer keeps this machine-wide key in memory,
    // so nothing of the user's system changes.
    const WCHAR key[] = u"SOFTWARE\\Classes\\Excel.Sheet.8";
    const struct {
        const WCHAR* name;
        DWORD value;
    } values[] = {{u"EditFlags", 0x00010000}, {u"BrowserFlags", 0}};
    for (const auto& v : values) {
        HKEY handle = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS)
            continue;
        ::RegSetValueExW(handle, v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.value), sizeof(v.value));
        ::RegCloseKey(handle);
    }
}

void CMainFrame::OnSize(UINT nType, int cx, int cy)
{
    CTKPFrameWnd::OnSize(nType, cx, cy);
    if (m_pBannerDlg && m_pBannerDlg->m_hWnd) {
        CRect client;
        GetClientRect(&client);
        m_pBannerDlg->MoveWindow(client.Width() - 180, 20, 175, 56);
    }
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CTKPFrameWnd::OnGetMinMaxInfo(info);
    info->ptMinTrackSize.x = kMinTrackWidth;
    info->ptMinTrackSize.y = kMinTrackHeight;
}

void CMainFrame::OnSysCommand(UINT nID, LPARAM lParam)
{
    CTKPFrameWnd::OnSysCommand(nID, lParam);
}

void CMainFrame::RestoreAndShow(int)
{
    m_PlacementStore.RestoreWindowPlacement(this);
    ShowWindow(SW_SHOW);
}

std::vector<std::u16string> CMainFrame::PreviewTempFiles() const
{
    CDovemarkApp* app = DovemarkApp();
    if (app && app->m_pThirdView && app->m_pThirdView->GetFoundList())
        return app->m_pThirdView->GetFoundList()->PreviewTempFileList();
    return {};
}

void CMainFrame::StopWorkers()
{
    // Each worker stops at its next poll point; the results it made so far stay.
    SaveStopFlag = 1;
    RequestScanStop();
    PumpUntilWorkerFinished();
}

void CMainFrame::SaveSettings()
{
    if (m_pCommandBars) {
        m_pCommandBars->SaveOptions(kCommandBarsProfile);
        m_pCommandBars->SaveBarControls(kCommandBarsProfile);
        if (CTKPShortcutTable* shortcuts = m_pCommandBars->GetShortcutTable())
            shortcuts->SaveShortcuts(kCommandBarsProfile);
    }
    m_PlacementStore.SaveWindowPlacement(this);
    CSplitterBar::SaveAllPositions();
    if (CWinApp* app = AfxGetApp())
        app->SaveStdProfileSettings();
}

int CMainFrame::ShutdownApp()
{
    if (!AskAppQuestion(u"你确定的要退出 ?      ", MSG_KIND_QUESTION))
        return 0;
    StopWorkers();
    DeleteTempFiles(PreviewTempFiles());
    if (m_bSaveOnExit)
        SaveSettings();
    return 1;
}

void CMainFrame::OnClose()
{
    if (IsIconic()) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof(wp);
        ::GetWindowPlacement(m_hWnd, &wp);
        wp.showCmd = SW_RESTORE;
        ::SetWindowPlacement(m_hWnd, &wp);
    }
    if (ShutdownApp())
        EndProgram();
}

void CMainFrame::EndProgram()
{
    if (CAppEngineUi* ui = AppEngineUi()) {
        ui->FlushPosted();
        ui->SetDispatchWindow(nullptr);
    }
    DestroyWindow();
}

void CMainFrame::OnDestroy()
{
    if (CAppEngineUi* ui = AppEngineUi(); ui && ui->GetDispatchWindow() == m_hWnd)
        ui->SetDispatchWindow(nullptr);
    if (GetPreviewHost() == this)
        SetPreviewHost(nullptr);
    CTKPFrameWnd::OnDestroy();
}

void CMainFrame::OnExitApp()
{
    if (ShutdownApp())
        EndProgram();
}

void CMainFrame::OnLiveUpdate()
{
    CString updater = AppFolder + u"Dovemark Live Update.exe";
    if (::GetFileAttributesW(updater) == INVALID_FILE_ATTRIBUTES) {
        ShowAppMessage(u"实时更新文件未找到。请重新安装软件。      ", MSG_KIND_ERROR);
        return;
    }
    if (!AskAppQuestion(u"如果你想运行软件的实时更新，应用程序将被关闭。继续吗？      ", MSG_KIND_QUESTION))
        return;
    ::ShellExecuteW(nullptr, u"open", updater, u"<QZVKHTWM>", nullptr, SW_SHOWNORMAL);
    StopWorkers();
    m_bSaveOnExit = FALSE;
    EndProgram();
}

void CMainFrame::OnHelpContents()
{
    CString help = AppFolder + u"Dovemark For Windows.chm";
    if (::GetFileAttributesW(help) == INVALID_FILE_ATTRIBUTES) {
        ShowAppMessage(u"Dovemark For Windows.chm not found", MSG_KIND_ERROR);
        return;
    }
    ::ShellExecuteW(nullptr, u"open", help, nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainFrame::OnCustomize()
{
    CTKPCommandBars* bars = GetCommandBars();
    if (!bars)
        return;
    // Declared in this order, the pages the frame adds go before the sheet that shows them.
    CTKPCustomizeSheet sheet(bars);
    CTKPCustomizeKeysPage keys(&sheet);
    sheet.AddPage(&keys);
    keys.LoadKeyCategories(IDR_MAINFRAME, FALSE);
    CTKPCustomizeSettingsPage options(&sheet);
    sheet.AddPage(&options);
    CTKPCustomizeCommandsPage* commands = sheet.GetCommandsPage();
    commands->LoadCommandCategories(IDR_MAINFRAME, FALSE);
    commands->AddAllCommandsCategory(9337, -1);
    commands->AddCategoriesFromMenu(IDR_MAINFRAME, 9350, -1);
    commands->AddNewMenuCategory(9314, -1);
    sheet.DoModal();
}
