// Visible rows of a tree.
#include "app/tree_rows.h"

int VisibleRowIndex(const CTreeCtrl& tree, HTREEITEM item)
{
    if (!item)
        return -2;
    if (item == TVI_ROOT)
        return -1;
    int row = 0;
    for (HTREEITEM at = tree.GetRootItem(); at; at = tree.GetNextVisibleItem(at), ++row)
        if (at == item)
            return row - 1;
    return -2;
}
