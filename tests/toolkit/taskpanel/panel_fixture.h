// A sample window for the task-panel tests: a top-level owner that records the panel's notifications
// and answers them as told, a panel inside it, and helpers to build groups and items.
#pragma once

#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/taskpanel/task_panel.h"

#include <vector>

namespace tptest {

struct Notification {
    WPARAM code;
    LPARAM item;
    BOOL expanded; // notification 6 only
};

inline std::vector<Notification> g_log;
inline LRESULT g_answers[10] = {};

inline LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TKP_WM_TASKPANEL_NOTIFY) {
        Notification n{wParam, lParam, FALSE};
        if (wParam == TKP_TPN_GROUPEXPANDING) {
            const auto* record = reinterpret_cast<const TaskPanelGroupExpanding*>(lParam);
            n.item = LPARAM(record->group);
            n.expanded = record->expanded;
        }
        g_log.push_back(n);
        return wParam < 10 ? g_answers[wParam] : 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline CTKPTaskPanelGroup* AddGroup(CTKPTaskPanel& panel, LPCWSTR caption, int id = 0)
{
    auto* group = new CTKPTaskPanelGroup();
    group->SetCaption(caption);
    group->SetID(id);
    panel.GetGroups()->InsertAt(panel.GetGroupCount(), group);
    return group;
}

inline CTKPTaskPanelGroupItem* AddItem(CTKPTaskPanelGroup* group, LPCWSTR caption, int id = 0,
                                       int type = TKP_TASKITEM_LINK)
{
    auto* item = new CTKPTaskPanelGroupItem();
    item->SetCaption(caption);
    item->SetID(id);
    item->SetType(type);
    group->GetItems()->InsertAt(group->GetItemCount(), item);
    return item;
}

inline CPoint Center(const CRect& rc)
{
    return CPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

inline int Count(WPARAM code)
{
    int n = 0;
    for (const Notification& entry : g_log)
        n += entry.code == code;
    return n;
}

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        g_log.clear();
        std::fill(std::begin(g_answers), std::end(g_answers), 0);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (!GetClassInfoExW(nullptr, u"TpHost", &wc)) {
            wc = WNDCLASSEXW{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = HostProc;
            wc.lpszClassName = u"TpHost";
            RegisterClassExW(&wc);
        }
        ASSERT_TRUE(m_host.CreateEx(0, u"TpHost", u"host", WS_POPUP | WS_VISIBLE, 0, 0, 400, 600, nullptr, nullptr));
        m_panel = new CTKPTaskPanel();
        ASSERT_TRUE(m_panel->Create(WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 220, 500), &m_host, 100));
        headless::PumpUntilIdle();
    }
    void TearDown() override
    {
        delete m_panel;
        m_host.DestroyWindow();
        headless::PumpUntilIdle();
    }
    // Runs the animation timer until no group moves.
    void Settle()
    {
        for (int i = 0; i < 40; ++i) {
            headless::AdvanceClock(30);
            headless::PumpUntilIdle();
        }
    }
    CPoint CaptionPoint(CTKPTaskPanelGroup* group) const { return Center(group->GetHitTestRect()); }
    CPoint ItemPoint(CTKPTaskPanelItem* item) const { return Center(item->GetHitTestRect()); }
    void Click(CPoint pt)
    {
        headless::MouseMove(m_panel->m_hWnd, pt);
        headless::Click(m_panel->m_hWnd, pt);
        headless::PumpUntilIdle();
    }

    CWnd m_host;
    CTKPTaskPanel* m_panel = nullptr;
};

} // namespace tptest
