// The rich-text reader: groups, control words, fonts and colours, code-page bytes and Unicode escapes.
#include "backend/rtf/rtf_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iconv.h>
#include <map>
#include <vector>

namespace backend {

namespace {

// Control words are at most this long; a longer run of letters is read and dropped.
constexpr size_t kMaxWord = 32;

struct State {
    bool bold = false, italic = false, underline = false;
    int font = -1, colour = 0, halfPoints = 24;
    int uc = 1;          // characters that stand in for each \uN
    bool skip = false;   // inside a destination without text
    int dest = 0;        // 1 font table, 2 colour table
    unsigned codePage = 0;
};

unsigned CodePageOfCharset(long charset)
{
    switch (charset) {
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 0;
    }
}

std::u16string Decode(const std::string& bytes, unsigned codePage)
{
    std::u16string out;
    if (bytes.empty())
        return out;
    std::string name = "CP" + std::to_string(codePage ? codePage : 1252);
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    if (cd == iconv_t(-1))
        cd = iconv_open("UTF-16LE", "CP1252");
    std::vector<char> buffer(bytes.size() * 4 + 8);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        // A byte that does not convert becomes '?', as the system's conversion does.
        ++in;
        --inLeft;
        if (outLeft >= 2) {
            *outPtr++ = '?';
            *outPtr++ = 0;
            outLeft -= 2;
        }
    }
    iconv_close(cd);
    const size_t n = (buffer.size() - outLeft) / 2;
    out.resize(n);
    std::memcpy(out.data(), buffer.data(), n * 2);
    return out;
}

class Parser {
public:
    Parser(const char* data, size_t size, RtfDocument& out) : m_p(data), m_end(data + size), m_doc(out) {}

    void Run()
    {
        int depth = 0, skippedDepth = 0;
        while (m_p < m_end) {
            const char c = *m_p++;
            if (skippedDepth) {
                // Beyond the depth bound: only braces are counted until the group closes.
                if (c == '\\' && m_p < m_end)
                    ++m_p;
                else if (c == '{')
                    ++skippedDepth;
                else if (c == '}')
                    --skippedDepth;
                continue;
            }
            if (c == '{') {
                Flush();
                if (depth >= kMaxRtfDepth) {
                    skippedDepth = 1;
                    continue;
                }
                m_stack.push_back(m_state);
                ++depth;
                m_groupStart = true;
            } else if (c == '}') {
                Flush();
                if (m_state.dest == 1 && !m_fontName.empty())
                    EndFont();
                if (m_stack.empty())
                    break;
                m_state = m_stack.back();
                m_stack.pop_back();
                --depth;
                m_groupStart = false;
            } else if (c == '\\') {
                ControlSymbolOrWord();
                m_groupStart = false;
            } else if (c == '\r' || c == '\n') {
                continue;
            } else {
                m_groupStart = false;
                Text(c);
            }
        }
        Flush();
        // The table's first entry, before its first semicolon, is the automatic colour.
        if (m_doc.colours.empty())
            m_doc.colours.push_back(0);
    }

private:
    void Text(char c)
    {
        if (m_state.dest == 1) {
            if (c == ';')
                EndFont();
            else
                m_fontName += c;
            return;
        }
        if (m_state.dest == 2) {
            if (c == ';') {
                m_doc.colours.push_back(m_rgb);
                m_rgb = 0;
            }
            return;
        }
        if (m_state.skip)
            return;
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        m_bytes += c;
    }

    void EndFont()
    {
        if (m_fontIndex >= 0 && m_fontIndex < 4096) {
            m_doc.fonts.resize(std::max(size_t(m_fontIndex) + 1, m_doc.fonts.size()));
            m_doc.fonts[size_t(m_fontIndex)] = Decode(m_fontName, m_pendingCodePage ? m_pendingCodePage : m_docCodePage);
            m_fontCodePage[m_fontIndex] = m_pendingCodePage;
        }
        m_fontName.clear();
        m_pendingCodePage = 0;
    }

    unsigned CodePage() const
    {
        if (m_state.codePage)
            return m_state.codePage;
        auto it = m_fontCodePage.find(m_state.font);
        if (it != m_fontCodePage.end() && it->second)
            return it->second;
        return m_docCodePage;
    }

    void Flush()
    {
        if (!m_bytes.empty()) {
            Emit(Decode(m_bytes, CodePage()));
            m_bytes.clear();
        }
    }

    void Emit(const std::u16string& text)
    {
        if (text.empty() || m_state.skip || m_state.dest)
            return;
        if (m_doc.runs.empty() || !SameFormat(m_doc.runs.back())) {
            RtfRun run;
            run.bold = m_state.bold;
            run.italic = m_state.italic;
            run.underline = m_state.underline;
            run.font = m_state.font;
            run.colour = m_state.colour;
            run.halfPoints = m_state.halfPoints;
            m_doc.runs.push_back(run);
        }
        m_doc.runs.back().text += text;
    }

    bool SameFormat(const RtfRun& r) const
    {
        return r.bold == m_state.bold && r.italic == m_state.italic && r.underline == m_state.underline &&
               r.font == m_state.font && r.colour == m_state.colour && r.halfPoints == m_state.halfPoints;
    }

    void Character(char16_t c)
    {
        Flush();
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        Emit(std::u16string(1, c));
    }

    void ControlSymbolOrWord()
    {
        if (m_p >= m_end)
            return;
        const char c = *m_p;
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_p;
            switch (c) {
            case '\'': {
                auto hex = [](char h) {
                    return h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
                };
                if (m_end - m_p >= 2 && hex(m_p[0]) >= 0 && hex(m_p[1]) >= 0) {
                    Text(char(hex(m_p[0]) * 16 + hex(m_p[1])));
                    m_p += 2;
                }
                break;
            }
            case '*': m_state.skip = true; break;
            case '~': Character(0x00A0); break;
            case '_': Character(0x2011); break;
            case '-': break;
            case '\\':
            case '{':
            case '}': Text(c); break;
            case '\r':
            case '\n': Character(u'\r'), Character(u'\n'); break;
            default: break;
            }
            return;
        }
        std::string word;
        while (m_p < m_end && std::isalpha(static_cast<unsigned char>(*m_p))) {
            if (word.size() < kMaxWord)
                word += *m_p;
            ++m_p;
        }
        bool hasParam = false;
        long param = 0;
        bool negative = false;
        if (m_p < m_end && *m_p == '-') {
            negative = true;
            ++m_p;
        }
        int digits = 0;
        while (m_p < m_end && std::isdigit(static_cast<unsigned char>(*m_p))) {
            // Parameters are 16 or 32 bits; longer digit runs are read and clamped.
            if (digits++ < 10)
                param = param * 10 + (*m_p - '0');
            ++m_p;
            hasParam = true;
        }
        if (param > 0x7FFFFFFFL)
            param = 0x7FFFFFFFL;
        if (negative)
            param = -param;
        if (m_p < m_end && *m_p == ' ')
            ++m_p;
        Word(word, hasParam, param);
    }

    void Word(const std::string& w, bool hasParam, long param)
    {
        static const char* const kSkipped[] = {"pict", "object", "stylesheet", "info", "header", "footer", "headerl",
                                                "headerr", "headerf", "footerl", "footerr", "footerf", "fldinst",
                                                "themedata", "colorschememapping", "latentstyles", "datastore",
                                                "listtable", "listoverridetable", "rsidtbl", "xmlnstbl", "generator",
                                                "bkmkstart", "bkmkend", "footnote", "comment", "nonshppict", "xe", "tc"};
        for (const char* s : kSkipped)
            if (w == s) {
                Flush();
                m_state.skip = true;
                return;
            }
        const bool on = !hasParam || param != 0;
        if (w == "fonttbl") {
            Flush();
            m_state.dest = 1;
        } else if (w == "colortbl") {
            Flush();
            m_state.dest = 2;
            m_rgb = 0;
        } else if (m_state.dest == 2 && (w == "red" || w == "green" || w == "blue")) {
            const uint32_t v = uint32_t(std::clamp(param, 0L, 255L));
            const int shift = w == "red" ? 0 : w == "green" ? 8 : 16;
            m_rgb = (m_rgb & ~(0xFFu << shift)) | (v << shift);
        } else if (w == "f") {
            if (m_state.dest == 1) {
                if (!m_fontName.empty())
                    EndFont();
                m_fontIndex = int(std::clamp(param, -1L, 4095L));
            } else {
                Flush();
                m_state.font = int(std::clamp(param, -1L, 4095L));
            }
        } else if (w == "fcharset" && m_state.dest == 1) {
            m_pendingCodePage = CodePageOfCharset(param);
        } else if (w == "ansicpg") {
            m_docCodePage = unsigned(std::clamp(param, 0L, 65535L));
        } else if (w == "par" || w == "line" || w == "sect" || w == "page") {
            Character(u'\r');
            Character(u'\n');
        } else if (w == "tab") {
            Character(u'\t');
        } else if (w == "cell") {
            Character(u'\t');
        } else if (w == "row") {
            Character(u'\r');
            Character(u'\n');
        } else if (w == "emdash") {
            Character(0x2014);
        } else if (w == "endash") {
            Character(0x2013);
        } else if (w == "bullet") {
            Character(0x2022);
        } else if (w == "lquote") {
            Character(0x2018);
        } else if (w == "rquote") {
            Character(0x2019);
        } else if (w == "ldblquote") {
            Character(0x201C);
        } else if (w == "rdblquote") {
            Character(0x201D);
        } else if (w == "u" && hasParam) {
            Flush();
            const char16_t ch = char16_t(param < 0 ? param + 65536 : param);
            Emit(std::u16string(1, ch));
            m_ucSkip = m_state.uc;
            return;
        } else if (w == "uc") {
            m_state.uc = int(std::clamp(param, 0L, 10L));
        } else if (w == "b" || w == "i" || w == "ul" || w == "ulnone" || w == "cf" || w == "fs" || w == "plain") {
            Flush();
            if (w == "b")
                m_state.bold = on;
            else if (w == "i")
                m_state.italic = on;
            else if (w == "ul")
                m_state.underline = on;
            else if (w == "ulnone")
                m_state.underline = false;
            else if (w == "cf")
                m_state.colour = int(std::clamp(param, 0L, 4095L));
            else if (w == "fs")
                m_state.halfPoints = int(std::clamp(param, 1L, 3276L));
            else {
                m_state.bold = m_state.italic = m_state.underline = false;
                m_state.halfPoints = 24;
                m_state.colour = 0;
            }
        }
        m_ucSkip = 0;
    }

    const char* m_p;
    const char* m_end;
    RtfDocument& m_doc;
    State m_state;
    std::vector<State> m_stack;
    std::string m_bytes;
    std::string m_fontName;
    int m_fontIndex = -1;
    unsigned m_pendingCodePage = 0;
    std::map<int, unsigned> m_fontCodePage;
    unsigned m_docCodePage = 1252;
    uint32_t m_rgb = 0;
    int m_ucSkip = 0;
    bool m_groupStart = false;
};

} // namespace

std::u16string RtfDocument::PlainText() const
{
    std::u16string text;
    for (const RtfRun& r : runs)
        text += r.text;
    return text;
}

bool ReadRtf(const char* data, size_t size, RtfDocument& out)
{
    out = RtfDocument{};
    if (!data || size < 5 || std::memcmp(data, "{\\rtf", 5) != 0)
        return false;
    Parser(data, size, out).Run();
    return true;
}

} // namespace backend
