// CMyMedia: the preview view of sound and video files, a player window filling the view.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "preview/wmp_player.h"

class CMyMedia : public CView {
    DECLARE_DYNCREATE(CMyMedia)
public:
    CMyMedia() = default;
    ~CMyMedia() override;

    enum { IDC_PLAYER = 185 };

    void OnDraw(CDC* pDC) override {}

    CWMPPlayer4 m_player;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
