// CPsdImage: a Photoshop document's composite image as a 24-bit DIB section.
#pragma once

#include "preview/psd_decoder.h"
#include "win32/win32.h"

class CPsdImage {
public:
    CPsdImage() = default;
    ~CPsdImage();
    CPsdImage(const CPsdImage&) = delete;
    CPsdImage& operator=(const CPsdImage&) = delete;

    // Reads the file; one of PsdResult. 0 with no bitmap: the image data was incomplete or unusable.
    int LoadPsd(const WCHAR* path);
    // The bitmap (null when decoding failed); from the first call on the caller owns it.
    HBITMAP DetachBitmap();
    const PsdDecoder& Decoder() const { return m_decoder; }

private:
    PsdDecoder m_decoder;
    HBITMAP m_bitmap = nullptr;
    bool m_handedOut = false;
};
