// Snapshot files (.dmk): a scan's result written to a file and loaded again without scanning.
#pragma once

#include "win32/types.h"

#include <string>
#include <vector>

enum class SnapshotStatus {
    Ok,
    CannotOpen,   // the file could not be opened or created
    BadMagic,     // not a snapshot of this program
    BadVersion,   // a snapshot of another version
    Invalid,      // cut short, a field out of range, or records that contradict each other
    WriteFailed,  // a write or the close failed; the partial file was removed
};

// The text the user is shown for a status (empty for Ok).
std::u16string SnapshotStatusText(SnapshotStatus status);

// The name a chosen file is saved under: ".dmk" appended unless it already ends so (in any case).
std::u16string SnapshotFileName(const std::u16string& chosen);

// The file's bytes for the current results; the type letter follows ScanMode (0 "A", 1 "R", 2 "D").
std::vector<BYTE> EncodeSnapshot();

// Checks a whole snapshot and only then replaces the current results with it: lists, counts, PartitionParams (its
// root field kept), ScanMode and the drive words; the run flags become those of a finished run. On any error the
// current results are left as they were.
SnapshotStatus LoadSnapshotBytes(const BYTE* data, size_t size);

// Writes EncodeSnapshot() to the path; every write and the close are checked, and a partial file is deleted. A
// failure is told to the user.
SnapshotStatus WriteSnapshotFile(const WCHAR* path);

// Reads the file (read-only) and loads it; then opens the recorded disk and volume again, checks that the volume
// still looks like the one saved, and rebuilds the NTFS run table from it. Problems with the disk after a good load
// are told to the user as warnings; the load stands. Errors are told to the user too.
SnapshotStatus ReadSnapshotFile(const WCHAR* path);
