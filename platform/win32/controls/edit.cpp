// The EDIT window class: text entry with caret, selection, clipboard, limits and notifications.
#include "win32/controls/control_util.h"

#include <algorithm>
#include <climits>

namespace controls {

namespace {

const size_t kDefaultLimit = 32767;
const size_t kMaxLimit = 0x7FFFFFFE;

// One display line: `len` characters from `start`; the next line begins at `next` (past a "\r\n" or at a soft
// break, where the blanks that ended the line stay on it).
struct Line {
    size_t start, len, next;
};

// Display lines depend on the text, the font, the width and the style; they are kept until one changes.
struct LayoutCache {
    bool valid = false;
    unsigned version = 0;
    HFONT font = nullptr;
    int avail = 0;
    bool wraps = false, multi = false;
    std::vector<Line> lines;
};

struct Edit {
    std::u16string text;
    unsigned version = 0; // bumped whenever the text changes
    size_t anchor = 0; // the fixed end of the selection
    size_t caret = 0;  // the moving end, where the caret is
    size_t limit = kDefaultLimit;
    HFONT font = nullptr;
    int leftMargin = 1;
    int rightMargin = 1;
    int scrollX = 0;
    int firstLine = 0;  // the top display line of a multi-line edit
    int wheelRest = 0;  // wheel travel short of a whole notch
    bool updatingScroll = false;
    mutable LayoutCache layout;
    // The scroll bars asked for at creation: showing and hiding a bar changes the live style.
    DWORD bars = 0;
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

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// Multi-line edits wrap words unless they scroll sideways.
DWORD EditStyle(HWND hwnd, const Edit* e)
{
    return (StyleOf(hwnd) & ~(DWORD)(WS_HSCROLL | WS_VSCROLL)) | e->bars;
}

bool Wraps(HWND hwnd, const Edit* e)
{
    DWORD style = EditStyle(hwnd, e);
    return (style & ES_MULTILINE) && !(style & (ES_AUTOHSCROLL | WS_HSCROLL));
}

bool AutoHScroll(HWND hwnd, const Edit* e)
{
    DWORD style = EditStyle(hwnd, e);
    return (style & ES_AUTOHSCROLL) || ((style & ES_MULTILINE) && (style & WS_HSCROLL));
}

bool AutoVScroll(HWND hwnd, const Edit* e)
{
    return (EditStyle(hwnd, e) & (ES_AUTOVSCROLL | WS_VSCROLL)) != 0;
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
    int visible; // whole lines that fit, at least one
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
    m.visible = std::max(1, (int)(m.area.bottom - m.area.top) / m.lineHeight);
    return m;
}

int Width(HDC dc, const std::u16string& s)
{
    SIZE sz{0, 0};
    if (!s.empty())
        GetTextExtentPoint32W(dc, s.c_str(), (int)s.size(), &sz);
    return sz.cx;
}

// A multi-line edit expands tabs to stops every eight average characters from the line's start.
int TabStop(HDC dc)
{
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return 8 * (tm.tmAveCharWidth > 0 ? (int)tm.tmAveCharWidth : 6);
}

int NextTabStop(int x, int stop)
{
    return (x / stop + 1) * stop;
}

// Calls run(offset, count, x) for each stretch of s between tabs, x measured from the line's start, where
// s begins `at` pixels in; returns where s ends.
template <class Run>
int ForEachTabbedRun(HDC dc, const std::u16string& s, int at, Run&& run)
{
    int x = at, stop = 0;
    for (size_t from = 0;;) {
        size_t tab = s.find(u'\t', from);
        size_t n = (tab == std::u16string::npos ? s.size() : tab) - from;
        if (n) {
            run(from, n, x);
            x += Width(dc, s.substr(from, n));
        }
        if (tab == std::u16string::npos)
            return x;
        if (!stop)
            stop = TabStop(dc);
        x = NextTabStop(x, stop);
        from = tab + 1;
    }
}

// The width of characters [from, from + count) of a line that starts at lineStart.
int ShownWidth(HWND hwnd, HDC dc, const Edit* e, size_t from, size_t count, size_t lineStart)
{
    std::u16string s = Shown(e, from, count);
    if (!Multi(hwnd) || s.find(u'\t') == std::u16string::npos)
        return Width(dc, s);
    int at = from > lineStart ? ShownWidth(hwnd, dc, e, lineStart, from - lineStart, lineStart) : 0;
    return ForEachTabbedRun(dc, s, at, [](size_t, size_t, int) {}) - at;
}

// Writes characters [from, from + count) of the line at lineX, its first character at x.
void DrawShown(HWND hwnd, HDC dc, const Edit* e, int lineX, int x, int y, size_t from, size_t count)
{
    std::u16string s = Shown(e, from, count);
    if (!Multi(hwnd)) {
        if (!s.empty())
            ExtTextOutW(dc, x, y, 0, nullptr, s.c_str(), (UINT)s.size(), nullptr);
        return;
    }
    ForEachTabbedRun(dc, s, x - lineX, [&](size_t offset, size_t n, int at) {
        ExtTextOutW(dc, lineX + at, y, 0, nullptr, s.c_str() + offset, (UINT)n, nullptr);
    });
}

// Splits [from, end) into display lines no wider than `avail`, breaking after blanks (which may hang past the
// edge) or, for a word longer than the line, inside it.
void WrapParagraph(HDC dc, const Edit* e, size_t from, size_t end, size_t hardNext, int avail, std::vector<Line>& out)
{
    size_t n = end - from;
    std::vector<int> dx(n);
    if (n) {
        SIZE sz{};
        GetTextExtentExPointW(dc, e->text.c_str() + from, (int)n, -1, nullptr, dx.data(), &sz);
    }
    const int stop = TabStop(dc);
    size_t i = from;
    for (;;) {
        // A display line's width so far; a tab reaches the next stop from the line's start.
        int x = 0;
        auto advance = [&](size_t k) {
            if (e->text[k] == u'\t' && !e->passwordChar)
                return NextTabStop(x, stop) - x;
            return dx[k - from] - (k > from ? dx[k - 1 - from] : 0);
        };
        size_t k = i, brk = std::u16string::npos;
        while (k < end) {
            const int w = advance(k);
            if (IsBlank(e->text[k])) {
                x += w;
                brk = ++k;
                continue;
            }
            if (k > i && x + w > avail)
                break;
            x += w;
            ++k;
        }
        if (k >= end) {
            out.push_back({i, end - i, hardNext});
            return;
        }
        size_t cut = brk != std::u16string::npos ? brk : k;
        out.push_back({i, cut - i, cut});
        i = cut;
    }
}

const std::vector<Line>& Lines(HWND hwnd, const Edit* e)
{
    bool wraps = Wraps(hwnd, e);
    int avail = 0;
    RECT rc{};
    GetClientRect(hwnd, &rc);
    if (wraps)
        avail = std::max(0, (int)(rc.right - rc.left) - e->leftMargin - e->rightMargin);
    auto& c = e->layout;
    if (c.valid && c.version == e->version && c.font == e->font && c.avail == avail && c.wraps == wraps &&
        c.multi == Multi(hwnd))
        return c.lines;
    c.lines.clear();
    c.valid = true;
    c.version = e->version;
    c.font = e->font;
    c.avail = avail;
    c.wraps = wraps;
    c.multi = Multi(hwnd);
    if (!c.multi) {
        c.lines.push_back({0, e->text.size(), e->text.size()});
        return c.lines;
    }
    HDC dc = wraps ? GetDC(hwnd) : nullptr;
    HGDIOBJ old = dc ? SelectObject(dc, FontOrDefault(e->font)) : nullptr;
    const std::u16string& t = e->text;
    for (size_t p = 0;;) {
        size_t br = t.find(u"\r\n", p);
        size_t end = br == std::u16string::npos ? t.size() : br;
        size_t next = br == std::u16string::npos ? t.size() : br + 2;
        if (dc && end > p)
            WrapParagraph(dc, e, p, end, next, avail, c.lines);
        else
            c.lines.push_back({p, end - p, next});
        if (br == std::u16string::npos)
            break;
        p = next;
    }
    if (dc) {
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
    }
    return c.lines;
}

size_t LineOf(HWND hwnd, const Edit* e, size_t pos)
{
    const auto& lines = Lines(hwnd, e);
    auto it = std::upper_bound(lines.begin(), lines.end(), pos, [](size_t p, const Line& l) { return p < l.start; });
    return (size_t)(it - lines.begin()) - 1;
}

size_t LineLength(HWND hwnd, const Edit* e, size_t line)
{
    const auto& lines = Lines(hwnd, e);
    return line < lines.size() ? lines[line].len : 0;
}

// The x where a line starts, from the alignment style and the horizontal scroll.
int LineX(HWND hwnd, HDC dc, const Edit* e, const Metrics& m, size_t lineStart, size_t lineLen)
{
    DWORD style = StyleOf(hwnd);
    int w = ShownWidth(hwnd, dc, e, lineStart, lineLen, lineStart);
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
    size_t line = LineOf(hwnd, e, pos);
    const Line& l = Lines(hwnd, e)[line];
    int x = LineX(hwnd, dc, e, m, l.start, l.len) + ShownWidth(hwnd, dc, e, l.start, pos - l.start, l.start);
    return {x, m.area.top + ((int)line - e->firstLine) * m.lineHeight};
}

size_t CharFromPos(HWND hwnd, HDC dc, const Edit* e, POINT pt)
{
    Metrics m = Measure(hwnd, dc, e);
    const auto& lines = Lines(hwnd, e);
    int dy = pt.y - m.area.top;
    int line = e->firstLine + (dy >= 0 ? dy / m.lineHeight : -((-dy + m.lineHeight - 1) / m.lineHeight));
    line = std::clamp(line, 0, (int)lines.size() - 1);
    size_t ls = lines[(size_t)line].start, len = lines[(size_t)line].len;
    // A soft-broken line's last blank sits at the edge: a click past it lands before it, on this line.
    if (lines[(size_t)line].next == ls + len && (size_t)line + 1 < lines.size() && len > 0)
        --len;
    int x0 = LineX(hwnd, dc, e, m, ls, lines[(size_t)line].len);
    // The nearest boundary: past a character's middle counts as after it.
    int prev = 0;
    for (size_t i = 1; i <= len; ++i) {
        int w = ShownWidth(hwnd, dc, e, ls, i, ls);
        if (pt.x < x0 + (prev + w) / 2)
            return ls + i - 1;
        prev = w;
    }
    return ls + len;
}

// Keeps the scroll bars the style asks for in step with the first line and the sideways scroll.
void UpdateScrollBars(HWND hwnd, Edit* e)
{
    DWORD style = EditStyle(hwnd, e);
    if (!Multi(hwnd) || !(style & (WS_VSCROLL | WS_HSCROLL)) || e->updatingScroll)
        return;
    e->updatingScroll = true;
    WithDC(hwnd, e, [&](HDC dc) {
        Metrics m = Measure(hwnd, dc, e);
        const auto& lines = Lines(hwnd, e);
        if (style & WS_VSCROLL) {
            SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, (int)lines.size() - 1, (UINT)m.visible,
                          e->firstLine, 0};
            SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
        }
        if (style & WS_HSCROLL) {
            int widest = 0;
            for (const Line& l : lines)
                widest = std::max(widest, ShownWidth(hwnd, dc, e, l.start, l.len, l.start));
            int avail = m.area.right - m.area.left;
            SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(widest, e->scrollX + avail) - 1,
                          (UINT)avail, e->scrollX, 0};
            SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
        }
        return 0;
    });
    e->updatingScroll = false;
}

int MaxFirstLine(HWND hwnd, const Edit* e, const Metrics& m)
{
    return std::max(0, (int)Lines(hwnd, e).size() - m.visible);
}

void ScrollToCaret(HWND hwnd, Edit* e, bool vertical)
{
    if (!AutoHScroll(hwnd, e) || Wraps(hwnd, e))
        e->scrollX = 0;
    WithDC(hwnd, e, [&](HDC dc) {
        Metrics m = Measure(hwnd, dc, e);
        size_t line = LineOf(hwnd, e, e->caret);
        if (AutoHScroll(hwnd, e)) {
            const Line& l = Lines(hwnd, e)[line];
            int x = ShownWidth(hwnd, dc, e, l.start, e->caret - l.start, l.start);
            int avail = m.area.right - m.area.left;
            if (x - e->scrollX > avail)
                e->scrollX = x - avail + avail / 4;
            if (x < e->scrollX)
                e->scrollX = std::max(0, x - avail / 4);
        }
        if (Multi(hwnd)) {
            if (vertical) {
                if ((int)line < e->firstLine)
                    e->firstLine = (int)line;
                else if ((int)line >= e->firstLine + m.visible)
                    e->firstLine = (int)line - m.visible + 1;
            }
            e->firstLine = std::clamp(e->firstLine, 0, MaxFirstLine(hwnd, e, m));
        }
        return 0;
    });
    UpdateScrollBars(hwnd, e);
}

void UpdateCaret(HWND hwnd, Edit* e);

// Moves the view by `lines` and `dx` pixels, within the text. Answers the lines actually scrolled.
int ScrollBy(HWND hwnd, Edit* e, int lines, int dx)
{
    if (!Multi(hwnd))
        return 0;
    int before = e->firstLine;
    int oldX = e->scrollX;
    WithDC(hwnd, e, [&](HDC dc) {
        Metrics m = Measure(hwnd, dc, e);
        e->firstLine = std::clamp(e->firstLine + lines, 0, MaxFirstLine(hwnd, e, m));
        if (dx && !Wraps(hwnd, e)) {
            int widest = 0;
            for (const Line& l : Lines(hwnd, e))
                widest = std::max(widest, ShownWidth(hwnd, dc, e, l.start, l.len, l.start));
            int avail = m.area.right - m.area.left;
            e->scrollX = std::clamp(e->scrollX + dx, 0, std::max(0, widest - avail));
        }
        return 0;
    });
    if (e->firstLine != before || e->scrollX != oldX) {
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateCaret(hwnd, e);
        UpdateScrollBars(hwnd, e);
    }
    return e->firstLine - before;
}

// The lines of a page and the pixels of a character, for the scroll commands.
std::pair<int, int> PageAndCharWidth(HWND hwnd, const Edit* e)
{
    return WithDC(hwnd, e, [&](HDC dc) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        return std::pair<int, int>{Measure(hwnd, dc, e).visible, std::max(1, (int)tm.tmAveCharWidth)};
    });
}

// Where a scroll bar request puts the view: `now` and the answer are in the bar's units.
int ScrollTarget(WORD code, WORD thumb, int now, int line, int page, int max)
{
    switch (code) {
    case SB_LINEUP: return now - line;
    case SB_LINEDOWN: return now + line;
    case SB_PAGEUP: return now - page;
    case SB_PAGEDOWN: return now + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return thumb;
    case SB_TOP: return 0;
    case SB_BOTTOM: return max;
    }
    return now;
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
    ++e->version;
    // Typing follows the caret down only where the style lets the text scroll.
    ScrollToCaret(hwnd, e, AutoVScroll(hwnd, e));
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateCaret(hwnd, e);
    if (notify) {
        NotifyCommand(hwnd, EN_UPDATE);
        NotifyCommand(hwnd, EN_CHANGE);
    }
}

void SelectionMoved(HWND hwnd, Edit* e, bool vertical = true)
{
    ScrollToCaret(hwnd, e, vertical);
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
    // Selecting by message leaves the lines where they are: callers ask for EM_SCROLLCARET.
    SelectionMoved(hwnd, e, false);
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
    const std::vector<Line> lines = Lines(hwnd, e);
    size_t line = LineOf(hwnd, e, c);
    // Up and down keep the caret's x as near as the target line allows.
    auto toLine = [&](int target) {
        target = std::clamp(target, 0, (int)lines.size() - 1);
        return WithDC(hwnd, e, [&](HDC dc) {
            POINT p = PosFromChar(hwnd, dc, e, c);
            Metrics m = Measure(hwnd, dc, e);
            p.y = m.area.top + (target - e->firstLine) * m.lineHeight;
            return CharFromPos(hwnd, dc, e, p);
        });
    };
    // The end of a soft-broken line is before its last character, so that the caret stays on the line.
    size_t lineEnd = lines[line].start + lines[line].len;
    if (lines[line].next == lineEnd && line + 1 < lines.size() && lines[line].len > 0)
        --lineEnd;
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
    case VK_HOME: move(ctrl ? 0 : lines[line].start); break;
    case VK_END: move(ctrl ? n : lineEnd); break;
    case VK_UP:
    case VK_DOWN: {
        if (!Multi(hwnd)) {
            // Single-line edits treat up and down as left and right.
            Key(hwnd, e, vk == VK_UP ? VK_LEFT : VK_RIGHT);
            return;
        }
        move(toLine((int)line + (vk == VK_UP ? -1 : 1)));
        break;
    }
    case VK_PRIOR:
    case VK_NEXT: {
        if (!Multi(hwnd))
            break;
        int page = WithDC(hwnd, e, [&](HDC dc) { return Measure(hwnd, dc, e).visible; });
        int delta = vk == VK_PRIOR ? -page : page;
        // The page scrolls with the caret, so the caret keeps its place in the window.
        e->firstLine = std::clamp(e->firstLine + delta, 0, std::max(0, (int)lines.size() - page));
        move(toLine((int)line + delta));
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

// Whether typing `s` over the selection keeps the text inside a box that may not scroll that way.
bool TypedTextFits(HWND hwnd, Edit* e, const std::u16string& s)
{
    bool multi = Multi(hwnd);
    if (multi ? AutoVScroll(hwnd, e) : (EditStyle(hwnd, e) & ES_AUTOHSCROLL) != 0)
        return true;
    std::u16string before = e->text;
    e->text.replace(SelStart(e), SelEnd(e) - SelStart(e), s);
    ++e->version;
    bool fits = WithDC(hwnd, e, [&](HDC dc) {
        Metrics m = Measure(hwnd, dc, e);
        if (multi)
            return (int)Lines(hwnd, e).size() <= m.visible;
        return Width(dc, Shown(e, 0, e->text.size())) <= m.area.right - m.area.left;
    });
    e->text.swap(before);
    ++e->version;
    return fits;
}

// Typing into a full box is refused as the limit refuses it.
bool TypeInto(HWND hwnd, Edit* e, const std::u16string& s)
{
    if (!TypedTextFits(hwnd, e, s)) {
        NotifyCommand(hwnd, EN_MAXTEXT);
        return false;
    }
    return ReplaceSel(hwnd, e, s, true);
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
        if (Multi(hwnd) && (style & ES_WANTRETURN || ch == u'\n') && !TypeInto(hwnd, e, u"\r\n"))
            MessageBeep(0);
        return;
    }
    if (ch == u'\t') {
        if (Multi(hwnd) && !TypeInto(hwnd, e, u"\t"))
            MessageBeep(0);
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
    if (!TypeInto(hwnd, e, std::u16string(1, ch)))
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
    HBRUSH br = RichEditColors(hwnd, dc);
    if (!br)
        br = ControlColor(hwnd, dc, ctl);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (br)
        FillRect(dc, &rc, br);
    if (!enabled)
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    Metrics m = Measure(hwnd, dc, e);
    IntersectClipRect(dc, m.area.left, m.area.top, m.area.right, m.area.bottom);
    SetBkMode(dc, TRANSPARENT);
    const auto& lines = Lines(hwnd, e);
    bool showSel = e->focused || (style & ES_NOHIDESEL);
    size_t sa = SelStart(e), sb = SelEnd(e);
    for (size_t line = (size_t)e->firstLine; line < lines.size(); ++line) {
        size_t ls = lines[line].start, len = lines[line].len;
        int y = m.area.top + ((int)line - e->firstLine) * m.lineHeight;
        if (y >= m.area.bottom)
            break;
        int x = LineX(hwnd, dc, e, m, ls, len);
        DrawShown(hwnd, dc, e, x, x, y, ls, len);
        size_t a = std::max(sa, ls), b = std::min(sb, ls + len);
        if (showSel && a < b) {
            int x1 = x + ShownWidth(hwnd, dc, e, ls, a - ls, ls), x2 = x + ShownWidth(hwnd, dc, e, ls, b - ls, ls);
            RECT hl{x1, y, x2, y + m.lineHeight};
            FillRect(dc, &hl, GetSysColorBrush(COLOR_HIGHLIGHT));
            COLORREF old = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            DrawShown(hwnd, dc, e, x, x1, y, a, b - a);
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
        e->bars = cs->style & (WS_HSCROLL | WS_VSCROLL);
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
        e->firstLine = 0;
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
    case WM_SIZE:
        if (Multi(hwnd))
            SelectionMoved(hwnd, e, false);
        break;
    case WM_VSCROLL: {
        if (!Multi(hwnd))
            return 0;
        auto [page, cw] = PageAndCharWidth(hwnd, e);
        int to = ScrollTarget(LOWORD(wParam), HIWORD(wParam), e->firstLine, 1, page,
                              (int)Lines(hwnd, e).size());
        ScrollBy(hwnd, e, to - e->firstLine, 0);
        return 0;
    }
    case WM_HSCROLL: {
        if (!Multi(hwnd))
            return 0;
        auto [page, cw] = PageAndCharWidth(hwnd, e);
        int avail = WithDC(hwnd, e, [&](HDC dc) {
            Metrics m = Measure(hwnd, dc, e);
            return (int)(m.area.right - m.area.left);
        });
        int to = ScrollTarget(LOWORD(wParam), HIWORD(wParam), e->scrollX, cw, avail, INT_MAX / 2);
        ScrollBy(hwnd, e, 0, to - e->scrollX);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        if (!Multi(hwnd))
            break;
        UINT perNotch = 3;
        SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
        e->wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
        int notches = e->wheelRest / WHEEL_DELTA;
        e->wheelRest -= notches * WHEEL_DELTA;
        if (notches) {
            auto [page, cw] = PageAndCharWidth(hwnd, e);
            // A setting past a page, as "a screen at a time" is stored, scrolls by pages.
            int step = perNotch > (UINT)page ? page : (int)perNotch;
            ScrollBy(hwnd, e, -notches * step, 0);
        }
        return 0;
    }
    case EM_LINESCROLL: {
        if (!Multi(hwnd))
            return FALSE;
        auto [page, cw] = PageAndCharWidth(hwnd, e);
        ScrollBy(hwnd, e, (int)lParam, (int)wParam * cw);
        return TRUE;
    }
    case EM_SCROLL: {
        if (!Multi(hwnd))
            return FALSE;
        auto [page, cw] = PageAndCharWidth(hwnd, e);
        int lines;
        switch (wParam) {
        case SB_LINEUP: lines = -1; break;
        case SB_LINEDOWN: lines = 1; break;
        case SB_PAGEUP: lines = -page; break;
        case SB_PAGEDOWN: lines = page; break;
        default: return FALSE;
        }
        int moved = ScrollBy(hwnd, e, lines, 0);
        return MAKELONG((WORD)(short)moved, TRUE);
    }
    case EM_GETFIRSTVISIBLELINE: {
        if (Multi(hwnd))
            return e->firstLine;
        // A single line answers its first character in view.
        return WithDC(hwnd, e, [&](HDC dc) {
            size_t i = 0;
            while (i < e->text.size() && Width(dc, Shown(e, 0, i + 1)) <= e->scrollX)
                ++i;
            return (LRESULT)i;
        });
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
    case EM_SCROLLCARET: ScrollToCaret(hwnd, e, true); InvalidateRect(hwnd, nullptr, TRUE); UpdateCaret(hwnd, e); return TRUE;
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
    case EM_GETLINECOUNT: return (LRESULT)Lines(hwnd, e).size();
    case EM_LINEINDEX: {
        const auto& lines = Lines(hwnd, e);
        size_t line = (int)wParam == -1 ? LineOf(hwnd, e, e->caret) : (size_t)wParam;
        return line < lines.size() ? (LRESULT)lines[line].start : -1;
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
        const auto& lines = Lines(hwnd, e);
        size_t line = Multi(hwnd) ? (size_t)wParam : 0;
        if (line >= lines.size())
            return 0;
        size_t n = std::min(cap, lines[line].len);
        std::copy(e->text.begin() + (std::ptrdiff_t)lines[line].start,
                  e->text.begin() + (std::ptrdiff_t)(lines[line].start + n), buf);
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
