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
    // The shell's name for the type, asked by attributes: an extension the shell has no type for
    // is named after itself ("XYZ 文件"), a name without one is "文件". Empty only when the shell
    // cannot answer (no name).
    static CString GetTypeName(LPCWSTR lpszFileName);
};
