// Tests of the toolkit edit: the plain edit without rich edit, keys it keeps, clipboard commands and
// their menu, input-method composition, and the shell auto-complete with its drop-down.
#include <gtest/gtest.h>

#include "afx/framework_ids.h"
#include "backend/headless/driver.h"
#include "toolkit/base/edit.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"
#include "win32/resources.h"
#include "test_windows.h"

#include <algorithm>

#include <string>
#include <vector>

namespace {

class EditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        tktest::RegisterPlainWindowClass(u"TkEditHost");
        tktest::RegisterPlainWindowClass(u"Auto-Suggest Dropdown");
        ASSERT_TRUE(m_host.CreateEx(0, u"TkEditHost", u"host", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                                    nullptr));
        ASSERT_TRUE(m_edit.CreateEdit(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, &m_host));
        m_edit.MoveWindow(5, 5, 200, 20);
        m_edit.SetWindowText(u"abcdef");
        m_edit.SetFocus();
    }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        m_host.DestroyWindow();
    }
    std::u16string Text() { return headless::Text(m_edit); }
    std::pair<int, int> Selection()
    {
        int start = 0, end = 0;
        m_edit.GetSel(start, end);
        return {start, end};
    }

    CWnd m_host;
    CTKPEdit m_edit;
};

// Records what reaches a window: its messages and keys. Like a list, it wants the arrow keys.
class Recorder : public CWnd {
public:
    std::vector<UINT> messages;
    std::vector<WPARAM> keys;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        messages.push_back(message);
        if (message == WM_KEYDOWN)
            keys.push_back(wParam);
        if (message == WM_GETDLGCODE) {
            *pResult = DLGC_WANTARROWS | DLGC_WANTCHARS;
            return TRUE;
        }
        return CWnd::OnWndMsg(message, wParam, lParam, pResult);
    }
};

// The application's clipboard command strings ("prompt\nname"), which the context menu needs; the
// toolkit tests have no application script, so they are registered as a compiled image here.
void RegisterClipboardStrings()
{
    static std::vector<unsigned char> image;
    if (!image.empty())
        return;
    auto put16 = [](std::vector<unsigned char>& v, unsigned value) {
        v.push_back(value & 0xFF);
        v.push_back((value >> 8) & 0xFF);
    };
    auto put32 = [&](std::vector<unsigned char>& v, unsigned value) {
        put16(v, value & 0xFFFF);
        put16(v, value >> 16);
    };
    // One block of sixteen strings: ids 57632 to 57647.
    const std::u16string texts[16] = {{}, {}, u"Copy the selection\nCopy", u"Cut the selection\nCut", {},
                                      u"Insert the Clipboard\nPaste"};
    std::vector<unsigned char> block;
    for (const auto& text : texts) {
        put16(block, unsigned(text.size()));
        for (char16_t c : text)
            put16(block, c);
    }
    put32(image, unsigned(block.size()));
    put32(image, 32);
    put16(image, 0xFFFF);
    put16(image, 6);  // RT_STRING
    put16(image, 0xFFFF);
    put16(image, (ID_EDIT_CUT >> 4) + 1);
    put32(image, 0);       // data version
    put16(image, 0x1030);  // memory flags
    put16(image, 0x0409);  // language
    put32(image, 0);
    put32(image, 0);
    image.insert(image.end(), block.begin(), block.end());
    ASSERT_TRUE(res::RegisterImage(image.data(), image.size()));
}

} // namespace

TEST_F(EditTest, WithoutRichEditItIsThePlainEdit) {
    EXPECT_EQ(GetRichEditLoader().m_hModule, nullptr);
    EXPECT_EQ(&GetRichEditLoader(), &GetRichEditLoader());
    WCHAR name[32] = {};
    GetClassNameW(m_edit, name, 32);
    EXPECT_EQ(std::u16string(name), u"Edit");
    EXPECT_EQ(m_edit.GetDlgCtrlID(), 0);
}

TEST_F(EditTest, ProcessKeyKeepsNavigationAndDeletionKeys) {
    const struct { UINT key; BOOL taken; std::pair<int, int> selection; const char16_t* text; } cases[] = {
        {VK_END, TRUE, {6, 6}, u"abcdef"},
        {VK_HOME, TRUE, {0, 0}, u"abcdef"},
        {VK_DELETE, TRUE, {2, 2}, u"abdef"},
        {VK_BACK, TRUE, {1, 1}, u"acdef"},
        {VK_RIGHT, TRUE, {3, 3}, u"abcdef"},
        {'A', FALSE, {2, 2}, u"abcdef"},
        {VK_RETURN, FALSE, {2, 2}, u"abcdef"},
        {VK_F2, FALSE, {2, 2}, u"abcdef"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        m_edit.SetWindowText(u"abcdef");
        m_edit.SetSel(2, 2);
        EXPECT_EQ(m_edit.ProcessKey(c.key, 1), c.taken);
        headless::PumpUntilIdle();
        EXPECT_EQ(Selection(), c.selection);
        EXPECT_EQ(Text(), c.text);
    }
}

TEST_F(EditTest, ClipboardCommandsFollowSelectionAndClipboard) {
    ASSERT_TRUE(OpenClipboard(m_host));
    EmptyClipboard();
    CloseClipboard();
    m_edit.SetSel(3, 3);
    EXPECT_FALSE(m_edit.CanDoCommand(ID_EDIT_CUT));
    EXPECT_FALSE(m_edit.CanDoCommand(ID_EDIT_COPY));
    EXPECT_FALSE(m_edit.CanDoCommand(ID_EDIT_PASTE));
    EXPECT_TRUE(m_edit.CanDoCommand(ID_FILE_OPEN));

    // The command route: updates of the three are the edit's, other ids are not.
    CCmdUI ui;
    ui.m_nID = ID_EDIT_COPY;
    EXPECT_TRUE(m_edit.OnCmdMsg(ID_EDIT_COPY, CN_UPDATE_COMMAND_UI, &ui, nullptr));
    EXPECT_FALSE(m_edit.OnCmdMsg(ID_FILE_OPEN, CN_UPDATE_COMMAND_UI, &ui, nullptr));

    m_edit.SetSel(1, 3);
    EXPECT_TRUE(m_edit.CanDoCommand(ID_EDIT_CUT));
    EXPECT_TRUE(m_edit.OnCmdMsg(ID_EDIT_CUT, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(Text(), u"adef");
    EXPECT_TRUE(m_edit.CanDoCommand(ID_EDIT_PASTE));
    m_edit.SetSel(4, 4);
    EXPECT_TRUE(m_edit.OnCmdMsg(ID_EDIT_PASTE, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(Text(), u"adefbc");
}

TEST_F(EditTest, CompositionLastsUntilItEndsOrFocusGoes) {
    EXPECT_FALSE(m_edit.IsImeComposing());
    m_edit.SendMessage(WM_IME_STARTCOMPOSITION);
    EXPECT_TRUE(m_edit.IsImeComposing());
    m_edit.SendMessage(WM_IME_ENDCOMPOSITION);
    EXPECT_FALSE(m_edit.IsImeComposing());
    m_edit.SendMessage(WM_IME_STARTCOMPOSITION);
    m_host.SetFocus();
    EXPECT_FALSE(m_edit.IsImeComposing());
}

TEST_F(EditTest, AutoCompleteIsAbsent) {
    CTKPShellAutoComplete autoComplete;
    EXPECT_EQ(autoComplete.Enable(m_edit, 0), E_FAIL);
    EXPECT_EQ(autoComplete.GetDropDown(), nullptr);
    EXPECT_EQ(CTKPShellAutoComplete::GetHookOwner(), nullptr);
}

// The hook adopts a shown suggestion drop-down, tells the edit, lets the wheel and the list keys
// reach it, and forgets it once it hides.
TEST_F(EditTest, HookAdoptsTheDropDownWhileItShows) {
    Recorder edit;
    ASSERT_TRUE(edit.CreateEx(0, u"TkEditHost", u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), &m_host, 9));
    CTKPShellAutoComplete autoComplete, second;
    autoComplete.m_hWndEdit = edit.m_hWnd;
    const int trackedBefore = CTKPKeyboardTracker::GetThreadTracker()->GetCount();
    autoComplete.SetHook(TRUE);
    second.SetHook(TRUE);
    EXPECT_EQ(CTKPShellAutoComplete::GetHookOwner(), &autoComplete);
    EXPECT_EQ(CTKPKeyboardTracker::GetThreadTracker()->GetCount(), trackedBefore + 1);

    CWnd dropDown, frame;
    Recorder list;
    ASSERT_TRUE(dropDown.CreateEx(WS_EX_TOOLWINDOW, u"Auto-Suggest Dropdown", u"", WS_POPUP, 0, 30, 200, 100,
                                  m_host, nullptr));
    ASSERT_TRUE(frame.CreateEx(0, u"TkEditHost", u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &dropDown, 1));
    ASSERT_TRUE(list.CreateEx(0, u"TkEditHost", u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &frame, 2));
    WPARAM wheel = 0;
    LPARAM unused = 0;
    LRESULT result = 0;
    EXPECT_EQ(autoComplete.OnHookMessage(edit, WM_MOUSEWHEEL, wheel, unused, result), 0);
    EXPECT_FALSE(autoComplete.ProcessKey(VK_DOWN));

    dropDown.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    headless::PumpUntilIdle();
    EXPECT_EQ(autoComplete.GetDropDown(), dropDown.m_hWnd);
    EXPECT_NE(std::find(edit.messages.begin(), edit.messages.end(), UINT(TKM_AUTOCOMPLETE_DROPDOWN)),
              edit.messages.end());
    EXPECT_EQ(autoComplete.OnHookMessage(edit, WM_MOUSEWHEEL, wheel, unused, result), 2);
    EXPECT_EQ(autoComplete.OnHookMessage(edit, WM_KEYDOWN, wheel, unused, result), 0);

    const struct { UINT key; bool alt; BOOL taken; } keys[] = {
        {VK_DOWN, false, TRUE}, {VK_NEXT, false, TRUE}, {VK_LEFT, false, FALSE}, {VK_DOWN, true, FALSE}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        list.keys.clear();
        if (k.alt)
            headless::KeyDown(VK_MENU);
        headless::PumpUntilIdle();
        EXPECT_EQ(autoComplete.ProcessKey(k.key), k.taken);
        if (k.alt)
            headless::KeyUp(VK_MENU);
        headless::PumpUntilIdle();
        EXPECT_EQ(list.keys, k.taken ? std::vector<WPARAM>{k.key} : std::vector<WPARAM>{});
    }

    autoComplete.HideDropDown();
    headless::PumpUntilIdle();
    EXPECT_FALSE(dropDown.IsWindowVisible());
    EXPECT_EQ(autoComplete.GetDropDown(), nullptr);

    autoComplete.SetHook(FALSE);
    EXPECT_EQ(CTKPShellAutoComplete::GetHookOwner(), nullptr);
    EXPECT_EQ(CTKPKeyboardTracker::GetThreadTracker()->GetCount(), trackedBefore);
    dropDown.DestroyWindow();
}

// The right-click menu of an edit in a command bar: the three clipboard commands, each enabled by
// what the edit can do; the chosen one reaches the edit.
TEST_F(EditTest, ContextMenuOffersTheClipboardCommands) {
    RegisterClipboardStrings();
    auto* bars = new CTKPCommandBars;
    auto* bar = new CTKPCommandBar;
    bar->SetCommandBars(bars);
    CTKPControl* control = bar->GetControls()->Add(TKP_CONTROL_EDIT, 500);
    ASSERT_NE(control, nullptr);

    ASSERT_TRUE(OpenClipboard(m_host));
    EmptyClipboard();
    CloseClipboard();
    // Each case: the selection, the keys in the menu, the text afterwards. The menu opens as from
    // the keyboard, on its first command; greyed items take the selection but do nothing.
    const struct { int start, end; std::vector<UINT> keys; const char16_t* text; } cases[] = {
        {0, 3, {VK_DOWN, VK_RETURN}, u"abcdef"},                         // Copy
        {6, 6, {VK_RETURN, VK_DOWN, VK_DOWN, VK_RETURN}, u"abcdefabc"}, // only Paste is enabled
        {0, 3, {VK_RETURN}, u"defabc"},                                 // Cut
        {0, 3, {VK_ESCAPE}, u"defabc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " " << c.keys.size());
        m_edit.SetSel(c.start, c.end);
        // The keys wait in the queue for the popup's own loop.
        for (UINT key : c.keys)
            headless::PressKey(key);
        m_edit.ShowContextMenu(control, CPoint(5, 5));
        headless::PumpUntilIdle();
        EXPECT_EQ(Text(), c.text);
    }

    // An edit whose bar belongs to no command bars shows nothing.
    auto* loose = new CTKPCommandBar;
    CTKPControl* looseControl = loose->GetControls()->Add(TKP_CONTROL_EDIT, 501);
    headless::PressKey(VK_ESCAPE);
    m_edit.ShowContextMenu(looseControl, CPoint(5, 5));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)); // no menu took the key
    headless::PumpUntilIdle();

    loose->InternalRelease();
    bar->InternalRelease();
    bars->InternalRelease();
}
