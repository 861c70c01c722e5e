// A byte buffer addressed bit by bit, most significant bit first: bit p is
// bit 7 - (p mod 8) of byte p / 8. Callers keep `position` within the buffer;
// should they not, reads past the data give 0 bits and writes past it are
// dropped (the position still moves), so nothing outside the data is touched.
#pragma once

#include <cstdint>
#include <vector>

namespace ostrel {

struct BitBuffer {
    std::uint32_t position = 0;       // number of the next bit to read or write
    std::vector<std::uint8_t> data;   // capacity is data.size()
};

constexpr unsigned MaxBitsPerCall = 32;  // most bits ReadBits and WriteBits move at once

// Every operation accepts a null buffer: it then does nothing and reads 0.

// Gives the buffer `size` zero bytes (none when allocation fails); position untouched.
void AllocBitBuffer(BitBuffer* buffer, std::uint32_t size);
// Releases the bytes; position untouched.
void FreeBitBuffer(BitBuffer* buffer);
// The bytes, or null when there are none.
std::uint8_t* BitBufferData(BitBuffer* buffer);
// Size of the bytes.
std::uint32_t BitBufferCapacity(const BitBuffer* buffer);
// Moves the position back to bit 0.
void RewindBitBuffer(BitBuffer* buffer);
// Sets every byte to 0 and the position to bit 0.
void ClearBitBuffer(BitBuffer* buffer);
// Number of the next bit to read or write.
std::uint32_t BitPosition(const BitBuffer* buffer);
// Reads one bit; without bytes gives 0 and leaves the position.
int ReadBit(BitBuffer* buffer);
// Reads two bits, the first being the high one.
int ReadBitPair(BitBuffer* buffer);
// Writes the low bit of `value`; without bytes does nothing.
void WriteBit(BitBuffer* buffer, int value);
// Writes bit 1, then bit 0 of `value`.
void WriteBitPair(BitBuffer* buffer, int value);
// Raises the position to the next multiple of 8; the bits passed over keep their value.
void AlignToByte(BitBuffer* buffer);
// The next `count` bits (0 to 32) as one number, the first being the highest,
// without moving the position; bits past the data are 0.
std::uint32_t PeekBits(const BitBuffer* buffer, unsigned count);
// Moves the position on by `count` bits; without bytes does nothing.
void SkipBits(BitBuffer* buffer, std::uint32_t count);
// Reads `count` bits (0 to 32) as one number, the first bit being the highest;
// the same as `count` calls of ReadBit.
std::uint32_t ReadBits(BitBuffer* buffer, unsigned count);
// Writes the low `count` bits (0 to 32) of `value`, highest first; the same as
// `count` calls of WriteBit.
void WriteBits(BitBuffer* buffer, std::uint32_t value, unsigned count);

}  // namespace ostrel
