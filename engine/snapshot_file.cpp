// Snapshot file: encoding of the found-record lists, a checked decoder that swaps results in only when whole, and
// the file and device steps around them.
#include "engine/snapshot_file.h"

#include "engine/engine_state.h"
#include "engine/file_tracing.h"
#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/full_scan.h"
#include "engine/ntfs_runs.h"
#include "engine/quick_scan.h"
#include "engine/scan_control.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"
#include "win32/kernel.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

constexpr BYTE kMagic[7] = {'q', 0, 'v', 0, 'd', 0, '4'};
constexpr BYTE kVersion[3] = {'1', 0, '.'};
constexpr size_t kHeaderSize = 2 + 7 + 3;
constexpr size_t kParamsStored = 68;
constexpr size_t kRootOffset = 30;

// What a string's length field holds beyond its stored bytes, per section.
constexpr DWORD kFatFolderExtra = 15;   // 2n + 2 bytes stored
constexpr DWORD kSignatureExtra = 15;   // 2n + 2 bytes (or the narrow text and its padding)
constexpr DWORD kFatFileExtra = 21;     // 2n + 4 bytes
constexpr DWORD kTracedFileExtra = 21;  // 2n + 4 bytes
constexpr DWORD kNtfsFolderExtra = 27;  // 2n + 4 bytes
constexpr DWORD kNtfsFileExtra = 37;    // 2n + 4 bytes

// A FAT file's name field carries the entry's time words after the name, its terminator and the two zero bytes that
// every writer stores there: u16 write time, u16 creation date, u16 creation time, u8 hundredths, u8 0. A reader
// takes the name up to its terminator and skips the rest of the field, so older readers load such a file with dates
// only, and a field without the words (an older file) gives records whose time is unknown.
constexpr size_t kFatTimesTail = 2 + 8;

// ---- Decoded contents, kept apart from the live lists until the whole file has passed ---------------------------

struct FatFolderData { std::u16string name; DWORD firstCluster, parentId; WORD writeDate, accessDate; BYTE deleted; };
struct FatFileData {
    std::u16string name;
    DWORD startCluster, parentId;
    WORD writeDate, accessDate;
    DWORD size;
    BYTE deleted;
    FatEntryTimes times;
};
struct NtfsFolderData { std::u16string name; DWORD v[6]; BYTE deleted; };
struct NtfsFileData { DWORD leading; std::u16string name; DWORD v[6]; BYTE deleted; DWORD sizeLow, sizeHigh; };
struct SignatureData { std::u16string extension, typeText; std::string signature; DWORD length, value5; };
struct TracedFileData { std::u16string extension, name, typeText; DWORD fileNumber, startSector; };

struct SnapshotData {
    char16_t type = 0;
    PartitionParamsBlock params{};
    std::vector<FatFolderData> fatFolders;
    std::vector<FatFileData> fatFiles;
    std::vector<NtfsFolderData> ntfsFolders;
    std::vector<NtfsFileData> ntfsFiles;
    std::vector<SignatureData> signatures;
    std::vector<TracedFileData> tracedFiles;
    WORD driveNumber = 0, driveKind = 0;
};

class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    bool Bytes(void* out, size_t n)
    {
        if (size_ - pos_ < n)
            return false;
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    bool U8(BYTE& v) { return Bytes(&v, 1); }
    bool U16(WORD& v)
    {
        BYTE b[2];
        if (!Bytes(b, 2))
            return false;
        v = static_cast<WORD>(b[0] | b[1] << 8);
        return true;
    }
    bool U32(DWORD& v)
    {
        BYTE b[4];
        if (!Bytes(b, 4))
            return false;
        v = b[0] | b[1] << 8 | b[2] << 16 | static_cast<DWORD>(b[3]) << 24;
        return true;
    }
    // A string field: its length less `extra` bytes follow, an even number holding at least the terminator. What
    // follows the terminator goes to `tail` when asked for.
    bool Wide(DWORD extra, std::u16string& out, std::vector<BYTE>* tail = nullptr)
    {
        WORD length = 0;
        if (!U16(length) || length < extra + 2 || (length - extra) % 2 != 0 || size_ - pos_ < length - extra)
            return false;
        size_t chars = (length - extra) / 2;
        out.clear();
        size_t i = 0;
        for (; i < chars; ++i) {
            char16_t c = static_cast<char16_t>(data_[pos_ + 2 * i] | data_[pos_ + 2 * i + 1] << 8);
            if (c == 0)
                break;
            out.push_back(c);
        }
        if (tail) {
            const size_t after = std::min(2 * (i + 1), size_t(length - extra));
            tail->assign(data_ + pos_ + after, data_ + pos_ + (length - extra));
        }
        pos_ += length - extra;
        return true;
    }
    bool Narrow(DWORD extra, std::string& out)
    {
        WORD length = 0;
        if (!U16(length) || length < extra + 2 || size_ - pos_ < static_cast<size_t>(length - extra))
            return false;
        const char* p = reinterpret_cast<const char*>(data_ + pos_);
        out.assign(p, strnlen(p, length - extra));
        pos_ += length - extra;
        return true;
    }
    // A record count, refused when the rest of the file cannot hold that many records of the smallest size.
    bool Count(DWORD& count, size_t smallestRecord)
    {
        return U32(count) && count <= (size_ - pos_) / smallestRecord;
    }
    size_t Left() const { return size_ - pos_; }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
};

bool DecodeFat(Reader& r, SnapshotData& d)
{
    DWORD count = 0;
    if (!r.Count(count, 2 + 2 + 13))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        FatFolderData f{};
        WORD reserved = 0;
        if (!r.Wide(kFatFolderExtra, f.name) || !r.U32(f.firstCluster) || !r.U32(f.parentId) || !r.U16(f.writeDate) ||
            !r.U16(f.accessDate) || !r.U8(f.deleted) || !r.U16(reserved))
            return false;
        d.fatFolders.push_back(std::move(f));
    }
    if (!r.Count(count, 2 + 4 + 21))
        return false;
    std::vector<BYTE> tail;
    for (DWORD i = 0; i < count; ++i) {
        FatFileData f{};
        DWORD fileId = 0;
        if (!r.Wide(kFatFileExtra, f.name, &tail) || !r.U32(f.startCluster) || !r.U32(f.parentId) ||
            !r.U16(f.writeDate) || !r.U16(f.accessDate) || !r.U32(f.size) || !r.U8(f.deleted) || !r.U32(fileId))
            return false;
        if (tail.size() == kFatTimesTail) {
            f.times.WriteTime = WORD(tail[2] | tail[3] << 8);
            f.times.CreationDate = WORD(tail[4] | tail[5] << 8);
            f.times.CreationTime = WORD(tail[6] | tail[7] << 8);
            f.times.CreationTenths = tail[8];
        }
        d.fatFiles.push_back(std::move(f));
    }
    return true;
}

bool DecodeNtfs(Reader& r, SnapshotData& d)
{
    DWORD count = 0;
    if (!r.Count(count, 2 + 4 + 27))
        return false;
    std::set<DWORD> records;
    for (DWORD i = 0; i < count; ++i) {
        NtfsFolderData f{};
        WORD reserved = 0;
        if (!r.Wide(kNtfsFolderExtra, f.name))
            return false;
        for (DWORD& v : f.v)
            if (!r.U32(v))
                return false;
        if (!r.U8(f.deleted) || !r.U16(reserved))
            return false;
        // Folders are looked up by record number when the tree is built; two folders claiming one number would
        // make a parent chain that never ends.
        if (!records.insert(f.v[0]).second)
            return false;
        d.ntfsFolders.push_back(std::move(f));
    }
    if (!r.Count(count, 4 + 2 + 4 + 24 + 1 + 8))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        NtfsFileData f{};
        if (!r.U32(f.leading) || !r.Wide(kNtfsFileExtra, f.name))
            return false;
        for (DWORD& v : f.v)
            if (!r.U32(v))
                return false;
        if (!r.U8(f.deleted) || !r.U32(f.sizeLow) || !r.U32(f.sizeHigh))
            return false;
        d.ntfsFiles.push_back(std::move(f));
    }
    return true;
}

bool DecodeTraced(Reader& r, SnapshotData& d)
{
    DWORD count = 0;
    if (!r.Count(count, 3 * 2 + 6 + 8))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        SignatureData s{};
        if (!r.Wide(kSignatureExtra, s.extension) || !r.Wide(kSignatureExtra, s.typeText) ||
            !r.Narrow(kSignatureExtra, s.signature) || !r.U32(s.length) || !r.U32(s.value5))
            return false;
        d.signatures.push_back(std::move(s));
    }
    if (!r.Count(count, 3 * 2 + 12 + 8))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        TracedFileData t{};
        if (!r.Wide(kTracedFileExtra, t.extension) || !r.Wide(kTracedFileExtra, t.name) ||
            !r.Wide(kTracedFileExtra, t.typeText) || !r.U32(t.fileNumber) || !r.U32(t.startSector))
            return false;
        d.tracedFiles.push_back(std::move(t));
    }
    return true;
}

bool PowerOfTwoClusters(DWORD spc) { return spc >= 1 && spc <= 128 && (spc & (spc - 1)) == 0; }

// The stored layout is what a recovery reads clusters by, so it must be one a volume can have, as the boot-sector
// checks require of a disk: sectors per cluster a power of two up to 128, the FATs, the first data cluster and
// the MFT inside the volume. A file-tracing snapshot reads sectors by number only and keeps no layout.
bool LayoutPlausible(const SnapshotData& d)
{
    const PartitionParamsBlock& p = d.params;
    if (d.type == u'R')
        return true;
    const bool fat = p.FsType == FS_KIND_FAT16 || p.FsType == FS_KIND_FAT32;
    if (!fat && p.FsType != FS_KIND_NTFS)
        return true; // nothing was scanned: no records follow and nothing can be recovered
    if (!PowerOfTwoClusters(p.SectorsPerCluster))
        return false;
    // A full scan's chosen volume knows its end sector (0 for a FAT volume rebuilt without its boot sector); a
    // quick scan's volume is the range it scanned. Without either there is no end to check against.
    ULONGLONG end = p.SectorCount ? ULONGLONG(p.StartSector) + p.SectorCount : 0;
    if (d.type == u'A' && p.VolumeEndSector)
        end = ULONGLONG(p.VolumeEndSector) + 1;
    const ULONGLONG firstData = ULONGLONG(p.DataOrigin) + (fat ? 2ULL * p.SectorsPerCluster : 0);
    if (end && firstData >= end)
        return false;
    if (fat && p.Fat1Start != 0) {
        const ULONGLONG fatsEnd = ULONGLONG(p.Fat2Start) + p.FatSize;
        if (p.FatSize == 0 || p.Fat1Start < p.StartSector || ULONGLONG(p.Fat1Start) + p.FatSize != p.Fat2Start ||
            firstData < fatsEnd || (end && fatsEnd > end))
            return false;
    }
    if (!fat && p.MftSector != 0 && (p.MftSector < p.DataOrigin || (end && p.MftSector >= end)))
        return false;
    return true;
}

SnapshotStatus Decode(const BYTE* data, size_t size, SnapshotData& d)
{
    if (!data || size < kHeaderSize)
        return SnapshotStatus::Invalid;
    if (std::memcmp(data + 2, kMagic, sizeof kMagic) != 0)
        return SnapshotStatus::BadMagic;
    if (std::memcmp(data + 9, kVersion, sizeof kVersion) != 0)
        return SnapshotStatus::BadVersion;
    Reader r(data, size);
    WORD type = 0;
    BYTE skip[10];
    r.U16(type);
    r.Bytes(skip, sizeof skip);
    d.type = static_cast<char16_t>(type);
    if (d.type != u'A' && d.type != u'D' && d.type != u'R')
        return SnapshotStatus::Invalid;

    BYTE stored[kParamsStored];
    if (!r.Bytes(stored, sizeof stored))
        return SnapshotStatus::Invalid;
    auto* block = reinterpret_cast<BYTE*>(&d.params);
    std::memcpy(block, &PartitionParams, sizeof d.params);
    std::memcpy(block, stored, kRootOffset);
    std::memcpy(block + kRootOffset + 4, stored + kRootOffset, kParamsStored - kRootOffset);

    bool ok = true;
    if (d.type == u'R')
        ok = DecodeTraced(r, d);
    else if (d.params.FsType == FS_KIND_FAT16 || d.params.FsType == FS_KIND_FAT32)
        ok = DecodeFat(r, d);
    else if (d.params.FsType == FS_KIND_NTFS)
        ok = DecodeNtfs(r, d);
    // The drive words close the file; nothing may follow them.
    if (!ok || r.Left() != 4 || !r.U16(d.driveNumber) || !r.U16(d.driveKind))
        return SnapshotStatus::Invalid;
    if (d.driveNumber >= kMaxPhysicalDrives || d.driveKind < 1 || d.driveKind > 3 || !LayoutPlausible(d))
        return SnapshotStatus::Invalid;
    return SnapshotStatus::Ok;
}

void Apply(const SnapshotData& d)
{
    FreeAllResultLists();
    SignatureCount = 0;
    TreeItemCount = 0;

    PartitionParams = d.params;
    ScanMode = d.type == u'A' ? 0 : d.type == u'R' ? 1 : 2;
    for (const auto& f : d.fatFolders)
        AddFatFolderRecord(f.name.c_str(), f.firstCluster, f.parentId, f.writeDate, f.accessDate, 0, f.deleted);
    for (const auto& f : d.fatFiles) {
        AddFatEntryRecord(f.name.c_str(), f.startCluster, f.parentId, f.writeDate, f.accessDate, f.size, f.deleted,
                          f.times);
        FoundFileCount += 1;
    }
    for (const auto& f : d.ntfsFolders)
        AddQuickFolderNode(f.name.c_str(), f.v[0], f.v[1], f.v[2], f.v[3], f.v[4], f.v[5], 0, f.deleted);
    for (const auto& f : d.ntfsFiles)
        AddFoundEntry(f.leading, f.name.c_str(), f.v[0], f.v[1], f.v[2], f.v[3], f.v[4], f.v[5], 0, f.deleted,
                      f.sizeLow, f.sizeHigh);
    for (const auto& s : d.signatures) {
        AddTracedFolder(s.extension.c_str(), s.typeText.c_str(), s.length, s.signature.c_str(), s.value5);
        SignatureCount += 1;
    }
    for (const auto& t : d.tracedFiles) {
        AddTracedFile(t.name.c_str(), t.extension.c_str(), t.typeText.c_str(), t.fileNumber, t.startSector);
        FoundFileCount += 1;
    }
    // The folder count follows the file count after a tracing load, as it does after a tracing scan.
    if (d.type == u'R')
        FoundFolderCount = FoundFileCount;
    if (d.type == u'A' && d.params.FsType == FS_KIND_NTFS)
        DropLoadedMftMirrorCopies();
    // The files of an NTFS snapshot are now held in the quick-scan lists.
    if (d.type != u'R' && d.params.FsType == FS_KIND_NTFS)
        ScanMode = 2;
    SnapshotLoaded = d.type == u'R' ? SnapshotLoaded : 1;
    DriveNumber = d.driveNumber;
    DriveKind = d.driveKind;
    MarkWorkerFinished(false);
}

// ---- Encoding -----------------------------------------------------------------------------------------------

class Writer {
public:
    void U8(BYTE v) { out.push_back(v); }
    void U16(WORD v)
    {
        out.push_back(static_cast<BYTE>(v));
        out.push_back(static_cast<BYTE>(v >> 8));
    }
    void U32(DWORD v)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<BYTE>(v >> (8 * i)));
    }
    // The text, its terminator and `padding` zero bytes (or the tail's bytes), behind a length field of stored
    // bytes plus `extra`.
    bool Wide(const WCHAR* text, DWORD extra, size_t padding, const BYTE* tail = nullptr)
    {
        size_t n = text ? WideLength(text) : 0;
        size_t stored = 2 * n + 2 + padding;
        if (stored + extra > 0xFFFF)
            return false;
        U16(static_cast<WORD>(stored + extra));
        for (size_t i = 0; i < n; ++i)
            U16(text[i]);
        U16(0);
        if (tail)
            out.insert(out.end(), tail, tail + padding);
        else
            out.insert(out.end(), padding, 0);
        return true;
    }
    bool Narrow(const char* text, DWORD extra)
    {
        size_t m = text ? std::strlen(text) : 0;
        size_t stored = 2 * (m + 1);
        if (stored + extra > 0xFFFF)
            return false;
        U16(static_cast<WORD>(stored + extra));
        out.insert(out.end(), text, text + m);
        out.insert(out.end(), m + 2, 0);
        return true;
    }
    // A count written before its records and set once the records that were written are known.
    size_t CountSlot()
    {
        U32(0);
        return out.size() - 4;
    }
    void SetCount(size_t slot, DWORD count)
    {
        for (int i = 0; i < 4; ++i)
            out[slot + i] = static_cast<BYTE>(count >> (8 * i));
    }

    std::vector<BYTE> out;
};

void EncodeFat(Writer& w)
{
    size_t slot = w.CountSlot();
    DWORD written = 0;
    for (FatFolderRecord* f = FatFolderHead; f; f = f->Next) {
        if (!w.Wide(f->Name, kFatFolderExtra, 0))
            continue;
        w.U32(f->FirstCluster);
        w.U32(f->ParentId);
        w.U16(f->WriteDate);
        w.U16(f->AccessDate);
        w.U8(static_cast<BYTE>(f->Deleted));
        w.U16(f->Reserved);
        ++written;
    }
    w.SetCount(slot, written);
    slot = w.CountSlot();
    written = 0;
    for (FatEntryRecord* f = FatFileHead; f; f = f->Next) {
        const BYTE tail[kFatTimesTail] = {0, 0, BYTE(f->WriteTime), BYTE(f->WriteTime >> 8), BYTE(f->CreationDate),
                                          BYTE(f->CreationDate >> 8), BYTE(f->CreationTime),
                                          BYTE(f->CreationTime >> 8), f->CreationTenths, 0};
        if (!w.Wide(f->Name, kFatFileExtra, sizeof tail, tail))
            continue;
        w.U32(f->StartCluster);
        w.U32(f->ParentId);
        w.U16(f->WriteDate);
        w.U16(f->AccessDate);
        w.U32(f->Size);
        w.U8(static_cast<BYTE>(f->Deleted));
        w.U32(f->FileId);
        ++written;
    }
    w.SetCount(slot, written);
}

void EncodeNtfs(Writer& w, bool fullScan)
{
    size_t slot = w.CountSlot();
    DWORD written = 0;
    for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next) {
        if (!w.Wide(f->Name, kNtfsFolderExtra, 2))
            continue;
        for (DWORD v : {f->RecordNumber, f->ParentRef, f->CreationLow, f->CreationHigh, f->ChangeLow, f->ChangeHigh})
            w.U32(v);
        w.U8(static_cast<BYTE>(f->Deleted));
        w.U16(f->Reserved);
        ++written;
    }
    w.SetCount(slot, written);
    slot = w.CountSlot();
    written = 0;
    auto file = [&](DWORD leading, const WCHAR* name, std::initializer_list<DWORD> six, DWORD deleted, DWORD sizeLow,
                    DWORD sizeHigh) {
        size_t mark = w.out.size();
        w.U32(leading);
        if (!w.Wide(name, kNtfsFileExtra, 2)) {
            w.out.resize(mark);
            return;
        }
        for (DWORD v : six)
            w.U32(v);
        w.U8(static_cast<BYTE>(deleted));
        w.U32(sizeLow);
        w.U32(sizeHigh);
        ++written;
    };
    if (fullScan) {
        // Only the files of the chosen volume.
        for (FoundItemNode* f = FoundItemHead; f; f = f->Next)
            if (InChosenVolume(f->RecordSector))
                file(f->RecordSector, f->Name, {f->Zero, f->ParentRef, f->CreationLow, f->CreationHigh, f->ChangeLow,
                                                f->ChangeHigh},
                     f->Deleted, f->SizeLow, f->SizeHigh);
    } else {
        for (FoundEntryNode* f = FoundEntryHead; f; f = f->Next)
            file(f->RecordSector, f->Name, {f->RecordNumber, f->ParentRef, f->CreationLow, f->CreationHigh,
                                            f->ChangeLow, f->ChangeHigh},
                 f->Deleted, f->SizeLow, f->SizeHigh);
    }
    w.SetCount(slot, written);
}

void EncodeTraced(Writer& w)
{
    size_t slot = w.CountSlot();
    DWORD written = 0;
    for (TracedRecord* s = SignatureHead; s; s = s->Next) {
        size_t mark = w.out.size();
        if (!w.Wide(s->Extension, kSignatureExtra, 0) || !w.Wide(s->TypeText, kSignatureExtra, 0) ||
            !w.Narrow(s->Signature, kSignatureExtra)) {
            w.out.resize(mark);
            continue;
        }
        w.U32(s->SignatureLength);
        w.U32(s->Value5);
        ++written;
    }
    w.SetCount(slot, written);
    // The count is that of the records written, whatever the running counter says.
    slot = w.CountSlot();
    written = 0;
    for (TracedFileRecord* t = TracedFileHead; t; t = t->Next) {
        size_t mark = w.out.size();
        if (!w.Wide(t->Extension, kTracedFileExtra, 2) || !w.Wide(t->Name, kTracedFileExtra, 2) ||
            !w.Wide(t->TypeText, kTracedFileExtra, 2)) {
            w.out.resize(mark);
            continue;
        }
        w.U32(t->FileNumber);
        w.U32(t->StartSector);
        ++written;
    }
    w.SetCount(slot, written);
}

// The found-items tree and the root folder's rows, built from the loaded lists as the scan builds them.
void BuildLoadedTree()
{
    const bool fat = PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32;
    if (!fat && PartitionParams.FsType != FS_KIND_NTFS)
        return;
    IEngineUi& ui = EngineUi();
    const DWORD root = InsertFoundTreeRoot();
    ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在创建目录树，请稍候");
    // The builders stop on the stop flag, which the load left set as after any finished run.
    const DWORD stop = ScanStopFlag;
    ScanStopFlag = 0;
    TreeItemCount = 0;
    TreeBuildPercent = 0;
    if (fat) {
        BuildFatFolderTree(root, 0);
        HangUnreachedFatFolders();
    } else {
        BuildNtfsFolderTree(root, kNtfsRootRecord);
        HangUnreachedNtfsFolders();
    }
    ui.ExpandFolderItem(root);
    if (fat)
        ShowFatFolder(0);
    else
        ShowNtfsFolder(kNtfsRootRecord);
    ScanStopFlag = stop;
    TreeBuildPercent = 100;
    ui.SetProgress(100);
}

constexpr const char16_t* kVolumeMismatch = u"所选磁盘上的卷与快照中记录的卷不一致，磁盘的编号可能已经改变。恢复的文件可能不正确。";

void Warn(const char16_t* text) { EngineUi().ShowMessage(text, ENGINE_MSG_INFO); }

// Whether the first of the loaded results are still where they were found: for FAT the first live folder's cluster
// opens with its "." entry naming that cluster, for NTFS the first files' record sectors hold MFT records. True
// when the results claim nothing to compare.
bool ClaimedStructuresPresent()
{
    BYTE sector[SECTOR_SIZE] = {};
    SectorReadOutcome outcome;
    const char* device = SelectedDevicePath();
    if (PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32) {
        for (FatFolderRecord* f = FatFolderHead; f; f = f->Next) {
            if (f->Deleted == 1 || f->FirstCluster < 2)
                continue;
            const ULONGLONG at = ULONGLONG(PartitionParams.DataOrigin) +
                                 ULONGLONG(f->FirstCluster) * PartitionParams.SectorsPerCluster;
            if (!ReadSectors(device, at, 1, sector, &outcome))
                return false;
            DWORD cluster = DWORD(sector[26] | sector[27] << 8);
            if (PartitionParams.FsType == FS_KIND_FAT32)
                cluster |= DWORD(sector[20] | sector[21] << 8) << 16;
            return std::memcmp(sector, ".          ", 11) == 0 && (sector[11] & 0x10) && cluster == f->FirstCluster;
        }
        return true;
    }
    if (PartitionParams.FsType == FS_KIND_NTFS) {
        int checked = 0;
        for (FoundEntryNode* e = FoundEntryHead; e && checked < 4; e = e->Next, ++checked)
            if (!ReadSectors(device, e->RecordSector, 1, sector, &outcome) || std::memcmp(sector, "FILE", 4) != 0)
                return false;
    }
    return true;
}

// After a load the disk may have been renumbered or replaced: compare the volume's boot sector with the layout
// saved, where the volume still has one.
// Where the volume's own boot sector lies. A full scan's volume starts somewhere inside the swept range, not at the
// range's start, so the layout it was read with tells; a volume rebuilt without its FATs has no known start (false).
bool VolumeBootSector(ULONGLONG* sector)
{
    const PartitionParamsBlock& p = PartitionParams;
    if (DriveKind == 2 || ScanMode == 1) {
        // File tracing reads no layout: its range starts where the volume does.
        *sector = DriveKind == 2 ? 0 : p.StartSector;
        return true;
    }
    if (p.FsType == FS_KIND_NTFS)
        *sector = p.DataOrigin;
    else if (p.FsType == FS_KIND_FAT16 || p.FsType == FS_KIND_FAT32)
        *sector = ULONGLONG(p.Fat1Start) - p.ReservedSectors;
    else
        *sector = p.StartSector;
    return !((p.FsType == FS_KIND_FAT16 || p.FsType == FS_KIND_FAT32) && (p.Fat1Start == 0 || p.Fat1Start < p.ReservedSectors));
}

void CheckReopenedVolume()
{
    BYTE sector[SECTOR_SIZE] = {};
    SectorReadOutcome outcome;
    ULONGLONG start = 0;
    if (!VolumeBootSector(&start)) {
        if (!ClaimedStructuresPresent())
            Warn(kVolumeMismatch);
        return;
    }
    if (!ReadSectors(SelectedDevicePath(), start, 1, sector, &outcome)) {
        Warn(u"无法读取快照所记录的卷。恢复可能会失败。");
        return;
    }
    if (sector[510] != 0x55 || sector[511] != 0xAA) {
        // No boot sector (a volume rebuilt by the full scan may have none): check what the results claim instead.
        if (!ClaimedStructuresPresent())
            Warn(kVolumeMismatch);
        return;
    }
    const DWORD spc = sector[0x0D];
    bool same = true;
    if (std::memcmp(sector + 3, "NTFS", 4) == 0) {
        ULONGLONG mftCluster = 0;
        for (int i = 7; i >= 0; --i)
            mftCluster = mftCluster << 8 | sector[0x30 + i];
        same = PartitionParams.FsType == FS_KIND_NTFS && spc == PartitionParams.SectorsPerCluster &&
               (PartitionParams.MftSector == 0 || start + mftCluster * spc == PartitionParams.MftSector);
    } else if (PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32) {
        const DWORD reserved = sector[0x0E] | sector[0x0F] << 8;
        const DWORD fatSize = PartitionParams.FsType == FS_KIND_FAT16
                                  ? static_cast<DWORD>(sector[0x16] | sector[0x17] << 8)
                                  : static_cast<DWORD>(sector[0x24] | sector[0x25] << 8 | sector[0x26] << 16 |
                                                       static_cast<DWORD>(sector[0x27]) << 24);
        same = spc == PartitionParams.SectorsPerCluster && reserved == PartitionParams.ReservedSectors &&
               fatSize == PartitionParams.FatSize;
    } else {
        same = false;
    }
    if (!same)
        Warn(kVolumeMismatch);
}

} // namespace

std::u16string SnapshotStatusText(SnapshotStatus status)
{
    switch (status) {
    case SnapshotStatus::Ok:
        return {};
    case SnapshotStatus::CannotOpen:
        return u"Unable to open the file";
    case SnapshotStatus::BadMagic:
        return u"Invalid version of the file found : ";
    case SnapshotStatus::BadVersion:
        return u"version of file does not match with current version 1.0";
    case SnapshotStatus::Invalid:
        return u"无效的文件。 ";
    case SnapshotStatus::WriteFailed:
        return u"快照文件没有保存成功。";
    }
    return {};
}

std::u16string SnapshotFileName(const std::u16string& chosen)
{
    if (chosen.size() >= 4) {
        std::u16string tail = chosen.substr(chosen.size() - 4);
        for (auto& c : tail)
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - 32);
        if (tail == u".DMK")
            return chosen;
    }
    // Lower case, as the file type is registered: a case-sensitive file system tells the two apart.
    return chosen + u".dmk";
}

std::vector<BYTE> EncodeSnapshot()
{
    Writer w;
    const char16_t type = ScanMode == 0 ? u'A' : ScanMode == 1 ? u'R' : u'D';
    w.U16(type);
    w.out.insert(w.out.end(), kMagic, kMagic + sizeof kMagic);
    w.out.insert(w.out.end(), kVersion, kVersion + sizeof kVersion);
    const auto* block = reinterpret_cast<const BYTE*>(&PartitionParams);
    w.out.insert(w.out.end(), block, block + kRootOffset);
    w.out.insert(w.out.end(), block + kRootOffset + 4, block + sizeof PartitionParams);
    if (type == u'R')
        EncodeTraced(w);
    else if (PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32)
        EncodeFat(w);
    else if (PartitionParams.FsType == FS_KIND_NTFS)
        EncodeNtfs(w, type == u'A');
    w.U16(DriveNumber);
    w.U16(DriveKind);
    return std::move(w.out);
}

SnapshotStatus LoadSnapshotBytes(const BYTE* data, size_t size)
{
    SnapshotData decoded;
    SnapshotStatus status = Decode(data, size, decoded);
    if (status == SnapshotStatus::Ok)
        Apply(decoded);
    return status;
}

SnapshotStatus WriteSnapshotFile(const WCHAR* path)
{
    std::vector<BYTE> bytes = EncodeSnapshot();
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        EngineUi().ShowMessage(SnapshotStatusText(SnapshotStatus::CannotOpen).c_str(), ENGINE_MSG_ERROR);
        return SnapshotStatus::CannotOpen;
    }
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += chunk;
    }
    ok = CloseHandle(file) && ok;
    if (!ok) {
        DeleteFileW(path);
        EngineUi().ShowMessage(SnapshotStatusText(SnapshotStatus::WriteFailed).c_str(), ENGINE_MSG_ERROR);
        return SnapshotStatus::WriteFailed;
    }
    return SnapshotStatus::Ok;
}

SnapshotStatus ReadSnapshotFile(const WCHAR* path)
{
    IEngineUi& ui = EngineUi();
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    LARGE_INTEGER size{};
    std::vector<BYTE> bytes;
    bool ok = file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
              size.QuadPart < (1LL << 31);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        for (size_t done = 0; ok && done < bytes.size();) {
            DWORD got = 0;
            ok = ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) && got;
            done += got;
        }
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    SnapshotStatus status = ok ? LoadSnapshotBytes(bytes.data(), bytes.size()) : SnapshotStatus::CannotOpen;
    if (status != SnapshotStatus::Ok) {
        ui.ShowMessage(SnapshotStatusText(status).c_str(), ENGINE_MSG_ERROR);
        return status;
    }
    // The tree of the results just replaced goes with them.
    RemoveFoundTreeRoot();
    if (ScanMode == 1)
        BuildTracedResult();
    else
        BuildLoadedTree();

    // The disk and the volume are opened again before anything is read from them (the NTFS run table included).
    if (OpenPhysicalDrive() == INVALID_HANDLE_VALUE && DriveKind != 2) {
        Warn(u"无法打开快照所记录的磁盘。请连接该磁盘后再恢复文件。");
        return status;
    }
    if (DriveKind == 2) {
        if (PartitionParams.LogicalDriveIndex >= LogicalDriveTable.Count) {
            Warn(u"快照所记录的卷现在不存在，没有重新打开。");
            return status;
        }
        ReopenVolume(PartitionParams.LogicalDriveIndex);
        if (VolumeHandle == INVALID_HANDLE_VALUE || !VolumeHandle) {
            Warn(u"无法打开快照所记录的卷。请连接该卷后再恢复文件。");
            return status;
        }
    }
    CheckReopenedVolume();
    if (PartitionParams.FsType == FS_KIND_NTFS && ScanMode != 1)
        BuildMftRunTable(PartitionParams.StartSector, SelectedDevicePath(), PartitionParams.MftSector,
                         PartitionParams.SectorsPerCluster);
    return status;
}
