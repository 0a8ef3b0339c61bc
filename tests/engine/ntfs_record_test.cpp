// MFT records: update sequence, bounded attribute walk, names by namespace, run lists and extents.
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "engine/engine_state.h"
#include "crafted.h"

#include <gtest/gtest.h>

namespace {
using namespace crafted;

TEST(NtfsFixupTest, RestoresBothSectorEndsAndReportsTornRecords)
{
    MftRecord r;
    r.Resident(ATTR_DATA, std::vector<BYTE>(8, 0));
    auto& b = r.Finish();
    b[510] = 0xAB; // the bytes the array keeps for sector 1 ...
    b[0x32] = 0xAB, b[0x33] = 0xCD;
    b[510] = 0x07, b[511] = 0x00;
    b[0x34] = 0x12, b[0x35] = 0x34;
    EXPECT_EQ(ApplyFixups(b.data(), 1024), FIXUP_OK);
    EXPECT_EQ(b[510], 0xAB);
    EXPECT_EQ(b[511], 0xCD);
    EXPECT_EQ(b[1022], 0x12);
    EXPECT_EQ(b[1023], 0x34);

    MftRecord torn;
    auto& t = torn.Finish();
    t[1022] = 0x99; // second sector from another write
    const DWORD before = FixupMismatchCount;
    EXPECT_EQ(ApplyFixups(t.data(), 1024), FIXUP_MISMATCH);
    EXPECT_EQ(FixupMismatchCount, before + 1);

    MftRecord bad;
    auto& x = bad.Finish();
    Put16(&x[6], 40); // array larger than the record covers
    EXPECT_EQ(ApplyFixups(x.data(), 1024), FIXUP_BAD);
}

TEST(NtfsNameTest, NamespacesAreTriedWin32ThenBothThenPosixThenDos)
{
    struct Case {
        std::vector<BYTE> spaces;
        BYTE chosen;
    } cases[] = {
        {{2, 1}, 1},
        {{2, 3}, 3},
        {{2, 0}, 0}, // Linux tools and case-sensitive folders write POSIX names only
        {{2}, 2},
    };
    for (const Case& c : cases) {
        MftRecord r;
        for (BYTE ns : c.spaces)
            r.Resident(ATTR_FILE_NAME, FileNameValue(ns == c.chosen ? u"chosen" : u"OTHER~1", 5, ns));
        auto& b = r.Finish();
        ASSERT_EQ(ApplyFixups(b.data(), 1024), FIXUP_OK);
        WCHAR name[kNtfsNameChars];
        DWORD parent = 0;
        ULONGLONG created = 0, modified = 0;
        ASSERT_EQ(GetBestFileName(b.data(), name, &parent, &created, &modified), 1);
        EXPECT_EQ(std::u16string(name), u"chosen");
        EXPECT_EQ(parent, 5u);
        EXPECT_EQ(modified, 0x01D0000000000002ULL); // its last modification, not the record's change
    }
}

// A record's modified time is its standard information's last modification; a name's own times are those of the
// file's creation or last rename, taken only where the record has no standard information.
TEST(NtfsNameTest, ModifiedTimeFromTheStandardInformation)
{
    for (bool standard : {true, false}) {
        MftRecord r;
        if (standard) {
            std::vector<BYTE> si(0x48, 0);
            Put64(&si[0], 0x01D0000000000001ULL);
            Put64(&si[8], 0x01D9000000000009ULL);   // last modification
            Put64(&si[0x10], 0x01DA00000000000AULL); // record change
            r.Resident(0x10, si);
        }
        r.Resident(ATTR_FILE_NAME, FileNameValue(u"file.txt", 5, 1));
        auto& b = r.Finish();
        ASSERT_EQ(ApplyFixups(b.data(), 1024), FIXUP_OK);
        const MftRecordGroup group(b.data(), 40, 100);
        WCHAR name[kNtfsNameChars];
        DWORD parent = 0;
        ULONGLONG created = 0, modified = 0;
        ASSERT_TRUE(group.Name(name, &parent, &created, &modified));
        EXPECT_EQ(created, 0x01D0000000000001ULL);
        EXPECT_EQ(modified, standard ? 0x01D9000000000009ULL : 0x01D0000000000002ULL) << standard;
    }
}

TEST(NtfsAttributeTest, DamagedFieldsAreNeverReadPastTheirBounds)
{
    WCHAR name[kNtfsNameChars];
    DWORD parent;
    ULONGLONG c1, c2;
    {
        // Name length claims more characters than the value holds.
        MftRecord r;
        BYTE* a = r.Resident(ATTR_FILE_NAME, FileNameValue(u"short", 5, 1));
        a[0x18 + 0x40] = 200;
        auto& b = r.Finish();
        ApplyFixups(b.data(), 1024);
        EXPECT_EQ(GetBestFileName(b.data(), name, &parent, &c1, &c2), 0);
    }
    {
        // A value offset pointing outside the attribute.
        MftRecord r;
        BYTE* a = r.Resident(ATTR_FILE_NAME, FileNameValue(u"short", 5, 1));
        Put16(a + 0x14, 0x3F0);
        auto& b = r.Finish();
        ApplyFixups(b.data(), 1024);
        EXPECT_EQ(GetBestFileName(b.data(), name, &parent, &c1, &c2), 0);
    }
    {
        // An attribute whose length runs past the record end, with a name at the very end.
        MftRecord r;
        r.at = 1024 - 0x60;
        Put16(&r.b[0x14], unsigned(r.at));
        BYTE* a = r.Resident(ATTR_FILE_NAME, FileNameValue(u"end", 5, 1));
        Put32(a + 4, 0x400);
        r.b[0x18] = 0; // used size left at the buffer
        r.b[0x19] = 0x04;
        EXPECT_EQ(GetBestFileName(r.b.data(), name, &parent, &c1, &c2), 0);
    }
    {
        // The same name ending exactly at the end of the record is still read.
        MftRecord r;
        r.at = 1024 - 0x60 - 8;
        Put16(&r.b[0x14], unsigned(r.at));
        r.Resident(ATTR_FILE_NAME, FileNameValue(u"end", 5, 1));
        auto& b = r.Finish();
        ApplyFixups(b.data(), 1024);
        ASSERT_EQ(GetBestFileName(b.data(), name, &parent, &c1, &c2), 1);
        EXPECT_EQ(std::u16string(name), u"end");
    }
    {
        // Zero-length attribute ends the walk instead of looping on it.
        MftRecord r;
        BYTE* a = r.Resident(ATTR_DATA, std::vector<BYTE>(4, 0));
        Put32(a + 4, 0);
        auto& b = r.Finish();
        ApplyFixups(b.data(), 1024);
        DWORD offset = 0;
        EXPECT_EQ(FindDataAttr(b.data(), &offset), 0);
    }
}

TEST(NtfsAttributeTest, DataSizeAndKind)
{
    MftRecord r;
    r.Resident(ATTR_DATA, std::vector<BYTE>(8, 0), u"stream"); // a named stream is not the file's data
    r.NonResident(ATTR_DATA, {0x11, 0x04, 0x20, 0x00}, 0x123456789ULL);
    auto& b = r.Finish();
    ApplyFixups(b.data(), 1024);
    DWORD offset = 0;
    EXPECT_EQ(FindDataAttr(b.data(), &offset), 2);
    ULONGLONG size = 0;
    ASSERT_EQ(GetDataAttrSize(0, &size, b.data(), 0), 1);
    EXPECT_EQ(size, 0x123456789ULL);
}

TEST(NtfsRunListTest, Cases)
{
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        RunListStatus status;
        std::vector<DataRun> runs;
    } cases[] = {
        {"back one cluster", {0x11, 0x02, 0x10, 0x41, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}, RUNS_OK,
         {{2, 0x10, false}, {3, 0x0F, false}}},
        {"forward 2^24", {0x11, 0x01, 0x05, 0x41, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00}, RUNS_OK,
         {{1, 5, false}, {1, 5 + 16777216, false}}},
        {"sparse keeps the base", {0x11, 0x04, 0x20, 0x01, 0x08, 0x11, 0x02, 0x04, 0x00}, RUNS_OK,
         {{4, 0x20, false}, {8, 0, true}, {2, 0x24, false}}},
        {"5-byte fields that fit", {0x51, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00}, RUNS_OK, {{1, 0x10, false}}},
        {"cluster beyond 32 bits", {0x51, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00}, RUNS_UNSUPPORTED, {}},
        {"negative cluster", {0x11, 0x01, 0xF0, 0x00}, RUNS_UNSUPPORTED, {}},
        {"unterminated", {0x11, 0x01, 0x10}, RUNS_TRUNCATED, {{1, 0x10, false}}},
        {"fields past the end", {0x11, 0x01, 0x10, 0x44, 0x01}, RUNS_TRUNCATED, {{1, 0x10, false}}},
        {"length nibble 0", {0x10, 0x05, 0x00}, RUNS_BAD_HEADER, {}},
        {"nibbles of 15", {0xFF, 0x01, 0x02, 0x03}, RUNS_BAD_HEADER, {}},
    };
    for (const Case& c : cases) {
        std::vector<DataRun> runs;
        EXPECT_EQ(DecodeRunList(c.bytes.data(), c.bytes.data() + c.bytes.size(), &runs), c.status) << c.what;
        ASSERT_EQ(runs.size(), c.runs.size()) << c.what;
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].Length, c.runs[i].Length) << c.what;
            EXPECT_EQ(runs[i].Sparse, c.runs[i].Sparse) << c.what;
            if (!runs[i].Sparse) {
                EXPECT_EQ(runs[i].Lcn, c.runs[i].Lcn) << c.what;
            }
        }
    }
}

TEST(NtfsRunListTest, ExtentsMarkSparseRunsAndStopAtTheAttributeEnd)
{
    MftRecord r;
    BYTE* a = r.NonResident(ATTR_DATA, {0x11, 0x04, 0x20, 0x01, 0x08, 0x11, 0x02, 0x04, 0x00}, 14 * 4096);
    auto& b = r.Finish();
    const DWORD at = DWORD(a - b.data());
    ASSERT_EQ(GetFileExtents(1024, b.data(), at), 1);
    ASSERT_EQ(ExtentCount, 3u);
    EXPECT_EQ(+ExtentHead->Start, 0x20u);
    EXPECT_EQ(+ExtentHead->Next->Start, EXTENT_SPARSE);
    EXPECT_EQ(+ExtentHead->Next->Length, 8u);
    EXPECT_EQ(+ExtentHead->Next->Next->Start, 0x24u);

    // A list cut inside its third run, the attribute ending right there.
    MftRecord cut;
    BYTE* c = cut.NonResident(ATTR_DATA, {0x11, 0x04, 0x20, 0x11, 0x02, 0x04, 0x21, 0x01}, 6 * 4096);
    auto& cb = cut.Finish();
    RunListStatus status;
    EXPECT_EQ(GetFileExtents(1024, cb.data(), DWORD(c - cb.data()), &status), 0);
    EXPECT_EQ(status, RUNS_TRUNCATED);
    EXPECT_EQ(ExtentCount, 2u);

    EXPECT_EQ(GetFileExtents(0x30, b.data(), at), 0); // list beyond the given end
    FreeExtents();
}

TEST(NtfsAttributeListTest, PiecesAreListedOnce)
{
    std::vector<BYTE> list;
    for (uint32_t i = 0; i < 70; ++i) {
        std::vector<BYTE> e(0x20, 0);
        Put32(&e[0], ATTR_DATA);
        Put16(&e[4], 0x20);
        Put32(&e[0x10], i % 2 ? 30 : 100 + i); // every other entry in the base record itself
        list.insert(list.end(), e.begin(), e.end());
    }
    MftRecord r;
    r.Resident(ATTR_ATTRIBUTE_LIST, std::vector<BYTE>(list.begin(), list.begin() + 0x20 * 20));
    auto& b = r.Finish();
    ApplyFixups(b.data(), 1024);
    CollectAttributeList(b.data(), 30);
    ASSERT_EQ(RecordPieceCount, 11);
    EXPECT_EQ(RecordPieces[0], 30u);
    EXPECT_EQ(RecordPieces[1], 100u);
    EXPECT_EQ(RecordPieces[10], 118u);
}

} // namespace
