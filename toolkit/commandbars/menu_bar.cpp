// The menu bar: the frame's menu as controls, the hooks on the frame and the MDI windows, the menus
// of MDI children and the window buttons of a maximised child.
#include "toolkit/commandbars/menu_bar.h"

#include "afx/mdi_frame.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_bar.h"

#include <vector>

IMPLEMENT_SERIAL(CTKPMenuBar, CTKPToolBar, VERSIONABLE_SCHEMA | 16)

namespace {

// Ends the menu tracking a control ran in, the way executing a command does.
void CloseTracking(CTKPControl* control)
{
    CTKPCommandBar* parent = control->GetParent();
    CTKPCommandBar* root = parent ? parent->GetRootParent() : nullptr;
    if (root && root->m_bKeyboardEntry)
        root->SetTrackingMode(0, TRUE, FALSE);
    else
        CTKPMouseTracker::GetThreadTracker()->CloseAll();
}

// A window command of an MDI child: one of the maximised child's buttons (a "Marlett" glyph) or an
// entry of its system menu. Executing it posts the system command to the child.
class CTKPControlMdiCommand : public CTKPControlButton {
public:
    CTKPControlMdiCommand(UINT command, WCHAR glyph, HWND target) : m_nCommand(command), m_glyph(glyph), m_hWndTarget(target)
    {
        m_dwFlags |= glyph ? (TKP_FLAG_RIGHTALIGN | TKP_FLAG_SKIPFOCUS | TKP_FLAG_MANUALUPDATE | TKP_FLAG_NOMOVABLE)
                           : TKP_FLAG_MANUALUPDATE;
    }

    CSize GetSize(CDC* pDC) override
    {
        if (!m_glyph)
            return CTKPControlButton::GetSize(pDC);
        return CSize(::GetSystemMetrics(SM_CXMENUSIZE) - 2, ::GetSystemMetrics(SM_CYMENUSIZE) - 2);
    }

    void Draw(CDC* pDC) override
    {
        if (!m_glyph) {
            CTKPControlButton::Draw(pDC);
            return;
        }
        CTKPPaintManager* paint = GetPaintManager();
        if (!paint || !pDC)
            return;
        const RECT rc = GetRect();
        COLORREF color = paint->DrawControlFaceByState(pDC->m_hDC, this, rc);
        if (!GetEnabled())
            color = ::GetSysColor(COLOR_GRAYTEXT);
        // The glyph fills most of the button, leaving the face's frame free.
        const int height = rc.bottom - rc.top;
        HFONT font = ::CreateFontW(-std::max(height - 6, 6), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET,
                                   0, 0, 0, 0, u"Marlett");
        HGDIOBJ old = ::SelectObject(pDC->m_hDC, font);
        const int oldMode = ::SetBkMode(pDC->m_hDC, TRANSPARENT);
        const COLORREF oldColor = ::SetTextColor(pDC->m_hDC, color);
        RECT text = rc;
        const WCHAR glyph[2] = {m_glyph, 0};
        ::DrawTextW(pDC->m_hDC, glyph, 1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::SetTextColor(pDC->m_hDC, oldColor);
        ::SetBkMode(pDC->m_hDC, oldMode);
        ::SelectObject(pDC->m_hDC, old);
        ::DeleteObject(font);
    }

    void OnExecute() override
    {
        const HWND target = m_hWndTarget;
        const UINT command = m_nCommand;
        CloseTracking(this);
        if (target && ::IsWindow(target))
            ::PostMessageW(target, WM_SYSCOMMAND, command, 0);
    }

    UINT m_nCommand;
    WCHAR m_glyph;
    HWND m_hWndTarget;
};

// The maximised child's icon: it opens the child's system menu.
class CTKPControlMdiIcon : public CTKPControlPopup {
public:
    CTKPControlMdiIcon() : CTKPControlPopup(TKP_CONTROL_POPUP)
    {
        m_dwFlags |= TKP_FLAG_MANUALUPDATE | TKP_FLAG_NOMOVABLE;
        m_nPopupStyle = 2;
    }
    ~CTKPControlMdiIcon() override
    {
        if (m_hIcon)
            ::DestroyIcon(m_hIcon);
    }

    CSize GetSize(CDC*) override { return CSize(16, 16); }

    void Draw(CDC* pDC) override
    {
        if (!pDC)
            return;
        RECT hot = GetRect();
        ::InflateRect(&hot, 1, 1);
        if (CTKPPaintManager* paint = GetPaintManager(); paint && (GetSelected() || IsPopupOpen()))
            paint->DrawControlFaceByState(pDC->m_hDC, this, hot);
        if (m_hIcon) {
            const RECT rc = GetRect();
            ::DrawStateW(pDC->m_hDC, nullptr, nullptr, LPARAM(m_hIcon), 0, rc.left, rc.top, 16, 16, DST_ICON);
        }
    }

    // Takes the child's icon and rebuilds the popup from the child's system menu.
    void Update(HWND child, CTKPCommandBars* bars)
    {
        m_hWndChild = child;
        HICON icon = HICON(::SendMessageW(child, TKP_WM_GETMDICHILDICON, 0, 0));
        if (!icon)
            icon = HICON(::SendMessageW(child, WM_GETICON, ICON_SMALL, 0));
        if (!icon)
            icon = HICON(::SendMessageW(child, WM_GETICON, ICON_BIG, 0));
        if (!icon)
            icon = HICON(::GetClassLongPtrW(child, GCLP_HICONSM));
        if (!icon)
            icon = ::LoadIconW(nullptr, IDI_WINLOGO);
        HICON copy = icon ? ::CopyIcon(icon) : nullptr;
        if (m_hIcon)
            ::DestroyIcon(m_hIcon);
        m_hIcon = copy;

        CTKPCommandBar* popup = GetCommandBar();
        if (!popup) {
            CTKPPopupBar* made = CTKPPopupBar::CreatePopupBar(bars);
            SetCommandBar(made);
            made->InternalRelease();
            popup = made;
        }
        CTKPControls* controls = popup->GetControls();
        controls->RemoveAll();
        HMENU menu = ::GetSystemMenu(child, FALSE);
        const int count = menu ? ::GetMenuItemCount(menu) : 0;
        const int defaultItem = menu ? int(::GetMenuDefaultItem(menu, TRUE, GMDI_USEDISABLED)) : -1;
        BOOL group = FALSE;
        for (int i = 0; i < count; ++i) {
            const UINT id = ::GetMenuItemID(menu, i);
            if (id == 0) {
                group = TRUE;
                continue;
            }
            if (id < 0xF000 || id >= 0xF1F0)
                continue;
            auto* entry = new CTKPControlMdiCommand(id, 0, child);
            controls->AddControl(entry, id);
            WCHAR text[256] = {};
            ::GetMenuStringW(menu, UINT(i), text, 255, MF_BYPOSITION);
            entry->SetCaption(text);
            CString description;
            GetResourceLoader().LoadString(description, ((id - 0xF000) >> 4) + 0xEF00);
            entry->m_strDescriptionText = description;
            entry->m_bBeginGroup = group;
            entry->m_bDefaultItem = i == defaultItem;
            entry->m_bEnabled = !(::GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_DISABLED);
            group = FALSE;
        }
    }

    HICON m_hIcon = nullptr;
    HWND m_hWndChild = nullptr;
};

} // namespace

CTKPMenuBar::CTKPMenuBar()
{
    m_barType = TKP_BARTYPE_MENUBAR;
    m_bShowExpandButton = FALSE;
}

CTKPMenuBar::~CTKPMenuBar()
{
    UnhookWindows();
    ReleaseMenus();
    if (m_hFrameMenu)
        ::DestroyMenu(m_hFrameMenu);
}

BOOL CTKPMenuBar::LoadMenuBar(UINT id)
{
    if (id) {
        CMenu menu;
        if (!menu.LoadMenu(id) || !LoadMenu(&menu, TRUE))
            return FALSE;
        m_nDefaultMenuId = id;
        m_nCurrentKey = id;
        m_nResourceId = id;
    }
    HookFrame();
    const UINT windowCommands[] = {SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE};
    if (CTKPImageManager* images = GetImageManager())
        images->SetIconsFromBitmap(TKP_IDB_WINDOW_COMMANDS, windowCommands, 4, 16, 16);
    if (m_hWndFrameHooked)
        if (HMENU menu = ::GetMenu(m_hWndFrameHooked)) {
            if (m_hFrameMenu && m_hFrameMenu != menu)
                ::DestroyMenu(m_hFrameMenu);
            m_hFrameMenu = menu;
            ::SetMenu(m_hWndFrameHooked, nullptr);
        }
    return TRUE;
}

void CTKPMenuBar::UnhookWindows()
{
    for (HWND hWnd : {m_hWndFrameHooked, m_hWndClientHooked, m_hWndActiveChild})
        if (hWnd)
            RemoveHook(hWnd, this);
    m_hWndFrameHooked = m_hWndClientHooked = m_hWndActiveChild = nullptr;
}

void CTKPMenuBar::HookFrame()
{
    UnhookWindows();
    CTKPCommandBars* bars = GetCommandBars();
    CFrameWnd* frame = bars ? bars->GetSite() : nullptr;
    if (!frame || !frame->m_hWnd)
        return;
    m_hWndFrameHooked = frame->m_hWnd;
    AddHook(m_hWndFrameHooked, this);
    auto* mdi = dynamic_cast<CMDIFrameWnd*>(frame);
    m_bMdi = mdi != nullptr;
    if (mdi && mdi->m_hWndMDIClient) {
        m_hWndClientHooked = mdi->m_hWndMDIClient;
        AddHook(m_hWndClientHooked, this);
    }
}

HWND CTKPMenuBar::GetActiveMdiChild(BOOL* maximised) const
{
    BOOL zoomed = FALSE;
    HWND child = nullptr;
    if (m_bMdi && m_hWndClientHooked && ::IsWindow(m_hWndClientHooked))
        child = HWND(::SendMessageW(m_hWndClientHooked, WM_MDIGETACTIVE, 0, LPARAM(&zoomed)));
    if (child && !::IsWindow(child))
        child = nullptr;
    if (maximised)
        *maximised = child && zoomed;
    return child;
}

void CTKPMenuBar::RefreshMdi()
{
    HWND child = GetActiveMdiChild();
    if (child != m_hWndActiveChild) {
        if (m_hWndActiveChild)
            RemoveHook(m_hWndActiveChild, this);
        m_hWndActiveChild = child;
        if (child)
            AddHook(child, this);
    }
    if (IsVisible())
        RefreshMdiControls();
}

void CTKPMenuBar::RefreshMdiControls()
{
    BOOL maximised = FALSE;
    HWND child = GetActiveMdiChild(&maximised);
    if (!maximised)
        child = nullptr;
    const LONG_PTR style = child ? ::GetWindowLongPtrW(child, GWL_STYLE) : 0;
    struct Wanted {
        UINT id;
        BOOL wanted;
        UINT command;
        WCHAR glyph;
    };
    const Wanted wanted[] = {
        {TKP_ID_MDI_SYSMENU, child && (m_dwFlags & TKP_MENUBAR_SHOWMDIICON), 0, 0},
        {TKP_ID_MDI_MINIMIZE, child && (style & WS_MINIMIZEBOX) && !(m_dwFlags & TKP_MENUBAR_NOMINIMIZE), SC_MINIMIZE,
         u'0'},
        {TKP_ID_MDI_RESTORE, child && (style & WS_MAXIMIZEBOX) && !(m_dwFlags & TKP_MENUBAR_NORESTORE), SC_RESTORE,
         u'2'},
        {TKP_ID_MDI_CLOSE, child && !(m_dwFlags & TKP_MENUBAR_NOCLOSE), SC_CLOSE, u'r'},
    };
    auto find = [&](UINT id) -> CTKPControl* {
        for (int i = 0; i < m_pControls->GetCount(); ++i)
            if (CTKPControl* c = m_pControls->GetAt(i); c->m_bTemporary && c->GetID() == id)
                return c;
        return nullptr;
    };
    LockRedraw();
    BOOL changed = FALSE;
    for (size_t w = 0; w < std::size(wanted); ++w) {
        CTKPControl* control = find(wanted[w].id);
        if (!wanted[w].wanted) {
            if (control) {
                m_pControls->Remove(control);
                changed = TRUE;
            }
            continue;
        }
        if (!control) {
            // In the order of the table, before the next window control already there.
            int before = -1;
            for (size_t n = w + 1; n < std::size(wanted) && before == -1; ++n)
                if (CTKPControl* next = find(wanted[n].id))
                    before = next->GetIndex();
            CTKPControl* made = wanted[w].glyph
                                    ? static_cast<CTKPControl*>(new CTKPControlMdiCommand(wanted[w].command,
                                                                                          wanted[w].glyph, child))
                                    : new CTKPControlMdiIcon();
            control = m_pControls->AddControl(made, wanted[w].id, nullptr, before, TRUE);
            if (wanted[w].glyph)
                control->SetCaption(CString(wanted[w].glyph));
            changed = TRUE;
        }
        if (auto* icon = dynamic_cast<CTKPControlMdiIcon*>(control))
            icon->Update(child, GetCommandBars());
        else if (auto* button = dynamic_cast<CTKPControlMdiCommand*>(control))
            button->m_hWndTarget = child;
    }
    UnlockRedraw();
    if (changed)
        OnRecalcLayout();
}

CTKPControls* CTKPMenuBar::GetSavedMenu(UINT_PTR key) const
{
    auto it = m_menus.find(key);
    return it == m_menus.end() ? nullptr : it->second;
}

void CTKPMenuBar::StoreMenu(UINT_PTR key, CTKPControls* controls)
{
    auto it = m_menus.find(key);
    if (it != m_menus.end()) {
        if (it->second != controls)
            it->second->InternalRelease();
        it->second = controls;
        return;
    }
    m_menus.emplace(key, controls);
}

void CTKPMenuBar::PutAway(CTKPControls* controls)
{
    if (m_nCurrentKey)
        StoreMenu(m_nCurrentKey, controls);
    else
        controls->InternalRelease();
}

void CTKPMenuBar::ReleaseMenus()
{
    std::map<UINT_PTR, CTKPControls*> menus;
    menus.swap(m_menus);
    for (auto& [key, controls] : menus)
        controls->InternalRelease();
}

CTKPControls* CTKPMenuBar::AttachControls(CTKPControls* controls)
{
    CTKPControls* old = m_pControls;
    CTKPCommandBars* bars = GetCommandBars();
    // The window controls belong to the bar, not to the menu that is put away.
    for (int i = old->GetCount() - 1; i >= 0; --i)
        if (old->GetAt(i)->m_bTemporary)
            old->RemoveAt(i);
    old->SetParent(nullptr);
    old->SetCommandBars(bars);
    m_pControls = controls;
    controls->SetCommandBars(bars);
    controls->SetParent(this);
    OnControlsChanged();
    return old;
}

void CTKPMenuBar::SwitchMenu(HMENU menu)
{
    CTKPCommandBars* bars = GetCommandBars();
    const BOOL frameMenu = !menu || menu == m_hFrameMenu;
    const UINT_PTR key = frameMenu ? UINT_PTR(m_nDefaultMenuId) : UINT_PTR(bars ? bars->GetActiveMenuId() : 0);
    if (!key || key == m_nCurrentKey)
        return;
    // The frame's own menu can come back from its resource when the frame had none.
    CMenu loaded;
    if (frameMenu && !(m_hFrameMenu && ::IsMenu(m_hFrameMenu)) && loaded.LoadMenu(m_nDefaultMenuId))
        menu = loaded.m_hMenu;
    else if (frameMenu)
        menu = m_hFrameMenu;
    CTKPControls* saved = GetSavedMenu(key);
    if (!saved && (!menu || !::IsMenu(menu) || ::GetMenuItemCount(menu) <= 0))
        return;
    CMenu* source = CMenu::FromHandle(menu);
    if (!bars || !bars->m_bCustomizable) {
        LoadMenu(source, TRUE);
        m_nCurrentKey = key;
        OnRecalcLayout();
        return;
    }
    CTKPControls* next = saved;
    if (next) {
        m_menus.erase(key);
        if (!next->GetOriginalControls() && menu && ::IsMenu(menu)) {
            // The originals come from the menu, built in a collection of their own.
            CTKPControls* scratch = new CTKPControls();
            CTKPControls* previous = AttachControls(scratch);
            LoadMenu(source, TRUE);
            CTKPControls* originals = scratch->Duplicate(TRUE);
            next->SetOriginalControls(originals);
            originals->InternalRelease();
            AttachControls(previous)->InternalRelease();
        }
        PutAway(AttachControls(next));
    } else {
        next = new CTKPControls();
        PutAway(AttachControls(next));
        LoadMenu(source, TRUE);
        next->CreateOriginalControls();
    }
    m_nCurrentKey = key;
    OnRecalcLayout();
}

void CTKPMenuBar::PrepareForSave()
{
    m_bSavedMenus = FALSE;
    if (!m_menus.empty()) {
        SwitchMenu(m_hFrameMenu);
        m_bSavedMenus = TRUE;
    }
    for (auto it = m_menus.begin(); it != m_menus.end();) {
        CTKPControls* controls = it->second;
        if (controls->GetOriginalControls() && controls->Compare(controls->GetOriginalControls())) {
            controls->InternalRelease();
            it = m_menus.erase(it);
        } else {
            ++it;
        }
    }
}

void CTKPMenuBar::Reset()
{
    if (m_menus.empty() && m_pControls->GetOriginalControls()) {
        CTKPToolBar::Reset();
    } else if (m_nCurrentKey) {
        CString format, text;
        GetResourceLoader().LoadString(format, 9349);
        text.Format(format.GetString(), m_strTitle.GetString());
        CWnd* site = GetSite();
        if (::MessageBoxW(site ? site->m_hWnd : nullptr, text, nullptr, MB_OKCANCEL | MB_ICONWARNING) != IDOK)
            return;
        CMenu menu;
        if (menu.LoadMenu(UINT(m_nCurrentKey)))
            LoadMenu(&menu, TRUE);
    }
    RefreshMdi();
    m_pControls->SetParent(this);
    OnRecalcLayout();
}

void CTKPMenuBar::Copy(CTKPCommandBar* source, BOOL recursive)
{
    CTKPToolBar::Copy(source, recursive);
    auto* other = dynamic_cast<CTKPMenuBar*>(source);
    if (!other || other == this)
        return;
    ReleaseMenus();
    for (const auto& [key, controls] : other->m_menus)
        StoreMenu(key, controls->Duplicate(TRUE));
}

int CTKPMenuBar::OnHookMessage(HWND hWnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result)
{
    if (!hWnd)
        return CTKPToolBar::OnHookMessage(hWnd, message, wParam, lParam, result);
    switch (message) {
    case WM_SYSCOMMAND:
        // The menu key itself (no mnemonic) puts the bar into menu mode; with Shift held it is the
        // frame's.
        if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0 && IsVisible() &&
            CTKPMouseTracker::GetThreadTracker()->GetTrackedCount() == 0 && ::GetKeyState(VK_SHIFT) >= 0 &&
            !IsCustomizeMode()) {
            if (CTKPCommandBars* bars = GetCommandBars())
                bars->ShowKeyboardCues(TRUE);
            SetTrackingMode(1, TRUE, TRUE);
            result = 0;
            return 1;
        }
        break;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        if (hWnd == m_hWndActiveChild && m_hWnd)
            ::PostMessageW(m_hWnd, WM_TIMER, TKP_TIMER_MDIREFRESH, 0);
        break;
    case WM_MDICREATE:
    case WM_MDIDESTROY:
    case WM_MDIACTIVATE:
        if (hWnd == m_hWndClientHooked && m_hWnd)
            ::PostMessageW(m_hWnd, WM_TIMER, TKP_TIMER_MDIREFRESH, 0);
        break;
    case WM_MDISETMENU:
        if (hWnd != m_hWndClientHooked)
            break;
        if (IsVisible()) {
            if (!(m_dwFlags & TKP_MENUBAR_IGNOREMDIMENU))
                SwitchMenu(wParam ? HMENU(wParam) : m_hFrameMenu);
            if (m_hWndFrameHooked)
                ::SetMenu(m_hWndFrameHooked, nullptr);
            RefreshMdi();
            result = 0;
            return 1;
        }
        if (m_hWndFrameHooked && !::GetMenu(m_hWndFrameHooked)) {
            result = 0;
            return 1;
        }
        break;
    default:
        break;
    }
    return CTKPToolBar::OnHookMessage(hWnd, message, wParam, lParam, result);
}

BOOL CTKPMenuBar::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_TIMER && wParam == TKP_TIMER_MDIREFRESH)
        RefreshMdi();
    return CTKPToolBar::OnWndMsg(message, wParam, lParam, pResult);
}
