// Profile file reading: the file is parsed once into sections and entries;
// lookups then walk that list.
#include "platform/profile_file.h"

#include <fstream>
#include <iterator>

namespace ostrel::platform {
namespace {

constexpr char CommentMark = ';';
constexpr char SectionOpen = '[';
constexpr char SectionClose = ']';
constexpr char KeyValueSeparator = '=';
constexpr unsigned char LastBlank = 32;
const std::string Utf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsProfileBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= LastBlank;
}

std::string TrimmedCopy(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsProfileBlank(text[begin])) ++begin;
    while (end > begin && IsProfileBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return b[i] == '\0';
}

std::string WithoutQuotes(const std::string& value) {
    constexpr std::size_t QuotedMinimum = 2;
    if (value.size() < QuotedMinimum) return value;
    const char first = value.front();
    if ((first == '"' || first == '\'') && value.back() == first) {
        return value.substr(1, value.size() - QuotedMinimum);
    }
    return value;
}

void ParseProfileLine(const std::string& rawLine, ProfileFile* profile) {
    const std::string line = TrimmedCopy(rawLine);
    if (line.empty() || line.front() == CommentMark) return;
    if (line.front() == SectionOpen) {
        const std::size_t close = line.find(SectionClose);
        const std::size_t nameEnd = (close == std::string::npos) ? line.size() : close;
        profile->sections.push_back({TrimmedCopy(line.substr(1, nameEnd - 1)), {}});
        return;
    }
    const std::size_t separator = line.find(KeyValueSeparator);
    if (separator == std::string::npos || profile->sections.empty()) return;
    profile->sections.back().entries.push_back(
        {TrimmedCopy(line.substr(0, separator)), WithoutQuotes(TrimmedCopy(line.substr(separator + 1)))});
}

// The value of the first matching key in the first matching section, or null.
const std::string* FindValue(const ProfileFile& profile, const char* section, const char* key) {
    if (section == nullptr || key == nullptr) return nullptr;
    for (const ProfileSection& candidate : profile.sections) {
        if (!SameName(candidate.name, section)) continue;
        for (const ProfileEntry& entry : candidate.entries) {
            if (SameName(entry.key, key)) return &entry.value;
        }
        return nullptr;
    }
    return nullptr;
}

}  // namespace

bool LoadProfileFile(const std::string& path, ProfileFile* profile) {
    if (profile == nullptr) return false;
    profile->sections.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ParseProfileText(text, profile);
    return true;
}

void ParseProfileText(const std::string& text, ProfileFile* profile) {
    if (profile == nullptr) return;
    profile->sections.clear();
    std::size_t start = text.compare(0, Utf8ByteOrderMark.size(), Utf8ByteOrderMark) == 0
                            ? Utf8ByteOrderMark.size()
                            : 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        ParseProfileLine(text.substr(start, end - start), profile);
        start = end + 1;
    }
}

std::string ProfileString(const ProfileFile& profile, const char* section, const char* key,
                          const std::string& defaultValue, std::size_t room) {
    const std::string* found = FindValue(profile, section, key);
    const std::string& value = (found != nullptr) ? *found : defaultValue;
    const std::size_t limit = (room == 0) ? 0 : room - 1;
    return value.substr(0, limit);
}

std::int32_t ProfileInteger(const ProfileFile& profile, const char* section, const char* key,
                            std::int32_t defaultValue) {
    const std::string* found = FindValue(profile, section, key);
    if (found == nullptr || found->empty()) return defaultValue;
    return ParseProfileInteger(*found);
}

std::int32_t ParseProfileInteger(const std::string& text) {
    constexpr std::uint32_t DecimalBase = 10;
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * DecimalBase + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

}  // namespace ostrel::platform
