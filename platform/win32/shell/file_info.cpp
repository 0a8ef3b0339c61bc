// SHGetFileInfoW: icon index, icon, display name and type name of a file, folder or drive.
#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/kernel/util.h"
#include "win32/shell/shell_internal.h"

#include <cstring>

namespace {

struct FileType {
    const char16_t* extension; // lower case, without the dot
    int icon;
    const char16_t* name;
};

// The types the program shows most; others are named after their extension.
const FileType kTypes[] = {
    {u"txt", shell::kIconText, u"文本文档"},
    {u"log", shell::kIconText, u"文本文档"},
    {u"ini", shell::kIconText, u"配置设置"},
    {u"inf", shell::kIconText, u"安装信息"},
    {u"csv", shell::kIconText, u"逗号分隔值文件"},
    {u"xml", shell::kIconText, u"XML 文档"},
    {u"bat", shell::kIconProgram, u"批处理文件"},
    {u"cmd", shell::kIconProgram, u"命令脚本"},
    {u"exe", shell::kIconProgram, u"应用程序"},
    {u"com", shell::kIconProgram, u"DOS 应用程序"},
    {u"dll", shell::kIconDocument, u"应用程序扩展"},
    {u"sys", shell::kIconDocument, u"系统文件"},
    {u"bmp", shell::kIconImage, u"位图图像"},
    {u"dib", shell::kIconImage, u"位图图像"},
    {u"jpg", shell::kIconImage, u"JPEG 图像"},
    {u"jpeg", shell::kIconImage, u"JPEG 图像"},
    {u"jpe", shell::kIconImage, u"JPEG 图像"},
    {u"gif", shell::kIconImage, u"GIF 图像"},
    {u"png", shell::kIconImage, u"PNG 图像"},
    {u"tif", shell::kIconImage, u"TIF 图像"},
    {u"tiff", shell::kIconImage, u"TIF 图像"},
    {u"ico", shell::kIconImage, u"图标"},
    {u"wmf", shell::kIconImage, u"图元文件"},
    {u"emf", shell::kIconImage, u"增强型图元文件"},
    {u"psd", shell::kIconImage, u"PSD 图像"},
    {u"wav", shell::kIconAudio, u"波形声音"},
    {u"mp3", shell::kIconAudio, u"MP3 格式声音"},
    {u"wma", shell::kIconAudio, u"音频文件"},
    {u"mid", shell::kIconAudio, u"MIDI 序列"},
    {u"midi", shell::kIconAudio, u"MIDI 序列"},
    {u"avi", shell::kIconVideo, u"视频剪辑"},
    {u"mpg", shell::kIconVideo, u"电影剪辑"},
    {u"mpeg", shell::kIconVideo, u"电影剪辑"},
    {u"wmv", shell::kIconVideo, u"视频文件"},
    {u"mp4", shell::kIconVideo, u"MP4 视频"},
    {u"mov", shell::kIconVideo, u"MOV 视频"},
    {u"zip", shell::kIconArchive, u"压缩文件"},
    {u"rar", shell::kIconArchive, u"RAR 压缩文件"},
    {u"7z", shell::kIconArchive, u"7Z 压缩文件"},
    {u"cab", shell::kIconArchive, u"CAB 压缩文件"},
    {u"gz", shell::kIconArchive, u"GZ 压缩文件"},
    {u"tar", shell::kIconArchive, u"TAR 压缩文件"},
    {u"htm", shell::kIconWeb, u"HTML 文档"},
    {u"html", shell::kIconWeb, u"HTML 文档"},
    {u"mht", shell::kIconWeb, u"MHTML 文档"},
    {u"url", shell::kIconWeb, u"网址"},
    {u"doc", shell::kIconOffice, u"DOC 文档"},
    {u"docx", shell::kIconOffice, u"DOCX 文档"},
    {u"rtf", shell::kIconOffice, u"RTF 格式"},
    {u"xls", shell::kIconOffice, u"XLS 工作表"},
    {u"xlsx", shell::kIconOffice, u"XLSX 工作表"},
    {u"ppt", shell::kIconOffice, u"PPT 演示文稿"},
    {u"pptx", shell::kIconOffice, u"PPTX 演示文稿"},
    {u"pdf", shell::kIconOffice, u"PDF 文档"},
    {u"chm", shell::kIconHelp, u"已编译的 HTML 帮助文件"},
    {u"hlp", shell::kIconHelp, u"帮助文件"},
};

struct Item {
    enum { kFile, kFolder, kDrive, kRemovable } what = kFile;
    std::u16string name;
};

// The extension after the last dot of the last component, lower-cased; empty when none.
std::u16string ExtensionOf(const std::u16string& name)
{
    size_t slash = name.find_last_of(u"\\/");
    size_t dot = name.find_last_of(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash) || dot + 1 == name.size())
        return {};
    std::u16string ext = name.substr(dot + 1);
    for (char16_t& c : ext)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c + 32);
    return ext;
}

const FileType* TypeOf(const std::u16string& name)
{
    std::u16string ext = ExtensionOf(name);
    for (const FileType& t : kTypes)
        if (ext == t.extension)
            return &t;
    return nullptr;
}

std::u16string TypeName(const Item& item)
{
    switch (item.what) {
    case Item::kFolder:
        return u"文件夹";
    case Item::kDrive:
        return u"本地磁盘";
    case Item::kRemovable:
        return u"可移动磁盘";
    case Item::kFile:
        break;
    }
    if (const FileType* t = TypeOf(item.name))
        return t->name;
    std::u16string ext = ExtensionOf(item.name);
    if (ext.empty())
        return u"文件";
    for (char16_t& c : ext)
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - 32);
    return ext + u" 文件";
}

int IconOf(const Item& item, bool open)
{
    switch (item.what) {
    case Item::kFolder:
        return open ? shell::kIconFolderOpen : shell::kIconFolder;
    case Item::kDrive:
        return shell::kIconDrive;
    case Item::kRemovable:
        return shell::kIconRemovable;
    case Item::kFile:
        break;
    }
    const FileType* t = TypeOf(item.name);
    return t ? t->icon : shell::kIconDocument;
}

std::u16string LastComponent(const std::u16string& path)
{
    std::u16string p = path;
    while (p.size() > 1 && (p.back() == u'/' || p.back() == u'\\'))
        p.pop_back();
    size_t slash = p.find_last_of(u"\\/");
    return slash == std::u16string::npos || p.size() == 1 ? p : p.substr(slash + 1);
}

// "C:" or "C:\": a drive's root.
bool IsDriveRoot(const std::u16string& p)
{
    bool letter = p.size() >= 2 && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z')) && p[1] == u':';
    return letter && (p.size() == 2 || (p.size() == 3 && (p[2] == u'\\' || p[2] == u'/')));
}

// Finds out what the path names; false (last error set) when it names nothing.
bool Identify(const std::u16string& path, DWORD attributes, bool useAttributes, Item& item)
{
    item.name = path;
    if (IsDriveRoot(path)) {
        std::u16string root = path.substr(0, 2) + u"\\";
        item.what = GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE ? Item::kRemovable : Item::kDrive;
        item.name = root;
        return true;
    }
    if (useAttributes) {
        item.what = attributes & FILE_ATTRIBUTE_DIRECTORY ? Item::kFolder : Item::kFile;
        return true;
    }
    DWORD found = GetFileAttributesW(path.c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return false;
    item.what = found & FILE_ATTRIBUTE_DIRECTORY ? (path == u"/" ? Item::kDrive : Item::kFolder) : Item::kFile;
    return true;
}

void CopyOut(const std::u16string& text, WCHAR* out, size_t capacity)
{
    size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), n * sizeof(WCHAR));
    out[n] = 0;
}

} // namespace

DWORD_PTR SHGetFileInfoW(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW* psfi, UINT cbFileInfo, UINT uFlags)
{
    // Attributes, icon locations and program types are not worked out by the layer.
    if (uFlags & (SHGFI_ATTRIBUTES | SHGFI_ICONLOCATION | SHGFI_EXETYPE | SHGFI_ATTR_SPECIFIED)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    if (!pszPath || (psfi && cbFileInfo < sizeof(SHFILEINFOW)) ||
        (!psfi && (uFlags & (SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME)))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string path;
    if (uFlags & SHGFI_PIDL) {
        if (!shell::PathFromItemList(reinterpret_cast<LPCITEMIDLIST>(pszPath), path)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    } else {
        path = pszPath;
    }
    Item item;
    if (!Identify(path, dwFileAttributes, uFlags & SHGFI_USEFILEATTRIBUTES, item))
        return 0;

    bool small = uFlags & SHGFI_SMALLICON;
    HIMAGELIST list = nullptr;
    int index = IconOf(item, uFlags & SHGFI_OPENICON);
    if (uFlags & (SHGFI_SYSICONINDEX | SHGFI_ICON)) {
        list = shell::SystemImageList(small);
        if (!list)
            return 0;
        if (psfi)
            psfi->iIcon = index;
    }
    if (uFlags & SHGFI_ICON) {
        psfi->hIcon = ImageList_GetIcon(list, index, ILD_NORMAL);
        if (!psfi->hIcon)
            return 0;
    }
    if (uFlags & SHGFI_DISPLAYNAME) {
        std::u16string shown = LastComponent(item.name);
        if (item.what == Item::kDrive || item.what == Item::kRemovable)
            shown = path == u"/" ? path : TypeName(item) + u" (" + item.name.substr(0, 2) + u")";
        CopyOut(shown, psfi->szDisplayName, MAX_PATH);
    }
    if (uFlags & SHGFI_TYPENAME)
        CopyOut(TypeName(item), psfi->szTypeName, 80);
    if (uFlags & SHGFI_SYSICONINDEX)
        return (DWORD_PTR)list;
    return 1;
}
