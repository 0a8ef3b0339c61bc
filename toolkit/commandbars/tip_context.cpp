// The tooltip context of toolkit windows.
#include "toolkit/commandbars/tip_context.h"

#include <cstdlib>

CTKPTipContext::CTKPTipContext() = default;

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

void CTKPTipContext::FilterToolTipMessage(CWnd*, MSG*)
{
}

CWnd* CTKPTipContext::CreateToolTip(CWnd*)
{
    return nullptr;
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
