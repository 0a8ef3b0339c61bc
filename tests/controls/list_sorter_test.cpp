// Tests of the list sorter on a real report list, and of the shell questions of the result lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/list_sorter.h"
#include "controls/shell_file_info.h"

namespace {

struct SortCase {
    const char* name;
    int kind;
    BOOL ascending;
    std::vector<const char16_t*> texts;
    std::vector<const char16_t*> sorted;
};

class ListSorterTest : public ::testing::TestWithParam<SortCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0));
        ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 300, 200), &parent, 1));
        list.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
        list.InsertColumn(1, u"Value", LVCFMT_LEFT, 100, 1);
    }
    void TearDown() override { parent.DestroyWindow(); }

    void Fill(const std::vector<const char16_t*>& texts) {
        for (int i = 0; i < (int)texts.size(); ++i) {
            ASSERT_EQ(list.InsertItem(LVIF_TEXT | LVIF_PARAM, i, u"row", 0, 0, 0, 1000 + i), i);
            list.SetItemText(i, 1, texts[i]);
        }
    }
    std::vector<std::u16string> Column() {
        std::vector<std::u16string> out;
        for (int i = 0; i < list.GetItemCount(); ++i)
            out.emplace_back((LPCWSTR)list.GetItemText(i, 1));
        return out;
    }
    CWnd parent;
    CListCtrl list;
};

TEST_P(ListSorterTest, OrdersTheColumnAndGivesTheItemDataBack) {
    const SortCase& c = GetParam();
    Fill(c.texts);
    {
        CListSorter sorter(&list, 1);
        sorter.Sort(c.ascending, c.kind);
    }
    std::vector<std::u16string> expected(c.sorted.begin(), c.sorted.end());
    EXPECT_EQ(Column(), expected);
    // Each row carries its own earlier data with it, wherever it moved.
    for (int i = 0; i < list.GetItemCount(); ++i) {
        std::u16string text = Column()[i];
        auto at = std::find_if(c.texts.begin(), c.texts.end(), [&](const char16_t* t) { return text == t; });
        EXPECT_EQ(list.GetItemData(i), (DWORD_PTR)(1000 + (at - c.texts.begin()))) << "row " << i;
    }
}

// Equal values keep their order: the list's sort is stable, so the expected orders are exact.
const SortCase kSortCases[] = {
    {"NumbersIgnoreSeparatorsAndUnits", CListSorter::kNumber, TRUE,
     {u"10 KB", u"2 KB", u"1,024 KB", u"none", u"2 bytes"}, {u"none", u"2 KB", u"2 bytes", u"10 KB", u"1,024 KB"}},
    {"NumbersAboveFourGiB", CListSorter::kNumber, TRUE,
     {u"5,000,000,000", u"2,147,483,648", u"4,294,967,296", u"1", u"18,446,744,073,709,551,616"},
     {u"1", u"2,147,483,648", u"4,294,967,296", u"5,000,000,000", u"18,446,744,073,709,551,616"}},
    {"NumbersBeyondSixtyFourBits", CListSorter::kNumber, TRUE,
     {u"100,000,000,000,000,000,002", u"100,000,000,000,000,000,001", u"0099,999,999,999,999,999,999"},
     {u"0099,999,999,999,999,999,999", u"100,000,000,000,000,000,001", u"100,000,000,000,000,000,002"}},
    {"NumbersDescending", CListSorter::kNumber, FALSE,
     {u"3", u"0012", u"7"}, {u"0012", u"7", u"3"}},
    {"TextIgnoresCase", CListSorter::kText, TRUE,
     {u"beta", u"Alpha", u"alpha", u"Gamma"}, {u"Alpha", u"alpha", u"beta", u"Gamma"}},
    {"TextDescending", CListSorter::kText, FALSE,
     {u"beta", u"Alpha", u"gamma"}, {u"gamma", u"beta", u"Alpha"}},
    {"Dates", CListSorter::kDate, TRUE,
     {u"2009-03-01 10:00:00", u"2008-12-31 23:59:59", u"2009-03-01 09:59:59"},
     {u"2008-12-31 23:59:59", u"2009-03-01 09:59:59", u"2009-03-01 10:00:00"}},
    {"DatesDescending", CListSorter::kDate, FALSE,
     {u"2008-01-02", u"2009-01-02", u"2007-01-02"}, {u"2009-01-02", u"2008-01-02", u"2007-01-02"}},
    {"UnparsableDatesStayUnordered", CListSorter::kDate, TRUE,
     {u"later", u"2009-01-02", u"sooner"}, {u"later", u"2009-01-02", u"sooner"}},
    {"Reals", CListSorter::kReal, TRUE,
     {u"2.5", u"-1", u"10.25", u"0.5"}, {u"-1", u"0.5", u"2.5", u"10.25"}},
    {"RealsDescending", CListSorter::kReal, FALSE,
     {u"2.5", u"-1", u"10.25"}, {u"10.25", u"2.5", u"-1"}},
    {"KindZeroLeavesTheOrder", 0, TRUE, {u"b", u"a", u"c"}, {u"b", u"a", u"c"}},
    {"KindFiveLeavesTheOrder", 5, FALSE, {u"b", u"a", u"c"}, {u"b", u"a", u"c"}},
};
INSTANTIATE_TEST_SUITE_P(Kinds, ListSorterTest, ::testing::ValuesIn(kSortCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A column is read a block of rows at a time; a text longer than a whole block is read on its own, and
// every row keeps its place.
TEST_F(ListSorterTest, ColumnTextsOfAnyLength) {
    const std::u16string huge = std::u16string(20000, u'a') + u"z";
    const std::vector<std::u16string> texts{u"b", huge, u"", u"c", huge + u"y"};
    std::vector<const char16_t*> raw;
    for (const auto& t : texts)
        raw.push_back(t.c_str());
    Fill(raw);
    const CListColumnTexts whole(&list, 1);
    ASSERT_EQ(whole.GetCount(), int(texts.size()));
    std::vector<std::u16string> read, visited;
    for (int i = 0; i < whole.GetCount(); ++i)
        read.emplace_back(whole[i]);
    EXPECT_TRUE(read == texts);
    CListColumnTexts::ForEach(&list, 1, [&](int row, LPCWSTR text) {
        EXPECT_EQ(row, int(visited.size()));
        visited.emplace_back(text);
    });
    EXPECT_TRUE(visited == texts);
    {
        CListSorter sorter(&list, 1);
        sorter.Sort(TRUE, CListSorter::kText);
    }
    EXPECT_TRUE(Column() == (std::vector<std::u16string>{u"", huge, huge + u"y", u"b", u"c"}));
}

// Equal reals never compare equal, and either direction flips every answer.
TEST(ListSorterCompare, RealsNeverEqualAndDirectionFlipsEveryKind) {
    struct Pair { int kind; const char16_t* a; const char16_t* b; int ascending; };
    const Pair pairs[] = {
        {CListSorter::kReal, u"1.5", u"1.50", 1},
        {CListSorter::kNumber, u"4,294,967,297", u"4,294,967,297", 0},
        {CListSorter::kNumber, u"4,294,967,297", u"1", 1},
        {CListSorter::kText, u"ABC", u"abc", 0},
        {CListSorter::kDate, u"2009-01-02", u"2009-01-02", 1},
        {CListSorter::kDate, u"2009-01-02", u"not a date", 0},
    };
    for (const Pair& p : pairs) {
        CListSorter::Record a, b;
        a.text = p.a;
        b.text = p.b;
        WCHAR foldedA[32], foldedB[32];
        CListSorter::ReadKey(a, p.kind, foldedA);
        CListSorter::ReadKey(b, p.kind, foldedB);
        int up = CListSorter::Compare((LPARAM)&a, (LPARAM)&b, p.kind);
        int down = CListSorter::Compare((LPARAM)&a, (LPARAM)&b, -p.kind);
        EXPECT_EQ((up > 0) - (up < 0), p.ascending) << p.kind;
        EXPECT_EQ(down, -up) << p.kind;
    }
}

TEST(ShellFileInfo, ImageListsIconsAndTypeNames) {
    HIMAGELIST large = CShellFileInfo::GetSystemImageList(FALSE);
    HIMAGELIST small = CShellFileInfo::GetSystemImageList(TRUE);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_NE(large, small);

    int folder = CShellFileInfo::GetFolderIconIndex(TRUE);
    EXPECT_EQ(folder, CShellFileInfo::GetFolderIconIndex(FALSE));
    // Names are never looked up on disk: a file that does not exist still has its type's icon.
    int missing = CShellFileInfo::GetIconIndex(u"/no/such/folder/report.txt", TRUE);
    EXPECT_GE(missing, 0);
    EXPECT_NE(missing, folder);
    EXPECT_EQ(missing, CShellFileInfo::GetIconIndex(u"other.txt", TRUE));
    EXPECT_LT(missing, ImageList_GetImageCount(small));

    EXPECT_FALSE(CShellFileInfo::GetTypeName(u"/no/such/report.txt").IsEmpty());
    EXPECT_EQ(CShellFileInfo::GetTypeName(u"a.zzq"), CShellFileInfo::GetTypeName(u"b.ZZQ"));
}

TEST(ShellFileInfo, TypeNamesOfKnownAndUnknownExtensions) {
    // Asked by attributes, the shell names an extension it has no type for after the extension
    // itself, whether or not the file exists; only a request it cannot answer gives no name.
    struct { const char16_t* name; const char16_t* type; } cases[] = {
        {u"/no/such/report.txt", u"文本文档"},
        {u"data.xyz", u"XYZ 文件"},
        {u"b.ZzQ", u"ZZQ 文件"},
        {u"README", u"文件"},
        {nullptr, u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CShellFileInfo::GetTypeName(c.name), CString(c.type)) << (c.name ? "named" : "null");
}

} // namespace
