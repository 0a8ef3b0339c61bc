// Test disks for the engine: crafted image files attached as the layer's physical disks.
#pragma once

#include "engine/engine_state.h"
#include "engine/sector_reader.h"
#include "support/support.h"
#include "win32/kernel.h"
#include "win32/kernel/device_hooks.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// An image file of a given size (sparse), written sector by sector.
class CraftedImage {
public:
    CraftedImage(ULONGLONG sectors, const std::string& name = "disk.img")
        : path_(testsupport::ScratchDir() + "/" + name)
    {
        std::ofstream(path_, std::ios::binary).close();
        std::filesystem::resize_file(path_, sectors * SECTOR_SIZE);
    }
    const std::string& Path() const { return path_; }
    void Write(ULONGLONG sector, const void* data, size_t bytes) const
    {
        std::fstream f(path_, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(std::streamoff(sector * SECTOR_SIZE));
        f.write(static_cast<const char*>(data), std::streamsize(bytes));
    }
    void Write(ULONGLONG sector, const std::vector<BYTE>& data) const { Write(sector, data.data(), data.size()); }

private:
    std::string path_;
};

// Attaches images as \\.\PhysicalDrive0, 1, ... for the life of the object and opens disk 0 as the
// selected physical disk.
class AttachedDisks {
public:
    explicit AttachedDisks(const std::vector<std::string>& images, bool open = true)
    {
        std::string list;
        for (const std::string& p : images)
            list += (list.empty() ? "" : ":") + p;
        setenv("DOVEMARK_DISKS", list.c_str(), 1);
        setenv("DOVEMARK_HOST_DISKS", "0", 1);
        ResetPhysicalDrivePaths();
        DriveKind = 1;
        DriveNumber = 0;
        RetryCount = 3;
        if (open)
            OpenPhysicalDrive();
    }
    ~AttachedDisks()
    {
        if (PhysicalDriveHandle && PhysicalDriveHandle != INVALID_HANDLE_VALUE)
            CloseHandle(PhysicalDriveHandle);
        PhysicalDriveHandle = nullptr;
        dovemark::device_hooks::ClearUnreadableSectors();
        unsetenv("DOVEMARK_DISKS");
    }
};
