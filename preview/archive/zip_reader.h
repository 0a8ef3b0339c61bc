// The zip handle API: open an archive from a file name or a memory block, read its entry records,
// extract an entry into memory, a file or a folder tree; and the writer, which makes an archive of
// files, folders and memory blocks. Every call keeps its result in ZipLastError.
#pragma once

#include "win32/win32.h"

// Result codes of the handle API.
enum : DWORD {
    ZIPR_OK = 0,
    ZIPR_NO_DUPLICATE = 0x100,    // the given file handle could not be duplicated
    ZIPR_NO_FILE = 0x200,         // the archive file could not be opened, or the target not created
    ZIPR_WRITE = 0x400,           // extraction: reading the entry or writing it failed; writer: a write failed
    ZIPR_MORE = 0x600,            // memory extraction: the buffer is full, more may follow
    ZIPR_CORRUPT = 0x700,         // no archive, or the local header disagrees with the directory
    ZIPR_READ = 0x800,            // the entry's local extra field could not be read
    ZIPR_ARGS = 0x10000,          // null handle, index out of range, unknown kind
    ZIPR_MEMSIZE = 0x30000,       // writer with a memory target: the block is too small
    ZIPR_WRONG_KIND = 0x80000,    // a reader given to a writer operation, or the reverse
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
// Kind 3 (memory): `target` is a buffer of `length` bytes; call again while it answers 0x600.
// Kind 2: `target` is a file name, relative to the folder that was current when the archive was opened;
// its folders are made there. A folder entry makes its own folder there and ignores the target. Kind 1:
// `target` is an open file handle, left open. A name that would lead out of that folder (absolute, a
// drive letter, a ".." step) is refused with 0x200 and nothing is written. The file gets the entry's
// attributes and times; a member that cannot be read whole, or fails its CRC, gives 0x400.
DWORD ZipExtractEntry(ZipHandle handle, int index, void* target, DWORD length, DWORD kind);
DWORD ZipCloseArchive(ZipHandle handle);
bool ZipIsReader(ZipHandle handle);

// Makes every folder of `path` (parents first) under `base`, which ends in a separator; folders that
// exist are no error.
void CreateFolderChain(LPCWSTR base, LPCWSTR path);

// A writer: kind 2, `target` is a file name, created (replacing a file of that name); kind 3, `target`
// is a memory block of `length` bytes that the caller keeps alive until the close. Kind 1 (a file
// handle) cannot be duplicated here: 0x100. Null on failure, with the reason in ZipLastError.
ZipHandle ZipCreateArchive(const void* target, DWORD length, DWORD kind);
// Adds a member named `name` (as it will be stored; "/" separates its folders): kind 2, `source` is the
// name of a file, whose bytes, attributes and time are taken, or of a folder, which gives a folder
// entry; kind 3, `source` is `length` bytes, stamped with the current time. Members are deflated
// unless that would not make them smaller.
DWORD ZipAddEntry(ZipHandle handle, LPCWSTR name, const void* source, DWORD length, DWORD kind);
// Writes the central directory and the end record and frees the writer: 0, or 0x400 when a write
// failed, 0x30000 when a memory target was too small (nothing more is written into it then). The
// archive's length in bytes goes to `written` when it is given. A reader handle gets 0x80000, null
// 0x10000.
DWORD ZipCloseWriter(ZipHandle handle, DWORD* written = nullptr);
