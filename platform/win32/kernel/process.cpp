// The own process: its id, a handle to it, terminating and exiting, and its priority class.
#include "win32/kernel/sync.h"
#include "win32/kernel/util.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace dovemark::kernel {
void RemovePrivateTempFolder();

namespace {

class ProcessObject : public Waitable {
public:
    bool IsSignaled(DWORD) const override { return false; } // the own process is running while anyone waits
};

std::atomic<DWORD> g_priorityClass{NORMAL_PRIORITY_CLASS};

bool IsOwnProcess(HANDLE h)
{
    if (h == GetCurrentProcess())
        return true;
    return Lookup<ProcessObject>(h) != nullptr;
}

} // namespace
} // namespace dovemark::kernel

using namespace dovemark::kernel;

HANDLE GetCurrentProcess()
{
    return reinterpret_cast<HANDLE>(LONG_PTR(-1));
}

DWORD GetCurrentProcessId()
{
    return DWORD(getpid());
}

HANDLE OpenProcess(DWORD, BOOL, DWORD dwProcessId)
{
    if (dwProcessId == GetCurrentProcessId())
        return InsertHandle(std::make_shared<ProcessObject>());
    // Other processes are not the layer's to open.
    SetLastError(dwProcessId != 0 && (kill(pid_t(dwProcessId), 0) == 0 || errno == EPERM) ? ERROR_ACCESS_DENIED
                                                                                       : ERROR_INVALID_PARAMETER);
    return nullptr;
}

BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode)
{
    if (!IsOwnProcess(hProcess))
        return GetLastError() == ERROR_INVALID_HANDLE ? FALSE : Fail(ERROR_ACCESS_DENIED);
    RemovePrivateTempFolder();
    std::fflush(nullptr); // what was written is kept; no exit handlers run
    _exit(int(uExitCode));
}

void ExitProcess(UINT uExitCode)
{
    std::exit(int(uExitCode));
}

BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode)
{
    if (!IsOwnProcess(hProcess))
        return FALSE;
    if (!lpExitCode)
        return Fail(ERROR_INVALID_PARAMETER);
    *lpExitCode = STILL_ACTIVE;
    return TRUE;
}

BOOL SetPriorityClass(HANDLE hProcess, DWORD dwPriorityClass)
{
    if (!IsOwnProcess(hProcess))
        return FALSE;
    switch (dwPriorityClass) {
    case IDLE_PRIORITY_CLASS:
    case BELOW_NORMAL_PRIORITY_CLASS:
    case NORMAL_PRIORITY_CLASS:
    case ABOVE_NORMAL_PRIORITY_CLASS:
    case HIGH_PRIORITY_CLASS:
    case REALTIME_PRIORITY_CLASS:
        // Accepted and remembered; Linux gives an ordinary user no higher class to switch to.
        g_priorityClass = dwPriorityClass;
        return TRUE;
    default: return Fail(ERROR_INVALID_PARAMETER);
    }
}

DWORD GetPriorityClass(HANDLE hProcess)
{
    if (!IsOwnProcess(hProcess))
        return 0;
    return g_priorityClass.load();
}
