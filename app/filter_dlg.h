// CFilterDlg: the file filter: the name masks that limit what the found-file list shows and what a save
// run writes. Closing writes the masks into the engine's table and refills the folder on show.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "afx/std_controls.h"
#include "app/message_dlg.h"
#include "controls/transparent_static.h"

class CFoundTreeCtrl;

class CFilterDlg : public CDialog {
public:
    // tree: the results page's found-folder tree whose selected folder is refilled on close (may be null).
    explicit CFilterDlg(CFoundTreeCtrl* tree, CWnd* pParent = nullptr);

    // Add (button 1 and Enter), Remove (1062) and Close (button 2 and Escape).
    void OnOK() override;
    afx_msg void OnRemove();
    void OnCancel() override;

    CTransparentStatic m_prompt;
    CEdit m_edit;
    CListBox m_list;

protected:
    BOOL OnInitDialog() override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    CFoundTreeCtrl* m_pTree;
    CDialogSkin m_skin;
};
