// CWinApp's documents: templates, opening files, the recent-file list and the file commands.
#include "afx/app.h"
#include "afx/dialog.h"
#include "afx/doc_template.h"
#include "afx/common_dialogs.h"

#include <memory>

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
    if (pTemplate && !m_templateList.Find(pTemplate))
        m_templateList.AddTail(pTemplate);
}

namespace {
CString FullPath(LPCWSTR lpszFileName) {
    WCHAR buf[MAX_PATH * 2] = {};
    DWORD n = ::GetFullPathNameW(lpszFileName, MAX_PATH * 2, buf, nullptr);
    return n > 0 && n < MAX_PATH * 2 ? CString(buf) : CString(lpszFileName);
}
} // namespace

CDocument* CWinApp::OpenDocumentFile(LPCWSTR lpszFileName) {
    if (!lpszFileName || !*lpszFileName || m_templateList.IsEmpty())
        return nullptr;
    CString path = FullPath(lpszFileName);
    CDocTemplate* pBest = nullptr;
    CDocTemplate::Confidence best = CDocTemplate::noAttempt;
    CDocument* pOpen = nullptr;
    for (POSITION pos = m_templateList.GetHeadPosition(); pos;) {
        auto* pTemplate = static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
        CDocument* pMatch = nullptr;
        CDocTemplate::Confidence c = pTemplate->MatchDocType(path, pMatch);
        if (c > best) {
            best = c;
            pBest = pTemplate;
            pOpen = pMatch;
        }
        if (c == CDocTemplate::yesAlreadyOpen)
            break;
    }
    if (best == CDocTemplate::yesAlreadyOpen && pOpen) {
        // Shown again, not read twice.
        POSITION pos = pOpen->GetFirstViewPosition();
        if (CView* pView = pos ? pOpen->GetNextView(pos) : nullptr) {
            if (CFrameWnd* pFrame = pView->GetParentFrame())
                pFrame->ActivateFrame();
        }
        return pOpen;
    }
    return pBest ? pBest->OpenDocumentFile(path) : nullptr;
}

void CWinApp::AddToRecentFileList(LPCWSTR lpszPathName) {
    if (m_pRecentFileList)
        m_pRecentFileList->Add(lpszPathName);
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (nMaxMRU == 0)
        return;
    if (nMaxMRU > 16)
        nMaxMRU = 16; // the commands reserved for recent files
    m_pRecentFileList = new CRecentFileList(0, u"Recent File List", u"File%d", (int)nMaxMRU);
    m_pRecentFileList->ReadList();
}

void CWinApp::SaveStdProfileSettings() {
    if (m_pRecentFileList)
        m_pRecentFileList->WriteList();
}

int CWinApp::ExitInstance() {
    SaveStdProfileSettings();
    return CWinThread::ExitInstance();
}

void CWinApp::OnFileNew() {
    if (m_templateList.IsEmpty())
        return;
    static_cast<CDocTemplate*>(m_templateList.GetHead())->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    // The filter offers each template's files, then everything.
    CString filter;
    for (POSITION pos = m_templateList.GetHeadPosition(); pos;) {
        auto* pTemplate = static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
        CString name, ext;
        if (pTemplate->GetDocString(name, CDocTemplate::filterName) && !name.IsEmpty() &&
            pTemplate->GetDocString(ext, CDocTemplate::filterExt) && !ext.IsEmpty()) {
            ext.Replace(u";", u";*");
            filter += name + u"|*" + ext + u"|";
        }
    }
    filter += u"All Files (*.*)|*.*||";
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter);
    if (dlg.DoModal() == IDOK)
        OpenDocumentFile(dlg.GetPathName());
}


void CWinApp::OnAppExit() {
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID) {
    if (!m_pRecentFileList)
        return FALSE;
    int nIndex = (int)(nID - ID_FILE_MRU_FILE1);
    if (nIndex < 0 || nIndex >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[nIndex].IsEmpty())
        return FALSE;
    CString path = (*m_pRecentFileList)[nIndex];
    // A file that can no longer be opened leaves the list.
    if (!OpenDocumentFile(path))
        m_pRecentFileList->Remove(nIndex);
    return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
    if (!m_pRecentFileList) {
        pCmdUI->Enable(FALSE);
        return;
    }
    m_pRecentFileList->UpdateMenu(pCmdUI);
}

// ---- CRecentFileList --------------------------------------------------------------------------
CRecentFileList::CRecentFileList(UINT nStart, LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nSize,
                                 int nMaxDispLen)
    : m_nStart(nStart), m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat),
      m_nMaxSize(nSize > 0 ? nSize : 1), m_nMaxDisplayLength(nMaxDispLen) {}

void CRecentFileList::Add(LPCWSTR lpszPathName) {
    if (!lpszPathName || !*lpszPathName)
        return;
    CString path = FullPath(lpszPathName);
    // Linux names differ by case, so only the same name counts as the same file.
    for (INT_PTR i = 0; i < m_arrNames.GetSize(); ++i) {
        if (m_arrNames[i] == path) {
            m_arrNames.RemoveAt(i);
            break;
        }
    }
    m_arrNames.InsertAt(0, path);
    while (m_arrNames.GetSize() > m_nMaxSize)
        m_arrNames.RemoveAt(m_arrNames.GetSize() - 1);
}

void CRecentFileList::Remove(int nIndex) {
    if (nIndex >= 0 && nIndex < m_arrNames.GetSize())
        m_arrNames.RemoveAt(nIndex);
}

void CRecentFileList::ReadList() {
    m_arrNames.RemoveAll();
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return;
    for (int i = 0; i < m_nMaxSize; ++i) {
        CString entry;
        entry.Format(m_strEntryFormat, i + 1);
        CString value = pApp->GetProfileString(m_strSectionName, entry, u"");
        if (!value.IsEmpty())
            m_arrNames.Add(value);
    }
}

void CRecentFileList::WriteList() {
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return;
    // The section is rewritten whole, so names that left the list leave the profile too.
    pApp->WriteProfileString(m_strSectionName, nullptr, nullptr);
    for (int i = 0; i < (int)m_arrNames.GetSize(); ++i) {
        CString entry;
        entry.Format(m_strEntryFormat, i + 1);
        pApp->WriteProfileString(m_strSectionName, entry, m_arrNames[i]);
    }
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) {
    HMENU hMenu = pCmdUI->m_hMenu;
    if (!hMenu)
        return;
    if (m_strOriginal.IsEmpty()) {
        WCHAR text[256] = {};
        ::GetMenuStringW(hMenu, pCmdUI->m_nID, text, 256, MF_BYCOMMAND);
        m_strOriginal = text;
    }
    if (m_arrNames.GetSize() == 0) {
        // With nothing to list, the item keeps its original text, disabled.
        if (!m_strOriginal.IsEmpty())
            ::ModifyMenuW(hMenu, pCmdUI->m_nIndex, MF_BYPOSITION | MF_STRING, pCmdUI->m_nID, m_strOriginal);
        pCmdUI->Enable(FALSE);
        return;
    }
    // Drop the file items after this one, then insert one item per name.
    for (UINT id = pCmdUI->m_nID + 1; id < pCmdUI->m_nID + (UINT)m_nMaxSize; ++id)
        ::DeleteMenu(hMenu, id, MF_BYCOMMAND);
    for (int i = 0; i < (int)m_arrNames.GetSize(); ++i) {
        CString name = m_arrNames[i];
        int cut = std::max(name.ReverseFind(u'/'), name.ReverseFind(u'\\'));
        CString display = name.Mid(cut + 1);
        display.Replace(u"&", u"&&");
        CString text;
        text.Format(u"&%d %s", (i + 1 + (int)m_nStart) % 10, (LPCWSTR)display);
        UINT id = pCmdUI->m_nID + (UINT)i;
        if (i == 0)
            ::ModifyMenuW(hMenu, pCmdUI->m_nIndex, MF_BYPOSITION | MF_STRING, id, text);
        else
            ::InsertMenuW(hMenu, pCmdUI->m_nIndex + (UINT)i, MF_BYPOSITION | MF_STRING, id, text);
    }
    // The walk of the menu goes on after the items just added.
    pCmdUI->m_nIndex += (UINT)m_arrNames.GetSize() - 1;
    pCmdUI->m_nIndexMax = (UINT)::GetMenuItemCount(hMenu);
    pCmdUI->m_bEnableChanged = TRUE;
}

namespace {
// The help file beside the program: its name with the extension of the kind of help.
CString DefaultHelpFile(LPCWSTR lpszExt) {
    WCHAR path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    CString file(path);
    int slash = std::max(file.ReverseFind(u'/'), file.ReverseFind(u'\\'));
    int dot = file.ReverseFind(u'.');
    if (dot > slash)
        file = file.Left(dot);
    return file + lpszExt;
}

void OpenHelp(CWinApp* pApp, const CString& file) {
    HWND hOwner = pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : nullptr;
    // The shell opens the file with its viewer; a file that cannot be opened is said so.
    if (!::WinHelpW(hOwner, file, HELP_FINDER, 0)) {
        CString text;
        text.Format(u"Cannot open the help file %s.", (LPCWSTR)file);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    }
}
} // namespace

void CWinApp::WinHelp(DWORD_PTR, UINT) {
    OpenHelp(this, m_pszHelpFilePath ? CString(m_pszHelpFilePath) : DefaultHelpFile(u".hlp"));
}

void CWinApp::HtmlHelp(DWORD_PTR, UINT) {
    OpenHelp(this, m_pszHelpFilePath ? CString(m_pszHelpFilePath) : DefaultHelpFile(u".chm"));
}
