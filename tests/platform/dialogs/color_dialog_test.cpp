// The colour dialog: choosing by swatch and by values, custom colours, and the block's checks.
#include "dialog_fixture.h"

using namespace dlgtest;

namespace {

enum : int { kRed = 706, kGreen = 707, kBlue = 708, kAddCustom = 712, kBasic = 0x2D0, kCustom = 0x300 };

class ColorDialogTest : public DialogTest {
protected:
    CHOOSECOLORW Block(DWORD flags, COLORREF initial = 0)
    {
        CHOOSECOLORW cc{};
        cc.lStructSize = sizeof cc;
        cc.rgbResult = initial;
        cc.lpCustColors = custom_;
        cc.Flags = flags;
        return cc;
    }
    COLORREF custom_[16] = {};
};

std::u16string Values(HWND dlg)
{
    return headless::Text(GetDlgItem(dlg, kRed)) + u"," + headless::Text(GetDlgItem(dlg, kGreen)) + u"," +
           headless::Text(GetDlgItem(dlg, kBlue));
}

TEST_F(ColorDialogTest, ChoosesBySwatchOrByValues)
{
    struct Case {
        const char* what;
        DWORD flags;
        COLORREF initial;
        std::function<void(HWND)> act;
        std::u16string shownAtStart;
        COLORREF result;
    } cases[] = {
        {"initial colour", CC_RGBINIT, RGB(1, 2, 3), [](HWND) {}, u"1,2,3", RGB(1, 2, 3)},
        {"without RGBINIT", 0, RGB(1, 2, 3), [](HWND) {}, u"0,0,0", RGB(0, 0, 0)},
        {"clicked swatch", 0, 0,
         [](HWND dlg) {
             headless::Click(GetDlgItem(dlg, kBasic + 8), POINT{4, 4}); // the pure red of the second row
             headless::PumpUntilIdle();
         },
         u"0,0,0", RGB(255, 0, 0)},
        {"typed values", CC_RGBINIT, RGB(9, 9, 9),
         [](HWND dlg) {
             SetDlgItemTextW(dlg, kRed, u"12");
             SetDlgItemTextW(dlg, kGreen, u"300"); // held to 255
             SetDlgItemTextW(dlg, kBlue, u"");
         },
         u"9,9,9", RGB(12, 255, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CHOOSECOLORW cc = Block(c.flags, c.initial);
        std::u16string shown;
        headless::AnswerNextModal([&](HWND dlg) {
            shown = Values(dlg);
            c.act(dlg);
            SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(ChooseColorW(&cc));
        EXPECT_EQ(shown, c.shownAtStart);
        EXPECT_EQ(cc.rgbResult, c.result);
    }
}

TEST_F(ColorDialogTest, CustomColoursComeBackOnlyWithOk)
{
    custom_[15] = RGB(7, 7, 7);
    for (int button : {IDCANCEL, IDOK}) {
        CHOOSECOLORW cc = Block(CC_RGBINIT, RGB(10, 20, 30));
        std::u16string afterCustomClick;
        headless::AnswerNextModal([&](HWND dlg) {
            SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(kAddCustom, BN_CLICKED), 0);
            headless::Click(GetDlgItem(dlg, kCustom + 15), POINT{3, 3});
            headless::PumpUntilIdle();
            afterCustomClick = Values(dlg);
            SendMessageW(dlg, WM_COMMAND, button, 0);
        });
        EXPECT_EQ(ChooseColorW(&cc), button == IDOK);
        EXPECT_EQ(afterCustomClick, u"7,7,7");
        EXPECT_EQ(custom_[0], button == IDOK ? RGB(10, 20, 30) : RGB(0, 0, 0));
        EXPECT_EQ(CommDlgExtendedError(), 0u);
    }
}

TEST_F(ColorDialogTest, BadBlocksAreRefused)
{
    struct Case {
        DWORD size, flags;
        bool custom;
        DWORD error;
    } cases[] = {
        {8, 0, true, CDERR_STRUCTSIZE},
        {sizeof(CHOOSECOLORW), CC_ENABLEHOOK, true, CDERR_DIALOGFAILURE},
        {sizeof(CHOOSECOLORW), 0, false, CDERR_INITIALIZATION},
    };
    for (const Case& c : cases) {
        CHOOSECOLORW cc = Block(c.flags);
        cc.lStructSize = c.size;
        if (!c.custom)
            cc.lpCustColors = nullptr;
        EXPECT_FALSE(ChooseColorW(&cc));
        EXPECT_EQ(CommDlgExtendedError(), c.error);
    }
}

} // namespace
