// Window classes: registration, lookup by name or atom, class information and class longs.
#include "win32/user/internal.h"
#include "win32/controls/control_util.h"

#include <algorithm>
#include <cstring>

namespace user {

namespace {

std::vector<std::shared_ptr<WndClass>>& Classes()
{
    static auto* v = new std::vector<std::shared_ptr<WndClass>>;
    return *v;
}

ATOM g_nextAtom = 0xC000;

char16_t Fold(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? (char16_t)(c - 32) : c;
}

bool SameName(const std::u16string& a, const std::u16string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return Fold(x) == Fold(y);
           });
}

void RegisterSystemClasses();

} // namespace

std::u16string ClassAtomName(ATOM atom)
{
    for (auto& c : Classes())
        if (c->atom == atom)
            return c->name;
    return std::u16string();
}

std::shared_ptr<WndClass> FindClass(LPCWSTR name, HINSTANCE instance)
{
    RegisterSystemClasses();
    if (!name)
        return nullptr;
    std::shared_ptr<WndClass> global;
    for (auto& c : Classes()) {
        bool match = IS_INTRESOURCE(name) ? c->atom == (ATOM)(ULONG_PTR)name : SameName(c->name, name);
        if (!match)
            continue;
        // A class of the instance asked for wins over a global one of the same name.
        if (c->instance == instance)
            return c;
        global = c;
    }
    return global;
}

namespace {

void RegisterSystemClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    auto c = std::make_shared<WndClass>();
    c->name = u"#32770";
    c->atom = 0x8002;
    c->style = CS_DBLCLKS | CS_SAVEBITS;
    c->proc = DefDlgProcW;
    c->wndExtra = 48; // DWLP_MSGRESULT, DWLP_DLGPROC, DWLP_USER and room after them
    c->cursor = GetSystemCursor((UINT)(ULONG_PTR)IDC_ARROW);
    c->background = (HBRUSH)(ULONG_PTR)(COLOR_BTNFACE + 1);
    c->system = true;
    Classes().push_back(c);
    auto m = std::make_shared<WndClass>();
    m->name = u"#32768";
    m->atom = 0x8000;
    m->style = CS_DBLCLKS | CS_SAVEBITS;
    m->proc = DefWindowProcW;
    m->cursor = GetSystemCursor((UINT)(ULONG_PTR)IDC_ARROW);
    m->background = (HBRUSH)(ULONG_PTR)(COLOR_MENU + 1);
    m->system = true;
    Classes().push_back(m);
    controls::AddClasses(Classes());
}

} // namespace

} // namespace user

using namespace user;

ATOM RegisterClassExW(const WNDCLASSEXW* wc)
{
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXW) || !wc->lpszClassName || !wc->lpfnWndProc || wc->cbClsExtra < 0 ||
        wc->cbWndExtra < 0 || wc->cbClsExtra > 40000 || wc->cbWndExtra > 40000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Guard lk(Lock());
    FindClass(u"#32770", nullptr);
    for (auto& c : Classes()) {
        bool same = IS_INTRESOURCE(wc->lpszClassName) ? c->atom == (ATOM)(ULONG_PTR)wc->lpszClassName
                                                      : SameName(c->name, wc->lpszClassName);
        if (same && !c->system && c->instance == wc->hInstance) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    if (IS_INTRESOURCE(wc->lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto c = std::make_shared<WndClass>();
    c->atom = g_nextAtom++;
    c->name = wc->lpszClassName;
    c->style = wc->style;
    c->proc = wc->lpfnWndProc;
    c->clsExtra = wc->cbClsExtra;
    c->wndExtra = wc->cbWndExtra;
    c->instance = wc->hInstance;
    c->icon = wc->hIcon;
    c->iconSm = wc->hIconSm;
    c->cursor = wc->hCursor;
    c->background = wc->hbrBackground;
    if (wc->lpszMenuName && IS_INTRESOURCE(wc->lpszMenuName))
        c->menuId = wc->lpszMenuName;
    else
        c->menuName = Str(wc->lpszMenuName);
    c->extra.assign((size_t)wc->cbClsExtra, 0);
    Classes().push_back(c);
    return c->atom;
}

ATOM RegisterClassW(const WNDCLASSW* wc)
{
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex{sizeof(ex), wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra, wc->hInstance,
                   wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName, wc->lpszClassName, nullptr};
    return RegisterClassExW(&ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance)
{
    Guard lk(Lock());
    auto& v = Classes();
    for (auto it = v.begin(); it != v.end(); ++it) {
        auto& c = *it;
        bool match = IS_INTRESOURCE(className) ? c->atom == (ATOM)(ULONG_PTR)className : SameName(c->name, className);
        if (!match || c->system || c->instance != instance)
            continue;
        if (c->windows > 0) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        v.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSEXW wc)
{
    Guard lk(Lock());
    auto c = FindClass(className, instance);
    if (!c || !wc) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    UINT size = wc->cbSize;
    *wc = WNDCLASSEXW{};
    wc->cbSize = size;
    wc->style = c->style;
    wc->lpfnWndProc = c->proc;
    wc->cbClsExtra = c->clsExtra;
    wc->cbWndExtra = c->wndExtra;
    wc->hInstance = c->instance;
    wc->hIcon = c->icon;
    wc->hCursor = c->cursor;
    wc->hbrBackground = c->background;
    wc->lpszMenuName = c->menuId ? c->menuId : (c->menuName.empty() ? nullptr : c->menuName.c_str());
    wc->lpszClassName = c->name.c_str();
    wc->hIconSm = c->iconSm;
    // The return value is the class atom, as callers use it to test for registration.
    return c->atom;
}

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW wc)
{
    WNDCLASSEXW ex{};
    ex.cbSize = sizeof(ex);
    BOOL r = GetClassInfoExW(instance, className, &ex);
    if (r && wc)
        *wc = WNDCLASSW{ex.style, ex.lpfnWndProc, ex.cbClsExtra, ex.cbWndExtra, ex.hInstance, ex.hIcon,
                        ex.hCursor, ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName};
    return r;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!buffer || maxCount <= 0)
        return 0;
    int n = std::min<int>((int)w->cls->name.size(), maxCount - 1);
    std::copy_n(w->cls->name.begin(), n, buffer);
    buffer[n] = 0;
    return n;
}

ULONG_PTR GetClassLongPtrW(HWND hwnd, int index)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    WndClass& c = *w->cls;
    if (index >= 0) {
        if ((size_t)index + sizeof(LONG_PTR) > c.extra.size()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        LONG_PTR v;
        memcpy(&v, c.extra.data() + index, sizeof(v));
        return (ULONG_PTR)v;
    }
    switch (index) {
    case GCLP_MENUNAME: return (ULONG_PTR)(c.menuId ? c.menuId : c.menuName.c_str());
    case GCLP_HBRBACKGROUND: return (ULONG_PTR)c.background;
    case GCLP_HCURSOR: return (ULONG_PTR)c.cursor;
    case GCLP_HICON: return (ULONG_PTR)c.icon;
    case GCLP_HICONSM: return (ULONG_PTR)c.iconSm;
    case GCLP_HMODULE: return (ULONG_PTR)c.instance;
    case GCL_CBWNDEXTRA: return (ULONG_PTR)c.wndExtra;
    case GCL_CBCLSEXTRA: return (ULONG_PTR)c.clsExtra;
    case GCLP_WNDPROC: return (ULONG_PTR)c.proc;
    case GCL_STYLE: return c.style;
    case GCW_ATOM: return c.atom;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    WndClass& c = *w->cls;
    ULONG_PTR old = 0;
    if (index >= 0) {
        if ((size_t)index + sizeof(LONG_PTR) > c.extra.size()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        memcpy(&old, c.extra.data() + index, sizeof(old));
        memcpy(c.extra.data() + index, &value, sizeof(value));
        return old;
    }
    switch (index) {
    case GCLP_HBRBACKGROUND: old = (ULONG_PTR)c.background; c.background = (HBRUSH)value; break;
    case GCLP_HCURSOR: old = (ULONG_PTR)c.cursor; c.cursor = (HCURSOR)value; break;
    case GCLP_HICON: old = (ULONG_PTR)c.icon; c.icon = (HICON)value; break;
    case GCLP_HICONSM: old = (ULONG_PTR)c.iconSm; c.iconSm = (HICON)value; break;
    case GCLP_WNDPROC: old = (ULONG_PTR)c.proc; c.proc = (WNDPROC)value; break;
    case GCL_STYLE: old = c.style; c.style = (UINT)value; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
    return old;
}
