// The drawing library "DXF.dll" of the drawing preview: drawings are created, loaded from ASCII
// drawing-exchange files, fitted and painted through the "drw" entry points. The preview pane
// registers it in the layer's module table, so the view binds it with LoadLibrary.
#pragma once

#include "win32/win32.h"

#include <cstddef>
#include <cstdint>

// The drawing handle the library hands out (0: none).
typedef int DRWHANDLE;

// The view properties record; the library keeps the fields it does not use as they were set.
#pragma pack(push, 1)
struct DrwViewProperties {
    int32_t reserved0;
    int32_t windowLeft, windowTop, windowRight, windowBottom; // 4, 8, 12, 16
    int32_t reserved20;
    double viewLeft, viewBottom;                              // 24, 32
    double reserved40[2];
    double pixelsPerUnit;                                     // 56
    double zoom;                                              // 64
    uint8_t reserved72[56];
};
#pragma pack(pop)
static_assert(sizeof(DrwViewProperties) == 128);
static_assert(offsetof(DrwViewProperties, viewLeft) == 24 && offsetof(DrwViewProperties, pixelsPerUnit) == 56 &&
              offsetof(DrwViewProperties, zoom) == 64);

// The progress message the library sends to the window it loads with: wParam is the percentage.
#define DRW_PROGRESS_MESSAGE (WM_USER + 1)

// The file sizes the library reads; a larger file fails to load.
constexpr uint64_t kDrwMaxFileSize = 64ull << 20;

void RegisterDxfLibrary();
