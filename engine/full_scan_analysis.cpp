// The full scan's analysis: volumes from the boot sectors the sweep found, and volumes rebuilt from directory records.
#include "engine/full_scan.h"

#include "engine/engine_state.h"
#include "engine/fat_boot.h"
#include "engine/fat_directory.h"
#include "engine/ntfs_record.h"
#include "engine/scan_control.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

volatile DWORD VolumeFoundFlag = 0;
volatile DWORD RebuiltVolumeFound = 0;
WORD FullScanVolumeCount = 0;

namespace {

constexpr WORD kNoVolume = 0xFFFF;
constexpr ULONGLONG kMaxSector32 = 0xFFFFFFFFULL;

DWORD g_matched = 0;
DWORD g_rootItem = 0;

DWORD Le16(const BYTE* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8); }
DWORD Le32(const BYTE* p) { return Le16(p) | (Le16(p + 2) << 16); }

bool SpcValid(ULONGLONG spc) { return spc >= 1 && spc <= 128 && (spc & (spc - 1)) == 0; }

std::u16string Decimal(ULONGLONG value)
{
    std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

void Progress(ULONGLONG done, ULONGLONG total)
{
    if (total == 0)
        return;
    ULONGLONG percent = done * 100 / total;
    EngineUi().SetProgress(UINT(percent > 99 ? 99 : percent));
}

// One sector of the device; false when it could not be read (its bytes then say nothing).
bool ReadOneSector(ULONGLONG sector, BYTE* out)
{
    SectorReadOutcome outcome;
    ReadSectors(SelectedDevicePath(), sector, 1, out, &outcome);
    return !outcome.IsUnread(0);
}

void InsertRootItem()
{
    g_rootItem = EngineUi().InsertVolumeItem(FOUND_TREE_ROOT, u"File System");
}

// Tree item and record of a new volume; the caller has settled its number.
void AddVolume(const std::u16string& name, WORD kind, DWORD values[14])
{
    IEngineUi& ui = EngineUi();
    values[13] = ui.InsertVolumeItem(g_rootItem, name.c_str());
    ui.ExpandVolumeItem(g_rootItem);
    AddVolumeRecord(&VolumeHead, kind, values);
}

void ClaimDirRecord(DirSectorRecord* r, WORD number)
{
    r->VolumeNumber = number;
    ++g_matched;
    Progress(g_matched, DirSectorRecordCount);
}

// The directory-sector records by the layouts they fit: for each power of two spc up to 128, a record at sector s
// whose "." cluster is c fits exactly the layout whose data origin is s - spc x c. Records of one layout are kept in
// list order, and a cursor per layout passes over those that can never be taken again (claimed, or before the
// anchors already tried), so matching a volume's records costs what that layout holds instead of a walk of the whole
// list, and every record is passed over at most once per layout.
class DirLayoutIndex {
public:
    DirLayoutIndex()
    {
        for (DirSectorRecord* r = DirSectorHead; r; r = r->Next) {
            const DWORD index = DWORD(records_.size());
            records_.push_back(r);
            for (ULONGLONG spc = 1; spc <= 128; spc <<= 1)
                if (r->Sector >= spc * r->DotCluster)
                    entries_.push_back({Key(spc, r->Sector - spc * r->DotCluster), index});
        }
        std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            return a.key != b.key ? a.key < b.key : a.index < b.index;
        });
        passed_.assign(entries_.size(), 0);
    }

    // The entries of one layout: [first, end), first being the earliest not yet passed over.
    struct Layout {
        size_t start = 0, first = 0, end = 0;
    };
    Layout Find(ULONGLONG spc, ULONGLONG origin) const
    {
        const ULONGLONG key = Key(spc, origin);
        auto byKey = [](const Entry& e, ULONGLONG k) { return e.key < k; };
        auto keyBy = [](ULONGLONG k, const Entry& e) { return k < e.key; };
        Layout l;
        l.start = size_t(std::lower_bound(entries_.begin(), entries_.end(), key, byKey) - entries_.begin());
        l.end = size_t(std::upper_bound(entries_.begin() + l.start, entries_.end(), key, keyBy) - entries_.begin());
        l.first = l.start < l.end ? l.start + passed_[l.start] : l.end;
        return l;
    }
    // Entries of the layout before `to` are never taken again.
    void PassOver(Layout& l, size_t to)
    {
        if (l.start < l.end) {
            passed_[l.start] = DWORD(to - l.start);
            l.first = to;
        }
    }
    DirSectorRecord* Record(size_t entry) const { return records_[entries_[entry].index]; }
    DWORD ListIndex(size_t entry) const { return entries_[entry].index; }

private:
    struct Entry {
        ULONGLONG key;
        DWORD index; // place in the list
    };
    // Sectors are 32-bit, so origins fit below bit 40 and spc (at most 128) in the low byte.
    static ULONGLONG Key(ULONGLONG spc, ULONGLONG origin) { return origin << 8 | spc; }

    std::vector<DirSectorRecord*> records_;
    std::vector<Entry> entries_;
    std::vector<DWORD> passed_; // at each layout's first entry: how many of its entries are passed over
};

} // namespace

void FinishFullScan()
{
    const WORD kind = PartitionParams.PartitionFsType;
    if (kind == FS_KIND_FAT16 || kind == FS_KIND_FAT32)
        AnalyseFatVolumes();
    else if (kind == FS_KIND_NTFS)
        SearchUnallocatedItems();
}

namespace {

// Claims the records that fit a boot sector's layout and lie at or before its end sector; true when one was claimed.
bool ClaimBootLayout(DirLayoutIndex& index, ULONGLONG spc, ULONGLONG origin, ULONGLONG end, WORD number)
{
    DirLayoutIndex::Layout l = index.Find(spc, origin);
    while (l.first < l.end && index.Record(l.first)->VolumeNumber != 0)
        ++l.first;
    bool claimed = false;
    size_t at = l.first;
    // The list is in sector order, so a layout's records are too: the first past the end ends the walk.
    for (; at < l.end && index.Record(at)->Sector <= end; ++at) {
        DirSectorRecord* r = index.Record(at);
        if (r->VolumeNumber == 0) {
            ClaimDirRecord(r, number);
            claimed = true;
        }
    }
    index.PassOver(l, at);
    return claimed;
}

// One rebuild attempt from the anchor at the given place in the list; anchors are tried in list order.
int RebuildFrom(DirLayoutIndex& index, DirSectorRecord* a, DWORD anchorIndex)
{
    const ULONGLONG sa = a->Sector, ca = a->DotCluster;
    // The first record after the anchor, in list order, that shares a layout with it and lies further on.
    ULONGLONG spc = 0;
    DWORD best = ~0u;
    for (ULONGLONG guess = 1; guess <= 128; guess <<= 1) {
        if (sa <= guess * ca)
            break;
        DirLayoutIndex::Layout l = index.Find(guess, sa - guess * ca);
        while (l.first < l.end &&
               (index.Record(l.first)->VolumeNumber != 0 || index.ListIndex(l.first) <= anchorIndex))
            ++l.first;
        index.PassOver(l, l.first);
        for (size_t at = l.first; at < l.end && index.ListIndex(at) < best; ++at) {
            const DirSectorRecord* b = index.Record(at);
            if (b->VolumeNumber == 0 && b->DotCluster > ca) {
                best = index.ListIndex(at);
                spc = guess;
                break;
            }
        }
    }
    if (spc == 0)
        return 0;
    const ULONGLONG origin = sa - spc * ca;
    const WORD number = WORD(FullScanVolumeCount + 1);
    // Every record of the layout, the anchor among them, in list order; the layout is then claimed whole.
    DWORD largest = 0;
    DirLayoutIndex::Layout l = index.Find(spc, origin);
    for (size_t at = l.start; at < l.end; ++at) {
        DirSectorRecord* r = index.Record(at);
        if (r->VolumeNumber == 0) {
            ClaimDirRecord(r, number);
            if (r->DotCluster > largest)
                largest = r->DotCluster;
        }
    }
    index.PassOver(l, l.end);
    const WORD kind = (PartitionParams.PartitionFsType == FS_KIND_FAT32 || largest > 65535) ? FS_KIND_FAT32 : FS_KIND_FAT16;
    DWORD v[14] = {0, DWORD(spc), 0, kind == FS_KIND_FAT32 ? 2u : 0u, 0, DWORD(origin), 0, 0, 0, 0, 0, 0, 0, 0};
    AddVolume((kind == FS_KIND_FAT32 ? u"FAT32 @" : u"FAT16 @") + Decimal(origin), kind, v);
    ++FullScanVolumeCount;
    return 1;
}

void RebuildWith(DirLayoutIndex& index)
{
    DWORD place = 0;
    for (DirSectorRecord* r = DirSectorHead; r; r = r->Next, ++place) {
        if (ScanPollPoint())
            break;
        if (r->VolumeNumber != 0)
            continue;
        if (!RebuildFrom(index, r, place))
            ClaimDirRecord(r, kNoVolume);
    }
    RebuiltVolumeFound = 1;
}

} // namespace

namespace {

// A FAT volume as its boot sector lays it out.
struct FatBootLayout {
    ULONGLONG BootSector;
    WORD Kind;
    ULONGLONG Spc, Reserved, FatSize, RootDirSectors, Fat1, Fat2, RootSector, End, Origin;
    DWORD Root;  // FAT16: the root folder's first sector; FAT32: its first cluster
    BYTE Media;
    bool Sound; // the values a volume can have (two FATs, a reserved sector...)
};

bool FatBootLayoutOf(ULONGLONG b0, const BYTE* b, FatBootLayout* l)
{
    if (b[0x55] == '3' && b[0x56] == '2')
        l->Kind = FS_KIND_FAT32;
    else if (b[0x39] == '1' && b[0x3A] == '6')
        l->Kind = FS_KIND_FAT16;
    else
        return false;
    l->BootSector = b0;
    l->Spc = b[0x0D];
    if (!SpcValid(l->Spc))
        return false;
    const bool fat32 = l->Kind == FS_KIND_FAT32;
    l->Reserved = Le16(b + 0x0E);
    l->FatSize = fat32 ? Le32(b + 0x24) : Le16(b + 0x16);
    l->RootDirSectors = fat32 ? 0 : Le16(b + 0x11) / 16;
    // Small FAT16 volumes keep their size in the 16-bit field and leave the 32-bit one 0.
    ULONGLONG total = Le32(b + 0x20);
    if (!fat32 && Le16(b + 0x13) != 0)
        total = Le16(b + 0x13);
    l->Fat1 = b0 + l->Reserved;
    l->Fat2 = l->Fat1 + l->FatSize;
    l->RootSector = b0 + l->Reserved + 2 * l->FatSize;
    l->End = b0 + total;
    const ULONGLONG beforeOrigin = l->RootSector + l->RootDirSectors;
    if (beforeOrigin < 2 * l->Spc)
        return false;
    l->Origin = beforeOrigin - 2 * l->Spc;
    if (l->Origin < 63 || l->Origin >= kMaxSector32 || l->End > kMaxSector32)
        return false;
    l->Root = fat32 ? Le32(b + 0x2C) : DWORD(l->RootSector);
    l->Media = b[0x15];
    FatBootValues values;
    l->Sound = ParseFatBootSector(b, l->Kind, &values);
    return true;
}

void AddFatBootVolume(const FatBootLayout& l)
{
    DWORD v[14] = {DWORD(l.FatSize), DWORD(l.Spc), DWORD(l.RootDirSectors), l.Root, DWORD(l.Reserved),
                   DWORD(l.Origin), DWORD(l.Fat1), DWORD(l.Fat2), 0, 0, 0, 0, DWORD(l.End), 0};
    AddVolume((l.Kind == FS_KIND_FAT32 ? u"FAT32 @" : u"FAT16 @") + Decimal(l.Origin), l.Kind, v);
    ++FullScanVolumeCount;
}

// A FAT begins with the media byte in its first entry, the rest of the first two entries set.
bool FatStartsAt(ULONGLONG sector, BYTE media)
{
    BYTE s[SECTOR_SIZE];
    return sector < kMaxSector32 && ReadOneSector(sector, s) && s[0] == media && s[1] == 0xFF && s[2] == 0xFF;
}

// A boot sector whose volume holds files in its root only has no folder of its own for the sweep to find. Its
// volume is made when its FAT is where it says and its root folder reads as directory entries: a copy of the boot
// sector elsewhere (FAT32 keeps one six sectors in) puts both somewhere else.
bool RootOnlyVolume(const FatBootLayout& l)
{
    if (!l.Sound || (!FatStartsAt(l.Fat1, l.Media) && !FatStartsAt(l.Fat2, l.Media)))
        return false;
    ULONGLONG root = l.RootSector;
    if (l.Kind == FS_KIND_FAT32) {
        if (l.Root < 2)
            return false;
        root = l.Origin + ULONGLONG(l.Root) * l.Spc;
    }
    BYTE s[SECTOR_SIZE];
    return root < l.End && ReadOneSector(root, s) && IsDirectoryEntrySector(s);
}

// Kind and data origin of a FAT volume, as one key.
ULONGLONG LayoutKey(WORD kind, ULONGLONG origin) { return origin << 16 | kind; }

} // namespace

void AnalyseFatVolumes()
{
    IEngineUi& ui = EngineUi();
    ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在分析找到的数据...      ");
    g_matched = 0;
    // A stop during the sweep ended the sweep; the analysis answers to a new one.
    ScanStopFlag = 0;
    InsertRootItem();
    DirLayoutIndex index;
    std::vector<FatBootLayout> unclaimed;
    ClusterNode* node = BootSectorHead;
    for (DWORD k = 0; node && k < BootSectorCount; ++k, node = node->Next) {
        if (ScanPollPoint())
            break;
        const ULONGLONG b0 = node->Value;
        BYTE b[SECTOR_SIZE];
        FatBootLayout l;
        if (!ReadOneSector(b0, b) || !FatBootLayoutOf(b0, b, &l))
            continue;
        if (ClaimBootLayout(index, l.Spc, l.Origin, l.End, WORD(FullScanVolumeCount + 1)))
            AddFatBootVolume(l);
        else
            unclaimed.push_back(l);
    }
    // The rebuild is the long step the user may want to cut short.
    ui.ShowStopButton(true);
    RebuildWith(index);
    ui.ShowStopButton(false);
    // Volumes with no folder but their root come last, so the volumes found from folders keep their numbers.
    std::unordered_set<ULONGLONG> known;
    for (const VolumeRecord* v = VolumeHead; v; v = v->Next)
        known.insert(LayoutKey(v->Kind, v->DataOrigin));
    for (const FatBootLayout& l : unclaimed) {
        if (ScanPollPoint())
            break;
        if (!known.count(LayoutKey(l.Kind, l.Origin)) && RootOnlyVolume(l)) {
            AddFatBootVolume(l);
            known.insert(LayoutKey(l.Kind, l.Origin));
        }
    }
    VolumeFoundFlag = 1;
}

int RebuildFatVolume(DirSectorRecord* a)
{
    DirLayoutIndex index;
    DWORD place = 0;
    for (DirSectorRecord* r = DirSectorHead; r && r != a; r = r->Next)
        ++place;
    return RebuildFrom(index, a, place);
}

void RebuildFatVolumes()
{
    DirLayoutIndex index;
    RebuildWith(index);
}

// ---- NTFS -----------------------------------------------------------------------------------

namespace {

// The VCN-0 index block of each owner record, first in list order, still unused by an extraction; indexed once,
// so pairing folders does not walk the block list again for every folder.
class FirstBlocks {
public:
    FirstBlocks()
    {
        for (IndexBlockNode* n = IndexBlockHead; n; n = n->Next)
            if (n->Vcn == 0 && n->Marker == 0xFFFF)
                byOwner_.emplace(n->OwnerRecord, n);
    }
    IndexBlockNode* Of(DWORD owner) const
    {
        auto found = byOwner_.find(owner);
        return found == byOwner_.end() ? nullptr : found->second;
    }

private:
    std::unordered_map<DWORD, IndexBlockNode*> byOwner_;
};

// Where rebuilt volumes end: the range's end sector the page left, else the end of the swept range.
DWORD RebuiltNtfsEnd()
{
    if (PartitionParams.BackupSector != 0)
        return PartitionParams.BackupSector;
    const ULONGLONG end = ULONGLONG(PartitionParams.StartSector) + PartitionParams.SectorCount;
    return DWORD(end > kMaxSector32 ? kMaxSector32 : end);
}

} // namespace

namespace {

// Folders still without a record number, found by what an index entry names them by: creation time, parent and
// name. Folders of one key are taken in list order, so many folders sharing one creation time (a copied tree) do
// not make every entry walk all of them.
class UnnumberedFolders {
public:
    UnnumberedFolders()
    {
        for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next)
            if (f->RecordNumber == 0)
                byKey_[KeyOf((ULONGLONG(f->CreationHigh) << 32) | f->CreationLow, f->ParentRef, f->Name)].Folders.push_back(f);
    }
    bool Empty() const { return byKey_.empty(); }
    // The first folder of the key still without a number, or nullptr.
    FoundFolderNode* Take(ULONGLONG creation, DWORD parent, const std::u16string& name)
    {
        auto found = byKey_.find(KeyOf(creation, parent, name));
        if (found == byKey_.end())
            return nullptr;
        Queue& q = found->second;
        while (q.Next < q.Folders.size() && q.Folders[q.Next]->RecordNumber != 0)
            ++q.Next;
        return q.Next < q.Folders.size() ? q.Folders[q.Next] : nullptr;
    }

private:
    struct Key {
        ULONGLONG Creation;
        DWORD Parent;
        std::u16string Name;
        bool operator==(const Key& o) const { return Creation == o.Creation && Parent == o.Parent && Name == o.Name; }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const
        {
            return std::hash<std::u16string>()(k.Name) ^ (std::hash<ULONGLONG>()(k.Creation) * 31) ^ k.Parent;
        }
    };
    struct Queue {
        std::vector<FoundFolderNode*> Folders;
        size_t Next = 0; // folders before it have their numbers
    };
    static Key KeyOf(ULONGLONG creation, DWORD parent, const WCHAR* name)
    {
        return Key{creation, parent, name ? std::u16string(name) : std::u16string()};
    }
    static Key KeyOf(ULONGLONG creation, DWORD parent, const std::u16string& name) { return Key{creation, parent, name}; }

    std::unordered_map<Key, Queue, KeyHash> byKey_;
};

} // namespace

void NumberMftRecords()
{
    IEngineUi& ui = EngineUi();
    ui.SetProgress(0);
    const std::u16string step1 = u"正在分配 MFT 数目（步骤1/2）…       ";
    ui.SetStatusText(ENGINE_STATUS_MAIN, step1.c_str());

    UnnumberedFolders folders;
    DWORD k = 0;
    for (IndexBlockNode* node = IndexBlockHead; node; node = node->Next) {
        // A stop leaves the folders not yet named by an index entry to the numbering by distance below.
        if (ScanPollPoint())
            break;
        ++k;
        ui.SetStatusText(ENGINE_STATUS_MAIN, (step1 + Decimal(k) + u" \\ " + Decimal(IndexBlockCount)).c_str());
        Progress(k, IndexBlockCount);
        const DWORD size = DWORD(node->SectorCount) * SECTOR_SIZE;
        if (size == 0 || folders.Empty())
            continue;
        std::vector<BYTE> block(size);
        SectorReadOutcome outcome;
        ReadSectors(SelectedDevicePath(), node->Sector, node->SectorCount, block.data(), &outcome);
        if (outcome.UnreadCount != 0 || std::memcmp(block.data(), "INDX", 4) != 0)
            continue;
        if (ApplyFixups(block.data(), size) == FIXUP_BAD)
            continue;
        // Every field is read only after the entry is known to hold it: offsets come from the disk.
        ULONGLONG e = 0x18ULL + Le32(block.data() + 0x18);
        std::u16string name;
        while (e + 0x52 <= size) {
            const BYTE* entry = block.data() + e;
            if (Le16(entry + 0x0C) & 2) // the closing entry carries no name
                break;
            const DWORD chars = entry[0x50];
            if (chars == 0 || e + 0x52 + 2ULL * chars > size)
                break;
            if (Le16(entry + 0x4A) & 0x1000) {
                const ULONGLONG creation = (ULONGLONG(Le32(entry + 0x1C)) << 32) | Le32(entry + 0x18);
                name.clear();
                for (DWORD i = 0; i < chars; ++i)
                    name.push_back(char16_t(Le16(entry + 0x52 + 2 * i)));
                if (FoundFolderNode* f = folders.Take(creation, Le32(entry + 0x10), name))
                    f->RecordNumber = Le32(entry);
            }
            const DWORD length = Le16(entry + 8);
            if (length == 0)
                break;
            e += length;
        }
    }

    ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在分配 MFT 数目（步骤2/2）…       ");
    ULONGLONG previousSector = 0;
    DWORD previousNumber = 1;
    DWORD index = 0;
    for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next, ++index) {
        Progress(index, FoundFolderNodeCount);
        if (f->RecordNumber == 0) {
            // Records are two sectors long and lie in record order within the MFT.
            if (previousSector == 0 || f->RecordSector <= previousSector || (f->RecordSector - previousSector) % 2)
                f->RecordNumber = previousNumber + 1;
            else
                f->RecordNumber = previousNumber + DWORD((f->RecordSector - previousSector) / 2);
        }
        previousSector = f->RecordSector;
        previousNumber = f->RecordNumber;
    }
}

void DropUnusedIndexEntries()
{
    IEngineUi& ui = EngineUi();
    ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在删除未使用的索引条目...     ");
    ui.SetProgress(0);
    const DWORD atStart = IndexBlockCount;
    DWORD visited = 0;
    IndexBlockNode* last = nullptr;
    IndexBlockNode* node = IndexBlockHead;
    while (node) {
        IndexBlockNode* next = node->Next;
        if (node->Vcn != 0) {
            if (last)
                last->Next = next;
            else
                IndexBlockHead = next;
            std::free(node);
            --IndexBlockCount;
        } else {
            last = node;
        }
        node = next;
        Progress(++visited, atStart);
    }
    IndexBlockTail = last;
}

int ClassifyFoundItems(DWORD origin, DWORD spc, DWORD end, int step)
{
    IEngineUi& ui = EngineUi();
    const std::u16string text = step == 1 ? u"正在分析归类（步骤1/2）-                " : u"正在分析归类（步骤2/2）-                ";
    const WORD number = WORD(FullScanVolumeCount + 1);
    int claimed = 0;
    for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next) {
        if (ScanPollPoint() || f->RecordSector > end)
            break;
        if (f->RecordSector <= origin || f->VolumeNumber != 0 || f->IndexAllocCluster == 0)
            continue;
        // The folder's index must lie inside this volume; a wrapped product would point anywhere.
        const ULONGLONG at = ULONGLONG(f->IndexAllocCluster) * spc + origin;
        if (at >= end)
            continue;
        BYTE s[SECTOR_SIZE];
        if (!ReadOneSector(at, s) || std::memcmp(s, "INDX", 4) != 0)
            continue;
        f->VolumeNumber = number;
        ++g_matched;
        ui.SetStatusText(ENGINE_STATUS_MAIN,
                         (text + Decimal(g_matched) + u" \\ " + Decimal(FoundFolderNodeCount)).c_str());
        Progress(g_matched, FoundFolderNodeCount);
        claimed = 1;
    }
    return claimed;
}

void AnalyseNtfsVolumes()
{
    InsertRootItem();
    ClusterNode* node = BootSectorHead;
    for (DWORD k = 0; node && k < BootSectorCount; ++k, node = node->Next) {
        const ULONGLONG b0 = node->Value;
        BYTE b[SECTOR_SIZE];
        if (!ReadOneSector(b0, b))
            continue;
        const ULONGLONG spc = b[0x0D];
        const ULONGLONG end = b0 + Le32(b + 0x28);
        const DWORD perIndexField = Le32(b + 0x44);
        if (!SpcValid(spc) || perIndexField == 0 || end == b0 || end > kMaxSector32)
            continue;
        ULONGLONG perIndex;
        if (perIndexField >= 0x80 && perIndexField <= 0xFF) {
            // A negative byte: the record holds 2 to the minus value bytes. No index record is anywhere near
            // 2^32 bytes, so a larger power is a damaged or foreign sector, not an NTFS boot sector.
            const unsigned shift = 256 - perIndexField;
            if (shift > 31)
                continue;
            perIndex = ((1ULL << shift) + SECTOR_SIZE - 1) / SECTOR_SIZE;
        } else {
            perIndex = ULONGLONG(perIndexField) * spc;
        }
        const ULONGLONG mft = b0 + spc * Le32(b + 0x30);
        const ULONGLONG mirror = b0 + spc * Le32(b + 0x38);
        if (!ClassifyFoundItems(DWORD(b0), DWORD(spc), DWORD(end), 1))
            continue;
        ++FullScanVolumeCount;
        DWORD v[14] = {0, DWORD(spc), 0, 0, 0, DWORD(b0), 0, 0,
                       DWORD(mft > kMaxSector32 ? 0 : mft), DWORD(mirror > kMaxSector32 ? 0 : mirror), 0,
                       DWORD(perIndex > kMaxSector32 ? 0 : perIndex), DWORD(end), 0};
        AddVolume(u"NTFS @" + Decimal(b0), FS_KIND_NTFS, v);
    }
    VolumeFoundFlag = 1;
}

namespace {

constexpr unsigned kSpcShifts = 8; // the cluster sizes 1 to 128 sectors
constexpr size_t kNoPartner = size_t(-1);

// Two folders pair when their first index blocks lie where one cluster size and one data origin put their
// index clusters: for that size both give the same origin (block sector minus size times cluster). The
// folders are indexed by the origin each size would give them, so a folder finds its next partner for each
// size by a look-up instead of a walk over every later folder.
class OriginIndex {
public:
    explicit OriginIndex(const FirstBlocks& blocks)
    {
        for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next) {
            const IndexBlockNode* block = f->IndexAllocCluster ? blocks.Of(f->RecordNumber) : nullptr;
            folders_.push_back({f, block ? block->Sector : 0});
        }
        for (size_t i = 0; i < folders_.size(); ++i) {
            const ULONGLONG sector = folders_[i].Sector, cluster = folders_[i].Node->IndexAllocCluster;
            if (sector == 0)
                continue;
            for (unsigned shift = 0; shift < kSpcShifts; ++shift)
                if ((cluster << shift) <= sector)
                    entries_.push_back({KeyOf(shift, sector - (cluster << shift)), DWORD(i)});
        }
        std::sort(entries_.begin(), entries_.end(), [](const Entry& x, const Entry& y) {
            return x.Key != y.Key ? x.Key < y.Key : x.Position < y.Position;
        });
        next_.resize(entries_.size() + 1);
        for (size_t e = 0; e <= entries_.size(); ++e)
            next_[e] = DWORD(e);
        // Folders of one origin with the same block sector come in runs; the end of each run is kept.
        runEnd_.resize(entries_.size());
        for (size_t e = entries_.size(); e-- > 0;)
            runEnd_[e] = e + 1 < entries_.size() && entries_[e + 1].Key == entries_[e].Key &&
                                 Sector(entries_[e + 1].Position) == Sector(entries_[e].Position)
                             ? runEnd_[e + 1]
                             : DWORD(e + 1);
    }

    size_t Count() const { return folders_.size(); }
    FoundFolderNode* Folder(size_t i) const { return folders_[i].Node; }
    // The sector of the folder's first index block, 0 when it has none.
    DWORD Sector(size_t i) const { return folders_[i].Sector; }

    // The first folder after position `after` with this origin for the cluster size 1 << shift that is still
    // unclaimed and whose block is not at `sector`; kNoPartner when none is.
    size_t NextPartner(unsigned shift, ULONGLONG origin, size_t after, DWORD sector)
    {
        const ULONGLONG key = KeyOf(shift, origin);
        auto at = std::upper_bound(entries_.begin(), entries_.end(), Entry{key, DWORD(after)},
                                   [](const Entry& x, const Entry& y) {
                                       return x.Key != y.Key ? x.Key < y.Key : x.Position < y.Position;
                                   });
        for (size_t e = Alive(size_t(at - entries_.begin())); e < entries_.size() && entries_[e].Key == key;
             e = Alive(e)) {
            const DWORD position = entries_[e].Position;
            if (Sector(position) != sector)
                return position;
            e = runEnd_[e];
        }
        return kNoPartner;
    }

private:
    struct Slot {
        FoundFolderNode* Node;
        DWORD Sector;
    };
    struct Entry {
        ULONGLONG Key;
        DWORD Position;
    };
    static ULONGLONG KeyOf(unsigned shift, ULONGLONG origin) { return origin << 3 | shift; }

    // The first entry from e whose folder is unclaimed; a claim is never undone, so claimed entries are
    // skipped for good.
    size_t Alive(size_t e)
    {
        size_t root = e;
        while (root < entries_.size() && (next_[root] != root || Folder(entries_[root].Position)->VolumeNumber != 0))
            root = next_[root] != root ? next_[root] : root + 1;
        while (e != root) {
            const size_t step = next_[e] != e ? next_[e] : e + 1;
            next_[e] = DWORD(root);
            e = step;
        }
        return root;
    }

    std::vector<Slot> folders_;
    std::vector<Entry> entries_;
    std::vector<DWORD> next_;
    std::vector<DWORD> runEnd_;
};

} // namespace

// Each unclaimed folder is paired with the later folders in list order; each pair that agrees on a cluster
// size and origin has that volume classified, until one claims the folder. A size and origin once
// classified claim nothing when classified again, so each is classified once.
void RebuildNtfsVolumes()
{
    const DWORD end = RebuiltNtfsEnd();
    const FirstBlocks blocks;
    OriginIndex index(blocks);
    std::unordered_set<ULONGLONG> classified;
    for (size_t ai = 0; ai < index.Count() && ScanStopFlag != 1; ++ai) {
        FoundFolderNode* a = index.Folder(ai);
        if (a->VolumeNumber != 0)
            continue;
        const ULONGLONG sa = index.Sector(ai), ca = a->IndexAllocCluster;
        if (sa == 0) {
            a->VolumeNumber = kNoVolume;
            continue;
        }
        unsigned tried = 0;
        size_t cursor = ai;
        while (a->VolumeNumber == 0) {
            size_t partner = kNoPartner;
            unsigned shift = 0;
            for (unsigned k = 0; k < kSpcShifts; ++k) {
                if ((tried & (1u << k)) || (ca << k) > sa)
                    continue;
                const size_t p = index.NextPartner(k, sa - (ca << k), cursor, DWORD(sa));
                if (p < partner) {
                    partner = p;
                    shift = k;
                }
            }
            if (partner == kNoPartner)
                break;
            cursor = partner;
            tried |= 1u << shift;
            const ULONGLONG spc = 1ULL << shift, origin = sa - spc * ca;
            const ULONGLONG key = origin << 3 | shift;
            if (!classified.count(key)) {
                if (ClassifyFoundItems(DWORD(origin), DWORD(spc), end, 2)) {
                    ++FullScanVolumeCount;
                    DWORD v[14] = {0, DWORD(spc), 0, 0, 0, DWORD(origin), 0, 0, 0, 0, 0, 8, end, 0};
                    AddVolume(u"NTFS @" + Decimal(origin), FS_KIND_NTFS, v);
                }
                if (ScanPollPoint())
                    break;
                classified.insert(key);
            } else if (ScanPollPoint()) {
                break;
            }
        }
    }
    RebuiltVolumeFound = 1;
}

void SearchUnallocatedItems()
{
    // A stop during the sweep ended the sweep; the analysis steps answer to a new one, which ends every step that
    // polls (the numbering by index entries, the classification, the rebuild) and keeps what was found.
    ScanStopFlag = 0;
    NumberMftRecords();
    DropUnusedIndexEntries();
    g_matched = 0;
    AnalyseNtfsVolumes();
    IEngineUi& ui = EngineUi();
    // The rebuild is the long step the user may want to cut short.
    ui.ShowStopButton(true);
    RebuildNtfsVolumes();
    ui.ShowStopButton(false);
    ui.SetStatusText(ENGINE_STATUS_MAIN, u"正在搜索未分配的项目...            ");
    WORD previous = 1;
    DWORD k = 0;
    for (FoundFolderNode* f = FoundFolderHead; f; f = f->Next) {
        if (f->VolumeNumber == kNoVolume)
            f->VolumeNumber = previous;
        previous = f->VolumeNumber;
        Progress(++k, FoundFolderNodeCount);
    }
    DropMftMirrorCopies();
}

// ---- Copies of the first MFT records ----------------------------------------------------------

namespace {

// The records the MFT mirror copies, by record number: the metadata files in the root folder.
constexpr const char16_t* kMirroredRecords[] = {u"$MFT", u"$MFTMirr", u"$LogFile", u"$Volume"};

// A volume's records lie above its data origin and at or below its end sector.
struct RecordSpan {
    ULONGLONG Origin;
    ULONGLONG End;
    ULONGLONG MftSector; // 0 when unknown
};

int MirroredRecordNumber(const WCHAR* name, DWORD parent)
{
    if (parent != 5 || !name)
        return -1;
    for (int r = 0; r < 4; ++r)
        if (std::u16string_view(name) == kMirroredRecords[r])
            return r;
    return -1;
}

// Keeps one record of each mirrored record number per volume: the one in the MFT where its place is known
// and a record was found there, else the first found; frees the others.
template <typename Node>
DWORD DropCopies(Node*& head, Node*& tail, std::vector<RecordSpan> spans)
{
    // A record inside a volume whose MFT is known belongs to that one, not to a rebuilt volume around it.
    std::stable_sort(spans.begin(), spans.end(),
                     [](const RecordSpan& a, const RecordSpan& b) { return a.MftSector != 0 && b.MftSector == 0; });
    std::map<std::pair<size_t, int>, std::vector<Node*>> groups;
    for (Node* n = head; n; n = n->Next) {
        const int r = MirroredRecordNumber(n->Name, n->ParentRef);
        if (r < 0)
            continue;
        for (size_t v = 0; v < spans.size(); ++v)
            if (n->RecordSector > spans[v].Origin && n->RecordSector <= spans[v].End) {
                groups[{v, r}].push_back(n);
                break;
            }
    }
    std::unordered_set<Node*> dropped;
    for (const auto& [key, nodes] : groups) {
        if (nodes.size() < 2)
            continue;
        Node* keep = nodes.front();
        const ULONGLONG mft = spans[key.first].MftSector;
        for (Node* n : nodes)
            if (mft != 0 && n->RecordSector == mft + 2ULL * key.second)
                keep = n;
        for (Node* n : nodes)
            if (n != keep)
                dropped.insert(n);
    }
    Node* previous = nullptr;
    for (Node* n = head; n;) {
        Node* next = n->Next;
        if (dropped.count(n)) {
            (previous ? previous->Next : head) = next;
            if (tail == n)
                tail = previous;
            std::free(n->Name);
            std::free(n);
        } else {
            previous = n;
        }
        n = next;
    }
    return DWORD(dropped.size());
}

} // namespace

void DropMftMirrorCopies()
{
    std::vector<RecordSpan> spans;
    for (VolumeRecord* v = VolumeHead; v; v = v->Next)
        if (v->Kind == FS_KIND_NTFS)
            spans.push_back({v->DataOrigin, v->VolumeEndSector, v->MftSector});
    FoundItemCount -= DropCopies(FoundItemHead, FoundItemTail, spans);
}

void DropLoadedMftMirrorCopies()
{
    const PartitionParamsBlock& p = PartitionParams;
    DropCopies(FoundEntryHead, FoundEntryTail, {{p.DataOrigin, p.VolumeEndSector, p.MftSector}});
}
