// The toolkit's resource loader and the message box of a string resource.
#include "toolkit/base/resource_loader.h"

#include "win32/kernel.h"
#include "win32/resources.h"

#include <cstring>

CTKPResourceLoader::~CTKPResourceLoader()
{
    FreeResourceModule();
}

HMODULE CTKPResourceLoader::FindResourceHandle(UINT id, LPCWSTR type) const
{
    if (m_hModule && FindResourceW(m_hModule, MAKEINTRESOURCEW(id), type))
        return m_hModule;
    return GetModuleHandleW(nullptr);
}

BOOL CTKPResourceLoader::LoadString(CString& out, UINT id)
{
    WCHAR buffer[4096];
    int n = ::LoadStringW(FindResourceHandle(id / 16 + 1, MAKEINTRESOURCEW(6)), id, buffer, 4096);
    out = n > 0 ? CString(buffer, n) : CString();
    return n > 0;
}

BOOL CTKPResourceLoader::LoadMenu(HMENU& out, UINT id)
{
    out = ::LoadMenuW(FindResourceHandle(id, MAKEINTRESOURCEW(4)), MAKEINTRESOURCEW(id));
    return out != nullptr;
}

BOOL CTKPResourceLoader::LoadToolBar(CTKPToolBarResource& out, UINT id)
{
    // The framework's tool-bar resource (type 241): version 1, image width and height, item count,
    // then one command id per item.
    HMODULE module = FindResourceHandle(id, MAKEINTRESOURCEW(241));
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(241));
    if (!found)
        return FALSE;
    DWORD size = SizeofResource(module, found);
    auto* words = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    if (!words || size < 8 || words[0] != 1 || size < 8u + 2u * words[3])
        return FALSE;
    out.width = words[1];
    out.height = words[2];
    out.items.assign(words + 4, words + 4 + words[3]);
    return TRUE;
}

BOOL CTKPResourceLoader::LoadBitmap(HBITMAP& out, UINT id)
{
    out = ::LoadBitmapW(FindResourceHandle(id, MAKEINTRESOURCEW(2)), MAKEINTRESOURCEW(id));
    return out != nullptr;
}

HCURSOR CTKPResourceLoader::LoadCursor(UINT id)
{
    return ::LoadCursorW(FindResourceHandle(id, MAKEINTRESOURCEW(12)), MAKEINTRESOURCEW(id));
}

const void* CTKPResourceLoader::LoadDialogTemplate(UINT id)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    if (!found) {
        module = FindResourceHandle(id, MAKEINTRESOURCEW(5));
        found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    }
    if (!found)
        return nullptr;
    HGLOBAL data = LoadResource(module, found);
    return data ? LockResource(data) : nullptr;
}

void CTKPResourceLoader::FreeResourceModule()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
    m_hModule = nullptr;
}

CTKPResourceLoader& GetResourceLoader()
{
    static CTKPResourceLoader loader;
    return loader;
}

int ResourceMessageBox(UINT id, UINT style)
{
    CString text;
    GetResourceLoader().LoadString(text, id);
    return MessageBoxW(nullptr, text, nullptr, style);
}
