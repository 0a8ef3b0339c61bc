// The zip reader's handle API: open an archive from a file name or a memory block, read its entry
// records, extract an entry into memory. Every call keeps its result in ZipLastError.
#pragma once

#include "win32/win32.h"

// Result codes of the handle API.
enum : DWORD {
    ZIPR_OK = 0,
    ZIPR_NO_DUPLICATE = 0x100,    // the given file handle could not be duplicated
    ZIPR_NO_FILE = 0x200,         // the archive file could not be opened
    ZIPR_WRITE = 0x400,           // reading the entry failed during extraction
    ZIPR_MORE = 0x600,            // memory extraction: the buffer is full, more may follow
    ZIPR_CORRUPT = 0x700,         // no archive, or the local header disagrees with the directory
    ZIPR_READ = 0x800,            // the entry's local extra field could not be read
    ZIPR_ARGS = 0x10000,          // null handle, index out of range, unknown kind
    ZIPR_MEMSIZE = 0x30000,
    ZIPR_WRONG_KIND = 0x80000,    // a reader given to a writer operation
    ZIPR_ALREADY_OPEN = 0x1000000,
    ZIPR_NOT_DISK_FILE = 0x2000000,
    ZIPR_INFLATE = 0x5000000,     // memory extraction: inflating failed
};

// Kinds of source and target.
enum : DWORD { ZIP_HANDLE = 1, ZIP_FILENAME = 2, ZIP_MEMORY = 3 };

// One entry's record; with index -1 the index field holds the number of entries.
struct ZipItemInfo {
    int index;
    WCHAR name[260];
    DWORD attributes;
    FILETIME accessTime;
    FILETIME creationTime;
    FILETIME modificationTime;
    int compressedSize;
    int uncompressedSize;
};

struct ZipHandleRecord;
typedef ZipHandleRecord* ZipHandle;

extern DWORD ZipLastError;

// Null when the source holds no readable zip archive (ZipLastError then says why: 0x700 for data
// that is not an archive). The memory kind reads `length` bytes that the caller keeps alive.
ZipHandle ZipOpenArchive(const void* source, DWORD length, DWORD kind);
DWORD ZipGetEntry(ZipHandle handle, int index, ZipItemInfo* info);
// Memory extraction only (kind 3): call again while it answers 0x600. The file kinds, which would
// write files under names taken from the archive, are not provided: 0x10000.
DWORD ZipExtractEntry(ZipHandle handle, int index, void* target, DWORD length, DWORD kind);
DWORD ZipCloseArchive(ZipHandle handle);
bool ZipIsReader(ZipHandle handle);
// Nothing makes writer handles: a reader gets 0x80000, null 0x10000.
DWORD ZipCloseWriter(ZipHandle handle);
