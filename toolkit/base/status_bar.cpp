// The status bar and its panes: indicators, layout of the parts, pane texts and themed painting.
#include "toolkit/base/status_bar.h"

#include "afx/frame.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/tip_context.h"

#include <algorithm>
#include <cstring>

#ifndef CS_BYTEALIGNCLIENT
#define CS_BYTEALIGNCLIENT 0x1000
#endif

// ---- Panes ----

IMPLEMENT_DYNAMIC(CTKPStatusBarPane, CCmdTarget)

CTKPStatusBarPane::CTKPStatusBarPane(CTKPStatusBar* bar, UINT id) : m_nID(id), m_pStatusBar(bar) {}

CTKPStatusBarPane::~CTKPStatusBarPane()
{
    if (m_hWndPane && ::IsWindow(m_hWndPane) && m_bAutoDeleteWnd)
        ::DestroyWindow(m_hWndPane);
}

void CTKPStatusBarPane::Release()
{
    if (--m_nRef == 0)
        delete this;
}

HFONT CTKPStatusBarPane::GetFont() const
{
    if (m_hFont)
        return m_hFont;
    return m_pStatusBar ? m_pStatusBar->GetFont() : nullptr;
}

void CTKPStatusBarPane::BestFit()
{
    HDC screen = ::GetDC(nullptr);
    int width = 0;
    if (screen) {
        HGDIOBJ old = ::SelectObject(screen, GetFont() ? HGDIOBJ(GetFont()) : ::GetStockObject(DEFAULT_GUI_FONT));
        SIZE size{};
        if (!m_strText.IsEmpty() && ::GetTextExtentPoint32W(screen, m_strText, m_strText.GetLength(), &size))
            width = size.cx;
        ::SelectObject(screen, old);
        ::ReleaseDC(nullptr, screen);
    }
    if (CTKPImageIcon* icon = GetIcon())
        width += icon->GetWidth() + (m_strText.IsEmpty() ? 0 : 2);
    m_cxText = width;
}

CTKPImageIcon* CTKPStatusBarPane::GetIcon() const
{
    if (m_nIconId == -1)
        return nullptr;
    CTKPImageManager* images = m_pStatusBar ? m_pStatusBar->GetImageManager() : GetGlobalImageManager();
    return images->GetImage(UINT(m_nIconId), 0);
}

void CTKPStatusBarPane::Draw(HDC hdc, const RECT& rc)
{
    CTKPPaintManager* manager = m_pStatusBar ? m_pStatusBar->GetPaintManager() : nullptr;
    if (manager)
        manager->DrawStatusBarPaneEntry(hdc, rc, this);
}

// ---- Pane windows ----

IMPLEMENT_DYNCREATE(CTKPStatusBarPaneWnd, CWnd)

BEGIN_MESSAGE_MAP(CTKPStatusBarPaneWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL CTKPStatusBarPaneWnd::Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    LPCWSTR className = AfxRegisterWndClass(CS_BYTEALIGNCLIENT | CS_DBLCLKS);
    m_strText = text ? text : u"";
    return CWnd::Create(className, text, style, rect, pParentWnd, nID);
}

void CTKPStatusBarPaneWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    {
        CTKPOffscreenDC dc(hdc, client);
        HBRUSH brush = ::CreateSolidBrush(GetColorTable().GetColorByIndex(15));
        ::FillRect(dc.GetSafeHdc(), &client, brush);
        ::DeleteObject(brush);
        DrawContent(dc.GetSafeHdc(), client);
    }
    ::EndPaint(m_hWnd, &ps);
}

BOOL CTKPStatusBarPaneWnd::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

// ---- The bar ----

IMPLEMENT_DYNAMIC(CTKPStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CTKPStatusBar, CControlBar)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_NCHITTEST()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
    ON_MESSAGE(SB_SETMINHEIGHT, OnSetMinHeight)
END_MESSAGE_MAP()

namespace {

struct TKStatusMetrics {
    UINT cbSize;
    int iBorderWidth, iScrollWidth, iScrollHeight, iCaptionWidth, iCaptionHeight;
    LOGFONTW lfCaptionFont;
    int iSmCaptionWidth, iSmCaptionHeight;
    LOGFONTW lfSmCaptionFont;
    int iMenuWidth, iMenuHeight;
    LOGFONTW lfMenuFont, lfStatusFont, lfMessageFont;
};
static_assert(sizeof(TKStatusMetrics) == 500);

} // namespace

CTKPStatusBar::CTKPStatusBar() : m_pToolTipContext(new CTKPTipContext())
{
    m_cyTopBorder = 2;
    m_cxLeftBorder = m_cxRightBorder = 0;
    m_cyBottomBorder = 0;
    TKStatusMetrics ncm{};
    ncm.cbSize = sizeof(ncm);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        m_hFont = ::CreateFontIndirectW(&ncm.lfStatusFont);
}

CTKPStatusBar::~CTKPStatusBar()
{
    for (CTKPStatusBarPane* pane : m_panes)
        pane->Release();
    m_panes.clear();
    m_pToolTipContext->InternalRelease();
    if (m_hFont)
        ::DeleteObject(m_hFont);
}

BOOL CTKPStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    // A bottom bar keeps no top border of its own: the frame's edge already draws one.
    if ((dwStyle & 0xFF00) == (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP))
        dwStyle &= ~DWORD(CBRS_BORDER_ANY | CBRS_BORDER_3D);
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD windowStyle = (dwStyle & ~DWORD(CBRS_ALL)) | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    if (pParentWnd && (::GetWindowLongW(pParentWnd->GetSafeHwnd(), GWL_STYLE) & WS_THICKFRAME))
        windowStyle |= SBARS_SIZEGRIP;
    CRect rc(0, 0, 0, 0);
    return CWnd::Create(STATUSCLASSNAMEW, nullptr, windowStyle, rc, pParentWnd, nID);
}

int CTKPStatusBar::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CControlBar::OnCreate(lpcs) == -1)
        return -1;
    SendMessage(WM_SETFONT, WPARAM(m_hFont), 0);
    SendMessage(SB_SETMINHEIGHT, 20, 0);
    return 0;
}

BOOL CTKPStatusBar::SetIndicators(const UINT* ids, int count)
{
    RemoveAll();
    m_panes.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        CTKPStatusBarPane* pane = new CTKPStatusBarPane(this, ids[i]);
        pane->m_nFlags |= 1;
        if (ids[i] != 0) {
            if (!pane->m_strText.LoadString(ids[i])) {
                pane->Release();
                UpdateAllPanes(TRUE, TRUE);
                return FALSE;
            }
            pane->BestFit();
        } else {
            pane->m_cxText = ::GetSystemMetrics(SM_CXSCREEN) / 4;
            if (i == 0)
                pane->m_nStyle |= TKP_SBPS_STRETCH | TKP_SBPS_NOBORDERS;
        }
        m_panes.push_back(pane);
    }
    UpdateAllPanes(TRUE, TRUE);
    return TRUE;
}

void CTKPStatusBar::RemoveAll()
{
    for (CTKPStatusBarPane* pane : m_panes)
        pane->Release();
    m_panes.clear();
    m_panes.shrink_to_fit();
    UpdateAllPanes(TRUE, TRUE);
}

CTKPStatusBarPane* CTKPStatusBar::GetPane(int index) const
{
    return index >= 0 && index < GetPaneCount() ? m_panes[size_t(index)] : nullptr;
}

int CTKPStatusBar::GetVisiblePaneCount() const
{
    return int(std::count_if(m_panes.begin(), m_panes.end(), [](const CTKPStatusBarPane* p) { return p->m_bVisible; }));
}

int CTKPStatusBar::CommandToIndex(UINT id) const
{
    for (int i = 0; i < GetPaneCount(); ++i)
        if (m_panes[size_t(i)]->m_nID == id)
            return i;
    return -1;
}

CTKPStatusBarPane* CTKPStatusBar::HitTest(POINT pt, RECT* rcPane) const
{
    for (int i = 0; i < GetPaneCount(); ++i) {
        if (!m_panes[size_t(i)]->m_bVisible)
            continue;
        RECT rc{};
        GetItemRect(i, &rc);
        if (::PtInRect(&rc, pt)) {
            if (rcPane)
                *rcPane = rc;
            return m_panes[size_t(i)];
        }
    }
    return nullptr;
}

UINT CTKPStatusBar::GetPaneStyle(int index) const
{
    CTKPStatusBarPane* pane = GetPane(index);
    return pane ? pane->m_nStyle : 0;
}

void CTKPStatusBar::SetPaneStyle(int index, UINT style)
{
    CTKPStatusBarPane* pane = GetPane(index);
    if (!pane || pane->m_nStyle == style)
        return;
    const BOOL stretchChanged = ((pane->m_nStyle ^ style) & TKP_SBPS_STRETCH) != 0;
    pane->m_nStyle = style;
    if (stretchChanged)
        UpdateAllPanes(TRUE, FALSE);
    pane->m_nFlags |= 1;
    SetPaneText(index, pane->m_strText, TRUE);
}

BOOL CTKPStatusBar::SetPaneText(int index, LPCWSTR text, BOOL update)
{
    CTKPStatusBarPane* pane = GetPane(index);
    if (!pane)
        return FALSE;
    const CString newText(text ? text : u"");
    if (!(pane->m_nFlags & 1) && pane->m_strText == newText)
        return TRUE;
    pane->m_strText = newText;
    if (!pane->m_bVisible)
        return FALSE;
    pane->m_nFlags |= 1;
    if (!update || !m_hWnd)
        return TRUE;
    pane->m_nFlags &= ~1u;
    const WPARAM part = WPARAM(pane->m_nVisibleIndex) | (pane->m_nStyle & 0xFFFF);
    LPCWSTR sent = (pane->m_nStyle & TKP_SBPS_DISABLED) ? nullptr : static_cast<LPCWSTR>(pane->m_strText);
    DefWindowProc(SB_SETTEXT, part, LPARAM(sent));
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return TRUE;
}

CString CTKPStatusBar::GetPaneText(int index) const
{
    CTKPStatusBarPane* pane = GetPane(index);
    return pane ? pane->m_strText : CString();
}

void CTKPStatusBar::GetItemRect(int index, RECT* rc) const
{
    *rc = RECT{};
    CTKPStatusBarPane* pane = GetPane(index);
    if (!pane || !m_hWnd || pane->m_nVisibleIndex < 0)
        return;
    if (!::SendMessageW(m_hWnd, SB_GETRECT, WPARAM(pane->m_nVisibleIndex), LPARAM(rc))) {
        *rc = RECT{};
        return;
    }
    if (pane->m_nVisibleIndex != GetVisiblePaneCount() - 1)
        return;
    if (pane->m_nStyle & TKP_SBPS_STRETCH) {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        rc->right = client.right;
        if (HasSizeGrip())
            rc->right -= ::GetSystemMetrics(SM_CXSMICON) + ::GetSystemMetrics(SM_CXEDGE);
    } else {
        rc->right = rc->left + pane->m_cxText + 3 * ::GetSystemMetrics(SM_CXEDGE);
    }
}

CTKPPaintManager* CTKPStatusBar::GetPaintManager() const
{
    if (!m_bDrawWithPaintManager)
        return nullptr;
    if (CTKPCommandBars* bars = GetCommandBars())
        return bars->GetPaintManager();
    if (!g_pGlobalPaintManager)
        SetGlobalTheme(TKP_THEME_CLASSIC);
    return g_pGlobalPaintManager;
}

CTKPImageManager* CTKPStatusBar::GetImageManager() const
{
    CTKPCommandBars* bars = GetCommandBars();
    return bars ? bars->GetImageManager() : GetGlobalImageManager();
}

CTKPCommandBars* CTKPStatusBar::GetCommandBars() const
{
    if (m_pCommandBars)
        return m_pCommandBars;
    CWnd* parent = m_hWnd ? CWnd::FromHandlePermanent(::GetParent(m_hWnd)) : nullptr;
    if (auto* frame = dynamic_cast<CTKPFrameWnd*>(parent))
        return frame->GetCommandBars();
    if (auto* frame = dynamic_cast<CTKPMDIFrameWnd*>(parent))
        return frame->GetCommandBars();
    return nullptr;
}

INT_PTR CTKPStatusBar::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const
{
    const INT_PTR own = CControlBar::OnToolHitTest(point, pTI);
    if (own != -1)
        return own;
    RECT rc{};
    CTKPStatusBarPane* pane = HitTest(POINT{point.x, point.y}, &rc);
    if (!pane || pane->m_strTooltip.IsEmpty())
        return -1;
    CTKPTipContext::FillToolInfo(pTI, m_hWnd, pane->m_nID, rc, 0, pane->m_strTooltip);
    return INT_PTR(pane->m_nID);
}

void CTKPStatusBar::SetBarStyle(DWORD dwStyle)
{
    const DWORD old = m_dwStyle;
    CControlBar::SetBarStyle(dwStyle);
    if (m_hWnd && ((old ^ m_dwStyle) & 0x0F00))
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CTKPStatusBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
        (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK))
        m_pToolTipContext->RelayToolTipMessage(this, message, wParam, lParam);
    switch (message) {
    case WM_NCCALCSIZE: {
        // The borders the bar draws are non-client; the top one gives back two pixels.
        CRect inside(0, 0, 0, 0);
        CControlBar::CalcInsideRect(inside, TRUE);
        auto* rc = reinterpret_cast<RECT*>(lParam);
        if (rc) {
            rc->left += inside.left;
            rc->top += inside.top - 2;
            rc->right += inside.right;
            rc->bottom += inside.bottom;
        }
        return 0;
    }
    case WM_NCPAINT:
        EraseNonClient();
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // The control lays itself out against the window without the bar's borders.
        const DWORD style = m_dwStyle;
        m_dwStyle &= ~DWORD(CBRS_BORDER_ANY);
        const LRESULT result = CControlBar::WindowProc(message, wParam, lParam);
        m_dwStyle = style;
        return result;
    }
    default:
        return CControlBar::WindowProc(message, wParam, lParam);
    }
}

void CTKPStatusBar::EraseNonClient()
{
    HDC hdc = ::GetWindowDC(m_hWnd);
    if (!hdc)
        return;
    RECT window{}, client{};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&client.left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&client.right));
    ::OffsetRect(&client, -window.left, -window.top);
    ::OffsetRect(&window, -window.left, -window.top);
    ::ExcludeClipRect(hdc, client.left, client.top, client.right, client.bottom);
    if (CTKPPaintManager* manager = GetPaintManager())
        manager->FillFrameClient(hdc, window);
    else
        ::FillRect(hdc, &window, ::GetSysColorBrush(COLOR_BTNFACE));
    CDC* dc = CDC::FromHandle(hdc);
    CRect rc(window);
    DrawBorders(dc, rc);
    ::ReleaseDC(m_hWnd, hdc);
}

BOOL CTKPStatusBar::HasSizeGrip() const
{
    return m_hWnd && (::GetWindowLongW(m_hWnd, GWL_STYLE) & SBARS_SIZEGRIP) != 0;
}

BOOL CTKPStatusBar::ParentMaximized() const
{
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    return parent && ::IsZoomed(parent);
}

void CTKPStatusBar::CalcInsideRect(CRect& rect, BOOL bHorz) const
{
    CControlBar::CalcInsideRect(rect, bHorz);
    if (HasSizeGrip() && !ParentMaximized()) {
        int borders[3] = {};
        ::SendMessageW(m_hWnd, SB_GETBORDERS, 0, LPARAM(borders));
        rect.right -= 2 * ::GetSystemMetrics(SM_CXBORDER) + borders[0] + ::GetSystemMetrics(SM_CXVSCROLL);
    }
}

CSize CTKPStatusBar::CalcFixedLayout(BOOL, BOOL bHorz)
{
    CRect inside(0, 0, 0, 0);
    CalcInsideRect(inside, bHorz);
    int borders[3] = {};
    if (m_hWnd)
        ::SendMessageW(m_hWnd, SB_GETBORDERS, 0, LPARAM(borders));
    TEXTMETRICW tm{};
    HDC screen = ::GetDC(nullptr);
    if (screen) {
        HGDIOBJ old = ::SelectObject(screen, m_hFont ? HGDIOBJ(m_hFont) : ::GetStockObject(DEFAULT_GUI_FONT));
        ::GetTextMetricsW(screen, &tm);
        ::SelectObject(screen, old);
        ::ReleaseDC(nullptr, screen);
    }
    const int height = tm.tmHeight - tm.tmInternalLeading - 1 + 2 * (::GetSystemMetrics(SM_CYBORDER) + borders[1]) -
                       inside.Height();
    return CSize(32767, std::max(m_nMinHeight, height));
}

void CTKPStatusBar::UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText)
{
    if (!m_hWnd)
        return;
    if (bUpdateRects) {
        CRect rect;
        ::GetWindowRect(m_hWnd, &rect);
        rect.OffsetRect(-rect.left, -rect.top);
        CalcInsideRect(rect, TRUE);
        int borders[3] = {};
        ::SendMessageW(m_hWnd, SB_GETBORDERS, 0, LPARAM(borders));
        const int spacing = borders[2];
        int remaining = rect.Width() + spacing;
        int stretchCount = 0, visible = 0;
        for (size_t i = 0; i < m_panes.size(); ++i) {
            CTKPStatusBarPane* pane = m_panes[i];
            pane->m_nIndex = int(i);
            pane->m_nVisibleIndex = -1;
            if (!pane->m_bVisible)
                continue;
            pane->m_nVisibleIndex = visible++;
            remaining -= pane->m_cxText + 6 + spacing;
            if (pane->m_nStyle & TKP_SBPS_STRETCH)
                ++stretchCount;
        }
        std::vector<int> rights;
        int x = borders[0];
        for (CTKPStatusBarPane* pane : m_panes) {
            if (!pane->m_bVisible)
                continue;
            int right = x + pane->m_cxText + 6;
            if ((pane->m_nStyle & TKP_SBPS_STRETCH) && remaining > 0) {
                const int share = remaining / stretchCount;
                right += share;
                remaining -= share;
            }
            if (pane->m_nStyle & TKP_SBPS_STRETCH)
                --stretchCount;
            rights.push_back(right);
            x = right + spacing;
        }
        DefWindowProc(SB_SETPARTS, WPARAM(rights.size()), LPARAM(rights.empty() ? nullptr : rights.data()));
        PositionHostedWindows();
    }
    if (bUpdateText) {
        for (size_t i = 0; i < m_panes.size(); ++i)
            if (m_panes[i]->m_bVisible && (m_panes[i]->m_nFlags & 1))
                SetPaneText(int(i), m_panes[i]->m_strText, TRUE);
    }
}

void CTKPStatusBar::PositionHostedWindows()
{
    for (size_t i = 0; i < m_panes.size(); ++i) {
        CTKPStatusBarPane* pane = m_panes[i];
        if (!pane->m_hWndPane || !::IsWindow(pane->m_hWndPane))
            continue;
        RECT rc{};
        GetItemRect(int(i), &rc);
        if (!(pane->m_nStyle & TKP_SBPS_NOBORDERS))
            ::InflateRect(&rc, -::GetSystemMetrics(SM_CXEDGE), -::GetSystemMetrics(SM_CXEDGE));
        ::MoveWindow(pane->m_hWndPane, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
}

void CTKPStatusBar::DrawPaneEntry(HDC hdc, int index, const RECT& rc)
{
    if (CTKPStatusBarPane* pane = GetPane(index))
        pane->Draw(hdc, rc);
}

void CTKPStatusBar::DrawSizeGripper(HDC hdc, const RECT& rcClient)
{
    if (CTKPPaintManager* manager = GetPaintManager())
        manager->DrawSizeGrip(hdc, rcClient);
}

void CTKPStatusBar::OnPaint()
{
    CTKPPaintManager* manager = GetPaintManager();
    if (!manager) {
        Default();
        return;
    }
    UpdateAllPanes(FALSE, TRUE);
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    {
        CTKPOffscreenDC dc(hdc, client);
        manager->FillFrameClient(dc.GetSafeHdc(), client);
        const int visible = GetVisiblePaneCount();
        for (size_t i = 0; i < m_panes.size(); ++i) {
            CTKPStatusBarPane* pane = m_panes[i];
            if (!pane->m_bVisible)
                continue;
            RECT rc{};
            GetItemRect(int(i), &rc);
            if (!(pane->m_nStyle & TKP_SBPS_NOBORDERS))
                manager->DrawSunkenFrame(dc.GetSafeHdc(), rc, pane->m_nVisibleIndex == visible - 1);
            DrawPaneEntry(dc.GetSafeHdc(), int(i), rc);
        }
        HWND parent = ::GetParent(m_hWnd);
        if (parent && (::GetWindowLongW(parent, GWL_STYLE) & WS_THICKFRAME) && HasSizeGrip() && !ParentMaximized())
            DrawSizeGripper(dc.GetSafeHdc(), client);
    }
    ::EndPaint(m_hWnd, &ps);
}

BOOL CTKPStatusBar::OnEraseBkgnd(CDC* pDC)
{
    if (GetPaintManager())
        return TRUE;
    return CControlBar::OnEraseBkgnd(pDC);
}

void CTKPStatusBar::OnSize(UINT nType, int cx, int cy)
{
    CControlBar::OnSize(nType, cx, cy);
    UpdateAllPanes(TRUE, FALSE);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CTKPStatusBar::OnNcHitTest(CPoint)
{
    return Default() == HTBOTTOMRIGHT ? HTBOTTOMRIGHT : HTCLIENT;
}

LRESULT CTKPStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    const int index = CommandToIndex(0);
    if (index < 0)
        return -1;
    return SetPaneText(index, reinterpret_cast<LPCWSTR>(lParam), TRUE) ? 0 : -1;
}

LRESULT CTKPStatusBar::OnGetText(WPARAM wParam, LPARAM lParam)
{
    const int size = int(wParam);
    auto* buffer = reinterpret_cast<LPWSTR>(lParam);
    if (size <= 0 || !buffer)
        return 0;
    const int index = CommandToIndex(0);
    const CString text = index >= 0 ? GetPaneText(index) : CString();
    const int count = std::min(text.GetLength(), size - 1);
    std::memcpy(buffer, static_cast<LPCWSTR>(text), size_t(count) * sizeof(WCHAR));
    buffer[count] = 0;
    return count + 1;
}

LRESULT CTKPStatusBar::OnGetTextLength(WPARAM, LPARAM)
{
    const int index = CommandToIndex(0);
    return index >= 0 ? GetPaneText(index).GetLength() : 0;
}

LRESULT CTKPStatusBar::OnSetMinHeight(WPARAM wParam, LPARAM lParam)
{
    m_nMinHeight = int(wParam);
    return DefWindowProc(SB_SETMINHEIGHT, wParam, lParam);
}

namespace {

// What a command handler does to a pane: enabling clears the disabled bit, checking shows the
// pane popped out, and a text goes straight to the control.
class CTKPStatusCmdUI : public CCmdUI {
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        auto* bar = static_cast<CTKPStatusBar*>(m_pOther);
        const UINT style = bar->GetPaneStyle(int(m_nIndex));
        bar->SetPaneStyle(int(m_nIndex), bOn ? style & ~UINT(TKP_SBPS_DISABLED) : style | TKP_SBPS_DISABLED);
    }
    void SetCheck(int nCheck) override
    {
        auto* bar = static_cast<CTKPStatusBar*>(m_pOther);
        const UINT style = bar->GetPaneStyle(int(m_nIndex));
        bar->SetPaneStyle(int(m_nIndex), nCheck ? style | TKP_SBPS_POPOUT : style & ~UINT(TKP_SBPS_POPOUT));
    }
    void SetText(LPCWSTR lpszText) override
    {
        static_cast<CTKPStatusBar*>(m_pOther)->SetPaneText(int(m_nIndex), lpszText, TRUE);
    }
};

} // namespace

void CTKPStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CTKPStatusCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = UINT(GetPaneCount());
    for (int i = 0; i < GetPaneCount(); ++i) {
        // Separators carry no command: offering id 0 could only disable them.
        if (m_panes[size_t(i)]->m_nID == 0)
            continue;
        state.m_nID = m_panes[size_t(i)]->m_nID;
        state.m_nIndex = UINT(i);
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}
