// Renders one text subtitle into the encoder's grey picture: lines measured,
// centred and drawn white on black, placed at the bottom or top, and given a
// contour or a box.
#pragma once

#include <cstdint>

#include "encoder/settings.h"
#include "encoder/text_lines.h"
#include "supkit/control_header_builder.h"
#include "supkit/indexed_bitmap.h"

namespace ostrel {

// Grey levels of the rendered picture.
constexpr std::uint8_t BackgroundGrey = 0;
constexpr std::uint8_t ContourGrey = 100;
constexpr std::uint8_t TextGrey = 255;

// A rectangle in picture pixels; right and bottom are exclusive.
struct TextRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Measures `text` and, unless `measureOnly`, draws it into `picture` (whose
// pixels stay empty when no picture could be made). `size` is the picture
// size without `dynamicSize`; `textRect` receives the block of lines in both
// cases. `contour` > 0 outlines the text by that many pixels, < 0 draws a box.
void RenderSubtitleText(const TextLines& text, bool measureOnly, bool perPixel, std::int32_t onTop,
                        std::int32_t indent, std::int32_t dynamicSize, std::int32_t rightToLeft,
                        const LogFont& font, std::int32_t contour, FrameSize size, TextRect* textRect,
                        IndexedBitmap* picture);

// Adds the contour (n = `contour` > 0) or the box (`contour` < 0) around
// `rect` to a captured bottom-up grey picture.
void AddContour(IndexedBitmap* picture, const TextRect& rect, std::int32_t contour);

}  // namespace ostrel
