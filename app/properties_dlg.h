// CPropertiesDlg: the properties of a found file or folder: the texts the list prepared and, for a folder,
// the files, sub-folders and size of its branch of the found-folder tree.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "app/message_dlg.h"
#include "app/results_host.h"
#include "controls/transparent_static.h"

// A folder's branch as the dialog shows it: "<files> File(s) and <folders> Folder(s)" (the folder itself not
// counted) and its size in whole MiB ("Less than 1 MB" below one). treeItem is the folder's tree item.
struct FolderTotalsText {
    CString contents;
    CString size;
};
FolderTotalsText CountFolderTotals(DWORD treeItem);

class CPropertiesDlg : public CDialog {
public:
    explicit CPropertiesDlg(const ItemProperties& item, CWnd* pParent = nullptr);

    // In the order of the dialog's statics 1067, 1066, 1043, 1068, 1069, 1020, 1019, 1017, 1018, 1016.
    CTransparentStatic m_statics[10];

protected:
    BOOL OnInitDialog() override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    ItemProperties m_item;
    CDialogSkin m_skin;
};
