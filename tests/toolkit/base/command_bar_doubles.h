// Small stand-ins of the command bars, their controls and icons, as the paint managers read them.
#pragma once

#include "toolkit/base/command_bar_model.h"

#include <string>
#include <vector>

struct FakeIcon : CTKPIconView {
    int width = 16, height = 16;
    BOOL alpha = FALSE;
    std::vector<std::pair<Image, POINT>> drawn;
    std::vector<std::pair<COLORREF, POINT>> silhouettes;
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    BOOL IsAlpha() const override { return alpha; }
    BOOL HasShadowImage() override { return TRUE; }
    BOOL HasDisabledImage() const override { return TRUE; }
    void CreateDisabledIcon(COLORREF, COLORREF) override {}
    void DrawImage(HDC, POINT pt, SIZE, Image image) override { drawn.push_back({image, pt}); }
    void DrawSilhouette(HDC, POINT pt, SIZE, COLORREF color) override { silhouettes.push_back({color, pt}); }
};

struct FakeBar;

struct FakeControl : CTKPControlView {
    int type = TKP_CONTROL_BUTTON;
    FakeBar* bar = nullptr;
    BOOL enabled = TRUE, checked = FALSE, wrap = FALSE, beginGroup = FALSE, popupOpen = FALSE, hidden = FALSE;
    int pressed = 0, selected = 0, style = TKP_STYLE_AUTOMATIC;
    RECT rect{0, 0, 0, 0}, row{0, 0, 0, 0};
    FakeIcon* icon = nullptr;
    CString caption, shortcut;
    int GetType() const override { return type; }
    CTKPBarView* GetParentBarView() const override;
    BOOL GetEnabled() const override { return enabled; }
    BOOL GetChecked() const override { return checked; }
    int GetPressed() const override { return pressed; }
    int GetSelected() const override { return selected; }
    int GetStyle() const override { return style; }
    RECT GetRect() const override { return rect; }
    RECT GetRowRect() const override { return row; }
    BOOL GetBeginGroup() const override { return beginGroup; }
    BOOL GetWrap() const override { return wrap; }
    BOOL IsHidden() const override { return hidden; }
    BOOL IsHiddenEntryShown() const override { return FALSE; }
    BOOL IsPopupOpen() const override { return popupOpen; }
    CTKPIconView* GetImage(int) override { return icon; }
    CString GetCaption() const override { return caption; }
    CString GetShortcutText() const override { return shortcut; }
};

struct FakeBar : CTKPBarView {
    int type = TKP_BARTYPE_TOOLBAR, position = TKP_BARPOS_TOP;
    RECT client{0, 0, 100, 26};
    SIZE iconSize{16, 16}, buttonSize{23, 22};
    BOOL doubleColumn = FALSE;
    DWORD docking = 0xF;
    std::vector<FakeControl*> controls;
    int GetType() const override { return type; }
    int GetPosition() const override { return position; }
    RECT GetClientRect() const override { return client; }
    DWORD GetDockingFlags() const override { return docking; }
    BOOL IsDoubleIconColumn() const override { return doubleColumn; }
    int GetControlCount() const override { return int(controls.size()); }
    CTKPControlView* GetControlView(int i) const override { return controls[size_t(i)]; }
    SIZE GetIconSize() const override { return iconSize; }
    SIZE GetButtonSize() const override { return buttonSize; }
};

inline CTKPBarView* FakeControl::GetParentBarView() const
{
    return bar;
}
