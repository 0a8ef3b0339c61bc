// The list view's state and the routines its source files share (items, geometry, painting, input).
#pragma once

#include "win32/controls/control_util.h"
#include "win32/controls/listview_column_texts.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace controls::lv {

// An item's texts, its own (slot 0) and its sub-items' (slot n for sub-item n), kept in one block so a row
// of a long list costs one allocation: the slot count, each slot's end offset with its flags, the
// sub-items' images when any was set, then the characters. A sub-item exists once a slot at or beyond it
// was set; those in between hold an empty text and image 0.
class RowTexts {
public:
    RowTexts() = default;
    ~RowTexts() { std::free(block_); }
    RowTexts(RowTexts&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    RowTexts& operator=(RowTexts&& other) noexcept
    {
        std::swap(block_, other.block_);
        return *this;
    }
    RowTexts(const RowTexts&) = delete;
    RowTexts& operator=(const RowTexts&) = delete;

    // Slots held: 0 for a row with no text at all, else one more than its highest sub-item.
    int Slots() const { return block_ ? int(block_[0] & 0xFFFF) : 0; }
    std::u16string_view Text(int slot) const;
    bool Callback(int slot) const;
    // A sub-item's own image: 0 unless set.
    int Image(int slot) const;
    // False only when the block cannot be allocated (the row keeps what it had).
    bool SetText(int slot, std::u16string_view text, bool callback);
    bool SetImage(int slot, int image);
    // Takes the slot out (a deleted column's sub-item); later slots move down one place.
    void Erase(int slot);

private:
    struct Parts;
    uint32_t* block_ = nullptr;
};

struct Item {
    RowTexts texts;
    LPARAM lParam = 0;
    UINT state = 0;
    int image = 0;
    int indent = 0;
};

struct Column {
    int fmt = LVCFMT_LEFT;
    int width = 0;
    int subItem = 0;
    int image = 0;
    std::u16string text;
};

struct ListView {
    HWND hwnd = nullptr;
    HWND header = nullptr;
    std::vector<Item> items;
    std::vector<Column> columns;
    DWORD exStyle = 0;
    HIMAGELIST normal = nullptr, small = nullptr, state = nullptr;
    bool ownStateList = false; // the check-box images the control made itself
    HFONT font = nullptr;
    COLORREF bk = CLR_DEFAULT, text = CLR_DEFAULT, textBk = CLR_DEFAULT;
    UINT callbackMask = 0;
    int focus = -1; // the item with LVIS_FOCUSED, kept in step with the items
    int mark = -1;  // the selection mark, where shift-extension starts
    int hot = -1;
    bool hasFocus = false;

    // Scrolling: the first row shown (report view), or the scrolled distance in pixels.
    int top = 0;
    int scrollX = 0;
    int scrollY = 0;
    int listColumnWidth = 0; // list view's column width; 0 until set or first measured
    int inScrollUpdate = 0;
    // Bulk item changes leave the scroll bars to the next message that looks at the geometry.
    bool scrollDirty = false;
    int pageRows = 0; // report rows the client area showed at the last scroll bar update

    // Tiled or placed background bitmap.
    HBITMAP bkImage = nullptr;
    ULONG bkFlags = 0;
    int bkXPercent = 0, bkYPercent = 0;
    std::vector<RECT> workAreas;

    // Label editing.
    HWND edit = nullptr;
    int editItem = -1;
    WNDPROC editProc = nullptr;
    bool ending = false;
    int pendingEdit = -1; // an item whose label a slow second click will edit

    // Mouse.
    bool pressed = false;
    int pressItem = -1;
    UINT pressHit = 0;
    bool pressWasSelected = false;

    // Raised by every change of the item vector's shape, so loops that notify the owner can tell when
    // the owner changed the list under them.
    unsigned generation = 0;
    // Raised by changes that alter measured widths (items, texts, fonts), for the cached list column width.
    unsigned layoutGeneration = 0;
    unsigned measuredGeneration = ~0u;
    int measuredListWidth = 0;
    int fontHeight = 0; // 0 = measure again
};

inline HFONT ListFont(const ListView* lv)
{
    return lv->font ? lv->font : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

ListView* Get(HWND hwnd);
UINT View(const ListView* lv);
inline bool Valid(const ListView* lv, int i)
{
    return i >= 0 && i < (int)lv->items.size();
}
inline int Count(const ListView* lv)
{
    return (int)lv->items.size();
}

// ---- Notifications and item data (listview.cpp) -------------------------------------------------
LRESULT Notify(ListView* lv, UINT code, NMHDR* nm);
LRESULT NotifyItem(ListView* lv, UINT code, int item, int sub = 0, POINT pt = {0, 0});
void NotifyClick(ListView* lv, UINT code, int item, int sub, POINT pt);
std::u16string ItemText(ListView* lv, int item, int sub);
// LVM_GETCOLUMNTEXTSW: one column's texts from an item on, measured or written back to back.
size_t ColumnTexts(ListView* lv, int sub, LVCOLUMNTEXTSW* in);
int ItemImage(ListView* lv, int item, int sub);
UINT ItemState(ListView* lv, int item, UINT mask);
// Changes state bits of one item (or every item for -1) with LVN_ITEMCHANGING/CHANGED; false if refused.
bool SetState(ListView* lv, int item, UINT state, UINT mask);
void SelectOnly(ListView* lv, int item);
void SetFocusItem(ListView* lv, int item);
void SelectRange(ListView* lv, int from, int to, bool clearOthers);
COLORREF BkColor(const ListView* lv);
COLORREF TextColor(const ListView* lv);
COLORREF TextBkColor(const ListView* lv);
void InvalidateItem(ListView* lv, int item);

// ---- Geometry and scrolling (listview_layout.cpp) -----------------------------------------------
struct Metrics {
    int fontHeight;
    int smallCx, smallCy;
    int stateCx, stateCy;
    int normalCx, normalCy;
    int rowHeight;
    int headerHeight; // report view only, 0 otherwise
    RECT client;
};
Metrics Measure(ListView* lv);
int FontHeight(ListView* lv);
std::vector<int> ColumnOrder(ListView* lv);
int ColumnLeft(ListView* lv, int column); // content coordinates, before horizontal scrolling
int TotalColumnWidth(const ListView* lv);
int CountPerPage(ListView* lv);
int TopIndex(ListView* lv);
// The item's rectangle of a kind (LVIR_*) in client coordinates; false for an unknown item.
bool ItemRect(ListView* lv, int item, int code, RECT* out);
bool SubItemRect(ListView* lv, int item, int sub, int code, RECT* out);
// The parts of one item's cell: state image, icon and label (client coordinates).
struct Parts {
    RECT bounds, state, icon, label;
};
Parts ItemParts(ListView* lv, const Metrics& m, int item);
int HitTest(ListView* lv, LVHITTESTINFO* hi, bool subItems);
bool EnsureVisible(ListView* lv, int item, bool partialOk);
bool ScrollBy(ListView* lv, int dx, int dy);
void OnScroll(ListView* lv, int bar, WPARAM wParam);
void UpdateScrollBars(ListView* lv);
void LayoutHeader(ListView* lv);
int ListColumnWidth(ListView* lv, const Metrics& m);
int LabelWidth(ListView* lv, const std::u16string& text);
// Rows (report view) or cells visible now: [first, last).
void VisibleRange(ListView* lv, const Metrics& m, int* first, int* last);
int AutoColumnWidth(ListView* lv, int column, bool useHeader);

// ---- Painting (listview_paint.cpp) --------------------------------------------------------------
// Without `background` the rows are drawn over what the DC holds: an owner that hands its own DC with
// WM_PAINT has painted the background itself, as the control's WM_ERASEBKGND would have.
void Draw(ListView* lv, HDC dc, bool background = true);

// ---- Input and label editing (listview_input.cpp) -----------------------------------------------
LRESULT OnMouse(ListView* lv, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT OnKeyDown(ListView* lv, WPARAM wParam, LPARAM lParam);
HWND EditLabel(ListView* lv, int item);
void EndEdit(ListView* lv, bool save);
void ToggleCheck(ListView* lv, int item);

// ---- Sorting and finding (listview_sort.cpp) ----------------------------------------------------
bool SortItems(ListView* lv, PFNLVCOMPARE compare, LPARAM param, bool byIndex);
int FindItem(ListView* lv, int start, const LVFINDINFOW* fi);

} // namespace controls::lv
