// Writes one SubtitleBlock as one ".sup" block: the field code of every
// header, then one 24-byte control sequence per header, then a fill byte
// 0xFF when the unit size would be odd.
#pragma once

#include <cstdint>

#include "supkit/data_file.h"
#include "supkit/subtitle_block.h"

namespace ostrel {

constexpr std::uint32_t MaxUnitSize = 65535;   // a unit's size is a 16-bit word
constexpr std::uint32_t ControlSequenceSize = 24;

// Size in bytes that the block's sub-picture unit would take, before writing.
std::uint32_t SubPictureUnitSize(const SubtitleBlock& block);

// Writes the block at the file position and stores the offsets it computed
// into the headers. Returns 0, or -1 (writing nothing) when the block has no
// header or its unit would exceed MaxUnitSize bytes.
int WriteSubtitleBlock(DataFile* file, SubtitleBlock* block);

// Writes one 24-byte control sequence.
void WriteControlHeader(DataFile* file, const ControlHeader& header);

// Writes the delay in units of 1024 ticks, rounded to the nearest.
void WriteDelay(DataFile* file, std::int32_t delay);

// Writes the 6 bytes of command 5: each bound as its low 12 bits.
void WriteDisplayRect(DataFile* file, const DisplayRect& rect);

}  // namespace ostrel
