// The engine's one road to the user interface: messages, progress of the running step, and found items.
#pragma once

#include "win32/types.h"

#include <cstddef>

// Message kinds of the message protocol.
enum EngineMessageKind { ENGINE_MSG_INFO = 1, ENGINE_MSG_ERROR = 2, ENGINE_MSG_QUESTION = 3 };

// Status texts of the running step that the scan page shows.
enum EngineStatusField {
    ENGINE_STATUS_MAIN = 0,   // what the step is doing
    ENGINE_STATUS_SECTOR = 1, // the sector being read
    ENGINE_STATUS_NAME = 2,   // the entry being parsed
};

// Counters of the running step.
enum EngineCounter {
    ENGINE_COUNT_FOLDERS = 0,
    ENGINE_COUNT_FILES = 1,
    ENGINE_COUNT_UNREADABLE_SECTORS = 2,
};

// Tree items of the found-folder tree are 32-bit handles with the top bit set, so they never equal
// a file id or sector number shown in the same list; 0 is never a valid item.
constexpr DWORD FOUND_TREE_ITEM_FLAG = 0x80000000u;
constexpr DWORD FOUND_TREE_ROOT = 0; // parent of the top-level items

// One row of the found-file list, as the engine knows it; the application picks icons and type texts.
struct FoundFileRow {
    const WCHAR* Name;
    BOOL IsFolder;
    BOOL Deleted;
    ULONGLONG Size;
    ULONGLONG Modified; // FILETIME value, 0 when unknown
    DWORD ItemData;     // file id or tree item the row stands for
    // Date columns as the filler wrote them (FAT dates and NTFS times read differently); null when none.
    const WCHAR* CreatedText = nullptr;
    const WCHAR* ModifiedText = nullptr;
};

class IEngineUi {
public:
    virtual ~IEngineUi() = default;

    // Message protocol: a statement (information or error) the user acknowledges ...
    virtual void ShowMessage(const WCHAR* text, EngineMessageKind kind) = 0;
    // ... or a yes/no question; true for yes.
    virtual bool AskYesNo(const WCHAR* text) = 0;

    // Progress of the running step (0 to 100), its status texts and counters.
    virtual void SetProgress(UINT percent) = 0;
    virtual void SetStatusText(EngineStatusField field, const WCHAR* text) = 0;
    virtual void SetCounter(EngineCounter counter, ULONGLONG value) = 0;

    // Drive, volume and partition items that a scan adds to the drive page.
    virtual void AddDriveItem(const WCHAR* text, DWORD index) = 0;

    // Found-folder tree.
    virtual DWORD InsertFolderItem(DWORD parent, const WCHAR* text, BOOL deleted) = 0;
    virtual void SetFolderItemColor(DWORD item, COLORREF color) = 0;
    virtual void ExpandFolderItem(DWORD item) = 0;

    // Found-file list.
    virtual void ClearFileRows() = 0;
    virtual void AddFileRow(const FoundFileRow& row) = 0;

    // The calls below have quiet defaults, so a port that has no use for them need not override them.
    // Whether the lost-partition search should sweep a disk that already lists partitions.
    virtual bool AskPartitionSearch() { return false; }
    // The progress-wait dialog of a list fill that the user started from the tree (percent 0 to 100).
    virtual void BeginListProgress() {}
    virtual void SetListProgress(UINT) {}
    virtual void EndListProgress() {}
    // Several rows of the found-file list in their order, handed over at once: a port whose list lives on
    // another thread takes them in one crossing. The texts are the caller's until the call returns.
    virtual void AddFileRows(const FoundFileRow* rows, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            AddFileRow(rows[i]);
    }
    // Ticks a row of the found-file list (the "Parent..." row of a FAT folder).
    virtual void CheckFileRow(int) {}
    // The save dialog: the file being written (where: its path or folder), the count saved so far, its progress.
    virtual void ShowSaveFile(const WCHAR*, const WCHAR*, DWORD) {}
    virtual void SetSaveProgress(UINT) {}
    // The full scan's counter rows of the scan page's side pane (rows 1 to 5).
    virtual void SetScanRow(int, ULONGLONG) {}
    // The found-volumes tree of the volume choice page: an item under parent (FOUND_TREE_ROOT for the
    // top level), and expanding one. 0 when the port keeps no tree.
    virtual DWORD InsertVolumeItem(DWORD, const WCHAR*) { return 0; }
    virtual void ExpandVolumeItem(DWORD) {}
    // Removes an item of the found-folder tree with everything below it.
    virtual void DeleteFolderItem(DWORD) {}
    // The drive tree of the drive page: its root expanded after partitions were listed.
    virtual void ExpandDriveRoot() {}
    // The running page's Stop button shown and enabled, or hidden and disabled.
    virtual void ShowStopButton(bool) {}
    // The found-file list switched to its report view (columns), as an extraction leaves it.
    virtual void ShowFileListAsReport() {}
    // Called on a worker as the last step before its finished signal is set: a page that waits for the end
    // can move on at once instead of at its next poll.
    virtual void WorkerFinishing() {}
    // The results page's static under the list that shows the ticked items' size.
    virtual void SetSelectedSizeText(const WCHAR*) {}
    // The shell's folder browser owned by the results page: true and the chosen path (at most
    // pathChars characters with its terminator), false when the user cancelled.
    virtual bool BrowseForFolder(const WCHAR*, WCHAR*, int) { return false; }
};

// The port in force; a silent one (questions answered no) until the application or a test sets its own.
IEngineUi& EngineUi();
// Installs a port (nullptr restores the silent one). The caller keeps ownership.
void SetEngineUi(IEngineUi* ui);
