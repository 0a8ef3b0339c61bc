// The SysTabControl32 window class: a single row of tabs above a framed pane.
#include "win32/controls/control_util.h"
#include "win32/controls/tab.h"

#include <algorithm>

namespace controls {

namespace {

struct TabItem {
    std::u16string text;
    int image = -1;
    LPARAM lParam = 0;
    DWORD state = 0;
};

struct Tabs {
    std::vector<TabItem> items;
    int cur = -1;
    HFONT font = nullptr;
    HIMAGELIST images = nullptr;
    int fontHeight = 13;
    int padX = 6, padY = 3;
    int fixedW = 0, fixedH = 0, minW = -1;
    bool focused = false, leftDown = false, rightDown = false;
};

Tabs* Get(HWND hwnd)
{
    return StateOf<Tabs>(hwnd);
}

LRESULT Notify(HWND hwnd, NMHDR* nm, UINT code)
{
    nm->hwndFrom = hwnd;
    nm->idFrom = (UINT_PTR)GetDlgCtrlID(hwnd);
    nm->code = code;
    HWND parent = GetParent(hwnd);
    return parent ? SendMessageW(parent, WM_NOTIFY, nm->idFrom, (LPARAM)nm) : 0;
}

LRESULT NotifySimple(HWND hwnd, UINT code)
{
    NMHDR nm{};
    return Notify(hwnd, &nm, code);
}

void MeasureFont(HWND hwnd, Tabs* t)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, t->font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    t->fontHeight = tm.tmHeight > 0 ? tm.tmHeight : 13;
}

SIZE ImageSize(const Tabs* t)
{
    int cx = 0, cy = 0;
    if (t->images)
        ImageList_GetIconSize(t->images, &cx, &cy);
    return {cx, cy};
}

// The height of the tab row; the pane starts below it.
int RowHeight(const Tabs* t)
{
    if (t->fixedH > 0)
        return t->fixedH;
    return std::max(t->fontHeight, (int)ImageSize(t).cy) + 2 * t->padY + 2;
}

int TextWidth(HWND hwnd, const Tabs* t, const std::u16string& s)
{
    if (s.empty())
        return 0;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, t->font);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, s.c_str(), (int)s.size(), &r, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return r.right - r.left;
}

// The rectangles of the tabs as they stand when not selected, left to right from x = 2.
std::vector<RECT> TabRects(HWND hwnd, const Tabs* t)
{
    std::vector<RECT> out;
    int x = 2, h = RowHeight(t);
    SIZE img = ImageSize(t);
    for (const TabItem& i : t->items) {
        int w;
        if (StyleOf(hwnd) & TCS_FIXEDWIDTH && t->fixedW > 0) {
            w = t->fixedW;
        } else {
            w = 2 * t->padX + TextWidth(hwnd, t, i.text);
            if (i.image >= 0 && img.cx)
                w += img.cx + t->padX;
            int minW = t->minW >= 0 ? t->minW : 42;
            w = std::max(w, minW);
        }
        out.push_back({x, 2, x + w, h});
        x += w;
    }
    return out;
}

RECT Pane(HWND hwnd, const Tabs* t)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    rc.top = RowHeight(t);
    return rc;
}

void AdjustRect(const Tabs* t, BOOL larger, RECT* rc)
{
    int h = RowHeight(t);
    if (larger) {
        rc->left -= 4;
        rc->right += 4;
        rc->bottom += 4;
        rc->top -= h + 2;
    } else {
        rc->left += 4;
        rc->right -= 4;
        rc->bottom -= 4;
        rc->top += h + 2;
    }
}

int HitItem(HWND hwnd, const Tabs* t, POINT pt, UINT* flags)
{
    auto rects = TabRects(hwnd, t);
    for (size_t i = 0; i < rects.size(); ++i) {
        RECT r = rects[i];
        if ((int)i == t->cur)
            InflateRect(&r, 2, 2);
        if (PtInRect(&r, pt)) {
            if (flags) {
                SIZE img = ImageSize(t);
                bool onIcon = t->items[i].image >= 0 && img.cx && pt.x < r.left + t->padX + img.cx;
                *flags = onIcon ? TCHT_ONITEMICON : TCHT_ONITEMLABEL;
            }
            return (int)i;
        }
    }
    if (flags)
        *flags = TCHT_NOWHERE;
    return -1;
}

// A change of selection by the user, which the parent may refuse.
void UserSelect(HWND hwnd, Tabs* t, int index)
{
    if (index < 0 || index >= (int)t->items.size() || index == t->cur)
        return;
    if (NotifySimple(hwnd, TCN_SELCHANGING))
        return;
    t->cur = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifySimple(hwnd, TCN_SELCHANGE);
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c)
{
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawTab(HWND hwnd, Tabs* t, HDC dc, int index, RECT r, bool selected)
{
    COLORREF hi = GetSysColor(COLOR_3DHILIGHT), sh = GetSysColor(COLOR_3DSHADOW), dk = GetSysColor(COLOR_3DDKSHADOW);
    RECT face{r.left + 1, r.top + 1, r.right - 1, r.bottom + (selected ? 1 : 0)};
    FillRect(dc, &face, GetSysColorBrush(COLOR_3DFACE));
    Line(dc, r.left, r.bottom, r.left, r.top + 2, hi);
    Line(dc, r.left, r.top + 2, r.left + 2, r.top, hi);
    Line(dc, r.left + 2, r.top, r.right - 2, r.top, hi);
    Line(dc, r.right - 2, r.top + 1, r.right - 2, r.bottom, sh);
    Line(dc, r.right - 2, r.top + 1, r.right - 1, r.top + 2, dk);
    Line(dc, r.right - 1, r.top + 2, r.right - 1, r.bottom, dk);
    const TabItem& it = t->items[(size_t)index];
    int x = r.left + t->padX;
    SIZE img = ImageSize(t);
    if (it.image >= 0 && t->images) {
        ImageList_Draw(t->images, it.image, dc, x, (r.top + r.bottom - img.cy) / 2, ILD_TRANSPARENT);
        x += img.cx + t->padX;
    }
    RECT text{x, r.top, r.right - t->padX, r.bottom};
    if (!(it.image >= 0 && t->images))
        text.left = r.left;
    if (!(it.image >= 0 && t->images))
        text.right = r.right;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, it.text.c_str(), (int)it.text.size(), &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    if (selected && t->focused && !(StyleOf(hwnd) & TCS_FOCUSNEVER)) {
        RECT f = r;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}

void PaintTabs(HWND hwnd, Tabs* t, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    RECT pane = Pane(hwnd, t);
    DrawEdge(dc, &pane, EDGE_RAISED, BF_RECT);
    HGDIOBJ oldFont = SelectObject(dc, t->font);
    auto rects = TabRects(hwnd, t);
    for (size_t i = 0; i < rects.size(); ++i)
        if ((int)i != t->cur)
            DrawTab(hwnd, t, dc, (int)i, rects[i], false);
    if (t->cur >= 0 && t->cur < (int)rects.size()) {
        RECT r = rects[(size_t)t->cur];
        r.left -= 2;
        r.right += 2;
        r.top -= 2;
        // The selected tab opens into the pane: its face covers the pane's top edge below it.
        DrawTab(hwnd, t, dc, t->cur, r, true);
    }
    SelectObject(dc, oldFont);
}

BOOL GetItem(const Tabs* t, int index, TCITEMW* it)
{
    if (!it || index < 0 || index >= (int)t->items.size())
        return FALSE;
    const TabItem& i = t->items[(size_t)index];
    if ((it->mask & TCIF_TEXT) && it->pszText && it->cchTextMax > 0) {
        size_t n = std::min(i.text.size(), (size_t)it->cchTextMax - 1);
        std::copy(i.text.begin(), i.text.begin() + (ptrdiff_t)n, it->pszText);
        it->pszText[n] = 0;
    }
    if (it->mask & TCIF_IMAGE)
        it->iImage = i.image;
    if (it->mask & TCIF_PARAM)
        it->lParam = i.lParam;
    if (it->mask & TCIF_STATE)
        it->dwState = i.state & it->dwStateMask;
    return TRUE;
}

void SetFields(TabItem& i, const TCITEMW* it)
{
    if (it->mask & TCIF_TEXT)
        i.text = it->pszText && it->pszText != LPSTR_TEXTCALLBACKW ? std::u16string(it->pszText) : std::u16string();
    if (it->mask & TCIF_IMAGE)
        i.image = it->iImage;
    if (it->mask & TCIF_PARAM)
        i.lParam = it->lParam;
    if (it->mask & TCIF_STATE)
        i.state = (i.state & ~it->dwStateMask) | (it->dwState & it->dwStateMask);
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Tabs* t = Get(hwnd);
    if (!t && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        t = CreateState<Tabs>(hwnd);
        t->font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE: MeasureFont(hwnd, t); return 0;
    case WM_NCDESTROY:
        DestroyState<Tabs>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        t->font = wParam ? (HFONT)wParam : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        MeasureFont(hwnd, t);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)t->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: Paint(hwnd, wParam, [&](HDC dc) { PaintTabs(hwnd, t, dc); }); return 0;
    case WM_SIZE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        t->focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifySimple(hwnd, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if ((StyleOf(hwnd) & TCS_FOCUSONBUTTONDOWN) && GetFocus() != hwnd)
            SetFocus(hwnd);
        t->leftDown = true;
        UserSelect(hwnd, t, HitItem(hwnd, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, nullptr));
        return 0;
    }
    case WM_LBUTTONUP:
        if (t->leftDown) {
            t->leftDown = false;
            NotifySimple(hwnd, NM_CLICK);
        }
        return 0;
    case WM_RBUTTONDOWN: t->rightDown = true; return 0;
    case WM_RBUTTONUP:
        if (t->rightDown) {
            t->rightDown = false;
            NotifySimple(hwnd, NM_RCLICK);
        }
        return 0;
    case WM_KEYDOWN: {
        NMTCKEYDOWN kd{};
        kd.wVKey = (WORD)wParam;
        Notify(hwnd, &kd.hdr, TCN_KEYDOWN);
        int n = (int)t->items.size();
        switch (wParam) {
        case VK_LEFT: UserSelect(hwnd, t, t->cur - 1); break;
        case VK_RIGHT: UserSelect(hwnd, t, t->cur + 1); break;
        case VK_HOME: UserSelect(hwnd, t, 0); break;
        case VK_END: UserSelect(hwnd, t, n - 1); break;
        }
        return 0;
    }

    case TCM_GETITEMCOUNT: return (LRESULT)t->items.size();
    case TCM_INSERTITEMW: {
        auto* it = (const TCITEMW*)lParam;
        if (!it || (int)wParam < 0)
            return -1;
        size_t at = std::min((size_t)wParam, t->items.size());
        TabItem item;
        SetFields(item, it);
        t->items.insert(t->items.begin() + (ptrdiff_t)at, std::move(item));
        if (t->cur < 0)
            t->cur = 0;
        else if ((int)at <= t->cur && t->items.size() > 1)
            ++t->cur;
        InvalidateRect(hwnd, nullptr, TRUE);
        return (LRESULT)at;
    }
    case TCM_DELETEITEM: {
        int i = (int)wParam;
        if (i < 0 || i >= (int)t->items.size())
            return FALSE;
        t->items.erase(t->items.begin() + i);
        if (i == t->cur)
            t->cur = -1;
        else if (i < t->cur)
            --t->cur;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        t->items.clear();
        t->cur = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_GETITEMW: return GetItem(t, (int)wParam, (TCITEMW*)lParam);
    case TCM_SETITEMW: {
        int i = (int)wParam;
        if (!lParam || i < 0 || i >= (int)t->items.size())
            return FALSE;
        SetFields(t->items[(size_t)i], (const TCITEMW*)lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS: return t->cur;
    case TCM_SETCURSEL: {
        int i = (int)wParam, old = t->cur;
        if (i < 0 || i >= (int)t->items.size())
            return -1;
        t->cur = i;
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case TCM_SETCURFOCUS: UserSelect(hwnd, t, (int)wParam); return 0;
    case TCM_GETITEMRECT: {
        auto rects = TabRects(hwnd, t);
        int i = (int)wParam;
        if (!lParam || i < 0 || i >= (int)rects.size())
            return FALSE;
        *(RECT*)lParam = rects[(size_t)i];
        return TRUE;
    }
    case TCM_HITTEST: {
        auto* hti = (TCHITTESTINFO*)lParam;
        if (!hti)
            return -1;
        return HitItem(hwnd, t, hti->pt, &hti->flags);
    }
    case TCM_ADJUSTRECT:
        if (lParam)
            AdjustRect(t, (BOOL)wParam, (RECT*)lParam);
        return 0;
    case TCM_SETITEMSIZE: {
        LRESULT old = MAKELONG(t->fixedW, RowHeight(t));
        t->fixedW = LOWORD(lParam);
        t->fixedH = HIWORD(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case TCM_SETPADDING:
        t->padX = LOWORD(lParam);
        t->padY = HIWORD(lParam);
        return 0;
    case TCM_SETMINTABWIDTH: {
        int old = t->minW >= 0 ? t->minW : 42;
        t->minW = (int)lParam;
        return old;
    }
    case TCM_GETROWCOUNT: return t->items.empty() ? 0 : 1;
    case TCM_SETITEMEXTRA: return t->items.empty() ? TRUE : FALSE;
    case TCM_GETIMAGELIST: return (LRESULT)t->images;
    case TCM_SETIMAGELIST: {
        HIMAGELIST old = t->images;
        t->images = (HIMAGELIST)lParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return (LRESULT)old;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

ClassInfo TabClass()
{
    return {WC_TABCONTROLW, TabProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
