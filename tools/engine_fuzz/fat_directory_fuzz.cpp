// libFuzzer target: the FAT directory reader on two sectors, sector by sector with a long name carried across,
// and as one run. The first byte chooses FAT16 or FAT32 and the entry the parse starts at.
#include "engine/engine_state.h"
#include "engine/fat_directory.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    PartitionParams = {};
    PartitionParams.FsType = (data[0] & 1) ? FS_KIND_FAT32 : FS_KIND_FAT16;
    const int firstIndex = (data[0] >> 1) % 16;
    std::vector<BYTE> sectors(2 * SECTOR_SIZE, 0);
    std::memcpy(sectors.data(), data + 1, size - 1 < sectors.size() ? size - 1 : sectors.size());
    FatDirWalk walk;
    int end = 0;
    ParseFatDirectory(sectors.data(), 2, &end, 10, 0, firstIndex, &walk);
    ParseFatDirectory(sectors.data() + SECTOR_SIZE, 2, &end, 11, 0, 0, &walk);
    end = 0;
    ParseFatDirectorySectors(sectors.data(), 2, &end, 10, 2, 1, firstIndex);
    FreeScanResultLists();
    return 0;
}
