// Where the bitmap that a subtitle line names in place of text is found.
#pragma once

#include <string>

namespace ostrel {

// The file a bitmap reference names: the reference as written (relative to
// the current directory) when a file is there; otherwise, reading
// backslashes as "/", the reference itself and then relative to the folder
// of the source file. When none of these is a file, the reference as
// written.
std::string ResolveBitmapReference(const std::string& reference, const std::string& sourcePath);

}  // namespace ostrel
