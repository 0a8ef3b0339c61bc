// Writes Photoshop documents for the tests: header, colour mode data, image resources, an empty
// layer section and the composite image, raw or PackBits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PsdSpec {
    int channels = 3;
    int width = 2;
    int height = 2;
    int depth = 8;
    int mode = 3;
    std::string colorModeData;
    std::string resources; // the whole resource section's blocks
    int compression = 0;
    // Samples plane after plane, depth/8 bytes each, big-endian.
    std::vector<uint8_t> planes;
};

inline void PutBE(std::string& out, uint64_t v, int n)
{
    for (int i = n - 1; i >= 0; --i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}

// One resource block: "8BIM", id, an empty name, the data padded to even length.
inline std::string PsdResource(int id, const std::string& data)
{
    std::string out = "8BIM";
    PutBE(out, (uint64_t)id, 2);
    out += std::string("\0\0", 2);
    PutBE(out, data.size(), 4);
    out += data;
    if (data.size() % 2)
        out.push_back('\0');
    return out;
}

// PackBits of one row, as literal runs of up to 128 bytes and repeats of 3 or more.
inline std::string PackBits(const std::string& row)
{
    std::string out;
    size_t i = 0;
    while (i < row.size()) {
        size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i])
            ++run;
        if (run >= 3) {
            out.push_back(char(257 - run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        size_t start = i, n = 0;
        while (i < row.size() && n < 128) {
            size_t r = 1;
            while (i + r < row.size() && r < 3 && row[i + r] == row[i])
                ++r;
            if (r >= 3)
                break;
            ++i;
            ++n;
        }
        out.push_back(char(n - 1));
        out += row.substr(start, n);
    }
    return out;
}

inline std::string WritePsd(const PsdSpec& s)
{
    std::string out = "8BPS";
    PutBE(out, 1, 2);
    out += std::string(6, '\0');
    PutBE(out, (uint64_t)s.channels, 2);
    PutBE(out, (uint64_t)s.height, 4);
    PutBE(out, (uint64_t)s.width, 4);
    PutBE(out, (uint64_t)s.depth, 2);
    PutBE(out, (uint64_t)s.mode, 2);
    PutBE(out, s.colorModeData.size(), 4);
    out += s.colorModeData;
    PutBE(out, s.resources.size(), 4);
    out += s.resources;
    PutBE(out, 0, 4); // no layers
    PutBE(out, (uint64_t)s.compression, 2);
    std::string data(s.planes.begin(), s.planes.end());
    if (s.compression != 1) {
        out += data;
        return out;
    }
    size_t rowBytes = (size_t)s.width * (size_t)s.depth / 8;
    std::string counts, rows;
    for (size_t at = 0; at + rowBytes <= data.size(); at += rowBytes) {
        std::string packed = PackBits(data.substr(at, rowBytes));
        PutBE(counts, packed.size(), 2);
        rows += packed;
    }
    return out + counts + rows;
}
