// The HTML drawer's line model and inline elements: text runs, style tags, rules, breaks and tab stops.
#include "controls/html_drawer.h"

#include <algorithm>

using namespace html;

namespace {

// Repeated breaks and tabs beyond this only push the text out of any window.
constexpr int kMaxRepeat = 1000;

int RepeatCount(const HtmlString& attrs, const HtmlParseContext& ctx) {
    HtmlString rest = attrs.empty() ? HtmlString() : attrs.substr(1);
    return std::clamp(ParseLength(rest, 1, false, ctx), 0, kMaxRepeat);
}

void Transform(HtmlString& text, int transform) {
    if (transform == 1) {
        for (auto& c : text)
            if (c >= u'a' && c <= u'z') c = c - u'a' + u'A';
    } else if (transform == 2 || transform == 3) {
        text = Lower(text);
        if (transform == 3)
            for (size_t i = 0; i < text.size(); ++i)
                if ((i == 0 || text[i - 1] == u' ') && text[i] >= u'a' && text[i] <= u'z') text[i] = text[i] - u'a' + u'A';
    }
}

}  // namespace

SIZE CHtmlDrawer::DrawHtmlString(const RECT& rect, const HtmlString& runText) {
    Run run;
    run.oneColour = colorsOn_ ? shadowColor_ : fixedColor_;
    run.rect = rect;
    run.W = rect.right - rect.left;
    // Measure and draw must wrap at the same places: both passes wrap at the maximum width, and
    // table cells, whose widths the measure pass does not know yet, do not wrap.
    run.wrapWidth = cellDepth_ ? 0 : maxWidth_;
    run.y = rect.top;
    const int entryLine = lineIndex_;
    const int startY = run.y;
    run.x = BeginLine(run, rect.left);
    run.lineStart = run.x;

    const HtmlString text = u"<body>" + runText + u"</body>";
    size_t pos = 0;
    while (pos < text.size()) {
        HtmlString tag;
        HtmlString plain = ReadText(text, pos, tag);
        HtmlString attrs = SplitTagName(tag);
        if (!plain.empty()) HandleText(run, std::move(plain));
        if (!tag.empty()) HandleTag(run, tag, attrs);
    }
    if (run.lineUsed != 0) {
        line_.justify = 0;
        NewLine(run, 1);
    }
    SetTextJustification(dc_, 0, 0);

    SIZE size{run.widest, run.y - startY};
    if (mode_) {
        for (int i = entryLine; i <= lineIndex_ && i < (int)lines_.size(); ++i) {
            const HtmlLine& l = lines_[i];
            if (l.percentWidth) size.cx = std::max<LONG>(size.cx, SatAdd(l.width, MulDivRound(l.percentWidth, size.cx, 100)));
        }
    }
    return size;
}

void CHtmlDrawer::HandleText(Run& run, HtmlString text) {
    Transform(text, style_.textTransform);
    auto measure = [this](const char16_t* s, size_t n) { return (int)Extent(s, n).cx; };
    while (!text.empty()) {
        SetTextJustification(dc_, 0, 0);
        SIZE extent = Extent(text.data(), text.size());
        const int y = AlignTextVertically(run.y, extent.cy);
        HtmlString piece;
        const int space = run.wrapWidth - run.lineUsed;
        if (run.wrapWidth != 0 && extent.cx > space) {
            int width = space;
            piece = WrapText(text, run.wrapWidth, width, measure);
            extent.cx = width;
        } else {
            piece.swap(text);
        }
        const int pieceWidth = extent.cx;
        if (!mode_ && pieceWidth != 0) {
            HtmlString shown = piece;
            int width = pieceWidth;
            if (run.remainingWidth == pieceWidth && shown.back() == u' ') {
                shown = TrimRightBlanks(shown);
                run.remainingBreaks = CountChar(shown, u' ');
                const int trimmed = (int)Extent(shown.data(), shown.size()).cx;
                run.remainingWidth -= width - trimmed;
                width = trimmed;
            }
            if (line_.align == 3 && line_.justify)
                SetTextJustification(dc_, std::max(0, (int)(run.rect.right - run.x) - run.remainingWidth),
                                     std::max(0, run.remainingBreaks));
            run.remainingWidth -= width;
            SIZE drawn = Extent(shown.data(), shown.size());
            StoreLinkArea(run.x, y, run.x + drawn.cx, y + drawn.cy);
            if (!shown.empty()) TextOutW(dc_, run.x, y, shown.data(), (int)shown.size());
            run.remainingBreaks -= CountChar(shown, u' ');
            if (style_.overline)
                CDrawManager::DrawLine(dc_, run.x, y, run.x + drawn.cx, y, style_.textColor, 1,
                                       style_.fontWeight >= 700 ? 2 : 1);
            run.x += drawn.cx;
        }
        if (mode_) {
            line_.align = style_.horizontalAlign;
            line_.breakCount += CountChar(piece, u' ');
            run.x += pieceWidth;
        }
        run.lineUsed = SatAdd(run.lineUsed, pieceWidth);
        if (!text.empty()) {
            line_.justify = 1;
            NewLine(run, 1);
        }
    }
}

void CHtmlDrawer::HandleTag(Run& run, const HtmlString& name, const HtmlString& attrs) {
    HtmlString styleName;
    bool closing = false;
    const int id = GetTagId(name, styleName, closing);
    style_.styleName = styleName;
    if (id == 0) return;

    if (!styleName.empty()) {
        if (closing) {
            if (StoreRestoreStyle(true)) SelectFont();
            return;
        }
        StoreRestoreStyle(false);
        const HtmlParseContext& ctx = Context();
        size_t pos = 0;
        HtmlString attr;
        switch (id) {
        case 1: style_.fontWeight = std::min(style_.fontWeight * 2, 900); break;
        case 2: style_.italic = !style_.italic; break;
        case 3: style_.underline = !style_.underline; break;
        case 4: style_.strikeOut = !style_.strikeOut; break;
        case 5:
            while (pos < attrs.size()) {
                HtmlString value = ReadAttribute(attrs, pos, attr);
                if (attr.empty()) break;
                if (attr == u"face") {
                    if (!value.empty()) style_.fontFamily = value;
                } else if (attr == u"size") {
                    style_.fontSize = ParseLength(value, style_.fontSize, true, ctx);
                } else if (attr == u"color") {
                    style_.textColor = colorsOn_ ? ParseColor(value, style_.textColor, ctx) : fixedColor_;
                } else if (attr == u"style") {
                    ApplyFontFlags(style_, value);
                } else if (attr == u"weight") {
                    style_.fontWeight = ParseFontWeight(value, style_.fontWeight);
                } else if (attr == u"bkgnd") {
                    if (value == u"transparent" || value.empty() || !colorsOn_) {
                        style_.backgroundKind = 1;
                    } else {
                        style_.backgroundKind = 2;
                        style_.backgroundColor = ParseColor(value, style_.backgroundColor, ctx);
                    }
                }
            }
            break;
        case 9: case 10: case 11: case 12: style_.horizontalAlign = id - 9; break;
        case 13: style_.verticalAlign = 3; break;
        case 14: style_.verticalAlign = 0; break;
        case 15: style_.verticalAlign = 1; break;
        case 16: style_.verticalAlign = 2; break;
        case 21: ApplyStyleByName(styleName, style_); break;
        case 22:
            while (pos < attrs.size()) {
                HtmlString value = ReadAttribute(attrs, pos, attr);
                if (attr.empty()) break;
                if (attr == u"class") ApplyStyleByName(u"." + value, style_);
            }
            break;
        case 23:
            style_.linkKind = 2;
            style_.linkTarget.clear();
            while (pos < attrs.size()) {
                HtmlString value = ReadAttribute(attrs, pos, attr);
                if (attr.empty()) break;
                if (attr == u"href") style_.linkKind = 1, style_.linkTarget = value;
                else if (attr == u"msg") style_.linkKind = 2, style_.linkTarget = value;
            }
            ++linkCounter_;
            ApplyStyleByName(linkCounter_ == hoveredLink_ ? u"a:hover" : u"a:link", style_);
            break;
        default: break;
        }
        SelectFont();
        return;
    }

    switch (id) {
    case 6: HandleRule(run, attrs); break;
    case 7:
        line_.justify = 0;
        NewLine(run, RepeatCount(attrs, Context()));
        break;
    case 8: NextTabStop(run, RepeatCount(attrs, Context())); break;
    case 17:
    case 18: HandleImage(run, id, attrs); break;
    case 19: HandleImageList(run, attrs); break;
    case 20: HandleString(run, attrs); break;
    default: break;
    }
}

void CHtmlDrawer::HandleRule(Run& run, const HtmlString& attrs) {
    HtmlStyle rule = style_;
    rule.borderStyle = 1;
    ApplyStyleByName(u"hr", rule);
    const HtmlParseContext& ctx = Context();
    int width = 100;
    bool percent = true;
    size_t pos = 0;
    HtmlString attr;
    while (pos < attrs.size()) {
        HtmlString value = ReadAttribute(attrs, pos, attr);
        if (attr.empty()) break;
        if (attr == u"width") {
            width = ParseLength(value, 100, false, ctx);
            percent = EndsWithPercent(value);
        } else if (attr == u"size") {
            rule.ruleThickness = ParseLength(value, rule.ruleThickness, false, ctx);
        } else if (attr == u"color") {
            rule.borderColorLight = colorsOn_ ? ParseColor(value, rule.borderColorLight, ctx) : fixedColor_;
        }
    }
    const int thickness = std::clamp(rule.ruleThickness, 0, kHtmlMaxPenWidth);
    const int counted = percent ? 1 : width;
    int advance = counted;
    if (mode_) {
        line_.align = style_.horizontalAlign;
        line_.height = std::max(line_.height, thickness + 8);
        if (percent) line_.percentWidth = SatAdd(line_.percentWidth, width);
    } else {
        if (percent) advance = MulDivRound(run.W, width, 100);
        const int mid = run.y + line_.height / 2;
        CDrawManager::DrawLine(dc_, run.x, mid, run.x + advance, mid, rule.borderColorLight, 1, thickness);
    }
    run.x = SatAdd(run.x, advance);
    run.lineUsed = SatAdd(run.lineUsed, counted);
}

int CHtmlDrawer::BeginLine(Run& run, int x) {
    run.lineUsed = 0;
    if (mode_) {
        line_.align = style_.horizontalAlign;
        line_.height = line_.descent = line_.percentWidth = line_.width = line_.breakCount = 0;
        if ((int)lines_.size() <= lineIndex_) lines_.resize(lineIndex_ + 1);
        lines_[lineIndex_] = line_;
        return x;
    }
    // A draw pass reads back what the measure pass stored, and nothing past it.
    line_ = lineIndex_ >= 0 && lineIndex_ < (int)lines_.size() ? lines_[lineIndex_] : HtmlLine{};
    if (line_.percentWidth) line_.width = SatAdd(line_.width, MulDivRound(run.W, line_.percentWidth, 100));
    run.remainingWidth = line_.width;
    run.remainingBreaks = line_.breakCount;
    if (line_.align == 3 && line_.justify)
        SetTextJustification(dc_, std::max(0, run.W - line_.width), std::max(0, line_.breakCount));
    else
        SetTextJustification(dc_, 0, 0);
    if (line_.align == 1) return run.rect.left + (run.W - line_.width) / 2;
    if (line_.align == 2) return run.rect.right - line_.width;
    return x;
}

void CHtmlDrawer::NewLine(Run& run, int count) {
    if (mode_) {
        if (line_.height == 0) line_.height = tm_.tmHeight;
        run.widest = std::max(run.widest, run.lineUsed);
        line_.width = run.lineUsed;
        line_.height = SatAdd(line_.height, line_.descent);
        if ((int)lines_.size() <= lineIndex_) lines_.resize(lineIndex_ + 1);
        lines_[lineIndex_] = line_;
    } else {
        run.widest = std::max(run.widest, run.x - run.lineStart);
    }
    run.y = SatAdd(run.y, SatMul(line_.height, std::max(count, 1)));
    ++lineIndex_;
    run.x = BeginLine(run, run.rect.left);
    run.lineStart = run.x;
}

void CHtmlDrawer::NextTabStop(Run& run, int count) {
    if (count == 0) count = 1;
    const int tab = tabSize_ > 0 ? tabSize_ : 32;
    const int offset = run.lineUsed % tab;
    const int advance = offset ? (tab - offset) + (count - 1) * tab : count * tab;
    run.x = SatAdd(run.x, advance);
    run.lineUsed = SatAdd(run.lineUsed, advance);
}

int CHtmlDrawer::AlignTextVertically(int y, int height) {
    if (mode_) {
        line_.descent = std::max<int>(line_.descent, height - tm_.tmAscent);
        line_.height = std::max<int>(line_.height, tm_.tmAscent);
        return y;
    }
    const int H = line_.height, D = line_.descent;
    switch (style_.verticalAlign) {
    case 0: return y;
    case 1: return y + (H - tm_.tmHeight) / 2;
    case 2: return y + H - tm_.tmAscent;
    default: return y + H - tm_.tmAscent - D;
    }
}

int CHtmlDrawer::AlignObjectVertically(int y, int height) {
    if (mode_) {
        line_.height = std::max(line_.height, height);
        return y;
    }
    const int H = line_.height, D = line_.descent;
    switch (style_.verticalAlign) {
    case 0: return y;
    case 1: return y + (H - height) / 2;
    case 2: return y + H - height;
    default: return y + H - D - height;
    }
}
