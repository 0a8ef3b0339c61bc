// CAviView: the preview view of ".avi" files, a movie window that plays at once at the movie's size.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

class CAviView : public CView {
    DECLARE_DYNCREATE(CAviView)
public:
    CAviView() = default;
    ~CAviView() override;

    void OnDraw(CDC* pDC) override {}

    HWND m_hMciWnd = nullptr;

protected:
    // Stops the movie and closes its window.
    void CloseMovie();

    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
