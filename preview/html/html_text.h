// Text services of the own HTML renderer: page preparation, entities, attributes, colours, addresses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using HtmlText = std::u16string;
using HtmlView = std::u16string_view;

struct HtmlAttribute {
    HtmlText name;
    HtmlText value;
    bool hasValue = false;
};
using HtmlAttributes = std::vector<HtmlAttribute>;

// Index of the known tag that starts at text[pos] (the tag name must end there), or -1.
int KnownTagAt(HtmlView text, size_t pos);
// The known tags, in the order KnownTagAt tries them (its result indexes this table).
extern const char16_t* const kKnownTags[];
extern const int kKnownTagCount;

HtmlText& DecodeEntities(HtmlText& text);
HtmlText& DecodeUtf8Pairs(HtmlText& text);
void ParseAttributes(HtmlView tag, HtmlAttributes& list);
// The value of the named attribute (compared without case), or null when the tag lacks it.
const HtmlText* FindAttribute(const HtmlAttributes& list, HtmlView name);
// RGB with red in the low byte.
uint32_t ParseColor(HtmlView text);

bool StartsWithNoCase(HtmlView text, HtmlView prefix);
bool EqualsNoCase(HtmlView a, HtmlView b);
size_t FindNoCase(HtmlView text, HtmlView what, size_t from);
// A decimal attribute value: leading blanks and sign, then digits; saturates instead of overflowing.
long long ParseNumber(HtmlView text);

// The result of the preparation pass over a page: its known tags and text only.
struct PreparedHtml {
    HtmlText text;
    bool hasTitle = false;
    HtmlText title;
    bool hasBackground = false;
    uint32_t background = 0xFFFFFF;
    HtmlText backgroundImage;  // resolved address, empty for none
    bool fixedPitch = false;
};
PreparedHtml PrepareHtml(HtmlView text, HtmlView baseAddress);

// Addresses longer than this are refused: page-controlled text never grows without bound.
constexpr size_t kMaxAddressLength = 2047;
// An absolute address from a reference and the address of the page that holds it (empty when
// the result would exceed kMaxAddressLength).
HtmlText ResolveUrl(HtmlView reference, HtmlView base);
HtmlText UrlEncode(HtmlView text);
