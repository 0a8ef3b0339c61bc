// The registry's file form: writing the tree as text and reading it back.
#include "win32/registry/tree.h"

#include "win32/text.h"

#include <ctime>

namespace dovemark::registry {
namespace {

constexpr const char* kHeader = "DOVEMARK REGISTRY 1";

std::string Escape(const std::u16string& text) {
    std::string utf8 = WideToAnsi(text, CP_UTF8);
    std::string out;
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : utf8) {
        if (c == '%' || c <= 0x20 || c == 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& in, std::u16string& out) {
    std::string utf8;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '%') {
            utf8 += in[i];
            continue;
        }
        if (i + 2 >= in.size() || HexDigit(in[i + 1]) < 0 || HexDigit(in[i + 2]) < 0)
            return false;
        utf8 += static_cast<char>(HexDigit(in[i + 1]) << 4 | HexDigit(in[i + 2]));
        i += 2;
    }
    out = AnsiToWide(utf8, CP_UTF8);
    return true;
}

std::string HexBytes(const std::vector<BYTE>& data) {
    if (data.empty())
        return "-";
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (BYTE b : data) {
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

bool ParseHexBytes(const std::string& in, std::vector<BYTE>& out) {
    out.clear();
    if (in == "-")
        return true;
    if (in.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < in.size(); i += 2) {
        int hi = HexDigit(in[i]), lo = HexDigit(in[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out.push_back(static_cast<BYTE>(hi << 4 | lo));
    }
    return true;
}

void Write(const Key& key, const std::u16string& path, std::string& out) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%08X%08X", key.lastWrite.dwHighDateTime, key.lastWrite.dwLowDateTime);
    out += "K ";
    out += stamp;
    out += ' ';
    out += Escape(path);
    out += '\n';
    for (const Value& v : key.values) {
        out += "V " + std::to_string(v.type) + ' ' + HexBytes(v.data) + ' ' + Escape(v.name) + '\n';
    }
    for (const auto& [folded, child] : key.children)
        Write(*child, path.empty() ? child->name : path + u"\\" + child->name, out);
}

std::vector<std::string> SplitFields(const std::string& line, size_t count) {
    // The last field takes the rest of the line, which may be empty.
    std::vector<std::string> fields;
    size_t pos = 0;
    for (size_t i = 0; i + 1 < count; ++i) {
        size_t sp = line.find(' ', pos);
        if (sp == std::string::npos)
            return {};
        fields.push_back(line.substr(pos, sp - pos));
        pos = sp + 1;
    }
    fields.push_back(line.substr(pos));
    return fields;
}

} // namespace

std::u16string Fold(const std::u16string& name) {
    std::u16string out(name);
    for (char16_t& c : out)
        c = AfxFoldUpper(c);
    return out;
}

FILETIME Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    ULONGLONG v = static_cast<ULONGLONG>(ts.tv_sec) * 10000000ULL + ts.tv_nsec / 100 + 116444736000000000ULL;
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

Key* Descend(Key& root, const std::vector<std::u16string>& components, bool create) {
    Key* k = &root;
    for (const std::u16string& c : components) {
        auto it = k->children.find(Fold(c));
        if (it == k->children.end()) {
            if (!create)
                return nullptr;
            auto child = std::make_shared<Key>();
            child->name = c;
            child->parent = k;
            child->lastWrite = Now();
            it = k->children.emplace(Fold(c), std::move(child)).first;
        }
        k = it->second.get();
    }
    return k;
}

std::string Serialize(const Key& root) {
    std::string out = std::string(kHeader) + "\n";
    Write(root, u"", out);
    return out;
}

std::shared_ptr<Key> Parse(const std::string& text) {
    auto root = std::make_shared<Key>();
    Key* current = nullptr;
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos)
            eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (first) {
            first = false;
            if (line == kHeader)
                continue;
        }
        if (line.rfind("K ", 0) == 0) {
            std::vector<std::string> f = SplitFields(line.substr(2), 2);
            std::u16string path;
            current = nullptr;
            if (f.size() != 2 || f[0].size() != 16 || !Unescape(f[1], path))
                continue;
            std::vector<std::u16string> parts;
            size_t start = 0;
            while (start <= path.size() && !path.empty()) {
                size_t sep = path.find(u'\\', start);
                if (sep == std::u16string::npos)
                    sep = path.size();
                if (sep > start)
                    parts.push_back(path.substr(start, sep - start));
                start = sep + 1;
            }
            current = Descend(*root, parts, true);
            ULONGLONG stamp = std::strtoull(f[0].c_str(), nullptr, 16);
            current->lastWrite = FILETIME{static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)};
        } else if (line.rfind("V ", 0) == 0 && current != nullptr) {
            std::vector<std::string> f = SplitFields(line.substr(2), 3);
            Value v;
            if (f.size() != 3 || f[0].empty() || f[0].find_first_not_of("0123456789") != std::string::npos ||
                !ParseHexBytes(f[1], v.data) || !Unescape(f[2], v.name))
                continue;
            v.type = static_cast<DWORD>(std::strtoul(f[0].c_str(), nullptr, 10));
            bool duplicate = false;
            for (const Value& old : current->values)
                duplicate = duplicate || Fold(old.name) == Fold(v.name);
            if (!duplicate)
                current->values.push_back(std::move(v));
        }
    }
    return root;
}

} // namespace dovemark::registry
