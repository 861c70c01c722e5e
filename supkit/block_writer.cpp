// Writes one SubtitleBlock as one ".sup" block in a fixed layout:
//   block head: "SP", time stamp (4 bytes, little-endian), spare (4 bytes)
//   unit:       S, C, the field code of every header in order (even, odd),
//               one 24-byte control sequence per header from C on, and a
//               fill byte 0xFF when the unit would otherwise have an odd size.
#include "supkit/block_writer.h"

#include <algorithm>
#include <bit>

namespace ostrel {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the block's time stamp is written as it lies in memory");

constexpr std::uint8_t CmdPalette = 0x03;
constexpr std::uint8_t CmdAlpha = 0x04;
constexpr std::uint8_t CmdRect = 0x05;
constexpr std::uint8_t CmdFields = 0x06;
constexpr std::uint8_t CmdEnd = 0xFF;
constexpr std::uint8_t FillByte = 0xFF;

constexpr std::uint32_t FirstFieldOffset = 4;  // after the words S and C
constexpr std::uint32_t TimeStampSize = 4;
constexpr std::uint32_t SpareSize = 4;
constexpr std::uint32_t RectSize = 6;
constexpr std::uint32_t TwelveBits = 0xFFF;

// Where the unit's parts go: C and the end of the last control sequence.
struct UnitLayout {
    std::uint16_t controlStart = 0;
    std::uint32_t sequencesEnd = 0;
};

// Headers that the block really holds (headerCount, bounded by the table).
std::size_t UsableHeaders(const SubtitleBlock& block) {
    if (block.headerCount <= 0) return 0;
    return std::min(static_cast<std::size_t>(block.headerCount), block.headers.size());
}

std::uint64_t SequencesEnd(const SubtitleBlock& block) {
    const std::size_t count = UsableHeaders(block);
    std::uint64_t end = FirstFieldOffset;
    for (std::size_t i = 0; i < count; ++i)
        end += block.headers[i].fields[0].bytes.size() + block.headers[i].fields[1].bytes.size();
    return end + std::uint64_t{ControlSequenceSize} * count;
}

bool IsWritable(const SubtitleBlock& block) {
    return block.headerCount >= 1 && block.headerCount <= MaxControlHeaders &&
           block.headers.size() >= static_cast<std::size_t>(block.headerCount) &&
           SubPictureUnitSize(block) <= MaxUnitSize;
}

// Stores every header's field offsets and chain offset; the block fits in 16 bits.
UnitLayout AssignOffsets(SubtitleBlock* block) {
    const auto count = static_cast<std::size_t>(block->headerCount);
    std::uint32_t offset = FirstFieldOffset;
    for (std::size_t i = 0; i < count; ++i) {
        ControlHeader& header = block->headers[i];
        header.fieldOffsets[0] = static_cast<std::uint16_t>(offset);
        offset += static_cast<std::uint32_t>(header.fields[0].bytes.size());
        header.fieldOffsets[1] = static_cast<std::uint16_t>(offset);
        offset += static_cast<std::uint32_t>(header.fields[1].bytes.size());
    }
    UnitLayout layout;
    layout.controlStart = static_cast<std::uint16_t>(offset);
    for (std::size_t i = 0; i < count; ++i) {
        offset += ControlSequenceSize;
        block->headers[i].nextOffset = static_cast<std::uint16_t>(offset);
    }
    // The last sequence points to itself.
    block->headers[count - 1].nextOffset = static_cast<std::uint16_t>(offset - ControlSequenceSize);
    layout.sequencesEnd = offset;
    return layout;
}

void WriteChunk(DataFile* file, const ByteChunk& chunk) {
    WriteBytes(file, chunk.bytes.data(), static_cast<std::uint32_t>(chunk.bytes.size()));
}

// RoundDiv(delay, 1024) without 32-bit overflow: nearest unit, halves upward.
std::int64_t DelayWord(std::int32_t delay) {
    return (std::int64_t{2} * delay + DelayUnit) / (std::int64_t{2} * DelayUnit);
}

}  // namespace

std::uint32_t SubPictureUnitSize(const SubtitleBlock& block) {
    const std::uint64_t end = SequencesEnd(block);
    const std::uint64_t size = end + (end % 2);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, UINT32_MAX));
}

int WriteSubtitleBlock(DataFile* file, SubtitleBlock* block) {
    if (block == nullptr || !IsWritable(*block)) return -1;
    const UnitLayout layout = AssignOffsets(block);
    const std::uint32_t unitSize = SubPictureUnitSize(*block);
    const auto count = static_cast<std::size_t>(block->headerCount);

    WriteWord(file, BlockMarker);
    WriteBytes(file, &block->startTime, TimeStampSize);
    WriteBytes(file, &block->spare, SpareSize);
    WriteWord(file, unitSize);
    WriteWord(file, layout.controlStart);
    for (std::size_t i = 0; i < count; ++i) {
        WriteChunk(file, block->headers[i].fields[0]);
        WriteChunk(file, block->headers[i].fields[1]);
    }
    for (std::size_t i = 0; i < count; ++i) WriteControlHeader(file, block->headers[i]);
    if (unitSize > layout.sequencesEnd) WriteByte(file, FillByte);
    return 0;
}

void WriteControlHeader(DataFile* file, const ControlHeader& header) {
    //  0  2  delay          2  2  next offset    4  1  command (1 show, 2 hide)
    //  5  3  0x03 palette   8  3  0x04 alpha    11  5  0x06 even, odd field offsets
    // 16  7  0x05 rect     23  1  0xFF
    WriteDelay(file, header.delay);
    WriteWord(file, header.nextOffset);
    WriteByte(file, header.command);
    WriteByte(file, CmdPalette);
    WriteWord(file, header.palette);
    WriteByte(file, CmdAlpha);
    WriteWord(file, header.alpha);
    WriteByte(file, CmdFields);
    WriteWord(file, header.fieldOffsets[0]);
    WriteWord(file, header.fieldOffsets[1]);
    WriteByte(file, CmdRect);
    WriteDisplayRect(file, header.rect);
    WriteByte(file, CmdEnd);
}

void WriteDelay(DataFile* file, std::int32_t delay) {
    WriteWord(file, static_cast<std::uint32_t>(DelayWord(delay)));
}

void WriteDisplayRect(DataFile* file, const DisplayRect& rect) {
    // Four 12-bit values: left 11..4 | left 3..0, right 11..8 | right 7..0,
    // then top and bottom the same way.
    const auto left = static_cast<std::uint32_t>(rect.left) & TwelveBits;
    const auto right = static_cast<std::uint32_t>(rect.right) & TwelveBits;
    const auto top = static_cast<std::uint32_t>(rect.top) & TwelveBits;
    const auto bottom = static_cast<std::uint32_t>(rect.bottom) & TwelveBits;
    const std::uint8_t bytes[RectSize] = {
        static_cast<std::uint8_t>(left >> 4),
        static_cast<std::uint8_t>((left & 0x0F) << 4 | right >> 8),
        static_cast<std::uint8_t>(right & 0xFF),
        static_cast<std::uint8_t>(top >> 4),
        static_cast<std::uint8_t>((top & 0x0F) << 4 | bottom >> 8),
        static_cast<std::uint8_t>(bottom & 0xFF),
    };
    WriteBytes(file, bytes, RectSize);
}

}  // namespace ostrel
