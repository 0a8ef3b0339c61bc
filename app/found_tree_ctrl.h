// CFoundTreeCtrl: the found-folder tree of the results page, with tri-state check boxes.
#pragma once

#include "afx/afx.h"
#include "afx/collections.h"
#include "afx/tree_ctrl.h"

#include <vector>

class CFoundListCtrl;

// The text colour and font of one item; colour -1 is the system's window text, an empty face the
// control's own font.
struct ColorFont {
    COLORREF color = (COLORREF)-1;
    LOGFONTW logfont{};
};

class CFoundTreeCtrl : public CTreeCtrl {
public:
    CFoundTreeCtrl();
    ~CFoundTreeCtrl() override;

    // The list whose rows and sets the tree keeps in step (set by the results page).
    void SetFoundList(CFoundListCtrl* list) { m_pList = list; }
    CFoundListCtrl* GetFoundList() const { return m_pList; }

    // Once after creating the window: state images, the shell's small icons, cursors.
    void InitControl();

    HTREEITEM InsertTreeItem(LPCWSTR text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after);
    // Under the root the image follows the drive type of the text; elsewhere the folder icon.
    HTREEITEM InsertFolderItem(LPCWSTR text, HTREEITEM parent);
    // A child of parent with exactly this (trimmed) text, inserted when there is none.
    HTREEITEM FindOrInsertItem(LPCWSTR text, HTREEITEM parent, BOOL isFile);

    void SetItemColor(HTREEITEM item, COLORREF color);
    BOOL GetItemColor(HTREEITEM item, COLORREF* color) const;
    BOOL GetItemBold(HTREEITEM item) const;
    void ClearItemMap() { m_colorMap.RemoveAll(); }

    // Check state: 0 unticked, 1 ticked, 2 partial (state image index minus one).
    int GetCheck(HTREEITEM item) const;
    void CheckItem(HTREEITEM item);
    void UncheckItem(HTREEITEM item);
    void SetPartial(HTREEITEM item);
    void CheckTree(HTREEITEM item);
    void UncheckTree(HTREEITEM item);
    void CheckBranch(HTREEITEM item);
    void UncheckBranch(HTREEITEM item);
    void ToggleTreeCheck(HTREEITEM item);
    BOOL AllChildrenUnchecked(HTREEITEM item) const;
    BOOL AllChildrenChecked(HTREEITEM item) const;

    // Ticks or unticks the item's box as a click on it does, keeping the list's sets in step.
    void SetBoxTick(HTREEITEM item, bool tick);
    // Ticks the whole tree, as a click on the top item's box does when it is unticked.
    void TickEverything();

    // Re-derives the ticks of the list's rows from its checked sets.
    void SyncListChecks(HTREEITEM item);
    // Texts of the item's ancestors below the top and its own, joined by backslashes.
    CString GetItemPath(HTREEITEM item) const;
    // The item's folder as the list fillers take it (see FolderIdOfItem), and filling the list with it.
    void ShowFolderOfItem(HTREEITEM item);

    // The tree's top item ("Root"), or null.
    HTREEITEM GetTopItem() const { return GetRootItem(); }
    static HTREEITEM ToItem(DWORD handle) { return (HTREEITEM)(ULONG_PTR)handle; }
    static DWORD ToHandle(HTREEITEM item) { return (DWORD)(ULONG_PTR)item; }

protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnPaint();
    afx_msg LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    afx_msg void OnKeyDownNotify(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    struct TracedTarget {
        CString text;
        BOOL group = FALSE;
    };
    TracedTarget TracedTargetOfItem(HTREEITEM item) const;
    void SetStateIndex(HTREEITEM item, int index);
    void SetBold(HTREEITEM item, BOOL bold);
    void UpdateAncestors(HTREEITEM item, bool mayUntick);
    std::vector<HTREEITEM> Children(HTREEITEM item) const;
    void UseCursor(int which);
    void PaintInto(CDC* dc);

    CMap<DWORD, DWORD, ColorFont, const ColorFont&> m_colorMap;
    CImageList m_stateImages;
    HCURSOR m_cursors[4] = {};
    CFoundListCtrl* m_pList = nullptr;
};
