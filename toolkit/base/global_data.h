// The toolkit's global data: cached system colours, metrics, cursors, fonts and version flags.
#pragma once

#include "afx/string.h"
#include "win32/gdi.h"

class CTKGlobalData {
public:
    CTKGlobalData();
    virtual ~CTKGlobalData();
    CTKGlobalData(const CTKGlobalData&) = delete;
    CTKGlobalData& operator=(const CTKGlobalData&) = delete;

    DWORD GetComCtlVersion();
    BOOL CreateFonts(LPCWSTR face = nullptr, LPCWSTR verticalFace = nullptr);
    void RefreshColors();
    void RefreshMetrics();
    void LoadCursors();

    // Colour-table indices 15, 16, 21, 20, 22, 18, 17, 13, 14, 4, 7, 5, 6, 8, 2, 3, 27, 28, 9, 19, 30-49.
    COLORREF m_colors[40] = {};
    HCURSOR m_cursors[7] = {};
    int m_cxSmallIcon = 0, m_cySmallIcon = 0, m_nFixed1 = 18, m_nFixed2 = 18, m_cxHThumb = 0, m_cyVThumb = 0,
        m_cyMenu = 0;
    HFONT m_fontRegular = nullptr, m_fontBold = nullptr, m_fontUnderline = nullptr, m_fontVert = nullptr,
          m_fontVertBold = nullptr, m_fontIconTitle = nullptr, m_fontIconTitleBold = nullptr, m_fontMarlett = nullptr,
          m_fontStatus = nullptr, m_fontSmallCaption = nullptr;
    BOOL m_bIsWin95 = FALSE, m_bIsWin98 = FALSE, m_bIsWinNT4 = FALSE, m_bIsWin2000 = FALSE, m_bIsWinXP = FALSE;
    BOOL m_bUseTahoma = FALSE;
    DWORD m_dwReserved[3] = {0, 1, 0};
    DWORD m_dwComCtlVersion = DWORD(-1);
    // The settings store keeps everything in the registry, so its file name stays empty.
    const CString* m_pSettingsFileName;

private:
    void DeleteFonts();
};

CTKGlobalData& GetGlobalData();

// Replaces the font's object with one made from the LOGFONT, with weight, orientation and
// escapement replaced unless -1 and the underline flag unless 255 or more.
BOOL CreateFontVariant(const LOGFONTW& base, HFONT& font, LONG weight = -1, int underline = 255,
                       LONG orientation = -1, LONG escapement = -1);
