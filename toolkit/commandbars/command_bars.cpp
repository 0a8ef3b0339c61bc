// The command bars of a frame, their options and their keyboard shortcuts.
#include "toolkit/commandbars/command_bars.h"

#include "afx/app.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/edit.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tip_context.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/commandbars/trackers.h"

#include <algorithm>
#include <vector>

// ---- Shortcut table ----------------------------------------------------------------------------
CTKPShortcutTable::CTKPShortcutTable(CTKPCommandBars* bars) : m_pCommandBars(bars)
{
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
    CWinApp* app = AfxGetApp();
    if (!m_hResourceTable || !app || !m_hAccelTable)
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
    app->WriteProfileBinary(section, u"Accelerators", bytes.data(), UINT(bytes.size()));
}

void CTKPShortcutTable::LoadShortcuts(LPCWSTR section)
{
    CWinApp* app = AfxGetApp();
    if (!m_hResourceTable || !app)
        return;
    LPBYTE data = nullptr;
    UINT size = 0;
    if (!app->GetProfileBinary(section, u"Accelerators", &data, &size) || !data)
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
    : m_pOptions(new CTKPCommandBarsSettings()), m_pTipContext(new CTKPTipContext()),
      m_pShortcutTable(new CTKPShortcutTable(this))
{
    m_pOptions->m_pCommandBars = this;
}

CTKPCommandBars::~CTKPCommandBars()
{
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
    if (m_pPaintManager)
        m_pPaintManager->InternalRelease();
    if (m_pImageManager)
        m_pImageManager->InternalRelease();
    m_pTipContext->InternalRelease();
    m_pShortcutTable->InternalRelease();
    m_pOptions->InternalRelease();
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
    auto* bar = new CTKPToolBar();
    bar->m_barType = TKP_BARTYPE_MENUBAR;
    bar->SetCommandBars(this);
    bar->EnableDocking(0x5F);
    bar->SetTitle(title);
    bar->SetBarID(1);
    if (menuId) {
        CMenu menu;
        if (!menu.LoadMenu(menuId) || !bar->LoadMenu(&menu, TRUE)) {
            bar->InternalRelease();
            return nullptr;
        }
        m_nMenuId = menuId;
    }
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
    m_bars.push_back(bar);
    return bar;
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

BOOL CTKPCommandBars::LoadOptions(LPCWSTR)
{
    return FALSE;
}

BOOL CTKPCommandBars::SaveOptions(LPCWSTR)
{
    return FALSE;
}

BOOL CTKPCommandBars::LoadBarControls(LPCWSTR)
{
    return FALSE;
}

BOOL CTKPCommandBars::SaveBarControls(LPCWSTR, BOOL)
{
    return FALSE;
}

BOOL CTKPCommandBars::PreTranslateFrameMessage(MSG* pMsg)
{
    if (!pMsg)
        return FALSE;
    const BOOL tracking = CTKPMouseTracker::GetThreadTracker()->GetTrackedCount() > 0;
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
    if (popupBar->PopupAt(x, y, exclude)) {
        MSG msg;
        while (popupBar->GetTrackingMode() && ::GetMessageW(&msg, nullptr, 0, 0)) {
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
    // Until the popup window can show itself, the system's menu tracking shows the menu the bar
    // was filled from, so the user still gets the menu and the caller the command.
    HMENU menu = popupBar->GetSourceMenu();
    if (!menu || !::IsMenu(menu))
        return 0;
    HWND hOwner = owner && owner->m_hWnd ? owner->m_hWnd : (commandOwner ? commandOwner->m_hWnd : nullptr);
    TPMPARAMS params{sizeof(TPMPARAMS), {0, 0, 0, 0}};
    if (exclude)
        params.rcExclude = *exclude;
    return int(::TrackPopupMenuEx(menu, flags, x, y, hOwner, exclude ? &params : nullptr));
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
    if (!m_pFrame || !m_pFrame->m_hWnd)
        return;
    if (delay)
        m_pFrame->DelayRecalcLayout();
    else
        m_pFrame->RecalcLayout();
}
