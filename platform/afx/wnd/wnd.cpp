// CWnd: the handle maps, creation and subclassing, message dispatch with reflection, wrappers.
#include "afx/wnd.h"
#include "afx/app.h"
#include "afx/frame.h"

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

class CWndInternals {
public:
    static void SetSuper(CWnd* p, WNDPROC proc) { p->m_pfnSuper = proc; }
    static WNDPROC Super(CWnd* p) { return p->m_pfnSuper; }
};

// Windows belong to the thread that made them, so each thread keeps its own maps: messages for
// a window are only ever handled on its thread.
namespace {
struct ThreadWndState {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
    CWnd* pWndInit = nullptr; // the object whose window is being created on this thread
    HHOOK hHookCreate = nullptr;
    std::vector<MSG> current; // the messages being handled, innermost last
};
thread_local ThreadWndState t_state;

// Routes the window's messages through the framework, keeping the procedure it had.
void HookProc(CWnd* pWnd, HWND hWnd) {
    WNDPROC old = (WNDPROC)::GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
    if (old != &AfxWndProc) {
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
        CWndInternals::SetSuper(pWnd, old);
    }
}

LRESULT CALLBACK CreateHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_state.pWndInit) {
        // The first window made during CreateEx is the object's own; windows that its creation
        // makes in turn are not.
        CWnd* pWnd = t_state.pWndInit;
        t_state.pWndInit = nullptr;
        HWND hWnd = (HWND)wParam;
        pWnd->Attach(hWnd);
        pWnd->PreSubclassWindow();
        HookProc(pWnd, hWnd);
    }
    return ::CallNextHookEx(t_state.hHookCreate, code, wParam, lParam);
}

struct CurrentMessage {
    CurrentMessage(HWND h, UINT m, WPARAM w, LPARAM l) { t_state.current.push_back(MSG{h, m, w, l, 0, {}}); }
    ~CurrentMessage() { t_state.current.pop_back(); }
};
} // namespace

// ---- The handle map ---------------------------------------------------------------------------
CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd) {
    auto it = t_state.permanent.find(hWnd);
    return it == t_state.permanent.end() ? nullptr : it->second;
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd) {
    if (!hWnd)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    auto& temp = t_state.temporary[hWnd];
    if (!temp)
        temp = std::make_unique<CWnd>(hWnd);
    return temp.get();
}

namespace {
thread_local std::map<std::pair<HWND, CRuntimeClass*>, std::unique_ptr<CWnd>> t_typedTemps;
} // namespace

CWnd* AFXAPI AfxTempWndOfClass(HWND hWnd, CRuntimeClass* pClass, CWnd* (*pfnNew)()) {
    if (!hWnd)
        return nullptr;
    if (CWnd* p = CWnd::FromHandlePermanent(hWnd); p && p->IsKindOf(pClass))
        return p;
    auto& slot = t_typedTemps[{hWnd, pClass}];
    if (!slot) {
        slot.reset(pfnNew());
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

void PASCAL CWnd::DeleteTempMap() {
    for (auto& [key, p] : t_typedTemps)
        p->m_hWnd = nullptr;
    t_typedTemps.clear();
    // A temporary object is never attached, so destroying it leaves the window alone.
    for (auto& [h, p] : t_state.temporary)
        p->m_hWnd = nullptr;
    t_state.temporary.clear();
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (!hWndNew || m_hWnd || FromHandlePermanent(hWndNew))
        return FALSE;
    m_hWnd = hWndNew;
    t_state.permanent[hWndNew] = this;
    // A temporary handed out earlier must not outlive into a second object for the same window.
    if (auto it = t_state.temporary.find(hWndNew); it != t_state.temporary.end())
        it->second->m_hWnd = nullptr, t_state.temporary.erase(it);
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    if (h) {
        auto it = t_state.permanent.find(h);
        if (it != t_state.permanent.end() && it->second == this)
            t_state.permanent.erase(it);
    }
    m_hWnd = nullptr;
    return h;
}

CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        // The window outlives no object: destroy it, with no PostNcDestroy on a dying object.
        HWND h = m_hWnd;
        m_nFlags |= 0x8000;
        ::DestroyWindow(h);
        Detach();
    }
}

// Creations nest (a window made in another's WM_CREATE), so each level keeps the object of the
// one outside it. One hook serves every level: a second one would pass each call on to the first
// through the same handle and never end.
namespace {
thread_local std::vector<CWnd*> t_levels;
// The objects inside CreateEx, innermost last. An entry is cleared when its window is destroyed
// during the creation: the object may have freed itself with it and must not be touched again.
thread_local std::vector<CWnd*> t_creating;
} // namespace

void PASCAL CWnd::HookWindowCreate(CWnd* pWnd) {
    t_levels.push_back(t_state.pWndInit);
    t_state.pWndInit = pWnd;
    if (!t_state.hHookCreate)
        t_state.hHookCreate = ::SetWindowsHookExW(WH_CBT, &CreateHook, nullptr, ::GetCurrentThreadId());
}

void PASCAL CWnd::UnhookWindowCreate() {
    if (t_levels.empty())
        return;
    t_state.pWndInit = t_levels.back();
    t_levels.pop_back();
    if (t_levels.empty() && t_state.hHookCreate) {
        ::UnhookWindowsHookEx(t_state.hHookCreate);
        t_state.hHookCreate = nullptr;
    }
}

// ---- Creation ---------------------------------------------------------------------------------
BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, void* pContext) {
    // The creation context reaches OnCreate as the creation parameter, so a view joins its document there.
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr, (HMENU)(UINT_PTR)nID,
                    lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE; // one object, one window
    }
    CREATESTRUCTW cs{};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = ::GetModuleHandleW(nullptr);
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    HookWindowCreate(this);
    t_creating.push_back(this);
    HWND hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    DWORD err = ::GetLastError();
    bool destroyed = t_creating.back() == nullptr;
    t_creating.pop_back();
    UnhookWindowCreate();
    if (!hWnd) {
        // A window refused in WM_NCCREATE/WM_CREATE was attached by the hook and then destroyed;
        // its WM_NCDESTROY has already detached it, and PostNcDestroy may have freed the object.
        if (!destroyed && m_hWnd && !::IsWindow(m_hWnd))
            Detach();
        ::SetLastError(err);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

// ---- Subclassing ------------------------------------------------------------------------------
BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!::IsWindow(hWnd) || !Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    HookProc(this, hWnd);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent)
        return FALSE;
    HWND hCtl = ::GetDlgItem(pParent->m_hWnd, (int)nID);
    return hCtl ? SubclassWindow(hCtl) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_hWnd)
        return nullptr;
    if (m_pfnSuper)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    return Detach();
}

// ---- Message handling -------------------------------------------------------------------------
const MSG* AFXAPI AfxGetCurrentMessage() {
    return t_state.current.empty() ? nullptr : &t_state.current.back();
}

LRESULT AFXAPI AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CurrentMessage cur(hWnd, nMsg, wParam, lParam);
    LRESULT r = pWnd->WindowProc(nMsg, wParam, lParam);
    if (nMsg == WM_NCDESTROY) {
        // Whatever the handlers did, the object lets go of the dead window and may free itself.
        if (pWnd->m_hWnd == hWnd) {
            if (WNDPROC super = CWndInternals::Super(pWnd))
                ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)super);
            pWnd->Detach();
            for (CWnd*& creating : t_creating)
                if (creating == pWnd)
                    creating = nullptr;
            pWnd->PostNcDestroy();
        }
    }
    return r;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
    if (pWnd->m_nFlags & 0x8000) {
        // The object is being destroyed: only the window's own procedure still runs.
        WNDPROC super = pWnd->m_pfnSuper;
        if (nMsg == WM_NCDESTROY)
            pWnd->Detach();
        return super ? ::CallWindowProcW(super, hWnd, nMsg, wParam, lParam)
                     : ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
    }
    return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG* msg = AfxGetCurrentMessage();
    if (!msg || msg->hwnd != m_hWnd)
        return 0;
    MSG copy = *msg;
    return DefWindowProc(copy.message, copy.wParam, copy.lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT lResult = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND) {
        handled = OnCommand(wParam, lParam);
        lResult = 1;
    } else if (message == WM_NOTIFY) {
        NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        handled = pNMHDR && pNMHDR->hwndFrom && OnNotify(wParam, lParam, &lResult);
    } else {
        AFX_MSGCALL call{message, wParam, lParam, 0, 0, nullptr, &lResult};
        handled = DispatchMsg(message, call);
    }
    if (pResult)
        *pResult = lResult;
    return handled;
}

namespace {
// Asks a command's update handlers for its state without touching any menu or bar.
class CommandStateProbe : public CCmdUI {
public:
    void Enable(BOOL bOn) override {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetText(LPCWSTR) override {}
    BOOL m_bEnabled = TRUE;
};
} // namespace

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = (HWND)lParam;
    int nCode = HIWORD(wParam);
    if (hWndCtrl) {
        if (ReflectLastMsg(hWndCtrl))
            return TRUE;
    } else {
        if (nID == 0)
            return FALSE;
        // A menu item or shortcut may outlive the state that enabled it (a key pressed on a page
        // where its command is greyed): the update handlers decide, and a disabled command is
        // swallowed as handled.
        CommandStateProbe state;
        state.m_nID = nID;
        OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled)
            return TRUE;
        nCode = CN_COMMAND;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (ReflectLastMsg(pNMHDR->hwndFrom, pResult))
        return TRUE;
    AFX_NOTIFY notify{pResult, pNMHDR};
    return OnCmdMsg((UINT)pNMHDR->idFrom, (int)MAKELONG(pNMHDR->code, WM_NOTIFY), &notify, nullptr);
}

BOOL PASCAL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
    CWnd* pWnd = FromHandlePermanent(hWndChild);
    return pWnd && pWnd->SendChildNotifyLastMsg(pResult);
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult) {
    const MSG* msg = AfxGetCurrentMessage();
    if (!msg)
        return FALSE;
    MSG copy = *msg;
    return OnChildNotify(copy.message, copy.wParam, copy.lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_COMMAND: {
        int nCode = HIWORD(wParam);
        return CCmdTarget::OnCmdMsg(0, (int)MAKELONG(nCode, WM_REFLECT_BASE + WM_COMMAND), nullptr, nullptr);
    }
    case WM_NOTIFY: {
        NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        LRESULT ignored = 0;
        AFX_NOTIFY notify{pResult ? pResult : &ignored, pNMHDR};
        return CCmdTarget::OnCmdMsg(0, (int)MAKELONG(pNMHDR->code, WM_REFLECT_BASE + WM_NOTIFY), &notify,
                                    nullptr);
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        AFX_CTLCOLOR ctl{m_hWnd, (HDC)wParam, message - WM_CTLCOLORMSGBOX};
        return OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLORMSGBOX, 0, (LPARAM)&ctl, pResult);
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_PARENTNOTIFY:
        return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    default:
        return FALSE;
    }
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
    LRESULT lResult = 0;
    if (pWnd && pWnd->m_hWnd != m_hWnd && ReflectLastMsg(pWnd->m_hWnd, &lResult))
        return (HBRUSH)lResult;
    return (HBRUSH)Default();
}

void CWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (nIDCtl != 0 && lpDrawItemStruct && ReflectLastMsg(lpDrawItemStruct->hwndItem))
        return;
    Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT) {
    // The item carries no window; the control is found by its id among the children.
    if (nIDCtl != 0) {
        if (HWND hCtl = ::GetDlgItem(m_hWnd, nIDCtl); hCtl && ReflectLastMsg(hCtl))
            return;
    }
    Default();
}

void CWnd::OnNcDestroy() {
    // The loop of a thread whose main window is gone has nothing left to run.
    if (CWinThread* pThread = AfxGetThread()) {
        if (pThread->m_pMainWnd == this) {
            ::PostQuitMessage(0);
            pThread->m_pMainWnd = nullptr;
        }
        if (pThread->m_pActiveWnd == this)
            pThread->m_pActiveWnd = nullptr;
    }
    Default();
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

INT_PTR CWnd::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const {
    if (!m_hWnd)
        return -1;
    HWND hChild = ::ChildWindowFromPointEx(m_hWnd, point, CWP_SKIPINVISIBLE);
    if (!hChild || hChild == m_hWnd)
        return -1;
    if (pTI && pTI->cbSize >= TTTOOLINFOW_V1_SIZE) {
        pTI->hwnd = m_hWnd;
        pTI->uId = (UINT_PTR)hChild;
        pTI->uFlags |= TTF_IDISHWND;
        pTI->lpszText = LPSTR_TEXTCALLBACKW;
    }
    return ::GetDlgCtrlID(hChild);
}

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        if (CWnd* pWnd = FromHandlePermanent(hWnd); pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

BOOL CWnd::ContinueModal() { return (m_nFlags & 0x0010) != 0; }

void CWnd::EndModalLoop(int nResult) {
    m_nModalResult = nResult;
    if (m_nFlags & 0x0010) {
        m_nFlags &= ~0x0010u;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    }
}

int CWnd::RunModalLoop(DWORD) {
    m_nFlags |= 0x0010;
    MSG msg{};
    while (ContinueModal()) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            // The quit belongs to the outer loop.
            ::PostQuitMessage((int)msg.wParam);
            m_nFlags &= ~0x0010u;
            break;
        }
        if (!WalkPreTranslateTree(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!::IsWindow(m_hWnd))
            break;
    }
    m_nFlags &= ~0x0010u;
    return m_nModalResult;
}

void CWnd::CalcWindowRect(LPRECT lpClientRect, UINT) {
    ::AdjustWindowRectEx(lpClientRect, GetStyle(), FALSE, GetExStyle());
}

// ---- Wrappers ---------------------------------------------------------------------------------
BOOL PASCAL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD style = (DWORD)::GetWindowLongW(hWnd, GWL_STYLE);
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongW(hWnd, GWL_STYLE, (LONG)newStyle);
    if (nFlags)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL PASCAL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD style = (DWORD)::GetWindowLongW(hWnd, GWL_EXSTYLE);
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongW(hWnd, GWL_EXSTYLE, (LONG)newStyle);
    if (nFlags)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags); }
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    return ModifyStyleEx(m_hWnd, dwRemove, dwAdd, nFlags);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm) {
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (!bOnlyPerm) {
            ::SendMessageW(hChild, message, wParam, lParam);
        } else if (CWnd* p = FromHandlePermanent(hChild)) {
            AfxCallWndProc(p, hChild, message, wParam, lParam);
        }
        if (bDeep && ::GetWindow(hChild, GW_CHILD)) {
            CWnd tmp(hChild);
            tmp.SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
            tmp.m_hWnd = nullptr;
        }
    }
}

void CWnd::GetWindowText(CString& rString) const {
    int n = ::GetWindowTextLengthW(m_hWnd);
    LPWSTR buf = rString.GetBufferSetLength(n);
    ::GetWindowTextW(m_hWnd, buf, n + 1);
    rString.ReleaseBuffer();
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    ::SendMessageW(m_hWnd, WM_SETFONT, (WPARAM)(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const {
    return CFont::FromHandle((HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
}

void CWnd::ClientToScreen(LPRECT lpRect) const {
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}

CWnd* CWnd::GetTopLevelParent() const {
    if (!m_hWnd)
        return nullptr;
    HWND h = m_hWnd;
    while (::GetWindowLongW(h, GWL_STYLE) & WS_CHILD) {
        HWND parent = ::GetParent(h);
        if (!parent)
            break;
        h = parent;
    }
    // An owned window's top level is its owner's.
    for (HWND owner; (owner = ::GetWindow(h, GW_OWNER)) != nullptr;)
        h = owner;
    return FromHandle(h);
}

CWnd* CWnd::GetParentOwner() const {
    HWND h = m_hWnd;
    while (h && (::GetWindowLongW(h, GWL_STYLE) & WS_CHILD))
        h = ::GetParent(h);
    return FromHandle(h);
}

CWnd* PASCAL CWnd::GetSafeOwner(CWnd* pParent, HWND* pWndTop) {
    HWND hWnd = pParent ? pParent->m_hWnd : nullptr;
    if (!hWnd) {
        CWnd* pMain = AfxGetMainWnd();
        hWnd = pMain ? pMain->m_hWnd : nullptr;
    }
    while (hWnd && (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    HWND hWndTop = hWnd;
    for (HWND h = hWnd; h; h = ::GetParent(h))
        hWndTop = h;
    if (!pParent && hWnd)
        hWnd = ::GetLastActivePopup(hWnd);
    if (pWndTop) {
        if (hWndTop && hWndTop != hWnd && ::IsWindowEnabled(hWndTop)) {
            *pWndTop = hWndTop;
            ::EnableWindow(hWndTop, FALSE);
        } else {
            *pWndTop = nullptr;
        }
    }
    return FromHandle(hWnd);
}

CFrameWnd* CWnd::GetParentFrame() const {
    for (HWND h = m_hWnd ? ::GetParent(m_hWnd) : nullptr; h; h = ::GetParent(h)) {
        CWnd* p = FromHandlePermanent(h);
        if (p && p->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            return static_cast<CFrameWnd*>(p);
    }
    return nullptr;
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    RECT rcDlg{};
    ::GetWindowRect(m_hWnd, &rcDlg);
    RECT rcArea{};
    HWND hCenter = pAlternateOwner ? pAlternateOwner->m_hWnd
                                   : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
    if (GetStyle() & WS_CHILD) {
        HWND parent = ::GetParent(m_hWnd);
        ::GetClientRect(parent, &rcArea);
        RECT rcCenter = rcArea;
        if (hCenter && hCenter != parent) {
            ::GetWindowRect(hCenter, &rcCenter);
            ::MapWindowPoints(nullptr, parent, reinterpret_cast<LPPOINT>(&rcCenter), 2);
        }
        int w = rcDlg.right - rcDlg.left, h = rcDlg.bottom - rcDlg.top;
        int x = (rcCenter.left + rcCenter.right) / 2 - w / 2;
        int y = (rcCenter.top + rcCenter.bottom) / 2 - h / 2;
        ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rcCenter = rcArea;
    if (hCenter && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter))
        ::GetWindowRect(hCenter, &rcCenter);
    int w = rcDlg.right - rcDlg.left, h = rcDlg.bottom - rcDlg.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - w / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - h / 2;
    // Kept on the work area, so a large window never starts off the screen.
    if (x + w > rcArea.right)
        x = rcArea.right - w;
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + h > rcArea.bottom)
        y = rcArea.bottom - h;
    if (y < rcArea.top)
        y = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) {
    return ::MessageBoxW(m_hWnd, lpszText, lpszCaption, nType);
}

LPCWSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    // One class per combination, named after it, as a program may register the same one twice.
    static thread_local std::vector<std::unique_ptr<CString>> names;
    CString name;
    name.Format(u"Afx:%p:%x:%p:%p:%p", (void*)::GetModuleHandleW(nullptr), nClassStyle, (void*)hCursor,
                (void*)hbrBackground, (void*)hIcon);
    for (auto& n : names)
        if (*n == name)
            return *n;
    WNDCLASSW wc{};
    if (!::GetClassInfoW(::GetModuleHandleW(nullptr), name, &wc)) {
        wc.style = nClassStyle;
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.hIcon = hIcon;
        wc.lpszClassName = name;
        if (!::RegisterClassW(&wc))
            return nullptr;
    }
    names.push_back(std::make_unique<CString>(name));
    return *names.back();
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_NCDESTROY()
    ON_WM_CTLCOLOR()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
END_MESSAGE_MAP()

// ---- Layout of bars and controls ---------------------------------------------------------------
CWnd* CWnd::GetOwner() const {
    if (m_hWndOwner && ::IsWindow(m_hWndOwner))
        return FromHandle(m_hWndOwner);
    if (HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER))
        return FromHandle(hOwner);
    return GetParent();
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const {
    // Direct children first, so a bar's own id is found before a grandchild reusing it.
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(h) != nID)
            continue;
        if (!bOnlyPerm)
            return FromHandle(h);
        if (CWnd* p = FromHandlePermanent(h))
            return p;
    }
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (!::GetWindow(h, GW_CHILD))
            continue;
        CWnd tmp(h);
        CWnd* p = tmp.GetDescendantWindow(nID, bOnlyPerm);
        tmp.m_hWnd = nullptr;
        if (p)
            return p;
    }
    return nullptr;
}

void AFXAPI AfxRepositionWindow(AFX_SIZEPARENTPARAMS* lpLayout, HWND hWnd, LPCRECT lpRect) {
    if (!hWnd || !lpLayout->hDWP)
        return;
    RECT rcOld{};
    ::GetWindowRect(hWnd, &rcOld);
    HWND hParent = ::GetParent(hWnd);
    if (hParent)
        ::MapWindowPoints(nullptr, hParent, reinterpret_cast<LPPOINT>(&rcOld), 2);
    if (::EqualRect(&rcOld, lpRect))
        return;
    lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, hWnd, nullptr, lpRect->left, lpRect->top,
                                      lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
                                      SWP_NOACTIVATE | SWP_NOZORDER);
}

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlags, LPRECT lpRectParam,
                          LPCRECT lpRectClient, BOOL bStretch) {
    AFX_SIZEPARENTPARAMS layout{};
    layout.bStretch = bStretch;
    if (lpRectClient)
        layout.rect = *lpRectClient;
    else
        ::GetClientRect(m_hWnd, &layout.rect);
    BOOL bQuery = (nFlags & ~reposNoPosLeftOver) == reposQuery;
    int nChildren = 0;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        ++nChildren;
    layout.hDWP = bQuery ? nullptr : ::BeginDeferWindowPos(nChildren);
    HWND hLeftOver = nullptr;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        UINT nID = (UINT)::GetDlgCtrlID(h);
        if (nID == nIDLeftOver)
            hLeftOver = h;
        else if (nID >= nIDFirst && nID <= nIDLast && FromHandlePermanent(h))
            ::SendMessageW(h, WM_SIZEPARENT, 0, (LPARAM)&layout);
    }
    if (bQuery) {
        if (lpRectParam) {
            if (bStretch)
                *lpRectParam = layout.rect;
            else
                *lpRectParam = RECT{0, 0, layout.sizeTotal.cx, layout.sizeTotal.cy};
        }
        return;
    }
    if (nIDLeftOver != 0 && hLeftOver) {
        RECT& rc = layout.rect;
        if ((nFlags & ~reposNoPosLeftOver) == reposExtra && lpRectParam) {
            rc.left += lpRectParam->left;
            rc.top += lpRectParam->top;
            rc.right -= lpRectParam->right;
            rc.bottom -= lpRectParam->bottom;
        }
        // Bars that took more than the whole area leave an empty pane, never a negative one.
        if (rc.right < rc.left)
            rc.right = rc.left;
        if (rc.bottom < rc.top)
            rc.bottom = rc.top;
        if (!(nFlags & reposNoPosLeftOver)) {
            if (CWnd* pLeftOver = FromHandlePermanent(hLeftOver))
                pLeftOver->CalcWindowRect(&rc, 0);
            AfxRepositionWindow(&layout, hLeftOver, &rc);
        }
    }
    if (layout.hDWP)
        ::EndDeferWindowPos(layout.hDWP);
}

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    if (!pTarget)
        return;
    CCmdUI state;
    CWnd wndTemp;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        wndTemp.m_hWnd = h;
        state.m_nID = (UINT)::GetDlgCtrlID(h);
        state.m_pOther = &wndTemp;
        // Only push buttons act as commands of their own; other controls hold values.
        LONG style = ::GetWindowLongW(h, GWL_STYLE);
        WCHAR cls[16] = {};
        ::GetClassNameW(h, cls, 16);
        BOOL bButton = CString(cls).CompareNoCase(u"Button") == 0;
        UINT type = style & 0x0F;
        BOOL bPush = bButton && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
        state.DoUpdate(pTarget, bDisableIfNoHndler && bPush);
    }
    wndTemp.m_hWnd = nullptr;
}
