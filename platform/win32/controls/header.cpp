// The SysHeader32 window class: column items, hit tests, divider tracking and classic painting.
#include "win32/controls/control_util.h"
#include "win32/resources.h"

#include <algorithm>
#include <string>
#include <vector>

namespace controls {

namespace {

// How far either side of a divider the mouse grabs it.
constexpr int kGrip = 4;
// Horizontal inset of an item's contents (three edge widths, as the classic look has it).
constexpr int kMargin = 6;

struct Item {
    std::u16string text;
    int width = 0;
    int fmt = HDF_LEFT | HDF_STRING;
    LPARAM lParam = 0;
    HBITMAP hbm = nullptr;
    int image = 0;
    UINT type = 0;
};

struct Header {
    std::vector<Item> items;
    std::vector<int> order; // display position -> item index
    HFONT font = nullptr;
    HIMAGELIST images = nullptr;
    enum class Mode { None, Track, Press } mode = Mode::None;
    int item = -1;       // the item being tracked or pressed
    int startWidth = 0;  // its width when tracking began, restored on cancel
    int grabOffset = 0;  // pointer x minus the divider x at the press
    int trackWidth = 0;  // the width the pointer asks for
    bool inside = false; // a pressed item is drawn down only while the pointer is over it
};

int Count(const Header* h)
{
    return (int)h->items.size();
}

bool Valid(const Header* h, int i)
{
    return i >= 0 && i < Count(h);
}

int PositionOf(const Header* h, int index)
{
    for (int p = 0; p < (int)h->order.size(); ++p)
        if (h->order[p] == index)
            return p;
    return -1;
}

RECT ItemRect(HWND hwnd, const Header* h, int index)
{
    RECT client;
    GetClientRect(hwnd, &client);
    int x = 0;
    for (int idx : h->order) {
        if (idx == index)
            return {x, 0, x + h->items[idx].width, client.bottom};
        x += h->items[idx].width;
    }
    return {0, 0, 0, 0};
}

LRESULT Notify(HWND hwnd, UINT code, int item, int button, HDITEMW* pitem)
{
    HWND parent = GetParent(hwnd);
    if (!parent)
        return 0;
    NMHEADERW nm{};
    nm.hdr.hwndFrom = hwnd;
    nm.hdr.idFrom = (UINT_PTR)GetDlgCtrlID(hwnd);
    nm.hdr.code = code;
    nm.iItem = item;
    nm.iButton = button;
    nm.pitem = pitem;
    return SendMessageW(parent, WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
}

void NotifyPlain(HWND hwnd, UINT code)
{
    HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    NMHDR nm{hwnd, (UINT_PTR)GetDlgCtrlID(hwnd), code};
    SendMessageW(parent, WM_NOTIFY, nm.idFrom, (LPARAM)&nm);
}

void MoveToPosition(Header* h, int index, int pos)
{
    int cur = PositionOf(h, index);
    if (cur < 0)
        return;
    pos = std::clamp(pos, 0, (int)h->order.size() - 1);
    h->order.erase(h->order.begin() + cur);
    h->order.insert(h->order.begin() + pos, index);
}

void Apply(Header* h, int index, const HDITEMW& in)
{
    Item& it = h->items[(size_t)index];
    if (in.mask & HDI_WIDTH)
        it.width = std::max(0, in.cxy);
    if (in.mask & HDI_TEXT) {
        // Text supplied on demand is not kept; the item shows none.
        if (in.pszText && in.pszText != LPSTR_TEXTCALLBACKW)
            it.text = in.pszText;
        else
            it.text.clear();
    }
    if (in.mask & HDI_FORMAT)
        it.fmt = in.fmt;
    if (in.mask & HDI_LPARAM)
        it.lParam = in.lParam;
    if (in.mask & HDI_BITMAP)
        it.hbm = in.hbm;
    if (in.mask & HDI_IMAGE)
        it.image = in.iImage;
    if (in.mask & HDI_FILTER)
        it.type = in.type;
    if (in.mask & HDI_ORDER)
        MoveToPosition(h, index, in.iOrder);
}

void Fill(const Header* h, int index, HDITEMW* out)
{
    const Item& it = h->items[(size_t)index];
    if (out->mask & HDI_WIDTH)
        out->cxy = it.width;
    if ((out->mask & HDI_TEXT) && out->pszText && out->pszText != LPSTR_TEXTCALLBACKW && out->cchTextMax > 0) {
        size_t n = std::min(it.text.size(), (size_t)out->cchTextMax - 1);
        std::copy_n(it.text.data(), n, out->pszText);
        out->pszText[n] = 0;
    }
    if (out->mask & HDI_FORMAT)
        out->fmt = it.fmt;
    if (out->mask & HDI_LPARAM)
        out->lParam = it.lParam;
    if (out->mask & HDI_BITMAP)
        out->hbm = it.hbm;
    if (out->mask & HDI_IMAGE)
        out->iImage = it.image;
    if (out->mask & HDI_ORDER)
        out->iOrder = PositionOf(h, index);
    if (out->mask & HDI_FILTER)
        out->type = it.type;
}

void Redraw(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
}

// A change the parent may refuse (HDN_ITEMCHANGING answered nonzero) or amend: a width it rewrites in
// the notification is the width the item gets, which is how owners hold a minimum column width.
bool ChangeItem(HWND hwnd, Header* h, int index, const HDITEMW& in)
{
    HDITEMW change = in;
    std::u16string text;
    if ((in.mask & HDI_TEXT) && in.pszText && in.pszText != LPSTR_TEXTCALLBACKW) {
        text = in.pszText;
        change.pszText = text.data();
    }
    if (Notify(hwnd, HDN_ITEMCHANGINGW, index, 0, &change))
        return false;
    if (!Valid(h, index)) // the parent deleted it meanwhile
        return false;
    change.mask = in.mask;
    change.pszText = in.pszText;
    Apply(h, index, change);
    Notify(hwnd, HDN_ITEMCHANGEDW, index, 0, &change);
    Redraw(hwnd);
    return true;
}

int Insert(HWND hwnd, Header* h, int index, const HDITEMW* in)
{
    if (!in)
        return -1;
    index = std::clamp(index, 0, Count(h));
    h->items.insert(h->items.begin() + index, Item{});
    for (int& o : h->order)
        if (o >= index)
            ++o;
    int pos = (in->mask & HDI_ORDER) && in->iOrder >= 0 && in->iOrder <= (int)h->order.size() ? in->iOrder : index;
    pos = std::min(pos, (int)h->order.size());
    h->order.insert(h->order.begin() + pos, index);
    HDITEMW copy = *in;
    copy.mask &= ~(UINT)HDI_ORDER;
    if (!(copy.mask & HDI_FORMAT) && (copy.mask & HDI_TEXT))
        h->items[(size_t)index].fmt = HDF_LEFT | HDF_STRING;
    Apply(h, index, copy);
    if (h->mode != Header::Mode::None && h->item >= index)
        ++h->item;
    Redraw(hwnd);
    return index;
}

void EndMode(HWND hwnd, Header* h)
{
    h->mode = Header::Mode::None;
    h->item = -1;
    if (GetCapture() == hwnd)
        ReleaseCapture();
}

bool Delete(HWND hwnd, Header* h, int index)
{
    if (!Valid(h, index))
        return false;
    if (h->mode != Header::Mode::None) {
        if (h->item == index)
            EndMode(hwnd, h);
        else if (h->item > index)
            --h->item;
    }
    h->order.erase(h->order.begin() + PositionOf(h, index));
    for (int& o : h->order)
        if (o > index)
            --o;
    h->items.erase(h->items.begin() + index);
    Redraw(hwnd);
    return true;
}

void HitTest(HWND hwnd, const Header* h, HDHITTESTINFO* hi)
{
    RECT client;
    GetClientRect(hwnd, &client);
    POINT pt = hi->pt;
    hi->flags = 0;
    hi->iItem = -1;
    if (pt.y < 0)
        hi->flags |= HHT_ABOVE;
    if (pt.y >= client.bottom)
        hi->flags |= HHT_BELOW;
    if (pt.x < 0)
        hi->flags |= HHT_TOLEFT;
    if (pt.x >= client.right)
        hi->flags |= HHT_TORIGHT;
    if (hi->flags)
        return;
    // Dividers first: a grab near an edge sizes the column to its left. Zero-width items share the
    // edge of the item before them; just right of it the hidden item is opened instead.
    int x = 0;
    const int n = (int)h->order.size();
    for (int p = 0; p < n; ++p) {
        const Item& it = h->items[(size_t)h->order[p]];
        x += it.width;
        if (it.width == 0 && p > 0)
            continue;
        if (pt.x >= x - kGrip && pt.x < x + kGrip) {
            if (pt.x >= x && p + 1 < n && h->items[(size_t)h->order[p + 1]].width == 0) {
                hi->flags = HHT_ONDIVOPEN;
                hi->iItem = h->order[p + 1];
            } else {
                hi->flags = HHT_ONDIVIDER;
                hi->iItem = h->order[p];
            }
            return;
        }
    }
    x = 0;
    for (int idx : h->order) {
        int w = h->items[(size_t)idx].width;
        if (pt.x >= x && pt.x < x + w) {
            hi->flags = HHT_ONHEADER;
            hi->iItem = idx;
            return;
        }
        x += w;
    }
    hi->flags = HHT_NOWHERE;
}

HDHITTESTINFO HitAt(HWND hwnd, const Header* h, LPARAM lParam)
{
    HDHITTESTINFO hi{};
    hi.pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    HitTest(hwnd, h, &hi);
    return hi;
}

int LeftOf(HWND hwnd, const Header* h, int index)
{
    return ItemRect(hwnd, h, index).left;
}

void BeginTrack(HWND hwnd, Header* h, const HDHITTESTINFO& hi)
{
    HDITEMW info{};
    info.mask = HDI_WIDTH;
    info.cxy = h->items[(size_t)hi.iItem].width;
    if (Notify(hwnd, HDN_BEGINTRACKW, hi.iItem, 0, &info))
        return; // the parent refused
    if (!Valid(h, hi.iItem))
        return;
    h->mode = Header::Mode::Track;
    h->item = hi.iItem;
    h->startWidth = h->items[(size_t)hi.iItem].width;
    h->trackWidth = h->startWidth;
    h->grabOffset = hi.pt.x - (LeftOf(hwnd, h, hi.iItem) + h->startWidth);
    SetCapture(hwnd);
}

void SetWidth(HWND hwnd, Header* h, int index, int width)
{
    if (!Valid(h, index) || h->items[(size_t)index].width == width)
        return;
    HDITEMW w{};
    w.mask = HDI_WIDTH;
    w.cxy = width;
    ChangeItem(hwnd, h, index, w);
}

// Ends a tracking session; the parent sees HDN_ENDTRACK with the final width and may amend it.
void FinishTrack(HWND hwnd, Header* h, int width)
{
    int index = h->item;
    EndMode(hwnd, h);
    if (!Valid(h, index))
        return;
    HDITEMW info{};
    info.mask = HDI_WIDTH;
    info.cxy = width;
    Notify(hwnd, HDN_ENDTRACKW, index, 0, &info);
    SetWidth(hwnd, h, index, std::max(0, info.cxy));
}

void Track(HWND hwnd, Header* h, int x)
{
    int index = h->item;
    int width = std::max(0, x - h->grabOffset - LeftOf(hwnd, h, index));
    HDITEMW info{};
    info.mask = HDI_WIDTH;
    info.cxy = width;
    if (Notify(hwnd, HDN_TRACKW, index, 0, &info)) {
        FinishTrack(hwnd, h, h->trackWidth);
        return;
    }
    h->trackWidth = width;
    if (StyleOf(hwnd) & HDS_FULLDRAG)
        SetWidth(hwnd, h, index, width);
}

void CancelTrack(HWND hwnd, Header* h)
{
    h->trackWidth = h->startWidth;
    FinishTrack(hwnd, h, h->startWidth);
}

HCURSOR SizingCursor()
{
    return LoadCursorW(nullptr, IDC_SIZEWE);
}

// ---- Painting ---------------------------------------------------------------------------------

void DrawSortArrow(HDC dc, const RECT& r, bool up)
{
    // A small filled triangle pointing the way the column is sorted.
    const int w = 8, hgt = 4;
    int x = r.right - w;
    int y = r.top + (r.bottom - r.top - hgt) / 2;
    if (x < r.left)
        return;
    POINT pts[3];
    if (up) {
        pts[0] = {x, y + hgt};
        pts[1] = {x + w, y + hgt};
        pts[2] = {x + w / 2, y};
    } else {
        pts[0] = {x, y};
        pts[1] = {x + w, y};
        pts[2] = {x + w / 2, y + hgt};
    }
    HBRUSH br = GetSysColorBrush(COLOR_3DSHADOW);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
    HGDIOBJ ob = SelectObject(dc, br);
    HGDIOBJ op = SelectObject(dc, pen);
    Polygon(dc, pts, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(pen);
}

// Draws a bitmap at (x, y) clipped to `room`; returns the width it took, 0 when it has none.
int DrawBitmapAt(HDC dc, HBITMAP hbm, int x, const RECT& room)
{
    BITMAP bm{};
    if (!hbm || GetObjectW(hbm, sizeof bm, &bm) != (int)sizeof bm)
        return 0;
    int y = room.top + (room.bottom - room.top - bm.bmHeight) / 2;
    int w = std::min((int)bm.bmWidth, (int)(room.right - x));
    if (w <= 0)
        return 0;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, hbm);
    BitBlt(dc, x, y, w, bm.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    return bm.bmWidth;
}

void DrawItem(HWND hwnd, HDC dc, const Header* h, int index, RECT r)
{
    const Item& it = h->items[(size_t)index];
    bool pressed = h->mode == Header::Mode::Press && h->item == index && h->inside;
    if (it.fmt & HDF_OWNERDRAW) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_HEADER;
        dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
        dis.itemID = (UINT)index;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = pressed ? ODS_SELECTED : 0;
        dis.hwndItem = hwnd;
        dis.hDC = dc;
        dis.rcItem = r;
        dis.itemData = (ULONG_PTR)it.lParam;
        HWND parent = GetParent(hwnd);
        if (parent)
            SendMessageW(parent, WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
        return;
    }
    RECT frame = r;
    if (pressed) {
        HBRUSH sh = GetSysColorBrush(COLOR_3DSHADOW);
        FrameRect(dc, &frame, sh);
    } else {
        DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    RECT room{r.left + kMargin, r.top + 2, r.right - kMargin, r.bottom - 2};
    if (pressed)
        OffsetRect(&room, 1, 1);
    if (room.right <= room.left)
        return;
    HRGN clip = CreateRectRgn(r.left + 2, r.top + 2, r.right - 2, r.bottom - 2);
    int saved = SaveDC(dc);
    ExtSelectClipRgn(dc, clip, RGN_AND);
    DeleteObject(clip);

    if ((it.fmt & (HDF_SORTUP | HDF_SORTDOWN)) && room.right - room.left > 16) {
        DrawSortArrow(dc, room, (it.fmt & HDF_SORTUP) != 0);
        room.right -= 8 + kMargin;
    }
    if ((it.fmt & HDF_IMAGE) && h->images) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(h->images, &cx, &cy);
        if (room.left + cx <= room.right) {
            ImageList_Draw(h->images, it.image, dc, room.left, r.top + (r.bottom - r.top - cy) / 2, ILD_TRANSPARENT);
            room.left += cx + kMargin;
        }
    }
    bool bitmapRight = (it.fmt & HDF_BITMAP_ON_RIGHT) != 0;
    if ((it.fmt & HDF_BITMAP) && !bitmapRight) {
        int w = DrawBitmapAt(dc, it.hbm, room.left, room);
        if (w)
            room.left += w + kMargin;
    }
    if (!it.text.empty() && room.right > room.left) {
        UINT just = (it.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT    ? DT_RIGHT
                    : (it.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? DT_CENTER
                                                               : DT_LEFT;
        RECT tr = room;
        DrawTextW(dc, it.text.c_str(), (int)it.text.size(), &tr,
                  just | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        if (bitmapRight) {
            SIZE sz{};
            GetTextExtentPoint32W(dc, it.text.c_str(), (int)it.text.size(), &sz);
            room.left = std::min((int)room.right, (int)(room.left + sz.cx + kMargin));
        }
    }
    if ((it.fmt & HDF_BITMAP) && bitmapRight)
        DrawBitmapAt(dc, it.hbm, room.left, room);
    RestoreDC(dc, saved);
}

void Draw(HWND hwnd, HDC dc, const Header* h)
{
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    HGDIOBJ oldFont = SelectObject(dc, FontOrDefault(h->font));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    int x = 0;
    for (int idx : h->order) {
        RECT r{x, 0, x + h->items[(size_t)idx].width, client.bottom};
        x = r.right;
        if (r.right > r.left && r.left < client.right)
            DrawItem(hwnd, dc, h, idx, r);
    }
    // The empty stretch right of the last item is a raised blank, as the classic look draws it.
    if (x < client.right) {
        RECT rest{x, 0, client.right + 2, client.bottom};
        DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
    SetTextColor(dc, oldText);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

int HeaderHeight(const Header* h)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FontOrDefault(h->font));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight + 6;
}

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Header* h = StateOf<Header>(hwnd);
    if (!h && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        if (!h)
            CreateState<Header>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        DestroyState<Header>(hwnd);
        return 0;
    case WM_SETFONT:
        h->font = (HFONT)wParam;
        if (LOWORD(lParam))
            Redraw(hwnd);
        return 0;
    case WM_GETFONT: return (LRESULT)h->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, h); });
        return 0;
    case WM_SIZE: Redraw(hwnd); return 0;

    case HDM_GETITEMCOUNT: return Count(h);
    case HDM_INSERTITEMW: return Insert(hwnd, h, (int)wParam, (const HDITEMW*)lParam);
    case HDM_DELETEITEM: return Delete(hwnd, h, (int)wParam);
    case HDM_GETITEMW:
        if (!Valid(h, (int)wParam) || !lParam)
            return FALSE;
        Fill(h, (int)wParam, (HDITEMW*)lParam);
        return TRUE;
    case HDM_SETITEMW:
        if (!Valid(h, (int)wParam) || !lParam)
            return FALSE;
        return ChangeItem(hwnd, h, (int)wParam, *(const HDITEMW*)lParam);
    case HDM_LAYOUT: {
        auto* l = (HDLAYOUT*)lParam;
        if (!l || !l->prc || !l->pwpos)
            return FALSE;
        int height = (StyleOf(hwnd) & HDS_HIDDEN) ? 0 : HeaderHeight(h);
        RECT& r = *l->prc;
        *l->pwpos = WINDOWPOS{};
        l->pwpos->hwndInsertAfter = nullptr;
        l->pwpos->x = r.left;
        l->pwpos->y = r.top;
        l->pwpos->cx = r.right - r.left;
        l->pwpos->cy = height;
        l->pwpos->flags = SWP_NOZORDER | SWP_NOACTIVATE;
        r.top += height;
        return TRUE;
    }
    case HDM_HITTEST: {
        auto* hi = (HDHITTESTINFO*)lParam;
        if (!hi)
            return -1;
        HitTest(hwnd, h, hi);
        return hi->iItem;
    }
    case HDM_GETITEMRECT: {
        auto* r = (RECT*)lParam;
        if (!Valid(h, (int)wParam) || !r)
            return FALSE;
        *r = ItemRect(hwnd, h, (int)wParam);
        return TRUE;
    }
    case HDM_SETIMAGELIST: {
        HIMAGELIST old = h->images;
        h->images = (HIMAGELIST)lParam;
        Redraw(hwnd);
        return (LRESULT)old;
    }
    case HDM_GETIMAGELIST: return (LRESULT)h->images;
    case HDM_ORDERTOINDEX:
        if ((int)wParam < 0 || (int)wParam >= (int)h->order.size())
            return -1;
        return h->order[wParam];
    case HDM_GETORDERARRAY: {
        auto* out = (int*)lParam;
        if (!out || (int)wParam != Count(h))
            return FALSE;
        std::copy(h->order.begin(), h->order.end(), out);
        return TRUE;
    }
    case HDM_SETORDERARRAY: {
        auto* in = (const int*)lParam;
        if (!in || (int)wParam != Count(h))
            return FALSE;
        // Only a permutation of the items is an order.
        std::vector<int> next(in, in + wParam);
        std::vector<int> sorted = next;
        std::sort(sorted.begin(), sorted.end());
        for (int i = 0; i < (int)sorted.size(); ++i)
            if (sorted[(size_t)i] != i)
                return FALSE;
        h->order = std::move(next);
        Redraw(hwnd);
        return TRUE;
    }

    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (h->mode != Header::Mode::None)
            return 0;
        HDHITTESTINFO hi = HitAt(hwnd, h, lParam);
        bool onDivider = (hi.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) != 0;
        if (msg == WM_LBUTTONDBLCLK) {
            if (onDivider) {
                Notify(hwnd, HDN_DIVIDERDBLCLICKW, hi.iItem, 0, nullptr);
                return 0;
            }
            if (hi.flags & HHT_ONHEADER)
                Notify(hwnd, HDN_ITEMDBLCLICKW, hi.iItem, 0, nullptr);
            if (!IsWindow(hwnd))
                return 0;
            // The second click of a double click is still a click on a button header.
        }
        if (onDivider) {
            BeginTrack(hwnd, h, hi);
        } else if ((hi.flags & HHT_ONHEADER) && (StyleOf(hwnd) & HDS_BUTTONS)) {
            h->mode = Header::Mode::Press;
            h->item = hi.iItem;
            h->inside = true;
            SetCapture(hwnd);
            Redraw(hwnd);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (h->mode == Header::Mode::Track) {
            Track(hwnd, h, (short)LOWORD(lParam));
        } else if (h->mode == Header::Mode::Press) {
            HDHITTESTINFO hi = HitAt(hwnd, h, lParam);
            bool inside = (hi.flags & HHT_ONHEADER) && hi.iItem == h->item;
            if (inside != h->inside) {
                h->inside = inside;
                Redraw(hwnd);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (h->mode == Header::Mode::Track) {
            int width = std::max(0, (short)LOWORD(lParam) - h->grabOffset - LeftOf(hwnd, h, h->item));
            FinishTrack(hwnd, h, width);
        } else if (h->mode == Header::Mode::Press) {
            int item = h->item;
            HDHITTESTINFO hi = HitAt(hwnd, h, lParam);
            EndMode(hwnd, h);
            Redraw(hwnd);
            if ((hi.flags & HHT_ONHEADER) && hi.iItem == item)
                Notify(hwnd, HDN_ITEMCLICKW, item, 0, nullptr);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != hwnd) {
            if (h->mode == Header::Mode::Track) {
                CancelTrack(hwnd, h);
            } else if (h->mode == Header::Mode::Press) {
                h->mode = Header::Mode::None;
                h->item = -1;
                Redraw(hwnd);
            }
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && h->mode == Header::Mode::Track) {
            CancelTrack(hwnd, h);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_RBUTTONUP: NotifyPlain(hwnd, NM_RCLICK); return 0;
    case WM_SETCURSOR: {
        if (LOWORD(lParam) == HTCLIENT) {
            if (h->mode == Header::Mode::Track) {
                SetCursor(SizingCursor());
                return TRUE;
            }
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(hwnd, &pt);
            HDHITTESTINFO hi{};
            hi.pt = pt;
            HitTest(hwnd, h, &hi);
            if (hi.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) {
                SetCursor(SizingCursor());
                return TRUE;
            }
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo HeaderClass()
{
    return {WC_HEADERW, HeaderProc, CS_DBLCLKS | CS_GLOBALCLASS, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
