// The Word 97-2003 text reader: file information block, piece table, characters, and the rich-text writer.
#include "preview/word_text_reader.h"

#include "engine/compound_file.h"

#include <algorithm>

namespace {

constexpr uint16_t kWordIdent = 0xA5EC;
// Word 97 wrote 193; later versions keep their own number further on and write at least that here.
constexpr uint16_t kFirstWord97Fib = 0xC1;
constexpr uint16_t kFlagWhichTable = 0x0200;
constexpr uint16_t kFlagEncrypted = 0x0100;
constexpr uint16_t kFlagObfuscated = 0x8000;

// The block's variable parts: counts of 16-bit words, of 32-bit words and of offset/length pairs, each at least
// as many as Word 97 wrote, so the fields read below are there.
constexpr size_t kFibBaseSize = 32;
constexpr uint16_t kMinShorts = 14;
constexpr uint16_t kMinLongs = 22;
constexpr uint16_t kMinPairs = 34;
constexpr size_t kLongTextCount = 3; // ccpText among the 32-bit words
constexpr size_t kPairClx = 33;      // the piece table's offset and length among the pairs

constexpr uint8_t kClxPrc = 1;
constexpr uint8_t kClxPcdt = 2;
constexpr uint32_t kPieceSize = 8;
constexpr uint32_t kCompressedBit = 0x40000000;
constexpr uint32_t kOffsetMask = 0x3FFFFFFF;
// Fields nest; deeper ones than this are taken as text, which damaged documents may show.
constexpr size_t kMaxFieldDepth = 64;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// Bytes 0x80 to 0x9F of 8-bit pieces, which Word stores in code page 1252.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D,
    0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
    0x0153, 0x009D, 0x017E, 0x0178};

struct Fib {
    uint16_t flags = 0;
    uint32_t textChars = 0;
    uint32_t clxOffset = 0;
    uint32_t clxLength = 0;
};

WordReadStatus ReadFib(const std::vector<uint8_t>& doc, Fib& fib)
{
    const uint8_t* d = doc.data();
    if (doc.size() < kFibBaseSize + 2 || U16(d) != kWordIdent || U16(d + 2) < kFirstWord97Fib)
        return WordReadStatus::NotWord;
    fib.flags = U16(d + 0x0A);
    size_t at = kFibBaseSize;
    const uint16_t shorts = U16(d + at);
    at += 2 + size_t(shorts) * 2;
    if (shorts < kMinShorts || at + 2 > doc.size())
        return WordReadStatus::NotWord;
    const uint16_t longs = U16(d + at);
    const size_t longsAt = at + 2;
    at = longsAt + size_t(longs) * 4;
    if (longs < kMinLongs || at + 2 > doc.size())
        return WordReadStatus::NotWord;
    const uint16_t pairs = U16(d + at);
    const size_t pairsAt = at + 2;
    if (pairs < kMinPairs || pairsAt + size_t(pairs) * 8 > doc.size())
        return WordReadStatus::NotWord;
    fib.textChars = U32(d + longsAt + 4 * kLongTextCount);
    fib.clxOffset = U32(d + pairsAt + 8 * kPairClx);
    fib.clxLength = U32(d + pairsAt + 8 * kPairClx + 4);
    return WordReadStatus::Ok;
}

struct Piece {
    uint32_t firstChar, endChar;
    uint64_t offset; // of its first byte in the document stream
    bool compressed;
};

// The piece table inside the complex part of the table stream: property runs first, then the table itself.
WordReadStatus ReadPieces(const std::vector<uint8_t>& table, const Fib& fib, std::vector<Piece>& pieces)
{
    if (fib.clxLength == 0 || uint64_t(fib.clxOffset) + fib.clxLength > table.size())
        return WordReadStatus::Damaged;
    const uint8_t* clx = table.data() + fib.clxOffset;
    const uint64_t end = fib.clxLength;
    uint64_t at = 0;
    while (at < end && clx[at] == kClxPrc) {
        if (at + 3 > end)
            return WordReadStatus::Damaged;
        const int16_t bytes = int16_t(U16(clx + at + 1));
        if (bytes < 0)
            return WordReadStatus::Damaged;
        at += 3 + uint64_t(bytes);
    }
    if (at + 5 > end || clx[at] != kClxPcdt)
        return WordReadStatus::Damaged;
    const uint64_t length = U32(clx + at + 1);
    at += 5;
    if (at + length > end || length < 4 + 4 + kPieceSize || (length - 4) % (4 + kPieceSize) != 0)
        return WordReadStatus::Damaged;
    const uint64_t count = (length - 4) / (4 + kPieceSize);
    const uint8_t* cps = clx + at;
    const uint8_t* descriptors = cps + 4 * (count + 1);
    pieces.clear();
    pieces.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint32_t first = U32(cps + 4 * i), next = U32(cps + 4 * (i + 1));
        if (next < first || (i == 0 && first != 0) || (i > 0 && first != pieces.back().endChar))
            return WordReadStatus::Damaged;
        const uint32_t fc = U32(descriptors + kPieceSize * i + 2);
        const bool compressed = fc & kCompressedBit;
        pieces.push_back({first, next, compressed ? (fc & kOffsetMask) / 2 : fc & kOffsetMask, compressed});
        // Only the main text is read; the pieces of notes, headers and text boxes after it are not needed.
        if (next >= fib.textChars)
            break;
    }
    return WordReadStatus::Ok;
}

// Turns the stored characters into the shown ones: field instructions and object anchors go, the rest stays.
class TextBuilder {
public:
    explicit TextBuilder(std::u16string& out) : m_out(out) {}

    void Add(char16_t c)
    {
        switch (c) {
        case 0x13: // field begin: its instructions follow
            if (m_fields.size() < kMaxFieldDepth) {
                m_fields.push_back(true);
                return;
            }
            break;
        case 0x14: // field separator: the result follows
            if (!m_fields.empty()) {
                m_fields.back() = false;
                return;
            }
            break;
        case 0x15: // field end
            if (!m_fields.empty()) {
                m_fields.pop_back();
                return;
            }
            break;
        default: break;
        }
        for (bool instructions : m_fields)
            if (instructions)
                return;
        switch (c) {
        case u'\r': case u'\v': case u'\f': case u'\t': case 0x07: m_out.push_back(c); return;
        case 0x1E: m_out.push_back(u'-'); return; // non-breaking hyphen
        default: break;
        }
        // Pictures, drawn objects, note and comment marks, optional hyphens and other controls have no text.
        if (c < 0x20)
            return;
        m_out.push_back(c);
    }

private:
    std::u16string& m_out;
    std::vector<bool> m_fields; // one per open field: still in its instructions
};

bool ReadCompound(const uint8_t* data, size_t size, std::vector<uint8_t>& document, std::vector<uint8_t>& table,
                  WordReadStatus& status)
{
    CompoundFile file(data, size);
    if (!file.IsValid() || !file.ReadRootStream(u"WordDocument", document)) {
        status = WordReadStatus::NotWord;
        return false;
    }
    Fib fib;
    status = ReadFib(document, fib);
    if (status != WordReadStatus::Ok)
        return false;
    if (!file.ReadRootStream(fib.flags & kFlagWhichTable ? u"1Table" : u"0Table", table))
        table.clear();
    return true;
}

} // namespace

WordReadStatus ReadWordStreams(const std::vector<uint8_t>& document, const std::vector<uint8_t>& table,
                               std::u16string& text)
{
    text.clear();
    Fib fib;
    WordReadStatus status = ReadFib(document, fib);
    if (status != WordReadStatus::Ok)
        return status;
    if (fib.flags & (kFlagEncrypted | kFlagObfuscated))
        return WordReadStatus::Encrypted;
    if (fib.textChars > kMaxWordTextChars)
        return WordReadStatus::TooLarge;
    std::vector<Piece> pieces;
    status = ReadPieces(table, fib, pieces);
    if (status != WordReadStatus::Ok)
        return status;
    if (fib.textChars > 0 && (pieces.empty() || pieces.back().endChar < fib.textChars))
        return WordReadStatus::Damaged;

    std::u16string shown;
    TextBuilder builder(shown);
    for (const Piece& piece : pieces) {
        const uint32_t chars = std::min(piece.endChar, fib.textChars) - piece.firstChar;
        const uint64_t bytes = uint64_t(chars) * (piece.compressed ? 1 : 2);
        if (piece.offset + bytes > document.size())
            return WordReadStatus::Damaged;
        const uint8_t* p = document.data() + piece.offset;
        for (uint32_t i = 0; i < chars; ++i) {
            if (piece.compressed) {
                const uint8_t b = p[i];
                builder.Add(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b));
            } else {
                builder.Add(char16_t(U16(p + 2 * size_t(i))));
            }
        }
    }
    text = std::move(shown);
    return WordReadStatus::Ok;
}

WordReadStatus ReadWordText(const uint8_t* data, size_t size, std::u16string& text)
{
    text.clear();
    std::vector<uint8_t> document, table;
    WordReadStatus status;
    if (!ReadCompound(data, size, document, table, status))
        return status;
    return ReadWordStreams(document, table, text);
}

bool IsWordDocument(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> document, table;
    WordReadStatus status;
    return ReadCompound(data, size, document, table, status);
}

std::string WordTextToRtf(std::u16string_view text)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs20 ";
    rtf.reserve(rtf.size() + text.size() + 16);
    bool afterCell = false;
    for (const char16_t c : text) {
        const bool cell = c == 0x07 && !afterCell;
        switch (c) {
        case u'\r': rtf += "\\par\n"; break;
        case u'\v': rtf += "\\line "; break;
        case u'\f': rtf += "\\page\n"; break;
        case u'\t': rtf += "\\tab "; break;
        // A row ends with a mark of its own right after its last cell's.
        case 0x07: rtf += cell ? "\\cell " : "\\row\n"; break;
        case u'\\': rtf += "\\\\"; break;
        case u'{': rtf += "\\{"; break;
        case u'}': rtf += "\\}"; break;
        default:
            if (c < 0x80) {
                rtf += char(c);
            } else {
                rtf += "\\u" + std::to_string(int16_t(c)) + "?";
            }
        }
        afterCell = cell;
    }
    rtf += "}";
    return rtf;
}
