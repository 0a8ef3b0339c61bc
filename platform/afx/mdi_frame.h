// CMDIFrameWnd: a frame whose pane is the MDI client window, the parent of its child frames.
#pragma once

#include "afx/frame.h"

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    CMDIFrameWnd() = default;
    // Makes the MDI client window over the frame's client area. The window system of this layer
    // has no MDI client class, so the creation fails as it does wherever the class is missing.
    virtual BOOL CreateClient(LPCREATESTRUCTW lpcs, CMenu* pWindowMenu);
    // The active child frame as the client window reports it, else the frame itself.
    CFrameWnd* GetActiveFrame() override;

    HWND m_hWndMDIClient = nullptr;

protected:
    BOOL OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext* pContext) override;
};
