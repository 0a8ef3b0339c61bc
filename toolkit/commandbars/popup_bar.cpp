// Popup bars and the stand-alone popup menu.
#include "toolkit/commandbars/popup_bar.h"

#include "afx/window_dc.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_shadows.h"
#include "toolkit/commandbars/sound_player.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

IMPLEMENT_SERIAL(CTKPPopupBar, CTKPCommandBar, VERSIONABLE_SCHEMA | 16)

CTKPPopupBar::CTKPPopupBar()
{
    m_barType = TKP_BARTYPE_POPUP;
    m_barPosition = TKP_BARPOS_POPUP;
}

CTKPPopupBar::~CTKPPopupBar()
{
    CTKPPopupShadows::Get().RemoveShadows(this);
}

void CTKPPopupBar::UpdateShadow()
{
    CTKPPopupShadows& shadows = CTKPPopupShadows::Get();
    shadows.RemoveShadows(this);
    if (m_barPosition == TKP_BARPOS_POPUP && m_bShowShadow && IsVisible())
        shadows.ShowShadow(this, m_rcExclude);
}

CTKPPopupBar* CTKPPopupBar::CreatePopupBar(CTKPCommandBars* bars)
{
    auto* bar = new CTKPPopupBar();
    bar->SetCommandBars(bars);
    return bar;
}

BOOL CTKPPopupBar::PopupAt(int x, int y, LPCRECT exclude)
{
    m_ptPopup = POINT{x, y};
    m_rcExclude = exclude ? *exclude : RECT{0, 0, 0, 0};
    // The caller's menu-tracking flags become the popup's direction: right-aligned opens to the
    // left of the point, vertical opens below or above the exclusion rectangle.
    const DWORD tracking = m_dwPopupFlags;
    m_bKeyboardOpen = (tracking & 1) != 0;
    m_dwPopupFlags = ((tracking & TPM_RIGHTALIGN) ? 1 : 0) | ((tracking & TPM_VERTICAL) ? 2 : 0);
    return Popup(nullptr);
}

namespace {
// Popup menus are never wider than this part of the work area.
double g_dPopupWidthRatio = 1.0 / 3.0;

// The item that shows the rarely used commands of a popup.
class CTKPPopupExpandButton : public CTKPControlButton {
public:
    CTKPPopupExpandButton()
    {
        m_dwFlags = 0x5A;
        m_strTooltipText = u"\n展开";
    }
    void OnExecute() override
    {
        if (auto* popup = dynamic_cast<CTKPPopupBar*>(m_pParent))
            popup->ExpandBar();
    }
};
} // namespace

BOOL CTKPPopupBar::Popup(CTKPControlPopup* parentControl)
{
    m_pParentControl = parentControl;
    CWnd* site = GetSite();
    if (!m_hWnd) {
        const LPCWSTR className = AfxRegisterWndClass(CS_SAVEBITS | CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
        CTKPCommandBars* bars = GetCommandBars();
        const DWORD exStyle = WS_EX_TOOLWINDOW | (bars && bars->IsLayoutRTL() ? WS_EX_LAYOUTRTL : 0);
        if (!CreateEx(exStyle, className, u"", 0x86000100, RECT{0, 0, 0, 0}, site, 0)) {
            m_pParentControl = nullptr;
            return FALSE;
        }
    }
    LockRedraw();
    CTKPCommandBar* root = GetRootParent();
    if (CWnd* notify = root->m_pPopupOwner ? root->m_pPopupOwner : site; notify && notify->m_hWnd)
        ::SendMessageW(notify->m_hWnd, 10331, 0, LPARAM(this));
    // Without bars there are no rarely used commands to find: what the owner set stays.
    if (GetCommandBars()) {
        m_bExpandable = FALSE;
        m_bExpanded = IsCustomizeMode();
    }
    UpdatePositionFromParent();
    const BOOL wasVisible = ::IsWindowVisible(m_hWnd);
    PlaceWindow(SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | (wasVisible ? SWP_NOZORDER : 0));
    CTKPCommandBar* parentBar = GetParentBar();
    if (m_pParentControl && (!parentBar || !parentBar->m_hWnd)) {
        --m_nRedrawLock;
        DestroyWindow();
        m_pParentControl = nullptr;
        return FALSE;
    }
    const BOOL keyboard = parentBar ? parentBar->m_bKeyboardEntry : m_bKeyboardOpen;
    SetTrackingMode(1, keyboard, keyboard);
    m_dwFlags &= ~DWORD(3);
    OnUpdateCmdUI(GetOwnerWindow(), TRUE);
    CTKPMenuSoundPlayer::Get().Play(CTKPMenuSoundPlayer::PlayPopup);
    UpdateShadow();
    UnlockRedraw();
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
    return TRUE;
}

void CTKPPopupBar::PlaceWindow(UINT swpFlags)
{
    const CSize size = CalcLayout(0, 0);
    RECT work{};
    if (!::IsRectEmpty(&m_rcExclude))
        GetWorkAreaFromRect(&work, m_rcExclude);
    else
        GetWorkAreaFromPoint(&work, m_ptPopup);
    BOOL scroll = FALSE;
    const RECT rc = CalcPopupRect(m_ptPopup, SIZE{size.cx, size.cy}, m_rcExclude, work, m_dwPopupFlags, scroll);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, swpFlags);
}

RECT CTKPPopupBar::CalcPopupRect(POINT pt, SIZE size, const RECT& exclude, const RECT& work, DWORD& flags,
                                 BOOL& scroll)
{
    int x = pt.x, y = pt.y, cx = size.cx, cy = size.cy;
    const BOOL noExclusion = ::IsRectEmpty(&exclude);
    const int bottom = work.bottom - 5;
    scroll = FALSE;
    if ((flags & 1) && (flags & 2) && !noExclusion)
        x = exclude.right - cx;
    else if ((flags & 1) && !noExclusion)
        x = exclude.left - cx;
    else if (flags & 1)
        x -= cx;

    if (noExclusion && y > bottom) {
        y -= cy;
    } else if (y + cy > bottom) {
        if (noExclusion) {
            y = (y < (work.top + work.bottom) / 2 ? bottom : y) - cy;
        } else if (!(flags & 2)) {
            y = bottom - cy;
        } else {
            y = exclude.top - cy;
            if (y < work.top) {
                scroll = TRUE;
                if ((exclude.top + exclude.bottom) / 2 > (work.top + work.bottom) / 2) {
                    y = work.top;
                    cy = exclude.top - work.top;
                } else {
                    y = exclude.bottom;
                    cy = bottom - exclude.bottom;
                }
            }
        }
        y = std::max(y, int(work.top));
        if (y + cy > bottom) {
            cy = bottom - y;
            scroll = TRUE;
        }
    }

    if (x + cx > work.right) {
        if (noExclusion && x > work.right) {
            x -= cx;
        } else if (noExclusion) {
            x = work.right - cx;
        } else {
            x = ((flags & 2) ? work.right : exclude.left) - cx;
            flags |= 1;
        }
    }
    if (x < work.left) {
        if (!noExclusion) {
            x = (flags & 2) ? work.left : exclude.right;
            flags &= ~DWORD(1);
        } else if (flags & 1) {
            // Opening left from a bare point ran off the screen: open right from its edge instead.
            x = work.left;
            flags &= ~DWORD(1);
        }
    }
    return RECT{x, y, x + cx, y + std::max(cy, 0)};
}

void CTKPPopupBar::UpdatePositionFromParent()
{
    CTKPControlPopup* control = m_pParentControl;
    CTKPCommandBar* parent = control ? control->GetParent() : nullptr;
    if (!parent)
        return;
    m_dwPopupFlags = 0;
    if ((control->GetFlags() & 4) || (m_hWnd && (::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)))
        m_dwPopupFlags = 1;
    const int position = parent->GetPosition();
    if (position != TKP_BARPOS_LEFT && position != TKP_BARPOS_RIGHT && position != TKP_BARPOS_POPUP)
        m_dwPopupFlags |= 2;
    else if (position == TKP_BARPOS_RIGHT)
        m_dwPopupFlags = 1;
    else if (auto* parentPopup = dynamic_cast<CTKPPopupBar*>(parent); parentPopup && (parentPopup->m_dwPopupFlags & 1))
        m_dwPopupFlags = 1;
    RECT rc = control->GetRect();
    if (control->GetType() == TKP_CONTROL_COMBOBOX && parent->GetType() != TKP_BARTYPE_POPUP)
        m_dwPopupFlags |= 2;
    else if (CTKPPaintManager* paint = GetPaintManager())
        paint->AdjustPopupExclusionRect(rc, control, (m_dwPopupFlags & 2) == 0);
    if (parent->m_hWnd)
        ::MapWindowPoints(parent->m_hWnd, nullptr, reinterpret_cast<LPPOINT>(&rc), 2);
    m_rcExclude = rc;
    m_ptPopup = (m_dwPopupFlags & 2) ? POINT{rc.left, rc.bottom} : POINT{rc.right, rc.top};
}

void CTKPPopupBar::UpdateHiddenCommands()
{
    CTKPCommandBars* bars = GetCommandBars();
    if (!bars)
        return;
    if (bars->GetCommandBarsOptions()->bAlwaysShowFullMenus) {
        for (int i = 0; i < GetControlCount(); ++i)
            if (CTKPControl* control = GetControl(i))
                control->SetHideFlags(control->GetHideFlags() & ~DWORD(TKP_HIDE_RARELYUSED));
        m_bExpandable = FALSE;
        m_bExpanded = TRUE;
        return;
    }
    BOOL hasHidden = FALSE;
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        const BOOL shown = (control->GetHideFlags() & ~DWORD(TKP_HIDE_EXPAND | TKP_HIDE_RARELYUSED)) == 0;
        if (shown && control->GetID() != TKP_ID_EXPAND_POPUP && bars->IsControlHidden(control))
            hasHidden = TRUE;
    }
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        control->SetHideFlags(control->GetHideFlags() & ~DWORD(TKP_HIDE_RARELYUSED));
        if (!m_bExpanded && hasHidden && control->GetID() != TKP_ID_EXPAND_POPUP && bars->IsControlHidden(control)) {
            control->SetHideFlags(control->GetHideFlags() | TKP_HIDE_RARELYUSED);
            m_bExpandable = TRUE;
        }
    }
}

CSize CTKPPopupBar::CalcLayout(int, DWORD)
{
    CTKPPaintManager* paint = GetPaintManager();
    if (!paint)
        return CSize(0, 0);
    m_bInLayout = TRUE;
    CClientDC dc(m_hWnd ? this : nullptr);
    HGDIOBJ oldFont = ::SelectObject(dc.m_hDC, paint->GetBarFont(this));
    RECT border = paint->GetBarBorders(this);
    CSize result;
    if (m_barType == TKP_BARTYPE_TOOLBAR) {
        result = m_pControls->CalcSize(&dc, 0, 0x142, border);
    } else {
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        UpdateHiddenCommands();
        CTKPControl* expand = m_pControls->FindControl(TKP_ID_EXPAND_POPUP);
        if (!expand && m_bExpandable)
            expand = m_pControls->AddControl(new CTKPPopupExpandButton(), TKP_ID_EXPAND_POPUP, nullptr, -1, TRUE);
        if (expand)
            expand->SetHideFlags(m_bExpandable ? 0 : TKP_HIDE_GENERIC);
        const int limit = g_dPopupWidthRatio > 0 ? int((work.right - work.left) * g_dPopupWidthRatio) : INT_MAX;
        std::vector<std::pair<CTKPControl*, RECT>> placed;
        int y = border.top;
        int width = 0;
        auto place = [&](CTKPControl* control) {
            const CSize size = control->GetSize(&dc);
            if (control->GetBeginGroup() && !placed.empty())
                y += paint->DrawGroupSeparator(dc.m_hDC, this, control, FALSE).cy;
            const int cx = std::min(int(size.cx), limit);
            placed.emplace_back(control, RECT{border.left, y, border.left + cx, y + size.cy});
            y += size.cy;
            width = std::max(width, cx);
        };
        for (int i = 0; i < GetControlCount(); ++i) {
            CTKPControl* control = GetControl(i);
            control->SetHideFlags(control->GetHideFlags() & ~DWORD(TKP_HIDE_EXPAND));
            if (control != expand && !control->GetHideFlags())
                place(control);
        }
        if (expand && !expand->GetHideFlags())
            place(expand);
        width = std::max(width, 22);
        for (auto& [control, rc] : placed) {
            rc.right = border.left + width;
            control->SetRect(rc);
            control->SetRowRect(rc);
        }
        const int height = placed.empty() ? 22 : y - border.top;
        result = CSize(width + border.left + border.right, height + border.top + border.bottom);
    }
    ::SelectObject(dc.m_hDC, oldFont);
    m_bInLayout = FALSE;
    return result;
}

void CTKPPopupBar::OnRecalcLayout()
{
    if (m_bInLayout || !m_hWnd || !::IsWindowVisible(m_hWnd))
        return;
    CTKPPopupShadows::Get().RemoveShadows(this);
    UpdatePositionFromParent();
    PlaceWindow(SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOOWNERZORDER);
    UpdateShadow();
    if (m_pParentControl)
        m_pParentControl->RedrawParent();
    m_dwFlags &= ~DWORD(2);
    if (!m_nRedrawLock)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTKPPopupBar::OnControlsChanged()
{
    OnRecalcLayout();
}

BOOL CTKPPopupBar::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_MOUSEACTIVATE) {
        if (pResult)
            *pResult = MA_NOACTIVATE;
        return TRUE;
    }
    return CTKPCommandBar::OnWndMsg(message, wParam, lParam, pResult);
}

void CTKPPopupBar::DelayRedraw()
{
    m_dwFlags &= ~DWORD(2);
    if (m_hWnd && !m_nRedrawLock)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

BOOL CTKPPopupBar::SetTrackingMode(int mode, BOOL selectFirst, BOOL fromKeyboard)
{
    if (!CTKPCommandBar::SetTrackingMode(mode, selectFirst, fromKeyboard))
        return FALSE;
    CWnd* site = GetSite();
    if (mode) {
        if (m_hWnd)
            CallNotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, m_hWnd, OBJID_CLIENT, 0);
    } else {
        // The strips go before the window they are hooked into.
        CTKPPopupShadows::Get().RemoveShadows(this);
        if (m_hWnd) {
            CallNotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, m_hWnd, OBJID_CLIENT, 0);
            DestroyWindow();
        }
        CTKPCommandBar* parent = GetParentBar();
        if (parent && m_pParentControl && parent->m_nExpanded == m_pParentControl->GetIndex())
            parent->SetPopuped(-1);
        if (site && site->m_hWnd)
            ::SendMessageW(site->m_hWnd, 10333, 0, LPARAM(this));
        m_pParentControl = nullptr;
    }
    if (site && site->m_hWnd)
        ::UpdateWindow(site->m_hWnd);
    return TRUE;
}

void CTKPPopupBar::ExpandBar()
{
    if (!m_bExpandable || m_bExpanded) {
        m_bExpanded = TRUE;
        return;
    }
    m_bExpanded = TRUE;
    m_dwFlags |= 1;
    SetSelected(-1);
    OnRecalcLayout();
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

BOOL CTKPPopupBar::IsVisible() const
{
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

CTKPCommandBar* CTKPPopupBar::GetParentBar() const
{
    return m_pParentControl ? m_pParentControl->GetParent() : nullptr;
}

int TrackToolkitPopupMenu(CMenu* menu, UINT flags, int x, int y, CWnd* owner, UINT toolBarId)
{
    if (!GetGlobalPaintManager())
        SetGlobalTheme(0);
    if (!GetGlobalPaintManager())
        return menu ? menu->TrackPopupMenu(flags, x, y, owner) : 0;
    CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(nullptr);
    if (toolBarId > 0) {
        auto* images = new CTKPImageManager();
        images->SetIconsFromResource(toolBarId);
        bar->SetImageManager(images);
    }
    int result = 0;
    if (bar->LoadMenu(menu, TRUE)) {
        bar->SetSourceMenu(menu->m_hMenu);
        result = CTKPCommandBars::TrackPopupBar(bar, flags | TPM_NONOTIFY, x, y, owner);
    }
    bar->InternalRelease();
    return result;
}
