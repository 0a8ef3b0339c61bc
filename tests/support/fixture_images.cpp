// Generating, caching and parsing the fixture disk images of tests/fixtures/make_image.py.
#include "fixture_images.h"
#include "support.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    size_t from = 0;
    for (;;) {
        size_t at = s.find(sep, from);
        out.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos)
            return out;
        from = at + 1;
    }
}

std::string Field(const std::string& s) { return s == "-" ? std::string() : s; }

bool ToInt(const std::string& s, int64_t& out, int base = 10)
{
    if (s.empty() || s == "-")
        return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, base);
    if (errno || *end)
        return false;
    out = v;
    return true;
}

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Images depend on the generator's sources only, so a change to them makes a fresh cache folder.
std::string SourcesKey()
{
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](const std::string& data) {
        for (unsigned char c : data) {
            h ^= c;
            h *= 1099511628211ull;
        }
    };
    const fs::path source = DOVEMARK_SOURCE_DIR;
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::path& dir : {fs::path(FixturesDir()), source / "tools" / "ntfs_fixture"})
        for (const auto& e : fs::directory_iterator(dir, ec))
            if (e.is_regular_file() && (e.path().extension() == ".py" || e.path().extension() == ".c"))
                files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
        mix(f.filename().string());
        mix(ReadFile(f));
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

// Runs the generator; returns its exit status (or -1 when it could not be started).
int RunGenerator(const std::string& kind, const std::string& out, const std::string& log)
{
    std::string script = FixturesDir() + "/make_image.py";
    std::string tool = NtfsFixtureTool();
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        if (!tool.empty())
            setenv("DOVEMARK_NTFS_FIXTURE", tool.c_str(), 1);
        else
            setenv("DOVEMARK_NTFS_FIXTURE", "/nonexistent/ntfs_fixture", 1);
        execlp("python3", "python3", script.c_str(), kind.c_str(), out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Make(FixtureImage& img)
{
    const fs::path cache = fs::path(DOVEMARK_BINARY_DIR) / "fixture-cache";
    const fs::path dir = cache / SourcesKey();
    std::error_code ec;
    if (!fs::exists(dir)) {
        // Images of earlier generator sources are of no further use and take tens of MiB each.
        for (const auto& old : fs::directory_iterator(cache, ec))
            if (old.path() != dir)
                fs::remove_all(old.path(), ec);
    }
    fs::create_directories(dir, ec);
    const fs::path image = dir / (img.kind + ".img");
    const fs::path manifest = dir / (img.kind + ".img.manifest.tsv");
    const fs::path log = dir / (img.kind + ".log");
    // One process generates; the others wait on the lock and then find the finished image. The generator
    // renames the manifest and then the image into place, so an image that exists is complete.
    int lock = open((dir / (img.kind + ".lock")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0) {
        img.error = "cannot create the fixture cache lock in " + dir.string();
        return;
    }
    while (flock(lock, LOCK_EX) < 0 && errno == EINTR) {
    }
    if (!fs::exists(image)) {
        int status = RunGenerator(img.kind, image.string(), log.string());
        if (status != 0) {
            std::string text = ReadFile(log);
            img.tool_missing = status == 3;
            img.error = "make_image.py " + img.kind + " failed (" + std::to_string(status) + "): " + text;
        }
    }
    close(lock);
    if (!img.error.empty())
        return;
    img.path = image.string();
    std::string why;
    if (!ParseFixtureManifest(manifest.string(), img, &why)) {
        img.error = why;
        return;
    }
    img.available = true;
}

} // namespace

std::string NtfsFixtureTool()
{
    if (const char* env = std::getenv("DOVEMARK_NTFS_FIXTURE"))
        return env;
#ifdef DOVEMARK_NTFS_FIXTURE_TOOL
    return DOVEMARK_NTFS_FIXTURE_TOOL;
#else
    return {};
#endif
}

std::string FixtureEntry::Name() const
{
    size_t at = path.rfind('/');
    std::string escaped = at == std::string::npos ? path : path.substr(at + 1);
    std::string name;
    for (size_t i = 0; i < escaped.size(); ++i) {
        int64_t byte;
        if (escaped[i] == '%' && i + 2 < escaped.size() && ToInt(escaped.substr(i + 1, 2), byte, 16)) {
            name += static_cast<char>(byte);
            i += 2;
        } else {
            name += escaped[i];
        }
    }
    return name;
}

std::u16string FixtureEntry::Name16() const
{
    std::string n = Name();
    std::u16string out;
    for (size_t i = 0; i < n.size();) {
        unsigned char c = n[i];
        uint32_t cp;
        int len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c >> 5) == 6) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c >> 4) == 14) {
            cp = c & 0x0F;
            len = 3;
        } else {
            cp = c & 0x07;
            len = 4;
        }
        for (int k = 1; k < len && i + k < n.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(n[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string FixtureEntry::Parent() const
{
    size_t at = path.rfind('/');
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

int64_t FixtureVolume::Extra(const std::string& key) const
{
    auto it = extra.find(key);
    int64_t v;
    return it != extra.end() && ToInt(it->second, v) ? v : -1;
}

const FixtureEntry* FixtureImage::Find(int volume, const std::string& p) const
{
    for (const auto& e : entries)
        if (e.volume == volume && e.path == p)
            return &e;
    return nullptr;
}

std::vector<const FixtureEntry*> FixtureImage::EntriesOf(int volume) const
{
    std::vector<const FixtureEntry*> out;
    for (const auto& e : entries)
        if (e.volume == volume)
            out.push_back(&e);
    return out;
}

std::vector<const FixtureEntry*> FixtureImage::Children(int volume, const std::string& folder) const
{
    std::vector<const FixtureEntry*> out;
    for (const auto& e : entries)
        if (e.volume == volume && e.Parent() == folder)
            out.push_back(&e);
    return out;
}

bool ParseFixtureManifest(const std::string& manifest_path, FixtureImage& img, std::string* error)
{
    std::ifstream in(manifest_path);
    if (!in) {
        if (error)
            *error = "cannot read " + manifest_path;
        return false;
    }
    std::string line;
    int number = 0;
    auto bad = [&](const char* what) {
        if (error)
            *error = manifest_path + ":" + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> f = Split(line, '\t');
        int64_t v = 0;
        if (f[0] == "disk") {
            if (f.size() != 4 || !ToInt(f[2], v))
                return bad("bad disk line");
            img.bytes = static_cast<uint64_t>(v);
        } else if (f[0] == "volume") {
            if (f.size() != 11)
                return bad("bad volume line");
            FixtureVolume vol;
            int64_t index, start, sectors, type, cluster;
            if (!ToInt(f[1], index) || !ToInt(f[3], start) || !ToInt(f[4], sectors) || !ToInt(f[5], type, 16) ||
                !ToInt(f[9], cluster))
                return bad("bad volume numbers");
            vol.index = static_cast<int>(index);
            vol.role = f[2];
            vol.start = static_cast<uint64_t>(start);
            vol.sectors = static_cast<uint64_t>(sectors);
            vol.type = static_cast<int>(type);
            vol.fs = f[6];
            vol.label = Field(f[7]);
            vol.serial = Field(f[8]);
            vol.cluster_bytes = static_cast<uint32_t>(cluster);
            for (const auto& kv : Split(f[10], ';')) {
                size_t eq = kv.find('=');
                if (eq != std::string::npos)
                    vol.extra[kv.substr(0, eq)] = kv.substr(eq + 1);
            }
            img.volumes.push_back(std::move(vol));
        } else if (f[0] == "entry") {
            if (f.size() != 16)
                return bad("bad entry line");
            FixtureEntry e;
            int64_t volume, size, deleted, intact;
            if (!ToInt(f[1], volume) || !ToInt(f[4], size) || !ToInt(f[10], deleted) || !ToInt(f[11], intact))
                return bad("bad entry numbers");
            e.volume = static_cast<int>(volume);
            e.path = f[2];
            e.is_dir = f[3] == "dir";
            e.size = static_cast<uint64_t>(size);
            e.sha256 = Field(f[5]);
            e.created = Field(f[6]);
            e.modified = Field(f[7]);
            e.accessed = Field(f[8]);
            e.changed = Field(f[9]);
            e.deleted = deleted != 0;
            e.intact = intact != 0;
            if (ToInt(f[12], v))
                e.first_cluster = v;
            if (ToInt(f[13], v))
                e.mft_record = v;
            if (f[14] != "-")
                for (const auto& r : Split(f[14], ',')) {
                    size_t plus = r.find('+');
                    FixtureRun run;
                    if (plus == std::string::npos || !ToInt(r.substr(plus + 1), run.count))
                        return bad("bad run");
                    if (r.substr(0, plus) != "-" && !ToInt(r.substr(0, plus), run.start))
                        return bad("bad run start");
                    e.runs.push_back(run);
                }
            if (f[15] != "-")
                for (const auto& flag : Split(f[15], ','))
                    e.flags.insert(flag);
            img.entries.push_back(std::move(e));
        }
    }
    return true;
}

uint64_t FixtureTimeToFileTime(const std::string& text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s);
    if (n != 3 && n != 6)
        return 0;
    if (y < 1601 || mo < 1 || mo > 12 || d < 1 || d > 31)
        return 0;
    // Days since 1601-01-01 by the civil-from-days rule (proleptic Gregorian).
    auto days_from_civil = [](int64_t yy, int64_t mm, int64_t dd) {
        yy -= mm <= 2;
        int64_t era = (yy >= 0 ? yy : yy - 399) / 400;
        int64_t yoe = yy - era * 400;
        int64_t doy = (153 * (mm + (mm > 2 ? -3 : 9)) + 2) / 5 + dd - 1;
        int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe;
    };
    int64_t days = days_from_civil(y, mo, d) - days_from_civil(1601, 1, 1);
    int64_t seconds = days * 86400 + h * 3600 + mi * 60 + s;
    return static_cast<uint64_t>(seconds) * 10000000ull;
}

const FixtureImage& GetFixtureImage(const std::string& kind)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<FixtureImage>> made;
    std::lock_guard<std::mutex> hold(mutex);
    auto& slot = made[kind];
    if (!slot) {
        slot = std::make_unique<FixtureImage>();
        slot->kind = kind;
        Make(*slot);
    }
    return *slot;
}

} // namespace testsupport
