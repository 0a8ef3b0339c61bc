// The toolkit colour table: 62 indexed colours (system colours 1-27, derived colours 30-61) and ten gradients.
#pragma once

#include "toolkit/base/color_value.h"
#include "afx/cmd_target.h"

#define TK_COLOR_COUNT 62

typedef COLORREF (*PFN_TKCOLORPROVIDER)(int sysColor);

class CTKPColorTable : public CCmdTarget {
public:
    CTKPColorTable();

    // An index above 61 is itself the colour, so callers may pass a COLORREF (or -1) for an index.
    COLORREF GetColorByIndex(UINT index) const;
    COLORREF GetLunaColor(UINT index) const;
    void RefreshColors();

    BOOL IsSystemThemeDisabled() const { return m_bIgnoreLuna; }
    int GetDetectedSystemTheme() const { return m_nDetectedTheme; }
    int GetCurrentSystemTheme() const;

    // Nothing in the program changes these three after construction; they exist so that a
    // provider of other system colours or a fixed scheme can be put in, and every reader honours them.
    void SetColorProvider(PFN_TKCOLORPROVIDER provider) { m_pfnProvider = provider; }
    void SetForcedSystemTheme(int kind) { m_nForcedTheme = kind; }
    void SetSystemThemeDisabled(BOOL ignore) { m_bIgnoreLuna = ignore; }

    void SetOverride(UINT index, COLORREF c)
    {
        if (index < TK_COLOR_COUNT)
            m_override[index] = c;
    }
    COLORREF GetStandard(UINT index) const { return index < TK_COLOR_COUNT ? m_standard[index] : index; }

    CTKPGradientColor m_gradients[10];

protected:
    // The table belongs to the process: releasing the last reference leaves it in place.
    void OnFinalRelease() override {}

private:
    void RefreshSystemColors();
    void SetDefaultColors();
    void ApplyLunaPresets();
    void RefreshGradients();
    int LunaKind() const { return m_bIgnoreLuna ? 0 : GetCurrentSystemTheme(); }

    BOOL m_bIgnoreLuna = FALSE;
    COLORREF m_standard[TK_COLOR_COUNT] = {};
    COLORREF m_override[TK_COLOR_COUNT];
    COLORREF m_luna[TK_COLOR_COUNT];
    PFN_TKCOLORPROVIDER m_pfnProvider = nullptr;
    int m_nForcedTheme = 4;
    int m_nDetectedTheme = 0;
};

CTKPColorTable& GetColorTable();
void RefreshColorTableThrottled();
int GetCurrentSystemThemeKind();

// Until the window framework exists nothing tells the toolkit whether the thread's main window
// exists; the framework installs this probe. Without it the throttle refreshes on every call,
// as it does before the main window is created.
void SetMainWindowProbe(BOOL (*probe)());

COLORREF BlendColorsByPercent(COLORREF a, COLORREF b, int weight);

// Contrast rules of the derived colours, in the weighted RGB space (195, 390, 65).
double ColorDistance(COLORREF a, COLORREF b);
BOOL IsColorDistanceAbove(COLORREF a, COLORREF b, BOOL scaled, int wanted);
COLORREF PushColorToDistance(COLORREF a, COLORREF b, int wanted);
COLORREF PullColorToDistance(COLORREF a, COLORREF b, int wanted);
