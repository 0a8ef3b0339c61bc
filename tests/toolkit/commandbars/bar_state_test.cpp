// Tests of the command bars' saved state: the customised bars and their places survive a restart,
// large control sets go to a file, positions rescale to another screen, and damaged or hostile
// saved documents are refused with the built bars left as they were.
#include <gtest/gtest.h>

#include "../base/test_settings.h"
#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"
#include "win32/kernel.h"
#include "win32/registry.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// The bar's commands, without the buttons a tool bar adds to itself while it is laid out.
int CommandCount(CTKPCommandBar* bar)
{
    int count = 0;
    for (int i = 0; i < bar->GetControlCount(); ++i)
        count += bar->GetControl(i)->m_bTemporary ? 0 : 1;
    return count;
}

const char16_t* const kProfile = u"CommandBars";
const UINT kStandardId = 59392;
UINT g_toolBarResource = 9200;

// A frame that builds its bars as the program's main frame does, and offers the customise command.
class SavedBarsFrame : public CTKPFrameWnd {
protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs)
    {
        if (CTKPFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        auto* bars = static_cast<CTKPCommandBars*>(RUNTIME_CLASS(CTKPCommandBars)->CreateObject());
        m_pCommandBars = bars;
        bars->SetSite(this);
        bars->EnableBarDocking();
        if (!bars->SetMenuBar(u"菜单栏  ", 9212))
            return -1;
        CTKPToolBar* tools = bars->AddToolBar(u"常用    ", kStandardId);
        if (!tools || !tools->LoadToolBar(g_toolBarResource))
            return -1;
        return 0;
    }
    afx_msg void OnCustomize() {}
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SavedBarsFrame, CTKPFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(35001, OnCustomize)
END_MESSAGE_MAP()

HKEY Section(LPCWSTR name)
{
    return CTKPSettingsStore().GetSectionKey(name, KEY_READ | KEY_WRITE);
}

void PutInt(LPCWSTR section, LPCWSTR entry, int value)
{
    HKEY key = Section(section);
    const DWORD v = DWORD(value);
    RegSetValueExW(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
    RegCloseKey(key);
}

int ReadInt(LPCWSTR section, LPCWSTR entry, int missing = -12345)
{
    HKEY key = Section(section);
    DWORD type = 0, value = 0, size = sizeof(value);
    const LSTATUS status = RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? int(value) : missing;
}

std::vector<BYTE> ReadBinary(LPCWSTR section, LPCWSTR entry)
{
    HKEY key = Section(section);
    DWORD type = 0, size = 0;
    std::vector<BYTE> bytes;
    if (RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY) {
        bytes.resize(size);
        RegQueryValueExW(key, entry, nullptr, &type, bytes.data(), &size);
    }
    RegCloseKey(key);
    return bytes;
}

void PutBinary(LPCWSTR section, LPCWSTR entry, const std::vector<BYTE>& bytes)
{
    HKEY key = Section(section);
    RegSetValueExW(key, entry, 0, REG_BINARY, bytes.data(), DWORD(bytes.size()));
    RegCloseKey(key);
}

CString ControlsSection()
{
    CString section;
    section.Format(u"%s-Controls", kProfile);
    return section;
}

class BarState : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::UseMemorySettings();
        g_toolBarResource = 9200;
    }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        tktest::EndMemorySettings();
    }

    static SavedBarsFrame* NewFrame()
    {
        auto* frame = new SavedBarsFrame;
        EXPECT_TRUE(frame->Create(nullptr, u"Frame"));
        return frame;
    }
};

// Bars without a frame, customisable, with one built tool bar of three buttons.
struct LooseBars {
    CTKPCommandBars bars;
    CTKPToolBar* built;
    LooseBars()
    {
        bars.m_bCustomizable = TRUE;
        built = bars.AddToolBar(u"Built", 0xE810);
        const UINT ids[] = {200, 201, 202};
        built->SetButtons(ids, 3);
        built->GetControls()->CreateOriginalControls();
    }
};

// A popup control on a bar opening the given bar.
CTKPControlPopup* AddPopup(CTKPCommandBar* on, CTKPCommandBar* opens)
{
    auto* popup = static_cast<CTKPControlPopup*>(on->GetControls()->Add(TKP_CONTROL_POPUP, 0));
    popup->SetCommandBar(opens);
    return popup;
}

} // namespace

TEST_F(BarState, CustomisedBarsSurviveARestart) {
    SavedBarsFrame* frame = NewFrame();
    CTKPCommandBars* bars = frame->GetCommandBars();
    ASSERT_TRUE(bars->m_bCustomizable);
    CTKPToolBar* standard = bars->GetToolBar(kStandardId);
    standard->GetControls()->Add(TKP_CONTROL_BUTTON, 777)->SetCaption(u"Mine");
    bars->GetMenuBar()->GetControl(0)->m_strCustomCaption = u"文件(&W)";
    // A bar of the user's own whose two popups open one shared popup bar.
    CTKPToolBar* custom = bars->AddCustomToolBar(u"Custom 1", 0xE801);
    CTKPPopupBar* shared = CTKPPopupBar::CreatePopupBar(bars);
    shared->GetControls()->Add(TKP_CONTROL_BUTTON, 900);
    AddPopup(custom, shared);
    AddPopup(custom, shared);
    shared->InternalRelease();
    EXPECT_TRUE(bars->SaveBarControls(kProfile));
    frame->DestroyWindow();

    frame = NewFrame();
    bars = frame->GetCommandBars();
    EXPECT_TRUE(bars->LoadBarControls(kProfile));
    standard = bars->GetToolBar(kStandardId);
    ASSERT_EQ(CommandCount(standard), 4);
    EXPECT_EQ(standard->GetControl(3)->GetID(), 777u);
    EXPECT_EQ(standard->GetControl(3)->GetCaption(), CString(u"Mine"));
    // The bar keeps the controls it was built with to compare and reset against.
    EXPECT_EQ(standard->GetControls()->GetOriginalControls()->GetCount(), 3);
    EXPECT_EQ(bars->GetMenuBar()->GetControl(0)->m_strCustomCaption, CString(u"文件(&W)"));
    EXPECT_NE(bars->GetMenuBar()->GetControl(0)->GetCommandBar(), nullptr);
    custom = bars->GetToolBar(0xE801);
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(custom->GetTitle(), CString(u"Custom 1"));
    EXPECT_FALSE(custom->m_bBuiltIn);
    ASSERT_EQ(custom->GetControlCount(), 2);
    CTKPCommandBar* first = custom->GetControl(0)->GetCommandBar();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(custom->GetControl(1)->GetCommandBar(), first);
    ASSERT_EQ(first->GetControlCount(), 1);
    EXPECT_EQ(first->GetControl(0)->GetID(), 900u);
    frame->DestroyWindow();
}

TEST_F(BarState, OnlyChangedBarsAreCollected) {
    SavedBarsFrame* frame = NewFrame();
    CTKPCommandBars* bars = frame->GetCommandBars();
    auto collect = [&](BOOL onlyChanged) {
        CTKPPropExchangeContext context;
        context.bSaveOnlyChanged = onlyChanged;
        std::vector<CTKPCommandBar*> list;
        bars->CollectBarsToSave(list, &context);
        std::vector<UINT> ids;
        for (CTKPCommandBar* bar : list) {
            ids.push_back(bar->GetBarID());
            bar->InternalRelease();
        }
        return ids;
    };
    EXPECT_TRUE(collect(TRUE).empty());
    // Everything: both bars, then the menu bar's two popup bars numbered from the counter.
    const std::vector<UINT> all = collect(FALSE);
    ASSERT_GE(all.size(), 4u);
    EXPECT_EQ(all[0], 1u);
    EXPECT_EQ(all[1], 0x1000000u);
    bars->GetToolBar(kStandardId)->GetControls()->RemoveAt(0);
    EXPECT_EQ(collect(TRUE), std::vector<UINT>{kStandardId});
    // A hidden bar keeps no customisation.
    bars->GetToolBar(kStandardId)->SetVisible(FALSE);
    EXPECT_TRUE(collect(TRUE).empty());
    frame->DestroyWindow();
}

TEST_F(BarState, PlacesAndRowsSurviveARestart) {
    SavedBarsFrame* frame = NewFrame();
    frame->MoveWindow(0, 0, 640, 400);
    CTKPCommandBars* bars = frame->GetCommandBars();
    bars->GetToolBar(kStandardId)->SetVisible(FALSE);
    bars->GetToolBar(kStandardId)->m_nMRUDockID = 0xE81B;
    EXPECT_TRUE(bars->SaveBarControls(kProfile));
    frame->DestroyWindow();

    EXPECT_EQ(ReadInt(u"CommandBars-Summary", u"Bars"), 2);
    EXPECT_EQ(ReadInt(u"CommandBars-Summary", u"ScreenCX"), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(ReadInt(u"CommandBars-Bar0", u"BarID"), 1);
    EXPECT_EQ(ReadInt(u"CommandBars-Bar0", u"Visible"), -12345);  // visible is the default
    EXPECT_EQ(ReadInt(u"CommandBars-Bar1", u"Visible"), 0);
    EXPECT_EQ(ReadInt(u"CommandBars-Bar1", u"MRUDockID"), 0xE81B);
    // The top dock bar: a break, the menu bar, a break, the tool bar, a break; the empty dock bars
    // write nothing.
    const int top[] = {0, 1, 0, int(kStandardId), 0};
    EXPECT_EQ(ReadInt(u"CommandBars-DockBar0", u"Bars"), 5);
    for (int i = 0; i < 5; ++i) {
        CString entry;
        entry.Format(u"Bar#%d", i);
        EXPECT_EQ(ReadInt(u"CommandBars-DockBar0", entry), top[i]) << i;
    }
    EXPECT_EQ(ReadInt(u"CommandBars-DockBar1", u"Bars"), -12345);

    frame = NewFrame();
    bars = frame->GetCommandBars();
    EXPECT_TRUE(bars->IsCommandHidden(0) == FALSE);
    EXPECT_TRUE(bars->GetToolBar(kStandardId)->IsVisible());
    EXPECT_TRUE(bars->LoadBarControls(kProfile));
    CTKPToolBar* standard = bars->GetToolBar(kStandardId);
    EXPECT_FALSE(standard->IsVisible());
    EXPECT_EQ(standard->m_nMRUDockID, UINT(0xE81B));
    EXPECT_EQ(standard->GetDockBar(), bars->GetDockBar(0));
    EXPECT_EQ(bars->GetDockBar(0)->FindBar(bars->GetMenuBar()), 1);
    // Saving again gives the same rows: loading does not pile up row breaks. A bar shown again
    // loses the hidden mark of the earlier save.
    standard->SetVisible(TRUE);
    EXPECT_TRUE(bars->SaveBarControls(kProfile));
    EXPECT_EQ(ReadInt(u"CommandBars-DockBar0", u"Bars"), 5);
    EXPECT_EQ(ReadInt(u"CommandBars-Bar1", u"Visible"), -12345);
    frame->DestroyWindow();
}

TEST_F(BarState, SavedPositionsRescaleToTheScreen) {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    const int clipX = cx - ::GetSystemMetrics(SM_CXICON), clipY = cy - ::GetSystemMetrics(SM_CYICON);
    const struct {
        const char* name;
        int savedCx, savedCy;
        POINT saved;
        POINT expected;
        RECT dock, expectedDock;
    } cases[] = {
        {"same screen", cx, cy, {100, 50}, {100, 50}, {10, 20, 30, 40}, {10, 20, 30, 40}},
        {"half the size", cx / 2, cy / 2, {100, 50}, {200, 100}, {10, 20, 30, 40}, {20, 40, 40, 60}},
        {"no saved size", 0, 0, {100, 50}, {100, 50}, {10, 20, 30, 40}, {10, 20, 30, 40}},
        {"negative saved width", -5, cy, {100, 50}, {100, 50}, {10, 20, 30, 40}, {10, 20, 30, 40}},
        {"beyond the edge", cx, cy, {cx + 10, cy + 10}, {clipX, clipY}, {cx, cy, cx + 20, cy + 5},
         {clipX, clipY, clipX + 20, clipY + 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PutInt(u"P-Summary", u"Bars", 1);
        PutInt(u"P-Summary", u"ScreenCX", c.savedCx);
        PutInt(u"P-Summary", u"ScreenCY", c.savedCy);
        PutInt(u"P-Bar0", u"BarID", 7);
        PutInt(u"P-Bar0", u"XPos", c.saved.x);
        PutInt(u"P-Bar0", u"YPos", c.saved.y);
        PutInt(u"P-Bar0", u"MRUDockLeftPos", c.dock.left);
        PutInt(u"P-Bar0", u"MRUDockTopPos", c.dock.top);
        PutInt(u"P-Bar0", u"MRUDockRightPos", c.dock.right);
        PutInt(u"P-Bar0", u"MRUDockBottomPos", c.dock.bottom);
        CTKPDockState state;
        state.LoadState(u"P");
        ASSERT_EQ(state.m_arrBarInfo.size(), 1u);
        const CTKPBarInfo& info = *state.m_arrBarInfo[0];
        EXPECT_EQ(info.nBarID, 7u);
        EXPECT_TRUE(info.bVisible);
        EXPECT_EQ(info.ptPos.x, c.expected.x);
        EXPECT_EQ(info.ptPos.y, c.expected.y);
        EXPECT_TRUE(::EqualRect(&info.rcMRUDockPos, &c.expectedDock))
            << info.rcMRUDockPos.left << "," << info.rcMRUDockPos.top;
    }
    // A huge bar count stops at the first section that is not there.
    PutInt(u"P-Summary", u"Bars", 0x7FFFFFFF);
    CTKPDockState state;
    state.LoadState(u"P");
    EXPECT_EQ(state.m_arrBarInfo.size(), 1u);
}

TEST_F(BarState, LargeControlSetsGoToAHiddenFile) {
    char folder[] = "/tmp/cb28barsXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const CString file = CString(folder) + u"/controls";
    // The saved size grows by two bytes a caption character; a second control of a class not yet
    // written shifts it by an odd number, so both 16,000 and 16,001 are reachable.
    auto save = [&](int length, int secondType, LPCWSTR fileName) {
        LooseBars loose;
        loose.bars.m_strControlsFileName = fileName;
        CTKPControls* controls = loose.bars.AddToolBar(u"Long", 0xE811)->GetControls();
        controls->Add(TKP_CONTROL_BUTTON, 5)->SetCaption(CString(std::u16string(size_t(length), u'x').c_str()));
        controls->Add(secondType, 6);
        return loose.bars.SaveBarControls(kProfile);
    };
    auto savedSize = [&](int length, int secondType) {
        save(length, secondType, u"");
        return int(ReadBinary(ControlsSection(), u"Controls").size());
    };
    for (const int target : {16000, 16001}) {
        SCOPED_TRACE(target);
        int length = -1;
        int secondType = 0;
        for (const int type : {TKP_CONTROL_BUTTON, TKP_CONTROL_CUSTOM}) {
            const int size = savedSize(1000, type);
            if ((target - size) % 2 == 0) {
                length = 1000 + (target - size) / 2;
                secondType = type;
            }
        }
        ASSERT_GT(length, 1000);
        ASSERT_TRUE(save(length, secondType, file));
        const BOOL inFile = ReadInt(ControlsSection(), u"LoadFromFile") == 1;
        EXPECT_EQ(inFile, target > 16000);
        const DWORD attributes = ::GetFileAttributesW(file);
        if (inFile) {
            ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
            EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
        } else {
            EXPECT_EQ(int(ReadBinary(ControlsSection(), u"Controls").size()), target);
            // A stale file of an earlier save is gone.
            EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES);
        }
        LooseBars again;
        again.bars.m_strControlsFileName = file;
        again.bars.LoadBarControls(kProfile);
        CTKPToolBar* loaded = again.bars.GetToolBar(0xE811);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->GetControl(0)->GetCaption().GetLength(), length);
    }
    // A file that cannot be made leaves nothing in the profile that names an old one.
    EXPECT_FALSE(save(8000, TKP_CONTROL_BUTTON, CString(folder) + u"/missing/controls"));
    EXPECT_EQ(ReadInt(ControlsSection(), u"LoadFromFile"), -12345);
    ::DeleteFileW(file);
    rmdir(folder);

    // Without a folder of application data the file sits beside the program, named after the
    // profile with its backslashes made underscores.
    CTKPCommandBars bars;
    CString path;
    bars.GetControlsFileName(path, u"A\\B");
    EXPECT_EQ(path.Right(4), CString(u"-A_B"));
}

TEST_F(BarState, ABuiltInBarChangedSinceTheSaveAsksTheUser) {
    const struct {
        const char* name;
        BOOL silent;
        UINT key;
        int controls;
    } cases[] = {
        {"silent keeps the new bar", TRUE, 0, 2},
        {"yes keeps the new bar", FALSE, 'Y', 2},
        {"no loads the customised bar", FALSE, 'N', 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_toolBarResource = 9200;
        SavedBarsFrame* frame = NewFrame();
        frame->GetCommandBars()->GetToolBar(kStandardId)->GetControls()->Add(TKP_CONTROL_BUTTON, 777);
        frame->GetCommandBars()->SaveBarControls(kProfile);
        frame->DestroyWindow();
        // The program's new version builds the bar with other buttons.
        g_toolBarResource = 9201;
        frame = NewFrame();
        CTKPCommandBars* bars = frame->GetCommandBars();
        bool asked = false;
        if (c.key)
            headless::AnswerNextModal([&](HWND) {
                asked = true;
                headless::PressKey(c.key);
            });
        bars->LoadBarControls(kProfile, c.silent);
        EXPECT_EQ(asked, c.key != 0);
        CTKPToolBar* standard = bars->GetToolBar(kStandardId);
        EXPECT_EQ(CommandCount(standard), c.controls);
        EXPECT_EQ(standard->GetControls()->GetOriginalControls()->GetCount(), 2);
        frame->DestroyWindow();
        headless::ClearModalAnswers();
    }
}

TEST_F(BarState, LinksNoSaveMakesAreRefused) {
    const struct {
        const char* name;
        int kind;
        bool accepted;
    } cases[] = {
        {"a popup opening its own bar", 0, false},
        {"two popups opening each other", 1, false},
        {"a popup opening a tool bar", 2, false},
        {"popups doubling at every level", 3, false},
        {"a plain popup", 4, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CTKPControlPopup*> links;
        {
            CTKPCommandBars source;
            source.m_bCustomizable = TRUE;
            CTKPToolBar* bar = source.AddToolBar(u"Saved", 0xE820);
            CTKPPopupBar* a = CTKPPopupBar::CreatePopupBar(&source);
            CTKPPopupBar* b = CTKPPopupBar::CreatePopupBar(&source);
            AddPopup(bar, a);
            switch (c.kind) {
            case 0:
                links.push_back(AddPopup(a, a));
                break;
            case 1:
                AddPopup(a, b);
                links.push_back(AddPopup(b, a));
                break;
            case 2:
                links.push_back(AddPopup(a, source.AddToolBar(u"Other", 0xE821)));
                break;
            case 3: {
                CTKPPopupBar* level = a;
                for (int i = 0; i < 20; ++i) {
                    CTKPPopupBar* next = CTKPPopupBar::CreatePopupBar(&source);
                    AddPopup(level, next);
                    AddPopup(level, next);
                    next->InternalRelease();
                    level = next;
                }
                break;
            }
            default:
                AddPopup(a, b);
                break;
            }
            a->InternalRelease();
            b->InternalRelease();
            EXPECT_TRUE(source.SaveBarControls(kProfile, FALSE));
            // The cycles made here are the test's own: break them so the bars can go.
            for (CTKPControlPopup* link : links)
                link->SetCommandBar(nullptr);
        }
        LooseBars target;
        EXPECT_TRUE(target.bars.LoadBarControls(kProfile, TRUE));
        EXPECT_EQ(target.bars.GetToolBar(0xE820) != nullptr, c.accepted);
        EXPECT_EQ(target.built->GetControlCount(), 3);
    }
}

TEST_F(BarState, DamagedSavedControlsLeaveTheBuiltBars) {
    // A document with a customised built bar, original controls, popups and a bar of its own.
    {
        LooseBars source;
        source.built->GetControls()->Add(TKP_CONTROL_BUTTON, 777)->SetCaption(u"Mine");
        CTKPToolBar* own = source.bars.AddCustomToolBar(u"Own", 0xE830);
        CTKPPopupBar* popup = CTKPPopupBar::CreatePopupBar(&source.bars);
        popup->GetControls()->Add(TKP_CONTROL_BUTTON, 901);
        AddPopup(own, popup);
        AddPopup(source.built, popup);
        popup->InternalRelease();
        ASSERT_TRUE(source.bars.SaveBarControls(kProfile));
    }
    const std::vector<BYTE> good = ReadBinary(ControlsSection(), u"Controls");
    ASSERT_GT(good.size(), 100u);
    auto load = [&](const std::vector<BYTE>& bytes) {
        PutBinary(ControlsSection(), u"Controls", bytes);
        LooseBars target;
        target.bars.LoadBarControls(kProfile, TRUE);
        // The built bar is there, with its own controls or with the loaded ones.
        CTKPToolBar* built = target.bars.GetToolBar(0xE810);
        EXPECT_EQ(built, target.built);
        return built ? built->GetControlCount() : -1;
    };
    EXPECT_EQ(load(good), 5);
    for (size_t length = 0; length < good.size(); ++length) {
        SCOPED_TRACE(length);
        const int count = load(std::vector<BYTE>(good.begin(), good.begin() + std::ptrdiff_t(length)));
        EXPECT_EQ(count, 3);
    }
    std::mt19937 random(28);
    for (int round = 0; round < 1500; ++round) {
        std::vector<BYTE> bytes = good;
        const int changes = 1 + int(random() % 4);
        for (int i = 0; i < changes; ++i)
            bytes[random() % bytes.size()] = BYTE(round % 3 == 0 ? 0xFF : random());
        load(bytes);
    }
}
