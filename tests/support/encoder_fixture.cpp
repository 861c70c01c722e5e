// Test helpers around the encoder.
#include "support/encoder_fixture.h"

#include <cstdlib>

#include "supkit/data_file.h"

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

std::vector<SubtitleBlock> ReadAllBlocks(const std::filesystem::path& sup) {
    DataFile file;
    OpenDataFile(&file, sup.c_str(), OfRead);
    std::vector<SubtitleBlock> blocks;
    SubtitleBlock block;
    while (ReadSubtitleBlock(&file, &block) == 1) blocks.push_back(block);
    return blocks;
}

}  // namespace ostrel::fixture
