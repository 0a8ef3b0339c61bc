// CWPViewPDFX: the window of the PDF viewer control, whose open method takes a file path.
#pragma once

#include "afx/afx.h"

class CWPViewPDFX : public CWnd {
    DECLARE_DYNCREATE(CWPViewPDFX)
public:
    // The control's class id.
    static const CLSID clsid;
    // Creates the control as a child window; FALSE when the control is not installed.
    BOOL Create(LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // The control's open method (dispatch id 207); FALSE without a control.
    BOOL OpenFile(BSTR path);
};
