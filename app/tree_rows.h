// Rows of a tree control as the user sees them.
#pragma once

#include "afx/tree_ctrl.h"

// The number of visible rows above the item (the top row 0) minus 1: -1 for the tree's root, -2 for no item or one
// that is not shown.
int VisibleRowIndex(const CTreeCtrl& tree, HTREEITEM item);
