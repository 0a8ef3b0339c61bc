// Dock bars: the rows of docked tool bars along one edge of the frame.
#include "toolkit/commandbars/dock_bar.h"

#include "afx/window_dc.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/tool_bar.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CTKPDockBar, CWnd)

BEGIN_MESSAGE_MAP(CTKPDockBar, CWnd)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CTKPDockBar::CTKPDockBar(CTKPCommandBars* bars) : m_bars{nullptr}, m_pCommandBars(bars)
{
}

CTKPDockBar::~CTKPDockBar()
{
    for (CTKPCommandBar* bar : m_bars)
        if (auto* toolBar = dynamic_cast<CTKPToolBar*>(bar))
            toolBar->SetDockBar(nullptr);
}

BOOL CTKPDockBar::Create(CWnd* pParent, DWORD style, UINT id)
{
    m_dwStyle = style & 0x40FFFF;
    const LPCWSTR className = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    return CWnd::Create(className, nullptr, (style & ~DWORD(0xFFFF)) | WS_CLIPSIBLINGS, RECT{0, 0, 0, 0}, pParent,
                        id);
}

void CTKPDockBar::DockCommandBar(CTKPToolBar* bar, LPCRECT)
{
    if (!bar || FindBar(bar) != -1)
        return;
    if (auto* old = bar->GetDockBar())
        old->RemoveCommandBar(bar);
    // The bar starts a row of its own after the last row.
    m_bars.push_back(bar);
    m_bars.push_back(nullptr);
    bar->SetDockBar(this);
    bar->SetPosition(GetPosition());
}

BOOL CTKPDockBar::RemoveCommandBar(CTKPCommandBar* bar, int excluded)
{
    const int index = FindBar(bar, excluded);
    if (index < 0)
        return FALSE;
    m_bars.erase(m_bars.begin() + index);
    if (index > 0 && index < GetBarCount() && !m_bars[size_t(index - 1)] && !m_bars[size_t(index)])
        m_bars.erase(m_bars.begin() + index);
    if (auto* toolBar = dynamic_cast<CTKPToolBar*>(bar))
        toolBar->SetDockBar(nullptr);
    if (m_pCommandBars)
        m_pCommandBars->RecalcFrameLayout(TRUE);
    return TRUE;
}

int CTKPDockBar::FindBar(CTKPCommandBar* bar, int excluded) const
{
    if (!bar)
        return -1;
    for (int i = 0; i < GetBarCount(); ++i)
        if (i != excluded && m_bars[size_t(i)] == bar)
            return i;
    return -1;
}

CTKPCommandBar* CTKPDockBar::GetBar(int index) const
{
    return index >= 0 && index < GetBarCount() ? m_bars[size_t(index)] : nullptr;
}

int CTKPDockBar::GetPosition() const
{
    if (m_dwStyle & (0x2000 | 0x800))
        return 0;
    if (m_dwStyle & (0x8000 | 0x200))
        return 1;
    if (m_dwStyle & (0x1000 | 0x400))
        return 2;
    return 3;
}

int CTKPDockBar::CalcRows(int length, BOOL commit, std::vector<Placement>* places)
{
    const BOOL horizontal = GetPosition() < 2;
    const DWORD baseMode = (horizontal ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK) | (commit ? LM_COMMIT : 0);
    int offset = 0;
    int along = 0;
    int thickness = 0;
    BOOL rowUsed = FALSE;
    for (size_t i = 0; i < m_bars.size(); ++i) {
        CTKPCommandBar* entry = m_bars[i];
        if (!entry) {
            if (rowUsed)
                offset += thickness;
            along = 0;
            thickness = 0;
            rowUsed = FALSE;
            continue;
        }
        auto* bar = dynamic_cast<CTKPToolBar*>(entry);
        if (!bar || !bar->IsVisible())
            continue;
        const BOOL stretch = (bar->GetDockingFlags() & 64) != 0;
        const int room = std::max(length - along, 1);
        // Measured at the whole length first: the bar's natural size, then fitted to the room left.
        DWORD mode = baseMode | (stretch ? LM_STRETCH : 0);
        CSize size = bar->CalcDockingLayout(stretch ? length : room, mode);
        int extent = horizontal ? size.cx : size.cy;
        if (extent > room && along > 0 && !stretch) {
            // A row that is full starts a new one rather than squeezing the bar to nothing.
            offset += thickness;
            along = 0;
            thickness = 0;
            size = bar->CalcDockingLayout(length, mode);
            extent = horizontal ? size.cx : size.cy;
        }
        extent = std::min(extent, std::max(length - along, 1));
        const int depth = horizontal ? size.cy : size.cx;
        if (places) {
            const RECT rect = horizontal ? RECT{along, offset, along + extent, offset + depth}
                                         : RECT{offset, along, offset + depth, along + extent};
            places->push_back(Placement{bar, rect});
        }
        along += extent;
        thickness = std::max(thickness, depth);
        rowUsed = TRUE;
    }
    if (rowUsed)
        offset += thickness;
    return offset;
}

LRESULT CTKPDockBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    if (!layout)
        return 0;
    RECT& free = layout->rect;
    const int position = GetPosition();
    const BOOL horizontal = position < 2;
    const int length = horizontal ? free.right - free.left : free.bottom - free.top;
    std::vector<Placement> places;
    const int thickness = CalcRows(length, layout->hDWP != nullptr, &places);
    RECT rect = free;
    switch (position) {
    case 0:
        rect.bottom = rect.top + thickness;
        free.top += thickness;
        break;
    case 1:
        rect.top = rect.bottom - thickness;
        free.bottom -= thickness;
        break;
    case 2:
        rect.right = rect.left + thickness;
        free.left += thickness;
        break;
    default:
        rect.left = rect.right - thickness;
        free.right -= thickness;
        break;
    }
    if (horizontal) {
        layout->sizeTotal.cy += thickness;
        layout->sizeTotal.cx = std::max(int(layout->sizeTotal.cx), length);
    } else {
        layout->sizeTotal.cx += thickness;
        layout->sizeTotal.cy = std::max(int(layout->sizeTotal.cy), length);
    }
    if (!layout->hDWP)
        return 0;
    AfxRepositionWindow(layout, m_hWnd, &rect);
    for (const Placement& place : places) {
        CTKPToolBar* bar = place.bar;
        if (!bar->m_hWnd)
            continue;
        if (::GetParent(bar->m_hWnd) != m_hWnd)
            ::SetParent(bar->m_hWnd, m_hWnd);
        const RECT& r = place.rect;
        ::SetWindowPos(bar->m_hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        ::InvalidateRect(bar->m_hWnd, nullptr, FALSE);
    }
    return 0;
}

BOOL CTKPDockBar::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CTKPDockBar::OnPaint()
{
    CPaintDC dc(this);
    CTKPDockBarInfo info{};
    ::GetClientRect(m_hWnd, &info.rcClient);
    info.dwStyle = DWORD(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    info.nPosition = GetPosition();
    CTKPPaintManager* paint = m_pCommandBars ? m_pCommandBars->GetPaintManager() : GetGlobalPaintManager();
    if (paint)
        paint->FillDockBar(dc.m_hDC, info);
}
