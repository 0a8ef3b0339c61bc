// Slides and sheets through the office suite: a presentation's slides as numbered thumbnails and a workbook's
// sheet as a page, the missing, failing and hanging suite, and the limits the suite runs under.
#include "preview/html/html_views.h"
#include "preview/no_preview_view.h"
#include "preview/office_converter.h"
#include "preview/preview_fixture.h"
#include "preview/thumb_view.h"
#include "res/preview/preview_res.h"
#include "support/office_samples.h"
#include "support/pdf_samples.h"
#include "support/support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const char kMissingSuite[] = "/nonexistent/soffice";

// The document the application lists slide folders with: every picture file of the folder, sorted.
class SlideDoc : public CDocument, public IImageFolderDocument {
public:
    SlideDoc() { m_bAutoDelete = FALSE; }
    void OpenImageFolder(LPCWSTR folder) override
    {
        m_folder = folder;
        m_names.clear();
        std::string host;
        dovemark::MapPath(folder, host);
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(host, ec))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& n : names)
            m_names.push_back(CString(n.c_str()));
        for (POSITION pos = GetFirstViewPosition(); pos;)
            if (auto* view = dynamic_cast<CThumbView*>(GetNextView(pos)))
                view->FillThumbnails();
    }
    void DeleteFolderFiles(LPCWSTR folder) override
    {
        std::string host;
        std::error_code ec;
        if (dovemark::MapPath(folder, host))
            for (const auto& e : fs::directory_iterator(host, ec))
                fs::remove(e.path(), ec);
    }
    void SetCurrentImage(int) override {}
    CString GetImageFolder() const override { return m_folder; }
    const std::vector<CString>& GetImageNames() const override { return m_names; }

    CString m_folder;
    std::vector<CString> m_names;
};

class OfficePreviewTest : public PreviewPaneTest {
protected:
    void SetUp() override { CreateFrameAndPane(&slideDoc, &host); }
    void TearDown() override
    {
        PreviewPaneTest::TearDown();
        SetOfficeProgram(kMissingSuite);
        SetOfficeTimeout(60000);
    }
    // A suite that answers every conversion with the file at FAKE_OFFICE_RESULT (or with what `body` does).
    static std::string FakeSuite(const std::string& body)
    {
        const std::string path = testsupport::ScratchDir() + "/soffice";
        std::ofstream(path) << "#!/bin/sh\n"
                               "while [ $# -gt 0 ]; do case \"$1\" in --outdir) out=\"$2\"; shift;; "
                               "--convert-to) format=\"$2\"; shift;; esac; shift; done\n"
                            << body << "\n";
        chmod(path.c_str(), 0755);
        return path;
    }
    CString SlideFolder()
    {
        WCHAR temp[MAX_PATH] = {};
        DWORD n = GetTempPathW(MAX_PATH, temp);
        return CString(temp, int(n)) + u"ssss";
    }
    bool SlideFolderExists()
    {
        std::string host;
        return dovemark::MapPath(SlideFolder(), host) && fs::exists(host);
    }
    CThumbView* Thumbs() { return dynamic_cast<CThumbView*>(pane->m_pThumbView); }

    SlideDoc slideDoc;
};

// The installed suite, or a skip: the samples are made by the suite itself, once per build folder.
std::string SampleOf(const std::string& name, const std::string& flatXml, const char* format)
{
    if (!IsOfficeSuiteAvailable())
        return std::string();
    const fs::path dir = fs::path(testsupport::BinaryDir()) / "office-samples";
    std::error_code ec;
    fs::create_directories(dir, ec);
    const fs::path sample = dir / name;
    // Test programs running side by side make each sample once.
    int lock = open((dir / (name + ".lock")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    while (lock >= 0 && flock(lock, LOCK_EX) < 0 && errno == EINTR) {
    }
    if (!fs::exists(sample)) {
        const std::string flat = testsupport::ScratchDir() + "/" + name + ".flat";
        std::ofstream(flat) << flatXml;
        CString converted;
        std::string host;
        if (ConvertOfficeDocument(CString(flat.c_str()), format, converted) == OfficeResult::kOk &&
            dovemark::MapPath(converted, host)) {
            fs::copy_file(host, dir / (name + ".part"), fs::copy_options::overwrite_existing, ec);
            fs::rename(dir / (name + ".part"), sample, ec);
        }
    }
    if (lock >= 0)
        close(lock);
    return fs::exists(sample) ? sample.string() : std::string();
}

// Every text of the page's elements, in order.
void CollectText(const HtmlElements& list, std::u16string& out)
{
    for (const auto& e : list) {
        if (e->kind == kHtmlText)
            out += std::u16string(e->text.data(), e->text.size());
        CollectText(e->children, out);
    }
}

} // namespace

// One real conversion per kind: the presentation's two slides become thumbnails "1" and "2", the first
// showing its red half; the exported pictures are gone once they are drawn.
TEST_F(OfficePreviewTest, PresentationShowsItsSlidesAsThumbnails)
{
    SetOfficeProgram("");
    const std::string sample = SampleOf("two_slides.ppt", office_samples::FlatPresentation(2), "ppt");
    if (sample.empty())
        GTEST_SKIP() << "the office suite is not installed";
    Preview(CString(sample.c_str()), u".PPT");
    ASSERT_NE(Thumbs(), nullptr);
    EXPECT_EQ(host.ok, 1);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    CListCtrl& list = Thumbs()->GetListCtrl();
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(0, 0), CString(u"1"));
    EXPECT_EQ(list.GetItemText(1, 0), CString(u"2"));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 160, 120);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ImageList_Draw(Thumbs()->m_imageList.GetSafeHandle(), 0, dc, 0, 0, ILD_NORMAL);
    COLORREF top = GetPixel(dc, 80, 30), bottom = GetPixel(dc, 80, 105);
    ImageList_Draw(Thumbs()->m_imageList.GetSafeHandle(), 1, dc, 0, 0, ILD_NORMAL);
    COLORREF second = GetPixel(dc, 80, 30);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(GetRValue(top), 200);
    EXPECT_LT(GetGValue(top), 60);
    EXPECT_GT(GetGValue(bottom), 200) << "the lower half of slide one is white";
    EXPECT_GT(GetGValue(second), 200) << "slide two has no red";
    EXPECT_FALSE(SlideFolderExists());
    SavePicture("office_slides");
}

// The sheet is shown as the suite's page of it, CJK cell included, in the browser view.
TEST_F(OfficePreviewTest, WorkbookShowsItsSheetAsAPage)
{
    SetOfficeProgram("");
    const std::string sample = SampleOf("cjk_sheet.xls", office_samples::FlatSpreadsheet(3), "xls");
    if (sample.empty())
        GTEST_SKIP() << "the office suite is not installed";
    const CString path(sample.c_str());
    Preview(path, u".xls");
    ASSERT_NE(pane->m_pHtmlView, nullptr);
    EXPECT_EQ(host.ok, 1);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(host.path, path);
    CHtmlRenderer* renderer = static_cast<CHtml_View*>(pane->m_pHtmlView)->GetRenderer();
    ASSERT_NE(renderer, nullptr);
    std::u16string text;
    CollectText(renderer->m_pDocument->m_elements, text);
    EXPECT_NE(text.find(u"数据恢复"), std::u16string::npos);
    EXPECT_NE(text.find(u"row"), std::u16string::npos);
    SavePicture("office_sheet");
}

// Without the suite the kinds cannot be previewed here; a suite that fails or overruns its time says the
// file is damaged, and a hanging one is killed at its limit.
TEST_F(OfficePreviewTest, MissingFailingAndHangingSuites)
{
    struct Case {
        const char* name;
        std::string program;
        UINT picture;
    };
    const Case cases[] = {
        {"missing", kMissingSuite, IDB_PREVIEW_UNSUPPORTED},
        {"fails", FakeSuite("exit 1"), IDB_PREVIEW_DAMAGED},
        {"writes nothing", FakeSuite("exit 0"), IDB_PREVIEW_DAMAGED},
        {"hangs", FakeSuite("sleep 30 & wait"), IDB_PREVIEW_DAMAGED},
    };
    SetOfficeTimeout(300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetOfficeProgram(c.program);
        for (const char* extension : {".ppt", ".xls"}) {
            SCOPED_TRACE(extension);
            const CString file = WriteFile(std::string("document") + extension, "not a document");
            const auto start = std::chrono::steady_clock::now();
            Preview(file, CString(extension));
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
            EXPECT_EQ(pane->m_pThumbView, nullptr);
            ASSERT_NE(pane->m_pNoPreviewView, nullptr);
            EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), c.picture);
        }
    }
}

// Presentations of more than nine slides keep their order; a PDF that is no document shows nothing.
TEST_F(OfficePreviewTest, SlidePicturesFollowThePages)
{
    const std::string pdf = testsupport::ScratchDir() + "/pages.pdf";
    std::ofstream(pdf, std::ios::binary) << pdf_samples::WritePdf(12, 400, 300, "0 0 1 rg 0 0 400 300 re f");
    setenv("FAKE_OFFICE_RESULT", pdf.c_str(), 1);
    SetOfficeProgram(FakeSuite("cp \"$FAKE_OFFICE_RESULT\" \"$out/document.$format\""));
    const CString file = WriteFile("deck.ppt", "deck");
    Preview(file, u".ppt");
    ASSERT_NE(Thumbs(), nullptr);
    ASSERT_EQ(Thumbs()->GetListCtrl().GetItemCount(), 12);
    ASSERT_EQ(slideDoc.m_names.size(), 12u);
    EXPECT_EQ(slideDoc.m_names[9], CString(u"slide010.png"));
    EXPECT_EQ(Thumbs()->GetListCtrl().GetItemText(11, 0), CString(u"12"));
    EXPECT_FALSE(SlideFolderExists());

    std::ofstream(pdf, std::ios::binary | std::ios::trunc) << "%PDF-1.4 nothing";
    Preview(file, u".ppt");
    EXPECT_EQ(pane->m_pThumbView, nullptr);
    ASSERT_NE(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
    EXPECT_FALSE(SlideFolderExists());
    unsetenv("FAKE_OFFICE_RESULT");
}

// The suite runs with a home of its own, without the user's display, and reaches no network where the system
// lets it have a network of its own.
TEST_F(OfficePreviewTest, SuiteRunsIsolated)
{
    const std::string report = testsupport::ScratchDir() + "/report";
    setenv("FAKE_OFFICE_REPORT", report.c_str(), 1);
    setenv("DISPLAY", ":99", 1);
    SetOfficeProgram(FakeSuite("echo \"home=$HOME display=$DISPLAY\" > \"$FAKE_OFFICE_REPORT\"\n"
                               "grep -c : /proc/net/dev >> \"$FAKE_OFFICE_REPORT\"\n"
                               "echo x > \"$out/document.$format\""));
    CString converted;
    EXPECT_EQ(ConvertOfficeDocument(WriteFile("sheet.xls", "sheet"), "html", converted), OfficeResult::kOk);
    unsetenv("DISPLAY");
    unsetenv("FAKE_OFFICE_REPORT");
    EXPECT_EQ(converted.Right(14), CString(u"\\document.html"));
    std::ifstream in(report);
    std::string line, interfaces;
    std::getline(in, line);
    std::getline(in, interfaces);
    EXPECT_NE(line.find("/office/home display="), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.size() - 8), "display=") << line;
    // Only the loopback device lives in a network namespace of its own.
    if (std::system("/usr/bin/unshare --map-current-user --net -- /bin/true 2>/dev/null") == 0) {
        EXPECT_EQ(interfaces, "1");
    }
}
