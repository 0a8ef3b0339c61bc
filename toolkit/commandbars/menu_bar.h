// The frame's menu bar: a tool bar built from a menu resource that takes the frame's own menu
// away, follows the menus MDI children install, and carries a maximised child's window buttons.
#pragma once

#include "toolkit/commandbars/tool_bar.h"

#include <map>

// Flags of the menu bar's flags word.
#define TKP_MENUBAR_NOMINIMIZE 0x100
#define TKP_MENUBAR_NORESTORE 0x200
#define TKP_MENUBAR_IGNOREMDIMENU 0x400
#define TKP_MENUBAR_NOCLOSE 0x1000
#define TKP_MENUBAR_SHOWMDIICON 0x2000

// Ids of the controls a maximised MDI child adds: close, restore, minimise and its system menu.
#define TKP_ID_MDI_CLOSE 9403
#define TKP_ID_MDI_RESTORE 9404
#define TKP_ID_MDI_MINIMIZE 9405
#define TKP_ID_MDI_SYSMENU 9406

// The menu bar asks an MDI child for its icon with this message (an HICON answer).
#define TKP_WM_GETMDICHILDICON 0x2860
// Timer id the hooks post to the menu bar when the MDI children changed.
#define TKP_TIMER_MDIREFRESH 12223

class CTKPMenuBar : public CTKPToolBar {
    DECLARE_SERIAL(CTKPMenuBar)
public:
    CTKPMenuBar();
    ~CTKPMenuBar() override;

    // Fills the bar from the menu resource (0 keeps the controls), hooks the frame and takes its
    // menu away. FALSE, with the bar unchanged, when the menu cannot be loaded or converted.
    BOOL LoadMenuBar(UINT id);
    // Watches the site frame and, for an MDI frame, its client window.
    void HookFrame();
    // The active MDI child and whether it is maximised; null for a frame that is not MDI.
    HWND GetActiveMdiChild(BOOL* maximised = nullptr) const;
    // Follows the active child (hooking it) and, when the bar is visible, its window buttons.
    void RefreshMdi();
    void RefreshMdiControls();
    // Shows the controls of a menu a child installed (the frame's own for its menu or null).
    void SwitchMenu(HMENU menu);
    // Before a save: back to the frame's menu, and only customised MDI menus are kept.
    void PrepareForSave();
    BOOL HasSavedMenus() const { return !m_menus.empty(); }
    int GetMenuCount() const { return int(m_menus.size()); }
    CTKPControls* GetSavedMenu(UINT_PTR key) const;
    UINT GetDefaultMenuId() const { return m_nDefaultMenuId; }
    UINT_PTR GetCurrentMenuKey() const { return m_nCurrentKey; }
    HMENU GetFrameMenu() const { return m_hFrameMenu; }
    BOOL IsMdiFrame() const { return m_bMdi; }

    void Reset() override;
    void Copy(CTKPCommandBar* source, BOOL recursive = FALSE) override;
    void CollectForSave(UINT& nextPopupId, std::vector<CTKPCommandBar*>& list,
                        CTKPPropExchangeContext* context) override;
    BOOL RelinkPopups(const std::vector<CTKPCommandBar*>& list, std::vector<CTKPCommandBar*>& path) override;
    int OnHookMessage(HWND hWnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    BOOL m_bSavedMenus = FALSE;

protected:
    // The MDI menus a save holds: written and read as the bar's own keys.
    void ExchangeMenus(CTKPPropExchange* px) override;

private:
    // Puts a collection under a key, releasing the one it replaces.
    void StoreMenu(UINT_PTR key, CTKPControls* controls);
    // Keeps the detached collection of the current menu under its key (released without one).
    void PutAway(CTKPControls* controls);
    void ReleaseMenus();
    // Makes the collection the bar's, detaching the current one (returned, still referenced).
    CTKPControls* AttachControls(CTKPControls* controls);
    void UnhookWindows();

    BOOL m_bMdi = FALSE;
    HWND m_hWndActiveChild = nullptr;
    HWND m_hWndFrameHooked = nullptr;
    HWND m_hWndClientHooked = nullptr;
    HMENU m_hFrameMenu = nullptr;
    UINT m_nDefaultMenuId = 0;
    UINT_PTR m_nCurrentKey = 0;
    std::map<UINT_PTR, CTKPControls*> m_menus;
};
