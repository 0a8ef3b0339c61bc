// CBannerDlg: the banner in the main frame's top right corner, one picture button that opens the maker's page.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "controls/skin_button.h"

// The maker's web page that the banner and the About box open.
extern const WCHAR kMakerWebPage[];

class CBannerDlg : public CDialog {
public:
    CBannerDlg() = default;
    // A child dialog of the parent, shown.
    BOOL Create(CWnd* pParent);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()

    CSkinButton m_link;
};
