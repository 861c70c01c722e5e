// Tests of the encoder's show and hide headers: placement in the frame, the
// hide header, and the coded fields of a show header.
#include "supkit/control_header_builder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "supkit/rle_codec.h"

namespace ostrel {
namespace {

constexpr FrameSize Pal{720, 576};
constexpr std::uint16_t Palette = 0x3210;
constexpr std::uint16_t Alpha = 0xFFF0;
constexpr std::int32_t Delay = 4096;

// A black picture of the given size, or one filled with `grey`.
IndexedBitmap Picture(std::int32_t width, std::int32_t height, std::uint8_t grey = 0) {
    IndexedBitmap picture;
    picture.header.biWidth = width;
    picture.header.biHeight = height;
    picture.pixels.assign(static_cast<std::size_t>(BitmapStride(width)) * static_cast<std::size_t>(height), grey);
    return picture;
}

struct PlacementCase {
    const char* name;
    std::int32_t width, height, onTop, indent;
    DisplayRect rect;  // left, top, right, bottom
};

TEST(ControlHeaderBuilderTest, PlacesThePictureInTheFrame) {
    const PlacementCase cases[] = {
        {"odd width centres one pixel left", 301, 100, 0, 40, {209, 436, 509, 535}},
        {"even width", 300, 100, 0, 40, {210, 436, 509, 535}},
        {"odd first line moves up", 300, 101, 0, 40, {210, 434, 509, 534}},
        {"on top, odd indent made even", 300, 100, 1, 41, {210, 40, 509, 139}},
        {"three quarters of the frame uses the indent", 300, 432, 0, 40, {210, 104, 509, 535}},
        {"more than three quarters sits on the bottom", 300, 433, 0, 40, {210, 142, 509, 574}},
        {"more than three quarters on top sits at the top", 300, 433, 1, 40, {210, 0, 509, 432}},
        {"20 lines to spare", 300, 556, 0, 40, {210, 20, 509, 575}},
        {"fewer than 20 lines to spare is centred", 300, 557, 0, 40, {210, 8, 509, 564}},
        {"taller than the frame", 300, 600, 0, 40, {210, -12, 509, 587}},
        {"one pixel wider than the frame", 721, 10, 0, 40, {0, 526, 720, 535}},
        {"three pixels wider than the frame", 723, 10, 0, 40, {-1, 526, 721, 535}},
        {"indent past the frame top", 300, 100, 0, 500, {210, -24, 509, 75}},
    };
    for (const PlacementCase& c : cases) {
        const IndexedBitmap picture = Picture(c.width, c.height);
        ControlHeader header;
        ASSERT_EQ(BuildControlHeader(&picture, Pal, c.onTop, c.indent, Delay, Palette, Alpha, &header), 0)
            << c.name;
        EXPECT_EQ(header.rect.left, c.rect.left) << c.name;
        EXPECT_EQ(header.rect.top, c.rect.top) << c.name;
        EXPECT_EQ(header.rect.right, c.rect.right) << c.name;
        EXPECT_EQ(header.rect.bottom, c.rect.bottom) << c.name;
    }
}

TEST(ControlHeaderBuilderTest, ShowHeaderCarriesSettingsAndCodedFields) {
    const IndexedBitmap picture = Picture(10, 3, 200);
    ControlHeader header;
    header.nextOffset = 77;
    header.colContrast.bytes = {1, 2};
    ASSERT_EQ(BuildControlHeader(&picture, Pal, 0, 40, 0, Palette, 0xABCD, &header), 0);
    EXPECT_EQ(header.command, CommandShow);
    EXPECT_EQ(header.delay, 0);
    EXPECT_EQ(header.palette, Palette);
    EXPECT_EQ(header.alpha, 0xABCD);
    EXPECT_EQ(header.nextOffset, 0);
    EXPECT_TRUE(header.colContrast.bytes.empty());
    EXPECT_EQ(header.fieldOffsets[0], 0);
    EXPECT_EQ(header.fields[0].bytes, (std::vector<std::uint8_t>{0x00, 0x03, 0x00, 0x03}));
    EXPECT_EQ(header.fields[1].bytes, (std::vector<std::uint8_t>{0x00, 0x03}));
}

TEST(ControlHeaderBuilderTest, NoPictureGivesAHideHeader) {
    IndexedBitmap withoutPixels;
    withoutPixels.header.biWidth = 10;
    withoutPixels.header.biHeight = 10;
    for (const IndexedBitmap* picture : {static_cast<const IndexedBitmap*>(nullptr),
                                         static_cast<const IndexedBitmap*>(&withoutPixels)}) {
        ControlHeader header;
        header.rect = DisplayRect{1, 2, 3, 4};
        header.fields[0].bytes = {5};
        ASSERT_EQ(BuildControlHeader(picture, Pal, 1, 40, Delay, Palette, 0x1234, &header), 0);
        EXPECT_EQ(header.command, CommandHide);
        EXPECT_EQ(header.delay, Delay);
        EXPECT_EQ(header.palette, 0);
        EXPECT_EQ(header.alpha, AlphaAbsent);
        EXPECT_EQ(header.rect.left, 0);
        EXPECT_EQ(header.rect.top, 0);
        EXPECT_EQ(header.rect.right, 0);
        EXPECT_EQ(header.rect.bottom, 0);
        EXPECT_TRUE(header.fields[0].bytes.empty());
        EXPECT_TRUE(header.fields[1].bytes.empty());
    }
}

TEST(ControlHeaderBuilderTest, PassesOnACodeThatDoesNotFit) {
    IndexedBitmap noise = Picture(720, 576);
    for (std::size_t i = 0; i < noise.pixels.size(); ++i) noise.pixels[i] = static_cast<std::uint8_t>((i % 4) * 64);
    ControlHeader header;
    EXPECT_EQ(BuildControlHeader(&noise, Pal, 0, 40, 0, Palette, Alpha, &header), -1);
    EXPECT_EQ(header.command, CommandShow);
    EXPECT_TRUE(header.fields[0].bytes.empty());
    EXPECT_TRUE(header.fields[1].bytes.empty());
}

}  // namespace
}  // namespace ostrel
