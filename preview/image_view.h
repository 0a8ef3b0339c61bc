// CImage_View: the preview of raster pictures, decoded again at every paint and drawn 200 pixels wide.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

class CImage_View : public CView {
    DECLARE_DYNCREATE(CImage_View)
public:
    CImage_View() = default;
    void OnDraw(CDC* pDC) override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    DECLARE_MESSAGE_MAP()
};
