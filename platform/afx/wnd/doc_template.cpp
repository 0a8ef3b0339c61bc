// CDocTemplate and CSingleDocTemplate: making documents with their frames and views.
#include "afx/doc_template.h"
#include "afx/app.h"
#include "afx/dialog.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {
    LoadTemplate();
}

CDocTemplate::~CDocTemplate() = default;

void CDocTemplate::LoadTemplate() {
    if (m_strDocStrings.IsEmpty())
        m_strDocStrings.LoadString(m_nIDResource);
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
    return AfxExtractSubString(rString, m_strDocStrings, (int)index);
}

void CDocTemplate::AddDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = this; }

void CDocTemplate::RemoveDocument(CDocument* pDoc) {
    if (pDoc->m_pDocTemplate == this)
        pDoc->m_pDocTemplate = nullptr;
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCWSTR lpszPathName, CDocument*& rpDocMatch) {
    rpDocMatch = nullptr;
    CString path(lpszPathName);
    for (POSITION pos = GetFirstDocPosition(); pos;) {
        CDocument* pDoc = GetNextDoc(pos);
        if (!pDoc->GetPathName().IsEmpty() && pDoc->GetPathName() == path) {
            rpDocMatch = pDoc;
            return yesAlreadyOpen;
        }
    }
    // The filter may list several extensions ("*.a;*.b"); the template's own is the first.
    CString ext;
    if (GetDocString(ext, filterExt) && !ext.IsEmpty()) {
        int semi = ext.Find(u';');
        if (semi >= 0)
            ext = ext.Left(semi);
        if (path.GetLength() >= ext.GetLength() && path.Right(ext.GetLength()).CompareNoCase(ext) == 0)
            return yesAttemptNative;
    }
    return yesAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument() {
    if (!m_pDocClass || !m_pDocClass->IsDerivedFrom(RUNTIME_CLASS(CDocument)))
        return nullptr;
    auto* pDoc = static_cast<CDocument*>(m_pDocClass->CreateObject());
    if (pDoc)
        AddDocument(pDoc);
    return pDoc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
    if (!m_pFrameClass || !m_pFrameClass->IsDerivedFrom(RUNTIME_CLASS(CFrameWnd)))
        return nullptr;
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    auto* pFrame = static_cast<CFrameWnd*>(m_pFrameClass->CreateObject());
    if (!pFrame)
        return nullptr;
    if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
        return nullptr; // the frame freed itself with its failed creation
    return pFrame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

void CDocTemplate::CloseAllDocuments(BOOL) {
    for (POSITION pos = GetFirstDocPosition(); pos;) {
        CDocument* pDoc = GetNextDoc(pos);
        pDoc->OnCloseDocument();
        pos = GetFirstDocPosition(); // the list changed under the walk
    }
}

// ---- CSingleDocTemplate -----------------------------------------------------------------------
CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                       CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (m_pOnlyDoc)
        m_pOnlyDoc->OnCloseDocument();
}

void CSingleDocTemplate::AddDocument(CDocument* pDoc) {
    // A second document would be lost silently.
    if (m_pOnlyDoc && m_pOnlyDoc != pDoc)
        return;
    CDocTemplate::AddDocument(pDoc);
    m_pOnlyDoc = pDoc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
    CDocTemplate::RemoveDocument(pDoc);
    if (m_pOnlyDoc == pDoc)
        m_pOnlyDoc = nullptr;
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const {
    return m_pOnlyDoc ? reinterpret_cast<POSITION>(1) : nullptr;
}

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const {
    CDocument* pDoc = rPos == reinterpret_cast<POSITION>(1) ? m_pOnlyDoc : nullptr;
    rPos = nullptr;
    return pDoc;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument) {
    CString title;
    if (!GetDocString(title, docName) || title.IsEmpty())
        title = u"Untitled";
    pDocument->SetTitle(title);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible) {
    CDocument* pDocument = nullptr;
    CFrameWnd* pFrame = nullptr;
    BOOL bCreated = FALSE;
    if (m_pOnlyDoc) {
        pDocument = m_pOnlyDoc;
        if (!pDocument->SaveModified())
            return nullptr;
        CWnd* pMain = AfxGetMainWnd();
        if (pMain && pMain->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            pFrame = static_cast<CFrameWnd*>(pMain);
    } else {
        pDocument = CreateNewDocument();
        bCreated = TRUE;
    }
    if (!pDocument) {
        AfxMessageBox(u"Failed to create an empty document.", MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    if (!pFrame) {
        // A frame that fails to come up must not take the document with it.
        BOOL bAutoDelete = pDocument->m_bAutoDelete;
        pDocument->m_bAutoDelete = FALSE;
        pFrame = CreateNewFrame(pDocument, nullptr);
        pDocument->m_bAutoDelete = bAutoDelete;
        if (!pFrame) {
            AfxMessageBox(u"Failed to create an empty document.", MB_OK | MB_ICONEXCLAMATION);
            if (bCreated)
                delete pDocument;
            return nullptr;
        }
    }
    if (!lpszPathName) {
        SetDefaultTitle(pDocument);
        if (!bMakeVisible)
            pDocument->m_bEmbedded = TRUE;
        if (!pDocument->OnNewDocument()) {
            if (bCreated)
                pFrame->DestroyWindow(); // takes the document with it
            return nullptr;
        }
    } else {
        CWaitCursor wait;
        BOOL bWasModified = pDocument->IsModified();
        pDocument->SetModifiedFlag(FALSE);
        if (!pDocument->OnOpenDocument(lpszPathName)) {
            if (bCreated) {
                pFrame->DestroyWindow();
            } else if (!pDocument->IsModified()) {
                pDocument->SetModifiedFlag(bWasModified); // untouched
            } else {
                // The failed read emptied the document: it becomes a new one rather than a
                // half-read old one.
                SetDefaultTitle(pDocument);
                pDocument->OnNewDocument();
            }
            return nullptr;
        }
        pDocument->SetPathName(lpszPathName);
    }
    CWinThread* pThread = AfxGetThread();
    if (!pThread)
        pThread = AfxGetApp();
    if (bCreated && pThread && !pThread->m_pMainWnd)
        pThread->m_pMainWnd = pFrame;
    InitialUpdateFrame(pFrame, pDocument, bMakeVisible);
    return pDocument;
}
