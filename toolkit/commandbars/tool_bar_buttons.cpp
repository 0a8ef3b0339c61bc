// The tool bar's own buttons: the expand button with its popup and add-or-remove list, the close
// button of a floating bar, and the list's check entries.
#include "toolkit/commandbars/tool_bar.h"

#include "toolkit/base/paint_manager.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/popup_tool_bar.h"

namespace {

CString LoadText(UINT id)
{
    CString text;
    GetResourceLoader().LoadString(text, id);
    return text;
}

// The entry of the expand popup that opens the add-or-remove list; the list is built each time
// it opens, so it follows what the user changed meanwhile.
class CTKPToolBarAddRemovePopup : public CTKPControlPopup {
public:
    explicit CTKPToolBarAddRemovePopup(CTKPToolBar* bar) : CTKPControlPopup(TKP_CONTROL_POPUP), m_pBar(bar)
    {
        m_pBar->InternalAddRef();
        m_dwFlags |= TKP_FLAG_MANUALUPDATE;
    }
    ~CTKPToolBarAddRemovePopup() override { m_pBar->InternalRelease(); }

    BOOL SetPopuped(BOOL popuped) override
    {
        if (popuped && !m_bPopuped) {
            CTKPPopupBar* list = CTKPPopupBar::CreatePopupBar(m_pBar->GetCommandBars());
            m_pBar->FillAddRemoveList(list);
            SetCommandBar(list);
            list->InternalRelease();
        }
        return CTKPControlPopup::SetPopuped(popuped);
    }

private:
    CTKPToolBar* m_pBar;
};

void AdjustIndexes(CTKPCommandBar* bar, int at, int delta)
{
    if (bar->m_nSelected != -1 && bar->m_nSelected >= at)
        bar->m_nSelected += delta;
    if (bar->m_nExpanded != -1 && bar->m_nExpanded >= at)
        bar->m_nExpanded += delta;
}

BOOL SameControl(const CTKPControl* a, const CTKPControl* b)
{
    return a->GetID() == b->GetID() && a->GetType() == b->GetType();
}

} // namespace

// ---- Expand button -----------------------------------------------------------------------------
CTKPToolBarExpandButton::CTKPToolBarExpandButton() : CTKPControlPopup(TKP_CONTROL_POPUP)
{
    m_dwFlags = 0x1C;
    m_nPopupStyle = 3;
}

void CTKPToolBarExpandButton::SetRect(const RECT& rc)
{
    CTKPControlPopup::SetRect(rc);
    m_bHasHidden = FALSE;
    if (m_pParent)
        for (int i = 0; i < m_pParent->GetControlCount() && !m_bHasHidden; ++i)
            m_bHasHidden = (m_pParent->GetControl(i)->GetHideFlags() & TKP_HIDE_WRAP) != 0;
}

void CTKPToolBarExpandButton::Draw(CDC* pDC)
{
    CTKPPaintManager* paint = GetPaintManager();
    if (!paint || !pDC)
        return;
    if (m_pParent && m_pParent->GetPosition() == TKP_BARPOS_FLOATING) {
        paint->DrawSpecialControl(pDC->m_hDC, 3, this, m_pParent, TRUE, m_rcControl);
        return;
    }
    // The face first, then the glyph over it.
    paint->DrawSpecialControl(pDC->m_hDC, 0, this, m_pParent, FALSE, m_rcControl);
    paint->DrawSpecialControl(pDC->m_hDC, 0, this, m_pParent, TRUE, m_rcControl);
}

BOOL CTKPToolBarExpandButton::SetPopuped(BOOL popuped)
{
    if (popuped && !m_bPopuped)
        if (auto* bar = dynamic_cast<CTKPToolBar*>(m_pParent)) {
            CTKPPopupBar* popup = bar->CreateExpandPopup();
            SetCommandBar(popup);
            popup->InternalRelease();
        }
    return CTKPControlPopup::SetPopuped(popuped);
}

// ---- Close button ------------------------------------------------------------------------------
CTKPToolBarCloseButton::CTKPToolBarCloseButton()
{
    m_dwFlags = 0x1A;
}

void CTKPToolBarCloseButton::OnExecute()
{
    m_nPressed = 0;
    if (auto* bar = dynamic_cast<CTKPToolBar*>(m_pParent))
        bar->SetVisible(FALSE);
}

void CTKPToolBarCloseButton::Draw(CDC* pDC)
{
    if (CTKPPaintManager* paint = GetPaintManager(); paint && pDC)
        paint->DrawSpecialControl(pDC->m_hDC, 2, this, m_pParent, TRUE, m_rcControl);
}

// ---- Add-or-remove entries ---------------------------------------------------------------------
CTKPToolBarButtonToggle::CTKPToolBarButtonToggle(CTKPControl* linked, CTKPToolBar* resetBar)
    : m_pLinked(linked), m_pResetBar(resetBar)
{
    m_dwFlags |= TKP_FLAG_MANUALUPDATE;
    m_bCloseSubMenuOnClick = FALSE;
    if (m_pLinked)
        m_pLinked->InternalAddRef();
    if (m_pResetBar)
        m_pResetBar->InternalAddRef();
}

CTKPToolBarButtonToggle::~CTKPToolBarButtonToggle()
{
    if (m_pLinked)
        m_pLinked->InternalRelease();
    if (m_pResetBar)
        m_pResetBar->InternalRelease();
}

void CTKPToolBarButtonToggle::OnExecute()
{
    m_nPressed = 0;
    if (m_pResetBar) {
        CTKPMouseTracker::GetThreadTracker()->CloseAll();
        m_pResetBar->Reset();
        return;
    }
    if (!m_pLinked)
        return;
    const DWORD flags = m_pLinked->GetHideFlags() ^ TKP_HIDE_CUSTOMIZE;
    m_pLinked->SetHideFlags(flags);
    SetChecked((flags & TKP_HIDE_CUSTOMIZE) == 0);
    CTKPCommandBar* bar = m_pLinked->GetParent();
    if (CTKPCommandBars* bars = bar ? bar->GetCommandBars() : nullptr)
        bars->GetCommandBarsOptions()->bCustomized = TRUE;
    if (bar) {
        bar->DelayRedraw();
        bar->OnRecalcLayout();
        if (bar->m_hWnd)
            ::InvalidateRect(bar->m_hWnd, nullptr, FALSE);
    }
    RedrawParent();
}

// ---- The bar's side --------------------------------------------------------------------------
BOOL CTKPToolBar::HasHiddenControls() const
{
    auto* expand = dynamic_cast<CTKPToolBarExpandButton*>(m_pControls->FindControl(TKP_ID_TOOLBAR_EXPAND));
    return expand && expand->m_bHasHidden;
}

CTKPPopupBar* CTKPToolBar::CreateExpandPopup()
{
    CTKPCommandBars* bars = GetCommandBars();
    CTKPPopupBar* popup = nullptr;
    const CString caption = GetTitle();
    TKP_BAR_REQUEST request{nullptr, 0, TRUE, TRUE, FALSE, caption.GetString(), TKP_ID_TOOLBAR_EXPAND};
    if (CWnd* site = GetSite(); bars && site && site->m_hWnd &&
                                ::SendMessageW(site->m_hWnd, TKP_WM_BARREQUEST, 0, LPARAM(&request)))
        if ((popup = dynamic_cast<CTKPPopupBar*>(request.pCommandBar)) != nullptr)
            popup->InternalAddRef();
    if (!popup)
        popup = CTKPPopupToolBar::CreatePopupToolBar(bars);
    popup->m_bCustomizable = FALSE;
    CTKPControls* controls = popup->GetControls();
    controls->RemoveAll();
    // What did not fit in the bar, usable from the popup.
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        if ((control->GetHideFlags() & TKP_HIDE_WRAP) && !(control->GetHideFlags() & ~DWORD(TKP_HIDE_WRAP)))
            if (CTKPControl* copy = controls->AddClone(control, -1, TRUE))
                copy->SetHideFlags(0);
    }
    const BOOL group = controls->GetCount() > 0;
    auto* addRemove = new CTKPToolBarAddRemovePopup(this);
    controls->AddControl(addRemove, 0, nullptr, -1, TRUE);
    addRemove->SetCaption(LoadText(9300));
    addRemove->SetBeginGroup(group);
    return popup;
}

void CTKPToolBar::FillAddRemoveList(CTKPCommandBar* popup)
{
    CTKPCommandBars* bars = GetCommandBars();
    if (!bars || !popup)
        return;
    CTKPControls* originals = m_pControls->GetOriginalControls();
    CTKPControls* reference = originals ? originals->Duplicate(FALSE) : new CTKPControls();
    auto inReference = [&](const CTKPControl* control) {
        for (int r = 0; r < reference->GetCount(); ++r)
            if (SameControl(reference->GetAt(r), control))
                return TRUE;
        return FALSE;
    };
    // The hidden originals leave and come back at their original places below. A hidden control
    // the bar was not built with stays where it is: it exists nowhere else.
    for (int i = GetControlCount() - 1; i >= 0; --i) {
        CTKPControl* control = GetControl(i);
        if ((control->GetHideFlags() & TKP_HIDE_CUSTOMIZE) && inReference(control)) {
            m_pControls->RemoveAt(i);
            AdjustIndexes(this, i + 1, -1);
        }
    }
    int place = 0;
    for (int r = 0; r < reference->GetCount(); ++r) {
        CTKPControl* original = reference->GetAt(r);
        int found = -1;
        for (int i = place; i < GetControlCount() && found < 0; ++i)
            if (SameControl(GetControl(i), original))
                found = i;
        if (found >= 0) {
            place = found + 1;
            continue;
        }
        if (CTKPControl* copy = m_pControls->AddClone(original, place, TRUE)) {
            copy->SetHideFlags(copy->GetHideFlags() | TKP_HIDE_CUSTOMIZE);
            AdjustIndexes(this, place, 1);
            ++place;
        }
    }
    reference->InternalRelease();

    CTKPControls* entries = popup->GetControls();
    CTKPShortcutTable* shortcuts = bars->GetShortcutTable();
    for (int i = 0; i < GetControlCount(); ++i) {
        CTKPControl* control = GetControl(i);
        const UINT id = control->GetID();
        if (id == TKP_ID_TOOLBAR_EXPAND || id == TKP_ID_TOOLBAR_CLOSE ||
            (control->GetHideFlags() & (TKP_HIDE_GENERIC | TKP_HIDE_DOCTEMPLATE)) ||
            (control->GetFlags() & TKP_FLAG_NOMOVABLE))
            continue;
        auto* toggle = new CTKPToolBarButtonToggle(control);
        entries->AddControl(toggle, id, nullptr, -1, TRUE);
        toggle->SetCaption(control->GetCaption());
        toggle->SetIconId(control->GetIconId());
        CString shortcut;
        if (shortcuts && id && shortcuts->FindDefaultAccelerator(id, shortcut))
            toggle->SetShortcutText(shortcut);
        toggle->SetChecked((control->GetHideFlags() & TKP_HIDE_CUSTOMIZE) == 0);
    }
    if (m_pControls->GetOriginalControls() && m_bBuiltIn && !m_bTearOff) {
        auto* reset = new CTKPToolBarButtonToggle(nullptr, this);
        entries->AddControl(reset, 0, nullptr, -1, TRUE);
        reset->SetCaption(LoadText(9395));
        reset->SetBeginGroup(TRUE);
    }
}
