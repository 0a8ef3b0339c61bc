// The settings store: registry paths of the application's sections, string and binary values, deletes.
#include "toolkit/base/settings_store.h"

#define TK_KEY_READ 0x20019
#define TK_KEY_WRITE 0x2001F

namespace {
PFN_TKAPPNAMES g_appNames = nullptr;

int WriteResult(LSTATUS status)
{
    if (status == ERROR_SUCCESS)
        return 1;
    return status == ERROR_ACCESS_DENIED ? -1 : 0;
}
} // namespace

void SetApplicationNamesProbe(PFN_TKAPPNAMES probe)
{
    g_appNames = probe;
}

CTKPSettingsStore::CTKPSettingsStore(HKEY root, LPCWSTR registryKey, LPCWSTR profileName)
    : m_hRoot(root), m_strRegistryKey(registryKey), m_strProfileName(profileName)
{
}

BOOL CTKPSettingsStore::HaveNames()
{
    if ((m_strRegistryKey.IsEmpty() || m_strProfileName.IsEmpty()) && g_appNames) {
        CString key, profile;
        if (g_appNames(key, profile)) {
            m_strRegistryKey = key;
            m_strProfileName = profile;
        }
    }
    return !m_strRegistryKey.IsEmpty() && !m_strProfileName.IsEmpty();
}

HKEY CTKPSettingsStore::GetAppKey(REGSAM access)
{
    if (!HaveNames())
        return nullptr;
    HKEY software = nullptr, company = nullptr, app = nullptr;
    if (RegOpenKeyExW(m_hRoot, u"Software", 0, access, &software) != ERROR_SUCCESS)
        return nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(software, m_strRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &company,
                        &disposition) == ERROR_SUCCESS) {
        RegCreateKeyExW(company, m_strProfileName, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &app,
                        &disposition);
        RegCloseKey(company);
    }
    RegCloseKey(software);
    return app;
}

HKEY CTKPSettingsStore::GetSectionKey(LPCWSTR section, REGSAM access)
{
    HKEY app = GetAppKey(access);
    if (!app)
        return nullptr;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(app, section, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition) !=
        ERROR_SUCCESS)
        key = nullptr;
    RegCloseKey(app);
    return key;
}

int CTKPSettingsStore::WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value)
{
    if (!entry) {
        HKEY app = GetAppKey(TK_KEY_WRITE);
        if (!app)
            return 0;
        LSTATUS status = RegDeleteKeyW(app, section);
        RegCloseKey(app);
        return WriteResult(status);
    }
    HKEY key = GetSectionKey(section, TK_KEY_WRITE);
    if (!key)
        return 0;
    LSTATUS status;
    if (!value) {
        status = RegDeleteValueW(key, entry);
    } else {
        CString text(value);
        status = RegSetValueExW(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                                DWORD(text.GetLength() + 1) * 2);
    }
    RegCloseKey(key);
    return WriteResult(status);
}

int CTKPSettingsStore::WriteProfileBinary(LPCWSTR section, LPCWSTR entry, const BYTE* data, UINT count)
{
    HKEY key = GetSectionKey(section, TK_KEY_WRITE);
    if (!key)
        return 0;
    LSTATUS status = RegSetValueExW(key, entry, 0, REG_BINARY, data, count);
    RegCloseKey(key);
    return WriteResult(status);
}

CString CTKPSettingsStore::GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue)
{
    HKEY key = GetSectionKey(section, TK_KEY_READ);
    if (!key)
        return CString(defaultValue);
    DWORD type = 0, size = 0;
    CString result(defaultValue);
    if (RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        std::u16string buffer(size / 2 + 1, u'\0');
        if (RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS)
            result = CString(buffer.c_str());
    }
    RegCloseKey(key);
    return result;
}

BOOL CTKPSettingsStore::GetProfileBinary(LPCWSTR section, LPCWSTR entry, BYTE** data, UINT* count)
{
    if (data)
        *data = nullptr;
    if (count)
        *count = 0;
    if (!data || !count)
        return FALSE;
    HKEY key = GetSectionKey(section, TK_KEY_READ);
    if (!key)
        return FALSE;
    DWORD type = 0, size = 0;
    LSTATUS status = RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size);
    *count = size;
    if (status == ERROR_SUCCESS && type == REG_BINARY) {
        *data = new BYTE[size ? size : 1];
        if (RegQueryValueExW(key, entry, nullptr, &type, *data, &size) == ERROR_SUCCESS) {
            *count = size;
            RegCloseKey(key);
            return TRUE;
        }
        delete[] *data;
        *data = nullptr;
    }
    RegCloseKey(key);
    return FALSE;
}
