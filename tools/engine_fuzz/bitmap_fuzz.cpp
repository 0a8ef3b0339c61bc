// libFuzzer target: bitmap, icon and cursor files loaded through LoadImageW. The first byte chooses the image
// type, the load flags and the asked size; the rest is the file.
#include "win32/gdi.h"
#include "win32/resources.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/bitmap_fuzz_" + std::to_string(getpid()) + ".bmp";
    static const std::u16string widePath(path.begin(), path.end());
    if (size < 1)
        return 0;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    const BYTE choice = data[0];
    const UINT type = choice % 3 == 0 ? IMAGE_BITMAP : choice % 3 == 1 ? IMAGE_ICON : IMAGE_CURSOR;
    UINT flags = LR_LOADFROMFILE;
    if (choice & 0x04)
        flags |= LR_CREATEDIBSECTION;
    if (choice & 0x08)
        flags |= LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT;
    if (choice & 0x10)
        flags |= LR_MONOCHROME;
    const int side = (choice & 0x20) ? 16 : 0;
    HANDLE h = LoadImageW(nullptr, widePath.c_str(), type, side, side, flags);
    if (h) {
        if (type == IMAGE_BITMAP)
            DeleteObject(h);
        else
            DestroyIcon(static_cast<HICON>(h));
    }
    return 0;
}
