// The rich edit control's messages, records and OLE callback ("RichEdit20W", also "RICHEDIT"): a
// multi-line edit that takes its colours from messages instead of its parent, streams text in and
// keeps an OLE callback. Rich text (SF_RTF) comes in as its text; its character formatting is not shown.
#pragma once

#include "win32/controls.h"
#include "win32/storage.h"
#include "win32/user.h"

#define RICHEDIT_CLASSW u"RichEdit20W"
#define RICHEDIT_CLASS10A u"RICHEDIT"

#define EM_EXGETSEL (WM_USER + 52)
#define EM_EXLIMITTEXT (WM_USER + 53)
#define EM_EXSETSEL (WM_USER + 55)
#define EM_FORMATRANGE (WM_USER + 57)
#define EM_GETCHARFORMAT (WM_USER + 58)
#define EM_GETEVENTMASK (WM_USER + 59)
#define EM_REQUESTRESIZE (WM_USER + 65)
#define EM_SETBKGNDCOLOR (WM_USER + 67)
#define EM_SETCHARFORMAT (WM_USER + 68)
#define EM_SETEVENTMASK (WM_USER + 69)
#define EM_SETOLECALLBACK (WM_USER + 70)
#define EM_STREAMIN (WM_USER + 73)

#define EN_REQUESTRESIZE 0x0701
#define ENM_NONE 0x00000000
#define ENM_CHANGE 0x00000001
#define ENM_REQUESTRESIZE 0x00040000

#define SF_TEXT 0x0001
#define SF_RTF 0x0002
#define SF_UNICODE 0x0010
#define SFF_SELECTION 0x8000

#define SCF_DEFAULT 0x0000
#define SCF_SELECTION 0x0001
#define SCF_ALL 0x0004
#define CFM_COLOR 0x40000000
#define CFE_AUTOCOLOR 0x40000000

typedef struct _charrange {
    LONG cpMin;
    LONG cpMax;
} CHARRANGE;

typedef DWORD(CALLBACK* EDITSTREAMCALLBACK)(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);
typedef struct _editstream {
    DWORD_PTR dwCookie;
    DWORD dwError;
    EDITSTREAMCALLBACK pfnCallback;
} EDITSTREAM;

typedef struct _charformatw {
    UINT cbSize;
    DWORD dwMask;
    DWORD dwEffects;
    LONG yHeight;
    LONG yOffset;
    COLORREF crTextColor;
    BYTE bCharSet;
    BYTE bPitchAndFamily;
    WCHAR szFaceName[32];
} CHARFORMATW, CHARFORMAT;

// A range of the text laid out (and drawn when asked) into a rectangle of a device, in twips.
typedef struct _formatrange {
    HDC hdc;
    HDC hdcTarget;
    RECT rc;
    RECT rcPage;
    CHARRANGE chrg;
} FORMATRANGE;

typedef struct _reqresize {
    NMHDR nmhdr;
    RECT rc;
} REQRESIZE;

struct IOleObject;
struct IOleInPlaceFrame;
struct IOleInPlaceUIWindow;
struct IDataObject;
typedef struct tagOIFI OLEINPLACEFRAMEINFO;
typedef WORD CLIPFORMAT;

extern const IID IID_IRichEditOleCallback;

// What the control asks of its container; the control here keeps the callback and never asks it for
// objects, as it holds none.
struct IRichEditOleCallback : IUnknown {
    virtual HRESULT GetNewStorage(IStorage** lplpstg) = 0;
    virtual HRESULT GetInPlaceContext(IOleInPlaceFrame** lplpFrame, IOleInPlaceUIWindow** lplpDoc,
                                      OLEINPLACEFRAMEINFO* lpFrameInfo) = 0;
    virtual HRESULT ShowContainerUI(BOOL fShow) = 0;
    virtual HRESULT QueryInsertObject(CLSID* lpclsid, IStorage* lpstg, LONG cp) = 0;
    virtual HRESULT DeleteObject(IOleObject* lpoleobj) = 0;
    virtual HRESULT QueryAcceptData(IDataObject* lpdataobj, CLIPFORMAT* lpcfFormat, DWORD reco, BOOL fReally,
                                    HGLOBAL hMetaPict) = 0;
    virtual HRESULT ContextSensitiveHelp(BOOL fEnterMode) = 0;
    virtual HRESULT GetClipboardData(CHARRANGE* lpchrg, DWORD reco, IDataObject** lplpdataobj) = 0;
    virtual HRESULT GetDragDropEffect(BOOL fDrag, DWORD grfKeyState, DWORD* pdwEffect) = 0;
    virtual HRESULT GetContextMenu(WORD seltype, IOleObject* lpoleobj, CHARRANGE* lpchrg, HMENU* lphmenu) = 0;

protected:
    ~IRichEditOleCallback() = default;
};
