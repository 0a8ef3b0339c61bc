// Tests of the command bars of a frame: bar lookups, hidden commands, print preview and the frame
// messages they take.
#include <gtest/gtest.h>

#include "backend/headless/driver.h"
#include "toolkit/base/edit.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/tool_bar.h"

TEST(CommandBarsSet, LookupsHiddenCommandsAndPreview) {
    CTKPCommandBars bars;
    EXPECT_EQ(bars.GetCount(), 0);
    CTKPToolBar* standard = bars.AddToolBar(u"Standard", 128);
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->GetCommandBars(), &bars);
    EXPECT_EQ(standard->GetDockingFlags(), 0x3Fu);
    EXPECT_EQ(bars.GetToolBar(128), standard);
    EXPECT_EQ(bars.GetToolBar(0), nullptr);
    EXPECT_EQ(bars.GetAt(1), nullptr);
    EXPECT_EQ(bars.FindIndex(standard), 0);

    const UINT hidden[] = {10, 11};
    bars.HideCommands(hidden, 2);
    EXPECT_TRUE(bars.IsCommandHidden(10));
    bars.MarkCommandUsed(10);
    EXPECT_FALSE(bars.IsCommandHidden(10));
    EXPECT_TRUE(bars.IsCommandHidden(11));
    EXPECT_FALSE(bars.IsCommandHidden(12));

    // Print preview switches the shortcuts off for as long as it lasts.
    bars.OnSetPreviewMode(TRUE);
    EXPECT_EQ(bars.GetShortcutTable()->GetDisableCount(), 1);
    bars.OnSetPreviewMode(FALSE);
    EXPECT_EQ(bars.GetShortcutTable()->GetDisableCount(), 0);

    bars.Remove(standard);
    EXPECT_EQ(bars.GetCount(), 0);
}

TEST(CommandBarsSet, AFocusedToolkitEditTakesItsClipboardCommands) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), u"p", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                                nullptr));
    CTKPEdit edit;
    ASSERT_TRUE(edit.CreateEdit(WS_CHILD | WS_VISIBLE, &parent));
    CTKPCommandBars bars;
    const struct { const char* name; bool focusEdit; UINT id; BOOL taken; } cases[] = {
        {"edit with the focus, copy", true, ID_EDIT_COPY, TRUE},
        {"edit with the focus, other command", true, 40001, FALSE},
        {"edit without the focus", false, ID_EDIT_COPY, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::SetFocus(c.focusEdit ? edit.m_hWnd : parent.m_hWnd);
        LRESULT result = 0;
        EXPECT_EQ(bars.OnFrameWndMsg(WM_COMMAND, c.id, 0, &result), c.taken);
        EXPECT_EQ(result, c.taken ? 1 : 0);
    }
    edit.DestroyWindow();
    parent.DestroyWindow();
}
