// NTFS run lists: decoding with bounds, a file's extents, and the table that maps MFT records to sectors.
#include "engine/ntfs_runs.h"

#include "engine/engine_state.h"
#include "engine/ntfs_record.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"

#include <algorithm>
#include <cstring>

MftRunTable MftRuns;

namespace {

WORD Le16(const BYTE* p) { return WORD(p[0] | (p[1] << 8)); }
DWORD Le32(const BYTE* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24); }
ULONGLONG Le64(const BYTE* p) { return ULONGLONG(Le32(p)) | (ULONGLONG(Le32(p + 4)) << 32); }

// An attribute list held outside the record is read whole only up to this size.
constexpr ULONGLONG kMaxAttributeListBytes = 256 * 1024;

bool DataAttribute(const BYTE* record, NtfsAttribute* out)
{
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        if (a.Type == ATTR_DATA && a.NameLength == 0) {
            *out = a;
            return true;
        }
    }
    return false;
}

bool DecodeDataRuns(const BYTE* record, std::vector<DataRun>* runs)
{
    NtfsAttribute a;
    if (!DataAttribute(record, &a) || !a.NonResident)
        return false;
    DecodeRunList(record + a.Offset + a.RunsOffset, record + a.Offset + a.Length, runs);
    return true;
}

struct ListedPiece {
    ULONGLONG StartVcn;
    DWORD Record;
};

// Entries of the $DATA attribute in an attribute list value, in order of their first cluster.
void DataPiecesOf(const BYTE* list, size_t length, std::vector<ListedPiece>* pieces)
{
    for (size_t at = 0; at + 0x1A <= length;) {
        const DWORD entryLength = Le16(list + at + 4);
        if (entryLength < 0x1A || at + entryLength > length)
            break;
        if (Le32(list + at) == ATTR_DATA && list[at + 6] == 0)
            pieces->push_back({Le64(list + at + 8), Le32(list + at + 0x10)});
        at += entryLength;
    }
    std::stable_sort(pieces->begin(), pieces->end(),
                     [](const ListedPiece& x, const ListedPiece& y) { return x.StartVcn < y.StartVcn; });
}

} // namespace

RunListStatus DecodeRunList(const BYTE* p, const BYTE* end, std::vector<DataRun>* runs)
{
    LONGLONG lcn = 0;
    while (p < end) {
        const BYTE header = *p;
        if (header == 0)
            return RUNS_OK;
        const int lengthBytes = header & 0x0F;
        const int offsetBytes = header >> 4;
        if (lengthBytes < 1 || lengthBytes > 8 || offsetBytes > 8)
            return RUNS_BAD_HEADER;
        if (end - p < 1 + lengthBytes + offsetBytes)
            return RUNS_TRUNCATED;
        ++p;
        ULONGLONG length = 0;
        for (int i = 0; i < lengthBytes; ++i)
            length |= ULONGLONG(p[i]) << (8 * i);
        p += lengthBytes;
        if (length == 0 || length > 0xFFFFFFFFULL)
            return RUNS_UNSUPPORTED;
        if (offsetBytes == 0) {
            runs->push_back({length, 0, true});
            continue;
        }
        ULONGLONG raw = 0;
        for (int i = 0; i < offsetBytes; ++i)
            raw |= ULONGLONG(p[i]) << (8 * i);
        p += offsetBytes;
        // Sign-extend the delta from its highest byte.
        if (offsetBytes < 8 && (raw >> (8 * offsetBytes - 1)) & 1)
            raw |= ~0ULL << (8 * offsetBytes);
        const LONGLONG delta = LONGLONG(raw);
        if ((delta > 0 && lcn > LONGLONG(0xFFFFFFFF) - delta) || lcn + delta < 0 || lcn + delta > 0xFFFFFFFFLL)
            return RUNS_UNSUPPORTED;
        lcn += delta;
        runs->push_back({length, lcn, false});
    }
    return RUNS_TRUNCATED;
}

bool ReadAttributeListValue(const BYTE* record, const AttributeListPlace& place, std::vector<BYTE>* value, bool* cut)
{
    value->clear();
    if (cut)
        *cut = false;
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        if (a.Type != ATTR_ATTRIBUTE_LIST)
            continue;
        if (!a.NonResident) {
            const BYTE* v = record + a.Offset + a.ValueOffset;
            value->assign(v, v + a.ValueLength);
            return true;
        }
        const ULONGLONG spc = place.SectorsPerCluster;
        if (spc == 0)
            return false;
        std::vector<DataRun> runs;
        DecodeRunList(record + a.Offset + a.RunsOffset, record + a.Offset + a.Length, &runs);
        ULONGLONG wanted = std::min<ULONGLONG>(a.RealSize, place.MaxBytes);
        if (place.VolumeSectors)
            wanted = std::min<ULONGLONG>(wanted, place.VolumeSectors * SECTOR_SIZE);
        bool shortened = wanted < a.RealSize;
        for (const DataRun& run : runs) {
            if (value->size() >= wanted)
                break;
            // A list has no holes; one that claims them, or clusters past the volume, is damaged from there on.
            if (run.Sparse || (place.VolumeSectors && (ULONGLONG(run.Lcn) + run.Length) * spc > place.VolumeSectors)) {
                shortened = true;
                break;
            }
            const ULONGLONG sectors =
                std::min<ULONGLONG>(run.Length * spc, (wanted - value->size() + SECTOR_SIZE - 1) / SECTOR_SIZE);
            const size_t at = value->size();
            value->resize(at + size_t(sectors) * SECTOR_SIZE);
            if (ReadSectors(SelectedDevicePath(), place.Origin + ULONGLONG(run.Lcn) * spc, DWORD(sectors),
                            value->data() + at) != 1) {
                value->resize(at);
                shortened = true;
                break;
            }
        }
        if (value->size() > wanted)
            value->resize(size_t(wanted));
        if (value->size() < wanted)
            shortened = true;
        if (cut)
            *cut = shortened;
        return !value->empty();
    }
    return false;
}

int GetFileExtents(DWORD endOffset, const BYTE* record, DWORD attrOffset, RunListStatus* status)
{
    FreeExtents();
    RunListStatus result = RUNS_TRUNCATED;
    int ok = 0;
    const DWORD limit = std::min<DWORD>(endOffset, kMftRecordSize);
    if (attrOffset + 0x40 <= limit) {
        const BYTE* a = record + attrOffset;
        const DWORD length = Le32(a + 4);
        const DWORD runsOffset = Le16(a + 0x20);
        const DWORD attrEnd = length <= limit - attrOffset ? attrOffset + length : limit;
        if (runsOffset >= 0x40 && attrOffset + runsOffset < attrEnd) {
            std::vector<DataRun> runs;
            result = DecodeRunList(record + attrOffset + runsOffset, record + attrEnd, &runs);
            for (const DataRun& run : runs)
                AppendExtent(run.Sparse ? EXTENT_SPARSE : DWORD(run.Lcn), DWORD(run.Length));
            ok = result == RUNS_OK ? 1 : 0;
        }
    }
    if (status)
        *status = result;
    return ok;
}

bool AppendMftRuns(const std::vector<DataRun>& runs, ULONGLONG partitionStart, DWORD spc, MftRunBounds* bounds)
{
    MftRunBounds unbounded;
    MftRunBounds& b = bounds ? *bounds : unbounded;
    auto append = [&](ULONGLONG length, ULONGLONG start) {
        if (MftRuns.Count() >= kMaxMftRuns || length > 0xFFFFFFFFULL || start > 0xFFFFFFFFULL)
            return false;
        MftRuns.Append(DWORD(length), DWORD(start));
        return true;
    };
    for (const DataRun& run : runs) {
        if (b.SectorsLeft == 0)
            return false;
        ULONGLONG clusters = run.Length;
        if (clusters * spc > b.SectorsLeft)
            clusters = (b.SectorsLeft + spc - 1) / spc;
        b.SectorsLeft -= std::min(b.SectorsLeft, clusters * spc);
        if (run.Sparse) {
            if (!append(clusters * spc, 0))
                return false;
            continue;
        }
        const ULONGLONG lcn = ULONGLONG(run.Lcn);
        const ULONGLONG inside = lcn >= b.VolumeClusters ? 0 : std::min(clusters, b.VolumeClusters - lcn);
        // Clusters an earlier run already gave hold no further records: a damaged list that names the same
        // clusters again and again would have them read (and their files listed) once for every time.
        for (ULONGLONG at = lcn; at < lcn + inside;) {
            auto next = b.Covered.upper_bound(at);
            ULONGLONG until = next == b.Covered.end() ? lcn + inside : std::min(lcn + inside, next->first);
            bool repeated = false;
            if (next != b.Covered.begin() && std::prev(next)->second > at) {
                until = std::min(lcn + inside, std::prev(next)->second);
                repeated = true;
                ++b.Repeated;
            } else {
                b.Covered.emplace(at, until);
            }
            if (!append((until - at) * spc, repeated ? 0 : partitionStart + at * spc))
                return false;
            at = until;
        }
        if (inside < clusters) {
            ++b.Dropped;
            if (!append((clusters - inside) * spc, 0))
                return false;
        }
    }
    return true;
}

namespace {

// Clusters of the volume whose MFT is being read: its NTFS boot sector's size, else the partition's, and never past
// the device.
ULONGLONG VolumeClusters(const char* path, DWORD partitionStart, DWORD spc)
{
    ULONGLONG sectors = PartitionParams.SectorCount;
    BYTE boot[SECTOR_SIZE];
    if (ReadSectors(path, partitionStart, 1, boot) == 1 && boot[510] == 0x55 && boot[511] == 0xAA &&
        std::memcmp(boot + 3, "NTFS", 4) == 0 && Le64(boot + 0x28) != 0)
        sectors = Le64(boot + 0x28) + 1; // the backup boot sector follows the counted ones
    const ULONGLONG device = SelectedDeviceSectors();
    if (device) {
        const ULONGLONG reach = device > partitionStart ? device - partitionStart : 0;
        if (sectors == 0 || sectors > reach)
            sectors = reach;
    }
    return sectors ? (sectors + spc - 1) / spc : ~0ULL;
}

// The runs of record 0, then of the extension records its attribute list names.
DWORD AppendMftRunsOf(const BYTE* record, DWORD partitionStart, DWORD spc, MftRunBounds* bounds)
{
    std::vector<DataRun> runs;
    if (!DecodeDataRuns(record, &runs) || !AppendMftRuns(runs, partitionStart, spc, bounds))
        return MftRuns.Count();

    AttributeListPlace place;
    place.Origin = partitionStart;
    place.SectorsPerCluster = spc;
    place.MaxBytes = kMaxAttributeListBytes;
    std::vector<BYTE> list;
    if (!ReadAttributeListValue(record, place, &list))
        return MftRuns.Count();
    std::vector<ListedPiece> pieces;
    DataPiecesOf(list.data(), list.size(), &pieces);
    std::vector<DWORD> done{0};
    for (const ListedPiece& piece : pieces) {
        if (std::find(done.begin(), done.end(), piece.Record) != done.end())
            continue;
        done.push_back(piece.Record);
        DWORD sector = 0;
        BYTE extension[kMftRecordSize];
        if (!MftRecordToSector(piece.Record, &sector) || !ReadMftRecord(sector, extension))
            continue;
        std::vector<DataRun> more;
        if (DecodeDataRuns(extension, &more) && !AppendMftRuns(more, partitionStart, spc, bounds))
            break;
    }
    return MftRuns.Count();
}

} // namespace

DWORD BuildMftRunTable(DWORD partitionStart, const char* path, DWORD mftSector, DWORD spc)
{
    MftRuns.Clear();
    if (spc == 0)
        return 0;
    BYTE record[kMftRecordSize];
    // The root directory's record must be there too, or this is not the MFT we are looking for.
    if (ReadSectors(path, ULONGLONG(mftSector) + 10, 2, record) != 1 || std::memcmp(record, "FILE", 4) != 0)
        return 0;
    if (ReadSectors(path, mftSector, 2, record) != 1 || !IsMftRecord(record, kMftRecordSize) ||
        ApplyFixups(record, kMftRecordSize) == FIXUP_BAD)
        return 0;
    MftRunBounds bounds;
    bounds.VolumeClusters = VolumeClusters(path, partitionStart, spc);
    NtfsAttribute data;
    // Records past $MFT's own size are not records of this volume, whatever a damaged run list claims.
    if (DataAttribute(record, &data) && data.NonResident && data.RealSize)
        bounds.SectorsLeft = (data.RealSize + SECTOR_SIZE - 1) / SECTOR_SIZE;
    const DWORD count = AppendMftRunsOf(record, partitionStart, spc, &bounds);
    if (bounds.Dropped)
        EngineUi().SetStatusText(ENGINE_STATUS_MAIN, u"主文件表（MFT）的部分数据位于卷外，已略过。");
    return count;
}


int MftRecordToSector(DWORD recordNumber, DWORD* sector)
{
    const ULONGLONG offset = 2ULL * recordNumber;
    const auto run = std::upper_bound(MftRuns.Ends.begin(), MftRuns.Ends.end(), offset);
    if (run == MftRuns.Ends.end())
        return 0;
    const size_t i = size_t(run - MftRuns.Ends.begin());
    if (MftRuns.Starts[i] == 0)
        return 0;
    const ULONGLONG s = MftRuns.Starts[i] + (offset - (*run - MftRuns.Lengths[i]));
    if (s > 0xFFFFFFFFULL)
        return 0;
    *sector = DWORD(s);
    return 1;
}
