// Tests of dragging panes: the guide pictures, the sides a point is near, the ghost drawn by
// inversion, drops that dock or attach, drops that change nothing, the guides and the translucent
// ghost shown through layered windows, and the site's refusals.
#include <gtest/gtest.h>

#include "tests/toolkit/docking/dock_test_frame.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/docking/dock_drag_context.h"

#include <cstdlib>
#include <string>

using namespace docktest;

namespace {

// The pixels of a bitmap resource, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Picture LoadPicture(UINT id)
{
    Picture picture;
    HBITMAP bitmap = nullptr;
    if (!GetResourceLoader().LoadBitmap(bitmap, id) || !bitmap)
        return picture;
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof(info), &info);
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.pixels.push_back(::GetPixel(dc, x, y));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return picture;
}

struct BitmapCase {
    UINT id;
    int style;
    int first, last;  // the piece entries drawn from it
    int width, height;
};

class GuideBitmapTest : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(GuideBitmapTest, EveryPieceLiesInsideItsSourceRectangle)
{
    const BitmapCase c = GetParam();
    const Picture picture = LoadPicture(c.id);
    ASSERT_EQ(picture.width, c.width);
    ASSERT_EQ(picture.height, c.height);
    int count = 0;
    const CTKPGuidePiece* pieces = GetGuidePieces(c.style, count);
    for (int i = c.first; i <= c.last; ++i) {
        SCOPED_TRACE(i);
        const RECT& r = pieces[i].source;
        ASSERT_LE(r.right, picture.width);
        ASSERT_LE(r.bottom, picture.height);
        // Green (left out) at the corners, a drawn pixel that is not black in the middle.
        EXPECT_EQ(picture.At(r.left, r.top), RGB(0, 255, 0));
        EXPECT_EQ(picture.At(r.right - 1, r.bottom - 1), RGB(0, 255, 0));
        const COLORREF middle = picture.At((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        EXPECT_NE(middle, RGB(0, 255, 0));
        EXPECT_NE(middle, RGB(0, 0, 0));
    }
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, GuideBitmapTest,
                         ::testing::Values(BitmapCase{9903, 0, 10, 10, 43, 43}, BitmapCase{9904, 0, 0, 9, 120, 109},
                                           BitmapCase{9905, 0, 0, 9, 120, 109}, BitmapCase{9906, 0, 0, 9, 120, 109},
                                           BitmapCase{9910, 1, 0, 18, 161, 122}));

TEST(SplitterCursors, BothLoad)
{
    EXPECT_NE(GetResourceLoader().LoadCursor(9970), nullptr);
    EXPECT_NE(GetResourceLoader().LoadCursor(9971), nullptr);
}

// The layout as text: S(h|v ...) splitters, T[ids] tabbed containers, C the client.
std::string Describe(CTKPPaneBase* pane)
{
    if (!pane)
        return "-";
    switch (pane->GetType()) {
    case paneTypeClient:
        return "C";
    case paneTypeTabbedContainer: {
        if (pane->IsHidden())
            return "";
        std::string text = "T[";
        CTKPPaneList panes;
        pane->FindPanes(paneTypeDockingPane, panes);
        for (CTKPPaneBase* item : panes)
            text += std::to_string(static_cast<CTKPPane*>(item)->m_nID);
        return text + "]";
    }
    case paneTypeSplitterContainer: {
        auto* splitter = static_cast<CTKPPaneSplitterContainer*>(pane);
        if (splitter->IsHidden())
            return "";
        std::string text = splitter->IsHorizontal() ? "S(h" : "S(v";
        for (CTKPPaneBase* child : splitter->GetPanes())
            if (std::string inner = Describe(child); !inner.empty())
                text += " " + inner;
        return text + ")";
    }
    default:
        return "?";
    }
}

class DragTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::UseVirtualClock();
        m_frame = OpenFrame(800, 600);
        ::SetActiveWindow(m_frame->m_hWnd);
        m_a = MakePane(Manager(), 1, u"A", 200, 150);
        m_b = MakePane(Manager(), 2, u"B", 200, 150);
        Manager().DockPane(m_a, dockLeftOf);
        Manager().DockPane(m_b, dockRightOf);
        m_frame->RecalcLayout();
        headless::PumpUntilIdle();
        m_frame->notifications.clear();
    }
    void TearDown() override { CloseFrame(m_frame); }
    TestPaneManager& Manager() { return m_frame->m_paneManager; }
    CTKPDockDragContext* Context() { return Manager().GetDragContext(); }
    std::string Layout() { return Describe(Manager().GetTopContainer()); }
    RECT ScreenRect(CTKPPaneBase* pane)
    {
        RECT rc;
        pane->GetWindowRect(&rc);
        return rc;
    }
    // Drags the container of pane from a screen point along the points, then releases.
    void Drag(CTKPPaneBase* pane, POINT from, std::initializer_list<POINT> path, BOOL release = TRUE)
    {
        CWnd* wnd = pane->GetPaneWindow() ? pane->GetPaneWindow() : pane->GetParentContainer()->GetPaneWindow();
        HWND hwnd = wnd->m_hWnd;
        POINT last = from;
        for (POINT pt : path) {
            headless::MouseMoveScreen(pt);
            last = pt;
        }
        POINT client = last;
        ::ScreenToClient(hwnd, &client);
        if (release)
            headless::ButtonUp(hwnd, client);
        Context()->StartDrag(pane, from.x, from.y);
        headless::PumpUntilIdle();
        m_frame->RecalcLayout();
    }
    int Count(int action) const
    {
        int n = 0;
        for (const Notification& note : m_frame->notifications)
            n += note.code == TKP_DPN_ACTION && note.action == action;
        return n;
    }

    DockFrame* m_frame = nullptr;
    CTKPPane* m_a = nullptr;
    CTKPPane* m_b = nullptr;
};

TEST_F(DragTest, SidesOfARectangleByDistance)
{
    struct Case {
        POINT pt;
        BOOL inside;
        int side;  // -1: no hit
    } cases[] = {
        {{110, 110}, TRUE, dockTopOf},     // as near the top as the left: the top wins
        {{105, 150}, TRUE, dockLeftOf},    {{150, 295}, TRUE, dockBottomOf}, {{295, 150}, TRUE, dockRightOf},
        {{200, 200}, TRUE, -1},            {{95, 150}, TRUE, -1},           {{95, 150}, FALSE, dockLeftOf},
        {{150, 310}, FALSE, dockBottomOf}, {{150, 150}, FALSE, -1},         {{150, 330}, FALSE, -1},
    };
    const RECT rc{100, 100, 300, 300};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pt.x << "," << c.pt.y << " inside " << c.inside);
        Context()->m_pTarget = nullptr;
        const BOOL hit = Context()->HitTestSide(rc, c.pt, m_b->GetParentContainer(), c.inside);
        EXPECT_EQ(hit, c.side >= 0);
        if (hit) {
            EXPECT_EQ(Context()->m_nSide, c.side);
        }
    }
    EXPECT_FALSE(Context()->HitTestSide(RECT{0, 0, 0, 0}, POINT{0, 0}, m_b->GetParentContainer(), FALSE));
    // A pane that may not float docks at the nearest side from anywhere inside.
    Context()->m_bFloatable = FALSE;
    EXPECT_TRUE(Context()->HitTestSide(rc, POINT{180, 200}, m_b->GetParentContainer(), TRUE));
    EXPECT_EQ(Context()->m_nSide, dockLeftOf);
    Context()->m_bFloatable = TRUE;
}

TEST_F(DragTest, ASmallMoveOrEscapeChangesNothing)
{
    const std::string before = Layout();
    const RECT a = ScreenRect(m_a->GetParentContainer());
    const POINT from{a.left + 20, a.top + 5};
    Drag(m_a->GetParentContainer(), from, {{from.x + 4, from.y - 4}});
    EXPECT_EQ(Layout(), before);
    EXPECT_EQ(Count(paneActionDocked), 0);

    // Escape during a real move cancels.
    RECT b = ScreenRect(m_b->GetParentContainer());
    headless::MouseMoveScreen(POINT{b.left + 30, b.top + 60});
    headless::KeyDown(VK_ESCAPE);
    headless::MouseMoveScreen(POINT{b.left + 3, b.top + 60});
    headless::ButtonUp(m_a->GetParentContainer()->GetPaneWindow()->m_hWnd, POINT{0, 0});
    Context()->StartDrag(m_a->GetParentContainer(), from.x, from.y);
    headless::PumpUntilIdle();
    EXPECT_EQ(Layout(), before);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(DragTest, DroppingNearASideOfThePaneDocksThere)
{
    const RECT b = ScreenRect(m_b->GetParentContainer());
    const RECT a = ScreenRect(m_a->GetParentContainer());
    const POINT from{a.left + 30, a.top + 40};
    // The site may refuse that side and floating too; then the pane stays.
    const std::string before = Layout();
    m_frame->onAction = [](TKPPaneActionRecord* record) {
        if (record->action == paneActionDocking || record->action == paneActionFloating)
            record->result = 1;
    };
    Drag(m_a->GetParentContainer(), from, {{from.x + 50, from.y + 50}, {b.left + 100, b.bottom - 5}});
    EXPECT_EQ(Layout(), before);
    m_frame->onAction = nullptr;
    // Near the bottom edge inside B: A goes below B.
    Drag(m_a->GetParentContainer(), from, {{from.x + 50, from.y + 50}, {b.left + 100, b.bottom - 5}});
    EXPECT_EQ(Layout(), "S(h S(v C) S(v T[2] T[1]))");
    EXPECT_EQ(Count(paneActionDocked), 1);
    EXPECT_EQ(Manager().GetPaneDirection(m_a), dockRightOf);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(DragTest, HoldingCtrlNeverDocks)
{
    const std::string before = Layout();
    const RECT a = ScreenRect(m_a->GetParentContainer());
    const RECT b = ScreenRect(m_b->GetParentContainer());
    const POINT from{a.left + 30, a.top + 40};
    headless::KeyDown(VK_CONTROL);
    Drag(m_a->GetParentContainer(), from, {{from.x + 50, from.y + 50}, {b.left + 100, b.bottom - 5}});
    headless::KeyUp(VK_CONTROL);
    headless::PumpUntilIdle();
    EXPECT_EQ(Count(paneActionDocking), 0);
    EXPECT_EQ(Count(paneActionDocked), 0);
    // Released, the pane floats where it was dropped.
    EXPECT_EQ(Count(paneActionFloated), 1);
    EXPECT_NE(AsFloatingHolder(m_a->GetHostWindow()), nullptr);
}

TEST_F(DragTest, DroppingOnACaptionAttachesAsATab)
{
    // Refused, the attachment gives way to the side the caption lies at.
    m_frame->refuseAction = paneActionAttaching;
    RECT a = ScreenRect(m_a->GetParentContainer());
    RECT b = ScreenRect(m_b->GetParentContainer());
    POINT from{a.left + 30, a.top + 40};
    Drag(m_a, from, {{from.x + 40, from.y}, {b.left + 60, b.top + 6}});
    EXPECT_EQ(Layout(), "S(h S(v C) S(v T[1] T[2]))");
    EXPECT_EQ(Count(paneActionAttached), 0);

    m_frame->refuseAction = -1;
    a = ScreenRect(m_a->GetParentContainer());
    b = ScreenRect(m_b->GetParentContainer());
    from = POINT{a.left + 30, a.top + 40};
    Drag(m_a, from, {{from.x + 40, from.y}, {b.left + 60, b.top + 6}});
    EXPECT_EQ(Layout(), "S(h S(v C) S(v T[21]))");
    EXPECT_EQ(Count(paneActionAttached), 1);
}

TEST_F(DragTest, AQuitMessageEndsTheDragAndIsKept)
{
    const std::string before = Layout();
    const RECT a = ScreenRect(m_a->GetParentContainer());
    headless::MouseMoveScreen(POINT{a.left + 100, a.top + 100});
    ::PostQuitMessage(3);
    Context()->StartDrag(m_a->GetParentContainer(), a.left + 30, a.top + 40);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    headless::PumpUntilIdle();
    EXPECT_EQ(Layout(), before);
    EXPECT_EQ(::GetCapture(), nullptr);
}

// ---- Translucent ghost and guides --------------------------------------------------------------
struct Snapshot {
    size_t guides = 0;
    DWORD compassFlags = 0;
    BYTE ghostAlpha = 0;
    BOOL ghostShown = FALSE;
};

class GuideTest : public DragTest {
protected:
    void SetUp() override
    {
        DragTest::SetUp();
        Manager().m_bAlphaDockingContext = TRUE;
        Manager().m_bShowDockingContextStickers = TRUE;
        // What the drag shows, taken whenever the site is asked about docking.
        m_frame->onAction = [this](TKPPaneActionRecord* record) {
            if (record->action != paneActionDocking && record->action != paneActionAttaching)
                return;
            Snapshot s;
            s.guides = Context()->GetGuides().size();
            for (CTKPDockGuideWnd* guide : Context()->GetGuides())
                if (guide->m_dwFlags & guideCompass)
                    s.compassFlags = guide->m_dwFlags;
            if (CTKPDockGhostWnd* ghost = Context()->GetGhost(0); ghost && ghost->GetSafeHwnd()) {
                DWORD flags = 0;
                ::GetLayeredWindowAttributes(ghost->m_hWnd, nullptr, &s.ghostAlpha, &flags);
                s.ghostShown = ::IsWindowVisible(ghost->m_hWnd);
            }
            m_last = s;
        };
    }
    void TearDown() override
    {
        m_frame->onAction = nullptr;
        DragTest::TearDown();
    }
    // The screen point of a compass piece over a container's rectangle.
    POINT CompassPoint(const RECT& over, int piece)
    {
        const SIZE size = Context()->GetGuideSize(guideCompass);
        const int left = (over.left + over.right) / 2 - size.cx / 2;
        const int top = (over.top + over.bottom) / 2 - size.cy / 2;
        int count = 0;
        const CTKPGuidePiece& p = GetGuidePieces(Context()->GetGuideStyle(), count)[piece];
        return POINT{left + p.offset.x + (p.source.right - p.source.left) / 2,
                     top + p.offset.y + (p.source.bottom - p.source.top) / 2};
    }

    Snapshot m_last;
};

TEST_F(GuideTest, TheCompassCentreAttachesThroughTranslucentWindows)
{
    ASSERT_NE(Context()->GetLayeredEntry(), nullptr);
    const RECT a = ScreenRect(m_a->GetParentContainer());
    const RECT b = ScreenRect(m_b->GetParentContainer());
    const POINT from{a.left + 30, a.top + 40};
    const POINT centre = CompassPoint(b, 8);
    Drag(m_a->GetParentContainer(), from, {{from.x + 30, from.y + 30}, {centre.x + 1, centre.y}, centre});
    // The compass over B offers every side and the centre; the frame's edges add four arrows.
    EXPECT_EQ(m_last.guides, 5u);
    EXPECT_EQ(m_last.compassFlags, DWORD(guideCompass | guideCentre | 0x0F));
    EXPECT_TRUE(m_last.ghostShown);
    EXPECT_EQ(m_last.ghostAlpha, 100);
    EXPECT_EQ(Layout(), "S(h S(v C) T[21])");
    // Everything the drag showed is gone.
    EXPECT_TRUE(Context()->GetGuides().empty());
    EXPECT_EQ(Context()->GetGhost(0), nullptr);
}

TEST_F(GuideTest, ArrowsDockBesideTheContainerOrAtTheFramesEdge)
{
    const RECT a = ScreenRect(m_a->GetParentContainer());
    const RECT b = ScreenRect(m_b->GetParentContainer());
    const POINT from{a.left + 30, a.top + 40};
    // The compass's top arrow over B: A goes above B.
    const POINT top = CompassPoint(b, 0);
    Drag(m_a->GetParentContainer(), from, {{from.x + 30, from.y + 30}, {top.x + 1, top.y}, top});
    EXPECT_EQ(Layout(), "S(h S(v C) S(v T[1] T[2]))");
    // The single arrow at the frame's bottom edge: B goes under everything.
    RECT outer;
    Manager().GetTopContainer()->GetWindowRect(&outer);
    const SIZE s = Context()->GetGuideSize(guideBottom);
    const POINT edge{(outer.left + outer.right) / 2, outer.bottom - 16 - s.cy / 2};
    const RECT c = ScreenRect(Manager().GetClientPane());
    const POINT start{ScreenRect(m_b->GetParentContainer()).left + 30, ScreenRect(m_b->GetParentContainer()).top + 40};
    Drag(m_b->GetParentContainer(), start, {{c.left + 50, c.top + 50}, {edge.x + 1, edge.y}, edge});
    EXPECT_EQ(Layout(), "S(v S(h S(v C) S(v T[1])) T[2])");
}

TEST_F(GuideTest, WithoutTheLayeredEntryTheGhostIsInverted)
{
    auto* context = Context();
    // A context made without the entry point works as one without translucency.
    const auto saved = context->GetLayeredEntry();
    ASSERT_NE(saved, nullptr);
    struct NoLayered : CTKPDockDragContext {
        using CTKPDockDragContext::CTKPDockDragContext;
        void Clear() { m_pfnSetLayeredWindowAttributes = nullptr; }
    };
    NoLayered plain(&Manager());
    plain.Clear();
    const RECT a = ScreenRect(m_a->GetParentContainer());
    const RECT b = ScreenRect(m_b->GetParentContainer());
    headless::MouseMoveScreen(POINT{a.left + 80, a.top + 80});
    headless::MouseMoveScreen(POINT{b.left + 100, b.bottom - 5});
    headless::ButtonUp(m_a->GetParentContainer()->GetPaneWindow()->m_hWnd, POINT{0, 0});
    plain.StartDrag(m_a->GetParentContainer(), a.left + 30, a.top + 40);
    headless::PumpUntilIdle();
    m_frame->RecalcLayout();
    EXPECT_FALSE(plain.IsTranslucent());
    EXPECT_FALSE(plain.IsGuides());
    EXPECT_EQ(m_last.guides, 0u);
    EXPECT_EQ(Layout(), "S(h S(v C) S(v T[2] T[1]))");
}

// Not a check: the guides and the translucent ghost over the sample frame for a reviewer, when asked.
TEST_F(GuideTest, PictureSavedWhenAFolderIsGiven)
{
    const char* folder = std::getenv("DOVEMARK_DOCK_DRAG_PNGS");
    if (!folder)
        GTEST_SKIP();
    const RECT a = ScreenRect(m_a->GetParentContainer());
    const RECT b = ScreenRect(m_b->GetParentContainer());
    const POINT from{a.left + 30, a.top + 40};
    const POINT left = CompassPoint(b, 1);
    // The layer's windows are saved one by one mid-drag and laid over the frame as the screen shows
    // them: the ghost at its opacity, the guides by their shape.
    m_frame->onAction = [&](TKPPaneActionRecord* record) {
        CTKPDockGhostWnd* ghost = Context()->GetGhost(0);
        if (record->action != paneActionDocking || !ghost || !::IsWindowVisible(ghost->m_hWnd) ||
            Context()->GetGuides().size() < 5)
            return;
        m_frame->onAction = nullptr;
        const std::string dir(folder);
        RECT frame;
        ::GetWindowRect(m_frame->m_hWnd, &frame);
        headless::SavePng(m_frame->m_hWnd, dir + "/frame.png");
        std::string command = "convert " + dir + "/frame.png";
        auto place = [&](HWND hwnd, const std::string& name, const std::string& how) {
            RECT rc;
            ::GetWindowRect(hwnd, &rc);
            headless::SavePng(hwnd, dir + "/" + name);
            command += " \\( " + dir + "/" + name + " " + how + " \\) -geometry +" +
                       std::to_string(rc.left - frame.left) + "+" + std::to_string(rc.top - frame.top) + " -composite";
        };
        place(ghost->m_hWnd, "ghost.png", "-alpha set -channel A -evaluate set 39% +channel");
        int n = 0;
        for (CTKPDockGuideWnd* guide : Context()->GetGuides())
            place(guide->m_hWnd, "guide" + std::to_string(n++) + ".png", "-transparent black");
        command += " " + dir + "/dock_guides.png";
        std::system(command.c_str());
        std::system(("rm -f " + dir + "/frame.png " + dir + "/ghost.png " + dir + "/guide*.png").c_str());
    };
    Drag(m_a->GetParentContainer(), from, {{from.x + 30, from.y + 30}, {left.x + 1, left.y}, left, left});
}

} // namespace
