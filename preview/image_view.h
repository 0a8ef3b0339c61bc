// CImage_View: the preview of raster pictures, decoded once and drawn 200 pixels wide.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

#include <memory>

class CPreviewImage;

class CImage_View : public CView {
    DECLARE_DYNCREATE(CImage_View)
public:
    CImage_View();
    ~CImage_View() override;
    void OnDraw(CDC* pDC) override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    DECLARE_MESSAGE_MAP()

private:
    // The picture as decoded at creation, no larger than it is shown where the format allows; an opaque
    // one is drawn once at the size shown and painted from there.
    std::unique_ptr<CPreviewImage> m_image;
    CBitmap m_shown;
    int m_shownHeight = 0; // the height drawn, less its fixed 100 pixels
};
