// The recovery writer on scanned fixture volumes: contents, times, modes, crafted names and tallies.
#include "engine/recovery_writer.h"
#include "attached_disk.h"
#include "crafted.h"
#include "scan_results.h"
#include "sha256.h"
#include "support/fixture_images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <sys/stat.h>

namespace {
namespace fs = std::filesystem;
using testsupport::FixtureEntry;

std::string Utf8(const std::u16string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Seconds east of UTC now, the offset FAT's local times are taken in.
LONGLONG LocalOffsetSeconds()
{
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return local.tm_gmtoff;
}

// A file's last-write and creation times in whole seconds of FILETIME, as the layer reads them back.
struct SecondsSeen {
    LONGLONG Written = 0, Created = 0;
};
SecondsSeen TimesOf(const std::u16string& path)
{
    SecondsSeen seen;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    FILETIME created{}, accessed{}, written{};
    if (h != INVALID_HANDLE_VALUE && GetFileTime(h, &created, &accessed, &written)) {
        seen.Written = LONGLONG((ULONGLONG(written.dwHighDateTime) << 32 | written.dwLowDateTime) / 10000000);
        seen.Created = LONGLONG((ULONGLONG(created.dwHighDateTime) << 32 | created.dwLowDateTime) / 10000000);
    }
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return seen;
}

LONGLONG FixtureSeconds(const std::string& text) { return LONGLONG(testsupport::FixtureTimeToFileTime(text) / 10000000); }

// Sets TZ for a scope and puts the one before back.
class TimeZone {
public:
    explicit TimeZone(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~TimeZone()
    {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

std::string FreshFolder(const std::string& name)
{
    const std::string dir = testsupport::ScratchDir() + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void RecoverRoot(const std::string& dest, bool ntfs)
{
    ResetSaveTally();
    SaveStopFlag = 0;
    if (ntfs)
        RecoverNtfsFolder(0, kNtfsRootRecord, Wide(dest).c_str(), u"out");
    else
        RecoverFatFolder(0, 0, Wide(dest).c_str(), u"out");
}

struct WriteCase {
    const char* image;
    int volume;
};
class RecoverVolume : public ::testing::TestWithParam<WriteCase> {};

// Every intact file comes out byte-exact with its time; the tally counts what happened.
TEST_P(RecoverVolume, WritesEveryIntactFileByteExact)
{
    DOVEMARK_REQUIRE_FIXTURE(img, GetParam().image);
    const int vol = GetParam().volume;
    AttachedDisks disks({img.path});
    RecordingUi ui;
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(vol)));
    const bool ntfs = img.volumes[vol].fs == "NTFS";
    ResetRecoverySettings();
    FileTypeFilterCount = 0;
    const std::string dest = FreshFolder("recover");
    RecoverRoot(dest, ntfs);

    int checked = 0;
    std::set<std::string> flags;
    for (const FixtureEntry* e : img.EntriesOf(vol)) {
        if (e->is_dir || !e->intact || e->Has("cyclic") || e->Has("badname") || e->Has("formatted"))
            continue;
        // Only an empty file has no first cluster: it comes out as an empty file.
        if (!ntfs && (scanresults::InsideDeletedFolder(img, *e) || (e->first_cluster < 2 && e->size != 0)))
            continue;
        // A deleted FAT file keeps no chain: a fragmented one is read as contiguous and comes out wrong.
        if (!ntfs && e->deleted && e->Has("fragmented"))
            continue;
        const std::string path = dest + "/out/" + Utf8(scanresults::ExpectedPath(img, *e, ntfs));
        ASSERT_TRUE(fs::exists(path)) << e->path;
        EXPECT_EQ(fs::file_size(path), e->size) << e->path;
        EXPECT_EQ(testsha::FileSha256(path), e->sha256) << e->path;
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        const ULONGLONG mtime = ULONGLONG(st.st_mtime) * 10000000ULL + 116444736000000000ULL;
        if (ntfs) {
            EXPECT_EQ(mtime / 10000000, testsupport::FixtureTimeToFileTime(e->modified) / 10000000) << e->path;
        } else if (!e->modified.empty()) {
            // The entry's local times, to the second: the last write, and the creation where the entry has one.
            const SecondsSeen seen = TimesOf(Wide(dest) + u"/out/" + scanresults::ExpectedPath(img, *e, ntfs));
            EXPECT_EQ(seen.Written + LocalOffsetSeconds(), FixtureSeconds(e->modified)) << e->path;
            EXPECT_EQ(seen.Created + LocalOffsetSeconds(), FixtureSeconds(e->created.empty() ? e->modified : e->created))
                << e->path;
        }
        flags.insert(e->flags.begin(), e->flags.end());
        ++checked;
    }
    EXPECT_GT(checked, 5);
    EXPECT_EQ(SaveTally.Skipped, 0u);
    EXPECT_GE(SaveTally.Written, DWORD(checked));
    if (ntfs) {
        for (const char* f : {"sparse", "compressed", "attrlist", "fragmented", "resident"})
            EXPECT_EQ(flags.count(f), 1u) << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Volumes, RecoverVolume,
                         ::testing::Values(WriteCase{"fat16_16m", 0}, WriteCase{"fat32", 0}, WriteCase{"ntfs", 0}));

// FAT times are the entry's local time, converted with the present offset from UTC; the creation time keeps its
// hundredths. Words that hold no time leave what they cannot tell: a creation as the last write, a write time as the
// present time of day (results that kept only dates), an impossible date the file as it was written.
TEST(RecoveryWriter, FatTimesAreTheEntrysLocalTime)
{
    constexpr WORD kDate = (35 << 9) | (3 << 5) | 4;   // 2015-03-04
    constexpr WORD kTime = (5 << 11) | (6 << 5) | 4;   // 05:06:08
    constexpr WORD kCreated = (1 << 11) | (2 << 5) | 3; // 01:02:06, 07 with 150 hundredths
    const struct {
        const char* tz;
        WORD date, time, creationDate, creationTime;
        BYTE hundredths;
        const char* written; // UTC; empty: the date at the present time of day; null: left as written
        const char* created; // UTC; null: as written
    } cases[] = {
        {"UTC0", kDate, kTime, kDate, kCreated, 150, "2015-03-04T05:06:08", "2015-03-04T01:02:07"},
        {"CST-8", kDate, kTime, kDate, kCreated, 150, "2015-03-03T21:06:08", "2015-03-03T17:02:07"},
        {"EST5", kDate, kTime, kDate, kCreated, 0, "2015-03-04T10:06:08", "2015-03-04T06:02:06"},
        {"CST-8", kDate, kTime, 0, 0, 0, "2015-03-03T21:06:08", "2015-03-03T21:06:08"},
        {"UTC0", kDate, kTime, (35 << 9) | (13 << 5) | 1, kCreated, 0, "2015-03-04T05:06:08", "2015-03-04T05:06:08"},
        {"UTC0", kDate, (24 << 11), kDate, kCreated, 0, "", "2015-03-04T01:02:06"},
        {"CST-8", kDate, kFatTimeUnknown, 0, 0, 0, "", nullptr},
        {"UTC0", 0, kTime, kDate, kCreated, 0, nullptr, nullptr},
    };
    const std::string path = FreshFolder("fat_times") + "/f.bin";
    for (const auto& c : cases) {
        const std::string what = std::string(c.tz) + " " + std::to_string(c.time);
        std::ofstream(path) << "x";
        const SecondsSeen before = TimesOf(Wide(path));
        TimeZone zone(c.tz);
        FatEntryRecord record{};
        record.WriteDate = c.date;
        record.WriteTime = c.time;
        record.CreationDate = c.creationDate;
        record.CreationTime = c.creationTime;
        record.CreationTenths = c.hundredths;
        SetFatRecoveryTimes(record);
        RestoreFatFileTimes(Wide(path).c_str());
        const SecondsSeen seen = TimesOf(Wide(path));
        if (!c.written) {
            EXPECT_EQ(seen.Written, before.Written) << what;
        } else if (*c.written == 0) {
            const LONGLONG now = LONGLONG(time(nullptr)) + 11644473600LL;
            EXPECT_EQ(seen.Written / 86400, FixtureSeconds("2015-03-04") / 86400) << what;
            EXPECT_NEAR(double(seen.Written % 86400), double(now % 86400), 120.0) << what;
            EXPECT_EQ(seen.Created, c.created ? FixtureSeconds(c.created) : seen.Written) << what;
        } else {
            EXPECT_EQ(seen.Written, FixtureSeconds(c.written)) << what;
            EXPECT_EQ(seen.Created, FixtureSeconds(c.created)) << what;
        }
    }
}

// Crafted names never leave the destination; damaged chains and records are not reported as written.
TEST(RecoveryWriter, HostileVolumesStayInsideTheDestination)
{
    for (const char* kind : {"damaged_fat", "damaged_ntfs"}) {
        DOVEMARK_REQUIRE_FIXTURE(img, kind);
        AttachedDisks disks({img.path});
        RecordingUi ui;
        for (size_t v = 0; v < img.volumes.size(); ++v) {
            ASSERT_TRUE(scanresults::QuickScan(img.volumes[v])) << kind;
            const std::string parent = FreshFolder("hostile");
            const std::string dest = parent + "/dest";
            fs::create_directories(dest);
            RecoverRoot(dest, img.volumes[v].fs == "NTFS");
            for (const auto& entry : fs::directory_iterator(parent))
                EXPECT_EQ(entry.path().filename(), "dest") << kind;
            EXPECT_GT(SaveTally.Written, 0u) << kind;
            if (img.volumes[v].fs == "NTFS") {
                EXPECT_GT(SaveTally.Failed, 0u) << kind; // the truncated and past-the-disk records
            }
        }
    }
}

std::u16string Repeat(const std::u16string& piece, int times)
{
    std::u16string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(RecoveryWriter, NameComponentsAreMadeSafe)
{
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"..", u"_"}, {u".", u"_"}, {u"", u"_"}, {u"../../escape.txt", u".._.._escape.txt"},
        {u"a\\b", u"a_b"}, {u"tab\there", u"tab_here"}, {u"...", u"..."}, {u"报告.doc", u"报告.doc"},
        // Halves of a surrogate pair have no UTF-8 form; whole pairs stay.
        {u"a\xD800" u"b", u"a\xFFFD" u"b"}, {u"\xDC00", u"\xFFFD"}, {u"\xD83D\xDE00.png", u"\xD83D\xDE00.png"},
        // Past 255 bytes of UTF-8 a name is cut on a character boundary and keeps its extension.
        {std::u16string(90, u'报') + u".txt", std::u16string(83, u'报') + u".txt"},
        {std::u16string(300, u'a'), std::u16string(255, u'a')},
        {Repeat(u"\xD83D\xDE00", 64), Repeat(u"\xD83D\xDE00", 63)},
        {u"a." + std::u16string(300, u'x'), u"a." + std::u16string(253, u'x')},
    };
    for (const auto& [in, expected] : cases) {
        std::vector<WCHAR> out;
        SanitizeNameComponent(in.c_str(), &out);
        EXPECT_EQ(std::u16string(out.data()), expected) << Utf8(in);
    }
}

// Duplicate and deleted-file modes and the filter, on one FAT volume written twice.
TEST(RecoveryWriter, ModesAndFilter)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat16_16m");
    AttachedDisks disks({img.path});
    RecordingUi ui;
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
    int live = 0, dead = 0;
    for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
        (e->Deleted ? dead : live) += 1;
    ASSERT_GT(live, 0);
    ASSERT_GT(dead, 0);
    struct Case {
        const char* what;
        WORD duplicate;
        WORD deleted;
        const char16_t* filter;
        int secondWritten; // files written by the second run
        int secondSkipped;
    };
    const int all = live + dead;
    const Case cases[] = {
        {"duplicates renamed", 1, 1, nullptr, all, 0},
        {"duplicates overwritten", 2, 1, nullptr, all, 0},
        {"duplicates skipped", 3, 1, nullptr, 0, all},
        {"only deleted", 2, 2, nullptr, dead, live},
        {"no deleted", 2, 3, nullptr, live, dead},
    };
    for (const Case& c : cases) {
        const std::string dest = FreshFolder("modes");
        ResetRecoverySettings();
        FileTypeFilterCount = 0;
        RecoverRoot(dest, false);
        DuplicateFileMode = c.duplicate;
        DeletedFileMode = c.deleted;
        RecoverRoot(dest, false);
        EXPECT_EQ(int(SaveTally.Written + SaveTally.Failed), c.secondWritten) << c.what;
        EXPECT_EQ(int(SaveTally.Skipped), c.secondSkipped) << c.what;
        int copies = 0;
        for (const auto& p : fs::recursive_directory_iterator(dest))
            copies += p.path().filename().string().rfind("Copy (1 ) of ", 0) == 0;
        EXPECT_EQ(copies, c.duplicate == 1 ? all : 0) << c.what;
    }
    // The filter lets through the names it matches and nothing else.
    const std::string dest = FreshFolder("filter");
    ResetRecoverySettings();
    FileTypeFilterCount = 1;
    std::memcpy(FileTypeFilterTable[0], u"*.zzz", 12);
    RecoverRoot(dest, false);
    EXPECT_EQ(SaveTally.Written, 0u);
    EXPECT_EQ(int(SaveTally.Skipped), all);
    FileTypeFilterCount = 0;
}

// A file that cannot be created asks; "no" stops the run and nothing is counted as written.
TEST(RecoveryWriter, CreateFailureAsksAndNoStops)
{
    DOVEMARK_REQUIRE_FIXTURE(img, "fat16_16m");
    AttachedDisks disks({img.path});
    RecordingUi ui;
    ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0)));
    ResetRecoverySettings();
    const std::string dest = FreshFolder("blocked");
    ResetSaveTally();
    SaveStopFlag = 0;
    const std::u16string missing = Wide(dest) + u"/no/such/folder";
    FatEntryRecord* e = FatFileHead;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(RecoverFatFile(missing.c_str(), e->FileId, 1, e->StartCluster, e->Size, u"<b>x</b>", 0), 0);
    EXPECT_EQ(SaveStopFlag, 1u);
    EXPECT_EQ(SaveTally.Failed, 1u);
    ASSERT_FALSE(ui.Messages.empty());
    EXPECT_NE(ui.Messages.back().Text.find(u"&lt;b&gt;x&lt;_b&gt;"), std::u16string::npos);
    SaveStopFlag = 0;
}

// Writes one found file by its name into folder; 1 when written whole.
int WriteByName(bool ntfs, const std::u16string& folder, const std::u16string& name)
{
    if (ntfs) {
        for (FoundEntryNode* e = FoundEntryHead; e; e = e->Next)
            if (name == e->Name)
                return RecoverNtfsFile(folder.c_str(), e->Name, e->SizeLow, e->SizeHigh, e->RecordSector, 1, 0);
    } else {
        for (FatEntryRecord* e = FatFileHead; e; e = e->Next)
            if (name == e->Name)
                return RecoverFatFile(folder.c_str(), e->FileId, 1, e->StartCluster, e->Size, e->Name, 0);
    }
    ADD_FAILURE() << "no record " << Utf8(name);
    return -1;
}

// A file the destination cannot take whole (its name leads to a device that is always full) is removed and
// counted failed, and the run asks whether to go on; a file written before it stays.
TEST(RecoveryWriter, AFileTheDestinationCannotHoldIsRemovedAndAsked)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    for (const char* kind : {"fat16_16m", "ntfs"}) {
        DOVEMARK_REQUIRE_FIXTURE(img, kind);
        AttachedDisks disks({img.path});
        RecordingUi ui;
        ui.Answers = {true, false};
        ASSERT_TRUE(scanresults::QuickScan(img.volumes.at(0))) << kind;
        const bool ntfs = img.volumes[0].fs == "NTFS";
        ResetRecoverySettings();
        DuplicateFileMode = 2;
        FileTypeFilterCount = 0;
        ResetSaveTally();
        SaveStopFlag = 0;
        const std::string dest = FreshFolder("full");
        const std::string kept = dest + "/A long file name with spaces.document";
        EXPECT_EQ(WriteByName(ntfs, Wide(dest), u"A long file name with spaces.document"), 1) << kind;
        fs::create_symlink("/dev/full", dest + "/README.TXT");
        EXPECT_EQ(WriteByName(ntfs, Wide(dest), u"README.TXT"), 0) << kind;
        EXPECT_FALSE(fs::exists(fs::symlink_status(dest + "/README.TXT"))) << kind;
        EXPECT_EQ(SaveTally.Written, 1u) << kind;
        EXPECT_EQ(SaveTally.Failed, 1u) << kind;
        ASSERT_FALSE(ui.Messages.empty()) << kind;
        EXPECT_EQ(ui.Messages.back().Kind, ENGINE_MSG_QUESTION) << kind;
        EXPECT_NE(ui.Messages.back().Text.find(u"README.TXT"), std::u16string::npos) << kind;
        EXPECT_EQ(SaveStopFlag, 0u) << kind; // answered yes
        EXPECT_EQ(fs::file_size(kept), 5000u) << kind;
        // "no" stops the run.
        fs::create_symlink("/dev/full", dest + "/README.TXT");
        EXPECT_EQ(WriteByName(ntfs, Wide(dest), u"README.TXT"), 0) << kind;
        EXPECT_EQ(SaveStopFlag, 1u) << kind;
        SaveStopFlag = 0;
    }
}

TEST(RecoveryWriter, Lznt1)
{
    // One compressed chunk: "abc" literals then a back-reference copying 6 bytes from 3 back.
    // Token: offset 3 -> (3 - 1) << 12 at position 3, length 6 -> 6 - 3.
    const BYTE data[] = {0x05, 0xB0, 0x08, 'a', 'b', 'c', 0x03, 0x20, 0x00, 0x00};
    BYTE out[64] = {};
    size_t produced = 0;
    ASSERT_TRUE(DecompressLznt1(data, sizeof data, out, sizeof out, &produced));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), produced), "abcabcabc");
    const BYTE bad[] = {0x03, 0xB0, 0x01, 0x00, 0x10};
    EXPECT_FALSE(DecompressLznt1(bad, sizeof bad, out, sizeof out, &produced));
}

} // namespace

namespace {

// A traced file is TracedFileSize MiB of raw sectors from its start; the last chunk past the disk's
// end is zeros and the file is not counted as written whole.
TEST(RecoveryWriter, TracedFilesAreRawMegabytes)
{
    CraftedImage disk(4096 + 2048);
    std::vector<BYTE> pattern(2048 * SECTOR_SIZE);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = BYTE(i * 7 + i / 512);
    disk.Write(4096, pattern);
    AttachedDisks disks({disk.Path()});
    RecordingUi ui;
    FreeTracedFiles();
    AddTracedFile(u"1.jpg", u".jpg", u"JPEG", 1, 4096);
    AddTracedFile(u"2.jpg", u".jpg", u"JPEG", 2, 5120);
    ScanMode = 1;
    ResetRecoverySettings();
    FileTypeFilterCount = 0;
    TracedFileSize = 1;
    const std::string dest = FreshFolder("traced");
    std::memset(DestinationFolder, 0, sizeof DestinationFolder);
    const std::u16string wide = Wide(dest);
    std::copy(wide.begin(), wide.end(), DestinationFolder);
    ResetSaveTally();
    SaveStopFlag = 0;
    RecoverSelection({}, {1, 2});
    const std::vector<uint8_t> first(pattern.begin(), pattern.begin() + (1 << 20));
    EXPECT_EQ(testsha::FileSha256(dest + "/1.jpg"), testsha::Sha256(first));
    ASSERT_TRUE(fs::exists(dest + "/2.jpg"));
    EXPECT_EQ(fs::file_size(dest + "/2.jpg"), 1u << 20);
    EXPECT_EQ(SaveTally.Written, 1u);
    EXPECT_EQ(SaveTally.Failed, 1u); // its second half lies past the disk
    // With no size chosen (a tracing snapshot loaded first thing, or after the results were left) the file
    // takes the size the file-type dialog offers, 2 MiB, never none.
    TracedFileSize = 0;
    const std::string again = FreshFolder("traced-unsized");
    std::memset(DestinationFolder, 0, sizeof DestinationFolder);
    const std::u16string wideAgain = Wide(again);
    std::copy(wideAgain.begin(), wideAgain.end(), DestinationFolder);
    RecoverSelection({}, {1});
    ASSERT_TRUE(fs::exists(again + "/1.jpg"));
    EXPECT_EQ(fs::file_size(again + "/1.jpg"), 2u << 20);
    TracedFileSize = 1;
    FreeTracedFiles();
    ScanMode = 2;
}

} // namespace
