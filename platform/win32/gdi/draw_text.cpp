// DrawTextW: prefixes, tabs, word breaking, ellipses, alignment and measuring.
#include "backend/fonts.h"
#include "win32/gdi/text.h"

#include <string>

using namespace gdi;

namespace {

struct Line {
    std::u16string text;
    int prefix = -1; // index of the character to underline, or -1
};

bool IsWide(char16_t c)
{
    return c >= 0x2E80 && !(c >= 0xD800 && c < 0xE000) && c < 0xFF61;
}

class Layout {
public:
    Layout(DC& dc, UINT format) : dc_(dc), format_(format)
    {
        const backend::FontMetrics& m = FontOf(dc).Metrics();
        lineHeight_ = m.height + ((format & DT_EXTERNALLEADING) ? m.externalLeading : 0);
        tab_ = std::max(1, 8 * m.aveCharWidth);
        ascent_ = m.ascent;
        underline_ = m.underlinePos;
    }

    int LineHeight() const { return lineHeight_; }

    // Pixel offsets of every character start, and the total width as the last entry.
    std::vector<int> Positions(const std::u16string& s) const
    {
        std::vector<int> pos(s.size() + 1);
        std::vector<int> adv = Advances(dc_, s.data(), int(s.size()), nullptr);
        int x = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            pos[i] = x;
            if (s[i] == u'\t' && (format_ & DT_EXPANDTABS))
                x = (x / tab_ + 1) * tab_;
            else
                x += adv[i];
        }
        pos[s.size()] = x;
        return pos;
    }
    int Width(const std::u16string& s) const { return Positions(s).back(); }

    void Draw(const Line& line, int x, int y) const
    {
        std::vector<int> pos = Positions(line.text);
        // Draw runs between tabs, each at its own position.
        size_t start = 0;
        for (size_t i = 0; i <= line.text.size(); ++i) {
            if (i < line.text.size() && !(line.text[i] == u'\t' && (format_ & DT_EXPANDTABS)))
                continue;
            if (i > start)
                DrawRun(dc_, dc_.TX(x + pos[start]), dc_.TY(y), TA_LEFT | TA_TOP, line.text.data() + start,
                        int(i - start), nullptr, nullptr, dc_.st.bkMode == OPAQUE);
            start = i + 1;
        }
        if (line.prefix >= 0 && size_t(line.prefix) < line.text.size()) {
            Brush ink;
            ink.color = dc_.st.textColor;
            int uy = y + ascent_ + underline_;
            PatFill(dc_, RECT{x + pos[size_t(line.prefix)], uy, x + pos[size_t(line.prefix) + 1], uy + 1}, &ink, 0xF0);
        }
    }

private:
    DC& dc_;
    UINT format_;
    int lineHeight_, tab_, ascent_, underline_;
};

// Removes "&" prefixes: "&&" is a literal "&", "&x" marks x.
Line StripPrefix(const std::u16string& s, UINT format)
{
    Line line;
    if (format & DT_NOPREFIX) {
        line.text = s;
        return line;
    }
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != u'&' && !(format & DT_HIDEPREFIX))
                line.prefix = int(line.text.size());
        } else if (s[i] == u'&') {
            continue;
        }
        line.text += s[i];
    }
    return line;
}

void EndEllipsis(const Layout& lay, Line& line, int width)
{
    if (lay.Width(line.text) <= width)
        return;
    std::u16string base = line.text;
    size_t keep = base.size();
    while (keep > 0 && lay.Width(base.substr(0, keep) + u"...") > width)
        --keep;
    line.text = base.substr(0, keep) + u"...";
    if (line.prefix >= int(keep))
        line.prefix = -1;
}

void PathEllipsis(const Layout& lay, Line& line, int width)
{
    if (lay.Width(line.text) <= width)
        return;
    const std::u16string& s = line.text;
    size_t slash = s.find_last_of(u"\\/");
    if (slash == std::u16string::npos) {
        EndEllipsis(lay, line, width);
        return;
    }
    std::u16string tail = s.substr(slash);
    size_t keep = slash;
    while (keep > 0 && lay.Width(s.substr(0, keep) + u"..." + tail) > width)
        --keep;
    line.text = s.substr(0, keep) + u"..." + tail;
    line.prefix = -1;
}

std::vector<Line> Wrap(const Layout& lay, const Line& para, int width)
{
    std::vector<Line> out;
    const std::u16string& s = para.text;
    std::vector<int> pos = lay.Positions(s);
    size_t start = 0;
    while (start < s.size() || out.empty()) {
        size_t end = start, lastBreak = std::u16string::npos;
        while (end < s.size()) {
            // Blanks break the line too: blanks that would run past the edge end it and vanish, so
            // blanks padding a text never push it out of a centred box.
            bool breakBefore = end > start && (IsWide(s[end]) || IsWide(s[end - 1]) || s[end - 1] == u' ' ||
                                               s[end] == u' ');
            if (breakBefore)
                lastBreak = end;
            if (pos[end + 1] - pos[start] > width && lastBreak != std::u16string::npos)
                break;
            ++end;
        }
        size_t cut = end < s.size() ? lastBreak : end;
        Line l;
        size_t visibleEnd = cut;
        while (visibleEnd > start && s[visibleEnd - 1] == u' ' && cut < s.size())
            --visibleEnd;
        l.text = s.substr(start, visibleEnd - start);
        if (para.prefix >= int(start) && para.prefix < int(visibleEnd))
            l.prefix = para.prefix - int(start);
        out.push_back(l);
        start = cut;
        while (start < s.size() && s[start] == u' ' && cut < s.size())
            ++start;
        if (start >= s.size())
            break;
    }
    return out;
}

} // namespace

int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format)
{
    GDI_LOCK;
    DC* dc = DCOf(hdc);
    if (!dc)
        return 0;
    if (!lprc || (!lpchText && cchText != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string text;
    if (cchText < 0)
        text = lpchText;
    else
        text.assign(lpchText, size_t(cchText));
    Layout lay(*dc, format);
    int width = lprc->right - lprc->left;

    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
        std::u16string flat;
        for (char16_t c : text)
            if (c != u'\r' && c != u'\n')
                flat += c;
        lines.push_back(StripPrefix(flat, format));
    } else {
        size_t start = 0;
        while (true) {
            size_t nl = text.find(u'\n', start);
            std::u16string para = text.substr(start, nl == std::u16string::npos ? std::u16string::npos : nl - start);
            if (!para.empty() && para.back() == u'\r')
                para.pop_back();
            Line l = StripPrefix(para, format);
            if (format & DT_WORDBREAK) {
                for (Line& w : Wrap(lay, l, width))
                    lines.push_back(w);
            } else {
                lines.push_back(l);
            }
            if (nl == std::u16string::npos)
                break;
            start = nl + 1;
        }
    }
    for (Line& l : lines) {
        if (format & DT_PATH_ELLIPSIS)
            PathEllipsis(lay, l, width);
        else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
            EndEllipsis(lay, l, width);
    }

    int lineH = lay.LineHeight();
    int total = lineH * int(lines.size());
    int maxW = 0;
    for (const Line& l : lines)
        maxW = std::max(maxW, lay.Width(l.text));
    int y = lprc->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = lprc->top + (lprc->bottom - lprc->top - lineH) / 2;
        else if (format & DT_BOTTOM)
            y = lprc->bottom - lineH;
    }
    if (format & DT_CALCRECT) {
        lprc->right = lprc->left + maxW;
        lprc->bottom = lprc->top + total;
        return total;
    }
    int saved = 0;
    if (!(format & DT_NOCLIP)) {
        saved = SaveDC(hdc);
        IntersectClipRect(hdc, lprc->left, lprc->top, lprc->right, lprc->bottom);
    }
    int yy = y;
    for (const Line& l : lines) {
        int w = lay.Width(l.text);
        int x = (format & DT_CENTER) ? lprc->left + (width - w) / 2 : (format & DT_RIGHT) ? lprc->right - w : lprc->left;
        lay.Draw(l, x, yy);
        yy += lineH;
    }
    if (saved)
        RestoreDC(hdc, saved);
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)))
        return y - lprc->top + total;
    return total;
}
