// Tests of the trackers: keys delivered to registered hook objects, the hooks of a window's chain,
// and clicks that close tracked bars unless they fall into an excluded window.
#include <gtest/gtest.h>

#include "../base/test_windows.h"
#include "backend/headless/driver.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/trackers.h"

#include <vector>

namespace {

std::vector<UINT> g_windowMessages;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_DESTROY || message >= WM_USER)
        g_windowMessages.push_back(message);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A hook object that answers with a fixed code and records what it was offered.
struct RecordingHook : CTKPWndHookChain {
    explicit RecordingHook(int answer, LRESULT result = 0) : answer(answer), result(result) {}
    int OnHookMessage(HWND, UINT message, WPARAM& wParam, LPARAM&, LRESULT& out) override
    {
        seen.push_back(message == WM_KEYDOWN ? UINT(wParam) : message);
        out = result;
        return answer;
    }
    int answer;
    LRESULT result;
    std::vector<UINT> seen;
};

class Trackers : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::RegisterPlainWindowClass(u"TkTrackerWindow", nullptr, RecordingProc);
        window = Make(0);
        other = Make(300);
        SetActiveWindow(window);
        SetFocus(window);
        headless::PumpUntilIdle();
        g_windowMessages.clear();
    }
    void TearDown() override
    {
        DestroyWindow(window);
        DestroyWindow(other);
    }
    HWND Make(int x)
    {
        return CreateWindowExW(0, u"TkTrackerWindow", u"t", WS_POPUP | WS_VISIBLE, x, 0, 200, 200, nullptr, nullptr,
                               nullptr, nullptr);
    }
    HWND window = nullptr, other = nullptr;
};

} // namespace

TEST_F(Trackers, KeyboardHooksLiveFromTheFirstObjectToTheLast) {
    CTKPKeyboardTracker* tracker = CTKPKeyboardTracker::GetThreadTracker();
    ASSERT_FALSE(tracker->IsHooked());
    RecordingHook first(2), second(2);
    tracker->AddWindow(&first);
    EXPECT_TRUE(tracker->IsHooked());
    tracker->AddWindow(&second);
    tracker->AddWindow(&second);
    EXPECT_EQ(tracker->GetCount(), 2);
    tracker->RemoveWindow(&first);
    EXPECT_TRUE(tracker->IsHooked());
    tracker->RemoveWindow(&second);
    EXPECT_FALSE(tracker->IsHooked());

    // An object that goes away takes itself out, hooks included.
    {
        RecordingHook scoped(2);
        tracker->AddWindow(&scoped);
        EXPECT_TRUE(tracker->IsHooked());
    }
    EXPECT_EQ(tracker->GetCount(), 0);
    EXPECT_FALSE(tracker->IsHooked());
}

TEST_F(Trackers, KeysGoToTheLatestObjectFirstAndReachTheWindowOnlyWhenLetThrough) {
    const struct { const char* name; int older; int newer; bool olderAsked; bool reachesWindow; } cases[] = {
        {"newer lets it through", 1, 2, false, true},
        {"newer eats it", 2, 1, false, false},
        {"newer passes, older lets it through", 2, 0, true, true},
        {"nobody interested: it goes on", 0, 0, true, true},
    };
    CTKPKeyboardTracker* tracker = CTKPKeyboardTracker::GetThreadTracker();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHook older(c.older), newer(c.newer);
        tracker->AddWindow(&older);
        tracker->AddWindow(&newer);
        g_windowMessages.clear();
        headless::KeyDown(VK_F5);
        headless::KeyUp(VK_F5);
        headless::PumpUntilIdle();
        EXPECT_EQ(newer.seen, std::vector<UINT>{VK_F5});
        EXPECT_EQ(older.seen.size(), c.olderAsked ? 1u : 0u);
        EXPECT_EQ(g_windowMessages.size(), c.reachesWindow ? 1u : 0u);
        tracker->RemoveWindow(&older);
        tracker->RemoveWindow(&newer);
    }
    // With nothing registered keys are left alone.
    g_windowMessages.clear();
    headless::PressKey(VK_F5);
    headless::PumpUntilIdle();
    EXPECT_EQ(g_windowMessages.size(), 1u);
}

TEST_F(Trackers, WindowChainOffersMessagesFromTheLastHookAdded) {
    const LONG_PTR original = GetWindowLongPtrW(window, GWLP_WNDPROC);
    const struct { const char* name; int first; int second; LRESULT answer; bool firstAsked; bool windowRuns; } cases[] = {
        {"second handles", 0, 1, 42, false, false},
        {"second stops, window runs", 1, 2, 0, false, true},
        {"second passes, first handles", 1, 0, 7, true, false},
        {"nobody handles", 0, 0, 0, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHook first(c.first, 7), second(c.second, 42);
        CTKPWndHookChain::AddHook(window, &first);
        CTKPWndHookChain::AddHook(window, &second);
        CTKPWndHookChain::AddHook(window, &second);
        ASSERT_NE(CTKPWndHookChain::FindChain(window), nullptr);
        EXPECT_EQ(CTKPWndHookChain::FindChain(window)->m_hooks.size(), 2u);
        g_windowMessages.clear();
        EXPECT_EQ(SendMessageW(window, WM_USER + 1, 0, 0), c.answer);
        EXPECT_EQ(first.seen.size(), c.firstAsked ? 1u : 0u);
        EXPECT_EQ(g_windowMessages.size(), c.windowRuns ? 1u : 0u);
        CTKPWndHookChain::RemoveHook(window, &second);
        EXPECT_NE(GetWindowLongPtrW(window, GWLP_WNDPROC), original);
        CTKPWndHookChain::RemoveHook(&first);
        EXPECT_EQ(CTKPWndHookChain::FindChain(window), nullptr);
        EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), original);
    }

    // A hooked window that is destroyed leaves no chain behind, nor does a hook that goes away.
    RecordingHook kept(0);
    HWND doomed = Make(600);
    CTKPWndHookChain::AddHook(doomed, &kept);
    DestroyWindow(doomed);
    EXPECT_EQ(CTKPWndHookChain::FindChain(doomed), nullptr);
    {
        RecordingHook scoped(0);
        CTKPWndHookChain::AddHook(window, &scoped);
    }
    EXPECT_EQ(CTKPWndHookChain::FindChain(window), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), original);
}

TEST_F(Trackers, ClicksOutsideCloseTrackedBarsUnlessInAnExcludedWindow) {
    CTKPMouseTracker* tracker = CTKPMouseTracker::GetThreadTracker();
    ASSERT_NE(tracker->GetHook(), nullptr);
    auto* bar = new CTKPCommandBar();
    const struct { const char* name; bool excluded; bool closes; } cases[] = {
        {"plain window", false, true}, {"excluded window", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bar->SetTrackingMode(1, FALSE, FALSE);
        ASSERT_EQ(tracker->GetTrackedCount(), 1);
        if (c.excluded)
            tracker->AddExcludedWindow(other);
        headless::Click(other, {50, 50});
        headless::PumpUntilIdle();
        EXPECT_EQ(bar->GetTrackingMode() == 0, c.closes);
        EXPECT_EQ(tracker->GetTrackedCount() == 0, c.closes);
        tracker->RemoveExcludedWindow(other);
        bar->SetTrackingMode(0, TRUE, FALSE);
    }
    // A bar that goes away while tracked leaves the tracker.
    bar->SetTrackingMode(1, FALSE, FALSE);
    bar->InternalRelease();
    EXPECT_EQ(tracker->GetTrackedCount(), 0);
    EXPECT_FALSE(CTKPKeyboardTracker::GetThreadTracker()->IsHooked());
}

namespace {
// A hook that takes itself off its window when the window is destroyed, as a popup shadow does.
struct SelfRemovingHook : CTKPWndHookChain {
    int OnHookMessage(HWND hWnd, UINT message, WPARAM&, LPARAM&, LRESULT&) override
    {
        if (message == WM_DESTROY) {
            ++destroys;
            RemoveHook(hWnd, this);
        }
        return 0;
    }
    int destroys = 0;
};
} // namespace

TEST_F(Trackers, TwoHooksThatUnhookOnDestroyLeaveTheChainIntact) {
    // The second hook to leave empties the chain in the middle of its own dispatch; the window's
    // own procedure must still get the message, from the procedure saved before the walk.
    HWND doomed = Make(600);
    const LONG_PTR original = GetWindowLongPtrW(doomed, GWLP_WNDPROC);
    SelfRemovingHook first, second;
    CTKPWndHookChain::AddHook(doomed, &first);
    CTKPWndHookChain::AddHook(doomed, &second);
    EXPECT_NE(GetWindowLongPtrW(doomed, GWLP_WNDPROC), original);
    g_windowMessages.clear();
    DestroyWindow(doomed);
    EXPECT_EQ(g_windowMessages, std::vector<UINT>{WM_DESTROY});
    EXPECT_EQ(first.destroys, 1);
    EXPECT_EQ(second.destroys, 1);
    EXPECT_EQ(CTKPWndHookChain::FindChain(doomed), nullptr);
    // Before the destroy, the chain gives the window its procedure back as each hook leaves.
    HWND kept = Make(600);
    CTKPWndHookChain::AddHook(kept, &first);
    CTKPWndHookChain::AddHook(kept, &second);
    SendMessageW(kept, WM_DESTROY, 0, 0);
    EXPECT_EQ(CTKPWndHookChain::FindChain(kept), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(kept, GWLP_WNDPROC), original);
    DestroyWindow(kept);
}
