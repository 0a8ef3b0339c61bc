// Tests of the pane layout: saving and loading through the registry and an archive, the schema
// that governs the later keys, crafted layouts that are refused with the old layout kept, and
// damaged archives that load or fail without harm.
#include <gtest/gtest.h>

#include "afx/file.h"
#include "tests/toolkit/docking/dock_test_frame.h"
#include "win32/registry.h"

#include <functional>
#include <random>
#include <string>

using namespace docktest;

namespace {

const char16_t kRoot[] = u"Software\\DovemarkTests\\DockLayout";

// The tree of a layout as text: S(h|v ...) splitters, T[ids] tabbed containers, C the client.
std::string Describe(CTKPPaneBase* pane)
{
    if (!pane)
        return "-";
    switch (pane->GetType()) {
    case paneTypeClient:
        return "C";
    case paneTypeTabbedContainer: {
        std::string text = "T[";
        CTKPPaneList panes;
        pane->FindPanes(paneTypeDockingPane, panes);
        for (CTKPPaneBase* item : panes)
            text += std::to_string(static_cast<CTKPPane*>(item)->m_nID) + " ";
        return text + "]";
    }
    case paneTypeSplitterContainer: {
        auto* splitter = static_cast<CTKPPaneSplitterContainer*>(pane);
        std::string text = splitter->IsHorizontal() ? "S(h" : "S(v";
        for (CTKPPaneBase* child : splitter->GetPanes())
            text += " " + Describe(child);
        return text + ")";
    }
    default:
        return "?";
    }
}

std::string Describe(CTKPPaneLayout* layout)
{
    std::string text = Describe(layout->GetTopContainer()) + " client=" + Describe(layout->GetClientPane());
    return text + " panes=" + std::to_string(layout->GetPaneList().size());
}

class PaneLayoutTest : public ::testing::Test {
public:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        m_frame = OpenFrame();
        m_left = MakePane(Manager(), 1, u"Left\nL", 200, 300);
        m_right = MakePane(Manager(), 2, u"Right", 150, 100);
        m_below = MakePane(Manager(), 3, u"Below", 200, 120);
        m_left->m_clrItemTab = 0x123456;
        m_left->m_ptMinTrackSize = POINT{40, 50};
        Manager().DockPane(m_left, dockLeftOf);
        Manager().DockPane(m_right, dockRightOf);
        Manager().DockPane(m_below, dockBottomOf, m_left);
        m_frame->RecalcLayout();
    }
    void TearDown() override
    {
        CloseFrame(m_frame);
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    }
    TestPaneManager& Manager() { return m_frame->m_paneManager; }
    CTKPPaneLayout* Layout() { return Manager().GetLayout(); }

    void SaveTo(const char16_t* key, CTKPPaneLayout* layout, UINT schema = 16)
    {
        CTKPPropExchangeRegistry px(FALSE, HKEY_CURRENT_USER, (CString(kRoot) + u"\\" + key).GetString());
        px.SetSchema(schema);
        EXPECT_TRUE(layout->DoPropExchange(&px));
    }
    BOOL LoadFrom(const char16_t* key, CTKPPaneLayout* layout)
    {
        CTKPPropExchangeRegistry px(TRUE, HKEY_CURRENT_USER, (CString(kRoot) + u"\\" + key).GetString());
        return layout->DoPropExchange(&px);
    }
    void SetValue(const char16_t* key, const CString& section, const char16_t* name, int value)
    {
        HKEY hkey = nullptr;
        const CString path = CString(kRoot) + u"\\" + key + u"\\" + section;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.GetString(), 0, nullptr, 0, KEY_WRITE, nullptr, &hkey, nullptr),
                  ERROR_SUCCESS);
        DWORD word = DWORD(value);
        RegSetValueExW(hkey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word), 4);
        RegCloseKey(hkey);
    }
    static CString Section(int index)
    {
        CString text;
        text.Format(u"Pane-%d", index);
        return text;
    }
    // A new layout of the manager, not shown.
    CTKPPaneLayout* NewLayout() { return Manager().CreateLayout(); }

    DockFrame* m_frame = nullptr;
    CTKPPane* m_left = nullptr;
    CTKPPane* m_right = nullptr;
    CTKPPane* m_below = nullptr;
};

TEST_F(PaneLayoutTest, FreshLayoutSavesItsTwoPanesAndLoadsBackTheSameShape)
{
    CTKPPaneLayout* fresh = NewLayout();
    SaveTo(u"fresh", fresh);
    EXPECT_EQ(fresh->GetTopContainer()->m_nSaveIndex != fresh->GetClientPane()->m_nSaveIndex, true);
    CTKPPaneLayout* loaded = NewLayout();
    ASSERT_TRUE(LoadFrom(u"fresh", loaded));
    EXPECT_EQ(Describe(loaded), "S(v C) client=C panes=2");
    fresh->InternalRelease();
    loaded->InternalRelease();
}

TEST_F(PaneLayoutTest, DockedArrangementRoundTripsThroughTheRegistryAndAnArchive)
{
    const std::string shape = Describe(Layout());
    EXPECT_EQ(shape, "S(h S(v T[1 ] T[3 ]) S(v C) T[2 ]) client=C panes=10");
    SaveTo(u"saved", Layout());
    CTKPPaneLayout* fromRegistry = NewLayout();
    ASSERT_TRUE(LoadFrom(u"saved", fromRegistry));
    EXPECT_EQ(Describe(fromRegistry), shape);

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        Layout()->Serialize(ar);
        ar.Close();
    }
    file.SeekToBegin();
    CTKPPaneLayout* fromArchive = NewLayout();
    {
        CArchive ar(&file, CArchive::load);
        fromArchive->Serialize(ar);
        ar.Close();
    }
    EXPECT_EQ(Describe(fromArchive), shape);

    for (CTKPPaneLayout* loaded : {fromRegistry, fromArchive}) {
        CTKPPane* left = nullptr;
        for (CTKPPaneInfo& info : loaded->GetPaneInfoList())
            if (info.pPane->m_nID == 1)
                left = info.pPane;
        ASSERT_NE(left, nullptr);
        EXPECT_EQ(left->m_strTitle, CString(u"Left\nL"));
        EXPECT_EQ(left->m_clrItemTab, COLORREF(0x123456));
        EXPECT_EQ(left->m_ptMinTrackSize.y, 50);
        // Its docking holder is its container in the loaded layout.
        EXPECT_EQ(loaded->FindPaneInfo(left)->pDockingHolder, left->GetParentContainer());
        loaded->InternalRelease();
    }
}

TEST_F(PaneLayoutTest, SchemaNineOrLowerLeavesOutTheLaterKeys)
{
    SaveTo(u"old", Layout(), 9);
    CTKPPaneLayout* loaded = NewLayout();
    ASSERT_TRUE(LoadFrom(u"old", loaded));
    for (CTKPPaneInfo& info : loaded->GetPaneInfoList())
        EXPECT_EQ(info.pPane->m_clrItemTab, COLORREF(-1));
    loaded->InternalRelease();
}

TEST_F(PaneLayoutTest, CraftedLayoutsAreRefusedAndTheOldLayoutStays)
{
    SaveTo(u"good", Layout());
    auto* top = Layout()->GetTopContainer();
    const int topIndex = top->m_nSaveIndex;
    const int clientIndex = Layout()->GetClientPane()->m_nSaveIndex;
    auto* column = static_cast<CTKPPaneSplitterContainer*>(top->GetPanes()[0]);
    const int columnIndex = column->m_nSaveIndex;
    const int tabIndex = column->GetPanes()[0]->m_nSaveIndex;
    const int paneIndex = m_left->m_nSaveIndex;

    const struct {
        const char* what;
        std::function<void(PaneLayoutTest&)> edit;
    } cases[] = {
        {"one pane", [](PaneLayoutTest& t) { t.SetValue(u"bad", u"Summary", u"Panes", 1); }},
        {"far too many panes", [](PaneLayoutTest& t) { t.SetValue(u"bad", u"Summary", u"Panes", 0x7FFFFFFF); }},
        {"unknown type", [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(paneIndex), u"类型", 7); }},
        {"splitter lists itself", [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(topIndex), u"Pane-1", topIndex); }},
        {"splitter lists the top container",
         [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(columnIndex), u"Pane-1", topIndex); }},
        {"child listed twice", [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(topIndex), u"Pane-2", columnIndex); }},
        {"single pane as splitter child",
         [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(columnIndex), u"Pane-1", paneIndex); }},
        {"splitter as tab", [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(tabIndex), u"Pane-1", columnIndex); }},
        {"holder not a tabbed container",
         [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(paneIndex), u"DockingHolder", topIndex); }},
        {"holder out of range", [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(paneIndex), u"LastHolder", 99); }},
        {"pane id 0", [&](PaneLayoutTest& t) { t.SetValue(u"bad", Section(paneIndex), u"ID", 0); }},
        {"top is the client", [&](PaneLayoutTest& t) { t.SetValue(u"bad", u"Summary", u"TopContainer", clientIndex); }},
        {"top is held", [&](PaneLayoutTest& t) { t.SetValue(u"bad", u"Summary", u"TopContainer", columnIndex); }},
        {"client is a splitter", [&](PaneLayoutTest& t) { t.SetValue(u"bad", u"Summary", u"Client", topIndex); }},
    };
    const std::string before = Describe(Layout());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(HKEY_CURRENT_USER, (CString(kRoot) + u"\\bad").GetString());
        SaveTo(u"bad", Layout());
        c.edit(*this);
        EXPECT_FALSE(LoadFrom(u"bad", Layout()));
        EXPECT_EQ(Describe(Layout()), before);
        EXPECT_EQ(Manager().FindPane(1), m_left);
    }
    // The layout still works: a pane docks beside the top container and the frame lays out.
    CTKPPane* more = MakePane(Manager(), 9, u"More");
    Manager().DockPane(more, dockTopOf);
    m_frame->RecalcLayout();
    EXPECT_FALSE(Manager().IsPaneClosed(more));
    // And the untouched data still loads.
    CTKPPaneLayout* loaded = NewLayout();
    EXPECT_TRUE(LoadFrom(u"good", loaded));
    loaded->InternalRelease();
}

TEST_F(PaneLayoutTest, DamagedArchivesLoadOrFailWithoutHarm)
{
    // A floating window and a container of two tabs are part of the saved arrangement.
    Manager().AttachPane(m_below, m_left);
    Manager().FloatPane(m_right, RECT{300, 200, 500, 400});
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        Layout()->Serialize(ar);
        ar.Close();
    }
    const ULONGLONG length = file.GetLength();
    std::vector<BYTE> image(static_cast<size_t>(length));
    file.SeekToBegin();
    file.Read(image.data(), UINT(image.size()));

    std::mt19937 random(33);
    int loadedCount = 0;
    for (int round = 0; round < 1500; ++round) {
        std::vector<BYTE> bytes = image;
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0:
                bytes[at] ^= BYTE(1u << (random() % 8));
                break;
            case 1:
                bytes[at] = BYTE(random() % 12);
                break;
            default:
                bytes.resize(at);
                break;
            }
            if (bytes.empty())
                break;
        }
        CMemFile damaged(bytes.data(), UINT(bytes.size()));
        CTKPPaneLayout* layout = NewLayout();
        try {
            CArchive ar(&damaged, CArchive::load);
            layout->Serialize(ar);
            ar.Close();
        } catch (CException* e) {
            e->Delete();
        }
        // Whatever loaded must lay out.
        AFX_SIZEPARENTPARAMS measure{};
        layout->OnSizeParent(m_frame, RECT{0, 0, 800, 600}, &measure);
        if (layout->GetPaneList().size() > 2)
            ++loadedCount;
        layout->InternalRelease();
        damaged.Detach();
    }
    EXPECT_GT(loadedCount, 0);

    // Loaded into the frame's own layout, the containers and floating windows get their windows.
    std::mt19937 shown(34);
    for (int round = 0; round < 200; ++round) {
        std::vector<BYTE> bytes = image;
        for (int e = 1 + int(shown() % 3); e > 0; --e)
            bytes[shown() % bytes.size()] ^= BYTE(1u << (shown() % 8));
        CMemFile damaged(bytes.data(), UINT(bytes.size()));
        try {
            CArchive ar(&damaged, CArchive::load);
            Layout()->Serialize(ar);
            ar.Close();
        } catch (CException* e) {
            e->Delete();
        }
        m_frame->RecalcLayout();
        for (CTKPPaneBase* pane : Layout()->GetPaneList())
            if (auto* mini = dynamic_cast<CFrameWnd*>(pane->GetPaneWindow()))
                mini->RecalcLayout();
        damaged.Detach();
    }
    ASSERT_NE(Layout()->GetTopContainer(), nullptr);
    ASSERT_NE(Layout()->GetClientPane(), nullptr);
}

TEST_F(PaneLayoutTest, SidePanelPlacesAreTheFourDirectionsOnly)
{
    CTKPPaneLayout* layout = NewLayout();
    CTKPPaneBase* panel = layout->GetClientPane();
    for (int direction : {-1, 4, 1000})
        EXPECT_FALSE(layout->SetSidePanel(direction, panel));
    EXPECT_TRUE(layout->SetSidePanel(3, panel));
    EXPECT_EQ(layout->GetSidePanel(3), panel);
    layout->SetSidePanel(3, nullptr);
    layout->InternalRelease();
}

} // namespace
