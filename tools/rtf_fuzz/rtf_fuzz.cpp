// Feeds arbitrary bytes to the rich-text reader as a whole document.
#include "backend/rtf/rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    backend::RtfDocument doc;
    backend::ReadRtf(reinterpret_cast<const char*>(data), size, doc);
    return 0;
}
