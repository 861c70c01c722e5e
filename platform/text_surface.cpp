// The text drawing surface: glyphs rendered by FreeType without antialiasing
// and cached per face, lines measured and drawn from their shaped layout,
// and the two read-backs of the drawn buffer.
#include "platform/text_surface.h"

#include "platform/font_choice.h"
#include "platform/text_layout.h"

#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstring>
#include <new>

namespace ostrel::platform {

namespace {

constexpr std::uint8_t Ink = 255;
constexpr std::uint8_t MonoInkThreshold = 128;  // for the rare grey glyph bitmap
constexpr std::size_t MaxCachedGlyphs = 8192;

// Copies a rendered FreeType bitmap into ink bytes.
void CopyGlyphInk(const FT_Bitmap& bitmap, GlyphBitmap* glyph) {
    glyph->width = static_cast<std::int32_t>(bitmap.width);
    glyph->rows = static_cast<std::int32_t>(bitmap.rows);
    glyph->ink.assign(static_cast<std::size_t>(glyph->width) * glyph->rows, 0);
    for (std::int32_t row = 0; row < glyph->rows; ++row) {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        std::uint8_t* target = glyph->ink.data() + static_cast<std::size_t>(row) * glyph->width;
        for (std::int32_t col = 0; col < glyph->width; ++col) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                target[col] = (source[col >> 3] >> (7 - (col & 7))) & 1;
            else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
                target[col] = source[col] >= MonoInkThreshold;
        }
    }
}

// Renders a glyph without antialiasing, or finds it rendered already.
const GlyphBitmap& RenderGlyph(FaceSlot* slot, std::uint32_t glyphIndex) {
    auto cached = slot->glyphs.find(glyphIndex);
    if (cached != slot->glyphs.end()) return cached->second;
    if (slot->glyphs.size() >= MaxCachedGlyphs) slot->glyphs.clear();
    GlyphBitmap& glyph = slot->glyphs[glyphIndex];
    FT_Face face = slot->face.get();
    if (FT_Load_Glyph(face, glyphIndex, GlyphLoadFlags) != 0) return glyph;
    if (slot->oblique) FT_GlyphSlot_Oblique(face->glyph);
    if (slot->embolden) FT_GlyphSlot_Embolden(face->glyph);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) return glyph;
    glyph.left = face->glyph->bitmap_left;
    glyph.top = face->glyph->bitmap_top;
    CopyGlyphInk(face->glyph->bitmap, &glyph);
    return glyph;
}

// Sets the pixels of [left, right) x [top, bottom) to `value`, clipped.
void FillRect(TextSurface* surface, std::int64_t left, std::int64_t top, std::int64_t right,
              std::int64_t bottom, std::uint8_t value) {
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, surface->width);
    bottom = std::min<std::int64_t>(bottom, surface->height);
    for (std::int64_t row = top; row < bottom; ++row)
        if (left < right)
            std::memset(surface->grey.data() + row * surface->width + left, value,
                        static_cast<std::size_t>(right - left));
}

void BlitGlyph(TextSurface* surface, const GlyphBitmap& glyph, std::int64_t x, std::int64_t y) {
    std::int64_t rowBegin = std::max<std::int64_t>(0, -y);
    std::int64_t rowEnd = std::min<std::int64_t>(glyph.rows, surface->height - y);
    std::int64_t colBegin = std::max<std::int64_t>(0, -x);
    std::int64_t colEnd = std::min<std::int64_t>(glyph.width, surface->width - x);
    for (std::int64_t row = rowBegin; row < rowEnd; ++row) {
        const std::uint8_t* ink = glyph.ink.data() + row * glyph.width;
        std::uint8_t* target = surface->grey.data() + (y + row) * surface->width;
        for (std::int64_t col = colBegin; col < colEnd; ++col)
            if (ink[col]) target[x + col] = Ink;
    }
}

}  // namespace

TextExtent MeasureTextLine(const TextFont* font, std::u32string_view text, bool rightToLeft) {
    if (!font) return {};
    auto* open = const_cast<TextFont*>(font);  // the caches inside change, the font does not
    const ShapedLine& line = ShapeLine(open, text, rightToLeft);
    return {RoundPixels(line.advance), font->cellHeight};
}

bool ResetTextSurface(TextSurface* surface, std::int32_t width, std::int32_t height) {
    bool valid = width >= 0 && height >= 0 && width <= MaxSurfaceDimension &&
                 height <= MaxSurfaceDimension;
    surface->width = valid ? width : 0;
    surface->height = valid ? height : 0;
    try {
        surface->grey.assign(static_cast<std::size_t>(surface->width) * surface->height, 0);
    } catch (const std::bad_alloc&) {
        surface->width = surface->height = 0;
        surface->grey.clear();
        return false;
    }
    return valid;
}

void DrawTextLine(TextSurface* surface, const TextFont* font, std::int32_t x, std::int32_t y,
                  std::u32string_view text, bool rightToLeft) {
    if (!surface || !font || surface->grey.empty()) return;
    auto* open = const_cast<TextFont*>(font);
    const ShapedLine& line = ShapeLine(open, text, rightToLeft);
    std::int64_t right = static_cast<std::int64_t>(x) + RoundPixels(line.advance);
    std::int64_t baseline = static_cast<std::int64_t>(y) + font->ascent;
    FillRect(surface, x, y, right, static_cast<std::int64_t>(y) + font->cellHeight, 0);
    for (const PlacedGlyph& placed : line.glyphs) {
        const GlyphBitmap& glyph = RenderGlyph(open->faces[placed.face].get(), placed.glyph);
        BlitGlyph(surface, glyph, static_cast<std::int64_t>(x) + RoundPixels(placed.x) + glyph.left,
                  baseline - RoundPixels(placed.y) - glyph.top);
    }
    if (font->request.underline)
        FillRect(surface, x, baseline + font->underline.top, right,
                 baseline + font->underline.top + font->underline.thickness, Ink);
    if (font->request.strikeOut)
        FillRect(surface, x, baseline + font->strikeOut.top, right,
                 baseline + font->strikeOut.top + font->strikeOut.thickness, Ink);
}

const std::uint8_t* TextSurfaceGrey(const TextSurface& surface) {
    return surface.grey.empty() ? nullptr : surface.grey.data();
}

std::uint32_t TextSurfacePixel(const TextSurface& surface, std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return 0;
    std::uint32_t grey = surface.grey[static_cast<std::size_t>(y) * surface.width + x];
    return grey | (grey << 8) | (grey << 16);
}

std::int32_t CountMissingGlyphs(const TextFont* font, std::u32string_view text) {
    if (!font) return static_cast<std::int32_t>(text.size());
    auto* open = const_cast<TextFont*>(font);
    std::int32_t missing = 0;
    for (char32_t ch : text)
        if (!IsInvisible(ch) && !FaceHasChar(*open->faces[FaceForChar(open, ch)], ch)) ++missing;
    return missing;
}

}  // namespace ostrel::platform
