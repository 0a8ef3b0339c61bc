// The HTML drawer's images and string resources: loaders and the bmp, icon, ilst and string elements.
#include "controls/html_drawer.h"

#include <algorithm>

using namespace html;

namespace {

// The module that holds a resource of the type: the given one when it has it, else the program.
HMODULE ModuleWith(HMODULE preferred, int id, LPCWSTR type) {
    if (preferred && FindResourceW(preferred, MAKEINTRESOURCEW(id), type)) return preferred;
    return GetModuleHandleW(nullptr);
}

}  // namespace

HICON CHtmlDrawer::LoadIconFromResource(int id, int cx, int cy) {
    if (id == 0) return nullptr;
    HMODULE module = ModuleWith(nullptr, LOWORD(id), RT_GROUP_ICON);
    return (HICON)LoadImageW(module, MAKEINTRESOURCEW(LOWORD(id)), IMAGE_ICON, cx, cy, 0);
}

HICON CHtmlDrawer::LoadIconFromFile(LPCWSTR path, int cx, int cy) {
    if (!path || !*path) return nullptr;
    return (HICON)LoadImageW(nullptr, path, IMAGE_ICON, cx, cy, LR_LOADFROMFILE);
}

HICON CHtmlDrawer::LoadIconFromDll(int id, int cx, int cy, LPCWSTR modulePath) {
    if (id == 0) return nullptr;
    if (modulePath && *modulePath) {
        HMODULE module = LoadLibraryW(modulePath);
        if (!module) return nullptr;
        HICON icon = (HICON)LoadImageW(module, MAKEINTRESOURCEW(LOWORD(id)), IMAGE_ICON, cx, cy, 0);
        FreeLibrary(module);
        return icon;
    }
    if (!resourceModule_) return nullptr;
    return (HICON)LoadImageW(resourceModule_, MAKEINTRESOURCEW(LOWORD(id)), IMAGE_ICON, cx, cy, 0);
}

HBITMAP CHtmlDrawer::LoadBitmapFromResource(int id) {
    if (id == 0) return nullptr;
    HMODULE module = ModuleWith(nullptr, LOWORD(id), RT_BITMAP);
    return (HBITMAP)LoadImageW(module, MAKEINTRESOURCEW(LOWORD(id)), IMAGE_BITMAP, 0, 0, 0);
}

HBITMAP CHtmlDrawer::LoadBitmapFromFile(LPCWSTR path) {
    if (!path || !*path) return nullptr;
    return (HBITMAP)LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0,
                               LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE);
}

HBITMAP CHtmlDrawer::LoadBitmapFromDll(int id, LPCWSTR modulePath) {
    if (id == 0) return nullptr;
    const UINT flags = LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE;
    if (modulePath && *modulePath) {
        HMODULE module = LoadLibraryW(modulePath);
        if (!module) return nullptr;
        HBITMAP bmp = (HBITMAP)LoadImageW(module, MAKEINTRESOURCEW(LOWORD(id)), IMAGE_BITMAP, 0, 0,
                                          flags & ~LR_LOADFROMFILE);
        FreeLibrary(module);
        return bmp;
    }
    if (!resourceModule_) return nullptr;
    return (HBITMAP)LoadImageW(resourceModule_, MAKEINTRESOURCEW(LOWORD(id)), IMAGE_BITMAP, 0, 0,
                               flags & ~LR_LOADFROMFILE);
}

HtmlString CHtmlDrawer::GetResString(int id) {
    if (id == 0) return {};
    WCHAR buffer[1024] = {};
    int n = LoadStringW(GetModuleHandleW(nullptr), (UINT)id, buffer, (int)_countof(buffer));
    return n > 0 ? HtmlString(buffer, (size_t)n) : HtmlString();
}

int CHtmlDrawer::ImageFlags(const HtmlImage& image) const {
    int flags = (style_.linkKind && linkCounter_ == hoveredLink_) ? image.hotStyleFlags : image.styleFlags;
    if (!colorsOn_) flags = (flags & ~0xFF) | kImageOneColour;
    return flags;
}

void CHtmlDrawer::PlaceImage(Run& run, int width, int height, const HtmlImage& image,
                             const std::function<void(int, int, DWORD)>& draw) {
    width = std::clamp(width, 0, kHtmlMaxLength);
    height = std::clamp(height, 0, kHtmlMaxLength);
    int boxWidth = width, boxHeight = height;
    if (IsImageWithShadow(image) && width && height) {
        boxWidth = SatAdd(boxWidth, shadowDx_);
        boxHeight = SatAdd(boxHeight, shadowDy_);
    }
    if (run.wrapWidth != 0 && boxWidth > run.wrapWidth - run.lineUsed) {
        line_.justify = 1;
        NewLine(run, 1);
    }
    const int y = AlignObjectVertically(run.y, boxHeight);
    if (mode_) {
        line_.align = style_.horizontalAlign;
    } else if (width && height) {
        StoreLinkArea(run.x, y, run.x + boxWidth, y + boxHeight);
        draw(run.x, y, (DWORD)ImageFlags(image));
    }
    run.x = SatAdd(run.x, boxWidth);
    run.lineUsed = SatAdd(run.lineUsed, boxWidth);
}

void CHtmlDrawer::HandleImage(Run& run, int id, const HtmlString& attrs) {
    HtmlImage image;
    ParseImageAttributes(attrs, image, Context());
    const bool isIcon = id == 18;
    const BOOL shadow = IsImageWithShadow(image);
    if (isIcon) {
        const int cx = image.widthPercent ? MulDivRound(GetSystemMetrics(SM_CXICON), image.width, 100) : image.width;
        const int cy = image.heightPercent ? MulDivRound(GetSystemMetrics(SM_CYICON), image.height, 100) : image.height;
        HICON icon = nullptr;
        bool owned = true;
        if (image.idRes) icon = LoadIconFromResource(image.idRes, cx, cy);
        else if (!image.fileName.empty()) icon = LoadIconFromFile(image.fileName.c_str(), cx, cy);
        else if (image.idDll) icon = LoadIconFromDll(image.idDll, cx, cy, image.srcDll.empty() ? nullptr : image.srcDll.c_str());
        else if (image.handle) icon = (HICON)(ULONG_PTR)(DWORD)image.handle, owned = false;
        if (!icon) return;
        SIZE size;
        CDrawManager::GetIconSize(icon, &size);
        const COLORREF one = run.oneColour;
        PlaceImage(run, size.cx, size.cy, image, [&](int x, int y, DWORD flags) {
            drawManager_.DrawIcon(dc_, x, y, size.cx, size.cy, icon, flags, shadow, shadowDx_, shadowDy_, blurWidth_,
                                  blurHeight_, one);
        });
        if (owned) DestroyIcon(icon);
        return;
    }
    HBITMAP bitmap = nullptr;
    bool owned = true;
    if (image.idRes) bitmap = LoadBitmapFromResource(image.idRes);
    else if (!image.fileName.empty()) bitmap = LoadBitmapFromFile(image.fileName.c_str());
    else if (image.idDll) bitmap = LoadBitmapFromDll(image.idDll, image.srcDll.empty() ? nullptr : image.srcDll.c_str());
    else if (image.handle) bitmap = (HBITMAP)(ULONG_PTR)(DWORD)image.handle, owned = false;
    if (!bitmap) return;
    SIZE size;
    CDrawManager::GetBitmapSize(bitmap, &size);
    const int width = image.widthPercent ? MulDivRound(size.cx, image.width, 100) : image.width;
    const int height = image.heightPercent ? MulDivRound(size.cy, image.height, 100) : image.height;
    const COLORREF one = run.oneColour;
    PlaceImage(run, width, height, image, [&](int x, int y, DWORD flags) {
        drawManager_.DrawBitmap(dc_, x, y, width, height, bitmap, image.mask, image.maskColor, flags, shadow,
                                shadowDx_, shadowDy_, blurWidth_, blurHeight_, one);
    });
    if (owned) DeleteObject(bitmap);
}

void CHtmlDrawer::HandleImageList(Run& run, const HtmlString& attrs) {
    HtmlImage image;
    image.cx = image.cy = image.speed = 0;
    ParseImageAttributes(attrs, image, Context());
    const BOOL shadow = IsImageWithShadow(image);
    const COLORREF one = run.oneColour;
    HBITMAP strip = nullptr;
    bool owned = true;
    if (image.idRes) strip = LoadBitmapFromResource(image.idRes);
    else if (!image.fileName.empty()) strip = LoadBitmapFromFile(image.fileName.c_str());
    else if (image.idDll) strip = LoadBitmapFromDll(image.idDll, image.srcDll.empty() ? nullptr : image.srcDll.c_str());
    else if (image.handle) strip = (HBITMAP)(ULONG_PTR)(DWORD)image.handle, owned = false;

    if (!strip && !image.idRes && image.fileName.empty() && !image.idDll && !image.handle) {
        // No source of its own: an icon of the drawer's image list.
        if (!imageList_ || image.index < 0 || image.index >= ImageList_GetImageCount(imageList_)) return;
        HICON icon = ImageList_GetIcon(imageList_, image.index, ILD_NORMAL);
        if (!icon) return;
        const int width = image.widthPercent ? MulDivRound(imageListCx_, image.width, 100) : image.width;
        const int height = image.heightPercent ? MulDivRound(imageListCy_, image.height, 100) : image.height;
        PlaceImage(run, width, height, image, [&](int x, int y, DWORD flags) {
            drawManager_.DrawIcon(dc_, x, y, width, height, icon, flags, shadow, shadowDx_, shadowDy_, blurWidth_,
                                  blurHeight_, one);
        });
        DestroyIcon(icon);
        return;
    }
    if (!strip) return;

    SIZE size;
    CDrawManager::GetBitmapSize(strip, &size);
    int cx = image.hasCx ? image.cx : 0, cy = image.hasCy ? image.cy : 0;
    if (image.hasCx && !image.hasCy) cy = cx;
    if (image.hasCy && !image.hasCx) cx = cy;
    if (!image.hasCx && !image.hasCy) cx = cy = std::min(size.cx, size.cy);
    if (cx > 0 && cy > 0) {
        const int frames = (size.cx / cx) * (size.cy / cy);
        int index = image.index;
        if (image.speed != 0) {
            if (mode_) {
                animations_.push_back(HtmlAnimation{image.index, frames, 0, image.speed});
            } else {
                ++animationCounter_;
                if (animationCounter_ < (int)animations_.size()) index = animations_[animationCounter_].frame;
            }
        }
        if (index >= 0 && index < frames) {
            const int width = image.widthPercent ? MulDivRound(cx, image.width, 100) : image.width;
            const int height = image.heightPercent ? MulDivRound(cy, image.height, 100) : image.height;
            PlaceImage(run, width, height, image, [&](int x, int y, DWORD flags) {
                drawManager_.DrawBitmapCell(dc_, x, y, width, height, strip, index, cx, cy, image.mask, image.maskColor,
                                            flags, shadow, shadowDx_, shadowDy_, blurWidth_, blurHeight_, one);
            });
        }
    }
    if (owned) DeleteObject(strip);
}

void CHtmlDrawer::HandleString(Run& run, const HtmlString& attrs) {
    int id = 0;
    size_t pos = 0;
    HtmlString attr;
    while (pos < attrs.size()) {
        HtmlString value = ReadAttribute(attrs, pos, attr);
        if (attr.empty()) break;
        if (attr == u"idres" || attr == u"iddll") id = (int)std::clamp<long long>(AutoBaseInt(value), 0, 0xFFFF);
    }
    HtmlString text = GetResString(id);
    if (text.empty()) return;
    SIZE extent = Extent(text.data(), text.size());
    const int y = AlignTextVertically(run.y, extent.cy);
    if (mode_) {
        line_.align = style_.horizontalAlign;
    } else {
        StoreLinkArea(run.x, y, run.x + extent.cx, y + extent.cy);
        TextOutW(dc_, run.x, y, text.data(), (int)text.size());
    }
    run.x = SatAdd(run.x, extent.cx);
    run.lineUsed = SatAdd(run.lineUsed, extent.cx);
}

void CHtmlDrawer::TileBackgroundImage(HDC dc, int x, int y, int width, int height, const HtmlString& spec) {
    if (!colorsOn_ || spec.size() < 6) return;
    size_t pos = 0;
    FindFirstOf(spec, pos, u" :");
    const HtmlString name = spec.substr(0, pos);
    const HtmlString value = ReadValue(spec, pos, u':', u";");
    HBITMAP bitmap = nullptr;
    const int id = (int)std::clamp<long long>(AutoBaseInt(value), 0, 0xFFFF);
    if (name == u"idres") bitmap = LoadBitmapFromResource(id);
    else if (name == u"iddll") bitmap = LoadBitmapFromDll(id, nullptr);
    else if (name == u"file") bitmap = LoadBitmapFromFile(value.c_str());
    if (!bitmap) return;
    SIZE size;
    CDrawManager::GetBitmapSize(bitmap, &size);
    if (HDC memory = CreateCompatibleDC(dc)) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        CDrawManager::TileBitmap(dc, x, y, width, height, memory, 0, 0, size.cx, size.cy);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(bitmap);
}
