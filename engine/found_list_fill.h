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

// "d-m-yyyy h:m:s" of a FILETIME (UTC), or "" when it does not convert.
WCHAR* FileTimeToText(DWORD low, DWORD high, WCHAR* buffer);
// "dd-mm-yyyy " of a FAT date word.
WCHAR* FatDateToText(WORD date, WCHAR* buffer);
