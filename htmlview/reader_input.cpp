// Input files of the reading programs and the failures met with them.
#include "htmlview/reader_input.h"

#include <cstdio>

namespace ostrel {
namespace {

bool anyFileFailed = false;

}  // namespace

bool OpenSupInput(DataFile* input, const std::string& path) {
    OpenDataFile(input, path.c_str(), OfRead);
    return IsDataFileOpen(input);
}

void ReportFileFailure(const char* program, const char* what, const std::string& path) {
    std::fprintf(stderr, "%s: %s \"%s\"\n", program, what, path.c_str());
    anyFileFailed = true;
}

bool AnyFileFailed() { return anyFileFailed; }

void ClearFileFailures() { anyFileFailed = false; }

}  // namespace ostrel
