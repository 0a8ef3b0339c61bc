// Flat-bordered static and edit windows: one pixel taken from the client area on every side and
// painted in the toolkit's frame colour; the font follows the command bars.
#include "toolkit/base/flat_border_wnd.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/paint_manager.h"

IMPLEMENT_DYNAMIC(CTKPFlatStatic, CStatic)
IMPLEMENT_DYNAMIC(CTKPFlatEdit, CEdit)

namespace {

// The colour-table entry of the frame drawn around the window.
constexpr UINT kFrameColorIndex = 52;

} // namespace

LRESULT FlatBorderWindowProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT (*defaultProc)(CWnd*, UINT, WPARAM, LPARAM))
{
    switch (message) {
    case WM_CREATE: {
        LRESULT result = defaultProc(pWnd, message, wParam, lParam);
        if (result == -1)
            return result;
        if (!GetGlobalPaintManager())
            SetGlobalTheme(TKP_THEME_CLASSIC);
        CTKPPaintManager* pm = GetGlobalPaintManager();
        HFONT font = pm && pm->m_fontRegular ? pm->m_fontRegular : (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
        ::SendMessageW(pWnd->m_hWnd, WM_SETFONT, (WPARAM)font, TRUE);
        return 0;
    }
    case WM_NCCALCSIZE: {
        defaultProc(pWnd, message, wParam, lParam);
        // With wParam set the block starts with the new window rectangle; either way a RECT comes first.
        if (auto* rc = reinterpret_cast<RECT*>(lParam))
            ::InflateRect(rc, -1, -1);
        return TRUE;
    }
    case WM_NCPAINT: {
        LRESULT result = defaultProc(pWnd, message, wParam, lParam);
        if (HDC hdc = ::GetWindowDC(pWnd->m_hWnd)) {
            RECT rc;
            ::GetWindowRect(pWnd->m_hWnd, &rc);
            ::OffsetRect(&rc, -rc.left, -rc.top);
            HBRUSH brush = ::CreateSolidBrush(GetColorTable().GetColorByIndex(kFrameColorIndex));
            ::FrameRect(hdc, &rc, brush);
            ::DeleteObject(brush);
            ::ReleaseDC(pWnd->m_hWnd, hdc);
        }
        return result;
    }
    default:
        return defaultProc(pWnd, message, wParam, lParam);
    }
}

LRESULT CTKPFlatStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return FlatBorderWindowProc(this, message, wParam, lParam, [](CWnd* pWnd, UINT m, WPARAM w, LPARAM l) {
        return static_cast<CTKPFlatStatic*>(pWnd)->CStatic::WindowProc(m, w, l);
    });
}

LRESULT CTKPFlatEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return FlatBorderWindowProc(this, message, wParam, lParam, [](CWnd* pWnd, UINT m, WPARAM w, LPARAM l) {
        return static_cast<CTKPFlatEdit*>(pWnd)->CEdit::WindowProc(m, w, l);
    });
}
