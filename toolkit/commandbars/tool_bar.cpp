// Tool bars: controls from tool-bar resources, docking flags and visibility.
#include "toolkit/commandbars/tool_bar.h"

#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/image_manager.h"

IMPLEMENT_DYNCREATE(CTKPToolBar, CTKPCommandBar)

CTKPToolBar::CTKPToolBar()
{
    m_dwStyle = 0x400000;
    m_bCloseable = TRUE;
}

CTKPToolBar::~CTKPToolBar()
{
    if (m_pDockBar)
        m_pDockBar->RemoveCommandBar(this);
}

void CTKPToolBar::EnableDocking(DWORD flags)
{
    m_dwDockingFlags = flags;
    m_bMovable = TRUE;
}

BOOL CTKPToolBar::SetButtons(const UINT* ids, int count)
{
    if (!ids && count)
        return FALSE;
    m_pControls->RemoveAll();
    BOOL beginGroup = FALSE;
    for (int i = 0; i < count; ++i) {
        if (!ids[i]) {
            beginGroup = TRUE;
            continue;
        }
        CTKPControl* control = m_pControls->Add(TKP_CONTROL_BUTTON, ids[i]);
        control->m_bBeginGroup = beginGroup;
        beginGroup = FALSE;
    }
    return TRUE;
}

BOOL CTKPToolBar::LoadToolBar(UINT id, BOOL loadIcons)
{
    CTKPToolBarResource resource;
    if (!GetResourceLoader().LoadToolBar(resource, id))
        return FALSE;
    m_nResourceId = id;
    if (!SetButtons(resource.items.data(), int(resource.items.size())))
        return FALSE;
    if (loadIcons)
        GetImageManager()->SetIconsFromResource(id);
    return TRUE;
}

void CTKPToolBar::SetVisible(BOOL visible)
{
    m_bVisible = visible;
    if (m_hWnd)
        ::ShowWindow(m_hWnd, visible ? SW_SHOWNA : SW_HIDE);
}

CSize CTKPToolBar::CalcDynamicLayout(int length, DWORD mode)
{
    return CalcDockingLayout(length, mode);
}

CSize CTKPToolBar::CalcDockingLayout(int length, DWORD mode)
{
    return CalcLayout(length, mode);
}

void CTKPToolBar::Copy(CTKPCommandBar* source, BOOL recursive)
{
    CTKPCommandBar::Copy(source, recursive);
    if (auto* bar = dynamic_cast<CTKPToolBar*>(source)) {
        m_bBuiltIn = bar->m_bBuiltIn;
        m_bTearOff = bar->m_bTearOff;
        m_bCloseable = bar->m_bCloseable;
    }
}
