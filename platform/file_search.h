// Wildcard file search and path resolution for file arguments.
#pragma once

#include <string>
#include <vector>

namespace ostrel::platform {

// One file that a pattern matched.
struct FoundFile {
    std::string fullPath;  // absolute, normalised
    std::string name;      // the name as the directory stores it
};

// Files (directories skipped) matched by `pattern`: its directory part is
// taken as written; its last component may hold "*" and "?", matched without
// regard to ASCII case. A name without wildcards matches that file, or else
// one whose name differs only in case. Results come in byte order of names.
std::vector<FoundFile> FindMatchingFiles(const std::string& pattern);

// True when `path` names an existing file system entry.
bool PathExists(const std::string& path);

}  // namespace ostrel::platform
