// What the shell sources share: item lists of Linux paths, the special folders, the file-type icons.
#pragma once

#include "win32/shell.h"

#include <string>

namespace shell {

// An item list of an absolute Linux path (one item per folder level), from the task allocator.
LPITEMIDLIST ItemListFromPath(const std::u16string& linuxPath);
// The path an item list of ItemListFromPath names; false for a list the layer did not make.
bool PathFromItemList(LPCITEMIDLIST pidl, std::u16string& linuxPath);

// The Linux folder of a CSIDL value (flags removed); false for one the layer does not know.
bool SpecialFolder(int csidl, std::string& linuxPath);

// Kinds of icon in the system image lists, in the order of their indexes.
enum IconKind : int {
    kIconDocument,
    kIconFolder,
    kIconFolderOpen,
    kIconDrive,
    kIconRemovable,
    kIconProgram,
    kIconText,
    kIconImage,
    kIconAudio,
    kIconVideo,
    kIconArchive,
    kIconWeb,
    kIconOffice,
    kIconHelp,
    kIconCount
};
// The system image list of 16 x 16 (small) or 32 x 32 icons, made on first use and shared.
HIMAGELIST SystemImageList(bool small);

} // namespace shell
