// Counting the ticked folders and files of the found-item list: the size shown under the list and the
// branch totals of the properties dialog.
#pragma once

#include "win32/types.h"

#include <vector>

// Adds the files, folders and sizes of a folder's branch of the found-folder tree to SelectionTotals
// (file count, total size, folder count, grand total). Each folder is counted once, so the grand total
// grows by the files' sizes, not by the running total of the branch.
void CountBranch(DWORD treeItem);
// Adds one folder's own files to SelectionTotals.
void CountFolder(DWORD treeItem);

// Recounts the ticked folders (tree items) and files (ids) and shows "Selected Size : <n> MB".
void ShowSelectedSize(const std::vector<DWORD>& folderItems, const std::vector<DWORD>& fileIds);
