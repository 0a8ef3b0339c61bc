// The application object: start-up, the pages and their switch, the About command.
#include "app/dovemark_app.h"

#include "app/about_dlg.h"
#include "app/document_preview_services.h"
#include "app/engine_ui.h"
#include "app/ex_style_doc.h"
#include "app/ex_style_view.h"
#include "app/file_system_view.h"
#include "app/first_view_hdd.h"
#include "app/gc_file_type_access.h"
#include "app/main_frame.h"
#include "app/message_dlg.h"
#include "app/second_view_hdd.h"
#include "app/snapshot_commands.h"
#include "app/third_view_hdd.h"
#include "app_res.h"
#include "afx/doc_template.h"
#include "engine/engine_state.h"
#include "toolkit/base/settings_store.h"

#include <algorithm>
#include <cstdlib>

CString AppFolder;

namespace {

// The toolkit keeps its settings (window placement, command bars) under the application's profile.
BOOL ApplicationNames(CString& registryKey, CString& profileName)
{
    CWinApp* app = AfxGetApp();
    if (!app || !app->m_pszRegistryKey || !app->m_pszProfileName)
        return FALSE;
    registryKey = app->m_pszRegistryKey;
    profileName = app->m_pszProfileName;
    return TRUE;
}

} // namespace

CString FolderOfPath(const CString& path)
{
    int cut = std::max(path.ReverseFind(u'\\'), path.ReverseFind(u'/'));
    return path.Left(cut + 1);
}

BEGIN_MESSAGE_MAP(CDovemarkApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
END_MESSAGE_MAP()

CDovemarkApp::CDovemarkApp()
{
    PhysicalDriveHandle = nullptr;
}

CDovemarkApp::~CDovemarkApp()
{
    if (AppEngineUi() == m_pEngineUi.get())
        InstallAppEngineUi(nullptr);
}

CDovemarkApp* DovemarkApp()
{
    return static_cast<CDovemarkApp*>(AfxGetApp());
}

CMainFrame* MainFrame()
{
    CWinApp* app = AfxGetApp();
    return app ? dynamic_cast<CMainFrame*>(app->m_pMainWnd) : nullptr;
}

BOOL CDovemarkApp::InitInstance()
{
    AfxEnableControlContainer();
    if (!AfxOleInit()) {
        CString text;
        text.LoadString(IDS_OLE_INIT_FAILED);
        AfxMessageBox(text);
        return FALSE;
    }
    AfxGetModuleState()->m_dwVersion = 0x601;
    AfxDaoInit();
    Enable3dControls();
    if (RunEmbedded() || RunAutomated())
        COleObjectFactory::RegisterAll();
    else
        COleObjectFactory::UpdateRegistryAll(TRUE);

    WCHAR program[520] = {};
    ::GetModuleFileNameW(nullptr, program, 520);
    AppFolder = FolderOfPath(program);
    // The preview finds its Office text converters in the folder installed beside the program, and the
    // document its pictures through the preview.
    ::setenv("WORDCNV_DIR", WideToAnsi(std::u16string((LPCWSTR)(AppFolder + u"textconv"))).c_str(), 1);
    InstallDocumentPreviewServices();
    SnapshotLoaded = 0;
    RegisterSnapshotType();

    // Every later call of the engine reaches the user through this port, on this thread.
    m_pEngineUi = std::make_unique<CAppEngineUi>();
    InstallAppEngineUi(m_pEngineUi.get());

    SetRegistryKey(u"Local AppWizard-Generated Applications");
    SetApplicationNamesProbe(&ApplicationNames);
    LoadStdProfileSettings(4);

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CEx_StyleDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CEx_StyleView)));
    EnableShellOpen();
    RegisterShellFileTypes(TRUE);

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    const CString argument = cmdInfo.m_strFileName;
    // A snapshot that cannot be read is told to the user below, on the wizard's first page, instead of the
    // framework ending the start-up.
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen &&
        ReadSnapshotLetter(StripQuotes(argument), nullptr) == SnapshotLetter::Unreadable)
        cmdInfo.m_nShellCommand = CCommandLineInfo::FileNew;
    if (!ProcessShellCommand(cmdInfo))
        return FALSE;
    CMainFrame* frame = MainFrame();
    if (!frame || !CreatePages())
        return FALSE;

    frame->ShowWindow(SW_HIDE);
    frame->ShowWindow(SW_MINIMIZE);
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->ShowWindow(SW_SHOW);

    if (argument.IsEmpty()) {
        CString recent = GetProfileString(u"Most Recent Check Book File", u"File", u"");
        if (!recent.IsEmpty())
            OpenDocumentFile(recent);
    } else {
        OpenCommandLineSnapshot(argument);
    }
    for (int i = 0; i < 3; ++i)
        frame->RestoreAndShow(m_nCmdShow);
    return TRUE;
}

void CDovemarkApp::RegisterSnapshotType()
{
    WCHAR program[520] = {};
    ::GetModuleFileNameW(nullptr, program, 520);
    CGCFileTypeAccess access;
    access.m_csExtension = u"DMK";
    access.m_csShellOpenCommand = CGCFileTypeAccess::OpenCommandFor(program);
    access.m_csDocumentShellOpenCommand = access.m_csShellOpenCommand;
    access.m_csDocumentClassName = u"Dovemark.Document";
    access.m_csDocumentDefaultIcon = CString(program) + u",1";
    access.RegSetAllInfo();
}

BOOL CDovemarkApp::CreatePages()
{
    CMainFrame* frame = MainFrame();
    m_pPages[0] = frame->GetActiveView();
    m_pExStyleView = dynamic_cast<CEx_StyleView*>(m_pPages[0]);
    frame->m_pFirstPageView = m_pPages[0];
    if (!m_pExStyleView)
        return FALSE;
    m_pFirstView = new CFirstView_HDD;
    m_pSecondView = new CSecondView_HDD;
    m_pFileSystemView = new CFileSystemView;
    m_pThirdView = new CThirdView_HDD;
    CView* pages[] = {m_pFirstView, m_pSecondView, m_pFileSystemView, m_pThirdView};
    CDocument* doc = frame->GetActiveDocument();
    CCreateContext context;
    context.m_pCurrentDoc = doc;
    for (int i = 0; i < 4; ++i) {
        m_pPages[i + 1] = pages[i];
        // The page joins the document before its window exists, as a frame's own views do.
        if (doc)
            doc->AddView(pages[i]);
        if (!pages[i]->Create(nullptr, nullptr, WS_CHILD | WS_BORDER, CRect(0, 0, 0, 0), frame, kPageIdFirst + 1 + i,
                              &context)) {
            for (int j = i; j < 4; ++j) {
                if (!pages[j]->m_hWnd) {
                    if (doc)
                        doc->RemoveView(pages[j]);
                    delete pages[j];
                }
                m_pPages[j + 1] = nullptr;
            }
            return FALSE;
        }
    }
    for (CView* page : pages)
        page->OnInitialUpdate();
    return TRUE;
}

void CDovemarkApp::OpenCommandLineSnapshot(const CString& argument)
{
    // The shell's open command quotes the path; its case is kept, as the file system tells cases apart.
    MainFrame()->LoadCheckedSnapshot(StripQuotes(argument));
}

void CDovemarkApp::SwitchView(int n)
{
    CMainFrame* frame = MainFrame();
    CView* target = GetPage(n);
    CView* active = frame ? frame->GetActiveView() : nullptr;
    if (!active || !target || active == target)
        return;
    LONG activeId = ::GetWindowLongW(active->m_hWnd, GWL_ID);
    LONG targetId = ::GetWindowLongW(target->m_hWnd, GWL_ID);
    ::SetWindowLongW(active->m_hWnd, GWL_ID, targetId);
    ::SetWindowLongW(target->m_hWnd, GWL_ID, activeId);
    active->ShowWindow(SW_HIDE);
    target->ShowWindow(SW_SHOW);
    frame->SetActiveView(target, TRUE);
    frame->RecalcLayout(TRUE);
    target->Invalidate(TRUE);
}

void CDovemarkApp::OnAppAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}
