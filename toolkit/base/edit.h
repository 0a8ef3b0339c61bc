// The toolkit's edit field (a plain-text rich edit when the rich-edit library is there), the
// process's rich-edit loader, and the shell auto-complete that an edit field may take on.
#pragma once

#include "afx/std_controls.h"
#include "afx/string.h"
#include "toolkit/commandbars/trackers.h"

class CTKPControl;

// The framework's clipboard commands, which the edit carries out itself.
#ifndef ID_EDIT_CUT
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_PASTE 0xE125
#endif

// Posted to the edit when the shell's suggestion drop-down shows.
#define TKM_AUTOCOMPLETE_DROPDOWN 0x2872

// Loads the rich-edit library once per process and keeps it until exit.
class CTKPRichEditLoader {
public:
    CTKPRichEditLoader();
    CTKPRichEditLoader(const CTKPRichEditLoader&) = delete;
    CTKPRichEditLoader& operator=(const CTKPRichEditLoader&) = delete;

    // 0 when neither library loads; the edits are then plain edit controls.
    HMODULE m_hModule = nullptr;
    CString m_strClassName;
    BOOL m_bRichEdit2 = FALSE;
};

CTKPRichEditLoader& GetRichEditLoader();

class CTKPEdit : public CEdit {
    DECLARE_DYNCREATE(CTKPEdit)
public:
    CTKPEdit() = default;

    // A cut, copy and paste menu for the edit of a command-bar control, at a point of the edit.
    virtual void ShowContextMenu(CTKPControl* control, CPoint point);
    virtual BOOL CreateEdit(DWORD style, CWnd* parent);

    // Navigation and deletion keys go to the edit itself, ahead of any accelerator; TRUE when taken.
    BOOL ProcessKey(UINT key, LPARAM keyData = 0);
    BOOL CanDoCommand(UINT id);
    BOOL IsImeComposing() const { return m_nImeComposing != 0; }

protected:
    afx_msg void OnUpdateEditCommand(CCmdUI* pCmdUI);
    afx_msg void OnEditCut();
    afx_msg void OnEditCopy();
    afx_msg void OnEditPaste();
    afx_msg LRESULT OnImeStartComposition(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnImeEndComposition(WPARAM wParam, LPARAM lParam);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    DECLARE_MESSAGE_MAP()

    int m_nImeComposing = 0;
};

// The shell's auto-complete for an edit, and the adoption of its suggestion drop-down so that keys
// and the mouse wheel reach it while the command bars track the keyboard.
class CTKPShellAutoComplete : public CTKPWndHookChain {
public:
    CTKPShellAutoComplete() = default;
    ~CTKPShellAutoComplete() override;

    // The shell's answer; E_FAIL when the shell offers no auto-complete.
    HRESULT Enable(HWND edit, DWORD flags);
    BOOL ProcessKey(UINT key, LPARAM keyData = 0);
    void HideDropDown();
    void SetDropDown(HWND dropDown);
    void SetHook(BOOL install);

    int OnHookMessage(HWND hWnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;

    HWND GetDropDown() const { return m_hWndDropDown; }
    HWND GetEdit() const { return m_hWndEdit; }
    // The object whose hook is installed, or null.
    static CTKPShellAutoComplete* GetHookOwner();

    HWND m_hWndDropDown = nullptr;
    HWND m_hWndEdit = nullptr;

private:
    static LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam);
};
