// Buffered DCs, scoped selections, colour mixing, triangles, corner clipping and mnemonic stripping.
#include "toolkit/base/draw_helpers.h"

#include "toolkit/base/system_probes.h"
#include "win32/user.h"

#include <algorithm>

// ---- Buffered device contexts ------------------------------------------------------------------
CTKPOffscreenDC::CTKPOffscreenDC(HDC hdcTarget, int left, int top, int right, int bottom)
    : m_hdcTarget(hdcTarget), m_rect{left, top, right, bottom}
{
    if (!Attach(::CreateCompatibleDC(hdcTarget)))
        return;
    m_bitmap = ::CreateCompatibleBitmap(hdcTarget, std::max(right, 1), std::max(bottom, 1));
    if (m_bitmap)
        m_oldBitmap = ::SelectObject(m_hDC, m_bitmap);
}

CTKPOffscreenDC::~CTKPOffscreenDC()
{
    if (!m_hDC)
        return;
    if (m_bitmap) {
        ::BitBlt(m_hdcTarget, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDC,
                 m_rect.left, m_rect.top, SRCCOPY);
        ::SelectObject(m_hDC, m_oldBitmap);
        ::DeleteObject(m_bitmap);
    }
    DeleteDC();
}

CTKPMemoryDC::CTKPMemoryDC(HDC hdc, HBITMAP bitmap)
{
    if (Attach(::CreateCompatibleDC(hdc)) && bitmap)
        m_oldBitmap = ::SelectObject(m_hDC, bitmap);
}

CTKPMemoryDC::~CTKPMemoryDC()
{
    if (!m_hDC)
        return;
    if (m_oldBitmap)
        ::SelectObject(m_hDC, m_oldBitmap);
    DeleteDC();
}

IMPLEMENT_DYNAMIC(CTKMemDC, CDC)

CTKMemDC::CTKMemDC(HDC hdcTarget, const RECT& rc, CTKPGradientColor background, BOOL bHorz)
    : m_hdcTarget(hdcTarget), m_rect(rc)
{
    if (m_rect.right <= m_rect.left || m_rect.bottom <= m_rect.top)
        ::GetClipBox(hdcTarget, &m_rect);
    if (!Attach(::CreateCompatibleDC(hdcTarget)))
        return;
    ::SetMapMode(m_hDC, ::GetMapMode(hdcTarget));
    int w = m_rect.right - m_rect.left, h = m_rect.bottom - m_rect.top;
    m_bitmap = ::CreateCompatibleBitmap(hdcTarget, std::max(w, 1), std::max(h, 1));
    if (!m_bitmap) {
        DeleteDC();
        return;
    }
    m_oldBitmap = ::SelectObject(m_hDC, m_bitmap);
    if (background.m_dark.m_clrStandard != COLORREF(-1) || background.m_dark.m_clrOverride != COLORREF(-1)) {
        RECT all{0, 0, w, h};
        GetGradientHelper().GradientFillColor(m_hDC, all, background, bHorz);
    }
    m_bValid = TRUE;
}

CTKMemDC::~CTKMemDC()
{
    if (!m_hDC)
        return;
    if (m_bValid)
        ::BitBlt(m_hdcTarget, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDC,
                 0, 0, SRCCOPY);
    ::SelectObject(m_hDC, m_oldBitmap);
    ::DeleteObject(m_bitmap);
    DeleteDC();
}

// ---- Scoped pens and brushes -------------------------------------------------------------------
CTKPSelectPen::CTKPSelectPen(HDC hdc, COLORREF color) : m_hdc(hdc)
{
    m_pen = CreatePen(PS_SOLID, 1, color);
    m_old = SelectObject(hdc, m_pen);
}

CTKPSelectPen::~CTKPSelectPen()
{
    if (m_old)
        SelectObject(m_hdc, m_old);
    DeleteObject(m_pen);
}

void CTKPSelectPen::SetColor(COLORREF color)
{
    if (m_old)
        SelectObject(m_hdc, m_old);
    DeleteObject(m_pen);
    m_pen = CreatePen(PS_SOLID, 1, color);
    m_old = SelectObject(m_hdc, m_pen);
}

COLORREF CTKPSelectPen::GetColor() const
{
    LOGPEN lp{};
    return GetObjectW(m_pen, sizeof(lp), &lp) ? lp.lopnColor : COLORREF(-1);
}

CTKPSelectBrush::CTKPSelectBrush(HDC hdc, COLORREF color) : m_hdc(hdc)
{
    m_brush = CreateSolidBrush(color);
    m_old = SelectObject(hdc, m_brush);
}

CTKPSelectBrush::~CTKPSelectBrush()
{
    if (m_old)
        SelectObject(m_hdc, m_old);
    DeleteObject(m_brush);
}

void CTKPSelectBrush::SetColor(COLORREF color)
{
    if (m_old)
        SelectObject(m_hdc, m_old);
    DeleteObject(m_brush);
    m_brush = CreateSolidBrush(color);
    m_old = SelectObject(m_hdc, m_brush);
}

COLORREF CTKPSelectBrush::GetColor() const
{
    LOGBRUSH lb{};
    return GetObjectW(m_brush, sizeof(lb), &lb) ? lb.lbColor : COLORREF(-1);
}

// ---- Colours -----------------------------------------------------------------------------------
COLORREF BlendColorsByFactor(COLORREF c1, COLORREF c2, float factor)
{
    auto mix = [&](int a, int b) { return std::min(255, static_cast<int>(a * factor + b * (1.0f - factor))); };
    int r = mix(GetRValue(c1), GetRValue(c2)), g = mix(GetGValue(c1), GetGValue(c2)),
        b = mix(GetBValue(c1), GetBValue(c2));
    return RGB(std::max(r, 0), std::max(g, 0), std::max(b, 0));
}

void BlendColorRef(COLORREF& color, COLORREF other, int percent)
{
    auto mix = [&](int a, int b) { return std::clamp((a * (100 - percent) + b * percent) / 100, 0, 255); };
    color = RGB(mix(GetRValue(color), GetRValue(other)), mix(GetGValue(color), GetGValue(other)),
                mix(GetBValue(color), GetBValue(other)));
}

void SubtractColorRef(COLORREF& color, COLORREF other)
{
    auto sub = [](int a, int b) { return std::max(a - b, 0); };
    color = RGB(sub(GetRValue(color), GetRValue(other)), sub(GetGValue(color), GetGValue(other)),
                sub(GetBValue(color), GetBValue(other)));
}

void BlendPixelPairs(HDC hdc, const POINT* entries, int count)
{
    if (!entries)
        return;
    for (int i = 0; i + 1 < count; i += 2) {
        POINT p = entries[i], off = entries[i + 1];
        COLORREF a = GetPixel(hdc, p.x, p.y), b = GetPixel(hdc, p.x + off.x, p.y + off.y);
        if (a == CLR_INVALID || b == CLR_INVALID)
            continue;
        SetPixel(hdc, p.x, p.y,
                 RGB((GetRValue(a) + GetRValue(b)) >> 1, (GetGValue(a) + GetGValue(b)) >> 1,
                     (GetBValue(a) + GetBValue(b)) >> 1));
    }
}

BOOL IsLowColorDisplay(HDC hdc)
{
    if (hdc) {
        int bits = GetDeviceCaps(hdc, BITSPIXEL);
        return bits >= 1 && bits <= 8;
    }
    // Without a DC the display answers: a bitmap made compatible with the screen has its format.
    HDC probe = CreateCompatibleDC(nullptr);
    if (!probe)
        return FALSE;
    HBITMAP screenBitmap = CreateCompatibleBitmap(nullptr, 1, 1);
    HGDIOBJ old = screenBitmap ? SelectObject(probe, screenBitmap) : nullptr;
    int bits = screenBitmap ? GetDeviceCaps(probe, BITSPIXEL) : 0;
    if (old)
        SelectObject(probe, old);
    if (screenBitmap)
        DeleteObject(screenBitmap);
    DeleteDC(probe);
    return bits >= 1 && bits <= 8;
}

// ---- Shapes and clipping -----------------------------------------------------------------------
void DrawTriangle(HDC hdc, POINT p0, POINT p1, POINT p2, COLORREF color)
{
    CTKPSelectPen pen(hdc, color);
    CTKPSelectBrush brush(hdc, color);
    POINT pts[3] = {p0, p1, p2};
    Polygon(hdc, pts, 3);
}

void FillTriangle(HDC hdc, POINT p0, POINT p1, POINT p2, COLORREF color)
{
    DrawTriangle(hdc, p0, p1, p2, color);
}

void ExcludeCorners(HDC hdc, const RECT& rc)
{
    ExcludeClipRect(hdc, rc.left, rc.top, rc.left + 1, rc.top + 1);
    ExcludeClipRect(hdc, rc.right - 1, rc.top, rc.right, rc.top + 1);
    ExcludeClipRect(hdc, rc.left, rc.bottom - 1, rc.left + 1, rc.bottom);
    ExcludeClipRect(hdc, rc.right - 1, rc.bottom - 1, rc.right, rc.bottom);
}

COLORREF GetTransparentColor(HBITMAP bitmap)
{
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP)
        return COLORREF(-1);
    CTKPMemoryDC dc(nullptr, bitmap);
    return GetPixel(dc, 0, 0);
}

HICON BitmapToIcon(HBITMAP bitmap)
{
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return nullptr;
    HIMAGELIST list = ImageList_Create(bm.bmWidth, bm.bmHeight, ILC_COLOR24 | ILC_MASK, 0, 1);
    if (!list)
        return nullptr;
    HICON icon = nullptr;
    if (ImageList_AddMasked(list, bitmap, GetTransparentColor(bitmap)) == 0)
        icon = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ImageList_Destroy(list);
    return icon;
}

// ---- Text --------------------------------------------------------------------------------------
void StripMnemonics(CString& text)
{
    int i = 0;
    while (i < text.GetLength()) {
        if (text[i] != u'&') {
            ++i;
            continue;
        }
        if (i + 1 < text.GetLength() && text[i + 1] == u'&') {
            ++i; // the first of a pair stays; the second is dropped on the next step
            continue;
        }
        text.Delete(i, 1);
        ++i; // the character that moved into place is never a marker
    }
}

CString StripMnemonicsCopy(const CString& text)
{
    CString copy(text);
    StripMnemonics(copy);
    return copy;
}

// ---- Fonts -------------------------------------------------------------------------------------
namespace {
struct FaceSearch {
    const WCHAR* face;
    BOOL found;
};

int CALLBACK MatchFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param)
{
    auto* search = reinterpret_cast<FaceSearch*>(param);
    if (CString(lf->lfFaceName).CompareNoCase(search->face) == 0) {
        search->found = TRUE;
        return 0;
    }
    return 1;
}
} // namespace

BOOL FontExists(LPCWSTR face)
{
    if (!face || !*face)
        return FALSE;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return FALSE;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    FaceSearch search{face, FALSE};
    EnumFontFamiliesExW(screen, &lf, &MatchFace, reinterpret_cast<LPARAM>(&search), 0);
    ReleaseDC(nullptr, screen);
    return search.found;
}

CString GetDefaultFontFace(BOOL preferTahoma)
{
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    const OSVERSIONINFOW& v = GetOsVersionInfo();
    if ((gui.lfCharSet > 2 && v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion >= 5) ||
        !FontExists(u"Arial"))
        return CString(gui.lfFaceName);
    if (preferTahoma && FontExists(u"Tahoma"))
        return CString(u"Tahoma");
    return CString(u"Arial");
}
