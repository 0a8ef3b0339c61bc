// What the file and folder dialogs share: folder listings, path resolution and text conversion.
#pragma once

#include "win32/types.h"

#include <string>
#include <vector>

namespace dialogs {

struct FolderEntry {
    std::u16string name;
    bool folder;
};

// The entries of a Linux folder: subfolders first, then (when asked) the files matching one of
// the patterns ("*.txt;*.log"; "*.*" is every file), each group in name order. Hidden names
// (a leading dot) are left out, and so are the current and parent entries.
std::vector<FolderEntry> ListFolder(const std::string& folder, bool files, const std::u16string& patterns);

// The Linux path that text names: an absolute or drive path as the layer maps it, anything else
// below folder; "." and ".." are folded away. False when the text cannot be mapped.
bool ResolvePath(const std::string& folder, const std::u16string& text, std::string& path);

std::string ParentOf(const std::string& path); // "/" stays "/"
std::string JoinPath(const std::string& folder, const std::u16string& name);
std::string CurrentFolder();
bool IsFolder(const std::string& path);
bool PathExists(const std::string& path);
std::u16string ToWide(const std::string& utf8);
std::string ToUtf8(const std::u16string& text);

} // namespace dialogs
