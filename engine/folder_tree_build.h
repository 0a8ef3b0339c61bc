// The found-folder tree built from the found-record lists, through the engine's port.
#pragma once

#include "win32/types.h"

// Percent of the running tree build (items inserted against folders found).
extern DWORD TreeBuildPercent;

// Insert the folders below parentId under parentItem, depth first in list order, and store each
// item's handle in its record. Each folder id is expanded once, so records whose parents point at
// themselves or at each other end the walk instead of recursing forever.
void BuildFatFolderTree(DWORD parentItem, DWORD parentId);
void BuildNtfsFolderTree(DWORD parentItem, DWORD parentId);

// Ids of the made-up folder that gathers what lost its parent, and of the NTFS root folder.
constexpr DWORD kLostFolderId = 0xFFFFFFFE;
constexpr DWORD kNtfsRootFolderId = 5;
// After a build from the root: folders the build could not reach (their parents refer to each other
// in a cycle) are hung under the "Lost Dir" item, so none of them and none of their files vanish.
void HangUnreachedFatFolders();
void HangUnreachedNtfsFolders();

// The "Root" item of the found-folder tree: the last one inserted, so a load can remove it first.
extern DWORD FoundTreeRootItem;
DWORD InsertFoundTreeRoot();
void RemoveFoundTreeRoot();

// File-tracing results: one group item per file-type text, one item per extension below it.
void BuildTracedFolderTree(DWORD topItem);
void AddTracedGroupFiles(DWORD groupItem, const WCHAR* groupText);
