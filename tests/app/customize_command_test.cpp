// The customise command: the frame opens the command bars' customise sheet with the pages and the
// command categories it builds from its own menu.
#include "tests/app/app_fixture.h"

#include "app_res.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/customize_pages.h"
#include "toolkit/commandbars/customize_sheet.h"

#include <functional>
#include <vector>

namespace {

using CustomizeCommand = AppFixture;

std::function<void()> g_step;
LRESULT CALLBACK StepProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP && g_step) {
        auto step = std::move(g_step);
        g_step = nullptr;
        step();
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

// Posts a step that runs from inside the sheet's modal loop.
void DuringModal(std::function<void()> step)
{
    static HWND window = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = StepProc;
        wc.lpszClassName = u"CustomizeCommandStep";
        ::RegisterClassW(&wc);
        return ::CreateWindowExW(0, u"CustomizeCommandStep", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    }();
    g_step = std::move(step);
    ::PostMessageW(window, WM_APP, 0, 0);
}

TEST_F(CustomizeCommand, OpensTheSheetWithTheFramesPagesAndCategories)
{
    ASSERT_TRUE(StartApp());
    CTKPCommandBars* bars = m_frame->GetCommandBars();
    ASSERT_NE(bars, nullptr);
    // The frame handles the command, so the bars offer customising.
    EXPECT_TRUE(bars->m_bCustomizable);
    bool ran = false;
    DuringModal([&] {
        ran = true;
        CTKPCustomizeSheet* sheet = CTKPCustomizeSheet::GetRunningSheet();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->GetCommandBars(), bars);
        EXPECT_TRUE(bars->IsCustomizeMode());
        ASSERT_EQ(sheet->GetPageCount(), 4);
        HWND tab = reinterpret_cast<HWND>(sheet->SendMessage(PSM_GETTABCONTROL));
        std::vector<std::u16string> tabs;
        for (int i = 0; i < 4; ++i) {
            WCHAR text[64] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            ::SendMessageW(tab, TCM_GETITEMW, WPARAM(i), LPARAM(&item));
            tabs.push_back(text);
        }
        EXPECT_EQ(tabs, (std::vector<std::u16string>{u"工具栏", u"命令", u"键盘", u"选项"}));
        EXPECT_NE(dynamic_cast<CTKPCustomizeKeysPage*>(sheet->GetPage(2)), nullptr);
        EXPECT_NE(dynamic_cast<CTKPCustomizeSettingsPage*>(sheet->GetPage(3)), nullptr);

        std::vector<CString> names;
        for (const auto& category : sheet->GetCommandsPage()->GetCategories())
            names.push_back(category->strName);
        EXPECT_EQ(names, (std::vector<CString>{u"恢复", u"视图", u"工具", u"帮助", u"所有命令", u"内置菜单",
                                               u"新建菜单"}));
        auto* keys = static_cast<CTKPCustomizeKeysPage*>(sheet->GetPage(2));
        EXPECT_EQ(keys->GetCategories().size(), 4u);
        // Every command of the frame's menu says what it does, as the keyboard page shows it.
        for (const auto& category : keys->GetCategories())
            for (int i = 0; i < category->pControls->GetCount(); ++i) {
                CTKPControl* control = category->pControls->GetAt(i);
                EXPECT_FALSE(control->GetDescription().IsEmpty()) << CStringA(control->GetCaption()).GetString();
            }
        ::SendMessageW(sheet->m_hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    m_frame->SendMessage(WM_COMMAND, ID_CUSTOMIZE, 0);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(bars->IsCustomizeMode());
    EXPECT_EQ(CTKPCustomizeSheet::GetRunningSheet(), nullptr);
}

} // namespace
