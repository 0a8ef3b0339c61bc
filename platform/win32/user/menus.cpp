// Menus as data: handles, items, menu templates, the system menu and window menus.
#include "win32/user/internal.h"

#include "win32/resources.h"

#include <algorithm>
#include <cstring>

namespace user {

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    HMENU sub = nullptr;
    std::u16string text;
    ULONG_PTR data = 0;
    HBITMAP checked = nullptr, unchecked = nullptr, bitmap = nullptr;
};

struct Menu {
    std::vector<MenuItem> items;
    bool popup = false;
};

namespace {

std::map<ULONG_PTR, std::shared_ptr<Menu>>& Menus()
{
    static auto* m = new std::map<ULONG_PTR, std::shared_ptr<Menu>>;
    return *m;
}

ULONG_PTR g_nextMenu = 0x5000;

Menu* GetMenuObj(HMENU h)
{
    auto it = Menus().find((ULONG_PTR)h);
    return it == Menus().end() ? nullptr : it->second.get();
}

HMENU NewMenu(bool popup)
{
    auto m = std::make_shared<Menu>();
    m->popup = popup;
    ULONG_PTR h = g_nextMenu++;
    Menus()[h] = m;
    return (HMENU)h;
}

// Finds an item by position, or by command anywhere in the menu and its submenus.
bool Locate(HMENU h, UINT item, UINT flags, Menu** menu, size_t* index, int depth = 0)
{
    Menu* m = GetMenuObj(h);
    if (!m || depth > 32)
        return false;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size())
            return false;
        *menu = m;
        *index = item;
        return true;
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        MenuItem& it = m->items[i];
        if (it.sub) {
            if (Locate(it.sub, item, flags, menu, index, depth + 1))
                return true;
            // A popup item matches its own id only when nothing inside does.
        }
        if (!it.sub && !(it.type & MFT_SEPARATOR) && it.id == item) {
            *menu = m;
            *index = i;
            return true;
        }
    }
    for (size_t i = 0; i < m->items.size(); ++i)
        if (m->items[i].sub && (UINT)(ULONG_PTR)m->items[i].sub == item) {
            *menu = m;
            *index = i;
            return true;
        }
    return false;
}

MenuItem FromFlags(UINT flags, UINT_PTR idNew, LPCWSTR newItem)
{
    MenuItem it;
    it.type = flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY |
                       MFT_RADIOCHECK);
    it.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
    if (flags & MF_POPUP)
        it.sub = (HMENU)idNew;
    else
        it.id = (UINT)idNew;
    if (flags & (MF_BITMAP))
        it.bitmap = (HBITMAP)newItem;
    else if (flags & MF_OWNERDRAW)
        it.data = (ULONG_PTR)newItem;
    else if (!(flags & MF_SEPARATOR) && newItem)
        it.text = newItem;
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW | MF_POPUP)) && !newItem)
        it.type |= MFT_SEPARATOR; // a string item without text is a separator
    return it;
}

bool Insert(HMENU h, UINT position, UINT flags, UINT_PTR idNew, LPCWSTR newItem)
{
    Menu* target = GetMenuObj(h);
    if (!target) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return false;
    }
    if ((flags & MF_POPUP) && !GetMenuObj((HMENU)idNew)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return false;
    }
    size_t index = target->items.size();
    if (position != (UINT)-1) {
        Menu* m;
        size_t i;
        if ((flags & MF_BYPOSITION)) {
            index = std::min<size_t>(position, target->items.size());
        } else if (Locate(h, position, flags, &m, &i)) {
            target = m;
            index = i;
        }
    }
    target->items.insert(target->items.begin() + index, FromFlags(flags, idNew, newItem));
    if (flags & MF_POPUP)
        GetMenuObj((HMENU)idNew)->popup = true;
    return true;
}

void FillInfo(const MenuItem& it, MENUITEMINFOW* mii)
{
    if (mii->fMask & (MIIM_TYPE | MIIM_FTYPE))
        mii->fType = it.type;
    if (mii->fMask & MIIM_STATE)
        mii->fState = it.state;
    if (mii->fMask & MIIM_ID)
        mii->wID = it.sub ? (UINT)(ULONG_PTR)it.sub : it.id;
    if (mii->fMask & MIIM_SUBMENU)
        mii->hSubMenu = it.sub;
    if (mii->fMask & MIIM_CHECKMARKS) {
        mii->hbmpChecked = it.checked;
        mii->hbmpUnchecked = it.unchecked;
    }
    if (mii->fMask & MIIM_DATA)
        mii->dwItemData = it.data;
    if (mii->fMask & MIIM_BITMAP)
        mii->hbmpItem = it.bitmap;
    if (mii->fMask & (MIIM_STRING | MIIM_TYPE)) {
        if ((it.type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) && !(mii->fMask & MIIM_STRING)) {
            if (it.type & MFT_BITMAP)
                mii->dwTypeData = (LPWSTR)it.bitmap;
            return;
        }
        if (mii->dwTypeData && mii->cch > 0) {
            UINT n = std::min<UINT>((UINT)it.text.size(), mii->cch - 1);
            std::copy_n(it.text.begin(), n, mii->dwTypeData);
            mii->dwTypeData[n] = 0;
            mii->cch = n;
        } else {
            mii->cch = (UINT)it.text.size();
        }
    }
}

bool ApplyInfo(MenuItem& it, const MENUITEMINFOW* mii)
{
    if (mii->fMask & MIIM_SUBMENU) {
        if (mii->hSubMenu && !GetMenuObj(mii->hSubMenu)) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return false;
        }
        it.sub = mii->hSubMenu;
        if (it.sub)
            GetMenuObj(it.sub)->popup = true;
    }
    if (mii->fMask & MIIM_FTYPE)
        it.type = (it.type & MFT_BITMAP) | (mii->fType & ~MFT_BITMAP);
    if (mii->fMask & MIIM_TYPE) {
        it.type = mii->fType;
        if (mii->fType & MFT_BITMAP)
            it.bitmap = (HBITMAP)mii->dwTypeData;
        else if (!(mii->fType & (MFT_SEPARATOR | MFT_OWNERDRAW)))
            it.text = Str(mii->dwTypeData);
    }
    if (mii->fMask & MIIM_STRING)
        it.text = Str(mii->dwTypeData);
    if (mii->fMask & MIIM_STATE)
        it.state = mii->fState;
    if (mii->fMask & MIIM_ID)
        it.id = mii->wID;
    if (mii->fMask & MIIM_CHECKMARKS) {
        it.checked = mii->hbmpChecked;
        it.unchecked = mii->hbmpUnchecked;
    }
    if (mii->fMask & MIIM_DATA)
        it.data = mii->dwItemData;
    if (mii->fMask & MIIM_BITMAP)
        it.bitmap = mii->hbmpItem;
    return true;
}

// ---- Templates ----------------------------------------------------------------------------------

// Menu templates come from resources, which may be damaged: every read is bounded by `end`,
// and nesting is limited.
struct Reader {
    const BYTE* p;
    const BYTE* end;
    bool ok = true;
    WORD Word()
    {
        if (end - p < 2) {
            ok = false;
            return 0;
        }
        WORD v;
        memcpy(&v, p, 2);
        p += 2;
        return v;
    }
    DWORD Dword()
    {
        if (end - p < 4) {
            ok = false;
            return 0;
        }
        DWORD v;
        memcpy(&v, p, 4);
        p += 4;
        return v;
    }
    std::u16string String()
    {
        std::u16string s;
        for (;;) {
            WORD c = Word();
            if (!ok || c == 0)
                return s;
            s.push_back((char16_t)c);
        }
    }
    void AlignDword(const BYTE* base)
    {
        size_t off = (size_t)(p - base);
        size_t pad = (4 - off % 4) % 4;
        if ((size_t)(end - p) < pad)
            p = end;
        else
            p += pad;
    }
};

bool ParseStandard(Reader& r, HMENU menu, int depth)
{
    if (depth > 16)
        return false;
    for (;;) {
        WORD flags = r.Word();
        if (!r.ok)
            return false;
        if (flags & MF_POPUP) {
            std::u16string text = r.String();
            HMENU sub = NewMenu(true);
            if (!r.ok || !ParseStandard(r, sub, depth + 1)) {
                DestroyMenuLocked(sub);
                return false;
            }
            Insert(menu, (UINT)-1, (flags & ~MF_END) | MF_POPUP, (UINT_PTR)sub, text.c_str());
        } else {
            WORD id = r.Word();
            std::u16string text = r.String();
            if (!r.ok)
                return false;
            UINT f = flags & ~(MF_END | MF_POPUP);
            if (text.empty() && id == 0)
                f |= MF_SEPARATOR;
            Insert(menu, (UINT)-1, f, id, text.c_str());
        }
        if (flags & MF_END)
            return true;
    }
}

bool ParseExtended(Reader& r, const BYTE* base, HMENU menu, int depth)
{
    if (depth > 16)
        return false;
    for (;;) {
        r.AlignDword(base);
        DWORD type = r.Dword();
        DWORD state = r.Dword();
        DWORD id = r.Dword();
        WORD resInfo = r.Word();
        std::u16string text = r.String();
        if (!r.ok)
            return false;
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        mii.fType = type;
        mii.fState = state;
        mii.wID = id;
        mii.dwTypeData = text.empty() ? nullptr : text.data();
        HMENU sub = nullptr;
        if (resInfo & 0x01) {
            r.AlignDword(base);
            r.Dword(); // help id
            sub = NewMenu(true);
            if (!r.ok || !ParseExtended(r, base, sub, depth + 1)) {
                DestroyMenuLocked(sub);
                return false;
            }
            mii.fMask |= MIIM_SUBMENU;
            mii.hSubMenu = sub;
        }
        MenuItem it;
        ApplyInfo(it, &mii);
        GetMenuObj(menu)->items.push_back(it);
        if (resInfo & 0x80)
            return true;
    }
}

} // namespace

void DestroyMenuLocked(HMENU h)
{
    auto it = Menus().find((ULONG_PTR)h);
    if (it == Menus().end())
        return;
    auto m = it->second;
    Menus().erase(it);
    for (auto& item : m->items)
        if (item.sub)
            DestroyMenuLocked(item.sub);
}

HMENU CreateSystemMenu(DWORD style)
{
    HMENU m = NewMenu(true);
    bool boxes = style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    if (boxes)
        Insert(m, (UINT)-1, MF_STRING, SC_RESTORE, u"\u8fd8\u539f(&R)");
    Insert(m, (UINT)-1, MF_STRING, SC_MOVE, u"\u79fb\u52a8(&M)");
    if (boxes || (style & WS_THICKFRAME))
        Insert(m, (UINT)-1, MF_STRING, SC_SIZE, u"\u5927\u5c0f(&S)");
    if (boxes) {
        Insert(m, (UINT)-1, MF_STRING, SC_MINIMIZE, u"\u6700\u5c0f\u5316(&N)");
        Insert(m, (UINT)-1, MF_STRING, SC_MAXIMIZE, u"\u6700\u5927\u5316(&X)");
    }
    Insert(m, (UINT)-1, MF_SEPARATOR, 0, nullptr);
    Insert(m, (UINT)-1, MF_STRING | MF_DEFAULT, SC_CLOSE, u"\u5173\u95ed(&C)\tAlt+F4");
    return m;
}

// Menu access for the popup tracker.
int MenuItemCountLocked(HMENU h)
{
    Menu* m = GetMenuObj(h);
    return m ? (int)m->items.size() : -1;
}

bool MenuItemLocked(HMENU h, int pos, UINT* type, UINT* state, UINT* id, HMENU* sub, std::u16string* text)
{
    Menu* m = GetMenuObj(h);
    if (!m || pos < 0 || pos >= (int)m->items.size())
        return false;
    const MenuItem& it = m->items[pos];
    *type = it.type;
    *state = it.state;
    *id = it.id;
    *sub = it.sub;
    *text = it.text;
    return true;
}

} // namespace user

using namespace user;

HMENU CreateMenu()
{
    Guard lk(Lock());
    return NewMenu(false);
}

HMENU CreatePopupMenu()
{
    Guard lk(Lock());
    return NewMenu(true);
}

BOOL DestroyMenu(HMENU menu)
{
    Guard lk(Lock());
    if (!GetMenuObj(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    // A menu still attached to a window stays with the window; detach it first.
    for (HWND h : AllWindows())
        if (Window* w = Find(h)) {
            if (!(w->style & WS_CHILD) && w->menu == menu)
                w->menu = nullptr;
        }
    DestroyMenuLocked(menu);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    Guard lk(Lock());
    return GetMenuObj(menu) != nullptr;
}

HMENU user::LoadMenuFrom(const BYTE* base, size_t size)
{
    Reader r{base, base + size};
    WORD version = r.Word();
    WORD offset = r.Word();
    Guard lk(Lock());
    HMENU menu = NewMenu(false);
    bool ok = r.ok;
    if (ok && version == 0) {
        ok = offset <= (size_t)(r.end - r.p);
        if (ok) {
            r.p += offset;
            ok = ParseStandard(r, menu, 0);
        }
    } else if (ok && version == 1) {
        ok = 4 + (size_t)offset <= size;
        if (ok) {
            r.p = base + 4 + offset;
            ok = ParseExtended(r, base, menu, 0);
        }
    } else {
        ok = false;
    }
    if (!ok) {
        DestroyMenuLocked(menu);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return menu;
}

HMENU LoadMenuIndirectW(const void* menuTemplate)
{
    if (!menuTemplate) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Without a size the template is trusted to be terminated; the reader still stops at 64 KB.
    return LoadMenuFrom((const BYTE*)menuTemplate, 0x10000);
}

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name)
{
    DWORD size;
    const BYTE* data = FindTemplate(instance, name, RT_MENU, &size);
    return data ? LoadMenuFrom(data, size) : nullptr;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem)
{
    Guard lk(Lock());
    return Insert(menu, (UINT)-1, flags | MF_BYPOSITION, idNewItem, newItem);
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem)
{
    Guard lk(Lock());
    return Insert(menu, position, flags, idNewItem, newItem);
}

BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW mii)
{
    if (!mii || mii->cbSize < offsetof(MENUITEMINFOW, hbmpItem)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard lk(Lock());
    Menu* target = GetMenuObj(menu);
    if (!target) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    size_t index = target->items.size();
    if (byPosition) {
        index = std::min<size_t>(item, target->items.size());
    } else {
        Menu* m;
        size_t i;
        if (Locate(menu, item, MF_BYCOMMAND, &m, &i)) {
            target = m;
            index = i;
        }
    }
    MenuItem it;
    if (!ApplyInfo(it, mii))
        return FALSE;
    target->items.insert(target->items.begin() + index, it);
    return TRUE;
}

BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem)
{
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, position, flags, &m, &i)) {
        SetLastError(GetMenuObj(menu) ? ERROR_NOT_FOUND : ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if ((flags & MF_POPUP) && !GetMenuObj((HMENU)idNewItem)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    HMENU oldSub = m->items[i].sub;
    m->items[i] = FromFlags(flags, idNewItem, newItem);
    if (oldSub && oldSub != m->items[i].sub)
        DestroyMenuLocked(oldSub);
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags)
{
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, position, flags, &m, &i)) {
        SetLastError(GetMenuObj(menu) ? ERROR_NOT_FOUND : ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    m->items.erase(m->items.begin() + i);
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags)
{
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, position, flags, &m, &i)) {
        SetLastError(GetMenuObj(menu) ? ERROR_NOT_FOUND : ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    HMENU sub = m->items[i].sub;
    m->items.erase(m->items.begin() + i);
    if (sub)
        DestroyMenuLocked(sub);
    return TRUE;
}

int GetMenuItemCount(HMENU menu)
{
    Guard lk(Lock());
    Menu* m = GetMenuObj(menu);
    if (!m) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return -1;
    }
    return (int)m->items.size();
}

UINT GetMenuItemID(HMENU menu, int pos)
{
    Guard lk(Lock());
    Menu* m = GetMenuObj(menu);
    if (!m || pos < 0 || pos >= (int)m->items.size())
        return (UINT)-1;
    const MenuItem& it = m->items[pos];
    return it.sub ? (UINT)-1 : it.id;
}

HMENU GetSubMenu(HMENU menu, int pos)
{
    Guard lk(Lock());
    Menu* m = GetMenuObj(menu);
    if (!m || pos < 0 || pos >= (int)m->items.size())
        return nullptr;
    return m->items[pos].sub;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int maxCount, UINT flags)
{
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, item, flags, &m, &i))
        return 0;
    const std::u16string& t = m->items[i].text;
    if (!buffer || maxCount <= 0)
        return (int)t.size();
    int n = std::min<int>((int)t.size(), maxCount - 1);
    std::copy_n(t.begin(), n, buffer);
    buffer[n] = 0;
    return n;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags)
{
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, id, flags, &m, &i))
        return (UINT)-1;
    const MenuItem& it = m->items[i];
    if (it.sub) {
        Menu* sub = GetMenuObj(it.sub);
        UINT count = sub ? (UINT)sub->items.size() : 0;
        return (count << 8) | ((it.state | it.type | MF_POPUP) & 0xFF);
    }
    return it.state | it.type;
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW mii)
{
    if (!mii || mii->cbSize < offsetof(MENUITEMINFOW, hbmpItem)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &m, &i)) {
        SetLastError(GetMenuObj(menu) ? 1456 /* menu item not found */ : ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    FillInfo(m->items[i], mii);
    return TRUE;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW mii)
{
    if (!mii || mii->cbSize < offsetof(MENUITEMINFOW, hbmpItem)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &m, &i)) {
        SetLastError(GetMenuObj(menu) ? 1456 : ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    return ApplyInfo(m->items[i], mii);
}

BOOL EnableMenuItem(HMENU menu, UINT idEnableItem, UINT enable)
{
    HWND redraw = nullptr;
    UINT old;
    {
        Guard lk(Lock());
        Menu* m;
        size_t i;
        if (!Locate(menu, idEnableItem, enable, &m, &i))
            return (BOOL)-1;
        old = m->items[i].state & (MF_GRAYED | MF_DISABLED);
        m->items[i].state = (m->items[i].state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
        // Greying Close in a system menu changes the caption's close button.
        if ((idEnableItem == SC_CLOSE || (enable & MF_BYPOSITION)))
            for (HWND h : AllWindows())
                if (Window* w = Find(h); w && w->sysMenu == menu)
                    redraw = h;
    }
    if (redraw)
        RedrawWindow(redraw, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    return (BOOL)old;
}

DWORD CheckMenuItem(HMENU menu, UINT idCheckItem, UINT check)
{
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, idCheckItem, check, &m, &i))
        return (DWORD)-1;
    DWORD old = m->items[i].state & MF_CHECKED;
    m->items[i].state = (m->items[i].state & ~MF_CHECKED) | (check & MF_CHECKED);
    return old;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags)
{
    Guard lk(Lock());
    Menu* m = nullptr;
    size_t a, b;
    if (flags & MF_BYPOSITION) {
        m = GetMenuObj(menu);
        if (!m || first > last || last >= m->items.size() || check < first || check > last)
            return FALSE;
        a = first;
        b = last;
    } else {
        Menu* m2;
        if (!Locate(menu, first, MF_BYCOMMAND, &m, &a) || !Locate(menu, last, MF_BYCOMMAND, &m2, &b) || m != m2)
            return FALSE;
        if (a > b)
            std::swap(a, b);
    }
    bool found = false;
    for (size_t i = a; i <= b; ++i) {
        MenuItem& it = m->items[i];
        bool on = (flags & MF_BYPOSITION) ? i == check : it.id == check;
        if (on) {
            it.state |= MF_CHECKED;
            it.type |= MFT_RADIOCHECK;
            found = true;
        } else {
            it.state &= ~MF_CHECKED;
        }
    }
    return found;
}

UINT GetMenuDefaultItem(HMENU menu, UINT byPos, UINT flags)
{
    Guard lk(Lock());
    Menu* m = GetMenuObj(menu);
    if (!m)
        return (UINT)-1;
    for (size_t i = 0; i < m->items.size(); ++i) {
        const MenuItem& it = m->items[i];
        if (!(it.state & MF_DEFAULT))
            continue;
        if ((it.state & (MF_GRAYED | MF_DISABLED)) && !(flags & GMDI_USEDISABLED))
            return (UINT)-1;
        if (it.sub && (flags & GMDI_GOINTOPOPUPS)) {
            lk.unlock();
            UINT inner = GetMenuDefaultItem(it.sub, byPos, flags);
            if (inner != (UINT)-1)
                return inner;
            lk.lock();
        }
        return byPos ? (UINT)i : it.id;
    }
    return (UINT)-1;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPos)
{
    Guard lk(Lock());
    Menu* m = GetMenuObj(menu);
    if (!m) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    size_t target = SIZE_MAX;
    if (item != (UINT)-1) {
        for (size_t i = 0; i < m->items.size(); ++i)
            if (byPos ? i == item : (m->items[i].id == item && !m->items[i].sub))
                target = i;
        if (target == SIZE_MAX)
            return FALSE;
    }
    for (size_t i = 0; i < m->items.size(); ++i)
        m->items[i].state = i == target ? (m->items[i].state | MF_DEFAULT) : (m->items[i].state & ~MF_DEFAULT);
    return TRUE;
}

BOOL SetMenu(HWND hwnd, HMENU menu)
{
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (w->style & WS_CHILD) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (menu && !GetMenuObj(menu)) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
        w->menu = menu;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

HMENU GetMenu(HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || (w->style & WS_CHILD))
        return nullptr;
    return w->menu;
}

BOOL DrawMenuBar(HWND hwnd)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

HMENU GetSystemMenu(HWND hwnd, BOOL revert)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || !(w->style & WS_SYSMENU))
        return nullptr;
    if (revert) {
        if (w->sysMenu)
            DestroyMenuLocked(w->sysMenu);
        w->sysMenu = nullptr;
        return nullptr;
    }
    if (!w->sysMenu)
        w->sysMenu = CreateSystemMenu(w->style);
    return w->sysMenu;
}

BOOL HiliteMenuItem(HWND hwnd, HMENU menu, UINT item, UINT hilite)
{
    Guard lk(Lock());
    Menu* m;
    size_t i;
    if (!Locate(menu, item, hilite, &m, &i))
        return FALSE;
    m->items[i].state = (m->items[i].state & ~MF_HILITE) | (hilite & MF_HILITE);
    return TRUE;
}
