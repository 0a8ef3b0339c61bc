// Reading label, serial and free space from FAT boot sectors, FSInfo and FATs, and NTFS $Volume/$Bitmap.
#include "win32/kernel/volume_facts.h"
#include "win32/kernel/util.h"

#include <algorithm>
#include <cstring>
#include <iconv.h>
#include <unistd.h>
#include <vector>

namespace dovemark::kernel {
namespace {

ULONGLONG Le(const BYTE* p, int bytes)
{
    ULONGLONG v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

// Reads byte ranges of one partition through the layer's device reads (so marked sectors fail too).
class PartitionReader {
public:
    PartitionReader(const Disk& disk, const Volume& volume) : disk_(disk), volume_(volume)
    {
        fd_ = OpenDiskFd(disk, &direct_);
    }
    ~PartitionReader()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }
    ULONGLONG Length() const { return volume_.sectorCount * kSectorSize; }
    DWORD Read(ULONGLONG offset, void* buffer, size_t len)
    {
        if (offset > Length() || len > Length() - offset)
            return ERROR_FILE_CORRUPT; // a structure pointing outside its partition
        return ReadDisk(fd_, direct_, disk_, volume_.startSector * kSectorSize + offset, buffer, len);
    }

private:
    const Disk& disk_;
    const Volume& volume_;
    int fd_ = -1;
    bool direct_ = false;
};

// FAT labels are in the OEM code page of the program's locale (936).
std::u16string OemToUtf16(const BYTE* bytes, size_t len)
{
    std::u16string out;
    iconv_t cd = iconv_open("UTF-16LE", "CP936");
    if (cd == iconv_t(-1)) {
        for (size_t i = 0; i < len; ++i)
            out += bytes[i] < 0x80 ? char16_t(bytes[i]) : u'?';
        return out;
    }
    std::vector<char> in(bytes, bytes + len);
    std::vector<char> buf(len * 4 + 4);
    char* inp = in.data();
    size_t inLeft = len;
    char* outp = buf.data();
    size_t outLeft = buf.size();
    while (inLeft) {
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1)) {
            // A byte that does not convert becomes '?', as the system's default character.
            if (outLeft < 2)
                break;
            *outp++ = '?';
            *outp++ = 0;
            outLeft -= 2;
            ++inp;
            --inLeft;
        }
    }
    iconv_close(cd);
    for (char* p = buf.data(); p + 1 < outp; p += 2)
        out += char16_t(BYTE(p[0]) | BYTE(p[1]) << 8);
    return out;
}

struct FatLayout {
    FsKind kind;
    ULONGLONG bps, spc, reserved, fats, fatSize, rootEntries, totalSectors, rootCluster;
    ULONGLONG firstData, clusters;
    ULONGLONG ClusterOffset(ULONGLONG cluster) const { return (firstData + (cluster - 2) * spc) * bps; }
};

// The first FAT, read through a window of a few sectors, so that a volume of any size (or a boot
// sector claiming any size) costs bounded memory.
class FatTable {
public:
    FatTable(PartitionReader& reader, const FatLayout& f) : reader_(reader), f_(f)
    {
        ULONGLONG entries = f.clusters + 2;
        bytes_ = f.kind == FsKind::Fat32 ? entries * 4 : f.kind == FsKind::Fat16 ? entries * 2 : (entries * 3 + 1) / 2;
        bytes_ = std::min(bytes_, f.fatSize * f.bps);
    }

    // The entry of a cluster (end-of-chain values widened to 0x0FFFFFFF); an error when it lies
    // outside the FAT or cannot be read.
    DWORD Next(ULONGLONG cluster, ULONGLONG& next)
    {
        BYTE b[4];
        if (f_.kind == FsKind::Fat32) {
            if (DWORD e = Bytes(cluster * 4, 4, b))
                return e;
            next = Le(b, 4) & 0x0FFFFFFF;
        } else if (f_.kind == FsKind::Fat16) {
            if (DWORD e = Bytes(cluster * 2, 2, b))
                return e;
            next = Le(b, 2);
            if (next >= 0xFFF8)
                next = 0x0FFFFFFF;
        } else {
            if (DWORD e = Bytes(cluster + cluster / 2, 2, b))
                return e;
            ULONGLONG pair = Le(b, 2);
            next = cluster & 1 ? pair >> 4 : pair & 0xFFF;
            if (next >= 0xFF8)
                next = 0x0FFFFFFF;
        }
        return ERROR_SUCCESS;
    }

private:
    static constexpr ULONGLONG kWindow = 64 * 1024;

    DWORD Bytes(ULONGLONG at, size_t len, BYTE* out)
    {
        if (at + len > bytes_)
            return ERROR_FILE_CORRUPT;
        for (size_t i = 0; i < len; ++i) {
            ULONGLONG pos = at + i;
            if (window_.empty() || pos < windowStart_ || pos >= windowStart_ + window_.size()) {
                windowStart_ = pos / kWindow * kWindow;
                ULONGLONG fatEnd = (bytes_ + kSectorSize - 1) / kSectorSize * kSectorSize;
                window_.resize(size_t(std::min(kWindow, fatEnd - windowStart_)));
                if (DWORD e = reader_.Read(f_.reserved * f_.bps + windowStart_, window_.data(), window_.size())) {
                    window_.clear();
                    return e;
                }
            }
            out[i] = window_[size_t(pos - windowStart_)];
        }
        return ERROR_SUCCESS;
    }

    PartitionReader& reader_;
    const FatLayout& f_;
    ULONGLONG bytes_ = 0;
    ULONGLONG windowStart_ = 0;
    std::vector<BYTE> window_;
};

bool LabelFromEntries(const BYTE* entries, size_t count, std::u16string& label, bool& end)
{
    for (size_t i = 0; i < count; ++i) {
        const BYTE* e = entries + i * 32;
        if (e[0] == 0) {
            end = true;
            return false;
        }
        BYTE attr = e[11];
        if (e[0] == 0xE5 || (attr & 0x3F) == 0x0F || !(attr & 0x08))
            continue;
        BYTE name[11];
        std::memcpy(name, e, 11);
        if (name[0] == 0x05)
            name[0] = 0xE5; // the escape of a name that starts with 0xE5
        size_t len = 11;
        while (len && name[len - 1] == ' ')
            --len;
        label = OemToUtf16(name, len);
        return true;
    }
    return false;
}

DWORD ReadFat(PartitionReader& reader, const BYTE* boot, FsKind kind, VolumeFacts& facts, bool wantFree)
{
    FatLayout f{};
    f.kind = kind;
    f.bps = Le(boot + 11, 2);
    f.spc = boot[13];
    f.reserved = Le(boot + 14, 2);
    f.fats = boot[16];
    f.rootEntries = Le(boot + 17, 2);
    f.totalSectors = Le(boot + 19, 2) ? Le(boot + 19, 2) : Le(boot + 32, 4);
    f.fatSize = Le(boot + 22, 2) ? Le(boot + 22, 2) : Le(boot + 36, 4);
    f.rootCluster = kind == FsKind::Fat32 ? Le(boot + 44, 4) : 0;
    ULONGLONG rootSectors = (f.rootEntries * 32 + f.bps - 1) / f.bps;
    f.firstData = f.reserved + f.fats * f.fatSize + rootSectors;
    f.clusters = (f.totalSectors - f.firstData) / f.spc;
    // Only the clusters that the partition really holds can be counted.
    ULONGLONG fitting = reader.Length() / f.bps;
    if (fitting < f.firstData)
        return ERROR_FILE_CORRUPT;
    f.clusters = std::min(f.clusters, (fitting - f.firstData) / f.spc);

    bool fat32 = kind == FsKind::Fat32;
    size_t sigAt = fat32 ? 0x42 : 0x26;
    facts.serial = boot[sigAt] == 0x29 || boot[sigAt] == 0x28 ? DWORD(Le(boot + sigAt + 1, 4)) : 0;
    facts.fsName = fat32 ? u"FAT32" : u"FAT";
    facts.fsFlags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
    ULONGLONG clusterBytes = f.bps * f.spc;
    facts.totalBytes = f.clusters * clusterBytes;

    FatTable fat(reader, f);

    // Label: the volume-label entry of the root folder; a volume without one has none.
    facts.label.clear();
    std::vector<BYTE> buf;
    if (!fat32) {
        buf.resize(size_t(rootSectors * f.bps));
        if (DWORD e = reader.Read((f.reserved + f.fats * f.fatSize) * f.bps, buf.data(), buf.size()))
            return e;
        bool end = false;
        LabelFromEntries(buf.data(), buf.size() / 32, facts.label, end);
    } else {
        buf.resize(size_t(clusterBytes));
        ULONGLONG cluster = f.rootCluster;
        for (ULONGLONG steps = 0; cluster >= 2 && cluster < f.clusters + 2 && steps < f.clusters && steps < 65536;
             ++steps) { // bounded, so a cyclic chain cannot hold us
            if (DWORD e = reader.Read(f.ClusterOffset(cluster), buf.data(), buf.size()))
                return e;
            bool end = false;
            if (LabelFromEntries(buf.data(), buf.size() / 32, facts.label, end) || end)
                break;
            ULONGLONG next;
            if (fat.Next(cluster, next) != ERROR_SUCCESS)
                break;
            cluster = next;
        }
    }

    if (!wantFree)
        return ERROR_SUCCESS;
    if (fat32) {
        ULONGLONG infoSector = Le(boot + 48, 2);
        BYTE info[kSectorSize];
        if (infoSector && infoSector < f.reserved && reader.Read(infoSector * f.bps, info, sizeof info) == ERROR_SUCCESS
            && Le(info, 4) == 0x41615252 && Le(info + 484, 4) == 0x61417272) {
            ULONGLONG freeCount = Le(info + 488, 4);
            if (freeCount != 0xFFFFFFFF && freeCount <= f.clusters) {
                facts.freeBytes = freeCount * clusterBytes;
                return ERROR_SUCCESS;
            }
        }
    }
    ULONGLONG freeClusters = 0;
    for (ULONGLONG c = 2; c < f.clusters + 2; ++c) {
        ULONGLONG next;
        if (DWORD e = fat.Next(c, next))
            return e;
        if (next == 0)
            ++freeClusters;
    }
    facts.freeBytes = freeClusters * clusterBytes;
    return ERROR_SUCCESS;
}

struct Run {
    ULONGLONG vcnStart, length;
    LONGLONG lcn; // -1 for a sparse run
};

bool DecodeRuns(const BYTE* p, size_t len, std::vector<Run>& runs)
{
    ULONGLONG vcn = 0;
    LONGLONG lcn = 0;
    size_t i = 0;
    while (i < len && p[i]) {
        int lenBytes = p[i] & 15, offBytes = p[i] >> 4;
        if (lenBytes == 0 || lenBytes > 8 || offBytes > 8 || i + 1 + lenBytes + offBytes > len)
            return false;
        ULONGLONG count = Le(p + i + 1, lenBytes);
        LONGLONG delta = 0;
        if (offBytes) {
            ULONGLONG raw = Le(p + i + 1 + lenBytes, offBytes);
            if (offBytes < 8 && (raw >> (offBytes * 8 - 1)) & 1)
                raw |= ~0ULL << (offBytes * 8); // sign extension
            delta = LONGLONG(raw);
            lcn += delta;
        }
        runs.push_back({vcn, count, offBytes ? lcn : -1});
        vcn += count;
        i += 1 + lenBytes + offBytes;
        if (runs.size() > 100000)
            return false;
    }
    return true;
}

// The update sequence guards every 512 bytes of a record, whatever the disk's sector size.
bool ApplyFixups(BYTE* record, size_t size)
{
    constexpr size_t sectorSize = 512;
    if (std::memcmp(record, "FILE", 4) != 0)
        return false;
    size_t usaOffset = Le(record + 4, 2), usaCount = Le(record + 6, 2);
    if (usaCount == 0 || usaCount - 1 != size / sectorSize || usaOffset + usaCount * 2 > size)
        return false;
    for (size_t i = 1; i < usaCount; ++i) {
        BYTE* tail = record + i * sectorSize - 2;
        if (std::memcmp(tail, record + usaOffset, 2) != 0)
            return false;
        std::memcpy(tail, record + usaOffset + i * 2, 2);
    }
    return true;
}

// Finds an attribute of a fixed-up record; returns its offset or 0.
size_t FindAttribute(const BYTE* record, size_t size, DWORD type)
{
    size_t off = Le(record + 0x14, 2);
    size_t used = std::min<size_t>(Le(record + 0x18, 4), size);
    while (off + 16 <= used) {
        DWORD t = DWORD(Le(record + off, 4));
        size_t len = Le(record + off + 4, 4);
        if (t == 0xFFFFFFFF || len < 16 || off + len > used)
            return 0;
        if (t == type)
            return off;
        off += len;
    }
    return 0;
}

DWORD ReadNonResident(PartitionReader& reader, const std::vector<Run>& runs, ULONGLONG clusterBytes,
                      ULONGLONG offset, BYTE* out, size_t len)
{
    while (len) {
        ULONGLONG vcn = offset / clusterBytes;
        auto run = std::find_if(runs.begin(), runs.end(),
                                [&](const Run& r) { return vcn >= r.vcnStart && vcn < r.vcnStart + r.length; });
        if (run == runs.end())
            return ERROR_FILE_CORRUPT;
        ULONGLONG runEnd = (run->vcnStart + run->length) * clusterBytes;
        size_t chunk = size_t(std::min<ULONGLONG>(len, runEnd - offset));
        if (run->lcn < 0) {
            std::memset(out, 0, chunk);
        } else {
            ULONGLONG at = ULONGLONG(run->lcn) * clusterBytes + (offset - run->vcnStart * clusterBytes);
            // Device reads are whole sectors: read around the wanted bytes.
            ULONGLONG first = at / kSectorSize * kSectorSize;
            ULONGLONG end = (at + chunk + kSectorSize - 1) / kSectorSize * kSectorSize;
            std::vector<BYTE> buf(size_t(end - first));
            if (DWORD e = reader.Read(first, buf.data(), buf.size()))
                return e;
            std::memcpy(out, buf.data() + (at - first), chunk);
        }
        out += chunk;
        len -= chunk;
        offset += chunk;
    }
    return ERROR_SUCCESS;
}

DWORD ReadNtfs(PartitionReader& reader, const BYTE* boot, VolumeFacts& facts, bool wantFree)
{
    ULONGLONG bps = Le(boot + 11, 2), spc = boot[13];
    ULONGLONG clusterBytes = bps * spc;
    ULONGLONG totalSectors = Le(boot + 40, 8);
    ULONGLONG mftCluster = Le(boot + 48, 8);
    signed char perRecord = static_cast<signed char>(boot[64]);
    ULONGLONG recordSize = perRecord > 0 ? ULONGLONG(perRecord) * clusterBytes
                                         : (perRecord < -31 ? 0 : 1ULL << -perRecord);
    if (clusterBytes == 0 || recordSize < 512 || recordSize > 65536 || recordSize % 512)
        return ERROR_FILE_CORRUPT;
    facts.serial = DWORD(Le(boot + 72, 4));
    facts.fsName = u"NTFS";
    facts.fsFlags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK
        | FILE_PERSISTENT_ACLS | FILE_FILE_COMPRESSION | 0x20 | 0x40 | 0x80;
    ULONGLONG clusters = std::min(totalSectors, reader.Length() / bps) / spc;
    facts.totalBytes = clusters * clusterBytes;

    std::vector<BYTE> record(static_cast<size_t>(recordSize));
    if (mftCluster > reader.Length() / clusterBytes)
        return ERROR_FILE_CORRUPT;
    if (DWORD e = reader.Read(mftCluster * clusterBytes, record.data(), record.size()))
        return e;
    if (!ApplyFixups(record.data(), record.size()))
        return ERROR_FILE_CORRUPT;
    size_t data = FindAttribute(record.data(), record.size(), 0x80);
    if (!data || record[data + 8] == 0)
        return ERROR_FILE_CORRUPT;
    std::vector<Run> mftRuns;
    size_t runsAt = data + Le(&record[data + 0x20], 2);
    size_t attrEnd = data + Le(&record[data + 4], 4);
    if (runsAt >= attrEnd || !DecodeRuns(&record[runsAt], attrEnd - runsAt, mftRuns))
        return ERROR_FILE_CORRUPT;

    auto readRecord = [&](ULONGLONG number) -> DWORD {
        if (DWORD e = ReadNonResident(reader, mftRuns, clusterBytes, number * recordSize, record.data(), record.size()))
            return e;
        return ApplyFixups(record.data(), record.size()) ? ERROR_SUCCESS : ERROR_FILE_CORRUPT;
    };

    // $Volume (record 3): the name attribute; a volume without one has no label.
    if (DWORD e = readRecord(3))
        return e;
    facts.label.clear();
    if (size_t name = FindAttribute(record.data(), record.size(), 0x60); name && record[name + 8] == 0) {
        size_t valueLen = Le(&record[name + 0x10], 4), valueAt = name + Le(&record[name + 0x14], 2);
        if (valueAt + valueLen <= record.size())
            for (size_t i = 0; i + 1 < valueLen; i += 2)
                facts.label += char16_t(Le(&record[valueAt + i], 2));
    }
    if (!wantFree)
        return ERROR_SUCCESS;

    // $Bitmap (record 6): one bit per cluster, set when in use.
    if (DWORD e = readRecord(6))
        return e;
    size_t bitmap = FindAttribute(record.data(), record.size(), 0x80);
    if (!bitmap)
        return ERROR_FILE_CORRUPT;
    std::vector<BYTE> bits(size_t((clusters + 7) / 8));
    if (record[bitmap + 8] == 0) {
        size_t valueLen = Le(&record[bitmap + 0x10], 4), valueAt = bitmap + Le(&record[bitmap + 0x14], 2);
        if (valueAt + std::min(valueLen, bits.size()) > record.size())
            return ERROR_FILE_CORRUPT;
        std::memcpy(bits.data(), &record[valueAt], std::min(valueLen, bits.size()));
    } else {
        std::vector<Run> runs;
        size_t at = bitmap + Le(&record[bitmap + 0x20], 2);
        size_t end = bitmap + Le(&record[bitmap + 4], 4);
        if (at >= end || end > record.size() || !DecodeRuns(&record[at], end - at, runs))
            return ERROR_FILE_CORRUPT;
        ULONGLONG dataSize = Le(&record[bitmap + 0x30], 8);
        size_t want = size_t(std::min<ULONGLONG>(bits.size(), dataSize));
        if (DWORD e = ReadNonResident(reader, runs, clusterBytes, 0, bits.data(), want))
            return e;
    }
    ULONGLONG used = 0;
    for (ULONGLONG c = 0; c < clusters; ++c)
        used += (bits[size_t(c / 8)] >> (c % 8)) & 1;
    facts.freeBytes = (clusters - used) * clusterBytes;
    return ERROR_SUCCESS;
}

} // namespace

DWORD ReadVolumeFacts(const Disk& disk, const Volume& volume, VolumeFacts& facts, bool wantFreeSpace)
{
    PartitionReader reader(disk, volume);
    if (!reader.Ok())
        return ErrnoToWin32(errno);
    BYTE boot[kSectorSize];
    if (DWORD e = reader.Read(0, boot, sizeof boot))
        return e;
    FsKind kind = ProbeBootSector(boot);
    switch (kind) {
    case FsKind::Ntfs: return ReadNtfs(reader, boot, facts, wantFreeSpace);
    case FsKind::Fat12:
    case FsKind::Fat16:
    case FsKind::Fat32: return ReadFat(reader, boot, kind, facts, wantFreeSpace);
    default: return ERROR_UNRECOGNIZED_VOLUME;
    }
}

} // namespace dovemark::kernel
