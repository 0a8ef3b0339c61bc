// Everything of an NTFS volume saved after a quick scan: the result box counts exactly the files that reached
// the destination, calls the run a success when every file came out, and the bar under it shows the run's end.
#include "scenario_fixture.h"

#include "tool_dialogs_res.h"

namespace {
using namespace scenario;

using SaveAll = Scenario;

// The number the result text gives after a label ("已保存 12 个"); -1 when it gives none.
long CountAfter(const std::u16string& text, const std::u16string& label)
{
    const size_t at = text.find(label);
    if (at == std::u16string::npos)
        return -1;
    long n = -1;
    for (size_t i = at + label.size(); i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        n = (n < 0 ? 0 : n * 10) + long(text[i] - u'0');
    return n;
}

TEST_F(SaveAll, TheResultCountsWhatWasWritten)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "ntfs");
    ASSERT_TRUE(StartOn({img.path}));

    ClickControl(0, 131);
    HWND drives = Control(1, 156);
    ClickTreeLabel(drives, TreeItem(drives, u"Logical Drives C: "));
    ClickControl(1, 159);
    AnswerWith(IDOK);
    ClickControl(2, 159);
    WaitForTheStep();
    ASSERT_EQ(ShownPage(), 4);

    const std::string dest = Fresh("save-all");
    int barAtTheEnd = -1;
    const std::u16string said = SaveEverything(dest, [&](HWND) {
        headless::Query q;
        q.id = IDC_SAVE_BAR;
        if (HWND bar = headless::FindOne(q))
            barAtTheEnd = int(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    });

    const std::vector<std::string> written = FilesBelow(dest);
    EXPECT_EQ(CountAfter(said, u"已保存 "), long(written.size())) << "files written: " << written.size();
    EXPECT_EQ(CountAfter(said, u"失败 "), 0);
    EXPECT_NE(said.find(u"文件保存成功"), std::u16string::npos);
    EXPECT_EQ(barAtTheEnd, 100);

    // Every live, intact file of the volume is among them, byte-exact.
    const int checked = ExpectVolumeWritten(img, 0, dest);
    EXPECT_GT(checked, 0);
}

} // namespace
