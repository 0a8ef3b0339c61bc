// The caption bar: a banner with text, an optional icon and colours above a child window, either
// with a text button that pops the child out into a caption popup, or with a small close button.
#pragma once

#include "afx/gdi.h"
#include "afx/std_controls.h"
#include "toolkit/base/button.h"
#include "toolkit/base/caption_theme.h"
#include "toolkit/base/theme_manager.h"

// Caption styles (the low three bits of CTKCaption::Create's style; the rest are extended styles).
#define TKCS_DOUBLEBORDER 0x0001
#define TKCS_SINGLEBORDER 0x0002
#define TKCS_CLOSEBUTTON 0x0004

// The id of a caption's button and of the popup's pin.
#define TK_IDC_CAPTIONBUTTON 9115

// To the caption, and from it to its owner: the popup ended by its pin (the child is back in its
// parent), or by the focus leaving it. The caption gets them posted, with the popup's window in
// lParam; its owner gets them sent.
#define TKM_CAPTIONPOPUP_PINNED 10046
#define TKM_CAPTIONPOPUP_CLOSED 10047

class CTKCaption;
class CTKCaptionPopupWnd;

// A toolkit button that knows the caption it belongs to and takes its colours and font from it.
class CTKCaptionButton : public CTKButton {
    DECLARE_DYNAMIC(CTKCaptionButton)
public:
    CTKCaptionButton();
    // Keeps the style: takes the caption's background, text colour and font instead.
    DWORD SetXButtonStyle(DWORD style, BOOL redraw = TRUE) override;

    CTKCaption* m_pCaption = nullptr;
};

class CTKCaption : public CStatic {
    DECLARE_DYNAMIC(CTKCaption)
public:
    CTKCaption();
    ~CTKCaption() override;

    virtual void SetCaptionColors(COLORREF border, COLORREF background, COLORREF text);
    // Each argument that is not 0 replaces the current one.
    virtual void ModifyCaptionStyle(int borderSize, CFont* font = nullptr, LPCWSTR text = nullptr, HICON icon = nullptr);
    virtual void SetChildWindow(CWnd* child, CWnd* notify);
    virtual void KillChildWindow();
    virtual BOOL ShowPopupWindow();
    virtual void UpdateCaption(LPCWSTR text, HICON icon);
    virtual BOOL Create(CWnd* parent, LPCWSTR text, DWORD style = 0, DWORD wndStyle = WS_CHILD | WS_VISIBLE | SS_CENTER,
                        const CRect& rect = CRect(0, 0, 0, 0), UINT id = 0xFFFF);
    virtual CRect GetTextRect();
    virtual void DrawCaptionBack(CDC* pDC, const CRect& rc);
    virtual void DrawCaptionText(CDC* pDC);
    virtual void DrawCaptionIcon(CDC* pDC, const CRect& rc);
    virtual void UpdateCaptionText(CDC* pDC);
    virtual CRect GetButtonRect();

    CTKCaptionTheme* GetTheme();
    CTKThemeStyleClient& GetStyleClient() { return m_styleClient; }
    CTKCaptionPopupWnd* GetPopup() const { return m_pPopup; }
    CTKCaptionButton& GetButton() { return m_button; }
    const CString& GetCaptionText() const { return m_strCaption; }
    // The window that hears of the popup's end: the owner, else the parent.
    CWnd* GetNotifyWnd() const;

protected:
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);
    afx_msg LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam);
    afx_msg void OnCaptionButton();
    afx_msg LRESULT OnPopupPinned(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnPopupClosed(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    // The popup a posted end message speaks of is still this caption's popup.
    BOOL IsCurrentPopup(LPARAM lParam) const;
    void DeletePopup();
    void ColorButton();

    class StyleClient : public CTKThemeStyleClient {
    public:
        explicit StyleClient(CTKCaption* owner);
        void OnStyleChanged() override;

    private:
        CTKCaption* m_pOwner;
    };

public:
    StyleClient m_styleClient;
    int m_nBorder = 0;
    COLORREF m_clrBorder;
    COLORREF m_clrBackground;
    COLORREF m_clrText;
    int m_nHeightDiff = 0;
    BYTE m_bCustomColors = 0;
    BYTE m_bTextButton = 0;
    CWnd* m_pChild = nullptr;
    CWnd* m_pChildParent = nullptr;
    CWnd* m_pChildGrandParent = nullptr;
    int m_cxIcon;
    int m_cyIcon;
    CRect m_rcChild;
    CRect m_rcParent;
    CRect m_rcGrandParent;
    DWORD m_dwCaptionStyle = 0;
    HICON m_hIcon = nullptr;
    CString m_strCaption;
    CImageList m_imageList;
    CTKCaptionButton m_button;
    CTKCaptionPopupWnd* m_pPopup = nullptr;

private:
    // The icon shown by the close button, which the caption made from its image list.
    HICON m_hCloseIcon = nullptr;
};

class CTKCaptionPopupWnd : public CWnd {
    DECLARE_DYNAMIC(CTKCaptionPopupWnd)
public:
    // Holds one icon and destroys it when replaced or destroyed.
    class CIconHandle {
    public:
        CIconHandle() = default;
        ~CIconHandle() { Set(nullptr); }
        CIconHandle(const CIconHandle&) = delete;
        CIconHandle& operator=(const CIconHandle&) = delete;
        void Set(HICON icon)
        {
            if (m_hIcon && m_hIcon != icon)
                ::DestroyIcon(m_hIcon);
            m_hIcon = icon;
        }
        operator HICON() const { return m_hIcon; }

    private:
        HICON m_hIcon = nullptr;
    };

    // Registers the window class "TKCaptionPopupWnd"; a failed registration throws.
    CTKCaptionPopupWnd();
    ~CTKCaptionPopupWnd() override;

    virtual BOOL Create(const CRect& rect, CTKCaption* caption, CWnd* child);
    virtual void RecalcLayout();
    virtual void RestoreChild();
    // TRUE while the focus is inside the popup.
    virtual BOOL CheckFocus();

    CTKCaption& GetInnerCaption() { return m_caption; }
    CTKCaptionButton& GetPin() { return m_pin; }

protected:
    afx_msg void OnPaint();
    afx_msg void OnPin();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    // Tells the caption once that the popup ends; the caption destroys the popup when the message
    // arrives, after this popup's handler has returned.
    void PostEnd(UINT message);

public:
    CTKCaption* m_pCaption = nullptr;
    CWnd* m_pChild = nullptr;
    CWnd* m_pChildParent = nullptr;
    CTKCaption m_caption;
    CTKCaptionButton m_pin;
    CIconHandle m_iconPin;
    CIconHandle m_iconPinHot;

private:
    BOOL m_bEnding = FALSE;
};
