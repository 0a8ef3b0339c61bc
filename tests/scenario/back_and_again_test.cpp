// A quick scan of a volume, its results, Back, and Start again: the scan page is as a new run finds it, and
// the volume chosen before is still the one scanned. Home then returns to the first page with its prompt.
#include "scenario_fixture.h"

namespace {
using namespace scenario;

using BackAndAgain = Scenario;

TEST_F(BackAndAgain, AQuickScanOfAVolumeRunsAgainAfterBack)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "ntfs");
    ASSERT_TRUE(StartOn({img.path}));

    // The pointer rests on the quick-scan button, which puts its hint under the buttons, and clicks it.
    HWND quick = Control(0, 131);
    headless::MouseMove(quick, {20, 20});
    headless::PumpUntilIdle();
    ASSERT_NE(TextOf(PageWindow(0), 170).find(u"快速扫描"), std::u16string::npos);
    ClickWindow(quick);
    HWND drives = Control(1, 156);
    ClickTreeLabel(drives, TreeItem(drives, u"Logical Drives C: "));
    ClickControl(1, 159);
    ASSERT_EQ(ShownPage(), 2);
    const std::u16string volumeName = TextOf(Pane(2), 32817);

    std::u16string said;
    AnswerWith(IDOK, &said);
    ClickControl(2, 159);
    WaitForTheStep();
    ASSERT_EQ(ShownPage(), 4);
    EXPECT_NE(said.find(u"全面扫描"), std::u16string::npos) << "the end of the scan gives its hint";
    // Column n of the found-file list shows header image n.
    HWND header = (HWND)::SendMessageW(Control(4, 165), LVM_GETHEADER, 0, 0);
    const int columns = int(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(columns, 6);
    for (int n = 0; n < columns; ++n) {
        HDITEMW item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        ::SendMessageW(header, HDM_GETITEMW, n, (LPARAM)&item);
        EXPECT_TRUE(item.fmt & HDF_IMAGE) << n;
        EXPECT_EQ(item.iImage, n);
    }

    ClickControl(4, 160);
    ASSERT_EQ(ShownPage(), 2);
    // Nothing of the last run is left: no waiting texts, no counters; the volume is shown again.
    EXPECT_FALSE(IsShown(Control(2, 170)));
    EXPECT_EQ(TextOf(Pane(2), 170), u"");
    EXPECT_EQ(TextOf(Pane(2), 32812), u"卷名        :");
    EXPECT_EQ(TextOf(Pane(2), 32817), volumeName);
    EXPECT_NE(TextOf(Pane(2), 61482).find(u"逻辑驱动器"), std::u16string::npos);
    EXPECT_TRUE(IsShown(Control(2, 159)));
    EXPECT_TRUE(IsShown(Control(2, 160)));
    EXPECT_FALSE(IsShown(Control(2, 132)));
    EXPECT_FALSE(IsShown(Control(2, 61457)));

    said.clear();
    AnswerWith(IDOK, &said);
    ClickControl(2, 159);
    WaitForTheStep();
    EXPECT_NE(said.find(u"全面扫描"), std::u16string::npos) << "Start was refused: " << said.size();
    ASSERT_EQ(ShownPage(), 4);
    HWND results = Control(4, 162);
    EXPECT_EQ(Tree(results)->GetItemText(Tree(results)->GetRootItem()), CString(u"Root"));

    ClickControl(4, 61481); // Home
    ASSERT_EQ(ShownPage(), 0);
    EXPECT_EQ(TextOf(PageWindow(0), 170), u"请选择恢复选项。" + std::u16string(14, u' '));
}

} // namespace
