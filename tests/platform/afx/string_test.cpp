// CString: clamped edits, searches, buffers, formatting and narrow conversions.
#include "afx/afx.h"
#include "platform/resources/test_ids.h"

#include <gtest/gtest.h>

namespace {

TEST(CString, ExtractionClampsItsIndexes) {
    const CString s(u"abcdef");
    struct Case {
        CString got;
        const char16_t* expected;
    } cases[] = {
        {s.Mid(2), u"cdef"},     {s.Mid(2, 2), u"cd"},  {s.Mid(-3, 2), u"ab"}, {s.Mid(4, 100), u"ef"},
        {s.Mid(10), u""},        {s.Mid(1, -1), u""},   {s.Left(3), u"abc"},   {s.Left(-1), u""},
        {s.Left(99), u"abcdef"}, {s.Right(2), u"ef"},   {s.Right(99), u"abcdef"}, {s.Right(-2), u""},
        {s.SpanIncluding(u"cba"), u"abc"}, {s.SpanExcluding(u"dx"), u"abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected);
    EXPECT_EQ(s.GetAt(6), u'\0'); // the terminator is readable
    bool thrown = false;
    try {
        s.GetAt(7);
    } catch (CInvalidArgException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(CString, SearchesFollowTheFrameworkRules) {
    const CString s(u"a\\b\\中.txt");
    EXPECT_EQ(s.Find(u'\\'), 1);
    EXPECT_EQ(s.Find(u'\\', 2), 3);
    EXPECT_EQ(s.Find(u'\\', 50), -1);
    EXPECT_EQ(s.Find(u'\\', -1), -1);
    EXPECT_EQ(s.Find(u".txt"), 5);
    EXPECT_EQ(s.Find(u"", 2), 2);
    EXPECT_EQ(s.Find(u"x", 10), -1);
    EXPECT_EQ(s.ReverseFind(u'\\'), 3);
    EXPECT_EQ(s.ReverseFind(u'?'), -1);
    EXPECT_EQ(s.FindOneOf(u".中"), 4);
    EXPECT_EQ(s.Compare(u"a\\b"), 1);
    EXPECT_EQ(CString(u"ABC").CompareNoCase(u"abd"), -1);
    EXPECT_TRUE(CString(u"abc") < u"abd");
}

TEST(CString, EditsReportTheirEffect) {
    CString s(u"a-b-c");
    EXPECT_EQ(s.Replace(u"-", u"--"), 2);
    EXPECT_EQ(s, u"a--b--c");
    EXPECT_EQ(s.Replace(u"", u"x"), 0);
    EXPECT_EQ(s.Remove(u'-'), 4);
    EXPECT_EQ(s.Insert(-5, u'<'), 4);
    EXPECT_EQ(s.Insert(99, u">>"), 6);
    EXPECT_EQ(s, u"<abc>>");
    EXPECT_EQ(s.Delete(4, 99), 4);
    EXPECT_EQ(s.Delete(-2, 1), 3);
    EXPECT_EQ(s.Delete(9, 1), 3);
    EXPECT_EQ(s, u"abc");

    CString t(u" \t\u3000 name.TXT \r\n");
    EXPECT_EQ(t.Trim(), u"name.TXT");
    EXPECT_EQ(t.MakeUpper(), u"NAME.TXT");
    EXPECT_EQ(CString(u"xxabxx").Trim(u'x'), u"ab");
    EXPECT_EQ(CString(u"..ab,.").TrimRight(u".,"), u"..ab");

    CString list(u";a;;b");
    int pos = 0;
    CString tokens;
    for (CString tok = list.Tokenize(u";", pos); pos >= 0; tok = list.Tokenize(u";", pos))
        tokens += tok + u"|";
    EXPECT_EQ(tokens, u"a|b|");
}

TEST(CString, BufferRoundTrip) {
    CString s(u"old");
    WCHAR* p = s.GetBuffer(10);
    wcscpy(p, u"新的名字");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 4);
    p = s.GetBuffer(0);
    p[1] = u'X';
    s.ReleaseBuffer(2);
    EXPECT_EQ(s, u"新X");
    s.GetBufferSetLength(3)[2] = u'!';
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s.Right(1), u"!");
}

TEST(CString, FormatsAndConvertsChineseText) {
    CString name(u"恢复");
    CStringA narrow("\xCE\xC4\xBC\xFE"); // "文件" in the ANSI page
    CString s;
    s.Format(u"%s:%S %d%% %I64u %2.2f %c", name, narrow, 50, 5000000000ULL, 3.14159, u'完');
    EXPECT_EQ(s, u"恢复:文件 50% 5000000000 3.14 完");
    s.AppendFormat(u" 0x%02hX", BYTE(0x0A));
    EXPECT_EQ(s.Right(5), u" 0x0A");

    CString fromNarrow("\xD6\xD0\xB9\xFA\xFF" "z"); // 中国, a byte the page lacks, z
    EXPECT_EQ(fromNarrow, u"中国\uF8F5z");
    CStringA back(u"中国\u0E01");
    EXPECT_EQ(back, "\xD6\xD0\xB9\xFA?");
    CStringA fmt;
    fmt.Format("%S-%s-%05.1f", u"中", "x", 2.25);
    EXPECT_EQ(fmt, "\xD6\xD0-x-002.3");
}

TEST(CStringA, StepsOverTwoByteCharactersWhole) {
    // 0x95 0x5C and 0xB0 0x61 are single characters whose second bytes look like '\\' and 'a'.
    const CStringA path("C:\\\x95\x5C\\\xB0\x61.txt");
    EXPECT_EQ(path.ReverseFind('\\'), 5);
    EXPECT_EQ(path.Find('\\', 3), 5);
    EXPECT_EQ(path.Find("\\\xB0"), 5);
    EXPECT_EQ(path.Find("a"), -1);
    EXPECT_EQ(path.FindOneOf("\\a"), 2);
    CStringA s(path);
    EXPECT_EQ(s.MakeUpper(), "C:\\\x95\x5C\\\xB0\x61.TXT");
    EXPECT_EQ(s.Remove('\\'), 2);
    EXPECT_EQ(s.Replace('a', 'b'), 0);
    EXPECT_EQ(CStringA("x\x95\x5C").TrimRight('\\'), "x\x95\x5C");
    EXPECT_EQ(CStringA("\x95\x5C" "ab").MakeReverse(), "ba\x95\x5C");
}

TEST(CString, LoadStringUsesTheInstalledLoader) {
    CString s;
    EXPECT_FALSE(s.LoadString(0xFFF7)); // no such string in the resource image
    EXPECT_TRUE(s.LoadString(IDS_SECOND)); // from this program's own resource image
    EXPECT_EQ(s, u"扫描 完成");
    CStringA narrow;
    EXPECT_TRUE(narrow.LoadString(IDS_FIRST));
    EXPECT_EQ(narrow, "First");
    AfxSetLoadStringProc([](UINT id, LPWSTR buf, int cch) -> int {
        if (id != 7)
            return 0;
        std::u16string text(600, u'字'); // longer than the first buffer tried
        lstrcpynW(buf, text.c_str(), cch);
        return lstrlenW(buf);
    });
    EXPECT_TRUE(s.LoadString(7));
    EXPECT_EQ(s.GetLength(), 600);
    CString byId(MAKEINTRESOURCE(7));
    EXPECT_EQ(byId.GetLength(), 600);
    EXPECT_FALSE(s.LoadString(8));
    AfxSetLoadStringProc(nullptr);
}

} // namespace
