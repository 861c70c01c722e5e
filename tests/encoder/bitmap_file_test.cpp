// Tests of the encoder's bitmap files: loading every supported depth as grey
// levels, refusing malformed and oversized files, and dumping grey pictures.
#include "encoder/bitmap_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t SavedHeadSize = 1078;

// One colour-table entry given as red, green, blue.
struct Rgb {
    std::uint8_t red, green, blue;
};

// What a fixture file holds; rows are given unpadded, bottom row first.
struct BmpLayout {
    std::uint32_t biSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 8;
    std::uint32_t compression = 0;
    std::vector<Rgb> table;
    std::vector<Bytes> rows;
    Bytes trailing;
};

void Put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value);
    Put16(out, value >> 16);
}

std::uint32_t Get32(const Bytes& in, std::size_t at) {
    return in[at] | (in[at + 1] << 8) | (in[at + 2] << 16) | (static_cast<std::uint32_t>(in[at + 3]) << 24);
}

// The bytes of a bitmap file: file header, 40-byte info header, the extension
// up to biSize (filled with 0xEE), the table, the rows padded to 4 bytes.
Bytes BuildBmp(const BmpLayout& layout) {
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 0);  // bfSize: not consulted
    Put32(out, 0);  // reserved
    Put32(out, 0);  // bfOffBits: not consulted
    Put32(out, layout.biSize);
    Put32(out, static_cast<std::uint32_t>(layout.width));
    Put32(out, static_cast<std::uint32_t>(layout.height));
    Put16(out, 1);
    Put16(out, layout.bitCount);
    Put32(out, layout.compression);
    Put32(out, 0xDEAD);  // biSizeImage: not consulted
    Put32(out, 2835);    // biXPelsPerMeter
    Put32(out, 2835);    // biYPelsPerMeter
    Put32(out, 7);       // biClrUsed: not consulted
    Put32(out, 0);       // biClrImportant
    if (layout.biSize > 40) out.insert(out.end(), layout.biSize - 40, 0xEE);
    for (const Rgb& entry : layout.table) {
        out.insert(out.end(), {entry.blue, entry.green, entry.red, 0});
    }
    for (const Bytes& row : layout.rows) {
        out.insert(out.end(), row.begin(), row.end());
        out.insert(out.end(), (4 - row.size() % 4) % 4, 0);
    }
    out.insert(out.end(), layout.trailing.begin(), layout.trailing.end());
    return out;
}

std::vector<Rgb> GreyTable(std::size_t entries) {
    std::vector<Rgb> table;
    for (std::size_t i = 0; i < entries; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        table.push_back({level, level, level});
    }
    return table;
}

// 16-bit little-endian words as row bytes.
Bytes Words(std::initializer_list<std::uint16_t> words) {
    Bytes out;
    for (std::uint16_t word : words) Put16(out, word);
    return out;
}

class BitmapFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("ostrel_bitmap_") + info->name() + "_" + std::to_string(std::random_device{}());
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        dir_ = fs::temp_directory_path() / name;
        fs::create_directories(dir_);
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    std::string WriteFile(const std::string& name, const Bytes& bytes) const {
        const std::string path = PathOf(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    static Bytes ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Loads `layout` written as a file; a failed load must hand back no pixels.
    int Load(const BmpLayout& layout, IndexedBitmap& picture) {
        const int result = LoadBitmapFile(WriteFile("in.bmp", BuildBmp(layout)).c_str(), &picture);
        if (result != BitmapOk) {
            EXPECT_TRUE(picture.pixels.empty());
        }
        return result;
    }

    fs::path dir_;
};

// A picture of every depth, with the grey levels expected per row (bottom row
// first); pixels past the width in the file rows are set to catch overreads.
struct DepthCase {
    const char* name;
    std::uint16_t bitCount;
    std::int32_t width;
    std::vector<Rgb> table;
    std::vector<Bytes> rows;
    std::vector<Bytes> expected;
};

std::vector<Rgb> FourBitTable() {
    std::vector<Rgb> table(16, Rgb{9, 9, 9});
    table[0] = {0, 0, 0};
    table[5] = {30, 20, 10};  // grey 20
    table[15] = {255, 255, 255};
    return table;
}

std::vector<Rgb> EightBitTable() {
    std::vector<Rgb> table = GreyTable(256);
    table[7] = {4, 2, 1};  // grey 7 / 3 = 2
    return table;
}

std::vector<DepthCase> DepthCases() {
    return {
        {"1 bit, width 11: bits past the width ignored", 1, 11, {{0, 0, 0}, {255, 255, 255}},
         {{0b10110000, 0b10111111}, {0x00, 0x1F}},
         {{255, 0, 255, 255, 0, 0, 0, 0, 255, 0, 255}, Bytes(11, 0)}},
        {"4 bits, odd width: last low nibble ignored", 4, 3, FourBitTable(),
         {{0x5F, 0x0F}, {0xF0, 0x5A}},
         {{20, 255, 0}, {255, 0, 20}}},
        {"8 bits", 8, 3, EightBitTable(),
         {{0, 7, 255}, {200, 1, 2}},
         {{0, 2, 255}, {200, 1, 2}}},
        {"15 bits: bit 15 ignored, components widened", 15, 3, {},
         {Words({0x7FFF, 0x0000, 0x8000}), Words({0x0001, 0x7C00, 0x03E0})},
         {{255, 0, 0}, {2, 85, 85}}},
        {"16 bits read as 5-5-5", 16, 2, {},
         {Words({0xFFFF, 0x7FFF}), Words({0x0421, 0x0000})},
         {{255, 255}, {8, 0}}},
        {"24 bits, width 1: 4-byte rows", 24, 1, {},
         {{255, 255, 255}, {10, 20, 31}, {0, 0, 0}},
         {{255}, {20}, {0}}},
        {"32 bits: fourth byte ignored", 32, 2, {},
         {{255, 255, 255, 0, 1, 2, 3, 99}, {0, 0, 0, 255, 30, 0, 0, 0}},
         {{255, 2}, {0, 10}}},
    };
}

BmpLayout LayoutOf(const DepthCase& c) {
    BmpLayout layout;
    layout.width = c.width;
    layout.height = static_cast<std::int32_t>(c.rows.size());
    layout.bitCount = c.bitCount;
    layout.table = c.table;
    layout.rows = c.rows;
    return layout;
}

// Checks a loaded grey picture: header fields, the single zero colour entry,
// and each output row (stride = width rounded up to 4, pad bytes zero).
void ExpectGreyPicture(const IndexedBitmap& picture, const DepthCase& c, std::uint32_t biSize) {
    const auto stride = static_cast<std::size_t>((c.width + 3) / 4 * 4);
    const std::size_t height = c.expected.size();
    EXPECT_EQ(picture.header.biSize, biSize);
    EXPECT_EQ(picture.header.biWidth, c.width);
    EXPECT_EQ(picture.header.biHeight, static_cast<std::int32_t>(height));
    EXPECT_EQ(picture.header.biPlanes, 1);
    EXPECT_EQ(picture.header.biBitCount, 8);
    EXPECT_EQ(picture.header.biCompression, 0u);
    EXPECT_EQ(picture.header.biSizeImage, stride * height);
    EXPECT_EQ(picture.header.biXPelsPerMeter, 2835);
    EXPECT_EQ(picture.header.biClrUsed, 7u);
    ASSERT_EQ(picture.colours.size(), 1u);
    EXPECT_EQ(picture.colours[0].blue | picture.colours[0].green | picture.colours[0].red, 0);
    ASSERT_EQ(picture.pixels.size(), stride * height);
    for (std::size_t y = 0; y < height; ++y) {
        Bytes expectedRow = c.expected[y];
        expectedRow.resize(stride, 0);
        const Bytes actualRow(picture.pixels.begin() + y * stride, picture.pixels.begin() + (y + 1) * stride);
        EXPECT_EQ(actualRow, expectedRow) << "row " << y;
    }
}

TEST_F(BitmapFileTest, LoadsEveryDepthAsGreyLevels) {
    for (const DepthCase& c : DepthCases()) {
        SCOPED_TRACE(c.name);
        IndexedBitmap picture;
        ASSERT_EQ(Load(LayoutOf(c), picture), BitmapOk);
        ExpectGreyPicture(picture, c, 40);
    }
}

TEST_F(BitmapFileTest, SkipsExtendedInfoHeaders) {
    for (std::uint32_t biSize : {108u, 124u}) {
        for (const DepthCase& c : DepthCases()) {
            SCOPED_TRACE(std::to_string(biSize) + ": " + c.name);
            BmpLayout layout = LayoutOf(c);
            layout.biSize = biSize;
            IndexedBitmap picture;
            ASSERT_EQ(Load(layout, picture), BitmapOk);
            ExpectGreyPicture(picture, c, biSize);
        }
    }
}

TEST_F(BitmapFileTest, InfoHeaderShorterThanFortyBytesIsAShortRead) {
    for (std::uint32_t biSize : {0u, 12u, 39u}) {
        SCOPED_TRACE(biSize);
        BmpLayout layout = LayoutOf(DepthCases()[2]);
        layout.biSize = biSize;
        IndexedBitmap picture;
        EXPECT_EQ(Load(layout, picture), BitmapShortRead);
    }
}

TEST_F(BitmapFileTest, RefusesWhatIsNotAnUncompressedBitmap) {
    struct Case {
        const char* name;
        std::uint16_t bitCount;
        std::uint32_t compression;
        std::int32_t width;
        std::int32_t height;
    };
    const Case cases[] = {
        {"bit-field masks, 16 bits", 16, BiBitfields, 2, 1},
        {"bit-field masks, 32 bits", 32, BiBitfields, 2, 1},
        {"bit-field masks, 8 bits", 8, BiBitfields, 2, 1},
        {"run-length coded", 8, 1, 2, 1},
        {"no bits per pixel", 0, 0, 2, 1},
        {"2 bits per pixel", 2, 0, 2, 1},
        {"48 bits per pixel", 48, 0, 2, 1},
        {"width 0", 8, 0, 0, 1},
        {"height 0", 8, 0, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpLayout layout;
        layout.bitCount = c.bitCount;
        layout.compression = c.compression;
        layout.width = c.width;
        layout.height = c.height;
        layout.table = GreyTable(256);
        layout.rows = {Bytes(8, 0)};
        IndexedBitmap picture;
        EXPECT_EQ(Load(layout, picture), BitmapNotSupported);
    }
}

TEST_F(BitmapFileTest, RefusesAWrongSignature) {
    Bytes bytes = BuildBmp(LayoutOf(DepthCases()[2]));
    bytes[1] = 'A';
    IndexedBitmap picture;
    picture.pixels = {1, 2, 3};
    EXPECT_EQ(LoadBitmapFile(WriteFile("ba.bmp", bytes).c_str(), &picture), BitmapNotSupported);
    EXPECT_TRUE(picture.pixels.empty());
}

TEST_F(BitmapFileTest, RefusesNegativeAndOversizedDimensions) {
    const std::pair<std::int32_t, std::int32_t> sizes[] = {
        {-1, 2}, {2, -1}, {-3, -3}, {16385, 1}, {1, 16385}, {INT32_MAX, 1},
        {1, INT32_MIN}, {INT32_MIN, INT32_MIN}, {65536, 65536}, {INT32_MAX, INT32_MAX},
    };
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        BmpLayout layout;
        layout.width = width;
        layout.height = height;
        layout.table = GreyTable(256);
        layout.rows = {Bytes(8, 0)};
        IndexedBitmap picture;
        EXPECT_EQ(Load(layout, picture), BitmapNotSupported);
    }
}

TEST_F(BitmapFileTest, LargestSizeDeclaredInATinyFileIsAShortRead) {
    BmpLayout layout;
    layout.width = 16384;
    layout.height = 16384;
    layout.table = GreyTable(256);
    layout.rows = {Bytes(16, 0)};
    IndexedBitmap picture;
    EXPECT_EQ(Load(layout, picture), BitmapShortRead);
}

TEST_F(BitmapFileTest, LoadsTheWidestRowAllowed) {
    BmpLayout layout;
    layout.width = 16384;
    layout.bitCount = 32;
    Bytes row(4 * 16384, 255);
    row[4 * 16383] = 0;  // last pixel: blue 0, green 255, red 255 -> 170
    layout.rows = {row};
    IndexedBitmap picture;
    ASSERT_EQ(Load(layout, picture), BitmapOk);
    ASSERT_EQ(picture.pixels.size(), 16384u);
    EXPECT_EQ(picture.pixels.front(), 255);
    EXPECT_EQ(picture.pixels.back(), 170);
}

TEST_F(BitmapFileTest, EightBitFileWithAShortTableReadsPixelsAsColours) {
    BmpLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.table = {{0, 0, 0}, {255, 255, 255}};
    layout.rows = {Bytes(4, 1), Bytes(4, 0)};
    IndexedBitmap picture;
    EXPECT_EQ(Load(layout, picture), BitmapShortRead);

    // With enough bytes behind, the table swallows the rows and the picture
    // comes from the trailing bytes: every pixel 0x80 selects entry 0x80.
    layout.trailing = Bytes(1024, 0x80);
    ASSERT_EQ(Load(layout, picture), BitmapOk);
    EXPECT_EQ(picture.pixels, Bytes(8, 0x80));
}

TEST_F(BitmapFileTest, EveryTruncationIsAShortRead) {
    // An extended header, so that the cut also falls inside the skipped bytes.
    for (const DepthCase& c : DepthCases()) {
        BmpLayout layout = LayoutOf(c);
        layout.biSize = 108;
        const Bytes whole = BuildBmp(layout);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(std::string(c.name) + ", length " + std::to_string(length));
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            IndexedBitmap picture;
            ASSERT_EQ(LoadBitmapFile(WriteFile("cut.bmp", cut).c_str(), &picture), BitmapShortRead);
            ASSERT_TRUE(picture.pixels.empty());
        }
    }
}

TEST_F(BitmapFileTest, MissingFileOrDirectoryCannotBeOpened) {
    IndexedBitmap picture;
    EXPECT_EQ(LoadBitmapFile(PathOf("missing.bmp").c_str(), &picture), BitmapCannotOpen);
    EXPECT_EQ(LoadBitmapFile(dir_.string().c_str(), &picture), BitmapCannotOpen);
    EXPECT_EQ(LoadBitmapFile(nullptr, &picture), BitmapCannotOpen);
    EXPECT_TRUE(picture.pixels.empty());
}

// An encoder picture: 8-bit, stride = width rounded up to 4.
IndexedBitmap GreyPicture(std::int32_t width, std::int32_t height) {
    IndexedBitmap picture;
    const std::int32_t stride = (width + 3) / 4 * 4;
    picture.header.biSize = 40;
    picture.header.biWidth = width;
    picture.header.biHeight = height;
    picture.header.biPlanes = 1;
    picture.header.biBitCount = 8;
    picture.header.biSizeImage = static_cast<std::uint32_t>(stride * height);
    picture.colours.assign(1, RgbQuad{});
    picture.pixels.assign(static_cast<std::size_t>(stride * height), 0);
    return picture;
}

TEST_F(BitmapFileTest, SavesHeaderGreyRampAndPixelsAsHeld) {
    IndexedBitmap picture = GreyPicture(30, 2);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = static_cast<std::uint8_t>(i * 3);
    const std::string path = PathOf("out.bmp");
    ASSERT_EQ(SaveBitmapFile(picture, path.c_str()), BitmapOk);

    const Bytes file = ReadFile(path);
    ASSERT_EQ(file.size(), 1142u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Get32(file, 2), 1142u);
    EXPECT_EQ(Get32(file, 6), 0u);
    EXPECT_EQ(Get32(file, 10), SavedHeadSize);
    EXPECT_EQ(Get32(file, 14), 40u);
    EXPECT_EQ(Get32(file, 18), 30u);
    EXPECT_EQ(Get32(file, 22), 2u);
    EXPECT_EQ(file[26] | (file[27] << 8), 1);
    EXPECT_EQ(file[28] | (file[29] << 8), 8);
    EXPECT_EQ(Get32(file, 30), 0u);
    EXPECT_EQ(Get32(file, 34), 64u);
    for (std::uint32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(Get32(file, 54 + 4 * i), i | (i << 8) | (i << 16)) << "entry " << i;
    }
    const Bytes pixels(file.begin() + SavedHeadSize, file.end());
    EXPECT_EQ(pixels, picture.pixels);  // pad bytes included, as they stand
}

TEST_F(BitmapFileTest, SavedPictureLoadsBackUnchanged) {
    IndexedBitmap picture = GreyPicture(5, 3);
    for (std::int32_t y = 0; y < 3; ++y) {
        for (std::int32_t x = 0; x < 5; ++x) picture.pixels[y * 8 + x] = static_cast<std::uint8_t>(60 * y + 31 * x);
    }
    const std::string path = PathOf("round.bmp");
    ASSERT_EQ(SaveBitmapFile(picture, path.c_str()), BitmapOk);
    IndexedBitmap loaded;
    ASSERT_EQ(LoadBitmapFile(path.c_str(), &loaded), BitmapOk);
    EXPECT_EQ(loaded.header.biWidth, 5);
    EXPECT_EQ(loaded.header.biHeight, 3);
    EXPECT_EQ(loaded.header.biBitCount, 8);
    EXPECT_EQ(loaded.header.biSizeImage, 24u);
    EXPECT_EQ(loaded.pixels, picture.pixels);
}

TEST_F(BitmapFileTest, SaveReplacesALongerFile) {
    const std::string path = WriteFile("old.bmp", Bytes(5000, 0x55));
    ASSERT_EQ(SaveBitmapFile(GreyPicture(30, 2), path.c_str()), BitmapOk);
    EXPECT_EQ(ReadFile(path).size(), 1142u);
}

TEST_F(BitmapFileTest, SaveFailures) {
    EXPECT_EQ(SaveBitmapFile(GreyPicture(4, 1), PathOf("no/such/dir.bmp").c_str()), BitmapCannotOpen);

    // A pixel buffer shorter than biSizeImage is refused without touching the file.
    IndexedBitmap shortPicture = GreyPicture(30, 2);
    shortPicture.pixels.resize(63);
    const std::string path = PathOf("short.bmp");
    EXPECT_EQ(SaveBitmapFile(shortPicture, path.c_str()), BitmapShortWrite);
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace ostrel
