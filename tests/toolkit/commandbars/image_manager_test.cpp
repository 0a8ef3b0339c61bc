// Tests of the image manager: icons from tool-bar resources, the images made on demand, scaled
// copies, and the ownership rules of icon handles.
#include <gtest/gtest.h>

#include "toolkit/base/color_table.h"
#include "toolkit/commandbars/image_manager.h"
#include "controls/paint_probe.h"

#include <memory>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

class ImageManagerTest : public ::testing::Test {
protected:
    std::unique_ptr<CTKPImageManager> manager = std::make_unique<CTKPImageManager>();
};

COLORREF Drawn(CTKPImageIcon* icon, CTKPIconView::Image image, POINT at, SIZE size = SIZE{0, 0})
{
    PaintProbe surface(48, 48, kWhite);
    icon->DrawImage(surface.dc(), POINT{0, 0}, size, image);
    return surface.At(at.x, at.y);
}

} // namespace

TEST_F(ImageManagerTest, ToolBarResourceGivesOneIconPerButton) {
    ASSERT_TRUE(manager->SetIconsFromResource(9200));
    const struct { UINT id; COLORREF colour; } cases[] = {
        {200, RGB(255, 0, 0)}, {201, RGB(0, 160, 0)}, {202, RGB(0, 0, 255)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CTKPImageIcon* icon = manager->GetImage(c.id, 16);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->GetWidth(), 16);
        EXPECT_EQ(icon->GetHeight(), 15);
        EXPECT_FALSE(icon->IsAlpha());
        EXPECT_EQ(Drawn(icon, CTKPIconView::Normal, {5, 5}), c.colour);
        // The magenta of the bitmap's top-left pixel is transparent.
        EXPECT_EQ(Drawn(icon, CTKPIconView::Normal, {0, 0}), kWhite);
    }
    // The separator takes no image: the next id gets the second one.
    EXPECT_EQ(manager->GetImage(0, 16), nullptr);
    EXPECT_EQ(manager->GetImage(203, 16), nullptr);
    EXPECT_FALSE(manager->SetIconsFromResource(9299));
}

TEST_F(ImageManagerTest, ImagesMadeOnDemandFollowTheirRules) {
    ASSERT_TRUE(manager->SetIconsFromResource(9200));
    ASSERT_TRUE(manager->SetIconsFromResource(9201));
    const COLORREF shade = GetColorTable().GetColorByIndex(31);
    const COLORREF shadow =
        RGB(int(GetRValue(shade) * 0.75), int(GetGValue(shade) * 0.75), int(GetBValue(shade) * 0.75));
    const struct { const char* name; UINT id; CTKPIconView::Image image; COLORREF inside; } cases[] = {
        {"normal", 200, CTKPIconView::Normal, RGB(255, 0, 0)},
        {"hot falls back to normal", 200, CTKPIconView::Hot, RGB(255, 0, 0)},
        {"checked falls back to normal", 200, CTKPIconView::Checked, RGB(255, 0, 0)},
        {"faded", 200, CTKPIconView::Faded, RGB(255, 76, 76)},
        {"disabled grey", 200, CTKPIconView::Disabled, RGB(139, 139, 139)},
        {"shadow", 200, CTKPIconView::Shadow, shadow},
        {"alpha normal", 300, CTKPIconView::Normal, RGB(0, 0, 200)},
        {"alpha faded", 300, CTKPIconView::Faded, RGB(76, 76, 216)},
        {"alpha disabled", 300, CTKPIconView::Disabled, RGB(76, 76, 76)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKPImageIcon* icon = manager->GetImage(c.id, 16);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(Drawn(icon, c.image, {6, 6}), c.inside);
        EXPECT_EQ(Drawn(icon, c.image, {1, 1}), kWhite);
    }
    CTKPImageIcon* alpha = manager->GetImage(300, 16);
    EXPECT_TRUE(alpha->IsAlpha());
    // A one-colour silhouette is for icons without alpha only.
    PaintProbe surface(48, 48, kWhite);
    manager->GetImage(200, 16)->DrawSilhouette(surface.dc(), POINT{0, 0}, SIZE{16, 15}, RGB(0, 0, 0));
    alpha->DrawSilhouette(surface.dc(), POINT{20, 0}, SIZE{16, 16}, RGB(0, 0, 0));
    EXPECT_EQ(surface.At(5, 5), RGB(0, 0, 0));
    EXPECT_EQ(surface.At(0, 0), kWhite);
    EXPECT_EQ(surface.At(26, 6), kWhite);
}

TEST_F(ImageManagerTest, ColourChangesDropGeneratedImagesAndScaledCopies) {
    ASSERT_TRUE(manager->SetIconsFromResource(9200));
    ASSERT_TRUE(manager->SetIconsFromResource(9201));
    CTKPImageIcon* icon = manager->GetImage(200, 16);
    EXPECT_FALSE(icon->GetFadedIcon().IsEmpty());
    EXPECT_FALSE(icon->GetDisabledIcon(TRUE).IsEmpty());
    EXPECT_TRUE(icon->HasShadowImage());

    // Another width gives a copy scaled from the nearest; an alpha icon and width 0 give the
    // nearest icon itself.
    CTKPImageIcon* large = manager->GetImage(200, 32);
    ASSERT_NE(large, nullptr);
    EXPECT_NE(large, icon);
    EXPECT_TRUE(large->m_bScaled);
    EXPECT_EQ(large->GetHeight(), 30);
    EXPECT_EQ(Drawn(large, CTKPIconView::Normal, {16, 15}), RGB(255, 0, 0));
    EXPECT_EQ(manager->GetIconSet(200)->GetCount(), 2);
    EXPECT_EQ(manager->GetImage(200, 0), icon);
    EXPECT_EQ(manager->GetImage(300, 32), manager->GetImage(300, 16));

    manager->RefreshAll();
    EXPECT_TRUE(icon->m_hFadedIcon.IsEmpty());
    EXPECT_TRUE(icon->m_hShadowIcon.IsEmpty());
    EXPECT_TRUE(icon->m_hGeneratedDisabledIcon.IsEmpty());
    EXPECT_FALSE(icon->HasDisabledIcon());
    EXPECT_EQ(manager->GetIconSet(200)->GetCount(), 1);
    // Made again on the next request.
    EXPECT_EQ(Drawn(icon, CTKPIconView::Faded, {6, 6}), RGB(255, 76, 76));
}

TEST_F(ImageManagerTest, SettingIconsChecksTheirInput) {
    // An alpha bitmap that is no whole number of images adds nothing.
    const UINT ids[] = {400, 401};
    EXPECT_FALSE(manager->SetIconsFromBitmap(9202, ids, 2, 16, 16));
    EXPECT_EQ(manager->GetImage(400, 16), nullptr);
    // Counting images needs a width.
    EXPECT_FALSE(manager->SetIconsFromBitmap(9201, ids, 0, 0, 0));

    CTKPIconHandle empty;
    EXPECT_FALSE(manager->SetIcon(empty, 500));
    ASSERT_TRUE(manager->SetIconsFromResource(9200));
    CTKPIconHandle copy;
    copy.CopyOwned(manager->GetImage(200, 16)->GetIcon());
    // A state other than normal needs the command's icon set to exist already.
    EXPECT_FALSE(manager->SetIcon(copy, 500, 0, 0, TKP_IMAGESTATE_HOT));
    EXPECT_TRUE(manager->SetIcon(copy, 200, 0, 0, TKP_IMAGESTATE_HOT));
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_FALSE(manager->GetImage(200, 16)->m_hHotIcon.IsEmpty());

    // Custom icons are numbered on from 68266.
    CTKPIconHandle custom;
    custom.CopyOwned(manager->GetImage(201, 16)->GetIcon());
    EXPECT_EQ(manager->AddCustomIcon(custom), 68267u);
    EXPECT_EQ(Drawn(manager->GetImage(68267, 16), CTKPIconView::Normal, {5, 5}), RGB(0, 160, 0));
}

TEST(IconHandle, OnlyAnOwningHandleDestroysItsIcon) {
    CTKPImageManager manager;
    ASSERT_TRUE(manager.SetIconsFromResource(9200));
    const struct { const char* name; bool own; bool alive; } cases[] = {
        {"borrowed", false, true}, {"owned", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKPIconHandle source;
        source.CopyOwned(manager.GetImage(200, 16)->GetIcon());
        HICON icon = source.GetIcon();
        source.Clear();
        {
            CTKPIconHandle handle(icon);
            if (c.own)
                handle.SetIcon(icon);
            CTKPIconHandle copy(handle);
            EXPECT_FALSE(copy.IsOwned());
            EXPECT_EQ(copy.GetExtent().cx, 16);
            EXPECT_EQ(copy.GetExtent().cy, 15);
        }
        ICONINFO info{};
        const BOOL alive = GetIconInfo(icon, &info);
        EXPECT_EQ(alive != FALSE, c.alive);
        if (alive) {
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(IconHandle, AlphaBitmapResourcesAreRecognised) {
    EXPECT_TRUE(IsAlphaBitmapResource(9201));
    EXPECT_FALSE(IsAlphaBitmapResource(9200));
    EXPECT_EQ(LoadAlphaBitmapResource(9200), nullptr);
    HBITMAP bitmap = LoadAlphaBitmapResource(9201);
    ASSERT_NE(bitmap, nullptr);
    HBITMAP parts[2] = {};
    ASSERT_TRUE(SplitAlphaBitmap(bitmap, 2, parts));
    BITMAP bm{};
    GetObjectW(parts[1], sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 16);
    HBITMAP three[3] = {};
    EXPECT_FALSE(SplitAlphaBitmap(bitmap, 3, three));
    EXPECT_EQ(three[0], nullptr);
    for (HBITMAP part : parts)
        DeleteObject(part);
    DeleteObject(bitmap);
}
