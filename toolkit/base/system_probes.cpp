// Visual-style handles and the visual-style and common-controls probes.
#include "toolkit/base/system_probes.h"

static_assert(sizeof(OSVERSIONINFOW) == 276);

namespace {

// The library stays loaded for the life of the process once found; a layer without it leaves
// every handle closed.
HMODULE UxThemeModule()
{
    static HMODULE module = LoadLibraryW(u"UxTheme.dll");
    return module;
}

void* BindUxTheme(const char* name)
{
    HMODULE module = UxThemeModule();
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

struct DllVersionInfo {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};

} // namespace

OsVersionInfo::OsVersionInfo() : OSVERSIONINFOW{}
{
    dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!GetVersionExW(this))
        *static_cast<OSVERSIONINFOW*>(this) = OSVERSIONINFOW{sizeof(OSVERSIONINFOW), 0, 0, 0, 0, {}};
}

const OsVersionInfo& GetOsVersionInfo()
{
    static const OsVersionInfo info;
    return info;
}

DWORD GetDllVersion(HMODULE module)
{
    using Fn = HRESULT (*)(DllVersionInfo*);
    auto fn = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion"))) : nullptr;
    if (!fn)
        return 0;
    DllVersionInfo info{sizeof(DllVersionInfo), 0, 0, 0, 0};
    if (FAILED(fn(&info)))
        return 0;
    return info.dwMajorVersion << 16 | (info.dwMinorVersion & 0xFFFF);
}

HRESULT CTKPThemeHandle::OpenThemeData(HWND hwnd, LPCWSTR classList)
{
    CloseThemeData();
    using Fn = HTHEME (*)(HWND, LPCWSTR);
    auto fn = reinterpret_cast<Fn>(BindUxTheme("OpenThemeData"));
    if (!fn)
        return E_FAIL;
    m_hTheme = fn(hwnd, classList);
    return m_hTheme ? S_OK : E_FAIL;
}

HRESULT CTKPThemeHandle::CloseThemeData()
{
    if (!m_hTheme)
        return S_OK;
    using Fn = HRESULT (*)(HTHEME);
    auto fn = reinterpret_cast<Fn>(BindUxTheme("CloseThemeData"));
    HRESULT hr = fn ? fn(m_hTheme) : E_FAIL;
    m_hTheme = nullptr;
    return hr;
}

BOOL CTKPThemeHandle::IsAppThemed() const
{
    if (!m_hTheme)
        return FALSE;
    using Fn = BOOL (*)();
    auto fn = reinterpret_cast<Fn>(BindUxTheme("IsAppThemed"));
    return fn ? fn() : FALSE;
}

BOOL CTKPThemeHandle::IsThemeActive() const
{
    using Fn = BOOL (*)();
    auto fn = reinterpret_cast<Fn>(BindUxTheme("IsThemeActive"));
    return fn ? fn() : FALSE;
}

HRESULT CTKPThemeHandle::DrawThemeBackground(HDC hdc, int part, int state, const RECT* rc, const RECT* clip)
{
    using Fn = HRESULT (*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    auto fn = reinterpret_cast<Fn>(BindUxTheme("DrawThemeBackground"));
    return fn && m_hTheme ? fn(m_hTheme, hdc, part, state, rc, clip) : E_FAIL;
}

HRESULT CTKPThemeHandle::GetThemeColor(int part, int state, int prop, COLORREF* color) const
{
    using Fn = HRESULT (*)(HTHEME, int, int, int, COLORREF*);
    auto fn = reinterpret_cast<Fn>(BindUxTheme("GetThemeColor"));
    return fn && m_hTheme ? fn(m_hTheme, part, state, prop, color) : E_FAIL;
}

HRESULT CTKPThemeHandle::GetCurrentThemeName(LPWSTR file, int cchFile, LPWSTR colour, int cchColour, LPWSTR size,
                                             int cchSize) const
{
    using Fn = HRESULT (*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
    auto fn = reinterpret_cast<Fn>(BindUxTheme("GetCurrentThemeName"));
    return fn ? fn(file, cchFile, colour, cchColour, size, cchSize) : E_FAIL;
}

DWORD GetComCtlVersion()
{
    static const DWORD version = [] {
        HMODULE module = LoadLibraryW(u"comctl32.dll");
        DWORD v = GetDllVersion(module);
        if (module)
            FreeLibrary(module);
        return v;
    }();
    return version;
}

BOOL IsVisualStyleActive()
{
    if (!BindUxTheme("IsThemeActive"))
        return FALSE;
    CTKPThemeHandle probe;
    return probe.IsThemeActive() && (GetComCtlVersion() & 0xFFFF0000u) > 0x50000u;
}
