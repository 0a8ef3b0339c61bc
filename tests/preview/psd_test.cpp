// The Photoshop decoder on documents written by the tests: every colour mode at 8 and 16 bits, raw
// and PackBits, the header and resource rules, and hostile files that must fail cleanly; then the
// view through the pane.
#include "preview/psd_image.h"
#include "preview/psd_view.h"
#include "preview/no_preview_view.h"
#include "preview/preview_fixture.h"
#include "res/preview/preview_res.h"
#include "psd_writer.h"

#include <cstring>

namespace {

class MemorySource : public PsdSource {
public:
    explicit MemorySource(const std::string& bytes) : m_bytes(bytes) {}
    size_t Read(uint8_t* buffer, size_t n) override
    {
        n = std::min(n, m_bytes.size() - m_at);
        if (n)
            std::memcpy(buffer, m_bytes.data() + m_at, n);
        m_at += n;
        return n;
    }
    uint64_t Remaining() const override { return m_bytes.size() - m_at; }

private:
    std::string m_bytes;
    size_t m_at = 0;
};

class VectorSink : public PsdBitmapSink {
public:
    uint8_t* CreateBitmap(int w, int h, int32_t x, int32_t y) override
    {
        width = w;
        height = h;
        xppm = x;
        yppm = y;
        stride = ((size_t)w * 3 + 3) & ~size_t(3);
        bits.assign(stride * (size_t)h, 0xFF);
        return bits.data();
    }
    // Pixel (x, y) counted from the top, as RGB.
    COLORREF At(int x, int y) const
    {
        const uint8_t* p = bits.data() + (size_t)(height - 1 - y) * stride + (size_t)x * 3;
        return RGB(p[2], p[1], p[0]);
    }
    int width = 0, height = 0;
    int32_t xppm = 0, yppm = 0;
    size_t stride = 0;
    std::vector<uint8_t> bits;
};

struct Decoded {
    int code;
    bool bitmap;
    VectorSink sink;
    PsdDecoder decoder;
};

Decoded Decode(const std::string& bytes)
{
    Decoded d;
    MemorySource src(bytes);
    d.code = d.decoder.Load(src, d.sink);
    d.bitmap = d.decoder.HasBitmap();
    return d;
}

// Planes for a 2 x 1 image from per-pixel samples: samples[pixel][channel].
std::vector<uint8_t> Planes(const std::vector<std::vector<int>>& samples, int depth)
{
    std::vector<uint8_t> out;
    size_t channels = samples[0].size();
    for (size_t c = 0; c < channels; ++c)
        for (const auto& px : samples) {
            if (depth == 16)
                out.push_back(uint8_t(px[c] >> 8));
            out.push_back(uint8_t(px[c] & 0xFF));
        }
    return out;
}

std::string Palette()
{
    std::string p(768, '\0');
    p[7] = char(200);        // red of index 7
    p[256 + 7] = char(100);  // green
    p[512 + 7] = char(50);   // blue
    return p;
}

std::string IndexedCount(int n)
{
    std::string d;
    PutBE(d, (uint64_t)n, 2);
    return PsdResource(1046, d);
}

} // namespace

TEST(PsdDecoder, ColourModesDepthsAndCompressions)
{
    struct Case {
        const char* name;
        int mode, channels, depth;
        std::vector<std::vector<int>> samples; // two pixels
        COLORREF first, second;
        std::string colorModeData = {};
        std::string resources = {};
    };
    const Case cases[] = {
        {"grey 8", 1, 1, 8, {{0}, {200}}, RGB(0, 0, 0), RGB(200, 200, 200)},
        {"grey 16 keeps the high byte", 1, 1, 16, {{0x12FF}, {0xC800}}, RGB(0x12, 0x12, 0x12), RGB(200, 200, 200)},
        {"duotone", 8, 1, 8, {{10}, {20}}, RGB(10, 10, 10), RGB(20, 20, 20)},
        {"rgb 8", 3, 3, 8, {{255, 0, 0}, {1, 2, 3}}, RGB(255, 0, 0), RGB(1, 2, 3)},
        {"rgb 16", 3, 3, 16, {{0xFF00, 0x0100, 0}, {0x0102, 0x0304, 0x0506}}, RGB(255, 1, 0), RGB(1, 3, 5)},
        {"rgb with alpha", 3, 4, 8, {{9, 8, 7, 0}, {1, 2, 3, 255}}, RGB(9, 8, 7), RGB(1, 2, 3)},
        {"cmyk 8", 4, 4, 8, {{0, 255, 255, 255}, {255, 255, 255, 0}}, RGB(0, 253, 253), RGB(0, 0, 0)},
        {"cmyk 16", 4, 4, 16, {{0, 0, 0, 0xFFFF}, {0xFFFF, 0xFFFF, 0xFFFF, 0}}, RGB(0, 0, 0), RGB(0, 0, 0)},
        {"lab 8", 9, 3, 8, {{255, 128, 128}, {128, 200, 128}}, RGB(253, 253, 253), RGB(223, 38, 122)},
        {"multichannel without black", 7, 3, 8, {{0, 255, 255}, {255, 255, 255}}, RGB(0, 254, 254), RGB(254, 254, 254)},
        {"indexed", 2, 1, 8, {{7}, {0}}, RGB(200, 100, 50), RGB(0, 0, 0), Palette(), IndexedCount(256)},
        {"indexed without a colour count stays white", 2, 1, 8, {{7}, {0}}, RGB(255, 255, 255),
         RGB(255, 255, 255), Palette()},
    };
    for (const Case& c : cases) {
        for (int compression : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + (compression ? " packbits" : " raw"));
            PsdSpec s;
            s.mode = c.mode;
            s.channels = c.channels;
            s.depth = c.depth;
            s.width = 2;
            s.height = 1;
            s.compression = compression;
            s.colorModeData = c.colorModeData;
            s.resources = c.resources;
            s.planes = Planes(c.samples, c.depth);
            Decoded d = Decode(WritePsd(s));
            EXPECT_EQ(d.code, 0);
            ASSERT_TRUE(d.bitmap);
            EXPECT_EQ(d.sink.At(0, 0), c.first);
            EXPECT_EQ(d.sink.At(1, 0), c.second);
        }
    }
}

TEST(PsdDecoder, RowsRunTopDownAndResolutionComesFromItsResource)
{
    PsdSpec s;
    s.mode = 1;
    s.channels = 1;
    s.width = 3;
    s.height = 2;
    s.planes = {1, 2, 3, 4, 5, 6};
    std::string res;
    PutBE(res, 72, 2);
    PutBE(res, 0, 4);
    PutBE(res, 1, 2);
    PutBE(res, 300, 2);
    PutBE(res, 0, 4);
    PutBE(res, 1, 2);
    s.resources = PsdResource(1005, res);
    Decoded d = Decode(WritePsd(s));
    ASSERT_TRUE(d.bitmap);
    EXPECT_EQ(d.sink.At(0, 0), RGB(1, 1, 1));
    EXPECT_EQ(d.sink.At(2, 1), RGB(6, 6, 6));
    EXPECT_EQ(d.sink.xppm, 2834);
    EXPECT_EQ(d.sink.yppm, 11811);
    s.resources.clear();
    Decoded plain = Decode(WritePsd(s));
    EXPECT_EQ(plain.sink.xppm, 3780);
    EXPECT_EQ(plain.sink.yppm, 3780);
}

TEST(PsdDecoder, PackBitsRunBytes)
{
    // One channel of 131 bytes: 128 does nothing, 255 repeats twice, 129 repeats 128 times, and a
    // literal run past the plane's end is cut there.
    PsdSpec s;
    s.mode = 1;
    s.channels = 1;
    s.width = 131;
    s.height = 1;
    s.compression = 1;
    std::string bytes = WritePsd(s);
    PutBE(bytes, 6, 2); // the row's byte count
    bytes += std::string("\x80\xFF\x0A\x81\x14\x02\x1E\x28\x32", 9);
    Decoded d = Decode(bytes);
    ASSERT_TRUE(d.bitmap);
    EXPECT_EQ(d.sink.At(0, 0), RGB(10, 10, 10));
    EXPECT_EQ(d.sink.At(1, 0), RGB(10, 10, 10));
    EXPECT_EQ(d.sink.At(2, 0), RGB(20, 20, 20));
    EXPECT_EQ(d.sink.At(129, 0), RGB(20, 20, 20));
    EXPECT_EQ(d.sink.At(130, 0), RGB(30, 30, 30));
}

TEST(PsdDecoder, ResourceBlocksAndTheirPadding)
{
    std::string odd = "8BIM";
    PutBE(odd, 4000, 2);
    odd += std::string("\x03" "abc", 4); // a name of odd length needs no padding byte
    PutBE(odd, 3, 4);
    odd += std::string("xyz\0", 4);     // odd data gets one
    std::string angle;
    PutBE(angle, 120, 4);
    std::string copy(10, '\x01');
    PsdSpec s;
    s.mode = 1;
    s.channels = 1;
    s.resources = odd + PsdResource(1037, angle) + PsdResource(1000, copy) + PsdResource(1047, std::string("\x00\x05", 2));
    s.planes = {0, 0, 0, 0};
    Decoded d = Decode(WritePsd(s));
    EXPECT_EQ(d.code, 0);
    EXPECT_EQ(d.decoder.m_globalAngle, 120u);
    EXPECT_TRUE(d.decoder.m_hasHeaderCopy);
    EXPECT_EQ(d.decoder.m_transparentIndex, 5);
    // A section whose length does not add up is refused.
    std::string bytes = WritePsd(s);
    size_t at = 26 + 4;
    bytes[at + 3] = char(bytes[at + 3] + 2);
    EXPECT_EQ(Decode(bytes).code, PSD_BAD_RESOURCES);
}

TEST(PsdDecoder, RefusedAndHostileDocuments)
{
    PsdSpec good;
    good.mode = 3;
    good.channels = 3;
    good.planes.assign(12, 7);
    auto with = [&](auto change) {
        PsdSpec s = good;
        change(s);
        return WritePsd(s);
    };
    auto patched = [&](size_t at, const std::string& bytes) {
        std::string b = WritePsd(good);
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    std::string good16 = with([](PsdSpec& s) { s.depth = 16; s.planes.assign(24, 7); });
    struct {
        const char* name;
        std::string bytes;
        int code;
        bool bitmap;
    } cases[] = {
        {"good", WritePsd(good), 0, true},
        {"empty file", "", PSD_BAD_HEADER, false},
        {"signature in lower case", patched(0, "8bps"), PSD_BAD_HEADER, false},
        {"version 2", patched(4, std::string("\0\2", 2)), PSD_BAD_HEADER, false},
        {"reserved bytes set", patched(8, "x"), PSD_BAD_HEADER, false},
        {"no channels", with([](PsdSpec& s) { s.channels = 0; }), PSD_BAD_HEADER, false},
        {"57 channels", with([](PsdSpec& s) { s.channels = 57; }), PSD_BAD_HEADER, false},
        {"rgb with one channel", with([](PsdSpec& s) { s.channels = 1; }), PSD_BAD_HEADER, false},
        {"cmyk with three channels", with([](PsdSpec& s) { s.mode = 4; }), PSD_BAD_HEADER, false},
        {"lab with two channels", with([](PsdSpec& s) { s.mode = 9; s.channels = 2; }), PSD_BAD_HEADER, false},
        {"width 0", with([](PsdSpec& s) { s.width = 0; }), PSD_BAD_HEADER, false},
        {"negative height", patched(14, "\xFF\xFF\xFF\xFE"), PSD_BAD_HEADER, false},
        {"30001 wide", with([](PsdSpec& s) { s.width = 30001; }), PSD_BAD_HEADER, false},
        {"30000 x 30000", with([](PsdSpec& s) { s.width = s.height = 30000; }), PSD_BAD_HEADER, false},
        {"depth 7", with([](PsdSpec& s) { s.depth = 7; }), PSD_BAD_HEADER, false},
        {"colour mode 5", with([](PsdSpec& s) { s.mode = 5; }), PSD_BAD_HEADER, false},
        // Large images from a few bytes: nothing is allocated for data the file cannot hold.
        {"8000 x 8000 raw, no data", with([](PsdSpec& s) { s.width = s.height = 8000; }), 0, false},
        {"8000 x 8000 packbits, no data",
         with([](PsdSpec& s) { s.width = s.height = 8000; s.compression = 1; s.planes.clear(); }), 0, false},
        {"colour mode data longer than the file", patched(26, "\x7F\xFF\xFF\xFF"), PSD_BAD_RESOURCES, false},
        {"resource section longer than the file", patched(30, "\x7F\xFF\xFF\xFF"), PSD_BAD_RESOURCES, false},
        {"cut in the image data", WritePsd(good).substr(0, WritePsd(good).size() - 1), 0, false},
        {"cut in 16-bit data", good16.substr(0, good16.size() - 3), 0, false},
        {"cut before the compression", WritePsd(good).substr(0, 26 + 12), 0, false},
        {"packbits cut mid-run",
         with([](PsdSpec& s) { s.compression = 1; }).substr(0, WritePsd(good).size() - 4), 0, false},
        {"zip", with([](PsdSpec& s) { s.compression = 2; }), PSD_ZIP, false},
        {"zip with prediction", with([](PsdSpec& s) { s.compression = 3; }), PSD_ZIP_PREDICTION, false},
        {"compression 4", with([](PsdSpec& s) { s.compression = 4; }), PSD_UNKNOWN_COMPRESSION, false},
        {"bitmap mode", with([](PsdSpec& s) { s.mode = 0; s.channels = 1; s.depth = 1; }), PSD_NO_BITMAP, false},
        {"32-bit samples", with([](PsdSpec& s) { s.depth = 32; s.planes.assign(48, 0); }), PSD_NO_BITMAP, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = Decode(c.bytes);
        EXPECT_EQ(d.code, c.code);
        EXPECT_EQ(d.bitmap, c.bitmap);
    }
}

TEST(PsdImage, LoadsFromAFileAndHandsOverItsBitmap)
{
    CPsdImage missing;
    EXPECT_EQ(missing.LoadPsd(u"/nonexistent/a.psd"), PSD_CANNOT_OPEN);
    EXPECT_EQ(missing.DetachBitmap(), nullptr);
    PsdSpec s;
    s.planes.assign(12, 9);
    CPsdImage image;
    EXPECT_EQ(image.LoadPsd(PreviewPaneTest::WriteFile("a.psd", WritePsd(s))), 0);
    HBITMAP bmp = image.DetachBitmap();
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(image.DetachBitmap(), bmp);
    BITMAP bm{};
    GetObjectW(bmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 2);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    DeleteObject(bmp);
}

TEST_F(PreviewPaneTest, PhotoshopViewStretchesAndDamagedFilesShowAsSuch)
{
    // 100 x 400: left half red, right half blue; drawn over the whole 300 x 300 view.
    PsdSpec s;
    s.width = 100;
    s.height = 400;
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 100; ++x)
                s.planes.push_back(uint8_t((c == 0 && x < 50) || (c == 2 && x >= 50) ? 255 : 0));
    s.compression = 1;
    Preview(WriteFile("Picture.PSD", WritePsd(s)), u".PSD");
    ASSERT_NE(pane->m_pPsdView, nullptr);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    SavePicture("psd");
    auto* view = static_cast<CPSDViewView*>(pane->m_pPsdView);
    view->MoveWindow(0, 0, 300, 300);
    SendMessageW(view->m_hWnd, WM_HSCROLL, SB_LINERIGHT, 0); // changes nothing
    CClientDC screen(nullptr);
    CDC mem;
    mem.CreateCompatibleDC(&screen);
    CBitmap target;
    target.CreateCompatibleBitmap(&screen, 300, 300);
    CBitmap* old = mem.SelectObject(&target);
    view->OnDraw(&mem);
    EXPECT_EQ(mem.GetPixel(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(mem.GetPixel(140, 290), RGB(255, 0, 0));
    EXPECT_EQ(mem.GetPixel(160, 5), RGB(0, 0, 255));
    EXPECT_EQ(mem.GetPixel(299, 299), RGB(0, 0, 255));
    mem.SelectObject(old);

    // Damaged, truncated and empty documents show the damaged picture, never an empty view.
    for (std::string bytes : {std::string(), WritePsd(s).substr(0, 200), std::string("8BPS\0\1", 6)}) {
        Preview(WriteFile("bad.psd", bytes), u".psd");
        EXPECT_NE(pane->m_pPsdView, nullptr);
        ASSERT_NE(pane->m_pNoPreviewView, nullptr);
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
    }
    SavePicture("damaged");
}
