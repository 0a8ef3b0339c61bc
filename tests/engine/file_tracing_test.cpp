// File tracing over a generated image: names, numbers and groups of planted files, the compound-file split,
// unreadable sectors, stop and pause, and volumes that cannot be scanned.
#include "engine/file_tracing.h"

#include "engine/engine_state.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "engine/sector_reader.h"
#include "engine/signature_list.h"
#include "engine/tracing_fixtures.h"
#include "engine/ui_port.h"
#include "support/support.h"
#include "win32/kernel/device_hooks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

namespace {

struct PlantedFile {
    ULONGLONG sector = 0;
    std::string kind;   // what the file really is ("doc-noappname", "tif-mm", ...)
    std::string named;  // the extension a scan with every type chosen gives it
};

struct TracedImage {
    std::string path;
    ULONGLONG sectors = 0;
    std::vector<PlantedFile> files;
    std::vector<ULONGLONG> badSectors;
    std::vector<ULONGLONG> lostSectors;
};

// The manifest is JSON written by the generator with flat objects in its lists; the few fields needed are
// picked out by key.
std::string FieldOf(const std::string& object, const std::string& key)
{
    std::string tag = "\"" + key + "\": ";
    size_t at = object.find(tag);
    if (at == std::string::npos)
        return {};
    at += tag.size();
    if (object[at] == '"')
        return object.substr(at + 1, object.find('"', at + 1) - at - 1);
    return object.substr(at, object.find_first_of(",}] \r\n", at) - at);
}

std::string ListOf(const std::string& json, const std::string& key)
{
    size_t at = json.find("\"" + key + "\": [");
    if (at == std::string::npos)
        return {};
    size_t open = json.find('[', at);
    return json.substr(open + 1, json.find(']', open) - open - 1);
}

std::vector<std::string> ObjectsOf(const std::string& list)
{
    std::vector<std::string> objects;
    for (size_t open = list.find('{'); open != std::string::npos; open = list.find('{', open + 1))
        objects.push_back(list.substr(open, list.find('}', open) - open + 1));
    return objects;
}

TracedImage ReadManifest(const std::string& imagePath, const std::string& manifestPath)
{
    std::ifstream in(manifestPath);
    std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TracedImage image;
    image.path = imagePath;
    if (std::string sectors = FieldOf(json, "sectors"); !sectors.empty())
        image.sectors = std::stoull(sectors);
    for (const std::string& f : ObjectsOf(ListOf(json, "files")))
        image.files.push_back({std::stoull(FieldOf(f, "sector")), FieldOf(f, "kind"), FieldOf(f, "named")});
    for (const std::string& l : ObjectsOf(ListOf(json, "lost")))
        if (FieldOf(l, "kind") == "jpg")
            image.lostSectors.push_back(std::stoull(FieldOf(l, "sector")));
    std::string bad = ListOf(json, "bad_sectors");
    for (size_t at = bad.find_first_of("0123456789"); at != std::string::npos;) {
        size_t end = bad.find_first_not_of("0123456789", at);
        image.badSectors.push_back(std::stoull(bad.substr(at, end - at)));
        at = bad.find_first_of("0123456789", end == std::string::npos ? bad.size() : end);
    }
    return image;
}

// Records what the worker shows; the tree hands out flagged handles.
class RecordingUi final : public IEngineUi {
public:
    struct Item {
        DWORD parent;
        std::u16string text;
    };
    void ShowMessage(const WCHAR* text, EngineMessageKind kind) override
    {
        std::lock_guard<std::mutex> hold(lock);
        messages.push_back({std::u16string(text), kind});
    }
    bool AskYesNo(const WCHAR*) override { return false; }
    void SetProgress(UINT percent) override
    {
        std::lock_guard<std::mutex> hold(lock);
        progress.push_back(percent);
    }
    void SetStatusText(EngineStatusField, const WCHAR*) override {}
    void SetCounter(EngineCounter counter, ULONGLONG value) override
    {
        std::lock_guard<std::mutex> hold(lock);
        counters[counter] = value;
    }
    void AddDriveItem(const WCHAR*, DWORD) override {}
    DWORD InsertFolderItem(DWORD parent, const WCHAR* text, BOOL) override
    {
        std::lock_guard<std::mutex> hold(lock);
        items.push_back({parent, text});
        return FOUND_TREE_ITEM_FLAG | static_cast<DWORD>(items.size());
    }
    void SetFolderItemColor(DWORD, COLORREF) override {}
    void ExpandFolderItem(DWORD) override {}
    void ClearFileRows() override
    {
        std::lock_guard<std::mutex> hold(lock);
        rows.clear();
    }
    void AddFileRow(const FoundFileRow& row) override
    {
        std::lock_guard<std::mutex> hold(lock);
        rows.push_back(row.Name);
    }

    std::u16string ItemText(DWORD handle) const { return items.at((handle & ~FOUND_TREE_ITEM_FLAG) - 1).text; }

    std::mutex lock;
    std::vector<std::pair<std::u16string, EngineMessageKind>> messages;
    std::vector<UINT> progress;
    std::map<EngineCounter, ULONGLONG> counters;
    std::vector<Item> items;
    std::vector<std::u16string> rows;
};

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class FileTracingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string folder = testsupport::ScratchDir();
        tracingtest::RunPython("tests/fixtures/make_traced_image.py",
                               "'" + folder + "/traced.img' '" + folder + "/traced.json'");
        image_ = new TracedImage(ReadManifest(folder + "/traced.img", folder + "/traced.json"));
        auto raw = tracingtest::ReadWholeFile(tracingtest::MakeRawDat(folder));
        records_ = new std::vector<SignatureDefinition>;
        ParseSignatureFile(raw.data(), raw.size(), *records_);
    }
    static void TearDownTestSuite()
    {
        delete image_;
        delete records_;
    }

    void SetUp() override
    {
        ASSERT_FALSE(image_->files.empty());
        setenv("DOVEMARK_DISKS", image_->path.c_str(), 1);
        SetEngineUi(&ui_);
        DriveKind = 1;
        DriveNumber = 0;
        ASSERT_NE(OpenPhysicalDrive(), INVALID_HANDLE_VALUE);
        PartitionParams = {};
        PartitionParams.PartitionFsType = FS_KIND_FAT16;
        PartitionParams.StartSector = 0;
        PartitionParams.SectorCount = static_cast<DWORD>(image_->sectors);
        PartitionParams.BackupSector = static_cast<DWORD>(image_->sectors);
        ShowScanDetails = 1;
    }

    void TearDown() override
    {
        dovemark::device_hooks::ClearUnreadableSectors();
        FreeTracedFiles();
        FreeTracedFolders();
        SetEngineUi(nullptr);
        unsetenv("DOVEMARK_DISKS");
    }

    // The signature list as the file-type dialog builds it for these extensions.
    static void ChooseTypes(const std::vector<std::string>& extensions)
    {
        FreeTracedFolders();
        for (const SignatureDefinition* record : SignaturesInTreeOrder(*records_, extensions)) {
            std::string hex = BytesToHexText(record->signature.data(), record->signature.size(), true);
            AddTracedFolder(tracingtest::FromCodePage936(record->extension).c_str(),
                            tracingtest::FromCodePage936(record->typeText).c_str(), SignatureLengthValue(*record),
                            hex.c_str(), SignatureFifthValue(*record));
        }
    }

    static void ChooseAllTypes()
    {
        std::vector<std::string> all;
        for (const auto& record : *records_)
            all.push_back(record.extension);
        ChooseTypes(all);
    }

    static std::vector<TracedFileRecord*> Traced()
    {
        std::vector<TracedFileRecord*> out;
        for (TracedFileRecord* r = TracedFileHead; r; r = r->Next)
            out.push_back(r);
        return out;
    }

    static std::u16string TypeTextOf(const std::string& extension)
    {
        for (const auto& record : *records_)
            if (record.extension == extension)
                return tracingtest::FromCodePage936(record.typeText);
        return {};
    }

    int RunWorker()
    {
        BeginScanRun();
        return FileTracingThread();
    }

    static TracedImage* image_;
    static std::vector<SignatureDefinition>* records_;
    RecordingUi ui_;
};
TracedImage* FileTracingTest::image_ = nullptr;
std::vector<SignatureDefinition>* FileTracingTest::records_ = nullptr;

TEST_F(FileTracingTest, EveryPlantedFileIsNamedNumberedAndGrouped)
{
    ChooseAllTypes();
    ASSERT_EQ(RunWorker(), 1);
    EXPECT_TRUE(IsWorkerFinished());
    EXPECT_FALSE(WorkerFailed());

    // The planted files in disk order, then the JPEG that another test makes unreadable.
    auto traced = Traced();
    ASSERT_EQ(traced.size(), image_->files.size() + 1);
    EXPECT_EQ(traced.back()->StartSector, image_->lostSectors[0]);
    EXPECT_EQ(std::u16string(traced.back()->Extension), u".jpg");
    for (size_t i = 0; i < image_->files.size(); ++i) {
        const PlantedFile& planted = image_->files[i];
        SCOPED_TRACE(planted.kind);
        EXPECT_EQ(traced[i]->StartSector, planted.sector);
        EXPECT_EQ(traced[i]->FileNumber, i + 1);
        EXPECT_EQ(std::u16string(traced[i]->Name), Wide(std::to_string(i + 1) + planted.named));
        EXPECT_EQ(std::u16string(traced[i]->Extension), Wide(planted.named));
        EXPECT_EQ(std::u16string(traced[i]->TypeText), TypeTextOf(planted.named));
    }
    EXPECT_EQ(FoundFileCount, traced.size());
    EXPECT_EQ(FoundFolderCount, FoundFileCount);

    // Root, then one group per file-type text holding the extensions found under it; one list row per group.
    ASSERT_FALSE(ui_.items.empty());
    EXPECT_EQ(ui_.items[0].text, u"Root");
    std::map<std::u16string, std::vector<std::u16string>> groups;
    for (const auto& item : ui_.items)
        if (item.parent != FOUND_TREE_ROOT && ui_.ItemText(item.parent) != u"Root")
            groups[ui_.ItemText(item.parent)].push_back(item.text);
    EXPECT_EQ(groups[TypeTextOf(".jpg")], (std::vector<std::u16string>{u".jpg"}));
    // Each compound document under its own type, the one without an AppName under Publisher's.
    for (const char* extension : {".doc", ".xls", ".ppt", ".pub"})
        EXPECT_EQ(groups[TypeTextOf(extension)], (std::vector<std::u16string>{Wide(extension)})) << extension;
    // Types sharing a signature with one tried before them are found as that one.
    EXPECT_EQ(groups.count(TypeTextOf(".avi")), 0u);
    EXPECT_EQ(ui_.rows.size(), groups.size());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(ui_.counters[ENGINE_COUNT_UNREADABLE_SECTORS], 0u);
    for (UINT percent : ui_.progress)
        EXPECT_LE(percent, 99u);
}

TEST_F(FileTracingTest, CompoundDocumentsAreSplitOnlyIntoChosenTypes)
{
    const struct {
        std::vector<std::string> chosen;
        std::map<std::string, std::string> named;  // planted kind -> extension
    } cases[] = {
        {{".doc", ".xls", ".ppt", ".pub"},
         {{"doc", ".doc"}, {"xls", ".xls"}, {"ppt", ".ppt"}, {"pub", ".pub"}, {"doc-noappname", ".pub"}}},
        {{".jpg", ".doc", ".xls"},
         {{"doc", ".doc"}, {"xls", ".xls"}, {"ppt", ".doc"}, {"pub", ".doc"}, {"doc-noappname", ".doc"}}},
        {{".doc"}, {{"doc", ".doc"}, {"xls", ".doc"}, {"ppt", ".doc"}, {"pub", ".doc"}, {"doc-noappname", ".doc"}}},
    };
    for (const auto& c : cases) {
        ChooseTypes(c.chosen);
        ASSERT_EQ(RunWorker(), 1);
        std::map<ULONGLONG, std::u16string> bySector;
        for (TracedFileRecord* r : Traced())
            bySector[r->StartSector] = r->Extension;
        for (const auto& [kind, extension] : c.named) {
            auto planted = std::find_if(image_->files.begin(), image_->files.end(),
                                        [&](const PlantedFile& f) { return f.kind == kind; });
            ASSERT_NE(planted, image_->files.end());
            EXPECT_EQ(bySector[planted->sector], Wide(extension)) << kind << " with " << c.chosen.size() << " types";
        }
        // The numbering starts again at 1 for each scan.
        ASSERT_FALSE(Traced().empty());
        EXPECT_EQ(Traced().front()->FileNumber, 1u);
    }
}

TEST_F(FileTracingTest, UnreadableSectorsAreSkippedAndReported)
{
    ASSERT_FALSE(image_->badSectors.empty());
    ASSERT_EQ(image_->lostSectors.size(), 1u);
    dovemark::device_hooks::SetUnreadableSectors(image_->path, image_->badSectors);
    ChooseAllTypes();
    ASSERT_EQ(RunWorker(), 1);

    // Every file before and after the bad sectors is found; the JPEG whose first sector cannot be read is not,
    // and nothing is made up from the zeros delivered for unreadable sectors.
    auto traced = Traced();
    ASSERT_EQ(traced.size(), image_->files.size());
    for (size_t i = 0; i < traced.size(); ++i)
        EXPECT_EQ(traced[i]->StartSector, image_->files[i].sector);
    EXPECT_EQ(ui_.counters[ENGINE_COUNT_UNREADABLE_SECTORS], image_->badSectors.size());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].second, ENGINE_MSG_INFO);
    EXPECT_NE(ui_.messages[0].first.find(Wide(std::to_string(image_->badSectors.size()))), std::u16string::npos);
}

TEST_F(FileTracingTest, StopAndPauseAreHonouredAtThePollPoints)
{
    ChooseAllTypes();
    // Stop requested before the first poll: the result is built from nothing, and the run ends as finished.
    BeginScanRun();
    RequestScanStop();
    EXPECT_EQ(FileTracingThread(), 1);
    EXPECT_TRUE(Traced().empty());
    EXPECT_TRUE(IsWorkerFinished());
    EXPECT_EQ(ui_.items.size(), 1u);  // Root

    // Paused: the worker waits at its poll point until resumed.
    BeginScanRun();
    RequestScanPause(true);
    std::thread worker([] { FileTracingThread(); });
    EXPECT_FALSE(WaitWorkerFinished(100));
    RequestScanPause(false);
    EXPECT_TRUE(WaitWorkerFinished(20000));
    worker.join();
    EXPECT_EQ(Traced().size(), image_->files.size() + 1);
}

// The starter sets the run flags and clears an earlier run's failure before its thread runs, so a good run after a
// failed one is not shown as failed.
TEST_F(FileTracingTest, StarterClearsAnEarlierFailureAndRunsToTheFinishedSignal)
{
    ChooseTypes({".jpg"});
    ScanFailedFlag = 1;
    StartFileTracing();
    EXPECT_EQ(ScanFailedFlag, 0u);
    ASSERT_TRUE(WaitWorkerFinished(60000));
    EXPECT_FALSE(WorkerFailed());
    EXPECT_EQ(ScanRunning, 0);
    EXPECT_EQ(Traced().size(), 2u);
}

TEST_F(FileTracingTest, LogicalVolumeIsOpenedAgainOrTheRunFailsWithAMessage)
{
    // The image is one FAT16 volume without a partition table, so the layer letters it C:.
    const struct {
        const char16_t* root;
        bool opens;
    } cases[] = {{u"C:\\", true}, {u"Q:\\", false}};
    for (const auto& c : cases) {
        LogicalDriveTable = {};
        LogicalDriveTable.Count = 1;
        std::u16string root(c.root);
        std::copy(root.begin(), root.end(), LogicalDriveTable.RootText[0]);
        DriveKind = 2;
        PartitionParams.LogicalDriveIndex = 0;
        ui_.messages.clear();
        ChooseTypes({".jpg"});
        EXPECT_EQ(RunWorker(), c.opens ? 1 : 0);
        EXPECT_TRUE(IsWorkerFinished());
        EXPECT_EQ(WorkerFailed(), !c.opens);
        if (c.opens) {
            EXPECT_EQ(Traced().size(), 2u);  // the planted JPEG and the one another test makes unreadable
            EXPECT_TRUE(ui_.messages.empty());
        } else {
            ASSERT_EQ(ui_.messages.size(), 1u);
            EXPECT_EQ(ui_.messages[0].first, u"无法打开所选的驱动器。");
        }
    }
    DriveKind = 1;
    LogicalDriveTable = {};
}

TEST_F(FileTracingTest, VolumeWithoutLayoutEndsAsAFailedRun)
{
    // An NTFS kind on a volume whose boot sector is not NTFS: no layout is guessed, the user is told.
    PartitionParams.PartitionFsType = FS_KIND_NTFS;
    ChooseAllTypes();
    EXPECT_EQ(RunWorker(), 0);
    EXPECT_TRUE(IsWorkerFinished());
    EXPECT_TRUE(WorkerFailed());
    EXPECT_EQ(ScanFailedFlag, 1u);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].second, ENGINE_MSG_ERROR);
    EXPECT_NE(ui_.messages[0].first.find(u"无法找到正确的分区参数"), std::u16string::npos);
    EXPECT_TRUE(Traced().empty());
}

} // namespace
