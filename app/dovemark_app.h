// CDovemarkApp: the application object. It starts the program (profile, shell registration, the document
// template with the main frame, the five wizard pages, a snapshot named on the command line) and owns the
// page switch that moves the wizard.
#pragma once

#include "afx/afx.h"
#include "afx/app.h"
#include "afx/frame.h"
#include "afx/list_ctrl.h"

#include <memory>

class CAppEngineUi;
class CEx_StyleView;
class CFirstView_HDD;
class CSecondView_HDD;
class CFileSystemView;
class CThirdView_HDD;
class CMainFrame;

// The program's folder, ending in a separator: where "Raw.dat", the help file and the updater are found.
extern CString AppFolder;
// The folder of a program path: everything up to and including its last "\" or "/".
CString FolderOfPath(const CString& path);

// Child-window ids of the pages: the page shown holds the frame's first pane id.
constexpr UINT kPageIdFirst = AFX_IDW_PANE_FIRST;
constexpr int kPageCount = 5;

class CDovemarkApp : public CWinApp {
public:
    CDovemarkApp();
    ~CDovemarkApp() override;

    BOOL InitInstance() override;

    // Shows page n (0 to 4): it takes the first pane id and becomes the frame's active view.
    void SwitchView(int n);
    CView* GetPage(int n) const { return n >= 0 && n < kPageCount ? m_pPages[n] : nullptr; }

    // Options of the table previews: system objects shown (0), deletes confirmed (1), the most rows read.
    LONG ShowSystemObjects = 0;
    LONG ConfirmDeletes = 1;
    LONG MaxPreviewRecords = 10000;
    // The results page's found-file list, registered by the list itself.
    CListCtrl* m_pFoundList = nullptr;

    // The pages in page order; page 0 is the template's view.
    CView* m_pPages[kPageCount] = {};
    CEx_StyleView* m_pExStyleView = nullptr;
    CFirstView_HDD* m_pFirstView = nullptr;
    CSecondView_HDD* m_pSecondView = nullptr;
    CFileSystemView* m_pFileSystemView = nullptr;
    CThirdView_HDD* m_pThirdView = nullptr;

protected:
    afx_msg void OnAppAbout();
    DECLARE_MESSAGE_MAP()

private:
    void RegisterSnapshotType();
    BOOL CreatePages();
    void OpenCommandLineSnapshot(const CString& argument);

    std::unique_ptr<CAppEngineUi> m_pEngineUi;
};

CDovemarkApp* DovemarkApp();
// The main frame, once the template made it.
CMainFrame* MainFrame();
