// A tool bar that hosts one child window under a caption line, with client sizes of its own for
// the docked and the floating state and edges the user may drag.
#pragma once

#include "toolkit/commandbars/tool_bar.h"

class CTKPPopupBar;

#define TKP_ID_DIALOGBAR_CAPTION 9399
#define TKP_ID_DIALOGBAR_CLOSE 9401

class CTKPDialogBar : public CTKPToolBar {
    DECLARE_SERIAL(CTKPDialogBar)
public:
    CTKPDialogBar();
    ~CTKPDialogBar() override;

    BOOL IsDialogBar() const override { return TRUE; }
    CSize CalcDynamicLayout(int length, DWORD mode) override;
    CSize CalcDockingLayout(int length, DWORD mode) override;
    // Only the caption line counts as the bar; the child's area is the child's.
    BOOL IsPointInBar(int x, int y) const override;

    // The bar's size for a client size: the margins, the caption, and the controls of the caption.
    CSize CalcDialogBarLayout(int length, DWORD mode, int clientWidth, int clientHeight);
    // A drag of an edge (hit code) to a rectangle; nothing below the minimum client size.
    void Resize(const RECT& rc, int hitCode);
    // The hit code of a screen point on an edge the bar may be resized from; 0 elsewhere.
    LRESULT HitTest(POINT screen) const;
    void SetChild(CWnd* child);
    CWnd* GetChild() const { return m_pChild; }
    void SetCaption(LPCWSTR caption) { m_strCaption = caption; }
    CString GetCaption() const { return m_strCaption; }
    CTKPPopupBar* GetCaptionPopup() const { return m_pCaptionPopup; }
    void SetSize(SIZE docking, SIZE floating);
    SIZE GetDockingClientSize() const { return m_szDockingClient; }
    SIZE GetFloatingClientSize() const { return m_szFloatingClient; }

    RECT m_rcBorders{3, 3, 3, 3};
    BOOL m_bResizable = TRUE;
    SIZE m_szMinClient{50, 50};
    BOOL m_bCaptionVisible = TRUE;
    BOOL m_bCaptionPopup = TRUE;
    int m_nCaptionBottom = 0;
    SIZE m_szDockingClient{200, 200};
    SIZE m_szFloatingClient{200, 200};

protected:
    // The child fills the client area under the caption.
    void PlaceChild();
    int CaptionHeight() const;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    CWnd* m_pChild = nullptr;
    CString m_strCaption;
    CTKPPopupBar* m_pCaptionPopup = nullptr;
};
