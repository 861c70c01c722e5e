// Damaged streams end to end through the toolkit: a valid stream written by
// the block writer is mutated (bytes flipped, cut, spliced) and every block
// the reader still finds is decoded. Under the sanitizers this proves that no
// damage makes the reader or the decoder crash, hang or read out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "support/program_run.h"
#include "supkit/block_writer.h"
#include "supkit/control_header_builder.h"
#include "supkit/data_file.h"
#include "supkit/rle_codec.h"
#include "supkit/subtitle_block.h"

namespace ostrel {
namespace {

using fixture::ReadFileBytes;
using fixture::TempFolder;
using fixture::WriteFileBytes;
using Bytes = std::vector<std::uint8_t>;

constexpr int MaxBlocksPerRead = 64;

// A picture of stripes and blocks in all four grey bands.
IndexedBitmap StripedPicture(int width, int height) {
    IndexedBitmap picture;
    SetGreyPictureHeader(&picture, width, height);
    const int stride = BitmapStride(width);
    picture.pixels.resize(picture.header.biSizeImage);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x)
            picture.pixels[static_cast<std::size_t>(row * stride + x)] =
                static_cast<std::uint8_t>(((x / 7 + row / 3) % 4) * 64 + 10);
    return picture;
}

// Three encoder-style blocks (show with a picture, then hide).
Bytes ValidStream(const TempFolder& folder) {
    const auto path = folder.path / "valid.sup";
    DataFile file;
    OpenDataFile(&file, path.c_str(), OfWrite);
    const int widths[] = {40, 300, 5};
    for (int i = 0; i < 3; ++i) {
        const IndexedBitmap picture = StripedPicture(widths[i], 9 + i);
        SubtitleBlock block;
        block.headerCount = 2;
        block.headers.resize(2);
        block.startTime = 90000u * static_cast<std::uint32_t>(i + 1);
        BuildControlHeader(&picture, FrameSize{720, 576}, 0, 40, 0, 0x3210, 0xFFF0, &block.headers[0]);
        BuildControlHeader(nullptr, FrameSize{720, 576}, 0, 40, 180000, 0, 0, &block.headers[1]);
        EXPECT_EQ(WriteSubtitleBlock(&file, &block), 0);
    }
    CloseDataFile(&file);
    return ReadFileBytes(path);
}

// Reads every block of the file and decodes each header's picture; returns
// the number of blocks found.
int ReadAndDecodeAll(const TempFolder& folder, const Bytes& bytes) {
    const auto path = folder.path / "damaged.sup";
    WriteFileBytes(path, bytes);
    DataFile file;
    OpenDataFile(&file, path.c_str(), OfRead);
    SubtitleBlock block;
    int blocks = 0;
    while (blocks < MaxBlocksPerRead && ReadSubtitleBlock(&file, &block) == 1) {
        ++blocks;
        EXPECT_EQ(static_cast<std::size_t>(block.headerCount), block.headers.size());
        for (const ControlHeader& header : block.headers) {
            IndexedBitmap picture;
            DecodeSubPicture(header, &picture);
            const std::size_t rows = static_cast<std::size_t>(picture.header.biHeight);
            EXPECT_EQ(picture.pixels.size(), rows * static_cast<std::size_t>(BitmapStride(picture.header.biWidth)));
            EXPECT_TRUE(std::all_of(picture.pixels.begin(), picture.pixels.end(), [](std::uint8_t p) { return p <= 3; }));
        }
    }
    return blocks;
}

TEST(MalformedStream, TheValidStreamReadsBackWhole) {
    TempFolder folder;
    EXPECT_EQ(ReadAndDecodeAll(folder, ValidStream(folder)), 3);
}

TEST(MalformedStream, FlippedBytesNeverBreakTheReaderOrDecoder) {
    TempFolder folder;
    const Bytes valid = ValidStream(folder);
    std::mt19937 random(20261211);
    for (int mutant = 0; mutant < 300; ++mutant) {
        Bytes bytes = valid;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        ReadAndDecodeAll(folder, bytes);
    }
}

TEST(MalformedStream, CutAndSplicedStreamsNeverBreakTheReaderOrDecoder) {
    TempFolder folder;
    const Bytes valid = ValidStream(folder);
    std::mt19937 random(7);
    for (int mutant = 0; mutant < 200; ++mutant) {
        const std::size_t cut = random() % valid.size();
        const std::size_t resume = random() % valid.size();
        Bytes bytes(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(cut));
        if (mutant % 2 == 1) bytes.insert(bytes.end(), valid.begin() + static_cast<std::ptrdiff_t>(resume), valid.end());
        ReadAndDecodeAll(folder, bytes);
    }
}

TEST(MalformedStream, RandomBytesAfterAMarkerNeverBreakTheReaderOrDecoder) {
    TempFolder folder;
    std::mt19937 random(99);
    for (int mutant = 0; mutant < 200; ++mutant) {
        Bytes bytes = {0x53, 0x50};
        const std::size_t length = random() % 600;
        for (std::size_t i = 0; i < length; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
        ReadAndDecodeAll(folder, bytes);
    }
}

}  // namespace
}  // namespace ostrel
