// The picture views in the pane: every raster format shows, geometry follows the picture's ratio, icons
// load as OLE pictures, and damaged or oversized files show the damaged page.
#include "preview/image_view.h"
#include "preview/no_preview_view.h"
#include "preview/ole_picture_view.h"
#include "preview/preview_image.h"
#include "res/preview/preview_res.h"
#include "support/allocation_probe.h"
#include "support/image_samples.h"
#include "preview/preview_fixture.h"

namespace s = image_samples;

namespace {

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// A 640 × 480 bitmap of the screen's kind, filled with one colour, for a view to draw itself into.
class ViewCanvas {
public:
    explicit ViewCanvas(COLORREF fill = RGB(255, 255, 255))
    {
        CClientDC screen(nullptr);
        mem.CreateCompatibleDC(&screen);
        m_target.CreateCompatibleBitmap(&screen, 640, 480);
        m_old = mem.SelectObject(&m_target);
        mem.FillSolidRect(0, 0, 640, 480, fill);
    }
    ~ViewCanvas() { mem.SelectObject(m_old); }
    COLORREF At(int x, int y) { return mem.GetPixel(x, y); }

    CDC mem;

private:
    CBitmap m_target;
    CBitmap* m_old = nullptr;
};

// The view drawn into a white 640 × 480 bitmap; the box of non-white pixels is returned.
CRect DrawnBox(CView* view)
{
    ViewCanvas canvas;
    view->OnDraw(&canvas.mem);
    CRect box(640, 480, 0, 0);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (canvas.At(x, y) != RGB(255, 255, 255)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

TEST_F(PreviewPaneTest, EveryRasterFormatShowsInTheImageView)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {
        {"a.bmp", s::Bmp(5, 4, 8)}, {"b.JPG", s::Jpeg(5, 4)}, {"c.png", s::Png(5, 4)},   {"d.tif", s::Tiff(5, 4)},
        {"e.tga", s::Tga(5, 4, true)}, {"f.pcx", s::Pcx(5, 4)}, {"g.ppm", s::Pnm(5, 4, false)}, {"h.j2k", s::J2k(5, 4)},
    };
    for (const Case& c : cases) {
        CString path = WriteFile(c.name, Bytes(c.data));
        CString ext = path.Mid(path.ReverseFind(u'.'));
        Preview(path, ext);
        EXPECT_NE(pane->m_pImageView, nullptr) << c.name;
        EXPECT_EQ(pane->m_pNoPreviewView, nullptr) << c.name;
        EXPECT_EQ(host.ok, 1) << c.name;
    }
    SavePicture("image");
}

TEST_F(PreviewPaneTest, ImageViewKeepsTheRatioAroundAFixedCentre)
{
    struct Case {
        int w, h;
        CRect box; // for a 640-pixel-wide view: centre x 320
    };
    const Case cases[] = {
        {4, 4, CRect(220, 10, 420, 210)}, // square: 200 × 200, top at 10
        {4, 3, CRect(220, 22, 420, 197)}, // 4:3: 200 × 175, top at 22
    };
    for (const Case& c : cases) {
        Preview(WriteFile("ratio.bmp", Bytes(s::Bmp(c.w, c.h, 24))), u".bmp");
        ASSERT_NE(pane->m_pImageView, nullptr);
        pane->m_pImageView->MoveWindow(0, 0, 640, 480);
        const CRect box = DrawnBox(pane->m_pImageView);
        EXPECT_EQ(box, c.box) << c.w << "x" << c.h << ": " << box.left << "," << box.top << "," << box.right << ","
                              << box.bottom;
    }
}

// A picture shrunk into the view keeps its colours: each drawn pixel matches the average of the source pixels
// it covers (no palette colours, no ANDed channels), whatever stretch mode the DC had.
TEST_F(PreviewPaneTest, ShrunkPicturesKeepTheirColours)
{
    const int w = 310, h = 350; // drawn 200 × 212: both sides shrink by odd ratios
    auto colour = [](int x, int y) -> uint32_t {
        return uint32_t(30 + x * 200 / (w - 1)) << 16 | uint32_t(40 + y * 190 / (h - 1)) << 8 |
               uint32_t(60 + (x + y) * 150 / (w + h));
    };
    Preview(WriteFile("gradient.bmp", Bytes(s::Bmp24(w, h, colour))), u".bmp");
    ASSERT_NE(pane->m_pImageView, nullptr);
    pane->m_pImageView->MoveWindow(0, 0, 640, 480);
    for (int mode : {BLACKONWHITE, COLORONCOLOR, WHITEONBLACK}) {
        ViewCanvas canvas(RGB(0, 0, 0));
        ::SetStretchBltMode(canvas.mem.m_hDC, mode);
        pane->m_pImageView->OnDraw(&canvas.mem);
        const float r = float(h) / float(w);
        const int dh = int(r * 100) + 100, left = 320 - 100, top = (120 - int(r * 100)) / 2;
        int bad = 0;
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < 200; ++x) {
                // The reference: the mean of the source block the pixel covers.
                const int x0 = x * w / 200, x1 = std::max(x0 + 1, (x + 1) * w / 200);
                const int y0 = y * h / dh, y1 = std::max(y0 + 1, (y + 1) * h / dh);
                int sum[3] = {}, n = 0;
                for (int sy = y0; sy < y1; ++sy)
                    for (int sx = x0; sx < x1; ++sx, ++n)
                        for (int c = 0; c < 3; ++c)
                            sum[c] += int(colour(sx, sy) >> (16 - 8 * c) & 0xFF);
                const COLORREF got = canvas.At(left + x, top + y);
                const int channels[3] = {GetRValue(got), GetGValue(got), GetBValue(got)};
                bool close = true;
                for (int c = 0; c < 3; ++c)
                    close = close && std::abs(channels[c] - sum[c] / n) <= 6;
                if (!close && bad++ < 3)
                    ADD_FAILURE() << "mode " << mode << " at " << x << "," << y << " got " << std::hex << got;
            }
        EXPECT_EQ(bad, 0) << "mode " << mode;
        EXPECT_EQ(::GetStretchBltMode(canvas.mem.m_hDC), mode) << "the view's DC keeps its mode";
    }
}

// TGA pictures stored from the top or from the bottom both show upright: each of the sample's pixels, drawn as a
// 40 × 45 cell, has its own colour.
TEST_F(PreviewPaneTest, TgaPicturesShowUprightFromEitherOrigin)
{
    for (bool bottomLeft : {false, true})
        for (bool rle : {false, true}) {
            Preview(WriteFile("origin.tga", Bytes(s::Tga(5, 4, rle, bottomLeft))), u".tga");
            ASSERT_NE(pane->m_pImageView, nullptr);
            pane->m_pImageView->MoveWindow(0, 0, 640, 480);
            ViewCanvas canvas;
            pane->m_pImageView->OnDraw(&canvas.mem);
            // 5 × 4 drawn 200 × 180 from (220, 20).
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 5; ++x) {
                    const uint32_t want = s::SampleColour(x, y);
                    EXPECT_EQ(canvas.At(220 + 40 * x + 20, 20 + 45 * y + 22),
                              RGB(want >> 16 & 0xFF, want >> 8 & 0xFF, want & 0xFF))
                        << (bottomLeft ? "bottom-left" : "top-left") << (rle ? " rle" : "") << " at " << x << "," << y;
                }
        }
}

// The picture is read once: a repaint after the file went away still shows it, in the same place.
TEST_F(PreviewPaneTest, ImageViewRepaintsWithoutReadingTheFileAgain)
{
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"photo.jpg", s::Jpeg(400, 300)}, {"plain.bmp", s::Bmp(8, 6, 24)}, {"clear.png", s::Png(8, 6)}};
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(name);
        const CString path = WriteFile(name, Bytes(data));
        Preview(path, path.Mid(path.ReverseFind(u'.')));
        ASSERT_NE(pane->m_pImageView, nullptr);
        pane->m_pImageView->MoveWindow(0, 0, 640, 480);
        const CRect first = DrawnBox(pane->m_pImageView);
        EXPECT_EQ(first, CRect(220, 22, 420, 197));
        ASSERT_EQ(::DeleteFileW(path), TRUE);
        EXPECT_EQ(DrawnBox(pane->m_pImageView), first);
        EXPECT_EQ(host.ok, 1);
    }
}

// A JPEG larger than the view's box is decoded reduced, yet shows as the whole picture shrunk into the box does.
TEST_F(PreviewPaneTest, AReducedJpegShowsAsTheWholePictureDoes)
{
    const int w = 800, h = 600; // drawn 200 × 175 from (220, 22)
    const std::vector<uint8_t> jpeg = s::Jpeg(w, h, 95, [](int x, int y) {
        return uint32_t(20 + x * 200 / w) << 16 | uint32_t(30 + y * 200 / h) << 8 | uint32_t(40 + (x + y) * 180 / (w + h));
    });
    const CString path = WriteFile("large.jpg", Bytes(jpeg));
    Preview(path, u".jpg");
    ASSERT_NE(pane->m_pImageView, nullptr);
    pane->m_pImageView->MoveWindow(0, 0, 640, 480);
    ViewCanvas shown, whole;
    pane->m_pImageView->OnDraw(&shown.mem);
    CPreviewImage full(path, PreviewImageType(path));
    ASSERT_TRUE(full.Stretch(whole.mem.m_hDC, 220, 22, 200, 175));
    int worst = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const COLORREF a = shown.At(x, y), b = whole.At(x, y);
            worst = std::max({worst, std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                              std::abs(GetBValue(a) - GetBValue(b))});
        }
    EXPECT_LE(worst, 4);
}

// A picture far taller than wide is drawn in proportion without a copy of it many screens long being made.
TEST_F(PreviewPaneTest, AVeryTallPictureIsDrawnWithoutAScreensLongCopy)
{
    const CString path = WriteFile("tall.bmp", Bytes(s::Bmp(2, 600, 24)));
    CRect box;
    const auto counted = testsupport::CountAllocationsDuring([&] {
        Preview(path, u".bmp");
        ASSERT_NE(pane->m_pImageView, nullptr);
        pane->m_pImageView->MoveWindow(0, 0, 640, 480);
        box = DrawnBox(pane->m_pImageView);
    });
    EXPECT_EQ(box, CRect(220, 0, 420, 480));
    EXPECT_LT(counted.largest, size_t(16) << 20);
    EXPECT_EQ(host.ok, 1);
}

TEST_F(PreviewPaneTest, MetafilesPlayInThePictureView)
{
    Preview(WriteFile("drawing.emf", Bytes(s::Emf(40, 20))), u".EMF");
    ASSERT_NE(pane->m_pPictureView, nullptr);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(host.ok, 1);
    auto* view = static_cast<CTextView*>(pane->m_pPictureView);
    EXPECT_EQ(view->m_cxPicture, 40);
    EXPECT_EQ(view->m_cyPicture, 20);
    SHORT type = 0;
    DWORD attributes = 0;
    ASSERT_NE(view->m_pPicture, nullptr);
    view->m_pPicture->get_Type(&type);
    view->m_pPicture->get_Attributes(&attributes);
    EXPECT_EQ(type, PICTYPE_ENHMETAFILE);
    EXPECT_EQ(attributes, DWORD(PICTURE_SCALABLE | PICTURE_TRANSPARENT));
    // Stretched over the view inset by 200 and 10: the red left half and the blue right half.
    view->MoveWindow(0, 0, 640, 480);
    {
        ViewCanvas canvas;
        view->OnDraw(&canvas.mem);
        EXPECT_EQ(canvas.At(260, 240), RGB(255, 0, 0));
        EXPECT_EQ(canvas.At(380, 240), RGB(0, 0, 255));
    }
    SavePicture("emf");
}

TEST_F(PreviewPaneTest, IconsLoadAsOlePictures)
{
    Preview(WriteFile("app.ico", Bytes(s::Ico(5, 4))), u".ico");
    ASSERT_NE(pane->m_pPictureView, nullptr);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    auto* view = static_cast<CTextView*>(pane->m_pPictureView);
    EXPECT_EQ(view->m_cxPicture, 5);
    EXPECT_EQ(view->m_cyPicture, 4);
    view->MoveWindow(0, 0, 640, 480);
    // The picture fills the view inset by 200 left and right and 10 top and bottom.
    const CRect box = DrawnBox(view);
    EXPECT_EQ(box, CRect(200, 10, 440, 470)) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
}

// Damaged, cut, empty and oversized pictures, and metafiles that cannot be played, show the damaged page.
TEST_F(PreviewPaneTest, DamagedPicturesShowTheDamagedPage)
{
    std::string hugeBmp = Bytes(s::Bmp(4, 4, 24));
    hugeBmp[18] = char(0x31);
    hugeBmp[19] = char(0x75); // 30001 wide
    const std::pair<const char*, std::string> cases[] = {
        {"empty.png", ""},
        {"cut.jpg", Bytes(s::Jpeg(5, 4)).substr(0, 20)},
        {"cut.bmp", Bytes(s::Bmp(5, 4, 24)).substr(0, 60)},
        {"huge.bmp", hugeBmp},
        {"noise.tga", std::string(40, '\x7f')},
        {"cut.ico", Bytes(s::Ico(5, 4)).substr(0, 30)},
        {"empty.emf", ""},
    };
    for (const auto& [name, bytes] : cases) {
        CString path = WriteFile(name, bytes);
        Preview(path, path.Mid(path.ReverseFind(u'.')));
        ASSERT_NE(pane->m_pNoPreviewView, nullptr) << name;
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED) << name;
    }
    SavePicture("picture_damaged");
}

TEST(PreviewImageType, OnlyDecodableFormatsHaveATypeId)
{
    EXPECT_EQ(PreviewImageType(u"/tmp/x/PHOTO.JPEG"), 3);
    EXPECT_EQ(PreviewImageType(u"a.jpc"), 12);
    EXPECT_EQ(PreviewImageType(u"a.wmf"), 10);
    EXPECT_EQ(PreviewImageType(u"a.Wbmp"), 9);
    EXPECT_EQ(PreviewImageType(u"a.pgx"), 13);
    EXPECT_EQ(PreviewImageType(u"a.ras"), 15);
    EXPECT_EQ(PreviewImageType(u"a.webp"), 0);
    EXPECT_EQ(PreviewImageType(u"folder.png/file"), 0);
    EXPECT_EQ(PreviewImageType(u"noextension"), 0);
}

} // namespace
