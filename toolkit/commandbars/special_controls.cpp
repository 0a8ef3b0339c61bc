// The special controls of the command bars: the placeholders that expand into lists when their
// bar is laid out, the grid picker, the label and the control hosting a window.
#include "toolkit/commandbars/special_controls.h"

#include "afx/app.h"
#include "afx/mdi_frame.h"
#include "afx/window_dc.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/commandbars/trackers.h"
#include "toolkit/docking/tab_client_wnd.h"

#include <algorithm>
#include <string>

IMPLEMENT_SERIAL(CTKPControlWindowList, CTKPControlButton, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlToolbars, CTKPControlButton, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlOleItems, CTKPControlButton, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlRecentFileList, CTKPControlButton, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlWorkspaceActions, CTKPControlButton, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlSelector, CTKPControl, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlLabel, CTKPControl, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlCustom, CTKPControlButton, VERSIONABLE_SCHEMA | 16)

UINT g_nTKPFirstWindowId = 0xFF00;

namespace {

const char16_t* const kToolbarEntry = u"CTKPControlToolbar";
const char16_t* const kOleEntry = u"OLEMENUPOPUP";

// An entry of the tool-bars list: executing it shows or hides its bar.
class CTKPControlToolbar : public CTKPControlButton {
public:
    void OnExecute() override
    {
        CTKPCommandBars* bars = m_pParent ? m_pParent->GetCommandBars() : nullptr;
        const int index = int(m_dwTag);
        CTKPMouseTracker::GetThreadTracker()->CloseAll();
        if (bars)
            bars->ToggleVisible(index);
    }
    CTKPControl* Clone(BOOL recursive) override
    {
        auto* clone = new CTKPControlToolbar();
        clone->Copy(this, recursive);
        return clone;
    }
};

CTKPCommandBars* BarsOf(const CTKPControl* control)
{
    return control->GetParent() ? control->GetParent()->GetCommandBars() : nullptr;
}

CFrameWnd* SiteFrame(const CTKPControl* control)
{
    if (CTKPCommandBars* bars = BarsOf(control))
        return bars->GetSite();
    return nullptr;
}

// Removes the controls behind the placeholder that its last expansion made.
template <class Test>
void RemovePrevious(CTKPControl* placeholder, Test belongs)
{
    CTKPControls* controls = placeholder->GetControls();
    if (!controls)
        return;
    for (;;) {
        CTKPControl* next = controls->GetAt(placeholder->GetIndex() + 1);
        if (!next || !belongs(next))
            break;
        controls->Remove(next);
    }
}

// A temporary entry behind the placeholder, `offset` places after it.
CTKPControl* AddEntry(CTKPControl* placeholder, CTKPControl* entry, UINT id, int offset, LPCWSTR parameter = nullptr)
{
    CTKPControl* added =
        placeholder->GetControls()->AddControl(entry, id, parameter, placeholder->GetIndex() + 1 + offset, TRUE);
    added->SetFlags(TKP_FLAG_MANUALUPDATE);
    return added;
}

// The list placeholders go only into popup bars.
BOOL OnlyIntoPopups(CTKPCommandBar* bar, int& effect)
{
    if (bar && bar->GetType() == TKP_BARTYPE_POPUP)
        return TRUE;
    effect = 0;
    return FALSE;
}

template <class T>
CTKPControl* CloneAs(T* source, BOOL recursive)
{
    auto* clone = new T();
    clone->Copy(source, recursive);
    return clone;
}

} // namespace

CString TKPFormatEntryCaption(const CString& name, int number)
{
    CString text(name);
    text.Replace(u"&", u"&&");
    CString caption;
    if (number >= 1 && number <= 9)
        caption.Format(u"&%i %s", number, text.GetString());
    else if (number == 10)
        caption.Format(u"1&0 %s", text.GetString());
    else if (number > 10)
        caption.Format(u"%i %s", number, text.GetString());
    else
        caption = text;
    return caption;
}

// ---- Window list -------------------------------------------------------------------------------
void CTKPControlWindowList::OnCalcDynamicSize(DWORD)
{
    RemovePrevious(this, [](CTKPControl* c) { return c->GetID() >= g_nTKPFirstWindowId; });
    CTKPCommandBars* bars = BarsOf(this);
    if (bars && bars->IsCustomizeMode()) {
        m_dwHideFlags = 0;
        return;
    }
    auto* frame = dynamic_cast<CMDIFrameWnd*>(SiteFrame(this));
    HWND client = frame ? frame->m_hWndMDIClient : nullptr;
    if (!client) {
        m_dwHideFlags = 0;
        return;
    }
    HWND active = reinterpret_cast<HWND>(::SendMessageW(client, 0x0229 /* WM_MDIGETACTIVE */, 0, 0));
    const int activeId = active ? ::GetDlgCtrlID(active) : 0;
    if (activeId >= 0x8000 && activeId <= 0x800E)
        g_nTKPFirstWindowId = 0x8000;
    else if (activeId >= 1 && activeId <= 14)
        g_nTKPFirstWindowId = 1;
    m_dwHideFlags |= TKP_HIDE_GENERIC;
    int count = 0;
    for (UINT id = g_nTKPFirstWindowId; count < TKP_WINDOWLIST_MAX; ++id) {
        HWND child = ::GetDlgItem(client, int(id));
        if (!child)
            break;
        if (!::IsWindowVisible(child))
            continue;
        WCHAR text[257] = {};
        ::GetWindowTextW(child, text, 256);
        CTKPControl* entry = AddEntry(this, new CTKPControlButton(), id, count);
        entry->SetCaption(TKPFormatEntryCaption(CString(text), count + 1));
        entry->m_bBeginGroup = count == 0;
        entry->SetChecked(child == active);
        ++count;
    }
}

BOOL CTKPControlWindowList::IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT, int& effect)
{
    return OnlyIntoPopups(bar, effect);
}

CTKPControl* CTKPControlWindowList::Clone(BOOL recursive)
{
    return CloneAs(this, recursive);
}

// ---- Tool-bars list ----------------------------------------------------------------------------
void CTKPControlToolbars::CreateToolbarMenu(CTKPCommandBars* bars, CTKPControls* controls, int index, UINT id,
                                             BOOL temporary, BOOL addCustomize)
{
    if (!bars || !controls)
        return;
    int at = index;
    for (int i = 0; i < bars->GetCount(); ++i) {
        auto* toolBar = dynamic_cast<CTKPToolBar*>(bars->GetAt(i));
        if (!toolBar || toolBar->GetType() != TKP_BARTYPE_TOOLBAR || !toolBar->m_bContextMenuPresent ||
            !toolBar->m_bCloseable)
            continue;
        CTKPControl* entry = controls->AddControl(new CTKPControlToolbar(), id, kToolbarEntry, at++, temporary);
        entry->SetFlags(TKP_FLAG_MANUALUPDATE);
        entry->m_dwTag = DWORD(i);
        entry->SetCaption(toolBar->GetTitle());
        entry->SetChecked(toolBar->IsVisible());
    }
    if (addCustomize && bars->m_bCustomizable) {
        CTKPControl* customize = controls->Add(TKP_CONTROL_BUTTON, 35001, nullptr, at, temporary);
        CString text;
        if (!GetResourceLoader().LoadString(text, 35001))
            text = u"自定义应用程序的外观，工具栏和菜单\n&自定义....";
        const int line = text.Find(u'\n');
        customize->SetCaption(line >= 0 ? text.Mid(line + 1) : text);
        customize->m_bBeginGroup = TRUE;
    }
}

void CTKPControlToolbars::OnCalcDynamicSize(DWORD)
{
    RemovePrevious(this, [](CTKPControl* c) { return c->m_strParameter == kToolbarEntry; });
    CTKPCommandBars* bars = BarsOf(this);
    if (bars && bars->IsCustomizeMode()) {
        m_dwHideFlags = 0;
        return;
    }
    m_dwHideFlags |= TKP_HIDE_GENERIC;
    CreateToolbarMenu(bars, GetControls(), m_nIndex + 1, m_nId, TRUE, FALSE);
}

BOOL CTKPControlToolbars::IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT, int& effect)
{
    return OnlyIntoPopups(bar, effect);
}

CTKPControl* CTKPControlToolbars::Clone(BOOL recursive)
{
    return CloneAs(this, recursive);
}

// ---- OLE verbs ---------------------------------------------------------------------------------
void CTKPControlOleItems::OnCalcDynamicSize(DWORD)
{
    RemovePrevious(this, [](CTKPControl* c) { return c->m_strParameter == kOleEntry; });
    CTKPCommandBars* bars = BarsOf(this);
    if (bars && bars->IsCustomizeMode()) {
        m_dwHideFlags = 0;
        return;
    }
    m_dwHideFlags |= TKP_HIDE_GENERIC;
    // The verbs belong to an OLE document's selected item; the program's documents are never OLE
    // documents, so there are none to list.
}

BOOL CTKPControlOleItems::IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT, int& effect)
{
    return OnlyIntoPopups(bar, effect);
}

CTKPControl* CTKPControlOleItems::Clone(BOOL recursive)
{
    return CloneAs(this, recursive);
}

// ---- Recent files ------------------------------------------------------------------------------
CRecentFileList* CTKPControlRecentFileList::GetRecentFileList()
{
    CWinApp* app = AfxGetApp();
    return app ? app->m_pRecentFileList : nullptr;
}

void CTKPControlRecentFileList::OnCalcDynamicSize(DWORD)
{
    CRecentFileList* list = GetRecentFileList();
    if (!list)
        return;
    const UINT first = GetFirstMruId();
    const UINT last = first + UINT(list->GetSize());
    RemovePrevious(this, [&](CTKPControl* c) { return c->GetID() >= first && c->GetID() <= last; });
    CTKPCommandBars* bars = BarsOf(this);
    if (bars && bars->IsCustomizeMode()) {
        m_dwHideFlags = 0;
        m_bEnabled = TRUE;
        return;
    }
    if (list->GetSize() == 0 || (*list)[0].IsEmpty()) {
        // No recent file: the placeholder shows greyed.
        m_dwHideFlags = 0;
        m_bEnabled = FALSE;
        return;
    }
    m_dwHideFlags |= TKP_HIDE_GENERIC;
    WCHAR folder[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    CString prefix(folder);
    if (!prefix.IsEmpty())
        prefix += u"\\";
    for (int i = 0; i < list->GetSize(); ++i) {
        CString name = (*list)[i];
        if (name.IsEmpty())
            break;
        // Relative to the current folder when it lies below it.
        CString unified = name;
        unified.Replace(u"/", u"\\");
        CString base = prefix;
        base.Replace(u"/", u"\\");
        if (!base.IsEmpty() && unified.GetLength() > base.GetLength() && unified.Left(base.GetLength()) == base)
            name = name.Mid(base.GetLength());
        CTKPControl* entry = AddEntry(this, new CTKPControlButton(), first + UINT(i), i);
        entry->SetCaption(TKPFormatEntryCaption(name, i + 1));
        entry->m_bBeginGroup = i == 0 && m_nIndex > 0;
    }
}

BOOL CTKPControlRecentFileList::IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT, int& effect)
{
    return OnlyIntoPopups(bar, effect);
}

CTKPControl* CTKPControlRecentFileList::Clone(BOOL recursive)
{
    return CloneAs(this, recursive);
}

// ---- Tab-group actions -------------------------------------------------------------------------
void CTKPControlWorkspaceActions::OnCalcDynamicSize(DWORD)
{
    RemovePrevious(this, [](CTKPControl* c) { return c->GetID() >= 9420 && c->GetID() <= 9423; });
    auto* frame = dynamic_cast<CMDIFrameWnd*>(SiteFrame(this));
    auto* client = frame && frame->m_hWndMDIClient
                       ? dynamic_cast<CTKPTabClientWnd*>(CWnd::FromHandlePermanent(frame->m_hWndMDIClient))
                       : nullptr;
    if (!client)
        return;
    m_dwHideFlags |= TKP_HIDE_GENERIC;
    int added = 0;
    for (UINT id : {9422u, 9423u, 9420u, 9421u}) {
        if (!client->IsWorkspaceCommandEnabled(id))
            continue;
        CTKPControl* entry = AddEntry(this, new CTKPControlButton(), id, added);
        CString text;
        if (GetResourceLoader().LoadString(text, id)) {
            const int line = text.Find(u'\n');
            entry->SetCaption(line >= 0 ? text.Mid(line + 1) : text);
        }
        if (added == 0)
            entry->m_bBeginGroup = m_bBeginGroup;
        ++added;
    }
}

BOOL CTKPControlWorkspaceActions::IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT, int& effect)
{
    return OnlyIntoPopups(bar, effect);
}

CTKPControl* CTKPControlWorkspaceActions::Clone(BOOL recursive)
{
    return CloneAs(this, recursive);
}

// ---- Grid picker -------------------------------------------------------------------------------
CTKPControlSelector::CTKPControlSelector()
{
    m_szGrid = m_szItemsCount;
}

void CTKPControlSelector::SetSelection(SIZE selected, BOOL force)
{
    if (!force && selected.cx == m_szSelected.cx && selected.cy == m_szSelected.cy)
        return;
    m_szSelected = selected;
    if (m_pParent && m_pParent->m_hWnd)
        ::InvalidateRect(m_pParent->m_hWnd, nullptr, FALSE);
    NotifySite(0x1006);
}

void CTKPControlSelector::OnCalcDynamicSize(DWORD)
{
    if (!m_bResizing) {
        m_szSelected = SIZE{0, 0};
        m_szGrid = m_szItemsCount;
    }
    SetSelection(m_szSelected, TRUE);
}

CSize CTKPControlSelector::GetSize(CDC*)
{
    return CSize(m_szGrid.cx * m_szItemSize.cx, m_szGrid.cy * m_szItemSize.cy);
}

void CTKPControlSelector::Draw(CDC* pDC)
{
    if (!pDC)
        return;
    const HDC hdc = pDC->m_hDC;
    CTKPPaintManager* paint = GetPaintManager();
    const CTKPColorTable& colors = GetColorTable();
    for (int c = 0; c < m_szGrid.cx; ++c)
        for (int r = 0; r < m_szGrid.cy; ++r) {
            RECT cell{m_rcControl.left + c * m_szItemSize.cx, m_rcControl.top + r * m_szItemSize.cy,
                      m_rcControl.left + (c + 1) * m_szItemSize.cx, m_rcControl.top + (r + 1) * m_szItemSize.cy};
            ::InflateRect(&cell, -1, -1);
            const BOOL selected = c < m_szSelected.cx && r < m_szSelected.cy;
            const COLORREF fill = colors.GetColorByIndex(selected ? 13 : 5);
            const COLORREF item = selected ? colors.GetColorByIndex(14) : (paint ? paint->GetColor(46) : 0);
            HBRUSH brush = ::CreateSolidBrush(fill);
            ::FillRect(hdc, &cell, brush);
            ::DeleteObject(brush);
            if (paint)
                paint->Draw3dColors(hdc, cell, paint->GetColor(43), paint->GetColor(43));
            DrawItem(pDC, cell, item);
        }
}

void CTKPControlSelector::OnMouseMove(POINT pt)
{
    SIZE selected{0, 0};
    while (selected.cx < m_szGrid.cx && m_rcControl.left + selected.cx * m_szItemSize.cx < pt.x)
        ++selected.cx;
    while (selected.cy < m_szGrid.cy && m_rcControl.top + selected.cy * m_szItemSize.cy < pt.y)
        ++selected.cy;
    SetSelection(selected, FALSE);
}

BOOL CTKPControlSelector::SetSelected(int state)
{
    if (state == 0 && m_pParent && m_pParent->m_hWnd && m_szItemSize.cx > 0 && m_szItemSize.cy > 0) {
        POINT pt{};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_pParent->m_hWnd, &pt);
        SIZE grid = m_szGrid;
        if (::GetKeyState(VK_LBUTTON) < 0) {
            if (pt.x >= m_rcControl.right)
                grid.cx = std::min<LONG>(m_szItemsMax.cx, (pt.x - m_rcControl.left) / m_szItemSize.cx + 1);
            if (pt.y >= m_rcControl.bottom)
                grid.cy = std::min<LONG>(m_szItemsMax.cy, (pt.y - m_rcControl.top) / m_szItemSize.cy + 1);
        }
        if (grid.cx == m_szGrid.cx && grid.cy == m_szGrid.cy) {
            SetSelection(SIZE{0, 0}, FALSE);
        } else {
            m_szGrid = grid;
            SetSelection(m_szSelected, TRUE);
            m_bResizing = TRUE;
            m_pParent->OnRecalcLayout();
            m_bResizing = FALSE;
            OnMouseMove(pt);
        }
    }
    return CTKPControl::SetSelected(state);
}

void CTKPControlSelector::OnLButtonUp(POINT)
{
    if (m_szSelected.cx == 0 && m_szSelected.cy == 0)
        return;
    m_szLastSelected = m_szSelected;
    OnExecute();
}

void CTKPControlSelector::DoPropExchange(CTKPPropExchange* px)
{
    CTKPControl::DoPropExchange(px);
    PropExchangeSize(px, u"ItemsCount", &m_szItemsCount, SIZE{0, 0});
    PropExchangeSize(px, u"ItemsMax", &m_szItemsMax, SIZE{0, 0});
    PropExchangeSize(px, u"ItemSize", &m_szItemSize, SIZE{0, 0});
    if (px->IsLoading()) {
        // Sizes a save never writes would make a grid of no cells or of millions.
        auto bound = [](SIZE& s, LONG most) {
            s.cx = std::clamp<LONG>(s.cx, 0, most);
            s.cy = std::clamp<LONG>(s.cy, 0, most);
        };
        bound(m_szItemsCount, 256);
        bound(m_szItemsMax, 256);
        bound(m_szItemSize, 1024);
        m_szGrid = m_szItemsCount;
    }
}

void CTKPControlSelector::Copy(CTKPControl* source, BOOL recursive)
{
    if (auto* selector = dynamic_cast<CTKPControlSelector*>(source); selector && selector != this) {
        m_szItemsCount = selector->m_szItemsCount;
        m_szItemsMax = selector->m_szItemsMax;
        m_szItemSize = selector->m_szItemSize;
        m_szGrid = selector->m_szGrid;
    }
    CTKPControl::Copy(source, recursive);
}

CTKPControl* CTKPControlSelector::Clone(BOOL recursive)
{
    return CloneAs(this, recursive);
}

// ---- Label -------------------------------------------------------------------------------------
CTKPControlLabel::CTKPControlLabel()
{
    m_controlType = TKP_CONTROL_LABEL;
    m_dwFlags = 0x12;
}

CTKPControl* CTKPControlLabel::Clone(BOOL recursive)
{
    return CloneAs(this, recursive);
}

// ---- Hosted window -----------------------------------------------------------------------------
CTKPControlCustom::CTKPControlCustom()
{
    m_controlType = TKP_CONTROL_CUSTOM;
    m_dwFlags = 0x10;
}

BOOL CTKPControlCustom::IsWindowShown() const
{
    return m_hWndControl && ::IsWindow(m_hWndControl) && m_bControlVisible;
}

void CTKPControlCustom::ShowControlWindow()
{
    if (!m_hWndControl || !::IsWindow(m_hWndControl))
        return;
    const BOOL show = m_bControlVisible && m_dwHideFlags == 0;
    ::SetWindowPos(m_hWndControl, nullptr, 0, 0, 0, 0,
                   (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTKPControlCustom::SetRect(const RECT& rc)
{
    const HWND barWindow = m_pParent ? m_pParent->m_hWnd : nullptr;
    const BOOL window = m_hWndControl && ::IsWindow(m_hWndControl);
    if (::EqualRect(&rc, &m_rcControl) && (!window || ::GetParent(m_hWndControl) == barWindow))
        return;
    m_rcControl = rc;
    if (!window)
        return;
    if (barWindow && ::GetParent(m_hWndControl) != barWindow) {
        LONG_PTR style = ::GetWindowLongPtrW(m_hWndControl, GWL_STYLE);
        style = (style & ~LONG_PTR(WS_POPUP)) | WS_CHILD;
        ::SetWindowLongPtrW(m_hWndControl, GWL_STYLE, style);
        ::SetParent(m_hWndControl, barWindow);
    }
    RECT inner{rc.left + m_rcBorders.left, rc.top + m_rcBorders.top, rc.right - m_rcBorders.right,
               rc.bottom - m_rcBorders.bottom};
    ::MoveWindow(m_hWndControl, inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top, TRUE);
    ShowControlWindow();
}

void CTKPControlCustom::SetHideFlags(DWORD flags)
{
    m_dwHideFlags = flags;
    ShowControlWindow();
    DelayLayoutParent();
}

void CTKPControlCustom::SetEnabled(BOOL enabled)
{
    m_bEnabled = enabled;
    if (m_hWndControl && ::IsWindow(m_hWndControl))
        ::EnableWindow(m_hWndControl, enabled);
    RedrawParent();
}

CSize CTKPControlCustom::GetSize(CDC* pDC)
{
    if (IsWindowShown())
        return CSize(m_szControl.cx + m_rcBorders.left + m_rcBorders.right,
                     m_szControl.cy + m_rcBorders.top + m_rcBorders.bottom);
    return CTKPControlButton::GetSize(pDC);
}

void CTKPControlCustom::Draw(CDC* pDC)
{
    if (!IsWindowShown())
        CTKPControlButton::Draw(pDC);
}

void CTKPControlCustom::OnCalcDynamicSize(DWORD mode)
{
    const BOOL vertical = (mode & LM_VERTDOCK) != 0;
    if (m_nVerticalOptions == 0) {
        if (vertical)
            m_dwHideFlags |= TKP_HIDE_DOCKINGPOSITION;
        else
            m_dwHideFlags &= ~DWORD(TKP_HIDE_DOCKINGPOSITION);
    } else if (m_nVerticalOptions == 2) {
        m_bControlVisible = !vertical;
        ShowControlWindow();
    }
}

void CTKPControlCustom::OnClick(BOOL keyboard, POINT pt)
{
    if (!IsWindowShown() || IsCustomizeMode())
        CTKPControlButton::OnClick(keyboard, pt);
}

BOOL CTKPControlCustom::IsCustomizeDragOverAvail(CTKPCommandBar* bar, POINT, int& effect)
{
    return OnlyIntoPopups(bar, effect);
}

HWND CTKPControlCustom::FindControlWindow() const
{
    if (!m_nControlId)
        return nullptr;
    CTKPCommandBars* bars = BarsOf(this);
    if (!bars)
        return nullptr;
    if (CFrameWnd* site = bars->GetSite(); site && site->m_hWnd)
        if (HWND found = ::GetDlgItem(site->m_hWnd, m_nControlId))
            return found;
    for (int i = 0; i < bars->GetCount(); ++i)
        if (CTKPCommandBar* bar = bars->GetAt(i); bar && bar->m_hWnd)
            if (HWND found = ::GetDlgItem(bar->m_hWnd, m_nControlId))
                return found;
    return nullptr;
}

void CTKPControlCustom::DoPropExchange(CTKPPropExchange* px)
{
    CTKPControlButton::DoPropExchange(px);
    PropExchangeRect(px, u"Borders", &m_rcBorders, RECT{0, 0, 0, 0});
    PropExchangeSize(px, u"ControlSize", &m_szControl, SIZE{0, 0});
    PropExchangeInt(px, u"VerticalOptions", &m_nVerticalOptions, 0);
    if (px->GetSchema() > 5)
        PropExchangeInt(px, u"ControlId", &m_nControlId, 0);
    if (px->IsLoading() && m_nControlId)
        m_hWndControl = FindControlWindow();
}

void CTKPControlCustom::Copy(CTKPControl* source, BOOL recursive)
{
    if (auto* custom = dynamic_cast<CTKPControlCustom*>(source); custom && custom != this) {
        m_hWndControl = custom->m_hWndControl;
        m_rcBorders = custom->m_rcBorders;
        m_bControlVisible = custom->m_bControlVisible;
        m_szControl = custom->m_szControl;
        m_nVerticalOptions = custom->m_nVerticalOptions;
        m_nControlId = custom->m_nControlId;
    }
    CTKPControlButton::Copy(source, recursive);
}

CTKPControl* CTKPControlCustom::Clone(BOOL recursive)
{
    return CloneAs(this, recursive);
}
