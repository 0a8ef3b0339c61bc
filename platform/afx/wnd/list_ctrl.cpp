// CListCtrl and CHeaderCtrl: the wrappers that need more than one message.
#include "afx/list_ctrl.h"

IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

namespace {
// Owner-drawn controls draw themselves when their parent reflects WM_DRAWITEM.
template <class T>
BOOL DrawReflected(T* self, UINT message, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM)
        return FALSE;
    self->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (pResult)
        *pResult = TRUE;
    return TRUE;
}
} // namespace

CImageList* CHeaderCtrl::GetImageList() const {
    return CImageList::FromHandle((HIMAGELIST)SendMessage(HDM_GETIMAGELIST));
}

CImageList* CHeaderCtrl::SetImageList(CImageList* pImageList) {
    return CImageList::FromHandle(
        (HIMAGELIST)SendMessage(HDM_SETIMAGELIST, 0, (LPARAM)(pImageList ? pImageList->m_hImageList : nullptr)));
}

BOOL CHeaderCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return DrawReflected(this, message, lParam, pResult) || CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return DrawReflected(this, message, lParam, pResult) || CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

CImageList* CListCtrl::GetImageList(int nImageList) const {
    return CImageList::FromHandle((HIMAGELIST)SendMessage(LVM_GETIMAGELIST, (WPARAM)nImageList));
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    return CImageList::FromHandle((HIMAGELIST)SendMessage(LVM_SETIMAGELIST, (WPARAM)nImageListType,
                                                          (LPARAM)(pImageList ? pImageList->m_hImageList : nullptr)));
}

BOOL CListCtrl::SetItem(int nItem, int nSubItem, UINT nMask, LPCWSTR lpszItem, int nImage, UINT nState,
                        UINT nStateMask, LPARAM lParam) {
    LVITEMW lvi{};
    lvi.mask = nMask;
    lvi.iItem = nItem;
    lvi.iSubItem = nSubItem;
    lvi.stateMask = nStateMask;
    lvi.state = nState;
    lvi.pszText = const_cast<LPWSTR>(lpszItem);
    lvi.iImage = nImage;
    lvi.lParam = lParam;
    return SetItem(&lvi);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    LVITEMW lvi{};
    lvi.stateMask = nMask;
    lvi.state = nState;
    return SetItemState(nItem, &lvi);
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    LVITEMW lvi{};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = nItem;
    return GetItem(&lvi) ? (DWORD_PTR)lvi.lParam : 0;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    // The control copies at most the buffer it is given, so the buffer grows until the text fits.
    CString result;
    for (int cch = 256; cch <= (1 << 20); cch *= 4) {
        LVITEMW lvi{};
        lvi.iSubItem = nSubItem;
        lvi.cchTextMax = cch;
        lvi.pszText = result.GetBufferSetLength(cch);
        int n = (int)SendMessage(LVM_GETITEMTEXTW, (WPARAM)nItem, (LPARAM)&lvi);
        result.ReleaseBuffer(n < 0 ? 0 : n);
        if (n < cch - 1)
            break;
    }
    return result;
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPWSTR lpszText, int nLen) const {
    if (!lpszText || nLen <= 0)
        return 0;
    LVITEMW lvi{};
    lvi.iSubItem = nSubItem;
    lvi.cchTextMax = nLen;
    lvi.pszText = lpszText;
    return (int)SendMessage(LVM_GETITEMTEXTW, (WPARAM)nItem, (LPARAM)&lvi);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCWSTR lpszText) {
    LVITEMW lvi{};
    lvi.iSubItem = nSubItem;
    lvi.pszText = const_cast<LPWSTR>(lpszText);
    return (BOOL)SendMessage(LVM_SETITEMTEXTW, (WPARAM)nItem, (LPARAM)&lvi);
}

BOOL CListCtrl::GetColumnOrderArray(LPINT piArray, int iCount) const {
    if (iCount < 0) {
        CHeaderCtrl* pHeader = GetHeaderCtrl();
        iCount = pHeader ? pHeader->GetItemCount() : 0;
    }
    return (BOOL)SendMessage(LVM_GETCOLUMNORDERARRAY, (WPARAM)iCount, (LPARAM)piArray);
}

CEdit* CListCtrl::GetEditControl() const {
    return AfxWndFromHandle<CEdit>((HWND)SendMessage(LVM_GETEDITCONTROL));
}

CEdit* CListCtrl::EditLabel(int nItem) {
    return AfxWndFromHandle<CEdit>((HWND)SendMessage(LVM_EDITLABELW, (WPARAM)nItem));
}

int CListCtrl::InsertItem(UINT nMask, int nItem, LPCWSTR lpszItem, UINT nState, UINT nStateMask, int nImage,
                          LPARAM lParam) {
    LVITEMW lvi{};
    lvi.mask = nMask;
    lvi.iItem = nItem;
    lvi.state = nState;
    lvi.stateMask = nStateMask;
    lvi.pszText = const_cast<LPWSTR>(lpszItem);
    lvi.iImage = nImage;
    lvi.lParam = lParam;
    return InsertItem(&lvi);
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const {
    LVHITTESTINFO hti{};
    hti.pt = pt;
    int n = (int)SendMessage(LVM_HITTEST, 0, (LPARAM)&hti);
    if (pFlags)
        *pFlags = hti.flags;
    return n;
}

int CListCtrl::InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = const_cast<LPWSTR>(lpszColumnHeading);
    column.fmt = nFormat;
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &column);
}
