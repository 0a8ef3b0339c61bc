// ShellExecuteW, ShellExecuteExW and WinExec: documents and addresses to the desktop's opener, programs run directly.
#include "win32/kernel.h"
#include "win32/kernel/util.h"
#include "win32/shell.h"
#include "win32/shell/launch.h"
#include "win32/shell/shell_internal.h"
#include "win32/text.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

using dovemark::kernel::Utf16ToUtf8;

namespace {

constexpr INT_PTR kLaunched = 42; // any value above 32 means success
// The opener normally hands the document to a program and ends at once; one that keeps running
// (some desktops run the program in its place) is taken as started after this long.
constexpr unsigned kOpenerWaitMs = 3000;

struct Outcome {
    INT_PTR code;    // the ShellExecuteW result
    DWORD lastError; // the matching Win32 error on failure
};

Outcome Ok() { return {kLaunched, ERROR_SUCCESS}; }
Outcome Error(INT_PTR code)
{
    switch (code) {
    case SE_ERR_FNF:
        return {code, ERROR_FILE_NOT_FOUND};
    case SE_ERR_PNF:
        return {code, ERROR_PATH_NOT_FOUND};
    case SE_ERR_ACCESSDENIED:
        return {code, ERROR_ACCESS_DENIED};
    case SE_ERR_OOM:
        return {code, ERROR_NOT_ENOUGH_MEMORY};
    case ERROR_BAD_FORMAT:
        return {code, ERROR_BAD_FORMAT};
    default:
        return {code, ERROR_NO_ASSOCIATION};
    }
}

// A start that failed before the program ran, by its errno.
INT_PTR StartError(int err)
{
    switch (err) {
    case ENOENT:
        return SE_ERR_FNF;
    case ENOTDIR:
        return SE_ERR_PNF;
    case EACCES:
    case EPERM:
        return SE_ERR_ACCESSDENIED;
    case ENOMEM:
    case EAGAIN:
        return SE_ERR_OOM;
    case ENOEXEC:
        return ERROR_BAD_FORMAT;
    default:
        return SE_ERR_NOASSOC;
    }
}

// "mailto:x", "http://x": a scheme of two or more letters, so "C:\x" stays a path.
bool IsAddress(const std::u16string& s)
{
    size_t colon = s.find(u':');
    if (colon == std::u16string::npos || colon < 2)
        return false;
    auto alpha = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    if (!alpha(s[0]))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        char16_t c = s[i];
        if (!alpha(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return true;
}

std::string OpenerProgram()
{
    const char* fake = std::getenv("DOVEMARK_OPENER");
    std::string name = fake && *fake ? fake : "xdg-open";
    if (name.find('/') != std::string::npos)
        return name;
    return shell::FindOnPath(name);
}

// Hands a document, folder or address to the desktop's opener and reads its verdict.
Outcome Open(const std::string& target)
{
    std::string opener = OpenerProgram();
    if (opener.empty())
        return Error(SE_ERR_NOASSOC);
    shell::LaunchResult r = shell::Launch({opener, target}, {}, kOpenerWaitMs);
    if (r.error)
        return Error(r.error == ENOENT ? SE_ERR_NOASSOC : StartError(r.error));
    if (!r.exited || r.exitCode == 0)
        return Ok();
    // The opener's codes: 2 a file that does not exist, anything else no program for it.
    return Error(r.exitCode == 2 ? SE_ERR_FNF : SE_ERR_NOASSOC);
}

Outcome Run(const std::string& program, LPCWSTR parameters, const std::string& dir)
{
    std::vector<std::string> argv{program};
    if (parameters)
        for (const std::u16string& a : shell::SplitCommandLine(parameters)) {
            std::string u8;
            Utf16ToUtf8(a, u8);
            argv.push_back(u8);
        }
    shell::LaunchResult r = shell::Launch(argv, dir, 0);
    return r.error ? Error(StartError(r.error)) : Ok();
}

// Where a missing path fails: SE_ERR_PNF when its folder is missing too.
INT_PTR MissingPathError(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return SE_ERR_FNF;
    struct stat st;
    std::string parent = path.substr(0, slash);
    return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? SE_ERR_FNF : SE_ERR_PNF;
}

bool SameVerb(LPCWSTR verb, const char16_t* name)
{
    size_t i = 0;
    for (; verb[i] && name[i]; ++i) {
        char16_t a = verb[i], b = name[i];
        if (a >= u'A' && a <= u'Z')
            a = char16_t(a + 32);
        if (a != b)
            return false;
    }
    return verb[i] == 0 && name[i] == 0;
}

Outcome Execute(LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory)
{
    // Only opening is offered; printing, editing and the like have no program behind them here.
    if (verb && *verb && !SameVerb(verb, u"open") && !SameVerb(verb, u"explore"))
        return Error(SE_ERR_NOASSOC);
    if (!file || !*file)
        return Error(SE_ERR_FNF);
    std::u16string name(file);
    if (IsAddress(name)) {
        std::string u8;
        if (!Utf16ToUtf8(name, u8))
            return Error(SE_ERR_FNF);
        return Open(u8);
    }

    std::string dir;
    if (directory && *directory) {
        struct stat st;
        if (!dovemark::MapPath(directory, dir) || stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return Error(SE_ERR_PNF);
    }
    std::string path;
    bool bare = name.find(u'/') == std::u16string::npos && name.find(u'\\') == std::u16string::npos &&
                name.find(u':') == std::u16string::npos;
    std::u16string lookup = name;
    if (!dir.empty() && bare)
        lookup = dovemark::kernel::Utf8ToUtf16(dir) + u"/" + name;
    if (!dovemark::MapPath(lookup.c_str(), path))
        return Error(SE_ERR_PNF);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        int err = errno;
        if (bare && err == ENOENT) {
            std::string u8;
            Utf16ToUtf8(name, u8);
            std::string found = shell::FindOnPath(u8);
            if (!found.empty())
                return Run(found, parameters, dir);
        }
        if (err == EACCES)
            return Error(SE_ERR_ACCESSDENIED);
        return Error(err == ENOENT ? MissingPathError(path) : SE_ERR_PNF);
    }
    if (access(path.c_str(), R_OK) != 0)
        return Error(SE_ERR_ACCESSDENIED);
    if (S_ISDIR(st.st_mode))
        return Open(path);
    if (shell::IsRunnable(path))
        return Run(path, parameters, dir);
    return Open(path);
}

} // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory, INT)
{
    Outcome o = Execute(lpOperation, lpFile, lpParameters, lpDirectory);
    SetLastError(o.lastError);
    return (HINSTANCE)o.code;
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hProcess = nullptr;
    std::u16string fromList;
    LPCWSTR file = info->lpFile;
    if ((info->fMask & SEE_MASK_IDLIST) && info->lpIDList && (!file || !*file)) {
        if (!shell::PathFromItemList((LPCITEMIDLIST)info->lpIDList, fromList)) {
            info->hInstApp = (HINSTANCE)(INT_PTR)SE_ERR_FNF;
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        file = fromList.c_str();
    }
    Outcome o = Execute(info->lpVerb, file, info->lpParameters, info->lpDirectory);
    info->hInstApp = (HINSTANCE)o.code;
    SetLastError(o.lastError);
    return o.code > 32;
}

UINT WinExec(LPCSTR lpCmdLine, UINT)
{
    if (!lpCmdLine) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_FILE_NOT_FOUND;
    }
    std::vector<std::u16string> words = shell::SplitCommandLine(AnsiToWide(lpCmdLine));
    if (words.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return ERROR_FILE_NOT_FOUND;
    }
    std::string program;
    const std::u16string& first = words[0];
    if (first.find(u'/') == std::u16string::npos && first.find(u'\\') == std::u16string::npos &&
        first.find(u':') == std::u16string::npos) {
        std::string u8;
        Utf16ToUtf8(first, u8);
        program = shell::FindOnPath(u8);
    } else {
        std::string mapped;
        struct stat st;
        if (!dovemark::MapPath(first.c_str(), mapped))
            return SetLastError(ERROR_PATH_NOT_FOUND), ERROR_PATH_NOT_FOUND;
        if (stat(mapped.c_str(), &st) != 0) {
            UINT e = MissingPathError(mapped) == SE_ERR_PNF ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
            SetLastError(e);
            return e;
        }
        program = mapped;
    }
    if (program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return ERROR_FILE_NOT_FOUND;
    }
    // Only a program runs; a document named first is not one (as a non-executable image is not).
    if (!shell::IsRunnable(program)) {
        SetLastError(ERROR_BAD_FORMAT);
        return ERROR_BAD_FORMAT;
    }
    std::vector<std::string> argv{program};
    for (size_t i = 1; i < words.size(); ++i) {
        std::string u8;
        Utf16ToUtf8(words[i], u8);
        argv.push_back(u8);
    }
    shell::LaunchResult r = shell::Launch(argv, {}, 0);
    if (r.error) {
        UINT e = r.error == ENOENT ? ERROR_FILE_NOT_FOUND
                 : r.error == ENOMEM ? 0
                 : r.error == EACCES ? ERROR_ACCESS_DENIED
                                     : ERROR_BAD_FORMAT;
        SetLastError(e ? e : ERROR_NOT_ENOUGH_MEMORY);
        return e;
    }
    return 33;
}
