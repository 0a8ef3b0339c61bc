// Printing from a view: the print dialog, the application's default printer, and the print and print
// preview commands, which stop where the print dialog fails (the layer has no printers).
#include "afx/app.h"
#include "afx/common_dialogs.h"
#include "afx/frame.h"

IMPLEMENT_DYNAMIC(CPrintDialog, CDialog)

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) {
    m_pParentWnd = pParentWnd;
    m_pd.lStructSize = sizeof(m_pd);
    m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : PD_RETURNDC);
    m_pd.nFromPage = m_pd.nToPage = m_pd.nMinPage = m_pd.nMaxPage = 1;
    m_pd.nCopies = 1;
}

INT_PTR CPrintDialog::DoModal() {
    CWnd* pParent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_pd.hwndOwner = pParent ? pParent->m_hWnd : nullptr;
    return ::PrintDlgW(&m_pd) ? IDOK : IDCANCEL;
}

CPrintInfo::CPrintInfo() : m_pPD(new CPrintDialog(FALSE)) {
    SetMinPage(1);
    SetMaxPage(0xFFFF);
}

CPrintInfo::~CPrintInfo() {
    if (m_pPD->m_pd.hDC)
        ::DeleteDC(m_pPD->m_pd.hDC);
    delete m_pPD;
}

INT_PTR CWinApp::DoPrintDialog(CPrintDialog* pPD) { return pPD->DoModal(); }

BOOL CWinApp::GetPrinterDeviceDefaults(PRINTDLGW* pPrintDlg) {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof(pd);
    pd.Flags = PD_RETURNDEFAULT;
    if (!::PrintDlgW(&pd))
        return FALSE;
    pPrintDlg->hDevMode = pd.hDevMode;
    pPrintDlg->hDevNames = pd.hDevNames;
    return TRUE;
}

void CWinApp::OnFilePrintSetup() {
    CPrintDialog dlg(TRUE);
    DoPrintDialog(&dlg);
}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp || !pInfo)
        return FALSE;
    PRINTDLGW& pd = pInfo->m_pPD->m_pd;
    if (pInfo->m_bPreview || pInfo->m_bDirect) {
        // Without a default printer the dialog comes up anyway, to tell the user to install one.
        if (!pApp->GetPrinterDeviceDefaults(&pd) && pApp->DoPrintDialog(pInfo->m_pPD) != IDOK)
            return FALSE;
    } else if (pApp->DoPrintDialog(pInfo->m_pPD) != IDOK) {
        return FALSE;
    }
    return pd.hDC != nullptr;
}

// The layer drives no printer, so a run gets past its preparation only in a view that prepares without the
// dialog; it stops there, saying so.
void CView::OnFilePrint() {
    CPrintInfo info;
    const MSG* msg = AfxGetCurrentMessage();
    info.m_bDirect = msg && msg->message == WM_COMMAND && LOWORD(msg->wParam) == ID_FILE_PRINT_DIRECT;
    if (OnPreparePrinting(&info))
        AfxMessageBox(u"Printing is not available.", MB_OK | MB_ICONINFORMATION);
}

void CView::OnFilePrintPreview() {
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (OnPreparePrinting(&info))
        AfxMessageBox(u"Printing is not available.", MB_OK | MB_ICONINFORMATION);
}
