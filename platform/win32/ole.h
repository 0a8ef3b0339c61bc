// Component-object shapes the program hands to and takes from the system: IUnknown, IDispatch,
// IAccessible, VARIANT and BSTR, laid out as the callers expect (one table of virtual methods each).
#pragma once

#include <cstring>

#include "win32/types.h"

typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;
typedef OLECHAR* BSTR;
typedef LONG DISPID;
typedef unsigned short VARTYPE;
typedef short VARIANT_BOOL;
typedef double DATE;
typedef const IID& REFIID;
typedef const GUID& REFGUID;
typedef const CLSID& REFCLSID;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }

// ---- VARIANT ------------------------------------------------------------------------------------
enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

struct IUnknown;
struct IDispatch;

typedef union tagCY {
    struct {
        DWORD Lo;
        LONG Hi;
    };
    LONGLONG int64;
} CY;

typedef struct tagVARIANT VARIANT;
struct tagVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        LONG scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        BSTR* pbstrVal;
        VARIANT* pvarVal;
        void* byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
    };
};
typedef VARIANT VARIANTARG;

inline void VariantInit(VARIANT* v) { std::memset(v, 0, sizeof(VARIANT)); }

// ---- Interfaces ---------------------------------------------------------------------------------
extern const IID IID_IUnknown;
extern const IID IID_IDispatch;
extern const IID IID_IAccessible;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

struct ITypeInfo;
struct DISPPARAMS;
struct EXCEPINFO;

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};
typedef IDispatch* LPDISPATCH;

struct IAccessible : IDispatch {
    virtual HRESULT get_accParent(IDispatch** ppdispParent) = 0;
    virtual HRESULT get_accChildCount(long* pcountChildren) = 0;
    virtual HRESULT get_accChild(VARIANT varChild, IDispatch** ppdispChild) = 0;
    virtual HRESULT get_accName(VARIANT varChild, BSTR* pszName) = 0;
    virtual HRESULT get_accValue(VARIANT varChild, BSTR* pszValue) = 0;
    virtual HRESULT get_accDescription(VARIANT varChild, BSTR* pszDescription) = 0;
    virtual HRESULT get_accRole(VARIANT varChild, VARIANT* pvarRole) = 0;
    virtual HRESULT get_accState(VARIANT varChild, VARIANT* pvarState) = 0;
    virtual HRESULT get_accHelp(VARIANT varChild, BSTR* pszHelp) = 0;
    virtual HRESULT get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic) = 0;
    virtual HRESULT get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut) = 0;
    virtual HRESULT get_accFocus(VARIANT* pvarChild) = 0;
    virtual HRESULT get_accSelection(VARIANT* pvarChildren) = 0;
    virtual HRESULT get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) = 0;
    virtual HRESULT accSelect(long flagsSelect, VARIANT varChild) = 0;
    virtual HRESULT accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild) = 0;
    virtual HRESULT accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) = 0;
    virtual HRESULT accHitTest(long xLeft, long yTop, VARIANT* pvarChild) = 0;
    virtual HRESULT accDoDefaultAction(VARIANT varChild) = 0;
    virtual HRESULT put_accName(VARIANT varChild, BSTR szName) = 0;
    virtual HRESULT put_accValue(VARIANT varChild, BSTR szValue) = 0;

protected:
    ~IAccessible() = default;
};

// Object ids of WM_GETOBJECT (declared with the window messages) and the accessibility events.
#define OBJID_WINDOW ((LONG)0x00000000)
#define OBJID_CLIENT ((LONG)0xFFFFFFFC)
#define OBJID_MENU ((LONG)0xFFFFFFFD)
#define CHILDID_SELF 0
#define EVENT_OBJECT_FOCUS 0x8005
#define EVENT_SYSTEM_MENUSTART 0x0004
#define EVENT_SYSTEM_MENUEND 0x0005
#define EVENT_SYSTEM_MENUPOPUPSTART 0x0006
#define EVENT_SYSTEM_MENUPOPUPEND 0x0007

// Roles and states that accessible objects report.
#define ROLE_SYSTEM_MENUBAR 0x02
#define ROLE_SYSTEM_MENUPOPUP 0x0B
#define ROLE_SYSTEM_MENUITEM 0x0C
#define ROLE_SYSTEM_TOOLBAR 0x16
#define ROLE_SYSTEM_PUSHBUTTON 0x2B
#define ROLE_SYSTEM_BUTTONMENU 0x39
#define ROLE_SYSTEM_LISTITEM 0x22
#define ROLE_SYSTEM_OUTLINE 0x23
#define STATE_SYSTEM_UNAVAILABLE 0x00000001
#define STATE_SYSTEM_EXPANDED 0x00000200
#define STATE_SYSTEM_COLLAPSED 0x00000400
#define STATE_SYSTEM_SELECTED 0x00000002
#define STATE_SYSTEM_FOCUSED 0x00000004
#define STATE_SYSTEM_HOTTRACKED 0x00000080
#define STATE_SYSTEM_INVISIBLE 0x00008000
#define STATE_SYSTEM_FOCUSABLE 0x00100000
#define STATE_SYSTEM_SELECTABLE 0x00200000
// accSelect flags.
#define SELFLAG_TAKEFOCUS 0x1
#define SELFLAG_TAKESELECTION 0x2

// BSTR and VARIANT services, and OLE start-up.
#include "win32/ole/automation.h"
