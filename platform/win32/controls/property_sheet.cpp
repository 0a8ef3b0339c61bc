// Property sheets: page handles, the sheet window with its tab control and buttons, PSN_ and PSM_.
#include "win32/controls/control_util.h"
#include "win32/controls/property_sheet.h"
#include "win32/controls/tab.h"
#include "win32/resources.h"
#include "win32/user/internal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

struct _PSP {
    std::vector<BYTE> data; // the caller's PROPSHEETPAGEW, extra bytes included, as pages receive it
    PROPSHEETPAGEW* Page() { return (PROPSHEETPAGEW*)data.data(); }
};

namespace controls {

namespace {

// Windows refuses sheets with more pages than this.
constexpr UINT kMaxPages = 100;
constexpr DWORD kMaxPageStruct = 0x10000;
constexpr size_t kMaxTemplate = 0x40000;

std::mutex& PageLock()
{
    static std::mutex m;
    return m;
}
std::set<_PSP*>& LivePages()
{
    static std::set<_PSP*> s;
    return s;
}

bool IsLivePage(HPROPSHEETPAGE p)
{
    std::lock_guard<std::mutex> lk(PageLock());
    return p && LivePages().count(p) != 0;
}

// ---- Dialog templates -------------------------------------------------------------------------

// Reads what the sheet needs of a page's template, and its length so it can be copied and
// restyled; stops at the end of the data it may read.
struct TemplateInfo {
    bool ex = false;
    size_t styleOffset = 0, exStyleOffset = 0;
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::u16string caption;
    WORD pointSize = 0;
    std::u16string face;
    size_t length = 0;
};

class Reader {
public:
    Reader(const BYTE* p, size_t n) : base_(p), n_(n) {}
    template <class T>
    T Get()
    {
        T v{};
        if (pos_ + sizeof(T) > n_) {
            ok = false;
            return v;
        }
        std::memcpy(&v, base_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }
    void Align(size_t a)
    {
        pos_ = (pos_ + a - 1) / a * a;
        if (pos_ > n_)
            ok = false;
    }
    std::u16string SzOrOrd()
    {
        WORD first = Get<WORD>();
        if (first == 0xFFFF) {
            Get<WORD>();
            return {};
        }
        std::u16string s;
        for (WORD c = first; ok && c; c = Get<WORD>())
            s.push_back((char16_t)c);
        return s;
    }
    void Skip(size_t k)
    {
        if (pos_ + k > n_)
            ok = false;
        else
            pos_ += k;
    }
    size_t Pos() const { return pos_; }
    bool ok = true;

private:
    const BYTE* base_;
    size_t n_;
    size_t pos_ = 0;
};

bool ReadTemplate(const void* tmpl, size_t limit, TemplateInfo* info)
{
    if (!tmpl)
        return false;
    Reader r((const BYTE*)tmpl, limit);
    WORD w0 = r.Get<WORD>(), w1 = r.Get<WORD>();
    info->ex = w0 == 1 && w1 == 0xFFFF;
    if (info->ex) {
        r.Get<DWORD>(); // help id
        info->exStyleOffset = r.Pos();
        r.Get<DWORD>();
        info->styleOffset = r.Pos();
        info->style = r.Get<DWORD>();
    } else {
        Reader s((const BYTE*)tmpl, limit);
        info->styleOffset = 0;
        info->style = s.Get<DWORD>();
        info->exStyleOffset = 4;
        r.Get<DWORD>();
    }
    WORD items = r.Get<WORD>();
    r.Get<short>();
    r.Get<short>();
    info->cx = r.Get<short>();
    info->cy = r.Get<short>();
    r.SzOrOrd(); // menu
    r.SzOrOrd(); // class
    info->caption = r.SzOrOrd();
    if (info->style & DS_SETFONT) {
        info->pointSize = r.Get<WORD>();
        if (info->ex) {
            r.Get<WORD>();
            r.Get<WORD>();
        }
        info->face = r.SzOrOrd();
    }
    for (WORD i = 0; i < items && r.ok; ++i) {
        r.Align(4);
        r.Skip(info->ex ? 12 : 8);
        r.Skip(8); // x, y, cx, cy
        r.Skip(info->ex ? 4 : 2);
        r.SzOrOrd();
        r.SzOrOrd();
        WORD extra = r.Get<WORD>();
        r.Skip(extra);
    }
    info->length = r.Pos();
    return r.ok;
}

// Dialog base units of a template's font, measured as the dialog manager measures them.
SIZE BaseUnits(const TemplateInfo& t)
{
    SIZE base{LOWORD(GetDialogBaseUnits()), HIWORD(GetDialogBaseUnits())};
    if (!(t.style & DS_SETFONT))
        return base;
    LOGFONTW lf{};
    lf.lfHeight = -((t.pointSize * 96 + 36) / 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    for (size_t i = 0; i < t.face.size() && i < 31; ++i)
        lf.lfFaceName[i] = t.face[i];
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    SIZE sz{};
    static const char16_t letters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsW(dc, &tm) && GetTextExtentPoint32W(dc, letters, 52, &sz) && tm.tmHeight > 0)
        base = {(sz.cx / 26 + 1) / 2, tm.tmHeight};
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return base;
}

// The template bytes of a page, from memory or from the page's module.
const BYTE* PageTemplate(PROPSHEETPAGEW* p, size_t* limit)
{
    if (p->dwFlags & PSP_DLGINDIRECT) {
        *limit = kMaxTemplate;
        return (const BYTE*)p->pResource;
    }
    HRSRC res = FindResourceW(p->hInstance, p->pszTemplate, RT_DIALOG);
    if (!res)
        return nullptr;
    HGLOBAL g = LoadResource(p->hInstance, res);
    *limit = SizeofResource(p->hInstance, res);
    return g ? (const BYTE*)LockResource(g) : nullptr;
}

std::u16string ResourceText(HINSTANCE inst, LPCWSTR text)
{
    if (!text)
        return {};
    if (IS_INTRESOURCE(text)) {
        WCHAR buf[256] = {};
        LoadStringW(inst, (UINT)(ULONG_PTR)text, buf, 256);
        return buf;
    }
    return text;
}

// ---- The sheet --------------------------------------------------------------------------------

struct SheetPage {
    HPROPSHEETPAGE psp = nullptr;
    HWND hwnd = nullptr;
    std::u16string title;
    SIZE size{0, 0}; // pixels
    TemplateInfo tmpl;
    const BYTE* tmplData = nullptr;
};

struct Sheet {
    HWND hwnd = nullptr, tab = nullptr, owner = nullptr;
    DWORD flags = 0;
    HINSTANCE inst = nullptr;
    std::u16string caption;
    PFNPROPSHEETCALLBACK callback = nullptr;
    std::vector<SheetPage> pages;
    int cur = -1;
    int start = 0;
    std::set<HWND> changed;
    bool ended = false;
    INT_PTR result = 0;
    int restartFlags = 0;
    HFONT font = nullptr;
    WORD pointSize = 8;
    std::u16string face = u"MS Shell Dlg";
};

std::mutex& SheetLock()
{
    static std::mutex m;
    return m;
}
std::map<HWND, Sheet*>& Sheets()
{
    static std::map<HWND, Sheet*> m;
    return m;
}

Sheet* SheetOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lk(SheetLock());
    auto it = Sheets().find(hwnd);
    return it == Sheets().end() ? nullptr : it->second;
}

bool MeasurePage(SheetPage* sp)
{
    PROPSHEETPAGEW* p = sp->psp->Page();
    size_t limit = 0;
    sp->tmplData = PageTemplate(p, &limit);
    if (!sp->tmplData || !ReadTemplate(sp->tmplData, limit, &sp->tmpl))
        return false;
    SIZE base = BaseUnits(sp->tmpl);
    sp->size = {sp->tmpl.cx * base.cx / 4, sp->tmpl.cy * base.cy / 8};
    sp->title = (p->dwFlags & PSP_USETITLE) ? ResourceText(p->hInstance, p->pszTitle) : sp->tmpl.caption;
    return true;
}

LRESULT NotifyPage(Sheet* s, HWND page, UINT code, LPARAM lParam = 0)
{
    if (!page)
        return 0;
    PSHNOTIFY nm{};
    nm.hdr.hwndFrom = s->hwnd;
    nm.hdr.idFrom = 0;
    nm.hdr.code = code;
    nm.lParam = lParam;
    return SendMessageW(page, WM_NOTIFY, 0, (LPARAM)&nm);
}

HWND CurrentPage(Sheet* s)
{
    return s->cur >= 0 && s->cur < (int)s->pages.size() ? s->pages[(size_t)s->cur].hwnd : nullptr;
}

RECT PageArea(Sheet* s)
{
    RECT rc;
    GetWindowRect(s->tab, &rc);
    MapWindowPoints(nullptr, s->hwnd, (POINT*)&rc, 2);
    SendMessageW(s->tab, TCM_ADJUSTRECT, FALSE, (LPARAM)&rc);
    return rc;
}

bool CreatePageWindow(Sheet* s, SheetPage* sp)
{
    PROPSHEETPAGEW* p = sp->psp->Page();
    if ((p->dwFlags & PSP_USECALLBACK) && p->pfnCallback && !p->pfnCallback(nullptr, PSPCB_CREATE, p))
        return false;
    // A page is the template restyled as a child control of the sheet.
    std::vector<BYTE> copy(sp->tmplData, sp->tmplData + sp->tmpl.length);
    DWORD style = sp->tmpl.style;
    style &= ~(DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_VISIBLE | WS_DISABLED |
                      WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    style |= WS_CHILD | WS_TABSTOP | DS_CONTROL | DS_3DLOOK;
    std::memcpy(copy.data() + sp->tmpl.styleOffset, &style, 4);
    DWORD exStyle;
    std::memcpy(&exStyle, copy.data() + sp->tmpl.exStyleOffset, 4);
    exStyle |= WS_EX_CONTROLPARENT;
    std::memcpy(copy.data() + sp->tmpl.exStyleOffset, &exStyle, 4);
    sp->hwnd = user::DialogFromTemplate(p->hInstance, copy.data(), copy.size(), s->hwnd, p->pfnDlgProc, (LPARAM)p,
                                        false);
    if (!sp->hwnd)
        return false;
    RECT area = PageArea(s);
    SetWindowPos(sp->hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOACTIVATE);
    return true;
}

// Moves to page `index`; the page being left may refuse when `askCurrent`.
bool SelectPage(Sheet* s, int index, bool askCurrent)
{
    if (index < 0 || index >= (int)s->pages.size())
        return false;
    if (index == s->cur && CurrentPage(s))
        return true;
    HWND old = CurrentPage(s);
    if (askCurrent && old && NotifyPage(s, old, PSN_KILLACTIVE))
        return false;
    SheetPage* sp = &s->pages[(size_t)index];
    if (!sp->hwnd && !CreatePageWindow(s, sp))
        return false;
    HWND page = s->pages[(size_t)index].hwnd;
    s->cur = index;
    SendMessageW(s->tab, TCM_SETCURSEL, (WPARAM)index, 0);
    NotifyPage(s, page, PSN_SETACTIVE);
    ShowWindow(page, SW_SHOW);
    if (old && old != page)
        ShowWindow(old, SW_HIDE);
    return true;
}

void ReleasePage(HPROPSHEETPAGE psp)
{
    DestroyPropertySheetPage(psp);
}

void Layout(Sheet* s)
{
    SIZE page{0, 0};
    for (auto& sp : s->pages) {
        page.cx = std::max(page.cx, sp.size.cx);
        page.cy = std::max(page.cy, sp.size.cy);
    }
    RECT du{7, 7, 50, 14};
    MapDialogRect(s->hwnd, &du);
    int margin = du.left, gapY = du.top, bw = du.right, bh = du.bottom;
    RECT tabRc{0, 0, page.cx, page.cy};
    SendMessageW(s->tab, TCM_ADJUSTRECT, TRUE, (LPARAM)&tabRc);
    int tabW = tabRc.right - tabRc.left, tabH = tabRc.bottom - tabRc.top;
    MoveWindow(s->tab, margin, margin, tabW, tabH, TRUE);
    int y = margin + tabH + gapY;
    int x = margin + tabW;
    for (int id : {IDHELP, IDC_PROPSHEET_APPLY, IDCANCEL, IDOK}) {
        HWND b = GetDlgItem(s->hwnd, id);
        if (!b)
            continue;
        x -= bw;
        MoveWindow(b, x, y, bw, bh, TRUE);
        x -= margin / 2 + 1;
    }
    RECT win{0, 0, margin + tabW + margin, y + bh + margin};
    AdjustWindowRectEx(&win, (DWORD)GetWindowLongPtrW(s->hwnd, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongPtrW(s->hwnd, GWL_EXSTYLE));
    SetWindowPos(s->hwnd, nullptr, 0, 0, win.right - win.left, win.bottom - win.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT area = PageArea(s);
    for (auto& sp : s->pages)
        if (sp.hwnd)
            MoveWindow(sp.hwnd, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

HWND MakeButton(Sheet* s, int id, const char16_t* text, DWORD style)
{
    HWND b = CreateWindowExW(0, u"Button", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 10, 10, s->hwnd,
                             (HMENU)(ULONG_PTR)id, nullptr, nullptr);
    SendMessageW(b, WM_SETFONT, (WPARAM)s->font, FALSE);
    return b;
}

void AddTab(Sheet* s, int index)
{
    TCITEMW it{};
    it.mask = TCIF_TEXT;
    it.pszText = const_cast<LPWSTR>(s->pages[(size_t)index].title.c_str());
    SendMessageW(s->tab, TCM_INSERTITEMW, (WPARAM)index, (LPARAM)&it);
}

void SetTitle(Sheet* s, DWORD style, LPCWSTR text)
{
    std::u16string t = ResourceText(s->inst, text);
    if (style & PSH_PROPTITLE)
        t += u" \u5c5e\u6027";
    SetWindowTextW(s->hwnd, t.c_str());
}

void Finish(Sheet* s, INT_PTR result)
{
    s->ended = true;
    s->result = result | s->restartFlags;
    PostMessageW(s->hwnd, WM_NULL, 0, 0); // wakes a modal loop waiting for messages
}

bool Apply(Sheet* s, bool ok)
{
    HWND cur = CurrentPage(s);
    if (cur && NotifyPage(s, cur, PSN_KILLACTIVE))
        return false;
    for (size_t i = 0; i < s->pages.size(); ++i) {
        HWND page = s->pages[i].hwnd;
        if (!page)
            continue;
        LRESULT r = NotifyPage(s, page, PSN_APPLY, ok ? TRUE : FALSE);
        if (r == PSNRET_INVALID_NOCHANGEPAGE)
            return false;
        if (r == PSNRET_INVALID) {
            SelectPage(s, (int)i, false);
            return false;
        }
    }
    s->changed.clear();
    if (HWND apply = GetDlgItem(s->hwnd, IDC_PROPSHEET_APPLY))
        EnableWindow(apply, FALSE);
    return true;
}

void Cancel(Sheet* s)
{
    if (NotifyPage(s, CurrentPage(s), PSN_QUERYCANCEL))
        return;
    for (auto& sp : s->pages)
        if (sp.hwnd)
            NotifyPage(s, sp.hwnd, PSN_RESET);
    Finish(s, 0);
}

int IndexOfPage(Sheet* s, HPROPSHEETPAGE psp)
{
    for (size_t i = 0; i < s->pages.size(); ++i)
        if (s->pages[i].psp == psp)
            return (int)i;
    return -1;
}

int IndexOfWindow(Sheet* s, HWND page)
{
    for (size_t i = 0; i < s->pages.size(); ++i)
        if (s->pages[i].hwnd == page && page)
            return (int)i;
    return -1;
}

int IndexOfId(Sheet* s, LPARAM id)
{
    for (size_t i = 0; i < s->pages.size(); ++i) {
        PROPSHEETPAGEW* p = s->pages[i].psp->Page();
        if (!(p->dwFlags & PSP_DLGINDIRECT) && p->pszTemplate == (LPCWSTR)id)
            return (int)i;
    }
    return -1;
}

bool InsertPage(Sheet* s, int at, HPROPSHEETPAGE psp)
{
    if (!IsLivePage(psp) || s->pages.size() >= kMaxPages || IndexOfPage(s, psp) >= 0)
        return false;
    SheetPage sp;
    sp.psp = psp;
    if (!MeasurePage(&sp))
        return false;
    at = std::clamp(at, 0, (int)s->pages.size());
    s->pages.insert(s->pages.begin() + at, sp);
    if (s->cur >= at)
        ++s->cur;
    AddTab(s, at);
    Layout(s);
    return true;
}

bool RemovePage(Sheet* s, int index)
{
    if (index < 0 || index >= (int)s->pages.size())
        return false;
    SheetPage sp = s->pages[(size_t)index];
    bool wasCurrent = index == s->cur;
    s->pages.erase(s->pages.begin() + index);
    SendMessageW(s->tab, TCM_DELETEITEM, (WPARAM)index, 0);
    if (index < s->cur)
        --s->cur;
    if (wasCurrent) {
        s->cur = -1;
        if (!s->pages.empty())
            SelectPage(s, std::min(index, (int)s->pages.size() - 1), false);
    }
    if (sp.hwnd) {
        s->changed.erase(sp.hwnd);
        DestroyWindow(sp.hwnd);
    }
    ReleasePage(sp.psp);
    return true;
}

void PressButton(Sheet* s, int id)
{
    HWND b = GetDlgItem(s->hwnd, id);
    if (b && IsWindowEnabled(b))
        SendMessageW(s->hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)b);
}

// Ctrl+Tab and Ctrl+Page Down go to the next page, with Shift or Page Up to the previous one.
bool PageKey(Sheet* s, const MSG* m)
{
    if (m->message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000) || s->pages.empty())
        return false;
    int step = 0;
    if (m->wParam == VK_TAB)
        step = (GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1;
    else if (m->wParam == VK_NEXT)
        step = 1;
    else if (m->wParam == VK_PRIOR)
        step = -1;
    if (!step)
        return false;
    int n = (int)s->pages.size();
    SelectPage(s, ((s->cur + step) % n + n) % n, true);
    return true;
}

LRESULT SheetMessage(Sheet* s, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case PSM_SETCURSEL: {
        int index = lParam ? IndexOfPage(s, (HPROPSHEETPAGE)lParam) : (int)wParam;
        return SelectPage(s, index, true);
    }
    case PSM_SETCURSELID: return SelectPage(s, IndexOfId(s, lParam), true);
    case PSM_REMOVEPAGE: {
        int index = lParam ? IndexOfPage(s, (HPROPSHEETPAGE)lParam) : (int)wParam;
        return RemovePage(s, index);
    }
    case PSM_ADDPAGE: return InsertPage(s, (int)s->pages.size(), (HPROPSHEETPAGE)lParam);
    case PSM_INSERTPAGE: {
        int at;
        if (IS_INTRESOURCE(wParam))
            at = (int)wParam;
        else if (int i = IndexOfPage(s, (HPROPSHEETPAGE)wParam); i >= 0)
            at = i + 1;
        else
            return FALSE;
        return InsertPage(s, at, (HPROPSHEETPAGE)lParam);
    }
    case PSM_CHANGED:
    case PSM_UNCHANGED: {
        if (msg == PSM_CHANGED)
            s->changed.insert((HWND)wParam);
        else
            s->changed.erase((HWND)wParam);
        if (HWND apply = GetDlgItem(s->hwnd, IDC_PROPSHEET_APPLY))
            EnableWindow(apply, !s->changed.empty());
        return TRUE;
    }
    case PSM_RESTARTWINDOWS: s->restartFlags |= ID_PSRESTARTWINDOWS; return 0;
    case PSM_REBOOTSYSTEM: s->restartFlags |= ID_PSREBOOTSYSTEM; return 0;
    case PSM_CANCELTOCLOSE:
        if (HWND cancel = GetDlgItem(s->hwnd, IDCANCEL))
            EnableWindow(cancel, FALSE);
        if (HWND ok = GetDlgItem(s->hwnd, IDOK))
            SetWindowTextW(ok, u"\u5173\u95ed");
        return 0;
    case PSM_QUERYSIBLINGS:
        for (auto& sp : s->pages)
            if (sp.hwnd)
                if (LRESULT r = SendMessageW(sp.hwnd, PSM_QUERYSIBLINGS, wParam, lParam))
                    return r;
        return 0;
    case PSM_APPLY: return Apply(s, false);
    case PSM_SETTITLEW: SetTitle(s, (DWORD)wParam, (LPCWSTR)lParam); return 0;
    case PSM_PRESSBUTTON: {
        static const int ids[] = {0, 0, 0, IDOK, IDC_PROPSHEET_APPLY, IDCANCEL, IDHELP};
        if (wParam < sizeof ids / sizeof ids[0] && ids[wParam])
            PressButton(s, ids[wParam]);
        return 0;
    }
    case PSM_GETTABCONTROL: return (LRESULT)s->tab;
    case PSM_ISDIALOGMESSAGE: {
        auto* m = (MSG*)lParam;
        if (!m)
            return FALSE;
        if (PageKey(s, m))
            return TRUE;
        return IsDialogMessageW(s->hwnd, m);
    }
    case PSM_GETCURRENTPAGEHWND: return s->ended ? 0 : (LRESULT)CurrentPage(s);
    case PSM_HWNDTOINDEX: return IndexOfWindow(s, (HWND)wParam);
    case PSM_INDEXTOHWND:
        return wParam < s->pages.size() ? (LRESULT)s->pages[wParam].hwnd : 0;
    case PSM_PAGETOINDEX: return IndexOfPage(s, (HPROPSHEETPAGE)lParam);
    case PSM_INDEXTOPAGE:
        return wParam < s->pages.size() ? (LRESULT)s->pages[wParam].psp : 0;
    case PSM_IDTOINDEX: return IndexOfId(s, lParam);
    case PSM_INDEXTOID: {
        if (wParam >= s->pages.size())
            return 0;
        PROPSHEETPAGEW* p = s->pages[wParam].psp->Page();
        return (p->dwFlags & PSP_DLGINDIRECT) ? (LRESULT)p->pResource : (LRESULT)p->pszTemplate;
    }
    case PSM_GETRESULT: return s->ended ? s->result : -1;
    case PSM_RECALCPAGESIZES:
        for (auto& sp : s->pages)
            MeasurePage(&sp);
        Layout(s);
        return TRUE;
    default: return 0;
    }
}

INT_PTR CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Sheet* s = msg == WM_INITDIALOG ? (Sheet*)lParam : SheetOf(hwnd);
    if (!s)
        return FALSE;
    auto answer = [&](LRESULT r) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, r);
        return TRUE;
    };
    if (msg >= PSM_SETCURSEL && msg <= PSM_RECALCPAGESIZES)
        return answer(SheetMessage(s, msg, wParam, lParam));
    switch (msg) {
    case WM_INITDIALOG: {
        s->hwnd = hwnd;
        {
            std::lock_guard<std::mutex> lk(SheetLock());
            Sheets()[hwnd] = s;
        }
        s->font = (HFONT)SendMessageW(hwnd, WM_GETFONT, 0, 0);
        s->tab = CreateWindowExW(0, WC_TABCONTROLW, u"",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | TCS_FOCUSONBUTTONDOWN, 0, 0,
                                 10, 10, hwnd, (HMENU)(ULONG_PTR)IDC_PROPSHEET_TAB, nullptr, nullptr);
        SendMessageW(s->tab, WM_SETFONT, (WPARAM)s->font, FALSE);
        MakeButton(s, IDOK, u"\u786e\u5b9a", BS_DEFPUSHBUTTON);
        MakeButton(s, IDCANCEL, u"\u53d6\u6d88", BS_PUSHBUTTON);
        if (!(s->flags & PSH_NOAPPLYNOW))
            EnableWindow(MakeButton(s, IDC_PROPSHEET_APPLY, u"\u5e94\u7528(&A)", BS_PUSHBUTTON), FALSE);
        if (s->flags & PSH_HASHELP)
            MakeButton(s, IDHELP, u"\u5e2e\u52a9", BS_PUSHBUTTON);
        for (int i = 0; i < (int)s->pages.size(); ++i)
            AddTab(s, i);
        SetTitle(s, s->flags, s->caption.c_str());
        Layout(s);
        // The sheet's template has no place of its own: it opens over the middle of its owner.
        if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD))
            user::CenterOverOwner(hwnd);
        // A page that cannot be created is dropped, as the next one takes its place.
        int start = std::clamp(s->start, 0, std::max(0, (int)s->pages.size() - 1));
        while (!s->pages.empty() && !SelectPage(s, start, false))
            RemovePage(s, start), start = std::min(start, std::max(0, (int)s->pages.size() - 1));
        if (HWND page = CurrentPage(s)) {
            HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
            SetFocus(first ? first : s->tab);
        }
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (Apply(s, true))
                Finish(s, 1);
            break;
        case IDCANCEL: Cancel(s); break;
        case IDC_PROPSHEET_APPLY: Apply(s, false); break;
        case IDHELP: NotifyPage(s, CurrentPage(s), PSN_HELP); break;
        default: return FALSE;
        }
        return TRUE;
    case WM_CLOSE: Cancel(s); return TRUE;
    case WM_NOTIFY: {
        auto* nm = (NMHDR*)lParam;
        if (!nm || nm->hwndFrom != s->tab)
            return FALSE;
        if (nm->code == TCN_SELCHANGING)
            return answer(NotifyPage(s, CurrentPage(s), PSN_KILLACTIVE) ? TRUE : FALSE);
        if (nm->code == TCN_SELCHANGE) {
            int want = (int)SendMessageW(s->tab, TCM_GETCURSEL, 0, 0);
            if (!SelectPage(s, want, false))
                SendMessageW(s->tab, TCM_SETCURSEL, (WPARAM)s->cur, 0);
        }
        return TRUE;
    }
    case WM_NCDESTROY: {
        {
            std::lock_guard<std::mutex> lk(SheetLock());
            Sheets().erase(hwnd);
        }
        for (auto& sp : s->pages)
            ReleasePage(sp.psp);
        delete s;
        return FALSE;
    }
    default: return FALSE;
    }
}

void PutWord(std::vector<BYTE>& out, WORD w)
{
    out.push_back((BYTE)(w & 0xFF));
    out.push_back((BYTE)(w >> 8));
}

void PutDword(std::vector<BYTE>& out, DWORD d)
{
    PutWord(out, (WORD)(d & 0xFFFF));
    PutWord(out, (WORD)(d >> 16));
}

void PutString(std::vector<BYTE>& out, const std::u16string& s)
{
    for (char16_t c : s)
        PutWord(out, (WORD)c);
    PutWord(out, 0);
}

// The sheet's own template: an empty dialog in the font of its first page.
std::vector<BYTE> SheetTemplate(const Sheet* s, bool modeless)
{
    std::vector<BYTE> t;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | DS_MODALFRAME | DS_3DLOOK | DS_SETFONT;
    if (modeless)
        style |= WS_VISIBLE;
    PutDword(t, style);
    PutDword(t, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
    PutWord(t, 0); // no items
    for (int k = 0; k < 4; ++k)
        PutWord(t, 0);
    PutWord(t, 0); // no menu
    PutWord(t, 0); // standard class
    PutWord(t, 0); // caption set later
    PutWord(t, s->pointSize);
    PutString(t, s->face);
    while (t.size() % 4)
        t.push_back(0);
    return t;
}

INT_PTR RunSheet(Sheet* s, const PROPSHEETHEADERW* h)
{
    bool modeless = (h->dwFlags & PSH_MODELESS) != 0;
    for (auto& sp : s->pages)
        if (sp.tmpl.style & DS_SETFONT) {
            s->pointSize = sp.tmpl.pointSize;
            s->face = sp.tmpl.face;
            break;
        }
    std::vector<BYTE> tmpl = SheetTemplate(s, modeless);
    if ((h->dwFlags & PSH_USECALLBACK) && h->pfnCallback)
        h->pfnCallback(nullptr, PSCB_PRECREATE, (LPARAM)tmpl.data());
    HWND owner = h->hwndParent;
    HWND sheet = user::DialogFromTemplate(h->hInstance, tmpl.data(), tmpl.size(), owner, SheetProc, (LPARAM)s, false);
    if (!sheet) {
        for (auto& sp : s->pages)
            ReleasePage(sp.psp);
        delete s;
        return -1;
    }
    if ((h->dwFlags & PSH_USECALLBACK) && h->pfnCallback)
        h->pfnCallback(sheet, PSCB_INITIALIZED, 0);
    if (modeless)
        return (INT_PTR)sheet;

    // The modal loop: the owner is disabled and the sheet's keys go through PSM_ISDIALOGMESSAGE.
    bool disabledOwner = owner && IsWindowEnabled(owner);
    if (disabledOwner)
        EnableWindow(owner, FALSE);
    ShowWindow(sheet, SW_SHOWNORMAL);
    user::NotifyModal(sheet);
    MSG msg;
    auto done = [&] {
        Sheet* live = SheetOf(sheet);
        return !live || live->ended;
    };
    while (!done()) {
        BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) {
            if (r == 0)
                PostQuitMessage((int)msg.wParam);
            break;
        }
        if (!CallMsgFilterW(&msg, MSGF_DIALOGBOX) && !SendMessageW(sheet, PSM_ISDIALOGMESSAGE, 0, (LPARAM)&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    INT_PTR result = -1;
    if (Sheet* live = SheetOf(sheet); live && live->ended)
        result = live->result;
    if (disabledOwner)
        EnableWindow(owner, TRUE);
    if (owner && IsWindow(owner) && GetActiveWindow() == sheet)
        SetActiveWindow(owner);
    if (IsWindow(sheet))
        DestroyWindow(sheet);
    return result;
}

} // namespace

} // namespace controls

using namespace controls;

HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page)
{
    if (!page || page->dwSize < PROPSHEETPAGEW_V1_SIZE || page->dwSize > kMaxPageStruct) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* psp = new _PSP;
    psp->data.assign((const BYTE*)page, (const BYTE*)page + page->dwSize);
    // Room for the fields of the newest layout, so reading them never passes the caller's size.
    if (psp->data.size() < sizeof(PROPSHEETPAGEW))
        psp->data.resize(sizeof(PROPSHEETPAGEW), 0);
    {
        std::lock_guard<std::mutex> lk(PageLock());
        LivePages().insert(psp);
    }
    PROPSHEETPAGEW* p = psp->Page();
    if ((p->dwFlags & PSP_USECALLBACK) && p->pfnCallback)
        p->pfnCallback(nullptr, PSPCB_ADDREF, p);
    if ((p->dwFlags & PSP_USEREFPARENT) && p->pcRefParent)
        ++*p->pcRefParent;
    return psp;
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page)
{
    {
        std::lock_guard<std::mutex> lk(PageLock());
        if (!page || !LivePages().erase(page)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    PROPSHEETPAGEW* p = page->Page();
    if ((p->dwFlags & PSP_USECALLBACK) && p->pfnCallback)
        p->pfnCallback(nullptr, PSPCB_RELEASE, p);
    if ((p->dwFlags & PSP_USEREFPARENT) && p->pcRefParent && *p->pcRefParent)
        --*p->pcRefParent;
    delete page;
    return TRUE;
}

INT_PTR PropertySheetW(LPCPROPSHEETHEADERW h)
{
    if (!h || h->dwSize < PROPSHEETHEADERW_V1_SIZE || h->nPages > kMaxPages) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (h->dwFlags & PSH_WIZARD) {
        // Wizards are not offered by this layer.
        SetLastError(ERROR_NOT_SUPPORTED);
        return -1;
    }
    auto* s = new Sheet;
    s->flags = h->dwFlags;
    s->inst = h->hInstance;
    s->caption = ResourceText(h->hInstance, h->pszCaption);
    s->callback = h->pfnCallback;
    // The sheet owns its pages from here on, those made from structures and those given as handles.
    bool bad = false;
    const BYTE* walk = (const BYTE*)h->ppsp;
    for (UINT i = 0; i < h->nPages; ++i) {
        HPROPSHEETPAGE psp;
        if (h->dwFlags & PSH_PROPSHEETPAGE) {
            auto* p = (const PROPSHEETPAGEW*)walk;
            if (!p || p->dwSize < PROPSHEETPAGEW_V1_SIZE || p->dwSize > kMaxPageStruct) {
                bad = true;
                break;
            }
            psp = CreatePropertySheetPageW(p);
            walk += p->dwSize;
        } else {
            psp = h->phpage ? h->phpage[i] : nullptr;
            if (!IsLivePage(psp))
                psp = nullptr;
        }
        if (!psp) {
            bad = true;
            continue;
        }
        SheetPage sp;
        sp.psp = psp;
        if (!MeasurePage(&sp)) {
            ReleasePage(psp);
            bad = true;
            continue;
        }
        s->pages.push_back(sp);
    }
    if (bad && s->pages.empty() && h->nPages) {
        delete s;
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (h->dwFlags & PSH_USEPSTARTPAGE) {
        for (size_t i = 0; i < s->pages.size(); ++i)
            if (s->pages[i].title == ResourceText(h->hInstance, h->pStartPage))
                s->start = (int)i;
    } else {
        s->start = (int)h->nStartPage;
    }
    return RunSheet(s, h);
}
