// CMiniFrameWnd: a tool window with a small caption, in step with its owner's activation.
#include "afx/mini_frame.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
    AFX_WM(WM_NCACTIVATE, *c.pResult = AFX_THIS(_p)->OnNcActivate((BOOL)c.wParam);)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

namespace {

constexpr DWORD kMiniFrameStyles = MFS_SYNCACTIVE | MFS_4THICKFRAME | MFS_THICKFRAME | MFS_MOVEFRAME | MFS_BLOCKSYSMENU;

// The top-level window that owns `hwnd`, following owners to the end.
HWND RootOwnerOf(HWND hwnd)
{
    HWND owner = ::GetWindow(hwnd, GW_OWNER);
    while (owner) {
        HWND next = ::GetWindow(owner, GW_OWNER);
        if (!next)
            break;
        owner = next;
    }
    return owner;
}

} // namespace

BOOL CMiniFrameWnd::Create(LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, const RECT& rect,
                           CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, lpClassName, lpWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CMiniFrameWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle,
                             const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    m_bSyncActive = (dwStyle & MFS_SYNCACTIVE) != 0;
    m_bBlockSysMenu = (dwStyle & MFS_BLOCKSYSMENU) != 0;
    if (dwStyle & (MFS_THICKFRAME | MFS_4THICKFRAME))
        dwStyle |= WS_THICKFRAME;
    else if (dwStyle & MFS_MOVEFRAME)
        dwStyle |= WS_BORDER;
    dwStyle &= ~kMiniFrameStyles;
    if (!lpClassName)
        lpClassName = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), (HBRUSH)(COLOR_BTNFACE + 1));
    m_strTitle = lpWindowName;
    // A child mini frame keeps its id; a top-level one has no menu.
    HMENU idOrMenu = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : nullptr;
    return CWnd::CreateEx(dwExStyle | WS_EX_TOOLWINDOW, lpClassName, lpWindowName, dwStyle, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top,
                          pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, idOrMenu, nullptr);
}

BOOL CMiniFrameWnd::ShouldLookActive(BOOL bActive)
{
    if (!m_bSyncActive)
        return bActive;
    HWND owner = RootOwnerOf(m_hWnd);
    HWND active = ::GetActiveWindow();
    if (!active)
        return FALSE;
    if (active == m_hWnd || (owner && active == owner))
        return TRUE;
    // Another mini frame of the same owner that follows it keeps the family active.
    if (owner && RootOwnerOf(active) == owner) {
        auto* other = DYNAMIC_DOWNCAST(CMiniFrameWnd, CWnd::FromHandlePermanent(active));
        return other && other->m_bSyncActive;
    }
    return FALSE;
}

BOOL CMiniFrameWnd::OnNcActivate(BOOL bActive)
{
    BOOL look = ShouldLookActive(bActive);
    // The owner's caption follows the family: it stays active while this window has the activation
    // and goes inactive with it when the activation leaves the family.
    if (m_bSyncActive) {
        HWND owner = RootOwnerOf(m_hWnd);
        if (owner && ::GetActiveWindow() != owner)
            ::SendMessageW(owner, WM_NCACTIVATE, look, 0);
    }
    return (BOOL)DefWindowProc(WM_NCACTIVATE, look, 0);
}

void CMiniFrameWnd::OnSysCommand(UINT nID, LPARAM lParam)
{
    UINT cmd = nID & 0xFFF0;
    if (m_bBlockSysMenu && (cmd == SC_KEYMENU || cmd == SC_MOUSEMENU))
        return;
    Default();
}
