// FAT directory entries: short and long names, and the parse of directory sectors into found records.
#pragma once

#include "win32/types.h"

constexpr int kFatLongNameChars = 256; // room for the longest name and its terminator
constexpr int kMaxLongNameEntries = 20;

// Long-name entries at the end of the sectors already parsed of one directory, so that a name
// whose entries lie across a sector or cluster boundary is still found. One per directory walk.
struct FatDirWalk {
    BYTE Carry[kMaxLongNameEntries * 32];
    int CarryCount = 0;
    void Reset() { CarryCount = 0; }
};

// 0 when the name holds a character 1 to 31 or one of " \ / ? * < > |, else 1.
int IsValidFileName(const WCHAR* name);
// The 8.3 name of a short entry, decoded from the OEM code page 936 (blanks dropped, a point only
// before a non-blank extension, the entry's lower-case bits applied to base and extension); the
// first character of a deleted entry becomes 'x'. Returns true when the entry is marked deleted.
bool BuildShortName(const BYTE* entry, WCHAR* out);
// True when a sector reads as the start of a directory's entries: at least one entry in use (live or deleted) before
// its end mark, and every entry before that mark well formed (short names without control or reserved characters,
// long-name entries with their fixed fields). Directory clusters found by no "." entry (a FAT32 root) are known
// this way.
bool IsDirectoryEntrySector(const BYTE* sector);
// Checksum of an 8.3 name that its long-name entries carry.
BYTE ShortNameChecksum(const BYTE* entry);
// The long name of the short entry at entries[index], walking back over the entries before it in
// the same contiguous buffer. A live entry needs ordinals 1..n, the last flagged 0x40, and matching
// checksums; a deleted entry takes the run of deleted long-name entries right before it.
bool ReadLongFileName(const BYTE* entries, int index, WCHAR* out);
// The same within one 512-byte sector, the short entry at byte offset shortOffset.
bool ReadLongFileName(const BYTE* sector, WCHAR* out, int shortOffset);

// Parses one directory sector from firstIndex into FAT folder and file records, showing progress.
// endFlag is set at the entry that ends the directory. walk carries long names across sectors.
void ParseFatDirectory(const BYTE* sector, DWORD parentId, int* endFlag, DWORD sectorNumber,
                       DWORD parentDeleted, int firstIndex, FatDirWalk* walk = nullptr);
// The same over consecutive sectors, without display; directories name existing folder records
// of the same first cluster and parent instead of adding records.
void ParseFatDirectorySectors(const BYTE* buffer, DWORD parentId, int* endFlag, DWORD firstSector,
                              DWORD sectorCount, DWORD parentDeleted, int firstIndex,
                              FatDirWalk* walk = nullptr);
