// tooltips_class32 messages, styles, tool records and notifications.
#pragma once

#include "win32/controls/common.h"

#define TOOLTIPS_CLASSW u"tooltips_class32"

#define TTS_ALWAYSTIP 0x01
#define TTS_NOPREFIX 0x02
#define TTS_BALLOON 0x40

#define TTF_IDISHWND 0x0001
#define TTF_CENTERTIP 0x0002
#define TTF_DI_SETITEM 0x8000

#define TTDT_AUTOMATIC 0
#define TTDT_RESHOW 1
#define TTDT_AUTOPOP 2
#define TTDT_INITIAL 3

#define TTI_NONE 0
#define TTI_INFO 1
#define TTI_WARNING 2
#define TTI_ERROR 3

typedef struct tagTOOLINFOW {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPWSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
} TTTOOLINFOW, *PTOOLINFOW, *LPTTTOOLINFOW, TOOLINFOW, *LPTOOLINFOW;
// The first form of the record ends after the text.
#define TTTOOLINFOW_V1_SIZE ((UINT)offsetof(TTTOOLINFOW, lParam))

#define TTM_ACTIVATE (WM_USER + 1)
#define TTM_SETDELAYTIME (WM_USER + 3)
#define TTM_RELAYEVENT (WM_USER + 7)
#define TTM_WINDOWFROMPOINT (WM_USER + 16)
#define TTM_SETTIPBKCOLOR (WM_USER + 19)
#define TTM_SETTIPTEXTCOLOR (WM_USER + 20)
#define TTM_SETMAXTIPWIDTH (WM_USER + 24)
#define TTM_SETMARGIN (WM_USER + 26)
#define TTM_POP (WM_USER + 28)
#define TTM_SETTITLEW (WM_USER + 33)
#define TTM_ADDTOOLW (WM_USER + 50)
#define TTM_DELTOOLW (WM_USER + 51)
#define TTM_UPDATETIPTEXTW (WM_USER + 57)

#define TTN_GETDISPINFOW (TTN_FIRST - 10)
#define TTN_NEEDTEXTW TTN_GETDISPINFOW

typedef struct tagNMTTDISPINFOW {
    NMHDR hdr;
    LPWSTR lpszText;
    WCHAR szText[80];
    HINSTANCE hinst;
    UINT uFlags;
    LPARAM lParam;
} NMTTDISPINFOW, *LPNMTTDISPINFOW, TOOLTIPTEXTW, *LPTOOLTIPTEXTW;
