// Page 2 of the wizard: the scan and its progress.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

class CSecondView_HDD : public CView {
    DECLARE_DYNCREATE(CSecondView_HDD)
public:
    CSecondView_HDD() = default;
    void OnDraw(CDC* pDC) override;
};
