// CPreviewImage: the image library the picture views draw with (decode a file by type, its size, stretch it
// onto a DC), and the table of picture types it decodes.
#pragma once

#include "afx/afx.h"
#include "win32/picture.h"

// The image library's type id of a file name's extension (no regard to case); 0 when the name has no
// extension or the library cannot decode that format.
int PreviewImageType(LPCWSTR name);

class CPreviewImage {
public:
    // Decodes the file; a type of 0 or an undecodable file leaves the image invalid. Given the box the picture
    // is shown in (asked with its full size), it is decoded only as large as the box needs where the format
    // allows; the size reported is still the full one.
    CPreviewImage(LPCWSTR path, int type, const dovemark::PictureBox& box = {});
    ~CPreviewImage() { Destroy(); }
    CPreviewImage(const CPreviewImage&) = delete;
    CPreviewImage& operator=(const CPreviewImage&) = delete;

    bool IsValid() const { return m_picture != nullptr; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // Draws the whole picture into the rectangle; false when the image is invalid or drawing fails.
    bool Stretch(HDC dc, int x, int y, int width, int height, DWORD rop = SRCCOPY) const;
    void Destroy();
    // Pixels show through where the picture is transparent, so it must be drawn over its background.
    bool IsTranslucent() const;

private:
    IPicture* m_picture = nullptr;
    int m_width = 0;
    int m_height = 0;
};
