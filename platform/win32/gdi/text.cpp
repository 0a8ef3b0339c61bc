// Fonts and text output: font objects, metrics, measuring, TextOut/ExtTextOut with alignment and rotation.
#include "win32/gdi/text.h"
#include "backend/fonts.h"

#include <cstring>

namespace gdi {

backend::Font& FontOf(DC& dc)
{
    Font& f = *dc.st.font;
    if (!f.face) {
        backend::FontSpec spec;
        for (int i = 0; i < LF_FACESIZE && f.lf.lfFaceName[i]; ++i)
            spec.face += f.lf.lfFaceName[i];
        spec.height = f.lf.lfHeight;
        spec.weight = f.lf.lfWeight ? f.lf.lfWeight : FW_NORMAL;
        spec.italic = f.lf.lfItalic != 0;
        spec.charset = f.lf.lfCharSet;
        spec.pitchAndFamily = f.lf.lfPitchAndFamily;
        f.face = backend::Font::Open(spec);
    }
    return *f.face;
}

std::vector<int> Advances(DC& dc, const WCHAR* s, int n, const INT* dx)
{
    backend::Font& font = FontOf(dc);
    std::vector<int> adv(size_t(std::max(n, 0)));
    int breaks = 0;
    for (int i = 0; i < n; ++i) {
        if (dx) {
            adv[size_t(i)] = dx[i];
            continue;
        }
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            adv[size_t(i)] = font.Glyph(c).advance + dc.st.charExtra;
            adv[size_t(++i)] = 0;
            continue;
        }
        int a = font.Glyph(c).advance + dc.st.charExtra;
        // Justification spreads its extra pixels over the break characters, the remainder
        // going one each to the first ones.
        if (c == u' ' && dc.st.breakCount > 0) {
            a += dc.st.breakExtra / dc.st.breakCount + (breaks < dc.st.breakExtra % dc.st.breakCount ? 1 : 0);
            ++breaks;
        }
        adv[size_t(i)] = a;
    }
    return adv;
}

int Width(DC& dc, const WCHAR* s, int n)
{
    int w = 0;
    for (int a : Advances(dc, s, n, nullptr))
        w += a;
    return w;
}

namespace {

int Quadrant(const LOGFONTW& lf)
{
    int e = ((lf.lfEscapement % 3600) + 3600) % 3600;
    return ((e + 450) / 900) % 4;
}

} // namespace

void DrawRun(DC& dc, int tx, int ty, UINT align, const WCHAR* s, int n, const INT* dx, const RECT* clipTo,
             bool opaqueBox)
{
    backend::Font& font = FontOf(dc);
    const backend::FontMetrics& m = font.Metrics();
    const LOGFONTW& lf = dc.st.font->lf;
    std::vector<int> adv = Advances(dc, s, n, dx);
    int width = 0;
    for (int a : adv)
        width += a;
    int refU = (align & TA_CENTER) == TA_CENTER ? width / 2 : (align & TA_CENTER) == TA_RIGHT ? width : 0;
    int refV = (align & TA_BASELINE) == TA_BASELINE ? m.ascent : (align & TA_BASELINE) == TA_BOTTOM ? m.height : 0;
    int quad = Quadrant(lf);
    Bitmap& t = dc.Target();
    const RegionData& clip = dc.Clip();
    uint32_t ink = t.FromColor(dc.st.textColor), paper = t.FromColor(dc.st.bkColor);
    // Text-space pixel (u, v), u along the baseline and v downwards from the cell top.
    auto put = [&](int u, int v, uint32_t value) {
        int du = u - refU, dv = v - refV, x, y;
        switch (quad) {
        case 1: x = tx + dv, y = ty - du - 1; break;
        case 2: x = tx - du - 1, y = ty - dv - 1; break;
        case 3: x = tx - dv - 1, y = ty + du; break;
        default: x = tx + du, y = ty + dv; break;
        }
        if (clipTo && (x < clipTo->left || x >= clipTo->right || y < clipTo->top || y >= clipTo->bottom))
            return;
        if (clip.Contains(x, y))
            t.Set(x, y, value);
    };
    if (opaqueBox)
        for (int v = 0; v < m.height; ++v)
            for (int u = 0; u < width; ++u)
                put(u, v, paper);
    int pen = 0;
    for (int i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
        else if (c >= 0xDC00 && c < 0xE000) {
            pen += adv[size_t(i)];
            continue;
        }
        const backend::GlyphBitmap& g = font.Glyph(c);
        for (int gy = 0; gy < g.height; ++gy)
            for (int gx = 0; gx < g.width; ++gx)
                if (g.mask[size_t(gy) * size_t(g.width) + size_t(gx)])
                    put(pen + g.left + gx, m.ascent - g.top + gy, ink);
        pen += adv[size_t(i)];
    }
    if (lf.lfUnderline)
        for (int k = 0; k < m.underlineThickness; ++k)
            for (int u = 0; u < width; ++u)
                put(u, m.ascent + m.underlinePos + k, ink);
    if (lf.lfStrikeOut)
        for (int k = 0; k < m.underlineThickness; ++k)
            for (int u = 0; u < width; ++u)
                put(u, m.ascent - m.strikePos + k, ink);
}

} // namespace gdi

using namespace gdi;

HFONT CreateFontIndirectW(const LOGFONTW* lplf)
{
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto f = std::make_shared<gdi::Font>();
    f->lf = *lplf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
    return (HFONT)Insert(f);
}

HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                  DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                  DWORD iQuality, DWORD iPitchAndFamily, LPCWSTR pszFaceName)
{
    LOGFONTW lf{};
    lf.lfHeight = cHeight;
    lf.lfWidth = cWidth;
    lf.lfEscapement = cEscapement;
    lf.lfOrientation = cOrientation;
    lf.lfWeight = cWeight;
    lf.lfItalic = BYTE(bItalic != 0);
    lf.lfUnderline = BYTE(bUnderline != 0);
    lf.lfStrikeOut = BYTE(bStrikeOut != 0);
    lf.lfCharSet = BYTE(iCharSet);
    lf.lfOutPrecision = BYTE(iOutPrecision);
    lf.lfClipPrecision = BYTE(iClipPrecision);
    lf.lfQuality = BYTE(iQuality);
    lf.lfPitchAndFamily = BYTE(iPitchAndFamily);
    for (int i = 0; pszFaceName && pszFaceName[i] && i < LF_FACESIZE - 1; ++i)
        lf.lfFaceName[i] = pszFaceName[i];
    return CreateFontIndirectW(&lf);
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c, const INT* lpDx)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    if (c > 0 && !lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT target{};
    if (lprect)
        target = ToTarget(*dc, *lprect);
    if ((options & ETO_OPAQUE) && lprect) {
        Brush paper;
        paper.color = dc->st.bkColor;
        PatFill(*dc, *lprect, &paper, 0xF0);
    }
    if (c == 0)
        return TRUE;
    bool updateCp = dc->st.textAlign & TA_UPDATECP;
    POINT ref = updateCp ? dc->st.curPos : POINT{x, y};
    DrawRun(*dc, dc->TX(ref.x), dc->TY(ref.y), dc->st.textAlign, lpString, int(c), lpDx,
            (options & ETO_CLIPPED) && lprect ? &target : nullptr, dc->st.bkMode == OPAQUE);
    if (updateCp) {
        int w = 0;
        for (int a : Advances(*dc, lpString, int(c), lpDx))
            w += a;
        dc->st.curPos.x += w;
    }
    return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c)
{
    if (c < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, UINT(c), nullptr);
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent, LPINT lpnFit, LPINT lpnDx,
                           LPSIZE lpSize)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    if (cchString < 0 || (cchString > 0 && !lpszString) || !lpSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<int> adv = Advances(*dc, lpszString, cchString, nullptr);
    int w = 0, fit = 0;
    for (int i = 0; i < cchString; ++i) {
        w += adv[size_t(i)];
        if (w <= nMaxExtent || nMaxExtent < 0)
            fit = i + 1;
        if (lpnDx)
            lpnDx[i] = w;
    }
    if (lpnFit)
        *lpnFit = fit;
    lpSize->cx = w;
    lpSize->cy = FontOf(*dc).Metrics().height;
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl)
{
    return GetTextExtentExPointW(hdc, lpString, c, -1, nullptr, nullptr, psizl);
}

BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || !lpBuffer || iLast < iFirst || iLast > 0x10FFFF)
        return FALSE;
    backend::Font& f = FontOf(*dc);
    for (UINT c = iFirst; c <= iLast; ++c)
        lpBuffer[c - iFirst] = f.Glyph(char32_t(c)).advance;
    return TRUE;
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc || !lptm)
        return FALSE;
    const backend::FontMetrics& m = FontOf(*dc).Metrics();
    const LOGFONTW& lf = dc->st.font->lf;
    TEXTMETRICW tm{};
    tm.tmHeight = m.height;
    tm.tmAscent = m.ascent;
    tm.tmDescent = m.descent;
    tm.tmInternalLeading = m.internalLeading;
    tm.tmExternalLeading = m.externalLeading;
    tm.tmAveCharWidth = m.aveCharWidth;
    tm.tmMaxCharWidth = m.maxCharWidth;
    tm.tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFFFC;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = lf.lfItalic;
    tm.tmUnderlined = lf.lfUnderline;
    tm.tmStruckOut = lf.lfStrikeOut;
    // The pitch bit is set for variable-pitch fonts, as the name does not say.
    tm.tmPitchAndFamily = BYTE((m.fixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE |
                               (lf.lfPitchAndFamily & 0xF0));
    tm.tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? BYTE(GB2312_CHARSET) : lf.lfCharSet;
    *lptm = tm;
    return TRUE;
}

int GetTextFaceW(HDC hdc, int c, LPWSTR lpName)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return 0;
    const std::u16string& name = FontOf(*dc).FaceName();
    if (!lpName)
        return int(name.size()) + 1;
    if (c <= 0)
        return 0;
    int n = std::min<int>(c - 1, int(name.size()));
    std::memcpy(lpName, name.data(), size_t(n) * sizeof(WCHAR));
    lpName[n] = 0;
    return n + 1;
}

int GetTextCharset(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return DEFAULT_CHARSET;
    BYTE cs = dc->st.font->lf.lfCharSet;
    return cs == DEFAULT_CHARSET ? GB2312_CHARSET : cs;
}

int GetTextCharsetInfo(HDC hdc, LPFONTSIGNATURE lpSig, DWORD dwFlags)
{
    int cs = GetTextCharset(hdc);
    if (lpSig) {
        *lpSig = FONTSIGNATURE{};
        lpSig->fsCsb[0] = cs == GB2312_CHARSET ? 0x00040001 : 0x00000001;
    }
    return cs;
}

UINT SetTextAlign(HDC hdc, UINT align)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return GDI_ERROR;
    UINT old = dc->st.textAlign;
    dc->st.textAlign = align & TA_MASK;
    return old;
}

UINT GetTextAlign(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc ? dc->st.textAlign : GDI_ERROR;
}

BOOL SetTextJustification(HDC hdc, int extra, int count)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return FALSE;
    dc->st.breakExtra = count > 0 ? extra : 0;
    dc->st.breakCount = count > 0 ? count : 0;
    return TRUE;
}

int SetTextCharacterExtra(HDC hdc, int extra)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return int(0x80000000);
    int old = dc->st.charExtra;
    dc->st.charExtra = extra;
    return old;
}

int GetTextCharacterExtra(HDC hdc)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    return dc ? dc->st.charExtra : int(0x80000000);
}

int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam, DWORD dwFlags)
{
    if (!lpLogfont || !lpProc)
        return 0;
    std::u16string wanted;
    for (int i = 0; i < LF_FACESIZE && lpLogfont->lfFaceName[i]; ++i)
        wanted += lpLogfont->lfFaceName[i];
    auto lower = [](std::u16string s) {
        for (auto& ch : s)
            if (ch >= u'A' && ch <= u'Z')
                ch = char16_t(ch - u'A' + u'a');
        return s;
    };
    int result = 1;
    for (const std::u16string& face : backend::Font::KnownFaces()) {
        if (!wanted.empty() && lower(wanted) != lower(face))
            continue;
        bool cjk = face[0] > 0x7F || face == u"System";
        bool symbol = face == u"Marlett" || face == u"Wingdings";
        BYTE cs = symbol ? SYMBOL_CHARSET : cjk ? GB2312_CHARSET : ANSI_CHARSET;
        if (lpLogfont->lfCharSet != DEFAULT_CHARSET && lpLogfont->lfCharSet != cs)
            continue;
        ENUMLOGFONTEXW elf{};
        elf.elfLogFont.lfHeight = -12;
        elf.elfLogFont.lfWeight = FW_NORMAL;
        elf.elfLogFont.lfCharSet = cs;
        elf.elfLogFont.lfPitchAndFamily = BYTE(face.find(u"Courier") == 0 ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS);
        for (size_t i = 0; i < face.size() && i < LF_FACESIZE - 1; ++i) {
            elf.elfLogFont.lfFaceName[i] = face[i];
            elf.elfFullName[i] = face[i];
        }
        NEWTEXTMETRICEXW ntm{};
        ntm.ntmTm.tmHeight = 16;
        ntm.ntmTm.tmAscent = 13;
        ntm.ntmTm.tmDescent = 3;
        ntm.ntmTm.tmWeight = FW_NORMAL;
        ntm.ntmTm.tmCharSet = cs;
        ntm.ntmTm.ntmSizeEM = 2048;
        result = lpProc(&elf.elfLogFont, reinterpret_cast<const TEXTMETRICW*>(&ntm), TRUETYPE_FONTTYPE, lParam);
        if (!result)
            break;
    }
    return result;
}
