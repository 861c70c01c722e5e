// The subtitle text renderer: measuring, layout, drawing, capture, and the
// contour or box around the text block.
#include "encoder/text_renderer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "encoder/grey_capture.h"
#include "platform/code_page.h"
#include "platform/text_surface.h"

namespace ostrel {

namespace {

constexpr std::int32_t DynamicExtraWidth = 8;   // 4 columns at each side
constexpr std::int32_t DynamicExtraHeight = 4;  // 2 rows above and below
constexpr std::int32_t DynamicTop = 2;
constexpr std::int64_t BoxExtraRows = 2;
constexpr std::int64_t BoxExtraColumns = 4;
constexpr std::int32_t RowAlignment = 4;

// A line takes its measured height rounded up to an even number.
std::int32_t LineHeight(std::int32_t cy) {
    return cy + (cy & 1);
}

std::int32_t Saturate(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

platform::FontRequest RequestOf(const LogFont& font) {
    platform::FontRequest request;
    request.faceName.assign(font.lfFaceName, strnlen(font.lfFaceName, FaceNameSize));
    request.height = font.lfHeight;
    request.weight = font.lfWeight;
    request.italic = font.lfItalic != 0;
    request.underline = font.lfUnderline != 0;
    request.strikeOut = font.lfStrikeOut != 0;
    request.charSet = font.lfCharSet;
    return request;
}

// The surface that every drawing pass reuses.
platform::TextSurface& SharedSurface() {
    static platform::TextSurface surface;
    return surface;
}

struct BlockSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

BlockSize MeasureBlock(const platform::TextFont* font, const std::vector<std::u32string>& lines,
                       bool rightToLeft) {
    BlockSize block;
    std::int64_t height = 0;
    for (const std::u32string& line : lines) {
        platform::TextExtent extent = platform::MeasureTextLine(font, line, rightToLeft);
        block.width = std::max(block.width, extent.cx);
        height += LineHeight(extent.cy);
    }
    block.height = Saturate(height);
    return block;
}

TextRect PlaceBlock(BlockSize block, FrameSize picture, std::int32_t onTop, std::int32_t indent,
                    std::int32_t dynamicSize) {
    TextRect rect;
    rect.left = Saturate((static_cast<std::int64_t>(picture.width) - block.width) / 2);
    rect.right = Saturate(static_cast<std::int64_t>(rect.left) + block.width);
    if (dynamicSize) {
        rect.top = DynamicTop;
    } else if (onTop) {
        rect.top = indent;
    } else {
        rect.top = Saturate(static_cast<std::int64_t>(picture.height) - indent - block.height);
    }
    rect.bottom = Saturate(static_cast<std::int64_t>(rect.top) + block.height);
    return rect;
}

// Draws each line centred on its own, one under the other from `top`.
void DrawLines(platform::TextSurface* surface, const platform::TextFont* font,
               const std::vector<std::u32string>& lines, bool rightToLeft, std::int32_t top) {
    std::int64_t y = top;
    for (const std::u32string& line : lines) {
        platform::TextExtent extent = platform::MeasureTextLine(font, line, rightToLeft);
        std::int32_t x = Saturate((static_cast<std::int64_t>(surface->width) - extent.cx) / 2);
        platform::DrawTextLine(surface, font, x, Saturate(y), line, rightToLeft);
        y += LineHeight(extent.cy);
    }
}

// Rows or columns [begin, end) of a span widened by `extra` and clipped to [0, limit).
struct Span {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

Span Widened(std::int64_t begin, std::int64_t end, std::int64_t extraBefore, std::int64_t extraAfter,
             std::int64_t limit) {
    return {std::max<std::int64_t>(begin - extraBefore, 0), std::min(end + extraAfter, limit)};
}

// Marks each column of `columns` whose row holds 255 within n columns either side.
void MarkRowHits(const std::uint8_t* row, std::int64_t width, Span columns, std::int64_t n,
                 std::uint8_t* hits) {
    std::int64_t inWindow = 0;
    std::int64_t windowEnd = std::min(columns.begin + n + 1, width);
    for (std::int64_t c = std::max<std::int64_t>(columns.begin - n, 0); c < windowEnd; ++c)
        inWindow += row[c] == TextGrey;
    for (std::int64_t c = columns.begin; c < columns.end; ++c) {
        hits[c - columns.begin] = inWindow > 0;
        if (c + n + 1 < width) inWindow += row[c + n + 1] == TextGrey;
        if (c - n >= 0) inWindow -= row[c - n] == TextGrey;
    }
}

// The outline: a 0 pixel within n rows and n columns of a 255 becomes 100.
// Rows first, then columns, each with a sliding count: linear in the area.
void AddOutline(std::uint8_t* pixels, std::int64_t width, std::int64_t height, std::int64_t stride,
                const TextRect& rect, std::int64_t n) {
    Span rows = Widened(rect.top, rect.bottom, n, n, height);
    Span columns = Widened(rect.left, rect.right, n, n, width);
    if (rows.begin >= rows.end || columns.begin >= columns.end) return;
    Span sources = Widened(rows.begin, rows.end, n, n, height);
    std::int64_t span = columns.end - columns.begin;
    auto rowOf = [&](std::int64_t r) { return pixels + (height - 1 - r) * stride; };

    std::vector<std::uint8_t> rowHits(static_cast<std::size_t>((sources.end - sources.begin) * span));
    for (std::int64_t r = sources.begin; r < sources.end; ++r)
        MarkRowHits(rowOf(r), width, columns, n, rowHits.data() + (r - sources.begin) * span);
    auto hitsOf = [&](std::int64_t r) { return rowHits.data() + (r - sources.begin) * span; };

    std::vector<std::int32_t> inWindow(static_cast<std::size_t>(span), 0);
    auto addRow = [&](std::int64_t r, std::int32_t sign) {
        const std::uint8_t* hits = hitsOf(r);
        for (std::int64_t c = 0; c < span; ++c) inWindow[c] += sign * hits[c];
    };
    for (std::int64_t r = sources.begin; r < std::min(rows.begin + n + 1, height); ++r) addRow(r, 1);
    for (std::int64_t r = rows.begin; r < rows.end; ++r) {
        std::uint8_t* row = rowOf(r) + columns.begin;
        for (std::int64_t c = 0; c < span; ++c)
            if (row[c] == BackgroundGrey && inWindow[c] > 0) row[c] |= ContourGrey;
        if (r + 1 < rows.end && r + n + 1 < height) addRow(r + n + 1, 1);
        if (r - n >= 0) addRow(r - n, -1);
    }
}

// The box: every pixel of the rectangle widened by 2 rows and 4 columns is OR-ed with 100.
void AddBox(std::uint8_t* pixels, std::int64_t width, std::int64_t height, std::int64_t stride,
            const TextRect& rect) {
    Span rows = Widened(rect.top, rect.bottom, BoxExtraRows, BoxExtraRows, height);
    Span columns = Widened(rect.left, rect.right, BoxExtraColumns, BoxExtraColumns, width);
    for (std::int64_t r = rows.begin; r < rows.end; ++r) {
        std::uint8_t* row = pixels + (height - 1 - r) * stride;
        for (std::int64_t c = columns.begin; c < columns.end; ++c) row[c] |= ContourGrey;
    }
}

}  // namespace

void AddContour(IndexedBitmap* picture, const TextRect& rect, std::int32_t contour) {
    if (!picture || contour == 0) return;
    std::int64_t width = picture->header.biWidth;
    std::int64_t height = picture->header.biHeight;
    std::int64_t stride = (width + RowAlignment - 1) / RowAlignment * RowAlignment;
    if (width <= 0 || height <= 0 || picture->pixels.size() < static_cast<std::uint64_t>(stride * height))
        return;
    if (contour > 0) {
        AddOutline(picture->pixels.data(), width, height, stride, rect, contour);
    } else {
        AddBox(picture->pixels.data(), width, height, stride, rect);
    }
}

void RenderSubtitleText(const TextLines& text, bool measureOnly, bool perPixel, std::int32_t onTop,
                        std::int32_t indent, std::int32_t dynamicSize, std::int32_t rightToLeft,
                        const LogFont& font, std::int32_t contour, FrameSize size, TextRect* textRect,
                        IndexedBitmap* picture) {
    const platform::TextFont* textFont = platform::OpenTextFont(RequestOf(font));
    std::vector<std::u32string> lines;
    lines.reserve(text.lines.size());
    for (const std::string& line : text.lines) {
        lines.emplace_back();
        platform::ConvertToUtf32(line, text.codePage, &lines.back());
    }

    BlockSize block = MeasureBlock(textFont, lines, rightToLeft != 0);
    FrameSize pictureSize = size;
    if (dynamicSize)
        pictureSize = {Saturate(static_cast<std::int64_t>(block.width) + DynamicExtraWidth),
                       Saturate(static_cast<std::int64_t>(block.height) + DynamicExtraHeight)};
    TextRect rect = PlaceBlock(block, pictureSize, onTop, indent, dynamicSize);
    if (textRect) *textRect = rect;
    if (measureOnly || !picture) return;

    platform::TextSurface& surface = SharedSurface();
    if (!platform::ResetTextSurface(&surface, pictureSize.width, pictureSize.height)) {
        CaptureGreyPicture(surface, perPixel, {0, 0}, picture);
        return;
    }
    DrawLines(&surface, textFont, lines, rightToLeft != 0, rect.top);
    CaptureGreyPicture(surface, perPixel, pictureSize, picture);
    if (picture->pixels.empty()) return;
    AddContour(picture, rect, contour);
}

}  // namespace ostrel
