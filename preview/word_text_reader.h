// Reads the main text of Word 97-2003 documents (the "WordDocument" stream and its table stream, through the
// piece table) and writes it as rich text, bounded against damaged and hostile files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class WordReadStatus {
    Ok,
    NotWord,   // no compound file, no "WordDocument" stream or no Word 97-2003 file information block
    Encrypted, // the text is encrypted or obfuscated
    Damaged,   // a table, an offset or a count points outside the streams
    TooLarge,  // more text than is shown
};

// The text handed out stops here; a document claiming more is refused.
constexpr uint32_t kMaxWordTextChars = 16u << 20;

// The document's main text. Paragraph ends are '\r', line breaks '\v', page and section breaks '\f', tabs '\t',
// and table cell and row ends '\a'. Field instructions, pictures, drawn objects and note marks are left out.
WordReadStatus ReadWordText(const uint8_t* data, size_t size, std::u16string& text);

// The same from the two streams themselves: the "WordDocument" stream and the table stream its header names.
WordReadStatus ReadWordStreams(const std::vector<uint8_t>& document, const std::vector<uint8_t>& table,
                               std::u16string& text);

// Whether the data is a Word 97-2003 document (a compound file with a "WordDocument" stream holding a file
// information block of that version), without reading its text.
bool IsWordDocument(const uint8_t* data, size_t size);

// The text as a rich-text document: paragraphs, line and page breaks, tabs and table cells and rows, every
// character outside ASCII as a Unicode escape.
std::string WordTextToRtf(std::u16string_view text);
