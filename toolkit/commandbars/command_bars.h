// The set of command bars of one frame: its menu bar and tool bars, the dock bars along its edges,
// the keyboard shortcuts, the tooltip context and the options the bars share.
#pragma once

#include "afx/cmd_target.h"
#include "afx/frame.h"
#include "afx/menu.h"
#include "afx/string.h"

#include <set>
#include <vector>

class CTKPCommandBar;
class CTKPCommandBars;
class CTKPDockBar;
class CTKPImageManager;
class CTKPMouseTracker;
class CTKPPaintManager;
class CTKPPopupBar;
class CTKPTipContext;
class CTKPToolBar;

// The frame's keyboard shortcuts: the accelerator table as loaded from the resources and the
// current one, which the user may change.
class CTKPShortcutTable : public CCmdTarget {
public:
    explicit CTKPShortcutTable(CTKPCommandBars* bars = nullptr);
    ~CTKPShortcutTable() override;

    virtual HACCEL GetAccelTable() const { return m_hAccelTable; }
    virtual void Reset();
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
    int nAnimation = 0;
    int nKeyboardCuesUse = 1;
    BOOL bShowStatusDescriptions = TRUE;
    SIZE szIcons{0, 0};
    SIZE szLargeIcons{0, 0};
    SIZE szPopupIcons{16, 16};
    std::set<UINT> m_hiddenCommands;
    std::set<UINT> m_usedCommands;
    CTKPCommandBars* m_pCommandBars = nullptr;
    int nKeyboardCuesShow = 0;
};

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
    CTKPShortcutTable* GetShortcutTable() const { return m_pShortcutTable; }
    CTKPCommandBarsSettings* GetCommandBarsOptions() const { return m_pOptions; }
    void HideCommands(const UINT* ids, int count);
    void HideCommand(UINT id);
    // Options and bar controls are not kept in the profile yet: these read and write nothing and
    // answer FALSE.
    BOOL LoadOptions(LPCWSTR profileName);
    BOOL SaveOptions(LPCWSTR profileName);
    BOOL LoadBarControls(LPCWSTR profileName);
    BOOL SaveBarControls(LPCWSTR profileName, BOOL onlyChanged = TRUE);

    virtual BOOL PreTranslateFrameMessage(MSG* pMsg);
    virtual BOOL OnFrameWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void OnSetPreviewMode(BOOL preview);

    // Tracks a popup bar modally at a screen point. With TPM_RETURNCMD (0x100) the answer is the
    // chosen command (0 for none), else 1 once the popup has closed.
    static int TrackPopupBar(CTKPPopupBar* popupBar, UINT flags, int x, int y, CWnd* owner = nullptr,
                             LPCRECT exclude = nullptr, CWnd* commandOwner = nullptr);
    int TrackPopupMenuAt(CMenu* menu, UINT flags, int x, int y, CWnd* owner = nullptr, LPCRECT exclude = nullptr,
                         CWnd* commandOwner = nullptr);

    CTKPCommandBar* GetMenuBar() const { return m_pMenuBar; }
    CTKPCommandBar* GetAt(int index) const;
    int GetCount() const { return int(m_bars.size()); }
    int FindIndex(CTKPCommandBar* bar) const;
    CTKPToolBar* GetToolBar(UINT id) const;
    void Remove(CTKPCommandBar* bar);
    CTKPDockBar* GetDockBar(int side) const;

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
    void MarkCommandUsed(UINT id);
    void RecalcFrameLayout(BOOL delay = FALSE);

    BOOL m_bIgnoreShiftMenuKey = FALSE;
    BOOL m_bCustomizeMode = FALSE;
    BOOL m_bCustomizable = FALSE;
    UINT m_nMenuId = 0;
    BOOL m_bQuickCustomizeMode = FALSE;
    BOOL m_bKeyboardCuesVisible = TRUE;
    BOOL m_bKeyboardCuesFollowAlt = FALSE;
    BOOL m_bRightToLeft = FALSE;

private:
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
