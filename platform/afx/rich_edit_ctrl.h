// CRichEditCtrl: the framework's wrapper of the rich edit control.
#pragma once

#include "afx/wnd.h"
#include "win32/richedit.h"

class CRichEditCtrl : public CWnd {
    DECLARE_DYNAMIC(CRichEditCtrl)
public:
    CRichEditCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return CWnd::Create(RICHEDIT_CLASSW, nullptr, dwStyle, rect, pParentWnd, nID);
    }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, bReadOnly); }
    COLORREF SetBackgroundColor(BOOL bSysColor, COLORREF cr) {
        return (COLORREF)SendMessage(EM_SETBKGNDCOLOR, bSysColor, (LPARAM)cr);
    }
    BOOL SetDefaultCharFormat(CHARFORMAT& cf) { return (BOOL)SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf); }
    DWORD GetDefaultCharFormat(CHARFORMAT& cf) const {
        return (DWORD)SendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
    }
    long StreamIn(int nFormat, EDITSTREAM& es) { return (long)SendMessage(EM_STREAMIN, (WPARAM)nFormat, (LPARAM)&es); }
    BOOL SetOLECallback(IRichEditOleCallback* pCallback) {
        return (BOOL)SendMessage(EM_SETOLECALLBACK, 0, (LPARAM)pCallback);
    }
    DWORD SetEventMask(DWORD dwEventMask) { return (DWORD)SendMessage(EM_SETEVENTMASK, 0, (LPARAM)dwEventMask); }
    DWORD GetEventMask() const { return (DWORD)SendMessage(EM_GETEVENTMASK); }
    void RequestResize() { SendMessage(EM_REQUESTRESIZE); }
    void LimitText(long nChars = 0) { SendMessage(EM_EXLIMITTEXT, 0, (LPARAM)nChars); }
    void SetSel(long nStartChar, long nEndChar) {
        CHARRANGE cr{(LONG)nStartChar, (LONG)nEndChar};
        SendMessage(EM_EXSETSEL, 0, (LPARAM)&cr);
    }
    void GetSel(long& nStartChar, long& nEndChar) const {
        CHARRANGE cr{};
        SendMessage(EM_EXGETSEL, 0, (LPARAM)&cr);
        nStartChar = cr.cpMin;
        nEndChar = cr.cpMax;
    }
    void Copy() { SendMessage(WM_COPY); }
    int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT); }
    int GetFirstVisibleLine() const { return (int)SendMessage(EM_GETFIRSTVISIBLELINE); }
    BOOL LineScroll(int nLines, int nChars = 0) { return (BOOL)SendMessage(EM_LINESCROLL, (WPARAM)nChars, (LPARAM)nLines); }
    long GetTextLength() const { return (long)SendMessage(WM_GETTEXTLENGTH); }
};
