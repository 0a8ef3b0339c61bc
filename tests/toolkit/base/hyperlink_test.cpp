// Tests of the toolkit hyperlink: hover only over its text, clicks, colours and the shell's errors.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/hyperlink.h"
#include "test_windows.h"

#include <string>

namespace {

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        tktest::RegisterPlainWindowClass(u"TkLinkParent");
        ASSERT_TRUE(m_parent.CreateEx(0, u"TkLinkParent", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr,
                                      nullptr));
    }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        m_parent.DestroyWindow();
    }
    // A link on the parent; its text is the link's address unless told otherwise.
    void MakeLink(CTKHyperLink& link, DWORD alignment, LPCWSTR text = u"Visit the site")
    {
        ASSERT_TRUE(link.Create(text, WS_CHILD | WS_VISIBLE | alignment, CRect(10, 10, 310, 30), &m_parent, 5));
    }
    int TextWidth(CTKHyperLink& link)
    {
        CClientDC dc(&link);
        CFont* old = dc.SelectObject(link.GetFont());
        WCHAR text[64] = {};
        int n = link.GetWindowText(text, 64);
        CSize size = dc.GetTextExtent(text, n);
        dc.SelectObject(old);
        return size.cx;
    }
    // Runs the hover timer once with the cursor at x in the link.
    void HoverAt(CTKHyperLink& link, int x)
    {
        headless::MouseMove(link, POINT{x, 10});
        headless::PumpUntilIdle();
        headless::AdvanceClock(10);
        headless::PumpUntilIdle();
    }
    // The texts of the next message box, answered with OK.
    void CaptureMessageBox(std::u16string& texts)
    {
        headless::AnswerNextModal([&texts](HWND box) {
            headless::Query q;
            q.under = box;
            for (HWND child : headless::FindAll(q))
                texts += headless::Text(child) + u"|";
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
    }
    CWnd m_parent;
};

} // namespace

TEST_F(HyperLinkTest, HoverFollowsTheTextNotTheControl) {
    const struct { const char* name; DWORD alignment; } cases[] = {
        {"left", SS_LEFT}, {"centre", SS_CENTER}, {"right", SS_RIGHT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKHyperLink link;
        MakeLink(link, c.alignment);
        const int width = TextWidth(link);
        ASSERT_GT(width, 20);
        ASSERT_LT(width, 200);
        const int textLeft = c.alignment == SS_LEFT ? 0 : c.alignment == SS_CENTER ? (300 - width) / 2 : 300 - width;
        const int over = textLeft + width / 2;
        const int beside = c.alignment == SS_LEFT ? 295 : 4;

        HoverAt(link, beside);
        EXPECT_FALSE(link.IsHover());
        HoverAt(link, over);
        EXPECT_TRUE(link.IsHover());
        EXPECT_EQ(link.SendMessage(WM_NCHITTEST, 0, 0), HTCLIENT);
        // Leaving the text ends the hover at the next tick, and the timer with it.
        headless::MouseMove(link, POINT{beside, 10});
        headless::AdvanceClock(10);
        headless::PumpUntilIdle();
        EXPECT_FALSE(link.IsHover());
        EXPECT_FALSE(KillTimer(link, 1));
        link.DestroyWindow();
    }
}

TEST_F(HyperLinkTest, TextColourFollowsHoverThenVisited) {
    CTKHyperLink link;
    MakeLink(link, SS_LEFT);
    link.SetColors(RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9));
    HDC dc = CreateCompatibleDC(nullptr);
    auto textColour = [&] {
        SendMessageW(m_parent, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(link.m_hWnd));
        return GetTextColor(dc);
    };
    EXPECT_EQ(textColour(), RGB(1, 2, 3));
    link.SetVisited(TRUE);
    EXPECT_EQ(textColour(), RGB(4, 5, 6));
    HoverAt(link, 5);
    ASSERT_TRUE(link.IsHover());
    EXPECT_EQ(textColour(), RGB(7, 8, 9));
    DeleteDC(dc);
}

TEST_F(HyperLinkTest, AddressDefaultsToTheTextAndClicksCountOnlyOverIt) {
    CTKHyperLink link;
    MakeLink(link, SS_LEFT, u"/dovemark-missing-link-target.txt");
    EXPECT_EQ(link.GetURL(), CString(u"/dovemark-missing-link-target.txt"));
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    LOGFONTW lf{};
    ASSERT_TRUE(link.GetFont());
    GetObjectW(HFONT(link.GetFont()->GetSafeHandle()), sizeof(lf), &lf);
    EXPECT_TRUE(lf.lfUnderline);

    // Beside the text nothing happens: no shell call, no message.
    headless::Click(link, POINT{299, 10});
    headless::PumpUntilIdle();
    EXPECT_FALSE(link.GetVisited());

    // Over the text the missing file is reported and the link stays unvisited.
    std::u16string texts;
    CaptureMessageBox(texts);
    headless::Click(link, POINT{5, 10});
    headless::PumpUntilIdle();
    EXPECT_NE(texts.find(u"没有找到指定的文件。"), std::u16string::npos);
    EXPECT_FALSE(link.GetVisited());

    link.SetOpenOnClick(FALSE);
    headless::AdvanceClock(1000);  // not a double click
    headless::Click(link, POINT{5, 10});
    headless::PumpUntilIdle();
    EXPECT_TRUE(link.GetVisited());
}

TEST_F(HyperLinkTest, ShellErrorsShowTheirOwnMessage) {
    CTKHyperLink link;
    MakeLink(link, SS_LEFT);
    const struct { int code; const char16_t* text; } cases[] = {
        {26, u"发生共享冲突。"}, {2, u"没有找到指定的文件。"}, {77, u"一个未知的错误编号 77 发生。"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        std::u16string texts;
        CaptureMessageBox(texts);
        link.ReportError(c.code);
        EXPECT_NE(texts.find(c.text), std::u16string::npos);
        if (c.code == 26) {
            EXPECT_EQ(texts.find(u"没有找到"), std::u16string::npos);
        }
    }
}
