// NTFS boot sector, MFT records and their attributes, and the found-record builders of the full scan.
#pragma once

#include "win32/types.h"

#include <vector>

struct AttributeListPlace;

constexpr DWORD kMftRecordSize = 1024;
constexpr int kNtfsNameChars = 256; // the longest name and its terminator

enum : DWORD {
    ATTR_STANDARD_INFORMATION = 0x10,
    ATTR_ATTRIBUTE_LIST = 0x20,
    ATTR_FILE_NAME = 0x30,
    ATTR_DATA = 0x80,
    ATTR_INDEX_ROOT = 0x90,
    ATTR_INDEX_ALLOCATION = 0xA0,
};

// Outcome of applying an update-sequence array.
enum FixupResult {
    FIXUP_BAD = -1,     // the array does not fit the buffer: nothing applied
    FIXUP_MISMATCH = 0, // applied, but a sector did not end with the sequence number (torn or stale)
    FIXUP_OK = 1,
};
FixupResult ApplyFixups(BYTE* buffer, DWORD size);
// Records and blocks whose sequence numbers did not match (kept: deleted data is what we look for).
extern DWORD FixupMismatchCount;

// One attribute of a record, its fields checked against the record's bounds.
struct NtfsAttribute {
    DWORD Offset;
    DWORD Length;
    DWORD Type;
    bool NonResident;
    BYTE NameLength;
    DWORD NameOffset;  // from the attribute start
    DWORD ValueOffset; // resident: from the attribute start
    DWORD ValueLength; // resident
    DWORD RunsOffset;  // non-resident: from the attribute start
    ULONGLONG RealSize;
};

// True when the buffer holds a "FILE" record whose header fields lie inside it.
bool IsMftRecord(const BYTE* record, DWORD size);
// Walks the attributes: start with *cursor = 0; each call gives the next attribute that passed the
// bounds checks, false at the end of the list or at the first damaged attribute.
bool NextAttribute(const BYTE* record, DWORD size, DWORD* cursor, NtfsAttribute* attr);
// True when the attribute's name equals the given ASCII name ("" for an unnamed attribute).
bool AttributeNameIs(const BYTE* record, const NtfsAttribute& attr, const char* name);

// The resident $FILE_NAME of the given namespace (0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS), with its creation
// and last-modification times. With readFlag the record is read from sector (two sectors, fixups applied) into
// record first.
int GetFileNameAttr(DWORD sector, WCHAR* name, DWORD* parent, ULONGLONG* creation, ULONGLONG* modified,
                    BYTE nameSpace, BYTE* record, int readFlag);
// The record's name in the first namespace that holds one, in the order 1, 3, 0, 2.
int GetBestFileName(const BYTE* record, WCHAR* name, DWORD* parent, ULONGLONG* creation, ULONGLONG* modified);
// The last-modification time of a base record's $STANDARD_INFORMATION; false when it has none. A file's
// $FILE_NAME times are those of its creation or last rename, so this is the time its contents last changed.
bool GetStandardModifiedTime(const BYTE* record, ULONGLONG* modified);
int GetDataAttrSize(DWORD sector, ULONGLONG* size, BYTE* record, int readFlag);
// First unnamed $DATA: 1 resident, 2 non-resident, 0 none; its offset in the record.
int FindDataAttr(const BYTE* record, DWORD* offset);

// The record numbers holding a record's pieces: the record itself, then those its attribute list names
// (each once). A list held outside the record is read from the volume in PartitionParams, or from the given place.
constexpr int kMaxRecordPieces = 50;
extern DWORD RecordPieces[kMaxRecordPieces];
extern WORD RecordPieceCount;
// The most of an attribute list read: far more entries than a record can have pieces.
constexpr ULONGLONG kMaxRecordListBytes = 64 * 1024;
void CollectAttributeList(const BYTE* record, DWORD recordNumber);
void CollectAttributeList(const BYTE* record, DWORD recordNumber, const AttributeListPlace& place);

// A base record with the extension records its attribute list names, where its names, times, size and folder
// index are looked for. Extension records are read only when the base record lacks what is asked, and only those
// that name the base record as theirs are taken.
enum class ExtensionLookup {
    RunTable, // through the MFT run table (the quick scan, a loaded result)
    Distance, // at their distance from the base record in the MFT (a full scan's result, which has no table)
};
class MftRecordGroup {
public:
    // Records of the volume in PartitionParams.
    MftRecordGroup(const BYTE* base, DWORD number, DWORD sector, ExtensionLookup lookup = ExtensionLookup::RunTable);
    // The full scan, which has no run table: extensions at their distance from the base record in the MFT (the
    // base knows its own number), a list held outside the record read on the volume whose NTFS boot sector the
    // sweep met last before it.
    static MftRecordGroup FromSweep(const BYTE* base, DWORD sector);

    // The first name in the namespace order 1, 3, 0, 2, the base record's before its extensions', with its parent
    // and creation time; modified is the base record's $STANDARD_INFORMATION time, else the name's own.
    bool Name(WCHAR* name, DWORD* parent, ULONGLONG* creation, ULONGLONG* modified) const;
    // The unnamed $DATA's size and the sector of the record that holds it.
    bool DataSize(ULONGLONG* size, DWORD* sector) const;
    // The folder's own number as its $I30 index root's first entry names it as the parent (0 when none).
    DWORD FolderNumber() const;
    // The first cluster of the folder's $I30 index allocation (0 when none).
    DWORD IndexAllocationCluster() const;
    // Every extension record that could be read, and whether all that the list names were.
    const std::vector<std::vector<BYTE>>& Extensions() const;
    bool AllExtensionsRead() const;

private:
    // Runs a test over the base record, then over each extension record, until one answers.
    template <typename Test> bool AnyRecord(Test test) const;
    void ReadExtensions() const;

    const BYTE* base_;
    DWORD number_;
    DWORD sector_;
    bool distance_;
    bool swept_ = false; // a list held outside the record lies on the volume the sweep met
    mutable bool read_ = false;
    mutable bool complete_ = true;
    mutable std::vector<std::vector<BYTE>> records_;
    mutable std::vector<DWORD> sectors_;
};

// Reads the two sectors of an MFT record and applies its fixups; false when unreadable or not a record.
bool ReadMftRecord(DWORD sector, BYTE* record);

// Full-scan builders: one MFT record found anywhere, one INDX block.
void AddMftRecordEntry(DWORD sector);
int AddIndexBlockEntry(DWORD sector, const BYTE* firstSector);

// The NTFS half of the boot-sector check; see ReadBootParameters.
int ReadNtfsBootParameters();
