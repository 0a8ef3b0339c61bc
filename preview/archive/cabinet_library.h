// The interface of the cabinet library's decompressor (FDI) as the program binds it at run time
// from "Cabinet.dll": its records, codes and entry points.
#pragma once

#include "win32/win32.h"

typedef void* HFDI;

struct ERF {
    int erfOper;
    int erfType;
    BOOL fError;
};
typedef ERF* PERF;

enum FDIERROR {
    FDIERROR_NONE,
    FDIERROR_CABINET_NOT_FOUND,
    FDIERROR_NOT_A_CABINET,
    FDIERROR_UNKNOWN_CABINET_VERSION,
    FDIERROR_CORRUPT_CABINET,
    FDIERROR_ALLOC_FAIL,
    FDIERROR_BAD_COMPR_TYPE,
    FDIERROR_MDI_FAIL,
    FDIERROR_TARGET_FILE,
    FDIERROR_RESERVE_MISMATCH,
    FDIERROR_WRONG_CABINET,
    FDIERROR_USER_ABORT,
};

enum FDINOTIFICATIONTYPE {
    fdintCABINET_INFO,
    fdintPARTIAL_FILE,
    fdintCOPY_FILE,
    fdintCLOSE_FILE_INFO,
    fdintNEXT_CABINET,
    fdintENUMERATE,
};

struct FDINOTIFICATION {
    long cb;
    char* psz1;
    char* psz2;
    char* psz3;
    void* pv;
    INT_PTR hf;
    USHORT date;
    USHORT time;
    USHORT attribs;
    USHORT setID;
    USHORT iCabinet;
    USHORT iFolder;
    FDIERROR fdie;
};
typedef FDINOTIFICATION* PFDINOTIFICATION;

struct FDICABINETINFO {
    long cbCabinet;
    USHORT cFolders;
    USHORT cFiles;
    USHORT setID;
    USHORT iCabinet;
    BOOL fReserve;
    BOOL hasprev;
    BOOL hasnext;
};
typedef FDICABINETINFO* PFDICABINETINFO;

#define cpu80386 1
// Attribute bit of a file whose name is stored as UTF-8.
#define _A_NAME_IS_UTF 0x80

typedef void*(* PFNALLOC)(ULONG cb);
typedef void(* PFNFREE)(void* pv);
typedef INT_PTR(* PFNOPEN)(char* pszFile, int oflag, int pmode);
typedef UINT(* PFNREAD)(INT_PTR hf, void* pv, UINT cb);
typedef UINT(* PFNWRITE)(INT_PTR hf, void* pv, UINT cb);
typedef int(* PFNCLOSE)(INT_PTR hf);
typedef long(* PFNSEEK)(INT_PTR hf, long dist, int seektype);
typedef INT_PTR(* PFNFDINOTIFY)(FDINOTIFICATIONTYPE fdint, PFDINOTIFICATION pfdin);
typedef int(* PFNFDIDECRYPT)(void* pfdid);

typedef HFDI(* FDICreateFn)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int cpuType,
                                   PERF perf);
typedef BOOL(* FDICopyFn)(HFDI, char* pszCabinet, char* pszCabPath, int flags, PFNFDINOTIFY, PFNFDIDECRYPT,
                                 void* pvUser);
typedef BOOL(* FDIIsCabinetFn)(HFDI, INT_PTR hf, PFDICABINETINFO pfdici);
typedef BOOL(* FDIDestroyFn)(HFDI);
