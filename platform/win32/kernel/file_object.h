// The kernel object behind a file, folder or raw-device handle.
#pragma once

#include "win32/kernel/disks.h"
#include "win32/kernel/handles.h"

#include <mutex>
#include <optional>

namespace dovemark::kernel {

class FileObject : public KernelObject {
public:
    ~FileObject() override;

    int fd = -1;
    std::string path;        // Linux path (the disk's for a raw device)
    DWORD access = 0;
    DWORD flags = 0;
    bool deleteOnClose = false;
    bool isDirectory = false;

    // Raw devices: the disk, and the byte range of it the handle sees (a partition or the whole disk).
    std::optional<Disk> device;
    bool direct = false;
    ULONGLONG base = 0;
    ULONGLONG length = 0;

    std::mutex lock;
    ULONGLONG position = 0;

    bool CanRead() const { return access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA); }
    bool CanWrite() const
    {
        return !device && (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA));
    }
};

} // namespace dovemark::kernel
