// The standard control wrappers: owner drawing reflected to the button's own class, bitmap
// buttons, and the string readers of edits, list boxes and combo boxes.
#include "afx/afx.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

namespace {

class DrawnButton : public CButton {
public:
    int m_nDraws = 0;
    UINT m_nLastState = 0;
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override {
        ++m_nDraws;
        m_nLastState = lpDIS->itemState;
    }
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    }
    void TearDown() override { parent.DestroyWindow(); }
    CWnd parent;
};

TEST_F(ControlsTest, OwnerDrawnButtonsDrawThemselves) {
    DrawnButton button;
    ASSERT_TRUE(button.Create(u"draw", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 30), &parent, 1));
    button.Invalidate();
    button.UpdateWindow();
    EXPECT_GT(button.m_nDraws, 0) << "the parent reflected WM_DRAWITEM to the button";

    CBitmapButton bitmaps;
    ASSERT_TRUE(bitmaps.Create(u"bmp", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(70, 10, 71, 11), &parent, 2));
    EXPECT_FALSE(bitmaps.LoadBitmaps(4242)) << "the up bitmap is required";
    CClientDC screen(nullptr);
    for (CBitmap* bm : {&bitmaps.m_bitmap, &bitmaps.m_bitmapSel}) {
        ASSERT_TRUE(bm->CreateCompatibleBitmap(&screen, 16, 12));
        CDC dc;
        dc.CreateCompatibleDC(&screen);
        CBitmap* old = dc.SelectObject(bm);
        dc.FillSolidRect(0, 0, 16, 12, bm == &bitmaps.m_bitmap ? RGB(0, 0, 255) : RGB(255, 0, 0));
        dc.SelectObject(old);
    }
    bitmaps.SizeToContent();
    CRect rc;
    bitmaps.GetClientRect(&rc);
    EXPECT_EQ(rc.Size(), CSize(16, 12));
    bitmaps.Invalidate();
    bitmaps.UpdateWindow();
    CClientDC dc(&bitmaps);
    EXPECT_EQ(dc.GetPixel(5, 5), RGB(0, 0, 255));
    bitmaps.SendMessage(BM_SETSTATE, TRUE);
    bitmaps.UpdateWindow();
    EXPECT_EQ(dc.GetPixel(5, 5), RGB(255, 0, 0)) << "pressed shows the selected bitmap";
}

TEST_F(ControlsTest, StringReadersTakeWholeItemsAndReportMissingOnes) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(0, 40, 100, 140), &parent, 3));
    list.AddString(u"beta");
    list.InsertString(0, u"alpha");
    CString text;
    list.GetText(1, text);
    EXPECT_EQ(text, CString(u"beta"));
    list.GetText(7, text);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(list.FindStringExact(-1, u"BETA"), 1);
    list.SetItemDataPtr(0, &list);
    EXPECT_EQ(list.GetItemDataPtr(0), &list);

    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(110, 40, 200, 140), &parent, 4));
    combo.AddString(u"one");
    combo.AddString(u"two");
    combo.SetCurSel(1);
    combo.GetLBText(combo.GetCurSel(), text);
    EXPECT_EQ(text, CString(u"two"));
    combo.GetLBText(5, text);
    EXPECT_TRUE(text.IsEmpty());

    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 150, 200, 190), &parent, 5));
    edit.SetWindowText(u"first\r\nsecond");
    WCHAR buf[4] = {};
    EXPECT_EQ(edit.GetLine(1, buf, 3), 3);
    EXPECT_EQ(CString(buf, 3), CString(u"sec"));
    EXPECT_EQ(edit.GetLine(1, buf, 0), 0);
    edit.SetSel(2, 4);
    int s = 0, e = 0;
    edit.GetSel(s, e);
    EXPECT_EQ(s, 2);
    EXPECT_EQ(e, 4);
    EXPECT_EQ(edit.GetLineCount(), 2);
}

TEST_F(ControlsTest, WrappersAttachToControlsTheFrameworkDidNotCreate) {
    HWND h = ::CreateWindowExW(0, u"BUTTON", u"plain", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 50, 20, parent.m_hWnd,
                               (HMENU)9, nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    CButton check;
    ASSERT_TRUE(check.SubclassDlgItem(9, &parent));
    check.SetCheck(BST_CHECKED);
    EXPECT_EQ(check.GetCheck(), BST_CHECKED);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), &check);
    EXPECT_EQ(check.UnsubclassWindow(), h);
    EXPECT_NE(CWnd::FromHandle(h), &check);
    ::DestroyWindow(h);
}

class ScrollOwner : public CWnd {
public:
    int m_nBarId = -1;
    int m_nPos = -1;

protected:
    void OnHScroll(UINT, UINT, CScrollBar* pScrollBar) {
        m_nBarId = pScrollBar ? pScrollBar->GetDlgCtrlID() : 0;
        m_nPos = pScrollBar ? pScrollBar->GetScrollPos() : -1;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ScrollOwner, CWnd)
    ON_WM_HSCROLL()
END_MESSAGE_MAP()

TEST(ScrollMessages, HandlersGetAScrollBarObjectOrNull) {
    ScrollOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, u"owner", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
    CScrollBar bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ, CRect(0, 0, 150, 16), &owner, 42));
    bar.SetScrollRange(0, 10);
    bar.SetScrollPos(3);
    owner.SendMessage(WM_HSCROLL, SB_LINERIGHT, (LPARAM)bar.m_hWnd);
    EXPECT_EQ(owner.m_nBarId, 42);
    EXPECT_EQ(owner.m_nPos, 3);
    HWND plain = ::CreateWindowExW(0, u"SCROLLBAR", nullptr, WS_CHILD | SBS_HORZ, 0, 20, 150, 16, owner.m_hWnd,
                                   (HMENU)7, nullptr, nullptr);
    owner.SendMessage(WM_HSCROLL, SB_LINERIGHT, (LPARAM)plain);
    EXPECT_EQ(owner.m_nBarId, 7) << "a scroll bar the framework did not make gets a temporary object";
    owner.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(owner.m_nBarId, 0) << "the window's own scroll bar has no object";
    owner.DestroyWindow();
}

} // namespace
