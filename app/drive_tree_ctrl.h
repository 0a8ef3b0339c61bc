// CDriveTreeCtrl: the disks, volumes and partitions a user chooses from on the drive and scan pages.
#pragma once

#include "afx/afx.h"
#include "afx/gdi.h"
#include "afx/tree_ctrl.h"

// What a choice in the tree does to the pages around it. The pages (through the main frame) implement it; the tree
// itself writes the engine's globals and the summary line.
class IDriveTreeHost {
public:
    virtual ~IDriveTreeHost() = default;
    // The frame's page-state words 1 to 5 and its selected index.
    virtual DWORD PageState(int word) const = 0;
    virtual void SetSelectedIndex(int index) = 0;
    // The drive page's pane.
    virtual void ClearDrivePane() = 0;
    virtual void ShowDrivePaneHeading(bool physical) = 0;
    virtual void ShowDiskInfo(int disk) = 0;
    virtual void ShowDriveInfo(int volume) = 0;
    virtual void DrawVolumePie() = 0;
    // The scan page's pane.
    virtual void ShowNoPartitionInfo() = 0;
    virtual void ShowSelectedPartition() = 0;
    virtual void ShowPartitionInfo(int entry) = 0;
    // Tab and Enter in the tree: the owning page takes the focus ring, or runs its Next / Start.
    virtual void TreeTab() = 0;
    virtual void TreeEnter() = 0;
};

// What an item stands for, kept in its data: the kind in the high word, the number in the low word.
enum DriveItemKind : DWORD { DRIVE_ITEM_GROUP = 0, DRIVE_ITEM_DISK = 1, DRIVE_ITEM_VOLUME = 2, DRIVE_ITEM_PARTITION = 3 };
constexpr DWORD MakeDriveItemData(DriveItemKind kind, DWORD number) { return (DWORD(kind) << 16) | (number & 0xFFFF); }

class CDriveTreeCtrl : public CTreeCtrl {
public:
    CDriveTreeCtrl() = default;

    void SetHost(IDriveTreeHost* host) { m_pHost = host; }
    void InitTree();
    // path: backslash-separated components ending in one; the last one's item carries data.
    HTREEITEM AddPath(const char* path, DWORD data = MakeDriveItemData(DRIVE_ITEM_GROUP, 0));
    HTREEITEM AddPartitionItem(LPCWSTR group, LPCWSTR label, DWORD entry);
    void ExpandRoot();
    // The selection's effects on the globals and the panes; returns the item's text.
    CString OnSelectItem(HTREEITEM item);
    int GetVisibleRowIndex(HTREEITEM item) const;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnKeyUp(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKeyDownReflect(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    HTREEITEM FindChild(HTREEITEM parent, const CString& text) const;
    void SetCursorFor(UINT hitFlags, bool clicking) const;
    void SetSummary();

    IDriveTreeHost* m_pHost = nullptr;
    CImageList m_images;
    HCURSOR m_hExpandCursor = nullptr, m_hItemCursor = nullptr, m_hClickCursor = nullptr;
};
