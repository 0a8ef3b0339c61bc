// CPropertySheet and CPropertyPage over the layer's property sheet control.
#pragma once

#include "afx/dialog.h"
#include "afx/collections.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
    explicit CPropertyPage(LPCWSTR lpszTemplateName, UINT nIDCaption = 0);
    // Tells the sheet that the page has changes to apply (or no longer has).
    void SetModified(BOOL bChanged = TRUE);
    void CancelToClose();
    CPropertySheet* GetParentSheet() const;

    // Becoming the current page: its data goes to its controls the first time.
    virtual BOOL OnSetActive();
    // Leaving the page: FALSE keeps it current when its data does not validate.
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    // The sheet's buttons, not the page's: neither ends a dialog.
    void OnOK() override;
    void OnCancel() override;
    virtual BOOL OnQueryCancel() { return TRUE; }
    virtual LRESULT OnWizardBack() { return 0; }
    virtual LRESULT OnWizardNext() { return 0; }
    virtual BOOL OnWizardFinish() { return TRUE; }

    PROPSHEETPAGEW m_psp{};

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void CommonConstruct(LPCWSTR lpszTemplateName, UINT nIDCaption);
    static UINT CALLBACK PageCallback(HWND hWnd, UINT message, PROPSHEETPAGEW* ppsp);
    static INT_PTR CALLBACK PageDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    CString m_strCaption;
    BOOL m_bFirstSetActive = TRUE;
    friend class CPropertySheet;
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet() { CommonConstruct(nullptr, 0); }
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const;
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(CPropertyPage* pPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }
    void SetTitle(LPCWSTR lpszText, UINT nStyle = 0);
    void SetWizardMode() { m_psh.dwFlags |= PSH_WIZARD; }
    void SetWizardButtons(DWORD dwFlags) { SendMessage(PSM_SETWIZBUTTONS, 0, (LPARAM)dwFlags); }
    BOOL PressButton(int nButton) { return (BOOL)SendMessage(PSM_PRESSBUTTON, (WPARAM)nButton); }
    CWnd* GetTabControl() const { return CWnd::FromHandle((HWND)SendMessage(PSM_GETTABCONTROL)); }
    void EndDialog(int nEndID);

    // IDOK or IDCANCEL by the button that closed the sheet; -1 when it could not be shown.
    virtual INT_PTR DoModal();
    // Modeless; the sheet's window belongs to the object until it is destroyed.
    virtual BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0);

    PROPSHEETHEADERW m_psh{};
    CWnd* m_pParentWnd = nullptr;

protected:
    void CommonConstruct(CWnd* pParentWnd, UINT iSelectPage);
    // The header with the pages in order, ready for the control.
    void BuildHeader(BOOL bModeless);
    static int CALLBACK SheetCallback(HWND hWnd, UINT message, LPARAM lParam);
    CPtrArray m_pages;
    CString m_strCaption;
    std::vector<PROPSHEETPAGEW> m_pageBlocks;
};
