// Resource ids of the preview's own resources.
#pragma once

// The no-preview view's pictures: the file is damaged, its type cannot be previewed, no file chosen.
#define IDB_PREVIEW_DAMAGED 196
#define IDB_PREVIEW_UNSUPPORTED 197
#define IDB_PREVIEW_NO_ITEM 211
// The too-large view's picture, 202 x 140.
#define IDB_PREVIEW_TOO_LARGE 297

// The Access database tree's images, 16 x 16 each on magenta.
#define IDB_ACCESS_TREE 181

// The Access preview's texts: the tree's branches, the record list's first column and count, the delete
// question and its caption.
#define IDS_ACCESS_ROOT 18100
#define IDS_ACCESS_TABLES 18101
#define IDS_ACCESS_RELATIONS 18102
#define IDS_ACCESS_QUERYDEFS 18103
#define IDS_ACCESS_INDEX 18104
#define IDS_ACCESS_LOADED 18105
#define IDS_ACCESS_CONFIRM_DELETE 18106
#define IDS_ACCESS_WARNING 18107

// The archive list's header images (drawn at 48 x 48, shown at 16 x 16), one per column kind.
#define IDI_ARCHIVE_ACCESSED 161
#define IDI_ARCHIVE_FOLDER 162
#define IDI_ARCHIVE_NAME 163
#define IDI_ARCHIVE_SIZE 164
#define IDI_ARCHIVE_ATTRIBUTES 165
#define IDI_ARCHIVE_CREATED 166
#define IDI_ARCHIVE_MODIFIED 167

// The own HTML renderer's window and the empty dialog over the browser view (no controls).
#define IDD_HTML_RENDERER 225
#define IDD_HTML_CHILD 300
