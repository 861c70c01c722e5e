// The HTML page of OstrelHTML, written by its file handler.
#include "htmlview/html_report.h"

#include <gtest/gtest.h>

#include "htmlview/reader_input.h"

#include <filesystem>
#include <string>
#include <vector>

#include "htmlview/html_text.h"
#include "support/program_run.h"
#include "support/sup_fixture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using namespace fixture;

// The text with every "\n" written as "\r\n", as the page's lines end.
std::string Crlf(const std::string& text) {
    std::string converted;
    for (const char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

OptionList Options(const std::vector<std::string>& entries) {
    OptionList options;
    options.entries = entries;
    return options;
}

const std::string PageHead =
    "<HTML>\n<HEAD>\n<TITLE>movie.sup</TITLE>\n</HEAD>\n\n"
    "<BODY>\n<FONT face=\"Verdana, Arial, Helvetica, Sans-Serif\" size=2>\n"
    "Frame Rate = 25 fps\n"
    "<HR align=center size=1 width=\"99%\">\n";
const std::string PageFoot = "</FONT>\n</BODY>\n</HTML>\n";

// The block of the documented example: 900000 ticks, shown with palette 3210
// in 209..509 x 436..535, hidden 176 delay units later; 0x07F6 unit bytes.
FixtureBlock ExampleBlock() {
    FixtureBlock block = ShowHideBlock(900000, 0x3210, 0xFFF0, 209, 509, 436, 535, 176);
    block.evenField.assign(1002, 0);
    block.oddField.assign(1002, 0);
    return block;
}

const std::string ExampleBlockText =
    "# 1\n<BR>\n"
    "SP: 900000\n"
    "(= A0 BB 0D 00)\n"
    "    [00:00:10:00]\n"
    "<BR>\n"
    "Address = 00000000, Size = 0800\n"
    "<BR>\n"
    "time = 0.00 s  (wait-time before applying this control header)<BR>\n"
    "-- &ltshow&gt, palette = 3210, alpha   = FFF0<BR>\n"
    "-- rect:\nleft   = 209,\nright  = 509,\ntop    = 436,\nbottom = 535\n"
    "<BR>\n"
    "time = 2.00 s  (wait-time before applying this control header)<BR>\n"
    "-- &lthide&gt, palette = 0000, alpha   = FFF0<BR>\n"
    "-- rect:\nleft   =   0,\nright  =   0,\ntop    =   0,\nbottom =   0\n"
    "<BR>\n"
    "width  = 301, height = 100\n"
    "<BR>\n"
    "[00:00:10:00] - [00:00:12:00]\n"
    "<BR><BR>\n";

const std::string RuleLine = "<HR align=center size=1 width=\"99%\">\n";

// Writes the ".sup" bytes into the folder and returns the page made of them.
std::string ReportOf(const TempFolder& folder, const Bytes& sup, const std::vector<std::string>& options = {},
                     const std::string& name = "movie.sup") {
    const fs::path input = folder.path / name;
    WriteFileBytes(input, sup);
    EXPECT_EQ(WriteHtmlReport(Options(options), input.c_str(), name.c_str()), 0);
    fs::path page = input;
    page.replace_extension(".html");
    return ReadFileText(page);
}

TEST(FormatTimeCode, CountsFramesAtTheWholeRate) {
    const struct {
        std::uint32_t frame;
        double rate;
        const char* text;
    } cases[] = {
        {0, 25, "00:00:00:00"},
        {250, 25, "00:00:10:00"},
        {250, 29.97, "00:00:08:10"},
        {250, 30, "00:00:08:10"},
        {2 * 90000 + 3 * 1500 + 4 * 25 + 7, 25, "02:03:04:07"},
        {0xFFFFFFFFu, 25, "47721:51:31:20"},
        {7, 0.2, "00:00:07:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTimeCode(c.frame, c.rate), c.text) << c.frame << " at " << c.rate;
}

TEST(HtmlReport, ExampleBlockGivesTheDocumentedPage) {
    TempFolder folder;
    const std::string page = ReportOf(folder, BuildSupBlock(ExampleBlock()));
    EXPECT_EQ(page, Crlf(PageHead + ExampleBlockText + RuleLine + PageFoot));
}

TEST(HtmlReport, EmptyForeignAndTruncatedFiles) {
    TempFolder folder;
    const std::string emptyPage = Crlf(PageHead + PageFoot);
    EXPECT_EQ(ReportOf(folder, {}), emptyPage);
    EXPECT_EQ(ReportOf(folder, {'R', 'I', 'F', 'F', 0, 0, 0, 0}), emptyPage);

    // A block cut short is described with zeros for what is missing.
    Bytes cut = BuildSupBlock(ExampleBlock());
    cut.resize(100);
    const std::string page = ReportOf(folder, cut);
    EXPECT_TRUE(Contains(page, Crlf("# 1\n"))) << page;
    EXPECT_FALSE(Contains(page, "# 2"));
    EXPECT_TRUE(page.ends_with(Crlf(PageFoot)));
}

TEST(HtmlReport, DelayOf100UnitsWaits112AtTwentyFive) {
    TempFolder folder;
    const std::string page = ReportOf(folder, BuildSupBlock(ShowHideBlock(0, 0, 0, 0, 9, 0, 1, 100)));
    EXPECT_TRUE(Contains(page, "time = 1.12 s  (wait-time")) << page;
}

TEST(HtmlReport, NtscUsesFrameLength3003AndWholeRate30) {
    TempFolder folder;
    // 9009000 ticks are frame 3000 at 3003 ticks a frame (3003 at 3000).
    const std::string page = ReportOf(folder, BuildSupBlock(ShowHideBlock(9009000, 0, 0, 0, 9, 0, 1, 176)), {"ntsc"});
    EXPECT_TRUE(Contains(page, "Frame Rate = 29.97 fps\r\n"));
    EXPECT_TRUE(Contains(page, "    [00:01:40:00]\r\n")) << page;
    EXPECT_TRUE(Contains(page, "[00:01:40:00] - [00:01:42:00]\r\n")) << page;
}

TEST(HtmlReport, ColContrastBytesAreLeftAlignedHex) {
    TempFolder folder;
    FixtureBlock block = ShowHideBlock(0, 0, 0, 0, 9, 0, 1, 10);
    block.sequences[0].commands = Join({block.sequences[0].commands, ColContrastCommand({0x0A, 0xFF})});
    const std::string page = ReportOf(folder, BuildSupBlock(block));
    EXPECT_TRUE(Contains(page, "\r\nColContrast = A  FF\r\n<BR>\r\n")) << page;
}

TEST(HtmlReport, PictureSizeIsAtLeastOne) {
    TempFolder folder;
    FixtureBlock block = ShowHideBlock(0, 0, 0, 20, 10, 5, 8, 10);  // right below left
    EXPECT_TRUE(Contains(ReportOf(folder, BuildSupBlock(block)), "width  =   1, height =   4\r\n"));
    FixtureSequence hideOnly;
    hideOnly.commands = HideCommand();
    block.sequences = {hideOnly};  // no rectangle at all
    EXPECT_TRUE(Contains(ReportOf(folder, BuildSupBlock(block)), "width  =   1, height =   1\r\n"));
}

TEST(HtmlReport, BlockWithoutHideHeaderRepeatsTheLastHideFrame) {
    TempFolder folder;
    FixtureBlock showOnly = ShowHideBlock(900000, 0, 0, 0, 9, 0, 1, 0);
    showOnly.sequences.pop_back();
    FixtureBlock later = showOnly;
    later.startTime = 1800000;  // frame 500
    const Bytes sup = BuildSup({showOnly, ShowHideBlock(1080000, 0, 0, 0, 9, 0, 1, 176), later});
    const std::string page = ReportOf(folder, sup);
    const std::size_t second = page.find("# 2");
    const std::size_t third = page.find("# 3");
    ASSERT_NE(third, std::string::npos);
    EXPECT_TRUE(Contains(page.substr(0, second), "[00:00:10:00] - [00:00:00:00]\r\n"));
    EXPECT_TRUE(Contains(page.substr(second, third - second), "[00:00:12:00] - [00:00:14:00]\r\n"));
    EXPECT_TRUE(Contains(page.substr(third), "[00:00:20:00] - [00:00:14:00]\r\n"));
}

TEST(HtmlReport, BitmapOptionWritesAndShowsEachPicture) {
    TempFolder folder;
    const Bytes sup = BuildSup({ShowHideBlock(0, 0, 0, 0, 9, 0, 2, 10), ShowHideBlock(90000, 0, 0, 0, 4, 0, 0, 10)});
    const std::string page = ReportOf(folder, sup, {"bitmap"});
    const std::string first = (folder.path / "movie_000001.bmp").string();
    const std::string second = (folder.path / "movie_000002.bmp").string();
    EXPECT_TRUE(Contains(page, Crlf("<BR><BR>\n<IMG src=\"" + first + "\">\n" + RuleLine))) << page;
    EXPECT_TRUE(Contains(page, "<IMG src=\"" + second + "\">"));
    EXPECT_EQ(ReadFileBytes(first).size(), 1078u + 12u * 3u);
    EXPECT_EQ(ReadFileBytes(second).size(), 1078u + 8u * 1u);
}

TEST(HtmlReport, NamesCannotInjectMarkup) {
    TempFolder folder;
    const std::string name = "a<b> & \"c\" #1.sup";
    const std::string page = ReportOf(folder, BuildSupBlock(ExampleBlock()), {"bitmap"}, name);
    EXPECT_TRUE(Contains(page, "<TITLE>a&lt;b&gt; &amp; &quot;c&quot; #1.sup</TITLE>")) << page;
    const std::string src = EncodeUrlPath(folder.path.string());
    EXPECT_TRUE(Contains(page, "<IMG src=\"" + src + "/a%3Cb%3E%20%26%20%22c%22%20%231_000001.bmp\">")) << page;
    EXPECT_TRUE(fs::exists(folder.path / "a<b> & \"c\" #1_000001.bmp"));
}

TEST(HtmlReport, LongPathsWork) {
    TempFolder folder;
    fs::path deep = folder.path;
    for (int i = 0; i < 8; ++i) deep /= std::string(40, static_cast<char>('a' + i));
    fs::create_directories(deep);
    const fs::path input = deep / "movie.sup";
    WriteFileBytes(input, BuildSupBlock(ExampleBlock()));
    ASSERT_GT(input.string().size(), 300u);
    EXPECT_EQ(WriteHtmlReport(Options({"bitmap"}), input.c_str(), "movie.sup"), 0);
    const std::string page = ReadFileText(deep / "movie.html");
    EXPECT_TRUE(Contains(page, Crlf(ExampleBlockText))) << page;
    EXPECT_TRUE(Contains(page, "<IMG src=\"" + (deep / "movie_000001.bmp").string() + "\">\r\n"));
    EXPECT_TRUE(fs::exists(deep / "movie_000001.bmp"));
}

class HtmlReportFailure : public ::testing::Test {
protected:
    void SetUp() override { ClearFileFailures(); }
    void TearDown() override { ClearFileFailures(); }
    TempFolder folder;
};

TEST_F(HtmlReportFailure, MissingInputOrDirectoryIsReportedAndMakesNoPage) {
    const fs::path missing = folder.path / "missing.sup";
    EXPECT_EQ(WriteHtmlReport(Options({}), missing.c_str(), "missing.sup"), 0);
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_FALSE(fs::exists(folder.path / "missing.html"));

    ClearFileFailures();
    fs::create_directory(folder.path / "folder.sup");
    EXPECT_EQ(WriteHtmlReport(Options({}), (folder.path / "folder.sup").c_str(), "folder.sup"), 0);
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_FALSE(fs::exists(folder.path / "folder.html"));
}

TEST_F(HtmlReportFailure, UnreadableInputIsReported) {
    const fs::path input = folder.path / "locked.sup";
    WriteFileBytes(input, BuildSupBlock(ExampleBlock()));
    fs::permissions(input, fs::perms::none);
    if (!ReadFileText(input).empty()) GTEST_SKIP() << "file permissions do not stop this user from reading";
    EXPECT_EQ(WriteHtmlReport(Options({}), input.c_str(), "locked.sup"), 0);
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_FALSE(fs::exists(folder.path / "locked.html"));
}

TEST_F(HtmlReportFailure, PageThatCannotBeCreatedIsReported) {
    // The input's name fits the file system's limit of 255 bytes, the page's does not.
    const std::string name = std::string(251, 'n') + ".sup";
    const fs::path input = folder.path / name;
    WriteFileBytes(input, BuildSupBlock(ExampleBlock()));
    EXPECT_EQ(WriteHtmlReport(Options({}), input.c_str(), name.c_str()), 0);
    EXPECT_TRUE(AnyFileFailed());
}

TEST_F(HtmlReportFailure, BitmapThatCannotBeWrittenIsReportedAndStillShown) {
    fs::create_directory(folder.path / "movie_000001.bmp");  // takes the first picture's name
    const Bytes sup = BuildSup({ExampleBlock(), ExampleBlock()});
    const std::string page = ReportOf(folder, sup, {"bitmap"});
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_TRUE(Contains(page, "<IMG src=\"" + (folder.path / "movie_000001.bmp").string() + "\">\r\n"));
    EXPECT_TRUE(fs::is_regular_file(folder.path / "movie_000002.bmp"));
}

TEST_F(HtmlReportFailure, InputNamedLikeItsPageIsNotOverwritten) {
    const fs::path input = folder.path / "movie.html";
    const Bytes sup = BuildSupBlock(ExampleBlock());
    WriteFileBytes(input, sup);
    EXPECT_EQ(WriteHtmlReport(Options({}), input.c_str(), "movie.html"), 0);
    EXPECT_TRUE(AnyFileFailed());
    EXPECT_EQ(ReadFileBytes(input), sup);
}

}  // namespace
}  // namespace ostrel
