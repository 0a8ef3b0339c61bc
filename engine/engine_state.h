// The engine's global state: the partition under analysis, settings, run flags and the found-record lists.
#pragma once

#include "win32/types.h"

#include <cstddef>

// File-system kind codes shared by the engine, the pages and the snapshot file.
enum : WORD { FS_KIND_FAT16 = 100, FS_KIND_FAT32 = 200, FS_KIND_NTFS = 300 };

// Fixed sector size of every engine computation.
constexpr DWORD SECTOR_SIZE = 512;

// ---- Packed records -------------------------------------------------------------------------
// Every record below is stored field by field in snapshot files, so the order and width of each
// field is a file format. The records were laid out for 4-byte pointers; on this build the name
// and next pointers are native, which the size checks below account for.
#pragma pack(push, 1)

struct PartitionParamsBlock {
    WORD PartitionFsType;
    DWORD StartSector;
    DWORD SectorCount;
    DWORD BackupSector;
    WORD LogicalDriveIndex;
    WORD FsType;
    DWORD FatSize;
    DWORD SectorsPerCluster;
    DWORD RootDirSectors;
    DWORD Root;
    DWORD ReservedSectors;
    DWORD DataOrigin;
    DWORD Fat1Start;
    DWORD Fat2Start;
    DWORD MftSector;
    DWORD MftMirrorSector;
    DWORD SectorsPerMftRecord;
    DWORD SectorsPerIndexRecord;
    DWORD VolumeEndSector;
    WORD VolumeNumber;
};

struct FoundPartitionEntry {
    DWORD StartSector;
    DWORD SectorCount;
    WORD Kind;
    BYTE Unused[4];
};

struct FatEntryRecord {
    WCHAR* Name;
    DWORD StartCluster;
    DWORD ParentId;
    WORD WriteDate;
    WORD AccessDate;
    DWORD Size;
    DWORD Deleted;
    DWORD FileId;
    // The entry's words beside its dates (see FatEntryTimes).
    WORD WriteTime;
    WORD CreationDate;
    WORD CreationTime;
    BYTE CreationTenths;
    FatEntryRecord* Next;
};

struct FatFolderRecord {
    WCHAR* Name;
    DWORD FirstCluster;
    DWORD ParentId;
    WORD WriteDate;
    WORD AccessDate;
    DWORD TreeItem;
    DWORD Deleted;
    WORD Reserved;
    FatFolderRecord* Next;
};

struct ClusterNode {
    DWORD Value;
    ClusterNode* Next;
};

struct DirSectorRecord {
    DWORD Sector;
    DWORD DotCluster;
    DWORD DotDotCluster;
    WORD WriteDate;
    WORD AccessDate;
    WORD VolumeNumber;
    DirSectorRecord* Next;
};

struct VolumeRecord {
    WORD Kind;
    DWORD FatSize;
    DWORD SectorsPerCluster;
    DWORD RootDirSectors;
    DWORD Root;
    DWORD ReservedSectors;
    DWORD DataOrigin;
    DWORD Fat1Start;
    DWORD Fat2Start;
    DWORD MftSector;
    DWORD MftMirrorSector;
    DWORD Value11;
    DWORD SectorsPerIndexRecord;
    DWORD VolumeEndSector;
    DWORD TreeItem;
    VolumeRecord* Next;
};

// NTFS records keep two times: creation, and in the Change fields the time the contents last changed (the list's
// "modified" column and the recovered file's last write). Results saved earlier hold a record-change time there.
// Quick-scan NTFS file. The builder's argument order differs from the field order: see AddFoundEntry.
struct FoundEntryNode {
    WCHAR* Name;
    DWORD RecordNumber;
    DWORD ParentRef;
    DWORD CreationLow;
    DWORD CreationHigh;
    DWORD ChangeLow;
    DWORD ChangeHigh;
    DWORD SizeLow;
    DWORD SizeHigh;
    DWORD Deleted;
    DWORD RecordSector;
    FoundEntryNode* Next;
};

struct QuickFolderNode {
    WCHAR* Name;
    DWORD RecordNumber;
    DWORD ParentRef;
    DWORD CreationLow;
    DWORD CreationHigh;
    DWORD ChangeLow;
    DWORD ChangeHigh;
    DWORD TreeItem;
    DWORD Deleted;
    WORD Reserved;
    QuickFolderNode* Next;
};

struct FoundItemNode {
    WCHAR* Name;
    DWORD RecordSector;
    DWORD ParentRef;
    DWORD Zero;
    DWORD CreationLow;
    DWORD CreationHigh;
    DWORD ChangeLow;
    DWORD ChangeHigh;
    DWORD SizeLow;
    DWORD SizeHigh;
    WORD Reserved;
    DWORD Deleted;
    FoundItemNode* Next;
};

struct FoundFolderNode {
    WCHAR* Name;
    DWORD RecordSector;
    DWORD ParentRef;
    DWORD RecordNumber;
    WORD VolumeNumber;
    DWORD CreationLow;
    DWORD CreationHigh;
    DWORD ChangeLow;
    DWORD ChangeHigh;
    DWORD IndexAllocCluster;
    DWORD Deleted;
    FoundFolderNode* Next;
};

struct IndexBlockNode {
    DWORD Sector;
    DWORD OwnerRecord;
    DWORD Vcn;
    WORD Marker;
    BYTE SectorCount;
    IndexBlockNode* Next;
};

// One run of a file's data. A sparse run has no clusters on disk: its start is EXTENT_SPARSE.
struct ExtentNode {
    DWORD Start;
    DWORD Length;
    ExtentNode* Next;
};
constexpr DWORD EXTENT_SPARSE = 0xFFFFFFFF;

// Signature form: one file type of the tracing scan.
struct TracedRecord {
    WCHAR* Extension;
    WCHAR* TypeText;
    DWORD SignatureLength;
    char* Signature;
    DWORD Value5;
    TracedRecord* Next;
};

// File form: one file found by the tracing scan.
struct TracedFileRecord {
    WCHAR* Name;
    WCHAR* Extension;
    WCHAR* TypeText;
    DWORD StartSector;
    DWORD FileNumber;
    TracedFileRecord* Next;
};

#pragma pack(pop)

// Sizes as laid out for 4-byte pointers, plus 4 bytes for each pointer on a 64-bit build.
constexpr size_t kPointerGrowth = sizeof(void*) - 4;
static_assert(sizeof(PartitionParamsBlock) == 72);
static_assert(sizeof(FoundPartitionEntry) == 14);
static_assert(sizeof(FatEntryRecord) == 39 + 2 * kPointerGrowth);
static_assert(sizeof(FatFolderRecord) == 30 + 2 * kPointerGrowth);
static_assert(sizeof(ClusterNode) == 8 + kPointerGrowth);
static_assert(sizeof(DirSectorRecord) == 22 + kPointerGrowth);
static_assert(sizeof(VolumeRecord) == 62 + kPointerGrowth);
static_assert(sizeof(FoundEntryNode) == 48 + 2 * kPointerGrowth);
static_assert(sizeof(QuickFolderNode) == 42 + 2 * kPointerGrowth);
static_assert(sizeof(FoundItemNode) == 50 + 2 * kPointerGrowth);
static_assert(sizeof(FoundFolderNode) == 46 + 2 * kPointerGrowth);
static_assert(sizeof(IndexBlockNode) == 19 + kPointerGrowth);
static_assert(sizeof(ExtentNode) == 12 + kPointerGrowth);
static_assert(sizeof(TracedRecord) == 24 + 4 * kPointerGrowth);
static_assert(sizeof(TracedFileRecord) == 24 + 4 * kPointerGrowth);
static_assert(offsetof(PartitionParamsBlock, BackupSector) == 10);
static_assert(offsetof(PartitionParamsBlock, FsType) == 16);
static_assert(offsetof(PartitionParamsBlock, DataOrigin) == 38);
static_assert(offsetof(PartitionParamsBlock, VolumeEndSector) == 66);

// ---- Selection and device -------------------------------------------------------------------
extern DWORD ScanMode;   // 0 full scan, 1 file tracing, 2 quick scan
extern WORD DriveKind;   // 1 physical disk, 2 logical volume, 3 none chosen
extern WORD DriveNumber; // index into the detected-disk table
constexpr int kMaxPhysicalDrives = 10;
extern char PhysicalDrivePathTable[kMaxPhysicalDrives][20];
// Points table entry index at the layer's disk number (0 to 99).
void SetPhysicalDrivePath(int index, int diskNumber);
// Every entry back to "\\.\PhysicalDrive" followed by its own index.
void ResetPhysicalDrivePaths();
extern HANDLE PhysicalDriveHandle;
extern HANDLE VolumeHandle;

// The logical volumes the drive page lists, in drive-letter order (parallel arrays).
constexpr int kMaxLogicalDrives = 26;
struct LogicalDriveTableBlock {
    WORD Count;
    WCHAR RootText[kMaxLogicalDrives][100]; // "C:\"
    WCHAR VolumeName[kMaxLogicalDrives][100];
    ULONGLONG SectorCount[kMaxLogicalDrives];
    WORD SectorsPerCluster[kMaxLogicalDrives];
    WORD Kind[kMaxLogicalDrives]; // 100, 200, 300, or 400 unknown
};
extern LogicalDriveTableBlock LogicalDriveTable;

extern PartitionParamsBlock PartitionParams;
// The first sector past the volume whose files are read and written, 0 when unknown: its end sector
// (the chosen found volume's after a full scan, a FAT volume's own after a quick scan) within the
// scanned range, else the end of that range.
ULONGLONG VolumeDataEnd();
constexpr int kMaxFoundPartitions = 25;
extern FoundPartitionEntry FoundPartitionTable[kMaxFoundPartitions];
extern DWORD PartitionCount;

// ---- Recovery settings ----------------------------------------------------------------------
extern DWORD SectorsPerRead;
extern WORD RetryCount;
extern WORD DuplicateFileMode;
extern WORD DeletedFileMode;
void ResetRecoverySettings();

// ---- File-type filter -----------------------------------------------------------------------
constexpr int kMaxFileTypeFilters = 100;
constexpr int kFilterMaskChars = 20; // 19 characters and the terminator
extern WCHAR FileTypeFilterTable[kMaxFileTypeFilters][kFilterMaskChars];
extern DWORD FileTypeFilterCount;
// Wildcard match with '*' and '?', case-sensitive; callers upper-case both sides.
bool MatchFileMask(const WCHAR* name, const WCHAR* mask);
// True when the name passes the filter table (always with an empty table).
bool PassesFileTypeFilter(const WCHAR* name);

// ---- Run state ------------------------------------------------------------------------------
class CWinThread;
extern CWinThread* ScanThread; // the running worker's thread object
extern volatile DWORD ScanStopFlag;
extern volatile BYTE ScanRunning;
extern volatile BYTE ScanRunningTwin;
extern volatile DWORD SaveStopFlag;
extern volatile DWORD SaveSkipFlag;

// ---- Progress counters ----------------------------------------------------------------------
extern DWORD FoundFolderCount;
extern DWORD FoundFileCount;
extern DWORD DirEntryVisitCount;
extern ULONGLONG FoundFatSizeSum;
extern DWORD TreeItemCount;
extern ULONGLONG SelectionTotals[4];
extern DWORD SnapshotLoaded;

// ---- Found-record lists ---------------------------------------------------------------------
extern FatEntryRecord* FatFileHead;
extern FatEntryRecord* FatFileTail;
extern FatFolderRecord* FatFolderHead;
extern FatFolderRecord* FatFolderTail;
extern ClusterNode* ClusterChainHead;
extern ClusterNode* ClusterChainTail;
extern ClusterNode* BootSectorHead;
extern DWORD BootSectorCount;
extern DirSectorRecord* DirSectorHead;
extern DirSectorRecord* DirSectorTail;
extern VolumeRecord* VolumeHead;
extern FoundEntryNode* FoundEntryHead;
extern FoundEntryNode* FoundEntryTail;
extern QuickFolderNode* QuickFolderHead;
extern QuickFolderNode* QuickFolderTail;
extern FoundItemNode* FoundItemHead;
extern FoundItemNode* FoundItemTail;
extern DWORD FoundItemCount;
extern FoundFolderNode* FoundFolderHead;
extern FoundFolderNode* FoundFolderTail;
extern DWORD FoundFolderNodeCount;
extern IndexBlockNode* IndexBlockHead;
extern IndexBlockNode* IndexBlockTail;
extern DWORD IndexBlockCount;
extern ExtentNode* ExtentHead;
extern DWORD ExtentCount;
extern TracedRecord* SignatureHead;
extern TracedRecord* SignatureTail;
extern DWORD SignatureCount;
extern TracedFileRecord* TracedFileHead;
extern TracedFileRecord* TracedFileTail;

// ---- Builders -------------------------------------------------------------------------------
// A FAT entry's time words beside its write date, all local time as FAT keeps it. Results that kept
// only the dates (snapshots written before the times were kept) have no write time: kFatTimeUnknown,
// which no entry can hold as a valid time (its hour would be 31). A creation date of 0 means none, as
// on disk; CreationTenths counts the creation time's further 10 ms steps (0 to 199), as the entry does.
constexpr WORD kFatTimeUnknown = 0xFFFF;
struct FatEntryTimes {
    WORD WriteTime = kFatTimeUnknown;
    WORD CreationDate = 0;
    WORD CreationTime = 0;
    BYTE CreationTenths = 0;
};
void AddFatEntryRecord(const WCHAR* name, DWORD startCluster, DWORD parentId, WORD writeDate,
                       WORD accessDate, DWORD size, DWORD deleted, const FatEntryTimes& times = {});
void AddFatFolderRecord(const WCHAR* name, DWORD firstCluster, DWORD parentId, WORD writeDate,
                        WORD accessDate, DWORD treeItem, DWORD deleted);
void AddQuickFolderNode(const WCHAR* name, DWORD recordNumber, DWORD parentRef, DWORD creationLow,
                        DWORD creationHigh, DWORD changeLow, DWORD changeHigh, DWORD treeItem,
                        DWORD deleted);
// Arguments in the builder's order: v1 record number, v2 parent, v3/v4 creation, v5/v6 modified,
// v7 unused, v8 deleted, v9/v10 size.
void AddFoundEntry(DWORD recordSector, const WCHAR* name, DWORD v1, DWORD v2, DWORD v3, DWORD v4,
                   DWORD v5, DWORD v6, DWORD v7, DWORD v8, DWORD v9, DWORD v10);
void AppendClusterNode(DWORD value);
void AddBootSectorNode(ClusterNode** head, DWORD value);
// The boot-sector list's last node (nullptr when it is empty), from its cached end: the sweep appends in sector
// order, so this is the last boot sector before the sector being swept.
const ClusterNode* LastBootSectorNode();
void AddDirSectorRecord(DWORD sector, DWORD dotCluster, DWORD dotDotCluster, WORD writeDate,
                        WORD accessDate, DWORD unused);
// values: the fourteen u32 fields in field order after the kind.
void AddVolumeRecord(VolumeRecord** head, WORD kind, const DWORD values[14]);
void AddFoundFile(const WCHAR* name, DWORD recordSector, DWORD parentRef, DWORD zero,
                  DWORD creationLow, DWORD creationHigh, DWORD changeLow, DWORD changeHigh,
                  DWORD sizeLow, DWORD sizeHigh, WORD reserved, DWORD deleted);
void AddFoundFolder(const WCHAR* name, DWORD recordSector, DWORD parentRef, DWORD recordNumber,
                    DWORD unused, DWORD creationLow, DWORD creationHigh, DWORD changeLow,
                    DWORD changeHigh, DWORD indexAllocCluster, DWORD deleted);
void AppendIndexBlockNode(DWORD sector, DWORD owner, DWORD vcn, WORD marker, BYTE sectorCount);
void AppendExtent(DWORD start, DWORD length);
void AddTracedFolder(const WCHAR* extension, const WCHAR* typeText, DWORD signatureLength,
                     const char* signature, DWORD value5);
// a is stored after b, as the snapshot file expects.
void AddTracedFile(const WCHAR* name, const WCHAR* extension, const WCHAR* typeText, DWORD a, DWORD b);

// ---- Resets ---------------------------------------------------------------------------------
void FreeScanResultLists();
void ResetNtfsLists();
void ResetFullScanLists();
void FreeTracedFiles();
void FreeTracedFolders();
void FreeClusterChain();
void FreeExtents();
// Every list of found items, folders and signatures, as before any scan or load. The records are packed, so a
// leak checker cannot follow their links: what stays held at the end of a run must be freed to be told from a leak.
void FreeAllResultLists();

// Shows the out-of-memory message and ends the process with a failure code.
[[noreturn]] void EngineOutOfMemory();
// Copies a terminated wide string into a new malloc block, or ends the program when memory is out.
WCHAR* DuplicateWideString(const WCHAR* text);
size_t WideLength(const WCHAR* text);
// The FAT folder record with this first cluster, or nullptr.
FatFolderRecord* FindFatFolderByCluster(DWORD firstCluster);
