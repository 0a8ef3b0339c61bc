// Message maps: command lookup through the class chain, ranges, update handlers and routing.
#include "afx/afx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

class BaseTarget : public CCmdTarget {
public:
    void OnOpen() { g_calls.push_back("base:open"); }
    void OnSave() { g_calls.push_back("base:save"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, CCmdTarget)
    ON_COMMAND(100, OnOpen)
    ON_COMMAND(101, OnSave)
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
public:
    BOOL m_bPass = FALSE;

protected:
    void OnOpen() { g_calls.push_back("derived:open"); }
    void OnView(UINT nID) { g_calls.push_back("view:" + std::to_string(nID)); }
    BOOL OnMaybe(UINT) {
        g_calls.push_back("maybe");
        return !m_bPass;
    }
    void OnUpdateOpen(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    void OnUpdateSave(CCmdUI* pCmdUI) { pCmdUI->ContinueRouting(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
    ON_COMMAND(100, OnOpen)
    ON_COMMAND_RANGE(200, 205, OnView)
    ON_COMMAND_EX(300, OnMaybe)
    ON_UPDATE_COMMAND_UI(100, OnUpdateOpen)
    ON_UPDATE_COMMAND_UI(101, OnUpdateSave)
END_MESSAGE_MAP()

// A CCmdUI that records what handlers asked of it.
class RecordingCmdUI : public CCmdUI {
public:
    int enabled = -1;
    void Enable(BOOL bOn) override {
        enabled = bOn ? 1 : 0;
        m_bEnableChanged = TRUE;
    }
};

struct CommandCase {
    UINT nID;
    BOOL pass;
    BOOL handled;
    const char* call; // expected handler, or null
};

class CommandRouting : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandRouting, MostDerivedHandlerWinsAndRangesAndExHandlersDecide) {
    const CommandCase& c = GetParam();
    DerivedTarget t;
    t.m_bPass = c.pass;
    g_calls.clear();
    EXPECT_EQ(t.OnCmdMsg(c.nID, CN_COMMAND, nullptr, nullptr), c.handled);
    if (c.call)
        EXPECT_EQ(g_calls, std::vector<std::string>{c.call});
    else
        EXPECT_TRUE(g_calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandRouting,
                         ::testing::Values(CommandCase{100, FALSE, TRUE, "derived:open"},
                                           CommandCase{101, FALSE, TRUE, "base:save"},
                                           CommandCase{200, FALSE, TRUE, "view:200"},
                                           CommandCase{205, FALSE, TRUE, "view:205"},
                                           CommandCase{206, FALSE, FALSE, nullptr},
                                           CommandCase{300, FALSE, TRUE, "maybe"},
                                           CommandCase{300, TRUE, FALSE, "maybe"}));

TEST(CmdTarget, HandlerInfoFindsTheHandlerWithoutCallingIt) {
    DerivedTarget t;
    g_calls.clear();
    AFX_CMDHANDLERINFO info{nullptr, nullptr};
    EXPECT_TRUE(t.OnCmdMsg(101, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(info.pTarget, &t);
    EXPECT_NE(info.pEntry, nullptr);
    EXPECT_TRUE(g_calls.empty());
}

TEST(CmdTarget, UpdateHandlersAndTheDisablingOfCommandsWithoutHandlers) {
    DerivedTarget t;
    RecordingCmdUI open;
    open.m_nID = 100;
    EXPECT_TRUE(open.DoUpdate(&t, TRUE));
    EXPECT_EQ(open.enabled, 0);

    // ContinueRouting leaves the item to the next target: not handled here.
    RecordingCmdUI save;
    save.m_nID = 101;
    EXPECT_FALSE(t.OnCmdMsg(101, (int)CN_UPDATE_COMMAND_UI, &save, nullptr));

    // No update handler but a command handler: left alone. Neither: disabled when asked.
    RecordingCmdUI view;
    view.m_nID = 201;
    view.DoUpdate(&t, TRUE);
    EXPECT_EQ(view.enabled, -1);
    RecordingCmdUI none;
    none.m_nID = 999;
    none.DoUpdate(&t, FALSE);
    EXPECT_EQ(none.enabled, -1);
    none.DoUpdate(&t, TRUE);
    EXPECT_EQ(none.enabled, 0);
}

class Counted : public CCmdTarget {
public:
    explicit Counted(bool* freed) : m_freed(freed) {}
    void OnFinalRelease() override {
        *m_freed = true;
        CCmdTarget::OnFinalRelease();
    }
    bool* m_freed;
};

TEST(CmdTarget, LastReleaseFreesOnceAndFurtherReleasesAreRefused) {
    bool freed = false;
    auto* p = new Counted(&freed);
    EXPECT_EQ(p->InternalAddRef(), 2u);
    EXPECT_EQ(p->ExternalRelease(), 1u);
    EXPECT_FALSE(freed);
    EXPECT_EQ(p->InternalRelease(), 0u);
    EXPECT_TRUE(freed);
}

} // namespace
