// CCapacityPie: how full a volume is, as a flat-lying pie of used and free space with a legend of sizes.
#pragma once

#include "afx/afx.h"
#include "afx/std_controls.h"

class CCapacityPie : public CStatic {
public:
    CCapacityPie() = default;

    // Takes the volume's root ("C:\") and asks the system for its sizes; a failed query leaves all three at 0, and
    // then nothing is painted.
    void SetDrive(const char* root);
    void SetDrive(LPCWSTR root);

    // "Used: 1.50 GB": GB above 1 GiB, MB above 1 MiB, else KB.
    static CString SizeText(LPCWSTR label, ULONGLONG bytes);

    CString m_strRoot;
    ULONGLONG m_nUsed = 0, m_nTotal = 0, m_nFree = 0;
    UINT m_nMin = 0, m_nMax = 100;
    UINT m_nUsedPercent = 0;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    void PaintPie(CDC& dc, const CRect& area);
};
