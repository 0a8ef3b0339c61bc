// OLE pictures: a decoded raster held as a DIB section behind IPicture, and the HGLOBAL stream it loads from.
#include "win32/picture.h"

#include "backend/images/image_decode.h"
#include "win32/kernel.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

const IID IID_ISequentialStream = {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
const IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPicture = {0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

namespace {

constexpr int kDpi = 96;

LONG PixelsToHimetric(int pixels) { return LONG((int64_t(pixels) * 2540 + kDpi / 2) / kDpi); }

// The answer of a property getter: the value through a caller's pointer, refused when there is none.
template <class T, class V>
HRESULT Answer(T* out, V value)
{
    if (!out)
        return E_POINTER;
    *out = T(value);
    return S_OK;
}

class GlobalStream final : public IStream {
public:
    GlobalStream(HGLOBAL memory, bool deleteOnRelease)
        : m_memory(memory), m_delete(deleteOnRelease), m_size(::GlobalSize(memory))
    {
    }

    HRESULT QueryInterface(REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStream) ||
            IsEqualIID(riid, IID_ISequentialStream)) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        ULONG left = --m_refs;
        if (left == 0) {
            if (m_delete)
                ::GlobalFree(m_memory);
            delete this;
        }
        return left;
    }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        const uint64_t left = m_pos < m_size ? m_size - m_pos : 0;
        const ULONG take = ULONG(std::min<uint64_t>(cb, left));
        if (take) {
            auto* base = static_cast<const BYTE*>(::GlobalLock(m_memory));
            if (!base)
                return STG_E_READFAULT;
            std::memcpy(pv, base + m_pos, take);
            ::GlobalUnlock(m_memory);
        }
        m_pos += take;
        if (pcbRead)
            *pcbRead = take;
        return take == cb ? S_OK : S_FALSE;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        if (m_pos + cb > m_size && FAILED(Resize(m_pos + cb)))
            return E_OUTOFMEMORY;
        if (cb) {
            auto* base = static_cast<BYTE*>(::GlobalLock(m_memory));
            if (!base)
                return E_OUTOFMEMORY;
            std::memcpy(base + m_pos, pv, cb);
            ::GlobalUnlock(m_memory);
        }
        m_pos += cb;
        if (pcbWritten)
            *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override
    {
        int64_t base;
        switch (origin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = int64_t(m_pos); break;
        case STREAM_SEEK_END: base = int64_t(m_size); break;
        default: return STG_E_INVALIDFUNCTION;
        }
        const int64_t to = base + move.QuadPart;
        if (to < 0)
            return STG_E_INVALIDFUNCTION;
        m_pos = uint64_t(to);
        if (newPos)
            newPos->QuadPart = m_pos;
        return S_OK;
    }
    HRESULT SetSize(ULARGE_INTEGER size) override { return Resize(size.QuadPart); }
    HRESULT CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) override
    {
        if (!target)
            return STG_E_INVALIDPOINTER;
        const uint64_t left = m_pos < m_size ? m_size - m_pos : 0;
        const uint64_t take = std::min<uint64_t>(cb.QuadPart, left);
        std::vector<BYTE> buffer(size_t(std::min<uint64_t>(take, 1 << 20)));
        uint64_t done = 0, written = 0;
        while (done < take) {
            ULONG got = 0, put = 0;
            Read(buffer.data(), ULONG(std::min<uint64_t>(buffer.size(), take - done)), &got);
            if (got == 0)
                break;
            HRESULT hr = target->Write(buffer.data(), got, &put);
            done += got;
            written += put;
            if (FAILED(hr))
                return hr;
        }
        if (pcbRead)
            pcbRead->QuadPart = done;
        if (pcbWritten)
            pcbWritten->QuadPart = written;
        return S_OK;
    }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

private:
    HRESULT Resize(uint64_t size)
    {
        if (size > 0x7FFFFFFF)
            return E_OUTOFMEMORY;
        HGLOBAL grown = ::GlobalReAlloc(m_memory, SIZE_T(size), GMEM_MOVEABLE);
        if (!grown)
            return E_OUTOFMEMORY;
        m_memory = grown;
        m_size = size;
        return S_OK;
    }

    std::atomic<ULONG> m_refs{1};
    HGLOBAL m_memory;
    bool m_delete;
    uint64_t m_size;
    uint64_t m_pos = 0;
};

class RasterPicture final : public IPicture {
public:
    // Takes the decoded pixels into a top-down 32-bit DIB section; alpha pixels are premultiplied for blending.
    // Icons and metafiles keep their kind: their type and attributes say so. A partial picture keeps only its
    // part; the rest is drawn as the backdrop, and the whole raster is made only when its handle is asked for.
    // A picture decoded reduced still measures what the file says; drawing maps that onto its pixels.
    static RasterPicture* Create(backend::DecodedImage& image, SHORT type)
    {
        const bool partial = image.IsPartial();
        const int width = partial ? image.part.width : image.width, height = partial ? image.part.height : image.height;
        HBITMAP bitmap = nullptr;
        bool translucent = false;
        if (width > 0 && height > 0) {
            void* bits = nullptr;
            bitmap = dovemark::CreateTopDownDib32(width, height, &bits);
            if (!bitmap)
                return nullptr;
            translucent = CopyPixels(image, static_cast<uint32_t*>(bits));
        }
        auto* picture = new RasterPicture(bitmap, image.width, image.height, translucent, type);
        if (image.fullWidth > 0 && image.fullHeight > 0) {
            picture->m_fullWidth = image.fullWidth;
            picture->m_fullHeight = image.fullHeight;
        }
        if (partial) {
            picture->m_part = image.part;
            picture->m_backdrop = image.backdrop;
            picture->m_partial = std::make_unique<backend::DecodedImage>(std::move(image));
        }
        return picture;
    }

    HRESULT QueryInterface(REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPicture)) {
            *out = static_cast<IPicture*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT get_Handle(OLE_HANDLE* out) override
    {
        if (!out)
            return E_POINTER;
        if (m_partial && !MakeWhole())
            return E_OUTOFMEMORY;
        return Answer(out, OLE_HANDLE(reinterpret_cast<uintptr_t>(m_bitmap)));
    }
    HRESULT get_hPal(OLE_HANDLE* out) override { return Answer(out, 0); }
    HRESULT get_Type(SHORT* out) override { return Answer(out, m_type); }
    HRESULT get_Width(OLE_XSIZE_HIMETRIC* out) override { return Answer(out, PixelsToHimetric(m_fullWidth)); }
    HRESULT get_Height(OLE_YSIZE_HIMETRIC* out) override { return Answer(out, PixelsToHimetric(m_fullHeight)); }
    HRESULT Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc, OLE_YPOS_HIMETRIC ySrc,
                   OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc, LPCRECT) override
    {
        if (!dc || cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0)
            return E_INVALIDARG;
        const LONG hmWidth = PixelsToHimetric(m_fullWidth), hmHeight = PixelsToHimetric(m_fullHeight);
        auto px = [&](LONG hm) { return int(int64_t(hm) * m_width / hmWidth); };
        auto py = [&](LONG hm) { return int(int64_t(hm) * m_height / hmHeight); };
        // HIMETRIC y grows upwards from the bottom edge; pixel rows grow downwards from the top.
        const int top = py(hmHeight - ySrc), bottom = py(hmHeight - (ySrc + cySrc));
        const int left = px(xSrc), width = px(cxSrc);
        if (m_partial)
            return RenderPart(dc, x, y, cx, cy, left, top, width, bottom - top) ? S_OK : E_FAIL;
        return Blit(dc, x, y, cx, cy, left, top, width, bottom - top) ? S_OK : E_FAIL;
    }
    HRESULT set_hPal(OLE_HANDLE) override { return E_NOTIMPL; }
    HRESULT get_CurDC(HDC* out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return S_OK;
    }
    HRESULT SelectPicture(HDC, HDC*, OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT get_KeepOriginalFormat(BOOL* out) override
    {
        if (!out)
            return E_POINTER;
        *out = FALSE;
        return S_OK;
    }
    HRESULT put_KeepOriginalFormat(BOOL) override { return S_OK; }
    HRESULT PictureChanged() override { return S_OK; }
    HRESULT SaveAsFile(LPSTREAM, BOOL, LONG*) override { return E_NOTIMPL; }
    HRESULT get_Attributes(DWORD* out) override
    {
        if (!out)
            return E_POINTER;
        // Icons and metafiles always report transparency, whether or not this one has clear pixels; metafiles
        // scale as well.
        *out = m_translucent || m_type != PICTYPE_BITMAP ? PICTURE_TRANSPARENT : 0;
        if (m_type == PICTYPE_ENHMETAFILE)
            *out |= PICTURE_SCALABLE;
        return S_OK;
    }

private:
    RasterPicture(HBITMAP bitmap, int width, int height, bool translucent, SHORT type)
        : m_bitmap(bitmap), m_width(width), m_height(height), m_fullWidth(width), m_fullHeight(height),
          m_translucent(translucent), m_type(type)
    {
    }
    ~RasterPicture()
    {
        if (m_bitmap)
            ::DeleteObject(m_bitmap);
    }

    // Copies the pixels, premultiplying translucent ones; true when any was.
    static bool CopyPixels(const backend::DecodedImage& image, uint32_t* dst)
    {
        bool translucent = false;
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            uint32_t p = image.pixels[i];
            const uint32_t a = p >> 24;
            if (image.hasAlpha && a != 0xFF) {
                translucent = true;
                p = (a << 24) | (((p >> 16 & 0xFF) * a / 255) << 16) | (((p >> 8 & 0xFF) * a / 255) << 8) |
                    ((p & 0xFF) * a / 255);
            }
            dst[i] = p;
        }
        return translucent;
    }

    // Source pixels (sx, sy, sw, sh) of the held bitmap onto the destination rectangle.
    bool Blit(HDC dc, int x, int y, int cx, int cy, int sx, int sy, int sw, int sh) const
    {
        HDC mem = ::CreateCompatibleDC(dc);
        if (!mem)
            return false;
        HGDIOBJ old = ::SelectObject(mem, m_bitmap);
        BOOL ok;
        if (m_translucent && sh > 0 && cy > 0 && cx > 0 && sw > 0) {
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            ok = ::AlphaBlend(dc, x, y, cx, cy, mem, sx, sy, sw, sh, blend);
        } else {
            ok = ::StretchBlt(dc, x, y, cx, cy, mem, sx, sy, sw, sh, SRCCOPY);
        }
        ::SelectObject(mem, old);
        ::DeleteDC(mem);
        return ok != FALSE;
    }

    // The backdrop over the destination, then the part where it lands: the screen around a frame costs nothing.
    bool RenderPart(HDC dc, int x, int y, int cx, int cy, int sx, int sy, int sw, int sh) const
    {
        if (sw == 0 || sh == 0)
            return false;
        auto toX = [&](int64_t px) { return int(x + (px - sx) * cx / sw); };
        auto toY = [&](int64_t py) { return int(y + (py - sy) * cy / sh); };
        const int64_t sx0 = std::min(sx, sx + sw), sx1 = std::max(sx, sx + sw);
        const int64_t sy0 = std::min(sy, sy + sh), sy1 = std::max(sy, sy + sh);
        // The backdrop covers what the source rectangle holds of the picture.
        const int64_t bx0 = std::max<int64_t>(sx0, 0), bx1 = std::min<int64_t>(sx1, m_width);
        const int64_t by0 = std::max<int64_t>(sy0, 0), by1 = std::min<int64_t>(sy1, m_height);
        if (bx0 < bx1 && by0 < by1) {
            RECT r{toX(bx0), toY(by0), toX(bx1), toY(by1)};
            if (r.left > r.right)
                std::swap(r.left, r.right);
            if (r.top > r.bottom)
                std::swap(r.top, r.bottom);
            HBRUSH brush = ::CreateSolidBrush(RGB(m_backdrop >> 16 & 0xFF, m_backdrop >> 8 & 0xFF, m_backdrop & 0xFF));
            ::FillRect(dc, &r, brush);
            ::DeleteObject(brush);
        }
        const int64_t px0 = std::max<int64_t>(sx0, m_part.left), px1 = std::min<int64_t>(sx1, m_part.left + m_part.width);
        const int64_t py0 = std::max<int64_t>(sy0, m_part.top), py1 = std::min<int64_t>(sy1, m_part.top + m_part.height);
        if (!m_bitmap || px0 >= px1 || py0 >= py1)
            return true;
        // Mirrored sources keep their direction: the part's edges are taken in the order the source runs.
        const int64_t ax = sw > 0 ? px0 : px1, bx = sw > 0 ? px1 : px0;
        const int64_t ay = sh > 0 ? py0 : py1, by = sh > 0 ? py1 : py0;
        const int dx0 = toX(ax), dy0 = toY(ay);
        return Blit(dc, dx0, dy0, toX(bx) - dx0, toY(by) - dy0, int(px0 - m_part.left), int(py0 - m_part.top),
                    int(px1 - px0), int(py1 - py0));
    }

    // The whole raster, for callers that take the bitmap itself; under the decoders' caps.
    bool MakeWhole()
    {
        if (!backend::ComposeImage(*m_partial))
            return false;
        void* bits = nullptr;
        HBITMAP whole = dovemark::CreateTopDownDib32(m_width, m_height, &bits);
        if (!whole)
            return false;
        m_translucent = CopyPixels(*m_partial, static_cast<uint32_t*>(bits));
        if (m_bitmap)
            ::DeleteObject(m_bitmap);
        m_bitmap = whole;
        m_partial.reset();
        return true;
    }

    std::atomic<ULONG> m_refs{1};
    HBITMAP m_bitmap;
    int m_width;
    int m_height;
    int m_fullWidth;
    int m_fullHeight;
    bool m_translucent;
    SHORT m_type;
    std::unique_ptr<backend::DecodedImage> m_partial;
    backend::DecodedImage::Rect m_part;
    uint32_t m_backdrop = 0xFFFFFFFF;
};

HRESULT Publish(const std::vector<uint8_t>& data, backend::ImageFormat hint, REFIID riid, LPVOID* out,
                const backend::ShownBox& box = {})
{
    static std::once_flag metafiles;
    std::call_once(metafiles, dovemark::InstallEmfCanvas);
    backend::DecodedImage image;
    if (!backend::DecodeImage(data.data(), data.size(), hint, image, true, box))
        return CTL_E_INVALIDPICTURE;
    backend::ImageFormat format = backend::SniffImageFormat(data.data(), data.size());
    if (format == backend::ImageFormat::Unknown)
        format = hint;
    const SHORT type = format == backend::ImageFormat::Ico   ? PICTYPE_ICON
                       : format == backend::ImageFormat::Emf ? PICTYPE_ENHMETAFILE
                       : format == backend::ImageFormat::Wmf ? PICTYPE_METAFILE
                                                             : PICTYPE_BITMAP;
    RasterPicture* picture = RasterPicture::Create(image, type);
    if (!picture)
        return E_OUTOFMEMORY;
    HRESULT hr = picture->QueryInterface(riid, out);
    picture->Release();
    return hr;
}

} // namespace

HBITMAP dovemark::CreateTopDownDib32(int width, int height, void** bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (bitmap && !*bits) {
        ::DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

bool dovemark::PicturePixelSize(IPicture* picture, int& width, int& height)
{
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (!picture || FAILED(picture->get_Width(&hmWidth)) || FAILED(picture->get_Height(&hmHeight)) || hmWidth <= 0 ||
        hmHeight <= 0)
        return false;
    width = int((int64_t(hmWidth) * kDpi + 1270) / 2540);
    height = int((int64_t(hmHeight) * kDpi + 1270) / 2540);
    return width > 0 && height > 0;
}

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm)
{
    if (!ppstm)
        return E_INVALIDARG;
    *ppstm = nullptr;
    if (!hGlobal) {
        hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, 0);
        if (!hGlobal)
            return E_OUTOFMEMORY;
    } else if (!::GlobalLock(hGlobal)) {
        return E_INVALIDARG;
    } else {
        ::GlobalUnlock(hGlobal);
    }
    *ppstm = new GlobalStream(hGlobal, fDeleteOnRelease != FALSE);
    return S_OK;
}

HRESULT OleLoadPicture(LPSTREAM lpstream, LONG lSize, BOOL, REFIID riid, LPVOID* lplpvObj)
{
    if (!lplpvObj)
        return E_POINTER;
    *lplpvObj = nullptr;
    if (!lpstream || lSize < 0)
        return E_INVALIDARG;
    std::vector<uint8_t> data;
    BYTE chunk[65536];
    for (;;) {
        ULONG want = sizeof chunk;
        if (lSize > 0)
            want = ULONG(std::min<uint64_t>(want, uint64_t(lSize) - data.size()));
        if (want == 0 || data.size() + want > backend::kMaxImageFileBytes)
            break;
        ULONG got = 0;
        if (FAILED(lpstream->Read(chunk, want, &got)) || got == 0)
            break;
        data.insert(data.end(), chunk, chunk + got);
    }
    return Publish(data, backend::ImageFormat::Unknown, riid, lplpvObj);
}

namespace {

// The whole picture file and the format its extension names (for formats without a signature).
HRESULT ReadPictureFile(LPCWSTR path, std::vector<uint8_t>& data, backend::ImageFormat& byExtension)
{
    if (!path || !*path)
        return E_INVALIDARG;
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT(0x80070000u | (::GetLastError() & 0xFFFF));
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file, &length) || length.QuadPart <= 0 ||
        uint64_t(length.QuadPart) > backend::kMaxImageFileBytes) {
        ::CloseHandle(file);
        return CTL_E_INVALIDPICTURE;
    }
    data.resize(size_t(length.QuadPart));
    DWORD got = 0;
    BOOL read = ::ReadFile(file, data.data(), DWORD(data.size()), &got, nullptr);
    ::CloseHandle(file);
    if (!read || got != data.size())
        return CTL_E_INVALIDPICTURE;
    std::u16string name(path);
    const size_t dot = name.find_last_of(u'.');
    const size_t sep = name.find_last_of(u"\\/");
    std::string ext;
    if (dot != std::u16string::npos && (sep == std::u16string::npos || dot > sep))
        for (char16_t c : name.substr(dot + 1))
            ext += c < 0x80 ? char(c) : '?';
    byExtension = backend::ImageFormatOfExtension(ext);
    return S_OK;
}

HRESULT LoadPictureFile(LPCWSTR path, REFIID riid, LPVOID* out, const backend::ShownBox& box)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    std::vector<uint8_t> data;
    backend::ImageFormat hint = backend::ImageFormat::Unknown;
    if (HRESULT hr = ReadPictureFile(path, data, hint); FAILED(hr))
        return hr;
    return Publish(data, hint, riid, out, box);
}

} // namespace

HRESULT OleLoadPicturePath(LPOLESTR szURLorPath, LPUNKNOWN, DWORD, OLE_COLOR, REFIID riid, LPVOID* ppvRet)
{
    return LoadPictureFile(szURLorPath, riid, ppvRet, {});
}

HRESULT dovemark::LoadPicturePathForBox(LPCWSTR path, const PictureBox& box, IPicture** out)
{
    backend::ShownBox shown;
    if (box)
        shown = [&box](int w, int h) {
            const SIZE size = box(w, h);
            return std::pair<int, int>(size.cx, size.cy);
        };
    return LoadPictureFile(path, IID_IPicture, reinterpret_cast<void**>(out), shown);
}
