// Tests of the run-length codec: exact code of small lines, exact decoding of
// hand-made codes (all code lengths, cut runs, codes past the last line),
// agreement with a plain bit-at-a-time model of the code on random pictures,
// malformed field bytes, and the refusal of pictures whose code is too large.
#include "supkit/rle_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "supkit/bit_buffer.h"

namespace ostrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A grey level of the given colour index, varied within the index's range.
std::uint8_t Grey(int index, int variation = 0) {
    return static_cast<std::uint8_t>(index * 64 + (variation % 64));
}

// A bottom-up 8-bit picture; `lines` holds the grey levels line by line, top first.
IndexedBitmap Picture(const std::vector<Bytes>& lines) {
    IndexedBitmap picture;
    picture.header.biWidth = lines.empty() ? 0 : static_cast<std::int32_t>(lines[0].size());
    picture.header.biHeight = static_cast<std::int32_t>(lines.size());
    const std::size_t stride = static_cast<std::size_t>(BitmapStride(picture.header.biWidth));
    picture.pixels.assign(stride * lines.size(), 0xEE);  // padding must not matter
    for (std::size_t line = 0; line < lines.size(); ++line)
        std::copy(lines[line].begin(), lines[line].end(),
                  picture.pixels.begin() + static_cast<std::ptrdiff_t>(stride * (lines.size() - 1 - line)));
    return picture;
}

using Runs = std::initializer_list<std::pair<int, int>>;  // (length, colour index) pairs

// One line of colour indices made of runs.
Bytes Indices(Runs runs) {
    Bytes line;
    for (const auto& [length, index] : runs) line.insert(line.end(), static_cast<std::size_t>(length), static_cast<std::uint8_t>(index));
    return line;
}

// One line of grey levels made of runs of colour indices.
Bytes Line(Runs runs) {
    Bytes line = Indices(runs);
    for (std::size_t i = 0; i < line.size(); ++i) line[i] = Grey(line[i], static_cast<int>(i * 7));
    return line;
}

// Bytes from a string of '0' and '1' (other characters ignored), padded with 0 bits.
Bytes FromBits(const std::string& bits) {
    Bytes bytes;
    int count = 0;
    for (const char bit : bits) {
        if (bit != '0' && bit != '1') continue;
        if (count % 8 == 0) bytes.push_back(0);
        if (bit == '1') bytes.back() |= static_cast<std::uint8_t>(0x80 >> (count % 8));
        ++count;
    }
    return bytes;
}

// Picture line L of a decoded picture.
Bytes DecodedLine(const IndexedBitmap& picture, int line) {
    const std::size_t stride = static_cast<std::size_t>(BitmapStride(picture.header.biWidth));
    const auto start = picture.pixels.begin() +
                       static_cast<std::ptrdiff_t>(stride * static_cast<std::size_t>(picture.header.biHeight - 1 - line));
    return Bytes(start, start + picture.header.biWidth);
}

ControlHeader HeaderWith(int width, int height, const Bytes& even, const Bytes& odd = {}) {
    ControlHeader header;
    header.rect = DisplayRect{100, 50, 100 + width - 1, 50 + height - 1};
    header.fields[0].bytes = even;
    header.fields[1].bytes = odd;
    return header;
}

// The code as a plain model: one bit at a time into a cleared working buffer.
Bytes ModelEncodeField(const IndexedBitmap& picture, int first, int frameWidth) {
    const int w = picture.header.biWidth, h = picture.header.biHeight;
    const int stride = BitmapStride(w);
    BitBuffer code;
    AllocBitBuffer(&code, WorkingBufferSize);
    ClearBitBuffer(&code);
    for (int line = first; line < h; line += 2) {
        const std::uint8_t* row = &picture.pixels[static_cast<std::size_t>(stride * (h - 1 - line))];
        int x = 0;
        while (x < w) {
            const int c = ColourIndex(row[x]);
            ++x;
            int n = 1;
            while (x < w && ColourIndex(row[x]) == c && n < frameWidth && n < 255) ++n, ++x;
            if (x == w) {
                for (int i = 0; i < 7; ++i) WriteBitPair(&code, 0);
                WriteBitPair(&code, c);
            } else if (n < 4) {
                WriteBitPair(&code, n);
                WriteBitPair(&code, c);
            } else {
                WriteBitPair(&code, 0);
                int m = 0;
                while ((n >> m) != 0) ++m;
                m += m % 2;
                for (int i = 0; i < (m - 4) / 2; ++i) WriteBitPair(&code, 0);
                for (int i = m - 1; i >= 0; --i) WriteBit(&code, (n >> i) & 1);
                WriteBitPair(&code, c);
            }
        }
        AlignToByte(&code);
    }
    return Bytes(code.data.begin(), code.data.begin() + BitPosition(&code) / 8);
}

// Decoding as a plain model: the field copied into a cleared 128 KiB buffer,
// one pair at a time, one pixel at a time.
Bytes ModelDecode(int w, int h, const Bytes fields[2]) {
    const int stride = BitmapStride(w);
    Bytes pixels(static_cast<std::size_t>(stride * h), 0);
    BitBuffer code;
    AllocBitBuffer(&code, WorkingBufferSize);
    for (int f = 0; f < 2; ++f) {
        ClearBitBuffer(&code);
        std::copy(fields[f].begin(), fields[f].end(), code.data.begin());
        if (f >= h) continue;
        int line = f, x = 0, current = f;
        while (BitPosition(&code) < fields[f].size() * 8) {
            int n = ReadBitPair(&code);
            if (n == 0) {
                int k = 0, pair = 0;
                for (; k < 6; ++k)
                    if ((pair = ReadBitPair(&code)) != 0) break;
                if (k == 6) {
                    n = w - x;
                } else {
                    n = pair;
                    for (int i = 0; i <= k; ++i) n = n * 4 + ReadBitPair(&code);
                }
            }
            const int c = ReadBitPair(&code);
            if (x + n >= w) AlignToByte(&code);
            if (x + n > w) n = w - x;
            for (int i = 0; i < n; ++i) pixels[static_cast<std::size_t>(stride * (h - 1 - current) + x + i)] = static_cast<std::uint8_t>(c);
            x += n;
            if (x >= w) {
                x = 0;
                line += 2;
                if (line < h) current = line;
            }
        }
    }
    return pixels;
}

// A picture of runs of random length and grey level; `longRuns` favours long ones.
IndexedBitmap RandomPicture(std::mt19937& random, int w, int h, bool longRuns) {
    std::vector<Bytes> lines(static_cast<std::size_t>(h));
    for (Bytes& line : lines) {
        while (static_cast<int>(line.size()) < w) {
            const int length = 1 + static_cast<int>(random() % (longRuns ? 400 : 6));
            const int index = static_cast<int>(random() % 4);
            for (int i = 0; i < length && static_cast<int>(line.size()) < w; ++i)
                line.push_back(Grey(index, static_cast<int>(random())));
        }
    }
    return Picture(lines);
}

struct EncodeCase {
    const char* name;
    Bytes line;
    int frameWidth;
    Bytes code;
};

TEST(RleEncodeTest, LinesEncodeToTheirExactCode) {
    const EncodeCase cases[] = {
        {"one line-end code", Line({{10, 2}}), 720, {0x00, 0x02}},
        {"short run then line end", Line({{3, 1}, {7, 0}}), 720, {0xD0, 0x00, 0x00}},
        {"8-bit form", Line({{5, 3}, {1, 0}}), 720, {0x17, 0x00, 0x00}},
        {"12-bit form", Line({{20, 1}, {1, 0}}), 720, FromBits("0000 010100 01  00000000000000 00")},
        {"16-bit form and runs longer than 255", Line({{300, 3}, {420, 0}}), 720,
         {0x03, 0xFF, 0x0B, 0x70, 0x3F, 0xC0, 0x00, 0x00}},
        {"single pixel at the line end", Line({{1, 2}, {1, 3}}), 720, {0x60, 0x00, 0x30}},
        {"runs capped by the frame width", Line({{300, 1}}), 100, {0x01, 0x91, 0x01, 0x91, 0x00, 0x01}},
        {"frame width below 1 still codes single pixels", Line({{3, 2}}), 0, {0x66, 0x00, 0x02}},
        {"frame width 4 takes the 8-bit form", Line({{9, 1}}), 4, {0x11, 0x11, 0x00, 0x01}},
    };
    for (const EncodeCase& c : cases) {
        ControlHeader header;
        ASSERT_EQ(EncodeSubPicture(Picture({c.line}), c.frameWidth, &header), 0) << c.name;
        EXPECT_EQ(header.fields[0].bytes, c.code) << c.name;
        EXPECT_TRUE(header.fields[1].bytes.empty()) << c.name << ": a one-line picture has no odd lines";
    }
}

TEST(RleEncodeTest, EvenAndOddLinesGoToTheirFields) {
    const IndexedBitmap picture = Picture({Line({{4, 1}}), Line({{4, 2}}), Line({{4, 3}})});
    ControlHeader header;
    ASSERT_EQ(EncodeSubPicture(picture, 720, &header), 0);
    EXPECT_EQ(header.fields[0].bytes, (Bytes{0x00, 0x01, 0x00, 0x03}));
    EXPECT_EQ(header.fields[1].bytes, (Bytes{0x00, 0x02}));
}

TEST(RleEncodeTest, EmptyPictureGivesEmptyFields) {
    for (const auto& [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -3}}) {
        IndexedBitmap picture;
        picture.header.biWidth = w;
        picture.header.biHeight = h;
        picture.pixels.assign(64, 0);
        ControlHeader header;
        header.fields[0].bytes = {1, 2, 3};
        EXPECT_EQ(EncodeSubPicture(picture, 720, &header), 0);
        EXPECT_TRUE(header.fields[0].bytes.empty());
        EXPECT_TRUE(header.fields[1].bytes.empty());
    }
}

TEST(RleEncodeTest, RefusesAPixelBufferShorterThanThePicture) {
    IndexedBitmap picture = Picture({Line({{10, 1}}), Line({{10, 2}})});
    picture.pixels.resize(12);
    ControlHeader header;
    EXPECT_EQ(EncodeSubPicture(picture, 720, &header), -1);
    EXPECT_TRUE(header.fields[0].bytes.empty());
    EXPECT_TRUE(header.fields[1].bytes.empty());
    EXPECT_EQ(EncodeSubPicture(picture, 720, nullptr), -1);
}

// Fine noise over a full frame codes to some 100 KiB per field, more than a
// field's 16-bit length allows.
TEST(RleEncodeTest, RefusesACodeTooLargeForAField) {
    std::vector<Bytes> lines(576, Bytes(720));
    for (std::size_t line = 0; line < lines.size(); ++line)
        for (std::size_t x = 0; x < 720; ++x) lines[line][x] = Grey(static_cast<int>((x + line) % 4));
    ControlHeader header;
    header.fields[1].bytes = {9};
    EXPECT_EQ(EncodeSubPicture(Picture(lines), 720, &header), -1);
    EXPECT_TRUE(header.fields[0].bytes.empty());
    EXPECT_TRUE(header.fields[1].bytes.empty());
}

TEST(RleEncodeTest, AFullFrameOfLongRunsFits) {
    std::mt19937 random(11);
    ControlHeader header;
    const IndexedBitmap picture = RandomPicture(random, 720, 576, true);
    ASSERT_EQ(EncodeSubPicture(picture, 720, &header), 0);
    EXPECT_LE(header.fields[0].bytes.size(), MaxFieldCodeSize);
    EXPECT_FALSE(header.fields[1].bytes.empty());
}

// The fast paths must give the very bytes of the plain model, and decoding
// must give back every pixel's colour index.
TEST(RleEncodeTest, RandomPicturesMatchTheModelAndDecodeBack) {
    std::mt19937 random(2024);
    const int widths[] = {1, 2, 3, 4, 7, 9, 16, 255, 256, 300, 517, 720};
    const int frameWidths[] = {720, 255, 256, 100, 16, 4, 3, 1, 0, -5};
    for (const int w : widths) {
        for (const int frameWidth : frameWidths) {
            const int h = 1 + static_cast<int>(random() % 6);
            const IndexedBitmap picture = RandomPicture(random, w, h, random() % 2 == 0);
            ControlHeader header;
            ASSERT_EQ(EncodeSubPicture(picture, frameWidth, &header), 0);
            const int cap = std::clamp(frameWidth, 1, 255);
            for (int f = 0; f < 2; ++f)
                ASSERT_EQ(header.fields[f].bytes, ModelEncodeField(picture, f, cap))
                    << "width " << w << ", frame width " << frameWidth << ", field " << f;

            header.rect = DisplayRect{0, 0, w - 1, h - 1};
            IndexedBitmap decoded;
            DecodeSubPicture(header, &decoded);
            ASSERT_EQ(decoded.header.biWidth, w);
            ASSERT_EQ(decoded.header.biHeight, h);
            for (int line = 0; line < h; ++line) {
                Bytes expected = DecodedLine(picture, line);
                for (auto& pixel : expected) pixel = ColourIndex(pixel);
                ASSERT_EQ(DecodedLine(decoded, line), expected) << "width " << w << ", line " << line;
            }
        }
    }
}

TEST(RleDecodeTest, FillsTheBitmapHeader) {
    IndexedBitmap picture;
    picture.colours.assign(256, RgbQuad{1, 2, 3, 4});
    picture.header.biXPelsPerMeter = 99;
    DecodeSubPicture(HeaderWith(5, 3, {}), &picture);
    const BitmapInfoHeader& h = picture.header;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 5);
    EXPECT_EQ(h.biHeight, 3);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, BiRgb);
    EXPECT_EQ(h.biSizeImage, 24u);
    EXPECT_EQ(h.biXPelsPerMeter, 0);
    EXPECT_EQ(picture.pixels, Bytes(24, 0));
    EXPECT_EQ(picture.colours.size(), 256u);
    EXPECT_EQ(picture.colours[0].red, 3);
}

TEST(RleDecodeTest, RectanglesGiveTheirSizeAtLeastOneAndAtMost4096) {
    struct Case {
        DisplayRect rect;
        int width, height;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 1, 1},
        {{10, 20, 9, 19}, 1, 1},
        {{4095, 4095, 0, 0}, 1, 1},
        {{0, 0, 4095, 4095}, 4096, 4096},
        {{-100000, 0, 100000, 1}, 4096, 2},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 4096, 4096},
        {{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, 1, 1},
    };
    for (const Case& c : cases) {
        ControlHeader header;
        header.rect = c.rect;
        header.fields[0].bytes = {0x00, 0x03};
        IndexedBitmap picture;
        DecodeSubPicture(header, &picture);
        EXPECT_EQ(picture.header.biWidth, c.width);
        EXPECT_EQ(picture.header.biHeight, c.height);
        EXPECT_EQ(picture.pixels.size(), static_cast<std::size_t>(BitmapStride(c.width)) * c.height);
        EXPECT_EQ(DecodedLine(picture, 0), Bytes(static_cast<std::size_t>(c.width), 3));
    }
}

struct DecodeCase {
    const char* name;
    int width;
    int height;
    Bytes even;
    Bytes odd;
    std::vector<Bytes> lines;  // expected picture, top line first
};

TEST(RleDecodeTest, CodesDecodeToTheirPixels) {
    const DecodeCase cases[] = {
        {"short run then line end", 10, 1, {0xD0, 0x00, 0x00}, {}, {{1, 1, 1, 0, 0, 0, 0, 0, 0, 0}}},
        {"run that ends the line moves to the next byte", 4, 3, {0xF4, 0x60, 0x00}, {},
         {{3, 3, 3, 0}, {0, 0, 0, 0}, {2, 0, 0, 0}}},
        {"8-, 12- and 16-bit forms", 240, 1,
         FromBits("00 0101 11  0000 010100 01  000000 11001000 10  00000000000000 11"), {},
         {Indices({{5, 3}, {20, 1}, {200, 2}, {15, 3}})}},
        {"20-bit form (10-bit count)", 1000, 1, FromBits("00000000 0100101100 10"), {},
         {Indices({{300, 2}, {700, 0}})}},
        {"24-bit form (12-bit count)", 3000, 1, FromBits("0000000000 100101100000 01"), {},
         {Indices({{2400, 1}, {600, 0}})}},
        {"28-bit form (14-bit count) cut at the line end", 50, 3,
         FromBits("000000000000 11111111111111 11 0000  0111"), {},
         {Indices({{50, 3}}), Indices({{50, 0}}), Indices({{1, 3}, {49, 0}})}},
        {"run cut at the line end skips the rest of its byte", 2, 3, {0xF5, 0x60}, {},
         {{3, 3}, {0, 0}, {2, 0}}},
        {"codes after the last line decode into it again", 3, 2, {0x00, 0x03, 0x50}, {0xAB},
         {{1, 0, 0}, {2, 2, 3}}},
        {"odd field of a one-line picture is not decoded", 4, 1, {0x00, 0x01}, {0x00, 0x03}, {{1, 1, 1, 1}}},
        {"both fields interlace", 2, 4, {0x00, 0x01, 0x00, 0x02}, {0x00, 0x03}, {{1, 1}, {3, 3}, {2, 2}, {0, 0}}},
        {"code running past the field's end reads 0 bits", 20, 1, {0xB0, 0x06}, {},
         {Indices({{2, 3}, {18, 0}})}},
        {"field without data leaves index 0", 6, 2, {}, {}, {Bytes(6, 0), Bytes(6, 0)}},
    };
    for (const DecodeCase& c : cases) {
        IndexedBitmap picture;
        DecodeSubPicture(HeaderWith(c.width, c.height, c.even, c.odd), &picture);
        ASSERT_EQ(picture.header.biHeight, c.height) << c.name;
        for (int line = 0; line < c.height; ++line) {
            EXPECT_EQ(DecodedLine(picture, line), c.lines[static_cast<std::size_t>(line)])
                << c.name << ", line " << line;
        }
    }
}

// Random and truncated field bytes at random sizes: never out of bounds (the
// sanitizers watch), and the same pixels as the plain model.
TEST(RleDecodeTest, MalformedFieldsDecodeLikeTheModel) {
    std::mt19937 random(99);
    for (int round = 0; round < 400; ++round) {
        const int w = 1 + static_cast<int>(random() % (round % 4 == 0 ? 1000 : 40));
        const int h = 1 + static_cast<int>(random() % 9);
        Bytes fields[2];
        for (Bytes& field : fields) {
            field.resize(random() % 64);
            const bool sparse = random() % 2 == 0;  // mostly 0 bits: long and line-end codes
            for (auto& byte : field) byte = static_cast<std::uint8_t>(sparse ? (random() % 8 == 0 ? random() : 0) : random());
        }
        IndexedBitmap picture;
        DecodeSubPicture(HeaderWith(w, h, fields[0], fields[1]), &picture);
        ASSERT_EQ(picture.pixels, ModelDecode(w, h, fields)) << "round " << round;
    }
}

TEST(RleDecodeTest, TruncatedCodeOfARealPictureKeepsWhatItHolds) {
    std::mt19937 random(5);
    const IndexedBitmap original = RandomPicture(random, 64, 6, false);
    ControlHeader header;
    ASSERT_EQ(EncodeSubPicture(original, 720, &header), 0);
    for (auto& field : header.fields) field.bytes.resize(field.bytes.size() / 2 + 1);
    header.rect = DisplayRect{0, 0, 63, 5};
    IndexedBitmap decoded;
    DecodeSubPicture(header, &decoded);
    const Bytes fields[2] = {header.fields[0].bytes, header.fields[1].bytes};
    EXPECT_EQ(decoded.pixels, ModelDecode(64, 6, fields));
    Bytes top = DecodedLine(original, 0);
    for (auto& pixel : top) pixel = ColourIndex(pixel);
    EXPECT_EQ(DecodedLine(decoded, 0), top);
}

TEST(RleDecodeTest, NullPictureIsIgnored) {
    DecodeSubPicture(HeaderWith(4, 4, {0x12, 0x34}), nullptr);
}

}  // namespace
}  // namespace ostrel
