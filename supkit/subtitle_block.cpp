// Reads one ".sup" block into a SubtitleBlock: the block head, then the chain
// of display control sequences of its sub-picture unit with the field code
// that each sequence's command 6 points to.
//
// Sub-picture unit, offsets from its first byte:
//   0  2  S, the unit size (this word included)
//   2  2  offset of the first control sequence
//   4  .  field code, then control sequences:
//         delay word (1024 ticks), next sequence offset, commands ... 0xFF
#include "supkit/subtitle_block.h"

#include <limits>

namespace ostrel {
namespace {

constexpr std::uint8_t CmdShowAlt = 0x00;
constexpr std::uint8_t CmdShow = 0x01;
constexpr std::uint8_t CmdHide = 0x02;
constexpr std::uint8_t CmdPalette = 0x03;
constexpr std::uint8_t CmdAlpha = 0x04;
constexpr std::uint8_t CmdRect = 0x05;
constexpr std::uint8_t CmdFields = 0x06;
constexpr std::uint8_t CmdColContrast = 0x07;
constexpr std::uint8_t CmdEnd = 0xFF;

constexpr std::uint32_t TimeStampSize = 4;
constexpr std::uint32_t SpareSize = 4;
constexpr std::uint32_t RectSize = 6;
constexpr std::uint16_t ColContrastSizeWord = 2;  // the size word counts itself
constexpr std::int32_t SeekFromStart = 0;
constexpr std::int32_t SeekFromCurrent = 1;
constexpr std::uint32_t NoPosition = std::numeric_limits<std::uint32_t>::max();

// Unit offsets of the two fields as the last command 6 of a sequence gave them.
struct FieldCode {
    bool present = false;
    std::uint16_t even = 0;
    std::uint16_t odd = 0;
};

std::uint32_t CurrentPosition(DataFile* file) {
    const std::int32_t position = SeekDataFile(file, 0, SeekFromCurrent);
    return position < 0 ? NoPosition : static_cast<std::uint32_t>(position);
}

// Seeks to an absolute position; one beyond 32-bit file positions leaves the position.
void SeekTo(DataFile* file, std::uint64_t position) {
    if (position > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return;
    SeekDataFile(file, static_cast<std::int32_t>(position), SeekFromStart);
}

// Reads the parameters of one command byte into the header.
void ApplyCommand(DataFile* file, std::uint8_t command, ControlHeader* header, FieldCode* fieldCode) {
    switch (command) {
        case CmdShowAlt:
        case CmdShow: header->command = CommandShow; break;
        case CmdHide: header->command = CommandHide; break;
        case CmdPalette: header->palette = ReadWord(file); break;
        case CmdAlpha: header->alpha = ReadWord(file); break;
        case CmdRect: ReadDisplayRect(file, &header->rect); break;
        case CmdFields:
            fieldCode->present = true;
            fieldCode->even = ReadWord(file);
            fieldCode->odd = ReadWord(file);
            break;
        case CmdColContrast: ReadColContrast(file, &header->colContrast); break;
        default: break;  // 0xFF ends the sequence; unknown bytes take no parameters
    }
}

// Reads `length` bytes of field code at spuStart + offset into the chunk.
void LoadField(DataFile* file, std::uint32_t spuStart, std::uint16_t offset, std::uint16_t length,
               ByteChunk* chunk) {
    chunk->bytes.assign(length, 0);
    SeekTo(file, std::uint64_t{spuStart} + offset);
    ReadBytes(file, chunk->bytes.data(), length);
}

// Loads both fields: the even-line code runs up to the odd-line code, the
// odd-line code up to the sequence at `sequenceOffset` (lengths modulo 65536).
void LoadFields(DataFile* file, std::uint32_t spuStart, std::uint16_t sequenceOffset,
                const FieldCode& code, ControlHeader* header) {
    const std::uint32_t resume = CurrentPosition(file);
    const auto evenLength = static_cast<std::uint16_t>(code.odd - code.even);
    const auto oddLength = static_cast<std::uint16_t>(sequenceOffset - code.odd);
    LoadField(file, spuStart, code.even, evenLength, &header->fields[0]);
    LoadField(file, spuStart, code.odd, oddLength, &header->fields[1]);
    if (resume != NoPosition) SeekTo(file, resume);
}

// Reads the chain of control sequences from `firstOffset` until it stops
// moving forward or MaxControlHeaders sequences have been read.
void ReadControlChain(DataFile* file, std::uint32_t spuStart, std::uint16_t firstOffset,
                      std::vector<ControlHeader>* headers) {
    headers->clear();
    std::uint16_t offset = firstOffset;
    for (;;) {
        headers->emplace_back();
        ReadControlHeader(file, spuStart, offset, &headers->back());
        const std::uint16_t previous = offset;
        offset = headers->back().nextOffset;
        if (offset <= previous || headers->size() == static_cast<std::size_t>(MaxControlHeaders)) break;
    }
}

}  // namespace

int ReadSubtitleBlock(DataFile* file, SubtitleBlock* block, std::uint32_t* spuStart,
                      std::uint16_t* spuSize) {
    if (block == nullptr || ReadWord(file) != BlockMarker) return 0;
    // Both stamps are taken as they lie in the file: the time stamp is little-endian.
    ReadBytes(file, &block->startTime, TimeStampSize);
    ReadBytes(file, &block->spare, SpareSize);
    const std::uint32_t unitStart = CurrentPosition(file);
    const std::uint16_t unitSize = ReadWord(file);
    const std::uint16_t firstOffset = ReadWord(file);
    if (spuStart != nullptr) *spuStart = unitStart;
    if (spuSize != nullptr) *spuSize = unitSize;
    ReadControlChain(file, unitStart, firstOffset, &block->headers);
    block->headerCount = static_cast<std::int32_t>(block->headers.size());
    // The next block follows the unit, wherever its sequences pointed.
    SeekTo(file, std::uint64_t{unitStart} + unitSize);
    return 1;
}

void ReadControlHeader(DataFile* file, std::uint32_t spuStart, std::uint16_t offset,
                       ControlHeader* header) {
    if (header == nullptr) return;
    *header = ControlHeader{};
    SeekTo(file, spuStart);
    const std::uint16_t unitSize = ReadWord(file);
    SeekTo(file, std::uint64_t{spuStart} + offset);
    header->delay = ReadDelay(file);
    header->nextOffset = ReadWord(file);
    header->command = CommandShow;
    header->alpha = AlphaAbsent;

    // Each command read moves forward by at least its own byte, so the loop
    // ends within the unit; it also ends where the file ends.
    FieldCode fieldCode;
    std::uint8_t command = CmdEnd;
    do {
        if (ReadBytes(file, &command, 1) == 0) break;
        ApplyCommand(file, command, header, &fieldCode);
    } while (command != CmdEnd && unitSize != 0 && CurrentPosition(file) - spuStart < unitSize);

    if (fieldCode.present) LoadFields(file, spuStart, offset, fieldCode, header);
}

std::int32_t ReadDelay(DataFile* file) {
    return static_cast<std::int32_t>(ReadWord(file)) * DelayUnit;
}

void ReadDisplayRect(DataFile* file, DisplayRect* rect) {
    if (rect == nullptr) return;
    // left 11..4 | left 3..0, right 11..8 | right 7..0 | the same for top and bottom
    std::uint8_t b[RectSize] = {};
    ReadBytes(file, b, RectSize);
    rect->left = b[0] << 4 | b[1] >> 4;
    rect->right = (b[1] & 0x0F) << 8 | b[2];
    rect->top = b[3] << 4 | b[4] >> 4;
    rect->bottom = (b[4] & 0x0F) << 8 | b[5];
}

void ReadColContrast(DataFile* file, ByteChunk* chunk) {
    if (chunk == nullptr) return;
    chunk->bytes.clear();
    const std::uint16_t size = ReadWord(file);
    if (size < ColContrastSizeWord) return;
    chunk->bytes.assign(size - ColContrastSizeWord, 0);
    ReadBytes(file, chunk->bytes.data(), static_cast<std::uint32_t>(chunk->bytes.size()));
}

}  // namespace ostrel
