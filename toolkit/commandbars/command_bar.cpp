// The command bar base: its controls, selection, tracking mode and the resolution of its command
// bars, paint manager and image manager.
#include "toolkit/commandbars/command_bar.h"

#include "afx/app.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tip_context.h"

#include <cwctype>

IMPLEMENT_DYNCREATE(CTKPCommandBar, CWnd)

namespace {
WCHAR UpperChar(WCHAR c)
{
    return WCHAR(std::towupper(std::wint_t(c)));
}
}  // namespace

CTKPCommandBar::CTKPCommandBar() : m_pControls(new CTKPControls())
{
    m_pControls->SetParent(this);
}

CTKPCommandBar::~CTKPCommandBar()
{
    if (m_nTrackingMode)
        SetTrackingMode(0, TRUE, FALSE);
    CTKPKeyboardTracker::GetThreadTracker()->RemoveWindow(this);
    CTKPMouseTracker* tracker = CTKPMouseTracker::GetThreadTracker();
    tracker->RemoveBar(this);
    if (tracker->m_pSelectingBar == this)
        tracker->m_pSelectingBar = nullptr;
    m_pControls->RemoveAll();
    m_pControls->SetParent(nullptr);
    m_pControls->InternalRelease();
    if (m_pPaintManager)
        m_pPaintManager->InternalRelease();
    if (m_pImageManager)
        m_pImageManager->InternalRelease();
    if (m_pTipContext)
        m_pTipContext->InternalRelease();
}

void CTKPCommandBar::OnFinalRelease()
{
    if (m_hWnd)
        DestroyWindow();
    delete this;
}

// ---- Links -------------------------------------------------------------------------------------
CTKPCommandBars* CTKPCommandBar::GetCommandBars() const
{
    for (const CTKPCommandBar* bar = this; bar; bar = bar->GetParentBar())
        if (bar->m_pCommandBars)
            return bar->m_pCommandBars;
    return nullptr;
}

void CTKPCommandBar::SetCommandBars(CTKPCommandBars* bars)
{
    m_pCommandBars = bars;
    m_pControls->SetCommandBars(bars);
}

CTKPCommandBar* CTKPCommandBar::GetRootParent() const
{
    const CTKPCommandBar* bar = this;
    while (CTKPCommandBar* parent = bar->GetParentBar())
        bar = parent;
    return const_cast<CTKPCommandBar*>(bar);
}

CWnd* CTKPCommandBar::GetSite() const
{
    if (CTKPCommandBars* bars = GetCommandBars())
        if (bars->GetSite())
            return bars->GetSite();
    CTKPCommandBar* root = GetRootParent();
    if (root->m_pPopupOwner)
        return root->m_pPopupOwner;
    if (!m_hWnd)
        return AfxGetMainWnd();
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    return CWnd::FromHandle(owner ? owner : ::GetParent(m_hWnd));
}

CWnd* CTKPCommandBar::GetOwnerWindow() const
{
    CTKPCommandBar* root = GetRootParent();
    return root->m_pCommandOwner ? root->m_pCommandOwner : GetSite();
}

CTKPPaintManager* CTKPCommandBar::GetPaintManager() const
{
    if (m_pPaintManager)
        return m_pPaintManager;
    if (CTKPCommandBars* bars = GetCommandBars())
        return bars->GetPaintManager();
    if (CTKPCommandBar* root = GetRootParent(); root->m_pPaintManager)
        return root->m_pPaintManager;
    if (!GetGlobalPaintManager())
        SetGlobalTheme(0);
    return GetGlobalPaintManager();
}

void CTKPCommandBar::SetPaintManager(CTKPPaintManager* manager)
{
    if (m_pPaintManager)
        m_pPaintManager->InternalRelease();
    m_pPaintManager = manager;
    if (manager)
        manager->RefreshMetrics();
}

CTKPImageManager* CTKPCommandBar::GetImageManager() const
{
    if (m_pImageManager)
        return m_pImageManager;
    if (CTKPCommandBars* bars = GetCommandBars())
        return bars->GetImageManager();
    if (CTKPCommandBar* root = GetRootParent(); root->m_pImageManager)
        return root->m_pImageManager;
    return GetGlobalImageManager();
}

void CTKPCommandBar::SetImageManager(CTKPImageManager* manager)
{
    if (m_pImageManager)
        m_pImageManager->InternalRelease();
    m_pImageManager = manager;
}

BOOL CTKPCommandBar::IsCustomizeMode() const
{
    CTKPCommandBars* bars = GetCommandBars();
    return bars ? bars->IsCustomizeMode() : FALSE;
}

BOOL CTKPCommandBar::IsKeyboardCuesVisible() const
{
    CTKPCommandBars* bars = GetCommandBars();
    return bars ? bars->IsKeyboardCuesVisible() : TRUE;
}

BOOL CTKPCommandBar::IsLayoutRTL() const
{
    return m_hWnd && (::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
}

// ---- Controls ----------------------------------------------------------------------------------
CTKPControl* CTKPCommandBar::GetControl(int index) const
{
    return m_pControls->GetAt(index);
}

int CTKPCommandBar::GetControlCount() const
{
    return m_pControls->GetCount();
}

CTKPControlView* CTKPCommandBar::GetControlView(int index) const
{
    return GetControl(index);
}

void CTKPCommandBar::OnControlsChanged()
{
    m_nSelected = m_nExpanded = -1;
    m_dwFlags |= 1;
}

BOOL CTKPCommandBar::LoadMenu(CMenu* menu, BOOL removeFirst)
{
    if (!menu || !::IsMenu(menu->m_hMenu))
        return FALSE;
    if (removeFirst)
        m_pControls->RemoveAll();
    BOOL beginGroup = FALSE;
    const int count = ::GetMenuItemCount(menu->m_hMenu);
    for (int i = 0; i < count; ++i) {
        const UINT state = ::GetMenuState(menu->m_hMenu, UINT(i), MF_BYPOSITION);
        if ((state & MF_SEPARATOR) && !::GetSubMenu(menu->m_hMenu, i)) {
            beginGroup = TRUE;
            continue;
        }
        CTKPControl* control = m_pControls->AddMenuItem(menu, i);
        if (!control)
            continue;
        if (beginGroup)
            control->m_bBeginGroup = TRUE;
        beginGroup = FALSE;
        if (state & MF_CHECKED)
            control->m_bChecked = TRUE;
        if (state & (MF_GRAYED | MF_DISABLED))
            control->m_bEnabled = FALSE;
    }
    return TRUE;
}

BOOL CTKPCommandBar::LoadToolBar(UINT, BOOL)
{
    return FALSE;
}

void CTKPCommandBar::SetShowTextBelowIcons(int mode)
{
    m_nTextBelowIcons = mode;
    DelayRedraw();
}

// ---- Selection and tracking --------------------------------------------------------------------
BOOL CTKPCommandBar::SetSelected(int index, BOOL keyboard)
{
    if (index == m_nSelected)
        return FALSE;
    m_bKeyboardSelection = keyboard;
    if (CTKPControl* old = GetControl(m_nSelected))
        old->SetSelected(0);
    m_nSelected = index;
    if (CTKPControl* control = GetControl(index)) {
        control->SetSelected(keyboard ? 2 : 1);
        CTKPMouseTracker::GetThreadTracker()->m_pSelectingBar = this;
    }
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return TRUE;
}

BOOL CTKPCommandBar::SetPopuped(int index, BOOL keyboard)
{
    if (index == m_nExpanded)
        return FALSE;
    if (CTKPControl* old = GetControl(m_nExpanded))
        old->SetPopuped(FALSE);
    m_nExpanded = -1;
    CTKPControl* control = GetControl(index);
    if (!control)
        return index == -1;
    auto* popup = dynamic_cast<CTKPControlPopup*>(control);
    if (!popup || !popup->GetEnabled())
        return FALSE;
    m_nExpanded = index;
    m_nTrackingMode = 2;
    m_bKeyboardEntry = keyboard;
    SetSelected(index, keyboard);
    popup->SetPopuped(TRUE);
    return TRUE;
}

BOOL CTKPCommandBar::SetTrackingMode(int mode, BOOL selectFirst, BOOL fromKeyboard)
{
    if (m_nTrackingMode && mode) {
        m_nTrackingMode = mode;
        return FALSE;
    }
    if (m_nTrackingMode == mode)
        return FALSE;
    m_nTrackingMode = mode;
    CTKPMouseTracker* mouse = CTKPMouseTracker::GetThreadTracker();
    CTKPKeyboardTracker* keyboard = CTKPKeyboardTracker::GetThreadTracker();
    if (mode) {
        mouse->AddBar(this);
        keyboard->AddWindow(this);
        if (selectFirst)
            SetSelected(m_pControls->GetNext(-1, 1), TRUE);
        (void)fromKeyboard;
    } else {
        mouse->RemoveBar(this);
        keyboard->RemoveWindow(this);
        SetPopuped(-1);
        if (selectFirst)
            SetSelected(-1);
        if (!mouse->GetTrackedCount())
            mouse->m_pSelectingBar = nullptr;
        m_nModalLock = 0;
    }
    return TRUE;
}

int CTKPCommandBar::OnHookMessage(HWND hWnd, UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result)
{
    if (hWnd)
        return CTKPWndHookChain::OnHookMessage(hWnd, message, wParam, lParam, result);
    if (message == WM_MOUSEWHEEL)
        return m_nTrackingMode ? 1 : 0;
    if (message == WM_KEYDOWN)
        return OnHookKeyDown(UINT(wParam), lParam);
    return 0;
}

int CTKPCommandBar::OnHookKeyDown(UINT vk, LPARAM lParam)
{
    if (m_nModalLock)
        return 1;
    if (CTKPControl* selected = GetControl(m_nSelected)) {
        const int answer = selected->OnHookKeyDown(vk, lParam);
        if (answer == 1 || answer == 2)
            return answer;
    }
    switch (vk) {
    case VK_ESCAPE:
        return ProcessSpecialKey(4) ? 1 : 2;
    case VK_RETURN:
        return ProcessSpecialKey(5) ? 1 : 2;
    case VK_HOME:
        return ProcessSpecialKey(6) ? 1 : 2;
    case VK_END:
        return ProcessSpecialKey(7) ? 1 : 2;
    default:
        return 2;
    }
}

BOOL CTKPCommandBar::ProcessSpecialKey(int code)
{
    switch (code) {
    case 0:
    case 1:
        SetSelected(m_pControls->GetNext(m_nSelected, code == 0 ? 1 : -1), TRUE);
        return TRUE;
    case 4:
        if (CTKPCommandBar* parent = GetParentBar())
            parent->SetTrackingMode(1, FALSE, TRUE);
        SetTrackingMode(0, TRUE, FALSE);
        return TRUE;
    case 5:
        if (CTKPControl* control = GetControl(m_nSelected)) {
            control->m_nSelected = 2;
            control->OnClick(TRUE);
        }
        return TRUE;
    case 6:
        SetSelected(m_pControls->GetNext(-1, 1), TRUE);
        return TRUE;
    case 7:
        SetSelected(m_pControls->GetNext(-1, -1), TRUE);
        return TRUE;
    default:
        return FALSE;
    }
}

int CTKPCommandBar::FindAccel(UINT ch, BOOL& several) const
{
    several = FALSE;
    const int count = GetControlCount();
    if (!count)
        return -1;
    const WCHAR key = UpperChar(WCHAR(ch));
    int found = -1, firstLetter = -1;
    BOOL severalFirst = FALSE;
    for (int step = 1; step <= count; ++step) {
        const int i = (m_nSelected + step + count) % count;
        CTKPControl* control = GetControl(i);
        if (!control || control->IsHidden() || !control->GetEnabled() || (control->GetFlags() & TKP_FLAG_SKIPFOCUS))
            continue;
        const CString caption = control->GetCaption();
        if (caption.IsEmpty())
            continue;
        const int amp = caption.Find(u'&');
        if (amp >= 0 && amp + 1 < caption.GetLength()) {
            const WCHAR c = UpperChar(caption[amp + 1]);
            if (c == key) {
                if (found == -1)
                    found = i;
                else
                    several = TRUE;
            }
        } else {
            const WCHAR c = UpperChar(caption[0]);
            if (c == key) {
                if (firstLetter == -1)
                    firstLetter = i;
                else
                    severalFirst = TRUE;
            }
        }
    }
    if (found != -1)
        return found;
    several = severalFirst;
    return firstLetter;
}

void CTKPCommandBar::OnControlSelected(BOOL selected, CTKPControl* control)
{
    if (CWnd* site = GetSite(); site && site->m_hWnd)
        ::SendMessageW(site->m_hWnd, 0x2856, selected ? WPARAM(control) : 0, 0);
}

// ---- Layout and drawing ------------------------------------------------------------------------
CSize CTKPCommandBar::CalcLayout(int, DWORD)
{
    return CSize(0, 0);
}

void CTKPCommandBar::DrawCommandBar(CDC* pDC, const RECT&)
{
    CTKPPaintManager* paint = GetPaintManager();
    if (!pDC || !paint)
        return;
    paint->FillCommandBar(pDC->m_hDC, this);
    BOOL first = TRUE;
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        if (!control || control->IsHidden())
            continue;
        if (control->GetBeginGroup() && !first)
            paint->DrawGroupSeparator(pDC->m_hDC, this, control, TRUE);
        first = FALSE;
        HGDIOBJ old = ::SelectObject(pDC->m_hDC, paint->GetBarFont(this));
        control->Draw(pDC);
        ::SelectObject(pDC->m_hDC, old);
    }
}

void CTKPCommandBar::Copy(CTKPCommandBar* source, BOOL recursive)
{
    if (!source || source == this)
        return;
    m_nBarID = source->m_nBarID;
    m_dwStyle = source->m_dwStyle;
    m_strTitle = source->m_strTitle;
    m_bCustomizable = source->m_bCustomizable;
    m_nMRUWidth = source->m_nMRUWidth;
    m_szIcons = source->m_szIcons;
    m_szButtons = source->m_szButtons;
    SetCommandBars(source->m_pCommandBars);
    m_barPosition = source->m_barPosition;
    m_pControls->RemoveAll();
    for (int i = 0; i < source->GetControlCount(); ++i)
        if (CTKPControl* control = source->GetControl(i); control && !control->m_bTemporary)
            m_pControls->AddClone(control, -1, recursive);
}

BOOL CTKPCommandBar::IsPointInBar(int x, int y) const
{
    RECT rc;
    return m_hWnd && ::GetWindowRect(m_hWnd, &rc) && ::PtInRect(&rc, POINT{x, y});
}

void CTKPCommandBar::OnUpdateCmdUI(CWnd*, BOOL)
{
    if (m_dwFlags & 2) {
        m_dwFlags &= ~DWORD(2);
        if (m_hWnd)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    if (m_dwFlags & 1) {
        m_dwFlags &= ~DWORD(1);
        OnRecalcLayout();
    }
}

// ---- What the paint managers read --------------------------------------------------------------
RECT CTKPCommandBar::GetClientRect() const
{
    RECT rc{0, 0, 0, 0};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &rc);
    return rc;
}

RECT CTKPCommandBar::GetWindowScreenRect() const
{
    RECT rc{0, 0, 0, 0};
    if (m_hWnd)
        ::GetWindowRect(m_hWnd, &rc);
    return rc;
}

SIZE CTKPCommandBar::GetIconSize() const
{
    if (m_szIcons.cx > 0)
        return m_szIcons;
    if (CTKPCommandBars* bars = GetCommandBars()) {
        CTKPCommandBarsSettings* options = bars->GetCommandBarsOptions();
        if (m_barType == TKP_BARTYPE_POPUP)
            return options->szPopupIcons;
        const SIZE own = options->bLargeIcons ? options->szLargeIcons : options->szIcons;
        if (own.cx > 0)
            return own;
        if (options->bLargeIcons)
            return SIZE{24, 24};
    }
    return SIZE{16, 16};
}

SIZE CTKPCommandBar::GetButtonSize() const
{
    if (m_szButtons.cx > 0)
        return m_szButtons;
    const SIZE icon = GetIconSize();
    return SIZE{icon.cx + 7, icon.cy + 7};
}

int CTKPCommandBar::GetShowTextBelowIcons() const
{
    if (m_nTextBelowIcons != 2)
        return m_nTextBelowIcons;
    CTKPCommandBars* bars = GetCommandBars();
    return bars && bars->GetCommandBarsOptions()->bShowTextBelowIcons ? 1 : 0;
}
