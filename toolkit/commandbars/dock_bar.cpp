// Dock bars: the rows of docked tool bars along one edge of the frame.
#include "toolkit/commandbars/dock_bar.h"

#include "afx/window_dc.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/tool_bar.h"

#include <algorithm>
#include <initializer_list>

IMPLEMENT_DYNAMIC(CTKPDockBar, CWnd)

BEGIN_MESSAGE_MAP(CTKPDockBar, CWnd)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_RBUTTONDOWN()
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

void CTKPDockBar::DockCommandBar(CTKPToolBar* bar, LPCRECT rect)
{
    if (!bar)
        return;
    if (FindBar(bar) != -1) {
        if (!rect)
            return;
        RECT window{};
        if (bar->m_hWnd && ::GetWindowRect(bar->m_hWnd, &window) && ::EqualRect(&window, rect))
            return;
    }
    if (auto* old = bar->GetDockBar())
        old->RemoveCommandBar(bar);
    if (rect) {
        RECT client = *rect;
        if (m_hWnd)
            ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&client), 2);
        InsertAtPoint(bar, POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2});
        bar->m_rcMRUDock = client;
    } else {
        // The bar starts a row of its own after the last row.
        if (m_bars.empty() || m_bars.back())
            m_bars.push_back(nullptr);
        m_bars.push_back(bar);
        m_bars.push_back(nullptr);
        bar->m_rcMRUDock = RECT{0, 0, 0, 0};
    }
    if (bar->m_hWnd && m_hWnd && ::GetParent(bar->m_hWnd) != m_hWnd)
        ::SetParent(bar->m_hWnd, m_hWnd);
    bar->SetDockBar(this);
    bar->SetPosition(GetPosition());
    if (m_hWnd)
        bar->m_nMRUDockID = UINT(::GetDlgCtrlID(m_hWnd));
    NormalizeRows();
    if (m_pCommandBars)
        m_pCommandBars->RecalcFrameLayout(TRUE);
}

int CTKPDockBar::InsertAtPoint(CTKPToolBar* bar, POINT centre)
{
    if (m_bars.empty() || m_bars.front())
        m_bars.insert(m_bars.begin(), nullptr);
    const BOOL horizontal = GetPosition() < 2;
    const int across = horizontal ? centre.y : centre.x;
    BOOL havePrevious = FALSE;
    int previousFar = 0;
    size_t rowStart = 1;
    for (size_t i = 1; i <= m_bars.size(); ++i) {
        if (i < m_bars.size() && m_bars[i])
            continue;
        // A row ends at i: its far edge across the dock is that of its visible bars.
        BOOL any = FALSE;
        int far = 0;
        for (size_t j = rowStart; j < i; ++j) {
            CTKPCommandBar* entry = m_bars[j];
            RECT rc{};
            if (!entry->m_hWnd || !entry->IsVisible() || !::GetWindowRect(entry->m_hWnd, &rc))
                continue;
            if (m_hWnd)
                ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
            far = any ? std::max(far, int(horizontal ? rc.bottom : rc.right)) : int(horizontal ? rc.bottom : rc.right);
            any = TRUE;
        }
        if (any) {
            if (havePrevious && across == previousFar) {
                // Right on the edge between two rows: a row of its own between them.
                m_bars.insert(m_bars.begin() + long(rowStart), {bar, nullptr});
                return int(rowStart);
            }
            if (far > across) {
                m_bars.insert(m_bars.begin() + long(rowStart), bar);
                return int(rowStart);
            }
            havePrevious = TRUE;
            previousFar = far;
        }
        rowStart = i + 1;
    }
    if (m_bars.back())
        m_bars.push_back(nullptr);
    m_bars.push_back(bar);
    m_bars.push_back(nullptr);
    return int(m_bars.size()) - 2;
}

void CTKPDockBar::NormalizeRows()
{
    // A stretching bar (the menu bar) has its row to itself.
    for (size_t i = 0; i < m_bars.size(); ++i) {
        auto* bar = dynamic_cast<CTKPToolBar*>(m_bars[i]);
        if (!bar || !(bar->GetDockingFlags() & 64))
            continue;
        if (i > 0 && m_bars[i - 1]) {
            m_bars.insert(m_bars.begin() + long(i), nullptr);
            ++i;
        }
        if (i + 1 < m_bars.size() && m_bars[i + 1])
            m_bars.insert(m_bars.begin() + long(i + 1), nullptr);
    }
    // Empty rows go: no two row ends follow each other, and the entries start with one.
    std::vector<CTKPCommandBar*> rows{nullptr};
    for (CTKPCommandBar* entry : m_bars)
        if (entry || rows.back())
            rows.push_back(entry);
    if (rows.back())
        rows.push_back(nullptr);
    m_bars.swap(rows);
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

DWORD CTKPDockBar::LayoutModeFor(CTKPToolBar* bar, BOOL horizontal) const
{
    DWORD mode = horizontal ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK;
    const DWORD flags = bar->GetDockingFlags();
    if (flags & 64)
        mode |= LM_STRETCH;
    if ((flags & 32) && !(m_pCommandBars && (m_pCommandBars->IsCustomizeMode() || m_pCommandBars->m_bQuickCustomizeMode)))
        mode |= TKP_LAYOUT_SINGLEROW;
    return mode;
}

namespace {

// One visible bar of a row while the row is laid out, along the row's axis.
struct RowRecord {
    CTKPToolBar* bar;
    DWORD mode;
    int start;
    int length;
    int thickness;
    int minLength;
    int minOffset;
};

} // namespace

int CTKPDockBar::LayoutRow(const std::vector<CTKPToolBar*>& row, int offset, int length, BOOL commit,
                           std::vector<Placement>* places, CTKPToolBar*& spill)
{
    spill = nullptr;
    const BOOL horizontal = GetPosition() < 2;
    std::vector<RowRecord> records;
    for (CTKPToolBar* bar : row) {
        RowRecord r{bar, LayoutModeFor(bar, horizontal), 0, 0, 0, 0, 0};
        const CSize size = bar->CalcDockingLayout(length, r.mode);
        r.length = horizontal ? size.cx : size.cy;
        r.thickness = horizontal ? size.cy : size.cx;
        // Where the user last put the bar along the row; a stretching bar takes the whole row.
        r.start = (r.mode & LM_STRETCH) ? 0 : int(horizontal ? bar->m_rcMRUDock.left : bar->m_rcMRUDock.top);
        records.push_back(r);
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const RowRecord& a, const RowRecord& b) { return a.start < b.start; });
    auto pushForward = [&records]() {
        int end = 0;
        for (RowRecord& r : records) {
            r.start = std::max(r.start, end);
            end = r.start + r.length;
        }
    };
    pushForward();
    int limit = length;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (it->start + it->length > limit)
            it->start = limit - it->length;
        limit = it->start;
    }
    pushForward();
    if (!records.empty() && records.back().start + records.back().length > length) {
        // Too long: the bars shrink from the end, none below what it needs.
        int sum = 0;
        for (RowRecord& r : records) {
            r.minLength = r.length;
            if (r.mode & TKP_LAYOUT_SINGLEROW) {
                const CSize minimum = r.bar->CalcDockingLayout(1, r.mode);
                r.minLength = std::min<int>(r.length, horizontal ? minimum.cx : minimum.cy);
            }
            r.minOffset = sum;
            sum += r.minLength;
        }
        limit = length;
        for (auto it = records.rbegin(); it != records.rend(); ++it) {
            int start = std::max({it->start, limit - it->length, it->minOffset});
            start = std::min(start, limit - it->minLength);
            if ((limit - start < it->minLength || start < it->minOffset) && records.size() > 1) {
                spill = records.back().bar;
                return 0;
            }
            it->length = limit - start;
            it->start = std::max(start, 0);
            limit = it->start;
        }
    }
    int thickness = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        RowRecord& r = records[i];
        const CSize size = r.bar->CalcDockingLayout(r.length, r.mode | (commit ? LM_COMMIT : 0));
        int along = (r.mode & LM_STRETCH) ? length : int(horizontal ? size.cx : size.cy);
        r.thickness = horizontal ? size.cy : size.cx;
        if (r.bar->GetDockingFlags() & 0x100000) {
            // The bar fills the gap to the next bar (or the row's end) and back to the previous one.
            const int previousEnd = i ? records[i - 1].start + records[i - 1].length : 0;
            const int nextStart = i + 1 < records.size() ? records[i + 1].start : length;
            r.start = previousEnd;
            along = std::max(nextStart - previousEnd, 0);
        }
        r.length = along;
        thickness = std::max(thickness, r.thickness);
    }
    if (places)
        for (const RowRecord& r : records)
            places->push_back(Placement{r.bar, horizontal ? RECT{r.start, offset, r.start + r.length, offset + r.thickness}
                                                           : RECT{offset, r.start, offset + r.thickness, r.start + r.length}});
    return thickness;
}

int CTKPDockBar::CalcRows(int length, BOOL commit, std::vector<Placement>* places)
{
    int offset = 0;
    size_t rowStart = 0;
    while (rowStart < m_bars.size()) {
        if (!m_bars[rowStart]) {
            ++rowStart;
            continue;
        }
        size_t rowEnd = rowStart;
        while (rowEnd < m_bars.size() && m_bars[rowEnd])
            ++rowEnd;
        if (rowEnd == m_bars.size())
            m_bars.push_back(nullptr);
        std::vector<CTKPToolBar*> row;
        for (size_t i = rowStart; i < rowEnd; ++i)
            if (auto* bar = dynamic_cast<CTKPToolBar*>(m_bars[i]); bar && bar->IsVisible())
                row.push_back(bar);
        if (row.empty()) {
            rowStart = rowEnd;
            continue;
        }
        CTKPToolBar* spill = nullptr;
        const int thickness = LayoutRow(row, offset, length, commit, places, spill);
        if (spill) {
            // The bar that does not fit opens a row of its own after this one; this row again.
            m_bars.erase(std::find(m_bars.begin() + long(rowStart), m_bars.begin() + long(rowEnd), spill));
            --rowEnd;
            m_bars.insert(m_bars.begin() + long(rowEnd) + 1, {spill, nullptr});
            continue;
        }
        offset += thickness;
        rowStart = rowEnd;
    }
    return offset;
}

LRESULT CTKPDockBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    if (!layout || !(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VISIBLE))
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

void CTKPDockBar::OnRButtonDown(UINT, CPoint pt)
{
    if (!m_pCommandBars)
        return;
    POINT screen{pt.x, pt.y};
    ::ClientToScreen(m_hWnd, &screen);
    m_pCommandBars->ContextMenu(nullptr, screen.x, screen.y);
}
