// Page 1 of the wizard: the drive and its partitions.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

class CFirstView_HDD : public CView {
    DECLARE_DYNCREATE(CFirstView_HDD)
public:
    CFirstView_HDD() = default;
    void OnDraw(CDC* pDC) override;
};
