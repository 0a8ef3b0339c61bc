// CWnd: creation through the framework, the handle maps, subclassing, reflection and clean-up.
#include "afx/afx.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

// A window class of the program's own that the framework did not register.
LRESULT CALLBACK PlainProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER + 1)
        return 41;
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

const char16_t* PlainClass() {
    static bool done = false;
    if (!done) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &PlainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = u"AfxTestPlain";
        RegisterClassW(&wc);
        done = true;
    }
    return u"AfxTestPlain";
}

class TestWnd : public CWnd {
public:
    int m_nCreated = 0;
    bool* m_pDeleted = nullptr;
    LRESULT OnAsk(WPARAM wParam, LPARAM) { return (LRESULT)wParam * 2; }
    // Sees the message first, then leaves it to the window's own procedure.
    LRESULT OnPlain(WPARAM, LPARAM) { return Default() + 1; }
    void PostNcDestroy() override {
        if (m_pDeleted) {
            *m_pDeleted = true;
            delete this;
        }
    }

protected:
    int OnCreate(LPCREATESTRUCTW cs) {
        ++m_nCreated;
        return CWnd::OnCreate(cs);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_USER, OnAsk)
    ON_MESSAGE(WM_USER + 1, OnPlain)
END_MESSAGE_MAP()

class WndTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (HWND h : headless::TopLevelWindows())
            DestroyWindow(h);
        CWnd::DeleteTempMap();
    }
};

TEST_F(WndTest, CreateExAttachesTheObjectBeforeWmCreate) {
    TestWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, u"top", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
    EXPECT_EQ(w.m_nCreated, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(w.m_hWnd), &w);
    EXPECT_EQ(CWnd::FromHandle(w.m_hWnd), &w);
    EXPECT_EQ(w.SendMessage(WM_USER, 21), 42);
    // One object holds one window.
    EXPECT_FALSE(w.CreateEx(0, nullptr, u"again", WS_OVERLAPPEDWINDOW, CRect(0, 0, 10, 10), nullptr, 0));
    HWND h = w.m_hWnd;
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST_F(WndTest, CreationOfAnUnknownClassFailsAndLeavesTheObjectFree) {
    TestWnd w;
    EXPECT_FALSE(w.CreateEx(0, u"NoSuchClass", u"x", WS_OVERLAPPEDWINDOW, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WndTest, ForeignWindowsGetOneTemporaryObjectUntilTheTempMapIsCleared) {
    HWND h = CreateWindowExW(0, PlainClass(), u"plain", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    CWnd* p = CWnd::FromHandle(h);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_hWnd, h);
    EXPECT_EQ(CWnd::FromHandle(h), p);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    CWnd::DeleteTempMap();
    // Clearing the map frees the object, never the window.
    EXPECT_TRUE(IsWindow(h));
}

TEST_F(WndTest, SubclassingPutsTheMapInFrontOfTheWindowsOwnProcedureAndUnsubclassingRestoresIt) {
    HWND h = CreateWindowExW(0, PlainClass(), u"plain", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                             nullptr);
    CWnd* temp = CWnd::FromHandle(h);
    TestWnd w;
    ASSERT_TRUE(w.SubclassWindow(h));
    EXPECT_EQ(CWnd::FromHandle(h), &w);
    EXPECT_NE(CWnd::FromHandle(h), temp);
    EXPECT_EQ(SendMessageW(h, WM_USER + 1, 0, 0), 42); // the map, then the class's procedure
    EXPECT_EQ(w.UnsubclassWindow(), h);
    EXPECT_EQ(SendMessageW(h, WM_USER + 1, 0, 0), 41);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    // A second object may not take a window that already has one.
    TestWnd a, b;
    ASSERT_TRUE(a.SubclassWindow(h));
    EXPECT_FALSE(b.SubclassWindow(h));
    a.UnsubclassWindow();
    DestroyWindow(h);
}

TEST_F(WndTest, PostNcDestroyMayDeleteTheObjectAndTheDestructorDestroysAWindowStillAttached) {
    bool deleted = false;
    auto* p = new TestWnd;
    p->m_pDeleted = &deleted;
    ASSERT_TRUE(p->CreateEx(0, nullptr, u"self", WS_OVERLAPPED, CRect(0, 0, 10, 10), nullptr, 0));
    HWND h = p->m_hWnd;
    DestroyWindow(h);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);

    HWND h2 = nullptr;
    {
        TestWnd w;
        ASSERT_TRUE(w.CreateEx(0, nullptr, u"scoped", WS_OVERLAPPED, CRect(0, 0, 10, 10), nullptr, 0));
        h2 = w.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(h2));
}

// ---- Reflection -------------------------------------------------------------------------------
constexpr UINT kNotifyCode = 0x7001;
HBRUSH const kChildBrush = (HBRUSH)(UINT_PTR)0x1234;

class ReflectingCtrl : public CWnd {
public:
    BOOL m_bReflect = TRUE;
    HBRUSH CtlColor(CDC*, UINT nCtlColor) {
        g_log.push_back("child:ctlcolor:" + std::to_string(nCtlColor));
        return m_bReflect ? kChildBrush : nullptr;
    }
    void DrawItem(LPDRAWITEMSTRUCT) { g_log.push_back("child:drawitem"); }
    BOOL OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
        g_log.push_back("child:notify");
        *pResult = 7;
        return m_bReflect;
    }
    void OnClicked() { g_log.push_back("child:clicked"); }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectingCtrl, CWnd)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_DRAWITEM_REFLECT()
    ON_NOTIFY_REFLECT_EX(kNotifyCode, OnCustomDraw)
    ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

class ParentWnd : public CWnd {
protected:
    void OnNotifyFromChild(NMHDR*, LRESULT* pResult) {
        g_log.push_back("parent:notify");
        *pResult = 9;
    }
    void OnCommandFromChild() { g_log.push_back("parent:clicked"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ParentWnd, CWnd)
    ON_NOTIFY(kNotifyCode, 5, OnNotifyFromChild)
    ON_BN_CLICKED(6, OnCommandFromChild)
END_MESSAGE_MAP()

class ReflectionTest : public WndTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 200), nullptr, 0));
        ASSERT_TRUE(child.Create(nullptr, u"child", WS_VISIBLE, CRect(0, 0, 50, 20), &parent, 5));
        g_log.clear();
    }
    ParentWnd parent;
    ReflectingCtrl child;
};

TEST_F(ReflectionTest, CtlColorGoesToTheControlFirstAndFallsBackToTheDefault) {
    HDC hdc = GetDC(child.m_hWnd);
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORBTN, (WPARAM)hdc, (LPARAM)child.m_hWnd), (LRESULT)kChildBrush);
    EXPECT_EQ(g_log, std::vector<std::string>{"child:ctlcolor:" + std::to_string(CTLCOLOR_BTN)});
    child.m_bReflect = FALSE;
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)child.m_hWnd),
              DefWindowProcW(parent.m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)child.m_hWnd));
    ReleaseDC(child.m_hWnd, hdc);
}

TEST_F(ReflectionTest, DrawItemAndCommandsReachTheControlsOwnMap) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = 5;
    dis.hwndItem = child.m_hWnd;
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 5, (LPARAM)&dis), TRUE);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), (LPARAM)child.m_hWnd);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:drawitem", "child:clicked"}));
}

TEST_F(ReflectionTest, NotifyReflectExLetsTheParentHandleItToo) {
    NMHDR nm{child.m_hWnd, 5, kNotifyCode};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 5, (LPARAM)&nm), 7);
    child.m_bReflect = FALSE;
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 5, (LPARAM)&nm), 9);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:notify", "child:notify", "parent:notify"}));
}

TEST_F(ReflectionTest, NotificationsOfWindowsWithoutAnObjectGoToTheParentsMap) {
    HWND plain = CreateWindowExW(0, PlainClass(), u"", WS_CHILD, 0, 0, 5, 5, parent.m_hWnd, (HMENU)6, nullptr,
                                 nullptr);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(6, BN_CLICKED), (LPARAM)plain);
    EXPECT_EQ(g_log, std::vector<std::string>{"parent:clicked"});
}

// ---- PreTranslateMessage ------------------------------------------------------------------------
class Translating : public CWnd {
public:
    std::string m_name;
    UINT m_nEat = 0;
    BOOL PreTranslateMessage(MSG* pMsg) override {
        g_log.push_back(m_name);
        return pMsg->message == m_nEat;
    }
};

TEST_F(WndTest, PreTranslateWalksFromTheTargetUpToTheStopWindow) {
    Translating top, mid, leaf;
    top.m_name = "top";
    mid.m_name = "mid";
    leaf.m_name = "leaf";
    ASSERT_TRUE(top.CreateEx(0, nullptr, u"top", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100), nullptr, 0));
    ASSERT_TRUE(mid.Create(nullptr, u"mid", WS_VISIBLE, CRect(0, 0, 50, 50), &top, 1));
    // A window in between without an object is passed over.
    HWND plain = CreateWindowExW(0, PlainClass(), u"", WS_CHILD, 0, 0, 40, 40, mid.m_hWnd, (HMENU)2, nullptr, nullptr);
    ASSERT_TRUE(leaf.Create(nullptr, u"leaf", WS_VISIBLE, CRect(0, 0, 10, 10), CWnd::FromHandle(plain), 3));
    MSG msg{leaf.m_hWnd, WM_KEYDOWN, 0, 0, 0, {}};
    g_log.clear();
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(top.m_hWnd, &msg));
    EXPECT_EQ(g_log, (std::vector<std::string>{"leaf", "mid", "top"}));
    g_log.clear();
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(mid.m_hWnd, &msg));
    EXPECT_EQ(g_log, (std::vector<std::string>{"leaf", "mid"}));
    mid.m_nEat = WM_KEYDOWN;
    g_log.clear();
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(top.m_hWnd, &msg));
    EXPECT_EQ(g_log, (std::vector<std::string>{"leaf", "mid"}));
}

TEST_F(WndTest, ModifyStyleReportsWhetherAnythingChanged) {
    TestWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, u"s", WS_OVERLAPPED, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_TRUE(w.ModifyStyle(0, WS_HSCROLL, SWP_FRAMECHANGED));
    EXPECT_TRUE(w.GetStyle() & WS_HSCROLL);
    EXPECT_FALSE(w.ModifyStyle(0, WS_HSCROLL));
    EXPECT_TRUE(w.ModifyStyle(WS_HSCROLL, 0));
    EXPECT_FALSE(w.GetStyle() & WS_HSCROLL);
    EXPECT_TRUE(w.ModifyStyleEx(0, WS_EX_TOOLWINDOW));
    EXPECT_TRUE(w.GetExStyle() & WS_EX_TOOLWINDOW);
}

} // namespace

namespace {

// A dialog's owner is the first window above its parent that is not a child; the top level above it
// is disabled only when it is another window, so the caller knows what to enable again.
TEST_F(WndTest, SafeOwnerIsTheFirstNonChildAboveTheParentAndDisablesOnlyAnotherTopLevel) {
    CWnd top, popup, child;
    ASSERT_TRUE(top.CreateEx(0, PlainClass(), u"top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr));
    ASSERT_TRUE(popup.CreateEx(0, PlainClass(), u"popup", WS_POPUP, 0, 0, 50, 50, top.m_hWnd, nullptr));
    // The popup is owned by the top level, so the walk up from its child reaches the popup first and
    // the top level above it second.
    ASSERT_TRUE(child.CreateEx(0, PlainClass(), u"", WS_CHILD, 0, 0, 10, 10, popup.m_hWnd, (HMENU)5));

    HWND disabled = (HWND)1;
    EXPECT_EQ(CWnd::GetSafeOwner(&child, &disabled)->m_hWnd, popup.m_hWnd);
    EXPECT_EQ(disabled, top.m_hWnd);
    EXPECT_FALSE(::IsWindowEnabled(top.m_hWnd));
    ::EnableWindow(top.m_hWnd, TRUE);

    // The parent is its own top level: nothing else to disable.
    EXPECT_EQ(CWnd::GetSafeOwner(&top, &disabled)->m_hWnd, top.m_hWnd);
    EXPECT_EQ(disabled, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(top.m_hWnd));
    child.DestroyWindow();
    popup.DestroyWindow();
    top.DestroyWindow();
}

} // namespace
