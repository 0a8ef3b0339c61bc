// The message protocol: the program's statements and yes/no questions, shown through the HTML message box
// with the program's caption, and the skin that the program's own dialogs paint as their background.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "controls/transparent_static.h"

// Message kinds: 1 information, 2 error, 3 question. Any other kind shows the dialog's own template.
enum AppMessageKind : UINT { MSG_KIND_INFO = 1, MSG_KIND_ERROR = 2, MSG_KIND_QUESTION = 3 };

// The caption of every message.
extern const WCHAR kMessageCaption[];

// A skin bitmap loaded from the resources and painted at the top left as a dialog's background.
class CDialogSkin {
public:
    explicit CDialogSkin(UINT bitmapId);
    ~CDialogSkin();
    CDialogSkin(const CDialogSkin&) = delete;
    CDialogSkin& operator=(const CDialogSkin&) = delete;
    // TRUE when the bitmap was drawn; FALSE leaves the erase to the default handling.
    BOOL Paint(CDC* pDC) const;
    HBITMAP Bitmap() const { return m_hBitmap; }

private:
    HBITMAP m_hBitmap = nullptr;
};

// A statement with an OK button. Text and kind travel with the object, never through shared globals, so a
// worker's message can never show another caller's text.
class CMessageDlg : public CDialog {
public:
    CMessageDlg(LPCWSTR text, UINT kind, CWnd* pParent = nullptr);
    // IDOK, or for an unknown kind the button that ended the dialog's own template.
    INT_PTR DoModal() override;

protected:
    BOOL OnInitDialog() override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

protected:
    CString m_strText;
    UINT m_nKind;
    CTransparentStatic m_back;
    CDialogSkin m_skin;
    UINT m_nYesNoStyle = 0; // MB_YESNO for the question dialog
};

// A yes/no question: IDOK for Yes, IDCANCEL for No or for closing the box.
class CSkinMessageDlg : public CMessageDlg {
public:
    CSkinMessageDlg(LPCWSTR text, UINT kind, CWnd* pParent = nullptr);
    INT_PTR DoModal() override;
};

// The message box style of a kind for the statement (yesNo false) or the question; 0 for an unknown kind.
UINT MessageBoxStyleForKind(UINT kind, bool yesNo);

// The protocol as the program's code uses it, on the user-interface thread.
void ShowAppMessage(LPCWSTR text, UINT kind);
// True when the user answered Yes.
bool AskAppQuestion(LPCWSTR text, UINT kind = MSG_KIND_QUESTION);
