// OstrelEncode run as a program: console output, exit status, profiles and
// files on disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "encoder/settings.h"
#include "encoder/text_renderer.h"
#include "supkit/data_file.h"
#include "supkit/subtitle_block.h"
#include "support/encoder_fixture.h"
#include "support/program_run.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using namespace fixture;

struct ProgramFolder {
    TempFolder folder;
    ProfileScope profile{folder.path};

    void Write(const std::string& name, const std::string& text) const {
        WriteFileBytes(folder.path / name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    ProgramRun Run(const std::vector<std::string>& arguments, const fs::path& where = {}) const {
        return RunProgram(OSTREL_ENCODE_PROGRAM, arguments, where.empty() ? folder.path : where);
    }
    std::string Path(const std::string& name) const { return (folder.path / name).string(); }
};

const std::string BannerFirstLine = "OstrelEncode version 1.5 (2003-10-10) - DVD subtitle encoder.\n";

const std::string Usage =
    "Usage:  OstrelEncode  [-options] subtitle1.txt [subtitle2.txt ...]\n\n"
    "          where subtitle1.txt is source subtitle text\n"
    "          options\n"
    "                -help         display help\n"
    "                -nolog        suppress log-file generation\n"
    "                -force        force encoding regardless errors\n"
    "                -p:profile    load setting from profile (in OstrelEncode.ini)\n"
    "                -version      display version info\n"
    "\n";

// The banner: its first line, one line of any wording, an empty line.
std::string Banner(const std::string& output) {
    const std::size_t second = output.find('\n', BannerFirstLine.size());
    return second == std::string::npos ? output : output.substr(0, second + 2);
}

// A line of DejaVu Sans and its font size whose text block is wider than
// 95 % of a 720 frame but fits it.
struct WideLine {
    std::string text;
    int fontSize = 0;
    int width = 0;
};

WideLine FindWideLine() {
    const EncoderSettings builtIn = BuiltInSettings();
    EncoderSettings s = builtIn;
    LoadProfileSection(&s, "/nonexistent/OstrelEncode.ini", "Default", builtIn);
    ApplyCommand(&s, "FontName=DejaVu Sans", builtIn, 0);
    std::string text = "The quick brown fox jumps over the lazy dog";
    for (int extra = 0; extra < 20; ++extra, text += "o") {
        for (int size = 12; size <= 60; ++size) {
            ApplyCommand(&s, ("FontSize=" + std::to_string(size)).c_str(), builtIn, 0);
            TextRect rect;
            IndexedBitmap picture;
            RenderSubtitleText(TextLines{{text}, 1250}, true, false, 0, 40, 0, 0, s.Font, 2, FrameSize{720, 572},
                               &rect, &picture);
            const int width = rect.right - rect.left;
            if (width > 684 && width <= 720) return {text, size, width};
        }
    }
    return {};
}

TEST(EncodeProgram, BannerAndUsageWithoutArguments) {
    ProgramFolder f;
    const ProgramRun run = f.Run({});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.standardOutput.starts_with(BannerFirstLine));
    EXPECT_EQ(run.standardOutput, Banner(run.standardOutput) + Usage);
}

TEST(EncodeProgram, TextWiderThan95PercentOfTheFrame) {
    const WideLine wide = FindWideLine();
    ASSERT_GT(wide.width, 0) << "no line of the wanted width";
    const std::string source = "FontName=DejaVu Sans\nFontSize=" + std::to_string(wide.fontSize) + "\n{10}{20}" +
                               wide.text + "\n";
    const std::string checkLines = "\n  FrameW    = 720\n  FrameH    = 576\n  FrameRate = 25\n  Delay     = 0\n\n"
                                   "  warning: {10} - width  = " + std::to_string(wide.width) + "\n";
    const std::string detected = "\n  Encoding process detected errors in source text.\n";
    const struct {
        std::vector<std::string> options;
        bool log;
        std::string afterArrow;  // standard output after the "-->" line
        int exitStatus;
        std::size_t blocks;
    } cases[] = {
        {{"-nolog"}, false, checkLines + detected + "  Encoding interrupted.\n", 1, 0},
        {{"/NOLOG", "-force"}, false, checkLines + detected + "  Encoding forced.\n", 0, 1},
        {{}, true, detected + "  Encoding interrupted.\n", 1, 0},
        {{"-force"}, true, detected + "  Encoding forced.\n", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.size());
        ProgramFolder f;
        f.Write("movie.txt", source);
        std::vector<std::string> arguments = c.options;
        arguments.push_back("movie.txt");
        const ProgramRun run = f.Run(arguments);
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        const std::string arrow = f.Path("movie.txt") + " --> " + f.Path("movie.sup") + "\n";
        EXPECT_EQ(run.standardOutput, Banner(run.standardOutput) + arrow + c.afterArrow);
        EXPECT_EQ(fs::exists(f.folder.path / "movie.log"), c.log);
        EXPECT_EQ(fs::exists(f.folder.path / "movie.sup"), c.blocks > 0);
        EXPECT_EQ(ReadAllBlocks(f.folder.path / "movie.sup").size(), c.blocks);
    }
}

TEST(EncodeProgram, ExitStatusIsTheLastFileResult) {
    const struct {
        std::vector<std::string> arguments;
        int exitStatus;
        std::vector<std::string> logs;
    } cases[] = {
        {{"a.txt", "b.txt"}, 1, {"a.log", "b.log"}},
        {{"b.txt", "a.txt"}, 0, {"a.log", "b.log"}},
        {{"*.TXT"}, 1, {"a.log", "b.log"}},  // the error of b.txt ends the expansion before c.txt
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        ProgramFolder f;
        f.Write("a.txt", "FontName=DejaVu Sans\n{1}{2}fine\n");
        f.Write("b.txt", "FontName=DejaVu Sans\nFrameW=10\n{1}{2}too wide\n");
        f.Write("c.txt", "FontName=DejaVu Sans\n{1}{2}fine\n");
        const ProgramRun run = f.Run(c.arguments);
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        std::vector<std::string> logs;
        for (const char* name : {"a.log", "b.log", "c.log"})
            if (fs::exists(f.folder.path / name)) logs.push_back(name);
        EXPECT_EQ(logs, c.logs);
    }
}

TEST(EncodeProgram, UnreadableSourceFailsButOthersAreEncoded) {
    ProgramFolder f;
    f.Write("a.txt", "{1}{2}{nothere.bmp}\n");  // a fatal error that reports no problem: 0
    f.Write("b.txt", "{1}{2}fine\n");
    fs::permissions(f.folder.path / "a.txt", fs::perms::none);
    if (std::ifstream(f.folder.path / "a.txt")) GTEST_SKIP() << "this user can read any file";
    const ProgramRun run = f.Run({"a.txt", "b.txt"});
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_NE(run.standardError.find(f.Path("a.txt")), std::string::npos);
    EXPECT_FALSE(fs::exists(f.folder.path / "a.log"));
    EXPECT_EQ(ReadAllBlocks(f.folder.path / "b.sup").size(), 1u);
}

TEST(EncodeProgram, BitmapReferenceBesideTheSourceWithBackslashes) {
    ProgramFolder f;
    fs::create_directories(f.folder.path / "subs" / "pics");
    fs::create_directories(f.folder.path / "elsewhere");
    // 2 x 2 pixels, 24 bits: file header, info header, two rows of 6 bytes padded to 8.
    const std::vector<std::uint8_t> bitmap = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                          40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          255, 255, 255, 0, 0, 0, 0, 0,
                          0, 0, 0, 255, 255, 255, 0, 0};
    WriteFileBytes(f.folder.path / "subs" / "pics" / "a.bmp", bitmap);
    f.Write("subs/movie.txt", "{1}{2}{pics\\a.bmp}\n");
    const ProgramRun run = f.Run({"../subs/movie.txt"}, f.folder.path / "elsewhere");
    EXPECT_EQ(run.exitStatus, 0);
    const auto blocks = ReadAllBlocks(f.folder.path / "subs" / "movie.sup");
    ASSERT_EQ(blocks.size(), 1u);
    const DisplayRect& rect = blocks[0].headers[0].rect;
    EXPECT_EQ(rect.right - rect.left + 1, 2);
    EXPECT_EQ(rect.bottom - rect.top + 1, 2);
}

TEST(EncodeProgram, ProfileSectionsAndFrameRateFallback) {
    const std::string profile =
        "[Default]\nFrameRate=0\nFrameW=704\n"
        "[ntsc]\nFrameRate=29.97\nFrameH=480\n"
        "[broken]\nFrameRate=fast\n";
    const struct {
        std::vector<std::string> options;
        std::string settings;
        std::uint32_t startTime;  // of the subtitle at frame 10
    } cases[] = {
        {{}, "FrameW    = 704\r\n  FrameH    = 576\r\n  FrameRate = 25\r\n", 36000},
        {{"-p:ntsc"}, "FrameW    = 720\r\n  FrameH    = 480\r\n  FrameRate = 29.97\r\n", 30030},
        {{"-p:broken"}, "FrameW    = 720\r\n  FrameH    = 576\r\n  FrameRate = 25\r\n", 36000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        ProgramFolder f;
        f.Write("OstrelEncode.ini", profile);
        f.Write("movie.txt", "FontName=DejaVu Sans\n{10}{20}text\n");
        std::vector<std::string> arguments = c.options;
        arguments.push_back("movie.txt");
        const ProgramRun run = f.Run(arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_NE(ReadFileText(f.folder.path / "movie.log").find(c.settings), std::string::npos);
        const auto blocks = ReadAllBlocks(f.folder.path / "movie.sup");
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0].startTime, c.startTime);
    }
}

}  // namespace
}  // namespace ostrel
