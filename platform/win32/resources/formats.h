// Readers of the standard binary resource formats: dialog templates, menus, accelerators, tool bars.
#pragma once

#include "win32/types.h"

#include <string>
#include <vector>

namespace res {

// A string-or-ordinal field: an ordinal when `ordinal` is non-zero.
struct NameOrId {
    WORD ordinal = 0;
    std::u16string name;
    bool Empty() const { return ordinal == 0 && name.empty(); }
};

struct DialogItem {
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrId cls;   // ordinals 0x80..0x85: Button, Edit, Static, ListBox, ScrollBar, ComboBox
    NameOrId title;
    std::vector<BYTE> creationData;
};

struct Dialog {
    bool extended = false;
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrId menu, cls;
    std::u16string title;
    bool hasFont = false;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::u16string font;
    std::vector<DialogItem> items;
};

// Both the classic and the extended layout. False (and nothing trusted) if the data is cut short.
bool ParseDialog(const BYTE* data, size_t size, Dialog& out);

struct MenuItem {
    DWORD type = 0, state = 0; // MFT_* / MFS_* (extended menus), or the classic MF_* flags in `flags`
    UINT flags = 0;
    UINT id = 0;
    std::u16string text;
    bool popup = false;
    std::vector<MenuItem> items;
};

bool ParseMenu(const BYTE* data, size_t size, std::vector<MenuItem>& out);

struct Accel {
    BYTE fVirt = 0;
    WORD key = 0;
    WORD cmd = 0;
};

bool ParseAccelerators(const BYTE* data, size_t size, std::vector<Accel>& out);

// The framework's tool bar resource (type 241): version, button size, and the command of each
// button (0 for a separator).
struct ToolBar {
    WORD version = 0, width = 0, height = 0;
    std::vector<WORD> items;
};

bool ParseToolBar(const BYTE* data, size_t size, ToolBar& out);

} // namespace res
