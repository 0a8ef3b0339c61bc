// A sample frame for the docking tests: a frame that installs a pane manager, records what the
// manager tells it and may refuse steps, a client view, and a bare tabbed container whose drawing
// is only what the painter does.
#pragma once

#include "afx/frame.h"
#include "backend/headless/driver.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_caption_button.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_splitter.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace docktest {

constexpr UINT kFrameResource = 9200;

// Holds panes, shows the selected one over its whole rectangle, and saves its panes by index.
class TestTabbedContainer : public CWnd, public CTKPPaneBase, public CTKPPaneTabbedHolder {
public:
    explicit TestTabbedContainer(CTKPPaneLayout* layout) : CTKPPaneBase(paneTypeTabbedContainer, layout) {}
    ~TestTabbedContainer() override
    {
        if (GetSafeHwnd())
            DestroyWindow();
    }

    void Init(CTKPPane* pane, CWnd* site) override
    {
        m_nDockingCX = pane->m_nDockingCX;
        m_nDockingCY = pane->m_nDockingCY;
        AddPane(pane, TRUE);
    }
    void AddPane(CTKPPane* pane, BOOL) override
    {
        if (!GetSafeHwnd() && !GetLayout()->IsInitial() && m_pHostWindow && m_pHostWindow->GetSafeHwnd())
            Create(AfxRegisterWndClass(CS_DBLCLKS), u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                   RECT{0, 0, 0, 0}, m_pHostWindow, 0);
        m_panes.push_back(pane);
        pane->SetParentContainer(this);
        pane->SetHostWindow(m_pHostWindow);
        m_pSelected = pane;
        if (m_pParentContainer)
            m_pParentContainer->OnChildrenChanged();
    }
    void SelectPane(CTKPPane* pane, BOOL, BOOL) override { m_pSelected = pane; }
    CTKPPane* GetSelected() const override { return m_pSelected; }
    BOOL IsActive() const override { return m_bActive; }
    BOOL IsCaptionVisible() const override { return TRUE; }
    BOOL IsCaptionVertical() const override { return FALSE; }
    BOOL IsTabsVisible() const override { return FALSE; }
    CTKPTabStrip* GetTabStrip() override { return nullptr; }
    // The caption strip along the top takes a dragged pane as a tab.
    BOOL HitTestAttach(RECT& rect, int x, int y) override
    {
        CTKPPaneThemePainter* painter = GetPaintManager();
        RECT caption = rect;
        caption.bottom = std::min(rect.bottom, rect.top + (painter ? painter->GetCaptionHeight() + 3 : 0));
        rect.top = caption.bottom;
        return ::PtInRect(&caption, POINT{x, y});
    }
    void AddCaptionButton(UINT id) { m_captionButtons.push_back(new CTKPPaneCaptionButton(id, this)); }

    void RemovePane(CTKPPaneBase* pane) override
    {
        auto it = std::find(m_panes.begin(), m_panes.end(), pane);
        if (it == m_panes.end())
            return;
        m_panes.erase(it);
        pane->SetParentContainer(nullptr);
        if (m_pSelected == pane)
            m_pSelected = m_panes.empty() ? nullptr : static_cast<CTKPPane*>(m_panes.front());
        if (m_panes.empty() && GetSafeHwnd())
            ShowWindow(SW_HIDE);
        if (m_pParentContainer)
            m_pParentContainer->OnChildrenChanged();
    }
    BOOL ContainsPane(const CTKPPaneBase* pane) const override
    {
        return pane == this || std::find(m_panes.begin(), m_panes.end(), pane) != m_panes.end();
    }
    void FindPanes(int type, CTKPPaneList& list) override
    {
        for (CTKPPaneBase* pane : m_panes)
            if (pane->GetType() == type)
                list.push_back(pane);
    }
    BOOL IsHidden() const override { return m_panes.empty(); }
    BOOL IsAutoHidden() const override
    {
        return m_pParentContainer && m_pParentContainer->GetType() == paneTypeAutoHidePanel;
    }
    CWnd* GetPaneWindow() const override { return const_cast<TestTabbedContainer*>(this); }
    void OnParentChanged(CTKPPaneBase* container) override { m_pHostWindow = container->GetHostWindow(); }
    void GetMinMaxInfo(MINMAXINFO* info) const override
    {
        CTKPPaneBase::GetMinMaxInfo(info);
        for (CTKPPaneBase* pane : m_panes) {
            MINMAXINFO own;
            pane->GetMinMaxInfo(&own);
            info->ptMinTrackSize.x = std::max(info->ptMinTrackSize.x, own.ptMinTrackSize.x);
            info->ptMinTrackSize.y = std::max(info->ptMinTrackSize.y, own.ptMinTrackSize.y);
            info->ptMaxTrackSize.x = std::min(info->ptMaxTrackSize.x, own.ptMaxTrackSize.x);
            info->ptMaxTrackSize.y = std::min(info->ptMaxTrackSize.y, own.ptMaxTrackSize.y);
        }
    }
    void OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout) override
    {
        m_pHostWindow = parent;
        m_rcPane = rect;
        if (layout && !layout->hDWP)
            return;
        if (GetSafeHwnd()) {
            MoveWindow(&rect);
            CWnd::Invalidate();
        }
        RECT client = rect;
        if (CTKPPaneThemePainter* painter = GetPaintManager())
            painter->AdjustTabbedClientRect(this, client, FALSE);
        for (CTKPPaneBase* pane : m_panes)
            pane->OnSizeParent(parent, client, layout);
    }
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (message != WM_PAINT)
            return CWnd::OnWndMsg(message, wParam, lParam, pResult);
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        if (CTKPPaneThemePainter* painter = GetPaintManager()) {
            CDC dc;
            dc.Attach(hdc);
            painter->DrawTabbedContainer(&dc, this, rc);
            dc.Detach();
        }
        ::EndPaint(m_hWnd, &ps);
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    BOOL DoPropExchange(CTKPPropExchange* px) override
    {
        CTKPPaneBase::DoPropExchange(px);
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
        if (!map || count < 0 || size_t(count) > map->m_panes.size())
            return FALSE;
        for (int i = 0; i < count; ++i) {
            CString key;
            key.Format(u"Pane-%d", i + 1);
            int index = 0;
            PropExchangeInt(px, key, &index, 0);
            CTKPPaneBase* pane = map->Claim(index, this, 1u << paneTypeDockingPane);
            if (!pane)
                return FALSE;
            AddPane(static_cast<CTKPPane*>(pane), FALSE);
        }
        return TRUE;
    }
    CTKPPaneBase* Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags) override
    {
        auto* clone = new TestTabbedContainer(layout);
        clone->m_nDockingCX = m_nDockingCX;
        clone->m_nDockingCY = m_nDockingCY;
        if (map)
            (*map)[this] = clone;
        const CTKPPaneList panes = m_panes;
        for (CTKPPaneBase* pane : panes) {
            if (map) {
                if (CTKPPaneBase* copy = pane->Clone(layout, map, 0))
                    clone->AddPane(static_cast<CTKPPane*>(copy), FALSE);
            } else {
                RemovePane(pane);
                clone->AddPane(static_cast<CTKPPane*>(pane), FALSE);
            }
        }
        return clone;
    }

    CTKPPaneList m_panes;
    CTKPPane* m_pSelected = nullptr;
    BOOL m_bActive = FALSE;
};

class TestPaneManager : public CTKPPaneManager {};

struct Notification {
    int code;
    int action;  // for code 4
    CTKPPaneBase* pane;
};

// A frame with a client view (the leftover child) and the pane manager.
class DockFrame : public CFrameWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CREATE) {
            const LRESULT result = CFrameWnd::WindowProc(message, wParam, lParam);
            m_view.Create(u"STATIC", u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, RECT{0, 0, 0, 0}, this,
                          AFX_IDW_PANE_FIRST);
            m_paneManager.InstallDockingPanes(this);
            return result;
        }
        if (message == TKP_WM_DOCKINGPANE_NOTIFY) {
            Notification n{int(wParam), -1, nullptr};
            if (wParam == TKP_DPN_ACTION) {
                auto* record = reinterpret_cast<TKPPaneActionRecord*>(lParam);
                if (onAction)
                    onAction(record);
                n.action = record->action;
                n.pane = record->pane;
                if (record->action == refuseAction)
                    record->result = 1;
            } else {
                n.pane = reinterpret_cast<CTKPPaneBase*>(lParam);
            }
            notifications.push_back(n);
            return wParam == TKP_DPN_CLOSEPANE ? closeAnswer : 0;
        }
        return CFrameWnd::WindowProc(message, wParam, lParam);
    }

    RECT ViewRect() const
    {
        RECT rc;
        ::GetWindowRect(m_view.m_hWnd, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    TestPaneManager m_paneManager;
    CWnd m_view;
    std::vector<Notification> notifications;
    int refuseAction = -1;
    LRESULT closeAnswer = 0;
    // Called with every action record before it is answered.
    std::function<void(TKPPaneActionRecord*)> onAction;
};

// Opens a frame of the given client size, shown and laid out.
inline DockFrame* OpenFrame(int width = 800, int height = 600)
{
    auto* frame = new DockFrame;
    frame->LoadFrame(kFrameResource, WS_OVERLAPPEDWINDOW);
    RECT rc{0, 0, width, height};
    ::AdjustWindowRectEx(&rc, WS_OVERLAPPEDWINDOW, FALSE, 0);
    frame->SetWindowPos(nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER | SWP_NOMOVE);
    frame->ShowWindow(SW_SHOW);
    headless::PumpUntilIdle();
    frame->RecalcLayout();
    return frame;
}

inline void CloseFrame(DockFrame* frame)
{
    frame->DestroyWindow();
    headless::PumpUntilIdle();
}

// A single pane with an edit window as its child, made through the manager.
inline CTKPPane* MakePane(CTKPPaneManager& manager, int id, const char16_t* title, int cx = 200, int cy = 150)
{
    auto* pane = static_cast<CTKPPane*>(manager.OnCreatePane(paneTypeDockingPane, manager.GetLayout()));
    pane->m_nID = id;
    pane->m_strTitle = title;
    pane->m_nDockingCX = cx;
    pane->m_nDockingCY = cy;
    HWND child = ::CreateWindowExW(0, u"EDIT", title, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, manager.m_hWnd, nullptr,
                                   nullptr, nullptr);
    pane->Attach(child);
    return pane;
}

inline int Width(const RECT& rc) { return rc.right - rc.left; }
inline int Height(const RECT& rc) { return rc.bottom - rc.top; }

} // namespace docktest
