// The text-file reader: byte-order marks, code pages, line ends and long lines, as one table.
#include "preview/text_file_reader.h"

#include "preview/preview_fixture.h"

namespace {

struct ReadCase {
    const char* name;
    std::string bytes;
    std::u16string text;
    int encoding;
};

std::string Utf16Le(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s) {
        out.push_back(char(c & 0xFF));
        out.push_back(char(c >> 8));
    }
    return out;
}

} // namespace

TEST(TextFileReader, MarksCodePagesAndLineEnds)
{
    std::string longLine(5000, 'x');
    const ReadCase cases[] = {
        {"utf16le", "\xFF\xFE" + Utf16Le(u"中a\r\nb"), u"中a\r\nb", CTextFileReader::UTF16LE},
        {"utf16be", std::string("\xFE\xFF\x4E\x2D\x00\x0A\x00z", 8), u"中\r\nz", CTextFileReader::UTF16BE},
        {"utf8", "\xEF\xBB\xBF\xC3\xA9\xE4\xB8\xAD", u"é中", CTextFileReader::UTF8},
        {"utf8 stray byte", "\xEF\xBB\xBF\x80z", u"\uFFFDz", CTextFileReader::UTF8},
        {"half a utf8 mark is gbk", "\xEF\xBB\x41", u"锘A", CTextFileReader::ANSI},
        {"gbk", "\xD6\xD0\xCE\xC4\n\xB1\xA8\xB8\xE6", u"中文\r\n报告", CTextFileReader::ANSI},
        // Without a mark, well-formed UTF-8 beyond ASCII is read as UTF-8; anything else stays in the code page.
        {"utf8 without a mark", "\xE4\xB8\xAD\xE6\x96\x87\n\xC3\xA9", u"中文\r\né", CTextFileReader::ANSI},
        {"utf8 four bytes", "a\xF0\x9F\x98\x80", u"a\U0001F600", CTextFileReader::ANSI},
        {"utf8 across the check's pieces", std::string(65535, 'a') + "\xE4\xB8\xAD",
         std::u16string(65535, u'a') + u"中", CTextFileReader::ANSI},
        {"gbk after a long utf8 start", "\xC3\xA9" + std::string(70000, 'a') + "\xD6\xD0",
         u"茅" + std::u16string(70000, u'a') + u"中", CTextFileReader::ANSI},
        {"overlong is gbk", "\xC0\xAF" "a", u"蜡a", CTextFileReader::ANSI},
        {"overlong three bytes is gbk", "\xE0\x9F\xB0\xA1", u"酂啊", CTextFileReader::ANSI},
        {"overlong four bytes is gbk", "\xF0\x8F\xB0\xA1", u"饛啊", CTextFileReader::ANSI},
        {"surrogate is gbk", "\xED\xA0\xB0\xA1", u"頎啊", CTextFileReader::ANSI},
        {"beyond U+10FFFF is gbk", "\xF4\x90\xB0\xA1", u"魫啊", CTextFileReader::ANSI},
        {"cut sequence at the end is gbk", "\xE4\xB8", u"涓", CTextFileReader::ANSI},
        {"lone CR, LF and CR LF", "a\r\r\nb\nc\rd", u"a\r\n\r\nb\r\nc\r\nd", CTextFileReader::ANSI},
        {"blank line kept", "a\r\n\r\nb", u"a\r\n\r\nb", CTextFileReader::ANSI},
        {"trailing line end kept", "a\n", u"a\r\n", CTextFileReader::ANSI},
        {"empty", "", u"", CTextFileReader::ANSI},
        {"mark only", "\xFF\xFE", u"", CTextFileReader::UTF16LE},
        {"one byte", "q", u"q", CTextFileReader::ANSI},
        {"long line whole", longLine + "\nend", std::u16string(5000, u'x') + u"\r\nend", CTextFileReader::ANSI},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        CString path = PreviewPaneTest::WriteFile("t.txt", c.bytes);
        CTextFileReader reader(path);
        ASSERT_TRUE(reader.IsOpen());
        EXPECT_EQ(reader.GetEncoding(), c.encoding);
        CString text = u"old";
        EXPECT_TRUE(reader.ReadText(text, u"\r\n"));
        EXPECT_EQ(std::u16string(text.GetString()), c.text);
    }
}

TEST(TextFileReader, MissingFileLeavesTheTextAlone)
{
    CTextFileReader reader(u"/nonexistent/dir/file.txt");
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_TRUE(reader.IsEOF());
    CString text = u"kept";
    EXPECT_FALSE(reader.ReadText(text, u"\r\n"));
    EXPECT_EQ(text, u"kept");
}

TEST(TextFileReader, LengthInCharactersAndRewind)
{
    CTextFileReader utf16(PreviewPaneTest::WriteFile("w.txt", "\xFF\xFE" + Utf16Le(u"abcd")));
    EXPECT_EQ(utf16.GetLength(), 5u); // the mark counts as a character of the file's length
    CTextFileReader narrow(PreviewPaneTest::WriteFile("n.txt", "one\ntwo"));
    EXPECT_EQ(narrow.GetLength(), 7u);
    std::u16string line;
    EXPECT_TRUE(narrow.ReadLine(line));
    EXPECT_EQ(line, u"one");
    narrow.Rewind();
    EXPECT_TRUE(narrow.ReadLine(line));
    EXPECT_EQ(line, u"one");
    EXPECT_TRUE(narrow.ReadLine(line));
    EXPECT_EQ(line, u"two");
    EXPECT_FALSE(narrow.ReadLine(line));
}

TEST(TextFileReader, TextStopsAtTheLimitEvenInsideALine)
{
    struct {
        std::string bytes;
        size_t limit;
        std::u16string text;
    } cases[] = {
        {std::string(100000, 'x'), 10, std::u16string(10, u'x')},
        {"ab\ncd\nef", 5, u"ab\r\nc"},
        {"ab\ncd", 4, u"ab\r\n"},
        {"\xFF\xFE" + Utf16Le(u"一二三四"), 3, u"一二三"},
    };
    for (const auto& c : cases) {
        CTextFileReader reader(PreviewPaneTest::WriteFile("big.txt", c.bytes));
        CString text;
        EXPECT_TRUE(reader.ReadText(text, u"\r\n", c.limit));
        EXPECT_EQ(std::u16string(text.GetString()), c.text) << c.limit;
    }
}
