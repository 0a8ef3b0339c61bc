// The preview of a found file: a clicked file row is copied into the private temporary folder and
// handed to the preview pane; folders, "Parent..." and files too large get the pane's other pages.
#include "app/found_list_ctrl.h"

#include "app/found_records.h"
#include "app/found_tree_ctrl.h"
#include "app/results_host.h"
#include "engine/engine_state.h"
#include "engine/recovery_writer.h"

#include <vector>

WCHAR PreviewTempName[MAX_PATH] = {};
DWORD PreviewTempCounter = 0;
CString PreviewItemPath;
// "PAth" matches no real path, so the first file always counts as new.
CString LastPreviewPath = u"PAth";
DWORD LastPreviewId = (DWORD)-1;

namespace {

// The text after the last ".", or the whole text when there is none.
CString ExtensionOf(const CString& name)
{
    const int dot = name.ReverseFind(u'.');
    return dot < 0 ? name : name.Mid(dot + 1);
}

bool FileExists(const CString& path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

CString WithSeparator(const CString& folder)
{
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != u'\\' && folder[folder.GetLength() - 1] != u'/')
        return folder + u"\\";
    return folder;
}

} // namespace

CString CFoundListCtrl::PreviewFolder()
{
    WCHAR folder[1024] = {};
    if (!GetTempPathW(1023, folder))
        return CString();
    return WithSeparator(folder);
}

void CFoundListCtrl::PreviewFile(const CString& path, BOOL show)
{
    if (!show)
        return;
    if (m_pHost) {
        m_pHost->BeginBusy();
        m_pHost->PreviewItem(path, CString(u".") + ExtensionOf(path));
        m_pHost->EndBusy();
        m_pHost->SetPreviewableFlag(0);
    }
}

BOOL CFoundListCtrl::CanPreview(const CString& name)
{
    if (m_pHost)
        m_pHost->SetNoPreviewItemFlag(0);
    CString lower = name;
    lower.MakeLower();
    const CString extension = CString(u".") + ExtensionOf(lower);
    if (m_pHost && m_pHost->IsPreviewableExtension(extension))
        return TRUE;
    if (m_pHost)
        m_pHost->PreviewItem(CString(), CString());
    return FALSE;
}

CString CFoundListCtrl::MakeTempPreviewName(const CString& fileName)
{
    // The extension comes from a name on the disk: made safe as part of one file name, so that
    // separators or ".." cannot steer the copy out of the temporary folder.
    CString extension = ExtensionOf(fileName);
    extension.MakeLower();
    std::vector<WCHAR> safe;
    SanitizeNameComponent(extension, &safe);
    extension = safe.data();
    if (extension.GetLength() > 32)
        extension = extension.Left(32);
    const CString folder = PreviewFolder();
    CString name;
    for (;;) {
        name.Format(u"tmp%u.%s", PreviewTempCounter, (LPCWSTR)extension);
        if (!FileExists(folder + name))
            break;
        ++PreviewTempCounter;
    }
    PreviewTempFiles.SetAt(PreviewTempCounter, folder + name);
    return name;
}

BOOL CFoundListCtrl::IsNewPreview(const CString& folder, const CString& fileName, DWORD id)
{
    CString path = WithSeparator(folder) + fileName;
    path.MakeLower();
    if (path.CompareNoCase(LastPreviewPath) == 0 && id == LastPreviewId)
        return FALSE;
    LastPreviewPath = path;
    LastPreviewId = id;
    return TRUE;
}

void CFoundListCtrl::BuildPreviewItemPath(DWORD folderId, const CString& fileName)
{
    const DWORD item = ItemOfFolderId(folderId);
    if (!item || !m_pTree)
        return;
    PreviewItemPath = CString(u"\\") + m_pTree->GetItemPath(CFoundTreeCtrl::ToItem(item)) + u"\\" + fileName;
    if (m_pHost)
        m_pHost->PreviewPathChanged();
}

void CFoundListCtrl::PreviewRow(int row, BOOL onCheckBox)
{
    if (GetItemCount() == 0 || row < 0 || row >= GetItemCount())
        return;
    PreviewItemPath.Empty();
    auto noPreview = [this](const CString& last) {
        LastPreviewPath = last;
        if (m_pHost) {
            m_pHost->SetNoPreviewItemFlag(1);
            m_pHost->SetPreviewableFlag(0);
        }
        PreviewFile(CString(), TRUE);
    };
    const CString name = GetItemText(row, 0);
    if (name.CompareNoCase(u"Parent...") == 0) {
        noPreview(CString());
        return;
    }
    const WORD fs = PartitionParams.FsType;
    if (fs != FS_KIND_FAT16 && fs != FS_KIND_FAT32 && fs != FS_KIND_NTFS)
        return;
    if (IsFolderRow(row)) {
        if (!onCheckBox)
            noPreview(CString());
        return;
    }
    const bool tracing = IsTracingResult();
    ULONGLONG size = 0;
    if (tracing) {
        if (GetItemText(row, 2) == u"-") {
            noPreview(name);
            return;
        }
    } else {
        size = wcstoull(GetItemText(row, 2), nullptr, 10);
    }
    const DWORD id = RowId(row);
    const CString folder = PreviewFolder();
    FoundFileRef file;
    if (folder.IsEmpty() || !FindFileById(id, &file))
        return;
    lstrcpynW(PreviewTempName, MakeTempPreviewName(file.name), MAX_PATH);
    if (onCheckBox)
        return;
    if (!CanPreview(name)) {
        if (m_pHost) {
            m_pHost->SetNoPreviewItemFlag(0);
            m_pHost->SetPreviewableFlag(1);
        }
        PreviewFile(CString(), TRUE);
        LastPreviewPath = name;
        return;
    }
    if (!tracing && size > kPreviewSizeLimit) {
        PreviewFile(u"largefile", TRUE);
        SetFocus();
        LastPreviewPath = name;
        return;
    }
    if (!IsNewPreview(folder, name, id))
        return;
    int written = 0;
    if (tracing)
        written = SaveTracedExtent(folder, PreviewTempName, file.startSector);
    else if (IsFatResult())
        written = RecoverFatFile(folder, id, 0, file.startCluster, DWORD(file.size), PreviewTempName, file.deleted);
    else
        written = RecoverNtfsFile(folder, PreviewTempName, DWORD(file.size), DWORD(file.size >> 32), id, 0, file.deleted);
    if (written) {
        // The pane's header names the file only once its copy exists.
        if (!tracing)
            BuildPreviewItemPath(file.parentId, name);
    } else {
        // A failed copy is tried again on the next click.
        LastPreviewPath = u"PAth";
        LastPreviewId = (DWORD)-1;
    }
    PreviewFile(folder + PreviewTempName, written);
    Invalidate();
    UpdateWindow();
}
