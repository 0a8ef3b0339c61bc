// Popup bars and the stand-alone popup menu.
#include "toolkit/commandbars/popup_bar.h"

#include "afx/window_dc.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_shadows.h"
#include "toolkit/commandbars/sound_player.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

IMPLEMENT_SERIAL(CTKPPopupBar, CTKPCommandBar, VERSIONABLE_SCHEMA | 16)

#ifndef WM_FLOATSTATUS
#define WM_FLOATSTATUS 0x036D
#define FS_SYNCACTIVE 0x0040
#endif

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
    m_bTearOffHot = FALSE;
    // Without bars there are no rarely used commands to find: what the owner set stays.
    if (GetCommandBars()) {
        m_bExpandable = FALSE;
        m_bExpanded = IsCustomizeMode() || CTKPMouseTracker::GetThreadTracker()->m_bShowAll;
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
    PlayAnimation();
    CTKPMenuSoundPlayer::Get().Play(CTKPMenuSoundPlayer::PlayPopup);
    UpdateShadow();
    UnlockRedraw();
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
    return TRUE;
}

void CTKPPopupBar::PlaceWindow(UINT swpFlags)
{
    m_bScrolling = FALSE;
    m_nFirstVisible = 0;
    m_nScrollAnchorLast = -1;
    m_rcScrollUp = m_rcScrollDown = RECT{0, 0, 0, 0};
    const CSize size = CalcLayout(0, 0);
    RECT work{};
    if (!::IsRectEmpty(&m_rcExclude))
        GetWorkAreaFromRect(&work, m_rcExclude);
    else
        GetWorkAreaFromPoint(&work, m_ptPopup);
    BOOL scroll = FALSE;
    const RECT rc = CalcPopupRect(m_ptPopup, SIZE{size.cx, size.cy}, m_rcExclude, work, m_dwPopupFlags, scroll);
    // Only a popup menu that had to shrink scrolls; it lays its commands out again for its height.
    if (scroll && m_barType == TKP_BARTYPE_POPUP) {
        m_bScrolling = TRUE;
        m_nScrollHeight = rc.bottom - rc.top;
        CalcLayout(0, 0);
    }
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
    const int strip = m_bTearOffPopup ? int(paint->DrawStrip(dc.m_hDC, RECT{0, 0, 0, 0}, FALSE, FALSE).cy) : 0;
    m_rcTearOff = RECT{0, 0, 0, 0};
    CSize result;
    if (m_barType == TKP_BARTYPE_TOOLBAR) {
        RECT margins = m_rcBorders;
        margins.top += strip;
        result = m_pControls->CalcSize(&dc, 0, 0x142, margins);
        if (strip && GetControlCount())
            m_rcTearOff = RECT{m_rcBorders.left, m_rcBorders.top, result.cx - m_rcBorders.right, m_rcBorders.top + strip};
    } else {
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        // The expanding controls (the tool-bars list, the window list ...) put their entries behind
        // themselves and hide; a measuring pass of the collection runs them and changes nothing else.
        m_pControls->CalcSize(nullptr, 0, 0, RECT{0, 0, 0, 0});
        UpdateShortcuts();
        UpdateHiddenCommands();
        CTKPControl* expand = m_pControls->FindControl(TKP_ID_EXPAND_POPUP);
        if (!expand && m_bExpandable)
            expand = m_pControls->AddControl(new CTKPPopupExpandButton(), TKP_ID_EXPAND_POPUP, nullptr, -1, TRUE);
        // Once the popup shows everything the expand item has nothing left to show.
        if (expand)
            expand->SetHideFlags(m_bExpandable && !m_bExpanded ? 0 : TKP_HIDE_GENERIC);
        const int limit = g_dPopupWidthRatio > 0 ? int((work.right - work.left) * g_dPopupWidthRatio) : INT_MAX;
        std::vector<std::pair<CTKPControl*, RECT>> placed;
        // The tear-off strip takes the top; the commands start below it.
        RECT inner = border;
        inner.top += strip;
        int y = inner.top;
        int width = 0;
        auto place = [&](CTKPControl* control) {
            const CSize size = control->GetSize(&dc);
            if (control->GetBeginGroup() && !placed.empty())
                y += paint->DrawGroupSeparator(dc.m_hDC, this, control, FALSE).cy;
            const int cx = std::min(int(size.cx), limit);
            placed.emplace_back(control, RECT{inner.left, y, inner.left + cx, y + size.cy});
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
        if (strip && !placed.empty())
            m_rcTearOff = RECT{border.left, border.top, border.left + width, border.top + strip};
        for (auto& [control, rc] : placed) {
            rc.right = border.left + width;
            control->SetRect(rc);
            control->SetRowRect(rc);
        }
        const int height = placed.empty() ? 22 : y - border.top;
        result = CSize(width + border.left + border.right, height + border.top + border.bottom);
        if (m_bScrolling && m_nScrollHeight > 0 && result.cy > m_nScrollHeight) {
            LayoutScrolled(placed, inner, width);
            result.cy = m_nScrollHeight;
        } else {
            m_rcScrollUp = m_rcScrollDown = RECT{0, 0, 0, 0};
            m_nFirstVisible = 0;
            m_nLastVisible = GetControlCount();
        }
    }
    ::SelectObject(dc.m_hDC, oldFont);
    m_bInLayout = FALSE;
    return result;
}

void CTKPPopupBar::Copy(CTKPCommandBar* source, BOOL recursive)
{
    CTKPCommandBar::Copy(source, recursive);
    auto* popup = dynamic_cast<CTKPPopupBar*>(source);
    if (!popup || popup == this)
        return;
    m_bTearOffPopup = popup->m_bTearOffPopup;
    m_strTearOffCaption = popup->m_strTearOffCaption;
    m_nTearOffId = popup->m_nTearOffId;
    m_nTearOffWidth = popup->m_nTearOffWidth;
    m_bShowShadow = popup->m_bShowShadow;
    m_rcBorders = popup->m_rcBorders;
}

void CTKPPopupBar::UpdateShortcuts()
{
    CTKPCommandBars* bars = GetCommandBars();
    CTKPShortcutTable* table = bars ? bars->GetShortcutTable() : nullptr;
    if (!table || !bars->GetCommandBarsOptions()->bUpdateShortcuts)
        return;
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        if (!control || (control->GetHideFlags() & ~DWORD(TKP_HIDE_EXPAND | TKP_HIDE_RARELYUSED)) ||
            control->GetID() == 0 || control->GetID() == TKP_ID_EXPAND_POPUP)
            continue;
        // The menu's own text stays when a shortcut of the command reads the same.
        CString text = control->m_strShortcutTextAuto;
        table->FindDefaultAccelerator(UINT(control->GetID()), text);
        control->m_strShortcutTextAuto = text;
    }
}

namespace {
// The height of a scroll arrow of a scrolling popup.
const int kScrollArrowHeight = 12;
// How long the expand item is to stay selected before the popup expands by itself.
UINT g_nExpandDelay = 900;
} // namespace

void CTKPPopupBar::LayoutScrolled(std::vector<std::pair<CTKPControl*, RECT>>& placed, const RECT& border, int width)
{
    const int n = int(placed.size());
    if (n == 0)
        return;
    // The commands from `first` that fit: the arrows take their room where they are needed.
    auto fit = [&](int first) {
        const int top = border.top + (first > 0 ? kScrollArrowHeight : 0);
        const int limit = m_nScrollHeight - border.bottom;
        const int total = placed[size_t(n - 1)].second.bottom - placed[size_t(first)].second.top;
        if (top + total <= limit)
            return n - 1;
        int last = first;
        for (int i = first + 1; i < n; ++i) {
            if (top + placed[size_t(i)].second.bottom - placed[size_t(first)].second.top > limit - kScrollArrowHeight)
                break;
            last = i;
        }
        return last;
    };
    auto indexOf = [&](int controlIndex) {
        for (int i = 0; i < n; ++i)
            if (placed[size_t(i)].first->GetIndex() >= controlIndex)
                return i;
        return n - 1;
    };
    int first = std::clamp(indexOf(m_nFirstVisible), 0, n - 1);
    if (m_nScrollAnchorLast >= 0) {
        // Scrolling down ends at the anchor: the first command is the latest that still shows it.
        const int anchor = indexOf(m_nScrollAnchorLast);
        first = 0;
        for (int f = anchor; f >= 0; --f) {
            if (fit(f) < anchor)
                break;
            first = f;
        }
        m_nScrollAnchorLast = -1;
    }
    const int last = fit(first);
    const int top = border.top + (first > 0 ? kScrollArrowHeight : 0);
    const int dy = top - placed[size_t(first)].second.top;
    for (int i = 0; i < n; ++i) {
        auto& [control, rc] = placed[size_t(i)];
        if (i < first || i > last) {
            control->SetHideFlags(control->GetHideFlags() | TKP_HIDE_EXPAND);
            continue;
        }
        ::OffsetRect(&rc, 0, dy);
        control->SetRect(rc);
        control->SetRowRect(rc);
    }
    m_rcScrollUp = first > 0 ? RECT{border.left, border.top, border.left + width, border.top + kScrollArrowHeight}
                             : RECT{0, 0, 0, 0};
    const int bottom = m_nScrollHeight - border.bottom;
    m_rcScrollDown = last < n - 1 ? RECT{border.left, bottom - kScrollArrowHeight, border.left + width, bottom}
                                  : RECT{0, 0, 0, 0};
    m_nFirstVisible = placed[size_t(first)].first->GetIndex();
    m_nLastVisible = placed[size_t(last)].first->GetIndex() + 1;
}

BOOL CTKPPopupBar::ScrollDown()
{
    if (!m_bScrolling || ::IsRectEmpty(&m_rcScrollDown))
        return FALSE;
    for (int i = m_nLastVisible; i < GetControlCount(); ++i)
        if (!(GetControl(i)->GetHideFlags() & ~DWORD(TKP_HIDE_EXPAND))) {
            m_nScrollAnchorLast = i;
            CalcLayout(0, 0);
            DelayRedraw();
            return TRUE;
        }
    return FALSE;
}

BOOL CTKPPopupBar::ScrollUp()
{
    if (!m_bScrolling || m_nFirstVisible <= 0)
        return FALSE;
    for (int i = m_nFirstVisible - 1; i >= 0; --i)
        if (!(GetControl(i)->GetHideFlags() & ~DWORD(TKP_HIDE_EXPAND))) {
            m_nFirstVisible = i;
            CalcLayout(0, 0);
            DelayRedraw();
            return TRUE;
        }
    return FALSE;
}

void CTKPPopupBar::OnScrollTimer(UINT_PTR id)
{
    const BOOL moved = id == TKP_TIMER_SCROLLDOWN ? ScrollDown() : ScrollUp();
    if (!moved && m_hWnd) {
        ::KillTimer(m_hWnd, id);
        if (m_nScrollTimer == id)
            m_nScrollTimer = 0;
    }
}

BOOL CTKPPopupBar::SetSelected(int index, BOOL keyboard)
{
    const BOOL changed = CTKPCommandBar::SetSelected(index, keyboard);
    CTKPControl* control = GetControl(m_nSelected);
    CTKPCommandBars* bars = GetCommandBars();
    if (m_hWnd) {
        if (control && control->GetID() == TKP_ID_EXPAND_POPUP && !keyboard && bars &&
            bars->GetCommandBarsOptions()->bShowFullAfterDelay)
            ::SetTimer(m_hWnd, TKP_TIMER_EXPAND, g_nExpandDelay, nullptr);
        else
            ::KillTimer(m_hWnd, TKP_TIMER_EXPAND);
    }
    if (m_bScrolling && control && (control->GetHideFlags() & TKP_HIDE_EXPAND)) {
        if (m_nSelected >= m_nLastVisible)
            m_nScrollAnchorLast = m_nSelected;
        else
            m_nFirstVisible = m_nSelected;
        CalcLayout(0, 0);
        DelayRedraw();
    }
    return changed;
}

BOOL CTKPPopupBar::ProcessSpecialKey(int code)
{
    if (code == 0 && m_bExpandable && !m_bExpanded) {
        // The last selectable command: the next one wraps round to the start.
        const int selected = m_nSelected;
        const int next = m_pControls->GetNext(selected, 1);
        if (::GetKeyState(VK_CONTROL) < 0 || (selected != -1 && next <= selected)) {
            ExpandBar();
            // The key goes on from where it was pressed, to the first command the popup now shows
            // beyond it, not round to the top.
            if (m_bExpanded && selected != -1)
                m_nSelected = selected;
        }
    }
    return CTKPCommandBar::ProcessSpecialKey(code);
}

void CTKPPopupBar::DrawCommandBar(CDC* pDC, const RECT& rcClip)
{
    CTKPCommandBar::DrawCommandBar(pDC, rcClip);
    if (!pDC)
        return;
    const COLORREF color = GetColorTable().GetColorByIndex(COLOR_BTNTEXT);
    for (const RECT* arrow : {&m_rcScrollUp, &m_rcScrollDown}) {
        if (::IsRectEmpty(arrow))
            continue;
        const int cx = (arrow->left + arrow->right) / 2, cy = (arrow->top + arrow->bottom) / 2;
        if (arrow == &m_rcScrollDown)
            FillTriangle(pDC->m_hDC, POINT{cx - 3, cy - 1}, POINT{cx + 3, cy - 1}, POINT{cx, cy + 2}, color);
        else
            FillTriangle(pDC->m_hDC, POINT{cx - 3, cy + 1}, POINT{cx + 3, cy + 1}, POINT{cx, cy - 2}, color);
    }
    if (m_bTearOffPopup && GetControlCount() && !::IsRectEmpty(&m_rcTearOff))
        if (CTKPPaintManager* paint = GetPaintManager())
            paint->DrawStrip(pDC->m_hDC, m_rcTearOff, m_bTearOffHot, TRUE);
}

int CTKPPopupBar::GetAnimationType() const
{
    CTKPCommandBars* bars = GetCommandBars();
    if (!bars || (m_hWnd && ::GetWindow(m_hWnd, GW_CHILD)))
        return 5;
    switch (bars->GetCommandBarsOptions()->nAnimation) {
    case 0: {
        BOOL on = FALSE;
        if (!::SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0) || !on)
            return 5;
        BOOL fade = FALSE;
        return ::SystemParametersInfoW(SPI_GETMENUFADE, 0, &fade, 0) && fade ? 4 : 3;
    }
    case 1: {
        static const int kinds[3] = {4, 3, 2};
        return kinds[std::rand() % 3];
    }
    case 2:
    case 3:
    case 4:
    case 5:
        return bars->GetCommandBarsOptions()->nAnimation;
    default:
        return 5;
    }
}

void CTKPPopupBar::PlayAnimation()
{
    // Only the first popup opened as the mouse moves along a bar is animated.
    CTKPCommandBar* parent = GetParentBar();
    const BOOL entered = !parent || parent->m_bMouseEntry;
    if (parent)
        parent->m_bMouseEntry = FALSE;
    if (!entered || !m_hWnd || IsCustomizeMode() || ::GetWindow(m_hWnd, GW_CHILD))
        return;
    const int kind = GetAnimationType();
    CTKPPaintManager* paint = GetPaintManager();
    if (kind < 2 || kind > 4 || !paint)
        return;
    if (parent && parent->m_hWnd)
        ::UpdateWindow(parent->m_hWnd);
    if (CWnd* site = GetSite(); site && site->m_hWnd)
        ::UpdateWindow(site->m_hWnd);
    const RECT rc = CTKPCommandBar::GetClientRect();
    HDC window = ::GetDC(m_hWnd);
    HDC memory = ::CreateCompatibleDC(window);
    HBITMAP bitmap = ::CreateCompatibleBitmap(window, rc.right - rc.left, rc.bottom - rc.top);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    {
        CDC dc;
        dc.Attach(memory);
        DrawCommandBar(&dc, rc);
        dc.Detach();
    }
    paint->AnimatePopup(window, memory, rc, kind);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(m_hWnd, window);
}

void CTKPPopupBar::OnRecalcLayout()
{
    if (m_bInLayout || !m_hWnd || !::IsWindowVisible(m_hWnd))
        return;
    CTKPPopupShadows::Get().RemoveShadows(this);
    UpdatePositionFromParent();
    PlaceWindow(SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOOWNERZORDER);
    if (m_bExpandAnimation) {
        m_bExpandAnimation = FALSE;
        CTKPMenuSoundPlayer::Get().Play(CTKPMenuSoundPlayer::PlayPopup);
    }
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
    if (message == WM_TIMER && (wParam == TKP_TIMER_SCROLLDOWN || wParam == TKP_TIMER_SCROLLUP)) {
        OnScrollTimer(wParam);
        return TRUE;
    }
    if (message == WM_FLOATSTATUS) {
        // Only a window of the floating kind keeps its caption active with its owner.
        if (pResult)
            *pResult = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & 0x100) && (wParam & FS_SYNCACTIVE) ? 1 : 0;
        return TRUE;
    }
    if (message == WM_TIMER && wParam == TKP_TIMER_TEAROFF) {
        OnTearOffTimer();
        return TRUE;
    }
    if (message == WM_LBUTTONDOWN && m_bTearOffPopup && !IsCustomizeMode()) {
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (::PtInRect(&m_rcTearOff, pt)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
            TrackTearOff();
            if (pResult)
                *pResult = 0;
            return TRUE;
        }
    }
    if (message == WM_MOUSEMOVE && m_bTearOffPopup)
        OnTearOffHover(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (message == WM_MOUSEMOVE && m_pParentControl) {
        // Back over the item that opened the popup: its bar selects it again.
        CTKPCommandBar* parent = GetParentBar();
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const RECT item = m_pParentControl->GetRect();
        if (parent && parent->m_hWnd && m_hWnd) {
            ::MapWindowPoints(m_hWnd, parent->m_hWnd, &pt, 1);
            const int index = m_pParentControl->GetIndex();
            if (::PtInRect(&item, pt) && parent->m_nSelected != index)
                parent->SetSelected(index);
        }
    }
    if (message == WM_TIMER && wParam == TKP_TIMER_EXPAND) {
        ::KillTimer(m_hWnd, TKP_TIMER_EXPAND);
        if (CTKPControl* selected = GetControl(m_nSelected); selected && selected->GetID() == TKP_ID_EXPAND_POPUP)
            ExpandBar();
        return TRUE;
    }
    if (message == WM_MOUSEMOVE && m_bScrolling) {
        // Resting on an arrow scrolls; leaving it stops.
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        UINT_PTR timer = 0;
        if (::PtInRect(&m_rcScrollDown, pt))
            timer = TKP_TIMER_SCROLLDOWN;
        else if (::PtInRect(&m_rcScrollUp, pt))
            timer = TKP_TIMER_SCROLLUP;
        if (timer != m_nScrollTimer) {
            if (m_nScrollTimer)
                ::KillTimer(m_hWnd, m_nScrollTimer);
            m_nScrollTimer = timer;
            if (timer)
                ::SetTimer(m_hWnd, timer, 80, nullptr);
        }
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
    m_bExpandAnimation = TRUE;
    m_dwFlags |= 1;
    CTKPMouseTracker::GetThreadTracker()->m_bShowAll = TRUE;
    SetSelected(-1);
    OnRecalcLayout();
    m_bExpandAnimation = FALSE;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

BOOL CTKPPopupBar::DestroyWindow()
{
    CWnd* site = GetSite();
    if (m_hWnd && site && site->m_hWnd) {
        std::vector<HWND> children;
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            children.push_back(child);
        for (HWND child : children) {
            ::ShowWindow(child, SW_HIDE);
            ::SetParent(child, site->m_hWnd);
        }
    }
    return CTKPCommandBar::DestroyWindow();
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
