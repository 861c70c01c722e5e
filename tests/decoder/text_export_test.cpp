// The subtitle text of OstrelDecode, written by its file handler.
#include "decoder/text_export.h"

#include <gtest/gtest.h>

#include "htmlview/reader_input.h"

#include <filesystem>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/sup_fixture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using namespace fixture;

// The text with every "\n" written as "\r\n", as the output's lines end.
std::string Crlf(const std::string& text) {
    std::string converted;
    for (const char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
}

OptionList Options(const std::vector<std::string>& entries) {
    OptionList options;
    options.entries = entries;
    return options;
}

// The two blocks of the documented example: 250 and 300 frames in, each
// hidden 176 delay units (50 frames) after it is shown.
Bytes ExampleSup() {
    return BuildSup({ShowHideBlock(900000, 0x3210, 0xFFF0, 0, 9, 0, 2, 176),
                     ShowHideBlock(1080000, 0x3210, 0xFFF0, 0, 9, 0, 2, 176)});
}

// Decodes `sup` written as movie.sup and returns the text of movie.txt.
std::string TextOf(const TempFolder& folder, const Bytes& sup, const std::vector<std::string>& options = {}) {
    const fs::path input = folder.path / "movie.sup";
    WriteFileBytes(input, sup);
    EXPECT_EQ(DecodeToText(Options(options), input.c_str(), "movie.sup"), 0);
    return ReadFileText(folder.path / "movie.txt");
}

TEST(DecodeToText, ExampleGivesTheDocumentedText) {
    TempFolder folder;
    EXPECT_EQ(TextOf(folder, ExampleSup()), Crlf(";movie.sup\n"
                                                 "FrameRate=25\n"
                                                 "Palette=3210\n"
                                                 "Alpha=FFF0\n"
                                                 "{250}{300}{movie_000001.bmp}\n"
                                                 "{300}{350}{movie_000002.bmp}\n"
                                                 "\n"));
    EXPECT_FALSE(fs::exists(folder.path / "movie_000001.bmp"));  // only with -bitmap
}

TEST(DecodeToText, RateOptionsShowInTheHeadAndTheFrames) {
    const struct {
        std::vector<std::string> options;
        const char* text;
    } cases[] = {
        {{}, ";movie.sup\nFrameRate=25\n{250}{300}{movie_000001.bmp}\n\n"},
        {{"ntsc", "fr:30"}, ";movie.sup\nFrameRate=29.97\n{300}{360}{movie_000001.bmp}\n\n"},
        {{"pal", "ntsc"}, ";movie.sup\nFrameRate=25\n{250}{300}{movie_000001.bmp}\n\n"},
        {{"fr:0"}, ";movie.sup\nFrameRate=25\n{250}{300}{movie_000001.bmp}\n\n"},
        {{"fr:abc"}, ";movie.sup\nFrameRate=25\n{250}{300}{movie_000001.bmp}\n\n"},
        // 900000 / 3754 = 239.7; 180224 / 3754 = 48.0
        {{"FR:23.976"}, ";movie.sup\nFrameRate=23.976\n{240}{288}{movie_000001.bmp}\n\n"},
        // Above 180000 fps the rate is held at 180000: one tick a frame.
        {{"fr:500000"}, ";movie.sup\nFrameRate=180000\n{900000}{1080224}{movie_000001.bmp}\n\n"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const Bytes sup = BuildSupBlock(ShowHideBlock(900000, 0, 0, 0, 9, 0, 2, 176));
        EXPECT_EQ(TextOf(folder, sup, c.options), Crlf(c.text)) << c.options.size();
    }
}

TEST(DecodeToText, PaletteAndAlphaLinesOnlyWhenTheyChange) {
    TempFolder folder;
    const Bytes sup = BuildSup({ShowHideBlock(0, 0, 0, 0, 9, 0, 2, 25), ShowHideBlock(90000, 0, 0, 0, 9, 0, 2, 25),
                                ShowHideBlock(180000, 0x1234, 0, 0, 9, 0, 2, 25),
                                ShowHideBlock(270000, 0x1234, 0xFFF0, 0, 9, 0, 2, 25),
                                ShowHideBlock(360000, 0, 0xFFF0, 0, 9, 0, 2, 25)});
    EXPECT_EQ(TextOf(folder, sup), Crlf(";movie.sup\nFrameRate=25\n"
                                        "{0}{7}{movie_000001.bmp}\n"
                                        "{25}{32}{movie_000002.bmp}\n"
                                        "Palette=1234\n{50}{57}{movie_000003.bmp}\n"
                                        "Alpha=FFF0\n{75}{82}{movie_000004.bmp}\n"
                                        "Palette=0000\n{100}{107}{movie_000005.bmp}\n\n"));
}

TEST(DecodeToText, EndFrameWithoutHideOrShowHeader) {
    TempFolder folder;
    FixtureBlock showOnly = ShowHideBlock(900000, 0, 0, 0, 9, 0, 2, 0);
    showOnly.sequences.pop_back();
    FixtureBlock hideOnly = ShowHideBlock(900000, 0, 0, 0, 9, 0, 2, 0);
    FixtureSequence hide;
    hide.delayWord = 176;
    hide.commands = HideCommand();
    hideOnly.sequences = {hide};
    // Without a hide header the end is 0; without a show header it is
    // 2 * from + 50. The hide-only block has no alpha command: 0xFFF0.
    EXPECT_EQ(TextOf(folder, BuildSup({showOnly, hideOnly})),
              Crlf(";movie.sup\nFrameRate=25\n{250}{0}{movie_000001.bmp}\n"
                   "Alpha=FFF0\n{250}{550}{movie_000002.bmp}\n\n"));
}

TEST(DecodeToText, StartTimesOverTheWholeUnsignedRange) {
    TempFolder folder;
    FixtureBlock last = ShowHideBlock(0xFFFFFFFFu, 0, 0, 0, 9, 0, 2, 0);
    last.sequences.pop_back();  // show only: the end frame wraps to 0
    FixtureBlock half = ShowHideBlock(1800, 0, 0, 0, 9, 0, 2, 0);
    half.sequences.pop_back();
    EXPECT_EQ(TextOf(folder, BuildSup({last, half})),
              Crlf(";movie.sup\nFrameRate=25\n{1193046}{0}{movie_000001.bmp}\n{1}{0}{movie_000002.bmp}\n\n"));
}

TEST(DecodeToText, EmptyForeignAndTruncatedFiles) {
    const std::string headOnly = Crlf(";movie.sup\nFrameRate=25\n\n");
    {
        TempFolder folder;
        EXPECT_EQ(TextOf(folder, {}), headOnly);
    }
    {
        TempFolder folder;
        EXPECT_EQ(TextOf(folder, {'P', 'S', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), headOnly);
    }
    {
        TempFolder folder;
        Bytes cut = ExampleSup();
        cut.resize(30);
        const std::string text = TextOf(folder, cut, {"bitmap"});
        EXPECT_TRUE(text.starts_with(Crlf(";movie.sup\nFrameRate=25\n"))) << text;
        EXPECT_TRUE(text.ends_with(Crlf("{movie_000001.bmp}\n\n"))) << text;
    }
}

TEST(DecodeToText, NeverOverwritesAnExistingText) {
    TempFolder folder;
    const fs::path input = folder.path / "movie.sup";
    WriteFileBytes(input, ExampleSup());
    WriteFileBytes(folder.path / "movie.txt", {'k', 'e', 'e', 'p'});
    EXPECT_EQ(ChooseTextOutputPath(input.string()), (folder.path / "movie.01.txt").string());
    WriteFileBytes(folder.path / "movie.01.txt", {'k', 'e', 'e', 'p'});
    fs::create_directory(folder.path / "movie.02.txt");
    EXPECT_EQ(ChooseTextOutputPath(input.string()), (folder.path / "movie.03.txt").string());

    EXPECT_EQ(DecodeToText(Options({"bitmap"}), input.c_str(), "movie.sup"), 0);
    EXPECT_EQ(ReadFileText(folder.path / "movie.txt"), "keep");
    EXPECT_EQ(ReadFileText(folder.path / "movie.01.txt"), "keep");
    EXPECT_EQ(ReadFileText(folder.path / "movie.03.txt"),
              Crlf(";movie.sup\nFrameRate=25\nPalette=3210\nAlpha=FFF0\n"
                   "{250}{300}{movie.03_000001.bmp}\n{300}{350}{movie.03_000002.bmp}\n\n"));
    EXPECT_TRUE(fs::exists(folder.path / "movie.03_000002.bmp"));
}

TEST(DecodeToText, InputNamedTxtIsNotOverwritten) {
    TempFolder folder;
    const fs::path input = folder.path / "movie.txt";
    WriteFileBytes(input, ExampleSup());
    EXPECT_EQ(DecodeToText(Options({}), input.c_str(), "movie.txt"), 0);
    EXPECT_EQ(ReadFileBytes(input), ExampleSup());
    EXPECT_TRUE(ReadFileText(folder.path / "movie.01.txt").starts_with(Crlf(";movie.txt\n")));
}

TEST(DecodeToText, BitmapsHoldEachBlocksPicture) {
    TempFolder folder;
    FixtureBlock block = ShowHideBlock(0, 0x3210, 0xFFF0, 100, 109, 20, 22, 25);
    // Line 0: 3 pixels of index 1 (1101), then the end-of-line code for
    // index 2 (fourteen 0 bits, 10) and 4 fill bits. Line 2: the end-of-line
    // code for index 3. Line 1 (odd field): the end-of-line code for index 0.
    block.evenField = {0xD0, 0x00, 0x20, 0x00, 0x03};
    block.oddField = {0x00, 0x00};
    TextOf(folder, BuildSupBlock(block), {"bitmap"});
    const Bytes file = ReadFileBytes(folder.path / "movie_000001.bmp");
    ASSERT_EQ(file.size(), 1114u);
    const Bytes palette(file.begin() + 54, file.begin() + 70);
    EXPECT_EQ(palette, (Bytes{0, 0, 0, 0, 100, 100, 100, 0, 170, 170, 170, 0, 255, 255, 255, 0}));
    // Rows are stored bottom-up with a stride of 12.
    const Bytes bottom(file.begin() + 1078, file.begin() + 1078 + 10);
    const Bytes middle(file.begin() + 1090, file.begin() + 1090 + 10);
    const Bytes top(file.begin() + 1102, file.begin() + 1102 + 10);
    EXPECT_EQ(top, (Bytes{1, 1, 1, 2, 2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(middle, Bytes(10, 0));
    EXPECT_EQ(bottom, Bytes(10, 3));
}

TEST(DecodeToText, LongPathsWork) {
    TempFolder folder;
    fs::path deep = folder.path;
    for (int i = 0; i < 8; ++i) deep /= std::string(40, static_cast<char>('a' + i));
    fs::create_directories(deep);
    const fs::path input = deep / "movie.sup";
    WriteFileBytes(input, ExampleSup());
    ASSERT_GT(input.string().size(), 300u);
    EXPECT_EQ(DecodeToText(Options({"bitmap"}), input.c_str(), "movie.sup"), 0);
    EXPECT_TRUE(ReadFileText(deep / "movie.txt").ends_with(Crlf("{300}{350}{movie_000002.bmp}\n\n")));
    EXPECT_TRUE(fs::exists(deep / "movie_000002.bmp"));
}

class DecodeFailure : public ::testing::Test {
protected:
    void SetUp() override { ClearFileFailures(); }
    void TearDown() override { ClearFileFailures(); }
    TempFolder folder;
};

TEST_F(DecodeFailure, MissingInputOrDirectoryIsReportedAndMakesNoText) {
    const fs::path missing = folder.path / "missing.sup";
    EXPECT_EQ(DecodeToText(Options({}), missing.c_str(), "missing.sup"), 0);
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_FALSE(fs::exists(folder.path / "missing.txt"));

    ClearFileFailures();
    fs::create_directory(folder.path / "folder.sup");
    EXPECT_EQ(DecodeToText(Options({}), (folder.path / "folder.sup").c_str(), "folder.sup"), 0);
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_FALSE(fs::exists(folder.path / "folder.txt"));
}

TEST_F(DecodeFailure, UnreadableInputIsReported) {
    const fs::path input = folder.path / "locked.sup";
    WriteFileBytes(input, ExampleSup());
    fs::permissions(input, fs::perms::none);
    if (!ReadFileText(input).empty()) GTEST_SKIP() << "file permissions do not stop this user from reading";
    EXPECT_EQ(DecodeToText(Options({}), input.c_str(), "locked.sup"), 0);
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_FALSE(fs::exists(folder.path / "locked.txt"));
}

TEST_F(DecodeFailure, BitmapThatCannotBeWrittenIsReportedAndStillNamed) {
    fs::create_directory(folder.path / "movie_000001.bmp");  // takes the first picture's name
    EXPECT_TRUE(TextOf(folder, ExampleSup(), {"bitmap"}).ends_with(
        Crlf("{250}{300}{movie_000001.bmp}\n{300}{350}{movie_000002.bmp}\n\n")));
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_TRUE(fs::is_regular_file(folder.path / "movie_000002.bmp"));
}

TEST_F(DecodeFailure, TextThatCannotBeCreatedIsReported) {
    // movie.txt is taken, and the next name, .01.txt, is longer than a file
    // name may be.
    const std::string stem(249, 'n');
    const fs::path input = folder.path / (stem + ".sup");
    WriteFileBytes(input, ExampleSup());
    WriteFileBytes(folder.path / (stem + ".txt"), {'k'});
    EXPECT_EQ(DecodeToText(Options({}), input.c_str(), "long.sup"), 0);
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_EQ(ReadFileText(folder.path / (stem + ".txt")), "k");
}

}  // namespace
}  // namespace ostrel
