// Wildcard file search over one directory listing, and absolute path
// resolution, for the file arguments of the command line.
#include "platform/file_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ostrel::platform {
namespace {

namespace fs = std::filesystem;

constexpr char DirectorySeparator = '/';
constexpr char AnyRun = '*';
constexpr char AnyOne = '?';
constexpr const char* Wildcards = "*?";
// "x.*" also matches "x", and "*.*" every name, as users of "*.*" expect.
constexpr const char* AnyExtension = ".*";

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// Glob match of "*" and "?" without regard to ASCII case. Iterative, with
// one backtrack point, so long names cannot make it take exponential time.
bool GlobMatches(const std::string& pattern, const std::string& name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::string::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == AnyRun) {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == AnyOne || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == AnyRun) ++p;
    return p == pattern.size();
}

bool WildcardMatches(const std::string& pattern, const std::string& name) {
    if (GlobMatches(pattern, name)) return true;
    const std::string suffix = AnyExtension;
    if (pattern.size() <= suffix.size() || !pattern.ends_with(suffix)) return false;
    return name.find('.') == std::string::npos && GlobMatches(pattern.substr(0, pattern.size() - suffix.size()), name);
}

bool IsRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

fs::path ListingFolder(const std::string& directoryPart) {
    return directoryPart.empty() ? fs::path(".") : fs::path(directoryPart);
}

FoundFile MakeFoundFile(const std::string& directoryPart, const std::string& name) {
    const fs::path relative = directoryPart.empty() ? fs::path(name) : fs::path(directoryPart) / name;
    std::error_code error;
    fs::path absolute = fs::absolute(relative, error);
    if (error) absolute = relative;
    return {absolute.lexically_normal().string(), name};
}

// The names of the regular files in the folder, in byte order.
std::vector<std::string> SortedFileNames(const std::string& directoryPart) {
    std::vector<std::string> names;
    const fs::path folder = ListingFolder(directoryPart);
    std::error_code error;
    fs::directory_iterator entry(folder, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        std::error_code typeError;
        if (entry->is_regular_file(typeError)) names.push_back(entry->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<FoundFile> FindByWildcard(const std::string& directoryPart, const std::string& namePattern) {
    std::vector<FoundFile> found;
    for (const std::string& name : SortedFileNames(directoryPart)) {
        if (WildcardMatches(namePattern, name)) found.push_back(MakeFoundFile(directoryPart, name));
    }
    return found;
}

std::vector<FoundFile> FindByName(const std::string& directoryPart, const std::string& name) {
    if (IsRegularFile(ListingFolder(directoryPart) / name)) return {MakeFoundFile(directoryPart, name)};
    for (const std::string& candidate : SortedFileNames(directoryPart)) {
        if (SameIgnoringCase(candidate, name)) return {MakeFoundFile(directoryPart, candidate)};
    }
    return {};
}

}  // namespace

std::vector<FoundFile> FindMatchingFiles(const std::string& pattern) {
    const std::size_t separator = pattern.rfind(DirectorySeparator);
    std::string directoryPart;
    std::string namePattern = pattern;
    if (separator != std::string::npos) {
        // "/x" lists the root folder; "a/x" lists "a".
        directoryPart = pattern.substr(0, separator == 0 ? 1 : separator);
        namePattern = pattern.substr(separator + 1);
    }
    if (namePattern.empty()) return {};
    if (namePattern.find_first_of(Wildcards) == std::string::npos) return FindByName(directoryPart, namePattern);
    return FindByWildcard(directoryPart, namePattern);
}

bool PathExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::exists(fs::symlink_status(path, error)) && !error;
}

}  // namespace ostrel::platform
