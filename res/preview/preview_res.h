// Resource ids of the preview's own resources.
#pragma once

// The no-preview view's pictures: the file is damaged, its type cannot be previewed, no file chosen.
#define IDB_PREVIEW_DAMAGED 196
#define IDB_PREVIEW_UNSUPPORTED 197
#define IDB_PREVIEW_NO_ITEM 211
// The too-large view's picture, 202 x 140.
#define IDB_PREVIEW_TOO_LARGE 297
// The own HTML renderer's window and the empty dialog over the browser view (no controls).
#define IDD_HTML_RENDERER 225
#define IDD_HTML_CHILD 300
