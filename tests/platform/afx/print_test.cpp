// Printing on a machine without a printer: the print dialog says so and fails, the default printer is not
// found, and a view's print, direct print and print preview commands stop there, printing nothing.
#include "afx/afx.h"
#include "afx/common_dialogs.h"
#include "afx/frame.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The texts of the message boxes shown while `run` runs, each answered with OK.
std::vector<std::u16string> BoxesShownBy(const std::function<void()>& run)
{
    std::vector<std::u16string> texts;
    std::function<void(HWND)> answer = [&](HWND box) {
        std::u16string text;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (GetDlgCtrlID(child) == 0xFFFF)
                text = headless::Text(child);
        texts.push_back(text);
        headless::AnswerNextModal(answer);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    headless::AnswerNextModal(answer);
    run();
    headless::ClearModalAnswers();
    return texts;
}

const std::u16string kNoPrinter = u"No printers are installed. Install a printer before you print.";

TEST(PrintDialogTest, FailsAsWithoutAPrinter)
{
    struct Case {
        const char* what;
        DWORD size, flags;
        size_t boxes;
        DWORD error;
    };
    const Case cases[] = {
        {"print dialog", sizeof(PRINTDLGW), PD_RETURNDC, 1, PDERR_NODEFAULTPRN},
        {"setup dialog", sizeof(PRINTDLGW), PD_PRINTSETUP, 1, PDERR_NODEFAULTPRN},
        {"default printer", sizeof(PRINTDLGW), PD_RETURNDEFAULT, 0, PDERR_NODEFAULTPRN},
        {"no warning", sizeof(PRINTDLGW), PD_RETURNDC | PD_NOWARNING, 0, PDERR_NODEFAULTPRN},
        {"bad size", 12, PD_RETURNDC, 0, CDERR_STRUCTSIZE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PRINTDLGW pd{};
        pd.lStructSize = c.size;
        pd.Flags = c.flags;
        pd.hDC = HDC(7);
        BOOL result = TRUE;
        std::vector<std::u16string> boxes = BoxesShownBy([&] { result = PrintDlgW(&pd); });
        EXPECT_FALSE(result);
        EXPECT_EQ(CommDlgExtendedError(), c.error);
        ASSERT_EQ(boxes.size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(boxes[0], kNoPrinter);
        }
        if (c.size == sizeof(PRINTDLGW)) {
            EXPECT_EQ(pd.hDC, nullptr);
        }
    }
}

class PrintingView : public CView {
public:
    void OnDraw(CDC*) override {}
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override
    {
        prepared.push_back(pInfo->m_bPreview ? "preview" : pInfo->m_bDirect ? "direct" : "print");
        return DoPreparePrinting(pInfo);
    }
    std::vector<std::string> prepared;
};

// A view that prepares nothing of its own.
class PlainView : public CView {
public:
    void OnDraw(CDC*) override {}
};

TEST(PrintCommandsTest, StopAtTheDialogWithoutAPrinter)
{
    CWinApp app;
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, u"print", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300)));
    auto* view = new PrintingView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), frame,
                             AFX_IDW_PANE_FIRST, nullptr));
    auto* plain = new PlainView;
    ASSERT_TRUE(plain->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), frame, 200, nullptr));
    for (UINT id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(BoxesShownBy([&] { view->SendMessage(WM_COMMAND, id); }), std::vector<std::u16string>{kNoPrinter});
        EXPECT_EQ(CommDlgExtendedError(), DWORD(PDERR_NODEFAULTPRN));
        EXPECT_EQ(BoxesShownBy([&] { plain->SendMessage(WM_COMMAND, id); }),
                  std::vector<std::u16string>{u"Printing is not available."});
    }
    EXPECT_EQ(view->prepared, (std::vector<std::string>{"print", "direct", "preview"}));
    EXPECT_EQ(BoxesShownBy([&] { app.OnFilePrintSetup(); }), std::vector<std::u16string>{kNoPrinter});
    frame->DestroyWindow();
}

} // namespace
