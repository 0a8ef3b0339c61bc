// CDialog: modal and modeless dialogs on the dialog manager, and dialog data exchange.
#include "afx/dialog.h"
#include "afx/app.h"

#include <cstdlib>
#include <cwchar>

#ifndef EM_LIMITTEXT
#define EM_LIMITTEXT 0x00C5
#endif

IMPLEMENT_DYNAMIC(CDialog, CWnd)

namespace {
// The dialog manager's procedure for framework dialogs: the map has already had the message, so
// only the start-up call remains.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG)
        return FALSE;
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    auto* pDlg = pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CDialog)) ? static_cast<CDialog*>(pWnd) : nullptr;
    return pDlg ? pDlg->OnInitDialog() : TRUE;
}
} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {}

LPCDLGTEMPLATEW CDialog::FindTemplate() const {
    if (m_lpDialogTemplate)
        return m_lpDialogTemplate;
    if (!m_lpszTemplateName)
        return nullptr;
    HMODULE hInst = ::GetModuleHandleW(nullptr);
    HRSRC hRes = ::FindResourceW(hInst, m_lpszTemplateName, RT_DIALOG);
    HGLOBAL hData = hRes ? ::LoadResource(hInst, hRes) : nullptr;
    return hData ? static_cast<LPCDLGTEMPLATEW>(::LockResource(hData)) : nullptr;
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd) {
    m_lpDialogTemplate = lpDialogTemplate;
    m_pParentWnd = pParentWnd;
    return lpDialogTemplate != nullptr;
}

BOOL CDialog::CreateFromTemplate(LPCDLGTEMPLATEW lpTemplate, CWnd* pParentWnd, BOOL bModal) {
    if (!lpTemplate || m_hWnd) {
        ::SetLastError(lpTemplate ? ERROR_INVALID_PARAMETER : ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
    }
    m_bModal = bModal;
    HWND hParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    HookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), lpTemplate, hParent, &AfxDlgProc, 0);
    UnhookWindowCreate();
    if (!hWnd) {
        if (m_hWnd && !::IsWindow(m_hWnd))
            Detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) { return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd); }

BOOL CDialog::Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd) {
    m_lpszTemplateName = lpszTemplateName;
    m_pParentWnd = pParentWnd;
    return CreateFromTemplate(FindTemplate(), pParentWnd, FALSE);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd) {
    m_pParentWnd = pParentWnd;
    return CreateFromTemplate(lpDialogTemplate, pParentWnd, FALSE);
}

INT_PTR CDialog::DoModal() {
    LPCDLGTEMPLATEW lpTemplate = FindTemplate();
    if (!lpTemplate || m_hWnd)
        return -1;
    CWnd* pParent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    HWND hParent = pParent ? pParent->m_hWnd : nullptr;
    m_bModal = TRUE;
    HookWindowCreate(this);
    INT_PTR nResult = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), lpTemplate, hParent, &AfxDlgProc, 0);
    UnhookWindowCreate();
    m_bModal = FALSE;
    // The dialog manager destroyed the window; an object still holding it lets go.
    if (m_hWnd && !::IsWindow(m_hWnd))
        Detach();
    return nResult;
}

void CDialog::EndDialog(int nResult) {
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

// ---- Dialog data exchange ---------------------------------------------------------------------
HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND hCtl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    // A template and its exchange code that disagree are the program's fault: fail the exchange
    // rather than read or write a control that is not there.
    if (!hCtl)
        AfxThrowUserException();
    m_hWndLastControl = hCtl;
    m_bEditLastControl = FALSE;
    return hCtl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND hCtl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hCtl;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd)
        return;
    HWND hCtl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hCtl))
        AfxThrowNotSupportedException();
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hCtl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        int n = ::GetWindowTextLengthW(hCtl);
        LPWSTR buf = value.GetBufferSetLength(n);
        ::GetWindowTextW(hCtl, buf, n + 1);
        value.ReleaseBuffer();
    } else {
        ::SetWindowTextW(hCtl, value);
    }
}

namespace {
// Reads a whole decimal number (surrounding blanks allowed); FALSE when anything else is there or
// it does not fit.
BOOL ParseNumber(HWND hCtl, bool bSigned, long long lo, long long hi, long long& out) {
    CString text;
    int n = ::GetWindowTextLengthW(hCtl);
    LPWSTR buf = text.GetBufferSetLength(n);
    ::GetWindowTextW(hCtl, buf, n + 1);
    text.ReleaseBuffer();
    text.Trim();
    int len = text.GetLength();
    int i = 0;
    bool neg = false;
    if (i < len && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-' && !bSigned)
            return FALSE;
        neg = text[i] == u'-';
        ++i;
    }
    if (i == len)
        return FALSE;
    long long v = 0;
    for (; i < len; ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return FALSE;
        v = v * 10 + (text[i] - u'0');
        if (v > hi + 1)
            return FALSE;
    }
    v = neg ? -v : v;
    if (v < lo || v > hi)
        return FALSE;
    out = v;
    return TRUE;
}

template <typename T>
void ExchangeNumber(CDataExchange* pDX, int nIDC, T& value, bool bSigned, long long lo, long long hi,
                    LPCWSTR lpszPrompt) {
    HWND hCtl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long v = 0;
        if (!ParseNumber(hCtl, bSigned, lo, hi, v)) {
            AfxMessageBox(lpszPrompt, MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = (T)v;
    } else {
        CString text;
        if (bSigned)
            text.Format(u"%lld", (long long)value);
        else
            text.Format(u"%llu", (unsigned long long)value);
        ::SetWindowTextW(hCtl, text);
    }
}
} // namespace

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    ExchangeNumber(pDX, nIDC, value, true, INT32_MIN, INT32_MAX, u"Please enter an integer.");
}
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
    ExchangeNumber(pDX, nIDC, value, false, 0, UINT32_MAX, u"Please enter a positive integer.");
}

void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hCtl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = (int)::SendMessageW(hCtl, BM_GETCHECK, 0, 0);
    else
        ::SendMessageW(hCtl, BM_SETCHECK, (WPARAM)(value < 0 || value > 2 ? 0 : value), 0);
}

void AFXAPI DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND hCtl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    // The group runs from nIDC to the next window with WS_GROUP.
    int index = 0;
    for (HWND h = hCtl; h; h = ::GetWindow(h, GW_HWNDNEXT), ++index) {
        if (h != hCtl && (::GetWindowLongW(h, GWL_STYLE) & WS_GROUP))
            break;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED && value < 0)
                value = index;
        } else {
            ::SendMessageW(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void AFXAPI DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (pDX->m_bSaveAndValidate && value.GetLength() > nChars) {
        CString msg;
        msg.Format(u"Enter no more than %d characters.", nChars);
        AfxMessageBox(msg, MB_ICONEXCLAMATION);
        pDX->Fail();
    } else if (!pDX->m_bSaveAndValidate && pDX->m_hWndLastControl && pDX->m_bEditLastControl) {
        ::SendMessageW(pDX->m_hWndLastControl, EM_LIMITTEXT, (WPARAM)nChars, 0);
    }
}

void AFXAPI DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) {
        CString msg;
        msg.Format(u"Enter an integer between %d and %d.", minVal, maxVal);
        AfxMessageBox(msg, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void AFXAPI DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) {
        CString msg;
        msg.Format(u"Enter an integer between %u and %u.", minVal, maxVal);
        AfxMessageBox(msg, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

int AFXAPI AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT) {
    CWinApp* pApp = AfxGetApp();
    LPCWSTR caption = pApp && pApp->m_pszAppName ? pApp->m_pszAppName : nullptr;
    CWnd* pMain = AfxGetMainWnd();
    return ::MessageBoxW(pMain ? pMain->m_hWnd : nullptr, lpszText, caption, nType);
}
