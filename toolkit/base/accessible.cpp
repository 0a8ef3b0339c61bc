// Run-time binding of NotifyWinEvent, AccessibleObjectFromWindow and LresultFromObject.
#include "toolkit/base/accessible.h"

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
