// Tests of the toolkit frame: keys and messages reach the command bars, a focused toolkit edit keeps
// its keys, bar notifications are routed as commands, print preview reaches the bars, and the bars'
// shortcut table replaces the frame's accelerators.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/edit.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"

#include <vector>

namespace {

constexpr UINT kFrameId = 9200;
constexpr UINT kCmdA = 9201, kCmdLeft = 9202, kCmdEnter = 9203, kCmdEsc = 9204, kCmdTab = 9205;
constexpr UINT kNotifyId = 500, kNotifyCode = 7;

// Command bars that record what the frame hands them and take what they are told to.
class RecordingCommandBars : public CTKPCommandBars {
public:
    BOOL PreTranslateFrameMessage(MSG* pMsg) override
    {
        translated.push_back(pMsg->message);
        return takeKeys;
    }
    BOOL OnFrameWndMsg(UINT message, WPARAM, LPARAM, LRESULT* pResult) override
    {
        if (message != takeMessage)
            return FALSE;
        *pResult = 77;
        return TRUE;
    }
    void OnSetPreviewMode(BOOL preview) override { previews.push_back(preview); }

    BOOL takeKeys = FALSE;
    UINT takeMessage = 0;
    std::vector<UINT> translated;
    std::vector<BOOL> previews;
};

struct FrameSetup {
    bool bars = true;
    bool shortcuts = false;  // the bars' shortcut table holds accelerators
};

class TestFrame : public CTKPFrameWnd {
public:
    explicit TestFrame(FrameSetup setup) : m_setup(setup) {}
    RecordingCommandBars* Bars() const { return static_cast<RecordingCommandBars*>(m_pCommandBars); }

    std::vector<UINT> commands;
    CTKPEdit edit;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs)
    {
        if (CTKPFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        edit.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 200, 30), this, 100);
        if (m_setup.bars) {
            m_pCommandBars = new RecordingCommandBars;
            if (m_setup.shortcuts) {
                ACCEL keys[] = {{FVIRTKEY, 'B', 9206}};
                m_pCommandBars->GetShortcutTable()->SetAccelTable(keys, 1);
            }
        }
        return 0;
    }
    afx_msg void OnCommandRange(UINT id) { commands.push_back(id); }
    afx_msg void OnControlNotify(NMHDR*, LRESULT* pResult) { *pResult = 42; }
    DECLARE_MESSAGE_MAP()

private:
    FrameSetup m_setup;
};

BEGIN_MESSAGE_MAP(TestFrame, CTKPFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND_RANGE(kCmdA, kCmdTab, OnCommandRange)
    ON_NOTIFY(kNotifyCode, kNotifyId, OnControlNotify)
END_MESSAGE_MAP()

class FrameTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_frame)
            m_frame->DestroyWindow();  // frees the frame
        headless::PumpUntilIdle();
    }
    TestFrame* Load(FrameSetup setup)
    {
        m_frame = new TestFrame(setup);
        EXPECT_TRUE(m_frame->LoadFrame(kFrameId, WS_OVERLAPPEDWINDOW));
        m_frame->ShowWindow(SW_SHOW);
        headless::PumpUntilIdle();
        return m_frame;
    }
    static MSG Key(UINT message, WPARAM key)
    {
        MSG msg{};
        msg.message = message;
        msg.wParam = key;
        return msg;
    }
    TestFrame* m_frame = nullptr;
};

struct KeyCase {
    bool editFocused;
    UINT message;
    WPARAM key;
    BOOL barsTake;
    BOOL expected;
    UINT command;      // the frame's accelerator command that ran, or 0
    bool barsAsked;
};

// The frame's table maps A, Left, Enter, Esc and Tab to commands; B is nobody's accelerator.
const KeyCase kKeyCases[] = {
    // A focused toolkit edit keeps letters and arrows, even the frame's accelerators.
    {true, WM_KEYDOWN, 'A', TRUE, FALSE, 0, false},
    {true, WM_KEYDOWN, VK_LEFT, TRUE, FALSE, 0, false},
    {true, WM_CHAR, 'a', TRUE, FALSE, 0, false},
    {true, WM_KEYUP, 'B', TRUE, FALSE, 0, false},
    // Enter, Esc and Tab still go through the frame's accelerators.
    {true, WM_KEYDOWN, VK_RETURN, FALSE, TRUE, kCmdEnter, false},
    {true, WM_KEYDOWN, VK_ESCAPE, FALSE, TRUE, kCmdEsc, false},
    {true, WM_KEYDOWN, VK_TAB, FALSE, TRUE, kCmdTab, false},
    // Elsewhere the frame's accelerators come first, then the command bars decide.
    {false, WM_KEYDOWN, 'A', TRUE, TRUE, kCmdA, false},
    {false, WM_KEYDOWN, 'B', TRUE, TRUE, 0, true},
    {false, WM_KEYDOWN, 'B', FALSE, FALSE, 0, true},
    {false, WM_SYSKEYDOWN, VK_MENU, TRUE, TRUE, 0, true},
    {false, WM_MOUSEMOVE, 0, TRUE, TRUE, 0, true},
};

class FrameKeyTest : public FrameTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(FrameKeyTest, RoutesKeysToTheEditTheFrameOrTheCommandBars)
{
    const KeyCase& c = kKeyCases[GetParam()];
    TestFrame* frame = Load({});
    frame->Bars()->takeKeys = c.barsTake;
    if (c.editFocused)
        frame->edit.SetFocus();
    else
        frame->SetFocus();
    MSG msg = Key(c.message, c.key);
    msg.hwnd = ::GetFocus();
    EXPECT_EQ(frame->PreTranslateMessage(&msg), c.expected);
    headless::PumpUntilIdle();
    EXPECT_EQ(frame->commands, c.command ? std::vector<UINT>{c.command} : std::vector<UINT>{});
    EXPECT_EQ(frame->Bars()->translated.size(), c.barsAsked ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Keys, FrameKeyTest, ::testing::Range<size_t>(0, std::size(kKeyCases)));

TEST_F(FrameTest, WithoutCommandBarsKeysGoToTheFrameAlone)
{
    TestFrame* frame = Load({.bars = false});
    frame->SetFocus();
    MSG a = Key(WM_KEYDOWN, 'A'), b = Key(WM_KEYDOWN, 'B');
    EXPECT_TRUE(frame->PreTranslateMessage(&a));
    EXPECT_FALSE(frame->PreTranslateMessage(&b));
    EXPECT_EQ(frame->commands, std::vector<UINT>{kCmdA});
}

TEST_F(FrameTest, CommandBarsSeeEveryFrameMessageFirst)
{
    TestFrame* frame = Load({});
    frame->Bars()->takeMessage = WM_COMMAND;
    EXPECT_EQ(frame->SendMessage(WM_COMMAND, kCmdA), 77);
    EXPECT_TRUE(frame->commands.empty());
    frame->Bars()->takeMessage = 0;
    frame->SendMessage(WM_COMMAND, kCmdA);
    EXPECT_EQ(frame->commands, std::vector<UINT>{kCmdA});
}

TEST_F(FrameTest, ControlNotificationsAreRoutedAsNotifyCommands)
{
    TestFrame* frame = Load({});
    struct Case {
        UINT id, code;
        BOOL handled;
        LRESULT result;
    } cases[] = {{kNotifyId, kNotifyCode, TRUE, 42}, {kNotifyId, kNotifyCode + 1, FALSE, -5},
                 {kNotifyId + 1, kNotifyCode, FALSE, -5}};
    for (const Case& c : cases) {
        NMHDR hdr{frame->edit.m_hWnd, c.id, c.code};
        LRESULT result = -5;
        EXPECT_EQ(frame->OnWndMsg(TKP_WM_CONTROLNOTIFY, 0, (LPARAM)&hdr, &result), c.handled) << c.id << c.code;
        EXPECT_EQ(result, c.result);
    }
    LRESULT result = -5;
    EXPECT_FALSE(frame->OnWndMsg(TKP_WM_CONTROLNOTIFY, 0, 0, &result));
}

TEST_F(FrameTest, PrintPreviewReachesTheCommandBars)
{
    TestFrame* frame = Load({});
    CPrintPreviewState state;
    frame->OnSetPreviewMode(TRUE, &state);
    frame->OnSetPreviewMode(FALSE, &state);
    EXPECT_EQ(frame->Bars()->previews, (std::vector<BOOL>{TRUE, FALSE}));
}

TEST_F(FrameTest, BarShortcutsReplaceTheFrameAccelerators)
{
    struct Case {
        FrameSetup setup;
        bool frameKeepsTable;
    } cases[] = {{{.bars = true, .shortcuts = true}, false},
                 {{.bars = true, .shortcuts = false}, true},
                 {{.bars = false}, true}};
    for (const Case& c : cases) {
        TestFrame* frame = Load(c.setup);
        EXPECT_EQ(frame->m_hAccelTable != nullptr, c.frameKeepsTable);
        frame->SetFocus();
        MSG a = Key(WM_KEYDOWN, 'A');
        a.hwnd = frame->m_hWnd;
        frame->PreTranslateMessage(&a);
        headless::PumpUntilIdle();
        EXPECT_EQ(frame->commands.size(), c.frameKeepsTable ? 1u : 0u);
        frame->DestroyWindow();
        m_frame = nullptr;
    }
}

TEST_F(FrameTest, FrameReleasesItsCommandBars)
{
    TestFrame* frame = Load({});
    CTKPCommandBars* bars = frame->GetCommandBars();
    bars->InternalAddRef();
    frame->DestroyWindow();
    m_frame = nullptr;
    EXPECT_EQ(bars->InternalRelease(), 0u);
}

TEST_F(FrameTest, AFailedLoadLeavesNothingBehind)
{
    auto* frame = new TestFrame({});
    EXPECT_FALSE(frame->LoadFrame(9299, WS_OVERLAPPEDWINDOW));  // no menu of that id
}

TEST_F(FrameTest, TheMDIFormCannotMakeItsClientHere)
{
    auto* frame = new CTKPMDIFrameWnd;
    EXPECT_FALSE(frame->LoadFrame(kFrameId, WS_OVERLAPPEDWINDOW));
}

} // namespace
