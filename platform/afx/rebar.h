// CReBarCtrl and CReBar: the rebar control, and the control bar that hosts bars as its bands.
#pragma once

#include "afx/control_bar.h"

class CReBarCtrl : public CWnd {
    DECLARE_DYNAMIC(CReBarCtrl)
public:
    CReBarCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return CWnd::Create(u"ReBarWindow32", nullptr, dwStyle, rect, pParentWnd, nID);
    }
    UINT GetBandCount() const { return (UINT)SendMessage(RB_GETBANDCOUNT); }
    BOOL GetBandInfo(UINT uBand, REBARBANDINFOW* prbbi) const {
        return (BOOL)SendMessage(RB_GETBANDINFOW, uBand, (LPARAM)prbbi);
    }
    BOOL SetBandInfo(UINT uBand, REBARBANDINFOW* prbbi) { return (BOOL)SendMessage(RB_SETBANDINFOW, uBand, (LPARAM)prbbi); }
    BOOL InsertBand(UINT uIndex, REBARBANDINFOW* prbbi) { return (BOOL)SendMessage(RB_INSERTBANDW, uIndex, (LPARAM)prbbi); }
    BOOL DeleteBand(UINT uBand) { return (BOOL)SendMessage(RB_DELETEBAND, uBand); }
    UINT GetBarHeight() const { return (UINT)SendMessage(RB_GETBARHEIGHT); }
    UINT GetRowCount() const { return (UINT)SendMessage(RB_GETROWCOUNT); }
    UINT GetRowHeight(UINT uRow) const { return (UINT)SendMessage(RB_GETROWHEIGHT, uRow); }
    BOOL GetRect(UINT uBand, LPRECT prc) const { return (BOOL)SendMessage(RB_GETRECT, uBand, (LPARAM)prc); }
    int IDToIndex(UINT uBandID) const { return (int)SendMessage(RB_IDTOINDEX, uBandID); }
    BOOL ShowBand(UINT uBand, BOOL fShow = TRUE) { return (BOOL)SendMessage(RB_SHOWBAND, uBand, fShow); }
    BOOL MoveBand(UINT uFrom, UINT uTo) { return (BOOL)SendMessage(RB_MOVEBAND, uFrom, uTo); }
    void MinimizeBand(UINT uBand) { SendMessage(RB_MINIMIZEBAND, uBand); }
    void MaximizeBand(UINT uBand) { SendMessage(RB_MAXIMIZEBAND, uBand); }
    BOOL SizeToRect(CRect& rect) { return (BOOL)SendMessage(RB_SIZETORECT, 0, (LPARAM)(LPRECT)&rect); }
    COLORREF GetBkColor() const { return (COLORREF)SendMessage(RB_GETBKCOLOR); }
    COLORREF SetBkColor(COLORREF clr) { return (COLORREF)SendMessage(RB_SETBKCOLOR, 0, (LPARAM)clr); }
    int HitTest(RBHITTESTINFO* prbht) { return (int)SendMessage(RB_HITTEST, 0, (LPARAM)prbht); }
};

// A control bar around a rebar control; each band holds another bar or window.
class CReBar : public CControlBar {
    DECLARE_DYNAMIC(CReBar)
public:
    CReBar() = default;
    BOOL Create(CWnd* pParentWnd, DWORD dwCtrlStyle = RBS_BANDBORDERS,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | CBRS_TOP,
                UINT nID = AFX_IDW_REBAR);
    // The wrapper lives as long as the bar and names the bar's own window.
    CReBarCtrl& GetReBarCtrl() const {
        m_wndCtrl.m_hWnd = m_hWnd;
        return m_wndCtrl;
    }
    // A new band at the end holding pBar (made a child of the rebar), sized to the bar's window.
    BOOL AddBar(CWnd* pBar, LPCWSTR pszText = nullptr, CBitmap* pbmp = nullptr,
                DWORD dwStyle = RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP);
    BOOL AddBar(CWnd* pBar, COLORREF clrFore, COLORREF clrBack, LPCWSTR pszText = nullptr,
                DWORD dwStyle = RBBS_GRIPPERALWAYS);
    // The rebar's height across the frame's width.
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    // The bands' bars update themselves at idle time.
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override {}

protected:
    BOOL AddBandWithInfo(CWnd* pBar, REBARBANDINFOW& rbbi);
    afx_msg void OnHeightChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
    afx_msg void OnPaint() { Default(); }
    mutable CReBarCtrl m_wndCtrl;
    DECLARE_MESSAGE_MAP()
};
