// GetOpenFileNameW and GetSaveFileNameW: the layer's own dialog over the Linux file system.
#include "win32/controls.h"
#include "win32/dialogs.h"
#include "win32/dialogs/dialog_template.h"
#include "win32/dialogs/folder_listing.h"
#include "win32/kernel.h"
#include "win32/shell.h"
#include "win32/user.h"

#include <algorithm>
#include <cstring>

using namespace dialogs;

namespace {

enum : int {
    kFolderText = 0x440,
    kUp = 0x4A0,
    kList = 0x460,
    kTypes = 0x470,
    kName = 0x480,
};

// What closing the dialog means besides OK and Cancel.
constexpr INT_PTR kBufferTooSmall = 100;
// Opens the entry double-clicked, once the list view has finished telling of the click.
constexpr UINT kOpenEntry = WM_APP + 1;

struct Filter {
    std::u16string description, patterns;
};

struct FileDialog {
    OPENFILENAMEW* ofn;
    bool save;
    std::string folder;           // the folder shown
    std::vector<Filter> filters;  // from lpstrFilter
    std::u16string typedPattern;  // a pattern typed into the name box, until the type changes
    std::vector<FolderEntry> entries;
};

std::vector<Filter> ParseFilters(LPCWSTR text)
{
    std::vector<Filter> out;
    if (!text)
        return out;
    // Pairs of null-terminated strings, the list ended by an empty one; a description without
    // patterns ends it too.
    for (int guard = 0; *text && guard < 256; ++guard) {
        Filter f;
        f.description = text;
        text += f.description.size() + 1;
        if (!*text)
            break;
        f.patterns = text;
        text += f.patterns.size() + 1;
        out.push_back(std::move(f));
    }
    return out;
}

std::u16string ActivePatterns(HWND dlg, const FileDialog& d)
{
    if (!d.typedPattern.empty())
        return d.typedPattern;
    LRESULT sel = SendDlgItemMessageW(dlg, kTypes, CB_GETCURSEL, 0, 0);
    if (sel >= 0 && size_t(sel) < d.filters.size())
        return d.filters[size_t(sel)].patterns;
    return u"*";
}

int IconIndex(const FolderEntry& e)
{
    SHFILEINFOW sfi{};
    SHGetFileInfoW(e.name.c_str(), e.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &sfi, sizeof sfi,
                   SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    return sfi.iIcon;
}

// The list's items are the entries in their order, so an item's index is its entry's.
void Fill(HWND dlg, FileDialog& d)
{
    d.entries = ListFolder(d.folder, true, ActivePatterns(dlg, d));
    SetDlgItemTextW(dlg, kFolderText, ToWide(d.folder).c_str());
    EnableWindow(GetDlgItem(dlg, kUp), d.folder != "/");
    HWND list = GetDlgItem(dlg, kList);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < d.entries.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = int(i);
        item.pszText = const_cast<LPWSTR>(d.entries[i].name.c_str());
        item.iImage = IconIndex(d.entries[i]);
        item.lParam = LPARAM(i);
        SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

const FolderEntry* SelectedEntry(HWND dlg, const FileDialog& d)
{
    LRESULT sel = SendDlgItemMessageW(dlg, kList, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED);
    return sel >= 0 && size_t(sel) < d.entries.size() ? &d.entries[size_t(sel)] : nullptr;
}

void Navigate(HWND dlg, FileDialog& d, const std::string& folder)
{
    d.folder = folder;
    Fill(dlg, d);
}

std::u16string Caption(const FileDialog& d)
{
    if (d.ofn->lpstrTitle && *d.ofn->lpstrTitle)
        return d.ofn->lpstrTitle;
    return d.save ? u"\u53e6\u5b58\u4e3a" : u"\u6253\u5f00";
}

bool Warn(HWND dlg, const FileDialog& d, const std::u16string& text, UINT type = MB_OK | MB_ICONEXCLAMATION)
{
    return MessageBoxW(dlg, text.c_str(), Caption(d).c_str(), type) == IDYES;
}

// The names typed into the name box: one, or several in double quotes when several may be chosen.
std::vector<std::u16string> TypedNames(const std::u16string& text, bool multi)
{
    std::vector<std::u16string> names;
    if (multi && text.find(u'"') != std::u16string::npos) {
        size_t i = 0;
        while ((i = text.find(u'"', i)) != std::u16string::npos) {
            size_t close = text.find(u'"', i + 1);
            if (close == std::u16string::npos)
                break;
            if (close > i + 1)
                names.push_back(text.substr(i + 1, close - i - 1));
            i = close + 1;
        }
        return names;
    }
    size_t b = text.find_first_not_of(u' '), e = text.find_last_not_of(u' ');
    if (b != std::u16string::npos)
        names.push_back(text.substr(b, e - b + 1));
    return names;
}

std::u16string NameOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return ToWide(slash == std::string::npos ? path : path.substr(slash + 1));
}

// Copies the answer into the caller's block. False when lpstrFile is too small; its first
// character then holds the size needed, as callers of the explorer-style dialog expect.
bool Store(FileDialog& d, const std::vector<std::string>& paths)
{
    OPENFILENAMEW* ofn = d.ofn;
    std::u16string out;
    WORD offset = 0, extension = 0;
    if (paths.size() == 1) {
        out = ToWide(paths[0]);
        size_t slash = out.find_last_of(u'/');
        offset = WORD(slash == std::u16string::npos ? 0 : slash + 1);
        size_t dot = out.find_last_of(u'.');
        extension = WORD(dot != std::u16string::npos && dot > offset ? dot + 1 : out.size());
        out += u'\0';
    } else {
        out = ToWide(d.folder);
        out += u'\0';
        offset = WORD(out.size());
        for (const std::string& p : paths) {
            out += NameOf(p);
            out += u'\0';
        }
    }
    if (ofn->Flags & OFN_ALLOWMULTISELECT)
        out += u'\0';
    if (out.size() > ofn->nMaxFile) {
        if (ofn->nMaxFile >= 1)
            ofn->lpstrFile[0] = WCHAR(out.size() > 0xFFFF ? 0xFFFF : out.size());
        return false;
    }
    std::memcpy(ofn->lpstrFile, out.data(), out.size() * sizeof(WCHAR));
    ofn->nFileOffset = offset;
    ofn->nFileExtension = paths.size() == 1 ? extension : 0;
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle) {
        std::u16string title = NameOf(paths.front());
        size_t n = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
        std::memcpy(ofn->lpstrFileTitle, title.data(), n * sizeof(WCHAR));
        ofn->lpstrFileTitle[n] = 0;
    }
    return true;
}

// Checks one chosen name as the flags ask; the path to return, or empty when the dialog stays.
std::string Check(HWND dlg, FileDialog& d, const std::u16string& typed)
{
    std::u16string name = typed;
    bool hasExtension = false;
    {
        size_t slash = name.find_last_of(u"\\/"), dot = name.find_last_of(u'.');
        hasExtension = dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash);
    }
    if (d.save && !hasExtension && d.ofn->lpstrDefExt && *d.ofn->lpstrDefExt)
        name += u"." + std::u16string(d.ofn->lpstrDefExt);
    std::string path;
    if (!ResolvePath(d.folder, name, path)) {
        Warn(dlg, d, typed + u"\n\u8def\u5f84\u4e0d\u5b58\u5728\u3002\n\u8bf7\u68c0\u67e5\u8def\u5f84\u662f\u5426\u6b63\u786e\uff0c\u7136\u540e\u91cd\u8bd5\u3002");
        return {};
    }
    if (d.ofn->Flags & OFN_NOVALIDATE)
        return path;
    bool exists = PathExists(path);
    bool mustExist = !d.save && (d.ofn->Flags & OFN_FILEMUSTEXIST);
    if (!exists && !IsFolder(ParentOf(path))) {
        Warn(dlg, d, typed + u"\n\u8def\u5f84\u4e0d\u5b58\u5728\u3002\n\u8bf7\u68c0\u67e5\u8def\u5f84\u662f\u5426\u6b63\u786e\uff0c\u7136\u540e\u91cd\u8bd5\u3002");
        return {};
    }
    if (!exists && mustExist) {
        Warn(dlg, d, typed + u"\n\u627e\u4e0d\u5230\u6587\u4ef6\u3002\n\u8bf7\u68c0\u67e5\u6587\u4ef6\u540d\u662f\u5426\u6b63\u786e\uff0c\u7136\u540e\u91cd\u8bd5\u3002");
        return {};
    }
    if (exists && d.save && (d.ofn->Flags & OFN_OVERWRITEPROMPT) &&
        !Warn(dlg, d, NameOf(path) + u" \u5df2\u5b58\u5728\u3002\n\u8981\u66ff\u6362\u5b83\u5417\uff1f",
              MB_YESNO | MB_ICONEXCLAMATION))
        return {};
    return path;
}

void Accept(HWND dlg, FileDialog& d)
{
    WCHAR buf[4096];
    GetDlgItemTextW(dlg, kName, buf, 4096);
    std::u16string text = buf;
    if (text.find_first_not_of(u' ') == std::u16string::npos) {
        // An empty name opens the folder picked in the list.
        if (const FolderEntry* e = SelectedEntry(dlg, d); e && e->folder)
            Navigate(dlg, d, JoinPath(d.folder, e->name));
        return;
    }
    bool multi = !d.save && (d.ofn->Flags & OFN_ALLOWMULTISELECT);
    std::vector<std::u16string> names = TypedNames(text, multi);
    if (names.size() == 1) {
        // A pattern shows the matching files; a folder is opened.
        if (names[0].find_first_of(u"*?") != std::u16string::npos) {
            d.typedPattern = names[0];
            SetDlgItemTextW(dlg, kName, u"");
            Fill(dlg, d);
            return;
        }
        std::string path;
        if (ResolvePath(d.folder, names[0], path) && IsFolder(path)) {
            SetDlgItemTextW(dlg, kName, u"");
            Navigate(dlg, d, path);
            return;
        }
    }
    std::vector<std::string> paths;
    for (const std::u16string& n : names) {
        std::string p = Check(dlg, d, n);
        if (p.empty())
            return;
        paths.push_back(p);
    }
    if (paths.empty())
        return;
    LRESULT type = SendDlgItemMessageW(dlg, kTypes, CB_GETCURSEL, 0, 0);
    if (type >= 0 && !d.filters.empty())
        d.ofn->nFilterIndex = DWORD(type + 1);
    EndDialog(dlg, Store(d, paths) ? IDOK : kBufferTooSmall);
}

INT_PTR CALLBACK FileDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* d = (FileDialog*)GetWindowLongPtrW(dlg, DWLP_USER);
    switch (msg) {
    case WM_INITDIALOG: {
        d = (FileDialog*)lParam;
        SetWindowLongPtrW(dlg, DWLP_USER, lParam);
        for (const Filter& f : d->filters)
            SendDlgItemMessageW(dlg, kTypes, CB_ADDSTRING, 0, (LPARAM)f.description.c_str());
        DWORD index = d->ofn->nFilterIndex;
        if (!d->filters.empty())
            SendDlgItemMessageW(dlg, kTypes, CB_SETCURSEL, index >= 1 && index <= d->filters.size() ? index - 1 : 0, 0);
        SendDlgItemMessageW(dlg, kList, LVM_SETIMAGELIST, LVSIL_SMALL,
                            (LPARAM)SHGetFileInfoW(u"/", 0, nullptr, 0, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
        Fill(dlg, *d);
        SetFocus(GetDlgItem(dlg, kName));
        SendDlgItemMessageW(dlg, kName, EM_SETSEL, 0, -1);
        return FALSE;
    }
    case WM_COMMAND: {
        if (!d)
            return FALSE;
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDOK) {
            Accept(dlg, *d);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        if (id == kUp && code == BN_CLICKED) {
            Navigate(dlg, *d, ParentOf(d->folder));
            return TRUE;
        }
        if (id == kTypes && code == CBN_SELCHANGE) {
            d->typedPattern.clear();
            Fill(dlg, *d);
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        const auto* hdr = (const NMHDR*)lParam;
        if (!d || !hdr || hdr->idFrom != UINT_PTR(kList))
            return FALSE;
        if (hdr->code == LVN_ITEMCHANGED) {
            const auto* nm = (const NMLISTVIEW*)lParam;
            bool nowSelected = (nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED);
            if (nowSelected && nm->iItem >= 0 && size_t(nm->iItem) < d->entries.size() &&
                !d->entries[size_t(nm->iItem)].folder)
                SetDlgItemTextW(dlg, kName, d->entries[size_t(nm->iItem)].name.c_str());
        } else if (hdr->code == NM_DBLCLK) {
            const auto* nm = (const NMITEMACTIVATE*)lParam;
            if (nm->iItem >= 0)
                PostMessageW(dlg, kOpenEntry, WPARAM(nm->iItem), 0);
        }
        return FALSE;
    }
    case kOpenEntry: {
        if (!d || wParam >= d->entries.size())
            return TRUE;
        const FolderEntry e = d->entries[wParam];
        if (e.folder) {
            Navigate(dlg, *d, JoinPath(d->folder, e.name));
        } else {
            SetDlgItemTextW(dlg, kName, e.name.c_str());
            Accept(dlg, *d);
        }
        return TRUE;
    }
    }
    return FALSE;
}

std::string StartFolder(const OPENFILENAMEW& ofn, std::u16string& initialName)
{
    std::string folder;
    if (ofn.lpstrFile && ofn.nMaxFile && ofn.lpstrFile[0]) {
        std::u16string given(ofn.lpstrFile, std::find(ofn.lpstrFile, ofn.lpstrFile + ofn.nMaxFile, u'\0'));
        size_t slash = given.find_last_of(u"\\/");
        initialName = slash == std::u16string::npos ? given : given.substr(slash + 1);
        std::string mapped;
        if (slash != std::u16string::npos &&
            ResolvePath(CurrentFolder(), given.substr(0, slash ? slash : 1), mapped) && IsFolder(mapped))
            folder = mapped;
    }
    std::string mapped;
    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir && ResolvePath(CurrentFolder(), ofn.lpstrInitialDir, mapped) &&
        IsFolder(mapped))
        folder = mapped;
    return folder.empty() ? CurrentFolder() : folder;
}

bool ValidBlock(const OPENFILENAMEW* ofn)
{
    if (!ofn) {
        SetExtendedError(CDERR_INITIALIZATION);
        return false;
    }
    DWORD size = ofn->lStructSize;
    if (size != sizeof(OPENFILENAMEW) && size != OPENFILENAME_SIZE_VERSION_400W && size != 76 && size != 88) {
        SetExtendedError(CDERR_STRUCTSIZE);
        return false;
    }
    // Hooks and custom templates are not offered: a caller that needs one learns so.
    if (ofn->Flags & (OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE)) {
        SetExtendedError(CDERR_DIALOGFAILURE);
        return false;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        SetExtendedError(FNERR_INVALIDFILENAME);
        return false;
    }
    return true;
}

BOOL Run(LPOPENFILENAMEW ofn, bool save)
{
    SetExtendedError(0);
    if (!ValidBlock(ofn))
        return FALSE;
    InitCommonControls();
    FileDialog d{ofn, save, {}, ParseFilters(ofn->lpstrFilter), {}, {}};
    std::u16string initialName;
    d.folder = StartFolder(*ofn, initialName);
    if (initialName.find_first_of(u"*?") != std::u16string::npos) {
        d.typedPattern = initialName;
        initialName.clear();
    }

    TemplateBuilder t(Caption(d), WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 280, 186);
    t.Add(WC_STATICW, u"\u67e5\u627e\u8303\u56f4:", -1, WS_VISIBLE | SS_LEFT, 7, 9, 40, 10);
    t.Add(WC_STATICW, u"", kFolderText, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 48, 9, 170, 10);
    t.Add(WC_BUTTONW, u"\u4e0a\u4e00\u7ea7", kUp, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 222, 6, 51, 14);
    t.Add(WC_LISTVIEWW, u"", kList,
          WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_LIST | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS, 7,
          24, 266, 106);
    t.Add(WC_STATICW, save ? u"\u6587\u4ef6\u540d(&N):" : u"\u6587\u4ef6\u540d(&N):", -1, WS_VISIBLE | SS_LEFT, 7,
          140, 50, 10);
    t.Add(WC_EDITW, initialName, kName, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 60, 138, 155, 12);
    t.Add(WC_BUTTONW, save ? u"\u4fdd\u5b58(&S)" : u"\u6253\u5f00(&O)", IDOK,
          WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 222, 137, 51, 14);
    t.Add(WC_STATICW, u"\u6587\u4ef6\u7c7b\u578b(&T):", -1, WS_VISIBLE | SS_LEFT, 7, 160, 50, 10);
    t.Add(WC_COMBOBOXW, u"", kTypes, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 60, 158, 155, 80);
    t.Add(WC_BUTTONW, u"\u53d6\u6d88", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 222, 157, 51, 14);

    INT_PTR r = DialogBoxIndirectParamW(nullptr, t.Get(), ofn->hwndOwner, FileDialogProc, (LPARAM)&d);
    if (r == IDOK)
        return TRUE;
    SetExtendedError(r == kBufferTooSmall ? FNERR_BUFFERTOOSMALL : r == IDCANCEL ? 0 : CDERR_DIALOGFAILURE);
    return FALSE;
}

} // namespace

BOOL GetOpenFileNameW(LPOPENFILENAMEW lpofn)
{
    return Run(lpofn, false);
}

BOOL GetSaveFileNameW(LPOPENFILENAMEW lpofn)
{
    return Run(lpofn, true);
}
