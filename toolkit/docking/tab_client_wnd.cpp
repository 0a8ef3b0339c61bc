// The MDI tab client: tab groups of MDI children, their layout and splitters, and the tab-group commands.
#include "toolkit/docking/tab_client_wnd.h"

#include "afx/cmd_target.h"
#include "afx/gdi.h"
#include "afx/mdi_frame.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/docking/tab_colors.h"
#include "toolkit/docking/tab_painter.h"

#include <algorithm>
#include <cmath>

IMPLEMENT_DYNAMIC(CTKPTabClientWnd, CWnd)

namespace {

BOOL IsWorkspaceCommand(UINT id)
{
    return id >= TKP_ID_WORKSPACE_PREVIOUS && id <= TKP_ID_WORKSPACE_NEWVERTICAL;
}

// The MDI children of the client, oldest first.
std::vector<HWND> ChildWindows(HWND client)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(client, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    std::reverse(children.begin(), children.end());
    return children;
}

CString WindowText(HWND hwnd)
{
    WCHAR text[256] = {};
    ::GetWindowTextW(hwnd, text, 255);
    return CString(text);
}

} // namespace

// ---- Tab group ---------------------------------------------------------------------------------
CTKPTabClientWnd::CWorkspace::CWorkspace(CTKPTabClientWnd* client) : m_pClient(client)
{
    m_bAllowReorder = FALSE;
    if (client->m_pPaintManager)
        client->m_pPaintManager->AddStrip(this);
}

void CTKPTabClientWnd::CWorkspace::Reposition()
{
    if (CTKPTabPainter* painter = GetPaintManager())
        painter->RepositionTabControl(this, nullptr, m_rcWorkspace);
    RedrawControl();
}

CTKPTabPainter* CTKPTabClientWnd::CWorkspace::GetPaintManager() const
{
    return m_pClient->m_pPaintManager;
}

void CTKPTabClientWnd::CWorkspace::RedrawControl()
{
    if (m_pClient->m_hWnd && !m_rcWorkspace.IsRectEmpty())
        ::InvalidateRect(m_pClient->m_hWnd, &m_rcWorkspace, FALSE);
}

BOOL CTKPTabClientWnd::CWorkspace::DrawItemIcon(CDC* pDC, CPoint point, CTKPTabManagerItem* item, BOOL draw,
                                                 CSize& size)
{
    HWND child = reinterpret_cast<HWND>(item->m_dwData);
    if (!::IsWindow(child))
        return FALSE;
    HICON icon = reinterpret_cast<HICON>(::SendMessageW(child, WM_GETICON, ICON_SMALL, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(::GetClassLongPtrW(child, GCLP_HICONSM));
    if (!icon)
        return FALSE;
    size = CSize(16, 16);
    if (draw)
        ::DrawIconEx(pDC->m_hDC, point.x, point.y, icon, 16, 16, 0, nullptr, DI_NORMAL);
    return TRUE;
}

void CTKPTabClientWnd::CWorkspace::SetSelectedItem(CTKPTabManagerItem* item)
{
    CTKPTabStrip::SetSelectedItem(item);
    HWND child = item ? reinterpret_cast<HWND>(item->m_dwData) : nullptr;
    if (::IsWindow(child) && m_pClient->m_hWnd) {
        m_pClient->m_bDirty = TRUE;
        ::SendMessageW(m_pClient->m_hWnd, WM_MDIACTIVATE, WPARAM(child), 0);
    }
}

// ---- Client ------------------------------------------------------------------------------------
CTKPTabClientWnd::CTKPTabClientWnd()
{
    m_pPaintManager = new CTKPTabPainter;
    m_hCursorHorz = GetResourceLoader().LoadCursor(9971);
    if (!m_hCursorHorz)
        m_hCursorHorz = ::LoadCursorW(nullptr, IDC_SIZENS);
    m_hCursorVert = GetResourceLoader().LoadCursor(9970);
    if (!m_hCursorVert)
        m_hCursorVert = ::LoadCursorW(nullptr, IDC_SIZEWE);
}

CTKPTabClientWnd::~CTKPTabClientWnd()
{
    Detach();
    m_workspaces.clear();
    m_pPaintManager->InternalRelease();
}

BOOL CTKPTabClientWnd::Attach(CMDIFrameWnd* frame, BOOL grouping)
{
    if (m_bAttached || !frame || !::IsWindow(frame->m_hWndMDIClient))
        return FALSE;
    if (!SubclassWindow(frame->m_hWndMDIClient))
        return FALSE;
    m_pMDIFrame = frame;
    m_bAttached = TRUE;
    m_bGrouping = grouping;
    if (grouping) {
        // The client draws its own frame while it groups tabs.
        ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
        for (HWND child : ChildWindows(m_hWnd)) {
            ::SetWindowLongW(child, GWL_STYLE,
                             ::GetWindowLongW(child, GWL_STYLE) & ~LONG(WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX |
                                                                        WS_MAXIMIZEBOX));
            ::SetWindowLongW(child, GWL_EXSTYLE, ::GetWindowLongW(child, GWL_EXSTYLE) & ~LONG(WS_EX_CLIENTEDGE));
        }
    }
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Refresh(TRUE);
    return TRUE;
}

void CTKPTabClientWnd::Detach()
{
    if (!m_bAttached)
        return;
    m_bAttached = FALSE;
    m_workspaces.clear();
    if (m_hWnd) {
        const BOOL grouping = m_bGrouping;
        HWND hwnd = UnsubclassWindow();
        if (grouping && ::IsWindow(hwnd)) {
            ::SetWindowLongW(hwnd, GWL_EXSTYLE, ::GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
            ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
    }
    m_bGrouping = FALSE;
    m_pMDIFrame = nullptr;
}

HWND CTKPTabClientWnd::GetActiveChild() const
{
    if (!m_hWnd)
        return nullptr;
    HWND active = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, WM_MDIGETACTIVE, 0, 0));
    return ::IsWindow(active) && ::GetParent(active) == m_hWnd ? active : nullptr;
}

CTKPTabManagerItem* CTKPTabClientWnd::FindItem(HWND child) const
{
    for (const auto& ws : m_workspaces)
        for (int i = 0; i < ws->GetItemCount(); ++i)
            if (reinterpret_cast<HWND>(ws->GetItem(i)->m_dwData) == child)
                return ws->GetItem(i);
    return nullptr;
}

CTKPTabClientWnd::CWorkspace* CTKPTabClientWnd::FindWorkspace(const CTKPTabManagerItem* item, int* index) const
{
    for (size_t i = 0; i < m_workspaces.size(); ++i) {
        if (item && item->GetStrip() == m_workspaces[i].get()) {
            if (index)
                *index = int(i);
            return m_workspaces[i].get();
        }
    }
    return nullptr;
}

BOOL CTKPTabClientWnd::GetActiveTab(int& workspace, CTKPTabManagerItem*& item) const
{
    if (!m_bAttached)
        return FALSE;
    item = FindItem(GetActiveChild());
    return item && FindWorkspace(item, &workspace);
}

void CTKPTabClientWnd::ReadChildren()
{
    const std::vector<HWND> children = ChildWindows(m_hWnd);
    auto present = [&](HWND hwnd) { return std::find(children.begin(), children.end(), hwnd) != children.end(); };
    for (const auto& ws : m_workspaces)
        for (int i = ws->GetItemCount() - 1; i >= 0; --i)
            if (!present(reinterpret_cast<HWND>(ws->GetItem(i)->m_dwData)))
                ws->DeleteItem(i);
    if (m_workspaces.empty())
        m_workspaces.push_back(std::make_unique<CWorkspace>(this));

    const HWND active = GetActiveChild();
    int target = 0;
    FindWorkspace(FindItem(active), &target);
    for (HWND child : children) {
        CTKPTabManagerItem* item = FindItem(child);
        if (!item) {
            item = m_workspaces[size_t(target)]->InsertItem(-1);
            item->m_dwData = DWORD_PTR(child);
        }
        const CString text = WindowText(child);
        item->SetCaption(text);
        item->m_strToolTip = text;
    }

    // Groups left empty go; their room goes to the group before them (or after the first).
    for (size_t i = m_workspaces.size(); i-- > 0 && m_workspaces.size() > 1;) {
        if (m_workspaces[i]->GetItemCount() > 0)
            continue;
        const double freed = m_workspaces[i]->m_dWeight + m_nSplitterWidth;
        m_workspaces.erase(m_workspaces.begin() + long(i));
        m_workspaces[i > 0 ? i - 1 : 0]->m_dWeight += freed;
    }

    for (const auto& ws : m_workspaces) {
        CTKPTabManagerItem* item = FindItem(active);
        if (item && item->GetStrip() == ws.get())
            ws->SetCurSel(item->GetIndex());
        else if (!ws->GetSelectedItem())
            ws->SetCurSel(0);
    }
}

void CTKPTabClientWnd::Refresh(BOOL recalc)
{
    if (!m_bAttached || m_bRefreshing || !m_hWnd)
        return;
    m_bRefreshing = TRUE;
    if (!m_bMoving)
        ReadChildren();
    RepositionWorkspaces();
    if (m_workspaces.empty()) {
        Invalidate();
    } else {
        POINT cursor;
        ::GetCursorPos(&cursor);
        ::ScreenToClient(m_hWnd, &cursor);
        TrackHot(cursor);
    }
    if (recalc) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        CTKPMDIFrameWnd* frame = dynamic_cast<CTKPMDIFrameWnd*>(m_pMDIFrame);
        if (frame && frame->GetCommandBars())
            frame->GetCommandBars()->RecalcFrameLayout();
        else if (m_pMDIFrame && m_pMDIFrame->m_hWnd)
            m_pMDIFrame->RecalcLayout();
    }
    m_bRefreshPending = FALSE;
    Invalidate(FALSE);
    m_bRefreshing = FALSE;
}

void CTKPTabClientWnd::RepositionWorkspaces()
{
    if (!m_hWnd || m_workspaces.empty())
        return;
    CRect rc;
    ::GetClientRect(m_hWnd, &rc);
    const int n = GetWorkspaceCount();
    const int start = m_bHorizSplit ? rc.top : rc.left, end = m_bHorizSplit ? rc.bottom : rc.right;
    const int total = std::max(end - start - (n - 1) * m_nSplitterWidth, 0);
    double sum = 0;
    bool usable = true;
    for (const auto& ws : m_workspaces) {
        sum += ws->m_dWeight;
        usable = usable && ws->m_dWeight >= 0;
    }
    int pos = start;
    for (int i = 0; i < n; ++i) {
        CWorkspace* ws = m_workspaces[size_t(i)].get();
        int extent;
        if (i == n - 1)
            extent = std::max(end - pos, 0);
        else if (usable && sum > 0)
            extent = int(std::lround(ws->m_dWeight * total / sum));
        else
            extent = total / n;
        extent = std::clamp(extent, 0, std::max(end - pos, 0));
        if (m_bHorizSplit) {
            ws->m_rcWorkspace.SetRect(rc.left, pos, rc.right, pos + extent);
            ws->m_rcSplitter = i < n - 1 ? CRect(rc.left, pos + extent, rc.right, pos + extent + m_nSplitterWidth) : CRect();
        } else {
            ws->m_rcWorkspace.SetRect(pos, rc.top, pos + extent, rc.bottom);
            ws->m_rcSplitter = i < n - 1 ? CRect(pos + extent, rc.top, pos + extent + m_nSplitterWidth, rc.bottom) : CRect();
        }
        pos += extent + m_nSplitterWidth;
        ws->Reposition();
        // Each group's children fill the room below its tabs; the selected one lies on top.
        for (int t = 0; t < ws->GetItemCount(); ++t) {
            CTKPTabManagerItem* item = ws->GetItem(t);
            HWND child = reinterpret_cast<HWND>(item->m_dwData);
            if (!::IsWindow(child))
                continue;
            const CRect& client = ws->m_rcClient;
            const BOOL top = item == ws->GetSelectedItem();
            ::SetWindowPos(child, top ? HWND_TOP : nullptr, client.left, client.top, client.Width(), client.Height(),
                           SWP_NOACTIVATE | (top ? 0 : SWP_NOZORDER));
        }
    }
    Invalidate(FALSE);
}

void CTKPTabClientWnd::SetWeightsFromExtents()
{
    for (const auto& ws : m_workspaces)
        ws->m_dWeight = m_bHorizSplit ? ws->m_rcWorkspace.Height() : ws->m_rcWorkspace.Width();
}

// ---- Commands ----------------------------------------------------------------------------------
BOOL CTKPTabClientWnd::IsWorkspaceCommandEnabled(UINT id) const
{
    if (!IsWorkspaceCommand(id))
        return TRUE;
    int index = -1;
    CTKPTabManagerItem* item = nullptr;
    if (!GetActiveTab(index, item))
        return FALSE;
    const int count = GetWorkspaceCount();
    const int tabs = m_workspaces[size_t(index)]->GetItemCount();
    switch (id) {
    case TKP_ID_WORKSPACE_PREVIOUS:
        return index > 0;
    case TKP_ID_WORKSPACE_NEXT:
        return index < count - 1;
    case TKP_ID_WORKSPACE_NEWHORIZONTAL:
        return m_bGrouping && (count == 1 || m_bHorizSplit) && tabs > 1;
    default:
        return m_bGrouping && (count == 1 || !m_bHorizSplit) && tabs > 1;
    }
}

void CTKPTabClientWnd::OnUpdateCommand(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsWorkspaceCommandEnabled(pCmdUI->m_nID));
}

BOOL CTKPTabClientWnd::OnCommand(UINT id)
{
    if (!IsWorkspaceCommand(id) || !IsWorkspaceCommandEnabled(id))
        return FALSE;
    int index = -1;
    CTKPTabManagerItem* item = nullptr;
    if (!GetActiveTab(index, item))
        return FALSE;
    switch (id) {
    case TKP_ID_WORKSPACE_PREVIOUS:
        MoveToWorkspace(item, index - 1);
        break;
    case TKP_ID_WORKSPACE_NEXT:
        MoveToWorkspace(item, index + 1);
        break;
    default:
        MoveToNewWorkspace(item, id == TKP_ID_WORKSPACE_NEWHORIZONTAL);
        break;
    }
    return TRUE;
}

BOOL CTKPTabClientWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_bAttached && IsWorkspaceCommand(nID) && !pHandlerInfo) {
        if (nCode == int(CN_UPDATE_COMMAND_UI) && pExtra) {
            OnUpdateCommand(static_cast<CCmdUI*>(pExtra));
            return TRUE;
        }
        if (nCode == CN_COMMAND)
            return OnCommand(nID);
    }
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CTKPTabClientWnd::MoveToWorkspace(CTKPTabManagerItem* item, int target)
{
    int from = -1;
    CWorkspace* source = FindWorkspace(item, &from);
    if (!source || target == from || target < 0 || target >= GetWorkspaceCount())
        return;
    m_bMoving = TRUE;
    item->InternalAddRef();
    source->DeleteItem(item->GetIndex());
    CWorkspace* destination = m_workspaces[size_t(target)].get();
    destination->InsertItem(-1, item);
    destination->SetCurSel(item->GetIndex());
    m_bMoving = FALSE;
    m_bRefreshPending = TRUE;
    Refresh();
}

void CTKPTabClientWnd::MoveToNewWorkspace(CTKPTabManagerItem* item, BOOL stacked)
{
    int from = -1;
    CWorkspace* source = FindWorkspace(item, &from);
    if (!source)
        return;
    m_bMoving = TRUE;
    SetWeightsFromExtents();
    item->InternalAddRef();
    source->DeleteItem(item->GetIndex());
    auto created = std::make_unique<CWorkspace>(this);
    CWorkspace* group = created.get();
    m_workspaces.insert(m_workspaces.begin() + from + 1, std::move(created));
    group->InsertItem(-1, item);
    group->SetCurSel(0);
    group->m_dWeight = (source->m_dWeight - m_nSplitterWidth) * 0.5;
    source->m_dWeight = source->m_dWeight - group->m_dWeight - m_nSplitterWidth;
    m_bHorizSplit = stacked;
    m_bMoving = FALSE;
    m_bRefreshPending = TRUE;
    Refresh();
}

// ---- Mouse -------------------------------------------------------------------------------------
int CTKPTabClientWnd::SplitterHit(CPoint point) const
{
    for (int i = 0; i + 1 < GetWorkspaceCount(); ++i)
        if (m_workspaces[size_t(i)]->m_rcSplitter.PtInRect(point))
            return i;
    return -1;
}

void CTKPTabClientWnd::TrackHot(CPoint point)
{
    for (const auto& ws : m_workspaces)
        ws->OnMouseMove(m_hWnd, point.x, point.y);
}

void CTKPTabClientWnd::TrackSplitter(int index, CPoint start)
{
    if (index < 0 || index + 1 >= GetWorkspaceCount() || !m_hWnd)
        return;
    SetWeightsFromExtents();
    CWorkspace* first = m_workspaces[size_t(index)].get();
    CWorkspace* second = m_workspaces[size_t(index) + 1].get();
    const BOOL stacked = m_bHorizSplit;
    const int low = stacked ? first->m_rcWorkspace.top : first->m_rcWorkspace.left;
    const int high = stacked ? second->m_rcWorkspace.bottom : second->m_rcWorkspace.right;
    const CRect bar = first->m_rcSplitter;
    const int grab = (stacked ? start.y - bar.top : start.x - bar.left);
    int position = stacked ? bar.top : bar.left;

    HDC dc = ::GetDC(m_hWnd);
    auto invert = [&](int at) {
        CRect r = bar;
        if (stacked)
            r.OffsetRect(0, at - bar.top);
        else
            r.OffsetRect(at - bar.left, 0);
        ::PatBlt(dc, r.left, r.top, r.Width(), r.Height(), DSTINVERT);
    };
    invert(position);
    ::SetCapture(m_hWnd);
    BOOL accept = FALSE;
    MSG msg;
    for (;;) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (::GetCapture() != m_hWnd) {
            ::DispatchMessageW(&msg);
            break;
        }
        if (msg.message == WM_LBUTTONUP) {
            accept = TRUE;
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            break;
        if (msg.message == WM_MOUSEMOVE) {
            const CPoint pt(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
            const int wanted = std::clamp(int((stacked ? pt.y : pt.x) - grab), low, std::max(low, high - m_nSplitterWidth));
            if (wanted != position) {
                invert(position);
                position = wanted;
                invert(position);
            }
            continue;
        }
        if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_CHAR)
            ::DispatchMessageW(&msg);
    }
    invert(position);
    ::ReleaseDC(m_hWnd, dc);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (!accept || high <= low)
        return;
    const double total = m_nSplitterWidth + first->m_dWeight + second->m_dWeight;
    double share = double(position - low) / double(high - low) * total;
    if (!stacked && (GetExStyle() & WS_EX_LAYOUTRTL))
        share = total - share - m_nSplitterWidth;
    first->m_dWeight = share;
    second->m_dWeight = total - share - m_nSplitterWidth;
    RepositionWorkspaces();
}

// ---- Painting ----------------------------------------------------------------------------------
void CTKPTabClientWnd::Paint(HDC hdc)
{
    CRect rc;
    ::GetClientRect(m_hWnd, &rc);
    CDC mem;
    mem.Attach(::CreateCompatibleDC(hdc));
    HBITMAP bitmap = ::CreateCompatibleBitmap(hdc, std::max(rc.Width(), 1), std::max(rc.Height(), 1));
    HGDIOBJ old = ::SelectObject(mem.m_hDC, bitmap);
    mem.FillSolidRect(rc, ::GetSysColor(COLOR_APPWORKSPACE));
    for (int i = GetWorkspaceCount() - 1; i >= 0; --i) {
        CWorkspace* ws = m_workspaces[size_t(i)].get();
        m_pPaintManager->DrawTabControl(&mem, ws, ws->m_rcWorkspace);
        if (!ws->m_rcSplitter.IsRectEmpty()) {
            mem.FillSolidRect(ws->m_rcSplitter, ::GetSysColor(COLOR_BTNFACE));
            mem.Draw3dRect(ws->m_rcSplitter, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
        }
    }
    ::BitBlt(hdc, 0, 0, rc.Width(), rc.Height(), mem.m_hDC, 0, 0, SRCCOPY);
    ::SelectObject(mem.m_hDC, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(mem.Detach());
}

// ---- Messages ----------------------------------------------------------------------------------
LRESULT CTKPTabClientWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_bAttached)
        return CWnd::WindowProc(message, wParam, lParam);
    switch (message) {
    case WM_MDIACTIVATE: {
        if (!m_bGrouping && !m_bClosing) {
            SetRedraw(FALSE);
            const LRESULT result = DefWindowProc(message, wParam, lParam);
            SetRedraw(TRUE);
            ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
            Refresh();
            return result;
        }
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        Refresh();
        return result;
    }
    case WM_MDICREATE: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        HWND child = reinterpret_cast<HWND>(result);
        if (m_bGrouping && ::IsWindow(child)) {
            ::SetWindowLongW(child, GWL_STYLE,
                             ::GetWindowLongW(child, GWL_STYLE) & ~LONG(WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX |
                                                                        WS_MAXIMIZEBOX));
            ::SetWindowLongW(child, GWL_EXSTYLE, ::GetWindowLongW(child, GWL_EXSTYLE) & ~LONG(WS_EX_CLIENTEDGE));
            ::SetWindowPos(child, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
        Refresh();
        return result;
    }
    case WM_MDIDESTROY: {
        HWND child = reinterpret_cast<HWND>(wParam);
        if (!m_bClosing) {
            // The neighbour to the right, else to the left, becomes the active child first.
            CTKPTabManagerItem* item = FindItem(child);
            CTKPTabStrip* strip = item ? item->GetStrip() : nullptr;
            if (strip && child == GetActiveChild()) {
                CTKPTabManagerItem* next = strip->GetItem(item->GetIndex() + 1);
                if (!next)
                    next = strip->GetItem(item->GetIndex() - 1);
                if (next)
                    DefWindowProc(WM_MDIACTIVATE, WPARAM(next->m_dwData), 0);
            }
        }
        m_bClosing = TRUE;
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        m_bClosing = FALSE;
        Refresh();
        return result;
    }
    case WM_SETCURSOR: {
        POINT pt;
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWnd, &pt);
        if (LOWORD(lParam) == HTCLIENT && SplitterHit(pt) >= 0) {
            ::SetCursor(m_bHorizSplit ? m_hCursorHorz : m_hCursorVert);
            return TRUE;
        }
        break;
    }
    case WM_SIZE: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        m_bRefreshPending = TRUE;
        Refresh();
        return result;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        Paint(hdc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_NCCALCSIZE:
        if (m_bGrouping && lParam) {
            RECT* rc = reinterpret_cast<RECT*>(lParam);
            ::InflateRect(rc, -1, -1);
            return 0;
        }
        break;
    case WM_NCPAINT:
        if (m_bGrouping) {
            HDC dc = ::GetWindowDC(m_hWnd);
            CRect rc;
            ::GetWindowRect(m_hWnd, &rc);
            rc.OffsetRect(-rc.left, -rc.top);
            const COLORREF frame = m_pPaintManager->GetColorScheme()->m_clrFrame;
            CDC::FromHandle(dc)->Draw3dRect(rc, frame, frame);
            ::ReleaseDC(m_hWnd, dc);
            return 0;
        }
        break;
    case WM_NCACTIVATE:
        if (m_bGrouping)
            return TRUE;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        const int splitter = SplitterHit(pt);
        if (splitter >= 0) {
            TrackSplitter(splitter, pt);
            return 0;
        }
        for (const auto& ws : m_workspaces) {
            if (ws->OnLButtonDown(m_hWnd, pt.x, pt.y, TRUE))
                return 0;
            if (CTKPTabManagerItem* item = ws->HitTest(pt.x, pt.y)) {
                ws->SetSelectedItem(item);
                return 0;
            }
        }
        break;
    }
    case WM_MOUSEMOVE:
        TrackHot(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        break;
    case WM_MOUSELEAVE:
        for (const auto& ws : m_workspaces) {
            if (ws->m_pHot) {
                ws->m_pHot = nullptr;
                ws->RedrawControl();
            }
        }
        break;
    case WM_IDLEUPDATECMDUI:
        if (m_bDirty) {
            m_bDirty = FALSE;
            Refresh();
        }
        break;
    case WM_SYSCOLORCHANGE: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        m_pPaintManager->RefreshMetrics();
        return result;
    }
    case WM_NCDESTROY: {
        // The window goes with its frame: the tabs go with it.
        m_workspaces.clear();
        m_bAttached = FALSE;
        m_pMDIFrame = nullptr;
        break;
    }
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
