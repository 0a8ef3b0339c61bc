// CSaveProgressDlg: the modal dialog of a save run. Its worker writes the chosen items into
// DestinationFolder; Stop ends the run, Skip the current file; when the worker has finished the dialog
// reports what the run did and closes. CSavingDlg is its twin for the search dialog's rows.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "app/app_worker.h"
#include "app/message_dlg.h"
#include "controls/text_progress_ctrl.h"
#include "controls/transparent_static.h"
#include "engine/recovery_writer.h"

#include <vector>

class CFoundListCtrl;

// What one save run writes, taken on the user-interface thread before the worker starts: the ticked
// folders (tree items) and files (ids) of the found-file list, or the ticked rows (record ids) of the
// search dialog's list.
struct SaveJob {
    std::vector<DWORD> folderItems;
    std::vector<DWORD> fileIds;
    RecoveryExclusions exclusions;
    bool searchRows = false;
};

class CSaveProgressDlg;
// The running save dialog, whose controls the writers' progress reaches through the port; null between runs.
extern CSaveProgressDlg* SaveDialog;

// The result message of a run: what was written, skipped and failed, and the unreadable sectors; kind 2
// when the run was stopped or a file failed, else kind 1.
CString SaveResultText(const SaveRunTally& tally, bool stopped, UINT* kind);

// The search rows' writer loop: one question when the destination lies on a source disk, then each
// record by its id in the current result's file list, written with its own name and times.
void SaveSearchRows(const std::vector<DWORD>& ids);

class CSaveProgressDlg : public CDialog {
public:
    // list: the found-file list whose ticks the run consumes (null for a search run).
    explicit CSaveProgressDlg(const SaveJob& job, CFoundListCtrl* list = nullptr, CWnd* pParent = nullptr);
    ~CSaveProgressDlg() override;

    // The writers' progress, on the user-interface thread.
    void ShowFile(const CString& where, const CString& name, DWORD count);
    void SetProgress(UINT percent);

    // After the run: whether it was stopped, and its tally.
    bool WasStopped() const { return m_bStopped; }
    const SaveRunTally& Tally() const { return m_tally; }

    CTransparentStatic m_stCount;
    CTransparentStatic m_stPath;
    CTransparentStatic m_stName;
    CTextProgressCtrl m_progress;
    CTransparentStatic m_stNameValue;
    CTransparentStatic m_stCountValue;
    CTransparentStatic m_stPathValue;

protected:
    CSaveProgressDlg(UINT templateId, UINT skinId, const SaveJob& job, CFoundListCtrl* list, CWnd* pParent);

    BOOL OnInitDialog() override;
    // Enter and the Stop button stop the run; Cancel and Escape cannot end it.
    void OnOK() override;
    void OnCancel() override {}
    afx_msg void OnSkip();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg LRESULT OnWorkerDone(WPARAM, LPARAM);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void Finish();

    SaveJob m_job;
    CFoundListCtrl* m_pList;
    CDialogSkin m_skin;
    CAppWorker m_worker;
    bool m_bFinishing = false;
    bool m_bStopped = false;
    SaveRunTally m_tally;
};

// The search dialog's saver: the same run over the search rows with its own template and skin.
class CSavingDlg : public CSaveProgressDlg {
public:
    explicit CSavingDlg(const SaveJob& job, CWnd* pParent = nullptr);
};

// The shell's folder browser with the destination's title and validation: true and the chosen path (at most
// pathChars characters with its terminator), false when the user cancelled.
bool BrowseForFolderDialog(HWND owner, const WCHAR* title, WCHAR* path, int pathChars);

// The recover commands: with requireTicks, nothing ticked gives the tick hint; then the destination is
// asked for and, when one was chosen, the save dialog runs over the list's ticked items.
void RunRecoverCommand(CFoundListCtrl* list, BOOL requireTicks);
