// The interface of the RAR library "unrar.dll" as the program binds it at run time: its records,
// codes and entry points.
#pragma once

#include "win32/win32.h"

// Open modes and file operations.
#define RAR_OM_LIST 0
#define RAR_OM_EXTRACT 1
#define RAR_SKIP 0
#define RAR_TEST 1
#define RAR_EXTRACT 2

// Result codes.
#define ERAR_END_ARCHIVE 10
#define ERAR_NO_MEMORY 11
#define ERAR_BAD_DATA 12
#define ERAR_BAD_ARCHIVE 13
#define ERAR_UNKNOWN_FORMAT 14
#define ERAR_EOPEN 15
#define ERAR_ECREATE 16
#define ERAR_UNKNOWN 21

struct RAROpenArchiveDataEx {
    char* ArcName;
    WCHAR* ArcNameW;
    unsigned int OpenMode;
    unsigned int OpenResult;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
    unsigned int Flags;
    unsigned int Reserved[32];
};

struct RARHeaderDataEx {
    char ArcName[1024];
    WCHAR ArcNameW[1024];
    char FileName[1024];
    WCHAR FileNameW[1024];
    unsigned int Flags;
    unsigned int PackSize;
    unsigned int PackSizeHigh;
    unsigned int UnpSize;
    unsigned int UnpSizeHigh;
    unsigned int HostOS;
    unsigned int FileCRC;
    unsigned int FileTime; // MS-DOS date (high half) and time (low half), local time
    unsigned int UnpVer;
    unsigned int Method;
    unsigned int FileAttr;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
    unsigned int Reserved[1024];
};

// Header flags: the dictionary bits of a RAR 4 file header are all set for a folder.
#define RHDF_LONG_BLOCK 0x8000
#define RHDF_DIRECTORY 0x00E0
#define RHDF_ENCRYPTED 0x0004

typedef HANDLE(WINAPI* RAROpenArchiveExFn)(RAROpenArchiveDataEx* data);
typedef int(WINAPI* RARCloseArchiveFn)(HANDLE archive);
typedef int(WINAPI* RARReadHeaderExFn)(HANDLE archive, RARHeaderDataEx* header);
typedef int(WINAPI* RARProcessFileFn)(HANDLE archive, int operation, char* destPath, char* destName);
