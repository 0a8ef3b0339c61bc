// CFileDialog, CColorDialog and CPrintDialog: the framework's faces of the common file, colour and print
// dialogs, and CPrintInfo, what a view's print run carries.
#pragma once

#include "afx/dialog.h"
#include "afx/collections.h"

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // The filter is written "description|patterns|...||"; the '|' become the nulls the dialog reads.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = nullptr, LPCWSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr, DWORD dwSize = 0);
    // IDOK with the chosen name, IDCANCEL when the user cancelled or the dialog failed.
    INT_PTR DoModal() override;
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    CString GetFolderPath() const;
    BOOL GetReadOnlyPref() const { return (m_ofn.Flags & OFN_READONLY) != 0; }
    // Walks the names of a multiple selection; each is the folder joined with the name.
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;

    OPENFILENAMEW m_ofn{};
    BOOL m_bOpenFileDialog;

protected:
    CString m_strFilter;
    CString m_strDefExt;
    WCHAR m_szFileTitle[64] = {};
    WCHAR m_szFileName[MAX_PATH * 2] = {};
};

class CColorDialog : public CDialog {
    DECLARE_DYNAMIC(CColorDialog)
public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
    INT_PTR DoModal() override;
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void SetCurrentColor(COLORREF clr) { m_cc.rgbResult = clr; }
    static COLORREF* PASCAL GetSavedCustomColors();
    CHOOSECOLORW m_cc{};
};

class CPrintDialog : public CDialog {
    DECLARE_DYNAMIC(CPrintDialog)
public:
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                          PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    // IDOK with the printer's device context in m_pd.hDC (PD_RETURNDC), else IDCANCEL.
    INT_PTR DoModal() override;
    HDC GetPrinterDC() const { return m_pd.hDC; }
    PRINTDLGW m_pd{};
};

// One print run of a view: the print dialog it is prepared with and where the run stands.
struct CPrintInfo {
    CPrintInfo();
    ~CPrintInfo();
    CPrintInfo(const CPrintInfo&) = delete;
    CPrintInfo& operator=(const CPrintInfo&) = delete;
    void SetMinPage(UINT nMinPage) { m_pPD->m_pd.nMinPage = WORD(nMinPage); }
    void SetMaxPage(UINT nMaxPage) { m_pPD->m_pd.nMaxPage = WORD(nMaxPage); }
    UINT GetMinPage() const { return m_pPD->m_pd.nMinPage; }
    UINT GetMaxPage() const { return m_pPD->m_pd.nMaxPage; }

    CPrintDialog* m_pPD;
    BOOL m_bDirect = FALSE;    // printed without the dialog (ID_FILE_PRINT_DIRECT)
    BOOL m_bPreview = FALSE;   // prepared for the print preview
    BOOL m_bContinuePrinting = TRUE;
    UINT m_nCurPage = 1;
    UINT m_nNumPreviewPages = 0;
    CRect m_rectDraw;
};
