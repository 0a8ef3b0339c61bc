// The task panel's item base, its ordered collections (the panel's groups, a group's items), the
// drag-and-drop data of an item and the accessibility answers of items.
#pragma once

#include "afx/cmd_target.h"
#include "afx/data_object.h"
#include "afx/geometry.h"
#include "afx/string.h"
#include "toolkit/base/accessible.h"

#include <vector>

class CDC;
class CTKPImageIcon;
class CTKPPropExchange;
class CTKPTaskPanel;
class CTKPTaskPanelGroup;
class CTKPTaskPanelItems;

// Item types, also the value saved under the type key.
#define TKP_TASKITEM_GROUP 0
#define TKP_TASKITEM_LINK 1
#define TKP_TASKITEM_TEXT 2
#define TKP_TASKITEM_CONTROL 3

// Drag permission bits of an item (GetAllowDrag).
#define TKP_DRAG_INHERIT 0x01
#define TKP_DRAG_COPY_GROUP 0x02
#define TKP_DRAG_COPY_PANEL 0x04
#define TKP_DRAG_COPY_OUT 0x08
#define TKP_DRAG_MOVE_GROUP 0x20
#define TKP_DRAG_MOVE_PANEL 0x40
#define TKP_DRAG_MOVE_OUT 0x80

// A margin side holding this value takes the theme's margin of that side.
#define TKP_DEFAULT_MARGIN LONG(0x80000000)
extern const RECT DefaultMarginsRect;

// The most items or groups a saved collection or dragged data may bring in; a larger stored count is
// damaged data, not a panel anyone built.
#define TKP_MAX_TASKPANEL_ITEMS 100000

class CTKPTaskPanelItem : public CCmdTarget, public CTKPAccessibleSupport {
    DECLARE_DYNCREATE(CTKPTaskPanelItem)
public:
    CTKPTaskPanelItem();
    ~CTKPTaskPanelItem() override;

    // Types 0 and 1 that are enabled and visible take the focus.
    virtual BOOL IsAcceptFocus() const;
    // A group answers itself, a group item its group, a bare item itself (as a group when it is one).
    virtual CTKPTaskPanelGroup* GetItemGroup() const;
    // Client coordinates of the panel; empty when the item is not visible.
    virtual CRect GetHitTestRect() const;
    virtual void DoPropExchange(CTKPPropExchange* px);

    CTKPTaskPanel* GetTaskPanel() const { return m_pPanel; }
    virtual void SetTaskPanel(CTKPTaskPanel* panel) { m_pPanel = panel; }
    CTKPTaskPanelItems* GetParentItems() const { return m_pItems; }
    void SetParentItems(CTKPTaskPanelItems* items) { m_pItems = items; }

    const CString& GetCaption() const { return m_strCaption; }
    // Re-lays the panel out when the text changes.
    void SetCaption(LPCWSTR caption);
    const CString& GetTooltip() const { return m_strTooltip; }
    void SetTooltip(LPCWSTR tooltip) { m_strTooltip = tooltip; }
    int GetID() const { return m_nID; }
    void SetID(int id) { m_nID = id; }
    int GetType() const { return m_nType; }
    void SetType(int type);
    int GetIconIndex() const { return m_nIconIndex; }
    void SetIconIndex(int index);
    BOOL GetEnabled() const { return m_bEnabled; }
    void SetEnabled(BOOL enabled);
    BOOL IsVisible() const { return m_bVisible; }
    void SetVisible(BOOL visible);
    // The item's own bits (1 = inherit); GetAllowDrag resolves them.
    void SetAllowDrag(int bits) { m_nAllowDrag = bits; }
    int GetOwnAllowDrag() const { return m_nAllowDrag; }
    void SetAllowDrop(BOOL allow) { m_bAllowDrop = allow; }
    const RECT& GetIconPadding() const { return m_rcIconPadding; }
    void SetIconPadding(const RECT& padding);

    // The image of IconIndex at that width from the panel's image manager; null when none.
    CTKPImageIcon* GetImage(int width) const;
    BOOL IsItemHot() const;
    BOOL IsItemFocused() const;
    BOOL IsItemPressed() const;
    BOOL IsItemDragging() const;
    BOOL IsItemDropTarget() const;
    void RedrawPanel();
    void RepositionPanel();
    void Remove();
    int GetIndex() const;
    int GetAllowDrag() const;
    BOOL IsAllowDrop() const;
    // Measures the caption (a blank when empty) with the flags plus DT_CALCRECT; DT_VCENTER centres the
    // measured height in the rectangle. The result and the flags are remembered.
    CRect CalcCaptionTextRect(CDC* pDC, const RECT& rc, UINT format);
    const RECT& GetTextRect() const { return m_rcText; }
    UINT GetTextFormat() const { return m_nTextFormat; }

    // ---- Drag-and-drop data ("TaskPanelGroupItem")
    static CLIPFORMAT GetClipboardFormat();
    // The class record and the properties in a shared global block; null when it cannot be made.
    static HGLOBAL SerializeItemToGlobal(CTKPTaskPanelItem* item);
    static BOOL CacheItemData(CTKPTaskPanelItem* item, COleDataSource* source, BOOL withText);
    // A new item (one reference) from the data; null when the data holds no sound task-panel item.
    static CTKPTaskPanelItem* CreateItemFromData(COleDataObject* data);

    // ---- Accessibility
    CCmdTarget* GetAccessibleTarget() override { return this; }
    HRESULT GetAccessibleName(VARIANT varChild, BSTR* pszName) override;
    HRESULT GetAccessibleDescription(VARIANT varChild, BSTR* pszDescription) override;
    HRESULT GetAccessibleRole(VARIANT varChild, VARIANT* pvarRole) override;
    HRESULT GetAccessibleState(VARIANT varChild, VARIANT* pvarState) override;
    HRESULT AccessibleLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild) override;
    HRESULT AccessibleHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;
    HRESULT AccessibleSelect(long flagsSelect, VARIANT varChild) override;
    LPUNKNOWN GetInterface(const void* iid) override;

protected:
    // The state bits every item reports; subclasses add theirs.
    virtual long GetAccessibleStateBits() const;

    CTKPTaskPanel* m_pPanel = nullptr;
    CString m_strCaption;
    CString m_strTooltip;
    int m_nID = 0;
    int m_nType = TKP_TASKITEM_LINK;
    CTKPTaskPanelItems* m_pItems = nullptr;
    int m_nIconIndex = -1;
    BOOL m_bEnabled = TRUE;
    BOOL m_bAllowDrop = TRUE;
    int m_nAllowDrag = TKP_DRAG_INHERIT;
    RECT m_rcText{0, 0, 0, 0};
    UINT m_nTextFormat = 0;
    BOOL m_bVisible = TRUE;
    RECT m_rcIconPadding;
};

// An ordered collection holding one reference per item.
class CTKPTaskPanelItems : public CCmdTarget {
    DECLARE_DYNAMIC(CTKPTaskPanelItems)
public:
    explicit CTKPTaskPanelItems(CTKPTaskPanel* panel = nullptr);
    ~CTKPTaskPanelItems() override;

    // Takes over the caller's reference; an index at or past the end appends. Returns the item.
    CTKPTaskPanelItem* InsertAt(int index, CTKPTaskPanelItem* item);
    int IndexOf(const CTKPTaskPanelItem* item) const;
    CTKPTaskPanelItem* GetAt(int index) const;
    int GetCount() const { return int(m_items.size()); }
    void Move(CTKPTaskPanelItem* item, int index);
    void Remove(CTKPTaskPanelItem* item);
    void RemoveAt(int index);
    void Clear(BOOL relayout = TRUE);
    // From the index, by step, to the next visible item; -1 when the walk leaves the array.
    int GetNextVisibleIndex(int index, int step) const;
    CTKPTaskPanelItem* GetFirstVisibleItem() const;
    CTKPTaskPanelItem* GetLastVisibleItem() const;

    virtual CRuntimeClass* GetItemRuntimeClass() const;
    // The items as "Item" sections: the class, then the item's own properties.
    void DoPropExchange(CTKPPropExchange* px);

    CTKPTaskPanel* GetTaskPanel() const { return m_pPanel; }
    void SetTaskPanel(CTKPTaskPanel* panel);

protected:
    void Relayout();
    // Hands back the collection's reference of an item that leaves it.
    void ReleaseItem(CTKPTaskPanelItem* item);

    CTKPTaskPanel* m_pPanel;
    std::vector<CTKPTaskPanelItem*> m_items;
};

// The panel's groups.
class CTKPTaskPanelGroups : public CTKPTaskPanelItems {
    DECLARE_DYNAMIC(CTKPTaskPanelGroups)
public:
    explicit CTKPTaskPanelGroups(CTKPTaskPanel* panel) : CTKPTaskPanelItems(panel) {}
    CRuntimeClass* GetItemRuntimeClass() const override;
};

// A group's items.
class CTKPTaskPanelGroupItems : public CTKPTaskPanelItems {
    DECLARE_DYNAMIC(CTKPTaskPanelGroupItems)
public:
    explicit CTKPTaskPanelGroupItems(CTKPTaskPanelGroup* group);
    CRuntimeClass* GetItemRuntimeClass() const override;
    CTKPTaskPanelGroup* GetGroup() const { return m_pGroup; }

private:
    CTKPTaskPanelGroup* m_pGroup;
};
