// The engine's globals, the builders of the found-record lists and their resets, and the file-type filter.
#include "engine/engine_state.h"

#include "engine/ui_port.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>

DWORD ScanMode = 0;
WORD DriveKind = 3;
WORD DriveNumber = 0;
char PhysicalDrivePathTable[kMaxPhysicalDrives][20] = {
    "\\\\.\\PhysicalDrive0", "\\\\.\\PhysicalDrive1", "\\\\.\\PhysicalDrive2", "\\\\.\\PhysicalDrive3",
    "\\\\.\\PhysicalDrive4", "\\\\.\\PhysicalDrive5", "\\\\.\\PhysicalDrive6", "\\\\.\\PhysicalDrive7",
    "\\\\.\\PhysicalDrive8", "\\\\.\\PhysicalDrive9",
};
HANDLE PhysicalDriveHandle = nullptr;
HANDLE VolumeHandle = nullptr;

LogicalDriveTableBlock LogicalDriveTable = {};
PartitionParamsBlock PartitionParams = {};

ULONGLONG VolumeDataEnd()
{
    const PartitionParamsBlock& p = PartitionParams;
    ULONGLONG end = p.SectorCount ? ULONGLONG(p.StartSector) + p.SectorCount : 0;
    // A full scan sweeps a range (often the whole disk) that holds more than the volume chosen from it,
    // and a file system may end before its partition.
    if (p.VolumeEndSector > p.DataOrigin && (end == 0 || p.VolumeEndSector < end))
        end = p.VolumeEndSector;
    return end;
}
FoundPartitionEntry FoundPartitionTable[kMaxFoundPartitions] = {};
DWORD PartitionCount = 0;

DWORD SectorsPerRead = 60;
WORD RetryCount = 3;
WORD DuplicateFileMode = 1;
WORD DeletedFileMode = 1;

WCHAR FileTypeFilterTable[kMaxFileTypeFilters][kFilterMaskChars] = {};
DWORD FileTypeFilterCount = 0;

CWinThread* ScanThread = nullptr;
volatile DWORD ScanStopFlag = 0;
volatile BYTE ScanRunning = 0;
volatile BYTE ScanRunningTwin = 0;
volatile DWORD SaveStopFlag = 0;
volatile DWORD SaveSkipFlag = 0;

DWORD FoundFolderCount = 0;
DWORD FoundFileCount = 0;
DWORD DirEntryVisitCount = 0;
ULONGLONG FoundFatSizeSum = 0;
DWORD TreeItemCount = 0;
ULONGLONG SelectionTotals[4] = {};
DWORD SnapshotLoaded = 0;

FatEntryRecord* FatFileHead = nullptr;
FatEntryRecord* FatFileTail = nullptr;
FatFolderRecord* FatFolderHead = nullptr;
FatFolderRecord* FatFolderTail = nullptr;
ClusterNode* ClusterChainHead = nullptr;
ClusterNode* ClusterChainTail = nullptr;
ClusterNode* BootSectorHead = nullptr;
DWORD BootSectorCount = 0;
DirSectorRecord* DirSectorHead = nullptr;
DirSectorRecord* DirSectorTail = nullptr;
VolumeRecord* VolumeHead = nullptr;
FoundEntryNode* FoundEntryHead = nullptr;
FoundEntryNode* FoundEntryTail = nullptr;
QuickFolderNode* QuickFolderHead = nullptr;
QuickFolderNode* QuickFolderTail = nullptr;
FoundItemNode* FoundItemHead = nullptr;
FoundItemNode* FoundItemTail = nullptr;
DWORD FoundItemCount = 0;
FoundFolderNode* FoundFolderHead = nullptr;
FoundFolderNode* FoundFolderTail = nullptr;
DWORD FoundFolderNodeCount = 0;
IndexBlockNode* IndexBlockHead = nullptr;
IndexBlockNode* IndexBlockTail = nullptr;
DWORD IndexBlockCount = 0;
ExtentNode* ExtentHead = nullptr;
DWORD ExtentCount = 0;
TracedRecord* SignatureHead = nullptr;
TracedRecord* SignatureTail = nullptr;
DWORD SignatureCount = 0;
TracedFileRecord* TracedFileHead = nullptr;
TracedFileRecord* TracedFileTail = nullptr;

namespace {

// Lookups by first cluster and by record number, so that the dedup of large scans stays linear.
std::unordered_map<DWORD, FatFolderRecord*> g_fatFolderByCluster;
std::unordered_map<DWORD, QuickFolderNode*> g_quickFolderByRecord;
ExtentNode* g_extentTail = nullptr;

template <typename T> T* AllocRecord()
{
    T* record = static_cast<T*>(std::calloc(1, sizeof(T)));
    if (!record)
        EngineOutOfMemory();
    return record;
}

template <typename T> void AppendTo(T*& head, T*& tail, T* record)
{
    record->Next = nullptr;
    if (tail)
        tail->Next = record;
    else
        head = record;
    tail = record;
}

// Walks nodes, not links: a pointer to a packed record's Next field would be misaligned.
template <typename T> void AppendAtEnd(T** head, T* record)
{
    record->Next = nullptr;
    if (!*head) {
        *head = record;
        return;
    }
    T* last = *head;
    while (last->Next)
        last = last->Next;
    last->Next = record;
}

template <typename T, typename FreeNames> void FreeList(T*& head, FreeNames freeNames)
{
    while (head) {
        T* next = head->Next;
        freeNames(head);
        std::free(head);
        head = next;
    }
}

char* DuplicateNarrow(const char* text)
{
    if (!text)
        text = "";
    size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (!copy)
        EngineOutOfMemory();
    std::memcpy(copy, text, n);
    return copy;
}

} // namespace

void SetPhysicalDrivePath(int index, int diskNumber)
{
    if (index < 0 || index >= kMaxPhysicalDrives || diskNumber < 0 || diskNumber > 99)
        return;
    static const char prefix[] = "\\\\.\\PhysicalDrive";
    char* out = PhysicalDrivePathTable[index];
    std::memcpy(out, prefix, sizeof(prefix) - 1);
    size_t n = sizeof(prefix) - 1;
    if (diskNumber >= 10)
        out[n++] = char('0' + diskNumber / 10);
    out[n++] = char('0' + diskNumber % 10);
    out[n] = 0;
}

void ResetPhysicalDrivePaths()
{
    for (int i = 0; i < kMaxPhysicalDrives; ++i)
        SetPhysicalDrivePath(i, i);
}

void ResetRecoverySettings()
{
    SectorsPerRead = 60;
    RetryCount = 3;
    DuplicateFileMode = 1;
    DeletedFileMode = 1;
}

size_t WideLength(const WCHAR* text)
{
    size_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

WCHAR* DuplicateWideString(const WCHAR* text)
{
    size_t n = WideLength(text);
    WCHAR* copy = static_cast<WCHAR*>(std::malloc((n + 1) * sizeof(WCHAR)));
    if (!copy)
        EngineOutOfMemory();
    if (n)
        std::memcpy(copy, text, n * sizeof(WCHAR));
    copy[n] = 0;
    return copy;
}

void EngineOutOfMemory()
{
    EngineUi().ShowMessage(u"内存不足，请关闭其他应用程序并再次运行", ENGINE_MSG_ERROR);
    // The lists are in an unknown state and a worker may be mid-append: end at once, and say it failed.
    std::_Exit(EXIT_FAILURE);
}

FatFolderRecord* FindFatFolderByCluster(DWORD firstCluster)
{
    auto found = g_fatFolderByCluster.find(firstCluster);
    return found == g_fatFolderByCluster.end() ? nullptr : found->second;
}

// ---- Filter ---------------------------------------------------------------------------------

bool MatchFileMask(const WCHAR* name, const WCHAR* mask)
{
    // "*.*" stands for every name, with or without a point.
    if (mask[0] == u'*' && mask[1] == u'.' && mask[2] == u'*' && mask[3] == 0)
        return true;
    const WCHAR* starMask = nullptr;
    const WCHAR* starName = nullptr;
    while (*name) {
        if (*mask == u'*') {
            starMask = ++mask;
            starName = name;
        } else if (*mask == u'?' || *mask == *name) {
            ++mask;
            ++name;
        } else if (starMask) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*mask == u'*')
        ++mask;
    return *mask == 0;
}

static void UpperCopy(const WCHAR* text, WCHAR* out, size_t room)
{
    size_t i = 0;
    for (; text[i] && i + 1 < room; ++i) {
        WCHAR c = text[i];
        out[i] = (c >= u'a' && c <= u'z') ? WCHAR(c - 32) : c;
    }
    out[i] = 0;
}

bool PassesFileTypeFilter(const WCHAR* name)
{
    DWORD count = FileTypeFilterCount < kMaxFileTypeFilters ? FileTypeFilterCount : kMaxFileTypeFilters;
    if (count == 0)
        return true;
    WCHAR upperName[520];
    UpperCopy(name ? name : u"", upperName, sizeof(upperName) / sizeof(WCHAR));
    for (DWORD i = 0; i < count; ++i) {
        WCHAR upperMask[kFilterMaskChars];
        FileTypeFilterTable[i][kFilterMaskChars - 1] = 0;
        UpperCopy(FileTypeFilterTable[i], upperMask, kFilterMaskChars);
        if (MatchFileMask(upperName, upperMask))
            return true;
    }
    return false;
}

// ---- Builders -------------------------------------------------------------------------------

void AddFatEntryRecord(const WCHAR* name, DWORD startCluster, DWORD parentId, WORD writeDate,
                       WORD accessDate, DWORD size, DWORD deleted, const FatEntryTimes& times)
{
    auto* r = AllocRecord<FatEntryRecord>();
    r->Name = DuplicateWideString(name);
    r->StartCluster = startCluster;
    r->ParentId = parentId;
    r->WriteDate = writeDate;
    r->AccessDate = accessDate;
    r->Size = size;
    r->Deleted = deleted;
    r->FileId = FoundFileCount;
    r->WriteTime = times.WriteTime;
    r->CreationDate = times.CreationDate;
    r->CreationTime = times.CreationTime;
    r->CreationTenths = times.CreationTenths;
    AppendTo(FatFileHead, FatFileTail, r);
}

void AddFatFolderRecord(const WCHAR* name, DWORD firstCluster, DWORD parentId, WORD writeDate,
                        WORD accessDate, DWORD treeItem, DWORD deleted)
{
    auto found = g_fatFolderByCluster.find(firstCluster);
    if (found != g_fatFolderByCluster.end()) {
        FatFolderRecord* existing = found->second;
        if (!deleted && existing->Deleted == 1) {
            WCHAR* renamed = DuplicateWideString(name);
            std::free(existing->Name);
            existing->Name = renamed;
            existing->Deleted = 0;
        }
        return;
    }
    auto* r = AllocRecord<FatFolderRecord>();
    r->Name = DuplicateWideString(name);
    r->FirstCluster = firstCluster;
    r->ParentId = parentId;
    r->WriteDate = writeDate;
    r->AccessDate = accessDate;
    r->TreeItem = treeItem;
    r->Deleted = deleted;
    AppendTo(FatFolderHead, FatFolderTail, r);
    g_fatFolderByCluster.emplace(firstCluster, r);
    ++FoundFolderCount;
}

void AddQuickFolderNode(const WCHAR* name, DWORD recordNumber, DWORD parentRef, DWORD creationLow,
                        DWORD creationHigh, DWORD changeLow, DWORD changeHigh, DWORD treeItem,
                        DWORD deleted)
{
    if (ScanMode == 0 && g_quickFolderByRecord.count(recordNumber))
        return;
    auto* r = AllocRecord<QuickFolderNode>();
    r->Name = DuplicateWideString(name);
    r->RecordNumber = recordNumber;
    r->ParentRef = parentRef;
    r->CreationLow = creationLow;
    r->CreationHigh = creationHigh;
    r->ChangeLow = changeLow;
    r->ChangeHigh = changeHigh;
    r->TreeItem = treeItem;
    r->Deleted = deleted;
    AppendTo(QuickFolderHead, QuickFolderTail, r);
    g_quickFolderByRecord.emplace(recordNumber, r);
    ++FoundFolderCount;
}

void AddFoundEntry(DWORD recordSector, const WCHAR* name, DWORD v1, DWORD v2, DWORD v3, DWORD v4,
                   DWORD v5, DWORD v6, DWORD, DWORD v8, DWORD v9, DWORD v10)
{
    auto* r = AllocRecord<FoundEntryNode>();
    r->Name = DuplicateWideString(name);
    r->RecordNumber = v1;
    r->ParentRef = v2;
    r->CreationLow = v3;
    r->CreationHigh = v4;
    r->ChangeLow = v5;
    r->ChangeHigh = v6;
    r->SizeLow = v9;
    r->SizeHigh = v10;
    r->Deleted = v8;
    r->RecordSector = recordSector;
    AppendTo(FoundEntryHead, FoundEntryTail, r);
}

void AppendClusterNode(DWORD value)
{
    auto* r = AllocRecord<ClusterNode>();
    r->Value = value;
    AppendTo(ClusterChainHead, ClusterChainTail, r);
}

namespace {
// Last nodes of the full scan's boot-sector and volume lists, so that a sweep finding many candidates and an
// analysis making many volumes append in constant time; any other list is walked to its end.
ClusterNode* g_bootSectorTail = nullptr;
VolumeRecord* g_volumeTail = nullptr;

template <typename T> void AppendAtCachedEnd(T** head, T*& tail, T* record)
{
    record->Next = nullptr;
    if (!*head) {
        *head = record;
    } else {
        // Whoever changed the list since the last append left the cached end stale: walk from the head then.
        if (!tail || tail->Next)
            for (tail = *head; tail->Next;)
                tail = tail->Next;
        tail->Next = record;
    }
    tail = record;
}
} // namespace

void AddBootSectorNode(ClusterNode** head, DWORD value)
{
    auto* r = AllocRecord<ClusterNode>();
    r->Value = value;
    if (head == &BootSectorHead)
        AppendAtCachedEnd(head, g_bootSectorTail, r);
    else
        AppendAtEnd(head, r);
}

const ClusterNode* LastBootSectorNode()
{
    if (!BootSectorHead)
        return nullptr;
    if (!g_bootSectorTail || g_bootSectorTail->Next)
        for (g_bootSectorTail = BootSectorHead; g_bootSectorTail->Next;)
            g_bootSectorTail = g_bootSectorTail->Next;
    return g_bootSectorTail;
}

void AddDirSectorRecord(DWORD sector, DWORD dotCluster, DWORD dotDotCluster, WORD writeDate,
                        WORD accessDate, DWORD)
{
    auto* r = AllocRecord<DirSectorRecord>();
    r->Sector = sector;
    r->DotCluster = dotCluster;
    r->DotDotCluster = dotDotCluster;
    r->WriteDate = writeDate;
    r->AccessDate = accessDate;
    r->VolumeNumber = 0;
    AppendTo(DirSectorHead, DirSectorTail, r);
}

void AddVolumeRecord(VolumeRecord** head, WORD kind, const DWORD v[14])
{
    auto* r = AllocRecord<VolumeRecord>();
    r->Kind = kind;
    r->FatSize = v[0];
    r->SectorsPerCluster = v[1];
    r->RootDirSectors = v[2];
    r->Root = v[3];
    r->ReservedSectors = v[4];
    r->DataOrigin = v[5];
    r->Fat1Start = v[6];
    r->Fat2Start = v[7];
    r->MftSector = v[8];
    r->MftMirrorSector = v[9];
    r->Value11 = v[10];
    r->SectorsPerIndexRecord = v[11];
    r->VolumeEndSector = v[12];
    r->TreeItem = v[13];
    if (head == &VolumeHead)
        AppendAtCachedEnd(head, g_volumeTail, r);
    else
        AppendAtEnd(head, r);
}

void AddFoundFile(const WCHAR* name, DWORD recordSector, DWORD parentRef, DWORD zero,
                  DWORD creationLow, DWORD creationHigh, DWORD changeLow, DWORD changeHigh,
                  DWORD sizeLow, DWORD sizeHigh, WORD reserved, DWORD deleted)
{
    auto* r = AllocRecord<FoundItemNode>();
    r->Name = DuplicateWideString(name);
    r->RecordSector = recordSector;
    r->ParentRef = parentRef;
    r->Zero = zero;
    r->CreationLow = creationLow;
    r->CreationHigh = creationHigh;
    r->ChangeLow = changeLow;
    r->ChangeHigh = changeHigh;
    r->SizeLow = sizeLow;
    r->SizeHigh = sizeHigh;
    r->Reserved = reserved;
    r->Deleted = deleted;
    AppendTo(FoundItemHead, FoundItemTail, r);
    ++FoundItemCount;
}

void AddFoundFolder(const WCHAR* name, DWORD recordSector, DWORD parentRef, DWORD recordNumber,
                    DWORD, DWORD creationLow, DWORD creationHigh, DWORD changeLow, DWORD changeHigh,
                    DWORD indexAllocCluster, DWORD deleted)
{
    auto* r = AllocRecord<FoundFolderNode>();
    r->Name = DuplicateWideString(name);
    r->RecordSector = recordSector;
    r->ParentRef = parentRef;
    r->RecordNumber = recordNumber;
    r->VolumeNumber = 0;
    r->CreationLow = creationLow;
    r->CreationHigh = creationHigh;
    r->ChangeLow = changeLow;
    r->ChangeHigh = changeHigh;
    r->IndexAllocCluster = indexAllocCluster;
    r->Deleted = deleted;
    AppendTo(FoundFolderHead, FoundFolderTail, r);
    ++FoundFolderNodeCount;
}

void AppendIndexBlockNode(DWORD sector, DWORD owner, DWORD vcn, WORD marker, BYTE sectorCount)
{
    auto* r = AllocRecord<IndexBlockNode>();
    r->Sector = sector;
    r->OwnerRecord = owner;
    r->Vcn = vcn;
    r->Marker = marker;
    r->SectorCount = sectorCount;
    AppendTo(IndexBlockHead, IndexBlockTail, r);
    ++IndexBlockCount;
}

void AppendExtent(DWORD start, DWORD length)
{
    auto* r = AllocRecord<ExtentNode>();
    r->Start = start;
    r->Length = length;
    if (!ExtentHead)
        g_extentTail = nullptr;
    AppendTo(ExtentHead, g_extentTail, r);
    ++ExtentCount;
}

void AddTracedFolder(const WCHAR* extension, const WCHAR* typeText, DWORD signatureLength,
                     const char* signature, DWORD value5)
{
    auto* r = AllocRecord<TracedRecord>();
    r->Extension = DuplicateWideString(extension);
    r->TypeText = DuplicateWideString(typeText);
    r->SignatureLength = signatureLength;
    r->Signature = DuplicateNarrow(signature);
    r->Value5 = value5;
    AppendTo(SignatureHead, SignatureTail, r);
}

void AddTracedFile(const WCHAR* name, const WCHAR* extension, const WCHAR* typeText, DWORD a, DWORD b)
{
    auto* r = AllocRecord<TracedFileRecord>();
    r->Name = DuplicateWideString(name);
    r->Extension = DuplicateWideString(extension);
    r->TypeText = DuplicateWideString(typeText);
    r->StartSector = b;
    r->FileNumber = a;
    AppendTo(TracedFileHead, TracedFileTail, r);
}

// ---- Resets ---------------------------------------------------------------------------------

template <typename T> static void FreeNamed(T*& head)
{
    FreeList(head, [](T* r) { std::free(r->Name); });
}

static void NoNames(void*) {}

void FreeScanResultLists()
{
    FreeNamed(FatFileHead);
    FatFileTail = nullptr;
    FreeNamed(FatFolderHead);
    FatFolderTail = nullptr;
    g_fatFolderByCluster.clear();
    ResetNtfsLists();
    DirEntryVisitCount = 0;
    FoundFatSizeSum = 0;
}

void ResetNtfsLists()
{
    FreeNamed(FoundEntryHead);
    FoundEntryTail = nullptr;
    FreeNamed(QuickFolderHead);
    QuickFolderTail = nullptr;
    g_quickFolderByRecord.clear();
    FoundFolderCount = 0;
    FoundFileCount = 0;
}

void ResetFullScanLists()
{
    FreeList(IndexBlockHead, NoNames);
    IndexBlockTail = nullptr;
    IndexBlockCount = 0;
    FreeList(DirSectorHead, NoNames);
    DirSectorTail = nullptr;
    FreeList(BootSectorHead, NoNames);
    g_bootSectorTail = nullptr;
    BootSectorCount = 0;
    FreeList(VolumeHead, NoNames);
    g_volumeTail = nullptr;
    FreeNamed(FoundFolderHead);
    FoundFolderTail = nullptr;
    FoundFolderNodeCount = 0;
    FreeNamed(FoundItemHead);
    FoundItemTail = nullptr;
    FoundItemCount = 0;
}

void FreeTracedFiles()
{
    FreeList(TracedFileHead, [](TracedFileRecord* r) {
        std::free(r->Name);
        std::free(r->Extension);
        std::free(r->TypeText);
    });
    TracedFileTail = nullptr;
}

void FreeTracedFolders()
{
    FreeList(SignatureHead, [](TracedRecord* r) {
        std::free(r->Extension);
        std::free(r->TypeText);
        std::free(r->Signature);
    });
    SignatureTail = nullptr;
    SignatureCount = 0;
}

void FreeAllResultLists()
{
    FreeScanResultLists();
    ResetFullScanLists();
    FreeTracedFiles();
    FreeTracedFolders();
}

void FreeClusterChain()
{
    FreeList(ClusterChainHead, NoNames);
    ClusterChainTail = nullptr;
}

void FreeExtents()
{
    FreeList(ExtentHead, NoNames);
    g_extentTail = nullptr;
    ExtentCount = 0;
}
