// Path and text helpers: extension replacement, the name part of a path,
// blank trimming and rounded integer division.
#include "frontend/path_text.h"

#include <cstring>

namespace ostrel {
namespace {

constexpr unsigned char LastBlank = 32;
constexpr char ExtensionDot = '.';
constexpr const char* PathSeparators = "\\/";

}  // namespace

void ChangeExtension(std::string* path, const char* extension) {
    if (path == nullptr) return;
    const std::size_t dot = path->rfind(ExtensionDot);
    const bool dotInDirectory =
        dot != std::string::npos && path->find_first_of(PathSeparators, dot) != std::string::npos;
    if (dot != std::string::npos && !dotInDirectory) path->resize(dot);
    if (extension != nullptr) path->append(extension);
}

std::string FileNamePart(const std::string& path) {
    const std::size_t separator = path.find_last_of(PathSeparators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

char* TrimBlanks(char* text) {
    if (text == nullptr) return nullptr;
    std::size_t end = std::strlen(text);
    while (end > 0 && IsBlank(static_cast<unsigned char>(text[end - 1]))) --end;
    text[end] = '\0';
    std::size_t begin = 0;
    while (IsBlank(static_cast<unsigned char>(text[begin]))) ++begin;
    if (begin > 0) std::memmove(text, text + begin, end - begin + 1);
    return text;
}

void TrimBlanks(std::string* text) {
    if (text == nullptr) return;
    std::size_t end = text->size();
    while (end > 0 && IsBlank(static_cast<unsigned char>((*text)[end - 1]))) --end;
    std::size_t begin = 0;
    while (begin < end && IsBlank(static_cast<unsigned char>((*text)[begin]))) ++begin;
    *text = text->substr(begin, end - begin);
}

int IsBlank(unsigned char byte) {
    return (byte >= 1 && byte <= LastBlank) ? 1 : 0;
}

std::int32_t RoundDiv(std::int32_t a, std::int32_t b) {
    // A zero divisor has no quotient; 0 keeps callers from faulting.
    if (b == 0) return 0;
    const std::int64_t numerator = 2 * static_cast<std::int64_t>(a) + b;
    const std::int64_t denominator = 2 * static_cast<std::int64_t>(b);
    return static_cast<std::int32_t>(numerator / denominator);
}

}  // namespace ostrel
