// The C runtime's file functions on UTF-16 paths, with Windows open flags.
#include "win32/kernel/disks.h"
#include "win32/kernel/util.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dovemark::kernel;

namespace {

// Maps a path as the Win32 calls do; on failure sets errno as the C runtime would.
bool CrtPath(const WCHAR* path, std::string& out)
{
    if (!path) {
        errno = EINVAL;
        return false;
    }
    if (!dovemark::MapPath(path, out)) {
        errno = GetLastError() == ERROR_INVALID_NAME ? EINVAL : ENOENT;
        return false;
    }
    return true;
}

bool WritesSource(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && IsSourceFile(CurrentDisks(), st);
}

} // namespace

FILE* _wfopen(const WCHAR* filename, const WCHAR* mode)
{
    std::string path;
    if (!CrtPath(filename, path) || !mode) {
        if (!mode)
            errno = EINVAL;
        return nullptr;
    }
    std::string m;
    for (const WCHAR* p = mode; *p && *p != u','; ++p) { // ",ccs=..." encodings are not applied
        if (*p == u'r' || *p == u'w' || *p == u'a' || *p == u'+' || *p == u'x')
            m += char(*p);
        else if (*p != u'b' && *p != u't' && *p != u' ' && *p != u'N' && *p != u'S' && *p != u'R'
                 && *p != u'T' && *p != u'D' && *p != u'c' && *p != u'n') {
            errno = EINVAL;
            return nullptr;
        }
    }
    if (m.empty() || (m[0] != 'r' && m[0] != 'w' && m[0] != 'a')) {
        errno = EINVAL;
        return nullptr;
    }
    if (m != "r" && WritesSource(path)) {
        errno = EACCES;
        return nullptr;
    }
    FILE* f = std::fopen(path.c_str(), (m + "e").c_str());
    if (f && m[0] != 'r')
        NotePathCreated(path);
    return f;
}

int _wopen(const WCHAR* filename, int oflag, int pmode)
{
    std::string path;
    if (!CrtPath(filename, path))
        return -1;
    int flags = O_CLOEXEC;
    switch (oflag & 3) {
    case _O_RDONLY: flags |= O_RDONLY; break;
    case _O_WRONLY: flags |= O_WRONLY; break;
    case _O_RDWR: flags |= O_RDWR; break;
    default: errno = EINVAL; return -1;
    }
    if (oflag & _O_APPEND)
        flags |= O_APPEND;
    if (oflag & _O_CREAT)
        flags |= O_CREAT;
    if (oflag & _O_TRUNC)
        flags |= O_TRUNC;
    if (oflag & _O_EXCL)
        flags |= O_EXCL;
    if ((oflag & 3) != _O_RDONLY || (oflag & _O_TRUNC)) {
        if (WritesSource(path)) {
            errno = EACCES;
            return -1;
        }
    }
    mode_t mode = (pmode & _S_IWRITE) ? 0666 : 0444;
    int fd = open(path.c_str(), flags, mode);
    if (fd >= 0 && (flags & O_CREAT))
        NotePathCreated(path);
    return fd;
}

int _waccess(const WCHAR* path, int mode)
{
    std::string p;
    if (!CrtPath(path, p))
        return -1;
    if (mode & ~6) {
        errno = EINVAL;
        return -1;
    }
    struct stat st;
    if (stat(p.c_str(), &st) != 0)
        return -1;
    // Mode 2 asks whether the file may be written: the read-only attribute says no, as on Windows.
    if ((mode & 2) && !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR)) {
        errno = EACCES;
        return -1;
    }
    return access(p.c_str(), (mode & 2 ? W_OK : 0) | (mode & 4 ? R_OK : 0) | F_OK);
}

int _wremove(const WCHAR* path)
{
    std::string p;
    if (!CrtPath(path, p))
        return -1;
    if (WritesSource(p)) {
        errno = EACCES;
        return -1;
    }
    if (unlink(p.c_str()) != 0)
        return -1;
    NotePathRemoved(p);
    return 0;
}

int _wunlink(const WCHAR* path)
{
    return _wremove(path);
}

int _wrename(const WCHAR* oldName, const WCHAR* newName)
{
    std::string from, to;
    if (!CrtPath(oldName, from) || !CrtPath(newName, to))
        return -1;
    struct stat st;
    if (stat(to.c_str(), &st) == 0) { // the C runtime of Windows never replaces a file
        errno = EEXIST;
        return -1;
    }
    if (WritesSource(from)) {
        errno = EACCES;
        return -1;
    }
    if (rename(from.c_str(), to.c_str()) != 0)
        return -1;
    NotePathRemoved(from);
    NotePathCreated(to);
    return 0;
}

int _wmkdir(const WCHAR* path)
{
    std::string p;
    if (!CrtPath(path, p))
        return -1;
    if (mkdir(p.c_str(), 0777) != 0)
        return -1;
    NotePathCreated(p);
    return 0;
}

int _wrmdir(const WCHAR* path)
{
    std::string p;
    if (!CrtPath(path, p))
        return -1;
    if (rmdir(p.c_str()) != 0)
        return -1;
    NotePathRemoved(p);
    return 0;
}

INT64 _filelengthi64(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return -1;
    return INT64(st.st_size);
}

long _filelength(int fd)
{
    INT64 length = _filelengthi64(fd);
    if (length > 0x7FFFFFFF) { // the 32-bit result cannot carry it
        errno = EOVERFLOW;
        return -1;
    }
    return long(length);
}

int _read(int fd, void* buffer, unsigned int count)
{
    ssize_t n;
    do
        n = read(fd, buffer, count);
    while (n < 0 && errno == EINTR);
    return int(n);
}

int _write(int fd, const void* buffer, unsigned int count)
{
    ssize_t n;
    do
        n = write(fd, buffer, count);
    while (n < 0 && errno == EINTR);
    return int(n);
}

INT64 _lseeki64(int fd, INT64 offset, int origin)
{
    return INT64(lseek(fd, off_t(offset), origin));
}

long _lseek(int fd, long offset, int origin)
{
    off_t r = lseek(fd, off_t(offset), origin);
    if (r > 0x7FFFFFFF) {
        errno = EINVAL;
        return -1;
    }
    return long(r);
}

int _close(int fd)
{
    return close(fd);
}
