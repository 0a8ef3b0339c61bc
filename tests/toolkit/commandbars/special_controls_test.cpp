// Tests of the special controls: the placeholders that expand into the MDI window list, the tool
// bars, the recent files and the tab-group actions; the grid picker; the control hosting a window;
// and the active frame of SDI and MDI frames.
#include <gtest/gtest.h>

#include "../base/test_windows.h"
#include "../mdi_client_double.h"
#include "afx/app.h"
#include "afx/mdi_frame.h"
#include "backend/headless/driver.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/special_controls.h"
#include "toolkit/commandbars/tool_bar.h"
#include "toolkit/docking/tab_client_wnd.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// A tab client that offers two of the tab-group commands.
class GroupsClient : public CTKPTabClientWnd {
public:
    BOOL IsWorkspaceCommandEnabled(UINT id) const override { return id == 9420 || id == 9423; }
};

// A recent-file list of the test's own.
class RecentFiles : public CTKPControlRecentFileList {
public:
    CRecentFileList* list = nullptr;
    CRecentFileList* GetRecentFileList() override { return list; }
};

// The captions of the controls behind the first one.
std::vector<CString> EntryCaptions(CTKPControls* controls)
{
    std::vector<CString> captions;
    for (int i = 1; i < controls->GetCount(); ++i)
        captions.push_back(controls->GetAt(i)->GetCaption());
    return captions;
}

class SpecialControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::RegisterMdiClientClass();
        tktest::MdiActiveChild() = nullptr;
        g_nTKPFirstWindowId = 0xFF00;
        mdi = new CMDIFrameWnd;
        ASSERT_TRUE(mdi->Create(nullptr, u"mdi"));
        ASSERT_NE(mdi->m_hWndMDIClient, nullptr);
        mdi->ShowWindow(SW_SHOW);
        bars.SetSite(mdi);
        popup = CTKPPopupBar::CreatePopupBar(&bars);
    }
    void TearDown() override
    {
        popup->InternalRelease();
        bars.SetSite(nullptr);
        tktest::MdiActiveChild() = nullptr;
        g_nTKPFirstWindowId = 0xFF00;
        mdi->DestroyWindow();
    }
    // A visible MDI child window.
    HWND Child(UINT id, const char16_t* title, BOOL visible = TRUE)
    {
        return ::CreateWindowExW(0, AfxRegisterWndClass(0), title, WS_CHILD | (visible ? WS_VISIBLE : 0), 0, 0, 50, 50,
                                 mdi->m_hWndMDIClient, reinterpret_cast<HMENU>(UINT_PTR(id)), nullptr, nullptr);
    }
    void Expand() { popup->GetControls()->CalcSize(nullptr, 0, 0, RECT{0, 0, 0, 0}); }

    CMDIFrameWnd* mdi = nullptr;
    CTKPCommandBars bars;
    CTKPPopupBar* popup = nullptr;
};

} // namespace

TEST(SpecialControlCaptions, NumbersAndAmpersands) {
    const struct {
        const char16_t* name;
        int number;
        const char16_t* caption;
    } cases[] = {
        {u"a&b.txt", 1, u"&1 a&&b.txt"}, {u"x", 9, u"&9 x"}, {u"x", 10, u"1&0 x"},
        {u"x", 11, u"11 x"},             {u"x", 0, u"x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TKPFormatEntryCaption(c.name, c.number), CString(c.caption)) << c.number;
}

TEST(SpecialControlCreation, ButtonsOfListIdsBecomeTheirPlaceholders) {
    CTKPControls controls;
    const struct {
        UINT id;
        const char* className;
    } cases[] = {
        {35000, "CTKPControlWindowList"},      {35002, "CTKPControlWorkspaceActions"},
        {35003, "CTKPControlRecentFileList"},  {0xE800, "CTKPControlToolbars"},
        {0xE110, "CTKPControlButton"},         {40000, "CTKPControlButton"},
    };
    for (const auto& c : cases) {
        CTKPControl* control = controls.Add(TKP_CONTROL_BUTTON, c.id);
        EXPECT_STREQ(control->GetRuntimeClass()->m_lpszClassName, c.className) << c.id;
    }
    // From a menu the recent files stand at the first file's id, the OLE verbs at their own item.
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 0xE110, u"Recent File");
    menu.AppendMenu(MF_STRING, 0xE210, u"<<OLE VERBS GO HERE>>");
    menu.AppendMenu(MF_STRING, 35000, u"Windows");
    EXPECT_STREQ(controls.AddMenuItem(&menu, 0)->GetRuntimeClass()->m_lpszClassName, "CTKPControlRecentFileList");
    EXPECT_STREQ(controls.AddMenuItem(&menu, 1)->GetRuntimeClass()->m_lpszClassName, "CTKPControlOleItems");
    EXPECT_STREQ(controls.AddMenuItem(&menu, 2)->GetRuntimeClass()->m_lpszClassName, "CTKPControlWindowList");
}

TEST_F(SpecialControlsTest, TheWindowListNamesNineVisibleChildren) {
    CTKPControl* list = popup->GetControls()->Add(TKP_CONTROL_BUTTON, 35000);
    std::vector<HWND> children;
    for (int i = 0; i < 11; ++i) {
        const std::u16string title = u"Doc&" + std::u16string(1, char16_t(u'A' + i));
        children.push_back(Child(0xFF00 + UINT(i), title.c_str(), i != 2));
    }
    tktest::MdiActiveChild() = children[1];
    Expand();
    ASSERT_EQ(popup->GetControlCount(), 10);
    EXPECT_TRUE(list->GetHideFlags() & TKP_HIDE_GENERIC);
    const std::vector<CString> captions = EntryCaptions(popup->GetControls());
    EXPECT_EQ(captions[0], CString(u"&1 Doc&&A"));
    EXPECT_EQ(captions[2], CString(u"&3 Doc&&D"));  // the hidden third child is left out
    EXPECT_EQ(captions[8], CString(u"&9 Doc&&J"));
    EXPECT_TRUE(popup->GetControl(1)->m_bBeginGroup);
    EXPECT_TRUE(popup->GetControl(2)->GetChecked());
    EXPECT_FALSE(popup->GetControl(1)->GetChecked());
    EXPECT_TRUE(popup->GetControl(1)->m_bTemporary);
    // A second layout replaces the entries instead of adding more.
    Expand();
    EXPECT_EQ(popup->GetControlCount(), 10);
    // In customise mode the placeholder shows itself and nothing else.
    bars.SetCustomizeMode(TRUE);
    Expand();
    EXPECT_EQ(popup->GetControlCount(), 1);
    EXPECT_EQ(list->GetHideFlags(), 0u);
    bars.SetCustomizeMode(FALSE);
    for (HWND child : children)
        ::DestroyWindow(child);

    // A child numbered from 0x8000 moves the numbering there for good.
    HWND first = Child(0x8000, u"One");
    HWND active = Child(0x8003, u"Four");
    tktest::MdiActiveChild() = active;
    Expand();
    EXPECT_EQ(g_nTKPFirstWindowId, 0x8000u);
    EXPECT_EQ(popup->GetControlCount(), 2);  // 0x8001 is missing: the list ends there
    tktest::MdiActiveChild() = nullptr;
    Expand();
    EXPECT_EQ(g_nTKPFirstWindowId, 0x8000u);
    ::DestroyWindow(first);
    ::DestroyWindow(active);
}

TEST_F(SpecialControlsTest, TheWindowListOfAnSdiFrameIsThePlaceholderItself) {
    CTKPCommandBars sdiBars;
    auto* sdi = new CFrameWnd;
    ASSERT_TRUE(sdi->Create(nullptr, u"sdi"));
    sdiBars.SetSite(sdi);
    CTKPPopupBar* menu = CTKPPopupBar::CreatePopupBar(&sdiBars);
    CTKPControl* list = menu->GetControls()->Add(TKP_CONTROL_BUTTON, 35000);
    list->SetHideFlags(TKP_HIDE_GENERIC);
    menu->GetControls()->CalcSize(nullptr, 0, 0, RECT{0, 0, 0, 0});
    EXPECT_EQ(menu->GetControlCount(), 1);
    EXPECT_EQ(list->GetHideFlags(), 0u);
    // The active frame of an SDI frame is the frame; of an MDI frame, its active child frame.
    EXPECT_EQ(sdi->GetActiveFrame(), sdi);
    EXPECT_EQ(mdi->GetActiveFrame(), mdi);
    auto* child = new CFrameWnd;
    ASSERT_TRUE(child->Create(nullptr, u"child", WS_CHILD, CRect(0, 0, 50, 50), CWnd::FromHandle(mdi->m_hWndMDIClient)));
    tktest::MdiActiveChild() = child->m_hWnd;
    EXPECT_EQ(mdi->GetActiveFrame(), child);
    tktest::MdiActiveChild() = nullptr;
    menu->InternalRelease();
    sdiBars.SetSite(nullptr);
    sdi->DestroyWindow();
}

TEST_F(SpecialControlsTest, RecentFilesAreNumberedAndAnEmptyListShowsGreyed) {
    auto* files = new RecentFiles;
    popup->GetControls()->AddControl(files, 35003);
    CRecentFileList list(0, u"Recent", u"File%d", 12);
    files->list = &list;
    list.m_arrNames.SetSize(12);
    Expand();
    EXPECT_EQ(popup->GetControlCount(), 1);
    EXPECT_FALSE(files->GetEnabled());
    EXPECT_EQ(files->GetHideFlags(), 0u);
    for (int i = 0; i < 12; ++i) {
        CString name;
        name.Format(u"/data/f%d&.txt", i + 1);
        list.m_arrNames[i] = name;
    }
    Expand();
    ASSERT_EQ(popup->GetControlCount(), 13);
    EXPECT_EQ(popup->GetControl(1)->GetID(), 0xE110u);
    EXPECT_EQ(popup->GetControl(1)->GetCaption(), CString(u"&1 /data/f1&&.txt"));
    EXPECT_EQ(popup->GetControl(10)->GetCaption(), CString(u"1&0 /data/f10&&.txt"));
    EXPECT_EQ(popup->GetControl(11)->GetCaption(), CString(u"11 /data/f11&&.txt"));
    // The placeholder is the bar's first control: no group mark before the first file.
    EXPECT_FALSE(popup->GetControl(1)->m_bBeginGroup);
    Expand();
    EXPECT_EQ(popup->GetControlCount(), 13);
}

TEST_F(SpecialControlsTest, TheToolBarsListTogglesClosableBars) {
    CTKPToolBar* standard = bars.AddToolBar(u"Standard", 0xE900);
    CTKPToolBar* fixed = bars.AddToolBar(u"Fixed", 0xE901);
    fixed->m_bCloseable = FALSE;
    CTKPToolBar* hidden = bars.AddToolBar(u"Hidden", 0xE902);
    hidden->SetVisible(FALSE);
    popup->GetControls()->Add(TKP_CONTROL_BUTTON, 0xE800);
    Expand();
    ASSERT_EQ(popup->GetControlCount(), 3);
    EXPECT_EQ(popup->GetControl(1)->GetCaption(), CString(u"Standard"));
    EXPECT_TRUE(popup->GetControl(1)->GetChecked());
    EXPECT_EQ(popup->GetControl(2)->GetCaption(), CString(u"Hidden"));
    EXPECT_FALSE(popup->GetControl(2)->GetChecked());
    EXPECT_EQ(popup->GetControl(2)->m_dwTag, 2u);
    popup->GetControl(2)->OnExecute();
    EXPECT_TRUE(hidden->IsVisible());
    popup->GetControl(1)->OnExecute();
    EXPECT_FALSE(standard->IsVisible());
    // The context menu's list ends with the customise command when the bars may be customised.
    CTKPControls menu;
    bars.m_bCustomizable = TRUE;
    CTKPControlToolbars::CreateToolbarMenu(&bars, &menu, 0, 0xE800, TRUE, TRUE);
    ASSERT_EQ(menu.GetCount(), 3);
    EXPECT_EQ(menu.GetAt(2)->GetID(), 35001u);
    EXPECT_TRUE(menu.GetAt(2)->m_bBeginGroup);
}

// Laid out as a popup menu (the bars' context menu), the tool-bars list leaves no empty row of its own:
// its first bar is the first row.
TEST_F(SpecialControlsTest, APopupMenuShowsTheToolBarsListFromItsFirstRow) {
    bars.AddToolBar(u"Standard", 0xE900);
    CTKPControl* list = popup->GetControls()->Add(TKP_CONTROL_BUTTON, 0xE800);
    popup->CalcLayout(0, 0);
    ASSERT_EQ(popup->GetControlCount(), 2);
    EXPECT_TRUE(list->GetHideFlags() & TKP_HIDE_GENERIC);
    EXPECT_EQ(popup->GetControl(1)->GetCaption(), CString(u"Standard"));
    EXPECT_EQ(popup->GetControl(1)->GetRect().top, popup->GetPaintManager()->GetBarBorders(popup).top);
}

TEST_F(SpecialControlsTest, TabGroupActionsComeFromTheTabClient) {
    CTKPControl* actions = popup->GetControls()->Add(TKP_CONTROL_BUTTON, 35002);
    actions->m_bBeginGroup = TRUE;
    Expand();
    EXPECT_EQ(popup->GetControlCount(), 1);  // a plain client offers nothing
    GroupsClient client;
    ASSERT_TRUE(client.SubclassWindow(mdi->m_hWndMDIClient));
    Expand();
    ASSERT_EQ(popup->GetControlCount(), 3);
    EXPECT_EQ(popup->GetControl(1)->GetID(), 9423u);
    EXPECT_EQ(popup->GetControl(1)->GetCaption(), CString(u"新建垂直标签组(&V)"));
    EXPECT_TRUE(popup->GetControl(1)->m_bBeginGroup);
    EXPECT_EQ(popup->GetControl(2)->GetID(), 9420u);
    EXPECT_FALSE(popup->GetControl(2)->m_bBeginGroup);
    EXPECT_TRUE(actions->GetHideFlags() & TKP_HIDE_GENERIC);
    client.UnsubclassWindow();
}

TEST_F(SpecialControlsTest, TheGridPickerSelectsAndExecutesItsChoice) {
    CTKPCommandBar bar;
    ASSERT_TRUE(bar.CreateEx(0, AfxRegisterWndClass(0), u"bar", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 400}, nullptr,
                             0));
    bar.SetCommandBars(&bars);
    auto* selector = new CTKPControlSelector;
    bar.GetControls()->AddControl(selector, 600);
    bar.GetControls()->CalcSize(nullptr, 0, 0, RECT{0, 0, 0, 0});
    EXPECT_EQ(selector->m_szGrid.cx, 5);
    CSize size = selector->GetSize(nullptr);
    EXPECT_EQ(size.cx, 5 * 28);
    EXPECT_EQ(size.cy, 4 * 28);
    selector->SetRect(RECT{0, 0, size.cx, size.cy});
    selector->OnMouseMove(POINT{60, 30});
    EXPECT_EQ(selector->m_szSelected.cx, 3);
    EXPECT_EQ(selector->m_szSelected.cy, 2);
    selector->OnLButtonUp(POINT{60, 30});
    EXPECT_EQ(selector->m_szLastSelected.cx, 3);
    EXPECT_EQ(selector->m_szLastSelected.cy, 2);
    // Leaving the grid without the button held clears the selection and keeps the grid.
    headless::MouseMove(bar.m_hWnd, POINT{380, 380});
    headless::PumpUntilIdle();
    selector->SetSelected(1);
    selector->SetSelected(0);
    EXPECT_EQ(selector->m_szSelected.cx, 0);
    EXPECT_EQ(selector->m_szGrid.cx, 5);
    bar.DestroyWindow();
}

TEST_F(SpecialControlsTest, AHostedWindowFollowsTheBarAndItsDocking) {
    CTKPCommandBar bar;
    ASSERT_TRUE(bar.CreateEx(0, AfxRegisterWndClass(0), u"bar", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 40}, nullptr,
                             0));
    HWND hosted = ::CreateWindowExW(0, AfxRegisterWndClass(0), u"hosted", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    auto* custom = new CTKPControlCustom;
    custom->SetControl(hosted);
    custom->m_szControl = SIZE{80, 20};
    custom->m_rcBorders = RECT{2, 3, 2, 3};
    bar.GetControls()->AddControl(custom, 700);
    EXPECT_EQ(custom->GetSize(nullptr), CSize(84, 26));
    custom->SetRect(RECT{10, 5, 94, 31});
    EXPECT_EQ(::GetParent(hosted), bar.m_hWnd);
    EXPECT_TRUE(::GetWindowLongPtrW(hosted, GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(::GetWindowLongPtrW(hosted, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(::IsWindowVisible(hosted));
    RECT rc;
    ::GetWindowRect(hosted, &rc);
    ::MapWindowPoints(nullptr, bar.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 12);
    EXPECT_EQ(rc.top, 8);
    EXPECT_EQ(rc.right, 92);
    // Docked at a side the control with vertical option 0 goes, and comes back at the top.
    custom->OnCalcDynamicSize(LM_VERTDOCK);
    EXPECT_TRUE(custom->GetHideFlags() & TKP_HIDE_DOCKINGPOSITION);
    custom->OnCalcDynamicSize(LM_HORZDOCK | LM_HORZ);
    EXPECT_EQ(custom->GetHideFlags(), 0u);
    custom->SetHideFlags(TKP_HIDE_GENERIC);
    EXPECT_FALSE(::IsWindowVisible(hosted));
    bar.DestroyWindow();
}
