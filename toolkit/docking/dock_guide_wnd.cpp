// The docking guides: their pieces in the guide bitmaps, drawing, shapes, the pixel-exact hit test,
// and where the drag context shows them.
#include "toolkit/docking/dock_drag_context.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/pane_manager.h"
#include "toolkit/docking/pane_splitter.h"

#include <algorithm>

namespace {

// Style 0: top, left, bottom, right, their hot looks, centre, hot centre, compass background.
const CTKPGuidePiece kStyle0[] = {
    {{25, 0}, {0, 0, 43, 30}},     {{0, 25}, {30, 33, 60, 76}},  {{25, 63}, {43, 0, 86, 30}},
    {{63, 25}, {0, 33, 30, 76}},   {{25, 0}, {0, 76, 43, 106}},  {{0, 25}, {90, 33, 120, 76}},
    {{25, 63}, {43, 76, 86, 106}}, {{63, 25}, {60, 33, 90, 76}}, {{30, 30}, {86, 0, 119, 33}},
    {{30, 30}, {86, 76, 119, 109}}, {{25, 25}, {0, 0, 43, 43}},
};
// Style 1: the same eight arrows, the centre, the hot and plain compass backgrounds, then the single
// arrows at the frame's edges and their hot looks.
const CTKPGuidePiece kStyle1[] = {
    {{30, 0}, {61, 29, 90, 59}},   {{0, 30}, {90, 30, 120, 59}},  {{30, 59}, {91, 0, 120, 30}},
    {{60, 30}, {62, 0, 92, 29}},   {{30, 0}, {61, 90, 90, 120}},  {{0, 30}, {90, 91, 120, 120}},
    {{30, 59}, {91, 61, 120, 91}}, {{60, 30}, {62, 61, 92, 90}},  {{30, 30}, {120, 82, 148, 111}},
    {{24, 24}, {120, 41, 161, 82}}, {{24, 24}, {120, 0, 161, 41}}, {{0, 0}, {0, 29, 29, 61}},
    {{0, 0}, {29, 32, 61, 61}},    {{0, 0}, {32, 0, 61, 32}},     {{0, 0}, {0, 0, 32, 29}},
    {{0, 0}, {0, 90, 29, 122}},    {{0, 0}, {29, 93, 61, 122}},   {{0, 0}, {32, 61, 61, 93}},
    {{0, 0}, {0, 61, 32, 90}},
};

constexpr COLORREF kGuideMask = RGB(0, 255, 0);
constexpr int kEdgeGuideMargin = 16;

BOOL IsEmpty(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

// The piece entry of an arrow flag: top 0, left 1, bottom 2, right 3.
int ArrowEntry(int flag)
{
    switch (flag) {
    case guideTop:
        return 0;
    case guideLeft:
        return 1;
    case guideBottom:
        return 2;
    default:
        return 3;
    }
}

// The bitmaps of the guides, loaded once for the process.
HBITMAP GuideBitmap(UINT id)
{
    static HBITMAP bitmaps[5] = {};
    const UINT index = id == TKP_IDB_GUIDE_PIECES ? 4 : id - TKP_IDB_GUIDE_COMPASS;
    if (index > 4)
        return nullptr;
    if (!bitmaps[index])
        GetResourceLoader().LoadBitmap(bitmaps[index], id);
    return bitmaps[index];
}

SIZE PieceSize(const CTKPGuidePiece& piece)
{
    return SIZE{piece.source.right - piece.source.left, piece.source.bottom - piece.source.top};
}

// What a guide shows: each piece with its bitmap and place.
struct GuidePart {
    int flag;  // the hot code it answers to; 0 for the compass background
    HBITMAP bitmap;
    const CTKPGuidePiece* piece;
    POINT at;
};

std::vector<GuidePart> GuideParts(int style, DWORD flags, int hot, BOOL forHitTest)
{
    std::vector<GuidePart> parts;
    const BOOL compass = (flags & guideCompass) != 0;
    if (style == 0) {
        HBITMAP arrows = GuideBitmap(TKP_IDB_GUIDE_ARROWS);
        if (!forHitTest) {
            const int scheme = GetCurrentSystemThemeKind();
            if (scheme == 2)
                arrows = GuideBitmap(TKP_IDB_GUIDE_ARROWS_OLIVE);
            else if (scheme == 3)
                arrows = GuideBitmap(TKP_IDB_GUIDE_ARROWS_SILVER);
        }
        HBITMAP back = GuideBitmap(TKP_IDB_GUIDE_COMPASS);
        if (compass && !forHitTest)
            parts.push_back({0, back, &kStyle0[10], kStyle0[10].offset});
        for (int flag : {guideTop, guideLeft, guideBottom, guideRight}) {
            if (!(flags & DWORD(flag)))
                continue;
            const CTKPGuidePiece& piece = kStyle0[ArrowEntry(flag) + (hot == flag ? 4 : 0)];
            parts.push_back({flag, arrows, &piece, compass ? piece.offset : POINT{0, 0}});
        }
        if (compass && (flags & guideCentre)) {
            if (forHitTest)
                parts.push_back({guideCentre, back, &kStyle0[10], kStyle0[10].offset});
            else {
                const CTKPGuidePiece& piece = kStyle0[hot == guideCentre ? 9 : 8];
                parts.push_back({guideCentre, arrows, &piece, piece.offset});
            }
        }
        return parts;
    }
    HBITMAP bitmap = GuideBitmap(TKP_IDB_GUIDE_PIECES);
    if (compass && !forHitTest) {
        const CTKPGuidePiece& back = kStyle1[hot == guideCentre ? 9 : 10];
        parts.push_back({0, bitmap, &back, back.offset});
    }
    for (int flag : {guideTop, guideLeft, guideBottom, guideRight}) {
        if (!(flags & DWORD(flag)))
            continue;
        if (compass) {
            const CTKPGuidePiece& piece = kStyle1[ArrowEntry(flag) + (hot == flag ? 4 : 0)];
            parts.push_back({flag, bitmap, &piece, piece.offset});
        } else {
            const CTKPGuidePiece& piece = kStyle1[11 + ArrowEntry(flag) + (hot == flag ? 4 : 0)];
            parts.push_back({flag, bitmap, &piece, POINT{0, 0}});
        }
    }
    if (compass && (flags & guideCentre)) {
        if (forHitTest)
            parts.push_back({guideCentre, bitmap, &kStyle1[10], kStyle1[10].offset});
        else
            parts.push_back({guideCentre, bitmap, &kStyle1[8], kStyle1[8].offset});
    }
    return parts;
}

// A black bitmap of a size in a memory DC, for drawing guides to read their pixels back.
class BlackCanvas {
public:
    BlackCanvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        if (m_bits)
            std::fill(m_bits, m_bits + size_t(width) * size_t(height), 0u);
    }
    ~BlackCanvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    BlackCanvas(const BlackCanvas&) = delete;
    BlackCanvas& operator=(const BlackCanvas&) = delete;

    HDC DC() const { return m_dc; }
    BOOL IsLit(int x, int y) const
    {
        ::GdiFlush();
        if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
            return FALSE;
        return (m_bits[size_t(y) * size_t(m_width) + size_t(x)] & 0x00FFFFFF) != 0;
    }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

} // namespace

const CTKPGuidePiece* GetGuidePieces(int style, int& count)
{
    if (style == 0) {
        count = int(std::size(kStyle0));
        return kStyle0;
    }
    count = int(std::size(kStyle1));
    return kStyle1;
}

// ---- Drawing -----------------------------------------------------------------------------------
void CTKPDockDragContext::DrawPiece(HDC hdc, HBITMAP bitmap, const CTKPGuidePiece& piece, POINT at)
{
    if (!bitmap)
        return;
    const SIZE size = PieceSize(piece);
    // The piece is copied out and drawn through an image list that leaves its green out.
    HDC source = ::CreateCompatibleDC(hdc);
    HGDIOBJ oldSource = ::SelectObject(source, bitmap);
    HDC copy = ::CreateCompatibleDC(hdc);
    HBITMAP cut = ::CreateCompatibleBitmap(source, size.cx, size.cy);
    HGDIOBJ oldCopy = ::SelectObject(copy, cut);
    ::BitBlt(copy, 0, 0, size.cx, size.cy, source, piece.source.left, piece.source.top, SRCCOPY);
    ::SelectObject(copy, oldCopy);
    ::DeleteDC(copy);
    ::SelectObject(source, oldSource);
    ::DeleteDC(source);
    HIMAGELIST list = ImageList_Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 1, 0);
    if (list) {
        ImageList_AddMasked(list, cut, kGuideMask);
        ImageList_Draw(list, 0, hdc, at.x, at.y, ILD_TRANSPARENT);
        ImageList_Destroy(list);
    }
    ::DeleteObject(cut);
}

int CTKPDockDragContext::GetGuideStyle() const
{
    return m_pManager && m_pManager->m_nStickerStyle == 1 ? 1 : 0;
}

SIZE CTKPDockDragContext::GetGuideSize(DWORD flag) const
{
    const int style = GetGuideStyle();
    if (flag & guideCompass)
        return style == 0 ? SIZE{93, 93} : SIZE{89, 89};
    const BOOL across = flag == guideTop || flag == guideBottom;
    if (style == 0)
        return across ? SIZE{43, 30} : SIZE{30, 43};
    return across ? SIZE{29, 32} : SIZE{32, 29};
}

void CTKPDockDragContext::DrawGuide(CDC* dc, DWORD flags, int hot) const
{
    for (const GuidePart& part : GuideParts(GetGuideStyle(), flags, hot, FALSE))
        DrawPiece(dc->m_hDC, part.bitmap, *part.piece, part.at);
}

HRGN CTKPDockDragContext::GetGuideRegion(DWORD flags)
{
    if (auto it = m_regions.find(flags); it != m_regions.end())
        return it->second;
    const SIZE size = GetGuideSize(flags & guideCompass ? DWORD(guideCompass) : flags);
    BlackCanvas canvas(size.cx, size.cy);
    CDC dc;
    dc.Attach(canvas.DC());
    DrawGuide(&dc, flags, 0);
    dc.Detach();
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx;) {
            if (!canvas.IsLit(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < size.cx && canvas.IsLit(x, y))
                ++x;
            HRGN run = ::CreateRectRgn(start, y, x, y + 1);
            ::CombineRgn(region, region, run, RGN_OR);
            ::DeleteObject(run);
        }
    m_regions[flags] = region;
    return region;
}

// ---- Guide windows -----------------------------------------------------------------------------
int CTKPDockGuideWnd::HitTest(POINT screen) const
{
    if (!GetSafeHwnd())
        return 0;
    POINT pt = screen;
    ::ScreenToClient(m_hWnd, &pt);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (!::PtInRect(&client, pt))
        return 0;
    const int style = m_pContext->GetGuideStyle();
    for (const GuidePart& part : GuideParts(style, m_dwFlags, 0, TRUE)) {
        BlackCanvas canvas(client.right, client.bottom);
        CTKPDockDragContext::DrawPiece(canvas.DC(), part.bitmap, *part.piece, part.at);
        if (canvas.IsLit(pt.x, pt.y))
            return part.flag;
    }
    return 0;
}

void CTKPDockGuideWnd::Draw(CDC* dc) const
{
    m_pContext->DrawGuide(dc, m_dwFlags, m_nHot);
}

LRESULT CTKPDockGuideWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        // Drawn off screen and copied at once, so the guide never flickers while its arrows light up.
        HDC mem = ::CreateCompatibleDC(hdc);
        HBITMAP bitmap = ::CreateCompatibleBitmap(hdc, rc.right, rc.bottom);
        HGDIOBJ old = ::SelectObject(mem, bitmap);
        ::FillRect(mem, &rc, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        CDC dc;
        dc.Attach(mem);
        Draw(&dc);
        dc.Detach();
        ::BitBlt(hdc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(mem);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

CTKPDockGuideWnd* CTKPDockDragContext::CreateGuide(const RECT& rc, DWORD flags)
{
    if (flags == 0 || flags == guideCompass)
        return nullptr;
    CWnd* site = m_pManager->GetSite();
    auto* guide = new CTKPDockGuideWnd(this, flags);
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    if (!guide->CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, cls, u"", WS_POPUP, rc.left, rc.top, rc.right - rc.left,
                         rc.bottom - rc.top, site ? site->GetSafeHwnd() : nullptr, nullptr, nullptr)) {
        delete guide;
        return nullptr;
    }
    if (HRGN shape = GetGuideRegion(flags)) {
        HRGN copy = ::CreateRectRgn(0, 0, 0, 0);
        ::CombineRgn(copy, shape, nullptr, RGN_COPY);
        ::SetWindowRgn(guide->m_hWnd, copy, FALSE);
    }
    ::SetWindowPos(guide->m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE);
    m_guides.push_back(guide);
    return guide;
}

void CTKPDockDragContext::DestroyGuides()
{
    for (CTKPDockGuideWnd* guide : m_guides) {
        if (guide->GetSafeHwnd())
            guide->DestroyWindow();
        delete guide;
    }
    m_guides.clear();
    m_pGuidesFor = nullptr;
}

void CTKPDockDragContext::UpdateGuides()
{
    if (!m_pHovered) {
        DestroyGuides();
        return;
    }
    if (m_pHovered == m_pGuidesFor && !m_guides.empty())
        return;
    DestroyGuides();
    const SIZE size = GetGuideSize(guideCompass);
    const int cx = (m_rcHovered.left + m_rcHovered.right) / 2, cy = (m_rcHovered.top + m_rcHovered.bottom) / 2;
    const RECT compass{cx - size.cx / 2, cy - size.cy / 2, cx - size.cx / 2 + size.cx, cy - size.cy / 2 + size.cy};
    DWORD flags = 0;
    if (CanDock(m_pHovered, dockLeftOf))
        flags |= guideLeft;
    if (CanDock(m_pHovered, dockRightOf))
        flags |= guideRight;
    if (CanDock(m_pHovered, dockBottomOf))
        flags |= guideBottom;
    if (CanDock(m_pHovered, dockTopOf))
        flags |= guideTop;
    if (m_pHovered != m_pManager->GetClientPane() && AsTabbedHolder(m_pHovered) && CanAttach(m_pHovered))
        flags |= guideCentre | guideCompass;
    else
        flags |= guideCompass;
    CreateGuide(compass, flags);
    m_pGuidesFor = m_pHovered;

    // The single arrows at the edges of the frame's docked area.
    CTKPPaneBase* top = m_pManager->GetTopContainer();
    const RECT outer = OuterRect();
    if (!top || IsEmpty(outer))
        return;
    const int mx = (outer.left + outer.right) / 2, my = (outer.top + outer.bottom) / 2;
    struct Edge {
        int side;
        DWORD flag;
    } edges[] = {{dockTopOf, guideTop}, {dockLeftOf, guideLeft}, {dockBottomOf, guideBottom}, {dockRightOf, guideRight}};
    for (const Edge& edge : edges) {
        if (!CanDock(top, edge.side))
            continue;
        const SIZE s = GetGuideSize(edge.flag);
        POINT at{};
        switch (edge.side) {
        case dockTopOf:
            at = POINT{mx - s.cx / 2, outer.top + kEdgeGuideMargin};
            break;
        case dockLeftOf:
            at = POINT{outer.left + kEdgeGuideMargin, my - s.cy / 2};
            break;
        case dockBottomOf:
            at = POINT{mx - s.cx / 2, outer.bottom - kEdgeGuideMargin - s.cy};
            break;
        default:
            at = POINT{outer.right - kEdgeGuideMargin - s.cx, my - s.cy / 2};
            break;
        }
        CreateGuide(RECT{at.x, at.y, at.x + s.cx, at.y + s.cy}, edge.flag);
    }
}
