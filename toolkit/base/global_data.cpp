// The toolkit's global data: system colours and metrics, the toolkit cursors and fonts, version flags.
#include "toolkit/base/global_data.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/base/system_probes.h"
#include "win32/user.h"

#include <cstring>

namespace {

struct NonClientMetrics {
    UINT cbSize;
    int iBorderWidth, iScrollWidth, iScrollHeight, iCaptionWidth, iCaptionHeight;
    LOGFONTW lfCaptionFont;
    int iSmCaptionWidth, iSmCaptionHeight;
    LOGFONTW lfSmCaptionFont;
    int iMenuWidth, iMenuHeight;
    LOGFONTW lfMenuFont, lfStatusFont, lfMessageFont;
};
static_assert(sizeof(NonClientMetrics) == 500);

void SetFace(LOGFONTW& lf, const WCHAR* face)
{
    std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i)
        lf.lfFaceName[i] = face[i];
}

const CString g_settingsFileName;

} // namespace

BOOL CreateFontVariant(const LOGFONTW& base, HFONT& font, LONG weight, int underline, LONG orientation,
                       LONG escapement)
{
    if (font)
        DeleteObject(font);
    LOGFONTW lf = base;
    if (weight != -1)
        lf.lfWeight = weight;
    if (orientation != -1)
        lf.lfOrientation = orientation;
    if (escapement != -1)
        lf.lfEscapement = escapement;
    if (underline < 255)
        lf.lfUnderline = BYTE(underline);
    font = CreateFontIndirectW(&lf);
    return font != nullptr;
}

CTKGlobalData::CTKGlobalData() : m_pSettingsFileName(&g_settingsFileName)
{
    const OsVersionInfo& v = GetOsVersionInfo();
    m_bIsWin95 = v.IsWin95();
    m_bIsWin98 = v.IsWin98();
    m_bIsWinNT4 = v.IsWinNT4();
    m_bIsWin2000 = v.IsWin2000();
    m_bIsWinXP = v.IsWinXP();
    GetComCtlVersion();
    RefreshColors();
    RefreshMetrics();
    LoadCursors();
    CreateFonts(nullptr, nullptr);
}

CTKGlobalData::~CTKGlobalData()
{
    DeleteFonts();
}

DWORD CTKGlobalData::GetComCtlVersion()
{
    if (m_dwComCtlVersion == DWORD(-1)) {
        HMODULE module = LoadLibraryW(u"COMCTL32.DLL");
        DWORD v = GetDllVersion(module);
        if (module)
            FreeLibrary(module);
        if (v)
            m_dwComCtlVersion = v;
        return v;
    }
    return m_dwComCtlVersion;
}

void CTKGlobalData::RefreshColors()
{
    static const UINT kIndices[20] = {15, 16, 21, 20, 22, 18, 17, 13, 14, 4, 7, 5, 6, 8, 2, 3, 27, 28, 9, 19};
    RefreshColorTableThrottled();
    const CTKPColorTable& table = GetColorTable();
    for (int i = 0; i < 20; ++i)
        m_colors[i] = table.GetColorByIndex(kIndices[i]);
    for (int i = 0; i < 20; ++i)
        m_colors[20 + i] = table.GetColorByIndex(UINT(30 + i));
}

void CTKGlobalData::RefreshMetrics()
{
    m_cxSmallIcon = GetSystemMetrics(SM_CXSMICON);
    m_cySmallIcon = GetSystemMetrics(SM_CYSMICON);
    m_cxHThumb = GetSystemMetrics(SM_CXHTHUMB);
    m_cyVThumb = GetSystemMetrics(SM_CYVTHUMB);
    m_cyMenu = GetSystemMetrics(SM_CYMENU);
}

void CTKGlobalData::LoadCursors()
{
    CTKPResourceLoader& loader = GetResourceLoader();
    // Stored in the order 9008, 9009, 9011, hand, 9970, 9971, size-all; loaded from 9011 on and
    // stopping at the first that is missing.
    if (!(m_cursors[2] = loader.LoadCursor(9011)) || !(m_cursors[0] = loader.LoadCursor(9008)) ||
        !(m_cursors[1] = loader.LoadCursor(9009)))
        return;
    m_cursors[3] = LoadCursorW(nullptr, IDC_HAND);
    if (!m_cursors[3])
        m_cursors[3] = loader.LoadCursor(9973);
    if (!m_cursors[3] || !(m_cursors[4] = loader.LoadCursor(9970)) || !(m_cursors[5] = loader.LoadCursor(9971)))
        return;
    m_cursors[6] = LoadCursorW(nullptr, IDC_SIZEALL);
}

void CTKGlobalData::DeleteFonts()
{
    for (HFONT* f : {&m_fontRegular, &m_fontBold, &m_fontUnderline, &m_fontVert, &m_fontVertBold, &m_fontIconTitle,
                     &m_fontIconTitleBold, &m_fontMarlett, &m_fontStatus, &m_fontSmallCaption}) {
        if (*f)
            DeleteObject(*f);
        *f = nullptr;
    }
}

BOOL CTKGlobalData::CreateFonts(LPCWSTR face, LPCWSTR verticalFace)
{
    DeleteFonts();
    NonClientMetrics ncm{};
    ncm.cbSize = sizeof(ncm);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
        return FALSE;
    LOGFONTW base{};
    base.lfHeight = ncm.lfMenuFont.lfHeight;
    base.lfWeight = ncm.lfMenuFont.lfWeight;
    base.lfItalic = ncm.lfMenuFont.lfItalic;
    std::memcpy(base.lfFaceName, ncm.lfMenuFont.lfFaceName, sizeof(base.lfFaceName));
    HDC screen = GetDC(nullptr);
    int charSet = screen ? GetTextCharsetInfo(screen, nullptr, 0) : DEFAULT_CHARSET;
    if (screen)
        ReleaseDC(nullptr, screen);
    base.lfCharSet = BYTE(charSet < 0 ? DEFAULT_CHARSET : charSet);
    LOGFONTW status = ncm.lfStatusFont, smallCaption = ncm.lfSmCaptionFont;
    if (face && FontExists(face)) {
        SetFace(base, face);
        SetFace(status, face);
        SetFace(smallCaption, face);
    } else if (!face && m_bUseTahoma && base.lfCharSet < 3 && FontExists(u"Tahoma")) {
        SetFace(base, u"Tahoma");
    }
    if (!CreateFontVariant(base, m_fontRegular) || !CreateFontVariant(base, m_fontBold, FW_BOLD) ||
        !CreateFontVariant(base, m_fontUnderline, -1, 1))
        return FALSE;
    LOGFONTW vertical = base;
    if (verticalFace && FontExists(verticalFace))
        SetFace(vertical, verticalFace);
    else if (!verticalFace && CString(ncm.lfMenuFont.lfFaceName).CompareNoCase(u"Tahoma") != 0 &&
             FontExists(u"Arial"))
        SetFace(vertical, u"Arial");
    if (!CreateFontVariant(vertical, m_fontVert, -1, 255, 900, 2700) ||
        !CreateFontVariant(vertical, m_fontVertBold, FW_BOLD, 255, 900, 2700))
        return FALSE;
    LOGFONTW iconTitle{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0) ||
        !CreateFontVariant(iconTitle, m_fontIconTitle) || !CreateFontVariant(iconTitle, m_fontIconTitleBold, FW_BOLD))
        return FALSE;
    if (!CreateFontVariant(status, m_fontStatus) || !CreateFontVariant(smallCaption, m_fontSmallCaption))
        return FALSE;
    LOGFONTW marlett{};
    marlett.lfHeight = iconTitle.lfHeight;
    marlett.lfCharSet = DEFAULT_CHARSET;
    SetFace(marlett, u"Marlett");
    return CreateFontVariant(marlett, m_fontMarlett);
}

CTKGlobalData& GetGlobalData()
{
    static CTKGlobalData data;
    return data;
}
