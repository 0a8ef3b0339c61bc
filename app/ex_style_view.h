// Page 0 of the wizard: the choice of the scan mode.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

class CEx_StyleView : public CView {
    DECLARE_DYNCREATE(CEx_StyleView)
public:
    CEx_StyleView() = default;
    void OnDraw(CDC* pDC) override;
};
