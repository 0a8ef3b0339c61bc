// Resource ids of the results pages (volume choice and found items).
#pragma once

#include "app_res.h"

#define IDB_LIST_BACKGROUND 160
#define IDB_LIST_CHECKS 201
#define IDB_RESULTS_BANNER 281
#define IDB_VOLUME_BANNER 284
#define IDI_HEADER_CREATED 161
#define IDI_HEADER_TYPE 162
#define IDI_HEADER_NAME 163
#define IDI_HEADER_SIZE 164
#define IDI_HEADER_FOLDER 165
#define IDI_HEADER_MODIFIED 166
#define IDI_HEADER_ID 167
#define IDC_CHECK_BOX 249
#define IDR_FOUND_LIST_MENU 192

// The found-file list's own commands; the others of its menu are the main frame's (app_res.h).
#define ID_RENAME_ITEM 32802
#define ID_ITEM_PROPERTIES 32804
