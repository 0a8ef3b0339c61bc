// Tests of the property exchange: values of each type through both media, the registry's default
// and section rules, and archives that are cut short or claim more than they hold.
#include <gtest/gtest.h>

#include "../base/test_settings.h"
#include "afx/ole_types.h"
#include "afx/collections.h"
#include "toolkit/commandbars/prop_exchange.h"

#include <random>
#include <vector>

namespace {

// One of each exchangeable value, compared field by field.
struct Values {
    BYTE ub = 0;
    short i2 = 0;
    int i4 = 0;
    float r4 = 0;
    double r8 = 0;
    LONGLONG cy = 0;
    BOOL b = FALSE;
    CString text;
    RECT rc{0, 0, 0, 0};
    SIZE sz{0, 0};
    COleDateTime date;

    void Exchange(CTKPPropExchange* px)
    {
        px->ExchangeProp(u"ub", VT_UI1, &ub);
        px->ExchangeProp(u"i2", VT_I2, &i2);
        px->ExchangeProp(u"i4", VT_I4, &i4);
        px->ExchangeProp(u"r4", VT_R4, &r4);
        px->ExchangeProp(u"r8", VT_R8, &r8);
        px->ExchangeProp(u"cy", VT_CY, &cy);
        px->ExchangeProp(u"b", VT_BOOL, &b);
        px->ExchangeProp(u"text", TKP_VT_LPSTR, &text);
        px->ExchangeProp(u"rc", TKP_VT_RECT, &rc);
        px->ExchangeProp(u"sz", TKP_VT_SIZE, &sz);
        px->ExchangeProp(u"date", VT_DATE, &date);
    }
};

Values Sample()
{
    Values v;
    v.ub = 0xAB;
    v.i2 = -1234;
    v.i4 = -123456789;
    v.r4 = 1.5f;
    v.r8 = -2.25;
    v.cy = 0x0102030405060708LL;
    v.b = TRUE;
    v.text = u"工具栏 &File";
    v.rc = RECT{1, -2, 300, 400};
    v.sz = SIZE{16, 15};
    v.date = COleDateTime(2024, 5, 6, 7, 8, 9);
    return v;
}

// Stores with the routine into memory and hands back the bytes.
template <class Fn>
std::vector<BYTE> StoreToBytes(Fn fn)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CTKPPropExchangeArchive px(ar);
        fn(&px);
        ar.Close();
    }
    const UINT size = UINT(file.GetLength());
    std::vector<BYTE> bytes(size);
    file.SeekToBegin();
    file.Read(bytes.data(), size);
    return bytes;
}

template <class Fn>
void LoadFromBytes(std::vector<BYTE> bytes, Fn fn)
{
    CMemFile file(bytes.data(), UINT(bytes.size()));
    CArchive ar(&file, CArchive::load);
    CTKPPropExchangeArchive px(ar);
    fn(&px);
}

// What one loader of the toolkit reads: values, a blob and an id set, in one stream.
BOOL LoadRecord(CTKPPropExchange* px)
{
    Values v;
    v.Exchange(px);
    BYTE* blob = nullptr;
    DWORD size = 0;
    BOOL ok = px->ExchangeBlob(u"blob", &blob, &size);
    free(blob);
    std::set<UINT> ids;
    ok = PropExchangeIdSet(px, u"ids", &ids) && ok;
    CRuntimeClass* cls = nullptr;
    ok = px->ExchangeClass(u"cls", &cls, nullptr) && ok;
    return ok;
}

std::vector<BYTE> RecordBytes()
{
    return StoreToBytes([](CTKPPropExchange* px) {
        Values v = Sample();
        v.Exchange(px);
        BYTE data[] = {1, 2, 3, 4, 5};
        BYTE* blob = data;
        DWORD size = sizeof data;
        px->ExchangeBlob(u"blob", &blob, &size);
        std::set<UINT> ids{57607, 57609};
        PropExchangeIdSet(px, u"ids", &ids);
        CRuntimeClass* cls = RUNTIME_CLASS(CStringArray);
        px->ExchangeClass(u"cls", &cls, nullptr);
    });
}

class RegistryExchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::UseMemorySettings();
        RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Co\\App", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &root,
                        nullptr);
    }
    void TearDown() override
    {
        RegCloseKey(root);
        tktest::EndMemorySettings();
    }
    DWORD ValueType(LPCWSTR name)
    {
        HKEY key = nullptr;
        DWORD type = 0;
        if (RegOpenKeyExW(root, u"Section", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
            type = 0;
        RegCloseKey(key);
        return type;
    }
    HKEY root = nullptr;
};

} // namespace

TEST(PropExchangeArchive, EveryTypeRoundTripsWithoutKeyNames) {
    const std::vector<BYTE> bytes = StoreToBytes([](CTKPPropExchange* px) {
        Values v = Sample();
        v.Exchange(px);
    });
    // Keys are not written: the stream is the values alone.
    const std::u16string key = u"text";
    EXPECT_EQ(std::search(bytes.begin(), bytes.end(), reinterpret_cast<const BYTE*>(key.data()),
                          reinterpret_cast<const BYTE*>(key.data()) + key.size() * 2),
              bytes.end());
    Values loaded;
    LoadFromBytes(bytes, [&](CTKPPropExchange* px) {
        EXPECT_TRUE(px->IsLoading());
        loaded.Exchange(px);
    });
    const Values want = Sample();
    EXPECT_EQ(loaded.ub, want.ub);
    EXPECT_EQ(loaded.i2, want.i2);
    EXPECT_EQ(loaded.i4, want.i4);
    EXPECT_EQ(loaded.r4, want.r4);
    EXPECT_EQ(loaded.r8, want.r8);
    EXPECT_EQ(loaded.cy, want.cy);
    EXPECT_EQ(loaded.b, want.b);
    EXPECT_EQ(loaded.text, want.text);
    EXPECT_TRUE(EqualRect(&loaded.rc, &want.rc));
    EXPECT_EQ(loaded.sz.cx, want.sz.cx);
    EXPECT_EQ(loaded.sz.cy, want.sz.cy);
    EXPECT_TRUE(loaded.date == want.date);
}

TEST(PropExchangeArchive, BlobsIdSetsClassesAndSectionsRoundTrip) {
    std::vector<BYTE> bytes = RecordBytes();
    LoadFromBytes(bytes, [](CTKPPropExchange* px) {
        Values v;
        v.Exchange(px);
        BYTE* blob = nullptr;
        DWORD size = 0;
        ASSERT_TRUE(px->ExchangeBlob(u"blob", &blob, &size));
        EXPECT_EQ(size, 5u);
        EXPECT_EQ(blob[4], 5);
        free(blob);
        std::set<UINT> ids;
        EXPECT_TRUE(PropExchangeIdSet(px, u"ids", &ids));
        EXPECT_EQ(ids, (std::set<UINT>{57607, 57609}));
        CRuntimeClass* cls = nullptr;
        EXPECT_TRUE(px->ExchangeClass(u"cls", &cls, nullptr));
        EXPECT_EQ(cls, RUNTIME_CLASS(CStringArray));
    });
    // A caller buffer too small for the stored blob fails without reading.
    LoadFromBytes(bytes, [](CTKPPropExchange* px) {
        Values v;
        v.Exchange(px);
        BYTE small[2];
        BYTE* p = small;
        DWORD size = sizeof small;
        EXPECT_FALSE(px->ExchangeBlob(u"blob", &p, &size));
    });
}

TEST(PropExchangeArchive, CutAndCorruptStreamsAnswerFalseWithoutCrashing) {
    const std::vector<BYTE> full = RecordBytes();
    LoadFromBytes(full, [](CTKPPropExchange* px) { EXPECT_TRUE(LoadRecord(px)); });
    for (size_t cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        std::vector<BYTE> bytes(full.begin(), full.begin() + long(cut));
        LoadFromBytes(bytes, [](CTKPPropExchange* px) { EXPECT_FALSE(LoadRecord(px)); });
    }
    // Counts that claim far more than the stream holds: a blob of 4 GiB - 2, a string of
    // 2^31 characters, an id set of 4 billion entries.
    const std::vector<std::vector<BYTE>> huge = {
        {0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 1, 2, 3},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0},
        {0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 1, 0, 0, 0},
    };
    LoadFromBytes(huge[0], [](CTKPPropExchange* px) {
        BYTE* blob = nullptr;
        DWORD size = 0;
        EXPECT_FALSE(px->ExchangeBlob(u"blob", &blob, &size));
        EXPECT_EQ(blob, nullptr);
    });
    LoadFromBytes(huge[1], [](CTKPPropExchange* px) {
        CString text = u"kept";
        EXPECT_FALSE(px->ExchangeProp(u"text", TKP_VT_LPSTR, &text));
    });
    LoadFromBytes(huge[2], [](CTKPPropExchange* px) {
        std::set<UINT> ids{7};
        EXPECT_FALSE(PropExchangeIdSet(px, u"ids", &ids));
        EXPECT_EQ(ids, std::set<UINT>{7});
    });
    // Random damage to the record, from a fixed seed.
    std::mt19937 random(22);
    for (int round = 0; round < 300; ++round) {
        std::vector<BYTE> bytes = full;
        for (int n = 0; n < 4; ++n)
            bytes[random() % bytes.size()] = BYTE(random());
        LoadFromBytes(bytes, [](CTKPPropExchange* px) { LoadRecord(px); });
    }
}

TEST(PropExchangeArchive, ObjectsMustDeriveFromTheBaseClass) {
    const std::vector<BYTE> bytes = StoreToBytes([](CTKPPropExchange* px) {
        CObject* object = new CStringArray();
        EXPECT_TRUE(px->ExchangeObject(&object, RUNTIME_CLASS(CObject)));
        delete object;
    });
    LoadFromBytes(bytes, [](CTKPPropExchange* px) {
        CObject* object = nullptr;
        EXPECT_FALSE(px->ExchangeObject(&object, RUNTIME_CLASS(CByteArray)));
        EXPECT_EQ(object, nullptr);
    });
    LoadFromBytes(bytes, [](CTKPPropExchange* px) {
        CObject* object = nullptr;
        ASSERT_TRUE(px->ExchangeObject(&object, RUNTIME_CLASS(CObject)));
        EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CStringArray)));
        delete object;
    });
}

TEST_F(RegistryExchange, ValuesRoundTripAsNamedRegistryValues) {
    {
        CTKPPropExchangeRegistry px(FALSE, root, u"Section");
        Values v = Sample();
        v.Exchange(&px);
        BYTE data[] = {0, 0xFF};
        BYTE* blob = data;
        DWORD size = 2;
        EXPECT_TRUE(px.ExchangeBlob(u"blob", &blob, &size));
        std::set<UINT> ids{5, 6};
        EXPECT_TRUE(PropExchangeIdSet(&px, u"ids", &ids));
    }
    EXPECT_EQ(ValueType(u"i4"), DWORD(REG_DWORD));
    EXPECT_EQ(ValueType(u"ub"), DWORD(REG_DWORD));
    EXPECT_EQ(ValueType(u"r4"), DWORD(REG_BINARY));
    EXPECT_EQ(ValueType(u"rc"), DWORD(REG_SZ));
    EXPECT_EQ(ValueType(u"blob"), DWORD(REG_BINARY));
    CTKPPropExchangeRegistry px(TRUE, root, u"Section");
    Values v;
    v.r4 = 9.0f;
    v.Exchange(&px);
    const Values want = Sample();
    EXPECT_EQ(v.ub, want.ub);
    EXPECT_EQ(v.i2, want.i2);
    EXPECT_EQ(v.i4, want.i4);
    EXPECT_EQ(v.b, want.b);
    EXPECT_EQ(v.text, want.text);
    EXPECT_TRUE(EqualRect(&v.rc, &want.rc));
    EXPECT_EQ(v.sz.cx, 16);
    // Floats are not read back from the registry.
    EXPECT_FALSE(px.ExchangeProp(u"r4", VT_R4, &v.r4));
    EXPECT_EQ(v.r4, 9.0f);
    BYTE* blob = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(px.ExchangeBlob(u"blob", &blob, &size));
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(blob[1], 0xFF);
    free(blob);
    std::set<UINT> ids;
    EXPECT_TRUE(PropExchangeIdSet(&px, u"ids", &ids));
    EXPECT_EQ(ids, (std::set<UINT>{5, 6}));
}

TEST_F(RegistryExchange, DefaultsDeleteStoredValuesAndFillMissingOnes) {
    int value = 5;
    {
        CTKPPropExchangeRegistry px(FALSE, root, u"Section");
        PropExchangeInt(&px, u"n", &value, 0);
        RECT rc{1, 2, 3, 4};
        PropExchangeRect(&px, u"rc", &rc, RECT{0, 0, 0, 0});
    }
    EXPECT_EQ(ValueType(u"n"), DWORD(REG_DWORD));
    {
        // A value equal to its default removes the stored one.
        CTKPPropExchangeRegistry px(FALSE, root, u"Section");
        value = 0;
        PropExchangeInt(&px, u"n", &value, 0);
    }
    EXPECT_EQ(ValueType(u"n"), 0u);
    HKEY section = nullptr;
    RegOpenKeyExW(root, u"Section", 0, KEY_WRITE, &section);
    const char16_t three[] = u"1, 2, 3";
    RegSetValueExW(section, u"three", 0, REG_SZ, reinterpret_cast<const BYTE*>(three), sizeof three);
    RegCloseKey(section);
    {
        CTKPPropExchangeRegistry px(TRUE, root, u"Section");
        value = 9;
        PropExchangeInt(&px, u"n", &value, 7);
        EXPECT_EQ(value, 7);
        RECT rc{};
        PropExchangeRect(&px, u"rc", &rc, RECT{0, 0, 0, 0});
        EXPECT_EQ(rc.left, 1);
        EXPECT_EQ(rc.bottom, 4);
        // Three numbers are not a rectangle.
        PropExchangeRect(&px, u"three", &rc, RECT{9, 9, 9, 9});
        EXPECT_EQ(rc.left, 9);
        // Without defaults on load a missing value keeps the variable.
        px.m_bUseDefaultOnLoad = FALSE;
        value = 9;
        PropExchangeInt(&px, u"n", &value, 7);
        EXPECT_EQ(value, 9);
    }
    {
        // After the section is emptied, defaults write nothing and delete nothing.
        CTKPPropExchangeRegistry px(FALSE, root, u"Section");
        px.EmptySection();
        value = 0;
        PropExchangeInt(&px, u"n", &value, 0);
        value = 3;
        PropExchangeInt(&px, u"m", &value, 0);
    }
    EXPECT_EQ(ValueType(u"rc"), 0u);
    EXPECT_EQ(ValueType(u"n"), 0u);
    EXPECT_EQ(ValueType(u"m"), DWORD(REG_DWORD));
}

TEST_F(RegistryExchange, EnumeratedSectionsAndTheLetterFormOfBlobs) {
    {
        CTKPPropExchangeRegistry px(FALSE, root, u"Section");
        CTKPSectionEnumerator* items = px.GetEnumerator(u"Item");
        DWORD pos = items->GetPosition(3, FALSE);
        std::vector<CString> names;
        while (pos) {
            CTKPPropExchange* section = items->GetNext(pos);
            int n = 1;
            PropExchangeInt(section, u"n", &n, 0);
            delete section;
        }
        EXPECT_EQ(pos, 0u);
        delete items;
    }
    for (LPCWSTR name : {u"Section\\Item0", u"Section\\Item1", u"Section\\Item2"}) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(root, name, 0, KEY_READ, &key), ERROR_SUCCESS) << CStringA(name).GetString();
        RegCloseKey(key);
    }
    // The base medium writes a blob as letters A..P, low nibble first.
    struct LetterExchange : CTKPPropExchange {
        BOOL ExchangeProp(LPCWSTR, VARTYPE, void* value, const void*) override
        {
            if (m_bLoading)
                *static_cast<CString*>(value) = stored;
            else
                stored = *static_cast<CString*>(value);
            return TRUE;
        }
        CTKPPropExchange* GetSection(LPCWSTR) override { return nullptr; }
        CString stored;
    } letters;
    BYTE data[] = {0x00, 0xFF};
    BYTE* p = data;
    DWORD size = 2;
    letters.ExchangeBlob(u"b", &p, &size);
    EXPECT_EQ(letters.stored, CString(u"AAPP"));
    letters.m_bLoading = TRUE;
    letters.stored = u"BAP";
    BYTE* back = nullptr;
    EXPECT_FALSE(letters.ExchangeBlob(u"b", &back, &size));
    letters.stored = u"BAPA";
    ASSERT_TRUE(letters.ExchangeBlob(u"b", &back, &size));
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[1], 0x0F);
    free(back);
}
