// Making partitioned disk images with sfdisk, mkfs.fat and mkntfs, and attaching them.
#include "test_disks.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace kerneltest {

bool HaveTool(const std::string& format)
{
    auto exists = [](const char* p) { return access(p, X_OK) == 0; };
    if (!exists("/usr/sbin/sfdisk"))
        return false;
    if (format == "ntfs")
        return exists("/usr/sbin/mkntfs");
    if (format.rfind("fat", 0) == 0)
        return exists("/usr/sbin/mkfs.fat");
    return true;
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    return pclose(p) == 0 ? out : std::string();
}

namespace {

bool Sh(const std::string& command, std::string& error)
{
    if (std::system((command + " >/dev/null 2>&1").c_str()) == 0)
        return true;
    error = "failed: " + command;
    return false;
}

} // namespace

bool MakeDisk(const std::string& path, uint64_t bytes, const std::vector<PartitionSpec>& parts, std::string& error)
{
    if (!Sh("truncate -s " + std::to_string(bytes) + " '" + path + "'", error))
        return false;
    std::string table = "label: dos\n";
    for (const auto& p : parts)
        table += "start=" + std::to_string(p.startSector) + ", size=" + std::to_string(p.sectorCount)
            + ", type=" + p.type + "\n";
    if (!Sh("printf '" + table + "' | /usr/sbin/sfdisk -q '" + path + "'", error))
        return false;
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto& p = parts[i];
        if (p.format.empty())
            continue;
        std::string part = path + ".part" + std::to_string(i);
        char serial[16];
        std::snprintf(serial, sizeof serial, "%08X", p.serial);
        if (!Sh("truncate -s " + std::to_string(p.sectorCount * 512) + " '" + part + "'", error))
            return false;
        std::string make;
        if (p.format == "fat32")
            make = "/usr/sbin/mkfs.fat -F 32 -s 1 -n '" + p.label + "' -i " + serial + " '" + part + "'";
        else if (p.format == "fat16")
            make = "/usr/sbin/mkfs.fat -F 16 -s 4 -n '" + p.label + "' -i " + serial + " '" + part + "'";
        else
            make = "/usr/sbin/mkntfs -Q -F -q -L '" + p.label + "' -s 512 -c 4096 -p " + std::to_string(p.startSector)
                + " '" + part + "'";
        if (!Sh(make, error))
            return false;
        if (!Sh("dd if='" + part + "' of='" + path + "' bs=512 seek=" + std::to_string(p.startSector)
                    + " conv=notrunc,sparse status=none",
                error))
            return false;
        unlink(part.c_str());
    }
    return true;
}

AttachedDisks::AttachedDisks(const std::vector<std::string>& images)
{
    const char* old = std::getenv("DOVEMARK_DISKS");
    hadOld_ = old != nullptr;
    old_ = old ? old : "";
    std::string list;
    for (const auto& image : images)
        list += (list.empty() ? "" : ":") + image;
    setenv("DOVEMARK_DISKS", list.c_str(), 1);
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
}

AttachedDisks::~AttachedDisks()
{
    if (hadOld_)
        setenv("DOVEMARK_DISKS", old_.c_str(), 1);
    else
        unsetenv("DOVEMARK_DISKS");
}

} // namespace kerneltest
