// The file filter dialog.
#include "app/filter_dlg.h"

#include "app/found_tree_ctrl.h"
#include "engine/engine_state.h"
#include "tool_dialogs_res.h"

namespace {

// The most masks the table holds; the hundredth is refused.
constexpr int kMaxMasks = 99;
constexpr int kMaxMaskChars = kFilterMaskChars - 1;

void Refuse(LPCWSTR text)
{
    ShowAppMessage(text, MSG_KIND_ERROR);
}

} // namespace

BEGIN_MESSAGE_MAP(CFilterDlg, CDialog)
    ON_BN_CLICKED(IDC_FILTER_REMOVE, OnRemove)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CFilterDlg::CFilterDlg(CFoundTreeCtrl* tree, CWnd* pParent)
    : CDialog(IDD_FILE_FILTER, pParent), m_pTree(tree), m_skin(IDB_FILTER_SKIN)
{
}

BOOL CFilterDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (HWND item = ::GetDlgItem(m_hWnd, IDC_FILTER_PROMPT))
        m_prompt.SubclassWindow(item);
    if (HWND item = ::GetDlgItem(m_hWnd, IDC_FILTER_EDIT))
        m_edit.SubclassWindow(item);
    if (HWND item = ::GetDlgItem(m_hWnd, IDC_FILTER_LIST))
        m_list.SubclassWindow(item);
    const DWORD count = FileTypeFilterCount < DWORD(kMaxFileTypeFilters) ? FileTypeFilterCount : kMaxFileTypeFilters;
    for (DWORD i = 0; i < count; ++i)
        m_list.AddString(FileTypeFilterTable[i]);
    m_edit.SetFocus();
    // The focus was set here.
    return FALSE;
}

void CFilterDlg::OnOK()
{
    if (m_list.GetCount() >= kMaxMasks) {
        Refuse(u"      You cannot add more Filters     ");
        return;
    }
    CString text;
    m_edit.GetWindowText(text);
    if (text.GetLength() > kMaxMaskChars) {
        Refuse(u"      Filter too long     ");
        m_edit.SetSel(0, kMaxMaskChars);
        m_edit.SendMessage(EM_SCROLLCARET, 0, 0);
        m_edit.SetFocus();
        return;
    }
    if (text.IsEmpty()) {
        Refuse(u"      You can not add a blank entry.     ");
        m_edit.SetFocus();
        return;
    }
    for (int i = 0; i < m_list.GetCount(); ++i) {
        CString entry;
        m_list.GetText(i, entry);
        if (entry == text) {
            Refuse(u"      Filter already exists in the list     ");
            m_edit.SetSel(0, -1);
            m_edit.SetFocus();
            return;
        }
    }
    m_list.AddString(text);
    FileTypeFilterCount = DWORD(m_list.GetCount());
    m_edit.SetWindowText(u"");
    m_edit.SetFocus();
}

void CFilterDlg::OnRemove()
{
    const int selected = m_list.GetCurSel();
    if (selected < 0)
        return;
    m_list.DeleteString(selected);
    FileTypeFilterCount = DWORD(m_list.GetCount());
}

void CFilterDlg::OnCancel()
{
    const int count = m_list.GetCount() < kMaxMasks ? m_list.GetCount() : kMaxMasks;
    for (int i = 0; i < count; ++i) {
        CString entry;
        m_list.GetText(i, entry);
        lstrcpynW(FileTypeFilterTable[i], entry, kFilterMaskChars);
    }
    FileTypeFilterCount = DWORD(count);
    if (m_pTree && m_pTree->GetSafeHwnd()) {
        // The folder on show is refilled by the filler of the current result, so the rows follow the new
        // masks where the user is; with no folder selected, the top one.
        HTREEITEM item = m_pTree->GetSelectedItem();
        if (!item)
            item = m_pTree->GetRootItem();
        m_pTree->SetFocus();
        if (item) {
            m_pTree->SelectItem(item);
            m_pTree->ShowFolderOfItem(item);
            m_pTree->SyncListChecks(item);
        }
    }
    CDialog::OnCancel();
}

BOOL CFilterDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.Paint(pDC) ? TRUE : (BOOL)Default();
}
