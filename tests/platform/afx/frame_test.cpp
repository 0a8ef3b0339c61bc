// Frames, views and documents: command routing in the framework's order and the layout of bars
// and pane.
#include "afx/afx.h"
#include "afx/frame.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;
enum { ID_ALL = 500, ID_DOC_APP, ID_FRAME_APP, ID_APP_ONLY, ID_NOBODY, ID_GATED };
bool g_gateOpen = true;

#define LOG_HANDLER(name, text)                                                                \
    void name() { g_log.push_back(text); }

class TestDoc : public CDocument {
public:
    TestDoc() { m_bAutoDelete = FALSE; }

protected:
    LOG_HANDLER(OnAll, "doc")
    LOG_HANDLER(OnDocApp, "doc")
    void OnUpdateAll(CCmdUI*) { g_log.push_back("doc:update"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestDoc, CDocument)
    ON_COMMAND(ID_ALL, OnAll)
    ON_COMMAND(ID_DOC_APP, OnDocApp)
    ON_UPDATE_COMMAND_UI(ID_DOC_APP, OnUpdateAll)
END_MESSAGE_MAP()

class TestView : public CView {
    DECLARE_DYNCREATE(TestView)
public:
    void OnDraw(CDC*) override {}

protected:
    LOG_HANDLER(OnAll, "view")
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(TestView, CView)
BEGIN_MESSAGE_MAP(TestView, CView)
    ON_COMMAND(ID_ALL, OnAll)
END_MESSAGE_MAP()

// A view that refuses its own window: it is destroyed in the making and frees itself.
class RefusingView : public CView {
    DECLARE_DYNCREATE(RefusingView)
public:
    void OnDraw(CDC*) override {}

protected:
    int OnCreate(LPCREATESTRUCTW) { return -1; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(RefusingView, CView)
BEGIN_MESSAGE_MAP(RefusingView, CView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class TestFrame : public CFrameWnd {
public:
    using CFrameWnd::CreateView;

protected:
    LOG_HANDLER(OnAll, "frame")
    LOG_HANDLER(OnFrameApp, "frame")
    LOG_HANDLER(OnGated, "gated")
    void OnUpdateGated(CCmdUI* pCmdUI) { pCmdUI->Enable(g_gateOpen); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestFrame, CFrameWnd)
    ON_COMMAND(ID_ALL, OnAll)
    ON_COMMAND(ID_FRAME_APP, OnFrameApp)
    ON_COMMAND(ID_GATED, OnGated)
    ON_UPDATE_COMMAND_UI(ID_GATED, OnUpdateGated)
END_MESSAGE_MAP()

class TestApp : public CWinApp {
protected:
    LOG_HANDLER(OnAll, "app")
    void OnUpdateApp(CCmdUI* pCmdUI) { g_log.push_back("app:update"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestApp, CWinApp)
    ON_COMMAND(ID_ALL, OnAll)
    ON_COMMAND(ID_DOC_APP, OnAll)
    ON_COMMAND(ID_FRAME_APP, OnAll)
    ON_COMMAND(ID_APP_ONLY, OnAll)
    ON_UPDATE_COMMAND_UI(ID_APP_ONLY, OnUpdateApp)
END_MESSAGE_MAP()

// A bar docked at the top that takes a fixed height from the frame's client area.
class TopBar : public CWnd {
public:
    int m_cy = 20;

protected:
    LRESULT OnSizeParent(WPARAM, LPARAM lParam) {
        auto* p = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
        RECT rc = p->rect;
        rc.bottom = rc.top + m_cy;
        p->rect.top += m_cy;
        p->hDWP = DeferWindowPos(p->hDWP, m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, m_cy,
                                 SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TopBar, CWnd)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
END_MESSAGE_MAP()

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        CCreateContext ctx;
        ctx.m_pNewViewClass = RUNTIME_CLASS(TestView);
        ctx.m_pCurrentDoc = &doc;
        frame = new TestFrame;
        ASSERT_TRUE(frame->Create(nullptr, u"frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300), nullptr, nullptr,
                                  0, &ctx));
        app.m_pMainWnd = frame;
        m_hFrame = frame->m_hWnd;
        g_log.clear();
    }
    void TearDown() override {
        // The frame frees itself with its window, so only the handle is safe to use here.
        if (IsWindow(m_hFrame))
            DestroyWindow(m_hFrame);
        for (HWND h : headless::TopLevelWindows())
            DestroyWindow(h);
        // Destroying the main frame asked the loop to end; no later test runs that loop.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    HWND m_hFrame = nullptr;
    TestApp app;
    TestDoc doc;
    TestFrame* frame = nullptr;
};

struct RouteCase {
    UINT nID;
    std::vector<std::string> log; // a command's update handler is asked before the command runs
};

class CommandRoute : public FrameTest, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(CommandRoute, ViewThenDocumentThenFrameThenApplication) {
    frame->SendMessage(WM_COMMAND, GetParam().nID, 0);
    EXPECT_EQ(g_log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandRoute,
                         ::testing::Values(RouteCase{ID_ALL, {"view"}}, RouteCase{ID_DOC_APP, {"doc:update", "doc"}},
                                           RouteCase{ID_FRAME_APP, {"frame"}},
                                           RouteCase{ID_APP_ONLY, {"app:update", "app"}}, RouteCase{ID_NOBODY, {}}));

// A shortcut, like a menu item, runs its command only while the command's update handler enables it;
// a refused one is still consumed, so the key does not go on to the focus window.
TEST_F(FrameTest, AShortcutRunsOnlyAnEnabledCommand) {
    ACCEL accel{FVIRTKEY, VK_F5, ID_GATED};
    HACCEL table = CreateAcceleratorTableW(&accel, 1);
    ASSERT_NE(table, nullptr);
    for (bool open : {true, false}) {
        SCOPED_TRACE(open);
        g_gateOpen = open;
        g_log.clear();
        MSG msg{m_hFrame, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
        EXPECT_EQ(TranslateAcceleratorW(m_hFrame, table, &msg), 1);
        EXPECT_EQ(g_log, open ? std::vector<std::string>{"gated"} : std::vector<std::string>{});
    }
    g_gateOpen = true;
    DestroyAcceleratorTable(table);
}

TEST_F(FrameTest, UpdateHandlersFollowTheSameRoute) {
    CCmdUI ui;
    ui.m_nID = ID_DOC_APP;
    EXPECT_TRUE(ui.DoUpdate(frame, FALSE));
    ui.m_nID = ID_APP_ONLY;
    EXPECT_TRUE(ui.DoUpdate(frame, FALSE));
    EXPECT_EQ(g_log, (std::vector<std::string>{"doc:update", "app:update"}));
}

TEST_F(FrameTest, TheViewIsActiveAndFillsWhatTheBarsLeave) {
    CView* pView = frame->GetActiveView();
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(frame->GetActiveDocument(), &doc);
    EXPECT_EQ(pView->GetDocument(), &doc);
    EXPECT_EQ(pView->GetParentFrame(), frame);
    EXPECT_EQ(pView->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    // The frame asks for a bordered view, which has the sunken client edge instead of a flat line.
    EXPECT_FALSE(pView->GetStyle() & WS_BORDER);
    EXPECT_TRUE(pView->GetExStyle() & WS_EX_CLIENTEDGE);

    TopBar bar;
    ASSERT_TRUE(bar.Create(nullptr, u"bar", WS_VISIBLE, CRect(0, 0, 1, 1), frame, 0xE800));
    frame->RecalcLayout();
    CRect client, rcBar, rcView;
    frame->GetClientRect(&client);
    bar.GetWindowRect(&rcBar);
    frame->ScreenToClient(&rcBar);
    pView->GetWindowRect(&rcView);
    frame->ScreenToClient(&rcView);
    EXPECT_EQ(rcBar, CRect(0, 0, client.right, 20));
    EXPECT_EQ(rcView, CRect(0, 20, client.right, client.bottom));

    // Bars taller than the frame leave an empty pane rather than a negative one.
    bar.m_cy = 5000;
    frame->RecalcLayout();
    pView->GetWindowRect(&rcView);
    EXPECT_EQ(rcView.Height(), 0);
}

TEST_F(FrameTest, AViewThatRefusesItsWindowIsNotTouchedAfterItFreedItself) {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(RefusingView);
    ctx.m_pCurrentDoc = &doc;
    CView* first = frame->GetActiveView();
    EXPECT_EQ(frame->CreateView(&ctx, AFX_IDW_PANE_FIRST + 1), nullptr);
    // Only the view that was made stays with the document and the frame.
    POSITION pos = doc.GetFirstViewPosition();
    EXPECT_EQ(doc.GetNextView(pos), first);
    EXPECT_EQ(pos, nullptr);
    EXPECT_EQ(frame->GetActiveView(), first);
}

TEST_F(FrameTest, ClosingTheMainFrameEndsTheLoopAndFreesFrameAndView) {
    HWND hView = frame->GetActiveView()->m_hWnd;
    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(IsWindow(hView));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(doc.GetFirstViewPosition(), nullptr);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
