// The full scan's sector sweep: reads a range in runs and collects boot sectors, directory starts and NTFS records.
#include "engine/full_scan.h"

#include "afx/thread.h"
#include "engine/engine_state.h"
#include "engine/file_tracing.h"
#include "engine/ntfs_record.h"
#include "engine/scan_control.h"
#include "engine/scan_flags.h"
#include "engine/sector_reader.h"
#include "engine/ui_port.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr DWORD kRunsPerProgressUpdate = 88;

std::u16string Decimal(ULONGLONG value)
{
    std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

enum class SweepKind { Fat, Ntfs };

// Tests one sector of the FAT sweep; false when the sweep must stop (too many boot sectors). The tests run for
// every sector of the disk and nearly all of them hold nothing: the port is asked for only when there is news.
bool TestFatSector(const BYTE* s, DWORD n)
{
    if (s[510] == 0x55 && s[511] == 0xAA) {
        if ((s[0x55] == '3' && s[0x56] == '2') || (s[0x39] == '1' && s[0x3A] == '6')) {
            ++BootSectorCount;
            AddBootSectorNode(&BootSectorHead, n);
            if (BootSectorCount > kMaxFatBootSectors) {
                EngineUi().ShowMessage(u"找到太多的数据结构            ", ENGINE_MSG_ERROR);
                ScanStopFlag = 1;
                return false;
            }
        }
        if (ShowScanDetails)
            EngineUi().SetScanRow(1, BootSectorCount);
        return true;
    }
    if (s[0] == '.' && s[1] == ' ' && s[32] == '.' && s[33] == '.' && s[34] == ' ') {
        const DWORD dot = MakeDword(s[26], s[27], s[20], s[21]);
        const DWORD dotDot = MakeDword(s[58], s[59], s[52], s[53]);
        // Cluster 2 is a real directory start on FAT16 (the first folder made); FAT32's root there
        // has no "." entry, so accepting it adds nothing false.
        if (dot >= 2 && dot != 0xFFFFFFFF && dotDot != 0xFFFFFFFF && dot < n) {
            AddDirSectorRecord(n, dot, dotDot, WORD(s[24] | (s[25] << 8)), WORD(s[18] | (s[19] << 8)), 0);
            ++DirSectorRecordCount;
        }
        if (ShowScanDetails)
            EngineUi().SetScanRow(2, DirSectorRecordCount);
    }
    return true;
}

void TestNtfsSector(const BYTE* s, DWORD n)
{
    if (s[510] == 0x55 && s[511] == 0xAA) {
        if (std::memcmp(s + 3, "NTFS", 4) == 0) {
            ++BootSectorCount;
            AddBootSectorNode(&BootSectorHead, n);
            if (ShowScanDetails)
                EngineUi().SetScanRow(1, BootSectorCount);
        }
        return;
    }
    if (std::memcmp(s, "FILE", 4) == 0) {
        if ((s[0x1C] | (s[0x1D] << 8)) == kMftRecordSize) {
            AddMftRecordEntry(n);
            if (ShowScanDetails) {
                EngineUi().SetScanRow(4, FoundFolderNodeCount);
                EngineUi().SetScanRow(3, FoundItemCount);
            }
        }
        return;
    }
    if (std::memcmp(s, "INDX", 4) == 0) {
        AddIndexBlockEntry(n, s);
        if (ShowScanDetails)
            EngineUi().SetScanRow(2, IndexBlockCount);
    }
}

// Runs are tested one by one, but the disk is read a block of whole runs at a time: a read per run of
// 30 KiB spends more on the call than on the bytes. About 256 KiB is enough for that, and small enough
// that the block is still in the core's own cache when its sectors are tested (a 1 MiB block was not).
// A block of 4 KiB multiples keeps a direct read of a host disk off the bounce buffer.
constexpr DWORD kSweepBlockSectors = 512;

DWORD RunsPerBlock(DWORD perRead)
{
    DWORD runs = (kSweepBlockSectors + perRead - 1) / perRead;
    while ((runs * perRead) % 8 != 0)
        ++runs;
    return runs;
}

struct AlignedFree {
    void operator()(BYTE* p) const { ::operator delete[](p, std::align_val_t(4096)); }
};

void Sweep(SweepKind kind)
{
    IEngineUi& ui = EngineUi();
    ui.SetProgress(0);
    const DWORD perRead = SectorsPerRead < 1 ? 1 : (SectorsPerRead > kMaxSectorsPerRun ? kMaxSectorsPerRun : SectorsPerRead);
    const DWORD blockSectors = RunsPerBlock(perRead) * perRead;
    // Not zero-filled: every sector tested was first read, or zeroed by the reader when it could not be.
    std::unique_ptr<BYTE[], AlignedFree> buffer(new (std::align_val_t(4096)) BYTE[size_t(blockSectors) * SECTOR_SIZE]);
    const ULONGLONG start = PartitionParams.StartSector;
    const ULONGLONG count = PartitionParams.SectorCount;
    // Runs never reach past the device: sectors there do not exist and would only be retried in vain.
    const ULONGLONG deviceEnd = SelectedDeviceSectors();
    SectorReadOutcome outcome;
    ULONGLONG blockFirst = 0, blockEnd = 0; // offsets of the sectors the buffer holds
    DWORD runCounter = 0;
    for (ULONGLONG offset = 0; offset < count; offset += perRead) {
        if (ScanPollPoint())
            break;
        const ULONGLONG sector = start + offset;
        if (deviceEnd && sector >= deviceEnd)
            break;
        if (kind == SweepKind::Ntfs && ShowScanDetails)
            ui.SetScanRow(5, sector);
        if (++runCounter == kRunsPerProgressUpdate) {
            ULONGLONG percent = offset * 100 / count;
            ui.SetProgress(UINT(percent > 99 ? 99 : percent));
            if (ShowScanDetails)
                ui.SetStatusText(ENGINE_STATUS_MAIN,
                                 (u"读取扇区       " + Decimal(offset) + u" Of " + Decimal(count)).c_str());
            runCounter = 0;
        }
        DWORD runLength = perRead;
        if (deviceEnd && deviceEnd - sector < runLength)
            runLength = DWORD(deviceEnd - sector);
        if (offset + runLength > blockEnd) {
            // The last run is whole, as every run is; only the device's end cuts a block short.
            const ULONGLONG runsLeft = (count - offset + perRead - 1) / perRead;
            ULONGLONG length = std::min<ULONGLONG>(blockSectors, runsLeft * perRead);
            if (deviceEnd && deviceEnd - sector < length)
                length = deviceEnd - sector;
            ReadSectors(SelectedDevicePath(), sector, DWORD(length), buffer.get(), &outcome);
            blockFirst = offset;
            blockEnd = offset + length;
        }
        const DWORD base = DWORD(offset - blockFirst);
        const bool allRead = outcome.UnreadCount == 0;
        for (DWORD i = 0; i < runLength; ++i) {
            // A sector that could not be read holds nothing of the disk; testing it would invent records.
            if (!allRead && outcome.IsUnread(base + i))
                continue;
            const ULONGLONG n = sector + i;
            if (n > 0xFFFFFFFFULL)
                break;
            const BYTE* s = buffer.get() + size_t(base + i) * SECTOR_SIZE;
            if (kind == SweepKind::Fat) {
                if (!TestFatSector(s, DWORD(n)))
                    break;
            } else {
                TestNtfsSector(s, DWORD(n));
            }
        }
        if (kind == SweepKind::Fat && ShowScanDetails)
            ui.SetScanRow(3, offset);
    }
}

} // namespace

DWORD DirSectorRecordCount = 0;

void FullScanFat() { Sweep(SweepKind::Fat); }

void FullScanNtfs() { Sweep(SweepKind::Ntfs); }

void StartFullScan()
{
    BeginScanRun();
    ScanFailedFlag = 0;
    ResetFullScanLists();
    DirSectorRecordCount = 0;
    FullScanVolumeCount = 0;
    VolumeFoundFlag = 0;
    RebuiltVolumeFound = 0;
    ScanThread = AfxBeginThread(FullScanThread, nullptr);
}

UINT FullScanThread(LPVOID)
{
    PartitionParams.VolumeNumber = 0; // until a volume is chosen from this scan's results
    const WORD kind = PartitionParams.PartitionFsType;
    if (kind == FS_KIND_FAT16 || kind == FS_KIND_FAT32)
        FullScanFat();
    else if (kind == FS_KIND_NTFS)
        FullScanNtfs();
    FinishFullScan();
    MarkWorkerFinished(false);
    return 0;
}
