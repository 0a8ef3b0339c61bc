// CCorrupted_NoPreview_View: the pane's picture for a file it cannot show (damaged, a type it cannot
// preview, or no file chosen).
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

class CCorrupted_NoPreview_View : public CView {
    DECLARE_DYNCREATE(CCorrupted_NoPreview_View)
public:
    void OnDraw(CDC* pDC) override;
    // The picture the flags ask for now: 211, 196 or 197.
    static UINT ChooseBitmap();
};
