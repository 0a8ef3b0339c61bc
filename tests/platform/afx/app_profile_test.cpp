// The application profile over the registry.
#include "afx/afx.h"

#include <gtest/gtest.h>

namespace {

class Profile : public ::testing::Test {
protected:
    void SetUp() override { RegistryUseMemoryStore(); }
    void TearDown() override { RegistryUseMemoryStore(); }
};

TEST_F(Profile, ValuesLiveUnderTheRegistryKeyAndProfileName) {
    CWinApp app(u"Dovemark");
    EXPECT_EQ(app.GetProfileInt(u"Settings", u"Count", 7), 7u); // no registry key yet
    EXPECT_FALSE(app.WriteProfileInt(u"Settings", u"Count", 1));

    app.SetRegistryKey(u"Local AppWizard-Generated Applications");
    EXPECT_EQ(CString(app.m_pszProfileName), u"Dovemark");
    EXPECT_TRUE(app.WriteProfileInt(u"Settings", u"Count", -3));
    EXPECT_TRUE(app.WriteProfileString(u"Settings", u"Name", u"恢复"));
    BYTE blob[] = {1, 0, 2};
    EXPECT_TRUE(app.WriteProfileBinary(u"Settings", u"Blob", blob, sizeof blob));

    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Local AppWizard-Generated Applications\\Dovemark\\Settings",
                            0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_EQ(static_cast<int>(app.GetProfileInt(u"Settings", u"Count", 0)), -3);
    EXPECT_EQ(app.GetProfileString(u"Settings", u"Name"), u"恢复");
    EXPECT_EQ(app.GetProfileString(u"Settings", u"Count", u"dflt"), u"dflt"); // wrong type: the default
    LPBYTE data = nullptr;
    UINT n = 0;
    ASSERT_TRUE(app.GetProfileBinary(u"Settings", u"Blob", &data, &n));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), n), std::string("\x01\x00\x02", 3));
    delete[] data;
    EXPECT_FALSE(app.GetProfileBinary(u"Settings", u"Name", &data, &n));
    EXPECT_EQ(data, nullptr);

    EXPECT_TRUE(app.WriteProfileString(u"Settings", u"Name", nullptr));
    EXPECT_EQ(app.GetProfileString(u"Settings", u"Name", u"gone"), u"gone");
    EXPECT_TRUE(app.WriteProfileString(u"Settings", nullptr, nullptr));
    EXPECT_EQ(app.GetProfileInt(u"Settings", u"Count", 5), 5u);
}

} // namespace
