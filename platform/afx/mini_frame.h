// CMiniFrameWnd: a frame with a small caption, for palettes and floating bars, owned by a frame.
#pragma once

#include "afx/frame.h"

// Mini-frame styles, given with the window style and taken out of it before the window is made.
#define MFS_SYNCACTIVE 0x00000100L   // the caption is drawn active while the owner is active
#define MFS_4THICKFRAME 0x00000200L  // sizable frame (kept as WS_THICKFRAME here)
#define MFS_THICKFRAME 0x00000400L   // sizable frame
#define MFS_MOVEFRAME 0x00000800L    // the frame moves the window (a thin frame here)
#define MFS_BLOCKSYSMENU 0x00001000L // no system menu from the keyboard or the caption

class CMiniFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMiniFrameWnd)
public:
    CMiniFrameWnd() = default;
    BOOL Create(LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd = nullptr, UINT nID = 0);
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd = nullptr, UINT nID = 0);

    BOOL m_bSyncActive = FALSE;
    BOOL m_bBlockSysMenu = FALSE;

protected:
    afx_msg BOOL OnNcActivate(BOOL bActive);
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    // Whether the caption should look active: this window, its owner or another mini frame of the
    // same owner that follows it holds the activation.
    BOOL ShouldLookActive(BOOL bActive);
    DECLARE_MESSAGE_MAP()
};
