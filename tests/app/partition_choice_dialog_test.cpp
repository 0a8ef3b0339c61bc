// The partition-choice dialog: the existing table by default, the search when its button is chosen.
#include "app/partition_choice_dialog.h"

#include "backend/headless/driver.h"
#include "engine/partition_table.h"
#include "res/app/wizard_front_res.h"

#include <gtest/gtest.h>

namespace {

TEST(PartitionChoiceDialog, TheChosenButtonBecomesTheSearchChoice)
{
    const struct {
        int click; // 0: leave the default
        DWORD choice;
    } cases[] = {{0, 0}, {IDC_CHOICE_SEARCH, 1}, {IDC_CHOICE_EXISTING, 0}};
    for (const auto& c : cases) {
        PartitionSearchChoice = 7;
        CPartitionChoiceDlg dlg;
        headless::AnswerNextModal([&](HWND box) {
            EXPECT_EQ(IsDlgButtonChecked(box, IDC_CHOICE_EXISTING), UINT(BST_CHECKED));
            if (c.click)
                ::CheckRadioButton(box, IDC_CHOICE_EXISTING, IDC_CHOICE_SEARCH, c.click);
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(PartitionSearchChoice, c.choice) << c.click;
    }
}

} // namespace
