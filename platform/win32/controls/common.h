// What the common controls share beyond the notification basics: the character-set query.
#pragma once

#include "win32/controls.h"
#include "win32/controls/notify.h"
#include "win32/gdi.h"
#include "win32/user.h"

#define CDIS_SHOWKEYBOARDCUES 0x0200

// Controls ask their parent which character set it wants in notifications; the layer's are Unicode.
#ifndef WM_NOTIFYFORMAT
#define WM_NOTIFYFORMAT 0x0055
#endif
#define NFR_ANSI 1
#define NFR_UNICODE 2
#define NF_QUERY 3
#define NF_REQUERY 4
