// CFileSystemInfoDlg: the drive information of the volume under analysis: its file system, layout and
// the numbers of folders and files found. It reads the engine's state and never changes it.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "controls/transparent_static.h"

#include <array>

// The eight value texts, top to bottom: file system, data origin, folders, files, sectors per cluster,
// first FAT, second FAT, MFT start.
std::array<CString, 8> DriveInfoValues();

class CFileSystemInfoDlg : public CDialog {
public:
    explicit CFileSystemInfoDlg(CWnd* pParent = nullptr);

    CTransparentStatic m_labels[8];
    CTransparentStatic m_values[8];

protected:
    BOOL OnInitDialog() override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
