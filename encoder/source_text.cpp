// The encoder's source text reader. All scanning steps by characters of the
// line's code page, so the second byte of a double-byte character is never
// taken for "{", "}", "|", ";" or a blank.
#include "encoder/source_text.h"

#include <algorithm>
#include <array>
#include <vector>

#include "encoder/settings.h"
#include "frontend/path_text.h"
#include "platform/code_page.h"

namespace ostrel {
namespace {

static_assert(CodePageUtf8 == platform::Utf8CodePage);

constexpr std::size_t ScanChunkBytes = 64 * 1024;
constexpr std::array<unsigned char, 3> Utf8ByteOrderMark = {0xEF, 0xBB, 0xBF};
constexpr char FieldOpen = '{';
constexpr char FieldClose = '}';
constexpr char LineSeparator = '|';
constexpr char CommentMark = ';';
constexpr char TimeSeparator = ':';
const std::string EmptyTextLine = " ";

bool IsBlankCharacter(const std::string& text, std::size_t pos, int codePage) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    return !platform::IsLeadByte(codePage, byte) && IsBlank(byte);
}

// Position of the first character `mark` at or after `start` (a character
// boundary), or npos.
std::size_t FindCharacter(const std::string& text, std::size_t start, char mark, int codePage) {
    for (std::size_t pos = start; pos < text.size(); pos = platform::NextCharacter(text, pos, codePage)) {
        if (text[pos] == mark) return pos;
    }
    return std::string::npos;
}

// Reads the whole file once and sets `utf8`. Returns true when the file
// starts with a byte-order mark.
bool ScanForUtf8(std::FILE* file, bool* utf8) {
    platform::Utf8Scan scan;
    std::vector<unsigned char> chunk(ScanChunkBytes);
    bool first = true;
    bool byteOrderMark = false;
    std::size_t count = 0;
    while ((count = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
        if (first) {
            byteOrderMark = count >= Utf8ByteOrderMark.size() &&
                            std::equal(Utf8ByteOrderMark.begin(), Utf8ByteOrderMark.end(), chunk.begin());
            first = false;
        }
        platform::ScanUtf8(&scan, chunk.data(), count);
    }
    *utf8 = byteOrderMark || platform::Utf8ScanResult(scan);
    return byteOrderMark;
}

// Appends the text lines of a subtitle's text part, starting at `pos`.
void SplitTextPart(const std::string& line, std::size_t pos, int codePage, TextLines* text) {
    while (true) {
        while (pos < line.size() && IsBlankCharacter(line, pos, codePage)) {
            pos = platform::NextCharacter(line, pos, codePage);
        }
        if (pos >= line.size()) return;
        if (line[pos] == LineSeparator) {
            text->lines.push_back(EmptyTextLine);
            pos = platform::NextCharacter(line, pos, codePage);
            continue;
        }
        const std::size_t segmentStart = pos;
        std::size_t segmentEnd = pos;
        while (pos < line.size() && line[pos] != LineSeparator) {
            const std::size_t next = platform::NextCharacter(line, pos, codePage);
            if (!IsBlankCharacter(line, pos, codePage)) segmentEnd = next;
            pos = next;
        }
        text->lines.push_back(line.substr(segmentStart, segmentEnd - segmentStart));
        if (pos < line.size()) pos = platform::NextCharacter(line, pos, codePage);
    }
}

// Reads one byte, a carriage return before a line feed giving the line feed.
int ReadSourceByte(std::FILE* file) {
    const int byte = std::getc(file);
    if (byte != '\r') return byte;
    const int next = std::getc(file);
    if (next == '\n') return next;
    if (next != EOF) std::ungetc(next, file);
    return byte;
}

}  // namespace

void FileCloser::operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
}

bool OpenSourceText(const char* path, int fontCharSet, SourceReader* reader) {
    if (path == nullptr || reader == nullptr) return false;
    reader->file.reset(std::fopen(path, "rb"));
    if (!reader->file) return false;
    const bool byteOrderMark = ScanForUtf8(reader->file.get(), &reader->utf8);
    reader->dataStart = byteOrderMark ? static_cast<long>(Utf8ByteOrderMark.size()) : 0;
    reader->codePage = SourceCodePage(*reader, fontCharSet);
    RewindSourceText(reader);
    return true;
}

void CloseSourceText(SourceReader* reader) {
    if (reader != nullptr) reader->file.reset();
}

void RewindSourceText(SourceReader* reader) {
    if (reader == nullptr || !reader->file) return;
    std::clearerr(reader->file.get());
    std::fseek(reader->file.get(), reader->dataStart, SEEK_SET);
}

int SourceCodePage(const SourceReader& reader, int fontCharSet) {
    return reader.utf8 ? CodePageUtf8 : platform::CodePageOfCharSet(fontCharSet);
}

bool ReadSourceLine(SourceReader* reader, std::string* line) {
    if (reader == nullptr || line == nullptr || !reader->file) return false;
    line->clear();
    std::FILE* file = reader->file.get();
    int byte = ReadSourceByte(file);
    if (byte == EOF) return false;
    bool cutAtNul = false;
    for (std::size_t count = 1;; ++count) {
        if (byte == '\n') break;
        cutAtNul = cutAtNul || byte == '\0';
        if (!cutAtNul) line->push_back(static_cast<char>(byte));
        if (count == MaxSourceReadBytes) break;
        byte = ReadSourceByte(file);
        if (byte == EOF) break;
    }
    return true;
}

void TrimSourceLine(std::string* line, int codePage) {
    if (line == nullptr) return;
    std::size_t start = 0;
    while (start < line->size() && IsBlankCharacter(*line, start, codePage)) {
        start = platform::NextCharacter(*line, start, codePage);
    }
    line->erase(0, start);
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < line->size();) {
        const std::size_t next = platform::NextCharacter(*line, pos, codePage);
        if (!IsBlankCharacter(*line, pos, codePage)) end = next;
        pos = next;
    }
    line->resize(end);
}

SourceLineKind ClassifySourceLine(const std::string& trimmedLine) {
    if (trimmedLine.empty()) return SourceLineKind::Empty;
    if (trimmedLine.front() == CommentMark) return SourceLineKind::Comment;
    if (trimmedLine.front() == FieldOpen) return SourceLineKind::Subtitle;
    return SourceLineKind::Command;
}

void ParseSubtitleLine(const std::string& line, std::int32_t wholeRate, std::int32_t* from, std::int32_t* to,
                       TextLines* text, int codePage) {
    if (from == nullptr || to == nullptr || text == nullptr) return;
    text->lines.clear();
    text->codePage = codePage;
    const std::size_t fromOpen = FindCharacter(line, 0, FieldOpen, codePage);
    if (fromOpen == std::string::npos) return;
    const std::size_t fromClose = FindCharacter(line, fromOpen + 1, FieldClose, codePage);
    if (fromClose == std::string::npos) return;
    *from = ParseFrameTime(line.substr(fromOpen + 1, std::min(fromClose - fromOpen - 1, MaxTimeFieldBytes)),
                           wholeRate);
    const std::size_t toOpen = FindCharacter(line, fromClose + 1, FieldOpen, codePage);
    if (toOpen == std::string::npos) return;
    const std::size_t toClose = FindCharacter(line, toOpen + 1, FieldClose, codePage);
    if (toClose == std::string::npos) return;
    *to = ParseFrameTime(line.substr(toOpen + 1, std::min(toClose - toOpen - 1, MaxTimeFieldBytes)), wholeRate);
    SplitTextPart(line, toClose + 1, codePage, text);
}

std::int32_t ParseFrameTime(const std::string& field, std::int32_t wholeRate) {
    constexpr std::uint32_t SecondsPerMinute = 60;
    constexpr std::uint32_t SecondsPerHour = 3600;
    const auto rate = static_cast<std::uint32_t>(wholeRate);
    const std::array<std::uint32_t, 4> multipliers = {1, rate, SecondsPerMinute * rate, SecondsPerHour * rate};
    std::string work = TimeSeparator + field;
    std::uint32_t sum = 0;
    for (const std::uint32_t multiplier : multipliers) {
        const std::size_t separator = work.rfind(TimeSeparator);
        if (separator == std::string::npos) break;
        if (separator + 1 < work.size()) {
            sum += multiplier * static_cast<std::uint32_t>(DecimalValue(work.c_str() + separator + 1));
        }
        work.resize(separator);
    }
    return static_cast<std::int32_t>(sum);
}

std::string BitmapReferencePath(const TextLines& text) {
    if (text.lines.empty() || text.lines.front().empty() || text.lines.front().front() != FieldOpen) return {};
    const std::string& first = text.lines.front();
    const std::size_t close = FindCharacter(first, 1, FieldClose, text.codePage);
    return first.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

}  // namespace ostrel
