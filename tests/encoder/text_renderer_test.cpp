// Tests of the subtitle text renderer: layout, the two passes, the picture's
// grey levels, reading order, and the contour and box.
#include "encoder/text_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "platform/code_page.h"
#include "platform/text_surface.h"

namespace ostrel {
namespace {

constexpr int Utf8 = 65001;

LogFont TestFont(const char* face = "DejaVu Sans") {
    LogFont font;
    font.lfHeight = -30;
    font.lfWeight = 400;
    font.lfQuality = 3;
    std::strncpy(font.lfFaceName, face, FaceNameSize - 1);
    return font;
}

TextLines Lines(std::vector<std::string> lines, int codePage = Utf8) {
    return {std::move(lines), codePage};
}

std::u32string Unicode(const std::string& bytes, int codePage) {
    std::u32string text;
    platform::ConvertToUtf32(bytes, codePage, &text);
    return text;
}

platform::TextExtent Measure(const char* line, bool rightToLeft = false) {
    platform::FontRequest request;
    request.faceName = "DejaVu Sans";
    request.height = -30;
    request.weight = 400;
    return platform::MeasureTextLine(platform::OpenTextFont(request),
                                     Unicode(line, Utf8), rightToLeft);
}

// Layout and style of one rendering call.
struct Render {
    std::int32_t onTop = 0;
    std::int32_t indent = 40;
    std::int32_t dynamicSize = 0;
    std::int32_t rightToLeft = 0;
    std::int32_t contour = 0;
    FrameSize size{720, 572};
    bool perPixel = false;
};

IndexedBitmap Draw(const TextLines& text, const Render& r, TextRect* rect) {
    IndexedBitmap picture;
    RenderSubtitleText(text, false, r.perPixel, r.onTop, r.indent, r.dynamicSize, r.rightToLeft, TestFont(),
                       r.contour, r.size, rect, &picture);
    return picture;
}

std::uint8_t PixelAt(const IndexedBitmap& picture, std::int32_t row, std::int32_t column) {
    std::int32_t stride = (picture.header.biWidth + 3) / 4 * 4;
    return picture.pixels[(picture.header.biHeight - 1 - row) * stride + column];
}

std::set<std::uint8_t> Levels(const IndexedBitmap& picture) {
    std::set<std::uint8_t> levels;
    for (std::int32_t r = 0; r < picture.header.biHeight; ++r)
        for (std::int32_t c = 0; c < picture.header.biWidth; ++c) levels.insert(PixelAt(picture, r, c));
    return levels;
}

TEST(TextRendererTest, DynamicSizeFitsThePictureToOneLine) {
    platform::TextExtent extent = Measure("Dynamic");
    std::int32_t lineHeight = extent.cy + (extent.cy & 1);
    Render r;
    r.dynamicSize = 1;
    TextRect rect;
    IndexedBitmap picture = Draw(Lines({"Dynamic"}), r, &rect);
    EXPECT_EQ(picture.header.biWidth, extent.cx + 8);
    EXPECT_EQ(picture.header.biHeight, lineHeight + 4);
    EXPECT_EQ(rect.left, 4);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right, 4 + extent.cx);
    EXPECT_EQ(rect.bottom, 2 + lineHeight);
}

TEST(TextRendererTest, FrameLayoutAtBottomAndTop) {
    platform::TextExtent first = Measure("First line");
    platform::TextExtent second = Measure("Second, longer line");
    std::int32_t blockHeight = first.cy + (first.cy & 1) + second.cy + (second.cy & 1);
    std::int32_t blockWidth = std::max(first.cx, second.cx);
    for (std::int32_t onTop : {0, 1}) {
        Render r;
        r.onTop = onTop;
        TextRect rect;
        IndexedBitmap picture = Draw(Lines({"First line", "Second, longer line"}), r, &rect);
        EXPECT_EQ(picture.header.biWidth, 720);
        EXPECT_EQ(picture.header.biHeight, 572);
        EXPECT_EQ(rect.top, onTop ? 40 : 572 - 40 - blockHeight);
        EXPECT_EQ(rect.bottom, rect.top + blockHeight);
        EXPECT_EQ(rect.left, (720 - blockWidth) / 2);
        EXPECT_EQ(rect.right, rect.left + blockWidth);
    }
}

// Each line is centred on its own with the halving truncated toward zero:
// a line 5 pixels wider than the picture starts at x = -2, not -3.
TEST(TextRendererTest, CentringTruncatesTowardZero) {
    const char* wide = "Wider than the picture";
    const char* narrow = "ii";
    platform::TextExtent wideExtent = Measure(wide);
    platform::TextExtent narrowExtent = Measure(narrow);
    Render r;
    r.size = {wideExtent.cx - 5, 100};
    r.indent = 10;
    TextRect rect;
    IndexedBitmap picture = Draw(Lines({wide, narrow}), r, &rect);
    EXPECT_EQ(rect.left, -2);
    EXPECT_EQ(rect.right, wideExtent.cx - 2);

    platform::TextSurface expected;
    ASSERT_TRUE(platform::ResetTextSurface(&expected, r.size.width, r.size.height));
    const platform::TextFont* font = platform::OpenTextFont(platform::FontRequest{"DejaVu Sans", -30, 400});
    std::int32_t narrowX = (r.size.width - narrowExtent.cx) / 2;
    platform::DrawTextLine(&expected, font, -2, rect.top, Unicode(wide, Utf8), false);
    platform::DrawTextLine(&expected, font, narrowX, rect.top + wideExtent.cy + (wideExtent.cy & 1),
                           Unicode(narrow, Utf8), false);
    for (std::int32_t row = 0; row < r.size.height; ++row)
        for (std::int32_t column = 0; column < r.size.width; ++column)
            ASSERT_EQ(PixelAt(picture, row, column), expected.grey[row * r.size.width + column])
                << row << "," << column;
}

TEST(TextRendererTest, MeasuringPassGivesSameRectAndLeavesPictureAlone) {
    const TextLines text = Lines({"Measured twice", " ", "Ελληνικά"});
    for (std::int32_t dynamicSize : {0, 1}) {
        Render r;
        r.dynamicSize = dynamicSize;
        r.contour = 2;
        TextRect drawn;
        Draw(text, r, &drawn);
        IndexedBitmap untouched;
        untouched.header.biWidth = 77;
        untouched.pixels.assign(3, 9);
        TextRect measured{-1, -1, -1, -1};
        RenderSubtitleText(text, true, false, 0, 40, dynamicSize, 0, TestFont(), 2, {720, 572}, &measured,
                           &untouched);
        EXPECT_EQ(measured.left, drawn.left);
        EXPECT_EQ(measured.top, drawn.top);
        EXPECT_EQ(measured.right, drawn.right);
        EXPECT_EQ(measured.bottom, drawn.bottom);
        EXPECT_EQ(untouched.header.biWidth, 77);
        EXPECT_EQ(untouched.pixels, std::vector<std::uint8_t>(3, 9));
    }
}

TEST(TextRendererTest, PictureHoldsOnlyBackgroundTextAndContour) {
    const TextLines text = Lines({"Grey levels", "only three"});
    Render r;
    r.dynamicSize = 1;
    EXPECT_EQ(Levels(Draw(text, r, nullptr)), (std::set<std::uint8_t>{0, 255}));
    r.contour = 2;
    EXPECT_EQ(Levels(Draw(text, r, nullptr)), (std::set<std::uint8_t>{0, 100, 255}));
}

TEST(TextRendererTest, PerPixelReadGivesTheSamePicture) {
    const TextLines text = Lines({"Pixel by pixel"});
    Render r;
    r.contour = 2;
    IndexedBitmap block = Draw(text, r, nullptr);
    r.perPixel = true;
    IndexedBitmap perPixel = Draw(text, r, nullptr);
    EXPECT_EQ(block.pixels, perPixel.pixels);
}

TEST(TextRendererTest, RightToLeftChangesGlyphOrder) {
    const TextLines text = Lines({"abc אבג"});
    Render r;
    r.dynamicSize = 1;
    TextRect ltrRect;
    TextRect rtlRect;
    IndexedBitmap ltr = Draw(text, r, &ltrRect);
    r.rightToLeft = 1;
    IndexedBitmap rtl = Draw(text, r, &rtlRect);
    EXPECT_NE(ltr.pixels, rtl.pixels);
    EXPECT_EQ(ltrRect.right - ltrRect.left, rtlRect.right - rtlRect.left);
}

TEST(TextRendererTest, EveryScriptDrawsWithoutMissingGlyphs) {
    struct Case {
        std::string bytes;
        int codePage;
        std::uint8_t charSet;
    };
    const Case cases[] = {
        {"نص عربي", Utf8, 178},     {"עברית", Utf8, 177},         {"Ελληνικά", Utf8, 161},
        {"Русский", Utf8, 204},     {"中文字幕", Utf8, 136},      {"\xA4\xA4\xA4\xE5", 950, 136},
        {"\xD0\xF3\xF1", 1251, 204}, {"\xE0\xE1", 1255, 177},
    };
    for (const Case& c : cases) {
        LogFont font = TestFont("Arial");
        font.lfCharSet = c.charSet;
        platform::FontRequest request;
        request.faceName = "Arial";
        request.height = -30;
        request.charSet = c.charSet;
        EXPECT_EQ(platform::CountMissingGlyphs(platform::OpenTextFont(request),
                                               Unicode(c.bytes, c.codePage)),
                  0)
            << c.bytes;
        IndexedBitmap picture;
        TextRect rect;
        RenderSubtitleText(Lines({c.bytes}, c.codePage), false, false, 0, 0, 1, 0, font, 0, {}, &rect, &picture);
        EXPECT_GT(std::count(picture.pixels.begin(), picture.pixels.end(), 255), 0) << c.bytes;
    }
}

TEST(TextRendererTest, BoxIsTheSameForAnyNegativeContour) {
    const TextLines text = Lines({"Boxed"});
    Render r;
    TextRect rect;
    r.contour = -1;
    IndexedBitmap one = Draw(text, r, &rect);
    r.contour = -7;
    IndexedBitmap seven = Draw(text, r, nullptr);
    EXPECT_EQ(one.pixels, seven.pixels);
    for (std::int32_t row = 0; row < one.header.biHeight; ++row)
        for (std::int32_t column = 0; column < one.header.biWidth; ++column) {
            bool inBox = row >= rect.top - 2 && row < rect.bottom + 2 && column >= rect.left - 4 &&
                         column < rect.right + 4;
            std::uint8_t level = PixelAt(one, row, column);
            ASSERT_EQ(level == 100 || level == 255, inBox) << row << "," << column;
        }
}

TEST(TextRendererTest, DynamicSizeBoxFillsThePicture) {
    Render r;
    r.dynamicSize = 1;
    r.contour = -3;
    IndexedBitmap picture = Draw(Lines({"Whole", "picture"}), r, nullptr);
    EXPECT_EQ(Levels(picture), (std::set<std::uint8_t>{100, 255}));
}

TEST(TextRendererTest, EmptyAndOversizedTextStayInsideThePicture) {
    Render r;
    r.size = {100, 40};
    r.contour = 3;
    TextRect rect;
    IndexedBitmap empty = Draw(Lines({}), r, &rect);
    EXPECT_EQ(rect.right - rect.left, 0);
    EXPECT_EQ(Levels(empty), (std::set<std::uint8_t>{0}));
    IndexedBitmap wide = Draw(Lines({"A line far wider than this small picture", "and a second"}), r, &rect);
    EXPECT_LT(rect.left, 0);
    EXPECT_LT(rect.top, 0);
    EXPECT_EQ(wide.header.biWidth, 100);
    r.indent = -2147483647;
    Draw(Lines({"Far away"}), r, &rect);
    r.size = {0, 0};
    EXPECT_TRUE(Draw(Lines({"No room"}), r, &rect).pixels.empty());
}

// The outline rule read directly: a 0 pixel within the widened rectangle
// becomes 100 when a 255 lies within n rows and n columns of it.
void ReferenceOutline(IndexedBitmap* picture, const TextRect& rect, std::int32_t n) {
    std::int32_t w = picture->header.biWidth;
    std::int32_t h = picture->header.biHeight;
    std::int32_t stride = (w + 3) / 4 * 4;
    auto at = [&](std::int32_t r, std::int32_t c) -> std::uint8_t& {
        return picture->pixels[(h - 1 - r) * stride + c];
    };
    std::vector<std::uint8_t> original = picture->pixels;
    auto wasAt = [&](std::int32_t r, std::int32_t c) { return original[(h - 1 - r) * stride + c]; };
    for (std::int32_t r = std::max(rect.top - n, 0); r < std::min(rect.bottom + n, h); ++r)
        for (std::int32_t c = std::max(rect.left - n, 0); c < std::min(rect.right + n, w); ++c) {
            if (wasAt(r, c) != 0) continue;
            bool found = false;
            for (std::int32_t y = std::max(r - n, 0); y < std::min(r + n + 1, h) && !found; ++y)
                for (std::int32_t x = std::max(c - n, 0); x < std::min(c + n + 1, w) && !found; ++x)
                    found = wasAt(y, x) == 255;
            if (found) at(r, c) |= 100;
        }
}

TEST(TextRendererTest, OutlineMatchesTheDirectRuleOnRandomPictures) {
    std::mt19937 random(12345);
    const std::uint8_t levels[] = {0, 0, 0, 0, 0, 0, 0, 255, 128, 100};
    for (int trial = 0; trial < 200; ++trial) {
        std::int32_t w = 1 + static_cast<std::int32_t>(random() % 23);
        std::int32_t h = 1 + static_cast<std::int32_t>(random() % 17);
        std::int32_t n = 1 + trial % 5;
        IndexedBitmap picture;
        picture.header.biWidth = w;
        picture.header.biHeight = h;
        picture.pixels.assign(static_cast<std::size_t>((w + 3) / 4 * 4 * h), 0);
        for (std::uint8_t& pixel : picture.pixels) pixel = levels[random() % std::size(levels)];
        auto coordinate = [&](std::int32_t limit) { return static_cast<std::int32_t>(random() % (limit + 8)) - 4; };
        TextRect rect{coordinate(w), coordinate(h), 0, 0};
        rect.right = rect.left + static_cast<std::int32_t>(random() % (w + 4));
        rect.bottom = rect.top + static_cast<std::int32_t>(random() % (h + 4));
        IndexedBitmap expected = picture;
        ReferenceOutline(&expected, rect, n);
        AddContour(&picture, rect, n);
        ASSERT_EQ(picture.pixels, expected.pixels) << "trial " << trial << " n " << n;
    }
}

TEST(TextRendererTest, OutlineReachesExactlyNPixelsDiagonally) {
    IndexedBitmap picture;
    picture.header.biWidth = 12;
    picture.header.biHeight = 12;
    picture.pixels.assign(12 * 12, 0);
    picture.pixels[(11 - 6) * 12 + 6] = 255;  // row 6, column 6
    AddContour(&picture, {6, 6, 7, 7}, 2);
    EXPECT_EQ(PixelAt(picture, 4, 4), 100);
    EXPECT_EQ(PixelAt(picture, 8, 8), 100);
    EXPECT_EQ(PixelAt(picture, 3, 6), 0);
    EXPECT_EQ(PixelAt(picture, 6, 9), 0);
    AddContour(&picture, {0, 0, 12, 12}, 0);
    EXPECT_EQ(PixelAt(picture, 3, 6), 0);
}

}  // namespace
}  // namespace ostrel
