// WinHelpW: help files open in whatever viewer the desktop has for them.
#include "win32/kernel.h"
#include "win32/shell.h"
#include "win32/user.h"

BOOL WinHelpW(HWND hWndMain, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR)
{
    // Nothing stays open that could be closed.
    if (uCommand == HELP_QUIT)
        return TRUE;
    if (!lpszHelp || !*lpszHelp) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    INT_PTR r = (INT_PTR)ShellExecuteW(hWndMain, u"open", lpszHelp, nullptr, nullptr, SW_SHOWNORMAL);
    return r > 32; // ShellExecuteW has set the last error
}
