// Makes the paint manager of a theme id.
#include "toolkit/base/themes.h"

CTKPPaintManager* CreatePaintManager(int themeId)
{
    CTKPPaintManager* manager;
    switch (themeId) {
    case TKP_THEME_FLAT: manager = new CTKPFlatTheme; break;
    case TKP_THEME_GRADIENT: manager = new CTKPGradientTheme; break;
    case TKP_THEME_NATIVE: manager = new CTKPNativeThemePaint; break;
    case TKP_THEME_SOFTGRADIENT: manager = new CTKPSoftGradientTheme; break;
    default: manager = new CTKPClassicTheme; break;
    }
    manager->m_nThemeId = themeId;
    return manager;
}
