// Bitmap files of the encoder: reading external bitmaps of any common
// uncompressed depth as 8-bit grey pictures, and dumping grey pictures as
// 8-bit bitmap files with a grey-ramp colour table.
#include "encoder/bitmap_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/file_io.h"

namespace ostrel {
namespace {

using platform::FileHandle;

constexpr std::uint16_t BitmapFileType = 0x4D42;  // "BM" read little-endian
constexpr std::int32_t MaxBitmapDimension = 16384;
constexpr std::size_t RgbQuadSize = 4;
constexpr std::size_t GreyRampEntries = 256;
constexpr std::uint32_t SavedPixelOffset =
    BitmapFileHeaderSize + BitmapInfoHeaderSize + GreyRampEntries * RgbQuadSize;  // 1078
constexpr std::size_t SkipChunkSize = 4096;
constexpr std::uint16_t GreyBitCount = 8;
constexpr unsigned FiveBitMask = 0x1F;
constexpr unsigned FiveBitMax = 31;
constexpr unsigned ByteMax = 255;
constexpr std::size_t BitsPerByte = 8;
constexpr std::size_t RowAlignment = 4;  // file rows are padded to a multiple of 4 bytes

// Closes the file it holds when it goes out of scope.
struct FileCloser {
    FileHandle file;
    ~FileCloser() { platform::CloseFile(file); }
};

// Sequential reads from an open file.
struct ReadCursor {
    FileHandle file;
    std::int64_t offset = 0;
};

// Reads exactly `count` bytes; false when the read comes back short.
bool ReadExactly(ReadCursor& in, void* buffer, std::size_t count) {
    const std::int64_t got = platform::ReadFileAt(in.file, in.offset, buffer, count);
    if (got < 0 || static_cast<std::size_t>(got) != count) return false;
    in.offset += got;
    return true;
}

// Reads past `count` bytes, in chunks; false when the file ends first.
bool SkipBytes(ReadCursor& in, std::uint32_t count) {
    std::uint8_t scratch[SkipChunkSize];
    while (count > 0) {
        const std::size_t step = std::min<std::size_t>(count, SkipChunkSize);
        if (!ReadExactly(in, scratch, step)) return false;
        count -= static_cast<std::uint32_t>(step);
    }
    return true;
}

std::uint8_t GreyOf(unsigned blue, unsigned green, unsigned red) {
    return static_cast<std::uint8_t>((blue + green + red) / 3);
}

unsigned WidenFiveBits(unsigned component) {
    return component * ByteMax / FiveBitMax;
}

// How one depth stores its pixels: colour-table entries (0 for direct colour)
// and bits each pixel takes in a file row (15-bit pixels take a 16-bit word).
struct PixelFormat {
    bool supported = false;
    std::size_t tableEntries = 0;
    unsigned storedBits = 0;
};

PixelFormat PixelFormatOf(std::uint16_t bitCount) {
    switch (bitCount) {
        case 1: return {true, 2, 1};
        case 4: return {true, 16, 4};
        case 8: return {true, 256, 8};
        case 15: return {true, 0, 16};
        case 16: return {true, 0, 16};
        case 24: return {true, 0, 24};
        case 32: return {true, 0, 32};
        default: return {};
    }
}

// Width and height must be positive and no larger than MaxBitmapDimension, so
// that every size derived from them fits comfortably in 32 bits.
bool HasSupportedSize(const BitmapInfoHeader& header) {
    return header.biWidth > 0 && header.biHeight > 0 && header.biWidth <= MaxBitmapDimension &&
           header.biHeight <= MaxBitmapDimension;
}

// Length of one file row: the pixels' bytes rounded up to a multiple of 4.
std::size_t FileRowLength(std::int32_t width, unsigned storedBits) {
    const std::size_t bytes = (static_cast<std::size_t>(width) * storedBits + BitsPerByte - 1) / BitsPerByte;
    return (bytes + RowAlignment - 1) / RowAlignment * RowAlignment;
}

// True unless the file is known to end before `count` more bytes.
bool FileHolds(const ReadCursor& in, std::size_t count) {
    const std::int64_t size = platform::FileSizeOf(in.file);
    return size < 0 || static_cast<std::uint64_t>(size - std::min(size, in.offset)) >= count;
}

// Reads the colour table (blue, green, red, reserved per entry) as grey levels.
bool ReadGreyTable(ReadCursor& in, std::size_t entries, std::vector<std::uint8_t>& greys) {
    std::vector<std::uint8_t> table(entries * RgbQuadSize);
    if (!ReadExactly(in, table.data(), table.size())) return false;
    greys.resize(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* entry = &table[i * RgbQuadSize];
        greys[i] = GreyOf(entry[0], entry[1], entry[2]);
    }
    return true;
}

// Pixels of 1, 4 or 8 bits, most significant bits first in each byte.
void DecodeIndexedRow(const std::uint8_t* row, std::int32_t width, unsigned bits,
                      const std::vector<std::uint8_t>& greys, std::uint8_t* out) {
    const unsigned mask = (1u << bits) - 1;
    for (std::int32_t x = 0; x < width; ++x) {
        const std::size_t bitOffset = static_cast<std::size_t>(x) * bits;
        const auto shift = static_cast<unsigned>(BitsPerByte - bits - bitOffset % BitsPerByte);
        out[x] = greys[(row[bitOffset / BitsPerByte] >> shift) & mask];
    }
}

// 16-bit little-endian words: blue bits 0-4, green 5-9, red 10-14, bit 15 unused.
void DecodeFiveBitRow(const std::uint8_t* row, std::int32_t width, std::uint8_t* out) {
    for (std::int32_t x = 0; x < width; ++x) {
        const unsigned word = GetLittle16(row + 2 * static_cast<std::size_t>(x));
        out[x] = GreyOf(WidenFiveBits(word & FiveBitMask), WidenFiveBits((word >> 5) & FiveBitMask),
                        WidenFiveBits((word >> 10) & FiveBitMask));
    }
}

// Bytes blue, green, red per pixel, then `pixelBytes - 3` ignored bytes.
void DecodeTrueColourRow(const std::uint8_t* row, std::int32_t width, std::size_t pixelBytes,
                         std::uint8_t* out) {
    for (std::int32_t x = 0; x < width; ++x) {
        const std::uint8_t* pixel = row + pixelBytes * static_cast<std::size_t>(x);
        out[x] = GreyOf(pixel[0], pixel[1], pixel[2]);
    }
}

void DecodeRow(const std::uint8_t* row, std::int32_t width, const PixelFormat& format,
               const std::vector<std::uint8_t>& greys, std::uint8_t* out) {
    if (format.tableEntries > 0) {
        DecodeIndexedRow(row, width, format.storedBits, greys, out);
    } else if (format.storedBits == 16) {
        DecodeFiveBitRow(row, width, out);
    } else {
        DecodeTrueColourRow(row, width, format.storedBits / BitsPerByte, out);
    }
}

// Allocates two zeroed buffers; false when memory runs out.
bool AllocateBuffers(std::vector<std::uint8_t>& pixels, std::size_t pixelBytes,
                     std::vector<std::uint8_t>& row, std::size_t rowBytes) {
    try {
        pixels.assign(pixelBytes, 0);
        row.assign(rowBytes, 0);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Reads an open bitmap file into `header` and the grey buffer `pixels`.
// File layout:
//   0  2  bfType "BM"            10  4  bfOffBits (not consulted)
//   2  4  bfSize (not consulted) 14 40  BITMAPINFOHEADER, then biSize - 40 more
//   6  4  reserved                      bytes, the colour table and the rows
int ReadGreyBitmap(FileHandle file, BitmapInfoHeader& header, std::vector<std::uint8_t>& pixels) {
    ReadCursor in{file};
    std::uint8_t fileHeader[BitmapFileHeaderSize];
    if (!ReadExactly(in, fileHeader, sizeof fileHeader)) return BitmapShortRead;
    if (GetLittle16(fileHeader) != BitmapFileType) return BitmapNotSupported;

    std::uint8_t infoHeader[BitmapInfoHeaderSize];
    if (!ReadExactly(in, infoHeader, sizeof infoHeader)) return BitmapShortRead;
    header = UnpackBitmapInfoHeader(infoHeader);
    if (header.biCompression != BiRgb) return BitmapNotSupported;
    // A header that claims to be shorter than its fixed part has no sensible
    // end; treat it as running past the end of the file.
    if (header.biSize < BitmapInfoHeaderSize) return BitmapShortRead;
    if (!SkipBytes(in, header.biSize - BitmapInfoHeaderSize)) return BitmapShortRead;

    if (!HasSupportedSize(header)) return BitmapNotSupported;
    const PixelFormat format = PixelFormatOf(header.biBitCount);
    if (!format.supported) return BitmapNotSupported;

    const std::int32_t width = header.biWidth;
    const std::int32_t height = header.biHeight;
    const std::size_t stride = static_cast<std::size_t>(BitmapStride(width));
    const std::size_t outputSize = stride * static_cast<std::size_t>(height);
    const std::size_t rowLength = FileRowLength(width, format.storedBits);
    // Refuse a file too short for its table and rows before allocating for it.
    if (!FileHolds(in, format.tableEntries * RgbQuadSize + rowLength * static_cast<std::size_t>(height)))
        return BitmapShortRead;

    std::vector<std::uint8_t> row;
    if (!AllocateBuffers(pixels, outputSize, row, rowLength)) return BitmapNoMemory;
    std::vector<std::uint8_t> greys;
    if (format.tableEntries > 0 && !ReadGreyTable(in, format.tableEntries, greys)) return BitmapShortRead;
    for (std::int32_t y = 0; y < height; ++y) {
        if (!ReadExactly(in, row.data(), rowLength)) return BitmapShortRead;
        DecodeRow(row.data(), width, format, greys, &pixels[stride * static_cast<std::size_t>(y)]);
    }

    header.biBitCount = GreyBitCount;
    header.biSizeImage = static_cast<std::uint32_t>(outputSize);
    return BitmapOk;
}

// The 1078 bytes before the pixels of a saved picture:
//   0  2  bfType "BM"
//   2  4  bfSize = biSizeImage + 1078
//   6  4  bfReserved1, bfReserved2 = 0
//  10  4  bfOffBits = 1078
//  14 40  BITMAPINFOHEADER as held
//  54 1024 grey ramp: entry i is blue i, green i, red i, reserved 0
std::vector<std::uint8_t> SavedFileHead(const BitmapInfoHeader& header) {
    std::vector<std::uint8_t> head(SavedPixelOffset, 0);
    PutLittle16(&head[0], BitmapFileType);
    PutLittle32(&head[2], header.biSizeImage + SavedPixelOffset);
    PutLittle32(&head[10], SavedPixelOffset);
    const auto info = PackBitmapInfoHeader(header);
    std::memcpy(&head[BitmapFileHeaderSize], info.data(), info.size());
    std::uint8_t* table = &head[BitmapFileHeaderSize + BitmapInfoHeaderSize];
    for (std::size_t i = 0; i < GreyRampEntries; ++i) {
        std::uint8_t* entry = table + i * RgbQuadSize;
        entry[0] = entry[1] = entry[2] = static_cast<std::uint8_t>(i);
    }
    return head;
}

bool WriteExactly(FileHandle file, std::int64_t offset, const void* buffer, std::size_t count) {
    const std::int64_t put = platform::WriteFileAt(file, offset, buffer, count);
    return put >= 0 && static_cast<std::size_t>(put) == count;
}

}  // namespace

int LoadBitmapFile(const char* path, IndexedBitmap* picture) {
    if (picture == nullptr) return BitmapCannotOpen;
    *picture = IndexedBitmap{};
    picture->colours.assign(1, RgbQuad{});
    const FileHandle file = platform::OpenExistingFile(path, false);
    if (file == platform::InvalidFile) return BitmapCannotOpen;
    const FileCloser closer{file};
    std::vector<std::uint8_t> pixels;
    const int result = ReadGreyBitmap(file, picture->header, pixels);
    if (result == BitmapOk) picture->pixels = std::move(pixels);
    return result;
}

int SaveBitmapFile(const IndexedBitmap& picture, const char* path) {
    const std::size_t imageSize = picture.header.biSizeImage;
    // A buffer shorter than the header says is refused before the file is touched.
    if (picture.pixels.size() < imageSize) return BitmapShortWrite;
    FileHandle file = platform::CreateTruncatedFile(path);
    if (file == platform::InvalidFile) file = platform::OpenExistingFile(path, true);
    if (file == platform::InvalidFile) return BitmapCannotOpen;
    const FileCloser closer{file};
    const std::vector<std::uint8_t> head = SavedFileHead(picture.header);
    if (!WriteExactly(file, 0, head.data(), head.size())) return BitmapShortWrite;
    if (!WriteExactly(file, SavedPixelOffset, picture.pixels.data(), imageSize)) return BitmapShortWrite;
    return BitmapOk;
}

}  // namespace ostrel
