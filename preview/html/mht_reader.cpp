// The bounded MIME reader of ".mht" archives: the first text/html part, decoded.
#include <algorithm>
#include <string>
#include <string_view>

#include "preview/html/html_views.h"

namespace {

using Bytes = std::string_view;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool StartsNoCase(Bytes text, Bytes prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != Lower(prefix[i]))
            return false;
    return true;
}

size_t FindNoCaseBytes(Bytes text, Bytes what)
{
    for (size_t i = 0; i + what.size() <= text.size(); ++i)
        if (StartsNoCase(text.substr(i), what))
            return i;
    return Bytes::npos;
}

struct Part {
    std::string type, encoding, location, charset;
    Bytes body;
};

// A header's parameter (boundary, charset), quoted or bare.
std::string Parameter(const std::string& header, Bytes name)
{
    size_t at = FindNoCaseBytes(header, name);
    if (at == Bytes::npos)
        return {};
    size_t i = at + name.size();
    while (i < header.size() && (header[i] == ' ' || header[i] == '='))
        ++i;
    if (i < header.size() && header[i] == '"') {
        size_t end = header.find('"', i + 1);
        return header.substr(i + 1, (end == std::string::npos ? header.size() : end) - i - 1);
    }
    size_t end = header.find_first_of("; \t\r\n", i);
    return header.substr(i, (end == std::string::npos ? header.size() : end) - i);
}

// Reads the headers at the start of `text` (unfolding continued lines); returns where the body starts.
size_t ReadHeaders(Bytes text, Part& part, std::string& contentType)
{
    size_t i = 0;
    std::string current;
    auto take = [&] {
        auto value = [&](Bytes name) {
            std::string v = current.substr(name.size());
            size_t s = v.find_first_not_of(" \t");
            return s == std::string::npos ? std::string() : v.substr(s);
        };
        if (StartsNoCase(current, "content-type:")) {
            contentType = value("content-type:");
            part.type = contentType.substr(0, contentType.find(';'));
            std::transform(part.type.begin(), part.type.end(), part.type.begin(), Lower);
            part.charset = Parameter(contentType, "charset");
        } else if (StartsNoCase(current, "content-transfer-encoding:")) {
            part.encoding = value("content-transfer-encoding:");
            std::transform(part.encoding.begin(), part.encoding.end(), part.encoding.begin(), Lower);
        } else if (StartsNoCase(current, "content-location:")) {
            part.location = value("content-location:");
        }
        current.clear();
    };
    while (i < text.size()) {
        size_t end = text.find('\n', i);
        if (end == Bytes::npos)
            end = text.size();
        Bytes line = text.substr(i, end - i);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        i = std::min(end + 1, text.size());
        if (line.empty()) {
            take();
            return i;
        }
        if ((line[0] == ' ' || line[0] == '\t') && !current.empty()) {
            if (current.size() < 4096)
                current.append(line);
            continue;
        }
        take();
        current.assign(line.substr(0, 4096));
    }
    take();
    return text.size();
}

std::string DecodeBase64(Bytes text)
{
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        int d = c >= 'A' && c <= 'Z' ? c - 'A' : c >= 'a' && c <= 'z' ? c - 'a' + 26 : c >= '0' && c <= '9' ? c - '0' + 52
                : c == '+' ? 62 : c == '/' ? 63 : -1;
        if (d < 0)
            continue;
        value = (value << 6) | unsigned(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += char((value >> bits) & 0xFF);
        }
    }
    return out;
}

std::string DecodeQuotedPrintable(Bytes text)
{
    std::string out;
    auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r')) {
            i += (text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n') ? 2 : 1;
            continue;
        }
        if (i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += char(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
            continue;
        }
        out += '=';
    }
    return out;
}

bool TakePage(const Part& part, HtmlText& page, HtmlText& location)
{
    if (part.type != "text/html")
        return false;
    std::string bytes = part.encoding == "base64"             ? DecodeBase64(part.body)
                        : part.encoding == "quoted-printable" ? DecodeQuotedPrintable(part.body)
                                                              : std::string(part.body);
    std::string charset = part.charset;
    std::transform(charset.begin(), charset.end(), charset.begin(), Lower);
    page = AnsiToWide(bytes, charset == "utf-8" ? CP_UTF8 : CP_ACP);
    location = AnsiToWide(part.location);
    return true;
}

} // namespace

bool ReadMhtPage(const std::string& archive, HtmlText& page, HtmlText& location)
{
    Bytes text = archive;
    Part top;
    std::string contentType;
    size_t bodyStart = ReadHeaders(text, top, contentType);
    top.body = text.substr(bodyStart);
    if (top.type.rfind("multipart/", 0) != 0)
        return TakePage(top, page, location);
    std::string boundary = Parameter(contentType, "boundary");
    if (boundary.empty() || boundary.size() > 200)
        return false;
    std::string marker = "--" + boundary;
    size_t at = text.find(marker, bodyStart);
    for (int count = 0; at != Bytes::npos && count < kMaxMimeParts; ++count) {
        size_t start = at + marker.size();
        if (text.compare(start, 2, "--") == 0)
            break;
        // The rest of the boundary line is no header.
        size_t eol = text.find('\n', start);
        start = eol == Bytes::npos ? text.size() : eol + 1;
        size_t next = text.find(marker, start);
        Bytes partText = text.substr(start, (next == Bytes::npos ? text.size() : next) - start);
        Part part;
        std::string partType;
        size_t partBody = ReadHeaders(partText, part, partType);
        part.body = partText.substr(partBody);
        if (TakePage(part, page, location))
            return true;
        at = next;
    }
    return false;
}
