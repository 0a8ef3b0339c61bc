// CArchive and CMemFile: the stored byte layout, object references and damaged input.
#include "afx/afx.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace archive_test {

class CSpot : public CObject {
    DECLARE_SERIAL(CSpot)
public:
    CSpot() = default;
    CSpot(LONG x, LONG y) : m_x(x), m_y(y) {}
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar << m_x << m_y;
        else
            ar >> m_x >> m_y;
    }
    LONG m_x = 0, m_y = 0;
};
IMPLEMENT_SERIAL(CSpot, CObject, 1)

// Reads an older schema and says which one it got.
class CVersioned : public CObject {
    DECLARE_SERIAL(CVersioned)
public:
    void Serialize(CArchive& ar) override {
        if (ar.IsLoading())
            m_nLoadedSchema = ar.GetObjectSchema();
    }
    UINT m_nLoadedSchema = 0;
};
IMPLEMENT_SERIAL(CVersioned, CObject, VERSIONABLE_SCHEMA | 3)

} // namespace archive_test

namespace {
using namespace archive_test;

std::string Bytes(CMemFile& file) {
    ULONGLONG n = file.GetLength();
    BYTE* p = file.Detach();
    std::string s(reinterpret_cast<char*>(p), static_cast<size_t>(n));
    free(p);
    return s;
}

std::string Store(const std::function<void(CArchive&)>& write) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    return Bytes(file);
}

// Loads from the bytes; returns the cause of a CArchiveException, -1 for none.
int Load(const std::string& bytes, const std::function<void(CArchive&)>& read) {
    CMemFile file(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    try {
        read(ar);
    } catch (CArchiveException* e) {
        int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

// A byte string from a literal, embedded zeros included.
template <size_t N>
std::string S(const char (&s)[N]) {
    return std::string(s, N - 1);
}

std::string Hex(const std::string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        out += d[c >> 4];
        out += d[c & 15];
        out += ' ';
    }
    return out;
}

TEST(CArchive, ScalarsCountsAndStringsHaveTheStoredLayout) {
    std::string bytes = Store([](CArchive& ar) {
        ar << BYTE(1) << WORD(0x0203) << DWORD(0x04050607) << LONG(-2);
        ar.WriteCount(5);
        ar.WriteCount(0xFFFF);
        ar.WriteCount(0x12345);
        ar << CString(u"中") << CStringA("ab") << CString();
    });
    EXPECT_EQ(Hex(bytes), Hex(S("\x01\x03\x02\x07\x06\x05\x04\xFE\xFF\xFF\xFF"
                                          "\x05\x00"
                                          "\xFF\xFF\xFF\xFF\x00\x00"
                                          "\xFF\xFF\x45\x23\x01\x00"
                                          "\xFF\xFE\xFF\x01\x2D\x4E"
                                          "\x02" "ab"
                                          "\xFF\xFE\xFF\x00")));

    // A length of 300 takes the WORD form after the marker.
    std::string longForm = Store([](CArchive& ar) { ar << CString(u'x', 300); });
    EXPECT_EQ(Hex(longForm.substr(0, 6)), Hex("\xFF\xFE\xFF\xFF\x2C\x01"));
    EXPECT_EQ(longForm.size(), 6u + 600u);

    BYTE b;
    WORD w;
    DWORD dw;
    LONG l;
    CString wide, empty, big;
    CStringA narrow;
    EXPECT_EQ(Load(bytes + longForm, [&](CArchive& ar) {
        ar >> b >> w >> dw >> l;
        EXPECT_EQ(ar.ReadCount(), 5u);
        EXPECT_EQ(ar.ReadCount(), 0xFFFFu);
        EXPECT_EQ(ar.ReadCount(), 0x12345u);
        ar >> wide >> narrow >> empty >> big;
    }), -1);
    EXPECT_EQ(dw, 0x04050607u);
    EXPECT_EQ(l, -2);
    EXPECT_EQ(wide, u"中");
    EXPECT_EQ(narrow, "ab");
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(big, CString(u'x', 300));
}

TEST(CArchive, StringsConvertBetweenWidths) {
    CString wide;
    CStringA narrow;
    EXPECT_EQ(Load(S("\x02\xD6\xD0" "\xFF\xFE\xFF\x01\x87\x65"),
                   [&](CArchive& ar) { ar >> wide >> narrow; }), -1);
    EXPECT_EQ(wide, u"中");
    EXPECT_EQ(narrow, "\xCE\xC4"); // U+6587 in the ANSI page
}

TEST(CArchive, ObjectsAreWrittenOnceAndReferencedAfter) {
    CSpot a(1, 2), b(3, 4);
    std::string bytes = Store([&](CArchive& ar) { ar << &a << &a << &b << static_cast<CObject*>(nullptr); });
    std::string expected("\xFF\xFF\x01\x00\x05\x00" "CSpot"
                         "\x01\x00\x00\x00\x02\x00\x00\x00"
                         "\x02\x00"
                         "\x01\x80\x03\x00\x00\x00\x04\x00\x00\x00"
                         "\x00\x00",
                         33);
    EXPECT_EQ(Hex(bytes), Hex(expected));

    CObject* p[4] = {};
    EXPECT_EQ(Load(bytes, [&](CArchive& ar) { ar >> p[0] >> p[1] >> p[2] >> p[3]; }), -1);
    ASSERT_NE(p[0], nullptr);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[3], nullptr);
    ASSERT_TRUE(p[2]->IsKindOf(RUNTIME_CLASS(CSpot)));
    EXPECT_EQ(static_cast<CSpot*>(p[2])->m_y, 4);
    delete p[0];
    delete p[2];

    // Collections store their elements in the same forms.
    CObArray arr;
    arr.Add(&a);
    arr.Add(&a);
    std::string arrBytes = Store([&](CArchive& ar) { arr.Serialize(ar); });
    EXPECT_EQ(Hex(arrBytes.substr(0, 4)), Hex(S("\x02\x00\xFF\xFF")));
    CObArray back;
    EXPECT_EQ(Load(arrBytes, [&](CArchive& ar) { back.Serialize(ar); }), -1);
    ASSERT_EQ(back.GetSize(), 2);
    EXPECT_EQ(back[0], back[1]);
    delete back[0];
}

TEST(CArchive, SchemasDecideWhetherAnObjectLoads) {
    // Schema 2 stored for CSpot (schema 1): refused. CVersioned takes any schema and sees it.
    std::string spot2("\xFF\xFF\x02\x00\x05\x00" "CSpot" "\0\0\0\0\0\0\0\0", 19);
    CObject* p = nullptr;
    EXPECT_EQ(Load(spot2, [&](CArchive& ar) { ar >> p; }), CArchiveException::badSchema);

    std::string versioned("\xFF\xFF\x02\x00\x0A\x00" "CVersioned", 16);
    EXPECT_EQ(Load(versioned, [&](CArchive& ar) { ar >> p; }), -1);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(static_cast<CVersioned*>(p)->m_nLoadedSchema, 2u);
    delete p;
}

TEST(CArchive, DamagedInputFailsCleanly) {
    const struct Case {
        std::string bytes;
        int cause;
    } cases[] = {
        {S("\xFF\xFF\x01\x00\x05\x00" "CSpot" "\x01\x00"), CArchiveException::endOfFile},
        {S("\xFF\xFF\x01\x00\x05\x00" "CNone"), CArchiveException::badClass},
        {S("\xFF\xFF\x01\x00\x50\x00" "CSpot"), CArchiveException::badClass}, // name too long
        {S("\x05\x00"), CArchiveException::badIndex},                         // unknown object
        {S("\x03\x80"), CArchiveException::badIndex},                         // unknown class
        {S("\xFF\xFF\x00\x00\x07\x00" "CObject"), CArchiveException::badClass}, // not serializable
        {S("\xFF\xFF\x00\x00\x0A\x00" "CVersioned"), -1},
    };
    for (const Case& c : cases) {
        CObject* p = nullptr;
        EXPECT_EQ(Load(c.bytes, [&](CArchive& ar) { ar >> p; }), c.cause) << Hex(c.bytes);
        delete p;
    }

    // Asking for one class and finding another.
    std::string spot("\xFF\xFF\x01\x00\x05\x00" "CSpot" "\0\0\0\0\0\0\0\0", 19);
    EXPECT_EQ(Load(spot, [&](CArchive& ar) { ar.ReadObject(RUNTIME_CLASS(CVersioned)); }), CArchiveException::badClass);

    // A string claiming two billion characters ends at the data, without claiming the memory.
    CString s;
    EXPECT_EQ(Load(S("\xFF\xFE\xFF\xFF\xFF\xFF\x00\x00\x00\x80" "ab"), [&](CArchive& ar) { ar >> s; }),
              CArchiveException::endOfFile);
    CDWordArray arr;
    EXPECT_EQ(Load(S("\xFF\xFF\xFF\xFF\xFF\x7F\x01\x00\x00\x00"), [&](CArchive& ar) { arr.Serialize(ar); }),
              CArchiveException::endOfFile);

    // Reading from a storing archive, and the reverse.
    CMemFile file;
    CArchive store(&file, CArchive::store);
    BYTE by;
    bool thrown = false;
    try {
        store >> by;
    } catch (CArchiveException* e) {
        thrown = e->m_cause == CArchiveException::writeOnly;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(CMemFile, GrowsSeeksAndRefusesToOutgrowAFixedBlock) {
    CMemFile grow(16);
    grow.Write("abc", 3);
    grow.Seek(10, CFile::begin);
    grow.Write("z", 1);
    EXPECT_EQ(grow.GetLength(), 11u);
    char buf[16] = {};
    grow.SeekToBegin();
    EXPECT_EQ(grow.Read(buf, sizeof buf), 11u);
    EXPECT_EQ(std::string(buf, 11), S("abc\0\0\0\0\0\0\0z")); // the gap reads as zeros
    EXPECT_EQ(grow.Read(buf, 1), 0u);

    bool badSeek = false;
    try {
        grow.Seek(-1, CFile::begin);
    } catch (CFileException* e) {
        badSeek = e->m_cause == CFileException::badSeek;
        e->Delete();
    }
    EXPECT_TRUE(badSeek);

    BYTE fixed[4] = {1, 2, 3, 4};
    CMemFile attached(fixed, sizeof fixed);
    EXPECT_EQ(attached.GetLength(), 4u);
    attached.Seek(2, CFile::begin);
    bool full = false;
    try {
        attached.Write("xyz", 3);
    } catch (CMemoryException* e) {
        full = true;
        e->Delete();
    }
    EXPECT_TRUE(full);

    // A growable attachment moves to its own block and leaves the caller's untouched.
    BYTE room[2] = {7, 7};
    CMemFile moving(room, sizeof room, 8);
    moving.Write("12345", 5);
    EXPECT_EQ(room[0], 7);
    EXPECT_EQ(moving.GetLength(), 5u);
    EXPECT_EQ(Bytes(moving), "12345");
}

TEST(CSharedFile, ArchivesIntoAGlobalBlockAndBackFromItsHandle) {
    std::string text(5000, 'x');
    HGLOBAL h;
    {
        CSharedFile out;
        CArchive ar(&out, CArchive::store);
        ar << CStringA(text.c_str());
        ar.Close();
        EXPECT_EQ(out.GetLength(), 5003u);
        h = out.Detach();
    }
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 8192u); // grown 4096 bytes at a time

    CSharedFile in;
    in.SetHandle(h, FALSE); // adopted: freed when the file closes
    CStringA back;
    {
        CArchive ar(&in, CArchive::load);
        ar >> back;
    }
    EXPECT_EQ(back.GetLength(), 5000);
    EXPECT_EQ(in.GetLength(), 8192u); // the whole block: the handle does not know the data's end
    in.Seek(5003, CFile::begin);
    in.Write("fits", 4);
    bool full = false;
    try {
        in.Write(std::string(8192, 'y').data(), 8192);
    } catch (CMemoryException* e) {
        full = true;
        e->Delete();
    }
    EXPECT_TRUE(full);
}

} // namespace
