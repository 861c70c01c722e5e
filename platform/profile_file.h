// Reader of the encoder's profile file: "[section]" lines and "key=value"
// lines, read once into memory and then looked up by section and key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::platform {

struct ProfileEntry {
    std::string key;    // trimmed
    std::string value;  // trimmed, one pair of matching quotes removed
};

struct ProfileSection {
    std::string name;  // trimmed, without the brackets
    std::vector<ProfileEntry> entries;
};

// The sections of one profile file in file order. Empty when the file is
// missing or unreadable, so every lookup then gives its default.
struct ProfileFile {
    std::vector<ProfileSection> sections;
};

// Reads the whole profile file at `path` into `profile` (emptied first).
// Returns false when the file cannot be opened.
bool LoadProfileFile(const std::string& path, ProfileFile* profile);

// Parses profile text (the file's bytes) into `profile` (emptied first).
void ParseProfileText(const std::string& text, ProfileFile* profile);

// The value of `key` in `section` (names without regard to ASCII case, the
// first match winning), or `defaultValue` when either is missing. The result
// is cut to `room` - 1 bytes, as a buffer of `room` bytes with its NUL holds.
std::string ProfileString(const ProfileFile& profile, const char* section, const char* key,
                          const std::string& defaultValue, std::size_t room);

// The value of `key` in `section` as an integer (optional sign and decimal
// digits, no digits giving 0), or `defaultValue` when the key is missing or
// its value is empty.
std::int32_t ProfileInteger(const ProfileFile& profile, const char* section, const char* key,
                            std::int32_t defaultValue);

// An optional sign and the decimal digits that follow it, in wrapping 32-bit
// arithmetic; no digits give 0.
std::int32_t ParseProfileInteger(const std::string& text);

}  // namespace ostrel::platform
