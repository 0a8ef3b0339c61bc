// Finds a tree item by its text anywhere in the tree, for tests that click their way through drive trees.
#pragma once

#include "afx/tree_ctrl.h"

#include <vector>

inline HTREEITEM FindTreeItem(const CTreeCtrl& tree, const char16_t* text)
{
    std::vector<HTREEITEM> pending{tree.GetRootItem()};
    while (!pending.empty()) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        for (; at; at = tree.GetNextSiblingItem(at)) {
            if (tree.GetItemText(at) == text)
                return at;
            pending.push_back(tree.GetChildItem(at));
        }
    }
    return nullptr;
}
