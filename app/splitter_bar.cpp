// The program's splitter bar and the captioned split view.
#include "app/splitter_bar.h"

#include "app/dovemark_app.h"
#include "app/main_frame.h"
#include "engine/engine_state.h"
#include "toolkit/base/color_table.h"

#include <set>

IMPLEMENT_DYNAMIC(CSplitterBar, CStatic)

namespace {

std::set<CSplitterBar*>& LiveBars()
{
    static std::set<CSplitterBar*> bars;
    return bars;
}

void MovePane(CWnd* pane, const CRect& rect)
{
    if (pane && pane->m_hWnd)
        pane->MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

} // namespace

BEGIN_MESSAGE_MAP(CSplitterBar, CStatic)
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_DESTROY()
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CSplitterBar::CSplitterBar()
{
    LiveBars().insert(this);
}

CSplitterBar::~CSplitterBar()
{
    LiveBars().erase(this);
}

BOOL CSplitterBar::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= SS_NOTIFY;
    return CStatic::PreCreateWindow(cs);
}

BOOL CSplitterBar::Create(DWORD dwStyle, CWnd* pParent, CWnd* pPane1, CWnd* pPane2, UINT nID, const RECT& rect,
                          int minimum1, int minimum2)
{
    m_pOwner = this;
    m_nID = nID;
    if (!CStatic::Create(u"", dwStyle, rect, pParent, nID))
        return FALSE;
    for (CWnd* pane : {pPane1, pPane2}) {
        if (pane && pane->m_hWnd) {
            pane->SetParent(this);
            pane->SetOwner(pParent);
        }
    }
    m_nMinLeft = m_nMinTop = minimum1;
    m_nMinRight = m_nMinBottom = minimum2;
    if (dwStyle & SPLS_VERTICAL)
        SetupVertical(pPane1, pPane2, minimum1, minimum2);
    if (dwStyle & SPLS_HORIZONTAL)
        SetupHorizontal(pPane1, pPane2, minimum1, minimum2);
    return TRUE;
}

CString CSplitterBar::VertSection() const
{
    CString section;
    section.Format(u"splt\\init_v%u", m_nID);
    return section;
}

CString CSplitterBar::HorzSection() const
{
    CString section;
    section.Format(u"splt\\init_h%u", m_nID);
    return section;
}

void CSplitterBar::SetupVertical(CWnd* pLeft, CWnd* pRight, int minLeft, int minRight)
{
    m_pLeft = pLeft;
    m_pRight = pRight;
    m_nMinLeft = minLeft;
    m_nMinRight = minRight;
    m_bVertical = TRUE;
    m_bHorizontal = FALSE;
    CWinApp* app = AfxGetApp();
    int pos = app ? int(app->GetProfileInt(VertSection(), u"VertSplitPos", 2 * minLeft)) : 2 * minLeft;
    CRect client;
    GetClientRect(&client);
    m_rectLeft.SetRect(client.left, client.top, pos, client.bottom);
    MoveVerticalSplit(pos + m_nBarWidth / 2);
    m_nLeftWidth = m_rectLeft.Width();
}

void CSplitterBar::SetupHorizontal(CWnd* pTop, CWnd* pBottom, int minTop, int minBottom)
{
    m_pTop = pTop;
    m_pBottom = pBottom;
    m_nMinTop = minTop;
    m_nMinBottom = minBottom;
    m_bHorizontal = TRUE;
    m_bVertical = FALSE;
    CWinApp* app = AfxGetApp();
    m_nBottomHeight =
        app ? int(app->GetProfileInt(HorzSection(), u"HorizSplitPos", 2 * minBottom)) : 2 * minBottom;
    CRect client;
    GetClientRect(&client);
    MoveHorizontalSplit(client.Height() - m_nBarWidth / 2 - m_nBottomHeight);
}

void CSplitterBar::MoveVerticalSplit(int x)
{
    CRect client;
    GetClientRect(&client);
    const int w = m_nBarWidth;
    m_rectVertHit.SetRect(x - w, client.top, x + w, client.bottom);
    m_rectLeft.SetRect(client.left, client.top, x - w / 2, client.bottom);
    MovePane(m_pLeft, m_rectLeft);
    m_rectRight.SetRect(m_rectLeft.right + w, client.top, client.right, client.bottom);
    MovePane(m_pRight, m_rectRight);
}

void CSplitterBar::MoveHorizontalSplit(int y)
{
    CRect client;
    GetClientRect(&client);
    const int w = m_nBarWidth;
    m_rectHorzHit.SetRect(0, y - w, client.right, y + w);
    m_rectBottom.SetRect(client.left, y + w / 2, client.right, client.bottom);
    MovePane(m_pBottom, m_rectBottom);
    m_rectTop.SetRect(client.left, client.top, client.right, m_rectBottom.top - w);
    MovePane(m_pTop, m_rectTop);
}

int CSplitterBar::ClampX(int x) const
{
    CRect client;
    GetClientRect(&client);
    x = std::min<int>(x, client.right - m_nMinRight);
    return std::max<int>(x, client.left + m_nMinLeft);
}

int CSplitterBar::ClampY(int y) const
{
    CRect client;
    GetClientRect(&client);
    y = std::min<int>(y, client.bottom - m_nMinBottom);
    return std::max<int>(y, client.top + m_nMinTop);
}

void CSplitterBar::OnSize(UINT nType, int cx, int cy)
{
    Default();
    CRect client;
    GetClientRect(&client);
    if (m_bVertical && m_bLeftHidden)
        MovePane(m_pRight, client);
    else if (m_bVertical)
        MoveVerticalSplit(ClampX(m_nBarWidth / 2 + m_nLeftWidth));
    if (m_bHorizontal)
        MoveHorizontalSplit(ClampY(client.Height() - m_nBarWidth / 2 - m_nBottomHeight));
}

CPoint CSplitterBar::ToLogical(CPoint point)
{
    CClientDC dc(this);
    dc.DPtoLP(&point);
    return point;
}

void CSplitterBar::DrawTracker(const CRect& tracker)
{
    CWnd* parent = GetParent();
    if (!parent)
        return;
    CRect parentRect;
    parent->GetWindowRect(&parentRect);
    CWindowDC dc(parent);
    HBRUSH brush = ::GetSysColorBrush(COLOR_BTNFACE);
    HGDIOBJ old = ::SelectObject(dc.GetSafeHdc(), brush);
    const int w = m_nBarWidth;
    if (m_bVertTracking)
        dc.PatBlt(tracker.left - parentRect.left + m_ptVertStart.x - w / 2, tracker.top - parentRect.top, w,
                  tracker.Height(), PATINVERT);
    else if (m_bHorzTracking)
        dc.PatBlt(tracker.left - parentRect.left, tracker.top - parentRect.top + m_ptHorzStart.y - w / 2,
                  tracker.Width(), w, PATINVERT);
    ::SelectObject(dc.GetSafeHdc(), old);
}

void CSplitterBar::OnLButtonDown(UINT, CPoint point)
{
    point = ToLogical(point);
    if (m_bVertical && !m_bLeftHidden && m_rectVertHit.PtInRect(point)) {
        GetWindowRect(&m_rectVertTracker);
        m_ptVertStart = m_ptVertLast = point;
        m_bVertTracking = TRUE;
        DrawTracker(m_rectVertTracker);
        SetCapture();
        m_hWndFocusVert = ::SetFocus(m_hWnd);
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
        m_bVertArmed = TRUE;
    } else if (m_bHorizontal && m_rectHorzHit.PtInRect(point)) {
        GetWindowRect(&m_rectHorzTracker);
        m_ptHorzStart = m_ptHorzLast = point;
        m_bHorzTracking = TRUE;
        DrawTracker(m_rectHorzTracker);
        SetCapture();
        m_hWndFocusHorz = ::SetFocus(m_hWnd);
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
        m_bHorzArmed = TRUE;
    }
    Default();
}

void CSplitterBar::OnMouseMove(UINT, CPoint point)
{
    point = ToLogical(point);
    if (m_bVertical && m_rectVertHit.PtInRect(point))
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
    else if (m_bHorizontal && m_rectHorzHit.PtInRect(point))
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
    if (m_bVertTracking) {
        DrawTracker(m_rectVertTracker);
        point.x = ClampX(point.x);
        m_rectVertTracker.OffsetRect(point.x - m_ptVertLast.x, 0);
        DrawTracker(m_rectVertTracker);
        m_ptVertLast = point;
    } else if (m_bHorzTracking) {
        DrawTracker(m_rectHorzTracker);
        point.y = ClampY(point.y);
        m_rectHorzTracker.OffsetRect(0, point.y - m_ptHorzLast.y);
        DrawTracker(m_rectHorzTracker);
        m_ptHorzLast = point;
    }
}

void CSplitterBar::OnLButtonUp(UINT, CPoint point)
{
    point = ToLogical(point);
    if (m_bVertTracking && m_bVertArmed) {
        int x = ClampX(point.x);
        DrawTracker(m_rectVertTracker);
        m_bVertTracking = FALSE;
        MoveVerticalSplit(x);
        m_nLeftWidth = m_rectLeft.Width();
        m_bVertArmed = FALSE;
        ::ReleaseCapture();
    } else if (m_bHorzTracking && m_bHorzArmed) {
        int y = ClampY(point.y);
        DrawTracker(m_rectHorzTracker);
        m_bHorzTracking = FALSE;
        MoveHorizontalSplit(y);
        m_nBottomHeight = m_rectBottom.Height();
        m_bHorzArmed = FALSE;
        ::ReleaseCapture();
    }
}

void CSplitterBar::CancelTracking()
{
    if (m_bVertTracking) {
        DrawTracker(m_rectVertTracker);
        m_bVertTracking = m_bVertArmed = FALSE;
        ::ReleaseCapture();
        ::SetFocus(m_hWndFocusVert);
    } else if (m_bHorzTracking) {
        DrawTracker(m_rectHorzTracker);
        m_bHorzTracking = m_bHorzArmed = FALSE;
        ::ReleaseCapture();
        ::SetFocus(m_hWndFocusHorz);
    }
}

BOOL CSplitterBar::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE && (m_bVertTracking || m_bHorzTracking)) {
        CancelTracking();
        return TRUE;
    }
    return CStatic::PreTranslateMessage(pMsg);
}

void CSplitterBar::OnKeyDown(UINT nChar, UINT, UINT)
{
    // The bar holds the focus while it tracks, so Escape reaches it here when no loop pre-translates it.
    if (nChar == VK_ESCAPE && (m_bVertTracking || m_bHorzTracking))
        CancelTracking();
    else
        Default();
}

void CSplitterBar::HideLeftPane()
{
    if (!m_bVertical || m_bLeftHidden || !m_pRight || !m_pRight->m_hWnd)
        return;
    m_bLeftHidden = TRUE;
    m_rectVertHit.SetRectEmpty();
    if (m_pLeft && m_pLeft->m_hWnd)
        m_pLeft->ShowWindow(SW_HIDE);
    CRect client;
    GetClientRect(&client);
    MovePane(m_pRight, client);
}

void CSplitterBar::ShowLeftPane()
{
    if (!m_bVertical)
        return;
    m_bLeftHidden = FALSE;
    m_nLeftWidth = m_rectLeft.Width();
    MoveVerticalSplit(m_nBarWidth / 2 + m_rectLeft.right);
    if (m_pLeft && m_pLeft->m_hWnd)
        m_pLeft->ShowWindow(SW_SHOW);
}

void CSplitterBar::SavePosition()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    if (!m_rectLeft.IsRectEmpty())
        app->WriteProfileInt(VertSection(), u"VertSplitPos", m_rectLeft.right);
    if (!m_rectBottom.IsRectEmpty())
        app->WriteProfileInt(HorzSection(), u"HorizSplitPos", m_rectBottom.Height());
}

void CSplitterBar::SaveAllPositions()
{
    for (CSplitterBar* bar : LiveBars())
        if (bar->m_hWnd)
            bar->SavePosition();
}

void CSplitterBar::OnDestroy()
{
    Default();
    SavePosition();
}

// ---- CSplitView --------------------------------------------------------------------------------
IMPLEMENT_DYNCREATE(CSplitView, CView)

BEGIN_MESSAGE_MAP(CSplitView, CView)
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

int CSplitView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    EnableWindow(FALSE);
    return 0;
}

void CSplitView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    CRect band(client.left, client.top, client.right, client.top + 20);
    CTKPColorTable& colors = GetColorTable();
    pDC->FillSolidRect(&band, colors.GetColorByIndex(16));
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(colors.GetColorByIndex(18));
    pDC->TextOut(band.left + 4, band.top + 3, m_strCaption);
}

void CSplitView::OnLButtonDown(UINT, CPoint)
{
    CMainFrame* frame = MainFrame();
    CDovemarkApp* app = DovemarkApp();
    if (!frame || !app)
        return;
    const bool ready = ScanMode == 0 ? frame->m_bFullResultsReady : frame->m_bResultsReady;
    if (CView* page = app->GetPage(ready ? 4 : 0))
        frame->SetActiveView(page);
}
