// Tests of the bit-addressed buffer: bit order, null and empty buffers,
// alignment, the multi-bit calls against single bits, and access past the data.
#include "supkit/bit_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace ostrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(BitBufferTest, NullBufferDoesNothingAndReadsZero) {
    AllocBitBuffer(nullptr, 16);
    FreeBitBuffer(nullptr);
    RewindBitBuffer(nullptr);
    ClearBitBuffer(nullptr);
    WriteBit(nullptr, 1);
    WriteBitPair(nullptr, 3);
    WriteBits(nullptr, 0xFFFF, 16);
    AlignToByte(nullptr);
    EXPECT_EQ(BitBufferData(nullptr), nullptr);
    EXPECT_EQ(BitBufferCapacity(nullptr), 0u);
    EXPECT_EQ(BitPosition(nullptr), 0u);
    EXPECT_EQ(ReadBit(nullptr), 0);
    EXPECT_EQ(ReadBitPair(nullptr), 0);
    EXPECT_EQ(ReadBits(nullptr, 8), 0u);
}

TEST(BitBufferTest, WithoutDataReadsGiveZeroAndPositionStays) {
    BitBuffer buffer;
    buffer.position = 5;
    EXPECT_EQ(ReadBit(&buffer), 0);
    EXPECT_EQ(ReadBits(&buffer, 12), 0u);
    WriteBit(&buffer, 1);
    WriteBits(&buffer, 7, 3);
    EXPECT_EQ(BitPosition(&buffer), 5u);
    EXPECT_EQ(BitBufferData(&buffer), nullptr);
    AlignToByte(&buffer);
    EXPECT_EQ(BitPosition(&buffer), 8u);
}

TEST(BitBufferTest, AllocFreeAndClear) {
    BitBuffer buffer;
    buffer.position = 3;
    AllocBitBuffer(&buffer, 4);
    EXPECT_EQ(BitBufferCapacity(&buffer), 4u);
    EXPECT_EQ(BitPosition(&buffer), 3u);
    ASSERT_NE(BitBufferData(&buffer), nullptr);
    BitBufferData(&buffer)[2] = 0x5A;
    ClearBitBuffer(&buffer);
    EXPECT_EQ(buffer.data, Bytes(4, 0));
    EXPECT_EQ(BitPosition(&buffer), 0u);
    buffer.position = 9;
    FreeBitBuffer(&buffer);
    EXPECT_EQ(BitBufferCapacity(&buffer), 0u);
    EXPECT_EQ(BitPosition(&buffer), 9u);
}

TEST(BitBufferTest, BitsGoMostSignificantFirst) {
    BitBuffer buffer;
    AllocBitBuffer(&buffer, 2);
    WriteBit(&buffer, 1);       // 1
    WriteBitPair(&buffer, 2);   // 10
    WriteBitPair(&buffer, 1);   // 01
    WriteBit(&buffer, 0x3);     // only the low bit counts: 1
    WriteBitPair(&buffer, 3);   // 11
    WriteBit(&buffer, 1);       // 1, the first bit of the second byte
    EXPECT_EQ(buffer.data, (Bytes{0xCF, 0x80}));
    EXPECT_EQ(BitPosition(&buffer), 9u);

    RewindBitBuffer(&buffer);
    EXPECT_EQ(ReadBit(&buffer), 1);
    EXPECT_EQ(ReadBitPair(&buffer), 2);
    EXPECT_EQ(ReadBitPair(&buffer), 1);
    EXPECT_EQ(ReadBit(&buffer), 1);
    EXPECT_EQ(ReadBitPair(&buffer), 3);
    EXPECT_EQ(ReadBit(&buffer), 1);
}

TEST(BitBufferTest, WritingOverwritesEarlierBits) {
    BitBuffer buffer;
    AllocBitBuffer(&buffer, 1);
    buffer.data[0] = 0xFF;
    WriteBitPair(&buffer, 0);
    WriteBits(&buffer, 0x2, 3);
    EXPECT_EQ(buffer.data[0], 0x17);
}

TEST(BitBufferTest, AlignToByteKeepsThePassedBits) {
    BitBuffer buffer;
    AllocBitBuffer(&buffer, 2);
    buffer.data = {0xAB, 0xCD};
    buffer.position = 3;
    AlignToByte(&buffer);
    EXPECT_EQ(BitPosition(&buffer), 8u);
    AlignToByte(&buffer);
    EXPECT_EQ(BitPosition(&buffer), 8u);
    EXPECT_EQ(buffer.data, (Bytes{0xAB, 0xCD}));
    EXPECT_EQ(ReadBits(&buffer, 8), 0xCDu);
}

// Multi-bit reads and writes at every offset, near the end of the data too,
// must match the same bits moved one at a time.
TEST(BitBufferTest, MultiBitCallsMatchSingleBits) {
    std::mt19937 random(7);
    constexpr std::uint32_t Size = 24;
    for (int round = 0; round < 2000; ++round) {
        const auto count = static_cast<unsigned>(random() % 33);
        const std::uint32_t position = random() % (Size * 8 - count + 1);
        const std::uint32_t value = random();
        Bytes start(Size);
        for (auto& byte : start) byte = static_cast<std::uint8_t>(random());

        BitBuffer fast{position, start};
        BitBuffer slow{position, start};
        WriteBits(&fast, value, count);
        for (unsigned i = count; i-- > 0;) WriteBit(&slow, static_cast<int>((value >> i) & 1));
        ASSERT_EQ(fast.data, slow.data) << "write of " << count << " bits at " << position;
        ASSERT_EQ(fast.position, slow.position);

        fast.position = slow.position = position;
        std::uint32_t expected = 0;
        for (unsigned i = 0; i < count; ++i) expected = (expected << 1) | static_cast<std::uint32_t>(ReadBit(&slow));
        ASSERT_EQ(ReadBits(&fast, count), expected) << "read of " << count << " bits at " << position;
        ASSERT_EQ(fast.position, slow.position);
    }
}

TEST(BitBufferTest, PastTheDataReadsGiveZeroAndWritesAreDropped) {
    BitBuffer buffer{12, Bytes{0xFF, 0xFF}};
    EXPECT_EQ(ReadBits(&buffer, 8), 0xF0u);  // 4 bits inside, 4 past the end
    EXPECT_EQ(BitPosition(&buffer), 20u);
    EXPECT_EQ(ReadBit(&buffer), 0);
    EXPECT_EQ(ReadBitPair(&buffer), 0);
    EXPECT_EQ(BitPosition(&buffer), 23u);

    buffer.position = 14;
    WriteBits(&buffer, 0, 32);  // two bits land, the rest fall off the end
    WriteBit(&buffer, 0);
    EXPECT_EQ(buffer.data, (Bytes{0xFF, 0xFC}));
    EXPECT_EQ(BitPosition(&buffer), 47u);
}

}  // namespace
}  // namespace ostrel
