// The toolkit rebar: bands of tool bars, laid out by their bars and painted off screen.
#include "toolkit/base/rebar.h"

#include "afx/window_dc.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/tool_bar.h"

IMPLEMENT_DYNAMIC(CTKPReBar, CReBar)

BEGIN_MESSAGE_MAP(CTKPReBar, CReBar)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_NOTIFY_REFLECT(RBN_HEIGHTCHANGE, OnHeightChange)
END_MESSAGE_MAP()

namespace {

// A length no bar reaches: the bar's one-row extent.
constexpr int kUnlimitedLength = 32000;
// Layout mode of a bar that shows what fits in one row and hides the rest.
constexpr DWORD kSingleRowMode = 0x80;

} // namespace

BOOL CTKPReBar::AddToolBar(CTKPToolBar* pBar)
{
    if (!pBar || !pBar->m_hWnd || !m_hWnd)
        return FALSE;
    pBar->CalcDynamicLayout(kUnlimitedLength, LM_HORZ | LM_HORZDOCK | LM_COMMIT);
    if (CTKPDockBar* dockBar = pBar->GetDockBar()) {
        dockBar->RemoveCommandBar(pBar, -1);
        pBar->SetDockBar(nullptr);
    }
    pBar->EnableDocking(0);
    pBar->m_dwStyle &= ~(DWORD)CBRS_FLOATING;
    if (!AddBar(pBar))
        return FALSE;
    int last = (int)GetReBarCtrl().GetBandCount() - 1;
    if (last < 0)
        return FALSE;
    REBARBANDINFOW rbbi{};
    rbbi.cbSize = sizeof(rbbi);
    rbbi.fMask = RBBIM_ID;
    rbbi.wID = pBar->GetBarID();
    GetReBarCtrl().SetBandInfo((UINT)last, &rbbi);
    return TRUE;
}

int CTKPReBar::FindToolBarBand(CTKPToolBar* pBar) const
{
    if (!pBar || !pBar->m_hWnd || !m_hWnd)
        return -1;
    for (int band = (int)GetReBarCtrl().GetBandCount() - 1; band >= 0; --band) {
        REBARBANDINFOW rbbi{};
        rbbi.cbSize = sizeof(rbbi);
        rbbi.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_SIZE;
        if (GetReBarCtrl().GetBandInfo((UINT)band, &rbbi) && rbbi.hwndChild == pBar->m_hWnd)
            return band;
    }
    return -1;
}

void CTKPReBar::DeleteToolBar(CTKPToolBar* pBar)
{
    int band = FindToolBarBand(pBar);
    if (band >= 0)
        GetReBarCtrl().DeleteBand((UINT)band);
}

CTKPToolBar* CTKPReBar::GetBandToolBar(int nBand) const
{
    if (!m_hWnd || nBand < 0)
        return nullptr;
    REBARBANDINFOW rbbi{};
    rbbi.cbSize = sizeof(rbbi);
    rbbi.fMask = RBBIM_CHILD;
    if (!GetReBarCtrl().GetBandInfo((UINT)nBand, &rbbi))
        return nullptr;
    return DYNAMIC_DOWNCAST(CTKPToolBar, CWnd::FromHandlePermanent(rbbi.hwndChild));
}

CSize CTKPReBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    if (!m_hWnd)
        return CReBar::CalcFixedLayout(bStretch, bHorz);
    InvalidateRect(nullptr, FALSE);
    for (int band = (int)GetReBarCtrl().GetBandCount() - 1; band >= 0; --band) {
        CTKPToolBar* pBar = GetBandToolBar(band);
        if (!pBar)
            continue;
        pBar->CalcDynamicLayout(kUnlimitedLength, LM_HORZ | LM_HORZDOCK);
        DWORD mode = LM_HORZ | LM_HORZDOCK | LM_COMMIT | (pBar->m_bRebarSingleRow ? kSingleRowMode : LM_STRETCH);
        CSize barSize = pBar->CalcDynamicLayout(kUnlimitedLength, mode);
        REBARBANDINFOW rbbi{};
        rbbi.cbSize = sizeof(rbbi);
        rbbi.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
        rbbi.cxMinChild = (UINT)barSize.cx;
        rbbi.cyMinChild = (UINT)barSize.cy;
        rbbi.cxIdeal = (UINT)barSize.cx;
        GetReBarCtrl().SetBandInfo((UINT)band, &rbbi);
        pBar->Invalidate(FALSE);
    }
    // Measured once the bands have their new sizes: the frame lays out with this answer, and the
    // height change the bands report meanwhile does not start a second layout inside this one.
    return CReBar::CalcFixedLayout(bStretch, bHorz);
}

void CTKPReBar::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    CTKPOffscreenDC offscreen(dc.m_hDC, rc);
    offscreen.FillSolidRect(&rc, ::GetSysColor(COLOR_BTNFACE));
    DefWindowProc(WM_ERASEBKGND, (WPARAM)offscreen.m_hDC, 0);
    DefWindowProc(WM_PAINT, (WPARAM)offscreen.m_hDC, 0);
}

BOOL CTKPReBar::OnEraseBkgnd(CDC*)
{
    // The whole client area is painted off screen in WM_PAINT.
    return TRUE;
}

void CTKPReBar::OnHeightChange(NMHDR* pNMHDR, LRESULT* pResult)
{
    CReBar::OnHeightChange(pNMHDR, pResult);
}
