// Text output files: stdio streams written in binary mode, with every line
// feed expanded to carriage return and line feed on the way out.
#include "frontend/text_output.h"

#include <cstdarg>
#include <vector>

namespace ostrel {
namespace {

constexpr const char* LineEnd = "\r\n";
constexpr std::size_t LineEndSize = 2;

void WriteBytes(TextOutputFile* file, const char* bytes, std::size_t count) {
    if (count == 0) return;
    if (std::fwrite(bytes, 1, count, file->stream) != count) file->failed = true;
}

}  // namespace

TextOutputFile::~TextOutputFile() {
    if (stream != nullptr) std::fclose(stream);
}

bool CreateTextOutput(TextOutputFile* file, const char* path) {
    if (file == nullptr || path == nullptr) return false;
    if (file->stream != nullptr) CloseTextOutput(file);
    file->failed = false;
    file->stream = std::fopen(path, "wb");
    return file->stream != nullptr;
}

void TextPrintf(TextOutputFile* file, const char* format, ...) {
    if (file == nullptr || file->stream == nullptr || format == nullptr) return;
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length < 0) {
        file->failed = true;
        va_end(arguments);
        return;
    }
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    TextWrite(file, std::string(text.data(), static_cast<std::size_t>(length)));
}

void TextWrite(TextOutputFile* file, const std::string& text) {
    if (file == nullptr || file->stream == nullptr) return;
    std::size_t start = 0;
    for (std::size_t feed = text.find('\n'); feed != std::string::npos; feed = text.find('\n', start)) {
        WriteBytes(file, text.data() + start, feed - start);
        WriteBytes(file, LineEnd, LineEndSize);
        start = feed + 1;
    }
    WriteBytes(file, text.data() + start, text.size() - start);
}

void FlushTextOutput(TextOutputFile* file) {
    if (file == nullptr || file->stream == nullptr) return;
    if (std::fflush(file->stream) != 0) file->failed = true;
}

bool CloseTextOutput(TextOutputFile* file) {
    if (file == nullptr) return false;
    if (file->stream == nullptr) return !file->failed;
    FlushTextOutput(file);
    if (std::ferror(file->stream) != 0) file->failed = true;
    if (std::fclose(file->stream) != 0) file->failed = true;
    file->stream = nullptr;
    return !file->failed;
}

}  // namespace ostrel
