// CSplashThread: a user-interface thread that shows a bitmap with text over it for a while, then brings the
// main window forward. CScanningProgress: a flat light-blue form view.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/ctrl_view.h"
#include "afx/thread.h"

#include <vector>

class CSplashThread;

class CSplashWnd : public CWnd {
public:
    explicit CSplashWnd(CSplashThread* thread = nullptr) : m_pThread(thread) {}
    CSplashThread* m_pThread;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

struct SplashTextStyle {
    CString face;
    double points;
    int weight;
    int style1 = 0;
    int style2 = 0;
};

class CSplashThread : public CWinThread {
    DECLARE_DYNCREATE(CSplashThread)
public:
    CSplashThread();
    ~CSplashThread() override;
    BOOL InitInstance() override;
    // Draws the bitmap and the text blocks into the window's paint DC.
    void Draw(CDC* pDC);
    // The display ends: the window goes, the main window comes forward, the thread ends.
    void Finish();

    CSplashWnd m_wndSplash;
    BOOL m_bFlag = TRUE;
    DWORD m_dwMinDisplay = 2000;
    DWORD m_dwSecondTimer = 0;
    UINT m_nBitmapId = 0;
    CBitmap m_bitmap;
    int m_cx = 0, m_cy = 0;
    DWORD m_dwStartTick = 0;
    CWnd* m_pMainWnd2 = nullptr;
    SplashTextStyle m_styles[5];
    CString m_strLabel = u"Version";
    CString m_strText2;
    std::vector<CString> m_blocks[5];
    CPoint m_blockStart[5];
    int m_blockStep[5] = {};
    COLORREF m_blockColour[5] = {};
};

// On dialog template 193, which the program does not carry: it cannot be created, as nothing creates it.
class CScanningProgress : public CFormView {
    DECLARE_DYNCREATE(CScanningProgress)
public:
    CScanningProgress() : CFormView(193u) {}
    void OnInitialUpdate() override;
};
