// The application's profile: integers, strings and binary values under its registry key.
#include "afx/app.h"

#include <algorithm>

#include <cstdlib>
#include <vector>

namespace {

void Replace(LPCWSTR& field, LPCWSTR value) {
    std::free(const_cast<LPWSTR>(field));
    field = value ? _wcsdup(value) : nullptr;
}

} // namespace

CWinAppProfile::CWinAppProfile(LPCWSTR lpszAppName) { SetAppName(lpszAppName); }

CWinAppProfile::~CWinAppProfile() {
    Replace(m_pszAppName, nullptr);
    Replace(m_pszRegistryKey, nullptr);
    Replace(m_pszProfileName, nullptr);
}

void CWinAppProfile::SetAppName(LPCWSTR lpszAppName) {
    Replace(m_pszAppName, lpszAppName);
    if (m_pszProfileName == nullptr && lpszAppName != nullptr)
        Replace(m_pszProfileName, lpszAppName);
}

void CWinAppProfile::SetRegistryKey(LPCWSTR lpszRegistryKey) {
    // An application constructed without a name is named after its title string, else its
    // program file, as its profile needs a name.
    if (m_pszAppName == nullptr) {
        CString name;
        if (!name.LoadString(0xE000)) {
            WCHAR path[MAX_PATH * 2] = {};
            ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
            name = path;
            int cut = std::max(name.ReverseFind(u'/'), name.ReverseFind(u'\\'));
            name = name.Mid(cut + 1);
            if (int dot = name.ReverseFind(u'.'); dot > 0)
                name = name.Left(dot);
        }
        if (!name.IsEmpty())
            SetAppName(name);
    }
    Replace(m_pszRegistryKey, lpszRegistryKey);
    Replace(m_pszProfileName, m_pszAppName);
}

void CWinAppProfile::SetRegistryKey(UINT nIDRegistryKey) {
    CString key;
    if (key.LoadString(nIDRegistryKey))
        SetRegistryKey(key);
}

HKEY CWinAppProfile::GetAppRegistryKey() {
    if (m_pszRegistryKey == nullptr || m_pszProfileName == nullptr)
        return nullptr;
    HKEY soft = nullptr, company = nullptr, app = nullptr;
    DWORD disposition;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ,
                        nullptr, &soft, &disposition) == ERROR_SUCCESS) {
        if (RegCreateKeyExW(soft, m_pszRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ,
                            nullptr, &company, &disposition) == ERROR_SUCCESS) {
            RegCreateKeyExW(company, m_pszProfileName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ,
                            nullptr, &app, &disposition);
            RegCloseKey(company);
        }
        RegCloseKey(soft);
    }
    return app;
}

HKEY CWinAppProfile::GetSectionKey(LPCWSTR lpszSection) {
    if (lpszSection == nullptr)
        return nullptr;
    HKEY app = GetAppRegistryKey();
    if (app == nullptr)
        return nullptr;
    HKEY section = nullptr;
    DWORD disposition;
    RegCreateKeyExW(app, lpszSection, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ, nullptr, &section,
                    &disposition);
    RegCloseKey(app);
    return section;
}

UINT CWinAppProfile::GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault) {
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return static_cast<UINT>(nDefault);
    DWORD value = 0, type = 0, cb = sizeof value;
    LSTATUS s = RegQueryValueExW(key, lpszEntry, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &cb);
    RegCloseKey(key);
    if (s == ERROR_SUCCESS && type == REG_DWORD && cb == sizeof value)
        return value;
    return static_cast<UINT>(nDefault);
}

CString CWinAppProfile::GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault) {
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return CString(lpszDefault);
    DWORD type = 0, cb = 0;
    LSTATUS s = RegQueryValueExW(key, lpszEntry, nullptr, &type, nullptr, &cb);
    CString result(lpszDefault);
    if (s == ERROR_SUCCESS && type == REG_SZ) {
        std::vector<WCHAR> buf(cb / sizeof(WCHAR) + 1, 0);
        DWORD got = cb;
        if (RegQueryValueExW(key, lpszEntry, nullptr, &type, reinterpret_cast<LPBYTE>(buf.data()), &got) ==
            ERROR_SUCCESS)
            result = CString(buf.data()); // stops at the stored terminator, if any
    }
    RegCloseKey(key);
    return result;
}

BOOL CWinAppProfile::GetProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPBYTE* ppData, UINT* pBytes) {
    if (ppData == nullptr || pBytes == nullptr)
        return FALSE;
    *ppData = nullptr;
    *pBytes = 0;
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return FALSE;
    DWORD type = 0, cb = 0;
    BOOL ok = FALSE;
    if (RegQueryValueExW(key, lpszEntry, nullptr, &type, nullptr, &cb) == ERROR_SUCCESS && type == REG_BINARY) {
        LPBYTE data = new BYTE[cb ? cb : 1];
        DWORD got = cb;
        if (RegQueryValueExW(key, lpszEntry, nullptr, &type, data, &got) == ERROR_SUCCESS) {
            *ppData = data;
            *pBytes = got;
            ok = TRUE;
        } else {
            delete[] data;
        }
    }
    RegCloseKey(key);
    return ok;
}

BOOL CWinAppProfile::WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue) {
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return FALSE;
    DWORD value = static_cast<DWORD>(nValue);
    LSTATUS s = RegSetValueExW(key, lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return s == ERROR_SUCCESS;
}

BOOL CWinAppProfile::WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue) {
    if (lpszSection == nullptr)
        return FALSE;
    if (lpszEntry == nullptr) {
        HKEY app = GetAppRegistryKey();
        if (app == nullptr)
            return FALSE;
        // The section goes whole, subkeys included, so nothing stale survives a rewrite.
        LSTATUS s = RegDeleteTreeW(app, lpszSection);
        RegCloseKey(app);
        return s == ERROR_SUCCESS;
    }
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return FALSE;
    LSTATUS s;
    if (lpszValue == nullptr)
        s = RegDeleteValueW(key, lpszEntry);
    else
        s = RegSetValueExW(key, lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                           static_cast<DWORD>((wcslen(lpszValue) + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return s == ERROR_SUCCESS;
}

BOOL CWinAppProfile::WriteProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPBYTE pData, UINT nBytes) {
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return FALSE;
    LSTATUS s = RegSetValueExW(key, lpszEntry, 0, REG_BINARY, pData, nBytes);
    RegCloseKey(key);
    return s == ERROR_SUCCESS;
}

LONG CWinAppProfile::DelRegTree(HKEY hParentKey, const CString& strKeyName) {
    return RegDeleteTreeW(hParentKey, strKeyName);
}
