// Field-value texts of the Access record list (values, type names, array and reference prefixes) and
// the tree cursor that builds the database tree.
#include "preview/dao_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(VariantText, Values)
{
    struct Case {
        COleVariant value;
        const char16_t* text;
    };
    Case cases[] = {
        {COleVariant(), u"NULL"},
        {COleVariant(short(-7)), u"-7"},
        {COleVariant(long(123456)), u"123456"},
        {COleVariant(2.5f), u"2.500000e+000"},
        {COleVariant(-0.125), u"-1.250000e-001"},
        {COleVariant(COleDateTime(2024, 3, 9, 0, 0, 0)), u"03 09 24"},
        {COleVariant(u"Smith"), u"Smith"},
        {COleVariant(BYTE(0x0A)), u"0x0A"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VariantText(c.value), CString(c.text)) << "type " << c.value.vt;
}

TEST(VariantText, TypesShownByName)
{
    struct Case {
        VARTYPE vt;
        const char16_t* text;
    };
    const Case cases[] = {
        {VT_NULL, u"NULL"},
        {VT_DISPATCH, u"VT_DISPATCH"},
        {VT_I8, u"VT_I8"},
        {72, u"VT_CLSID"},
        // No name: decimal (14), 32 to 63 and 73 on keep the placeholder.
        {14, u"Fish"},
        {40, u"Fish"},
        {73, u"Fish"},
    };
    for (const Case& c : cases) {
        COleVariant v;
        v.vt = c.vt;
        EXPECT_EQ(VariantText(v), CString(c.text)) << "type " << c.vt;
        v.vt = VT_EMPTY;
    }
}

TEST(VariantText, BooleansCarryNoPrefix)
{
    COleVariant yes, no;
    yes.vt = no.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    no.boolVal = VARIANT_FALSE;
    EXPECT_EQ(VariantText(yes), CString(u"TRUE"));
    EXPECT_EQ(VariantText(no), CString(u"FALSE"));
    EXPECT_EQ(BoolText(5), CString(u"TRUE"));
}

// Arrays and references are named, never read as values (their union member is a pointer).
TEST(VariantText, ArraysAndReferencesAreNamed)
{
    struct Case {
        VARTYPE vt;
        const char16_t* text;
    };
    const Case cases[] = {
        {VT_BYREF | VT_I4, u"FishPointer to VT_I4"},
        {VT_ARRAY | VT_BSTR, u"Array of VT_BSTR"},
        {VT_ARRAY | VT_BYREF | VT_UI1, u"Array of Pointer to VT_UI1"},
        {VT_BYREF | 14, u"FishPointer to "},
    };
    for (const Case& c : cases) {
        VARIANT raw{};
        raw.vt = c.vt;
        // Attached and detached again, so the wrapper never frees what it does not own.
        COleVariant v;
        v.Attach(raw);
        EXPECT_EQ(VariantText(v), CString(c.text)) << std::hex << c.vt;
        v.Detach();
    }
}

TEST(TreeCursor, AddsChildrenWithOrWithoutImages)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), u"p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 200),
                                nullptr, 0));
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 200), &parent, 1));
    CTreeCursor root = CTreeCursor(TVI_ROOT, &tree).AddChild(u"Access DataBase", 0);
    CTreeCursor tables = root.AddChild(u"Tables", 3);
    CTreeCursor plain = root.AddChild(u"plain");
    ASSERT_NE(tables.m_hTreeItem, nullptr);
    EXPECT_EQ(tree.GetParentItem(tables), root.m_hTreeItem);
    EXPECT_EQ(tree.GetItemText(tables), CString(u"Tables"));
    EXPECT_EQ(tables.GetImage(), 3);
    int image = -1, selected = -1;
    tree.GetItemImage(tables, image, selected);
    EXPECT_EQ(selected, 3);
    EXPECT_EQ(plain.GetImage(), 0);
    // Items follow in the order they were appended.
    EXPECT_EQ(tree.GetNextSiblingItem(tables), plain.m_hTreeItem);
    CTreeCursor copy;
    copy = tables;
    EXPECT_EQ(copy.GetImage(), 3);
    parent.DestroyWindow();
}

} // namespace
