// The file-type dialog: reading "Raw.dat", the tri-state type tree and the signature list a tracing scan receives.
#include "app/file_type_dialog.h"

#include "app/tree_rows.h"
#include "app/dialog_skin.h"
#include "res/app/wizard_front_res.h"
#include "controls/shell_file_info.h"
#include "engine/engine_state.h"
#include "engine/recovery_writer.h"
#include "engine/signature_list.h"
#include "engine/ui_port.h"
#include "win32/kernel.h"
#include "win32/text.h"

#include <memory>

namespace {

constexpr UINT kCodePage = 936;
// Far beyond any real definition file; a larger one is not read into memory.
constexpr LONGLONG kMaxSignatureFileBytes = 64LL << 20;

enum StateImage { kNoBox = 0, kUnchecked = 1, kChecked = 2, kPartly = 3 };

CString FromCodePage(const std::string& text)
{
    if (text.empty())
        return CString();
    const int n = MultiByteToWideChar(kCodePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::u16string wide(size_t(n > 0 ? n : 0), u'\0');
    if (n > 0)
        MultiByteToWideChar(kCodePage, 0, text.data(), int(text.size()), wide.data(), n);
    return CString(wide.c_str());
}

std::string ToCodePage(const CString& text)
{
    if (text.IsEmpty())
        return {};
    const int n = WideCharToMultiByte(kCodePage, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(kCodePage, 0, text, text.GetLength(), narrow.data(), n, nullptr, nullptr);
    return narrow;
}

CString HexText(const std::vector<uint8_t>& bytes)
{
    return FromCodePage(BytesToHexText(bytes.data(), bytes.size(), true));
}

// The whole file, or false when it cannot be opened or read.
bool ReadWholeFile(const CString& path, std::vector<uint8_t>& data)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart <= kMaxSignatureFileBytes;
    if (ok) {
        data.resize(size_t(size.QuadPart));
        DWORD read = 0;
        ok = data.empty() || (ReadFile(file, data.data(), DWORD(data.size()), &read, nullptr) && read == data.size());
    }
    CloseHandle(file);
    return ok;
}

} // namespace

CString SignatureCategoryName(char code)
{
    static const char16_t* const kNames[10] = {
        u"压缩文件     ", u"文档文件      ", u"数据库文件    ", u"E-mail 文件 ", u"图形文件      ",
        u"声音文件   ",   u"媒体文件   ",   u"Internet 文件 ", u"CAD 文件 ",    u"其它文件   ",
    };
    if (code >= '0' && code <= '9')
        return CString(kNames[code - '0']);
    const char one[2] = {code, 0};
    return FromCodePage(one);
}

SignatureRecord::SignatureRecord(const SignatureDefinition& d)
    : m_nNumber(d.number), m_strExtension(FromCodePage(d.extension)), m_strTypeText(FromCodePage(d.typeText)),
      m_strSignatureHex(HexText(d.signature)), m_strLengthText(FromCodePage(d.lengthText)),
      m_strFifthHex(HexText(d.fifth)), m_rawExtension(d.extension)
{
}

// ---- The tree ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFileTypeTreeCtrl, CTreeCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYUP()
    ON_WM_RBUTTONDOWN()
    ON_NOTIFY_REFLECT(TVN_KEYDOWN, OnKeyDownReflect)
END_MESSAGE_MAP()

void CFileTypeTreeCtrl::Init()
{
    if (!m_stateImages.m_hImageList)
        m_stateImages.Create(IDB_CHECK_STATES, 16, 0, RGB(255, 255, 255));
    SendMessage(TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)CShellFileInfo::GetSystemImageList(TRUE));
    SetImageList(&m_stateImages, TVSIL_STATE);
    const int folder = CShellFileInfo::GetFolderIconIndex(TRUE);
    InsertItem(u"文件类型  ", folder, folder, TVI_ROOT, TVI_LAST);
}

HTREEITEM CFileTypeTreeCtrl::FindOrAddChild(HTREEITEM parent, LPCWSTR text)
{
    for (HTREEITEM child = GetChildItem(parent); child; child = GetNextSiblingItem(child))
        if (GetItemText(child) == text)
            return child;
    const CString name(text);
    const int icon = name.Find(u'.') >= 0 ? CShellFileInfo::GetIconIndex(text, TRUE)
                                          : CShellFileInfo::GetFolderIconIndex(TRUE);
    return InsertItem(text, icon, icon, parent, TVI_LAST);
}

HTREEITEM CFileTypeTreeCtrl::AddTypeItem(LPCWSTR category, LPCWSTR text)
{
    HTREEITEM top = TopItem();
    if (!top)
        return nullptr;
    return FindOrAddChild(FindOrAddChild(top, category), text);
}

int CFileTypeTreeCtrl::GetCheck(HTREEITEM item) const
{
    switch (GetItemState(item, TVIS_STATEIMAGEMASK) >> 12) {
    case kChecked: return 1;
    case kPartly: return 2;
    default: return 0;
    }
}

void CFileTypeTreeCtrl::SetState(HTREEITEM item, int image)
{
    SetItemState(item, INDEXTOSTATEIMAGEMASK(image), TVIS_STATEIMAGEMASK);
}

void CFileTypeTreeCtrl::SetUnchecked(HTREEITEM item)
{
    SetState(item, kUnchecked);
    SetItemState(item, 0, TVIS_BOLD);
}

void CFileTypeTreeCtrl::SetChecked(HTREEITEM item)
{
    SetState(item, kChecked);
    SetItemState(item, TVIS_BOLD, TVIS_BOLD);
}

void CFileTypeTreeCtrl::SetPartlyChecked(HTREEITEM item) { SetState(item, kPartly); }

BOOL CFileTypeTreeCtrl::AllChildrenChecked(HTREEITEM item) const
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        if (GetCheck(child) == 0)
            return FALSE;
    return TRUE;
}

void CFileTypeTreeCtrl::SyncAncestors(HTREEITEM item, bool unchecking)
{
    for (HTREEITEM parent = GetParentItem(item); parent; parent = GetParentItem(parent)) {
        bool any = false;
        for (HTREEITEM child = GetChildItem(parent); child && !any; child = GetNextSiblingItem(child))
            any = GetCheck(child) != 0;
        if (AllChildrenChecked(parent))
            SetChecked(parent);
        else if (unchecking && !any)
            SetUnchecked(parent);
        else
            SetPartlyChecked(parent);
    }
}

// The branch below item, walked with a queue rather than recursion, so a deep tree needs no deep stack.
void CFileTypeTreeCtrl::SetBranch(HTREEITEM item, bool checked)
{
    std::vector<HTREEITEM> pending;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        pending.push_back(child);
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        checked ? SetChecked(at) : SetUnchecked(at);
        for (HTREEITEM child = GetChildItem(at); child; child = GetNextSiblingItem(child))
            pending.push_back(child);
    }
}

void CFileTypeTreeCtrl::CheckBranch(HTREEITEM item)
{
    SetChecked(item);
    if (item != TopItem())
        SyncAncestors(item, false);
    SetBranch(item, true);
}

void CFileTypeTreeCtrl::UncheckBranch(HTREEITEM item)
{
    SetUnchecked(item);
    if (item != TopItem())
        SyncAncestors(item, true);
    SetBranch(item, false);
}

void CFileTypeTreeCtrl::ToggleRootCheck(HTREEITEM top)
{
    if ((GetItemState(top, TVIS_STATEIMAGEMASK) >> 12) == kUnchecked)
        CheckBranch(top);
    else
        UncheckBranch(top);
}

void CFileTypeTreeCtrl::ExpandRoot()
{
    if (HTREEITEM top = TopItem())
        Expand(top, TVE_EXPAND);
}

int CFileTypeTreeCtrl::GetVisibleRowIndex(HTREEITEM item) const { return VisibleRowIndex(*this, item); }

std::vector<CString> CFileTypeTreeCtrl::CheckedTexts(HTREEITEM start) const
{
    std::vector<CString> texts;
    std::vector<HTREEITEM> pending;
    auto pushChildren = [&](HTREEITEM parent) {
        std::vector<HTREEITEM> children;
        for (HTREEITEM child = GetChildItem(parent); child; child = GetNextSiblingItem(child))
            children.push_back(child);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    };
    pushChildren(start);
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        if (GetCheck(at) != 0)
            texts.push_back(GetItemText(at));
        pushChildren(at);
    }
    return texts;
}

DWORD CFileTypeTreeCtrl::BuildSignatureList(HTREEITEM start)
{
    // A second start must not trace every type twice: the list holds this choice only.
    FreeTracedFolders();
    SignatureCount = 0;
    if (!m_definitions)
        return 0;
    std::vector<std::string> chosen;
    for (const CString& text : CheckedTexts(start))
        chosen.push_back(ToCodePage(text));
    for (const SignatureDefinition* d : SignaturesInTreeOrder(*m_definitions, chosen)) {
        const std::string hex = BytesToHexText(d->signature.data(), d->signature.size(), true);
        AddTracedFolder(FromCodePage(d->extension), FromCodePage(d->typeText), SignatureLengthValue(*d), hex.c_str(),
                        SignatureFifthValue(*d));
        ++SignatureCount;
    }
    return SignatureCount;
}

void CFileTypeTreeCtrl::FreeRecords()
{
    while (!m_records.IsEmpty())
        delete m_records.RemoveHead();
}

void CFileTypeTreeCtrl::OnLButtonDown(UINT, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (!item)
        return;
    if (flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON | TVHT_ONITEMRIGHT)) {
        SelectItem(item);
        SetFocus();
    } else if (flags & TVHT_ONITEMSTATEICON) {
        if (GetCheck(item) != 0)
            UncheckBranch(item);
        else
            CheckBranch(item);
    } else {
        Expand(item, TVE_TOGGLE);
    }
    m_strLastText = GetItemText(item);
    m_nLastRow = GetVisibleRowIndex(item);
}

void CFileTypeTreeCtrl::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    if (HTREEITEM item = GetSelectedItem())
        SelectItem(item);
    SetFocus();
    CTreeCtrl::OnKeyUp(key, repeat, flags);
}

void CFileTypeTreeCtrl::OnRButtonDown(UINT, CPoint point)
{
    if (HTREEITEM item = HitTest(point))
        SelectItem(item);
    SetFocus();
}

void CFileTypeTreeCtrl::OnKeyDownReflect(NMHDR*, LRESULT* result) { *result = 0; }

// ---- The dialog ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFileTypeDlg, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CFileTypeDlg::CFileTypeDlg(CWnd* parent, LPCWSTR folder)
    : CDialog(IDD, parent), m_strFolder(folder ? folder : u""), m_definitions(new std::vector<SignatureDefinition>)
{
    m_tree.m_definitions = m_definitions;
}

CFileTypeDlg::~CFileTypeDlg()
{
    m_tree.m_definitions = nullptr;
    delete m_definitions;
}

BOOL CFileTypeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_boldFont.CreateFont(15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    m_tree.SubclassDlgItem(IDC_FILETYPE_TREE, this);
    m_sizeList.SubclassDlgItem(IDC_FILETYPE_SIZE, this);
    m_label.SubclassDlgItem(IDC_FILETYPE_SIZE_LABEL, this);
    m_prompt.SubclassDlgItem(IDC_FILETYPE_PROMPT, this);

    for (int mb = 1; mb <= 20; ++mb) {
        CString item;
        item.Format(u"%d MB", mb);
        m_sizeList.AddString(item);
    }
    m_sizeList.SetCurSel(TracedFileSize >= 1 && TracedFileSize <= 20 ? int(TracedFileSize) - 1 : 1);

    m_prompt.SetFont(&m_boldFont);
    m_prompt.SetWindowText(u"你想恢复哪些文件类型？?[请勾选文件类型]并单击[确定]继续恢复。");
    m_tree.Init();
    LoadSignatureFile();
    return TRUE;
}

void CFileTypeDlg::LoadSignatureFile()
{
    const CString path = m_strFolder + u"Raw.dat";
    std::vector<uint8_t> data;
    m_definitions->clear();
    m_tree.FreeRecords();
    const bool read = ReadWholeFile(path, data);
    SignatureFileReport report;
    if (read)
        report = ParseSignatureFile(data.data(), data.size(), *m_definitions);
    m_nRejected = report.rejected;
    m_bTruncated = report.truncated;

    for (const SignatureDefinition& d : *m_definitions) {
        auto* record = new SignatureRecord(d);
        if (!record->m_strExtension.IsEmpty())
            m_tree.AddTypeItem(SignatureCategoryName(d.category), record->m_strExtension);
        m_tree.AddRecord(record);
    }
    if (HTREEITEM top = m_tree.TopItem()) {
        m_tree.ToggleRootCheck(top);
        m_tree.Expand(top, TVE_TOGGLE);
    }

    // Only the records that were read whole are offered; the user is told when the file gave fewer.
    if (!read || m_definitions->empty())
        EngineUi().ShowMessage(u"无法读取文件类型定义文件 Raw.dat，没有可选的文件类型。", ENGINE_MSG_ERROR);
    else if (m_nRejected || m_bTruncated)
        EngineUi().ShowMessage(u"文件类型定义文件 Raw.dat 已损坏，其中损坏的记录已被跳过。", ENGINE_MSG_ERROR);
}

void CFileTypeDlg::OnOK()
{
    bool any = false;
    if (HTREEITEM top = m_tree.TopItem())
        for (HTREEITEM child = m_tree.GetChildItem(top); child && !any; child = m_tree.GetNextSiblingItem(child))
            any = m_tree.GetCheck(child) != 0;
    if (!any) {
        EngineUi().ShowMessage(u"请选择一个文件类型，然后\r\n单击[下一步]继续恢复。", ENGINE_MSG_ERROR);
        return;
    }
    const int selected = m_sizeList.GetCurSel();
    TracedFileSize = DWORD(selected >= 0 ? selected + 1 : 2);
    m_tree.BuildSignatureList(m_tree.TopItem());
    EndDialog(IDOK);
}

BOOL CFileTypeDlg::OnEraseBkgnd(CDC* dc)
{
    return PaintDialogSkin(this, dc, IDB_FILETYPE_SKIN) || Default();
}
