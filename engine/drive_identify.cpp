// Drive identification through the storage property query, the geometry request and the device length.
#include "engine/drive_identify.h"

#include "engine/engine_state.h"
#include "engine/ui_port.h"

#include <cstdio>
#include <cstring>
#include <vector>

DetectedDisk DetectedDisks[10] = {};
DWORD DiskSectorCounts[10] = {};
DWORD DetectedDriveCount = 0;
DWORD DriveAnswerCount = 0;
DISK_GEOMETRY LastDriveGeometry = {};
BOOL OldNtPlatformFlag = FALSE;

namespace {

constexpr int kProbedDiskNumbers = 16;
constexpr DWORD kQueryBufferSize = 10000;

HANDLE OpenDisk(int number, DWORD access)
{
    char narrow[32];
    std::snprintf(narrow, sizeof(narrow), "\\\\.\\PhysicalDrive%d", number);
    WCHAR wide[32];
    size_t i = 0;
    for (; narrow[i]; ++i)
        wide[i] = WCHAR(narrow[i]);
    wide[i] = 0;
    return CreateFileW(wide, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The device's length in sectors from the layer, or 0 when it does not tell.
ULONGLONG QueryLengthSectors(HANDLE queryHandle, int number)
{
    GET_LENGTH_INFORMATION info = {};
    DWORD returned = 0;
    if (DeviceIoControl(queryHandle, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &info, sizeof(info), &returned, nullptr) &&
        returned >= sizeof(info))
        return ULONGLONG(info.Length.QuadPart) / SECTOR_SIZE;
    // The length request wants read access, which the query-only handle lacks.
    HANDLE reader = OpenDisk(number, GENERIC_READ);
    if (reader == INVALID_HANDLE_VALUE)
        return 0;
    ULONGLONG sectors = 0;
    if (DeviceIoControl(reader, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &info, sizeof(info), &returned, nullptr) &&
        returned >= sizeof(info))
        sectors = ULONGLONG(info.Length.QuadPart) / SECTOR_SIZE;
    CloseHandle(reader);
    return sectors;
}

void ModelText(const std::vector<BYTE>& buffer, DWORD returned, char* model, size_t room)
{
    const auto* d = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer.data());
    if (d->BusType == BusTypeUsb) {
        std::snprintf(model, room, "%s", "USB 设备  ");
        return;
    }
    model[0] = 0;
    const DWORD at = d->ProductIdOffset;
    if (at == 0 || at >= returned)
        return;
    size_t n = 0;
    while (at + n < returned && buffer[at + n] && n + 1 < room) {
        model[n] = char(buffer[at + n]);
        ++n;
    }
    model[n] = 0;
}

} // namespace

bool IsOldNtPlatform()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return false;
    return info.dwMajorVersion == 4 || (info.dwMajorVersion == 3 && info.dwMinorVersion == 51);
}

void ReadDriveGeometry(HANDLE handle)
{
    OldNtPlatformFlag = IsOldNtPlatform();
    DWORD returned = 0;
    LastDriveGeometry = {};
    if (!DeviceIoControl(handle, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &LastDriveGeometry,
                         sizeof(LastDriveGeometry), &returned, nullptr))
        LastDriveGeometry = {};
}

int IdentifyDrives()
{
    DetectedDriveCount = 0;
    DriveAnswerCount = 0;
    std::memset(DetectedDisks, 0, sizeof(DetectedDisks));
    std::memset(DiskSectorCounts, 0, sizeof(DiskSectorCounts));
    std::vector<BYTE> buffer(kQueryBufferSize);
    bool warnedClamp = false;

    for (int number = 0; number < kProbedDiskNumbers && DetectedDriveCount < kMaxPhysicalDrives; ++number) {
        HANDLE h = OpenDisk(number, 0);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        STORAGE_PROPERTY_QUERY query = {};
        query.PropertyId = StorageDeviceProperty;
        query.QueryType = PropertyStandardQuery;
        std::fill(buffer.begin(), buffer.end(), 0);
        DWORD returned = 0;
        if (!DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), buffer.data(), kQueryBufferSize,
                             &returned, nullptr) ||
            returned < sizeof(STORAGE_DEVICE_DESCRIPTOR) - 1) {
            CloseHandle(h);
            continue;
        }
        ReadDriveGeometry(h);
        ++DriveAnswerCount;
        // A reader without its card answers without geometry: it gets no entry, so the table
        // indexes only disks that can be read.
        if (LastDriveGeometry.SectorsPerTrack == 0) {
            CloseHandle(h);
            continue;
        }
        DetectedDisk& disk = DetectedDisks[DetectedDriveCount];
        disk.Cylinders = DWORD(LastDriveGeometry.Cylinders.QuadPart);
        disk.TracksPerCylinder = LastDriveGeometry.TracksPerCylinder;
        disk.SectorsPerTrack = LastDriveGeometry.SectorsPerTrack;
        disk.LayerNumber = number;
        ModelText(buffer, returned, disk.Model, sizeof(disk.Model));
        ULONGLONG sectors = QueryLengthSectors(h, number);
        if (sectors == 0)
            sectors = ULONGLONG(LastDriveGeometry.Cylinders.QuadPart) * disk.TracksPerCylinder * disk.SectorsPerTrack;
        disk.LengthSectors = sectors;
        disk.Clamped = sectors > 0xFFFFFFFFULL;
        DiskSectorCounts[DetectedDriveCount] = disk.Clamped ? 0xFFFFFFFFu : DWORD(sectors);
        SetPhysicalDrivePath(int(DetectedDriveCount), number);
        ++DetectedDriveCount;
        CloseHandle(h);
        if (disk.Clamped && !warnedClamp) {
            warnedClamp = true;
            EngineUi().ShowMessage(u"磁盘容量超过 2 TB，只能读取和恢复其前 2 TB 的数据。", ENGINE_MSG_INFO);
        }
    }
    return int(DetectedDriveCount);
}
