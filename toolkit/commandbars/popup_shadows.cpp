// Drop shadows of popups: the manager of the strip windows, their placement, painting and hooks.
#include "toolkit/commandbars/popup_shadows.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/trackers.h"

#include <algorithm>

namespace {

#ifndef ULW_ALPHA
#define ULW_ALPHA 0x00000002
#endif

using FnUpdateLayeredWindow = BOOL (*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

} // namespace

// One strip: a top-most tool window hooked into its owner's window.
class CTKPShadowWnd : public CWnd, public CTKPWndHookChain {
public:
    CTKPShadowWnd(CTKPCommandBar* owner, BOOL horizontal, BOOL themeShadow)
        : m_pOwner(owner), m_hWndOwner(owner ? owner->m_hWnd : nullptr), m_bHorizontal(horizontal),
          m_bThemeShadow(themeShadow)
    {
    }
    ~CTKPShadowWnd() override
    {
        CTKPWndHookChain::RemoveHook(this);
        CTKPPopupShadows::Get().Forget(this);
    }

    int OnHookMessage(HWND hWnd, UINT message, WPARAM& wParam, LPARAM&, LRESULT&) override
    {
        if (hWnd != m_hWndOwner)
            return 0;
        if (message == WM_SHOWWINDOW && m_hWnd)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                               (wParam ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        else if (message == WM_DESTROY)
            Dispose(); // the chain walks a copy of its hooks, so the strip may go now
        return 0;
    }

    // Unhooks, destroys the window and deletes the strip.
    void Dispose()
    {
        CTKPWndHookChain::RemoveHook(this);
        if (m_hWnd)
            DestroyWindow();
        delete this;
    }

    void Paint(HDC hdc, const RECT& rc)
    {
        HBRUSH brush = ::CreateSolidBrush(GetColorTable().GetColorByIndex(COLOR_BTNSHADOW));
        ::FillRect(hdc, &rc, brush);
        ::DeleteObject(brush);
    }

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (message == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC hdc = ::BeginPaint(m_hWnd, &ps);
            RECT rc;
            ::GetClientRect(m_hWnd, &rc);
            Paint(hdc, rc);
            ::EndPaint(m_hWnd, &ps);
            if (pResult)
                *pResult = 0;
            return TRUE;
        }
        if (message == WM_ERASEBKGND || message == WM_NCHITTEST) {
            if (pResult)
                *pResult = message == WM_NCHITTEST ? HTTRANSPARENT : 1;
            return TRUE;
        }
        return CWnd::OnWndMsg(message, wParam, lParam, pResult);
    }

    CTKPCommandBar* m_pOwner;
    HWND m_hWndOwner;
    BOOL m_bHorizontal;
    BOOL m_bThemeShadow;
};

CTKPPopupShadows& CTKPPopupShadows::Get()
{
    static CTKPPopupShadows shadows;
    return shadows;
}

CTKPPopupShadows::CTKPPopupShadows()
{
    if (HMODULE user = ::GetModuleHandleW(u"USER32"))
        m_pfnUpdateLayeredWindow = ::GetProcAddress(user, "UpdateLayeredWindow");
}

CTKPPopupShadows::~CTKPPopupShadows()
{
    // Strips still shown at exit belong to windows the layer tears down itself.
    m_strips.clear();
}

RECT CTKPPopupShadows::StripRect(const RECT& bar, BOOL horizontal, int thickness)
{
    return horizontal ? RECT{bar.left + thickness, bar.bottom, bar.right + thickness, bar.bottom + thickness}
                      : RECT{bar.right, bar.top + thickness, bar.right + thickness, bar.bottom};
}

std::vector<DWORD> CTKPPopupShadows::MakeLayeredPixels(int length, BOOL horizontal, COLORREF color,
                                                      BOOL themeShadow)
{
    const int thickness = 4;
    if (length <= 0)
        return {};
    const int k = themeShadow ? 1 : 2;
    const int width = horizontal ? length : thickness, height = horizontal ? thickness : length;
    std::vector<DWORD> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Step i counts outwards from the popup's edge; a fade of 0.05 per pixel at both ends.
            const int i = horizontal ? y : x;
            const int along = horizontal ? x : y;
            const int fromEnd = std::min(along, length - 1 - along);
            const double fade = std::min(1.0, 0.05 * (fromEnd + 1));
            const double alpha = (4 - i) * 15 * k * fade;
            const double scale = alpha / 255.0 * 0.25 * (4 - i);
            const DWORD a = DWORD(alpha);
            const DWORD r = DWORD(GetRValue(color) * scale), g = DWORD(GetGValue(color) * scale),
                        b = DWORD(GetBValue(color) * scale);
            pixels[size_t(y) * size_t(width) + size_t(x)] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    return pixels;
}

void CTKPPopupShadows::ShowShadow(CTKPCommandBar* bar, const RECT& exclude)
{
    if (!bar || !bar->m_hWnd || bar->IsCustomizeMode())
        return;
    CTKPPaintManager* paint = bar->GetPaintManager();
    const BOOL themeShadow = paint && paint->HasPopupShadow();
    if (!themeShadow) {
        BOOL dropShadow = FALSE;
        if (!IsLayered() || !::SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &dropShadow, 0) || !dropShadow)
            return;
    }
    RECT rc;
    ::GetWindowRect(bar->m_hWnd, &rc);
    // A popup opened over another's shadow (a submenu beside its parent) cuts it where it covers it.
    for (CTKPShadowWnd* other : m_strips)
        if (other->m_pOwner != bar && other->m_hWnd)
            CutStrip(other->m_hWnd, rc);
    CreateStrip(TRUE, rc, exclude, bar, themeShadow);
    CreateStrip(FALSE, rc, exclude, bar, themeShadow);
}

void CTKPPopupShadows::CutStrip(HWND strip, const RECT& cover)
{
    RECT rc, overlap;
    ::GetWindowRect(strip, &rc);
    if (!::IntersectRect(&overlap, &rc, &cover))
        return;
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(strip, region) == ERROR) {
        ::DeleteObject(region);
        region = ::CreateRectRgn(0, 0, rc.right - rc.left, rc.bottom - rc.top);
    }
    ::OffsetRect(&overlap, -rc.left, -rc.top);
    HRGN hole = ::CreateRectRgnIndirect(&overlap);
    ::CombineRgn(region, region, hole, RGN_DIFF);
    ::DeleteObject(hole);
    ::SetWindowRgn(strip, region, TRUE);
}

RECT CTKPPopupShadows::JoinStrip(RECT rc, BOOL horizontal, const RECT& other)
{
    RECT overlap;
    if (!::IntersectRect(&overlap, &rc, &other))
        return rc;
    // The strip starts (or ends) where the other one is, so the corner is shaded once.
    if (horizontal) {
        if (other.right < rc.right && other.left <= rc.left)
            rc.left = other.right;
        else if (other.left > rc.left)
            rc.right = other.left;
    } else {
        if (other.bottom < rc.bottom && other.top <= rc.top)
            rc.top = other.bottom;
        else if (other.top > rc.top)
            rc.bottom = other.top;
    }
    return rc;
}

void CTKPPopupShadows::ShowControlShadow(CTKPControl* control)
{
    CTKPCommandBar* bar = control ? control->GetParent() : nullptr;
    if (!bar || !bar->m_hWnd || bar->IsCustomizeMode())
        return;
    CTKPPaintManager* paint = bar->GetPaintManager();
    if (!paint || !paint->HasPopupShadow())
        return;
    RECT rc = control->GetRect();
    ::MapWindowPoints(bar->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const RECT none{0, 0, 0, 0};
    CreateStrip(TRUE, rc, none, bar, TRUE);
    CreateStrip(FALSE, rc, none, bar, TRUE);
}

void CTKPPopupShadows::CreateStrip(BOOL horizontal, const RECT& barRect, const RECT& exclude, CTKPCommandBar* owner,
                                   BOOL themeShadow)
{
    const int t = GetThickness();
    RECT rc = StripRect(barRect, horizontal, t);
    for (CTKPShadowWnd* other : m_strips)
        if (other->m_pOwner != owner && other->m_bHorizontal != horizontal && other->m_hWnd) {
            RECT otherRect;
            ::GetWindowRect(other->m_hWnd, &otherRect);
            rc = JoinStrip(rc, horizontal, otherRect);
        }
    if (::IsRectEmpty(&rc))
        return;
    auto* strip = new CTKPShadowWnd(owner, horizontal, themeShadow);
    const LPCWSTR className =
        AfxRegisterWndClass(CS_SAVEBITS | CS_OWNDC, ::LoadCursorW(nullptr, IDC_ARROW));
    const DWORD exStyle = WS_EX_TOOLWINDOW | (IsLayered() ? WS_EX_LAYERED : 0);
    CWnd* site = owner->GetSite();
    if (!strip->CreateEx(exStyle, className, u"", WS_POPUP, rc, site && site->m_hWnd ? site : nullptr, 0)) {
        delete strip;
        return;
    }
    m_strips.push_back(strip);
    // The parent control and every other shadowed popup stay clear of the strip.
    HRGN region = ::CreateRectRgn(0, 0, rc.right - rc.left, rc.bottom - rc.top);
    auto cut = [&](const RECT& other) {
        RECT overlap;
        if (!::IntersectRect(&overlap, &rc, &other))
            return;
        ::OffsetRect(&overlap, -rc.left, -rc.top);
        HRGN hole = ::CreateRectRgnIndirect(&overlap);
        ::CombineRgn(region, region, hole, RGN_DIFF);
        ::DeleteObject(hole);
    };
    cut(exclude);
    for (CTKPShadowWnd* other : m_strips)
        if (other->m_pOwner != owner && other->m_pOwner && ::IsWindow(other->m_hWndOwner)) {
            RECT ownerRect;
            ::GetWindowRect(other->m_hWndOwner, &ownerRect);
            cut(ownerRect);
        }
    ::SetWindowRgn(strip->m_hWnd, region, FALSE);
    if (IsLayered()) {
        const int length = horizontal ? rc.right - rc.left : rc.bottom - rc.top;
        const COLORREF shade = GetColorTable().GetColorByIndex(COLOR_BTNSHADOW);
        std::vector<DWORD> pixels = MakeLayeredPixels(length, horizontal, shade, themeShadow);
        BITMAPINFO bmi{};
        bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), rc.right - rc.left, -(rc.bottom - rc.top), 1, 32,
                                         BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC screen = ::GetDC(nullptr);
        HDC memory = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap && bits) {
            std::copy(pixels.begin(), pixels.end(), static_cast<DWORD*>(bits));
            HGDIOBJ old = ::SelectObject(memory, bitmap);
            POINT dest{rc.left, rc.top}, source{0, 0};
            SIZE size{rc.right - rc.left, rc.bottom - rc.top};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            reinterpret_cast<FnUpdateLayeredWindow>(reinterpret_cast<void*>(m_pfnUpdateLayeredWindow))(
                strip->m_hWnd, screen, &dest, &size, memory, &source, 0, &blend, ULW_ALPHA);
            ::SelectObject(memory, old);
        }
        if (bitmap)
            ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screen);
    }
    ::SetWindowPos(strip->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    CTKPWndHookChain::AddHook(owner->m_hWnd, strip);
}

void CTKPPopupShadows::RemoveShadows(CTKPCommandBar* bar)
{
    std::vector<CTKPShadowWnd*> gone;
    for (CTKPShadowWnd* strip : m_strips)
        if (strip->m_pOwner == bar)
            gone.push_back(strip);
    for (CTKPShadowWnd* strip : gone)
        strip->Dispose();
}

std::vector<HWND> CTKPPopupShadows::GetShadowWindows(const CTKPCommandBar* bar) const
{
    std::vector<HWND> windows;
    for (CTKPShadowWnd* strip : m_strips)
        if (strip->m_pOwner == bar)
            windows.push_back(strip->m_hWnd);
    return windows;
}

void CTKPPopupShadows::Forget(CTKPShadowWnd* strip)
{
    m_strips.erase(std::remove(m_strips.begin(), m_strips.end(), strip), m_strips.end());
}
