// The HTML drawer's construction, settings and the pass over a whole text with its tables.
#include "controls/html_drawer.h"

#include <algorithm>

using namespace html;

namespace {

// Font heights past this would only make the font engine render enormous glyphs.
constexpr int kMaxFontHeight = 1000;

}  // namespace

CHtmlDrawer::CHtmlDrawer() {
    LoadTags(tags_);
    LoadEntities(entities_);
    LoadColors(colorNames_, [](int index) { return (COLORREF)GetSysColor(index); });
    SetDefaultCursor();
    escapeSequences_ = TRUE;
    maxWidth_ = 0;
    SetImageShadow(4, 4, 50, TRUE, 7, 7);
    tabSize_ = 32;
    sheet_.SetStyleSheet(nullptr);
    colorsOn_ = TRUE;
    fixedColor_ = GetSysColor(COLOR_BTNSHADOW);
}

CHtmlDrawer::~CHtmlDrawer() {
    SetImageList(nullptr);
    SetResourceDll(nullptr);
    ReleaseLinkCursor();
    if (font_) DeleteObject(font_);
}

void CHtmlDrawer::SetResourceDll(HMODULE module) {
    if (resourceModule_ && !resourceModuleOwned_) return;
    if (resourceModule_ && resourceModuleOwned_) FreeLibrary(resourceModule_);
    resourceModule_ = nullptr;
    resourceModuleOwned_ = FALSE;
    if (module) resourceModule_ = module;
}

void CHtmlDrawer::SetImageList(HIMAGELIST list) {
    if (imageList_ == list) return;
    if (imageList_) ImageList_Destroy(imageList_);
    imageList_ = list;
    imageListCx_ = imageListCy_ = 0;
    if (list && !ImageList_GetIconSize(list, &imageListCx_, &imageListCy_)) imageListCx_ = imageListCy_ = 0;
}

void CHtmlDrawer::SetImageShadow(int dx, int dy, BYTE darkness, BOOL blurred, int blurWidth, int blurHeight) {
    shadowDx_ = dx;
    shadowDy_ = dy;
    shadowBlurred_ = blurred;
    blurWidth_ = blurWidth;
    blurHeight_ = blurHeight;
    darkness_ = std::min<int>(darkness, 100);
    const int grey = MulDivRound(255, 100 - darkness_, 100);
    shadowColor_ = RGB(grey, grey, grey);
}

int CHtmlDrawer::GetTagId(const HtmlString& name, HtmlString& styleName, bool& closing) const {
    return html::GetTagId(tags_, name, styleName, closing);
}

COLORREF CHtmlDrawer::GetColorByName(const HtmlString& name, COLORREF def) const {
    HtmlParseContext ctx;
    ctx.colors = &colorNames_;
    ctx.colorsOn = colorsOn_;
    ctx.fixedColor = fixedColor_;
    return html::GetColorByName(name, def, ctx);
}

const HtmlParseContext& CHtmlDrawer::Context() {
    context_.colors = &colorNames_;
    context_.colorsOn = colorsOn_ != 0;
    context_.fixedColor = fixedColor_;
    context_.emHeight = tm_.tmHeight;
    context_.logPixelsY = dc_ ? GetDeviceCaps(dc_, LOGPIXELSY) : 96;
    context_.exHeight = [this] { return Extent(u"x", 1).cy; };
    context_.shadowDx = shadowDx_;
    context_.shadowDy = shadowDy_;
    context_.shadowBlurred = shadowBlurred_ != 0;
    return context_;
}

SIZE CHtmlDrawer::Extent(const char16_t* text, size_t length) const {
    SIZE size{0, 0};
    if (dc_ && length) GetTextExtentPoint32W(dc_, text, (int)std::min<size_t>(length, 0x7FFFFFFF), &size);
    return size;
}

// ---- passes ----

void CHtmlDrawer::PrepareOutput(HDC dc, LPCWSTR text, SIZE* size) {
    dc_ = dc;
    SetTextJustification(dc, 0, 0);
    text_ = PrepareText(text ? HtmlString(text) : HtmlString(), entities_, escapeSequences_ != 0);
    SIZE measured{0, 0};
    if (!text_.empty()) {
        mode_ = 1;
        for (auto& t : tables_) t.ClearTable();
        tables_.clear();
        DrawHtml(&measured, RECT{0, 0, maxWidth_, 0});
        if (measured.cx == 0 && measured.cy == 0) text_.clear();
        if (maxWidth_ != 0) measured.cx = std::min<LONG>(measured.cx, maxWidth_);
        measured.cx += 1;
        measured.cy += 1;
    }
    if (size) *size = measured;
}

void CHtmlDrawer::DrawPreparedOutput(HDC dc, const RECT* rect) {
    if (text_.empty() || !rect) return;
    mode_ = 0;
    dc_ = dc;
    SIZE size;
    DrawHtml(&size, *rect);
}

void CHtmlDrawer::DrawHtml(SIZE* size, const RECT& rect) {
    if (mode_) {
        lines_.clear();
        animations_.clear();
    }
    linkAreas_.clear();
    lineIndex_ = 0;
    tableIndex_ = -1;
    linkCounter_ = -1;
    animationCounter_ = -1;
    cellDepth_ = 0;
    styleStack_.clear();
    rect_ = rect;

    ResetStyle(style_);
    ApplyStyleByName(u"body", style_);
    logFont_ = LOGFONTW{};
    logFont_.lfHeight = std::clamp(style_.fontSize, -kMaxFontHeight, kMaxFontHeight);
    logFont_.lfWeight = std::clamp(style_.fontWeight, 0, 1000);
    logFont_.lfItalic = (BYTE)(style_.italic != 0);
    logFont_.lfUnderline = (BYTE)(style_.underline != 0);
    logFont_.lfStrikeOut = (BYTE)(style_.strikeOut != 0);
    logFont_.lfCharSet = DEFAULT_CHARSET;
    HtmlString face = style_.fontFamily.substr(0, LF_FACESIZE - 1);
    std::copy(face.begin(), face.end(), logFont_.lfFaceName);
    font_ = CreateFontIndirectW(&logFont_);
    savedFont_ = SelectObject(dc_, font_ ? (HGDIOBJ)font_ : GetStockObject(DEFAULT_GUI_FONT));
    savedBkMode_ = SetBkMode(dc_, style_.backgroundKind);
    savedTextColor_ = SetTextColor(dc_, style_.textColor);
    savedBkColor_ = SetBkColor(dc_, style_.backgroundColor);
    GetTextMetricsW(dc_, &tm_);

    SIZE total{0, 0};
    RECT current = rect;
    size_t pos = 0;
    while (pos < text_.size()) {
        size_t tablePos = pos;
        const bool hasTable = FindTag(text_, tablePos, u"table");
        if (tablePos > pos) {
            SIZE s = DrawHtmlString(current, text_.substr(pos, tablePos - pos));
            total.cx = std::max(total.cx, s.cx);
            total.cy = SatAdd(total.cy, s.cy);
            if (!mode_) current.top = SatAdd(current.top, s.cy);
        }
        if (!hasTable) break;
        size_t end = tablePos;
        SkipTable(text_, end);
        SIZE s = DrawHtmlTable(current, text_.substr(tablePos, end - tablePos));
        total.cx = std::max(total.cx, s.cx);
        total.cy = SatAdd(total.cy, s.cy);
        if (!mode_) current.top = SatAdd(current.top, s.cy);
        // The position stays at the "</table", whose tag the next run ignores.
        pos = end;
    }

    SetBkMode(dc_, savedBkMode_);
    SetBkColor(dc_, savedBkColor_);
    SetTextColor(dc_, savedTextColor_);
    SelectObject(dc_, savedFont_);
    styleStack_.clear();
    if (font_) DeleteObject(font_);
    font_ = nullptr;
    if (size) *size = total;
}

void CHtmlDrawer::SelectFont() {
    SelectObject(dc_, savedFont_);
    if (font_) DeleteObject(font_);
    logFont_.lfHeight = std::clamp(style_.fontSize, -kMaxFontHeight, kMaxFontHeight);
    logFont_.lfWeight = std::clamp(style_.fontWeight, 0, 1000);
    logFont_.lfItalic = (BYTE)(style_.italic != 0);
    logFont_.lfUnderline = (BYTE)(style_.underline != 0);
    logFont_.lfStrikeOut = (BYTE)(style_.strikeOut != 0);
    std::fill(std::begin(logFont_.lfFaceName), std::end(logFont_.lfFaceName), 0);
    HtmlString face = style_.fontFamily.substr(0, LF_FACESIZE - 1);
    std::copy(face.begin(), face.end(), logFont_.lfFaceName);
    font_ = CreateFontIndirectW(&logFont_);
    if (font_) SelectObject(dc_, font_);
    GetTextMetricsW(dc_, &tm_);
    SetBkMode(dc_, style_.backgroundKind);
    SetTextColor(dc_, style_.textColor);
    SetBkColor(dc_, style_.backgroundColor);
}

void CHtmlDrawer::ApplyStyleByName(const HtmlString& selector, HtmlStyle& style) {
    if (const HtmlString* declarations = sheet_.GetStyle(selector)) ApplyDeclarations(*declarations, style, Context());
}

bool CHtmlDrawer::StoreRestoreStyle(bool closing) {
    if (!closing) {
        styleStack_.push_back(style_);
        return true;
    }
    bool restored = false;
    if (!styleStack_.empty() && styleStack_.back().styleName == style_.styleName) {
        style_ = std::move(styleStack_.back());
        styleStack_.pop_back();
        restored = true;
    }
    style_.styleName.clear();
    return restored;
}

void CHtmlDrawer::StoreLinkArea(int left, int top, int right, int bottom) {
    if (style_.linkKind == 0) return;
    HtmlLinkArea area;
    area.rect = RECT{left, top, right, bottom};
    area.kind = style_.linkKind;
    area.linkIndex = linkCounter_;
    area.target = style_.linkTarget;
    linkAreas_.push_back(std::move(area));
}
