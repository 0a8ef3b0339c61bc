// The window placement store: the 48-byte "Window Position" record of the profile.
#include "toolkit/base/window_placement.h"

#include "toolkit/base/settings_store.h"

#include <cstring>

namespace {

LPCWSTR SectionOrDefault(LPCWSTR section) { return section ? section : u"Settings"; }
LPCWSTR EntryOrDefault(LPCWSTR entry) { return entry ? entry : u"Window Position"; }

void PutLong(BYTE* p, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = BYTE(v >> (8 * i));
}

DWORD GetLong(const BYTE* p)
{
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

} // namespace

CTKWindowPlacementStore::CTKWindowPlacementStore()
{
    std::memset(&m_wp, 0, sizeof(m_wp));
    m_wp.length = sizeof(WINDOWPLACEMENT);
    m_wp.showCmd = SW_SHOW;
}

BOOL CTKWindowPlacementStore::SaveWindowPlacement(CWnd* pWnd, LPCWSTR entry, LPCWSTR section)
{
    if (!pWnd || !::IsWindow(pWnd->GetSafeHwnd()))
        return FALSE;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!::GetWindowPlacement(pWnd->GetSafeHwnd(), &wp))
        return FALSE;
    // A frame closed minimised comes back as a normal window.
    if (wp.showCmd != SW_SHOWMAXIMIZED)
        wp.showCmd = SW_SHOWNORMAL;
    m_dwReserved = 0;
    m_wp = wp;

    BYTE record[RecordSize];
    const DWORD fields[RecordSize / 4] = {0, wp.length, wp.flags, wp.showCmd,
                                          DWORD(wp.ptMinPosition.x), DWORD(wp.ptMinPosition.y),
                                          DWORD(wp.ptMaxPosition.x), DWORD(wp.ptMaxPosition.y),
                                          DWORD(wp.rcNormalPosition.left), DWORD(wp.rcNormalPosition.top),
                                          DWORD(wp.rcNormalPosition.right), DWORD(wp.rcNormalPosition.bottom)};
    for (UINT i = 0; i < RecordSize / 4; ++i)
        PutLong(record + 4 * i, fields[i]);
    CTKPSettingsStore store(HKEY_CURRENT_USER);
    return store.WriteProfileBinary(SectionOrDefault(section), EntryOrDefault(entry), record, RecordSize) == 1;
}

BOOL CTKWindowPlacementStore::LoadWindowPlacement(LPCWSTR entry, LPCWSTR section)
{
    CTKPSettingsStore store(HKEY_CURRENT_USER);
    BYTE* data = nullptr;
    UINT count = 0;
    if (!store.GetProfileBinary(SectionOrDefault(section), EntryOrDefault(entry), &data, &count))
        return FALSE;
    // Only a whole record is trusted: a shorter value would be read past its end, and a longer
    // one or another length field is not a placement this program wrote.
    const BOOL whole = data && count == RecordSize && GetLong(data + 4) == sizeof(WINDOWPLACEMENT);
    if (whole) {
        m_dwReserved = GetLong(data);
        m_wp.length = GetLong(data + 4);
        m_wp.flags = GetLong(data + 8);
        m_wp.showCmd = GetLong(data + 12);
        m_wp.ptMinPosition = {LONG(GetLong(data + 16)), LONG(GetLong(data + 20))};
        m_wp.ptMaxPosition = {LONG(GetLong(data + 24)), LONG(GetLong(data + 28))};
        m_wp.rcNormalPosition = {LONG(GetLong(data + 32)), LONG(GetLong(data + 36)), LONG(GetLong(data + 40)),
                                 LONG(GetLong(data + 44))};
    }
    delete[] data;
    return whole;
}

BOOL CTKWindowPlacementStore::RestoreWindowPlacement(CWnd* pWnd, LPCWSTR entry, LPCWSTR section)
{
    if (!pWnd || !::IsWindow(pWnd->GetSafeHwnd()))
        return FALSE;
    if (!LoadWindowPlacement(entry, section))
        return FALSE;
    ::SetWindowPlacement(pWnd->GetSafeHwnd(), &m_wp);
    return TRUE;
}
