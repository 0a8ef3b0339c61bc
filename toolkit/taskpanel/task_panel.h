// CTKPTaskPanel: the explorer-bar style panel window. It stacks its groups, animates their expanding
// and collapsing, moves the focus among groups and links, tracks the hot item, drags items through OLE,
// scrolls, answers accessibility clients and reports to its owner with message 10220.
#pragma once

#include "afx/data_object.h"
#include "afx/std_controls.h"
#include "afx/wnd.h"
#include "toolkit/base/accessible.h"
#include "toolkit/taskpanel/task_panel_group.h"

class CTKPImageManager;
class CTKPTaskPanelThemePainter;
class CTKPTipContext;

// The message to the owner: wParam a notification code, lParam the item or a record.
#define TKP_WM_TASKPANEL_NOTIFY 10220
#define TKP_TPN_CLICK 1
#define TKP_TPN_RCLICK 2
#define TKP_TPN_STARTDRAG 3
#define TKP_TPN_ENDLABELEDIT 4
#define TKP_TPN_ITEMDROP 5
#define TKP_TPN_GROUPEXPANDING 6
#define TKP_TPN_GROUPEXPANDED 7
#define TKP_TPN_DBLCLICK 8
#define TKP_TPN_FOCUSEDITEMCHANGED 9

// Timers.
#define TKP_TPTIMER_ANIMATION 200
#define TKP_TPTIMER_SCROLLBUTTON 202
#define TKP_TPTIMER_DRAGHOVER 203

// Behaviours: independent groups, or one open group (item layouts 3 and 2 by default).
#define TKP_TPBEHAVIOUR_EXPLORER 0
#define TKP_TPBEHAVIOUR_LIST 1
#define TKP_TPBEHAVIOUR_TOOLBOX 2

// Item layouts and hot-track styles (0 = by behaviour).
#define TKP_TPLAYOUT_GRID 1
#define TKP_TPLAYOUT_TEXT_BESIDE 2
#define TKP_TPLAYOUT_TEXT_BELOW 3
#define TKP_TPHOT_TEXT 1
#define TKP_TPHOT_IMAGE 2
#define TKP_TPHOT_ITEM 3
#define TKP_TPHOT_NONE 4

// Animation modes.
#define TKP_TPANIMATION_ON 0
#define TKP_TPANIMATION_OFF 1
#define TKP_TPANIMATION_SYSTEM 2

// The record of notification 6.
struct TaskPanelGroupExpanding {
    CTKPTaskPanelGroup* group;
    BOOL expanded;
};

struct TaskPanelScrollButton {
    explicit TaskPanelScrollButton(BOOL up) : bScrollUp(up) {}
    BOOL IsVisible(const CTKPTaskPanelThemePainter* theme) const;

    BOOL bScrollUp;
    BOOL bEnabled = FALSE;
    BOOL bPressed = FALSE;
    CRect rcButton{0, 0, 0, 0};
    BOOL bHot = FALSE;
    CTKPTaskPanelGroup* pGroupScroll = nullptr;
    CTKPTaskPanelGroup* pGroupCaption = nullptr;
};

class CTKPTaskPanel;

// Forwards the OLE drag events of the panel window to the panel.
class CTKPTaskPanelDropTarget : public COleDropTarget {
public:
    explicit CTKPTaskPanelDropTarget(CTKPTaskPanel* panel) : m_pPanel(panel) {}
    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    void OnDragLeave(CWnd* pWnd) override;
    BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;

private:
    CTKPTaskPanel* m_pPanel;
};

class CTKPTaskPanel : public CWnd, public CTKPAccessibleSupport {
    DECLARE_DYNAMIC(CTKPTaskPanel)
    friend class CTKPTaskPanelGroup;
public:
    CTKPTaskPanel();
    ~CTKPTaskPanel() override;

    // A child window of the panel's class; the drop target is registered when the window is created.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // ---- Overridable operations
    virtual void OnClick(CTKPTaskPanelGroupItem* item);
    virtual void ExpandGroup(CTKPTaskPanelGroup* group, BOOL expand);
    virtual void OnDraw(CDC* pDC, const CRect& rc);
    virtual LRESULT NotifyOwner(WPARAM code, LPARAM lParam);
    virtual void StartDrag(CTKPTaskPanelItem* item);
    virtual void OnStartGroupDrag(CTKPTaskPanelGroup* group);
    virtual void OnEndLabelEdit(CTKPTaskPanelItem* item, LPCWSTR text);
    virtual DROPEFFECT OnDragOver(COleDataObject* data, DWORD keyState, CPoint point);
    virtual BOOL OnDrop(COleDataObject* data, DROPEFFECT effect, CPoint point);
    virtual void OnItemRemoved(CTKPTaskPanelItem* item);
    virtual void UpdateScrollBar();

    // ---- Model and settings
    CTKPTaskPanelGroups* GetGroups() const { return m_pGroups; }
    int GetGroupCount() const;
    CTKPTaskPanelGroup* GetAt(int index) const;
    void SetTheme(int id);
    int GetCurrentTheme() const { return m_nTheme; }
    CTKPTaskPanelThemePainter* GetPaintManager() const { return m_pPaintManager; }
    void SetAnimation(int mode);
    int GetAnimation() const { return m_nAnimation; }
    BOOL IsAnimationOn() const { return m_bAnimation; }
    void SetBehaviour(int behaviour);
    int GetBehaviour() const { return m_nBehaviour; }
    void SetItemLayout(int layout);
    int GetItemLayout() const;
    void SetHotTrackStyle(int style);
    int GetHotTrackStyle() const;
    void SetMargins(const RECT& rc);
    const RECT& GetMargins() const { return m_rcMargins; }
    void SetGroupSpacing(int spacing);
    int GetGroupSpacing() const { return m_nGroupSpacing; }
    void SetIconSize(CSize smallSize, CSize largeSize);
    CSize GetSmallIconSize() const { return m_szSmallIcon; }
    CSize GetLargeIconSize() const { return m_szLargeIcon; }
    void SetMultiColumn(BOOL multiColumn);
    BOOL IsMultiColumn() const { return m_bMultiColumn; }
    void SetColumnWidth(int width);
    int GetColumnWidth() const { return m_nColumnWidth; }
    void SetSelectItemOnFocus(BOOL select) { m_bSelectItemOnFocus = select; }
    BOOL IsSelectItemOnFocus() const { return m_bSelectItemOnFocus; }
    void SetSingleSelection(BOOL single);
    BOOL IsSingleSelection() const { return m_bSingleSelection; }
    void AllowDrop(BOOL allow) { m_bAllowDrop = allow; }
    BOOL IsAllowDrop() const { return m_bAllowDrop; }
    void AllowDrag(int bits) { m_nDefaultDrag = bits; }
    int GetDefaultDrag() const { return m_nDefaultDrag; }
    void SetExpandable(BOOL expandable) { m_bExpandable = expandable; }
    BOOL IsExpandable() const { return m_bExpandable; }
    void SetTakeFocusOnClick(BOOL take) { m_bTakeFocusOnClick = take; }
    BOOL IsTakeFocusOnClick() const { return m_bTakeFocusOnClick; }
    BOOL IsDrawFocusRect() const { return m_bDrawFocusRect; }
    CTKPImageManager* GetImageManager() const;
    void SetImageManager(CTKPImageManager* manager);
    CTKPTipContext* GetToolTipContext() const { return m_pToolTipContext; }

    void LockRedraw(BOOL lock);
    BOOL IsRedrawLocked() const { return m_nLockRedraw > 0; }
    void Reposition(BOOL animate = TRUE);
    int GetTotalHeight() const { return m_nTotalHeight; }
    int GetScrollOffset() const;
    BOOL IsScrollBarShown() const { return m_bScrollVisible; }
    HCURSOR GetHandCursor() const { return m_hHandCursor; }

    // ---- Focus, hot, hit tests
    void SetFocusedItem(CTKPTaskPanelItem* item, BOOL byKeyboard = FALSE);
    CTKPTaskPanelItem* GetFocusedItem() const { return m_pItemFocused; }
    void SetHotItem(CTKPTaskPanelItem* item);
    CTKPTaskPanelItem* GetHotItem() const { return m_pItemHot; }
    CTKPTaskPanelItem* GetPressedItem() const { return m_pItemPressed; }
    CTKPTaskPanelItem* GetDraggingItem() const { return m_pItemDragging; }
    CTKPTaskPanelItem* GetDropTarget() const { return m_pItemDrop; }
    CTKPTaskPanelGroup* GetActiveGroup() const { return m_pActiveGroup; }
    void EnsureVisible(CTKPTaskPanelItem* item);
    // Client coordinates.
    CTKPTaskPanelGroup* HitTestGroup(CPoint pt, BOOL* onCaption = nullptr) const;
    CTKPTaskPanelItem* HitTestItem(CPoint pt, BOOL groupWhenNoItem = FALSE) const;
    CTKPTaskPanelItem* GetNextItem(CTKPTaskPanelItem* from, int direction, BOOL tab, BOOL rowSteps = FALSE) const;
    BOOL IsGroupExpanded(const CTKPTaskPanelGroup* group) const;
    const TaskPanelScrollButton& GetScrollButton(BOOL up) const { return up ? *m_pScrollUp : *m_pScrollDown; }

    // ---- Accessibility
    CCmdTarget* GetAccessibleTarget() override { return this; }
    HRESULT GetAccessibleParent(IDispatch** ppdispParent) override;
    HRESULT GetAccessibleChildCount(long* pcountChildren) override;
    HRESULT GetAccessibleChild(VARIANT varChild, IDispatch** ppdispChild) override;
    HRESULT GetAccessibleName(VARIANT varChild, BSTR* pszName) override;
    HRESULT GetAccessibleRole(VARIANT varChild, VARIANT* pvarRole) override;
    HRESULT GetAccessibleState(VARIANT varChild, VARIANT* pvarState) override;
    HRESULT AccessibleLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild) override;
    HRESULT AccessibleHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;
    // The item of an accessible child id (groups and their items numbered from 1), and back.
    CTKPTaskPanelItem* GetAccessibleItem(long childId) const;
    long GetAccessibleIndex(const CTKPTaskPanelItem* item) const;

    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;

protected:
    // Mouse messages go to the tooltip context first.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnPaint();
    void OnSize();
    void OnTimer(UINT_PTR id);
    void OnMouseMove(UINT flags, CPoint pt);
    void OnLButtonDown(UINT flags, CPoint pt);
    void OnLButtonUp(UINT flags, CPoint pt);
    void OnLButtonDblClk(UINT flags, CPoint pt);
    void OnRButtonDown(UINT flags, CPoint pt);
    void OnKeyDown(UINT key);
    void OnSetFocus(HWND previous);
    void OnVScroll(UINT code);
    void OnMouseWheel(short delta);
    BOOL OnSetCursor();
    void OnMouseLeave();
    void OnPrint(HDC hdc, LPARAM flags);
    void OnSettingsChanged();

    void AnimateGroups();
    void SetScrollPosition(int pos);
    int GetScrollLimit() const;
    void EnsureRectVisible(const CRect& rc);
    void RepositionScrollButtons();
    void UpdateScrollButtons();
    void TrackScrollButton(TaskPanelScrollButton* button);
    TaskPanelScrollButton* HitTestScrollButton(CPoint pt) const;
    // Pumps until a message is waiting (painting what is due); FALSE on a quit request.
    BOOL WaitForMessage();
    void SetRefItem(CTKPTaskPanelItem*& slot, CTKPTaskPanelItem* item);
    void FocusFirstOrLast(BOOL last);
    void ExpandActiveNeighbour(int direction);
    void UpdateAnimationFlag();

    CTKPTaskPanelGroups* m_pGroups;
    CTKPTaskPanelThemePainter* m_pPaintManager = nullptr;
    int m_nTheme = -1;
    int m_nLockRedraw = 0;
    int m_nTotalHeight = 0;
    int m_nClientHeight = 0;
    RECT m_rcMargins;
    int m_nGroupSpacing = TKP_DEFAULT_MARGIN;
    BOOL m_bScrollVisible = FALSE;
    CTKPTaskPanelItem* m_pItemHot = nullptr;
    CTKPTaskPanelItem* m_pItemFocused = nullptr;
    CTKPTaskPanelItem* m_pItemPressed = nullptr;
    CTKPTaskPanelItem* m_pItemDragging = nullptr;
    CTKPTaskPanelItem* m_pItemDrop = nullptr;
    BOOL m_bAnimation = TRUE;
    int m_nAnimation = TKP_TPANIMATION_ON;
    HCURSOR m_hHandCursor = nullptr;
    UINT_PTR m_nAnimationTimer = 0;
    int m_nAnimationStep = 0;
    CTKPImageManager* m_pImageManager = nullptr;
    BOOL m_bExpandable = TRUE;
    BOOL m_bTakeFocusOnClick = TRUE;
    BOOL m_bPreventFocusChange = FALSE;
    BOOL m_bDrawFocusRect = FALSE;
    CSize m_szSmallIcon{16, 16};
    CSize m_szLargeIcon{32, 32};
    BOOL m_bSelectItemOnFocus = FALSE;
    CPoint m_ptPressed{0, 0};
    int m_nDefaultDrag = 0;
    BOOL m_bAllowDrop = TRUE;
    int m_nItemLayout = 0;
    BOOL m_bMultiColumn = FALSE;
    int m_nColumnWidth = 100;
    int m_nHotTrackStyle = 0;
    int m_nBehaviour = TKP_TPBEHAVIOUR_EXPLORER;
    CTKPTaskPanelGroup* m_pActiveGroup = nullptr;
    CTKPTaskPanelDropTarget* m_pDropTarget;
    BOOL m_bDragHoverTimer = FALSE;
    TaskPanelScrollButton* m_pScrollDown;
    TaskPanelScrollButton* m_pScrollUp;
    BOOL m_bSingleSelection = FALSE;
    CTKPTipContext* m_pToolTipContext;
    BOOL m_bInUpdateScrollBar = FALSE;
};

// The label editor a rename places over an item: Enter or Esc ends it, losing the focus ends it too.
class CTKPTaskPanelEditItem : public CEdit {
public:
    CTKPTaskPanelEditItem() = default;
    // Creates the editor over the rectangle of the panel (client coordinates) for the item.
    BOOL Create(CTKPTaskPanelItem* item, const RECT& rc);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override { delete this; }

private:
    BOOL m_bCancel = FALSE;
    CTKPTaskPanelItem* m_pItem = nullptr;
};
