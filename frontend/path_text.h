// Small path and text helpers that all three programs share.
#pragma once

#include <cstdint>
#include <string>

namespace ostrel {

// Cuts the path's extension (the last dot, unless a "\" or "/" follows it)
// and appends `extension` (which carries its own dot; may be empty or null).
void ChangeExtension(std::string* path, const char* extension);

// The part of a path after its last "\" or "/" (the whole path if none).
std::string FileNamePart(const std::string& path);

// Removes blanks (bytes 1..32) at both ends, in place. Returns `text`.
char* TrimBlanks(char* text);
void TrimBlanks(std::string* text);

// 1 for a byte from 1 to 32, else 0.
int IsBlank(unsigned char byte);

// (2a + b) / (2b), truncated toward zero: a / b rounded for a >= 0, b > 0.
std::int32_t RoundDiv(std::int32_t a, std::int32_t b);

}  // namespace ostrel
