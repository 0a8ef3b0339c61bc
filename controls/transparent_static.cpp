// CTransparentStatic: no background of its own, so the parent repaints beneath each new text.
#include "controls/transparent_static.h"

BOOL CTransparentStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_CTLCOLORSTATIC) {
        SetBkMode((HDC)wParam, TRANSPARENT);
        if (pResult)
            *pResult = (LRESULT)GetStockObject(NULL_BRUSH);
        return TRUE;
    }
    return CStatic::OnChildNotify(message, wParam, lParam, pResult);
}

LRESULT CTransparentStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CStatic::WindowProc(message, wParam, lParam);
    if (message == WM_SETTEXT) {
        // The old text is only gone once the parent has painted over it.
        if (CWnd* parent = GetParent()) {
            CRect rc;
            GetWindowRect(&rc);
            parent->ScreenToClient(&rc);
            parent->InvalidateRect(&rc, TRUE);
            parent->UpdateWindow();
        }
    }
    return result;
}
