// msctls_statusbar32 messages, styles and its creation function.
#pragma once

#include "win32/controls/common.h"

#define STATUSCLASSNAMEW u"msctls_statusbar32"

#define SBARS_SIZEGRIP 0x0100

#ifndef CCS_TOP
#define CCS_TOP 0x00000001L
#define CCS_NOMOVEY 0x00000002L
#define CCS_BOTTOM 0x00000003L
#define CCS_NORESIZE 0x00000004L
#define CCS_NOPARENTALIGN 0x00000008L
#define CCS_ADJUSTABLE 0x00000020L
#define CCS_NODIVIDER 0x00000040L
#define CCS_VERT 0x00000080L
#endif

#define SB_SETTEXTW (WM_USER + 11)
#define SB_GETTEXTW (WM_USER + 13)
#define SB_GETTEXTLENGTHW (WM_USER + 12)
#define SB_SETTEXT SB_SETTEXTW
#define SB_GETTEXT SB_GETTEXTW
#define SB_GETTEXTLENGTH SB_GETTEXTLENGTHW
#define SB_SETPARTS (WM_USER + 4)
#define SB_GETPARTS (WM_USER + 6)
#define SB_GETBORDERS (WM_USER + 7)
#define SB_SETMINHEIGHT (WM_USER + 8)
#define SB_GETRECT (WM_USER + 10)
#define SB_SETICON (WM_USER + 15)

#define SBT_OWNERDRAW 0x1000
#define SBT_NOBORDERS 0x0100
#define SBT_POPOUT 0x0200
#define SBT_RTLREADING 0x0400
#define SBT_NOTABPARSING 0x0800

HWND CreateStatusWindowW(LONG style, LPCWSTR text, HWND parent, UINT id);
