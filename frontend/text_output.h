// Text files that the programs write (reports, decoded text, logs): every
// line end is written as carriage return and line feed.
#pragma once

#include <cstdio>
#include <string>

namespace ostrel {

// An output text file; closed when destroyed.
struct TextOutputFile {
    std::FILE* stream = nullptr;
    bool failed = false;  // a write or the flush failed

    TextOutputFile() = default;
    TextOutputFile(const TextOutputFile&) = delete;
    TextOutputFile& operator=(const TextOutputFile&) = delete;
    ~TextOutputFile();
};

// Creates (or replaces) the file. Returns false when it cannot be created.
bool CreateTextOutput(TextOutputFile* file, const char* path);

// Writes formatted text, "\n" becoming "\r\n".
void TextPrintf(TextOutputFile* file, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes text as it stands but for "\n" becoming "\r\n".
void TextWrite(TextOutputFile* file, const std::string& text);

void FlushTextOutput(TextOutputFile* file);

// Flushes and closes. Returns false when anything written was lost.
bool CloseTextOutput(TextOutputFile* file);

}  // namespace ostrel
