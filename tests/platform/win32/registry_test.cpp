// Registry: keys, values, enumeration, deletion and the file store across a restart.
#include "win32/win32.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override { RegistryUseMemoryStore(); }
    void TearDown() override { RegistryUseMemoryStore(); }

    static std::u16string ReadString(HKEY key, LPCWSTR name, DWORD* type = nullptr) {
        WCHAR buf[256] = {};
        DWORD cb = sizeof buf;
        DWORD t = 0;
        EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &t, reinterpret_cast<LPBYTE>(buf), &cb), ERROR_SUCCESS);
        if (type)
            *type = t;
        return std::u16string(buf, cb / sizeof(WCHAR));
    }
    static void SetString(HKEY key, LPCWSTR name, const std::u16string& text, DWORD type = REG_SZ) {
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * 2)),
                  ERROR_SUCCESS);
    }
};

TEST_F(Registry, KeysAndValuesFollowTheSystemRules) {
    HKEY app = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Vendor\\App", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &app, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));

    DWORD dw = 0x12345678;
    ASSERT_EQ(RegSetValueExW(app, u"Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dw), 4), ERROR_SUCCESS);
    SetString(app, u"名字", u"恢复");

    // Names are found whatever their case; sizes are reported before the data is copied.
    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\vendor\\APP", 0, KEY_READ, &same), ERROR_SUCCESS);
    DWORD type = 0, cb = 0;
    EXPECT_EQ(RegQueryValueExW(same, u"count", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(cb, 4u);
    BYTE small[2];
    cb = sizeof small;
    EXPECT_EQ(RegQueryValueExW(same, u"Count", nullptr, nullptr, small, &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 4u);
    EXPECT_EQ(ReadString(same, u"名字"), std::u16string(u"恢复") + u'\0');
    EXPECT_EQ(RegQueryValueExW(same, u"Missing", nullptr, nullptr, nullptr, &cb), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExW(same, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dw), 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Nope", 0, KEY_READ, &same), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(same, nullptr);

    // Subkeys enumerate by name, values in creation order.
    for (const char16_t* sub : {u"b", u"A", u"c"}) {
        HKEY h;
        ASSERT_EQ(RegCreateKeyW(app, sub, &h), ERROR_SUCCESS);
        RegCloseKey(h);
    }
    std::vector<std::u16string> subs;
    WCHAR name[8];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 8;
        LSTATUS s = RegEnumKeyExW(app, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (s == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(s, ERROR_SUCCESS);
        subs.emplace_back(name, cch);
    }
    EXPECT_EQ(subs, (std::vector<std::u16string>{u"A", u"b", u"c"}));
    DWORD cch = 2;
    EXPECT_EQ(RegEnumValueW(app, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    cch = 8;
    EXPECT_EQ(RegEnumValueW(app, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, cch), u"名字");

    // A key with subkeys is only deleted as a tree; a handle into it then reports the deletion.
    HKEY inner;
    ASSERT_EQ(RegCreateKeyW(app, u"A\\Deep", &inner), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(app, u"A"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeW(app, u"A"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(inner, u"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dw), 4), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyW(app, u"b"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED);
    DWORD nSub = 0, nValues = 0;
    EXPECT_EQ(RegQueryInfoKeyW(app, nullptr, nullptr, nullptr, &nSub, nullptr, nullptr, &nValues, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(nSub, 1u);
    EXPECT_EQ(nValues, 2u);

    EXPECT_EQ(RegCloseKey(inner), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(inner), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(app), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(same), ERROR_INVALID_HANDLE);

    // The default value through the older functions; an unset one reads as empty text.
    EXPECT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, u".htm", REG_SZ, u"htmlfile", 0), ERROR_SUCCESS);
    WCHAR text[32];
    LONG cbText = sizeof text;
    EXPECT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, u".htm", text, &cbText), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(text), u"htmlfile");
    EXPECT_EQ(cbText, 18);
    HKEY empty;
    RegCreateKeyW(HKEY_CLASSES_ROOT, u"empty", &empty);
    RegCloseKey(empty);
    cbText = sizeof text;
    EXPECT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, u"empty", text, &cbText), ERROR_SUCCESS);
    EXPECT_EQ(cbText, 2);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, u".htm");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, u"empty");
}

TEST_F(Registry, FileStoreKeepsValuesAcrossARestart) {
    std::string path = testsupport::ScratchDir() + "/config/dovemark/registry";
    RegistryUseFileStore(path.c_str());
    HKEY key;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, u"Software\\K\\P\\Settings 100%", &key), ERROR_SUCCESS);
    SetString(key, u"Window Position", u"中文 text\nline");
    SetString(key, u"Path", u"%TEMP%\\x", REG_EXPAND_SZ);
    SetString(key, u"", u"default");
    std::u16string multi(u"a\0bc\0\0", 6);
    ASSERT_EQ(RegSetValueExW(key, u"List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()), 12),
              ERROR_SUCCESS);
    const BYTE blob[] = {0, 1, 0xFF, 0x25};
    ASSERT_EQ(RegSetValueExW(key, u"Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    RegCloseKey(key);

    // Nothing but the store itself is left in its folder.
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        files.push_back(e.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"registry"});

    // Restart: drop everything in memory and read the file again, with a damaged line added.
    { std::ofstream(path, std::ios::app) << "V 1 zz broken\nK garbage\n"; }
    RegistryUseMemoryStore();
    RegistryUseFileStore(path.c_str());
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\k\\p\\settings 100%", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(ReadString(key, u"Window Position", &type), std::u16string(u"中文 text\nline") + u'\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadString(key, u"Path", &type), std::u16string(u"%TEMP%\\x") + u'\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(ReadString(key, nullptr), std::u16string(u"default") + u'\0');
    EXPECT_EQ(ReadString(key, u"List", &type), multi);
    BYTE got[8];
    DWORD cb = sizeof got;
    EXPECT_EQ(RegQueryValueExW(key, u"Blob", nullptr, &type, got, &cb), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(got, got + cb), std::vector<BYTE>(blob, blob + sizeof blob));
    cb = sizeof got;
    EXPECT_EQ(RegQueryValueExW(key, u"Empty", nullptr, &type, got, &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 0u);
    RegCloseKey(key);

    // Handles into the store that was replaced no longer work.
    HKEY stale;
    ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software", &stale), ERROR_SUCCESS);
    RegistryUseMemoryStore();
    EXPECT_EQ(RegCloseKey(stale), ERROR_INVALID_HANDLE);
}

} // namespace
