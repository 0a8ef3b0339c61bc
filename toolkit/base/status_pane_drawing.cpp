// The paint managers' drawing of one status-bar pane: background, icon and text.
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/status_bar.h"
#include "toolkit/commandbars/image_manager.h"

void CTKPPaintManager::DrawStatusBarPaneEntry(HDC hdc, const RECT& rcPane, CTKPStatusBarPane* pane)
{
    if (!pane)
        return;
    RECT rc = rcPane;
    const BOOL noBorders = (pane->m_nStyle & TKP_SBPS_NOBORDERS) != 0;
    if (pane->m_clrBackground != COLORREF(-1)) {
        RECT fill = rc;
        if (!noBorders)
            ::InflateRect(&fill, -1, -1);
        FillRectColor(hdc, fill, pane->m_clrBackground);
    }
    HFONT font = pane->GetFont();
    HGDIOBJ oldFont = font ? ::SelectObject(hdc, font) : nullptr;
    ::InflateRect(&rc, -2, -1);

    const CString text = pane->GetText();
    SIZE extent{};
    if (!text.IsEmpty())
        ::GetTextExtentPoint32W(hdc, text, text.GetLength(), &extent);
    CTKPImageIcon* icon = pane->GetIcon();
    const int iconWidth = icon ? icon->GetWidth() : 0;
    const int content = extent.cx + (icon ? iconWidth + (text.IsEmpty() ? 0 : 2) : 0);
    const int space = rc.right - rc.left;
    if (content < space) {
        if (pane->m_nAlignment == 1)
            rc.left += (space - content) / 2;
        else if (pane->m_nAlignment == 2)
            rc.left = rc.right - content;
    }

    const BOOL disabled = (pane->m_nStyle & TKP_SBPS_DISABLED) != 0;
    if (icon) {
        const int iconHeight = icon->GetHeight();
        const POINT pt{rc.left, rc.top + (rc.bottom - rc.top - iconHeight) / 2};
        icon->DrawImage(hdc, pt, SIZE{iconWidth, iconHeight}, disabled ? CTKPIconView::Disabled : CTKPIconView::Normal);
        rc.left += iconWidth + 2;
    }
    COLORREF color = disabled ? GetColor(17) : pane->m_clrText != COLORREF(-1) ? pane->m_clrText : m_clrText;
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(hdc, color);
    ::DrawTextW(hdc, text, text.GetLength(), &rc, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | DT_NOPREFIX);
    ::SetTextColor(hdc, oldColor);
    ::SetBkMode(hdc, oldMode);
    if (oldFont)
        ::SelectObject(hdc, oldFont);
}
