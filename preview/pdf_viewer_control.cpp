// The PDF viewer control's window. No such control is installed with the program, so creating it
// fails as creating an unregistered control does, and the document view reports the component
// as missing.
#include "preview/pdf_viewer_control.h"

IMPLEMENT_DYNCREATE(CWPViewPDFX, CWnd)

const CLSID CWPViewPDFX::clsid = {0xD8D3A8F6, 0x46EF, 0x4424, {0xAE, 0x49, 0x43, 0x76, 0xF1, 0xFE, 0x1E, 0xB4}};

BOOL CWPViewPDFX::Create(LPCWSTR, DWORD, const RECT&, CWnd*, UINT)
{
    ::SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL CWPViewPDFX::OpenFile(BSTR path)
{
    return FALSE;
}
