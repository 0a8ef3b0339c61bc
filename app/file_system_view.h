// Page 3 of the wizard: the choice among the volumes a full scan found.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

class CFileSystemView : public CView {
    DECLARE_DYNCREATE(CFileSystemView)
public:
    CFileSystemView() = default;
    void OnDraw(CDC* pDC) override;
};
