// Tests of the bitmap helpers: row stride and the byte layout of the info header.
#include "supkit/indexed_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace ostrel {
namespace {

TEST(IndexedBitmapTest, StrideRoundsUpToFourBytes) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {1, 4}, {4, 4}, {5, 8}, {10, 12}, {720, 720}, {4095, 4096}, {0, 0}, {-7, 0},
        {std::numeric_limits<std::int32_t>::max(), 0}};
    for (const auto& [width, stride] : cases) EXPECT_EQ(BitmapStride(width), stride) << width;
}

TEST(IndexedBitmapTest, InfoHeaderPacksLittleEndianAndBack) {
    BitmapInfoHeader header;
    header.biSize = 40;
    header.biWidth = 0x01020304;
    header.biHeight = -2;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BiBitfields;
    header.biSizeImage = 0xA0B0C0D0;
    header.biXPelsPerMeter = 2835;
    header.biYPelsPerMeter = 2836;
    header.biClrUsed = 256;
    header.biClrImportant = 4;
    const auto bytes = PackBitmapInfoHeader(header);
    const std::array<std::uint8_t, BitmapInfoHeaderSize> expected = {
        40, 0, 0, 0,  0x04, 0x03, 0x02, 0x01,  0xFE, 0xFF, 0xFF, 0xFF,  1, 0,  8, 0,
        3, 0, 0, 0,  0xD0, 0xC0, 0xB0, 0xA0,  0x13, 0x0B, 0, 0,  0x14, 0x0B, 0, 0,
        0, 1, 0, 0,  4, 0, 0, 0};
    EXPECT_EQ(bytes, expected);

    const BitmapInfoHeader back = UnpackBitmapInfoHeader(bytes.data());
    EXPECT_EQ(PackBitmapInfoHeader(back), expected);
    EXPECT_EQ(back.biHeight, -2);
    EXPECT_EQ(UnpackBitmapInfoHeader(nullptr).biSize, 0u);
}

}  // namespace
}  // namespace ostrel
