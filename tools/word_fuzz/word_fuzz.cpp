// Feeds arbitrary bytes to the Word text reader: as a whole compound file when the first byte is even (and to the
// summary reader the tracing scan names documents by), else straight as the document and table streams (split where
// the next two bytes say), so the block and piece table checks are reached without a valid compound file around them.
#include "engine/compound_file.h"
#include "preview/word_text_reader.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    std::u16string text;
    if (data[0] % 2 == 0) {
        OfficeExtensionForAppName(ReadSummaryAppName(data + 1, size - 1));
        if (ReadWordText(data + 1, size - 1, text) == WordReadStatus::Ok)
            WordTextToRtf(text);
        return 0;
    }
    const size_t split = std::min<size_t>(size - 3, size_t(data[1] | data[2] << 8));
    const std::vector<uint8_t> document(data + 3, data + 3 + split), table(data + 3 + split, data + size);
    if (ReadWordStreams(document, table, text) == WordReadStatus::Ok)
        WordTextToRtf(text);
    return 0;
}
