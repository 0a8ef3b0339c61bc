// What the common controls share: notification code ranges, NM_* codes, custom draw and callback markers.
#pragma once

#include "win32/controls.h"
#include "win32/gdi.h"
#include "win32/user.h"

// Each family of notifications has a range of its own below zero.
#define NM_FIRST (0U - 0U)
#define NM_LAST (0U - 99U)
#define LVN_FIRST (0U - 100U)
#define LVN_LAST (0U - 199U)
#define HDN_FIRST (0U - 300U)
#define HDN_LAST (0U - 399U)
#define TVN_FIRST (0U - 400U)
#define TVN_LAST (0U - 499U)
#define TTN_FIRST (0U - 520U)
#define TTN_LAST (0U - 549U)
#define TCN_FIRST (0U - 550U)
#define TCN_LAST (0U - 580U)
#define CDN_FIRST (0U - 601U)
#define CDN_LAST (0U - 699U)
#define TBN_FIRST (0U - 700U)
#define TBN_LAST (0U - 720U)
#define UDN_FIRST (0U - 721U)
#define UDN_LAST (0U - 740U)
#define SBN_FIRST (0U - 880U)
#define SBN_LAST (0U - 899U)
#define RBN_FIRST (0U - 831U)
#define RBN_LAST (0U - 859U)

#define NM_OUTOFMEMORY (NM_FIRST - 1)
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_RETURN (NM_FIRST - 4)
#define NM_RCLICK (NM_FIRST - 5)
#define NM_RDBLCLK (NM_FIRST - 6)
#define NM_SETFOCUS (NM_FIRST - 7)
#define NM_KILLFOCUS (NM_FIRST - 8)
#define NM_CUSTOMDRAW (NM_FIRST - 12)
#define NM_HOVER (NM_FIRST - 13)
#define NM_NCHITTEST (NM_FIRST - 14)
#define NM_KEYDOWN (NM_FIRST - 15)
#define NM_RELEASEDCAPTURE (NM_FIRST - 16)
#define NM_SETCURSOR (NM_FIRST - 17)
#define NM_CHAR (NM_FIRST - 18)

// Messages every common control answers.
#define CCM_FIRST 0x2000
#define CCM_SETBKCOLOR (CCM_FIRST + 1)
#define CCM_SETUNICODEFORMAT (CCM_FIRST + 5)
#define CCM_GETUNICODEFORMAT (CCM_FIRST + 6)
#define CCM_SETVERSION (CCM_FIRST + 0x7)
#define CCM_GETVERSION (CCM_FIRST + 0x8)

// Text and images the owner supplies on demand.
#define LPSTR_TEXTCALLBACKW ((LPWSTR)(LONG_PTR)-1)
#define LPSTR_TEXTCALLBACK LPSTR_TEXTCALLBACKW
#define I_IMAGECALLBACK (-1)
#define I_IMAGENONE (-2)

// Custom draw: the stages a control reports and what the owner may answer.
#define CDRF_DODEFAULT 0x00000000
#define CDRF_NEWFONT 0x00000002
#define CDRF_SKIPDEFAULT 0x00000004
#define CDRF_NOTIFYPOSTPAINT 0x00000010
#define CDRF_NOTIFYITEMDRAW 0x00000020
#define CDRF_NOTIFYSUBITEMDRAW 0x00000020
#define CDRF_NOTIFYPOSTERASE 0x00000040
#define CDDS_PREPAINT 0x00000001
#define CDDS_POSTPAINT 0x00000002
#define CDDS_PREERASE 0x00000003
#define CDDS_POSTERASE 0x00000004
#define CDDS_ITEM 0x00010000
#define CDDS_ITEMPREPAINT (CDDS_ITEM | CDDS_PREPAINT)
#define CDDS_ITEMPOSTPAINT (CDDS_ITEM | CDDS_POSTPAINT)
#define CDDS_ITEMPREERASE (CDDS_ITEM | CDDS_PREERASE)
#define CDDS_ITEMPOSTERASE (CDDS_ITEM | CDDS_POSTERASE)
#define CDDS_SUBITEM 0x00020000
#define CDIS_SELECTED 0x0001
#define CDIS_GRAYED 0x0002
#define CDIS_DISABLED 0x0004
#define CDIS_CHECKED 0x0008
#define CDIS_FOCUS 0x0010
#define CDIS_DEFAULT 0x0020
#define CDIS_HOT 0x0040
#define CDIS_MARKED 0x0080
#define CDIS_INDETERMINATE 0x0100
#define CDIS_SHOWKEYBOARDCUES 0x0200

typedef struct tagNMCUSTOMDRAWINFO {
    NMHDR hdr;
    DWORD dwDrawStage;
    HDC hdc;
    RECT rc;
    DWORD_PTR dwItemSpec;
    UINT uItemState;
    LPARAM lItemlParam;
} NMCUSTOMDRAW, *LPNMCUSTOMDRAW;

// NM_CLICK and friends of controls that report the point and the item under it.
typedef struct tagNMMOUSE {
    NMHDR hdr;
    DWORD_PTR dwItemSpec;
    DWORD_PTR dwItemData;
    POINT pt;
    LPARAM dwHitInfo;
} NMMOUSE, *LPNMMOUSE;
typedef struct tagNMKEY {
    NMHDR hdr;
    UINT nVKey;
    UINT uFlags;
} NMKEY, *LPNMKEY;

// Controls ask their parent which character set it wants in notifications; the layer's are Unicode.
#ifndef WM_NOTIFYFORMAT
#define WM_NOTIFYFORMAT 0x0055
#endif
#define NFR_ANSI 1
#define NFR_UNICODE 2
#define NF_QUERY 3
#define NF_REQUERY 4
