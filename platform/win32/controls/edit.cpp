// The EDIT window class: text entry with caret, selection, clipboard, limits and notifications.
#include "win32/controls/control_util.h"

#include <algorithm>

namespace controls {

namespace {

const size_t kDefaultLimit = 32767;
const size_t kMaxLimit = 0x7FFFFFFE;

struct Edit {
    std::u16string text;
    size_t anchor = 0; // the fixed end of the selection
    size_t caret = 0;  // the moving end, where the caret is
    size_t limit = kDefaultLimit;
    HFONT font = nullptr;
    int leftMargin = 1;
    int rightMargin = 1;
    int scrollX = 0;
    bool focused = false;
    bool modified = false;
    bool tracking = false;
    char16_t passwordChar = 0;
    // One level of undo, as the classic control keeps.
    bool canUndo = false;
    std::u16string undoText;
    size_t undoAnchor = 0, undoCaret = 0;
};

bool Multi(HWND hwnd)
{
    return (StyleOf(hwnd) & ES_MULTILINE) != 0;
}

size_t SelStart(const Edit* e)
{
    return std::min(e->anchor, e->caret);
}
size_t SelEnd(const Edit* e)
{
    return std::max(e->anchor, e->caret);
}

// Line starts of the text; lines end at "\r\n" (multi-line controls only).
std::vector<size_t> LineStarts(HWND hwnd, const Edit* e)
{
    std::vector<size_t> starts{0};
    if (!Multi(hwnd))
        return starts;
    for (size_t i = 0; i + 1 < e->text.size(); ++i)
        if (e->text[i] == u'\r' && e->text[i + 1] == u'\n')
            starts.push_back(i + 2);
    return starts;
}

size_t LineOf(HWND hwnd, const Edit* e, size_t pos)
{
    auto starts = LineStarts(hwnd, e);
    return (size_t)(std::upper_bound(starts.begin(), starts.end(), pos) - starts.begin()) - 1;
}

size_t LineLength(HWND hwnd, const Edit* e, size_t line)
{
    auto starts = LineStarts(hwnd, e);
    if (line >= starts.size())
        return 0;
    size_t end = line + 1 < starts.size() ? starts[line + 1] - 2 : e->text.size();
    return end - starts[line];
}

std::u16string Shown(const Edit* e, size_t from, size_t count)
{
    if (e->passwordChar)
        return std::u16string(count, e->passwordChar);
    return e->text.substr(from, count);
}

struct Metrics {
    int lineHeight;
    RECT area; // the formatting rectangle, margins applied
};

Metrics Measure(HWND hwnd, HDC dc, const Edit* e)
{
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    Metrics m;
    m.lineHeight = tm.tmHeight > 0 ? tm.tmHeight : 13;
    GetClientRect(hwnd, &m.area);
    m.area.left += e->leftMargin;
    m.area.right -= e->rightMargin;
    if (m.area.right < m.area.left)
        m.area.right = m.area.left;
    return m;
}

int Width(HDC dc, const std::u16string& s)
{
    SIZE sz{0, 0};
    if (!s.empty())
        GetTextExtentPoint32W(dc, s.c_str(), (int)s.size(), &sz);
    return sz.cx;
}

// The x where a line starts, from the alignment style and the horizontal scroll.
int LineX(HWND hwnd, HDC dc, const Edit* e, const Metrics& m, size_t lineStart, size_t lineLen)
{
    DWORD style = StyleOf(hwnd);
    int w = Width(dc, Shown(e, lineStart, lineLen));
    int avail = m.area.right - m.area.left;
    if ((style & ES_RIGHT) && w < avail)
        return m.area.right - w;
    if ((style & ES_CENTER) && w < avail)
        return m.area.left + (avail - w) / 2;
    return m.area.left - e->scrollX;
}

template <class F>
auto WithDC(HWND hwnd, const Edit* e, F&& f)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOrDefault(e->font));
    auto r = f(dc);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return r;
}

POINT PosFromChar(HWND hwnd, HDC dc, const Edit* e, size_t pos)
{
    Metrics m = Measure(hwnd, dc, e);
    auto starts = LineStarts(hwnd, e);
    size_t line = LineOf(hwnd, e, pos);
    size_t ls = starts[line];
    int x = LineX(hwnd, dc, e, m, ls, LineLength(hwnd, e, line)) + Width(dc, Shown(e, ls, pos - ls));
    return {x, m.area.top + (int)line * m.lineHeight};
}

size_t CharFromPos(HWND hwnd, HDC dc, const Edit* e, POINT pt)
{
    Metrics m = Measure(hwnd, dc, e);
    auto starts = LineStarts(hwnd, e);
    int line = (pt.y - m.area.top) / std::max(1, m.lineHeight);
    line = std::clamp(line, 0, (int)starts.size() - 1);
    size_t ls = starts[(size_t)line], len = LineLength(hwnd, e, (size_t)line);
    int x0 = LineX(hwnd, dc, e, m, ls, len);
    // The nearest boundary: past a character's middle counts as after it.
    int prev = 0;
    for (size_t i = 1; i <= len; ++i) {
        int w = Width(dc, Shown(e, ls, i));
        if (pt.x < x0 + (prev + w) / 2)
            return ls + i - 1;
        prev = w;
    }
    return ls + len;
}

void ScrollToCaret(HWND hwnd, Edit* e)
{
    if (Multi(hwnd) || !(StyleOf(hwnd) & ES_AUTOHSCROLL)) {
        e->scrollX = 0;
        return;
    }
    WithDC(hwnd, e, [&](HDC dc) {
        Metrics m = Measure(hwnd, dc, e);
        int x = Width(dc, Shown(e, 0, e->caret));
        int avail = m.area.right - m.area.left;
        if (x - e->scrollX > avail)
            e->scrollX = x - avail + avail / 4;
        if (x < e->scrollX)
            e->scrollX = std::max(0, x - avail / 4);
        return 0;
    });
}

void UpdateCaret(HWND hwnd, Edit* e)
{
    if (!e->focused)
        return;
    WithDC(hwnd, e, [&](HDC dc) {
        POINT p = PosFromChar(hwnd, dc, e, e->caret);
        SetCaretPos(p.x, p.y);
        return 0;
    });
}

void Changed(HWND hwnd, Edit* e, bool notify)
{
    // The window text is what GetWindowText answers.
    DefWindowProcW(hwnd, WM_SETTEXT, 0, (LPARAM)e->text.c_str());
    ScrollToCaret(hwnd, e);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateCaret(hwnd, e);
    if (notify) {
        NotifyCommand(hwnd, EN_UPDATE);
        NotifyCommand(hwnd, EN_CHANGE);
    }
}

void SelectionMoved(HWND hwnd, Edit* e)
{
    ScrollToCaret(hwnd, e);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateCaret(hwnd, e);
}

// Puts `s` in place of the selection, cut to what the limit allows. False when nothing changed.
bool ReplaceSel(HWND hwnd, Edit* e, std::u16string s, bool canUndo)
{
    if (!Multi(hwnd)) {
        // A single line ends at the first line break, as pasting multi-line text shows.
        size_t br = s.find_first_of(u"\r\n");
        if (br != std::u16string::npos)
            s.resize(br);
    }
    size_t a = SelStart(e), b = SelEnd(e);
    size_t room = e->limit > e->text.size() - (b - a) ? e->limit - (e->text.size() - (b - a)) : 0;
    bool cut = s.size() > room;
    if (cut)
        s.resize(room);
    if (s.empty() && a == b) {
        if (cut)
            NotifyCommand(hwnd, EN_MAXTEXT);
        return false;
    }
    if (canUndo) {
        e->undoText = e->text;
        e->undoAnchor = e->anchor;
        e->undoCaret = e->caret;
        e->canUndo = true;
    }
    e->text.replace(a, b - a, s);
    e->anchor = e->caret = a + s.size();
    e->modified = true;
    Changed(hwnd, e, true);
    if (cut)
        NotifyCommand(hwnd, EN_MAXTEXT);
    return true;
}

void SetSel(HWND hwnd, Edit* e, LONG_PTR start, LONG_PTR end)
{
    size_t n = e->text.size();
    if (start == -1) {
        // Deselects and leaves the caret where it is.
        e->anchor = e->caret;
    } else {
        auto clamp = [n](LONG_PTR v) { return v < 0 || (size_t)v > n ? n : (size_t)v; };
        e->anchor = clamp(start);
        e->caret = clamp(end);
    }
    SelectionMoved(hwnd, e);
}

bool CopySelection(HWND hwnd, Edit* e)
{
    size_t a = SelStart(e), b = SelEnd(e);
    // A password box never gives its text away.
    if (a == b || e->passwordChar)
        return false;
    std::u16string s = e->text.substr(a, b - a);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(char16_t));
    if (!mem)
        return false;
    auto* p = (char16_t*)GlobalLock(mem);
    std::copy(s.begin(), s.end(), p);
    p[s.size()] = 0;
    GlobalUnlock(mem);
    if (!OpenClipboard(hwnd)) {
        GlobalFree(mem);
        return false;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, mem))
        GlobalFree(mem);
    CloseClipboard();
    return true;
}

void Paste(HWND hwnd, Edit* e)
{
    if (StyleOf(hwnd) & ES_READONLY)
        return;
    if (!OpenClipboard(hwnd))
        return;
    std::u16string s;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = (const char16_t*)GlobalLock(h)) {
            size_t max = GlobalSize(h) / sizeof(char16_t);
            size_t n = 0;
            while (n < max && p[n])
                ++n;
            s.assign(p, n);
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    if (!s.empty())
        ReplaceSel(hwnd, e, s, true);
}

bool IsWordChar(char16_t c)
{
    return c != u' ' && c != u'\t' && c != u'\r' && c != u'\n';
}

void Key(HWND hwnd, Edit* e, WPARAM vk)
{
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    bool readOnly = (StyleOf(hwnd) & ES_READONLY) != 0;
    size_t n = e->text.size(), c = e->caret;
    auto move = [&](size_t to) {
        // Without Shift an arrow collapses a selection to its side.
        if (!shift && e->anchor != e->caret && (vk == VK_LEFT || vk == VK_RIGHT))
            to = vk == VK_LEFT ? SelStart(e) : SelEnd(e);
        e->caret = to;
        if (!shift)
            e->anchor = to;
        SelectionMoved(hwnd, e);
    };
    auto starts = LineStarts(hwnd, e);
    size_t line = LineOf(hwnd, e, c);
    switch (vk) {
    case VK_LEFT:
        if (ctrl) {
            size_t i = c;
            while (i > 0 && !IsWordChar(e->text[i - 1]))
                --i;
            while (i > 0 && IsWordChar(e->text[i - 1]))
                --i;
            move(i);
        } else {
            move(c > 0 ? c - ((c >= 2 && e->text[c - 1] == u'\n' && e->text[c - 2] == u'\r') ? 2 : 1) : 0);
        }
        break;
    case VK_RIGHT:
        if (ctrl) {
            size_t i = c;
            while (i < n && IsWordChar(e->text[i]))
                ++i;
            while (i < n && !IsWordChar(e->text[i]))
                ++i;
            move(i);
        } else {
            move(c < n ? c + ((c + 1 < n && e->text[c] == u'\r' && e->text[c + 1] == u'\n') ? 2 : 1) : n);
        }
        break;
    case VK_HOME: move(ctrl ? 0 : starts[line]); break;
    case VK_END: move(ctrl ? n : starts[line] + LineLength(hwnd, e, line)); break;
    case VK_UP:
    case VK_DOWN: {
        if (!Multi(hwnd)) {
            // Single-line edits treat up and down as left and right.
            Key(hwnd, e, vk == VK_UP ? VK_LEFT : VK_RIGHT);
            return;
        }
        size_t target = vk == VK_UP ? (line > 0 ? line - 1 : 0) : std::min(line + 1, starts.size() - 1);
        size_t col = std::min(c - starts[line], LineLength(hwnd, e, target));
        move(starts[target] + col);
        break;
    }
    case VK_DELETE:
        if (readOnly)
            break;
        if (shift) {
            if (CopySelection(hwnd, e))
                ReplaceSel(hwnd, e, u"", true);
            break;
        }
        if (e->anchor == e->caret) {
            if (c >= n)
                break;
            e->caret = c + ((c + 1 < n && e->text[c] == u'\r' && e->text[c + 1] == u'\n') ? 2 : 1);
        }
        ReplaceSel(hwnd, e, u"", true);
        break;
    case VK_INSERT:
        if (ctrl)
            CopySelection(hwnd, e);
        else if (shift)
            Paste(hwnd, e);
        break;
    default:
        if (ctrl && !shift) {
            if (vk == 'C')
                CopySelection(hwnd, e);
            else if (vk == 'X' && !readOnly && CopySelection(hwnd, e))
                ReplaceSel(hwnd, e, u"", true);
            else if (vk == 'V')
                Paste(hwnd, e);
            else if (vk == 'A')
                SetSel(hwnd, e, 0, -1);
            else if (vk == 'Z' && !readOnly)
                SendMessageW(hwnd, EM_UNDO, 0, 0);
        }
        break;
    }
}

void Char(HWND hwnd, Edit* e, char16_t ch)
{
    DWORD style = StyleOf(hwnd);
    if (GetKeyState(VK_CONTROL) < 0 && ch < 0x20 && ch != u'\b')
        return; // control shortcuts were handled as keys
    if (style & ES_READONLY) {
        MessageBeep(0);
        return;
    }
    if (ch == u'\b') {
        if (e->anchor == e->caret) {
            size_t c = e->caret;
            if (c == 0)
                return;
            e->caret = c - ((c >= 2 && e->text[c - 1] == u'\n' && e->text[c - 2] == u'\r') ? 2 : 1);
        }
        ReplaceSel(hwnd, e, u"", true);
        return;
    }
    if (ch == u'\r' || ch == u'\n') {
        if (Multi(hwnd) && (style & ES_WANTRETURN || ch == u'\n'))
            ReplaceSel(hwnd, e, u"\r\n", true);
        return;
    }
    if (ch == u'\t') {
        if (Multi(hwnd))
            ReplaceSel(hwnd, e, u"\t", true);
        return;
    }
    if (ch < 0x20)
        return;
    if ((style & ES_NUMBER) && !(ch >= u'0' && ch <= u'9')) {
        MessageBeep(0);
        return;
    }
    if (style & ES_UPPERCASE && ch >= u'a' && ch <= u'z')
        ch = (char16_t)(ch - 32);
    if (style & ES_LOWERCASE && ch >= u'A' && ch <= u'Z')
        ch = (char16_t)(ch + 32);
    if (!ReplaceSel(hwnd, e, std::u16string(1, ch), true))
        MessageBeep(0);
}

void Draw(HWND hwnd, HDC dc, Edit* e)
{
    DWORD style = StyleOf(hwnd);
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    int saved = SaveDC(dc);
    SelectObject(dc, FontOrDefault(e->font));
    // Read-only and disabled edits take the static colours, as dialogs expect.
    UINT ctl = (!enabled || (style & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    HBRUSH br = ControlColor(hwnd, dc, ctl);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (br)
        FillRect(dc, &rc, br);
    if (!enabled)
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    Metrics m = Measure(hwnd, dc, e);
    IntersectClipRect(dc, m.area.left, m.area.top, m.area.right, m.area.bottom);
    SetBkMode(dc, TRANSPARENT);
    auto starts = LineStarts(hwnd, e);
    bool showSel = e->focused || (style & ES_NOHIDESEL);
    size_t sa = SelStart(e), sb = SelEnd(e);
    for (size_t line = 0; line < starts.size(); ++line) {
        size_t ls = starts[line], len = LineLength(hwnd, e, line);
        int y = m.area.top + (int)line * m.lineHeight;
        if (y >= m.area.bottom)
            break;
        int x = LineX(hwnd, dc, e, m, ls, len);
        std::u16string shown = Shown(e, ls, len);
        if (!shown.empty())
            ExtTextOutW(dc, x, y, 0, nullptr, shown.c_str(), (UINT)shown.size(), nullptr);
        size_t a = std::max(sa, ls), b = std::min(sb, ls + len);
        if (showSel && a < b) {
            int x1 = x + Width(dc, Shown(e, ls, a - ls)), x2 = x + Width(dc, Shown(e, ls, b - ls));
            RECT hl{x1, y, x2, y + m.lineHeight};
            FillRect(dc, &hl, GetSysColorBrush(COLOR_HIGHLIGHT));
            COLORREF old = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            std::u16string part = Shown(e, a, b - a);
            ExtTextOutW(dc, x1, y, 0, nullptr, part.c_str(), (UINT)part.size(), nullptr);
            SetTextColor(dc, old);
        }
    }
    RestoreDC(dc, saved);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Edit* e = StateOf<Edit>(hwnd);
    if (!e && msg != WM_NCCREATE)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCCREATE: {
        if (!e)
            e = CreateState<Edit>(hwnd);
        const CREATESTRUCTW* cs = (const CREATESTRUCTW*)lParam;
        if (cs->style & ES_PASSWORD && !(cs->style & ES_MULTILINE))
            e->passwordChar = u'*';
        if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName))
            e->text = cs->lpszName;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY: DestroyState<Edit>(hwnd); return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (Multi(hwnd) && (StyleOf(hwnd) & ES_WANTRETURN))
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_SETTEXT: {
        e->text = lParam ? (const char16_t*)lParam : u"";
        e->anchor = e->caret = 0;
        e->scrollX = 0;
        e->modified = false;
        e->canUndo = false;
        Changed(hwnd, e, true);
        return TRUE;
    }
    case WM_SETFONT:
        e->font = (HFONT)wParam;
        if (e->focused) {
            DestroyCaret();
            int h = WithDC(hwnd, e, [&](HDC dc) { return Measure(hwnd, dc, e).lineHeight; });
            CreateCaret(hwnd, nullptr, 1, h);
            ShowCaret(hwnd);
        }
        SelectionMoved(hwnd, e);
        return 0;
    case WM_GETFONT: return (LRESULT)e->font;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: Paint(hwnd, wParam, [&](HDC dc) { Draw(hwnd, dc, e); }); return 0;
    case WM_SETFOCUS: {
        e->focused = true;
        int h = WithDC(hwnd, e, [&](HDC dc) { return Measure(hwnd, dc, e).lineHeight; });
        CreateCaret(hwnd, nullptr, 1, h);
        UpdateCaret(hwnd, e);
        ShowCaret(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyCommand(hwnd, EN_SETFOCUS);
        return 0;
    }
    case WM_KILLFOCUS:
        e->focused = false;
        e->tracking = false;
        DestroyCaret();
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyCommand(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        size_t at = WithDC(hwnd, e, [&](HDC dc) { return CharFromPos(hwnd, dc, e, pt); });
        e->caret = at;
        if (!(wParam & MK_SHIFT))
            e->anchor = at;
        e->tracking = true;
        SetCapture(hwnd);
        SelectionMoved(hwnd, e);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (e->tracking && GetCapture() == hwnd) {
            POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
            size_t at = WithDC(hwnd, e, [&](HDC dc) { return CharFromPos(hwnd, dc, e, pt); });
            if (at != e->caret) {
                e->caret = at;
                SelectionMoved(hwnd, e);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (e->tracking) {
            e->tracking = false;
            if (GetCapture() == hwnd)
                ReleaseCapture();
        }
        return 0;
    case WM_LBUTTONDBLCLK: {
        // Selects the word under the pointer.
        POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        size_t at = WithDC(hwnd, e, [&](HDC dc) { return CharFromPos(hwnd, dc, e, pt); });
        size_t a = at, b = at;
        while (a > 0 && IsWordChar(e->text[a - 1]))
            --a;
        while (b < e->text.size() && IsWordChar(e->text[b]))
            ++b;
        e->anchor = a;
        e->caret = b;
        SelectionMoved(hwnd, e);
        return 0;
    }
    case WM_CAPTURECHANGED:
        e->tracking = false;
        return 0;
    case WM_KEYDOWN: Key(hwnd, e, wParam); return 0;
    case WM_CHAR: Char(hwnd, e, (char16_t)wParam); return 0;
    case WM_CUT:
        if (!(StyleOf(hwnd) & ES_READONLY) && CopySelection(hwnd, e))
            ReplaceSel(hwnd, e, u"", true);
        return 0;
    case WM_COPY: CopySelection(hwnd, e); return 0;
    case WM_PASTE: Paste(hwnd, e); return 0;
    case WM_CLEAR:
        if (!(StyleOf(hwnd) & ES_READONLY))
            ReplaceSel(hwnd, e, u"", true);
        return 0;
    case WM_UNDO:
    case EM_UNDO: {
        if (!e->canUndo)
            return FALSE;
        // Undoing twice redoes, as the single undo level of the classic control does.
        std::swap(e->text, e->undoText);
        std::swap(e->anchor, e->undoAnchor);
        std::swap(e->caret, e->undoCaret);
        e->modified = true;
        Changed(hwnd, e, true);
        return TRUE;
    }
    case EM_CANUNDO: return e->canUndo;
    case EM_EMPTYUNDOBUFFER: e->canUndo = false; return 0;
    case EM_GETSEL: {
        DWORD a = (DWORD)SelStart(e), b = (DWORD)SelEnd(e);
        if (wParam)
            *(DWORD*)wParam = a;
        if (lParam)
            *(DWORD*)lParam = b;
        return MAKELONG(std::min<DWORD>(a, 0xFFFF), std::min<DWORD>(b, 0xFFFF));
    }
    case EM_SETSEL: SetSel(hwnd, e, (LONG_PTR)(int)wParam, (LONG_PTR)(int)lParam); return 0;
    case EM_REPLACESEL: ReplaceSel(hwnd, e, lParam ? (const char16_t*)lParam : u"", wParam != 0); return 0;
    case EM_LIMITTEXT: {
        size_t v = wParam ? (size_t)wParam : kMaxLimit;
        e->limit = std::min(v, kMaxLimit);
        return 0;
    }
    case EM_GETLIMITTEXT: return (LRESULT)e->limit;
    case EM_SCROLLCARET: ScrollToCaret(hwnd, e); InvalidateRect(hwnd, nullptr, TRUE); UpdateCaret(hwnd, e); return TRUE;
    case EM_SETREADONLY: {
        LONG_PTR st = GetWindowLongPtrW(hwnd, GWL_STYLE);
        SetWindowLongPtrW(hwnd, GWL_STYLE, wParam ? (st | ES_READONLY) : (st & ~(LONG_PTR)ES_READONLY));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case EM_GETMODIFY: return e->modified;
    case EM_SETMODIFY: e->modified = wParam != 0; return 0;
    case EM_SETPASSWORDCHAR:
        if (!Multi(hwnd)) {
            e->passwordChar = (char16_t)wParam;
            LONG_PTR st = GetWindowLongPtrW(hwnd, GWL_STYLE);
            SetWindowLongPtrW(hwnd, GWL_STYLE, wParam ? (st | ES_PASSWORD) : (st & ~(LONG_PTR)ES_PASSWORD));
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case EM_GETPASSWORDCHAR: return e->passwordChar;
    case EM_SETMARGINS: {
        // Font-derived margins: the classic control leaves a few pixels.
        if (wParam & EC_LEFTMARGIN)
            e->leftMargin = LOWORD(lParam) == EC_USEFONTINFO ? 3 : LOWORD(lParam);
        if (wParam & EC_RIGHTMARGIN)
            e->rightMargin = HIWORD(lParam) == EC_USEFONTINFO ? 3 : HIWORD(lParam);
        SelectionMoved(hwnd, e);
        return 0;
    }
    case EM_GETMARGINS: return MAKELONG(e->leftMargin, e->rightMargin);
    case EM_GETLINECOUNT: return (LRESULT)LineStarts(hwnd, e).size();
    case EM_LINEINDEX: {
        auto starts = LineStarts(hwnd, e);
        size_t line = (int)wParam == -1 ? LineOf(hwnd, e, e->caret) : (size_t)wParam;
        return line < starts.size() ? (LRESULT)starts[line] : -1;
    }
    case EM_LINEFROMCHAR: {
        size_t pos = (int)wParam == -1 ? SelStart(e) : std::min((size_t)wParam, e->text.size());
        return (LRESULT)LineOf(hwnd, e, pos);
    }
    case EM_LINELENGTH: {
        if ((int)wParam == -1)
            return (LRESULT)LineLength(hwnd, e, LineOf(hwnd, e, e->caret)) - (LRESULT)(SelEnd(e) - SelStart(e));
        size_t pos = std::min((size_t)wParam, e->text.size());
        return (LRESULT)LineLength(hwnd, e, LineOf(hwnd, e, pos));
    }
    case EM_GETLINE: {
        // The buffer's first WORD holds its size in characters; the line is copied without a null.
        if (!lParam)
            return 0;
        auto* buf = (char16_t*)lParam;
        size_t cap = *(const WORD*)lParam;
        auto starts = LineStarts(hwnd, e);
        size_t line = Multi(hwnd) ? (size_t)wParam : 0;
        if (line >= starts.size())
            return 0;
        size_t n = std::min(cap, LineLength(hwnd, e, line));
        std::copy(e->text.begin() + (std::ptrdiff_t)starts[line],
                  e->text.begin() + (std::ptrdiff_t)(starts[line] + n), buf);
        return (LRESULT)n;
    }
    case EM_POSFROMCHAR: {
        size_t n = e->text.size();
        // Past the last character there is no position (a multi-line edit answers its end too).
        if (wParam > n || (wParam == n && !Multi(hwnd)))
            return -1;
        POINT p = WithDC(hwnd, e, [&](HDC dc) { return PosFromChar(hwnd, dc, e, (size_t)wParam); });
        return MAKELONG((short)p.x, (short)p.y);
    }
    case EM_CHARFROMPOS: {
        POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        size_t at = WithDC(hwnd, e, [&](HDC dc) { return CharFromPos(hwnd, dc, e, pt); });
        return MAKELONG((WORD)std::min<size_t>(at, 0xFFFF), (WORD)std::min<size_t>(LineOf(hwnd, e, at), 0xFFFF));
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

ClassInfo EditClass()
{
    return {u"Edit", EditProc, CS_DBLCLKS, (HCURSOR)IDC_IBEAM, 0};
}

} // namespace controls
