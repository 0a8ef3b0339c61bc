// Tests of the HTML message box driven headless: buttons, closing rules, countdowns, details,
// the remembered answer, a box on a worker thread and a picture of a question box.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "backend/headless/driver.h"
#include "win32/kernel/clock.h"
#include "win32/user/presenter.h"
#include "controls/html_message_box.h"
#include "support/support.h"

namespace {

std::vector<HWND> Buttons(HWND box) {
    std::vector<HWND> out;
    for (HWND h : headless::FindAll({u"BUTTON", nullptr, -1, box}))
        if ((GetWindowLongW(h, GWL_STYLE) & 0xF) != BS_AUTOCHECKBOX) out.push_back(h);
    return out;
}

HWND CheckBox(HWND box) {
    for (HWND h : headless::FindAll({u"BUTTON", nullptr, -1, box}))
        if ((GetWindowLongW(h, GWL_STYLE) & 0xF) == BS_AUTOCHECKBOX) return h;
    return nullptr;
}

// A button that is missing ends the box anyway, so that a failing test cannot hang.
void Click(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    EXPECT_NE(button, nullptr) << "no button " << id;
    if (button) SendMessageW(button, BM_CLICK, 0, 0);
    else EndDialog(box, -2);
}

struct MessageBoxTest : ::testing::Test {
    void SetUp() override {
        headless::UseVirtualClock();
        headless::ClearModalAnswers();
        headless::ClearBeeps();
        RegistryUseMemoryStore();
    }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        dovemark::clock::UseReal();
    }

    static MessageBoxParams Block() {
        MessageBoxParams p{};
        InitMessageBoxArea(&p.areaA);
        InitMessageBoxArea(&p.areaB);
        InitMessageBoxArea(&p.areaC);
        InitMessageBoxArea(&p.areaD);
        p.buttonAlign = 2;
        return p;
    }
};

}  // namespace

TEST_F(MessageBoxTest, ButtonSetsInOrderAndTheirIds) {
    struct { UINT style; std::vector<int> ids; LPCWSTR custom; } cases[] = {
        {0, {IDOK}, nullptr},
        {1, {IDOK, IDCANCEL}, nullptr},
        {2, {IDABORT, IDRETRY, IDIGNORE}, nullptr},
        {3 | MB_HTML_YESTOALL | MB_HTML_NOTOALL, {IDYES, IDHTML_YESTOALL, IDNO, IDHTML_NOTOALL, IDCANCEL}, nullptr},
        {4 | MB_HTML_HELP, {IDYES, IDNO, IDHTML_HELP}, nullptr},
        {6, {IDCANCEL, IDHTML_TRYAGAIN, IDHTML_CONTINUE}, nullptr},
        {9, {IDIGNORE, IDHTML_IGNOREALL, IDCANCEL}, nullptr},
        {0, {23, 24, 25, 26}, u"one\r\ntwo\n\nthree\nfour\nfive"},  // five lines make four buttons
    };
    for (const auto& c : cases) {
        MessageBoxParams p = Block();
        p.customButtons = c.custom;
        std::vector<int> ids;
        headless::AnswerNextModal([&](HWND box) {
            for (HWND b : Buttons(box)) ids.push_back(GetDlgCtrlID(b));
            Click(box, c.ids[0]);
        });
        EXPECT_EQ(HtmlMessageBox(nullptr, u"text", u"caption", c.style, &p), c.ids[0]);
        EXPECT_EQ(ids, c.ids);
    }
}

TEST_F(MessageBoxTest, DefaultButtonAndClosingRules) {
    // Default index 3 with two buttons makes the first one the default.
    headless::AnswerNextModal([&](HWND box) {
        auto buttons = Buttons(box);
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(GetWindowLongW(buttons[0], GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
        EXPECT_EQ(GetWindowLongW(buttons[1], GWL_STYLE) & 0xF, BS_PUSHBUTTON);
        EXPECT_EQ(GetFocus(), buttons[0]);
        // Yes/No has no Cancel: Escape and the close box do nothing.
        SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
        SendMessageW(box, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(box));
        EXPECT_TRUE(GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
        Click(box, IDNO);
    });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"q", u"c", MB_YESNO | 0x300), IDNO);

    headless::AnswerNextModal([](HWND) { headless::PressKey(VK_ESCAPE); });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"q", u"c", MB_OKCANCEL), IDCANCEL);
    headless::AnswerNextModal([](HWND box) { SendMessageW(box, WM_CLOSE, 0, 0); });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"q", u"c", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(headless::Beeps(), (std::vector<UINT>{0, 0, 0}));
    headless::AnswerNextModal([](HWND box) { Click(box, IDOK); });
    HtmlMessageBox(nullptr, u"q", u"c", MB_ICONQUESTION | MB_HTML_NOSOUND);
    EXPECT_EQ(headless::Beeps().size(), 3u);
}

TEST_F(MessageBoxTest, AllButtonsTakeTheWidestCaption) {
    MessageBoxCaptionMap captions{{IDOK, u"A much longer caption than usual"}};
    MessageBoxParams p = Block();
    p.captionMap = &captions;
    headless::AnswerNextModal([&](HWND box) {
        auto buttons = Buttons(box);
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(headless::Text(buttons[0]), u"A much longer caption than usual");
        RECT a, b;
        GetWindowRect(buttons[0], &a);
        GetWindowRect(buttons[1], &b);
        EXPECT_GT(a.right - a.left, 80);
        EXPECT_EQ(a.right - a.left, b.right - b.left);
        EXPECT_EQ(a.bottom - a.top, b.bottom - b.top);
        EXPECT_EQ(b.left - a.right, 11);
        Click(box, IDCANCEL);
    });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"text", u"caption", MB_OKCANCEL, &p), IDCANCEL);
}

// A message far wider than the screen (one long path) leaves the box, and its buttons, on the screen.
TEST_F(MessageBoxTest, AMessageWiderThanTheScreenKeepsTheBoxOnIt) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const std::u16string path = u"/tmp/" + std::u16string(4000, u'p') + u"/leaf.txt";
    for (UINT icon : {0u, UINT(MB_ICONQUESTION)}) {
        headless::AnswerNextModal([&](HWND box) {
            RECT window, yes;
            GetWindowRect(box, &window);
            GetWindowRect(GetDlgItem(box, IDYES), &yes);
            EXPECT_GE(window.left, 0);
            EXPECT_GE(window.top, 0);
            EXPECT_LE(window.right, screenWidth);
            EXPECT_LE(window.bottom, screenHeight);
            EXPECT_GE(yes.left, window.left);
            EXPECT_LE(yes.right, window.right);
            Click(box, IDYES);
        });
        EXPECT_EQ(HtmlMessageBox(nullptr, path.c_str(), u"c", MB_YESNO | MB_HTML_NOSOUND | icon), IDYES) << icon;
    }
}

TEST_F(MessageBoxTest, AutoCloseCountsDownOnTheDefaultButton) {
    MessageBoxParams p = Block();
    p.autoCloseTime = 5;
    std::vector<std::u16string> captions;
    headless::AnswerNextModal([&](HWND box) {
        HWND ok = GetDlgItem(box, IDOK);
        for (int i = 0; i < 5 && IsWindow(box); ++i) {
            captions.push_back(headless::Text(ok));
            headless::AdvanceClock(1000);
            headless::PumpUntilIdle();
        }
    });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"closing", u"c", MB_OK, &p), IDOK);
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"OK = 5", u"OK = 4", u"OK = 3", u"OK = 2", u"OK = 1"}));
}

TEST_F(MessageBoxTest, DisableTimeWithCaptionCountdown) {
    MessageBoxParams p = Block();
    p.disableTime = 2;
    p.captionCountdown = 1;
    headless::AnswerNextModal([&](HWND box) {
        EXPECT_EQ(headless::Text(box), u"Title (2 seconds remaining)");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(box, IDOK)));
        EXPECT_TRUE(GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
        SendMessageW(box, WM_CLOSE, 0, 0);  // a closable box still waits while its buttons are disabled
        headless::AdvanceClock(1000);
        headless::PumpUntilIdle();
        EXPECT_EQ(headless::Text(box), u"Title (1 seconds remaining)");
        headless::AdvanceClock(1000);
        headless::PumpUntilIdle();
        EXPECT_EQ(headless::Text(box), u"Title");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(box, IDOK)));
        EXPECT_FALSE(GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
        EXPECT_EQ(GetWindowLongW(GetDlgItem(box, IDOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
        Click(box, IDCANCEL);
    });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"wait", u"Title", MB_OKCANCEL, &p), IDCANCEL);
}

TEST_F(MessageBoxTest, DetailsOpenAndCloseWithTheMoreButton) {
    MessageBoxParams p = Block();
    p.detailsText = u"line one<br>line two<br>line three";
    headless::AnswerNextModal([&](HWND box) {
        HWND more = GetDlgItem(box, IDHTML_MORE);
        ASSERT_NE(more, nullptr);
        EXPECT_EQ(headless::Text(more), u"More >>");
        RECT closed, open, again;
        GetWindowRect(box, &closed);
        Click(box, IDHTML_MORE);
        GetWindowRect(box, &open);
        EXPECT_EQ(headless::Text(more), u"<< More");
        EXPECT_GT(open.bottom - open.top, closed.bottom - closed.top + 3 * 10);
        Click(box, IDHTML_MORE);
        GetWindowRect(box, &again);
        EXPECT_EQ(again.bottom - again.top, closed.bottom - closed.top);
        Click(box, IDOK);
    });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"short", u"c", MB_OK, &p), IDOK);
}

TEST_F(MessageBoxTest, CheckedAnswerIsRememberedAndReturnedAtOnce) {
    MessageBoxParams p = Block();
    p.valuePrefix = u"Ask";
    p.valueNumber = 3;
    const UINT style = MB_YESNO | MB_HTML_DONOTASK | MB_HTML_CHECKED;
    headless::AnswerNextModal([&](HWND box) {
        HWND check = CheckBox(box);
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
        Click(box, IDNO);
    });
    const int answer = HtmlMessageBox(nullptr, u"again?", u"c", style, &p);
    EXPECT_EQ(answer, IDNO | MB_HTML_CHECKED);
    EXPECT_EQ(CHtmlMessageBox::ReadRememberedAnswer(p), (DWORD)answer);

    // Shown no more: no window, no beep.
    headless::ClearBeeps();
    headless::AnswerNextModal([](HWND box) {
        ADD_FAILURE() << "the box was shown";
        EndDialog(box, 0);
    });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"again?", u"c", style, &p), answer);
    EXPECT_TRUE(headless::Beeps().empty());
    headless::ClearModalAnswers();

    // Unchecked, nothing is written for another value.
    p.valueNumber = 4;
    headless::AnswerNextModal([&](HWND box) {
        SendMessageW(CheckBox(box), BM_SETCHECK, BST_UNCHECKED, 0);
        Click(box, IDYES);
    });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"again?", u"c", style, &p), IDYES);
    EXPECT_EQ(CHtmlMessageBox::ReadRememberedAnswer(p), 0u);
}

TEST_F(MessageBoxTest, WorkerThreadRunsItsOwnBoxWhileTheUiThreadPumps) {
    std::atomic<int> result{0};
    std::atomic<bool> done{false};
    std::thread::id answeredOn;
    headless::AnswerNextModal([&](HWND box) {
        answeredOn = std::this_thread::get_id();
        Click(box, IDYES);
    });
    std::thread worker([&] {
        result = HtmlMessageBox(nullptr, u"Stop the scan?", u"Dovemark", MB_YESNO | MB_ICONQUESTION);
        done = true;
    });
    const std::thread::id workerId = worker.get_id();
    for (int i = 0; i < 2000 && !done; ++i) {
        headless::PumpUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker.join();
    EXPECT_EQ(result, IDYES);
    EXPECT_EQ(answeredOn, workerId);
}

TEST_F(MessageBoxTest, PictureOfAQuestionBoxWithChineseText) {
    MessageBoxParams p = Block();
    p.areaA.effect = 12;
    p.areaA.color1 = 0xFFB39D;
    p.areaA.color2 = 0xFFFFFF;
    p.areaA.color3 = 0xFFB39D;
    const std::string path = testsupport::ScratchDir() + "/question_box.png";
    bool saved = false;
    int captionInk = 0, buttonInk = 0;
    headless::AnswerNextModal([&](HWND box) {
        saved = headless::SavePng(box, path);
        if (const char* keep = getenv("DOVEMARK_KEEP_PNG")) headless::SavePng(box, keep);
        // The caption is written in the title bar, left of the caption buttons, in the caption's
        // text colour; the real push buttons draw their captions.
        auto picture = user::WindowSurface(box);
        ASSERT_TRUE(picture);
        auto rgb = [](COLORREF c) { return (uint32_t)((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)); };
        const uint32_t text = rgb(GetSysColor(GetActiveWindow() == box ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        const int frame = GetSystemMetrics(SM_CYDLGFRAME);
        for (int y = frame; y < frame + GetSystemMetrics(SM_CYCAPTION) - 1; ++y)
            for (int x = frame; x < picture->width / 2; ++x) captionInk += (picture->Row(y)[x] & 0xFFFFFF) == text;
        RECT yes, window;
        GetWindowRect(GetDlgItem(box, IDYES), &yes);
        GetWindowRect(box, &window);
        OffsetRect(&yes, -window.left, -window.top);
        for (int y = yes.top + 3; y < yes.bottom - 3; ++y)
            for (int x = yes.left + 3; x < yes.right - 3; ++x)
                buttonInk += (picture->Row(y)[x] & 0xFFFFFF) == rgb(GetSysColor(COLOR_BTNTEXT));
        Click(box, IDYES);
    });
    EXPECT_EQ(HtmlMessageBox(nullptr, u"\u662F\u5426\u505C\u6B62\u626B\u63CF\uFF1F<br><b>\u5DF2\u627E\u5230 12 \u4E2A\u6587\u4EF6</b>",
                             u"Dovemark For Windows", MB_YESNO | MB_ICONQUESTION, &p),
              IDYES);
    ASSERT_TRUE(saved);
    EXPECT_GT(captionInk, 20);
    EXPECT_GT(buttonInk, 5);
    std::ifstream png(path, std::ios::binary);
    char magic[8] = {};
    png.read(magic, 8);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
}
