// File and raw-device handles: CreateFile, reads and writes, the file pointer, sizes and types.
#include "win32/kernel/file_object.h"
#include "win32/kernel/util.h"
#include "win32/text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovemark::kernel {

FileObject::~FileObject()
{
    if (deleteOnClose && !device && unlink(path.c_str()) == 0)
        NotePathRemoved(path);
    if (fd >= 0)
        close(fd);
}

namespace {

bool WantsWrite(DWORD access)
{
    return access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA);
}

// "\\.\PhysicalDriveN" or "\\.\X:" (either separator); false for anything else.
bool ParseDevicePath(const std::u16string& p, int& driveNumber, char& letter)
{
    driveNumber = -1;
    letter = 0;
    if (p.size() < 5 || !((p[0] == u'\\' || p[0] == u'/') && (p[1] == u'\\' || p[1] == u'/') && p[2] == u'.'
                          && (p[3] == u'\\' || p[3] == u'/')))
        return false;
    std::u16string rest = p.substr(4);
    if (rest.size() == 2 && rest[1] == u':' && rest[0] < 0x80 && std::isalpha(int(rest[0]))) {
        letter = char(std::toupper(int(rest[0])));
        return true;
    }
    static const char kDrive[] = "physicaldrive";
    size_t n = sizeof kDrive - 1;
    if (rest.size() <= n || rest.size() > n + 3)
        return true; // some other device: not found
    for (size_t i = 0; i < n; ++i)
        if (rest[i] >= 0x80 || std::tolower(int(rest[i])) != kDrive[i])
            return true;
    int number = 0;
    for (size_t i = n; i < rest.size(); ++i) {
        if (rest[i] < u'0' || rest[i] > u'9')
            return true;
        number = number * 10 + (rest[i] - u'0');
    }
    driveNumber = number;
    return true;
}

HANDLE OpenDevice(int driveNumber, char letter, DWORD access, DWORD disposition, DWORD flags)
{
    if (disposition == CREATE_NEW) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    DeviceMap map = CurrentDevices();
    auto object = std::make_shared<FileObject>();
    if (driveNumber >= 0 && size_t(driveNumber) < map.disks.size()) {
        object->device = map.disks[size_t(driveNumber)];
        object->length = object->device->length;
    } else if (const Volume* v = letter ? map.ByLetter(letter) : nullptr) {
        object->device = map.disks[v->disk];
        object->base = v->startSector * kSectorSize;
        object->length = v->sectorCount * kSectorSize;
    } else {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // Whatever access is asked for, a source disk is opened for reading only.
    object->fd = OpenDiskFd(*object->device, &object->direct, flags & FILE_FLAG_NO_BUFFERING);
    if (object->fd < 0 && errno != ENOMEDIUM) {
        FailErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    object->path = object->device->path;
    object->access = access;
    object->flags = flags;
    HANDLE h = InsertHandle(object);
    if (!h)
        return INVALID_HANDLE_VALUE;
    SetLastError(ERROR_SUCCESS);
    return h;
}

DWORD MissingPathError(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return ERROR_FILE_NOT_FOUND;
    struct stat st;
    return stat(path.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                                : ERROR_PATH_NOT_FOUND;
}

} // namespace
} // namespace dovemark::kernel

using namespace dovemark::kernel;

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    dovemark::Checkpoint();
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int driveNumber;
    char letter;
    if (ParseDevicePath(lpFileName, driveNumber, letter))
        return OpenDevice(driveNumber, letter, dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes);

    std::string path;
    if (!dovemark::MapPath(lpFileName, path))
        return INVALID_HANDLE_VALUE;
    bool write = WantsWrite(dwDesiredAccess);
    bool read = dwDesiredAccess & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA);
    if (dwCreationDisposition == TRUNCATE_EXISTING && !write) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }

    struct stat st;
    bool exists = stat(path.c_str(), &st) == 0;
    if (exists) {
        if (dwCreationDisposition == CREATE_NEW) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        bool truncates = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
        if (S_ISDIR(st.st_mode) && (!(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || write || truncates)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if ((write || truncates) && (IsSourceFile(CurrentDisks(), st) || !(st.st_mode & S_IWUSR))) {
            // A disk the program reads from is never written, even through its image or node.
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    } else if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING) {
        SetLastError(MissingPathError(path));
        return INVALID_HANDLE_VALUE;
    }

    int oflags = O_CLOEXEC;
    bool truncates = exists && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING);
    oflags |= (write || truncates) ? (read ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (!exists)
        oflags |= O_CREAT | O_EXCL;
    if (truncates)
        oflags |= O_TRUNC;
    if (exists && S_ISDIR(st.st_mode))
        oflags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd = open(path.c_str(), oflags, mode);
    if (fd < 0 && errno == EACCES && !read && !write && !truncates && !(oflags & O_CREAT))
        fd = open(path.c_str(), O_PATH | O_CLOEXEC); // attributes and times only, as access 0 allows
    if (fd < 0) {
        // EEXIST: the file appeared since it was looked at; Windows names that ERROR_FILE_EXISTS.
        SetLastError(errno == ENOENT ? MissingPathError(path) : errno == EEXIST ? ERROR_FILE_EXISTS : ErrnoToWin32(errno));
        return INVALID_HANDLE_VALUE;
    }
    if (!exists || truncates) {
        DWORD dos = dwFlagsAndAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                                            | FILE_ATTRIBUTE_TEMPORARY);
        if (dos)
            StoreDosAttributes(path, dos);
    }
    if (!exists)
        NotePathCreated(path);
    auto object = std::make_shared<FileObject>();
    object->fd = fd;
    object->path = path;
    object->access = dwDesiredAccess;
    object->flags = dwFlagsAndAttributes;
    object->deleteOnClose = dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE;
    object->isDirectory = exists && S_ISDIR(st.st_mode);
    HANDLE h = InsertHandle(object);
    if (!h)
        return INVALID_HANDLE_VALUE;
    bool reportsExisting = exists && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES sa,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Narrow paths are in the program's ANSI code page, as on Windows.
    std::u16string wide = AnsiToWide(lpFileName);
    return CreateFileW(wide.c_str(), dwDesiredAccess, dwShareMode, sa, dwCreationDisposition, dwFlagsAndAttributes,
                       hTemplateFile);
}

namespace {

void Complete(LPOVERLAPPED ov, DWORD transferred, DWORD error)
{
    if (!ov)
        return;
    ov->Internal = error;
    ov->InternalHigh = transferred;
    if (ov->hEvent)
        SetEvent(ov->hEvent);
}

} // namespace

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped)
{
    dovemark::Checkpoint();
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return FALSE;
    if (!file->CanRead() || file->isDirectory)
        return Fail(ERROR_ACCESS_DENIED);
    if (!lpBuffer && nNumberOfBytesToRead)
        return Fail(ERROR_NOACCESS);
    std::lock_guard<std::mutex> g(file->lock);
    ULONGLONG offset = lpOverlapped ? (ULONGLONG(lpOverlapped->OffsetHigh) << 32 | lpOverlapped->Offset)
                                    : file->position;
    DWORD done = 0;
    if (file->device) {
        // Raw devices read whole sectors only, as on Windows.
        if (offset % kSectorSize || nNumberOfBytesToRead % kSectorSize)
            return Fail(ERROR_INVALID_PARAMETER);
        if (file->fd < 0 || file->length == 0)
            return Fail(ERROR_NOT_READY);
        if (nNumberOfBytesToRead) {
            DWORD error = offset > file->length || nNumberOfBytesToRead > file->length - offset
                ? ERROR_SECTOR_NOT_FOUND
                : ReadDisk(file->fd, file->direct, *file->device, file->base + offset, lpBuffer, nNumberOfBytesToRead);
            if (error != ERROR_SUCCESS)
                return Fail(error);
        }
        done = nNumberOfBytesToRead;
    } else {
        auto* p = static_cast<BYTE*>(lpBuffer);
        while (done < nNumberOfBytesToRead) {
            ssize_t n = pread(file->fd, p + done, nNumberOfBytesToRead - done, off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return FailErrno(errno);
            if (n == 0)
                break;
            done += DWORD(n);
        }
    }
    file->position = offset + done;
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = done;
    Complete(lpOverlapped, done, ERROR_SUCCESS);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped)
{
    dovemark::Checkpoint();
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return FALSE;
    if (!file->CanWrite() || file->isDirectory)
        return Fail(ERROR_ACCESS_DENIED);
    if (!lpBuffer && nNumberOfBytesToWrite)
        return Fail(ERROR_NOACCESS);
    std::lock_guard<std::mutex> g(file->lock);
    ULONGLONG offset = lpOverlapped ? (ULONGLONG(lpOverlapped->OffsetHigh) << 32 | lpOverlapped->Offset)
                                    : file->position;
    if (!(file->access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA))) { // append-only access
        struct stat st;
        if (fstat(file->fd, &st) != 0)
            return FailErrno(errno);
        offset = ULONGLONG(st.st_size);
    }
    const auto* p = static_cast<const BYTE*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        ssize_t n = pwrite(file->fd, p + done, nNumberOfBytesToWrite - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int err = n < 0 ? errno : ENOSPC;
            file->position = offset + done;
            if (lpNumberOfBytesWritten)
                *lpNumberOfBytesWritten = done;
            return FailErrno(err);
        }
        done += DWORD(n);
    }
    file->position = offset + done;
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = done;
    Complete(lpOverlapped, done, ERROR_SUCCESS);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred, BOOL)
{
    if (!Lookup<FileObject>(hFile))
        return FALSE;
    if (!lpOverlapped)
        return Fail(ERROR_INVALID_PARAMETER);
    // Every transfer completes before ReadFile/WriteFile return.
    if (lpNumberOfBytesTransferred)
        *lpNumberOfBytesTransferred = DWORD(lpOverlapped->InternalHigh);
    if (lpOverlapped->Internal != ERROR_SUCCESS)
        return Fail(DWORD(lpOverlapped->Internal));
    return TRUE;
}

namespace {

bool FileLength(FileObject& file, ULONGLONG& length)
{
    if (file.device) {
        length = file.length;
        return true;
    }
    struct stat st;
    if (fstat(file.fd, &st) != 0) {
        FailErrno(errno);
        return false;
    }
    length = ULONGLONG(st.st_size);
    return true;
}

bool MovePointer(HANDLE hFile, LONGLONG distance, DWORD method, ULONGLONG& newPosition)
{
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return false;
    std::lock_guard<std::mutex> g(file->lock);
    LONGLONG origin;
    ULONGLONG length;
    switch (method) {
    case FILE_BEGIN: origin = 0; break;
    case FILE_CURRENT: origin = LONGLONG(file->position); break;
    case FILE_END:
        if (!FileLength(*file, length))
            return false;
        origin = LONGLONG(length);
        break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return false;
    }
    if ((distance > 0 && origin > INT64_MAX - distance) || origin + distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    newPosition = ULONGLONG(origin + distance);
    file->position = newPosition;
    return true;
}

} // namespace

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod)
{
    LONGLONG distance = lpDistanceToMoveHigh
        ? LONGLONG(ULONGLONG(DWORD(*lpDistanceToMoveHigh)) << 32 | DWORD(lDistanceToMove))
        : LONGLONG(lDistanceToMove);
    if (!lpDistanceToMoveHigh) {
        // Without a high half the result must fit 32 bits: check before moving.
        auto file = Lookup<FileObject>(hFile);
        if (!file)
            return INVALID_SET_FILE_POINTER;
        ULONGLONG length = 0;
        LONGLONG origin = 0;
        {
            std::lock_guard<std::mutex> g(file->lock);
            if (dwMoveMethod == FILE_CURRENT)
                origin = LONGLONG(file->position);
            else if (dwMoveMethod == FILE_END) {
                if (!FileLength(*file, length))
                    return INVALID_SET_FILE_POINTER;
                origin = LONGLONG(length);
            }
        }
        if (dwMoveMethod <= FILE_END && origin + distance > LONGLONG(0xFFFFFFFFLL)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_SET_FILE_POINTER;
        }
    }
    ULONGLONG position;
    if (!MovePointer(hFile, distance, dwMoveMethod, position))
        return INVALID_SET_FILE_POINTER;
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = LONG(position >> 32);
    // Callers tell a real position 0xFFFFFFFF from a failure by the last error.
    SetLastError(ERROR_SUCCESS);
    return DWORD(position);
}

BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                      DWORD dwMoveMethod)
{
    ULONGLONG position;
    if (!MovePointer(hFile, liDistanceToMove.QuadPart, dwMoveMethod, position))
        return FALSE;
    if (lpNewFilePointer)
        lpNewFilePointer->QuadPart = LONGLONG(position);
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize)
{
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return FALSE;
    if (file->device) // a disk's length comes from IOCTL_DISK_GET_LENGTH_INFO
        return Fail(ERROR_INVALID_FUNCTION);
    ULONGLONG length;
    if (!FileLength(*file, length))
        return FALSE;
    if (lpFileSize)
        lpFileSize->QuadPart = LONGLONG(length);
    return TRUE;
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(hFile, &size))
        return INVALID_FILE_SIZE;
    if (lpFileSizeHigh)
        *lpFileSizeHigh = DWORD(ULONGLONG(size.QuadPart) >> 32);
    SetLastError(ERROR_SUCCESS);
    return DWORD(size.QuadPart);
}

BOOL SetEndOfFile(HANDLE hFile)
{
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return FALSE;
    if (!file->CanWrite())
        return Fail(ERROR_ACCESS_DENIED);
    std::lock_guard<std::mutex> g(file->lock);
    if (ftruncate(file->fd, off_t(file->position)) != 0)
        return FailErrno(errno);
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile)
{
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return FALSE;
    if (!file->CanWrite())
        return Fail(ERROR_ACCESS_DENIED);
    if (fsync(file->fd) != 0)
        return FailErrno(errno);
    return TRUE;
}

DWORD GetFileType(HANDLE hFile)
{
    auto file = Lookup<FileObject>(hFile);
    if (!file)
        return FILE_TYPE_UNKNOWN;
    SetLastError(ERROR_SUCCESS);
    if (file->device)
        return FILE_TYPE_DISK;
    struct stat st;
    if (fstat(file->fd, &st) != 0)
        return FILE_TYPE_UNKNOWN;
    if (S_ISCHR(st.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_DISK;
}
