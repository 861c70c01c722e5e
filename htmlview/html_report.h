// OstrelHTML's module: the HTML page that describes every block of a ".sup"
// file (and, with "-bitmap", shows its picture), and the program's texts.
#pragma once

#include <cstdint>
#include <string>

#include "frontend/command_line.h"

namespace ostrel {

// FileHandler of OstrelHTML: writes the ".html" page beside `fullPath`.
// Always returns 0, so that the other files are processed; a file that cannot
// be read or a page or bitmap that cannot be written is reported on standard
// error and noted for AnyFileFailed (htmlview/reader_input.h).
int WriteHtmlReport(const OptionList& options, const char* fullPath, const char* fileName);

// "hh:mm:ss:ff" of a frame number, counted at the whole frame rate of `rate`.
std::string FormatTimeCode(std::uint32_t frame, double rate);

namespace htmlview {

// The program's name line, a note and an empty line.
void PrintBanner();
// The usage screen.
void PrintUsage();
// The help screen for "h" or "help", then the version screen for "version".
void ShowHelpAndVersion(const OptionList& options);


}  // namespace htmlview

}  // namespace ostrel
