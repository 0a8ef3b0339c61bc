// Tests of the task-panel item model: collections and references, the drag and focus answers, the
// saved properties in the registry and the drag data, and damaged or hostile data of both kinds.
#include <gtest/gtest.h>

#include "../base/test_settings.h"
#include "afx/file.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/taskpanel/task_panel.h"

#include <cstring>
#include <memory>
#include <vector>

// A serializable class of the program that is no task-panel item; data naming it must never make one.
class CForeignRecord : public CObject {
    DECLARE_SERIAL(CForeignRecord)
public:
    CForeignRecord() { ++s_made; }
    static int s_made;
};
int CForeignRecord::s_made = 0;
IMPLEMENT_SERIAL(CForeignRecord, CObject, 1)

namespace {

CTKPTaskPanelGroupItem* NewItem(LPCWSTR caption, int type = TKP_TASKITEM_LINK)
{
    auto* item = new CTKPTaskPanelGroupItem();
    item->SetCaption(caption);
    item->SetType(type);
    return item;
}

// The bytes of a global block.
std::vector<BYTE> Bytes(HGLOBAL block)
{
    std::vector<BYTE> out(::GlobalSize(block));
    if (!out.empty())
        std::memcpy(out.data(), ::GlobalLock(block), out.size());
    ::GlobalUnlock(block);
    return out;
}

// The item's class record and properties as the drag data holds them, to the exact byte.
std::vector<BYTE> ArchiveBytes(CTKPTaskPanelItem* item)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar.WriteClass(item->GetRuntimeClass());
        CTKPPropExchangeArchive px(ar);
        item->DoPropExchange(&px);
        ar.Close();
    }
    std::vector<BYTE> bytes(size_t(file.GetLength()));
    file.SeekToBegin();
    file.Read(bytes.data(), UINT(bytes.size()));
    return bytes;
}

// A data object offering the bytes under the item format.
CTKPTaskPanelItem* ItemFromBytes(const std::vector<BYTE>& bytes)
{
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.empty() ? 1 : bytes.size());
    if (!bytes.empty())
        std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    auto* source = new COleDataSource();
    source->CacheGlobalData(CTKPTaskPanelItem::GetClipboardFormat(), block);
    COleDataObject data;
    data.Attach(source, TRUE);
    return CTKPTaskPanelItem::CreateItemFromData(&data);
}

class TaskPanelModelTest : public ::testing::Test {
protected:
    void SetUp() override { tktest::UseMemorySettings(); }
    void TearDown() override { tktest::EndMemorySettings(); }

    // Saves or loads a collection under HKCU\Software\Co\Panel.
    void Exchange(CTKPTaskPanelItems* items, BOOL loading, UINT schema = 16)
    {
        CTKPPropExchangeRegistry px(loading, HKEY_CURRENT_USER, u"Software\\Co\\Panel");
        px.SetSchema(schema);
        items->DoPropExchange(&px);
    }
    HKEY OpenKey(LPCWSTR path)
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return key;
    }
    void SetDword(LPCWSTR path, LPCWSTR name, DWORD value)
    {
        HKEY key = OpenKey(path);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
    }
    void SetText(LPCWSTR path, LPCWSTR name, const CString& value)
    {
        HKEY key = OpenKey(path);
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.GetString()),
                       DWORD(value.GetLength() + 1) * 2);
        RegCloseKey(key);
    }
    BOOL HasValue(LPCWSTR path, LPCWSTR name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return FALSE;
        const BOOL found = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
        return found;
    }
};

} // namespace

TEST_F(TaskPanelModelTest, CollectionsKeepOrderAndOneReferencePerItem)
{
    CTKPTaskPanelItems items;
    CTKPTaskPanelItem* a = items.InsertAt(0, NewItem(u"a"));
    CTKPTaskPanelItem* c = items.InsertAt(7, NewItem(u"c"));
    CTKPTaskPanelItem* b = items.InsertAt(1, NewItem(u"b"));
    ASSERT_EQ(items.GetCount(), 3);
    EXPECT_EQ(items.GetAt(0), a);
    EXPECT_EQ(items.GetAt(1), b);
    EXPECT_EQ(items.GetAt(2), c);
    EXPECT_EQ(items.GetAt(3), nullptr);
    EXPECT_EQ(items.GetAt(-1), nullptr);
    EXPECT_EQ(b->GetParentItems(), &items);
    EXPECT_EQ(b->GetIndex(), 1);

    items.Move(a, 2);
    EXPECT_EQ(items.IndexOf(a), 2);
    EXPECT_EQ(items.IndexOf(b), 0);

    // Visible walks skip hidden items in both directions.
    c->SetVisible(FALSE);
    EXPECT_EQ(items.GetNextVisibleIndex(0, 1), 2);
    EXPECT_EQ(items.GetNextVisibleIndex(2, -1), 0);
    EXPECT_EQ(items.GetNextVisibleIndex(2, 1), -1);
    EXPECT_EQ(items.GetFirstVisibleItem(), b);
    EXPECT_EQ(items.GetLastVisibleItem(), a);

    // Removal releases the collection's reference; a holder of its own keeps the item alive.
    a->InternalAddRef();
    items.Remove(a);
    EXPECT_EQ(a->m_dwRef, 1);
    EXPECT_EQ(a->GetIndex(), -1);
    a->InternalRelease();
    items.Clear();
    EXPECT_EQ(items.GetCount(), 0);
}

TEST_F(TaskPanelModelTest, DragBitsComeFromTheItemItsGroupOrThePanel)
{
    CTKPTaskPanel panel;
    auto* group = new CTKPTaskPanelGroup();
    panel.GetGroups()->InsertAt(0, group);
    CTKPTaskPanelGroupItem* item = NewItem(u"link");
    group->GetItems()->InsertAt(0, item);
    const struct {
        int itemBits, groupBits, panelBits, expected;
    } cases[] = {
        {1, 1, 1, 0xCC}, {1, 1, 0, 0},       {1, 1, 0x40, 0x40}, {1, 0x22, 0x40, 0x22},
        {0, 0x22, 0x40, 0}, {0x80, 0, 0, 0x80},
    };
    for (const auto& c : cases) {
        item->SetAllowDrag(c.itemBits);
        group->SetAllowDrag(c.groupBits);
        panel.AllowDrag(c.panelBits);
        EXPECT_EQ(item->GetAllowDrag(), c.expected) << c.itemBits << " " << c.groupBits << " " << c.panelBits;
    }

    // Drops need the item, its group and the panel to allow them.
    EXPECT_TRUE(item->IsAllowDrop());
    group->SetAllowDrop(FALSE);
    EXPECT_FALSE(item->IsAllowDrop());
    group->SetAllowDrop(TRUE);
    panel.AllowDrop(FALSE);
    EXPECT_FALSE(item->IsAllowDrop());
}

TEST_F(TaskPanelModelTest, OnlyEnabledVisibleLinksAndExpandableGroupsTakeTheFocus)
{
    CTKPTaskPanel panel;
    auto* group = new CTKPTaskPanelGroup();
    panel.GetGroups()->InsertAt(0, group);
    CTKPTaskPanelGroupItem* link = NewItem(u"link");
    CTKPTaskPanelGroupItem* text = NewItem(u"text", TKP_TASKITEM_TEXT);
    group->GetItems()->InsertAt(0, link);
    group->GetItems()->InsertAt(1, text);
    EXPECT_TRUE(link->IsAcceptFocus());
    EXPECT_FALSE(text->IsAcceptFocus());
    EXPECT_TRUE(group->IsAcceptFocus());
    link->SetEnabled(FALSE);
    EXPECT_FALSE(link->IsAcceptFocus());
    link->SetEnabled(TRUE);
    link->SetVisible(FALSE);
    EXPECT_FALSE(link->IsAcceptFocus());
    group->SetExpandable(FALSE);
    EXPECT_FALSE(group->IsAcceptFocus());
    group->SetExpandable(TRUE);
    panel.SetExpandable(FALSE);
    EXPECT_FALSE(group->IsAcceptFocus());
    EXPECT_EQ(text->GetItemGroup(), group);
    EXPECT_EQ(group->GetItemGroup(), group);
    CTKPTaskPanelItem bare;
    EXPECT_EQ(bare.GetItemGroup(), nullptr);
    EXPECT_TRUE(bare.GetHitTestRect().IsRectEmpty());
}

TEST_F(TaskPanelModelTest, AnEmptyCaptionMeasuresAsABlankAndCentresWhenAsked)
{
    CTKPTaskPanelItem item;
    HDC screen = ::GetDC(nullptr);
    CDC dc;
    dc.Attach(::CreateCompatibleDC(screen));
    ::ReleaseDC(nullptr, screen);
    SIZE blank{};
    ::GetTextExtentPoint32W(dc.m_hDC, u" ", 1, &blank);
    const CRect rc(10, 20, 200, 120);
    CRect measured = item.CalcCaptionTextRect(&dc, rc, DT_SINGLELINE);
    EXPECT_EQ(measured.Height(), blank.cy);
    EXPECT_EQ(measured.Width(), blank.cx);
    EXPECT_EQ(measured.top, 20);
    measured = item.CalcCaptionTextRect(&dc, rc, DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(measured.top, 20 + (100 - blank.cy) / 2);
    EXPECT_EQ(item.GetTextFormat(), UINT(DT_SINGLELINE | DT_VCENTER));
    ::DeleteDC(dc.Detach());
}

TEST_F(TaskPanelModelTest, PropertiesRoundTripThroughTheRegistry)
{
    CTKPTaskPanel saved;
    auto* group = new CTKPTaskPanelGroup();
    group->SetCaption(u"分组 One");
    group->SetTooltip(u"tip");
    group->SetID(7);
    group->SetSpecial(TRUE);
    group->SetLayout(TKP_TPLAYOUT_GRID);
    group->SetMarginsInner(RECT{1, 2, 3, 4});
    group->SetIconSize(CSize(24, 24));
    group->SetAllowDrag(0x40);
    saved.GetGroups()->InsertAt(0, group);
    group->SetExpanded(FALSE);
    CTKPTaskPanelGroupItem* item = NewItem(u"Open");
    item->SetID(42);
    item->SetIconIndex(5);
    item->SetBold(TRUE);
    item->SetSize(CSize(80, 30));
    item->SetDragText(u"drag me");
    item->SetAutoHeight(TRUE);
    item->SetMargins(RECT{0, 1, 0, 1});
    item->SetEnabled(FALSE);
    group->GetItems()->InsertAt(0, item);
    item->SetSelected(TRUE);
    group->GetItems()->InsertAt(1, NewItem(u"Text", TKP_TASKITEM_TEXT));
    auto* second = new CTKPTaskPanelGroup();
    second->SetCaption(u"Two");
    second->SetCaptionVisible(FALSE);
    saved.GetGroups()->InsertAt(1, second);
    Exchange(saved.GetGroups(), FALSE);

    CTKPTaskPanel loaded;
    Exchange(loaded.GetGroups(), TRUE);
    ASSERT_EQ(loaded.GetGroupCount(), 2);
    CTKPTaskPanelGroup* g = loaded.GetAt(0);
    EXPECT_EQ(g->GetTaskPanel(), &loaded);
    EXPECT_EQ(g->GetCaption(), CString(u"分组 One"));
    EXPECT_EQ(g->GetTooltip(), CString(u"tip"));
    EXPECT_EQ(g->GetID(), 7);
    EXPECT_EQ(g->GetType(), TKP_TASKITEM_GROUP);
    EXPECT_TRUE(g->IsSpecial());
    EXPECT_FALSE(g->IsExpanded());
    EXPECT_EQ(g->GetLayout(), TKP_TPLAYOUT_GRID);
    EXPECT_EQ(CRect(g->GetMarginsInner()), CRect(1, 2, 3, 4));
    EXPECT_EQ(CRect(g->GetMarginsOuter()), CRect(DefaultMarginsRect));
    EXPECT_EQ(g->GetIconSize(), CSize(24, 24));
    EXPECT_EQ(g->GetOwnAllowDrag(), 0x40);
    ASSERT_EQ(g->GetItemCount(), 2);
    CTKPTaskPanelGroupItem* i = g->GetItemAt(0);
    EXPECT_EQ(i->GetTaskPanel(), &loaded);
    EXPECT_EQ(i->GetItemGroup(), g);
    EXPECT_EQ(i->GetCaption(), CString(u"Open"));
    EXPECT_EQ(i->GetID(), 42);
    EXPECT_EQ(i->GetType(), TKP_TASKITEM_LINK);
    EXPECT_EQ(i->GetIconIndex(), 5);
    EXPECT_TRUE(i->IsBold());
    EXPECT_EQ(i->GetSize(), CSize(80, 30));
    EXPECT_EQ(i->GetDragText(), CString(u"drag me"));
    EXPECT_TRUE(i->IsAutoHeight());
    EXPECT_TRUE(i->IsSelected());
    EXPECT_FALSE(i->GetEnabled());
    EXPECT_EQ(CRect(i->GetMargins()), CRect(0, 1, 0, 1));
    EXPECT_EQ(g->GetItemAt(1)->GetType(), TKP_TASKITEM_TEXT);
    EXPECT_FALSE(loaded.GetAt(1)->IsCaptionVisible());

    // Loading again replaces what was there.
    Exchange(loaded.GetGroups(), TRUE);
    EXPECT_EQ(loaded.GetGroupCount(), 2);
}

TEST_F(TaskPanelModelTest, OlderSchemasLeaveOutLaterKeysAndLoadTheirDefaults)
{
    CTKPTaskPanelGroupItems items(nullptr);
    CTKPTaskPanelGroupItem* item = NewItem(u"old");
    item->SetVisible(FALSE);
    item->SetIconPadding(RECT{1, 1, 1, 1});
    item->SetAutoHeight(TRUE);
    item->SetDragText(u"text");
    items.InsertAt(0, item);
    Exchange(&items, FALSE, 8);
    for (LPCWSTR key : {u"Visible", u"IconPadding", u"AutoHeight", u"DragText"})
        EXPECT_FALSE(HasValue(u"Software\\Co\\Panel\\Item0", key)) << std::u16string(key).size();
    EXPECT_TRUE(HasValue(u"Software\\Co\\Panel\\Item0", u"Caption"));

    CTKPTaskPanelGroupItems loaded(nullptr);
    Exchange(&loaded, TRUE, 8);
    ASSERT_EQ(loaded.GetCount(), 1);
    auto* back = static_cast<CTKPTaskPanelGroupItem*>(loaded.GetAt(0));
    EXPECT_TRUE(back->IsVisible());
    EXPECT_EQ(CRect(back->GetIconPadding()), CRect(DefaultMarginsRect));
    EXPECT_FALSE(back->IsAutoHeight());
    EXPECT_TRUE(back->GetDragText().IsEmpty());

    // A bare item keeps its type.
    CTKPTaskPanelItems bare;
    bare.InsertAt(0, new CTKPTaskPanelItem());
    Exchange(&bare, FALSE);
    CTKPTaskPanelItems bareLoaded;
    Exchange(&bareLoaded, TRUE);
    ASSERT_EQ(bareLoaded.GetCount(), 1);
    EXPECT_EQ(bareLoaded.GetAt(0)->GetType(), TKP_TASKITEM_LINK);
}

TEST_F(TaskPanelModelTest, DamagedRegistryCollectionsEndCleanly)
{
    // A count far past what was stored stops at the first missing section.
    CTKPTaskPanelGroupItems items(nullptr);
    items.InsertAt(0, NewItem(u"only"));
    Exchange(&items, FALSE);
    SetDword(u"Software\\Co\\Panel", u"Count", 50000);
    CTKPTaskPanelGroupItems loaded(nullptr);
    Exchange(&loaded, TRUE);
    EXPECT_EQ(loaded.GetCount(), 1);

    // A count no panel ever had is refused outright.
    SetDword(u"Software\\Co\\Panel", u"Count", 0x7FFFFFFF);
    EXPECT_THROW(
        {
            try {
                Exchange(&loaded, TRUE);
            } catch (CArchiveException* e) {
                e->Delete();
                throw 1;
            }
        },
        int);
    EXPECT_EQ(loaded.GetCount(), 0);

    // A section naming a class that is no item of the collection ends the load with a bad class.
    const struct {
        const char16_t* className;
    } cases[] = {{u"CForeignRecord"}, {u"CWnd"}, {u"CTKPTaskPanelGroup"}, {u"NoSuchClass"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.className, c.className + std::u16string(c.className).size()));
        Exchange(&items, FALSE);
        SetText(u"Software\\Co\\Panel\\Item0", u"Class", c.className);
        CForeignRecord::s_made = 0;
        int cause = -1;
        try {
            Exchange(&loaded, TRUE);
        } catch (CArchiveException* e) {
            cause = e->m_cause;
            e->Delete();
        }
        EXPECT_EQ(cause, int(CArchiveException::badClass));
        EXPECT_EQ(loaded.GetCount(), 0);
    }
}

TEST_F(TaskPanelModelTest, DragDataCarriesTheItemAndItsTextOnlyWhenAsked)
{
    CTKPTaskPanelGroupItem* item = NewItem(u"Report.txt");
    item->SetID(9);
    item->SetDragText(u"C:\\Report.txt");
    const CLIPFORMAT format = CTKPTaskPanelItem::GetClipboardFormat();
    {
        COleDataSource source;
        ASSERT_TRUE(CTKPTaskPanelItem::CacheItemData(item, &source, TRUE));
        EXPECT_TRUE(source.HasFormat(format));
        ASSERT_TRUE(source.HasFormat(CF_TEXT));
        HGLOBAL text = source.CopyData(CF_TEXT);
        EXPECT_STREQ(static_cast<const char*>(::GlobalLock(text)), "C:\\Report.txt");
        ::GlobalUnlock(text);
        ::GlobalFree(text);
    }
    {
        COleDataSource source;
        ASSERT_TRUE(CTKPTaskPanelItem::CacheItemData(item, &source, FALSE));
        EXPECT_FALSE(source.HasFormat(CF_TEXT));
    }
    item->SetDragText(u"");
    COleDataSource source;
    ASSERT_TRUE(CTKPTaskPanelItem::CacheItemData(item, &source, TRUE));
    EXPECT_FALSE(source.HasFormat(CF_TEXT));

    HGLOBAL block = CTKPTaskPanelItem::SerializeItemToGlobal(item);
    ASSERT_NE(block, nullptr);
    CTKPTaskPanelItem* copy = ItemFromBytes(Bytes(block));
    ::GlobalFree(block);
    ASSERT_NE(copy, nullptr);
    auto* groupItem = dynamic_cast<CTKPTaskPanelGroupItem*>(copy);
    ASSERT_NE(groupItem, nullptr);
    EXPECT_EQ(groupItem->GetCaption(), CString(u"Report.txt"));
    EXPECT_EQ(groupItem->GetID(), 9);
    EXPECT_EQ(groupItem->GetType(), TKP_TASKITEM_LINK);
    copy->InternalRelease();
    item->InternalRelease();

    // Bare items have no class record to drag.
    CTKPTaskPanelItem bare;
    EXPECT_EQ(CTKPTaskPanelItem::SerializeItemToGlobal(&bare), nullptr);
}

TEST_F(TaskPanelModelTest, CraftedDragDataIsRefusedWithoutMakingAnything)
{
    // A foreign class record.
    {
        CMemFile file;
        CArchive ar(&file, CArchive::store);
        ar.WriteClass(RUNTIME_CLASS(CForeignRecord));
        ar << DWORD(1) << DWORD(2);
        ar.Close();
        const ULONGLONG size = file.GetLength();
        std::vector<BYTE> bytes(size);
        file.SeekToBegin();
        file.Read(bytes.data(), UINT(size));
        CForeignRecord::s_made = 0;
        EXPECT_EQ(ItemFromBytes(bytes), nullptr);
        EXPECT_EQ(CForeignRecord::s_made, 0);
    }

    // Every cut of a group with items, and of a single item, is refused or whole.
    auto* group = new CTKPTaskPanelGroup();
    group->SetCaption(u"Group");
    group->GetItems()->InsertAt(0, NewItem(u"one"));
    group->GetItems()->InsertAt(1, NewItem(u"two"));
    for (CTKPTaskPanelItem* source : {static_cast<CTKPTaskPanelItem*>(group),
                                      static_cast<CTKPTaskPanelItem*>(group->GetItemAt(0))}) {
        HGLOBAL block = CTKPTaskPanelItem::SerializeItemToGlobal(source);
        ASSERT_NE(block, nullptr);
        const std::vector<BYTE> whole = Bytes(block);
        ::GlobalFree(block);
        EXPECT_EQ(whole, ArchiveBytes(source)) << "the block holds the data and nothing past it";
        for (size_t n = 0; n < whole.size(); ++n) {
            CTKPTaskPanelItem* made = ItemFromBytes(std::vector<BYTE>(whole.begin(), whole.begin() + n));
            // Every value of an item is stored, so any cut of one loses a value.
            if (source != group) {
                EXPECT_EQ(made, nullptr) << n;
            }
            if (made)
                made->InternalRelease();
        }
        CTKPTaskPanelItem* made = ItemFromBytes(whole);
        ASSERT_NE(made, nullptr);
        made->InternalRelease();
    }

    // A group whose item count is huge: refused outright, or ended at the end of the data.
    auto* empty = new CTKPTaskPanelGroup();
    std::vector<BYTE> bytes = ArchiveBytes(empty);
    empty->InternalRelease();
    ASSERT_GE(bytes.size(), 2u);
    ASSERT_EQ(bytes[bytes.size() - 2], 0);
    ASSERT_EQ(bytes[bytes.size() - 1], 0) << "the stored data ends with the item count";
    for (DWORD count : {DWORD(50000), DWORD(0x7FFFFFFF)}) {
        std::vector<BYTE> crafted(bytes.begin(), bytes.end() - 2);
        const BYTE escape[6] = {0xFF, 0xFF, BYTE(count), BYTE(count >> 8), BYTE(count >> 16), BYTE(count >> 24)};
        crafted.insert(crafted.end(), escape, escape + 6);
        EXPECT_EQ(ItemFromBytes(crafted), nullptr) << count;
    }
    group->InternalRelease();

    // Nothing at all, or the wrong format.
    EXPECT_EQ(ItemFromBytes({}), nullptr);
    COleDataObject none;
    EXPECT_EQ(CTKPTaskPanelItem::CreateItemFromData(&none), nullptr);
    EXPECT_EQ(CTKPTaskPanelItem::CreateItemFromData(nullptr), nullptr);
}
