// Entity, tag and colour tables of the HTML drawer and the preparation of a text for its passes.
#include "controls/html_tables.h"

namespace html {

void LoadEntities(std::map<HtmlString, HtmlString>& entities) {
    static const struct { const char16_t* name; const char16_t* value; } table[] = {
        {u"&amp;", u"&"},       {u"&bull;", u"\u2022"},  {u"&copy;", u"\u00A9"}, {u"&euro;", u"\u20AC"},
        {u"&gt;", u">"},        {u"&iquest;", u"\u00BF"}, {u"&lt;", u"<<"},      {u"&nbsp;", u" "},
        {u"&para;", u"\u00B6"}, {u"&pound;", u"\u00A3"}, {u"&quot;", u"\""},     {u"&reg;", u"\u00AE"},
        {u"&trade;", u"\u2122"},
    };
    for (const auto& e : table) entities[e.name] = e.value;
}

void LoadTags(std::map<HtmlString, HtmlTagInfo>& tags) {
    static const struct { const char16_t* name; int id; const char16_t* style; } table[] = {
        {u"b", 1, u"bold"},          {u"i", 2, u"italic"},        {u"em", 2, u"italic"},
        {u"u", 3, u"underline"},     {u"s", 4, u"strikeout"},     {u"strike", 4, u"strikeout"},
        {u"font", 5, u"font"},       {u"hr", 6, u""},             {u"br", 7, u""},
        {u"t", 8, u""},              {u"left", 9, u"left"},       {u"center", 10, u"center"},
        {u"right", 11, u"right"},    {u"justify", 12, u"justify"}, {u"baseline", 13, u"baseline"},
        {u"top", 14, u"top"},        {u"vcenter", 15, u"vcenter"}, {u"middle", 15, u"vcenter"},
        {u"bottom", 16, u"bottom"},  {u"bmp", 17, u""},           {u"icon", 18, u""},
        {u"ilst", 19, u""},          {u"string", 20, u""},        {u"body", 21, u"body"},
        {u"h1", 21, u"h1"},          {u"h2", 21, u"h2"},          {u"h3", 21, u"h3"},
        {u"h4", 21, u"h4"},          {u"h5", 21, u"h5"},          {u"h6", 21, u"h6"},
        {u"code", 21, u"code"},      {u"pre", 21, u"pre"},        {u"big", 21, u"big"},
        {u"small", 21, u"small"},    {u"sub", 21, u"sub"},        {u"sup", 21, u"sup"},
        {u"span", 22, u"span"},      {u"a", 23, u"link"},
    };
    for (const auto& t : table) tags[t.name] = HtmlTagInfo{t.id, t.style};
}

void LoadColors(HtmlColorMap& colors, const std::function<COLORREF(int)>& sysColor) {
    // Written as 0xRRGGBB; stored as COLORREF (red in the low byte).
    static const struct { const char16_t* name; unsigned rgb; } named[] = {
        {u"aqua", 0x00FFFF}, {u"black", 0x000000}, {u"blue", 0x0000FF}, {u"brown", 0xA52A2A},
        {u"cyan", 0x00FFFF}, {u"gold", 0xFFD700}, {u"gray", 0x808080}, {u"green", 0x008000},
        {u"magenta", 0xFF00FF}, {u"maroon", 0x800000}, {u"navy", 0x000080}, {u"olive", 0x808000},
        {u"orange", 0xFFA500}, {u"pink", 0xFFC0CB}, {u"purple", 0x800080}, {u"red", 0xFF0000},
        {u"silver", 0xC0C0C0}, {u"snow", 0xFFFAFA}, {u"violet", 0xEE82EE}, {u"white", 0xFFFFFF},
        {u"yellow", 0xFFFF00}, {u"aliceblue", 0xF0F8FF}, {u"antiquewhite", 0xFAEBD7},
        {u"aquamarine", 0x7FFFD4}, {u"azure", 0xF0FFFF}, {u"beige", 0xF5F5DC}, {u"bisque", 0xFFE4C4},
        {u"blanchedalmond", 0xFFEBCD}, {u"blueviolet", 0x8A2BE2}, {u"burlywood", 0xDEB887},
        {u"cadetblue", 0x5F9EA0}, {u"chartreuse", 0x7FFF00}, {u"chocolate", 0xD2691E},
        {u"coral", 0xFF7F50}, {u"cornflowerblue", 0x6495ED}, {u"cornsilk", 0xFFF8DC},
        {u"crimson", 0xDC143C}, {u"darkblue", 0x00008B}, {u"darkcyan", 0x008B8B},
        {u"darkgoldenrod", 0xB8860B}, {u"darkgray", 0xA9A9A9}, {u"darkgreen", 0x006400},
        {u"darkkhaki", 0xBDB76B}, {u"darkmagenta", 0x8B008B}, {u"darkolivegreen", 0x556B2F},
        {u"darkorange", 0xFF8C00}, {u"darkorchid", 0x9932CC}, {u"darkred", 0x8B0000},
        {u"darksalmon", 0xE9967A}, {u"darkseagreen", 0x8FBC8B}, {u"darkslateblue", 0x483D8B},
        {u"darkslategray", 0x2F4F4F}, {u"darkturquoise", 0x00CED1}, {u"darkviolet", 0x9400D3},
        {u"deeppink", 0xFF1493}, {u"deepskyblue", 0x00BFFF}, {u"dimgray", 0x696969},
        {u"dodgerblue", 0x1E90FF}, {u"firebrick", 0xB22222}, {u"floralwhite", 0xFFFAF0},
        {u"forestgreen", 0x228B22}, {u"fuchsia", 0xFF00FF}, {u"gainsboro", 0xDCDCDC},
        {u"ghostwhite", 0xF8F8FF}, {u"goldenrod", 0xDAA520}, {u"greenyellow", 0xADFF2F},
        {u"honeydew", 0xF0FFF0}, {u"hotpink", 0xFF69B4}, {u"indianred", 0xCD5C5C},
        {u"indigo", 0x4B0082}, {u"ivory", 0xFFFFF0}, {u"khaki", 0xF0E68C}, {u"lavender", 0xE6E6FA},
        {u"lavenderblush", 0xFFF0F5}, {u"lawngreen", 0x7CFC00}, {u"lemonchiffon", 0xFFFACD},
        {u"lightblue", 0xADD8E6}, {u"lightcoral", 0xF08080}, {u"lightcyan", 0xE0FFFF},
        {u"lightgoldenrodyellow", 0xFAFAD2}, {u"lightgreen", 0x90EE90}, {u"lightgrey", 0xD3D3D3},
        {u"lightpink", 0xFFB6C1}, {u"lightsalmon", 0xFFA07A}, {u"lightseagreen", 0x20B2AA},
        {u"lightskyblue", 0x87CEFA}, {u"lightslategray", 0x778899}, {u"lightsteelblue", 0xB0C4DE},
        {u"lightyellow", 0xFFFFE0}, {u"lime", 0x00FF00}, {u"limegreen", 0x32CD32},
        {u"linen", 0xFAF0E6}, {u"mediumaquamarine", 0x66CDAA}, {u"mediumblue", 0x0000CD},
        {u"mediumorchid", 0xBA55D3}, {u"mediumpurple", 0x9370DB}, {u"mediumseagreen", 0x3CB371},
        {u"mediumslateblue", 0x7B68EE}, {u"mediumspringgreen", 0x00FA9A},
        {u"mediumturquoise", 0x48D1CC}, {u"mediumvioletred", 0xC71585}, {u"midnightblue", 0x191970},
        {u"mintcream", 0xF5FFFA}, {u"mistyrose", 0xFFE4E1}, {u"moccasin", 0xFFE4B5},
        {u"navajowhite", 0xFFDEAD}, {u"oldlace", 0xFDF5E6}, {u"olivedrab", 0x6B8E23},
        {u"orangered", 0xFF4500}, {u"orchid", 0xDA70D6}, {u"palegoldenrod", 0xEEE8AA},
        {u"palegreen", 0x98FB98}, {u"paleturquoise", 0xAFEEEE}, {u"palevioletred", 0xDB7093},
        {u"papayawhip", 0xFFEFD5}, {u"peachpuff", 0xFFDAB9}, {u"peru", 0xCD853F}, {u"plum", 0xDDA0DD},
        {u"powderblue", 0xB0E0E6}, {u"rosybrown", 0xBC8F8F}, {u"royalblue", 0x4169E1},
        {u"saddlebrown", 0x8B4513}, {u"salmon", 0xFA8072}, {u"sandybrown", 0xF4A460},
        {u"seagreen", 0x2E8B57}, {u"seashell", 0xFFF5EE}, {u"sienna", 0xA0522D}, {u"skyblue", 0x87CEEB},
        {u"slateblue", 0x6A5ACD}, {u"slategray", 0x708090}, {u"springgreen", 0x00FF7F},
        {u"steelblue", 0x4682B4}, {u"tan", 0xD2B48C}, {u"teal", 0x008080}, {u"thistle", 0xD8BFD8},
        {u"tomato", 0xFF6347}, {u"turquoise", 0x40E0D0}, {u"wheat", 0xF5DEB3},
        {u"whitesmoke", 0xF5F5F5}, {u"yellowgreen", 0x9ACD32},
    };
    for (const auto& c : named)
        colors[c.name] = RGB((c.rgb >> 16) & 0xFF, (c.rgb >> 8) & 0xFF, c.rgb & 0xFF);

    // System colour indexes (COLOR_*), read once when the drawer is made.
    static const struct { const char16_t* name; int index; } sys[] = {
        {u"activeborder", 10},    {u"activecaption", 2},      {u"appworkspace", 12},
        {u"background", 1},       {u"buttonface", 15},        {u"buttonhighlight", 20},
        {u"buttonshadow", 16},    {u"buttontext", 18},        {u"captiontext", 9},
        {u"graytext", 17},        {u"highlight", 13},         {u"highlighttext", 14},
        {u"inactiveborder", 11},  {u"inactivecaption", 3},    {u"inactivecaptiontext", 19},
        {u"infobackground", 24},  {u"infotext", 23},          {u"menu", 4},
        {u"menutext", 7},         {u"scrollbar", 0},          {u"threeddarkshadow", 21},
        {u"threedface", 15},      {u"threedhighlight", 20},   {u"threedlightshadow", 22},
        {u"threedshadow", 16},    {u"window", 5},             {u"windowframe", 6},
        {u"windowtext", 8},
    };
    for (const auto& s : sys) colors[s.name] = sysColor ? sysColor(s.index) : 0;
}

HtmlString PrepareText(const HtmlString& text, const std::map<HtmlString, HtmlString>& entities,
                       bool escapeSequences) {
    HtmlString out = text;
    for (const auto& [name, value] : entities) ReplaceAll(out, name, value);
    ReplaceAll(out, u"\r", u"");
    ReplaceAll(out, u"\n", escapeSequences ? u"<br>" : u"");
    ReplaceAll(out, u"\t", escapeSequences ? u"<t>" : u"");
    return out;
}

int GetTagId(const std::map<HtmlString, HtmlTagInfo>& tags, HtmlString name, HtmlString& styleName,
             bool& closing) {
    styleName.clear();
    closing = false;
    if (!name.empty() && name[0] == u'/') {
        closing = true;
        name.erase(0, 1);
    }
    auto it = tags.find(name);
    if (it == tags.end()) return 0;
    styleName = it->second.styleName;
    return it->second.id;
}

}  // namespace html
