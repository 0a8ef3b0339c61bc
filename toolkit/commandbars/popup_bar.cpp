// Popup bars and the stand-alone popup menu.
#include "toolkit/commandbars/popup_bar.h"

#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/image_manager.h"

IMPLEMENT_DYNCREATE(CTKPPopupBar, CTKPCommandBar)

CTKPPopupBar::CTKPPopupBar()
{
    m_barType = TKP_BARTYPE_POPUP;
    m_barPosition = TKP_BARPOS_POPUP;
}

CTKPPopupBar::~CTKPPopupBar() = default;

CTKPPopupBar* CTKPPopupBar::CreatePopupBar(CTKPCommandBars* bars)
{
    auto* bar = new CTKPPopupBar();
    bar->SetCommandBars(bars);
    return bar;
}

BOOL CTKPPopupBar::PopupAt(int x, int y, LPCRECT exclude)
{
    m_ptPopup = POINT{x, y};
    m_rcExclude = exclude ? *exclude : RECT{0, 0, 0, 0};
    return Popup(nullptr);
}

// The popup window is not built yet: nothing opens, and callers fall back on the system menu.
BOOL CTKPPopupBar::Popup(CTKPControlPopup* parentControl)
{
    (void)parentControl;
    return FALSE;
}

void CTKPPopupBar::ExpandBar()
{
    m_bExpanded = TRUE;
    m_dwFlags |= 1;
    OnRecalcLayout();
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

BOOL CTKPPopupBar::IsVisible() const
{
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

CTKPCommandBar* CTKPPopupBar::GetParentBar() const
{
    return m_pParentControl ? m_pParentControl->GetParent() : nullptr;
}

int TrackToolkitPopupMenu(CMenu* menu, UINT flags, int x, int y, CWnd* owner, UINT toolBarId)
{
    if (!GetGlobalPaintManager())
        SetGlobalTheme(0);
    if (!GetGlobalPaintManager())
        return menu ? menu->TrackPopupMenu(flags, x, y, owner) : 0;
    CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(nullptr);
    if (toolBarId > 0) {
        auto* images = new CTKPImageManager();
        images->SetIconsFromResource(toolBarId);
        bar->SetImageManager(images);
    }
    int result = 0;
    if (bar->LoadMenu(menu, TRUE)) {
        bar->SetSourceMenu(menu->m_hMenu);
        result = CTKPCommandBars::TrackPopupBar(bar, flags | TPM_NONOTIFY, x, y, owner);
    }
    bar->InternalRelease();
    return result;
}
