// CControlBar: borders, layout within the frame, delayed show and hide, idle-time updates.
#include "afx/control_bar.h"
#include "afx/frame.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdate)
END_MESSAGE_MAP()

namespace {
// The gripper: a 3-pixel ridge with 2 pixels of room on either side.
constexpr int kGripperWidth = 3;
constexpr int kGripperGap = 2;
} // namespace

CControlBar::CControlBar() = default;

void CControlBar::PostNcDestroy() {
    if (m_bAutoDelete)
        delete this;
}

void CControlBar::SetBarStyle(DWORD dwStyle) {
    if (m_dwStyle == dwStyle)
        return;
    DWORD dwOld = m_dwStyle;
    m_dwStyle = dwStyle;
    // A change of the borders changes the room the bar takes.
    if (((dwOld ^ dwStyle) & (CBRS_BORDER_ANY | CBRS_GRIPPER | CBRS_ALIGN_ANY)) && m_hWnd) {
        Invalidate();
        if (CFrameWnd* pFrame = GetDockingFrame())
            pFrame->DelayRecalcLayout();
    }
}

CFrameWnd* CControlBar::GetDockingFrame() const {
    if (m_pDockSite)
        return m_pDockSite;
    CWnd* pParent = m_hWnd ? GetParent() : nullptr;
    if (pParent && pParent->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
        return static_cast<CFrameWnd*>(pParent);
    return m_hWnd ? GetParentFrame() : nullptr;
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
    return CSize(bStretch && bHorz ? 32767 : 0, bStretch && !bHorz ? 32767 : 0);
}

CSize CControlBar::CalcDynamicLayout(int, DWORD nMode) {
    return CalcFixedLayout((nMode & LM_STRETCH) != 0, (nMode & LM_HORZ) != 0);
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL bHorz) const {
    int cxEdge = 2 * ::GetSystemMetrics(SM_CXBORDER);
    int cyEdge = 2 * ::GetSystemMetrics(SM_CYBORDER);
    if (m_dwStyle & CBRS_BORDER_LEFT)
        rect.left += cxEdge;
    if (m_dwStyle & CBRS_BORDER_TOP)
        rect.top += cyEdge;
    if (m_dwStyle & CBRS_BORDER_RIGHT)
        rect.right -= cxEdge;
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
        rect.bottom -= cyEdge;
    BOOL bGripper = (m_dwStyle & (CBRS_GRIPPER | CBRS_FLOATING)) == CBRS_GRIPPER;
    if (bHorz) {
        rect.left += m_cxLeftBorder;
        rect.top += m_cyTopBorder;
        rect.right -= m_cxRightBorder;
        rect.bottom -= m_cyBottomBorder;
        if (bGripper)
            rect.left += kGripperGap + kGripperWidth + kGripperGap;
    } else {
        // Standing on its side, the bar's length borders run down it.
        rect.left += m_cyTopBorder;
        rect.top += m_cxLeftBorder;
        rect.right -= m_cyBottomBorder;
        rect.bottom -= m_cxRightBorder;
        if (bGripper)
            rect.top += kGripperGap + kGripperWidth + kGripperGap;
    }
}

void CControlBar::DrawBorders(CDC* pDC, CRect& rect) {
    DWORD dwStyle = m_dwStyle;
    if (!(dwStyle & CBRS_BORDER_ANY))
        return;
    COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    COLORREF clrHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    int cx = 2 * ::GetSystemMetrics(SM_CXBORDER) / 2, cy = 2 * ::GetSystemMetrics(SM_CYBORDER) / 2;
    // Each border is an etched line: shadow outside, highlight inside.
    if (dwStyle & CBRS_BORDER_TOP) {
        pDC->FillSolidRect(rect.left, rect.top, rect.Width(), cy, clrShadow);
        pDC->FillSolidRect(rect.left, rect.top + cy, rect.Width(), cy, clrHilite);
    }
    if (dwStyle & CBRS_BORDER_BOTTOM) {
        pDC->FillSolidRect(rect.left, rect.bottom - 2 * cy, rect.Width(), cy, clrShadow);
        pDC->FillSolidRect(rect.left, rect.bottom - cy, rect.Width(), cy, clrHilite);
    }
    if (dwStyle & CBRS_BORDER_LEFT) {
        pDC->FillSolidRect(rect.left, rect.top, cx, rect.Height(), clrShadow);
        pDC->FillSolidRect(rect.left + cx, rect.top, cx, rect.Height(), clrHilite);
    }
    if (dwStyle & CBRS_BORDER_RIGHT) {
        pDC->FillSolidRect(rect.right - 2 * cx, rect.top, cx, rect.Height(), clrShadow);
        pDC->FillSolidRect(rect.right - cx, rect.top, cx, rect.Height(), clrHilite);
    }
    if (dwStyle & CBRS_BORDER_LEFT)
        rect.left += 2 * cx;
    if (dwStyle & CBRS_BORDER_TOP)
        rect.top += 2 * cy;
    if (dwStyle & CBRS_BORDER_RIGHT)
        rect.right -= 2 * cx;
    if (dwStyle & CBRS_BORDER_BOTTOM)
        rect.bottom -= 2 * cy;
}

void CControlBar::DrawGripper(CDC* pDC, const CRect& rect) {
    if ((m_dwStyle & (CBRS_GRIPPER | CBRS_FLOATING)) != CBRS_GRIPPER)
        return;
    COLORREF clrHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    if (m_dwStyle & CBRS_ORIENT_HORZ) {
        pDC->Draw3dRect(rect.left + kGripperGap, rect.top + m_cyTopBorder, kGripperWidth,
                        rect.Height() - m_cyTopBorder - m_cyBottomBorder, clrHilite, clrShadow);
    } else {
        pDC->Draw3dRect(rect.left + m_cyTopBorder, rect.top + kGripperGap,
                        rect.Width() - m_cyTopBorder - m_cyBottomBorder, kGripperWidth, clrHilite, clrShadow);
    }
}

void CControlBar::DoPaint(CDC* pDC) {
    CRect rect;
    GetClientRect(&rect);
    DrawBorders(pDC, rect);
    DrawGripper(pDC, rect);
}

void CControlBar::OnPaint() {
    CPaintDC dc(this);
    DoPaint(&dc);
}

int CControlBar::OnCreate(LPCREATESTRUCTW lpcs) {
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    CWnd* pParent = GetParent();
    if (pParent && pParent->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        m_pDockSite = static_cast<CFrameWnd*>(pParent);
        m_pDockSite->AddControlBar(this);
    }
    return 0;
}

void CControlBar::OnDestroy() {
    if (m_pDockSite && m_pDockSite->m_hWnd)
        m_pDockSite->RemoveControlBar(this);
    m_pDockSite = nullptr;
    Default();
}

void CControlBar::DelayShow(BOOL bShow) {
    m_nStateFlags &= ~(UINT)(delayHide | delayShow);
    BOOL bVisible = m_hWnd && (GetStyle() & WS_VISIBLE);
    if (bShow && !bVisible)
        m_nStateFlags |= delayShow;
    else if (!bShow && bVisible)
        m_nStateFlags |= delayHide;
}

BOOL CControlBar::IsVisible() const {
    if (m_nStateFlags & delayHide)
        return FALSE;
    return (m_nStateFlags & delayShow) || (m_hWnd && (GetStyle() & WS_VISIBLE));
}

DWORD CControlBar::RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout) {
    DWORD dwStyle = GetStyle();
    if (!(m_nStateFlags & (delayHide | delayShow)))
        return dwStyle;
    BOOL bShow = (m_nStateFlags & delayShow) != 0;
    dwStyle = bShow ? (dwStyle | WS_VISIBLE) : (dwStyle & ~(DWORD)WS_VISIBLE);
    if (lpLayout->hDWP) {
        // A real layout applies the change; a measuring pass only counts with it.
        m_nStateFlags &= ~(UINT)(delayHide | delayShow);
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                         (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    return dwStyle;
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam) {
    auto* lpLayout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    DWORD dwStyle = RecalcDelayShow(lpLayout);
    if (!(dwStyle & WS_VISIBLE) || !(m_dwStyle & CBRS_ALIGN_ANY))
        return 0;
    CRect rect(lpLayout->rect);
    CSize sizeAvail = rect.Size();
    DWORD dwMode = lpLayout->bStretch ? LM_STRETCH : 0;
    if ((m_dwStyle & CBRS_SIZE_DYNAMIC) && (m_dwStyle & CBRS_FLOATING))
        dwMode |= LM_HORZ | LM_MRUWIDTH;
    else if (m_dwStyle & CBRS_ORIENT_HORZ)
        dwMode |= LM_HORZ | LM_HORZDOCK;
    else
        dwMode |= LM_VERTDOCK;
    CSize size = CalcDynamicLayout(-1, dwMode);
    // Never more than what is left, and never less than nothing.
    size.cx = std::max<LONG>(0, std::min<LONG>(size.cx, std::max<LONG>(0, sizeAvail.cx)));
    size.cy = std::max<LONG>(0, std::min<LONG>(size.cy, std::max<LONG>(0, sizeAvail.cy)));
    if (m_dwStyle & CBRS_ORIENT_HORZ) {
        lpLayout->sizeTotal.cy += size.cy;
        lpLayout->sizeTotal.cx = std::max(lpLayout->sizeTotal.cx, size.cx);
        if (m_dwStyle & CBRS_ALIGN_TOP) {
            lpLayout->rect.top += size.cy;
        } else {
            rect.top = rect.bottom - size.cy;
            lpLayout->rect.bottom -= size.cy;
        }
    } else {
        lpLayout->sizeTotal.cx += size.cx;
        lpLayout->sizeTotal.cy = std::max(lpLayout->sizeTotal.cy, size.cy);
        if (m_dwStyle & CBRS_ALIGN_LEFT) {
            lpLayout->rect.left += size.cx;
        } else {
            rect.left = rect.right - size.cx;
            lpLayout->rect.right -= size.cx;
        }
    }
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;
    AfxRepositionWindow(lpLayout, m_hWnd, &rect);
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM) {
    BOOL bVisible = (GetStyle() & WS_VISIBLE) != 0;
    UINT swp = 0;
    if ((m_nStateFlags & delayHide) && bVisible)
        swp = SWP_HIDEWINDOW;
    else if ((m_nStateFlags & delayShow) && !bVisible)
        swp = SWP_SHOWWINDOW;
    m_nStateFlags &= ~(UINT)(delayHide | delayShow);
    if (swp)
        SetWindowPos(nullptr, 0, 0, 0, 0, swp | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!(GetStyle() & WS_VISIBLE))
        return 0;
    if (m_pDockBar && m_pDockBar->m_hWnd && !(m_pDockBar->GetStyle() & WS_VISIBLE))
        return 0;
    // Commands are offered to the bar's owner frame, which routes them to view, document and
    // application.
    CWnd* pOwner = GetOwner();
    CFrameWnd* pTarget = pOwner && pOwner->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(pOwner)
                                                                              : GetParentFrame();
    if (pTarget)
        OnUpdateCmdUI(pTarget, (BOOL)wParam);
    return 0;
}

LRESULT CControlBar::OnInitialUpdate(WPARAM, LPARAM) {
    // The first update comes before the first idle time, so a bar never shows stale states.
    return OnIdleUpdateCmdUI(TRUE, 0);
}
