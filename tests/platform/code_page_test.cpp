// Tests of the code page services: the character-set table, lead bytes,
// character stepping, the UTF-8 scan and the conversion to Unicode.
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace ostrel::platform {
namespace {

TEST(CodePage, OfCharSet) {
    const std::pair<int, int> cases[] = {
        {0, 1252},    {1, 1252},   {2, 1252},   {77, 10000}, {128, 932},  {129, 949},  {130, 1361},
        {134, 936},   {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
        {186, 1257},  {204, 1251}, {222, 874},  {238, 1250}, {255, 437},  {300, 1252},
    };
    for (const auto& [charSet, codePage] : cases) EXPECT_EQ(CodePageOfCharSet(charSet), codePage) << charSet;
}

TEST(CodePage, LeadBytes) {
    struct Case {
        int codePage;
        unsigned char byte;
        int lead;
    };
    const Case cases[] = {
        {932, 0x80, 0},  {932, 0x81, 1},  {932, 0x9F, 1},  {932, 0xA0, 0},  {932, 0xDF, 0},  {932, 0xE0, 1},
        {932, 0xFC, 1},  {932, 0xFD, 0},  {936, 0x81, 1},  {936, 0xFE, 1},  {936, 0xFF, 0},  {949, 0x80, 0},
        {950, 0xA4, 1},  {950, 0x7C, 0},  {1361, 0x83, 0}, {1361, 0x84, 1}, {1361, 0xD3, 1}, {1361, 0xD4, 0},
        {1361, 0xD8, 1}, {1361, 0xDE, 1}, {1361, 0xDF, 0}, {1361, 0xF9, 1}, {1361, 0xFA, 0}, {1252, 0xA4, 0},
        {Utf8CodePage, 0xE4, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(IsLeadByte(c.codePage, c.byte), c.lead) << c.codePage << " " << +c.byte;
}

TEST(CodePage, NextCharacterStepsOverPairs) {
    const std::string big5 = "a\xA5|\xA4";  // a, a character whose second byte is "|", a lone lead byte
    EXPECT_EQ(NextCharacter(big5, 0, 950), 1u);
    EXPECT_EQ(NextCharacter(big5, 1, 950), 3u);
    EXPECT_EQ(NextCharacter(big5, 3, 950), 4u);
    EXPECT_EQ(NextCharacter(big5, 4, 950), 4u);
    EXPECT_EQ(NextCharacter(big5, 1, 1252), 2u);
    EXPECT_EQ(NextCharacter(std::string("\xA4\0x", 3), 0, 950), 1u);  // a NUL ends the pair
}

TEST(CodePage, Utf8Scan) {
    struct Case {
        const char* bytes;
        bool utf8;
    };
    const Case cases[] = {
        {"plain ASCII", false},
        {"caf\xC3\xA9", true},
        {"\xE4\xB8\x80", true},
        {"\xF0\x9F\x98\x80", true},
        {"caf\xE9", false},          // Latin-1
        {"\xC0\x80", false},         // overlong
        {"\xE0\x80\x80", false},     // overlong
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xC3\xA9\xC3", false},     // ends inside a sequence
        {"\xA4\x40", false},         // Big5
    };
    for (const Case& c : cases) {
        Utf8Scan scan;
        const std::string bytes = c.bytes;
        ScanUtf8(&scan, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        EXPECT_EQ(Utf8ScanResult(scan), c.utf8) << bytes;
    }
}

TEST(CodePage, Utf8ScanAcrossPieces) {
    Utf8Scan scan;
    const unsigned char first[] = {'a', 0xE4, 0xB8};
    const unsigned char second[] = {0x80, 'b'};
    ScanUtf8(&scan, first, sizeof first);
    EXPECT_FALSE(Utf8ScanResult(scan));
    ScanUtf8(&scan, second, sizeof second);
    EXPECT_TRUE(Utf8ScanResult(scan));
}

TEST(CodePage, ConvertsToUtf32) {
    struct Case {
        int codePage;
        const char* bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {1252, "a\x80", U"a\u20AC"},
        {1252, "a\x81" "b", U"a\uFFFD" "b"},             // undefined byte replaced, the rest kept
        {950, "\xA4\x40|", U"\u4E00|"},
        {950, "\xA5|x", U"\u56DBx"},                      // second byte "|" is part of the character
        {950, "x\xA4", U"x\uFFFD"},                       // lone lead byte at the end
        {932, "\x82\xA0", U"\u3042"},
        {936, "\xC4\xE3", U"\u4F60"},
        {949, "\xB0\xA1", U"\uAC00"},
        {1361, "\x88\x61", U"\uAC00"},
        {10000, "\x8A", U"\u00E4"},
        {437, "\x82", U"\u00E9"},
        {Utf8CodePage, "caf\xC3\xA9", U"caf\u00E9"},
        {Utf8CodePage, "a\xFF" "b", U"a\uFFFD" "b"},
    };
    for (const Case& c : cases) {
        std::u32string out;
        EXPECT_TRUE(ConvertToUtf32(c.bytes, c.codePage, &out)) << c.codePage;
        EXPECT_EQ(out, c.expected) << c.codePage << " " << c.bytes;
    }
}

TEST(CodePage, EveryCharSetCodePageHasAConverter) {
    for (int charSet = 0; charSet < 256; ++charSet) {
        std::u32string out;
        EXPECT_TRUE(ConvertToUtf32("A", CodePageOfCharSet(charSet), &out)) << charSet;
        EXPECT_EQ(out, U"A");
    }
}

TEST(CodePage, ConvertsToUtf8) {
    std::string out;
    EXPECT_TRUE(ConvertToUtf8("\xA4\x40", 950, &out));
    EXPECT_EQ(out, "\xE4\xB8\x80");
    EXPECT_EQ(Utf32ToUtf8(U"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf32ToUtf8(std::u32string(1, char32_t{0xD800})), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace ostrel::platform
