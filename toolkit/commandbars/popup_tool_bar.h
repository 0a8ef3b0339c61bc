// A popup laid out as a tool bar: a grid of buttons (palettes, a tool bar's hidden buttons).
#pragma once

#include "toolkit/commandbars/popup_bar.h"

class CTKPPopupToolBar : public CTKPPopupBar {
    DECLARE_SERIAL(CTKPPopupToolBar)
public:
    CTKPPopupToolBar();

    // A new popup tool bar (one reference, the caller's) belonging to the bars, or to none.
    static CTKPPopupToolBar* CreatePopupToolBar(CTKPCommandBars* bars);
};
