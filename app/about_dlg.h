// CAboutDlg: the About box, on its skin, with three links.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "app/message_dlg.h"
#include "controls/hyperlink_static.h"
#include "controls/transparent_static.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

    CDialogSkin m_skin;
    CTransparentStatic m_title;
    CTransparentStatic m_line2;
    CHyperlinkStatic m_linkWeb;
    CHyperlinkStatic m_linkMail;
    CHyperlinkStatic m_linkHelp;
};
