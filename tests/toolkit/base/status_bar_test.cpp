// Tests of the status bar: indicators, the parts' layout with stretch panes, pane texts, the
// window-text messages and the drawing of a pane entry.
#include <gtest/gtest.h>

#include "afx/frame.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/status_bar.h"
#include "backend/headless/driver.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/tip_context.h"
#include "test_windows.h"
#include "controls/paint_probe.h"

#include <vector>

namespace {

int LoadTestString(UINT id, LPWSTR buffer, int cchMax)
{
    const char16_t* text = id == 101 ? u"CAP" : id == 102 ? u"NUM" : id == 103 ? u"Ready to scan" : nullptr;
    if (!text || cchMax <= 0)
        return 0;
    int n = 0;
    while (text[n] && n < cchMax - 1) {
        buffer[n] = text[n];
        ++n;
    }
    buffer[n] = 0;
    return n;
}

// Records the panes the bar paints, and where.
class RecordingStatusBar : public CTKPStatusBar {
public:
    void DrawPaneEntry(HDC hdc, int index, const RECT& rc) override
    {
        painted.push_back(index);
        CTKPStatusBar::DrawPaneEntry(hdc, index, rc);
    }
    std::vector<int> painted;
};

// A frame whose handlers disable CAP and check NUM with a text of its own.
class UpdatingFrame : public CFrameWnd {
public:
    BOOL capEnabled = FALSE;
    void OnUpdateCap(CCmdUI* ui) { ui->Enable(capEnabled); }
    void OnUpdateNum(CCmdUI* ui)
    {
        ui->SetCheck(1);
        ui->SetText(u"NUM on");
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(UpdatingFrame, CFrameWnd)
    ON_UPDATE_COMMAND_UI(101, OnUpdateCap)
    ON_UPDATE_COMMAND_UI(102, OnUpdateNum)
END_MESSAGE_MAP()

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AfxSetLoadStringProc(&LoadTestString);
        SetGlobalTheme(TKP_THEME_NATIVE);
        tktest::RegisterPlainWindowClass(u"TkStatusParent");
        HWND hwnd = CreateWindowExW(0, u"TkStatusParent", u"f", WS_POPUP | WS_VISIBLE, 0, 0, 1100, 300, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        m_parent.Attach(hwnd);
        ASSERT_TRUE(m_bar.Create(&m_parent));
        m_bar.MoveWindow(0, 270, 1000, 22);
    }
    void TearDown() override
    {
        m_bar.DestroyWindow();
        m_parent.DestroyWindow();
        AfxSetLoadStringProc(nullptr);
    }
    std::vector<int> Parts()
    {
        int rights[16] = {};
        int n = int(m_bar.SendMessage(SB_GETPARTS, 16, LPARAM(rights)));
        return std::vector<int>(rights, rights + n);
    }
    int Borders(int which)
    {
        int b[3] = {};
        m_bar.SendMessage(SB_GETBORDERS, 0, LPARAM(b));
        return b[which];
    }
    CString ControlText(int part)
    {
        WCHAR buffer[64] = {};
        m_bar.SendMessage(SB_GETTEXT, WPARAM(part), LPARAM(buffer));
        return CString(buffer);
    }
    CWnd m_parent;
    RecordingStatusBar m_bar;
};

} // namespace

TEST_F(StatusBarTest, IndicatorsMakeALeadingStretchSeparatorAndSizedTextPanes) {
    const UINT ids[] = {0, 101, 102};
    ASSERT_TRUE(m_bar.SetIndicators(ids, 3));
    ASSERT_EQ(m_bar.GetPaneCount(), 3);
    CTKPStatusBarPane* first = m_bar.GetPane(0);
    EXPECT_EQ(first->m_cxText, GetSystemMetrics(SM_CXSCREEN) / 4);
    EXPECT_EQ(first->m_nStyle, UINT(TKP_SBPS_STRETCH | TKP_SBPS_NOBORDERS));
    EXPECT_EQ(m_bar.GetPane(1)->GetText(), CString(u"CAP"));
    EXPECT_GT(m_bar.GetPane(1)->m_cxText, 0);
    EXPECT_EQ(m_bar.GetPane(3), nullptr);
    EXPECT_EQ(m_bar.GetPane(-1), nullptr);
    EXPECT_EQ(m_bar.CommandToIndex(102), 2);
    EXPECT_EQ(m_bar.CommandToIndex(7), -1);
    EXPECT_EQ(ControlText(1), CString(u"CAP"));

    // A missing string stops the indicators there and keeps what was made.
    const UINT missing[] = {101, 999, 102};
    EXPECT_FALSE(m_bar.SetIndicators(missing, 3));
    EXPECT_EQ(m_bar.GetPaneCount(), 1);
    m_bar.RemoveAll();
    EXPECT_EQ(m_bar.GetPaneCount(), 0);
}

TEST_F(StatusBarTest, StretchPanesShareTheWidthLeftOver) {
    const struct { const char* name; int barWidth; bool secondStretches; } cases[] = {
        {"one stretch pane", 1000, false}, {"two, even", 1000, true}, {"two, odd", 1001, true},
        {"too narrow", 200, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_bar.MoveWindow(0, 270, c.barWidth, 22);
        const UINT ids[] = {0, 103, 102};
        ASSERT_TRUE(m_bar.SetIndicators(ids, 3));
        if (c.secondStretches)
            m_bar.SetPaneStyle(1, m_bar.GetPaneStyle(1) | TKP_SBPS_STRETCH);
        const int spacing = Borders(2);
        int left = c.barWidth + spacing;
        for (int i = 0; i < 3; ++i)
            left -= m_bar.GetPane(i)->m_cxText + 6 + spacing;
        const std::vector<int> rights = Parts();
        ASSERT_EQ(rights.size(), 3u);
        std::vector<int> extra(3, 0);
        if (left > 0) {
            extra[0] = c.secondStretches ? left / 2 : left;
            extra[1] = c.secondStretches ? left - left / 2 : 0;
        }
        int x = Borders(0);
        for (int i = 0; i < 3; ++i) {
            x += m_bar.GetPane(i)->m_cxText + 6 + extra[size_t(i)];
            EXPECT_EQ(rights[size_t(i)], x) << "pane " << i;
            x += spacing;
        }
        if (left > 0) {
            EXPECT_EQ(rights[2], Borders(0) + c.barWidth);
        }
    }
}

TEST_F(StatusBarTest, PaneTextReachesTheControlOnlyWhenUpdated) {
    const UINT ids[] = {0, 101};
    ASSERT_TRUE(m_bar.SetIndicators(ids, 2));
    EXPECT_TRUE(m_bar.SetPaneText(1, u"OVR", FALSE));
    EXPECT_EQ(m_bar.GetPaneText(1), CString(u"OVR"));
    EXPECT_EQ(ControlText(1), CString(u"CAP"));
    m_bar.UpdateAllPanes(FALSE, TRUE);
    EXPECT_EQ(ControlText(1), CString(u"OVR"));
    EXPECT_TRUE(m_bar.SetPaneText(1, u"OVR"));

    // A disabled pane keeps its text but shows none.
    m_bar.SetPaneStyle(1, TKP_SBPS_DISABLED);
    EXPECT_EQ(ControlText(1), CString());
    EXPECT_EQ(m_bar.GetPaneText(1), CString(u"OVR"));
    EXPECT_FALSE(m_bar.SetPaneText(5, u"x"));
    m_bar.GetPane(1)->m_bVisible = FALSE;
    EXPECT_FALSE(m_bar.SetPaneText(1, u"hidden"));
}

TEST_F(StatusBarTest, WindowTextIsThatOfTheSeparatorPane) {
    const UINT noSeparator[] = {101};
    ASSERT_TRUE(m_bar.SetIndicators(noSeparator, 1));
    EXPECT_EQ(m_bar.SendMessage(WM_SETTEXT, 0, LPARAM(u"Scanning")), -1);

    const UINT ids[] = {0, 101};
    ASSERT_TRUE(m_bar.SetIndicators(ids, 2));
    EXPECT_EQ(m_bar.SendMessage(WM_SETTEXT, 0, LPARAM(u"0123456789")), 0);
    EXPECT_EQ(m_bar.SendMessage(WM_GETTEXTLENGTH, 0, 0), 10);
    const struct { int size; LRESULT result; const char16_t* text; } cases[] = {
        {4, 4, u"012"}, {11, 11, u"0123456789"}, {40, 11, u"0123456789"}, {1, 1, u""}, {0, 0, u"untouched"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        WCHAR buffer[40];
        const char16_t untouched[] = u"untouched";
        for (int i = 0; i < 10; ++i)
            buffer[i] = untouched[i];
        EXPECT_EQ(m_bar.SendMessage(WM_GETTEXT, WPARAM(c.size), LPARAM(buffer)), c.result);
        EXPECT_EQ(CString(buffer), CString(c.text));
    }
}

TEST_F(StatusBarTest, PaintingGoesThroughEveryVisiblePane) {
    const UINT ids[] = {0, 101, 102};
    ASSERT_TRUE(m_bar.SetIndicators(ids, 3));
    m_bar.GetPane(1)->m_bVisible = FALSE;
    m_bar.UpdateAllPanes(TRUE, TRUE);
    EXPECT_EQ(m_bar.GetVisiblePaneCount(), 2);
    EXPECT_EQ(Parts().size(), 2u);
    m_bar.painted.clear();
    m_bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(m_bar.painted, (std::vector<int>{0, 2}));
    RECT rc{};
    m_bar.GetItemRect(2, &rc);
    EXPECT_EQ(rc.right - rc.left, m_bar.GetPane(2)->m_cxText + 3 * GetSystemMetrics(SM_CXEDGE));
    POINT inside{rc.left + 1, rc.top + 1};
    EXPECT_EQ(m_bar.HitTest(inside), m_bar.GetPane(2));
    m_bar.GetItemRect(1, &rc);
    EXPECT_TRUE(IsRectEmpty(&rc));
}

TEST_F(StatusBarTest, CommandHandlersEnableCheckAndWritePanes) {
    const UINT ids[] = {0, 101, 102, 103};
    ASSERT_TRUE(m_bar.SetIndicators(ids, 4));
    m_bar.SetWindowText(u"Ready");
    UpdatingFrame frame;
    m_bar.OnUpdateCmdUI(&frame, TRUE);
    EXPECT_TRUE(m_bar.GetPaneStyle(1) & TKP_SBPS_DISABLED);
    EXPECT_EQ(ControlText(1), CString());
    EXPECT_TRUE(m_bar.GetPaneStyle(2) & TKP_SBPS_POPOUT);
    EXPECT_EQ(ControlText(2), CString(u"NUM on"));
    // No handler anywhere: disabled; the separator has no command and keeps its text.
    EXPECT_TRUE(m_bar.GetPaneStyle(3) & TKP_SBPS_DISABLED);
    EXPECT_FALSE(m_bar.GetPaneStyle(0) & TKP_SBPS_DISABLED);
    EXPECT_EQ(ControlText(0), CString(u"Ready"));

    frame.capEnabled = TRUE;
    m_bar.OnUpdateCmdUI(&frame, FALSE);
    EXPECT_FALSE(m_bar.GetPaneStyle(1) & TKP_SBPS_DISABLED);
    EXPECT_EQ(ControlText(1), CString(u"CAP"));
}

TEST_F(StatusBarTest, HostedWindowsSitInsideTheirPanes) {
    const UINT ids[] = {0, 101, 102};
    ASSERT_TRUE(m_bar.SetIndicators(ids, 3));
    const struct { int pane; UINT style; int inset; } cases[] = {
        {1, 0, GetSystemMetrics(SM_CXEDGE)}, {2, TKP_SBPS_NOBORDERS, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pane);
        auto* wnd = new CTKPStatusBarPaneWnd;
        ASSERT_TRUE(wnd->Create(u"child", WS_CHILD | WS_VISIBLE, CRect(0, 0, 5, 5), &m_bar, 40 + c.pane));
        EXPECT_EQ(wnd->m_strText, CString(u"child"));
        CTKPStatusBarPane* pane = m_bar.GetPane(c.pane);
        pane->m_nStyle |= c.style;
        pane->m_hWndPane = wnd->m_hWnd;
        pane->m_bAutoDeleteWnd = TRUE;
        m_bar.UpdateAllPanes(TRUE, FALSE);
        RECT item{}, placed{};
        m_bar.GetItemRect(c.pane, &item);
        GetWindowRect(wnd->m_hWnd, &placed);
        MapWindowPoints(nullptr, m_bar, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, item.left + c.inset);
        EXPECT_EQ(placed.right, item.right - c.inset);
        EXPECT_EQ(placed.top, item.top + c.inset);
        wnd->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        // The pane destroys the window it was asked to own.
        HWND hwnd = wnd->m_hWnd;
        m_bar.RemoveAll();
        EXPECT_FALSE(IsWindow(hwnd));
        delete wnd;
        ASSERT_TRUE(m_bar.SetIndicators(ids, 3));
    }
}

TEST(StatusPaneDrawing, BackgroundAlignmentAndColours) {
    SetGlobalTheme(TKP_THEME_CLASSIC);
    CTKPPaintManager* manager = GetGlobalPaintManager();
    ASSERT_NE(manager, nullptr);
    const COLORREF white = RGB(255, 255, 255), red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    const struct { const char* name; UINT style; int alignment; COLORREF text; COLORREF corner; bool inkLeft; bool inkRight;
        COLORREF ink; } cases[] = {
        {"left, own colour", 0, 0, blue, white, true, false, blue},
        {"right, no borders", TKP_SBPS_NOBORDERS, 2, blue, red, false, true, blue},
        {"disabled", TKP_SBPS_DISABLED, 0, blue, white, true, false, manager->GetColor(17)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PaintProbe probe(200, 20, white);
        const HDC dc = probe.dc();
        RECT all{0, 0, 200, 20};

        CTKPStatusBarPane pane(nullptr, 1);
        pane.m_strText = u"HHHH";
        pane.m_nStyle = c.style;
        pane.m_nAlignment = c.alignment;
        pane.m_clrText = c.text;
        pane.m_clrBackground = red;
        pane.m_hFont = HFONT(GetStockObject(DEFAULT_GUI_FONT));
        manager->DrawStatusBarPaneEntry(dc, all, &pane);
        EXPECT_EQ(GetPixel(dc, 0, 0), c.corner);
        EXPECT_EQ(GetPixel(dc, 1, 1), red);
        bool left = false, right = false, inkSeen = false;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 200; ++x) {
                COLORREF p = GetPixel(dc, x, y);
                if (p == red || p == white)
                    continue;
                (x < 100 ? left : right) = true;
                inkSeen = inkSeen || p == c.ink;
            }
        EXPECT_EQ(left, c.inkLeft);
        EXPECT_EQ(right, c.inkRight);
        EXPECT_TRUE(inkSeen);
    }
}

TEST_F(StatusBarTest, PaneIconsComeFromTheImageManagerOfTheBars) {
    ASSERT_TRUE(GetGlobalImageManager()->SetIconsFromResource(9200));
    const UINT ids[] = {0, 101};
    ASSERT_TRUE(m_bar.SetIndicators(ids, 2));
    CTKPStatusBarPane* pane = m_bar.GetPane(1);
    EXPECT_EQ(pane->GetIcon(), nullptr);
    const int textOnly = pane->m_cxText;
    pane->m_nIconId = 201;
    EXPECT_EQ(pane->GetIcon(), GetGlobalImageManager()->GetImage(201, 16));
    pane->BestFit();
    EXPECT_EQ(pane->m_cxText, textOnly + 16 + 2);
    pane->m_strText.Empty();
    pane->BestFit();
    EXPECT_EQ(pane->m_cxText, 16);

    // With command bars the bar takes their image and paint managers.
    CTKPCommandBars bars;
    auto* own = new CTKPImageManager();
    ASSERT_TRUE(own->SetIconsFromResource(9201));
    bars.SetImageManager(own);
    m_bar.SetCommandBars(&bars);
    EXPECT_EQ(m_bar.GetImageManager(), own);
    EXPECT_EQ(m_bar.GetPaintManager(), bars.GetPaintManager());
    EXPECT_EQ(pane->GetIcon(), nullptr);
    pane->m_nIconId = 300;
    EXPECT_EQ(pane->GetIcon(), own->GetImage(300, 16));
    m_bar.SetCommandBars(nullptr);
    EXPECT_EQ(m_bar.GetImageManager(), GetGlobalImageManager());

    // A bar in a toolkit frame takes the frame's command bars (the frame deletes itself).
    auto* frame = new CTKPFrameWnd();
    ASSERT_TRUE(frame->Create(nullptr, u"frame", WS_OVERLAPPEDWINDOW));
    frame->m_pCommandBars = new CTKPCommandBars();
    auto* framed = new CTKPImageManager();
    frame->m_pCommandBars->SetImageManager(framed);
    CTKPStatusBar inFrame;
    ASSERT_TRUE(inFrame.Create(frame));
    EXPECT_EQ(inFrame.GetCommandBars(), frame->m_pCommandBars);
    EXPECT_EQ(inFrame.GetImageManager(), framed);
    inFrame.DestroyWindow();
    frame->DestroyWindow();
}

TEST_F(StatusBarTest, PanesWithATooltipAreTools) {
    const UINT ids[] = {0, 101, 102};
    ASSERT_TRUE(m_bar.SetIndicators(ids, 3));
    m_bar.GetPane(1)->m_strTooltip = u"Caps lock";
    RECT item{};
    m_bar.GetItemRect(1, &item);
    const struct { const char* name; int pane; INT_PTR id; } cases[] = {
        {"pane with a tooltip", 1, 101}, {"pane without", 2, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RECT rc{};
        m_bar.GetItemRect(c.pane, &rc);
        TOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V1_SIZE;
        EXPECT_EQ(m_bar.OnToolHitTest(CPoint(rc.left + 3, rc.top + 3), &ti), c.id);
        if (c.id != -1) {
            EXPECT_EQ(CString(ti.lpszText), CString(u"Caps lock"));
            EXPECT_TRUE(EqualRect(&ti.rect, &rc));
            EXPECT_EQ(ti.hwnd, m_bar.m_hWnd);
        }
        CTKPTipContext::FreeToolInfo(&ti);
    }

    // Moving the mouse over the pane shows its tip after the delay.
    headless::UseVirtualClock();
    SetActiveWindow(m_parent);
    headless::MouseMove(m_bar, POINT{item.left + 4, item.top + 4});
    headless::PumpUntilIdle();
    headless::MouseMove(m_bar, POINT{item.left + 5, item.top + 4});
    headless::PumpUntilIdle();
    headless::AdvanceClock(1000);
    headless::PumpUntilIdle();
    headless::Query shown{u"tooltips_class32"};
    shown.visibleOnly = true;
    EXPECT_EQ(headless::FindAll(shown).size(), 1u);
    // A key press puts it away.
    m_bar.GetToolTipContext()->RelayToolTipMessage(&m_bar, WM_KEYDOWN, VK_SPACE, 0);
    headless::PumpUntilIdle();
}

TEST_F(StatusBarTest, BorderStylesBecomeTheNonClientArea) {
    RECT window{}, client{};
    m_bar.GetWindowRect(&window);
    m_bar.GetClientRect(&client);
    EXPECT_EQ(client.right, window.right - window.left);
    EXPECT_EQ(client.bottom, window.bottom - window.top);
    // Borders on the left and at the bottom are taken from the client area; the top border gives
    // back two pixels.
    m_bar.SetBarStyle(m_bar.GetBarStyle() | CBRS_BORDER_LEFT | CBRS_BORDER_BOTTOM);
    m_bar.GetClientRect(&client);
    const int edge = 2 * GetSystemMetrics(SM_CXBORDER);
    EXPECT_EQ(client.right, window.right - window.left - edge);
    EXPECT_EQ(client.bottom, window.bottom - window.top - 2 * GetSystemMetrics(SM_CYBORDER));
    EXPECT_EQ(m_bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.left + 1, window.top + 5)), HTCLIENT);
}

TEST(StatusPaneDrawing, IconBeforeTheTextGreyWhenDisabled) {
    SetGlobalTheme(TKP_THEME_CLASSIC);
    CTKPPaintManager* manager = GetGlobalPaintManager();
    ASSERT_TRUE(GetGlobalImageManager()->SetIconsFromResource(9200));
    const struct { const char* name; UINT style; COLORREF ink; } cases[] = {
        {"enabled", 0, RGB(255, 0, 0)}, {"disabled", TKP_SBPS_DISABLED, RGB(139, 139, 139)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PaintProbe probe(200, 22, RGB(255, 255, 255));
        const HDC dc = probe.dc();
        RECT all{0, 0, 200, 22};
        CTKPStatusBarPane pane(nullptr, 1);
        pane.m_strText = u"HHHH";
        pane.m_nStyle = c.style;
        pane.m_nIconId = 200;
        pane.m_hFont = HFONT(GetStockObject(DEFAULT_GUI_FONT));
        manager->DrawStatusBarPaneEntry(dc, all, &pane);
        // The icon sits 2 pixels in, vertically centred; the text starts after it.
        EXPECT_EQ(GetPixel(dc, 2 + 6, 11), c.ink);
        bool textAfterIcon = false;
        for (int y = 0; y < 22; ++y)
            for (int x = 20; x < 60; ++x)
                textAfterIcon = textAfterIcon || GetPixel(dc, x, y) != RGB(255, 255, 255);
        EXPECT_TRUE(textAfterIcon);
    }
}
