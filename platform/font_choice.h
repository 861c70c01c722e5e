// Font choice for the text surface: the records of an opened font, the face
// fontconfig matches to a request, opened with FreeType at the requested
// size with any style it must synthesise, the font's cell, underline and
// strike-out metrics, fallback faces for characters the chosen face lacks,
// and the cache of opened fonts. Internal to platform/.
#pragma once

#include "platform/text_surface.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ostrel::platform {

constexpr FT_Pos OnePixel = 64;  // 26.6 fixed point
constexpr FT_Int32 GlyphLoadFlags = FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP;

// Rounds a 26.6 value to whole pixels.
inline std::int32_t RoundPixels(FT_Pos value) {
    return static_cast<std::int32_t>((value + OnePixel / 2) >> 6);
}

struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct HbFontCloser {
    void operator()(hb_font_t* font) const { hb_font_destroy(font); }
};

// One rendered glyph: ink bytes (0 or 1), placed relative to the pen on the baseline.
struct GlyphBitmap {
    std::int32_t left = 0;
    std::int32_t top = 0;  // rows above the baseline
    std::int32_t width = 0;
    std::int32_t rows = 0;
    std::vector<std::uint8_t> ink;
};

// One opened face file at the font's size, with its synthesised styles.
struct FaceSlot {
    std::string file;
    int index = 0;
    std::unique_ptr<FT_FaceRec_, FaceCloser> face;
    std::unique_ptr<hb_font_t, HbFontCloser> shaper;
    bool embolden = false;
    bool oblique = false;
    FT_Pos boldAdvance = 0;  // 26.6 added to each advance of a synthesised bold
    std::unordered_map<std::uint32_t, GlyphBitmap> glyphs;
};

// One glyph of a shaped line: face slot, glyph index, pen position (26.6).
struct PlacedGlyph {
    std::size_t face = 0;
    std::uint32_t glyph = 0;
    FT_Pos x = 0;
    FT_Pos y = 0;  // up from the baseline
};

struct ShapedLine {
    std::u32string text;
    bool rightToLeft = false;
    std::vector<PlacedGlyph> glyphs;
    FT_Pos advance = 0;
};

// A horizontal stroke (underline, strike-out): top row below the baseline.
struct Stroke {
    std::int32_t top = 0;
    std::int32_t thickness = 0;
};

// An opened font, with the caches of its shaped lines and rendered glyphs.
struct TextFont {
    FontRequest request;
    std::string language;  // fontconfig / HarfBuzz language of the character set
    FT_F26Dot6 emSize = 0;
    std::int32_t ascent = 0;
    std::int32_t cellHeight = 0;
    Stroke underline;
    Stroke strikeOut;
    std::vector<std::unique_ptr<FaceSlot>> faces;  // the chosen face first, then fallbacks
    std::unordered_map<char32_t, std::size_t> fallbackOf;
    std::list<ShapedLine> recentLines;  // most recent first
};

// Whether the face has a glyph for `ch`.
inline bool FaceHasChar(const FaceSlot& slot, char32_t ch) {
    return FT_Get_Char_Index(slot.face.get(), ch) != 0;
}

// Controls and format characters (bidi marks, joiners) go with their neighbours.
bool IsInvisible(char32_t ch);

// The face that draws `ch`: the chosen face, else a fallback face (0 when none has it).
std::size_t FaceForChar(TextFont* font, char32_t ch);

}  // namespace ostrel::platform
