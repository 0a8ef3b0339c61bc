// The archive item reader: plain gzip files, tar archives inside gzip, zip archives, and the data
// that must be refused (bombs, sizes beyond the data, placeholders of large zip entries).
#include "preview/archive/archive_writers.h"
#include "preview/archive/tar_walk.h"
#include "preview/archive/zip_item_reader.h"
#include "preview/document_view.h"
#include "preview/no_preview_view.h"
#include "preview/preview_fixture.h"
#include "res/preview/preview_res.h"

using namespace archive_test;

namespace {

struct Item {
    bool ok = false;
    std::string data;
    int isFile = -1;
    CString kind, name;
    LONGLONG modified = 0;
};

Item Read(CZipItemReader& reader, int index)
{
    Item item;
    const BYTE* data = nullptr;
    size_t size = 0;
    FILETIME times[3];
    item.ok = reader.GetItem(index, &data, &size, &item.isFile, item.kind, item.name, times, &item.modified);
    if (item.ok && data)
        item.data.assign(reinterpret_cast<const char*>(data), size);
    return item;
}

std::string Path(const std::string& name, const std::string& bytes)
{
    return std::string(CStringA(PreviewPaneTest::WriteFile(name, bytes)).GetString());
}

} // namespace

TEST(ZipItemReader, GzipTarAndZip)
{
    std::string tar = TarMember("docs/", "", '5') + TarMember("docs/a.txt", "alpha\n") +
                      TarMember("b.txt", std::string(1500, 'b')) + TarEnd();
    std::vector<ZipEntry> zipEntries(2);
    zipEntries[0].name = "first.txt";
    zipEntries[0].data = "zip item";
    zipEntries[1].name = "dir/";
    zipEntries[1].externalAttributes = 0x10;
    struct {
        const char* file;
        std::string bytes;
        LONG kind;
        int count;
    } cases[] = {
        {"plain.gz", Gzip("just text\n"), 2, 1},
        {"archive.tar.gz", Gzip(tar), 3, 3},
        {"archive.zip.gz", BuildZip(zipEntries), 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CZipItemReader reader;
        ASSERT_TRUE(reader.OpenArchive(Path(c.file, c.bytes).c_str()));
        EXPECT_EQ(reader.m_nKind, c.kind);
        EXPECT_EQ(reader.CountItems(), c.count);
    }

    CZipItemReader gz;
    ASSERT_TRUE(gz.OpenArchive(Path("plain.gz", Gzip("just text\n")).c_str()));
    Item item = Read(gz, 0);
    EXPECT_TRUE(item.ok);
    EXPECT_EQ(item.data, "just text\n");
    EXPECT_EQ(item.kind, u"unknown");

    CZipItemReader tgz;
    ASSERT_TRUE(tgz.OpenArchive(Path("a.tgz", Gzip(tar)).c_str()));
    struct {
        int index;
        const char16_t* name;
        const char16_t* kind;
        int isFile;
        size_t size;
    } members[] = {{0, u"docs/", u"directory", 0, 0}, {1, u"docs/a.txt", u"regular file", 1, 6},
                   {2, u"b.txt", u"regular file", 1, 1500}};
    for (const auto& m : members) {
        item = Read(tgz, m.index);
        ASSERT_TRUE(item.ok) << m.index;
        EXPECT_EQ(item.name, m.name);
        EXPECT_EQ(item.kind, m.kind);
        EXPECT_EQ(item.isFile, m.isFile);
        EXPECT_EQ(item.data.size(), m.size);
        EXPECT_EQ(item.modified, 014017134510);
    }
    EXPECT_FALSE(Read(tgz, 3).ok); // the end blocks are no header
    EXPECT_FALSE(Read(tgz, 5).ok);
    EXPECT_EQ(tgz.m_strError, u"无效的文件位置！       ");

    CZipItemReader zip;
    ASSERT_TRUE(zip.OpenArchive(Path("z.zip", BuildZip(zipEntries)).c_str()));
    item = Read(zip, 0);
    ASSERT_TRUE(item.ok);
    EXPECT_EQ(item.data, "zip item");
    EXPECT_EQ(item.name, u"first.txt");
    EXPECT_EQ(item.kind, u"FILE_ATTRIBUTE_ARCHIVE");
    EXPECT_EQ(Read(zip, 1).kind, u"FILE_ATTRIBUTE_DIRECTORY");
    zip.CloseArchive();
    EXPECT_FALSE(Read(zip, 0).ok);
}

TEST(ZipItemReader, RefusedData)
{
    // A member whose directory gives the placeholder of a large entry (or any size past the cap)
    // gets no buffer sized from it.
    std::vector<ZipEntry> placeholder(1);
    placeholder[0].name = "big.bin";
    placeholder[0].data = "small";
    placeholder[0].centralUncompressedSize = 0xFFFFFFFF;
    placeholder[0].flags = 8; // sizes in a data descriptor: the local header is not compared
    std::vector<ZipEntry> shortMember(1);
    shortMember[0].name = "short.bin";
    shortMember[0].data = "12345";
    shortMember[0].centralUncompressedSize = 50;
    shortMember[0].flags = 8;
    struct {
        const char* file;
        std::string bytes;
        bool opens;
        const char16_t* error;
    } cases[] = {
        // About 65 KiB that inflate past the cap of 64 MiB.
        {"bomb.gz", Gzip(std::string((size_t(64) << 20) + 1, '\0')), false, u"无法读取 gzip 格式的数据！             "},
        {"empty.gz", "", false, u"无法读取 gzip 格式的数据！             "},
        {"placeholder.zip", BuildZip(placeholder), true, u"无法从存档文件中解压文件到指定位置！                             "},
        {"short.zip", BuildZip(shortMember), true, u"无法从存档文件中解压文件到指定位置！                             "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CZipItemReader reader;
        EXPECT_EQ(reader.OpenArchive(Path(c.file, c.bytes).c_str()), c.opens);
        if (c.opens) {
            EXPECT_FALSE(Read(reader, 0).ok);
        }
        EXPECT_EQ(reader.m_strError, c.error);
    }
    CZipItemReader missing;
    EXPECT_FALSE(missing.OpenArchive("/nonexistent/x.gz"));
    EXPECT_EQ(missing.m_strError, u"无法确定存档类型！                ");
    EXPECT_EQ(missing.CountItems(), -1);
    EXPECT_EQ(missing.m_strError, u"存档没有打开      ");
}

// Sizes beyond the data, headers cut short and walks over arbitrary bytes stay inside the data.
TEST(TarWalk, SizesAndHeadersInsideTheData)
{
    std::string huge = TarMember("huge", "0123456789", '0', "77777777777"); // 8 GiB - 1 claimed
    std::vector<uint8_t> bytes(huge.begin(), huge.end());
    EXPECT_EQ(TarCountItems(bytes.data(), bytes.size()), 1u);
    TarItem item;
    ASSERT_EQ(TarFindItem(bytes.data(), bytes.size(), 0, item), kTarFound);
    EXPECT_EQ(item.size, 512u); // the bytes after the header
    EXPECT_EQ(TarFindItem(bytes.data(), bytes.size(), 1, item), kTarBadHeader);

    std::string two = TarMember("a", "x") + TarMember("b", "y");
    for (size_t cut = 0; cut <= two.size(); ++cut) {
        std::vector<uint8_t> part(two.begin(), two.begin() + std::ptrdiff_t(cut));
        size_t count = TarCountItems(part.data(), part.size());
        EXPECT_EQ(count, cut < 512 ? 0u : cut < 1536 ? 1u : 2u) << cut;
        for (size_t i = 0; i < 3; ++i)
            TarFindItem(part.data(), part.size(), i, item);
    }
    const uint8_t field[] = {' ', '\t', '1', '7', '9', '5'};
    EXPECT_EQ(TarOctalField(field, sizeof field), 017u);
    EXPECT_EQ(TarOctalField(field, 3), 1u);
}

TEST_F(PreviewPaneTest, GzipFilesShowTheirFirstItem)
{
    struct {
        const char* file;
        std::string bytes;
        const char16_t* extension;
        std::u16string text;
        bool noPreview;
    } cases[] = {
        {"notes.gz", Gzip("\xC4\xE3\xBA\xC3 gzip"), u".gz", u"你好 gzip", false},
        {"bundle.TGZ", Gzip(TarMember("readme", "tar text") + TarEnd()), u".tgz", u"tar text", false},
        {"broken.gz", "\x1f\x8b\x08garbage", u".gz", u"", true},
        {"bomb.gz", Gzip(std::string((size_t(64) << 20) + 1, 'a')), u".gz", u"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Preview(WriteFile(c.file, c.bytes), c.extension);
        ASSERT_NE(pane->m_pDocumentView, nullptr);
        auto* view = static_cast<CAdobeReaderView*>(pane->m_pDocumentView);
        EXPECT_EQ(headless::Text(view->m_richEdit.m_hWnd), c.text);
        EXPECT_EQ(pane->m_pNoPreviewView != nullptr, c.noPreview);
        if (c.noPreview) {
            EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
        }
    }
}
