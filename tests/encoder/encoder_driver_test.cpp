// Tests of the encoder's per-file handler: the two passes, the log, the
// blocks written, the size and time checks, the picture dumps and the
// bitmap references.
#include "encoder/encoder_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "encoder/bitmap_file.h"
#include "encoder/bitmap_reference.h"
#include "encoder/settings.h"
#include "encoder/text_renderer.h"
#include "supkit/data_file.h"
#include "supkit/subtitle_block.h"
#include "support/encoder_fixture.h"
#include "support/program_run.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using fixture::ProfileScope;
using fixture::TempFolder;

// What one call of the handler left behind.
struct Outcome {
    int result = -1;
    std::string output;  // standard output during the call
    std::string log;     // the ".log", time stamps masked; empty when there is none
    bool hasLog = false;
    bool hasSup = false;
    std::vector<SubtitleBlock> blocks;
    std::vector<std::uint16_t> unitSizes;
};

// A folder with its own profile location and a source file "movie.txt".
struct EncoderFolder {
    TempFolder folder;
    ProfileScope profile{folder.path};

    fs::path Source() const { return folder.path / "movie.txt"; }
    fs::path Sup() const { return folder.path / "movie.sup"; }
    fs::path Log() const { return folder.path / "movie.log"; }
    std::string Arrow() const { return Source().string() + " --> " + Sup().string(); }

    Outcome Encode(const std::string& text, std::vector<std::string> options = {}) const {
        fixture::WriteFileBytes(Source(), std::vector<std::uint8_t>(text.begin(), text.end()));
        return EncodeExisting(std::move(options));
    }

    Outcome EncodeExisting(std::vector<std::string> options = {}) const {
        OptionList list{std::move(options)};
        Outcome outcome;
        testing::internal::CaptureStdout();
        outcome.result = EncodeSourceFile(list, Source().c_str(), "movie.txt");
        outcome.output = testing::internal::GetCapturedStdout();
        outcome.hasLog = fs::exists(Log());
        outcome.log = std::regex_replace(fixture::ReadFileText(Log()),
                                         std::regex(R"(\d{4}-\d\d-\d\d  \d\d:\d\d:\d\d)"), "<time>");
        outcome.hasSup = fs::exists(Sup());
        DataFile sup;
        OpenDataFile(&sup, Sup().c_str(), OfRead);
        SubtitleBlock block;
        std::uint16_t unitSize = 0;
        while (ReadSubtitleBlock(&sup, &block, nullptr, &unitSize) == 1) {
            outcome.blocks.push_back(block);
            outcome.unitSizes.push_back(unitSize);
        }
        return outcome;
    }
};

const std::string Font = "FontName=DejaVu Sans\n";

std::string SettingsBlock(int frameW = 720, int frameH = 576, const char* rate = "25", int delay = 0) {
    return "\n  FrameW    = " + std::to_string(frameW) + "\n  FrameH    = " + std::to_string(frameH) +
           "\n  FrameRate = " + rate + "\n  Delay     = " + std::to_string(delay) + "\n\n";
}

std::string Crlf(const std::string& text) {
    return std::regex_replace(text, std::regex("\n"), "\r\n");
}

// The log of a file that starts and finishes, with `middle` between.
std::string FullLog(const EncoderFolder& f, const std::string& middle) {
    return Crlf(f.Arrow() + "\n\n  Encoding started  <time>\n" + middle + "  Encoding finished <time>\n");
}

// The text block the renderer measures for one line of DejaVu Sans at the
// given font size, as the driver renders it.
TextRect Measure(const std::string& line, int fontSize) {
    const EncoderSettings builtIn = BuiltInSettings();
    EncoderSettings s = builtIn;
    LoadProfileSection(&s, "/nonexistent/OstrelEncode.ini", "Default", builtIn);
    ApplyCommand(&s, "FontName=DejaVu Sans", builtIn, 0);
    ApplyCommand(&s, ("FontSize=" + std::to_string(fontSize)).c_str(), builtIn, 0);
    TextRect rect;
    IndexedBitmap picture;
    RenderSubtitleText(TextLines{{line}, 1250}, true, false, s.OnTop, s.Indent, s.DynamicSize, s.RightToLeft,
                       s.Font, s.Contour, FrameSize{s.FrameW, s.FrameH - 4}, &rect, &picture);
    return rect;
}

std::uint8_t Black(int, int) { return 0; }

TEST(EncoderDriver, FileOfCommentsAndCommandsOnly) {
    EncoderFolder f;
    const Outcome o = f.Encode("; a comment\n" + Font + "\n   \nFrameW=704\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.output, f.Arrow() + "\n");
    EXPECT_EQ(o.log, FullLog(f, ""));
    EXPECT_TRUE(o.hasSup);
    EXPECT_EQ(fs::file_size(f.Sup()), 0u);
}

TEST(EncoderDriver, LogLayoutOfAForcedWarning) {
    EncoderFolder f;
    const TextRect rect = Measure("Wide text of a warning", 23);
    const int width = rect.right - rect.left;
    const int frameW = width + 1;  // within the frame but wider than 95 % of it
    const Outcome o = f.Encode(Font + "FrameW=" + std::to_string(frameW) + "\n{7}{9}Wide text of a warning\n",
                               {"force"});
    EXPECT_EQ(o.result, 0);
    const std::string closing = "\n  Encoding process detected errors in source text.\n  Encoding forced.\n";
    EXPECT_EQ(o.log, FullLog(f, SettingsBlock(frameW) + "  warning: {7} - width  = " + std::to_string(width) +
                                    "\n" + closing));
    EXPECT_EQ(o.output, f.Arrow() + "\n" + closing);
    ASSERT_EQ(o.blocks.size(), 1u);
}

TEST(EncoderDriver, WidthAndHeightLimitsOfText) {
    const std::string line = "Measured line";
    const TextRect rect = Measure(line, 40);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    ASSERT_GT(width, 40);
    ASSERT_LT(height, 200);
    const int roomy = (100 * width + 94) / 95;  // 95 % of it is at least the width
    const int spare = 576 - height;               // lines left beside the text
    const auto widthLine = [&](const char* kind) {
        return "  " + std::string(kind) + " {5} - width  = " + std::to_string(width) + "\n";
    };
    const auto heightLine = [&](const char* kind) {
        return "  " + std::string(kind) + " {5} - height = " + std::to_string(height) + "\n";
    };
    const struct {
        int frameW;
        int indent;
        std::string reported;
    } cases[] = {
        {width - 1, 40, widthLine("error:  ")},
        {width, 40, widthLine("warning:")},
        {roomy - 1, 40, widthLine("warning:")},
        {roomy, 40, ""},
        {720, spare + 1, heightLine("error:  ")},
        {720, spare, heightLine("warning:")},
        {720, spare / 2 + 1, heightLine("warning:")},
        {720, spare / 2, ""},
    };
    const std::string closing = "\n  Encoding process detected errors in source text.\n  Encoding interrupted.\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.frameW) + " " + std::to_string(c.indent));
        EncoderFolder f;
        const Outcome o = f.Encode(Font + "FontSize=40\nDynamicSize=0\nFrameW=" + std::to_string(c.frameW) +
                                   "\nIndent=" + std::to_string(c.indent) + "\n{5}{9}" + line + "\n");
        EXPECT_EQ(o.log, FullLog(f, SettingsBlock(c.frameW) + c.reported + (c.reported.empty() ? "" : closing)));
        EXPECT_EQ(o.result, c.reported.empty() ? 0 : 1);
        EXPECT_EQ(o.hasSup, c.reported.empty());
    }
}

TEST(EncoderDriver, BitmapSizeLimits) {
    const struct {
        int width, height;
        std::string reported;
    } cases[] = {
        {720, 576, ""},
        {721, 576, "  error:   {3} - width  = 721\n"},
        {720, 577, "  error:   {3} - height = 577\n"},
        {722, 580, "  error:   {3} - width  = 722\n  error:   {3} - height = 580\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reported);
        EncoderFolder f;
        fixture::WriteGreyBitmap(f.folder.path / "picture.bmp", c.width, c.height, Black);
        const Outcome o = f.Encode("{3}{4}{picture.bmp}\n");
        const std::string closing = "\n  Encoding process detected errors in source text.\n  Encoding interrupted.\n";
        EXPECT_EQ(o.log, FullLog(f, SettingsBlock() + c.reported + (c.reported.empty() ? "" : closing)));
        EXPECT_EQ(o.blocks.size(), c.reported.empty() ? 1u : 0u);
    }
}

TEST(EncoderDriver, FrameRateAndDelayTimeTheBlocks) {
    EncoderFolder f;
    const Outcome o = f.Encode(Font + "FrameRate=29.97\nDelay=10\nFrameH=480\n{100}{200}text\n"
                               "FrameRate=25\nDelay=0\nFrameH=576\n{1:0}{1:10}more\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.log, FullLog(f, SettingsBlock(720, 480, "29.97", 10)));
    ASSERT_EQ(o.blocks.size(), 2u);
    EXPECT_EQ(o.blocks[0].startTime, 330330u);
    EXPECT_EQ(o.blocks[0].headers[1].command, CommandHide);
    EXPECT_EQ(o.blocks[0].headers[1].delay, 293 * DelayUnit);  // 300300 ticks rounded to 1024
    // The frame keys after the first subtitle change nothing: 1:0 is frame
    // 30 at 29.97, and the picture still sits in a frame of 480 lines.
    EXPECT_EQ(o.blocks[1].startTime, 3003u * 40);
    EXPECT_EQ(o.blocks[1].headers[1].delay, 29 * DelayUnit);  // 30030 ticks
    EXPECT_LT(o.blocks[1].headers[0].rect.bottom, 480);
}

TEST(EncoderDriver, TimesOutsideTheirWordsAreReported) {
    const struct {
        std::string line;
        std::string reported;
    } cases[] = {
        {"{-5}{10}a", "  error:   {-5} - time   = -5\n"},
        {"{1193047}{1193048}a", "  error:   {1193047} - time   = 1193047\n"},  // 3600 * n > 0xFFFFFFFF
        {"{1193046}{1193047}a", ""},
        {"{100}{50}a", "  error:   {100} - length = -50\n"},
        {"{0}{18641}a", ""},  // 67107600 ticks: 65535 units
        {"{0}{18642}a", "  error:   {0} - length = 18642\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EncoderFolder f;
        const Outcome o = f.Encode(Font + c.line + "\n");
        EXPECT_NE(o.log.find(Crlf(SettingsBlock() + c.reported)), std::string::npos) << o.log;
        EXPECT_EQ(o.result, c.reported.empty() ? 0 : 1);
        EXPECT_EQ(o.blocks.size(), c.reported.empty() ? 1u : 0u);
    }
}

TEST(EncoderDriver, ExtremeFrameLengthsAreReportedNotOverflowed) {
    // At 0.00001 frames per second a frame lasts 2147483647 ticks (the
    // largest length kept); spans of whole 32-bit frame ranges stay reported.
    EncoderFolder f;
    const Outcome o = f.Encode(Font + "FrameRate=0.00001\n{-2147483648}{2147483647}a\n{2147483647}{-2147483648}b\n");
    EXPECT_EQ(o.result, 1);
    EXPECT_NE(o.log.find(Crlf(SettingsBlock(720, 576, "1e-05") +
                              "  error:   {-2147483648} - time   = -2147483648\n"
                              "  error:   {-2147483648} - length = 4294967295\n"
                              "  error:   {2147483647} - time   = 2147483647\n"
                              "  error:   {2147483647} - length = -4294967295\n")),
              std::string::npos)
        << o.log;
    EXPECT_TRUE(o.blocks.empty());
}

TEST(EncoderDriver, ForcedFileLeavesOutOnlyTheSubtitlesWhoseTimesDoNotFit) {
    EncoderFolder f;
    const Outcome o = f.Encode(Font + "{10}{20}one\n{100}{50}two\n{-3}{20}three\n{1193045}{1193046}four\n",
                               {"force"});
    EXPECT_EQ(o.result, 0);
    ASSERT_EQ(o.blocks.size(), 2u);
    EXPECT_EQ(o.blocks[0].startTime, 36000u);
    EXPECT_EQ(o.blocks[1].startTime, 4294962000u);
}

TEST(EncoderDriver, UnitsAboveTheLimitsAreWarnedOrLeftOut) {
    EncoderFolder f;
    // Every pixel differs from its neighbours: each run codes in 4 bits.
    const auto noise = [](int x, int y) { return static_cast<std::uint8_t>(((x + y) % 4) * 85); };
    fixture::WriteGreyBitmap(f.folder.path / "full.bmp", 720, 576, noise);
    fixture::WriteGreyBitmap(f.folder.path / "band.bmp", 720, 150, noise);
    const Outcome o = f.Encode(Font + "{1}{2}first\n{3}{4}{full.bmp}\n{5}{6}{band.bmp}\n{7}{8}last\n");
    EXPECT_EQ(o.result, 1);
    ASSERT_EQ(o.blocks.size(), 3u);
    EXPECT_EQ(o.blocks[1].startTime, 5u * 3600);
    EXPECT_GT(o.unitSizes[1], PlayerUnitLimit);
    EXPECT_EQ(o.log, FullLog(f, SettingsBlock() + "  error:   {3} - bytes  > 65535, not written\n" +
                                    "  warning: {5} - bytes  = " + std::to_string(o.unitSizes[1]) + "\n"));
}

TEST(EncoderDriver, OlderLongerSupIsReplaced) {
    EncoderFolder f;
    fixture::WriteFileBytes(f.Sup(), std::vector<std::uint8_t>(200000, 0x53));
    const Outcome o = f.Encode(Font + "{1}{2}short\n");
    ASSERT_EQ(o.blocks.size(), 1u);
    EXPECT_EQ(fs::file_size(f.Sup()), BlockHeadSize + o.unitSizes[0]);
}

TEST(EncoderDriver, SupThatCannotBeCreatedIsReported) {
    EncoderFolder f;
    fs::create_directory(f.Sup());  // a folder in the way of the output
    testing::internal::CaptureStderr();
    const Outcome o = f.Encode(Font + "{1}{2}short\n");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(o.result, 0);
    EXPECT_NE(errors.find("cannot write \"" + f.Sup().string() + "\""), std::string::npos);
    EXPECT_TRUE(EncoderHadFileFailure());
    EXPECT_TRUE(fs::is_directory(f.Sup()));
}

TEST(EncoderDriver, ShowBitmapDumpsOnlyLaterTextPicturesOfTheEncodePass) {
    EncoderFolder f;
    fixture::WriteGreyBitmap(f.folder.path / "picture.bmp", 100, 50, Black);
    const Outcome o = f.Encode(Font + "{1}{2}one\n{3}{4}two\nShowBitmap=1\n{5}{6}three\n{7}{8}{picture.bmp}\n"
                               "{9}{10}four\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.blocks.size(), 5u);
    std::vector<std::string> dumps;
    for (const auto& entry : fs::directory_iterator(f.folder.path))
        if (entry.path().extension() == ".bmp" && entry.path().filename() != "picture.bmp")
            dumps.push_back(entry.path().filename().string());
    std::sort(dumps.begin(), dumps.end());
    EXPECT_EQ(dumps, (std::vector<std::string>{"movie_000001.bmp", "movie_000002.bmp"}));
    IndexedBitmap dump;
    ASSERT_EQ(LoadBitmapFile((f.folder.path / "movie_000002.bmp").c_str(), &dump), BitmapOk);
    EXPECT_EQ(dump.header.biWidth, 720);
    EXPECT_EQ(dump.header.biHeight, 572);
}

TEST(EncoderDriver, MissingBitmapIsFatal) {
    const struct {
        std::string text;
        std::vector<std::string> options;
        std::string before;  // lines logged before the fatal message
        std::string path;
        int result;
        std::size_t blocks;
    } cases[] = {
        {"{1}{2}{nothere.bmp}\n{3}{4}a\n", {}, "", "nothere.bmp", 0, 0},
        {"{1}{2}{}\n", {}, "", "", 0, 0},
        {"FrameW=10\n{1}{2}wide\n{3}{4}{gone.bmp}|text\n", {"force"}, "  error:   {1} - width  = ", "gone.bmp", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EncoderFolder f;
        const Outcome o = f.Encode(Font + c.text, c.options);
        const std::string fatal = "\n  Fatal error - cannot load bitmap " + c.path + ".\n";
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.output, f.Arrow() + "\n" + fatal);
        EXPECT_TRUE(o.log.starts_with(Crlf(f.Arrow() + "\n\n  Encoding started  <time>\n" + SettingsBlock(c.path == "gone.bmp" ? 10 : 720) + c.before)))
            << o.log;
        EXPECT_TRUE(o.log.ends_with(Crlf(fatal))) << o.log;
        EXPECT_EQ(o.hasSup, false);
        EXPECT_EQ(o.blocks.size(), c.blocks);
    }
}

TEST(EncoderDriver, EmptyTextPartCountsAsSubtitle) {
    EncoderFolder f;
    const Outcome o = f.Encode(Font + "{1}{2}   \nFrameW=10\n{3}{4}wider than ten\n{5}\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.log, FullLog(f, SettingsBlock()));
    EXPECT_EQ(o.blocks.size(), 1u);
}

TEST(EncoderDriver, Utf8SourceWithByteOrderMark) {
    EncoderFolder f;
    const Outcome o = f.Encode("\xEF\xBB\xBF" "FrameW=704\n" + Font + "{1}{2}Gr\xC3\xBC\xC3\x9F" "e\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.log, FullLog(f, SettingsBlock(704)));
    ASSERT_EQ(o.blocks.size(), 1u);
    EXPECT_EQ(o.blocks[0].headers[0].rect.right - o.blocks[0].headers[0].rect.left + 1, 704);

    const Outcome subtitleFirst = f.Encode("\xEF\xBB\xBF{1}{2}Hello\n");
    EXPECT_EQ(subtitleFirst.blocks.size(), 1u);
}

TEST(EncoderDriver, UnreadableSourceCreatesNothing) {
    EncoderFolder f;
    OptionList none;
    const fs::path missing = f.folder.path / "missing.txt";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(EncodeSourceFile(none, missing.c_str(), "missing.txt"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(testing::internal::GetCapturedStderr().find(missing.string()), std::string::npos);
    EXPECT_TRUE(EncoderHadFileFailure());
    EXPECT_TRUE(fs::is_empty(f.folder.path));
}

TEST(EncoderDriver, NoLogSendsCheckLinesToStandardOutput) {
    EncoderFolder f;
    const Outcome o = f.Encode(Font + "FrameW=10\n{2}{3}wide\n", {"NoLog"});
    EXPECT_EQ(o.result, 1);
    EXPECT_FALSE(o.hasLog);
    EXPECT_FALSE(o.hasSup);
    EXPECT_TRUE(o.output.starts_with(f.Arrow() + "\n" + SettingsBlock(10) + "  error:   {2} - width  = ")) << o.output;
    EXPECT_TRUE(o.output.ends_with("\n\n  Encoding process detected errors in source text.\n  Encoding interrupted.\n"));
}

TEST(BitmapReference, TriedAsWrittenWithSlashesThenBesideTheSource) {
    TempFolder folder;
    fs::create_directories(folder.path / "subs" / "pics");
    fixture::WriteFileBytes(folder.path / "subs" / "pics" / "a.bmp", {1});
    fixture::WriteFileBytes(folder.path / "b.bmp", {1});
    const std::string source = (folder.path / "subs" / "movie.txt").string();
    const std::string root = folder.path.string();
    const struct {
        std::string reference;
        std::string expected;
    } cases[] = {
        {root + "/b.bmp", root + "/b.bmp"},
        {root + "\\b.bmp", root + "/b.bmp"},
        {"pics\\a.bmp", root + "/subs/pics/a.bmp"},
        {"pics/a.bmp", root + "/subs/pics/a.bmp"},
        {"pics\\none.bmp", "pics\\none.bmp"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolveBitmapReference(c.reference, source), c.expected) << c.reference;
}

}  // namespace
}  // namespace ostrel
