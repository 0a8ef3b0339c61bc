// Small pictures in every format, written by hand for the own formats and by the codec libraries for theirs.
#include "support/image_samples.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include <gif_lib.h>
#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>
#include <webp/encode.h>

namespace image_samples {

namespace {

void Put16(std::vector<uint8_t>& v, unsigned x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
unsigned R(uint32_t p) { return (p >> 16) & 0xFF; }
unsigned G(uint32_t p) { return (p >> 8) & 0xFF; }
unsigned B(uint32_t p) { return p & 0xFF; }

std::vector<uint8_t> Rgb(int w, int h)
{
    std::vector<uint8_t> rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p = SampleColour(x, y);
            rgb.insert(rgb.end(), {uint8_t(R(p)), uint8_t(G(p)), uint8_t(B(p))});
        }
    return rgb;
}

std::vector<uint8_t> ReadBack(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string TempName(const char* ext)
{
    static int counter = 0;
    return "/tmp/dovemark_sample_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ext;
}

// A 40-byte DIB header and the bottom-up rows of the sample; icons double the height for their mask.
void Dib(std::vector<uint8_t>& v, int w, int h, int bpp, bool icon)
{
    Put32(v, 40);
    Put32(v, uint32_t(w));
    Put32(v, uint32_t(icon ? 2 * h : h));
    Put16(v, 1);
    Put16(v, bpp);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, bpp == 8 ? uint32_t(w * h) : 0);
    Put32(v, 0);
    if (bpp == 8)
        for (int i = 0; i < w * h; ++i) {
            uint32_t p = SampleColour(i % w, i / w);
            v.insert(v.end(), {uint8_t(B(p)), uint8_t(G(p)), uint8_t(R(p)), 0});
        }
    const size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < w; ++x) {
            uint32_t p = SampleColour(x, y);
            if (bpp == 8)
                row[x] = uint8_t(y * w + x);
            else {
                const int n = bpp / 8;
                row[n * x] = uint8_t(B(p));
                row[n * x + 1] = uint8_t(G(p));
                row[n * x + 2] = uint8_t(R(p));
                if (n == 4)
                    row[n * x + 3] = 0xFF;
            }
        }
        v.insert(v.end(), row.begin(), row.end());
    }
    if (icon)
        v.insert(v.end(), ((size_t(w) + 31) / 32) * 4 * h, 0);
}

int GifWrite(GifFileType* gif, const GifByteType* data, int n)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

} // namespace

uint32_t SampleColour(int x, int y) { return 0xFF000000u | uint32_t(40 * x) << 16 | uint32_t(60 * y) << 8 | 200; }

std::vector<uint8_t> Bmp(int w, int h, int bpp)
{
    std::vector<uint8_t> dib;
    Dib(dib, w, h, bpp, false);
    std::vector<uint8_t> v{'B', 'M'};
    Put32(v, uint32_t(14 + dib.size()));
    Put32(v, 0);
    Put32(v, 14 + 40 + (bpp == 8 ? 4 * w * h : 0));
    v.insert(v.end(), dib.begin(), dib.end());
    return v;
}

std::vector<uint8_t> Bmp24(int w, int h, const std::function<uint32_t(int x, int y)>& colour)
{
    const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> v{'B', 'M'};
    Put32(v, uint32_t(54 + stride * size_t(h)));
    Put32(v, 0);
    Put32(v, 54);
    for (uint32_t x : {40u, uint32_t(w), uint32_t(h)})
        Put32(v, x);
    Put16(v, 1);
    Put16(v, 24);
    v.resize(54, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t p = colour(x, y);
            v.insert(v.end(), {uint8_t(B(p)), uint8_t(G(p)), uint8_t(R(p))});
        }
        v.resize(v.size() + stride - size_t(w) * 3, 0);
    }
    return v;
}

std::vector<uint8_t> Ico(int w, int h)
{
    std::vector<uint8_t> dib;
    Dib(dib, w, h, 32, true);
    std::vector<uint8_t> v;
    Put16(v, 0);
    Put16(v, 1);
    Put16(v, 1);
    v.insert(v.end(), {uint8_t(w), uint8_t(h), 0, 0});
    Put16(v, 1);
    Put16(v, 32);
    Put32(v, uint32_t(dib.size()));
    Put32(v, 22);
    v.insert(v.end(), dib.begin(), dib.end());
    return v;
}

std::vector<uint8_t> Tga(int w, int h, bool rle, bool bottomLeft)
{
    std::vector<uint8_t> v{0, 0, uint8_t(rle ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put16(v, w);
    Put16(v, h);
    v.push_back(24);
    v.push_back(bottomLeft ? 0x00 : 0x20);
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) {
            const int y = bottomLeft ? h - 1 - row : row;
            uint32_t p = SampleColour(x, y);
            if (rle)
                v.push_back(0); // a raw packet of one pixel
            v.insert(v.end(), {uint8_t(B(p)), uint8_t(G(p)), uint8_t(R(p))});
        }
    return v;
}

std::vector<uint8_t> Pcx(int w, int h)
{
    std::vector<uint8_t> v(128, 0);
    v[0] = 0x0A;
    v[1] = 5;
    v[2] = 1;
    v[3] = 8;
    v[8] = uint8_t(w - 1);
    v[10] = uint8_t(h - 1);
    v[65] = 3;
    const int lineBytes = (w + 1) & ~1;
    v[66] = uint8_t(lineBytes);
    for (int y = 0; y < h; ++y)
        for (int plane = 0; plane < 3; ++plane)
            for (int x = 0; x < lineBytes; ++x) {
                uint32_t p = SampleColour(std::min(x, w - 1), y);
                uint8_t c = uint8_t(plane == 0 ? R(p) : plane == 1 ? G(p) : B(p));
                if (c >= 0xC0)
                    v.push_back(0xC1);
                v.push_back(c);
            }
    return v;
}

std::vector<uint8_t> Pnm(int w, int h, bool ascii)
{
    std::string head = std::string(ascii ? "P3" : "P6") + "\n# sample\n" + std::to_string(w) + " " + std::to_string(h) +
                       "\n255\n";
    std::vector<uint8_t> v(head.begin(), head.end());
    for (uint8_t c : Rgb(w, h)) {
        if (ascii) {
            std::string s = std::to_string(c) + " ";
            v.insert(v.end(), s.begin(), s.end());
        } else {
            v.push_back(c);
        }
    }
    return v;
}

std::vector<uint8_t> EmfFile(int w, int h, const std::vector<std::vector<uint32_t>>& records, int handles)
{
    std::vector<uint8_t> body;
    for (const auto& r : records) {
        Put32(body, r.at(0));
        Put32(body, uint32_t(8 + 4 * (r.size() - 1)));
        for (size_t i = 1; i < r.size(); ++i)
            Put32(body, r[i]);
    }
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) // the end record: no palette
        Put32(body, v);
    std::vector<uint8_t> out;
    const uint32_t headerSize = 88;
    Put32(out, 1);
    Put32(out, headerSize);
    for (uint32_t v : {0u, 0u, uint32_t(w - 1), uint32_t(h - 1)}) // bounds, pixels
        Put32(out, v);
    for (uint32_t v : {0u, 0u, uint32_t(w * 2540 / 96), uint32_t(h * 2540 / 96)}) // frame, 0.01 mm
        Put32(out, v);
    Put32(out, 0x464D4520);
    Put32(out, 0x10000);
    Put32(out, uint32_t(headerSize + body.size()));
    Put32(out, uint32_t(records.size() + 2));
    Put16(out, unsigned(handles));
    Put16(out, 0);
    for (uint32_t v : {0u, 0u, 0u, 960u, 960u, 254u, 254u}) // description, palette, device 960 px = 254 mm
        Put32(out, v);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> Emf(int w, int h)
{
    const uint32_t red = 0x0000FF, blue = 0xFF0000, green = 0x00FF00;
    return EmfFile(w, h,
                   {{39, 1, 0, red, 0},                         // brush 1: solid red
                    {37, 1},                                    // select it
                    {43, 0, 0, uint32_t(w / 2), uint32_t(h)},   // rectangle over the left half
                    {39, 2, 0, blue, 0},                        // brush 2: solid blue
                    {37, 2},
                    {38, 3, 5, 0, 0, 0},                        // pen 3: none
                    {37, 3},
                    {42, uint32_t(w / 2), 0, uint32_t(w), uint32_t(h)}, // ellipse over the right half
                    {38, 4, 0, 1, 0, green},                    // pen 4: green
                    {37, 4},
                    {27, 0, 0},                                 // move to the top left
                    {54, uint32_t(w), 0}},                      // line along the top row
                   5);
}

std::vector<uint8_t> Png(int w, int h)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = unsigned(w);
    image.height = unsigned(h);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb = Rgb(w, h);
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr);
    out.resize(size);
    return out;
}

std::vector<uint8_t> Jpeg(int w, int h)
{
    return Jpeg(w, h, 100, [](int x, int y) { return SampleColour(x, y) & 0xFFFFFF; });
}

std::vector<uint8_t> Jpeg(int w, int h, int quality, const std::function<uint32_t(int x, int y)>& colour)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = unsigned(w);
    info.image_height = unsigned(h);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(w) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = colour(x, y);
            row[3 * size_t(x)] = uint8_t(R(p));
            row[3 * size_t(x) + 1] = uint8_t(G(p));
            row[3 * size_t(x) + 2] = uint8_t(B(p));
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    free(buffer);
    return out;
}

std::vector<uint8_t> Gif(int w, int h, int screenW, int screenH, int left, int top)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GifWrite, &error);
    GifColorType colours[256]{};
    for (int i = 0; i < w * h; ++i) {
        uint32_t p = SampleColour(i % w, i / w);
        colours[i] = {GifByteType(R(p)), GifByteType(G(p)), GifByteType(B(p))};
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, screenW ? screenW : w, screenH ? screenH : h, 8, 0, map);
    EGifPutImageDesc(gif, left, top, w, h, false, nullptr);
    for (int y = 0; y < h; ++y) {
        std::vector<GifPixelType> line(w);
        for (int x = 0; x < w; ++x)
            line[x] = GifPixelType(y * w + x);
        EGifPutLine(gif, line.data(), w);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

std::vector<uint8_t> HugeScreenGif()
{
    // Screen 8192 × 8191 with a two-colour table (red, black); one 1 × 1 frame; codes: clear, 0, end.
    return {'G', 'I', 'F', '8', '9', 'a', 0x00, 0x20, 0xFF, 0x1F, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0,
            0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B};
}

std::vector<uint8_t> Tiff(int w, int h)
{
    const std::string path = TempName(".tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, h);
    std::vector<uint8_t> rgb = Rgb(w, h);
    for (int y = 0; y < h; ++y)
        TIFFWriteScanline(tif, &rgb[size_t(y) * w * 3], uint32_t(y), 0);
    TIFFClose(tif);
    std::vector<uint8_t> out = ReadBack(path);
    std::remove(path.c_str());
    return out;
}

std::vector<uint8_t> WebP(int w, int h)
{
    std::vector<uint8_t> rgb = Rgb(w, h);
    uint8_t* data = nullptr;
    size_t size = WebPEncodeLosslessRGB(rgb.data(), w, h, w * 3, &data);
    std::vector<uint8_t> out(data, data + size);
    WebPFree(data);
    return out;
}

std::vector<uint8_t> J2k(int w, int h)
{
    opj_image_cmptparm_t parms[3]{};
    for (auto& p : parms) {
        p.dx = p.dy = 1;
        p.w = unsigned(w);
        p.h = unsigned(h);
        p.prec = 8;
    }
    opj_image_t* image = opj_image_create(3, parms, OPJ_CLRSPC_SRGB);
    image->x1 = unsigned(w);
    image->y1 = unsigned(h);
    for (int i = 0; i < w * h; ++i) {
        uint32_t p = SampleColour(i % w, i / w);
        image->comps[0].data[i] = int(R(p));
        image->comps[1].data[i] = int(G(p));
        image->comps[2].data[i] = int(B(p));
    }
    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.numresolution = 1;
    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
    opj_setup_encoder(codec, &params, image);
    const std::string path = TempName(".j2k");
    opj_stream_t* stream = opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE);
    opj_start_compress(codec, image, stream);
    opj_encode(codec, stream);
    opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    std::vector<uint8_t> out = ReadBack(path);
    std::remove(path.c_str());
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

std::vector<uint8_t> SunRaster(int w, int h, bool rle)
{
    std::vector<uint8_t> v;
    auto be32 = [&](uint32_t x) {
        for (int shift : {24, 16, 8, 0})
            v.push_back(uint8_t(x >> shift));
    };
    const size_t stride = (size_t(w) * 3 + 1) & ~size_t(1);
    std::vector<uint8_t> bits;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t p = SampleColour(x, y);
            bits.insert(bits.end(), {uint8_t(B(p)), uint8_t(G(p)), uint8_t(R(p))});
        }
        bits.resize(stride * size_t(y + 1), 0);
    }
    for (uint32_t x : {0x59A66A95u, uint32_t(w), uint32_t(h), 24u, uint32_t(bits.size()), rle ? 2u : 1u, 0u, 0u})
        be32(x);
    if (!rle) {
        v.insert(v.end(), bits.begin(), bits.end());
        return v;
    }
    // Runs of two or more as three bytes, single bytes as they are, the escape byte as its two-byte form.
    for (size_t i = 0; i < bits.size();) {
        size_t run = 1;
        while (i + run < bits.size() && bits[i + run] == bits[i] && run < 256)
            ++run;
        if (run >= 2)
            v.insert(v.end(), {0x80, uint8_t(run - 1), bits[i]});
        else if (bits[i] == 0x80)
            v.insert(v.end(), {0x80, 0x00});
        else
            v.push_back(bits[i]);
        i += run;
    }
    return v;
}

bool MonoWhite(int x, int y) { return (x + 2 * y) % 3 == 0; }

std::vector<uint8_t> Wbmp(int w, int h)
{
    std::vector<uint8_t> v{0, 0};
    auto number = [&](unsigned x) {
        if (x >= 128)
            v.push_back(uint8_t(0x80 | x >> 7));
        v.push_back(uint8_t(x & 0x7F));
    };
    number(unsigned(w));
    number(unsigned(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; x += 8) {
            uint8_t b = 0;
            for (int k = 0; k < 8 && x + k < w; ++k)
                if (MonoWhite(x + k, y))
                    b |= uint8_t(0x80 >> k);
            v.push_back(b);
        }
    return v;
}

std::vector<uint8_t> Pgx(int w, int h)
{
    const std::string head = "PG ML + 12 " + std::to_string(w) + " " + std::to_string(h) + "\n";
    std::vector<uint8_t> v(head.begin(), head.end());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned sample = unsigned(300 * x + 700 * y) & 0xFFF;
            v.insert(v.end(), {uint8_t(sample >> 8), uint8_t(sample)});
        }
    return v;
}

std::vector<uint8_t> Wmf(int w, int h)
{
    // Coordinates in twips: 15 a pixel.
    const int W = w * 15, H = h * 15;
    std::vector<uint8_t> records;
    auto record = [&](uint16_t function, std::initializer_list<int> words) {
        Put32(records, uint32_t(3 + words.size()));
        Put16(records, function);
        for (int x : words)
            Put16(records, unsigned(x) & 0xFFFF);
    };
    record(0x020B, {0, 0});                                     // window origin
    record(0x020C, {H, W});                                     // window extent
    record(0x02FA, {0, 1, 0, 0, 0});                            // black pen: slot 0
    record(0x02FC, {0, 0x00FF, 0, 0});                          // red brush: slot 1
    record(0x02FC, {0, 0x0000, 0x00FF, 0});                     // blue brush: slot 2
    record(0x012D, {0});
    record(0x012D, {1});
    record(0x041B, {H, W / 2, 0, 0});                           // rectangle: bottom, right, top, left
    record(0x012D, {2});
    record(0x0418, {H, W, 0, W / 2});                           // ellipse
    record(0x0000, {});
    std::vector<uint8_t> v;
    Put32(v, 0x9AC6CDD7u);
    Put16(v, 0);
    for (int x : {0, 0, W, H})
        Put16(v, unsigned(x));
    Put16(v, 1440);
    Put32(v, 0);
    uint16_t check = 0;
    for (size_t i = 0; i < v.size(); i += 2)
        check ^= uint16_t(v[i] | v[i + 1] << 8);
    Put16(v, check);
    Put16(v, 1);  // in memory
    Put16(v, 9);  // header words
    Put16(v, 0x0300);
    Put32(v, uint32_t(9 + records.size() / 2));
    Put16(v, 3);  // objects
    Put32(v, 8);  // largest record
    Put16(v, 0);
    v.insert(v.end(), records.begin(), records.end());
    return v;
}

} // namespace image_samples
