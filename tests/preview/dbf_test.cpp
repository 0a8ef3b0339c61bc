// dBASE tables: descriptors, the first record found by the header (a deleted first record
// included) or by a scan, cut-off records, the row cap, refused headers, the display text of each
// field type, and the view through the pane.
#include "preview/dbf_table.h"
#include "preview/dbf_view.h"
#include "preview/no_preview_view.h"
#include "preview/preview_fixture.h"
#include "res/preview/preview_res.h"

#include <string>
#include <vector>

namespace {

struct FieldSpec {
    std::string name;
    char type;
    int length;
    int decimals = 0;
};

// A dBASE III table: header with record count and the two lengths, descriptors, terminator,
// records (each a flag byte and the fields), end-of-file mark.
std::string WriteDbf(const std::vector<FieldSpec>& fields, const std::vector<std::string>& records,
                     bool headerLengths = true, bool eofMark = true)
{
    std::string out(32, '\0');
    out[0] = 3;
    size_t recordLength = 1;
    for (const FieldSpec& f : fields)
        recordLength += (size_t)f.length;
    size_t headerLength = 32 + 32 * fields.size() + 1;
    out[4] = char(records.size() & 0xFF);
    out[5] = char(records.size() >> 8);
    if (headerLengths) {
        out[8] = char(headerLength & 0xFF);
        out[9] = char(headerLength >> 8);
        out[10] = char(recordLength & 0xFF);
        out[11] = char(recordLength >> 8);
    }
    for (const FieldSpec& f : fields) {
        std::string d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d[16] = char(f.length);
        d[17] = char(f.decimals);
        out += d;
    }
    out.push_back('\x0D');
    for (const std::string& r : records)
        out += r;
    if (eofMark)
        out.push_back('\x1A');
    return out;
}

struct Table : DbfTableReader::Sink {
    std::vector<std::string> fields;
    std::vector<std::vector<std::string>> rows;
    void OnField(const DbfField& f) override { fields.push_back(f.name + ":" + f.type); }
    void OnRecord(int number, const std::vector<std::string_view>& cells) override
    {
        EXPECT_EQ(number, (int)rows.size() + 1);
        rows.emplace_back(cells.begin(), cells.end());
    }
};

int Read(const std::string& bytes, Table& t)
{
    DbfTableReader reader;
    return reader.Read(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), t);
}

const std::vector<FieldSpec> kFields = {{"NAME", 'C', 5}, {"QTY", 'N', 4, 1}};

} // namespace

TEST(DbfTable, RecordsFoundByTheHeaderOrByAScan)
{
    using Rows = std::vector<std::vector<std::string>>;
    struct {
        const char* name;
        std::string bytes;
        Rows rows;
    } cases[] = {
        {"two records", WriteDbf(kFields, {" apple  12", " pear    3"}), Rows{{"apple", "  12"}, {"pear ", "   3"}}},
        {"deleted first record", WriteDbf(kFields, {"*plum    1", " fig     2"}),
         Rows{{"plum ", "   1"}, {"fig  ", "   2"}}},
        // Without the header's lengths the scan finds the first undeleted record, as it always did.
        {"no header lengths", WriteDbf(kFields, {" kiwi    5"}, false), Rows{{"kiwi ", "   5"}}},
        {"no end-of-file mark", WriteDbf(kFields, {" kiwi    5"}, true, false), Rows{{"kiwi ", "   5"}}},
        {"cut off mid-record", WriteDbf(kFields, {" lime   10", " date"}, true, false),
         Rows{{"lime ", "  10"}, {"date", ""}}},
        {"cut off in the flag", WriteDbf(kFields, {" lime   10", " "}, true, false),
         Rows{{"lime ", "  10"}}},
        {"no records", WriteDbf(kFields, {}), Rows{}},
        {"file ends at the terminator", WriteDbf(kFields, {}, true, false), Rows{}},
        {"zero byte ends a cell", WriteDbf(kFields, {std::string(" ab\0de  7", 10)}), Rows{{"ab", "  7"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        EXPECT_EQ(Read(c.bytes, t), DbfTableReader::OK);
        EXPECT_EQ(t.fields, (std::vector<std::string>{"NAME:C", "QTY:N"}));
        EXPECT_EQ(t.rows, c.rows);
    }
}

TEST(DbfTable, RefusedHeadersAndTheRowCap)
{
    std::vector<FieldSpec> many(201, FieldSpec{"F", 'C', 1});
    std::string noTerminator = WriteDbf(kFields, {});
    noTerminator.resize(32 + 64);
    std::string lengthPastEnd = WriteDbf(kFields, {});
    lengthPastEnd.resize(32 + 32 + 10);
    struct {
        const char* name;
        std::string bytes;
        int result;
    } cases[] = {
        {"empty", "", DbfTableReader::TOO_SHORT},
        {"header only", std::string(32, '\3'), DbfTableReader::TOO_SHORT},
        {"201 fields", WriteDbf(many, {}), DbfTableReader::TOO_MANY_FIELDS},
        {"200 fields", WriteDbf(std::vector<FieldSpec>(200, FieldSpec{"F", 'C', 1}), {}), DbfTableReader::OK},
        {"no terminator", noTerminator, DbfTableReader::BAD_HEADER},
        {"descriptor cut before its length", lengthPastEnd, DbfTableReader::BAD_HEADER},
        {"terminator first", WriteDbf({}, {" x"}), DbfTableReader::BAD_HEADER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        EXPECT_EQ(Read(c.bytes, t), c.result);
    }
    // 10,001 records: the first 10,000 are shown.
    std::vector<std::string> records(10001, " z");
    Table t;
    EXPECT_EQ(Read(WriteDbf({{"Z", 'C', 1}}, records), t), DbfTableReader::OK);
    EXPECT_EQ(t.rows.size(), 10000u);
}

TEST(DbfView, DisplayTextByType)
{
    struct {
        char type;
        std::string bytes;
        std::u16string text;
        int decimals = 0;
    } cases[] = {
        {'N', "   12.5", u"12.5", 1},
        {'N', " 30", u"30", 0},
        {'N', "2.126", u"2.13", 2},
        {'F', "-3", u"-3.000", 3},
        {'N', "abc", u"0", 0},
        {'N', "7", u"7.00000000000000000", 255}, // a damaged decimal count
        {'C', " two  ", u" two  "},
        {'C', "\xD6\xD0\xCE\xC4", u"中文"},
        {'B', "blob", u"blob"},
        {'I', std::string("\x39\x30\0\0", 4), u"12345"},
        {'I', std::string("\xFF\xFF\xFF\xFF", 4), u"-1"},
        {'I', std::string("\x05", 1), u"5"},
        {'Y', std::string("\x40\xE2\x01\0", 4), u"12"},   // 123456 without its last four digits
        {'Y', std::string("\x39\x30\0\0", 4), u"1"},
        {'Y', std::string("\x10\x27\0\0", 4), u"1"},      // 10000
        {'Y', std::string("\x07\0\0\0", 4), u"7"},
        {'D', "20240315", u"2024/03/15"},
        {'D', "2024", u"2024//"}, // the second mark goes at the end of a short text
        {'L', "y", u"TRUE"},
        {'L', " T ", u"TRUE"},
        {'L', "yes", u"TRUE"},
        {'L', "N", u"FALSE"},
        {'L', "?", u"FALSE"},
        {'L', "\xC4\xC0", u"TRUE"},
        {'M', "0000000012", u"Memo"},
        {'G', "1", u"General"},
        {'P', "1", u"Picture"},
        {'T', "12345678", u""},
        {'X', "abc", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(CDBF_View::FieldText(c.type, c.bytes, c.decimals).GetString()), c.text)
            << c.type << " " << c.bytes;
}

TEST_F(PreviewPaneTest, DbaseTablesInTheList)
{
    Preview(WriteFile("stock.dbf", WriteDbf(kFields, {"*plum    1", " fig     2", " cut"}, true, false)), u".dbf");
    auto* view = static_cast<CDBF_View*>(pane->m_pDbfView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    CListCtrl* list = view->m_pList;
    EXPECT_EQ(list->GetDlgCtrlID(), CDBF_View::IDC_LIST);
    EXPECT_EQ(list->GetExtendedStyle() & 0x21u, 0x21u);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetHeaderCtrl()->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(0, 0), u"1");
    EXPECT_EQ(list->GetItemText(0, 1), u"plum ");
    EXPECT_EQ(list->GetItemText(1, 2), u"2.0"); // N(4,1): its one decimal
    EXPECT_EQ(list->GetItemText(2, 0), u"3");
    EXPECT_EQ(list->GetItemText(2, 1), u"cut");
    SavePicture("dbf");

    // Truncated, empty and header-only tables show the damaged picture.
    std::string table = WriteDbf(kFields, {" kiwi    5"});
    for (std::string bytes : {std::string(), table.substr(0, 20), table.substr(0, 40), table.substr(0, 70)}) {
        Preview(WriteFile("bad.dbf", bytes), u".dbf");
        EXPECT_NE(pane->m_pDbfView, nullptr);
        ASSERT_NE(pane->m_pNoPreviewView, nullptr) << bytes.size();
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
    }
}
