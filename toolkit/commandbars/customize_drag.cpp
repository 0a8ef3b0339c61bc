// Registration of the bars that take part in customize drag and drop.
#include "toolkit/commandbars/customize_drag.h"

#include <algorithm>

void CTKPCustomizeDragContext::Register(CTKPCommandBar* bar)
{
    if (bar && !IsRegistered(bar))
        m_bars.push_back(bar);
}

void CTKPCustomizeDragContext::Unregister(CTKPCommandBar* bar)
{
    m_bars.erase(std::remove(m_bars.begin(), m_bars.end(), bar), m_bars.end());
    if (m_pTarget == bar)
        m_pTarget = nullptr;
}

BOOL CTKPCustomizeDragContext::IsRegistered(CTKPCommandBar* bar) const
{
    return std::find(m_bars.begin(), m_bars.end(), bar) != m_bars.end();
}
