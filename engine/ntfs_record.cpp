// NTFS boot check, MFT records with their update sequence and attributes, and the full scan's record builders.
#include "engine/ntfs_record.h"

#include "engine/engine_state.h"
#include "engine/ntfs_runs.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"

#include <cstring>
#include <string>
#include <vector>

DWORD FixupMismatchCount = 0;
DWORD RecordPieces[kMaxRecordPieces] = {};
WORD RecordPieceCount = 0;

namespace {

WORD Le16(const BYTE* p) { return WORD(p[0] | (p[1] << 8)); }
DWORD Le32(const BYTE* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24); }
ULONGLONG Le64(const BYTE* p) { return ULONGLONG(Le32(p)) | (ULONGLONG(Le32(p + 4)) << 32); }

// Update-sequence entries beyond this offset are not applied (the array always ends well before it).
constexpr DWORD kFixupArrayLimit = 84;

// The part of the record that its header says is in use, never beyond the buffer.
DWORD UsedSize(const BYTE* record, DWORD size)
{
    const DWORD used = Le32(record + 0x18);
    return used >= 0x38 && used <= size ? used : size;
}

struct FileNameValue {
    const BYTE* Value;
    DWORD Length;
};

// A resident $FILE_NAME value whose name lies inside it.
bool FileNameOf(const BYTE* record, const NtfsAttribute& a, FileNameValue* out)
{
    if (a.NonResident || a.Type != ATTR_FILE_NAME || a.ValueLength < 0x42)
        return false;
    const BYTE* v = record + a.Offset + a.ValueOffset;
    if (0x42 + 2 * DWORD(v[0x40]) > a.ValueLength)
        return false;
    *out = {v, a.ValueLength};
    return true;
}

void CopyName(const BYTE* v, WCHAR* name)
{
    const int n = v[0x40];
    for (int i = 0; i < n; ++i)
        name[i] = WCHAR(Le16(v + 0x42 + 2 * i));
    name[n] = 0;
}

bool IsDot(const WCHAR* n) { return n[0] == u'.' && n[1] == 0; }
bool IsExtendName(const WCHAR* n)
{
    static const WCHAR ext[] = u"$Extend";
    return std::memcmp(n, ext, sizeof(ext)) == 0;
}

// The folder's own record number, as its index root's first entry names it as the parent (0 when that entry has no
// name). False when the record holds no $I30 index root.
bool IndexRootNumber(const BYTE* record, DWORD* number)
{
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        if (a.Type != ATTR_INDEX_ROOT || a.NonResident || !AttributeNameIs(record, a, "$I30"))
            continue;
        *number = 0;
        const BYTE* v = record + a.Offset + a.ValueOffset;
        if (a.ValueLength < 0x20)
            return true;
        const DWORD entry = 0x10 + Le32(v + 0x10);
        if (entry + 0x10 > a.ValueLength)
            return true;
        const BYTE* e = v + entry;
        const DWORD keyLength = Le16(e + 0x0A);
        if (keyLength < 0x42 || entry + 0x10 + keyLength > a.ValueLength)
            return true;
        const DWORD parent = Le32(e + 0x10);
        *number = parent == 0xFFFFFFFF ? 0 : parent;
        return true;
    }
    return false;
}

// The first cluster of the folder's $I30 index allocation. False when the record holds no piece of it that starts
// at its first cluster (a large folder's allocation may be spread over extension records).
bool IndexAllocationStart(const BYTE* record, DWORD* cluster)
{
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        if (a.Type != ATTR_INDEX_ALLOCATION || !a.NonResident || !AttributeNameIs(record, a, "$I30") ||
            Le64(record + a.Offset + 0x10) != 0)
            continue;
        std::vector<DataRun> runs;
        DecodeRunList(record + a.Offset + a.RunsOffset, record + a.Offset + a.Length, &runs);
        *cluster = !runs.empty() && !runs[0].Sparse ? DWORD(runs[0].Lcn) : 0;
        return true;
    }
    return false;
}

bool HasAttributeList(const BYTE* record)
{
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a))
        if (a.Type == ATTR_ATTRIBUTE_LIST)
            return true;
    return false;
}

std::u16string Decimal(ULONGLONG value)
{
    const std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

bool SectorsPerClusterValid(BYTE spc) { return spc >= 1 && spc <= 128 && (spc & (spc - 1)) == 0; }

} // namespace

FixupResult ApplyFixups(BYTE* buffer, DWORD size)
{
    if (size < 8)
        return FIXUP_BAD;
    const DWORD offset = Le16(buffer + 4);
    const DWORD count = Le16(buffer + 6);
    if (count == 0 || offset < 8 || offset + 2 * count > size || (count - 1) * SECTOR_SIZE > size)
        return FIXUP_BAD;
    const BYTE* usn = buffer + offset;
    bool matched = true;
    for (DWORD i = 1; i < count; ++i) {
        const DWORD entry = offset + 2 * i;
        const DWORD position = i * SECTOR_SIZE - 2;
        if (entry + 2 > kFixupArrayLimit || position + 2 > size)
            break;
        if (buffer[position] != usn[0] || buffer[position + 1] != usn[1])
            matched = false;
        buffer[position] = buffer[entry];
        buffer[position + 1] = buffer[entry + 1];
    }
    if (!matched) {
        ++FixupMismatchCount;
        return FIXUP_MISMATCH;
    }
    return FIXUP_OK;
}

bool IsMftRecord(const BYTE* r, DWORD size)
{
    if (size < 0x38 || std::memcmp(r, "FILE", 4) != 0)
        return false;
    const DWORD first = Le16(r + 0x14);
    return first >= 0x18 && first + 8 <= UsedSize(r, size);
}

bool NextAttribute(const BYTE* r, DWORD size, DWORD* cursor, NtfsAttribute* a)
{
    if (!IsMftRecord(r, size))
        return false;
    const DWORD end = UsedSize(r, size);
    const DWORD offset = *cursor ? *cursor : Le16(r + 0x14);
    if (offset + 8 > end)
        return false;
    const DWORD type = Le32(r + offset);
    if (type == 0xFFFFFFFF || type == 0)
        return false;
    const DWORD length = Le32(r + offset + 4);
    if (length < 0x18 || length > end - offset)
        return false;
    const BYTE* p = r + offset;
    a->Offset = offset;
    a->Length = length;
    a->Type = type;
    a->NonResident = p[8] != 0;
    a->NameLength = p[9];
    a->NameOffset = Le16(p + 0x0A);
    a->ValueOffset = a->ValueLength = a->RunsOffset = 0;
    a->RealSize = 0;
    if (a->NameLength && a->NameOffset + 2 * DWORD(a->NameLength) > length)
        return false;
    if (a->NonResident) {
        if (length < 0x40)
            return false;
        a->RunsOffset = Le16(p + 0x20);
        if (a->RunsOffset < 0x40 || a->RunsOffset >= length)
            return false;
        a->RealSize = Le64(p + 0x30);
    } else {
        a->ValueLength = Le32(p + 0x10);
        a->ValueOffset = Le16(p + 0x14);
        if (a->ValueOffset < 0x18 || a->ValueOffset > length || a->ValueLength > length - a->ValueOffset)
            return false;
    }
    *cursor = offset + length;
    return true;
}

bool AttributeNameIs(const BYTE* r, const NtfsAttribute& a, const char* name)
{
    const size_t n = std::strlen(name);
    if (a.NameLength != n)
        return false;
    const BYTE* p = r + a.Offset + a.NameOffset;
    for (size_t i = 0; i < n; ++i)
        if (Le16(p + 2 * i) != BYTE(name[i]))
            return false;
    return true;
}

bool ReadMftRecord(DWORD sector, BYTE* record)
{
    if (ReadSectors(SelectedDevicePath(), sector, 2, record) != 1)
        return false;
    if (!IsMftRecord(record, kMftRecordSize))
        return false;
    return ApplyFixups(record, kMftRecordSize) != FIXUP_BAD;
}

int GetFileNameAttr(DWORD sector, WCHAR* name, DWORD* parent, ULONGLONG* creation, ULONGLONG* modified,
                    BYTE nameSpace, BYTE* record, int readFlag)
{
    if (readFlag && !ReadMftRecord(sector, record))
        return 0;
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        FileNameValue fn;
        if (!FileNameOf(record, a, &fn) || fn.Value[0x41] != nameSpace)
            continue;
        CopyName(fn.Value, name);
        *parent = Le32(fn.Value);
        *creation = Le64(fn.Value + 8);
        *modified = Le64(fn.Value + 0x10);
        return 1;
    }
    return 0;
}

int GetBestFileName(const BYTE* record, WCHAR* name, DWORD* parent, ULONGLONG* creation, ULONGLONG* modified)
{
    // POSIX names (0) are what Linux tools and case-sensitive folders write; DOS names come last.
    static const BYTE order[4] = {1, 3, 0, 2};
    for (BYTE ns : order)
        if (GetFileNameAttr(0, name, parent, creation, modified, ns, const_cast<BYTE*>(record), 0))
            return 1;
    return 0;
}

bool GetStandardModifiedTime(const BYTE* record, ULONGLONG* modified)
{
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        if (a.Type != ATTR_STANDARD_INFORMATION || a.NonResident || a.ValueLength < 0x10)
            continue;
        *modified = Le64(record + a.Offset + a.ValueOffset + 8);
        return true;
    }
    return false;
}

int FindDataAttr(const BYTE* record, DWORD* offset)
{
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        if (a.Type != ATTR_DATA || a.NameLength != 0)
            continue;
        *offset = a.Offset;
        return a.NonResident ? 2 : 1;
    }
    return 0;
}

int GetDataAttrSize(DWORD sector, ULONGLONG* size, BYTE* record, int readFlag)
{
    if (readFlag && !ReadMftRecord(sector, record))
        return 0;
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        if (a.Type != ATTR_DATA || a.NameLength != 0)
            continue;
        *size = a.NonResident ? a.RealSize : a.ValueLength;
        return 1;
    }
    return 0;
}

void CollectAttributeList(const BYTE* record, DWORD recordNumber)
{
    AttributeListPlace place;
    place.Origin = PartitionParams.DataOrigin;
    place.SectorsPerCluster = PartitionParams.SectorsPerCluster;
    const ULONGLONG end = VolumeDataEnd();
    place.VolumeSectors = end > place.Origin ? end - place.Origin : 0;
    place.MaxBytes = kMaxRecordListBytes;
    CollectAttributeList(record, recordNumber, place);
}

void CollectAttributeList(const BYTE* record, DWORD recordNumber, const AttributeListPlace& place)
{
    RecordPieces[0] = recordNumber;
    RecordPieceCount = 1;
    std::vector<BYTE> list;
    bool cut = false;
    const bool read = ReadAttributeListValue(record, place, &list, &cut);
    if (cut)
        EngineUi().SetStatusText(ENGINE_STATUS_MAIN, (u"文件记录 " + Decimal(recordNumber) +
                                                      u" 的属性列表过长或超出卷的范围，只读取了其开头部分。")
                                                         .c_str());
    if (!read)
        return;
    for (size_t at = 0; at + 0x18 <= list.size();) {
        const DWORD length = Le16(&list[at + 4]);
        if (length < 0x18 || at + length > list.size())
            break;
        const DWORD piece = Le32(&list[at + 0x10]);
        bool known = false;
        for (WORD i = 0; i < RecordPieceCount; ++i)
            known = known || RecordPieces[i] == piece;
        if (!known) {
            if (RecordPieceCount >= kMaxRecordPieces)
                return;
            RecordPieces[RecordPieceCount++] = piece;
        }
        at += length;
    }
}

namespace {

// The volume a record met by the full scan's sweep lies in: the one of the NTFS boot sector the sweep met last
// before it, when that volume reaches the record.
bool SweptVolumePlace(DWORD sector, AttributeListPlace* place)
{
    const ClusterNode* last = LastBootSectorNode();
    if (last && last->Value > sector) {
        // Out of the sweep's order: the list is walked.
        last = nullptr;
        for (const ClusterNode* n = BootSectorHead; n && n->Value <= sector; n = n->Next)
            last = n;
    }
    BYTE b[SECTOR_SIZE];
    if (!last || ReadSectors(SelectedDevicePath(), last->Value, 1, b) != 1 || std::memcmp(b + 3, "NTFS", 4) != 0 ||
        !SectorsPerClusterValid(b[0x0D]))
        return false;
    const ULONGLONG total = Le64(b + 0x28);
    if (ULONGLONG(last->Value) + total < sector)
        return false;
    place->Origin = last->Value;
    place->SectorsPerCluster = b[0x0D];
    place->VolumeSectors = total + 1;
    return true;
}

} // namespace

MftRecordGroup::MftRecordGroup(const BYTE* base, DWORD number, DWORD sector, ExtensionLookup lookup)
    : base_(base), number_(number), sector_(sector), distance_(lookup == ExtensionLookup::Distance)
{
}

MftRecordGroup MftRecordGroup::FromSweep(const BYTE* base, DWORD sector)
{
    // Records of the older layout keep no number of their own: their extensions cannot be placed.
    const bool numbered = Le16(base + 4) >= 0x30;
    MftRecordGroup group(base, numbered ? Le32(base + 0x2C) : 0, sector, ExtensionLookup::Distance);
    group.swept_ = true;
    group.read_ = !numbered;
    return group;
}

void MftRecordGroup::ReadExtensions() const
{
    if (read_)
        return;
    read_ = true;
    if (!HasAttributeList(base_))
        return;
    if (swept_) {
        AttributeListPlace place;
        place.MaxBytes = kMaxRecordListBytes;
        // Without its volume only a list inside the record can be read.
        SweptVolumePlace(sector_, &place);
        CollectAttributeList(base_, number_, place);
    } else {
        CollectAttributeList(base_, number_);
    }
    const std::vector<DWORD> pieces(RecordPieces + 1, RecordPieces + RecordPieceCount);
    for (DWORD piece : pieces) {
        DWORD sector = 0;
        if (distance_) {
            const LONGLONG at = LONGLONG(sector_) + 2 * (LONGLONG(piece) - LONGLONG(number_));
            if (at < 0 || at > LONGLONG(0xFFFFFFFF)) {
                complete_ = false;
                continue;
            }
            sector = DWORD(at);
        } else if (!MftRecordToSector(piece, &sector)) {
            complete_ = false;
            continue;
        }
        std::vector<BYTE> r(kMftRecordSize);
        if (!ReadMftRecord(sector, r.data()) || Le32(&r[0x20]) != number_) {
            complete_ = false;
            continue;
        }
        records_.push_back(std::move(r));
        sectors_.push_back(sector);
    }
}

const std::vector<std::vector<BYTE>>& MftRecordGroup::Extensions() const
{
    ReadExtensions();
    return records_;
}

bool MftRecordGroup::AllExtensionsRead() const
{
    ReadExtensions();
    return complete_;
}

template <typename Test>
bool MftRecordGroup::AnyRecord(Test test) const
{
    if (test(base_, sector_))
        return true;
    ReadExtensions();
    for (size_t i = 0; i < records_.size(); ++i)
        if (test(records_[i].data(), sectors_[i]))
            return true;
    return false;
}

bool MftRecordGroup::Name(WCHAR* name, DWORD* parent, ULONGLONG* creation, ULONGLONG* modified) const
{
    if (!AnyRecord([&](const BYTE* r, DWORD) { return GetBestFileName(r, name, parent, creation, modified) != 0; }))
        return false;
    GetStandardModifiedTime(base_, modified);
    return true;
}

bool MftRecordGroup::DataSize(ULONGLONG* size, DWORD* sector) const
{
    return AnyRecord([&](const BYTE* r, DWORD s) {
        *sector = s;
        return GetDataAttrSize(0, size, const_cast<BYTE*>(r), 0) != 0;
    });
}

DWORD MftRecordGroup::FolderNumber() const
{
    DWORD number = 0;
    AnyRecord([&](const BYTE* r, DWORD) { return IndexRootNumber(r, &number); });
    return number;
}

DWORD MftRecordGroup::IndexAllocationCluster() const
{
    DWORD cluster = 0;
    AnyRecord([&](const BYTE* r, DWORD) { return IndexAllocationStart(r, &cluster); });
    return cluster;
}

void AddMftRecordEntry(DWORD sector)
{
    BYTE record[kMftRecordSize];
    if (!ReadMftRecord(sector, record))
        return;
    // An extension record only continues its base record, which is listed on its own.
    if (Le32(record + 0x20) != 0)
        return;
    const WORD flags = Le16(record + 0x16);
    if (flags > 3)
        return;
    const MftRecordGroup group = MftRecordGroup::FromSweep(record, sector);
    WCHAR name[kNtfsNameChars];
    DWORD parent = 0;
    ULONGLONG creation = 0, modified = 0;
    if (!group.Name(name, &parent, &creation, &modified))
        return;
    const DWORD deleted = (flags & 1) ? 0 : 1;
    if (flags & 2) {
        DWORD number;
        if (IsDot(name))
            number = 5;
        else if (IsExtendName(name))
            number = 11;
        else
            number = group.FolderNumber();
        AddFoundFolder(name, sector, parent, number, 0, DWORD(creation), DWORD(creation >> 32), DWORD(modified),
                       DWORD(modified >> 32), group.IndexAllocationCluster(), deleted);
    } else {
        ULONGLONG size = 0;
        DWORD sizeSector = sector;
        if (!group.DataSize(&size, &sizeSector))
            size = 0;
        AddFoundFile(name, sector, parent, 0, DWORD(creation), DWORD(creation >> 32), DWORD(modified),
                     DWORD(modified >> 32), DWORD(size), DWORD(size >> 32), 0, deleted);
    }
}

int AddIndexBlockEntry(DWORD sector, const BYTE* first)
{
    if (std::memcmp(first, "INDX", 4) != 0)
        return 0;
    const ULONGLONG blockSize = ULONGLONG(Le32(first + 0x20)) + 24;
    if (blockSize > 65536 || blockSize < SECTOR_SIZE)
        return 0;
    const DWORD sectors = DWORD(blockSize / SECTOR_SIZE);
    const DWORD size = sectors * SECTOR_SIZE;
    std::vector<BYTE> block(size);
    if (ReadSectors(SelectedDevicePath(), sector, sectors, block.data()) != 1)
        return 0;
    if (ApplyFixups(block.data(), size) == FIXUP_BAD)
        return 0;
    const ULONGLONG entry = 0x18ULL + Le32(block.data() + 0x18);
    // The first entry and its key's parent reference must lie inside the block.
    if (entry + 0x10 + 0x42 > size)
        return 0;
    const DWORD owner = Le32(block.data() + entry + 0x10);
    if (owner <= 4 || owner == 0xFFFFFFFF)
        return 0;
    AppendIndexBlockNode(sector, owner, Le32(block.data() + 0x10), 0xFFFF, BYTE(sectors));
    return 1;
}

int ReadNtfsBootParameters()
{
    const ULONGLONG start = PartitionParams.StartSector;
    const char* path = SelectedDevicePath();
    BYTE boots[2][SECTOR_SIZE];
    const ULONGLONG places[2] = {start, PartitionParams.BackupSector};
    bool usable[2];
    for (int i = 0; i < 2; ++i)
        usable[i] = ReadSectors(path, places[i], 1, boots[i]) == 1 && boots[i][510] == 0x55 &&
                    boots[i][511] == 0xAA && SectorsPerClusterValid(boots[i][0x0D]);
    const int chosen = usable[0] ? 0 : (usable[1] ? 1 : -1);
    if (chosen < 0)
        return 0;

    // The MFT and its mirror, each from the chosen boot sector and else from the other one.
    auto locate = [&](DWORD fieldOffset) -> DWORD {
        for (int pass = 0; pass < 2; ++pass) {
            const int b = pass == 0 ? chosen : 1 - chosen;
            if (!usable[b])
                continue;
            const ULONGLONG s = start + Le64(boots[b] + fieldOffset) * boots[b][0x0D];
            if (s > 0xFFFFFFFFULL || Le64(boots[b] + fieldOffset) > 0xFFFFFFFFULL)
                continue;
            BYTE sectorData[SECTOR_SIZE];
            if (ReadSectors(path, s, 1, sectorData) == 1 && std::memcmp(sectorData, "FILE", 4) == 0)
                return DWORD(s);
        }
        return 0;
    };
    const DWORD mft = locate(0x30);
    const DWORD mirror = locate(0x38);
    if (mft == 0 && mirror == 0)
        return 0;
    const BYTE* b = boots[chosen];
    const DWORD spc = b[0x0D];
    const signed char perIndex = static_cast<signed char>(b[0x44]);
    PartitionParams.SectorsPerCluster = spc;
    PartitionParams.DataOrigin = DWORD(start);
    PartitionParams.MftSector = mft;
    PartitionParams.MftMirrorSector = mirror;
    PartitionParams.SectorsPerMftRecord = 2;
    // A negative value gives the size as a power of two in bytes (0xF4: 4096), else it counts clusters.
    if (perIndex < 0) {
        const int shift = -perIndex;
        PartitionParams.SectorsPerIndexRecord = shift >= 9 && shift <= 16 ? (1u << shift) / SECTOR_SIZE : 8;
    } else {
        PartitionParams.SectorsPerIndexRecord = perIndex ? DWORD(perIndex) * spc : 8;
    }
    return 1;
}
