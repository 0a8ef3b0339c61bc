// Page 1 of the wizard: the drive and its partitions.
#pragma once

#include "app/page_tree_host.h"
#include "app/wizard_tree_page.h"
#include "controls/xp_group_box.h"

class CFirstDisplay;

// The lost-partition search worker: the engine's search, then the finished signal.
UINT PartitionSearchThread(LPVOID);
// The mode line Next leaves for the scan mode and the kind of drive chosen (a volume, else a disk).
CString DriveChoiceModeText(DWORD scanMode, bool logical);

class CFirstView_HDD : public CWizardTreePage {
    DECLARE_DYNCREATE(CFirstView_HDD)
public:
    CFirstView_HDD();
    void OnDraw(CDC* pDC) override;

    afx_msg void OnNext();
    afx_msg void OnBack();
    afx_msg void OnStopSearch();
    // The idle state also hides the status line.
    void ShowIdleButtons() override;
    // Moves the wizard on to the scan page once the search's worker has ended; nothing while no search is waited for.
    void PollRun();

    CFirstDisplay* m_pDisplay = nullptr;
    CXPGroupBox m_helpGroup;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    DECLARE_MESSAGE_MAP()

private:
    // Asks whether to stop the running search and, on yes, waits for it; false when the user keeps it running.
    bool ConfirmStop();
    void StartPartitionSearch();

    CPageTreeHost m_host{1};
    bool m_bPolling = false; // a search was started and its end not yet taken
};
