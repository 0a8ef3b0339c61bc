// Control bars in a frame: layout around the view, delayed show and hide, idle-time command
// updates, status messages and accelerators.
#include "afx/afx.h"
#include "backend/headless/driver.h"
#include "../resources/test_ids.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

enum { ID_CUT = 300, ID_PASTE, ID_ORPHAN, IDW_LEFT = 0xE810, IDW_TOP = 0xE811 };

std::map<UINT, const char16_t*> g_strings = {
    {ID_CUT, u"Cut the selection\nCut"},
    {AFX_IDS_IDLEMESSAGE, u"Ready"},
    {IDM_MAIN, u"Bars\n\n"},
};

int LoadTestString(UINT nID, LPWSTR buf, int cch) {
    auto it = g_strings.find(nID);
    if (it == g_strings.end() || cch <= 0)
        return 0;
    lstrcpynW(buf, it->second, cch);
    return lstrlenW(buf);
}

// A bar of fixed thickness whose "buttons" are command ids with an enabled state.
class TestBar : public CControlBar {
public:
    TestBar(int thickness, std::vector<UINT> ids) : m_nThickness(thickness) {
        for (UINT id : ids)
            m_state[id] = TRUE;
    }
    BOOL Create(CWnd* pParent, DWORD dwBarStyle, UINT nID) {
        m_dwStyle = dwBarStyle;
        return CWnd::Create(nullptr, u"bar", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), pParent, nID);
    }
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override {
        CSize size = CControlBar::CalcFixedLayout(bStretch, bHorz);
        (bHorz ? size.cy : size.cx) = m_nThickness;
        return size;
    }
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override {
        struct ButtonUI : CCmdUI {
            TestBar* bar;
            void Enable(BOOL bOn) override {
                bar->m_state[m_nID] = bOn;
                m_bEnableChanged = TRUE;
            }
        } ui;
        ui.bar = this;
        ui.m_pOther = this;
        for (auto& [id, enabled] : m_state) {
            ui.m_nID = id;
            ui.DoUpdate(pTarget, bDisableIfNoHndler);
        }
    }
    std::map<UINT, BOOL> m_state;
    int m_nThickness;
};

// The status bar: a bar that shows its window text.
class StatusBar : public TestBar {
public:
    StatusBar() : TestBar(20, {}) {}
};

class BarView : public CView {
    DECLARE_DYNCREATE(BarView)
public:
    void OnDraw(CDC*) override {}
    BOOL m_bCanCut = FALSE;
    int m_nCuts = 0;

protected:
    void OnCut() { ++m_nCuts; }
    void OnUpdateCut(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bCanCut); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(BarView, CView)
BEGIN_MESSAGE_MAP(BarView, CView)
    ON_COMMAND(ID_CUT, OnCut)
    ON_UPDATE_COMMAND_UI(ID_CUT, OnUpdateCut)
    ON_COMMAND(ID_OPEN, OnCut)
END_MESSAGE_MAP()

class BarFrame : public CFrameWnd {
    DECLARE_DYNCREATE(BarFrame)
public:
    StatusBar m_status;
    TestBar m_top{26, {ID_CUT, ID_PASTE, ID_ORPHAN}};
    TestBar m_left{30, {}};

protected:
    int OnCreate(LPCREATESTRUCTW lpcs) {
        if (CFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        if (!m_status.Create(this, CBRS_BOTTOM, AFX_IDW_STATUS_BAR) || !m_top.Create(this, CBRS_TOP, IDW_TOP) ||
            !m_left.Create(this, CBRS_LEFT, IDW_LEFT))
            return -1;
        return 0;
    }
    void OnPaste() {}
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(BarFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(BarFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_PASTE, OnPaste)
END_MESSAGE_MAP()

class ControlBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxSetLoadStringProc(&LoadTestString);
        CCreateContext ctx;
        ctx.m_pNewViewClass = RUNTIME_CLASS(BarView);
        frame = new BarFrame;
        ASSERT_TRUE(frame->LoadFrame(IDM_MAIN, WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, &ctx));
        hFrame = frame->m_hWnd;
        frame->MoveWindow(0, 0, 500, 400);
        app.m_pMainWnd = frame;
        view = static_cast<BarView*>(frame->GetActiveView());
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        AfxSetLoadStringProc(nullptr);
        if (IsWindow(hFrame))
            DestroyWindow(hFrame);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    CRect InFrame(CWnd& wnd) {
        CRect rc;
        wnd.GetWindowRect(&rc);
        frame->ScreenToClient(&rc);
        return rc;
    }
    CString StatusText() {
        CString s;
        frame->m_status.GetWindowText(s);
        return s;
    }
    CWinApp app;
    BarFrame* frame = nullptr;
    BarView* view = nullptr;
    HWND hFrame = nullptr;
};

TEST_F(ControlBarTest, BarsTakeTheirSidesAndTheViewFillsTheRest) {
    EXPECT_EQ(frame->GetTitle(), CString(u"Bars"));
    CRect client;
    frame->GetClientRect(&client);
    // Bars take their room in creation order: the status bar first, then top, then left.
    EXPECT_EQ(InFrame(frame->m_status), CRect(0, client.bottom - 20, client.right, client.bottom));
    EXPECT_EQ(InFrame(frame->m_top), CRect(0, 0, client.right, 26));
    EXPECT_EQ(InFrame(frame->m_left), CRect(0, 26, 30, client.bottom - 20));
    EXPECT_EQ(InFrame(*view), CRect(30, 26, client.right, client.bottom - 20));

    CRect left;
    frame->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, CWnd::reposQuery, &left);
    EXPECT_EQ(left, CRect(30, 26, client.right, client.bottom - 20));
    frame->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, CWnd::reposQuery, &left, nullptr, FALSE);
    EXPECT_EQ(left, CRect(0, 0, 30, 46)) << "not stretched: the bars' own total size";

    EXPECT_EQ(frame->GetControlBar(IDW_TOP), &frame->m_top);
    EXPECT_EQ(frame->GetControlBar(0x1234), nullptr);
    EXPECT_EQ(frame->GetMessageBar(), &frame->m_status);
}

TEST_F(ControlBarTest, DelayedHideWaitsForIdleAndAMeasureDoesNotApplyIt) {
    frame->ShowControlBar(&frame->m_top, FALSE, TRUE);
    EXPECT_FALSE(frame->m_top.IsVisible());
    EXPECT_TRUE(frame->m_top.GetStyle() & WS_VISIBLE);
    CRect left;
    frame->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, CWnd::reposQuery, &left);
    EXPECT_EQ(left.top, 0) << "the measure counts with the pending hide";
    EXPECT_TRUE(frame->m_top.GetStyle() & WS_VISIBLE) << "but does not carry it out";

    app.OnIdle(0);
    EXPECT_FALSE(frame->m_top.GetStyle() & WS_VISIBLE);
    EXPECT_EQ(InFrame(*view).top, 0);

    frame->ShowControlBar(&frame->m_top, TRUE, FALSE);
    EXPECT_TRUE(frame->m_top.GetStyle() & WS_VISIBLE);
    EXPECT_EQ(InFrame(*view).top, 26);
}

TEST_F(ControlBarTest, IdleUpdatesReachTheViewAndDisableCommandsWithoutHandlers) {
    app.OnIdle(0);
    EXPECT_FALSE(frame->m_top.m_state[ID_CUT]) << "the view's update handler disabled it";
    EXPECT_TRUE(frame->m_top.m_state[ID_PASTE]) << "the frame handles it";
    EXPECT_FALSE(frame->m_top.m_state[ID_ORPHAN]) << "nobody handles it";
    view->m_bCanCut = TRUE;
    app.OnIdle(0);
    EXPECT_TRUE(frame->m_top.m_state[ID_CUT]);

    // A hidden bar is not updated.
    view->m_bCanCut = FALSE;
    frame->ShowControlBar(&frame->m_top, FALSE, FALSE);
    app.OnIdle(0);
    EXPECT_TRUE(frame->m_top.m_state[ID_CUT]);
}

TEST_F(ControlBarTest, StatusMessagesFollowMenusAndReturnToTheIdleText) {
    frame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    EXPECT_EQ(StatusText(), CString(u"Ready"));
    frame->SetMessageText(ID_CUT);
    EXPECT_EQ(StatusText(), CString(u"Cut the selection")) << "the prompt is the string's first line";
    frame->SetMessageText(u"Scanning");
    EXPECT_EQ(StatusText(), CString(u"Scanning"));
    frame->SendMessage(WM_POPMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    EXPECT_EQ(StatusText(), CString(u"Ready"));

    // While a menu is tracked its item's prompt shows at idle time and pops are ignored.
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_CUT, MF_STRING), (LPARAM)::CreateMenu());
    frame->SendMessage(WM_POPMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    app.OnIdle(0);
    EXPECT_EQ(StatusText(), CString(u"Cut the selection"));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(StatusText(), CString(u"Ready"));
}

TEST_F(ControlBarTest, AcceleratorsTranslateBeforeTheFocusWindowSeesTheKey) {
    ASSERT_TRUE(frame->LoadAccelTable(MAKEINTRESOURCEW(IDA_MAIN)));
    EXPECT_FALSE(frame->LoadAccelTable(MAKEINTRESOURCEW(IDA_MAIN))) << "one table per frame";
    view->SetFocus();
    headless::PressKey('O', {VK_CONTROL});
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT; ++i)
        app.PumpMessage();
    EXPECT_EQ(view->m_nCuts, 1);
}

} // namespace
