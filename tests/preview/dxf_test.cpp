// The drawing-exchange reader on drawings written by the tests, hostile and cut files that must
// fail cleanly, and the drawing view through the pane with a progress dialog double.
#include "preview/dxf_reader.h"
#include "preview/dxf_view.h"
#include "preview/no_preview_view.h"
#include "preview/preview_fixture.h"
#include "preview/preview_progress.h"
#include "res/preview/preview_res.h"

#include <cmath>

namespace {

std::string Pairs(std::initializer_list<std::pair<int, std::string>> pairs)
{
    std::string s;
    for (auto& [code, value] : pairs)
        s += std::to_string(code) + "\n" + value + "\n";
    return s;
}

std::string Section(const std::string& name, const std::string& body)
{
    return Pairs({{0, "SECTION"}, {2, name}}) + body + Pairs({{0, "ENDSEC"}});
}

std::string Drawing(const std::string& entities, const std::string& blocks = std::string())
{
    return Section("HEADER", Pairs({{9, "$ACADVER"}, {1, "AC1009"}})) +
           (blocks.empty() ? std::string() : Section("BLOCKS", blocks)) + Section("ENTITIES", entities) +
           Pairs({{0, "EOF"}});
}

// A square of side 10 from four kinds of entity, and a block of one circle inserted twice.
std::string SampleDrawing()
{
    std::string blocks = Pairs({{0, "BLOCK"}, {2, "ring"}, {10, "5"}, {20, "5"}, {0, "CIRCLE"}, {62, "3"},
                                {10, "5"}, {20, "5"}, {40, "1"}, {0, "ENDBLK"}});
    std::string entities =
        Pairs({{0, "LINE"}, {62, "1"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"},
               {0, "LWPOLYLINE"}, {70, "0"}, {10, "10"}, {20, "0"}, {10, "10"}, {20, "10"},
               {0, "POLYLINE"}, {0, "VERTEX"}, {10, "10"}, {20, "10"}, {0, "VERTEX"}, {10, "0"}, {20, "10"}, {0, "SEQEND"},
               {0, "ARC"}, {62, "5"}, {10, "0"}, {20, "5"}, {40, "5"}, {50, "90"}, {51, "270"},
               {0, "INSERT"}, {2, "RING"}, {10, "3"}, {20, "3"},
               {0, "INSERT"}, {2, "ring"}, {10, "7"}, {20, "7"}, {41, "0.5"}, {42, "0.5"}, {0, "POINT"}, {10, "5"}, {20, "5"}});
    return Drawing(entities, blocks);
}

void Bounds(const std::vector<DxfStroke>& strokes, double& minX, double& minY, double& maxX, double& maxY)
{
    minX = minY = 1e300;
    maxX = maxY = -1e300;
    for (const DxfStroke& s : strokes)
        for (const DxfPoint& p : s.points) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
}

DxfResult ReadAndFlatten(const std::string& text, std::vector<DxfStroke>& strokes)
{
    DxfDrawingData data;
    DxfResult r = ReadDxf(text.data(), text.size(), data);
    return r != DXF_OK ? r : FlattenDxf(data, strokes);
}

} // namespace

TEST(DxfReader, ReadsEntitiesAndExpandsBlocks)
{
    std::vector<DxfStroke> strokes;
    ASSERT_EQ(ReadAndFlatten(SampleDrawing(), strokes), DXF_OK);
    // line, light polyline, polyline, arc, two inserted circles, point
    ASSERT_EQ(strokes.size(), 7u);
    EXPECT_EQ(strokes[0].color, 1);
    EXPECT_EQ(strokes[2].points.size(), 2u);
    double minX, minY, maxX, maxY;
    Bounds(strokes, minX, minY, maxX, maxY);
    // The left half arc reaches x = -5; everything else lies inside the square.
    EXPECT_NEAR(minX, -5, 1e-9);
    EXPECT_NEAR(maxX, 10, 1e-9);
    EXPECT_NEAR(minY, 0, 1e-9);
    EXPECT_NEAR(maxY, 10, 1e-9);
    // The block's base (5,5) lands on the insertion point: the first ring is centred on (3,3) with radius 1,
    // the second, half size, on (7,7).
    Bounds({strokes[4]}, minX, minY, maxX, maxY);
    EXPECT_NEAR(minX, 2, 1e-6);
    EXPECT_NEAR(maxY, 4, 1e-6);
    Bounds({strokes[5]}, minX, minY, maxX, maxY);
    EXPECT_NEAR(minX, 6.5, 1e-6);
    EXPECT_NEAR(maxX, 7.5, 1e-6);
}

TEST(DxfReader, EveryCutOfADrawingFailsCleanly)
{
    std::string text = SampleDrawing();
    // Only the whole text, or the whole text less its last line break, is a complete drawing.
    for (size_t n = 0; n + 1 < text.size(); ++n) {
        std::vector<DxfStroke> strokes;
        EXPECT_NE(ReadAndFlatten(text.substr(0, n), strokes), DXF_OK) << n;
    }
}

TEST(DxfReader, HostileValuesAreRefused)
{
    auto line = [](const std::string& x) {
        return Drawing(Pairs({{0, "LINE"}, {10, x}, {20, "0"}, {11, "1"}, {21, "1"}}));
    };
    std::string selfInsert = Drawing(Pairs({{0, "INSERT"}, {2, "A"}}),
                                     Pairs({{0, "BLOCK"}, {2, "A"}, {0, "INSERT"}, {2, "A"}, {0, "ENDBLK"}}));
    // Ten levels, each inserting the next ten times: 10^10 lines from a tiny file.
    std::string blocks;
    for (int i = 0; i < 10; ++i) {
        blocks += Pairs({{0, "BLOCK"}, {2, "B" + std::to_string(i)}});
        for (int k = 0; k < 10; ++k)
            blocks += Pairs({{0, "INSERT"}, {2, "B" + std::to_string(i + 1)}});
        blocks += Pairs({{0, "ENDBLK"}});
    }
    blocks += Pairs({{0, "BLOCK"}, {2, "B10"}, {0, "LINE"}, {0, "ENDBLK"}});
    std::string bomb = Drawing(Pairs({{0, "INSERT"}, {2, "B0"}}), blocks);
    std::string scaled = Drawing(Pairs({{0, "INSERT"}, {2, "S0"}}),
                                 Pairs({{0, "BLOCK"}, {2, "S0"}, {0, "INSERT"}, {2, "S1"}, {41, "1e12"}, {0, "ENDBLK"},
                                        {0, "BLOCK"}, {2, "S1"}, {0, "INSERT"}, {2, "S2"}, {41, "1e12"}, {0, "ENDBLK"},
                                        {0, "BLOCK"}, {2, "S2"}, {0, "LINE"}, {10, "1e12"}, {0, "ENDBLK"}}));
    const struct {
        const char* name;
        std::string text;
        DxfResult expected;
    } cases[] = {
        {"nan", line("nan"), DXF_DAMAGED},
        {"inf", line("-inf"), DXF_DAMAGED},
        {"huge", line("1e300"), DXF_DAMAGED},
        {"words", line("ten"), DXF_DAMAGED},
        {"long line", line(std::string(5000, '1')), DXF_DAMAGED},
        {"code not a number", Drawing("x1\n0\n"), DXF_DAMAGED},
        {"value missing", Section("ENTITIES", Pairs({{0, "LINE"}})) + "10\n", DXF_DAMAGED},
        {"no end", Section("ENTITIES", ""), DXF_DAMAGED},
        {"block not closed", Section("BLOCKS", Pairs({{0, "BLOCK"}})) + Pairs({{0, "EOF"}}), DXF_DAMAGED},
        {"self insert", selfInsert, DXF_TOO_LARGE},
        {"insert bomb", bomb, DXF_TOO_LARGE},
        {"scale overflow", scaled, DXF_DAMAGED},
    };
    for (const auto& c : cases) {
        std::vector<DxfStroke> strokes;
        EXPECT_EQ(ReadAndFlatten(c.text, strokes), c.expected) << c.name;
        EXPECT_TRUE(strokes.empty()) << c.name;
    }
}

// ---- The view ------------------------------------------------------------------------------------

namespace {

struct ProgressCounts {
    int created = 0, destroyed = 0, throwOnRange = 0;
} g_progress;

class ProgressDouble : public IPreviewProgressDlg {
public:
    BOOL Create(CWnd*) override
    {
        ++g_progress.created;
        return TRUE;
    }
    void SetRange(int, int) override
    {
        if (g_progress.throwOnRange)
            throw std::runtime_error("range");
    }
    HWND GetSafeHwnd() const override { return nullptr; }
    BOOL DestroyWindow() override
    {
        ++g_progress.destroyed;
        return TRUE;
    }
};

class DxfPaneTest : public PreviewPaneTest {
protected:
    void SetUp() override
    {
        g_progress = ProgressCounts();
        SetPreviewProgressFactory([]() -> std::unique_ptr<IPreviewProgressDlg> {
            return std::make_unique<ProgressDouble>();
        });
        PreviewPaneTest::SetUp();
    }
    void TearDown() override
    {
        PreviewPaneTest::TearDown();
        SetPreviewProgressFactory(nullptr);
    }
    CDFXView* View() { return static_cast<CDFXView*>(pane->m_pDxfView); }
    int LitPixels()
    {
        CClientDC dc(&View()->m_canvas);
        CRect rc;
        View()->m_canvas.GetClientRect(&rc);
        int lit = 0;
        for (int y = 0; y < rc.bottom; y += 2)
            for (int x = 0; x < rc.right; x += 2)
                lit += dc.GetPixel(x, y) != RGB(0, 0, 0);
        return lit;
    }
};

} // namespace

TEST_F(DxfPaneTest, DrawingIsShownFittedAndZoomsAndPans)
{
    Preview(WriteFile("plan.DXF", SampleDrawing()), u".DXF");
    ASSERT_NE(View(), nullptr);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(host.ok, 1);
    EXPECT_EQ(g_progress.created, 1);
    EXPECT_EQ(g_progress.destroyed, 1);
    ASSERT_TRUE(View()->m_drawing.IsValid());
    SavePicture("dxf");
    EXPECT_GT(LitPixels(), 50);

    // A notch forward and one back come back to the same zoom; the centre stays where it was.
    CDxfDrawing& d = View()->m_drawing;
    DrwViewProperties before{}, after{};
    d.GetViewProperties(&before);
    HWND hView = View()->m_hWnd;
    SendMessageW(hView, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_NEAR(d.GetZoom(), 1.5, 1e-12);
    SendMessageW(hView, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA), 0);
    d.GetViewProperties(&after);
    EXPECT_NEAR(after.zoom, before.zoom, 1e-12);
    EXPECT_NEAR(after.viewLeft, before.viewLeft, 1e-6);
    EXPECT_NEAR(after.viewBottom, before.viewBottom, 1e-6);

    // Dragging 20 right and 10 down with either button moves the view origin by the same amount.
    HWND hCanvas = View()->m_canvas.m_hWnd;
    for (auto [down, up] : {std::pair{WM_LBUTTONDOWN, WM_LBUTTONUP}, std::pair{WM_MBUTTONDOWN, WM_MBUTTONUP}}) {
        d.GetViewProperties(&before);
        SendMessageW(hCanvas, down, 0, MAKELPARAM(50, 50));
        SendMessageW(hCanvas, WM_MOUSEMOVE, 0, MAKELPARAM(70, 60));
        SendMessageW(hCanvas, up, 0, MAKELPARAM(70, 60));
        d.GetViewProperties(&after);
        double scale = before.pixelsPerUnit * before.zoom;
        EXPECT_NEAR(after.viewLeft, before.viewLeft - 20 / scale, 1e-9);
        EXPECT_NEAR(after.viewBottom, before.viewBottom + 10 / scale, 1e-9);
        EXPECT_EQ(View()->m_canvas.m_bDragging, 0);
    }
}

// The header section is optional: drawings opening with their tables, blocks or entities are drawn.
TEST_F(DxfPaneTest, DrawingsWithoutAHeaderSectionAreDrawn)
{
    const std::string line = Pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "10"}});
    const std::string end = Section("ENTITIES", line) + Pairs({{0, "EOF"}});
    const std::pair<const char*, std::string> cases[] = {
        {"entities only", end},
        {"tables first", Section("TABLES", Pairs({{0, "TABLE"}, {2, "LAYER"}, {0, "ENDTAB"}})) + end},
        {"blocks first", Section("BLOCKS", Pairs({{0, "BLOCK"}, {2, "b"}, {0, "ENDBLK"}})) + end},
    };
    for (const auto& [name, text] : cases) {
        Preview(WriteFile("plan.dxf", text), u".dxf");
        EXPECT_EQ(host.ok, 1) << name;
        EXPECT_EQ(pane->m_pNoPreviewView, nullptr) << name;
    }
}

TEST_F(DxfPaneTest, DamagedOrForeignFilesShowAsDamagedAndCloseTheProgressDialog)
{
    std::string text = SampleDrawing();
    std::string lateHeader = Pairs({{999, std::string(600, 'c')}}) + text;
    for (const std::string& bytes : {std::string(), text.substr(0, text.size() / 2), lateHeader,
                                     Drawing(Pairs({{0, "LINE"}, {10, "nan"}})), std::string("not a drawing")}) {
        Preview(WriteFile("bad.dxf", bytes), u".dxf");
        EXPECT_EQ(host.ok, 0);
        ASSERT_NE(pane->m_pNoPreviewView, nullptr);
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
        EXPECT_EQ(g_progress.created, g_progress.destroyed);
    }
    // A file gone before the view opens it, and a dialog that throws while it is set up.
    Preview(u"/nonexistent/plan.dxf", u".dxf");
    EXPECT_EQ(host.ok, 0);
    g_progress.throwOnRange = 1;
    Preview(WriteFile("plan.dxf", text), u".dxf");
    EXPECT_EQ(host.ok, 0);
    EXPECT_EQ(g_progress.created, g_progress.destroyed);
    EXPECT_GT(g_progress.created, 5);
}
