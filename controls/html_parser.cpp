// Tokenizer, table scanners, value parsers, style sheet and word wrap of the HTML drawer.
#include "controls/html_parser.h"

#include <algorithm>
#include <climits>

namespace html {

namespace {

const char16_t kBlank = u' ';

bool InSet(char16_t c, const char16_t* set) {
    for (; *set; ++set)
        if (*set == c) return true;
    return false;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsTokenChar(char16_t c, bool ops) {
    if (IsDigit(c) || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'.') return true;
    return ops && (c == u'+' || c == u'-' || c == u'*' || c == u'/');
}

char16_t At(const HtmlString& s, size_t i) { return i < s.size() ? s[i] : 0; }

HtmlString Sub(const HtmlString& s, size_t from, size_t to) {
    from = std::min(from, s.size());
    to = std::min(std::max(to, from), s.size());
    return s.substr(from, to - from);
}

size_t Step(const HtmlString& s, size_t pos, size_t n) { return std::min(s.size(), pos + n); }

}  // namespace

int Saturate(long long v) {
    if (v > kHtmlMaxLength * 20000LL) v = kHtmlMaxLength * 20000LL;
    if (v < -kHtmlMaxLength * 20000LL) v = -kHtmlMaxLength * 20000LL;
    return (int)v;
}

int SatAdd(int a, int b) { return Saturate((long long)a + b); }
int SatMul(int a, int b) { return Saturate((long long)a * b); }

int MulDivRound(int a, int b, int c) {
    if (c == 0) return -1;
    long long num = (long long)a * b;
    long long den = c;
    bool negative = (num < 0) != (den < 0);
    long long an = num < 0 ? -num : num, ad = den < 0 ? -den : den;
    long long q = (an + ad / 2) / ad;
    if (q > INT_MAX) return -1;
    return (int)(negative ? -q : q);
}

int LeadingInt(const HtmlString& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) neg = text[i++] == u'-';
    long long v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) v = std::min(v * 10 + (text[i] - u'0'), (long long)INT_MAX);
    return (int)(neg ? -v : v);
}

long long AutoBaseInt(const HtmlString& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) neg = text[i++] == u'-';
    int base = 10;
    if (At(text, i) == u'0') {
        if ((At(text, i + 1) == u'x' || At(text, i + 1) == u'X')) {
            char16_t d = At(text, i + 2);
            if (IsDigit(d) || (d >= u'a' && d <= u'f') || (d >= u'A' && d <= u'F')) {
                base = 16;
                i += 2;
            }
        } else {
            base = 8;
        }
    }
    long long v = 0;
    const long long cap = 0xFFFFFFFFLL;
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        int d;
        if (IsDigit(c)) d = c - u'0';
        else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
        else break;
        if (d >= base) break;
        v = std::min(v * base + d, cap);
    }
    return neg ? -v : v;
}

HtmlString Lower(HtmlString text) {
    for (auto& c : text)
        if (c >= u'A' && c <= u'Z') c = c - u'A' + u'a';
    return text;
}

HtmlString TrimLeftBlanks(const HtmlString& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == kBlank) ++i;
    return text.substr(i);
}

HtmlString TrimRightBlanks(const HtmlString& text) {
    size_t n = text.size();
    while (n > 0 && text[n - 1] == kBlank) --n;
    return text.substr(0, n);
}

int CountChar(const HtmlString& text, char16_t c) { return (int)std::count(text.begin(), text.end(), c); }

bool EndsWithPercent(const HtmlString& text) { return !text.empty() && text.back() == u'%'; }

void ReplaceAll(HtmlString& text, const HtmlString& what, const HtmlString& with) {
    if (what.empty()) return;
    HtmlString out;
    size_t pos = 0;
    for (size_t hit; (hit = text.find(what, pos)) != HtmlString::npos; pos = hit + what.size()) {
        out.append(text, pos, hit - pos);
        out += with;
    }
    out.append(text, pos, HtmlString::npos);
    text.swap(out);
}

// ---- scanning primitives ----

bool SkipToToken(const HtmlString& text, size_t& pos, bool opsAllowed) {
    while (pos < text.size() && !IsTokenChar(text[pos], opsAllowed)) ++pos;
    return pos < text.size();
}

char16_t FindFirstOf(const HtmlString& text, size_t& pos, const char16_t* set) {
    for (; pos < text.size(); ++pos)
        if (InSet(text[pos], set)) return text[pos];
    pos = text.size();
    return 0;
}

char16_t SkipSet(const HtmlString& text, size_t& pos, const char16_t* set) {
    while (pos < text.size() && InSet(text[pos], set)) ++pos;
    return At(text, pos);
}

bool ExpectChar(const HtmlString& text, size_t& pos, char16_t c) {
    SkipSet(text, pos, u" ");
    if (At(text, pos) != c || pos >= text.size()) return false;
    ++pos;
    return true;
}

HtmlString ReadValue(const HtmlString& text, size_t& pos, char16_t delimiter, const char16_t* stopSet) {
    if (!ExpectChar(text, pos, delimiter)) return {};
    HtmlString skip = HtmlString(stopSet) + u" ";
    SkipSet(text, pos, skip.c_str());
    if (At(text, pos) == u'"' && pos < text.size()) {
        size_t close = text.find(u'"', pos + 1);
        if (close == HtmlString::npos) {
            // An unterminated quote takes nothing and ends the scan, so no caller restarts on it.
            pos = text.size();
            return {};
        }
        HtmlString value = Sub(text, pos + 1, close);
        pos = close + 1;
        return value;
    }
    size_t start = pos;
    FindFirstOf(text, pos, stopSet);
    return Sub(text, start, pos);
}

// ---- markup tokenizer ----

HtmlString ReadText(const HtmlString& text, size_t& pos, HtmlString& tag) {
    tag.clear();
    pos = std::min(pos, text.size());
    size_t lt = text.find(u'<', pos);
    if (lt == HtmlString::npos) {
        HtmlString plain = text.substr(pos);
        pos = text.size();
        return plain;
    }
    HtmlString plain = Sub(text, pos, lt);
    if (lt + 1 >= text.size() || text[lt + 1] == u'<') {
        plain += u'<';
        pos = Step(text, lt, 2);
        return plain;
    }
    pos = lt;
    ReadTag(text, pos, tag);
    return plain;
}

void ReadTag(const HtmlString& text, size_t& pos, HtmlString& tag) {
    tag.clear();
    size_t open = std::min(pos, text.size());
    size_t gt = text.find(u'>', Step(text, open, 1));
    if (gt == HtmlString::npos || gt == open + 1) {
        pos = Step(text, open, 1);
        return;
    }
    tag = Sub(text, open + 1, gt);
    pos = gt + 1;
}

HtmlString SplitTagName(HtmlString& tag) {
    size_t split = tag.find_first_of(u" =");
    if (split == HtmlString::npos) return {};
    HtmlString attrs = TrimLeftBlanks(tag.substr(split));
    tag.erase(split);
    return attrs;
}

HtmlString ReadAttribute(const HtmlString& attrs, size_t& pos, HtmlString& name) {
    name.clear();
    if (!SkipToToken(attrs, pos)) return {};
    size_t start = pos;
    FindFirstOf(attrs, pos, u" =");
    name = Sub(attrs, start, pos);
    SkipSet(attrs, pos, u" ");
    if (At(attrs, pos) != u'=' || pos >= attrs.size()) return {};
    SkipSet(attrs, pos, u" =");
    if (pos >= attrs.size()) return {};
    char16_t quote = attrs[pos];
    if (quote == u'\'' || quote == u'"') {
        size_t close = attrs.find(quote, pos + 1);
        if (close == HtmlString::npos) {
            // Without its closing quote the value runs to the end.
            HtmlString value = attrs.substr(pos + 1);
            pos = attrs.size();
            return value;
        }
        HtmlString value = Sub(attrs, pos + 1, close);
        pos = close + 1;
        return value;
    }
    size_t end = attrs.find(kBlank, pos);
    if (end == HtmlString::npos) end = attrs.size();
    HtmlString value = Sub(attrs, pos, end);
    pos = Step(attrs, end, 1);
    return value;
}

bool FindTag(const HtmlString& text, size_t& pos, const HtmlString& name) {
    HtmlString needle = u"<" + name;
    size_t from = std::min(pos, text.size());
    while (true) {
        size_t hit = text.find(needle, from);
        if (hit == HtmlString::npos) {
            pos = text.size();
            return false;
        }
        if (hit > 0 && text[hit - 1] == u'<') {
            from = hit + 2;
            continue;
        }
        pos = hit;
        return true;
    }
}

// ---- table scanners ----

bool SkipTable(const HtmlString& text, size_t& pos) {
    size_t cur = Step(text, pos, 7);
    int depth = 1;
    while (true) {
        size_t open = cur, close = cur;
        bool hasOpen = FindTag(text, open, u"table");
        bool hasClose = FindTag(text, close, u"/table");
        if (hasOpen && (!hasClose || open < close)) {
            ++depth;
            cur = Step(text, open, 7);
        } else if (hasClose) {
            if (--depth == 0) {
                pos = close;
                return true;
            }
            cur = Step(text, close, 8);
        } else {
            // No matching end: the table runs to the end of the text.
            pos = text.size();
            return false;
        }
    }
}

bool SkipRow(const HtmlString& text, size_t& pos) {
    size_t cur = Step(text, pos, 4);
    int depth = 1;
    while (true) {
        size_t open = cur, close = cur, table = cur;
        bool hasOpen = FindTag(text, open, u"tr");
        bool hasClose = FindTag(text, close, u"/tr");
        bool hasTable = FindTag(text, table, u"table");
        if (hasTable && (!hasOpen || table < open) && (!hasClose || table < close)) {
            if (!SkipTable(text, table)) break;
            cur = Step(text, table, 6);
        } else if (hasOpen && (!hasClose || open < close)) {
            ++depth;
            cur = Step(text, open, 4);
        } else if (hasClose) {
            if (--depth == 0) {
                pos = close;
                return true;
            }
            cur = Step(text, close, 5);
        } else {
            break;
        }
    }
    pos = text.size();
    return false;
}

bool SkipCell(const HtmlString& text, size_t& pos) {
    size_t cur = Step(text, pos, 4);
    while (true) {
        size_t close = cur, table = cur;
        bool hasClose = FindTag(text, close, u"/td");
        bool hasTable = FindTag(text, table, u"table");
        if (hasTable && (!hasClose || table < close)) {
            if (!SkipTable(text, table)) break;
            cur = Step(text, table, 8);
        } else if (hasClose) {
            pos = close;
            return true;
        } else {
            break;
        }
    }
    pos = text.size();
    return false;
}

void ForEachRow(const HtmlString& table, int rows, const std::function<void(int, const HtmlString&)>& row) {
    size_t pos = 0;
    for (int r = 0; r < rows; ++r) {
        if (!FindTag(table, pos, u"tr")) break;
        size_t start = pos;
        SkipRow(table, pos);
        row(r, Sub(table, start, pos));
        pos = Step(table, pos, 5);
    }
}

void ForEachCell(const HtmlString& row, const std::function<void(const HtmlString&, const HtmlString&)>& cell) {
    size_t pos = 0;
    while (FindTag(row, pos, u"td")) {
        size_t start = pos;
        HtmlString tag;
        size_t tagPos = pos;
        ReadTag(row, tagPos, tag);
        HtmlString attrs = SplitTagName(tag);
        SkipCell(row, pos);
        cell(attrs, Sub(row, start, pos));
        if (pos <= start) break;
    }
}

std::pair<int, int> MeasureTable(const HtmlString& text, size_t pos, const HtmlParseContext& ctx) {
    int columns = 0, rows = 0;
    HtmlString table = Sub(text, pos, text.size());
    ForEachRow(table, kHtmlMaxTableRows, [&](int, const HtmlString& rowText) {
        ++rows;
        int sum = 0;
        ForEachCell(rowText, [&](const HtmlString& attrs, const HtmlString&) {
            HtmlStyle scratch;
            sum = std::min(sum + ParseTableAttributes(attrs, scratch, false, ctx).first, kHtmlMaxTableColumns);
        });
        columns = std::max(columns, sum);
    });
    return {columns, rows};
}

// ---- values ----

int ParseLength(const HtmlString& text, int current, bool keywords, const HtmlParseContext& ctx) {
    if (text.empty()) return current;
    long long result;
    if (EndsWithPercent(text)) {
        result = MulDivRound(current, LeadingInt(text.substr(0, text.size() - 1)), 100);
    } else {
        HtmlString t = text;
        if (t[0] == u'+' || t[0] == u'-') t.erase(0, 1);
        long long n = LeadingInt(t);
        HtmlString unit = t.size() >= 2 ? t.substr(t.size() - 2) : HtmlString();
        long long inches = n * ctx.logPixelsY;
        if (unit == u"px") result = n;
        else if (unit == u"ex") result = n * (ctx.exHeight ? ctx.exHeight() : 0);
        else if (unit == u"em") result = n * ctx.emHeight;
        else if (unit == u"in") result = inches;
        else if (unit == u"cm") result = (long long)(inches * 0.39370078740157477);
        else if (unit == u"mm") result = (long long)(inches * 0.03937007874015748);
        else if (unit == u"pt") result = inches / 72;
        else if (unit == u"pc") result = inches / 6;
        else {
            result = AutoBaseInt(t);
            if (keywords && result >= 1 && result <= 7) {
                static const int sizes[] = {8, 10, 12, 14, 18, 24, 36};
                result = sizes[result - 1];
            }
        }
    }
    return (int)std::clamp<long long>(result, -kHtmlMaxLength, kHtmlMaxLength);
}

COLORREF GetColorByName(const HtmlString& name, COLORREF def, const HtmlParseContext& ctx) {
    if (!ctx.colorsOn) return ctx.fixedColor;
    if (ctx.colors) {
        auto it = ctx.colors->find(name);
        if (it != ctx.colors->end()) return it->second;
    }
    return def;
}

COLORREF ParseColor(const HtmlString& text, COLORREF current, const HtmlParseContext& ctx) {
    if (text.empty()) return current;
    if (text[0] == u'#') {
        if (text.size() != 7) return current;
        unsigned v = 0;
        for (size_t i = 1; i < 7; ++i) {
            char16_t c = text[i];
            int d;
            if (IsDigit(c)) d = c - u'0';
            else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
            else return current;
            v = v * 16 + d;
        }
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    if (IsDigit(text[0])) return (COLORREF)(AutoBaseInt(text) & 0xFFFFFFFF);
    return GetColorByName(text, current, ctx);
}

int ParseFontStyle(const HtmlString& value, int current) {
    if (value.empty() || value == u"normal") return 0;
    if (value == u"italic" || value == u"oblique") return 1;
    return current;
}

int ParseFontWeight(const HtmlString& value, int current) {
    if (value.empty() || value == u"normal") return 400;
    if (value == u"bold") return 700;
    if (value == u"bolder") return 900;
    if (value == u"lighter") return 100;
    return std::clamp(LeadingInt(value), 0, 1000);
}

int ParseTextAlign(const HtmlString& value, int current) {
    if (value.empty() || value == u"left") return 0;
    if (value == u"center") return 1;
    if (value == u"right") return 2;
    return current;
}

int ParseVerticalAlign(const HtmlString& value, int current) {
    if (value.empty() || value == u"baseline") return 3;
    if (value == u"middle" || value == u"vcenter") return 1;
    if (value == u"top") return 0;
    if (value == u"bottom") return 2;
    return current;
}

int ParseTextTransform(const HtmlString& value, int current) {
    if (value.empty() || value == u"none") return 0;
    if (value == u"uppercase") return 1;
    if (value == u"lowercase") return 2;
    if (value == u"capitalize") return 3;
    return current;
}

int ParseBorderStyle(const HtmlString& value, int current) {
    if (value.empty() || value == u"none") return 0;
    if (value == u"solid") return 1;
    if (value == u"dotted") return 3;
    if (value == u"dashed") return 2;
    if (value == u"double") return 6;
    return current;
}

int ParseBorderWidth(const HtmlString& value, int current, const HtmlParseContext& ctx) {
    if (value == u"thin") return MulDivRound(current, 75, 100);
    if (value == u"thick") return MulDivRound(current, 125, 100);
    if (value == u"medium") return current;
    return ParseLength(value, current, false, ctx);
}

void ParseTextDecoration(const HtmlString& value, HtmlStyle& style) {
    HtmlString v = value.empty() ? HtmlString(u"none") : value;
    size_t pos = 0;
    while (SkipToToken(v, pos, true)) {
        size_t start = pos;
        FindFirstOf(v, pos, u" ,");
        HtmlString word = Sub(v, start, pos);
        if (word == u"none") style.underline = style.strikeOut = style.overline = 0;
        else if (word == u"underline") style.underline = 1;
        else if (word == u"line-through") style.strikeOut = 1;
        else if (word == u"overline") style.overline = 1;
    }
}

int ParseFillEffect(const HtmlString& value, int current, const HtmlParseContext& ctx) {
    if (value.empty()) return current;
    static const char16_t* names[] = {u"transparent", u"solid", u"hgradient", u"vgradient", u"hcgradient",
                                      u"vcgradient", u"3hgradient", u"3vgradient", u"noise", u"diagshade",
                                      u"hshade", u"vshade", u"hbump", u"vbump", u"softbump", u"hardbump",
                                      u"metal"};
    for (int i = 0; i < (int)_countof(names); ++i)
        if (value == names[i]) return i - 1;
    return ParseLength(value, current, false, ctx);
}

void ApplyFontFlags(HtmlStyle& style, const HtmlString& letters) {
    int flag = 1;
    for (char16_t c : letters) {
        switch (c) {
        case u'-': flag = 0; break;
        case u'+': flag = 1; break;
        case u'b': style.fontWeight = flag ? 700 : 400; flag = 1; break;
        case u'i': style.italic = flag; flag = 1; break;
        case u'u': style.underline = flag; flag = 1; break;
        case u's': style.strikeOut = flag; flag = 1; break;
        case u'o': style.overline = flag; flag = 1; break;
        default: break;
        }
    }
}

int ParseImageStyle(const HtmlString& letters, const HtmlParseContext& ctx) {
    int flags = 0;
    for (char16_t c : letters) {
        if (c == u'g') flags |= 1;
        else if (c == u'd') flags |= 2;
        else if (c == u'l') flags |= 4;
        else if (c == u's' && (ctx.shadowDx || ctx.shadowDy)) flags |= ctx.shadowBlurred ? 0x200 : 0x100;
    }
    return flags;
}

// ---- styles ----

void ResetStyle(HtmlStyle& style) {
    HtmlStyle fresh;
    fresh.width = style.width;
    fresh.height = style.height;
    fresh.ruleThickness = style.ruleThickness;
    style = std::move(fresh);
}

void ApplyDeclarations(const HtmlString& declarations, HtmlStyle& style, const HtmlParseContext& ctx) {
    HtmlString text = Lower(declarations);
    size_t pos = 0;
    while (SkipToToken(text, pos)) {
        size_t start = pos;
        FindFirstOf(text, pos, u" :");
        HtmlString name = Sub(text, start, pos);
        HtmlString value = ReadValue(text, pos, u':', u";");
        if (name == u"font-size") {
            style.fontSize = ParseLength(value, style.fontSize, true, ctx);
        } else if (name == u"font-family") {
            if (!value.empty()) style.fontFamily = value;
        } else if (name == u"font-style") {
            style.italic = ParseFontStyle(value, style.italic);
        } else if (name == u"font-weight") {
            style.fontWeight = ParseFontWeight(value, style.fontWeight);
        } else if (name == u"text-align") {
            style.horizontalAlign = ParseTextAlign(value, style.horizontalAlign);
        } else if (name == u"text-transform") {
            style.textTransform = ParseTextTransform(value, style.textTransform);
        } else if (name == u"color") {
            style.textColor = ctx.colorsOn ? ParseColor(value, style.textColor, ctx) : ctx.fixedColor;
        } else if (name == u"background-color") {
            if (value == u"transparent" || !ctx.colorsOn) {
                style.backgroundKind = 1;
            } else {
                style.backgroundKind = 2;
                style.backgroundColor = ParseColor(value, style.backgroundColor, ctx);
            }
        } else if (name == u"text-decoration") {
            ParseTextDecoration(value, style);
        } else if (name == u"vertical-align") {
            style.verticalAlign = ParseVerticalAlign(value, style.verticalAlign);
        } else if (name == u"border-color") {
            COLORREF c = ctx.colorsOn ? ParseColor(value, style.borderColorLight, ctx) : ctx.fixedColor;
            style.borderColorLight = style.borderColorDark = c;
        } else if (name == u"border-width" || name == u"size") {
            style.borderWidth = ParseBorderWidth(value, style.borderWidth, ctx);
            if (style.borderWidth == 0) style.borderStyle = 0;
            else if (style.borderStyle == 0) style.borderStyle = 1;
        } else if (name == u"border-style") {
            style.borderStyle = ParseBorderStyle(value, style.borderStyle);
            if (style.borderStyle != 0 && style.borderWidth == 0) style.borderWidth = 1;
        } else if (name == u"margin") {
            style.margin = ParseLength(value, style.margin, false, ctx);
        } else if (name == u"padding") {
            style.padding = ParseLength(value, style.padding, false, ctx);
        }
    }
}

std::pair<int, int> ParseTableAttributes(const HtmlString& attrs, HtmlStyle& style, bool isTable,
                                         const HtmlParseContext& ctx) {
    int colSpan = 1, rowSpan = 1;
    size_t pos = 0;
    HtmlString name;
    auto borderColor = [&](const HtmlString& value, COLORREF current) {
        return ctx.colorsOn ? ParseColor(value, current, ctx) : ctx.fixedColor;
    };
    while (pos < attrs.size()) {
        HtmlString value = ReadAttribute(attrs, pos, name);
        if (name.empty()) break;
        if (isTable && name == u"cellpadding") style.margin = ParseLength(value, style.margin, false, ctx);
        else if (isTable && name == u"cellspacing") style.padding = ParseLength(value, style.padding, false, ctx);
        else if (isTable && name == u"background") style.backgroundImage = value;
        else if (name == u"rowspan") rowSpan = ParseLength(value, rowSpan, false, ctx);
        else if (name == u"colspan") colSpan = ParseLength(value, colSpan, false, ctx);
        else if (name == u"border") {
            style.borderWidth = ParseLength(value, style.borderWidth, false, ctx);
            if (style.borderWidth == 0) style.borderStyle = 0;
            else if (style.borderStyle == 0) style.borderStyle = 1;
        } else if (name == u"borderstyle") {
            style.borderStyle = ParseBorderStyle(value, style.borderStyle);
            if (style.borderStyle != 0 && style.borderWidth == 0) style.borderWidth = 1;
        } else if (name == u"bordercolor") {
            style.borderColorLight = style.borderColorDark = borderColor(value, style.borderColorLight);
        } else if (name == u"bordercolorlight") {
            style.borderColorLight = borderColor(value, style.borderColorLight);
        } else if (name == u"bordercolordark") {
            style.borderColorDark = borderColor(value, style.borderColorDark);
        } else if (name == u"bgcolor") {
            if (ctx.colorsOn) {
                style.backgroundColor = ParseColor(value, style.backgroundColor, ctx);
                if (style.backgroundEffect == -1) style.backgroundEffect = 0;
            }
        } else if (name == u"bgmidcolor") {
            if (ctx.colorsOn) style.backgroundMidColor = ParseColor(value, style.backgroundMidColor, ctx);
        } else if (name == u"bgendcolor") {
            if (ctx.colorsOn) style.backgroundEndColor = ParseColor(value, style.backgroundEndColor, ctx);
        } else if (name == u"bgeffect") {
            if (ctx.colorsOn) style.backgroundEffect = ParseFillEffect(value, style.backgroundEffect, ctx);
        } else if (name == u"align") {
            style.horizontalAlign = ParseTextAlign(value, style.horizontalAlign);
        } else if (name == u"valign") {
            style.verticalAlign = ParseVerticalAlign(value, style.verticalAlign);
        } else if (name == u"width") {
            style.width = ParseLength(value, style.width, false, ctx);
        } else if (name == u"height") {
            style.height = ParseLength(value, style.height, false, ctx);
        }
    }
    if (style.borderStyle == 0 || style.borderWidth == 0) style.borderStyle = style.borderWidth = 0;
    else if (style.borderStyle != 1) style.borderWidth = 1;
    if (!isTable && style.borderWidth != 0) style.borderWidth = 1;
    // A zero, negative or huge span would index outside the grid.
    return {std::clamp(colSpan, 1, kHtmlMaxSpan), std::clamp(rowSpan, 1, kHtmlMaxSpan)};
}

void ParseImageAttributes(const HtmlString& attrs, HtmlImage& image, const HtmlParseContext& ctx) {
    size_t pos = 0;
    HtmlString name;
    auto number = [](const HtmlString& v) {
        return (int)std::clamp<long long>(AutoBaseInt(v), INT_MIN, INT_MAX);
    };
    auto size = [](const HtmlString& v) { return std::clamp(LeadingInt(v), -kHtmlMaxLength, kHtmlMaxLength); };
    while (pos < attrs.size()) {
        HtmlString value = ReadAttribute(attrs, pos, name);
        if (name.empty()) break;
        if (name == u"index") { image.index = ParseLength(value, image.index, false, ctx); image.hasIndex = true; }
        else if (name == u"idres") image.idRes = number(value);
        else if (name == u"iddll") image.idDll = number(value);
        else if (name == u"handle") image.handle = (int)(AutoBaseInt(value) & 0xFFFFFFFF);
        else if (name == u"file") image.fileName = value;
        else if (name == u"srcdll") image.srcDll = value;
        else if (name == u"mask") { image.maskColor = ParseColor(value, image.maskColor, ctx); image.mask = 1; }
        else if (name == u"style") image.styleFlags = image.hotStyleFlags = ParseImageStyle(value, ctx);
        else if (name == u"hotstyle") image.hotStyleFlags = ParseImageStyle(value, ctx);
        else if (name == u"cx") { image.cx = size(value); image.hasCx = true; }
        else if (name == u"cy") { image.cy = size(value); image.hasCy = true; }
        else if (name == u"width") {
            image.width = ParseLength(value, image.width, false, ctx);
            image.widthPercent = EndsWithPercent(value);
        } else if (name == u"height") {
            image.height = ParseLength(value, image.height, false, ctx);
            image.heightPercent = EndsWithPercent(value);
        } else if (name == u"speed") image.speed = size(value);
    }
}

// ---- style sheet ----

const char16_t* HtmlStyleSheet::DefaultText() {
    return u"body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
           u"p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
           u"h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
           u"h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
           u"h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
           u"h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
           u"h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
           u"h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
           u"pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
           u"code {color:#990000; font-family:Arial}\r\n"
           u"a:link {text-decoration:none; color:blue}\r\n"
           u"a:hover {text-decoration:underline; color:blue}\r\n"
           u"sub {font-size:65%; vertical-align:bottom}\r\n"
           u"sup {font-size:65%; vertical-align:top}\r\n"
           u"big {font-size:125%}\r\n"
           u"small {font-size:75%}\r\n"
           u".cpp-comment {color:green; font-style:italic}\r\n";
}

void HtmlStyleSheet::SetStyleSheet(const char16_t* text) {
    rules_.clear();
    if (!text) text = DefaultText();
    text_ = text;
    size_t pos = 0;
    while (pos < text_.size()) {
        if (!SkipToToken(text_, pos)) break;
        size_t start = pos;
        if (!FindFirstOf(text_, pos, u" {")) break;
        HtmlString selector = Sub(text_, start, pos);
        if (selector.empty()) break;
        if (!FindFirstOf(text_, pos, u"{")) break;
        size_t open = ++pos;
        if (!FindFirstOf(text_, pos, u"}")) break;
        HtmlString declarations = Sub(text_, open, pos);
        if (!declarations.empty()) AddStyle(selector, declarations);
    }
}

const HtmlString* HtmlStyleSheet::GetStyle(const HtmlString& selector) const {
    auto it = rules_.find(Lower(selector));
    return it == rules_.end() ? nullptr : &it->second;
}

void HtmlStyleSheet::AddStyle(const HtmlString& selector, const HtmlString& declarations) {
    rules_[Lower(selector)] = declarations;
}

// ---- word wrap ----

HtmlString WrapText(HtmlString& text, int lineWidth, int& width, const HtmlMeasure& measure) {
    static const char16_t* kBreaks = u" -.,!:;)}]?";
    const int space = width;
    size_t lastFit = HtmlString::npos;
    size_t from = 0;
    while (true) {
        size_t brk = text.find_first_of(kBreaks, from);
        if (brk == HtmlString::npos) break;
        if (measure(text.data(), brk) > space) break;
        lastFit = brk;
        from = brk + 1;
    }
    if (lastFit != HtmlString::npos) {
        HtmlString line = TrimRightBlanks(text.substr(0, lastFit + 1));
        text = TrimLeftBlanks(text.substr(lastFit + 1));
        width = line.empty() ? 0 : measure(line.data(), line.size());
        return line;
    }
    if (space == lineWidth && !text.empty()) {
        // An empty line must take at least one character, or the layout would never advance.
        size_t lo = 1, hi = text.size();
        if (measure(text.data(), hi) <= space) {
            lo = hi;
        } else {
            while (lo < hi) {
                size_t mid = lo + (hi - lo + 1) / 2;
                if (measure(text.data(), mid) <= space) lo = mid;
                else hi = mid - 1;
            }
        }
        HtmlString line = text.substr(0, lo);
        text.erase(0, lo);
        width = measure(line.data(), line.size());
        return line;
    }
    width = 0;
    return {};
}

}  // namespace html
