// CRecoverySettingsDlg: the recovery settings of the run: sectors per read attempt, retries of a bad sector,
// what to do with duplicate names and with deleted files. The settings live in memory only.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "afx/std_controls.h"
#include "controls/transparent_static.h"
#include "controls/xp_group_box.h"

class CRecoverySettingsDlg : public CDialog {
public:
    explicit CRecoverySettingsDlg(CWnd* pParent = nullptr);

    CXPGroupBox m_groups[4];
    CTransparentStatic m_labels[8];
    CComboBox m_sectors;
    CComboBox m_retries;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
