// A disk whose table lost a partition: the user asks for the partition search in the choice dialog, by mouse
// or by keyboard, finds the deleted partition among those offered and gets its files back byte-exact.
#include "scenario_fixture.h"

#include "res/app/wizard_front_res.h"

namespace {
using namespace scenario;

enum class Way { Mouse, Label, Keyboard };

class LostPartition : public Scenario, public ::testing::WithParamInterface<Way> {
protected:
    // The choice dialog answered "search the disk" the way the test names.
    static void ChooseTheSearch(Way way)
    {
        headless::AnswerNextModal([way](HWND dlg) {
            // The dialog offers the existing table first.
            EXPECT_EQ(::IsDlgButtonChecked(dlg, IDC_CHOICE_EXISTING), UINT(BST_CHECKED));
            switch (way) {
            case Way::Mouse:
                headless::Click(::GetDlgItem(dlg, IDC_CHOICE_SEARCH), {4, 4});
                headless::Click(::GetDlgItem(dlg, IDOK), {4, 4});
                break;
            case Way::Label:
                headless::Click(::GetDlgItem(dlg, IDC_CHOICE_SEARCH_LABEL), {4, 4});
                headless::Click(::GetDlgItem(dlg, IDOK), {4, 4});
                break;
            case Way::Keyboard:
                // The first button has the focus; the arrow moves the choice within the group, Enter is OK.
                headless::PressKey(VK_DOWN);
                headless::PressKey(VK_RETURN);
                break;
            }
        });
    }
};

TEST_P(LostPartition, TheSearchOffersTheDeletedPartitionAndItsFilesComeBack)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "lost");
    const testsupport::FixtureVolume* lost = nullptr;
    for (const auto& v : img.volumes)
        if (v.role == "lost")
            lost = &v;
    ASSERT_NE(lost, nullptr);
    ASSERT_TRUE(StartOn({img.path}));

    ClickControl(0, 131); // quick scan
    ASSERT_EQ(ShownPage(), 1);
    HWND drives = Control(1, 156);
    ClickTreeLabel(drives, TreeItem(drives, u"Hard Disk 0 "));
    ChooseTheSearch(GetParam());
    ClickControl(1, 159);
    WaitForTheStep();
    ASSERT_EQ(ShownPage(), 2);

    // Each partition offered shows its start in the pane; the deleted one is among them.
    HWND partitions = Control(2, 162);
    const std::u16string start = [&] {
        const std::string s = std::to_string(lost->start);
        return std::u16string(s.begin(), s.end());
    }();
    HTREEITEM found = nullptr;
    for (HTREEITEM p = Tree(partitions)->GetChildItem(Tree(partitions)->GetRootItem()); p && !found;
         p = Tree(partitions)->GetNextSiblingItem(p)) {
        ClickTreeLabel(partitions, p);
        if (TextOf(Pane(2), 32818) == start)
            found = p;
    }
    ASSERT_NE(found, nullptr) << "the deleted partition is not offered";
    EXPECT_EQ(TextOf(Pane(2), 32817), u"FAT32");

    AnswerWith(IDOK); // the hint that a full scan may find more
    ClickControl(2, 159);
    WaitForTheStep();
    ASSERT_EQ(ShownPage(), 4);

    const std::string dest = Fresh("lost-partition");
    EXPECT_NE(SaveEverything(dest).find(u"文件保存成功"), std::u16string::npos);
    const int checked = ExpectVolumeWritten(img, lost->index, dest);
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(ChoiceDialog, LostPartition, ::testing::Values(Way::Mouse, Way::Label, Way::Keyboard));

} // namespace
