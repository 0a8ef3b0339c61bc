// Resource ids of the application shell: the main frame's menu, tool bar, keys and icons, the message and
// progress dialogs, the banner and the About box. Pages that add resources of their own keep their ids in a
// header of their own beside this one.
#pragma once

// The main frame: menu, accelerators, tool bar (type 241, with its bitmap), icon and the template's string.
#define IDR_MAINFRAME 128

// Command icons (32 x 32) of the tool bar and menus.
#define IDI_CMD_HELP 185
#define IDI_CMD_UPDATE 186
#define IDI_CMD_RECOVER_ALL 187
#define IDI_CMD_SETTINGS 188
#define IDI_CMD_SAVE_SNAPSHOT 189
#define IDI_CMD_LOAD_SNAPSHOT 190
#define IDI_CMD_FIND 236
#define IDI_CMD_RECOVER 242

// Commands of menu 128 and tool bar 128.
#define ID_RECOVER_SELECTED 32777
#define ID_LOAD_SNAPSHOT 32781
#define ID_VIEW_SMALLICONS 32782
#define ID_FIND_FILES 32785
#define ID_FILE_FILTER 32786
#define ID_RECOVERY_SETTINGS 32787
#define ID_DRIVE_INFO 32788
#define ID_LIVE_UPDATE 32789
#define ID_UNUSED_32790 32790
#define ID_UNUSED_32791 32791
#define ID_UNUSED_32792 32792
#define ID_EXIT_APP 32809
#define ID_RECOVER_ALL 32810
#define ID_SAVE_SNAPSHOT 32811
#define ID_CUSTOMIZE 35001
#define ID_VIEW_LIST 59410
#define ID_VIEW_DETAILS 59411
#define ID_HELP_CONTENTS 57670

// Message dialogs (204) and the progress-wait dialog (226).
#define IDD_MESSAGE 204
#define IDC_MESSAGE_TEXT 1041
#define IDC_MESSAGE_BACK 1079
#define IDD_PROGRESS_WAIT 226
#define IDC_PROGRESS_PERCENT 1082
#define IDC_PROGRESS_BAR 1083
#define IDS_PROGRESS_CAPTION 61465

// The banner in the frame's top right corner, its link button, picture and cursor.
#define IDD_BANNER 255
#define IDC_BANNER_LINK 1100
#define IDB_BANNER 256
#define IDC_LINK_HAND 315

// The About box, its skin and its lines and links.
#define IDD_ABOUTBOX 100
#define IDB_ABOUT_SKIN 311
#define IDC_ABOUT_TITLE 1200
#define IDC_ABOUT_LINE2 1201
#define IDC_ABOUT_LINK_WEB 1202
#define IDC_ABOUT_LINK_MAIL 1203
#define IDC_ABOUT_LINK_HELP 1204

// The skin of the message and progress dialogs.
#define IDB_MESSAGE_SKIN 221

// Strings.
#define IDS_OLE_INIT_FAILED 100
#define IDS_INDICATOR_CAPS 59137
#define IDS_INDICATOR_NUM 59138
#define IDS_INDICATOR_SCRL 59139
#define IDS_IDLE_MESSAGE 57345
