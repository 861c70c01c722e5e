// A byte buffer addressed bit by bit, most significant bit first: bit p is
// bit 7 - (p mod 8) of byte p / 8. Callers keep `position` within the buffer.
#pragma once

#include <cstdint>
#include <vector>

namespace ostrel {

struct BitBuffer {
    std::uint32_t position = 0;       // number of the next bit to read or write
    std::vector<std::uint8_t> data;   // capacity is data.size()
};

void AllocBitBuffer(BitBuffer* buffer, std::uint32_t size);
void FreeBitBuffer(BitBuffer* buffer);
std::uint8_t* BitBufferData(BitBuffer* buffer);
std::uint32_t BitBufferCapacity(const BitBuffer* buffer);
void RewindBitBuffer(BitBuffer* buffer);
void ClearBitBuffer(BitBuffer* buffer);
std::uint32_t BitPosition(const BitBuffer* buffer);
int ReadBit(BitBuffer* buffer);
int ReadBitPair(BitBuffer* buffer);
void WriteBit(BitBuffer* buffer, int value);
void WriteBitPair(BitBuffer* buffer, int value);
void AlignToByte(BitBuffer* buffer);

}  // namespace ostrel
