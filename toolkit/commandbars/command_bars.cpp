// The command bars of a frame, their options and their keyboard shortcuts.
#include "toolkit/commandbars/command_bars.h"

#include "afx/app.h"
#include "afx/doc_template.h"
#include "afx/mdi_frame.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/edit.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/rebar.h"
#include "toolkit/base/settings_store.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/customize_drag.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/menu_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/sound_player.h"
#include "toolkit/commandbars/special_controls.h"
#include "toolkit/commandbars/trackers.h"
#include "toolkit/docking/tab_client_wnd.h"

#include <algorithm>
#include <vector>

#ifndef WM_MDIGETACTIVE
#define WM_MDIGETACTIVE 0x0229
#endif

namespace {

// The application's registry key: the application object's when it names one, else the
// toolkit settings store's (the caller closes it).
HKEY OpenProfileKey()
{
    if (CWinApp* app = AfxGetApp(); app && app->m_pszRegistryKey)
        return app->GetAppRegistryKey();
    return CTKPSettingsStore().GetAppKey(KEY_READ | KEY_WRITE);
}

BOOL WriteProfileBytes(LPCWSTR section, LPCWSTR entry, BYTE* data, UINT size)
{
    if (CWinApp* app = AfxGetApp(); app && app->m_pszRegistryKey)
        return app->WriteProfileBinary(section, entry, data, size);
    return CTKPSettingsStore().WriteProfileBinary(section, entry, data, size) == 1;
}

// The buffer is the caller's, to free with delete[].
BOOL GetProfileBytes(LPCWSTR section, LPCWSTR entry, BYTE** data, UINT* size)
{
    if (CWinApp* app = AfxGetApp(); app && app->m_pszRegistryKey)
        return app->GetProfileBinary(section, entry, data, size);
    return CTKPSettingsStore().GetProfileBinary(section, entry, data, size);
}

} // namespace

// ---- Shortcut table ----------------------------------------------------------------------------
namespace {
const struct {
    UINT vk;
    const char16_t* name;
} kKeyNames[] = {
    {1, u"Left Button"}, {2, u"Right Button"}, {3, u"Ctrl+Break"}, {4, u"Middle Button"}, {8, u"Backspace"},
    {9, u"Tab"}, {12, u"Clear"}, {13, u"Enter"}, {16, u"Shift"}, {17, u"Ctrl"}, {18, u"Alt"}, {19, u"Pause"},
    {20, u"Caps Lock"}, {27, u"Esc"}, {32, u"Space"}, {33, u"Page Up"}, {34, u"Page Down"}, {35, u"End"},
    {36, u"Home"}, {37, u"Left Arrow"}, {38, u"Up Arrow"}, {39, u"Right Arrow"}, {40, u"Down Arrow"},
    {41, u"Select"}, {42, u"Print"}, {43, u"Execute"}, {44, u"Snapshot"}, {45, u"Ins"}, {46, u"Del"},
    {47, u"Help"}, {91, u"Left Windows"}, {92, u"Right Windows"}, {93, u"Application"}, {106, u"Num *"},
    {107, u"Num +"}, {108, u"Separator"}, {109, u"Num -"}, {110, u"Num ."}, {111, u"Num /"}, {144, u"Num Lock"},
    {145, u"Scrl Lock"}, {246, u"Attn"}, {247, u"Crsel"}, {248, u"Exsel"}, {249, u"Ereof"}, {250, u"Play"},
    {251, u"Zoom"}, {252, u"No Name"}, {253, u"Pa1"}, {254, u"Oem Clear"},
};
} // namespace

CTKPShortcutTable::CTKPShortcutTable(CTKPCommandBars* bars) : m_pCommandBars(bars)
{
    for (UINT vk = 0x30; vk <= 0x39; ++vk)
        m_keyNames[vk] = CString(char16_t(vk));
    for (UINT vk = 0x41; vk <= 0x5A; ++vk)
        m_keyNames[vk] = CString(char16_t(vk));
    for (const auto& key : kKeyNames)
        m_keyNames[key.vk] = key.name;
    for (UINT i = 0; i < 12; ++i) {
        CString name;
        name.Format(u"F%u", i + 1);
        m_keyNames[112 + i] = name;
    }
    for (UINT i = 0; i < 10; ++i) {
        CString name;
        name.Format(u"Num %u", i);
        m_keyNames[96 + i] = name;
    }
}

CString CTKPShortcutTable::GetKeyName(UINT vk)
{
    auto systemName = [vk]() {
        if (vk == 3)
            return CString();
        LONG code = LONG(::MapVirtualKeyW(vk, 0) << 16) | 1;
        if (vk >= 33 && vk <= 47)
            code |= 1 << 24;
        WCHAR text[50] = {};
        if (::GetKeyNameTextW(code, text, 50) <= 0)
            return CString();
        CString name(text);
        name.MakeLower();
        for (int i = 0; i < name.GetLength(); ++i)
            if (name[i] >= u'a' && name[i] <= u'z') {
                name.SetAt(i, WCHAR(name[i] - 32));
                break;
            }
        return name;
    };
    CString name;
    if (m_bUseSystemKeyNameText)
        name = systemName();
    if (name.IsEmpty()) {
        auto it = m_keyNames.find(vk);
        if (it != m_keyNames.end())
            name = it->second;
    }
    if (name.IsEmpty() && !m_bUseSystemKeyNameText)
        name = systemName();
    return name;
}

void CTKPShortcutTable::FormatAccelerator(CString& text, const ACCEL& accel, int* priority)
{
    text.Empty();
    if (accel.key != 3) {
        const struct {
            BYTE flag;
            UINT vk;
        } modifiers[] = {{FCONTROL, VK_CONTROL}, {FSHIFT, VK_SHIFT}, {FALT, VK_MENU}};
        for (const auto& m : modifiers) {
            if (!(accel.fVirt & m.flag))
                continue;
            const CString name = GetKeyName(m.vk);
            if (!name.IsEmpty())
                text += name + u"+";
        }
    }
    if (accel.fVirt & FVIRTKEY)
        text += GetKeyName(accel.key);
    else if (accel.key != 27 && accel.key != 9 && accel.key != 0)
        text += CString(char16_t(accel.key));
    if (accel.key == 0 && !text.IsEmpty())
        text = text.Left(text.GetLength() - 1);
    if (priority)
        *priority = (accel.fVirt & FCONTROL) ? 3 : (accel.fVirt & FALT) ? 2 : (accel.fVirt & FSHIFT) ? 1 : 4;
}

BOOL CTKPShortcutTable::FindDefaultAccelerator(UINT command, CString& text)
{
    HACCEL table = GetAccelTable();
    if (!table) {
        if (m_hResourceTable)
            return FALSE;
        CFrameWnd* site = m_pCommandBars ? m_pCommandBars->GetSite() : nullptr;
        if (!site || !site->m_hAccelTable)
            return FALSE;
        table = site->m_hAccelTable;
    }
    const int count = ::CopyAcceleratorTableW(table, nullptr, 0);
    std::vector<ACCEL> entries(size_t(std::max(count, 0)));
    if (count > 0)
        ::CopyAcceleratorTableW(table, entries.data(), count);
    CString best;
    int bestPriority = 0;
    for (const ACCEL& accel : entries) {
        if (accel.cmd != command)
            continue;
        CString formatted;
        int priority = 0;
        FormatAccelerator(formatted, accel, &priority);
        if (formatted == text)
            return TRUE;
        if (priority > bestPriority) {
            best = formatted;
            bestPriority = priority;
        }
    }
    text = best;
    return bestPriority > 0;
}

BOOL CTKPShortcutTable::IsAllowedAccelerator(const ACCEL& accel)
{
    if ((accel.fVirt & FVIRTKEY) && accel.key == VK_ESCAPE && !(accel.fVirt & (FSHIFT | FCONTROL | FALT)))
        return m_bAllowEscapeShortcut;
    return TRUE;
}

BOOL CTKPShortcutTable::IsSameKey(WCHAR ch, UINT vk)
{
    if (!::MapVirtualKeyW(vk, 2))
        return FALSE;
    auto upper = [](WCHAR c) { return c >= u'a' && c <= u'z' ? WCHAR(c - 32) : c; };
    if (ch == vk || upper(ch) == vk)
        return TRUE;
    // Other keyboard layouts would be asked here; the window system offers only the one in use.
    return FALSE;
}

// ---- Shortcut key field ------------------------------------------------------------------------
void CTKPShortcutKeyEdit::ResetKey()
{
    m_accel = ACCEL{0, 0, 0};
    m_bComplete = FALSE;
    if (m_hWnd)
        ::SetWindowTextW(m_hWnd, u"");
}

BOOL CTKPShortcutKeyEdit::PreTranslateMessage(MSG* pMsg)
{
    const UINT message = pMsg->message;
    if (message == WM_LBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_RBUTTONDOWN) {
        ::SetFocus(m_hWnd);
        return TRUE;
    }
    const BOOL down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (!down && message != WM_KEYUP && message != WM_SYSKEYUP)
        return CWnd::PreTranslateMessage(pMsg);
    const UINT vk = UINT(pMsg->wParam);
    if (vk == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_MENU) >= 0) {
        if (!m_bComplete)
            ResetKey();
        return FALSE;
    }
    if (down && !(pMsg->lParam & 0x40000000))
        ResetKey();
    if (!m_bComplete) {
        BYTE modifiers = 0;
        if (::GetKeyState(VK_SHIFT) < 0)
            modifiers |= FSHIFT;
        if (::GetKeyState(VK_CONTROL) < 0)
            modifiers |= FCONTROL;
        if (::GetKeyState(VK_MENU) < 0)
            modifiers |= FALT;
        m_accel.fVirt = BYTE((m_accel.fVirt & FVIRTKEY) | modifiers);
        if (vk != VK_SHIFT && vk != VK_CONTROL && vk != VK_MENU) {
            m_accel.key = WORD(vk);
            if (down) {
                m_bComplete = TRUE;
                m_accel.fVirt |= FVIRTKEY;
            }
        }
    }
    if (m_pShortcutTable && !m_pShortcutTable->IsAllowedAccelerator(m_accel)) {
        ResetKey();
        return TRUE;
    }
    CString text;
    if (m_pShortcutTable)
        m_pShortcutTable->FormatAccelerator(text, m_accel);
    if (m_hWnd)
        ::SetWindowTextW(m_hWnd, text);
    return TRUE;
}

CTKPShortcutTable::~CTKPShortcutTable()
{
    if (m_hAccelTable)
        ::DestroyAcceleratorTable(m_hAccelTable);
    if (m_hResourceTable)
        ::DestroyAcceleratorTable(m_hResourceTable);
}

HACCEL CTKPShortcutTable::CopyAccelTable(HACCEL table)
{
    if (!table)
        return nullptr;
    const int count = ::CopyAcceleratorTableW(table, nullptr, 0);
    if (count <= 0)
        return nullptr;
    std::vector<ACCEL> entries(static_cast<size_t>(count));
    ::CopyAcceleratorTableW(table, entries.data(), count);
    return ::CreateAcceleratorTableW(entries.data(), count);
}

void CTKPShortcutTable::Reset()
{
    if (m_hAccelTable)
        ::DestroyAcceleratorTable(m_hAccelTable);
    m_hAccelTable = CopyAccelTable(m_hResourceTable);
}

BOOL CTKPShortcutTable::LoadShortcutResource(UINT id)
{
    if (m_hAccelTable)
        ::DestroyAcceleratorTable(m_hAccelTable);
    if (m_hResourceTable)
        ::DestroyAcceleratorTable(m_hResourceTable);
    m_hAccelTable = m_hResourceTable = nullptr;
    HACCEL loaded = ::LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
    if (!loaded)
        return FALSE;
    m_hResourceTable = CopyAccelTable(loaded);
    m_hAccelTable = CopyAccelTable(loaded);
    ::DestroyAcceleratorTable(loaded);
    return m_hAccelTable != nullptr;
}

void CTKPShortcutTable::SetAccelTable(const ACCEL* entries, int count)
{
    HACCEL table = entries && count > 0 ? ::CreateAcceleratorTableW(const_cast<ACCEL*>(entries), count) : nullptr;
    if (m_hAccelTable)
        ::DestroyAcceleratorTable(m_hAccelTable);
    m_hAccelTable = table;
}

void CTKPShortcutTable::DisableShortcuts(BOOL disable)
{
    m_nDisableCount += disable ? 1 : -1;
}

BOOL CTKPShortcutTable::TranslateAccelerator(HWND hWnd, MSG* pMsg)
{
    if (m_nDisableCount > 0 || !GetAccelTable() || !pMsg)
        return FALSE;
    return ::TranslateAcceleratorW(hWnd, GetAccelTable(), pMsg) != 0;
}

void CTKPShortcutTable::SaveShortcuts(LPCWSTR section)
{
    if (!m_hResourceTable || !m_hAccelTable)
        return;
    const int count = ::CopyAcceleratorTableW(m_hAccelTable, nullptr, 0);
    if (count <= 0)
        return;
    std::vector<ACCEL> entries(static_cast<size_t>(count));
    ::CopyAcceleratorTableW(m_hAccelTable, entries.data(), count);
    // The profile keeps the packed 6-byte records.
    std::vector<BYTE> bytes;
    for (const ACCEL& a : entries) {
        bytes.push_back(a.fVirt);
        bytes.push_back(0);
        bytes.push_back(BYTE(a.key & 0xFF));
        bytes.push_back(BYTE(a.key >> 8));
        bytes.push_back(BYTE(a.cmd & 0xFF));
        bytes.push_back(BYTE(a.cmd >> 8));
    }
    WriteProfileBytes(section, u"Accelerators", bytes.data(), UINT(bytes.size()));
}

void CTKPShortcutTable::LoadShortcuts(LPCWSTR section)
{
    if (!m_hResourceTable)
        return;
    LPBYTE data = nullptr;
    UINT size = 0;
    if (!GetProfileBytes(section, u"Accelerators", &data, &size) || !data)
        return;
    std::vector<ACCEL> entries;
    for (UINT i = 0; i + 6 <= size; i += 6) {
        ACCEL a{};
        a.fVirt = data[i];
        a.key = WORD(data[i + 2] | (data[i + 3] << 8));
        a.cmd = WORD(data[i + 4] | (data[i + 5] << 8));
        entries.push_back(a);
    }
    delete[] data;
    if (!entries.empty())
        SetAccelTable(entries.data(), int(entries.size()));
}

// ---- Command bars ------------------------------------------------------------------------------
IMPLEMENT_DYNCREATE(CTKPCommandBars, CCmdTarget)

CTKPCommandBars::CTKPCommandBars()
    : m_pDragContext(new CTKPCustomizeDragContext(this)), m_pOptions(new CTKPCommandBarsSettings()),
      m_pTipContext(new CTKPTipContext()), m_pShortcutTable(new CTKPShortcutTable(this))
{
    m_pOptions->m_pCommandBars = this;
}

CTKPCommandBars::~CTKPCommandBars()
{
    if (m_pDragControl)
        m_pDragControl->InternalRelease();
    m_pDragControl = nullptr;
    std::vector<CTKPCommandBar*> bars;
    bars.swap(m_bars);
    for (CTKPCommandBar* bar : bars)
        bar->InternalRelease();
    for (CTKPDockBar*& dock : m_pDockBars) {
        if (dock && dock->m_hWnd)
            dock->DestroyWindow();
        delete dock;
        dock = nullptr;
    }
    delete m_pDragContext;
    m_pDragContext = nullptr;
    if (m_pPaintManager)
        m_pPaintManager->InternalRelease();
    if (m_pImageManager)
        m_pImageManager->InternalRelease();
    m_pTipContext->InternalRelease();
    m_pShortcutTable->InternalRelease();
    m_pOptions->InternalRelease();
    CTKPMenuSoundPlayer::Get().Stop();
}

void CTKPCommandBars::SetSite(CFrameWnd* frame)
{
    m_pFrame = frame;
    if (frame && frame->m_hWnd) {
        AFX_CMDHANDLERINFO info{};
        m_bCustomizable = frame->OnCmdMsg(35001, CN_COMMAND, nullptr, &info);
    }
}

void CTKPCommandBars::EnableBarDocking()
{
    static const struct {
        UINT id;
        DWORD style;
    } kSides[4] = {{0xE81B, 0x2800}, {0xE81E, 0x8200}, {0xE81C, 0x1400}, {0xE81D, 0x4100}};
    for (int side = 0; side < 4; ++side) {
        if (m_pDockBars[side])
            continue;
        auto* dock = new CTKPDockBar(this);
        if (!m_pFrame || !dock->Create(m_pFrame, 0x56000000 | kSides[side].style, kSides[side].id)) {
            delete dock;
            AfxThrowResourceException();
        }
        m_pDockBars[side] = dock;
    }
}

CTKPCommandBar* CTKPCommandBars::SetMenuBar(LPCWSTR title, UINT menuId)
{
    auto* bar = new CTKPMenuBar();
    bar->SetCommandBars(this);
    bar->EnableDocking(0x5F);
    bar->SetTitle(title);
    bar->m_dwFlags &= ~DWORD(2);
    bar->SetBarID(1);
    if (!CreateDockedWindow(bar, 1) || !bar->LoadMenuBar(menuId)) {
        bar->InternalRelease();
        return nullptr;
    }
    if (menuId) {
        m_nMenuId = menuId;
        bar->GetControls()->CreateOriginalControls();
    }
    if (bar->m_hWnd)
        ::InvalidateRect(bar->m_hWnd, nullptr, TRUE);
    m_bars.push_back(bar);
    m_pMenuBar = bar;
    return bar;
}

CTKPToolBar* CTKPCommandBars::AddToolBar(LPCWSTR title, UINT id, CRuntimeClass* runtimeClass)
{
    CTKPToolBar* bar = nullptr;
    if (runtimeClass)
        bar = dynamic_cast<CTKPToolBar*>(runtimeClass->CreateObject());
    if (!bar)
        bar = new CTKPToolBar();
    bar->SetCommandBars(this);
    bar->EnableDocking(0x3F);
    bar->SetTitle(title);
    bar->SetBarID(id);
    if (!CreateDockedWindow(bar, id)) {
        bar->InternalRelease();
        return nullptr;
    }
    m_bars.push_back(bar);
    return bar;
}

BOOL CTKPCommandBars::CreateDockedWindow(CTKPToolBar* bar, UINT)
{
    // Without a frame (or before EnableBarDocking) the bar stays a window-less model.
    CTKPDockBar* top = m_pDockBars[0];
    if (!top || !top->m_hWnd)
        return TRUE;
    if (!bar->CreateBarWindow(top))
        return FALSE;
    top->DockCommandBar(bar);
    RecalcFrameLayout(TRUE);
    return TRUE;
}

void CTKPCommandBars::HideCommands(const UINT* ids, int count)
{
    for (int i = 0; ids && i < count; ++i)
        HideCommand(ids[i]);
}

void CTKPCommandBars::HideCommand(UINT id)
{
    m_pOptions->m_hiddenCommands.insert(id);
}

BOOL CTKPCommandBars::IsCommandHidden(UINT id) const
{
    return m_pOptions->m_hiddenCommands.count(id) && !m_pOptions->m_usedCommands.count(id);
}

void CTKPCommandBars::MarkCommandUsed(UINT id)
{
    if (m_pOptions->m_hiddenCommands.count(id))
        m_pOptions->m_usedCommands.insert(id);
}

BOOL CTKPCommandBars::LoadOptions(LPCWSTR profileName)
{
    HKEY app = OpenProfileKey();
    if (!app)
        return FALSE;
    CString section;
    section.Format(u"%s-Options", profileName ? profileName : u"");
    {
        CTKPPropExchangeRegistry px(TRUE, app, section);
        // What the frame set before loading stands where the profile holds nothing.
        px.m_bUseDefaultOnLoad = FALSE;
        m_pOptions->ExchangeOptions(&px, TRUE);
    }
    RegCloseKey(app);
    return TRUE;
}

BOOL CTKPCommandBars::SaveOptions(LPCWSTR profileName)
{
    HKEY app = OpenProfileKey();
    if (!app)
        return FALSE;
    CString section;
    section.Format(u"%s-Options", profileName ? profileName : u"");
    BOOL ok = FALSE;
    {
        CTKPPropExchangeRegistry px(FALSE, app, section);
        // Every value is written, including one equal to its construction default, since loading
        // keeps the frame's own setting for a value that is missing.
        px.m_bUseDefaultOnSave = FALSE;
        m_pOptions->ExchangeOptions(&px, TRUE);
        ok = px.GetKey() != nullptr;
    }
    RegCloseKey(app);
    return ok;
}

BOOL CTKPCommandBars::PreTranslateFrameMessage(MSG* pMsg)
{
    if (!pMsg)
        return FALSE;
    const BOOL tracking = GetMouseTracker()->GetTrackedCount() > 0;
    HWND site = m_pFrame ? m_pFrame->m_hWnd : nullptr;
    if (pMsg->message == WM_SYSKEYDOWN && (pMsg->lParam & 0x20000000) && !tracking && site &&
        IsTopLevelWindowActive(site)) {
        if (pMsg->wParam == VK_MENU) {
            ShowKeyboardCues(TRUE);
            return FALSE;
        }
        if (!(m_bIgnoreShiftMenuKey && ::GetKeyState(VK_SHIFT) < 0) && OnMenuKey(UINT(pMsg->wParam)))
            return TRUE;
    }
    if ((pMsg->message == WM_SYSKEYUP || pMsg->message == WM_KEYUP) && m_bKeyboardCuesFollowAlt &&
        m_bKeyboardCuesVisible && !tracking)
        ShowKeyboardCues(FALSE);
    if ((pMsg->message == WM_CONTEXTMENU || pMsg->message == WM_SYSKEYUP) && tracking)
        return TRUE;
    if (pMsg->message == WM_MOUSEWHEEL) {
        CTKPKeyboardTracker* keyboard = CTKPKeyboardTracker::GetThreadTracker();
        if (keyboard->GetCount())
            return keyboard->DispatchKey(pMsg->message, pMsg->wParam, pMsg->lParam) != 0;
        return FALSE;
    }
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= 0x108)
        return m_pShortcutTable->TranslateAccelerator(m_pFrame ? m_pFrame->m_hWnd : pMsg->hwnd, pMsg);
    return FALSE;
}

BOOL CTKPCommandBars::OnFrameWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_IDLEUPDATECMDUI:
        for (CTKPCommandBar* bar : m_bars)
            if (bar->GetPosition() == TKP_BARPOS_FLOATING)
                bar->OnUpdateCmdUI(m_pFrame, BOOL(wParam));
        return FALSE;
    case WM_CLOSE:
        // The customize sheet works on the bars; the frame stays until it is closed.
        return m_pDragContext->m_pSheet && m_pDragContext->m_pSheet->m_hWnd;
    case WM_COMMAND: {
        // A toolkit edit with the focus takes its clipboard commands before the frame does.
        auto* edit = dynamic_cast<CTKPEdit*>(CWnd::FromHandlePermanent(::GetFocus()));
        if (!edit || lParam)
            return FALSE;
        if (!edit->OnCmdMsg(LOWORD(wParam), CN_COMMAND, nullptr, nullptr))
            return FALSE;
        if (pResult)
            *pResult = 1;
        return TRUE;
    }
    case WM_SYSCOLORCHANGE:
        GetColorTable().RefreshColors();
        if (CTKPPaintManager* paint = GetPaintManager())
            paint->RefreshMetrics();
        GetImageManager()->RefreshAll();
        RecalcFrameLayout();
        if (m_pFrame && m_pFrame->m_hWnd)
            ::RedrawWindow(m_pFrame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return FALSE;
    case WM_SETTINGCHANGE:
        if (CTKPPaintManager* paint = GetPaintManager())
            paint->RefreshMetrics();
        RecalcFrameLayout();
        if (m_pFrame && m_pFrame->m_hWnd)
            ::RedrawWindow(m_pFrame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return FALSE;
    case WM_ACTIVATEAPP:
        if (!wParam)
            CTKPMouseTracker::GetThreadTracker()->CloseAll();
        return FALSE;
    case WM_SYSCOMMAND:
        if ((wParam && LOWORD(wParam) == 0) || (wParam & 0xFFF0) == SC_KEYMENU)
            return FALSE;
        if (!m_bCustomizeMode)
            CTKPMouseTracker::GetThreadTracker()->CloseAll();
        return FALSE;
    default:
        return FALSE;
    }
}

void CTKPCommandBars::OnSetPreviewMode(BOOL preview)
{
    m_pShortcutTable->DisableShortcuts(preview);
    for (CTKPCommandBar* bar : m_bars)
        if (bar->m_hWnd)
            ::ShowWindow(bar->m_hWnd, preview ? SW_HIDE : (bar->m_bVisible ? SW_SHOWNA : SW_HIDE));
}

int CTKPCommandBars::TrackPopupBar(CTKPPopupBar* popupBar, UINT flags, int x, int y, CWnd* owner, LPCRECT exclude,
                                   CWnd* commandOwner)
{
    if (!popupBar)
        return 0;
    UINT chosen = 0;
    popupBar->m_pPopupOwner = owner;
    popupBar->m_pCommandOwner = commandOwner;
    popupBar->m_bRightButtonTracking = (flags & TPM_RIGHTBUTTON) != 0;
    popupBar->m_bNoNotify = (flags & TPM_NONOTIFY) != 0;
    popupBar->m_pReturnCmd = (flags & TPM_RETURNCMD) ? &chosen : nullptr;
    popupBar->m_dwPopupFlags = flags;
    CTKPMouseTracker* mouse = CTKPMouseTracker::GetThreadTracker();
    // A popup opened from the keyboard leaves the other popups and the capture as they are.
    if (flags & 1) {
        mouse->m_dwTracking = 1;
    } else {
        mouse->CloseAll();
        if (::GetCapture())
            ::ReleaseCapture();
    }
    if (popupBar->PopupAt(x, y, exclude)) {
        MSG msg;
        while (popupBar->GetTrackingMode()) {
            if (!::GetMessageW(&msg, nullptr, 0, 0)) {
                // The quit request belongs to the thread's own loop: hand it back and close.
                ::PostQuitMessage(int(msg.wParam));
                popupBar->SetTrackingMode(0, TRUE, FALSE);
                break;
            }
            if (!popupBar->GetTrackingMode()) {
                ::PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
                break;
            }
            if (msg.message == WM_KICKIDLE)
                continue;
            if (!AfxGetThread() || !AfxGetThread()->PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        popupBar->m_pReturnCmd = nullptr;
        return (flags & TPM_RETURNCMD) ? int(chosen) : 1;
    }
    popupBar->m_pReturnCmd = nullptr;
    return 0;
}

int CTKPCommandBars::TrackPopupMenuAt(CMenu* menu, UINT flags, int x, int y, CWnd* owner, LPCRECT exclude,
                                      CWnd* commandOwner)
{
    CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(this);
    int result = 0;
    if (bar->LoadMenu(menu, TRUE)) {
        bar->SetSourceMenu(menu->m_hMenu);
        result = TrackPopupBar(bar, flags, x, y, owner, exclude, commandOwner);
    }
    bar->InternalRelease();
    return result;
}

CTKPCommandBar* CTKPCommandBars::GetAt(int index) const
{
    return index >= 0 && index < GetCount() ? m_bars[size_t(index)] : nullptr;
}

int CTKPCommandBars::FindIndex(CTKPCommandBar* bar) const
{
    auto it = std::find(m_bars.begin(), m_bars.end(), bar);
    return it == m_bars.end() ? -1 : int(it - m_bars.begin());
}

CTKPToolBar* CTKPCommandBars::GetToolBar(UINT id) const
{
    if (!id)
        return nullptr;
    for (CTKPCommandBar* bar : m_bars)
        if (bar->GetBarID() == id)
            return dynamic_cast<CTKPToolBar*>(bar);
    return nullptr;
}

void CTKPCommandBars::Remove(CTKPCommandBar* bar)
{
    const int index = FindIndex(bar);
    if (index < 0)
        return;
    if (bar->m_hWnd)
        ::ShowWindow(bar->m_hWnd, SW_HIDE);
    bar->m_bVisible = FALSE;
    if (auto* toolBar = dynamic_cast<CTKPToolBar*>(bar))
        if (CTKPDockBar* dock = toolBar->GetDockBar()) {
            dock->RemoveCommandBar(bar);
            RecalcFrameLayout();
        }
    m_bars.erase(m_bars.begin() + index);
    if (bar == m_pMenuBar)
        m_pMenuBar = nullptr;
    bar->InternalRelease();
}

CTKPDockBar* CTKPCommandBars::GetDockBar(int side) const
{
    return side >= 0 && side < 4 ? m_pDockBars[side] : nullptr;
}

CTKPPaintManager* CTKPCommandBars::GetPaintManager() const
{
    if (m_pPaintManager)
        return m_pPaintManager;
    if (!GetGlobalPaintManager())
        SetGlobalTheme(0);
    return GetGlobalPaintManager();
}

void CTKPCommandBars::SetPaintManager(CTKPPaintManager* manager)
{
    if (m_pPaintManager)
        m_pPaintManager->InternalRelease();
    m_pPaintManager = manager;
    if (manager)
        manager->RefreshMetrics();
}

CTKPImageManager* CTKPCommandBars::GetImageManager() const
{
    return m_pImageManager ? m_pImageManager : GetGlobalImageManager();
}

void CTKPCommandBars::SetImageManager(CTKPImageManager* manager)
{
    if (m_pImageManager)
        m_pImageManager->InternalRelease();
    m_pImageManager = manager;
}

CTKPMouseTracker* CTKPCommandBars::GetMouseTracker() const
{
    if (!m_pMouseTracker)
        m_pMouseTracker = CTKPMouseTracker::GetThreadTracker();
    return m_pMouseTracker;
}

BOOL CTKPCommandBars::IsLayoutRTL() const
{
    if (m_pFrame && m_pFrame->m_hWnd && (::GetWindowLongPtrW(m_pFrame->m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL))
        return TRUE;
    return m_bRightToLeft;
}

void CTKPCommandBars::RecalcFrameLayout(BOOL delay)
{
    if (m_bLayoutLock || !m_pFrame || !m_pFrame->m_hWnd)
        return;
    m_bLayoutPending = delay;
    if (delay)
        m_pFrame->DelayRecalcLayout();
    else
        m_pFrame->RecalcLayout();
}

// ---- Options -----------------------------------------------------------------------------------
namespace {
// An id set is left out of a store that keeps values by name and may drop defaults, when empty.
void ExchangeIds(CTKPPropExchange* px, LPCWSTR name, std::set<UINT>& ids)
{
    if (!px->IsLoading() && px->IsAllowDefaultValues() && px->m_bUseDefaultOnSave && ids.empty())
        return;
    PropExchangeIdSet(px, name, &ids);
}
} // namespace

void CTKPCommandBarsSettings::ExchangeOptions(CTKPPropExchange* px, BOOL userOptionsOnly)
{
    if (!px)
        return;
    int schema = 16;
    PropExchangeInt(px, u"Schema", &schema, 16);
    if (!px->IsLoading())
        schema = 16;
    PropExchangeBool(px, u"AlwaysShowFullMenus", &bAlwaysShowFullMenus, TRUE);
    PropExchangeBool(px, u"ShowFullAfterDelay", &bShowFullAfterDelay, TRUE);
    PropExchangeBool(px, u"ToolBarScreenTips", &bToolBarScreenTips, TRUE);
    PropExchangeBool(px, u"ToolBarAccelTips", &bToolBarAccelTips, FALSE);
    PropExchangeBool(px, u"LargeIcons", &bLargeIcons, FALSE);
    if (schema > 7)
        ExchangeIds(px, u"UsedCommands", m_usedCommands);
    if (schema > 7 || userOptionsOnly)
        PropExchangeInt(px, u"Animation", &nAnimation, 0);
    if (userOptionsOnly)
        return;
    PropExchangeBool(px, u"SyncFloatingBars", &bSyncFloatingBars, TRUE);
    PropExchangeBool(px, u"ShowExpandButtonAlways", &bShowExpandButtonAlways, TRUE);
    PropExchangeSize(px, u"IconsSize", &szIcons, SIZE{0, 0});
    PropExchangeSize(px, u"LargeIconsSize", &szLargeIcons, SIZE{0, 0});
    ExchangeIds(px, u"HiddenCommands", m_hiddenCommands);
    CTKPPaintManager* paint = m_pCommandBars ? m_pCommandBars->GetPaintManager() : nullptr;
    if (paint) {
        CTKPIconsInfo* icons = paint->GetIconsInfo();
        PropExchangeBool(px, u"IconsWithShadow", &icons->bIconsWithShadow, FALSE);
        PropExchangeBool(px, u"UseDisabledIcons", &icons->bUseDisabledIcons, TRUE);
        PropExchangeBool(px, u"UseFadedIcons", &icons->bUseFadedIcons, TRUE);
    }
    if (schema > 7) {
        PropExchangeBool(px, u"SyncFloatingBars", &bSyncFloatingBars, TRUE);
        PropExchangeBool(px, u"ShowExpandButtonAlways", &bShowExpandButtonAlways, TRUE);
        PropExchangeBool(px, u"DblClickFloat", &bDblClickFloat, FALSE);
        PropExchangeBool(px, u"ShowTextBelowIcons", &bShowTextBelowIcons, FALSE);
        PropExchangeBool(px, u"AltDragCustomization", &bAltDragCustomization, TRUE);
        PropExchangeBool(px, u"AutoHideUnusedPopups", &bAutoHideUnusedPopups, TRUE);
        PropExchangeSize(px, u"PopupIconsSize", &szPopupIcons, SIZE{16, 16});
    }
    if (schema > 8) {
        PropExchangeInt(px, u"KeyboardCuesUse", &nKeyboardCuesUse, 1);
        PropExchangeInt(px, u"KeyboardCuesShow", &nKeyboardCuesShow, 0);
        if (px->IsLoading() && m_pCommandBars)
            m_pCommandBars->SetKeyboardCuesShow(nKeyboardCuesShow);
    }
}

void CTKPCommandBarsSettings::Serialize(CArchive& ar)
{
    CTKPPropExchangeArchive px(ar);
    ExchangeOptions(&px, FALSE);
}

// ---- Keyboard cues, mnemonics and moving between bars ------------------------------------------
void CTKPCommandBars::SetKeyboardCuesShow(int mode)
{
    m_pOptions->nKeyboardCuesShow = mode;
    m_bKeyboardCuesFollowAlt = FALSE;
    m_bKeyboardCuesVisible = mode != 1;
    if (mode == 2) {
        BOOL cues = TRUE;
        if (::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0) && !cues) {
            m_bKeyboardCuesFollowAlt = TRUE;
            m_bKeyboardCuesVisible = FALSE;
        }
    }
}

void CTKPCommandBars::ShowKeyboardCues(BOOL show)
{
    if (m_bCustomizeMode)
        show = TRUE;
    if (!m_bKeyboardCuesFollowAlt || m_bKeyboardCuesVisible == show)
        return;
    m_bKeyboardCuesVisible = show;
    RedrawCommandBars();
}

void CTKPCommandBars::OnTrackingModeChanged(CTKPCommandBar*, int mode)
{
    if (mode == 0 && m_bKeyboardCuesFollowAlt && GetMouseTracker()->GetTrackedCount() == 0)
        ShowKeyboardCues(FALSE);
}

namespace {
// Whether a caption marks the character as its mnemonic ("&&" is a plain ampersand).
BOOL HasMnemonic(const CString& caption, WCHAR ch)
{
    const WCHAR key = ch;
    for (int i = 0; i + 1 < caption.GetLength(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        WCHAR a = caption[i + 1], b = key;
        if (a >= u'a' && a <= u'z')
            a = WCHAR(a - 32);
        if (b >= u'a' && b <= u'z')
            b = WCHAR(b - 32);
        return a == b;
    }
    return FALSE;
}
} // namespace

BOOL CTKPCommandBars::OnMenuKey(UINT vk)
{
    if (m_pOptions->nKeyboardCuesUse == 2 || (vk >= 0x60 && vk <= 0x69))
        return FALSE;
    const WCHAR ch = WCHAR(::MapVirtualKeyW(vk, 2) & 0xFFFF);
    if (!ch)
        return FALSE;
    const BOOL anyBar = (m_pOptions->nKeyboardCuesUse & 1) != 0;
    CTKPCommandBar* candidate = nullptr;
    for (CTKPCommandBar* bar : m_bars)
        if (bar->GetTrackingMode()) {
            candidate = bar;
            break;
        }
    if (!candidate && m_pMenuBar && m_pMenuBar->IsVisible())
        candidate = m_pMenuBar;
    if (!candidate && anyBar)
        for (CTKPCommandBar* bar : m_bars)
            if (bar->IsVisible()) {
                candidate = bar;
                break;
            }
    if (!candidate || !candidate->IsVisible())
        return FALSE;

    // The walk: the candidate's controls after its selection (wrapping), then the controls of the
    // following visible bars when any bar may take the key.
    std::vector<std::pair<CTKPCommandBar*, int>> order;
    CTKPControls* controls = candidate->GetControls();
    const int start = candidate->m_nSelected;
    for (int i = controls->GetNext(start, 1); i != -1;) {
        order.emplace_back(candidate, i);
        if (i == start)
            break;
        const int next = controls->GetNext(i, 1);
        if (next == -1 || next == order.front().second)
            break;
        i = next;
    }
    if (anyBar) {
        const int first = FindIndex(candidate);
        for (int step = 1; first >= 0 && step < GetCount(); ++step) {
            CTKPCommandBar* bar = GetAt((first + step) % GetCount());
            if (!bar->IsVisible())
                continue;
            for (int i = 0; i < bar->GetControlCount(); ++i) {
                const CTKPControl* c = bar->GetControl(i);
                if (!(c->GetHideFlags() & ~DWORD(TKP_HIDE_EXPAND)) && !(c->GetFlags() & TKP_FLAG_SKIPFOCUS))
                    order.emplace_back(bar, i);
            }
        }
    }
    CTKPCommandBar* matchBar = nullptr;
    int matchIndex = -1, matches = 0;
    for (const auto& [bar, index] : order) {
        if (!HasMnemonic(bar->GetControl(index)->GetCaption(), ch))
            continue;
        if (!matches++) {
            matchBar = bar;
            matchIndex = index;
        }
    }
    if (!matchBar)
        return FALSE;
    if (!matchBar->GetTrackingMode())
        GetMouseTracker()->CloseAll();
    ShowKeyboardCues(TRUE);
    matchBar->SetTrackingMode(1, FALSE, TRUE);
    matchBar->SetSelected(matchIndex, TRUE);
    if (matches == 1)
        matchBar->ProcessSpecialKey(5);
    return TRUE;
}

void CTKPCommandBars::SwitchBar(CTKPCommandBar* bar, int direction)
{
    const int next = GetNextVisible(FindIndex(bar), direction);
    CTKPCommandBar* target = GetAt(next);
    if (!target)
        return;
    GetMouseTracker()->CloseAll();
    ShowKeyboardCues(TRUE);
    target->SetTrackingMode(1, TRUE, TRUE);
}

int CTKPCommandBars::GetNextVisible(int index, int direction) const
{
    const int count = GetCount();
    if (!count || !direction)
        return -1;
    int i = index;
    for (int step = 0; step < count; ++step) {
        i += direction > 0 ? 1 : -1;
        if (i < 0)
            i = count - 1;
        else if (i >= count)
            i = 0;
        if (m_bars[size_t(i)]->IsVisible())
            return i;
    }
    return -1;
}

void CTKPCommandBars::ToggleVisible(int index)
{
    auto* bar = dynamic_cast<CTKPToolBar*>(GetAt(index));
    if (!bar)
        return;
    bar->SetVisible(!bar->IsVisible());
    RecalcFrameLayout();
}

// ---- Hidden commands and the active menu -------------------------------------------------------
BOOL CTKPCommandBars::IsControlHidden(CTKPControl* control) const
{
    if (!control)
        return FALSE;
    if (IsCommandHidden(control->GetID()))
        return TRUE;
    const int type = control->GetType();
    if (!m_pOptions->bAutoHideUnusedPopups || type < TKP_CONTROL_POPUP || type > TKP_CONTROL_SPLITBUTTONPOPUP)
        return FALSE;
    CTKPCommandBar* popup = control->GetCommandBar();
    if (!popup || !popup->GetControlCount())
        return FALSE;
    for (int i = 0; i < popup->GetControlCount(); ++i) {
        CTKPControl* child = popup->GetControl(i);
        if (!child->IsHidden() && !IsControlHidden(child))
            return FALSE;
    }
    return TRUE;
}

void CTKPCommandBars::ResetUsedCommands()
{
    m_pOptions->m_usedCommands.clear();
}

UINT CTKPCommandBars::GetActiveMenuId() const
{
    auto* mdi = dynamic_cast<CMDIFrameWnd*>(m_pFrame);
    if (!mdi || !mdi->m_hWndMDIClient)
        return 0;
    HWND active = HWND(::SendMessageW(mdi->m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0));
    auto* child = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(active));
    if (!child)
        return m_nMenuId;
    CDocument* doc = child->GetActiveDocument();
    if (!doc)
        return child->m_nIDHelp;
    CDocTemplate* docTemplate = doc->GetDocTemplate();
    if (child->m_nIDHelp && (!docTemplate || docTemplate->m_nIDResource != child->m_nIDHelp)) {
        docTemplate = nullptr;
        if (CWinApp* app = AfxGetApp())
            for (POSITION pos = app->GetFirstDocTemplatePosition(); pos;) {
                CDocTemplate* t = app->GetNextDocTemplate(pos);
                if (t && t->m_nIDResource == child->m_nIDHelp) {
                    docTemplate = t;
                    break;
                }
            }
    }
    return docTemplate ? docTemplate->m_nIDResource : 0;
}

// ---- Docking, layout and redraw ----------------------------------------------------------------
void CTKPCommandBars::DockCommandBar(CTKPToolBar* bar, LPCRECT rect, CTKPDockBar* dockBar)
{
    if (!bar || !dockBar)
        return;
    // A floating window turns back into a child before the dock bar adopts it.
    if (bar->m_hWnd)
        bar->CreateFloatingWindow(m_pFrame, FALSE);
    dockBar->DockCommandBar(bar, rect);
    bar->SetPosition(dockBar->GetPosition());
}

void CTKPCommandBars::DockCommandBar(CTKPToolBar* bar, int side)
{
    DockCommandBar(bar, nullptr, GetDockBar(side));
}

void CTKPCommandBars::FloatCommandBar(CTKPToolBar* bar)
{
    if (!bar)
        return;
    if (m_pFrame && m_pFrame->m_hWnd)
        bar->CreateFloatingWindow(m_pFrame, TRUE);
    if (CTKPDockBar* dock = bar->GetDockBar())
        dock->RemoveCommandBar(bar);
    bar->SetPosition(TKP_BARPOS_FLOATING);
    // The floating layout gives the window its size where it stands.
    bar->OnRecalcLayout();
}

CTKPDockBar* CTKPCommandBars::FindDockBarAt(POINT pt, CTKPDockBar* current) const
{
    auto holds = [&](CTKPDockBar* dock) {
        RECT rc;
        if (!dock || !dock->m_hWnd || !::GetWindowRect(dock->m_hWnd, &rc))
            return false;
        ::InflateRect(&rc, 20, 20);
        return ::PtInRect(&rc, pt) != FALSE;
    };
    if (holds(current))
        return current;
    for (CTKPDockBar* dock : m_pDockBars)
        if (holds(dock))
            return dock;
    return nullptr;
}

void CTKPCommandBars::DoPendingLayout()
{
    if (m_bLayoutPending && m_pFrame && m_pFrame->m_hWnd) {
        m_bLayoutPending = FALSE;
        m_pFrame->RecalcLayout();
    }
}

void CTKPCommandBars::RedrawCommandBars()
{
    for (CTKPCommandBar* bar : m_bars)
        if (bar->IsVisible()) {
            bar->m_dwFlags &= ~DWORD(2);
            if (bar->m_hWnd)
                ::InvalidateRect(bar->m_hWnd, nullptr, TRUE);
        }
}

void CTKPCommandBars::RecalcAllBars()
{
    m_bLayoutLock = TRUE;
    for (CTKPCommandBar* bar : m_bars)
        if (bar->IsVisible())
            bar->OnRecalcLayout();
    if (m_pTabClient && dynamic_cast<CMDIFrameWnd*>(m_pFrame))
        m_pTabClient->Refresh();
    m_bLayoutLock = FALSE;
    RecalcFrameLayout();
}

void CTKPCommandBars::AddToReBar(CTKPCommandBar* bar)
{
    auto* toolBar = dynamic_cast<CTKPToolBar*>(bar);
    if (!toolBar || !m_pFrame || !m_pFrame->m_hWnd)
        return;
    for (HWND child = ::GetWindow(m_pFrame->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (auto* rebar = dynamic_cast<CTKPReBar*>(CWnd::FromHandlePermanent(child))) {
            rebar->AddToolBar(toolBar);
            return;
        }
}

void CTKPCommandBars::RemoveFromReBar(CTKPCommandBar* bar)
{
    auto* toolBar = dynamic_cast<CTKPToolBar*>(bar);
    if (!toolBar || !m_pFrame || !m_pFrame->m_hWnd)
        return;
    for (HWND child = ::GetWindow(m_pFrame->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (auto* rebar = dynamic_cast<CTKPReBar*>(CWnd::FromHandlePermanent(child)))
            rebar->DeleteToolBar(toolBar);
}

CTKPToolBar* CTKPCommandBars::AddCustomToolBar(LPCWSTR title, UINT id, BOOL floating)
{
    auto* bar = new CTKPToolBar();
    bar->SetCommandBars(this);
    TKP_BAR_REQUEST request{bar, 0, FALSE, TRUE, floating, title, id};
    if (m_pFrame && m_pFrame->m_hWnd)
        ::SendMessageW(m_pFrame->m_hWnd, TKP_WM_BARREQUEST, 0, LPARAM(&request));
    if (auto* supplied = dynamic_cast<CTKPToolBar*>(request.pCommandBar); supplied && supplied != bar) {
        bar->InternalRelease();
        bar = supplied;
        bar->SetCommandBars(this);
    }
    if (!bar->GetDockingFlags())
        bar->EnableDocking(0x3F);
    bar->SetTitle(title);
    bar->SetPosition(floating ? TKP_BARPOS_FLOATING : TKP_BARPOS_TOP);
    const BOOL created = floating ? !m_pFrame || !m_pFrame->m_hWnd || bar->CreateFloatingWindow(m_pFrame, TRUE)
                                  : CreateDockedWindow(bar, id);
    if (!created) {
        bar->InternalRelease();
        return nullptr;
    }
    m_bars.push_back(bar);
    bar->SetBarID(id);
    bar->m_bBuiltIn = FALSE;
    bar->m_bTearOff = floating;
    if (!floating)
        RecalcFrameLayout();
    else
        bar->OnRecalcLayout();
    AddToReBar(bar);
    return bar;
}

// ---- Customize modes ---------------------------------------------------------------------------
void CTKPCommandBars::SetCustomizeMode(BOOL on)
{
    m_pOptions->bCustomized = TRUE;
    m_bCustomizeMode = on;
    SetDragControl(nullptr);
    for (CTKPCommandBar* bar : m_bars) {
        bar->m_dwFlags |= 1;
        bar->OnUpdateCmdUI(nullptr, FALSE);
    }
    RecalcFrameLayout();
    ShowKeyboardCues(on);
}

void CTKPCommandBars::SetQuickCustomizeMode(BOOL on)
{
    m_pOptions->bCustomized = TRUE;
    m_bQuickCustomizeMode = m_bCustomizeMode = on;
    SetDragControl(nullptr);
    ShowKeyboardCues(on);
}

void CTKPCommandBars::SetDragControl(CTKPControl* control)
{
    if (control == m_pDragControl)
        return;
    if (m_pDragControl) {
        m_pDragControl->RedrawParent();
        m_pDragControl->InternalRelease();
    }
    m_pDragControl = control;
    if (control) {
        control->InternalAddRef();
        control->RedrawParent();
    }
    HWND target = m_pDragContext->m_pSheet && m_pDragContext->m_pSheet->m_hWnd ? m_pDragContext->m_pSheet->m_hWnd
                  : m_pFrame                                                    ? m_pFrame->m_hWnd
                                                                                : nullptr;
    if (target)
        ::SendMessageW(target, TKP_WM_CUSTOMIZESELECTION, 0, 0);
}

// ---- The bars' context menu and the popups of a row -------------------------------------------
CTKPPopupBar* CTKPCommandBars::GetToolbarsPopup()
{
    CTKPPopupBar* popup = CTKPPopupBar::CreatePopupBar(this);
    popup->GetControls()->Add(TKP_CONTROL_BUTTON, 0xE800);
    return popup;
}

void CTKPCommandBars::ContextMenu(CTKPCommandBar* bar, int x, int y)
{
    if (m_bCustomizeMode)
        return;
    CTKPPopupBar* popup = GetToolbarsPopup();
    // The list of tool bars expands itself when the popup is laid out; the customise command
    // follows it here.
    if (popup->GetControls()->FindControl(0xE800))
        CTKPControlToolbars::CreateToolbarMenu(this, popup->GetControls(), popup->GetControlCount(), 0xE800, TRUE,
                                               TRUE);
    if (m_pFrame && m_pFrame->m_hWnd)
        ::SendMessageW(m_pFrame->m_hWnd, TKP_WM_BARCONTEXTMENU, WPARAM(bar), LPARAM(popup));
    if (popup->GetControlCount()) {
        popup->m_bRightToLeft = IsLayoutRTL();
        GetMouseTracker()->CloseAll();
        if (popup->PopupAt(x, y)) {
            MSG msg;
            while (popup->GetTrackingMode()) {
                if (!::GetMessageW(&msg, nullptr, 0, 0)) {
                    ::PostQuitMessage(int(msg.wParam));
                    popup->SetTrackingMode(0, TRUE, FALSE);
                    break;
                }
                if (!AfxGetThread() || !AfxGetThread()->PreTranslateMessage(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
        }
    }
    popup->InternalRelease();
}

std::vector<CTKPCommandBar*> CTKPCommandBars::GetRowBars(CTKPCommandBar* bar) const
{
    auto* toolBar = dynamic_cast<CTKPToolBar*>(bar);
    CTKPDockBar* dock = toolBar ? toolBar->GetDockBar() : nullptr;
    const int at = dock ? dock->FindBar(bar) : -1;
    if (at < 0)
        return {bar};
    int first = at;
    while (first > 0 && dock->GetBar(first - 1))
        --first;
    std::vector<CTKPCommandBar*> row;
    for (int i = first; i < dock->GetBarCount() && dock->GetBar(i); ++i)
        row.push_back(dock->GetBar(i));
    return row;
}

void CTKPCommandBars::AddRowPopups(CTKPCommandBar* bar, CTKPCommandBar* popup)
{
    if (!bar || !popup)
        return;
    for (CTKPCommandBar* rowBar : GetRowBars(bar)) {
        CTKPControl* entry = popup->GetControls()->Add(TKP_CONTROL_POPUP, 0);
        entry->SetFlags(entry->GetFlags() | TKP_FLAG_MANUALUPDATE);
        entry->SetCaption(rowBar->GetTitle());
    }
    if (m_bCustomizable)
        popup->GetControls()->Add(TKP_CONTROL_BUTTON, 35001)->SetBeginGroup(TRUE);
}

void CTKPCommandBars::AddHiddenPopups(CTKPCommandBar* bar, CTKPCommandBar* popup)
{
    if (!bar || !popup)
        return;
    for (CTKPCommandBar* rowBar : GetRowBars(bar))
        for (int i = 0; i < rowBar->GetControlCount(); ++i) {
            CTKPControl* control = rowBar->GetControl(i);
            if (control->GetType() != TKP_CONTROL_POPUP)
                continue;
            CTKPControl* copy = popup->GetControls()->AddClone(control, -1, TRUE);
            copy->SetHideFlags(0);
            copy->SetBeginGroup(FALSE);
        }
}
