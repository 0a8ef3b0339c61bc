// CFileDialog and CColorDialog: the framework's faces of the common file and colour dialogs.
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
