// Conversions between UTF-16 and the narrow code pages 936 (the ANSI page), 1252 and UTF-8.
#include "win32/text.h"
#include "win32/kernel/util.h"

#include <array>
#include <iconv.h>
#include <memory>
#include <vector>

namespace {

constexpr UINT kAnsiCodePage = 936;
constexpr char16_t kReplacement = 0xFFFD;

// The double-byte table of page 936, read once from iconv, with its reverse. Pairs iconv does
// not know stay 0 (unmapped).
struct Gbk {
    std::vector<char16_t> toWide;    // index (lead - 0x81) * 256 + trail
    std::vector<uint16_t> toNarrow;  // by UTF-16 unit: lead << 8 | trail, a single byte, or 0

    Gbk() : toWide(126 * 256, 0), toNarrow(65536, 0) {
        iconv_t cd = iconv_open("UTF-16LE", "CP936");
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            for (int lead = 0x81; lead <= 0xFE; ++lead) {
                for (int trail = 0x40; trail <= 0xFE; ++trail) {
                    if (trail == 0x7F)
                        continue;
                    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                    unsigned char out[8];
                    char* pin = in;
                    char* pout = reinterpret_cast<char*>(out);
                    size_t inLeft = 2, outLeft = sizeof out;
                    iconv(cd, nullptr, nullptr, nullptr, nullptr);
                    if (iconv(cd, &pin, &inLeft, &pout, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
                        sizeof out - outLeft != 2)
                        continue;
                    char16_t w = static_cast<char16_t>(out[0] | out[1] << 8);
                    toWide[(lead - 0x81) * 256 + trail] = w;
                    if (toNarrow[w] == 0)
                        toNarrow[w] = static_cast<uint16_t>(lead << 8 | trail);
                }
            }
            iconv_close(cd);
        }
        // The user-defined areas, which the system maps in order onto the private use area.
        auto userDefined = [this](int lead, int trail, char16_t w) {
            char16_t& slot = toWide[(lead - 0x81) * 256 + trail];
            if (slot == 0) {
                slot = w;
                if (toNarrow[w] == 0)
                    toNarrow[w] = static_cast<uint16_t>(lead << 8 | trail);
            }
        };
        for (int lead = 0xAA; lead <= 0xAF; ++lead)
            for (int trail = 0xA1; trail <= 0xFE; ++trail)
                userDefined(lead, trail, static_cast<char16_t>(0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1)));
        for (int lead = 0xF8; lead <= 0xFE; ++lead)
            for (int trail = 0xA1; trail <= 0xFE; ++trail)
                userDefined(lead, trail, static_cast<char16_t>(0xE234 + (lead - 0xF8) * 94 + (trail - 0xA1)));
        for (int lead = 0xA1; lead <= 0xA7; ++lead)
            for (int trail = 0x40; trail <= 0xA0; ++trail)
                if (trail != 0x7F)
                    userDefined(lead, trail,
                                static_cast<char16_t>(0xE4C6 + (lead - 0xA1) * 96 + (trail - 0x40 - (trail > 0x7F))));
        // The single bytes outside ASCII that the system's page 936 defines.
        toNarrow[0x20AC] = 0x80;
        toNarrow[0xF8F5] = 0xFF;
    }
};

const Gbk& GbkTable() {
    static const Gbk table;
    return table;
}

constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

UINT ResolveCodePage(UINT cp) {
    switch (cp) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
    case CP_MACCP:
        return kAnsiCodePage;
    default:
        return cp;
    }
}

bool Known(UINT cp) { return cp == 936 || cp == 1252 || cp == CP_UTF8; }

// Decodes the whole input; false when an invalid sequence was met and strict was asked.
bool Decode(UINT cp, const unsigned char* in, size_t n, bool strict, std::u16string& out) {
    out.clear();
    out.reserve(n);
    if (cp == 1252) {
        for (size_t i = 0; i < n; ++i)
            out += in[i] >= 0x80 && in[i] < 0xA0 ? kCp1252High[in[i] - 0x80] : char16_t(in[i]);
        return true;
    }
    if (cp == 936) {
        const Gbk& t = GbkTable();
        for (size_t i = 0; i < n; ++i) {
            unsigned char b = in[i];
            if (b < 0x80) {
                out += char16_t(b);
            } else if (b == 0x80) {
                out += char16_t(0x20AC);
            } else if (b == 0xFF) {
                out += char16_t(0xF8F5);
            } else if (i + 1 < n && in[i + 1] >= 0x40 && in[i + 1] != 0x7F && in[i + 1] != 0xFF) {
                char16_t w = t.toWide[(b - 0x81) * 256 + in[i + 1]];
                ++i;
                if (w == 0) {
                    if (strict)
                        return false;
                    w = u'?';
                }
                out += w;
            } else {
                // A lead byte without a valid trail: only the lead byte is lost, so text that
                // follows (often ASCII) survives.
                if (strict)
                    return false;
                out += u'?';
            }
        }
        return true;
    }
    // UTF-8: each maximal invalid subsequence becomes one U+FFFD.
    for (size_t i = 0; i < n;) {
        unsigned char b = in[i];
        if (b < 0x80) {
            out += char16_t(b);
            ++i;
            continue;
        }
        int need = 0;
        char32_t cp32 = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp32 = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp32 = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp32 = b & 0x07;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        }
        size_t j = i + 1;
        bool ok = need > 0;
        for (int k = 0; ok && k < need; ++k, ++j) {
            if (j >= n || in[j] < lo || in[j] > hi) {
                ok = false;
                break;
            }
            cp32 = cp32 << 6 | (in[j] & 0x3F);
            lo = 0x80;
            hi = 0xBF;
        }
        if (!ok) {
            if (strict)
                return false;
            out += kReplacement;
            i = std::max(j, i + 1);
            continue;
        }
        dovemark::kernel::AppendUtf16(out, cp32);
        i = j;
    }
    return true;
}

// Encodes; usedDefault tells whether any character had to be substituted. False when strict
// and a character could not be encoded.
bool Encode(UINT cp, const char16_t* in, size_t n, const char* defaultChar, bool strict, std::string& out,
            bool& usedDefault) {
    out.clear();
    out.reserve(n * 2);
    usedDefault = false;
    if (cp == CP_UTF8) {
        for (size_t i = 0; i < n; ++i) {
            char32_t c = in[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
                ++i;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                if (strict)
                    return false;
                c = kReplacement;
            }
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c < 0x800) {
                out += static_cast<char>(0xC0 | c >> 6);
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                out += static_cast<char>(0xE0 | c >> 12);
                out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | c >> 18);
                out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
                out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return true;
    }
    char fallback[2] = {'?', 0};
    size_t fallbackLength = 1;
    if (defaultChar != nullptr && defaultChar[0] != 0) {
        bool dbcs = cp == 936 && static_cast<unsigned char>(defaultChar[0]) >= 0x81 &&
                    static_cast<unsigned char>(defaultChar[0]) <= 0xFE && defaultChar[1] != 0;
        fallback[0] = defaultChar[0];
        fallbackLength = dbcs ? 2 : 1;
        if (dbcs)
            fallback[1] = defaultChar[1];
    }
    for (size_t i = 0; i < n; ++i) {
        char16_t c = in[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        uint16_t code = 0;
        if (cp == 936) {
            code = GbkTable().toNarrow[c];
        } else {
            if (c >= 0xA0 && c <= 0xFF)
                code = c;
            for (size_t k = 0; code == 0 && k < kCp1252High.size(); ++k)
                if (kCp1252High[k] == c)
                    code = static_cast<uint16_t>(0x80 + k);
        }
        if (code == 0) {
            usedDefault = true;
            out.append(fallback, fallbackLength);
        } else if (code > 0xFF) {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        } else {
            out += static_cast<char>(code);
        }
    }
    return true;
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

} // namespace

UINT GetACP() { return kAnsiCodePage; }
UINT GetOEMCP() { return kAnsiCodePage; }
BOOL IsValidCodePage(UINT CodePage) { return Known(CodePage); }
BOOL IsDBCSLeadByte(BYTE TestChar) { return TestChar >= 0x81 && TestChar <= 0xFE; }
BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
    return ResolveCodePage(CodePage) == 936 && IsDBCSLeadByte(TestChar);
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    UINT cp = ResolveCodePage(CodePage);
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (lpWideCharStr == nullptr && cchWideChar != 0) || !Known(cp))
        return Fail(ERROR_INVALID_PARAMETER);
    if (cp == CP_UTF8 && (dwFlags & ~MB_ERR_INVALID_CHARS) != 0)
        return Fail(ERROR_INVALID_FLAGS);
    size_t n = cbMultiByte == -1 ? std::char_traits<char>::length(lpMultiByteStr) + 1 : size_t(cbMultiByte);
    std::u16string wide;
    if (!Decode(cp, reinterpret_cast<const unsigned char*>(lpMultiByteStr), n, dwFlags & MB_ERR_INVALID_CHARS,
                wide))
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    if (cchWideChar == 0)
        return static_cast<int>(wide.size());
    if (wide.size() > static_cast<size_t>(cchWideChar))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    wide.copy(lpWideCharStr, wide.size());
    return static_cast<int>(wide.size());
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
    UINT cp = ResolveCodePage(CodePage);
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (lpMultiByteStr == nullptr && cbMultiByte != 0) || !Known(cp))
        return Fail(ERROR_INVALID_PARAMETER);
    if (cp == CP_UTF8) {
        if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr)
            return Fail(ERROR_INVALID_PARAMETER);
        if ((dwFlags & ~WC_ERR_INVALID_CHARS) != 0)
            return Fail(ERROR_INVALID_FLAGS);
    }
    size_t n = cchWideChar == -1 ? std::char_traits<char16_t>::length(lpWideCharStr) + 1 : size_t(cchWideChar);
    std::string narrow;
    bool usedDefault = false;
    if (!Encode(cp, lpWideCharStr, n, lpDefaultChar, cp == CP_UTF8 && (dwFlags & WC_ERR_INVALID_CHARS), narrow,
                usedDefault))
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    if (lpUsedDefaultChar != nullptr)
        *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    if (cbMultiByte == 0)
        return static_cast<int>(narrow.size());
    if (narrow.size() > static_cast<size_t>(cbMultiByte))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    narrow.copy(lpMultiByteStr, narrow.size());
    return static_cast<int>(narrow.size());
}

std::u16string AnsiToWide(const char* text, size_t length, UINT codePage) {
    std::u16string wide;
    UINT cp = ResolveCodePage(codePage);
    if (text != nullptr && Known(cp))
        Decode(cp, reinterpret_cast<const unsigned char*>(text), length, false, wide);
    return wide;
}

std::u16string AnsiToWide(const std::string& text, UINT codePage) {
    return AnsiToWide(text.data(), text.size(), codePage);
}

std::string WideToAnsi(const char16_t* text, size_t length, UINT codePage) {
    std::string narrow;
    bool used = false;
    UINT cp = ResolveCodePage(codePage);
    if (text != nullptr && Known(cp))
        Encode(cp, text, length, nullptr, false, narrow, used);
    return narrow;
}

std::string WideToAnsi(const std::u16string& text, UINT codePage) {
    return WideToAnsi(text.data(), text.size(), codePage);
}
