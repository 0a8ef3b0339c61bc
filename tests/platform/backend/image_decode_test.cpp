// The picture decoders: every format round-trips a small sample; damaged and oversized files are refused.
#include "backend/images/image_decode.h"
#include "support/allocation_probe.h"
#include "support/image_samples.h"
#include "win32/picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>


using namespace backend;
namespace s = image_samples;

namespace {

constexpr int kW = 5, kH = 4;

struct FormatCase {
    const char* name;
    std::function<std::vector<uint8_t>()> write;
    ImageFormat hint;
    int tolerance;  // lossy codecs come back close, not equal
    bool ownReader; // a cut file must be refused, not shown partly
};

const FormatCase kFormats[] = {
    {"bmp8", [] { return s::Bmp(kW, kH, 8); }, ImageFormat::Bmp, 0, true},
    {"bmp24", [] { return s::Bmp(kW, kH, 24); }, ImageFormat::Bmp, 0, true},
    {"bmp32", [] { return s::Bmp(kW, kH, 32); }, ImageFormat::Bmp, 0, true},
    {"ico", [] { return s::Ico(kW, kH); }, ImageFormat::Ico, 0, true},
    {"tga", [] { return s::Tga(kW, kH, false); }, ImageFormat::Tga, 0, true},
    {"tga_rle", [] { return s::Tga(kW, kH, true); }, ImageFormat::Tga, 0, true},
    {"tga_bottom_left", [] { return s::Tga(kW, kH, false, true); }, ImageFormat::Tga, 0, true},
    {"tga_rle_bottom_left", [] { return s::Tga(kW, kH, true, true); }, ImageFormat::Tga, 0, true},
    {"sun_raster", [] { return s::SunRaster(kW, kH, false); }, ImageFormat::Unknown, 0, true},
    {"sun_raster_rle", [] { return s::SunRaster(kW, kH, true); }, ImageFormat::Unknown, 0, true},
    {"pcx", [] { return s::Pcx(kW, kH); }, ImageFormat::Pcx, 0, true},
    {"ppm", [] { return s::Pnm(kW, kH, false); }, ImageFormat::Pnm, 0, true},
    {"ppm_ascii", [] { return s::Pnm(kW, kH, true); }, ImageFormat::Pnm, 0, false},
    {"png", [] { return s::Png(kW, kH); }, ImageFormat::Unknown, 0, false},
    {"jpeg", [] { return s::Jpeg(kW, kH); }, ImageFormat::Unknown, 40, false},
    {"gif", [] { return s::Gif(kW, kH); }, ImageFormat::Unknown, 0, false},
    {"tiff", [] { return s::Tiff(kW, kH); }, ImageFormat::Unknown, 0, false},
    {"webp", [] { return s::WebP(kW, kH); }, ImageFormat::Unknown, 0, false},
    {"j2k", [] { return s::J2k(kW, kH); }, ImageFormat::Unknown, 0, false},
};

class ImageDecodeTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ImageDecodeTest, DecodesTheSample)
{
    const FormatCase& c = GetParam();
    std::vector<uint8_t> file = c.write();
    DecodedImage image;
    ASSERT_TRUE(DecodeImage(file.data(), file.size(), c.hint, image)) << c.name;
    ASSERT_EQ(image.width, kW);
    ASSERT_EQ(image.height, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t got = image.pixels[size_t(y) * kW + x], want = s::SampleColour(x, y);
            for (int shift : {0, 8, 16, 24})
                EXPECT_LE(std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)), c.tolerance)
                    << c.name << " at " << x << "," << y << " got " << std::hex << got << " want " << want;
        }
}

// Every cut of the file, the empty one included, is decoded without a fault; the own readers refuse them all.
TEST_P(ImageDecodeTest, CutFilesAreRefusedSafely)
{
    const FormatCase& c = GetParam();
    std::vector<uint8_t> file = c.write();
    for (size_t n = 0; n < file.size(); ++n) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + n);
        DecodedImage image;
        const bool ok = DecodeImage(cut.data(), cut.size(), c.hint, image);
        if (c.ownReader) {
            EXPECT_FALSE(ok) << c.name << " cut at " << n;
        }
        if (!ok)
            EXPECT_TRUE(image.pixels.empty());
        else
            EXPECT_EQ(image.pixels.size(), size_t(image.width) * image.height);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageDecodeTest, ::testing::ValuesIn(kFormats));

// The largest single allocation made while `f` runs; 0 when the build cannot tell (no AddressSanitizer).
size_t LargestAllocationDuring(const std::function<void()>& f) { return testsupport::CountAllocationsDuring(f).largest; }

void Set16(std::vector<uint8_t>& v, size_t at, unsigned x, bool bigEndian = false)
{
    v[at + (bigEndian ? 1 : 0)] = uint8_t(x);
    v[at + (bigEndian ? 0 : 1)] = uint8_t(x >> 8);
}

// A small file that claims a huge picture is refused before anything of that size is allocated.
TEST(ImageDecodeCaps, HugeDimensionsAreRefused)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        ImageFormat hint;
    };
    std::vector<Case> cases;
    {
        auto f = s::Bmp(kW, kH, 24);
        Set16(f, 18, 30001); // width beyond the dimension cap
        cases.push_back({"bmp width", f, ImageFormat::Bmp});
        f = s::Bmp(kW, kH, 24);
        Set16(f, 18, 20000);
        Set16(f, 22, 20000); // each side allowed, the area is not
        cases.push_back({"bmp area", f, ImageFormat::Bmp});
        f = s::Bmp(kW, kH, 24);
        f[22] = 0;
        f[23] = 0;
        f[24] = 0;
        f[25] = 0x80; // height −2^31
        cases.push_back({"bmp negative height", f, ImageFormat::Bmp});
    }
    {
        auto f = s::Tga(kW, kH, true);
        Set16(f, 12, 65535);
        Set16(f, 14, 65535);
        cases.push_back({"tga", f, ImageFormat::Tga});
        f = s::Pcx(kW, kH);
        Set16(f, 8, 65535);
        cases.push_back({"pcx", f, ImageFormat::Pcx});
        f = s::Pcx(kW, kH);
        Set16(f, 66, 1); // a line of one byte: eight bits, but 8-bit pixels
        cases.push_back({"pcx line shorter than the width", f, ImageFormat::Pcx});
        std::string p = "P6 30001 2 255\n";
        cases.push_back({"pnm", std::vector<uint8_t>(p.begin(), p.end()), ImageFormat::Pnm});
        p = "P5 99999999999999999999 1 255\n";
        cases.push_back({"pnm overflowing number", std::vector<uint8_t>(p.begin(), p.end()), ImageFormat::Pnm});
    }
    {
        auto f = s::Gif(kW, kH);
        Set16(f, 6, 60000);
        Set16(f, 8, 60000);
        cases.push_back({"gif screen", f, ImageFormat::Unknown});
        f = s::Jpeg(kW, kH);
        for (size_t i = 2; i + 8 < f.size(); ++i)
            if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) {
                Set16(f, i + 5, 30001, true);
                Set16(f, i + 7, 30001, true);
                break;
            }
        cases.push_back({"jpeg frame", f, ImageFormat::Unknown});
    }
    for (const Case& c : cases) {
        DecodedImage image;
        EXPECT_FALSE(DecodeImage(c.file.data(), c.file.size(), c.hint, image)) << c.name;
        EXPECT_TRUE(image.pixels.empty()) << c.name;
    }
    EXPECT_TRUE(ImageSizeAllowed(30000, 2000));
    EXPECT_FALSE(ImageSizeAllowed(0, 10));
    EXPECT_FALSE(ImageSizeAllowed(30001, 1));
}

// A few bytes of compressed or text raster can never fill a picture of millions of pixels: such a file is refused
// before the picture (or the lines it would be unpacked into) is allocated.
TEST(ImageDecodeCaps, SizesTheBytesCannotFillAreRefusedBeforeAllocating)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        ImageFormat hint;
    };
    std::vector<Case> cases;
    auto f = s::Tga(kW, kH, true);
    Set16(f, 12, 8000);
    Set16(f, 14, 8000);
    cases.push_back({"tga run-length", f, ImageFormat::Tga});
    f = s::Pcx(kW, kH);
    Set16(f, 66, 65535); // lines far longer than the width needs
    Set16(f, 10, 1999);
    cases.push_back({"pcx", f, ImageFormat::Pcx});
    const std::string p = "P3 8000 8000 255\n1 2 3\n";
    cases.push_back({"pnm text", std::vector<uint8_t>(p.begin(), p.end()), ImageFormat::Pnm});
    for (const Case& c : cases) {
        DecodedImage image;
        bool ok = true;
        const size_t largest = LargestAllocationDuring([&] { ok = DecodeImage(c.file.data(), c.file.size(), c.hint, image); });
        EXPECT_FALSE(ok) << c.name;
        EXPECT_LT(largest, size_t(1) << 20) << c.name;
    }
}

// A GIF's screen around its frame is backdrop: decoding keeps the frame's pixels only, so a file of a few bytes
// claiming a screen of 64 million pixels costs what its frame holds. The whole raster is made on request only.
TEST(ImageDecodeCaps, AGifScreenCostsOnlyWhatItsFrameHolds)
{
    const std::vector<uint8_t> file = s::HugeScreenGif();
    ASSERT_EQ(file.size(), 35u);
    DecodedImage image;
    bool ok = false;
    const auto counted = testsupport::CountAllocationsDuring(
        [&] { ok = DecodeImage(file.data(), file.size(), ImageFormat::Gif, image, true); });
    ASSERT_TRUE(ok);
    EXPECT_LT(counted.total, uint64_t(1) << 20);
    EXPECT_EQ(image.width, 8192);
    EXPECT_EQ(image.height, 8191);
    ASSERT_TRUE(image.IsPartial());
    ASSERT_EQ(image.pixels.size(), 1u);
    EXPECT_EQ(image.pixels[0], 0xFFFF0000u);

    // Small screens compose to the frame on the white backdrop, a frame reaching past the screen cut off.
    struct Case {
        int w, h, left, top;
    };
    for (const Case& c : {Case{2, 2, 3, 2}, Case{4, 4, 4, 3}, Case{3, 2, 7, 0}}) {
        const auto gif = s::Gif(c.w, c.h, 6, 5, c.left, c.top);
        ASSERT_TRUE(DecodeImage(gif.data(), gif.size(), ImageFormat::Unknown, image));
        ASSERT_EQ(image.width, 6);
        ASSERT_EQ(image.height, 5);
        ASSERT_FALSE(image.IsPartial());
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool inFrame = x >= c.left && x < c.left + c.w && y >= c.top && y < c.top + c.h;
                EXPECT_EQ(image.pixels[size_t(y) * 6 + x],
                          inFrame ? s::SampleColour(x - c.left, y - c.top) : 0xFFFFFFFFu)
                    << c.left << "," << c.top << " at " << x << "," << y;
            }
    }
}

// The black-and-white, grey and metafile formats, each by its extension's hint or its signature.
TEST(ImageDecodeFormats, WirelessBitmapsPgxAndWindowsMetafiles)
{
    dovemark::InstallEmfCanvas();
    const int w = 11, h = 3; // rows of more than a byte, not a whole number of bytes
    DecodedImage image;
    auto wbmp = s::Wbmp(w, h);
    ASSERT_TRUE(DecodeImage(wbmp.data(), wbmp.size(), ImageFormatOfExtension("WBMP"), image));
    ASSERT_EQ(image.width, w);
    ASSERT_EQ(image.height, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(image.pixels[size_t(y * w + x)], s::MonoWhite(x, y) ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
    auto pgx = s::Pgx(w, h);
    ASSERT_TRUE(DecodeImage(pgx.data(), pgx.size(), ImageFormat::Unknown, image));
    ASSERT_EQ(image.width, w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t grey = ((300u * x + 700u * y) & 0xFFF) >> 4;
            EXPECT_EQ(image.pixels[size_t(y * w + x)], 0xFF000000u | grey << 16 | grey << 8 | grey) << x << "," << y;
        }
    auto wmf = s::Wmf(40, 20);
    ASSERT_TRUE(DecodeImage(wmf.data(), wmf.size(), ImageFormat::Unknown, image));
    ASSERT_EQ(image.width, 40);
    ASSERT_EQ(image.height, 20);
    auto colour = [&](int x, int y) { return image.pixels[size_t(y * 40 + x)] & 0xFFFFFF; };
    EXPECT_EQ(colour(5, 10), 0xFF0000u);  // inside the rectangle
    EXPECT_EQ(colour(0, 10), 0x000000u);  // its outline
    EXPECT_EQ(colour(30, 10), 0x0000FFu); // the ellipse
    EXPECT_EQ(colour(21, 1), 0xFFFFFFu);  // the page between them

    // Cut and damaged files of these formats are refused without a fault.
    // A metafile cut between its records still draws what it holds.
    const std::pair<const std::vector<uint8_t>*, bool> files[] = {{&wbmp, true}, {&pgx, true}, {&wmf, false}};
    for (const auto& [file, refused] : files)
        for (size_t n = 0; n + 1 < file->size(); ++n) {
            std::vector<uint8_t> cut(file->begin(), file->begin() + ptrdiff_t(n));
            const bool ok = DecodeImage(cut.data(), cut.size(), ImageFormat::Wbmp, image);
            if (refused) {
                EXPECT_FALSE(ok) << n;
            }
            if (ok) {
                EXPECT_EQ(image.pixels.size(), size_t(image.width) * image.height);
            }
        }
}

TEST(ImageDecodeFormats, SignatureWinsOverTheExtension)
{
    // A PNG named .bmp (a renamed recovered file) still shows.
    auto f = s::Png(kW, kH);
    DecodedImage image;
    EXPECT_TRUE(DecodeImage(f.data(), f.size(), ImageFormat::Bmp, image));
    EXPECT_EQ(ImageFormatOfExtension("JPG"), ImageFormat::Jpeg);
    EXPECT_EQ(ImageFormatOfExtension("j2c"), ImageFormat::Jpeg2000);
    EXPECT_EQ(ImageFormatOfExtension("doc"), ImageFormat::Unknown);
}

} // namespace
