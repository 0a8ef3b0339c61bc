// The canvas metafiles are played on: a memory DC over a 32-bit DIB section, drawn with GDI's own pens,
// brushes, fonts and shapes, copied into the decoded picture at the end.
#include "backend/images/emf_player.h"
#include "backend/images/image_decode.h"
#include "win32/gdi.h"
#include "win32/picture.h"

#include <cstring>
#include <vector>

namespace {

class GdiCanvas final : public backend::EmfCanvas {
public:
    explicit GdiCanvas(backend::DecodedImage& target) : m_target(target)
    {
        m_bitmap = dovemark::CreateTopDownDib32(target.width, target.height, &m_bits);
        m_dc = m_bitmap ? ::CreateCompatibleDC(nullptr) : nullptr;
        if (!m_dc)
            return;
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
        m_oldPen = ::SelectObject(m_dc, ::GetStockObject(BLACK_PEN));
        m_oldBrush = ::SelectObject(m_dc, ::GetStockObject(WHITE_BRUSH));
        m_oldFont = ::SelectObject(m_dc, ::GetStockObject(DEFAULT_GUI_FONT));
        // Metafiles draw on a white page.
        const RECT all{0, 0, target.width, target.height};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }

    ~GdiCanvas() override
    {
        if (m_dc) {
            ::SelectClipRgn(m_dc, nullptr);
            ::SelectObject(m_dc, m_oldPen);
            ::SelectObject(m_dc, m_oldBrush);
            ::SelectObject(m_dc, m_oldFont);
            ::SelectObject(m_dc, m_oldBitmap);
            ::DeleteDC(m_dc);
        }
        for (HGDIOBJ o : {m_pen, m_brush, m_font})
            if (o)
                ::DeleteObject(o);
        if (m_bitmap)
            ::DeleteObject(m_bitmap);
    }

    bool Ready() const { return m_dc != nullptr; }

    void SetPen(const backend::EmfPen& pen) override
    {
        HPEN made = pen.style == PS_NULL ? nullptr : ::CreatePen(pen.style, pen.width, pen.colour);
        Replace(m_pen, made, made ? made : ::GetStockObject(NULL_PEN));
    }

    void SetBrush(const backend::EmfBrush& brush) override
    {
        HBRUSH made = nullptr;
        if (brush.style == BS_SOLID)
            made = ::CreateSolidBrush(brush.colour);
        else if (brush.style == BS_HATCHED)
            made = ::CreateHatchBrush(brush.hatch, brush.colour);
        Replace(m_brush, made, made ? made : ::GetStockObject(NULL_BRUSH));
    }

    void SetFont(const backend::EmfFont& font) override
    {
        const std::u16string face = font.face.empty() ? u"Arial" : font.face;
        HFONT made = ::CreateFontW(font.height, 0, 0, 0, font.weight, font.italic, font.underline, font.strikeOut,
                                   DWORD(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH, (LPCWSTR)face.c_str());
        Replace(m_font, made, made ? made : ::GetStockObject(DEFAULT_GUI_FONT));
    }

    void SetTextColour(uint32_t colour) override { ::SetTextColor(m_dc, colour); }
    void SetBackColour(uint32_t colour) override { ::SetBkColor(m_dc, colour); }
    void SetBackMode(int mode) override { ::SetBkMode(m_dc, mode == TRANSPARENT ? TRANSPARENT : OPAQUE); }
    void SetFillMode(int mode) override { ::SetPolyFillMode(m_dc, mode == WINDING ? WINDING : ALTERNATE); }
    void SetTextAlign(uint32_t align) override { ::SetTextAlign(m_dc, align); }

    void SetClip(const backend::EmfRect* clip) override
    {
        if (!clip) {
            ::SelectClipRgn(m_dc, nullptr);
            return;
        }
        HRGN region = ::CreateRectRgn(clip->left, clip->top, clip->right, clip->bottom);
        ::SelectClipRgn(m_dc, region);
        ::DeleteObject(region);
    }

    void Polyline(const backend::EmfPoint* points, size_t count) override
    {
        ::Polyline(m_dc, Points(points, count), int(count));
    }

    void PolyPolygon(const backend::EmfPoint* points, const int* counts, size_t polygons) override
    {
        // Polygons of fewer than two points draw nothing and would fail the whole call.
        m_points.clear();
        m_counts.clear();
        for (size_t i = 0, at = 0; i < polygons; at += size_t(counts[i]), ++i) {
            if (counts[i] < 2)
                continue;
            for (int k = 0; k < counts[i]; ++k)
                m_points.push_back(POINT{points[at + size_t(k)].x, points[at + size_t(k)].y});
            m_counts.push_back(counts[i]);
        }
        if (!m_counts.empty())
            ::PolyPolygon(m_dc, m_points.data(), m_counts.data(), int(m_counts.size()));
    }

    void Rectangle(const backend::EmfRect& r) override { ::Rectangle(m_dc, r.left, r.top, r.right, r.bottom); }
    void Ellipse(const backend::EmfRect& r) override { ::Ellipse(m_dc, r.left, r.top, r.right, r.bottom); }
    void RoundRect(const backend::EmfRect& r, int width, int height) override
    {
        ::RoundRect(m_dc, r.left, r.top, r.right, r.bottom, width, height);
    }
    void SetPixel(backend::EmfPoint at, uint32_t colour) override { ::SetPixelV(m_dc, at.x, at.y, colour); }

    void Text(backend::EmfPoint at, const char16_t* text, size_t length, const backend::EmfRect* opaque) override
    {
        RECT box{};
        if (opaque)
            box = RECT{opaque->left, opaque->top, opaque->right, opaque->bottom};
        ::ExtTextOutW(m_dc, at.x, at.y, opaque ? ETO_OPAQUE : 0, opaque ? &box : nullptr, (LPCWSTR)text,
                      UINT(length), nullptr);
    }

    bool Finish() override
    {
        ::GdiFlush();
        const auto* bits = static_cast<const uint32_t*>(m_bits);
        for (size_t i = 0; i < m_target.pixels.size(); ++i)
            m_target.pixels[i] = bits[i] | 0xFF000000u;
        return true;
    }

private:
    // Selects the object (made here, or a stock one) and deletes the one made before it.
    void Replace(HGDIOBJ& held, HGDIOBJ made, HGDIOBJ selected)
    {
        ::SelectObject(m_dc, selected);
        if (held)
            ::DeleteObject(held);
        held = made;
    }

    const POINT* Points(const backend::EmfPoint* points, size_t count)
    {
        m_points.resize(count);
        for (size_t i = 0; i < count; ++i)
            m_points[i] = POINT{points[i].x, points[i].y};
        return m_points.data();
    }

    backend::DecodedImage& m_target;
    HBITMAP m_bitmap = nullptr;
    void* m_bits = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_oldBitmap = nullptr, m_oldPen = nullptr, m_oldBrush = nullptr, m_oldFont = nullptr;
    HGDIOBJ m_pen = nullptr, m_brush = nullptr, m_font = nullptr;
    std::vector<POINT> m_points;
    std::vector<INT> m_counts;
};

std::unique_ptr<backend::EmfCanvas> MakeCanvas(backend::DecodedImage& target)
{
    auto canvas = std::make_unique<GdiCanvas>(target);
    if (!canvas->Ready())
        return nullptr;
    return canvas;
}

} // namespace

void dovemark::InstallEmfCanvas()
{
    backend::SetEmfCanvasMaker(&MakeCanvas);
}
