// Tests of the block writer: the exact bytes of small blocks, delay rounding,
// rectangle packing, blocks read back by the reader, and refused blocks.
#include "supkit/block_writer.h"

#include <gtest/gtest.h>

#include <array>
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

Bytes Counting(std::size_t length, std::uint8_t first) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

ControlHeader ShowHeader(const Bytes& even, const Bytes& odd) {
    ControlHeader header;
    header.delay = 2048;
    header.command = CommandShow;
    header.palette = 0x3210;
    header.alpha = 0xFFF0;
    header.rect = DisplayRect{209, 436, 509, 535};
    header.fields[0].bytes = even;
    header.fields[1].bytes = odd;
    return header;
}

ControlHeader HideHeader(std::int32_t delay) {
    ControlHeader header;
    header.delay = delay;
    header.command = CommandHide;
    header.palette = 0x3210;
    header.alpha = 0xFFF0;
    return header;
}

SubtitleBlock MakeBlock(std::vector<ControlHeader> headers, std::uint32_t startTime = 10000) {
    SubtitleBlock block;
    block.headerCount = static_cast<std::int32_t>(headers.size());
    block.startTime = startTime;
    block.headers = std::move(headers);
    return block;
}

class BlockWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("ostrel_block_writer_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
        path_ = (folder_ / "output.sup").string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    // Runs `write` on a fresh output file and returns what the file holds.
    template <typename Write>
    Bytes Written(Write write) {
        {
            DataFile file;
            OpenDataFile(&file, path_.c_str(), OfWrite);
            write(&file);
        }
        std::ifstream in(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path folder_;
    std::string path_;
};

// A one-header block whose fields are a and b bytes long, byte by byte.
TEST_F(BlockWriterTest, OneHeaderBlockHasTheFixedLayout) {
    for (const auto& [a, b] : {std::pair{3u, 5u}, std::pair{3u, 4u}}) {
        SubtitleBlock block = MakeBlock({ShowHeader(Counting(a, 0xA0), Counting(b, 0xB0))});
        const auto c = static_cast<std::uint8_t>(4 + a + b);
        const auto oddAt = static_cast<std::uint8_t>(4 + a);
        Bytes expected = {0x53, 0x50, 0x10, 0x27, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x00, c};
        const Bytes even = Counting(a, 0xA0), odd = Counting(b, 0xB0);
        expected.insert(expected.end(), even.begin(), even.end());
        expected.insert(expected.end(), odd.begin(), odd.end());
        const Bytes sequence = {0x00, 0x02, 0x00, c,    0x01, 0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0, 0x06,
                                0x00, 0x04, 0x00, oddAt, 0x05, 0x0D, 0x11, 0xFD, 0x1B, 0x42, 0x17, 0xFF};
        expected.insert(expected.end(), sequence.begin(), sequence.end());
        if ((a + b) % 2 == 1) expected.push_back(0xFF);

        EXPECT_EQ(SubPictureUnitSize(block), 36u);
        const Bytes written = Written([&](DataFile* file) {
            EXPECT_EQ(WriteSubtitleBlock(file, &block), 0);
            EXPECT_EQ(SeekDataFile(file, 0, 1), 46);
        });
        EXPECT_EQ(written, expected) << "fields " << a << "+" << b;
        EXPECT_EQ(block.headers[0].nextOffset, c);
        EXPECT_EQ(block.headers[0].fieldOffsets[0], 4);
        EXPECT_EQ(block.headers[0].fieldOffsets[1], oddAt);
    }
}

TEST_F(BlockWriterTest, DelayIsRoundedToTheNearestUnit) {
    struct Case {
        std::int32_t ticks;
        std::uint16_t word;
    };
    const Case cases[] = {{0, 0},       {511, 0},       {512, 1},         {1535, 1},
                          {1536, 2},    {180000, 176},  {65535 * 1024, 0xFFFF},
                          {65536 * 1024, 0}, {-1000, 0}, {-2000, 0xFFFF}, {2147483647, 0}};
    const Bytes written = Written([&](DataFile* file) {
        for (const Case& c : cases) WriteDelay(file, c.ticks);
    });
    ASSERT_EQ(written.size(), 2 * std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(written[2 * i] << 8 | written[2 * i + 1], cases[i].word) << cases[i].ticks << " ticks";
}

TEST_F(BlockWriterTest, RectangleKeepsTwelveBitsPerBound) {
    struct Case {
        DisplayRect rect;
        Bytes bytes;
    };
    const Case cases[] = {
        {{209, 436, 509, 535}, {0x0D, 0x11, 0xFD, 0x1B, 0x42, 0x17}},
        {{-10, 0, 0, 0}, {0xFF, 0x60, 0x00, 0x00, 0x00, 0x00}},
        {{4095, 0x1234, 0x1FFF, 1}, {0xFF, 0xFF, 0xFF, 0x23, 0x40, 0x01}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Written([&](DataFile* file) { WriteDisplayRect(file, c.rect); }), c.bytes)
            << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
}

TEST_F(BlockWriterTest, OneHeaderBlockReadsBack) {
    ControlHeader show = ShowHeader(Counting(40, 1), Counting(37, 100));
    show.delay = 180000;
    show.alpha = 0x9F80;
    SubtitleBlock block = MakeBlock({show}, 123456789);
    block.spare = 0x01020304;
    Written([&](DataFile* file) { EXPECT_EQ(WriteSubtitleBlock(file, &block), 0); });

    DataFile file;
    OpenDataFile(&file, path_.c_str(), OfRead);
    SubtitleBlock read;
    ASSERT_EQ(ReadSubtitleBlock(&file, &read), 1);
    ASSERT_EQ(read.headerCount, 1);
    EXPECT_EQ(read.startTime, 123456789u);
    EXPECT_EQ(read.spare, 0x01020304u);
    const ControlHeader& header = read.headers[0];
    EXPECT_EQ(header.delay, 176 * 1024);
    EXPECT_EQ(header.command, CommandShow);
    EXPECT_EQ(header.palette, show.palette);
    EXPECT_EQ(header.alpha, show.alpha);
    EXPECT_EQ(header.rect.left, 209);
    EXPECT_EQ(header.rect.top, 436);
    EXPECT_EQ(header.rect.right, 509);
    EXPECT_EQ(header.rect.bottom, 535);
    EXPECT_EQ(header.fields[0].bytes, show.fields[0].bytes);
    EXPECT_EQ(header.fields[1].bytes, show.fields[1].bytes);
    EXPECT_EQ(ReadSubtitleBlock(&file, &read), 0);
}

// The encoder's block: a show header with fields of a and b bytes, a hide
// header without fields; written twice in a row and read back.
TEST_F(BlockWriterTest, ShowAndHideBlockReadsBack) {
    constexpr std::uint16_t A = 5, B = 6;
    SubtitleBlock block = MakeBlock({ShowHeader(Counting(A, 0x10), Counting(B, 0x20)), HideHeader(3 * 90000)});
    const Bytes written = Written([&](DataFile* file) {
        EXPECT_EQ(WriteSubtitleBlock(file, &block), 0);
        block.startTime = 20000;
        EXPECT_EQ(WriteSubtitleBlock(file, &block), 0);
    });
    constexpr std::uint16_t C = 4 + A + B;
    EXPECT_EQ(block.headers[0].fieldOffsets, (std::array<std::uint16_t, 2>{4, 4 + A}));
    EXPECT_EQ(block.headers[1].fieldOffsets, (std::array<std::uint16_t, 2>{C, C}));
    EXPECT_EQ(block.headers[0].nextOffset, C + 24);
    EXPECT_EQ(block.headers[1].nextOffset, C + 24);
    constexpr std::size_t BlockSize = 10 + C + 48 + 1;  // A + B is odd: one fill byte
    ASSERT_EQ(written.size(), 2 * BlockSize);
    EXPECT_EQ(written[BlockSize - 1], 0xFF);

    DataFile file;
    OpenDataFile(&file, path_.c_str(), OfRead);
    for (std::uint32_t startTime : {10000u, 20000u}) {
        SubtitleBlock read;
        std::uint32_t spuStart = 0;
        std::uint16_t spuSize = 0;
        ASSERT_EQ(ReadSubtitleBlock(&file, &read, &spuStart, &spuSize), 1);
        EXPECT_EQ(spuSize + 10u, BlockSize);
        EXPECT_EQ(read.startTime, startTime);
        ASSERT_EQ(read.headerCount, 2);
        EXPECT_EQ(read.headers[0].command, CommandShow);
        EXPECT_EQ(read.headers[1].command, CommandHide);
        EXPECT_EQ(read.headers[1].delay, 264 * 1024);  // 270000 ticks to the nearest unit
        EXPECT_EQ(read.headers[0].fields[1].bytes, Counting(B, 0x20));
        // The hide header's odd field reaches up to it: the show sequence.
        EXPECT_TRUE(read.headers[1].fields[0].bytes.empty());
        const Bytes showSequence(written.begin() + (spuStart + C),
                                 written.begin() + (spuStart + C + ControlSequenceSize));
        EXPECT_EQ(read.headers[1].fields[1].bytes, showSequence);
    }
}

TEST_F(BlockWriterTest, BlocksThatCannotBeWrittenAreRefused) {
    const ControlHeader hide = HideHeader(0);
    SubtitleBlock noHeader = MakeBlock({});
    SubtitleBlock countBeyondTable = MakeBlock({hide});
    countBeyondTable.headerCount = 2;
    SubtitleBlock tooManyHeaders = MakeBlock(std::vector<ControlHeader>(MaxControlHeaders + 1, hide));
    SubtitleBlock oddOverflow = MakeBlock({ShowHeader(Counting(65507, 0), {})});  // 65535 + fill byte
    SubtitleBlock fieldTooLong = MakeBlock({ShowHeader(Counting(70000, 0), {})});
    SubtitleBlock negativeCount = MakeBlock({hide});
    negativeCount.headerCount = -1;
    for (SubtitleBlock* block : {&noHeader, &countBeyondTable, &tooManyHeaders, &oddOverflow,
                                 &fieldTooLong, &negativeCount}) {
        const Bytes written = Written([&](DataFile* file) {
            EXPECT_EQ(WriteSubtitleBlock(file, block), -1) << "headerCount " << block->headerCount;
            EXPECT_EQ(SeekDataFile(file, 0, 1), 0);
        });
        EXPECT_TRUE(written.empty());
    }
    EXPECT_EQ(SubPictureUnitSize(oddOverflow), 65536u);
    EXPECT_EQ(WriteSubtitleBlock(nullptr, nullptr), -1);
}

TEST_F(BlockWriterTest, LargestUnitIsWrittenAndReadBack) {
    SubtitleBlock block = MakeBlock({ShowHeader(Counting(65000, 0), Counting(506, 7))});
    ASSERT_EQ(SubPictureUnitSize(block), 65534u);
    const Bytes written = Written([&](DataFile* file) { EXPECT_EQ(WriteSubtitleBlock(file, &block), 0); });
    ASSERT_EQ(written.size(), 10u + 65534u);

    DataFile file;
    OpenDataFile(&file, path_.c_str(), OfRead);
    SubtitleBlock read;
    ASSERT_EQ(ReadSubtitleBlock(&file, &read), 1);
    EXPECT_EQ(read.headers[0].fields[0].bytes, block.headers[0].fields[0].bytes);
    EXPECT_EQ(read.headers[0].fields[1].bytes, block.headers[0].fields[1].bytes);
}

}  // namespace
}  // namespace ostrel
