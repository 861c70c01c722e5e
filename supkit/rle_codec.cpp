// Decoding and encoding of the run-length code of the two sub-picture fields.
//
// Decoding reads a field's bytes through a BitBuffer that holds exactly those
// bytes: bits past their end read as 0, which is what a field copied into a
// cleared working buffer would give. Each code word is parsed from one 32-bit
// look-ahead, and runs are filled straight into the rows of the pixel buffer.
// Encoding writes each code word with one WriteBits call into a
// buffer the size of the largest field code (16-bit length), and refuses a
// picture whose code would not fit.
#include "supkit/rle_codec.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "supkit/bit_buffer.h"

namespace ostrel {
namespace {

constexpr std::int64_t MaxPictureSide = 4096;  // rect bounds are 12-bit values
constexpr std::uint32_t BitsPerByte = 8;
constexpr int FieldCount = 2;
constexpr std::uint32_t InfoHeaderSize = static_cast<std::uint32_t>(BitmapInfoHeaderSize);
constexpr std::uint16_t OnePlane = 1;
constexpr std::uint16_t EightBitsPerPixel = 8;

constexpr unsigned PairBits = 2;
constexpr unsigned MaxCountPairs = 6;     // leading 0 pairs of the longest counted form
constexpr unsigned LineEndCodeBits = 16;  // fourteen 0 bits and the colour
constexpr std::int32_t MaxRunLength = 255;
constexpr std::int32_t ShortRunLimit = 4;  // runs below it take the 4-bit form
constexpr std::uint32_t MaxFieldCode =
    std::min(MaxFieldCodeSize, WorkingBufferSize);  // bytes a field's code may take

// Picture geometry shared by the field loops.
struct PictureShape {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t stride = 0;
};

std::int32_t DecodedSide(std::int64_t first, std::int64_t last) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(last - first + 1, 1, MaxPictureSide));
}

// Picture line L (0 = top) of a bottom-up buffer.
std::size_t RowStart(const PictureShape& shape, std::int32_t line) {
    return shape.stride * static_cast<std::size_t>(shape.height - 1 - line);
}

void FillDecodedHeader(const PictureShape& shape, BitmapInfoHeader* header) {
    *header = BitmapInfoHeader{};
    header->biSize = InfoHeaderSize;
    header->biWidth = shape.width;
    header->biHeight = shape.height;
    header->biPlanes = OnePlane;
    header->biBitCount = EightBitsPerPixel;
    header->biCompression = BiRgb;
    header->biSizeImage = static_cast<std::uint32_t>(shape.stride * static_cast<std::size_t>(shape.height));
}

// One code word as read: its run length (0 for "to the end of the line"),
// its colour index and its size in bits.
struct CodeWord {
    std::uint32_t run = 0;
    std::uint8_t colour = 0;
    unsigned bits = 0;
};

// Parses the code word at the head of 32 bits. Its leading 0 pairs tell the
// form: none for the 4-bit form; z = 1 to 6 for a count of 2z + 2 bits (the
// 8-, 12- and 16-bit forms, and 20-, 24- and 28-bit codes with 10-, 12- and
// 14-bit counts), 4z + 4 bits in all; seven or more for the line-end form.
CodeWord ParseCodeWord(std::uint32_t head) {
    constexpr unsigned HeadBits = 32;
    constexpr std::uint32_t PairMask = 0x3;
    const unsigned zeroPairs = static_cast<unsigned>(std::countl_zero(head)) / PairBits;
    CodeWord word;
    if (zeroPairs == 0) {
        word.bits = 2 * PairBits;
        word.run = head >> (HeadBits - PairBits);
    } else if (zeroPairs > MaxCountPairs) {
        word.bits = LineEndCodeBits;
    } else {
        const unsigned countBits = PairBits * (zeroPairs + 1);
        word.bits = 2 * countBits;
        word.run = (head >> (HeadBits - PairBits * zeroPairs - countBits)) & ((1u << countBits) - 1);
    }
    word.colour = static_cast<std::uint8_t>((head >> (HeadBits - word.bits)) & PairMask);
    return word;
}

// Decodes one field's code into lines first, first + 2, ... of the picture.
void DecodeField(const std::vector<std::uint8_t>& bytes, std::int32_t first, const PictureShape& shape,
                 BitBuffer* code, std::uint8_t* pixels) {
    if (first >= shape.height) return;
    const std::size_t length = std::min<std::size_t>(bytes.size(), WorkingBufferSize);
    code->data.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
    RewindBitBuffer(code);
    const std::uint32_t end = static_cast<std::uint32_t>(length) * BitsPerByte;
    const auto width = static_cast<std::uint32_t>(shape.width);
    std::int32_t line = first;
    std::uint8_t* row = pixels + RowStart(shape, line);
    std::uint32_t x = 0;
    while (BitPosition(code) < end) {
        const CodeWord word = ParseCodeWord(PeekBits(code, MaxBitsPerCall));
        SkipBits(code, word.bits);
        std::uint32_t run = word.run == 0 ? width - x : word.run;
        if (x + run >= width) {
            AlignToByte(code);
            run = width - x;
        }
        // Until the field's last line is complete every pixel is reached once,
        // still 0, so runs of index 0 need no writing.
        if (word.colour != 0 || line >= shape.height) std::memset(row + x, word.colour, run);
        x += run;
        if (x < width) continue;
        x = 0;
        if (line < shape.height) line += 2;
        if (line < shape.height) row = pixels + RowStart(shape, line);
    }
}

// True when the colour index of each of `count` words of eight pixels at
// `pixels` is the one whose top bits, repeated in every byte, are `same`.
bool WordsMatch(const std::uint8_t* pixels, int count, std::uint64_t same) {
    constexpr std::uint64_t TopBits = 0xC0C0C0C0C0C0C0C0ULL;
    std::uint64_t differ = 0;
    for (int i = 0; i < count; ++i) {
        std::uint64_t word;
        std::memcpy(&word, pixels + i * sizeof word, sizeof word);
        differ |= word ^ same;
    }
    return (differ & TopBits) == 0;
}

// Length of the run of one colour index that starts at row[start]: at most
// `limit` pixels. Long stretches are compared 32, then 8 pixels at a time.
std::int32_t RunLength(const std::uint8_t* row, std::int32_t start, std::int32_t limit) {
    constexpr std::uint8_t TopBits = 0xC0;
    constexpr std::uint64_t EveryByte = 0x0101010101010101ULL;
    constexpr std::int32_t WordPixels = 8;
    constexpr std::int32_t WordsPerBlock = 4;
    constexpr std::int32_t BlockPixels = WordPixels * WordsPerBlock;
    const std::uint8_t top = row[start] & TopBits;
    const std::uint64_t same = EveryByte * top;
    std::int32_t n = 1;
    while (n + BlockPixels <= limit && WordsMatch(row + start + n, WordsPerBlock, same)) n += BlockPixels;
    while (n + WordPixels <= limit && WordsMatch(row + start + n, 1, same)) n += WordPixels;
    while (n < limit && (row[start + n] & TopBits) == top) ++n;
    return n;
}

// Writes one code word: the line-end form when the run ends the line, the
// 4-bit form for 1 to 3 pixels, otherwise 0 pairs, the count in m bits (m the
// count's significant bits made even) and the colour, 2m bits in all.
void WriteRun(BitBuffer* code, std::uint32_t run, std::uint32_t colour, bool endsLine) {
    if (endsLine) {
        WriteBits(code, colour, LineEndCodeBits);
        return;
    }
    if (run < static_cast<std::uint32_t>(ShortRunLimit)) {
        WriteBits(code, (run << PairBits) | colour, 2 * PairBits);
        return;
    }
    unsigned countBits = static_cast<unsigned>(std::bit_width(run));
    countBits += countBits % 2;
    WriteBits(code, (run << PairBits) | colour, 2 * countBits);
}

// Pads the line's last byte with 0 bits.
void EndCodedLine(BitBuffer* code) {
    const std::uint32_t into = BitPosition(code) % BitsPerByte;
    if (into != 0) WriteBits(code, 0, BitsPerByte - into);
}

// Codes lines first, first + 2, ... into `out`; false when the code outgrows MaxFieldCode.
bool EncodeField(const std::vector<std::uint8_t>& pixels, std::int32_t first, const PictureShape& shape,
                 std::int32_t runCap, BitBuffer* code, std::vector<std::uint8_t>* out) {
    constexpr std::uint32_t MaxCodeBits = MaxFieldCode * BitsPerByte;
    RewindBitBuffer(code);
    for (std::int32_t line = first; line < shape.height; line += 2) {
        const std::uint8_t* row = pixels.data() + RowStart(shape, line);
        std::int32_t x = 0;
        while (x < shape.width) {
            const std::int32_t run = RunLength(row, x, std::min(runCap, shape.width - x));
            const std::uint32_t colour = ColourIndex(row[x]);
            x += run;
            WriteRun(code, static_cast<std::uint32_t>(run), colour, x == shape.width);
            if (BitPosition(code) > MaxCodeBits) return false;
        }
        EndCodedLine(code);
    }
    const std::uint8_t* data = BitBufferData(code);
    const std::uint32_t length = BitPosition(code) / BitsPerByte;
    if (length > BitBufferCapacity(code)) return false;
    out->assign(data, data + length);
    return true;
}

}  // namespace

void DecodeSubPicture(const ControlHeader& header, IndexedBitmap* picture) {
    if (picture == nullptr) return;
    PictureShape shape;
    shape.width = DecodedSide(header.rect.left, header.rect.right);
    shape.height = DecodedSide(header.rect.top, header.rect.bottom);
    shape.stride = static_cast<std::size_t>(BitmapStride(shape.width));
    FillDecodedHeader(shape, &picture->header);
    picture->pixels.assign(shape.stride * static_cast<std::size_t>(shape.height), 0);
    BitBuffer code;
    for (std::int32_t f = 0; f < FieldCount; ++f)
        DecodeField(header.fields[f].bytes, f, shape, &code, picture->pixels.data());
}

int EncodeSubPicture(const IndexedBitmap& picture, std::int32_t frameWidth, ControlHeader* header) {
    if (header == nullptr) return -1;
    for (ByteChunk& field : header->fields) field.bytes.clear();
    PictureShape shape;
    shape.width = picture.header.biWidth;
    shape.height = picture.header.biHeight;
    if (shape.width <= 0 || shape.height <= 0) return 0;
    shape.stride = static_cast<std::size_t>(BitmapStride(shape.width));
    const std::size_t needed = RowStart(shape, 0) + static_cast<std::size_t>(shape.width);
    if (shape.stride == 0 || picture.pixels.size() < needed) return -1;

    const std::int32_t runCap = std::clamp(frameWidth, 1, MaxRunLength);
    BitBuffer code;
    AllocBitBuffer(&code, MaxFieldCode);
    if (BitBufferCapacity(&code) == 0) return -1;
    std::vector<std::uint8_t> fieldCode[FieldCount];
    for (std::int32_t f = 0; f < FieldCount; ++f)
        if (!EncodeField(picture.pixels, f, shape, runCap, &code, &fieldCode[f])) return -1;
    for (std::int32_t f = 0; f < FieldCount; ++f) header->fields[f].bytes = std::move(fieldCode[f]);
    return 0;
}

}  // namespace ostrel
