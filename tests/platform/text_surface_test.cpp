// Tests of the text surface: fonts, measuring, drawing, fallback faces,
// reading order and the two reads of the buffer.
#include "platform/text_surface.h"

#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace ostrel::platform {
namespace {

constexpr std::uint8_t Ink = 255;
constexpr int Utf8 = 65001;

FontRequest Request(const char* face, std::int32_t height = -30) {
    FontRequest request;
    request.faceName = face;
    request.height = height;
    request.weight = 400;
    return request;
}

std::u32string Unicode(const std::string& bytes, int codePage) {
    std::u32string text;
    ConvertToUtf32(bytes, codePage, &text);
    return text;
}

std::u32string Utf8Text(const char* text) {
    return Unicode(text, Utf8);
}

std::int64_t InkCount(const TextSurface& surface) {
    return std::count(surface.grey.begin(), surface.grey.end(), Ink);
}

// Draws one line at (x, y) on a fresh surface.
TextSurface Drawn(const FontRequest& request, const std::u32string& text, std::int32_t width = 400,
                  std::int32_t height = 60, std::int32_t x = 0, std::int32_t y = 0, bool rightToLeft = false) {
    TextSurface surface;
    EXPECT_TRUE(ResetTextSurface(&surface, width, height));
    DrawTextLine(&surface, OpenTextFont(request), x, y, text, rightToLeft);
    return surface;
}

TEST(TextSurfaceTest, ResetGivesBlackSurfaceOfRequestedSize) {
    TextSurface surface;
    ASSERT_TRUE(ResetTextSurface(&surface, 7, 3));
    EXPECT_EQ(surface.width, 7);
    EXPECT_EQ(surface.height, 3);
    EXPECT_EQ(surface.grey, std::vector<std::uint8_t>(21, 0));
    surface.grey[4] = Ink;
    ASSERT_TRUE(ResetTextSurface(&surface, 2, 2));
    EXPECT_EQ(surface.grey, std::vector<std::uint8_t>(4, 0));
}

TEST(TextSurfaceTest, ImpossibleSizesGiveEmptySurface) {
    const std::int32_t sizes[][2] = {{-1, 5}, {5, -1}, {MaxSurfaceDimension + 1, 5}, {5, MaxSurfaceDimension + 1}};
    for (const auto& size : sizes) {
        TextSurface surface;
        EXPECT_FALSE(ResetTextSurface(&surface, size[0], size[1]));
        EXPECT_TRUE(surface.grey.empty());
        EXPECT_EQ(TextSurfaceGrey(surface), nullptr);
        DrawTextLine(&surface, OpenTextFont(Request("DejaVu Sans")), 0, 0, U"x", false);
        EXPECT_EQ(TextSurfacePixel(surface, 0, 0), 0u);
    }
}

TEST(TextSurfaceTest, CellHeightFollowsTheHeightRule) {
    // DejaVu Sans: Windows ascent + descent 2384 of 2048 units per em.
    EXPECT_EQ(MeasureTextLine(OpenTextFont(Request("DejaVu Sans", -30)), U"x", false).cy, 35);
    for (std::int32_t cell : {20, 35, 48}) {
        EXPECT_EQ(MeasureTextLine(OpenTextFont(Request("DejaVu Sans", cell)), U"x", false).cy, cell) << cell;
    }
    EXPECT_EQ(MeasureTextLine(OpenTextFont(Request("DejaVu Sans", 0)), U"x", false).cy, 16);
}

TEST(TextSurfaceTest, MeasureGrowsWithTextAndSpaceHasWidth) {
    const TextFont* font = OpenTextFont(Request("Liberation Sans"));
    ASSERT_NE(font, nullptr);
    TextExtent one = MeasureTextLine(font, U"H", false);
    TextExtent two = MeasureTextLine(font, U"HH", false);
    TextExtent space = MeasureTextLine(font, U" ", false);
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(two.cx, 2 * one.cx);
    EXPECT_GT(space.cx, 0);
    EXPECT_EQ(space.cy, one.cy);
    EXPECT_EQ(MeasureTextLine(font, U"", false).cx, 0);
    EXPECT_EQ(MeasureTextLine(nullptr, U"H", false).cx, 0);
}

TEST(TextSurfaceTest, DrawsOnlyBlackAndWhiteInsideTheAdvance) {
    FontRequest request = Request("DejaVu Sans");
    TextExtent extent = MeasureTextLine(OpenTextFont(request), U"Hello", false);
    TextSurface surface = Drawn(request, U"Hello", 200, 60, 10, 5);
    EXPECT_GT(InkCount(surface), 0);
    for (std::int32_t y = 0; y < surface.height; ++y) {
        for (std::int32_t x = 0; x < surface.width; ++x) {
            std::uint8_t grey = surface.grey[y * surface.width + x];
            ASSERT_TRUE(grey == 0 || grey == Ink);
            if (grey == Ink) {
                EXPECT_GE(x, 10);
                EXPECT_LT(x, 10 + extent.cx);
                EXPECT_GE(y, 5);
                EXPECT_LT(y, 5 + extent.cy);
            }
        }
    }
}

TEST(TextSurfaceTest, PerPixelReadMatchesBlockRead) {
    TextSurface surface = Drawn(Request("DejaVu Sans"), U"Read back", 160, 40);
    const std::uint8_t* grey = TextSurfaceGrey(surface);
    ASSERT_NE(grey, nullptr);
    for (std::int32_t y = 0; y < surface.height; ++y)
        for (std::int32_t x = 0; x < surface.width; ++x) {
            std::uint32_t level = grey[y * surface.width + x];
            ASSERT_EQ(TextSurfacePixel(surface, x, y), level | level << 8 | level << 16);
        }
    EXPECT_EQ(TextSurfacePixel(surface, -1, 0), 0u);
    EXPECT_EQ(TextSurfacePixel(surface, 0, surface.height), 0u);
}

TEST(TextSurfaceTest, CellIsFilledBlackFirst) {
    FontRequest request = Request("DejaVu Sans");
    TextExtent extent = MeasureTextLine(OpenTextFont(request), U" ", false);
    TextSurface surface;
    ASSERT_TRUE(ResetTextSurface(&surface, 100, 50));
    std::fill(surface.grey.begin(), surface.grey.end(), Ink);
    DrawTextLine(&surface, OpenTextFont(request), 3, 4, U" ", false);
    for (std::int32_t y = 0; y < surface.height; ++y)
        for (std::int32_t x = 0; x < surface.width; ++x) {
            bool inCell = x >= 3 && x < 3 + extent.cx && y >= 4 && y < 4 + extent.cy;
            ASSERT_EQ(surface.grey[y * surface.width + x], inCell ? 0 : Ink) << x << "," << y;
        }
}

TEST(TextSurfaceTest, LinesPartlyOutsideAreClipped) {
    FontRequest request = Request("DejaVu Sans");
    const std::int32_t origins[][2] = {{-20, -10}, {90, 30}, {-1000, 0}, {0, 1000}, {-2147483647, -2147483647},
                                       {2147483647, 2147483647}, {2147483600, 0}};
    for (const auto& origin : origins) {
        TextSurface surface = Drawn(request, U"Clipped WWW", 100, 40, origin[0], origin[1]);
        EXPECT_EQ(surface.grey.size(), 4000u);
    }
    EXPECT_GT(InkCount(Drawn(request, U"Clipped WWW", 100, 40, -20, -10)), 0);
}

TEST(TextSurfaceTest, EveryScriptFindsItsGlyphs) {
    const char* lines[] = {
        "Ελληνικά κείμενα", "Русский текст", "עברית לדוגמה", "نص عربي للتجربة", "中文字幕測試", "Mixed: abc Ωμέγα 字",
    };
    for (const char* face : {"DejaVu Sans", "Liberation Sans", "Arial"}) {
        for (const char* line : lines) {
            std::u32string text = Utf8Text(line);
            EXPECT_EQ(CountMissingGlyphs(OpenTextFont(Request(face)), text), 0) << face << ": " << line;
            EXPECT_GT(InkCount(Drawn(Request(face), text, 600, 60)), 0) << face << ": " << line;
        }
    }
}

TEST(TextSurfaceTest, CharacterSetPicksFaceThatCoversIt) {
    FontRequest request = Request("Liberation Sans");
    request.charSet = 136;
    std::u32string text = Unicode("\xA4\xA4\xA4\xE5", 950);  // two Big5 characters
    ASSERT_EQ(text, U"\u4E2D\u6587");
    EXPECT_EQ(CountMissingGlyphs(OpenTextFont(request), text), 0);
    EXPECT_GT(InkCount(Drawn(request, text)), 0);
}

TEST(TextSurfaceTest, RightToLeftSetsParagraphDirection) {
    FontRequest request = Request("DejaVu Sans");
    std::u32string latinFirst = Utf8Text("ABC אבג");
    std::u32string hebrewFirst = Utf8Text("אבג ABC");
    TextSurface ltr = Drawn(request, latinFirst, 300, 40, 0, 0, false);
    TextSurface rtl = Drawn(request, latinFirst, 300, 40, 0, 0, true);
    TextSurface mirrored = Drawn(request, hebrewFirst, 300, 40, 0, 0, false);
    EXPECT_NE(ltr.grey, rtl.grey);
    // In a right-to-left paragraph the Hebrew word comes first from the left.
    EXPECT_EQ(rtl.grey, mirrored.grey);
    const TextFont* font = OpenTextFont(request);
    EXPECT_EQ(MeasureTextLine(font, latinFirst, true).cx, MeasureTextLine(font, latinFirst, false).cx);
}

TEST(TextSurfaceTest, HebrewReadsRightToLeftEvenInLeftToRightParagraph) {
    FontRequest request = Request("DejaVu Sans");
    TextSurface word = Drawn(request, Utf8Text("אב"), 200, 40);
    TextSurface alef = Drawn(request, Utf8Text("א"), 200, 40);
    // Alef, the first letter, stands at the right: the leftmost columns are bet's.
    auto firstInkColumn = [](const TextSurface& s) {
        std::int32_t first = s.width;
        for (std::int32_t y = 0; y < s.height; ++y)
            for (std::int32_t x = 0; x < s.width; ++x)
                if (s.grey[y * s.width + x] == Ink) first = std::min(first, x);
        return first;
    };
    EXPECT_NE(word.grey, alef.grey);
    EXPECT_GT(MeasureTextLine(OpenTextFont(request), Utf8Text("אב"), false).cx,
              MeasureTextLine(OpenTextFont(request), Utf8Text("א"), false).cx);
    EXPECT_LT(firstInkColumn(word), word.width);
}

TEST(TextSurfaceTest, StylesAddInk) {
    FontRequest regular = Request("DejaVu Sans Light");
    FontRequest bold = regular;
    bold.weight = 700;
    FontRequest italic = regular;
    italic.italic = true;
    std::int64_t regularInk = InkCount(Drawn(regular, U"Weight"));
    EXPECT_GT(InkCount(Drawn(bold, U"Weight")), regularInk);
    EXPECT_NE(Drawn(italic, U"Weight").grey, Drawn(regular, U"Weight").grey);
}

TEST(TextSurfaceTest, UnderlineAndStrikeOutSpanTheAdvance) {
    for (bool underline : {true, false}) {
        FontRequest request = Request("DejaVu Sans");
        request.underline = underline;
        request.strikeOut = !underline;
        TextExtent extent = MeasureTextLine(OpenTextFont(request), U"   ", false);
        TextSurface surface = Drawn(request, U"   ", 100, 60, 0, 0);
        std::int32_t fullRows = 0;
        for (std::int32_t y = 0; y < surface.height; ++y) {
            auto row = surface.grey.begin() + y * surface.width;
            if (std::count(row, row + extent.cx, Ink) == extent.cx) ++fullRows;
            EXPECT_EQ(std::count(row + extent.cx, row + surface.width, Ink), 0);
        }
        EXPECT_GE(fullRows, 1) << (underline ? "underline" : "strike-out");
    }
}

}  // namespace
}  // namespace ostrel::platform
