// CPlainFileDialog: the open and save dialog of the snapshot commands, on the system's file dialog.
#pragma once

#include "afx/afx.h"
#include "afx/wnd.h"
#include "win32/dialogs.h"

#include <vector>

class CPlainFileDialog {
public:
    // filter: description and pattern pairs separated by '|' and ended by "||" (or a single pattern).
    CPlainFileDialog(BOOL bOpen, LPCWSTR defaultExt, LPWSTR fileBuffer, DWORD flags, LPCWSTR filter,
                     CWnd* pOwner);
    INT_PTR DoModal();
    // The chosen file (the first one of a multiple selection).
    CString GetPathName() const;
    // Every chosen file, each joined to the folder of a multiple selection.
    std::vector<CString> GetPathNames() const;

    OPENFILENAMEW m_ofn{};

private:
    BOOL m_bOpen;
    WCHAR m_szFile[260] = {};
    WCHAR m_szFileTitle[260] = {};
    WCHAR m_szUnused[260] = {};
    std::vector<WCHAR> m_filter;
};
