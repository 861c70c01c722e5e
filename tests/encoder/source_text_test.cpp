// Tests of the source text reader: reading lines (the 8190-byte split, line
// ends, the byte-order mark), trimming and classifying, subtitle lines, time
// fields, double-byte text and bitmap references.
#include "encoder/source_text.h"

#include <gtest/gtest.h>

#include "support/program_run.h"

namespace ostrel {
namespace {

constexpr int Big5 = 950;
constexpr int Big5CharSet = 136;
constexpr int Latin2CharSet = 238;

TEST(ParseFrameTime, TimeForms) {
    struct Case {
        const char* field;
        std::int32_t rate;
        std::int32_t frame;
    };
    const Case cases[] = {
        {"100", 25, 100},
        {"0:0:1:0", 25, 25},
        {"0:0:2:12", 25, 62},
        {"0:0:1:0", 30, 30},
        {"2:3:4", 25, (60 * 2 + 3) * 25 + 4},
        {"1:2:3:4:5", 25, (3600 * 2 + 60 * 3 + 4) * 25 + 5},
        {"-5", 25, -5},
        {"", 25, 0},
        {"1::", 25, 25 * 60},
        {" 7", 25, 7},
        {"1.5", 25, 1},
        {"abc", 25, 0},
        {"99999999999", 25, static_cast<std::int32_t>(99999999999LL & 0xFFFFFFFF)},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseFrameTime(c.field, c.rate), c.frame) << c.field;
}

struct SubtitleCase {
    const char* line;
    int codePage;
    std::int32_t from, to;  // -1: not written
    std::vector<std::string> lines;
};

TEST(ParseSubtitleLine, TakesLinesApart) {
    const SubtitleCase cases[] = {
        {"{100}{200}Hello|World", 1252, 100, 200, {"Hello", "World"}},
        {"{0:0:1:0}{0:0:2:12}x", 1252, 25, 62, {"x"}},
        {"{}{}A", 1252, 0, 0, {"A"}},
        {"{1}{2}\xA4\x40", Big5, 1, 2, {"\xA4\x40"}},
        {"{1}{2}  A B  |  |CD  ", 1252, 1, 2, {"A B", " ", "CD"}},
        {"{1}{2}|CD", 1252, 1, 2, {" ", "CD"}},
        {"{1}{2}CD|", 1252, 1, 2, {"CD"}},
        {"{1}{2}||", 1252, 1, 2, {" ", " "}},
        {"{100}{200}", 1252, 100, 200, {}},
        {"{100}{200}   ", 1252, 100, 200, {}},
        {"{100}text", 1252, 100, -1, {}},
        {"{100", 1252, -1, -1, {}},
        {"no braces", 1252, -1, -1, {}},
        {"{100}{200", 1252, 100, -1, {}},
        {"{100} - {200}text", 1252, 100, 200, {"text"}},
        {"{1}{2}{pictures\\a.bmp}|more", 1252, 1, 2, {"{pictures\\a.bmp}", "more"}},
        // Big5 characters whose second byte is "|", "{" or "}".
        {"{1}{2}\xA5|\xA4{|\xA5}", Big5, 1, 2, {"\xA5|\xA4{", "\xA5}"}},
        {"{1\xA5}}{2}x", Big5, 1, 2, {"x"}},
        {"{1}\xA4{{2}x", Big5, 1, 2, {"x"}},
        {"{1}{2}\xA5|", 1252, 1, 2, {"\xA5"}},
    };
    for (const SubtitleCase& c : cases) {
        std::int32_t from = -1;
        std::int32_t to = -1;
        TextLines text;
        text.lines = {"stale"};
        ParseSubtitleLine(c.line, 25, &from, &to, &text, c.codePage);
        EXPECT_EQ(from, c.from) << c.line;
        EXPECT_EQ(to, c.to) << c.line;
        EXPECT_EQ(text.lines, c.lines) << c.line;
        EXPECT_EQ(text.codePage, c.codePage);
    }
}

TEST(ParseSubtitleLine, TimeFieldsAreCutAt63Bytes) {
    std::int32_t from = 0;
    std::int32_t to = 0;
    TextLines text;
    const std::string field = std::string(62, '0') + "12";  // only "01" survives the cut
    ParseSubtitleLine("{" + field + "}{" + field + "}x", 25, &from, &to, &text, 1252);
    EXPECT_EQ(from, 1);
    EXPECT_EQ(to, 1);
}

TEST(ParseSubtitleLine, ManyBarsGiveManyLines) {
    std::int32_t from = 0;
    std::int32_t to = 0;
    TextLines text;
    ParseSubtitleLine("{1}{2}" + std::string(10000, '|') + "end", 25, &from, &to, &text, 1252);
    ASSERT_EQ(text.lines.size(), 10001u);
    EXPECT_EQ(text.lines.front(), " ");
    EXPECT_EQ(text.lines.back(), "end");
}

TEST(ParseSubtitleLine, NullArgumentsDoNothing) {
    std::int32_t value = 7;
    TextLines text;
    ParseSubtitleLine("{1}{2}x", 25, nullptr, &value, &text, 1252);
    ParseSubtitleLine("{1}{2}x", 25, &value, &value, nullptr, 1252);
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(text.lines.empty());
}

TEST(SourceLines, TrimAndClassify) {
    struct Case {
        std::string raw;
        int codePage;
        std::string trimmed;
        SourceLineKind kind;
    };
    const Case cases[] = {
        {"", 1252, "", SourceLineKind::Empty},
        {" \t \r", 1252, "", SourceLineKind::Empty},
        {" \t;comment ", 1252, ";comment", SourceLineKind::Comment},
        {"\t {1}{2}x  ", 1252, "{1}{2}x", SourceLineKind::Subtitle},
        {"  FontSize = 24\r", 1252, "FontSize = 24", SourceLineKind::Command},
        {" x\xA4", Big5, "x\xA4", SourceLineKind::Command},  // a lone lead byte at the end stays
        {"x\xA4 ", Big5, "x\xA4 ", SourceLineKind::Command}, // a lead byte takes the next byte along
        {"\xA4\x40 \xA4\x40 ", Big5, "\xA4\x40 \xA4\x40", SourceLineKind::Command},
    };
    for (const Case& c : cases) {
        std::string line = c.raw;
        TrimSourceLine(&line, c.codePage);
        EXPECT_EQ(line, c.trimmed) << c.raw;
        EXPECT_EQ(ClassifySourceLine(line), c.kind) << c.raw;
    }
}

TEST(BitmapReference, PathOfTheFirstLine) {
    struct Case {
        std::vector<std::string> lines;
        int codePage;
        std::string path;
    };
    const Case cases[] = {
        {{"{pictures\\a.bmp}", "more"}, 1252, "pictures\\a.bmp"},
        {{"{d:\\my_pictures\\file_name_1.bmp"}, 1252, "d:\\my_pictures\\file_name_1.bmp"},
        {{"{a}b}"}, 1252, "a"},
        {{"{\xA5}x.bmp}"}, Big5, "\xA5}x.bmp"},
        {{"plain text", "{x}"}, 1252, ""},
        {{" "}, 1252, ""},
        {{}, 1252, ""},
    };
    for (const Case& c : cases) {
        TextLines text;
        text.lines = c.lines;
        text.codePage = c.codePage;
        EXPECT_EQ(BitmapReferencePath(text), c.path);
    }
}

// Writes `bytes` to a file in `folder` and reads all its lines back.
std::vector<std::string> ReadAllLines(const fixture::TempFolder& folder, const std::string& bytes, int fontCharSet,
                                      SourceReader* reader) {
    const auto path = folder.path / "source.txt";
    fixture::WriteFileBytes(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    std::vector<std::string> lines;
    if (!OpenSourceText(path.c_str(), fontCharSet, reader)) return lines;
    std::string line;
    while (ReadSourceLine(reader, &line)) lines.push_back(line);
    return lines;
}

TEST(SourceReader, LinesAndLineEnds) {
    fixture::TempFolder folder;
    SourceReader reader;
    const std::vector<std::string> expected = {"first", "second\rx", "", "last\r"};
    EXPECT_EQ(ReadAllLines(folder, "first\r\nsecond\rx\n\nlast\r", Latin2CharSet, &reader), expected);
    EXPECT_FALSE(reader.utf8);
    EXPECT_EQ(reader.codePage, 1250);
    EXPECT_EQ(SourceCodePage(reader, Big5CharSet), Big5);
}

TEST(SourceReader, LongLinesSplitAt8190Bytes) {
    struct Case {
        std::size_t length;
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {
        {8189, {8189}},        // with its line feed: exactly one read
        {8190, {8190, 0}},     // the line feed comes in a read of its own
        {8191, {8190, 1}},
        {20000, {8190, 8190, 3620}},
    };
    for (const Case& c : cases) {
        fixture::TempFolder folder;
        SourceReader reader;
        const auto lines = ReadAllLines(folder, std::string(c.length, 'a') + "\r\nnext\n", 0, &reader);
        ASSERT_EQ(lines.size(), c.pieces.size() + 1) << c.length;
        for (std::size_t i = 0; i < c.pieces.size(); ++i) EXPECT_EQ(lines[i].size(), c.pieces[i]) << c.length;
        EXPECT_EQ(lines.back(), "next");
    }
}

TEST(SourceReader, NulByteEndsTheLine) {
    fixture::TempFolder folder;
    SourceReader reader;
    const std::vector<std::string> expected = {"ab", "next"};
    EXPECT_EQ(ReadAllLines(folder, std::string("ab\0cd\nnext", 10), 0, &reader), expected);
}

TEST(SourceReader, Utf8Detection) {
    struct Case {
        std::string bytes;
        bool utf8;
        std::string firstLine;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF" "FontSize=30\n{1}{2}x\n", true, "FontSize=30"},
        {"\xEF\xBB\xBF", true, ""},
        {"{1}{2}caf\xC3\xA9\n", true, "{1}{2}caf\xC3\xA9"},
        {"{1}{2}plain\n", false, "{1}{2}plain"},
        {"{1}{2}\xA5|\xA4\x40\n", false, "{1}{2}\xA5|\xA4\x40"},
    };
    for (const Case& c : cases) {
        fixture::TempFolder folder;
        SourceReader reader;
        const auto lines = ReadAllLines(folder, c.bytes, Big5CharSet, &reader);
        EXPECT_EQ(reader.utf8, c.utf8) << c.bytes;
        EXPECT_EQ(reader.codePage, c.utf8 ? CodePageUtf8 : Big5) << c.bytes;
        EXPECT_EQ(lines.empty() ? std::string() : lines.front(), c.firstLine) << c.bytes;
    }
}

TEST(SourceReader, RewindSkipsTheByteOrderMark) {
    fixture::TempFolder folder;
    SourceReader reader;
    const auto first = ReadAllLines(folder, "\xEF\xBB\xBF" "Contour=3\n{1}{2}\xE4\xB8\x80\n", 0, &reader);
    RewindSourceText(&reader);
    std::string line;
    ASSERT_TRUE(ReadSourceLine(&reader, &line));
    EXPECT_EQ(line, "Contour=3");
    EXPECT_EQ(ClassifySourceLine(line), SourceLineKind::Command);
    ASSERT_TRUE(ReadSourceLine(&reader, &line));
    std::int32_t from = 0;
    std::int32_t to = 0;
    TextLines text;
    ParseSubtitleLine(line, 25, &from, &to, &text, reader.codePage);
    EXPECT_EQ(text.lines, std::vector<std::string>{"\xE4\xB8\x80"});
    EXPECT_FALSE(ReadSourceLine(&reader, &line));
    EXPECT_EQ(first.size(), 2u);
}

TEST(SourceReader, MissingFile) {
    fixture::TempFolder folder;
    SourceReader reader;
    EXPECT_FALSE(OpenSourceText((folder.path / "absent.txt").c_str(), 0, &reader));
    std::string line;
    EXPECT_FALSE(ReadSourceLine(&reader, &line));
    RewindSourceText(&reader);
}

}  // namespace
}  // namespace ostrel
