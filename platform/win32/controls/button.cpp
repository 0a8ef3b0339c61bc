// The BUTTON window class: push, check, radio, group box and owner-drawn buttons.
#include "win32/controls/control_util.h"
#include "win32/resources.h"

namespace controls {

namespace {

struct Button {
    UINT check = BST_UNCHECKED; // BST_CHECKED or BST_INDETERMINATE for the check kinds
    bool pushed = false;
    bool focused = false;
    bool tracking = false; // left button went down on us and we hold the capture
    bool spaceDown = false;
    HFONT font = nullptr;
    HANDLE image = nullptr;
    WPARAM imageType = IMAGE_BITMAP;
};

UINT Kind(HWND hwnd)
{
    return StyleOf(hwnd) & BS_TYPEMASK;
}

bool IsCheckKind(UINT k)
{
    return k == BS_CHECKBOX || k == BS_AUTOCHECKBOX || k == BS_RADIOBUTTON || k == BS_3STATE ||
           k == BS_AUTO3STATE || k == BS_AUTORADIOBUTTON;
}

bool IsRadio(UINT k)
{
    return k == BS_RADIOBUTTON || k == BS_AUTORADIOBUTTON;
}

bool IsPush(UINT k)
{
    return k == BS_PUSHBUTTON || k == BS_DEFPUSHBUTTON || k == BS_USERBUTTON || k == BS_PUSHBOX;
}

void Redraw(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
}

void SendDrawItem(HWND hwnd, HDC dc, Button* b, UINT action)
{
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
    dis.itemID = 0;
    dis.itemAction = action;
    dis.itemState = (b->pushed ? ODS_SELECTED : 0) | (b->focused ? ODS_FOCUS : 0) |
                    (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
    dis.hwndItem = hwnd;
    dis.hDC = dc;
    GetClientRect(hwnd, &dis.rcItem);
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageW(parent, WM_DRAWITEM, (WPARAM)dis.CtlID, (LPARAM)&dis);
}

// Owner-drawn buttons are told about each change with its own action, as their owners expect.
void StateChanged(HWND hwnd, Button* b, UINT action)
{
    if (Kind(hwnd) == BS_OWNERDRAW && IsWindowVisible(hwnd)) {
        HDC dc = GetDC(hwnd);
        if (dc) {
            SendDrawItem(hwnd, dc, b, action);
            ReleaseDC(hwnd, dc);
        }
        return;
    }
    Redraw(hwnd);
}

void SetPushed(HWND hwnd, Button* b, bool pushed)
{
    if (b->pushed == pushed)
        return;
    b->pushed = pushed;
    if (StyleOf(hwnd) & BS_NOTIFY)
        NotifyCommand(hwnd, pushed ? BN_HILITE : BN_UNHILITE);
    StateChanged(hwnd, b, ODA_SELECT);
}

void SetCheck(HWND hwnd, Button* b, UINT check)
{
    UINT k = Kind(hwnd);
    if (!IsCheckKind(k))
        return;
    if (check == BST_INDETERMINATE && k != BS_3STATE && k != BS_AUTO3STATE)
        check = BST_CHECKED;
    if (check > BST_INDETERMINATE)
        check = BST_CHECKED;
    if (b->check == check)
        return;
    b->check = check;
    // A checked radio button is the tab stop of its group.
    if (IsRadio(k)) {
        LONG_PTR st = GetWindowLongPtrW(hwnd, GWL_STYLE);
        SetWindowLongPtrW(hwnd, GWL_STYLE, check ? (st | WS_TABSTOP) : (st & ~(LONG_PTR)WS_TABSTOP));
    }
    Redraw(hwnd);
}

// What a completed click does before BN_CLICKED reaches the parent.
void Clicked(HWND hwnd, Button* b)
{
    UINT k = Kind(hwnd);
    if (k == BS_AUTOCHECKBOX) {
        SetCheck(hwnd, b, b->check ? BST_UNCHECKED : BST_CHECKED);
    } else if (k == BS_AUTO3STATE) {
        SetCheck(hwnd, b, (b->check + 1) % 3);
    } else if (k == BS_AUTORADIOBUTTON) {
        HWND parent = GetParent(hwnd);
        if (parent) {
            // Uncheck the other auto radio buttons of the group; stop when the group wraps.
            HWND first = GetNextDlgGroupItem(parent, hwnd, FALSE);
            HWND h = first;
            for (int guard = 0; h && h != hwnd && guard < 10000; ++guard) {
                if ((StyleOf(h) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                    (SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON))
                    SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
                h = GetNextDlgGroupItem(parent, h, FALSE);
                if (h == first)
                    break;
            }
        }
        SetCheck(hwnd, b, BST_CHECKED);
    }
    NotifyCommand(hwnd, BN_CLICKED);
}

UINT TextFormat(DWORD style, UINT kind)
{
    UINT f = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    bool pushLike = IsPush(kind) || kind == BS_OWNERDRAW || (style & BS_PUSHLIKE);
    switch (style & BS_CENTER) {
    case BS_LEFT: f |= DT_LEFT; break;
    case BS_RIGHT: f |= DT_RIGHT; break;
    case BS_CENTER: f |= DT_CENTER; break;
    default: f |= pushLike ? DT_CENTER : DT_LEFT; break;
    }
    if (!(style & BS_MULTILINE)) {
        switch (style & BS_VCENTER) {
        case BS_TOP: f |= DT_TOP; break;
        case BS_BOTTOM: f |= DT_BOTTOM; break;
        default: f |= DT_VCENTER; break;
        }
    }
    return f;
}

// Draws the label (text, icon or bitmap) in `rc`; returns the rectangle the label took.
RECT DrawLabel(HWND hwnd, HDC dc, Button* b, RECT rc, UINT format, bool enabled)
{
    DWORD style = StyleOf(hwnd);
    RECT out = rc;
    if ((style & (BS_ICON | BS_BITMAP)) && b->image) {
        int w = 0, h = 0;
        if (b->imageType == IMAGE_ICON) {
            ICONINFO ii{};
            if (GetIconInfo((HICON)b->image, &ii)) {
                BITMAP bm{};
                HBITMAP src = ii.hbmColor ? ii.hbmColor : ii.hbmMask;
                GetObjectW(src, sizeof bm, &bm);
                w = bm.bmWidth;
                h = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
                if (ii.hbmColor)
                    DeleteObject(ii.hbmColor);
                if (ii.hbmMask)
                    DeleteObject(ii.hbmMask);
            }
        } else {
            BITMAP bm{};
            if (GetObjectW(b->image, sizeof bm, &bm)) {
                w = bm.bmWidth;
                h = bm.bmHeight;
            }
        }
        int x = (format & DT_RIGHT) ? rc.right - w : (format & DT_CENTER) ? (rc.left + rc.right - w) / 2 : rc.left;
        int y = (format & DT_BOTTOM) ? rc.bottom - h : (format & DT_VCENTER) ? (rc.top + rc.bottom - h) / 2 : rc.top;
        UINT flags = (b->imageType == IMAGE_ICON ? DST_ICON : DST_BITMAP) | (enabled ? DSS_NORMAL : DSS_DISABLED);
        DrawStateW(dc, nullptr, nullptr, (LPARAM)b->image, 0, x, y, w, h, flags);
        SetRect(&out, x, y, x + w, y + h);
        return out;
    }
    std::u16string text = WindowText(hwnd);
    if (text.empty()) {
        SetRect(&out, rc.left, rc.top, rc.left, rc.top);
        return out;
    }
    // Measure first so the focus rectangle can hug the text, as the classic look has it.
    RECT calc = rc;
    DrawTextW(dc, text.c_str(), (int)text.size(), &calc, (format & ~(UINT)(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
    int tw = calc.right - calc.left, th = calc.bottom - calc.top;
    int x = (format & DT_RIGHT) ? rc.right - tw : (format & DT_CENTER) ? (rc.left + rc.right - tw) / 2 : rc.left;
    int y = (format & DT_BOTTOM) ? rc.bottom - th : (format & DT_VCENTER) ? (rc.top + rc.bottom - th) / 2 : rc.top;
    if (format & DT_WORDBREAK)
        y = (rc.top + rc.bottom - th) / 2;
    SetRect(&out, x, y, x + tw, y + th);
    int old = SetBkMode(dc, TRANSPARENT);
    if (enabled) {
        DrawTextW(dc, text.c_str(), (int)text.size(), &rc, format);
    } else {
        // The engraved look of disabled classic labels: highlight offset by one, then grey.
        COLORREF prev = SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        RECT sh = rc;
        OffsetRect(&sh, 1, 1);
        DrawTextW(dc, text.c_str(), (int)text.size(), &sh, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text.c_str(), (int)text.size(), &rc, format);
        SetTextColor(dc, prev);
    }
    SetBkMode(dc, old);
    return out;
}

void DrawPush(HWND hwnd, HDC dc, Button* b, RECT rc, bool enabled)
{
    UINT k = Kind(hwnd);
    DWORD style = StyleOf(hwnd);
    bool isDefault = k == BS_DEFPUSHBUTTON;
    bool down = b->pushed || ((style & BS_PUSHLIKE) && b->check);
    ControlColor(hwnd, dc, WM_CTLCOLORBTN);
    if (isDefault) {
        FrameRect(dc, &rc, (HBRUSH)GetStockObject(BLACK_BRUSH));
        InflateRect(&rc, -1, -1);
    }
    if (down && isDefault) {
        FrameRect(dc, &rc, GetSysColorBrush(COLOR_3DSHADOW));
        RECT in = rc;
        InflateRect(&in, -1, -1);
        FillRect(dc, &in, GetSysColorBrush(COLOR_3DFACE));
    } else {
        UINT state = DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0) | ((style & BS_FLAT) ? DFCS_FLAT : 0);
        RECT f = rc;
        DrawFrameControl(dc, &f, DFC_BUTTON, state);
    }
    RECT label = rc;
    InflateRect(&label, -4, -3);
    if (down)
        OffsetRect(&label, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawLabel(hwnd, dc, b, label, TextFormat(style, k), enabled);
    if (b->focused) {
        RECT fr = rc;
        InflateRect(&fr, -3, -3);
        DrawFocusRect(dc, &fr);
    }
}

void DrawCheck(HWND hwnd, HDC dc, Button* b, RECT rc, bool enabled)
{
    UINT k = Kind(hwnd);
    DWORD style = StyleOf(hwnd);
    HBRUSH br = ControlColor(hwnd, dc, WM_CTLCOLORSTATIC);
    if (br)
        FillRect(dc, &rc, br);
    const int box = 13;
    RECT boxRc;
    int top = (rc.top + rc.bottom - box) / 2;
    switch (style & BS_VCENTER) {
    case BS_TOP: top = rc.top; break;
    case BS_BOTTOM: top = rc.bottom - box; break;
    }
    bool leftText = (style & BS_LEFTTEXT) != 0;
    int left = leftText ? rc.right - box : rc.left;
    SetRect(&boxRc, left, top, left + box, top + box);
    UINT state = IsRadio(k) ? DFCS_BUTTONRADIO : (b->check == BST_INDETERMINATE ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK);
    if (b->check)
        state |= DFCS_CHECKED;
    if (b->pushed)
        state |= DFCS_PUSHED;
    if (!enabled)
        state |= DFCS_INACTIVE;
    if (style & BS_FLAT)
        state |= DFCS_FLAT;
    DrawFrameControl(dc, &boxRc, DFC_BUTTON, state);
    RECT label = rc;
    if (leftText)
        label.right = boxRc.left - 4;
    else
        label.left = boxRc.right + 4;
    UINT format = TextFormat(style, k);
    RECT used = DrawLabel(hwnd, dc, b, label, format, enabled);
    if (b->focused && used.right > used.left) {
        InflateRect(&used, 1, 1);
        IntersectRect(&used, &used, &rc);
        DrawFocusRect(dc, &used);
    }
}

void DrawGroup(HWND hwnd, HDC dc, Button* b, RECT rc, bool enabled)
{
    HBRUSH br = ControlColor(hwnd, dc, WM_CTLCOLORSTATIC);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    RECT frame = rc;
    frame.top += tm.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    std::u16string text = WindowText(hwnd);
    if (text.empty())
        return;
    RECT label = rc;
    label.left += 8;
    label.right -= 8;
    label.bottom = label.top + tm.tmHeight;
    RECT calc = label;
    DrawTextW(dc, text.c_str(), (int)text.size(), &calc, DT_SINGLELINE | DT_CALCRECT);
    label.right = std::min(label.right, calc.right + 2);
    // The caption breaks the frame line: clear behind it with the parent's brush.
    if (br)
        FillRect(dc, &label, br);
    label.left += 1;
    UINT format = DT_SINGLELINE | DT_LEFT | DT_TOP;
    DWORD style = StyleOf(hwnd);
    if ((style & BS_CENTER) == BS_CENTER)
        format = DT_SINGLELINE | DT_CENTER | DT_TOP;
    else if ((style & BS_CENTER) == BS_RIGHT)
        format = DT_SINGLELINE | DT_RIGHT | DT_TOP;
    DrawLabel(hwnd, dc, b, label, format, enabled);
}

void Draw(HWND hwnd, HDC dc, Button* b)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    UINT k = Kind(hwnd);
    if (k == BS_OWNERDRAW) {
        SendDrawItem(hwnd, dc, b, ODA_DRAWENTIRE);
        return;
    }
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    int saved = SaveDC(dc);
    SelectObject(dc, FontOrDefault(b->font));
    if (k == BS_GROUPBOX)
        DrawGroup(hwnd, dc, b, rc, enabled);
    else if (IsCheckKind(k) && !(StyleOf(hwnd) & BS_PUSHLIKE))
        DrawCheck(hwnd, dc, b, rc, enabled);
    else
        DrawPush(hwnd, dc, b, rc, enabled);
    RestoreDC(dc, saved);
}

LRESULT DlgCode(HWND hwnd)
{
    switch (Kind(hwnd)) {
    case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_PUSHBUTTON:
    case BS_USERBUTTON:
    case BS_PUSHBOX: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX: return DLGC_STATIC;
    default: return DLGC_BUTTON;
    }
}

bool Inside(HWND hwnd, LPARAM lParam)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    return PtInRect(&rc, pt) != FALSE;
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Button* b = StateOf<Button>(hwnd);
    if (!b && msg != WM_NCCREATE && msg != WM_CREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        if (!b)
            CreateState<Button>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        DestroyState<Button>(hwnd);
        return 0;
    case WM_GETDLGCODE: return DlgCode(hwnd);
    case WM_NCHITTEST:
        // A group box lets the mouse through to the controls it frames.
        if (Kind(hwnd) == BS_GROUPBOX)
            return HTTRANSPARENT;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        b->font = (HFONT)wParam;
        if (LOWORD(lParam))
            Redraw(hwnd);
        return 0;
    case WM_GETFONT: return (LRESULT)b->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, msg == WM_PRINTCLIENT ? wParam : wParam, [&](HDC dc) { Draw(hwnd, dc, b); });
        return 0;
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_STYLECHANGED: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        Redraw(hwnd);
        return r;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (Kind(hwnd) == BS_GROUPBOX)
            return 0;
        if (msg == WM_LBUTTONDBLCLK && (StyleOf(hwnd) & BS_NOTIFY) &&
            (IsRadio(Kind(hwnd)) || Kind(hwnd) == BS_OWNERDRAW)) {
            NotifyCommand(hwnd, BN_DOUBLECLICKED);
            return 0;
        }
        SetFocus(hwnd);
        SetCapture(hwnd);
        b->tracking = true;
        SetPushed(hwnd, b, true);
        return 0;
    case WM_MOUSEMOVE:
        if (b->tracking && GetCapture() == hwnd)
            SetPushed(hwnd, b, Inside(hwnd, lParam));
        return 0;
    case WM_LBUTTONUP: {
        if (!b->tracking)
            return 0;
        bool inside = Inside(hwnd, lParam);
        b->tracking = false;
        SetPushed(hwnd, b, false);
        if (GetCapture() == hwnd)
            ReleaseCapture();
        // Only a release over the button is a click; dragging off it cancels.
        if (inside)
            Clicked(hwnd, b);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (b->tracking && (HWND)lParam != hwnd) {
            b->tracking = false;
            SetPushed(hwnd, b, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && Kind(hwnd) != BS_GROUPBOX) {
            b->spaceDown = true;
            SetPushed(hwnd, b, true);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_KEYUP:
        if (wParam == VK_SPACE && b->spaceDown) {
            b->spaceDown = false;
            bool was = b->pushed;
            SetPushed(hwnd, b, false);
            if (was)
                Clicked(hwnd, b);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CHAR:
        return 0;
    case WM_SETFOCUS:
        b->focused = true;
        StateChanged(hwnd, b, ODA_FOCUS);
        if (StyleOf(hwnd) & BS_NOTIFY)
            NotifyCommand(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        b->focused = false;
        b->spaceDown = false;
        if (b->tracking) {
            b->tracking = false;
            if (GetCapture() == hwnd)
                ReleaseCapture();
        }
        SetPushed(hwnd, b, false);
        StateChanged(hwnd, b, ODA_FOCUS);
        if (StyleOf(hwnd) & BS_NOTIFY)
            NotifyCommand(hwnd, BN_KILLFOCUS);
        return 0;
    case BM_GETCHECK: return IsCheckKind(Kind(hwnd)) ? b->check : BST_UNCHECKED;
    case BM_SETCHECK: SetCheck(hwnd, b, (UINT)wParam); return 0;
    case BM_GETSTATE:
        return (IsCheckKind(Kind(hwnd)) ? b->check : 0) | (b->pushed ? BST_PUSHED : 0) | (b->focused ? BST_FOCUS : 0);
    case BM_SETSTATE: SetPushed(hwnd, b, wParam != 0); return 0;
    case BM_SETSTYLE: {
        LONG_PTR st = GetWindowLongPtrW(hwnd, GWL_STYLE);
        st = (st & ~(LONG_PTR)0xFFFF) | (LONG_PTR)(wParam & 0xFFFF);
        SetWindowLongPtrW(hwnd, GWL_STYLE, st);
        if (lParam)
            Redraw(hwnd);
        return 0;
    }
    case BM_CLICK: {
        if (!IsWindowEnabled(hwnd) || Kind(hwnd) == BS_GROUPBOX)
            return 0;
        // As a real click, so subclasses see the mouse messages.
        RECT rc;
        GetClientRect(hwnd, &rc);
        LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
        return 0;
    }
    case BM_GETIMAGE: return wParam == (WPARAM)b->imageType ? (LRESULT)b->image : 0;
    case BM_SETIMAGE: {
        if (wParam != IMAGE_BITMAP && wParam != IMAGE_ICON)
            return 0;
        HANDLE old = b->imageType == wParam ? b->image : nullptr;
        b->image = (HANDLE)lParam;
        b->imageType = wParam;
        Redraw(hwnd);
        return (LRESULT)old;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo ButtonClass()
{
    return {u"Button", ButtonProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
