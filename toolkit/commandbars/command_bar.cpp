// The command bar base: its controls, selection, tracking mode, keys, timers, painting, customize
// drops, accessibility and the resolution of its command bars, paint manager and image manager.
#include "toolkit/commandbars/command_bar.h"

#include "afx/app.h"
#include "afx/framework_ids.h"
#include "afx/window_dc.h"
#include "toolkit/base/accessible.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/customize_drag.h"
#include "toolkit/commandbars/customize_sheet.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tip_context.h"

#include <cstdlib>

IMPLEMENT_SERIAL(CTKPCommandBar, CWnd, VERSIONABLE_SCHEMA | 16)

CTKPCommandBar::CTKPCommandBar() : m_pControls(new CTKPControls())
{
    m_pControls->SetParent(this);
}

CTKPCommandBar::~CTKPCommandBar()
{
    // A bar released after its thread's storage went (at process exit) finds no trackers, and
    // must not make new ones there.
    CTKPKeyboardTracker* keyboard = CTKPKeyboardTracker::FindThreadTracker();
    CTKPMouseTracker* tracker = CTKPMouseTracker::FindThreadTracker();
    if (m_nTrackingMode && keyboard && tracker)
        SetTrackingMode(0, TRUE, FALSE);
    if (keyboard)
        keyboard->RemoveWindow(this);
    if (tracker) {
        tracker->RemoveBar(this);
        if (tracker->m_pSelectingBar == this)
            tracker->m_pSelectingBar = nullptr;
    }
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
void CTKPCommandBar::UnlockRedraw()
{
    if (m_nRedrawLock > 0 && --m_nRedrawLock == 0) {
        m_dwFlags &= ~DWORD(2);
        if (m_hWnd)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

BOOL CTKPCommandBar::SetSelected(int index, BOOL keyboard)
{
    if (index == m_nSelected)
        return FALSE;
    m_bKeyboardSelection = keyboard;
    if (!m_hWnd)
        return FALSE;
    LockRedraw();
    if (CTKPControl* old = GetControl(m_nSelected))
        old->SetSelected(0);
    m_nSelected = index;
    if (CTKPControl* control = GetControl(index)) {
        if (m_nTrackingMode)
            CallNotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWnd, OBJID_MENU, index + 1);
        control->SetSelected(keyboard ? 2 : 1);
        CTKPMouseTracker::GetThreadTracker()->m_pSelectingBar = this;
        if (!keyboard)
            ::SetTimer(m_hWnd, TKP_TIMER_HOVER, 300, nullptr);
    } else {
        ::KillTimer(m_hWnd, TKP_TIMER_HOVER);
    }
    UnlockRedraw();
    return TRUE;
}

BOOL CTKPCommandBar::SetPopuped(int index, BOOL keyboard)
{
    if (index == m_nExpanded)
        return FALSE;
    LockRedraw();
    if (CTKPControl* old = GetControl(m_nExpanded)) {
        m_nExpanded = -1;
        old->SetPopuped(FALSE);
    }
    m_nExpanded = -1;
    if (index == -1) {
        UnlockRedraw();
        return TRUE;
    }
    auto* popup = dynamic_cast<CTKPControlPopup*>(GetControl(index));
    if (!popup || !popup->GetEnabled()) {
        UnlockRedraw();
        return FALSE;
    }
    m_nExpanded = index;
    SetTrackingMode(2, FALSE, keyboard);
    m_bKeyboardEntry = keyboard;
    SetSelected(index, keyboard);
    popup->SetPopuped(TRUE);
    CTKPCommandBars* bars = GetCommandBars();
    if (m_hWnd && (!bars || bars->GetCommandBarsOptions()->bShowFullAfterDelay))
        ::SetTimer(m_hWnd, TKP_TIMER_SHOWFULL, 5000, nullptr);
    UnlockRedraw();
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
    CTKPCommandBars* bars = GetCommandBars();
    CTKPMouseTracker* mouse = CTKPMouseTracker::GetThreadTracker();
    CTKPKeyboardTracker* keyboard = CTKPKeyboardTracker::GetThreadTracker();
    if (mode) {
        CWnd* site = GetSite();
        if (m_barType == TKP_BARTYPE_MENUBAR && site && site->m_hWnd)
            ::SendMessageW(site->m_hWnd, TKP_WM_TRACKINGMODE, WPARAM(this), 0);
        m_bMouseEntry = !selectFirst && !fromKeyboard;
        m_bKeyboardEntry = fromKeyboard;
        if (m_bHideCaretWhileTracking) {
            HWND focus = ::GetFocus();
            m_hWndCaret = focus ? focus : (site ? site->m_hWnd : nullptr);
            if (m_hWndCaret)
                ::HideCaret(m_hWndCaret);
        }
        mouse->AddBar(this);
        keyboard->AddWindow(this);
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        if (selectFirst)
            SetSelected(m_pControls->GetNext(-1, 1), TRUE);
    } else {
        m_bMouseEntry = FALSE;
        mouse->RemoveBar(this);
        keyboard->RemoveWindow(this);
        SetPopuped(-1);
        if (selectFirst)
            SetSelected(-1);
        if (m_hWndCaret) {
            ::ShowCaret(m_hWndCaret);
            m_hWndCaret = nullptr;
        }
        if (!m_nRedrawLock && m_hWnd)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        if (!mouse->GetTrackedCount())
            mouse->m_pSelectingBar = nullptr;
        if (m_hWnd && ::GetFocus() == m_hWnd)
            if (HWND parent = ::GetParent(m_hWnd))
                ::SetFocus(::GetNextDlgTabItem(parent, m_hWnd, FALSE));
        m_nModalLock = 0;
    }
    if (bars)
        bars->OnTrackingModeChanged(this, mode);
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
    if (IsCustomizeMode() || IsHelpMode())
        return 2;
    if (m_nModalLock)
        return 1;
    if (CTKPControl* selected = GetControl(m_nSelected)) {
        const int answer = selected->OnHookKeyDown(vk, lParam);
        if (answer == 1 || answer == 2)
            return answer;
    }
    if (CWnd* site = GetSite(); site && site->m_hWnd) {
        struct {
            UINT vk;
            LPARAM lParam;
        } key{vk, lParam};
        ::SendMessageW(site->m_hWnd, TKP_WM_TRACKINGKEY, WPARAM(&key), LPARAM(this));
    }
    CTKPCommandBars* bars = GetCommandBars();
    const BOOL shift = ::GetKeyState(VK_SHIFT) < 0;
    switch (vk) {
    case VK_TAB:
        if (::GetKeyState(VK_CONTROL) < 0 && m_barType == TKP_BARTYPE_TOOLBAR && bars) {
            bars->SwitchBar(this, shift ? -1 : 1);
            return 1;
        }
        ProcessSpecialKey(shift ? 1 : 0);
        return 1;
    case VK_RETURN:
        ProcessSpecialKey(5);
        return 1;
    case VK_ESCAPE:
        ProcessSpecialKey(4);
        return 1;
    default:
        break;
    }
    if (m_hWnd && ::GetFocus() && ::IsChild(m_hWnd, ::GetFocus()))
        return 2;
    const BOOL horizontal = m_barPosition == TKP_BARPOS_TOP || m_barPosition == TKP_BARPOS_BOTTOM ||
                            m_barPosition == TKP_BARPOS_FLOATING ||
                            (m_barPosition == TKP_BARPOS_POPUP && m_barType == TKP_BARTYPE_TOOLBAR);
    const BOOL rtl = IsLayoutRTL();
    int code = -1;
    switch (vk) {
    case VK_END:
        code = 7;
        break;
    case VK_HOME:
        code = 6;
        break;
    case VK_LEFT:
        code = horizontal ? (rtl ? 0 : 1) : (rtl ? 3 : 2);
        break;
    case VK_UP:
        code = horizontal ? 2 : 1;
        break;
    case VK_RIGHT:
        code = horizontal ? (rtl ? 1 : 0) : (rtl ? 2 : 3);
        break;
    case VK_DOWN:
        code = horizontal ? 3 : 0;
        break;
    default:
        break;
    }
    // A navigation key this bar cannot use goes on to the bar below it (the parent of a popup).
    if (code != -1)
        return ProcessSpecialKey(code) ? 1 : 0;
    if (!::MapVirtualKeyW(vk, 2))
        return 2;
    if (m_barType == TKP_BARTYPE_TOOLBAR && bars && bars->OnMenuKey(vk))
        return 1;
    if (::GetKeyState(VK_CONTROL) >= 0) {
        BOOL several = FALSE;
        const int found = FindAccel(vk, several);
        if (found != -1) {
            SetSelected(found, TRUE);
            if (!several)
                if (CTKPControl* control = GetControl(found))
                    control->OnClick(TRUE, POINT{0, 0});
            return 1;
        }
    }
    if (vk != VK_SHIFT && vk != VK_CONTROL)
        ::MessageBeep(0);
    return 1;
}

// Keyboard moves between the rows of a popup tool bar or a floating bar: the first control of the
// next row in the direction, then the one of that row closest to the selection across the bar.
BOOL CTKPCommandBar::MoveToRow(int direction)
{
    CTKPControl* from = GetControl(m_nSelected);
    if (!from) {
        SetSelected(m_pControls->GetNext(-1, direction), TRUE);
        return TRUE;
    }
    const RECT rcFrom = from->GetRect();
    int i = m_nSelected, other = -1;
    for (int step = 0; step < GetControlCount(); ++step) {
        i = m_pControls->GetNext(i, direction);
        if (i == -1 || i == m_nSelected)
            break;
        if (GetControl(i)->GetRect().top != rcFrom.top) {
            other = i;
            break;
        }
    }
    if (other == -1)
        return TRUE;
    const LONG rowTop = GetControl(other)->GetRect().top;
    const LONG centre = (rcFrom.left + rcFrom.right) / 2;
    int best = other;
    LONG bestDistance = 0x7FFFFFFF;
    for (int j = 0; j < GetControlCount(); ++j) {
        CTKPControl* c = GetControl(j);
        if (c->IsHidden() || (c->GetFlags() & TKP_FLAG_SKIPFOCUS) || c->GetRect().top != rowTop)
            continue;
        const RECT rc = c->GetRect();
        const LONG distance = centre < rc.left ? rc.left - centre : centre > rc.right ? centre - rc.right : 0;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = j;
        }
    }
    SetSelected(best, TRUE);
    return TRUE;
}

BOOL CTKPCommandBar::ProcessSpecialKey(int code)
{
    const BOOL popupToolBar = m_barPosition == TKP_BARPOS_POPUP && m_barType == TKP_BARTYPE_TOOLBAR;
    if (m_nSelected != -1 && m_nSelected == m_nExpanded && popupToolBar) {
        if (code == 0)
            return FALSE;
        if (code == 1)
            code = 2;
    }
    if (code == 2 && m_nExpanded == -1 && m_nSelected != -1 && (popupToolBar || !GetParentBar())) {
        CTKPControl* selected = GetControl(m_nSelected);
        const int type = selected ? selected->GetType() : 0;
        if (type >= TKP_CONTROL_POPUP && type <= TKP_CONTROL_SPLITBUTTONPOPUP && selected->GetCommandBar())
            code = 3;
    }
    if ((code == 2 || code == 3) && m_nExpanded == -1 && (popupToolBar || m_barPosition == TKP_BARPOS_FLOATING))
        return MoveToRow(code == 2 ? -1 : 1);
    switch (code) {
    case 0:
    case 1:
        SetSelected(m_pControls->GetNext(m_nSelected, code == 0 ? 1 : -1), TRUE);
        return TRUE;
    case 2:
        if (m_nExpanded == -1)
            return FALSE;
        SetPopuped(-1);
        return TRUE;
    case 3:
        if (m_nSelected == -1 || m_nExpanded == m_nSelected)
            return FALSE;
        m_bKeyboardSelection = TRUE;
        return SetPopuped(m_nSelected, TRUE);
    case 4:
        if (CTKPCommandBar* parent = GetParentBar())
            parent->SetTrackingMode(1, FALSE, TRUE);
        SetTrackingMode(0, TRUE, FALSE);
        return TRUE;
    case 5:
        if (CTKPControl* control = GetControl(m_nSelected)) {
            m_bKeyboardSelection = TRUE;
            control->OnClick(TRUE, POINT{0, 0});
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

int CTKPCommandBar::FindAccel(UINT vk, BOOL& several) const
{
    several = FALSE;
    const int count = GetControlCount();
    int found = -1, firstLetter = -1;
    BOOL severalFirst = FALSE;
    for (int step = 1; step <= count; ++step) {
        const int i = ((m_nSelected < 0 ? -1 : m_nSelected) + step + count) % count;
        CTKPControl* control = GetControl(i);
        if (!control || (control->GetHideFlags() & ~DWORD(TKP_HIDE_EXPAND)) || !control->GetEnabled() ||
            (control->GetFlags() & TKP_FLAG_SKIPFOCUS))
            continue;
        const CString caption = control->GetCaption();
        if (caption.IsEmpty())
            continue;
        const int amp = caption.Find(u'&');
        if (amp >= 0 && amp + 1 < caption.GetLength()) {
            if (CTKPShortcutTable::IsSameKey(caption[amp + 1], vk)) {
                if (found == -1)
                    found = i;
                else
                    several = TRUE;
            }
        } else if (CTKPShortcutTable::IsSameKey(caption[0], vk)) {
            if (firstLetter == -1)
                firstLetter = i;
            else
                severalFirst = TRUE;
        }
    }
    if (found != -1)
        return found;
    several = severalFirst;
    return firstLetter;
}

void CTKPCommandBar::OnControlSelected(BOOL selected, CTKPControl* control)
{
    CWnd* site = GetSite();
    if (!site || !site->m_hWnd)
        return;
    ::SendMessageW(site->m_hWnd, TKP_WM_CONTROLSELECTED, selected ? WPARAM(control) : 0, 0);
    if (!control || int(control->GetID()) == m_nLastStatusId)
        return;
    m_nLastStatusId = -1;
    CTKPCommandBars* bars = GetCommandBars();
    if (bars && !bars->GetCommandBarsOptions()->bShowStatusDescriptions)
        return;
    if (selected) {
        const CString description = control->GetDescription();
        ::SendMessageW(site->m_hWnd, WM_SETMESSAGESTRING, 0, LPARAM(description.GetString()));
    } else {
        ::SendMessageW(site->m_hWnd, WM_POPMESSAGESTRING, AFX_IDS_IDLEMESSAGE, 0);
    }
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
    const HDC hdc = pDC->m_hDC;
    paint->FillCommandBar(hdc, this);
    if (m_dwStyle & 0x400000)
        paint->DrawBarGripper(hdc, this, TRUE);
    CTKPCommandBars* bars = GetCommandBars();
    const BOOL customize = IsCustomizeMode();
    BOOL first = TRUE;
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        if (!control || control->IsHidden())
            continue;
        if (control->GetBeginGroup() && !first)
            paint->DrawGroupSeparator(hdc, this, control, TRUE);
        first = FALSE;
        HGDIOBJ old = ::SelectObject(hdc, paint->GetBarFont(this));
        control->Draw(pDC);
        ::SelectObject(hdc, old);
        if (customize && bars && bars->GetDragControl() == control) {
            RECT rc = control->GetRect();
            paint->Draw3dColors(hdc, rc, 0, 0);
            ::InflateRect(&rc, -1, -1);
            paint->Draw3dColors(hdc, rc, 0, 0);
        }
    }
    if (!::IsRectEmpty(&m_rcMarker)) {
        // An I-shaped mark: a one-pixel stem with two-pixel caps, inverted so it shows on any face.
        HBRUSH brush = ::CreateSolidBrush(GetColorTable().GetColorByIndex(15));
        HGDIOBJ oldBrush = ::SelectObject(hdc, brush);
        const RECT& m = m_rcMarker;
        if (m_bMarkerVertical) {
            const int y = (m.top + m.bottom) / 2;
            ::PatBlt(hdc, m.left, y, m.right - m.left, 1, PATINVERT);
            ::PatBlt(hdc, m.left, m.top, 2, m.bottom - m.top, PATINVERT);
            ::PatBlt(hdc, m.right - 2, m.top, 2, m.bottom - m.top, PATINVERT);
        } else {
            const int x = (m.left + m.right) / 2;
            ::PatBlt(hdc, x, m.top, 1, m.bottom - m.top, PATINVERT);
            ::PatBlt(hdc, m.left, m.top, m.right - m.left, 2, PATINVERT);
            ::PatBlt(hdc, m.left, m.bottom - 2, m.right - m.left, 2, PATINVERT);
        }
        ::SelectObject(hdc, oldBrush);
        ::DeleteObject(brush);
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

namespace {
// Command-state updates of one control: Enable, SetCheck and SetText act on the control.
class CTKPControlCmdUI : public CCmdUI {
public:
    explicit CTKPControlCmdUI(CTKPControl* control) : m_pControl(control) {}
    void Enable(BOOL on) override
    {
        m_bEnableChanged = TRUE;
        m_pControl->SetEnabled(on);
        if (!on)
            m_pControl->SetChecked(FALSE);
    }
    void SetCheck(int check) override { m_pControl->SetChecked(check); }
    void SetRadio(BOOL on) override { m_pControl->SetChecked(on); }
    void SetText(LPCWSTR text) override { m_pControl->SetCaption(text); }

private:
    CTKPControl* m_pControl;
};
} // namespace

void CTKPCommandBar::UpdateDocTemplateControls()
{
    CTKPCommandBars* bars = GetCommandBars();
    const UINT menuId = bars ? bars->GetActiveMenuId() : 0;
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        BOOL hide = FALSE;
        if (!control->m_shownForMenuIds.empty())
            hide = !control->m_shownForMenuIds.count(menuId);
        else if (!control->m_hiddenForMenuIds.empty())
            hide = control->m_hiddenForMenuIds.count(menuId) != 0;
        else
            continue;
        const DWORD flags = hide ? (control->GetHideFlags() | TKP_HIDE_DOCTEMPLATE)
                                 : (control->GetHideFlags() & ~DWORD(TKP_HIDE_DOCTEMPLATE));
        if (flags != control->GetHideFlags()) {
            control->SetHideFlags(flags);
            m_dwFlags |= 1;
        }
    }
}

void CTKPCommandBar::OnUpdateCmdUI(CWnd*, BOOL disableIfNoHandler)
{
    if (!m_hWnd || !::IsWindowVisible(m_hWnd))
        return;
    CWnd* target = GetOwnerWindow();
    UpdateDocTemplateControls();
    CTKPCommandBar* root = GetRootParent();
    const BOOL customize = IsCustomizeMode();
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        if (!control->GetID() || (control->GetFlags() & TKP_FLAG_MANUALUPDATE) ||
            (root->m_nTrackingMode && root->m_bNoNotify))
            continue;
        CTKPControlCmdUI ui(control);
        ui.m_nID = control->GetID();
        ui.m_nIndex = UINT(i);
        ui.m_pOther = this;
        ui.m_nIndexMax = UINT(GetControlCount());
        if (OnCmdMsg(ui.m_nID, int(CN_UPDATE_COMMAND_UI), &ui, nullptr))
            continue;
        if (customize) {
            control->SetEnabled(TRUE);
            continue;
        }
        if (target)
            ui.DoUpdate(target, disableIfNoHandler);
    }
    if (m_dwFlags & 2) {
        m_dwFlags &= ~DWORD(2);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    if (m_dwFlags & 1) {
        m_dwFlags &= ~DWORD(1);
        OnRecalcLayout();
    }
    UpdateDialogControls(target, disableIfNoHandler);
}

BOOL CTKPCommandBar::IsHelpMode() const
{
    auto* frame = dynamic_cast<CFrameWnd*>(GetSite());
    return frame && frame->m_bHelpMode;
}

int CTKPCommandBar::HitTestIndex(POINT pt) const
{
    CTKPControl* control = m_pControls->HitTest(pt);
    return control ? control->GetIndex() : -1;
}

void CTKPCommandBar::InvalidateParents()
{
    for (CTKPCommandBar* bar = this; bar; bar = bar->GetParentBar())
        if (bar->m_hWnd)
            ::InvalidateRect(bar->m_hWnd, nullptr, FALSE);
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
    const BOOL own = m_szIcons.cx > 0;
    CTKPCommandBars* bars = GetCommandBars();
    if (!bars)
        return own ? m_szIcons : SIZE{16, 16};
    CTKPCommandBarsSettings* options = bars->GetCommandBarsOptions();
    if (m_barType == TKP_BARTYPE_POPUP)
        return own ? m_szIcons : options->szPopupIcons;
    SIZE size = own ? m_szIcons : options->szIcons.cx > 0 ? options->szIcons : SIZE{16, 16};
    // Large icons, unless the bar keeps buttons of its own size: the size the options give, else
    // twice the usual one.
    if (options->bLargeIcons && m_szButtons.cx <= 0)
        size = options->szLargeIcons.cx > 0 ? options->szLargeIcons : SIZE{size.cx * 2, size.cy * 2};
    return size;
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

// ---- Customize drag and drop -------------------------------------------------------------------
void CTKPCommandBar::FindDropIndex(CTKPControl* dragged, POINT pt, RECT& marker, int& index, BOOL& after)
{
    const BOOL vertical = m_barPosition == TKP_BARPOS_LEFT || m_barPosition == TKP_BARPOS_RIGHT ||
                          m_barType == TKP_BARTYPE_POPUP;
    const RECT client = GetClientRect();
    CTKPControl* candidate = nullptr;
    int bestDistance = 0;
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        if (control->IsHidden() || (control->GetFlags() & TKP_FLAG_NOMOVABLE))
            continue;
        const RECT rc = control->GetRect();
        const int centre = vertical ? (rc.top + rc.bottom) / 2 : (rc.left + rc.right) / 2;
        const int axis = vertical ? pt.y : pt.x;
        const int distance = centre > axis ? centre - axis : axis - centre;
        if (control->GetWrap()) {
            if (vertical ? rc.right < pt.x : rc.top > pt.y)
                break;
        } else if (candidate && bestDistance <= distance) {
            continue;
        }
        candidate = control;
        bestDistance = distance;
        after = centre < axis;
        CTKPControl* next = GetControl(i + 1);
        if (vertical)
            marker = after ? (next && !next->GetBeginGroup() ? RECT{rc.left, rc.bottom, rc.right, rc.bottom + 6}
                                                            : RECT{rc.left, rc.bottom - 6, rc.right, rc.bottom})
                           : RECT{rc.left, rc.top, rc.right, rc.top + 6};
        else
            marker = after ? (next && !next->GetBeginGroup() && !next->GetWrap()
                                  ? RECT{rc.right, rc.top, rc.right + 6, rc.bottom}
                                  : RECT{rc.right - 6, rc.top, rc.right, rc.bottom})
                           : RECT{rc.left, rc.top, rc.left + 6, rc.bottom};
        m_bMarkerVertical = vertical;
    }
    if (!candidate) {
        marker = RECT{client.left + 2, client.top + 2, client.left + 8, client.bottom - 2};
        index = -1;
        after = TRUE;
        m_bMarkerVertical = FALSE;
        return;
    }
    index = candidate->GetIndex();
    if (candidate == dragged)
        ::SetRectEmpty(&marker);
}

int CTKPCommandBar::OnCustomizeDragEnter(CTKPControl* dragged, POINT pt)
{
    ::SetRectEmpty(&m_rcMarker);
    return OnCustomizeDragOver(dragged, pt);
}

void CTKPCommandBar::OnCustomizeDragLeave()
{
    ::SetRectEmpty(&m_rcMarker);
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

int CTKPCommandBar::OnCustomizeDragOver(CTKPControl* dragged, POINT pt)
{
    if (!IsCustomizable() || !m_hWnd || !(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VISIBLE))
        return 0;
    RECT marker{0, 0, 0, 0};
    int index = -1;
    BOOL after = FALSE;
    FindDropIndex(dragged, pt, marker, index, after);
    int effect = -1;
    if (CTKPControl* under = m_pControls->HitTest(pt)) {
        if (!GetParentBar() && under->GetIndex() != m_nExpanded)
            CTKPMouseTracker::GetThreadTracker()->CloseAll();
        under->OnCustomizeDragOver(dragged, pt, effect);
    }
    if (!dragged || dragged->IsCustomizeDragOverAvail(this, pt, effect)) {
        m_rcMarker = marker;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    return effect;
}

void CTKPCommandBar::OnCustomizeDrop(CTKPControl* dropped, int& effect, POINT pt, POINT start)
{
    RECT marker{0, 0, 0, 0};
    int index = -1;
    BOOL after = FALSE;
    FindDropIndex(dropped, pt, marker, index, after);
    CTKPControl* at = GetControl(index);
    if (index != -1 && at == dropped) {
        if (std::abs(pt.x - start.x) > 4 || std::abs(pt.y - start.y) > 4)
            at->SetBeginGroup(after && index != 0);
        effect = 5;
    } else if (dropped) {
        if (after)
            ++index;
        SetPopuped(-1);
        SetSelected(-1, FALSE);
        BOOL beginGroup = FALSE;
        if (!after)
            if (CTKPControl* existing = GetControl(index); existing && existing->GetBeginGroup()) {
                existing->SetBeginGroup(FALSE);
                beginGroup = TRUE;
            }
        CTKPControl* copy = m_pControls->AddClone(dropped, index < 0 ? 0 : index, TRUE);
        copy->SetBeginGroup(beginGroup);
        if (CTKPCommandBars* bars = GetCommandBars())
            bars->SetDragControl(copy);
    }
    OnRecalcLayout();
    ::SetRectEmpty(&m_rcMarker);
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

// ---- Window messages ---------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CTKPCommandBar, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
    ON_MESSAGE(WM_NCMOUSEMOVE, OnNcMouseMove)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_TIMER()
    ON_WM_PAINT()
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
    ON_MESSAGE(WM_NCHITTEST, OnNcHitTestMsg)
    ON_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDownMsg)
    ON_MESSAGE(WM_GETOBJECT, OnGetObject)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdate)
END_MESSAGE_MAP()

BOOL CTKPCommandBar::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (m_pTipContext && m_hWnd)
        m_pTipContext->RelayToolTipMessage(this, message, wParam, lParam);
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

int CTKPCommandBar::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CTKPCommandBars* bars = GetCommandBars();
    if (bars && m_barPosition != 6)
        bars->GetDragContext()->Register(this);
    if (bars && !m_pTipContext) {
        m_pTipContext = bars->GetToolTipContext();
        m_pTipContext->InternalAddRef();
    }
    return 0;
}

void CTKPCommandBar::OnDestroy()
{
    if (CTKPCommandBars* bars = GetCommandBars(); bars && m_barPosition != 6)
        bars->GetDragContext()->Unregister(this);
    if (m_nTrackingMode)
        SetTrackingMode(0, TRUE, FALSE);
    CWnd::OnDestroy();
}

void CTKPCommandBar::OnMouseMove(UINT, CPoint pt)
{
    CTKPMouseTracker* mouse = CTKPMouseTracker::GetThreadTracker();
    if (mouse->IsTrackingOtherThan(this))
        return;
    CWnd* site = GetSite();
    if (!m_nTrackingMode && m_barType != TKP_BARTYPE_POPUP &&
        !(site && site->m_hWnd && IsTopLevelWindowActive(site->m_hWnd)))
        return;
    if (IsCustomizeMode()) {
        if (CTKPCommandBars* bars = GetCommandBars())
            if (CTKPControl* drag = bars->GetDragControl(); drag && drag->GetParent() == this)
                drag->OnMouseMove(pt);
        return;
    }
    int candidate = -1;
    if ((m_nTrackingMode && m_barType != TKP_BARTYPE_POPUP) || m_nExpanded != -1 || m_bKeyboardSelection)
        candidate = m_nSelected;
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        const RECT rc = control->GetRect();
        if (control->GetHideFlags() || !::PtInRect(&rc, pt))
            continue;
        candidate = i;
        mouse->TrackMouseLeave(m_hWnd);
        control->OnMouseMove(pt);
        break;
    }
    SetSelected(candidate, FALSE);
}

LRESULT CTKPCommandBar::OnMouseLeave(WPARAM, LPARAM)
{
    if (CTKPMouseTracker::GetThreadTracker()->m_nModalDepth > 0 ||
        (m_nTrackingMode && m_barType != TKP_BARTYPE_POPUP) || m_nExpanded != -1 || m_nModalLock > 0)
        return 0;
    SetSelected(-1, FALSE);
    return 0;
}

LRESULT CTKPCommandBar::OnNcMouseMove(WPARAM, LPARAM)
{
    OnMouseLeave(0, 0);
    return Default();
}

void CTKPCommandBar::OnLButtonDown(UINT, CPoint pt)
{
    CTKPControl* control = m_pControls->HitTest(pt);
    if (!control) {
        Default();
        return;
    }
    CTKPCommandBars* bars = GetCommandBars();
    if (!IsCustomizeMode() && bars && IsCustomizable() && !(control->GetFlags() & TKP_FLAG_NOMOVABLE) &&
        m_barType == TKP_BARTYPE_TOOLBAR && ::GetKeyState(VK_MENU) < 0 && bars->m_bCustomizable &&
        bars->GetCommandBarsOptions()->bAltDragCustomization) {
        // Alt+drag moves a button without the customise sheet.
        bars->SetQuickCustomizeMode(TRUE);
        SetPopuped(-1);
        SetSelected(-1, FALSE);
        control->OnCustomizeMouseDown(pt);
        bars->SetQuickCustomizeMode(FALSE);
        bars->RecalcFrameLayout();
        CTKPMouseTracker::GetThreadTracker()->CloseAll();
        return;
    }
    if (IsCustomizeMode() && (!IsCustomizable() || (control->GetFlags() & TKP_FLAG_NOMOVABLE)))
        return;
    control->OnClick(FALSE, pt);
}

void CTKPCommandBar::OnLButtonDblClk(UINT, CPoint pt)
{
    if (IsCustomizeMode())
        return;
    if (CTKPControl* control = m_pControls->HitTest(pt))
        control->OnLButtonDblClk(pt);
}

void CTKPCommandBar::OnLButtonUp(UINT, CPoint pt)
{
    CTKPControl* control = IsCustomizeMode() ? nullptr : m_pControls->HitTest(pt);
    if (!control) {
        Default();
        return;
    }
    control->OnLButtonUp(pt);
}

void CTKPCommandBar::OnRButtonUp(UINT, CPoint pt)
{
    CTKPControl* control = IsCustomizeMode() ? nullptr : m_pControls->HitTest(pt);
    if (!control) {
        Default();
        return;
    }
    POINT point = pt;
    if (CWnd* site = GetSite(); site && site->m_hWnd &&
                                ::SendMessageW(site->m_hWnd, TKP_WM_CONTROLRBUTTONUP, WPARAM(&point), LPARAM(control)) == 1)
        return;
    if (GetRootParent()->m_bRightButtonTracking)
        control->OnLButtonUp(pt);
    else
        control->OnRButtonUp(pt);
}

void CTKPCommandBar::OnRButtonDown(UINT, CPoint pt)
{
    if (!IsCustomizeMode() || !IsCustomizable()) {
        Default();
        return;
    }
    CTKPControl* control = m_pControls->HitTest(pt);
    CTKPCommandBars* bars = GetCommandBars();
    if (!control || (control->GetFlags() & TKP_FLAG_NOMOVABLE) || !bars)
        return;
    bars->SetDragControl(control);
    if (auto* sheet = dynamic_cast<CTKPCustomizeSheet*>(bars->GetDragContext()->m_pSheet); sheet && !control->IsHidden()) {
        POINT screen = pt;
        ::ClientToScreen(m_hWnd, &screen);
        sheet->ShowControlMenu(screen.x, screen.y);
    }
}

void CTKPCommandBar::OnTimer(UINT_PTR id)
{
    if (id == TKP_TIMER_HOVER) {
        ::KillTimer(m_hWnd, id);
        if (!m_nModalLock)
            if (CTKPControl* control = GetControl(m_nSelected))
                control->OnMouseHover();
        return;
    }
    if (id == TKP_TIMER_SHOWFULL) {
        ::KillTimer(m_hWnd, id);
        if (m_nModalLock || m_nExpanded == -1 || m_nExpanded != m_nSelected)
            return;
        if (auto* popup = dynamic_cast<CTKPControlPopup*>(GetControl(m_nExpanded)))
            if (auto* bar = dynamic_cast<CTKPPopupBar*>(popup->GetCommandBar()); bar && bar->m_bExpandable &&
                                                                              !bar->m_bExpanded)
                bar->ExpandBar();
        return;
    }
    CWnd::OnTimer(id);
}

void CTKPCommandBar::OnPaint()
{
    CPaintDC dc(this);
    const RECT rc = GetClientRect();
    CTKPOffscreenDC offscreen(dc.m_hDC, rc);
    DrawCommandBar(&offscreen, rc);
}

LRESULT CTKPCommandBar::OnPrintClient(WPARAM wParam, LPARAM)
{
    if (CDC* dc = CDC::FromHandle(HDC(wParam)))
        DrawCommandBar(dc, GetClientRect());
    return 1;
}

LRESULT CTKPCommandBar::OnHelpHitTest(WPARAM, LPARAM lParam)
{
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (CTKPControl* control = m_pControls->HitTest(pt))
        return LRESULT(control->GetID()) + 0x10000;
    const int id = ::GetDlgCtrlID(m_hWnd);
    return id ? id + 0x50000 : 0;
}

INT_PTR CTKPCommandBar::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const
{
    if (m_nTrackingMode == 2 && m_barType != TKP_BARTYPE_POPUP)
        return -1;
    // Another bar's open menu owns the mouse; a tip over this bar would cover it.
    const CTKPMouseTracker* tracker = CTKPMouseTracker::GetThreadTracker();
    for (int i = 0; i < tracker->GetTrackedCount(); ++i)
        if (tracker->GetTrackedBar(i) != this)
            return -1;
    CTKPCommandBars* bars = GetCommandBars();
    const CTKPCommandBarsSettings* options = bars ? bars->GetCommandBarsOptions() : nullptr;
    if (options && !options->bToolBarScreenTips)
        return -1;
    CTKPControl* control = m_pControls->HitTest(point);
    if (!control)
        return -1;
    if (m_barType == TKP_BARTYPE_POPUP && !(control->GetFlags() & TKP_FLAG_SHOWTIPINPOPUP) &&
        !(options && options->bShowPopupBarToolTips))
        return -1;
    CString tip = control->GetTooltip();
    if (tip.IsEmpty())
        return -1;
    CString description = control->GetDescription();
    if (options && options->bToolBarAccelTips) {
        CString shortcut = control->GetShortcutText();
        if (shortcut.IsEmpty() && control->GetID())
            bars->GetShortcutTable()->FindDefaultAccelerator(control->GetID(), shortcut);
        if (!shortcut.IsEmpty()) {
            tip += u" (" + shortcut + u")";
            description += u" (" + shortcut + u")";
        }
    }
    const UINT id = control->GetID();
    if (pTI)
        CTKPTipContext::FillToolInfo(pTI, m_hWnd, id, control->GetRect(), 0, tip, tip, description);
    return id ? INT_PTR(id) : -1;
}

LRESULT CTKPCommandBar::OnNcHitTestMsg(WPARAM, LPARAM lParam)
{
    if (!IsHelpMode())
        return Default();
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &pt);
    CTKPControl* control = m_pControls->HitTest(pt);
    if (control && int(control->GetID()) <= 0 && control->GetType() >= TKP_CONTROL_POPUP &&
        control->GetType() <= TKP_CONTROL_SPLITBUTTONPOPUP)
        return 5;
    return HTCLIENT;
}

LRESULT CTKPCommandBar::OnNcLButtonDownMsg(WPARAM, LPARAM lParam)
{
    if (!IsHelpMode())
        return Default();
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &pt);
    OnLButtonDown(0, CPoint(pt.x, pt.y));
    return 0;
}

LRESULT CTKPCommandBar::OnGetObject(WPARAM wParam, LPARAM lParam)
{
    if (LONG(lParam) != OBJID_CLIENT && LONG(lParam) != OBJID_MENU)
        return Default();
    return CallLresultFromObject(IID_IAccessible, wParam, GetAccessible());
}

LRESULT CTKPCommandBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    OnUpdateCmdUI(GetOwnerWindow(), BOOL(wParam));
    return 0;
}

LRESULT CTKPCommandBar::OnInitialUpdate(WPARAM, LPARAM)
{
    OnUpdateCmdUI(GetOwnerWindow(), FALSE);
    return 0;
}

// ---- Press loop --------------------------------------------------------------------------------
BOOL CTKPCommandBar::TrackPress(CTKPControl* control, const RECT& rcPress)
{
    if (!m_hWnd || !control)
        return FALSE;
    SetSelected(control->GetIndex(), FALSE);
    control->m_nPressed = 1;
    control->RedrawParent();
    ::SetCapture(m_hWnd);
    BOOL execute = FALSE, moved = FALSE;
    POINT last{0, 0};
    MSG msg;
    while (::GetCapture() == m_hWnd) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            // The quit request belongs to the thread's own loop.
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_LBUTTONUP) {
            const POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            execute = control->GetSelected() && (!moved || ::PtInRect(&rcPress, pt));
            break;
        }
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == m_hWnd) {
            last = POINT{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            moved = TRUE;
            const int inside = ::PtInRect(&rcPress, last) ? 1 : 0;
            if ((control->m_nSelected != 0) != (inside != 0)) {
                control->m_nSelected = inside;
                control->RedrawParent();
            }
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (!control->m_nSelected) {
        control->m_nPressed = 0;
        control->RedrawParent();
    } else {
        SetSelected(-1, FALSE);
        control->m_nSelected = 0;
        control->m_nPressed = 0;
        control->RedrawParent();
    }
    return execute;
}

// ---- Accessibility -----------------------------------------------------------------------------
namespace {
HRESULT ReturnText(const CString& text, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = ::SysAllocString(text.GetString());
    return S_OK;
}

void SetLong(VARIANT* var, long value)
{
    var->vt = VT_I4;
    var->lVal = value;
}

CString AccessibleText(const CTKPControl* control)
{
    CString name = StripMnemonicsCopy(control->GetCaption());
    const CString shortcut = control->GetShortcutText();
    if (!shortcut.IsEmpty())
        name += u"\t" + shortcut;
    return name;
}
} // namespace

HRESULT CTKPCommandBar::GetAccessibleChildCount(long* pcountChildren)
{
    if (!pcountChildren)
        return E_INVALIDARG;
    *pcountChildren = GetControlCount();
    return S_OK;
}

HRESULT CTKPCommandBar::GetAccessibleName(VARIANT varChild, BSTR* pszName)
{
    const LONG child = GetChildIdFromVariant(&varChild);
    if (child == CHILDID_SELF)
        return ReturnText(m_strTitle, pszName);
    CTKPControl* control = GetControl(child - 1);
    return control ? ReturnText(AccessibleText(control), pszName) : E_INVALIDARG;
}

HRESULT CTKPCommandBar::GetAccessibleRole(VARIANT varChild, VARIANT* pvarRole)
{
    if (!pvarRole)
        return E_INVALIDARG;
    const LONG child = GetChildIdFromVariant(&varChild);
    if (child > 0) {
        SetLong(pvarRole, ROLE_SYSTEM_MENUITEM);
        return S_OK;
    }
    SetLong(pvarRole, m_barType == TKP_BARTYPE_MENUBAR   ? ROLE_SYSTEM_MENUBAR
                      : m_barType == TKP_BARTYPE_TOOLBAR ? ROLE_SYSTEM_TOOLBAR
                                                         : ROLE_SYSTEM_MENUPOPUP);
    return S_OK;
}

HRESULT CTKPCommandBar::GetAccessibleState(VARIANT varChild, VARIANT* pvarState)
{
    if (!pvarState)
        return E_INVALIDARG;
    const LONG child = GetChildIdFromVariant(&varChild);
    if (child == CHILDID_SELF) {
        SetLong(pvarState, IsVisible() ? 0 : STATE_SYSTEM_INVISIBLE);
        return S_OK;
    }
    long state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (child - 1 == m_nSelected)
        state |= STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_SELECTED;
    SetLong(pvarState, state);
    return S_OK;
}

HRESULT CTKPCommandBar::AccessibleLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                                           VARIANT varChild)
{
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight)
        return E_INVALIDARG;
    RECT rc = GetWindowScreenRect();
    const LONG child = GetChildIdFromVariant(&varChild);
    if (CTKPControl* control = child > 0 ? GetControl(child - 1) : nullptr) {
        rc = control->GetRect();
        if (m_hWnd)
            ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    }
    *pxLeft = rc.left;
    *pyTop = rc.top;
    *pcxWidth = rc.right - rc.left;
    *pcyHeight = rc.bottom - rc.top;
    return S_OK;
}

HRESULT CTKPCommandBar::AccessibleHitTest(long xLeft, long yTop, VARIANT* pvarChild)
{
    if (!pvarChild)
        return E_INVALIDARG;
    POINT pt{LONG(xLeft), LONG(yTop)};
    if (m_hWnd)
        ::ScreenToClient(m_hWnd, &pt);
    CTKPControl* control = m_pControls->HitTest(pt);
    SetLong(pvarChild, control ? control->GetIndex() + 1 : CHILDID_SELF);
    return S_OK;
}
