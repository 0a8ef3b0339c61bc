// The toolkit button's image: setting it from icons, icon resources and bitmaps, and drawing
// the image of a state.
#include "toolkit/base/button.h"

#include "afx/module_state.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/image_manager.h"

CTKButton::~CTKButton()
{
    delete m_pImage;
}

BOOL CTKButton::SetIconEx(CSize size, const CTKPIconHandle& normal, const CTKPIconHandle& hot, BOOL redraw)
{
    if (size.cx == 0 && size.cy == 0)
        size = normal.GetExtent();
    m_sizeImage = size;
    delete m_pImage;
    m_pImage = new CTKPImageIcon(0, size.cx, size.cy, nullptr);
    m_pImage->SetIcon(normal);
    if (!hot.IsEmpty())
        m_pImage->SetHotIcon(hot);
    if (redraw && GetSafeHwnd())
        Invalidate();
    return TRUE;
}

BOOL CTKButton::SetIcon(CSize size, HICON normal, HICON hot, BOOL redraw)
{
    if (!normal)
        return FALSE;
    ICONINFO info{};
    if (hot && ::GetIconInfo(hot, &info)) {
        if (info.hbmColor)
            ::DeleteObject(info.hbmColor);
        if (info.hbmMask)
            ::DeleteObject(info.hbmMask);
    } else {
        hot = normal;
    }
    return SetIconEx(size, CTKPIconHandle(normal), CTKPIconHandle(hot), redraw);
}

BOOL CTKButton::SetIcon(CSize size, UINT normalId, UINT hotId, BOOL redraw)
{
    auto load = [size](UINT id) -> HICON {
        if (!LOWORD(id))
            return nullptr;
        LPCWSTR name = MAKEINTRESOURCEW(LOWORD(id));
        return HICON(::LoadImageW(AfxFindResourceHandle(name, RT_GROUP_ICON), name, IMAGE_ICON, size.cx, size.cy, 0));
    };
    CTKPIconHandle normal, hot;
    HICON loaded = load(normalId);
    if (!loaded)
        return FALSE;
    normal.SetIcon(loaded);
    if (HICON icon = load(hotId))
        hot.SetIcon(icon);
    else
        hot.CopyNotOwned(normal);
    return SetIconEx(size, normal, hot, redraw);
}

BOOL CTKButton::SetIconHandles(CSize size, const CTKPIconHandle& normal, const CTKPIconHandle& hot, BOOL redraw)
{
    CTKPIconHandle hotOrNormal;
    hotOrNormal.CopyNotOwned(hot.IsEmpty() ? normal : hot);
    return SetIconEx(size, normal, hotOrNormal, redraw);
}

BOOL CTKButton::SetBitmap(CSize size, UINT bitmapId, BOOL redraw)
{
    CTKPIconHandle image;
    if (IsAlphaBitmapResource(bitmapId)) {
        if (HBITMAP alpha = LoadAlphaBitmapResource(bitmapId))
            image.SetAlphaBitmap(alpha);
    } else {
        HBITMAP bitmap = nullptr;
        if (GetResourceLoader().LoadBitmap(bitmap, bitmapId) && bitmap) {
            if (HICON icon = BitmapToIcon(bitmap))
                image.SetIcon(icon);
            ::DeleteObject(bitmap);
        }
    }
    if (image.IsEmpty())
        return FALSE;
    return SetIconEx(size, image, CTKPIconHandle(), redraw);
}

void CTKButton::ResetImage()
{
    if (m_pImage)
        m_pImage->ClearGenerated();
}

void CTKButtonTheme::DrawImageAt(CDC* pDC, CTKButton* button, CPoint pt, int which)
{
    CTKPImageIcon* image = button->GetImage();
    if (!image)
        return;
    HDC hdc = pDC->GetSafeHdc();
    const SIZE size = button->m_sizeImage;
    switch (which) {
    case ImageHot: image->DrawScaled(hdc, pt, image->GetHotIcon(), size); break;
    case ImageFaded: image->DrawScaled(hdc, pt, image->GetFadedIcon(), size); break;
    case ImageShadow: image->DrawScaled(hdc, pt, image->GetShadowIcon(), size); break;
    case ImageDisabled: {
        CTKPIconHandle& disabled = image->GetDisabledIcon(TRUE);
        if (!disabled.IsEmpty())
            image->DrawScaled(hdc, pt, disabled, size);
        else if (!image->IsAlpha())
            image->Draw(hdc, pt, image->GetIcon(), GetColorTable().GetColorByIndex(16));
        break;
    }
    default: image->DrawScaled(hdc, pt, image->GetIcon(), size); break;
    }
}
