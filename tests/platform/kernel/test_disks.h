// Disk images for the kernel tests: partitioned images made with the system's mkfs tools, attached by environment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kerneltest {

struct PartitionSpec {
    uint64_t startSector;
    uint64_t sectorCount;
    std::string type;    // sfdisk type: "c" FAT32, "6" FAT16, "7" NTFS, "5" extended
    std::string format;  // "fat32", "fat16", "ntfs" or "" to leave it unformatted
    std::string label;
    uint32_t serial = 0x12345678;
};

// True when the tools needed for the format exist (tests skip otherwise).
bool HaveTool(const std::string& format);

// Makes a sparse image of the given size with an MBR holding the partitions, each formatted as
// asked. Returns false (with a message in error) when a tool failed.
bool MakeDisk(const std::string& path, uint64_t bytes, const std::vector<PartitionSpec>& parts, std::string& error);

// Output of a command (for cross-checks with the file-system tools), empty when it failed.
std::string RunCommand(const std::string& command);

// Sets DOVEMARK_DISKS (and hides the host's disks) for the life of the object.
class AttachedDisks {
public:
    explicit AttachedDisks(const std::vector<std::string>& images);
    ~AttachedDisks();

private:
    std::string old_;
    bool hadOld_;
};

} // namespace kerneltest
