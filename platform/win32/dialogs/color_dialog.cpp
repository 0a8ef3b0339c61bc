// ChooseColorW: the layer's own colour dialog (basic and custom swatches, red/green/blue values, preview).
#include "win32/controls.h"
#include "win32/dialogs.h"
#include "win32/dialogs/dialog_template.h"
#include "win32/gdi.h"
#include "win32/user.h"

#include <cstring>
#include <string>

using namespace dialogs;

namespace {

enum : int { kRed = 706, kGreen = 707, kBlue = 708, kPreview = 709, kAddCustom = 712, kBasic = 0x2D0, kCustom = 0x300 };
constexpr int kBasicCount = 48, kCustomCount = 16, kColumns = 8;

// Six rows of eight: light, pure, dark and deep shades of the hues, then greys.
const COLORREF kBasicColors[kBasicCount] = {
    RGB(255, 128, 128), RGB(255, 255, 128), RGB(128, 255, 128), RGB(0, 255, 128),
    RGB(128, 255, 255), RGB(0, 128, 255),   RGB(255, 128, 192), RGB(255, 128, 255),
    RGB(255, 0, 0),     RGB(255, 255, 0),   RGB(128, 255, 0),   RGB(0, 255, 64),
    RGB(0, 255, 255),   RGB(0, 128, 192),   RGB(128, 128, 192), RGB(255, 0, 255),
    RGB(128, 64, 64),   RGB(255, 128, 64),  RGB(0, 255, 0),     RGB(0, 128, 128),
    RGB(0, 64, 128),    RGB(128, 128, 255), RGB(128, 0, 64),    RGB(255, 0, 128),
    RGB(128, 0, 0),     RGB(255, 128, 0),   RGB(0, 128, 0),     RGB(0, 128, 64),
    RGB(0, 0, 255),     RGB(0, 0, 160),     RGB(128, 0, 128),   RGB(128, 0, 255),
    RGB(64, 0, 0),      RGB(128, 64, 0),    RGB(0, 64, 0),      RGB(0, 64, 64),
    RGB(0, 0, 128),     RGB(0, 0, 64),      RGB(64, 0, 64),     RGB(64, 0, 128),
    RGB(0, 0, 0),       RGB(128, 128, 0),   RGB(128, 128, 64),  RGB(128, 128, 128),
    RGB(64, 128, 128),  RGB(192, 192, 192), RGB(64, 0, 64),     RGB(255, 255, 255),
};

struct ColorDialog {
    CHOOSECOLORW* cc;
    COLORREF color = 0;
    COLORREF custom[kCustomCount] = {};
    int selected = -1;   // control id of the chosen swatch, -1 for none
    int nextCustom = 0;  // the custom swatch the next addition fills when none is chosen
    bool updating = false;
};

COLORREF SwatchColor(const ColorDialog& d, int id)
{
    if (id >= kBasic && id < kBasic + kBasicCount)
        return kBasicColors[id - kBasic];
    if (id >= kCustom && id < kCustom + kCustomCount)
        return d.custom[id - kCustom];
    return d.color;
}

void ShowValues(HWND dlg, ColorDialog& d)
{
    d.updating = true;
    SetDlgItemInt(dlg, kRed, GetRValue(d.color), FALSE);
    SetDlgItemInt(dlg, kGreen, GetGValue(d.color), FALSE);
    SetDlgItemInt(dlg, kBlue, GetBValue(d.color), FALSE);
    d.updating = false;
    InvalidateRect(GetDlgItem(dlg, kPreview), nullptr, FALSE);
}

void Choose(HWND dlg, ColorDialog& d, int id)
{
    int old = d.selected;
    d.selected = id;
    d.color = SwatchColor(d, id);
    if (old > 0)
        InvalidateRect(GetDlgItem(dlg, old), nullptr, FALSE);
    InvalidateRect(GetDlgItem(dlg, id), nullptr, FALSE);
    ShowValues(dlg, d);
}

// A value box changed: read it back, holding it to 0..255.
void ReadValues(HWND dlg, ColorDialog& d)
{
    int v[3];
    const int ids[3] = {kRed, kGreen, kBlue};
    for (int i = 0; i < 3; ++i) {
        BOOL ok = FALSE;
        UINT n = GetDlgItemInt(dlg, ids[i], &ok, FALSE);
        v[i] = ok ? (n > 255 ? 255 : int(n)) : 0;
        if (ok && n > 255) {
            d.updating = true;
            SetDlgItemInt(dlg, ids[i], 255, FALSE);
            d.updating = false;
        }
    }
    d.color = RGB(v[0], v[1], v[2]);
    InvalidateRect(GetDlgItem(dlg, kPreview), nullptr, FALSE);
}

void DrawSwatch(const DRAWITEMSTRUCT& di, COLORREF color, bool chosen)
{
    RECT r = di.rcItem;
    FillRect(di.hDC, &r, GetSysColorBrush(COLOR_3DFACE));
    if (chosen) {
        FrameRect(di.hDC, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
    }
    InflateRect(&r, -1, -1);
    DrawEdge(di.hDC, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    HBRUSH b = CreateSolidBrush(color);
    FillRect(di.hDC, &r, b);
    DeleteObject(b);
    if (di.itemState & ODS_FOCUS) {
        RECT f = di.rcItem;
        DrawFocusRect(di.hDC, &f);
    }
}

INT_PTR CALLBACK ColorProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* d = (ColorDialog*)GetWindowLongPtrW(dlg, DWLP_USER);
    switch (msg) {
    case WM_INITDIALOG: {
        d = (ColorDialog*)lParam;
        SetWindowLongPtrW(dlg, DWLP_USER, lParam);
        for (int i = 0; i < 3; ++i)
            SendDlgItemMessageW(dlg, kRed + i, EM_LIMITTEXT, 3, 0);
        for (int i = 0; i < kBasicCount; ++i)
            if (kBasicColors[i] == d->color) {
                d->selected = kBasic + i;
                break;
            }
        ShowValues(dlg, *d);
        return TRUE;
    }
    case WM_DRAWITEM: {
        if (!d)
            return FALSE;
        const auto& di = *(const DRAWITEMSTRUCT*)lParam;
        if (int(wParam) == kPreview) {
            RECT r = di.rcItem;
            DrawEdge(di.hDC, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
            HBRUSH b = CreateSolidBrush(d->color);
            FillRect(di.hDC, &r, b);
            DeleteObject(b);
        } else {
            DrawSwatch(di, SwatchColor(*d, int(wParam)), int(wParam) == d->selected);
        }
        SetWindowLongPtrW(dlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_COMMAND: {
        if (!d)
            return FALSE;
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDOK) {
            d->cc->rgbResult = d->color;
            std::memcpy(d->cc->lpCustColors, d->custom, sizeof d->custom);
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        if (((id >= kBasic && id < kBasic + kBasicCount) || (id >= kCustom && id < kCustom + kCustomCount)) &&
            code == BN_CLICKED) {
            Choose(dlg, *d, id);
            return TRUE;
        }
        if (id >= kRed && id <= kBlue && code == EN_CHANGE && !d->updating) {
            ReadValues(dlg, *d);
            return TRUE;
        }
        if (id == kAddCustom && code == BN_CLICKED) {
            int slot = d->selected >= kCustom && d->selected < kCustom + kCustomCount ? d->selected - kCustom
                                                                                     : d->nextCustom;
            d->custom[slot] = d->color;
            d->nextCustom = (slot + 1) % kCustomCount;
            InvalidateRect(GetDlgItem(dlg, kCustom + slot), nullptr, FALSE);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

} // namespace

BOOL ChooseColorW(LPCHOOSECOLORW lpcc)
{
    SetExtendedError(0);
    // 36 bytes is the block's size for callers written for 32-bit Windows.
    if (!lpcc || (lpcc->lStructSize != sizeof(CHOOSECOLORW) && lpcc->lStructSize != 36)) {
        SetExtendedError(lpcc ? CDERR_STRUCTSIZE : CDERR_INITIALIZATION);
        return FALSE;
    }
    if (lpcc->Flags & (CC_ENABLEHOOK | CC_ENABLETEMPLATE | CC_ENABLETEMPLATEHANDLE)) {
        SetExtendedError(CDERR_DIALOGFAILURE);
        return FALSE;
    }
    if (!lpcc->lpCustColors) {
        SetExtendedError(CDERR_INITIALIZATION);
        return FALSE;
    }
    InitCommonControls();
    ColorDialog d;
    d.cc = lpcc;
    d.color = (lpcc->Flags & CC_RGBINIT) ? (lpcc->rgbResult & 0x00FFFFFF) : 0;
    std::memcpy(d.custom, lpcc->lpCustColors, sizeof d.custom);

    TemplateBuilder t(u"\u989c\u8272", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 226, 186);
    t.Add(WC_STATICW, u"\u57fa\u672c\u989c\u8272(&B):", -1, WS_VISIBLE | SS_LEFT, 7, 5, 100, 9);
    for (int i = 0; i < kBasicCount; ++i)
        t.Add(WC_BUTTONW, u"", kBasic + i, WS_VISIBLE | (i == 0 ? WS_TABSTOP | WS_GROUP : 0) | BS_OWNERDRAW,
              short(7 + (i % kColumns) * 16), short(15 + (i / kColumns) * 13), 14, 11);
    t.Add(WC_STATICW, u"\u81ea\u5b9a\u4e49\u989c\u8272(&C):", -1, WS_VISIBLE | SS_LEFT, 7, 96, 100, 9);
    for (int i = 0; i < kCustomCount; ++i)
        t.Add(WC_BUTTONW, u"", kCustom + i, WS_VISIBLE | (i == 0 ? WS_TABSTOP | WS_GROUP : 0) | BS_OWNERDRAW,
              short(7 + (i % kColumns) * 16), short(106 + (i / kColumns) * 13), 14, 11);
    t.Add(WC_STATICW, u"", kPreview, WS_VISIBLE | SS_OWNERDRAW, 140, 15, 79, 40);
    const char16_t* labels[3] = {u"\u7ea2(&R):", u"\u7eff(&G):", u"\u84dd(&U):"};
    for (int i = 0; i < 3; ++i) {
        t.Add(WC_STATICW, labels[i], -1, WS_VISIBLE | SS_LEFT, 140, short(63 + i * 16), 30, 9);
        t.Add(WC_EDITW, u"", kRed + i, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_NUMBER, 176, short(61 + i * 16), 30, 12);
    }
    t.Add(WC_BUTTONW, u"\u6dfb\u52a0\u5230\u81ea\u5b9a\u4e49\u989c\u8272(&A)", kAddCustom,
          WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 140, 112, 79, 14);
    t.Add(WC_BUTTONW, u"\u786e\u5b9a", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 7, 166, 50, 14);
    t.Add(WC_BUTTONW, u"\u53d6\u6d88", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 63, 166, 50, 14);

    INT_PTR r = DialogBoxIndirectParamW(nullptr, t.Get(), lpcc->hwndOwner, ColorProc, (LPARAM)&d);
    if (r == IDOK)
        return TRUE;
    SetExtendedError(r == IDCANCEL ? 0 : CDERR_DIALOGFAILURE);
    return FALSE;
}
