// The text drawing surface: fonts chosen by face name, height, style and
// character set; lines of Unicode text measured and drawn white on black
// without antialiasing into an 8-bit grey buffer, shaped and ordered for
// every script; and the two ways of reading the drawn buffer back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::platform {

// What the caller asks of a font.
struct FontRequest {
    std::string faceName;
    std::int32_t height = 0;  // negative: em height in pixels; positive: cell height; 0: cell of 16
    std::int32_t weight = 0;  // 400 regular, 700 bold; 0 means regular
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charSet = 0;  // Windows character set, read as a language to cover
};

// An opened font; its layout is private to the surface code.
struct TextFont;

// A line's size as drawn: advance width and cell height in pixels.
struct TextExtent {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

// An 8-bit grey drawing surface; rows top-down, `width` bytes each.
struct TextSurface {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> grey;
};

// The largest width or height a surface may have.
constexpr std::int32_t MaxSurfaceDimension = 16384;

// Opens the font for `request`, or finds it among those already opened.
// The result belongs to the font cache and stays valid until the next call;
// it is null only when no font at all can be found.
const TextFont* OpenTextFont(const FontRequest& request);

// Measures one line as DrawTextLine draws it; a null font measures 0 x 0.
TextExtent MeasureTextLine(const TextFont* font, std::u32string_view text, bool rightToLeft);

// Makes `surface` width x height, every pixel 0, reusing its buffer. Sizes
// that are negative or above MaxSurfaceDimension give an empty surface;
// returns false then, or when the buffer can't be had.
bool ResetTextSurface(TextSurface* surface, std::int32_t width, std::int32_t height);

// Draws one line in white (255), its cell's top-left corner at (x, y) and its
// baseline at y + ascent, clipped to the surface. The cell is filled black
// first. `rightToLeft` makes right-to-left the paragraph direction.
void DrawTextLine(TextSurface* surface, const TextFont* font, std::int32_t x, std::int32_t y,
                  std::u32string_view text, bool rightToLeft);

// The block read: the surface's grey bytes, rows top-down (null if empty).
const std::uint8_t* TextSurfaceGrey(const TextSurface& surface);

// The per-pixel read: the colour at (x, y) as 0x00BBGGRR, 0 outside.
std::uint32_t TextSurfacePixel(const TextSurface& surface, std::int32_t x, std::int32_t y);

// How many characters of `text` neither the font nor any fallback face can
// draw (each would show as an empty box). Controls count as drawable.
std::int32_t CountMissingGlyphs(const TextFont* font, std::u32string_view text);

}  // namespace ostrel::platform
