// "res://" addresses: resources of type 23 of the program, named by the address or by its last part.
#include "preview/html/html_res_protocol.h"

#include <cstring>

HWND CResProtocolHost::s_hWindows[2] = {nullptr, nullptr};

namespace {

bool FindPage(HtmlView address, const char* & bytes, size_t& size)
{
    if (!StartsWithNoCase(address, u"res://"))
        return false;
    HtmlView names[2] = {address.substr(6), address.substr(address.rfind(u'/') + 1)};
    for (HtmlView name : names) {
        HtmlText key(name);
        HMODULE module = GetModuleHandleW(nullptr);
        HRSRC found = FindResourceW(module, key.c_str(), RT_HTML);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (data) {
            bytes = static_cast<const char*>(data);
            size = SizeofResource(module, found);
            return true;
        }
    }
    return false;
}

} // namespace

std::unique_ptr<char[]> CResProtocolHost::LoadData(HtmlView address, size_t& size)
{
    const char* bytes = nullptr;
    if (!FindPage(address, bytes, size))
        return nullptr;
    auto buffer = std::make_unique<char[]>(size + 1);
    memcpy(buffer.get(), bytes, size);
    buffer[size] = 0;
    return buffer;
}

std::unique_ptr<char16_t[]> CResProtocolHost::LoadText(HtmlView address, size_t& size)
{
    const char* bytes = nullptr;
    if (!FindPage(address, bytes, size))
        return nullptr;
    // The bytes are wide text as they stand; an odd last byte is dropped with the terminator after.
    auto buffer = std::make_unique<char16_t[]>(size / 2 + 1);
    memcpy(buffer.get(), bytes, size / 2 * 2);
    buffer[size / 2] = 0;
    return buffer;
}

void CResProtocolHost::Shutdown()
{
    for (HWND& hwnd : s_hWindows) {
        if (hwnd)
            DestroyWindow(hwnd);
        hwnd = nullptr;
    }
}
