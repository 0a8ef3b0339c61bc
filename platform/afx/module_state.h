// The module state, resource handles and the start-up stand-ins an application calls before its
// windows exist (OLE, DAO, 3-D controls, rich edit, object factories).
#pragma once

#include "win32/win32.h"
#include "afx/core.h"

class CWinApp;

// The framework's version as the module state reports it; a program may raise it.
#define AFX_MODULE_STATE_VERSION 0x0600

struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp = nullptr;
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    LPCWSTR m_lpszCurrentAppName = nullptr;
    BOOL m_bDLL = FALSE;
    BOOL m_bSystem = FALSE;
    DWORD m_dwVersion = AFX_MODULE_STATE_VERSION;
};

// The state of the module whose code runs now: the one a live AFX_MANAGE_STATE names, else the
// program's.
AFX_MODULE_STATE* AFXAPI AfxGetModuleState();
AFX_MODULE_STATE* AFXAPI AfxGetStaticModuleState();
AFX_MODULE_STATE* AFXAPI AfxGetAppModuleState();

// Makes pNewState current on this thread for the object's lifetime.
class AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevModuleState;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

HINSTANCE AFXAPI AfxGetInstanceHandle();
HINSTANCE AFXAPI AfxGetResourceHandle();
void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource);
// The module that holds the resource: the program has one resource image, so it is always the
// current resource handle.
HINSTANCE AFXAPI AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType);
LPCWSTR AFXAPI AfxGetAppName();

// ---- OLE and the other start-up services --------------------------------------------------------
// Initialises OLE on the calling thread; FALSE when that fails.
BOOL AFXAPI AfxOleInit();
// Hosted controls need nothing more than the windows the layer already makes.
void AFXAPI AfxEnableControlContainer();
// The database engine is started by the first database opened, so there is nothing to do here.
void AFXAPI AfxDaoInit();
void AFXAPI AfxDaoTerm();
// TRUE: the rich edit classes are the layer's own ("riched20.dll" itself is still not found).
BOOL AFXAPI AfxInitRichEdit();
BOOL AFXAPI AfxInitRichEdit2();

// The program exposes no OLE classes, so registration has nothing to register and succeeds.
class COleObjectFactory : public CObject {
public:
    static BOOL PASCAL RegisterAll() { return TRUE; }
    static void PASCAL RevokeAll() {}
    static BOOL PASCAL UpdateRegistryAll(BOOL bRegister = TRUE) { return TRUE; }
};

// An OLE call that failed, with its status code.
class COleException : public CException {
    DECLARE_DYNAMIC(COleException)
public:
    explicit COleException(HRESULT sc = E_FAIL) : m_sc(sc) {}
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
    static HRESULT PASCAL Process(const CException* pAnyException);
    HRESULT m_sc;
};
[[noreturn]] void AFXAPI AfxThrowOleException(HRESULT sc);
