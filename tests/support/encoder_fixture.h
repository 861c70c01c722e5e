// Test helpers around the encoder: a scope that keeps real profile files out
// of a test, grey bitmap files, and reading back every block of a ".sup" file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "supkit/subtitle_block.h"

namespace ostrel::fixture {

// Points USERPROFILE (inherited by the programs a test runs) at a folder of
// the test's own for as long as it lives, so that no real profile takes part.
struct ProfileScope {
    std::optional<std::string> saved;

    explicit ProfileScope(const std::filesystem::path& folder);
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;
    ~ProfileScope();
};

// Writes a 24-bit bitmap file whose pixel (x, y), y = 0 at the top, has the
// grey level grey(x, y).
void WriteGreyBitmap(const std::filesystem::path& path, int width, int height,
                     const std::function<std::uint8_t(int x, int y)>& grey);

// Every block of the ".sup" file, in order (none when it cannot be read).
std::vector<SubtitleBlock> ReadAllBlocks(const std::filesystem::path& sup);

}  // namespace ostrel::fixture
