// The sample program: application, frame, view, document and a dialog built in memory.
#include "tools/sample_app/sample_app.h"

#include <vector>

namespace sample {

enum { ID_SAMPLE_NAME = 0x8001, IDC_NAME = 100 };

class SampleDoc : public CDocument {
    DECLARE_DYNCREATE(SampleDoc)
public:
    CString m_strName = u"world";
};
IMPLEMENT_DYNCREATE(SampleDoc, CDocument)

// Asks for the name the view greets.
class NameDialog : public CDialog {
public:
    NameDialog(CWnd* pParent, BOOL bAuto) : m_bAuto(bAuto) {
        BuildTemplate();
        InitModalIndirect(reinterpret_cast<LPCDLGTEMPLATEW>(m_template.data()), pParent);
    }
    CString m_strName;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_NAME, m_strName);
        DDV_MaxChars(pDX, m_strName, 32);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (m_bAuto) {
            // The unattended run types a new name and accepts, through the dialog's own queue.
            SetDlgItemText(IDC_NAME, u"sample");
            PostMessage(WM_COMMAND, IDOK);
        }
        return TRUE;
    }

private:
    void Word(WORD w) { m_template.push_back(w); }
    void Text(const char16_t* s) {
        for (; *s; ++s)
            Word(*s);
        Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, const char16_t* cls, const char16_t* text) {
        if (m_template.size() % 2)
            Word(0);
        Word(LOWORD(style)), Word(HIWORD(style)), Word(0), Word(0);
        Word(x), Word(y), Word(cx), Word(cy), Word(id);
        Text(cls);
        Text(text);
        Word(0);
    }
    void BuildTemplate() {
        DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        Word(LOWORD(style)), Word(HIWORD(style)), Word(0), Word(0);
        Word(3);
        Word(20), Word(20), Word(160), Word(60);
        Word(0), Word(0);
        Text(u"Name");
        Item(WS_CHILD | WS_VISIBLE, 8, 10, 40, 10, 0xFFFF, u"STATIC", u"Name:");
        Item(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 50, 8, 100, 12, IDC_NAME, u"EDIT", u"");
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 100, 38, 50, 14, IDOK, u"BUTTON", u"OK");
    }
    std::vector<WORD> m_template;
    BOOL m_bAuto;
};

class SampleView : public CView {
    DECLARE_DYNCREATE(SampleView)
public:
    SampleDoc* GetDoc() const { return static_cast<SampleDoc*>(GetDocument()); }
    void OnDraw(CDC* pDC) override {
        CString text = CString(u"Hello, ") + GetDoc()->m_strName;
        pDC->TextOut(10, 10, text);
    }
    BOOL m_bAuto = FALSE;
    BOOL m_bFailed = FALSE;

protected:
    void OnName() {
        NameDialog dlg(this, m_bAuto);
        dlg.m_strName = GetDoc()->m_strName;
        if (dlg.DoModal() == IDOK) {
            GetDoc()->m_strName = dlg.m_strName;
            GetDoc()->UpdateAllViews(nullptr);
        } else {
            m_bFailed = TRUE;
        }
        if (m_bAuto) {
            UpdateWindow();
            GetParentFrame()->PostMessage(WM_CLOSE);
        }
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(SampleView, CView)
BEGIN_MESSAGE_MAP(SampleView, CView)
    ON_COMMAND(ID_SAMPLE_NAME, OnName)
END_MESSAGE_MAP()

class SampleFrame : public CFrameWnd {
    DECLARE_DYNCREATE(SampleFrame)
};
IMPLEMENT_DYNCREATE(SampleFrame, CFrameWnd)

class SampleApp : public CWinApp {
public:
    SampleApp() : CWinApp(u"Sample") {}
    SampleDoc* m_pDoc = nullptr;
    SampleView* m_pView = nullptr;
    CString m_strFinalName;

    BOOL InitInstance() override {
        CCommandLineInfo info;
        ParseCommandLine(info);
        BOOL bAuto = CString(m_lpCmdLine).Find(u"-auto") >= 0;
        m_pDoc = new SampleDoc;
        m_pDoc->m_bAutoDelete = FALSE; // the application reads it after the frame is gone
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(SampleView);
        context.m_pCurrentDoc = m_pDoc;
        auto* pFrame = new SampleFrame;
        CMenu menu;
        menu.CreateMenu();
        CMenu popup;
        popup.CreatePopupMenu();
        popup.AppendMenu(MF_STRING, ID_SAMPLE_NAME, u"&Name...");
        popup.AppendMenu(MF_SEPARATOR);
        popup.AppendMenu(MF_STRING, ID_APP_EXIT, u"E&xit");
        menu.AppendMenu(MF_POPUP, (UINT_PTR)popup.Detach(), u"&File");
        if (!pFrame->Create(nullptr, u"Sample", WS_OVERLAPPEDWINDOW, CRect(40, 40, 440, 340), nullptr, nullptr, 0,
                            &context))
            return FALSE;
        pFrame->SetMenu(&menu);
        menu.Detach(); // the frame's window owns its menu now
        m_pMainWnd = pFrame;
        m_pView = static_cast<SampleView*>(pFrame->GetActiveView());
        m_pView->m_bAuto = bAuto;
        pFrame->InitialUpdateFrame(m_pDoc, TRUE);
        pFrame->UpdateWindow();
        if (bAuto)
            pFrame->PostMessage(WM_COMMAND, ID_SAMPLE_NAME);
        return TRUE;
    }
    int ExitInstance() override {
        int code = CWinApp::ExitInstance();
        if (m_pDoc) {
            m_strFinalName = m_pDoc->m_strName;
            delete m_pDoc;
            m_pDoc = nullptr;
        }
        return code;
    }

protected:
    void OnExit() { OnAppExit(); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(SampleApp, CWinApp)
    ON_COMMAND(ID_APP_EXIT, OnExit)
END_MESSAGE_MAP()

} // namespace sample

int RunSampleApp(LPWSTR lpCmdLine, int nCmdShow) {
    // The application object lives for the run only, so a host program (a test) keeps its own.
    sample::SampleApp app;
    if (AfxGetApp() != &app)
        return 2;
    int code = AfxWinMain(::GetModuleHandleW(nullptr), nullptr, lpCmdLine, nCmdShow);
    if (code != 0)
        return code;
    BOOL bAuto = CString(lpCmdLine).Find(u"-auto") >= 0;
    // The unattended run proves the dialog's data reached the document.
    return bAuto && app.m_strFinalName != CString(u"sample") ? 1 : 0;
}
