// Turning one volume of a full scan's result into the folder and file lists of a quick scan.
#pragma once

#include "win32/types.h"

// Copies the found volume whose tree item this is into PartitionParams (its number into the volume field).
// Returns that number (counted from 1 along the volume list), 0 when no volume has the item.
WORD SelectFoundVolume(DWORD treeItem);

// Sets the run flags and starts ExtractWorkerProc; the page then waits for the worker's finished signal.
void StartExtraction();
// The worker: the FAT or NTFS extraction by FsType, then the list of the top folder; ends with
// MarkWorkerFinished.
UINT ExtractWorkerProc(LPVOID page);

void ExtractFatVolume();
void AddLostFatFolders();
void SearchLostFat();
void ReadFatVolumeDirectories();
void ExtractNtfsVolume();
// number: the running number of the made-up "Dir" folders.
void AddLostNtfsFolders(DWORD* number);
