// UTF-16 text, errno translation, time units and the extended attributes behind DOS attributes.
#include "win32/kernel/util.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/xattr.h>

namespace dovemark::kernel {

namespace {
constexpr const char* kXattrAttributes = "user.dovemark.attributes";
constexpr const char* kXattrCreation = "user.dovemark.creation_time";
// The bits Linux has no place for; READONLY lives in the permission bits, DIRECTORY in the type.
constexpr DWORD kStoredBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
    | FILE_ATTRIBUTE_TEMPORARY;
} // namespace

bool Utf16ToUtf8(const WCHAR* text, std::string& out)
{
    out.clear();
    bool clean = true;
    for (size_t i = 0; text[i]; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
            clean = false;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return clean;
}

bool Utf16ToUtf8(const std::u16string& text, std::string& out)
{
    return Utf16ToUtf8(text.c_str(), out);
}

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        char32_t c = s[i];
        size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
        bool ok = extra < 4 && i + extra < n;
        if (ok && extra > 0) {
            c &= 0x3F >> extra;
            for (size_t k = 1; ok && k <= extra; ++k) {
                if ((s[i + k] & 0xC0) != 0x80)
                    ok = false;
                else
                    c = (c << 6) | (s[i + k] & 0x3F);
            }
            static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
            if (ok && (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
                ok = false;
        }
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += extra + 1;
        AppendUtf16(out, c);
    }
    return out;
}

void AppendUtf16(std::u16string& out, char32_t c)
{
    if (c >= 0x10000) {
        c -= 0x10000;
        out += char16_t(0xD800 + (c >> 10));
        out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
        out += char16_t(c);
    }
}

DWORD CopyOutString(const std::u16string& text, LPWSTR buffer, DWORD bufferChars)
{
    if (!buffer || bufferChars <= text.size())
        return DWORD(text.size() + 1);
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return DWORD(text.size());
}

DWORD ErrnoToWin32(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBUSY: return ERROR_BUSY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EIO: return ERROR_CRC;
    case ENOMEDIUM: return ERROR_NOT_READY;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case EILSEQ: return ERROR_INVALID_NAME;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    default: return ERROR_GEN_FAILURE;
    }
}

BOOL FailErrno(int err)
{
    SetLastError(ErrnoToWin32(err));
    return FALSE;
}

// FILETIME counts 100 ns ticks since 1601 in the positive half of 64 bits; times beyond either end are clamped
// there, never wrapped.
constexpr LONGLONG kMaxFileTime = 0x7FFFFFFFFFFFFFFFLL;
constexpr LONGLONG kMaxFileTimeSeconds = (kMaxFileTime - kUnixEpochInFileTime) / 10000000LL;
constexpr LONGLONG kMinFileTimeSeconds = -kUnixEpochInFileTime / 10000000LL;

FILETIME TimespecToFileTime(const struct timespec& ts)
{
    if (ts.tv_sec >= kMaxFileTimeSeconds)
        return MakeFileTime(ULONGLONG(kMaxFileTimeSeconds) * 10000000ULL + kUnixEpochInFileTime);
    if (ts.tv_sec < kMinFileTimeSeconds)
        return MakeFileTime(0);
    LONGLONG v = LONGLONG(ts.tv_sec) * 10000000LL + ts.tv_nsec / 100 + kUnixEpochInFileTime;
    return MakeFileTime(v < 0 ? 0 : ULONGLONG(v));
}

struct timespec FileTimeToTimespec(const FILETIME& ft)
{
    // A damaged record's time can have the top bit set; it stands for the latest time there is.
    const ULONGLONG raw = FileTimeValue(ft);
    LONGLONG v = (raw > ULONGLONG(kMaxFileTime) ? kMaxFileTime : LONGLONG(raw)) - kUnixEpochInFileTime;
    struct timespec ts;
    ts.tv_sec = v / 10000000LL;
    ts.tv_nsec = (v % 10000000LL) * 100;
    if (ts.tv_nsec < 0) {
        ts.tv_nsec += 1000000000L;
        ts.tv_sec -= 1;
    }
    return ts;
}

DWORD AttributesOf(const std::string& linuxPath, const struct stat& st)
{
    DWORD attributes = 0;
    uint32_t stored = 0;
    bool haveStored = getxattr(linuxPath.c_str(), kXattrAttributes, &stored, sizeof stored) == sizeof stored;
    if (haveStored)
        attributes = stored & kStoredBits;
    else if (!S_ISDIR(st.st_mode))
        attributes = FILE_ATTRIBUTE_ARCHIVE; // what Windows gives a file nobody has touched the bits of
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(st.st_mode & S_IWUSR) && !S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

FILETIME CreationTimeOf(const std::string& linuxPath, const struct stat& st)
{
    uint64_t stored = 0;
    if (getxattr(linuxPath.c_str(), kXattrCreation, &stored, sizeof stored) == sizeof stored)
        return MakeFileTime(stored);
    // Without a stored creation time the oldest time Linux knows is the best answer.
    struct timespec oldest = st.st_mtim;
    if (st.st_ctim.tv_sec < oldest.tv_sec)
        oldest = st.st_ctim;
    return TimespecToFileTime(oldest);
}

bool StoreCreationTime(int fd, const FILETIME& ft)
{
    const uint64_t value = std::min<uint64_t>(FileTimeValue(ft), uint64_t(kMaxFileTime));
    return fsetxattr(fd, kXattrCreation, &value, sizeof value, 0) == 0;
}

bool StoreDosAttributes(const std::string& linuxPath, DWORD attributes)
{
    uint32_t value = attributes & kStoredBits;
    return setxattr(linuxPath.c_str(), kXattrAttributes, &value, sizeof value, 0) == 0;
}

} // namespace dovemark::kernel
