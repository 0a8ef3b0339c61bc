// The quick scan: a volume's own FAT directory tree or NTFS master file table read into the found lists.
#pragma once

#include "win32/types.h"

// Record number of the made-up folder that gathers NTFS entries whose folder record is gone.
constexpr DWORD kLostDirRecord = 0xFFFFFFFE;
constexpr DWORD kNtfsRootRecord = 5;

// Sets the run flags and starts QuickScanThread; the page then waits for the worker's finished signal.
void StartQuickScan();
// The worker: opens the volume, finds its layout, reads it, builds the tree and fills the list. Ends
// with MarkWorkerFinished; a failed run sets ScanFailedFlag and says why.
UINT QuickScanThread(LPVOID page);
void BuildFatDirectoryTree();
void ReadMftEntries();
void SearchLostNtfsData();
