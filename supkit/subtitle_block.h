// The in-memory model of one ".sup" block and the block reader.
//
// A ".sup" file is a plain sequence of blocks:
//   0  2  marker "SP" (0x53 0x50)
//   2  4  time stamp, little-endian, 90 kHz ticks
//   6  4  four spare bytes, carried unchanged
//  10  S  the sub-picture unit; S is its own first (big-endian) word
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "supkit/data_file.h"

namespace ostrel {

constexpr int MaxControlHeaders = 1024;
constexpr std::uint16_t BlockMarker = 0x5350;  // "SP"
constexpr std::uint32_t BlockHeadSize = 10;    // marker, time stamp, spare
constexpr std::int32_t DelayUnit = 1024;       // ticks per delay-word unit
constexpr std::uint8_t CommandShow = 1;
constexpr std::uint8_t CommandHide = 2;
constexpr std::uint16_t AlphaAbsent = 0xFFF0;  // alpha of a sequence without command 4

// A byte buffer owned by the header that holds it.
struct ByteChunk {
    std::vector<std::uint8_t> bytes;  // bytes.size() is the 16-bit length
};

// Display area in frame coordinates, all bounds inclusive.
struct DisplayRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// One display control sequence.
struct ControlHeader {
    std::int32_t delay = 0;          // ticks after the block's startTime (word * 1024)
    std::uint16_t nextOffset = 0;    // unit offset of the next sequence
    std::uint8_t command = 0;        // 1 show, 2 hide
    std::uint16_t palette = 0;       // command 3; 0 when absent
    std::uint16_t alpha = 0;         // command 4; 0xFFF0 when absent
    DisplayRect rect;                // command 5; all 0 when absent
    std::array<ByteChunk, 2> fields; // [0] even lines, [1] odd lines
    ByteChunk colContrast;           // command 7 data without its size word
    std::array<std::uint16_t, 2> fieldOffsets{};  // set by the writer, 0 after reading
};

// One block. `headers` holds exactly `headerCount` entries (1..MaxControlHeaders)
// after a read; the encoder sizes it itself before writing.
struct SubtitleBlock {
    std::int32_t headerCount = 0;
    std::uint32_t startTime = 0;
    std::uint32_t spare = 0;
    std::vector<ControlHeader> headers;
};

// Reads the block at the file position into `block`. Returns 1 when a block was
// read, 0 when the position holds no block marker (block untouched). `spuStart`
// and `spuSize`, when given, receive the unit's file position and its size S.
int ReadSubtitleBlock(DataFile* file, SubtitleBlock* block,
                      std::uint32_t* spuStart = nullptr, std::uint16_t* spuSize = nullptr);

// Fills `header` from the control sequence at spuStart + offset and loads the
// field code that its command 6 points to.
void ReadControlHeader(DataFile* file, std::uint32_t spuStart, std::uint16_t offset,
                       ControlHeader* header);

// Reads a delay word and returns it in ticks (word * 1024).
std::int32_t ReadDelay(DataFile* file);

// Reads and unpacks the 6 bytes of command 5 (four 12-bit values).
void ReadDisplayRect(DataFile* file, DisplayRect* rect);

// Reads the size word of command 7 and the n - 2 bytes that follow it.
void ReadColContrast(DataFile* file, ByteChunk* chunk);

}  // namespace ostrel
