// CShellFileInfo: the shell's system image lists, icon indexes and type names, asked by name only.
#pragma once

#include "afx/afx.h"
#include "win32/shell.h"

class CShellFileInfo {
public:
    virtual ~CShellFileInfo() = default;

    static HIMAGELIST GetSystemImageList(BOOL bSmall);
    static int GetIconIndex(LPCWSTR lpszFileName, BOOL bSmall);
    static int GetFolderIconIndex(BOOL bSmall);
    static CString GetTypeName(LPCWSTR lpszFileName);
};
