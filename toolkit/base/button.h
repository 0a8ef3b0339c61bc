// The toolkit button: an owner-drawn push button with an optional image beside or above its
// text, hot tracking by a timer, and its look from an exchangeable button theme.
#pragma once

#include "afx/gdi.h"
#include "afx/std_controls.h"
#include "toolkit/base/button_handlers.h"
#include "toolkit/base/button_theme.h"

class CTKPImageIcon;
class CTKPIconHandle;

class CTKButton : public CButton {
    DECLARE_DYNAMIC(CTKButton)
public:
    // The looks come from the factory class given, else from CTKButtonThemeFactory.
    explicit CTKButton(CRuntimeClass* factoryClass = nullptr);
    ~CTKButton() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // size 0 x 0 takes the normal image's own extent.
    virtual BOOL SetIconEx(CSize size, const CTKPIconHandle& normal, const CTKPIconHandle& hot, BOOL redraw = TRUE);
    virtual BOOL SetIcon(CSize size, HICON normal, HICON hot = nullptr, BOOL redraw = TRUE);
    virtual BOOL SetIcon(CSize size, UINT normalId, UINT hotId = 0, BOOL redraw = TRUE);
    virtual BOOL SetIconHandles(CSize size, const CTKPIconHandle& normal, const CTKPIconHandle& hot, BOOL redraw = TRUE);
    virtual BOOL SetBitmap(CSize size, UINT bitmapId, BOOL redraw = TRUE);
    virtual BOOL SetTextImagePos(CPoint image, CPoint text, BOOL redraw = TRUE);
    virtual DWORD SetXButtonStyle(DWORD style, BOOL redraw = TRUE);
    virtual DWORD GetXButtonStyle() const { return m_dwXButtonStyle; }
    virtual BOOL HasTheme() { return GetTheme() != nullptr; }
    virtual void SetColorFace(COLORREF color);
    virtual COLORREF GetColorFace();
    virtual void SetColorLightFace(COLORREF color);
    virtual void SetColorShadow(COLORREF color);
    virtual void SetColorText(COLORREF color);
    // Only for theme 1 and the looks built on it: the frame and shadow, checked and hot fills.
    virtual void SetXPColors(COLORREF shadow, COLORREF checked, COLORREF hot);
    virtual void ToggleFlat();
    virtual CFont* SetFontEx(CFont* font);
    virtual BOOL MakeOwnerDrawn();
    virtual void ResetImage();
    virtual void GetButtonText(CString& text, BOOL stripMnemonics);

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PreSubclassWindow() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    CTKButtonTheme* GetTheme();
    // Gives the button a look of its own (owned from then on); null goes back to the shared one.
    void SetTheme(CTKButtonTheme* theme) { m_styleClient.SetTheme(theme); }
    CTKThemeStyleClient& GetStyleClient() { return m_styleClient; }
    CTKPImageIcon* GetImage() const { return m_pImage; }
    BOOL IsHot() const { return m_bHot; }
    BOOL IsPushed() const { return m_bPushed; }
    BOOL IsChecked() const { return m_bChecked; }

protected:
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnPaint();
    afx_msg LRESULT OnSetCheck(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetCheck(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetState(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnClicked();
    DECLARE_MESSAGE_MAP()

    // One step of hot tracking: hot while the cursor is over the button and it is not held down.
    void TrackHot();
    BOOL IsCheckKind() const;
    void SetChecked(int check);

    // Redraws the button when its style changes.
    class StyleClient : public CTKThemeStyleClient {
    public:
        StyleClient(CTKButton* owner, CRuntimeClass* factoryClass) : CTKThemeStyleClient(factoryClass), m_pOwner(owner) {}
        void OnStyleChanged() override;

    private:
        CTKButton* m_pOwner;
    };

public:
    StyleClient m_styleClient;
    int m_nBorderGap = 4;
    int m_nImageGap = 8;
    BYTE m_bMakeOwnerDrawnOnSubclass = 1;
    BOOL m_bHot = FALSE;
    BOOL m_bUserPositions = FALSE;
    BOOL m_bPushed = FALSE;
    BOOL m_bHotDrawn = FALSE;
    // 0, or BST_CHECKED / BST_INDETERMINATE for a check box or radio button made owner-drawn.
    int m_bChecked = 0;
    DWORD m_dwXButtonStyle = TKBS_FLAT;
    CSize m_sizeImage{0, 0};
    CPoint m_ptImage{0, 0};
    CPoint m_ptText{0, 0};
    CTKPImageIcon* m_pImage = nullptr;
    // The check-box or radio kind the button had before it became owner-drawn (0 for push buttons).
    UINT m_nCheckKind = 0;
};
