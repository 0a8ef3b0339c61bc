// Writers of small archives for the archive tests: zip (stored and deflated, with any extra fields
// and attributes), gzip data, tar archives, and the headers of RAR 4 and RAR 5 archives of stored
// entries.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace archive_test {

inline void Put16(std::string& s, uint32_t v)
{
    s += char(v & 0xff);
    s += char((v >> 8) & 0xff);
}
inline void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xffff);
    Put16(s, v >> 16);
}

inline uint32_t Crc(const std::string& data)
{
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
}

// Raw deflate (no header), as zip members hold it; windowBits 31 gives a gzip file instead.
inline std::string Deflate(const std::string& data, int windowBits = -15)
{
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, uLong(data.size())) + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}
inline std::string Gzip(const std::string& data) { return Deflate(data, 31); }

inline uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second)
{
    uint32_t date = uint32_t(year - 1980) << 9 | uint32_t(month) << 5 | uint32_t(day);
    uint32_t time = uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2);
    return date << 16 | time;
}

// A "UT" extra block with the given flags and times (as many as the flags name).
inline std::string UnixTimeBlock(uint8_t flags, std::vector<uint32_t> times, int declaredSize = -1)
{
    std::string block;
    Put16(block, 0x5455);
    Put16(block, declaredSize >= 0 ? uint32_t(declaredSize) : uint32_t(1 + 4 * times.size()));
    block += char(flags);
    for (uint32_t t : times)
        Put32(block, t);
    return block;
}

struct ZipEntry {
    std::string name;
    std::string data;
    int method = 8;
    uint32_t dosDateTime = DosDateTime(2021, 3, 5, 14, 30, 20);
    uint32_t externalAttributes = 0x20;
    uint32_t versionMadeBy = 20; // DOS
    uint32_t flags = 0;
    std::string localExtra;
    // Overrides of what the headers say, for damaged archives.
    int64_t centralUncompressedSize = -1;
    int64_t localUncompressedSize = -1;
    bool badCrc = false;
};

// Builds a whole archive; `prefix` is written before it (a self-extractor's stub), `comment`
// after the end record.
inline std::string BuildZip(const std::vector<ZipEntry>& entries, const std::string& prefix = "",
                            const std::string& comment = "", uint16_t diskNumber = 0)
{
    std::string out = prefix, central;
    for (const ZipEntry& e : entries) {
        std::string packed = e.method == 8 ? Deflate(e.data) : e.data;
        uint32_t crc = Crc(e.data) ^ (e.badCrc ? 1u : 0u);
        uint32_t size = uint32_t(e.data.size());
        uint32_t offset = uint32_t(out.size() - prefix.size());
        uint32_t localSize = e.localUncompressedSize >= 0 ? uint32_t(e.localUncompressedSize) : size;
        uint32_t centralSize = e.centralUncompressedSize >= 0 ? uint32_t(e.centralUncompressedSize) : size;
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, e.flags);
        Put16(out, uint32_t(e.method));
        Put32(out, e.dosDateTime);
        Put32(out, crc);
        Put32(out, uint32_t(packed.size()));
        Put32(out, localSize);
        Put16(out, uint32_t(e.name.size()));
        Put16(out, uint32_t(e.localExtra.size()));
        out += e.name + e.localExtra + packed;
        Put32(central, 0x02014b50);
        Put16(central, e.versionMadeBy);
        Put16(central, 20);
        Put16(central, e.flags);
        Put16(central, uint32_t(e.method));
        Put32(central, e.dosDateTime);
        Put32(central, crc);
        Put32(central, uint32_t(packed.size()));
        Put32(central, centralSize);
        Put16(central, uint32_t(e.name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, e.externalAttributes);
        Put32(central, offset);
        central += e.name;
    }
    uint32_t directoryOffset = uint32_t(out.size() - prefix.size());
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, diskNumber);
    Put16(out, 0);
    Put16(out, uint32_t(entries.size()));
    Put16(out, uint32_t(entries.size()));
    Put32(out, uint32_t(central.size()));
    Put32(out, directoryOffset);
    Put16(out, uint32_t(comment.size()));
    return out + comment;
}

// One ustar header and its data, padded to whole blocks.
inline std::string TarMember(const std::string& name, const std::string& data, char type = '0',
                             const std::string& sizeField = "")
{
    std::string h(512, '\0');
    h.replace(0, name.size(), name);
    h.replace(100, 7, "0000644");
    char field[13];
    std::snprintf(field, sizeof field, "%011o", unsigned(data.size()));
    h.replace(124, 11, sizeField.empty() ? std::string(field) : sizeField.substr(0, 11));
    h.replace(136, 11, "14017134510");
    h[156] = type;
    h.replace(257, 6, std::string("ustar\0", 6));
    h.replace(148, 8, "        ");
    unsigned sum = 0;
    for (unsigned char c : h)
        sum += c;
    std::snprintf(field, sizeof field, "%06o", sum);
    h.replace(148, 7, std::string(field, 6) + '\0');
    std::string padded = data;
    padded.resize((data.size() + 511) / 512 * 512, '\0');
    return h + padded;
}
inline std::string TarEnd() { return std::string(1024, '\0'); }

// ---- RAR headers of stored entries ------------------------------------------------------------

struct RarEntry {
    std::string name; // RAR 4: bytes in the program's code page; RAR 5: UTF-8
    std::string data;
    bool directory = false;
    uint32_t dosDateTime = DosDateTime(2020, 7, 9, 8, 15, 42); // RAR 4
    uint32_t unixTime = 1594282542;                            // RAR 5
    uint32_t attributes = 0x20;
};

inline std::string Rar4(const std::vector<RarEntry>& entries)
{
    std::string out("Rar!\x1a\x07\x00", 7);
    auto block = [&](uint8_t type, uint16_t flags, const std::string& body, const std::string& after) {
        std::string h;
        h += char(type);
        Put16(h, flags);
        Put16(h, uint32_t(7 + body.size()));
        h += body;
        uint32_t crc = Crc(h) & 0xffff;
        std::string whole;
        Put16(whole, crc);
        out += whole + h + after;
    };
    block(0x73, 0, std::string(6, '\0'), "");
    for (const RarEntry& e : entries) {
        std::string body;
        Put32(body, uint32_t(e.data.size()));
        Put32(body, uint32_t(e.data.size()));
        body += char(2); // Windows
        Put32(body, Crc(e.data));
        Put32(body, e.dosDateTime);
        body += char(29);
        body += char(0x30); // stored
        Put16(body, uint32_t(e.name.size()));
        Put32(body, e.directory ? 0x10 : e.attributes);
        body += e.name;
        block(0x74, uint16_t(0x8000 | (e.directory ? 0xE0 : 0)), body, e.data);
    }
    block(0x7b, 0x4000, "", "");
    return out;
}

inline void PutVint(std::string& s, uint64_t v)
{
    do {
        uint8_t b = uint8_t(v & 0x7f);
        v >>= 7;
        s += char(b | (v ? 0x80 : 0));
    } while (v);
}

inline std::string Rar5(const std::vector<RarEntry>& entries)
{
    std::string out("Rar!\x1a\x07\x01\x00", 8);
    auto block = [&](const std::string& fields, const std::string& after) {
        std::string size;
        PutVint(size, fields.size());
        std::string h = size + fields, crc;
        Put32(crc, Crc(h));
        out += crc + h + after;
    };
    std::string main;
    PutVint(main, 1); // main archive header
    PutVint(main, 0);
    PutVint(main, 0);
    block(main, "");
    for (const RarEntry& e : entries) {
        std::string f;
        PutVint(f, 2); // file header
        PutVint(f, 0x2); // a data area follows
        PutVint(f, e.data.size());
        PutVint(f, (e.directory ? 0x1 : 0) | 0x2 | 0x4); // mtime and CRC present
        PutVint(f, e.data.size());
        PutVint(f, e.directory ? 0x10 : e.attributes);
        Put32(f, e.unixTime);
        Put32(f, Crc(e.data));
        PutVint(f, 0); // version 0, stored
        PutVint(f, 0); // Windows
        PutVint(f, e.name.size());
        f += e.name;
        block(f, e.data);
    }
    std::string end;
    PutVint(end, 5);
    PutVint(end, 0);
    PutVint(end, 0);
    block(end, "");
    return out;
}

} // namespace archive_test
