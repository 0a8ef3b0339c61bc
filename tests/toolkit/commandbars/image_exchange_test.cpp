// Tests of saving, loading and pasting the image manager's icons, with damaged bitmap blocks.
#include <gtest/gtest.h>

#include "afx/data_object.h"
#include "afx/file.h"
#include "controls/paint_probe.h"
#include "toolkit/commandbars/image_manager.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

COLORREF Drawn(CTKPImageIcon* icon, CTKPIconView::Image image, POINT at)
{
    PaintProbe surface(32, 32, kWhite);
    icon->DrawImage(surface.dc(), POINT{0, 0}, SIZE{0, 0}, image);
    return surface.At(at.x, at.y);
}

std::vector<BYTE> Bytes(CMemFile& file)
{
    const ULONGLONG length = file.GetLength();
    std::vector<BYTE> bytes(static_cast<size_t>(length));
    file.SeekToBegin();
    file.Read(bytes.data(), UINT(length));
    return bytes;
}

std::vector<BYTE> Store(CTKPImageManager& manager)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        manager.Serialize(ar);
        ar.Close();
    }
    return Bytes(file);
}

// Loads into the manager; FALSE when the archive threw.
BOOL Load(CTKPImageManager& manager, std::vector<BYTE> bytes)
{
    CMemFile file(bytes.data(), UINT(bytes.size()));
    try {
        CArchive ar(&file, CArchive::load);
        manager.Serialize(ar);
        ar.Close();
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

// One bitmap block as the loader reads it.
struct Block {
    DWORD headerCount = 52;
    LONG width = 2, height = 2;
    WORD bitCount = 32;
    DWORD pixelCount = 16;
    DWORD pixelsWritten = 16;
};

// An icon's archive: width, version, a colour block and empty blocks for the other images.
std::vector<BYTE> IconArchive(DWORD width, const Block& b)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << width << DWORD(16);
        ar.WriteCount(b.headerCount);
        BYTE header[52] = {};
        BITMAPINFOHEADER bih{sizeof(BITMAPINFOHEADER), b.width, b.height, 1, b.bitCount, BI_RGB, 0, 0, 0, 0, 0};
        std::memcpy(header, &bih, sizeof(bih));
        ar.Write(header, b.headerCount < 52 ? b.headerCount : 52);
        ar.WriteCount(b.pixelCount);
        std::vector<BYTE> pixels(b.pixelsWritten, 0x80);
        if (!pixels.empty())
            ar.Write(pixels.data(), UINT(pixels.size()));
        for (int i = 0; i < 7; ++i)
            ar.WriteCount(0);
        ar.Close();
    }
    return Bytes(file);
}

} // namespace

TEST(ImageExchange, IconsKeepTheirImagesThroughTheArchiveButNotScaledCopies) {
    CTKPImageManager source;
    ASSERT_TRUE(source.SetIconsFromResource(9200));
    ASSERT_TRUE(source.SetIconsFromResource(9201));
    CTKPIconHandle hot(source.GetImage(202, 16)->GetIcon());
    CTKPIconHandle hotCopy;
    hotCopy.CopyOwned(hot);
    ASSERT_TRUE(source.SetIcon(hotCopy, 200, 16, 15, TKP_IMAGESTATE_HOT));
    ASSERT_NE(source.GetImage(200, 24), nullptr); // a scaled copy, which is never saved

    CTKPImageManager loaded;
    ASSERT_TRUE(Load(loaded, Store(source)));
    const struct { UINT id; BOOL alpha; } ids[] = {{200, FALSE}, {201, FALSE}, {202, FALSE}, {300, TRUE}, {301, TRUE}};
    for (const auto& c : ids) {
        SCOPED_TRACE(c.id);
        CTKPImageIconSet* set = loaded.GetIconSet(c.id);
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set->GetCount(), 1);
        CTKPImageIcon* icon = set->FindIcon(16);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->IsAlpha(), c.alpha);
        CTKPImageIcon* original = source.GetIconSet(c.id)->FindIcon(16);
        EXPECT_EQ(icon->GetHeight(), original->GetHeight());
        for (POINT at : {POINT{0, 0}, POINT{5, 5}, POINT{12, 8}})
            EXPECT_EQ(Drawn(icon, CTKPIconView::Normal, at), Drawn(original, CTKPIconView::Normal, at));
    }
    EXPECT_EQ(Drawn(loaded.GetIconSet(200)->FindIcon(16), CTKPIconView::Hot, {5, 5}), RGB(0, 0, 255));
}

TEST(ImageExchange, DamagedBitmapBlocksAreRefused) {
    const struct { const char* name; DWORD width; Block block; BOOL loads; } cases[] = {
        {"sound", 2, {}, TRUE},
        {"top-down rows", 2, {52, 2, -2, 32, 16, 16}, TRUE},
        {"header count 51", 2, {51, 2, 2, 32, 16, 16}, FALSE},
        {"header count beyond the data", 2, {0x7FFFFFFF, 2, 2, 32, 16, 16}, FALSE},
        {"24 bits per pixel", 2, {52, 2, 2, 24, 12, 12}, FALSE},
        {"width 0", 2, {52, 0, 2, 32, 0, 0}, FALSE},
        {"negative width", 2, {52, -2, 2, 32, 16, 16}, FALSE},
        {"height 0", 2, {52, 2, 0, 32, 0, 0}, FALSE},
        {"huge width", 2, {52, 100000, 1, 32, 400000, 0}, FALSE},
        {"pixel count one short", 2, {52, 2, 2, 32, 15, 15}, FALSE},
        {"pixel count huge", 2, {52, 2, 2, 32, 0xFFFFFFF0, 16}, FALSE},
        {"pixels cut short", 2, {52, 2, 2, 32, 16, 8}, FALSE},
        {"icon width 0", 0, {}, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<BYTE> bytes = IconArchive(c.width, c.block);
        CMemFile file(const_cast<BYTE*>(bytes.data()), UINT(bytes.size()));
        CTKPImageIcon icon(500, 16, 16, nullptr);
        BOOL loaded = TRUE;
        try {
            CArchive ar(&file, CArchive::load);
            icon.Serialize(ar);
        } catch (CException* e) {
            e->Delete();
            loaded = FALSE;
        }
        EXPECT_EQ(loaded, c.loads);
        EXPECT_EQ(icon.GetIcon().IsEmpty(), !c.loads);
        if (c.loads) {
            EXPECT_EQ(icon.GetWidth(), 2);
            EXPECT_TRUE(icon.IsAlpha());
        }
    }
}

TEST(ImageExchange, ClipboardCarriesAnIconSetUnderTheNextCustomId) {
    CTKPImageManager manager;
    ASSERT_TRUE(manager.SetIconsFromResource(9200));
    auto* source = new COleDataSource;
    ASSERT_TRUE(manager.CopyIconSetToClipboard(201, source));
    EXPECT_FALSE(manager.CopyIconSetToClipboard(999, source));
    COleDataObject data;
    data.Attach(source);
    EXPECT_EQ(manager.PasteIconSet(data), 68267u);
    EXPECT_EQ(manager.PasteIconSet(data), 68268u);
    CTKPImageIcon* pasted = manager.GetImage(68267, 16);
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(Drawn(pasted, CTKPIconView::Normal, {5, 5}), RGB(0, 160, 0));

    // Data in the format that does not hold a sound icon set pastes nothing.
    const std::vector<BYTE> damaged = IconArchive(2, Block{51});
    for (const std::vector<BYTE>& bytes : {damaged, std::vector<BYTE>{1, 2, 3}}) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        auto* bad = new COleDataSource;
        bad->CacheGlobalData(CTKPImageManager::GetClipboardFormat(), block);
        COleDataObject badData;
        badData.Attach(bad);
        EXPECT_EQ(manager.PasteIconSet(badData), 0u);
    }
    COleDataObject empty;
    empty.Attach(new COleDataSource);
    EXPECT_EQ(manager.PasteIconSet(empty), 0u);
    EXPECT_EQ(manager.m_nCustomID, 68268u);
}
