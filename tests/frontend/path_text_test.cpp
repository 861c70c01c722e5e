// Path and text helpers: extension replacement with either separator, the
// name part of a path, blank trimming and rounded division.
#include "frontend/path_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace ostrel {
namespace {

struct ExtensionCase {
    const char* path;
    const char* extension;
    const char* expected;
};

TEST(ChangeExtensionTest, ReplacesOnlyTheExtensionOfTheLastComponent) {
    const std::vector<ExtensionCase> cases = {
        {"C:\\dir\\movie.sup", ".html", "C:\\dir\\movie.html"},
        {"C:\\old.dir\\movie", ".txt", "C:\\old.dir\\movie.txt"},
        {"C:\\dir\\movie", ".txt", "C:\\dir\\movie.txt"},
        {"C:\\dir\\movie.01.txt", "", "C:\\dir\\movie.01"},
        {"/home/u/movie.sup", ".html", "/home/u/movie.html"},
        {"/home/old.dir/movie", ".txt", "/home/old.dir/movie.txt"},
        {"rel.d/sub\\movie", ".log", "rel.d/sub\\movie.log"},
        {"movie.sup", nullptr, "movie"},
        {"", ".txt", ".txt"},
    };
    for (const ExtensionCase& c : cases) {
        std::string path = c.path;
        ChangeExtension(&path, c.extension);
        EXPECT_EQ(path, c.expected) << c.path;
    }
}

TEST(ChangeExtensionTest, NullPathIsIgnored) {
    ChangeExtension(nullptr, ".txt");
}

TEST(FileNamePartTest, TakesTheTextAfterTheLastSeparatorOfEitherKind) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"C:\\dir\\a.sup", "a.sup"}, {"/x/y/b.sup", "b.sup"}, {"dir\\sub/c.bmp", "c.bmp"},
        {"d/sub\\e.bmp", "e.bmp"},   {"name.sup", "name.sup"}, {"dir/", ""},
        {"", ""},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(FileNamePart(path), expected) << path;
}

TEST(TrimBlanksTest, RemovesBlanksAtBothEndsOfBothForms) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {" \t\r\n ", ""},
        {"", ""},
        {"\t  FontName \n", "FontName"},
        {"inner  blanks\x01", "inner  blanks"},
        {"\x1F" "a b" "\x20", "a b"},
        {"\xA0kept\xA0", "\xA0kept\xA0"},
        {"plain", "plain"},
    };
    for (const auto& [input, expected] : cases) {
        std::vector<char> buffer(input, input + std::strlen(input) + 1);
        EXPECT_EQ(TrimBlanks(buffer.data()), buffer.data());
        EXPECT_STREQ(buffer.data(), expected) << input;

        std::string text = input;
        TrimBlanks(&text);
        EXPECT_EQ(text, expected) << input;
    }
}

TEST(TrimBlanksTest, NullGivesNull) {
    EXPECT_EQ(TrimBlanks(static_cast<char*>(nullptr)), nullptr);
    TrimBlanks(static_cast<std::string*>(nullptr));
}

TEST(IsBlankTest, BytesOneToThirtyTwoAreBlanks) {
    for (const unsigned char byte : {1, 9, 10, 13, 31, 32}) EXPECT_EQ(IsBlank(byte), 1) << int(byte);
    for (const unsigned char byte : {0, 33, 127, 128, 160, 255}) EXPECT_EQ(IsBlank(byte), 0) << int(byte);
}

struct RoundDivCase {
    std::int32_t a;
    std::int32_t b;
    std::int32_t expected;
};

TEST(RoundDivTest, RoundsHalvesUpAndTruncatesTowardZero) {
    const std::vector<RoundDivCase> cases = {
        {5, 2, 3},    {7, 2, 4},   {4, 2, 2},     {1, 4, 0},     {2, 4, 1},
        {3, 4, 1},    {-30, 4, -7}, {-69, 4, -16}, {0, 7, 0},     {90000, 3003, 30},
    };
    for (const RoundDivCase& c : cases) EXPECT_EQ(RoundDiv(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

TEST(RoundDivTest, ExtremeInputsStayDefined) {
    EXPECT_EQ(RoundDiv(INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(RoundDiv(INT32_MIN, 1), INT32_MIN + 1);
    EXPECT_EQ(RoundDiv(INT32_MAX, INT32_MAX), 1);
    EXPECT_EQ(RoundDiv(1, INT32_MIN), 0);
    EXPECT_EQ(RoundDiv(5, 0), 0);
}

}  // namespace
}  // namespace ostrel
