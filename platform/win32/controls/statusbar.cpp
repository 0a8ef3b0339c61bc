// The msctls_statusbar32 window class: a bar of text parts along its parent's edge, with an optional size grip.
#include "win32/controls/control_util.h"

#include <algorithm>

namespace controls {

namespace {

// Borders the classic bar reports: none at the sides, 2 pixels above and below, 2 between parts.
const int kBorderX = 0;
const int kBorderY = 2;
const int kSpacing = 2;
const int kMaxParts = 256;
const WPARAM kSizeBottomRight = 8; // the WMSZ_ code of the bottom-right corner

struct Part {
    int right = -1;
    std::u16string text;
    UINT type = 0;
    LPARAM data = 0; // owner-drawn parts
    HICON icon = nullptr;
};

struct StatusBar {
    std::vector<Part> parts{Part{}};
    HFONT font = nullptr;
    int minHeight = 0;
    bool inLayout = false;
};

int GripSize()
{
    return GetSystemMetrics(SM_CXVSCROLL);
}

// The grip only resizes a window that can be resized, which a maximised one cannot.
bool GripActive(HWND hwnd)
{
    if (!(StyleOf(hwnd) & SBARS_SIZEGRIP))
        return false;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    return root && !IsZoomed(root);
}

RECT PartRect(HWND hwnd, const StatusBar* sb, size_t i)
{
    RECT client;
    GetClientRect(hwnd, &client);
    int left = i == 0 ? kBorderX : sb->parts[i - 1].right + kSpacing;
    if (i > 0 && sb->parts[i - 1].right < 0)
        left = client.right;
    int right = sb->parts[i].right;
    if (right < 0)
        right = client.right - ((StyleOf(hwnd) & SBARS_SIZEGRIP) ? GripSize() : 0);
    right = std::max(right, left);
    return RECT{left, kBorderY, right, client.bottom};
}

int TextHeight(HWND hwnd, HFONT font)
{
    HDC dc = GetDC(hwnd);
    if (!dc)
        return 16;
    HGDIOBJ old = SelectObject(dc, FontOrDefault(font));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return tm.tmHeight > 0 ? (int)tm.tmHeight : 16;
}

int BarHeight(HWND hwnd, const StatusBar* sb)
{
    return std::max(sb->minHeight, TextHeight(hwnd, sb->font) + 2) + 2 * kBorderY;
}

// Keeps the bar along its parent's bottom (or top) edge at its own height, unless its styles say not to.
void Layout(HWND hwnd, StatusBar* sb)
{
    DWORD style = StyleOf(hwnd);
    HWND parent = GetParent(hwnd);
    if (sb->inLayout || !parent || (style & WS_POPUP))
        return;
    sb->inLayout = true;
    RECT pc, wr;
    GetClientRect(parent, &pc);
    GetWindowRect(hwnd, &wr);
    POINT tl{wr.left, wr.top};
    ScreenToClient(parent, &tl);
    int w = wr.right - wr.left, h = wr.bottom - wr.top, x = tl.x, y = tl.y;
    if (!(style & CCS_NORESIZE)) {
        h = BarHeight(hwnd, sb);
        if (!(style & CCS_NOPARENTALIGN))
            w = pc.right;
    }
    if (!(style & CCS_NOPARENTALIGN)) {
        x = 0;
        if (!(style & CCS_NOMOVEY))
            y = (style & CCS_BOTTOM) == CCS_TOP ? 0 : pc.bottom - h;
    }
    SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    sb->inLayout = false;
}

void DrawGrip(HDC dc, RECT client)
{
    // Three pairs of diagonal strokes, light over dark, in the bottom-right corner.
    HBRUSH light = GetSysColorBrush(COLOR_3DHILIGHT), dark = GetSysColorBrush(COLOR_3DSHADOW);
    for (int k = 0; k < 3; ++k) {
        int off = 3 + 4 * k;
        for (int i = 0; i < off; ++i) {
            int x = client.right - off + i, y = client.bottom - 1 - i;
            RECT d1{x, y - 1, x + 1, y + 1}, d2{x + 1, y - 1, x + 2, y};
            FillRect(dc, &d1, dark);
            FillRect(dc, &d2, light);
        }
    }
}

void DrawPart(HWND hwnd, HDC dc, StatusBar* sb, size_t i)
{
    const Part& p = sb->parts[i];
    RECT rc = PartRect(hwnd, sb, i);
    if (rc.right <= rc.left)
        return;
    if (!(p.type & SBT_NOBORDERS)) {
        RECT e = rc;
        DrawEdge(dc, &e, (p.type & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    }
    RECT in = rc;
    InflateRect(&in, -1, -1);
    if (p.type & SBT_OWNERDRAW) {
        DRAWITEMSTRUCT dis{};
        dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
        dis.itemID = (UINT)i;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.hwndItem = hwnd;
        dis.hDC = dc;
        dis.rcItem = in;
        dis.itemData = (ULONG_PTR)p.data;
        if (HWND parent = GetParent(hwnd))
            SendMessageW(parent, WM_DRAWITEM, (WPARAM)dis.CtlID, (LPARAM)&dis);
        return;
    }
    in.left += 2;
    if (p.icon) {
        int s = GetSystemMetrics(SM_CXSMICON);
        DrawIconEx(dc, in.left, (in.top + in.bottom - s) / 2, p.icon, s, s, 0, nullptr, DI_NORMAL);
        in.left += s + 2;
    }
    // Tabs split the text into a left, a centred and a right-aligned piece.
    std::u16string pieces[3];
    int n = 0;
    for (char16_t ch : p.text) {
        if (ch == u'\t' && !(p.type & SBT_NOTABPARSING) && n < 2)
            ++n;
        else
            pieces[n] += ch;
    }
    const UINT align[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    for (int k = 0; k < 3; ++k)
        if (!pieces[k].empty())
            DrawTextW(dc, pieces[k].c_str(), (int)pieces[k].size(), &in,
                      align[k] | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Draw(HWND hwnd, HDC dc, StatusBar* sb)
{
    RECT client;
    GetClientRect(hwnd, &client);
    int saved = SaveDC(dc);
    FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    SelectObject(dc, FontOrDefault(sb->font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (size_t i = 0; i < sb->parts.size(); ++i)
        DrawPart(hwnd, dc, sb, i);
    if (StyleOf(hwnd) & SBARS_SIZEGRIP)
        DrawGrip(dc, client);
    RestoreDC(dc, saved);
}

void InvalidatePart(HWND hwnd, StatusBar* sb, size_t i)
{
    RECT rc = PartRect(hwnd, sb, i);
    InvalidateRect(hwnd, &rc, TRUE);
}

LRESULT SetText(HWND hwnd, StatusBar* sb, WPARAM wParam, LPARAM lParam)
{
    size_t i = wParam & 0xFF;
    if (i >= sb->parts.size())
        return FALSE;
    Part& p = sb->parts[i];
    p.type = (UINT)(wParam & 0xFF00);
    if (p.type & SBT_OWNERDRAW) {
        p.text.clear();
        p.data = lParam;
    } else {
        p.text = lParam ? std::u16string((LPCWSTR)lParam) : std::u16string();
        p.data = 0;
    }
    InvalidatePart(hwnd, sb, i);
    return TRUE;
}

LRESULT GetText(StatusBar* sb, WPARAM wParam, LPARAM lParam, bool copy)
{
    if (wParam >= sb->parts.size())
        return 0;
    const Part& p = sb->parts[wParam];
    if (p.type & SBT_OWNERDRAW)
        return copy ? p.data : 0;
    if (copy && lParam) {
        std::copy(p.text.begin(), p.text.end(), (WCHAR*)lParam);
        ((WCHAR*)lParam)[p.text.size()] = 0;
    }
    return MAKELONG(std::min<size_t>(p.text.size(), 0xFFFF), p.type);
}

LRESULT SetParts(HWND hwnd, StatusBar* sb, WPARAM count, LPARAM lParam)
{
    if (count == 0 || count > (WPARAM)kMaxParts || !lParam)
        return FALSE;
    const int* edges = (const int*)lParam;
    sb->parts.resize(count);
    for (size_t i = 0; i < count; ++i)
        sb->parts[i].right = edges[i];
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT HitTest(HWND hwnd, LPARAM lParam)
{
    if (GripActive(hwnd)) {
        POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        ScreenToClient(hwnd, &pt);
        RECT client;
        GetClientRect(hwnd, &client);
        RECT grip{client.right - GripSize(), client.top, client.right, client.bottom};
        if (PtInRect(&grip, pt))
            return HTBOTTOMRIGHT;
    }
    return DefWindowProcW(hwnd, WM_NCHITTEST, 0, lParam);
}

LRESULT CALLBACK StatusProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    StatusBar* sb = StateOf<StatusBar>(hwnd);
    if (!sb && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        if (!sb) {
            sb = CreateState<StatusBar>(hwnd);
            auto* cs = (CREATESTRUCTW*)lParam;
            if (cs->lpszName)
                sb->parts[0].text = cs->lpszName;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE: Layout(hwnd, sb); return 0;
    case WM_NCDESTROY:
        DestroyState<StatusBar>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        sb->font = (HFONT)wParam;
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)sb->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, sb); });
        return 0;
    case WM_SIZE:
        // Parents pass their own WM_SIZE on, which is the bar's cue to follow their new size.
        Layout(hwnd, sb);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_NCHITTEST: return HitTest(hwnd, lParam);
    case WM_NCLBUTTONDOWN:
        if (wParam == HTBOTTOMRIGHT && GripActive(hwnd)) {
            SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_SIZE + kSizeBottomRight, lParam);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETTEXT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        return SetText(hwnd, sb, 0, lParam);
    case WM_GETTEXTLENGTH: return sb->parts[0].type & SBT_OWNERDRAW ? 0 : (LRESULT)sb->parts[0].text.size();
    case WM_GETTEXT: {
        if (!lParam || !wParam || (sb->parts[0].type & SBT_OWNERDRAW))
            return 0;
        const std::u16string& t = sb->parts[0].text;
        size_t n = std::min(t.size(), (size_t)wParam - 1);
        std::copy(t.begin(), t.begin() + (ptrdiff_t)n, (WCHAR*)lParam);
        ((WCHAR*)lParam)[n] = 0;
        return (LRESULT)n;
    }
    case SB_SETTEXTW: return SetText(hwnd, sb, wParam, lParam);
    case SB_GETTEXTW: return GetText(sb, wParam, lParam, true);
    case SB_GETTEXTLENGTHW: return GetText(sb, wParam, 0, false);
    case SB_SETPARTS: return SetParts(hwnd, sb, wParam, lParam);
    case SB_GETPARTS:
        if (lParam)
            for (size_t i = 0; i < sb->parts.size() && i < wParam; ++i)
                ((int*)lParam)[i] = sb->parts[i].right;
        return (LRESULT)sb->parts.size();
    case SB_GETRECT:
        if (wParam >= sb->parts.size() || !lParam)
            return FALSE;
        *(RECT*)lParam = PartRect(hwnd, sb, wParam);
        return TRUE;
    case SB_GETBORDERS:
        if (!lParam)
            return FALSE;
        ((int*)lParam)[0] = kBorderX;
        ((int*)lParam)[1] = kBorderY;
        ((int*)lParam)[2] = kSpacing;
        return TRUE;
    case SB_SETMINHEIGHT:
        // Takes effect at the next layout, as the parent's next WM_SIZE brings.
        sb->minHeight = (int)std::min<WPARAM>(wParam, 0x7FFF);
        return 0;
    case SB_SETICON:
        if (wParam >= sb->parts.size())
            return FALSE;
        sb->parts[wParam].icon = (HICON)lParam;
        InvalidatePart(hwnd, sb, wParam);
        return TRUE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo StatusBarClass()
{
    return {u"msctls_statusbar32", StatusProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls

HWND CreateStatusWindowW(LONG style, LPCWSTR text, HWND parent, UINT id)
{
    return CreateWindowExW(0, u"msctls_statusbar32", text, (DWORD)style, 0, 0, 0, 0, parent, (HMENU)(ULONG_PTR)id,
                           nullptr, nullptr);
}
