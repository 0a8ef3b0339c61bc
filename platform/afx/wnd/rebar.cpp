// CReBarCtrl and CReBar: bands of bars in a rebar laid out as one control bar of the frame.
#include "afx/rebar.h"
#include "afx/frame.h"

IMPLEMENT_DYNAMIC(CReBarCtrl, CWnd)
IMPLEMENT_DYNAMIC(CReBar, CControlBar)

BEGIN_MESSAGE_MAP(CReBar, CControlBar)
    ON_NOTIFY_REFLECT(RBN_HEIGHTCHANGE, OnHeightChange)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CReBar::Create(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID) {
    // The bar style keeps the alignment; the control draws its own band borders, so the bar adds
    // none around them. The frame, not the control, places it.
    m_dwStyle = dwStyle & CBRS_ALL & ~(DWORD)CBRS_BORDER_ANY;
    m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
    DWORD wndStyle = (dwStyle & ~(DWORD)CBRS_ALL) | dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    return CWnd::Create(u"ReBarWindow32", nullptr, wndStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

BOOL CReBar::AddBandWithInfo(CWnd* pBar, REBARBANDINFOW& rbbi) {
    if (!pBar || !pBar->m_hWnd || !m_hWnd)
        return FALSE;
    pBar->SetParent(this);
    CRect rc;
    pBar->GetWindowRect(&rc);
    rbbi.cbSize = sizeof(rbbi);
    rbbi.fMask |= RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE;
    rbbi.hwndChild = pBar->m_hWnd;
    rbbi.cxMinChild = (UINT)rc.Width();
    rbbi.cyMinChild = (UINT)rc.Height();
    if (!GetReBarCtrl().InsertBand((UINT)-1, &rbbi))
        return FALSE;
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->DelayRecalcLayout();
    return TRUE;
}

BOOL CReBar::AddBar(CWnd* pBar, LPCWSTR pszText, CBitmap* pbmp, DWORD dwStyle) {
    REBARBANDINFOW rbbi{};
    rbbi.fStyle = dwStyle;
    if (pszText) {
        rbbi.fMask |= RBBIM_TEXT;
        rbbi.lpText = const_cast<LPWSTR>(pszText);
    }
    if (pbmp && pbmp->m_hObject) {
        rbbi.fMask |= RBBIM_BACKGROUND;
        rbbi.hbmBack = (HBITMAP)pbmp->m_hObject;
    }
    return AddBandWithInfo(pBar, rbbi);
}

BOOL CReBar::AddBar(CWnd* pBar, COLORREF clrFore, COLORREF clrBack, LPCWSTR pszText, DWORD dwStyle) {
    REBARBANDINFOW rbbi{};
    rbbi.fStyle = dwStyle;
    rbbi.fMask = RBBIM_COLORS;
    rbbi.clrFore = clrFore;
    rbbi.clrBack = clrBack;
    if (pszText) {
        rbbi.fMask |= RBBIM_TEXT;
        rbbi.lpText = const_cast<LPWSTR>(pszText);
    }
    return AddBandWithInfo(pBar, rbbi);
}

CSize CReBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
    CRect border(0, 0, 0, 0);
    CalcInsideRect(border, bHorz);
    // The inside rectangle of an empty one is negative by the borders' size.
    int cyBorder = -border.Height(), cxBorder = -border.Width();
    int cyBar = m_hWnd ? (int)GetReBarCtrl().GetBarHeight() : 0;
    if (bHorz)
        return CSize(bStretch ? 32767 : cxBorder, cyBar + cyBorder);
    return CSize(cyBar + cxBorder, bStretch ? 32767 : cyBorder);
}

void CReBar::OnHeightChange(NMHDR*, LRESULT* pResult) {
    // A new height moves everything below the rebar; the frame lays out again.
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->RecalcLayout();
    if (pResult)
        *pResult = 0;
}
