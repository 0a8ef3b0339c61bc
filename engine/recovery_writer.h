// The recovery writer: found files and folders copied out of the scanned disk into a destination.
#pragma once

#include "engine/engine_state.h"
#include "win32/types.h"

#include <string>
#include <unordered_set>
#include <vector>

constexpr int kDestinationChars = 520;
extern WCHAR DestinationFolder[kDestinationChars];
// The time restored on the file being written: a FILETIME (NTFS: its creation time) or a FAT date
// word in its low bits.
extern ULONGLONG RecoveryFileTime;
// NTFS: the last-write and last-access time of the file being written, the record's second time,
// which the found-file list shows as modified.
extern ULONGLONG RecoveryWriteTime;
// Sets both NTFS times from a record's two FILETIMEs.
void SetNtfsRecoveryTimes(DWORD creationLow, DWORD creationHigh, DWORD changeLow, DWORD changeHigh);
// FAT: the entry's time words beside the date in RecoveryFileTime.
extern FatEntryTimes RecoveryFatTimes;
// Sets RecoveryFileTime and RecoveryFatTimes from a FAT file's record.
void SetFatRecoveryTimes(const FatEntryRecord& record);
// Files the save run has started, for the save dialog's counter.
extern DWORD SavedFileCount;
// Megabytes written for each file found by file tracing (set by the file-type dialog).
extern DWORD TracedFileSize;

// What a save run did, file by file, so that its result can be reported honestly.
struct SaveRunTally {
    DWORD Written = 0;    // complete files
    DWORD Skipped = 0;    // left out by the filter, the deleted-file or the duplicate mode
    DWORD Failed = 0;     // not created, or written short or from unreadable sectors
    ULONGLONG UnreadableSectors = 0;
};
extern SaveRunTally SaveTally;
void ResetSaveTally();

// Writers: 1 when the file was written whole, 0 when it was skipped or failed (see SaveTally).
// withDialog 0 is the preview's copy: no filter, no modes, no progress.
int RecoverNtfsFile(const WCHAR* folder, const WCHAR* name, DWORD sizeLow, DWORD sizeHigh, DWORD recordSector,
                    int withDialog, DWORD deleted);
int RecoverFatFile(const WCHAR* folder, DWORD fileId, int withDialog, DWORD startCluster, DWORD size,
                   const WCHAR* name, DWORD deleted);
// A traced file: TracedFileSize MiB of raw sectors from its start sector.
int RecoverTracedFile(const WCHAR* folder, DWORD fileNumber, int withDialog, DWORD startSector, const WCHAR* name);
// The preview's raw copy of a traced file; folder ends with its separator.
int SaveTracedExtent(const WCHAR* folder, const WCHAR* name, DWORD startSector);

// Folders: created under folder and filled with their files and sub-folders, each folder once.
void RecoverFatFolder(DWORD item, DWORD firstCluster, const WCHAR* folder, const WCHAR* name);
void RecoverNtfsFolder(DWORD item, DWORD folderId, const WCHAR* folder, const WCHAR* name);

// What the user unticked inside folders that are otherwise written whole: branches left out (their
// tree items), folders only partly ticked (tree items), whose files are written only when ticked (file
// ids as the list keeps them). Empty sets write every folder whole.
struct RecoveryExclusions {
    std::unordered_set<DWORD> UntickedFolders;
    std::unordered_set<DWORD> PartialFolders;
    std::unordered_set<DWORD> TickedFiles;
    bool Empty() const { return UntickedFolders.empty() && PartialFolders.empty(); }
};

// The save run's body: the ticked folders (tree items) and files (ids) into DestinationFolder, leaving
// out what the exclusions name. A file written inside its folder is not written a second time on its
// own. When the destination lies on a disk being read, asks first and writes nothing on "no". The
// caller empties its ticked sets afterwards.
void RecoverSelection(const std::vector<DWORD>& folderItems, const std::vector<DWORD>& fileIds,
                      const RecoveryExclusions* exclusions = nullptr);
// True when writing to the folder cannot overwrite the source, or the user accepted the risk.
bool ConfirmDestination(const WCHAR* folder);

// Lets the user choose DestinationFolder with the folder browser; left empty when the user cancels.
void BrowseForDestination();
// Removes the preview's temporary copies (the list's set of them) and the folder "ssss" of plain files
// under the temporary folder. Nothing is reported.
void DeleteTempFiles(const std::vector<std::u16string>& previewTempFiles);

void RestoreNtfsFileTimes(const WCHAR* path);
void RestoreFatFileTimes(const WCHAR* path);
void SplitFatDate(WORD date, WORD* year, WORD* month, WORD* day);

// A name from the disk made safe as one path component: separators, control characters, "." and
// ".." become "_", so no name can leave the folder it is written into.
void SanitizeNameComponent(const WCHAR* name, std::vector<WCHAR>* out);
// Decompresses LZNT1 data of one compression unit; false when the data is malformed.
bool DecompressLznt1(const BYTE* in, size_t inSize, BYTE* out, size_t outSize, size_t* produced);
