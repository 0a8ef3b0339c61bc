// Feeds arbitrary bytes to the zip reader's inner layer as a whole archive: every entry's central
// and local headers, its extra field's timestamps and its data.
#include "preview/archive/zip_archive.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exactly sized copy, so a read past the archive's end is caught.
    std::vector<uint8_t> bytes(data, data + size);
    int status = 0;
    auto archive = ZipArchive::Open(std::make_unique<ZipMemorySource>(bytes.data(), bytes.size()), &status);
    if (!archive)
        return 0;
    uint8_t buffer[512];
    for (uint32_t i = 0; i < archive->EntryCount() && i < 64; ++i) {
        if (archive->GoTo(i) != ZIP_OK)
            break;
        std::vector<uint8_t> extra;
        if (archive->ReadLocalExtra(extra) == ZIP_OK)
            ParseExtendedTimestamp(extra.data(), extra.size());
        if (archive->OpenEntry() != ZIP_OK)
            continue;
        // At most 64 KiB per entry: the sizes come from the data.
        for (int pieces = 0; pieces < 128 && archive->ReadEntry(buffer, sizeof buffer) > 0; ++pieces) {
        }
        archive->CloseEntry();
    }
    return 0;
}
