// Tests of the settings store: the registry path of a section, string and binary values, and deletes.
#include <gtest/gtest.h>

#include "toolkit/base/settings_store.h"

#include <cstring>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RegistryUseMemoryStore(); }
    static bool KeyExists(LPCWSTR path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, 0x20019, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};

BOOL Names(CString& key, CString& profile)
{
    key = u"Co";
    profile = u"App";
    return TRUE;
}

} // namespace

TEST_F(SettingsStoreTest, SectionsLiveUnderCompanyAndApplication) {
    HKEY software = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, 0x2001F, nullptr, &software, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(software);
    CTKPSettingsStore store(HKEY_CURRENT_USER, u"K", u"P");
    BYTE placement[48];
    for (int i = 0; i < 48; ++i)
        placement[i] = BYTE(i * 5);
    EXPECT_EQ(store.WriteProfileBinary(u"Settings", u"Window Position", placement, 48), 1);
    EXPECT_TRUE(KeyExists(u"Software\\K\\P\\Settings"));
    BYTE* data = nullptr;
    UINT count = 0;
    ASSERT_TRUE(store.GetProfileBinary(u"Settings", u"Window Position", &data, &count));
    ASSERT_EQ(count, 48u);
    EXPECT_EQ(std::memcmp(data, placement, 48), 0);
    delete[] data;
    EXPECT_FALSE(store.GetProfileBinary(u"Settings", u"Missing", &data, &count));
    EXPECT_EQ(data, nullptr);

    EXPECT_EQ(store.WriteProfileString(u"Settings", u"Name", u"值 value"), 1);
    EXPECT_EQ(store.WriteProfileString(u"Settings", u"Other", u"x"), 1);
    EXPECT_EQ(store.GetProfileString(u"Settings", u"Name", u"none"), CString(u"值 value"));
    EXPECT_EQ(store.GetProfileString(u"Settings", u"Absent", u"none"), CString(u"none"));

    // No value deletes that value only; no entry deletes the whole section.
    EXPECT_EQ(store.WriteProfileString(u"Settings", u"Name", nullptr), 1);
    EXPECT_EQ(store.GetProfileString(u"Settings", u"Name", u"gone"), CString(u"gone"));
    EXPECT_EQ(store.GetProfileString(u"Settings", u"Other", u""), CString(u"x"));
    EXPECT_EQ(store.WriteProfileString(u"Settings", nullptr, nullptr), 1);
    EXPECT_FALSE(KeyExists(u"Software\\K\\P\\Settings"));
    EXPECT_TRUE(KeyExists(u"Software\\K\\P"));
    EXPECT_EQ(store.WriteProfileString(u"Settings", u"Name", nullptr), 0);  // nothing left to delete
}

TEST_F(SettingsStoreTest, WithoutApplicationNamesEveryOperationFails) {
    HKEY software = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, 0x2001F, nullptr, &software, nullptr);
    RegCloseKey(software);
    CTKPSettingsStore store;
    BYTE b = 1, *data = &b;
    UINT count = 9;
    EXPECT_EQ(store.WriteProfileString(u"S", u"E", u"v"), 0);
    EXPECT_EQ(store.WriteProfileBinary(u"S", u"E", &b, 1), 0);
    EXPECT_EQ(store.GetProfileString(u"S", u"E", u"d"), CString(u"d"));
    EXPECT_FALSE(store.GetProfileBinary(u"S", u"E", &data, &count));
    EXPECT_EQ(data, nullptr);

    SetApplicationNamesProbe(&Names);
    CTKPSettingsStore named;
    EXPECT_EQ(named.WriteProfileString(u"S", u"E", u"v"), 1);
    EXPECT_TRUE(KeyExists(u"Software\\Co\\App\\S"));
    SetApplicationNamesProbe(nullptr);
}
