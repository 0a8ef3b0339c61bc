// What the toolkit learns of the system: visual-style theme handles and whether a visual style is active.
#pragma once

#include "win32/kernel.h"

typedef HANDLE HTHEME;

// The Windows version, read once; each predicate is an exact match, so later versions answer FALSE.
class OsVersionInfo : public OSVERSIONINFOW {
public:
    OsVersionInfo();
    BOOL IsWin95() const { return dwPlatformId == 1 && dwMajorVersion == 4 && dwMinorVersion < 10; }
    BOOL IsWin98() const { return dwPlatformId == 1 && dwMajorVersion == 4 && dwMinorVersion == 10; }
    BOOL IsWinNT4() const { return dwPlatformId == 2 && dwMajorVersion == 4 && dwMinorVersion == 0; }
    BOOL IsWin2000() const { return dwPlatformId == 2 && dwMajorVersion == 5 && dwMinorVersion == 0; }
    BOOL IsWinXP() const { return dwPlatformId == 2 && dwMajorVersion == 5 && dwMinorVersion == 1; }
    BOOL IsVersion(DWORD major, DWORD minor) const { return dwMajorVersion == major && dwMinorVersion == minor; }
};

const OsVersionInfo& GetOsVersionInfo();

// major << 16 | minor from the module's "DllGetVersion", 0 when it has none or it fails.
DWORD GetDllVersion(HMODULE module);

// One visual-style handle. The layer has no visual-style library, so a handle never opens and
// every call gives the answer Windows gives without one: 0 for predicates, E_FAIL otherwise.
class CTKPThemeHandle {
public:
    CTKPThemeHandle() = default;
    virtual ~CTKPThemeHandle() { CloseThemeData(); }
    CTKPThemeHandle(const CTKPThemeHandle&) = delete;
    CTKPThemeHandle& operator=(const CTKPThemeHandle&) = delete;

    HRESULT OpenThemeData(HWND hwnd, LPCWSTR classList);
    HRESULT CloseThemeData();
    BOOL IsOpen() const { return m_hTheme != nullptr; }
    BOOL IsAppThemed() const;
    BOOL IsThemeActive() const;
    HRESULT DrawThemeBackground(HDC hdc, int part, int state, const RECT* rc, const RECT* clip);
    HRESULT GetThemeColor(int part, int state, int prop, COLORREF* color) const;
    HRESULT GetCurrentThemeName(LPWSTR file, int cchFile, LPWSTR colour, int cchColour, LPWSTR size, int cchSize) const;

private:
    HTHEME m_hTheme = nullptr;
};

// TRUE when the visual-style library is loaded, a style is active and common controls are 6 or later.
// Both ways of asking (by library and common-controls version, or by the application being themed)
// meet here.
BOOL IsVisualStyleActive();

// major << 16 | minor of "comctl32.dll", read once; 0 when unknown.
DWORD GetComCtlVersion();
