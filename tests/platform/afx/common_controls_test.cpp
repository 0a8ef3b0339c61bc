// The list control wrapper and the views that are controls or forms; the file dialog's names.
#include "afx/afx.h"
#include "backend/headless/driver.h"
#include "../resources/test_ids.h"

#include <gtest/gtest.h>

namespace {

// Counts the custom-draw notifications reflected back from its parent.
class DrawCountingList : public CListCtrl {
public:
    int m_nPrePaints = 0;

protected:
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult) {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
            ++m_nPrePaints;
        *pResult = CDRF_DODEFAULT;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(DrawCountingList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

class ListView : public CListView {
    DECLARE_DYNCREATE(ListView)
};
IMPLEMENT_DYNCREATE(ListView, CListView)

class CommonControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
    CWnd parent;
};

TEST_F(CommonControlsTest, ListItemsTextsSelectionAndChecks) {
    DrawCountingList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &parent, 1));
    list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list.InsertColumn(0, u"Name", LVCFMT_LEFT, 120), 0);
    EXPECT_EQ(list.InsertColumn(1, u"Size", LVCFMT_RIGHT, 60, 1), 1);
    CString longText(u'x', 700);
    for (int i = 0; i < 3; ++i) {
        CString name;
        name.Format(u"file%d", i);
        EXPECT_EQ(list.InsertItem(i, name), i);
        list.SetItemData(i, 100 + i);
    }
    EXPECT_TRUE(list.SetItemText(1, 1, longText));
    EXPECT_EQ(list.GetItemText(1, 1), longText) << "a text longer than the first buffer is read whole";
    EXPECT_EQ(list.GetItemText(2, 0), CString(u"file2"));
    EXPECT_EQ(list.GetItemData(2), 102u);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 2);

    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    std::vector<int> selected;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;)
        selected.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ(selected, (std::vector<int>{0, 2}));

    list.SetCheck(1, TRUE);
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_FALSE(list.GetCheck(0));

    list.Invalidate();
    list.UpdateWindow();
    EXPECT_GT(list.m_nPrePaints, 0) << "custom drawing reaches the control's own map";
}

TEST_F(CommonControlsTest, ListViewIsItsListControl) {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(ListView);
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, u"frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, nullptr, 0,
                              &ctx));
    auto* view = static_cast<ListView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    WCHAR cls[32] = {};
    ::GetClassNameW(view->m_hWnd, cls, 32);
    EXPECT_EQ(CString(cls), CString(u"SysListView32"));
    CListCtrl& list = view->GetListCtrl();
    EXPECT_EQ(list.InsertItem(0, u"row"), 0);
    EXPECT_EQ(list.GetItemCount(), 1);
    frame->DestroyWindow();
}

TEST_F(CommonControlsTest, FormViewsNeedAChildTemplate) {
    struct Form : CFormView {
        explicit Form(UINT id) : CFormView(id) {}
        void PostNcDestroy() override {}
    };
    Form missing(4242);
    EXPECT_FALSE(missing.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &parent, 5));
    Form popup(IDD_TEST);
    EXPECT_FALSE(popup.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &parent, 5))
        << "a pop-up template would be a second top-level window";
    EXPECT_EQ(popup.m_hWnd, nullptr);
    Form form(IDD_FORM);
    ASSERT_TRUE(form.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 110), &parent, 7));
    EXPECT_EQ(form.GetDlgCtrlID(), 7);
    EXPECT_EQ(form.GetParent(), &parent);
    EXPECT_NE(form.GetDlgItem(IDOK), nullptr);
    form.DestroyWindow();
}

TEST(FileDialogNames, SingleAndMultipleSelections) {
    CFileDialog single(TRUE, nullptr, u"/home/user/scan.DMK");
    EXPECT_EQ(single.GetPathName(), CString(u"/home/user/scan.DMK"));
    EXPECT_EQ(single.GetFileName(), CString(u"scan.DMK"));
    EXPECT_EQ(single.GetFileExt(), CString(u"DMK"));
    EXPECT_EQ(single.GetFileTitle(), CString(u"scan"));
    EXPECT_EQ(single.GetFolderPath(), CString(u"/home/user"));

    CFileDialog multi(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT, u"Snapshots|*.dmk||");
    const char16_t names[] = u"/data/\0a.dmk\0b.dmk\0";
    memcpy(multi.m_ofn.lpstrFile, names, sizeof(names));
    std::vector<CString> got;
    for (POSITION pos = multi.GetStartPosition(); pos;)
        got.push_back(multi.GetNextPathName(pos));
    EXPECT_EQ(got, (std::vector<CString>{u"/data/a.dmk", u"/data/b.dmk"}));
    EXPECT_EQ(CString(multi.m_ofn.lpstrFilter), CString(u"Snapshots"));
    EXPECT_EQ(CString(multi.m_ofn.lpstrFilter + 10), CString(u"*.dmk"));
}

} // namespace
