// CVolumeTreeCtrl: the found-volume tree of the volume choice page; a click chooses the volume whose
// folders the extraction reads.
#pragma once

#include "afx/afx.h"
#include "afx/tree_ctrl.h"

class CFileSystemForm;

class CVolumeTreeCtrl : public CTreeCtrl {
public:
    CVolumeTreeCtrl();
    ~CVolumeTreeCtrl() override;

    // The pane that shows the chosen volume's layout, and the main frame's SelectedPartitionIndex.
    void SetForm(CFileSystemForm* form) { m_pForm = form; }
    void SetSelectedIndexWord(int* word) { m_pSelectedIndex = word; }

    // Once after creating the window: the drive icons, state images and cursors.
    void InitControl();
    HTREEITEM AddVolumeItem(LPCWSTR label, HTREEITEM parent) { return InsertVolumeItem(label, parent); }
    HTREEITEM InsertVolumeItem(LPCWSTR label, HTREEITEM parent);
    // The item's volume copied into PartitionParams and its layout shown.
    void SelectVolume(HTREEITEM item);
    // The visible row of the item, counted from 0 (-1 when it is not visible).
    int GetVisibleRowIndex(HTREEITEM item) const;

protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyDownNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnNoCommand(UINT) {}
    DECLARE_MESSAGE_MAP()

private:
    void ItemCursor(UINT flags);

    CImageList m_images;
    CImageList m_stateImages;
    HCURSOR m_cursors[3] = {};
    CFileSystemForm* m_pForm = nullptr;
    int* m_pSelectedIndex = nullptr;
};
