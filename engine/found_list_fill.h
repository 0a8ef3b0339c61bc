// Filling the found-file list with one folder's rows, and the date texts of its columns.
#pragma once

#include "win32/types.h"

// 1 once the user has selected a folder in the found-folder tree: only then the fillers show their
// progress dialog.
extern DWORD FolderBrowseActive;

void ShowFatFolder(DWORD folderId);
// Quick-scan NTFS rows; after a full scan of an NTFS volume the full-scan filler takes over.
void ShowNtfsFolder(DWORD folderId);
void ShowNtfsFullScanFolder(DWORD folderId);
// File-tracing rows of a tree item: with groupFlag the files of one file-type group; without it the
// group rows for "Root" (any case), else the files whose extension is the text (any case).
void ShowTracedFolder(const WCHAR* text, BOOL groupFlag);

// Whether a full scan's file record (its sector) belongs to the chosen volume: from its data origin to
// its end sector, both included. The list, the ticks and the search all use this one rule.
bool InChosenVolume(DWORD recordSector);

// "d-m-yyyy h:m:s" of a FILETIME (UTC), or "" when it does not convert.
WCHAR* FileTimeToText(DWORD low, DWORD high, WCHAR* buffer);
// "dd-mm-yyyy " of a FAT date word.
WCHAR* FatDateToText(WORD date, WCHAR* buffer);
