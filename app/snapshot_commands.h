// Snapshot files as the frame and the command line open them: the type letter that names the scan mode,
// and the found-file list's columns for a mode.
#pragma once

#include "afx/afx.h"
#include "afx/list_ctrl.h"

// The message for a file that is not a snapshot of this program.
extern const WCHAR kInvalidSnapshotText[];

enum class SnapshotLetter { Known, Unknown, Unreadable };
// Reads the file's first UTF-16 character (read-only): "A" full scan (0), "R" file tracing (1), "D" quick
// scan (2) set *mode; Unreadable when the file cannot be opened or holds less than one character.
SnapshotLetter ReadSnapshotLetter(const CString& path, DWORD* mode);
// The path without its double quotes, as the shell's open command passes it.
CString StripQuotes(const CString& path);
// The message for a snapshot file that cannot be opened or read.
CString SnapshotUnreadableText(const CString& path);
// A text made safe for the HTML message box: markup characters become entities.
CString HtmlEscaped(const CString& text);

// Removes every column of the found-file list and adds those of the scan mode.
void RebuildFoundListColumns(CListCtrl* list, DWORD scanMode);
