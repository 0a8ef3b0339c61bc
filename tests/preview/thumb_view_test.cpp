// The thumbnail view: each picture of the folder scaled into its 160 x 120 cell by its ratio, numbered
// captions, an empty cell for a file that does not decode, and the slide folder removed once they are drawn.
#include "preview/preview_fixture.h"
#include "preview/thumb_view.h"
#include "support/image_samples.h"
#include "support/support.h"

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

namespace s = image_samples;

// A document that lists the names it is given, as the application's lists a folder.
class FolderDoc : public CDocument, public IImageFolderDocument {
public:
    FolderDoc() { m_bAutoDelete = FALSE; }
    void OpenImageFolder(LPCWSTR folder) override
    {
        m_folder = folder;
        for (POSITION pos = GetFirstViewPosition(); pos;)
            if (auto* view = dynamic_cast<CThumbView*>(GetNextView(pos)))
                view->FillThumbnails();
    }
    void DeleteFolderFiles(LPCWSTR folder) override
    {
        for (const CString& name : m_names)
            ::DeleteFileW(CString(folder) + u"\\" + name);
    }
    void SetCurrentImage(int n) override {}
    CString GetImageFolder() const override { return m_folder; }
    const std::vector<CString>& GetImageNames() const override { return m_names; }

    CString m_folder;
    std::vector<CString> m_names;
};

class ThumbViewTest : public PreviewPaneTest {
protected:
    void SetUp() override { CreateFrameAndPane(&folderDoc, &host); }
    FolderDoc folderDoc;
};

// Pixel (x, y) of thumbnail i, drawn from the image list.
COLORREF ThumbPixel(CImageList& images, int i, int x, int y)
{
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 160, 120);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, 160, 120};
    ::FillRect(dc, &all, (HBRUSH)::GetStockObject(GRAY_BRUSH));
    ImageList_Draw(images.GetSafeHandle(), i, dc, 0, 0, ILD_NORMAL);
    COLORREF c = ::GetPixel(dc, x, y);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return c;
}

bool IsPicture(COLORREF c) { return GetBValue(c) == 200; }
const COLORREF kWhite = RGB(255, 255, 255);

} // namespace

TEST_F(ThumbViewTest, EachPictureFillsItsCellByItsRatio)
{
    const std::string dir = testsupport::ScratchDir() + "/ssss";
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        POINT outside, inside;  // a pixel of the white margin and one of the picture
    };
    const Case cases[] = {
        {"slide1.bmp", s::Bmp(40, 30, 24), {-1, -1}, {1, 1}},     // 4:3 fills the cell
        {"slide2.bmp", s::Bmp(30, 30, 24), {19, 60}, {21, 60}},   // square: 120 x 120 at x = 20
        {"slide3.bmp", s::Bmp(30, 60, 24), {49, 60}, {51, 60}},   // tall: 60 x 120 at x = 50
        {"slide4.bmp", s::Bmp(60, 20, 24), {80, 32}, {80, 34}},   // wide: 160 x 53 at y = 33
        {"slide5.bmp", {'B', 'M', 0, 0}, {-1, -1}, {-1, -1}},       // does not decode: an empty cell
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(s::WriteFile(dir + "/" + c.name, c.bytes));
        folderDoc.m_names.push_back(CString(c.name));
    }

    CString folder(dir.c_str());
    pane->ShowThumbnails(folder);
    headless::PumpUntilIdle();
    auto* view = dynamic_cast<CThumbView*>(pane->m_pThumbView);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->IsWindowVisible());
    EXPECT_EQ(host.path, folder);
    CListCtrl& list = view->GetListCtrl();
    ASSERT_EQ(list.GetItemCount(), 5);
    ASSERT_EQ(view->m_imageList.GetImageCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list.GetItemText(i, 0), CString(std::to_string(i + 1).c_str()));
        const Case& c = cases[i];
        if (c.inside.x < 0) {
            EXPECT_NE(ThumbPixel(view->m_imageList, i, 80, 60), kWhite) << c.name;
            continue;
        }
        EXPECT_EQ(ThumbPixel(view->m_imageList, i, 0, 0), RGB(0, 0, 0)) << c.name;
        EXPECT_TRUE(IsPicture(ThumbPixel(view->m_imageList, i, c.inside.x, c.inside.y))) << c.name;
        if (c.outside.x >= 0) {
            EXPECT_EQ(ThumbPixel(view->m_imageList, i, c.outside.x, c.outside.y), kWhite) << c.name;
        }
    }
    SavePicture("thumbnails");
    // The exported slides are gone; their thumbnails stay.
    struct stat st {};
    EXPECT_NE(stat(dir.c_str(), &st), 0);
    EXPECT_TRUE(IsPicture(ThumbPixel(view->m_imageList, 1, 60, 60)));
}
