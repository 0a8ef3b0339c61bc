// The preview of a found file on quick-scan results of the fixture images: the decision table
// (parent, folder, not previewable, too large, same file again), the copies and their names.
#include "results_fixture.h"

#include "engine/attached_disk.h"
#include "engine/recovery_writer.h"
#include "engine/scan_results.h"
#include "support/fixture_images.h"

#include <filesystem>
#include <fstream>

namespace {
using resultstest::ResultsFixture;

class PreviewTest : public ResultsFixture, public ::testing::WithParamInterface<const char*> {
protected:
    void TearDown() override
    {
        DeleteTempFiles(list->PreviewTempFileList());
        list->ClearSets(TRUE);
        ResultsFixture::TearDown();
    }
    // The first intact, undeleted file of the root with a dot in its name, and its manifest entry.
    int FirstFileRow(const testsupport::FixtureImage& img)
    {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->IsFolderRow(row) || list->IsParentRow(row))
                continue;
            const std::u16string name = (LPCWSTR)list->GetItemText(row, 0);
            for (const auto* e : img.EntriesOf(0))
                if (!e->is_dir && !e->deleted && e->intact && e->Parent().empty() && e->Name16() == name &&
                    name.find(u'.') != std::u16string::npos && e->size > 0 && e->size < kPreviewSizeLimit) {
                    entry = e;
                    return row;
                }
        }
        return -1;
    }
    std::u16string Extension(int row)
    {
        CString name = list->GetItemText(row, 0);
        CString ext = name.Mid(name.ReverseFind(u'.'));
        ext.MakeLower();
        return (LPCWSTR)ext;
    }
    const testsupport::FixtureEntry* entry = nullptr;
};

TEST_P(PreviewTest, DecisionTableAndCopies)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam());
    AttachedDisks disks({img.path});
    ASSERT_TRUE(scanresults::QuickScan(img.volumes[0]));
    headless::PumpUntilIdle();
    PreviewTempCounter = 0;
    LastPreviewPath = u"PAth";
    LastPreviewId = (DWORD)-1;
    const int row = FirstFileRow(img);
    ASSERT_GE(row, 0);
    host.previewable.insert(Extension(row));

    // A file: copied into the private temporary folder as tmp0 with its extension, then shown.
    ClickList(RowLabel(row));
    ASSERT_EQ(host.previews.size(), 1u);
    const std::u16string path = host.previews[0].path;
    EXPECT_EQ(host.previews[0].extension, Extension(row));
    EXPECT_EQ(std::filesystem::path(path).filename().u16string(), u"tmp0" + Extension(row));
    EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(path)), entry->size);
    EXPECT_EQ(host.noPreviewItemFlag, 0u);

    // The same file again: nothing written, nothing shown again.
    ClickList(RowLabel(row));
    EXPECT_EQ(host.previews.size(), 1u);

    // "Parent..." and folder rows show the pane's no-preview page.
    list->OpenRow(list->GetItemCount() > 0 && list->IsFolderRow(0) ? 0 : -1);
    if (list->GetItemCount() > 0 && list->IsParentRow(0)) {
        host.previews.clear();
        ClickList(RowLabel(0));
        ASSERT_EQ(host.previews.size(), 1u);
        EXPECT_EQ(host.previews[0].path, u"");
        EXPECT_EQ(host.noPreviewItemFlag, 1u);
        EXPECT_EQ(host.previewableFlag, 0u);
        list->OpenRow(0);
    }
    host.previews.clear();
    for (int r = 0; r < list->GetItemCount(); ++r)
        if (list->IsFolderRow(r)) {
            ClickList(RowLabel(r));
            ASSERT_EQ(host.previews.size(), 1u);
            EXPECT_EQ(host.previews[0].path, u"");
            EXPECT_EQ(host.noPreviewItemFlag, 1u);
            break;
        }

    // By the size column: exactly 5 MiB is copied, one byte more shows the too-large page.
    const int file = FirstFileRow(img);
    struct Case {
        const char16_t* size;
        bool copied;
    };
    for (const Case& c : {Case{u"5242881", false}, Case{u"5242880", true}}) {
        SCOPED_TRACE(std::string(c.copied ? "copied" : "too large"));
        LastPreviewPath = u"PAth";
        list->SetItemText(file, 2, c.size);
        host.previews.clear();
        ClickList(RowLabel(file));
        ASSERT_EQ(host.previews.size(), 1u);
        EXPECT_EQ(host.previews[0].extension, c.copied ? Extension(file) : u".largefile");
    }

    // A file that the pane cannot show is not copied.
    host.previewable.clear();
    host.previews.clear();
    LastPreviewPath = u"PAth";
    ClickList(RowLabel(file));
    ASSERT_FALSE(host.previews.empty());
    EXPECT_EQ(host.previews.back().path, u"");
    EXPECT_EQ(host.previewableFlag, 0u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PreviewTest, ::testing::Values("fat32", "ntfs"));

// Temporary names: numbered from 0 past the files that exist, the extension made safe and lower-cased.
TEST_F(ResultsFixture, TemporaryPreviewNames)
{
    PreviewTempCounter = 0;
    const CString folder = CFoundListCtrl::PreviewFolder();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(std::u16string((LPCWSTR)list->MakeTempPreviewName(u"Photo.JPG")), u"tmp0.jpg");
    std::ofstream(std::filesystem::path(std::u16string((LPCWSTR)(folder + u"tmp0.jpg")))) << "x";
    EXPECT_EQ(std::u16string((LPCWSTR)list->MakeTempPreviewName(u"other.jpg")), u"tmp1.jpg");
    EXPECT_EQ(std::u16string((LPCWSTR)list->MakeTempPreviewName(u"README")), u"tmp1.readme");
    const std::u16string hostile = (LPCWSTR)list->MakeTempPreviewName(u"x.a/../../b");
    EXPECT_EQ(hostile.find(u'/'), std::u16string::npos);
    EXPECT_EQ(hostile.find(u'\\'), std::u16string::npos);
    EXPECT_EQ(list->PreviewTempFiles.GetCount(), 2) << "one entry per number";
    DeleteTempFiles(list->PreviewTempFileList());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(std::u16string((LPCWSTR)(folder + u"tmp0.jpg")))));
}

} // namespace
