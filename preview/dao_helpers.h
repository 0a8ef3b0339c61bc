// Helpers of the Access database preview: the display text of a field value and of a Boolean, and a
// cursor over the items of a tree control with which the database tree is built.
#pragma once

#include "afx/afx.h"
#include "afx/ole_types.h"
#include "afx/tree_ctrl.h"

// "TRUE" for non-zero, "FALSE" for zero.
CString BoolText(BOOL value);

// The text a record list shows for a field value: the value for the types that are shown as values, the
// type's name for the others, and "Fish" for types without a name. Arrays and references are never
// formatted as values: their text is prefixed "Array of " or followed by "Pointer to " and the base type's
// name.
CString VariantText(const COleVariant& value);

// An item of a tree control together with its control.
class CTreeCursor {
public:
    CTreeCursor() = default;
    CTreeCursor(HTREEITEM hItem, CTreeCtrl* pTree) : m_hTreeItem(hItem), m_pTree(pTree) {}

    // A new item under this one; both its images are `image` unless that is -1, when it has none.
    CTreeCursor AddChild(LPCWSTR text, int image = -1, HTREEITEM hInsertAfter = TVI_LAST);
    // The item's image index.
    int GetImage() const;

    operator HTREEITEM() const { return m_hTreeItem; }
    HTREEITEM m_hTreeItem = nullptr;
    CTreeCtrl* m_pTree = nullptr;
};
