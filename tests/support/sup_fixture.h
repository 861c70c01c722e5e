// Builds ".sup" bytes for tests, block by block, from control sequences
// written as raw command bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace ostrel::fixture {

using Bytes = std::vector<std::uint8_t>;

// One control sequence: its delay word and its commands (each command byte
// with its parameters); the closing 0xFF is added by the builder.
struct FixtureSequence {
    std::uint16_t delayWord = 0;
    Bytes commands;
    bool withFieldOffsets = false;  // append command 6 pointing at the unit's two fields
};

// One block: time stamp, the code of its two fields and its sequences.
struct FixtureBlock {
    std::uint32_t startTime = 0;
    Bytes evenField;
    Bytes oddField;
    std::vector<FixtureSequence> sequences;
};

// The block's bytes. Unit layout: size, first sequence offset, even field,
// odd field, the sequences chained in order (the last pointing to itself),
// and one fill byte 0xFF when needed to make the size even.
Bytes BuildSupBlock(const FixtureBlock& block);

// The blocks one after the other.
Bytes BuildSup(const std::vector<FixtureBlock>& blocks);

Bytes ShowCommand();
Bytes HideCommand();
Bytes PaletteCommand(std::uint16_t palette);
Bytes AlphaCommand(std::uint16_t alpha);
// Command 5: four 12-bit values packed into 6 bytes.
Bytes RectCommand(int left, int right, int top, int bottom);
// Command 7: the size word (counting itself), then the data.
Bytes ColContrastCommand(const Bytes& data);

// The byte strings one after the other.
Bytes Join(std::initializer_list<Bytes> parts);

// The usual block: a show sequence with palette, alpha, rectangle and field
// offsets at delay 0, then a hide sequence at `hideDelayWord`.
FixtureBlock ShowHideBlock(std::uint32_t startTime, std::uint16_t palette, std::uint16_t alpha,
                           int left, int right, int top, int bottom, std::uint16_t hideDelayWord);

}  // namespace ostrel::fixture
