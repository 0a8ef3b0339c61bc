// Saving and loading snapshots from the frame, and what a loaded snapshot changes in the wizard.
#include "app/snapshot_commands.h"

#include "app/dovemark_app.h"
#include "app/ex_style_view.h"
#include "app/main_frame.h"
#include "app/message_dlg.h"
#include "app/plain_file_dialog.h"
#include "app/third_view_hdd.h"
#include "engine/engine_state.h"
#include "engine/snapshot_file.h"

const WCHAR kInvalidSnapshotText[] = u"无效的文件。 ";

namespace {

// Page 4's buttons: save, back, start over.
constexpr int kSaveButton = 159;
constexpr int kBackButton = 160;
constexpr int kStartOverButton = 61481;

void ShowPageButton(CView* page, int id, BOOL show)
{
    if (!page || !page->m_hWnd)
        return;
    if (CWnd* button = page->GetDescendantWindow(id)) {
        button->ShowWindow(show ? SW_SHOW : SW_HIDE);
        button->EnableWindow(show);
    }
}

} // namespace

SnapshotLetter ReadSnapshotLetter(const CString& path, DWORD* mode)
{
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return SnapshotLetter::Unreadable;
    BYTE bytes[2] = {};
    DWORD got = 0;
    BOOL ok = ::ReadFile(file, bytes, 2, &got, nullptr);
    ::CloseHandle(file);
    if (!ok || got < 2)
        return SnapshotLetter::Unreadable;
    const WCHAR letter = WCHAR(bytes[0] | (bytes[1] << 8));
    DWORD found = 0;
    switch (letter) {
    case u'A':
        found = 0;
        break;
    case u'R':
        found = 1;
        break;
    case u'D':
        found = 2;
        break;
    default:
        return SnapshotLetter::Unknown;
    }
    if (mode)
        *mode = found;
    return SnapshotLetter::Known;
}

CString StripQuotes(const CString& path)
{
    CString plain = path;
    plain.Remove(u'"');
    return plain;
}

CString HtmlEscaped(const CString& text)
{
    CString out;
    for (int i = 0; i < text.GetLength(); ++i) {
        switch (WCHAR c = text[i]) {
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'&':
            out += u"&amp;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

CString SnapshotUnreadableText(const CString& path)
{
    return CString(SnapshotStatusText(SnapshotStatus::CannotOpen).c_str()) + u"\n" + HtmlEscaped(path);
}

void RebuildFoundListColumns(CListCtrl* list, DWORD scanMode)
{
    SetFoundListColumns(list, scanMode);
}

BOOL CMainFrame::OpenSnapshot(LPCWSTR path)
{
    CDovemarkApp* app = DovemarkApp();
    DWORD mode = ScanMode;
    if (ReadSnapshotLetter(path, &mode) != SnapshotLetter::Known)
        mode = ScanMode;
    RebuildFoundListColumns(app->m_pFoundList, mode);
    // The reader tells the user what went wrong; the results shown before stay as they were.
    if (ReadSnapshotFile(path) != SnapshotStatus::Ok) {
        RebuildFoundListColumns(app->m_pFoundList, ScanMode);
        return FALSE;
    }
    if (ScanMode == 0)
        m_bFullResultsReady = 1;
    else
        m_bResultsReady = 1;
    CView* page = app->GetPage(4);
    ShowPageButton(page, kSaveButton, TRUE);
    ShowPageButton(page, kStartOverButton, TRUE);
    ModeHintFlag = 0;
    ShowPageButton(page, kBackButton, FALSE);
    app->SwitchView(4);
    return TRUE;
}

BOOL CMainFrame::LoadCheckedSnapshot(const CString& path)
{
    switch (ReadSnapshotLetter(path, nullptr)) {
    case SnapshotLetter::Unreadable:
        ShowAppMessage(SnapshotUnreadableText(path), MSG_KIND_ERROR);
        return FALSE;
    case SnapshotLetter::Unknown:
        ShowAppMessage(kInvalidSnapshotText, MSG_KIND_QUESTION);
        return FALSE;
    case SnapshotLetter::Known:
        break;
    }
    return OpenSnapshot(path);
}

void CMainFrame::OnSaveSnapshot()
{
    CPlainFileDialog dlg(FALSE, u"dmk", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, u"*.dmk|*.dmk||", this);
    if (dlg.DoModal() != IDOK)
        return;
    std::u16string name = SnapshotFileName(std::u16string(LPCWSTR(dlg.GetPathName())));
    // The writer tells the user when the file could not be written.
    WriteSnapshotFile(name.c_str());
}

void CMainFrame::OnLoadSnapshot()
{
    CPlainFileDialog dlg(TRUE, u"dmk", nullptr, OFN_HIDEREADONLY, u"*.dmk|*.dmk||", this);
    if (dlg.DoModal() != IDOK)
        return;
    const std::u16string chosen(LPCWSTR(dlg.GetPathName()));
    CString path = SnapshotFileName(chosen).c_str();
    // A name typed without its extension finds a snapshot saved with either case of it.
    if (::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES && path != CString(chosen.c_str()))
        if (const CString upper = CString(chosen.c_str()) + u".DMK"; ::GetFileAttributesW(upper) != INVALID_FILE_ATTRIBUTES)
            path = upper;
    if (::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        ShowAppMessage(HtmlEscaped(path) + u" does not exists.", MSG_KIND_ERROR);
        return;
    }
    LoadCheckedSnapshot(path);
}
