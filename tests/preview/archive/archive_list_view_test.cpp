// The archive view through the pane: the rows of zip, RAR 4, RAR 5 and cabinet archives (names,
// folders, sizes, local times, attribute letters), damaged archives shown as damaged, and missing
// libraries shown as a kind that cannot be previewed.
#include "preview/archive/archive_list_view.h"
#include "preview/archive/archive_writers.h"
#include "preview/archive/cab_listing.h"
#include "preview/no_preview_view.h"
#include "preview/preview_fixture.h"
#include "res/preview/preview_res.h"
#include "support/support.h"

#include <cstdlib>

using namespace archive_test;

namespace {

using Rows = std::vector<std::vector<std::u16string>>;

Rows ListRows(CView* view)
{
    Rows rows;
    auto* archive = static_cast<CMyListCtrl*>(view);
    if (!archive || !archive->m_pArchiveList)
        return rows;
    CListCtrl& list = *archive->m_pArchiveList;
    int columns = list.GetHeaderCtrl()->GetItemCount();
    for (int i = 0; i < list.GetItemCount(); ++i) {
        std::vector<std::u16string> row;
        for (int c = 0; c < columns; ++c)
            row.push_back((LPCWSTR)list.GetItemText(i, c));
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::u16string> Headings(CView* view)
{
    std::vector<std::u16string> out;
    CListCtrl& list = *static_cast<CMyListCtrl*>(view)->m_pArchiveList;
    CHeaderCtrl* header = list.GetHeaderCtrl();
    for (int i = 0; i < header->GetItemCount(); ++i) {
        WCHAR text[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_IMAGE | HDI_FORMAT;
        item.pszText = text;
        item.cchTextMax = 64;
        header->GetItem(i, &item);
        EXPECT_EQ(item.iImage, i);
        EXPECT_TRUE(item.fmt & HDF_IMAGE);
        out.push_back(text);
    }
    return out;
}

class ArchiveViewTest : public PreviewPaneTest {
protected:
    void SetUp() override
    {
        setenv("TZ", "CST-8", 1); // local time is UTC+8, so times that shift would show it
        tzset();
        PreviewPaneTest::SetUp();
    }
    void TearDown() override
    {
        PreviewPaneTest::TearDown();
        unsetenv("TZ");
        tzset();
    }
    Rows Show(const char* file, const std::string& bytes)
    {
        CString path = WriteFile(file, bytes);
        CString name(file);
        Preview(path, name.Mid(name.ReverseFind(u'.')));
        return ListRows(pane->m_pArchiveView);
    }
};

} // namespace

TEST_F(ArchiveViewTest, ZipRows)
{
    std::vector<ZipEntry> entries(4);
    entries[0].name = "readme.txt";
    entries[0].data = std::string(5000, 'r');
    entries[1].name = "docs/";
    entries[1].method = 0;
    entries[1].externalAttributes = 0x10;
    entries[1].dosDateTime = 0; // no date at all
    entries[2].name = "docs/\xB1\xA8\xB8\xE6.txt"; // 报告 in GBK
    entries[2].data = "report";
    entries[2].externalAttributes = 0x81a40000;
    entries[2].versionMadeBy = 0x0314;
    entries[2].localExtra = UnixTimeBlock(7, {1600000000, 1600003600, 1500000000});
    entries[3].name = "\xE5\x9B\xBE.png"; // 图 in UTF-8
    entries[3].flags = 0x800;
    entries[3].externalAttributes = 0x27;
    Rows rows = Show("Bundle.ZIP", BuildZip(entries));
    EXPECT_EQ(Headings(pane->m_pArchiveView),
              (std::vector<std::u16string>{u"文件名   ", u"目录     ", u"文件大小 ", u"访问时间   ", u"创建时间     ",
                                           u"修改时间   ", u"属性     "}));
    // The size column holds what each entry takes in the archive (5000 letters pack into a few bytes).
    auto packed = [](const std::string& data) {
        const std::string n = std::to_string(Deflate(data).size());
        return std::u16string(n.begin(), n.end());
    };
    ASSERT_LT(Deflate(entries[0].data).size(), 100u);
    // DOS times show as written (they are local); "UT" times are UTC, shown at UTC+8.
    Rows expected = {
        {u"readme.txt", u"否", packed(entries[0].data), u"05 Mar 2021, 14:30:20", u"05 Mar 2021, 14:30:20", u"05 Mar 2021, 14:30:20",
         u"ra--"},
        {u"docs/", u"是", u"0", u"", u"", u"", u"r---"},
        {u"docs/报告.txt", u"是", packed("report"), u"13 Sep 2020, 21:26:40", u"14 Jul 2017, 10:40:00", u"13 Sep 2020, 20:26:40",
         u"----"},
        {u"图.png", u"否", packed(""), u"05 Mar 2021, 14:30:20", u"05 Mar 2021, 14:30:20", u"05 Mar 2021, 14:30:20",
         u"rahs"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(host.ok, 1);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    SavePicture("archive_zip");
}

TEST_F(ArchiveViewTest, DamagedZipsShowAsDamaged)
{
    std::vector<ZipEntry> entries(2);
    entries[0].name = "good.txt";
    entries[1].name = "bad.txt";
    entries[1].localUncompressedSize = 7;
    entries[1].data = "abc";
    std::string whole = BuildZip(entries);
    struct {
        const char* what;
        std::string bytes;
        size_t rows;
    } cases[] = {
        {"cut before its end record", whole.substr(0, whole.size() - 10), 0},
        {"an entry whose headers disagree", whole, 2},
        {"not an archive", "hello", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rows rows = Show("damaged.zip", c.bytes);
        EXPECT_EQ(rows.size(), c.rows);
        if (c.rows == 2) {
            EXPECT_EQ(rows[1][0], u"?");
        }
        ASSERT_NE(pane->m_pNoPreviewView, nullptr);
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
    }
    // An archive with no entries is a good one.
    EXPECT_TRUE(Show("empty.zip", BuildZip({})).empty());
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
}

TEST_F(ArchiveViewTest, RarRows)
{
    std::vector<RarEntry> entries(3);
    entries[0].name = "folder";
    entries[0].directory = true;
    entries[1].name = "folder\\\xCE\xC4\xB5\xB5.txt"; // 文档 in GBK
    entries[1].data = "document";
    entries[2].name = "big.bin";
    entries[2].data = std::string(300, 'z');
    std::vector<RarEntry> entries5 = entries;
    entries5[1].name = "folder/\xE6\x96\x87\xE6\xA1\xA3.txt"; // 文档 in UTF-8
    // RAR 4 keeps DOS times (local), RAR 5 Unix times (UTC): both show 2020-07-09 08:15:42 here.
    for (auto& e : entries5)
        e.unixTime = 1594253742;
    for (const auto& [file, bytes] : {std::pair{"four.rar", Rar4(entries)}, std::pair{"five.rar", Rar5(entries5)}}) {
        SCOPED_TRACE(file);
        Rows rows = Show(file, bytes);
        EXPECT_EQ(Headings(pane->m_pArchiveView),
                  (std::vector<std::u16string>{u"文件名   ", u"目录     ", u"文件大小 ", u"访问时间   ", u"属性     "}));
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0][0], u"folder");
        EXPECT_EQ(rows[0][1], u"是");
        EXPECT_EQ(rows[1][0].substr(7), u"文档.txt");
        EXPECT_EQ(rows[1][1], u"否");
        EXPECT_EQ(rows[1][2], u"8");
        EXPECT_EQ(rows[2][2], u"300");
        EXPECT_EQ(rows[2][3], u"09 Jul 2020, 08:15:42");
        EXPECT_EQ(host.ok, 1);
        EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    }
    SavePicture("archive_rar");
    // Not a RAR archive, or one cut in its first header.
    for (const std::string& bytes : {std::string("not rar"), Rar4(entries).substr(0, 12)}) {
        Show("bad.rar", bytes);
        ASSERT_NE(pane->m_pNoPreviewView, nullptr);
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
    }
}

TEST_F(ArchiveViewTest, CabinetRowsInReverseOrder)
{
    std::string dir = testsupport::ScratchDir() + "/cab";
    // Made in UTC, so the cabinet's DOS times read the same whichever zone its writer uses.
    std::string script = "export TZ=UTC0 && mkdir -p " + dir + " && cd " + dir +
                         " && printf aaa > a.txt && printf bbbbbb > b.txt && printf c > c.txt"
                         " && touch -d '2019-04-02 10:20:30' a.txt b.txt c.txt"
                         " && gcab -c -n first.cab a.txt b.txt c.txt && gcab -c -n second.cab b.txt";
    if (std::system(script.c_str()) != 0)
        GTEST_SKIP() << "gcab is not installed";
    Preview(CString((dir + "/first.cab").c_str()), u".cab");
    Rows rows = ListRows(pane->m_pArchiveView);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], u"c.txt");
    EXPECT_EQ(rows[1][0], u"b.txt");
    EXPECT_EQ(rows[2][0], u"a.txt");
    EXPECT_EQ(rows[1][2], u"6");
    EXPECT_EQ(rows[2][3], u"02 Apr 2019, 10:20:30");
    EXPECT_EQ(host.ok, 1);
    SavePicture("archive_cab");
    Preview(CString((dir + "/second.cab").c_str()), u".cab");
    rows = ListRows(pane->m_pArchiveView);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], u"b.txt");
    EXPECT_EQ(CabEntryList.GetCount(), 1);
    Show("bad.cab", "MSCF but nothing more");
    EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
}

// Without the pane nobody registers the RAR and cabinet libraries: the view reports the kinds as
// ones that cannot be previewed here, not as damaged files.
TEST(ArchiveView, MissingLibrariesAreMissingComponents)
{
    TestPreviewHost host;
    SetPreviewHost(&host);
    PreviewDoc doc;
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, u"archive", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    for (const char* file : {"x.rar", "x.cab"}) {
        SCOPED_TRACE(file);
        ResetPreviewComponentUnavailable();
        host.path = PreviewPaneTest::WriteFile(file, "whatever");
        host.ok = 1;
        host.previewable = 1;
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        auto* view = new CMyListCtrl;
        ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 400, 300), frame, 0xE900, &context));
        EXPECT_TRUE(IsPreviewComponentUnavailable());
        EXPECT_EQ(host.ok, 1);
        EXPECT_EQ(host.previewable, 0);
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_UNSUPPORTED);
        view->DestroyWindow();
    }
    frame->DestroyWindow();
    SetPreviewHost(nullptr);
}
