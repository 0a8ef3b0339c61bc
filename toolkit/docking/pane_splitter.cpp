// The splitter container: children in a row or a column sized in proportion to their docking
// sizes within their limits, the bar windows between them, and dragging a bar.
#include "toolkit/docking/pane_splitter.h"

#include "afx/frame.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/base/window_helpers.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"

#include <algorithm>

namespace {

constexpr UINT kHorizontalCursor = 9970;
constexpr UINT kVerticalCursor = 9971;
// The children a splitter container may list in saved data: tabbed and splitter containers and
// the client pane.
constexpr DWORD kSplitterChildTypes =
    (1u << paneTypeTabbedContainer) | (1u << paneTypeSplitterContainer) | (1u << paneTypeClient);

int SplitterGap(const CTKPPaneBase* pane)
{
    CTKPPaneThemePainter* painter = pane->GetPaintManager();
    return painter ? painter->m_nSplitterSize : 4;
}

void SetDockingLength(CTKPPaneBase* pane, BOOL horizontal, int length)
{
    (horizontal ? pane->m_nDockingCX : pane->m_nDockingCY) = length;
}

} // namespace

// ---- Proportional sizing -----------------------------------------------------------------------
void CalcSplitterLengths(std::vector<CTKPSplitterItem>& items, BOOL horizontal, int extent, int gap,
                         CTKPPaneBase* clientPane, BOOL hideClient, BOOL apply, int& available, int& total)
{
    const int n = int(items.size());
    std::vector<MINMAXINFO> limits(items.size());
    long long sum = 0;
    int fill = -1;
    for (int i = 0; i < n; ++i) {
        CTKPPaneBase* pane = items[i].pane;
        pane->GetMinMaxInfo(&limits[i]);
        const int minimum = horizontal ? limits[i].ptMinTrackSize.x : limits[i].ptMinTrackSize.y;
        const int maximum = horizontal ? limits[i].ptMaxTrackSize.x : limits[i].ptMaxTrackSize.y;
        int length = horizontal ? pane->m_nDockingCX : pane->m_nDockingCY;
        length = std::max(length, minimum);
        length = std::min(length, maximum);
        length = std::max(length, 0);
        if (fill < 0 && clientPane && pane->ContainsPane(clientPane) &&
            !(hideClient && (pane->m_nDockingCX != 0 || pane->m_nDockingCY != 0))) {
            fill = i;
            length = 0;
            if (apply)
                pane->m_nDockingCX = pane->m_nDockingCY = 0;
        }
        items[i].length = length;
        sum += length;
    }
    long long avail = (long long)extent - (long long)std::max(0, n - 1) * gap;
    if (fill >= 0 && sum < avail) {
        items[fill].length = int(avail - sum);
        if (apply)
            SetDockingLength(items[fill].pane, horizontal, items[fill].length);
        sum = avail;
    }
    // Children whose share falls outside their limits are fixed there and the rest shared again;
    // each pass fixes one more child at most, so n + 1 passes always end it.
    for (int pass = 0; pass <= n && avail >= 1; ++pass) {
        bool fixed = false;
        for (int i = 0; i < n && sum != 0; ++i) {
            if (items[i].length < 0)
                continue;
            const long long proportional = avail * items[i].length / sum;
            const int minimum = horizontal ? limits[i].ptMinTrackSize.x : limits[i].ptMinTrackSize.y;
            const int maximum = horizontal ? limits[i].ptMaxTrackSize.x : limits[i].ptMaxTrackSize.y;
            int size = -1;
            if (proportional < minimum)
                size = minimum;
            else if (proportional > maximum)
                size = maximum;
            if (size < 0 || size == 0)
                continue;
            avail -= size;
            sum -= items[i].length;
            items[i].length = -size;
            fixed = true;
            break;
        }
        if (!fixed || avail < 0)
            break;
    }
    available = int(std::clamp<long long>(avail, INT_MIN, INT_MAX));
    total = int(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}

std::vector<std::pair<int, int>> PlaceSplitterItems(const std::vector<CTKPSplitterItem>& items, int start, int end,
                                                    int gap, int available, int total)
{
    std::vector<std::pair<int, int>> places;
    long long remainingAvail = std::max(available, 0);
    long long remainingTotal = total;
    int pos = start;
    for (size_t i = 0; i < items.size(); ++i) {
        int size = 0;
        if (items[i].length > 0) {
            const long long share = remainingTotal > 0 ? items[i].length * remainingAvail / remainingTotal : 0;
            remainingAvail = std::max<long long>(0, remainingAvail - share);
            remainingTotal -= items[i].length;
            size = int(share);
        } else {
            size = -items[i].length;
        }
        const int from = pos;
        const int to = i + 1 == items.size() ? std::max(end, from) : from + size;
        places.emplace_back(from, to);
        pos = to + gap;
    }
    return places;
}

// ---- Container ---------------------------------------------------------------------------------
CTKPPaneSplitterContainer::CTKPPaneSplitterContainer(CTKPPaneLayout* layout)
    : CTKPPaneBase(paneTypeSplitterContainer, layout)
{
}

CTKPPaneSplitterContainer::~CTKPPaneSplitterContainer()
{
    DestroySplitters();
}

void CTKPPaneSplitterContainer::DestroySplitters()
{
    for (CTKPPaneSplitterWnd* splitter : m_splitters) {
        if (splitter->GetSafeHwnd())
            splitter->DestroyWindow();
        delete splitter;
    }
    m_splitters.clear();
}

void CTKPPaneSplitterContainer::Init(CTKPPaneBase* pane, BOOL horizontal, CWnd* host)
{
    m_pHostWindow = host;
    m_bHorizontal = horizontal;
    AddPane(pane);
    m_nDockingCX = pane->m_nDockingCX;
    m_nDockingCY = pane->m_nDockingCY;
}

void CTKPPaneSplitterContainer::AddPane(CTKPPaneBase* pane, CTKPPaneBase* neighbour, BOOL after)
{
    auto it = std::find(m_panes.begin(), m_panes.end(), neighbour);
    if (!neighbour || it == m_panes.end())
        it = after ? m_panes.end() : m_panes.begin();
    else if (after)
        ++it;
    m_panes.insert(it, pane);
    pane->SetParentContainer(this);
    pane->SetHostWindow(m_pHostWindow);
    DelayLayoutOf(m_pHostWindow);
    RebuildSplitters();
    if (m_pParentContainer)
        m_pParentContainer->OnChildrenChanged();
    pane->OnParentChanged(this);
}

void CTKPPaneSplitterContainer::RemovePane(CTKPPaneBase* pane)
{
    auto it = std::find(m_panes.begin(), m_panes.end(), pane);
    if (it == m_panes.end())
        return;
    m_panes.erase(it);
    if (m_panes.empty())
        m_panes.shrink_to_fit();
    RebuildSplitters();
    DelayLayoutOf(m_pHostWindow);
    if (m_pParentContainer)
        m_pParentContainer->OnChildrenChanged();
    if (m_panes.empty() && m_pParentContainer)
        m_pParentContainer->RemovePane(this);
    pane->SetParentContainer(nullptr);
}

void CTKPPaneSplitterContainer::ReplacePane(CTKPPaneBase* oldPane, CTKPPaneBase* newPane)
{
    auto it = std::find(m_panes.begin(), m_panes.end(), oldPane);
    if (it == m_panes.end())
        return;
    *it = newPane;
    newPane->SetParentContainer(this);
    RebuildSplitters();
    if (m_pParentContainer)
        m_pParentContainer->OnChildrenChanged();
}

void CTKPPaneSplitterContainer::OnChildrenChanged()
{
    if (m_pParentContainer)
        m_pParentContainer->OnChildrenChanged();
    RebuildSplitters();
    DelayLayoutOf(m_pHostWindow);
}

void CTKPPaneSplitterContainer::OnParentChanged(CTKPPaneBase* container)
{
    if (container)
        m_pHostWindow = container->GetHostWindow();
    RebuildSplitters();
    for (CTKPPaneBase* child : m_panes)
        child->OnParentChanged(this);
}

BOOL CTKPPaneSplitterContainer::ContainsPane(const CTKPPaneBase* pane) const
{
    if (pane == this)
        return TRUE;
    for (CTKPPaneBase* child : m_panes)
        if (child->ContainsPane(pane))
            return TRUE;
    return FALSE;
}

void CTKPPaneSplitterContainer::FindPanes(int type, CTKPPaneList& list)
{
    for (CTKPPaneBase* child : m_panes) {
        if (child->IsHidden())
            continue;
        if (child->GetType() == type)
            list.push_back(child);
        else
            child->FindPanes(type, list);
    }
}

void CTKPPaneSplitterContainer::FindChildPanes(int type, CTKPPaneList& list) const
{
    for (CTKPPaneBase* child : m_panes)
        if (child->GetType() == type && !child->IsHidden())
            list.push_back(child);
}

BOOL CTKPPaneSplitterContainer::IsHidden() const
{
    for (CTKPPaneBase* child : m_panes)
        if (!child->IsHidden())
            return FALSE;
    return TRUE;
}

void CTKPPaneSplitterContainer::RebuildSplitters()
{
    if (m_bRecalcLayout)
        return;
    DestroySplitters();
    if (m_panes.size() < 2)
        return;
    CWnd* host = m_pHostWindow;
    // A layout that is not shown yet makes no windows.
    const BOOL makeWindows = m_pLayout && !m_pLayout->IsInitial() && host && host->GetSafeHwnd();
    CTKPPaneBase* previous = nullptr;
    for (CTKPPaneBase* child : m_panes) {
        if (child->IsHidden())
            continue;
        if (previous) {
            CTKPPaneSplitterWnd* splitter = CreateSplitter();
            splitter->Init(this, previous, child);
            if (makeWindows)
                splitter->Create(host);
            m_splitters.push_back(splitter);
        }
        previous = child;
    }
}

void CTKPPaneSplitterContainer::NormalizeDockingSize()
{
    const int width = m_rcPane.right - m_rcPane.left, height = m_rcPane.bottom - m_rcPane.top;
    SetDockingLength(this, m_bHorizontal, m_bHorizontal ? width : height);
    for (CTKPPaneBase* child : m_panes) {
        if (child->IsHidden())
            continue;
        const RECT& rc = child->GetPaneRect();
        SetDockingLength(child, m_bHorizontal, m_bHorizontal ? rc.right - rc.left : rc.bottom - rc.top);
    }
}

void CTKPPaneSplitterContainer::OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout)
{
    m_pHostWindow = parent;
    m_rcPane = rect;
    std::vector<CTKPSplitterItem> items;
    for (CTKPPaneBase* child : m_panes)
        if (!child->IsHidden())
            items.push_back({child, 0});
    if (items.empty())
        return;
    CTKPPaneManager* manager = GetManager();
    CTKPPaneBase* client = m_pLayout ? m_pLayout->GetClientPane() : nullptr;
    const BOOL hideClient = manager && manager->m_bHideClient;
    if (hideClient && client) {
        for (const CTKPSplitterItem& item : items)
            if (item.pane->ContainsPane(client)) {
                client->OnSizeParent(parent, RECT{0, 0, 0, 0}, layout);
                break;
            }
    }
    if (items.size() == 1) {
        items[0].pane->OnSizeParent(parent, rect, layout);
        return;
    }
    m_bRecalcLayout = TRUE;
    const int gap = SplitterGap(this);
    const int start = m_bHorizontal ? rect.left : rect.top;
    const int end = m_bHorizontal ? rect.right : rect.bottom;
    int available = 0, total = 0;
    CalcSplitterLengths(items, m_bHorizontal, end - start, gap, client, hideClient, TRUE, available, total);
    const auto places = PlaceSplitterItems(items, start, end, gap, available, total);
    for (size_t i = 0; i < items.size(); ++i) {
        RECT rc = rect;
        if (m_bHorizontal) {
            rc.left = places[i].first;
            rc.right = places[i].second;
        } else {
            rc.top = places[i].first;
            rc.bottom = places[i].second;
        }
        items[i].pane->OnSizeParent(parent, rc, layout);
        if (i + 1 >= items.size() || i >= m_splitters.size() || !layout || !layout->hDWP)
            continue;
        CTKPPaneSplitterWnd* splitter = m_splitters[i];
        RECT bar = rect;
        if (m_bHorizontal) {
            bar.left = places[i].second;
            bar.right = bar.left + gap;
        } else {
            bar.top = places[i].second;
            bar.bottom = bar.top + gap;
        }
        ::IntersectRect(&bar, &bar, &rect);
        if (splitter->GetSafeHwnd()) {
            layout->hDWP = ::DeferWindowPos(layout->hDWP, splitter->m_hWnd, HWND_BOTTOM, bar.left, bar.top,
                                            bar.right - bar.left, bar.bottom - bar.top, SWP_NOACTIVATE);
            ::InvalidateRect(splitter->m_hWnd, nullptr, FALSE);
        }
    }
    m_bRecalcLayout = FALSE;
}

RECT CTKPPaneSplitterContainer::GetInsertRect(CTKPPaneBase* pane, int direction, CTKPPaneBase* neighbour) const
{
    CTKPPaneManager* manager = GetManager();
    if (manager)
        direction = manager->MirrorDirection(direction);
    const BOOL after = direction == dockRightOf || direction == dockBottomOf;
    std::vector<CTKPSplitterItem> items;
    for (CTKPPaneBase* child : m_panes)
        if (child != pane && !child->IsHidden())
            items.push_back({child, 0});
    auto it = std::find_if(items.begin(), items.end(), [&](const CTKPSplitterItem& item) { return item.pane == neighbour; });
    if (it == items.end())
        it = after ? items.end() : items.begin();
    else if (after)
        ++it;
    const size_t index = size_t(it - items.begin());
    items.insert(it, CTKPSplitterItem{pane, 0});

    const int start = m_bHorizontal ? m_rcPane.left : m_rcPane.top;
    const int end = m_bHorizontal ? m_rcPane.right : m_rcPane.bottom;
    int available = 0, total = 0;
    CalcSplitterLengths(items, m_bHorizontal, end - start, SplitterGap(this), m_pLayout ? m_pLayout->GetClientPane() : nullptr,
                        manager && manager->m_bHideClient, FALSE, available, total);
    const auto places = PlaceSplitterItems(items, start, end, SplitterGap(this), available, total);
    RECT rc = m_rcPane;
    if (m_bHorizontal) {
        rc.left = places[index].first;
        rc.right = places[index].second;
    } else {
        rc.top = places[index].first;
        rc.bottom = places[index].second;
    }
    if (m_pHostWindow && m_pHostWindow->GetSafeHwnd())
        ::MapWindowPoints(m_pHostWindow->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

BOOL CTKPPaneSplitterContainer::DoPropExchange(CTKPPropExchange* px)
{
    CTKPPaneBase::DoPropExchange(px);
    PropExchangeBool(px, u"Horiz", &m_bHorizontal, FALSE);
    int count = int(m_panes.size());
    PropExchangeInt(px, u"Panes", &count, 0);
    if (!px->IsLoading()) {
        for (int i = 0; i < count; ++i) {
            CString key;
            key.Format(u"Pane-%d", i + 1);
            int index = m_panes[size_t(i)]->m_nSaveIndex;
            PropExchangeInt(px, key, &index, 0);
        }
        return TRUE;
    }
    CTKPPaneLoadMap* map = CTKPPaneLoadMap::Of(px);
    // Each child is used once, so no list can be longer than the layout.
    if (!map || count < 0 || size_t(count) > map->m_panes.size())
        return FALSE;
    for (int i = 0; i < count; ++i) {
        CString key;
        key.Format(u"Pane-%d", i + 1);
        int index = 0;
        PropExchangeInt(px, key, &index, 0);
        CTKPPaneBase* child = map->Claim(index, this, kSplitterChildTypes);
        if (!child)
            return FALSE;
        AddPane(child);
    }
    return TRUE;
}

CTKPPaneBase* CTKPPaneSplitterContainer::Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags)
{
    CTKPPaneManager* manager = GetManager();
    auto* clone = manager ? dynamic_cast<CTKPPaneSplitterContainer*>(manager->OnCreatePane(paneTypeSplitterContainer, layout))
                          : nullptr;
    if (!clone)
        return nullptr;
    clone->m_bHorizontal = m_bHorizontal;
    clone->m_pHostWindow = m_pHostWindow;
    clone->m_nDockingCX = m_nDockingCX;
    clone->m_nDockingCY = m_nDockingCY;
    clone->m_rcPane = m_rcPane;
    if (map)
        (*map)[this] = clone;
    for (CTKPPaneBase* child : m_panes) {
        if (!map && child->IsHidden())
            continue;
        if (CTKPPaneBase* childClone = child->Clone(layout, map, flags))
            clone->AddPane(childClone);
    }
    return clone;
}

// ---- Bar window --------------------------------------------------------------------------------
void CTKPPaneSplitterWnd::Init(CTKPPaneSplitterContainer* container, CTKPPaneBase* first, CTKPPaneBase* second)
{
    m_pContainer = container;
    m_pFirst = first;
    m_pSecond = second;
    m_hCursor = GetResourceLoader().LoadCursor(container->IsHorizontal() ? kHorizontalCursor : kVerticalCursor);
}

BOOL CTKPPaneSplitterWnd::IsHorizontal() const
{
    return m_pContainer && m_pContainer->IsHorizontal();
}

BOOL CTKPPaneSplitterWnd::Create(CWnd* host)
{
    const LPCWSTR className = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    return CWnd::Create(className, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, RECT{0, 0, 0, 0},
                        host, 0);
}

BOOL CTKPPaneSplitterWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    CTKPPaneManager* manager = m_pContainer ? m_pContainer->GetManager() : nullptr;
    switch (message) {
    case WM_SETCURSOR:
        if (m_hCursor && manager && !manager->m_bLockSplitters && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(m_hCursor);
            if (pResult)
                *pResult = TRUE;
            return TRUE;
        }
        break;
    case WM_ERASEBKGND:
        if (pResult)
            *pResult = 1;
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        if (CTKPPaneThemePainter* painter = m_pContainer ? m_pContainer->GetPaintManager() : nullptr) {
            CDC dc;
            dc.Attach(hdc);
            painter->DrawSplitter(&dc, this);
            dc.Detach();
        }
        ::EndPaint(m_hWnd, &ps);
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        if (manager && !manager->m_bLockSplitters) {
            OnLButtonDown(POINT{SHORT(LOWORD(lParam)), SHORT(HIWORD(lParam))});
            if (pResult)
                *pResult = 0;
            return TRUE;
        }
        break;
    default:
        break;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CTKPPaneSplitterWnd::GetTrackLimits(int& low, int& high, RECT& rcUnion) const
{
    if (!m_pContainer || !m_pFirst || !m_pSecond)
        return FALSE;
    CTKPPaneManager* manager = m_pContainer->GetManager();
    const int m = manager ? manager->m_nSplitterGap : 22;
    const int gap = SplitterGap(m_pContainer);
    RECT first, second;
    m_pFirst->GetWindowRect(&first);
    m_pSecond->GetWindowRect(&second);
    ::UnionRect(&rcUnion, &first, &second);
    MINMAXINFO a, b;
    m_pFirst->GetMinMaxInfo(&a);
    m_pSecond->GetMinMaxInfo(&b);
    const BOOL horizontal = IsHorizontal();
    const int from = horizontal ? rcUnion.left : rcUnion.top;
    const int to = horizontal ? rcUnion.right : rcUnion.bottom;
    const int minA = horizontal ? a.ptMinTrackSize.x : a.ptMinTrackSize.y;
    const int maxA = horizontal ? a.ptMaxTrackSize.x : a.ptMaxTrackSize.y;
    const int minB = horizontal ? b.ptMinTrackSize.x : b.ptMinTrackSize.y;
    const int maxB = horizontal ? b.ptMaxTrackSize.x : b.ptMaxTrackSize.y;
    low = from + std::max(m, minA);
    high = to - std::max(m, minB + gap);
    high = std::min(high, from + maxA);
    low = std::max(low, to - maxB - gap);
    return low < high;
}

void CTKPPaneSplitterWnd::ApplyPosition(int position, const RECT& rcUnion)
{
    const BOOL horizontal = IsHorizontal();
    const int gap = SplitterGap(m_pContainer);
    int& first = horizontal ? m_pFirst->m_nDockingCX : m_pFirst->m_nDockingCY;
    int& second = horizontal ? m_pSecond->m_nDockingCX : m_pSecond->m_nDockingCY;
    const int sum = first + second;
    // The first neighbour reaches up to the bar's leading edge, so the bar lands where it was let go.
    int share = position - (horizontal ? rcUnion.left : rcUnion.top);
    CTKPPaneManager* manager = m_pContainer->GetManager();
    if (horizontal && manager && manager->IsLayoutRTL())
        share = (sum + gap) - share - gap;
    first = std::clamp(share, 0, std::max(sum, 0));
    second = sum - first;
}

void CTKPPaneSplitterWnd::OnLButtonDown(POINT point)
{
    int low = 0, high = 0;
    RECT rcUnion;
    if (!GetTrackLimits(low, high, rcUnion))
        return;
    m_pContainer->NormalizeDockingSize();
    CTKPPaneManager* manager = m_pContainer->GetManager();
    const BOOL horizontal = IsHorizontal();
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    POINT start = point;
    ::ClientToScreen(m_hWnd, &start);
    if (manager && !manager->m_bSplitterTracker) {
        TrackLive(rc, start, low, high, rcUnion);
        return;
    }
    CTKPTrackSplitter tracker;
    if (tracker.Track(m_hWnd, horizontal ? low : rc.left, horizontal ? rc.top : low, horizontal ? high : rc.left,
                      horizontal ? rc.top : high, rc, start, horizontal)) {
        ApplyPosition(horizontal ? rc.left : rc.top, rcUnion);
        CTKPPaneBase::DelayLayoutOf(m_pContainer->GetHostWindow());
    }
}

void CTKPPaneSplitterWnd::TrackLive(const RECT& rcStart, POINT start, int low, int high, const RECT& rcUnion)
{
    const BOOL horizontal = IsHorizontal();
    const int offset = horizontal ? rcStart.left - start.x : rcStart.top - start.y;
    HWND hwnd = m_hWnd;
    ::SetCapture(hwnd);
    MSG msg{};
    while (::GetCapture() == hwnd) {
        while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            ::DispatchMessageW(&msg);
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            POINT pt{SHORT(LOWORD(msg.lParam)), SHORT(HIWORD(msg.lParam))};
            ::ClientToScreen(msg.hwnd, &pt);
            const int position = std::clamp((horizontal ? pt.x : pt.y) + offset, low, high);
            ApplyPosition(position, rcUnion);
            CWnd* host = m_pContainer->GetHostWindow();
            CFrameWnd* frame = dynamic_cast<CFrameWnd*>(host);
            if (!frame && host)
                frame = host->GetParentFrame();
            if (frame)
                frame->RecalcLayout();
            // The layout may have rebuilt the bars, this one included.
            if (!::IsWindow(hwnd))
                return;
        } else if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_LBUTTONUP) {
            break;
        } else {
            ::DispatchMessageW(&msg);
        }
    }
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
}
