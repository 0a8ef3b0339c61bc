// Accelerator tables and their translation into WM_COMMAND.
#include "win32/user/internal.h"

#include "win32/resources.h"

#include <cstring>

#include <algorithm>

namespace {

std::map<ULONG_PTR, std::vector<ACCEL>>& Tables()
{
    static auto* t = new std::map<ULONG_PTR, std::vector<ACCEL>>;
    return *t;
}

ULONG_PTR g_nextAccel = 0x6000;

bool MenuItemDisabled(HMENU menu, UINT cmd)
{
    if (!menu)
        return false;
    UINT state = GetMenuState(menu, cmd, MF_BYCOMMAND);
    return state != (UINT)-1 && (state & (MF_GRAYED | MF_DISABLED));
}

} // namespace

using namespace user;

HACCEL CreateAcceleratorTableW(LPACCEL accel, int count)
{
    if (!accel || count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Guard lk(Lock());
    ULONG_PTR h = g_nextAccel++;
    Tables()[h].assign(accel, accel + count);
    return (HACCEL)h;
}

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name)
{
    DWORD size;
    const BYTE* data = FindTemplate(instance, name, RT_ACCELERATOR, &size);
    if (!data)
        return nullptr;
    // Entries of 8 bytes: flags, key, command, padding; the last one has flag 0x80.
    std::vector<ACCEL> table;
    for (DWORD off = 0; off + 8 <= size; off += 8) {
        WORD f, key, cmd;
        memcpy(&f, data + off, 2);
        memcpy(&key, data + off + 2, 2);
        memcpy(&cmd, data + off + 4, 2);
        table.push_back(ACCEL{(BYTE)(f & 0x7F), key, cmd});
        if (f & 0x80)
            break;
    }
    if (table.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return CreateAcceleratorTableW(table.data(), (int)table.size());
}

int CopyAcceleratorTableW(HACCEL accel, LPACCEL dst, int count)
{
    Guard lk(Lock());
    auto it = Tables().find((ULONG_PTR)accel);
    if (it == Tables().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!dst)
        return (int)it->second.size();
    int n = std::min<int>(count, (int)it->second.size());
    std::copy_n(it->second.begin(), std::max(n, 0), dst);
    return std::max(n, 0);
}

BOOL DestroyAcceleratorTable(HACCEL accel)
{
    Guard lk(Lock());
    return Tables().erase((ULONG_PTR)accel) ? TRUE : FALSE;
}

int TranslateAcceleratorW(HWND hwnd, HACCEL accel, LPMSG msg)
{
    if (!msg || !IsWindow(hwnd))
        return 0;
    UINT m = msg->message;
    if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_CHAR && m != WM_SYSCHAR)
        return 0;
    std::vector<ACCEL> table;
    {
        Guard lk(Lock());
        auto it = Tables().find((ULONG_PTR)accel);
        if (it == Tables().end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        table = it->second;
    }
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    bool alt = GetKeyState(VK_MENU) < 0 || (msg->lParam & (1 << 29));
    for (const ACCEL& a : table) {
        bool virt = (a.fVirt & FVIRTKEY) != 0;
        if (virt) {
            if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN)
                continue;
            if (a.key != (WORD)msg->wParam)
                continue;
            if (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != ctrl ||
                ((a.fVirt & FALT) != 0) != alt)
                continue;
        } else {
            if (m != WM_CHAR && m != WM_SYSCHAR)
                continue;
            if (a.key != (WORD)msg->wParam)
                continue;
            if (((a.fVirt & FALT) != 0) != (m == WM_SYSCHAR))
                continue;
        }
        // A command whose menu item is disabled is swallowed without a WM_COMMAND.
        HWND root = GetAncestor(hwnd, GA_ROOT);
        if (MenuItemDisabled(GetMenu(root), a.cmd))
            return 1;
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}
