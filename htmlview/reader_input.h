// What the two reading programs share about their inputs: opening a ".sup"
// file, and reporting a file that could not be handled so that the run ends
// with a non-zero exit status while the other files are still processed.
#pragma once

#include <string>

#include "supkit/data_file.h"

namespace ostrel {

constexpr int FailedRunStatus = 1;

// Opens a ".sup" input for reading. False when it cannot be opened (a
// directory is no input).
bool OpenSupInput(DataFile* input, const std::string& path);

// Prints `<program>: <what> "<path>"` on standard error and notes the failure.
void ReportFileFailure(const char* program, const char* what, const std::string& path);

// True when a failure was reported since the start or the last clearing.
bool AnyFileFailed();
void ClearFileFailures();

}  // namespace ostrel
