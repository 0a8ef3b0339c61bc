// The popup tool bar: a popup bar whose controls are laid out as a tool bar's.
#include "toolkit/commandbars/popup_tool_bar.h"

#include "afx/file.h"

IMPLEMENT_SERIAL(CTKPPopupToolBar, CTKPPopupBar, VERSIONABLE_SCHEMA | 16)

CTKPPopupToolBar::CTKPPopupToolBar()
{
    m_barType = TKP_BARTYPE_TOOLBAR;
}

CTKPPopupToolBar* CTKPPopupToolBar::CreatePopupToolBar(CTKPCommandBars* bars)
{
    auto* bar = new CTKPPopupToolBar();
    bar->SetCommandBars(bars);
    return bar;
}
