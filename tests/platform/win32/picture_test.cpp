// OLE pictures from files and memory streams: size in HIMETRIC, upright rendering, refusal of damaged data.
#include "win32/picture.h"

#include "support/allocation_probe.h"
#include "support/image_samples.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "win32/kernel.h"
#include "win32/user.h"
#include "win32/kernel/util.h"

namespace s = image_samples;

namespace {

std::u16string Wide(const std::string& path) { return dovemark::kernel::Utf8ToUtf16(path); }

// The picture drawn upright over a w × h bitmap of 32 bits filled with `fill`; returns the colour at (x, y).
COLORREF RenderedPixel(IPicture* picture, int w, int h, int x, int y, int fill = WHITE_BRUSH)
{
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    ::FillRect(dc, &all, HBRUSH(::GetStockObject(fill)));
    LONG hmW = 0, hmH = 0;
    picture->get_Width(&hmW);
    picture->get_Height(&hmH);
    EXPECT_EQ(picture->Render(dc, 0, 0, w, h, 0, hmH, hmW, -hmH, nullptr), S_OK);
    COLORREF c = ::GetPixel(dc, x, y);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return c;
}

TEST(OlePicture, LoadsFilesByPathWithTheirHimetricSize)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {{"a.bmp", s::Bmp(5, 4, 24)}, {"b.tga", s::Tga(5, 4, true)}, {"c.ico", s::Ico(5, 4)}};
    for (const Case& c : cases) {
        const std::string path = testsupport::ScratchDir() + "/" + c.name;
        ASSERT_TRUE(s::WriteFile(path, c.data));
        IPicture* picture = nullptr;
        std::u16string wide = Wide(path);
        ASSERT_EQ(OleLoadPicturePath(wide.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture)),
                  S_OK)
            << c.name;
        LONG hmW = 0, hmH = 0;
        picture->get_Width(&hmW);
        picture->get_Height(&hmH);
        // 5 and 4 pixels at 96 DPI, rounded to the nearest hundredth of a millimetre.
        EXPECT_EQ(hmW, 132);
        EXPECT_EQ(hmH, 106);
        OLE_HANDLE handle = 0;
        EXPECT_EQ(picture->get_Handle(&handle), S_OK);
        EXPECT_NE(handle, 0u);
        // The sample's top row is green 0; its bottom row green 180: the picture must not come out mirrored.
        const uint32_t top = s::SampleColour(2, 0), bottom = s::SampleColour(2, 3);
        EXPECT_EQ(RenderedPixel(picture, 5, 4, 2, 0), RGB(top >> 16 & 0xFF, top >> 8 & 0xFF, top & 0xFF)) << c.name;
        EXPECT_EQ(RenderedPixel(picture, 5, 4, 2, 3), RGB(bottom >> 16 & 0xFF, bottom >> 8 & 0xFF, bottom & 0xFF))
            << c.name;
        EXPECT_EQ(picture->Release(), 0u);
    }
}

TEST(OlePicture, LoadsFromAMemoryStreamAndRefusesDamagedData)
{
    std::vector<uint8_t> png = s::Png(3, 2);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, png.size());
    std::memcpy(::GlobalLock(memory), png.data(), png.size());
    ::GlobalUnlock(memory);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, TRUE, &stream), S_OK);
    IPicture* picture = nullptr;
    ASSERT_EQ(OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture)), S_OK);
    LONG hmW = 0;
    picture->get_Width(&hmW);
    EXPECT_EQ(hmW, 79);
    picture->Release();

    // The stream is at its end now: nothing is left to decode.
    EXPECT_EQ(OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture)), CTL_E_INVALIDPICTURE);
    EXPECT_EQ(picture, nullptr);
    // A stream written by the caller grows its memory and reads back what was written.
    IStream* grown = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &grown), S_OK);
    ULONG put = 0;
    EXPECT_EQ(grown->Write(png.data(), ULONG(png.size() / 2), &put), S_OK);
    LARGE_INTEGER zero{};
    grown->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(OleLoadPicture(grown, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture)), CTL_E_INVALIDPICTURE);
    EXPECT_EQ(grown->Release(), 0u);
    EXPECT_EQ(stream->Release(), 0u);

    const std::string missing = testsupport::ScratchDir() + "/missing.png";
    std::u16string wide = Wide(missing);
    EXPECT_TRUE(FAILED(OleLoadPicturePath(wide.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture))));
    const std::string empty = testsupport::ScratchDir() + "/empty.emf";
    s::WriteFile(empty, {});
    wide = Wide(empty);
    EXPECT_EQ(OleLoadPicturePath(wide.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture)),
              CTL_E_INVALIDPICTURE);
}

IPicture* LoadFromFile(const char* name, const std::vector<uint8_t>& data)
{
    const std::string path = testsupport::ScratchDir() + "/" + name;
    EXPECT_TRUE(s::WriteFile(path, data));
    IPicture* picture = nullptr;
    std::u16string wide = Wide(path);
    EXPECT_EQ(OleLoadPicturePath(wide.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture)), S_OK);
    return picture;
}

// A GIF frame on a larger screen draws as the frame on the white backdrop, before and after its whole bitmap
// is asked for; a screen of 64 million pixels around one pixel is drawn without ever being made.
TEST(OlePicture, AGifFrameOnALargerScreenDrawsOnItsBackdrop)
{
    IPicture* picture = LoadFromFile("frame.gif", s::Gif(2, 2, 6, 5, 3, 2));
    ASSERT_NE(picture, nullptr);
    int w = 0, h = 0;
    ASSERT_TRUE(dovemark::PicturePixelSize(picture, w, h));
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 5);
    for (bool whole : {false, true}) {
        if (whole) {
            OLE_HANDLE handle = 0;
            ASSERT_EQ(picture->get_Handle(&handle), S_OK);
            BITMAP info{};
            ASSERT_TRUE(::GetObjectW(HBITMAP(uintptr_t(handle)), sizeof info, &info));
            EXPECT_EQ(info.bmWidth, 6);
            EXPECT_EQ(std::abs(info.bmHeight), 5);
        }
        // Four times its size over black: the frame's pixels at (12..20, 8..16), white everywhere else.
        for (auto [x, y, want] : {std::tuple{13, 9, s::SampleColour(0, 0)}, std::tuple{19, 15, s::SampleColour(1, 1)},
                                  std::tuple{1, 1, 0xFFFFFFFFu}, std::tuple{23, 19, 0xFFFFFFFFu},
                                  std::tuple{11, 9, 0xFFFFFFFFu}}) {
            const COLORREF c = RenderedPixel(picture, 24, 20, x, y, BLACK_BRUSH);
            EXPECT_EQ(RGB(want >> 16 & 0xFF, want >> 8 & 0xFF, want & 0xFF), c) << whole << " at " << x << "," << y;
        }
    }
    picture->Release();

    const auto counted = testsupport::CountAllocationsDuring([&] {
        picture = LoadFromFile("screen.gif", s::HugeScreenGif());
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(RenderedPixel(picture, 64, 64, 40, 40, BLACK_BRUSH), RGB(255, 255, 255));
        picture->Release();
    });
    EXPECT_LT(counted.total, uint64_t(4) << 20);
}

// A picture loaded for a box decodes a JPEG only as large as the box needs (whole eighths of its size), yet
// reports its full size; formats that cannot scale while decoding, and boxes as large as the picture, come
// whole.
TEST(OlePicture, LoadsForABoxNoLargerThanItNeeds)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        SIZE full, box, decoded;
    };
    const Case cases[] = {
        {"short.jpg", s::Jpeg(800, 600), {800, 600}, {200, 175}, {300, 225}}, // three eighths: tall enough
        {"exact.jpg", s::Jpeg(800, 600), {800, 600}, {100, 75}, {100, 75}},   // an eighth covers it exactly
        {"odd.jpg", s::Jpeg(801, 601), {801, 601}, {100, 75}, {101, 76}},     // reduced sizes round up
        {"small.jpg", s::Jpeg(160, 120), {160, 120}, {200, 175}, {160, 120}}, // smaller than the box
        {"whole.png", s::Png(800, 600), {800, 600}, {200, 175}, {800, 600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = testsupport::ScratchDir() + "/" + c.name;
        ASSERT_TRUE(s::WriteFile(path, c.data));
        IPicture* picture = nullptr;
        SIZE asked{};
        const auto box = [&](int w, int h) {
            asked = {w, h};
            return c.box;
        };
        ASSERT_EQ(dovemark::LoadPicturePathForBox(Wide(path).c_str(), box, &picture), S_OK);
        OLE_HANDLE handle = 0;
        BITMAP bm{};
        picture->get_Handle(&handle);
        ASSERT_TRUE(::GetObjectW(HBITMAP(uintptr_t(handle)), sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, c.decoded.cx);
        EXPECT_EQ(std::abs(bm.bmHeight), c.decoded.cy);
        if (std::string(c.name).find(".jpg") != std::string::npos) {
            EXPECT_EQ(asked.cx, c.full.cx);
            EXPECT_EQ(asked.cy, c.full.cy);
        }
        int w = 0, h = 0;
        ASSERT_TRUE(dovemark::PicturePixelSize(picture, w, h));
        EXPECT_EQ(w, c.full.cx);
        EXPECT_EQ(h, c.full.cy);
        EXPECT_EQ(picture->Release(), 0u);
    }
}

} // namespace
