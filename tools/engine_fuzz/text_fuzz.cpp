// libFuzzer target: hostile text through the layer's code-page conversions (936, 1252 and UTF-8, both ways, with
// the buffer-size rules of the conversion calls) and through the preview's reader of ".mht" archives. The first
// byte picks the code page; the rest is the text.
#include "preview/html/html_views.h"
#include "win32/text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const UINT pages[] = {936, 1252, CP_UTF8};
    const UINT page = pages[data[0] % 3];
    const char* text = reinterpret_cast<const char*>(data + 1);
    const int n = int(size - 1);

    const int need = MultiByteToWideChar(page, 0, text, n, nullptr, 0);
    std::vector<WCHAR> wide(size_t(need) + 1, 0);
    if (need > 1 && MultiByteToWideChar(page, 0, text, n, wide.data(), need / 2) != 0)
        __builtin_trap(); // a buffer too small must fail, not be overrun or half filled as success
    if (MultiByteToWideChar(page, 0, text, n, wide.data(), need) != need)
        __builtin_trap();
    MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text, n, wide.data(), need);

    const int back = WideCharToMultiByte(page, 0, wide.data(), need, nullptr, 0, nullptr, nullptr);
    std::vector<char> narrow(size_t(back > 0 ? back : 0) + 1, 0);
    if (back > 0 && WideCharToMultiByte(page, 0, wide.data(), need, narrow.data(), back, nullptr, nullptr) != back)
        __builtin_trap();
    const std::string again = WideToAnsi(AnsiToWide(std::string(text, size_t(n)), page), page);
    (void)again;

    HtmlText page16, location;
    ReadMhtPage(std::string(text, size_t(n)), page16, location);
    return 0;
}
