// CPropertySheet and CPropertyPage: the pages' objects take their windows as the control makes
// them, and the control's notifications reach the pages' virtual functions.
#include "afx/property_sheet.h"
#include "afx/app.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {
// The sheet whose window the control is about to make on this thread.
thread_local CPropertySheet* t_pSheetInit = nullptr;
} // namespace

// ---- CPropertyPage ------------------------------------------------------------------------------
CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) {
    CommonConstruct(MAKEINTRESOURCEW(nIDTemplate), nIDCaption);
    m_nIDHelp = nIDTemplate;
}

CPropertyPage::CPropertyPage(LPCWSTR lpszTemplateName, UINT nIDCaption) {
    CommonConstruct(lpszTemplateName, nIDCaption);
}

void CPropertyPage::CommonConstruct(LPCWSTR lpszTemplateName, UINT nIDCaption) {
    m_lpszTemplateName = lpszTemplateName;
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_USECALLBACK;
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = lpszTemplateName;
    m_psp.pfnDlgProc = &PageDlgProc;
    m_psp.pfnCallback = &PageCallback;
    m_psp.lParam = (LPARAM)this;
    if (nIDCaption && m_strCaption.LoadString(nIDCaption)) {
        m_psp.pszTitle = m_strCaption;
        m_psp.dwFlags |= PSP_USETITLE;
    }
}

UINT CALLBACK CPropertyPage::PageCallback(HWND, UINT message, PROPSHEETPAGEW* ppsp) {
    if (message == PSPCB_CREATE && ppsp) {
        // The next window the thread makes is this page's: the hook attaches it before its
        // first message, and the page's WM_INITDIALOG takes the hook down again.
        auto* pPage = reinterpret_cast<CPropertyPage*>(ppsp->lParam);
        if (pPage->m_hWnd)
            return FALSE; // one window per page object
        HookWindowCreate(pPage);
    }
    return TRUE;
}

INT_PTR CALLBACK CPropertyPage::PageDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    UnhookWindowCreate();
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    auto* pPage = pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CPropertyPage)) ? static_cast<CPropertyPage*>(pWnd) : nullptr;
    return pPage ? pPage->OnInitDialog() : TRUE;
}

CPropertySheet* CPropertyPage::GetParentSheet() const {
    CWnd* p = m_hWnd ? GetParent() : nullptr;
    return p && p->IsKindOf(RUNTIME_CLASS(CPropertySheet)) ? static_cast<CPropertySheet*>(p) : nullptr;
}

void CPropertyPage::SetModified(BOOL bChanged) {
    if (!m_hWnd)
        return;
    HWND hSheet = ::GetParent(m_hWnd);
    ::SendMessageW(hSheet, bChanged ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd, 0);
}

void CPropertyPage::CancelToClose() {
    if (m_hWnd)
        ::SendMessageW(::GetParent(m_hWnd), PSM_CANCELTOCLOSE, 0, 0);
}

BOOL CPropertyPage::OnSetActive() {
    if (m_bFirstSetActive)
        m_bFirstSetActive = FALSE;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    if (!nm || nm->hwndFrom != ::GetParent(m_hWnd) || (UINT)nm->code > PSN_FIRST || (UINT)nm->code < PSN_LAST)
        return CDialog::OnNotify(wParam, lParam, pResult);
    LRESULT r = 0;
    switch (nm->code) {
    case PSN_SETACTIVE: r = OnSetActive() ? 0 : -1; break;
    case PSN_KILLACTIVE: r = OnKillActive() ? FALSE : TRUE; break;
    case PSN_APPLY: r = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE; break;
    case PSN_RESET: OnReset(); break;
    case PSN_QUERYCANCEL: r = OnQueryCancel() ? FALSE : TRUE; break;
    case PSN_WIZBACK: r = OnWizardBack(); break;
    case PSN_WIZNEXT: r = OnWizardNext(); break;
    case PSN_WIZFINISH: r = OnWizardFinish() ? FALSE : TRUE; break;
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
    if (pResult)
        *pResult = r;
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, r);
    return TRUE;
}

// ---- CPropertySheet -----------------------------------------------------------------------------
CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) {
    m_strCaption.LoadString(nIDCaption);
    CommonConstruct(pParentWnd, iSelectPage);
}

CPropertySheet::CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) : m_strCaption(pszCaption) {
    CommonConstruct(pParentWnd, iSelectPage);
}

void CPropertySheet::CommonConstruct(CWnd* pParentWnd, UINT iSelectPage) {
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.nStartPage = iSelectPage;
    m_psh.pfnCallback = &SheetCallback;
    m_pParentWnd = pParentWnd;
}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    if (!pPage)
        return;
    m_pages.Add(pPage);
    if (m_hWnd) {
        HPROPSHEETPAGE h = ::CreatePropertySheetPageW(&pPage->m_psp);
        if (!h || !SendMessage(PSM_ADDPAGE, 0, (LPARAM)h)) {
            if (h)
                ::DestroyPropertySheetPage(h);
            m_pages.RemoveAt(m_pages.GetSize() - 1);
        }
    }
}

void CPropertySheet::RemovePage(CPropertyPage* pPage) { RemovePage(GetPageIndex(pPage)); }

void CPropertySheet::RemovePage(int nPage) {
    if (nPage < 0 || nPage >= GetPageCount())
        return;
    if (m_hWnd)
        SendMessage(PSM_REMOVEPAGE, (WPARAM)nPage);
    m_pages.RemoveAt(nPage);
}

int CPropertySheet::GetPageCount() const { return (int)m_pages.GetSize(); }

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
    return nPage >= 0 && nPage < GetPageCount() ? static_cast<CPropertyPage*>(m_pages[nPage]) : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const {
    for (int i = 0; i < GetPageCount(); ++i)
        if (m_pages[i] == pPage)
            return i;
    return -1;
}

int CPropertySheet::GetActiveIndex() const {
    if (!m_hWnd)
        return (int)m_psh.nStartPage;
    HWND hPage = (HWND)SendMessage(PSM_GETCURRENTPAGEHWND);
    for (int i = 0; i < GetPageCount(); ++i)
        if (GetPage(i)->m_hWnd == hPage && hPage)
            return i;
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

BOOL CPropertySheet::SetActivePage(int nPage) {
    if (nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = (UINT)nPage;
        return TRUE;
    }
    return (BOOL)SendMessage(PSM_SETCURSEL, (WPARAM)nPage);
}

void CPropertySheet::SetTitle(LPCWSTR lpszText, UINT nStyle) {
    m_strCaption = lpszText;
    m_psh.dwFlags = (m_psh.dwFlags & ~(DWORD)PSH_PROPTITLE) | (nStyle & PSH_PROPTITLE);
    if (m_hWnd)
        SendMessage(PSM_SETTITLEW, nStyle, (LPARAM)lpszText);
}

void CPropertySheet::EndDialog(int nEndID) {
    if (!m_hWnd)
        return;
    PressButton(nEndID == IDOK ? PSBTN_OK : PSBTN_CANCEL);
}

void CPropertySheet::BuildHeader(BOOL bModeless) {
    m_pageBlocks.clear();
    for (int i = 0; i < GetPageCount(); ++i) {
        CPropertyPage* pPage = GetPage(i);
        pPage->m_bFirstSetActive = TRUE;
        m_pageBlocks.push_back(pPage->m_psp);
    }
    m_psh.pszCaption = m_strCaption;
    m_psh.nPages = (UINT)m_pageBlocks.size();
    m_psh.ppsp = m_pageBlocks.empty() ? nullptr : m_pageBlocks.data();
    m_psh.dwFlags = (m_psh.dwFlags | PSH_PROPSHEETPAGE | PSH_USECALLBACK) & ~(DWORD)PSH_MODELESS;
    if (bModeless)
        m_psh.dwFlags |= PSH_MODELESS;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hWnd, UINT message, LPARAM) {
    if (message == PSCB_PRECREATE && t_pSheetInit)
        HookWindowCreate(t_pSheetInit);
    else if (message == PSCB_INITIALIZED && t_pSheetInit)
        UnhookWindowCreate();
    return 0;
}

INT_PTR CPropertySheet::DoModal() {
    if (m_hWnd || m_pages.IsEmpty())
        return -1;
    CWnd* pParent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_psh.hwndParent = pParent ? pParent->GetTopLevelParent()->m_hWnd : nullptr;
    BuildHeader(FALSE);
    CPropertySheet* pPrev = t_pSheetInit;
    t_pSheetInit = this;
    INT_PTR r = ::PropertySheetW(&m_psh);
    t_pSheetInit = pPrev;
    // The control destroyed its window; an object still holding it lets go.
    if (m_hWnd && !::IsWindow(m_hWnd))
        Detach();
    for (int i = 0; i < GetPageCount(); ++i)
        if (CPropertyPage* p = GetPage(i); p->m_hWnd && !::IsWindow(p->m_hWnd))
            p->Detach();
    if (r < 0)
        return -1;
    return r > 0 ? IDOK : IDCANCEL;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD, DWORD) {
    if (m_hWnd || m_pages.IsEmpty())
        return FALSE;
    m_pParentWnd = pParentWnd;
    m_psh.hwndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    BuildHeader(TRUE);
    CPropertySheet* pPrev = t_pSheetInit;
    t_pSheetInit = this;
    HWND h = (HWND)::PropertySheetW(&m_psh);
    t_pSheetInit = pPrev;
    return h != nullptr && h != (HWND)(INT_PTR)-1 && m_hWnd == h;
}
