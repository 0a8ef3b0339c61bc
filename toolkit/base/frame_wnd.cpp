// The toolkit frames: keys and messages reach the command bars before the framework sees them, and
// the command bars' shortcut table replaces the frame's own accelerators.
#include "toolkit/base/frame_wnd.h"

#include "toolkit/base/edit.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"

IMPLEMENT_DYNCREATE(CTKPFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CTKPMDIFrameWnd, CMDIFrameWnd)

namespace {

// The keyboard messages that the frame keeps away from a focused toolkit edit.
constexpr UINT kLastKeyMessage = 0x108;

BOOL IsKeyForFocusedEdit(const MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > kLastKeyMessage)
        return FALSE;
    // Enter, Tab and Esc keep their meaning for the frame (default button, focus, cancel).
    if (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_TAB || pMsg->wParam == VK_ESCAPE)
        return FALSE;
    CWnd* focus = CWnd::FromHandlePermanent(::GetFocus());
    return focus && focus->IsKindOf(RUNTIME_CLASS(CTKPEdit));
}

// The same support for both frame forms; Base is the framework frame each one derives from.
template <class Base>
struct FrameSupport {
    static BOOL PreTranslateMessage(Base* frame, CTKPCommandBars* bars, MSG* pMsg)
    {
        if (IsKeyForFocusedEdit(pMsg))
            return FALSE;
        if (frame->Base::PreTranslateMessage(pMsg))
            return TRUE;
        return bars && bars->PreTranslateFrameMessage(pMsg);
    }

    static BOOL OnWndMsg(Base* frame, CTKPCommandBars* bars, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* pResult)
    {
        if (bars && bars->OnFrameWndMsg(message, wParam, lParam, pResult))
            return TRUE;
        if (message != TKP_WM_CONTROLNOTIFY)
            return frame->Base::OnWndMsg(message, wParam, lParam, pResult);
        auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        if (!pNMHDR)
            return FALSE;
        LRESULT result = 0;
        AFX_NOTIFY notify{&result, pNMHDR};
        if (!frame->OnCmdMsg((UINT)pNMHDR->idFrom, (int)MAKELONG(pNMHDR->code, WM_NOTIFY), &notify, nullptr))
            return FALSE;
        if (pResult)
            *pResult = result;
        return TRUE;
    }

    // After a successful load: with the command bars translating shortcuts, the frame's own table
    // would translate them a second time, so it goes.
    static void DropFrameAccelerators(Base* frame, CTKPCommandBars* bars)
    {
        if (!bars)
            return;
        CTKPShortcutTable* table = bars->GetShortcutTable();
        HACCEL shortcuts = table ? table->GetAccelTable() : nullptr;
        if (!shortcuts)
            return;
        if (frame->m_hAccelTable && frame->m_hAccelTable != shortcuts)
            ::DestroyAcceleratorTable(frame->m_hAccelTable);
        frame->m_hAccelTable = nullptr;
    }

    static void Release(CTKPCommandBars*& bars)
    {
        if (bars)
            bars->InternalRelease();
        bars = nullptr;
    }
};

} // namespace

// ---- CTKPFrameWnd ------------------------------------------------------------------------------
CTKPFrameWnd::~CTKPFrameWnd()
{
    FrameSupport<CFrameWnd>::Release(m_pCommandBars);
}

BOOL CTKPFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    return FrameSupport<CFrameWnd>::PreTranslateMessage(this, m_pCommandBars, pMsg);
}

BOOL CTKPFrameWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return FrameSupport<CFrameWnd>::OnWndMsg(this, m_pCommandBars, message, wParam, lParam, pResult);
}

BOOL CTKPFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    // A frame whose window could not be made is already freed: nothing of it may be touched.
    if (!CFrameWnd::LoadFrame(nIDResource, dwDefaultStyle, pParentWnd, pContext))
        return FALSE;
    FrameSupport<CFrameWnd>::DropFrameAccelerators(this, m_pCommandBars);
    return TRUE;
}

void CTKPFrameWnd::OnSetPreviewMode(BOOL bPreview, CPrintPreviewState* pState)
{
    if (m_pCommandBars)
        m_pCommandBars->OnSetPreviewMode(bPreview);
    CFrameWnd::OnSetPreviewMode(bPreview, pState);
}

// ---- CTKPMDIFrameWnd ---------------------------------------------------------------------------
CTKPMDIFrameWnd::~CTKPMDIFrameWnd()
{
    FrameSupport<CMDIFrameWnd>::Release(m_pCommandBars);
}

BOOL CTKPMDIFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    return FrameSupport<CMDIFrameWnd>::PreTranslateMessage(this, m_pCommandBars, pMsg);
}

BOOL CTKPMDIFrameWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return FrameSupport<CMDIFrameWnd>::OnWndMsg(this, m_pCommandBars, message, wParam, lParam, pResult);
}

BOOL CTKPMDIFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                                CCreateContext* pContext)
{
    if (!CMDIFrameWnd::LoadFrame(nIDResource, dwDefaultStyle, pParentWnd, pContext))
        return FALSE;
    FrameSupport<CMDIFrameWnd>::DropFrameAccelerators(this, m_pCommandBars);
    return TRUE;
}

void CTKPMDIFrameWnd::OnSetPreviewMode(BOOL bPreview, CPrintPreviewState* pState)
{
    if (m_pCommandBars)
        m_pCommandBars->OnSetPreviewMode(bPreview);
    CMDIFrameWnd::OnSetPreviewMode(bPreview, pState);
}
