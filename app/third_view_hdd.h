// Page 4 of the wizard: the found folders and files.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

class CThirdView_HDD : public CView {
    DECLARE_DYNCREATE(CThirdView_HDD)
public:
    CThirdView_HDD() = default;
    void OnDraw(CDC* pDC) override;
};
