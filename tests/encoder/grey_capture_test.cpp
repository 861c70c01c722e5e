// Tests of reading the text surface back as a bottom-up grey picture.
#include "encoder/grey_capture.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

// A surface whose pixel (x, y) holds a level made from its position.
platform::TextSurface PatternSurface(std::int32_t width, std::int32_t height) {
    platform::TextSurface surface;
    EXPECT_TRUE(platform::ResetTextSurface(&surface, width, height));
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            surface.grey[y * width + x] = static_cast<std::uint8_t>((x * 7 + y * 31) % 2 ? 255 : 0);
    return surface;
}

TEST(GreyCaptureTest, HeaderDescribesAnEightBitBottomUpPicture) {
    platform::TextSurface surface = PatternSurface(5, 3);
    IndexedBitmap picture;
    CaptureGreyPicture(surface, false, {5, 3}, &picture);
    EXPECT_EQ(picture.header.biSize, 40u);
    EXPECT_EQ(picture.header.biWidth, 5);
    EXPECT_EQ(picture.header.biHeight, 3);
    EXPECT_EQ(picture.header.biPlanes, 1);
    EXPECT_EQ(picture.header.biBitCount, 8);
    EXPECT_EQ(picture.header.biCompression, 0u);
    EXPECT_EQ(picture.header.biSizeImage, 24u);
    EXPECT_EQ(picture.header.biClrUsed, 0u);
    ASSERT_EQ(picture.colours.size(), 1u);
    EXPECT_EQ(picture.colours[0].red | picture.colours[0].green | picture.colours[0].blue, 0);
    EXPECT_EQ(picture.pixels.size(), 24u);
}

TEST(GreyCaptureTest, BothReadsGiveTheSameRowsBottomUpWithZeroPadding) {
    for (std::int32_t width : {1, 2, 3, 4, 5, 8, 13}) {
        platform::TextSurface surface = PatternSurface(width, 4);
        IndexedBitmap block;
        IndexedBitmap perPixel;
        CaptureGreyPicture(surface, false, {width, 4}, &block);
        CaptureGreyPicture(surface, true, {width, 4}, &perPixel);
        EXPECT_EQ(block.pixels, perPixel.pixels) << width;
        std::int32_t stride = (width + 3) / 4 * 4;
        ASSERT_EQ(block.pixels.size(), static_cast<std::size_t>(stride * 4));
        for (std::int32_t y = 0; y < 4; ++y)
            for (std::int32_t x = 0; x < stride; ++x) {
                std::uint8_t expected = x < width ? surface.grey[y * width + x] : 0;
                ASSERT_EQ(block.pixels[(3 - y) * stride + x], expected) << width << " " << x << "," << y;
            }
    }
}

TEST(GreyCaptureTest, NoBufferGivesEmptyPixels) {
    platform::TextSurface surface;
    IndexedBitmap picture;
    picture.pixels.assign(9, 1);
    CaptureGreyPicture(surface, false, {0, 0}, &picture);
    EXPECT_TRUE(picture.pixels.empty());
    CaptureGreyPicture(surface, false, {-3, 5}, &picture);
    EXPECT_TRUE(picture.pixels.empty());
    CaptureGreyPicture(surface, true, {platform::MaxSurfaceDimension + 1, 2}, &picture);
    EXPECT_TRUE(picture.pixels.empty());
    CaptureGreyPicture(surface, false, {2147483647, 2147483647}, &picture);
    EXPECT_TRUE(picture.pixels.empty());
    EXPECT_EQ(picture.header.biWidth, 2147483647);
    CaptureGreyPicture(surface, false, {1, 1}, nullptr);
}

}  // namespace
}  // namespace ostrel
