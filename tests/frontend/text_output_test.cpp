// Text output files: line ends written as carriage return and line feed,
// replacement of older files, and reporting of lost output.
#include "frontend/text_output.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/program_run.h"

namespace ostrel {
namespace {

using namespace std::string_literals;
using fixture::ReadFileText;
using fixture::TempFolder;

TEST(TextOutputTest, EveryLineFeedBecomesCarriageReturnLineFeed) {
    TempFolder folder;
    const std::string path = (folder.path / "out.txt").string();
    TextOutputFile file;
    ASSERT_TRUE(CreateTextOutput(&file, path.c_str()));
    TextWrite(&file, "\nfirst\nsecond");
    TextWrite(&file, "");
    TextPrintf(&file, "|%s=%04X|%d\n\n", "Palette", 0x1F, -3);
    TextWrite(&file, std::string("nul\0byte\n", 9));
    EXPECT_TRUE(CloseTextOutput(&file));
    EXPECT_EQ(file.stream, nullptr);
    EXPECT_EQ(ReadFileText(path), "\r\nfirst\r\nsecond|Palette=001F|-3\r\n\r\nnul\0byte\r\n"s);
}

TEST(TextOutputTest, LongFormattedTextIsWrittenWhole) {
    TempFolder folder;
    const std::string path = (folder.path / "long.txt").string();
    const std::string word(5000, 'w');
    TextOutputFile file;
    ASSERT_TRUE(CreateTextOutput(&file, path.c_str()));
    TextPrintf(&file, "%s\n%s", word.c_str(), word.c_str());
    ASSERT_TRUE(CloseTextOutput(&file));
    EXPECT_EQ(ReadFileText(path), word + "\r\n" + word);
}

TEST(TextOutputTest, CreatingReplacesAnOlderLongerFile) {
    TempFolder folder;
    const std::string path = (folder.path / "old.txt").string();
    fixture::WriteFileBytes(path, std::vector<std::uint8_t>(100, 'x'));
    TextOutputFile file;
    ASSERT_TRUE(CreateTextOutput(&file, path.c_str()));
    TextWrite(&file, "new\n");
    ASSERT_TRUE(CloseTextOutput(&file));
    EXPECT_EQ(ReadFileText(path), "new\r\n");
}

TEST(TextOutputTest, FileLeftOpenIsClosedAndKeptWhenDestroyed) {
    TempFolder folder;
    const std::string path = (folder.path / "kept.txt").string();
    {
        TextOutputFile file;
        ASSERT_TRUE(CreateTextOutput(&file, path.c_str()));
        TextWrite(&file, "a\n");
    }
    EXPECT_EQ(ReadFileText(path), "a\r\n");
}

TEST(TextOutputTest, FileThatCannotBeCreatedIsReportedAndIgnored) {
    TempFolder folder;
    const std::string path = (folder.path / "missing" / "out.txt").string();
    TextOutputFile file;
    EXPECT_FALSE(CreateTextOutput(&file, path.c_str()));
    TextWrite(&file, "lost\n");
    TextPrintf(&file, "%d\n", 1);
    FlushTextOutput(&file);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(CreateTextOutput(nullptr, path.c_str()));
    EXPECT_FALSE(CreateTextOutput(&file, nullptr));
}

TEST(TextOutputTest, OutputLostOnAFullDeviceIsReportedAtClose) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    TextOutputFile file;
    ASSERT_TRUE(CreateTextOutput(&file, "/dev/full"));
    TextWrite(&file, "this line never reaches the disk\n");
    EXPECT_FALSE(CloseTextOutput(&file));
    EXPECT_EQ(file.stream, nullptr);
}

}  // namespace
}  // namespace ostrel
