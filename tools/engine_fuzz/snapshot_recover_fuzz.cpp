// libFuzzer target: a snapshot loaded over a small crafted disk and everything in it recovered into a folder whose
// files the process cannot grow past 64 MiB. No recovered file may be larger than what its source holds: an NTFS
// file than its runs (or its resident value), a FAT file than its entry's size, a traced file than its megabytes.
#include "engine/engine_state.h"
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "engine/recovery_writer.h"
#include "engine/sector_reader.h"
#include "engine/snapshot_file.h"
#include "tests/engine/crafted.h"
#include "win32/kernel.h"
#include "win32/kernel/util.h"

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace crafted;

constexpr ULONGLONG kDiskSectors = 2048;
constexpr size_t kMaxFiles = 12;

std::string g_root;

// The disk: MFT records at sectors 100 to 110 (plain, compressed, resident, sparse, extension), a FAT at sectors 1
// and 2 with a chain of three clusters and a loop, and patterned data everywhere else.
void WriteDisk(const std::string& path)
{
    std::vector<BYTE> disk(kDiskSectors * SECTOR_SIZE);
    for (size_t i = 0; i < disk.size(); ++i)
        disk[i] = BYTE(i * 7 + i / SECTOR_SIZE);
    auto put = [&](ULONGLONG sector, const std::vector<BYTE>& bytes) {
        std::copy(bytes.begin(), bytes.end(), disk.begin() + std::ptrdiff_t(sector * SECTOR_SIZE));
    };
    std::vector<BYTE> fat(2 * SECTOR_SIZE, 0);
    const WORD chain[] = {0xFFF8, 0xFFFF, 3, 4, 0xFFFF, 5, 5};
    for (size_t i = 0; i < std::size(chain); ++i)
        Put16(&fat[2 * i], chain[i]);
    put(1, fat);
    {
        MftRecord r(1);
        r.Resident(ATTR_FILE_NAME, FileNameValue(u"plain.bin", 5, 1));
        r.NonResident(ATTR_DATA, {0x21, 0x04, 0xC8, 0x00, 0x00}, 2048);
        put(100, r.Finish());
    }
    {
        MftRecord r(1);
        r.Resident(ATTR_FILE_NAME, FileNameValue(u"packed.bin", 5, 1));
        BYTE* a = r.NonResident(ATTR_DATA, {0x21, 0x10, 0x2C, 0x01, 0x00}, 1ULL << 40);
        a[0x0C] = 0x01;
        a[0x22] = 4;
        put(102, r.Finish());
    }
    {
        MftRecord r(1);
        r.Resident(ATTR_FILE_NAME, FileNameValue(u"small.txt", 5, 1));
        r.Resident(ATTR_DATA, std::vector<BYTE>(300, 'r'));
        put(104, r.Finish());
    }
    {
        MftRecord r(1);
        r.Resident(ATTR_FILE_NAME, FileNameValue(u"holes.bin", 5, 1));
        r.NonResident(ATTR_DATA, {0x01, 0x08, 0x11, 0x04, 0x64, 0x00}, 1ULL << 32);
        put(106, r.Finish());
    }
    {
        MftRecord r(1);
        Put32(&r.b[0x20], 40); // an extension record: its base is not in any table
        r.NonResident(ATTR_DATA, {0x11, 0x02, 0x50, 0x00}, 1ULL << 20);
        put(108, r.Finish());
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(disk.data()), std::streamsize(disk.size()));
}

// What the source of an NTFS file at a record sector holds, in bytes.
ULONGLONG NtfsBound(DWORD sector)
{
    std::vector<BYTE> record(kMftRecordSize, 0);
    if (!ReadMftRecord(sector, record.data()))
        return 0;
    DWORD offset = 0;
    const int kind = FindDataAttr(record.data(), &offset);
    if (kind == 1)
        return record[offset + 0x10] | record[offset + 0x11] << 8 | ULONGLONG(record[offset + 0x12]) << 16;
    if (kind != 2)
        return 0;
    GetFileExtents(kMftRecordSize, record.data(), offset);
    ULONGLONG clusters = 0;
    for (ExtentNode* e = ExtentHead; e; e = e->Next)
        clusters += e->Length;
    FreeExtents();
    return clusters * PartitionParams.SectorsPerCluster * SECTOR_SIZE;
}

// The name a file is written under, folded as the layer folds names when it looks them up.
std::string Written(const WCHAR* name)
{
    std::vector<WCHAR> safe;
    SanitizeNameComponent(name, &safe);
    std::string out;
    dovemark::kernel::Utf16ToUtf8(safe.data(), out);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_root = "/tmp/snapshot_recover_fuzz_" + std::to_string(getpid());
    fs::create_directories(g_root + "/out");
    WriteDisk(g_root + "/disk.img");
    setenv("DOVEMARK_DISKS", (g_root + "/disk.img").c_str(), 1);
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    ResetPhysicalDrivePaths();
    // A file that grows past the cap fails its write instead of filling the disk the fuzzer runs on.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit cap{64ULL << 20, 64ULL << 20};
    setrlimit(RLIMIT_FSIZE, &cap);
    std::atexit([] { fs::remove_all(g_root); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (LoadSnapshotBytes(data, size) != SnapshotStatus::Ok) {
        FreeAllResultLists();
        return 0;
    }
    DriveNumber = 0;
    DriveKind = 1;
    OpenPhysicalDrive();
    ResetRecoverySettings();
    FileTypeFilterCount = 0;
    DuplicateFileMode = 3; // each name once, so every file on disk is the first item of its name
    TracedFileSize = 1;
    const std::string out = g_root + "/out";
    const std::u16string wide(out.begin(), out.end());
    std::fill(std::begin(DestinationFolder), std::end(DestinationFolder), 0);
    std::copy(wide.begin(), wide.end(), DestinationFolder);

    std::vector<DWORD> ids;
    // By written name: the largest source of that name, since the first item of a name may make no file at all.
    std::map<std::string, ULONGLONG> bound;
    auto add = [&](DWORD id, const WCHAR* name, ULONGLONG limit) {
        if (ids.size() < kMaxFiles) {
            ids.push_back(id);
            ULONGLONG& b = bound[Written(name)];
            b = std::max(b, limit);
        }
    };
    if (ScanMode == 1) {
        for (TracedFileRecord* t = TracedFileHead; t; t = t->Next)
            add(t->FileNumber, t->Name, ULONGLONG(TracedFileSize) << 20);
    } else if (PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32) {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            add(e->FileId, e->Name, e->Size);
    } else {
        std::map<DWORD, bool> seen; // the writer takes the first record of a sector
        for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
            if (seen.emplace(e->RecordSector, true).second)
                add(e->RecordSector, e->Name, std::min(NtfsBound(e->RecordSector), ULONGLONG(e->SizeHigh) << 32 | e->SizeLow));
    }
    ResetSaveTally();
    SaveStopFlag = 0;
    RecoverSelection({}, ids);

    for (const auto& entry : fs::directory_iterator(out)) {
        std::string name = entry.path().filename().string();
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = char(c + 32);
        auto found = bound.find(name);
        if (found == bound.end() || fs::file_size(entry.path()) > found->second) {
            std::fprintf(stderr, "%s: %llu bytes\n", name.c_str(), (unsigned long long)fs::file_size(entry.path()));
            __builtin_trap();
        }
    }
    for (const auto& entry : fs::directory_iterator(out))
        fs::remove_all(entry.path());
    // Nothing loaded outlives its input, so the leak check at the end sees only what was really lost.
    FreeAllResultLists();
    return 0;
}
