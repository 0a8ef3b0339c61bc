// Page 2 of the wizard: the scan and its progress.
#pragma once

#include "app/page_tree_host.h"
#include "app/wizard_tree_page.h"

class CDovemarkApp;
class CSecondDisplay;

class CSecondView_HDD : public CWizardTreePage {
    DECLARE_DYNCREATE(CSecondView_HDD)
public:
    CSecondView_HDD() = default;
    void OnDraw(CDC* pDC) override;

    afx_msg void OnStartScan();
    afx_msg void OnScanBack();
    afx_msg void OnPauseResume();
    afx_msg void OnHome();

    void SetScanStatusText(LPCWSTR text) { SetStatusText(text); }
    // Start, Back and Home shown; the run's controls, the details toggle included, hidden.
    void ShowIdleButtons() override;
    // A running scan is asked to stop (the user answers the question) and waited for; false when the user keeps it.
    bool ConfirmStop();
    void ShowResults(CDovemarkApp* app);
    // The page as a new run finds it: no status texts or counters left from the last run, Start, Back and Home
    // offered, the tree usable.
    void ResetForNewRun();
    // Back from the results of a quick scan or a tracing: the pane in its no-partition state, or showing the
    // chosen volume again, which stays chosen.
    void ReturnFromResults();
    // Back from the volume page: the range and file system of the last full scan offered again.
    void ReturnFromVolumes();
    // The poll of a running scan: once its worker has finished, the run ends and the wizard moves on. The page's
    // timer calls it every second, and the worker's end at once.
    void PollRun();

    CSecondDisplay* m_pDisplay = nullptr;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    void ShowRunningButtons(bool counters);
    bool AskToStopRun(bool wait);
    void FinishRun();
    void SetResultWords();

    CPageTreeHost m_host{2};
    bool m_bPolling = false; // a run was started and has not ended yet
    bool m_bHoldPoll = false; // the user is asked whether to stop it
};
