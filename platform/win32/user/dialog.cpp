// The dialog manager: templates, creation, modal loops, the default dialog procedure, dialog units.
#include "win32/user/internal.h"

#include "win32/resources.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace user {

namespace {

std::function<void(HWND)>& ModalHandler()
{
    static auto* h = new std::function<void(HWND)>;
    return *h;
}

struct ItemTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::u16string cls;
    std::u16string text;
    WORD textOrdinal = 0; // a resource id in place of the text (icon and bitmap statics)
    std::vector<BYTE> data;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::u16string menu, cls, title;
    WORD menuId = 0;
    WORD pointSize = 0;
    WORD weight = 400;
    BYTE italic = 0, charset = 1;
    std::u16string face;
    std::vector<ItemTemplate> items;
};

// Templates are read with a bound, so a damaged one fails instead of reading past its end.
struct Reader {
    const BYTE* base;
    const BYTE* p;
    const BYTE* end;
    bool ok = true;
    template <class T>
    T Get()
    {
        T v{};
        if ((size_t)(end - p) < sizeof(T)) {
            ok = false;
            return v;
        }
        memcpy(&v, p, sizeof(T));
        p += sizeof(T);
        return v;
    }
    std::u16string String()
    {
        std::u16string s;
        for (;;) {
            WORD c = Get<WORD>();
            if (!ok || !c)
                return s;
            s.push_back((char16_t)c);
        }
    }
    // A name that is either 0 (none), 0xFFFF and an ordinal, or a string.
    std::u16string NameOrOrdinal(WORD* ordinal)
    {
        *ordinal = 0;
        if ((size_t)(end - p) < 2) {
            ok = false;
            return {};
        }
        WORD first;
        memcpy(&first, p, 2);
        if (first == 0) {
            p += 2;
            return {};
        }
        if (first == 0xFFFF) {
            p += 2;
            *ordinal = Get<WORD>();
            return {};
        }
        return String();
    }
    void Align()
    {
        size_t off = (size_t)(p - base);
        size_t pad = (4 - off % 4) % 4;
        p = (size_t)(end - p) < pad ? end : p + pad;
    }
};

const char16_t* PredefinedClass(WORD ordinal)
{
    switch (ordinal) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
    }
    return nullptr;
}

bool Parse(const void* data, size_t size, DialogTemplate* t)
{
    const BYTE* b = (const BYTE*)data;
    Reader r{b, b, b + size};
    WORD ver = r.Get<WORD>(), sig = r.Get<WORD>();
    bool ex = ver == 1 && sig == 0xFFFF;
    WORD count;
    if (ex) {
        r.Get<DWORD>(); // help id
        t->exStyle = r.Get<DWORD>();
        t->style = r.Get<DWORD>();
    } else {
        r.p = b;
        t->style = r.Get<DWORD>();
        t->exStyle = r.Get<DWORD>();
    }
    count = r.Get<WORD>();
    t->x = r.Get<short>();
    t->y = r.Get<short>();
    t->cx = r.Get<short>();
    t->cy = r.Get<short>();
    WORD ord;
    t->menu = r.NameOrOrdinal(&t->menuId);
    t->cls = r.NameOrOrdinal(&ord);
    if (ord)
        t->cls = ClassAtomName(ord);
    t->title = r.String();
    if (t->style & DS_SETFONT) {
        t->pointSize = r.Get<WORD>();
        if (ex) {
            t->weight = r.Get<WORD>();
            t->italic = r.Get<BYTE>();
            t->charset = r.Get<BYTE>();
        }
        t->face = r.String();
    }
    if (!r.ok || count > 1000)
        return false;
    for (WORD i = 0; i < count; ++i) {
        r.Align();
        ItemTemplate it;
        if (ex) {
            r.Get<DWORD>(); // help id
            it.exStyle = r.Get<DWORD>();
            it.style = r.Get<DWORD>();
        } else {
            it.style = r.Get<DWORD>();
            it.exStyle = r.Get<DWORD>();
        }
        it.x = r.Get<short>();
        it.y = r.Get<short>();
        it.cx = r.Get<short>();
        it.cy = r.Get<short>();
        it.id = ex ? r.Get<DWORD>() : r.Get<WORD>();
        it.cls = r.NameOrOrdinal(&ord);
        if (ord) {
            const char16_t* name = PredefinedClass(ord);
            if (!name)
                return false;
            it.cls = name;
        }
        it.text = r.NameOrOrdinal(&it.textOrdinal);
        WORD extra = r.Get<WORD>();
        if (!r.ok || (size_t)(r.end - r.p) < extra)
            return false;
        it.data.assign(r.p, r.p + extra);
        r.p += extra;
        t->items.push_back(std::move(it));
    }
    return r.ok;
}

DialogInfo* Info(HWND dlg)
{
    Window* w = Find(dlg);
    return w ? w->dlg.get() : nullptr;
}

bool IsDialog(HWND h)
{
    Guard lk(Lock());
    return Info(h) != nullptr;
}

// The dialog's font and its base units: the font's cell height, and half the average width of
// the Latin letters rounded up, as the system measures them.
HFONT FontFor(const DialogTemplate& t, int* bx, int* by)
{
    LONG u = GetDialogBaseUnits();
    *bx = LOWORD(u);
    *by = HIWORD(u);
    if (!(t.style & DS_SETFONT))
        return nullptr;
    LOGFONTW lf{};
    lf.lfHeight = -((t.pointSize * 96 + 36) / 72);
    lf.lfWeight = t.weight;
    lf.lfItalic = t.italic;
    lf.lfCharSet = t.charset;
    for (size_t i = 0; i < t.face.size() && i < 31; ++i)
        lf.lfFaceName[i] = t.face[i];
    HFONT font = CreateFontIndirectW(&lf);
    if (!font)
        return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    SIZE sz{};
    static const char16_t letters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsW(dc, &tm) && GetTextExtentPoint32W(dc, letters, 52, &sz) && tm.tmHeight > 0) {
        *by = tm.tmHeight;
        *bx = (sz.cx / 26 + 1) / 2;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return font;
}

// Where a centred top-level window is centred: its owner while that is shown, else the work area.
RECT CenteringArea(HWND owner)
{
    RECT area;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

HWND CreateFromTemplate(HINSTANCE instance, const void* tmpl, size_t size, HWND parent, DLGPROC proc, LPARAM param,
                        bool modal)
{
    DialogTemplate t;
    if (!tmpl || !Parse(tmpl, size, &t)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    int bx, by;
    HFONT ownFont = FontFor(t, &bx, &by);
    DWORD style = t.style, exStyle = t.exStyle;
    if (style & DS_MODALFRAME)
        exStyle |= WS_EX_DLGMODALFRAME;
    if (style & DS_CONTROL) {
        style &= ~(WS_CAPTION | WS_SYSMENU | WS_POPUP);
        style |= WS_CHILD;
        exStyle |= WS_EX_CONTROLPARENT;
    }
    RECT rc{0, 0, MulDivDU(t.cx, bx, 4), MulDivDU(t.cy, by, 8)};
    AdjustWindowRectEx(&rc, style & ~WS_VSCROLL & ~WS_HSCROLL, FALSE, exStyle);
    int x = MulDivDU(t.x, bx, 4), y = MulDivDU(t.y, by, 8);
    int w = Width(rc), h = Height(rc);
    HWND owner = parent && !(style & WS_CHILD) ? GetAncestor(parent, GA_ROOT) : parent;
    if (style & WS_CHILD) {
        // relative to the parent's client area
    } else if (style & (DS_CENTER | DS_CENTERMOUSE)) {
        RECT area = CenteringArea(owner);
        x = area.left + (Width(area) - w) / 2;
        y = area.top + (Height(area) - h) / 2;
    } else if (!(style & DS_ABSALIGN) && owner) {
        POINT o{0, 0};
        ClientToScreen(owner, &o);
        x += o.x + rc.left;
        y += o.y + rc.top;
    }
    if (!(style & WS_CHILD)) {
        // Keep the dialog on the work area.
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = std::max<int>(work.left, std::min<int>(x, work.right - w));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
    }
    HMENU menu = nullptr;
    bool visible = (style & WS_VISIBLE) != 0;
    std::u16string cls = t.cls.empty() ? std::u16string(u"#32770") : t.cls;
    HWND dlg = CreateWindowExW(exStyle, cls.c_str(), t.title.c_str(), style & ~WS_VISIBLE, x, y, w, h, owner, menu,
                               instance, (LPVOID)param);
    if (!dlg) {
        if (ownFont)
            DeleteObject(ownFont);
        return nullptr;
    }
    {
        Guard lk(Lock());
        Window* win = Find(dlg);
        if (!win)
            return nullptr;
        if (win->extra.size() < 24)
            win->extra.resize(48, 0);
        auto info = std::make_unique<DialogInfo>();
        info->baseX = bx;
        info->baseY = by;
        info->modal = modal;
        info->defId = 0;
        info->font = ownFont;
        info->ownsFont = ownFont != nullptr;
        win->dlg = std::move(info);
    }
    SetWindowLongPtrW(dlg, DWLP_DLGPROC, (LONG_PTR)proc);
    if (ownFont)
        SendMessageW(dlg, WM_SETFONT, (WPARAM)ownFont, FALSE);
    HFONT font = (HFONT)SendMessageW(dlg, WM_GETFONT, 0, 0);
    for (auto& it : t.items) {
        RECT r{MulDivDU(it.x, bx, 4), MulDivDU(it.y, by, 8), MulDivDU(it.x + it.cx, bx, 4),
               MulDivDU(it.y + it.cy, by, 8)};
        LPCWSTR text = it.textOrdinal ? MAKEINTRESOURCEW(it.textOrdinal) : it.text.c_str();
        // Every dialog has the 3-D look (DS_3DLOOK is implied for the program's version): an item's flat
        // border becomes the sunken client edge.
        DWORD itemStyle = it.style | WS_CHILD, itemExStyle = it.exStyle | WS_EX_NOPARENTNOTIFY;
        if (itemStyle & WS_BORDER) {
            itemStyle &= ~WS_BORDER;
            itemExStyle |= WS_EX_CLIENTEDGE;
        }
        HWND ctl = CreateWindowExW(itemExStyle, it.cls.c_str(), text, itemStyle, r.left, r.top, Width(r), Height(r),
                                   dlg, (HMENU)(ULONG_PTR)(WORD)it.id, instance,
                                   it.data.empty() ? nullptr : (LPVOID)it.data.data());
        if (!IsWindow(dlg))
            return nullptr;
        if (!ctl) {
            if (!(t.style & DS_NOFAILCREATE)) {
                DestroyWindow(dlg);
                SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
                return nullptr;
            }
            continue;
        }
        if (font)
            SendMessageW(ctl, WM_SETFONT, (WPARAM)font, FALSE);
        if ((it.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
            (SendMessageW(ctl, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
            Guard lk(Lock());
            if (DialogInfo* info = Info(dlg))
                info->defId = (WORD)it.id;
        }
    }
    RECT placed{};
    GetWindowRect(dlg, &placed);
    HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
    const BOOL focusFirst = SendMessageW(dlg, WM_INITDIALOG, (WPARAM)first, param) != 0;
    // A modal box opens over the middle of its owner, as the framework centres its modal dialogs,
    // unless it chose its own place (or showed itself) while it initialised.
    if (modal && IsWindow(dlg) && !(style & (WS_CHILD | DS_CENTER | DS_CENTERMOUSE))) {
        RECT now{};
        GetWindowRect(dlg, &now);
        if (now.left == placed.left && now.top == placed.top && !IsWindowVisible(dlg))
            CenterOverOwner(dlg);
    }
    if (focusFirst && IsWindow(dlg)) {
        // The procedure leaves the focus to the manager: the first tab stop gets it.
        first = GetNextDlgTabItem(dlg, nullptr, FALSE);
        if (first) {
            SetFocus(first);
            if (SendMessageW(first, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                SendMessageW(first, EM_SETSEL, 0, -1);
        }
    }
    if (!IsWindow(dlg))
        return nullptr;
    if (visible && !modal)
        ShowWindow(dlg, SW_SHOWNORMAL);
    return dlg;
}

// A control's own visibility counts, so the items of a dialog not yet shown can take the focus.
bool Enabled(HWND h)
{
    return (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) && IsWindowEnabled(h);
}

std::vector<HWND> Controls(HWND dlg)
{
    Guard lk(Lock());
    Window* w = Find(dlg);
    return w ? w->children : std::vector<HWND>();
}

DWORD Style(HWND h)
{
    return (DWORD)GetWindowLongW(h, GWL_STYLE);
}

void FocusControl(HWND ctl)
{
    SetFocus(ctl);
    if (SendMessageW(ctl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(ctl, EM_SETSEL, 0, -1);
}

char16_t Upper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? (char16_t)(c - 32) : c;
}

char16_t Mnemonic(HWND h)
{
    WCHAR buf[256];
    int n = GetWindowTextW(h, buf, 256);
    for (int i = 0; i + 1 < n; ++i) {
        if (buf[i] != u'&')
            continue;
        if (buf[i + 1] == u'&') {
            ++i;
            continue;
        }
        return Upper(buf[i + 1]);
    }
    return 0;
}

bool HandleMnemonic(HWND dlg, WCHAR ch)
{
    auto ctls = Controls(dlg);
    HWND focus = GetFocus();
    auto start = std::find(ctls.begin(), ctls.end(), focus);
    size_t n = ctls.size(), from = start == ctls.end() ? 0 : (size_t)(start - ctls.begin()) + 1;
    for (size_t k = 0; k < n; ++k) {
        HWND c = ctls[(from + k) % n];
        if (!Enabled(c) || Mnemonic(c) != Upper(ch))
            continue;
        UINT code = (UINT)SendMessageW(c, WM_GETDLGCODE, 0, 0);
        if (code & DLGC_STATIC) {
            // A label hands the focus to the control after it.
            HWND next = GetNextDlgTabItem(dlg, c, FALSE);
            if (next)
                FocusControl(next);
            return true;
        }
        if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_RADIOBUTTON | DLGC_BUTTON)) {
            SetFocus(c);
            SendMessageW(c, BM_CLICK, 0, 0);
            return true;
        }
        FocusControl(c);
        return true;
    }
    return false;
}

void ClickDefault(HWND dlg)
{
    HWND focus = GetFocus();
    if (focus && IsChild(dlg, focus)) {
        UINT code = (UINT)SendMessageW(focus, WM_GETDLGCODE, 0, 0);
        if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
            if (IsWindowEnabled(focus))
                SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED), (LPARAM)focus);
            return;
        }
    }
    DWORD def = (DWORD)SendMessageW(dlg, DM_GETDEFID, 0, 0);
    int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
    HWND ctl = GetDlgItem(dlg, id);
    if (ctl && !IsWindowEnabled(ctl)) {
        MessageBeep(0);
        return;
    }
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)ctl);
}

} // namespace

HWND DialogFromTemplate(HINSTANCE instance, const void* tmpl, size_t size, HWND parent, DLGPROC proc, LPARAM param,
                        bool modal)
{
    return CreateFromTemplate(instance, tmpl, size, parent, proc, param, modal);
}

void CenterOverOwner(HWND hwnd)
{
    RECT rc, work;
    if (!GetWindowRect(hwnd, &rc))
        return;
    RECT area = CenteringArea(GetWindow(hwnd, GW_OWNER));
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = Width(rc), h = Height(rc);
    const int x = std::max<int>(work.left, std::min<int>(area.left + (Width(area) - w) / 2, work.right - w));
    const int y = std::max<int>(work.top, std::min<int>(area.top + (Height(area) - h) / 2, work.bottom - h));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const BYTE* FindTemplate(HINSTANCE instance, LPCWSTR name, LPCWSTR type, DWORD* size)
{
    HRSRC res = FindResourceW(instance, name, type);
    if (!res)
        return nullptr;
    HGLOBAL data = LoadResource(instance, res);
    *size = SizeofResource(instance, res);
    return data ? (const BYTE*)LockResource(data) : nullptr;
}

int MulDivDU(int value, int base, int div)
{
    return (int)(((long long)value * base) / div);
}

void SetModalHandler(std::function<void(HWND)> handler)
{
    Guard lk(Lock());
    ModalHandler() = std::move(handler);
}

void NotifyModal(HWND hwnd)
{
    std::function<void(HWND)> h;
    {
        Guard lk(Lock());
        h = ModalHandler();
    }
    if (h)
        h(hwnd);
}

INT_PTR RunModal(HWND dlg, HWND owner)
{
    bool disabledOwner = owner && IsWindowEnabled(owner);
    if (disabledOwner)
        EnableWindow(owner, FALSE);
    auto ended = [&]() {
        Guard lk(Lock());
        DialogInfo* i = Info(dlg);
        return !i || i->ended;
    };
    if (!ended()) {
        ShowWindow(dlg, SW_SHOWNORMAL);
        NotifyModal(dlg);
    }
    MSG msg;
    while (!ended()) {
        BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) {
            if (r == 0)
                PostQuitMessage((int)msg.wParam); // the outer loop must see the quit too
            break;
        }
        if (!CallMsgFilterW(&msg, MSGF_DIALOGBOX) && !IsDialogMessageW(dlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    INT_PTR result = -1;
    {
        Guard lk(Lock());
        if (DialogInfo* i = Info(dlg))
            result = i->result;
    }
    if (disabledOwner)
        EnableWindow(owner, TRUE);
    if (owner && IsWindow(owner) && GetActiveWindow() == dlg)
        SetActiveWindow(owner);
    if (IsWindow(dlg))
        DestroyWindow(dlg);
    return result;
}

} // namespace user

using namespace user;

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tmpl, HWND parent, DLGPROC proc, LPARAM param)
{
    // Without a size the template is trusted to be complete; reading still stops at 256 KB.
    return CreateFromTemplate(instance, tmpl, 0x40000, parent, proc, param, false);
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param)
{
    DWORD size;
    const BYTE* data = FindTemplate(instance, name, RT_DIALOG, &size);
    return data ? CreateFromTemplate(instance, data, size, parent, proc, param, false) : nullptr;
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tmpl, HWND parent, DLGPROC proc, LPARAM param)
{
    HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    HWND dlg = CreateFromTemplate(instance, tmpl, 0x40000, owner, proc, param, true);
    if (!dlg)
        return -1;
    return RunModal(dlg, owner);
}

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param)
{
    DWORD size;
    const BYTE* data = FindTemplate(instance, name, RT_DIALOG, &size);
    if (!data)
        return -1;
    HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    HWND dlg = CreateFromTemplate(instance, data, size, owner, proc, param, true);
    return dlg ? RunModal(dlg, owner) : -1;
}

BOOL EndDialog(HWND dlg, INT_PTR result)
{
    bool modal;
    {
        Guard lk(Lock());
        DialogInfo* i = Info(dlg);
        if (!i) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        i->ended = true;
        i->result = result;
        modal = i->modal;
    }
    if (modal) {
        ShowWindow(dlg, SW_HIDE);
        PostMessageW(dlg, WM_NULL, 0, 0); // wakes the modal loop
    }
    return TRUE;
}

LRESULT DefDlgProcW(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DLGPROC proc = (DLGPROC)GetWindowLongPtrW(dlg, DWLP_DLGPROC);
    if (IsDialog(dlg))
        SetWindowLongPtrW(dlg, DWLP_MSGRESULT, 0);
    INT_PTR r = proc ? proc(dlg, msg, wParam, lParam) : 0;
    if (r) {
        switch (msg) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return r;
        }
        return IsWindow(dlg) ? GetWindowLongPtrW(dlg, DWLP_MSGRESULT) : 0;
    }
    if (!IsWindow(dlg))
        return 0;
    switch (msg) {
    case WM_ERASEBKGND: {
        HBRUSH b = (HBRUSH)SendMessageW(dlg, WM_CTLCOLORDLG, wParam, (LPARAM)dlg);
        if (!b)
            return DefWindowProcW(dlg, msg, wParam, lParam);
        RECT rc;
        GetClientRect(dlg, &rc);
        ULONG_PTR v = (ULONG_PTR)b;
        FillRect((HDC)wParam, &rc, v <= 31 && v ? GetSysColorBrush((int)v - 1) : b);
        return 1;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f && IsChild(dlg, f)) {
                Guard lk(Lock());
                if (DialogInfo* i = Info(dlg))
                    i->savedFocus = f;
            }
            return 0;
        }
        [[fallthrough]];
    case WM_SETFOCUS: {
        HWND saved = nullptr;
        {
            Guard lk(Lock());
            if (DialogInfo* i = Info(dlg))
                saved = i->savedFocus;
        }
        HWND focus = GetFocus();
        if (saved && IsWindow(saved) && IsChild(dlg, saved)) {
            SetFocus(saved);
        } else if (focus && IsChild(dlg, focus)) {
            // The focus the dialog gave itself while it was made stays where it is.
        } else if (HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE)) {
            FocusControl(first); // the first focus, as the manager gives it: an edit's text selected
        } else if (msg == WM_ACTIVATE) {
            DefWindowProcW(dlg, msg, wParam, lParam);
        }
        return 0;
    }
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(dlg, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
        return 0;
    }
    case DM_GETDEFID: {
        WORD id = 0;
        {
            Guard lk(Lock());
            if (DialogInfo* i = Info(dlg))
                id = i->defId;
        }
        if (id)
            return MAKELONG(id, DC_HASDEFID);
        for (HWND c : Controls(dlg))
            if (SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
                return MAKELONG(GetDlgCtrlID(c), DC_HASDEFID);
        return 0;
    }
    case DM_SETDEFID: {
        WORD old;
        {
            Guard lk(Lock());
            DialogInfo* i = Info(dlg);
            if (!i)
                return FALSE;
            old = i->defId;
            i->defId = (WORD)wParam;
        }
        HWND oldCtl = old ? GetDlgItem(dlg, old) : nullptr;
        if (oldCtl && (SendMessageW(oldCtl, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
            SendMessageW(oldCtl, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        HWND newCtl = GetDlgItem(dlg, (int)wParam);
        if (newCtl && (SendMessageW(newCtl, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
            SendMessageW(newCtl, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        return TRUE;
    }
    case WM_NEXTDLGCTL: {
        HWND target;
        if (LOWORD(lParam))
            target = (HWND)wParam;
        else
            target = GetNextDlgTabItem(dlg, GetFocus(), wParam != 0);
        if (target)
            FocusControl(target);
        return 0;
    }
    case WM_SETFONT: {
        Guard lk(Lock());
        if (DialogInfo* i = Info(dlg))
            i->font = (HFONT)wParam;
        return 0;
    }
    case WM_GETFONT: {
        Guard lk(Lock());
        DialogInfo* i = Info(dlg);
        return i ? (LRESULT)i->font : 0;
    }
    case WM_NCDESTROY: {
        HFONT font = nullptr;
        {
            Guard lk(Lock());
            if (DialogInfo* i = Info(dlg); i && i->ownsFont)
                font = i->font;
        }
        if (font)
            DeleteObject(font);
        return DefWindowProcW(dlg, msg, wParam, lParam);
    }
    case WM_SHOWWINDOW:
    case WM_INITDIALOG:
        return 0;
    }
    return DefWindowProcW(dlg, msg, wParam, lParam);
}

BOOL IsDialogMessageW(HWND dlg, LPMSG msg)
{
    if (!msg || !IsWindow(dlg))
        return FALSE;
    if (msg->hwnd != dlg && !IsChild(dlg, msg->hwnd))
        return FALSE;
    if (CallMsgFilterW(msg, MSGF_DIALOGBOX))
        return TRUE;
    bool key = msg->message == WM_KEYDOWN || msg->message == WM_CHAR || msg->message == WM_SYSCHAR;
    UINT code = key ? (UINT)SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, (LPARAM)msg) : 0;
    if (msg->message == WM_KEYDOWN && !(code & DLGC_WANTMESSAGE)) {
        switch (msg->wParam) {
        case VK_TAB:
            if (!(code & DLGC_WANTTAB)) {
                bool back = GetKeyState(VK_SHIFT) < 0;
                if (HWND next = GetNextDlgTabItem(dlg, GetFocus(), back))
                    FocusControl(next);
                return TRUE;
            }
            break;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (!(code & DLGC_WANTARROWS)) {
                bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
                HWND next = GetNextDlgGroupItem(dlg, GetFocus(), back);
                if (next && next != GetFocus()) {
                    SetFocus(next);
                    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
                        SendMessageW(next, BM_CLICK, 0, 0);
                }
                return TRUE;
            }
            break;
        case VK_RETURN:
            ClickDefault(dlg);
            return TRUE;
        case VK_ESCAPE: {
            HWND cancel = GetDlgItem(dlg, IDCANCEL);
            if (!cancel || IsWindowEnabled(cancel))
                SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
            return TRUE;
        }
        }
    }
    if (msg->message == WM_SYSCHAR || (msg->message == WM_CHAR && !(code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)))) {
        if (HandleMnemonic(dlg, (WCHAR)msg->wParam))
            return TRUE;
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return TRUE;
}

BOOL MapDialogRect(HWND dlg, LPRECT rect)
{
    if (!rect)
        return FALSE;
    int bx, by;
    {
        Guard lk(Lock());
        DialogInfo* i = Info(dlg);
        if (!i) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        bx = i->baseX;
        by = i->baseY;
    }
    rect->left = MulDivDU(rect->left, bx, 4);
    rect->right = MulDivDU(rect->right, bx, 4);
    rect->top = MulDivDU(rect->top, by, 8);
    rect->bottom = MulDivDU(rect->bottom, by, 8);
    return TRUE;
}

LONG GetDialogBaseUnits()
{
    return MAKELONG(8, 16);
}

HWND GetDlgItem(HWND dlg, int id)
{
    Guard lk(Lock());
    Window* w = Find(dlg);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND c : w->children)
        if (Window* x = Find(c); x && (int)x->id == id)
            return c;
    SetLastError(1421 /* control id not found */);
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return (w->style & WS_CHILD) ? (int)w->id : 0;
}

BOOL SetDlgItemTextW(HWND dlg, int id, LPCWSTR text)
{
    HWND c = GetDlgItem(dlg, id);
    return c ? SetWindowTextW(c, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dlg, int id, LPWSTR buffer, int maxCount)
{
    HWND c = GetDlgItem(dlg, id);
    if (!c) {
        if (buffer && maxCount > 0)
            buffer[0] = 0;
        return 0;
    }
    return (UINT)GetWindowTextW(c, buffer, maxCount);
}

BOOL SetDlgItemInt(HWND dlg, int id, UINT value, BOOL isSigned)
{
    char buf[16];
    snprintf(buf, sizeof(buf), isSigned ? "%d" : "%u", isSigned ? (int)value : value);
    WCHAR w[16];
    int i = 0;
    for (; buf[i]; ++i)
        w[i] = (WCHAR)buf[i];
    w[i] = 0;
    return SetDlgItemTextW(dlg, id, w);
}

UINT GetDlgItemInt(HWND dlg, int id, BOOL* translated, BOOL isSigned)
{
    if (translated)
        *translated = FALSE;
    WCHAR buf[64];
    if (!GetDlgItem(dlg, id))
        return 0;
    GetDlgItemTextW(dlg, id, buf, 64);
    int i = 0;
    while (buf[i] == u' ' || buf[i] == u'\t')
        ++i;
    bool neg = false;
    if (buf[i] == u'-' && isSigned) {
        neg = true;
        ++i;
    } else if (buf[i] == u'+') {
        ++i;
    }
    if (buf[i] < u'0' || buf[i] > u'9')
        return 0;
    unsigned long long v = 0;
    for (; buf[i] >= u'0' && buf[i] <= u'9'; ++i) {
        v = v * 10 + (buf[i] - u'0');
        if (v > 0xFFFFFFFFull)
            return 0; // out of range: not translated
    }
    while (buf[i] == u' ' || buf[i] == u'\t')
        ++i;
    if (buf[i])
        return 0;
    if (isSigned && (neg ? v > 0x80000000ull : v > 0x7FFFFFFFull))
        return 0;
    if (translated)
        *translated = TRUE;
    return neg ? (UINT)(-(long long)v) : (UINT)v;
}

BOOL CheckDlgButton(HWND dlg, int id, UINT check)
{
    HWND c = GetDlgItem(dlg, id);
    if (!c)
        return FALSE;
    SendMessageW(c, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dlg, int id)
{
    HWND c = GetDlgItem(dlg, id);
    return c ? (UINT)SendMessageW(c, BM_GETCHECK, 0, 0) : 0;
}

BOOL CheckRadioButton(HWND dlg, int first, int last, int check)
{
    if (first > last)
        std::swap(first, last);
    for (HWND c : Controls(dlg)) {
        int id = GetDlgCtrlID(c);
        if (id >= first && id <= last)
            SendMessageW(c, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

LRESULT SendDlgItemMessageW(HWND dlg, int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND c = GetDlgItem(dlg, id);
    return c ? SendMessageW(c, msg, wParam, lParam) : 0;
}

HWND GetNextDlgTabItem(HWND dlg, HWND ctl, BOOL previous)
{
    auto ctls = Controls(dlg);
    std::vector<HWND> stops;
    for (HWND c : ctls)
        if ((Style(c) & WS_TABSTOP) && Enabled(c))
            stops.push_back(c);
    if (stops.empty())
        return nullptr;
    if (!ctl || ctl == dlg)
        return previous ? stops.back() : stops.front();
    // Walk the z-order from the control, so a control that is not a tab stop still has a place.
    auto it = std::find(ctls.begin(), ctls.end(), ctl);
    if (it == ctls.end())
        return previous ? stops.back() : stops.front();
    size_t n = ctls.size(), at = (size_t)(it - ctls.begin());
    for (size_t k = 1; k <= n; ++k) {
        HWND c = ctls[previous ? (at + n - k) % n : (at + k) % n];
        if ((Style(c) & WS_TABSTOP) && Enabled(c))
            return c;
    }
    return ctl;
}

HWND GetNextDlgGroupItem(HWND dlg, HWND ctl, BOOL previous)
{
    auto ctls = Controls(dlg);
    if (ctls.empty())
        return nullptr;
    auto it = std::find(ctls.begin(), ctls.end(), ctl);
    if (!ctl || it == ctls.end())
        return ctls.front();
    size_t at = (size_t)(it - ctls.begin());
    // The group runs from the control that carries WS_GROUP up to the next one that does.
    size_t start = at;
    while (start > 0 && !(Style(ctls[start]) & WS_GROUP))
        --start;
    size_t end = at + 1;
    while (end < ctls.size() && !(Style(ctls[end]) & WS_GROUP))
        ++end;
    size_t n = end - start;
    for (size_t k = 1; k <= n; ++k) {
        size_t i = start + (previous ? (at - start + n - k) % n : (at - start + k) % n);
        if (Enabled(ctls[i]))
            return ctls[i];
    }
    return ctl;
}
