// The encoder's source text: reading it line by line, trimming and
// classifying lines, taking subtitle lines apart into frame numbers and text
// lines, and the time forms a frame number may be written in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "encoder/text_lines.h"

namespace ostrel {

// Bytes one read takes at most, the line feed included; the rest of a
// longer line is read as a line of its own.
constexpr std::size_t MaxSourceReadBytes = 8190;

// A time field keeps at most this many bytes.
constexpr std::size_t MaxTimeFieldBytes = 63;

struct FileCloser {
    void operator()(std::FILE* file) const;
};

// An open source text file.
struct SourceReader {
    std::unique_ptr<std::FILE, FileCloser> file;  // owned; closed with the reader
    bool utf8 = false;     // the whole file is UTF-8 (byte-order mark or content)
    long dataStart = 0;    // offset of the first line (after a byte-order mark)
    int codePage = 1252;   // code page at opening (see SourceCodePage)
};

enum class SourceLineKind { Empty, Comment, Subtitle, Command };

// Opens the source text at `path` and decides whether it is UTF-8 by
// scanning it once; `fontCharSet` gives the code page otherwise. Leaves the
// reader at the first line. Returns false when the file cannot be opened.
bool OpenSourceText(const char* path, int fontCharSet, SourceReader* reader);

// Closes the file (also done when the reader is destroyed).
void CloseSourceText(SourceReader* reader);

// Goes back to the first line (after a byte-order mark).
void RewindSourceText(SourceReader* reader);

// The code page of the reader's lines under the font character set now in
// force: UTF-8 for a UTF-8 file, else the character set's code page.
int SourceCodePage(const SourceReader& reader, int fontCharSet);

// Reads the next line without its line feed (a carriage return before the
// line feed is dropped; the line ends at a NUL byte). Returns false at the
// end of the file.
bool ReadSourceLine(SourceReader* reader, std::string* line);

// Removes blanks at both ends of `line`, stepping by characters of
// `codePage`.
void TrimSourceLine(std::string* line, int codePage);

// The kind of a trimmed line.
SourceLineKind ClassifySourceLine(const std::string& trimmedLine);

// Takes a subtitle line apart: `from` and `to` are written when their fields
// are found; `text` gets the text lines (empty when the line carries none)
// and `codePage`. Does nothing when a pointer is null.
void ParseSubtitleLine(const std::string& line, std::int32_t wholeRate, std::int32_t* from, std::int32_t* to,
                       TextLines* text, int codePage);

// The frame number of a time field ("f", "s:f", "m:s:f" or "h:m:s:f") at
// `wholeRate` frames per second, in wrapping 32-bit arithmetic.
std::int32_t ParseFrameTime(const std::string& field, std::int32_t wholeRate);

// The bitmap path of a subtitle whose first text line begins with "{": the
// text after it up to the first "}" (or the line's end). Empty when the
// subtitle is plain text.
std::string BitmapReferencePath(const TextLines& text);

}  // namespace ostrel
