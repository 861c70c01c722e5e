// Code pages of source text: which one a file or a font character set
// uses, the double-byte lead-byte tests and character stepping, and the
// conversion of text in a code page to Unicode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ostrel::platform {

constexpr int Utf8CodePage = 65001;
constexpr int DefaultAnsiCodePage = 1252;

// The Windows code page of a font character set (1252 for unknown ones).
int CodePageOfCharSet(int charSet);

// 1 when `byte` begins a two-byte character in `codePage` (932, 936, 949,
// 950, 1361); single-byte code pages and UTF-8 have no lead bytes.
int IsLeadByte(int codePage, unsigned char byte);

// The index of the character after the one starting at `pos`: two bytes for
// a lead byte with a byte after it, else one. Never beyond `text.size()`.
std::size_t NextCharacter(const std::string& text, std::size_t pos, int codePage);

// Incremental check of whether a byte stream is UTF-8: feed it in pieces
// with ScanUtf8, then ask Utf8ScanResult.
struct Utf8Scan {
    bool invalid = false;         // an ill-formed sequence was met
    bool sawMultiByte = false;    // at least one well-formed multi-byte sequence
    int pendingContinuations = 0; // continuation bytes still expected
    unsigned char lowerBound = 0; // allowed range of the next continuation byte
    unsigned char upperBound = 0;
};

// Feeds `count` bytes to the scan.
void ScanUtf8(Utf8Scan* scan, const unsigned char* bytes, std::size_t count);

// True when every byte fed was well-formed UTF-8, the stream did not end
// inside a sequence, and at least one multi-byte sequence was seen.
bool Utf8ScanResult(const Utf8Scan& scan);

// The iconv name of a Windows code page ("CP1252", "CP932", "JOHAB", ...).
const char* IconvNameOfCodePage(int codePage);

// Converts `bytes` in `codePage` to UTF-32. Undecodable bytes (one
// character's worth) become U+FFFD and the conversion goes on. Returns false
// when no converter exists for the code page; `out` then holds the ASCII
// bytes as they are and U+FFFD for every other byte.
bool ConvertToUtf32(const std::string& bytes, int codePage, std::u32string* out);

// As ConvertToUtf32, giving UTF-8.
bool ConvertToUtf8(const std::string& bytes, int codePage, std::string* out);

// Encodes code points as UTF-8 (invalid ones become U+FFFD).
std::string Utf32ToUtf8(const std::u32string& text);

}  // namespace ostrel::platform
