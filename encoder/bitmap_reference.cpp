// Resolution of bitmap references in source text, so that text written on
// another system, or by the decoder into another folder, encodes from any
// directory.
#include "encoder/bitmap_reference.h"

#include <algorithm>

#include "platform/file_io.h"

namespace ostrel {
namespace {

std::string WithForwardSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The folder part of a path, with its final "/", or "" when it has none.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string ResolveBitmapReference(const std::string& reference, const std::string& sourcePath) {
    if (reference.empty() || platform::CanOpenForReading(reference.c_str())) return reference;

    const std::string portable = WithForwardSlashes(reference);
    if (platform::CanOpenForReading(portable.c_str())) return portable;

    const std::string folder = FolderOf(sourcePath);
    if (!folder.empty() && portable.front() != '/') {
        const std::string besideSource = folder + portable;
        if (platform::CanOpenForReading(besideSource.c_str())) return besideSource;
    }
    return reference;
}

}  // namespace ostrel
