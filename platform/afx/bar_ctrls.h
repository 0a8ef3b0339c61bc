// CStatusBarCtrl, CTabCtrl and CToolBarCtrl: thin wrappers over their controls' messages.
#pragma once

#include "afx/tree_ctrl.h"
#include "afx/module_state.h"

class CStatusBarCtrl : public CWnd {
    DECLARE_DYNAMIC(CStatusBarCtrl)
public:
    CStatusBarCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return CWnd::Create(u"msctls_statusbar32", nullptr, dwStyle, rect, pParentWnd, nID);
    }
    BOOL SetText(LPCWSTR lpszText, int nPane, int nType) {
        return (BOOL)SendMessage(SB_SETTEXTW, (WPARAM)(nPane | nType), (LPARAM)lpszText);
    }
    CString GetText(int nPane, int* pType = nullptr) const;
    int GetTextLength(int nPane, int* pType = nullptr) const {
        DWORD r = (DWORD)SendMessage(SB_GETTEXTLENGTHW, (WPARAM)nPane);
        if (pType)
            *pType = (int)HIWORD(r);
        return (int)LOWORD(r);
    }
    BOOL SetParts(int nParts, const int* pWidths) { return (BOOL)SendMessage(SB_SETPARTS, (WPARAM)nParts, (LPARAM)pWidths); }
    int GetParts(int nParts, int* pParts) const { return (int)SendMessage(SB_GETPARTS, (WPARAM)nParts, (LPARAM)pParts); }
    BOOL GetBorders(int* pBorders) const { return (BOOL)SendMessage(SB_GETBORDERS, 0, (LPARAM)pBorders); }
    void SetMinHeight(int nMin) { SendMessage(SB_SETMINHEIGHT, (WPARAM)nMin); }
    BOOL GetRect(int nPane, LPRECT lpRect) const { return (BOOL)SendMessage(SB_GETRECT, (WPARAM)nPane, (LPARAM)lpRect); }
    BOOL SetIcon(int nPane, HICON hIcon) { return (BOOL)SendMessage(SB_SETICON, (WPARAM)nPane, (LPARAM)hIcon); }
};

class CTabCtrl : public CWnd {
    DECLARE_DYNAMIC(CTabCtrl)
public:
    CTabCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return CWnd::Create(u"SysTabControl32", nullptr, dwStyle, rect, pParentWnd, nID);
    }
    CImageList* GetImageList() const { return CImageList::FromHandle((HIMAGELIST)SendMessage(TCM_GETIMAGELIST)); }
    CImageList* SetImageList(CImageList* pImageList) {
        return CImageList::FromHandle(
            (HIMAGELIST)SendMessage(TCM_SETIMAGELIST, 0, (LPARAM)(pImageList ? pImageList->m_hImageList : nullptr)));
    }
    int GetItemCount() const { return (int)SendMessage(TCM_GETITEMCOUNT); }
    BOOL GetItem(int nItem, TCITEMW* pTabCtrlItem) const {
        return (BOOL)SendMessage(TCM_GETITEMW, (WPARAM)nItem, (LPARAM)pTabCtrlItem);
    }
    BOOL SetItem(int nItem, TCITEMW* pTabCtrlItem) { return (BOOL)SendMessage(TCM_SETITEMW, (WPARAM)nItem, (LPARAM)pTabCtrlItem); }
    LONG InsertItem(int nItem, TCITEMW* pTabCtrlItem) {
        return (LONG)SendMessage(TCM_INSERTITEMW, (WPARAM)nItem, (LPARAM)pTabCtrlItem);
    }
    LONG InsertItem(int nItem, LPCWSTR lpszItem, int nImage = -1);
    BOOL DeleteItem(int nItem) { return (BOOL)SendMessage(TCM_DELETEITEM, (WPARAM)nItem); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(TCM_DELETEALLITEMS); }
    BOOL GetItemRect(int nItem, LPRECT lpRect) const { return (BOOL)SendMessage(TCM_GETITEMRECT, (WPARAM)nItem, (LPARAM)lpRect); }
    int GetCurSel() const { return (int)SendMessage(TCM_GETCURSEL); }
    int SetCurSel(int nItem) { return (int)SendMessage(TCM_SETCURSEL, (WPARAM)nItem); }
    int GetCurFocus() const { return (int)SendMessage(TCM_GETCURFOCUS); }
    void SetCurFocus(int nItem) { SendMessage(TCM_SETCURFOCUS, (WPARAM)nItem); }
    int HitTest(TCHITTESTINFO* pHitTestInfo) const { return (int)SendMessage(TCM_HITTEST, 0, (LPARAM)pHitTestInfo); }
    void AdjustRect(BOOL bLarger, LPRECT lpRect) { SendMessage(TCM_ADJUSTRECT, bLarger, (LPARAM)lpRect); }
    CSize SetItemSize(CSize size) {
        DWORD r = (DWORD)SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(size.cx, size.cy));
        return CSize(LOWORD(r), HIWORD(r));
    }
    void SetPadding(CSize size) { SendMessage(TCM_SETPADDING, 0, MAKELPARAM(size.cx, size.cy)); }
    int GetRowCount() const { return (int)SendMessage(TCM_GETROWCOUNT); }
    int SetMinTabWidth(int cx) { return (int)SendMessage(TCM_SETMINTABWIDTH, 0, (LPARAM)cx); }
};

class CToolBarCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolBarCtrl)
public:
    CToolBarCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    BOOL EnableButton(int nID, BOOL bEnable = TRUE) { return (BOOL)SendMessage(TB_ENABLEBUTTON, (WPARAM)nID, MAKELPARAM(bEnable, 0)); }
    BOOL CheckButton(int nID, BOOL bCheck = TRUE) { return (BOOL)SendMessage(TB_CHECKBUTTON, (WPARAM)nID, MAKELPARAM(bCheck, 0)); }
    BOOL PressButton(int nID, BOOL bPress = TRUE) { return (BOOL)SendMessage(TB_PRESSBUTTON, (WPARAM)nID, MAKELPARAM(bPress, 0)); }
    BOOL HideButton(int nID, BOOL bHide = TRUE) { return (BOOL)SendMessage(TB_HIDEBUTTON, (WPARAM)nID, MAKELPARAM(bHide, 0)); }
    BOOL Indeterminate(int nID, BOOL bIndeterminate = TRUE) {
        return (BOOL)SendMessage(TB_INDETERMINATE, (WPARAM)nID, MAKELPARAM(bIndeterminate, 0));
    }
    BOOL IsButtonEnabled(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONENABLED, (WPARAM)nID); }
    BOOL IsButtonChecked(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONCHECKED, (WPARAM)nID); }
    BOOL IsButtonPressed(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONPRESSED, (WPARAM)nID); }
    BOOL IsButtonHidden(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONHIDDEN, (WPARAM)nID); }
    BOOL SetState(int nID, UINT nState) { return (BOOL)SendMessage(TB_SETSTATE, (WPARAM)nID, MAKELPARAM(nState, 0)); }
    int GetState(int nID) const { return (int)SendMessage(TB_GETSTATE, (WPARAM)nID); }
    BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const { return (BOOL)SendMessage(TB_GETBUTTON, (WPARAM)nIndex, (LPARAM)lpButton); }
    int GetButtonCount() const { return (int)SendMessage(TB_BUTTONCOUNT); }
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const { return (BOOL)SendMessage(TB_GETITEMRECT, (WPARAM)nIndex, (LPARAM)lpRect); }
    BOOL GetRect(int nID, LPRECT lpRect) const { return (BOOL)SendMessage(TB_GETRECT, (WPARAM)nID, (LPARAM)lpRect); }
    UINT CommandToIndex(UINT nID) const { return (UINT)SendMessage(TB_COMMANDTOINDEX, nID); }
    void SetButtonStructSize(int nSize) { SendMessage(TB_BUTTONSTRUCTSIZE, (WPARAM)nSize); }
    BOOL SetButtonSize(CSize size) { return (BOOL)SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    BOOL SetBitmapSize(CSize size) { return (BOOL)SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    CSize GetButtonSize() const {
        DWORD r = (DWORD)SendMessage(TB_GETBUTTONSIZE);
        return CSize(LOWORD(r), HIWORD(r));
    }
    void AutoSize() { SendMessage(TB_AUTOSIZE); }
    CToolTipCtrl* GetToolTips() const;
    void SetToolTips(CWnd* pTip) { SendMessage(TB_SETTOOLTIPS, (WPARAM)(pTip ? pTip->m_hWnd : nullptr)); }
    void SetOwner(CWnd* pWnd) { SendMessage(TB_SETPARENT, (WPARAM)(pWnd ? pWnd->m_hWnd : nullptr)); }
    void SetRows(int nRows, BOOL bLarger, LPRECT lpRect) {
        SendMessage(TB_SETROWS, MAKEWPARAM(nRows, bLarger), (LPARAM)lpRect);
    }
    int GetRows() const { return (int)SendMessage(TB_GETROWS); }
    BOOL SetCmdID(int nIndex, UINT nID) { return (BOOL)SendMessage(TB_SETCMDID, (WPARAM)nIndex, nID); }
    BOOL SetIndent(int iIndent) { return (BOOL)SendMessage(TB_SETINDENT, (WPARAM)iIndent); }
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* GetImageList() const { return CImageList::FromHandle((HIMAGELIST)SendMessage(TB_GETIMAGELIST)); }
    CImageList* SetHotImageList(CImageList* pImageList);
    CImageList* SetDisabledImageList(CImageList* pImageList);
    DWORD GetStyle() const { return (DWORD)SendMessage(TB_GETSTYLE); }
    void SetStyle(DWORD dwStyle) { SendMessage(TB_SETSTYLE, 0, (LPARAM)dwStyle); }
    DWORD SetExtendedStyle(DWORD dwExStyle) { return (DWORD)SendMessage(TB_SETEXTENDEDSTYLE, 0, (LPARAM)dwExStyle); }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(TB_GETEXTENDEDSTYLE); }
    BOOL GetButtonInfo(int nID, TBBUTTONINFOW* ptbbi) const { return (int)SendMessage(TB_GETBUTTONINFOW, (WPARAM)nID, (LPARAM)ptbbi) != -1; }
    BOOL SetButtonInfo(int nID, TBBUTTONINFOW* ptbbi) { return (BOOL)SendMessage(TB_SETBUTTONINFOW, (WPARAM)nID, (LPARAM)ptbbi); }
    int AddBitmap(int nNumButtons, UINT nBitmapID);
    int AddBitmap(int nNumButtons, CBitmap* pBitmap);
    BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons) {
        return (BOOL)SendMessage(TB_ADDBUTTONSW, (WPARAM)nNumButtons, (LPARAM)lpButtons);
    }
    BOOL InsertButton(int nIndex, LPTBBUTTON lpButton) { return (BOOL)SendMessage(TB_INSERTBUTTONW, (WPARAM)nIndex, (LPARAM)lpButton); }
    BOOL DeleteButton(int nIndex) { return (BOOL)SendMessage(TB_DELETEBUTTON, (WPARAM)nIndex); }
    int AddString(UINT nStringID) { return (int)SendMessage(TB_ADDSTRINGW, (WPARAM)AfxGetResourceHandle(), (LPARAM)nStringID); }
    int AddStrings(LPCWSTR lpszStrings) { return (int)SendMessage(TB_ADDSTRINGW, 0, (LPARAM)lpszStrings); }
    int HitTest(LPPOINT ppt) const { return (int)SendMessage(TB_HITTEST, 0, (LPARAM)ppt); }
    int GetHotItem() const { return (int)SendMessage(TB_GETHOTITEM); }
    int SetHotItem(int nHot) { return (int)SendMessage(TB_SETHOTITEM, (WPARAM)nHot); }
    BOOL GetMaxSize(LPSIZE pSize) const { return (BOOL)SendMessage(TB_GETMAXSIZE, 0, (LPARAM)pSize); }
    int GetButtonText(UINT idButton, LPWSTR lpszText) const {
        return (int)SendMessage(TB_GETBUTTONTEXTW, idButton, (LPARAM)lpszText);
    }
    BOOL SetMaxTextRows(int iMaxRows) { return (BOOL)SendMessage(TB_SETMAXTEXTROWS, (WPARAM)iMaxRows); }
};
