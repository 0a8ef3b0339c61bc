// The image manager: icon sets by command id, filled from tool-bar resources, bitmaps and image
// lists.
#include "toolkit/commandbars/image_manager.h"

#include "afx/module_state.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/image_pixels.h"

#include <cstring>
#include <vector>

using namespace tkp_pixels;

CTKPImageManager::CTKPImageManager()
{
    m_hMsImg32 = ::LoadLibraryW(u"msimg32.dll");
    if (m_hMsImg32)
        m_pfnAlphaBlend = reinterpret_cast<decltype(m_pfnAlphaBlend)>(
            reinterpret_cast<void*>(::GetProcAddress(m_hMsImg32, "AlphaBlend")));
}

CTKPImageManager::~CTKPImageManager()
{
    RemoveAll();
    if (m_hMsImg32)
        ::FreeLibrary(m_hMsImg32);
}

BOOL CTKPImageManager::AlphaBlend(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int xSrc, int ySrc,
                                  int cxSrc, int cySrc) const
{
    if (!m_pfnAlphaBlend)
        return FALSE;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return m_pfnAlphaBlend(hdcDest, x, y, cx, cy, hdcSrc, xSrc, ySrc, cxSrc, cySrc, blend);
}

CTKPImageIconSet* CTKPImageManager::GetIconSet(UINT id) const
{
    auto it = m_iconSets.find(id);
    return it == m_iconSets.end() ? nullptr : it->second;
}

CTKPImageIcon* CTKPImageManager::GetImage(UINT id, int width)
{
    CTKPImageIconSet* set = GetIconSet(id);
    return set ? set->GetIcon(width, TRUE) : nullptr;
}

BOOL CTKPImageManager::SetIcon(CTKPIconHandle& handle, UINT id, int width, int height, int state)
{
    if (handle.IsEmpty())
        return FALSE;
    if (width == 0 && height == 0) {
        const SIZE extent = handle.GetExtent();
        width = extent.cx;
        height = extent.cy;
    }
    if (width <= 0 || height <= 0)
        return FALSE;
    CTKPImageIconSet* set = GetIconSet(id);
    if (!set) {
        if (state != TKP_IMAGESTATE_NORMAL)
            return FALSE;
        set = new CTKPImageIconSet(id, this);
        m_iconSets[id] = set;
    }
    set->SetIcon(handle, width, height, state);
    handle.Release();
    return TRUE;
}

BOOL CTKPImageManager::SetIconsFromResource(UINT toolBarId, int state)
{
    CTKPToolBarResource resource;
    if (!GetResourceLoader().LoadToolBar(resource, toolBarId))
        return FALSE;
    std::vector<UINT> ids;
    for (UINT id : resource.items)
        if (id)
            ids.push_back(id);
    if (ids.empty())
        return FALSE;
    return SetIconsFromBitmap(toolBarId, ids.data(), int(ids.size()), 0, 0, state);
}

BOOL CTKPImageManager::SetIconsFromBitmap(UINT bitmapId, const UINT* ids, int count, int width, int height,
                                          int state)
{
    const BOOL alpha = IsAlphaBitmapResource(bitmapId);
    HBITMAP bitmap = alpha ? LoadAlphaBitmapResource(bitmapId)
                           : ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(bitmapId));
    if (!bitmap)
        return FALSE;
    BITMAP bm{};
    ::GetObjectW(bitmap, sizeof(bm), &bm);
    const int bitmapHeight = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    if (width == 0 && height == 0 && count > 0) {
        width = bm.bmWidth / count;
        height = bitmapHeight;
    }
    if (width <= 0 || height <= 0) {
        ::DeleteObject(bitmap);
        return FALSE;
    }
    if (count == 0)
        count = bm.bmWidth / width;

    BOOL result = FALSE;
    if (!alpha) {
        COLORREF mask = m_clrMask;
        if (mask == COLORREF(-1)) {
            Image image;
            mask = ReadBitmap(bitmap, image) && !image.pixels.empty() ? COLORREF(image.pixels[0] & 0xFFFFFF) : 0;
            // Pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
            mask = RGB(GetBValue(mask), GetGValue(mask), GetRValue(mask));
        }
        HIMAGELIST list = ::ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, count, 0);
        if (list) {
            if (::ImageList_AddMasked(list, bitmap, mask) >= 0)
                result = SetIconsFromImageList(list, ids, count, width, height, state);
            ::ImageList_Destroy(list);
        }
        ::DeleteObject(bitmap);
        return result;
    }

    if (bm.bmWidth % width != 0) {
        ::DeleteObject(bitmap);
        return FALSE;
    }
    const int images = bm.bmWidth / width;
    std::vector<HBITMAP> parts(size_t(images), nullptr);
    result = SplitAlphaBitmap(bitmap, images, parts.data());
    ::DeleteObject(bitmap);
    if (!result)
        return FALSE;
    for (int i = 0; i < images; ++i) {
        CTKPIconHandle handle;
        handle.SetAlphaBitmap(parts[size_t(i)]);
        if (i < count && (!ids || ids[i]))
            SetIcon(handle, ids ? ids[i] : UINT(i), width, height, state);
    }
    return TRUE;
}

BOOL CTKPImageManager::SetIconsFromImageList(HIMAGELIST imageList, const UINT* ids, int count, int width,
                                             int height, int state)
{
    if (!imageList)
        return FALSE;
    const int listCount = ::ImageList_GetImageCount(imageList);
    if (!ids && count == 0)
        count = listCount;
    if (width == 0 && height == 0) {
        IMAGEINFO info{};
        if (!::ImageList_GetImageInfo(imageList, 0, &info))
            return FALSE;
        width = info.rcImage.right - info.rcImage.left;
        height = info.rcImage.bottom - info.rcImage.top;
    }
    int next = 0;
    for (int i = 0; i < count; ++i) {
        if (ids && count != listCount && ids[i] == 0)
            continue;
        HICON icon = ::ImageList_GetIcon(imageList, next++, ILD_NORMAL);
        if (!icon)
            return FALSE;
        CTKPIconHandle handle;
        handle.SetIcon(icon);
        SetIcon(handle, ids ? ids[i] : UINT(i), width, height, state);
    }
    return TRUE;
}

UINT CTKPImageManager::AddCustomIcon(CTKPIconHandle& handle)
{
    const SIZE extent = handle.GetExtent();
    if (handle.IsEmpty() || extent.cx <= 0 || extent.cy <= 0)
        return 0;
    const UINT id = ++m_nCustomID;
    auto* set = new CTKPImageIconSet(id, this);
    set->SetIcon(handle, extent.cx, extent.cy, TKP_IMAGESTATE_NORMAL);
    if (CTKPImageIconSet* old = GetIconSet(id))
        old->InternalRelease();
    m_iconSets[id] = set;
    handle.Release();
    return id;
}

void CTKPImageManager::RemoveAll()
{
    std::map<UINT, CTKPImageIconSet*> sets;
    sets.swap(m_iconSets);
    for (auto& [id, set] : sets)
        set->InternalRelease();
}

void CTKPImageManager::RefreshAll()
{
    for (auto& [id, set] : m_iconSets)
        set->RefreshAll();
}

BOOL SplitAlphaBitmap(HBITMAP hBitmap, int count, HBITMAP* out)
{
    Image source;
    if (count <= 0 || !out || !ReadBitmap(hBitmap, source) || source.width % count != 0)
        return FALSE;
    const int width = source.width / count;
    std::vector<void*> bits(size_t(count), nullptr);
    for (int i = 0; i < count; ++i) {
        out[i] = CreateDib32(width, source.height, &bits[size_t(i)]);
        if (!out[i] || !bits[size_t(i)]) {
            for (int k = 0; k <= i; ++k) {
                if (out[k])
                    ::DeleteObject(out[k]);
                out[k] = nullptr;
            }
            return FALSE;
        }
    }
    for (int y = 0; y < source.height; ++y)
        for (int i = 0; i < count; ++i)
            std::memcpy(static_cast<DWORD*>(bits[size_t(i)]) + size_t(y) * size_t(width),
                        source.pixels.data() + size_t(y) * size_t(source.width) + size_t(i) * size_t(width),
                        size_t(width) * sizeof(DWORD));
    return TRUE;
}

namespace {
CTKPImageManager* g_GlobalImageManager = nullptr;

struct GlobalImageManagerReaper {
    ~GlobalImageManagerReaper()
    {
        delete g_GlobalImageManager;
        g_GlobalImageManager = nullptr;
    }
};
}  // namespace

CTKPImageManager* GetGlobalImageManager()
{
    if (!g_GlobalImageManager) {
        // Made after GDI's own tables, so that it goes before them at exit and its bitmaps and
        // icons are freed while GDI still knows them.
        ::GetStockObject(NULL_BRUSH);
        static GlobalImageManagerReaper reaper;
        g_GlobalImageManager = new CTKPImageManager();
    }
    return g_GlobalImageManager;
}
