// CFirstDisplay: the drive page's side pane, the chosen disk's or volume's data with a pie.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/std_controls.h"
#include "app/capacity_pie.h"
#include "app/pie_chart.h"

class CFirstDisplay : public CView {
    DECLARE_DYNCREATE(CFirstDisplay)
public:
    CFirstDisplay() = default;

    void OnDraw(CDC* pDC) override;

    void ClearInfo();
    void ShowDiskHeading();
    void ShowVolumeHeading();
    void ShowDiskInfo(int disk);
    void ShowDriveInfo(int volume);
    // The partitions of the chosen disk as the pane's pie.
    void DrawVolumePie();

    CStatic m_label[5], m_value[5];
    CStatic m_hint, m_modeLine;
    CButton m_group, m_driveGroup;
    CCapacityPie m_capacityPie;
    CPieChart m_pie;
    int m_nVolume = -1;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type);
    DECLARE_MESSAGE_MAP()

private:
    void SetValues(const CString (&values)[5]);
    CBrush m_brush;
    CBrush m_whiteBrush;
    CFont m_font;
};
