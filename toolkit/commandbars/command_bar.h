// The command bar base (tool bars, the menu bar and popup bars derive from it), its controls and
// their collection. The bars and controls are the objects the paint managers draw through the
// read-only views of command_bar_model.h.
#pragma once

#include "afx/menu.h"
#include "afx/wnd.h"
#include "toolkit/base/accessible.h"
#include "toolkit/base/command_bar_model.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/trackers.h"

#include <set>
#include <vector>

class CTKPCommandBar;
class CTKPCommandBars;
class CTKPControl;
class CTKPControls;
class CTKPPropExchange;
struct CTKPPropExchangeContext;
class CTKPImageIcon;
class CTKPImageManager;
class CTKPPaintManager;
class CTKPTipContext;

// Hide flags of a control.
#define TKP_HIDE_GENERIC 0x01
#define TKP_HIDE_WRAP 0x02
#define TKP_HIDE_DOCKINGPOSITION 0x04
#define TKP_HIDE_EXPAND 0x08
#define TKP_HIDE_CUSTOMIZE 0x10
#define TKP_HIDE_RARELYUSED 0x20
#define TKP_HIDE_DOCTEMPLATE 0x40
// Control flags.
#define TKP_FLAG_RIGHTALIGN 0x01
#define TKP_FLAG_SKIPFOCUS 0x02
#define TKP_FLAG_MANUALUPDATE 0x08
#define TKP_FLAG_NOMOVABLE 0x10
#define TKP_FLAG_CONTROLSTRETCHED 0x20
#define TKP_FLAG_SHOWTIPINPOPUP 0x40

// Messages a bar sends its site.
#define TKP_WM_CONTROLSELECTED 0x2856
#define TKP_WM_TRACKINGMODE 0x2858
#define TKP_WM_CONTROLRBUTTONUP 0x2859
#define TKP_WM_TRACKINGKEY 0x285A
// The bar's timers: hover opening a popup, and full menus after a while.
#define TKP_TIMER_HOVER 112223
#define TKP_TIMER_SHOWFULL 112224

// A menu item is about to become a control (the record below), and has become one (lParam).
#define TKP_WM_CONTROLFROMMENU 0x285E
#define TKP_WM_CONTROLFROMMENUDONE 0x285F
struct TKP_MENU_ITEM_REQUEST {
    UINT nID;
    CTKPControl* pControl;
    DWORD_PTR reserved1;
    int nIndex;
    CMenu* pMenu;
    CTKPCommandBar* pBar;
    CString strText;
    int nType;
    DWORD_PTR reserved2;
};

// The notification a control sends its command owner when it executes (code 100) or notifies.
#define TKP_WM_CONTROLNOTIFY 0x2862
#define TKP_CN_EXECUTE 100
struct TKP_CONTROL_NOTIFY {
    NMHDR hdr;
    CTKPControl* pControl;
};

// One item of a command bar.
class CTKPControl : public CCmdTarget, public CTKPAccessibleSupport, public CTKPControlView {
    DECLARE_SERIAL(CTKPControl)
public:
    CTKPControl();
    ~CTKPControl() override;

    // ---- Virtual operations ----
    virtual CString GetDescription() const { return m_strDescriptionText; }
    virtual CString GetTooltip() const { return m_strTooltipText; }
    virtual void SetBeginGroup(BOOL beginGroup);
    virtual void SetEnabled(BOOL enabled);
    int GetSelected() const override { return m_nSelected; }
    virtual void SetFocused(BOOL /*focused*/) {}
    virtual BOOL IsFocused() const { return FALSE; }
    virtual void SetRect(const RECT& rc) { m_rcControl = rc; }
    virtual BOOL IsCaptionVisible() const;
    virtual BOOL Compare(CTKPControl* other) const;
    virtual CTKPCommandBar* GetCommandBar() const { return nullptr; }
    virtual void SetHideFlags(DWORD flags) { m_dwHideFlags = flags; }
    virtual void OnExecute();
    virtual CSize GetSize(CDC* pDC);
    virtual void Draw(CDC* pDC);
    CTKPImageIcon* GetImage(int width) override;
    virtual void OnUnderlineActivate() { OnExecute(); }
    virtual int OnHookKeyDown(UINT /*vk*/, LPARAM /*lParam*/) { return 0; }
    virtual void SetParent(CTKPCommandBar* bar) { m_pParent = bar; }
    virtual void Copy(CTKPControl* source, BOOL recursive = FALSE);
    virtual BOOL SetPopuped(BOOL /*popuped*/) { return FALSE; }
    virtual void OnClick(BOOL keyboard = FALSE, POINT pt = POINT{0, 0});
    virtual void OnLButtonUp(POINT /*pt*/) {}
    virtual void OnRButtonUp(POINT /*pt*/) {}
    virtual BOOL OnLButtonDblClk(POINT pt);
    virtual void OnMouseMove(POINT /*pt*/) {}
    virtual void OnMouseHover();
    virtual BOOL SetSelected(int state);
    virtual BOOL IsCustomizeResizeAllow() const { return FALSE; }
    // The layout mode of the coming layout pass of the collection.
    virtual void OnCalcDynamicSize(DWORD /*mode*/) {}
    // A press in customize mode: the control is dragged, and taken off its bar when it was moved
    // elsewhere or dropped over no bar.
    virtual void OnCustomizeMouseDown(POINT pt);
    // A customize drag passes over the control: the base closes the bar's popup and selection.
    virtual void OnCustomizeDragOver(CTKPControl* dragged, POINT pt, int& effect);
    // Whether the bar may show the drop marker for this control at the point.
    virtual BOOL IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT pt, int& effect) { return TRUE; }
    // A drag of the left or right edge in customize mode changes the control's width.
    virtual BOOL OnCustomizeResize(POINT pt);
    // The narrowest and the new width of a control whose width the user may drag.
    virtual int GetMinWidth() const { return 0; }
    virtual void SetWidth(int /*width*/) {}
    virtual CTKPControl* Clone(BOOL recursive = FALSE);
    // Stores or loads the control's saved keys.
    virtual void DoPropExchange(CTKPPropExchange* px);

    // Accessibility of the item.
    HRESULT GetAccessibleName(VARIANT varChild, BSTR* pszName) override;
    HRESULT GetAccessibleDescription(VARIANT varChild, BSTR* pszDescription) override;
    HRESULT GetAccessibleRole(VARIANT varChild, VARIANT* pvarRole) override;
    HRESULT AccessibleDoDefaultAction(VARIANT varChild) override;
    // The role an accessibility client sees: a tool-bar button, a button menu or a menu item.
    long GetAccessibleRoleCode() const;

    // ---- Other operations ----
    void SetID(UINT id);
    UINT GetID() const { return m_nId; }
    void SetCaption(LPCWSTR caption);
    CString GetCaption() const override;
    CString GetShortcutText() const override;
    void SetShortcutText(LPCWSTR text) { m_strShortcutText = text; }
    void SetDefaultItem(BOOL defaultItem);
    BOOL GetDefaultItem() const override { return m_bDefaultItem; }
    void SetFlags(DWORD flags) { m_dwFlags = flags; }
    DWORD GetFlags() const { return m_dwFlags; }
    DWORD GetHideFlags() const { return m_dwHideFlags; }
    void SetChecked(BOOL checked);
    void SetIconId(int id) { m_nIconId = id; }
    // The icon id used: the custom one, else the own one, else the command id (0 = none).
    int GetIconId() const;
    int GetIndex() const { return m_nIndex; }
    CTKPCommandBar* GetParent() const { return m_pParent; }
    CTKPControls* GetControls() const { return m_pControls; }
    void SetControls(CTKPControls* controls) { m_pControls = controls; }
    void SetStyle(int style) { m_nCustomStyle = style; }
    void SetRowRect(const RECT& rc) { m_rcRow = rc; }
    void SetWrap(BOOL wrap) { m_bWrap = wrap; }
    LRESULT NotifySite(UINT code);
    void DelayLayoutParent();
    void RedrawParent();
    BOOL IsCustomizeMode() const;
    BOOL IsCursorOver() const;
    CTKPPaintManager* GetPaintManager() const;
    CTKPImageManager* GetImageManager() const;

    // ---- What the paint managers read ----
    int GetType() const override { return m_controlType; }
    CTKPBarView* GetParentBarView() const override;
    BOOL GetEnabled() const override { return m_bEnabled; }
    BOOL GetChecked() const override { return m_bChecked; }
    int GetPressed() const override { return m_nPressed; }
    int GetStyle() const override;
    RECT GetRect() const override { return m_rcControl; }
    RECT GetRowRect() const override { return m_rcRow; }
    BOOL GetBeginGroup() const override { return m_bBeginGroup; }
    BOOL GetWrap() const override { return m_bWrap; }
    BOOL IsHidden() const override { return m_dwHideFlags != 0; }
    BOOL IsHiddenEntryShown() const override { return FALSE; }
    BOOL IsPopupOpen() const override { return FALSE; }

    CCmdTarget* GetAccessibleTarget() override { return this; }

    DWORD m_dwTag = 0;
    int m_nIndex = 0;
    UINT m_nId = 0;
    int m_nIconId = 0;
    UINT m_nCustomIconId = 0;
    BOOL m_bWrap = FALSE;
    BOOL m_bBeginGroup = FALSE;
    BOOL m_bEnabled = TRUE;
    BOOL m_bChecked = FALSE;
    int m_nSelected = 0;
    int m_nPressed = 0;
    BOOL m_bTemporary = FALSE;
    RECT m_rcRow{0, 0, 0, 0};
    RECT m_rcControl{0, 0, 0, 0};
    DWORD m_dwHideFlags = 0;
    DWORD m_dwFlags = 0;
    CString m_strCaption;
    CString m_strCustomCaption;
    CString m_strShortcutText;
    CString m_strShortcutTextAuto;
    CString m_strTooltipText;
    CString m_strDescriptionText;
    CString m_strParameter;
    int m_controlType = 0;
    CTKPCommandBar* m_pParent = nullptr;
    CString m_strCategory;
    BOOL m_bDefaultItem = FALSE;
    std::set<UINT> m_shownForMenuIds;
    std::set<UINT> m_hiddenForMenuIds;
    int m_nDefaultStyle = TKP_STYLE_AUTOMATIC;
    int m_nCustomStyle = TKP_STYLE_AUTOMATIC;
    BOOL m_bCloseSubMenuOnClick = TRUE;

protected:
    CTKPControls* m_pControls = nullptr;
};

// A plain command button.
class CTKPControlButton : public CTKPControl {
    DECLARE_SERIAL(CTKPControlButton)
public:
    CTKPControlButton();
    void DoPropExchange(CTKPPropExchange* px) override;
    void OnClick(BOOL keyboard = FALSE, POINT pt = POINT{0, 0}) override;
    void OnLButtonUp(POINT pt) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
};

// A control that opens a popup bar (types 2, 3 and 4).
class CTKPControlPopup : public CTKPControlButton {
    DECLARE_SERIAL(CTKPControlPopup)
public:
    explicit CTKPControlPopup(int type = TKP_CONTROL_POPUP);
    void DoPropExchange(CTKPPropExchange* px) override;
    ~CTKPControlPopup() override;

    CTKPCommandBar* GetCommandBar() const override { return m_pCommandBar; }
    // Takes a reference to the bar and releases the previous one.
    void SetCommandBar(CTKPCommandBar* bar);
    BOOL SetPopuped(BOOL popuped) override;
    BOOL IsPopupOpen() const override { return m_bPopuped; }
    void OnClick(BOOL keyboard = FALSE, POINT pt = POINT{0, 0}) override;
    void OnLButtonUp(POINT pt) override;
    BOOL SetSelected(int state) override;
    void OnMouseHover() override;
    void OnCustomizeDragOver(CTKPControl* dragged, POINT pt, int& effect) override;
    void OnUnderlineActivate() override;
    void Copy(CTKPControl* source, BOOL recursive = FALSE) override;
    BOOL Compare(CTKPControl* other) const override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;

    BOOL m_bPopuped = FALSE;
    CTKPCommandBar* m_pCommandBar = nullptr;
    CTKPCommandBar* m_pShowingBar = nullptr;
    // The id of the popup bar as saved, until a load links the control to that bar.
    UINT m_nSavedBarId = 0;
    int m_nPopupStyle = 0;
};

// The combo box control (type 5): an optional edit field, a face, and a drop-down list that is a
// popup bar of its own (edit_combo.cpp).
class CTKPControlComboBoxList;
class CTKPControlComboBoxEditField;
class CTKPShellAutoComplete;
class CTKPControlComboBox : public CTKPControlPopup {
    DECLARE_SERIAL(CTKPControlComboBox)
public:
    CTKPControlComboBox();
    ~CTKPControlComboBox() override;

    void SetEnabled(BOOL enabled) override;
    void SetFocused(BOOL focused) override;
    BOOL IsFocused() const override { return m_bFocused; }
    void SetRect(const RECT& rc) override;
    // Only a text style of 1 counts a typed text as the control's text.
    BOOL HasText() const;
    BOOL Compare(CTKPControl* other) const override;
    void SetHideFlags(DWORD flags) override;
    void OnExecute() override;
    int OnHookKeyDown(UINT vk, LPARAM lParam) override;
    void SetParent(CTKPCommandBar* bar) override;
    void Copy(CTKPControl* source, BOOL recursive = FALSE) override;
    BOOL SetPopuped(BOOL popuped) override;
    void OnClick(BOOL keyboard = FALSE, POINT pt = POINT{0, 0}) override;
    BOOL SetSelected(int state) override;
    int GetMinWidth() const override { return m_nLabelWidth + m_nButtonWidth + 5; }
    void SetWidth(int width) override;
    CTKPControl* Clone(BOOL recursive = FALSE) override;
    void DoPropExchange(CTKPPropExchange* px) override;
    BOOL IsDroppedDown() const override;
    int GetFieldWidth() const override { return m_nWidth; }
    void SetCachedWidths(int labelWidth, int buttonWidth) override;
    void DrawFieldText(HDC hdc, const RECT& field) override;

    virtual CString GetListText() const;
    virtual void CreateEditField();
    virtual void OnSetFocus(HWND previous);
    virtual void OnKillFocus();
    virtual void OnSelChanged();
    virtual void OnEditChanged();
    virtual void OnSetPopup(BOOL open);
    // 0 not handled, 1 handled, 2 left to the edit.
    virtual int OnKeyDown(UINT vk);

    CString GetEditText() const;
    void SetEditText(const CString& text);
    void SetEditHint(const CString& hint);
    CString GetEditHint() const { return m_strEditHint; }
    void SetDropDown(BOOL dropDown);
    void SetShellAutoComplete(DWORD flags);
    int GetCurSel() const;
    void SetCurSel(int index);
    // The list is the popup bar the combo opens.
    CTKPControlComboBoxList* GetList() const;
    CTKPControlComboBoxEditField* GetEditField() const { return m_pEdit; }

    CTKPControlComboBoxEditField* m_pEdit = nullptr;
    BOOL m_bDropDown = FALSE;
    int m_nComboStyle = 0;
    int m_nWidth = 100;
    int m_nSavedSel = -1;
    CString m_strTextAtFocus;
    BOOL m_bRelayout = FALSE;
    int m_nLabelWidth = 0;
    int m_nButtonWidth = 0;
    CString m_strEditHint;
    BOOL m_bAutoComplete = FALSE;
    BOOL m_bNoComplete = FALSE;
    DWORD m_dwShellAutoCompleteFlags = 0;
    BOOL m_bFocused = FALSE;
    UINT m_nEditIconId = 0;
    BOOL m_bSelAccepted = FALSE;
    int m_nDropDownItemCount = 12;
    mutable CString m_strCachedText;
    mutable BOOL m_bTextDirty = TRUE;
    CTKPShellAutoComplete* m_pShellAutoComplete = nullptr;
    int m_nCurSel = -1;
};

// One control's place in a layout pass of its collection.
struct TKP_LAYOUT_RECORD {
    RECT rcPlace;
    RECT rcRow;
    int cx;
    int cy;
    BOOL bVisible;
    BOOL bRowStart;
    BOOL bOverflow;
    BOOL bGroup;
};
// Layout modes the bars pass to CalcSize besides the LM_* ones: one row only (what does not fit
// goes behind the expand button), and a new row at every group.
#define TKP_LAYOUT_SINGLEROW 0x80
#define TKP_LAYOUT_GROUPROWS 0x100
// Set by WrapRows when a row was broken or controls did not fit.
#define TKP_LAYOUT_HASHIDDEN 0x01

// The controls of one bar, in order; the collection holds one reference per control.
class CTKPControls : public CCmdTarget {
public:
    CTKPControls();
    ~CTKPControls() override;

    CTKPControl* Add(int type, UINT id, LPCWSTR parameter = nullptr, int before = -1, BOOL temporary = FALSE);
    CTKPControl* AddControl(CTKPControl* control, UINT id, LPCWSTR parameter = nullptr, int before = -1,
                            BOOL temporary = FALSE);
    CTKPControl* AddClone(CTKPControl* control, int before = -1, BOOL recursive = FALSE);
    // One menu item as a control; null for items that make none.
    CTKPControl* AddMenuItem(CMenu* menu, int index);
    void Remove(CTKPControl* control);
    void RemoveAt(int index);
    void RemoveAll();

    CTKPControl* GetAt(int index) const;
    int GetCount() const { return int(m_controls.size()); }
    CTKPControl* GetFirst() const { return GetAt(0); }
    CTKPControl* GetNextOf(CTKPControl* control) const;
    int GetVisibleCount(BOOL all = TRUE) const;
    CTKPControl* FindControl(int type, int id, BOOL visibleOnly, BOOL recursive) const;
    CTKPControl* FindControl(int id) const { return FindControl(0, id, FALSE, FALSE); }
    int GetNext(int index, int direction = 1, BOOL selectableOnly = TRUE, BOOL skipTemporary = FALSE,
                BOOL keyboard = TRUE) const;
    CTKPControl* HitTest(POINT pt) const;

    void SetParent(CTKPCommandBar* bar);
    CTKPCommandBar* GetParent() const { return m_pParent; }
    void SetCommandBars(CTKPCommandBars* bars) { m_pCommandBars = bars; }
    CTKPCommandBars* GetCommandBars() const;

    // A new collection (one reference, the caller's) with clones of the non-temporary controls.
    CTKPControls* Duplicate(BOOL recursive = FALSE) const;
    // Keeps a copy of the controls as first built, for resetting and comparing customized bars.
    void CreateOriginalControls();
    void ClearOriginalControls();
    CTKPControls* GetOriginalControls() const { return m_pOriginalControls; }
    // Equal when the non-temporary controls compare equal pair by pair.
    BOOL Compare(const CTKPControls* other) const;
    // Stores or loads the controls (and their original controls); a control of a class that
    // cannot be made throws an archive exception.
    void DoPropExchange(CTKPPropExchange* px);
    void SetOriginalControls(CTKPControls* controls);

    // The controls laid out in rows for a length and a mode (LM_* and TKP_LAYOUT_* bits) inside
    // a border; the controls take their places only with LM_COMMIT.
    CSize CalcSize(CDC* pDC, int length, DWORD mode, const RECT& border, int minimum = 0);
    static SIZE CalcRowSizes(std::vector<TKP_LAYOUT_RECORD>& records, SIZE spacing, BOOL vertical);
    static int WrapRows(std::vector<TKP_LAYOUT_RECORD>& records, int length, DWORD& mode);
    static SIZE CalcDynamicSize(std::vector<TKP_LAYOUT_RECORD>& records, int length, DWORD mode, SIZE spacing);
    static void AdjustRows(std::vector<TKP_LAYOUT_RECORD>& records, const std::vector<DWORD>& flags,
                           const RECT& bounds, DWORD mode);

private:
    void Renumber();
    void Detach(CTKPControl* control);

    std::vector<CTKPControl*> m_controls;
    CTKPCommandBar* m_pParent = nullptr;
    CTKPCommandBars* m_pCommandBars = nullptr;
    CTKPControls* m_pOriginalControls = nullptr;
};

// The window of a tool bar, the menu bar or a popup bar.
class CTKPCommandBar : public CWnd, public CTKPWndHookChain, public CTKPAccessibleSupport, public CTKPBarView {
    DECLARE_SERIAL(CTKPCommandBar)
public:
    CTKPCommandBar();
    ~CTKPCommandBar() override;

    // ---- Virtual operations ----
    virtual void DelayRedraw() { m_dwFlags |= 2; }
    virtual BOOL SetTrackingMode(int mode, BOOL selectFirst = TRUE, BOOL fromKeyboard = FALSE);
    virtual BOOL SetSelected(int index, BOOL keyboard = FALSE);
    virtual BOOL LoadToolBar(UINT id, BOOL loadIcons = TRUE);
    virtual BOOL IsVisible() const { return FALSE; }
    // Customize drag and drop onto the bar; points in client co-ordinates.
    virtual int OnCustomizeDragEnter(CTKPControl* dragged, POINT pt);
    virtual void OnCustomizeDragLeave();
    virtual int OnCustomizeDragOver(CTKPControl* dragged, POINT pt);
    virtual void OnCustomizeDrop(CTKPControl* dropped, int& effect, POINT pt, POINT start);
    virtual BOOL IsCustomizable() const { return m_bCustomizable; }
    virtual void OnRecalcLayout() {}
    virtual void OnControlSelected(BOOL selected, CTKPControl* control);
    virtual CTKPCommandBar* GetParentBar() const { return nullptr; }
    virtual BOOL IsKeyboardCuesVisible() const override;
    virtual int OnHookKeyDown(UINT vk, LPARAM lParam);
    virtual CSize CalcLayout(int length, DWORD mode);
    virtual BOOL ProcessSpecialKey(int code);
    virtual void DrawCommandBar(CDC* pDC, const RECT& rcClip);
    virtual void OnControlsChanged();
    virtual void Copy(CTKPCommandBar* source, BOOL recursive = FALSE);
    virtual BOOL IsPointInBar(int x, int y) const;
    virtual void OnUpdateCmdUI(CWnd* pTarget, BOOL disableIfNoHandler);
    // Whether the bar is a dialog bar (its themes draw the dialog-bar gripper).
    virtual BOOL IsDialogBar() const override { return FALSE; }
    // Saved customisation: the bar's keys and controls; the collection of the bars a save needs
    // (popup bars get ids from the counter); linking loaded popup controls to their bars.
    virtual void DoPropExchange(CTKPPropExchange* px);
    virtual void CollectForSave(UINT& nextPopupId, std::vector<CTKPCommandBar*>& list,
                                CTKPPropExchangeContext* context);
    // FALSE when a saved id names a bar of the wrong kind or one already on the path.
    virtual BOOL RelinkPopups(const std::vector<CTKPCommandBar*>& list, std::vector<CTKPCommandBar*>& path);

    // ---- Other operations ----
    CTKPControl* GetControl(int index) const;
    CTKPControls* GetControls() const { return m_pControls; }
    int GetControlCount() const override;
    CTKPCommandBars* GetCommandBars() const;
    void SetCommandBars(CTKPCommandBars* bars);
    CTKPCommandBar* GetRootParent() const;
    CWnd* GetSite() const;
    CWnd* GetOwnerWindow() const;
    CTKPPaintManager* GetPaintManager() const;
    void SetPaintManager(CTKPPaintManager* manager);
    CTKPImageManager* GetImageManager() const;
    void SetImageManager(CTKPImageManager* manager);
    BOOL SetPopuped(int index, BOOL keyboard = FALSE);
    // The control whose mnemonic (else first letter) is the key, from after the selection.
    int FindAccel(UINT vk, BOOL& several) const;
    // Where a dragged control would drop: the marker, the index (-1 none) and whether after it.
    void FindDropIndex(CTKPControl* dragged, POINT pt, RECT& marker, int& index, BOOL& after);
    BOOL IsCustomizeMode() const;
    BOOL IsLayoutRTL() const override;
    void CancelTracking() { SetTrackingMode(0, TRUE, FALSE); }
    int GetTrackingMode() const { return m_nTrackingMode; }
    BOOL IsHelpMode() const;
    // The index of a selectable control under a client point, or -1.
    int HitTestIndex(POINT pt) const;
    void InvalidateParents();
    void UpdateDocTemplateControls();
    // The press loop of a button: TRUE when released over the control (execute).
    BOOL TrackPress(CTKPControl* control, const RECT& rcPress);
    // Fills the bar from a menu, emptying it first when asked; FALSE without a menu.
    BOOL LoadMenu(CMenu* menu, BOOL removeFirst = TRUE);
    void SetTitle(LPCWSTR title) { m_strTitle = title; }
    CString GetTitle() const override { return m_strTitle; }
    void SetMRUWidth(int width) { m_nMRUWidth = width; }
    void SetShowTextBelowIcons(int mode);
    void SetIconSize(SIZE size) { m_szIcons = size; }
    void SetButtonSize(SIZE size) { m_szButtons = size; }
    void SetPosition(int position) { m_barPosition = position; }
    UINT GetBarID() const { return m_nBarID; }
    void SetBarID(UINT id) { m_nBarID = id; }
    CTKPTipContext* GetTipContext() const { return m_pTipContext; }

    // ---- What the paint managers read ----
    int GetType() const override { return m_barType; }
    int GetPosition() const override { return m_barPosition; }
    HWND GetSafeHwnd() const override { return m_hWnd; }
    using CWnd::GetClientRect;
    RECT GetClientRect() const override;
    DWORD GetDockingFlags() const override { return m_dwDockingFlags; }
    CTKPControlView* GetControlView(int index) const override;
    SIZE GetIconSize() const override;
    // The icon size plus 7 when the bar has no button size of its own.
    SIZE GetButtonSize() const override;
    int GetShowTextBelowIcons() const override;
    RECT GetWindowScreenRect() const override;

    // The keyboard tracker hands keys to the bar while it tracks.
    int OnHookMessage(HWND hWnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
    CCmdTarget* GetAccessibleTarget() override { return this; }
    void OnFinalRelease() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // The tip of the control under a client point: its command id, or -1 for none.
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;

    // Accessibility: the bar and its controls as children.
    HRESULT GetAccessibleChildCount(long* pcountChildren) override;
    HRESULT GetAccessibleName(VARIANT varChild, BSTR* pszName) override;
    HRESULT GetAccessibleRole(VARIANT varChild, VARIANT* pvarRole) override;
    HRESULT GetAccessibleState(VARIANT varChild, VARIANT* pvarState) override;
    HRESULT AccessibleLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild) override;
    HRESULT AccessibleHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;

    int m_nMRUWidth = 32767;
    int m_nSelected = -1;
    int m_nExpanded = -1;
    UINT m_nBarID = 0;
    BOOL m_bVisible = TRUE;
    int m_nTrackingMode = 0;
    CWnd* m_pPopupOwner = nullptr;
    DWORD m_dwFlags = 0;
    DWORD m_dwStyle = 0;
    CString m_strTitle;
    int m_barType = TKP_BARTYPE_TOOLBAR;
    int m_barPosition = 7;
    DWORD m_dwDockingFlags = 0;
    CWnd* m_pCommandOwner = nullptr;
    SIZE m_szIcons{0, 0};
    SIZE m_szButtons{0, 0};
    int m_nTextBelowIcons = 2;
    BOOL m_bRightButtonTracking = FALSE;
    BOOL m_bNoNotify = FALSE;
    BOOL m_bKeyboardEntry = FALSE;
    int m_nModalLock = 0;
    BOOL m_bKeyboardSelection = FALSE;
    BOOL m_bCloseable = FALSE;
    BOOL m_bCustomizable = TRUE;
    UINT* m_pReturnCmd = nullptr;
    BOOL m_bContextMenuPresent = TRUE;
    // A popup bar's entries keep a second icon column.
    BOOL m_bDoubleIconColumn = FALSE;
    // The rebar lays the bar out in one row, hiding what does not fit (mode bit 0x80).
    BOOL m_bRebarSingleRow = FALSE;

    int m_nRedrawLock = 0;
    BOOL m_bMouseEntry = FALSE;
    HWND m_hWndCaret = nullptr;
    BOOL m_bHideCaretWhileTracking = TRUE;
    int m_nLastStatusId = -1;
    RECT m_rcMarker{0, 0, 0, 0};
    BOOL m_bMarkerVertical = FALSE;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnDestroy();
    afx_msg void OnMouseMove(UINT flags, CPoint pt);
    afx_msg LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnNcMouseMove(WPARAM wParam, LPARAM lParam);
    afx_msg void OnLButtonDown(UINT flags, CPoint pt);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint pt);
    afx_msg void OnLButtonUp(UINT flags, CPoint pt);
    afx_msg void OnRButtonUp(UINT flags, CPoint pt);
    afx_msg void OnRButtonDown(UINT flags, CPoint pt);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnPaint();
    afx_msg LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnHelpHitTest(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnNcHitTestMsg(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnNcLButtonDownMsg(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnInitialUpdate(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

protected:
    BOOL MoveToRow(int direction);
    void LockRedraw() { ++m_nRedrawLock; }
    void UnlockRedraw();

    CTKPControls* m_pControls;
    CTKPCommandBars* m_pCommandBars = nullptr;
    CTKPPaintManager* m_pPaintManager = nullptr;
    CTKPImageManager* m_pImageManager = nullptr;
    CTKPTipContext* m_pTipContext = nullptr;
};
