// Writes a PNG of a dialog holding one of each of the application's own controls: skinned
// buttons (normal, hovered, disabled and a transparent picture button), hover buttons, transparent
// statics, a hyperlink, an XP group box and both progress bars.
//   control_gallery [out.png]
#include "afx/afx.h"
#include "backend/headless/driver.h"
#include "controls/gradient_progress_ctrl.h"
#include "controls/hover_button.h"
#include "controls/hyperlink_static.h"
#include "controls/skin_button.h"
#include "controls/text_progress_ctrl.h"
#include "controls/transparent_static.h"
#include "controls/xp_group_box.h"
#include "controls_res.h"

#include <cstdio>
#include <cstdlib>

namespace {

const COLORREF kPage = RGB(255, 255, 255);
const int kBandTop = 238;

// The dialog: a white page over the band that holds the wizard's buttons.
class GalleryDialog : public CWnd {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND) {
            CRect rc;
            GetClientRect(&rc);
            CDC* dc = CDC::FromHandle((HDC)wParam);
            dc->FillSolidRect(CRect(0, 0, rc.right, kBandTop), kPage);
            // An etched line over the classic face, as wizards have it.
            dc->FillSolidRect(CRect(0, kBandTop, rc.right, kBandTop + 1), GetSysColor(COLOR_BTNSHADOW));
            dc->FillSolidRect(CRect(0, kBandTop + 1, rc.right, kBandTop + 2), GetSysColor(COLOR_BTNHIGHLIGHT));
            dc->FillSolidRect(CRect(0, kBandTop + 2, rc.right, rc.bottom), GetSysColor(COLOR_BTNFACE));
            return TRUE;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// The hover buttons of the first page carry pictures of their own; these are drawn here.
class GalleryHoverButton : public CHoverButton {
public:
    void DrawPictures(LPCWSTR caption, int width, int height) {
        m_nWidth = width;
        m_nHeight = height;
        Draw(m_normal, caption, RGB(250, 252, 254), RGB(234, 240, 247), RGB(169, 188, 208));
        Draw(m_hover, caption, RGB(232, 242, 253), RGB(204, 224, 247), RGB(74, 134, 200));
        SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }

private:
    void Draw(CBitmap& bitmap, LPCWSTR caption, COLORREF top, COLORREF bottom, COLORREF frame) {
        HDC screen = ::GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        bitmap.Attach(CreateCompatibleBitmap(screen, m_nWidth, m_nHeight));
        ::ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap.GetSafeHandle());
        RECT all{0, 0, m_nWidth, m_nHeight};
        HBRUSH white = CreateSolidBrush(kPage);
        FillRect(dc, &all, white);
        DeleteObject(white);
        TRIVERTEX v[2] = {{1, 1, USHORT(GetRValue(top) << 8), USHORT(GetGValue(top) << 8), USHORT(GetBValue(top) << 8), 0},
                          {m_nWidth - 1, m_nHeight - 1, USHORT(GetRValue(bottom) << 8), USHORT(GetGValue(bottom) << 8),
                           USHORT(GetBValue(bottom) << 8), 0}};
        GRADIENT_RECT r{0, 1};
        GradientFill(dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
        HPEN pen = CreatePen(PS_SOLID, 1, frame);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, 0, 0, m_nWidth, m_nHeight, 6, 6);
        // A small disc standing for the mode's picture.
        HBRUSH disc = CreateSolidBrush(RGB(63, 122, 192));
        SelectObject(dc, disc);
        SelectObject(dc, GetStockObject(NULL_PEN));
        const int d = m_nHeight - 20;
        Ellipse(dc, 10, 10, 10 + d, 10 + d);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(disc);
        DeleteObject(pen);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(36, 84, 141));
        RECT text{20 + d, 0, m_nWidth - 6, m_nHeight};
        DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
};

template <class Control>
void UseDialogFont(Control& control)
{
    control.SendMessage(WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
}

void Require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "control_gallery: error: cannot create %s\n", what);
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const char* out = argc > 1 ? argv[1] : "control_gallery.png";
    // The picture is always drawn headless, whatever display the caller has.
    setenv("DISPLAY", "", 1);

    GalleryDialog dialog;
    Require(dialog.CreateEx(WS_EX_DLGMODALFRAME, nullptr, u"控件一览", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                            CRect(40, 40, 40 + 470, 40 + 330), nullptr, 0),
            "the dialog");
    ::SetActiveWindow(dialog.m_hWnd);

    CXPGroupBox group;
    Require(group.Create(u"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, CRect(12, 8, 452, 150), &dialog, 100), "the group box");
    group.SetCaption(u"     文件系统信息     ")
        .SetBackgroundColor(kPage)
        .SetBorderColor(RGB(169, 188, 208))
        .SetCaptionTextColor(RGB(36, 84, 141))
        .SetFontBold(TRUE);

    struct Label { LPCWSTR text; CRect rc; } labels[] = {
        {u"扫描进度：", CRect(28, 40, 116, 58)},
        {u"已读扇区：", CRect(28, 74, 116, 92)},
        {u"帮助：", CRect(28, 108, 116, 126)},
    };
    CTransparentStatic statics[3];
    for (int i = 0; i < 3; ++i) {
        Require(statics[i].Create(labels[i].text, WS_CHILD | WS_VISIBLE, labels[i].rc, &dialog, 110 + i), "a static");
        UseDialogFont(statics[i]);
    }

    CGradientProgressCtrl gradient;
    Require(gradient.Create(WS_CHILD | WS_VISIBLE, CRect(120, 38, 436, 58), &dialog, 120), "the gradient bar");
    gradient.SendMessage(PBM_SETBARCOLOR, RGB(36, 84, 141), RGB(108, 160, 222));
    gradient.SendMessage(CCM_SETBKCOLOR, 0, RGB(236, 241, 246));
    gradient.SetTextColours(RGB(255, 255, 255), RGB(36, 84, 141));
    gradient.SetProgressText(u"%d%%", PBS_TEXT_PERCENT);
    UseDialogFont(gradient);
    gradient.SetRange32(0, 100);
    gradient.SetPos(62);

    CTextProgressCtrl text;
    Require(text.Create(WS_CHILD | WS_VISIBLE, CRect(120, 72, 436, 92), &dialog, 121), "the text bar");
    UseDialogFont(text);
    text.SendMessage(CCM_SETBKCOLOR, 0, RGB(236, 241, 246));
    text.SetRange32(0, 100);
    text.SetPos(40);

    // A link takes over a static of its dialog, text and font already set.
    CHyperlinkStatic link;
    HWND linkStatic = CreateWindowExW(0, u"STATIC", u"http://www.dovemark.example/help", WS_CHILD | WS_VISIBLE, 120, 108,
                                      316, 18, dialog.m_hWnd, (HMENU)122, nullptr, nullptr);
    ::SendMessageW(linkStatic, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    Require(linkStatic && link.SubclassWindow(linkStatic), "the hyperlink");
    link.SetLinkUnderline(1);

    GalleryHoverButton quick, full;
    Require(quick.Create(u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, CRect(12, 166, 222, 212), &dialog, 131),
            "a hover button");
    Require(full.Create(u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, CRect(242, 166, 452, 212), &dialog, 133),
            "a hover button");
    quick.DrawPictures(u"快速扫描", 210, 46);
    full.DrawPictures(u"全面扫描", 210, 46);

    // The wizard's buttons as the pages set them up.
    CSkinButton home, stop, back, next;
    Require(home.Create(u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(14, 248, 54, 286), &dialog, 61481), "home");
    home.SetBitmaps(IDB_SKIN_HOME, SKIN_HOME_KEY, CSkinButton::IMAGE_GREY);
    home.SetTransparent(TRUE);
    struct { CSkinButton& button; LPCWSTR caption; int icon; int x; COLORREF text; } skinned[] = {
        {stop, u"Stop", IDI_SKIN_STOP, 172, RGB(228, 0, 0)},
        {back, u"返回", IDI_SKIN_BACK, 268, RGB(0, 128, 0)},
        {next, u"继续", IDI_SKIN_NEXT, 362, RGB(0, 128, 0)},
    };
    int id = 160;
    for (auto& s : skinned) {
        Require(s.button.Create(s.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(s.x, 250, s.x + 85, 285), &dialog, id++),
                "a skinned button");
        UseDialogFont(s.button);
        s.button.SetIcon(s.icon);
        s.button.OffsetColor(CSkinButton::COLOR_BK_ACTIVE, 30);
        s.button.SetColor(CSkinButton::COLOR_FG_ACTIVE, s.text);
        s.button.SetHoverCursor(IDC_HOVER_HAND);
    }
    next.SetAlign(CSkinButton::ALIGN_IMAGE_RIGHT);
    stop.EnableWindow(FALSE);

    headless::PumpUntilIdle();
    // The mouse on one skinned button, and the hover look of one hover button beside it.
    headless::MouseMove(next.m_hWnd, {40, 17});
    headless::PumpUntilIdle();
    full.SendMessage(WM_MOUSEHOVER);
    headless::PumpUntilIdle();

    if (!headless::SavePng(dialog.m_hWnd, out)) {
        std::fprintf(stderr, "control_gallery: error: cannot write %s\n", out);
        return 1;
    }
    dialog.DestroyWindow();
    return 0;
}
