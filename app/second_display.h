// CSecondDisplay: the scan page's side pane, the chosen partition's or volume's data and the running scan's counters.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/std_controls.h"
#include "app/capacity_pie.h"

// A typed sector number: decimal digits only, at most 32 bits; false for anything else.
bool ParseSectorNumber(const CString& text, DWORD* value);

class CSecondDisplay : public CView {
    DECLARE_DYNCREATE(CSecondDisplay)
public:
    CSecondDisplay() = default;
    void OnDraw(CDC* pDC) override;

    void ShowPartitionInfo(int index);
    void ShowNoPartitionInfo();
    void ShowSelectedPartition();
    void ShowVolumeInfo();
    void ShowVolumeInfoLines();
    void ShowSectorRangeInputs();
    void ShowFsChoiceOnly();
    void HideScanInputs();
    void ShowFsChooser();
    void ResetScanCounters();
    void ShowFatScanCounters();
    void ShowNtfsScanCounters();
    void ClearDriveInfo();
    void SetStatusText(LPCWSTR text);
    void SetGroupCaption(LPCWSTR text);
    // Value line n (0 to 4) of the counters.
    void SetValue(int line, LPCWSTR text);
    void SetDetailsToggle(bool show, bool enable);
    void ResetDetails();

    // The file system chosen for a full scan: 300, 200 or 100; 0 when nothing is selected.
    WORD ChosenFsKind() const;

    afx_msg void OnToggleDetails();

    CStatic m_modeLine, m_status, m_hint;
    CButton m_driveGroup, m_partitionGroup, m_pieGroup;
    CStatic m_label[5], m_value[5];
    CStatic m_fsLabel, m_startLabel, m_endLabel;
    CComboBox m_fsChooser;
    CEdit m_start, m_end;
    CCapacityPie m_pie;
    CButton m_details;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type);
    DECLARE_MESSAGE_MAP()

private:
    void SetLabels(const char16_t* const (&labels)[5]);
    void ShowPie(bool show);
    void PlaceGroups();
    void SelectChooser(WORD kind);
    CBrush m_whiteBrush;
    CFont m_font;
};
