// The palette bitmap that the texture fills paint index by index.
#include "controls/dib.h"

#include <cstring>
#include <new>

CDib::CDib() = default;

CDib::~CDib() { Reset(); }

void CDib::Reset() {
    if (memoryDC_) {
        if (oldBitmap_) SelectObject(memoryDC_, oldBitmap_);
        DeleteDC(memoryDC_);
    }
    if (section_) DeleteObject(section_);
    memoryDC_ = nullptr;
    oldBitmap_ = nullptr;
    section_ = nullptr;
    sectionBits_ = nullptr;
    buffer_.reset();
    header_ = BITMAPINFOHEADER{};
    stride_ = 0;
    paletteCount_ = 0;
}

BYTE* CDib::Create(int width, int height, int bitCount) {
    Reset();
    if (width <= 0 || height <= 0 || bitCount <= 0 || bitCount > 32) return nullptr;
    unsigned long long stride = (((unsigned long long)bitCount * width + 31) >> 5) << 2;
    unsigned long long image = stride * (unsigned long long)height;
    DWORD palette = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    unsigned long long total = sizeof(BITMAPINFOHEADER) + 4ull * palette + image;
    if (image > 0xFFFFFFFFull || total > 0x7FFFFFFFull) return nullptr;
    buffer_.reset(new (std::nothrow) BYTE[total]());
    if (!buffer_) return nullptr;
    header_.biSize = sizeof(BITMAPINFOHEADER);
    header_.biWidth = width;
    header_.biHeight = height;
    header_.biPlanes = 1;
    header_.biBitCount = (WORD)bitCount;
    header_.biCompression = BI_RGB;
    header_.biSizeImage = (DWORD)image;
    stride_ = (DWORD)stride;
    paletteCount_ = palette;
    std::memcpy(buffer_.get(), &header_, sizeof(header_));
    return buffer_.get();
}

DWORD CDib::GetTotalSize() const {
    return buffer_ ? sizeof(BITMAPINFOHEADER) + GetPaletteSize() + header_.biSizeImage : 0;
}

BYTE* CDib::GetBits() const {
    return buffer_ ? buffer_.get() + sizeof(BITMAPINFOHEADER) + GetPaletteSize() : nullptr;
}

RGBQUAD* CDib::GetPalette() const {
    return buffer_ && paletteCount_ ? reinterpret_cast<RGBQUAD*>(buffer_.get() + sizeof(BITMAPINFOHEADER)) : nullptr;
}

void CDib::SetPaletteEntry(BYTE index, BYTE red, BYTE green, BYTE blue) {
    RGBQUAD* pal = GetPalette();
    if (!pal || index >= paletteCount_) return;
    pal[index] = RGBQUAD{blue, green, red, 0};
}

void CDib::BlendPalette(COLORREF color, int percent) {
    RGBQUAD* pal = GetPalette();
    if (!pal) return;
    if (percent > 100) percent = 100;
    if (percent < 0) percent = 0;
    int keep = 100 - percent;
    for (DWORD i = 0; i < paletteCount_; ++i) {
        pal[i].rgbRed = (BYTE)((pal[i].rgbRed * keep + GetRValue(color) * percent) / 100);
        pal[i].rgbGreen = (BYTE)((pal[i].rgbGreen * keep + GetGValue(color) * percent) / 100);
        pal[i].rgbBlue = (BYTE)((pal[i].rgbBlue * keep + GetBValue(color) * percent) / 100);
    }
}

void CDib::FillBits(BYTE value) {
    if (BYTE* bits = GetBits()) std::memset(bits, value, header_.biSizeImage);
}

void CDib::SetPixelIndex(int x, int y, BYTE index) {
    BYTE* bits = GetBits();
    if (!bits || !paletteCount_ || x < 0 || y < 0 || x >= header_.biWidth || y >= header_.biHeight) return;
    BYTE* row = bits + (size_t)(header_.biHeight - y - 1) * stride_;
    switch (header_.biBitCount) {
    case 8: row[x] = index; break;
    case 4: {
        BYTE& b = row[x / 2];
        b = (x & 1) ? (BYTE)((b & 0xF0) | (index & 0x0F)) : (BYTE)((b & 0x0F) | (index << 4));
        break;
    }
    case 1: {
        BYTE bit = (BYTE)(0x80 >> (x & 7));
        row[x / 8] = index ? (BYTE)(row[x / 8] | bit) : (BYTE)(row[x / 8] & ~bit);
        break;
    }
    default: break;
    }
}

BYTE CDib::GetPixelIndex(int x, int y) const {
    BYTE* bits = GetBits();
    if (!bits || header_.biBitCount != 8 || x < 0 || y < 0 || x >= header_.biWidth || y >= header_.biHeight)
        return 0;
    return bits[(size_t)(header_.biHeight - y - 1) * stride_ + x];
}

void CDib::Draw(HDC dc, int x, int y) {
    if (!buffer_ || !dc) return;
    if (!section_) {
        section_ = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(buffer_.get()), DIB_RGB_COLORS,
                                    &sectionBits_, nullptr, 0);
        if (section_ && !sectionBits_) {
            DeleteObject(section_);
            section_ = nullptr;
        }
        if (!section_) return;
    }
    if (!memoryDC_) {
        memoryDC_ = CreateCompatibleDC(dc);
        if (!memoryDC_) return;
        oldBitmap_ = SelectObject(memoryDC_, section_);
    }
    if (paletteCount_) SetDIBColorTable(memoryDC_, 0, paletteCount_, GetPalette());
    std::memcpy(sectionBits_, GetBits(), header_.biSizeImage);
    BitBlt(dc, x, y, header_.biWidth, header_.biHeight, memoryDC_, 0, 0, SRCCOPY);
}
