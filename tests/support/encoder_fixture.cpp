// Test helpers around the encoder.
#include "support/encoder_fixture.h"

#include <cstdlib>

#include "supkit/data_file.h"
#include "support/program_run.h"

namespace ostrel::fixture {

ProfileScope::ProfileScope(const std::filesystem::path& folder) {
    if (const char* value = std::getenv("USERPROFILE")) saved = value;
    setenv("USERPROFILE", folder.c_str(), 1);
}

ProfileScope::~ProfileScope() {
    if (saved)
        setenv("USERPROFILE", saved->c_str(), 1);
    else
        unsetenv("USERPROFILE");
}

void WriteGreyBitmap(const std::filesystem::path& path, int width, int height,
                     const std::function<std::uint8_t(int x, int y)>& grey) {
    // File header (14 bytes) and info header (40 bytes), then bottom-up rows
    // of blue, green, red triples padded to 4 bytes.
    constexpr std::size_t HeadersSize = 54;
    const std::size_t rowLength = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
    std::vector<std::uint8_t> bytes(HeadersSize + rowLength * static_cast<std::size_t>(height), 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bytes.size()));
    put32(10, HeadersSize);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;   // planes
    bytes[28] = 24;  // bits per pixel
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = &bytes[HeadersSize + rowLength * static_cast<std::size_t>(height - 1 - y)];
        for (int x = 0; x < width; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = grey(x, y);
    }
    WriteFileBytes(path, bytes);
}

std::vector<SubtitleBlock> ReadAllBlocks(const std::filesystem::path& sup) {
    DataFile file;
    OpenDataFile(&file, sup.c_str(), OfRead);
    std::vector<SubtitleBlock> blocks;
    SubtitleBlock block;
    while (ReadSubtitleBlock(&file, &block) == 1) blocks.push_back(block);
    return blocks;
}

}  // namespace ostrel::fixture
