// The file-tracing worker: volume checks, the signature sweep bound to the sector reader, naming and the result.
#include "engine/file_tracing.h"
#include "engine/folder_tree_build.h"

#include "engine/compound_file.h"
#include "engine/engine_state.h"
#include "engine/fat_boot.h"
#include "engine/scan_flags.h"
#include "engine/scan_control.h"
#include "engine/sector_reader.h"
#include "afx/thread.h"
#include "engine/ui_port.h"
#include "win32/kernel.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Documents are told apart from their first 1 MiB, read in chunks of 128 sectors.
constexpr DWORD kOfficeProbeSectors = 2048;
constexpr DWORD kOfficeProbeChunk = 128;

std::u16string Number(ULONGLONG value)
{
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value);
    return text;
}

char16_t FoldCase(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool SameText(const WCHAR* a, const WCHAR* b)
{
    if (!a || !b)
        return a == b;
    for (; *a && *b; ++a, ++b)
        if (FoldCase(*a) != FoldCase(*b))
            return false;
    return *a == *b;
}

std::u16string Blanks(size_t n) { return std::u16string(n, u' '); }

// The first 1 MiB of the documents found one after another. A document that starts inside the bytes read for the
// one before takes them over, so a run of documents close together (or of sectors that only look like documents)
// is not read 2048 times over.
class OfficeProbe {
public:
    const WCHAR* Guess(ULONGLONG sector)
    {
        const ULONGLONG deviceSectors = SelectedDeviceSectors();
        DWORD available = kOfficeProbeSectors;
        if (deviceSectors)
            available = static_cast<DWORD>(
                std::min<ULONGLONG>(kOfficeProbeSectors, deviceSectors > sector ? deviceSectors - sector : 0));
        DWORD kept = 0;
        if (sector >= start_ && sector < start_ + count_) {
            const DWORD skip = static_cast<DWORD>(sector - start_);
            kept = std::min(count_ - skip, available);
            std::memmove(document_.data(), document_.data() + static_cast<size_t>(skip) * SECTOR_SIZE,
                         static_cast<size_t>(kept) * SECTOR_SIZE);
        }
        // Sectors that cannot be read arrive as zeros, which the reader takes as a document without a readable
        // AppName.
        for (DWORD done = kept; done < available; done += kOfficeProbeChunk) {
            const DWORD count = std::min(kOfficeProbeChunk, available - done);
            ReadSectors(SelectedDevicePath(), sector + done, count,
                        document_.data() + static_cast<size_t>(done) * SECTOR_SIZE);
        }
        start_ = sector;
        count_ = available;
        return OfficeExtensionForAppName(
            ReadSummaryAppName(document_.data(), static_cast<size_t>(available) * SECTOR_SIZE));
    }

private:
    std::vector<BYTE> document_ = std::vector<BYTE>(static_cast<size_t>(kOfficeProbeSectors) * SECTOR_SIZE, 0);
    ULONGLONG start_ = 0;
    DWORD count_ = 0;
};

class TracingSink final : public TraceSweepSink {
public:
    TracingSink(const std::vector<TracedRecord*>& nodes, ULONGLONG end) : nodes_(nodes), end_(end) {}

    void ReadRun(uint64_t first, uint32_t count, uint8_t* buffer, std::vector<bool>& unread) override
    {
        SectorReadOutcome outcome;
        ReadSectors(SelectedDevicePath(), first, count, buffer, &outcome);
        for (uint32_t i = 0; i < count; ++i)
            unread[i] = outcome.IsUnread(i);
    }

    // A stop is seen at every sector; a pause is waited for once per run of 64 sectors, so the sweep does not
    // take the run-control lock for every sector.
    bool ShouldStop() override
    {
        if (ScanStopFlag)
            return true;
        if (polls_++ % kTraceRunSectors == 0)
            return ScanPollPoint();
        return false;
    }

    void RunStarting(uint64_t first, uint64_t) override
    {
        if (!ShowScanDetails)
            return;
        IEngineUi& ui = EngineUi();
        ui.SetStatusText(ENGINE_STATUS_SECTOR, Number(first).c_str());
        ui.SetCounter(ENGINE_COUNT_FOLDERS, 0);
        std::u16string status = u"读取扇区" + Blanks(7) + Number(first) + u" Of " + Number(end_);
        ui.SetStatusText(ENGINE_STATUS_MAIN, status.c_str());
    }

    void SectorStarting(uint64_t done) override
    {
        if (fileNumber_ % 10 != 0)
            return;
        UINT percent = end_ ? static_cast<UINT>(std::min<ULONGLONG>(99, done * 100 / end_)) : 0;
        // The bar is written when its position changes, not for every sector.
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            EngineUi().SetProgress(percent);
        }
    }

    void SectorMatched(uint64_t sector, int id) override
    {
        const TracedRecord* node = nodes_[static_cast<size_t>(id)];
        ++fileNumber_;
        const WCHAR* extension = node->Extension;
        const WCHAR* typeText = node->TypeText;
        if (SameText(extension, u".doc")) {
            // A workbook found by the shared compound-file signature is named and grouped as the workbook type
            // it is, not under the document type whose signature happened to match first.
            const WCHAR* guess = office_.Guess(sector);
            for (const TracedRecord* other : nodes_)
                if (SameText(other->Extension, guess)) {
                    extension = guess;
                    typeText = other->TypeText;
                    break;
                }
        }
        IEngineUi& ui = EngineUi();
        if (ShowScanDetails)
            ui.SetCounter(ENGINE_COUNT_FILES, fileNumber_);
        std::u16string name = Number(fileNumber_) + (extension ? extension : u"");
        AddTracedFile(name.c_str(), extension, typeText, fileNumber_, static_cast<DWORD>(sector));
        if (ShowScanDetails)
            ui.SetStatusText(ENGINE_STATUS_NAME, name.c_str());
        FoundFileCount += 1;
        FoundFolderCount = FoundFileCount;
    }

private:
    const std::vector<TracedRecord*>& nodes_;
    ULONGLONG end_;
    OfficeProbe office_;
    DWORD fileNumber_ = 0;
    UINT lastPercent_ = ~0u;
    uint64_t polls_ = 0;
};

void ReportUnreadable(const TraceSweepResult& result)
{
    IEngineUi& ui = EngineUi();
    ui.SetCounter(ENGINE_COUNT_UNREADABLE_SECTORS, result.unreadCount);
    if (result.unreadCount == 0)
        return;
    std::u16string text = u"有 " + Number(result.unreadCount) + u" 个扇区无法读取，已跳过（第一个是扇区 " +
                          Number(result.unreadSectors.front()) + u"）。这些扇区中的文件没有被找到。";
    ui.ShowMessage(text.c_str(), ENGINE_MSG_INFO);
}

int FailRun(const std::u16string& message)
{
    ScanFailedFlag = 1;
    if (!message.empty())
        EngineUi().ShowMessage(message.c_str(), ENGINE_MSG_ERROR);
    MarkWorkerFinished(true);
    return 0;
}

} // namespace

// Root, one folder per file-type text with the extensions found under it, and one list row per file type.
void BuildTracedResult()
{
    IEngineUi& ui = EngineUi();
    std::u16string status = u"正在创建目录树，请稍候" + Blanks(3);
    ui.SetStatusText(ENGINE_STATUS_MAIN, status.c_str());
    TreeItemCount = 0;
    DWORD root = InsertFoundTreeRoot();

    struct Group {
        const WCHAR* typeText;
        DWORD item;
        std::vector<const WCHAR*> extensions;
    };
    std::vector<Group> groups;
    for (TracedFileRecord* record = TracedFileHead; record; record = record->Next) {
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const Group& g) { return SameText(g.typeText, record->TypeText); });
        if (group == groups.end())
            group = groups.insert(groups.end(),
                                  Group{record->TypeText, ui.InsertFolderItem(root, record->TypeText, FALSE), {}});
        bool known = std::any_of(group->extensions.begin(), group->extensions.end(),
                                 [&](const WCHAR* e) { return SameText(e, record->Extension); });
        if (!known) {
            group->extensions.push_back(record->Extension);
            ui.InsertFolderItem(group->item, record->Extension, FALSE);
            TreeItemCount += 1;
        }
    }
    ui.ExpandFolderItem(root);

    ui.ClearFileRows();
    for (const Group& group : groups)
        ui.AddFileRow(FoundFileRow{group.typeText, TRUE, FALSE, 0, 0, group.item});
}

const WCHAR* GuessOfficeExtension(ULONGLONG sector)
{
    return OfficeProbe().Guess(sector);
}

TraceSweepResult TraceFiles()
{
    FreeTracedFiles();
    // The counters follow the list, which has just been emptied.
    FoundFileCount = 0;
    FoundFolderCount = 0;

    std::vector<TracedRecord*> nodes;
    SignatureMatcher matcher;
    for (TracedRecord* node = SignatureHead; node; node = node->Next) {
        matcher.Add(node->SignatureLength, node->Signature, static_cast<int>(nodes.size()));
        nodes.push_back(node);
    }

    const ULONGLONG start = PartitionParams.StartSector;
    const ULONGLONG end = PartitionParams.BackupSector;
    TracingSink sink(nodes, end);
    // Without a length from the device the range itself is the bound; sectors past a shorter device then fail to
    // read and are reported, rather than the scan quietly testing nothing.
    ULONGLONG deviceSectors = SelectedDeviceSectors();
    if (deviceSectors == 0)
        deviceSectors = end + 1;
    TraceSweepResult result = SweepSignatures(start, end, deviceSectors, matcher, sink);

    ReportUnreadable(result);
    BuildTracedResult();
    return result;
}

void StartFileTracing()
{
    BeginScanRun();
    ScanFailedFlag = 0;
    ScanThread = AfxBeginThread([](LPVOID) -> UINT { return UINT(FileTracingThread()); }, nullptr);
    // Without a worker nobody would ever give the finished signal the page waits for.
    if (!ScanThread)
        FailRun(u"");
}

int FileTracingThread()
{
    IEngineUi& ui = EngineUi();
    ScanFailedFlag = 0;
    if (DriveKind == 2 && !OpenLogicalVolume(PartitionParams.LogicalDriveIndex))
        return FailRun(u"无法打开所选的驱动器。");
    if (DriveKind != 2 && (!PhysicalDriveHandle || PhysicalDriveHandle == INVALID_HANDLE_VALUE))
        return FailRun(u"无法打开所选的驱动器。");

    if (!ReadBootParameters()) {
        std::u16string status = u"分区参数计算，请稍候..." + Blanks(25);
        ui.SetStatusText(ENGINE_STATUS_MAIN, status.c_str());
        // The layout can be computed for FAT only; an NTFS volume whose boot sectors are gone is not guessed at.
        bool computed = (PartitionParams.PartitionFsType == FS_KIND_FAT16 ||
                         PartitionParams.PartitionFsType == FS_KIND_FAT32) && ComputeFatParameters();
        if (!computed) {
            if (ScanStopFlag)
                return FailRun(u"");
            return FailRun(u"Dovemark 无法找到正确的分区参数。 \r\n请返回进行恢复的第一步，并选择“全面扫描”模式偿试再次恢复。 \r\n" +
                           Blanks(35));
        }
    }

    ui.SetCounter(ENGINE_COUNT_FOLDERS, 0);
    ui.SetCounter(ENGINE_COUNT_FILES, 0);
    std::u16string status = u"正在搜索数据，请稍候..." + Blanks(11);
    ui.SetStatusText(ENGINE_STATUS_MAIN, status.c_str());
    TraceFiles();
    MarkWorkerFinished(false);
    return 1;
}
