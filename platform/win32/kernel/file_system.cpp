// Operations on paths: attributes, folders, delete, move, copy, the current and full paths.
#include "win32/kernel/disks.h"
#include "win32/kernel/util.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace dovemark::kernel;

namespace {

DWORD MissingError(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    struct stat st;
    if (slash == std::string::npos || slash == 0)
        return ERROR_FILE_NOT_FOUND;
    return stat(path.substr(0, slash).c_str(), &st) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

BOOL FailPath(const std::string& path, int err)
{
    if (err == ENOENT)
        return Fail(MissingError(path));
    return FailErrno(err);
}

bool IsReadOnlyFile(const struct stat& st)
{
    return !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR);
}

} // namespace

DWORD GetFileAttributesW(LPCWSTR lpFileName)
{
    std::string path;
    if (!dovemark::MapPath(lpFileName, path))
        return INVALID_FILE_ATTRIBUTES;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        FailPath(path, errno);
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(path, st);
}

BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes)
{
    std::string path;
    if (!dovemark::MapPath(lpFileName, path))
        return FALSE;
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return FailPath(path, errno);
    if (IsSourceFile(CurrentDisks(), st))
        return Fail(ERROR_ACCESS_DENIED);
    if (!S_ISDIR(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        mode = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t(0222)) : (mode | S_IWUSR);
        if (mode != (st.st_mode & 07777) && chmod(path.c_str(), mode) != 0)
            return FailErrno(errno);
    }
    DWORD dos = dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                                    | FILE_ATTRIBUTE_TEMPORARY);
    if (!StoreDosAttributes(path, dos)) {
        // Without extended attributes only the bits Linux holds itself can be kept.
        if (dos & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            return FailErrno(errno);
    }
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    std::string path;
    if (!dovemark::MapPath(lpPathName, path))
        return FALSE;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (mkdir(path.c_str(), 0777) != 0)
        return errno == ENOENT ? Fail(ERROR_PATH_NOT_FOUND) : FailErrno(errno);
    NotePathCreated(path);
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName)
{
    std::string path;
    if (!dovemark::MapPath(lpPathName, path))
        return FALSE;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        return Fail(ERROR_DIRECTORY);
    if (rmdir(path.c_str()) != 0)
        return FailPath(path, errno);
    NotePathRemoved(path);
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR lpFileName)
{
    std::string path;
    if (!dovemark::MapPath(lpFileName, path))
        return FALSE;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return FailPath(path, errno);
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && IsReadOnlyFile(st)))
        return Fail(ERROR_ACCESS_DENIED);
    if (IsSourceFile(CurrentDisks(), st))
        return Fail(ERROR_ACCESS_DENIED);
    if (unlink(path.c_str()) != 0)
        return FailPath(path, errno);
    NotePathRemoved(path);
    return TRUE;
}

namespace {

BOOL CopyContents(const std::string& from, const std::string& to, bool failIfExists)
{
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return FailPath(from, errno);
    struct stat st;
    fstat(in, &st);
    if (S_ISDIR(st.st_mode)) {
        close(in);
        return Fail(ERROR_ACCESS_DENIED);
    }
    struct stat dst;
    if (stat(to.c_str(), &dst) == 0) {
        if (failIfExists) {
            close(in);
            return Fail(ERROR_FILE_EXISTS);
        }
        if (dst.st_dev == st.st_dev && dst.st_ino == st.st_ino) {
            close(in);
            return Fail(ERROR_SHARING_VIOLATION); // copying a file onto itself would empty it
        }
        if (IsReadOnlyFile(dst) || IsSourceFile(CurrentDisks(), dst)) {
            close(in);
            return Fail(ERROR_ACCESS_DENIED);
        }
    }
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0), st.st_mode & 0777);
    if (out < 0) {
        int err = errno;
        close(in);
        return FailPath(to, err);
    }
    NotePathCreated(to);
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int err = errno;
            close(in);
            close(out);
            unlink(to.c_str());
            return FailErrno(err);
        }
        if (n == 0)
            break;
        for (ssize_t off = 0; off < n;) {
            ssize_t w = write(out, buffer.data() + off, size_t(n - off));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                int err = w < 0 ? errno : ENOSPC;
                close(in);
                close(out);
                unlink(to.c_str()); // no half copy left behind as if it were the file
                return FailErrno(err);
            }
            off += w;
        }
    }
    // A copy keeps the source's times, as Windows keeps the last-write time.
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
    close(in);
    if (close(out) != 0) {
        int err = errno;
        unlink(to.c_str());
        return FailErrno(err);
    }
    return TRUE;
}

} // namespace

BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists)
{
    std::string from, to;
    if (!dovemark::MapPath(lpExistingFileName, from) || !dovemark::MapPath(lpNewFileName, to))
        return FALSE;
    return CopyContents(from, to, bFailIfExists);
}

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    std::string from, to;
    if (!dovemark::MapPath(lpExistingFileName, from) || !dovemark::MapPath(lpNewFileName, to))
        return FALSE;
    struct stat st, dst;
    if (lstat(from.c_str(), &st) != 0)
        return FailPath(from, errno);
    DeviceMap map = CurrentDisks();
    if (IsSourceFile(map, st))
        return Fail(ERROR_ACCESS_DENIED);
    if (lstat(to.c_str(), &dst) == 0) {
        bool same = dst.st_dev == st.st_dev && dst.st_ino == st.st_ino; // a change of letter case only
        if (!same && (!(dwFlags & MOVEFILE_REPLACE_EXISTING) || S_ISDIR(dst.st_mode)))
            return Fail(ERROR_ALREADY_EXISTS);
        if (!same && (IsReadOnlyFile(dst) || IsSourceFile(map, dst)))
            return Fail(ERROR_ACCESS_DENIED);
    }
    if (rename(from.c_str(), to.c_str()) == 0) {
        NotePathRemoved(from);
        NotePathCreated(to);
        return TRUE;
    }
    if (errno == EXDEV && (dwFlags & MOVEFILE_COPY_ALLOWED) && S_ISREG(st.st_mode)) {
        if (!CopyContents(from, to, false))
            return FALSE;
        if (unlink(from.c_str()) == 0)
            NotePathRemoved(from);
        return TRUE;
    }
    return FailPath(errno == ENOENT ? to : from, errno);
}

BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName)
{
    // MoveFile moves across volumes too, folders excepted.
    return MoveFileExW(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) {
        FailErrno(errno);
        return 0;
    }
    return CopyOutString(Utf8ToUtf16(cwd), lpBuffer, nBufferLength);
}

BOOL SetCurrentDirectoryW(LPCWSTR lpPathName)
{
    std::string path;
    if (!dovemark::MapPath(lpPathName, path))
        return FALSE;
    if (chdir(path.c_str()) != 0)
        return errno == ENOENT ? Fail(ERROR_PATH_NOT_FOUND) : FailErrno(errno);
    return TRUE;
}

DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart)
{
    std::string path;
    if (!dovemark::MapPath(lpFileName, path))
        return 0;
    if (path[0] != '/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd)) {
            FailErrno(errno);
            return 0;
        }
        path = std::string(cwd) + (std::string(cwd) == "/" ? "" : "/") + path;
    }
    // Fold "." and ".." lexically, as Windows does, without touching the file system.
    std::vector<std::string> parts;
    size_t pos = 1;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        std::string part = path.substr(pos, next - pos);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = next + 1;
    }
    std::string full;
    for (const std::string& part : parts)
        full += "/" + part;
    if (full.empty() || (path.back() == '/' && full != "/"))
        full += "/";
    std::u16string wide = Utf8ToUtf16(full);
    DWORD r = CopyOutString(wide, lpBuffer, nBufferLength);
    if (lpFilePart && lpBuffer && r < nBufferLength) {
        size_t slash = wide.find_last_of(u'/');
        *lpFilePart = slash + 1 < wide.size() ? lpBuffer + slash + 1 : nullptr;
    }
    return r;
}
