// Copying found FAT and NTFS files and folders out of the scanned disk, with their names and times.
#include "engine/recovery_writer.h"

#include "engine/engine_state.h"
#include "engine/found_list_fill.h"
#include "engine/fat_chain.h"
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"
#include "win32/kernel.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

WCHAR DestinationFolder[kDestinationChars] = {};
ULONGLONG RecoveryFileTime = 0;
ULONGLONG RecoveryWriteTime = 0;
FatEntryTimes RecoveryFatTimes;
DWORD SavedFileCount = 0;
// The size the file-type dialog offers while none is chosen (0).
constexpr DWORD kUnchosenTracedFileSize = 2;
DWORD TracedFileSize = 0;
SaveRunTally SaveTally;

void ResetSaveTally() { SaveTally = {}; }

namespace {

using Text = std::u16string;

constexpr DWORD kReadBlockSectors = 128;
constexpr WORD kFlagCompressed = 0x0001;
constexpr WORD kFlagEncrypted = 0x4000;

const WCHAR kCreateError[] = u"创建文件时发生错误：  ";
const WCHAR kContinueQuestion[] = u". 继续恢复吗 ?         ";
const WCHAR kDestinationOnSource[] =
    u"所选的保存位置位于正在恢复的磁盘上。写入恢复的文件可能覆盖尚未恢复的已删除文件的数据。仍要保存到这里吗？";

// One piece of a file's data: clusters on disk, or a sparse hole of zeros.
struct Piece {
    ULONGLONG Vcn;
    ULONGLONG Lcn;
    ULONGLONG Length;
    bool Sparse;
    bool OffVolume = false; // clusters outside the volume: written as zeros and counted unread
};

Text HtmlEscaped(const Text& s)
{
    Text out;
    for (char16_t c : s) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

Text Join(const WCHAR* folder, const WCHAR* name)
{
    Text path = folder ? folder : u"";
    if (!path.empty() && path.back() != u'\\' && path.back() != u'/')
        path += u'\\';
    std::vector<WCHAR> safe;
    SanitizeNameComponent(name, &safe);
    return path + safe.data();
}

bool Exists(const Text& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Asks whether to go on after a file or folder could not be made; "no" stops the run.
void AskAfterCreateFailure(const Text& path)
{
    const Text text = kCreateError + HtmlEscaped(path) + kContinueQuestion;
    if (!EngineUi().AskYesNo(text.c_str()))
        SaveStopFlag = 1;
}

// A file the destination could not take whole (a full disk, a write error) is removed, so that it cannot
// pass for a recovered one, and counted failed; the save run then asks whether to go on, as when a file
// cannot be created.
int DiscardUnwritten(const Text& path, bool ask)
{
    DeleteFileW(path.c_str());
    ++SaveTally.Failed;
    if (ask)
        AskAfterCreateFailure(path);
    return 0;
}

UINT Percent(ULONGLONG part, ULONGLONG whole)
{
    if (whole == 0)
        return 0;
    const ULONGLONG p = part * 100 / whole;
    return UINT(p > 99 ? 99 : p);
}

// The common start of the writers: stop, filter, deleted-file and duplicate modes. Returns false
// when the file is not to be written (tallied as skipped); path may be renamed.
bool StartFile(Text& path, const WCHAR* folder, const WCHAR* name, int withDialog, DWORD deleted,
               bool deletedMode = true)
{
    if (SaveStopFlag == 1)
        return false;
    SaveSkipFlag = 0;
    path = Join(folder, name);
    if (!withDialog)
        return true;
    if (!PassesFileTypeFilter(name) ||
        (deletedMode && ((DeletedFileMode == 3 && deleted == 1) || (DeletedFileMode == 2 && deleted == 0)))) {
        ++SaveTally.Skipped;
        return false;
    }
    if (Exists(path)) {
        if (DuplicateFileMode == 3) {
            ++SaveTally.Skipped;
            return false;
        }
        if (DuplicateFileMode == 1) {
            std::vector<WCHAR> safe;
            SanitizeNameComponent(name, &safe);
            for (unsigned n = 1;; ++n) {
                const std::string number = std::to_string(n);
                Text renamed = u"Copy (" + Text(number.begin(), number.end()) + u" ) of " + safe.data();
                Text candidate = Join(folder, renamed.c_str());
                if (!Exists(candidate)) {
                    path = candidate;
                    break;
                }
            }
        }
    }
    return true;
}

// The open destination file; counts what it could not write.
class OutFile {
public:
    explicit OutFile(const Text& path)
    {
        handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~OutFile() { Close(); }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    bool Write(const void* data, size_t bytes)
    {
        while (bytes > 0 && ok_) {
            const DWORD part = DWORD(std::min<size_t>(bytes, 1u << 24));
            DWORD written = 0;
            if (!WriteFile(handle_, data, part, &written, nullptr) || written != part)
                ok_ = false;
            data = static_cast<const BYTE*>(data) + part;
            bytes -= part;
        }
        return ok_;
    }
    bool Close()
    {
        if (IsOpen()) {
            if (!CloseHandle(handle_))
                ok_ = false;
            handle_ = INVALID_HANDLE_VALUE;
        }
        return ok_;
    }
    bool Ok() const { return ok_; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool ok_ = true;
};

// Reads sectors [first, first + count) of cluster data (first counted from the data origin) into
// out; sectors outside the volume and sectors that could not be read are zeros and counted.
ULONGLONG ReadDataSectors(ULONGLONG relFirst, ULONGLONG count, BYTE* out)
{
    std::memset(out, 0, size_t(count) * SECTOR_SIZE);
    const ULONGLONG first = ULONGLONG(PartitionParams.DataOrigin) + relFirst;
    const ULONGLONG end = VolumeDataEnd();
    ULONGLONG unread = 0;
    ULONGLONG readable = count;
    if (end && first + count > end) {
        readable = first >= end ? 0 : end - first;
        unread += count - readable;
    }
    if (readable) {
        SectorReadOutcome outcome;
        ReadSectors(SelectedDevicePath(), first, DWORD(readable), out, &outcome);
        unread += outcome.UnreadCount;
    }
    return unread;
}

// What a copy of pieces did.
struct CopyResult {
    ULONGLONG Written = 0;
    ULONGLONG Unread = 0;
    bool Cut = false; // stopped or skipped by the user
};

// Copies the pieces' clusters (sparse ones as zeros) until size bytes are written.
CopyResult CopyPieces(OutFile& out, const std::vector<Piece>& pieces, ULONGLONG size, int withDialog)
{
    CopyResult r;
    const ULONGLONG spc = PartitionParams.SectorsPerCluster ? PartitionParams.SectorsPerCluster : 1;
    std::vector<BYTE> buffer(kReadBlockSectors * SECTOR_SIZE);
    IEngineUi& ui = EngineUi();
    for (const Piece& p : pieces) {
        ULONGLONG sectors = p.Length * spc;
        ULONGLONG at = p.Lcn * spc;
        while (sectors > 0 && r.Written < size) {
            if (SaveStopFlag == 1 || SaveSkipFlag == 1) {
                r.Cut = true;
                return r;
            }
            if (withDialog)
                ui.SetSaveProgress(Percent(r.Written, size));
            const ULONGLONG n = std::min<ULONGLONG>(sectors, kReadBlockSectors);
            const ULONGLONG bytes = std::min<ULONGLONG>(n * SECTOR_SIZE, size - r.Written);
            if (p.Sparse || p.OffVolume) {
                std::memset(buffer.data(), 0, size_t(n) * SECTOR_SIZE);
                if (p.OffVolume)
                    r.Unread += (bytes + SECTOR_SIZE - 1) / SECTOR_SIZE;
            } else {
                r.Unread += ReadDataSectors(at, n, buffer.data());
            }
            if (!out.Write(buffer.data(), size_t(bytes)))
                return r;
            r.Written += bytes;
            at += n;
            sectors -= n;
        }
    }
    return r;
}

// Counts a finished file and returns the writer's result.
int Tally(bool complete, ULONGLONG unread)
{
    SaveTally.UnreadableSectors += unread;
    if (complete && unread == 0) {
        ++SaveTally.Written;
        return 1;
    }
    ++SaveTally.Failed;
    return 0;
}

void AnnounceFile(const Text& where, const WCHAR* name)
{
    ++SavedFileCount;
    EngineUi().ShowSaveFile(where.c_str(), name, SavedFileCount);
    EngineUi().SetSaveProgress(0);
}

// The data of a record: its unnamed $DATA attribute, across extension records when an attribute
// list spreads it. Resident data is copied into resident.
struct NtfsData {
    bool Found = false;
    bool Resident = false;
    std::vector<BYTE> ResidentBytes;
    WORD Flags = 0;
    BYTE UnitShift = 0;
    std::vector<Piece> Pieces;
    bool Complete = true;    // every piece decoded and the pieces follow one another
    bool RecordRead = false; // the file's own record was read
};

void TakeDataAttribute(const BYTE* record, NtfsData* data)
{
    DWORD cursor = 0;
    NtfsAttribute a;
    while (NextAttribute(record, kMftRecordSize, &cursor, &a)) {
        if (a.Type != ATTR_DATA || a.NameLength != 0)
            continue;
        const BYTE* attr = record + a.Offset;
        if (!a.NonResident) {
            if (!data->Found) {
                data->Found = true;
                data->Resident = true;
                data->ResidentBytes.assign(attr + a.ValueOffset, attr + a.ValueOffset + a.ValueLength);
            }
            continue;
        }
        ULONGLONG vcn = 0;
        std::memcpy(&vcn, attr + 0x10, 8);
        if (!data->Found || vcn == 0) {
            data->Flags = WORD(attr[0x0C] | attr[0x0D] << 8);
            data->UnitShift = attr[0x22];
        }
        data->Found = true;
        std::vector<DataRun> runs;
        if (DecodeRunList(attr + a.RunsOffset, attr + a.Length, &runs) != RUNS_OK)
            data->Complete = false;
        for (const DataRun& run : runs) {
            data->Pieces.push_back({vcn, run.Sparse ? 0 : ULONGLONG(run.Lcn), run.Length, run.Sparse});
            vcn += run.Length;
        }
    }
}

bool ReadRecordAt(DWORD sector, std::vector<BYTE>& record)
{
    record.assign(kMftRecordSize, 0);
    return ReadMftRecord(sector, record.data());
}

NtfsData GatherNtfsData(DWORD recordSector)
{
    NtfsData data;
    std::vector<BYTE> record;
    if (!ReadRecordAt(recordSector, record))
        return data;
    DWORD baseNumber = 0;
    std::memcpy(&baseNumber, &record[0x20], 4);
    DWORD baseSector = recordSector;
    if (baseNumber != 0) {
        // The size came from an extension record: the file is read from its base record.
        if (!MftRecordToSector(baseNumber, &baseSector) || !ReadRecordAt(baseSector, record)) {
            TakeDataAttribute(record.data(), &data);
            data.Complete = false;
            return data;
        }
    }
    data.RecordRead = true;
    DWORD number = 0;
    std::memcpy(&number, &record[0x2C], 4);
    TakeDataAttribute(record.data(), &data);
    // A full scan's result has no MFT run table: its extension records are found by their distance from the base.
    const MftRecordGroup group(record.data(), number, baseSector,
                               ScanMode == 0 ? ExtensionLookup::Distance : ExtensionLookup::RunTable);
    for (const std::vector<BYTE>& extension : group.Extensions())
        TakeDataAttribute(extension.data(), &data);
    if (!group.AllExtensionsRead())
        data.Complete = false;
    std::stable_sort(data.Pieces.begin(), data.Pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.Vcn < b.Vcn; });
    ULONGLONG expect = 0;
    for (const Piece& p : data.Pieces) {
        if (p.Vcn != expect)
            data.Complete = false;
        expect = p.Vcn + p.Length;
    }
    return data;
}

ULONGLONG ClusterBytes() { return ULONGLONG(PartitionParams.SectorsPerCluster ? PartitionParams.SectorsPerCluster : 1) * SECTOR_SIZE; }

// Clusters the pieces cover from VCN 0 without a gap.
ULONGLONG CoveredClusters(const std::vector<Piece>& pieces)
{
    ULONGLONG end = 0;
    for (const Piece& p : pieces) {
        if (p.Vcn != end)
            break;
        end += p.Length;
    }
    return end;
}

// Largest compression unit taken: volumes make units of 16 clusters of at most 4 KiB. A damaged unit byte
// could otherwise ask for a buffer of petabytes or a shift past 63 bits.
constexpr ULONGLONG kMaxCompressionUnitBytes = 64 * 1024;

// Clusters in one compression unit, or 0 when the attribute's unit byte is not one a volume can have.
ULONGLONG CompressionUnitClusters(const NtfsData& data)
{
    const unsigned shift = data.UnitShift ? data.UnitShift : 4;
    if (shift > 16 || (1ULL << shift) * ClusterBytes() > kMaxCompressionUnitBytes)
        return 0;
    return 1ULL << shift;
}

// Compressed data: each unit of 2^shift clusters is stored plain (no sparse clusters), compressed
// (real clusters followed by sparse ones) or not at all (all sparse: zeros). Writing ends where the
// runs end, whatever size the record claims: past them there is nothing of the file to write.
CopyResult CopyCompressed(OutFile& out, const NtfsData& data, ULONGLONG size, int withDialog, bool* malformed)
{
    CopyResult r;
    const ULONGLONG unit = CompressionUnitClusters(data);
    const ULONGLONG cb = ClusterBytes();
    const ULONGLONG spc = cb / SECTOR_SIZE;
    ULONGLONG runsEnd = 0;
    for (const Piece& p : data.Pieces)
        runsEnd = std::max(runsEnd, p.Vcn + p.Length);
    const ULONGLONG limit = std::min(size, runsEnd * cb);
    std::vector<BYTE> raw(size_t(unit * cb)), plain(size_t(unit * cb));
    // Cluster number (or none) of each VCN, taken unit by unit.
    auto lcnOf = [&](ULONGLONG vcn, bool* sparse) -> ULONGLONG {
        for (const Piece& p : data.Pieces)
            if (vcn >= p.Vcn && vcn < p.Vcn + p.Length) {
                *sparse = p.Sparse;
                return p.Lcn + (vcn - p.Vcn);
            }
        *sparse = true;
        return 0;
    };
    for (ULONGLONG first = 0; r.Written < limit; first += unit) {
        if (SaveStopFlag == 1 || SaveSkipFlag == 1) {
            r.Cut = true;
            return r;
        }
        if (withDialog)
            EngineUi().SetSaveProgress(Percent(r.Written, size));
        ULONGLONG real = 0;
        for (ULONGLONG v = 0; v < unit; ++v) {
            bool sparse = false;
            const ULONGLONG lcn = lcnOf(first + v, &sparse);
            if (sparse)
                break;
            r.Unread += ReadDataSectors(lcn * spc, spc, raw.data() + v * cb);
            ++real;
        }
        const BYTE* source = raw.data();
        if (real == 0) {
            std::memset(plain.data(), 0, plain.size());
            source = plain.data();
        } else if (real < unit) {
            size_t produced = 0;
            std::memset(plain.data(), 0, plain.size());
            if (!DecompressLznt1(raw.data(), size_t(real * cb), plain.data(), plain.size(), &produced))
                *malformed = true;
            source = plain.data();
        }
        const ULONGLONG bytes = std::min<ULONGLONG>(unit * cb, limit - r.Written);
        if (!out.Write(source, size_t(bytes)))
            return r;
        r.Written += bytes;
    }
    return r;
}

bool IsCompressed(const NtfsData& d) { return (d.Flags & kFlagCompressed) != 0; }

} // namespace

namespace {

constexpr size_t kMaxNameBytes = 255; // what a Linux file system holds in one name, in UTF-8
constexpr size_t kMaxKeptExtensionBytes = 64;

bool IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-8 bytes of the character at text[i] (a surrogate pair counts once, as four bytes); *units its UTF-16 units.
size_t Utf8Bytes(const std::vector<WCHAR>& text, size_t i, size_t* units)
{
    const WCHAR c = text[i];
    *units = 1;
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        *units = 2;
        return 4;
    }
    return c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

size_t Utf8Length(const std::vector<WCHAR>& text, size_t from, size_t to)
{
    size_t bytes = 0;
    for (size_t i = from, units = 1; i < to; i += units)
        bytes += Utf8Bytes(text, i, &units);
    return bytes;
}

// Shortens a name the destination cannot hold to kMaxNameBytes, on a character boundary, keeping its extension
// where the extension is short enough to keep.
void FitNameLength(std::vector<WCHAR>& name)
{
    if (Utf8Length(name, 0, name.size()) <= kMaxNameBytes)
        return;
    size_t dot = name.size();
    for (size_t i = name.size(); i-- > 1;)
        if (name[i] == u'.') {
            dot = i;
            break;
        }
    size_t extensionBytes = Utf8Length(name, dot, name.size());
    if (extensionBytes > kMaxKeptExtensionBytes) {
        dot = name.size();
        extensionBytes = 0;
    }
    size_t end = 0, bytes = 0;
    for (size_t units = 1; end < dot; end += units) {
        const size_t b = Utf8Bytes(name, end, &units);
        if (bytes + b + extensionBytes > kMaxNameBytes)
            break;
        bytes += b;
    }
    name.erase(name.begin() + std::ptrdiff_t(end), name.begin() + std::ptrdiff_t(dot));
}

} // namespace

void SanitizeNameComponent(const WCHAR* name, std::vector<WCHAR>* out)
{
    out->clear();
    const WCHAR* p = name ? name : u"";
    for (size_t i = 0; p[i]; ++i) {
        WCHAR c = p[i];
        if (c < 0x20 || c == u'/' || c == u'\\' || c == 0x7F) {
            c = u'_';
        } else if (IsHighSurrogate(c) && IsLowSurrogate(p[i + 1])) {
            out->push_back(c);
            c = p[++i];
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            // Legal on FAT and NTFS, but no Linux name can hold half a character.
            c = 0xFFFD;
        }
        out->push_back(c);
    }
    FitNameLength(*out);
    const size_t n = out->size();
    if (n == 0 || (n == 1 && (*out)[0] == u'.') || (n == 2 && (*out)[0] == u'.' && (*out)[1] == u'.')) {
        out->clear();
        out->push_back(u'_');
    }
    out->push_back(0);
}

bool DecompressLznt1(const BYTE* in, size_t inSize, BYTE* out, size_t outSize, size_t* produced)
{
    size_t ip = 0, op = 0;
    while (ip + 2 <= inSize && op < outSize) {
        const unsigned header = in[ip] | in[ip + 1] << 8;
        ip += 2;
        if (header == 0)
            break;
        const size_t chunkSize = (header & 0x0FFF) + 1;
        if (ip + chunkSize > inSize)
            return *produced = op, false;
        const size_t chunkEnd = ip + chunkSize;
        const size_t chunkStart = op;
        if (!(header & 0x8000)) {
            const size_t n = std::min(chunkSize, outSize - op);
            std::memcpy(out + op, in + ip, n);
            op += n;
            ip = chunkEnd;
            continue;
        }
        while (ip < chunkEnd && op < outSize) {
            const BYTE flags = in[ip++];
            for (int bit = 0; bit < 8 && ip < chunkEnd && op < outSize; ++bit) {
                if (!(flags & (1 << bit))) {
                    out[op++] = in[ip++];
                    continue;
                }
                if (ip + 2 > chunkEnd)
                    return *produced = op, false;
                const unsigned token = in[ip] | in[ip + 1] << 8;
                ip += 2;
                const size_t pos = op - chunkStart;
                unsigned lengthMask = 0xFFF, offsetShift = 12;
                for (size_t i = pos - 1; i >= 0x10 && pos > 0; i >>= 1) {
                    lengthMask >>= 1;
                    --offsetShift;
                }
                const size_t offset = (token >> offsetShift) + 1;
                const size_t length = (token & lengthMask) + 3;
                if (offset > pos)
                    return *produced = op, false;
                for (size_t k = 0; k < length && op < outSize; ++k, ++op)
                    out[op] = out[op - offset];
            }
        }
        ip = chunkEnd;
    }
    *produced = op;
    return true;
}

void SplitFatDate(WORD date, WORD* year, WORD* month, WORD* day)
{
    *year = WORD(1980 + (date >> 9));
    *month = WORD((date >> 5) & 0x0F);
    *day = WORD(date & 0x1F);
}

namespace {
void SetTimes(const WCHAR* path, const FILETIME& created, const FILETIME& written)
{
    HANDLE h = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE || h == nullptr)
        return;
    SetFileTime(h, &created, &written, &written);
    CloseHandle(h);
}

FILETIME AsFileTime(ULONGLONG t) { return FILETIME{DWORD(t), DWORD(t >> 32)}; }

// FAT keeps local time; a file's times are UTC. The conversion uses the present bias, as the system's own
// conversion of local file times does. False when the words hold no real date and time.
bool FatLocalToFileTime(WORD date, WORD time, BYTE hundredths, FILETIME* out)
{
    FILETIME local{};
    if (!DosDateTimeToFileTime(date, time, &local))
        return false;
    if (hundredths < 200)
        local = AsFileTime((ULONGLONG(local.dwHighDateTime) << 32 | local.dwLowDateTime) + hundredths * 100000ULL);
    return LocalFileTimeToFileTime(&local, out);
}
} // namespace

void SetNtfsRecoveryTimes(DWORD creationLow, DWORD creationHigh, DWORD changeLow, DWORD changeHigh)
{
    RecoveryFileTime = ULONGLONG(creationHigh) << 32 | creationLow;
    RecoveryWriteTime = ULONGLONG(changeHigh) << 32 | changeLow;
}

void RestoreNtfsFileTimes(const WCHAR* path)
{
    // The modified time the list showed is the one the recovered file keeps.
    SetTimes(path, AsFileTime(RecoveryFileTime), AsFileTime(RecoveryWriteTime));
}

void SetFatRecoveryTimes(const FatEntryRecord& record)
{
    RecoveryFileTime = record.WriteDate;
    RecoveryFatTimes.WriteTime = record.WriteTime;
    RecoveryFatTimes.CreationDate = record.CreationDate;
    RecoveryFatTimes.CreationTime = record.CreationTime;
    RecoveryFatTimes.CreationTenths = record.CreationTenths;
}

void RestoreFatFileTimes(const WCHAR* path)
{
    const WORD date = WORD(RecoveryFileTime);
    FILETIME written{};
    if (!FatLocalToFileTime(date, RecoveryFatTimes.WriteTime, 0, &written)) {
        // Results that kept only the date (or a time word no clock shows) give the date with the present time
        // of day, as they always did.
        SYSTEMTIME st{};
        GetSystemTime(&st);
        SplitFatDate(date, &st.wYear, &st.wMonth, &st.wDay);
        // Deleted entries often carry a date of 0 (day 0): such a date leaves the times as written.
        if (!SystemTimeToFileTime(&st, &written))
            return;
    }
    // Many writers leave the creation words 0: the file is then taken as created when it was last written.
    FILETIME created = written;
    FILETIME entryCreated{};
    if (FatLocalToFileTime(RecoveryFatTimes.CreationDate, RecoveryFatTimes.CreationTime,
                           RecoveryFatTimes.CreationTenths, &entryCreated))
        created = entryCreated;
    SetTimes(path, created, written);
}

int RecoverNtfsFile(const WCHAR* folder, const WCHAR* name, DWORD sizeLow, DWORD sizeHigh, DWORD recordSector,
                    int withDialog, DWORD deleted)
{
    const ULONGLONG size = ULONGLONG(sizeHigh) << 32 | sizeLow;
    const NtfsData data = GatherNtfsData(recordSector);
    // A system file that keeps only indexes (those of $Extend) has no data stream to write: it is no file of
    // the user's, neither written nor failed nor skipped, whichever scan listed it.
    if (data.RecordRead && data.Complete && !data.Found && size == 0)
        return 0;
    Text path;
    if (!StartFile(path, folder, name, withDialog, deleted))
        return 0;
    if (withDialog)
        AnnounceFile(path, name);
    if (!data.Found || (data.Flags & kFlagEncrypted) || (IsCompressed(data) && !CompressionUnitClusters(data)))
        return Tally(false, 0);
    if (data.Resident && data.ResidentBytes.size() < size)
        return Tally(false, 0);

    OutFile out(path);
    if (!out.IsOpen()) {
        ++SaveTally.Failed;
        AskAfterCreateFailure(path);
        return 0;
    }
    bool complete = true;
    ULONGLONG unread = 0;
    if (data.Resident) {
        out.Write(data.ResidentBytes.data(), size_t(size));
    } else {
        const ULONGLONG needed = (size + ClusterBytes() - 1) / ClusterBytes();
        // Runs that stop before the size (cut lists, pieces in records not found) leave the file short.
        if (!data.Complete || CoveredClusters(data.Pieces) < needed)
            complete = false;
        bool malformed = false;
        const CopyResult r = IsCompressed(data) ? CopyCompressed(out, data, size, withDialog, &malformed)
                                                : CopyPieces(out, data.Pieces, size, withDialog);
        unread = r.Unread;
        if (r.Cut || r.Written < size || malformed)
            complete = false;
    }
    if (!out.Close())
        return DiscardUnwritten(path, withDialog != 0);
    RestoreNtfsFileTimes(path.c_str());
    return Tally(complete, unread);
}

int RecoverFatFile(const WCHAR* folder, DWORD, int withDialog, DWORD startCluster, DWORD size, const WCHAR* name,
                   DWORD deleted)
{
    Text path;
    if (!StartFile(path, folder, name, withDialog, deleted))
        return 0;
    OutFile out(path);
    if (!out.IsOpen()) {
        ++SaveTally.Failed;
        AskAfterCreateFailure(path);
        return 0;
    }
    if (withDialog)
        AnnounceFile(Text(folder ? folder : u""), name);

    const ULONGLONG clusterBytes = ClusterBytes();
    const ULONGLONG needed = (ULONGLONG(size) + clusterBytes - 1) / clusterBytes;
    std::vector<Piece> pieces;
    // The chain through the first FAT, then the second; a chain too short or revisiting a cluster
    // is not this file's, and the file is taken as contiguous.
    for (int copy = 1; copy <= 2 && pieces.empty() && needed > 0; ++copy) {
        FollowFatChain(startCluster, DWORD(std::min<ULONGLONG>(needed - 1, 0xFFFFFFFFu)), copy);
        std::vector<DWORD> chain;
        std::unordered_set<DWORD> seen;
        bool repeated = false;
        for (ClusterNode* n = ClusterChainHead; n && chain.size() < needed; n = n->Next) {
            repeated |= !seen.insert(n->Value).second;
            chain.push_back(n->Value);
        }
        FreeClusterChain();
        if (chain.size() != needed || repeated)
            continue;
        for (DWORD c : chain) {
            if (!pieces.empty() && pieces.back().Lcn + pieces.back().Length == c)
                ++pieces.back().Length;
            else
                pieces.push_back({0, c, 1, false});
        }
    }
    if (pieces.empty() && needed > 0)
        pieces.push_back({0, startCluster, needed, false});

    // Clusters past the volume's end (the FAT's end at most) are not read: the file keeps what lies on the
    // volume, zeros for the rest, and is reported incomplete. A start below cluster 2 holds nothing of it.
    const ULONGLONG limit = startCluster < 2 ? 0 : FatClusterLimit();
    std::vector<Piece> bounded;
    for (const Piece& p : pieces) {
        const ULONGLONG end = p.Lcn + p.Length;
        const ULONGLONG inside = p.Lcn >= 2 && p.Lcn < limit ? std::min(limit, end) : p.Lcn;
        if (inside > p.Lcn)
            bounded.push_back({0, p.Lcn, inside - p.Lcn, false});
        if (end > inside)
            bounded.push_back({0, inside, end - inside, false, true});
    }
    const CopyResult r = CopyPieces(out, bounded, size, withDialog);
    if (!out.Close())
        return DiscardUnwritten(path, withDialog != 0);
    RestoreFatFileTimes(path.c_str());
    return Tally(!r.Cut && r.Written == size, r.Unread);
}

namespace {

// TracedFileSize MiB read in 64 KiB chunks from the start sector; sectors that could not be read
// (or lie past the device) are zeros and counted.
int WriteTracedData(const Text& path, DWORD startSector, bool ask)
{
    OutFile out(path);
    if (!out.IsOpen()) {
        ++SaveTally.Failed;
        if (ask)
            AskAfterCreateFailure(path);
        return -1;
    }
    std::vector<BYTE> chunk(128 * SECTOR_SIZE);
    ULONGLONG unread = 0;
    bool cut = false;
    // No size chosen (a tracing snapshot loaded before any tracing, or after the results were left, which
    // forgets the choice): the size the dialog offers, never an empty file.
    const ULONGLONG chunks = ULONGLONG(TracedFileSize ? TracedFileSize : kUnchosenTracedFileSize) * 16;
    for (ULONGLONG i = 0; i < chunks; ++i) {
        if (SaveStopFlag == 1 || SaveSkipFlag == 1) {
            cut = true;
            break;
        }
        std::memset(chunk.data(), 0, chunk.size());
        SectorReadOutcome outcome;
        ReadSectors(SelectedDevicePath(), ULONGLONG(startSector) + i * 128, 128, chunk.data(), &outcome);
        unread += outcome.UnreadCount;
        if (!out.Write(chunk.data(), chunk.size()))
            break;
    }
    if (!out.Close())
        return DiscardUnwritten(path, ask);
    return Tally(!cut, unread) ? 1 : 0;
}

} // namespace

int RecoverTracedFile(const WCHAR* folder, DWORD, int withDialog, DWORD startSector, const WCHAR* name)
{
    Text path;
    if (!StartFile(path, folder, name, withDialog, 0, false))
        return 0;
    const int result = WriteTracedData(path, startSector, true);
    if (result < 0)
        return 0;
    if (withDialog)
        AnnounceFile(Text(folder ? folder : u""), name);
    // A traced file has no directory entry: only the date word left in RecoveryFileTime applies to it.
    RecoveryFatTimes = {};
    RestoreFatFileTimes(path.c_str());
    return result;
}

int SaveTracedExtent(const WCHAR* folder, const WCHAR* name, DWORD startSector)
{
    std::vector<WCHAR> safe;
    SanitizeNameComponent(name, &safe);
    const Text path = Text(folder ? folder : u"") + safe.data();
    return WriteTracedData(path, startSector, false) == 1 ? 1 : 0;
}

namespace {

// Creates the folder unless it exists; the caller tallies what a folder that cannot be made leaves unwritten.
bool MakeFolder(const Text& path)
{
    if (CreateDirectoryW(path.c_str(), nullptr))
        return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    AskAfterCreateFailure(path);
    return false;
}

// The save run's exclusions while RecoverSelection runs; null writes folders whole.
const RecoveryExclusions* ActiveExclusions = nullptr;
// Files written inside their folders during the run, so the run does not write them again alone.
std::unordered_set<DWORD>* FilesWrittenInFolders = nullptr;

bool FolderLeftOut(DWORD treeItem)
{
    return ActiveExclusions && ActiveExclusions->UntickedFolders.count(treeItem) != 0;
}

// Whether a file of the folder with this tree item is written with its folder.
bool FileOfFolderWritten(DWORD treeItem, DWORD fileId)
{
    if (!ActiveExclusions || !ActiveExclusions->PartialFolders.count(treeItem))
        return true;
    return ActiveExclusions->TickedFiles.count(fileId) != 0;
}

void NoteWrittenInFolder(DWORD fileId)
{
    if (FilesWrittenInFolders)
        FilesWrittenInFolders->insert(fileId);
}

struct SubFolder {
    DWORD Id;
    const WCHAR* Name;
    DWORD TreeItem;
};

// The files a folder that could not be made takes with it: those of its own and of its sub-folders that the
// run would have written. Each folder is counted once, so damaged parent references cannot loop.
template <typename Children, typename FileCount>
DWORD FilesLeftUnwritten(DWORD id, DWORD treeItem, Children& children, FileCount& fileCount,
                         std::unordered_set<DWORD>& done)
{
    DWORD count = 0;
    std::vector<std::pair<DWORD, DWORD>> stack{{id, treeItem}};
    while (!stack.empty()) {
        const auto [folderId, item] = stack.back();
        stack.pop_back();
        if (!done.insert(folderId).second)
            continue;
        count += fileCount(folderId, item);
        for (const SubFolder& sub : children(folderId))
            if (!FolderLeftOut(sub.TreeItem))
                stack.push_back({sub.Id, sub.TreeItem});
    }
    return count;
}

// Writes a folder branch without recursion; each folder id is written once, so damaged parent
// references cannot loop. children(id) lists sub-folders; files(id, path, treeItem) writes files;
// fileCount(id, treeItem) tells how many of them the run would write. Branches the user unticked are left
// out. A folder that cannot be made counts every file it would have held as failed (itself, when it holds
// none), so the result never reads better than what reached the destination.
template <typename Children, typename Files, typename FileCount>
void RecoverBranch(DWORD id, DWORD treeItem, const WCHAR* folder, const WCHAR* name, Children children,
                   Files files, FileCount fileCount)
{
    struct Work {
        DWORD Id;
        DWORD TreeItem;
        Text Parent;
        Text Name;
    };
    if (FolderLeftOut(treeItem))
        return;
    std::vector<Work> stack{{id, treeItem, folder ? folder : u"", name ? name : u""}};
    std::unordered_set<DWORD> done;
    while (!stack.empty() && SaveStopFlag != 1) {
        Work w = std::move(stack.back());
        stack.pop_back();
        if (!done.insert(w.Id).second)
            continue;
        Text path = Join(w.Parent.c_str(), w.Name.c_str());
        if (!MakeFolder(path)) {
            done.erase(w.Id);
            const DWORD lost = FilesLeftUnwritten(w.Id, w.TreeItem, children, fileCount, done);
            SaveTally.Failed += lost ? lost : 1;
            continue;
        }
        path += u'\\';
        files(w.Id, path, w.TreeItem);
        std::vector<SubFolder> subs = children(w.Id);
        for (auto it = subs.rbegin(); it != subs.rend(); ++it)
            if (!FolderLeftOut(it->TreeItem))
                stack.push_back({it->Id, it->TreeItem, path, it->Name});
    }
}

template <typename Record, typename ParentOf>
std::unordered_map<DWORD, std::vector<Record*>> IndexByParent(Record* head, ParentOf parentOf)
{
    std::unordered_map<DWORD, std::vector<Record*>> index;
    for (Record* r = head; r; r = r->Next)
        index[parentOf(r)].push_back(r);
    return index;
}

bool OnFullScanVolume(DWORD sector)
{
    return InChosenVolume(sector);
}

template <typename Record, typename Pred>
DWORD CountIf(const std::vector<Record*>& records, Pred pred)
{
    return DWORD(std::count_if(records.begin(), records.end(), pred));
}

} // namespace

void RecoverFatFolder(DWORD item, DWORD firstCluster, const WCHAR* folder, const WCHAR* name)
{
    if (SaveStopFlag == 1)
        return;
    const auto folders = IndexByParent(FatFolderHead, [](FatFolderRecord* r) { return DWORD(r->ParentId); });
    const auto files = IndexByParent(FatFileHead, [](FatEntryRecord* r) { return DWORD(r->ParentId); });
    RecoverBranch(
        firstCluster, item, folder, name,
        [&](DWORD id) {
            std::vector<SubFolder> out;
            auto found = folders.find(id);
            if (found != folders.end())
                for (FatFolderRecord* f : found->second)
                    out.push_back({f->FirstCluster, f->Name, f->TreeItem});
            return out;
        },
        [&](DWORD id, const Text& path, DWORD treeItem) {
            auto found = files.find(id);
            if (found == files.end())
                return;
            for (FatEntryRecord* e : found->second) {
                if (SaveStopFlag == 1)
                    return;
                if (!FileOfFolderWritten(treeItem, e->FileId))
                    continue;
                NoteWrittenInFolder(e->FileId);
                SetFatRecoveryTimes(*e);
                RecoverFatFile(path.c_str(), e->FileId, 1, e->StartCluster, e->Size, e->Name, e->Deleted);
            }
        },
        [&](DWORD id, DWORD treeItem) {
            auto found = files.find(id);
            return found == files.end() ? DWORD(0) : CountIf(found->second, [&](FatEntryRecord* e) {
                return FileOfFolderWritten(treeItem, e->FileId);
            });
        });
}

void RecoverNtfsFolder(DWORD item, DWORD folderId, const WCHAR* folder, const WCHAR* name)
{
    if (SaveStopFlag == 1)
        return;
    const auto folders = IndexByParent(QuickFolderHead, [](QuickFolderNode* r) { return DWORD(r->ParentRef); });
    const auto quickFiles = IndexByParent(FoundEntryHead, [](FoundEntryNode* r) { return DWORD(r->ParentRef); });
    const auto fullFiles = IndexByParent(FoundItemHead, [](FoundItemNode* r) { return DWORD(r->ParentRef); });
    const bool fullScan = ScanMode == 0;
    RecoverBranch(
        folderId, item, folder, name,
        [&](DWORD id) {
            std::vector<SubFolder> out;
            auto found = folders.find(id);
            if (found != folders.end())
                for (QuickFolderNode* f : found->second)
                    out.push_back({f->RecordNumber, f->Name, f->TreeItem});
            return out;
        },
        [&](DWORD id, const Text& path, DWORD treeItem) {
            if (fullScan) {
                auto found = fullFiles.find(id);
                if (found == fullFiles.end())
                    return;
                for (FoundItemNode* e : found->second) {
                    if (SaveStopFlag == 1)
                        return;
                    if (!OnFullScanVolume(e->RecordSector) || !FileOfFolderWritten(treeItem, e->RecordSector))
                        continue;
                    NoteWrittenInFolder(e->RecordSector);
                    SetNtfsRecoveryTimes(e->CreationLow, e->CreationHigh, e->ChangeLow, e->ChangeHigh);
                    RecoverNtfsFile(path.c_str(), e->Name, e->SizeLow, e->SizeHigh, e->RecordSector, 1, e->Deleted);
                }
                return;
            }
            auto found = quickFiles.find(id);
            if (found == quickFiles.end())
                return;
            for (FoundEntryNode* e : found->second) {
                if (SaveStopFlag == 1)
                    return;
                if (!FileOfFolderWritten(treeItem, e->RecordSector))
                    continue;
                NoteWrittenInFolder(e->RecordSector);
                SetNtfsRecoveryTimes(e->CreationLow, e->CreationHigh, e->ChangeLow, e->ChangeHigh);
                RecoverNtfsFile(path.c_str(), e->Name, e->SizeLow, e->SizeHigh, e->RecordSector, 1, e->Deleted);
            }
        },
        [&](DWORD id, DWORD treeItem) {
            if (fullScan) {
                auto found = fullFiles.find(id);
                return found == fullFiles.end() ? DWORD(0) : CountIf(found->second, [&](FoundItemNode* e) {
                    return OnFullScanVolume(e->RecordSector) && FileOfFolderWritten(treeItem, e->RecordSector);
                });
            }
            auto found = quickFiles.find(id);
            return found == quickFiles.end() ? DWORD(0) : CountIf(found->second, [&](FoundEntryNode* e) {
                return FileOfFolderWritten(treeItem, e->RecordSector);
            });
        });
}

bool ConfirmDestination(const WCHAR* folder)
{
    if (!dovemark::IsPathOnSourceDisk(folder))
        return true;
    return EngineUi().AskYesNo(kDestinationOnSource);
}

namespace {
void RecoverSelectionBody(const std::vector<DWORD>& folderItems, const std::vector<DWORD>& fileIds,
                          const std::unordered_set<DWORD>& writtenInFolders);
}

void RecoverSelection(const std::vector<DWORD>& folderItems, const std::vector<DWORD>& fileIds,
                      const RecoveryExclusions* exclusions)
{
    std::unordered_set<DWORD> written;
    struct Scope {
        Scope(const RecoveryExclusions* e, std::unordered_set<DWORD>* w)
        {
            ActiveExclusions = e && !e->Empty() ? e : nullptr;
            FilesWrittenInFolders = w;
        }
        ~Scope()
        {
            ActiveExclusions = nullptr;
            FilesWrittenInFolders = nullptr;
        }
    } scope(exclusions, &written);
    RecoverSelectionBody(folderItems, fileIds, written);
}

namespace {
void RecoverSelectionBody(const std::vector<DWORD>& folderItems, const std::vector<DWORD>& fileIds,
                          const std::unordered_set<DWORD>& writtenInFolders)
{
    if (!ConfirmDestination(DestinationFolder)) {
        SaveStopFlag = 1;
        return;
    }
    if (ScanMode == 1) {
        std::unordered_map<DWORD, TracedFileRecord*> traced;
        for (TracedFileRecord* t = TracedFileHead; t; t = t->Next)
            traced.emplace(t->FileNumber, t);
        for (DWORD id : fileIds) {
            if (SaveStopFlag == 1)
                return;
            auto found = traced.find(id);
            if (found != traced.end())
                RecoverTracedFile(DestinationFolder, id, 1, found->second->StartSector, found->second->Name);
        }
        return;
    }
    const bool fat = PartitionParams.FsType == FS_KIND_FAT16 || PartitionParams.FsType == FS_KIND_FAT32;
    for (DWORD item : folderItems) {
        if (SaveStopFlag == 1)
            return;
        if (fat) {
            for (FatFolderRecord* f = FatFolderHead; f; f = f->Next)
                if (f->TreeItem == item) {
                    RecoverFatFolder(item, f->FirstCluster, DestinationFolder, f->Name);
                    break;
                }
        } else {
            for (QuickFolderNode* f = QuickFolderHead; f; f = f->Next)
                if (f->TreeItem == item) {
                    RecoverNtfsFolder(item, f->RecordNumber, DestinationFolder, f->Name);
                    break;
                }
        }
    }
    std::unordered_map<DWORD, FatEntryRecord*> fatById;
    std::unordered_map<DWORD, FoundEntryNode*> quickBySector;
    std::unordered_map<DWORD, FoundItemNode*> fullBySector;
    for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
        fatById.emplace(e->FileId, e);
    for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
        quickBySector.emplace(e->RecordSector, e);
    for (FoundItemNode* e = FoundItemHead; e; e = e->Next)
        fullBySector.emplace(e->RecordSector, e);
    for (DWORD id : fileIds) {
        if (SaveStopFlag == 1)
            return;
        if (writtenInFolders.count(id))
            continue;
        if (fat) {
            auto found = fatById.find(id);
            if (found == fatById.end())
                continue;
            FatEntryRecord* e = found->second;
            SetFatRecoveryTimes(*e);
            RecoverFatFile(DestinationFolder, id, 1, e->StartCluster, e->Size, e->Name, e->Deleted);
        } else if (ScanMode == 0) {
            auto found = fullBySector.find(id);
            if (found == fullBySector.end())
                continue;
            FoundItemNode* e = found->second;
            SetNtfsRecoveryTimes(e->CreationLow, e->CreationHigh, e->ChangeLow, e->ChangeHigh);
            RecoverNtfsFile(DestinationFolder, e->Name, e->SizeLow, e->SizeHigh, id, 1, e->Deleted);
        } else {
            auto found = quickBySector.find(id);
            if (found == quickBySector.end())
                continue;
            FoundEntryNode* e = found->second;
            SetNtfsRecoveryTimes(e->CreationLow, e->CreationHigh, e->ChangeLow, e->ChangeHigh);
            RecoverNtfsFile(DestinationFolder, e->Name, e->SizeLow, e->SizeHigh, id, 1, e->Deleted);
        }
    }
}
} // namespace
