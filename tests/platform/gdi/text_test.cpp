// Text: metrics, measuring against drawing, alignment, DrawText placement, justification, rotation, fallback.
#include "gdi_fixture.h"

#include <string>

namespace {

struct InkBox {
    RECT box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    int count = 0;
};

InkBox InkOf(const MemDC& m, int w, int h, COLORREF paper = RGB(255, 255, 255))
{
    InkBox ink;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (m.At(x, y) != paper) {
                ++ink.count;
                ink.box.left = std::min<LONG>(ink.box.left, x);
                ink.box.top = std::min<LONG>(ink.box.top, y);
                ink.box.right = std::max<LONG>(ink.box.right, x + 1);
                ink.box.bottom = std::max<LONG>(ink.box.bottom, y + 1);
            }
    return ink;
}

// A memory DC with a fixed test font selected and transparent black text.
class TextDC : public MemDC {
public:
    TextDC(int w, int h, const char16_t* face = u"Arial", int height = -16, int escapement = 0, int weight = FW_NORMAL)
        : MemDC(w, h), w_(w), h_(h)
    {
        font = CreateFontW(height, 0, escapement, escapement, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
        oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
    }
    ~TextDC()
    {
        SelectObject(dc, oldFont);
        DeleteObject(font);
    }
    InkBox Ink() const { return InkOf(*this, w_, h_); }
    SIZE Extent(const std::u16string& s) const
    {
        SIZE sz{};
        GetTextExtentPoint32W(dc, s.data(), int(s.size()), &sz);
        return sz;
    }
    HFONT font;
    HGDIOBJ oldFont;
    int w_, h_;
};

bool SamePixels(const MemDC& a, const MemDC& b, int w, int h)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (a.Raw(x, y) != b.Raw(x, y))
                return false;
    return true;
}

} // namespace

TEST(Fonts, MetricsAgreeWithTheRequestedHeight)
{
    struct Case {
        int height;
    } cases[] = {{-16}, {-12}, {20}, {13}};
    for (const Case& c : cases) {
        TextDC t(4, 4, u"Tahoma", c.height);
        TEXTMETRICW tm{};
        ASSERT_TRUE(GetTextMetricsW(t.dc, &tm));
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        if (c.height > 0)
            EXPECT_EQ(tm.tmHeight, c.height);
        else
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -c.height);
        EXPECT_GT(tm.tmAveCharWidth, 0);
        EXPECT_EQ(t.Extent(u"x").cy, tm.tmHeight);
        WCHAR face[LF_FACESIZE] = {};
        EXPECT_EQ(GetTextFaceW(t.dc, LF_FACESIZE, face), 7);
        EXPECT_EQ(std::u16string(face), u"Tahoma");
    }
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(GetTextCharsetInfo(dc, nullptr, 0), GB2312_CHARSET);
    DeleteDC(dc);
}

// Drawing a string in two pieces, the second at the first's measured extent, gives the
// same pixels as drawing it whole.
TEST(Text, MeasuringEqualsDrawing)
{
    for (int weight : {FW_NORMAL, FW_BOLD})
    for (const char16_t* face : {u"Arial", u"Courier New", u"宋体"}) {
        SCOPED_TRACE(weight);
        const std::u16string a = u"Recover", b = u"ed files 数据";
        TextDC whole(220, 30, face, -16, 0, weight), pieces(220, 30, face, -16, 0, weight);
        std::u16string ab = a + b;
        TextOutW(whole.dc, 2, 2, ab.data(), int(ab.size()));
        TextOutW(pieces.dc, 2, 2, a.data(), int(a.size()));
        TextOutW(pieces.dc, 2 + pieces.Extent(a).cx, 2, b.data(), int(b.size()));
        EXPECT_TRUE(SamePixels(whole, pieces, 220, 30)) << int(face[0]);
        InkBox ink = whole.Ink();
        EXPECT_GT(ink.count, 50);
        EXPECT_LE(ink.box.right, 2 + whole.Extent(ab).cx + 1);
        int fit = 0;
        INT dx[32] = {};
        SIZE sz{};
        GetTextExtentExPointW(whole.dc, ab.data(), int(ab.size()), whole.Extent(a).cx, &fit, dx, &sz);
        EXPECT_EQ(fit, int(a.size()));
        EXPECT_EQ(dx[ab.size() - 1], sz.cx);
    }
}

// A face without a bold style is made bold by overstriking: each row of a stem is one whole pixel wider, and
// each character one pixel wider, in what is measured as in what is drawn.
TEST(Text, SyntheticBoldWidensEveryStemByOnePixel)
{
    for (const std::u16string text : {u"l", u"丨"}) {
        TextDC normal(40, 30, u"宋体", -12), bold(40, 30, u"宋体", -12, 0, FW_BOLD);
        TextOutW(normal.dc, 4, 4, text.data(), 1);
        TextOutW(bold.dc, 4, 4, text.data(), 1);
        EXPECT_EQ(bold.Extent(text).cx, normal.Extent(text).cx + 1);
        int inkedRows = 0;
        for (int y = 0; y < 30; ++y) {
            int thin = normal.Count(RECT{0, y, 40, y + 1}, RGB(0, 0, 0));
            int thick = bold.Count(RECT{0, y, 40, y + 1}, RGB(0, 0, 0));
            if (thin == 0)
                continue;
            ++inkedRows;
            EXPECT_EQ(thick, thin + 1) << "row " << y;
        }
        EXPECT_GT(inkedRows, 5);
    }
}

TEST(Text, ChineseFallsBackToACjkFace)
{
    TextDC t(80, 30, u"Arial");
    const std::u16string s = u"中文";
    TextOutW(t.dc, 0, 0, s.data(), 2);
    InkBox ink = t.Ink();
    EXPECT_GT(ink.count, 40);
    // Ideographs are about an em wide each, not the missing-glyph box.
    EXPECT_GE(t.Extent(s).cx, 28);
}

TEST(Text, AlignmentPutsTheReferencePointWhereAsked)
{
    struct Case {
        UINT align;
        int left, top; // expected text cell origin relative to the reference point (100, 40)
    };
    TextDC probe(4, 4);
    TEXTMETRICW tm{};
    GetTextMetricsW(probe.dc, &tm);
    int w = probe.Extent(u"Hg").cx;
    Case cases[] = {{TA_LEFT | TA_TOP, 0, 0},
                    {TA_RIGHT | TA_TOP, -w, 0},
                    {TA_CENTER | TA_BOTTOM, -w / 2, -tm.tmHeight},
                    {TA_LEFT | TA_BASELINE, 0, -tm.tmAscent}};
    for (const Case& c : cases) {
        TextDC t(200, 100);
        SetBkMode(t.dc, OPAQUE);
        SetBkColor(t.dc, RGB(0, 0, 255));
        SetTextAlign(t.dc, c.align);
        TextOutW(t.dc, 100, 40, u"Hg", 2);
        // The opaque background shows the whole text cell.
        InkBox ink = t.Ink();
        EXPECT_EQ(ink.box.left, 100 + c.left) << c.align;
        EXPECT_EQ(ink.box.top, 40 + c.top) << c.align;
        EXPECT_EQ(ink.box.right - ink.box.left, w);
        EXPECT_EQ(ink.box.bottom - ink.box.top, tm.tmHeight);
    }
}

TEST(Text, JustificationSpreadsTheRemainderOverTheFirstBreaks)
{
    TextDC t(4, 4);
    const std::u16string s = u"a b c d";
    INT plain[7], justified[7];
    SIZE sz{};
    GetTextExtentExPointW(t.dc, s.data(), 7, 0, nullptr, plain, &sz);
    SetTextJustification(t.dc, 5, 3);
    GetTextExtentExPointW(t.dc, s.data(), 7, 0, nullptr, justified, &sz);
    const int extraAfter[7] = {0, 2, 2, 4, 4, 5, 5};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(justified[i] - plain[i], extraAfter[i]) << i;
    SetTextJustification(t.dc, 0, 0);
    GetTextExtentExPointW(t.dc, s.data(), 7, 0, nullptr, justified, &sz);
    EXPECT_EQ(justified[6], plain[6]);
}

TEST(Text, RotatedStringBoundingBox)
{
    struct Case {
        int escapement;
        bool vertical;
    } cases[] = {{900, true}, {1800, false}, {2700, true}};
    for (const Case& c : cases) {
        TextDC t(200, 200, u"Arial", -16, c.escapement);
        SetBkMode(t.dc, OPAQUE);
        SetBkColor(t.dc, RGB(0, 0, 255));
        TEXTMETRICW tm{};
        GetTextMetricsW(t.dc, &tm);
        const std::u16string s = u"Rotated";
        int w = t.Extent(s).cx;
        TextOutW(t.dc, 100, 100, s.data(), int(s.size()));
        InkBox ink = t.Ink();
        LONG bw = ink.box.right - ink.box.left, bh = ink.box.bottom - ink.box.top;
        EXPECT_EQ(c.vertical ? bw : bh, tm.tmHeight) << c.escapement;
        EXPECT_EQ(c.vertical ? bh : bw, w) << c.escapement;
        // The cell hangs off the reference point in the direction of the rotation.
        if (c.escapement == 900) {
            EXPECT_EQ(ink.box.left, 100);
            EXPECT_EQ(ink.box.bottom, 100);
        } else if (c.escapement == 1800) {
            EXPECT_EQ(ink.box.right, 100);
            EXPECT_EQ(ink.box.bottom, 100);
        } else {
            EXPECT_EQ(ink.box.right, 100);
            EXPECT_EQ(ink.box.top, 100);
        }
    }
}

TEST(DrawText, PlacementForFlagCombinations)
{
    const RECT area{10, 10, 190, 60};
    TextDC probe(4, 4);
    TEXTMETRICW tm{};
    GetTextMetricsW(probe.dc, &tm);
    const std::u16string s = u"Scan";
    int w = probe.Extent(s).cx;
    struct Case {
        UINT flags;
        int cellLeft, cellTop;
    } cases[] = {
        {DT_LEFT | DT_TOP | DT_SINGLELINE, 10, 10},
        {DT_CENTER | DT_SINGLELINE, 10 + (180 - w) / 2, 10},
        {DT_RIGHT | DT_SINGLELINE, 190 - w, 10},
        {DT_VCENTER | DT_SINGLELINE, 10, 10 + (50 - tm.tmHeight) / 2},
        {DT_BOTTOM | DT_RIGHT | DT_SINGLELINE, 190 - w, 60 - tm.tmHeight},
        {DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP, 10 + (180 - w) / 2, 10 + (50 - tm.tmHeight) / 2},
    };
    for (const Case& c : cases) {
        TextDC t(200, 70);
        SetBkMode(t.dc, OPAQUE);
        SetBkColor(t.dc, RGB(0, 0, 255));
        RECT r = area;
        int h = DrawTextW(t.dc, s.data(), -1, &r, c.flags);
        InkBox ink = t.Ink();
        EXPECT_EQ(ink.box.left, c.cellLeft) << std::hex << c.flags;
        EXPECT_EQ(ink.box.top, c.cellTop) << std::hex << c.flags;
        EXPECT_EQ(h, c.cellTop - 10 + tm.tmHeight) << std::hex << c.flags;
    }
}

TEST(DrawText, CalcRectWordBreakAndEllipses)
{
    TextDC t(300, 200);
    TEXTMETRICW tm{};
    GetTextMetricsW(t.dc, &tm);
    const std::u16string words = u"recover deleted partitions";
    int oneLine = t.Extent(words).cx;
    RECT r{0, 0, oneLine * 2 / 3, 0};
    EXPECT_EQ(DrawTextW(t.dc, words.data(), -1, &r, DT_WORDBREAK | DT_CALCRECT), 2 * tm.tmHeight);
    EXPECT_EQ(r.bottom, 2 * tm.tmHeight);
    EXPECT_LE(r.right, oneLine * 2 / 3);
    EXPECT_EQ(t.Ink().count, 0); // measuring draws nothing

    // Blanks padding a text end the line where they would pass the edge, so a centred line stays inside:
    // "words" + blanks keeps the word on its line, and the blanks that fit still count.
    const struct {
        const char16_t* text;
        int blanks;
    } padded[] = {{u"recover", 40}, {u"\u6062\u590d\u6587\u4ef6", 40}, {u"recover", 2}};
    for (const auto& p : padded) {
        const std::u16string text = std::u16string(p.text) + std::u16string(size_t(p.blanks), u' ');
        const int box = t.Extent(p.text).cx + 2 * t.Extent(u" ").cx + 1;
        RECT pr{0, 0, box, 0};
        EXPECT_EQ(DrawTextW(t.dc, text.data(), -1, &pr, DT_WORDBREAK | DT_CENTER | DT_CALCRECT), tm.tmHeight);
        EXPECT_LE(pr.right, box);
        EXPECT_GE(pr.right, t.Extent(p.text).cx);
    }

    RECT two{0, 0, 1000, 0};
    DrawTextW(t.dc, u"a\r\nlonger line", -1, &two, DT_CALCRECT);
    EXPECT_EQ(two.bottom, 2 * tm.tmHeight);
    EXPECT_EQ(two.right, t.Extent(u"longer line").cx);

    for (UINT flag : {UINT(DT_END_ELLIPSIS), UINT(DT_PATH_ELLIPSIS)}) {
        TextDC d(300, 40);
        const std::u16string path = u"C:\\Documents and Settings\\owner\\report.doc";
        RECT box{0, 0, 150, 30};
        DrawTextW(d.dc, path.data(), -1, &box, DT_SINGLELINE | DT_NOCLIP | flag);
        EXPECT_LE(d.Ink().box.right, 150);
        EXPECT_GT(d.Ink().box.right, 100);
    }
    // The path ellipsis keeps the file name: the drawn text ends like the unshortened one.
    TextDC full(400, 40), cut(400, 40);
    const std::u16string path = u"C:\\Documents and Settings\\owner\\report.doc";
    RECT wide{0, 0, 400, 30}, narrow{0, 0, 150, 30};
    DrawTextW(full.dc, path.data(), -1, &wide, DT_SINGLELINE | DT_RIGHT);
    narrow.left = 250, narrow.right = 400;
    DrawTextW(cut.dc, path.data(), -1, &narrow, DT_SINGLELINE | DT_RIGHT | DT_PATH_ELLIPSIS);
    int tail = t.Extent(u"\\report.doc").cx;
    for (int y = 0; y < 30; ++y)
        for (int x = 400 - tail; x < 400; ++x)
            ASSERT_EQ(full.At(x, y), cut.At(x, y)) << x << "," << y;
}

TEST(DrawText, PrefixesUnderlineAndDoubleAmpersandIsLiteral)
{
    TextDC plain(100, 30), prefixed(100, 30), hidden(100, 30), amp(100, 30), literal(100, 30);
    RECT r{0, 0, 100, 30};
    DrawTextW(plain.dc, u"File", -1, &r, DT_SINGLELINE);
    DrawTextW(prefixed.dc, u"&File", -1, &r, DT_SINGLELINE);
    DrawTextW(hidden.dc, u"&File", -1, &r, DT_SINGLELINE | DT_HIDEPREFIX);
    DrawTextW(amp.dc, u"A&&B", -1, &r, DT_SINGLELINE);
    DrawTextW(literal.dc, u"A&B", -1, &r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_TRUE(SamePixels(plain, hidden, 100, 30));
    EXPECT_FALSE(SamePixels(plain, prefixed, 100, 30));
    EXPECT_GT(prefixed.Ink().count, plain.Ink().count); // the underline under "F" only
    EXPECT_LE(prefixed.Ink().box.right, plain.Ink().box.right);
    EXPECT_TRUE(SamePixels(amp, literal, 100, 30));
    RECT calc{0, 0, 0, 0};
    DrawTextW(plain.dc, u"&File", -1, &calc, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(calc.right, plain.Extent(u"File").cx);
}

TEST(Text, SymbolFacesDrawTheLayersOwnGlyphs)
{
    TextDC marlett(20, 20, u"Marlett", -16), wing(40, 20, u"Wingdings", -16);
    TextOutW(marlett.dc, 0, 0, u"r", 1); // the close button's cross
    EXPECT_EQ(marlett.At(8, 8), RGB(0, 0, 0));
    EXPECT_EQ(marlett.At(8, 1), RGB(255, 255, 255));
    TextOutW(wing.dc, 0, 0, u"lm", 2); // filled and hollow bullets
    EXPECT_EQ(wing.At(8, 8), RGB(0, 0, 0));
    EXPECT_EQ(wing.At(24, 8), RGB(255, 255, 255));
    EXPECT_GT(InkOf(wing, 40, 20).box.right, 24);
}

TEST(Text, ExtTextOutOpaqueAndClipped)
{
    TextDC t(100, 30);
    SetBkColor(t.dc, RGB(0, 255, 0));
    RECT r{5, 5, 20, 25};
    ExtTextOutW(t.dc, 0, 0, ETO_OPAQUE | ETO_CLIPPED, &r, u"WWWWWW", 6, nullptr);
    InkBox ink = t.Ink();
    EXPECT_EQ(ink.box.left, 5);
    EXPECT_EQ(ink.box.right, 20);
    EXPECT_EQ(ink.box.bottom, 25);
    EXPECT_EQ(t.At(19, 24), RGB(0, 255, 0));
}

TEST(Fonts, EnumerationAnswersTheFacesTheProgramAsksFor)
{
    struct Found {
        std::vector<std::u16string> faces;
        BYTE charset = 0;
    } found;
    LOGFONTW want{};
    want.lfCharSet = DEFAULT_CHARSET;
    auto proc = [](const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM p) -> int {
        auto* f = reinterpret_cast<Found*>(p);
        f->faces.push_back(lf->lfFaceName);
        f->charset = lf->lfCharSet;
        return 1;
    };
    EnumFontFamiliesExW(nullptr, &want, proc, reinterpret_cast<LPARAM>(&found), 0);
    EXPECT_GE(found.faces.size(), 5u);
    found = Found{};
    const char16_t face[] = u"tahoma";
    std::copy(face, face + 7, want.lfFaceName);
    EnumFontFamiliesExW(nullptr, &want, proc, reinterpret_cast<LPARAM>(&found), 0);
    ASSERT_EQ(found.faces.size(), 1u);
    EXPECT_EQ(found.faces[0], u"Tahoma");
    found = Found{};
    const char16_t missing[] = u"No Such Face";
    std::copy(missing, missing + 13, want.lfFaceName);
    EnumFontFamiliesExW(nullptr, &want, proc, reinterpret_cast<LPARAM>(&found), 0);
    EXPECT_TRUE(found.faces.empty());
}

TEST(DrawText, TabsExpandToStopsOfEightAverageCharacters)
{
    TextDC t(300, 30);
    TEXTMETRICW tm{};
    GetTextMetricsW(t.dc, &tm);
    RECT calc{0, 0, 0, 0};
    DrawTextW(t.dc, u"a\tb", -1, &calc, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    EXPECT_EQ(calc.right, 8 * tm.tmAveCharWidth + t.Extent(u"b").cx);
}

TEST(Text, UnderlineAndStrikeOutRunTheWholeExtent)
{
    HFONT lined = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, TRUE, TRUE, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    MemDC m(100, 30);
    SelectObject(m.dc, lined);
    SetBkMode(m.dc, TRANSPARENT);
    TextOutW(m.dc, 0, 0, u"i i", 3);
    SIZE sz{};
    GetTextExtentPoint32W(m.dc, u"i i", 3, &sz);
    TEXTMETRICW tm{};
    GetTextMetricsW(m.dc, &tm);
    int fullRows = 0;
    for (int y = 0; y < 30; ++y) {
        int n = m.Count(RECT{0, y, LONG(sz.cx), y + 1}, RGB(0, 0, 0));
        fullRows += n == sz.cx;
    }
    EXPECT_GE(fullRows, 2); // one underline row below the baseline, one strike-out row above it
    SelectObject(m.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(lined);
}
