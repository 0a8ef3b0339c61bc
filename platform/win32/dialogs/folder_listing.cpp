// Folder listings, path resolution and text conversion for the file and folder dialogs.
#include "win32/dialogs/folder_listing.h"
#include "win32/kernel.h"
#include "win32/kernel/util.h"

#include <algorithm>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dialogs {

std::u16string ToWide(const std::string& utf8)
{
    return dovemark::kernel::Utf8ToUtf16(utf8);
}

std::string ToUtf8(const std::u16string& text)
{
    std::string out;
    dovemark::kernel::Utf16ToUtf8(text, out);
    return out;
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string ParentOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::u16string& name)
{
    return (folder == "/" ? folder : folder + "/") + ToUtf8(name);
}

std::string CurrentFolder()
{
    char buf[4096];
    if (getcwd(buf, sizeof buf))
        return buf;
    return "/";
}

namespace {

// Folds "." and ".." and repeated slashes out of an absolute path; ".." at the root stays there.
std::string Folded(const std::string& path)
{
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= path.size()) {
        size_t slash = path.find('/', i);
        std::string part = path.substr(i, slash == std::string::npos ? std::string::npos : slash - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos)
            break;
        i = slash + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    return out.empty() ? "/" : out;
}

bool Matches(const std::string& name, const std::vector<std::string>& patterns)
{
    for (const std::string& p : patterns)
        if (p == "*" || p == "*.*" || fnmatch(p.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0)
            return true;
    return false;
}

std::vector<std::string> SplitPatterns(const std::u16string& patterns)
{
    std::vector<std::string> out;
    std::string all = ToUtf8(patterns);
    size_t i = 0;
    while (i <= all.size()) {
        size_t semi = all.find(';', i);
        std::string p = all.substr(i, semi == std::string::npos ? std::string::npos : semi - i);
        size_t b = p.find_first_not_of(' '), e = p.find_last_not_of(' ');
        if (b != std::string::npos)
            out.push_back(p.substr(b, e - b + 1));
        if (semi == std::string::npos)
            break;
        i = semi + 1;
    }
    if (out.empty())
        out.push_back("*");
    return out;
}

bool NameLess(const FolderEntry& a, const FolderEntry& b)
{
    if (a.folder != b.folder)
        return a.folder;
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [&](char16_t x, char16_t y) { return fold(x) < fold(y); });
}

} // namespace

std::vector<FolderEntry> ListFolder(const std::string& folder, bool files, const std::u16string& patterns)
{
    std::vector<FolderEntry> out;
    std::vector<std::string> wanted = SplitPatterns(patterns);
    DIR* d = opendir(folder.c_str());
    if (!d)
        return out;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        bool isFolder = IsFolder(JoinPath(folder, ToWide(name)));
        if (!isFolder && (!files || !Matches(name, wanted)))
            continue;
        out.push_back({ToWide(name), isFolder});
    }
    closedir(d);
    std::sort(out.begin(), out.end(), NameLess);
    return out;
}

bool ResolvePath(const std::string& folder, const std::u16string& text, std::string& path)
{
    if (text.empty())
        return false;
    bool absolute = text[0] == u'/' || text[0] == u'\\' || (text.size() >= 2 && text[1] == u':');
    std::u16string full = absolute ? text : ToWide(folder) + u"/" + text;
    std::string mapped;
    if (!dovemark::MapPath(full.c_str(), mapped) || mapped.empty() || mapped[0] != '/')
        return false;
    path = Folded(mapped);
    return true;
}

} // namespace dialogs
