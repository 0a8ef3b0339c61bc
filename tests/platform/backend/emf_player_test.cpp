// The metafile player on the layer's GDI: shapes, pens, brushes, mapping modes and saved states drawn into the
// decoded picture; damaged files refused and hostile records left out, never an overrun or a hang.
#include "backend/images/emf_player.h"
#include "backend/images/image_decode.h"
#include "support/image_samples.h"
#include "win32/picture.h"

#include <gtest/gtest.h>

namespace {

namespace s = image_samples;
using backend::DecodedImage;

uint32_t Colour(const DecodedImage& image, int x, int y) { return image.pixels[size_t(y * image.width + x)] & 0xFFFFFF; }

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kWhite = 0xFFFFFF, kBlack = 0;
constexpr uint32_t kStockBlackBrush = 0x80000004, kStockNullPen = 0x80000008;

class EmfPlayer : public ::testing::Test {
protected:
    void SetUp() override { dovemark::InstallEmfCanvas(); }

    static bool Decode(const std::vector<uint8_t>& data, DecodedImage& image)
    {
        return backend::DecodeImage(data.data(), data.size(), backend::ImageFormat::Emf, image);
    }
};

TEST_F(EmfPlayer, DrawsShapesWithTheirPensAndBrushes)
{
    DecodedImage image;
    ASSERT_TRUE(Decode(s::Emf(40, 20), image));
    ASSERT_EQ(image.width, 40);
    ASSERT_EQ(image.height, 20);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(Colour(image, 5, 10), kRed);    // inside the rectangle
    EXPECT_EQ(Colour(image, 0, 10), kBlack);  // its outline, the default pen
    EXPECT_EQ(Colour(image, 30, 10), kBlue);  // the ellipse, without an outline
    EXPECT_EQ(Colour(image, 21, 19), kWhite); // outside both: the page
    EXPECT_EQ(Colour(image, 30, 0), kGreen);  // the line along the top row
    EXPECT_EQ(Colour(image, 39, 0), kGreen);
}

TEST_F(EmfPlayer, MapsLogicalUnitsAndRestoresSavedStates)
{
    // Logical 100 × 100 onto 40 × 20 pixels; the state is saved before and restored after.
    DecodedImage image;
    ASSERT_TRUE(Decode(s::EmfFile(40, 20,
                                  {{37, kStockBlackBrush},
                                   {37, kStockNullPen},
                                   {33},
                                   {17, 8},
                                   {9, 100, 100},
                                   {11, 40, 20},
                                   {43, 0, 0, 50, 50},
                                   {34, uint32_t(-1)},
                                   {43, 30, 15, 35, 20}}),
                       image));
    EXPECT_EQ(Colour(image, 5, 5), kBlack);
    EXPECT_EQ(Colour(image, 25, 5), kWhite);
    EXPECT_EQ(Colour(image, 5, 15), kWhite);
    // After the restore, pixels again.
    EXPECT_EQ(Colour(image, 32, 17), kBlack);
    EXPECT_EQ(Colour(image, 28, 17), kWhite);
}

TEST_F(EmfPlayer, DamagedFilesAreRefused)
{
    const std::vector<uint8_t> good = s::Emf(40, 20);
    auto put = [](std::vector<uint8_t> d, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            d[at + size_t(i)] = uint8_t(v >> (8 * i));
        return d;
    };
    const size_t firstRecordSize = 88 + 4;
    std::vector<uint8_t> noEnd(good.begin(), good.end() - 20);
    noEnd = put(noEnd, 48, uint32_t(noEnd.size()));
    const struct {
        const char* what;
        std::vector<uint8_t> data;
    } cases[] = {
        {"zero length", {}},
        {"record of no length", put(good, firstRecordSize, 0)},
        {"record length not whole words", put(good, firstRecordSize, 22)},
        {"record past the end", put(good, firstRecordSize, 0x7FFFFFF0)},
        {"no end record", noEnd},
        {"file size beyond the data", put(good, 48, uint32_t(good.size() + 4))},
        {"header larger than the file", put(good, 4, 0x10000)},
        {"frame beyond the dimension cap", put(good, 32, 0x40000000)},
        {"bounds beyond the cap without a frame", put(put(good, 32, 0), 16, 40000)},
        {"no signature", put(good, 40, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DecodedImage image;
        EXPECT_FALSE(Decode(c.data, image));
        EXPECT_TRUE(image.pixels.empty());
    }
    for (size_t size = 0; size < good.size(); size += 4) {
        // A copy of exactly the cut length, so a read past it is an overrun.
        std::vector<uint8_t> cut(good.begin(), good.begin() + ptrdiff_t(size));
        DecodedImage image;
        EXPECT_FALSE(Decode(cut, image)) << size;
    }
}

TEST_F(EmfPlayer, DrawingStopsAtItsBudget)
{
    // Full-picture fills, then a small red square: it is drawn only while the filled area is within the budget.
    const int side = 1000;
    const uint64_t fills = backend::kEmfMaxDrawnArea / (uint64_t(side) * side);
    for (uint64_t count : {fills / 2, fills + 10}) {
        SCOPED_TRACE(count);
        std::vector<std::vector<uint32_t>> records = {{37, kStockBlackBrush}, {37, kStockNullPen}};
        records.insert(records.end(), count, {43, 0, 0, uint32_t(side), uint32_t(side)});
        records.push_back({39, 1, 0, 0x0000FF, 0});
        records.push_back({37, 1});
        records.push_back({43, 10, 10, 20, 20});
        DecodedImage image;
        ASSERT_TRUE(Decode(s::EmfFile(side, side, records, 2), image));
        EXPECT_EQ(Colour(image, 15, 15), count < fills ? kRed : kBlack);
    }
}

TEST_F(EmfPlayer, HostileRecordsAreLeftOutAndTheRestDraws)
{
    const uint32_t huge = 0x7FFFFFFF, low = 0x80000000;
    // A bold, italic, underlined font of 12 pixels with no face name: its record holds the whole logical font.
    std::vector<uint32_t> font = {82, 1, uint32_t(-12), 0, 0, 0, 700, 0x01010101};
    font.resize(1 + 24);
    const struct {
        const char* what;
        std::vector<std::vector<uint32_t>> records;
    } cases[] = {
        {"object beyond the table", {{39, 9999, 0, 0, 0}, {37, 9999}, {40, 9999}}},
        {"polygon longer than its record", {{3, 0, 0, 0, 0, 0xFFFFFFFF, 1, 1}}},
        {"polygon counts not adding up", {{8, 0, 0, 0, 0, 2, 3, 2, 2, 0, 0, 1, 1, 2, 2}}},
        {"polygon of one point", {{86, 0, 0, 0, 0, 1, 0}}},
        {"text past its record", {{84, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1000, 8, 0, 0, 0, 0, 0, 0}}},
        {"records shorter than their fields", {{43}, {84}, {82, 1}, {37}, {3, 0}}},
        {"coordinates at the limits", {{43, low, low, huge, huge}, {42, low, low, huge, huge}}},
        {"zero extents", {{17, 8}, {9, 0, 0}, {11, 0, 5}, {43, 0, 0, 10, 10}}},
        {"saving without end", std::vector<std::vector<uint32_t>>(1000, {33})},
        {"restoring what was never saved", {{34, uint32_t(-5)}, {34, 7}, {34, 0}}},
        {"font and text", {font, {37, 1},
                           {84, 0, 0, 0, 0, 1, 0, 0, 2, 5, 2, 76, 2, 0, 0, 10, 10, 0, 0x00420041}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DecodedImage image;
        EXPECT_TRUE(Decode(s::EmfFile(16, 16, c.records, 2), image));
        EXPECT_EQ(image.width, 16);
    }
}

} // namespace
