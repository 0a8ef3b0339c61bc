// The accessible mix-in, the child-id decoder and the run-time binding of NotifyWinEvent,
// AccessibleObjectFromWindow and LresultFromObject.
#include "toolkit/base/accessible.h"

#include <cstddef>

#include "afx/cmd_target.h"
#include "win32/kernel.h"

namespace {

using FnNotify = void (*)(DWORD, HWND, LONG, LONG);
using FnObjectFromWindow = HRESULT (*)(HWND, DWORD, const IID&, void**);
using FnLresult = LRESULT (*)(const IID&, WPARAM, void*);

FnNotify g_notify = nullptr;
FnObjectFromWindow g_objectFromWindow = nullptr;
FnLresult g_lresult = nullptr;

void BindNotify()
{
    // USER32 is always loaded; a layer that does not export the function leaves events unreported,
    // and the next caller looks again.
    if (g_notify)
        return;
    if (HMODULE user = GetModuleHandleW(u"USER32"))
        g_notify = reinterpret_cast<FnNotify>(reinterpret_cast<void*>(GetProcAddress(user, "NotifyWinEvent")));
}

void* BindOleAcc(const char* name)
{
    // Loaded on first success and kept; tried again on every call until it is found.
    static HMODULE oleacc = nullptr;
    if (!oleacc)
        oleacc = LoadLibraryW(u"oleacc.dll");
    return oleacc ? reinterpret_cast<void*>(GetProcAddress(oleacc, name)) : nullptr;
}

} // namespace

void CallNotifyWinEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId)
{
    BindNotify();
    if (g_notify)
        g_notify(event, hwnd, objectId, childId);
}

HRESULT CallAccessibleObjectFromWindow(HWND hwnd, DWORD objectId, const IID& riid, void** object)
{
    if (!g_objectFromWindow)
        g_objectFromWindow = reinterpret_cast<FnObjectFromWindow>(BindOleAcc("AccessibleObjectFromWindow"));
    if (!g_objectFromWindow)
        return E_FAIL;
    return g_objectFromWindow(hwnd, objectId, riid, object);
}

LRESULT CallLresultFromObject(const IID& riid, WPARAM wParam, void* object)
{
    if (!g_lresult)
        g_lresult = reinterpret_cast<FnLresult>(BindOleAcc("LresultFromObject"));
    if (!g_lresult)
        return E_FAIL;
    return g_lresult(riid, wParam, object);
}

// ---- CTKPAccessibleSupport -----------------------------------------------------------------------
CTKPAccessibleSupport::CTKPAccessibleSupport() { BindNotify(); }

HRESULT CTKPAccessibleSupport::GetAccessibleParent(IDispatch**) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleChildCount(long*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleChild(VARIANT, IDispatch**) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleName(VARIANT, BSTR*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleValue(VARIANT, BSTR*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleDescription(VARIANT, BSTR*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleRole(VARIANT, VARIANT*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleState(VARIANT, VARIANT*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleHelp(VARIANT, BSTR*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleHelpTopic(BSTR*, VARIANT, long*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleKeyboardShortcut(VARIANT, BSTR*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::GetAccessibleFocus(VARIANT*) { return S_FALSE; }
HRESULT CTKPAccessibleSupport::GetAccessibleSelection(VARIANT*) { return S_FALSE; }
HRESULT CTKPAccessibleSupport::GetAccessibleDefaultAction(VARIANT, BSTR*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::AccessibleSelect(long, VARIANT) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::AccessibleLocation(long*, long*, long*, long*, VARIANT) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::AccessibleNavigate(long, VARIANT, VARIANT*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::AccessibleHitTest(long, long, VARIANT*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::AccessibleDoDefaultAction(VARIANT) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::PutAccessibleName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::PutAccessibleValue(VARIANT, BSTR) { return E_NOTIMPL; }
CCmdTarget* CTKPAccessibleSupport::GetAccessibleTarget() { return nullptr; }

CTKPAccessibleSupport* CTKPAccessibleSupport::XAccessible::Owner()
{
    // The interface is a member of the mix-in: its owner starts that many bytes earlier.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    constexpr std::size_t offset = offsetof(CTKPAccessibleSupport, m_xAccessible);
#pragma GCC diagnostic pop
    return reinterpret_cast<CTKPAccessibleSupport*>(reinterpret_cast<char*>(this) - offset);
}

HRESULT CTKPAccessibleSupport::XAccessible::QueryInterface(REFIID riid, void** ppvObject)
{
    CCmdTarget* target = Owner()->GetAccessibleTarget();
    if (!target) {
        if (ppvObject)
            *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    return target->ExternalQueryInterface(&riid, ppvObject);
}

ULONG CTKPAccessibleSupport::XAccessible::AddRef()
{
    CCmdTarget* target = Owner()->GetAccessibleTarget();
    return target ? target->ExternalAddRef() : 0;
}

ULONG CTKPAccessibleSupport::XAccessible::Release()
{
    CCmdTarget* target = Owner()->GetAccessibleTarget();
    return target ? target->ExternalRelease() : 0;
}

HRESULT CTKPAccessibleSupport::XAccessible::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::XAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::XAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT CTKPAccessibleSupport::XAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                                   UINT*)
{
    return E_NOTIMPL;
}

HRESULT CTKPAccessibleSupport::XAccessible::get_accParent(IDispatch** p) { return Owner()->GetAccessibleParent(p); }
HRESULT CTKPAccessibleSupport::XAccessible::get_accChildCount(long* p) { return Owner()->GetAccessibleChildCount(p); }
HRESULT CTKPAccessibleSupport::XAccessible::get_accChild(VARIANT v, IDispatch** p)
{
    return Owner()->GetAccessibleChild(v, p);
}
HRESULT CTKPAccessibleSupport::XAccessible::get_accName(VARIANT v, BSTR* p) { return Owner()->GetAccessibleName(v, p); }
HRESULT CTKPAccessibleSupport::XAccessible::get_accValue(VARIANT v, BSTR* p) { return Owner()->GetAccessibleValue(v, p); }
HRESULT CTKPAccessibleSupport::XAccessible::get_accDescription(VARIANT v, BSTR* p)
{
    return Owner()->GetAccessibleDescription(v, p);
}
HRESULT CTKPAccessibleSupport::XAccessible::get_accRole(VARIANT v, VARIANT* p) { return Owner()->GetAccessibleRole(v, p); }
HRESULT CTKPAccessibleSupport::XAccessible::get_accState(VARIANT v, VARIANT* p)
{
    return Owner()->GetAccessibleState(v, p);
}
HRESULT CTKPAccessibleSupport::XAccessible::get_accHelp(VARIANT v, BSTR* p) { return Owner()->GetAccessibleHelp(v, p); }
HRESULT CTKPAccessibleSupport::XAccessible::get_accHelpTopic(BSTR* f, VARIANT v, long* t)
{
    return Owner()->GetAccessibleHelpTopic(f, v, t);
}
HRESULT CTKPAccessibleSupport::XAccessible::get_accKeyboardShortcut(VARIANT v, BSTR* p)
{
    return Owner()->GetAccessibleKeyboardShortcut(v, p);
}
HRESULT CTKPAccessibleSupport::XAccessible::get_accFocus(VARIANT* p) { return Owner()->GetAccessibleFocus(p); }
HRESULT CTKPAccessibleSupport::XAccessible::get_accSelection(VARIANT* p) { return Owner()->GetAccessibleSelection(p); }
HRESULT CTKPAccessibleSupport::XAccessible::get_accDefaultAction(VARIANT v, BSTR* p)
{
    return Owner()->GetAccessibleDefaultAction(v, p);
}
HRESULT CTKPAccessibleSupport::XAccessible::accSelect(long f, VARIANT v) { return Owner()->AccessibleSelect(f, v); }
HRESULT CTKPAccessibleSupport::XAccessible::accLocation(long* x, long* y, long* cx, long* cy, VARIANT v)
{
    return Owner()->AccessibleLocation(x, y, cx, cy, v);
}
HRESULT CTKPAccessibleSupport::XAccessible::accNavigate(long d, VARIANT v, VARIANT* p)
{
    return Owner()->AccessibleNavigate(d, v, p);
}
HRESULT CTKPAccessibleSupport::XAccessible::accHitTest(long x, long y, VARIANT* p)
{
    return Owner()->AccessibleHitTest(x, y, p);
}
HRESULT CTKPAccessibleSupport::XAccessible::accDoDefaultAction(VARIANT v) { return Owner()->AccessibleDoDefaultAction(v); }
HRESULT CTKPAccessibleSupport::XAccessible::put_accName(VARIANT v, BSTR s) { return Owner()->PutAccessibleName(v, s); }
HRESULT CTKPAccessibleSupport::XAccessible::put_accValue(VARIANT v, BSTR s) { return Owner()->PutAccessibleValue(v, s); }

// ---- Child ids ------------------------------------------------------------------------------------
LONG GetChildIdFromVariant(const VARIANT* pVar)
{
    // References are followed to any depth a real client builds; a chain longer than this can only
    // be a loop, which would otherwise never end.
    constexpr int kMaxDepth = 64;
    for (int depth = 0; pVar && depth < kMaxDepth; ++depth) {
        switch (pVar->vt) {
        case VT_I4:
            return pVar->lVal;
        case VT_I2:
            return pVar->iVal;
        case VT_BYREF | VT_I4:
            return pVar->plVal ? *pVar->plVal : -1;
        case VT_BYREF | VT_I2:
            return pVar->piVal ? *pVar->piVal : -1;
        case VT_BYREF | VT_VARIANT:
            pVar = pVar->pvarVal;
            break;
        default:
            return -1;
        }
    }
    return -1;
}
