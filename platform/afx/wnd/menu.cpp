// CMenu: the handle maps, loading from resources and popup tracking.
#include "afx/menu.h"
#include "afx/wnd.h"

#include <memory>
#include <unordered_map>

IMPLEMENT_DYNCREATE(CMenu, CObject)

namespace {
// Menus, like windows, are used by the thread that made their objects.
thread_local std::unordered_map<HMENU, CMenu*> t_permanent;
thread_local std::unordered_map<HMENU, std::unique_ptr<CMenu>> t_temporary;
} // namespace

CMenu* PASCAL CMenu::FromHandlePermanent(HMENU hMenu) {
    auto it = t_permanent.find(hMenu);
    return it == t_permanent.end() ? nullptr : it->second;
}

CMenu* PASCAL CMenu::FromHandle(HMENU hMenu) {
    if (!hMenu)
        return nullptr;
    if (CMenu* p = FromHandlePermanent(hMenu))
        return p;
    auto& slot = t_temporary[hMenu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = hMenu;
    }
    return slot.get();
}

void PASCAL CMenu::DeleteTempMap() {
    // A temporary object never owns its menu.
    for (auto& [h, p] : t_temporary)
        p->m_hMenu = nullptr;
    t_temporary.clear();
}

BOOL CMenu::Attach(HMENU hMenu) {
    if (!hMenu || m_hMenu || FromHandlePermanent(hMenu))
        return FALSE;
    m_hMenu = hMenu;
    t_permanent[hMenu] = this;
    if (auto it = t_temporary.find(hMenu); it != t_temporary.end())
        it->second->m_hMenu = nullptr, t_temporary.erase(it);
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (h) {
        auto it = t_permanent.find(h);
        if (it != t_permanent.end() && it->second == this)
            t_permanent.erase(it);
    }
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu)
        return FALSE;
    return ::DestroyMenu(Detach());
}

BOOL CMenu::LoadMenu(LPCWSTR lpszResourceName) {
    if (m_hMenu)
        return FALSE;
    HMENU h = ::LoadMenuW(::GetModuleHandleW(nullptr), lpszResourceName);
    if (!h)
        return FALSE;
    if (!Attach(h)) {
        ::DestroyMenu(h);
        return FALSE;
    }
    return TRUE;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
    int n = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (n <= 0) {
        rString.Empty();
        return 0;
    }
    LPWSTR buf = rString.GetBufferSetLength(n);
    n = ::GetMenuStringW(m_hMenu, nIDItem, buf, n + 1, nFlags);
    rString.ReleaseBuffer(n);
    return n;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : nullptr, lpRect);
}

BOOL CMenu::TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd* pWnd, LPTPMPARAMS lptpm) {
    return ::TrackPopupMenuEx(m_hMenu, fuFlags, x, y, pWnd ? pWnd->m_hWnd : nullptr, lptpm);
}
