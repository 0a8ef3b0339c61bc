// The ToolbarWindow32 window class: a row of image buttons, check groups, clicks, layout and tips.
#include "win32/controls/control_util.h"
#include "win32/controls/toolbar.h"
#include "win32/controls/tooltip.h"
#include "win32/resources.h"

#include <algorithm>
#include <cstring>

namespace controls {

namespace {

struct Button {
    int image = 0;
    int id = 0;
    BYTE state = TBSTATE_ENABLED;
    BYTE style = TBSTYLE_BUTTON;
    DWORD_PTR data = 0;
    std::u16string text;
    int width = 0; // a separator's width, or a button's fixed width from TBIF_SIZE
};

struct Toolbar {
    std::vector<Button> buttons;
    std::vector<std::u16string> strings;
    HIMAGELIST images = nullptr, hotImages = nullptr, disabledImages = nullptr;
    HIMAGELIST strip = nullptr; // made from TB_ADDBITMAP
    int stripCount = 0;
    SIZE bitmap{16, 15};
    SIZE button{0, 0}; // 0: from the bitmap size
    int indent = 0;
    DWORD exStyle = 0;
    HFONT font = nullptr;
    HWND notify = nullptr;
    HWND tips = nullptr;
    bool ownTips = false;
    std::vector<int> toolIds; // the buttons the tip window knows, by command id
    int pressed = -1;    // index of the button held down
    bool pressedIn = false;
    int hot = -1;
    int rows = 1;
    UINT structSize = sizeof(TBBUTTON);
};

Toolbar* Get(HWND hwnd)
{
    return StateOf<Toolbar>(hwnd);
}

HWND Target(HWND hwnd, const Toolbar* t)
{
    return t->notify ? t->notify : GetParent(hwnd);
}

LRESULT Notify(HWND hwnd, Toolbar* t, NMHDR* nm, UINT code)
{
    nm->hwndFrom = hwnd;
    nm->idFrom = (UINT_PTR)GetDlgCtrlID(hwnd);
    nm->code = code;
    HWND to = Target(hwnd, t);
    return to ? SendMessageW(to, WM_NOTIFY, nm->idFrom, (LPARAM)nm) : 0;
}

HIMAGELIST ImageListOf(const Toolbar* t)
{
    return t->images ? t->images : t->strip;
}

int TextHeight(HWND hwnd, Toolbar* t)
{
    bool any = std::any_of(t->buttons.begin(), t->buttons.end(), [](const Button& b) { return !b.text.empty(); });
    if (!any)
        return 0;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, t->font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return tm.tmHeight;
}

int TextWidth(HWND hwnd, Toolbar* t, const std::u16string& s)
{
    if (s.empty())
        return 0;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, t->font);
    SIZE sz{};
    GetTextExtentPoint32W(dc, s.c_str(), (int)s.size(), &sz);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return sz.cx;
}

SIZE ButtonSize(HWND hwnd, Toolbar* t)
{
    int th = TextHeight(hwnd, t);
    SIZE s{t->bitmap.cx + 7, t->bitmap.cy + 7 + (th ? th + 2 : 0)};
    if (t->button.cx > 0)
        s.cx = std::max<LONG>(t->button.cx, s.cx);
    if (t->button.cy > 0)
        s.cy = std::max<LONG>(t->button.cy, s.cy);
    for (const Button& b : t->buttons)
        if (!b.text.empty() && !(b.style & TBSTYLE_SEP))
            s.cx = std::max<LONG>(s.cx, TextWidth(hwnd, t, b.text) + 6);
    return s;
}

constexpr int kTopPad = 2;

// Rectangles of all buttons in client coordinates; hidden ones are empty.
std::vector<RECT> Rects(HWND hwnd, Toolbar* t, int* rowsOut = nullptr)
{
    std::vector<RECT> out(t->buttons.size(), RECT{0, 0, 0, 0});
    SIZE bs = ButtonSize(hwnd, t);
    RECT client;
    GetClientRect(hwnd, &client);
    bool wrapable = (StyleOf(hwnd) & TBSTYLE_WRAPABLE) != 0;
    int x = t->indent, y = kTopPad, rows = 1;
    for (size_t i = 0; i < t->buttons.size(); ++i) {
        const Button& b = t->buttons[i];
        if (b.state & TBSTATE_HIDDEN)
            continue;
        int w = (b.style & TBSTYLE_SEP) ? (b.width > 0 ? b.width : 8) : (b.width > 0 ? b.width : bs.cx);
        if (wrapable && x > t->indent && x + w > client.right && !(b.style & TBSTYLE_SEP)) {
            x = t->indent;
            y += bs.cy;
            ++rows;
        }
        out[i] = {x, y, x + w, y + bs.cy};
        x += w;
        if (b.state & TBSTATE_WRAP) {
            x = t->indent;
            y += bs.cy + ((b.style & TBSTYLE_SEP) ? 8 : 0);
            ++rows;
        }
    }
    if (rowsOut)
        *rowsOut = rows;
    return out;
}

int IndexOf(const Toolbar* t, int id)
{
    for (size_t i = 0; i < t->buttons.size(); ++i)
        if (t->buttons[i].id == id)
            return (int)i;
    return -1;
}

int HitIndex(HWND hwnd, Toolbar* t, POINT pt)
{
    auto rects = Rects(hwnd, t);
    for (size_t i = 0; i < rects.size(); ++i)
        if (PtInRect(&rects[i], pt))
            return (int)i;
    return -1;
}

void Redraw(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Gives the tip window one tool per shown button, at the button's place, its text asked for on demand.
void SyncTools(HWND hwnd, Toolbar* t)
{
    if (!t->tips || !IsWindow(t->tips))
        return;
    for (int id : t->toolIds) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = hwnd;
        ti.uId = (UINT_PTR)id;
        SendMessageW(t->tips, TTM_DELTOOLW, 0, (LPARAM)&ti);
    }
    t->toolIds.clear();
    auto rects = Rects(hwnd, t);
    for (size_t i = 0; i < t->buttons.size(); ++i) {
        const Button& b = t->buttons[i];
        if ((b.style & TBSTYLE_SEP) || (b.state & TBSTATE_HIDDEN))
            continue;
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = hwnd;
        ti.uId = (UINT_PTR)b.id;
        ti.rect = rects[i];
        ti.lpszText = LPSTR_TEXTCALLBACKW;
        if (SendMessageW(t->tips, TTM_ADDTOOLW, 0, (LPARAM)&ti))
            t->toolIds.push_back(b.id);
    }
}

void AutoSize(HWND hwnd, Toolbar* t)
{
    DWORD style = StyleOf(hwnd);
    int rows = 1;
    auto rects = Rects(hwnd, t, &rows);
    t->rows = rows;
    SyncTools(hwnd, t);
    if (style & CCS_NORESIZE)
        return;
    int bottom = kTopPad + ButtonSize(hwnd, t).cy;
    for (const RECT& r : rects)
        bottom = std::max<int>(bottom, r.bottom);
    int h = bottom + 2;
    HWND parent = GetParent(hwnd);
    if (!(style & CCS_NOPARENTALIGN) && parent) {
        RECT pc;
        GetClientRect(parent, &pc);
        int y = (style & CCS_BOTTOM) == CCS_BOTTOM ? pc.bottom - h : 0;
        SetWindowPos(hwnd, nullptr, 0, y, pc.right - pc.left, h, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        RECT wr;
        GetWindowRect(hwnd, &wr);
        SetWindowPos(hwnd, nullptr, 0, 0, wr.right - wr.left, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

std::u16string TextFor(const Toolbar* t, INT_PTR iString)
{
    if (iString == -1 || iString == 0)
        return {};
    if (IS_INTRESOURCE(iString))
        return (size_t)iString < t->strings.size() ? t->strings[(size_t)iString] : std::u16string();
    return (const WCHAR*)iString;
}

bool InsertButtons(HWND hwnd, Toolbar* t, int at, UINT count, const BYTE* data)
{
    if (!data || t->structSize < offsetof(TBBUTTON, dwData))
        return false;
    at = std::clamp(at, 0, (int)t->buttons.size());
    for (UINT k = 0; k < count; ++k) {
        TBBUTTON tb{};
        std::memcpy(&tb, data + (size_t)k * t->structSize, std::min<size_t>(t->structSize, sizeof tb));
        Button b;
        b.image = tb.iBitmap;
        b.id = tb.idCommand;
        b.state = tb.fsState;
        b.style = tb.fsStyle;
        b.data = tb.dwData;
        b.text = TextFor(t, tb.iString);
        if (b.style & TBSTYLE_SEP)
            b.width = tb.iBitmap;
        t->buttons.insert(t->buttons.begin() + at + (int)k, b);
    }
    AutoSize(hwnd, t);
    Redraw(hwnd);
    return true;
}

// Adds a strip of images cut at the bitmap size; returns the index of the first.
int AddBitmap(Toolbar* t, int count, const TBADDBITMAP* ab)
{
    if (!ab || count <= 0)
        return -1;
    HBITMAP bmp;
    bool owned = false;
    if (ab->hInst == HINST_COMMCTRL) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND); // no stock button images in this layer
        return -1;
    }
    if (ab->hInst) {
        bmp = (HBITMAP)LoadImageW(ab->hInst, MAKEINTRESOURCEW(ab->nID), IMAGE_BITMAP, 0, 0, 0);
        owned = true;
    } else {
        bmp = (HBITMAP)ab->nID;
    }
    if (!bmp)
        return -1;
    if (!t->strip)
        t->strip = ImageList_Create(t->bitmap.cx, t->bitmap.cy, ILC_COLOR32, count, 4);
    int first = t->stripCount;
    int added = t->strip ? ImageList_Add(t->strip, bmp, nullptr) : -1;
    if (owned)
        DeleteObject(bmp);
    if (added < 0)
        return -1;
    t->stripCount = ImageList_GetImageCount(t->strip);
    return first;
}

void SetCheck(HWND hwnd, Toolbar* t, int index, bool on)
{
    Button& b = t->buttons[(size_t)index];
    if (on && (b.style & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP) {
        // A check group is the run of check-group buttons around this one.
        int lo = index, hi = index;
        auto inGroup = [&](int k) { return (t->buttons[(size_t)k].style & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP; };
        while (lo > 0 && inGroup(lo - 1))
            --lo;
        while (hi + 1 < (int)t->buttons.size() && inGroup(hi + 1))
            ++hi;
        for (int k = lo; k <= hi; ++k)
            t->buttons[(size_t)k].state &= (BYTE)~TBSTATE_CHECKED;
    }
    if (on)
        b.state |= TBSTATE_CHECKED;
    else
        b.state &= (BYTE)~TBSTATE_CHECKED;
    Redraw(hwnd);
}

void Click(HWND hwnd, Toolbar* t, int index)
{
    Button& b = t->buttons[(size_t)index];
    int id = b.id;
    if (b.style & TBSTYLE_CHECK) {
        bool group = (b.style & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP;
        SetCheck(hwnd, t, index, group ? true : !(b.state & TBSTATE_CHECKED));
    }
    NMMOUSE nm{};
    nm.dwItemSpec = (DWORD_PTR)id;
    nm.dwItemData = b.data;
    GetCursorPos(&nm.pt);
    ScreenToClient(hwnd, &nm.pt);
    Notify(hwnd, t, &nm.hdr, NM_CLICK);
    HWND to = Target(hwnd, t);
    if (to)
        SendMessageW(to, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)hwnd);
}

void DrawButton(HWND hwnd, Toolbar* t, HDC dc, const Button& b, RECT r, bool hot)
{
    bool flat = (StyleOf(hwnd) & TBSTYLE_FLAT) != 0;
    bool enabled = (b.state & TBSTATE_ENABLED) && IsWindowEnabled(hwnd);
    bool down = (b.state & TBSTATE_PRESSED) != 0;
    bool checked = (b.state & TBSTATE_CHECKED) != 0;
    if (b.style & TBSTYLE_SEP) {
        if (flat) {
            int x = (r.left + r.right) / 2 - 1;
            RECT line{x, r.top + 1, x + 2, r.bottom - 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
        }
        return;
    }
    if (checked && !down) {
        // The checked face is lighter than the bar, as the classic dithered face looks from afar.
        HBRUSH light = CreateSolidBrush(GetSysColor(COLOR_3DLIGHT) == GetSysColor(COLOR_3DFACE)
                                            ? RGB(224, 223, 227)
                                            : GetSysColor(COLOR_3DLIGHT));
        RECT in = r;
        InflateRect(&in, -1, -1);
        FillRect(dc, &in, light);
        DeleteObject(light);
    }
    if (down || checked)
        DrawEdge(dc, &r, flat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
    else if (!flat)
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    else if (hot && enabled)
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);

    int shift = (down || checked) ? 1 : 0;
    HIMAGELIST list = ImageListOf(t);
    if (hot && t->hotImages)
        list = t->hotImages;
    if (!enabled && t->disabledImages)
        list = t->disabledImages;
    int th = TextHeight(hwnd, t);
    int ix = (r.left + r.right - t->bitmap.cx) / 2 + shift;
    int iy = r.top + (r.bottom - r.top - t->bitmap.cy - (th ? th + 2 : 0)) / 2 + shift;
    if (list && b.image >= 0) {
        if (enabled || t->disabledImages) {
            ImageList_Draw(list, b.image, dc, ix, iy, ILD_TRANSPARENT);
        } else {
            HICON icon = ImageList_GetIcon(list, b.image, ILD_TRANSPARENT);
            if (icon) {
                DrawStateW(dc, nullptr, nullptr, (LPARAM)icon, 0, ix, iy, t->bitmap.cx, t->bitmap.cy,
                           DST_ICON | DSS_DISABLED);
                DestroyIcon(icon);
            }
        }
    }
    if (!b.text.empty()) {
        RECT tr{r.left + 1 + shift, iy + t->bitmap.cy + 1, r.right - 1 + shift, r.bottom - 1};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        HGDIOBJ old = SelectObject(dc, t->font);
        DrawTextW(dc, b.text.c_str(), (int)b.text.size(), &tr, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        SelectObject(dc, old);
    }
}

void PaintToolbar(HWND hwnd, Toolbar* t, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    if (!(StyleOf(hwnd) & TBSTYLE_TRANSPARENT))
        FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    if (!(StyleOf(hwnd) & CCS_NODIVIDER)) {
        RECT top = client;
        DrawEdge(dc, &top, EDGE_ETCHED, BF_TOP);
    }
    auto rects = Rects(hwnd, t);
    for (size_t i = 0; i < rects.size(); ++i)
        if (!(t->buttons[i].state & TBSTATE_HIDDEN))
            DrawButton(hwnd, t, dc, t->buttons[i], rects[i], (int)i == t->hot);
}

BOOL ChangeState(HWND hwnd, Toolbar* t, int id, BYTE bit, BOOL on)
{
    int i = IndexOf(t, id);
    if (i < 0)
        return FALSE;
    if (bit == TBSTATE_CHECKED) {
        SetCheck(hwnd, t, i, on != 0);
        return TRUE;
    }
    BYTE& s = t->buttons[(size_t)i].state;
    BYTE before = s;
    s = on ? (BYTE)(s | bit) : (BYTE)(s & ~bit);
    if (bit == TBSTATE_HIDDEN && before != s)
        AutoSize(hwnd, t);
    Redraw(hwnd);
    return TRUE;
}

LRESULT ButtonInfo(HWND hwnd, Toolbar* t, WPARAM wParam, TBBUTTONINFOW* bi, bool set)
{
    if (!bi || bi->cbSize < sizeof(TBBUTTONINFOW))
        return -1;
    int i = (bi->dwMask & TBIF_BYINDEX) ? (int)wParam : IndexOf(t, (int)wParam);
    if (i < 0 || i >= (int)t->buttons.size())
        return set ? FALSE : -1;
    Button& b = t->buttons[(size_t)i];
    if (set) {
        if (bi->dwMask & TBIF_COMMAND)
            b.id = bi->idCommand;
        if (bi->dwMask & TBIF_IMAGE)
            b.image = bi->iImage;
        if (bi->dwMask & TBIF_STATE)
            b.state = bi->fsState;
        if (bi->dwMask & TBIF_STYLE)
            b.style = bi->fsStyle;
        if (bi->dwMask & TBIF_LPARAM)
            b.data = bi->lParam;
        if (bi->dwMask & TBIF_SIZE)
            b.width = bi->cx;
        if (bi->dwMask & TBIF_TEXT)
            b.text = bi->pszText && bi->pszText != LPSTR_TEXTCALLBACKW ? std::u16string(bi->pszText) : std::u16string();
        AutoSize(hwnd, t);
        Redraw(hwnd);
        return TRUE;
    }
    if (bi->dwMask & TBIF_COMMAND)
        bi->idCommand = b.id;
    if (bi->dwMask & TBIF_IMAGE)
        bi->iImage = b.image;
    if (bi->dwMask & TBIF_STATE)
        bi->fsState = b.state;
    if (bi->dwMask & TBIF_STYLE)
        bi->fsStyle = b.style;
    if (bi->dwMask & TBIF_LPARAM)
        bi->lParam = b.data;
    if (bi->dwMask & TBIF_SIZE) {
        auto rects = Rects(hwnd, t);
        bi->cx = (WORD)(rects[(size_t)i].right - rects[(size_t)i].left);
    }
    if ((bi->dwMask & TBIF_TEXT) && bi->pszText && bi->cchText > 0) {
        size_t n = std::min(b.text.size(), (size_t)bi->cchText - 1);
        std::copy(b.text.begin(), b.text.begin() + (ptrdiff_t)n, bi->pszText);
        bi->pszText[n] = 0;
    }
    return i;
}

void SetHot(HWND hwnd, Toolbar* t, int index)
{
    if (index == t->hot)
        return;
    t->hot = index;
    if (StyleOf(hwnd) & TBSTYLE_FLAT)
        Redraw(hwnd);
}

LRESULT CALLBACK ToolbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Toolbar* t = Get(hwnd);
    if (!t && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (t && t->tips && ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || msg == WM_MOUSELEAVE)) {
        MSG m{hwnd, msg, wParam, lParam, 0, {0, 0}};
        SendMessageW(t->tips, TTM_RELAYEVENT, 0, (LPARAM)&m);
    }
    switch (msg) {
    case WM_NCCREATE:
        t = CreateState<Toolbar>(hwnd);
        t->font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE:
        if (StyleOf(hwnd) & TBSTYLE_TOOLTIPS) {
            t->tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, hwnd, nullptr,
                                      nullptr, nullptr);
            t->ownTips = t->tips != nullptr;
        }
        AutoSize(hwnd, t);
        return 0;
    case WM_DESTROY:
        if (t->ownTips && t->tips && IsWindow(t->tips))
            DestroyWindow(t->tips);
        t->tips = nullptr;
        return 0;
    case WM_NCDESTROY:
        if (t->strip)
            ImageList_Destroy(t->strip);
        DestroyState<Toolbar>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        t->font = wParam ? (HFONT)wParam : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        if (LOWORD(lParam))
            Redraw(hwnd);
        return 0;
    case WM_GETFONT: return (LRESULT)t->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: Paint(hwnd, wParam, [&](HDC dc) { PaintToolbar(hwnd, t, dc); }); return 0;
    case WM_SIZE:
        SyncTools(hwnd, t);
        Redraw(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int i = HitIndex(hwnd, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (i < 0 || (t->buttons[(size_t)i].style & TBSTYLE_SEP) || !(t->buttons[(size_t)i].state & TBSTATE_ENABLED))
            return 0;
        t->pressed = i;
        t->pressedIn = true;
        t->buttons[(size_t)i].state |= TBSTATE_PRESSED;
        SetCapture(hwnd);
        Redraw(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        int i = HitIndex(hwnd, t, pt);
        if (t->pressed >= 0 && t->pressed < (int)t->buttons.size()) {
            bool in = i == t->pressed;
            if (in != t->pressedIn) {
                t->pressedIn = in;
                BYTE& s = t->buttons[(size_t)t->pressed].state;
                s = in ? (BYTE)(s | TBSTATE_PRESSED) : (BYTE)(s & ~TBSTATE_PRESSED);
                Redraw(hwnd);
            }
        } else {
            SetHot(hwnd, t, i >= 0 && !(t->buttons[(size_t)i].style & TBSTYLE_SEP) ? i : -1);
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&tme);
        }
        return 0;
    }
    case WM_MOUSELEAVE: SetHot(hwnd, t, -1); return 0;
    case WM_LBUTTONUP: {
        int i = t->pressed;
        bool in = t->pressedIn;
        t->pressed = -1;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (i >= 0 && i < (int)t->buttons.size()) {
            t->buttons[(size_t)i].state &= (BYTE)~TBSTATE_PRESSED;
            Redraw(hwnd);
            if (in)
                Click(hwnd, t, i);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (t->pressed >= 0 && t->pressed < (int)t->buttons.size() && (HWND)lParam != hwnd) {
            t->buttons[(size_t)t->pressed].state &= (BYTE)~TBSTATE_PRESSED;
            t->pressed = -1;
            Redraw(hwnd);
        }
        return 0;
    case WM_RBUTTONUP: {
        NMMOUSE nm{};
        int i = HitIndex(hwnd, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        nm.dwItemSpec = i >= 0 ? (DWORD_PTR)t->buttons[(size_t)i].id : (DWORD_PTR)-1;
        nm.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        Notify(hwnd, t, &nm.hdr, NM_RCLICK);
        return 0;
    }
    case WM_NOTIFY: {
        // Tips ask the tool bar for their text; the owner of the buttons answers.
        auto* nm = (NMHDR*)lParam;
        if (nm && t->tips && nm->hwndFrom == t->tips) {
            HWND to = Target(hwnd, t);
            return to ? SendMessageW(to, WM_NOTIFY, wParam, lParam) : 0;
        }
        return 0;
    }

    case TB_BUTTONSTRUCTSIZE:
        if (wParam >= offsetof(TBBUTTON, dwData) && wParam <= 256)
            t->structSize = (UINT)wParam;
        return 0;
    case TB_ADDBUTTONSW: return InsertButtons(hwnd, t, (int)t->buttons.size(), (UINT)wParam, (const BYTE*)lParam);
    case TB_INSERTBUTTONW: return InsertButtons(hwnd, t, (int)wParam, 1, (const BYTE*)lParam);
    case TB_DELETEBUTTON: {
        if (wParam >= t->buttons.size())
            return FALSE;
        t->buttons.erase(t->buttons.begin() + (ptrdiff_t)wParam);
        t->pressed = t->hot = -1;
        AutoSize(hwnd, t);
        Redraw(hwnd);
        return TRUE;
    }
    case TB_GETBUTTON: {
        if (wParam >= t->buttons.size() || !lParam)
            return FALSE;
        const Button& b = t->buttons[wParam];
        TBBUTTON tb{};
        tb.iBitmap = (b.style & TBSTYLE_SEP) ? b.width : b.image;
        tb.idCommand = b.id;
        tb.fsState = b.state;
        tb.fsStyle = b.style;
        tb.dwData = b.data;
        tb.iString = b.text.empty() ? -1 : (INT_PTR)b.text.c_str();
        std::memcpy((void*)lParam, &tb, std::min<size_t>(t->structSize, sizeof tb));
        return TRUE;
    }
    case TB_BUTTONCOUNT: return (LRESULT)t->buttons.size();
    case TB_COMMANDTOINDEX: return IndexOf(t, (int)wParam);
    case TB_ENABLEBUTTON: return ChangeState(hwnd, t, (int)wParam, TBSTATE_ENABLED, LOWORD(lParam));
    case TB_CHECKBUTTON: return ChangeState(hwnd, t, (int)wParam, TBSTATE_CHECKED, LOWORD(lParam));
    case TB_PRESSBUTTON: return ChangeState(hwnd, t, (int)wParam, TBSTATE_PRESSED, LOWORD(lParam));
    case TB_HIDEBUTTON: return ChangeState(hwnd, t, (int)wParam, TBSTATE_HIDDEN, LOWORD(lParam));
    case TB_INDETERMINATE: return ChangeState(hwnd, t, (int)wParam, TBSTATE_INDETERMINATE, LOWORD(lParam));
    case TB_MARKBUTTON: return ChangeState(hwnd, t, (int)wParam, TBSTATE_MARKED, LOWORD(lParam));
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONHIDDEN:
    case TB_ISBUTTONINDETERMINATE:
    case TB_ISBUTTONHIGHLIGHTED: {
        int i = IndexOf(t, (int)wParam);
        if (i < 0)
            return -1;
        static const BYTE bits[] = {TBSTATE_ENABLED, TBSTATE_CHECKED, TBSTATE_PRESSED,
                                    TBSTATE_HIDDEN,  TBSTATE_INDETERMINATE, TBSTATE_MARKED};
        return (t->buttons[(size_t)i].state & bits[msg - TB_ISBUTTONENABLED]) ? TRUE : FALSE;
    }
    case TB_SETSTATE: {
        int i = IndexOf(t, (int)wParam);
        if (i < 0)
            return FALSE;
        BYTE before = t->buttons[(size_t)i].state;
        t->buttons[(size_t)i].state = (BYTE)LOWORD(lParam);
        if ((before ^ t->buttons[(size_t)i].state) & (TBSTATE_HIDDEN | TBSTATE_WRAP))
            AutoSize(hwnd, t);
        Redraw(hwnd);
        return TRUE;
    }
    case TB_GETSTATE: {
        int i = IndexOf(t, (int)wParam);
        return i < 0 ? -1 : t->buttons[(size_t)i].state;
    }
    case TB_SETSTYLE:
        SetWindowLongPtrW(hwnd, GWL_STYLE, (LONG_PTR)lParam);
        Redraw(hwnd);
        return 0;
    case TB_GETSTYLE: return StyleOf(hwnd);
    case TB_ADDBITMAP: return AddBitmap(t, (int)wParam, (const TBADDBITMAP*)lParam);
    case TB_REPLACEBITMAP: {
        auto* rb = (const TBREPLACEBITMAP*)lParam;
        if (!rb || rb->hInstNew == HINST_COMMCTRL)
            return FALSE;
        if (t->strip)
            ImageList_Destroy(t->strip);
        t->strip = nullptr;
        t->stripCount = 0;
        TBADDBITMAP ab{rb->hInstNew, rb->nIDNew};
        bool ok = AddBitmap(t, rb->nButtons, &ab) >= 0;
        Redraw(hwnd);
        return ok;
    }
    case TB_CHANGEBITMAP: {
        int i = IndexOf(t, (int)wParam);
        if (i < 0)
            return FALSE;
        t->buttons[(size_t)i].image = (int)lParam;
        Redraw(hwnd);
        return TRUE;
    }
    case TB_GETBITMAP: {
        int i = IndexOf(t, (int)wParam);
        return i < 0 ? -1 : t->buttons[(size_t)i].image;
    }
    case TB_ADDSTRINGW: {
        int first = (int)t->strings.size();
        if (wParam && IS_INTRESOURCE(lParam)) {
            WCHAR buf[512] = {};
            int n = LoadStringW((HINSTANCE)wParam, (UINT)lParam, buf, 512);
            if (n <= 0)
                return -1;
            // The resource string starts each entry with a separator of its choice and ends with two.
            WCHAR sep = buf[0];
            std::u16string cur;
            for (int k = 1; k < n; ++k) {
                if (buf[k] != sep) {
                    cur.push_back(buf[k]);
                    continue;
                }
                if (cur.empty())
                    break;
                t->strings.push_back(cur);
                cur.clear();
            }
            if (!cur.empty())
                t->strings.push_back(cur);
            return (int)t->strings.size() > first ? first : -1;
        }
        if (!lParam)
            return -1;
        for (const WCHAR* p = (const WCHAR*)lParam; *p; p += std::char_traits<char16_t>::length(p) + 1)
            t->strings.push_back(p);
        return (int)t->strings.size() > first ? first : -1;
    }
    case TB_GETITEMRECT: {
        auto rects = Rects(hwnd, t);
        if (wParam >= rects.size() || !lParam || (t->buttons[wParam].state & TBSTATE_HIDDEN))
            return FALSE;
        *(RECT*)lParam = rects[wParam];
        return TRUE;
    }
    case TB_GETRECT: {
        int i = IndexOf(t, (int)wParam);
        auto rects = Rects(hwnd, t);
        if (i < 0 || !lParam)
            return FALSE;
        *(RECT*)lParam = rects[(size_t)i];
        return TRUE;
    }
    case TB_SETBUTTONSIZE:
        t->button = {LOWORD(lParam), HIWORD(lParam)};
        AutoSize(hwnd, t);
        return TRUE;
    case TB_GETBUTTONSIZE: {
        SIZE s = ButtonSize(hwnd, t);
        return MAKELONG(s.cx, s.cy);
    }
    case TB_SETBITMAPSIZE:
        if (t->strip && ImageList_GetImageCount(t->strip) > 0)
            return FALSE; // the images already cut keep their size
        t->bitmap = {LOWORD(lParam), HIWORD(lParam)};
        AutoSize(hwnd, t);
        return TRUE;
    case TB_AUTOSIZE: AutoSize(hwnd, t); return 0;
    case TB_SETIMAGELIST:
    case TB_SETHOTIMAGELIST:
    case TB_SETDISABLEDIMAGELIST: {
        HIMAGELIST& slot = msg == TB_SETIMAGELIST ? t->images : msg == TB_SETHOTIMAGELIST ? t->hotImages : t->disabledImages;
        HIMAGELIST old = slot;
        slot = (HIMAGELIST)lParam;
        int cx, cy;
        if (msg == TB_SETIMAGELIST && slot && ImageList_GetIconSize(slot, &cx, &cy))
            t->bitmap = {cx, cy};
        AutoSize(hwnd, t);
        Redraw(hwnd);
        return (LRESULT)old;
    }
    case TB_GETIMAGELIST: return (LRESULT)t->images;
    case TB_GETHOTIMAGELIST: return (LRESULT)t->hotImages;
    case TB_GETDISABLEDIMAGELIST: return (LRESULT)t->disabledImages;
    case TB_LOADIMAGES: SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND); return 0;
    case TB_SETINDENT:
        t->indent = (int)wParam;
        Redraw(hwnd);
        return TRUE;
    case TB_SETPARENT: {
        HWND old = Target(hwnd, t);
        t->notify = (HWND)wParam;
        return (LRESULT)old;
    }
    case TB_GETTOOLTIPS: return (LRESULT)t->tips;
    case TB_SETTOOLTIPS:
        if (t->ownTips && t->tips && t->tips != (HWND)wParam && IsWindow(t->tips))
            DestroyWindow(t->tips);
        t->toolIds.clear();
        t->tips = (HWND)wParam;
        t->ownTips = false;
        SyncTools(hwnd, t);
        return 0;
    case TB_GETROWS: return t->rows;
    case TB_SETCMDID: {
        if (wParam >= t->buttons.size())
            return FALSE;
        t->buttons[wParam].id = (int)lParam;
        return TRUE;
    }
    case TB_GETBUTTONINFOW: return ButtonInfo(hwnd, t, wParam, (TBBUTTONINFOW*)lParam, false);
    case TB_SETBUTTONINFOW: return ButtonInfo(hwnd, t, wParam, (TBBUTTONINFOW*)lParam, true);
    case TB_GETBUTTONTEXTW: {
        int i = IndexOf(t, (int)wParam);
        if (i < 0)
            return -1;
        const std::u16string& s = t->buttons[(size_t)i].text;
        if (lParam) {
            std::copy(s.begin(), s.end(), (WCHAR*)lParam);
            ((WCHAR*)lParam)[s.size()] = 0;
        }
        return (LRESULT)s.size();
    }
    case TB_HITTEST: {
        auto* pt = (POINT*)lParam;
        if (!pt)
            return -1;
        int i = HitIndex(hwnd, t, *pt);
        if (i >= 0)
            return (t->buttons[(size_t)i].style & TBSTYLE_SEP) ? -1 - i : i;
        return -1 - (int)t->buttons.size();
    }
    case TB_GETHOTITEM: return t->hot;
    case TB_SETHOTITEM: {
        int old = t->hot;
        SetHot(hwnd, t, (int)wParam >= 0 && wParam < t->buttons.size() ? (int)wParam : -1);
        return old;
    }
    case TB_GETMAXSIZE: {
        if (!lParam)
            return FALSE;
        auto rects = Rects(hwnd, t);
        SIZE s{0, 0};
        for (size_t i = 0; i < rects.size(); ++i)
            if (!(t->buttons[i].state & TBSTATE_HIDDEN)) {
                s.cx = std::max<LONG>(s.cx, rects[i].right);
                s.cy = std::max<LONG>(s.cy, rects[i].bottom);
            }
        *(SIZE*)lParam = s;
        return TRUE;
    }
    case TB_SETEXTENDEDSTYLE: {
        DWORD old = t->exStyle;
        t->exStyle = (DWORD)lParam;
        return old;
    }
    case TB_GETEXTENDEDSTYLE: return t->exStyle;
    case TB_GETTEXTROWS: return 1;
    case TB_GETPADDING: return MAKELONG(7, 7);
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

ClassInfo ToolbarClass()
{
    return {TOOLBARCLASSNAMEW, ToolbarProc, CS_DBLCLKS, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls
