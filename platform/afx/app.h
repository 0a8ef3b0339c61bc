// CWinApp: the application object, its names and its profile in the registry.
#pragma once

#include "win32/win32.h"
#include "afx/core.h"
#include "afx/string.h"
#include "afx/thread.h"
#include "afx/collections.h"
#include "afx/module_state.h"

class CDocTemplate;
class CDocument;

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

// The most recently used files, newest first, kept in the profile section as "File1", "File2" ...
class CRecentFileList {
public:
    CRecentFileList(UINT nStart, LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nSize, int nMaxDispLen = 0);
    virtual ~CRecentFileList() = default;
    int GetSize() const { return (int)m_arrNames.GetSize(); }
    CString& operator[](int nIndex) { return m_arrNames[nIndex]; }
    // Puts the file first; a file already listed moves up instead of appearing twice.
    virtual void Add(LPCWSTR lpszPathName);
    virtual void Remove(int nIndex);
    virtual void ReadList();
    virtual void WriteList();
    // Puts the names into the menu in place of the item pCmdUI stands for (the first file id).
    virtual void UpdateMenu(CCmdUI* pCmdUI);

    UINT m_nStart;
    CString m_strSectionName;
    CString m_strEntryFormat;
    int m_nMaxSize;
    int m_nMaxDisplayLength;
    CString m_strOriginal; // the text of the first file item before any name replaced it
    CStringArray m_arrNames;
};

// What the command line asks of the program: a file to open, or a shell action.
class CCommandLineInfo : public CObject {
public:
    CCommandLineInfo() = default;
    // One argument; bFlag when it was a switch ("-x", or "/x" for a switch the framework knows),
    // without its prefix.
    virtual void ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 } m_nShellCommand =
        FileNew;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;

protected:
    void ParseParamFlag(const CString& strParam);
    void ParseParamNotFlag(LPCWSTR pszParam);
    void ParseLast(BOOL bLast);
};

// Splits a command line into arguments by the system's rules (blanks separate, double quotes
// group, backslashes escape a quote), and the reverse for a program started with an argv.
void AFXAPI AfxSplitCommandLine(LPCWSTR lpCmdLine, CStringArray& args);
CString AFXAPI AfxMakeCommandLine(int argc, char** argv);

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

    // Saves the recent-file list.
    int ExitInstance() override;

    // ---- Documents
    void AddDocTemplate(CDocTemplate* pTemplate);
    POSITION GetFirstDocTemplatePosition() const { return m_templateList.GetHeadPosition(); }
    CDocTemplate* GetNextDocTemplate(POSITION& pos) const {
        return static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
    }
    // Opens the file with the template that suits it best (an open document is shown again);
    // null when it could not be opened.
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszFileName);
    virtual void AddToRecentFileList(LPCWSTR lpszPathName);
    // Reads the recent-file list of nMaxMRU entries (0 keeps none) from the profile.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();
    afx_msg void OnFileNew();
    afx_msg void OnFileOpen();
    afx_msg void OnFilePrintSetup();
    // The print dialog with the application's printer choice; its result (IDOK or IDCANCEL).
    virtual INT_PTR DoPrintDialog(class CPrintDialog* pPD);
    // Fills the structure with the default printer; FALSE when there is none.
    BOOL GetPrinterDeviceDefaults(PRINTDLGW* pPrintDlg);
    afx_msg BOOL OnOpenRecentFile(UINT nID);
    afx_msg void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);
    afx_msg void OnAppExit();

    // ---- Command line and shell
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // Carries out what the command line asked; FALSE when the program should not go on.
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    // TRUE (and the switch taken off the command line) when started to serve OLE.
    BOOL RunEmbedded();
    BOOL RunAutomated();
    void EnableShellOpen() { m_bShellOpen = TRUE; }
    // Associates each template's file extension with the program under HKEY_CLASSES_ROOT.
    void RegisterShellFileTypes(BOOL bCompat = FALSE);
    void UnregisterShellFileTypes();
    // The system draws controls three-dimensionally on its own.
    BOOL Enable3dControls() { return TRUE; }
    BOOL Enable3dControlsStatic() { return TRUE; }
    // Help opens the help file (m_pszHelpFilePath, else the program's name with ".hlp" or ".chm")
    // with the shell; a file that cannot be opened is reported.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = 0);
    virtual void HtmlHelp(DWORD_PTR dwData, UINT nCmd = 0);

    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CRecentFileList* m_pRecentFileList = nullptr;
    LPCWSTR m_pszHelpFilePath = nullptr;
    BOOL m_bShellOpen = FALSE;

protected:
    BOOL TakeSwitch(LPCWSTR lpszSwitch);
    CPtrList m_templateList;
    CString m_strCmdLine;
    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
// The calling thread's main window, else the application's.
CWnd* AfxGetMainWnd();
// Runs the application object: InitInstance, then Run, or ExitInstance when start-up failed.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
