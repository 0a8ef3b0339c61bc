// The drive information dialog.
#include "app/drive_info_dlg.h"

#include "app/dialog_skin.h"
#include "engine/engine_state.h"
#include "tool_dialogs_res.h"

#include <string>

namespace {

const int kLabelIds[8] = {IDC_INFO_FS_LABEL,      IDC_INFO_ORIGIN_LABEL, IDC_INFO_FOLDERS_LABEL, IDC_INFO_FILES_LABEL,
                          IDC_INFO_CLUSTER_LABEL, IDC_INFO_FAT1_LABEL,   IDC_INFO_FAT2_LABEL,    IDC_INFO_MFT_LABEL};
const int kValueIds[8] = {IDC_INFO_FS,      IDC_INFO_ORIGIN, IDC_INFO_FOLDERS, IDC_INFO_FILES,
                          IDC_INFO_CLUSTER, IDC_INFO_FAT1,   IDC_INFO_FAT2,    IDC_INFO_MFT};

CString Number(ULONGLONG value)
{
    const std::string s = std::to_string(value);
    return CString(std::u16string(s.begin(), s.end()).c_str());
}

DWORD FullScanNtfsFileCount()
{
    DWORD count = 0;
    for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
        ++count;
    return count;
}

} // namespace

std::array<CString, 8> DriveInfoValues()
{
    const PartitionParamsBlock& p = PartitionParams;
    const bool ntfs = p.FsType == FS_KIND_NTFS;
    std::array<CString, 8> v;
    v[0] = ntfs ? u"NTFS" : p.FsType == FS_KIND_FAT32 ? u"FAT32" : p.FsType == FS_KIND_FAT16 ? u"FAT16" : u"";
    v[1] = Number(p.DataOrigin);
    // File tracing finds no folders: its groups are counted as the files' line, computed here, so the
    // engine's counters stay as the scan left them.
    const bool tracing = ScanMode == 1;
    v[2] = tracing ? CString(u"0") : Number(FoundFolderCount);
    DWORD files = FoundFileCount;
    if (tracing)
        files = FoundFolderCount;
    else if (ScanMode == 0 && ntfs)
        files = FullScanNtfsFileCount();
    v[3] = Number(files);
    v[4] = Number(p.SectorsPerCluster);
    v[5] = ntfs ? CString(u" ") : Number(p.Fat1Start);
    v[6] = ntfs ? CString(u" ") : Number(p.Fat2Start);
    v[7] = ntfs ? Number(p.MftSector) : CString(u" ");
    return v;
}

BEGIN_MESSAGE_MAP(CFileSystemInfoDlg, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CFileSystemInfoDlg::CFileSystemInfoDlg(CWnd* pParent) : CDialog(IDD_DRIVE_INFO, pParent) {}

BOOL CFileSystemInfoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const std::array<CString, 8> values = DriveInfoValues();
    for (int i = 0; i < 8; ++i) {
        if (HWND label = ::GetDlgItem(m_hWnd, kLabelIds[i]))
            m_labels[i].SubclassWindow(label);
        if (HWND value = ::GetDlgItem(m_hWnd, kValueIds[i])) {
            m_values[i].SubclassWindow(value);
            m_values[i].SetWindowText(values[i]);
        }
    }
    return TRUE;
}

BOOL CFileSystemInfoDlg::OnEraseBkgnd(CDC* pDC)
{
    return PaintDialogSkin(this, pDC, IDB_DRIVE_INFO_SKIN) ? TRUE : (BOOL)Default();
}
