// The tooltip context of toolkit windows.
#include "toolkit/commandbars/tip_context.h"

#include "toolkit/commandbars/tip_window.h"

#include "afx/module_state.h"
#include "afx/tree_ctrl.h"
#include "win32/controls/dll_version.h"

#include <cstdlib>

namespace {

// The standard tooltip control of the context. A child window that answers the private query
// 0x2A48 with 1 stands for its parent, so the parent's tools show over it.
class CTKPToolTipControl : public CToolTipCtrl {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = CToolTipCtrl::WindowProc(message, wParam, lParam);
        if (message == TTM_WINDOWFROMPOINT && result) {
            HWND hWnd = HWND(result);
            if ((::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD) && ::SendMessageW(hWnd, 0x2A48, 0, 0) == 1)
                return LRESULT(::GetParent(hWnd));
        }
        return result;
    }
};

DWORD CommonControlsVersion()
{
    HMODULE module = ::LoadLibraryW(u"COMCTL32.DLL");
    if (!module)
        return 0;
    DWORD version = 0;
    using GetVersionProc = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    auto proc = reinterpret_cast<GetVersionProc>(reinterpret_cast<void*>(::GetProcAddress(module, "DllGetVersion")));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (proc && SUCCEEDED(proc(&info)))
        version = (info.dwMajorVersion << 16) | info.dwMinorVersion;
    ::FreeLibrary(module);
    return version;
}

BOOL IsMouseButtonDown()
{
    return (::GetKeyState(VK_LBUTTON) & 0x8000) || (::GetKeyState(VK_RBUTTON) & 0x8000) ||
           (::GetKeyState(VK_MBUTTON) & 0x8000);
}

BOOL CancelsTip(UINT message)
{
    if (message >= WM_KEYFIRST && message <= 0x108)
        return TRUE;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

CTKPTipContext::CTKPTipContext()
    : m_dwComCtlVersion(CommonControlsVersion()), m_nMaxTipWidth(::GetSystemMetrics(SM_CXSCREEN) / 2)
{
    AfxInitRichEdit();
}

CTKPTipContext::~CTKPTipContext()
{
    DestroyToolTip();
}

void CTKPTipContext::RelayToolTipMessage(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{pWnd ? pWnd->m_hWnd : nullptr, message, wParam, lParam, 0, {0, 0}};
    ::GetCursorPos(&msg.pt);
    FilterToolTipMessage(pWnd, &msg);
}

CWnd* CTKPTipContext::CreateToolTip(CWnd* pOwner)
{
    const DWORD style = m_dwTipStyle | TTS_ALWAYSTIP;
    if (m_nTipKind >= TKP_TIP_TOOLKIT && m_nTipKind <= TKP_TIP_THEMED) {
        CTKPTipWindow* window = m_nTipKind == TKP_TIP_RICHTEXT  ? new CTKPRichTipWindow(this)
                                : m_nTipKind == TKP_TIP_THEMED ? new CTKPThemedTipWindow(this)
                                                               : new CTKPTipWindow(this);
        window->CreateTipWindow(pOwner, style);
        return window;
    }
    auto* tip = new CTKPToolTipControl();
    tip->Create(pOwner, m_nTipKind == TKP_TIP_BALLOON ? style | TTS_BALLOON : style);
    return tip;
}

void CTKPTipContext::FilterToolTipMessage(CWnd* pWnd, MSG* pMsg)
{
    if (!pWnd || !pWnd->m_hWnd || !pMsg)
        return;
    const UINT message = pMsg->message;
    const BOOL relayed = message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE || message == WM_LBUTTONUP ||
                         message == WM_RBUTTONUP || message == WM_MBUTTONUP;
    if (!relayed || IsMouseButtonDown()) {
        if (CancelsTip(message))
            CancelToolTips();
        return;
    }

    HWND hTop = ::GetAncestor(pWnd->m_hWnd, GA_ROOT);
    if (m_pToolTip && m_pToolTip->m_hWnd && ::IsWindowVisible(m_pToolTip->m_hWnd)) {
        HWND hOwner = hTop ? ::GetWindow(hTop, GW_OWNER) : nullptr;
        HWND hActive = ::GetLastActivePopup(hOwner ? hOwner : hTop);
        if (::GetForegroundWindow() != hActive) {
            ::SendMessageW(m_pToolTip->m_hWnd, TTM_ACTIVATE, FALSE, 0);
            return;
        }
    }

    CWnd* pOwner = pWnd->GetParentOwner();
    HWND hOwner = pOwner ? pOwner->m_hWnd : pWnd->m_hWnd;
    if (m_pToolTip && m_hWndToolOwner != hOwner)
        DestroyToolTip();
    if (!m_pToolTip) {
        m_pToolTip = CreateToolTip(CWnd::FromHandle(hOwner));
        if (!m_pToolTip || !m_pToolTip->m_hWnd) {
            delete m_pToolTip;
            m_pToolTip = nullptr;
            return;
        }
        m_hWndToolOwner = hOwner;
        HWND hTip = m_pToolTip->m_hWnd;
        ::SendMessageW(hTip, TTM_SETMAXTIPWIDTH, 0, m_nMaxTipWidth);
        ::SendMessageW(hTip, TTM_SETMARGIN, 0, LPARAM(&m_rcMargin));
        if (m_clrTipBack != COLORREF(-1))
            ::SendMessageW(hTip, TTM_SETTIPBKCOLOR, m_clrTipBack, 0);
        if (m_clrTipText != COLORREF(-1))
            ::SendMessageW(hTip, TTM_SETTIPTEXTCOLOR, m_clrTipText, 0);
        if (m_nReshowDelay != -1)
            ::SendMessageW(hTip, TTM_SETDELAYTIME, TTDT_RESHOW, m_nReshowDelay);
        if (m_nInitialDelay != -1)
            ::SendMessageW(hTip, TTM_SETDELAYTIME, TTDT_INITIAL, m_nInitialDelay);
        if (m_nAutoPopDelay != -1)
            ::SendMessageW(hTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, m_nAutoPopDelay);
        ::SendMessageW(hTip, TTM_ACTIVATE, FALSE, 0);
        m_bHasLastInfo = FALSE;
    }
    HWND hTip = m_pToolTip->m_hWnd;

    POINT client = pMsg->pt;
    ::ScreenToClient(pWnd->m_hWnd, &client);
    TOOLINFOW ti{};
    ti.cbSize = m_bShowTitleAndDescription ? UINT(sizeof(TOOLINFOW)) : UINT(TTTOOLINFOW_V1_SIZE);
    const INT_PTR hit = pWnd->OnToolHitTest(CPoint(client.x, client.y), &ti);

    const BOOL sameTool = m_bHasLastInfo && ti.uId == m_lastInfo.uId && ti.hwnd == m_lastInfo.hwnd;
    const BOOL sameRect = sameTool && ::EqualRect(&ti.rect, &m_lastInfo.rect);
    if (!sameRect) {
        if (m_bHasLastInfo) {
            // The previous tool goes before the new one is added, so a moved tool is replaced.
            ::SendMessageW(hTip, TTM_DELTOOLW, 0, LPARAM(&m_lastInfo));
            m_bHasLastInfo = FALSE;
        }
        if (hit != -1) {
            ti.uFlags &= 0x3FFFFFFF;
            ::SendMessageW(hTip, TTM_ADDTOOLW, 0, LPARAM(&ti));
            if (m_nTipKind != TKP_TIP_RICHTEXT && (m_dwComCtlVersion >= 0x50050 || m_nTipKind != TKP_TIP_STANDARD)) {
                const auto* title = ti.cbSize >= sizeof(TOOLINFOW) ? reinterpret_cast<CTKPToolTitle*>(ti.lParam)
                                                                    : nullptr;
                if (m_bShowTitleAndDescription && title && title->lpszTitle) {
                    ::SendMessageW(hTip, TTM_SETTITLEW, WPARAM(m_nTitleIcon), LPARAM(title->lpszTitle));
                    TOOLINFOW update = ti;
                    update.lpszText = title->lpszTitleText;
                    ::SendMessageW(hTip, TTM_UPDATETIPTEXTW, 0, LPARAM(&update));
                } else {
                    ::SendMessageW(hTip, TTM_SETTITLEW, 0, LPARAM(u""));
                }
            }
            CWnd* pFrame = pWnd->GetTopLevelParent();
            if ((ti.uFlags & 0x40000000) || (pFrame && pFrame->m_hWnd == ::GetActiveWindow())) {
                ::SendMessageW(hTip, TTM_ACTIVATE, TRUE, 0);
                ::SetWindowPos(hTip, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            m_lastInfo = ti;
            m_lastInfo.lpszText = nullptr;
            m_lastInfo.lParam = 0;
            m_bHasLastInfo = TRUE;
        } else {
            ::SendMessageW(hTip, TTM_ACTIVATE, FALSE, 0);
        }
    }

    // The tooltip control reads the point in the client co-ordinates of the window under it.
    MSG relay = *pMsg;
    POINT pt = pMsg->pt;
    HWND hUnder = HWND(::SendMessageW(hTip, TTM_WINDOWFROMPOINT, 0, LPARAM(&pt)));
    if (hUnder) {
        POINT local = pMsg->pt;
        if (message != WM_NCMOUSEMOVE) {
            ::ScreenToClient(hUnder, &local);
            relay.lParam = MAKELPARAM(local.x, local.y);
        }
        relay.hwnd = hUnder;
    }
    ::SendMessageW(hTip, TTM_RELAYEVENT, 0, LPARAM(&relay));
    FreeToolInfo(&ti);
}

void CTKPTipContext::ModifyTipStyle(DWORD remove, DWORD add)
{
    const DWORD style = (m_dwTipStyle | add) & ~remove;
    if (style == m_dwTipStyle)
        return;
    m_dwTipStyle = style;
    DestroyToolTip();
}

COLORREF CTKPTipContext::GetTipBkColor() const
{
    return m_clrTipBack != COLORREF(-1) ? m_clrTipBack : ::GetSysColor(COLOR_INFOBK);
}

COLORREF CTKPTipContext::GetTipTextColor() const
{
    return m_clrTipText != COLORREF(-1) ? m_clrTipText : ::GetSysColor(COLOR_INFOTEXT);
}

void CTKPTipContext::CancelToolTips()
{
    if (m_pToolTip && m_pToolTip->m_hWnd)
        ::SendMessageW(m_pToolTip->m_hWnd, TTM_ACTIVATE, FALSE, 0);
}

void CTKPTipContext::DestroyToolTip()
{
    if (m_pToolTip) {
        if (m_pToolTip->m_hWnd)
            m_pToolTip->DestroyWindow();
        delete m_pToolTip;
        m_pToolTip = nullptr;
    }
    m_hWndToolOwner = nullptr;
    m_bHasLastInfo = FALSE;
}

namespace {
LPWSTR CopyText(LPCWSTR text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    auto* copy = static_cast<LPWSTR>(std::calloc(length + 1, sizeof(WCHAR)));
    if (copy)
        for (size_t i = 0; i < length; ++i)
            copy[i] = text[i];
    return copy;
}
}  // namespace

void CTKPTipContext::FillToolInfo(TOOLINFOW* pTI, HWND hWnd, UINT_PTR id, const RECT& rc, UINT flags, LPCWSTR text,
                                  LPCWSTR title, LPCWSTR titleText)
{
    if (!pTI || pTI->cbSize < TTTOOLINFOW_V1_SIZE)
        return;
    pTI->hwnd = hWnd;
    pTI->uId = id;
    pTI->rect = rc;
    pTI->uFlags = flags;
    pTI->lpszText = CopyText(text ? text : u"");
    if (pTI->cbSize >= sizeof(TOOLINFOW) && title && *title && titleText && *titleText) {
        auto* record = static_cast<CTKPToolTitle*>(std::calloc(1, sizeof(CTKPToolTitle)));
        if (record) {
            record->lpszTitle = CopyText(title);
            record->lpszTitleText = CopyText(titleText);
        }
        pTI->lParam = LPARAM(record);
    }
}

void CTKPTipContext::FreeToolInfo(TOOLINFOW* pTI)
{
    if (!pTI)
        return;
    if (pTI->lpszText && pTI->lpszText != LPSTR_TEXTCALLBACKW)
        std::free(pTI->lpszText);
    pTI->lpszText = nullptr;
    if (pTI->cbSize >= sizeof(TOOLINFOW) && pTI->lParam) {
        auto* record = reinterpret_cast<CTKPToolTitle*>(pTI->lParam);
        std::free(record->lpszTitle);
        std::free(record->lpszTitleText);
        std::free(record);
        pTI->lParam = 0;
    }
}
