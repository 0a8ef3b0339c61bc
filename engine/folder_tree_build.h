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

// File-tracing results: one group item per file-type text, one item per extension below it.
void BuildTracedFolderTree(DWORD topItem);
void AddTracedGroupFiles(DWORD groupItem, const WCHAR* groupText);
