// CMDIFrameWnd: the frame that keeps its child frames in an MDI client window.
#include "afx/mdi_frame.h"

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCTW, CMenu*) {
    m_hWndMDIClient = ::CreateWindowExW(WS_EX_CLIENTEDGE, u"MDICLIENT", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL |
                                            WS_HSCROLL,
                                        0, 0, 0, 0, m_hWnd, (HMENU)(UINT_PTR)AFX_IDW_PANE_FIRST, nullptr, nullptr);
    return m_hWndMDIClient != nullptr;
}

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext*) {
    // The child frames make their own views; the frame's pane is the client window alone.
    return CreateClient(lpcs, nullptr);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    if (!m_hWndMDIClient)
        return this;
    HWND active = reinterpret_cast<HWND>(::SendMessageW(m_hWndMDIClient, 0x0229 /* WM_MDIGETACTIVE */, 0, 0));
    auto* child = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(active));
    return child ? child : this;
}
