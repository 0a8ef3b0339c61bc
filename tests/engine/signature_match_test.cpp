// The sector signature matcher: which definitions can match, and which one names a sector.
#include "engine/signature_match.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct DefinitionCase {
    const char* what;
    uint32_t length;
    const char* hex;
    bool accepted;
    bool matches;  // against a sector beginning with the bytes 00..0F in order
};

TEST(SignatureMatcher, DefinitionsThatCanNeverMatchAreIgnored)
{
    const DefinitionCase cases[] = {
        {"whole signature", 4, "00010203", true, true},
        {"lower-case hex", 2, "0a0b", true, false},
        {"upper and lower mixed", 11, "000102030405060708090A", true, true},
        {"fifteen bytes", 15, "000102030405060708090a0b0c0d0e", true, true},
        {"sixteen bytes exceed the comparison", 16, "000102030405060708090a0b0c0d0e0f", false, false},
        {"length zero would match every sector", 0, "", false, false},
        {"text shorter than the length", 4, "000102", false, false},
        {"text longer than the length", 2, "000102", false, false},
        {"text that is not hexadecimal", 2, "00zz", false, false},
        {"no text", 2, nullptr, false, false},
    };
    uint8_t sector[512] = {};
    for (int i = 0; i < 16; ++i)
        sector[i] = static_cast<uint8_t>(i);
    for (const auto& c : cases) {
        SignatureMatcher matcher;
        EXPECT_EQ(matcher.Add(c.length, c.hex, 7), c.accepted) << c.what;
        EXPECT_EQ(matcher.Match(sector), c.matches ? 7 : -1) << c.what;
    }
}

TEST(SignatureMatcher, FirstMatchingDefinitionInListOrderWins)
{
    SignatureMatcher matcher;
    ASSERT_TRUE(matcher.Add(8, "52494646FFFFFFFF", 0));  // longer, tried first, but not this sector
    ASSERT_TRUE(matcher.Add(4, "52494646", 1));          // "RIFF" as the first of two types
    ASSERT_TRUE(matcher.Add(4, "52494646", 2));          // "RIFF" again for the second type
    ASSERT_TRUE(matcher.Add(3, "FFD8FF", 3));

    uint8_t sector[512] = {'R', 'I', 'F', 'F', 0x24, 0, 0, 0, 'W', 'A', 'V', 'E'};
    EXPECT_EQ(matcher.Match(sector), 1);

    uint8_t jpeg[512] = {0xFF, 0xD8, 0xFF, 0xE0};
    EXPECT_EQ(matcher.Match(jpeg), 3);

    uint8_t almost[512] = {0xFF, 0xD8, 0xFE};
    EXPECT_EQ(matcher.Match(almost), -1);
}

} // namespace
