// Documents through a single-document template: new and opened files, failures, the recent-file
// list; the command line; shell registration; the module state and OLE start-up.
#include "afx/afx.h"
#include "afx/doc_template.h"
#include "backend/headless/driver.h"
#include "../resources/test_ids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

int LoadTemplateString(UINT nID, LPWSTR buf, int cch) {
    if (nID != IDM_MAIN || cch <= 0)
        return 0;
    lstrcpynW(buf, u"Notes\nNote\n\nNote files (*.note)\n.note\nNotes.Document\nNotes Document", cch);
    return lstrlenW(buf);
}

// Reads one text line: "spoil" fails half-way, after emptying what was there.
class NoteDoc : public CDocument {
    DECLARE_DYNCREATE(NoteDoc)
public:
    CStringA m_text;
    void DeleteContents() override { m_text.Empty(); }
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            return;
        char buf[64] = {};
        UINT n = ar.Read(buf, sizeof(buf) - 1);
        m_text = CStringA(buf, (int)n);
        if (m_text == "spoil")
            AfxThrowArchiveException(CArchiveException::badIndex);
    }
};
IMPLEMENT_DYNCREATE(NoteDoc, CDocument)

class NoteView : public CView {
    DECLARE_DYNCREATE(NoteView)
public:
    int m_nInitial = 0;
    void OnDraw(CDC*) override {}
    void OnInitialUpdate() override { ++m_nInitial; }
};
IMPLEMENT_DYNCREATE(NoteView, CView)

class NoteFrame : public CFrameWnd {
    DECLARE_DYNCREATE(NoteFrame)
};
IMPLEMENT_DYNCREATE(NoteFrame, CFrameWnd)

class DocTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxSetLoadStringProc(&LoadTemplateString);
        char dir[] = "/tmp/doctplXXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        pTemplate = new CSingleDocTemplate(IDM_MAIN, RUNTIME_CLASS(NoteDoc), RUNTIME_CLASS(NoteFrame),
                                           RUNTIME_CLASS(NoteView));
        app.AddDocTemplate(pTemplate);
        app.SetRegistryKey(u"Dovemark Tests");
        app.LoadStdProfileSettings(2);
    }
    void TearDown() override {
        AfxSetLoadStringProc(nullptr);
        headless::ClearModalAnswers();
        delete pTemplate; // closes the document and its frame
        for (HWND h : headless::TopLevelWindows())
            DestroyWindow(h);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        app.WriteProfileString(u"Recent File List", nullptr, nullptr);
        std::system(("rm -rf " + m_dir).c_str());
    }
    CString MakeFile(const char* name, const char* text) {
        std::string path = m_dir + "/" + name;
        FILE* f = fopen(path.c_str(), "wb");
        fputs(text, f);
        fclose(f);
        return CString(CA2W(path.c_str(), CP_UTF8));
    }
    CString Title() {
        CString s;
        app.m_pMainWnd->GetWindowText(s);
        return s;
    }
    std::string m_dir;
    CWinApp app;
    CSingleDocTemplate* pTemplate = nullptr;
};

TEST_F(DocTemplateTest, NewDocumentMakesTheMainFrameWithItsView) {
    CCommandLineInfo info;
    ASSERT_TRUE(app.ProcessShellCommand(info));
    ASSERT_NE(app.m_pMainWnd, nullptr);
    auto* pFrame = static_cast<CFrameWnd*>(app.m_pMainWnd);
    auto* pView = static_cast<NoteView*>(pFrame->GetActiveView());
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(pView->m_nInitial, 1);
    EXPECT_TRUE(pFrame->IsWindowVisible());
    EXPECT_EQ(pFrame->GetActiveDocument()->GetTitle(), CString(u"Note"));
    EXPECT_EQ(Title(), CString(u"Note - Notes"));
    CString s;
    EXPECT_TRUE(pTemplate->GetDocString(s, CDocTemplate::regFileTypeId));
    EXPECT_EQ(s, CString(u"Notes.Document"));
    EXPECT_FALSE(pTemplate->GetDocString(s, (CDocTemplate::DocStringIndex)9));
}

TEST_F(DocTemplateTest, OpenedFilesAreReadNamedAndRemembered) {
    CString first = MakeFile("first.note", "hello");
    CString second = MakeFile("second.note", "world");
    auto* pDoc = static_cast<NoteDoc*>(app.OpenDocumentFile(first));
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->m_text, CStringA("hello"));
    EXPECT_EQ(pDoc->GetTitle(), CString(u"first.note"));
    EXPECT_EQ(Title(), CString(u"first.note - Notes"));
    EXPECT_EQ(app.OpenDocumentFile(first), pDoc) << "an open file is shown, not read again";

    EXPECT_EQ(app.OpenDocumentFile(second), pDoc) << "one document at a time, reused";
    EXPECT_EQ(pDoc->m_text, CStringA("world"));
    app.OpenDocumentFile(first);
    ASSERT_EQ(app.m_pRecentFileList->GetSize(), 2);
    EXPECT_EQ((*app.m_pRecentFileList)[0], first);
    EXPECT_EQ((*app.m_pRecentFileList)[1], second);

    // The list survives in the profile.
    app.SaveStdProfileSettings();
    app.LoadStdProfileSettings(2);
    EXPECT_EQ(app.m_pRecentFileList->GetSize(), 2);
    EXPECT_EQ((*app.m_pRecentFileList)[1], second);
}

TEST_F(DocTemplateTest, FilesThatCannotBeReadAreReportedAndLeaveNoHalfDocument) {
    CString good = MakeFile("good.note", "kept");
    CString spoiled = MakeFile("bad.note", "spoil");
    auto* pDoc = static_cast<NoteDoc*>(app.OpenDocumentFile(good));
    ASSERT_NE(pDoc, nullptr);

    int nReports = 0;
    auto answer = [&](HWND h) {
        ++nReports;
        EndDialog(h, IDOK);
    };
    headless::AnswerNextModal(answer);
    EXPECT_EQ(app.OpenDocumentFile(CString(CA2W(m_dir.c_str(), CP_UTF8)) + u"/missing.note"), nullptr);
    EXPECT_EQ(pDoc->m_text, CStringA("kept")) << "a file that does not open leaves the document alone";

    headless::AnswerNextModal(answer);
    EXPECT_EQ(app.OpenDocumentFile(spoiled), nullptr);
    EXPECT_EQ(nReports, 2);
    EXPECT_TRUE(pDoc->m_text.IsEmpty());
    EXPECT_EQ(pDoc->GetTitle(), CString(u"Note")) << "a spoiled document becomes a new one";
    EXPECT_TRUE(pDoc->GetPathName().IsEmpty());
    EXPECT_EQ(app.m_pRecentFileList->GetSize(), 1);

    // From the command line, a missing file makes start-up fail.
    CCommandLineInfo info;
    info.m_nShellCommand = CCommandLineInfo::FileOpen;
    info.m_strFileName = u"/nonexistent/x.note";
    headless::AnswerNextModal(answer);
    EXPECT_FALSE(app.ProcessShellCommand(info));
}

TEST_F(DocTemplateTest, ShellRegistrationWritesTheTypeAndKeepsAForeignExtension) {
    app.RegisterShellFileTypes(TRUE);
    WCHAR buf[512];
    LONG cb = sizeof(buf);
    ASSERT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, u".note", buf, &cb), ERROR_SUCCESS);
    EXPECT_EQ(CString(buf), CString(u"Notes.Document"));
    cb = sizeof(buf);
    ASSERT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, u"Notes.Document\\shell\\open\\command", buf, &cb), ERROR_SUCCESS);
    EXPECT_EQ(CString(buf).Right(5), CString(u" \"%1\""));
    EXPECT_EQ(buf[0], u'"') << "the program path is quoted";
    app.UnregisterShellFileTypes();
    cb = sizeof(buf);
    EXPECT_NE(RegQueryValueW(HKEY_CLASSES_ROOT, u".note", buf, &cb), ERROR_SUCCESS);

    RegSetValueW(HKEY_CLASSES_ROOT, u".note", REG_SZ, u"Other.Type", 0);
    app.RegisterShellFileTypes(FALSE);
    cb = sizeof(buf);
    RegQueryValueW(HKEY_CLASSES_ROOT, u".note", buf, &cb);
    EXPECT_EQ(CString(buf), CString(u"Other.Type"));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, u".note");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, u".note");
    app.UnregisterShellFileTypes();
}

// ---- Command line -------------------------------------------------------------------------------
struct LineCase {
    const char16_t* line;
    int command;
    const char16_t* file;
    BOOL embedded;
};

class CommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLine, ParsesAsTheSystemSplitsIt) {
    CWinApp app;
    CString line = GetParam().line;
    app.m_lpCmdLine = line.GetBuffer();
    CCommandLineInfo info;
    app.ParseCommandLine(info);
    EXPECT_EQ((int)info.m_nShellCommand, GetParam().command);
    EXPECT_EQ(info.m_strFileName, CString(GetParam().file));
    EXPECT_EQ(info.m_bRunEmbedded, GetParam().embedded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(LineCase{u"", CCommandLineInfo::FileNew, u"", FALSE},
                      LineCase{u"a.dmk", CCommandLineInfo::FileOpen, u"a.dmk", FALSE},
                      LineCase{u"\"/home/my files/A.DMK\"", CCommandLineInfo::FileOpen, u"/home/my files/A.DMK", FALSE},
                      LineCase{u"/tmp/x.dmk", CCommandLineInfo::FileOpen, u"/tmp/x.dmk", FALSE},
                      LineCase{u"/p x.dmk", CCommandLineInfo::FilePrint, u"x.dmk", FALSE},
                      LineCase{u"-Embedding", CCommandLineInfo::FileNew, u"", TRUE},
                      LineCase{u"a\\\\\\\"b", CCommandLineInfo::FileOpen, u"a\\\"b", FALSE},
                      LineCase{u"\"a\\\\\" tail", CCommandLineInfo::FileOpen, u"a\\", FALSE},
                      LineCase{u"/Unregserver", CCommandLineInfo::AppUnregister, u"", FALSE}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::to_string(info.index); });

TEST(CommandLineRoundTrip, ArgumentsSurviveQuotingAndSplitting) {
    const char* argv[] = {"prog", "plain", "with space", "quote\"inside", "trailing\\", ""};
    CString line = AfxMakeCommandLine(6, const_cast<char**>(argv));
    CStringArray args;
    AfxSplitCommandLine(line, args);
    ASSERT_EQ(args.GetSize(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(args[i], CString(CA2W(argv[i + 1], CP_UTF8))) << i;
}

TEST(CommandLineSwitches, RunEmbeddedTakesItsSwitchOffTheLine) {
    CWinApp app;
    CString line = u"-Embedding \"my file.dmk\"";
    app.m_lpCmdLine = line.GetBuffer();
    EXPECT_FALSE(app.RunAutomated());
    EXPECT_TRUE(app.RunEmbedded());
    EXPECT_EQ(CString(app.m_lpCmdLine), CString(u"\"my file.dmk\""));
    EXPECT_FALSE(app.RunEmbedded());
}

// ---- Module state and start-up stand-ins --------------------------------------------------------
TEST(ModuleState, ManagedStateIsCurrentForItsScopeOnly) {
    AFX_MODULE_STATE* pApp = AfxGetModuleState();
    EXPECT_EQ(pApp->m_dwVersion, 0x0600u);
    AFX_MODULE_STATE other;
    other.m_hCurrentResourceHandle = reinterpret_cast<HINSTANCE>(0x1234);
    {
        AFX_MANAGE_STATE(&other);
        EXPECT_EQ(AfxGetModuleState(), &other);
        EXPECT_EQ(AfxGetResourceHandle(), reinterpret_cast<HINSTANCE>(0x1234));
        {
            AFX_MANAGE_STATE(AfxGetStaticModuleState());
            EXPECT_EQ(AfxGetModuleState(), pApp);
        }
        EXPECT_EQ(AfxGetModuleState(), &other);
    }
    EXPECT_EQ(AfxGetModuleState(), pApp);
    EXPECT_EQ(AfxGetResourceHandle(), ::GetModuleHandleW(nullptr));
}

TEST(ModuleState, StartUpServicesAnswerWhatIsTrueHere) {
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
    EXPECT_TRUE(AfxOleInit());
    OleUninitialize();
    OleUninitialize();
    OleUninitialize();
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    OleUninitialize();
    EXPECT_TRUE(AfxInitRichEdit2()) << "the rich edit classes are the layer's own";
    EXPECT_EQ(LoadLibraryW(u"riched20.dll"), nullptr) << "its module stays absent";
    EXPECT_TRUE(COleObjectFactory::RegisterAll());
    COleException e(E_NOTIMPL);
    EXPECT_EQ(COleException::Process(&e), E_NOTIMPL);
    CNotSupportedException ns(FALSE);
    EXPECT_EQ(COleException::Process(&ns), E_NOTIMPL);
}

} // namespace
