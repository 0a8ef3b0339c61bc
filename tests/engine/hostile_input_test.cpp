// Damaged structures in bulk: mutated MFT records, index roots, run lists and directory sectors must
// give clean answers under the sanitizers, never an over-read, a crash or a hang.
#include "engine/fat_directory.h"
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"
#include "crafted.h"

#include <gtest/gtest.h>

#include <random>

namespace {
using namespace crafted;

std::vector<BYTE> RichRecord()
{
    MftRecord r(3);
    r.Resident(ATTR_ATTRIBUTE_LIST, std::vector<BYTE>(0x40, 0x20));
    r.Resident(ATTR_FILE_NAME, FileNameValue(u"a folder name", 5, 1));
    r.Resident(ATTR_FILE_NAME, FileNameValue(u"AFOLDE~1", 5, 2));
    std::vector<BYTE> root(0x30 + 0x52, 0);
    Put32(&root[0x10], 0x10);
    Put16(&root[0x2A], 0x52);
    r.Resident(ATTR_INDEX_ROOT, root, u"$I30");
    r.NonResident(ATTR_INDEX_ALLOCATION, {0x21, 0x01, 0x2C, 0x01, 0x00}, 4096, u"$I30");
    r.NonResident(ATTR_DATA, {0x31, 0x04, 0x00, 0x10, 0x00, 0x01, 0x02, 0x11, 0x01, 0x05, 0x00}, 8192);
    return r.Finish();
}

TEST(HostileInputTest, MutatedMftRecords)
{
    std::mt19937 random(20261210);
    const std::vector<BYTE> base = RichRecord();
    for (int round = 0; round < 4000; ++round) {
        std::vector<BYTE> b = base;
        const int flips = 1 + int(random() % 12);
        for (int i = 0; i < flips; ++i)
            b[random() % b.size()] = BYTE(random());
        ApplyFixups(b.data(), DWORD(b.size()));
        WCHAR name[kNtfsNameChars];
        DWORD parent, offset = 0;
        ULONGLONG created, changed, size;
        GetBestFileName(b.data(), name, &parent, &created, &changed);
        GetDataAttrSize(0, &size, b.data(), 0);
        CollectAttributeList(b.data(), 40);
        if (FindDataAttr(b.data(), &offset) == 2)
            GetFileExtents(kMftRecordSize, b.data(), offset);
        EXPECT_LE(RecordPieceCount, kMaxRecordPieces);
    }
    FreeExtents();
}

TEST(HostileInputTest, RandomRunLists)
{
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::vector<BYTE> bytes(1 + random() % 40);
        for (BYTE& b : bytes)
            b = BYTE(random());
        std::vector<DataRun> runs;
        DecodeRunList(bytes.data(), bytes.data() + bytes.size(), &runs);
        for (const DataRun& r : runs) {
            EXPECT_LE(r.Length, 0xFFFFFFFFULL);
            if (!r.Sparse) {
                EXPECT_GE(r.Lcn, 0);
                EXPECT_LE(r.Lcn, 0xFFFFFFFFLL);
            }
        }
    }
}

TEST(HostileInputTest, RandomDirectorySectors)
{
    std::mt19937 random(99);
    PartitionParams = {};
    PartitionParams.FsType = FS_KIND_FAT32;
    for (int round = 0; round < 2000; ++round) {
        std::vector<BYTE> sectors(2 * 512);
        for (BYTE& b : sectors)
            b = BYTE(random());
        // Many long-name entries, so the walk back across the boundary has plenty to chew on.
        for (size_t e = 0; e < sectors.size(); e += 32)
            if (random() % 2)
                sectors[e + 11] = 0x0F;
        FatDirWalk walk;
        int end = 0;
        ParseFatDirectory(sectors.data(), 2, &end, 10, 0, int(random() % 20), &walk);
        ParseFatDirectory(sectors.data() + 512, 2, &end, 11, 0, 0, &walk);
        end = 0;
        ParseFatDirectorySectors(sectors.data(), 2, &end, 10, 2, 1, 0);
    }
    FreeScanResultLists();
}

} // namespace
