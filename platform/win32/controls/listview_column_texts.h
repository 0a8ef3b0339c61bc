// The list view's one message of the layer's own: one column's text of many items in a single call.
#pragma once

#include "win32/controls/listview.h"

// comctl32 hands out an item's text one LVM_GETITEMTEXT at a time; for a list of a hundred thousand rows the
// message traffic costs more than what the caller then does with the texts (a sort, a scan for one name).
// LVM_GETCOLUMNTEXTSW reads one column of the items from iItem on: wParam is the sub-item (0 for the item's
// own text), lParam an LVCOLUMNTEXTSW.
// - Without a buffer (pszText null) it measures: the result is the number of characters the texts of every
//   item from iItem on need, each with its terminating zero.
// - With a buffer the texts go into pszText one after another in item order, each with its terminating zero,
//   as many whole texts as cchTextMax holds; cItems returns how many went in and the result is the number of
//   characters written.
// A text the owner keeps (LPSTR_TEXTCALLBACKW) is asked for as LVM_GETITEMTEXTW would ask, and may therefore
// differ between a measuring call and a reading one: a caller reads the items past cItems another way.
#define LVM_GETCOLUMNTEXTSW (LVM_FIRST + 0xF0)

typedef struct tagLVCOLUMNTEXTSW {
    int iItem;
    LPWSTR pszText;
    SIZE_T cchTextMax;
    int cItems;
} LVCOLUMNTEXTSW, *LPLVCOLUMNTEXTSW;
