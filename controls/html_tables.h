// Fixed tables of the HTML drawer: entities, tags and colour names, and the text preparation that uses them.
#pragma once

#include <functional>
#include <map>

#include "controls/html_parser.h"

struct HtmlTagInfo {
    int id = 0;
    HtmlString styleName;
};

namespace html {

void LoadEntities(std::map<HtmlString, HtmlString>& entities);
void LoadTags(std::map<HtmlString, HtmlTagInfo>& tags);
// sysColor answers a system colour index (the drawer passes GetSysColor).
void LoadColors(HtmlColorMap& colors, const std::function<COLORREF(int)>& sysColor);

// Entities in key order, carriage returns removed, line feeds and tabs made tags (or removed).
HtmlString PrepareText(const HtmlString& text, const std::map<HtmlString, HtmlString>& entities,
                       bool escapeSequences);

// Tag id (0 unknown); a leading "/" sets closing and is dropped from the looked-up name.
int GetTagId(const std::map<HtmlString, HtmlTagInfo>& tags, HtmlString name, HtmlString& styleName,
             bool& closing);

}  // namespace html
