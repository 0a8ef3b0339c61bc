// The command bars' saved state in the profile: each bar's place, the rows of the dock bars, and
// the customised bars as one archive, kept in the profile or, when large, in a hidden file.
#include "toolkit/commandbars/bar_state.h"

#include "afx/app.h"
#include "afx/file.h"
#include "afx/frame.h"
#include "toolkit/base/settings_store.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dialog_bar.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/tool_bar.h"
#include "win32/kernel.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "win32/user.h"

#include <algorithm>
#include <vector>

namespace {

// The largest controls file read back; a save never comes near it.
const ULONGLONG kMaxControlsFile = 64ull * 1024 * 1024;

// The application's key, the application object's when it names one, else the settings store's.
HKEY AppKey()
{
    if (CWinApp* app = AfxGetApp(); app && app->m_pszRegistryKey)
        return app->GetAppRegistryKey();
    return CTKPSettingsStore().GetAppKey(KEY_READ | KEY_WRITE);
}

HKEY SectionKey(LPCWSTR section, BOOL create)
{
    HKEY app = AppKey();
    if (!app)
        return nullptr;
    HKEY key = nullptr;
    LSTATUS status = create ? RegCreateKeyExW(app, section, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                            : RegOpenKeyExW(app, section, 0, KEY_READ | KEY_WRITE, &key);
    RegCloseKey(app);
    return status == ERROR_SUCCESS ? key : nullptr;
}

int GetInt(LPCWSTR section, LPCWSTR entry, int defaultValue)
{
    HKEY key = SectionKey(section, FALSE);
    if (!key)
        return defaultValue;
    DWORD type = 0, value = 0, size = sizeof(value);
    const LSTATUS status = RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value) ? int(value) : defaultValue;
}

void WriteInt(LPCWSTR section, LPCWSTR entry, int value)
{
    if (HKEY key = SectionKey(section, TRUE)) {
        const DWORD v = DWORD(value);
        RegSetValueExW(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
        RegCloseKey(key);
    }
}

BOOL GetBytes(LPCWSTR section, LPCWSTR entry, DWORD wantedType, std::vector<BYTE>& bytes)
{
    bytes.clear();
    HKEY key = SectionKey(section, FALSE);
    if (!key)
        return FALSE;
    DWORD type = 0, size = 0;
    BOOL ok = RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == wantedType;
    if (ok && size) {
        bytes.resize(size);
        ok = RegQueryValueExW(key, entry, nullptr, &type, bytes.data(), &size) == ERROR_SUCCESS;
        bytes.resize(ok ? size : 0);
    }
    RegCloseKey(key);
    return ok;
}

CString GetText(LPCWSTR section, LPCWSTR entry)
{
    std::vector<BYTE> bytes;
    if (!GetBytes(section, entry, REG_SZ, bytes))
        return CString();
    const size_t units = bytes.size() / sizeof(WCHAR);
    std::u16string text(units, u'\0');
    std::copy(bytes.begin(), bytes.begin() + std::ptrdiff_t(units * sizeof(WCHAR)),
              reinterpret_cast<BYTE*>(text.data()));
    return CString(text.c_str());
}

void WriteBytes(LPCWSTR section, LPCWSTR entry, DWORD type, const BYTE* data, DWORD size)
{
    if (HKEY key = SectionKey(section, TRUE)) {
        RegSetValueExW(key, entry, 0, type, data, size);
        RegCloseKey(key);
    }
}

void WriteText(LPCWSTR section, LPCWSTR entry, const CString& text)
{
    WriteBytes(section, entry, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
               DWORD((text.GetLength() + 1) * sizeof(WCHAR)));
}

void DeleteValue(LPCWSTR section, LPCWSTR entry)
{
    if (HKEY key = SectionKey(section, FALSE)) {
        RegDeleteValueW(key, entry);
        RegCloseKey(key);
    }
}

void DeleteSection(LPCWSTR section)
{
    if (HKEY app = AppKey()) {
        RegDeleteTreeW(app, section);
        RegDeleteKeyW(app, section);
        RegCloseKey(app);
    }
}

BOOL SectionExists(LPCWSTR section)
{
    HKEY key = SectionKey(section, FALSE);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

CString Name(LPCWSTR format, LPCWSTR profileName, int index = 0)
{
    CString name;
    name.Format(format, profileName, index);
    return name;
}

CTKPCommandBar* FindBar(CTKPCommandBars* bars, UINT id)
{
    for (int i = 0; id && i < bars->GetCount(); ++i)
        if (bars->GetAt(i)->GetBarID() == id)
            return bars->GetAt(i);
    return nullptr;
}

// A regular file's whole content, when it is not larger than the limit.
BOOL ReadWholeFile(const CString& path, std::vector<BYTE>& bytes)
{
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    LARGE_INTEGER size{};
    BOOL ok = ::GetFileSizeEx(file, &size) && size.QuadPart > 0 && ULONGLONG(size.QuadPart) <= kMaxControlsFile;
    if (ok) {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        ok = ::ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size();
    }
    ::CloseHandle(file);
    if (!ok)
        bytes.clear();
    return ok;
}

// A memory file that notes a read past its end: the exchange takes a value it cannot read as its
// default, so a cut document would otherwise load as if whole.
class CReadCheckedFile : public CMemFile {
public:
    CReadCheckedFile(BYTE* data, UINT size) : CMemFile(data, size, 0) {}
    UINT Read(void* buffer, UINT count) override
    {
        if (count && GetPosition() >= GetLength())
            m_bOverrun = TRUE;
        return CMemFile::Read(buffer, count);
    }
    BOOL m_bOverrun = FALSE;
};

} // namespace

// ---- One bar's place ---------------------------------------------------------------------------
void CTKPBarInfo::SaveBarPosition(LPCWSTR profileName, int index) const
{
    const CString section = Name(u"%s-Bar%d", profileName, index);
    // Values left out mean their defaults, so nothing of an earlier save may stay behind.
    DeleteSection(section);
    WriteInt(section, u"BarID", int(nBarID));
    if (!bVisible)
        WriteInt(section, u"Visible", 0);
    if (bFloating)
        WriteInt(section, u"Floating", 1);
    if (ptPos.x != -1)
        WriteInt(section, u"XPos", ptPos.x);
    if (ptPos.y != -1)
        WriteInt(section, u"YPos", ptPos.y);
    if (nMRUWidth != 32767)
        WriteInt(section, u"MRUWidth", nMRUWidth);
    WriteInt(section, u"MRUDockID", int(nMRUDockID));
    WriteInt(section, u"MRUDockLeftPos", rcMRUDockPos.left);
    WriteInt(section, u"MRUDockTopPos", rcMRUDockPos.top);
    WriteInt(section, u"MRUDockRightPos", rcMRUDockPos.right);
    WriteInt(section, u"MRUDockBottomPos", rcMRUDockPos.bottom);
    WriteInt(section, u"MRUFloatXPos", ptMRUFloatPos.x);
    WriteInt(section, u"MRUFloatYPos", ptMRUFloatPos.y);
    WriteInt(section, u"DialogBar", bDialogBar ? 1 : 0);
    if (bDialogBar) {
        WriteInt(section, u"DialogBarDockingClientCx", szDockingClient.cx);
        WriteInt(section, u"DialogBarDockingClientCy", szDockingClient.cy);
        WriteInt(section, u"DialogBarFloatingClientCx", szFloatingClient.cx);
        WriteInt(section, u"DialogBarFloatingClientCy", szFloatingClient.cy);
    }
}

void CTKPBarInfo::LoadBarPosition(LPCWSTR profileName, int index, CTKPDockState* state)
{
    const CString section = Name(u"%s-Bar%d", profileName, index);
    nBarID = UINT(GetInt(section, u"BarID", 0));
    bVisible = GetInt(section, u"Visible", 1) != 0;
    bFloating = GetInt(section, u"Floating", 0) != 0;
    ptPos = POINT{GetInt(section, u"XPos", -1), GetInt(section, u"YPos", -1)};
    nMRUWidth = GetInt(section, u"MRUWidth", 32767);
    nMRUDockID = UINT(GetInt(section, u"MRUDockID", 0));
    rcMRUDockPos = RECT{GetInt(section, u"MRUDockLeftPos", 0), GetInt(section, u"MRUDockTopPos", 0),
                        GetInt(section, u"MRUDockRightPos", 0), GetInt(section, u"MRUDockBottomPos", 0)};
    ptMRUFloatPos = POINT{GetInt(section, u"MRUFloatXPos", 0), GetInt(section, u"MRUFloatYPos", 0)};
    bDialogBar = GetInt(section, u"DialogBar", 0) != 0;
    if (bDialogBar) {
        szDockingClient.cx = GetInt(section, u"DialogBarDockingClientCx", szDockingClient.cx);
        szDockingClient.cy = GetInt(section, u"DialogBarDockingClientCy", szDockingClient.cy);
        szFloatingClient.cx = GetInt(section, u"DialogBarFloatingClientCx", szFloatingClient.cx);
        szFloatingClient.cy = GetInt(section, u"DialogBarFloatingClientCy", szFloatingClient.cy);
    }
    if (state) {
        state->ScalePoint(ptPos);
        state->ScaleRectPos(rcMRUDockPos);
        state->ScalePoint(ptMRUFloatPos);
    }
}

// ---- The set of places -------------------------------------------------------------------------
CTKPDockState::CTKPDockState()
{
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    m_rcScreen = RECT{0, 0, cx, cy};
    m_rcClip = RECT{0, 0, cx - ::GetSystemMetrics(SM_CXICON), cy - ::GetSystemMetrics(SM_CYICON)};
}

CTKPDockState::~CTKPDockState()
{
    Clear();
}

void CTKPDockState::Clear()
{
    for (CTKPBarInfo* info : m_arrBarInfo)
        delete info;
    m_arrBarInfo.clear();
}

void CTKPDockState::SetScreenSize(SIZE size)
{
    m_szSaved = size;
    // A saved size that is missing or not positive cannot be a divisor: positions stay as saved.
    m_bScaling = size.cx > 0 && size.cy > 0 &&
                 (size.cx != m_rcScreen.right - m_rcScreen.left || size.cy != m_rcScreen.bottom - m_rcScreen.top);
}

void CTKPDockState::ScalePoint(POINT& pt) const
{
    if (m_bScaling) {
        pt.x = ::MulDiv(pt.x, m_rcScreen.right - m_rcScreen.left, m_szSaved.cx);
        pt.y = ::MulDiv(pt.y, m_rcScreen.bottom - m_rcScreen.top, m_szSaved.cy);
    }
    pt.x = std::min(pt.x, m_rcClip.right);
    pt.y = std::min(pt.y, m_rcClip.bottom);
}

void CTKPDockState::ScaleRectPos(RECT& rc) const
{
    if (m_bScaling) {
        const POINT pt{::MulDiv(rc.left, m_rcScreen.right - m_rcScreen.left, m_szSaved.cx),
                       ::MulDiv(rc.top, m_rcScreen.bottom - m_rcScreen.top, m_szSaved.cy)};
        ::OffsetRect(&rc, pt.x - rc.left, pt.y - rc.top);
    }
    if (rc.left > m_rcClip.right)
        ::OffsetRect(&rc, m_rcClip.right - rc.left, 0);
    if (rc.top > m_rcClip.bottom)
        ::OffsetRect(&rc, 0, m_rcClip.bottom - rc.top);
}

void CTKPDockState::SaveState(LPCWSTR profileName) const
{
    for (size_t i = 0; i < m_arrBarInfo.size(); ++i)
        m_arrBarInfo[i]->SaveBarPosition(profileName, int(i));
    const CString summary = Name(u"%s-Summary", profileName);
    WriteInt(summary, u"Bars", int(m_arrBarInfo.size()));
    WriteInt(summary, u"ScreenCX", m_rcScreen.right - m_rcScreen.left);
    WriteInt(summary, u"ScreenCY", m_rcScreen.bottom - m_rcScreen.top);
}

void CTKPDockState::LoadState(LPCWSTR profileName)
{
    Clear();
    const CString summary = Name(u"%s-Summary", profileName);
    const int count = std::min(GetInt(summary, u"Bars", 0), TKP_MAX_SAVED_BARS);
    SetScreenSize(SIZE{GetInt(summary, u"ScreenCX", 0), GetInt(summary, u"ScreenCY", 0)});
    for (int i = 0; i < count; ++i) {
        // The bars' sections are written in one run, so the first missing one ends them.
        if (!SectionExists(Name(u"%s-Bar%d", profileName, i)))
            break;
        auto* info = new CTKPBarInfo();
        m_arrBarInfo.push_back(info);
        info->LoadBarPosition(profileName, i, this);
    }
}

// ---- Bars and their places ---------------------------------------------------------------------
void GetBarInfo(CTKPCommandBar* bar, CTKPBarInfo* info)
{
    auto* toolBar = dynamic_cast<CTKPToolBar*>(bar);
    info->nBarID = bar->GetBarID();
    info->pBar = bar;
    info->bVisible = bar->IsVisible();
    info->nMRUWidth = bar->m_nMRUWidth;
    info->bFloating = bar->GetPosition() == TKP_BARPOS_FLOATING;
    if (bar->m_hWnd) {
        RECT rc{};
        ::GetWindowRect(bar->m_hWnd, &rc);
        POINT pt{rc.left, rc.top};
        if (CTKPDockBar* dock = toolBar ? toolBar->GetDockBar() : nullptr; dock && dock->m_hWnd)
            ::ScreenToClient(dock->m_hWnd, &pt);
        info->ptPos = pt;
    } else if (toolBar) {
        info->ptPos = toolBar->m_ptMRUFloat;
    }
    if (toolBar) {
        info->nMRUDockID = toolBar->m_nMRUDockID;
        info->rcMRUDockPos = toolBar->m_rcMRUDock;
        info->ptMRUFloatPos = toolBar->m_ptMRUFloat;
    }
    info->bDialogBar = bar->IsDialogBar();
    if (auto* dialogBar = dynamic_cast<CTKPDialogBar*>(bar)) {
        info->szDockingClient = dialogBar->GetDockingClientSize();
        info->szFloatingClient = dialogBar->GetFloatingClientSize();
    }
}

void SetBarInfo(CTKPBarInfo* info, CTKPCommandBar* bar)
{
    auto* toolBar = dynamic_cast<CTKPToolBar*>(bar);
    bar->m_nMRUWidth = info->nMRUWidth;
    if (auto* dialogBar = dynamic_cast<CTKPDialogBar*>(bar); dialogBar && info->bDialogBar)
        dialogBar->SetSize(info->szDockingClient, info->szFloatingClient);
    if (toolBar) {
        toolBar->m_nMRUDockID = info->nMRUDockID;
        toolBar->m_rcMRUDock = info->rcMRUDockPos;
        toolBar->m_ptMRUFloat = info->ptMRUFloatPos;
    }
    if (bar->m_hWnd && info->ptPos.x != -1 && info->ptPos.y != -1) {
        const BOOL docked = toolBar && toolBar->GetDockBar();
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (!info->bFloating)
            flags |= SWP_NOSIZE;
        if (!info->bFloating && !docked)
            flags |= SWP_NOMOVE;
        ::SetWindowPos(bar->m_hWnd, nullptr, info->ptPos.x, info->ptPos.y, 0, 0, flags);
    }
    if (toolBar) {
        toolBar->SetVisible(info->bVisible);
    } else {
        bar->m_bVisible = info->bVisible;
        if (bar->m_hWnd)
            ::ShowWindow(bar->m_hWnd, info->bVisible ? SW_SHOWNA : SW_HIDE);
    }
    if (info->bFloating)
        bar->OnRecalcLayout();
}

void GetDockState(CTKPCommandBars* bars, CTKPDockState& state)
{
    state.Clear();
    for (int i = 0; i < bars->GetCount(); ++i) {
        auto* info = new CTKPBarInfo();
        state.m_arrBarInfo.push_back(info);
        GetBarInfo(bars->GetAt(i), info);
    }
}

void SetDockState(CTKPCommandBars* bars, CTKPDockState& state)
{
    for (CTKPBarInfo* info : state.m_arrBarInfo) {
        CTKPCommandBar* bar = FindBar(bars, info->nBarID);
        if (!bar)
            continue;
        info->pBar = bar;
        if (auto* toolBar = dynamic_cast<CTKPToolBar*>(bar)) {
            if (info->bFloating)
                bars->FloatCommandBar(toolBar);
            else if (!toolBar->GetDockBar() && toolBar->GetPosition() == TKP_BARPOS_FLOATING)
                bars->DockCommandBar(toolBar, TKP_BARPOS_TOP);
        }
        SetBarInfo(info, bar);
    }
}

void CTKPDockBar::InsertEntry(int index, CTKPCommandBar* bar)
{
    index = std::clamp(index, 0, GetBarCount());
    m_bars.insert(m_bars.begin() + index, bar);
}

void SaveDockBars(CTKPCommandBars* bars, LPCWSTR profileName)
{
    for (int d = 0; d < 4; ++d) {
        const CString section = Name(u"%s-DockBar%d", profileName, d);
        DeleteSection(section);
        CTKPDockBar* dock = bars->GetDockBar(d);
        if (!dock || dock->GetBarCount() <= 1)
            continue;
        int written = 0;
        BOOL lastNull = FALSE;
        for (int i = 0; i < dock->GetBarCount(); ++i) {
            CTKPCommandBar* bar = dock->GetBar(i);
            if (!bar && lastNull)
                continue;
            lastNull = !bar;
            CString entry;
            entry.Format(u"Bar#%d", written++);
            WriteInt(section, entry, bar ? int(bar->GetBarID()) : 0);
        }
        WriteInt(section, u"Bars", written);
    }
    CFrameWnd* frame = bars->GetSite();
    CWnd* status = frame && frame->m_hWnd ? CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, 0xE801)) : nullptr;
    if (status && status->m_hWnd) {
        if (!::IsWindowVisible(status->m_hWnd))
            WriteInt(profileName, u"StatusBar", 0);
        else
            DeleteValue(profileName, u"StatusBar");
    }
}

void LoadDockBars(CTKPCommandBars* bars, LPCWSTR profileName)
{
    for (int d = 0; d < 4; ++d) {
        CTKPDockBar* dock = bars->GetDockBar(d);
        const CString section = Name(u"%s-DockBar%d", profileName, d);
        // Two entries per bar (the bar and a row break) is the most a save writes.
        const int count = std::min(GetInt(section, u"Bars", 0), 2 * TKP_MAX_SAVED_BARS + 1);
        if (!dock || count < 2)
            continue;
        for (int i = 0; i < count; ++i) {
            CString entry;
            entry.Format(u"Bar#%d", i);
            CTKPCommandBar* bar = FindBar(bars, UINT(GetInt(section, entry, 0)));
            auto* toolBar = dynamic_cast<CTKPToolBar*>(bar);
            if (toolBar) {
                if (toolBar->m_hWnd && dock->m_hWnd && ::GetParent(toolBar->m_hWnd) != dock->m_hWnd)
                    ::SetParent(toolBar->m_hWnd, dock->m_hWnd);
                if (CTKPDockBar* old = toolBar->GetDockBar())
                    old->RemoveCommandBar(toolBar);
                toolBar->SetDockBar(dock);
                toolBar->SetPosition(dock->GetPosition());
            }
            dock->InsertEntry(i, toolBar);
        }
    }
    CFrameWnd* frame = bars->GetSite();
    if (frame && frame->m_hWnd && GetInt(profileName, u"StatusBar", 1) == 0)
        if (CControlBar* status = frame->GetControlBar(0xE801))
            frame->ShowControlBar(status, FALSE, FALSE);
}

// ---- File names --------------------------------------------------------------------------------
CString GetAppDataFileName(LPCWSTR fileName)
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!::GetVersionExW(&version) || version.dwPlatformId < 2 || version.dwMajorVersion < 5)
        return CString();
    LPITEMIDLIST items = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &items)) || !items)
        return CString();
    WCHAR buffer[MAX_PATH] = {};
    const BOOL found = ::SHGetPathFromIDListW(items, buffer);
    ::CoTaskMemFree(items);
    CWinApp* app = AfxGetApp();
    if (!found || !buffer[0] || !app || !app->m_pszAppName || !*app->m_pszAppName)
        return CString();
    CString folder(buffer);
    folder += u"\\";
    folder += app->m_pszAppName;
    ::CreateDirectoryW(folder, nullptr);
    const DWORD attributes = ::GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return CString();
    return folder + u"\\" + fileName;
}

void CTKPCommandBars::GetControlsFileName(CString& path, LPCWSTR profileName) const
{
    if (!m_strControlsFileName.IsEmpty()) {
        path = m_strControlsFileName;
        return;
    }
    CString name(profileName ? profileName : u"");
    name.Replace(u"\\", u"_");
    path = GetAppDataFileName(name);
    if (!path.IsEmpty())
        return;
    WCHAR module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    path.Format(u"%s-%s", module, name.GetString());
}

// ---- Save and load -----------------------------------------------------------------------------
BOOL CTKPCommandBars::SaveBarControls(LPCWSTR profileName, BOOL onlyChanged)
{
    const LPCWSTR name = profileName ? profileName : u"";
    {
        CTKPDockState state;
        GetDockState(this, state);
        state.SaveState(name);
    }
    SaveDockBars(this, name);
    if (!m_bCustomizable)
        return TRUE;

    const CString section = Name(u"%s-Controls", name);
    CTKPPropExchangeContext context;
    context.bSaveOnlyChanged = onlyChanged;
    context.pCommandBars = this;
    std::vector<CTKPCommandBar*> list;
    CollectBarsToSave(list, &context);
    CMemFile file(1024);
    BOOL ok = FALSE;
    try {
        CArchive ar(&file, CArchive::store, 4096);
        CTKPPropExchangeArchive px(ar);
        px.m_pContext = &context;
        ok = SaveBars(&px, list);
        if (ok)
            ar.Close();
        else
            ar.Abort();
    } catch (CException* e) {
        e->Delete();
        ok = FALSE;
    }
    for (CTKPCommandBar* bar : list)
        bar->InternalRelease();
    if (!ok) {
        DeleteSection(section);
        return FALSE;
    }

    const DWORD size = DWORD(file.GetPosition());
    std::vector<BYTE> bytes(size);
    file.SeekToBegin();
    if (size && file.Read(bytes.data(), size) != size) {
        DeleteSection(section);
        return FALSE;
    }
    CString path;
    GetControlsFileName(path, name);
    if (!path.IsEmpty())
        ::DeleteFileW(path);
    if (size <= TKP_MAX_PROFILE_CONTROLS || path.IsEmpty()) {
        WriteBytes(section, u"Controls", REG_BINARY, bytes.data(), size);
        WriteInt(section, u"LoadFromFile", 0);
        return TRUE;
    }
    HANDLE out = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const BOOL wrote = out != INVALID_HANDLE_VALUE && ::WriteFile(out, bytes.data(), size, &written, nullptr) &&
                       written == size;
    if (out != INVALID_HANDLE_VALUE)
        ::CloseHandle(out);
    if (!wrote) {
        // What the profile held before names a file that is gone or is not this save.
        ::DeleteFileW(path);
        DeleteSection(section);
        return FALSE;
    }
    WriteText(section, u"Controls", path);
    WriteInt(section, u"LoadFromFile", 1);
    ::SetFileAttributesW(path, FILE_ATTRIBUTE_HIDDEN);
    return TRUE;
}

BOOL CTKPCommandBars::LoadBarControls(LPCWSTR profileName, BOOL silent)
{
    const LPCWSTR name = profileName ? profileName : u"";
    if (m_bCustomizable) {
        const CString section = Name(u"%s-Controls", name);
        std::vector<BYTE> bytes;
        if (GetInt(section, u"LoadFromFile", 0)) {
            const CString path = GetText(section, u"Controls");
            if (!path.IsEmpty())
                ReadWholeFile(path, bytes);
        } else {
            GetBytes(section, u"Controls", REG_BINARY, bytes);
        }
        if (!bytes.empty()) {
            CTKPPropExchangeContext context;
            context.bSaveOnlyChanged = TRUE;
            context.bLoadSilent = silent;
            context.pCommandBars = this;
            std::vector<CTKPCommandBar*> list;
            BOOL loaded = FALSE;
            {
                CReadCheckedFile file(bytes.data(), UINT(bytes.size()));
                try {
                    CArchive ar(&file, CArchive::load, 4096);
                    CTKPPropExchangeArchive px(ar);
                    px.m_pContext = &context;
                    loaded = LoadBars(&px, list) && !file.m_bOverrun;
                    ar.Abort();
                } catch (CException* e) {
                    e->Delete();
                    loaded = FALSE;
                }
                file.Detach();
            }
            if (loaded)
                RebuildBars(list, silent);
            for (CTKPCommandBar* bar : list)
                bar->InternalRelease();
        }
    }
    CTKPDockState state;
    state.LoadState(name);
    LoadDockBars(this, name);
    SetDockState(this, state);
    RecalcFrameLayout(TRUE);
    m_bLayoutPending = FALSE;
    return TRUE;
}
