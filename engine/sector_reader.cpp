// The sector reader over the layer's raw devices, and the open handles of the selected disk and volume.
#include "engine/sector_reader.h"

#include "engine/engine_state.h"
#include "win32/kernel.h"

#include <cstring>

namespace {

// One ReadFile never asks for more than this, so byte counts stay far inside 32 bits.
constexpr DWORD kMaxSectorsPerCall = 8192;

bool IsOpen(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

// A positioned read that succeeds only when every byte asked for came back.
bool ReadAt(HANDLE handle, ULONGLONG sector, DWORD count, BYTE* buffer)
{
    const ULONGLONG offset = sector * SECTOR_SIZE;
    OVERLAPPED at = {};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    return ReadFile(handle, buffer, count * SECTOR_SIZE, &got, &at) && got == count * SECTOR_SIZE;
}

// The device's length in sectors; 0 when it cannot be told.
ULONGLONG HandleSectors(HANDLE handle)
{
    if (!IsOpen(handle))
        return 0;
    GET_LENGTH_INFORMATION length{};
    DWORD returned = 0;
    if (!DeviceIoControl(handle, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &returned, nullptr))
        return 0;
    return static_cast<ULONGLONG>(length.Length.QuadPart) / SECTOR_SIZE;
}

// A failed read is tried again in pieces of this many sectors before sector by sector, so one bad sector
// in a large read costs single-sector reads of its own piece only.
constexpr DWORD kRetryPieceSectors = 64;

// Sector by sector with RetryCount attempts each; sectors that never come back are zeroed so no earlier
// bytes pass for them. Sectors past the device's end do not exist: they are delivered unread at once
// instead of being retried one by one.
DWORD RetrySectors(HANDLE handle, ULONGLONG first, DWORD count, BYTE* buffer, DWORD index, ULONGLONG deviceEnd,
                   SectorReadOutcome* outcome)
{
    DWORD unread = 0;
    for (DWORD i = 0; i < count; ++i) {
        BYTE* s = buffer + size_t(i) * SECTOR_SIZE;
        bool ok = false;
        const bool exists = deviceEnd == 0 || first + i < deviceEnd;
        for (WORD attempt = 0; exists && attempt < RetryCount && IsOpen(handle) && !ok; ++attempt)
            ok = ReadAt(handle, first + i, 1, s);
        if (!ok) {
            std::memset(s, 0, SECTOR_SIZE);
            ++unread;
            if (outcome)
                outcome->MarkUnread(index + i);
        }
    }
    return unread;
}

// Run read, then the pieces of a failed run, then the sectors of a failed piece.
int ReadThrough(HANDLE handle, ULONGLONG first, DWORD count, BYTE* buffer, SectorReadOutcome* outcome)
{
    DWORD unread = 0;
    ULONGLONG deviceEnd = 0; // asked only once a run has failed
    for (DWORD done = 0; done < count;) {
        const DWORD n = count - done < kMaxSectorsPerCall ? count - done : kMaxSectorsPerCall;
        BYTE* chunk = buffer + size_t(done) * SECTOR_SIZE;
        if (!IsOpen(handle) || !ReadAt(handle, first + done, n, chunk)) {
            if (deviceEnd == 0)
                deviceEnd = HandleSectors(handle);
            for (DWORD p = 0; p < n; p += kRetryPieceSectors) {
                const DWORD m = n - p < kRetryPieceSectors ? n - p : kRetryPieceSectors;
                BYTE* piece = chunk + size_t(p) * SECTOR_SIZE;
                const ULONGLONG at = first + done + p;
                const bool exists = deviceEnd == 0 || at + m <= deviceEnd;
                if (n > kRetryPieceSectors && exists && IsOpen(handle) && ReadAt(handle, at, m, piece))
                    continue;
                unread += RetrySectors(handle, at, m, piece, done + p, deviceEnd, outcome);
            }
        }
        done += n;
    }
    return unread == 0 ? 1 : 0;
}

} // namespace

void SectorReadOutcome::Reset(DWORD count)
{
    UnreadCount = 0;
    UnreadBits.assign((size_t(count) + 63) / 64, 0);
}

void SectorReadOutcome::MarkUnread(DWORD index)
{
    if (index / 64 >= UnreadBits.size())
        UnreadBits.resize(index / 64 + 1, 0);
    uint64_t bit = uint64_t(1) << (index % 64);
    if (!(UnreadBits[index / 64] & bit)) {
        UnreadBits[index / 64] |= bit;
        ++UnreadCount;
    }
}

int ReadSectors(const char*, ULONGLONG firstSector, DWORD count, void* buffer, SectorReadOutcome* outcome)
{
    if (outcome)
        outcome->Reset(count);
    if (DriveKind == 2)
        return ReadThrough(VolumeHandle, firstSector, count, static_cast<BYTE*>(buffer), outcome);
    return ReadThrough(PhysicalDriveHandle, firstSector, count, static_cast<BYTE*>(buffer), outcome);
}

int ReadVolumeSectors(ULONGLONG firstSector, WORD count, void* buffer, SectorReadOutcome* outcome)
{
    if (outcome)
        outcome->Reset(count);
    return ReadThrough(VolumeHandle, firstSector, count, static_cast<BYTE*>(buffer), outcome);
}

LONGLONG SeekHandle64(HANDLE handle, DWORD low, LONG high, DWORD moveMethod)
{
    LONG highPart = high;
    SetLastError(ERROR_SUCCESS);
    const DWORD newLow = SetFilePointer(handle, LONG(low), &highPart, moveMethod);
    if (newLow == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return -1;
    return LONGLONG((ULONGLONG(DWORD(highPart)) << 32) | newLow);
}

static HANDLE OpenWidePath(const char* narrow, DWORD share)
{
    WCHAR wide[64];
    size_t i = 0;
    for (; narrow[i] && i + 1 < sizeof(wide) / sizeof(WCHAR); ++i)
        wide[i] = WCHAR(BYTE(narrow[i]));
    wide[i] = 0;
    return CreateFileW(wide, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenPhysicalDrive()
{
    if (IsOpen(PhysicalDriveHandle))
        CloseHandle(PhysicalDriveHandle);
    PhysicalDriveHandle = nullptr;
    if (DriveNumber >= kMaxPhysicalDrives) {
        PhysicalDriveHandle = INVALID_HANDLE_VALUE;
        SetLastError(ERROR_INVALID_DRIVE);
        return PhysicalDriveHandle;
    }
    PhysicalDriveHandle = OpenWidePath(PhysicalDrivePathTable[DriveNumber], FILE_SHARE_READ);
    return PhysicalDriveHandle;
}

bool OpenLogicalVolume(WORD index)
{
    if (IsOpen(VolumeHandle))
        CloseHandle(VolumeHandle);
    VolumeHandle = nullptr;
    if (index >= LogicalDriveTable.Count || index >= kMaxLogicalDrives) {
        VolumeHandle = INVALID_HANDLE_VALUE;
        SetLastError(ERROR_INVALID_DRIVE);
        return false;
    }
    WCHAR path[8] = {u'\\', u'\\', u'.', u'\\', LogicalDriveTable.RootText[index][0],
                     LogicalDriveTable.RootText[index][1], 0, 0};
    VolumeHandle = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    return IsOpen(VolumeHandle);
}

void ReopenVolume(WORD index)
{
    if (DriveKind != 2)
        return;
    PartitionParams.LogicalDriveIndex = index;
    OpenLogicalVolume(index);
}

bool FileExists(const WCHAR* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD MakeDword(BYTE b0, BYTE b1, BYTE b2, BYTE b3)
{
    return DWORD(b0) | (DWORD(b1) << 8) | (DWORD(b2) << 16) | (DWORD(b3) << 24);
}

const char* SelectedDevicePath()
{
    return DriveNumber < kMaxPhysicalDrives ? PhysicalDrivePathTable[DriveNumber] : "";
}

ULONGLONG SelectedDeviceSectors()
{
    return HandleSectors(DriveKind == 2 ? VolumeHandle : PhysicalDriveHandle);
}
