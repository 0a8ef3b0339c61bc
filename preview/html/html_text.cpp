// Page preparation and the small text services of the HTML renderer: entities, attributes, colours, addresses.
#include "preview/html/html_text.h"

#include <algorithm>

namespace {

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

struct Entity {
    const char16_t* text;
    char16_t ch;
};

// The Latin-1 names, codes 160 to 255 in order.
const char16_t* const kLatin1Names[96] = {
    u"nbsp",   u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",   u"uml",    u"copy",
    u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",   u"deg",    u"plusmn", u"sup2",   u"sup3",
    u"acute",  u"micro",  u"para",   u"middot", u"cedil",  u"sup1",   u"ordm",   u"raquo",  u"frac14", u"frac12",
    u"frac34", u"iquest", u"Agrave", u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig",  u"Ccedil",
    u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc",  u"Iuml",   u"ETH",    u"Ntilde",
    u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",   u"times",  u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",
    u"Uuml",   u"Yacute", u"THORN",  u"szlig",  u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",
    u"aelig",  u"ccedil", u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",
    u"eth",    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide", u"oslash", u"ugrave",
    u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml"};

const Entity kOtherEntities[] = {
    {u"&OElig;", u'E'},      {u"&oelig;", u'e'},      {u"&Scaron;", u'S'},     {u"&scaron;", u's'},
    {u"&Yuml;", 255},        {u"&fnof;", u'f'},       {u"&circ;", u'^'},       {u"&tilde;", u'~'},
    {u"&ndash;", u'-'},      {u"&mdash;", u'-'},      {u"&lsquo;", u'\u2018'}, {u"&rsquo;", u'\u2019'},
    {u"&sbquo;", u','},      {u"&ldquo;", u'"'},      {u"&rdquo;", u'"'},      {u"&bdquo;", u'\u201E'},
    {u"&dagger;", u'\u2020'}, {u"&Dagger;", u'\u2021'}, {u"&bull;", u'\u2022'}, {u"&hellip;", u'\u2026'},
    {u"&permil;", u'\u2030'}, {u"&lsaquo;", u'\u2039'}, {u"&rsaquo;", u'\u203A'}, {u"&euro;", u'\u20AC'},
    {u"&trade;", u'\u2122'}, {u"\u0097", u'-'},       {u"\u00A0", u' '},
};

const std::vector<std::pair<HtmlText, char16_t>>& EntityTable()
{
    static const std::vector<std::pair<HtmlText, char16_t>> table = [] {
        std::vector<std::pair<HtmlText, char16_t>> t = {{u"&quot;", u'"'}, {u"&amp;", u'&'}, {u"&lt;", u'<'},
                                                        {u"&gt;", u'>'}};
        for (int i = 0; i < 96; ++i)
            t.push_back({HtmlText(u"&") + kLatin1Names[i] + u";", char16_t(160 + i)});
        for (const Entity& e : kOtherEntities)
            t.push_back({e.text, e.ch});
        return t;
    }();
    return table;
}

struct NamedColor {
    const char16_t* name;
    uint32_t rgb;  // 0xRRGGBB as written
};

const NamedColor kColors[] = {
    {u"AliceBlue", 0xF0F8FF}, {u"AntiqueWhite", 0xFAEBD7}, {u"Aqua", 0x00FFFF}, {u"Aquamarine", 0x7FFFD4},
    {u"Azure", 0xF0FFFF}, {u"Beige", 0xF5F5DC}, {u"Bisque", 0xFFE4C4}, {u"Black", 0x000000},
    {u"BlanchedAlmond", 0xFFFFCD}, {u"Blue", 0x0000FF}, {u"BlueViolet", 0x8A2BE2}, {u"Brown", 0xA52A2A},
    {u"Burlywood", 0xDEB887}, {u"CadetBlue", 0x5F9EA0}, {u"Chartreuse", 0x7FFF00}, {u"Chocolate", 0xD2691E},
    {u"Coral", 0xFF7F50}, {u"CornflowerBlue", 0x6495ED}, {u"Cornsilk", 0xFFF8DC}, {u"Crimson", 0xDC143C},
    {u"Cyan", 0x00FFFF}, {u"DarkBlue", 0x00008B}, {u"DarkCyan", 0x008B8B}, {u"DarkGoldenRod", 0xB8860B},
    {u"DarkGray", 0xA9A9A9}, {u"DarkGreen", 0x006400}, {u"DarkKhaki", 0xBDB76B}, {u"DarkMagenta", 0x8B008B},
    {u"DarkOliveGreen", 0x556B2F}, {u"DarkOrange", 0xFF8C00}, {u"DarkOrchid", 0x9932CC}, {u"DarkRed", 0x8B0000},
    {u"DarkSalmon", 0xE9967A}, {u"DarkSeaGreen", 0x8FBC8F}, {u"DarkSlateBlue", 0x483D8B},
    {u"DarkSlateGray", 0x2F4F4F}, {u"DarkTurquoise", 0x00CED1}, {u"DarkViolet", 0x9400D3},
    {u"DeepPink", 0xFF1493}, {u"DeepSkyBlue", 0x00BFFF}, {u"DimGray", 0x696969}, {u"DodgerBlue", 0x1E90FF},
    {u"FireBrick", 0xB22222}, {u"FloralWhite", 0xFFFAF0}, {u"ForestGreen", 0x228B22}, {u"Fuchsia", 0xFF00FF},
    {u"Gainsboro", 0xDCDCDC}, {u"GhostWhite", 0xF8F8FF}, {u"Gold", 0xFFD700}, {u"GoldenRod", 0xDAA520},
    {u"Gray", 0x7F7F7F}, {u"Green", 0x008000}, {u"GreenYellow", 0xADFF2F}, {u"HoneyDew", 0xF0FFF0},
    {u"HotPink", 0xFF69B4}, {u"IndianRed", 0xCD5C5C}, {u"Indigo", 0x4B0082}, {u"Ivory", 0xFFFFF0},
    {u"Khaki", 0xF0E68C}, {u"Lavender", 0xE6E6FA}, {u"LavenderBlush", 0xFFF0F5}, {u"Lawngreen", 0x7CFC00},
    {u"LemonChiffon", 0xFFFACD}, {u"LightBlue", 0xADD8E6}, {u"LightCoral", 0xF08080}, {u"LightCyan", 0xE0FFFF},
    {u"LightGoldenRodYellow", 0xFAFAD2}, {u"LightGreen", 0x90EE90}, {u"LightGrey", 0xD3D3D3},
    {u"LightPink", 0xFFB6C1}, {u"LightSalmon", 0xFFA07A}, {u"LightSeaGreen", 0x20B2AA},
    {u"LightSkyBlue", 0x87CEFA}, {u"LightSlateGray", 0x778899}, {u"LightSteelBlue", 0xB0C4DE},
    {u"LightYellow", 0xFFFFE0}, {u"Lime", 0x00FF00}, {u"LimeGreen", 0x32CD32}, {u"Linen", 0xFAF0E6},
    {u"Magenta", 0xFF00FF}, {u"Maroon", 0x800000}, {u"MediumAquamarine", 0x66CDAA}, {u"MediumBlue", 0x0000CD},
    {u"MediumOrchid", 0xBA55D3}, {u"MediumPurple", 0x9370DB}, {u"MediumSeaGreen", 0x3CB371},
    {u"MediumSlateBlue", 0x7B68EE}, {u"MediumSpringGreen", 0x00FA9A}, {u"MediumTurquoise", 0x48D1CC},
    {u"MediumVioletRed", 0xC71585}, {u"MidnightBlue", 0x191970}, {u"MintCream", 0xF5FFFA},
    {u"MistyRose", 0xFFE4E1}, {u"Moccasin", 0xFFE4B5}, {u"NavajoWhite", 0xFFDEAD}, {u"Navy", 0x000080},
    {u"OldLace", 0xFDF5E6}, {u"Olive", 0x808000}, {u"OliveDrab", 0x6B8E23}, {u"Orange", 0xFFA500},
    {u"OrangeRed", 0xFF4500}, {u"Orchid", 0xDA70D6}, {u"PaleGoldenRod", 0xEEE8AA}, {u"PaleGreen", 0x98FB98},
    {u"PaleTurquoise", 0xAFEEEE}, {u"PaleVioletRed", 0xDB7093}, {u"PapayaWhip", 0xFFEFD5},
    {u"PeachPuff", 0xFFDAB9}, {u"Peru", 0xCD853F}, {u"Pink", 0xFFC0CB}, {u"Plum", 0xDDA0DD},
    {u"PowderBlue", 0xB0E0E6}, {u"Purple", 0x800080}, {u"Red", 0xFF0000}, {u"RosyBrown", 0xBC8F8F},
    {u"RoyalBlue", 0x4169E1}, {u"SaddleBrown", 0x8B4513}, {u"Salmon", 0xFA8072}, {u"SandyBrown", 0xF4A460},
    {u"SeaGreen", 0x2E8B57}, {u"SeaShell", 0xFFF5EE}, {u"Sienna", 0xA0522D}, {u"Silver", 0xC0C0C0},
    {u"SkyBlue", 0x87CEEB}, {u"SlateBlue", 0x6A5ACD}, {u"SlateGray", 0x708090}, {u"Snow", 0xFFFAFA},
    {u"SpringGreen", 0x00FF7F}, {u"SteelBlue", 0x4682B4}, {u"Tan", 0xD2B48C}, {u"Teal", 0x008080},
    {u"Thistle", 0xD8BFD8}, {u"Tomato", 0xFF6347}, {u"Turquoise", 0x40E0D0}, {u"Violet", 0xEE82EE},
    {u"Wheat", 0xF5DEB3}, {u"White", 0xFFFFFF}, {u"WhiteSmoke", 0xF5F5F5}, {u"Yellow", 0xFFFF00},
    {u"YellowGreen", 0x8BCD32},
};

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    c = Fold(c);
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

// Appends a code point; what UTF-16 cannot hold (and the NUL that would cut the text) becomes U+FFFD.
void AppendCodePoint(HtmlText& out, uint32_t cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        out += u'\uFFFD';
    } else if (cp > 0xFFFF) {
        cp -= 0x10000;
        out += char16_t(0xD800 + (cp >> 10));
        out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
        out += char16_t(cp);
    }
}

// Drops everything up to the next `end` (case-insensitive) and then up to its ">"; without
// `end` the rest of the text goes. Returns the position after what was dropped.
size_t SkipPast(HtmlView text, size_t from, HtmlView end)
{
    size_t at = FindNoCase(text, end, from);
    if (at == HtmlView::npos)
        return text.size();
    // The ">" may be the end text's own last character ("-->").
    size_t gt = text.find(u'>', at + end.size() - 1);
    return gt == HtmlView::npos ? text.size() : gt + 1;
}

} // namespace

const char16_t* const kKnownTags[] = {
    u"<br",     u"<i",       u"</i",      u"<b",      u"</b",        u"<strong", u"</strong", u"<u",
    u"</u",     u"<a",       u"</a",      u"<small",  u"</small",    u"<big",    u"</big",    u"<center",
    u"</center", u"<p",      u"<font",    u"</font",  u"<img",       u"<h1",     u"</h1",     u"<div",
    u"</div",   u"<hr",      u"<table",   u"</table", u"<tr",        u"</tr",    u"<td",      u"</td",
    u"<h2",     u"</h2",     u"<h3",      u"</h3",    u"<pre",       u"</pre",   u"<input",   u"<ul",
    u"<ol",     u"<li",      u"</ul",     u"</ol",    u"<sub",       u"</sub",   u"<sup",     u"</sup",
    u"<strike", u"</strike", u"<select",  u"</select", u"<option",   u"<textarea", u"</textarea", u"<th",
    u"</th",    u"<form",    u"</form",   u"<blockquote", u"</blockquote", u"</p"};
const int kKnownTagCount = int(sizeof(kKnownTags) / sizeof(kKnownTags[0]));

bool StartsWithNoCase(HtmlView text, HtmlView prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Fold(text[i]) != Fold(prefix[i]))
            return false;
    return true;
}

bool EqualsNoCase(HtmlView a, HtmlView b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

size_t FindNoCase(HtmlView text, HtmlView what, size_t from)
{
    if (what.empty())
        return from <= text.size() ? from : HtmlView::npos;
    for (size_t i = from; i + what.size() <= text.size(); ++i)
        if (Fold(text[i]) == Fold(what[0]) && StartsWithNoCase(text.substr(i), what))
            return i;
    return HtmlView::npos;
}

long long ParseNumber(HtmlView text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - u'0'), 1LL << 40);
    return negative ? -value : value;
}

int KnownTagAt(HtmlView text, size_t pos)
{
    HtmlView rest = text.substr(pos);
    if (rest.size() < 2 || rest[0] != u'<')
        return -1;
    const char16_t second = Fold(rest[1]);
    for (int i = 0; i < kKnownTagCount; ++i) {
        HtmlView tag = kKnownTags[i];
        if (tag[1] != second || !StartsWithNoCase(rest, tag))
            continue;
        if (rest.size() == tag.size() || IsBlank(rest[tag.size()]) || rest[tag.size()] == u'>')
            return i;
    }
    return -1;
}

HtmlText& DecodeEntities(HtmlText& text)
{
    const auto& table = EntityTable();
    HtmlText out;
    out.reserve(text.size());
    HtmlView in = text;
    size_t i = 0;
    while (i < in.size()) {
        bool matched = false;
        // Every entity but the two single characters starts with "&".
        if (in[i] != u'&' && in[i] != 0x97 && in[i] != 0xA0) {
            out += in[i++];
            continue;
        }
        for (const auto& [entity, ch] : table) {
            if (in.compare(i, entity.size(), entity) == 0) {
                out += ch;
                i += entity.size();
                matched = true;
                break;
            }
        }
        if (matched)
            continue;
        if (in[i] == u'&' && i + 1 < in.size() && in[i + 1] == u'#') {
            size_t j = i + 2;
            bool hex = j < in.size() && Fold(in[j]) == u'x';
            if (hex)
                ++j;
            size_t digitsStart = j;
            uint32_t value = 0;
            for (; j < in.size(); ++j) {
                int d = hex ? HexDigit(in[j]) : (in[j] >= u'0' && in[j] <= u'9' ? in[j] - u'0' : -1);
                if (d < 0)
                    break;
                value = std::min<uint32_t>(value * (hex ? 16 : 10) + uint32_t(d), 0x110000);
            }
            if (j > digitsStart) {
                AppendCodePoint(out, value);
                if (j < in.size() && (in[j] == u';' || in[j] == u' '))
                    ++j;
                i = j;
                continue;
            }
        }
        out += in[i++];
    }
    text = std::move(out);
    return text;
}

HtmlText& DecodeUtf8Pairs(HtmlText& text)
{
    HtmlText out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t a = text[i];
        if ((a == 0xC2 || a == 0xC3) && i + 1 < text.size()) {
            char16_t b = text[i + 1];
            if (b >= 0x80 && b <= 0xBF) {
                unsigned code = (a == 0xC2 ? 0x80u : 0xC0u) + (b - 0x80u);
                if (code >= 160) {
                    out += char16_t(code);
                    ++i;
                    continue;
                }
            }
        }
        out += a;
    }
    text = std::move(out);
    return text;
}

void ParseAttributes(HtmlView tag, HtmlAttributes& list)
{
    list.clear();
    size_t end = tag.find(u'>');
    if (end != HtmlView::npos)
        tag = tag.substr(0, end);
    size_t i = 0;
    while (i < tag.size() && !IsBlank(tag[i]))
        ++i;
    while (i < tag.size()) {
        while (i < tag.size() && IsBlank(tag[i]))
            ++i;
        if (i >= tag.size())
            break;
        size_t nameStart = i;
        while (i < tag.size() && tag[i] != u'=' && !IsBlank(tag[i]))
            ++i;
        HtmlAttribute attribute;
        attribute.name = HtmlText(tag.substr(nameStart, i - nameStart));
        if (i < tag.size() && tag[i] == u'=') {
            ++i;
            while (i < tag.size() && IsBlank(tag[i]))
                ++i;
            attribute.hasValue = true;
            if (i < tag.size() && (tag[i] == u'"' || tag[i] == u'\'')) {
                char16_t quote = tag[i++];
                size_t close = tag.find(quote, i);
                if (close == HtmlView::npos)
                    close = tag.size();
                attribute.value = HtmlText(tag.substr(i, close - i));
                i = std::min(close + 1, tag.size());
            } else {
                size_t valueStart = i;
                while (i < tag.size() && !IsBlank(tag[i]))
                    ++i;
                attribute.value = HtmlText(tag.substr(valueStart, i - valueStart));
            }
        }
        if (attribute.name.empty() && !attribute.hasValue)
            ++i;  // a stray "=" would otherwise be read again and again
        else
            list.push_back(std::move(attribute));
    }
}

const HtmlText* FindAttribute(const HtmlAttributes& list, HtmlView name)
{
    for (const HtmlAttribute& a : list)
        if (EqualsNoCase(a.name, name))
            return &a.value;
    return nullptr;
}

uint32_t ParseColor(HtmlView text)
{
    for (const NamedColor& c : kColors)
        if (EqualsNoCase(text, c.name))
            return ((c.rgb >> 16) & 0xFF) | (c.rgb & 0xFF00) | ((c.rgb & 0xFF) << 16);
    size_t i = (!text.empty() && text[0] == u'#') ? 1 : 0;
    // A short colour reads its missing pairs as 0.
    uint32_t parts[3] = {0, 0, 0};
    for (int p = 0; p < 3; ++p) {
        int hi = i < text.size() ? HexDigit(text[i]) : -1;
        int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        if (hi < 0)
            break;
        parts[p] = lo < 0 ? uint32_t(hi) : uint32_t(hi * 16 + lo);
        if (lo < 0)
            break;
        i += 2;
    }
    return parts[0] | (parts[1] << 8) | (parts[2] << 16);
}

PreparedHtml PrepareHtml(HtmlView text, HtmlView baseAddress)
{
    PreparedHtml result;
    int depth = 0;
    size_t dot = baseAddress.rfind(u'.');
    if (dot != HtmlView::npos && EqualsNoCase(baseAddress.substr(dot + 1), u"txt")) {
        result.fixedPitch = true;
        depth = 1;
    }
    HtmlText& out = result.text;
    out.reserve(text.size());
    bool inUnknownTag = false;
    size_t i = 0;
    while (i < text.size()) {
        char16_t c = text[i];
        if (inUnknownTag) {
            if (c == u'>')
                inUnknownTag = false;
            ++i;
            continue;
        }
        if (c == u'<') {
            HtmlView rest = text.substr(i);
            if (StartsWithNoCase(rest, u"<script")) {
                i = SkipPast(text, i, u"</script");
                continue;
            }
            if (StartsWithNoCase(rest, u"<!--")) {
                i = SkipPast(text, i, u"-->");
                continue;
            }
            if (StartsWithNoCase(rest, u"<title")) {
                size_t start = std::min(i + 7, text.size());
                size_t end = FindNoCase(text, u"</title>", start);
                size_t stop = end == HtmlView::npos ? text.size() : end;
                while (start < stop && IsBlank(text[start]))
                    ++start;
                while (stop > start && IsBlank(text[stop - 1]))
                    --stop;
                result.hasTitle = true;
                result.title = HtmlText(text.substr(start, stop - start));
                DecodeUtf8Pairs(DecodeEntities(result.title));
                i = SkipPast(text, i, u"</title");
                continue;
            }
            if (StartsWithNoCase(rest, u"<body")) {
                HtmlAttributes attributes;
                ParseAttributes(rest, attributes);
                if (const HtmlText* color = FindAttribute(attributes, u"bgcolor")) {
                    result.hasBackground = true;
                    result.background = ParseColor(*color);
                }
                if (const HtmlText* image = FindAttribute(attributes, u"background"); image && !image->empty())
                    result.backgroundImage = ResolveUrl(*image, baseAddress);
                inUnknownTag = true;
                ++i;
                continue;
            }
            if (StartsWithNoCase(rest, u"<style")) {
                size_t end = FindNoCase(text, u"</style", i);
                if (end != HtmlView::npos) {
                    i = SkipPast(text, i, u"</style");
                } else {
                    size_t gt = text.find(u'>', i);
                    i = gt == HtmlView::npos ? text.size() : gt + 1;
                }
                continue;
            }
            int tag = KnownTagAt(text, i);
            if (tag < 0) {
                inUnknownTag = true;
                ++i;
                continue;
            }
            HtmlView name = kKnownTags[tag];
            if (name == u"<pre")
                ++depth;
            else if (name == u"</pre")
                depth = std::max(0, depth - 1);
            out += c;
            ++i;
            continue;
        }
        if (depth == 0 && IsBlank(c)) {
            if (!out.empty() && out.back() != u' ')
                out += u' ';
            ++i;
            continue;
        }
        out += c;
        ++i;
    }
    return result;
}

HtmlText ResolveUrl(HtmlView reference, HtmlView base)
{
    HtmlText result;
    size_t scheme = reference.find(u"://");
    size_t slash = reference.find(u'/');
    if (scheme != HtmlView::npos && (slash == HtmlView::npos || scheme < slash)) {
        result = HtmlText(reference);
    } else {
        result = HtmlText(base.substr(0, std::min(base.rfind(u'?'), base.size())));
        std::replace(result.begin(), result.end(), u'\\', u'/');
        size_t hostSep = result.find(u"://");
        size_t host = hostSep == HtmlText::npos ? std::min<size_t>(3, result.size()) : hostSep + 3;
        if (result.find(u'/', host) == HtmlText::npos)
            result += u'/';
        size_t last = result.rfind(u'/');
        if (last >= 3 && result.compare(last - 3, 3, u"://") == 0) {
            if (result.back() != u'/')
                result += u'/';
        } else {
            result.resize(last + 1);
        }
        while (reference.substr(0, 3) == u"../") {
            if (!result.empty() && result.back() == u'/')
                result.pop_back();
            size_t cut = result.rfind(u'/');
            // The scheme and the host are never eaten.
            if (cut != HtmlText::npos && cut > 4 && cut >= host)
                result.resize(cut + 1);
            else
                result += u'/';
            reference.remove_prefix(3);
        }
        if (!reference.empty() && reference[0] == u'/') {
            size_t cut = result.find(u'/', host);
            if (cut != HtmlText::npos)
                result.resize(cut);
        }
        if ((reference.empty() || reference[0] != u'/') && (result.empty() || result.back() != u'/'))
            result += u'/';
        result += reference;
    }
    if (result.size() > kMaxAddressLength)
        return HtmlText();
    if (StartsWithNoCase(result, u"file://"))
        std::replace(result.begin() + 7, result.end(), u'/', u'\\');
    return result;
}

HtmlText UrlEncode(HtmlView text)
{
    static const char16_t kHex[] = u"0123456789abcdef";
    HtmlText out;
    for (char16_t c : text) {
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            out += c;
        } else if (c == u' ') {
            out += u'+';
        } else if (c <= 0xFF) {
            out += u'%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            // Wider characters go as the percent-encoded bytes of their UTF-8 form.
            unsigned bytes[3] = {0xE0u | (c >> 12), 0x80u | ((c >> 6) & 0x3F), 0x80u | (c & 0x3F)};
            int n = 3, first = 0;
            if (c < 0x800) {
                bytes[1] = 0xC0u | (c >> 6);
                first = 1;
            }
            for (int k = first; k < n; ++k) {
                out += u'%';
                out += kHex[bytes[k] >> 4];
                out += kHex[bytes[k] & 15];
            }
        }
    }
    return out;
}
