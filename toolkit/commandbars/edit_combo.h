// The controls that host a window on a command bar: the edit field and the combo box, with the
// combo's drop-down list (a popup bar whose window is a list box).
#pragma once

#include "toolkit/base/edit.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/popup_bar.h"

// Notification codes the fields send besides the control's execution (100).
#ifndef CBN_SELCHANGE
#define CBN_SELCHANGE 1
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10
#endif
#ifndef EN_SETFOCUS
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#endif

class CTKPControlComboBox;
class CTKPControlEdit;

// The drop-down of a combo box.
class CTKPControlComboBoxList : public CTKPPopupBar {
    DECLARE_SERIAL(CTKPControlComboBoxList)
public:
    CTKPControlComboBoxList();

    virtual BOOL Create();
    BOOL Popup(CTKPControlPopup* parentControl) override;
    BOOL SetTrackingMode(int mode, BOOL selectFirst = TRUE, BOOL fromKeyboard = FALSE) override;
    int OnHookKeyDown(UINT vk, LPARAM lParam) override;
    void Copy(CTKPCommandBar* source, BOOL recursive = FALSE) override;
    void DoPropExchange(CTKPPropExchange* px) override;
    BOOL IsVisible() const override;

    // Keys the combo passes on; TRUE when the selection moved.
    BOOL ProcessKey(CTKPControlComboBox* combo, UINT vk);
    int GetCount() const;
    CString GetText(int index) const;

    CTKPControlComboBox* m_pCombo = nullptr;
    int m_nListWidth = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The edit window of a combo box.
class CTKPControlComboBoxEditField : public CTKPEdit {
public:
    explicit CTKPControlComboBoxEditField(CTKPControlComboBox* combo) : m_pCombo(combo) {}
    CTKPControlComboBox* m_pCombo;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The edit window of an edit control.
class CTKPControlEditField : public CTKPEdit {
public:
    explicit CTKPControlEditField(CTKPControlEdit* edit) : m_pEdit(edit) {}
    CTKPControlEdit* m_pEdit;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A single edit field with an optional label (control type 6).
class CTKPControlEdit : public CTKPControl {
    DECLARE_SERIAL(CTKPControlEdit)
public:
    CTKPControlEdit();
    ~CTKPControlEdit() override;

    void SetEnabled(BOOL enabled) override;
    void SetFocused(BOOL focused) override;
    BOOL IsFocused() const override { return m_bFocused; }
    void SetRect(const RECT& rc) override;
    BOOL Compare(CTKPControl* other) const override;
    void SetHideFlags(DWORD flags) override;
    int OnHookKeyDown(UINT vk, LPARAM lParam) override;
    void SetParent(CTKPCommandBar* bar) override;
    void Copy(CTKPControl* source, BOOL recursive = FALSE) override;
    void OnClick(BOOL keyboard = FALSE, POINT pt = POINT{0, 0}) override;
    BOOL SetSelected(int state) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
    void DoPropExchange(CTKPPropExchange* px) override;
    int GetFieldWidth() const override { return m_nWidth; }
    void SetCachedWidths(int labelWidth, int buttonWidth) override;
    int GetMinWidth() const override { return m_nLabelWidth + 5; }
    void SetWidth(int width) override;

    virtual void CreateEditField();
    virtual void OnSetFocus(HWND previous);
    virtual void OnKillFocus();
    virtual void OnEditChanged();
    // 0 not handled, 1 handled, 2 left to the edit.
    virtual int OnKeyDown(UINT vk);
    void SetReadOnly(BOOL readOnly);
    BOOL HasEditWindow() const { return m_pEdit && m_pEdit->m_hWnd; }
    CString GetEditText() const;
    void SetEditText(const CString& text);
    void SetEditHint(const CString& hint);
    CString GetEditHint() const { return m_strEditHint; }
    CTKPControlEditField* GetEditField() const { return m_pEdit; }

    CTKPControlEditField* m_pEdit = nullptr;
    int m_nWidth = 100;
    BOOL m_bHasLabel = TRUE;
    BOOL m_bReadOnly = FALSE;
    int m_nLabelWidth = 0;
    BOOL m_bRelayout = FALSE;
    CString m_strEditHint;
    BOOL m_bFocused = FALSE;
    CString m_strTextAtFocus;
    mutable CString m_strCachedText;
    mutable BOOL m_bTextDirty = TRUE;
    CTKPShellAutoComplete* m_pShellAutoComplete = nullptr;
    DWORD m_dwShellAutoCompleteFlags = 0;
};

// How many bar edits hold the keyboard focus on this thread; hovering selects nothing meanwhile.
int& TKPFocusedEditCount();
