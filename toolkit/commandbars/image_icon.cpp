// Icons of the image manager in their several images, and the icon sets that hold one icon per
// width of a command.
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/image_pixels.h"

#include <cmath>
#include <cstdlib>

using namespace tkp_pixels;

namespace {

DWORD Channel(DWORD p, int shift)
{
    return (p >> shift) & 0xFF;
}

DWORD Pack(DWORD a, DWORD r, DWORD g, DWORD b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Makes a new image from the handle's by a pixel rule; opaque tells whether the pixel is part of
// the image (always for alpha bitmaps, by the mask for icons).
template <class Rule>
void MakeImage(const CTKPIconHandle& source, CTKPIconHandle& out, Rule rule)
{
    out.Release();
    if (source.GetAlphaBitmap()) {
        Image image;
        if (!ReadBitmap(source.GetAlphaBitmap(), image))
            return;
        for (DWORD& p : image.pixels)
            p = rule(p, true);
        if (HBITMAP bitmap = MakeBitmap(image))
            out.SetAlphaBitmap(bitmap);
    } else if (source.GetIcon()) {
        IconImages icon;
        if (!ReadIcon(source.GetIcon(), icon))
            return;
        for (size_t i = 0; i < icon.color.pixels.size(); ++i)
            icon.color.pixels[i] = icon.mask.pixels[i] ? 0 : rule(icon.color.pixels[i], true);
        if (HICON made = MakeIcon(icon))
            out.SetIcon(made);
    }
}

HICON ScaleIcon(HICON icon, int width, int newWidth)
{
    if (!icon)
        return nullptr;
    if (width == newWidth)
        return ::CopyIcon(icon);
    CTKPIconHandle probe(icon);
    const SIZE extent = probe.GetExtent();
    if (extent.cx <= 0 || newWidth <= 0)
        return nullptr;
    const int newHeight = ::MulDiv(extent.cy, newWidth, extent.cx);
    HIMAGELIST list = ::ImageList_Create(newWidth, newHeight, ILC_COLOR32 | ILC_MASK, 1, 1);
    if (!list)
        return nullptr;
    HICON scaled = nullptr;
    if (::ImageList_ReplaceIcon(list, -1, icon) >= 0)
        scaled = ::ImageList_GetIcon(list, 0, ILD_NORMAL);
    ::ImageList_Destroy(list);
    return scaled;
}

}  // namespace

// ---- Icon --------------------------------------------------------------------------------------
CTKPImageIcon::CTKPImageIcon(UINT id, int width, int height, CTKPImageIconSet* iconSet)
    : m_nID(id), m_nWidth(width), m_nHeight(height), m_pIconSet(iconSet)
{
}

CTKPImageIcon::~CTKPImageIcon() = default;

CTKPImageManager* CTKPImageIcon::GetImageManager() const
{
    if (m_pIconSet && m_pIconSet->GetImageManager())
        return m_pIconSet->GetImageManager();
    return GetGlobalImageManager();
}

CTKPIconHandle& CTKPImageIcon::GetHotIcon()
{
    return m_hHotIcon.IsEmpty() ? m_hIcon : m_hHotIcon;
}

CTKPIconHandle& CTKPImageIcon::GetCheckedIcon()
{
    return m_hCheckedIcon.IsEmpty() ? GetHotIcon() : m_hCheckedIcon;
}

CTKPIconHandle& CTKPImageIcon::GetFadedIcon()
{
    if (m_hFadedIcon.IsEmpty()) {
        if (m_hIcon.GetIcon() && !m_hIcon.IsAlpha() && IsLowColorDisplay()) {
            if (HICON copy = ::CopyIcon(m_hIcon.GetIcon()))
                m_hFadedIcon.SetIcon(copy);
        } else {
            MakeImage(m_hIcon, m_hFadedIcon, [](DWORD p, bool) {
                auto fade = [](DWORD c) { return DWORD(double(c) * 0.7 + 76.5); };
                return Pack(p >> 24, fade(Channel(p, 16)), fade(Channel(p, 8)), fade(Channel(p, 0)));
            });
        }
    }
    return m_hFadedIcon.IsEmpty() ? m_hIcon : m_hFadedIcon;
}

CTKPIconHandle& CTKPImageIcon::GetShadowIcon()
{
    if (m_hShadowIcon.IsEmpty()) {
        const COLORREF shade = GetColorTable().GetColorByIndex(31);
        const DWORD r = DWORD(GetRValue(shade) * 0.75), g = DWORD(GetGValue(shade) * 0.75),
                    b = DWORD(GetBValue(shade) * 0.75);
        MakeImage(GetHotIcon(), m_hShadowIcon, [&](DWORD p, bool) { return Pack(p >> 24, r, g, b); });
    }
    return m_hShadowIcon;
}

CTKPIconHandle& CTKPImageIcon::GetDisabledIcon(BOOL generate)
{
    if (!m_hDisabledIcon.IsEmpty())
        return m_hDisabledIcon;
    if (m_hGeneratedDisabledIcon.IsEmpty() && generate)
        MakeImage(m_hIcon, m_hGeneratedDisabledIcon, [](DWORD p, bool) {
            const double luminance = 0.299 * Channel(p, 16) + 0.587 * Channel(p, 8) + 0.114 * Channel(p, 0);
            const DWORD grey = DWORD(255.0 * std::sqrt(luminance / 255.0));
            return Pack(p >> 24, grey, grey, grey);
        });
    return m_hGeneratedDisabledIcon;
}

void CTKPImageIcon::CreateDisabledIcon(COLORREF light, COLORREF dark)
{
    // Dark pixels of the image take the dark colour, bright ones the light colour.
    MakeImage(m_hIcon, m_hGeneratedDisabledIcon, [&](DWORD p, bool) {
        const double t = (0.299 * Channel(p, 16) + 0.587 * Channel(p, 8) + 0.114 * Channel(p, 0)) / 255.0;
        auto mix = [t](int d, int l) { return DWORD(d + (l - d) * t + 0.5); };
        return Pack(p >> 24, mix(GetRValue(dark), GetRValue(light)), mix(GetGValue(dark), GetGValue(light)),
                    mix(GetBValue(dark), GetBValue(light)));
    });
}

void CTKPImageIcon::SetIcon(const CTKPIconHandle& handle)
{
    m_hIcon.CopyOwned(handle);
    const SIZE extent = m_hIcon.GetExtent();
    if (extent.cx > 0) {
        m_nWidth = extent.cx;
        m_nHeight = extent.cy;
    }
    ClearGenerated();
}

void CTKPImageIcon::SetHotIcon(const CTKPIconHandle& handle)
{
    m_hHotIcon.CopyOwned(handle);
    m_hShadowIcon.Release();
}

void CTKPImageIcon::SetCheckedIcon(const CTKPIconHandle& handle)
{
    m_hCheckedIcon.CopyOwned(handle);
}

void CTKPImageIcon::SetDisabledIcon(const CTKPIconHandle& handle)
{
    m_hDisabledIcon.CopyOwned(handle);
}

void CTKPImageIcon::ClearGenerated()
{
    m_hFadedIcon.Release();
    m_hShadowIcon.Release();
    m_hGeneratedDisabledIcon.Release();
}

BOOL CTKPImageIcon::IsAlpha() const
{
    return m_hIcon.IsAlpha();
}

void CTKPImageIcon::DrawScaled(HDC hdc, POINT pt, CTKPIconHandle& handle, SIZE size)
{
    if (size.cx == 0)
        size.cx = m_nWidth;
    if (size.cy == 0)
        size.cy = m_nWidth ? m_nHeight * size.cx / m_nWidth : m_nHeight;
    if (handle.IsEmpty() || size.cx <= 0 || size.cy <= 0)
        return;
    CTKPImageManager* manager = GetImageManager();
    if (handle.GetIcon()) {
        if (manager->m_bDrawReverted)
            ::DrawIconEx(hdc, pt.x + size.cx, pt.y, handle.GetIcon(), -size.cx, size.cy, 0, nullptr, DI_NORMAL);
        else
            ::DrawIconEx(hdc, pt.x, pt.y, handle.GetIcon(), size.cx, size.cy, 0, nullptr, DI_NORMAL);
        return;
    }
    HBITMAP premultiplied = handle.PreMultiply();
    if (!premultiplied)
        return;
    const SIZE extent = handle.GetExtent();
    HDC mem = ::CreateCompatibleDC(hdc);
    HGDIOBJ old = ::SelectObject(mem, premultiplied);
    manager->AlphaBlend(hdc, pt.x, pt.y, size.cx, size.cy, mem, 0, 0, extent.cx, extent.cy);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
}

void CTKPImageIcon::Draw(HDC hdc, POINT pt, CTKPIconHandle& handle, COLORREF color)
{
    if (!handle.GetIcon() || handle.IsAlpha())
        return;
    HBRUSH brush = ::CreateSolidBrush(color);
    if (GetImageManager()->m_bDrawReverted) {
        // Mirrored output goes through a bitmap of the icon drawn on white.
        HDC mem = ::CreateCompatibleDC(hdc);
        HBITMAP bitmap = ::CreateCompatibleBitmap(hdc, m_nWidth, m_nHeight);
        HGDIOBJ old = ::SelectObject(mem, bitmap);
        RECT rc{0, 0, m_nWidth, m_nHeight};
        ::FillRect(mem, &rc, HBRUSH(::GetStockObject(WHITE_BRUSH)));
        ::DrawIconEx(mem, 0, 0, handle.GetIcon(), m_nWidth, m_nHeight, 0, nullptr, DI_NORMAL);
        ::SelectObject(mem, old);
        ::DrawStateW(hdc, brush, nullptr, LPARAM(bitmap), 0, pt.x, pt.y, m_nWidth, m_nHeight, DST_BITMAP | DSS_MONO);
        ::DeleteObject(bitmap);
        ::DeleteDC(mem);
    } else {
        ::DrawStateW(hdc, brush, nullptr, LPARAM(handle.GetIcon()), 0, pt.x, pt.y, m_nWidth, m_nHeight,
                     DST_ICON | DSS_MONO);
    }
    ::DeleteObject(brush);
}

BOOL CTKPImageIcon::HasShadowImage()
{
    return !GetShadowIcon().IsEmpty();
}

void CTKPImageIcon::DrawImage(HDC hdc, POINT pt, SIZE size, Image image)
{
    switch (image) {
    case Normal:
        DrawScaled(hdc, pt, m_hIcon, size);
        break;
    case Hot:
        DrawScaled(hdc, pt, GetHotIcon(), size);
        break;
    case Faded:
        DrawScaled(hdc, pt, GetFadedIcon(), size);
        break;
    case Shadow:
        DrawScaled(hdc, pt, GetShadowIcon(), size);
        break;
    case Checked:
        DrawScaled(hdc, pt, GetCheckedIcon(), size);
        break;
    case Disabled:
        DrawScaled(hdc, pt, GetDisabledIcon(TRUE), size);
        break;
    }
}

void CTKPImageIcon::DrawSilhouette(HDC hdc, POINT pt, SIZE, COLORREF color)
{
    Draw(hdc, pt, m_hIcon, color);
}

// ---- Icon set ----------------------------------------------------------------------------------
CTKPImageIconSet::CTKPImageIconSet(UINT id, CTKPImageManager* manager) : m_nID(id), m_pImageManager(manager)
{
}

CTKPImageIconSet::~CTKPImageIconSet()
{
    RemoveAll();
}

CTKPImageIcon* CTKPImageIconSet::FindIcon(int width) const
{
    auto it = m_icons.find(width);
    return it == m_icons.end() ? nullptr : it->second;
}

CTKPImageIcon* CTKPImageIconSet::GetIcon(int width, BOOL nearest)
{
    if (CTKPImageIcon* icon = FindIcon(width))
        return icon;
    if (!nearest || m_icons.empty())
        return nullptr;
    CTKPImageIcon* best = nullptr;
    for (const auto& [w, icon] : m_icons)
        if (!best || std::abs(w - width) < std::abs(best->m_nWidth - width))
            best = icon;
    if (best->IsAlpha() || width == 0)
        return best;
    CTKPImageIcon* copy = MakeScaledCopy(best, width);
    return copy ? copy : best;
}

CTKPImageIcon* CTKPImageIconSet::MakeScaledCopy(CTKPImageIcon* source, int width)
{
    if (!source->m_hIcon.GetIcon())
        return nullptr;
    const SIZE extent = source->m_hIcon.GetExtent();
    if (extent.cx <= 0)
        return nullptr;
    auto* copy = new CTKPImageIcon(m_nID, width, ::MulDiv(extent.cy, width, extent.cx), this);
    copy->m_bScaled = TRUE;
    for (CTKPIconHandle CTKPImageIcon::*member : {&CTKPImageIcon::m_hIcon, &CTKPImageIcon::m_hHotIcon,
                                                  &CTKPImageIcon::m_hCheckedIcon, &CTKPImageIcon::m_hDisabledIcon}) {
        if (HICON scaled = ScaleIcon((source->*member).GetIcon(), extent.cx, width))
            (copy->*member).SetIcon(scaled);
    }
    m_icons[width] = copy;
    return copy;
}

void CTKPImageIconSet::SetIcon(const CTKPIconHandle& handle, int width, int height, int state)
{
    if (state > TKP_IMAGESTATE_CHECKED)
        return;
    CTKPImageIcon* icon = FindIcon(width);
    if (!icon) {
        icon = new CTKPImageIcon(m_nID, width, height, this);
        m_icons[width] = icon;
    } else if (icon->m_bScaled && state == TKP_IMAGESTATE_NORMAL) {
        // An image set for this width replaces the copy scaled from another one.
        icon->m_bScaled = FALSE;
    }
    switch (state) {
    case TKP_IMAGESTATE_NORMAL:
        icon->SetIcon(handle);
        break;
    case TKP_IMAGESTATE_DISABLED:
        icon->SetDisabledIcon(handle);
        break;
    case TKP_IMAGESTATE_HOT:
        icon->SetHotIcon(handle);
        break;
    case TKP_IMAGESTATE_CHECKED:
        icon->SetCheckedIcon(handle);
        break;
    default:
        break;
    }
}

void CTKPImageIconSet::RefreshAll()
{
    for (auto it = m_icons.begin(); it != m_icons.end();) {
        if (it->second->m_bScaled) {
            it->second->InternalRelease();
            it = m_icons.erase(it);
        } else {
            it->second->ClearGenerated();
            ++it;
        }
    }
}

void CTKPImageIconSet::RemoveAll()
{
    for (auto& [width, icon] : m_icons)
        icon->InternalRelease();
    m_icons.clear();
}
