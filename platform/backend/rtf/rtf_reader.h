// Reads rich text (RTF) into runs of text with their character formatting, bounded against hostile files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace backend {

struct RtfRun {
    std::u16string text; // paragraphs end with CR LF
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int font = -1;           // index into RtfDocument::fonts, -1 for none
    int colour = 0;          // index into RtfDocument::colours; 0 is the automatic colour
    int halfPoints = 24;
};

struct RtfDocument {
    std::vector<RtfRun> runs;
    std::vector<std::u16string> fonts;
    std::vector<uint32_t> colours; // 0x00BBGGRR; entry 0 is the automatic colour
    std::u16string PlainText() const;
};

// Groups nested deeper than this are skipped with their content.
constexpr int kMaxRtfDepth = 200;

// False when the data is no rich text (it must begin with "{\rtf"). Pictures, objects and other
// destinations that hold no text are skipped.
bool ReadRtf(const char* data, size_t size, RtfDocument& out);

} // namespace backend
