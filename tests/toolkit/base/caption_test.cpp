// Tests of the caption bar: its popup's life (open, pin, focus loss), the close-button form, and
// the looks of the caption and its buttons.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/caption.h"
#include "toolkit/base/color_table.h"
#include "test_windows.h"
#include "controls/paint_probe.h"

#include <vector>

namespace {

// A frame (the grandparent) holding a pane (the parent) with a caption band and a child below it.
// The pane records what the caption tells it.
class NotifyWnd : public CWnd {
public:
    std::vector<UINT> heard;
    std::vector<WPARAM> commands;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (message == TKM_CAPTIONPOPUP_PINNED || message == TKM_CAPTIONPOPUP_CLOSED)
            heard.push_back(message);
        if (message == WM_COMMAND)
            commands.push_back(wParam);
        return CWnd::OnWndMsg(message, wParam, lParam, pResult);
    }
};

class CaptionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        tktest::RegisterPlainWindowClass(u"TkCaptionHost");
        ASSERT_TRUE(m_frame.CreateEx(0, u"TkCaptionHost", u"frame", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                                     nullptr, nullptr));
        ASSERT_TRUE(m_pane.CreateEx(0, u"TkCaptionHost", u"pane", WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 210),
                                    &m_frame, 1));
        ASSERT_TRUE(m_child.CreateEx(0, u"TkCaptionHost", u"child", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                     CRect(0, 20, 200, 200), &m_pane, 2));
        ASSERT_TRUE(m_other.CreateEx(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE, CRect(250, 10, 350, 30), &m_frame, 3));
    }
    void TearDown() override
    {
        headless::PumpUntilIdle();
        m_frame.DestroyWindow();
    }
    void MakeTextCaption(CTKCaption& caption, LPCWSTR text = u"Folders")
    {
        ASSERT_TRUE(caption.Create(&m_pane, text, 0, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 20), 7));
        caption.SetChildWindow(&m_child, &m_pane);
    }
    void Tick()
    {
        headless::PumpUntilIdle();
        headless::AdvanceClock(10);
        headless::PumpUntilIdle();
    }

    CWnd m_frame;
    NotifyWnd m_pane;
    CWnd m_child;
    CWnd m_other;
};

} // namespace

TEST_F(CaptionTest, TextButtonPopsTheChildOutOnce) {
    CTKCaption caption;
    MakeTextCaption(caption);
    CTKCaptionButton& button = caption.GetButton();
    ASSERT_TRUE(button.IsWindowVisible());
    EXPECT_EQ(CRect(caption.GetButtonRect()), caption.GetTextRect());

    headless::Click(button, POINT{5, 5});
    headless::PumpUntilIdle();
    CTKCaptionPopupWnd* popup = caption.GetPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->IsWindowVisible());
    EXPECT_EQ(::GetParent(m_child), popup->m_hWnd);
    EXPECT_TRUE(button.SendMessage(BM_GETSTATE) & BST_PUSHED);
    EXPECT_EQ(headless::Text(popup->GetInnerCaption()), u"单击图钉以保持打开状态");
    // The popup covers the pane, its child below the inner caption's band.
    CRect paneRect, popupRect, childRect;
    m_pane.GetWindowRect(&paneRect);
    popup->GetWindowRect(&popupRect);
    EXPECT_TRUE(CRect().IntersectRect(&paneRect, &popupRect));
    m_child.GetWindowRect(&childRect);
    EXPECT_GT(childRect.top, popupRect.top + 19);

    // A second click while it shows changes nothing.
    EXPECT_TRUE(caption.ShowPopupWindow());
    EXPECT_EQ(caption.GetPopup(), popup);
    EXPECT_TRUE(m_pane.heard.empty());
}

// Either end deletes the popup from a posted message, after the popup's own handler returned:
// under the address sanitiser a handler running on in a deleted popup would fail here.
TEST_F(CaptionTest, PopupEndsByPinOrByFocusLoss) {
    const struct { const char* name; bool pin; UINT heard; } cases[] = {
        {"pin", true, TKM_CAPTIONPOPUP_PINNED}, {"focus", false, TKM_CAPTIONPOPUP_CLOSED}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_pane.heard.clear();
        CTKCaption caption;
        MakeTextCaption(caption);
        ASSERT_TRUE(caption.ShowPopupWindow());
        CTKCaptionPopupWnd* popup = caption.GetPopup();
        ASSERT_NE(popup, nullptr);
        const HWND popupWnd = popup->m_hWnd;

        // Focus in the child, or in a control of the child, keeps the popup open.
        CWnd field;
        ASSERT_TRUE(field.CreateEx(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), &m_child, 4));
        for (CWnd* inside : {&m_child, &field}) {
            inside->SetFocus();
            Tick();
            ASSERT_EQ(caption.GetPopup(), popup);
        }

        if (c.pin) {
            headless::Click(popup->GetPin(), POINT{4, 4});
            headless::PumpUntilIdle();
        } else {
            m_other.SetFocus();
            Tick();
        }
        EXPECT_EQ(caption.GetPopup(), nullptr);
        EXPECT_FALSE(::IsWindow(popupWnd));
        EXPECT_EQ(::GetParent(m_child), m_pane.m_hWnd);
        EXPECT_EQ(m_pane.heard, std::vector<UINT>{c.heard});
        EXPECT_FALSE(caption.GetButton().SendMessage(BM_GETSTATE) & BST_PUSHED);
        // The pin leaves the child in the pane and the button hidden; focus loss keeps the button.
        EXPECT_EQ(bool(caption.GetButton().IsWindowVisible()), !c.pin);
        Tick();
        EXPECT_EQ(m_pane.heard.size(), 1u);
        caption.DestroyWindow();
    }
}

TEST_F(CaptionTest, PinnedChildReturnsBelowTheCaption) {
    CTKCaption caption;
    MakeTextCaption(caption);
    ASSERT_TRUE(caption.ShowPopupWindow());
    caption.GetPopup()->GetPin().SendMessage(BM_CLICK);
    headless::PumpUntilIdle();
    ASSERT_EQ(caption.GetPopup(), nullptr);
    CRect rc;
    m_child.GetWindowRect(&rc);
    m_pane.ScreenToClient(&rc);
    EXPECT_EQ(rc.top, caption.m_rcParent.top + caption.m_nHeightDiff);
    EXPECT_EQ(caption.m_nHeightDiff, 200 - 180);
}

TEST_F(CaptionTest, CloseButtonTellsTheOwner) {
    CTKCaption caption;
    ASSERT_TRUE(caption.Create(&m_pane, u"Preview", TKCS_CLOSEBUTTON, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 21), 7));
    caption.SetOwner(&m_pane);
    CTKCaptionButton& button = caption.GetButton();
    ASSERT_TRUE(button.IsWindowVisible());
    EXPECT_FALSE(caption.m_bTextButton);
    CRect rc;
    button.GetWindowRect(&rc);
    caption.ScreenToClient(&rc);
    EXPECT_EQ(rc, CRect(182, 3, 198, 18));
    headless::Click(button, POINT{8, 7});
    headless::PumpUntilIdle();
    EXPECT_EQ(m_pane.commands, std::vector<WPARAM>{7});
    EXPECT_EQ(caption.GetPopup(), nullptr);
}

TEST_F(CaptionTest, EmptyCaptionHasNoTextRect) {
    CTKCaption caption;
    MakeTextCaption(caption, u"");
    EXPECT_TRUE(caption.GetTextRect().IsRectEmpty());
    EXPECT_TRUE(caption.GetButtonRect().IsRectEmpty());
}

namespace {

// A 32-bit memory bitmap to draw into and read back.
COLORREF Index(UINT index)
{
    return GetColorTable().GetColorByIndex(index);
}

} // namespace

TEST_F(CaptionTest, BackgroundsByThemeAndForm) {
    const COLORREF red = RGB(200, 0, 0), green = RGB(0, 150, 0);
    struct Pixel { int x, y; COLORREF color; };
    const struct { const char* name; int theme; DWORD style; int border; bool textButton; std::vector<Pixel> pixels; } cases[] = {
        {"default, single border", 0, TKCS_SINGLEBORDER, 0, false,
         {{0, 0, Index(20)}, {99, 19, Index(16)}, {1, 1, red}, {2, 2, green}}},
        {"default, double border", 0, TKCS_DOUBLEBORDER, 0, false,
         {{0, 0, Index(16)}, {1, 1, Index(20)}, {2, 2, red}, {3, 3, green}}},
        {"default, border 3", 0, 0, 3, false, {{2, 2, red}, {3, 3, green}, {96, 16, green}, {97, 16, red}}},
        {"banner with text button", 1, 0, 2, true, {{1, 1, red}, {2, 2, green}}},
        {"banner without", 1, 0, 2, false, {{0, 0, Index(20)}, {99, 19, Index(16)}, {2, 2, red}}},
        {"gradient without", 2, 0, 0, false,
         {{0, 0, GetColorTable().m_gradients[0].Light()}, {50, 19, Index(54)}}},
        {"gradient with text button", 2, 0, 0, true,
         {{0, 0, Index(54)}, {99, 19, Index(54)}, {50, 0, Index(54)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKCaption caption;
        ASSERT_TRUE(caption.Create(&m_pane, u"", c.style, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), 7));
        caption.GetStyleClient().SetTheme(CTKCaptionThemeFactory().CreateTheme(c.theme));
        caption.SetCaptionColors(red, green, RGB(0, 0, 255));
        caption.ModifyCaptionStyle(c.border);
        caption.m_bTextButton = c.textButton;
        PaintProbe canvas(100, 20);
        caption.DrawCaptionBack(CDC::FromHandle(canvas.dc()), CRect(0, 0, 100, 20));
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(canvas.At(p.x, p.y), p.color) << p.x << "," << p.y;
        caption.DestroyWindow();
    }
}

TEST_F(CaptionTest, TextAndIconStayInsideTheCaption) {
    CTKCaption caption;
    MakeTextCaption(caption, u"Folders");
    caption.SetCaptionColors(RGB(200, 0, 0), RGB(0, 150, 0), RGB(0, 0, 255));
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    ASSERT_NE(icon, nullptr);
    caption.ModifyCaptionStyle(0, nullptr, nullptr, icon);
    const CRect text = caption.GetTextRect();
    EXPECT_EQ(text.left, 0);
    EXPECT_GT(text.Width(), 12);
    EXPECT_LE(text.Width(), 200 - 18);
    PaintProbe canvas(200, 20);
    caption.DrawCaptionBack(CDC::FromHandle(canvas.dc()), CRect(0, 0, 200, 20));
    caption.DrawCaptionText(CDC::FromHandle(canvas.dc()));
    caption.DrawCaptionIcon(CDC::FromHandle(canvas.dc()), CRect(0, 0, 200, 20));
    EXPECT_TRUE(canvas.Has(text, RGB(0, 0, 255)));
    // The icon sits at the right end, two pixels in.
    EXPECT_FALSE(canvas.Has(CRect(text.right, 0, 200 - 16 - 2, 20), RGB(0, 0, 255)));
    EXPECT_NE(canvas.At(200 - 2 - 8, 10), RGB(0, 150, 0));
}

// The caption's button paints in the caption's colours: theme 1 fills hot and pressed states with
// the toolkit's selection colours, theme 2 continues the caption's gradient.
TEST_F(CaptionTest, ButtonLooksFollowTheCaption) {
    const COLORREF back = RGB(0, 150, 0), text = RGB(0, 0, 255);
    const struct { const char* name; int theme; bool hot; UINT state; COLORREF corner; COLORREF inside; } cases[] = {
        {"default", 0, false, 0, back, back},
        {"theme 1 normal", 1, false, 0, back, back},
        {"theme 1 hot", 1, true, 0, Index(32), Index(31)},
        {"theme 1 pressed", 1, false, ODS_SELECTED, Index(32), Index(33)},
        {"theme 2 normal", 2, false, 0, GetColorTable().m_gradients[1].Light(), COLORREF(-1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKCaption caption;
        MakeTextCaption(caption, u"W");
        CTKCaptionButton& button = caption.GetButton();
        button.SetTheme(static_cast<CTKButtonTheme*>(CTKCaptionButtonThemeFactory().CreateTheme(c.theme)));
        caption.SetCaptionColors(RGB(200, 0, 0), back, text);
        button.m_bHot = c.hot;
        CRect rc;
        button.GetClientRect(&rc);
        ASSERT_GT(rc.Width(), 10);
        PaintProbe canvas(rc.Width(), rc.Height());
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = c.state;
        dis.hwndItem = button.m_hWnd;
        dis.hDC = canvas.dc();
        dis.rcItem = rc;
        button.DrawItem(&dis);
        EXPECT_EQ(canvas.At(0, 0), c.corner);
        if (c.inside != COLORREF(-1)) {
            EXPECT_EQ(canvas.At(2, 2), c.inside);
        }
        // The caption's text in the state's colour: the caption's own unless hot or pressed.
        const COLORREF ink =
            c.theme == 1 && (c.hot || c.state) ? COLORREF(static_cast<CTKFlatButtonTheme*>(button.GetTheme())->m_clrPushedText) : text;
        EXPECT_TRUE(canvas.Has(rc, ink));
        caption.DestroyWindow();
    }
}

TEST_F(CaptionTest, SystemColoursReturnUnlessTheCaptionHasItsOwn) {
    for (bool custom : {false, true}) {
        SCOPED_TRACE(custom);
        CTKCaption caption;
        MakeTextCaption(caption);
        if (custom)
            caption.SetCaptionColors(RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3));
        else
            caption.m_clrText = RGB(3, 3, 3);
        caption.SendMessage(WM_SYSCOLORCHANGE);
        EXPECT_EQ(caption.m_clrText, custom ? RGB(3, 3, 3) : Index(COLOR_BTNTEXT));
        EXPECT_EQ(caption.m_clrBackground, custom ? RGB(2, 2, 2) : Index(COLOR_BTNFACE));
        caption.DestroyWindow();
    }
}
