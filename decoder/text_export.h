// OstrelDecode's module: subtitle source text (one line per block naming a
// bitmap file) from a ".sup" file, with "-bitmap" the bitmap files too, and
// the program's texts.
#pragma once

#include <string>

#include "frontend/command_line.h"

namespace ostrel {

// FileHandler of OstrelDecode: writes the text beside `fullPath` under the
// first free name of .txt, .01.txt, .02.txt ... Always returns 0, so that
// the other files are processed; a file that cannot be read or a text or
// bitmap that cannot be written is reported on standard error and noted for
// AnyFileFailed (htmlview/reader_input.h).
int DecodeToText(const OptionList& options, const char* fullPath, const char* fileName);

// The first name of .txt, .01.txt, .02.txt ... beside `inputPath` that names
// no existing file system entry.
std::string ChooseTextOutputPath(const std::string& inputPath);

namespace decoder {

// The program's name line, a note and an empty line.
void PrintBanner();
// The usage screen.
void PrintUsage();
// The help screen for "h" or "help", then the version screen for "version".
void ShowHelpAndVersion(const OptionList& options);


}  // namespace decoder

}  // namespace ostrel
