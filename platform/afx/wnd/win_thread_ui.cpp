// CWinThread's window side: thread messages, PreTranslateMessage and idle-time updates.
#include "afx/thread.h"
#include "afx/app.h"
#include "afx/frame.h"
#include "afx/wnd.h"

#include <vector>

BEGIN_MESSAGE_MAP(CWinThread, CCmdTarget)
END_MESSAGE_MAP()

BOOL CWinThread::DispatchThreadMessageEx(MSG* pMsg) {
    LRESULT ignored = 0;
    AFX_MSGCALL call{pMsg->message, pMsg->wParam, pMsg->lParam, 0, 0, nullptr, &ignored};
    return DispatchMsg(pMsg->message, call);
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
    if (!pMsg->hwnd)
        return DispatchThreadMessageEx(pMsg);
    CWnd* pMainWnd = m_pMainWnd;
    HWND hMain = pMainWnd ? pMainWnd->m_hWnd : nullptr;
    if (CWnd::WalkPreTranslateTree(hMain, pMsg))
        return TRUE;
    // A window outside the main window's tree (a modeless dialog it owns) still gets the main
    // window's accelerators.
    if (hMain) {
        HWND hTop = pMsg->hwnd;
        while ((::GetWindowLongW(hTop, GWL_STYLE) & WS_CHILD) && ::GetParent(hTop))
            hTop = ::GetParent(hTop);
        if (hTop != hMain)
            return pMainWnd->PreTranslateMessage(pMsg);
    }
    return FALSE;
}

BOOL CWinThread::OnIdle(LONG lCount) {
    if (lCount <= 0) {
        CWnd* pMainWnd = m_pMainWnd;
        if (pMainWnd && pMainWnd->m_hWnd && ::IsWindowVisible(pMainWnd->m_hWnd)) {
            AfxCallWndProc(pMainWnd, pMainWnd->m_hWnd, WM_IDLEUPDATECMDUI, TRUE, 0);
            pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
        }
        // The thread's other frames (floating windows the main window owns) update as well.
        std::vector<CFrameWnd*> frames;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND hwnd, LPARAM lParam) -> BOOL {
                if (::IsWindowVisible(hwnd))
                    if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(hwnd)))
                        reinterpret_cast<std::vector<CFrameWnd*>*>(lParam)->push_back(frame);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&frames));
        for (CFrameWnd* frame : frames)
            if (frame != pMainWnd && ::IsWindow(frame->m_hWnd)) {
                AfxCallWndProc(frame, frame->m_hWnd, WM_IDLEUPDATECMDUI, TRUE, 0);
                frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
            }
    } else {
        CWnd::DeleteTempMap();
        CGdiObject::DeleteTempMap();
        CDC::DeleteTempMap();
        CMenu::DeleteTempMap();
    }
    return lCount < 1;
}
