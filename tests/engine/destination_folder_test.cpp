// Choosing the destination, refusing one on the disk being read, and removing the preview's copies.
#include "engine/recovery_writer.h"

#include "attached_disk.h"
#include "crafted.h"
#include "sha256.h"
#include "win32/kernel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {
namespace fs = std::filesystem;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

class BrowsingUi : public RecordingUi {
public:
    std::u16string Chosen; // empty: the user cancels
    std::u16string Title;
    bool BrowseForFolder(const WCHAR* title, WCHAR* path, int chars) override
    {
        Title = title;
        if (Chosen.empty())
            return false;
        std::u16string c = Chosen.substr(0, size_t(chars - 1));
        std::copy(c.begin(), c.end(), path);
        path[c.size()] = 0;
        return true;
    }
};

TEST(DestinationFolder, BrowsingSetsOrEmptiesTheDestination)
{
    BrowsingUi ui;
    ui.Chosen = u"/tmp/recovered";
    BrowseForDestination();
    EXPECT_EQ(std::u16string(DestinationFolder), u"/tmp/recovered");
    EXPECT_EQ(ui.Title, u"请选择路径保存数据");
    ui.Chosen.clear();
    BrowseForDestination();
    EXPECT_EQ(DestinationFolder[0], 0);
}

// A destination on the disk being recovered asks first; "no" writes nothing, and even "yes" never writes
// into the source itself.
TEST(DestinationFolder, OneOnTheSourceDiskIsAskedAbout)
{
    CraftedImage image(64, "source.img");
    image.Write(15, "hello", 5);
    AttachedDisks disks({image.Path()});
    const std::string before = testsha::FileSha256(image.Path());
    const std::string safe = testsupport::ScratchDir() + "/safe-dest";
    fs::remove_all(safe);
    fs::create_directories(safe);
    const struct {
        const char* what;
        std::string dest;
        std::vector<bool> answers; // the destination question, then the create-failure question
        size_t questions;
        bool written;
    } cases[] = {
        {"elsewhere: no question", safe, {}, 0, true},
        {"on the source, no", image.Path() + "/out", {false}, 1, false},
        {"on the source, yes", image.Path() + "/out", {true, false}, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FreeScanResultLists();
        ScanMode = 2;
        PartitionParams = {};
        PartitionParams.FsType = FS_KIND_FAT32;
        PartitionParams.SectorsPerCluster = 1;
        PartitionParams.DataOrigin = 10;
        PartitionParams.FatSize = 1;
        PartitionParams.VolumeEndSector = 63;
        AddFatEntryRecord(u"a.txt", 5, 0, 0, 0, 5, 0);
        ResetRecoverySettings();
        FileTypeFilterCount = 0;
        ResetSaveTally();
        SaveStopFlag = 0;
        fs::remove(safe + "/a.txt");
        RecordingUi ui;
        ui.Answers = c.answers;
        const std::u16string dest = Wide(c.dest);
        std::copy(dest.begin(), dest.end(), DestinationFolder);
        DestinationFolder[dest.size()] = 0;
        RecoverSelection({}, {0});
        EXPECT_EQ(ui.Messages.size(), c.questions);
        EXPECT_EQ(SaveTally.Written, c.written ? 1u : 0u);
        if (c.written)
            EXPECT_EQ(testsha::FileSha256(safe + "/a.txt"), testsha::Sha256({'h', 'e', 'l', 'l', 'o'}));
        else
            EXPECT_EQ(SaveStopFlag, 1u);
        EXPECT_EQ(testsha::FileSha256(image.Path()), before);
    }
    FreeScanResultLists();
    DestinationFolder[0] = 0;
}

TEST(DestinationFolder, TemporaryCopiesAreRemoved)
{
    WCHAR temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::u16string folder(temp);
    if (folder.back() != u'/' && folder.back() != u'\\')
        folder += u'/';
    folder += u"ssss";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string scratch = testsupport::ScratchDir();
    const std::string preview = scratch + "/preview-copy.jpg";
    std::ofstream(preview) << "x";
    std::vector<std::u16string> copies{Wide(preview)};
    for (const char16_t* name : {u"/a.doc", u"/b.pdf"}) {
        HANDLE f = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        CloseHandle(f);
    }
    DeleteTempFiles(copies);
    EXPECT_FALSE(fs::exists(preview));
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
