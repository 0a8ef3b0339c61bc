// PreviewHost: what the preview pane and its viewers need of the application around them (the main
// frame's preview words, the active document's preview path, the found-file list, the message dialog).
#pragma once

#include "afx/afx.h"

#include <memory>

class CMainPreviewView;

// The application's splitter bar: two existing windows as panes side by side (style 1) or one above the
// other, with a draggable bar between them.
class IPaneSplitter {
public:
    virtual ~IPaneSplitter() = default;
    virtual BOOL Create(DWORD dwStyle, CWnd* pParent, CWnd* pPane1, CWnd* pPane2, UINT nID, const RECT& rect,
                        int minimum1, int minimum2) = 0;
    virtual CWnd* GetWnd() = 0;
};

class IPreviewHost {
public:
    virtual ~IPreviewHost() = default;

    // The main frame's preview words (32-bit each).
    // 1 while the current preview succeeds; the pane sets it before it creates a viewer, a viewer
    // clears it when it cannot show its file.
    virtual LONG GetPreviewOkFlag() const = 0;
    virtual void SetPreviewOkFlag(LONG value) = 0;
    // Whether the current file's extension is one the pane can show.
    virtual LONG GetPreviewableFlag() const = 0;
    virtual void SetPreviewableFlag(LONG value) = 0;
    // Set by the found-file list when the selected row is no file that can be previewed.
    virtual LONG GetNoPreviewItemFlag() const = 0;
    // The frame's pointer to the preview pane, set by the pane when it is created.
    virtual void SetPreviewPane(CMainPreviewView* pane) = 0;

    // The active document's preview path: the temporary copy that every viewer reads.
    virtual CString GetPreviewPath() const = 0;
    virtual void SetPreviewPath(const CString& path) = 0;

    // The found item's folder path and name shown in the pane's header; the no-preview handler
    // empties it.
    virtual CString GetPreviewItemPath() const = 0;
    virtual void SetPreviewItemPath(const CString& path) = 0;

    // Gives the keyboard focus back to the results page's found-file list.
    virtual void FocusFoundFileList() = 0;
    // The program's message dialog with OK only: type 1 information, 2 error, 3 question.
    virtual void ShowMessage(const CString& text, int type) = 0;

    // The application's options of the Access preview: system objects listed, deletes confirmed, the
    // most records a table lists.
    virtual LONG GetShowSystemObjects() const { return 0; }
    virtual LONG GetConfirmDeletes() const { return 1; }
    virtual LONG GetMaxPreviewRecords() const { return 10000; }
    // The main frame's status bar text.
    virtual void SetStatusText(const CString& text) {}
    // A splitter bar of the application's, not yet created; null where there is none (the viewer then
    // places its panes itself).
    virtual std::unique_ptr<IPaneSplitter> CreatePaneSplitter() { return nullptr; }
};

// A host that keeps the words and paths in members of its own, for hosts that need nothing more
// (the tests, the benchmarks); the focus and the message go nowhere unless a subclass takes them.
class CPreviewHostWords : public IPreviewHost {
public:
    LONG GetPreviewOkFlag() const override { return m_nPreviewOk; }
    void SetPreviewOkFlag(LONG value) override { m_nPreviewOk = value; }
    LONG GetPreviewableFlag() const override { return m_nPreviewable; }
    void SetPreviewableFlag(LONG value) override { m_nPreviewable = value; }
    LONG GetNoPreviewItemFlag() const override { return m_nNoPreviewItem; }
    void SetPreviewPane(CMainPreviewView* pane) override { m_pPane = pane; }
    CString GetPreviewPath() const override { return m_strPreviewPath; }
    void SetPreviewPath(const CString& path) override { m_strPreviewPath = path; }
    CString GetPreviewItemPath() const override { return m_strPreviewItemPath; }
    void SetPreviewItemPath(const CString& path) override { m_strPreviewItemPath = path; }
    void FocusFoundFileList() override {}
    void ShowMessage(const CString& text, int type) override {}

    LONG m_nPreviewOk = 0, m_nPreviewable = 0, m_nNoPreviewItem = 0;
    CMainPreviewView* m_pPane = nullptr;
    CString m_strPreviewPath, m_strPreviewItemPath;
};

// The host stands for the main window of the user-interface thread: with none (the default) the
// pane and its viewers create nothing and report nothing.
void SetPreviewHost(IPreviewHost* host);
IPreviewHost* GetPreviewHost();

// A viewer whose component (a library, a converter, a control) is not available says so here
// instead of reporting a damaged file: the flags then read "not previewable" and the pane shows
// the no-preview picture for it.
void ReportPreviewComponentUnavailable();
// Whether the current preview met a missing component; the pane clears it before each preview.
BOOL IsPreviewComponentUnavailable();
void ResetPreviewComponentUnavailable();
