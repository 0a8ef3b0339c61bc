// CDib: an 8-bit palette device-independent bitmap in one memory block, copied to a DC through a DIB section.
#pragma once

#include <memory>

#include "win32/win32.h"

class CDib {
public:
    CDib();
    virtual ~CDib();
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // Null when the block cannot be allocated or the size is not positive.
    BYTE* Create(int width, int height, int bitCount);
    void Reset();

    DWORD GetTotalSize() const;
    DWORD GetPaletteSize() const { return 4 * paletteCount_; }
    BYTE* GetBits() const;
    RGBQUAD* GetPalette() const;
    int Width() const { return header_.biWidth; }
    int Height() const { return header_.biHeight; }
    DWORD Stride() const { return stride_; }

    void SetPaletteEntry(BYTE index, BYTE red, BYTE green, BYTE blue);
    void BlendPalette(COLORREF color, int percent);
    void FillBits(BYTE value);
    // y counts from the top row.
    void SetPixelIndex(int x, int y, BYTE index);
    BYTE GetPixelIndex(int x, int y) const;
    void Draw(HDC dc, int x, int y);

private:
    std::unique_ptr<BYTE[]> buffer_;
    BITMAPINFOHEADER header_{};
    DWORD stride_ = 0;
    DWORD paletteCount_ = 0;
    HBITMAP section_ = nullptr;
    HDC memoryDC_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    void* sectionBits_ = nullptr;
};
