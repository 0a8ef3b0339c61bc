// CWinApp: the application object, its names and its profile in the registry.
#pragma once

#include "win32/win32.h"
#include "afx/core.h"
#include "afx/string.h"
#include "afx/thread.h"

// The profile of an application: values under
// HKEY_CURRENT_USER\Software\<registry key>\<profile name>\<section>. The key and profile names
// come from SetRegistryKey; before it is called there is no profile store, so reads give their
// defaults and writes fail.
class CWinAppProfile {
public:
    explicit CWinAppProfile(LPCWSTR lpszAppName = nullptr);
    virtual ~CWinAppProfile();
    CWinAppProfile(const CWinAppProfile&) = delete;
    CWinAppProfile& operator=(const CWinAppProfile&) = delete;

    // The profile name becomes the application's name.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    // Sets m_pszAppName (and the profile name when none is set yet).
    void SetAppName(LPCWSTR lpszAppName);

    // Created on demand (with the keys above them); the caller closes them. Null on failure.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCWSTR lpszSection);

    UINT GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = nullptr);
    // On success *ppData is a new BYTE[] the caller deletes; on failure it is null.
    BOOL GetProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPBYTE* ppData, UINT* pBytes);
    BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    // A null entry deletes the section with everything in it; a null value deletes the entry.
    BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);
    BOOL WriteProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPBYTE pData, UINT nBytes);

    // Deletes a key with everything below it.
    LONG DelRegTree(HKEY hParentKey, const CString& strKeyName);

    // Owned by the object (freed with free()), as the framework's are.
    LPCWSTR m_pszAppName = nullptr;
    LPCWSTR m_pszRegistryKey = nullptr;
    LPCWSTR m_pszProfileName = nullptr;
};

// The program's one application object: it runs the first thread's message loop. The first one
// constructed is the one AfxGetApp returns.
class CWinApp : public CWinThread, public CWinAppProfile {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    BOOL InitInstance() override { return TRUE; }
    // Ends at once when InitInstance made no main window, as nothing could close the loop.
    int Run() override;

    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
};

CWinApp* AfxGetApp();
// The calling thread's main window, else the application's.
CWnd* AfxGetMainWnd();
// Runs the application object: InitInstance, then Run, or ExitInstance when start-up failed.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
