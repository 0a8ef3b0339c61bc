// CDocument: its views, its file and its title.
#include "afx/app.h"
#include "afx/dialog.h"
#include "afx/doc_template.h"
#include "afx/file.h"

CDocument::~CDocument() {
    // Views outliving their document must not reach back into it.
    for (POSITION pos = m_viewList.GetHeadPosition(); pos;)
        static_cast<CView*>(m_viewList.GetNext(pos))->m_pDocument = nullptr;
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::AddView(CView* pView) {
    if (!pView || pView->m_pDocument == this)
        return;
    if (pView->m_pDocument)
        pView->m_pDocument->RemoveView(pView);
    m_viewList.AddTail(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    POSITION pos = m_viewList.Find(pView);
    if (!pos)
        return;
    m_viewList.RemoveAt(pos);
    pView->m_pDocument = nullptr;
    if (m_viewList.IsEmpty() && m_bAutoDelete)
        OnCloseDocument();
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
    for (POSITION pos = m_viewList.GetHeadPosition(); pos;) {
        CView* pView = static_cast<CView*>(m_viewList.GetNext(pos));
        if (pView != pSender)
            pView->OnUpdate(pSender, lHint, pHint);
    }
}

void CDocument::SetTitle(LPCWSTR lpszTitle) {
    m_strTitle = lpszTitle;
    UpdateFrameCounts();
}

void CDocument::UpdateFrameCounts() {
    // Frames show the document's name in their title.
    for (POSITION pos = m_viewList.GetHeadPosition(); pos;) {
        CView* pView = static_cast<CView*>(m_viewList.GetNext(pos));
        if (CFrameWnd* pFrame = pView->m_hWnd ? pView->GetParentFrame() : nullptr)
            pFrame->OnUpdateFrameTitle(TRUE);
    }
}

void CDocument::SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU) {
    m_strPathName = lpszPathName;
    // The title is the file's name without its folder (either separator).
    int cut = std::max(m_strPathName.ReverseFind(u'/'), m_strPathName.ReverseFind(u'\\'));
    SetTitle(m_strPathName.Mid(cut + 1));
    if (bAddToMRU) {
        if (CWinApp* pApp = AfxGetApp())
            pApp->AddToRecentFileList(m_strPathName);
    }
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::ReportSaveLoadException(LPCWSTR lpszPathName, CException* e, BOOL bSaving) {
    WCHAR reason[256] = {};
    if (e)
        e->GetErrorMessage(reason, 256);
    CString text;
    text.Format(bSaving ? u"Cannot save the file %s.\n%s" : u"Cannot open the file %s.\n%s",
                lpszPathName ? lpszPathName : u"", reason);
    AfxMessageBox(text.TrimRight(), MB_OK | MB_ICONEXCLAMATION);
}

BOOL CDocument::OnOpenDocument(LPCWSTR lpszPathName) {
    CFile file;
    CFileException fe;
    if (!file.Open(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe)) {
        ReportSaveLoadException(lpszPathName, &fe, FALSE);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(TRUE); // spoiled until the read completes
    try {
        CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete);
        ar.m_pDocument = this;
        Serialize(ar);
        ar.Close();
    } catch (CException* e) {
        file.Abort();
        DeleteContents();
        ReportSaveLoadException(lpszPathName, e, FALSE);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCWSTR lpszPathName) {
    CFile file;
    CFileException fe;
    if (!file.Open(lpszPathName, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive, &fe)) {
        ReportSaveLoadException(lpszPathName, &fe, TRUE);
        return FALSE;
    }
    try {
        CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
        ar.m_pDocument = this;
        Serialize(ar);
        ar.Close();
        file.Close();
    } catch (CException* e) {
        file.Abort();
        ReportSaveLoadException(lpszPathName, e, TRUE);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument() {
    // Destroying the frames frees the views, and the last view would close the document again.
    BOOL bAutoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (!m_viewList.IsEmpty()) {
        CView* pView = static_cast<CView*>(m_viewList.GetHead());
        CFrameWnd* pFrame = pView->m_hWnd ? pView->GetParentFrame() : nullptr;
        if (pFrame && pFrame->m_hWnd) {
            pFrame->DestroyWindow();
        } else if (pView->m_hWnd) {
            pView->DestroyWindow();
        }
        // A view that was not freed with its window leaves the list here.
        if (!m_viewList.IsEmpty() && m_viewList.GetHead() == pView)
            RemoveView(pView);
    }
    m_bAutoDelete = bAutoDelete;
    DeleteContents();
    if (m_bAutoDelete)
        delete this;
}

BOOL CDocument::SaveModified() {
    if (!IsModified())
        return TRUE;
    CString text;
    text.Format(u"Save changes to %s?", m_strTitle.IsEmpty() ? u"the document" : (LPCWSTR)m_strTitle);
    switch (AfxMessageBox(text, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDNO:
        return TRUE;
    case IDYES:
        // Without a file name there is nowhere to save to, so the change is kept and the caller stops.
        return !m_strPathName.IsEmpty() && OnSaveDocument(m_strPathName);
    default:
        return FALSE;
    }
}
