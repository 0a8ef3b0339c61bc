// Controls of the command bars (the base, the button, the popup and the combo box) and their
// collection.
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/edit_combo.h"
#include "toolkit/commandbars/special_controls.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/sound_player.h"

#include <algorithm>
#include <cstdlib>

// ---- Control base ------------------------------------------------------------------------------
CTKPControl::CTKPControl() = default;

CTKPControl::~CTKPControl() = default;

void CTKPControl::SetBeginGroup(BOOL beginGroup)
{
    m_bBeginGroup = beginGroup;
    DelayLayoutParent();
}

void CTKPControl::SetEnabled(BOOL enabled)
{
    if (m_bEnabled == enabled)
        return;
    m_bEnabled = enabled;
    RedrawParent();
}

void CTKPControl::SetChecked(BOOL checked)
{
    if (m_bChecked == checked)
        return;
    m_bChecked = checked;
    RedrawParent();
}

BOOL CTKPControl::IsCaptionVisible() const
{
    if (m_pParent && m_pParent->GetType() == TKP_BARTYPE_POPUP)
        return TRUE;
    if (GetCaption().IsEmpty())
        return FALSE;
    const int style = m_nCustomStyle ? m_nCustomStyle : m_nDefaultStyle;
    if (style == TKP_STYLE_CAPTION || style == TKP_STYLE_ICONANDCAPTION)
        return TRUE;
    if (style == TKP_STYLE_ICON)
        return FALSE;
    switch (m_controlType) {
    case TKP_CONTROL_BUTTON:
    case TKP_CONTROL_BUTTONPOPUP:
    case TKP_CONTROL_SPLITBUTTONPOPUP:
        return const_cast<CTKPControl*>(this)->GetImage(16) == nullptr;
    case TKP_CONTROL_POPUP:
    case TKP_CONTROL_LABEL:
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CTKPControl::Compare(CTKPControl* other) const
{
    if (!other)
        return FALSE;
    return GetStyle() == other->GetStyle() && m_controlType == other->m_controlType && m_nId == other->m_nId &&
           m_dwFlags == other->m_dwFlags && m_bBeginGroup == other->m_bBeginGroup &&
           GetIconId() == other->GetIconId() && m_strCaption == other->m_strCaption &&
           m_strTooltipText == other->m_strTooltipText && m_strDescriptionText == other->m_strDescriptionText &&
           m_strCustomCaption == other->m_strCustomCaption && m_nCustomStyle == other->m_nCustomStyle &&
           m_strParameter == other->m_strParameter &&
           ((m_dwHideFlags & TKP_HIDE_CUSTOMIZE) != 0) == ((other->m_dwHideFlags & TKP_HIDE_CUSTOMIZE) != 0);
}

void CTKPControl::OnExecute()
{
    CTKPMenuSoundPlayer::Get().Play(CTKPMenuSoundPlayer::PlayCommand);
    m_nPressed = 2;
    CTKPCommandBar* parent = m_pParent;
    CTKPCommandBar* root = parent ? parent->GetRootParent() : nullptr;
    const BOOL keyboardEntry = root && root->m_bKeyboardEntry;
    CWnd* owner = parent ? parent->GetOwnerWindow() : nullptr;
    CTKPCommandBars* bars = parent ? parent->GetCommandBars() : nullptr;
    auto closePopups = [&]() {
        if (keyboardEntry && root)
            root->SetTrackingMode(0, TRUE, FALSE);
        else
            CTKPMouseTracker::GetThreadTracker()->CloseAll();
    };
    if (UINT* chosen = root ? root->m_pReturnCmd : nullptr) {
        closePopups();
        *chosen = m_nId;
        m_nPressed = 0;
        return;
    }
    // The command may close the very bar that holds the control.
    InternalAddRef();
    TKP_CONTROL_NOTIFY notify{{nullptr, m_nId, TKP_CN_EXECUTE}, this};
    if (bars && m_nId) {
        bars->MarkCommandUsed(m_nId);
        if (auto* popupBar = dynamic_cast<CTKPPopupBar*>(parent))
            if (CTKPControlPopup* opener = popupBar->GetParentControl(); opener && opener->GetID())
                bars->MarkCommandUsed(opener->GetID());
    }
    if (m_bCloseSubMenuOnClick)
        closePopups();
    m_nPressed = 0;
    if (m_nId && owner && owner->m_hWnd) {
        if (!::SendMessageW(owner->m_hWnd, TKP_WM_CONTROLNOTIFY, m_nId, LPARAM(&notify)))
            ::SendMessageW(owner->m_hWnd, WM_COMMAND, m_nId, 0);
        if (!m_bCloseSubMenuOnClick && m_pParent) {
            m_pParent->OnUpdateCmdUI(nullptr, FALSE);
            RedrawParent();
        }
    }
    InternalRelease();
}

LRESULT CTKPControl::NotifySite(UINT code)
{
    CWnd* owner = m_pParent ? m_pParent->GetOwnerWindow() : nullptr;
    if (!owner || !owner->m_hWnd)
        return 0;
    TKP_CONTROL_NOTIFY notify{{nullptr, m_nId, code}, this};
    return ::SendMessageW(owner->m_hWnd, TKP_WM_CONTROLNOTIFY, m_nId, LPARAM(&notify));
}

CSize CTKPControl::GetSize(CDC* pDC)
{
    CTKPPaintManager* paint = GetPaintManager();
    if (!paint || !pDC)
        return CSize(0, 0);
    const SIZE size = paint->GetControlSize(pDC->m_hDC, this, TRUE);
    return CSize(size.cx, size.cy);
}

void CTKPControl::Draw(CDC* pDC)
{
    CTKPPaintManager* paint = GetPaintManager();
    if (!paint || !pDC)
        return;
    // Measuring and drawing are one operation of the paint manager, steered by its last argument.
    const HDC hdc = pDC->m_hDC;
    switch (m_controlType) {
    case TKP_CONTROL_EDIT:
        paint->DrawEditControl(hdc, this, TRUE);
        break;
    case TKP_CONTROL_COMBOBOX:
        paint->DrawComboBoxControl(hdc, this, TRUE);
        break;
    default:
        if (m_pParent && m_pParent->GetType() == TKP_BARTYPE_POPUP)
            paint->DrawPopupBarControl(hdc, this, TRUE);
        else
            paint->DrawToolBarControl(hdc, this, TRUE);
        break;
    }
}

CTKPImageIcon* CTKPControl::GetImage(int width)
{
    const int id = GetIconId();
    if (id <= 0)
        return nullptr;
    CTKPImageManager* images = GetImageManager();
    return images ? images->GetImage(UINT(id), width) : nullptr;
}

int CTKPControl::GetIconId() const
{
    if (m_nCustomIconId)
        return int(m_nCustomIconId);
    return m_nIconId > 0 ? m_nIconId : int(m_nId);
}

void CTKPControl::Copy(CTKPControl* source, BOOL)
{
    if (!source || source == this)
        return;
    m_nId = source->m_nId;
    m_dwTag = source->m_dwTag;
    m_dwFlags = source->m_dwFlags;
    m_controlType = source->m_controlType;
    m_strCaption = source->m_strCaption;
    m_strShortcutText = source->m_strShortcutText;
    m_strShortcutTextAuto = source->m_strShortcutTextAuto;
    m_strTooltipText = source->m_strTooltipText;
    m_strDescriptionText = source->m_strDescriptionText;
    m_strParameter = source->m_strParameter;
    m_nIconId = source->m_nIconId;
    m_nCustomIconId = source->m_nCustomIconId;
    m_bTemporary = source->m_bTemporary;
    m_strCustomCaption = source->m_strCustomCaption;
    m_strCategory = source->m_strCategory;
    m_dwHideFlags = source->m_dwHideFlags;
    m_bDefaultItem = source->m_bDefaultItem;
    m_bEnabled = source->m_bEnabled;
    m_bChecked = source->m_bChecked;
    m_nDefaultStyle = source->m_nDefaultStyle;
    m_nCustomStyle = source->m_nCustomStyle;
    m_bBeginGroup = source->m_bBeginGroup;
    m_bCloseSubMenuOnClick = source->m_bCloseSubMenuOnClick;
    m_shownForMenuIds = source->m_shownForMenuIds;
    m_hiddenForMenuIds = source->m_hiddenForMenuIds;
}

void CTKPControl::OnClick(BOOL keyboard, POINT)
{
    if (m_bEnabled && keyboard)
        OnExecute();
}

BOOL CTKPControl::OnLButtonDblClk(POINT pt)
{
    OnClick(FALSE, pt);
    return TRUE;
}

void CTKPControl::OnMouseHover()
{
    if (!m_pParent)
        return;
    const BOOL wasOpen = m_pParent->m_nExpanded != -1;
    m_pParent->SetPopuped(-1);
    if (wasOpen && m_pParent->m_nTrackingMode == 2 && m_pParent->GetType() != TKP_BARTYPE_POPUP) {
        m_pParent->SetTrackingMode(0, TRUE, FALSE);
        m_pParent->SetSelected(-1);
    }
}

BOOL CTKPControl::SetSelected(int state)
{
    if (state == m_nSelected)
        return FALSE;
    if (state == 2 && m_pParent)
        m_pParent->SetPopuped(-1);
    m_nSelected = state;
    if (m_pParent)
        m_pParent->OnControlSelected(state != 0, this);
    RedrawParent();
    return TRUE;
}

CTKPControl* CTKPControl::Clone(BOOL recursive)
{
    auto* clone = new CTKPControl();
    clone->Copy(this, recursive);
    return clone;
}

void CTKPControl::SetID(UINT id)
{
    if (id == m_nId)
        return;
    m_nId = id;
    CString text;
    if (id && text.LoadString(id)) {
        const int newline = text.Find(u'\n');
        if (newline >= 0) {
            m_strDescriptionText = text.Left(newline);
            m_strTooltipText = text.Mid(newline + 1);
        } else {
            m_strDescriptionText = m_strTooltipText = text;
        }
        if (m_strCaption.IsEmpty())
            m_strCaption = m_strTooltipText;
    }
}

void CTKPControl::SetCaption(LPCWSTR caption)
{
    CString text(caption ? caption : u"");
    const int tab = text.Find(u'\t');
    if (tab >= 0) {
        m_strShortcutTextAuto = text.Mid(tab + 1);
        text = text.Left(tab);
    }
    if (text != m_strCaption) {
        m_strCaption = text;
        DelayLayoutParent();
    }
}

CString CTKPControl::GetCaption() const
{
    return m_strCustomCaption.IsEmpty() ? m_strCaption : m_strCustomCaption;
}

CString CTKPControl::GetShortcutText() const
{
    return m_strShortcutText.IsEmpty() ? m_strShortcutTextAuto : m_strShortcutText;
}

void CTKPControl::SetDefaultItem(BOOL defaultItem)
{
    if (m_bDefaultItem == defaultItem)
        return;
    m_bDefaultItem = defaultItem;
    DelayLayoutParent();
}

void CTKPControl::DelayLayoutParent()
{
    if (m_pParent)
        m_pParent->m_dwFlags |= 1;
}

void CTKPControl::RedrawParent()
{
    if (m_pParent && m_pParent->m_hWnd)
        ::InvalidateRect(m_pParent->m_hWnd, nullptr, FALSE);
}

BOOL CTKPControl::IsCustomizeMode() const
{
    return m_pParent && m_pParent->IsCustomizeMode();
}

BOOL CTKPControl::IsCursorOver() const
{
    if (!m_pParent || !m_pParent->m_hWnd)
        return FALSE;
    POINT pt;
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_pParent->m_hWnd, &pt);
    return ::PtInRect(&m_rcControl, pt);
}

CTKPPaintManager* CTKPControl::GetPaintManager() const
{
    if (m_pParent)
        return m_pParent->GetPaintManager();
    if (!GetGlobalPaintManager())
        SetGlobalTheme(0);
    return GetGlobalPaintManager();
}

CTKPImageManager* CTKPControl::GetImageManager() const
{
    if (m_pParent)
        return m_pParent->GetImageManager();
    if (m_pControls)
        if (CTKPCommandBars* bars = m_pControls->GetCommandBars())
            return bars->GetImageManager();
    return GetGlobalImageManager();
}

CTKPBarView* CTKPControl::GetParentBarView() const
{
    return m_pParent;
}

int CTKPControl::GetStyle() const
{
    return m_nCustomStyle ? m_nCustomStyle : m_nDefaultStyle;
}

// ---- Button ------------------------------------------------------------------------------------
CTKPControlButton::CTKPControlButton()
{
    m_controlType = TKP_CONTROL_BUTTON;
}

void CTKPControlButton::OnClick(BOOL keyboard, POINT pt)
{
    if (!m_bEnabled)
        return;
    if (IsCustomizeMode()) {
        if (m_pParent) {
            m_pParent->SetPopuped(-1);
            m_pParent->SetSelected(-1, FALSE);
            OnCustomizeMouseDown(pt);
        }
        return;
    }
    if (keyboard) {
        OnExecute();
        return;
    }
    // In a popup the button-up executes.
    if (!m_pParent || m_pParent->GetType() == TKP_BARTYPE_POPUP)
        return;
    (void)pt;
    if (m_pParent->TrackPress(this, m_rcControl))
        OnExecute();
}

void CTKPControlButton::OnLButtonUp(POINT)
{
    if (m_bEnabled && m_pParent && m_pParent->GetType() == TKP_BARTYPE_POPUP)
        OnExecute();
}

CTKPControl* CTKPControlButton::Clone(BOOL recursive)
{
    auto* clone = new CTKPControlButton();
    clone->Copy(this, recursive);
    return clone;
}

// ---- Popup -------------------------------------------------------------------------------------
CTKPControlPopup::CTKPControlPopup(int type)
{
    m_controlType = type;
}

CTKPControlPopup::~CTKPControlPopup()
{
    SetCommandBar(nullptr);
}

void CTKPControlPopup::SetCommandBar(CTKPCommandBar* bar)
{
    if (bar == m_pCommandBar)
        return;
    if (bar)
        bar->InternalAddRef();
    if (m_pCommandBar)
        m_pCommandBar->InternalRelease();
    m_pCommandBar = bar;
}

BOOL CTKPControlPopup::SetPopuped(BOOL popuped)
{
    m_bPopuped = popuped;
    if (!popuped) {
        if (m_pCommandBar)
            m_pCommandBar->SetTrackingMode(0, TRUE, FALSE);
        RedrawParent();
        return TRUE;
    }
    auto* popup = dynamic_cast<CTKPPopupBar*>(m_pCommandBar);
    if (!popup)
        return m_bPopuped = FALSE;
    if (popup->GetTrackingMode())
        return TRUE;
    if (!popup->Popup(this))
        return m_bPopuped = FALSE;
    return TRUE;
}

void CTKPControlPopup::OnClick(BOOL keyboard, POINT pt)
{
    if (!m_bEnabled || !m_pParent)
        return;
    const BOOL customize = IsCustomizeMode();
    if (customize)
        if (CTKPCommandBars* bars = m_pParent->GetCommandBars())
            bars->SetDragControl(this);
    const BOOL inPopup = m_pParent->GetType() == TKP_BARTYPE_POPUP;
    if (m_bPopuped && !inPopup) {
        m_pParent->SetTrackingMode(0, TRUE, FALSE);
        if (customize)
            OnCustomizeMouseDown(pt);
        return;
    }
    if (m_controlType == TKP_CONTROL_SPLITBUTTONPOPUP && !customize) {
        if (keyboard) {
            OnExecute();
            return;
        }
        if (inPopup && pt.x < m_rcControl.right - 20) {
            if (m_pParent->m_hWnd)
                ::KillTimer(m_pParent->m_hWnd, TKP_TIMER_HOVER);
            return;
        }
        if (!inPopup && pt.x < m_rcControl.right - 11) {
            RECT button = m_rcControl;
            button.right -= 11;
            if (m_pParent->TrackPress(this, button))
                OnExecute();
            return;
        }
    }
    if (customize && m_pCommandBar && !m_pCommandBar->IsCustomizable()) {
        OnCustomizeMouseDown(pt);
        return;
    }
    m_pParent->SetPopuped(m_nIndex, keyboard);
    if (customize)
        OnCustomizeMouseDown(pt);
}

void CTKPControlPopup::OnLButtonUp(POINT pt)
{
    if (m_bEnabled && m_controlType == TKP_CONTROL_SPLITBUTTONPOPUP && m_pParent &&
        m_pParent->GetType() == TKP_BARTYPE_POPUP && pt.x < m_rcControl.right - 20)
        OnExecute();
}

BOOL CTKPControlPopup::SetSelected(int state)
{
    const BOOL changed = CTKPControl::SetSelected(state);
    if (!changed || !m_pParent)
        return changed;
    const BOOL inPopup = m_pParent->GetType() == TKP_BARTYPE_POPUP;
    if (inPopup)
        return changed;
    const BOOL tracking2 = m_pParent->GetTrackingMode() == 2;
    if (m_controlType != TKP_CONTROL_POPUP) {
        if (state == 2 && tracking2)
            m_pParent->SetPopuped(m_nIndex, TRUE);
        return changed;
    }
    if (state && m_bEnabled && tracking2)
        m_pParent->SetPopuped(m_nIndex, state == 2);
    else if (!state && m_bPopuped)
        m_pParent->SetPopuped(-1);
    return changed;
}

void CTKPControlPopup::OnMouseHover()
{
    if (m_bEnabled && m_pParent &&
        (m_pParent->GetTrackingMode() == 2 || m_pParent->GetType() == TKP_BARTYPE_POPUP)) {
        m_pParent->SetPopuped(m_nIndex, FALSE);
        return;
    }
    CTKPControl::OnMouseHover();
}

void CTKPControlPopup::OnCustomizeDragOver(CTKPControl*, POINT, int&)
{
    if (m_pParent && m_bEnabled)
        m_pParent->SetPopuped(m_nIndex, FALSE);
}

void CTKPControlPopup::OnUnderlineActivate()
{
    if (m_pParent)
        m_pParent->SetPopuped(m_nIndex, TRUE);
}

void CTKPControlPopup::Copy(CTKPControl* source, BOOL recursive)
{
    CTKPControl::Copy(source, recursive);
    auto* popup = dynamic_cast<CTKPControlPopup*>(source);
    if (!popup || popup == this)
        return;
    CTKPCommandBar* bar = popup->m_pCommandBar;
    if (bar && recursive) {
        auto* clone = dynamic_cast<CTKPCommandBar*>(bar->GetRuntimeClass()->CreateObject());
        if (clone) {
            clone->Copy(bar, TRUE);
            SetCommandBar(clone);
            clone->InternalRelease();
        }
    } else {
        SetCommandBar(bar);
    }
}

BOOL CTKPControlPopup::Compare(CTKPControl* other) const
{
    if (!CTKPControl::Compare(other))
        return FALSE;
    auto* popup = dynamic_cast<CTKPControlPopup*>(other);
    if (!popup)
        return FALSE;
    CTKPCommandBar* a = m_pCommandBar;
    CTKPCommandBar* b = popup->m_pCommandBar;
    if (!a || !b)
        return a == b;
    if (a->GetControlCount() != b->GetControlCount())
        return FALSE;
    for (int i = 0; i < a->GetControlCount(); ++i)
        if (!a->GetControl(i)->Compare(b->GetControl(i)))
            return FALSE;
    return TRUE;
}

CTKPControl* CTKPControlPopup::Clone(BOOL recursive)
{
    auto* clone = new CTKPControlPopup(m_controlType);
    clone->Copy(this, recursive);
    return clone;
}


// ---- Collection --------------------------------------------------------------------------------
namespace {
// The special control a button of this id stands for; null for a plain button. A menu names the
// recent files by the first file's id, a control by the list's own command.
CTKPControl* CreateSpecialControl(UINT id, BOOL fromMenu)
{
    switch (id) {
    case 35000:
        return new CTKPControlWindowList();
    case 35002:
        return new CTKPControlWorkspaceActions();
    case 0xE800:
        return new CTKPControlToolbars();
    case 35003:
        return fromMenu ? nullptr : new CTKPControlRecentFileList();
    case 0xE110:
        return fromMenu ? new CTKPControlRecentFileList() : nullptr;
    default:
        return nullptr;
    }
}

// The popup takes the bar (and the caller's reference to it), filled from a menu when one is given.
CTKPControl* GivePopupBar(CTKPControlPopup* popup, CTKPPopupBar* bar, HMENU subMenu)
{
    if (subMenu) {
        CMenu sub;
        sub.m_hMenu = subMenu;
        bar->LoadMenu(&sub, TRUE);
        sub.m_hMenu = nullptr;
    }
    popup->SetCommandBar(bar);
    bar->InternalRelease();
    return popup;
}
} // namespace

CTKPControls::CTKPControls() = default;

CTKPControls::~CTKPControls()
{
    RemoveAll();
    ClearOriginalControls();
}

CTKPControls* CTKPControls::Duplicate(BOOL recursive) const
{
    auto* copy = new CTKPControls();
    copy->m_pCommandBars = GetCommandBars();
    for (CTKPControl* control : m_controls)
        if (!control->m_bTemporary)
            copy->AddClone(control, -1, recursive);
    if (m_pOriginalControls)
        copy->m_pOriginalControls = m_pOriginalControls->Duplicate(recursive);
    return copy;
}

void CTKPControls::CreateOriginalControls()
{
    ClearOriginalControls();
    m_pOriginalControls = Duplicate(TRUE);
}

void CTKPControls::ClearOriginalControls()
{
    if (m_pOriginalControls)
        m_pOriginalControls->InternalRelease();
    m_pOriginalControls = nullptr;
}

BOOL CTKPControls::Compare(const CTKPControls* other) const
{
    if (!other)
        return FALSE;
    size_t a = 0, b = 0;
    for (;;) {
        while (a < m_controls.size() && m_controls[a]->m_bTemporary)
            ++a;
        while (b < other->m_controls.size() && other->m_controls[b]->m_bTemporary)
            ++b;
        if (a == m_controls.size() || b == other->m_controls.size())
            return a == m_controls.size() && b == other->m_controls.size();
        if (!m_controls[a]->Compare(other->m_controls[b]))
            return FALSE;
        ++a;
        ++b;
    }
}

CTKPControl* CTKPControls::Add(int type, UINT id, LPCWSTR parameter, int before, BOOL temporary)
{
    CTKPControl* control = nullptr;
    switch (type) {
    case TKP_CONTROL_BUTTON:
        // The window, workspace, recent-file and tool-bar lists are special controls of their own.
        control = CreateSpecialControl(id, FALSE);
        if (!control)
            control = new CTKPControlButton();
        break;
    case TKP_CONTROL_POPUP:
    case TKP_CONTROL_BUTTONPOPUP:
    case TKP_CONTROL_SPLITBUTTONPOPUP: {
        auto* popup = new CTKPControlPopup(type);
        CMenu menu;
        const BOOL haveMenu = int(id) > 0 && menu.LoadMenu(id) && ::GetMenuItemCount(menu.m_hMenu) > 0;
        CString caption;
        if (haveMenu) {
            WCHAR text[256] = {};
            ::GetMenuStringW(menu.m_hMenu, 0, text, 256, MF_BYPOSITION);
            caption = text;
            popup->SetCaption(caption);
        }
        CTKPCommandBars* bars = GetCommandBars();
        TKP_BAR_REQUEST request{nullptr, 0, TRUE, FALSE, FALSE, caption.GetString(), id};
        CTKPPopupBar* bar = nullptr;
        if (CFrameWnd* site = bars ? bars->GetSite() : nullptr; site && site->m_hWnd &&
                                                              ::SendMessageW(site->m_hWnd, TKP_WM_BARREQUEST, 0, LPARAM(&request)))
            if ((bar = dynamic_cast<CTKPPopupBar*>(request.pCommandBar)) != nullptr)
                bar->InternalAddRef();
        if (!bar)
            bar = CTKPPopupBar::CreatePopupBar(bars);
        control = GivePopupBar(popup, bar, haveMenu ? ::GetSubMenu(menu.m_hMenu, 0) : nullptr);
        break;
    }
    case TKP_CONTROL_COMBOBOX:
        control = new CTKPControlComboBox();
        break;
    case TKP_CONTROL_EDIT:
        control = new CTKPControlEdit();
        break;
    default:
        control = new CTKPControl();
        control->m_controlType = type;
        break;
    }
    return AddControl(control, id, parameter, before, temporary);
}

CTKPControl* CTKPControls::AddControl(CTKPControl* control, UINT id, LPCWSTR parameter, int before, BOOL temporary)
{
    if (!control)
        return nullptr;
    control->m_strParameter = parameter ? parameter : u"";
    control->m_bTemporary = temporary;
    control->SetID(id);
    if (before < 0 || before >= GetCount())
        m_controls.push_back(control);
    else
        m_controls.insert(m_controls.begin() + before, control);
    control->SetControls(this);
    control->SetParent(m_pParent);
    Renumber();
    if (CTKPControlPopup* popup = dynamic_cast<CTKPControlPopup*>(control))
        if (CTKPPopupBar* bar = dynamic_cast<CTKPPopupBar*>(popup->m_pCommandBar))
            bar->SetParentControl(popup);
    return control;
}

CTKPControl* CTKPControls::AddClone(CTKPControl* control, int before, BOOL recursive)
{
    if (!control)
        return nullptr;
    CTKPControl* clone = control->Clone(recursive);
    const CString parameter = clone->m_strParameter;
    const UINT id = clone->m_nId;
    clone->m_nId = 0;
    clone->SetID(id);
    clone->m_strTooltipText = control->m_strTooltipText;
    clone->m_strDescriptionText = control->m_strDescriptionText;
    return AddControl(clone, id, parameter, before, clone->m_bTemporary);
}

CTKPControl* CTKPControls::AddMenuItem(CMenu* menu, int index)
{
    if (!menu || !::IsMenu(menu->m_hMenu))
        return nullptr;
    HMENU hMenu = menu->m_hMenu;
    const UINT menuId = ::GetMenuItemID(hMenu, index);
    HMENU subMenu = ::GetSubMenu(hMenu, index);
    if (menuId == 0xFF00 || (!subMenu && menuId == 0))
        return nullptr;
    const int length = ::GetMenuStringW(hMenu, UINT(index), nullptr, 0, MF_BYPOSITION);
    std::vector<WCHAR> buffer(size_t(std::max(length, 0)) + 1, u'\0');
    ::GetMenuStringW(hMenu, UINT(index), buffer.data(), int(buffer.size()), MF_BYPOSITION);
    const CString text(buffer.data());
    const BOOL isDefault = ::GetMenuDefaultItem(hMenu, TRUE, 0) == UINT(index);

    // The site may make the control itself, or change its type or id.
    CTKPCommandBars* bars = GetCommandBars();
    CWnd* receiver = bars && bars->GetSite() ? static_cast<CWnd*>(bars->GetSite())
                     : m_pParent           ? m_pParent->GetOwnerWindow()
                                           : nullptr;
    TKP_MENU_ITEM_REQUEST request{subMenu ? 0u : menuId, nullptr, 0, index, menu, m_pParent,
                                  text, subMenu ? TKP_CONTROL_POPUP : TKP_CONTROL_BUTTON, 0};
    CTKPControl* control = nullptr;
    if (receiver && receiver->m_hWnd &&
        ::SendMessageW(receiver->m_hWnd, TKP_WM_CONTROLFROMMENU, 0, LPARAM(&request)))
        control = request.pControl;
    const UINT id = request.nID;
    if (!control) {
        switch (request.nType) {
        case TKP_CONTROL_POPUP:
        case TKP_CONTROL_BUTTONPOPUP:
        case TKP_CONTROL_SPLITBUTTONPOPUP: {
            control = GivePopupBar(new CTKPControlPopup(request.nType), CTKPPopupBar::CreatePopupBar(bars), subMenu);
            break;
        }
        case TKP_CONTROL_COMBOBOX:
            control = new CTKPControlComboBox();
            break;
        default:
            control = CreateSpecialControl(id, TRUE);
            if (!control && id == 0xE210 && text == u"<<OLE VERBS GO HERE>>")
                control = new CTKPControlOleItems();
            if (!control)
                control = new CTKPControlButton();
            break;
        }
    }
    control->SetID(id);
    control->SetCaption(text);
    control->m_bDefaultItem = isDefault;
    AddControl(control, id);
    if (receiver && receiver->m_hWnd)
        ::SendMessageW(receiver->m_hWnd, TKP_WM_CONTROLFROMMENUDONE, 0, LPARAM(control));
    return control;
}

void CTKPControls::Detach(CTKPControl* control)
{
    control->SetControls(nullptr);
    control->SetParent(nullptr);
    control->InternalRelease();
}

void CTKPControls::Remove(CTKPControl* control)
{
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end())
        return;
    if (m_pParent && m_pParent->m_nSelected == control->m_nIndex)
        m_pParent->SetSelected(-1);
    m_controls.erase(it);
    Detach(control);
    Renumber();
}

void CTKPControls::RemoveAt(int index)
{
    if (CTKPControl* control = GetAt(index))
        Remove(control);
}

void CTKPControls::RemoveAll()
{
    std::vector<CTKPControl*> controls;
    controls.swap(m_controls);
    for (CTKPControl* control : controls)
        Detach(control);
    if (m_pParent)
        m_pParent->OnControlsChanged();
}

CTKPControl* CTKPControls::GetAt(int index) const
{
    return index >= 0 && index < GetCount() ? m_controls[size_t(index)] : nullptr;
}

CTKPControl* CTKPControls::GetNextOf(CTKPControl* control) const
{
    return control ? GetAt(control->m_nIndex + 1) : nullptr;
}

int CTKPControls::GetVisibleCount(BOOL all) const
{
    int count = 0;
    for (CTKPControl* control : m_controls) {
        DWORD flags = control->m_dwHideFlags;
        if (!all)
            flags &= ~DWORD(TKP_HIDE_WRAP);
        if (!flags)
            ++count;
    }
    return count;
}

CTKPControl* CTKPControls::FindControl(int type, int id, BOOL visibleOnly, BOOL recursive) const
{
    for (CTKPControl* control : m_controls) {
        if ((type == 0 || control->m_controlType == type) && (id == -1 || control->m_nId == UINT(id)) &&
            (!visibleOnly || !control->IsHidden()))
            return control;
        if (recursive && control->m_controlType >= TKP_CONTROL_POPUP &&
            control->m_controlType <= TKP_CONTROL_SPLITBUTTONPOPUP)
            if (CTKPCommandBar* bar = control->GetCommandBar())
                if (CTKPControl* found = bar->GetControls()->FindControl(type, id, visibleOnly, TRUE))
                    return found;
    }
    return nullptr;
}

int CTKPControls::GetNext(int index, int direction, BOOL selectableOnly, BOOL skipTemporary, BOOL keyboard) const
{
    const int count = GetCount();
    if (!count || direction == 0)
        return -1;
    auto qualifies = [&](int i) {
        const CTKPControl* control = m_controls[size_t(i)];
        const DWORD ignored = keyboard ? TKP_HIDE_EXPAND : (TKP_HIDE_EXPAND | TKP_HIDE_RARELYUSED);
        if (control->m_dwHideFlags & ~ignored)
            return false;
        if (selectableOnly && (control->m_dwFlags & TKP_FLAG_SKIPFOCUS))
            return false;
        if (skipTemporary && control->m_bTemporary)
            return false;
        return true;
    };
    const BOOL fromNone = index < 0 || index >= count;
    int i = fromNone ? (direction > 0 ? 0 : count - 1) : index + direction;
    int wraps = 0;
    for (int steps = 0; steps <= count; ++steps) {
        if (i < 0 || i >= count) {
            if (fromNone || ++wraps > 1)
                return -1;
            i = direction > 0 ? 0 : count - 1;
        }
        if (!fromNone && i == index)
            return qualifies(i) ? i : -1;
        if (qualifies(i))
            return i;
        i += direction;
    }
    return -1;
}

CTKPControl* CTKPControls::HitTest(POINT pt) const
{
    for (CTKPControl* control : m_controls)
        if (!control->IsHidden() && ::PtInRect(&control->m_rcControl, pt))
            return control;
    return nullptr;
}

void CTKPControls::SetParent(CTKPCommandBar* bar)
{
    m_pParent = bar;
    for (CTKPControl* control : m_controls)
        control->SetParent(bar);
}

CTKPCommandBars* CTKPControls::GetCommandBars() const
{
    if (m_pParent)
        if (CTKPCommandBars* bars = m_pParent->GetCommandBars())
            return bars;
    return m_pCommandBars;
}

void CTKPControls::Renumber()
{
    for (size_t i = 0; i < m_controls.size(); ++i) {
        m_controls[i]->m_nIndex = int(i);
        m_controls[i]->SetControls(this);
        m_controls[i]->SetParent(m_pParent);
    }
    if (m_pParent)
        m_pParent->OnControlsChanged();
}

void CTKPControl::OnCustomizeDragOver(CTKPControl*, POINT, int&)
{
    if (!m_pParent)
        return;
    m_pParent->SetPopuped(-1);
    m_pParent->SetSelected(-1, FALSE);
}

// ---- Customize width drag ----------------------------------------------------------------------
namespace {
// A frame of 2-pixel inverted lines on the screen DC; drawing it twice erases it.
void InvertFrame(HDC hdc, const RECT& rc)
{
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    ::PatBlt(hdc, rc.left, rc.top, w, 2, DSTINVERT);
    ::PatBlt(hdc, rc.left, rc.bottom - 2, w, 2, DSTINVERT);
    ::PatBlt(hdc, rc.left, rc.top + 2, 2, h - 4, DSTINVERT);
    ::PatBlt(hdc, rc.right - 2, rc.top + 2, 2, h - 4, DSTINVERT);
}
} // namespace

BOOL CTKPControl::OnCustomizeResize(POINT pt)
{
    if (!IsCustomizeResizeAllow() || !m_pParent || !m_pParent->m_hWnd)
        return FALSE;
    const BOOL leftEdge = std::abs(pt.x - m_rcControl.left) <= 2;
    if (!leftEdge && std::abs(pt.x - m_rcControl.right) > 2)
        return FALSE;
    CTKPCommandBar* bar = m_pParent;
    CTKPCommandBars* bars = bar->GetCommandBars();
    if (bars)
        bars->SetDragControl(nullptr);
    ::InvalidateRect(bar->m_hWnd, nullptr, FALSE);
    ::UpdateWindow(bar->m_hWnd);
    ::SetCapture(bar->m_hWnd);
    if (HCURSOR cursor = GetResourceLoader().LoadCursor(9972))
        ::SetCursor(cursor);
    HDC hdc = ::GetDCEx(nullptr, nullptr, 0x403);
    if (!hdc)
        hdc = ::GetDCEx(nullptr, nullptr, 3);
    RECT frame = m_rcControl;
    ::MapWindowPoints(bar->m_hWnd, nullptr, reinterpret_cast<POINT*>(&frame), 2);
    const int minWidth = std::max(GetMinWidth(), 1);
    if (hdc)
        InvertFrame(hdc, frame);
    BOOL accept = FALSE;
    MSG msg;
    while (::GetCapture() == bar->m_hWnd) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_LBUTTONUP) {
            accept = TRUE;
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            break;
        if (msg.message == WM_MOUSEMOVE) {
            POINT cursor;
            ::GetCursorPos(&cursor);
            RECT next = frame;
            if (leftEdge)
                next.left = std::min(cursor.x, next.right - minWidth);
            else
                next.right = std::max(cursor.x, next.left + minWidth);
            if (hdc && !::EqualRect(&next, &frame)) {
                InvertFrame(hdc, frame);
                InvertFrame(hdc, next);
            }
            frame = next;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (hdc) {
        InvertFrame(hdc, frame);
        ::ReleaseDC(nullptr, hdc);
    }
    if (::GetCapture() == bar->m_hWnd)
        ::ReleaseCapture();
    const int width = frame.right - frame.left;
    if (accept && width != m_rcControl.right - m_rcControl.left) {
        SetWidth(width);
        bar->OnRecalcLayout();
    }
    if (bars)
        bars->SetDragControl(this);
    ::InvalidateRect(bar->m_hWnd, nullptr, FALSE);
    return TRUE;
}

// ---- Accessibility -----------------------------------------------------------------------------
long CTKPControl::GetAccessibleRoleCode() const
{
    if (m_pParent && m_pParent->GetType() == TKP_BARTYPE_TOOLBAR)
        return GetCommandBar() ? ROLE_SYSTEM_BUTTONMENU : ROLE_SYSTEM_PUSHBUTTON;
    return ROLE_SYSTEM_MENUITEM;
}

HRESULT CTKPControl::GetAccessibleName(VARIANT, BSTR* pszName)
{
    if (!pszName)
        return E_INVALIDARG;
    CString name = StripMnemonicsCopy(GetCaption());
    const CString shortcut = GetShortcutText();
    if (!shortcut.IsEmpty())
        name += u"\t" + shortcut;
    *pszName = ::SysAllocString(name.GetString());
    return S_OK;
}

HRESULT CTKPControl::GetAccessibleDescription(VARIANT, BSTR* pszDescription)
{
    if (!pszDescription)
        return E_INVALIDARG;
    *pszDescription = ::SysAllocString(m_strDescriptionText.GetString());
    return S_OK;
}

HRESULT CTKPControl::GetAccessibleRole(VARIANT, VARIANT* pvarRole)
{
    if (!pvarRole)
        return E_INVALIDARG;
    pvarRole->vt = VT_I4;
    pvarRole->lVal = GetAccessibleRoleCode();
    return S_OK;
}

HRESULT CTKPControl::AccessibleDoDefaultAction(VARIANT)
{
    OnExecute();
    return S_OK;
}
