// The ReBarWindow32 window class: bands in rows, each with a gripper, a title and a child window.
#include "win32/controls/control_util.h"
#include "win32/controls/rebar.h"

#include <algorithm>
#include <cstring>

namespace controls {

namespace {

constexpr int kGripper = 7;     // the gripper and the gap after it
constexpr int kBandGap = 2;     // the border drawn between bands with RBS_BANDBORDERS
constexpr int kChildEdge = 2;   // room around a child with RBBS_CHILDEDGE
constexpr int kMinRowHeight = 4;

struct Band {
    UINT style = 0;
    COLORREF fore = CLR_DEFAULT, back = CLR_DEFAULT;
    std::u16string text;
    int image = -1;
    HWND child = nullptr;
    UINT cxMinChild = 0, cyMinChild = 0, cx = 0;
    HBITMAP background = nullptr;
    UINT id = 0;
    UINT cyChild = 0, cyMaxChild = 0, cyIntegral = 0, cxIdeal = 0;
    LPARAM lParam = 0;
    UINT cxHeader = 0;
    bool headerSet = false;
    RECT rect{0, 0, 0, 0}; // from the last layout, in client coordinates
    int row = 0;
};

struct Rebar {
    std::vector<Band> bands;
    HIMAGELIST images = nullptr;
    HFONT font = nullptr;
    HWND notify = nullptr;
    COLORREF bk = CLR_DEFAULT, text = CLR_DEFAULT;
    std::vector<int> rowHeights;
    int height = 0;
    bool laying = false;
};

Rebar* Get(HWND hwnd)
{
    return StateOf<Rebar>(hwnd);
}

HWND Target(HWND hwnd, const Rebar* r)
{
    return r->notify ? r->notify : GetParent(hwnd);
}

LRESULT Notify(HWND hwnd, Rebar* r, NMHDR* nm, UINT code)
{
    nm->hwndFrom = hwnd;
    nm->idFrom = (UINT_PTR)GetDlgCtrlID(hwnd);
    nm->code = code;
    HWND to = Target(hwnd, r);
    return to ? SendMessageW(to, WM_NOTIFY, nm->idFrom, (LPARAM)nm) : 0;
}

int TextWidth(HWND hwnd, Rebar* r, const std::u16string& s)
{
    if (s.empty())
        return 0;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, r->font);
    SIZE sz{};
    GetTextExtentPoint32W(dc, s.c_str(), (int)s.size(), &sz);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return sz.cx;
}

bool HasGripper(const Rebar* r, const Band& b)
{
    if (b.style & RBBS_NOGRIPPER)
        return false;
    if (b.style & RBBS_GRIPPERALWAYS)
        return true;
    if (b.style & RBBS_FIXEDSIZE)
        return false;
    int shown = 0;
    for (const Band& x : r->bands)
        shown += !(x.style & RBBS_HIDDEN);
    return shown > 1;
}

// The part of a band before its child: gripper, image and title.
int HeaderWidth(HWND hwnd, Rebar* r, const Band& b)
{
    if (b.headerSet)
        return (int)b.cxHeader;
    int w = HasGripper(r, b) ? kGripper : 2;
    int cx = 0, cy = 0;
    if (b.image >= 0 && r->images && ImageList_GetIconSize(r->images, &cx, &cy))
        w += cx + 2;
    if (!b.text.empty() && !(b.style & RBBS_HIDETITLE))
        w += TextWidth(hwnd, r, b.text) + 4;
    return w;
}

int BandHeight(const Band& b)
{
    int h = (int)b.cyMinChild;
    if (b.style & RBBS_VARIABLEHEIGHT)
        h = std::max(h, (int)b.cyChild);
    if (b.style & RBBS_CHILDEDGE)
        h += 2 * kChildEdge;
    return std::max(h, kMinRowHeight);
}

void Layout(HWND hwnd, Rebar* r)
{
    if (r->laying)
        return;
    r->laying = true;
    RECT client;
    GetClientRect(hwnd, &client);
    int width = client.right - client.left;
    bool borders = (StyleOf(hwnd) & RBS_BANDBORDERS) != 0;
    std::vector<std::vector<size_t>> rows;
    for (size_t i = 0; i < r->bands.size(); ++i) {
        Band& b = r->bands[i];
        if (b.style & RBBS_HIDDEN) {
            b.rect = {0, 0, 0, 0};
            continue;
        }
        if (rows.empty() || (b.style & RBBS_BREAK))
            rows.emplace_back();
        rows.back().push_back(i);
    }
    r->rowHeights.clear();
    int y = 0;
    for (size_t ri = 0; ri < rows.size(); ++ri) {
        auto& row = rows[ri];
        int h = 0;
        for (size_t i : row)
            h = std::max(h, BandHeight(r->bands[i]));
        int x = 0;
        for (size_t k = 0; k < row.size(); ++k) {
            Band& b = r->bands[row[k]];
            int minW = HeaderWidth(hwnd, r, b) + (int)b.cxMinChild + ((b.style & RBBS_CHILDEDGE) ? 2 * kChildEdge : 0);
            int w = std::max(minW, (int)b.cx);
            // The last band of a row takes what is left of it.
            if (k + 1 == row.size())
                w = std::max(minW, width - x);
            b.rect = {x, y, x + w, y + h};
            b.row = (int)ri;
            x += w + (borders ? kBandGap : 0);
        }
        r->rowHeights.push_back(h);
        y += h + (borders && ri + 1 < rows.size() ? kBandGap : 0);
    }
    for (Band& b : r->bands) {
        if (!b.child)
            continue;
        if (b.style & RBBS_HIDDEN) {
            ShowWindow(b.child, SW_HIDE);
            continue;
        }
        RECT c = b.rect;
        c.left += HeaderWidth(hwnd, r, b);
        if (b.style & RBBS_CHILDEDGE)
            InflateRect(&c, -kChildEdge, -kChildEdge);
        int ch = (int)std::max(b.cyMinChild, (b.style & RBBS_VARIABLEHEIGHT) ? b.cyChild : 0u);
        int top = c.top + std::max(0, (int)(c.bottom - c.top - ch) / 2);
        SetWindowPos(b.child, nullptr, c.left, top, std::max<LONG>(0, c.right - c.left), ch,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    int newHeight = y;
    r->laying = false;
    if (newHeight != r->height) {
        r->height = newHeight;
        DWORD style = StyleOf(hwnd);
        if (!(style & CCS_NORESIZE)) {
            RECT wr;
            GetWindowRect(hwnd, &wr);
            RECT want{0, 0, 0, newHeight};
            AdjustWindowRectEx(&want, style, FALSE, (DWORD)GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
            HWND parent = GetParent(hwnd);
            if (!(style & CCS_NOPARENTALIGN) && parent) {
                RECT pc;
                GetClientRect(parent, &pc);
                int h = want.bottom - want.top;
                int top = (style & CCS_BOTTOM) == CCS_BOTTOM ? pc.bottom - h : 0;
                SetWindowPos(hwnd, nullptr, 0, top, pc.right - pc.left, h, SWP_NOZORDER | SWP_NOACTIVATE);
            } else {
                SetWindowPos(hwnd, nullptr, 0, 0, wr.right - wr.left, want.bottom - want.top,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        NMHDR nm{};
        Notify(hwnd, r, &nm, RBN_HEIGHTCHANGE);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Copies the fields a caller's structure holds: only those inside its stated size exist.
template <class F>
bool Has(const REBARBANDINFOW* bi, UINT mask, F REBARBANDINFOW::*field)
{
    size_t end = (size_t)((const char*)&(bi->*field) - (const char*)bi) + sizeof(F);
    return (bi->fMask & mask) && bi->cbSize >= end;
}

bool ValidInfo(const REBARBANDINFOW* bi)
{
    return bi && bi->cbSize >= REBARBANDINFOW_V3_SIZE && bi->cbSize <= 4096;
}

void SetFields(Band& b, const REBARBANDINFOW* bi)
{
    if (Has(bi, RBBIM_STYLE, &REBARBANDINFOW::fStyle))
        b.style = bi->fStyle;
    if (Has(bi, RBBIM_COLORS, &REBARBANDINFOW::clrBack)) {
        b.fore = bi->clrFore;
        b.back = bi->clrBack;
    }
    if (Has(bi, RBBIM_TEXT, &REBARBANDINFOW::lpText))
        b.text = bi->lpText && bi->lpText != LPSTR_TEXTCALLBACKW ? std::u16string(bi->lpText) : std::u16string();
    if (Has(bi, RBBIM_IMAGE, &REBARBANDINFOW::iImage))
        b.image = bi->iImage;
    if (Has(bi, RBBIM_CHILD, &REBARBANDINFOW::hwndChild))
        b.child = bi->hwndChild;
    if (Has(bi, RBBIM_CHILDSIZE, &REBARBANDINFOW::cyMinChild)) {
        b.cxMinChild = bi->cxMinChild;
        b.cyMinChild = bi->cyMinChild;
        if (bi->cbSize >= REBARBANDINFOW_V3_SIZE + 4 * sizeof(UINT)) {
            b.cyChild = bi->cyChild;
            b.cyMaxChild = bi->cyMaxChild;
            b.cyIntegral = bi->cyIntegral;
        }
    }
    if (Has(bi, RBBIM_SIZE, &REBARBANDINFOW::cx))
        b.cx = bi->cx;
    if (Has(bi, RBBIM_BACKGROUND, &REBARBANDINFOW::hbmBack))
        b.background = bi->hbmBack;
    if (Has(bi, RBBIM_ID, &REBARBANDINFOW::wID))
        b.id = bi->wID;
    if (Has(bi, RBBIM_IDEALSIZE, &REBARBANDINFOW::cxIdeal))
        b.cxIdeal = bi->cxIdeal;
    if (Has(bi, RBBIM_LPARAM, &REBARBANDINFOW::lParam))
        b.lParam = bi->lParam;
    if (Has(bi, RBBIM_HEADERSIZE, &REBARBANDINFOW::cxHeader)) {
        b.cxHeader = bi->cxHeader;
        b.headerSet = true;
    }
}

void GetFields(HWND hwnd, Rebar* r, const Band& b, REBARBANDINFOW* bi)
{
    if (Has(bi, RBBIM_STYLE, &REBARBANDINFOW::fStyle))
        bi->fStyle = b.style;
    if (Has(bi, RBBIM_COLORS, &REBARBANDINFOW::clrBack)) {
        bi->clrFore = b.fore;
        bi->clrBack = b.back;
    }
    if (Has(bi, RBBIM_TEXT, &REBARBANDINFOW::cch) && bi->lpText && bi->cch > 0) {
        size_t n = std::min(b.text.size(), (size_t)bi->cch - 1);
        std::copy(b.text.begin(), b.text.begin() + (ptrdiff_t)n, bi->lpText);
        bi->lpText[n] = 0;
    }
    if (Has(bi, RBBIM_IMAGE, &REBARBANDINFOW::iImage))
        bi->iImage = b.image;
    if (Has(bi, RBBIM_CHILD, &REBARBANDINFOW::hwndChild))
        bi->hwndChild = b.child;
    if (Has(bi, RBBIM_CHILDSIZE, &REBARBANDINFOW::cyMinChild)) {
        bi->cxMinChild = b.cxMinChild;
        bi->cyMinChild = b.cyMinChild;
        if (bi->cbSize >= REBARBANDINFOW_V3_SIZE + 4 * sizeof(UINT)) {
            bi->cyChild = b.cyChild;
            bi->cyMaxChild = b.cyMaxChild;
            bi->cyIntegral = b.cyIntegral;
        }
    }
    if (Has(bi, RBBIM_SIZE, &REBARBANDINFOW::cx))
        bi->cx = b.style & RBBS_HIDDEN ? b.cx : (UINT)(b.rect.right - b.rect.left);
    if (Has(bi, RBBIM_BACKGROUND, &REBARBANDINFOW::hbmBack))
        bi->hbmBack = b.background;
    if (Has(bi, RBBIM_ID, &REBARBANDINFOW::wID))
        bi->wID = b.id;
    if (Has(bi, RBBIM_IDEALSIZE, &REBARBANDINFOW::cxIdeal))
        bi->cxIdeal = b.cxIdeal;
    if (Has(bi, RBBIM_LPARAM, &REBARBANDINFOW::lParam))
        bi->lParam = b.lParam;
    if (Has(bi, RBBIM_HEADERSIZE, &REBARBANDINFOW::cxHeader))
        bi->cxHeader = (UINT)HeaderWidth(hwnd, r, b);
}

bool DeleteBand(HWND hwnd, Rebar* r, size_t index)
{
    if (index >= r->bands.size())
        return false;
    NMREBAR nm{};
    nm.dwMask = RBNM_ID | RBNM_STYLE | RBNM_LPARAM;
    nm.uBand = (UINT)index;
    nm.fStyle = r->bands[index].style;
    nm.wID = r->bands[index].id;
    nm.lParam = r->bands[index].lParam;
    Notify(hwnd, r, &nm.hdr, RBN_DELETINGBAND);
    if (index >= r->bands.size())
        return false;
    // The child stays the caller's; it is only hidden, as it no longer has a place.
    if (HWND child = r->bands[index].child; child && IsWindow(child))
        ShowWindow(child, SW_HIDE);
    r->bands.erase(r->bands.begin() + (ptrdiff_t)index);
    Notify(hwnd, r, &nm.hdr, RBN_DELETEDBAND);
    Layout(hwnd, r);
    return true;
}

void DrawBands(HWND hwnd, Rebar* r, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    COLORREF bk = r->bk == CLR_DEFAULT ? GetSysColor(COLOR_3DFACE) : r->bk;
    HBRUSH brush = CreateSolidBrush(bk);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    bool borders = (StyleOf(hwnd) & RBS_BANDBORDERS) != 0;
    HGDIOBJ oldFont = SelectObject(dc, r->font);
    SetBkMode(dc, TRANSPARENT);
    for (const Band& b : r->bands) {
        if (b.style & RBBS_HIDDEN)
            continue;
        RECT rc = b.rect;
        if (b.back != CLR_DEFAULT) {
            HBRUSH bb = CreateSolidBrush(b.back);
            FillRect(dc, &rc, bb);
            DeleteObject(bb);
        }
        if (borders) {
            RECT edge{rc.right, rc.top, rc.right + kBandGap, rc.bottom};
            DrawEdge(dc, &edge, EDGE_ETCHED, BF_LEFT);
            RECT under{rc.left, rc.bottom, rc.right + kBandGap, rc.bottom + kBandGap};
            DrawEdge(dc, &under, EDGE_ETCHED, BF_TOP);
        }
        int x = rc.left + 2;
        if (HasGripper(r, b)) {
            RECT grip{rc.left + 2, rc.top + 2, rc.left + 5, rc.bottom - 2};
            DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
            x = rc.left + kGripper;
        }
        int cx = 0, cy = 0;
        if (b.image >= 0 && r->images && ImageList_GetIconSize(r->images, &cx, &cy)) {
            ImageList_Draw(r->images, b.image, dc, x, (rc.top + rc.bottom - cy) / 2, ILD_TRANSPARENT);
            x += cx + 2;
        }
        if (!b.text.empty() && !(b.style & RBBS_HIDETITLE)) {
            COLORREF fg = b.fore != CLR_DEFAULT ? b.fore : r->text != CLR_DEFAULT ? r->text : GetSysColor(COLOR_BTNTEXT);
            SetTextColor(dc, fg);
            RECT tr{x, rc.top, rc.left + HeaderWidth(hwnd, r, b), rc.bottom};
            DrawTextW(dc, b.text.c_str(), (int)b.text.size(), &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        }
        if (b.style & RBBS_CHILDEDGE && b.child) {
            RECT ce = rc;
            ce.left += HeaderWidth(hwnd, r, b);
            DrawEdge(dc, &ce, BDR_SUNKENOUTER, BF_RECT);
        }
    }
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK RebarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Rebar* r = Get(hwnd);
    if (!r && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        r = CreateState<Rebar>(hwnd);
        r->font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        DestroyState<Rebar>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        r->font = wParam ? (HFONT)wParam : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        Layout(hwnd, r);
        return 0;
    case WM_GETFONT: return (LRESULT)r->font;
    case WM_SIZE: Layout(hwnd, r); return 0;
    case WM_ERASEBKGND: {
        HDC dc = (HDC)wParam;
        if (dc)
            DrawBands(hwnd, r, dc);
        return 1;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT:
        // Painting is done with the background; a DC in wParam is painted whole.
        if (wParam) {
            DrawBands(hwnd, r, (HDC)wParam);
        } else {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (dc && !ps.fErase)
                DrawBands(hwnd, r, dc);
            EndPaint(hwnd, &ps);
        }
        return 0;
    case WM_NOTIFY:
    case WM_COMMAND: {
        // Bands' children talk to the window the rebar reports to, as if the rebar were not there.
        HWND to = Target(hwnd, r);
        return to ? SendMessageW(to, msg, wParam, lParam) : 0;
    }

    case RB_INSERTBANDW: {
        auto* bi = (const REBARBANDINFOW*)lParam;
        if (!ValidInfo(bi))
            return FALSE;
        Band b;
        SetFields(b, bi);
        int at = (int)wParam;
        if (at < 0 || at > (int)r->bands.size())
            at = (int)r->bands.size();
        if (b.child && GetParent(b.child) != hwnd)
            SetParent(b.child, hwnd);
        r->bands.insert(r->bands.begin() + at, b);
        Layout(hwnd, r);
        return TRUE;
    }
    case RB_SETBANDINFOW: {
        auto* bi = (const REBARBANDINFOW*)lParam;
        if (!ValidInfo(bi) || wParam >= r->bands.size())
            return FALSE;
        HWND before = r->bands[wParam].child;
        SetFields(r->bands[wParam], bi);
        HWND child = r->bands[wParam].child;
        if (child != before && before && IsWindow(before))
            ShowWindow(before, SW_HIDE);
        if (child && GetParent(child) != hwnd)
            SetParent(child, hwnd);
        Layout(hwnd, r);
        return TRUE;
    }
    case RB_GETBANDINFOW: {
        auto* bi = (REBARBANDINFOW*)lParam;
        if (!ValidInfo(bi) || wParam >= r->bands.size())
            return FALSE;
        GetFields(hwnd, r, r->bands[wParam], bi);
        return TRUE;
    }
    case RB_GETBANDCOUNT: return (LRESULT)r->bands.size();
    case RB_DELETEBAND: return DeleteBand(hwnd, r, wParam);
    case RB_GETROWCOUNT: return (LRESULT)r->rowHeights.size();
    case RB_GETROWHEIGHT: {
        if (wParam >= r->bands.size() || (r->bands[wParam].style & RBBS_HIDDEN))
            return 0;
        return r->rowHeights[(size_t)r->bands[wParam].row];
    }
    case RB_GETBARHEIGHT: return r->height;
    case RB_IDTOINDEX:
        for (size_t i = 0; i < r->bands.size(); ++i)
            if (r->bands[i].id == (UINT)wParam)
                return (LRESULT)i;
        return -1;
    case RB_GETRECT: {
        if (wParam >= r->bands.size() || !lParam)
            return FALSE;
        *(RECT*)lParam = r->bands[wParam].rect;
        return TRUE;
    }
    case RB_GETBANDBORDERS: {
        if (wParam >= r->bands.size() || !lParam)
            return 0;
        const Band& b = r->bands[wParam];
        int edge = (b.style & RBBS_CHILDEDGE) ? kChildEdge : 0;
        *(RECT*)lParam = {HeaderWidth(hwnd, r, b) + edge, edge, edge, edge};
        return 0;
    }
    case RB_HITTEST: {
        auto* hti = (RBHITTESTINFO*)lParam;
        if (!hti)
            return -1;
        hti->flags = RBHT_NOWHERE;
        hti->iBand = -1;
        for (size_t i = 0; i < r->bands.size(); ++i) {
            const Band& b = r->bands[i];
            if ((b.style & RBBS_HIDDEN) || !PtInRect(&b.rect, hti->pt))
                continue;
            hti->iBand = (int)i;
            int x = hti->pt.x - b.rect.left;
            hti->flags = HasGripper(r, b) && x < kGripper ? RBHT_GRABBER
                         : x < HeaderWidth(hwnd, r, b)   ? RBHT_CAPTION
                                                         : RBHT_CLIENT;
            break;
        }
        return hti->iBand;
    }
    case RB_SHOWBAND: {
        if (wParam >= r->bands.size())
            return FALSE;
        UINT& s = r->bands[wParam].style;
        s = lParam ? (s & ~(UINT)RBBS_HIDDEN) : (s | RBBS_HIDDEN);
        Layout(hwnd, r);
        return TRUE;
    }
    case RB_MOVEBAND: {
        size_t from = wParam, to = (size_t)lParam;
        if (from >= r->bands.size() || to >= r->bands.size())
            return FALSE;
        Band b = r->bands[from];
        r->bands.erase(r->bands.begin() + (ptrdiff_t)from);
        r->bands.insert(r->bands.begin() + (ptrdiff_t)to, b);
        Layout(hwnd, r);
        return TRUE;
    }
    case RB_MAXIMIZEBAND:
    case RB_MINIMIZEBAND: {
        if (wParam >= r->bands.size())
            return 0;
        Band& b = r->bands[wParam];
        if (msg == RB_MINIMIZEBAND)
            b.cx = 0;
        else
            b.cx = lParam && b.cxIdeal ? b.cxIdeal + (UINT)HeaderWidth(hwnd, r, b) : 0x7FFF;
        Layout(hwnd, r);
        return 0;
    }
    case RB_SIZETORECT: {
        auto* rc = (RECT*)lParam;
        if (!rc)
            return FALSE;
        SetWindowPos(hwnd, nullptr, rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(hwnd, r);
        return TRUE;
    }
    case RB_GETBARINFO: {
        auto* ri = (REBARINFO*)lParam;
        if (!ri || ri->cbSize < sizeof(REBARINFO))
            return FALSE;
        if (ri->fMask & RBIM_IMAGELIST)
            ri->himl = r->images;
        return TRUE;
    }
    case RB_SETBARINFO: {
        auto* ri = (const REBARINFO*)lParam;
        if (!ri || ri->cbSize < sizeof(REBARINFO))
            return FALSE;
        if (ri->fMask & RBIM_IMAGELIST)
            r->images = ri->himl;
        Layout(hwnd, r);
        return TRUE;
    }
    case RB_SETPARENT: {
        HWND old = Target(hwnd, r);
        r->notify = (HWND)wParam;
        return (LRESULT)old;
    }
    case RB_SETBKCOLOR:
    case RB_SETTEXTCOLOR: {
        COLORREF& c = msg == RB_SETBKCOLOR ? r->bk : r->text;
        COLORREF old = c;
        c = (COLORREF)lParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return (LRESULT)old;
    }
    case RB_GETBKCOLOR: return (LRESULT)r->bk;
    case RB_GETTEXTCOLOR: return (LRESULT)r->text;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

ClassInfo RebarClass()
{
    return {REBARCLASSNAMEW, RebarProc, CS_DBLCLKS, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
