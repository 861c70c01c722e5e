// Export of decoded sub-pictures as 8-bit bitmap files under a fixed grey
// palette.
#include "htmlview/bitmap_export.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/file_io.h"

namespace ostrel {

// Index 2 is 170 rather than a lighter grey so that a grey level's top two
// bits (170 >> 6 = 2) give back the colour index when the encoder reads the
// exported file: decode-then-encode keeps every index.
const std::array<RgbQuad, 4> ExportPalette = {{
    {0, 0, 0, 0},
    {100, 100, 100, 0},
    {170, 170, 170, 0},
    {255, 255, 255, 0},
}};

namespace {

constexpr std::uint16_t BitmapFileType = 0x4D42;  // "BM"
constexpr std::uint16_t MaxIndexedBitCount = 8;
constexpr std::size_t RgbQuadSize = 4;

// The bytes before the pixel rows: file header, info header, colour table of
// `tableSize` bytes (entries the picture lacks are written as zeros).
//   0  2  bfType "BM"
//   2  4  bfSize = 54 + tableSize + biSizeImage
//   6  4  bfReserved1, bfReserved2 = 0
//  10  4  bfOffBits = 54 + tableSize
//  14 40  BITMAPINFOHEADER
//  54  P  colour table (blue, green, red, reserved per entry)
std::vector<std::uint8_t> BitmapHead(const IndexedBitmap& picture, std::uint32_t tableSize) {
    const std::uint32_t pixelOffset = BitmapFileHeaderSize + BitmapInfoHeaderSize + tableSize;
    std::vector<std::uint8_t> head(pixelOffset, 0);
    PutLittle16(&head[0], BitmapFileType);
    PutLittle32(&head[2], pixelOffset + picture.header.biSizeImage);
    PutLittle32(&head[10], pixelOffset);
    const auto info = PackBitmapInfoHeader(picture.header);
    std::memcpy(&head[BitmapFileHeaderSize], info.data(), info.size());
    std::uint8_t* table = &head[BitmapFileHeaderSize + BitmapInfoHeaderSize];
    for (std::size_t i = 0; i < picture.colours.size() && (i + 1) * RgbQuadSize <= tableSize; ++i) {
        const RgbQuad& entry = picture.colours[i];
        table[i * RgbQuadSize + 0] = entry.blue;
        table[i * RgbQuadSize + 1] = entry.green;
        table[i * RgbQuadSize + 2] = entry.red;
        table[i * RgbQuadSize + 3] = entry.reserved;
    }
    return head;
}

bool WriteAll(platform::FileHandle file, std::int64_t offset, const void* bytes, std::size_t count) {
    return platform::WriteFileAt(file, offset, bytes, count) == static_cast<std::int64_t>(count);
}

}  // namespace

IndexedBitmap MakeExportPicture() {
    IndexedBitmap picture;
    picture.colours.assign(ExportColourCount, RgbQuad{});
    std::copy(ExportPalette.begin(), ExportPalette.end(), picture.colours.begin());
    return picture;
}

int SaveIndexedBitmap(const IndexedBitmap& picture, const char* path) {
    const BitmapInfoHeader& info = picture.header;
    // Only indexed pictures whose pixel buffer holds all the rows the header
    // announces can be written without reading past the buffer.
    if (path == nullptr || info.biBitCount == 0 || info.biBitCount > MaxIndexedBitCount ||
        picture.pixels.size() < info.biSizeImage)
        return SaveBitmapFailed;
    const platform::FileHandle file = platform::CreateTruncatedFile(path);
    if (file == platform::InvalidFile) return SaveBitmapFailed;
    const std::uint32_t tableSize = RgbQuadSize << info.biBitCount;
    const std::vector<std::uint8_t> head = BitmapHead(picture, tableSize);
    int result = SaveBitmapFailed;
    if (WriteAll(file, 0, head.data(), head.size()) &&
        WriteAll(file, static_cast<std::int64_t>(head.size()), picture.pixels.data(), info.biSizeImage))
        result = 0;
    platform::CloseFile(file);
    return result;
}

}  // namespace ostrel
