// Tests of the hyperlink static: its text and size, colours while hovered, and the texts of a failed open.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "controls/hyperlink_static.h"

namespace {

class HyperlinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::UseVirtualClock();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 200), nullptr, 0));
    }
    void TearDown() override {
        link.DestroyWindow();
        parent.DestroyWindow();
    }
    COLORREF Colour() {
        HDC dc = GetDC(parent.m_hWnd);
        SetTextColor(dc, RGB(1, 2, 3));
        parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)link.m_hWnd);
        COLORREF c = GetTextColor(dc);
        ReleaseDC(parent.m_hWnd, dc);
        return c;
    }
    // Links are statics of a dialog taken over after they exist, text and all.
    void Make(LPCWSTR text, DWORD style, CRect rc) {
        HWND h = CreateWindowExW(0, u"STATIC", text, WS_CHILD | WS_VISIBLE | style, rc.left, rc.top, rc.Width(),
                                 rc.Height(), parent.m_hWnd, (HMENU)5, nullptr, nullptr);
        ASSERT_NE(h, nullptr);
        ASSERT_TRUE(link.SubclassWindow(h));
    }
    CWnd parent;
    CHyperlinkStatic link;
};

TEST_F(HyperlinkTest, AnEmptyTextShowsTheAddressAndTheWindowFitsIt) {
    link.SetLinkUrl(u"https://example.org/help");
    Make(u"", SS_RIGHT, CRect(100, 10, 380, 60));
    CString text;
    link.GetWindowText(text);
    EXPECT_EQ(text, CString(u"https://example.org/help"));
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    CRect rc;
    link.GetWindowRect(&rc);
    parent.ScreenToClient(&rc);
    EXPECT_EQ(rc.right, 380) << "a right-aligned link keeps its right edge";
    EXPECT_EQ(rc.top, 10);
    EXPECT_LT(rc.Width(), 280);
    EXPECT_GT(rc.Width(), 0);
    EXPECT_LT(rc.Height(), 50);

    link.SetLinkUrl(u"x");
    link.GetWindowText(text);
    EXPECT_EQ(text, CString(u"https://example.org/help")) << "the text stays; only the address changes";
}

TEST_F(HyperlinkTest, ColoursFollowHoverAndVisit) {
    Make(u"Home page", 0, CRect(10, 10, 200, 40));
    EXPECT_EQ(link.GetLinkUrl(), CString(u"Home page"));
    EXPECT_EQ(link.GetHandCursor(), nullptr) << "no module to take the hand cursor from";
    EXPECT_EQ(Colour(), RGB(0, 0, 238));

    headless::MouseMove(link.m_hWnd, {3, 3});
    headless::PumpUntilIdle();
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(Colour(), RGB(255, 0, 0));
    LOGFONTW lf{};
    GetObjectW((HFONT)link.SendMessage(WM_GETFONT), sizeof(lf), &lf);
    EXPECT_TRUE(lf.lfUnderline) << "underlined while hovered";

    headless::MouseMove(parent.m_hWnd, {390, 190});
    headless::AdvanceClock(150);
    headless::PumpUntilIdle();
    EXPECT_FALSE(link.IsHovering());
    GetObjectW((HFONT)link.SendMessage(WM_GETFONT), sizeof(lf), &lf);
    EXPECT_FALSE(lf.lfUnderline);
    EXPECT_EQ(Colour(), RGB(0, 0, 238));

    link.SetVisited(TRUE);
    EXPECT_EQ(Colour(), RGB(85, 26, 139));
}

TEST_F(HyperlinkTest, AClickOpensTheAddressOrSaysWhyNot) {
    Make(u"Manual", 0, CRect(10, 10, 200, 40));
    link.SetLinkUrl(u"https://example.org/manual");
    const char* saved = getenv("DOVEMARK_OPENER");
    std::string before = saved ? saved : "";
    struct { const char* opener; bool opens; } cases[] = {{"/nonexistent/opener", false}, {"/bin/true", true}};
    for (auto c : cases) {
        setenv("DOVEMARK_OPENER", c.opener, 1);
        headless::ClearBeeps();
        headless::AdvanceClock(1000);  // two clicks, not a double click
        std::u16string shown;
        if (!c.opens)
            headless::AnswerNextModal([&](HWND box) {
                for (HWND h : headless::FindAll({nullptr, nullptr, -1, box}))
                    if (headless::Text(h).size() > shown.size())
                        shown = headless::Text(h);
                EndDialog(box, IDOK);
            });
        headless::Click(link.m_hWnd, {3, 3});
        headless::PumpUntilIdle();
        headless::ClearModalAnswers();
        EXPECT_EQ(bool(link.IsVisited()), c.opens) << c.opener;
        EXPECT_EQ(headless::Beeps().empty(), c.opens) << c.opener;
        if (!c.opens) {
            EXPECT_EQ(shown.rfind(u"Unable to open hyperlink:\n\n", 0), 0u) << CStringA(shown.c_str()).GetString();
        }
    }
    if (saved)
        setenv("DOVEMARK_OPENER", before.c_str(), 1);
    else
        unsetenv("DOVEMARK_OPENER");
}

TEST(HyperlinkErrors, ReasonsOfAFailedOpen) {
    struct { INT_PTR code; const char16_t* reason; } cases[] = {
        {0, u"The operating system is out\nof memory or resources."},
        {26, u"A sharing violation occurred. "},
        {31, u"There is no application associated\nwith the given filename extension."},
        {32, u"The specified dynamic-link library was not found."},
        {1, u"Unknown Error (1) occurred."},
        {33, u"Unknown Error (33) occurred."},
    };
    for (auto c : cases)
        EXPECT_EQ(CHyperlinkStatic::OpenErrorText(c.code), CString(u"Unable to open hyperlink:\n\n") + c.reason) << c.code;
}

} // namespace
