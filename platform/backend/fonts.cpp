// Font lookup through fontconfig and glyph rasterising with FreeType, plus the layer's own symbol glyphs.
#include "backend/fonts.h"
#include "win32/kernel/util.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

namespace backend {

namespace {

std::mutex& FontLock()
{
    static std::mutex m;
    return m;
}

FT_Library Library()
{
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        FT_Init_FreeType(&l);
        return l;
    }();
    return lib;
}

std::u16string Lower(const std::u16string& s)
{
    std::u16string out = s;
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    return out;
}

const char* kSans = "DejaVu Sans";
const char* kMono = "DejaVu Sans Mono";
const char* kSerif = "DejaVu Serif";
const char* kCjk = "WenQuanYi Micro Hei";

// Windows face names the program uses, and the installed family each maps to.
struct FaceAlias {
    const char16_t* name;
    const char* family;
};
const FaceAlias kAliases[] = {
    {u"arial", kSans},           {u"tahoma", kSans},          {u"verdana", kSans},
    {u"ms sans serif", kSans},   {u"ms shell dlg", kSans},    {u"ms shell dlg 2", kSans},
    {u"microsoft sans serif", kSans}, {u"segoe ui", kSans},   {u"trebuchet ms", kSans},
    {u"courier", kMono},         {u"courier new", kMono},     {u"lucida console", kMono},
    {u"consolas", kMono},        {u"fixedsys", kMono},        {u"terminal", kMono},
    {u"times new roman", kSerif}, {u"georgia", kSerif},       {u"system", kCjk},
    {u"宋体", kCjk},             {u"新宋体", kCjk},           {u"simsun", kCjk},
    {u"nsimsun", kCjk},          {u"黑体", kCjk},             {u"simhei", kCjk},
    {u"微软雅黑", kCjk},         {u"microsoft yahei", kCjk},  {u"楷体_gb2312", kCjk},
};

std::string Utf8(const std::u16string& s)
{
    std::string out;
    dovemark::kernel::Utf16ToUtf8(s, out);
    return out;
}

struct Match {
    std::string file;
    int index = 0;
    bool bold = false, italic = false;
};

Match FindFace(const std::string& family, int weight, bool italic)
{
    Match m;
    FcInit();
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pat, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern* found = FcFontMatch(nullptr, pat, &result);
    if (found) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch)
            m.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(found, FC_INDEX, 0, &m.index);
        int w = FC_WEIGHT_REGULAR, s = FC_SLANT_ROMAN;
        FcPatternGetInteger(found, FC_WEIGHT, 0, &w);
        FcPatternGetInteger(found, FC_SLANT, 0, &s);
        // A face without a bold style is reported bold with the advice to embolden it: that makes it no bold face.
        FcBool embolden = FcFalse;
        FcPatternGetBool(found, FC_EMBOLDEN, 0, &embolden);
        m.bold = w >= FC_WEIGHT_DEMIBOLD && !embolden;
        m.italic = s != FC_SLANT_ROMAN;
        FcPatternDestroy(found);
    }
    FcPatternDestroy(pat);
    return m;
}

} // namespace

struct Font::Face {
    FT_Face face = nullptr;
    bool synthBold = false, synthItalic = false;
    ~Face()
    {
        if (face)
            FT_Done_Face(face);
    }
};

Font::~Font() = default;

std::vector<std::u16string> Font::KnownFaces()
{
    std::vector<std::u16string> out = {u"Arial", u"Tahoma", u"Verdana", u"MS Sans Serif", u"MS Shell Dlg",
                                       u"Courier", u"Courier New", u"Times New Roman", u"System", u"宋体",
                                       u"新宋体", u"黑体", u"Marlett", u"Wingdings"};
    return out;
}

std::shared_ptr<Font> Font::Open(const FontSpec& spec)
{
    std::lock_guard<std::mutex> lock(FontLock());
    // Fonts are shared by every equal request; the program makes the same few again and again.
    static std::map<std::tuple<std::u16string, int, int, bool, int>, std::weak_ptr<Font>> cache;
    auto key = std::make_tuple(Lower(spec.face), spec.height, spec.weight >= 600 ? 700 : 400, spec.italic,
                               spec.pitchAndFamily & 3);
    if (auto hit = cache[key].lock())
        return hit;

    std::shared_ptr<Font> f(new Font);
    f->faceName_ = spec.face.empty() ? std::u16string(u"System") : spec.face;
    f->bold_ = spec.weight >= 600;
    f->italic_ = spec.italic;
    std::u16string lower = Lower(spec.face);
    if (lower == u"marlett" || lower == u"wingdings") {
        f->symbol_ = lower == u"marlett" ? 1 : 2;
        int em = spec.height < 0 ? -spec.height : spec.height > 0 ? spec.height : 13;
        f->em_ = std::max(1, em);
        FontMetrics& m = f->metrics_;
        m.ascent = f->em_;
        m.descent = 0;
        m.height = f->em_;
        m.aveCharWidth = m.maxCharWidth = f->em_;
        m.underlinePos = 0;
        m.strikePos = f->em_ / 2;
        cache[key] = f;
        return f;
    }
    const char* family = kSans;
    bool known = false;
    for (const auto& a : kAliases)
        if (lower == a.name) {
            family = a.family;
            known = true;
            break;
        }
    std::string wanted = family;
    if (!known) {
        if (lower.empty())
            wanted = (spec.pitchAndFamily & 3) == 1 ? kMono : (spec.charset == 134 ? kCjk : kSans);
        else
            wanted = Utf8(spec.face);
    }
    auto open = [&](const std::string& fam) -> std::shared_ptr<Face> {
        Match m = FindFace(fam, spec.weight, spec.italic);
        if (m.file.empty())
            return nullptr;
        auto face = std::make_shared<Face>();
        if (FT_New_Face(Library(), m.file.c_str(), m.index, &face->face) != 0) {
            face->face = nullptr;
            return nullptr;
        }
        face->synthBold = spec.weight >= 600 && !m.bold;
        face->synthItalic = spec.italic && !m.italic;
        return face;
    };
    f->primary_ = open(wanted);
    if (!f->primary_)
        f->primary_ = open(kSans);
    if (std::string(wanted) != kCjk)
        f->fallback_ = open(kCjk);
    if (!f->primary_) {
        f->primary_ = f->fallback_;
        f->fallback_.reset();
    }
    FontMetrics& m = f->metrics_;
    if (!f->primary_) {
        // No fonts installed at all: metrics stay consistent, glyphs are empty boxes.
        f->em_ = spec.height < 0 ? -spec.height : 12;
        m.ascent = f->em_;
        m.descent = f->em_ / 4;
        m.height = m.ascent + m.descent;
        m.aveCharWidth = m.maxCharWidth = f->em_ / 2;
        cache[key] = f;
        return f;
    }
    FT_Face face = f->primary_->face;
    double upem = face->units_per_EM ? face->units_per_EM : 1000;
    double asc = face->ascender, desc = -face->descender;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        asc = os2->usWinAscent;
        desc = os2->usWinDescent;
    }
    int em;
    if (spec.height < 0)
        em = -spec.height;
    else if (spec.height > 0)
        em = std::max(1, int(std::lround(spec.height * upem / (asc + desc))));
    else
        em = 12;
    em = std::min(em, 2048);
    f->em_ = em;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(em));
    if (f->fallback_)
        FT_Set_Pixel_Sizes(f->fallback_->face, 0, FT_UInt(em));
    if (spec.height > 0) {
        m.height = spec.height;
        m.ascent = int(std::lround(spec.height * asc / (asc + desc)));
        m.descent = m.height - m.ascent;
    } else {
        m.ascent = int(std::ceil(asc * em / upem));
        m.descent = int(std::ceil(desc * em / upem));
        m.height = m.ascent + m.descent;
    }
    m.internalLeading = std::max(0, m.height - em);
    m.externalLeading = 0;
    if (os2 && os2->xAvgCharWidth > 0)
        m.aveCharWidth = std::max(1, int(std::lround(os2->xAvgCharWidth * em / upem)));
    else
        m.aveCharWidth = std::max(1, em / 2);
    m.maxCharWidth = std::max(m.aveCharWidth, int(std::lround(face->max_advance_width * em / upem)));
    m.underlineThickness = std::max(1, int(std::lround(face->underline_thickness * em / upem)));
    m.underlinePos = std::clamp(int(std::lround(-face->underline_position * em / upem)), 1,
                                std::max(1, m.descent - m.underlineThickness));
    m.strikePos = os2 && os2->yStrikeoutPosition > 0 ? int(std::lround(os2->yStrikeoutPosition * em / upem))
                                                      : m.ascent / 3;
    m.fixedPitch = FT_IS_FIXED_WIDTH(face);
    if (f->bold_ && f->primary_->synthBold)
        m.aveCharWidth += 1, m.maxCharWidth += 1;
    cache[key] = f;
    return f;
}

GlyphBitmap Font::Render(Face& f, char32_t c, bool* found)
{
    GlyphBitmap g;
    FT_Face face = f.face;
    FT_UInt index = FT_Get_Char_Index(face, c);
    *found = index != 0;
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0)
        return g;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (f.synthItalic) {
            FT_Matrix shear{0x10000, 0x3333, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return g;
    // A face without a bold style is made bold by striking each glyph twice, one pixel apart: every stem
    // gains one whole pixel, where growing the outline would leave most stems as thin as before.
    int strike = f.synthBold ? 1 : 0;
    int inkWidth = int(slot->bitmap.width);
    g.advance = int((slot->advance.x + 32) >> 6) + strike;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = inkWidth > 0 ? inkWidth + strike : 0;
    g.height = int(slot->bitmap.rows);
    g.mask.resize(size_t(g.width) * size_t(g.height));
    for (int y = 0; y < g.height; ++y) {
        const unsigned char* row = slot->bitmap.buffer + ptrdiff_t(y) * slot->bitmap.pitch;
        uint8_t* out = g.mask.data() + size_t(y) * size_t(g.width);
        for (int x = 0; x < inkWidth; ++x)
            if ((row[x >> 3] >> (7 - (x & 7))) & 1)
                for (int k = 0; k <= strike; ++k)
                    out[x + k] = 1;
    }
    return g;
}

const GlyphBitmap& Font::Glyph(char32_t c)
{
    std::lock_guard<std::mutex> lock(FontLock());
    auto it = cache_.find(c);
    if (it != cache_.end())
        return it->second;
    GlyphBitmap g;
    if (symbol_) {
        g = SymbolGlyph(c);
    } else if (primary_) {
        bool found = false;
        g = Render(*primary_, c, &found);
        if (!found && fallback_) {
            bool inFallback = false;
            GlyphBitmap alt = Render(*fallback_, c, &inFallback);
            if (inFallback)
                g = std::move(alt);
        }
    } else {
        g.advance = metrics_.aveCharWidth;
    }
    return cache_.emplace(c, std::move(g)).first->second;
}

// The symbol faces' glyphs the program draws with: caption buttons, arrows, check marks,
// bullets. Each is drawn into an em square.
GlyphBitmap Font::SymbolGlyph(char32_t c) const
{
    int n = em_;
    GlyphBitmap g;
    g.advance = n;
    g.width = g.height = n;
    g.left = 0;
    g.top = n;
    g.mask.assign(size_t(n) * size_t(n), 0);
    double t = std::max(1.0, n / 8.0); // stroke thickness
    auto set = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < n && y < n)
            g.mask[size_t(y) * size_t(n) + size_t(x)] = 1;
    };
    auto fill = [&](auto inside) {
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (inside(x + 0.5, y + 0.5))
                    set(x, y);
    };
    auto nearSeg = [&](double px, double py, double ax, double ay, double bx, double by) {
        ax *= n, ay *= n, bx *= n, by *= n;
        double vx = bx - ax, vy = by - ay, len = vx * vx + vy * vy;
        double k = len > 0 ? std::clamp(((px - ax) * vx + (py - ay) * vy) / len, 0.0, 1.0) : 0;
        double dx = px - (ax + k * vx), dy = py - (ay + k * vy);
        return dx * dx + dy * dy <= t * t / 4;
    };
    auto box = [&](double x0, double y0, double x1, double y1, double px, double py) {
        return px >= x0 * n && px < x1 * n && py >= y0 * n && py < y1 * n;
    };
    auto frame = [&](double x0, double y0, double x1, double y1, double top, double px, double py) {
        return box(x0, y0, x1, y1, px, py) && !box(x0 + t / n, y0 + top / n, x1 - t / n, y1 - t / n, px, py);
    };
    auto triangle = [&](double ax, double ay, double bx, double by, double cx, double cy, double px, double py) {
        ax *= n, ay *= n, bx *= n, by *= n, cx *= n, cy *= n;
        auto side = [](double x1, double y1, double x2, double y2, double x, double y) {
            return (x2 - x1) * (y - y1) - (y2 - y1) * (x - x1);
        };
        double d1 = side(ax, ay, bx, by, px, py), d2 = side(bx, by, cx, cy, px, py), d3 = side(cx, cy, ax, ay, px, py);
        return !((d1 < 0 || d2 < 0 || d3 < 0) && (d1 > 0 || d2 > 0 || d3 > 0));
    };
    auto circle = [&](double r, double px, double py) {
        double dx = px - n / 2.0, dy = py - n / 2.0;
        return dx * dx + dy * dy <= r * r * n * n;
    };
    auto check = [&](double px, double py) {
        return nearSeg(px, py, 0.15, 0.5, 0.4, 0.75) || nearSeg(px, py, 0.4, 0.75, 0.85, 0.25);
    };
    if (symbol_ == 1) {
        switch (c) {
        case U'0': fill([&](double x, double y) { return box(0.2, 0.7, 0.7, 0.7 + 2 * t / n, x, y); }); break;
        case U'1': fill([&](double x, double y) { return frame(0.15, 0.15, 0.85, 0.85, 2 * t, x, y); }); break;
        case U'2':
            fill([&](double x, double y) {
                return frame(0.35, 0.15, 0.85, 0.6, 2 * t, x, y) || frame(0.15, 0.4, 0.65, 0.85, 2 * t, x, y);
            });
            break;
        case U'r':
            fill([&](double x, double y) {
                return nearSeg(x, y, 0.2, 0.2, 0.8, 0.8) || nearSeg(x, y, 0.8, 0.2, 0.2, 0.8);
            });
            break;
        case U'3': fill([&](double x, double y) { return triangle(0.65, 0.2, 0.65, 0.8, 0.35, 0.5, x, y); }); break;
        case U'4': fill([&](double x, double y) { return triangle(0.35, 0.2, 0.35, 0.8, 0.65, 0.5, x, y); }); break;
        case U'5': fill([&](double x, double y) { return triangle(0.2, 0.65, 0.8, 0.65, 0.5, 0.35, x, y); }); break;
        case U'6':
        case U'u': fill([&](double x, double y) { return triangle(0.2, 0.35, 0.8, 0.35, 0.5, 0.65, x, y); }); break;
        case U'8': fill([&](double x, double y) { return triangle(0.35, 0.2, 0.35, 0.8, 0.65, 0.5, x, y); }); break;
        case U'a':
        case U'b': fill(check); break;
        case U'h':
        case U'i':
        case U'n': fill([&](double x, double y) { return circle(0.18, x, y); }); break;
        case U's': fill([&](double x, double y) { return frame(0.3, 0.2, 0.7, 0.5, t, x, y) || box(0.45, 0.6, 0.55, 0.8, x, y); }); break;
        case U't':
        case U'v': fill([&](double x, double y) { return triangle(0.2, 0.35, 0.8, 0.35, 0.5, 0.65, x, y); }); break;
        case U'o':
        case U'p':
        case U'x':
        case U'y':
        case U' ':
            break;
        default: fill([&](double x, double y) { return box(0.25, 0.25, 0.75, 0.75, x, y); }); break;
        }
    } else {
        switch (c) {
        case U'l': fill([&](double x, double y) { return circle(0.3, x, y); }); break;
        case U'm': fill([&](double x, double y) { return circle(0.3, x, y) && !circle(0.3 - t / n, x, y); }); break;
        case U'n': fill([&](double x, double y) { return box(0.2, 0.2, 0.8, 0.8, x, y); }); break;
        case U'o':
        case U'q': fill([&](double x, double y) { return frame(0.2, 0.2, 0.8, 0.8, t, x, y); }); break;
        case U'u': fill([&](double x, double y) {
                double dx = std::abs(x - n / 2.0), dy = std::abs(y - n / 2.0);
                return dx + dy <= 0.35 * n;
            });
            break;
        case 0xFC: fill(check); break;
        case 0xFB:
            fill([&](double x, double y) { return nearSeg(x, y, 0.2, 0.2, 0.8, 0.8) || nearSeg(x, y, 0.8, 0.2, 0.2, 0.8); });
            break;
        case 0xE7: fill([&](double x, double y) { return triangle(0.7, 0.2, 0.7, 0.8, 0.2, 0.5, x, y); }); break;
        case 0xE8: fill([&](double x, double y) { return triangle(0.3, 0.2, 0.3, 0.8, 0.8, 0.5, x, y); }); break;
        case 0xE9: fill([&](double x, double y) { return triangle(0.2, 0.7, 0.8, 0.7, 0.5, 0.2, x, y); }); break;
        case 0xEA: fill([&](double x, double y) { return triangle(0.2, 0.3, 0.8, 0.3, 0.5, 0.8, x, y); }); break;
        case U' ': break;
        default: fill([&](double x, double y) { return circle(0.3, x, y); }); break;
        }
    }
    return g;
}

} // namespace backend
