// The recovery settings dialog.
#include "app/settings_dlg.h"

#include "app/dialog_skin.h"
#include "engine/engine_state.h"
#include "tool_dialogs_res.h"

#include <string>

namespace {

const int kGroups[] = {IDC_SET_GROUP_READ, IDC_SET_GROUP_DUPLICATE, IDC_SET_GROUP_DELETED, IDC_SET_GROUP_BAD};
const int kLabels[] = {IDC_SET_SECTORS_LABEL, IDC_SET_RETRIES_LABEL,         IDC_SET_RENAME_LABEL,
                       IDC_SET_OVERWRITE_LABEL, IDC_SET_SKIP_LABEL,          IDC_SET_INCLUDE_DELETED_LABEL,
                       IDC_SET_ONLY_DELETED_LABEL, IDC_SET_EXCLUDE_DELETED_LABEL};
const int kDuplicateRadios[] = {IDC_SET_RENAME, IDC_SET_OVERWRITE, IDC_SET_SKIP};
const int kDeletedRadios[] = {IDC_SET_INCLUDE_DELETED, IDC_SET_ONLY_DELETED, IDC_SET_EXCLUDE_DELETED};

// The combo's texts "1" to last; the layer applies no dialog init data.
void FillNumbers(CComboBox& combo, int last)
{
    for (int n = 1; n <= last; ++n) {
        const std::string s = std::to_string(n);
        combo.AddString(CString(std::u16string(s.begin(), s.end()).c_str()));
    }
}

// The 1-based mode of the checked radio of three, or the old mode when none is checked.
WORD CheckedMode(HWND dialog, const int (&radios)[3], WORD old)
{
    for (int i = 0; i < 3; ++i)
        if (::SendMessageW(::GetDlgItem(dialog, radios[i]), BM_GETCHECK, 0, 0) == BST_CHECKED)
            return WORD(i + 1);
    return old;
}

void CheckMode(HWND dialog, const int (&radios)[3], WORD mode)
{
    if (mode >= 1 && mode <= 3)
        ::SendMessageW(::GetDlgItem(dialog, radios[mode - 1]), BM_SETCHECK, BST_CHECKED, 0);
}

} // namespace

BEGIN_MESSAGE_MAP(CRecoverySettingsDlg, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CRecoverySettingsDlg::CRecoverySettingsDlg(CWnd* pParent)
    : CDialog(IDD_RECOVERY_SETTINGS, pParent)
{
}

BOOL CRecoverySettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < 4; ++i)
        if (HWND item = ::GetDlgItem(m_hWnd, kGroups[i])) {
            m_groups[i].SubclassWindow(item);
            m_groups[i].SetCaptionTextColor(RGB(255, 255, 255)).SetBackgroundColor(RGB(58, 110, 165)).SetFontBold(TRUE);
        }
    for (int i = 0; i < 8; ++i)
        if (HWND item = ::GetDlgItem(m_hWnd, kLabels[i]))
            m_labels[i].SubclassWindow(item);
    if (HWND item = ::GetDlgItem(m_hWnd, IDC_SET_SECTORS))
        m_sectors.SubclassWindow(item);
    if (HWND item = ::GetDlgItem(m_hWnd, IDC_SET_RETRIES))
        m_retries.SubclassWindow(item);
    FillNumbers(m_sectors, 100);
    FillNumbers(m_retries, 10);
    m_sectors.SetCurSel(int(SectorsPerRead) - 1);
    m_retries.SetCurSel(int(RetryCount) - 1);
    CheckMode(m_hWnd, kDuplicateRadios, DuplicateFileMode);
    CheckMode(m_hWnd, kDeletedRadios, DeletedFileMode);
    return TRUE;
}

void CRecoverySettingsDlg::OnOK()
{
    // A combo without a selection keeps its setting, so a value outside the lists is never written.
    if (const int sel = m_sectors.GetCurSel(); sel >= 0 && sel < 100)
        SectorsPerRead = DWORD(sel + 1);
    if (const int sel = m_retries.GetCurSel(); sel >= 0 && sel < 10)
        RetryCount = WORD(sel + 1);
    DuplicateFileMode = CheckedMode(m_hWnd, kDuplicateRadios, DuplicateFileMode);
    DeletedFileMode = CheckedMode(m_hWnd, kDeletedRadios, DeletedFileMode);
    CDialog::OnOK();
}

BOOL CRecoverySettingsDlg::OnEraseBkgnd(CDC* pDC)
{
    return PaintDialogSkin(this, pDC, IDB_SETTINGS_SKIN) ? TRUE : (BOOL)Default();
}
