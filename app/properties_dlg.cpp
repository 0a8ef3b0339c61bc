// The properties dialog.
#include "app/properties_dlg.h"

#include "engine/engine_state.h"
#include "engine/selection_size.h"
#include "tool_dialogs_res.h"

#include <string>

namespace {

const int kStaticIds[10] = {IDC_PROP_MODIFIED,       IDC_PROP_CREATED,       IDC_PROP_NAME,
                            IDC_PROP_SIZE,           IDC_PROP_CONTENTS,      IDC_PROP_MODIFIED_LABEL,
                            IDC_PROP_CREATED_LABEL,  IDC_PROP_SIZE_LABEL,    IDC_PROP_CONTENTS_LABEL,
                            IDC_PROP_NAME_LABEL};

CString Number(ULONGLONG value)
{
    const std::string s = std::to_string(value);
    return CString(std::u16string(s.begin(), s.end()).c_str());
}

} // namespace

FolderTotalsText CountFolderTotals(DWORD treeItem)
{
    // The count borrows the selection's counters; the selection keeps its own values.
    ULONGLONG saved[4];
    std::copy(std::begin(SelectionTotals), std::end(SelectionTotals), saved);
    SelectionTotals[0] = SelectionTotals[1] = SelectionTotals[2] = 0;
    CountBranch(treeItem);
    const ULONGLONG files = SelectionTotals[0];
    const ULONGLONG bytes = SelectionTotals[1];
    const ULONGLONG folders = SelectionTotals[2] ? SelectionTotals[2] - 1 : 0;
    std::copy(std::begin(saved), std::end(saved), SelectionTotals);

    FolderTotalsText out;
    out.contents = Number(files) + u" File(s) and " + Number(folders) + u" Folder(s)";
    const ULONGLONG mib = bytes / 1024 / 1024;
    out.size = (mib == 0 ? CString(u"Less than 1") : Number(mib)) + u" MB";
    return out;
}

BEGIN_MESSAGE_MAP(CPropertiesDlg, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CPropertiesDlg::CPropertiesDlg(const ItemProperties& item, CWnd* pParent)
    : CDialog(IDD_PROPERTIES, pParent), m_item(item), m_skin(IDB_PROPERTIES_SKIN)
{
}

BOOL CPropertiesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < 10; ++i)
        if (HWND item = ::GetDlgItem(m_hWnd, kStaticIds[i]))
            m_statics[i].SubclassWindow(item);
    SetDlgItemText(IDC_PROP_NAME, m_item.name);
    SetDlgItemText(IDC_PROP_CREATED, m_item.created);
    SetDlgItemText(IDC_PROP_MODIFIED, m_item.modified);
    if (!m_item.folder) {
        SetDlgItemText(IDC_PROP_SIZE, m_item.size);
        return TRUE;
    }
    const FolderTotalsText totals = CountFolderTotals(m_item.id);
    SetDlgItemText(IDC_PROP_CONTENTS, totals.contents);
    SetDlgItemText(IDC_PROP_SIZE, totals.size);
    return TRUE;
}

BOOL CPropertiesDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.Paint(pDC) ? TRUE : (BOOL)Default();
}

void RunPropertiesDialog(const ItemProperties& item)
{
    CPropertiesDlg dlg(item);
    dlg.DoModal();
}
