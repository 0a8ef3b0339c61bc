// CStatusBarCtrl, CTabCtrl and CToolBarCtrl: the wrappers that need more than one message.
#include "afx/bar_ctrls.h"
#include "afx/tree_ctrl.h"

IMPLEMENT_DYNAMIC(CStatusBarCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolBarCtrl, CWnd)

CString CStatusBarCtrl::GetText(int nPane, int* pType) const {
    int n = GetTextLength(nPane, pType);
    CString text;
    LPWSTR buf = text.GetBufferSetLength(n);
    DWORD r = (DWORD)SendMessage(SB_GETTEXTW, (WPARAM)nPane, (LPARAM)buf);
    text.ReleaseBuffer(std::min<int>(n, LOWORD(r)));
    return text;
}

LONG CTabCtrl::InsertItem(int nItem, LPCWSTR lpszItem, int nImage) {
    TCITEMW item{};
    item.mask = TCIF_TEXT | (nImage >= 0 ? TCIF_IMAGE : 0);
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.iImage = nImage;
    return InsertItem(nItem, &item);
}

BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (!CWnd::Create(u"ToolbarWindow32", nullptr, dwStyle, rect, pParentWnd, nID))
        return FALSE;
    SetButtonStructSize(sizeof(TBBUTTON));
    return TRUE;
}

CToolTipCtrl* CToolBarCtrl::GetToolTips() const {
    return AfxWndFromHandle<CToolTipCtrl>((HWND)SendMessage(TB_GETTOOLTIPS));
}

namespace {
HIMAGELIST ListOf(CImageList* p) { return p ? p->m_hImageList : nullptr; }
} // namespace

CImageList* CToolBarCtrl::SetImageList(CImageList* pImageList) {
    return CImageList::FromHandle((HIMAGELIST)SendMessage(TB_SETIMAGELIST, 0, (LPARAM)ListOf(pImageList)));
}

CImageList* CToolBarCtrl::SetHotImageList(CImageList* pImageList) {
    return CImageList::FromHandle((HIMAGELIST)SendMessage(TB_SETHOTIMAGELIST, 0, (LPARAM)ListOf(pImageList)));
}

CImageList* CToolBarCtrl::SetDisabledImageList(CImageList* pImageList) {
    return CImageList::FromHandle((HIMAGELIST)SendMessage(TB_SETDISABLEDIMAGELIST, 0, (LPARAM)ListOf(pImageList)));
}

int CToolBarCtrl::AddBitmap(int nNumButtons, UINT nBitmapID) {
    TBADDBITMAP tbab{AfxGetResourceHandle(), nBitmapID};
    return (int)SendMessage(TB_ADDBITMAP, (WPARAM)nNumButtons, (LPARAM)&tbab);
}

int CToolBarCtrl::AddBitmap(int nNumButtons, CBitmap* pBitmap) {
    TBADDBITMAP tbab{nullptr, (UINT_PTR)(pBitmap ? (HBITMAP)pBitmap->m_hObject : nullptr)};
    return (int)SendMessage(TB_ADDBITMAP, (WPARAM)nNumButtons, (LPARAM)&tbab);
}
