// The library-backed codecs (PNG, JPEG, GIF, TIFF, WebP, JPEG 2000) and the dispatch by signature.
#include "backend/images/image_decode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <gif_lib.h>
#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>
#include <tiffio.h>
#include <webp/decode.h>

namespace backend {

namespace {

uint32_t Pack(unsigned r, unsigned g, unsigned b, unsigned a = 0xFF)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

bool StartsWith(const uint8_t* d, size_t n, const char* sig, size_t len)
{
    return n >= len && std::memcmp(d, sig, len) == 0;
}

// ---- JPEG: errors leave through longjmp, so no C++ object with a destructor lives across it.
struct JpegError {
    jpeg_error_mgr base;
    jmp_buf jump;
};

void JpegFail(j_common_ptr info)
{
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

bool JpegRows(jpeg_decompress_struct& info, DecodedImage& out, std::vector<uint8_t>& row)
{
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        const unsigned y = info.output_scanline;
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            return false;
        uint32_t* dst = &out.pixels[size_t(y) * out.width];
        const int comps = info.output_components;
        for (int x = 0; x < out.width; ++x) {
            const uint8_t* s = &row[size_t(x) * comps];
            if (comps == 1)
                dst[x] = Pack(s[0], s[0], s[0]);
            else if (comps == 3)
                dst[x] = Pack(s[0], s[1], s[2]);
            else {
                // Adobe writes CMYK inverted; the colours come out as (255 − ink) × key.
                const unsigned k = s[3];
                dst[x] = Pack(s[0] * k / 255, s[1] * k / 255, s[2] * k / 255);
            }
        }
    }
    return true;
}

// ---- TIFF over memory.
struct MemoryFile {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

tsize_t TiffRead(thandle_t h, tdata_t buf, tsize_t n)
{
    auto* f = static_cast<MemoryFile*>(h);
    size_t left = f->pos < f->size ? f->size - f->pos : 0;
    size_t take = std::min(left, size_t(n < 0 ? 0 : n));
    std::memcpy(buf, f->data + f->pos, take);
    f->pos += take;
    return tsize_t(take);
}
tsize_t TiffWrite(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t TiffSeek(thandle_t h, toff_t off, int whence)
{
    auto* f = static_cast<MemoryFile*>(h);
    uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->size : 0;
    uint64_t to = base + off;
    if (to > f->size)
        return toff_t(-1);
    f->pos = size_t(to);
    return to;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<MemoryFile*>(h)->size; }
int TiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void TiffUnmap(thandle_t, tdata_t, toff_t) {}

// ---- GIF over memory.
int GifRead(GifFileType* gif, GifByteType* buf, int n)
{
    auto* f = static_cast<MemoryFile*>(gif->UserData);
    size_t left = f->size - f->pos;
    size_t take = std::min(left, size_t(n < 0 ? 0 : n));
    std::memcpy(buf, f->data + f->pos, take);
    f->pos += take;
    return int(take);
}

// ---- JPEG 2000 over memory.
OPJ_SIZE_T OpjRead(void* buf, OPJ_SIZE_T n, void* user)
{
    auto* f = static_cast<MemoryFile*>(user);
    size_t left = f->size - f->pos;
    if (left == 0)
        return OPJ_SIZE_T(-1);
    size_t take = std::min<size_t>(left, n);
    std::memcpy(buf, f->data + f->pos, take);
    f->pos += take;
    return take;
}
OPJ_OFF_T OpjSkip(OPJ_OFF_T n, void* user)
{
    auto* f = static_cast<MemoryFile*>(user);
    if (n < 0 || uint64_t(n) > f->size - f->pos)
        return -1;
    f->pos += size_t(n);
    return n;
}
OPJ_BOOL OpjSeek(OPJ_OFF_T to, void* user)
{
    auto* f = static_cast<MemoryFile*>(user);
    if (to < 0 || uint64_t(to) > f->size)
        return OPJ_FALSE;
    f->pos = size_t(to);
    return OPJ_TRUE;
}
void OpjQuiet(const char*, void*) {}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, DecodedImage& out)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return false;
    image.format = PNG_FORMAT_BGRA;
    if (!AllocateImage(out, image.width, image.height)) {
        png_image_free(&image);
        return false;
    }
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        out = DecodedImage{};
        return false;
    }
    out.hasAlpha = true;
    return true;
}

namespace {

// The largest reduction (in eighths: 8 keeps the full size) whose picture still covers the box.
unsigned JpegScale(const jpeg_decompress_struct& info, const ShownBox& box)
{
    if (!box)
        return 8;
    const auto [boxWidth, boxHeight] = box(int(info.image_width), int(info.image_height));
    for (unsigned eighths = 1; eighths < 8; ++eighths) {
        // The library rounds a reduced size up.
        const uint64_t w = (uint64_t(info.image_width) * eighths + 7) / 8;
        const uint64_t h = (uint64_t(info.image_height) * eighths + 7) / 8;
        if (w >= uint64_t(std::max(boxWidth, 1)) && h >= uint64_t(std::max(boxHeight, 1)))
            return eighths;
    }
    return 8;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage& out, const ShownBox& box)
{
    out = DecodedImage{};
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = JpegFail;
    error.base.emit_message = JpegSilence;
    // Kept outside the jump's reach: the vectors are sized only after the header is accepted.
    static thread_local std::vector<uint8_t> row;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        out = DecodedImage{};
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || !ImageSizeAllowed(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (info.jpeg_color_space != JCS_CMYK && info.jpeg_color_space != JCS_YCCK)
        info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    info.scale_num = JpegScale(info, box);
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    AllocateImage(out, info.output_width, info.output_height);
    out.fullWidth = int(info.image_width);
    out.fullHeight = int(info.image_height);
    row.assign(size_t(info.output_width) * info.output_components, 0);
    bool ok = JpegRows(info, out, row);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (!ok)
        out = DecodedImage{};
    return ok;
}

bool DecodeGif(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    MemoryFile file{data, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&file, GifRead, &error);
    if (!gif)
        return false;
    // The logical screen is checked before the library reads the frames.
    bool ok = ImageSizeAllowed(gif->SWidth, gif->SHeight);
    GifRecordType record;
    bool done = false;
    while (ok && !done && DGifGetRecordType(gif, &record) == GIF_OK) {
        if (record == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* ext;
            if (DGifGetExtension(gif, &code, &ext) != GIF_OK)
                ok = false;
            while (ok && ext)
                if (DGifGetExtensionNext(gif, &ext) != GIF_OK)
                    ok = false;
            continue;
        }
        if (record == TERMINATE_RECORD_TYPE)
            break;
        if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) != GIF_OK) {
            ok = false;
            break;
        }
        // The first frame is the picture. Only the part of the screen it covers is kept: the rest is
        // the backdrop, which a file of a few bytes could otherwise make cost hundreds of megabytes.
        const GifImageDesc& d = gif->Image;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        if (!map || d.Width <= 0 || d.Height <= 0 || !ImageSizeAllowed(d.Width, d.Height)) {
            ok = false;
            break;
        }
        out.width = gif->SWidth;
        out.height = gif->SHeight;
        const int left = std::clamp(d.Left, 0, out.width), top = std::clamp(d.Top, 0, out.height);
        const int right = int(std::clamp<int64_t>(int64_t(d.Left) + d.Width, left, out.width));
        const int bottom = int(std::clamp<int64_t>(int64_t(d.Top) + d.Height, top, out.height));
        out.part = {left, top, right - left, bottom - top};
        out.pixels.assign(size_t(out.part.width) * size_t(out.part.height), out.backdrop);
        std::vector<GifPixelType> line(size_t(d.Width));
        auto put = [&](int y) {
            const int py = d.Top + y;
            if (py < top || py >= bottom)
                return;
            uint32_t* row = out.pixels.data() + size_t(py - top) * size_t(out.part.width);
            for (int px = left; px < right; ++px) {
                const GifPixelType index = line[size_t(px - d.Left)];
                if (index < map->ColorCount) {
                    const GifColorType& c = map->Colors[index];
                    row[px - left] = Pack(c.Red, c.Green, c.Blue);
                }
            }
        };
        if (d.Interlace) {
            static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4 && ok; ++pass)
                for (int y = start[pass]; y < d.Height && ok; y += step[pass]) {
                    ok = DGifGetLine(gif, line.data(), d.Width) == GIF_OK;
                    if (ok)
                        put(y);
                }
        } else {
            for (int y = 0; y < d.Height && ok; ++y) {
                ok = DGifGetLine(gif, line.data(), d.Width) == GIF_OK;
                if (ok)
                    put(y);
            }
        }
        done = true;
    }
    DGifCloseFile(gif, &error);
    if (!ok || !done) {
        out = DecodedImage{};
        return false;
    }
    return true;
}

bool DecodeTiff(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    MemoryFile file{data, size, 0};
    TIFF* tif = TIFFClientOpen("memory", "rm", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                               TiffUnmap);
    if (!tif)
        return false;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    bool ok = AllocateImage(out, w, h);
    std::vector<uint32_t> raster;
    if (ok) {
        raster.resize(size_t(w) * h);
        ok = TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0) == 1;
    }
    TIFFClose(tif);
    if (!ok) {
        out = DecodedImage{};
        return false;
    }
    for (size_t i = 0; i < raster.size(); ++i) {
        const uint32_t p = raster[i];
        out.pixels[i] = Pack(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p), TIFFGetA(p));
    }
    out.hasAlpha = true;
    return true;
}

bool DecodeWebP(const uint8_t* data, size_t size, DecodedImage& out)
{
    int w = 0, h = 0;
    if (!WebPGetInfo(data, size, &w, &h) || !AllocateImage(out, w, h))
        return false;
    const size_t stride = size_t(w) * 4;
    if (!WebPDecodeBGRAInto(data, size, reinterpret_cast<uint8_t*>(out.pixels.data()), stride * h, int(stride))) {
        out = DecodedImage{};
        return false;
    }
    out.hasAlpha = true;
    return true;
}

bool DecodeJpeg2000(const uint8_t* data, size_t size, DecodedImage& out)
{
    out = DecodedImage{};
    const OPJ_CODEC_FORMAT format = StartsWith(data, size, "\xFF\x4F\xFF\x51", 4) ? OPJ_CODEC_J2K : OPJ_CODEC_JP2;
    MemoryFile file{data, size, 0};
    opj_stream_t* stream = opj_stream_create(64 * 1024, OPJ_TRUE);
    if (!stream)
        return false;
    opj_stream_set_user_data(stream, &file, nullptr);
    opj_stream_set_user_data_length(stream, size);
    opj_stream_set_read_function(stream, OpjRead);
    opj_stream_set_skip_function(stream, OpjSkip);
    opj_stream_set_seek_function(stream, OpjSeek);
    opj_codec_t* codec = opj_create_decompress(format);
    opj_set_error_handler(codec, OpjQuiet, nullptr);
    opj_set_warning_handler(codec, OpjQuiet, nullptr);
    opj_set_info_handler(codec, OpjQuiet, nullptr);
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    opj_image_t* image = nullptr;
    bool ok = opj_setup_decoder(codec, &params) && opj_read_header(stream, codec, &image) && image &&
              image->numcomps >= 1 && ImageSizeAllowed(int64_t(image->x1) - image->x0, int64_t(image->y1) - image->y0) &&
              opj_decode(codec, stream, image) && opj_end_decompress(codec, stream);
    if (ok) {
        const int w = int(image->x1 - image->x0), h = int(image->y1 - image->y0);
        const bool colour = image->numcomps >= 3;
        const unsigned used = colour ? 3 : 1;
        for (unsigned c = 0; c < used && ok; ++c) {
            const opj_image_comp_t& comp = image->comps[c];
            // Subsampled components are not scaled up here; they are refused rather than read past.
            ok = comp.data && comp.w == unsigned(w) && comp.h == unsigned(h) && comp.prec >= 1 && comp.prec <= 31;
        }
        if (ok && AllocateImage(out, w, h)) {
            auto sample = [&](unsigned c, size_t i) {
                const opj_image_comp_t& comp = image->comps[c];
                int64_t v = comp.data[i];
                if (comp.sgnd)
                    v += int64_t(1) << (comp.prec - 1);
                v = comp.prec > 8 ? v >> (comp.prec - 8) : v << (8 - comp.prec);
                return unsigned(std::clamp<int64_t>(v, 0, 255));
            };
            for (size_t i = 0; i < out.pixels.size(); ++i)
                out.pixels[i] = colour ? Pack(sample(0, i), sample(1, i), sample(2, i))
                                       : Pack(sample(0, i), sample(0, i), sample(0, i));
        } else {
            ok = false;
        }
    }
    if (image)
        opj_image_destroy(image);
    opj_destroy_codec(codec);
    opj_stream_destroy(stream);
    if (!ok)
        out = DecodedImage{};
    return ok;
}

ImageFormat ImageFormatOfExtension(const std::string& extIn)
{
    std::string ext;
    for (char c : extIn)
        ext += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    struct Row {
        const char* ext;
        ImageFormat format;
    };
    static const Row rows[] = {
        {"bmp", ImageFormat::Bmp},     {"dib", ImageFormat::Bmp},      {"ico", ImageFormat::Ico},
        {"gif", ImageFormat::Gif},     {"jpg", ImageFormat::Jpeg},     {"jpeg", ImageFormat::Jpeg},
        {"jpe", ImageFormat::Jpeg},    {"png", ImageFormat::Png},      {"tif", ImageFormat::Tiff},
        {"tiff", ImageFormat::Tiff},   {"webp", ImageFormat::WebP},    {"j2k", ImageFormat::Jpeg2000},
        {"jp2", ImageFormat::Jpeg2000}, {"j2c", ImageFormat::Jpeg2000}, {"jpc", ImageFormat::Jpeg2000},
        {"tga", ImageFormat::Tga},     {"pcx", ImageFormat::Pcx},      {"pnm", ImageFormat::Pnm},
        {"pbm", ImageFormat::Pnm},     {"pgm", ImageFormat::Pnm},      {"ppm", ImageFormat::Pnm},
        {"emf", ImageFormat::Emf},     {"wmf", ImageFormat::Wmf},      {"wbmp", ImageFormat::Wbmp},
        {"ras", ImageFormat::SunRaster}, {"pgx", ImageFormat::Pgx},
    };
    for (const Row& r : rows)
        if (ext == r.ext)
            return r.format;
    return ImageFormat::Unknown;
}

ImageFormat SniffImageFormat(const uint8_t* d, size_t n)
{
    if (StartsWith(d, n, "\x89PNG\r\n\x1a\n", 8))
        return ImageFormat::Png;
    if (StartsWith(d, n, "\xFF\xD8\xFF", 3))
        return ImageFormat::Jpeg;
    if (StartsWith(d, n, "GIF87a", 6) || StartsWith(d, n, "GIF89a", 6))
        return ImageFormat::Gif;
    if (StartsWith(d, n, "II*\0", 4) || StartsWith(d, n, "MM\0*", 4))
        return ImageFormat::Tiff;
    if (n >= 12 && StartsWith(d, n, "RIFF", 4) && std::memcmp(d + 8, "WEBP", 4) == 0)
        return ImageFormat::WebP;
    if (StartsWith(d, n, "\xFF\x4F\xFF\x51", 4) || StartsWith(d, n, "\0\0\0\x0CjP  \r\n\x87\n", 12))
        return ImageFormat::Jpeg2000;
    if (StartsWith(d, n, "BM", 2))
        return ImageFormat::Bmp;
    if (StartsWith(d, n, "\0\0\1\0", 4))
        return ImageFormat::Ico;
    if (n >= 44 && d[0] == 1 && d[1] == 0 && d[2] == 0 && d[3] == 0 && std::memcmp(d + 40, " EMF", 4) == 0)
        return ImageFormat::Emf;
    if (n >= 2 && d[0] == 'P' && d[1] >= '1' && d[1] <= '6')
        return ImageFormat::Pnm;
    if (StartsWith(d, n, "\x59\xA6\x6A\x95", 4))
        return ImageFormat::SunRaster;
    if (StartsWith(d, n, "PG ML", 5) || StartsWith(d, n, "PG LM", 5))
        return ImageFormat::Pgx;
    // A placeable metafile's key, or the header of one in memory or on disk (nine words, version 1 or 3).
    if (StartsWith(d, n, "\xD7\xCD\xC6\x9A", 4) ||
        (n >= 6 && (d[0] == 1 || d[0] == 2) && d[1] == 0 && d[2] == 9 && d[3] == 0 && d[4] == 0 && (d[5] == 1 || d[5] == 3)))
        return ImageFormat::Wmf;
    return ImageFormat::Unknown;
}

namespace {

bool DecodeByFormat(const uint8_t* data, size_t size, ImageFormat format, DecodedImage& out, const ShownBox& box)
{
    switch (format) {
    case ImageFormat::Png: return DecodePng(data, size, out);
    case ImageFormat::Jpeg: return DecodeJpeg(data, size, out, box);
    case ImageFormat::Gif: return DecodeGif(data, size, out);
    case ImageFormat::Tiff: return DecodeTiff(data, size, out);
    case ImageFormat::WebP: return DecodeWebP(data, size, out);
    case ImageFormat::Jpeg2000: return DecodeJpeg2000(data, size, out);
    case ImageFormat::Bmp: return DecodeBmp(data, size, out);
    case ImageFormat::Ico: return DecodeIco(data, size, out);
    case ImageFormat::Tga: return DecodeTga(data, size, out);
    case ImageFormat::Pcx: return DecodePcx(data, size, out);
    case ImageFormat::Pnm: return DecodePnm(data, size, out);
    case ImageFormat::Emf: return DecodeEmf(data, size, out);
    case ImageFormat::Wbmp: return DecodeWbmp(data, size, out);
    case ImageFormat::SunRaster: return DecodeSunRaster(data, size, out);
    case ImageFormat::Pgx: return DecodePgx(data, size, out);
    case ImageFormat::Wmf: return DecodeWmf(data, size, out);
    case ImageFormat::Unknown: return false;
    }
    return false;
}

} // namespace

bool DecodeImage(const uint8_t* data, size_t size, ImageFormat hint, DecodedImage& out, bool allowPartial,
                 const ShownBox& box)
{
    out = DecodedImage{};
    if (!data || size == 0)
        return false;
    ImageFormat format = SniffImageFormat(data, size);
    if (format == ImageFormat::Unknown)
        format = hint;
    if (!DecodeByFormat(data, size, format, out, box))
        return false;
    if (!allowPartial && out.IsPartial() && !ComposeImage(out)) {
        out = DecodedImage{};
        return false;
    }
    if (out.fullWidth == 0 && out.fullHeight == 0) {
        out.fullWidth = out.width;
        out.fullHeight = out.height;
    }
    return true;
}

bool ComposeImage(DecodedImage& image)
{
    if (!image.IsPartial())
        return true;
    DecodedImage whole;
    if (!AllocateImage(whole, image.width, image.height))
        return false;
    std::fill(whole.pixels.begin(), whole.pixels.end(), image.backdrop);
    const DecodedImage::Rect& p = image.part;
    for (int y = 0; y < p.height; ++y)
        std::copy_n(image.pixels.begin() + ptrdiff_t(y) * p.width, p.width,
                    whole.pixels.begin() + (ptrdiff_t(p.top) + y) * whole.width + p.left);
    whole.hasAlpha = image.hasAlpha;
    image = std::move(whole);
    return true;
}

bool DecodeImageFile(const std::string& path, DecodedImage& out)
{
    out = DecodedImage{};
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff length = in.tellg();
    if (length <= 0 || uint64_t(length) > kMaxImageFileBytes)
        return false;
    std::vector<uint8_t> data(static_cast<size_t>(length));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(data.data()), length))
        return false;
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    ImageFormat hint = ImageFormat::Unknown;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        hint = ImageFormatOfExtension(path.substr(dot + 1));
    return DecodeImage(data.data(), data.size(), hint, out);
}

} // namespace backend
