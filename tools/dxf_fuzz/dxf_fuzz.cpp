// Feeds arbitrary bytes to the drawing-exchange reader as a whole file, then flattens what it read.
#include "preview/dxf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DxfDrawingData drawing;
    if (ReadDxf(reinterpret_cast<const char*>(data), size, drawing) != DXF_OK)
        return 0;
    std::vector<DxfStroke> strokes;
    FlattenDxf(drawing, strokes);
    return 0;
}
