// The version screen and the banner's second line, shared by the two reading
// programs (OstrelHTML and OstrelDecode).
#pragma once

namespace ostrel {

// Prints the banner's line after the program's name line (without the empty
// line that ends the banner).
void PrintBannerNote();

// Prints the lines of the usage screen after its first line: the input,
// the options and an empty line.
void PrintReaderUsageLines();

// Prints the home-page and bug-report lines, an empty line and the history.
void PrintVersionText();

}  // namespace ostrel
