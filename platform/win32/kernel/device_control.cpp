// DeviceIoControl on raw-device handles: identification, geometry and length; SMART is not offered.
#include "win32/kernel/file_object.h"
#include "win32/kernel/util.h"

#include <cstddef>
#include <cstring>
#include <vector>

using namespace dovemark::kernel;

namespace {

constexpr DWORD kHeads = 255;
constexpr DWORD kSectorsPerTrack = 63;

BOOL Answer(const void* data, DWORD size, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (!out || outSize < size)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(out, data, size);
    if (returned)
        *returned = size;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL QueryProperty(const Disk& disk, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (!in || inSize < offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters))
        return Fail(ERROR_INVALID_PARAMETER);
    STORAGE_PROPERTY_QUERY query;
    std::memcpy(&query, in, offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters));
    if (query.PropertyId != StorageDeviceProperty)
        return Fail(ERROR_NOT_SUPPORTED);
    if (query.QueryType == PropertyExistsQuery) {
        if (returned)
            *returned = 0;
        return TRUE;
    }
    if (query.QueryType != PropertyStandardQuery)
        return Fail(ERROR_INVALID_PARAMETER);

    // The descriptor, then its strings, in one block; offsets point into the block.
    std::vector<BYTE> block(offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties));
    auto addString = [&](const std::string& s) -> DWORD {
        if (s.empty())
            return 0;
        DWORD at = DWORD(block.size());
        block.insert(block.end(), s.begin(), s.end());
        block.push_back(0);
        return at;
    };
    STORAGE_DEVICE_DESCRIPTOR d{};
    d.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
    d.DeviceType = 0; // direct-access block device
    d.RemovableMedia = disk.removable;
    d.VendorIdOffset = addString(disk.vendor);
    d.ProductIdOffset = addString(disk.model);
    d.ProductRevisionOffset = addString(disk.revision);
    d.SerialNumberOffset = addString(disk.serial);
    d.BusType = disk.busType;
    d.Size = DWORD(block.size());
    std::memcpy(block.data(), &d, offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties));
    if (!out || outSize < 8) // not even the version and size fit
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    DWORD n = std::min<DWORD>(outSize, DWORD(block.size()));
    if (n < block.size()) {
        // A short buffer gets the descriptor's head; offsets to strings that did not fit are cleared,
        // so no caller follows them out of its buffer.
        auto* head = reinterpret_cast<STORAGE_DEVICE_DESCRIPTOR*>(block.data());
        for (DWORD* field : {&head->VendorIdOffset, &head->ProductIdOffset, &head->ProductRevisionOffset,
                             &head->SerialNumberOffset})
            if (*field && *field >= n)
                *field = 0;
    }
    std::memcpy(out, block.data(), n);
    if (returned)
        *returned = n;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

} // namespace

BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                     LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped)
{
    dovemark::Checkpoint();
    if (lpBytesReturned)
        *lpBytesReturned = 0;
    auto file = Lookup<FileObject>(hDevice);
    if (!file)
        return FALSE;
    if (!file->device)
        return Fail(ERROR_INVALID_FUNCTION);
    const Disk& disk = *file->device;
    BOOL ok;
    switch (dwIoControlCode) {
    case IOCTL_STORAGE_QUERY_PROPERTY:
        ok = QueryProperty(disk, lpInBuffer, nInBufferSize, lpOutBuffer, nOutBufferSize, lpBytesReturned);
        break;
    case IOCTL_DISK_GET_DRIVE_GEOMETRY: {
        // The classic translation every BIOS made: 255 heads and 63 sectors per track; a device
        // without media answers with an empty geometry.
        DISK_GEOMETRY g{};
        g.MediaType = disk.removable ? RemovableMedia : FixedMedia;
        g.BytesPerSector = kSectorSize;
        if (disk.length) { // a partition handle answers with its disk's geometry, as on Windows
            g.TracksPerCylinder = kHeads;
            g.SectorsPerTrack = kSectorsPerTrack;
            g.Cylinders.QuadPart = LONGLONG(disk.length / (ULONGLONG(kHeads) * kSectorsPerTrack * kSectorSize));
        }
        ok = Answer(&g, sizeof g, lpOutBuffer, nOutBufferSize, lpBytesReturned);
        break;
    }
    case IOCTL_DISK_GET_LENGTH_INFO: {
        if (!file->CanRead())
            return Fail(ERROR_ACCESS_DENIED);
        if (!file->length)
            return Fail(ERROR_NOT_READY);
        GET_LENGTH_INFORMATION info;
        info.Length.QuadPart = LONGLONG(file->length);
        ok = Answer(&info, sizeof info, lpOutBuffer, nOutBufferSize, lpBytesReturned);
        break;
    }
    case SMART_GET_VERSION:
    case SMART_SEND_DRIVE_COMMAND:
    case SMART_RCV_DRIVE_DATA:
        // Only sent on systems older than the one the layer reports.
        return Fail(ERROR_NOT_SUPPORTED);
    default:
        return Fail(ERROR_INVALID_FUNCTION);
    }
    if (ok && lpOverlapped) {
        lpOverlapped->Internal = ERROR_SUCCESS;
        lpOverlapped->InternalHigh = lpBytesReturned ? *lpBytesReturned : 0;
        if (lpOverlapped->hEvent)
            SetEvent(lpOverlapped->hEvent);
    }
    return ok;
}
