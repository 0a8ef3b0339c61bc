// Writers of small pictures in every decoded format, for the tests of the picture decoders and views.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace image_samples {

// A w × h picture of distinct colours: pixel (x, y) has red 40x, green 60y, blue 200 (0xAARRGGBB, opaque).
uint32_t SampleColour(int x, int y);

// Each writer returns the encoded file of the w × h sample.
std::vector<uint8_t> Bmp(int w, int h, int bpp);    // 8 (paletted), 24 or 32
// A 24-bit bitmap file of w × h pixels, pixel (x, y) of the colour 0xRRGGBB the function gives.
std::vector<uint8_t> Bmp24(int w, int h, const std::function<uint32_t(int x, int y)>& colour);
std::vector<uint8_t> Tga(int w, int h, bool rle, bool bottomLeft = false); // 24 bits, rows from the origin
std::vector<uint8_t> Pcx(int w, int h);             // 8 bits, three planes, RLE
std::vector<uint8_t> Pnm(int w, int h, bool ascii); // P3 or P6
std::vector<uint8_t> Ico(int w, int h);             // 32-bit DIB with an all-clear mask
std::vector<uint8_t> Png(int w, int h);
std::vector<uint8_t> Jpeg(int w, int h);
// A JPEG of w × h pixels at the given quality, pixel (x, y) of the colour 0xRRGGBB the function gives; the function
// is asked row by row, left to right, once per pixel.
std::vector<uint8_t> Jpeg(int w, int h, int quality, const std::function<uint32_t(int x, int y)>& colour);
// A GIF whose logical screen may be larger than its one frame: the w × h sample at (left, top) on a screen of
// screenW × screenH (the frame's own size when 0).
std::vector<uint8_t> Gif(int w, int h, int screenW = 0, int screenH = 0, int left = 0, int top = 0);
// The 35 bytes of a GIF whose logical screen is 8192 × 8191 (just under the pixel cap) and whose one frame is a
// single red pixel at the top left.
std::vector<uint8_t> HugeScreenGif();
std::vector<uint8_t> Tiff(int w, int h);
std::vector<uint8_t> WebP(int w, int h);            // lossless
std::vector<uint8_t> J2k(int w, int h);             // reversible, so lossless
std::vector<uint8_t> SunRaster(int w, int h, bool rle); // 24 bits, blue first

// A w × h black-and-white picture: pixel (x, y) is white when (x + 2y) % 3 is 0.
bool MonoWhite(int x, int y);
std::vector<uint8_t> Wbmp(int w, int h);
// A w × h grey picture: pixel (x, y) has the 12-bit sample 300x + 700y, big-endian; grey = sample >> 4.
std::vector<uint8_t> Pgx(int w, int h);
// A placeable Windows metafile of w × h pixels (1440 units an inch): a red rectangle with a black outline over its
// left half, a blue ellipse in its right half.
std::vector<uint8_t> Wmf(int w, int h);

// An enhanced metafile of w × h pixels at 96 DPI (frame, reference device and bounds agree) holding the records,
// each its type and the 32-bit words after its size, then the end record.
std::vector<uint8_t> EmfFile(int w, int h, const std::vector<std::vector<uint32_t>>& records, int handles = 1);
// A w × h metafile: a red rectangle with a black outline over its left half, a blue ellipse filling the right
// half, a green line along the top row.
std::vector<uint8_t> Emf(int w, int h);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& data);

} // namespace image_samples
