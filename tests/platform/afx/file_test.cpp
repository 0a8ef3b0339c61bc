// CFile and CStdioFile on real files: open errors, positions, archives on disk and text lines.
#include "afx/afx.h"

#include "support/support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

CString Scratch(const char* name) {
    return CString((testsupport::ScratchDir() + "/" + name).c_str());
}

std::string DiskBytes(const CString& path) {
    std::ifstream in(WideToAnsi(path.Str(), CP_UTF8), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(CFile, ReadsWritesAndReportsOpenFailures) {
    CString path = Scratch("data.bin");
    {
        CFile f;
        ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeReadWrite));
        f.Write("hello world", 11);
        EXPECT_EQ(f.GetLength(), 11u);
        EXPECT_EQ(f.Seek(-5, CFile::end), 6u);
        char buf[8] = {};
        EXPECT_EQ(f.Read(buf, sizeof buf), 5u);
        EXPECT_EQ(std::string(buf, 5), "world");
        f.SetLength(5);
        EXPECT_EQ(f.GetFileName(), u"data.bin");
        EXPECT_EQ(f.GetFileTitle(), u"data");
    } // closed by the destructor
    EXPECT_EQ(DiskBytes(path), "hello");

    CFile missing;
    CFileException e;
    EXPECT_FALSE(missing.Open(Scratch("absent/none.bin"), CFile::modeRead, &e));
    EXPECT_TRUE(e.m_cause == CFileException::badPath || e.m_cause == CFileException::fileNotFound) << e.m_cause;
    EXPECT_NE(e.m_lOsError, 0);

    bool thrown = false;
    try {
        CFile f(Scratch("none.bin"), CFile::modeRead);
    } catch (CFileException* ex) {
        thrown = ex->m_cause == CFileException::fileNotFound;
        ex->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(CFile, ArchiveOnDiskLeavesTheFileAfterWhatItRead) {
    CString path = Scratch("archive.bin");
    {
        CFile f(path, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&f, CArchive::store);
        ar << CString(u"恢复") << DWORD(7);
        ar.Close();
        f.Write("tail", 4);
    }
    CFile f(path, CFile::modeRead);
    CArchive ar(&f, CArchive::load);
    CString s;
    DWORD dw = 0;
    ar >> s >> dw;
    ar.Close();
    EXPECT_EQ(s, u"恢复");
    EXPECT_EQ(dw, 7u);
    char tail[4];
    ASSERT_EQ(f.Read(tail, 4), 4u);
    EXPECT_EQ(std::string(tail, 4), "tail");
}

TEST(CStdioFile, TextLinesGoThroughTheAnsiPage) {
    CString path = Scratch("lines.txt");
    {
        CStdioFile f(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        f.WriteString(u"中文\nsecond line\n");
        f.WriteString(u"last");
    }
    EXPECT_EQ(DiskBytes(path), "\xD6\xD0\xCE\xC4\r\nsecond line\r\nlast");

    CStdioFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeRead | CFile::typeText));
    CString line;
    EXPECT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, u"中文");
    WCHAR buf[8];
    EXPECT_EQ(std::u16string(f.ReadString(buf, 8)), u"second ");
    EXPECT_EQ(std::u16string(f.ReadString(buf, 8)), u"line\n");
    EXPECT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, u"last");
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_EQ(f.ReadString(buf, 8), nullptr);
    f.Close();

    // Binary mode keeps the bytes as written; appending keeps what was there.
    {
        CStdioFile b(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::typeBinary);
        b.WriteString(u"\nz");
    }
    EXPECT_EQ(DiskBytes(path), "\xD6\xD0\xCE\xC4\r\nsecond line\r\nlast\nz");
}

} // namespace
