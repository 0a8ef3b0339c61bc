// A task-panel group (caption band and the client area holding its items) and a group item (link,
// text or hosted control window): their layout, animation, item scrolling and saved properties.
#pragma once

#include "afx/gdi.h"
#include "toolkit/taskpanel/task_panel_item.h"

class CTKPTaskPanelGroupItem;

class CTKPTaskPanelGroup : public CTKPTaskPanelItem {
    DECLARE_SERIAL(CTKPTaskPanelGroup)
    friend class CTKPTaskPanel;
public:
    CTKPTaskPanelGroup();
    ~CTKPTaskPanelGroup() override;

    BOOL IsAcceptFocus() const override;
    CTKPTaskPanelGroup* GetItemGroup() const override;
    CRect GetHitTestRect() const override;
    void DoPropExchange(CTKPPropExchange* px) override;
    void SetTaskPanel(CTKPTaskPanel* panel) override;
    // The picture's single image with its top-left corner at the rectangle's bottom-right less the offset.
    virtual void DrawGroupImage(CDC* pDC, const RECT& rc);

    // Expansion is the panel's to decide (only the active group is open in the one-open-group behaviours).
    void SetExpanded(BOOL expanded);
    BOOL IsExpanded() const;
    BOOL IsExpansionPending() const { return m_bExpanding; }

    CTKPTaskPanelGroupItems* GetItems() const { return m_pItems; }
    CTKPTaskPanelGroupItem* GetItemAt(int index) const;
    int GetItemCount() const;
    CTKPTaskPanelGroupItem* GetNextVisibleItem(int index, int step) const;

    const CRect& GetTargetRect() const { return m_rcTarget; }
    const CRect& GetCurrentRect() const { return m_rcCurrent; }
    CRect GetCaptionRect(BOOL target = FALSE) const;
    CRect GetClientRect(BOOL target = FALSE) const;
    int GetCaptionHeight() const { return m_nCaptionHeight; }
    // The height of the items area with the inner margins, as layout measured it.
    int GetClientHeight() const { return m_nClientHeight; }
    int GetItemsInRow() const { return m_nItemsInRow; }
    // The group's icon size, else the panel's small icon size.
    CSize GetIconSize() const;
    void SetIconSize(CSize size);
    // The group's layout, else the panel's effective one.
    int GetEffectiveLayout() const;

    // Only when expanded: the first visible item whose rectangle holds the point (content coordinates:
    // the panel's client coordinates with the scroll position added).
    CTKPTaskPanelGroupItem* HitTestItem(CPoint pt, CRect* itemRect = nullptr) const;

    // ---- Item scrolling (one-open-group behaviours)
    BOOL CanScroll(BOOL up) const;
    void Scroll(int step);
    void SetFirstVisibleIndex(int index, BOOL update = TRUE);
    int GetStoredFirstVisibleIndex() const { return m_nFirstVisible; }
    int GetFirstVisibleIndex() const;
    BOOL IsItemVisible(const CTKPTaskPanelGroupItem* item, BOOL partial) const;
    void EnsureItemVisible(CTKPTaskPanelGroupItem* item, BOOL update = TRUE);
    int GetItemScrollOffset() const;
    void SetSelectedItem(CTKPTaskPanelGroupItem* item);

    // ---- Layout and animation, driven by the panel
    int OnCalcClientHeight(CDC* pDC, const RECT& rc);
    void OnReposition(const RECT& rc, BOOL animate);
    // Moves toward the target; with step < 1 snaps. Answers whether the current rectangle changed.
    BOOL OnAnimate(int step);
    BOOL IsMoving() const { return m_rcCurrent != m_rcTarget; }
    // Every item places or snapshots its hosted window.
    void PositionControlWindows();

    BOOL IsSpecial() const { return m_bSpecial; }
    void SetSpecial(BOOL special);
    BOOL IsExpandable() const { return m_bExpandable; }
    void SetExpandable(BOOL expandable);
    BOOL IsCaptionVisible() const { return m_bCaptionVisible; }
    void SetCaptionVisible(BOOL visible);
    int GetLayout() const { return m_nLayout; }
    void SetLayout(int layout);
    const RECT& GetMarginsOuter() const { return m_rcMarginsOuter; }
    const RECT& GetMarginsInner() const { return m_rcMarginsInner; }
    void SetMarginsOuter(const RECT& rc);
    void SetMarginsInner(const RECT& rc);
    CImageList& GetPicture() { return m_ilPicture; }
    void SetPictureOffset(CSize offset) { m_szPictureOffset = offset; }
    CSize GetPictureOffset() const { return m_szPictureOffset; }

protected:
    long GetAccessibleStateBits() const override;
    HRESULT GetAccessibleDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override;
    HRESULT AccessibleDoDefaultAction(VARIANT varChild) override;

private:
    // The bottom of the item's rectangle; the rectangles are in item coordinates.
    int CalcLeftOverHeight() const;
    void ShareAutoHeight(int surplus);
    void FitFirstVisibleIndex();

    CRect m_rcTarget{0, 0, 0, 0};
    CRect m_rcCurrent{0, 0, 0, 0};
    RECT m_rcMarginsOuter;
    RECT m_rcMarginsInner;
    int m_nCaptionHeight = 0;
    BOOL m_bSpecial = FALSE;
    BOOL m_bExpandable = TRUE;
    BOOL m_bExpanded = TRUE;
    BOOL m_bExpanding = FALSE;
    int m_nClientHeight = 0;
    BOOL m_bCaptionVisible = TRUE;
    CImageList m_ilPicture;
    CSize m_szPictureOffset{0, 0};
    int m_nFirstVisible = 0;
    int m_nItemsInRow = 1;
    CSize m_szIcon{0, 0};
    CTKPTaskPanelGroupItems* m_pItems;
    int m_nLayout = 0;
};

class CTKPTaskPanelGroupItem : public CTKPTaskPanelItem {
    DECLARE_SERIAL(CTKPTaskPanelGroupItem)
    friend class CTKPTaskPanelGroup;
public:
    CTKPTaskPanelGroupItem();
    ~CTKPTaskPanelGroupItem() override;

    CTKPTaskPanelGroup* GetItemGroup() const override;
    CRect GetHitTestRect() const override;
    void DoPropExchange(CTKPPropExchange* px) override;
    // Lays the item out in the offered rectangle (item coordinates); answers its rectangle.
    virtual CRect OnCalcItemRect(CDC* pDC, const RECT& rc);
    virtual void DrawItem(CDC* pDC, const RECT& rc);
    virtual CString GetDragText() const { return m_strDragText; }

    // With the panel's focus-is-selection flag selecting focuses instead.
    void SetSelected(BOOL selected);
    BOOL IsSelected() const;
    BOOL GetSelectedFlag() const { return m_bSelected; }
    const CRect& GetItemRect() const { return m_rcItem; }
    void SetItemRect(const RECT& rc) { m_rcItem = rc; }
    BOOL IsBold() const { return m_bBold; }
    void SetBold(BOOL bold);
    const RECT& GetMargins() const { return m_rcMargins; }
    void SetMargins(const RECT& rc);
    CSize GetSize() const { return m_szItem; }
    void SetSize(CSize size);
    BOOL IsAutoHeight() const { return m_bAutoHeight; }
    void SetAutoHeight(BOOL autoHeight) { m_bAutoHeight = autoHeight; }
    void SetDragText(LPCWSTR text) { m_strDragText = text; }
    // A control item: the window is given by the code that builds the item, never created here.
    void SetControlHandle(HWND hwnd);
    HWND GetControlHandle() const { return m_hWndControl; }
    // Places the hosted window over the item, or hides it behind a snapshot while the group moves.
    void PositionControlWindow();
    HBITMAP GetSnapshot() const { return HBITMAP(m_bmpSnapshot.m_hObject); }

protected:
    long GetAccessibleStateBits() const override;
    HRESULT GetAccessibleDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override;
    HRESULT AccessibleDoDefaultAction(VARIANT varChild) override;
    HRESULT AccessibleSelect(long flagsSelect, VARIANT varChild) override;

private:
    void SnapshotControlWindow(HWND hwnd);

    RECT m_rcMargins;
    CRect m_rcItem{0, 0, 0, 0};
    BOOL m_bBold = FALSE;
    BOOL m_bSelected = FALSE;
    HWND m_hWndControl = nullptr;
    CSize m_szItem{0, 0};
    CBitmap m_bmpSnapshot;
    CSize m_szSnapshot{0, 0};
    CString m_strDragText;
    BOOL m_bAutoHeight = FALSE;
};
