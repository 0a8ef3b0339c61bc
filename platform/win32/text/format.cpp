// The printf-style formatter shared by CString::Format, wsprintfW and swprintf, on the Windows rules.
#include "win32/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace afx_format {
namespace {

enum class Want { Int, Double, LongDouble, WStr, AStr, Ptr };

// Where the arguments come from: a typed list built by the variadic templates, or a va_list
// read as the conversion says.
class Source {
public:
    virtual ~Source() = default;
    virtual Arg Next(Want want, int bits) = 0;
};

class ListSource final : public Source {
public:
    ListSource(const Arg* args, size_t count) : m_args(args), m_count(count) {}
    Arg Next(Want, int) override {
        if (m_next < m_count)
            return m_args[m_next++];
        // Too few arguments: print as zero / "(null)" instead of reading past the list.
        Arg a{};
        a.kind = Arg::Ptr;
        a.p = nullptr;
        return a;
    }

private:
    const Arg* m_args;
    size_t m_count;
    size_t m_next = 0;
};

class VaSource final : public Source {
public:
    explicit VaSource(va_list args) { va_copy(m_args, args); }
    ~VaSource() override { va_end(m_args); }
    Arg Next(Want want, int bits) override {
        Arg a{};
        switch (want) {
        case Want::Int:
            a.kind = Arg::Int;
            a.i = bits > 32 ? va_arg(m_args, long long) : va_arg(m_args, int);
            break;
        case Want::Double:
            a.kind = Arg::Double;
            a.d = va_arg(m_args, double);
            break;
        case Want::LongDouble:
            a.kind = Arg::Double;
            a.d = static_cast<double>(va_arg(m_args, long double));
            break;
        case Want::WStr:
            a.kind = Arg::WStr;
            a.ws = va_arg(m_args, const char16_t*);
            break;
        case Want::AStr:
            a.kind = Arg::AStr;
            a.as = va_arg(m_args, const char*);
            break;
        case Want::Ptr:
            a.kind = Arg::Ptr;
            a.p = va_arg(m_args, const void*);
            break;
        }
        return a;
    }

private:
    va_list m_args;
};

struct Spec {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = 0;
    int precision = -1;
    int bits = 32;      // integer size named by the prefix
    int textWidth = 0;  // 0: the output's own width, 1: narrow, 2: wide
    bool longDouble = false;
};

unsigned long long IntegerOf(const Arg& a) {
    switch (a.kind) {
    case Arg::Int:
        return static_cast<unsigned long long>(a.i);
    case Arg::Double:
        if (!(a.d == a.d) || std::fabs(a.d) >= 9.2e18)
            return 0;
        return static_cast<unsigned long long>(static_cast<long long>(a.d));
    default:
        return reinterpret_cast<uintptr_t>(a.p);
    }
}

double DoubleOf(const Arg& a) {
    switch (a.kind) {
    case Arg::Double:
        return a.d;
    case Arg::Int:
        return a.isUnsigned ? static_cast<double>(static_cast<unsigned long long>(a.i)) : static_cast<double>(a.i);
    default:
        return 0.0;
    }
}

// Sign or prefix, then digits; padding goes between them when it is made of zeros.
std::string Pad(const std::string& prefix, const std::string& body, const Spec& s, bool zeroAllowed) {
    size_t len = prefix.size() + body.size();
    if (static_cast<size_t>(s.width) <= len)
        return prefix + body;
    std::string fill(s.width - len, ' ');
    if (s.left)
        return prefix + body + fill;
    if (s.zero && zeroAllowed) {
        fill.assign(fill.size(), '0');
        return prefix + fill + body;
    }
    return fill + prefix + body;
}

std::string FormatInteger(char conv, const Arg& a, const Spec& s) {
    unsigned long long raw = IntegerOf(a);
    bool isSigned = conv == 'd' || conv == 'i';
    bool negative = false;
    unsigned long long mag;
    if (s.bits < 64) {
        unsigned long long mask = (1ULL << s.bits) - 1;
        raw &= mask;
        if (isSigned && (raw >> (s.bits - 1)) & 1) {
            negative = true;
            mag = ((~raw) & mask) + 1;
        } else {
            mag = raw;
        }
    } else if (isSigned && static_cast<long long>(raw) < 0) {
        negative = true;
        mag = ~raw + 1;
    } else {
        mag = raw;
    }

    unsigned base = 10;
    const char* digits = "0123456789abcdef";
    if (conv == 'o')
        base = 8;
    else if (conv == 'x')
        base = 16;
    else if (conv == 'X') {
        base = 16;
        digits = "0123456789ABCDEF";
    }
    std::string body;
    for (unsigned long long v = mag; v != 0; v /= base)
        body.insert(body.begin(), digits[v % base]);
    if (s.precision < 0 && body.empty())
        body.assign(1, '0');
    if (s.precision > 0 && body.size() < static_cast<size_t>(s.precision))
        body.insert(0, s.precision - body.size(), '0');

    std::string prefix;
    if (negative)
        prefix = "-";
    else if (isSigned && s.plus)
        prefix = "+";
    else if (isSigned && s.space)
        prefix = " ";
    if (s.alt && conv == 'o' && (body.empty() || body[0] != '0'))
        body.insert(body.begin(), '0');
    if (s.alt && base == 16 && mag != 0)
        prefix += conv == 'X' ? "0X" : "0x";
    return Pad(prefix, body, s, s.precision < 0);
}

// Floating point the way the Windows runtime prints it: the value is first taken to 17
// significant digits, which are then rounded half away from zero at the requested place, and
// places beyond those digits print as zeros; exponents have at least three digits.
struct Digits {
    std::string d; // 17 significant digits
    int exp10;     // value = d[0].d[1..] x 10^exp10
};

Digits SignificantDigits(double mag) {
    if (mag == 0.0)
        return {std::string(17, '0'), 0};
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.16e", mag);
    Digits r;
    r.d = std::string(1, buf[0]) + std::string(buf + 2, 16);
    r.exp10 = std::atoi(std::strchr(buf, 'e') + 1);
    return r;
}

// The first `keep` digits, rounded half up at that place; true when rounding carried into a
// new leading digit (the result then has keep + 1 digits).
bool RoundDigits(const std::string& d, int keep, std::string& out) {
    if (keep < 0) {
        out.clear();
        return false;
    }
    out = d.substr(0, std::min<size_t>(keep, d.size()));
    if (static_cast<size_t>(keep) > d.size())
        out.append(keep - d.size(), '0');
    if (static_cast<size_t>(keep) < d.size() && d[keep] >= '5') {
        int i = keep - 1;
        for (; i >= 0 && out[i] == '9'; --i)
            out[i] = '0';
        if (i < 0) {
            out.insert(out.begin(), '1');
            return true;
        }
        ++out[i];
    }
    return false;
}

std::string ExponentSuffix(char e, int exp10) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%c%c%03d", e, exp10 < 0 ? '-' : '+', exp10 < 0 ? -exp10 : exp10);
    return buf;
}

std::string FixedText(double mag, int precision, bool alt) {
    Digits v = SignificantDigits(mag);
    std::string r;
    int keep = v.exp10 + 1 + precision; // digits of value x 10^precision
    if (keep >= 0)
        RoundDigits(v.d, keep, r);
    if (r.empty())
        r.assign(1, '0');
    if (r.size() <= static_cast<size_t>(precision))
        r.insert(0, precision + 1 - r.size(), '0');
    std::string out = r.substr(0, r.size() - precision);
    if (precision > 0 || alt)
        out += '.';
    out += r.substr(r.size() - precision);
    return out;
}

std::string ExponentText(double mag, int precision, bool alt, char e) {
    Digits v = SignificantDigits(mag);
    std::string r;
    int exp10 = v.exp10;
    if (RoundDigits(v.d, precision + 1, r)) {
        r.pop_back();
        ++exp10;
    }
    if (mag == 0.0)
        exp10 = 0;
    std::string out(1, r[0]);
    if (precision > 0 || alt)
        out += '.';
    out += r.substr(1);
    return out + ExponentSuffix(e, exp10);
}

std::string GeneralText(double mag, int precision, bool alt, char e) {
    int p = precision == 0 ? 1 : precision;
    Digits v = SignificantDigits(mag);
    std::string r;
    int x = v.exp10;
    if (RoundDigits(v.d, p, r))
        ++x;
    if (mag == 0.0)
        x = 0;
    std::string out = (x < -4 || x >= p) ? ExponentText(mag, p - 1, alt, e) : FixedText(mag, p - 1 - x, alt);
    if (!alt) {
        size_t ePos = out.find(e);
        std::string mant = out.substr(0, ePos), rest = ePos == std::string::npos ? "" : out.substr(ePos);
        if (mant.find('.') != std::string::npos) {
            while (!mant.empty() && mant.back() == '0')
                mant.pop_back();
            if (!mant.empty() && mant.back() == '.')
                mant.pop_back();
        }
        out = mant + rest;
    }
    return out;
}

std::string FormatDouble(char conv, double d, const Spec& s) {
    int precision = s.precision < 0 ? 6 : s.precision;
    std::string prefix;
    if (std::signbit(d) && !(std::isnan(d) && !std::signbit(d)))
        prefix = "-";
    else if (s.plus)
        prefix = "+";
    else if (s.space)
        prefix = " ";

    if (std::isinf(d) || std::isnan(d)) {
        // The older C runtime's spelling: 1.#INF00, -1.#IND00, 1.#QNAN0.
        std::string tag = std::isinf(d) ? "#INF" : (std::signbit(d) ? "#IND" : "#QNAN");
        std::string body = "1";
        if (precision > 0) {
            tag.resize(std::max<size_t>(tag.size(), precision), '0');
            body += '.';
            body.append(tag, 0, precision);
        }
        return Pad(prefix, body, s, false);
    }

    double mag = std::fabs(d);
    std::string body;
    switch (conv) {
    case 'f':
        body = FixedText(mag, precision, s.alt);
        break;
    case 'e':
    case 'E':
        body = ExponentText(mag, precision, s.alt, conv);
        break;
    case 'g':
    case 'G':
        body = GeneralText(mag, precision, s.alt, conv == 'G' ? 'E' : 'e');
        break;
    default: {
        char fmt[16];
        std::snprintf(fmt, sizeof fmt, "%%%s.*%c", s.alt ? "#" : "", conv);
        int n = std::snprintf(nullptr, 0, fmt, precision, mag);
        body.assign(static_cast<size_t>(n) + 1, '\0');
        std::snprintf(body.data(), body.size(), fmt, precision, mag);
        body.resize(n);
        break;
    }
    }
    return Pad(prefix, body, s, true);
}

template <class C>
std::basic_string<C> FromAscii(const std::string& s) {
    return std::basic_string<C>(s.begin(), s.end());
}

template <class C>
void PadText(std::basic_string<C>& out, const std::basic_string<C>& text, const Spec& s) {
    size_t fill = static_cast<size_t>(s.width) > text.size() ? s.width - text.size() : 0;
    if (s.left) {
        out += text;
        out.append(fill, C(' '));
    } else {
        out.append(fill, C(s.zero ? '0' : ' '));
        out += text;
    }
}

size_t LengthOf(const char16_t* p, int limit) {
    size_t n = 0;
    while ((limit < 0 || n < static_cast<size_t>(limit)) && p[n] != 0)
        ++n;
    return n;
}
size_t LengthOf(const char* p, int limit) {
    size_t n = 0;
    while ((limit < 0 || n < static_cast<size_t>(limit)) && p[n] != 0)
        ++n;
    return n;
}

// The text of a %s in the output's width; a precision counts units of the argument's own text.
template <class C>
std::basic_string<C> StringText(const Arg& a, bool wantWide, int precision) {
    const char16_t* ws = nullptr;
    const char* as = nullptr;
    if (a.kind == Arg::WStr)
        ws = a.ws;
    else if (a.kind == Arg::AStr)
        as = a.as;
    else if (a.kind == Arg::Ptr && a.p != nullptr)
        ws = nullptr, as = nullptr; // not text: printed as "(null)" rather than read
    if (ws == nullptr && as == nullptr) {
        std::string null = "(null)";
        if (precision >= 0 && static_cast<size_t>(precision) < null.size())
            null.resize(precision);
        return FromAscii<C>(null);
    }
    if constexpr (std::is_same_v<C, char16_t>) {
        if (ws)
            return std::u16string(ws, LengthOf(ws, precision));
        return AnsiToWide(as, LengthOf(as, precision));
    } else {
        if (as)
            return std::string(as, LengthOf(as, precision));
        return WideToAnsi(ws, LengthOf(ws, precision));
    }
}

template <class C>
std::basic_string<C> CharText(unsigned long long v, bool argWide) {
    if constexpr (std::is_same_v<C, char16_t>) {
        if (argWide)
            return std::u16string(1, static_cast<char16_t>(v));
        char c = static_cast<char>(v);
        return AnsiToWide(&c, 1);
    } else {
        if (!argWide)
            return std::string(1, static_cast<char>(v));
        char16_t c = static_cast<char16_t>(v);
        return WideToAnsi(&c, 1);
    }
}

int ReadNumber(const auto*& p) {
    long long n = 0;
    while (*p >= '0' && *p <= '9') {
        if (n < 100000000)
            n = n * 10 + (*p - '0');
        ++p;
    }
    return static_cast<int>(n);
}

template <class C>
std::basic_string<C> Run(const C* format, Source& src, bool allowFloat) {
    constexpr bool kWide = std::is_same_v<C, char16_t>;
    std::basic_string<C> out;
    if (format == nullptr)
        return out;
    for (const C* p = format; *p != 0;) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        ++p;
        Spec s;
        for (;; ++p) {
            if (*p == '-') s.left = true;
            else if (*p == '+') s.plus = true;
            else if (*p == ' ') s.space = true;
            else if (*p == '0') s.zero = true;
            else if (*p == '#') s.alt = true;
            else break;
        }
        if (*p == '*') {
            ++p;
            long long w = static_cast<long long>(IntegerOf(src.Next(Want::Int, 32)));
            int wv = static_cast<int>(static_cast<int32_t>(w));
            if (wv < 0) {
                s.left = true;
                wv = wv == INT32_MIN ? 0 : -wv;
            }
            s.width = std::min(wv, 100000000);
        } else {
            s.width = ReadNumber(p);
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                ++p;
                int pv = static_cast<int32_t>(IntegerOf(src.Next(Want::Int, 32)));
                s.precision = pv < 0 ? -1 : std::min(pv, 100000000);
            } else {
                s.precision = ReadNumber(p);
            }
        }
        // Size prefixes.
        if (*p == 'h') {
            ++p;
            s.bits = 16;
            s.textWidth = 1;
            if (*p == 'h') {
                ++p;
                s.bits = 8;
            }
        } else if (*p == 'l') {
            ++p;
            s.textWidth = 2;
            if (*p == 'l') {
                ++p;
                s.bits = 64;
            }
        } else if (*p == 'w') {
            ++p;
            s.textWidth = 2;
        } else if (*p == 'L') {
            ++p;
            s.longDouble = true;
        } else if (*p == 'I') {
            if (p[1] == '6' && p[2] == '4') {
                p += 3;
                s.bits = 64;
            } else if (p[1] == '3' && p[2] == '2') {
                p += 3;
                s.bits = 32;
            } else {
                ++p;
                s.bits = 64;
            }
        } else if (*p == 'j' || *p == 'z' || *p == 't') {
            ++p;
            s.bits = 64;
        }
        C conv = *p;
        if (conv == 0)
            break;
        ++p;
        switch (conv) {
        case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
            out += FromAscii<C>(FormatInteger(static_cast<char>(conv), src.Next(Want::Int, s.bits), s));
            break;
        case 'e': case 'E': case 'f': case 'g': case 'G': case 'a': case 'A':
            if (!allowFloat) {
                out += conv;
                break;
            }
            out += FromAscii<C>(FormatDouble(static_cast<char>(conv),
                                             DoubleOf(src.Next(s.longDouble ? Want::LongDouble : Want::Double, 64)), s));
            break;
        case 'c': case 'C': {
            bool argWide = s.textWidth ? s.textWidth == 2 : ((conv == 'c') == kWide);
            unsigned long long v = IntegerOf(src.Next(Want::Int, 32));
            PadText(out, CharText<C>(v, argWide), s);
            break;
        }
        case 's': case 'S': {
            bool argWide = s.textWidth ? s.textWidth == 2 : ((conv == 's') == kWide);
            PadText(out, StringText<C>(src.Next(argWide ? Want::WStr : Want::AStr, 64), argWide, s.precision), s);
            break;
        }
        case 'p': {
            Spec ps;
            ps.precision = static_cast<int>(2 * sizeof(void*));
            ps.bits = 64;
            std::string text = FormatInteger('X', src.Next(Want::Ptr, 64), ps);
            Spec pad = s;
            pad.zero = false;
            PadText(out, FromAscii<C>(text), pad);
            break;
        }
        case 'n':
            // Writing through %n is refused, as the secure runtime does; the argument is skipped.
            src.Next(Want::Ptr, 64);
            break;
        default:
            out += conv; // "%%" and unknown letters print themselves
            break;
        }
    }
    return out;
}

} // namespace

std::u16string FormatW(const char16_t* format, const Arg* args, size_t count, bool allowFloat) {
    ListSource src(args, count);
    return Run(format, src, allowFloat);
}

std::string FormatA(const char* format, const Arg* args, size_t count) {
    ListSource src(args, count);
    return Run(format, src, true);
}

std::u16string FormatVW(const char16_t* format, va_list args, bool allowFloat) {
    VaSource src(args);
    return Run(format, src, allowFloat);
}

std::string FormatVA(const char* format, va_list args) {
    VaSource src(args);
    return Run(format, src, true);
}

int CopyOut(const std::u16string& text, WCHAR* buffer, size_t capacity) {
    if (buffer == nullptr || capacity == 0)
        return 0;
    size_t n = std::min(text.size(), capacity - 1);
    text.copy(buffer, n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

} // namespace afx_format

int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args) {
    return afx_format::CopyOut(afx_format::FormatVW(format, args, false), buffer, 1024);
}

int _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args) {
    std::u16string text = afx_format::FormatVW(format, args);
    if (text.size() > count) {
        text.copy(buffer, count);
        return -1;
    }
    text.copy(buffer, text.size());
    if (text.size() < count)
        buffer[text.size()] = 0;
    return static_cast<int>(text.size());
}
