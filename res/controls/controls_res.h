// Resource ids of the controls' own resources.
#pragma once

// Icons of the skinned wizard buttons (24 x 24).
#define IDI_SKIN_BACK 157
#define IDI_SKIN_NEXT 158
#define IDI_SKIN_STOP 168
// The start-over button's picture (32 x 32) on the key colour blue, COLORREF 0xFF0000.
#define IDB_SKIN_HOME 268
#define SKIN_HOME_KEY 0xFF0000
// Cursors of the hover button: over it, and with the left button down on it.
#define IDC_HOVER_HAND 264
#define IDC_PRESSED_HAND 265
// The sound the skinned buttons play when the mouse comes onto them.
#define IDW_SKIN_HOVER 132

// Captions and texts of the HTML message box.
#define IDS_HTMLBOX_OK 9001
#define IDS_HTMLBOX_CANCEL 9002
#define IDS_HTMLBOX_IGNORE 9003
#define IDS_HTMLBOX_RETRY 9004
#define IDS_HTMLBOX_ABORT 9005
#define IDS_HTMLBOX_HELP 9006
#define IDS_HTMLBOX_YES 9007
#define IDS_HTMLBOX_NO 9008
#define IDS_HTMLBOX_CONTINUE 9009
#define IDS_HTMLBOX_MORE 9010
#define IDS_HTMLBOX_LESS 9011
#define IDS_HTMLBOX_DONOTSHOW 9012
#define IDS_HTMLBOX_YESTOALL 9013
#define IDS_HTMLBOX_NOTOALL 9014
#define IDS_HTMLBOX_TRYAGAIN 9015
#define IDS_HTMLBOX_REPORT 9016
#define IDS_HTMLBOX_IGNOREALL 9017
#define IDS_HTMLBOX_SKIP 9018
#define IDS_HTMLBOX_SKIPALL 9019
#define IDS_HTMLBOX_COUNTDOWN 9020
