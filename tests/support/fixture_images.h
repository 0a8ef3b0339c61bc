// Disk images made by tests/fixtures/make_image.py, cached in the build tree, with their parsed manifests.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

// One extent of a file's data in clusters; a sparse extent has no start.
struct FixtureRun {
    int64_t start = -1;  // -1 for a sparse run
    int64_t count = 0;
    bool Sparse() const { return start < 0; }
};

// One file or folder the generator wrote (and possibly deleted) on a volume.
struct FixtureEntry {
    int volume = 0;              // index into FixtureImage::volumes
    std::string path;            // UTF-8, "/"-separated from the volume root; "%", "/" and control
                                 // characters inside a name are written %XX (see Name())
    bool is_dir = false;
    uint64_t size = 0;
    std::string sha256;          // of the file's contents; empty for folders
    // UTC "YYYY-MM-DDTHH:MM:SS" (FAT: as stored; accessed is a date only "YYYY-MM-DD"); empty if none.
    std::string created, modified, accessed, changed;
    bool deleted = false;        // also set for everything inside a deleted folder
    bool intact = true;          // every cluster of the data still holds it
    int64_t first_cluster = -1;  // FAT
    int64_t mft_record = -1;     // NTFS
    std::vector<FixtureRun> runs;
    std::set<std::string> flags; // longname, shortname, chinese, fragmented, resident, sparse, ...

    std::string Name() const;    // last path component, %XX escapes decoded
    std::u16string Name16() const;
    std::string Parent() const;  // path of the folder holding it, "" for the root
    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
};

// A partition of the image (also one whose table entry was zeroed: role "lost").
struct FixtureVolume {
    int index = 0;
    std::string role;            // primary, logical, lost
    uint64_t start = 0;          // absolute sector
    uint64_t sectors = 0;
    int type = 0;                // partition type byte
    std::string fs;              // FAT16, FAT32, NTFS
    std::string label;
    std::string serial;          // hex as stored on the volume
    uint32_t cluster_bytes = 0;
    std::map<std::string, std::string> extra;  // FAT: reserved, fat_sectors, fats, root_entries,
                                               // root_cluster, data_sector; NTFS: mft_lcn, mft_record_bytes
    int64_t Extra(const std::string& key) const;  // -1 when absent
};

struct FixtureImage {
    std::string kind;
    bool available = false;      // false: see skip_reason / error
    bool tool_missing = false;   // the generator lacked a tool: tests skip
    std::string error;           // why the image is not available
    std::string path;            // the disk image
    uint64_t bytes = 0;
    std::vector<FixtureVolume> volumes;
    std::vector<FixtureEntry> entries;

    const FixtureEntry* Find(int volume, const std::string& path) const;
    std::vector<const FixtureEntry*> EntriesOf(int volume) const;
    std::vector<const FixtureEntry*> Children(int volume, const std::string& folder) const;
};

// The image of a kind (see make_image.py for the kinds), made on first use and cached under
// DOVEMARK_BINARY_DIR/fixture-cache, shared safely by test processes running in parallel. Never null; check
// `available`, or use DOVEMARK_REQUIRE_FIXTURE.
const FixtureImage& GetFixtureImage(const std::string& kind);

// Parses a manifest file (exposed for tests of the parser and for images made elsewhere).
bool ParseFixtureManifest(const std::string& manifest_path, FixtureImage& image, std::string* error);

// A manifest time as a FILETIME value (100 ns since 1601-01-01); 0 for an empty or malformed text.
uint64_t FixtureTimeToFileTime(const std::string& text);

// Path of the generator's NTFS helper tool, empty when it was not built.
std::string NtfsFixtureTool();

} // namespace testsupport

// Declares `const FixtureImage& var` for `kind` in a test body: skips the test when a tool to make it is
// missing, fails it when the generator failed.
#define DOVEMARK_REQUIRE_FIXTURE(var, kind)                                                  \
    const ::testsupport::FixtureImage& var = ::testsupport::GetFixtureImage(kind);           \
    do {                                                                                     \
        if (!var.available) {                                                                \
            if (var.tool_missing)                                                            \
                GTEST_SKIP() << var.error;                                                   \
            FAIL() << var.error;                                                             \
        }                                                                                    \
    } while (0)
