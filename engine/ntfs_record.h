// NTFS boot sector, MFT records and their attributes, and the found-record builders of the full scan.
#pragma once

#include "win32/types.h"

constexpr DWORD kMftRecordSize = 1024;
constexpr int kNtfsNameChars = 256; // the longest name and its terminator

enum : DWORD {
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

// The resident $FILE_NAME of the given namespace (0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS).
// With readFlag the record is read from sector (two sectors, fixups applied) into record first.
int GetFileNameAttr(DWORD sector, WCHAR* name, DWORD* parent, ULONGLONG* creation, ULONGLONG* change,
                    BYTE nameSpace, BYTE* record, int readFlag);
// The record's name in the first namespace that holds one, in the order 1, 3, 0, 2.
int GetBestFileName(const BYTE* record, WCHAR* name, DWORD* parent, ULONGLONG* creation, ULONGLONG* change);
int GetDataAttrSize(DWORD sector, ULONGLONG* size, BYTE* record, int readFlag);
// First unnamed $DATA: 1 resident, 2 non-resident, 0 none; its offset in the record.
int FindDataAttr(const BYTE* record, DWORD* offset);

// The record numbers holding a record's pieces: the record itself, then those its resident
// attribute list names (each once).
constexpr int kMaxRecordPieces = 50;
extern DWORD RecordPieces[kMaxRecordPieces];
extern WORD RecordPieceCount;
void CollectAttributeList(const BYTE* record, DWORD recordNumber);

// Reads the two sectors of an MFT record and applies its fixups; false when unreadable or not a record.
bool ReadMftRecord(DWORD sector, BYTE* record);

// Full-scan builders: one MFT record found anywhere, one INDX block.
void AddMftRecordEntry(DWORD sector);
int AddIndexBlockEntry(DWORD sector, const BYTE* firstSector);

// The NTFS half of the boot-sector check; see ReadBootParameters.
int ReadNtfsBootParameters();
