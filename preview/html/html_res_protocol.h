// CResProtocolHost: "res://" addresses answered from the program's own HTML resources.
#pragma once

#include <memory>

#include "preview/html/html_text.h"
#include "win32/win32.h"

class CResProtocolHost {
public:
    // The resource bytes with a zero byte after them, or null; size gets the byte count.
    static std::unique_ptr<char[]> LoadData(HtmlView address, size_t& size);
    // The resource bytes as wide text with a 16-bit zero after them, or null.
    static std::unique_ptr<char16_t[]> LoadText(HtmlView address, size_t& size);
    // Destroys the two kept windows; called when the renderer's view closes.
    static void Shutdown();
    static HWND s_hWindows[2];
};
