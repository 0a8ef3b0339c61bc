// Tests of the edit and combo box controls of the command bars: the notifications a site sees for
// focus, typing, completion, list choices and Esc, the hint of an empty field, the height of the
// drop-down list, and their saved keys and items.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/bar_state.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/edit_combo.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/tool_bar.h"
#include "afx/window_dc.h"

#include <memory>
#include <vector>

namespace {

constexpr UINT kComboId = 300, kEditId = 301;

// The site: it records every control notification (code) and command that reaches it.
class NotifiedFrame : public CTKPFrameWnd {
public:
    std::vector<UINT> codes;
    std::vector<UINT> commands;

protected:
    // The toolkit frame routes the notification as a WM_NOTIFY of the control: it is seen here first.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == TKP_WM_CONTROLNOTIFY)
            codes.push_back(reinterpret_cast<TKP_CONTROL_NOTIFY*>(lParam)->hdr.code);
        return CTKPFrameWnd::WindowProc(message, wParam, lParam);
    }
    afx_msg void OnCommandRange(UINT id) { commands.push_back(id); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(NotifiedFrame, CTKPFrameWnd)
    ON_COMMAND_RANGE(kComboId, kEditId, OnCommandRange)
END_MESSAGE_MAP()

class EditComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        SetGlobalTheme(0);
        frame = new NotifiedFrame;
        ASSERT_TRUE(frame->Create(nullptr, u"Site", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
        bars = new CTKPCommandBars;
        frame->m_pCommandBars = bars;
        bars->SetSite(frame);
        frame->ShowWindow(SW_SHOW);
        ::SetActiveWindow(frame->m_hWnd);
        bar = new CTKPToolBar;
        bar->SetCommandBars(bars);
        bar->SetPosition(TKP_BARPOS_TOP);
        ASSERT_TRUE(bar->CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), u"bar", WS_CHILD | WS_VISIBLE,
                                  RECT{0, 0, 600, 30}, frame, 0xE900));
        headless::PumpUntilIdle();
    }
    void TearDown() override
    {
        CTKPMouseTracker::GetThreadTracker()->CloseAll();
        bar->InternalRelease();
        frame->DestroyWindow();
        headless::PumpUntilIdle();
    }
    void Layout()
    {
        CClientDC dc(bar);
        bar->GetControls()->CalcSize(&dc, 600, LM_HORZ | LM_HORZDOCK | LM_COMMIT, RECT{2, 2, 2, 2});
    }
    CTKPControlComboBox* Combo(std::initializer_list<const char16_t*> items, BOOL dropDown = TRUE)
    {
        auto* combo = static_cast<CTKPControlComboBox*>(bar->GetControls()->Add(TKP_CONTROL_COMBOBOX, kComboId));
        combo->SetDropDown(dropDown);
        combo->m_bAutoComplete = TRUE;
        for (const char16_t* item : items)
            combo->GetList()->SendMessage(LB_ADDSTRING, 0, LPARAM(item));
        Layout();
        return combo;
    }
    void Focus(HWND field)
    {
        RECT rc;
        ::GetClientRect(field, &rc);
        // Far enough from any earlier click not to make a double click of it.
        headless::AdvanceClock(1000);
        headless::Click(field, POINT{2, rc.bottom / 2});
        headless::PumpUntilIdle();
    }
    std::vector<UINT> TakeCodes()
    {
        std::vector<UINT> codes;
        codes.swap(frame->codes);
        return codes;
    }
    NotifiedFrame* frame = nullptr;
    CTKPCommandBars* bars = nullptr;
    CTKPToolBar* bar = nullptr;
};

} // namespace

TEST_F(EditComboTest, TypingCompletesFromTheListAndBackspaceDoesNot) {
    CTKPControlComboBox* combo = Combo({u"cat", u"dog"});
    ASSERT_NE(combo->GetEditField(), nullptr);
    HWND field = combo->GetEditField()->m_hWnd;
    ASSERT_NE(field, nullptr);
    Focus(field);
    EXPECT_TRUE(combo->IsFocused());
    EXPECT_EQ(TakeCodes(), (std::vector<UINT>{CBN_EDITCHANGE, CBN_SETFOCUS}));
    headless::TypeText(u"ca");
    headless::PumpUntilIdle();
    EXPECT_EQ(combo->GetEditText(), CString(u"cat"));
    DWORD start = 0, end = 0;
    ::SendMessageW(field, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 3u);
    EXPECT_EQ(combo->GetCurSel(), 0);
    headless::PressKey(VK_BACK);
    headless::PumpUntilIdle();
    EXPECT_EQ(combo->GetEditText(), CString(u"ca"));
    // No item is exactly the text: nothing is selected.
    EXPECT_EQ(combo->GetCurSel(), -1);
    for (UINT code : TakeCodes())
        EXPECT_EQ(code, UINT(CBN_EDITCHANGE));
}

TEST_F(EditComboTest, EscRestoresTextAndSelectionAndEnterExecutes) {
    CTKPControlComboBox* combo = Combo({u"one", u"two", u"three"});
    combo->SetCurSel(1);
    combo->SetEditText(u"two");
    HWND field = combo->GetEditField()->m_hWnd;
    Focus(field);
    TakeCodes();
    // Down moves the list selection and copies the item into the field.
    headless::PressKey(VK_DOWN);
    headless::PumpUntilIdle();
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetEditText(), CString(u"three"));
    EXPECT_EQ(TakeCodes(), std::vector<UINT>{CBN_SELCHANGE});
    headless::PressKey(VK_ESCAPE);
    headless::PumpUntilIdle();
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetEditText(), CString(u"two"));
    EXPECT_FALSE(combo->IsFocused());
    EXPECT_EQ(TakeCodes(), std::vector<UINT>{CBN_KILLFOCUS});

    Focus(field);
    EXPECT_TRUE(combo->IsFocused());
    EXPECT_EQ(::GetFocus(), field);
    headless::PressKey(VK_DOWN);
    headless::PumpUntilIdle();
    EXPECT_EQ(combo->GetCurSel(), 2);
    TakeCodes();
    headless::PressKey(VK_RETURN);
    headless::PumpUntilIdle();
    // Executing ends the bar's keyboard mode, so the focus leaves before the command goes.
    EXPECT_EQ(TakeCodes(), (std::vector<UINT>{CBN_KILLFOCUS, TKP_CN_EXECUTE}));
    EXPECT_EQ(frame->commands, std::vector<UINT>{kComboId});
    EXPECT_EQ(combo->GetListText(), CString(u"three"));
}

TEST_F(EditComboTest, TheDroppedListSizesToItsRowsAndNotifies) {
    const struct {
        int items;
        int rowsShown;
    } cases[] = {{30, 12}, {3, 3}, {0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.items);
        bar->GetControls()->RemoveAll();
        CTKPControlComboBox* combo = Combo({}, FALSE);
        for (int i = 0; i < c.items; ++i) {
            CString item;
            item.Format(u"item %d", i);
            combo->GetList()->SendMessage(LB_ADDSTRING, 0, LPARAM(item.GetString()));
        }
        TakeCodes();
        ASSERT_TRUE(bar->SetPopuped(combo->GetIndex(), FALSE));
        headless::PumpUntilIdle();
        CTKPControlComboBoxList* list = combo->GetList();
        EXPECT_TRUE(combo->IsDroppedDown());
        RECT rc;
        ::GetWindowRect(list->m_hWnd, &rc);
        const int itemHeight = int(list->SendMessage(LB_GETITEMHEIGHT, 0, 0));
        EXPECT_EQ(rc.bottom - rc.top, c.rowsShown * itemHeight + 4);
        RECT face = combo->GetRect();
        EXPECT_EQ(rc.right - rc.left, face.right - face.left);
        // Closed without a choice, the list face gives the old selection back.
        list->SetTrackingMode(0);
        headless::PumpUntilIdle();
        EXPECT_FALSE(combo->IsDroppedDown());
        EXPECT_FALSE(::IsWindowVisible(list->m_hWnd));
        const std::vector<UINT> codes = TakeCodes();
        ASSERT_GE(codes.size(), 2u);
        EXPECT_EQ(codes.front(), UINT(CBN_EDITCHANGE));
        EXPECT_NE(std::find(codes.begin(), codes.end(), UINT(CBN_DROPDOWN)), codes.end());
        EXPECT_NE(std::find(codes.begin(), codes.end(), UINT(CBN_CLOSEUP)), codes.end());
        EXPECT_EQ(codes.back(), UINT(CBN_SELENDCANCEL));
    }
}

TEST_F(EditComboTest, TheHintShowsInAnEmptyFieldAndNeverReadsAsText) {
    auto* edit = static_cast<CTKPControlEdit*>(bar->GetControls()->Add(TKP_CONTROL_EDIT, kEditId));
    edit->SetEditHint(u"Find");
    Layout();
    ASSERT_TRUE(edit->HasEditWindow());
    HWND field = edit->GetEditField()->m_hWnd;
    EXPECT_EQ(headless::Text(field), u"Find");
    EXPECT_TRUE(edit->GetEditText().IsEmpty());
    Focus(field);
    EXPECT_EQ(headless::Text(field), u"");
    EXPECT_EQ(TakeCodes(), std::vector<UINT>{EN_SETFOCUS});
    headless::TypeText(u"ab");
    headless::PumpUntilIdle();
    EXPECT_EQ(edit->GetEditText(), CString(u"ab"));
    EXPECT_EQ(TakeCodes(), (std::vector<UINT>{EN_CHANGE, EN_CHANGE}));
    // Esc gives the text of the moment focus came back, and the empty field shows the hint again.
    headless::PressKey(VK_ESCAPE);
    headless::PumpUntilIdle();
    EXPECT_FALSE(edit->IsFocused());
    EXPECT_TRUE(edit->GetEditText().IsEmpty());
    EXPECT_EQ(headless::Text(field), u"Find");
    const std::vector<UINT> codes = TakeCodes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), UINT(EN_KILLFOCUS));
}

TEST_F(EditComboTest, KeysAndItemsAreSavedAndCopied) {
    CTKPControlComboBox* combo = Combo({u"red", u"green"});
    combo->m_nWidth = 150;
    combo->m_nComboStyle = 1;
    combo->m_nDropDownItemCount = 5;
    combo->SetEditHint(u"Colour");
    auto* edit = static_cast<CTKPControlEdit*>(bar->GetControls()->Add(TKP_CONTROL_EDIT, kEditId));
    edit->m_nWidth = 80;
    edit->SetReadOnly(TRUE);

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CTKPPropExchangeArchive px(ar);
        CTKPPropExchangeContext context;
        px.m_pContext = &context;
        std::vector<CTKPCommandBar*> list;
        UINT nextPopupId = 0x1000000;
        bar->CollectForSave(nextPopupId, list, &context);
        ASSERT_TRUE(bars->SaveBars(&px, list));
        for (CTKPCommandBar* saved : list)
            saved->InternalRelease();
        ar.Close();
    }
    file.SeekToBegin();
    std::vector<CTKPCommandBar*> loaded;
    {
        CArchive ar(&file, CArchive::load);
        CTKPPropExchangeArchive px(ar);
        CTKPPropExchangeContext context;
        context.pCommandBars = bars;
        px.m_pContext = &context;
        ASSERT_TRUE(bars->LoadBars(&px, loaded));
    }
    ASSERT_EQ(loaded.size(), 2u);
    std::vector<CTKPCommandBar*> path;
    ASSERT_TRUE(loaded[0]->RelinkPopups(loaded, path));
    auto* loadedCombo = dynamic_cast<CTKPControlComboBox*>(loaded[0]->GetControl(0));
    auto* loadedEdit = dynamic_cast<CTKPControlEdit*>(loaded[0]->GetControl(1));
    ASSERT_NE(loadedCombo, nullptr);
    ASSERT_NE(loadedEdit, nullptr);
    EXPECT_EQ(loadedCombo->m_nWidth, 150);
    EXPECT_EQ(loadedCombo->m_nComboStyle, 1);
    EXPECT_TRUE(loadedCombo->m_bDropDown);
    EXPECT_TRUE(loadedCombo->m_bAutoComplete);
    EXPECT_EQ(loadedCombo->m_nDropDownItemCount, 5);
    EXPECT_EQ(loadedCombo->GetEditHint(), CString(u"Colour"));
    ASSERT_NE(loadedCombo->GetList(), nullptr);
    ASSERT_EQ(loadedCombo->GetList()->GetCount(), 2);
    EXPECT_EQ(loadedCombo->GetList()->GetText(1), CString(u"green"));
    EXPECT_EQ(loadedEdit->m_nWidth, 80);
    EXPECT_TRUE(loadedEdit->m_bReadOnly);

    // A copy has a list of its own with the same items.
    std::unique_ptr<CTKPControl, void (*)(CTKPControl*)> clone(loadedCombo->Clone(),
                                                                 [](CTKPControl* c) { c->InternalRelease(); });
    auto* copied = dynamic_cast<CTKPControlComboBox*>(clone.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied->GetList(), loadedCombo->GetList());
    EXPECT_EQ(copied->GetList()->GetCount(), 2);
    EXPECT_TRUE(copied->Compare(loadedCombo));
    copied->m_nWidth = 10;
    EXPECT_FALSE(copied->Compare(loadedCombo));
    for (CTKPCommandBar* b : loaded)
        b->InternalRelease();
}
