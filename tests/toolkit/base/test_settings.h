// Settings for the toolkit tests: an in-memory registry under fixed company and application names.
#pragma once

#include "toolkit/base/settings_store.h"
#include "win32/registry.h"

namespace tktest {

inline BOOL FixedApplicationNames(CString& key, CString& profile)
{
    key = u"Co";
    profile = u"App";
    return TRUE;
}

// Starts an empty in-memory registry with its Software key, and names the application "Co\App".
// Undo the names with EndMemorySettings.
inline void UseMemorySettings()
{
    RegistryUseMemoryStore();
    HKEY software = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, 0x2001F, nullptr, &software, nullptr);
    RegCloseKey(software);
    SetApplicationNamesProbe(&FixedApplicationNames);
}

inline void EndMemorySettings()
{
    SetApplicationNamesProbe(nullptr);
}

} // namespace tktest
