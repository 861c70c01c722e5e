// The export palette and the bitmap files written for decoded pictures.
#include "htmlview/bitmap_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "support/program_run.h"
#include "supkit/rle_codec.h"

namespace ostrel {
namespace {

using fixture::ReadFileBytes;
using fixture::TempFolder;

std::uint32_t Little32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// An 8-bit picture of the given size as the decoder makes it, pixel i of the
// buffer holding i % 4.
IndexedBitmap TestPicture(std::int32_t width, std::int32_t height) {
    IndexedBitmap picture = MakeExportPicture();
    BitmapInfoHeader& header = picture.header;
    header.biSize = BitmapInfoHeaderSize;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biSizeImage = static_cast<std::uint32_t>(BitmapStride(width) * height);
    for (std::uint32_t i = 0; i < header.biSizeImage; ++i) picture.pixels.push_back(i % 4);
    return picture;
}

TEST(BitmapExport, PaletteGreysKeepEveryColourIndex) {
    const std::uint8_t greys[] = {0, 100, 170, 255};
    for (int index = 0; index < 4; ++index) {
        const RgbQuad& entry = ExportPalette[index];
        EXPECT_EQ(entry.blue, greys[index]);
        EXPECT_EQ(entry.green, greys[index]);
        EXPECT_EQ(entry.red, greys[index]);
        EXPECT_EQ(entry.reserved, 0);
        // The encoder reads a grey level's top two bits as the colour index.
        EXPECT_EQ(ColourIndex(entry.red), index);
    }
}

TEST(BitmapExport, ExportPictureHas256EntriesStartingWithThePalette) {
    const IndexedBitmap picture = MakeExportPicture();
    ASSERT_EQ(picture.colours.size(), 256u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(picture.colours[i].red, ExportPalette[i].red);
    for (int i = 4; i < 256; ++i) EXPECT_EQ(picture.colours[i].red | picture.colours[i].blue, 0);
    EXPECT_TRUE(picture.pixels.empty());
}

TEST(BitmapExport, TenByThreePictureMakesAFileOf1114Bytes) {
    TempFolder folder;
    const auto path = folder.path / "block.bmp";
    const IndexedBitmap picture = TestPicture(10, 3);
    ASSERT_EQ(SaveIndexedBitmap(picture, path.c_str()), 0);
    const std::vector<std::uint8_t> file = ReadFileBytes(path);
    ASSERT_EQ(file.size(), 1114u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Little32(file, 2), 1114u);     // bfSize
    EXPECT_EQ(Little32(file, 6), 0u);        // reserved
    EXPECT_EQ(Little32(file, 10), 1078u);    // bfOffBits
    EXPECT_EQ(Little32(file, 14), 40u);      // biSize
    EXPECT_EQ(Little32(file, 18), 10u);      // biWidth
    EXPECT_EQ(Little32(file, 22), 3u);       // biHeight
    EXPECT_EQ(file[28], 8);                  // biBitCount
    EXPECT_EQ(Little32(file, 34), 36u);      // biSizeImage
    const std::vector<std::uint8_t> table(file.begin() + 54, file.begin() + 54 + 16);
    EXPECT_EQ(table, (std::vector<std::uint8_t>{0, 0, 0, 0, 100, 100, 100, 0, 170, 170, 170, 0, 255, 255, 255, 0}));
    for (std::size_t i = 54 + 16; i < 1078; ++i) ASSERT_EQ(file[i], 0) << i;
    EXPECT_TRUE(std::equal(picture.pixels.begin(), picture.pixels.end(), file.begin() + 1078));
}

TEST(BitmapExport, ReplacesAnExistingFileCompletely) {
    TempFolder folder;
    const auto path = folder.path / "block.bmp";
    fixture::WriteFileBytes(path, std::vector<std::uint8_t>(5000, 0xAB));
    ASSERT_EQ(SaveIndexedBitmap(TestPicture(1, 1), path.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(path).size(), 1078u + 4u);
}

TEST(BitmapExport, FailuresGive10) {
    TempFolder folder;
    const auto missingFolder = folder.path / "no such folder" / "block.bmp";
    EXPECT_EQ(SaveIndexedBitmap(TestPicture(4, 2), missingFolder.c_str()), SaveBitmapFailed);
    EXPECT_FALSE(std::filesystem::exists(missingFolder));

    // A pixel buffer shorter than the header says is not read past its end.
    IndexedBitmap shortPixels = TestPicture(4, 2);
    shortPixels.pixels.resize(3);
    const auto path = folder.path / "short.bmp";
    EXPECT_EQ(SaveIndexedBitmap(shortPixels, path.c_str()), SaveBitmapFailed);
    EXPECT_EQ(SaveIndexedBitmap(TestPicture(4, 2), nullptr), SaveBitmapFailed);
}

}  // namespace
}  // namespace ostrel
