// The shell questions of the result lists; none of them touches the disk except the drive root.
#include "controls/shell_file_info.h"

namespace {

UINT SizeFlag(BOOL bSmall) { return bSmall ? SHGFI_SMALLICON : SHGFI_LARGEICON; }

int IndexOf(LPCWSTR name, DWORD attributes, BOOL bSmall)
{
    SHFILEINFOW info{};
    SHGetFileInfoW(name, attributes, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SizeFlag(bSmall));
    return info.iIcon;
}

} // namespace

HIMAGELIST CShellFileInfo::GetSystemImageList(BOOL bSmall)
{
    SHFILEINFOW info{};
    return (HIMAGELIST)SHGetFileInfoW(u"c:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SizeFlag(bSmall));
}

int CShellFileInfo::GetIconIndex(LPCWSTR lpszFileName, BOOL bSmall)
{
    return IndexOf(lpszFileName, FILE_ATTRIBUTE_NORMAL, bSmall);
}

int CShellFileInfo::GetFolderIconIndex(BOOL bSmall)
{
    return IndexOf(u"Doesn't matter", FILE_ATTRIBUTE_DIRECTORY, bSmall);
}

CString CShellFileInfo::GetTypeName(LPCWSTR lpszFileName)
{
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(lpszFileName, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
        return CString();
    return CString(info.szTypeName);
}
