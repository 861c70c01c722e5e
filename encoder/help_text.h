// The encoder's console texts: banner, usage, help and version screens.
#pragma once

namespace ostrel {

// The name of the encoder's profile file, as the texts show it.
constexpr char EncoderProfileFileName[] = "OstrelEncode.ini";

// Prints the banner: name, version and role, one more line, an empty line.
void PrintEncoderBanner();

// Prints the usage text (also the start of the help screen).
void PrintEncoderUsage();

// Prints the help screen: the usage text, the source format, the commands
// and their predefined values.
void PrintEncoderHelp();

// Prints the version screen: contact lines and the release history.
void PrintEncoderVersion();

}  // namespace ostrel
