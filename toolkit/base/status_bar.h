// The frame's status bar: panes (indicators) around the status common control, painted through
// the paint manager so that it follows the frame's theme.
#pragma once

#include "afx/control_bar.h"
#include "afx/string.h"
#include "win32/controls/statusbar.h"

#include <vector>

class CTKPStatusBar;
class CTKPCommandBars;
class CTKPImageIcon;
class CTKPImageManager;
class CTKPPaintManager;
class CTKPTipContext;

#define TKP_SBPS_NOBORDERS 0x00000100
#define TKP_SBPS_POPOUT 0x00000200
#define TKP_SBPS_DISABLED 0x04000000
#define TKP_SBPS_STRETCH 0x08000000

class CTKPStatusBarPane : public CCmdTarget {
    DECLARE_DYNAMIC(CTKPStatusBarPane)
public:
    CTKPStatusBarPane(CTKPStatusBar* bar, UINT id);
    ~CTKPStatusBarPane() override;

    void AddRef() { ++m_nRef; }
    void Release();

    CString GetText() const { return m_strText; }
    CString GetTooltip() const { return m_strTooltip; }
    CTKPStatusBar* GetStatusBar() const { return m_pStatusBar; }
    HFONT GetFont() const;
    // The pane's icon from the bar's image manager; null without an icon id.
    CTKPImageIcon* GetIcon() const;
    // Width of the text in the pane's font, plus the icon's width and a gap when there is text.
    void BestFit();
    virtual void Draw(HDC hdc, const RECT& rc);

    UINT m_nID;
    int m_cxText = 0;
    UINT m_nStyle = 0;
    UINT m_nFlags = 0;  // bit 0: the text still has to reach the window
    CString m_strText;
    BOOL m_bVisible = TRUE;
    COLORREF m_clrText = COLORREF(-1);
    COLORREF m_clrBackground = COLORREF(-1);
    CString m_strTooltip;
    HWND m_hWndPane = nullptr;
    BOOL m_bAutoDeleteWnd = FALSE;
    int m_nAlignment = 0;  // 0 left, 1 centre, 2 right
    CTKPStatusBar* m_pStatusBar;
    int m_nIndex = -1;
    int m_nVisibleIndex = -1;
    HFONT m_hFont = nullptr;
    int m_nIconId = -1;

private:
    int m_nRef = 1;
};

// A child window that lives in a pane; derived windows draw their content over its background.
class CTKPStatusBarPaneWnd : public CWnd {
    DECLARE_DYNCREATE(CTKPStatusBarPaneWnd)
public:
    CTKPStatusBarPaneWnd() = default;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* pParentWnd, UINT nID);
    virtual void DrawContent(HDC hdc, const RECT& rcClient) { (void)hdc; (void)rcClient; }

    CString m_strText;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};

class CTKPStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CTKPStatusBar)
public:
    CTKPStatusBar();
    ~CTKPStatusBar() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = 0xE801);
    BOOL SetIndicators(const UINT* ids, int count);
    void RemoveAll();

    CTKPStatusBarPane* GetPane(int index) const;
    int GetPaneCount() const { return int(m_panes.size()); }
    int GetVisiblePaneCount() const;
    int CommandToIndex(UINT id) const;
    CTKPStatusBarPane* HitTest(POINT pt, RECT* rcPane = nullptr) const;
    UINT GetPaneStyle(int index) const;
    void SetPaneStyle(int index, UINT style);
    BOOL SetPaneText(int index, LPCWSTR text, BOOL update = TRUE);
    CString GetPaneText(int index) const;
    void GetItemRect(int index, RECT* rc) const;
    HFONT GetFont() const { return m_hFont; }

    CTKPPaintManager* GetPaintManager() const;
    CTKPImageManager* GetImageManager() const;
    // The command bars whose paint and image managers the bar uses: the ones set here, else those
    // of the toolkit frame the bar sits in.
    void SetCommandBars(CTKPCommandBars* bars) { m_pCommandBars = bars; }
    CTKPCommandBars* GetCommandBars() const;
    CTKPTipContext* GetToolTipContext() const { return m_pToolTipContext; }

    virtual void DrawPaneEntry(HDC hdc, int index, const RECT& rc);
    virtual void DrawSizeGripper(HDC hdc, const RECT& rcClient);

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void SetBarStyle(DWORD dwStyle) override;
    // The pane under the point with its tooltip text, else the window's own tools.
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;
    void CalcInsideRect(CRect& rect, BOOL bHorz) const override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    // Rectangles to the control, then pending texts.
    void UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText);

    int m_nMinHeight = 0;
    BOOL m_bDrawWithPaintManager = TRUE;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void EraseNonClient();
    BOOL HasSizeGrip() const;
    BOOL ParentMaximized() const;
    void PositionHostedWindows();

    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg LRESULT OnNcHitTest(CPoint pt);
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetTextLength(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetMinHeight(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    std::vector<CTKPStatusBarPane*> m_panes;
    HFONT m_hFont = nullptr;
    CTKPCommandBars* m_pCommandBars = nullptr;
    CTKPTipContext* m_pToolTipContext;
};
