// A picture in the layout of a device-independent bitmap: an info header, a
// colour table and a separate buffer of 8-bit pixels stored bottom-up.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace ostrel {

constexpr std::uint32_t BiRgb = 0;        // uncompressed pixels
constexpr std::uint32_t BiBitfields = 3;  // pixels with bit-field masks
constexpr std::size_t BitmapInfoHeaderSize = 40;
constexpr std::size_t BitmapFileHeaderSize = 14;

// The 40-byte info header of a bitmap, field for field.
struct BitmapInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: rows stored bottom-up
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

// One colour-table entry, in file order.
struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

// A picture: header, colour table (1 entry in the encoder, 256 in the viewer
// and decoder) and pixels. An empty `pixels` stands for "no picture".
// Picture line L (0 = top) starts at byte stride * (height - 1 - L).
struct IndexedBitmap {
    BitmapInfoHeader header;
    std::vector<RgbQuad> colours;
    std::vector<std::uint8_t> pixels;
};

// Row stride of an 8-bit picture: width rounded up to a multiple of 4 (0 for
// widths of 0 or less).
std::int32_t BitmapStride(std::int32_t width);

// Gives `picture` the header of an 8-bit grey picture of the given size
// (biSizeImage = stride x height) and one zero colour entry, as the
// encoder's pictures have; the pixels are left alone.
void SetGreyPictureHeader(IndexedBitmap* picture, std::int32_t width, std::int32_t height);

// Little-endian fields of bitmap files.
void PutLittle16(std::uint8_t* at, std::uint32_t value);
void PutLittle32(std::uint8_t* at, std::uint32_t value);
std::uint16_t GetLittle16(const std::uint8_t* at);
std::uint32_t GetLittle32(const std::uint8_t* at);

// Packs the info header into its 40-byte little-endian file form.
std::array<std::uint8_t, BitmapInfoHeaderSize> PackBitmapInfoHeader(const BitmapInfoHeader& header);

// Unpacks the 40-byte little-endian file form of an info header (a null
// pointer gives an all-zero header).
BitmapInfoHeader UnpackBitmapInfoHeader(const std::uint8_t* bytes);

}  // namespace ostrel
