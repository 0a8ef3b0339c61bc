// The per-user settings store: sections and values below HKEY_CURRENT_USER\Software\<company>\<application>.
#pragma once

#include "afx/string.h"
#include "win32/registry.h"

class CTKPSettingsStore {
public:
    // The names are those of the application object; a store given none asks the application
    // names probe on first use and fails every operation while either name is unknown.
    explicit CTKPSettingsStore(HKEY root = HKEY_CURRENT_USER, LPCWSTR registryKey = nullptr,
                               LPCWSTR profileName = nullptr);
    virtual ~CTKPSettingsStore() = default;

    virtual HKEY GetAppKey(REGSAM access);
    virtual HKEY GetSectionKey(LPCWSTR section, REGSAM access);

    // 1 done, 0 failed, -1 refused by the registry (ERROR_ACCESS_DENIED).
    int WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value);
    int WriteProfileBinary(LPCWSTR section, LPCWSTR entry, const BYTE* data, UINT count);
    CString GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue = nullptr);
    // The buffer is allocated with new[] and belongs to the caller.
    BOOL GetProfileBinary(LPCWSTR section, LPCWSTR entry, BYTE** data, UINT* count);

private:
    BOOL HaveNames();

    HKEY m_hRoot;
    CString m_strRegistryKey;
    CString m_strProfileName;
};

// Until the window framework's application object exists nothing names the application; the
// framework installs this probe, which fills in the company key and the application name.
typedef BOOL (*PFN_TKAPPNAMES)(CString& registryKey, CString& profileName);
void SetApplicationNamesProbe(PFN_TKAPPNAMES probe);
