// The application's side of the engine's port: every call reaches the user interface on its own thread.
//
// On the user-interface thread a call acts at once. From a worker, messages, questions and calls that return
// a value or touch a tree or list are sent to the dispatch window (the main frame) and served on the UI thread
// while the worker waits; progress, status texts, counters and scan rows only store their latest value and
// post one message when none is pending, so the worker never waits for them. Those values reach the controls
// at most 25 times a second (each one repaints its control, and a sweep makes thousands a second); what waits
// is shown at the next turn, and a worker's end shows every value at once. The UI thread must therefore
// never block in a plain wait on a worker: it pumps (PumpUntilWorkerFinished) or polls from a timer.
#pragma once

#include "afx/afx.h"
#include "engine/ui_port.h"

#include <functional>
#include <map>
#include <mutex>

class CProgressWaitDlg;

// The private messages of the dispatch window; the window passes both to ServeMessage.
#define WM_ENGINE_UI_SENT (WM_APP + 0x40)
#define WM_ENGINE_UI_POSTED (WM_APP + 0x41)

class CAppEngineUi : public IEngineUi {
public:
    // The calling thread becomes the user-interface thread.
    CAppEngineUi();
    ~CAppEngineUi() override;

    // The window whose thread serves the workers' calls (the main frame, once it exists).
    void SetDispatchWindow(HWND hwnd) { m_hwndDispatch = hwnd; }
    HWND GetDispatchWindow() const { return m_hwndDispatch; }
    bool IsUiThread() const;

    // Runs fn on the user-interface thread and returns once it ran (true), or false when no window can
    // serve it (before the frame exists or after it is gone).
    bool RunOnUiThread(const std::function<void()>& fn);
    // Keeps fn as the latest update for key and posts one message when none is pending; on the UI thread
    // it runs at once (and a pending older update of the key is dropped).
    void PostLatest(ULONGLONG key, std::function<void()> fn);
    // The dispatch window's handler of the two private messages; TRUE when the message was one of them.
    BOOL ServeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Runs the pending posted updates now (the frame calls it before it goes, a dialog before it shows its
    // run's end).
    void FlushPosted();
    // Shortest time between two deliveries of posted updates, and the dispatch window's timer that delivers
    // the ones that came sooner.
    static constexpr DWORD kPostedIntervalMs = 40;
    static constexpr UINT_PTR kPostedTimerId = 0xE4E7;

    // ---- Message protocol
    void ShowMessage(const WCHAR* text, EngineMessageKind kind) override;
    bool AskYesNo(const WCHAR* text) override;

    // ---- Progress-wait dialog of a list fill
    void BeginListProgress() override;
    void SetListProgress(UINT percent) override;
    void EndListProgress() override;

    // ---- The save run's dialog and the destination (engine_ui_save.cpp)
    void ShowSaveFile(const WCHAR* where, const WCHAR* name, DWORD count) override;
    void SetSaveProgress(UINT percent) override;
    bool BrowseForFolder(const WCHAR* title, WCHAR* path, int pathChars) override;

    // ---- The drive and scan pages' calls (engine_ui_front_pages.cpp)
    void SetProgress(UINT percent) override;
    void SetStatusText(EngineStatusField field, const WCHAR* text) override;
    void SetCounter(EngineCounter counter, ULONGLONG value) override;
    void AddDriveItem(const WCHAR* text, DWORD index) override;
    void SetScanRow(int row, ULONGLONG value) override;
    void WorkerFinishing() override;
    void ShowStopButton(bool show) override;
    void ExpandDriveRoot() override;
    bool AskPartitionSearch() override;

    // ---- The results pages' trees and list (engine_ui_results.cpp)
    DWORD InsertFolderItem(DWORD parent, const WCHAR* text, BOOL deleted) override;
    void SetFolderItemColor(DWORD item, COLORREF color) override;
    void ExpandFolderItem(DWORD item) override;
    void DeleteFolderItem(DWORD item) override;
    void ClearFileRows() override;
    void AddFileRow(const FoundFileRow& row) override;
    void AddFileRows(const FoundFileRow* rows, size_t count) override;
    void CheckFileRow(int row) override;
    void ShowFileListAsReport() override;
    void SetSelectedSizeText(const WCHAR* text) override;
    DWORD InsertVolumeItem(DWORD parent, const WCHAR* text) override;
    void ExpandVolumeItem(DWORD item) override;

    // Keys of the posted updates: a kind in the high word and the field, counter or row in the low one.
    enum PostedKind : ULONGLONG { POSTED_PROGRESS = 1, POSTED_STATUS, POSTED_COUNTER, POSTED_SCAN_ROW,
                                  POSTED_LIST_PROGRESS, POSTED_SAVE_PROGRESS, POSTED_PAGE_FIRST = 0x100,
                                  // Served after every value of its delivery, and delivered without delay.
                                  POSTED_WORKER_END = 0xFFFF };
    static ULONGLONG PostedKey(ULONGLONG kind, ULONGLONG index = 0) { return (kind << 32) | index; }

private:
    DWORD m_dwUiThread;
    HWND m_hwndDispatch = nullptr;
    std::mutex m_lock;
    std::map<ULONGLONG, std::function<void()>> m_posted;
    bool m_bPostPending = false;  // a delivery is posted or its timer is set
    bool m_bTimerSet = false;
    bool m_bDelivered = false;    // m_dwLastDelivery holds a time
    DWORD m_dwLastDelivery = 0;
    void PostDelivery();
    void ShowListPosition(UINT percent);

    CProgressWaitDlg* m_pListProgress = nullptr;
    int m_nListProgressDepth = 0;      // positions being shown, one inside the other
    bool m_bListProgressEnded = false; // the fill ended while a position was being shown
};

// The port the application installed, or null (tests that use a recording port of their own).
CAppEngineUi* AppEngineUi();
// Installs the port (and SetEngineUi); null uninstalls it.
void InstallAppEngineUi(CAppEngineUi* ui);

// Serves messages (sent ones included) until the engine's worker has set its finished signal, or until the
// time-out; true when it finished. The UI thread's only way to wait for a worker.
bool PumpUntilWorkerFinished(DWORD timeoutMs = INFINITE);
// The same for any condition that a worker sets.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = INFINITE);
