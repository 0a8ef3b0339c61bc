// Tooltips of the toolkit's windows: the owner relays its mouse messages, the context asks the
// owner's tool hit test which tool lies under the point and keeps one tooltip window up to date.
#pragma once

#include "afx/cmd_target.h"
#include "afx/wnd.h"
#include "win32/controls/tooltip.h"

// Tip kinds.
#define TKP_TIP_STANDARD 0
#define TKP_TIP_BALLOON 1
#define TKP_TIP_TOOLKIT 2
#define TKP_TIP_RICHTEXT 3
#define TKP_TIP_THEMED 4

// The title of an extended tool record (lParam of a full-size TOOLINFOW when the extended flag
// is set); both strings are calloc'ed by FillToolInfo and freed by the context.
struct CTKPToolTitle {
    LPWSTR lpszTitle;
    LPWSTR lpszTitleText;
};

class CTKPTipContext : public CCmdTarget {
public:
    CTKPTipContext();
    ~CTKPTipContext() override;

    void RelayToolTipMessage(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void FilterToolTipMessage(CWnd* pWnd, MSG* pMsg);
    virtual CWnd* CreateToolTip(CWnd* pOwner);
    void ModifyTipStyle(DWORD remove, DWORD add);
    COLORREF GetTipBkColor() const;
    COLORREF GetTipTextColor() const;
    void CancelToolTips();

    // Fills a tool record from an OnToolHitTest: window, id, rectangle, flags and a copy of the
    // text; a full-size record with a title and title text also gets the title.
    static void FillToolInfo(TOOLINFOW* pTI, HWND hWnd, UINT_PTR id, const RECT& rc, UINT flags, LPCWSTR text,
                             LPCWSTR title = nullptr, LPCWSTR titleText = nullptr);
    // Frees the copies FillToolInfo made.
    static void FreeToolInfo(TOOLINFOW* pTI);

    CWnd* GetToolTip() const { return m_pToolTip; }

    BOOL m_bShowTitleAndDescription = FALSE;
    int m_nTipKind = TKP_TIP_STANDARD;
    DWORD m_dwComCtlVersion = 0;
    int m_nTitleIcon = 1;
    int m_nMaxTipWidth = 0;
    DWORD m_dwTipStyle = TTS_NOPREFIX;
    RECT m_rcMargin{0, 0, 0, 0};
    int m_nInitialDelay = -1;
    int m_nReshowDelay = -1;
    int m_nAutoPopDelay = -1;
    COLORREF m_clrTipBack = COLORREF(-1);
    COLORREF m_clrTipText = COLORREF(-1);

private:
    void DestroyToolTip();

    CWnd* m_pToolTip = nullptr;
    HWND m_hWndToolOwner = nullptr;
    TOOLINFOW m_lastInfo{};
    BOOL m_bHasLastInfo = FALSE;
};
