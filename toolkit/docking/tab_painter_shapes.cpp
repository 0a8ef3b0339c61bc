// The figures of the tab shape styles and their header backgrounds.
#include "toolkit/docking/tab_painter_shapes.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/docking/tab_colors.h"
#include "toolkit/docking/tab_manager.h"

#include <algorithm>
#include <vector>

namespace {

const COLORREF kNone = COLORREF(-1);

// Figures are written for top tabs; this turns their points to the tab's position: left tabs
// transposed, bottom tabs mirrored top to bottom, right tabs transposed and mirrored left to right.
struct Turner {
    int position;
    CRect rc;

    // The tab's rectangle in the coordinates the figure is written in.
    CRect Figure() const
    {
        return IsHorizontalTabPosition(position) ? rc : CRect(rc.top, rc.left, rc.bottom, rc.right);
    }
    CPoint Map(int x, int y) const
    {
        switch (position) {
        case TKP_TABPOS_LEFT:
            return CPoint(y, x);
        case TKP_TABPOS_BOTTOM:
            return CPoint(x, rc.top + rc.bottom - y);
        case TKP_TABPOS_RIGHT:
            return CPoint(rc.left + rc.right - y, x);
        default:
            return CPoint(x, y);
        }
    }
    CPoint MapOffset(int dx, int dy) const
    {
        switch (position) {
        case TKP_TABPOS_LEFT:
            return CPoint(dy, dx);
        case TKP_TABPOS_BOTTOM:
            return CPoint(dx, -dy);
        case TKP_TABPOS_RIGHT:
            return CPoint(-dy, dx);
        default:
            return CPoint(dx, dy);
        }
    }
    std::vector<POINT> Map(std::initializer_list<POINT> pts) const
    {
        std::vector<POINT> out;
        for (const POINT& p : pts)
            out.push_back(Map(p.x, p.y));
        return out;
    }
};

// Pixels x1..x2 (both included) of row y, and the same for columns; nothing for colour -1.
void HLine(CDC* pDC, int y, int x1, int x2, COLORREF color)
{
    if (color != kNone && x2 >= x1)
        pDC->FillSolidRect(x1, y, x2 - x1 + 1, 1, color);
}

void VLine(CDC* pDC, int x, int y1, int y2, COLORREF color)
{
    if (color != kNone && y2 >= y1)
        pDC->FillSolidRect(x, y1, 1, y2 - y1 + 1, color);
}

void Pixel(CDC* pDC, int x, int y, COLORREF color)
{
    if (color != kNone)
        pDC->SetPixel(x, y, color);
}

void Polyline(CDC* pDC, const std::vector<POINT>& pts, COLORREF color)
{
    if (color == kNone || pts.size() < 2)
        return;
    CTKPSelectPen pen(pDC->m_hDC, color);
    pDC->Polyline(pts.data(), int(pts.size()));
}

// Fills the polygon with the scheme's tab fill of its bounding box; returns the face colour.
COLORREF FillFace(CDC* pDC, TabColorScheme* scheme, const std::vector<POINT>& pts, CTKPTabManagerItem* item)
{
    CRect box(pts[0].x, pts[0].y, pts[0].x, pts[0].y);
    for (const POINT& p : pts) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x + 1);
        box.bottom = std::max(box.bottom, p.y + 1);
    }
    HDC hdc = pDC->m_hDC;
    HRGN saved = ::CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = ::GetClipRgn(hdc, saved) == 1;
    HRGN face = ::CreatePolygonRgn(pts.data(), int(pts.size()), WINDING);
    ::ExtSelectClipRgn(hdc, face, RGN_AND);
    const COLORREF color = scheme->FillTab(pDC, box, item);
    ::SelectClipRgn(hdc, hadClip ? saved : nullptr);
    ::DeleteObject(face);
    ::DeleteObject(saved);
    return color;
}

// The rectangle grown by n pixels towards the client area (or away from it for negative n).
CRect TowardsClient(CRect rc, int position, int n)
{
    switch (position) {
    case TKP_TABPOS_LEFT:
        rc.right += n;
        break;
    case TKP_TABPOS_BOTTOM:
        rc.top -= n;
        break;
    case TKP_TABPOS_RIGHT:
        rc.left -= n;
        break;
    default:
        rc.bottom += n;
        break;
    }
    return rc;
}

CRect AtTrailingEnd(CRect rc, int position, int n)
{
    if (IsHorizontalTabPosition(position))
        rc.right += n;
    else
        rc.bottom += n;
    return rc;
}

void DrawContent(TabShapeStyle* style, CDC* pDC, CTKPTabManagerItem* item, const CRect& rc)
{
    style->m_pPainter->DrawTabContent(pDC, item, rc, TRUE);
}

} // namespace

TabShapeStyle* CreateTabShapeStyle(int id)
{
    switch (id) {
    case 1:
        return new TabShapeStyleBevelActive;
    case 2:
        return new TabShapeStyleRounded;
    case 3:
        return new TabShapeStyleSlanted;
    case 4:
        return new TabShapeStyleSchemeFace;
    case 5:
        return new TabShapeStyleFlat;
    case 6:
        return new TabShapeStyleBox;
    case 7:
        return new TabShapeStyleTrapezoid;
    case 8:
        return new TabShapeStyleStacked;
    case 9:
        return new TabShapeStyleWedge;
    default:
        return new TabShapeStyleBevel;
    }
}

// ---- 0 and 1: bevelled -------------------------------------------------------------------------
CRect TabShapeStyleBevel::GetClientMargin()
{
    CRect margin = TabShapeStyle::GetClientMargin();
    TabColorScheme* scheme = GetColorScheme();
    if (scheme && scheme->IsThemed() && m_pPainter->m_nClientFrame == TKP_TABCLIENT_FRAME) {
        margin.right += 2;
        if (GetPosition() == TKP_TABPOS_TOP || GetPosition() == TKP_TABPOS_LEFT)
            margin.bottom += 2;
    }
    return margin;
}

CRect TabShapeStyleBevel::AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip)
{
    TabColorScheme* scheme = GetColorScheme();
    const int position = GetPosition();
    const CRect header = GetHeaderRect(rc, strip);
    CRect client = GetHeaderArea(rc, strip);
    scheme->FillHeader(pDC, TowardsClient(header, position, 1), strip);
    const COLORREF light = scheme->m_clrTabEdges[0], shadow = scheme->m_clrTabEdges[1], dark = scheme->m_clrTabEdges[2];
    if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_FRAME) {
        scheme->FillClient(pDC, client, strip);
        if (light != kNone && dark != kNone)
            pDC->Draw3dRect(client, light, dark);
        HLine(pDC, client.bottom - 2, client.left + 1, client.right - 2, shadow);
        VLine(pDC, client.right - 2, client.top + 1, client.bottom - 2, shadow);
    } else if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_EDGE) {
        switch (position) {
        case TKP_TABPOS_LEFT:
            VLine(pDC, client.left, client.top, client.bottom - 1, light);
            break;
        case TKP_TABPOS_BOTTOM:
            HLine(pDC, client.bottom - 1, client.left, client.right - 1, dark);
            HLine(pDC, client.bottom - 2, client.left, client.right - 1, shadow);
            break;
        case TKP_TABPOS_RIGHT:
            VLine(pDC, client.right - 1, client.top, client.bottom - 1, dark);
            VLine(pDC, client.right - 2, client.top, client.bottom - 1, shadow);
            break;
        default:
            HLine(pDC, client.top, client.left, client.right - 1, light);
            break;
        }
    }
    return header;
}

void TabShapeStyleBevel::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    TabColorScheme* scheme = GetColorScheme();
    const int position = GetPosition();
    const BOOL selected = item->IsSelected();
    const COLORREF light = scheme->m_clrTabEdges[0], shadow = scheme->m_clrTabEdges[1], dark = scheme->m_clrTabEdges[2];
    CRect rc = item->m_rcItem;
    switch (position) {
    case TKP_TABPOS_LEFT:
        if (selected)
            rc.InflateRect(2, 2, 0, 2);
        break;
    case TKP_TABPOS_BOTTOM:
    case TKP_TABPOS_RIGHT:
        if (selected)
            rc.InflateRect(2, 2, 2, 2);
        break;
    default:
        if (selected)
            rc.InflateRect(2, 2, 2, 0);
        break;
    }
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const COLORREF face = scheme->FillTab(pDC, CRect(l + 1, t + 1, r - 1, b - 1), item);
    const BOOL joinClient = selected && item->m_nRow == 0;
    CRect content = rc;
    switch (position) {
    case TKP_TABPOS_LEFT:
        HLine(pDC, t, l + 2, r - 1, light);
        Pixel(pDC, l + 1, t + 1, light);
        VLine(pDC, l, t + 2, b - 3, light);
        HLine(pDC, b - 1, l + 2, r - 2, dark);
        Pixel(pDC, l + 2, b - 2, dark);
        HLine(pDC, b - 2, l + 1, r - 2, shadow);
        Pixel(pDC, l + 2, b - 1, shadow);
        if (joinClient)
            VLine(pDC, r - 1, t + 1, b - 3, face);
        break;
    case TKP_TABPOS_BOTTOM:
        VLine(pDC, l, t + 1, b - 2, light);
        Pixel(pDC, l + 1, b - 1, light);
        HLine(pDC, b - 1, l + 2, r - 3, shadow);
        HLine(pDC, b, l + 2, r - 3, dark);
        Pixel(pDC, r - 2, b - 1, dark);
        VLine(pDC, r - 1, t, b - 2, dark);
        VLine(pDC, r - 2, t, b - 2, shadow);
        if (joinClient)
            HLine(pDC, t + 1, l + 1, r - 1, face);
        if (selected)
            content.bottom += 2;
        break;
    case TKP_TABPOS_RIGHT:
        HLine(pDC, t, l + 1, r - 2, light);
        Pixel(pDC, r - 1, t + 1, light);
        VLine(pDC, r - 1, t + 2, b - 3, shadow);
        VLine(pDC, r, t + 2, b - 3, dark);
        HLine(pDC, b - 2, l + 1, r - 2, shadow);
        Pixel(pDC, r - 1, b - 2, dark);
        HLine(pDC, b - 1, l + 1, r - 2, dark);
        if (joinClient)
            VLine(pDC, l + 1, t + 1, b - 1, face);
        if (selected)
            content.right += 2;
        break;
    default:
        VLine(pDC, l, t + 2, b - 1, light);
        Pixel(pDC, l + 1, t + 1, light);
        HLine(pDC, t, l + 2, r - 3, light);
        Pixel(pDC, r - 2, t + 1, dark);
        VLine(pDC, r - 1, t + 2, b - 2, dark);
        VLine(pDC, r - 2, t + 2, b - 2, shadow);
        if (joinClient)
            HLine(pDC, b - 1, l + 1, r - 3, face);
        break;
    }
    DrawContent(this, pDC, item, content);
}

void TabShapeStyleBevelActive::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    if (!item->IsSelected() && !item->IsHot()) {
        DrawContent(this, pDC, item, item->m_rcItem);
        return;
    }
    TabShapeStyleBevel::DrawSingleTab(pDC, item);
}

// ---- 6, 2 and 7: boxes -------------------------------------------------------------------------
CRect TabShapeStyleBox::AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip)
{
    TabColorScheme* scheme = GetColorScheme();
    const CRect header = GetHeaderRect(rc, strip);
    const CRect client = GetHeaderArea(rc, strip);
    scheme->FillHeader(pDC, header, strip);
    const COLORREF frame = scheme->m_clrFrame;
    if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_FRAME) {
        scheme->FillClient(pDC, client, strip);
        pDC->Draw3dRect(client, frame, frame);
    } else if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_EDGE) {
        scheme->FillClient(pDC, client, strip);
        DrawHeaderEdge(pDC, client, GetPosition(), frame, frame);
    }
    return header;
}

void TabShapeStyleBox::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    TabColorScheme* scheme = GetColorScheme();
    const int position = GetPosition();
    CRect rc = AtTrailingEnd(item->m_rcItem, position, 1);
    scheme->FillTab(pDC, rc, item);
    if (item->IsSelected())
        rc = TowardsClient(rc, position, 1);
    pDC->Draw3dRect(rc, scheme->m_clrFrame, scheme->m_clrFrame);
    DrawContent(this, pDC, item, item->m_rcItem);
}

void TabShapeStyleRounded::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    TabColorScheme* scheme = GetColorScheme();
    const int position = GetPosition();
    const BOOL selected = item->IsSelected();
    const COLORREF frame = scheme->m_clrFrame;
    CRect R = AtTrailingEnd(item->m_rcItem, position, 1);
    // R less one pixel on its leading, outer and trailing sides.
    CRect R3 = TowardsClient(R, position, 0);
    switch (position) {
    case TKP_TABPOS_LEFT:
        R3.DeflateRect(1, 1, 0, 1);
        break;
    case TKP_TABPOS_BOTTOM:
        R3.DeflateRect(1, 0, 1, 1);
        break;
    case TKP_TABPOS_RIGHT:
        R3.DeflateRect(0, 1, 1, 1);
        break;
    default:
        R3.DeflateRect(1, 1, 1, 0);
        break;
    }
    auto roundOutline = [&](CRect rc) {
        rc = TowardsClient(rc, position, 2);
        CTKPSelectPen pen(pDC->m_hDC, frame);
        HGDIOBJ old = ::SelectObject(pDC->m_hDC, ::GetStockObject(NULL_BRUSH));
        pDC->RoundRect(rc, CPoint(6, 6));
        ::SelectObject(pDC->m_hDC, old);
    };
    {
        HRGN saved = ::CreateRectRgn(0, 0, 0, 0);
        const bool hadClip = ::GetClipRgn(pDC->m_hDC, saved) == 1;
        ExcludeCorners(pDC->m_hDC, TowardsClient(R, position, 1));
        if (!m_bSelectedOnly) {
            scheme->FillTab(pDC, R3, item);
            if (m_bSmoothCorners) {
                CRect framed = selected ? TowardsClient(R, position, 1) : R;
                pDC->Draw3dRect(framed, frame, frame);
            } else {
                if (!selected && m_pPainter->m_nClientFrame != TKP_TABCLIENT_NONE)
                    DrawHeaderEdge(pDC, R, (position + 2) % 4, frame, frame);
                roundOutline(R);
            }
        } else if (selected) {
            scheme->FillTab(pDC, R3, item);
            roundOutline(R);
        } else if (item->m_nIndex < item->GetStrip()->GetItemCount() - 1 && frame != kNone) {
            if (IsHorizontalTabPosition(position))
                pDC->FillSolidRect(R.right - 1, R.top + 3, 1, R.Height() - 6, frame);
            else
                pDC->FillSolidRect(R.left + 3, R.bottom - 1, R.Width() - 6, 1, frame);
        }
        ::SelectClipRgn(pDC->m_hDC, hadClip ? saved : nullptr);
        ::DeleteObject(saved);
    }
    if (m_bSmoothCorners) {
        // The two outer corners, each pixel averaged with a neighbour, written for a top tab.
        const Turner turn{position, R};
        const CRect F = turn.Figure();
        const int l = F.left, t = F.top, r = F.right;
        const int pairs[10][4] = {
            {l, t + 1, 0, -1},     {l + 1, t, -1, 0},     {r - 2, t, 1, 0},  {r - 1, t + 1, 0, -1},
            {l + 1, t + 1, -1, 0}, {r - 2, t + 1, 1, 0},  {l + 2, t + 1, -1, 0}, {l + 1, t + 2, 0, -1},
            {r - 3, t + 1, 1, 0},  {r - 2, t + 2, 0, -1},
        };
        POINT entries[20];
        for (int i = 0; i < 10; ++i) {
            entries[2 * i] = turn.Map(pairs[i][0], pairs[i][1]);
            if (position == TKP_TABPOS_BOTTOM)
                entries[2 * i].y -= 1;
            else if (position == TKP_TABPOS_RIGHT)
                entries[2 * i].x -= 1;
            entries[2 * i + 1] = turn.MapOffset(pairs[i][2], pairs[i][3]);
        }
        BlendPixelPairs(pDC->m_hDC, entries, 20);
    }
    DrawContent(this, pDC, item, item->m_rcItem);
}

CRect TabShapeStyleTrapezoid::GetContentMargin()
{
    // The tabs are shifted back by a quarter of the row and lean out by half of it at their end.
    CRect margin = m_rcContentMargin;
    const int h = (GetRowHeight(nullptr) - 1) / 2;
    margin.left += h / 2;
    margin.right += h - h / 2;
    return margin;
}

void TabShapeStyleTrapezoid::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    TabColorScheme* scheme = GetColorScheme();
    const int position = GetPosition();
    const Turner turn{position, item->m_rcItem};
    const CRect F = turn.Figure();
    const int b = F.bottom - 1, t = F.top, h = (b - t) / 2;
    const int l = F.left - h / 2, r = F.right - h / 2;
    const CTKPColorValue* c = item->IsSelected() ? scheme->m_clrStates : scheme->m_clrStates2;
    const COLORREF face = FillFace(pDC, scheme, turn.Map({{l, b}, {l + h, b - 2 * h}, {r, b - 2 * h}, {r + h, b}}), item);
    Polyline(pDC, turn.Map({{l + 1, b - 1}, {l + h + 1, t}}), c[3]);
    Polyline(pDC, turn.Map({{l + h, t + 1}, {r, t + 1}}), c[3]);
    Polyline(pDC, turn.Map({{r - 1, t}, {r + h - 1, b}}), c[4]);
    Polyline(pDC, turn.Map({{l, b - 1}, {l + h, t}}), c[0]);
    Polyline(pDC, turn.Map({{l + h, t}, {r, t}}), c[0]);
    Polyline(pDC, turn.Map({{r, t}, {r + h, b}}), c[2]);
    if (item->IsSelected())
        Polyline(pDC, turn.Map({{l, b}, {r + h, b}}), face);
    DrawContent(this, pDC, item, item->m_rcItem);
}

// ---- 3 and 9: slanted --------------------------------------------------------------------------
CRect TabShapeStyleSlanted::GetContentMargin()
{
    // The first tab's slant reaches back beyond its rectangle by the row height less seven.
    CRect margin = m_rcContentMargin;
    margin.left += std::max(GetRowHeight(nullptr) - 8, 0);
    return margin;
}

CRect TabShapeStyleSlanted::AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip)
{
    TabColorScheme* scheme = GetColorScheme();
    const CRect header = GetHeaderRect(rc, strip);
    const CRect client = GetHeaderArea(rc, strip);
    scheme->FillHeader(pDC, header, strip);
    const COLORREF line = scheme->m_clrTabEdges2[1];
    if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_FRAME) {
        scheme->FillClient(pDC, client, strip);
        if (line != kNone)
            pDC->Draw3dRect(client, line, line);
    } else if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_EDGE) {
        DrawHeaderEdge(pDC, client, GetPosition(), line, line);
    }
    return header;
}

void TabShapeStyleSlanted::GetLineColors(CTKPTabManagerItem* item, BOOL hotRule, COLORREF colors[3])
{
    TabColorScheme* scheme = GetColorScheme();
    const BOOL selected = item->IsSelected();
    colors[0] = selected ? scheme->m_clrTabEdges2[1] : scheme->m_clrTabEdges2[0];
    colors[1] = selected ? RGB(255, 255, 255) : COLORREF(scheme->m_clrTabEdges2[2]);
    colors[2] = selected ? RGB(255, 255, 255) : COLORREF(scheme->m_clrTabEdges2[3]);
    if (hotRule && m_bHotOutline && item->IsHot())
        colors[0] = colors[1] = colors[2] = scheme->m_clrSelectedFrame.Dark();
}

void TabShapeStyleSlanted::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    TabColorScheme* scheme = GetColorScheme();
    const int position = GetPosition();
    COLORREF colors[3];
    GetLineColors(item, TRUE, colors);
    const CRect& rc = item->m_rcItem;
    if (position == TKP_TABPOS_BOTTOM) {
        const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom, H = b - 1 - t;
        const COLORREF face = FillFace(pDC, scheme, {{r - 1, t}, {r - 1, b - 1}, {l + 4, b - 1}, {l + 6 - H, t + 1}}, item);
        Polyline(pDC, {{r, t + 1}, {r, b - 2}, {r - 2, b}, {l + 7, b}, {l + 2, b - 2}, {l + 4 - H, t + 1}, {l + 2 - H, t + 1}},
                 colors[0]);
        Polyline(pDC, {{r - 1, t + 1}, {r - 1, b - 2}, {r - 3, b}}, colors[1]);
        Polyline(pDC, {{r - 3, b - 1}, {l + 6, b - 1}, {l + 1, b - 4}, {l + 4 - H, t}}, colors[2]);
        if (item->IsSelected())
            HLine(pDC, t, l + 3 - H, r, face);
    } else {
        const Turner turn{position, rc};
        const CRect F = turn.Figure();
        const int l = F.left, t = F.top, r = F.right, b = F.bottom, H = b - 1 - t;
        const COLORREF face =
            FillFace(pDC, scheme, turn.Map({{r - 1, b - 1}, {r - 1, t + 2}, {l + 4, t + 2}, {l + 7 - H, b - 2}}), item);
        Polyline(pDC,
                 turn.Map({{r, b - 2}, {r, t + 2}, {r - 2, t}, {l + 7, t}, {l + 2, t + 2}, {l + 5 - H, b - 2}, {l + 3 - H, b - 2}}),
                 colors[0]);
        Polyline(pDC, turn.Map({{r - 1, b - 2}, {r - 1, t + 2}, {r - 3, t}}), colors[1]);
        Polyline(pDC, turn.Map({{r - 3, t + 1}, {l + 6, t + 1}, {l + 1, t + 4}, {l + 5 - H, b - 1}}), colors[2]);
        if (item->IsSelected())
            Polyline(pDC, turn.Map({{l + 4 - H, b - 1}, {r + 1, b - 1}}), face);
    }
    DrawContent(this, pDC, item, rc);
}

CRect TabShapeStyleWedge::GetContentMargin()
{
    // The wedge reaches half the row less four pixels beyond both sides of its tab.
    CRect margin = m_rcContentMargin;
    const int reach = std::max(GetRowHeight(nullptr) / 2 - 4, 0);
    margin.left += reach;
    margin.right += reach;
    return margin;
}

void TabShapeStyleWedge::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    TabColorScheme* scheme = GetColorScheme();
    const int position = GetPosition();
    COLORREF colors[3];
    GetLineColors(item, FALSE, colors);
    const CRect& rc = item->m_rcItem;
    if (position == TKP_TABPOS_BOTTOM) {
        const int l = rc.left, t = rc.top, r = rc.right, h = (rc.bottom - t) / 2, T = t + 2 * h;
        const std::vector<POINT> outline = {{r + h - 4, t + 1}, {r - 1, T - 5}, {r - 5, T - 1}, {r - 7, T},
                                            {l + 7, T},         {l + 5, T - 1}, {l + 2, T - 4}, {l + 4 - h, t}};
        FillFace(pDC, scheme, outline, item);
        Polyline(pDC, outline, colors[0]);
        Polyline(pDC, {{r + h - 5, t + 1}, {r - 2, T - 5}, {r - 5, T - 2}, {r - 7, T - 1}}, colors[1]);
        Polyline(pDC, {{l + 7, T - 1}, {l + 5, T - 2}, {l + 3, T - 4}, {l + 5 - h, t}}, colors[2]);
    } else {
        const Turner turn{position, rc};
        const CRect F = turn.Figure();
        const int l = F.left, r = F.right, b = F.bottom, h = (b - F.top) / 2, T = b - 2 * h;
        std::vector<POINT> outline = turn.Map({{r + h - 4, b - 1}, {r - 1, T + 5}, {r - 5, T + 1}, {r - 8, T},
                                               {l + 8, T},         {l + 5, T + 1}, {l + 2, T + 4}, {l + 4 - h, b}});
        if (position == TKP_TABPOS_RIGHT)
            for (POINT& p : outline)
                p.x = std::min<LONG>(p.x, rc.right - 1);
        FillFace(pDC, scheme, outline, item);
        Polyline(pDC, outline, colors[0]);
        Polyline(pDC, turn.Map({{r + h - 5, b - 1}, {r - 2, T + 5}, {r - 5, T + 2}, {r - 8, T + 1}}), colors[1]);
        Polyline(pDC, turn.Map({{r - 7, T + 1}, {l + 8, T + 1}, {l + 5, T + 2}, {l + 3, T + 4}, {l + 5 - h, b}}), colors[2]);
    }
    DrawContent(this, pDC, item, rc);
}

// ---- 4: the scheme's face ----------------------------------------------------------------------
CRect TabShapeStyleSchemeFace::AdjustHeaderRect(CDC* /*pDC*/, CRect rc, CTKPTabStrip* strip)
{
    return GetHeaderRect(rc, strip);
}

void TabShapeStyleSchemeFace::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    GetColorScheme()->DrawTabFace(pDC, item->m_rcItem, item);
    DrawContent(this, pDC, item, item->m_rcItem);
}

// ---- 5: flat -----------------------------------------------------------------------------------
CRect TabShapeStyleFlat::AdjustHeaderRect(CDC* pDC, CRect rc, CTKPTabStrip* strip)
{
    TabColorScheme* scheme = GetColorScheme();
    const CRect header = GetHeaderRect(rc, strip);
    const CRect client = GetHeaderArea(rc, strip);
    scheme->FillHeader(pDC, header, strip);
    if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_FRAME) {
        scheme->FillClient(pDC, client, strip);
        pDC->Draw3dRect(client, scheme->m_clrFrameHighlight, scheme->m_clrSelectedText);
    } else if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_EDGE) {
        DrawHeaderEdge(pDC, client, GetPosition(), scheme->m_clrFrameHighlight, scheme->m_clrSelectedText);
    }
    return header;
}

void TabShapeStyleFlat::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    TabColorScheme* scheme = GetColorScheme();
    const int position = GetPosition();
    const CRect& rc = item->m_rcItem;
    if (item->IsSelected()) {
        scheme->FillTab(pDC, rc, item);
        pDC->Draw3dRect(TowardsClient(rc, position, 1), scheme->m_clrFrameHighlight, scheme->m_clrSelectedText);
    } else if (IsHorizontalTabPosition(position)) {
        VLine(pDC, rc.right, rc.top + 2, rc.bottom - 3, scheme->m_clrFrame);
    } else {
        HLine(pDC, rc.bottom, rc.left + 2, rc.right - 3, scheme->m_clrFrame);
    }
    DrawContent(this, pDC, item, rc);
}

// ---- 8: stacked bars ---------------------------------------------------------------------------
CRect TabShapeStyleStacked::GetHeaderRect(CRect /*rc*/, const CTKPTabStrip* /*strip*/)
{
    return CRect(0, 0, 0, 0);
}

CRect TabShapeStyleStacked::GetHeaderArea(CRect rc, const CTKPTabStrip* strip)
{
    const CTKPTabManagerItem* selected = strip ? strip->GetSelectedItem() : nullptr;
    const BOOL framed = m_pPainter->m_nClientFrame != TKP_TABCLIENT_NONE;
    if (selected) {
        const int h = GetRowHeight(strip), i = selected->m_nIndex, n = strip->GetItemCount();
        const int top = rc.top + 1 + (i + 1) * h;
        rc.bottom = std::max(rc.bottom - (n - i - 1) * h, top + h);
        rc.top = top;
        if (i == n - 1 && framed)
            rc.bottom -= 1;
    }
    if (framed)
        rc.DeflateRect(1, 0);
    return rc;
}

void TabShapeStyleStacked::AdjustClientRect(CTKPTabStrip* strip, CRect& rc)
{
    const int position = GetPosition();
    DeflateByMargin(rc, m_pPainter->m_rcControlMargin, position);
    rc = GetHeaderArea(rc, strip);
    DeflateByMargin(rc, GetClientMargin(), position);
}

void TabShapeStyleStacked::RepositionTabs(CTKPTabStrip* strip, CDC* pDC, CRect rc)
{
    DeflateByMargin(rc, m_pPainter->m_rcControlMargin, GetPosition());
    for (int i = 0; i < strip->GetNavigateButtonCount(); ++i)
        strip->GetNavigateButton(i)->m_rcButton.SetRectEmpty();
    strip->m_nScrollOffset = 0;
    const int n = strip->GetItemCount();
    if (n == 0)
        return;
    const int h = GetRowHeight(strip);
    const int left = m_pPainter->m_nClientFrame == TKP_TABCLIENT_NONE ? rc.left : rc.left + 1;
    CTKPTabManagerItem* selected = strip->GetSelectedItem();
    const int sel = selected ? selected->m_nIndex : -1;
    int y = rc.top + 1, selectedTop = rc.top + 1;
    for (int i = 0; i < n; ++i) {
        CTKPTabManagerItem* item = strip->GetItem(i);
        item->m_nWidth = item->m_nFullWidth = item->m_bVisible ? GetTabWidth(pDC, item) : 0;
        if (i == sel + 1 && sel >= 0) {
            int next = rc.bottom - (n - sel - 1) * h;
            next = std::max(next, selectedTop + 2 * h);
            next = std::min(next, rc.bottom - 1);
            y = std::max(next, selectedTop + h);
        }
        if (i == sel)
            selectedTop = y;
        item->m_rcItem.SetRect(left, y, rc.right, y + h);
        y += h;
    }
}

void TabShapeStyleStacked::DrawTabControl(CDC* pDC, CTKPTabStrip* strip, CRect rc)
{
    TabColorScheme* scheme = GetColorScheme();
    if (!scheme)
        return;
    pDC->FillSolidRect(rc, scheme->m_clrHeaderFace);
    DeflateByMargin(rc, m_pPainter->m_rcControlMargin, GetPosition());
    HRGN saved = ::CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = ::GetClipRgn(pDC->m_hDC, saved) == 1;
    pDC->IntersectClipRect(rc);
    if (m_pPainter->m_nClientFrame == TKP_TABCLIENT_NONE) {
        if (strip->GetItemCount() > 0)
            HLine(pDC, rc.top, rc.left, rc.right - 1, scheme->m_clrFrame);
    } else {
        pDC->Draw3dRect(rc, scheme->m_clrFrame, scheme->m_clrFrame);
    }
    pDC->SetBkMode(TRANSPARENT);
    for (int i = strip->GetItemCount() - 1; i >= 0; --i) {
        CTKPTabManagerItem* item = strip->GetItem(i);
        CRect meet;
        if (item->m_bVisible && !item->m_rcItem.IsRectEmpty() && meet.IntersectRect(item->m_rcItem, rc))
            DrawSingleTab(pDC, item);
    }
    ::SelectClipRgn(pDC->m_hDC, hadClip ? saved : nullptr);
    ::DeleteObject(saved);
}

void TabShapeStyleStacked::DrawSingleTab(CDC* pDC, CTKPTabManagerItem* item)
{
    TabColorScheme* scheme = GetColorScheme();
    const CRect& rc = item->m_rcItem;
    scheme->FillTab(pDC, rc, item);
    pDC->Draw3dRect(rc, scheme->m_clrFrameHighlight, scheme->m_clrFrame);
    const COLORREF gripper = GetColorTable().GetColorByIndex(38);
    for (int y = rc.top + 4; y < rc.bottom - 3; y += 2)
        pDC->FillSolidRect(rc.right - 7, y, 3, 1, gripper);
    DrawContent(this, pDC, item, CRect(rc.left, rc.top, rc.right - 7, rc.bottom));
}
