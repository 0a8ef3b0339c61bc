// The module state, resource handles and the start-up stand-ins of an application.
#include "afx/module_state.h"
#include "afx/app.h"

#include <cstdio>

IMPLEMENT_DYNAMIC(COleException, CException)

namespace {
AFX_MODULE_STATE& AppState() {
    static AFX_MODULE_STATE state;
    return state;
}
thread_local AFX_MODULE_STATE* t_pCurrent = nullptr;
} // namespace

AFX_MODULE_STATE* AFXAPI AfxGetAppModuleState() { return &AppState(); }
AFX_MODULE_STATE* AFXAPI AfxGetStaticModuleState() { return &AppState(); }
AFX_MODULE_STATE* AFXAPI AfxGetModuleState() { return t_pCurrent ? t_pCurrent : &AppState(); }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState) : m_pPrevModuleState(t_pCurrent) {
    t_pCurrent = pNewState;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { t_pCurrent = m_pPrevModuleState; }

HINSTANCE AFXAPI AfxGetInstanceHandle() {
    AFX_MODULE_STATE* p = AfxGetModuleState();
    return p->m_hCurrentInstanceHandle ? p->m_hCurrentInstanceHandle : ::GetModuleHandleW(nullptr);
}

HINSTANCE AFXAPI AfxGetResourceHandle() {
    AFX_MODULE_STATE* p = AfxGetModuleState();
    return p->m_hCurrentResourceHandle ? p->m_hCurrentResourceHandle : AfxGetInstanceHandle();
}

void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource) { AfxGetModuleState()->m_hCurrentResourceHandle = hInstResource; }

HINSTANCE AFXAPI AfxFindResourceHandle(LPCWSTR, LPCWSTR) { return AfxGetResourceHandle(); }

LPCWSTR AFXAPI AfxGetAppName() {
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->m_pszAppName ? pApp->m_pszAppName : u"";
}

BOOL AFXAPI AfxOleInit() { return SUCCEEDED(OleInitialize(nullptr)); }
void AFXAPI AfxEnableControlContainer() {}
void AFXAPI AfxDaoInit() {}
void AFXAPI AfxDaoTerm() {}

// The rich edit classes are built into the layer: nothing needs loading. (The "riched20.dll" module
// itself stays absent, so code that probes for it takes its plain path.)
BOOL AFXAPI AfxInitRichEdit() { return TRUE; }

BOOL AFXAPI AfxInitRichEdit2() { return TRUE; }

BOOL COleException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!lpszError || nMaxError == 0)
        return FALSE;
    CString text;
    text.Format(u"OLE error 0x%08X.", (unsigned)m_sc);
    lstrcpynW(lpszError, text, (int)nMaxError);
    return TRUE;
}

HRESULT PASCAL COleException::Process(const CException* pAnyException) {
    if (!pAnyException)
        return S_OK;
    if (auto* ole = dynamic_cast<const COleException*>(pAnyException))
        return ole->m_sc;
    if (pAnyException->IsKindOf(RUNTIME_CLASS(CMemoryException)))
        return E_OUTOFMEMORY;
    if (pAnyException->IsKindOf(RUNTIME_CLASS(CNotSupportedException)))
        return E_NOTIMPL;
    return E_FAIL;
}

void AFXAPI AfxThrowOleException(HRESULT sc) { throw new COleException(sc); }
