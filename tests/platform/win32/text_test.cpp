// Code-page conversions, the printf-style formatter and the UTF-16 C runtime.
#include "win32/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string ToWide(UINT cp, const std::string& bytes, DWORD flags = 0) {
    int n = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(n, u'\0');
    if (n > 0) {
        EXPECT_EQ(MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n), n);
    }
    return out;
}

struct DecodeCase {
    UINT cp;
    std::string bytes;
    std::u16string wide;
};

TEST(CodePage, DecodesAndSubstitutesLikeTheSystem) {
    const DecodeCase cases[] = {
        {CP_ACP, "\xD6\xD0\xCE\xC4.txt", u"中文.txt"},
        {936, "\x80", u"\u20AC"},
        {936, "A\x81\x7F" "B", u"A?\x7F" "B"},      // a bad trail: only the lead byte is lost
        {936, "\xD6\xD0\xD6", u"中?"},                // a lead byte cut off at the end
        {936, "\xAA\xA1", u"\uE000"},                  // user-defined area
        {1252, "\x80\x81\xE9", u"\u20AC\u0081\u00E9"},
        {CP_UTF8, "\xE4\xB8\xAD\xF0\x9F\x98\x80", u"中\U0001F600"},
        {CP_UTF8, "a\xC0\xAF" "b\xE4\xB8", u"a\uFFFD\uFFFDb\uFFFD"},
        {CP_UTF8, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // an encoded surrogate is not text
    };
    for (const DecodeCase& c : cases)
        EXPECT_EQ(ToWide(c.cp, c.bytes), c.wide) << c.cp << " " << c.bytes;
}

TEST(CodePage, StrictDecodingAndBufferRules) {
    WCHAR buf[8];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "\xD6\xD0\x81", 3, buf, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));

    // -1 converts the terminator too and counts it.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xD6\xD0" "a", -1, buf, 8), 3);
    EXPECT_EQ(std::u16string(buf), u"中a");

    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcdef", 6, buf, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, buf, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 1, buf, 8), 0);
}

TEST(CodePage, EncodesWithTheDefaultCharacter) {
    char out[32];
    BOOL used = TRUE;
    int n = WideCharToMultiByte(CP_ACP, 0, u"中文\u0E01\u20AC", 4, out, sizeof out, nullptr, &used);
    EXPECT_EQ(std::string(out, n), "\xD6\xD0\xCE\xC4?\x80");
    EXPECT_TRUE(used);

    n = WideCharToMultiByte(936, 0, u"x\U0001F600", -1, out, sizeof out, "#", &used);
    EXPECT_EQ(std::string(out, n), std::string("x##\0", 4)); // each half of the pair is substituted
    n = WideCharToMultiByte(936, 0, u"ok", 2, out, sizeof out, nullptr, &used);
    EXPECT_EQ(n, 2);
    EXPECT_FALSE(used);

    n = WideCharToMultiByte(1252, 0, u"\u00E9\u20AC\u4E2D", 3, out, sizeof out, nullptr, nullptr);
    EXPECT_EQ(std::string(out, n), "\xE9\x80?");

    n = WideCharToMultiByte(CP_UTF8, 0, u"中\xD800z", 3, out, sizeof out, nullptr, nullptr);
    EXPECT_EQ(std::string(out, n), "\xE4\xB8\xAD\xEF\xBF\xBDz");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xD800", 1, out, sizeof out, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, out, sizeof out, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中文", 2, out, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(CodePage, EveryMappedDoubleByteCharacterRoundTrips) {
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            WCHAR w[2];
            if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, in, 2, w, 2) != 1)
                continue;
            ++mapped;
            char back[4];
            BOOL used = FALSE;
            ASSERT_EQ(WideCharToMultiByte(936, 0, w, 1, back, 4, nullptr, &used), 2) << std::hex << lead << trail;
            EXPECT_FALSE(used);
            EXPECT_EQ(std::string(back, 2), std::string(in, 2)) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(mapped, 21000); // the ideographs of the whole page, not only GB 2312
}

TEST(Format, FollowsTheWindowsRules) {
    const char16_t* wide = u"宽";
    const char* narrow = "\xD6\xD0";
    long long big = -1234567890123LL;
    struct Row {
        std::u16string got;
        std::u16string expected;
    } rows[] = {
        {afx_format::Wide(u"%d|%5d|%-5d|%05d|%+d|% d", 42, 42, 42, -42, 42, 42), u"42|   42|42   |-0042|+42| 42"},
        {afx_format::Wide(u"%u %x %X %#x %o %#o", -1, 255, 255, 255, 8, 8), u"4294967295 ff FF 0xff 10 010"},
        {afx_format::Wide(u"%hd %02hX %hhu", 70000, 0x1AB, 300), u"4464 1AB 44"},
        {afx_format::Wide(u"%ld %I64d %I64u %lld", -5L, big, 18446744073709551615ULL, big),
         u"-5 -1234567890123 18446744073709551615 -1234567890123"},
        {afx_format::Wide(u"%d", big), u"-1912276171"}, // a 64-bit value under %d keeps its low half
        {afx_format::Wide(u"%.3d|%.0d|%8.3x", 7, 0, 10), u"007||     00a"},
        {afx_format::Wide(u"%f %2.2f %.0f %e %E", 3.14159, 2.5, 2.5, 1234.5, 0.0), u"3.141590 2.50 3 1.234500e+003 0.000000E+000"},
        {afx_format::Wide(u"%g %g %10.3f|%-8.1f|%08.2f", 0.0001, 1e20, -3.14159, 1.25, -1.5),
         u"0.0001 1e+020     -3.142|1.3     |-0001.50"},
        // Ties round away from zero (0.25 is one), and places past 17 significant digits print as zeros.
        {afx_format::Wide(u"%.2f %.1f %.20f %.3e %.0e", 1.125, -0.25, 0.1, 9.9995, 95.0),
         u"1.13 -0.3 0.10000000000000001000 9.999e+000 1e+002"},
        {afx_format::Wide(u"%g %g %g %#g %G", 100000.0, 1e6, 123.456789, 1.0, 1e-5), u"100000 1e+006 123.457 1.00000 1E-005"},
        {afx_format::Wide(u"%s|%S|%hs|%ls|%c|%C", wide, narrow, narrow, wide, u'字', 'A'), u"宽|中|中|宽|字|A"},
        {afx_format::Wide(u"[%5s][%-5s][%.1s][%05s]", u"ab", u"ab", u"ab", u"ab"), u"[   ab][ab   ][a][000ab]"},
        {afx_format::Wide(u"%s %S", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr)),
         u"(null) (null)"},
        {afx_format::Wide(u"%*d|%-*d|%.*f", 4, 1, 3, 2, 1, 0.25), u"   1|2  |0.3"},
        {afx_format::Wide(u"100%% %y %n!", 5), u"100% y !"},
        {afx_format::Wide(u"%d %s %d", 1), u"1 (null) 0"}, // missing arguments are not read
        {afx_format::Wide(u"%s", 12345), u"(null)"},       // a number is never read as text
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.got, r.expected);
}

TEST(Format, NarrowOutputConvertsWideArguments) {
    EXPECT_EQ(afx_format::Narrow("%S/%s:%d", u"中文", "b", 3), "\xD6\xD0\xCE\xC4/b:3");
    EXPECT_EQ(afx_format::Narrow("%C%c", u'文', 'x'), "\xCE\xC4x");
}

TEST(Format, BufferFunctionsStopAtTheirLimits) {
    WCHAR buf[8];
    EXPECT_EQ(_snwprintf(buf, 4, u"%d", 123456), -1);
    EXPECT_EQ(std::u16string(buf, 4), u"1234");
    EXPECT_EQ(_snwprintf(buf, 8, u"%s", u"ab"), 2);
    EXPECT_EQ(std::u16string(buf), u"ab");
    EXPECT_EQ(swprintf_s(buf, u"%s-%s", u"abcd", u"efgh"), 7);
    EXPECT_EQ(std::u16string(buf), u"abcd-ef");

    std::u16string big(3000, u'x');
    std::u16string out(2000, u'\0');
    EXPECT_EQ(wsprintfW(out.data(), u"%s", big.c_str()), 1023);
    EXPECT_EQ(wsprintfW(out.data(), u"%d %f", 5, 1.5), 3); // no floating point in wsprintf
    EXPECT_EQ(std::u16string(out.c_str()), u"5 f");
}

TEST(WideRuntime, ParsesComparesAndConverts) {
    EXPECT_EQ(_wtol(u"  -123abc"), -123);
    EXPECT_EQ(_wtol(u"99999999999"), 2147483647); // 32-bit long, saturated
    EXPECT_EQ(_wtoi64(u"-9000000000"), -9000000000LL);
    WCHAR* end = nullptr;
    EXPECT_EQ(wcstoul(u"0x1Fz", &end, 16), 0x1Fu);
    EXPECT_EQ(*end, u'z');
    EXPECT_EQ(wcstol(u"xyz", &end, 10), 0);
    EXPECT_EQ(*end, u'x');
    EXPECT_DOUBLE_EQ(_wtof(u"2.5e3"), 2500.0);

    WCHAR buf[66];
    EXPECT_EQ(std::u16string(_itow(-255, buf, 10)), u"-255");
    EXPECT_EQ(std::u16string(_itow(-1, buf, 16)), u"ffffffff");
    EXPECT_EQ(std::u16string(_ui64tow(~0ULL, buf, 2)), std::u16string(64, u'1'));

    EXPECT_EQ(_wcsicmp(u"ReadMe.TXT", u"readme.txt"), 0);
    EXPECT_LT(_wcsicmp(u"a", u"B"), 0);
    EXPECT_NE(_wcsicmp(u"\u00C9", u"\u00E9"), 0); // the C locale folds ASCII only
    EXPECT_EQ(lstrcmpiW(u"\u00C9T\u00C9", u"\u00E9t\u00E9"), 0);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"abc", 2, u"ab", -1), CSTR_EQUAL);
    EXPECT_LT(lstrcmpW(u"apple", u"Banana"), 0); // case matters only between otherwise equal texts
    EXPECT_LT(lstrcmpW(u"readme", u"README"), 0);
    EXPECT_GT(lstrcmpW(u"ab", u"A"), 0);
    EXPECT_EQ(_wcsnicmp(u"ABCx", u"abcy", 3), 0);

    EXPECT_EQ(wcslen(u"中文"), 2u);
    EXPECT_EQ(wcsstr(u"a.b.txt", u".txt") - u"a.b.txt", 0 + 3);
    const WCHAR* path = u"C:\\dir\\file";
    EXPECT_EQ(wcsrchr(path, u'\\'), path + 6);
    EXPECT_EQ(lstrlenW(nullptr), 0);
    WCHAR small[4];
    EXPECT_EQ(std::u16string(lstrcpynW(small, u"abcdef", 4)), u"abc");

    WCHAR text[] = u"Straße ÄÖ ЖЯ ｂ";
    EXPECT_EQ(std::u16string(CharUpperW(text)), u"STRAßE ÄÖ ЖЯ Ｂ");
    EXPECT_EQ(std::u16string(CharLowerW(text)), u"straße äö жя ｂ");
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(ULONG_PTR(u'é')))), ULONG_PTR(u'É'));
    EXPECT_TRUE(iswspace(u'\u3000'));
    EXPECT_FALSE(iswdigit(u'\uFF11'));
}

} // namespace
