// The saved document of the customised bars: the keys of bars and controls, the bars a save
// needs, reading them back and merging them into the bars the application built.
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/popup_tool_bar.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/tool_bar.h"

#include "afx/dialog.h"
#include "afx/file.h"

#include <algorithm>
#include <map>
#include <memory>
#include <new>

IMPLEMENT_SERIAL(CTKPControl, CCmdTarget, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlButton, CTKPControl, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlPopup, CTKPControlButton, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlComboBox, CTKPControlPopup, VERSIONABLE_SCHEMA | 16)

namespace {

CTKPPropExchangeContext* ContextOf(CTKPPropExchange* px)
{
    return static_cast<CTKPPropExchangeContext*>(px->m_pContext);
}

void ExchangeUInt(CTKPPropExchange* px, LPCWSTR name, UINT& value, int defaultValue)
{
    int v = int(value);
    PropExchangeInt(px, name, &v, defaultValue);
    if (px->IsLoading())
        value = UINT(v);
}

void ExchangeDword(CTKPPropExchange* px, LPCWSTR name, DWORD& value)
{
    int v = int(value);
    PropExchangeInt(px, name, &v, 0);
    if (px->IsLoading())
        value = DWORD(v);
}

// A section of a document: stored or loaded, and deleted after.
std::unique_ptr<CTKPPropExchange> Section(CTKPPropExchange* px, LPCWSTR name)
{
    std::unique_ptr<CTKPPropExchange> section(px->GetSection(name));
    if (!section)
        AfxThrowArchiveException(CArchiveException::generic);
    return section;
}

// The saved id links a popup control to a popup bar of the loaded list. A link to a bar that is
// not a popup bar, or to a bar already being linked further up (a popup that would open itself),
// is refused: no save writes either, and following one would never end.
BOOL RelinkControls(CTKPControls* controls, const std::vector<CTKPCommandBar*>& list,
                    std::vector<CTKPCommandBar*>& path)
{
    for (int i = 0; controls && i < controls->GetCount(); ++i) {
        auto* popup = dynamic_cast<CTKPControlPopup*>(controls->GetAt(i));
        if (!popup || !popup->m_nSavedBarId)
            continue;
        const UINT id = popup->m_nSavedBarId;
        popup->m_nSavedBarId = 0;
        auto it = std::find_if(list.begin(), list.end(), [id](CTKPCommandBar* bar) { return bar->GetBarID() == id; });
        if (it == list.end())
            continue;
        auto* bar = dynamic_cast<CTKPPopupBar*>(*it);
        if (!bar || std::find(path.begin(), path.end(), bar) != path.end())
            return FALSE;
        popup->SetCommandBar(bar);
        bar->SetParentControl(popup);
        if (!bar->RelinkPopups(list, path))
            return FALSE;
    }
    return TRUE;
}

// How many controls a bar shows with every popup opened to the bottom; popups shared by several
// controls count once per control, as copying and comparing walk them. Stops counting at the limit.
size_t ExpandedSize(CTKPCommandBar* bar, std::map<CTKPCommandBar*, size_t>& memo);

size_t ExpandedSize(CTKPControls* controls, std::map<CTKPCommandBar*, size_t>& memo)
{
    size_t total = 0;
    for (int i = 0; controls && i < controls->GetCount() && total <= TKP_MAX_EXPANDED_CONTROLS; ++i) {
        total += 1;
        if (CTKPCommandBar* popup = controls->GetAt(i)->GetCommandBar())
            total += ExpandedSize(popup, memo);
    }
    return total;
}

size_t ExpandedSize(CTKPCommandBar* bar, std::map<CTKPCommandBar*, size_t>& memo)
{
    if (auto it = memo.find(bar); it != memo.end())
        return it->second;
    // Links are acyclic here (refused on relinking); the mark only guards the walk itself.
    memo[bar] = TKP_MAX_EXPANDED_CONTROLS + 1;
    CTKPControls* controls = bar->GetControls();
    size_t total = ExpandedSize(controls, memo);
    if (controls && total <= TKP_MAX_EXPANDED_CONTROLS)
        total += ExpandedSize(controls->GetOriginalControls(), memo);
    total = std::min<size_t>(total, TKP_MAX_EXPANDED_CONTROLS + 1);
    memo[bar] = total;
    return total;
}

} // namespace

// ---- Controls ----------------------------------------------------------------------------------
void CTKPControl::DoPropExchange(CTKPPropExchange* px)
{
    PropExchangeInt(px, u"类型", &m_controlType, 1);
    ExchangeUInt(px, u"Id", m_nId, -1);
    PropExchangeInt(px, u"IconId", &m_nIconId, 0);
    PropExchangeBool(px, u"BeginGroup", &m_bBeginGroup, FALSE);
    ExchangeDword(px, u"Tag", m_dwTag);
    ExchangeDword(px, u"Flags", m_dwFlags);
    ExchangeDword(px, u"HideFlags", m_dwHideFlags);
    PropExchangeString(px, u"Caption", &m_strCaption, u"");
    PropExchangeString(px, u"ShortcutText", &m_strShortcutText, u"");
    PropExchangeString(px, u"TooltipText", &m_strTooltipText, u"");
    PropExchangeString(px, u"DescriptionText", &m_strDescriptionText, u"");
    PropExchangeString(px, u"Parameter", &m_strParameter, u"");
    ExchangeUInt(px, u"CustomIconId", m_nCustomIconId, 0);
    PropExchangeString(px, u"CustomCaption", &m_strCustomCaption, u"");
    if (px->GetSchema() > 1)
        PropExchangeString(px, u"Category", &m_strCategory, u"");
    if (m_nCustomIconId > 0) {
        // The user's own image goes with the control, through the bars' image manager.
        CTKPPropExchangeContext* context = ContextOf(px);
        CTKPCommandBars* bars = context && context->pCommandBars ? context->pCommandBars
                                : m_pParent                      ? m_pParent->GetCommandBars()
                                                                 : nullptr;
        CTKPImageManager* images = bars ? bars->GetImageManager() : nullptr;
        if (images)
            if (std::unique_ptr<CTKPPropExchange> section(px->GetSection(u"CustomIcon")); section)
                images->ExchangeIconSet(m_nCustomIconId, section.get());
    }
    if (px->GetSchema() > 3) {
        const BOOL always = px->IsLoading() || !px->IsAllowDefaultValues();
        if (always || !m_hiddenForMenuIds.empty())
            PropExchangeIdSet(px, u"DocTemplatesExcluded", &m_hiddenForMenuIds);
        if (always || !m_shownForMenuIds.empty())
            PropExchangeIdSet(px, u"DocTemplatesAssigned", &m_shownForMenuIds);
        PropExchangeBool(px, u"DefaultItem", &m_bDefaultItem, FALSE);
    }
    if (px->GetSchema() > 6)
        PropExchangeBool(px, u"CloseSubMenuOnClick", &m_bCloseSubMenuOnClick, TRUE);
    if (px->GetSchema() > 7)
        PropExchangeInt(px, u"CustomStyle", &m_nCustomStyle, 0);
}

void CTKPControlButton::DoPropExchange(CTKPPropExchange* px)
{
    CTKPControl::DoPropExchange(px);
    PropExchangeInt(px, u"Style", &m_nDefaultStyle, 0);
}

void CTKPControlPopup::DoPropExchange(CTKPPropExchange* px)
{
    CTKPControl::DoPropExchange(px);
    UINT barId = px->IsLoading() ? 0 : (m_pCommandBar ? m_pCommandBar->GetBarID() : 0);
    ExchangeUInt(px, u"CommandBarId", barId, 0);
    if (px->IsLoading())
        m_nSavedBarId = barId;
    if (px->GetSchema() > 4)
        PropExchangeInt(px, u"Style", &m_nDefaultStyle, 0);
}

void CTKPControls::SetOriginalControls(CTKPControls* controls)
{
    if (controls == m_pOriginalControls)
        return;
    if (controls)
        controls->InternalAddRef();
    ClearOriginalControls();
    m_pOriginalControls = controls;
}

void CTKPControls::DoPropExchange(CTKPPropExchange* px)
{
    CTKPPropExchangeContext* context = ContextOf(px);
    if (!px->IsLoading()) {
        std::vector<CTKPControl*> saved;
        for (CTKPControl* control : m_controls)
            if (!control->m_bTemporary)
                saved.push_back(control);
        CTKPSectionEnumerator items(px, u"Control");
        DWORD position = items.GetPosition(DWORD(saved.size()), FALSE);
        for (CTKPControl* control : saved) {
            std::unique_ptr<CTKPPropExchange> item(items.GetNext(position));
            CObject* object = control;
            if (!item || !item->ExchangeObject(&object, RUNTIME_CLASS(CTKPControl)))
                AfxThrowArchiveException(CArchiveException::generic);
            control->DoPropExchange(item.get());
        }
        BOOL originals = m_pOriginalControls && context && context->bSaveOriginalControls;
        PropExchangeBool(px, u"OriginalControls", &originals, FALSE);
        if (originals)
            m_pOriginalControls->DoPropExchange(Section(px, u"OriginalControls").get());
        BOOL customized = FALSE;
        PropExchangeBool(px, u"CustomizedControls", &customized, FALSE);
        return;
    }

    RemoveAll();
    CTKPSectionEnumerator items(px, u"Control");
    DWORD position = items.GetPosition(0, FALSE);
    if (items.GetCount() > TKP_MAX_SAVED_CONTROLS)
        AfxThrowArchiveException(CArchiveException::badIndex);
    while (position) {
        std::unique_ptr<CTKPPropExchange> item(items.GetNext(position));
        CObject* object = nullptr;
        if (!item || !item->ExchangeObject(&object, RUNTIME_CLASS(CTKPControl)) || !object)
            AfxThrowArchiveException(CArchiveException::badClass);
        auto* control = dynamic_cast<CTKPControl*>(object);
        if (!control) {
            delete object;
            AfxThrowArchiveException(CArchiveException::badClass);
        }
        // The collection owns the control before anything more is read, so a failure frees it.
        m_controls.push_back(control);
        control->SetControls(this);
        control->DoPropExchange(item.get());
    }
    Renumber();
    if (px->GetSchema() <= 2)
        return;
    // Original controls hold controls, never original controls of their own; a document that
    // nests them deeper is not one a save wrote.
    auto nested = [&](LPCWSTR name, BOOL keep) {
        if (!context || context->nNesting >= 2)
            AfxThrowArchiveException(CArchiveException::badIndex);
        auto* controls = new CTKPControls();
        controls->m_pCommandBars = GetCommandBars();
        ++context->nNesting;
        try {
            controls->DoPropExchange(Section(px, name).get());
        } catch (...) {
            --context->nNesting;
            controls->InternalRelease();
            throw;
        }
        --context->nNesting;
        if (keep)
            SetOriginalControls(controls);
        controls->InternalRelease();
    };
    BOOL originals = FALSE;
    PropExchangeBool(px, u"OriginalControls", &originals, FALSE);
    if (originals)
        nested(u"OriginalControls", TRUE);
    BOOL customized = FALSE;
    PropExchangeBool(px, u"CustomizedControls", &customized, FALSE);
    if (customized)
        nested(u"CustomizedControls", FALSE);
}

// ---- Bars --------------------------------------------------------------------------------------
void CTKPCommandBar::DoPropExchange(CTKPPropExchange* px)
{
    CTKPPropExchangeContext* context = ContextOf(px);
    if (px->IsLoading() && context && context->pCommandBars)
        SetCommandBars(context->pCommandBars);
    PropExchangeInt(px, u"类型", &m_barType, 1);
    PropExchangeInt(px, u"Position", &m_barPosition, 0);
    ExchangeUInt(px, u"BarID", m_nBarID, 0);
    ExchangeDword(px, u"Flags", m_dwFlags);
    ExchangeDword(px, u"Style", m_dwStyle);
    PropExchangeString(px, u"Title", &m_strTitle, u"");
    PropExchangeBool(px, u"Customizable", &m_bCustomizable, TRUE);
    PropExchangeInt(px, u"MRUWidth", &m_nMRUWidth, 0);
    if (px->GetSchema() > 2)
        PropExchangeSize(px, u"IconSize", &m_szIcons, SIZE{0, 0});
    if (px->IsLoading()) {
        // The kind of bar must be one its class can be.
        const BOOL toolBar = dynamic_cast<CTKPToolBar*>(this) != nullptr;
        const BOOL typeFits = toolBar ? (m_barType == TKP_BARTYPE_MENUBAR || m_barType == TKP_BARTYPE_TOOLBAR)
                                      : (m_barType == TKP_BARTYPE_POPUP || m_barType == 6 ||
                                         (m_barType == TKP_BARTYPE_TOOLBAR && dynamic_cast<CTKPPopupToolBar*>(this)));
        if (!typeFits)
            AfxThrowArchiveException(CArchiveException::badClass);
        if (m_barPosition < 0 || m_barPosition > 7)
            m_barPosition = toolBar ? TKP_BARPOS_TOP : TKP_BARPOS_POPUP;
    }
    m_pControls->DoPropExchange(Section(px, u"Controls").get());
}

void CTKPToolBar::DoPropExchange(CTKPPropExchange* px)
{
    CTKPCommandBar::DoPropExchange(px);
    PropExchangeBool(px, u"BuiltIn", &m_bBuiltIn, TRUE);
    PropExchangeBool(px, u"TearOff", &m_bTearOff, FALSE);
    if (px->GetSchema() > 6)
        PropExchangeBool(px, u"Closeable", &m_bCloseable, TRUE);
    if (px->GetSchema() > 7)
        PropExchangeBool(px, u"ContextMenuPresent", &m_bContextMenuPresent, TRUE);
    if (m_barType != TKP_BARTYPE_MENUBAR)
        return;
    ExchangeUInt(px, u"ResourceId", m_nResourceId, 0);
    ExchangeMenus(px);
}

void CTKPToolBar::ExchangeMenus(CTKPPropExchange* px)
{
    // A plain tool bar keeps no menus of document types: it writes none and reads past them.
    if (!px->IsLoading()) {
        px->WriteCount(0);
        return;
    }
    if (px->GetSchema() <= 4)
        return;
    const DWORD count = px->ReadCount();
    if (count > 64)
        AfxThrowArchiveException(CArchiveException::badIndex);
    for (DWORD i = 0; i < count; ++i) {
        CString name;
        name.Format(u"%s%i", u"MDIMenu", int(i));
        std::unique_ptr<CTKPPropExchange> section = Section(px, name);
        int id = 0;
        PropExchangeInt(section.get(), u"Id", &id, 0);
        auto* controls = new CTKPControls();
        controls->SetCommandBars(GetCommandBars());
        try {
            controls->DoPropExchange(section.get());
        } catch (...) {
            controls->InternalRelease();
            throw;
        }
        controls->InternalRelease();
    }
}

void CTKPMenuBar::ExchangeMenus(CTKPPropExchange* px)
{
    if (!px->IsLoading()) {
        px->WriteCount(DWORD(m_menus.size()));
        int index = 0;
        for (auto& [key, controls] : m_menus) {
            CString name;
            name.Format(u"%s%i", u"MDIMenu", index++);
            std::unique_ptr<CTKPPropExchange> section = Section(px, name);
            int id = int(key);
            PropExchangeInt(section.get(), u"Id", &id, 0);
            controls->DoPropExchange(section.get());
        }
        return;
    }
    if (px->GetSchema() <= 4)
        return;
    const DWORD count = px->ReadCount();
    if (count > 64)
        AfxThrowArchiveException(CArchiveException::badIndex);
    for (DWORD i = 0; i < count; ++i) {
        CString name;
        name.Format(u"%s%i", u"MDIMenu", int(i));
        std::unique_ptr<CTKPPropExchange> section = Section(px, name);
        int id = 0;
        PropExchangeInt(section.get(), u"Id", &id, 0);
        auto* controls = new CTKPControls();
        controls->SetCommandBars(GetCommandBars());
        try {
            controls->DoPropExchange(section.get());
        } catch (...) {
            controls->InternalRelease();
            throw;
        }
        StoreMenu(UINT_PTR(UINT(id)), controls);
    }
}

void CTKPPopupBar::DoPropExchange(CTKPPropExchange* px)
{
    CTKPCommandBar::DoPropExchange(px);
    PropExchangeBool(px, u"TearOffPopup", &m_bTearOffPopup, FALSE);
    PropExchangeString(px, u"TearOffCaption", &m_strTearOffCaption, u"");
    ExchangeUInt(px, u"TearOffId", m_nTearOffId, 0);
    PropExchangeInt(px, u"TearOffWidth", &m_nTearOffWidth, 0);
    if (px->GetSchema() > 3) {
        PropExchangeRect(px, u"Borders", &m_rcBorders, RECT{2, 4, 2, 4});
        PropExchangeBool(px, u"ShowShadow", &m_bShowShadow, TRUE);
    }
    if (px->GetSchema() > 8)
        PropExchangeBool(px, u"DoubleGripper", &m_bDoubleGripper, FALSE);
}

void CTKPCommandBar::CollectForSave(UINT& nextPopupId, std::vector<CTKPCommandBar*>& list,
                                    CTKPPropExchangeContext* context)
{
    if (std::find(list.begin(), list.end(), this) != list.end())
        return;
    InternalAddRef();
    list.push_back(this);
    // Popup bars have no id of their own: the controls that open one name it by this one.
    if (!dynamic_cast<CTKPToolBar*>(this) && (m_nBarID == 0 || m_nBarID >= 0x1000000))
        m_nBarID = nextPopupId++;
    auto walk = [&](CTKPControls* controls) {
        for (int i = 0; controls && i < controls->GetCount(); ++i) {
            CTKPControl* control = controls->GetAt(i);
            if (control->m_bTemporary)
                continue;
            if (CTKPCommandBar* popup = control->GetCommandBar())
                popup->CollectForSave(nextPopupId, list, context);
        }
    };
    walk(m_pControls);
    if (!context || context->bSaveOriginalControls)
        walk(m_pControls->GetOriginalControls());
}

BOOL CTKPCommandBar::RelinkPopups(const std::vector<CTKPCommandBar*>& list, std::vector<CTKPCommandBar*>& path)
{
    if (std::find(path.begin(), path.end(), this) != path.end())
        return FALSE;
    path.push_back(this);
    const BOOL ok = RelinkControls(m_pControls, list, path) &&
                    RelinkControls(m_pControls->GetOriginalControls(), list, path);
    path.pop_back();
    return ok;
}

void CTKPMenuBar::CollectForSave(UINT& nextPopupId, std::vector<CTKPCommandBar*>& list,
                                 CTKPPropExchangeContext* context)
{
    if (std::find(list.begin(), list.end(), this) != list.end())
        return;
    CTKPToolBar::CollectForSave(nextPopupId, list, context);
    // The popups of the menus of document types are saved with the bar.
    auto walk = [&](CTKPControls* controls) {
        for (int i = 0; controls && i < controls->GetCount(); ++i) {
            CTKPControl* control = controls->GetAt(i);
            if (!control->m_bTemporary)
                if (CTKPCommandBar* popup = control->GetCommandBar())
                    popup->CollectForSave(nextPopupId, list, context);
        }
    };
    for (const auto& [key, controls] : m_menus) {
        walk(controls);
        if (!context || context->bSaveOriginalControls)
            walk(controls->GetOriginalControls());
    }
}

BOOL CTKPMenuBar::RelinkPopups(const std::vector<CTKPCommandBar*>& list, std::vector<CTKPCommandBar*>& path)
{
    if (!CTKPToolBar::RelinkPopups(list, path))
        return FALSE;
    path.push_back(this);
    BOOL ok = TRUE;
    for (const auto& [key, controls] : m_menus)
        ok = ok && RelinkControls(controls, list, path) && RelinkControls(controls->GetOriginalControls(), list, path);
    path.pop_back();
    return ok;
}

// ---- The bars' document ------------------------------------------------------------------------
void CTKPCommandBars::CollectBarsToSave(std::vector<CTKPCommandBar*>& list, CTKPPropExchangeContext* context)
{
    UINT nextPopupId = 0x1000000;
    for (CTKPCommandBar* bar : m_bars) {
        auto* menuBar = dynamic_cast<CTKPMenuBar*>(bar);
        if (menuBar)
            menuBar->PrepareForSave();
        if (context && context->bSaveOnlyChanged && bar->IsCustomizable()) {
            if (!bar->IsVisible())
                continue;
            CTKPControls* controls = bar->GetControls();
            if (controls->GetOriginalControls() && controls->Compare(controls->GetOriginalControls()) &&
                !(menuBar && menuBar->HasSavedMenus()))
                continue;
        }
        bar->CollectForSave(nextPopupId, list, context);
    }
}

BOOL CTKPCommandBars::SaveBars(CTKPPropExchange* px, std::vector<CTKPCommandBar*>& list)
{
    try {
        std::unique_ptr<CTKPPropExchange> section = Section(px, u"CommandBars");
        CTKPSectionEnumerator items(section.get(), u"CommandBar");
        DWORD position = items.GetPosition(DWORD(list.size()), FALSE);
        for (CTKPCommandBar* bar : list) {
            std::unique_ptr<CTKPPropExchange> item(items.GetNext(position));
            CObject* object = bar;
            if (!item || !item->ExchangeObject(&object, RUNTIME_CLASS(CTKPCommandBar)))
                return FALSE;
            bar->DoPropExchange(item.get());
        }
        return TRUE;
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return FALSE;
}

BOOL CTKPCommandBars::LoadBars(CTKPPropExchange* px, std::vector<CTKPCommandBar*>& list)
{
    try {
        std::unique_ptr<CTKPPropExchange> section = Section(px, u"CommandBars");
        CTKPSectionEnumerator items(section.get(), u"CommandBar");
        DWORD position = items.GetPosition(0, FALSE);
        if (items.GetCount() > TKP_MAX_SAVED_BARS)
            return FALSE;
        while (position) {
            std::unique_ptr<CTKPPropExchange> item(items.GetNext(position));
            CObject* object = nullptr;
            if (!item || !item->ExchangeObject(&object, RUNTIME_CLASS(CTKPCommandBar)) || !object)
                return FALSE;
            auto* bar = dynamic_cast<CTKPCommandBar*>(object);
            if (!bar) {
                delete object;
                return FALSE;
            }
            list.push_back(bar);
            bar->DoPropExchange(item.get());
            bar->GetControls()->SetParent(bar);
        }
        return TRUE;
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return FALSE;
}

BOOL CTKPCommandBars::RebuildBars(std::vector<CTKPCommandBar*>& list, BOOL silent)
{
    // Every link is checked before any bar of the frame changes.
    std::map<CTKPCommandBar*, size_t> sizes;
    for (CTKPCommandBar* bar : list) {
        if (!dynamic_cast<CTKPToolBar*>(bar))
            continue;
        std::vector<CTKPCommandBar*> path;
        if (!bar->RelinkPopups(list, path) || ExpandedSize(bar, sizes) > TKP_MAX_EXPANDED_CONTROLS)
            return FALSE;
    }
    for (CTKPCommandBar* entry : list) {
        auto* loaded = dynamic_cast<CTKPToolBar*>(entry);
        if (!loaded)
            continue;
        CTKPToolBar* existing = GetToolBar(loaded->GetBarID());
        if (!existing) {
            AddLoadedBar(loaded);
            continue;
        }
        CTKPControls* saved = loaded->GetControls();
        CTKPControls* built = existing->GetControls();
        CTKPControls* savedOriginals = saved->GetOriginalControls();
        if (savedOriginals && built->GetOriginalControls() && !savedOriginals->Compare(built->GetOriginalControls())) {
            // The built-in bar changed since the save.
            if (silent || saved->Compare(savedOriginals))
                continue;
            CString format, text;
            GetResourceLoader().LoadString(format, 9394);
            text.Format(format.GetString(), existing->GetTitle().GetString());
            if (AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) == IDYES)
                continue;
            existing->Copy(loaded, FALSE);
        } else {
            existing->Copy(loaded, FALSE);
            if (savedOriginals)
                built->SetOriginalControls(savedOriginals);
        }
        existing->OnRecalcLayout();
    }
    if (!m_pMenuBar)
        if (CTKPToolBar* menuBar = GetToolBar(1); menuBar && menuBar->GetType() == TKP_BARTYPE_MENUBAR)
            m_pMenuBar = menuBar;
    return TRUE;
}

void CTKPCommandBars::AddLoadedBar(CTKPToolBar* bar)
{
    bar->InternalAddRef();
    bar->SetCommandBars(this);
    bar->SetPosition(TKP_BARPOS_TOP);
    if (!bar->GetDockingFlags())
        bar->EnableDocking(0x3F);
    m_bars.push_back(bar);
    if (!CreateDockedWindow(bar, bar->GetBarID())) {
        m_bars.pop_back();
        bar->InternalRelease();
        return;
    }
    AddToReBar(bar);
    RecalcFrameLayout(TRUE);
}
