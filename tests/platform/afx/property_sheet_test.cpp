// Property sheets with three pages, the tree control and view, and tool tips.
#include "afx/afx.h"
#include "backend/headless/driver.h"
#include "../resources/test_ids.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CountingPage : public CPropertyPage {
public:
    CountingPage() : CPropertyPage(IDD_FORM) {}
    int m_nSetActive = 0, m_nApply = 0, m_nReset = 0, m_nInit = 0;
    BOOL OnInitDialog() override {
        ++m_nInit;
        return CPropertyPage::OnInitDialog();
    }
    BOOL OnSetActive() override {
        ++m_nSetActive;
        return CPropertyPage::OnSetActive();
    }
    BOOL OnApply() override {
        ++m_nApply;
        return CPropertyPage::OnApply();
    }
    void OnReset() override { ++m_nReset; }
};

class PropertySheetWrapper : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto& p : pages)
            sheet.AddPage(&p);
    }
    void TearDown() override { headless::ClearModalAnswers(); }
    CPropertySheet sheet{u"Options"};
    CountingPage pages[3];
};

TEST_F(PropertySheetWrapper, ThreePagesAreMadeAsTheyAreShownAndAppliedOnOk) {
    EXPECT_EQ(sheet.GetPageCount(), 3);
    headless::AnswerNextModal([this](HWND hSheet) {
        EXPECT_EQ(CWnd::FromHandlePermanent(hSheet), &sheet);
        EXPECT_EQ(sheet.GetActivePage(), &pages[0]);
        EXPECT_TRUE(sheet.SetActivePage(2));
        EXPECT_EQ(sheet.GetActiveIndex(), 2);
        EXPECT_EQ(pages[2].GetParentSheet(), &sheet);
        sheet.PressButton(PSBTN_OK);
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(pages[0].m_nInit, 1);
    EXPECT_EQ(pages[1].m_nInit, 0) << "a page never shown is never made";
    EXPECT_EQ(pages[2].m_nInit, 1);
    EXPECT_EQ(pages[2].m_nSetActive, 1);
    EXPECT_EQ(pages[0].m_nApply + pages[2].m_nApply, 2);
    for (auto& p : pages)
        EXPECT_EQ(p.m_hWnd, nullptr) << "the objects let go of the destroyed windows";
    EXPECT_EQ(sheet.m_hWnd, nullptr);
}

TEST_F(PropertySheetWrapper, CancelResetsAndTheSheetCanRunAgain) {
    headless::AnswerNextModal([this](HWND) { sheet.PressButton(PSBTN_CANCEL); });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(pages[0].m_nReset, 1);
    EXPECT_EQ(pages[0].m_nApply, 0);
    headless::AnswerNextModal([this](HWND) { sheet.PressButton(PSBTN_OK); });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(pages[0].m_nInit, 2);
    CPropertySheet empty(u"none");
    EXPECT_EQ(empty.DoModal(), -1);
}

class Tree : public CTreeView {
    DECLARE_DYNCREATE(Tree)
};
IMPLEMENT_DYNCREATE(Tree, CTreeView)

TEST(TreeView, IsItsTreeControl) {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(Tree);
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, u"frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, nullptr, 0,
                              &ctx));
    CTreeCtrl& tree = static_cast<Tree*>(frame->GetActiveView())->GetTreeCtrl();
    HTREEITEM root = tree.InsertItem(u"root");
    CString longName(u'n', 600);
    HTREEITEM child = tree.InsertItem(longName, root);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(tree.ItemHasChildren(root));
    EXPECT_EQ(tree.GetChildItem(root), child);
    EXPECT_EQ(tree.GetParentItem(child), root);
    EXPECT_EQ(tree.GetItemText(child), longName) << "a text longer than the first buffer is read whole";
    EXPECT_TRUE(tree.SetItemData(child, 77));
    EXPECT_EQ(tree.GetItemData(child), 77u);
    EXPECT_EQ(tree.GetCount(), 2u);
    frame->DestroyWindow();
}

TEST(ToolTip, ToolsNeedAnIdForARectangle) {
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, u"owner", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&owner));
    CRect rc(0, 0, 10, 10);
    EXPECT_FALSE(tip.AddTool(&owner, u"part", &rc, 0));
    EXPECT_TRUE(tip.AddTool(&owner, u"part", &rc, 5));
    EXPECT_FALSE(tip.AddTool(nullptr, u"nobody"));
    tip.DestroyWindow();
    owner.DestroyWindow();
}

} // namespace

namespace {

class PlainView : public CView {
    DECLARE_DYNCREATE(PlainView)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(PlainView, CView)

TEST(ReBar, ItsBandsTakeTheTopOfTheFrame) {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(PlainView);
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, u"frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300), nullptr, nullptr, 0,
                              &ctx));
    CReBar rebar;
    ASSERT_TRUE(rebar.Create(frame));
    CWnd band;
    ASSERT_TRUE(band.Create(nullptr, u"band", WS_CHILD | WS_VISIBLE, CRect(0, 0, 120, 24), frame, 0x300));
    EXPECT_FALSE(rebar.AddBar(nullptr));
    ASSERT_TRUE(rebar.AddBar(&band, u"Tools"));
    EXPECT_EQ(rebar.GetReBarCtrl().GetBandCount(), 1u);
    EXPECT_EQ(band.GetParent(), &rebar);
    frame->RecalcLayout();
    CRect rcBar, rcView;
    rebar.GetWindowRect(&rcBar);
    frame->GetActiveView()->GetWindowRect(&rcView);
    EXPECT_GE(rcBar.Height(), 24);
    EXPECT_EQ(rcBar.Height(), (int)rebar.GetReBarCtrl().GetBarHeight());
    EXPECT_EQ(rcView.top, rcBar.bottom);
    frame->DestroyWindow();
}

} // namespace
