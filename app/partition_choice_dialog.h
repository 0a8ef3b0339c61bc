// CPartitionChoiceDlg: before the lost-partition search, whether to keep the disk's partition table or search it.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "controls/transparent_static.h"
#include "controls/xp_group_box.h"

class CPartitionChoiceDlg : public CDialog {
public:
    enum { IDD = 301 };
    explicit CPartitionChoiceDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    CXPGroupBox m_group;
    CTransparentStatic m_existingLabel;
    CTransparentStatic m_searchLabel;

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnExistingLabel();
    afx_msg void OnSearchLabel();
    DECLARE_MESSAGE_MAP()

private:
    void ChooseByLabel(int button);
};
