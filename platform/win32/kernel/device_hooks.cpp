// State of the raw-device test hooks: marked sectors per image and the O_DIRECT switch.
#include "win32/kernel/device_hooks.h"

#include <atomic>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

namespace dovemark::device_hooks {
namespace {

std::mutex g_lock;
std::map<std::string, std::set<ULONGLONG>>& Marked()
{
    static std::map<std::string, std::set<ULONGLONG>> marked;
    return marked;
}
std::atomic<bool> g_anyMarked{false};
std::atomic<bool> g_direct{false};
std::atomic<ULONGLONG> g_requested{0};

std::string Canonical(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

} // namespace

void SetUnreadableSectors(const std::string& imagePath, std::vector<ULONGLONG> sectors)
{
    std::lock_guard<std::mutex> g(g_lock);
    std::string key = Canonical(imagePath);
    if (sectors.empty())
        Marked().erase(key);
    else
        Marked()[key] = std::set<ULONGLONG>(sectors.begin(), sectors.end());
    g_anyMarked = !Marked().empty();
}

void ClearUnreadableSectors()
{
    std::lock_guard<std::mutex> g(g_lock);
    Marked().clear();
    g_anyMarked = false;
}

bool HasUnreadableSector(const std::string& canonicalImagePath, ULONGLONG first, ULONGLONG count)
{
    if (!g_anyMarked.load() || count == 0)
        return false;
    std::lock_guard<std::mutex> g(g_lock);
    auto it = Marked().find(canonicalImagePath);
    if (it == Marked().end())
        return false;
    auto s = it->second.lower_bound(first);
    return s != it->second.end() && *s - first < count;
}

ULONGLONG RequestedSectors()
{
    return g_requested.load();
}

void ResetRequestedSectors()
{
    g_requested = 0;
}

void CountRequestedSectors(ULONGLONG count)
{
    g_requested += count;
}

void SetDirectReads(bool on)
{
    g_direct = on;
}

bool DirectReads()
{
    return g_direct.load();
}

} // namespace dovemark::device_hooks
