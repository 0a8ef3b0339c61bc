// Tests of the customise sheet and its pages: the sheet as the frame builds it, the control menu's
// commands on the selected control, categories, tool bars added, renamed and deleted, keys
// assigned and removed, options applied at once, and the input filter while the sheet runs.
#include <gtest/gtest.h>

#include "../base/test_settings.h"
#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/customize_drag.h"
#include "toolkit/commandbars/customize_pages.h"
#include "toolkit/commandbars/customize_sheet.h"
#include "toolkit/commandbars/edit_combo.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const UINT kStandardId = 59392;

// A frame with the test menu and tool bar that offers the customise command.
class CustomizeFrame : public CTKPFrameWnd {
public:
    int m_nClientClicks = 0;

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
        if (!tools || !tools->LoadToolBar(9200))
            return -1;
        bars->GetShortcutTable()->LoadShortcutResource(9211);
        return 0;
    }
    afx_msg void OnCustomize() {}
    afx_msg void OnLButtonDown(UINT, CPoint) { ++m_nClientClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CustomizeFrame, CTKPFrameWnd)
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_COMMAND(35001, OnCustomize)
END_MESSAGE_MAP()

// Runs a step from inside a modal loop: the step is posted before the loop starts.
std::function<void()> g_step;
LRESULT CALLBACK StepProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP && g_step) {
        auto step = std::move(g_step);
        g_step = nullptr;
        step();
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

HWND StepWindow()
{
    static HWND window = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = StepProc;
        wc.lpszClassName = u"CustomizeTestStep";
        ::RegisterClassW(&wc);
        return ::CreateWindowExW(0, u"CustomizeTestStep", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                 nullptr);
    }();
    return window;
}

void DuringModal(std::function<void()> step)
{
    g_step = std::move(step);
    ::PostMessageW(StepWindow(), WM_APP, 0, 0);
}

// Pumps as the sheet's modal loop does: messages are offered to the windows' PreTranslateMessage first.
void PumpThrough(CWnd& sheet)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!CWnd::WalkPreTranslateTree(sheet.m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// The sheet moved clear of the frame, so clicks meant for the frame reach it.
void MoveAside(CWnd& sheet)
{
    ::SetWindowPos(sheet.m_hWnd, nullptr, 650, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

class Customize : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::UseMemorySettings();
        headless::UseVirtualClock();
        frame = new CustomizeFrame;
        ASSERT_TRUE(frame->Create(nullptr, u"Frame"));
        frame->MoveWindow(0, 0, 600, 400);
        frame->ShowWindow(SW_SHOW);
        bars = frame->GetCommandBars();
        standard = bars->GetToolBar(kStandardId);
        headless::PumpUntilIdle();
    }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        if (frame && ::IsWindow(frame->m_hWnd))
            frame->DestroyWindow();
        tktest::EndMemorySettings();
    }

    // Ends the running sheet with its close button.
    static void CloseSheet(CTKPCustomizeSheet& sheet)
    {
        ::SendMessageW(sheet.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    }

    CustomizeFrame* frame = nullptr;
    CTKPCommandBars* bars = nullptr;
    CTKPToolBar* standard = nullptr;
};

CString LoadText(UINT id)
{
    CString text;
    GetResourceLoader().LoadString(text, id);
    return text;
}

} // namespace

// ---- The sheet as built ------------------------------------------------------------------------
TEST_F(Customize, SheetHasItsPagesStockImagesAndControlMenu) {
    CTKPCustomizeSheet sheet(bars);
    ASSERT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetPage(0), static_cast<CPropertyPage*>(sheet.GetToolbarsPage()));
    EXPECT_EQ(sheet.GetPage(1), static_cast<CPropertyPage*>(sheet.GetCommandsPage()));
    // Pages take their templates from the toolkit's resources.
    EXPECT_TRUE(sheet.GetPage(0)->m_psp.dwFlags & PSP_DLGINDIRECT);
    EXPECT_TRUE(sheet.m_psh.dwFlags & PSH_NOAPPLYNOW);
    EXPECT_EQ(sheet.GetSite(), frame);

    CTKPImageManager* stock = sheet.GetCustomImages();
    ASSERT_NE(stock, nullptr);
    EXPECT_NE(stock->GetIconSet(42), nullptr);
    EXPECT_EQ(stock->GetIconSet(43), nullptr);

    CTKPPopupBar* menu = sheet.GetControlMenu();
    ASSERT_NE(menu, nullptr);
    const struct {
        UINT id;
        int type;
        BOOL group;
        const char16_t* caption;
    } expected[] = {{9315, TKP_CONTROL_BUTTON, FALSE, u"复位(&R)"},
                    {9316, TKP_CONTROL_BUTTON, FALSE, u"删除(&D)"},
                    {9317, TKP_CONTROL_EDIT, TRUE, u"名称(&N):"},
                    {9318, TKP_CONTROL_BUTTON, TRUE, u"复制按钮图像(&C)"},
                    {9319, TKP_CONTROL_BUTTON, FALSE, u"粘贴按钮图像(&P)"},
                    {9320, TKP_CONTROL_BUTTON, FALSE, u"重设按钮图像(&S)"},
                    {9321, TKP_CONTROL_BUTTON, FALSE, u"编辑按钮图像(&E)..."},
                    {9322, TKP_CONTROL_POPUP, FALSE, u"更改按钮图像(&B)"},
                    {9323, TKP_CONTROL_BUTTON, TRUE, u"默认样式(&U)"},
                    {9325, TKP_CONTROL_BUTTON, FALSE, u"纯文本(&T)"},
                    {9324, TKP_CONTROL_BUTTON, FALSE, u"图标和文本(&A)"},
                    {9326, TKP_CONTROL_BUTTON, TRUE, u"展开一个组(&G)"}};
    ASSERT_EQ(menu->GetControlCount(), int(std::size(expected)));
    for (int i = 0; i < menu->GetControlCount(); ++i) {
        SCOPED_TRACE(i);
        CTKPControl* control = menu->GetControl(i);
        EXPECT_EQ(control->GetID(), expected[i].id);
        EXPECT_EQ(control->GetType(), expected[i].type);
        EXPECT_EQ(control->GetBeginGroup(), expected[i].group);
        EXPECT_EQ(control->GetCaption(), CString(expected[i].caption));
    }
    // The stock images' popup fills itself in a square-ish block the first time it opens.
    CTKPCommandBar* images = menu->GetControl(7)->GetCommandBar();
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->GetType(), TKP_BARTYPE_TOOLBAR);
    sheet.FillImagePopup(static_cast<CTKPPopupBar*>(images));
    EXPECT_EQ(images->GetControlCount(), 42);
    EXPECT_EQ(images->m_nMRUWidth, 23 * 6 + 6);
    EXPECT_EQ(images->GetControl(41)->m_nIconId, 42);
}

TEST_F(Customize, CommandStatesFollowTheSelectedControl) {
    CTKPCustomizeSheet sheet(bars);
    BOOL enabled = TRUE, checked = TRUE;
    // Nothing selected: the items are left as they were.
    EXPECT_FALSE(sheet.GetCommandState(9316, enabled, checked));

    CTKPControl* first = standard->GetControl(0);
    CTKPControl* second = standard->GetControl(1);
    second->SetBeginGroup(FALSE);
    CTKPControl* combo = standard->GetControls()->Add(TKP_CONTROL_COMBOBOX, 300);
    struct Case {
        CTKPControl* control;
        int customStyle;
        UINT id;
        BOOL enabled;
        BOOL checked;
    };
    const Case cases[] = {
        {first, 0, 9315, FALSE, FALSE},  // nothing customised to reset
        {first, 1, 9315, TRUE, FALSE},
        {first, 1, 9325, TRUE, TRUE},    // text only
        {first, 1, 9324, TRUE, FALSE},
        {first, 3, 9324, TRUE, TRUE},    // image and text
        {first, 3, 9323, TRUE, FALSE},
        {first, 0, 9323, TRUE, TRUE},    // default style
        {combo, 0, 9323, FALSE, FALSE},  // no styles for a combo box
        {combo, 0, 9318, FALSE, FALSE},
        {first, 0, 9326, FALSE, FALSE},  // the first control cannot begin a group
        {second, 0, 9326, TRUE, FALSE},
        {first, 0, 9320, FALSE, FALSE},  // no custom image to reset
        {first, 0, 9318, TRUE, FALSE},   // an icon id and a button
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        c.control->m_nCustomStyle = c.customStyle;
        bars->SetDragControl(c.control);
        ASSERT_TRUE(sheet.GetCommandState(c.id, enabled, checked));
        EXPECT_EQ(enabled, c.enabled);
        EXPECT_EQ(checked, c.checked);
    }
}

TEST_F(Customize, CommandsChangeTheSelectedControl) {
    CTKPCustomizeSheet sheet(bars);
    CTKPControl* second = standard->GetControl(1);
    second->SetBeginGroup(FALSE);
    bars->SetDragControl(second);
    EXPECT_TRUE(sheet.ExecuteCommand(9325));
    EXPECT_EQ(second->m_nCustomStyle, 1);
    EXPECT_TRUE(sheet.ExecuteCommand(9326));
    EXPECT_TRUE(second->GetBeginGroup());
    EXPECT_TRUE(sheet.ExecuteCommand(9326));
    EXPECT_FALSE(second->GetBeginGroup());

    // A stock image becomes the control's own, and Reset takes everything back.
    EXPECT_TRUE(sheet.ChangeButtonImage(5));
    EXPECT_NE(second->m_nCustomIconId, 0u);
    EXPECT_NE(bars->GetImageManager()->GetIconSet(second->m_nCustomIconId), nullptr);
    second->m_strCustomCaption = u"Mine";
    EXPECT_TRUE(sheet.ExecuteCommand(9315));
    EXPECT_EQ(second->m_nCustomIconId, 0u);
    EXPECT_TRUE(second->m_strCustomCaption.IsEmpty());
    EXPECT_EQ(second->m_nCustomStyle, 0);

    // Delete takes the control off its bar and clears the selection.
    const int count = standard->GetControlCount();
    const UINT id = second->GetID();
    EXPECT_TRUE(sheet.ExecuteCommand(9316));
    EXPECT_EQ(standard->GetControlCount(), count - 1);
    EXPECT_EQ(bars->GetDragControl(), nullptr);
    EXPECT_EQ(standard->GetControls()->FindControl(int(id)), nullptr);
    EXPECT_FALSE(sheet.ExecuteCommand(9316));
}

TEST_F(Customize, ButtonImageCopiedAndPastedThroughTheClipboard) {
    CTKPCustomizeSheet sheet(bars);
    CTKPControl* source = standard->GetControl(0);
    CTKPControl* target = standard->GetControl(1);
    bars->SetDragControl(source);
    ASSERT_TRUE(sheet.ExecuteCommand(9318));
    EXPECT_TRUE(::IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(::IsClipboardFormatAvailable(CTKPImageManager::GetClipboardFormat()));
    bars->SetDragControl(target);
    ASSERT_TRUE(sheet.ExecuteCommand(9319));
    ASSERT_NE(target->m_nCustomIconId, 0u);
    CTKPImageIcon* pasted = bars->GetImageManager()->GetImage(target->m_nCustomIconId, 16);
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->GetWidth(), 16);
    // Reset Button Image goes back to the command's own image.
    EXPECT_TRUE(sheet.ExecuteCommand(9320));
    EXPECT_EQ(target->m_nCustomIconId, 0u);
}

// ---- Commands page -----------------------------------------------------------------------------
TEST_F(Customize, CategoriesComeFromTheMenu) {
    CTKPCustomizeSheet sheet(bars);
    CTKPCustomizeCommandsPage* page = sheet.GetCommandsPage();
    EXPECT_FALSE(page->LoadCommandCategories(4242, FALSE));
    ASSERT_TRUE(page->LoadCommandCategories(9212, FALSE));
    page->AddAllCommandsCategory(9337, -1);
    page->AddCategoriesFromMenu(9212, 9350, -1);
    page->AddNewMenuCategory(9314, -1);
    const auto& categories = page->GetCategories();
    std::vector<CString> names;
    for (const auto& category : categories)
        names.push_back(category->strName);
    EXPECT_EQ(names, (std::vector<CString>{u"File", u"View", u"所有命令", u"内置菜单", u"新建菜单"}));
    EXPECT_EQ(categories[0]->pControls->GetCount(), 2);
    EXPECT_EQ(categories[0]->pControls->GetAt(0)->GetID(), 200u);
    // All commands holds a clone of every control of the categories before it.
    EXPECT_EQ(categories[2]->pControls->GetCount(),
              categories[0]->pControls->GetCount() + categories[1]->pControls->GetCount());
    // The built-in menus: one control per top-level item, popups as popups.
    ASSERT_GE(categories[3]->pControls->GetCount(), 2);
    EXPECT_EQ(categories[3]->pControls->GetAt(0)->GetType(), TKP_CONTROL_POPUP);
    ASSERT_EQ(categories[4]->pControls->GetCount(), 1);
    EXPECT_EQ(categories[4]->pControls->GetAt(0)->GetType(), TKP_CONTROL_POPUP);
    EXPECT_EQ(categories[4]->pControls->GetAt(0)->GetID(), 0u);
    EXPECT_EQ(categories[4]->pControls->GetAt(0)->GetCaption(), LoadText(9314));
    // A category of an existing name is reused.
    EXPECT_EQ(page->AddCategory(u"File"), categories[0]->pControls);
}

// ---- New tool bar dialog -----------------------------------------------------------------------
TEST_F(Customize, NewToolbarNamesAreFreeAndUnique) {
    CString name1, name2;
    name1.Format(LoadText(9330), 1);
    name2.Format(LoadText(9330), 2);
    bars->AddCustomToolBar(name2, 0xE800);
    bars->AddCustomToolBar(name1, 0xE801);
    CTKPNewToolbarDlg fresh(bars, nullptr);
    CString name3;
    name3.Format(LoadText(9330), 3);
    EXPECT_EQ(fresh.DefaultName(), name3);

    // The dialog proposes that name and takes the first free id.
    headless::AnswerNextModal([](HWND dlg) { ::SendMessageW(dlg, WM_COMMAND, IDOK, 0); });
    CTKPNewToolbarDlg dlg(bars, nullptr, frame);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strName, name3);
    EXPECT_EQ(dlg.m_nNewId, 0xE802u);

    // A duplicate name is refused with a message and the dialog stays; an empty one likewise.
    std::vector<std::u16string> messages;
    headless::AnswerNextModal([&](HWND dlg) {
        ::SetDlgItemTextW(dlg, 9329, name1);
        headless::AnswerNextModal([&](HWND box) {
            messages.push_back(headless::Text(box));
            ::SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        ::SetDlgItemTextW(dlg, 9329, u"");
        headless::AnswerNextModal([&](HWND box) {
            messages.push_back(headless::Text(box));
            ::SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        ::SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    CTKPNewToolbarDlg refused(bars, nullptr, frame);
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    EXPECT_EQ(messages.size(), 2u);

    // Renaming a bar to its own name is accepted; the caption says it renames.
    CTKPToolBar* own = bars->GetToolBar(0xE801);
    std::u16string caption;
    headless::AnswerNextModal([&](HWND dlg) {
        caption = headless::Text(dlg);
        ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    CTKPNewToolbarDlg rename(bars, own, frame);
    EXPECT_EQ(rename.DoModal(), IDOK);
    EXPECT_EQ(rename.m_strName, name1);
    EXPECT_EQ(CString(caption.c_str()), LoadText(9334));
}

TEST_F(Customize, NoFreeToolbarIdClosesTheDialog) {
    // Bars without a frame have no windows, which keeps 255 of them cheap.
    CTKPCommandBars loose;
    for (UINT id = 0xE800; id < 0xE8FF; ++id) {
        CString title;
        title.Format(u"Bar %u", id);
        loose.AddCustomToolBar(title, id);
    }
    headless::AnswerNextModal([](HWND dlg) {
        headless::AnswerNextModal([](HWND box) { ::SendMessageW(box, WM_COMMAND, IDOK, 0); });
        ::SetDlgItemTextW(dlg, 9329, u"One more");
        ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    CTKPNewToolbarDlg dlg(&loose, nullptr, frame);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

// ---- Running the sheet -------------------------------------------------------------------------
TEST_F(Customize, RunningSheetFiltersInputAndPagesActAtOnce) {
    CTKPCustomizeSheet sheet(bars);
    CTKPCustomizeKeysPage keys(&sheet);
    sheet.AddPage(&keys);
    keys.LoadKeyCategories(9212, FALSE);
    CTKPCustomizeSettingsPage options(&sheet);
    sheet.AddPage(&options);
    bars->GetCommandBarsOptions()->bAlwaysShowFullMenus = TRUE;
    CTKPCustomizeSettingsPage fresh(&sheet);
    bool ran = false;
    DuringModal([&] {
        ran = true;
        MoveAside(sheet);
        HWND hSheet = sheet.m_hWnd;
        ASSERT_TRUE(::IsWindow(hSheet));
        EXPECT_TRUE(bars->IsCustomizeMode());
        EXPECT_EQ(std::u16string(headless::Text(hSheet)), u"自定义");
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hSheet, IDOK)));
        EXPECT_EQ(headless::Text(::GetDlgItem(hSheet, IDCANCEL)), u"关闭");
        // A second sheet does not run while this one does.
        CTKPCustomizeSheet second(bars);
        EXPECT_EQ(second.DoModal(), IDCANCEL);

        // A click on the frame's client area is swallowed; one on the tool bar reaches it.
        RECT client;
        ::GetClientRect(frame->m_hWnd, &client);
        headless::Click(frame->m_hWnd, POINT{client.right / 2, client.bottom - 20});
        headless::PumpUntilIdle();
        EXPECT_EQ(frame->m_nClientClicks, 0);
        const RECT button = standard->GetControl(1)->GetRect();
        headless::Click(standard->m_hWnd, POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2});
        headless::PumpUntilIdle();
        EXPECT_EQ(bars->GetDragControl(), standard->GetControl(1));

        // Alt and the mnemonic of a tab switch to that page (the options page: "选项" has none,
        // so the keyboard page is chosen by its index instead).
        sheet.SetActivePage(3);
        headless::PumpUntilIdle();
        HWND page = options.m_hWnd;
        ASSERT_TRUE(::IsWindow(page));
        // Always show full menus is ticked, so the delayed full menus are disabled.
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, 9341)));
        ::CheckDlgButton(page, 9340, BST_UNCHECKED);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(9340, BN_CLICKED), LPARAM(::GetDlgItem(page, 9340)));
        EXPECT_FALSE(bars->GetCommandBarsOptions()->bAlwaysShowFullMenus);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, 9341)));
        HWND animation = ::GetDlgItem(page, 9410);
        EXPECT_EQ(::SendMessageW(animation, CB_GETCOUNT, 0, 0), 6);
        ::SendMessageW(animation, CB_SETCURSEL, 3, 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(9410, CBN_SELCHANGE), LPARAM(animation));
        EXPECT_EQ(bars->GetCommandBarsOptions()->nAnimation, 3);
        CloseSheet(sheet);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(bars->IsCustomizeMode());
    EXPECT_EQ(CTKPCustomizeSheet::GetRunningSheet(), nullptr);
    // Closing the sheet keeps what the pages changed.
    EXPECT_FALSE(bars->GetCommandBarsOptions()->bAlwaysShowFullMenus);
    // Without a sheet the frame takes clicks again.
    RECT client;
    ::GetClientRect(frame->m_hWnd, &client);
    headless::Click(frame->m_hWnd, POINT{client.right / 2, client.bottom - 20});
    headless::PumpUntilIdle();
    EXPECT_EQ(frame->m_nClientClicks, 1);
}

TEST_F(Customize, ToolbarsPageAddsRenamesAndDeletesBars) {
    CTKPCustomizeSheet sheet(bars);
    DuringModal([&] {
        CTKPCustomizeToolbarsPage* page = sheet.GetToolbarsPage();
        ASSERT_TRUE(::IsWindow(page->m_hWnd));
        CCheckListBox& list = page->m_lstToolbars;
        // The menu bar is listed while it shows, and unticking it ticks it again.
        ASSERT_EQ(list.GetCount(), 2);
        list.SetCurSel(0);
        list.SetCheck(0, 0);
        list.SetCaretIndex(0);
        page->OnCheckChanged();
        EXPECT_EQ(list.GetCheck(0), 1);
        EXPECT_TRUE(bars->GetMenuBar()->IsVisible());
        // A built-in bar can be reset but neither renamed nor deleted.
        list.SetCurSel(1);
        ::SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(9305, LBN_SELCHANGE), 0);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page->m_hWnd, 9311)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page->m_hWnd, 9309)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page->m_hWnd, 9310)));

        headless::AnswerNextModal([](HWND dlg) {
            ::SetDlgItemTextW(dlg, 9329, u"Mine");
            ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        page->OnNewToolbar();
        ASSERT_EQ(bars->GetCount(), 3);
        auto* mine = dynamic_cast<CTKPToolBar*>(bars->GetAt(2));
        ASSERT_NE(mine, nullptr);
        // The standard bar holds the first id of custom bars already.
        EXPECT_EQ(mine->GetBarID(), 0xE801u);
        EXPECT_EQ(mine->GetTitle(), CString(u"Mine"));
        EXPECT_FALSE(mine->m_bBuiltIn);
        EXPECT_TRUE(::IsWindow(mine->m_hWnd));
        ASSERT_EQ(list.GetCount(), 3);
        list.SetCurSel(2);
        headless::AnswerNextModal([](HWND dlg) {
            ::SetDlgItemTextW(dlg, 9329, u"Renamed");
            ::SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        page->OnRenameToolbar();
        EXPECT_EQ(mine->GetTitle(), CString(u"Renamed"));
        CString text;
        list.GetText(2, text);
        EXPECT_EQ(text, CString(u"Renamed"));
        EXPECT_EQ(list.GetCurSel(), 2);

        // Unticking a bar of one's own hides it.
        list.SetCheck(2, 0);
        list.SetCaretIndex(2);
        page->OnCheckChanged();
        EXPECT_FALSE(mine->IsVisible());

        // Delete asks first; Cancel keeps the bar, OK takes it away.
        list.SetCurSel(2);
        headless::AnswerNextModal([](HWND box) { ::SendMessageW(box, WM_COMMAND, IDCANCEL, 0); });
        page->OnDeleteToolbar();
        EXPECT_EQ(bars->GetCount(), 3);
        headless::AnswerNextModal([](HWND box) { ::SendMessageW(box, WM_COMMAND, IDOK, 0); });
        page->OnDeleteToolbar();
        EXPECT_EQ(bars->GetCount(), 2);
        EXPECT_EQ(bars->GetToolBar(0xE801), nullptr);
        EXPECT_EQ(list.GetCount(), 2);
        CloseSheet(sheet);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}

TEST_F(Customize, ToolbarsPageResetsABuiltInBarAfterAsking) {
    standard->GetControls()->Remove(standard->GetControls()->FindControl(201));
    CTKPCustomizeSheet sheet(bars);
    DuringModal([&] {
        CTKPCustomizeToolbarsPage* page = sheet.GetToolbarsPage();
        page->m_lstToolbars.SetCurSel(1);
        for (int answer : {IDCANCEL, IDOK}) {
            CString question;
            headless::AnswerNextModal([&](HWND box) {
                question = headless::Text(::GetDlgItem(box, 0xFFFF)).c_str();
                ::SendMessageW(box, WM_COMMAND, WPARAM(answer), 0);
            });
            ::SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(9311, BN_CLICKED), 0);
            EXPECT_NE(question.Find(standard->GetTitle()), -1);
            EXPECT_EQ(standard->GetControls()->FindControl(201) != nullptr, answer == IDOK);
        }
        CloseSheet(sheet);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}

TEST_F(Customize, KeysAreAssignedMovedAndRemoved) {
    CTKPCustomizeSheet sheet(bars);
    CTKPCustomizeKeysPage keys(&sheet);
    sheet.AddPage(&keys);
    ASSERT_TRUE(keys.LoadKeyCategories(9212, FALSE));
    CTKPShortcutTable* shortcuts = bars->GetShortcutTable();
    auto keysOf = [&](UINT command) {
        std::vector<CString> texts;
        HACCEL table = shortcuts->GetAccelTable();
        const int count = ::CopyAcceleratorTableW(table, nullptr, 0);
        std::vector<ACCEL> entries(size_t(std::max(count, 0)));
        if (count > 0)
            ::CopyAcceleratorTableW(table, entries.data(), count);
        for (const ACCEL& a : entries)
            if (a.cmd == command) {
                CString text;
                shortcuts->FormatAccelerator(text, a);
                texts.push_back(text);
            }
        return texts;
    };
    DuringModal([&] {
        sheet.SetActivePage(2);
        headless::PumpUntilIdle();
        ASSERT_TRUE(::IsWindow(keys.m_hWnd));
        // The File category: Open (200) is first, with F5 and Ctrl+R.
        ASSERT_GE(keys.m_lstCommands.GetCount(), 2);
        EXPECT_EQ(keys.GetSelectedCommand()->GetID(), 200u);
        EXPECT_EQ(keys.m_lstKeys.GetCount(), 2);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(keys.m_hWnd, 9386)));

        // Ctrl+R goes to Save after the question is answered Yes.
        keys.m_lstCommands.SetCurSel(1);
        keys.ListKeys();
        ASSERT_EQ(keys.GetSelectedCommand()->GetID(), 201u);
        ::SetFocus(keys.m_editShortcut.m_hWnd);
        headless::PressKey('R', {VK_CONTROL});
        PumpThrough(sheet);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(keys.m_hWnd, 9386)));
        headless::AnswerNextModal([](HWND box) { ::SendMessageW(box, WM_COMMAND, IDYES, 0); });
        keys.OnAssign();
        EXPECT_EQ(keysOf(200).size(), 1u);
        EXPECT_EQ(keysOf(201).size(), 2u);
        EXPECT_EQ(keys.m_lstKeys.GetCount(), 2);

        // Remove the selected key; Reset All brings the table as loaded back.
        keys.m_lstKeys.SetCurSel(0);
        keys.OnRemove();
        EXPECT_EQ(keysOf(201).size(), 1u);
        headless::AnswerNextModal([](HWND box) { ::SendMessageW(box, WM_COMMAND, IDYES, 0); });
        keys.OnResetAll();
        EXPECT_EQ(keysOf(200).size(), 2u);
        EXPECT_EQ(keysOf(201).size(), 1u);
        CloseSheet(sheet);
    });
    sheet.DoModal();
}

TEST_F(Customize, RecentFileCommandsAreNotOfferedForKeys) {
    CTKPCustomizeSheet sheet(bars);
    CTKPCustomizeKeysPage keys(&sheet);
    sheet.AddPage(&keys);
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, 0xE110, u"Recent");
    ::AppendMenuW(popup, MF_STRING, 0xE11F, u"Recent 16");
    ::AppendMenuW(popup, MF_STRING, 0xE120, u"Other");
    CMenu menu;
    menu.Attach(popup);
    keys.AddCategoryFromMenu(u"&Files", &menu, FALSE);
    DuringModal([&] {
        sheet.SetActivePage(2);
        headless::PumpUntilIdle();
        ASSERT_EQ(keys.m_lstCommands.GetCount(), 1);
        EXPECT_EQ(keys.GetSelectedCommand()->GetID(), 0xE120u);
        CloseSheet(sheet);
    });
    sheet.DoModal();
}

// ---- Dragging controls -------------------------------------------------------------------------
namespace {

// The bar's commands, without the buttons a tool bar adds to itself.
std::vector<UINT> IdsOf(CTKPCommandBar* bar)
{
    std::vector<UINT> ids;
    for (int i = 0; i < bar->GetControlCount(); ++i)
        if (!bar->GetControl(i)->m_bTemporary)
            ids.push_back(bar->GetControl(i)->GetID());
    return ids;
}

POINT Centre(CTKPControl* control)
{
    const RECT rc = control->GetRect();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

} // namespace

TEST_F(Customize, DraggedControlsMoveCopyLeaveOrStay) {
    enum Where { AfterLast, FrameClient, Escape, RightButton };
    const struct {
        const char* name;
        bool ctrl;
        Where where;
        std::vector<UINT> expected;
    } cases[] = {
        {"moved behind the last", false, AfterLast, {201, 202, 200}},
        {"copied with Ctrl", true, AfterLast, {200, 201, 202, 200}},
        {"dropped over no bar", false, FrameClient, {201, 202}},
        {"cancelled by Esc", false, Escape, {200, 201, 202}},
        {"cancelled by the right button", false, RightButton, {200, 201, 202}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Presses far apart in time, so none becomes a double click.
        headless::AdvanceClock(2000);
        standard->LoadToolBar(9200);
        bars->SetCustomizeMode(TRUE);
        standard->OnRecalcLayout();
        headless::PumpUntilIdle();
        ASSERT_EQ(IdsOf(standard), (std::vector<UINT>{200, 201, 202}));
        ASSERT_FALSE(::IsRectEmpty(&standard->GetControl(2)->m_rcControl));
        const POINT from = Centre(standard->GetControl(0));
        RECT last = standard->GetControl(2)->GetRect();
        const POINT behind{last.right - 2, (last.top + last.bottom) / 2};
        RECT client;
        ::GetClientRect(frame->m_hWnd, &client);
        if (c.ctrl)
            headless::KeyDown(VK_CONTROL);
        headless::ButtonDown(standard->m_hWnd, from);
        headless::MouseMove(standard->m_hWnd, POINT{from.x + 10, from.y});
        if (c.where == FrameClient) {
            headless::MouseMove(frame->m_hWnd, POINT{client.right / 2, client.bottom - 20});
            headless::ButtonUp(frame->m_hWnd, POINT{client.right / 2, client.bottom - 20});
        } else if (c.where == Escape) {
            headless::KeyDown(VK_ESCAPE);
            headless::KeyUp(VK_ESCAPE);
            headless::ButtonUp(standard->m_hWnd, behind);
        } else if (c.where == RightButton) {
            headless::ButtonDown(standard->m_hWnd, behind, VK_RBUTTON);
            headless::ButtonUp(standard->m_hWnd, behind, VK_RBUTTON);
            headless::ButtonUp(standard->m_hWnd, behind);
        } else {
            headless::MouseMove(standard->m_hWnd, behind);
            headless::ButtonUp(standard->m_hWnd, behind);
        }
        if (c.ctrl)
            headless::KeyUp(VK_CONTROL);
        headless::PumpUntilIdle();
        EXPECT_EQ(IdsOf(standard), c.expected);
        EXPECT_EQ(::GetCapture(), nullptr);
        bars->SetCustomizeMode(FALSE);
    }
}

TEST_F(Customize, AltDragMovesAToolBarButtonWithoutTheSheet) {
    ASSERT_TRUE(bars->m_bCustomizable);
    const POINT from = Centre(standard->GetControl(0));
    const RECT last = standard->GetControl(2)->GetRect();
    const POINT behind{last.right - 2, (last.top + last.bottom) / 2};
    headless::KeyDown(VK_MENU);
    headless::ButtonDown(standard->m_hWnd, from);
    headless::MouseMove(standard->m_hWnd, POINT{from.x + 10, from.y});
    headless::MouseMove(standard->m_hWnd, behind);
    headless::ButtonUp(standard->m_hWnd, behind);
    headless::KeyUp(VK_MENU);
    headless::PumpUntilIdle();
    EXPECT_EQ(IdsOf(standard), (std::vector<UINT>{201, 202, 200}));
    EXPECT_FALSE(bars->IsCustomizeMode());
    EXPECT_FALSE(bars->m_bQuickCustomizeMode);

    // Without the customise command in the frame, Alt and a click only press the button.
    headless::AdvanceClock(2000);
    bars->m_bCustomizable = FALSE;
    headless::KeyDown(VK_MENU);
    headless::ButtonDown(standard->m_hWnd, Centre(standard->GetControl(0)));
    headless::MouseMove(standard->m_hWnd, behind);
    headless::ButtonUp(standard->m_hWnd, behind);
    headless::KeyUp(VK_MENU);
    headless::PumpUntilIdle();
    EXPECT_EQ(IdsOf(standard), (std::vector<UINT>{201, 202, 200}));
}

TEST_F(Customize, CommandsDraggedFromTheSheetAreCopied) {
    CTKPCustomizeSheet sheet(bars);
    sheet.GetCommandsPage()->LoadCommandCategories(9212, FALSE);
    DuringModal([&] {
        MoveAside(sheet);
        sheet.SetActivePage(1);
        headless::PumpUntilIdle();
        CTKPCustomizeCommandsPage* page = sheet.GetCommandsPage();
        ASSERT_EQ(page->m_lstCommands.GetCount(), 2);
        RECT item;
        page->m_lstCommands.GetItemRect(1, &item);
        const RECT last = standard->GetControl(2)->GetRect();
        const POINT behind{last.right - 2, (last.top + last.bottom) / 2};
        headless::ButtonDown(page->m_lstCommands.m_hWnd, POINT{item.left + 5, item.top + 2});
        headless::MouseMove(standard->m_hWnd, behind);
        headless::ButtonUp(standard->m_hWnd, behind);
        headless::PumpUntilIdle();
        EXPECT_EQ(IdsOf(standard), (std::vector<UINT>{200, 201, 202, 201}));
        // The dropped copy is the selected control; the list keeps its own.
        EXPECT_EQ(bars->GetDragControl(), standard->GetControl(3));
        EXPECT_EQ(page->m_lstCommands.GetCount(), 2);
        CloseSheet(sheet);
    });
    sheet.DoModal();
}

// ---- Saved custom images -----------------------------------------------------------------------
TEST_F(Customize, CustomImagesAreSavedWithTheirControls) {
    auto* images = new CTKPImageManager();
    bars->SetImageManager(images);
    CTKPCustomizeSheet sheet(bars);
    bars->SetDragControl(standard->GetControl(2));
    ASSERT_TRUE(sheet.ChangeButtonImage(7));
    const UINT id = standard->GetControl(2)->m_nCustomIconId;
    ASSERT_NE(images->GetIconSet(id), nullptr);
    bars->SetDragControl(nullptr);
    ASSERT_TRUE(bars->SaveBarControls(u"CommandBars"));
    frame->DestroyWindow();

    // A new frame whose image manager has never seen the image gets it back from the profile.
    frame = new CustomizeFrame;
    ASSERT_TRUE(frame->Create(nullptr, u"Frame"));
    bars = frame->GetCommandBars();
    auto* fresh = new CTKPImageManager();
    bars->SetImageManager(fresh);
    ASSERT_EQ(fresh->GetIconSet(id), nullptr);
    ASSERT_TRUE(bars->LoadBarControls(u"CommandBars"));
    standard = bars->GetToolBar(kStandardId);
    ASSERT_EQ(standard->GetControl(2)->m_nCustomIconId, id);
    CTKPImageIconSet* set = fresh->GetIconSet(id);
    ASSERT_NE(set, nullptr);
    CTKPImageIcon* icon = set->GetIcon(16);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->GetWidth(), 16);
    // Later custom images do not take the loaded one's id.
    CTKPIconHandle another;
    another.CopyOwned(icon->GetIcon());
    EXPECT_GT(fresh->AddCustomIcon(another), id);
}

namespace {
INT_PTR CALLBACK PlainPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}
} // namespace

// The customise pages and their dialogs in the dialog font: every push button is wide enough for its
// caption, inside the frame the button draws around it.
TEST(CustomizeDialogs, EveryButtonHoldsItsCaption) {
    HWND parent = ::CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    for (UINT id : {9304u, 9328u, 9379u, 9339u, 9351u}) {
        SCOPED_TRACE(id);
        HWND dlg = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), parent, PlainPageProc, 0);
        ASSERT_NE(dlg, nullptr);
        HDC dc = ::GetDC(dlg);
        HGDIOBJ old = ::SelectObject(dc, (HGDIOBJ)::SendMessageW(dlg, WM_GETFONT, 0, 0));
        int buttons = 0;
        for (HWND child = ::GetWindow(dlg, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            WCHAR cls[32] = {};
            ::GetClassNameW(child, cls, 32);
            const DWORD type = DWORD(::GetWindowLongW(child, GWL_STYLE)) & BS_TYPEMASK;
            if (CString(cls).CompareNoCase(u"Button") != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON))
                continue;
            ++buttons;
            CString text;
            ::GetWindowTextW(child, text.GetBuffer(128), 128);
            text.ReleaseBuffer();
            RECT need{0, 0, 0, 0}, client;
            ::DrawTextW(dc, text, text.GetLength(), &need, DT_SINGLELINE | DT_CALCRECT);
            ::GetClientRect(child, &client);
            EXPECT_LE(need.right + 8, client.right) << CStringA(text).GetString();
        }
        EXPECT_GT(buttons, 0);
        ::SelectObject(dc, old);
        ::ReleaseDC(dlg, dc);
        ::DestroyWindow(dlg);
    }
    ::DestroyWindow(parent);
}
