// Fonts for GDI text: face lookup through fontconfig, FreeType rasterising, a CJK fallback and the symbol faces.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace backend {

struct FontSpec {
    std::u16string face;   // the face name the program asked for
    int height = 0;        // > 0 cell height, < 0 em height, 0 default (pixels)
    int weight = 400;
    bool italic = false;
    int charset = 1;
    int pitchAndFamily = 0;
};

struct GlyphBitmap {
    int advance = 0;          // pixels
    int left = 0, top = 0;    // bitmap origin relative to the pen position on the baseline (top is up)
    int width = 0, height = 0;
    std::vector<uint8_t> mask; // width * height bytes, 1 where ink
};

struct FontMetrics {
    int ascent = 0, descent = 0, height = 0;
    int internalLeading = 0, externalLeading = 0;
    int aveCharWidth = 0, maxCharWidth = 0;
    int underlinePos = 0;      // rows below the baseline
    int underlineThickness = 1;
    int strikePos = 0;         // rows above the baseline
    bool fixedPitch = false;
};

class Font {
public:
    // Never null: an unknown face falls back to the default sans-serif family.
    static std::shared_ptr<Font> Open(const FontSpec& spec);
    ~Font();

    const FontMetrics& Metrics() const { return metrics_; }
    // The glyph of a code point: from the face, else from the CJK fallback, else the face's
    // missing-glyph box. The reference stays valid while the font lives.
    const GlyphBitmap& Glyph(char32_t c);
    // The family the face resolved to, as the layer reports it back (the requested name for
    // the names it maps).
    const std::u16string& FaceName() const { return faceName_; }
    bool Symbol() const { return symbol_ != 0; }

    // The Windows face names the layer answers to, for font enumeration.
    static std::vector<std::u16string> KnownFaces();

private:
    Font() = default;
    struct Face;
    std::shared_ptr<Face> primary_, fallback_;
    int symbol_ = 0; // 1 Marlett, 2 Wingdings
    int em_ = 12;
    bool bold_ = false, italic_ = false;
    FontMetrics metrics_;
    std::u16string faceName_;
    std::unordered_map<char32_t, GlyphBitmap> cache_;
    GlyphBitmap Render(Face& face, char32_t c, bool* found);
    GlyphBitmap SymbolGlyph(char32_t c) const;
};

} // namespace backend
