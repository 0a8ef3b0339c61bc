// CMainFrame: the program's one top-level window. It hosts the wizard pages as its views, the banner, the
// command bars and the status bar, owns the menu and tool-bar commands with their enabling, keeps the
// wizard's state words and runs the one exit sequence.
#pragma once

#include "afx/afx.h"
#include "controls/main_window_flags.h"
#include "preview/preview_host.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/status_bar.h"
#include "toolkit/base/window_placement.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/taskpanel/task_panel.h"

class CBannerDlg;

// What decides the enabling of the frame's commands.
struct CommandEnableInput {
    DWORD scanMode;
    LONG resultsReady;
    LONG fullResultsReady;
    LONG loadEnabled;
};
// Keep: the update leaves the command as it is.
enum class CommandEnable { Enable, Disable, Keep };
// The enabling of one of the frame's commands; Keep for a command the frame does not enable.
CommandEnable CommandEnableState(UINT id, const CommandEnableInput& in);

class CMainFrame : public CTKPFrameWnd, public IMainWindowFlags, public IPreviewHost {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Restores the saved placement and shows the frame (the show state is not used).
    void RestoreAndShow(int nCmdShow);
    // The exit sequence: 0 when the user chose to stay, else 1 once workers have stopped and the settings
    // are written; the caller then ends the program normally.
    int ShutdownApp();
    // Writes the command bars' state, the window placement and the splitters' positions.
    void SaveSettings();
    // Loads a snapshot file and shows its results on page 4; FALSE (nothing changed) when it cannot.
    BOOL OpenSnapshot(LPCWSTR path);
    // The same after checking the file's type letter: a file that cannot be read or is not a snapshot of
    // this program is told to the user.
    BOOL LoadCheckedSnapshot(const CString& path);

    // The preview of a found file: the pane drops its viewer and shows the file by its extension.
    void PreviewItem(const CString& path, const CString& extension);

    // IPreviewHost (main_frame_preview.cpp)
    LONG GetPreviewOkFlag() const override { return PreviewOkFlag; }
    void SetPreviewOkFlag(LONG value) override { PreviewOkFlag = value; }
    LONG GetPreviewableFlag() const override { return PreviewableFlag; }
    void SetPreviewableFlag(LONG value) override { PreviewableFlag = value; }
    LONG GetNoPreviewItemFlag() const override { return NoPreviewItemFlag; }
    void SetPreviewPane(CMainPreviewView* pane) override { m_pPreviewView = pane; }
    CString GetPreviewPath() const override;
    void SetPreviewPath(const CString& path) override;
    CString GetPreviewItemPath() const override;
    void SetPreviewItemPath(const CString& path) override;
    void FocusFoundFileList() override;
    void ShowMessage(const CString& text, int type) override;
    LONG GetShowSystemObjects() const override;
    LONG GetConfirmDeletes() const override;
    LONG GetMaxPreviewRecords() const override;
    void SetStatusText(const CString& text) override;
    std::unique_ptr<IPaneSplitter> CreatePaneSplitter() override;

    // IMainWindowFlags
    LONG GetModeHintFlag() const override { return ModeHintFlag; }
    void SetButtonHoverFlag(LONG value) override { ButtonHoverFlag = value; }

    CBannerDlg* m_pBannerDlg = nullptr;
    CTKPStatusBar m_wndStatusBar;
    CImageList m_ilCommandIcons;
    CTKWindowPlacementStore m_PlacementStore;
    // The docking panes: installed with their theme; the program opens no pane.
    CTKPPaneManager m_paneManager;
    // Constructed with the frame and destroyed with it; the program never creates its window.
    CTKPTaskPanel m_wndTaskPanel;
    CView* m_pFirstPageView = nullptr;

    // Wizard state words, set and read by the pages and the drive tree.
    LONG SelectedPartitionIndex = -1;
    LONG m_bDriveChoice = 1;
    LONG m_bPartitionChoice = 0;
    LONG m_bResultsReady = 0;      // quick-scan or tracing results shown
    LONG m_bFullResultsReady = 0;  // full-scan results shown
    LONG m_bPartitionTableRead = 1;
    LONG m_bLoadEnabled = 0;       // the load-snapshot command is enabled
    LONG ButtonHoverFlag = 0;      // a page-0 hover button is under the mouse
    LONG ModeHintFlag = 1;         // the page-0 hover buttons may write their hints
    // The preview words: the viewer showed its file; the file's kind is one the pane can show; the
    // selected row is no file to preview.
    LONG PreviewOkFlag = 0;
    LONG PreviewableFlag = 0;
    LONG NoPreviewItemFlag = 1;
    CMainPreviewView* m_pPreviewView = nullptr;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnClose();
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnDestroy();

    afx_msg void OnUpdateCommand(CCmdUI* pCmdUI);
    afx_msg void OnRecoverSelected();
    afx_msg void OnRecoverAll();
    afx_msg void OnSaveSnapshot();
    afx_msg void OnLoadSnapshot();
    afx_msg void OnExitApp();
    afx_msg void OnViewStyle(UINT id);
    afx_msg void OnFindFiles();
    afx_msg void OnFileFilter();
    afx_msg void OnRecoverySettings();
    afx_msg void OnDriveInfo();
    afx_msg void OnLiveUpdate();
    afx_msg void OnHelpContents();
    afx_msg void OnCustomize();
    afx_msg void OnUnusedCommand(UINT) {}
    DECLARE_MESSAGE_MAP()

private:
    BOOL CreateCommandBars();
    void WriteExcelBrowserFlags();
    // Asks the running workers to stop and serves messages until each has ended.
    void StopWorkers();
    // Ends the program by destroying the frame, which ends the message loop.
    void EndProgram();
    // The preview's temporary copies of found files.
    std::vector<std::u16string> PreviewTempFiles() const;

    BOOL m_bSaveOnExit = TRUE;
};
