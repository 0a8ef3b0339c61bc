// The version record the common controls module reports through its "DllGetVersion" entry.
#pragma once

#include "win32/types.h"

typedef struct _DllVersionInfo {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
} DLLVERSIONINFO;
typedef struct _DLLVERSIONINFO2 {
    DLLVERSIONINFO info1;
    DWORD dwFlags;
    ULONGLONG ullVersion;
} DLLVERSIONINFO2;
#define DLLVER_PLATFORM_WINDOWS 0x00000001
#define DLLVER_PLATFORM_NT 0x00000002
#define MAKEDLLVERULL(major, minor, build, qfe)                                                                    \
    (((ULONGLONG)(major) << 48) | ((ULONGLONG)(minor) << 32) | ((ULONGLONG)(build) << 16) | ((ULONGLONG)(qfe) << 0))

// What "comctl32.dll" exports as "DllGetVersion"; named apart so other modules may export their own.
HRESULT CommonControlsGetVersion(DLLVERSIONINFO* info);
