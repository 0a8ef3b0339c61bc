// Shell services: folder browser, file information, ShellExecute.
#pragma once

#include "win32/ole.h"
#include "win32/types.h"

// ---- Starting programs and opening documents ----------------------------------------------------
// A result of 32 or below is one of these codes (Windows' values, shared with the Win32 errors
// where they coincide).
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#define SE_ERR_DLLNOTFOUND 32
#define ERROR_BAD_FORMAT 11L
#define ERROR_NO_ASSOCIATION 1155L

// Documents, folders and addresses go to the desktop's opener ("xdg-open", or the program named by
// the environment variable DOVEMARK_OPENER); programs are started directly. Neither goes through
// a shell command line: parameters are split into arguments by the Windows command-line rules.
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                        INT nShowCmd);

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_CLASSNAME 0x00000001
#define SEE_MASK_CLASSKEY 0x00000003
#define SEE_MASK_IDLIST 0x00000004
#define SEE_MASK_INVOKEIDLIST 0x0000000C
#define SEE_MASK_ICON 0x00000010
#define SEE_MASK_HOTKEY 0x00000020
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_CONNECTNETDRV 0x00000080
#define SEE_MASK_NOASYNC 0x00000100
#define SEE_MASK_FLAG_DDEWAIT SEE_MASK_NOASYNC
#define SEE_MASK_DOENVSUBST 0x00000200
#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SEE_MASK_UNICODE 0x00004000
#define SEE_MASK_NO_CONSOLE 0x00008000
#define SEE_MASK_ASYNCOK 0x00100000
#define SEE_MASK_NOQUERYCLASSSTORE 0x01000000
#define SEE_MASK_WAITFORINPUTIDLE 0x02000000
#define SEE_MASK_FLAG_LOG_USAGE 0x04000000

typedef struct _SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp; // the ShellExecuteW result code
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess; // always null: the started program is not one of the layer's objects
} SHELLEXECUTEINFOW, *LPSHELLEXECUTEINFOW;
typedef SHELLEXECUTEINFOW SHELLEXECUTEINFO;
typedef LPSHELLEXECUTEINFOW LPSHELLEXECUTEINFO;

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo);

// The command line is in the ANSI code page; its first word names the program. Above 31 is success.
UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);

// Help files have no viewer of their own here: WinHelpW opens the file through the shell (the
// context is not looked up) and fails, with the shell's error, when the file cannot be opened.
#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_INDEX 0x0003
#define HELP_CONTENTS 0x0003
#define HELP_FINDER 0x000B
#define HELP_PARTIALKEY 0x0105
BOOL WinHelpW(HWND hWndMain, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

#define ShellExecute ShellExecuteW
#define ShellExecuteEx ShellExecuteExW

// ---- Item lists and the shell allocator ---------------------------------------------------------
#pragma pack(push, 1)
typedef struct _SHITEMID {
    USHORT cb; // bytes of this item, cb included; 0 ends the list
    BYTE abID[1];
} SHITEMID, *LPSHITEMID;
typedef const SHITEMID* LPCSHITEMID;
typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
#pragma pack(pop)
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

// The shell's task allocator; item lists the shell returns are freed with it (or CoTaskMemFree).
extern const IID IID_IMalloc;
struct IMalloc : IUnknown {
    virtual void* Alloc(SIZE_T cb) = 0;
    virtual void* Realloc(void* pv, SIZE_T cb) = 0;
    virtual void Free(void* pv) = 0;
    virtual SIZE_T GetSize(void* pv) = 0;
    virtual int DidAlloc(void* pv) = 0; // -1: cannot tell
    virtual void HeapMinimize() = 0;

protected:
    ~IMalloc() = default;
};
typedef IMalloc* LPMALLOC;

HRESULT SHGetMalloc(IMalloc** ppMalloc);
LPVOID CoTaskMemAlloc(SIZE_T cb);
LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
void CoTaskMemFree(LPVOID pv);

// ---- Special folders ----------------------------------------------------------------------------
// Each names a folder of the XDG layout of the user's home.
#define CSIDL_DESKTOP 0x0000
#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_MYMUSIC 0x000d
#define CSIDL_MYVIDEO 0x000e
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_FONTS 0x0014
#define CSIDL_TEMPLATES 0x0015
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_INTERNET_CACHE 0x0020
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_MYPICTURES 0x0027
#define CSIDL_PROFILE 0x0028
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00

// pszPath holds MAX_PATH characters.
BOOL SHGetSpecialFolderPathW(HWND hwnd, LPWSTR pszPath, int csidl, BOOL fCreate);
HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, LPITEMIDLIST* ppidl);
// pszPath holds MAX_PATH characters; it is emptied on failure.
BOOL SHGetPathFromIDListW(LPCITEMIDLIST pidl, LPWSTR pszPath);

// ---- Auto-complete (not provided: the program falls back to a plain edit) -----------------------
#define SHACF_DEFAULT 0x00000000
#define SHACF_FILESYSTEM 0x00000001
#define SHACF_URLALL 0x00000006
#define SHACF_URLHISTORY 0x00000002
#define SHACF_URLMRU 0x00000004
#define SHACF_USETAB 0x00000008
#define SHACF_FILESYS_ONLY 0x00000010
#define SHACF_FILESYS_DIRS 0x00000020
#define SHACF_AUTOSUGGEST_FORCE_ON 0x10000000
#define SHACF_AUTOSUGGEST_FORCE_OFF 0x20000000
#define SHACF_AUTOAPPEND_FORCE_ON 0x40000000
#define SHACF_AUTOAPPEND_FORCE_OFF 0x80000000
HRESULT SHAutoComplete(HWND hwndEdit, DWORD dwFlags);

// ---- File information and the system image lists ------------------------------------------------
typedef struct _SHFILEINFOW {
    HICON hIcon; // the caller destroys it (DestroyIcon)
    int iIcon;
    DWORD dwAttributes;
    WCHAR szDisplayName[MAX_PATH];
    WCHAR szTypeName[80];
} SHFILEINFOW;
typedef SHFILEINFOW SHFILEINFO;

#define SHGFI_LARGEICON 0x000000000
#define SHGFI_SMALLICON 0x000000001
#define SHGFI_OPENICON 0x000000002
#define SHGFI_SHELLICONSIZE 0x000000004
#define SHGFI_PIDL 0x000000008
#define SHGFI_USEFILEATTRIBUTES 0x000000010
#define SHGFI_ADDOVERLAYS 0x000000020
#define SHGFI_OVERLAYINDEX 0x000000040
#define SHGFI_ICON 0x000000100
#define SHGFI_DISPLAYNAME 0x000000200
#define SHGFI_TYPENAME 0x000000400
#define SHGFI_ATTRIBUTES 0x000000800
#define SHGFI_ICONLOCATION 0x000001000
#define SHGFI_EXETYPE 0x000002000
#define SHGFI_SYSICONINDEX 0x000004000
#define SHGFI_LINKOVERLAY 0x000008000
#define SHGFI_SELECTED 0x000010000
#define SHGFI_ATTR_SPECIFIED 0x000020000

// With SHGFI_SYSICONINDEX the result is the handle of the system image list of the size asked
// (shared: it cannot be destroyed); otherwise nonzero on success. With SHGFI_USEFILEATTRIBUTES the
// name is not looked up on disk, only its extension and the attributes given count.
DWORD_PTR SHGetFileInfoW(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW* psfi, UINT cbFileInfo, UINT uFlags);
#define SHGetFileInfo SHGetFileInfoW

// ---- The folder browser -------------------------------------------------------------------------
typedef int(CALLBACK* BFFCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

typedef struct _browseinfoW {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot;
    LPWSTR pszDisplayName; // MAX_PATH characters: the chosen folder's name
    LPCWSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
} BROWSEINFOW, *PBROWSEINFOW, *LPBROWSEINFOW;
typedef BROWSEINFOW BROWSEINFO;
typedef LPBROWSEINFOW LPBROWSEINFO;

#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_DONTGOBELOWDOMAIN 0x00000002
#define BIF_STATUSTEXT 0x00000004
#define BIF_RETURNFSANCESTORS 0x00000008
#define BIF_EDITBOX 0x00000010
#define BIF_VALIDATE 0x00000020
#define BIF_NEWDIALOGSTYLE 0x00000040
#define BIF_USENEWUI (BIF_NEWDIALOGSTYLE | BIF_EDITBOX)
#define BIF_BROWSEINCLUDEURLS 0x00000080
#define BIF_UAHINT 0x00000100
#define BIF_NONEWFOLDERBUTTON 0x00000200
#define BIF_NOTRANSLATETARGETS 0x00000400
#define BIF_BROWSEFORCOMPUTER 0x00001000
#define BIF_BROWSEFORPRINTER 0x00002000
#define BIF_BROWSEINCLUDEFILES 0x00004000
#define BIF_SHAREABLE 0x00008000

// Messages to the callback.
#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_VALIDATEFAILEDA 3
#define BFFM_VALIDATEFAILEDW 4
#define BFFM_VALIDATEFAILED BFFM_VALIDATEFAILEDW
#define BFFM_IUNKNOWN 5
// Messages the callback sends to the browser window (WM_USER based).
#define BFFM_SETSTATUSTEXTA (0x0400 + 100)
#define BFFM_ENABLEOK (0x0400 + 101)
#define BFFM_SETSELECTIONA (0x0400 + 102)
#define BFFM_SETSELECTIONW (0x0400 + 103)
#define BFFM_SETSTATUSTEXTW (0x0400 + 104)
#define BFFM_SETOKTEXT (0x0400 + 105)
#define BFFM_SETEXPANDED (0x0400 + 106)
#define BFFM_SETSELECTION BFFM_SETSELECTIONW
#define BFFM_SETSTATUSTEXT BFFM_SETSTATUSTEXTW

// The chosen folder as an item list (free it with CoTaskMemFree), or null when cancelled.
PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW lpbi);
#define SHBrowseForFolder SHBrowseForFolderW
#define SHGetPathFromIDList SHGetPathFromIDListW
#define SHGetSpecialFolderPath SHGetSpecialFolderPathW
