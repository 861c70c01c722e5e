// OstrelHTML run as a program: screens, exit status and files on disk.
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
    "OstrelHTML version 1.5 (2003-10-01) - DVD subtitle HTML viewer.\n"
    "Part of the Ostrel subtitle tools (see README.md).\n"
    "\n";

const std::string Usage =
    "Usage:  OstrelHTML  [-options] subtitle1.sup  [subtitle2.sup ...]\n\n"
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
    "DVD subtitle HTML viewer creates html-files from subtitle sup-file\n"
    "(result of VobEdit demultiplexor).\n"
    "This html-file contains useful information about every subtitle block\n"
    "such as address, size, timing, subtitle position on the screen, \n"
    "palette, alpha-channel setting etc..\n"
    "\n"
    "With option -bitmap are also created bitmaps for every subtitle screen.\n\n";

const std::string Version =
    "Home page (see README.md)\n"
    "Bug report send to the project's issue tracker (see README.md)\n"
    "\n"
    "2003-10-01      1.5 new build.\n"
    "2003-06-30      1.3 modified color setting.\n"
    "2003-05-20      1.2 corrected NTSC support.\n"
    "2003-05-05      1.1 new build.\n"
    "2003-04-27      1.0 main release.\n\n";

TEST(HtmlProgram, ScreensAndExitStatus) {
    TempFolder folder;
    const struct {
        std::vector<std::string> arguments;
        std::string output;
    } cases[] = {
        {{}, Banner + Usage},
        {{"-help"}, Banner + Usage + Help},
        {{"/h"}, Banner + Usage + Help},
        {{"-version"}, Banner + Version},
        {{"--help", "-VERSION"}, Banner + Usage + Help + Version},
        {{"-"}, Banner},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunProgram(OSTREL_HTML_PROGRAM, c.arguments, folder.path);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.standardOutput, c.output);
        EXPECT_EQ(run.standardError, "");
    }
}

TEST(HtmlProgram, WritesAPageBesideEachMatchingFile) {
    TempFolder folder;
    const Bytes sup = BuildSupBlock(ShowHideBlock(900000, 0x3210, 0xFFF0, 0, 9, 0, 2, 176));
    WriteFileBytes(folder.path / "a.sup", sup);
    WriteFileBytes(folder.path / "b.SUP", sup);
    const ProgramRun run = RunProgram(OSTREL_HTML_PROGRAM, {"-bitmap", "*.sup"}, folder.path);
    EXPECT_EQ(run.exitStatus, 0);
    const fs::path a = folder.path / "a";
    const fs::path b = folder.path / "b";
    EXPECT_EQ(run.standardOutput, Banner + a.string() + ".sup --> " + a.string() + ".html\n" + b.string() +
                                      ".SUP --> " + b.string() + ".html\n");
    EXPECT_TRUE(ReadFileText(folder.path / "a.html").starts_with("<HTML>\r\n<HEAD>\r\n<TITLE>a.sup</TITLE>\r\n"));
    EXPECT_EQ(ReadFileBytes(folder.path / "b_000001.bmp").size(), 1078u + 12u * 3u);
}

TEST(HtmlProgram, FileThatFailsGivesNonZeroStatusAndTheOthersAreStillDone) {
    TempFolder folder;
    const Bytes sup = BuildSupBlock(ShowHideBlock(900000, 0x3210, 0xFFF0, 0, 9, 0, 2, 176));
    // Its page's name would be longer than a file name may be.
    const std::string longName = "0" + std::string(250, 'n') + ".sup";
    WriteFileBytes(folder.path / longName, sup);
    WriteFileBytes(folder.path / "a.sup", sup);
    const ProgramRun run = RunProgram(OSTREL_HTML_PROGRAM, {"*.sup"}, folder.path);
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_TRUE(run.standardError.starts_with("OstrelHTML: cannot create \"")) << run.standardError;
    EXPECT_TRUE(fs::exists(folder.path / "a.html"));
}

}  // namespace
}  // namespace ostrel
