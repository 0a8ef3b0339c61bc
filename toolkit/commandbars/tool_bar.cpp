// Tool bars: controls from tool-bar resources, docking flags and visibility.
#include "toolkit/commandbars/tool_bar.h"

#include "toolkit/base/paint_manager.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/image_manager.h"

IMPLEMENT_SERIAL(CTKPToolBar, CTKPCommandBar, VERSIONABLE_SCHEMA | 16)

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
    // The controls as built: a customised bar is told from an unchanged one against these.
    m_pControls->CreateOriginalControls();
    BOOL result = TRUE;
    if (loadIcons)
        result = GetImageManager()->SetIconsFromResource(id);
    // Images of another width than the usual 16 make the bar's own icon size.
    if (resource.width != 16)
        SetIconSize(SIZE{resource.width, resource.height});
    return result;
}

void CTKPToolBar::SetVisible(BOOL visible)
{
    visible = visible != FALSE;
    if (m_bVisible == visible)
        return;
    if (!visible && m_nTrackingMode)
        SetTrackingMode(0, TRUE, FALSE);
    m_bVisible = visible;
    if (m_hWnd)
        ::ShowWindow(m_hWnd, visible ? SW_SHOWNA : SW_HIDE);
    CTKPCommandBars* bars = GetCommandBars();
    if (m_pDockBar && bars)
        bars->RecalcFrameLayout();
    if (bars)
        if (CWnd* site = GetSite(); site && site->m_hWnd)
            ::SendMessageW(site->m_hWnd, 10325, WPARAM(this), LPARAM(visible));
}

BOOL CTKPToolBar::CreateBarWindow(CWnd* parent)
{
    if (m_hWnd)
        return TRUE;
    if (!parent || !parent->m_hWnd)
        return FALSE;
    const LPCWSTR className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (m_bVisible ? WS_VISIBLE : 0);
    return CreateEx(0, className, m_strTitle.GetString(), style, RECT{0, 0, 0, 0}, parent, m_nBarID);
}

void CTKPToolBar::OnRecalcLayout()
{
    if (CTKPCommandBars* bars = GetCommandBars(); bars && m_pDockBar)
        bars->RecalcFrameLayout();
    else if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

CSize CTKPToolBar::CalcDynamicLayout(int length, DWORD mode)
{
    return CalcDockingLayout(length, mode);
}

CSize CTKPToolBar::CalcDockingLayout(int length, DWORD mode)
{
    CTKPPaintManager* paint = GetPaintManager();
    if (!paint)
        return CSize(0, 0);
    CClientDC dc(m_hWnd ? this : nullptr);
    HGDIOBJ oldFont = ::SelectObject(dc.m_hDC, paint->GetBarFont(this));
    RECT border = paint->GetBarBorders(this);
    if (m_dwStyle & 0x400000) {
        // The gripper sits before the first control, across the bar's length.
        const SIZE gripper = paint->DrawBarGripper(dc.m_hDC, this, FALSE);
        if (mode & LM_HORZDOCK)
            border.left += gripper.cx;
        else
            border.top += gripper.cy;
    }
    const CSize size = m_pControls->CalcSize(&dc, length, mode, border);
    ::SelectObject(dc.m_hDC, oldFont);
    if (mode & LM_COMMIT) {
        m_dwFlags &= ~DWORD(2);
        if (m_hWnd && !m_nRedrawLock)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    return size;
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

void CTKPToolBar::RestoreControls()
{
    if (CTKPControls* originals = m_pControls->GetOriginalControls()) {
        originals->InternalAddRef();
        m_pControls->RemoveAll();
        for (int i = 0; i < originals->GetCount(); ++i)
            if (CTKPControl* control = originals->GetAt(i); !control->m_bTemporary)
                m_pControls->AddClone(control, -1, TRUE);
        originals->InternalRelease();
    } else if (m_nResourceId) {
        LoadToolBar(m_nResourceId, FALSE);
    }
}

void CTKPToolBar::Reset()
{
    if (!m_bBuiltIn || !m_nResourceId || !IsCustomizable())
        return;
    CString format, text;
    GetResourceLoader().LoadString(format, 9349);
    text.Format(format.GetString(), m_strTitle.GetString());
    CWnd* site = GetSite();
    if (::MessageBoxW(site ? site->m_hWnd : nullptr, text, nullptr, MB_OKCANCEL | MB_ICONWARNING) != IDOK)
        return;
    RestoreControls();
    m_pControls->SetParent(this);
    OnControlsChanged();
    OnRecalcLayout();
}
