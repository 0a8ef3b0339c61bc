// The picture decoders: every format round-trips a small sample; damaged and oversized files are refused.
#include "backend/images/image_decode.h"
#include "support/image_samples.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocation hooks (its header comes with clang only).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                        void (*onFree)(const volatile void*));
#endif

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
size_t LargestAllocationDuring(const std::function<void()>& f)
{
#if defined(__SANITIZE_ADDRESS__)
    static std::atomic<size_t> largest{0};
    static std::atomic<bool> armed{false};
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(
        [](const volatile void*, size_t n) {
            if (armed.load())
                for (size_t seen = largest.load(); n > seen && !largest.compare_exchange_weak(seen, n);) {
                }
        },
        [](const volatile void*) {});
    largest = 0;
    armed = installed;
    f();
    armed = false;
    return largest;
#else
    f();
    return 0;
#endif
}

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
