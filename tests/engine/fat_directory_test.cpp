// FAT directory entries: 8.3 names, long names (also across sector boundaries), and the directory parse.
#include "engine/fat_directory.h"
#include "engine/engine_state.h"
#include "crafted.h"

#include <gtest/gtest.h>

namespace {
using namespace crafted;

std::u16string Str(const WCHAR* s) { return std::u16string(s); }

TEST(FatShortNameTest, Cases)
{
    struct Case {
        const char* field;
        BYTE caseFlags; // byte 0x0C: 0x08 base lower case, 0x10 extension lower case
        const char16_t* name;
        bool deleted;
    } cases[] = {
        {"FOO     TXT", 0, u"FOO.TXT", false},
        {"README     ", 0, u"README", false},   // blank extension: no point
        {"\xE5OO     TXT", 0, u"xOO.TXT", true}, // deleted without long name
        {"A B     C  ", 0, u"AB.C", false},      // blanks dropped wherever they stand
        // The case flags, alone and together, live and deleted.
        {"NOTES   TXT", 0x18, u"notes.txt", false},
        {"NOTES   TXT", 0x08, u"notes.TXT", false},
        {"NOTES   TXT", 0x10, u"NOTES.txt", false},
        {"IMG_0001JPG", 0x18, u"img_0001.jpg", false},
        {"\xE5OTES   TXT", 0x18, u"xotes.txt", true},
        // Code page 936: a file and a folder name, a trail byte in the range of 'A'..'Z' that the
        // flags must not touch, and a live first byte 0xE5 stored as 0x05.
        {"\xB1\xA8\xB8\xE6    TXT", 0, u"报告.TXT", false},
        {"\xD7\xCA\xC1\xCF       ", 0, u"资料", false},
        {"\x81\x41XY    TXT", 0x18, u"丄xy.txt", false},
        {"\x05\xA1      DOC", 0, u"濉.DOC", false},
        // Deleting took the lead byte of the first character: the character is what is lost.
        {"\xE5\xA8\xB8\xE6    TXT", 0, u"x告.TXT", true},
        {"\xE5\xA8      TXT", 0, u"x.TXT", true},
        {"\xE5\xB1\xA8\xB8\xE6   TXT", 0, u"x报告.TXT", true},
        // A lead byte whose trail byte is gone gets the layer's substitution.
        {"AB\xB1     TXT", 0, u"AB?.TXT", false},
    };
    for (const Case& c : cases) {
        auto e = ShortEntry(c.field, 0x20, 3, 1);
        e[12] = c.caseFlags;
        WCHAR out[16];
        EXPECT_EQ(BuildShortName(e.data(), out), c.deleted) << c.field;
        EXPECT_EQ(Str(out), c.name) << c.field;
    }
}

TEST(FatNameValidityTest, Cases)
{
    EXPECT_EQ(IsValidFileName(u"a:b"), 1);
    EXPECT_EQ(IsValidFileName(u"报告.doc"), 1);
    for (const char16_t* bad : {u"a?b", u"a*", u"x/y", u"x\\y", u"<", u"\x01name", u"p|q", u"\"q\""})
        EXPECT_EQ(IsValidFileName(bad), 0);
}

// Directory bytes: entries appended in order, padded to whole sectors.
struct DirBytes {
    std::vector<BYTE> b;
    void Add(const std::vector<BYTE>& entries) { b.insert(b.end(), entries.begin(), entries.end()); }
    void PadTo(size_t entries) { b.resize(entries * 32, 0); }
};

void AddNamed(DirBytes& d, const std::u16string& longName, const char* name11, uint32_t cluster, bool deleted,
              BYTE attr = 0x20)
{
    auto s = ShortEntry(name11, attr, cluster, attr & 0x10 ? 0 : 100);
    auto l = LongEntries(longName, s);
    if (deleted) {
        MarkDeleted(l);
        s[0] = 0xE5;
    }
    d.Add(l);
    d.Add(s);
}

class FatDirectoryParseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreeScanResultLists();
        PartitionParams = {};
        PartitionParams.FsType = FS_KIND_FAT32;
        PartitionParams.SectorsPerCluster = 1;
        PartitionParams.SectorCount = 0; // no progress denominator: must not divide by zero
    }
    void TearDown() override { FreeScanResultLists(); }

    std::vector<std::u16string> FileNames()
    {
        std::vector<std::u16string> names;
        for (FatEntryRecord* r = FatFileHead; r; r = r->Next)
            names.push_back(r->Name);
        return names;
    }
    // Parses sector by sector with one walk, as a directory's clusters are read.
    void ParseSectors(const DirBytes& d, DWORD parentDeleted = 0)
    {
        FatDirWalk walk;
        int end = 0;
        for (size_t s = 0; s * 512 < d.b.size() && !end; ++s)
            ParseFatDirectory(d.b.data() + s * 512, 2, &end, DWORD(100 + s), parentDeleted, 0, &walk);
    }
};

TEST_F(FatDirectoryParseTest, LongNameRules)
{
    const std::u16string name26 = u"abcdefghijklmnopqrstuvwxyz"; // two entries, no terminator
    DirBytes d;
    AddNamed(d, name26, "ABCDEF~1   ", 10, false);
    AddNamed(d, u"Gone file.txt", "GONEFI~1TXT", 11, true);
    // A live name whose checksum belongs to another short entry falls back to 8.3.
    {
        auto s = ShortEntry("STALE   TXT", 0x20, 12, 1);
        auto other = ShortEntry("OTHER   TXT", 0x20, 0, 0);
        d.Add(LongEntries(u"not mine.txt", other));
        d.Add(s);
    }
    // A live name missing its first piece (ordinal 1) falls back to 8.3.
    {
        auto s = ShortEntry("HALF    TXT", 0x20, 13, 1);
        auto l = LongEntries(u"a name that needs two.txt", s);
        l.resize(32); // keep only the 0x42 piece
        d.Add(l);
        d.Add(s);
    }
    d.PadTo(16 * 2);
    ParseSectors(d);
    std::vector<std::u16string> expected = {name26, u"Gone file.txt", u"STALE.TXT", u"HALF.TXT"};
    EXPECT_EQ(FileNames(), expected);
    EXPECT_EQ(+FatFileHead->Next->Deleted, 1u);
    EXPECT_EQ(+FatFileHead->Deleted, 0u);
}

TEST_F(FatDirectoryParseTest, NamesStraddlingASectorBoundaryStayWhole)
{
    // Two 99-character names that share their first 91 characters, placed so that each one's
    // entries cross a sector boundary; one live, one deleted.
    std::u16string prefix(91, u'n');
    const std::u16string first = prefix + u"_one.txt", second = prefix + u"_two.txt";
    DirBytes d;
    d.Add(ShortEntry("PAD1    BIN", 0x20, 5, 1));
    d.Add(ShortEntry("PAD2    BIN", 0x20, 6, 1));
    d.Add(ShortEntry("PAD3    BIN", 0x20, 7, 1));
    d.Add(ShortEntry("PAD4    BIN", 0x20, 8, 1));
    d.Add(ShortEntry("PAD5    BIN", 0x20, 9, 1));
    d.Add(ShortEntry("PAD6    BIN", 0x20, 10, 1));
    d.Add(ShortEntry("PAD7    BIN", 0x20, 11, 1));
    d.Add(ShortEntry("PAD8    BIN", 0x20, 12, 1));
    d.Add(ShortEntry("PAD9    BIN", 0x20, 13, 1));
    d.Add(ShortEntry("PAD10   BIN", 0x20, 14, 1));
    AddNamed(d, first, "NNNNNN~1TXT", 20, false); // 8 long entries: 10..17, short at 18 (sector 2)
    for (int i = 0; i < 10; ++i)
        d.Add(ShortEntry("FILLER  BIN", 0x20, 30 + i, 1));
    AddNamed(d, second, "NNNNNN~2TXT", 21, true); // entries 29..36, short at 37 (sector 3)
    d.PadTo(16 * 3);
    ParseSectors(d);
    auto names = FileNames();
    ASSERT_EQ(names.size(), 22u);
    EXPECT_EQ(names[10], first);
    EXPECT_EQ(names[21], second);
    EXPECT_EQ(+FatFileTail->Deleted, 1u);
}

TEST_F(FatDirectoryParseTest, OneCallOverConsecutiveSectorsSeesTheSameNames)
{
    std::u16string longName(40, u'q');
    DirBytes d;
    for (int i = 0; i < 14; ++i)
        d.Add(ShortEntry("PADDING BIN", 0x20, 5 + i, 1));
    AddNamed(d, longName, "QQQQQQ~1   ", 40, false); // entries 14..17, short at 18
    d.PadTo(32);
    int end = 0;
    ParseFatDirectorySectors(d.b.data(), 2, &end, 100, 2, 0, 0);
    EXPECT_EQ(FileNames().back(), longName);
}

TEST_F(FatDirectoryParseTest, DeletedFolderContentsEndAndFolders)
{
    DirBytes d;
    d.Add(ShortEntry(".          ", 0x10, 2, 0));
    d.Add(ShortEntry("..         ", 0x10, 0, 0));
    d.Add(ShortEntry("SUB        ", 0x10, 9, 0));
    d.Add(ShortEntry("SUB2       ", 0x10, 9, 0)); // same first cluster: nothing new
    d.Add(ShortEntry("DATA    BIN", 0x20, 4, 77));
    d.Add(ShortEntry("NOCLUST TXT", 0x20, 0, 0)); // empty file: no first cluster, still a file
    d.Add(ShortEntry("BAD?    TXT", 0x20, 5, 1)); // rejected name
    d.PadTo(8);                                   // entry 7 is 0: the end
    d.Add(ShortEntry("AFTER   TXT", 0x20, 6, 1));
    d.PadTo(16);
    AddFatFolderRecord(u"self", 2, 0, 0, 0, 0, 1);
    ParseSectors(d, /*parentDeleted=*/1);

    auto files = FileNames();
    ASSERT_EQ(files, (std::vector<std::u16string>{u"DATA.BIN", u"NOCLUST.TXT"}));
    EXPECT_EQ(+FatFileHead->Deleted, 1u);
    EXPECT_EQ(+FatFileHead->ParentId, 2u);
    EXPECT_EQ(FoundFatSizeSum, 77u);
    ASSERT_NE(+FatFolderHead->Next, nullptr);
    EXPECT_EQ(Str(FatFolderHead->Next->Name), u"SUB");
    EXPECT_EQ(+FatFolderHead->Next->Next, nullptr);
}

// An empty file owns no cluster but is listed (size 0) by both parses; other entries without a cluster
// hold nothing to recover and add nothing.
TEST_F(FatDirectoryParseTest, EntriesWithoutAClusterListOnlyEmptyFiles)
{
    DirBytes d;
    d.Add(ShortEntry("DOVEDISK   ", 0x08, 0, 0));   // volume label
    d.Add(ShortEntry("..         ", 0x10, 0, 0));   // parent is the root
    d.Add(ShortEntry("NODATA     ", 0x10, 0, 0));   // folder entry without its cluster
    d.Add(ShortEntry("LOST    TXT", 0x20, 0, 300)); // data claimed, no cluster to find it
    d.Add(ShortEntry("EMPTY   TXT", 0x01, 0, 0));   // read-only empty file
    AddNamed(d, u"gone empty.txt", "GONEEM~1TXT", 0, true);
    d.b.resize(d.b.size() - 32);
    {
        auto s = ShortEntry("GONEEM~1TXT", 0x20, 0, 0);
        s[0] = 0xE5;
        d.Add(s);
    }
    d.PadTo(16);
    for (bool extraction : {false, true}) {
        SCOPED_TRACE(extraction ? "extraction" : "quick scan");
        FreeScanResultLists();
        if (extraction) {
            int end = 0;
            ParseFatDirectorySectors(d.b.data(), 2, &end, 100, 1, 0, 0);
        } else {
            ParseSectors(d);
        }
        ASSERT_EQ(FileNames(), (std::vector<std::u16string>{u"EMPTY.TXT", u"gone empty.txt"}));
        EXPECT_EQ(+FatFileHead->Size, 0u);
        EXPECT_EQ(+FatFileHead->StartCluster, 0u);
        EXPECT_EQ(+FatFileHead->Deleted, 0u);
        EXPECT_EQ(+FatFileTail->Deleted, 1u);
        EXPECT_EQ(FatFolderHead, nullptr);
    }
}

TEST_F(FatDirectoryParseTest, ExtractionNamesKnownFoldersInsteadOfAddingThem)
{
    AddFatFolderRecord(u"Dir9", 9, 2, 0, 0, 0, 0);
    DirBytes d;
    AddNamed(d, u"Holiday photos", "HOLIDA~1   ", 9, true, 0x10);
    d.Add(ShortEntry("ELSEWHER   ", 0x10, 10, 0)); // unknown folder: not added here
    d.PadTo(16);
    int end = 0;
    ParseFatDirectorySectors(d.b.data(), 2, &end, 50, 1, 0, 0);
    EXPECT_EQ(Str(FatFolderHead->Name), u"Holiday photos");
    EXPECT_EQ(+FatFolderHead->Deleted, 1u);
    EXPECT_EQ(+FatFolderHead->Next, nullptr);
    EXPECT_EQ(FatFileHead, nullptr);
}

} // namespace
