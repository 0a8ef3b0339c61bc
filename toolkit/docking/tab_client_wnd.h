// The tab client of an MDI frame: it shows the frame's child windows as tabs. The command bars
// refresh it when the frame's windows change.
#pragma once

#include "afx/wnd.h"

class CMDIFrameWnd;

class CTKPTabClientWnd : public CWnd {
    DECLARE_DYNAMIC(CTKPTabClientWnd)
public:
    CTKPTabClientWnd() = default;

    // Asks for the tabs to be laid out again at the next size pass.
    void Refresh();
    // Whether a tab-group command (9420-9423) applies to the active child; a client without tab
    // groups offers none.
    virtual BOOL IsWorkspaceCommandEnabled(UINT /*id*/) const { return FALSE; }

    BOOL m_bRefreshPending = FALSE;
    CMDIFrameWnd* m_pMDIFrame = nullptr;
    BOOL m_bRefreshing = FALSE;
};
