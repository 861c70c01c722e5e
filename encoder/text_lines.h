// One subtitle's text lines, as the source reader makes them and the
// renderer draws them.
#pragma once

#include <string>
#include <vector>

namespace ostrel {

constexpr int CodePageUtf8 = 65001;

// Each line is trimmed of blanks; an empty source line is held as " ".
// `codePage` names the encoding of the bytes (a Windows code page number,
// or CodePageUtf8).
struct TextLines {
    std::vector<std::string> lines;
    int codePage = 1252;
};

}  // namespace ostrel
