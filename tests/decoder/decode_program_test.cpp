// OstrelDecode run as a program: screens, exit status and files on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/program_run.h"
#include "support/sup_fixture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using namespace fixture;

const std::string Banner =
    "OstrelDecode version 1.5 (2003-10-01) - DVD subtitle decoder.\n"
    "Part of the Ostrel subtitle tools (see README.md).\n"
    "\n";

const std::string Usage =
    "Usage:  OstrelDecode  [-options] subtitle1.sup [subtitle2.sup ...]\n\n"
    "          where subtitle1.sup is VobEdit subtitle file\n"
    "          options\n"
    "                -help         display help\n"
    "                -bitmap       create bitmap file for every subtitle block\n"
    "                -fr:N         set up frame rate to  N fps (N=25, 29.97)\n"
    "                -pal          set up frame rate to 25 fps\n"
    "                -ntsc         set up frame rate to 29.97 fps\n"
    "                -version      display version info\n"
    "\n";

const std::string Help =
    "DVD subtitle decoder creates text files from subtitle sup-file\n"
    "(result of VobEdit demultiplexor).\n"
    "\n"
    "Result is text file in format\n"
    "{frame_from}{frame_to}{VTS_01_0.20_000001.bmp}\n"
    "\n"
    "With option -bitmap are also created related bmp-files.\n\n";

const std::string Version =
    "Home page (see README.md)\n"
    "Bug report send to the project's issue tracker (see README.md)\n"
    "\n"
    "2003-10-01      1.5 new build.\n"
    "2003-06-30      1.3 modified color setting.\n"
    "2003-05-20      1.2 corrected NTSC support.\n"
    "2003-05-05      1.1 new build.\n"
    "2003-04-27      1.0 main release.\n\n";

Bytes ExampleSup() {
    return BuildSup({ShowHideBlock(900000, 0x3210, 0xFFF0, 0, 9, 0, 2, 176),
                     ShowHideBlock(1080000, 0x3210, 0xFFF0, 0, 9, 0, 2, 176)});
}

TEST(DecodeProgram, ScreensAndExitStatus) {
    TempFolder folder;
    const struct {
        std::vector<std::string> arguments;
        std::string output;
    } cases[] = {
        {{}, Banner + Usage},
        {{"-help"}, Banner + Usage + Help},
        {{"-H"}, Banner + Usage + Help},
        {{"-version"}, Banner + Version},
        {{"-help", "-version"}, Banner + Usage + Help + Version},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunProgram(OSTREL_DECODE_PROGRAM, c.arguments, folder.path);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.standardOutput, c.output);
        EXPECT_EQ(run.standardError, "");
    }
}

TEST(DecodeProgram, DecodesTheExampleWithBitmaps) {
    TempFolder folder;
    WriteFileBytes(folder.path / "movie.sup", ExampleSup());
    const ProgramRun run = RunProgram(OSTREL_DECODE_PROGRAM, {"-bitmap", "movie.sup"}, folder.path);
    EXPECT_EQ(run.exitStatus, 0);
    const std::string stem = (folder.path / "movie").string();
    EXPECT_EQ(run.standardOutput, Banner + stem + ".sup --> " + stem + ".txt\n");
    EXPECT_EQ(ReadFileText(folder.path / "movie.txt"),
              ";movie.sup\r\nFrameRate=25\r\nPalette=3210\r\nAlpha=FFF0\r\n"
              "{250}{300}{movie_000001.bmp}\r\n{300}{350}{movie_000002.bmp}\r\n\r\n");
    EXPECT_EQ(ReadFileBytes(folder.path / "movie_000001.bmp").size(), 1114u);
    EXPECT_EQ(ReadFileBytes(folder.path / "movie_000002.bmp").size(), 1114u);

    // A second run takes the next free name.
    const ProgramRun again = RunProgram(OSTREL_DECODE_PROGRAM, {"movie.sup"}, folder.path);
    EXPECT_EQ(again.standardOutput, Banner + stem + ".sup --> " + stem + ".01.txt\n");
}

TEST(DecodeProgram, FileThatFailsGivesNonZeroStatusAndTheOthersAreStillDone) {
    TempFolder folder;
    // movie.txt is taken and movie.01.txt would be longer than a file name may be.
    const std::string stem = "0" + std::string(248, 'n');
    WriteFileBytes(folder.path / (stem + ".sup"), ExampleSup());
    WriteFileBytes(folder.path / (stem + ".txt"), {'k'});
    WriteFileBytes(folder.path / "a.sup", ExampleSup());
    const ProgramRun run = RunProgram(OSTREL_DECODE_PROGRAM, {"*.sup"}, folder.path);
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_TRUE(run.standardError.starts_with("OstrelDecode: cannot create \"")) << run.standardError;
    EXPECT_TRUE(fs::exists(folder.path / "a.txt"));
}

}  // namespace
}  // namespace ostrel
