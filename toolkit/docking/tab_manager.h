// The window-less tab strip: its tabs, selection, hot tab, scrolling, navigation buttons and rows,
// with the mouse and keyboard logic that every row of tabs in the toolkit shares.
#pragma once

#include "afx/cmd_target.h"
#include "afx/geometry.h"
#include "afx/string.h"
#include "toolkit/base/system_probes.h"

#include <vector>

class CDC;
class CTKPTabStrip;
class CTKPTabPainter;
struct tagTOOLINFOW;

// Tab positions along the host: 0 and 2 lay the tabs out horizontally, 1 and 3 vertically.
#define TKP_TABPOS_TOP 0
#define TKP_TABPOS_LEFT 1
#define TKP_TABPOS_BOTTOM 2
#define TKP_TABPOS_RIGHT 3

// A tab colour from TKP_TAB_COLOR_ID to TKP_TAB_COLOR_ID + 7 names an entry of the eight tab
// colours; any other value is a COLORREF.
#define TKP_TAB_COLOR_ID 0x1000000
COLORREF TabColorFromId(COLORREF color);

inline BOOL IsHorizontalTabPosition(int position) { return position == TKP_TABPOS_TOP || position == TKP_TABPOS_BOTTOM; }

// One tab. Created with one reference; the strip that holds it releases that reference when the
// tab leaves it.
class CTKPTabManagerItem : public CCmdTarget {
public:
    CTKPTabManagerItem();

    // Changing the text repositions the strip; the same text again changes nothing.
    void SetCaption(LPCWSTR caption);
    CString GetCaption() const;
    void SetColor(COLORREF color);
    COLORREF GetColor() const;
    // Deletes the tab from its strip.
    void Remove();

    int GetIndex() const { return m_nIndex; }
    const CRect& GetRect() const { return m_rcItem; }
    CTKPTabStrip* GetStrip() const { return m_pStrip; }
    BOOL IsSelected() const;
    BOOL IsHot() const;

    int m_nWidth = 0;
    int m_nFullWidth = 0;
    int m_nImage = -1;
    int m_nIndex = -1;
    BOOL m_bEnabled = TRUE;
    BOOL m_bVisible = TRUE;
    DWORD_PTR m_dwData = 0;      // the host's value (a window, a pane)
    DWORD_PTR m_dwItemData = 0;  // returned by the strip's GetItemData
    DWORD_PTR m_dwSpare = 0;
    CRect m_rcItem;
    CString m_strCaption;
    CString m_strToolTip;
    COLORREF m_clrItem = 0;
    CTKPTabStrip* m_pStrip = nullptr;
    int m_nRow = 0;
    BOOL m_bClosable = TRUE;
};

// Button ids of the navigation buttons, and their show modes.
#define TKP_TABNAV_BACK 0
#define TKP_TABNAV_FORWARD 1
#define TKP_TABNAV_CLOSE 2
#define TKP_TABNAV_SHOW_NEVER 0
#define TKP_TABNAV_SHOW_AUTO 1
#define TKP_TABNAV_SHOW_ALWAYS 2

// A scroll or close button in the strip's header.
class CTKPTabScrollButton {
public:
    CTKPTabScrollButton(CTKPTabStrip* strip, int id, int showMode);
    virtual ~CTKPTabScrollButton() = default;
    CTKPTabScrollButton(const CTKPTabScrollButton&) = delete;
    CTKPTabScrollButton& operator=(const CTKPTabScrollButton&) = delete;

    // Takes the room the button needs off a length available to the tabs.
    virtual void ReserveSpace(int& length);
    // Holds the button pressed until the mouse is released, repeating clicks while it is held.
    virtual void Press(HWND hwnd, CPoint point);
    // Places the button at the far end of the header area, which it shrinks, or hides it.
    virtual void Place(CRect& area);
    virtual void DrawGlyph(CDC* pDC);
    virtual void Click(BOOL repeat);

    // Hot state for the mouse at point.
    void UpdateHover(HWND hwnd, CPoint point);
    BOOL IsShown() const;

    int m_nId;
    int m_nShowMode;
    int m_nWidth = 14;
    int m_nHeight = 15;
    CTKPTabStrip* m_pStrip;
    CRect m_rcButton;
    BOOL m_bEnabled = TRUE;
    BOOL m_bPressed = FALSE;
    BOOL m_bHot = FALSE;
};

// Whatever the painter repositions when its look changes.
class CTKPTabRepositionSink {
public:
    virtual void RequestReposition() = 0;

protected:
    virtual ~CTKPTabRepositionSink() = default;
};

// The rows of the last layout: {first tab index, last tab index} each.
struct CTKPTabRow {
    int nFirst;
    int nLast;
};

class CTKPTabRows {
public:
    int GetCount() const { return int(m_rows.size()); }
    CTKPTabRow& operator[](int i) { return m_rows[size_t(i)]; }
    const CTKPTabRow& operator[](int i) const { return m_rows[size_t(i)]; }
    // n rows (at least one), row 0 spanning all tabs.
    void Reset(int rows, int tabCount);

private:
    std::vector<CTKPTabRow> m_rows{{0, -1}};
};

// The tab manager base. A host derives from it, supplies the window, the painter and the redraw,
// and calls the mouse and keyboard entry points from its window procedure.
class CTKPTabStrip : public CTKPTabRepositionSink {
public:
    CTKPTabStrip();
    ~CTKPTabStrip() override;
    CTKPTabStrip(const CTKPTabStrip&) = delete;
    CTKPTabStrip& operator=(const CTKPTabStrip&) = delete;

    void RequestReposition() override { Reposition(); }

    virtual void Reposition() = 0;
    virtual CString GetItemCaption(const CTKPTabManagerItem* item) const;
    virtual DWORD_PTR GetItemData(const CTKPTabManagerItem* item) const;
    virtual COLORREF GetItemColor(const CTKPTabManagerItem* item) const;
    virtual CString GetItemTooltip(const CTKPTabManagerItem* item) const;
    virtual void OnItemsChanged();
    virtual void SetFocusedItem(CTKPTabManagerItem* item);
    virtual void SelectItem(CTKPTabManagerItem* item);
    virtual void GetItemMetrics(CSize* size, CSize* minSize, CSize* maxSize) const;
    virtual CTKPTabPainter* GetPaintManager() const = 0;
    virtual void OnStripNotify(int /*code*/) {}
    virtual void RedrawControl() = 0;
    virtual BOOL IsAllowReorder() const { return m_bAllowReorder; }
    virtual void SetAllowReorder(BOOL allow) { m_bAllowReorder = allow; }
    virtual BOOL IsFrameShown() const;
    // Draws the tab's icon at point or, without draw, reports the size it needs in size; FALSE
    // when the tab has no icon.
    virtual BOOL DrawItemIcon(CDC* pDC, CPoint point, CTKPTabManagerItem* item, BOOL draw, CSize& size) = 0;
    virtual int GetPosition() const;
    virtual void OnScroll(int direction);
    virtual BOOL IsNavigateButtonAllowed(const CTKPTabScrollButton* button) const;
    virtual void SetSelectedItem(CTKPTabManagerItem* item) { SetFocusedItem(item); }
    virtual void ReorderItem(HWND hwnd, int x, int y, CTKPTabManagerItem* item);
    virtual void OnNavigateButtonClick(int /*buttonId*/) {}
    virtual BOOL IsDragging() const { return FALSE; }
    virtual BOOL PerformKeyDown(HWND hwnd, UINT key);
    virtual BOOL IsFocused() const { return FALSE; }

    // A null item makes a new tab. An index outside 0..count appends.
    CTKPTabManagerItem* InsertItem(int index, CTKPTabManagerItem* item = nullptr);
    BOOL DeleteItem(int index);
    void DeleteAllItems();
    void SetCurSel(int index);
    // From index, stepping by step, the first visible and enabled tab; null past either end.
    CTKPTabManagerItem* FindItem(int index, int step) const;
    CTKPTabManagerItem* HitTest(int x, int y) const;
    int GetItemsLength() const;
    void SetScrollOffset(int offset);
    void EnsureVisible(CTKPTabManagerItem* item);
    BOOL OnLButtonDown(HWND hwnd, int x, int y, BOOL buttonsOnly = FALSE);
    void OnMouseMove(HWND hwnd, int x, int y);
    INT_PTR OnToolHitTest(HWND hwnd, CPoint point, tagTOOLINFOW* pTI) const;
    CTKPTabRows& GetRows() { return m_rows; }
    const CTKPTabRows& GetRows() const { return m_rows; }

    int GetItemCount() const { return int(m_items.size()); }
    CTKPTabManagerItem* GetItem(int index) const
    {
        return index >= 0 && index < GetItemCount() ? m_items[size_t(index)] : nullptr;
    }
    CTKPTabManagerItem* GetSelectedItem() const { return m_pSelected; }
    CTKPTabManagerItem* GetHotItem() const { return m_pHot; }
    int GetCurSel() const { return m_pSelected ? m_pSelected->m_nIndex : -1; }
    int GetScrollOffset() const { return m_nScrollOffset; }
    CTKPTabScrollButton* GetNavigateButton(int id) const
    {
        return id >= 0 && id < int(m_buttons.size()) ? m_buttons[size_t(id)] : nullptr;
    }
    int GetNavigateButtonCount() const { return int(m_buttons.size()); }
    // Updates the hot state of every navigation button for the mouse at point.
    void UpdateButtonsHover(HWND hwnd, CPoint point);

    CTKPTabManagerItem* m_pSelected = nullptr;
    CTKPTabManagerItem* m_pHot = nullptr;
    int m_nScrollOffset = 0;
    BOOL m_bAllowReorder = TRUE;
    BOOL m_bActive = TRUE;
    CSize m_szTab{70, 18};
    CSize m_szTabMin{0, 0};
    CSize m_szTabMax{0, 0};
    CRect m_rcHeader;
    CRect m_rcControl;
    CRect m_rcClient;
    std::vector<CTKPTabManagerItem*> m_items;
    std::vector<CTKPTabScrollButton*> m_buttons;
    CTKPThemeHandle m_themeTabs;
    CTKPTabRows m_rows;
    int m_nScrollStep = 20;
    // The painter whose list of strips holds this one.
    CTKPTabPainter* m_pListedIn = nullptr;

private:
    void TrackHotLeave(HWND hwnd);
};
