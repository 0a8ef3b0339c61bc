// The standard control wrappers: owner drawing, bitmap buttons and the string readers.
#include "afx/std_controls.h"
#include "afx/rich_edit_ctrl.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CBitmapButton, CButton)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    // An owner-drawn button draws itself; the parent's own handler is not needed.
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (pResult)
            *pResult = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

// ---- CBitmapButton ----------------------------------------------------------------------------
BOOL CBitmapButton::LoadBitmaps(LPCWSTR lpszUp, LPCWSTR lpszSel, LPCWSTR lpszFocus, LPCWSTR lpszDisabled) {
    m_bitmap.DeleteObject();
    m_bitmapSel.DeleteObject();
    m_bitmapFocus.DeleteObject();
    m_bitmapDisabled.DeleteObject();
    if (!m_bitmap.LoadBitmap(lpszUp))
        return FALSE;
    // The optional bitmaps may be missing; the up bitmap stands in for them when drawing.
    BOOL bAll = TRUE;
    if (lpszSel && !m_bitmapSel.LoadBitmap(lpszSel))
        bAll = FALSE;
    if (lpszFocus && !m_bitmapFocus.LoadBitmap(lpszFocus))
        bAll = FALSE;
    if (lpszDisabled && !m_bitmapDisabled.LoadBitmap(lpszDisabled))
        bAll = FALSE;
    return bAll;
}

BOOL CBitmapButton::LoadBitmaps(UINT nUp, UINT nSel, UINT nFocus, UINT nDisabled) {
    return LoadBitmaps(MAKEINTRESOURCEW(nUp), nSel ? MAKEINTRESOURCEW(nSel) : nullptr,
                       nFocus ? MAKEINTRESOURCEW(nFocus) : nullptr, nDisabled ? MAKEINTRESOURCEW(nDisabled) : nullptr);
}

BOOL CBitmapButton::AutoLoad(UINT nID, CWnd* pParent) {
    if (!SubclassDlgItem(nID, pParent))
        return FALSE;
    CString name;
    GetWindowText(name);
    if (name.IsEmpty())
        return FALSE;
    if (!LoadBitmaps(name + u"U", name + u"D", nullptr, nullptr))
        return FALSE;
    // The focus and disabled bitmaps are optional by name.
    m_bitmapFocus.LoadBitmap(name + u"F");
    m_bitmapDisabled.LoadBitmap(name + u"X");
    SizeToContent();
    return TRUE;
}

void CBitmapButton::SizeToContent() {
    BITMAP bm{};
    if (!m_bitmap.m_hObject || !m_bitmap.GetObject(sizeof(bm), &bm))
        return;
    SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    if (!lpDIS)
        return;
    CBitmap* pBitmap = &m_bitmap;
    UINT state = lpDIS->itemState;
    if ((state & ODS_SELECTED) && m_bitmapSel.m_hObject)
        pBitmap = &m_bitmapSel;
    else if ((state & ODS_FOCUS) && m_bitmapFocus.m_hObject)
        pBitmap = &m_bitmapFocus;
    else if ((state & ODS_DISABLED) && m_bitmapDisabled.m_hObject)
        pBitmap = &m_bitmapDisabled;
    if (!pBitmap->m_hObject)
        return; // nothing loaded: a derived class draws
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    CDC memDC;
    if (!memDC.CreateCompatibleDC(pDC))
        return;
    CBitmap* pOld = memDC.SelectObject(pBitmap);
    CRect rc(lpDIS->rcItem);
    pDC->BitBlt(rc.left, rc.top, rc.Width(), rc.Height(), &memDC, 0, 0, SRCCOPY);
    memDC.SelectObject(pOld);
}

// ---- Strings out of the controls ----------------------------------------------------------------
int CEdit::GetLine(int nIndex, LPWSTR lpszBuffer, int nMaxLength) const {
    if (!lpszBuffer || nMaxLength <= 0)
        return 0;
    // The control reads the buffer size from the buffer's first unit.
    *reinterpret_cast<WORD*>(lpszBuffer) = (WORD)std::min(nMaxLength, 0xFFFF);
    return (int)SendMessage(EM_GETLINE, (WPARAM)nIndex, (LPARAM)lpszBuffer);
}

int CEdit::GetLine(int nIndex, LPWSTR lpszBuffer) const {
    return (int)SendMessage(EM_GETLINE, (WPARAM)nIndex, (LPARAM)lpszBuffer);
}

void CListBox::GetText(int nIndex, CString& rString) const {
    int n = GetTextLen(nIndex);
    if (n == LB_ERR) {
        rString.Empty();
        return;
    }
    LPWSTR buf = rString.GetBufferSetLength(n);
    int got = GetText(nIndex, buf);
    rString.ReleaseBuffer(got == LB_ERR ? 0 : got);
}

void CComboBox::GetLBText(int nIndex, CString& rString) const {
    int n = GetLBTextLen(nIndex);
    if (n == CB_ERR) {
        rString.Empty();
        return;
    }
    LPWSTR buf = rString.GetBufferSetLength(n);
    int got = GetLBText(nIndex, buf);
    rString.ReleaseBuffer(got == CB_ERR ? 0 : got);
}

CScrollBar* AfxScrollBarFromHandle(HWND hWnd) { return AfxWndFromHandle<CScrollBar>(hWnd); }
