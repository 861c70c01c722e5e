// Row stride and header of 8-bit pictures, the little-endian fields of
// bitmap files and the file form of the 40-byte bitmap info header.
#include "supkit/indexed_bitmap.h"

#include <limits>

namespace ostrel {
namespace {

constexpr std::int32_t StrideAlignment = 4;
constexpr std::int32_t MaxRoundableWidth =
    std::numeric_limits<std::int32_t>::max() / StrideAlignment * StrideAlignment;
constexpr unsigned BitsPerByte = 8;

}  // namespace

void PutLittle16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> BitsPerByte);
}

void PutLittle32(std::uint8_t* at, std::uint32_t value) {
    PutLittle16(at, value);
    PutLittle16(at + 2, value >> (2 * BitsPerByte));
}

std::uint16_t GetLittle16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << BitsPerByte));
}

std::uint32_t GetLittle32(const std::uint8_t* at) {
    return GetLittle16(at) | (static_cast<std::uint32_t>(GetLittle16(at + 2)) << (2 * BitsPerByte));
}

// Widths of 0 or less, and widths too large to round up in 32 bits, give 0.
std::int32_t BitmapStride(std::int32_t width) {
    if (width <= 0 || width > MaxRoundableWidth) return 0;
    return (width + StrideAlignment - 1) / StrideAlignment * StrideAlignment;
}

// Info header layout (offset, size):
//   0 4 biSize          16 4 biCompression     32 4 biClrUsed
//   4 4 biWidth         20 4 biSizeImage       36 4 biClrImportant
//   8 4 biHeight        24 4 biXPelsPerMeter
//  12 2 biPlanes        28 4 biYPelsPerMeter
//  14 2 biBitCount
std::array<std::uint8_t, BitmapInfoHeaderSize> PackBitmapInfoHeader(const BitmapInfoHeader& header) {
    std::array<std::uint8_t, BitmapInfoHeaderSize> bytes{};
    PutLittle32(&bytes[0], header.biSize);
    PutLittle32(&bytes[4], static_cast<std::uint32_t>(header.biWidth));
    PutLittle32(&bytes[8], static_cast<std::uint32_t>(header.biHeight));
    PutLittle16(&bytes[12], header.biPlanes);
    PutLittle16(&bytes[14], header.biBitCount);
    PutLittle32(&bytes[16], header.biCompression);
    PutLittle32(&bytes[20], header.biSizeImage);
    PutLittle32(&bytes[24], static_cast<std::uint32_t>(header.biXPelsPerMeter));
    PutLittle32(&bytes[28], static_cast<std::uint32_t>(header.biYPelsPerMeter));
    PutLittle32(&bytes[32], header.biClrUsed);
    PutLittle32(&bytes[36], header.biClrImportant);
    return bytes;
}

BitmapInfoHeader UnpackBitmapInfoHeader(const std::uint8_t* bytes) {
    BitmapInfoHeader header;
    if (bytes == nullptr) return header;
    header.biSize = GetLittle32(&bytes[0]);
    header.biWidth = static_cast<std::int32_t>(GetLittle32(&bytes[4]));
    header.biHeight = static_cast<std::int32_t>(GetLittle32(&bytes[8]));
    header.biPlanes = GetLittle16(&bytes[12]);
    header.biBitCount = GetLittle16(&bytes[14]);
    header.biCompression = GetLittle32(&bytes[16]);
    header.biSizeImage = GetLittle32(&bytes[20]);
    header.biXPelsPerMeter = static_cast<std::int32_t>(GetLittle32(&bytes[24]));
    header.biYPelsPerMeter = static_cast<std::int32_t>(GetLittle32(&bytes[28]));
    header.biClrUsed = GetLittle32(&bytes[32]);
    header.biClrImportant = GetLittle32(&bytes[36]);
    return header;
}

void SetGreyPictureHeader(IndexedBitmap* picture, std::int32_t width, std::int32_t height) {
    constexpr std::uint16_t GreyBitCount = 8;
    const std::int64_t stride =
        (static_cast<std::int64_t>(width) + StrideAlignment - 1) / StrideAlignment * StrideAlignment;
    picture->header = BitmapInfoHeader{};
    picture->header.biSize = BitmapInfoHeaderSize;
    picture->header.biWidth = width;
    picture->header.biHeight = height;
    picture->header.biPlanes = 1;
    picture->header.biBitCount = GreyBitCount;
    picture->header.biCompression = BiRgb;
    picture->header.biSizeImage = static_cast<std::uint32_t>(stride * height);
    picture->colours.assign(1, RgbQuad{});
}

}  // namespace ostrel
