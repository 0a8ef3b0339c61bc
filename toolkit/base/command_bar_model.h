// What the paint managers read of the command bars, their controls and icons. The command bars
// implement these read-only views; the paint managers never change a bar or a control, apart from
// the width cache of combo and edit controls.
#pragma once

#include "afx/string.h"
#include "win32/gdi.h"

// Bar types and positions.
#define TKP_BARTYPE_MENUBAR 0
#define TKP_BARTYPE_TOOLBAR 1
#define TKP_BARTYPE_POPUP 2
#define TKP_BARPOS_TOP 0
#define TKP_BARPOS_BOTTOM 1
#define TKP_BARPOS_LEFT 2
#define TKP_BARPOS_RIGHT 3
#define TKP_BARPOS_FLOATING 4
#define TKP_BARPOS_POPUP 5

// Control types and display styles.
#define TKP_CONTROL_BUTTON 1
#define TKP_CONTROL_POPUP 2
#define TKP_CONTROL_BUTTONPOPUP 3
#define TKP_CONTROL_SPLITBUTTONPOPUP 4
#define TKP_CONTROL_COMBOBOX 5
#define TKP_CONTROL_EDIT 6
#define TKP_CONTROL_CUSTOM 7
#define TKP_CONTROL_LABEL 8
#define TKP_STYLE_AUTOMATIC 0
#define TKP_STYLE_CAPTION 1
#define TKP_STYLE_ICON 2
#define TKP_STYLE_ICONANDCAPTION 3

class CTKPBarView;

// An icon of the image manager in its several images; images that are made on demand (faded,
// shadow, disabled) are made by the icon when first drawn.
class CTKPIconView {
public:
    enum Image { Normal, Hot, Faded, Shadow, Checked, Disabled };
    virtual ~CTKPIconView() = default;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual BOOL IsAlpha() const = 0;
    virtual BOOL HasShadowImage() = 0;
    virtual BOOL HasDisabledImage() const = 0;
    virtual void CreateDisabledIcon(COLORREF light, COLORREF dark) = 0;
    virtual void DrawImage(HDC hdc, POINT pt, SIZE size, Image image) = 0;
    // A one-colour silhouette of the icon (disabled icons without alpha).
    virtual void DrawSilhouette(HDC hdc, POINT pt, SIZE size, COLORREF color) = 0;
};

class CTKPControlView {
public:
    virtual ~CTKPControlView() = default;
    virtual int GetType() const = 0;
    virtual CTKPBarView* GetParentBarView() const = 0;
    virtual BOOL GetEnabled() const = 0;
    virtual BOOL GetChecked() const = 0;
    virtual int GetPressed() const = 0;   // 0, 1 held down, 2 executing
    virtual int GetSelected() const = 0;  // 0, 1 by mouse, 2 by keyboard
    virtual int GetStyle() const = 0;     // effective display style
    virtual RECT GetRect() const = 0;
    virtual RECT GetRowRect() const = 0;
    virtual BOOL GetBeginGroup() const = 0;
    virtual BOOL GetWrap() const = 0;
    virtual BOOL IsHidden() const { return FALSE; }
    virtual BOOL IsHiddenEntryShown() const = 0;  // a rarely used entry shown after expansion
    virtual BOOL IsPopupOpen() const = 0;
    virtual BOOL HasSpecialBackground() const { return FALSE; }
    virtual CTKPIconView* GetImage(int width) = 0;
    virtual CString GetCaption() const = 0;
    virtual CString GetShortcutText() const = 0;
    virtual BOOL GetDefaultItem() const { return FALSE; }
    virtual BOOL IsDroppedDown() const { return FALSE; }
    // Combo and edit controls: their own field width, and the cache of label and button widths;
    // a changed width sets the control's relayout flag.
    virtual int GetFieldWidth() const { return 0; }
    virtual void SetCachedWidths(int /*labelWidth*/, int /*buttonWidth*/) {}
    // The two state words that turn a special button's glyph to the highlight colour when both are 0.
    virtual DWORD GetGlyphStateWord(int /*which*/) const { return 1; }
    // The control's own text of a combo or edit field.
    virtual void DrawFieldText(HDC /*hdc*/, const RECT& /*field*/) {}
};

class CTKPBarView {
public:
    virtual ~CTKPBarView() = default;
    virtual int GetType() const = 0;
    virtual int GetPosition() const = 0;
    virtual HWND GetSafeHwnd() const { return nullptr; }
    virtual RECT GetClientRect() const = 0;
    virtual DWORD GetDockingFlags() const { return 0; }
    virtual BOOL IsDoubleIconColumn() const { return FALSE; }
    virtual int GetControlCount() const = 0;
    virtual CTKPControlView* GetControlView(int index) const = 0;
    virtual CString GetTitle() const { return CString(); }
    virtual SIZE GetIconSize() const = 0;
    virtual SIZE GetButtonSize() const = 0;
    virtual int GetShowTextBelowIcons() const { return 0; }
    virtual BOOL IsLayoutRTL() const { return FALSE; }
    virtual BOOL IsDialogBar() const { return FALSE; }
    virtual BOOL IsKeyboardCuesVisible() const { return TRUE; }
    // The bar hides controls behind its expand button.
    virtual BOOL HasHiddenControls() const { return FALSE; }
    // A popup bar's opening control, in screen co-ordinates, and the popup's window rectangle.
    virtual BOOL GetOpenerScreenRect(RECT* /*rc*/) const { return FALSE; }
    virtual RECT GetWindowScreenRect() const { return GetClientRect(); }
    // The window style of the dock bar that holds the bar, and its rectangle in the bar's client
    // co-ordinates; FALSE without a parent.
    virtual BOOL GetParentDockBar(DWORD* /*style*/, RECT* /*rcInBar*/) const { return FALSE; }
};
