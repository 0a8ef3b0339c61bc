// The element builder: prepared page text into text runs, images, breaks, boxes, tables, lists and form controls.
#include <algorithm>

#include "preview/html/html_document.h"

namespace {

enum Tag {
    kBr, kI, kIEnd, kB, kBEnd, kStrong, kStrongEnd, kU, kUEnd, kA, kAEnd, kSmall, kSmallEnd, kBig, kBigEnd,
    kCenter, kCenterEnd, kP, kFont, kFontEnd, kImg, kH1, kH1End, kDiv, kDivEnd, kHr, kTable, kTableEnd, kTr,
    kTrEnd, kTd, kTdEnd, kH2, kH2End, kH3, kH3End, kPre, kPreEnd, kInput, kUl, kOl, kLi, kUlEnd, kOlEnd, kSub,
    kSubEnd, kSup, kSupEnd, kStrike, kStrikeEnd, kSelect, kSelectEnd, kOption, kTextarea, kTextareaEnd, kTh,
    kThEnd, kForm, kFormEnd, kBlockquote, kBlockquoteEnd, kPEnd,
};

const uint32_t kLinkBlue = 0xFF0000;  // RGB(0, 0, 255)
const uint32_t kSilver = 0xC0C0C0;
const uint32_t kWhite = 0xFFFFFF;

int Clamp(long long v, int lo, int hi) { return int(std::min<long long>(std::max<long long>(v, lo), hi)); }

HtmlText Face(HtmlView face)
{
    size_t comma = face.find(u',');
    if (comma != HtmlView::npos)
        face = face.substr(0, comma);
    return HtmlText(face.substr(0, kMaxFaceLength));
}

// A width or height attribute: a percentage is kept negative.
int Dimension(const HtmlText* value)
{
    if (!value || value->empty())
        return 0;
    long long n = ParseNumber(*value);
    if (value->find(u'%') != HtmlText::npos)
        return -Clamp(n, 0, 100);
    return Clamp(n, 0, kMaxLength);
}

int Align(const HtmlText* value, int fallback)
{
    if (!value)
        return fallback;
    if (EqualsNoCase(*value, u"left"))
        return 0;
    if (EqualsNoCase(*value, u"right"))
        return 1;
    if (EqualsNoCase(*value, u"center") || EqualsNoCase(*value, u"middle"))
        return 2;
    if (EqualsNoCase(*value, u"justify"))
        return 3;
    return fallback;
}

struct Style {
    HtmlText face;
    int size = 15;
    uint32_t color = 0;
    int bold = 0, italic = 0, underline = 0, centred = 0, link = -1, sub = 0, sup = 0, strike = 0;
    int align = 0;
    bool pre = false;
};

// Finds the end of a block that opens at `from` (just after its opening tag): the matching close
// tag, with inner blocks of the same kind counted. Returns {content end, position after the end tag}.
template <class TagAt>
std::pair<size_t, size_t> FindBlockEndWith(const TagAt& tagAt, HtmlView text, size_t from,
                                           std::initializer_list<HtmlView> opens,
                                           std::initializer_list<HtmlView> closes)
{
    int nesting = 0;
    for (size_t i = text.find(u'<', from); i != HtmlView::npos; i = text.find(u'<', i + 1)) {
        int tag = tagAt(text, i);
        if (tag < 0)
            continue;
        HtmlView name = kKnownTags[tag];
        if (std::find(opens.begin(), opens.end(), name) != opens.end()) {
            ++nesting;
        } else if (std::find(closes.begin(), closes.end(), name) != closes.end()) {
            if (nesting == 0) {
                size_t gt = text.find(u'>', i);
                return {i, gt == HtmlView::npos ? text.size() : gt + 1};
            }
            --nesting;
        }
    }
    return {text.size(), text.size()};
}

class Builder {
public:
    Builder(HtmlDocument& doc, HtmlView base, bool fixedPitch, HtmlView whole)
        : m_doc(doc), m_base(base), m_fixed(fixedPitch), m_whole(whole), m_tags(whole.size(), -2)
    {
    }

    void Parse(HtmlView text, HtmlElements& out, Style style, int depth);

    Style m_param;

private:
    // Tag lookups are cached over the whole page: nested blocks scan the same text at every level.
    int TagAt(HtmlView text, size_t i)
    {
        size_t at = size_t(text.data() - m_whole.data()) + i;
        if (text.data() < m_whole.data() || at >= m_tags.size())
            return KnownTagAt(text, i);
        if (m_tags[at] == -2)
            m_tags[at] = int8_t(KnownTagAt(text, i));
        return m_tags[at];
    }
    std::pair<size_t, size_t> FindBlockEnd(HtmlView text, size_t from, std::initializer_list<HtmlView> opens,
                                           std::initializer_list<HtmlView> closes)
    {
        return FindBlockEndWith([this](HtmlView t, size_t i) { return TagAt(t, i); }, text, from, opens, closes);
    }

    HtmlElement& Add(HtmlElements& out, int kind)
    {
        out.push_back(std::make_unique<HtmlElement>());
        HtmlElement& e = *out.back();
        e.kind = kind;
        e.fixedPitch = m_fixed;
        ++m_doc.m_nItems;
        return e;
    }
    HtmlElement& AddText(HtmlElements& out, const Style& s, HtmlView text);
    void AddBreak(HtmlElements& out, int height = 0, bool rule = false)
    {
        HtmlElement& e = Add(out, kHtmlBreak);
        e.height = height;
        e.rule = rule;
        if (rule) {
            e.frameSides = 15;
            e.frameWidth = 1;
        }
    }
    void BlankAndBreak(HtmlElements& out, const Style& s)
    {
        AddText(out, s, u" ");
        AddBreak(out);
    }
    HtmlElement& AddBox(HtmlElements& out, int align)
    {
        HtmlElement& e = Add(out, kHtmlBox);
        e.align = align;
        return e;
    }
    void AddImage(HtmlElements& out, const Style& s, const HtmlAttributes& a, int link);
    void AddTable(HtmlView content, HtmlElements& out, const HtmlAttributes& a, const Style& s, int depth);
    void AddList(HtmlView content, HtmlElements& out, bool ordered, const Style& s, int depth);
    void AddInput(HtmlElements& out, const HtmlAttributes& a, const Style& s);
    HtmlElement& AddControlElement(HtmlElements& out, const Style& s, HtmlView measureOn, uint32_t back);
    int CanAddControl() { return m_doc.m_nControls < kMaxControlsPerPage; }
    int LinkIndex(const HtmlText& address)
    {
        for (size_t i = 0; i < m_doc.m_links.size(); ++i)
            if (EqualsNoCase(m_doc.m_links[i], address))
                return int(i);
        m_doc.m_links.push_back(address);
        return int(m_doc.m_links.size() - 1);
    }

    HtmlDocument& m_doc;
    HtmlView m_base;
    bool m_fixed;
    HtmlView m_whole;
    std::vector<int8_t> m_tags;
    int m_form = -1;
    int m_listDepth = 0;
    bool m_wordSinceBreak = false;
};

HtmlElement& Builder::AddText(HtmlElements& out, const Style& s, HtmlView text)
{
    HtmlElement& e = Add(out, kHtmlText);
    e.text = HtmlText(text);
    DecodeUtf8Pairs(DecodeEntities(e.text));
    e.face = s.face;
    e.bold = s.bold;
    e.italic = s.italic;
    e.fontSize = s.sub ? s.size * 2 / 3 : s.size;
    e.fontSize = std::max(e.fontSize, kMinFontSize);
    e.textColor = s.link >= 0 ? kLinkBlue : s.color;
    e.align = s.centred ? 2 : s.align;
    e.linkIndex = s.link;
    if (s.link >= 0 || s.underline) {
        e.frameSides = 8;
        e.frameWidth = 1;
        e.frameColor = s.link >= 0 ? int32_t(kLinkBlue) : 0;
    }
    if (s.strike) {
        e.frameSides |= 16;
        e.frameWidth = 1;
    }
    if (m_doc.m_pOwner)
        m_doc.m_pOwner->MeasureText(e.face, e.fontSize, e.bold, e.italic, e.text, e.width, e.height);
    if (s.sup)
        e.drawSize = std::max(1, e.fontSize * 2 / 3);
    return e;
}

void Builder::AddImage(HtmlElements& out, const Style& /*s*/, const HtmlAttributes& a, int link)
{
    HtmlElement& e = Add(out, kHtmlImage);
    e.linkIndex = link;
    e.widthWish = Dimension(FindAttribute(a, u"width"));
    e.heightWish = Dimension(FindAttribute(a, u"height"));
    const HtmlText* border = FindAttribute(a, u"border");
    int b = border ? Clamp(ParseNumber(*border), 0, 100) : 0;
    if (b) {
        e.frameSides = 15;
        e.frameWidth = b;
    }
    const HtmlText* src = FindAttribute(a, u"src");
    if (src && !src->empty() && m_doc.m_nImages < kMaxImagesPerPage && m_doc.m_pOwner) {
        HtmlText address = ResolveUrl(*src, m_base);
        if (!address.empty()) {
            e.imageIndex = m_doc.m_pOwner->AddImage(address, 0);
            ++m_doc.m_nImages;
        }
    }
}

HtmlElement& Builder::AddControlElement(HtmlElements& out, const Style& s, HtmlView measureOn, uint32_t back)
{
    Style cs = s;
    cs.face = u"MS Sans serif";
    cs.size = 15;
    cs.link = -1;
    cs.underline = cs.strike = cs.sub = cs.sup = 0;
    HtmlElement& e = AddText(out, cs, measureOn);
    e.frameSides = 15;
    e.frameWidth = 2;
    e.frameColor = -1;
    e.backColor = int32_t(back);
    e.width += 8;
    e.height += 4;
    ++m_doc.m_nControls;
    return e;
}

void Builder::AddInput(HtmlElements& out, const HtmlAttributes& a, const Style& s)
{
    auto value = [&](HtmlView name) {
        const HtmlText* v = FindAttribute(a, name);
        HtmlText t = v ? *v : HtmlText();
        return DecodeUtf8Pairs(DecodeEntities(t));
    };
    HtmlText type = value(u"type"), name = value(u"name"), text = value(u"value");
    IHtmlOwner* owner = m_doc.m_pOwner;
    if (EqualsNoCase(type, u"hidden"))
        return;
    if (EqualsNoCase(type, u"image")) {
        AddImage(out, s, a, LinkIndex(u"Submit(" + [&] {
                               std::string n = std::to_string(m_form);
                               return HtmlText(n.begin(), n.end());
                           }() + u")"));
        return;
    }
    if (!CanAddControl()) {
        if (!text.empty())
            AddText(out, s, text);
        return;
    }
    if (EqualsNoCase(type, u"button") || EqualsNoCase(type, u"submit")) {
        HtmlElement& e = AddControlElement(out, s, text.empty() ? HtmlView(u" ") : HtmlView(text), kSilver);
        if (owner)
            e.control = owner->CreatePushButton(e.width, e.height, text, name, m_form);
    } else if (EqualsNoCase(type, u"radio") || EqualsNoCase(type, u"checkbox")) {
        HtmlElement& e = AddControlElement(out, s, u"    ", kWhite);
        if (owner)
            e.control = EqualsNoCase(type, u"radio") ? owner->CreateRadioButton(e.width, e.height, text, name, m_form)
                                                     : owner->CreateCheckBox(e.width, e.height, text, name, m_form);
    } else {
        const HtmlText* size = FindAttribute(a, u"size");
        int chars = size && !size->empty() ? Clamp(ParseNumber(*size), 1, kMaxFieldChars) : 10;
        HtmlElement& e = AddControlElement(out, s, HtmlText(size_t(chars), u'0'), kWhite);
        e.text = text;
        const HtmlText* maxLength = FindAttribute(a, u"maxlength");
        int limit = maxLength ? Clamp(ParseNumber(*maxLength), 0, kMaxFieldChars) : 0;
        if (owner)
            e.control = owner->CreateEditControl(maxLength != nullptr, limit, e.width, e.height, text, false, name,
                                                 m_form, EqualsNoCase(type, u"password"));
    }
}

void Builder::AddTable(HtmlView content, HtmlElements& out, const HtmlAttributes& a, const Style& s, int depth)
{
    HtmlElement& table = AddBox(out, s.centred ? 2 : Align(FindAttribute(a, u"align"), 0));
    table.blockKind = kBlockTable;
    if (const HtmlText* v = FindAttribute(a, u"bgcolor"))
        table.backColor = int32_t(ParseColor(*v));
    if (const HtmlText* v = FindAttribute(a, u"bordercolor"))
        table.borderColor = ParseColor(*v);
    table.widthWish = Dimension(FindAttribute(a, u"width"));
    table.heightWish = Dimension(FindAttribute(a, u"height"));
    const HtmlText* v = FindAttribute(a, u"border");
    table.border = v ? Clamp(v->empty() ? 1 : ParseNumber(*v), 0, 100) : 0;
    v = FindAttribute(a, u"cellpadding");
    table.padding = v ? Clamp(ParseNumber(*v), 0, 1000) : 1;
    v = FindAttribute(a, u"cellspacing");
    table.spacing = v ? Clamp(ParseNumber(*v), 0, 1000) : 2;
    if (table.border) {
        table.frameSides = 15;
        table.frameWidth = std::min(table.border, 100);
        table.frameColor = -2;
    }
    v = FindAttribute(a, u"background");
    if (v && !v->empty() && m_doc.m_pOwner && m_doc.m_nImages < kMaxImagesPerPage) {
        HtmlText address = ResolveUrl(*v, m_base);
        if (!address.empty()) {
            table.backImageIndex = m_doc.m_pOwner->AddImage(address, 1);
            ++m_doc.m_nImages;
        }
    }

    // Walk the rows and cells of this table; inner tables are passed over whole.
    int row = -1, rowAlign = 0;
    int32_t rowBack = -1;
    size_t i = 0;
    while ((i = content.find(u'<', i)) != HtmlView::npos) {
        int tag = TagAt(content, i);
        if (tag == kTable) {
            i = FindBlockEnd(content, i + 1, {u"<table"}, {u"</table"}).second;
            continue;
        }
        if (tag == kForm) {
            HtmlAttributes fa;
            ParseAttributes(content.substr(i), fa);
            const HtmlText* action = FindAttribute(fa, u"action");
            const HtmlText* method = FindAttribute(fa, u"method");
            if (m_doc.m_pOwner)
                m_form = m_doc.m_pOwner->AddForm(action ? ResolveUrl(*action, m_base) : HtmlText(),
                                                 method ? *method : HtmlText(u"get"));
        }
        if (tag == kTr) {
            HtmlAttributes ra;
            ParseAttributes(content.substr(i), ra);
            ++row;
            rowBack = -1;
            if (const HtmlText* c = FindAttribute(ra, u"bgcolor"))
                rowBack = int32_t(ParseColor(*c));
            rowAlign = Align(FindAttribute(ra, u"align"), 0);
        }
        if (tag != kTd && tag != kTh) {
            ++i;
            continue;
        }
        if (row < 0)
            row = 0;
        HtmlAttributes ca;
        ParseAttributes(content.substr(i), ca);
        size_t gt = content.find(u'>', i);
        size_t start = gt == HtmlView::npos ? content.size() : gt + 1;
        // The cell runs to the next cell, row or table end of this table.
        size_t end = start;
        int inner = 0;
        for (end = content.find(u'<', start); end != HtmlView::npos; end = content.find(u'<', end + 1)) {
            int t = TagAt(content, end);
            if (t == kTable)
                ++inner;
            else if (t == kTableEnd && inner > 0)
                --inner;
            else if (inner == 0 && (t == kTd || t == kTh || t == kTr || t == kTdEnd || t == kThEnd ||
                                    t == kTrEnd || t == kTableEnd))
                break;
        }
        if (end == HtmlView::npos)
            end = content.size();
        HtmlElement& cell = AddBox(table.children, Align(FindAttribute(ca, u"align"), tag == kTh ? 2 : rowAlign));
        cell.blockKind = kBlockCell;
        cell.row = row;
        cell.padding = table.padding;
        cell.spacing = table.spacing;
        cell.backColor = rowBack;
        if (const HtmlText* c = FindAttribute(ca, u"bgcolor"))
            cell.backColor = int32_t(ParseColor(*c));
        const HtmlText* span = FindAttribute(ca, u"colspan");
        cell.colSpan = span ? Clamp(ParseNumber(*span), 1, kMaxSpan) : 1;
        span = FindAttribute(ca, u"rowspan");
        cell.rowSpan = span ? Clamp(ParseNumber(*span), 1, kMaxSpan) : 1;
        cell.widthWish = Dimension(FindAttribute(ca, u"width"));
        cell.heightWish = Dimension(FindAttribute(ca, u"height"));
        const HtmlText* va = FindAttribute(ca, u"valign");
        cell.valign = !va ? 0 : EqualsNoCase(*va, u"bottom") ? 1 : (EqualsNoCase(*va, u"center") || EqualsNoCase(*va, u"middle")) ? 2 : 0;
        cell.noWrap = FindAttribute(ca, u"nowrap") || FindAttribute(ca, u"nobreak");
        if (table.border) {
            cell.frameSides = 15;
            cell.frameWidth = 1;
            cell.frameColor = -1;
        }
        const HtmlText* bg = FindAttribute(ca, u"background");
        if (bg && !bg->empty() && m_doc.m_pOwner && m_doc.m_nImages < kMaxImagesPerPage) {
            HtmlText address = ResolveUrl(*bg, m_base);
            if (!address.empty()) {
                cell.backImageIndex = m_doc.m_pOwner->AddImage(address, 1);
                ++m_doc.m_nImages;
            }
        }
        Style cs = s;
        cs.centred = 0;
        cs.align = cell.align;
        if (tag == kTh)
            cs.bold = 1;
        m_wordSinceBreak = false;
        Parse(content.substr(start, end - start), cell.children, cs, depth + 1);
        i = end;
    }
}

void Builder::AddList(HtmlView content, HtmlElements& out, bool ordered, const Style& s, int depth)
{
    HtmlElement& table = AddBox(out, 0);
    table.blockKind = kBlockTable;
    table.spacing = 0;
    ++m_listDepth;
    int number = 0;
    size_t i = 0;
    while ((i = content.find(u'<', i)) != HtmlView::npos) {
        int tag = TagAt(content, i);
        if (tag == kUl || tag == kOl || tag == kTable) {
            i = FindBlockEnd(content, i + 1, {u"<ul", u"<ol", u"<table"}, {u"</ul", u"</ol", u"</table"}).second;
            continue;
        }
        if (tag != kLi) {
            ++i;
            continue;
        }
        size_t gt = content.find(u'>', i);
        size_t start = gt == HtmlView::npos ? content.size() : gt + 1;
        size_t end = start;
        for (end = content.find(u'<', start); end != HtmlView::npos; end = content.find(u'<', end + 1)) {
            int t = TagAt(content, end);
            if (t == kLi)
                break;
            if (t == kUl || t == kOl || t == kTable) {
                size_t after =
                    FindBlockEnd(content, end + 1, {u"<ul", u"<ol", u"<table"}, {u"</ul", u"</ol", u"</table"})
                        .second;
                end = after == 0 ? end : after - 1;
            }
        }
        if (end == HtmlView::npos)
            end = content.size();
        for (int col = 0; col < 2; ++col) {
            HtmlElement& cell = AddBox(table.children, 0);
            cell.blockKind = kBlockCell;
            cell.row = number;
            cell.column = col;
            cell.padding = 2;
            Style cs = s;
            cs.centred = 0;
            cs.align = 0;
            cs.link = -1;
            if (col == 0) {
                HtmlText marker;
                if (ordered) {
                    std::string n = std::to_string(number + 1);
                    marker = u"   " + HtmlText(n.begin(), n.end()) + u".    ";
                } else {
                    cs.face = u"Wingdings";
                    marker = (m_listDepth - 1) % 2 == 0 ? u" l " : u" m ";
                }
                AddText(cell.children, cs, marker);
            } else {
                m_wordSinceBreak = false;
                Parse(content.substr(start, end - start), cell.children, cs, depth + 1);
            }
        }
        ++number;
        i = end;
    }
    --m_listDepth;
}

void Builder::Parse(HtmlView text, HtmlElements& out, Style s, int depth)
{
    size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    IHtmlOwner* owner = m_doc.m_pOwner;
    m_doc.m_nLevel = std::max(m_doc.m_nLevel, depth);
    bool deep = depth >= kMaxNestingDepth;
    size_t lastProgress = 0;
    while (i < text.size()) {
        if (owner && depth == 0 && i - lastProgress > 65536) {
            owner->OnProgress(0, int(i), int(text.size()));
            lastProgress = i;
        }
        char16_t c = text[i];
        if (c == u'<') {
            int tag = TagAt(text, i);
            HtmlView rest = text.substr(i);
            size_t gt = text.find(u'>', i);
            size_t after = gt == HtmlView::npos ? text.size() : gt + 1;
            if (tag < 0) {
                // A "<" that the preparation pass kept as text (an unprepared page in tests).
                AddText(out, s, u"<");
                m_wordSinceBreak = true;
                ++i;
                continue;
            }
            HtmlAttributes a;
            ParseAttributes(rest, a);
            bool attrs = rest.size() > std::char_traits<char16_t>::length(kKnownTags[tag]) &&
                         rest[std::char_traits<char16_t>::length(kKnownTags[tag])] == u' ';
            auto lineBreak = [&] {
                BlankAndBreak(out, s);
                m_wordSinceBreak = false;
            };
            switch (tag) {
            case kI: s.italic = 1; break;
            case kIEnd: s.italic = 0; break;
            case kB: case kStrong: s.bold = 1; break;
            case kBEnd: case kStrongEnd: s.bold = 0; break;
            case kU: s.underline = 1; break;
            case kUEnd: s.underline = 0; break;
            case kA: {
                const HtmlText* href = FindAttribute(a, u"href");
                if (href) {
                    HtmlText address = ResolveUrl(*href, m_base);
                    if (!address.empty())
                        s.link = LinkIndex(address);
                }
                break;
            }
            case kAEnd: s.link = -1; break;
            case kSmall: s.size = std::max(kMinFontSize, s.size - s.size / 3); break;
            case kBig: s.size = std::min(kMaxFontSize, s.size + s.size / 3); break;
            case kSmallEnd: case kBigEnd: s.size = m_param.size; break;
            case kFont: {
                if (const HtmlText* f = FindAttribute(a, u"face"))
                    s.face = Face(*f);
                if (const HtmlText* col = FindAttribute(a, u"color"))
                    s.color = ParseColor(*col);
                if (const HtmlText* sz = FindAttribute(a, u"size"); sz && !sz->empty()) {
                    long long n = ParseNumber(*sz);
                    long long size = ((*sz)[0] == u'+' || (*sz)[0] == u'-') ? s.size + n : 4 * n + 8;
                    s.size = Clamp(size, kMinFontSize, kMaxFontSize);
                }
                break;
            }
            case kFontEnd:
                s.face = m_param.face;
                s.size = m_param.size;
                s.color = m_param.color;
                break;
            case kSub: s.sub = 1; break;
            case kSubEnd: s.sub = 0; break;
            case kSup: s.sup = 1; break;
            case kSupEnd: s.sup = 0; break;
            case kStrike: s.strike = 1; break;
            case kStrikeEnd: s.strike = 0; break;
            case kCenter: lineBreak(); s.centred = 1; break;
            case kCenterEnd: lineBreak(); s.centred = 0; break;
            case kH1: case kH2: case kH3:
                lineBreak();
                s.bold = 1;
                s.size = Clamp(tag == kH1 ? 2LL * s.size : tag == kH2 ? s.size + s.size / 2 : s.size + s.size / 3,
                               kMinFontSize, kMaxFontSize);
                break;
            case kH1End: case kH2End: case kH3End:
                s.size = m_param.size;
                s.bold = 0;
                lineBreak();
                break;
            case kBr: {
                AddBreak(out);
                out.back()->clear = FindAttribute(a, u"clear") != nullptr;
                m_wordSinceBreak = false;
                break;
            }
            case kHr:
                AddText(out, s, u" ");
                AddBreak(out, 2, true);
                lineBreak();
                break;
            case kDivEnd: case kPEnd: lineBreak(); break;
            case kP: case kDiv: {
                lineBreak();
                if (tag == kP)
                    lineBreak();
                if (!attrs || deep)
                    break;
                auto end = tag == kDiv ? FindBlockEnd(text, i + 1, {u"<div"}, {u"</div"})
                                       : FindBlockEnd(text, i + 1, {}, {u"</p", u"<p", u"<hr"});
                if (tag == kP && end.first < text.size() && TagAt(text, end.first) != kPEnd)
                    end.second = end.first;  // a following "<p" or "<hr" is parsed itself
                HtmlElement& box = AddBox(out, Align(FindAttribute(a, u"align"), s.centred ? 2 : s.align));
                if (const HtmlText* col = FindAttribute(a, u"bgcolor"))
                    box.backColor = int32_t(ParseColor(*col));
                if (const HtmlText* b = FindAttribute(a, u"border"); b && ParseNumber(*b) > 0) {
                    box.frameSides = 15;
                    box.frameWidth = 1;
                    box.padding = 1;
                }
                Style bs = s;
                bs.align = box.align;
                bs.centred = 0;
                m_wordSinceBreak = false;
                Parse(text.substr(after, std::max(end.first, after) - after), box.children, bs, depth + 1);
                AddBreak(out);
                m_wordSinceBreak = false;
                i = std::max(end.second, after);
                continue;
            }
            case kPre: case kBlockquote: {
                if (deep) {
                    // Too deep to nest further: the block tag only breaks the line.
                    AddBreak(out);
                    m_wordSinceBreak = false;
                    break;
                }
                bool pre = tag == kPre;
                auto end = pre ? FindBlockEnd(text, i + 1, {u"<pre"}, {u"</pre"})
                               : FindBlockEnd(text, i + 1, {u"<blockquote"}, {u"</blockquote"});
                AddBreak(out);
                m_wordSinceBreak = false;
                HtmlElement& box = AddBox(out, s.align);
                Style bs = s;
                if (pre) {
                    bs.face = u"Courier New";
                    bs.pre = true;
                } else {
                    box.padding = 15;
                }
                Parse(text.substr(after, std::max(end.first, after) - after), box.children, bs, depth + 1);
                AddBreak(out);
                m_wordSinceBreak = false;
                i = std::max(end.second, after);
                continue;
            }
            case kUl: case kOl: {
                if (deep) {
                    // Too deep to nest further: the block tag only breaks the line.
                    AddBreak(out);
                    m_wordSinceBreak = false;
                    break;
                }
                auto end = FindBlockEnd(text, i + 1, {u"<ul", u"<ol"}, {u"</ul", u"</ol"});
                AddBreak(out);
                m_wordSinceBreak = false;
                AddList(text.substr(after, std::max(end.first, after) - after), out, tag == kOl, s, depth + 1);
                AddBreak(out);
                m_wordSinceBreak = false;
                i = std::max(end.second, after);
                continue;
            }
            case kTable: {
                if (deep) {
                    // Too deep to nest further: the block tag only breaks the line.
                    AddBreak(out);
                    m_wordSinceBreak = false;
                    break;
                }
                auto end = FindBlockEnd(text, i + 1, {u"<table"}, {u"</table"});
                AddBreak(out);
                m_wordSinceBreak = false;
                AddTable(text.substr(after, std::max(end.first, after) - after), out, a, s, depth + 1);
                AddBreak(out);
                m_wordSinceBreak = false;
                i = std::max(end.second, after);
                continue;
            }
            case kImg: {
                const HtmlText* align = FindAttribute(a, u"align");
                int side = align ? Align(align, -1) : -1;
                if ((side == 0 || side == 1) && s.link < 0 && !deep) {
                    AddBreak(out);
                    HtmlElement& box = AddBox(out, side);
                    HtmlAttributes plain = a;
                    for (HtmlAttribute& at : plain)
                        if (EqualsNoCase(at.name, u"align"))
                            at.name = u"xxxxx";
                    AddImage(box.children, s, plain, -1);
                    box.children.back()->align = side;
                    AddBreak(out);
                    m_wordSinceBreak = false;
                } else {
                    AddImage(out, s, a, s.link);
                    m_wordSinceBreak = true;
                }
                break;
            }
            case kForm: {
                const HtmlText* action = FindAttribute(a, u"action");
                const HtmlText* method = FindAttribute(a, u"method");
                if (owner)
                    m_form = owner->AddForm(action ? ResolveUrl(*action, m_base) : HtmlText(),
                                            method ? *method : HtmlText(u"get"));
                break;
            }
            case kFormEnd: m_form = -1; break;
            case kInput: AddInput(out, a, s); m_wordSinceBreak = true; break;
            case kSelect: {
                auto end = FindBlockEnd(text, i + 1, {}, {u"</select"});
                HtmlView body = text.substr(after, std::max(end.first, after) - after);
                std::vector<HtmlOption> options;
                int selected = 0;
                for (size_t o = body.find(u'<'); o != HtmlView::npos; o = body.find(u'<', o + 1)) {
                    if (TagAt(body, o) != kOption)
                        continue;
                    HtmlAttributes oa;
                    ParseAttributes(body.substr(o), oa);
                    size_t ogt = body.find(u'>', o);
                    size_t ostart = ogt == HtmlView::npos ? body.size() : ogt + 1;
                    size_t oend = std::min(body.find(u'<', ostart), body.size());
                    HtmlOption option;
                    option.text = HtmlText(body.substr(ostart, oend - ostart));
                    DecodeUtf8Pairs(DecodeEntities(option.text));
                    while (!option.text.empty() && option.text.back() == u' ')
                        option.text.pop_back();
                    if (const HtmlText* v = FindAttribute(oa, u"value"))
                        option.value = *v;
                    if (FindAttribute(oa, u"selected"))
                        selected = int(options.size());
                    if (options.size() < size_t(kMaxFieldChars))
                        options.push_back(std::move(option));
                }
                if (CanAddControl()) {
                    int widest = 0, cy = 0;
                    for (const HtmlOption& o : options) {
                        int cx = 0;
                        if (owner)
                            owner->MeasureText(u"MS Sans serif", 15, false, false, o.text, cx, cy);
                        widest = std::max(widest, cx);
                    }
                    Style cs = s;
                    HtmlElement& e =
                        AddControlElement(out, cs, options.empty() ? HtmlView(u" ") : HtmlView(options[0].text), kWhite);
                    e.width = widest + (owner ? owner->GetDropDownWidth() : 16) + 8;
                    const HtmlText* name = FindAttribute(a, u"name");
                    if (owner)
                        e.control = owner->CreateComboBox(e.width, e.height, options, selected,
                                                          name ? *name : HtmlText(), m_form);
                }
                m_wordSinceBreak = true;
                i = std::max(end.second, after);
                continue;
            }
            case kTextarea: {
                auto end = FindBlockEnd(text, i + 1, {}, {u"</textarea"});
                HtmlText initial(text.substr(after, std::max(end.first, after) - after));
                DecodeUtf8Pairs(DecodeEntities(initial));
                if (CanAddControl()) {
                    const HtmlText* cols = FindAttribute(a, u"cols");
                    const HtmlText* rows = FindAttribute(a, u"rows");
                    int nc = cols ? Clamp(ParseNumber(*cols), 1, kMaxTextAreaCells) : 20;
                    int nr = rows ? Clamp(ParseNumber(*rows), 1, kMaxTextAreaCells) : 2;
                    int bx = 8, by = 15;
                    if (owner)
                        owner->MeasureText(u"Courier New", 15, false, false, u" ", bx, by);
                    Style cs = s;
                    HtmlElement& e = AddControlElement(out, cs, u" ", kWhite);
                    e.width = nc * bx + 4;
                    e.height = nr * by + 4;
                    const HtmlText* name = FindAttribute(a, u"name");
                    if (owner)
                        e.control = owner->CreateEditControl(false, 0, e.width, e.height, initial, true,
                                                             name ? *name : HtmlText(), m_form, false);
                } else if (!initial.empty()) {
                    AddText(out, s, initial);
                }
                m_wordSinceBreak = true;
                i = std::max(end.second, after);
                continue;
            }
            default:
                // End tags of blocks already consumed, stray cells, rows and options change nothing.
                break;
            }
            i = after;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            AddBreak(out);
            m_wordSinceBreak = false;
            i += (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
            continue;
        }
        if (c == u'\t') {
            int count = 0;
            for (auto it = out.rbegin(); it != out.rend() && (*it)->kind == kHtmlText; ++it)
                count += int((*it)->text.size());
            AddText(out, s, HtmlText(size_t(5 - count % 5), u' '));
            ++i;
            continue;
        }
        if (c == u' ') {
            if (m_wordSinceBreak || m_fixed || s.pre)
                AddText(out, s, u" ");
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && text[end] != u' ' && text[end] != u'\r' && text[end] != u'\n' &&
               text[end] != u'\t' && text[end] != u'<')
            ++end;
        AddText(out, s, text.substr(i, end - i));
        m_wordSinceBreak = true;
        i = end;
    }
}

} // namespace

void ParseHtml(HtmlDocument& document, HtmlView text, HtmlElements& out, HtmlView face, int size, uint32_t color,
               HtmlView baseAddress, int level, int /*flags*/, bool fixedPitch)
{
    Builder builder(document, baseAddress, fixedPitch, text);
    Style s;
    s.face = Face(face);
    s.size = std::clamp(size, kMinFontSize, kMaxFontSize);
    s.color = color;
    s.pre = fixedPitch;
    builder.m_param = s;
    builder.Parse(text, out, s, level);
}

void HtmlDocument::LoadHtml(HtmlView text, HtmlView face, int size, int flag, HtmlView baseAddress)
{
    m_nLoading = 1;
    m_background = 0xFFFFFF;
    m_nBackgroundImage = -1;
    m_nItems = m_nLevel = 0;
    m_nImages = m_nControls = 0;
    m_links.clear();
    m_elements.clear();
    m_title.clear();
    PreparedHtml prepared = PrepareHtml(text, baseAddress);
    HtmlText useFace(face);
    if (prepared.fixedPitch)
        useFace = u"Courier New";
    if (prepared.hasTitle) {
        m_title = prepared.title;
        if (m_pOwner)
            m_pOwner->SetTitle(prepared.title);
    }
    if (prepared.hasBackground)
        m_background = prepared.background;
    if (!prepared.backgroundImage.empty() && m_pOwner) {
        m_nBackgroundImage = m_pOwner->AddImage(prepared.backgroundImage, 1);
        ++m_nImages;
    }
    ParseHtml(*this, prepared.text, m_elements, useFace, size, 0, baseAddress, 0, flag, prepared.fixedPitch);
    if (m_pOwner)
        m_pOwner->OnProgress(0, int(prepared.text.size()), int(prepared.text.size()));
    m_nLoading = 0;
}
