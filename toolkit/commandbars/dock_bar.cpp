// Dock bars: the rows of docked tool bars along one edge of the frame.
#include "toolkit/commandbars/dock_bar.h"

#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/tool_bar.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CTKPDockBar, CWnd)

CTKPDockBar::CTKPDockBar(CTKPCommandBars* bars) : m_bars{nullptr}, m_pCommandBars(bars)
{
}

CTKPDockBar::~CTKPDockBar()
{
    for (CTKPCommandBar* bar : m_bars)
        if (auto* toolBar = dynamic_cast<CTKPToolBar*>(bar))
            toolBar->SetDockBar(nullptr);
}

BOOL CTKPDockBar::Create(CWnd* pParent, DWORD style, UINT id)
{
    m_dwStyle = style & 0x40FFFF;
    const LPCWSTR className = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    return CWnd::Create(className, nullptr, (style & ~DWORD(0xFFFF)) | WS_CLIPSIBLINGS, RECT{0, 0, 0, 0}, pParent,
                        id);
}

void CTKPDockBar::DockCommandBar(CTKPToolBar* bar, LPCRECT)
{
    if (!bar || FindBar(bar) != -1)
        return;
    if (auto* old = bar->GetDockBar())
        old->RemoveCommandBar(bar);
    // The bar starts a row of its own after the last row.
    m_bars.push_back(bar);
    m_bars.push_back(nullptr);
    bar->SetDockBar(this);
    bar->SetPosition(GetPosition());
}

BOOL CTKPDockBar::RemoveCommandBar(CTKPCommandBar* bar, int excluded)
{
    const int index = FindBar(bar, excluded);
    if (index < 0)
        return FALSE;
    m_bars.erase(m_bars.begin() + index);
    if (index > 0 && index < GetBarCount() && !m_bars[size_t(index - 1)] && !m_bars[size_t(index)])
        m_bars.erase(m_bars.begin() + index);
    if (auto* toolBar = dynamic_cast<CTKPToolBar*>(bar))
        toolBar->SetDockBar(nullptr);
    if (m_pCommandBars)
        m_pCommandBars->RecalcFrameLayout(TRUE);
    return TRUE;
}

int CTKPDockBar::FindBar(CTKPCommandBar* bar, int excluded) const
{
    if (!bar)
        return -1;
    for (int i = 0; i < GetBarCount(); ++i)
        if (i != excluded && m_bars[size_t(i)] == bar)
            return i;
    return -1;
}

CTKPCommandBar* CTKPDockBar::GetBar(int index) const
{
    return index >= 0 && index < GetBarCount() ? m_bars[size_t(index)] : nullptr;
}

int CTKPDockBar::GetPosition() const
{
    if (m_dwStyle & (0x2000 | 0x800))
        return 0;
    if (m_dwStyle & (0x8000 | 0x200))
        return 1;
    if (m_dwStyle & (0x1000 | 0x400))
        return 2;
    return 3;
}
