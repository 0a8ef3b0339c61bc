// The STATIC window class: text, icons, bitmaps, rectangles, frames, etched lines and owner-draw.
#include "win32/controls/control_util.h"
#include "win32/resources.h"

namespace controls {

namespace {

struct Static {
    HFONT font = nullptr;
    HANDLE image = nullptr;
    UINT imageType = IMAGE_ICON;
};

UINT Kind(HWND hwnd)
{
    return StyleOf(hwnd) & SS_TYPEMASK;
}

bool IsTextKind(UINT k)
{
    return k == SS_LEFT || k == SS_CENTER || k == SS_RIGHT || k == SS_SIMPLE || k == SS_LEFTNOWORDWRAP;
}

UINT TextFormat(DWORD style)
{
    UINT k = style & SS_TYPEMASK;
    UINT f = DT_EXPANDTABS;
    switch (k) {
    case SS_CENTER: f |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: f |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_SIMPLE: f = DT_SINGLELINE | DT_NOCLIP; break;
    case SS_LEFTNOWORDWRAP: break;
    default: f |= DT_WORDBREAK; break;
    }
    if (style & SS_NOPREFIX)
        f |= DT_NOPREFIX;
    switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS: f = (f & ~(UINT)DT_WORDBREAK) | DT_SINGLELINE | DT_END_ELLIPSIS; break;
    case SS_PATHELLIPSIS: f = (f & ~(UINT)DT_WORDBREAK) | DT_SINGLELINE | DT_PATH_ELLIPSIS; break;
    case SS_WORDELLIPSIS: f = (f & ~(UINT)DT_WORDBREAK) | DT_SINGLELINE | DT_WORD_ELLIPSIS; break;
    }
    if (style & SS_CENTERIMAGE)
        f = (f & ~(UINT)DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    return f;
}

SIZE ImageSize(HANDLE image, UINT type)
{
    SIZE s{0, 0};
    if (!image)
        return s;
    if (type == IMAGE_BITMAP) {
        BITMAP bm{};
        if (GetObjectW(image, sizeof bm, &bm))
            s = {bm.bmWidth, bm.bmHeight};
        return s;
    }
    ICONINFO ii{};
    if (GetIconInfo((HICON)image, &ii)) {
        BITMAP bm{};
        GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
        s = {bm.bmWidth, ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
        if (ii.hbmColor)
            DeleteObject(ii.hbmColor);
        if (ii.hbmMask)
            DeleteObject(ii.hbmMask);
    }
    return s;
}

void DrawImage(HWND hwnd, HDC dc, Static* s, RECT rc)
{
    HBRUSH br = ControlColor(hwnd, dc, WM_CTLCOLORSTATIC);
    if (br)
        FillRect(dc, &rc, br);
    if (!s->image)
        return;
    SIZE sz = ImageSize(s->image, s->imageType);
    int x = rc.left, y = rc.top;
    if (StyleOf(hwnd) & SS_CENTERIMAGE) {
        x = (rc.left + rc.right - sz.cx) / 2;
        y = (rc.top + rc.bottom - sz.cy) / 2;
    }
    if (s->imageType == IMAGE_BITMAP) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, s->image);
        BitBlt(dc, x, y, sz.cx, sz.cy, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    } else {
        DrawIconEx(dc, x, y, (HICON)s->image, sz.cx, sz.cy, 0, nullptr, DI_NORMAL);
    }
}

void DrawText(HWND hwnd, HDC dc, Static* s, RECT rc)
{
    DWORD style = StyleOf(hwnd);
    HBRUSH br = ControlColor(hwnd, dc, WM_CTLCOLORSTATIC);
    // A parent answering with no brush keeps what is behind the control.
    if (br && (style & SS_TYPEMASK) != SS_SIMPLE)
        FillRect(dc, &rc, br);
    if (!IsWindowEnabled(hwnd))
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    std::u16string text = WindowText(hwnd);
    if (text.empty())
        return;
    if ((style & SS_TYPEMASK) == SS_SIMPLE && br) {
        // Simple statics paint their background only behind the text line.
        RECT line = rc;
        DrawTextW(dc, text.c_str(), (int)text.size(), &line, DT_SINGLELINE | DT_CALCRECT);
        line.right = rc.right;
        FillRect(dc, &line, br);
    }
    DrawTextW(dc, text.c_str(), (int)text.size(), &rc, TextFormat(style));
}

void Draw(HWND hwnd, HDC dc, Static* s)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    UINT k = Kind(hwnd);
    if (k == SS_OWNERDRAW) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_STATIC;
        dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED;
        dis.hwndItem = hwnd;
        dis.hDC = dc;
        dis.rcItem = rc;
        HWND parent = GetParent(hwnd);
        if (parent)
            SendMessageW(parent, WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
        return;
    }
    int saved = SaveDC(dc);
    SelectObject(dc, FontOrDefault(s->font));
    switch (k) {
    case SS_BLACKRECT: FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYRECT: FillRect(dc, &rc, GetSysColorBrush(COLOR_BACKGROUND)); break;
    case SS_WHITERECT: FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_BLACKFRAME: FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYFRAME: FrameRect(dc, &rc, GetSysColorBrush(COLOR_BACKGROUND)); break;
    case SS_WHITEFRAME: FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_ETCHEDHORZ: DrawEdge(dc, &rc, EDGE_ETCHED, BF_TOP); break;
    case SS_ETCHEDVERT: DrawEdge(dc, &rc, EDGE_ETCHED, BF_LEFT); break;
    case SS_ETCHEDFRAME: DrawEdge(dc, &rc, EDGE_ETCHED, BF_RECT); break;
    case SS_ICON:
    case SS_BITMAP: DrawImage(hwnd, dc, s, rc); break;
    default:
        if (IsTextKind(k))
            DrawText(hwnd, dc, s, rc);
        break;
    }
    RestoreDC(dc, saved);
}

// Sets the picture; returns the previous one of that type.
HANDLE SetImage(HWND hwnd, Static* s, UINT type, HANDLE image)
{
    UINT k = Kind(hwnd);
    bool fits = (k == SS_ICON && (type == IMAGE_ICON || type == IMAGE_CURSOR)) || (k == SS_BITMAP && type == IMAGE_BITMAP);
    if (!fits)
        return nullptr;
    HANDLE old = s->image;
    s->image = image;
    s->imageType = type == IMAGE_CURSOR ? IMAGE_ICON : type;
    // Without SS_CENTERIMAGE or SS_REALSIZECONTROL the control takes the picture's size.
    if (image && !(StyleOf(hwnd) & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) {
        SIZE sz = ImageSize(image, s->imageType);
        if (sz.cx > 0 && sz.cy > 0)
            SetWindowPos(hwnd, nullptr, 0, 0, sz.cx, sz.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Static* s = StateOf<Static>(hwnd);
    if (!s && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        if (!s)
            CreateState<Static>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE: {
        // An icon or bitmap static names its picture by its window text.
        const CREATESTRUCTW* cs = (const CREATESTRUCTW*)lParam;
        UINT k = Kind(hwnd);
        if ((k == SS_ICON || k == SS_BITMAP) && cs->lpszName && (IS_INTRESOURCE(cs->lpszName) || cs->lpszName[0])) {
            UINT type = k == SS_ICON ? IMAGE_ICON : IMAGE_BITMAP;
            HANDLE img = LoadImageW(cs->hInstance, cs->lpszName, type, 0, 0, k == SS_ICON ? LR_DEFAULTSIZE : 0);
            if (img)
                SetImage(hwnd, s, type, img);
        }
        return 0;
    }
    case WM_NCDESTROY: DestroyState<Static>(hwnd); return 0;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_NCHITTEST:
        // Clicks go through to what lies below unless the owner asked to hear them.
        return (StyleOf(hwnd) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
        if (StyleOf(hwnd) & SS_NOTIFY)
            NotifyCommand(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (StyleOf(hwnd) & SS_NOTIFY)
            NotifyCommand(hwnd, STN_DBLCLK);
        return 0;
    case WM_ENABLE:
        if (StyleOf(hwnd) & SS_NOTIFY)
            NotifyCommand(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        s->font = (HFONT)wParam;
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)s->font;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, s); }); return 0;
    case STM_SETICON: return (LRESULT)SetImage(hwnd, s, IMAGE_ICON, (HANDLE)wParam);
    case STM_GETICON: return s->imageType == IMAGE_ICON ? (LRESULT)s->image : 0;
    case STM_SETIMAGE: return (LRESULT)SetImage(hwnd, s, (UINT)wParam, (HANDLE)lParam);
    case STM_GETIMAGE: return s->imageType == (wParam == IMAGE_CURSOR ? IMAGE_ICON : wParam) ? (LRESULT)s->image : 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo StaticClass()
{
    return {u"Static", StaticProc, CS_DBLCLKS, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
