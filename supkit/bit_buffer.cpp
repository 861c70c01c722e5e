// The bit-addressed buffer through which the field code of a sub-picture is
// read and written. Single bits take the plain path; ReadBits and WriteBits
// move up to 32 bits through one 64-bit big-endian window when the eight
// bytes at the position lie inside the data.
#include "supkit/bit_buffer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace ostrel {
namespace {

constexpr unsigned BitsPerByte = 8;
constexpr unsigned WindowBytes = 8;
constexpr unsigned WindowBits = WindowBytes * BitsPerByte;
constexpr std::uint8_t FirstBitOfByte = 0x80;

bool HasData(const BitBuffer* buffer) { return buffer != nullptr && !buffer->data.empty(); }

std::uint8_t MaskOfBit(std::uint32_t position) {
    return static_cast<std::uint8_t>(FirstBitOfByte >> (position % BitsPerByte));
}

// True when the eight bytes from the position's byte are all inside the data.
bool WindowFits(const BitBuffer* buffer) {
    const std::size_t byte = buffer->position / BitsPerByte;
    return byte + WindowBytes <= buffer->data.size();
}

// The eight bytes as one big-endian number, and back.
std::uint64_t SwapToBigEndian(std::uint64_t value) {
    if constexpr (std::endian::native == std::endian::big) return value;
    value = ((value & 0x00FF00FF00FF00FFULL) << 8) | ((value >> 8) & 0x00FF00FF00FF00FFULL);
    value = ((value & 0x0000FFFF0000FFFFULL) << 16) | ((value >> 16) & 0x0000FFFF0000FFFFULL);
    return (value << 32) | (value >> 32);
}

std::uint64_t LoadWindow(const BitBuffer* buffer) {
    std::uint64_t window;
    std::memcpy(&window, &buffer->data[buffer->position / BitsPerByte], WindowBytes);
    return SwapToBigEndian(window);
}

void StoreWindow(BitBuffer* buffer, std::uint64_t window) {
    window = SwapToBigEndian(window);
    std::memcpy(&buffer->data[buffer->position / BitsPerByte], &window, WindowBytes);
}

// Mask of `count` bits, 1 to 32, that start `offset` bits into the window.
std::uint64_t WindowMask(unsigned offset, unsigned count) {
    return ((std::uint64_t{1} << count) - 1) << (WindowBits - offset - count);
}

}  // namespace

void AllocBitBuffer(BitBuffer* buffer, std::uint32_t size) {
    if (buffer == nullptr) return;
    try {
        buffer->data.assign(size, 0);
    } catch (const std::bad_alloc&) {
        buffer->data.clear();
        buffer->data.shrink_to_fit();
    }
}

void FreeBitBuffer(BitBuffer* buffer) {
    if (buffer == nullptr) return;
    buffer->data.clear();
    buffer->data.shrink_to_fit();
}

std::uint8_t* BitBufferData(BitBuffer* buffer) {
    return HasData(buffer) ? buffer->data.data() : nullptr;
}

std::uint32_t BitBufferCapacity(const BitBuffer* buffer) {
    return buffer == nullptr ? 0 : static_cast<std::uint32_t>(buffer->data.size());
}

void RewindBitBuffer(BitBuffer* buffer) {
    if (buffer != nullptr) buffer->position = 0;
}

void ClearBitBuffer(BitBuffer* buffer) {
    if (buffer == nullptr) return;
    std::fill(buffer->data.begin(), buffer->data.end(), std::uint8_t{0});
    buffer->position = 0;
}

std::uint32_t BitPosition(const BitBuffer* buffer) { return buffer == nullptr ? 0 : buffer->position; }

int ReadBit(BitBuffer* buffer) {
    if (!HasData(buffer)) return 0;
    const std::size_t byte = buffer->position / BitsPerByte;
    int bit = 0;
    if (byte < buffer->data.size()) bit = (buffer->data[byte] & MaskOfBit(buffer->position)) != 0 ? 1 : 0;
    ++buffer->position;
    return bit;
}

int ReadBitPair(BitBuffer* buffer) {
    const int high = ReadBit(buffer);
    return (high << 1) | ReadBit(buffer);
}

void WriteBit(BitBuffer* buffer, int value) {
    if (!HasData(buffer)) return;
    const std::size_t byte = buffer->position / BitsPerByte;
    if (byte < buffer->data.size()) {
        const std::uint8_t mask = MaskOfBit(buffer->position);
        if ((value & 1) != 0)
            buffer->data[byte] |= mask;
        else
            buffer->data[byte] &= static_cast<std::uint8_t>(~mask);
    }
    ++buffer->position;
}

void WriteBitPair(BitBuffer* buffer, int value) {
    WriteBit(buffer, value >> 1);
    WriteBit(buffer, value);
}

void AlignToByte(BitBuffer* buffer) {
    if (buffer == nullptr) return;
    const std::uint32_t into = buffer->position % BitsPerByte;
    if (into != 0) buffer->position += BitsPerByte - into;
}

std::uint32_t PeekBits(const BitBuffer* buffer, unsigned count) {
    if (!HasData(buffer) || count == 0) return 0;
    if (count > MaxBitsPerCall) count = MaxBitsPerCall;
    const unsigned offset = buffer->position % BitsPerByte;
    if (WindowFits(buffer)) return static_cast<std::uint32_t>((LoadWindow(buffer) << offset) >> (WindowBits - count));
    std::uint32_t value = 0;
    for (std::uint32_t bit = buffer->position; bit < buffer->position + count; ++bit) {
        const std::size_t byte = bit / BitsPerByte;
        const bool set = byte < buffer->data.size() && (buffer->data[byte] & MaskOfBit(bit)) != 0;
        value = (value << 1) | (set ? 1u : 0u);
    }
    return value;
}

void SkipBits(BitBuffer* buffer, std::uint32_t count) {
    if (HasData(buffer)) buffer->position += count;
}

std::uint32_t ReadBits(BitBuffer* buffer, unsigned count) {
    const std::uint32_t value = PeekBits(buffer, count);
    SkipBits(buffer, std::min(count, MaxBitsPerCall));
    return value;
}

void WriteBits(BitBuffer* buffer, std::uint32_t value, unsigned count) {
    if (!HasData(buffer) || count == 0) return;
    if (count > MaxBitsPerCall) count = MaxBitsPerCall;
    if (!WindowFits(buffer)) {
        for (unsigned i = count; i-- > 0;) WriteBit(buffer, static_cast<int>((value >> i) & 1));
        return;
    }
    const unsigned offset = buffer->position % BitsPerByte;
    const std::uint64_t mask = WindowMask(offset, count);
    const std::uint64_t bits = (std::uint64_t{value} << (WindowBits - offset - count)) & mask;
    StoreWindow(buffer, (LoadWindow(buffer) & ~mask) | bits);
    buffer->position += count;
}

}  // namespace ostrel
