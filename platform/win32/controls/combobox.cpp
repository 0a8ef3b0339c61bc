// The COMBOBOX window class: a selection field or edit with a drop-down list.
#include "win32/controls/control_util.h"
#include "win32/text.h"

#include <algorithm>
#include <cstring>

namespace controls {

namespace {

const int kEditId = 1001;

struct Combo {
    HWND list = nullptr;
    HWND edit = nullptr;
    WNDPROC editProc = nullptr;
    HFONT font = nullptr;
    int fieldItemHeight = 16; // height of the item shown in the field
    int dropHeight = 0;       // the height asked at creation: field and list together
    int selAtDrop = -1;
    bool dropped = false;
    bool focused = false;
    bool buttonDown = false;    // the arrow button is drawn pushed
    bool openedByPress = false; // the press that opened the list has not been released yet
    bool settingEdit = false;   // the edit's text changes because the selection did
    bool inListScrollBar = false;
};

enum class Close { Commit, Cancel, Quiet };

UINT Type(HWND hwnd)
{
    return StyleOf(hwnd) & 3;
}

bool OwnerDraw(HWND hwnd)
{
    return (StyleOf(hwnd) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
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

// The field's frame is a 2-pixel sunken edge with a pixel of padding inside.
int WindowHeightFor(int itemHeight)
{
    return itemHeight + 6;
}

RECT ButtonRect(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    InflateRect(&rc, -2, -2);
    rc.left = std::max(rc.left, rc.right - GetSystemMetrics(SM_CXVSCROLL));
    return rc;
}

RECT FieldRect(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    InflateRect(&rc, -3, -3);
    rc.right = std::max(rc.left, ButtonRect(hwnd).left - 1);
    return rc;
}

int Sel(Combo* c)
{
    return (int)SendMessageW(c->list, LB_GETCURSEL, 0, 0);
}

std::u16string ItemText(Combo* c, int i)
{
    LRESULT n = SendMessageW(c->list, LB_GETTEXTLEN, (WPARAM)i, 0);
    if (n < 0)
        return {};
    std::u16string s((size_t)n + 1, u'\0');
    n = SendMessageW(c->list, LB_GETTEXT, (WPARAM)i, (LPARAM)s.data());
    s.resize(n > 0 ? (size_t)n : 0);
    return s;
}

bool ListHasStrings(Combo* c)
{
    DWORD st = StyleOf(c->list);
    return !(st & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (st & LBS_HASSTRINGS);
}

void Redraw(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Shows the selected item in the field: in the edit, or by repainting the field.
void ShowSelection(HWND hwnd, Combo* c)
{
    if (c->edit) {
        int sel = Sel(c);
        std::u16string text = sel >= 0 && ListHasStrings(c) ? ItemText(c, sel) : std::u16string();
        c->settingEdit = true;
        SetWindowTextW(c->edit, text.c_str());
        SendMessageW(c->edit, EM_SETSEL, 0, -1);
        c->settingEdit = false;
    }
    Redraw(hwnd);
}

void SelectIndex(HWND hwnd, Combo* c, int i, bool notify)
{
    int old = Sel(c);
    SendMessageW(c->list, LB_SETCURSEL, (WPARAM)i, 0);
    if (Sel(c) == old)
        return;
    ShowSelection(hwnd, c);
    if (notify)
        NotifyCommand(hwnd, CBN_SELCHANGE);
}

RECT DropRect(HWND hwnd, Combo* c)
{
    RECT wr;
    GetWindowRect(hwnd, &wr);
    int itemH = (int)SendMessageW(c->list, LB_GETITEMHEIGHT, 0, 0);
    itemH = std::max(itemH, 1);
    int count = (int)SendMessageW(c->list, LB_GETCOUNT, 0, 0);
    int room = std::max(c->dropHeight - (wr.bottom - wr.top), itemH + 2);
    // A short list shrinks to its items; a long one takes the room the creator gave it.
    int h = std::min(room, std::max(count, 1) * itemH + 2);
    RECT r{wr.left, wr.bottom, wr.right, wr.bottom + h};
    if (r.bottom > GetSystemMetrics(SM_CYSCREEN) && wr.top - h >= 0)
        OffsetRect(&r, 0, -(h + (wr.bottom - wr.top)));
    return r;
}

void DropDown(HWND hwnd, Combo* c, bool byPress)
{
    if (c->dropped)
        return;
    NotifyCommand(hwnd, CBN_DROPDOWN);
    if (!IsWindow(hwnd) || !IsWindow(c->list))
        return;
    c->selAtDrop = Sel(c);
    RECT r = DropRect(hwnd, c);
    SetWindowPos(c->list, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (c->selAtDrop >= 0)
        SendMessageW(c->list, LB_SETCURSEL, (WPARAM)c->selAtDrop, 0);
    c->dropped = true;
    c->openedByPress = byPress;
    c->buttonDown = byPress;
    SetCapture(hwnd);
    Redraw(hwnd);
}

void CloseUp(HWND hwnd, Combo* c, Close how)
{
    if (!c->dropped)
        return;
    c->dropped = false;
    c->openedByPress = false;
    c->buttonDown = false;
    ShowWindow(c->list, SW_HIDE);
    if (GetCapture() == hwnd)
        ReleaseCapture();
    if (how == Close::Cancel && Sel(c) != c->selAtDrop) {
        SendMessageW(c->list, LB_SETCURSEL, (WPARAM)c->selAtDrop, 0);
        ShowSelection(hwnd, c);
    }
    if (how == Close::Commit)
        NotifyCommand(hwnd, CBN_SELENDOK);
    else if (how == Close::Cancel)
        NotifyCommand(hwnd, CBN_SELENDCANCEL);
    NotifyCommand(hwnd, CBN_CLOSEUP);
    if (how == Close::Commit && Sel(c) != c->selAtDrop) {
        ShowSelection(hwnd, c);
        NotifyCommand(hwnd, CBN_SELCHANGE);
    }
    Redraw(hwnd);
}

// Keys shared by the field and the edit; true when the combo box used the key.
bool Key(HWND hwnd, Combo* c, UINT vk, bool alt)
{
    if (vk == VK_F4 || (alt && (vk == VK_DOWN || vk == VK_UP))) {
        if (c->dropped)
            CloseUp(hwnd, c, Close::Commit);
        else
            DropDown(hwnd, c, false);
        return true;
    }
    if (c->dropped && vk == VK_RETURN) {
        CloseUp(hwnd, c, Close::Commit);
        return true;
    }
    if (c->dropped && vk == VK_ESCAPE) {
        CloseUp(hwnd, c, Close::Cancel);
        return true;
    }
    // With an edit, Home and End move its caret unless the list is open.
    if (c->edit && !c->dropped && (vk == VK_HOME || vk == VK_END))
        return false;
    int n = (int)SendMessageW(c->list, LB_GETCOUNT, 0, 0);
    int sel = Sel(c);
    // Page keys step by what the open list shows.
    RECT drop = DropRect(hwnd, c);
    int itemH = std::max(1, (int)SendMessageW(c->list, LB_GETITEMHEIGHT, 0, 0));
    int page = std::max(1, (drop.bottom - drop.top - 2) / itemH - 1);
    int to;
    switch (vk) {
    case VK_UP: to = sel < 0 ? 0 : sel - 1; break;
    case VK_DOWN: to = sel < 0 ? 0 : sel + 1; break;
    case VK_PRIOR: to = sel - page; break;
    case VK_NEXT: to = sel < 0 ? page : sel + page; break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    default: return false;
    }
    if (n == 0)
        return true;
    to = std::clamp(to, 0, n - 1);
    // In the open list the keys move the highlight; the choice counts when the list closes.
    if (c->dropped)
        SendMessageW(c->list, LB_SETCURSEL, (WPARAM)to, 0);
    else
        SelectIndex(hwnd, c, to, true);
    return true;
}

void CharKey(HWND hwnd, Combo* c, WCHAR ch)
{
    if (ch < u' ' || !ListHasStrings(c))
        return;
    std::u16string prefix(1, ch);
    LRESULT i = SendMessageW(c->list, LB_FINDSTRING, (WPARAM)Sel(c), (LPARAM)prefix.c_str());
    if (i != LB_ERR)
        SelectIndex(hwnd, c, (int)i, true);
}

LRESULT CALLBACK EditSubclass(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND combo = GetParent(edit);
    Combo* c = combo ? StateOf<Combo>(combo) : nullptr;
    if (!c || !c->editProc)
        return DefWindowProcW(edit, msg, wParam, lParam);
    WNDPROC base = c->editProc;
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (Key(combo, c, (UINT)wParam, msg == WM_SYSKEYDOWN))
            return 0;
        break;
    case WM_CHAR:
        // The keys that closed the list must not reach the edit as characters.
        if (wParam == u'\r' || wParam == 0x1B)
            return 0;
        break;
    case WM_GETDLGCODE: {
        LRESULT r = CallWindowProcW(base, edit, msg, wParam, lParam);
        auto* m = (MSG*)lParam;
        if (c->dropped && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
            r |= DLGC_WANTMESSAGE;
        return r | DLGC_WANTARROWS;
    }
    }
    return CallWindowProcW(base, edit, msg, wParam, lParam);
}

// Owner-draw requests of the list reach the combo box's parent as the combo box's own.
LRESULT ForwardOwnerDraw(HWND hwnd, UINT msg, LPARAM lParam)
{
    HWND parent = GetParent(hwnd);
    if (!parent || !lParam)
        return 0;
    UINT id = (UINT)GetDlgCtrlID(hwnd);
    switch (msg) {
    case WM_MEASUREITEM: {
        auto* m = (MEASUREITEMSTRUCT*)lParam;
        m->CtlType = ODT_COMBOBOX;
        m->CtlID = id;
        break;
    }
    case WM_DRAWITEM: {
        auto* d = (DRAWITEMSTRUCT*)lParam;
        d->CtlType = ODT_COMBOBOX;
        d->CtlID = id;
        d->hwndItem = hwnd;
        break;
    }
    case WM_DELETEITEM: {
        auto* d = (DELETEITEMSTRUCT*)lParam;
        d->CtlType = ODT_COMBOBOX;
        d->CtlID = id;
        d->hwndItem = hwnd;
        break;
    }
    case WM_COMPAREITEM: {
        auto* ci = (COMPAREITEMSTRUCT*)lParam;
        ci->CtlType = ODT_COMBOBOX;
        ci->CtlID = id;
        ci->hwndItem = hwnd;
        break;
    }
    }
    return SendMessageW(parent, msg, (WPARAM)id, lParam);
}

void Draw(HWND hwnd, HDC dc, Combo* c)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    int saved = SaveDC(dc);
    SelectObject(dc, FontOrDefault(c->font));
    HBRUSH br = ControlColor(hwnd, dc, WM_CTLCOLOREDIT);
    RECT inner = rc;
    InflateRect(&inner, -2, -2);
    FillRect(dc, &inner, enabled ? (br ? br : GetSysColorBrush(COLOR_WINDOW)) : GetSysColorBrush(COLOR_3DFACE));
    RECT frame = rc;
    DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
    RECT button = ButtonRect(hwnd);
    DrawFrameControl(dc, &button, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (c->buttonDown ? DFCS_PUSHED | DFCS_FLAT : 0) |
                         (enabled ? 0 : DFCS_INACTIVE));
    if (!c->edit) {
        RECT field = FieldRect(hwnd);
        int sel = Sel(c);
        bool hot = c->focused && !c->dropped;
        if (OwnerDraw(hwnd)) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_COMBOBOX;
            dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
            dis.itemID = (UINT)sel;
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = ODS_COMBOBOXEDIT | (hot ? ODS_SELECTED | ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
            dis.hwndItem = hwnd;
            dis.hDC = dc;
            dis.rcItem = field;
            dis.itemData = sel >= 0 ? (ULONG_PTR)SendMessageW(c->list, LB_GETITEMDATA, (WPARAM)sel, 0) : 0;
            if (HWND parent = GetParent(hwnd))
                SendMessageW(parent, WM_DRAWITEM, (WPARAM)dis.CtlID, (LPARAM)&dis);
        } else {
            if (hot) {
                FillRect(dc, &field, GetSysColorBrush(COLOR_HIGHLIGHT));
                SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            } else if (!enabled) {
                SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            }
            SetBkMode(dc, TRANSPARENT);
            if (sel >= 0) {
                std::u16string text = ItemText(c, sel);
                RECT tr = field;
                tr.left += 2;
                DrawTextW(dc, text.c_str(), (int)text.size(), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            }
            if (hot)
                DrawFocusRect(dc, &field);
        }
    }
    RestoreDC(dc, saved);
}

void Layout(HWND hwnd, Combo* c)
{
    if (!c->edit)
        return;
    RECT f = FieldRect(hwnd);
    SetWindowPos(c->edit, nullptr, f.left, f.top, f.right - f.left, f.bottom - f.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetFieldHeight(HWND hwnd, Combo* c, int h)
{
    c->fieldItemHeight = h;
    RECT wr;
    GetWindowRect(hwnd, &wr);
    SetWindowPos(hwnd, nullptr, 0, 0, wr.right - wr.left, WindowHeightFor(h), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(hwnd, c);
}

bool Create(HWND hwnd, Combo* c, const CREATESTRUCTW* cs)
{
    DWORD style = StyleOf(hwnd);
    c->dropHeight = cs->cy;
    int textH = TextHeight(hwnd, c->font);
    int fieldH = textH + 2;
    if (OwnerDraw(hwnd)) {
        MEASUREITEMSTRUCT m{ODT_COMBOBOX, (UINT)GetDlgCtrlID(hwnd), (UINT)-1, (UINT)cs->cx, (UINT)fieldH, 0};
        if (HWND parent = GetParent(hwnd))
            SendMessageW(parent, WM_MEASUREITEM, (WPARAM)m.CtlID, (LPARAM)&m);
        fieldH = (int)std::clamp<UINT>(m.itemHeight, 1, 255);
    }
    DWORD listStyle = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_COMBOBOX | LBS_NOINTEGRALHEIGHT |
                      (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) | ((style & CBS_SORT) ? LBS_SORT : 0) |
                      ((style & CBS_HASSTRINGS) ? LBS_HASSTRINGS : 0) |
                      ((style & CBS_DISABLENOSCROLL) ? LBS_DISABLENOSCROLL : 0);
    c->list = CreateWindowExW(WS_EX_TOOLWINDOW, u"ComboLBox", nullptr, listStyle, 0, 0, cs->cx, 100, hwnd, nullptr,
                              cs->hInstance, (LPVOID)hwnd);
    if (!c->list)
        return false;
    if (Type(hwnd) != CBS_DROPDOWNLIST) {
        DWORD es = WS_CHILD | WS_VISIBLE | ES_LEFT | ((style & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0) |
                   ((style & CBS_UPPERCASE) ? ES_UPPERCASE : 0) | ((style & CBS_LOWERCASE) ? ES_LOWERCASE : 0);
        c->edit = CreateWindowExW(0, u"Edit", nullptr, es, 0, 0, 10, 10, hwnd, (HMENU)(ULONG_PTR)kEditId,
                                  cs->hInstance, nullptr);
        if (!c->edit)
            return false;
        c->editProc = (WNDPROC)SetWindowLongPtrW(c->edit, GWLP_WNDPROC, (LONG_PTR)EditSubclass);
    }
    SetFieldHeight(hwnd, c, fieldH);
    return true;
}

void SetFocusState(HWND hwnd, Combo* c, bool focused)
{
    if (c->focused == focused)
        return;
    c->focused = focused;
    if (!focused)
        CloseUp(hwnd, c, Close::Cancel);
    Redraw(hwnd);
    NotifyCommand(hwnd, focused ? CBN_SETFOCUS : CBN_KILLFOCUS);
}

POINT ListPoint(HWND hwnd, Combo* c, LPARAM lParam)
{
    POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    ClientToScreen(hwnd, &pt);
    ScreenToClient(c->list, &pt);
    return pt;
}

bool InListClient(Combo* c, POINT listPt)
{
    RECT rc;
    GetClientRect(c->list, &rc);
    return PtInRect(&rc, listPt) != FALSE;
}

// The list item under a point of the list's client area, or -1.
int ListItemAt(Combo* c, POINT listPt)
{
    if (!InListClient(c, listPt))
        return -1;
    LRESULT r = SendMessageW(c->list, LB_ITEMFROMPOINT, 0, MAKELPARAM(listPt.x, listPt.y));
    return HIWORD(r) ? -1 : (int)LOWORD(r);
}

void MouseDown(HWND hwnd, Combo* c, LPARAM lParam)
{
    POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (!c->dropped) {
        HWND target = c->edit ? c->edit : hwnd;
        if (GetFocus() != target)
            SetFocus(target);
        if (!IsWindow(hwnd))
            return;
        RECT button = ButtonRect(hwnd);
        if (!c->edit || PtInRect(&button, pt))
            DropDown(hwnd, c, true);
        return;
    }
    POINT lp = ListPoint(hwnd, c, lParam);
    if (InListClient(c, lp)) {
        int i = ListItemAt(c, lp);
        if (i >= 0)
            SendMessageW(c->list, LB_SETCURSEL, (WPARAM)i, 0);
        return;
    }
    RECT lw;
    GetWindowRect(c->list, &lw);
    POINT screen = pt;
    ClientToScreen(hwnd, &screen);
    if (PtInRect(&lw, screen)) {
        // The list's scroll bar runs its own tracking; the list stays open meanwhile.
        LRESULT hit = SendMessageW(c->list, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        c->inListScrollBar = true;
        SendMessageW(c->list, WM_NCLBUTTONDOWN, (WPARAM)hit, MAKELPARAM(screen.x, screen.y));
        c->inListScrollBar = false;
        if (IsWindow(hwnd) && c->dropped)
            SetCapture(hwnd);
        return;
    }
    // A press anywhere else (the field and its button included) closes the list unchanged.
    CloseUp(hwnd, c, Close::Cancel);
}

void MouseUp(HWND hwnd, Combo* c, LPARAM lParam)
{
    if (!c->dropped)
        return;
    bool first = c->openedByPress;
    c->openedByPress = false;
    if (c->buttonDown) {
        c->buttonDown = false;
        Redraw(hwnd);
    }
    int i = ListItemAt(c, ListPoint(hwnd, c, lParam));
    if (i >= 0) {
        SendMessageW(c->list, LB_SETCURSEL, (WPARAM)i, 0);
        CloseUp(hwnd, c, Close::Commit);
        return;
    }
    // The release of the press that opened the list leaves it open for a second click.
    (void)first;
}

LRESULT GetText(HWND hwnd, Combo* c, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (c->edit)
        return SendMessageW(c->edit, msg, wParam, lParam);
    int sel = Sel(c);
    std::u16string text = sel >= 0 && ListHasStrings(c) ? ItemText(c, sel) : std::u16string();
    if (msg == WM_GETTEXTLENGTH)
        return (LRESULT)text.size();
    if (!lParam || wParam == 0)
        return 0;
    size_t n = std::min(text.size(), (size_t)wParam - 1);
    std::copy(text.begin(), text.begin() + (ptrdiff_t)n, (WCHAR*)lParam);
    ((WCHAR*)lParam)[n] = 0;
    return (LRESULT)n;
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Combo* c = StateOf<Combo>(hwnd);
    if (!c && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE:
        if (!c)
            CreateState<Combo>(hwnd);
        // Scroll bars asked of a combo box are its list's, which always has one: the field shows none.
        SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~LONG_PTR(WS_VSCROLL | WS_HSCROLL));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CREATE: return Create(hwnd, c, (const CREATESTRUCTW*)lParam) ? 0 : -1;
    case WM_DESTROY:
        if (c->list) {
            HWND list = c->list;
            DestroyWindow(list);
            c->list = nullptr;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        DestroyState<Combo>(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // The list measures its items while it is being made, before the combo box knows it.
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM: return ForwardOwnerDraw(hwnd, msg, lParam);
    }
    if (!c->list)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_COMMAND:
        if ((HWND)lParam == c->edit && c->edit) {
            switch (HIWORD(wParam)) {
            case EN_SETFOCUS: SetFocusState(hwnd, c, true); break;
            case EN_KILLFOCUS:
                if (GetFocus() != hwnd)
                    SetFocusState(hwnd, c, false);
                break;
            case EN_CHANGE:
                if (!c->settingEdit)
                    NotifyCommand(hwnd, CBN_EDITCHANGE);
                break;
            case EN_UPDATE:
                if (!c->settingEdit)
                    NotifyCommand(hwnd, CBN_EDITUPDATE);
                break;
            }
        }
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        // The edit and the list take the colours the combo box's parent gives.
        if (HWND parent = GetParent(hwnd))
            return SendMessageW(parent, msg, wParam, lParam);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE: {
        LRESULT r = DLGC_WANTARROWS | DLGC_WANTCHARS;
        auto* m = (MSG*)lParam;
        if (c->dropped && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
            r |= DLGC_WANTMESSAGE;
        return r;
    }
    case WM_SETFONT:
        c->font = (HFONT)wParam;
        SendMessageW(c->list, WM_SETFONT, wParam, FALSE);
        if (c->edit)
            SendMessageW(c->edit, WM_SETFONT, wParam, FALSE);
        if (!OwnerDraw(hwnd))
            SetFieldHeight(hwnd, c, TextHeight(hwnd, c->font) + 2);
        if (LOWORD(lParam))
            Redraw(hwnd);
        return 0;
    case WM_GETFONT: return (LRESULT)c->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, c); });
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // A size given to a combo box is the field and its list together: the field keeps its own height and
        // the rest becomes the room of the drop-down list.
        auto* wp = (WINDOWPOS*)lParam;
        const int field = WindowHeightFor(c->fieldItemHeight);
        if (wp && !(wp->flags & SWP_NOSIZE) && wp->cy != field) {
            c->dropHeight = wp->cy;
            wp->cy = field;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_SIZE:
        Layout(hwnd, c);
        return 0;
    case WM_ENABLE:
        if (c->edit)
            EnableWindow(c->edit, (BOOL)wParam);
        if (!wParam)
            CloseUp(hwnd, c, Close::Cancel);
        Redraw(hwnd);
        return 0;
    case WM_SETFOCUS:
        if (c->edit) {
            SetFocus(c->edit);
            return 0;
        }
        SetFocusState(hwnd, c, true);
        return 0;
    case WM_KILLFOCUS:
        if (!c->edit || (HWND)wParam != c->edit)
            SetFocusState(hwnd, c, false);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: MouseDown(hwnd, c, lParam); return 0;
    case WM_MOUSEMOVE:
        if (c->dropped) {
            int i = ListItemAt(c, ListPoint(hwnd, c, lParam));
            if (i >= 0 && i != Sel(c))
                SendMessageW(c->list, LB_SETCURSEL, (WPARAM)i, 0);
        }
        return 0;
    case WM_LBUTTONUP: MouseUp(hwnd, c, lParam); return 0;
    case WM_CAPTURECHANGED:
        if (c->dropped && !c->inListScrollBar && (HWND)lParam != hwnd)
            CloseUp(hwnd, c, Close::Cancel);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (Key(hwnd, c, (UINT)wParam, msg == WM_SYSKEYDOWN))
            return 0;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CHAR:
        if (!c->edit)
            CharKey(hwnd, c, (WCHAR)wParam);
        return 0;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: return GetText(hwnd, c, msg, wParam, lParam);
    case WM_SETTEXT:
        if (c->edit) {
            c->settingEdit = true;
            LRESULT r = SendMessageW(c->edit, msg, wParam, lParam);
            c->settingEdit = false;
            return r;
        }
        {
            LRESULT i = lParam ? SendMessageW(c->list, LB_FINDSTRINGEXACT, (WPARAM)-1, lParam) : LB_ERR;
            if (i == LB_ERR)
                return CB_ERR;
            SelectIndex(hwnd, c, (int)i, false);
            return TRUE;
        }

    case CB_ADDSTRING: return SendMessageW(c->list, LB_ADDSTRING, 0, lParam);
    case CB_INSERTSTRING: return SendMessageW(c->list, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
        int sel = Sel(c);
        LRESULT r = SendMessageW(c->list, LB_DELETESTRING, wParam, lParam);
        if (r != LB_ERR && (int)wParam == sel)
            Redraw(hwnd);
        return r;
    }
    case CB_RESETCONTENT:
        SendMessageW(c->list, LB_RESETCONTENT, 0, 0);
        ShowSelection(hwnd, c);
        return CB_OKAY;
    case CB_GETCOUNT: return SendMessageW(c->list, LB_GETCOUNT, 0, 0);
    case CB_GETCURSEL: return Sel(c);
    case CB_SETCURSEL: {
        LRESULT r = SendMessageW(c->list, LB_SETCURSEL, wParam, 0);
        ShowSelection(hwnd, c);
        return r;
    }
    case CB_SELECTSTRING: {
        LRESULT r = SendMessageW(c->list, LB_SELECTSTRING, wParam, lParam);
        if (r != LB_ERR)
            ShowSelection(hwnd, c);
        return r;
    }
    case CB_GETLBTEXT: return SendMessageW(c->list, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN: return SendMessageW(c->list, LB_GETTEXTLEN, wParam, 0);
    case CB_FINDSTRING: return SendMessageW(c->list, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT: return SendMessageW(c->list, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_GETITEMDATA: return SendMessageW(c->list, LB_GETITEMDATA, wParam, 0);
    case CB_SETITEMDATA: return SendMessageW(c->list, LB_SETITEMDATA, wParam, lParam);
    case CB_SHOWDROPDOWN:
        if (wParam)
            DropDown(hwnd, c, false);
        else
            CloseUp(hwnd, c, Close::Quiet);
        return TRUE;
    case CB_GETDROPPEDSTATE: return c->dropped;
    case CB_GETITEMHEIGHT:
        if ((int)wParam == -1)
            return c->fieldItemHeight;
        return SendMessageW(c->list, LB_GETITEMHEIGHT, wParam, 0);
    case CB_SETITEMHEIGHT:
        if ((int)wParam == -1) {
            int h = (int)LOWORD(lParam);
            if (h <= 0 || h > 255)
                return CB_ERR;
            SetFieldHeight(hwnd, c, h);
            return CB_OKAY;
        }
        return SendMessageW(c->list, LB_SETITEMHEIGHT, wParam, lParam);
    case CB_LIMITTEXT:
        if (c->edit)
            SendMessageW(c->edit, EM_LIMITTEXT, wParam, 0);
        return TRUE;
    case CB_GETEDITSEL: {
        if (!c->edit)
            return CB_ERR;
        DWORD start = 0, end = 0;
        SendMessageW(c->edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        if (wParam)
            *(DWORD*)wParam = start;
        if (lParam)
            *(DWORD*)lParam = end;
        return MAKELONG(std::min<DWORD>(start, 0xFFFF), std::min<DWORD>(end, 0xFFFF));
    }
    case CB_SETEDITSEL: {
        if (!c->edit)
            return CB_ERR;
        // -1 in either word stands for "none" at the start and "to the end" at the end.
        int start = (short)LOWORD(lParam), end = (short)HIWORD(lParam);
        if (start == -1)
            SendMessageW(c->edit, EM_SETSEL, (WPARAM)-1, 0);
        else
            SendMessageW(c->edit, EM_SETSEL, (WPARAM)start, (LPARAM)end);
        return TRUE;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo ComboBoxClass()
{
    return {u"ComboBox", ComboProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, (HCURSOR)IDC_ARROW, 0};
}

} // namespace controls

BOOL ApplyDialogInitData(HWND dlg, const void* data, DWORD size)
{
    if (!dlg || (!data && size)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const BYTE* p = (const BYTE*)data;
    DWORD at = 0;
    bool ok = true;
    while (ok && at + 2 <= size) {
        WORD id, msg;
        DWORD len;
        memcpy(&id, p + at, 2);
        if (id == 0)
            return TRUE;
        if (at + 8 > size) {
            ok = false;
            break;
        }
        memcpy(&msg, p + at + 2, 2);
        memcpy(&len, p + at + 4, 4);
        at += 8;
        if (len > size - at) {
            ok = false;
            break;
        }
        // The 16-bit codes (user messages 1 and 3) are what resource tools write.
        UINT add;
        if (msg == 0x0401 || msg == LB_ADDSTRING)
            add = LB_ADDSTRING;
        else if (msg == 0x0403 || msg == CB_ADDSTRING)
            add = CB_ADDSTRING;
        else {
            ok = false;
            break;
        }
        HWND ctl = GetDlgItem(dlg, id);
        if (!ctl) {
            ok = false;
            break;
        }
        // The text ends at its NUL or at the record's end, whichever comes first.
        DWORD n = 0;
        while (n < len && p[at + n])
            ++n;
        std::u16string text = n ? std::u16string((size_t)n, u'\0') : std::u16string();
        int wn = n ? MultiByteToWideChar(CP_ACP, 0, (LPCSTR)(p + at), (int)n, text.data(), (int)n) : 0;
        text.resize(wn > 0 ? (size_t)wn : 0);
        LRESULT r = SendMessageW(ctl, add, 0, (LPARAM)text.c_str());
        if (r < 0) {
            ok = false;
            break;
        }
        at += len;
    }
    // Data without its terminating zero ends with its last whole record; a stray byte is a fault.
    if (ok && at == size)
        return TRUE;
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
}
