// ".sup" byte fixtures for tests.
#include "support/sup_fixture.h"

namespace ostrel::fixture {

namespace {

constexpr std::uint8_t EndOfSequence = 0xFF;
constexpr std::size_t UnitHeadSize = 4;      // size word, first sequence offset
constexpr std::size_t SequenceHeadSize = 4;  // delay word, next offset
constexpr std::size_t FieldCommandSize = 5;  // 0x06 and two words

void PutWord(Bytes* bytes, std::size_t value) {
    bytes->push_back(static_cast<std::uint8_t>(value >> 8));
    bytes->push_back(static_cast<std::uint8_t>(value));
}

std::size_t SequenceSize(const FixtureSequence& sequence) {
    return SequenceHeadSize + sequence.commands.size() + (sequence.withFieldOffsets ? FieldCommandSize : 0) + 1;
}

}  // namespace

Bytes BuildSupBlock(const FixtureBlock& block) {
    const std::size_t evenOffset = UnitHeadSize;
    const std::size_t oddOffset = evenOffset + block.evenField.size();
    const std::size_t firstSequence = oddOffset + block.oddField.size();
    std::size_t size = firstSequence;
    for (const FixtureSequence& sequence : block.sequences) size += SequenceSize(sequence);
    const bool fill = size % 2 != 0;
    if (fill) ++size;

    // Block head: "SP", time stamp little-endian, four spare bytes.
    Bytes bytes = {0x53, 0x50};
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(block.startTime >> shift));
    bytes.insert(bytes.end(), 4, 0);
    PutWord(&bytes, size);
    PutWord(&bytes, firstSequence);
    bytes.insert(bytes.end(), block.evenField.begin(), block.evenField.end());
    bytes.insert(bytes.end(), block.oddField.begin(), block.oddField.end());
    std::size_t offset = firstSequence;
    for (std::size_t i = 0; i < block.sequences.size(); ++i) {
        const FixtureSequence& sequence = block.sequences[i];
        const std::size_t next = i + 1 < block.sequences.size() ? offset + SequenceSize(sequence) : offset;
        PutWord(&bytes, sequence.delayWord);
        PutWord(&bytes, next);
        bytes.insert(bytes.end(), sequence.commands.begin(), sequence.commands.end());
        if (sequence.withFieldOffsets) {
            bytes.push_back(0x06);
            PutWord(&bytes, evenOffset);
            PutWord(&bytes, oddOffset);
        }
        bytes.push_back(EndOfSequence);
        offset = next;
    }
    if (fill) bytes.push_back(EndOfSequence);
    return bytes;
}

Bytes BuildSup(const std::vector<FixtureBlock>& blocks) {
    Bytes bytes;
    for (const FixtureBlock& block : blocks) {
        const Bytes one = BuildSupBlock(block);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return bytes;
}

Bytes ShowCommand() { return {0x01}; }

Bytes HideCommand() { return {0x02}; }

Bytes PaletteCommand(std::uint16_t palette) {
    return {0x03, static_cast<std::uint8_t>(palette >> 8), static_cast<std::uint8_t>(palette)};
}

Bytes AlphaCommand(std::uint16_t alpha) {
    return {0x04, static_cast<std::uint8_t>(alpha >> 8), static_cast<std::uint8_t>(alpha)};
}

Bytes RectCommand(int left, int right, int top, int bottom) {
    return {0x05,
            static_cast<std::uint8_t>(left >> 4),
            static_cast<std::uint8_t>(((left & 0x0F) << 4) | ((right >> 8) & 0x0F)),
            static_cast<std::uint8_t>(right),
            static_cast<std::uint8_t>(top >> 4),
            static_cast<std::uint8_t>(((top & 0x0F) << 4) | ((bottom >> 8) & 0x0F)),
            static_cast<std::uint8_t>(bottom)};
}

Bytes ColContrastCommand(const Bytes& data) {
    Bytes bytes = {0x07};
    PutWord(&bytes, data.size() + 2);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

FixtureBlock ShowHideBlock(std::uint32_t startTime, std::uint16_t palette, std::uint16_t alpha, int left,
                           int right, int top, int bottom, std::uint16_t hideDelayWord) {
    FixtureBlock block;
    block.startTime = startTime;
    FixtureSequence show;
    show.commands = Join({ShowCommand(), PaletteCommand(palette), AlphaCommand(alpha),
                          RectCommand(left, right, top, bottom)});
    show.withFieldOffsets = true;
    FixtureSequence hide;
    hide.delayWord = hideDelayWord;
    hide.commands = HideCommand();
    block.sequences = {show, hide};
    return block;
}

}  // namespace ostrel::fixture
