// Tool bars: controls from tool-bar resources, docking flags, visibility, the docked and floating
// layouts and the floating window.
#include "toolkit/commandbars/tool_bar.h"

#include "toolkit/base/paint_manager.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/bar_move_tracker.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/dock_bar.h"
#include "toolkit/commandbars/image_manager.h"

#include <algorithm>

IMPLEMENT_SERIAL(CTKPToolBar, CTKPCommandBar, VERSIONABLE_SCHEMA | 16)

namespace {

// What the expand button adds along the bar.
constexpr int kExpandButtonLength = 11;
// Posted to a torn-off bar that was hidden: the bar leaves its command bars.
constexpr UINT TKP_WM_REMOVETORNOFF = WM_APP + 0x2D0;

} // namespace

CTKPToolBar::CTKPToolBar()
{
    m_dwStyle = 0x400000;
    m_bCloseable = TRUE;
}

CTKPToolBar::~CTKPToolBar()
{
    delete m_pMoveTracker;
    m_pMoveTracker = nullptr;
    if (m_pDockBar)
        m_pDockBar->RemoveCommandBar(this);
}

void CTKPToolBar::EnableDocking(DWORD flags)
{
    m_dwDockingFlags = flags;
    if (!m_pMoveTracker)
        m_pMoveTracker = new CTKPBarMoveTracker(this);
}

BOOL CTKPToolBar::SetButtons(const UINT* ids, int count)
{
    if (!ids && count)
        return FALSE;
    m_pControls->RemoveAll();
    // The site may make a control itself, or change the id or type of the one made.
    CWnd* site = GetSite();
    const HWND siteWnd = site ? site->m_hWnd : nullptr;
    BOOL beginGroup = FALSE;
    for (int i = 0; i < count; ++i) {
        if (!ids[i]) {
            beginGroup = TRUE;
            continue;
        }
        TKP_MENU_ITEM_REQUEST request{ids[i], nullptr, 1, i, nullptr, this, m_strTitle, TKP_CONTROL_BUTTON, 0};
        CTKPControl* control = nullptr;
        if (siteWnd && ::SendMessageW(siteWnd, TKP_WM_CONTROLFROMMENU, 0, LPARAM(&request)) && request.pControl) {
            control = m_pControls->AddControl(request.pControl, request.nID);
        } else {
            control = m_pControls->Add(request.nType, request.nID);
            if (control)
                control->m_dwTag = DWORD(request.reserved2);
        }
        if (!control)
            continue;
        control->m_bBeginGroup = beginGroup;
        beginGroup = FALSE;
        if (siteWnd)
            ::SendMessageW(siteWnd, TKP_WM_CONTROLFROMMENUDONE, 0, LPARAM(control));
    }
    return TRUE;
}

BOOL CTKPToolBar::LoadToolBar(UINT id, BOOL loadIcons)
{
    CTKPToolBarResource resource;
    if (!GetResourceLoader().LoadToolBar(resource, id)) {
        // A bar whose resource is missing is left empty, not with the controls it had.
        m_pControls->RemoveAll();
        return FALSE;
    }
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
    // A torn-off bar is not kept once closed. Its own close button may be what hides it, so with
    // a window the bar goes only when the message loop comes back to it.
    if (!visible && m_bTearOff && bars) {
        if (m_hWnd)
            ::PostMessageW(m_hWnd, TKP_WM_REMOVETORNOFF, 0, 0);
        else
            bars->Remove(this);
    }
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
    if (IsFloating() && !m_pDockBar) {
        if (!m_hWnd)
            return;
        const CSize size = CalcDynamicLayout(-1, LM_COMMIT | LM_MRUWIDTH | LM_HORZ);
        RECT rc;
        ::GetWindowRect(m_hWnd, &rc);
        ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return;
    }
    if (CTKPCommandBars* bars = GetCommandBars(); bars && m_pDockBar)
        bars->RecalcFrameLayout();
    else if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

CTKPControl* CTKPToolBar::PrepareButton(UINT id)
{
    CTKPControl* button = m_pControls->FindControl(int(id));
    if (!button) {
        CTKPControl* made = id == TKP_ID_TOOLBAR_CLOSE ? static_cast<CTKPControl*>(new CTKPToolBarCloseButton())
                                                       : static_cast<CTKPControl*>(new CTKPToolBarExpandButton());
        button = m_pControls->AddControl(made, id, nullptr, -1, TRUE);
    }
    button->SetHideFlags(button->GetHideFlags() | TKP_HIDE_GENERIC);
    return button;
}

CSize CTKPToolBar::CalcDynamicLayout(int length, DWORD mode)
{
    if (!IsFloating() || m_pDockBar)
        return CalcDockingLayout(length, mode);
    CTKPPaintManager* paint = GetPaintManager();
    if (!paint)
        return CSize(0, 0);
    CTKPCommandBars* bars = GetCommandBars();
    CClientDC dc(m_hWnd ? this : nullptr);
    HGDIOBJ oldFont = ::SelectObject(dc.m_hDC, paint->GetBarFont(this));
    const int caption = paint->DrawBarGripper(dc.m_hDC, this, FALSE).cy;
    const RECT border{3, caption + 4, 3, 3};
    CTKPControl* close = nullptr;
    CTKPControl* expand = nullptr;
    // A button made now stays hidden until a committed layout places it.
    auto flagsOf = [this](UINT id) {
        const CTKPControl* button = m_pControls->FindControl(int(id));
        return button ? button->GetHideFlags() : DWORD(TKP_HIDE_GENERIC);
    };
    const DWORD closeFlags = flagsOf(TKP_ID_TOOLBAR_CLOSE);
    const DWORD expandFlags = flagsOf(TKP_ID_TOOLBAR_EXPAND);
    if (m_barType != TKP_BARTYPE_MENUBAR && m_bCloseable)
        close = PrepareButton(TKP_ID_TOOLBAR_CLOSE);
    if (m_bShowExpandButton && bars)
        expand = PrepareButton(TKP_ID_TOOLBAR_EXPAND);
    const CSize size = m_pControls->CalcSize(&dc, length, mode, border);
    ::SelectObject(dc.m_hDC, oldFont);
    if (!(mode & LM_COMMIT)) {
        // Measuring leaves the buttons as they were.
        if (close)
            close->SetHideFlags(closeFlags);
        if (expand)
            expand->SetHideFlags(expandFlags);
        return size;
    }
    int right = size.cx - 3;
    if (close) {
        close->SetHideFlags(0);
        close->SetRect(RECT{right - caption, 3, right, 3 + caption});
        right -= caption;
    }
    if (expand && right - caption > 0 && (!bars || bars->GetCommandBarsOptions()->bShowExpandButtonAlways)) {
        expand->SetHideFlags(0);
        expand->SetRect(RECT{right - caption, 3, right, 3 + caption});
    } else if (expand) {
        expand->SetRect(RECT{0, 0, 0, 0});
    }
    m_dwFlags &= ~DWORD(2);
    if (m_hWnd && !m_nRedrawLock)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return size;
}

CSize CTKPToolBar::CalcDockingLayout(int length, DWORD mode)
{
    CTKPPaintManager* paint = GetPaintManager();
    if (!paint)
        return CSize(0, 0);
    CTKPCommandBars* bars = GetCommandBars();
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
    if (CTKPControl* close = m_pControls->FindControl(TKP_ID_TOOLBAR_CLOSE))
        close->SetHideFlags(close->GetHideFlags() | TKP_HIDE_GENERIC);
    CTKPControl* expand = nullptr;
    DWORD expandFlags = TKP_HIDE_GENERIC;
    if (m_bShowExpandButton && bars) {
        if (CTKPControl* existing = m_pControls->FindControl(TKP_ID_TOOLBAR_EXPAND))
            expandFlags = existing->GetHideFlags();
        expand = PrepareButton(TKP_ID_TOOLBAR_EXPAND);
    }
    const BOOL horizontal = (mode & LM_HORZDOCK) != 0;
    const BOOL always = expand && bars->GetCommandBarsOptions()->bShowExpandButtonAlways;
    // A button that is always there takes its room out of the length, so the bar keeps to the
    // length it is given.
    const int controlsLength = always && length > kExpandButtonLength ? length - kExpandButtonLength : length;
    CSize size = m_pControls->CalcSize(&dc, controlsLength, mode, border);
    LONG& along = horizontal ? size.cx : size.cy;
    BOOL grow = FALSE;
    if (expand) {
        if (always) {
            grow = TRUE;
        } else if (mode & LM_COMMIT) {
            for (int i = 0; i < GetControlCount() && !grow; ++i)
                grow = (GetControl(i)->GetHideFlags() & TKP_HIDE_WRAP) != 0;
        } else if (m_pControls->GetVisibleCount(FALSE) > 1) {
            const CSize minimum = m_pControls->CalcSize(&dc, 1, mode, border);
            along = std::max<LONG>(along, (horizontal ? minimum.cx : minimum.cy) + kExpandButtonLength);
        }
    }
    if (grow)
        along += kExpandButtonLength;
    ::SelectObject(dc.m_hDC, oldFont);
    if (!(mode & LM_COMMIT)) {
        if (expand)
            expand->SetHideFlags(expandFlags);
        return size;
    }
    if (expand && !grow)
        expand->SetRect(RECT{0, 0, 0, 0});
    if (expand && grow) {
        expand->SetHideFlags(0);
        expand->SetRect(horizontal ? RECT{size.cx - border.right - kExpandButtonLength, border.top,
                                          size.cx - border.right, size.cy - border.bottom}
                                   : RECT{border.left, size.cy - border.bottom - kExpandButtonLength,
                                          size.cx - border.right, size.cy - border.bottom});
    }
    m_dwFlags &= ~DWORD(2);
    if (m_hWnd && !m_nRedrawLock)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
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

BOOL CTKPToolBar::SetBarPosition(int position)
{
    CTKPCommandBars* bars = GetCommandBars();
    if (!bars || position < TKP_BARPOS_TOP || position > TKP_BARPOS_FLOATING)
        return FALSE;
    if (position == TKP_BARPOS_FLOATING)
        bars->FloatCommandBar(this);
    else
        bars->DockCommandBar(this, position);
    return TRUE;
}

BOOL CTKPToolBar::CreateFloatingWindow(CWnd* parent, BOOL floating)
{
    HWND owner = parent ? parent->m_hWnd : nullptr;
    if (!m_hWnd) {
        const POINT at = m_ptMRUFloat.x || m_ptMRUFloat.y ? m_ptMRUFloat : POINT{100, 100};
        CTKPCommandBars* bars = GetCommandBars();
        const DWORD exStyle = bars && bars->IsLayoutRTL() ? WS_EX_LAYOUTRTL : 0;
        const LPCWSTR className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
        if (!CreateEx(exStyle, className, m_strTitle.GetString(),
                      WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TKP_FLOATING_STYLE,
                      RECT{at.x, at.y, at.x, at.y}, parent, 0))
            return FALSE;
        if (m_bVisible)
            ::ShowWindow(m_hWnd, SW_SHOWNA);
    }
    const DWORD style = DWORD(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    if (floating) {
        if (style & WS_CHILD) {
            ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, LONG_PTR((style & ~DWORD(WS_CHILD)) | WS_POPUP | TKP_FLOATING_STYLE));
            ::SetParent(m_hWnd, nullptr);
        }
        ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, LONG_PTR(owner));
    } else if (!(style & WS_CHILD)) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, 0);
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, LONG_PTR((style & ~DWORD(WS_POPUP | TKP_FLOATING_STYLE)) | WS_CHILD));
    }
    return TRUE;
}

BOOL CTKPToolBar::ProcessSpecialKey(int code)
{
    // Tab reaches here as next (0) or previous (1), as the arrow keys do.
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (m_pMoveTracker || !parent || (code != 0 && code != 1) || ::GetKeyState(VK_TAB) >= 0)
        return CTKPCommandBar::ProcessSpecialKey(code);
    if (HWND next = ::GetNextDlgTabItem(parent, m_hWnd, ::GetKeyState(VK_SHIFT) < 0))
        ::SetFocus(next);
    SetTrackingMode(0, TRUE, FALSE);
    return TRUE;
}

// ---- Window messages ---------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CTKPToolBar, CTKPCommandBar)
    ON_WM_RBUTTONDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_NCCREATE, OnNcCreateMsg)
    ON_MESSAGE(WM_NCACTIVATE, OnNcActivateMsg)
    ON_MESSAGE(WM_SETFOCUS, OnSetFocusMsg)
    ON_MESSAGE(WM_MOUSEACTIVATE, OnMouseActivateMsg)
    ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
    ON_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDown)
    ON_MESSAGE(WM_FLOATSTATUS, OnFloatStatus)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(TKP_WM_REMOVETORNOFF, OnRemoveTornOff)
END_MESSAGE_MAP()

LRESULT CTKPToolBar::OnRemoveTornOff(WPARAM, LPARAM)
{
    // Shown again meanwhile, it stays. Nothing up the stack uses the bar when it goes here.
    if (!m_bVisible && m_bTearOff)
        if (CTKPCommandBars* bars = GetCommandBars())
            bars->Remove(this);
    return 0;
}

LRESULT CTKPToolBar::OnNcCreateMsg(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    if (!result || !(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & TKP_FLOATING_STYLE))
        return result;
    // A bar that floats starts out shown or hidden as its frame is active or not; the frame counts
    // as active too while one of its own popups that floats in step with it is in front.
    CWnd* top = GetTopLevelParent();
    HWND frame = top && top->m_hWnd != m_hWnd ? top->m_hWnd : nullptr;
    if (!frame)
        return result;
    HWND foreground = ::GetForegroundWindow();
    const BOOL active = foreground == frame ||
                        (foreground && ::GetLastActivePopup(frame) == foreground &&
                         ::SendMessageW(foreground, WM_FLOATSTATUS, FS_SYNCACTIVE, 0) != 0);
    ::SendMessageW(m_hWnd, WM_FLOATSTATUS, active ? FS_ACTIVATE : FS_DEACTIVATE, 0);
    return result;
}

LRESULT CTKPToolBar::OnNcActivateMsg(WPARAM wParam, LPARAM)
{
    // Active, the bar keeps its caption as it is.
    return wParam ? 0 : Default();
}

LRESULT CTKPToolBar::OnSetFocusMsg(WPARAM wParam, LPARAM)
{
    // The window that had the focus gets it back when the bar lets it go. Only a window with an
    // object of its own is kept: a temporary wrapper is freed at the next idle time.
    if (!m_pPopupOwner)
        if (CWnd* previous = CWnd::FromHandlePermanent(reinterpret_cast<HWND>(wParam)); previous && previous != this)
            m_pPopupOwner = previous;
    const LRESULT result = Default();
    if (!m_pMoveTracker)
        SetTrackingMode(1, TRUE, FALSE);
    return result;
}

LRESULT CTKPToolBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    if (!layout || !(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VISIBLE))
        return 0;
    RECT& free = layout->rect;
    DWORD mode = LM_HORZ | LM_HORZDOCK | LM_COMMIT;
    if (m_dwDockingFlags & 32)
        mode |= TKP_LAYOUT_SINGLEROW;
    if (m_dwDockingFlags & 64)
        mode |= LM_STRETCH;
    // A pass that only measures leaves the controls where they are.
    if (!layout->bStretch)
        mode &= ~DWORD(LM_COMMIT);
    CSize size = CalcDockingLayout(free.right - free.left, mode);
    size.cx = std::clamp<LONG>(size.cx, 0, std::max<LONG>(0, free.right - free.left));
    size.cy = std::clamp<LONG>(size.cy, 0, std::max<LONG>(0, free.bottom - free.top));
    layout->sizeTotal.cy += size.cy;
    layout->sizeTotal.cx = std::max<LONG>(layout->sizeTotal.cx, size.cx);
    const RECT place{free.left, free.top, free.left + size.cx, free.top + size.cy};
    free.top += size.cy;
    if (layout->hDWP)
        AfxRepositionWindow(layout, m_hWnd, &place);
    m_dwFlags &= ~DWORD(2);
    if (!m_nRedrawLock)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

void CTKPToolBar::OnRButtonDown(UINT flags, CPoint pt)
{
    CTKPCommandBars* bars = GetCommandBars();
    if (IsCustomizeMode() || !bars) {
        CTKPCommandBar::OnRButtonDown(flags, pt);
        return;
    }
    SetTrackingMode(0, TRUE, FALSE);
    SetSelected(-1);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    POINT screen{pt.x, pt.y};
    ::ClientToScreen(m_hWnd, &screen);
    bars->ContextMenu(this, screen.x, screen.y);
}

void CTKPToolBar::OnLButtonDown(UINT flags, CPoint pt)
{
    if (IsFloating())
        ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m_pControls->HitTest(POINT{pt.x, pt.y}) || IsCustomizeMode()) {
        CTKPCommandBar::OnLButtonDown(flags, pt);
        return;
    }
    CTKPMouseTracker::GetThreadTracker()->CloseAll();
    if (m_pMoveTracker && (m_dwDockingFlags & 0x1F)) {
        POINT screen{pt.x, pt.y};
        ::ClientToScreen(m_hWnd, &screen);
        m_pMoveTracker->StartMove(screen.x, screen.y);
    }
}

void CTKPToolBar::OnLButtonDblClk(UINT flags, CPoint pt)
{
    if (!m_pControls->HitTest(POINT{pt.x, pt.y}) && m_pMoveTracker && !IsCustomizeMode()) {
        m_pMoveTracker->ToggleDocking();
        return;
    }
    CTKPCommandBar::OnLButtonDblClk(flags, pt);
}

LRESULT CTKPToolBar::OnMouseActivateMsg(WPARAM, LPARAM)
{
    if (IsFloating() || IsCustomizeMode())
        return MA_NOACTIVATE;
    return Default();
}

LRESULT CTKPToolBar::OnNcHitTest(WPARAM wParam, LPARAM lParam)
{
    if (!IsFloating())
        return OnNcHitTestMsg(wParam, lParam);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::InflateRect(&rc, -3, -3);
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (pt.y < rc.top)
        return HTTOP;
    if (pt.y >= rc.bottom)
        return HTBOTTOM;
    if (pt.x < rc.left)
        return HTLEFT;
    if (pt.x >= rc.right)
        return HTRIGHT;
    return OnNcHitTestMsg(wParam, lParam);
}

LRESULT CTKPToolBar::OnNcLButtonDown(WPARAM wParam, LPARAM lParam)
{
    if (!m_pMoveTracker || wParam < HTLEFT || wParam > HTBOTTOMRIGHT)
        return OnNcLButtonDownMsg(wParam, lParam);
    if (CWnd* site = GetSite(); site && site->m_hWnd)
        ::SetActiveWindow(::GetAncestor(site->m_hWnd, GA_ROOT));
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CTKPMouseTracker::GetThreadTracker()->CloseAll();
    m_pMoveTracker->StartResize(int(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    return 0;
}

LRESULT CTKPToolBar::OnFloatStatus(WPARAM wParam, LPARAM)
{
    const DWORD style = DWORD(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    const LRESULT result = (style & TKP_FLOATING_STYLE) && (wParam & FS_SYNCACTIVE);
    if (!IsFloating() || !m_bVisible)
        return result;
    CTKPCommandBars* bars = GetCommandBars();
    CWnd* site = GetSite();
    HWND top = site && site->m_hWnd ? ::GetAncestor(site->m_hWnd, GA_ROOT) : nullptr;
    const BOOL topActive = top && ::GetActiveWindow() == top;
    constexpr UINT kHide = SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    constexpr UINT kShow = SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    if (!bars || bars->GetCommandBarsOptions()->bSyncFloatingBars) {
        if ((wParam & FS_DEACTIVATE) && !topActive)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, kHide);
        if ((wParam & FS_ACTIVATE) && !::IsWindowVisible(m_hWnd) && topActive) {
            HWND foreground = ::GetForegroundWindow();
            if (foreground && ::IsWindowVisible(foreground) && !::IsIconic(foreground))
                ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, kShow);
        }
    }
    if (wParam & FS_SHOW)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, kShow);
    if (wParam & FS_HIDE)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, kHide);
    if (wParam & (FS_ENABLE | FS_DISABLE))
        ::EnableWindow(m_hWnd, (wParam & FS_ENABLE) != 0);
    return result;
}
