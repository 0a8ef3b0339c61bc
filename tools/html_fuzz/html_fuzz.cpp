// libFuzzer target: the HTML drawer's text path (entities, tokenizer, attributes, style sheet, table scanners, wrap).
#include <cstddef>
#include <cstdint>

#include "controls/html_parser.h"
#include "controls/html_tables.h"

using namespace html;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::map<HtmlString, HtmlString> entities;
    static std::map<HtmlString, HtmlTagInfo> tags;
    static HtmlColorMap colors;
    if (entities.empty()) {
        LoadEntities(entities);
        LoadTags(tags);
        LoadColors(colors, [](int i) { return (COLORREF)i; });
    }
    // The first byte chooses the switches; the rest is UTF-16 text.
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    HtmlString raw;
    for (size_t i = 1; i + 1 < size; i += 2) raw += (char16_t)(data[i] | (data[i + 1] << 8));

    HtmlParseContext ctx;
    ctx.colors = &colors;
    ctx.colorsOn = flags & 1;
    ctx.emHeight = 13;
    ctx.exHeight = [] { return 7; };
    const HtmlString text = PrepareText(raw, entities, flags & 2);

    size_t pos = 0;
    while (pos < text.size()) {
        HtmlString tag;
        const size_t before = pos;
        ReadText(text, pos, tag);
        if (pos <= before) __builtin_trap();  // the tokenizer must always advance
        HtmlString attrs = SplitTagName(tag);
        HtmlString styleName;
        bool closing = false;
        GetTagId(tags, tag, styleName, closing);
        HtmlStyle style;
        HtmlImage image;
        ParseTableAttributes(attrs, style, (flags & 4) != 0, ctx);
        ParseImageAttributes(attrs, image, ctx);
        ApplyDeclarations(attrs, style, ctx);
        size_t a = 0;
        HtmlString name;
        while (a < attrs.size()) {
            const size_t at = a;
            ReadAttribute(attrs, a, name);
            if (name.empty()) break;
            if (a <= at) __builtin_trap();
        }
    }

    size_t tablePos = 0;
    for (int guard = 0; FindTag(text, tablePos, u"table") && guard < 64; ++guard) {
        size_t end = tablePos;
        SkipTable(text, end);
        const HtmlString table = text.substr(tablePos, end - tablePos);
        auto [columns, rows] = MeasureTable(table, 0, ctx);
        if (columns > kHtmlMaxTableColumns || rows > kHtmlMaxTableRows) __builtin_trap();
        ForEachRow(table, rows, [&](int, const HtmlString& row) {
            ForEachCell(row, [&](const HtmlString& cellAttrs, const HtmlString&) {
                HtmlStyle cell;
                auto [cs, rs] = ParseTableAttributes(cellAttrs, cell, false, ctx);
                if (cs < 1 || cs > kHtmlMaxSpan || rs < 1 || rs > kHtmlMaxSpan) __builtin_trap();
            });
        });
        tablePos = end + 1;
    }

    HtmlStyleSheet sheet;
    sheet.SetStyleSheet(text.c_str());

    // Wrap the text at a width chosen by the input, one character ten pixels wide.
    HtmlString rest = text;
    const int lineWidth = 10 + (flags >> 3) * 10;
    auto measure = [](const char16_t*, size_t n) { return (int)n * 10; };
    int used = 0;
    for (size_t guard = 0; !rest.empty(); ++guard) {
        if (guard > text.size() * 2 + 2) __builtin_trap();  // every line must consume text
        int width = lineWidth - used;
        const size_t before = rest.size();
        HtmlString line = WrapText(rest, lineWidth, width, measure);
        if (line.empty() && rest.size() == before) {
            if (used == 0) __builtin_trap();  // an empty line takes at least one character
            used = 0;
        } else {
            used = 0;
        }
    }
    return 0;
}
