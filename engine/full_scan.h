// The full scan: a sector sweep that collects file-system anchors, and their analysis into volumes.
#pragma once

#include "win32/types.h"

// Largest run the sweep reads at once.
constexpr DWORD kMaxSectorsPerRun = 100;
// More FAT boot-sector candidates than this stop the sweep.
constexpr DWORD kMaxFatBootSectors = 60000;

// Sets the run flags, empties the full-scan lists and starts FullScanThread; the page then waits for the
// worker's finished signal.
void StartFullScan();
// The worker: the sweep chosen by PartitionFsType, then the analysis; ends with MarkWorkerFinished.
UINT FullScanThread(LPVOID page);
void FullScanFat();
void FullScanNtfs();

// The analysis of what the sweep collected (run by the worker right after the sweep).
void FinishFullScan();
void AnalyseFatVolumes();
void RebuildFatVolumes();
int RebuildFatVolume(struct DirSectorRecord* anchor);
void SearchUnallocatedItems();
void NumberMftRecords();
void DropUnusedIndexEntries();
void AnalyseNtfsVolumes();
void RebuildNtfsVolumes();
int ClassifyFoundItems(DWORD origin, DWORD spc, DWORD end, int step);
// The sweep meets the MFT mirror's copies of the first MFT records as well as the records themselves:
// each of those record numbers stays listed once per NTFS volume, the copy in the MFT where its place
// is known. The second form does the same for the files of a loaded full-scan snapshot (its volume is
// the one in PartitionParams); snapshots written before kept both copies.
void DropMftMirrorCopies();
void DropLoadedMftMirrorCopies();

// Completion flags of the two analysis steps; set whatever was found.
extern volatile DWORD VolumeFoundFlag;
extern volatile DWORD RebuiltVolumeFound;
// Records in the directory-sector list (the list itself lives with the other found-record lists).
extern DWORD DirSectorRecordCount;
// Volumes the analysis added so far; the n-th volume has the number n.
extern WORD FullScanVolumeCount;
