// The framework's exception classes and the AfxThrow helpers.
#include "afx/core.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CSimpleException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CSimpleException)
IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)
IMPLEMENT_DYNAMIC(CUserException, CSimpleException)

void CException::Delete() {
    if (m_bAutoDelete > 0)
        delete this;
}

BOOL CException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError != nullptr && nMaxError > 0)
        *lpszError = 0;
    return FALSE;
}

BOOL CSimpleException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError == nullptr || nMaxError == 0)
        return FALSE;
    LPCWSTR msg = Message();
    UINT i = 0;
    for (; msg[i] != 0 && i + 1 < nMaxError; ++i)
        lpszError[i] = msg[i];
    lpszError[i] = 0;
    return msg[0] != 0;
}

LPCWSTR CMemoryException::Message() const { return u"Out of memory."; }
LPCWSTR CNotSupportedException::Message() const { return u"Unsupported operation was attempted."; }
LPCWSTR CInvalidArgException::Message() const { return u"Encountered an improper argument."; }
LPCWSTR CResourceException::Message() const { return u"A required resource was unavailable."; }

void AfxThrowMemoryException() { throw new CMemoryException; }
void AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AfxThrowInvalidArgException() { throw new CInvalidArgException; }
void AfxThrowResourceException() { throw new CResourceException; }
void AfxThrowUserException() { throw new CUserException; }
