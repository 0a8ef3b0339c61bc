// CSkinButton: a flat owner-drawn push button with per-state icons or bitmaps, colours, hover
// tracking, sounds, a hover cursor, a tooltip and an address that a click opens.
#pragma once

#include "afx/afx.h"
#include "afx/std_controls.h"
#include "afx/tree_ctrl.h"
#include "win32/sound.h"

class CSkinButton : public CButton {
public:
    // Results of the setters.
    enum {
        SKIN_OK = 0,
        SKIN_INVALID_RESOURCE = 1, // an image whose information cannot be read (images freed)
        SKIN_MASK_FAILED = 2,      // the mask of a bitmap could not be made (images freed)
        SKIN_BAD_COLOR_INDEX = 3,
        SKIN_BAD_ALIGN = 4,
        SKIN_BAD_SHADE = 5,
        SKIN_BAD_PRESSED_STYLE = 6,
    };
    // Colour indexes.
    enum {
        COLOR_BK_ACTIVE = 0, // background while hovered or pressed
        COLOR_FG_ACTIVE = 1, // text while hovered or pressed
        COLOR_BK_NORMAL = 2,
        COLOR_FG_NORMAL = 3,
        COLOR_BK_FOCUS = 4, // while focused, not hovered or pressed
        COLOR_FG_FOCUS = 5,
        COLOR_COUNT = 6,
    };
    // Where the image sits against the caption.
    enum { ALIGN_IMAGE_LEFT = 0, ALIGN_IMAGE_TOP = 1, ALIGN_IMAGE_RIGHT = 2, ALIGN_OVERLAP = 3 };
    // The shift of image and caption while pressed: (1, 1) or (0, 2).
    enum { PRESSED_DIAGONAL = 0, PRESSED_DOWN = 1 };
    // As the second image of SetIcon/SetBitmaps: a grey or a darker copy of the first.
    enum { IMAGE_NONE = 0, IMAGE_GREY = -2, IMAGE_DARKER = -3 };
    static HICON DerivedIcon(int kind) { return (HICON)(INT_PTR)kind; }
    static HBITMAP DerivedBitmap(int kind) { return (HBITMAP)(INT_PTR)kind; }

    CSkinButton();
    ~CSkinButton() override;

    DWORD SetIcon(int nIconIn, int nIconOut = IMAGE_NONE);
    DWORD SetIcon(int nIconIn, int cxIn, int cyIn, int nIconOut, int cxOut, int cyOut);
    DWORD SetIcon(HICON hIconIn, HICON hIconOut);
    DWORD SetBitmaps(int nBitmapIn, COLORREF crKeyIn, int nBitmapOut = IMAGE_NONE, COLORREF crKeyOut = 0);
    DWORD SetBitmaps(HBITMAP hBitmapIn, COLORREF crKeyIn, HBITMAP hBitmapOut, COLORREF crKeyOut);
    DWORD SetAlign(int nAlign, BOOL bRepaint = TRUE);
    DWORD SetPressedOffset(int nStyle, BOOL bRepaint = TRUE);
    DWORD SetCheck(int nCheck, BOOL bRepaint = TRUE);
    int GetCheck() const { return m_nChecked; }
    DWORD SetDefaultColors(BOOL bRepaint = TRUE);
    DWORD SetColor(int nIndex, COLORREF crColor, BOOL bRepaint = TRUE);
    DWORD OffsetColor(int nIndex, int nShade, BOOL bRepaint = TRUE);
    DWORD SetHoverCursor(int nCursorId, BOOL bRepaint = FALSE);
    void SetTooltipText(LPCWSTR lpszText, BOOL bActivate = TRUE);
    void SetTransparent(BOOL bRepaint = FALSE);
    DWORD SetClickUrl(LPCWSTR lpszUrl = nullptr);
    // A wave file (no module), or a resource name or id of hMod; null clears the slot. State 0 is
    // the hover sound, nonzero the click sound. A name too long for the slot is refused.
    DWORD SetSound(LPCWSTR lpszSound, HMODULE hMod = nullptr, BOOL nState = FALSE, BOOL bAsync = TRUE);

    COLORREF GetColor(int nIndex) const { return nIndex >= 0 && nIndex < COLOR_COUNT ? m_colors[nIndex] : CLR_INVALID; }
    BOOL IsHovering() const { return m_bHover; }
    BOOL IsCheckBox() const { return m_bCheckBox; }
    BOOL IsDefault() const { return m_bDefault; }
    HCURSOR GetHoverCursor() const { return m_hHoverCursor; }
    LPCWSTR GetClickUrl() const { return m_szClickUrl; }

    // The colour rules of the derived images. Darken: each channel c becomes c - factor * c
    // (truncated) for factors 0..1; other factors leave the colour unchanged.
    static COLORREF Darken(COLORREF color, double factor);
    static COLORREF Grey(COLORREF color);

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    virtual void PaintBackground(CDC* pDC, const CRect& rcItem);
    virtual void PaintBorder(CDC* pDC, const CRect& rcItem);
    virtual void PaintIcon(CDC* pDC, BOOL bHasCaption, const CRect& rcItem, CRect& rcCaption);
    virtual void PaintBitmap(CDC* pDC, BOOL bHasCaption, const CRect& rcItem, CRect& rcCaption);
    virtual void PaintCaption(CDC* pDC, const CString& caption, CRect rcCaption);

private:
    struct IconImage {
        HICON hIcon = nullptr;
        int cx = 0, cy = 0;
    };
    struct BitmapImage {
        HBITMAP hBitmap = nullptr;
        int cx = 0, cy = 0;
        HBITMAP hMask = nullptr;
        COLORREF crKey = 0;
    };
    struct Sound {
        WCHAR szName[MAX_PATH] = {};
        LPCWSTR lpszName = nullptr; // szName, or a resource id
        HMODULE hMod = nullptr;
        DWORD dwFlags = 0;
    };

    void FreeImages();
    void CancelHover();
    void OnClicked();
    void Play(const Sound& sound) const;
    void CreateToolTip();
    void Repaint(BOOL bRepaint);
    void DropSavedBackground();
    void PaintSavedBackground(CDC* pDC);
    CRect ImageRect(BOOL bHasCaption, const CRect& rcItem, CRect& rcCaption, int cx, int cy) const;
    int ImageIndex(bool secondExists) const;
    static HBITMAP MakeMask(HBITMAP hBitmap, int cx, int cy, COLORREF crKey);
    static HBITMAP MakeDerivedBitmap(HBITMAP hSource, int cx, int cy, COLORREF crKey, int kind);
    static HICON MakeDerivedIcon(HICON hSource, int kind);

    // Fixed looks of this button.
    const BOOL m_bEmbossDisabled = TRUE;
    const int m_nMarginX = 3;
    const int m_nMarginY = 3;
    CPoint m_ptPressedOffset{1, 1};
    const BOOL m_bFlat = TRUE;
    BOOL m_bHover = FALSE;
    BOOL m_bTransparent = FALSE;
    BOOL m_bPressed = FALSE;
    BOOL m_bFocused = FALSE;
    BOOL m_bDisabled = FALSE;
    BOOL m_bDefault = FALSE;
    BOOL m_bCheckBox = FALSE;
    int m_nAlign = ALIGN_IMAGE_LEFT;
    const BOOL m_bDrawBorder = TRUE;
    const BOOL m_bFlatFocus = FALSE;
    COLORREF m_colors[COLOR_COUNT] = {};
    HCURSOR m_hHoverCursor = nullptr;
    CToolTipCtrl m_toolTip;
    BOOL m_bToolAdded = FALSE;
    HDC m_hSavedDC = nullptr;
    HBITMAP m_hSavedBitmap = nullptr;
    HGDIOBJ m_hReplacedBitmap = nullptr;
    const BOOL m_bAlwaysTrack = TRUE;
    int m_nChecked = 0;
    UINT m_nButtonType = 0;
    const DWORD m_dwToolTipStyle = 0;
    WCHAR m_szClickUrl[MAX_PATH] = {};
    IconImage m_icons[2];     // 0: hovered, pressed or checked; 1: otherwise
    BitmapImage m_bitmaps[2]; // as the icons
    Sound m_sounds[2];        // 0: hover, 1: click
};
