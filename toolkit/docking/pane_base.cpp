// The pane base part: its place in the layout, its host window and rectangle, its caption buttons
// and the defaults every pane kind starts from.
#include "toolkit/docking/pane_base.h"

#include "afx/frame.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane_caption_button.h"
#include "toolkit/docking/pane_layout.h"
#include "toolkit/docking/pane_manager.h"

#include <cstring>

CTKPPaneBase::CTKPPaneBase(int type, CTKPPaneLayout* layout) : m_pLayout(layout), m_nType(type)
{
    if (layout) {
        layout->AddToList(this);
        if (CTKPPaneManager* manager = layout->GetManager())
            m_pHostWindow = manager->GetSite();
    }
}

CTKPPaneBase::~CTKPPaneBase()
{
    for (CTKPPaneCaptionButton* button : m_captionButtons)
        delete button;
}

CTKPPaneManager* CTKPPaneBase::GetManager() const
{
    return m_pLayout ? m_pLayout->GetManager() : nullptr;
}

CTKPPaneThemePainter* CTKPPaneBase::GetPaintManager() const
{
    CTKPPaneManager* manager = GetManager();
    return manager ? manager->GetPaintManager() : nullptr;
}

void CTKPPaneBase::Invalidate()
{
    if (CWnd* wnd = GetPaneWindow(); wnd && wnd->GetSafeHwnd())
        ::InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
}

void CTKPPaneBase::FindPanes(int type, CTKPPaneList& list)
{
    if (m_nType == type)
        list.push_back(this);
}

void CTKPPaneBase::GetMinMaxInfo(MINMAXINFO* info) const
{
    std::memset(info, 0, sizeof(MINMAXINFO));
    info->ptMaxTrackSize = POINT{32000, 32000};
}

void CTKPPaneBase::OnSizeParent(CWnd* parent, const RECT& rect, AFX_SIZEPARENTPARAMS* layout)
{
    m_rcPane = rect;
    if (layout)
        layout->rect = rect;
}

void CTKPPaneBase::UpdateLayout()
{
    if (m_pParentContainer)
        m_pParentContainer->UpdateLayout();
}

BOOL CTKPPaneBase::DoPropExchange(CTKPPropExchange* px)
{
    PropExchangeInt(px, u"DockingCX", &m_nDockingCX, 0);
    PropExchangeInt(px, u"DockingCY", &m_nDockingCY, 0);
    return TRUE;
}

CTKPPaneBase* CTKPPaneBase::Clone(CTKPPaneLayout* layout, CTKPPaneMap* map, DWORD flags)
{
    auto* pane = new CTKPPaneBase(m_nType, layout);
    pane->m_nDockingCX = m_nDockingCX;
    pane->m_nDockingCY = m_nDockingCY;
    if (map)
        (*map)[this] = pane;
    return pane;
}

BOOL CTKPPaneBase::IsHidden() const
{
    if (m_nType != paneTypeClient)
        return FALSE;
    CTKPPaneManager* manager = GetManager();
    return manager && manager->m_bHideClient;
}

void CTKPPaneBase::GetWindowRect(RECT* rect) const
{
    *rect = m_rcPane;
    if (m_pHostWindow && m_pHostWindow->GetSafeHwnd())
        ::MapWindowPoints(m_pHostWindow->m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}

CTKPPaneCaptionButton* CTKPPaneBase::FindCaptionButton(UINT id) const
{
    for (CTKPPaneCaptionButton* button : m_captionButtons)
        if (button->GetID() == id)
            return button;
    return nullptr;
}

void CTKPPaneBase::DelayLayoutOf(CWnd* host)
{
    if (!host || !host->GetSafeHwnd())
        return;
    if (auto* frame = dynamic_cast<CFrameWnd*>(host)) {
        frame->DelayRecalcLayout(TRUE);
        return;
    }
    if (CFrameWnd* frame = host->GetParentFrame())
        frame->DelayRecalcLayout(TRUE);
}
