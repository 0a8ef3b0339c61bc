// A tab strip host for tests: it lays itself out in a fixed rectangle, counts repositions and
// redraws, and can give its tabs fixed widths.
#pragma once

#include "toolkit/docking/tab_colors.h"
#include "toolkit/docking/tab_manager.h"
#include "toolkit/docking/tab_painter.h"
#include "toolkit/docking/tab_painter_shapes.h"

#include <initializer_list>
#include <vector>

namespace tabtest {

class Strip : public CTKPTabStrip {
public:
    explicit Strip(CTKPTabPainter* painter, CRect rc = CRect(0, 0, 300, 60)) : painter(painter), rc(rc)
    {
        painter->AddStrip(this);
    }
    void Reposition() override
    {
        ++repositions;
        painter->RepositionTabControl(this, nullptr, rc);
    }
    CTKPTabPainter* GetPaintManager() const override { return painter; }
    void RedrawControl() override { ++redraws; }
    BOOL DrawItemIcon(CDC*, CPoint, CTKPTabManagerItem*, BOOL, CSize&) override { return FALSE; }
    void OnNavigateButtonClick(int id) override { closeClicks += id == TKP_TABNAV_CLOSE; }
    void OnScroll(int direction) override
    {
        ++scrolls;
        CTKPTabStrip::OnScroll(direction);
    }

    // Tabs captioned "0", "1", ...
    void AddTabs(int count)
    {
        for (int i = 0; i < count; ++i) {
            CTKPTabManagerItem* item = InsertItem(-1);
            item->SetCaption(CString(std::u16string(1, char16_t(u'0' + i)).c_str()));
        }
    }

    CTKPTabPainter* painter;
    CRect rc;
    int repositions = 0;
    int redraws = 0;
    int closeClicks = 0;
    int scrolls = 0;
};

// A style of the given shape whose tabs measure what their spare word says.
template <class Base = TabShapeStyleBevel>
class FixedWidths : public Base {
public:
    int GetTabWidth(CDC*, CTKPTabManagerItem* item) override { return int(item->m_dwSpare); }
};

// Installs fixed-width measuring into the painter, keeping its position and layout.
template <class Base = TabShapeStyleBevel>
void UseFixedWidths(CTKPTabPainter& painter)
{
    painter.SetShapeStyle(new FixedWidths<Base>);
}

inline void SetWidths(CTKPTabStrip& strip, std::initializer_list<int> widths)
{
    int i = 0;
    for (int w : widths)
        strip.GetItem(i++)->m_dwSpare = DWORD_PTR(w);
    strip.Reposition();
}

// A 32-bit memory DC filled white, the tab tests' drawing surface.
class Canvas : public CDC {
public:
    Canvas(int width, int height)
    {
        Attach(::CreateCompatibleDC(nullptr));
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = ::SelectObject(m_hDC, m_bitmap);
        PatBlt(0, 0, width, height, WHITENESS);
        m_width = width;
        m_height = height;
    }
    ~Canvas() override
    {
        ::SelectObject(m_hDC, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(Detach());
    }
    std::vector<COLORREF> Pixels() const
    {
        std::vector<COLORREF> out;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                out.push_back(GetPixel(x, y));
        return out;
    }
    void Clear() { PatBlt(0, 0, m_width, m_height, WHITENESS); }

private:
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    int m_width, m_height;
};

} // namespace tabtest
