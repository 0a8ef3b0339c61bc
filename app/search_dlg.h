// CSearchDlg: finds the files of the current result whose names match a mask. A worker walks the found
// records and sends each match to the dialog's list; the user can pause it with the stop question, stop
// it, tick rows and save the ticked files.
#pragma once

#include "afx/afx.h"
#include "afx/dialog.h"
#include "afx/std_controls.h"
#include "app/app_worker.h"
#include "app/found_list_ctrl.h"
#include "app/message_dlg.h"
#include "controls/skin_button.h"
#include "controls/transparent_static.h"

#include <functional>
#include <vector>

class CFoundTreeCtrl;
class CSearchDlg;

// The open search dialog (set when it initialises, cleared when it goes); 1 while it is open.
extern CSearchDlg* ActiveSearchDlg;
extern DWORD SearchDlgOpen;
// 1 while a save started from the dialog writes the ticked rows of its list.
extern DWORD SearchListActive;
// 1 once the user confirmed a stop of the running search.
extern volatile DWORD SearchStopFlag;

// One match of the search, as the worker hands it to the dialog.
struct SearchMatch {
    CString name;       // upper-cased
    ULONGLONG size = 0;
    CString created;
    CString modified;
    DWORD id = 0;       // the record's id: FAT file id, NTFS record sector
    DWORD parentItem = 0; // tree item of the parent folder, 0 when the folder is not in the folder list
};

// The matches of mask (upper-cased by the caller) among the current result's files, in list order;
// onMatch returns false to stop the walk, as does stop() before a record.
void SearchFoundRecords(const CString& mask, const std::function<bool()>& stop,
                        const std::function<void(const SearchMatch&)>& onMatch);

class CSearchDlg : public CDialog {
public:
    // tree: the found-folder tree that gives the rows' paths (may be null).
    explicit CSearchDlg(CFoundTreeCtrl* tree, CWnd* pParent = nullptr);
    ~CSearchDlg() override;

    // Start (IDOK), Stop (1039), Select all (1070), Save (1080).
    void OnOK() override;
    afx_msg void OnStop();
    afx_msg void OnSelectAll();
    afx_msg void OnSave();
    void OnCancel() override;

    bool IsSearching() const { return m_worker.IsRunning(); }
    // The record ids of the ticked rows, in row order.
    std::vector<DWORD> TickedIds() const;

    CTransparentStatic m_status;
    CButton m_save;
    CSkinButton m_selectAll;
    CTransparentStatic m_count;
    CTransparentStatic m_lastName;
    CTransparentStatic m_countLabel;
    CTransparentStatic m_lastLabel;
    CTransparentStatic m_prompt;
    CFoundListCtrl m_list;
    CButton m_stop;
    CButton m_start;
    CEdit m_mask;
    BOOL m_bSelectAll = FALSE;

protected:
    BOOL OnInitDialog() override;
    afx_msg LRESULT OnMatch(WPARAM, LPARAM lParam);
    afx_msg LRESULT OnWorkerDone(WPARAM, LPARAM);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnClose();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    void SetSearching(bool searching);
    void SetSelectAllState(BOOL on);
    void Finish();

    CFoundTreeCtrl* m_pTree;
    CDialogSkin m_skin;
    CAppWorker m_worker;
    HBITMAP m_hListTile = nullptr;
};

// The find-file command: the search dialog over the results page's tree, run modally.
void RunSearchDialog(CFoundTreeCtrl* tree);
