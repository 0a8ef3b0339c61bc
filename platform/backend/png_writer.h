// Writes 8-bit RGBA images as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace backend {

// `rgba` holds height rows of width * 4 bytes (R, G, B, A). False if the file cannot be written.
bool WritePngRgba(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

} // namespace backend
