// Drive letters of the source partitions: GetLogicalDrives, drive types, volume information and free space.
#include "win32/kernel/util.h"
#include "win32/kernel/volume_facts.h"

#include <cerrno>
#include <sys/statvfs.h>

using namespace dovemark::kernel;

namespace {

// "X:", "X:\" or "X:/" name a drive root; anything else is not a drive root.
bool DriveRoot(LPCWSTR root, char& letter)
{
    if (!root || root[0] >= 0x80 || !std::isalpha(int(root[0])) || root[1] != u':')
        return false;
    if (root[2] && !((root[2] == u'\\' || root[2] == u'/') && root[3] == 0))
        return false;
    letter = char(std::toupper(int(root[0])));
    return true;
}

bool StatFs(const std::string& path, ULONGLONG& available, ULONGLONG& total, ULONGLONG& free)
{
    struct statvfs vfs;
    if (statvfs(path.c_str(), &vfs) != 0) {
        FailErrno(errno);
        return false;
    }
    available = ULONGLONG(vfs.f_bavail) * vfs.f_frsize;
    total = ULONGLONG(vfs.f_blocks) * vfs.f_frsize;
    free = ULONGLONG(vfs.f_bfree) * vfs.f_frsize;
    return true;
}

} // namespace

DWORD GetLogicalDrives()
{
    DWORD mask = 0;
    for (const Volume& v : CurrentDevices().volumes)
        if (v.letter)
            mask |= 1u << (v.letter - 'A');
    SetLastError(ERROR_SUCCESS);
    return mask;
}

DWORD GetLogicalDriveStringsW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    std::u16string all;
    for (const Volume& v : CurrentDevices().volumes)
        if (v.letter) {
            all += char16_t(v.letter);
            all += u":\\";
            all += u'\0';
        }
    if (!lpBuffer || nBufferLength < all.size() + 1)
        return DWORD(all.size() + 1);
    std::copy(all.begin(), all.end(), lpBuffer);
    lpBuffer[all.size()] = 0;
    return DWORD(all.size());
}

UINT GetDriveTypeW(LPCWSTR lpRootPathName)
{
    if (!lpRootPathName)
        return DRIVE_FIXED; // the current folder
    char letter;
    if (DriveRoot(lpRootPathName, letter)) {
        DeviceMap map = CurrentDevices();
        const Volume* v = map.ByLetter(letter);
        if (!v)
            return DRIVE_NO_ROOT_DIR;
        return map.disks[v->disk].removable ? DRIVE_REMOVABLE : DRIVE_FIXED;
    }
    std::string path;
    struct stat st;
    if (!dovemark::MapPath(lpRootPathName, path) || stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return DRIVE_NO_ROOT_DIR;
    return DRIVE_FIXED;
}

BOOL GetVolumeInformationW(LPCWSTR lpRootPathName, LPWSTR lpVolumeNameBuffer, DWORD nVolumeNameSize,
                           LPDWORD lpVolumeSerialNumber, LPDWORD lpMaximumComponentLength, LPDWORD lpFileSystemFlags,
                           LPWSTR lpFileSystemNameBuffer, DWORD nFileSystemNameSize)
{
    dovemark::Checkpoint();
    char letter;
    if (!DriveRoot(lpRootPathName, letter))
        return Fail(ERROR_INVALID_NAME);
    DeviceMap map = CurrentDevices();
    const Volume* v = map.ByLetter(letter);
    if (!v)
        return Fail(ERROR_PATH_NOT_FOUND);
    VolumeFacts facts;
    if (DWORD e = ReadVolumeFacts(map.disks[v->disk], *v, facts, false))
        return Fail(e);
    if ((lpVolumeNameBuffer && nVolumeNameSize <= facts.label.size())
        || (lpFileSystemNameBuffer && nFileSystemNameSize <= facts.fsName.size()))
        return Fail(ERROR_BAD_LENGTH);
    if (lpVolumeNameBuffer)
        CopyOutString(facts.label, lpVolumeNameBuffer, nVolumeNameSize);
    if (lpFileSystemNameBuffer)
        CopyOutString(facts.fsName, lpFileSystemNameBuffer, nFileSystemNameSize);
    if (lpVolumeSerialNumber)
        *lpVolumeSerialNumber = facts.serial;
    if (lpMaximumComponentLength)
        *lpMaximumComponentLength = 255;
    if (lpFileSystemFlags)
        *lpFileSystemFlags = facts.fsFlags;
    return TRUE;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes)
{
    dovemark::Checkpoint();
    ULONGLONG available = 0, total = 0, free = 0;
    char letter;
    if (lpDirectoryName && DriveRoot(lpDirectoryName, letter)) {
        DeviceMap map = CurrentDevices();
        const Volume* v = map.ByLetter(letter);
        if (!v)
            return Fail(ERROR_PATH_NOT_FOUND);
        std::string mount = MountPointOf(map, *v);
        if (!mount.empty()) {
            if (!StatFs(mount, available, total, free))
                return FALSE;
        } else {
            VolumeFacts facts;
            if (DWORD e = ReadVolumeFacts(map.disks[v->disk], *v, facts, true))
                return Fail(e);
            total = facts.totalBytes;
            available = free = facts.freeBytes;
        }
    } else {
        std::string path = ".";
        if (lpDirectoryName && !dovemark::MapPath(lpDirectoryName, path))
            return FALSE;
        if (!StatFs(path, available, total, free))
            return errno == ENOENT ? Fail(ERROR_PATH_NOT_FOUND) : FALSE;
    }
    if (lpFreeBytesAvailableToCaller)
        lpFreeBytesAvailableToCaller->QuadPart = available;
    if (lpTotalNumberOfBytes)
        lpTotalNumberOfBytes->QuadPart = total;
    if (lpTotalNumberOfFreeBytes)
        lpTotalNumberOfFreeBytes->QuadPart = free;
    return TRUE;
}
