// The set of command bars of one frame: its menu bar and tool bars, the dock bars along its edges,
// the keyboard shortcuts, the tooltip context and the options the bars share.
#pragma once

#include "afx/cmd_target.h"
#include "afx/frame.h"
#include "afx/menu.h"
#include "afx/string.h"

#include <map>
#include <set>
#include <vector>

class CArchive;
class CTKPCommandBar;
class CTKPCommandBars;
class CTKPControl;
class CTKPCustomizeDragContext;
class CTKPPropExchange;
struct CTKPPropExchangeContext;
class CTKPTabClientWnd;
class CTKPDockBar;
class CTKPImageManager;
class CTKPMouseTracker;
class CTKPPaintManager;
class CTKPPopupBar;
class CTKPTipContext;
class CTKPToolBar;

// The toolkit's bitmap of the restore, minimise, maximise and close icons.
#define TKP_IDB_WINDOW_COMMANDS 9407

// The frame's keyboard shortcuts: the accelerator table as loaded from the resources and the
// current one, which the user may change.
class CTKPShortcutTable : public CCmdTarget {
public:
    explicit CTKPShortcutTable(CTKPCommandBars* bars = nullptr);
    ~CTKPShortcutTable() override;

    // The shortcut text of a command: a text passed in that some entry formats to stays; else the
    // entry of the highest priority. FALSE (text emptied) when no entry has the command.
    virtual BOOL FindDefaultAccelerator(UINT command, CString& text);
    // The text of one entry and its priority (3 Ctrl, 2 Alt, 1 Shift, 4 a plain key).
    virtual void FormatAccelerator(CString& text, const ACCEL& accel, int* priority = nullptr);
    virtual CString GetKeyName(UINT vk);
    // Plain Esc only when AllowEscapeShortcut is set.
    virtual BOOL IsAllowedAccelerator(const ACCEL& accel);
    virtual HACCEL GetAccelTable() const { return m_hAccelTable; }
    virtual void Reset();
    HACCEL GetResourceTable() const { return m_hResourceTable; }
    // Whether a key types a character (in any installed layout) that matches a mnemonic character.
    static BOOL IsSameKey(WCHAR ch, UINT vk);
    BOOL LoadShortcutResource(UINT id);
    void SetAccelTable(const ACCEL* entries, int count);
    static HACCEL CopyAccelTable(HACCEL table);
    // Translation is off while the disable count is above 0.
    void DisableShortcuts(BOOL disable);
    int GetDisableCount() const { return m_nDisableCount; }
    BOOL TranslateAccelerator(HWND hWnd, MSG* pMsg);
    void SaveShortcuts(LPCWSTR section);
    void LoadShortcuts(LPCWSTR section);

    BOOL m_bAllowEscapeShortcut = FALSE;
    BOOL m_bUseSystemKeyNameText = FALSE;

private:
    int m_nDisableCount = 0;
    CTKPCommandBars* m_pCommandBars;
    HACCEL m_hAccelTable = nullptr;
    HACCEL m_hResourceTable = nullptr;
    std::map<UINT, CString> m_keyNames;
};

// The customize dialog's key field: it captures one key combination and shows it as text.
class CTKPShortcutKeyEdit : public CWnd {
public:
    explicit CTKPShortcutKeyEdit(CTKPShortcutTable* table = nullptr) : m_pShortcutTable(table) {}
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void ResetKey();
    const ACCEL& GetAccel() const { return m_accel; }
    BOOL IsComplete() const { return m_bComplete; }

    CTKPShortcutTable* m_pShortcutTable;

private:
    ACCEL m_accel{0, 0, 0};
    BOOL m_bComplete = FALSE;
};

// The options all bars of a frame share.
class CTKPCommandBarsSettings : public CCmdTarget {
public:
    BOOL bAlwaysShowFullMenus = TRUE;
    BOOL bShowFullAfterDelay = TRUE;
    BOOL bToolBarScreenTips = TRUE;
    BOOL bToolBarAccelTips = FALSE;
    BOOL bLargeIcons = FALSE;
    BOOL bSyncFloatingBars = TRUE;
    BOOL bShowExpandButtonAlways = TRUE;
    BOOL bDblClickFloat = FALSE;
    BOOL bShowTextBelowIcons = FALSE;
    BOOL bAltDragCustomization = TRUE;
    BOOL bAutoHideUnusedPopups = TRUE;
    BOOL bCustomized = FALSE;
    // Every control of a popup bar gets a tip, not only those flagged TKP_FLAG_SHOWTIPINPOPUP.
    BOOL bShowPopupBarToolTips = FALSE;
    int nAnimation = 0;
    // Popups show the shortcut text the frame's keyboard shortcuts give each command.
    BOOL bUpdateShortcuts = TRUE;
    int nKeyboardCuesUse = 1;
    BOOL bShowStatusDescriptions = TRUE;
    SIZE szIcons{0, 0};
    SIZE szLargeIcons{0, 0};
    SIZE szPopupIcons{16, 16};
    std::set<UINT> m_hiddenCommands;
    std::set<UINT> m_usedCommands;
    CTKPCommandBars* m_pCommandBars = nullptr;
    int nKeyboardCuesShow = 0;

    // Steps the options through an exchange; with userOptionsOnly only what the profile keeps.
    void ExchangeOptions(CTKPPropExchange* px, BOOL userOptionsOnly);
    void Serialize(CArchive& ar) override;
};

// The record of the site message 10337: a bar about to be made (a custom tool bar, or the popup
// bar of a popup control), which the site may supply or change.
struct TKP_BAR_REQUEST {
    CTKPCommandBar* pCommandBar;
    DWORD_PTR reserved;
    BOOL bPopup;
    BOOL bToolBar;
    BOOL bFloating;
    LPCWSTR lpszCaption;
    UINT nID;
};
#define TKP_WM_BARREQUEST 0x2861
#define TKP_WM_BARCONTEXTMENU 0x285C
#define TKP_WM_CUSTOMIZESELECTION 0x2857

class CTKPCommandBars : public CCmdTarget {
    DECLARE_DYNCREATE(CTKPCommandBars)
public:
    CTKPCommandBars();
    ~CTKPCommandBars() override;

    void SetSite(CFrameWnd* frame);
    CFrameWnd* GetSite() const { return m_pFrame; }
    void EnableBarDocking();
    CTKPCommandBar* SetMenuBar(LPCWSTR title, UINT menuId);
    CTKPToolBar* AddToolBar(LPCWSTR title, UINT id, CRuntimeClass* runtimeClass = nullptr);
    // Gives a new bar its window in the top dock bar and docks it in a row of its own there.
    BOOL CreateDockedWindow(CTKPToolBar* bar, UINT id);
    CTKPShortcutTable* GetShortcutTable() const { return m_pShortcutTable; }
    CTKPCommandBarsSettings* GetCommandBarsOptions() const { return m_pOptions; }
    void HideCommands(const UINT* ids, int count);
    void HideCommand(UINT id);
    // The options live in the profile under "<profile name>-Options". A value missing there keeps
    // what the frame set before loading, and saving writes every value, so a switch the frame
    // makes before loading holds until the user changes it.
    BOOL LoadOptions(LPCWSTR profileName);
    BOOL SaveOptions(LPCWSTR profileName);
    // The bars' places, the dock bars' rows and the customised bars (bar_state.cpp). Loading
    // without the question about changed built-in bars when `silent` is set.
    BOOL LoadBarControls(LPCWSTR profileName, BOOL silent = FALSE);
    BOOL SaveBarControls(LPCWSTR profileName, BOOL onlyChanged = TRUE);
    // The hidden file that holds a large saved control set.
    void GetControlsFileName(CString& path, LPCWSTR profileName) const;
    // The document of the customised bars (bar_exchange.cpp).
    virtual void CollectBarsToSave(std::vector<CTKPCommandBar*>& list, CTKPPropExchangeContext* context);
    virtual BOOL SaveBars(CTKPPropExchange* px, std::vector<CTKPCommandBar*>& list);
    virtual BOOL LoadBars(CTKPPropExchange* px, std::vector<CTKPCommandBar*>& list);
    // Links the loaded popups and merges the loaded tool bars into the bars; FALSE (nothing
    // changed) when the loaded bars link to each other in a way no save makes.
    virtual BOOL RebuildBars(std::vector<CTKPCommandBar*>& list, BOOL silent);
    // A loaded tool bar that no bar of the frame has: it joins the bars, docked at the top.
    void AddLoadedBar(CTKPToolBar* bar);

    virtual BOOL PreTranslateFrameMessage(MSG* pMsg);
    virtual BOOL OnFrameWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void OnSetPreviewMode(BOOL preview);

    // Tracks a popup bar modally at a screen point. With TPM_RETURNCMD (0x100) the answer is the
    // chosen command (0 for none), else 1 once the popup has closed.
    static int TrackPopupBar(CTKPPopupBar* popupBar, UINT flags, int x, int y, CWnd* owner = nullptr,
                             LPCRECT exclude = nullptr, CWnd* commandOwner = nullptr);
    int TrackPopupMenuAt(CMenu* menu, UINT flags, int x, int y, CWnd* owner = nullptr, LPCRECT exclude = nullptr,
                         CWnd* commandOwner = nullptr);

    virtual CTKPToolBar* AddCustomToolBar(LPCWSTR title, UINT id, BOOL floating = FALSE);

    CTKPCommandBar* GetMenuBar() const { return m_pMenuBar; }
    CTKPCommandBar* GetAt(int index) const;
    int GetCount() const { return int(m_bars.size()); }
    int FindIndex(CTKPCommandBar* bar) const;
    CTKPToolBar* GetToolBar(UINT id) const;
    void Remove(CTKPCommandBar* bar);
    void ToggleVisible(int index);
    // The next visible bar from index in a direction, wrapping once; -1 when none.
    int GetNextVisible(int index, int direction) const;
    CTKPDockBar* GetDockBar(int side) const;
    void DockCommandBar(CTKPToolBar* bar, LPCRECT rect, CTKPDockBar* dockBar);
    void DockCommandBar(CTKPToolBar* bar, int side);
    void FloatCommandBar(CTKPToolBar* bar);
    // The dock bar whose window, grown by 20 pixels, holds a screen point; the current one first.
    CTKPDockBar* FindDockBarAt(POINT pt, CTKPDockBar* current = nullptr) const;
    void DoPendingLayout();
    void RedrawCommandBars();
    void RecalcAllBars();

    CTKPPaintManager* GetPaintManager() const;
    void SetPaintManager(CTKPPaintManager* manager);
    CTKPImageManager* GetImageManager() const;
    void SetImageManager(CTKPImageManager* manager);
    CTKPTipContext* GetToolTipContext() const { return m_pTipContext; }
    CTKPMouseTracker* GetMouseTracker() const;
    BOOL IsLayoutRTL() const;
    BOOL IsKeyboardCuesVisible() const { return m_bKeyboardCuesVisible; }
    BOOL IsCustomizeMode() const { return m_bCustomizeMode; }
    virtual BOOL IsCommandHidden(UINT id) const;
    virtual BOOL IsControlHidden(CTKPControl* control) const;
    // 0 for a frame that is not an MDI frame.
    virtual UINT GetActiveMenuId() const;
    virtual void OnTrackingModeChanged(CTKPCommandBar* bar, int mode);
    // The bars' context menu: the tool-bars list, which the site may fill or change (10332).
    virtual void ContextMenu(CTKPCommandBar* bar, int x, int y);
    virtual CTKPPopupBar* GetToolbarsPopup();
    // For a bar's expand button: an entry per bar of its row, and copies of the row's popups.
    virtual void AddHiddenPopups(CTKPCommandBar* bar, CTKPCommandBar* popup);
    virtual void AddRowPopups(CTKPCommandBar* bar, CTKPCommandBar* popup);
    // The bars docked in the same row as the bar (only the bar when it is not docked).
    std::vector<CTKPCommandBar*> GetRowBars(CTKPCommandBar* bar) const;
    virtual void AddToReBar(CTKPCommandBar* bar);
    virtual void RemoveFromReBar(CTKPCommandBar* bar);
    void MarkCommandUsed(UINT id);
    void ResetUsedCommands();
    void RecalcFrameLayout(BOOL delay = FALSE);

    // Keyboard cues: 0 always shown, 1 hidden until Alt, 2 as the system says.
    void SetKeyboardCuesShow(int mode);
    void ShowKeyboardCues(BOOL show);
    // Alt+letter: finds the control whose mnemonic is the key and enters menu mode on its bar;
    // TRUE when one was found.
    BOOL OnMenuKey(UINT vk);
    // Moves menu mode to the next visible bar in a direction.
    void SwitchBar(CTKPCommandBar* bar, int direction);

    void SetCustomizeMode(BOOL on);
    void SetQuickCustomizeMode(BOOL on);
    void SetDragControl(CTKPControl* control);
    CTKPControl* GetDragControl() const { return m_pDragControl; }
    CTKPCustomizeDragContext* GetDragContext() const { return m_pDragContext; }
    void SetTabClient(CTKPTabClientWnd* client) { m_pTabClient = client; }

    BOOL m_bIgnoreShiftMenuKey = FALSE;
    BOOL m_bCustomizeMode = FALSE;
    BOOL m_bCustomizable = FALSE;
    UINT m_nMenuId = 0;
    BOOL m_bQuickCustomizeMode = FALSE;
    BOOL m_bKeyboardCuesVisible = TRUE;
    BOOL m_bKeyboardCuesFollowAlt = FALSE;
    BOOL m_bRightToLeft = FALSE;
    BOOL m_bLayoutLock = FALSE;
    BOOL m_bLayoutPending = FALSE;
    CString m_strText;
    // A file name of the application's choosing for the large saved control set.
    CString m_strControlsFileName;

private:
    CTKPCustomizeDragContext* m_pDragContext;
    CTKPControl* m_pDragControl = nullptr;
    CTKPTabClientWnd* m_pTabClient = nullptr;
    CTKPPaintManager* m_pPaintManager = nullptr;
    CTKPImageManager* m_pImageManager = nullptr;
    CTKPCommandBarsSettings* m_pOptions;
    std::vector<CTKPCommandBar*> m_bars;
    CTKPDockBar* m_pDockBars[4] = {nullptr, nullptr, nullptr, nullptr};
    CFrameWnd* m_pFrame = nullptr;
    CTKPCommandBar* m_pMenuBar = nullptr;
    CTKPTipContext* m_pTipContext;
    mutable CTKPMouseTracker* m_pMouseTracker = nullptr;
    CTKPShortcutTable* m_pShortcutTable;
};
