// Test helpers around the encoder: a scope that keeps real profile files out
// of a test, and reading back every block of a ".sup" file.
#pragma once

#include <filesystem>
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

// Every block of the ".sup" file, in order (none when it cannot be read).
std::vector<SubtitleBlock> ReadAllBlocks(const std::filesystem::path& sup);

}  // namespace ostrel::fixture
