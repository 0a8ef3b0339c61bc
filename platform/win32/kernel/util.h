// Helpers shared by the kernel sources: UTF-16 text, errno translation, time units, file attributes.
#pragma once

#include "win32/kernel.h"

#include <string>
#include <sys/stat.h>

namespace dovemark::kernel {

// UTF-16 <-> UTF-8. Unpaired surrogates become U+FFFD; returns false when the input was not clean.
bool Utf16ToUtf8(const WCHAR* text, std::string& out);
bool Utf16ToUtf8(const std::u16string& text, std::string& out);
std::u16string Utf8ToUtf16(const std::string& text);
// Appends one code point: a surrogate pair beyond the basic plane.
void AppendUtf16(std::u16string& out, char32_t c);
inline size_t WideLength(const WCHAR* s)
{
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

// Copies text into a caller's buffer the Windows way: returns the characters written without the
// terminator, or, when the buffer is too small, the size needed including the terminator (and
// writes nothing).
DWORD CopyOutString(const std::u16string& text, LPWSTR buffer, DWORD bufferChars);

DWORD ErrnoToWin32(int err);
// Sets the last error from errno (or from err) and returns FALSE.
BOOL FailErrno(int err);
inline BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// FILETIME counts 100 ns from 1601-01-01 UTC.
constexpr LONGLONG kUnixEpochInFileTime = 116444736000000000LL;
inline ULONGLONG FileTimeValue(const FILETIME& ft) { return ULONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime; }
inline FILETIME MakeFileTime(ULONGLONG v) { return FILETIME{DWORD(v), DWORD(v >> 32)}; }
FILETIME TimespecToFileTime(const struct timespec& ts);
struct timespec FileTimeToTimespec(const FILETIME& ft);

// Attributes and creation time that Linux cannot hold are kept in extended attributes of the file.
DWORD AttributesOf(const std::string& linuxPath, const struct stat& st);
FILETIME CreationTimeOf(const std::string& linuxPath, const struct stat& st);
// False (errno set) when the attribute could not be stored.
bool StoreCreationTime(int fd, const FILETIME& ft);
bool StoreDosAttributes(const std::string& linuxPath, DWORD attributes);

// Tell the letter-case lookup of MapPath about names the layer itself made or removed.
void NotePathCreated(const std::string& linuxPath);
void NotePathRemoved(const std::string& linuxPath);

} // namespace dovemark::kernel
