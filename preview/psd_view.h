// CPSDViewView: the preview view of Photoshop documents, the decoded image stretched over the view.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "preview/psd_image.h"

class CPSDViewView : public CView {
    DECLARE_DYNCREATE(CPSDViewView)
public:
    CPSDViewView() = default;
    ~CPSDViewView() override;

    enum { IDC_FRAME = 0xF01C };

    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    void OnDraw(CDC* pDC) override;

    CPsdImage m_image;
    int m_nLoadResult = PSD_CANNOT_OPEN;
    CStatic m_frame;
    HBITMAP m_hBitmap = nullptr;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    // The view does not scroll: scroll-bar messages change nothing.
    afx_msg LRESULT OnScroll(WPARAM, LPARAM) { return 0; }
    DECLARE_MESSAGE_MAP()
};
