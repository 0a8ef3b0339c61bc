// The office converter: where the suite is, the private profile it runs with, and one conversion in a
// process of its own.
#include "preview/office_converter.h"

#include "preview/child_process.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::mutex g_lock;
std::string g_program;
std::atomic<int> g_timeoutMs{60000};
// Whether the suite can run without a network (a user and network namespace of its own): -1 not yet known.
int g_isolation = -1;

// What the suite may write: its profile, its temporary files and the converted document.
const uint64_t kMaxWrittenBytes = uint64_t(512) << 20;
const char kUnshare[] = "/usr/bin/unshare";

// Settings of the private profile: no macros, and every fetch the suite would make goes to a closed port,
// for where no network namespace can be had.
const char kProfileSettings[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="MacroSecurityLevel" oor:op="fuse"><value>3</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="DisableMacrosExecution" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="BlockUntrustedRefererLinks" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetProxyType" oor:op="fuse"><value>1</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetHTTPProxyName" oor:op="fuse"><value>127.0.0.1</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetHTTPProxyPort" oor:op="fuse"><value>9</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetHTTPSProxyName" oor:op="fuse"><value>127.0.0.1</value></prop></item>
<item oor:path="/org.openoffice.Inet/Settings"><prop oor:name="ooInetHTTPSProxyPort" oor:op="fuse"><value>9</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)";

bool Executable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

std::string InstalledProgram()
{
    if (const char* path = std::getenv("PATH")) {
        std::string folders(path);
        size_t start = 0;
        while (start <= folders.size()) {
            size_t end = folders.find(':', start);
            if (end == std::string::npos)
                end = folders.size();
            std::string candidate = folders.substr(start, end - start) + "/soffice";
            if (end > start && Executable(candidate))
                return candidate;
            start = end + 1;
        }
    }
    const std::string packaged = "/usr/lib/libreoffice/program/soffice";
    return Executable(packaged) ? packaged : std::string();
}

std::string Program()
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g_program.empty())
        return Executable(g_program) ? g_program : std::string();
    return InstalledProgram();
}

// The prefix that runs a program in a network namespace of its own, or nothing where none can be had.
std::vector<std::string> IsolationPrefix()
{
    std::lock_guard<std::mutex> lock(g_lock);
    const std::vector<std::string> prefix{kUnshare, "--map-current-user", "--net", "--"};
    if (g_isolation < 0) {
        std::vector<std::string> probe = prefix;
        probe.push_back("/bin/true");
        ChildProcessLimits limits;
        limits.timeoutMs = 5000;
        limits.quiet = true;
        std::string ignored;
        g_isolation = Executable(kUnshare) && RunChildProcess(probe, limits, ignored) == ChildProcessResult::kOk;
    }
    return g_isolation ? prefix : std::vector<std::string>();
}

// The office folder of the program's temporary folder, as the program names it and on the host.
bool OfficeFolder(CString& folder, std::string& host)
{
    WCHAR temp[MAX_PATH] = {};
    DWORD length = ::GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return false;
    folder = CString(temp, int(length));
    if (folder[folder.GetLength() - 1] != u'\\' && folder[folder.GetLength() - 1] != u'/')
        folder += u'\\';
    folder += u"office";
    return dovemark::MapPath(folder + u"\\", host) && !host.empty();
}

std::string LowerExtension(const CString& path)
{
    int dot = path.ReverseFind(u'.');
    int slash = std::max(path.ReverseFind(u'/'), path.ReverseFind(u'\\'));
    std::string extension;
    if (dot > slash)
        for (int i = dot + 1; i < path.GetLength(); ++i) {
            WCHAR c = path[i];
            if (c >= u'A' && c <= u'Z')
                c = WCHAR(c - u'A' + u'a');
            if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')))
                return std::string();
            extension += char(c);
        }
    return extension;
}

} // namespace

void SetOfficeProgram(const std::string& path)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_program = path;
}

void SetOfficeTimeout(int milliseconds) { g_timeoutMs = milliseconds; }

bool IsOfficeSuiteAvailable() { return !Program().empty(); }

OfficeResult ConvertOfficeDocument(const CString& path, const char* format, CString& converted,
                                   const std::function<bool()>& idle)
{
    converted.Empty();
    const std::string program = Program();
    if (program.empty())
        return OfficeResult::kNoSuite;
    CString folder;
    std::string host, source;
    if (!OfficeFolder(folder, host) || !dovemark::MapPath(path, source))
        return OfficeResult::kFailed;
    if (!host.empty() && host.back() != '/')
        host += '/';

    // The document goes in under a plain name of its own, so no name from the damaged disk reaches the
    // suite's command line; the previous conversion's output goes.
    std::error_code ec;
    fs::remove_all(host + "in", ec);
    fs::remove_all(host + "out", ec);
    for (const char* sub : {"in", "out", "home", "tmp", "profile/user"})
        fs::create_directories(host + sub, ec);
    const std::string extension = LowerExtension(path);
    const std::string input = host + "in/document" + (extension.empty() ? "" : "." + extension);
    fs::create_symlink(fs::absolute(source, ec), input, ec);
    if (ec)
        return OfficeResult::kFailed;
    const std::string settings = host + "profile/user/registrymodifications.xcu";
    if (!fs::exists(settings, ec))
        std::ofstream(settings) << kProfileSettings;

    std::vector<std::string> argv = IsolationPrefix();
    argv.insert(argv.end(), {program, "-env:UserInstallation=file://" + host + "profile", "--headless", "--invisible",
                             "--norestore", "--nolockcheck", "--nologo", "--nodefault", "--convert-to", format,
                             "--outdir", host + "out", input});
    if (argv.front() != program && !Executable(argv.front()))
        return OfficeResult::kFailed;
    ChildProcessLimits limits;
    limits.timeoutMs = g_timeoutMs.load();
    limits.maxOutputBytes = 1 << 20;
    limits.watchFolder = host;
    limits.maxFolderBytes = kMaxWrittenBytes;
    limits.quiet = true;
    limits.idle = idle;
    // Nothing of the user's desktop: no display, no session bus, a home and temporary folder of its own.
    limits.environment = {"HOME=" + host + "home", "TMPDIR=" + host + "tmp", "SAL_USE_VCLPLUGIN=svp", "DISPLAY",
                          "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER", "XAUTHORITY"};
    std::string output;
    ChildProcessResult result = RunChildProcess(argv, limits, output);
    if (result == ChildProcessResult::kNoProgram)
        return OfficeResult::kNoSuite;
    const std::string made = host + "out/document." + format;
    if (result != ChildProcessResult::kOk || !fs::is_regular_file(made, ec) || fs::file_size(made, ec) == 0)
        return OfficeResult::kFailed;
    // The suite writes its pages in UTF-8 and says so only in a meta tag; a byte-order mark says it to readers
    // that go by the bytes (the own renderer reads anything else in the program's code page).
    if (std::string(format) == "html") {
        std::ifstream in(made, std::ios::binary);
        std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (page.compare(0, 3, "\xEF\xBB\xBF") != 0)
            std::ofstream(made, std::ios::binary | std::ios::trunc) << "\xEF\xBB\xBF" << page;
    }
    converted = folder + u"\\out\\document." + CString(format);
    return OfficeResult::kOk;
}
