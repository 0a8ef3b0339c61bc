// The partition-choice dialog: its answer becomes the search's PartitionSearchChoice.
#include "app/partition_choice_dialog.h"

#include "engine/partition_table.h"
#include "app/dialog_skin.h"
#include "res/app/wizard_front_res.h"

BEGIN_MESSAGE_MAP(CPartitionChoiceDlg, CDialog)
    ON_WM_ERASEBKGND()
    ON_CONTROL(STN_CLICKED, IDC_CHOICE_EXISTING_LABEL, OnExistingLabel)
    ON_CONTROL(STN_CLICKED, IDC_CHOICE_SEARCH_LABEL, OnSearchLabel)
END_MESSAGE_MAP()

CPartitionChoiceDlg::CPartitionChoiceDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CPartitionChoiceDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_group.SubclassDlgItem(IDC_CHOICE_GROUP, this);
    m_existingLabel.SubclassDlgItem(IDC_CHOICE_EXISTING_LABEL, this);
    m_searchLabel.SubclassDlgItem(IDC_CHOICE_SEARCH_LABEL, this);
    m_group.SetBackgroundColor(RGB(255, 255, 255));
    ::CheckRadioButton(m_hWnd, IDC_CHOICE_EXISTING, IDC_CHOICE_SEARCH, IDC_CHOICE_EXISTING);
    return TRUE;
}

void CPartitionChoiceDlg::OnOK()
{
    // The checked button answers; with neither checked the table is kept, as the dialog offers by default.
    PartitionSearchChoice = ::IsDlgButtonChecked(m_hWnd, IDC_CHOICE_SEARCH) == BST_CHECKED ? 1 : 0;
    CDialog::OnOK();
}

// A label stands for its button, as the text of a button with its own caption would.
void CPartitionChoiceDlg::ChooseByLabel(int button)
{
    if (HWND item = ::GetDlgItem(m_hWnd, button)) {
        ::SetFocus(item);
        ::SendMessageW(item, BM_CLICK, 0, 0);
    }
}

void CPartitionChoiceDlg::OnExistingLabel() { ChooseByLabel(IDC_CHOICE_EXISTING); }

void CPartitionChoiceDlg::OnSearchLabel() { ChooseByLabel(IDC_CHOICE_SEARCH); }

BOOL CPartitionChoiceDlg::OnEraseBkgnd(CDC* dc)
{
    return PaintDialogSkin(this, dc, IDB_PARTITION_CHOICE_SKIN) || Default();
}
