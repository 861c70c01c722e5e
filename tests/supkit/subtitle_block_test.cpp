// Tests of the block reader on small hand-built ".sup" files: the commands of
// a control sequence, the chain, the field code, and broken files that must
// end the reading without hanging or running away.
#include "supkit/subtitle_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A sub-picture unit of a given size S, zero-filled, with S as its first word.
struct Unit {
    Bytes bytes;
    explicit Unit(std::size_t size) : bytes(size, 0) { Word(0, static_cast<std::uint16_t>(size)); }
    Unit& Word(std::size_t at, std::uint16_t value) {
        bytes[at] = static_cast<std::uint8_t>(value >> 8);
        bytes[at + 1] = static_cast<std::uint8_t>(value);
        return *this;
    }
    Unit& Put(std::size_t at, const Bytes& data) {
        std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return *this;
    }
    // A control sequence at `at`: delay word, next offset, then the command bytes.
    Unit& Sequence(std::size_t at, std::uint16_t delayWord, std::uint16_t next, const Bytes& commands) {
        Word(at, delayWord).Word(at + 2, next);
        return Put(at + 4, commands);
    }
};

// "SP", the little-endian time stamp, the spare bytes, then the unit.
Bytes Block(const Unit& unit, std::uint32_t stamp = 0, std::uint32_t spare = 0) {
    Bytes block = {0x53, 0x50};
    for (std::uint32_t value : {stamp, spare})
        for (int i = 0; i < 4; ++i) block.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    block.insert(block.end(), unit.bytes.begin(), unit.bytes.end());
    return block;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A unit of one sequence at offset 4 that points to itself.
Unit OneSequence(const Bytes& commands, std::uint16_t delayWord = 0) {
    Unit unit(8 + commands.size() + (commands.size() % 2));
    unit.Word(2, 4).Sequence(4, delayWord, 4, commands);
    return unit;
}

class SubtitleBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("ostrel_subtitle_block_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        file_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    // Writes the bytes to a file and opens it for reading.
    DataFile* Open(const Bytes& bytes) {
        const std::string path = (folder_ / "input.sup").string();
        file_.reset();
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        file_ = std::make_unique<DataFile>();
        OpenDataFile(file_.get(), path.c_str(), OfRead);
        return file_.get();
    }
    // Reads blocks until none is found or `limit` have been read.
    int CountBlocks(DataFile* file, int limit) {
        SubtitleBlock block;
        int count = 0;
        while (count < limit && ReadSubtitleBlock(file, &block) == 1) ++count;
        return count;
    }

    fs::path folder_;
    std::unique_ptr<DataFile> file_;
};

TEST_F(SubtitleBlockTest, SequencePointingToItselfGivesOneHeader) {
    DataFile* file = Open(Block(OneSequence({0x00, 0xFF}, 1), 10000, 0xA1B2C3D4));
    SubtitleBlock block;
    std::uint32_t spuStart = 0;
    std::uint16_t spuSize = 0;
    ASSERT_EQ(ReadSubtitleBlock(file, &block, &spuStart, &spuSize), 1);
    EXPECT_EQ(spuStart, 10u);
    EXPECT_EQ(spuSize, 10);
    EXPECT_EQ(block.startTime, 10000u);
    EXPECT_EQ(block.spare, 0xA1B2C3D4u);
    ASSERT_EQ(block.headerCount, 1);
    ASSERT_EQ(block.headers.size(), 1u);
    const ControlHeader& header = block.headers[0];
    EXPECT_EQ(header.delay, 1024);
    EXPECT_EQ(header.nextOffset, 4);
    EXPECT_EQ(header.command, CommandShow);
    EXPECT_EQ(SeekDataFile(file, 0, 1), 20);
    EXPECT_EQ(ReadSubtitleBlock(file, &block), 0);
}

TEST_F(SubtitleBlockTest, HideOnlySequenceKeepsTheDefaults) {
    DataFile* file = Open(Block(OneSequence({0x02, 0xFF})));
    SubtitleBlock block;
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    const ControlHeader& header = block.headers[0];
    EXPECT_EQ(header.delay, 0);
    EXPECT_EQ(header.command, CommandHide);
    EXPECT_EQ(header.palette, 0);
    EXPECT_EQ(header.alpha, AlphaAbsent);
    EXPECT_EQ(header.rect.left | header.rect.top | header.rect.right | header.rect.bottom, 0);
    EXPECT_TRUE(header.fields[0].bytes.empty());
    EXPECT_TRUE(header.fields[1].bytes.empty());
    EXPECT_TRUE(header.colContrast.bytes.empty());
}

TEST_F(SubtitleBlockTest, CommandsSetTheirMembersAndUnknownBytesAreSkipped) {
    const Bytes commands = {0x08, 0x03, 0x11, 0x11, 0x03, 0x12, 0x34, 0x04, 0x56, 0x78,
                            0x05, 0x0D, 0x11, 0xFD, 0x1B, 0x42, 0x17, 0x02, 0x08, 0x00, 0xFF};
    DataFile* file = Open(Block(OneSequence(commands)));
    SubtitleBlock block;
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    const ControlHeader& header = block.headers[0];
    EXPECT_EQ(header.palette, 0x1234);  // the later command 3 wins
    EXPECT_EQ(header.alpha, 0x5678);
    EXPECT_EQ(header.rect.left, 209);
    EXPECT_EQ(header.rect.right, 509);
    EXPECT_EQ(header.rect.top, 436);
    EXPECT_EQ(header.rect.bottom, 535);
    EXPECT_EQ(header.command, CommandShow);  // 0x00 after 0x02 shows
}

TEST_F(SubtitleBlockTest, ColourContrastSizeWordCountsItself) {
    struct Case {
        std::uint16_t size;
        std::size_t expectedLength;
    };
    for (const Case& c : {Case{0, 0}, Case{1, 0}, Case{2, 0}, Case{5, 3}}) {
        Bytes commands = {0x07, static_cast<std::uint8_t>(c.size >> 8), static_cast<std::uint8_t>(c.size)};
        for (std::size_t i = 0; i < c.expectedLength; ++i) commands.push_back(static_cast<std::uint8_t>(0xC0 + i));
        commands = commands + Bytes{0x03, 0x43, 0x21, 0xFF};
        DataFile* file = Open(Block(OneSequence(commands)));
        SubtitleBlock block;
        ASSERT_EQ(ReadSubtitleBlock(file, &block), 1) << "size " << c.size;
        const ControlHeader& header = block.headers[0];
        EXPECT_EQ(header.colContrast.bytes.size(), c.expectedLength) << "size " << c.size;
        if (c.expectedLength > 0) {
            EXPECT_EQ(header.colContrast.bytes[0], 0xC0);
        }
        EXPECT_EQ(header.palette, 0x4321) << "reading goes on after the data, size " << c.size;
    }
}

// Field code before two sequences at 0x0200 and 0x0218 that both name
// the even field at 4 and the odd field at 0x0104.
TEST_F(SubtitleBlockTest, FieldCodeRunsUpToTheSequenceThatNamesIt) {
    const Bytes fieldCommand = {0x06, 0x00, 0x04, 0x01, 0x04, 0xFF};
    Unit unit(0x0230);
    unit.Word(2, 0x0200).Sequence(0x0200, 0, 0x0218, fieldCommand).Sequence(0x0218, 2, 0x0218, Bytes{0x02} + fieldCommand);
    for (std::size_t i = 4; i < 0x0200; ++i) unit.bytes[i] = static_cast<std::uint8_t>(i);
    DataFile* file = Open(Block(unit));
    SubtitleBlock block;
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    ASSERT_EQ(block.headerCount, 2);
    const ControlHeader& show = block.headers[0];
    const ControlHeader& hide = block.headers[1];
    EXPECT_EQ(show.command, CommandShow);
    EXPECT_EQ(hide.command, CommandHide);
    EXPECT_EQ(hide.delay, 2048);
    EXPECT_EQ(show.fields[0].bytes.size(), 0x0100u);
    EXPECT_EQ(show.fields[1].bytes.size(), 0x00FCu);
    EXPECT_EQ(hide.fields[1].bytes.size(), 0x0114u);
    EXPECT_EQ(show.fields[0].bytes, Bytes(unit.bytes.begin() + 4, unit.bytes.begin() + 0x0104));
    EXPECT_EQ(hide.fields[1].bytes, Bytes(unit.bytes.begin() + 0x0104, unit.bytes.begin() + 0x0218));
    EXPECT_EQ(show.fieldOffsets[0], 0);
}

TEST_F(SubtitleBlockTest, BlocksFollowOneAnotherPastTheFillByte) {
    Unit first = OneSequence({0x01, 0x08, 0xFF});  // 11 bytes: S = 12 with the fill byte
    first.bytes.back() = 0xFF;
    const Unit second = OneSequence({0x02, 0xFF}, 3);
    DataFile* file = Open(Block(first, 1) + Block(second, 2));
    SubtitleBlock block;
    std::uint32_t spuStart = 0;
    std::uint16_t spuSize = 0;
    ASSERT_EQ(ReadSubtitleBlock(file, &block, &spuStart, &spuSize), 1);
    EXPECT_EQ(spuSize, 12);
    ASSERT_EQ(ReadSubtitleBlock(file, &block, &spuStart, &spuSize), 1);
    EXPECT_EQ(spuStart, 10u + 12u + 10u);
    EXPECT_EQ(block.startTime, 2u);
    EXPECT_EQ(block.headers[0].delay, 3 * 1024);
    EXPECT_EQ(ReadSubtitleBlock(file, &block, &spuStart, &spuSize), 0);
}

TEST_F(SubtitleBlockTest, NoMarkerMeansNoBlockAndTheBlockIsUntouched) {
    const Bytes inputs[] = {Bytes{}, Bytes{0x53}, Bytes{'P', 'S', 0, 0, 0, 0}, Bytes{'G', 'I', 'F', '8', '9', 'a'}};
    for (const Bytes& input : inputs) {
        DataFile* file = Open(input);
        SubtitleBlock block;
        block.headerCount = 77;
        block.startTime = 5;
        block.headers.resize(3);
        EXPECT_EQ(ReadSubtitleBlock(file, &block), 0) << input.size() << " bytes";
        EXPECT_EQ(block.headerCount, 77);
        EXPECT_EQ(block.startTime, 5u);
        EXPECT_EQ(block.headers.size(), 3u);
    }
    DataFile closed;
    SubtitleBlock block;
    EXPECT_EQ(ReadSubtitleBlock(&closed, &block), 0);
    EXPECT_EQ(ReadSubtitleBlock(nullptr, &block), 0);
}

TEST_F(SubtitleBlockTest, EachReadStartsWithFreshHeaders) {
    Unit big(0x40);
    big.Word(2, 0x10)
        .Sequence(0x10, 0, 0x20, {0x06, 0x00, 0x04, 0x00, 0x08, 0x07, 0x00, 0x04, 0xAA, 0xBB, 0xFF})
        .Sequence(0x20, 0, 0x30, {0x02, 0xFF})
        .Sequence(0x30, 0, 0x30, {0x02, 0xFF});
    Unit small = OneSequence({0x03, 0x12, 0x34, 0xFF});
    DataFile* file = Open(Block(big) + Block(small));
    SubtitleBlock block;
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    ASSERT_EQ(block.headerCount, 3);
    EXPECT_EQ(block.headers[0].fields[0].bytes.size(), 4u);
    EXPECT_EQ(block.headers[0].colContrast.bytes, (Bytes{0xAA, 0xBB}));
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    ASSERT_EQ(block.headerCount, 1);
    ASSERT_EQ(block.headers.size(), 1u);
    EXPECT_TRUE(block.headers[0].fields[0].bytes.empty());
    EXPECT_TRUE(block.headers[0].colContrast.bytes.empty());
    EXPECT_EQ(block.headers[0].palette, 0x1234);
}

TEST_F(SubtitleBlockTest, ChainLongerThanTheTableStopsAtTheLimit) {
    constexpr std::size_t Sequences = MaxControlHeaders + 76;
    constexpr std::size_t SequenceSize = 6;  // delay, next, 0x01, 0xFF
    Unit unit(4 + Sequences * SequenceSize);
    unit.Word(2, 4);
    for (std::size_t i = 0; i < Sequences; ++i) {
        const std::size_t at = 4 + i * SequenceSize;
        const std::size_t next = i + 1 < Sequences ? at + SequenceSize : at;
        unit.Sequence(at, static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(next), {0x01, 0xFF});
    }
    DataFile* file = Open(Block(unit) + Block(OneSequence({0x02, 0xFF})));
    SubtitleBlock block;
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    EXPECT_EQ(block.headerCount, MaxControlHeaders);
    EXPECT_EQ(block.headers.size(), static_cast<std::size_t>(MaxControlHeaders));
    EXPECT_EQ(block.headers.back().delay, (MaxControlHeaders - 1) * 1024);
    EXPECT_EQ(SeekDataFile(file, 0, 1), static_cast<std::int32_t>(10 + unit.bytes.size()));
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    EXPECT_EQ(block.headers[0].command, CommandHide);
}

TEST_F(SubtitleBlockTest, ChainThatGoesBackwardsEndsTheBlock) {
    Unit unit(0x20);
    unit.Word(2, 0x10).Sequence(0x04, 0, 0x10, {0x02, 0xFF}).Sequence(0x10, 0, 0x04, {0x01, 0xFF});
    DataFile* file = Open(Block(unit));
    SubtitleBlock block;
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    ASSERT_EQ(block.headerCount, 1);
    EXPECT_EQ(block.headers[0].command, CommandShow);
}

TEST_F(SubtitleBlockTest, UnitWithoutEndByteStopsAtTheUnitsEnd) {
    Unit unit(0x10);
    unit.Word(2, 4).Sequence(4, 0, 4, {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08});
    DataFile* file = Open(Block(unit) + Block(OneSequence({0x02, 0xFF})));
    EXPECT_EQ(CountBlocks(file, 10), 2);
}

TEST_F(SubtitleBlockTest, FileEndingInsideABlockYieldsItWithZeros) {
    Unit unit(0x40);  // claims 64 bytes; the file stops after the palette word
    unit.Word(2, 4).Sequence(4, 1, 4, {0x03, 0x12, 0x34, 0x06, 0x00, 0x04});
    const Bytes whole = Block(unit, 7);
    DataFile* file = Open(Bytes(whole.begin(), whole.begin() + 10 + 4 + 4 + 3 + 2));
    SubtitleBlock block;
    ASSERT_EQ(ReadSubtitleBlock(file, &block), 1);
    EXPECT_EQ(block.startTime, 7u);
    EXPECT_EQ(block.headers[0].palette, 0x1234);
    EXPECT_EQ(block.headers[0].delay, 1024);
    EXPECT_EQ(ReadSubtitleBlock(file, &block), 0);
}

// A valid two-block file cut at every length: reading always ends, finds at
// most the two blocks, and finds the first intact once the file holds it.
TEST_F(SubtitleBlockTest, FileCutAtAnyLengthNeverHangs) {
    Unit first(0x30);
    first.Word(2, 0x0C)
        .Put(4, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88})
        .Sequence(0x0C, 0, 0x24, {0x01, 0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0, 0x06, 0x00, 0x04, 0x00, 0x08,
                                  0x05, 0x0D, 0x11, 0xFD, 0x1B, 0x42, 0x17, 0xFF})
        .Sequence(0x24, 176, 0x24, {0x02, 0x07, 0x00, 0x04, 0x01, 0x02, 0xFF});
    const Bytes firstBlock = Block(first, 90000);
    const Bytes whole = firstBlock + Block(OneSequence({0x02, 0x08, 0x03, 0x12, 0x34, 0xFF}), 180000);

    DataFile* file = Open(whole);
    SubtitleBlock reference;
    ASSERT_EQ(ReadSubtitleBlock(file, &reference), 1);
    ASSERT_EQ(reference.headerCount, 2);
    EXPECT_EQ(CountBlocks(Open(whole), 10), 2);

    for (std::size_t length = 0; length < whole.size(); ++length) {
        file = Open(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        SubtitleBlock block;
        int blocks = 0;
        while (blocks < 10 && ReadSubtitleBlock(file, &block) == 1) {
            ASSERT_LE(block.headerCount, MaxControlHeaders);
            ASSERT_EQ(block.headers.size(), static_cast<std::size_t>(block.headerCount));
            if (++blocks == 1 && length >= firstBlock.size()) {
                EXPECT_EQ(block.headerCount, reference.headerCount) << "length " << length;
                EXPECT_EQ(block.headers[0].fields[0].bytes, reference.headers[0].fields[0].bytes);
                EXPECT_EQ(block.headers[1].colContrast.bytes, reference.headers[1].colContrast.bytes);
            }
        }
        EXPECT_LE(blocks, 2) << "length " << length;
        EXPECT_EQ(blocks, length < 2 ? 0 : length < firstBlock.size() + 2 ? 1 : 2) << "length " << length;
    }
}

}  // namespace
}  // namespace ostrel
