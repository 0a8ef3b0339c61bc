// The full scan of a whole disk as the program offers it: the disk's group clicked fills the range, Start
// takes it without a word, the volume page shows what it found and how to go on, and Back offers the range
// and the file system again.
#include "scenario_fixture.h"

#include "res/app/wizard_front_res.h"

namespace {
using namespace scenario;

using FullScan = Scenario;

TEST_F(FullScan, TheWholeDiskDefaultIsTakenAndItsVolumesFound)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "ntfs");
    ASSERT_TRUE(StartOn({img.path}));
    const std::string last = std::to_string(img.bytes / 512 - 1);

    ClickControl(0, 133); // full scan
    HWND drives = Control(1, 156);
    ClickTreeLabel(drives, TreeItem(drives, u"Hard Disk 0 "));
    AnswerWith(IDOK); // keep the disk's partition table
    ClickControl(1, 159);
    WaitForTheStep();
    ASSERT_EQ(ShownPage(), 2);

    HWND group = Control(2, 162);
    ClickTreeLabel(group, TreeItem(group, u"Hard Disk "));
    EXPECT_EQ(TextOf(Pane(2), 61462), u"0");
    EXPECT_EQ(TextOf(Pane(2), 61461), std::u16string(last.begin(), last.end()));

    // A refusal of the range would be the next box; the scan's own end shows none when it finds volumes.
    std::u16string said;
    AnswerWith(IDOK, &said);
    ClickControl(2, 159);
    WaitForTheStep();
    EXPECT_EQ(said, u"");
    ASSERT_EQ(ShownPage(), 3);

    HWND volumes = Control(3, 156);
    HTREEITEM top = Tree(volumes)->GetRootItem();
    ASSERT_TRUE(top);
    EXPECT_TRUE(Tree(volumes)->GetChildItem(top)) << "no volume found on the whole disk";
    HWND form = Pane(3);
    EXPECT_EQ(TextOf(form, 170),
              u"请从左边的面板中选择一个文件系统，并单击[下一步]继续恢复。\r\n逐个检查所有文件系统的所需数据。");
    EXPECT_EQ(TextOf(form, 32812), u"文件系统起始 :");

    ClickControl(3, 160);
    ASSERT_EQ(ShownPage(), 2);
    for (int input : {61458, 61463, 61459, 61460, 61462, 61461})
        EXPECT_TRUE(IsShown(::GetDlgItem(Pane(2), input))) << input;
    EXPECT_EQ(TextOf(Pane(2), 61461), std::u16string(last.begin(), last.end()));
    EXPECT_TRUE(IsShown(Control(2, 159)));
    EXPECT_FALSE(IsShown(Control(2, 132)));
}

} // namespace
