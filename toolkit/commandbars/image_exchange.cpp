// Saving and loading the image manager's icons: bitmap blocks, icons, icon sets, the manager's
// exchange and the clipboard format of an icon set.
#include "afx/data_object.h"
#include "afx/file.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/image_pixels.h"
#include "toolkit/commandbars/prop_exchange.h"

#include <cstring>
#include <memory>

using namespace tkp_pixels;

namespace {

constexpr DWORD kHeaderBytes = 52;
constexpr int kIconVersion = 16;

[[noreturn]] void BadBlock()
{
    AfxThrowArchiveException(CArchiveException::badIndex);
}

void WriteImage(CArchive& ar, const Image* image)
{
    if (!image || image->width <= 0 || image->height <= 0) {
        ar.WriteCount(0);
        return;
    }
    BYTE header[kHeaderBytes] = {};
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biWidth = image->width;
    bih.biHeight = image->height; // bottom-up rows, as GetDIBits reports them
    bih.biPlanes = 1;
    bih.biBitCount = 32;
    bih.biCompression = BI_RGB;
    bih.biSizeImage = DWORD(image->width) * DWORD(image->height) * 4;
    std::memcpy(header, &bih, sizeof(bih));
    ar.WriteCount(kHeaderBytes);
    ar.Write(header, kHeaderBytes);
    ar.WriteCount(bih.biSizeImage);
    for (int y = image->height - 1; y >= 0; --y)
        ar.Write(&image->pixels[size_t(y) * size_t(image->width)], UINT(image->width) * 4);
}

// An empty block gives FALSE; a block that does not describe a sound 32-bit image throws.
BOOL ReadImage(CArchive& ar, Image& image)
{
    const DWORD_PTR headerCount = ar.ReadCount();
    if (headerCount == 0)
        return FALSE;
    if (headerCount != kHeaderBytes)
        BadBlock();
    BYTE header[kHeaderBytes];
    if (ar.Read(header, kHeaderBytes) != kHeaderBytes)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    BITMAPINFOHEADER bih;
    std::memcpy(&bih, header, sizeof(bih));
    const LONG width = bih.biWidth;
    const LONG height = bih.biHeight < 0 ? -bih.biHeight : bih.biHeight;
    if (bih.biSize < sizeof(BITMAPINFOHEADER) || bih.biBitCount != 32 || width <= 0 || height <= 0 ||
        width > TKP_MAX_ICON_EXTENT || height > TKP_MAX_ICON_EXTENT)
        BadBlock();
    const DWORD_PTR pixelCount = ar.ReadCount();
    if (pixelCount != DWORD_PTR(width) * DWORD_PTR(height) * 4)
        BadBlock();
    image.width = int(width);
    image.height = int(height);
    image.pixels.assign(size_t(width) * size_t(height), 0);
    for (LONG row = 0; row < height; ++row) {
        const LONG y = bih.biHeight < 0 ? row : height - 1 - row;
        const UINT bytes = UINT(width) * 4;
        if (ar.Read(&image.pixels[size_t(y) * size_t(width)], bytes) != bytes)
            AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    return TRUE;
}

// One image of an icon: the colour and the mask of an icon, an alpha bitmap and an empty block,
// or two empty blocks.
void WriteHandle(CArchive& ar, const CTKPIconHandle& handle)
{
    if (handle.GetIcon()) {
        IconImages icon;
        if (ReadIcon(handle.GetIcon(), icon)) {
            for (DWORD& p : icon.mask.pixels)
                p = p ? 0x00FFFFFF : 0; // white marks the transparent pixels, as a mask bitmap reads
            WriteImage(ar, &icon.color);
            WriteImage(ar, &icon.mask);
            return;
        }
    } else if (handle.GetAlphaBitmap()) {
        Image image;
        if (ReadBitmap(handle.GetAlphaBitmap(), image)) {
            WriteImage(ar, &image);
            WriteImage(ar, nullptr);
            return;
        }
    }
    WriteImage(ar, nullptr);
    WriteImage(ar, nullptr);
}

void ReadHandle(CArchive& ar, CTKPIconHandle& handle)
{
    IconImages icon;
    const BOOL hasColor = ReadImage(ar, icon.color);
    const BOOL hasMask = ReadImage(ar, icon.mask);
    handle.Release();
    if (hasColor && hasMask) {
        if (icon.mask.width != icon.color.width || icon.mask.height != icon.color.height)
            BadBlock();
        for (DWORD& p : icon.mask.pixels)
            p = (p & 0xFFFFFF) ? 1 : 0;
        if (HICON made = MakeIcon(icon))
            handle.SetIcon(made);
    } else if (hasColor) {
        if (HBITMAP bitmap = MakeBitmap(icon.color))
            handle.SetAlphaBitmap(bitmap);
    } else if (hasMask) {
        BadBlock();
    }
}

} // namespace

void CTKPImageIcon::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << DWORD(m_nWidth) << DWORD(kIconVersion);
        WriteHandle(ar, m_hIcon);
        WriteHandle(ar, m_hDisabledIcon);
        WriteHandle(ar, m_hHotIcon);
        WriteHandle(ar, m_hCheckedIcon);
        return;
    }
    DWORD width = 0, version = 0;
    ar >> width >> version;
    if (width == 0 || width > TKP_MAX_ICON_EXTENT)
        BadBlock();
    CTKPIconHandle normal, disabled, hot, checked;
    ReadHandle(ar, normal);
    ReadHandle(ar, disabled);
    ReadHandle(ar, hot);
    if (version > 7)
        ReadHandle(ar, checked);
    const SIZE extent = normal.GetExtent();
    if (normal.IsEmpty() || extent.cx <= 0 || extent.cy <= 0)
        BadBlock();
    // Only a whole icon replaces what the icon held.
    SetIcon(normal);
    SetDisabledIcon(disabled);
    SetHotIcon(hot);
    SetCheckedIcon(checked);
    normal.Release();
    disabled.Release();
    hot.Release();
    checked.Release();
}

void CTKPImageManager::ExchangeIconSet(UINT id, CTKPPropExchange* px)
{
    if (id > m_nCustomID && id < 0x7FFFFFFF)
        m_nCustomID = id;
    CString checksum = u"CTKPImageManagerIcons";
    PropExchangeString(px, u"CheckSum", &checksum, u"CTKPImageManagerIcons");
    CTKPImageIconSet* set = GetIconSet(id);
    std::vector<CTKPImageIcon*> icons;
    if (!px->IsLoading() && set)
        for (auto& [width, icon] : set->m_icons)
            if (!icon->m_bScaled)
                icons.push_back(icon);
    std::unique_ptr<CTKPSectionEnumerator> items(px->GetEnumerator(u"Icon"));
    DWORD position = items->GetPosition(DWORD(icons.size()));
    for (size_t i = 0; position; ++i) {
        std::unique_ptr<CTKPPropExchange> section(items->GetNext(position));
        if (!section)
            break;
        if (!px->IsLoading()) {
            int width = icons[i]->m_nWidth;
            PropExchangeIntNoDefault(section.get(), u"Width", &width);
            PropExchangeObject(section.get(), u"Data", icons[i]);
            continue;
        }
        int width = 16;
        if (!PropExchangeIntNoDefault(section.get(), u"Width", &width))
            break; // a missing entry ends the list, whatever count was read
        // A width outside what an icon can have is never drawn (it would divide by 0).
        if (width <= 0 || width > TKP_MAX_ICON_EXTENT)
            continue;
        auto* icon = new CTKPImageIcon(id, width, width, nullptr);
        if (!PropExchangeObject(section.get(), u"Data", icon) || icon->m_hIcon.IsEmpty()) {
            icon->InternalRelease();
            continue;
        }
        CTKPIconHandle normal;
        normal.CopyOwned(icon->m_hIcon);
        SetIcon(normal, id, icon->m_nWidth, icon->m_nHeight, TKP_IMAGESTATE_NORMAL);
        if (CTKPImageIconSet* loaded = GetIconSet(id))
            if (CTKPImageIcon* target = loaded->FindIcon(icon->m_nWidth)) {
                target->SetDisabledIcon(icon->m_hDisabledIcon);
                target->SetHotIcon(icon->m_hHotIcon);
                target->SetCheckedIcon(icon->m_hCheckedIcon);
            }
        icon->InternalRelease();
    }
}

void CTKPImageManager::DoPropExchange(CTKPPropExchange* px)
{
    std::vector<UINT> ids;
    if (!px->IsLoading())
        for (auto& [id, set] : m_iconSets)
            ids.push_back(id);
    std::unique_ptr<CTKPSectionEnumerator> sets(px->GetEnumerator(u"IconSet"));
    DWORD position = sets->GetPosition(DWORD(ids.size()));
    for (size_t i = 0; position; ++i) {
        std::unique_ptr<CTKPPropExchange> section(sets->GetNext(position));
        if (!section)
            break;
        int id = px->IsLoading() ? 0 : int(ids[i]);
        if (!PropExchangeIntNoDefault(section.get(), u"Id", &id))
            break;
        ExchangeIconSet(UINT(id), section.get());
    }
}

void CTKPImageManager::Serialize(CArchive& ar)
{
    CTKPPropExchangeArchive px(ar);
    DoPropExchange(&px);
}

CLIPFORMAT CTKPImageManager::GetClipboardFormat()
{
    static const CLIPFORMAT format = CLIPFORMAT(::RegisterClipboardFormatW(u"Vezeri ToolBar Image"));
    return format;
}

BOOL CTKPImageManager::CopyIconSetToClipboard(UINT id, COleDataSource* source)
{
    if (!GetIconSet(id) || !source)
        return FALSE;
    CSharedFile file(GMEM_MOVEABLE, 1024);
    {
        CArchive ar(&file, CArchive::store, 4096);
        CTKPPropExchangeArchive px(ar);
        ExchangeIconSet(id, &px);
        ar.Close();
    }
    HGLOBAL block = file.Detach();
    if (!block)
        return FALSE;
    source->CacheGlobalData(GetClipboardFormat(), block);
    return TRUE;
}

UINT CTKPImageManager::PasteIconSet(const COleDataObject& data)
{
    std::unique_ptr<CFile> file(data.GetFileData(GetClipboardFormat()));
    if (!file)
        return 0;
    // Whatever another program put there is read as untrusted: a bad block drops the paste.
    const UINT id = m_nCustomID + 1;
    CTKPImageManager loaded;
    try {
        CArchive ar(file.get(), CArchive::load, 4096);
        CTKPPropExchangeArchive px(ar);
        loaded.ExchangeIconSet(id, &px);
        ar.Close();
    } catch (CException* e) {
        e->Delete();
        return 0;
    }
    CTKPImageIconSet* set = loaded.GetIconSet(id);
    if (!set || !set->GetCount())
        return 0;
    for (auto& [width, icon] : set->m_icons) {
        CTKPIconHandle normal;
        normal.CopyOwned(icon->m_hIcon);
        SetIcon(normal, id, icon->m_nWidth, icon->m_nHeight, TKP_IMAGESTATE_NORMAL);
        if (CTKPImageIcon* target = GetIconSet(id)->FindIcon(icon->m_nWidth)) {
            target->SetDisabledIcon(icon->m_hDisabledIcon);
            target->SetHotIcon(icon->m_hHotIcon);
            target->SetCheckedIcon(icon->m_hCheckedIcon);
        }
    }
    m_nCustomID = id;
    return id;
}
