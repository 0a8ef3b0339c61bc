// Writes PNG sheets of the tab strips: every shape style with every colour scheme it supports,
// the four positions of each style, and the layouts (size to fit, fixed, compressed, multiple
// rows, rotated, scrolled with navigation buttons).
#include "toolkit/base/color_table.h"
#include "toolkit/docking/tab_colors.h"
#include "toolkit/docking/tab_manager.h"
#include "toolkit/docking/tab_painter.h"
#include "win32/gdi/surface.h"

#include <cstdio>
#include <string>

namespace {

class ArtStrip : public CTKPTabStrip {
public:
    ArtStrip(CTKPTabPainter* painter, CRect rc) : painter(painter), rc(rc) { painter->AddStrip(this); }
    void Reposition() override { painter->RepositionTabControl(this, nullptr, rc); }
    CTKPTabPainter* GetPaintManager() const override { return painter; }
    void RedrawControl() override {}
    BOOL DrawItemIcon(CDC*, CPoint, CTKPTabManagerItem*, BOOL, CSize&) override { return FALSE; }

    CTKPTabPainter* painter;
    CRect rc;
};

class Sheet {
public:
    Sheet(int width, int height) : width(width), height(height)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc.Attach(::CreateCompatibleDC(nullptr));
        old = ::SelectObject(dc.m_hDC, bitmap);
        dc.PatBlt(0, 0, width, height, WHITENESS);
    }
    ~Sheet()
    {
        ::SelectObject(dc.m_hDC, old);
        ::DeleteDC(dc.Detach());
        ::DeleteObject(bitmap);
    }
    bool Save(const std::string& path) { return gdi::WritePng(bitmap, path); }

    // One strip of four tabs (the second selected, the third hot) in rc, with a label above.
    void Cell(CRect rc, const char* label, int style, int scheme, int position, int layout = TKP_TABLAYOUT_AUTOSIZE,
              int tabs = 4, int scroll = 0)
    {
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0, 0, 0));
        CString text(label);
        CRect labelRect(rc.left, rc.top, rc.right, rc.top + 14);
        dc.DrawText(text, labelRect, DT_SINGLELINE | DT_NOPREFIX);
        rc.top += 14;
        CTKPTabPainter painter;
        painter.SetTabShapeStyle(style);
        painter.SetTabColorScheme(scheme);
        painter.SetPosition(position);
        painter.SetLayout(layout);
        painter.m_bHotTracking = TRUE;
        ArtStrip strip(&painter, rc);
        const char16_t* captions[] = {u"Output", u"Properties", u"C:\\work\\notes.txt", u"Tasks", u"Find",
                                      u"Watch",  u"Locals",     u"Call stack",         u"Threads"};
        for (int i = 0; i < tabs; ++i)
            strip.InsertItem(-1)->SetCaption(captions[i % 9]);
        strip.SetCurSel(1);
        strip.m_pHot = strip.GetItem(2);
        if (scroll)
            strip.SetScrollOffset(scroll);
        strip.Reposition();
        painter.DrawTabControl(&dc, &strip, rc);
    }

    int width, height;
    HBITMAP bitmap;
    HGDIOBJ old;
    CDC dc;
};

const char* SchemeName(int id)
{
    switch (id) {
    case 1: return "default";
    case 2: return "flat";
    case 4: return "gradient";
    case 8: return "native";
    default: return "light gradient";
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    const int schemes[] = {1, 2, 4, 8, 16};
    bool ok = true;
    // Styles by colour scheme, at the top, plain and in the blue visual style.
    for (int luna = 0; luna < 2; ++luna) {
        GetColorTable().SetForcedSystemTheme(luna ? 1 : 4);
        GetColorTable().RefreshColors();
        const int cellW = 330, cellH = 74;
        Sheet sheet(cellW * 5 + 10, cellH * 10 + 10);
        for (int style = 0; style <= 9; ++style) {
            CTKPTabPainter probe;
            probe.SetTabShapeStyle(style);
            const int bits = probe.GetShapeStyle()->GetSupportedSchemes();
            for (int s = 0; s < 5; ++s) {
                if (!(bits & schemes[s]))
                    continue;
                char label[64];
                std::snprintf(label, sizeof label, "style %d, %s", style, SchemeName(schemes[s]));
                CRect rc(5 + s * cellW, 5 + style * cellH, 5 + s * cellW + cellW - 10, 5 + style * cellH + cellH - 6);
                sheet.Cell(rc, label, style, schemes[s], TKP_TABPOS_TOP, style == 8 ? 0 : TKP_TABLAYOUT_AUTOSIZE, 3);
            }
        }
        ok &= sheet.Save(folder + (luna ? "/tab_styles_luna.png" : "/tab_styles.png"));
    }
    GetColorTable().SetForcedSystemTheme(4);
    GetColorTable().RefreshColors();
    {
        // Each style at the four positions with its default scheme.
        const int cellW = 190, cellH = 200;
        Sheet sheet(cellW * 10 + 10, cellH * 4 + 10);
        for (int style = 0; style <= 9; ++style) {
            for (int position = 0; position < 4; ++position) {
                CTKPTabPainter probe;
                probe.SetTabShapeStyle(style);
                char label[64];
                std::snprintf(label, sizeof label, "style %d pos %d", style, position);
                CRect rc(5 + style * cellW, 5 + position * cellH, 5 + style * cellW + cellW - 10,
                         5 + position * cellH + cellH - 10);
                sheet.Cell(rc, label, style, probe.GetColorSchemeId(), position, TKP_TABLAYOUT_FIXED, 3);
            }
        }
        ok &= sheet.Save(folder + "/tab_positions.png");
    }
    {
        // Layouts in a narrow strip.
        const struct {
            const char* label;
            int layout, tabs, scroll, position;
        } layouts[] = {
            {"size to content, scrolled", TKP_TABLAYOUT_AUTOSIZE, 6, -60, 0},
            {"size to fit", TKP_TABLAYOUT_SIZETOFIT, 6, 0, 0},
            {"fixed width", TKP_TABLAYOUT_FIXED, 4, 0, 0},
            {"compressed", TKP_TABLAYOUT_COMPRESSED, 6, 0, 0},
            {"multiple rows", TKP_TABLAYOUT_MULTIROW, 9, 0, 0},
            {"multiple rows, bottom", TKP_TABLAYOUT_MULTIROW, 9, 0, 2},
            {"rotated, left", TKP_TABLAYOUT_ROTATED, 4, 0, 1},
        };
        Sheet sheet(420, 130 * 7 + 10);
        int y = 5;
        for (const auto& l : layouts) {
            sheet.Cell(CRect(5, y, 325, y + 120), l.label, 2, TKP_TABCOLOR_GRADIENT, l.position, l.layout, l.tabs,
                       l.scroll);
            y += 130;
        }
        ok &= sheet.Save(folder + "/tab_layouts.png");
    }
    std::printf("%s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
