// CHyperlinkStatic: a static text that behaves as a web link: colours, underline, tooltip, opening the address.
#pragma once

#include "afx/afx.h"
#include "afx/std_controls.h"
#include "afx/tree_ctrl.h"

class CHyperlinkStatic : public CStatic {
public:
    CHyperlinkStatic() = default;
    ~CHyperlinkStatic() override;

    void SetLinkUrl(LPCWSTR lpszUrl);
    const CString& GetLinkUrl() const { return m_url; }
    void SetLinkUnderline(int mode);
    void SetVisited(BOOL visited);
    BOOL IsVisited() const { return m_visited; }
    BOOL IsHovering() const { return m_hovering; }
    HCURSOR GetHandCursor() const { return m_hHandCursor; }
    COLORREF CurrentTextColour() const;

    // The message shown when an address cannot be opened, for the result code of the attempt.
    static CString OpenErrorText(INT_PTR code);

    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void FitToText();
    void LoadHandCursor();
    void Open();
    void CheckLeave();

    COLORREF m_linkColour = RGB(0, 0, 238);
    COLORREF m_visitedColour = RGB(85, 26, 139);
    COLORREF m_hoverColour = RGB(255, 0, 0);
    BOOL m_hovering = FALSE;
    BOOL m_visited = FALSE;
    int m_underline = -1;
    BOOL m_autoSize = TRUE;
    CString m_url;
    CFont m_underlinedFont;
    CFont m_plainFont;
    HCURSOR m_hHandCursor = nullptr;
    CToolTipCtrl m_toolTip;
    UINT_PTR m_hoverTimer = 100;
};
