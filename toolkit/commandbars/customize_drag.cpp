// Registration of the bars that take part in customize drag and drop.
#include "toolkit/commandbars/customize_drag.h"

#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"

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

// ---- Dragging ----------------------------------------------------------------------------------
CTKPCustomizeDragContext::~CTKPCustomizeDragContext()
{
    for (HCURSOR cursor : {m_hNoDrop, m_hMove, m_hCopy})
        if (cursor)
            ::DestroyCursor(cursor);
}

HCURSOR CTKPCustomizeDragContext::Cursor(UINT id)
{
    HCURSOR& slot = id == 9303 ? m_hNoDrop : id == 9302 ? m_hMove : m_hCopy;
    if (!slot)
        slot = GetResourceLoader().LoadCursor(id);
    return slot;
}

void CTKPCustomizeDragContext::UpdateCursor()
{
    HCURSOR cursor = !m_pTarget                    ? Cursor(9303)
                     : m_bMove && !m_bFromSheet    ? Cursor(9302)
                                                   : Cursor(9301);
    if (cursor)
        ::SetCursor(cursor);
}

int CTKPCustomizeDragContext::DoDragDrop(CTKPControl* control, BOOL fromSheet)
{
    CWnd* capture = m_pSheet && m_pSheet->m_hWnd ? m_pSheet
                    : m_pCommandBars ? static_cast<CWnd*>(m_pCommandBars->GetSite())
                                     : nullptr;
    if (!control || !capture || !capture->m_hWnd)
        return TKP_DROPEFFECT_CANCEL;
    m_pCapture = capture;
    ::SetCapture(capture->m_hWnd);
    m_pControl = control;
    control->InternalAddRef();
    m_bMove = FALSE;
    m_pTarget = nullptr;
    m_bFromSheet = fromSheet;
    ::GetCursorPos(&m_ptStart);

    const int effect = RunLoop();

    if (m_pTarget)
        m_pTarget->OnCustomizeDragLeave();
    m_pTarget = nullptr;
    if (::GetCapture() == capture->m_hWnd)
        ::ReleaseCapture();
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    m_pControl = nullptr;
    m_pCapture = nullptr;
    control->InternalRelease();
    return effect;
}

int CTKPCustomizeDragContext::RunLoop()
{
    int effect = TKP_DROPEFFECT_CANCEL;
    BOOL firstMove = TRUE;
    MSG msg;
    for (;;) {
        if (::GetCapture() != m_pCapture->m_hWnd)
            return Drop(effect);
        while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) {
            if (!::GetMessageW(&msg, nullptr, WM_PAINT, WM_PAINT))
                break;
            ::DispatchMessageW(&msg);
        }
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            return TKP_DROPEFFECT_CANCEL;
        }
        if (::GetCapture() != m_pCapture->m_hWnd)
            return TKP_DROPEFFECT_CANCEL;
        switch (msg.message) {
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE)
                return TKP_DROPEFFECT_CANCEL;
            if (msg.wParam == VK_CONTROL && m_bMove) {
                m_bMove = FALSE;
                UpdateCursor();
            }
            break;
        case WM_KEYUP:
            if (msg.wParam == VK_CONTROL && !m_bMove) {
                m_bMove = TRUE;
                UpdateCursor();
            }
            break;
        case WM_MOUSEMOVE: {
            if (firstMove) {
                firstMove = FALSE;
                if (CTKPCommandBar* bar = m_pControl->GetParent(); bar && bar->m_hWnd) {
                    POINT start = m_ptStart;
                    ::ScreenToClient(bar->m_hWnd, &start);
                    int unused = 0;
                    m_pControl->OnCustomizeDragOver(m_pControl, start, unused);
                }
            }
            m_bMove = (msg.wParam & MK_CONTROL) == 0;
            HitTest(msg.pt);
            effect = TKP_DROPEFFECT_NONE;
            if (!(msg.wParam & MK_LBUTTON))
                return Drop(effect);
            break;
        }
        case WM_LBUTTONUP:
            return Drop(effect);
        case WM_RBUTTONDOWN:
            return TKP_DROPEFFECT_CANCEL;
        default:
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            break;
        }
    }
}

int CTKPCustomizeDragContext::Drop(int effect)
{
    if (!m_pTarget)
        return effect;
    effect = m_bMove ? TKP_DROPEFFECT_MOVE : TKP_DROPEFFECT_COPY;
    POINT pt;
    ::GetCursorPos(&pt);
    POINT start = m_ptStart;
    CTKPCommandBar* target = m_pTarget;
    m_pTarget = nullptr;
    if (target->m_hWnd) {
        ::ScreenToClient(target->m_hWnd, &pt);
        ::ScreenToClient(target->m_hWnd, &start);
    }
    target->OnCustomizeDrop(m_pControl, effect, pt, start);
    return effect;
}

void CTKPCustomizeDragContext::HitTest(POINT screen)
{
    CTKPCommandBar* found = nullptr;
    for (auto it = m_bars.rbegin(); it != m_bars.rend(); ++it) {
        CTKPCommandBar* bar = *it;
        RECT rc;
        if (bar->m_hWnd && ::IsWindowVisible(bar->m_hWnd) && ::GetWindowRect(bar->m_hWnd, &rc) &&
            ::PtInRect(&rc, screen)) {
            found = bar;
            break;
        }
    }
    if (found) {
        POINT client = screen;
        ::ScreenToClient(found->m_hWnd, &client);
        if (found == m_pTarget) {
            m_pTarget->OnCustomizeDragOver(m_pControl, client);
        } else {
            if (m_pTarget)
                m_pTarget->OnCustomizeDragLeave();
            m_pTarget = nullptr;
            if (found->OnCustomizeDragEnter(m_pControl, client))
                m_pTarget = found;
        }
    } else if (m_pTarget) {
        m_pTarget->OnCustomizeDragLeave();
        m_pTarget = nullptr;
    }
    UpdateCursor();
}

// ---- A control dragged off its bar -------------------------------------------------------------
void CTKPControl::OnCustomizeMouseDown(POINT)
{
    CTKPCommandBar* bar = m_pParent;
    CTKPCommandBars* bars = bar ? bar->GetCommandBars() : nullptr;
    if (!bars)
        return;
    InternalAddRef();
    bars->SetDragControl(this);
    const int effect = bars->GetDragContext()->DoDragDrop(this, FALSE);
    if ((effect == TKP_DROPEFFECT_NONE || effect == TKP_DROPEFFECT_MOVE) && m_pParent == bar) {
        if (bars->GetDragControl() == this)
            bars->SetDragControl(nullptr);
        CTKPControls* controls = bar->GetControls();
        const int index = m_nIndex;
        if (CTKPControl* next = controls->GetAt(index + 1); next && m_bBeginGroup)
            next->SetBeginGroup(TRUE);
        controls->Remove(this);
        if (index == 0)
            if (CTKPControl* first = controls->GetAt(0))
                first->SetBeginGroup(FALSE);
        bar->OnRecalcLayout();
        if (bar->m_hWnd)
            ::InvalidateRect(bar->m_hWnd, nullptr, FALSE);
    }
    InternalRelease();
}
