// The class table of the standard controls and the helpers they share.
#include "win32/controls/control_util.h"
#include "win32/controls/dll_version.h"

#include "win32/user/internal.h"

namespace controls {

void AddClasses(std::vector<std::shared_ptr<user::WndClass>>& into)
{
    // One class a line, so that classes added side by side merge cleanly.
    const ClassInfo infos[] = {
        ButtonClass(),
        StaticClass(),
        EditClass(),
        ListBoxClass(),
        ComboListClass(),
        ComboBoxClass(),
        HeaderClass(),
        ListViewClass(),
        TreeViewClass(),
        TabClass(),
        ToolbarClass(),
        RebarClass(),
        ScrollBarClass(),
        ProgressClass(),
        StatusBarClass(),
        ToolTipClass(),
        RichEditClass(),
        RichEdit10Class(),
    };
    // Atoms of their own range, clear of the window manager's and of registered classes.
    ATOM atom = 0xB000;
    for (const ClassInfo& i : infos) {
        auto c = std::make_shared<user::WndClass>();
        c->name = i.name;
        c->atom = atom++;
        c->style = i.style | CS_GLOBALCLASS;
        c->proc = i.proc;
        c->wndExtra = (int)sizeof(void*);
        c->cursor = i.cursor;
        c->background = i.background ? (HBRUSH)(ULONG_PTR)i.background : nullptr;
        c->system = true;
        into.push_back(c);
    }
}

void NotifyCommand(HWND hwnd, UINT code)
{
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), (LPARAM)hwnd);
}

HBRUSH ControlColor(HWND hwnd, HDC hdc, UINT ctlColorMsg)
{
    HWND parent = GetParent(hwnd);
    if (!parent)
        return (HBRUSH)DefWindowProcW(hwnd, ctlColorMsg, (WPARAM)hdc, (LPARAM)hwnd);
    return (HBRUSH)SendMessageW(parent, ctlColorMsg, (WPARAM)hdc, (LPARAM)hwnd);
}

HFONT FontOrDefault(HFONT font)
{
    return font ? font : (HFONT)GetStockObject(SYSTEM_FONT);
}

std::u16string WindowText(HWND hwnd)
{
    int n = GetWindowTextLengthW(hwnd);
    std::u16string s((size_t)n + 1, u'\0');
    n = GetWindowTextW(hwnd, s.data(), n + 1);
    s.resize((size_t)(n > 0 ? n : 0));
    return s;
}

} // namespace controls

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc)
{
    // The classes are in the window manager's table from its first use on.
    if (!icc || icc->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    return TRUE;
}

void InitCommonControls() {}

// The common controls answer as version 6.0 of the XP SP3 build.
HRESULT CommonControlsGetVersion(DLLVERSIONINFO* info)
{
    if (!info || (info->cbSize != sizeof(DLLVERSIONINFO) && info->cbSize != sizeof(DLLVERSIONINFO2)))
        return E_INVALIDARG;
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 2900;
    info->dwPlatformID = DLLVER_PLATFORM_NT;
    if (info->cbSize == sizeof(DLLVERSIONINFO2)) {
        auto* v2 = (DLLVERSIONINFO2*)info;
        v2->dwFlags = 0;
        v2->ullVersion = MAKEDLLVERULL(6, 0, 2900, 5512);
    }
    return S_OK;
}
